#include "runtime/rdd/key_sort.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "runtime/rdd/spare_buffers.h"
#include "runtime/rdd/work_threads.h"

namespace xb::rdd {

KeySet::~KeySet() {
  GiveBack(std::move(keys));
  GiveBack(std::move(recnos));
  GiveBack(std::move(order));
  GiveBack(std::move(pages));
}

BagStatus CollectKeys(RecordSource& records, KeyExpression& key, KeyExpression* condition,
                      const KeyEncoder& encode, KeySet& set, const RecordFilter& scope) {
  std::vector<KeyJob> jobs(1);
  jobs[0].key = &key;
  jobs[0].condition = condition;
  jobs[0].encode = &encode;
  jobs[0].set = &set;
  jobs[0].scope = scope ? &scope : nullptr;
  CollectKeysOfJobs(records, jobs);
  return jobs[0].status;
}

namespace {

// Text is stored alike by every format: its first key_length bytes, blank padded. `keys` holds
// the text from `start` on.
void FitText(std::string& keys, std::size_t start, std::size_t length) {
  const std::size_t n = keys.size() - start;
  if (n > length) keys.resize(start + length);
  else keys.append(length - n, ' ');
}

// The key of the current record into the job's set; false when the job has failed.
bool CollectOne(KeyJob& job, std::uint32_t recno, KeyValue& value, std::string& encoded) {
  KeySet& set = *job.set;
  if (job.scope && !(*job.scope)(recno)) return true;
  if (job.condition) {
    KeyValue cond;
    if (!(job.status = job.condition->Evaluate(cond)).ok()) return false;
    if (cond.type != KeyType::kLogical) {
      job.status = BagStatus::Error(BagCode::kExpression, "La condición FOR no es lógica");
      return false;
    }
    if (!cond.logical) return true;
  }
  const std::size_t start = set.keys.size();
  // A key of the record's fields goes straight into the set.
  if (set.type == KeyType::kCharacter && job.key->AppendText(set.keys, &job.status)) {
    if (!job.status.ok()) return false;
    FitText(set.keys, start, std::size_t(set.key_length));
    set.recnos.push_back(recno);
    return true;
  }
  if (!(job.status = job.key->Evaluate(value)).ok()) return false;
  if (value.type == KeyType::kCharacter && set.type == KeyType::kCharacter) {
    set.keys.append(value.text, 0, std::min(value.text.size(), std::size_t(set.key_length)));
    FitText(set.keys, start, std::size_t(set.key_length));
  } else {
    if (!(job.status = (*job.encode)(value, false, set, encoded)).ok()) return false;
    set.keys.append(encoded);
  }
  set.recnos.push_back(recno);
  return true;
}

}  // namespace

void CollectKeysOfJobs(RecordSource& records, std::vector<KeyJob>& jobs) {
  const std::uint32_t count = records.RecordCount();
  KeyGatherer gatherer(jobs, count);
  for (std::uint32_t recno = 1; recno <= count && !gatherer.done(); ++recno) {
    const BagStatus st = records.GoTo(recno);
    if (!st.ok()) {
      for (KeyJob& job : jobs)
        if (job.status.ok()) job.status = st;
      return;
    }
    gatherer.Take(recno);
  }
  gatherer.Finish(records, count);
}

KeyGatherer::KeyGatherer(std::vector<KeyJob>& jobs, std::uint32_t most) : jobs_(jobs), most_(most) {}

void KeyGatherer::Start() {
  started_ = true;
  for (KeyJob& job : jobs_) {
    KeySet& set = *job.set;
    if (!job.status.ok()) continue;
    if (!(job.status = job.key->Evaluate(value_)).ok()) continue;
    if (!(job.status = (*job.encode)(value_, true, set, encoded_)).ok()) continue;
    const std::size_t key_bytes = std::size_t(set.key_length) * most_;
    if (set.keys.capacity() == 0) set.keys = TakeSpare<std::string>(key_bytes);
    if (set.recnos.capacity() == 0) set.recnos = TakeSpare<std::vector<std::uint32_t>>(most_ * sizeof(std::uint32_t));
    set.keys.clear();
    set.recnos.clear();
    set.keys.reserve(key_bytes);
    set.recnos.reserve(most_);
    going_.push_back(&job);
  }
}

void KeyGatherer::Take(std::uint32_t recno) {
  // The key's type and length come from the first record.
  if (!started_) Start();
  for (std::size_t i = 0; i < going_.size();) {
    if (CollectOne(*going_[i], recno, value_, encoded_)) ++i;
    else going_.erase(going_.begin() + std::ptrdiff_t(i));
  }
}

void KeyGatherer::Finish(RecordSource& records, std::uint32_t count) {
  for (KeyJob& job : jobs_) job.set->record_count = count;
  if (started_) return;
  // No record: the blank one past the end tells the type.
  const BagStatus st = records.GoTo(count + 1);
  for (KeyJob& job : jobs_)
    if (job.status.ok()) job.status = st;
  Start();
}

TagKeys::TagKeys(std::vector<TagSpec> specs, std::vector<BagStatus> each, std::vector<KeyEncoder> encoders)
    : specs_(std::move(specs)), each_(std::move(each)), encoders_(std::move(encoders)), sets_(specs_.size()) {
  for (std::size_t i = 0; i < specs_.size(); ++i) {
    if (!each_[i].ok()) continue;
    KeyJob job;
    job.key = specs_[i].key_expr.get();
    job.condition = specs_[i].for_expr.get();
    job.encode = &encoders_[i];
    job.set = &sets_[i];
    job.scope = specs_[i].scope ? &specs_[i].scope : nullptr;
    jobs_.push_back(job);
    tag_of_.push_back(i);
  }
  done_.assign(jobs_.size(), false);
}

void TagKeys::Begin(std::uint32_t most) {
  gathered_ = false;
  sorted_ = false;
  done_.assign(jobs_.size(), false);
  shown_jobs_.clear();
  shown_of_.clear();
  for (std::size_t j = 0; j < jobs_.size(); ++j) {
    const KeyJob& job = jobs_[j];
    if (job.scope || !job.key->OfRecordAlone() || (job.condition && !job.condition->OfRecordAlone())) continue;
    shown_jobs_.push_back(job);
    shown_of_.push_back(j);
  }
  gatherer_ = std::make_unique<KeyGatherer>(shown_jobs_, most);
}

void TagKeys::Finish(RecordSource& records, std::uint32_t count) {
  gatherer_->Finish(records, count);
  gatherer_.reset();
  for (std::size_t k = 0; k < shown_jobs_.size(); ++k) {
    each_[tag_of_[shown_of_[k]]] = shown_jobs_[k].status;
    done_[shown_of_[k]] = true;
  }
  gathered_ = shown_jobs_.size() == jobs_.size();
}

void TagKeys::Gather(RecordSource& records) {
  gathered_ = false;
  sorted_ = false;
  std::vector<KeyJob> rest;
  std::vector<std::size_t> rest_of;
  for (std::size_t j = 0; j < jobs_.size(); ++j) {
    if (done_[j]) continue;
    rest.push_back(jobs_[j]);
    rest_of.push_back(j);
  }
  if (!rest.empty()) CollectKeysOfJobs(records, rest);
  for (std::size_t k = 0; k < rest.size(); ++k) {
    each_[tag_of_[rest_of[k]]] = rest[k].status;
    done_[rest_of[k]] = true;
  }
  gathered_ = true;
}

namespace {

// Sixteen bytes of a key from some offset, as collation weights in two big-endian integers,
// so comparisons never reach into the keys themselves.
struct SortItem {
  std::uint64_t high, low;
  std::uint32_t index;
};

// Runs work(begin, end) for each slice between consecutive bounds, on several cores.
template <class Work>
void InSlices(const std::vector<std::size_t>& bounds, Work work) {
  RunParts(bounds.size() - 1, [&](std::size_t i) {
    if (bounds[i] < bounds[i + 1]) work(bounds[i], bounds[i + 1]);
  });
}

}  // namespace

void SortKeys(KeySet& set, const unsigned char* weight, bool descending) {
  const std::size_t n = set.recnos.size(), len = std::size_t(set.key_length);
  const auto* keys = reinterpret_cast<const unsigned char*>(set.keys.data());
  using Item = SortItem;
  auto load = [&](Item& item, std::size_t offset) {
    const unsigned char* k = keys + std::size_t(item.index) * len;
    auto word = [&](std::size_t from) {
      std::uint64_t p = 0;
      for (std::size_t b = from; b < from + 8; ++b) p = p << 8 | (b < len ? weight[k[b]] : 0);
      return p;
    };
    item.high = word(offset);
    item.low = word(offset + 8);
  };
  std::vector<Item> items = TakeSpare<std::vector<Item>>(n * sizeof(Item));
  items.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    items[i].index = std::uint32_t(i);
    load(items[i], 0);
  }
  auto less = [descending](const Item& a, const Item& b) {
    if (a.high != b.high) return descending ? a.high > b.high : a.high < b.high;
    if (a.low != b.low) return descending ? a.low > b.low : a.low < b.low;
    return a.index < b.index;  // keys were collected in record order
  };
  // Big sets are worked on in slices on several cores.
  // Asked once: under Wine each answer is two round trips to its server.
  static const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
  const std::size_t slices = n >= 50000 ? cores : 1;
  std::vector<std::size_t> bounds;
  for (std::size_t i = 0; i <= slices; ++i) bounds.push_back(n * i / slices);
  // Keys often come in key order already (records appended by code or by date); otherwise
  // the slices are sorted, then merged.
  if (!std::is_sorted(items.begin(), items.end(), less)) {
    InSlices(bounds, [&](std::size_t begin, std::size_t end) {
      std::sort(items.begin() + std::ptrdiff_t(begin), items.begin() + std::ptrdiff_t(end), less);
    });
    // Pairs of sorted runs merged into the other buffer, the pairs at once, until one run.
    if (slices > 1) {
      std::vector<Item> other = TakeSpare<std::vector<Item>>(n * sizeof(Item));
      other.resize(n);
      for (std::size_t width = 1; width < slices; width *= 2) {
        RunParts((slices + 2 * width - 1) / (2 * width), [&](std::size_t pair) {
          const std::size_t i = pair * 2 * width, mid = std::min(i + width, slices), end = std::min(i + 2 * width, slices);
          std::merge(items.begin() + std::ptrdiff_t(bounds[i]), items.begin() + std::ptrdiff_t(bounds[mid]),
                     items.begin() + std::ptrdiff_t(bounds[mid]), items.begin() + std::ptrdiff_t(bounds[end]),
                     other.begin() + std::ptrdiff_t(bounds[i]), less);
        });
        items.swap(other);
      }
      GiveBack(std::move(other));
    }
  }
  if (set.order.capacity() == 0) set.order = TakeSpare<std::vector<std::uint32_t>>(n * sizeof(std::uint32_t));
  if (len <= 16) {
    set.order.resize(n);
    for (std::size_t i = 0; i < n; ++i) set.order[i] = items[i].index;
    GiveBack(std::move(items));
    return;
  }
  // Longer keys: each run of items whose bytes so far agree is sorted again on its next
  // sixteen bytes, until the runs are single keys or the bytes run out. Runs are apart, so
  // the slices (moved to the ends of runs) are worked on at once.
  auto same = [&](std::size_t a, std::size_t b) {
    return items[a].high == items[b].high && items[a].low == items[b].low;
  };
  for (std::size_t i = 1; i < slices; ++i) {
    bounds[i] = std::max(bounds[i], bounds[i - 1]);
    while (bounds[i] < n && bounds[i] > 0 && same(bounds[i], bounds[i] - 1)) ++bounds[i];
  }
  InSlices(bounds, [&](std::size_t begin, std::size_t end) {
    struct Run { std::size_t begin, end, offset; };
    std::vector<Run> runs{{begin, end, 0}};
    while (!runs.empty()) {
      const Run run = runs.back();
      runs.pop_back();
      for (std::size_t i = run.begin; i < run.end;) {
        std::size_t j = i + 1;
        while (j < run.end && same(i, j)) ++j;
        if (j - i > 1) {
          const std::size_t next = run.offset + 16;
          for (std::size_t k = i; k < j; ++k) {
            // The run's keys lie scattered over the key set: ask for the coming ones early.
            if (k + 8 < j) __builtin_prefetch(keys + std::size_t(items[k + 8].index) * len + next);
            load(items[k], next);
          }
          if (!std::is_sorted(items.begin() + std::ptrdiff_t(i), items.begin() + std::ptrdiff_t(j), less))
            std::sort(items.begin() + std::ptrdiff_t(i), items.begin() + std::ptrdiff_t(j), less);
          if (next + 16 < len) runs.push_back({i, j, next});
        }
        i = j;
      }
    }
  });
  set.order.resize(n);
  for (std::size_t i = 0; i < n; ++i) set.order[i] = items[i].index;
  GiveBack(std::move(items));
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
