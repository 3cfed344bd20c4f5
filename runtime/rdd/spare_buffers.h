// Large work buffers of tag builds, kept for the next build on the same thread. Touching a
// fresh block of many megabytes costs a page fault per page, and some heaps give every large
// block back to the system as soon as it is freed: building the tags of a big table one after
// another would pay that again for every buffer of every tag.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace xb::rdd {

namespace spare_detail {

// Buffers smaller than this are cheap to make again; a thread keeps at most kLimit bytes.
constexpr std::size_t kMinimum = std::size_t(1) << 20;
constexpr std::size_t kLimit = std::size_t(128) << 20;
constexpr std::size_t kPerType = 2;

// Bytes this thread keeps.
inline std::size_t& KeptBytes() {
  thread_local std::size_t bytes = 0;
  return bytes;
}

template <class C>
std::size_t Bytes(const C& c) {
  return c.capacity() * sizeof(typename C::value_type);
}

template <class C>
std::vector<C>& Kept() {
  thread_local std::vector<C> kept;
  return kept;
}

}  // namespace spare_detail

// An empty container: the biggest one of its type given back on this thread, when there is one.
template <class C>
C TakeSpare() {
  auto& kept = spare_detail::Kept<C>();
  if (kept.empty()) return C();
  auto biggest = std::max_element(kept.begin(), kept.end(), [](const C& a, const C& b) {
    return a.capacity() < b.capacity();
  });
  C c = std::move(*biggest);
  kept.erase(biggest);
  spare_detail::KeptBytes() -= spare_detail::Bytes(c);
  return c;
}

// Keeps `c`'s memory for a later TakeSpare on this thread, within the limits; frees it otherwise.
template <class C>
void GiveBack(C c) {
  namespace d = spare_detail;
  const std::size_t bytes = d::Bytes(c);
  if (bytes < d::kMinimum) return;
  auto& kept = d::Kept<C>();
  if (kept.size() == d::kPerType) {
    auto smallest = std::min_element(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
      return a.capacity() < b.capacity();
    });
    if (d::Bytes(*smallest) >= bytes) return;
    d::KeptBytes() -= d::Bytes(*smallest);
    kept.erase(smallest);
  }
  if (d::KeptBytes() + bytes > d::kLimit) return;
  c.clear();
  kept.push_back(std::move(c));
  d::KeptBytes() += bytes;
}

}  // namespace xb::rdd
