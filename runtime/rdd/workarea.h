// A work area: one open table with its driver, alias, order bags and position, seen as
// xBase sees it. Movement goes through the controlling order when there is one and passes
// over deleted records under SET DELETED; past the last record stands the phantom record,
// whose fields are blank. A changed record is written, and its keys updated in every open
// bag, when it goes cold: on a move, an unlock, a commit, an append or the close.
//
// This is the one place where a file status becomes the runtime's error object: failures
// are raised through the error block (generic code, driver subsystem, the OS code of the
// failed open or create), retried when the block says so, and otherwise the operation
// does nothing and reports false.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/order_bag.h"
#include "runtime/value.h"

namespace xb::rdd {

class WorkArea;

// The error subcodes the drivers use (Error:subCode).
namespace subcode {
inline constexpr int kOpenTable = 1001;
inline constexpr int kOpenMemo = 1002;
inline constexpr int kOpenIndex = 1003;
inline constexpr int kCreateTable = 1004;
inline constexpr int kCreateMemo = 1005;
inline constexpr int kCreateIndex = 1006;
inline constexpr int kRead = 1010;
inline constexpr int kWrite = 1011;
inline constexpr int kCorrupt = 1012;
inline constexpr int kDataType = 1020;
inline constexpr int kDataWidth = 1021;
inline constexpr int kUnlocked = 1022;
inline constexpr int kShared = 1023;
inline constexpr int kAppendLock = 1024;
inline constexpr int kReadOnly = 1025;
inline constexpr int kIndex = 1050;
}  // namespace subcode

// What went wrong, for RaiseTableError: the operation ("DBUSEAREA"), the file involved,
// the generic code when the status alone does not decide it (open, create), and whether the
// caller can try again.
struct ErrorSite {
  std::string_view operation;
  std::string filename;
  int gen_code = 0;  // 0: from the status
  int sub_code = 0;  // 0: from the status
  bool can_retry = false;
};

// Raises the error of a failed status through the error block, as `driver` reports it.
// True when the block asked to retry.
bool RaiseTableError(const Status& status, std::string_view driver, const ErrorSite& site);

class WorkArea {
 public:
  explicit WorkArea(int number);
  ~WorkArea();
  WorkArea(const WorkArea&) = delete;
  WorkArea& operator=(const WorkArea&) = delete;

  int number() const { return number_; }
  bool used() const { return table_ != nullptr; }
  const std::string& alias() const { return alias_; }
  const Driver& driver() const { return *driver_; }
  DbfTable& table() { return *table_; }
  FileSystem& file_system() { return *fs_; }
  // Changes whenever a table is opened or closed here (compiled field references recheck).
  std::uint64_t stamp() const { return stamp_; }

  struct OpenRequest {
    std::string path;   // with its extension
    std::string alias;  // upper case
    const Driver* driver = nullptr;
    bool shared = false;
    bool read_only = false;
    // False: the table opens without its structural index even when the file is there (the
    // organisation holds the table while it erases the index file and builds it anew).
    bool open_structural_bag = true;
  };
  // Opens the table (and its memo, and its structural index when the header says there is
  // one). Failures go through the error block; false when the area stays empty.
  bool Open(FileSystem& fs, const OpenRequest& request);
  // Writes what is pending, closes the bags and the table. Errors go through the error block.
  void Close();
  // Close, leaving a pack synced aside (and the structural index built on it) unplaced:
  // *later takes them, to be put in place once their files are synced (PackPlacement).
  void CloseUnplaced(std::unique_ptr<PackPlacement>* later);

  // ---- position ------------------------------------------------------------------------
  void GoTo(std::uint32_t record);
  void GoTop();
  void GoBottom();
  void Skip(std::int64_t count);
  std::uint32_t recno() const { return used() ? table_->recno() : 0; }
  bool bof() const { return !used() || bof_; }
  bool eof() const { return !used() || eof_; }
  bool found() const { return used() && found_; }
  void set_found(bool found) { found_ = found; }
  std::uint32_t RecordCount();
  bool Deleted() const { return used() && table_->deleted(); }

  // ---- fields (positions are 1-based) -------------------------------------------------------
  int FieldCount() const { return used() ? static_cast<int>(table_->fields().size()) : 0; }
  int FieldPos(std::string_view name) const { return used() ? table_->FieldIndex(name) + 1 : 0; }
  const dbf::Field* FieldAt(int pos) const;
  Value GetField(int pos);
  // GetField for text built in one buffer: a character field's bytes are appended to `out`
  // (true); any other field gives its value in `other` (false).
  bool AppendField(int pos, std::string& out, Value& other);
  // Writes a field of the current record; false when the write was refused (and raised).
  bool PutField(int pos, const Value& value);

