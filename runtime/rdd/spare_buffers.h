// Work buffers of packs and tag builds (records, keys, sort items, pages), kept for the next
// job on the same thread. Touching a fresh block costs a page fault per page, and some heaps
// give every block above half a megabyte back to the system as soon as it is freed: packing
// the tables of a company and building their tags one after another would pay that again for
// every buffer of every table.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace xb::rdd {

namespace spare_detail {

// Buffers smaller than kMinimum are cheap to make again; a thread keeps at most kLimit bytes,
// and at most kPerType buffers of one type (the tags of a table are built at once).
constexpr std::size_t kMinimum = std::size_t(64) << 10;
constexpr std::size_t kLimit = std::size_t(128) << 20;
constexpr std::size_t kPerType = 16;

// Bytes this thread keeps.
inline std::size_t& KeptBytes() {
  thread_local std::size_t bytes = 0;
  return bytes;
}

template <class C>
std::size_t Bytes(const C& c) {
  return c.capacity() * sizeof(typename C::value_type);
}

// How to free each type's kept buffers on this thread.
inline std::vector<void (*)()>& Droppers() {
  thread_local std::vector<void (*)()> droppers;
  return droppers;
}

template <class C>
std::vector<C>& Kept() {
  thread_local std::vector<C> kept;
  thread_local const bool listed = (Droppers().push_back([] { std::vector<C>().swap(Kept<C>()); }), true);
  (void)listed;
  return kept;
}

}  // namespace spare_detail

// Frees every buffer this thread keeps (after a build that is not followed by others).
inline void DropSpareBuffers() {
  for (void (*drop)() : spare_detail::Droppers()) drop();
  spare_detail::KeptBytes() = 0;
}

// An empty container from the ones given back on this thread: the smallest that holds
// `bytes`, else the biggest (it grows from there); a new one when none is kept.
template <class C>
C TakeSpare(std::size_t bytes = std::size_t(-1)) {
  namespace d = spare_detail;
  auto& kept = d::Kept<C>();
  if (kept.empty()) return C();
  auto best = kept.end();
  for (auto it = kept.begin(); it != kept.end(); ++it)
    if (d::Bytes(*it) >= bytes && (best == kept.end() || it->capacity() < best->capacity())) best = it;
  if (best == kept.end())
    best = std::max_element(kept.begin(), kept.end(),
                            [](const C& a, const C& b) { return a.capacity() < b.capacity(); });
  C c = std::move(*best);
  kept.erase(best);
  d::KeptBytes() -= d::Bytes(c);
  return c;
}

// Keeps `c`'s memory for a later TakeSpare on this thread, within the limits; frees it otherwise.
template <class C>
void GiveBack(C c) {
  namespace d = spare_detail;
  const std::size_t bytes = d::Bytes(c);
  if (bytes < d::kMinimum) return;
  auto& kept = d::Kept<C>();
  auto smallest = [&] {
    return std::min_element(kept.begin(), kept.end(),
                            [](const auto& a, const auto& b) { return a.capacity() < b.capacity(); });
  };
  // Room is made by dropping smaller buffers, never bigger ones.
  while (!kept.empty() && (kept.size() == d::kPerType || d::KeptBytes() + bytes > d::kLimit)) {
    auto s = smallest();
    if (d::Bytes(*s) >= bytes) return;
    d::KeptBytes() -= d::Bytes(*s);
    kept.erase(s);
  }
  if (d::KeptBytes() + bytes > d::kLimit) return;
  c.clear();
  kept.push_back(std::move(c));
  d::KeptBytes() += bytes;
}

}  // namespace xb::rdd
