// Work buffers of packs and tag builds (records, keys, sort items, pages), kept for the next
// job. Touching a fresh block costs a page fault per page, and some heaps give every block
// above half a megabyte back to the system as soon as it is freed: packing the tables of a
// company and building their tags one after another would pay that again for every buffer of
// every table. One pool serves every thread: a table's keys are gathered on one and sorted on
// another, and each buffer goes back to where the next job takes it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace xb::rdd {

namespace spare_detail {

// Buffers smaller than kMinimum are cheap to make again; the pool keeps at most kLimit bytes,
// and at most kPerType buffers of one type (the tags of a table are built at once).
constexpr std::size_t kMinimum = std::size_t(64) << 10;
constexpr std::size_t kLimit = std::size_t(128) << 20;
constexpr std::size_t kPerType = 16;

// Held while the pool is looked at or changed. The pool is never destroyed: a buffer may come
// back while the program ends.
inline std::mutex& PoolMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

// Bytes the pool keeps.
inline std::size_t& KeptBytes() {
  static std::size_t bytes = 0;
  return bytes;
}

template <class C>
std::size_t Bytes(const C& c) {
  return c.capacity() * sizeof(typename C::value_type);
}

// How to free each type's kept buffers.
inline std::vector<void (*)()>& Droppers() {
  static auto* droppers = new std::vector<void (*)()>;
  return *droppers;
}

// The pool of one type; the mutex is held.
template <class C>
std::vector<C>& Kept() {
  static auto* kept = new std::vector<C>;
  static const bool listed = (Droppers().push_back([] { std::vector<C>().swap(Kept<C>()); }), true);
  (void)listed;
  return *kept;
}

}  // namespace spare_detail

// Frees every buffer kept (after a build that is not followed by others).
inline void DropSpareBuffers() {
  std::lock_guard<std::mutex> lock(spare_detail::PoolMutex());
  for (void (*drop)() : spare_detail::Droppers()) drop();
  spare_detail::KeptBytes() = 0;
}

// An empty container from the ones given back: the smallest that holds `bytes`, else the
// biggest (it grows from there); a new one when none is kept.
template <class C>
C TakeSpare(std::size_t bytes = std::size_t(-1)) {
  namespace d = spare_detail;
  std::lock_guard<std::mutex> lock(d::PoolMutex());
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

// Keeps `c`'s memory for a later TakeSpare, within the limits; frees it otherwise.
template <class C>
void GiveBack(C c) {
  namespace d = spare_detail;
  const std::size_t bytes = d::Bytes(c);
  if (bytes < d::kMinimum) return;
  std::lock_guard<std::mutex> lock(d::PoolMutex());
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