  // ---- changes ---------------------------------------------------------------------------
  // DBAPPEND: adds a blank record, locked on a shared table; false (NETERR) when the lock
  // could not be had.
  bool Append(bool unlock_others = true);
  bool Delete();
  bool Recall();
  void Commit();
  // __DBPACK; what it mended (dbf_table.h) goes into *damage when given. `sync_aside`: the
  // packed file is synced on another thread while the table is read from it, and takes the
  // table's place once the first change or tag is to be written (DbfTable::PackSyncingAside);
  // only when no order bag is open. A structural index created while it is pending is written
  // under a temporary name and takes its place after the table's. `keys` (synced aside only)
  // gather their tags' keys from the records as the pack keeps them, for the bag created next
  // (OrderBag::CreateTags with them), so the table is read once; keys that ask the table its
  // count or position are read from the packed table there (TagKeys::Begin).
  bool Pack(PackDamage* damage = nullptr, bool sync_aside = false, TagKeys* keys = nullptr);
  bool Zap();

  // ---- locks -----------------------------------------------------------------------------
  // RLOCK / DBRLOCK(): releases the other locks and locks the record; DBRLOCK(n): adds n.
  bool LockRecord(std::uint32_t record, bool keep_others);
  bool LockFile();
  // DBUNLOCK (record 0: every lock) / DBRUNLOCK(n).
  void Unlock(std::uint32_t record = 0);
  std::vector<std::uint32_t> LockList() const;

  // ---- orders (for the order functions) ---------------------------------------------------
  struct OpenBag {
    std::unique_ptr<OrderBag> bag;
    std::string path;
    bool structural = false;
    bool aside = false;  // written under a temporary name until the packed table is in place
  };
  const std::vector<OpenBag>& bags() const { return bags_; }
  // Orders are numbered across the open bags in their order, from 1.
  int OrderCount() const;
  Tag* OrderAt(int order, OrderBag** bag = nullptr) const;
  int controlling_order() const { return controlling_; }
  void SetControllingOrder(int order) { controlling_ = order >= 0 && order <= OrderCount() ? order : controlling_; }
  Tag* ControllingTag() const { return controlling_ ? OrderAt(controlling_) : nullptr; }
  // Opens an index file of this area's kind (shared and read-only as the table) and adds it.
  // Failures are raised; false when the bag was not added.
  bool AddBag(const std::string& path, bool structural = false);
  // Creates an empty index file (replacing one) of this area's kind and adds it. For the
  // table's structural CDX also sets the header flag. False when it failed (raised).
  bool CreateBag(const std::string& path, bool structural);
  // The structural bag (the CDX of the table's name), or nullptr.
  OrderBag* StructuralBag() const;
  std::string StructuralBagPath() const;
  // Closes every bag except the structural one; the controlling order goes back to 0.
  void CloseBags();
  // Re-creates every tag of every bag over the table's records (ORDLISTREBUILD).
  bool RebuildBags();
  // What a bag needs from the area.
  ExpressionCompiler& key_compiler();
  RecordSource& record_source();
  RecordFilter Visible();
  BagOptions bag_options() const;
  // Places the area where an order operation (a seek) put its tag: a record, or the phantom
  // record (end of file) when `position` is at the end.
  void GoToTagPosition(const TagPosition& position);
  // GoTo for the record a tag operation given Visible() has just found: read once.
  void GoToChecked(std::uint32_t record);
  // Raises a failed bag operation (errors of the index files pass here too).
  bool RaiseBagError(const BagStatus& status, std::string_view operation, int gen_code = 0);
  // Writes the current record and updates its keys if it changed (before an order operation).
  bool GoCold();

 private:
  class Keys;
  class Records;
  bool Raise(const Status& status, std::string_view operation, int sub_code = 0);
  bool GoHot();
  bool CheckedChange(std::string_view operation, bool* ignore);
  void SkipFilter(int direction);
  void SkipRaw(std::int64_t count);
  bool IsVisible(std::uint32_t record);
  void Reset();

  int number_;
  FileSystem* fs_ = nullptr;
  std::unique_ptr<DbfTable> table_;
  const Driver* driver_ = nullptr;
  std::string alias_;
  std::uint64_t stamp_ = 0;
  bool bof_ = true, eof_ = true, found_ = false;
  bool top_ = false, bottom_ = false;  // the last move was GoTop / GoBottom
  bool hot_ = false, appended_ = false;
  std::vector<RecordKeys> before_;
  std::vector<OpenBag> bags_;
  int controlling_ = 0;
  std::unique_ptr<Keys> keys_;
  std::unique_ptr<Records> records_;
};

}  // namespace xb::rdd
