// Keys of a tag being built: evaluated once per record, then sorted in one go.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/rdd/order_bag.h"

namespace xb::rdd {

// Its buffers go back to the spare buffers of the thread that drops it (spare_buffers.h).
struct KeySet {
  KeySet() = default;
  KeySet(KeySet&&) = default;
  KeySet& operator=(KeySet&&) = default;
  ~KeySet();

  KeyType type = KeyType::kCharacter;
  int key_length = 0;
  int decimals = 0;
  std::uint32_t record_count = 0;
  std::string keys;                  // key_length bytes per key, in record order
  std::vector<std::uint32_t> recnos; // per key
  std::vector<std::uint32_t> order;  // key indexes in sorted order
};

// Stored form of one value: the format decides lengths and encodings. `first` is true for the
// value that fixes the key type and length (the first record's, or the blank record's). Text
// keys after the first are stored without it: their first key_length bytes, blank padded, the
// stored form of text in every format.
using KeyEncoder = std::function<BagStatus(const KeyValue& value, bool first, KeySet& set, std::string& out)>;

// Evaluates the key (and the FOR condition, when given) on every record `scope` takes (all
// when it is empty).
BagStatus CollectKeys(RecordSource& records, KeyExpression& key, KeyExpression* condition,
                      const KeyEncoder& encode, KeySet& set, const RecordFilter& scope = {});

// One tag's part of a pass that collects the keys of several tags.
struct KeyJob {
  KeyExpression* key = nullptr;
  KeyExpression* condition = nullptr;
  const KeyEncoder* encode = nullptr;
  KeySet* set = nullptr;
  const RecordFilter* scope = nullptr;
  BagStatus status;  // a job that fails stops there; the others go on
};

// CollectKeys for every job in one pass over the records: each record is made current once.
// A failure to reach a record fails every job still going.
void CollectKeysOfJobs(RecordSource& records, std::vector<KeyJob>& jobs);
// Sorts by collation weight, equal keys by record number ascending; `descending` reverses the
// key order only.
void SortKeys(KeySet& set, const unsigned char* weight, bool descending);
// Keeps the first record of every run of equal keys.
void UniqueKeys(KeySet& set);

}  // namespace xb::rdd
