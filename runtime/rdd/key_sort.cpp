#include "runtime/rdd/key_sort.h"

#include <algorithm>
#include <cstring>

namespace xb::rdd {

BagStatus CollectKeys(RecordSource& records, KeyExpression& key, KeyExpression* condition,
                      const KeyEncoder& encode, KeySet& set) {
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
  // Keys translated to weights compare with memcmp; the first eight bytes, big-endian in one
  // integer, settle most comparisons without touching the rest.
  std::string weighted(set.keys.size(), '\0');
  for (std::size_t i = 0; i < set.keys.size(); ++i)
    weighted[i] = char(weight[static_cast<unsigned char>(set.keys[i])]);
  struct Item { std::uint64_t prefix; std::uint32_t index; };
  std::vector<Item> items(n);
  const std::size_t head = std::min<std::size_t>(8, len);
  for (std::size_t i = 0; i < n; ++i) {
    std::uint64_t p = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(weighted.data() + i * len);
    for (std::size_t b = 0; b < 8; ++b) p = p << 8 | (b < head ? k[b] : 0);
    items[i] = {p, std::uint32_t(i)};
  }
  const char* w = weighted.data();
  auto less = [&](const Item& a, const Item& b) {
    if (a.prefix != b.prefix) return descending ? a.prefix > b.prefix : a.prefix < b.prefix;
    if (len > 8) {
      const int c = std::memcmp(w + a.index * len + 8, w + b.index * len + 8, len - 8);
      if (c != 0) return descending ? c > 0 : c < 0;
    }
    return a.index < b.index;  // keys were collected in record order
  };
  std::sort(items.begin(), items.end(), less);
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
