// Order bags as the work area sees them: an index file (a compound CDX with many tags, or an NTX
// with one) whose tags keep record numbers in key order.
//
// The work area owns the table, the record buffer and the expression compiler; a bag owns its
// file, its pages and each tag's position. The work area
//   - opens or creates bags (OpenCdx/CreateCdx/OpenNtx/CreateNtx), handing over the file and a
//     compiler that turns key and FOR texts into evaluators run on its current record;
//   - moves in key order through a Tag (GoTop, GoBottom, Skip, Seek) and then reads the record
//     whose number the tag answers;
//   - keeps keys right: before it changes a record (first field write, delete, recall) it takes
//     OrderBag::CurrentKeys; after the change is written (commit, or append of a new record) it
//     calls OrderBag::UpdateKeys with those old keys (none for an append).
// A bag opened shared takes the file's index lock around every operation and re-reads its pages
// when another process changed the file since it last looked, so each process sees the others'
// keys as soon as they unlock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/codepage.h"

namespace xb::rdd {

// ---- Results ---------------------------------------------------------------------------------

enum class BagCode {
  kOk,
  kNotFound,     // no such file or tag
  kCorrupt,      // the file breaks the format: wrong signature, page out of range, loop ...
  kIoError,      // the operating system refused a read or write
  kLocked,       // the index lock could not be taken
  kReadOnly,     // write on a bag opened read-only
  kBadArgument,  // bad tag name, key type or length, key expression of the wrong type
  kExpression,   // the key or FOR expression failed to compile or to evaluate
};

struct BagStatus {
  BagCode code = BagCode::kOk;
  std::string message;  // Spanish text for the user; empty when ok
  bool ok() const { return code == BagCode::kOk; }
  static BagStatus Ok() { return {}; }
  static BagStatus Error(BagCode code, std::string message) { return {code, std::move(message)}; }
};

// ---- Files -----------------------------------------------------------------------------------

// One open index file. The work area adapts its file-system seam to this; tests use memory.
class BagFile {
 public:
  virtual ~BagFile() = default;
  // Reads exactly n bytes; reading past the end is an error (kCorrupt for the caller).
  virtual BagStatus Read(std::uint64_t offset, void* data, std::size_t n) = 0;
  virtual BagStatus Write(std::uint64_t offset, const void* data, std::size_t n) = 0;
  virtual BagStatus Size(std::uint64_t& size) = 0;
  virtual BagStatus Truncate(std::uint64_t size) = 0;
  virtual BagStatus Flush() = 0;
  // Byte-range lock as the operating system gives it (LockFileEx / fcntl). `exclusive` false asks
  // for a shared lock. Fails with kLocked at once when another process holds a conflicting lock.
  virtual BagStatus Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) = 0;
  virtual BagStatus Unlock(std::uint64_t offset, std::uint64_t length) = 0;
};

// ---- Keys ------------------------------------------------------------------------------------

enum class KeyType : char { kCharacter = 'C', kNumeric = 'N', kDate = 'D', kLogical = 'L' };

// A key or FOR value as the work area's evaluator gives it.
struct KeyValue {
  KeyType type = KeyType::kCharacter;
  std::string text;          // kCharacter: Windows-1252 bytes
  double number = 0;         // kNumeric
  std::int32_t julian = 0;   // kDate: Julian day number; 0 is the empty date
  bool logical = false;      // kLogical (also the result of a FOR condition)
  // Numeric keys of NTX files are Str() texts: the evaluator tells the width and decimals of the
  // value as Str() would print it (field length and decimals for a field).
  int width = 0, decimals = 0;

  static KeyValue Text(std::string s) { KeyValue k; k.text = std::move(s); return k; }
  static KeyValue Number(double n, int width = 0, int decimals = 0) {
    KeyValue k; k.type = KeyType::kNumeric; k.number = n; k.width = width; k.decimals = decimals; return k;
  }
  static KeyValue Date(std::int32_t julian) { KeyValue k; k.type = KeyType::kDate; k.julian = julian; return k; }
  static KeyValue Logical(bool b) { KeyValue k; k.type = KeyType::kLogical; k.logical = b; return k; }
};

