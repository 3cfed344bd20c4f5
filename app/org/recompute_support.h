// Pieces the recomputations share: opening their tables all at once, articles and their
// kits looked up once per reference, and a meter that advances with a long pass.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/org/flat_key_map.h"
#include "app/org/org_table.h"
#include "app/org/organiser_events.h"
#include "runtime/codepage.h"

namespace app {

// Tables opened together, exclusively, each on its order 1 (or none when it has no index).
// Opening stops at the first that fails, closing those already open. The tables named in
// `rebuilt` are about to be written whole: they open without their index, whose file is
// erased (their tags are created once they are written).
class TableSet {
 public:
  bool Open(const std::string& folder, std::initializer_list<std::string_view> tables, OrganiserEvents& events,
            std::initializer_list<std::string_view> rebuilt = {});
  // For passes that go by record number and seek nothing: the tables open without their
  // index, whose file is left as it is, unless a table named in `written` has a field
  // written that a key of the catalogue's tags names (it then opens with its index, so its
  // keys stay right).
  struct Written {
    std::string_view table;
    std::span<const std::string_view> fields;
  };
  bool OpenByRecord(const std::string& folder, std::initializer_list<std::string_view> tables,
                    OrganiserEvents& events, std::initializer_list<Written> written = {},
                    std::initializer_list<std::string_view> rebuilt = {});
  OrgTable& operator[](std::string_view table);
  void Close();

 private:
  bool OpenAll(const std::string& folder, std::initializer_list<std::string_view> tables, OrganiserEvents& events,
               bool by_record, std::initializer_list<Written> written, std::initializer_list<std::string_view> rebuilt);

  std::vector<std::unique_ptr<OrgTable>> tables_;
};

// Whether a key of the catalogue's tags of `table` names one of `fields` (without regard to
// case).
bool KeysName(std::string_view table, std::span<const std::string_view> fields);

// Advances a meter over a pass of `total` steps, a percent at a time, letting window
// messages run as it goes.
class MeterPass {
 public:
  MeterPass(OrganiserEvents& events, int meter, std::uint32_t total);
  void Step();
  void Done() { events_.Meter(meter_, 100); events_.Pump(); }

 private:
  OrganiserEvents& events_;
  int meter_;
  std::uint32_t total_, done_ = 0;
  int shown_ = 0;
};

// Numbers a recomputation writes into numeric fields. One that does not fit leaves the field
// with its old value and is told as a note naming table, key, field and value: the first
// kToldOverflows of a table one by one, the others as one count when the pass ends. The
// other fields and rows are written all the same. Without events nothing is told.
class NumberFit {
 public:
  static constexpr int kToldOverflows = 20;

  NumberFit(OrganiserEvents* events, std::string table) : events_(events), table_(std::move(table)) {}
  ~NumberFit() { Finish(); }
  NumberFit(const NumberFit&) = delete;
  NumberFit& operator=(const NumberFit&) = delete;

  // Writes `value` into field `pos` of the current record when it fits. False, the field
  // left as it was, when it does not (told) or the write failed.
  bool Put(OrgTable& t, int pos, double value, std::string_view key);
  // Tells a number that did not fit.
  void Overflow(const OrgTable& t, int pos, double value, std::string_view key);
  // Tells how many more did not fit than were told one by one; the count starts again.
  void Finish();
  int overflows() const { return overflows_; }

 private:
  OrganiserEvents* events_;
  std::string table_;
  int overflows_ = 0;
  int told_ = 0;
};

// Articles by reference, read in one pass over `Articulo` (the first live record of a
// reference, as a seek on its order Upper( cRef ) finds it), and the components of every kit
// from `Kits`. Looked up without moving either table.
class ArticleIndex {
 public:
  ArticleIndex(OrgTable& articles, OrgTable* kits);

  struct Part {
    std::uint32_t article;  // record number in Articulo
    double quantity;        // per unit of the line's article
  };
  // The article of a reference: 0 when the reference is empty or not found.
  std::uint32_t Find(std::string_view reference) const;
  // What a line of `reference` moves: the article itself, or a kit's components with their
  // quantities (components that are not articles are left out). Empty when not found.
  std::span<const Part> Parts(std::string_view reference) const;

 private:
  // A reference finds the index of its article's own part in parts_, or kKit + the index of
  // its kit in kits_: one lookup and one flat array, line after line.
  static constexpr std::uint32_t kKit = 0x80000000u;
  struct Kit {
    std::uint32_t article;      // the kit's own record
    std::uint32_t first, count;  // its components in parts_
  };
  std::uint32_t Lookup(std::string_view reference) const;
  std::uint32_t ArticleOf(std::uint32_t found) const {
    return found & kKit ? kits_[found & ~kKit].article : parts_[found].article;
  }
  // The reference as the order Upper( cRef ) holds it, in a buffer reused by every lookup.
  std::string_view KeyOf(std::string_view reference) const;

  const xb::CodePage& code_page_;
  FlatKeyMap keys_;
  std::vector<Part> parts_;  // every article's own part {record, 1}, then the kits' components
  std::vector<Kit> kits_;
  mutable std::string key_;
};

// Keys of a table's live records in one pass: the first record of each key (`key` gives the
// key of the current record).
template <class KeyOf>
std::unordered_map<std::string, std::uint32_t> FirstRecordByKey(OrgTable& table, KeyOf&& key) {
  std::unordered_map<std::string, std::uint32_t> out;
  const std::uint32_t count = table.RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r)
    if (table.GoToLive(r)) out.emplace(key(), r);
  return out;
}

// A document's key in the passes that gather lines by document: its serie and number.
std::string DocumentKey(std::string_view serie, double number);
// The same into `key`, whose buffer a pass reuses line after line.
void DocumentKey(std::string_view serie, double number, std::string* key);

// The text of Str( n, width ).
std::string StrOf(double n, int width);

}  // namespace app
