#include "runtime/rdd/key_sort.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace xb::rdd {

BagStatus CollectKeys(RecordSource& records, KeyExpression& key, KeyExpression* condition,
                      const KeyEncoder& encode, KeySet& set, const RecordFilter& scope) {
  set.record_count = records.RecordCount();
  set.keys.clear();
  set.recnos.clear();
  std::string encoded;
  KeyValue value;
  // The key's type and length come from the first record (the blank record of an empty table).
  BagStatus st = records.GoTo(set.record_count ? 1 : set.record_count + 1);
  if (st.ok()) st = key.Evaluate(value);
  if (st.ok()) st = encode(value, true, set, encoded);
  if (!st.ok()) return st;
  set.keys.reserve(std::size_t(set.key_length) * set.record_count);
  set.recnos.reserve(set.record_count);
  for (std::uint32_t recno = 1; recno <= set.record_count; ++recno) {
    if (!(st = records.GoTo(recno)).ok()) return st;
    if (scope && !scope(recno)) continue;
    if (condition) {
      KeyValue cond;
      if (!(st = condition->Evaluate(cond)).ok()) return st;
      if (cond.type != KeyType::kLogical)
        return BagStatus::Error(BagCode::kExpression, "La condición FOR no es lógica");
      if (!cond.logical) continue;
    }
    if (!(st = key.Evaluate(value)).ok()) return st;
    if (!(st = encode(value, false, set, encoded)).ok()) return st;
    set.keys.append(encoded);
    set.recnos.push_back(recno);
  }
  return BagStatus::Ok();
}

void SortKeys(KeySet& set, const unsigned char* weight, bool descending) {
  const std::size_t n = set.recnos.size(), len = std::size_t(set.key_length);
  // Keys translated to weights compare with memcmp; their first sixteen bytes, big-endian in
  // two integers, settle most comparisons without touching the rest.
  std::string weighted(set.keys.size(), '\0');
  for (std::size_t i = 0; i < set.keys.size(); ++i)
    weighted[i] = char(weight[static_cast<unsigned char>(set.keys[i])]);
  struct Item { std::uint64_t high, low; std::uint32_t index; };
  std::vector<Item> items(n);
  auto word = [&](const unsigned char* k, std::size_t from) {
    std::uint64_t p = 0;
    for (std::size_t b = from; b < from + 8; ++b) p = p << 8 | (b < len ? k[b] : 0);
    return p;
  };
  for (std::size_t i = 0; i < n; ++i) {
    const auto* k = reinterpret_cast<const unsigned char*>(weighted.data() + i * len);
    items[i] = {word(k, 0), word(k, 8), std::uint32_t(i)};
  }
  const char* w = weighted.data();
  auto less = [&](const Item& a, const Item& b) {
    if (a.high != b.high) return descending ? a.high > b.high : a.high < b.high;
    if (a.low != b.low) return descending ? a.low > b.low : a.low < b.low;
    if (len > 16) {
      const int c = std::memcmp(w + a.index * len + 16, w + b.index * len + 16, len - 16);
      if (c != 0) return descending ? c > 0 : c < 0;
    }
    return a.index < b.index;  // keys were collected in record order
  };
  // Big sets are sorted in slices on several cores, then merged.
  const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
  const std::size_t slices = n >= 50000 ? cores : 1;
  std::vector<std::size_t> bounds;
  for (std::size_t i = 0; i <= slices; ++i) bounds.push_back(n * i / slices);
  {
    std::vector<std::thread> workers;
    for (std::size_t i = 1; i < slices; ++i)
      workers.emplace_back([&, i] { std::sort(items.begin() + bounds[i], items.begin() + bounds[i + 1], less); });
    std::sort(items.begin(), items.begin() + bounds[1], less);
    for (auto& w : workers) w.join();
  }
  for (std::size_t width = 1; width < slices; width *= 2) {
    for (std::size_t i = 0; i + width < slices; i += 2 * width) {
      const std::size_t end = std::min(i + 2 * width, slices);
      std::inplace_merge(items.begin() + bounds[i], items.begin() + bounds[i + width], items.begin() + bounds[end], less);
    }
  }
  set.order.resize(n);
  for (std::size_t i = 0; i < n; ++i) set.order[i] = items[i].index;
}

void UniqueKeys(KeySet& set) {
  const std::size_t len = std::size_t(set.key_length);
  std::vector<std::uint32_t> kept;
  kept.reserve(set.order.size());
  for (std::uint32_t i : set.order) {
    if (!kept.empty() && std::memcmp(set.keys.data() + std::size_t(kept.back()) * len,
                                     set.keys.data() + std::size_t(i) * len, len) == 0)
      continue;
    kept.push_back(i);
  }
  set.order = std::move(kept);
}

}  // namespace xb::rdd