// A key or FOR expression compiled by the work area, evaluated on its current record.
class KeyExpression {
 public:
  virtual ~KeyExpression() = default;
  virtual BagStatus Evaluate(KeyValue& out) = 0;
  // Appends the key's text to `out` when the expression gives text without evaluating a value
  // (a key made of the record's fields), or fails with *status; false, with `out` as it was,
  // leaves it to Evaluate.
  virtual bool AppendText(std::string& out, BagStatus* status) { return false; }
  // Its value comes from the current record alone, not from the table's count, header or
  // position: it may be evaluated on the records a pack shows before the packed table is there.
  virtual bool OfRecordAlone() const { return false; }
};

// Compiles expression text (as stored in the index file) into an evaluator.
class ExpressionCompiler {
 public:
  virtual ~ExpressionCompiler() = default;
  virtual BagStatus Compile(std::string_view text, std::unique_ptr<KeyExpression>& out) = 0;
};

// The table as a bag needs it while it builds a tag: record count and positioning.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual std::uint32_t RecordCount() = 0;
  // Makes `recno` the current record, so the expressions evaluate on it. RecordCount() + 1 is
  // the blank record past the last one (a build over an empty table learns the key from it).
  virtual BagStatus GoTo(std::uint32_t recno) = 0;
  // Called once the keys are read, before the bag writes what it built from them: the table
  // puts itself in its final place (a pack whose file is still being synced aside).
  virtual BagStatus BeforeWrite() { return BagStatus::Ok(); }
};

// Tells whether a record is visible (SET DELETED, filter). Absent means every record is.
using RecordFilter = std::function<bool(std::uint32_t recno)>;

// ---- Tags ------------------------------------------------------------------------------------

struct TagSpec {
  std::string name;          // stored upper case; at most 10 characters
  std::string key;           // key expression text, stored as given
  std::string condition;     // FOR expression text; empty for none
  bool unique = false;       // only the first record of each key value is kept
  bool descending = false;
  // Compiled forms; when null, the bag compiles the texts with its compiler.
  std::shared_ptr<KeyExpression> key_expr, for_expr;
  // The records the build takes (ORDCONDSET's start, NEXT, RECORD, REST, WHILE), asked with
  // the record current; absent: every record. Only the build uses it; keys kept later follow
  // the FOR condition alone.
  RecordFilter scope;
};

struct TagInfo {
  std::string name, key, condition;
  KeyType type = KeyType::kCharacter;
  int key_length = 0;        // bytes of a stored key
  int decimals = 0;          // NTX numeric keys
  bool unique = false, descending = false;
};

enum class SeekMode {
  kExact,  // found only when a key starts with the sought value; else end of file
  kSoft,   // not found: positioned on the next key in tag order (end of file when none)
};

// Where a tag stands after a move: a record number, or none (end or beginning of file).
struct TagPosition {
  std::uint32_t recno = 0;   // 0 when at end of file / before the first key
  bool found = false;        // Seek: a key matched
  bool eof() const { return recno == 0; }
};

class Tag {
 public:
  virtual ~Tag() = default;
  virtual const TagInfo& Info() const = 0;

  // Moves honour `visible` (keys of invisible records are passed over).
  virtual BagStatus GoTop(TagPosition& pos, const RecordFilter& visible = {}) = 0;
  virtual BagStatus GoBottom(TagPosition& pos, const RecordFilter& visible = {}) = 0;
  // Skips n keys (negative: backwards) from the key of record `from`, which must be the work
  // area's current record (its key is evaluated when the tag lost track of it). Running off an
  // end leaves pos.recno 0 and `bof_eof` true.
  virtual BagStatus Skip(std::uint32_t from, std::int64_t n, TagPosition& pos, bool& bof_eof,
                         const RecordFilter& visible = {}) = 0;
  // DBSEEK: a character value shorter than the key matches keys starting with it; `last` finds
  // the last matching key instead of the first.
  virtual BagStatus Seek(const KeyValue& key, SeekMode mode, bool last, TagPosition& pos,
                         const RecordFilter& visible = {}) = 0;
  // The keys of the records `visible` shows (every key without it), as ORDKEYCOUNT, ADSKEYCOUNT
  // and a browse count them, and a record's position among them. KeyNo answers 0 for a record
  // that has no key in this tag (FOR condition false) or is not visible.
  virtual BagStatus KeyCount(std::uint32_t& count, const RecordFilter& visible = {}) = 0;
  virtual BagStatus KeyNo(std::uint32_t recno, std::uint32_t& position,
                          const RecordFilter& visible = {}) = 0;
  // ORDKEYVAL: the key of the work area's current record as this tag stores it, decoded.
  virtual BagStatus CurrentKeyValue(KeyValue& out) = 0;
};

