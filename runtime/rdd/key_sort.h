// Keys of a tag being built: evaluated once per record, then sorted in one go.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
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
  // The tag's pages, built by the bag's format from the sorted keys as if they began at file
  // offset 0, and the root page's offset among them: moved to their place as they are written.
  std::string pages;
  std::uint32_t root = 0;
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

// The same pass with the records shown by whoever reads them (a pack, as it keeps them): each
// record made current in turn, numbered from 1, and told to Take; then Finish.
class KeyGatherer {
 public:
  // `most`: the records there may be, for the buffers.
  KeyGatherer(std::vector<KeyJob>& jobs, std::uint32_t most);
  // Record `recno` is current: it follows the last one taken.
  void Take(std::uint32_t recno);
  // `count` records were shown; with none, the keys' type and length come from the blank
  // record, made current through `records`.
  void Finish(RecordSource& records, std::uint32_t count);
  // Every job has failed: the records left would change nothing.
  bool done() const { return started_ && going_.empty(); }

 private:
  // Fixes the jobs' key type and length on the current record and readies their buffers.
  void Start();

  std::vector<KeyJob>& jobs_;
  std::vector<KeyJob*> going_;
  std::uint32_t most_;
  bool started_ = false;
  std::string encoded_;
  KeyValue value_;
};

// Tags to be created with their keys gathered before the bag that writes them is there (a pack
// shows its records first): the specs compiled, each one's outcome so far, and its keys.
// OrderBag::CreateTags(TagKeys&, ...) sorts and writes them.
class TagKeys {
 public:
  // `each` holds the failures found so far (bad name, key that does not compile): those tags
  // gather nothing. `encoders` are the bag format's, one per spec.
  TagKeys(std::vector<TagSpec> specs, std::vector<BagStatus> each, std::vector<KeyEncoder> encoders);
  TagKeys(const TagKeys&) = delete;
  TagKeys& operator=(const TagKeys&) = delete;

  // The shown pass, as KeyGatherer, for the tags whose key and condition come from the record
  // alone (KeyExpression::OfRecordAlone); what the others ask of the table is not known until
  // the packed table is there, so Gather reads them.
  void Begin(std::uint32_t most);
  void Take(std::uint32_t recno) { gatherer_->Take(recno); }
  void Finish(RecordSource& records, std::uint32_t count);
  // A pass over `records`, each record made current by it, for every tag not gathered yet.
  void Gather(RecordSource& records);
  // Every tag's keys are gathered.
  bool gathered() const { return gathered_; }
  // The bag sorted the keys and built their pages (OrderBag::SortTags).
  bool sorted() const { return sorted_; }
  void MarkSorted() { sorted_ = true; }

  const std::vector<TagSpec>& specs() const { return specs_; }
  std::vector<BagStatus>& each() { return each_; }
  std::vector<KeySet>& sets() { return sets_; }

 private:
  std::vector<TagSpec> specs_;
  std::vector<BagStatus> each_;
  std::vector<KeyEncoder> encoders_;
  std::vector<KeySet> sets_;
  std::vector<KeyJob> jobs_;
  std::vector<std::size_t> tag_of_;
  std::vector<bool> done_;  // per job
  // The jobs of the shown pass (indexes into jobs_ in shown_of_).
  std::vector<KeyJob> shown_jobs_;
  std::vector<std::size_t> shown_of_;
  std::unique_ptr<KeyGatherer> gatherer_;
  bool gathered_ = false;
  bool sorted_ = false;
};
// Sorts by collation weight, equal keys by record number ascending; `descending` reverses the
// key order only.
void SortKeys(KeySet& set, const unsigned char* weight, bool descending);
// Keeps the first record of every run of equal keys.
void UniqueKeys(KeySet& set);

}  // namespace xb::rdd