// ---- Bags ------------------------------------------------------------------------------------

class TagKeys;  // key_sort.h

enum class BagKind { kCdx, kNtx };

struct BagOptions {
  bool shared = false;       // other processes may open the same file: lock and re-read
  bool read_only = false;
  // Collation of character keys; nullptr: the code page current when the bag opens.
  const xb::CodePage* codepage = nullptr;
};

// The keys one record has in every tag of a bag, as taken before a change.
struct RecordKeys {
  std::vector<std::string> keys;   // per tag, encoded; empty string: no key (FOR false)
};

class OrderBag {
 public:
  virtual ~OrderBag() = default;
  virtual BagKind Kind() const = 0;
  virtual int TagCount() const = 0;
  // Tags in creation order, 0-based (ORDSETFOCUS(1) is TagAt(0)). A Tag pointer stays valid
  // until that tag is destroyed or replaced (CreateTag of its name) or the bag is closed;
  // Rebuild keeps it.
  virtual Tag* TagAt(int index) = 0;
  // By name, case-insensitive; -1 when absent.
  virtual int FindTag(std::string_view name) const = 0;

  // Builds a tag over every record of `records` (one pass and a sort) and adds it after the
  // existing tags; a tag of the same name is replaced. NTX bags hold exactly one tag.
  virtual BagStatus CreateTag(const TagSpec& spec, RecordSource& records) = 0;
  // CreateTag of each spec in turn, as far as possible with one pass over the records for all
  // of them; the outcome of each in `each`. A tag that fails leaves the others be.
  virtual void CreateTags(const std::vector<TagSpec>& specs, RecordSource& records, std::vector<BagStatus>& each) {
    each.clear();
    for (const TagSpec& spec : specs) each.push_back(CreateTag(spec, records));
  }
  // CreateTags of tags whose keys were gathered already, while the records were shown before
  // this bag was there (StartCdxTags); not gathered, or for another format, they are read here.
  virtual void CreateTags(TagKeys& keys, RecordSource& records, std::vector<BagStatus>& each) = 0;
  // Sorts keys gathered already and builds what CreateTags then only writes. It touches
  // nothing but `keys` and what the bag fixed when it was made: it may run on another thread
  // while nothing else uses `keys` and the work area is left alone. Where it does nothing,
  // CreateTags does it all.
  virtual void SortTags(TagKeys& keys) {}
  virtual BagStatus DestroyTag(std::string_view name) = 0;
  // Builds every tag again over `records` (after a pack or zap; ORDLISTREBUILD), in creation
  // order, into a file written anew. Tag pointers stay valid.
  virtual BagStatus Rebuild(RecordSource& records) = 0;

  // Key maintenance around a change of the work area's current record `recno`.
  virtual BagStatus CurrentKeys(RecordKeys& out) = 0;
  virtual BagStatus UpdateKeys(std::uint32_t recno, const RecordKeys* before) = 0;

  // Writes what is pending and releases nothing; Close flushes too.
  virtual BagStatus Flush() = 0;
};

// Opening and creating bags. `compiler` must outlive the bag. A file that breaks the format is
// refused with kCorrupt and a Spanish message; opening never crashes or hangs on a bad file.
BagStatus OpenCdx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                  std::unique_ptr<OrderBag>& out);
// An empty compound file (tags are added with CreateTag).
BagStatus CreateCdx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                    std::unique_ptr<OrderBag>& out);
// The tags a compound file is to get, compiled (a bad name or key fails its tag), to have their
// keys gathered before the file is created: by a pack, as it shows the records it keeps.
std::unique_ptr<TagKeys> StartCdxTags(const std::vector<TagSpec>& specs, ExpressionCompiler& compiler);
BagStatus OpenNtx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                  std::unique_ptr<OrderBag>& out);
// The file receives its single tag with CreateTag (the tag name defaults to the file's base name,
// which the caller puts in spec.name).
BagStatus CreateNtx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                    std::unique_ptr<OrderBag>& out);

}  // namespace xb::rdd
