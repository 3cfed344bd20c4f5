// One open DBF file with its memo: records, their changes, locks, append, pack and zap, in
// plain C++ types. The work area builds the xBase behaviour (values, errors, orders, SET
// DELETED) on top of it.
//
// A change is written once: the current record's buffer is "hot" until the table moves,
// unlocks, flushes or closes, and is written then. An exclusive table keeps a window of
// consecutive records in memory and writes changed ones in runs (appends too), and writes
// its header once, when flushed or closed. A shared table reads the record afresh at every
// move and writes it directly, and appends under the header lock as the classic drivers
// do, so other processes see every change as soon as the record goes cold.
#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/lock.h"
#include "runtime/rdd/memo_file.h"

namespace xb::rdd {

// What a pack found wrong with the table and mended: records its header counts but the
// file lacks (the packed table counts what it holds), and memo pointers of live records to
// memos that are not whole in the memo file (cut short): cleared, their text being lost.
struct PackDamage {
  std::uint32_t stated_records = 0;  // as the header counted them before the pack
  std::uint32_t missing_records = 0;
  std::uint32_t memo_pointers_cleared = 0;
};

// A packed table waiting for its place (DbfTable::CloseUnplaced): the old table stays where it
// is, held open, until Place() has waited for the packed file's sync, removed the files that
// must go first (the old index) and renamed it there, and then the files that follow it (an
// index built on the packed records) to theirs. Dropped unplaced, or when the sync or a
// removal fails, the temporary files go and the old table stays, with its old index.
class PackPlacement {
 public:
  PackPlacement() = default;
  ~PackPlacement() { Discard(); }
  PackPlacement(const PackPlacement&) = delete;
  PackPlacement& operator=(const PackPlacement&) = delete;

  const std::string& path() const { return path_; }
  Status Place();
  // Place on the thread the syncs run on, after this pack's own sync, while the caller goes
  // on; Place then waits for it and tells how it went. Dropped meanwhile, it is waited for.
  void PlaceAside();

 private:
  friend class DbfTable;
  Status PlaceNow();
  void Discard();

  FileSystem* fs_ = nullptr;
  std::string path_, temp_;
  std::unique_ptr<File> old_, packed_;
  std::future<Status> synced_;
  std::future<Status> placing_;                                  // PlaceAside's
  std::vector<std::string> removals_;                            // go before the packed table
  std::vector<std::pair<std::string, std::string>> followers_;  // temporary name, own name
};

// Told each record of a packed table as the pack keeps it, in order, numbered from 1: the
// record is then the table's current one (record(), recno()), so key expressions evaluate on it.
using RecordShown = std::function<void(std::uint32_t recno)>;

struct TableOpenOptions {
  bool shared = false;
  bool read_only = false;
  LockScheme lock_scheme = LockScheme::kClipper;
  dbf::MemoKind memo_kind = dbf::MemoKind::kFpt;  // the memo file that M fields use
};

class DbfTable {
 public:
  // Creates (or replaces) a table and, when it has memo fields, its memo file. Nothing is
  // left open.
  static Status Create(FileSystem& fs, const std::string& path,
                       const std::vector<dbf::FieldSpec>& specs, dbf::MemoKind memo_kind);
  static Status Open(FileSystem& fs, const std::string& path, const TableOpenOptions& options,
                     std::unique_ptr<DbfTable>* table);

  ~DbfTable();
  DbfTable(const DbfTable&) = delete;
  DbfTable& operator=(const DbfTable&) = delete;

  // Writes what is pending (record, header with today's date when anything changed, memo
  // header), releases the locks and closes the files. The object is unusable afterwards.
  Status Close();

  const std::string& path() const { return path_; }
  // False after a close, or when a pack could not open the packed file again.
  bool is_open() const { return file_ != nullptr; }
  const dbf::Header& header() const { return header_; }
  const std::vector<dbf::Field>& fields() const { return fields_; }
  int FieldIndex(std::string_view name) const;  // -1 when there is none
  bool shared() const { return options_.shared; }
  bool read_only() const { return options_.read_only; }
  const TableOpenOptions& options() const { return options_; }
  bool structural_index() const { return header_.structural_index(); }

  // The record count; a shared table reads it from the file again.
  Status RecordCount(std::uint32_t* count);
  std::uint32_t known_count() const { return count_; }

  // Makes `record` current. 0 or a number past the last record makes the phantom record
  // (number count + 1, every field blank) current.
  Status GoTo(std::uint32_t record);
  // GoTo for a record IsDeleted has just read: a shared table takes the record read then
  // instead of reading it again. ForgetChecked drops what IsDeleted read.
  Status GoToChecked(std::uint32_t record);
  void ForgetChecked() { checked_recno_ = 0; }
  std::uint32_t recno() const { return recno_; }
  bool at_phantom() const { return phantom_; }
  std::string_view record() const;  // the current record's bytes (inline, below)
  bool deleted() const { return record()[0] == dbf::kDeleted; }

  // Changes of the current record. Each checks that the table is writable and, when shared,
  // that the record (or the file) is locked; at the phantom record they change nothing.
  Status PutCharacter(int field, std::string_view text);
  Status PutNumber(int field, double value);
  Status PutDate(int field, std::int32_t day_number);
  Status PutLogical(int field, bool value);
  Status PutMemo(int field, std::string_view text);
  Status SetDeleted(bool deleted);
  // Raw record bytes (deletion flag included), for copying whole records.
  Status PutRecord(std::string_view bytes);

  Status GetMemo(int field, std::string* text);
  // Whether a record (any, not only the current one) is marked deleted; false past the end.
  Status IsDeleted(std::uint32_t record, bool* deleted);
  // What a change of the current record would meet: kReadOnly, kUnlocked, or ok; *ignore
  // is set at the phantom record, where changes do nothing.
  Status CheckChange(bool* ignore);
  bool record_changed() const { return hot_; }

  // Writes the current record when it changed. Moving, unlocking, flushing and closing do it.
  Status WriteRecord();
  // DBCOMMIT: writes everything pending, header included, and (durable) syncs the files.
  Status Commit(bool durable = true);

  // Adds a blank record and makes it current. On a shared table the header lock is held
  // while the record count is read and the new record written, and the new record is
  // locked; unless `keep_locks`, the other record locks are released first.
  Status Append(bool keep_locks = false);

  // Locks. On an exclusive table every lock succeeds and nothing is recorded.
  Status LockRecord(std::uint32_t record);
  Status UnlockRecord(std::uint32_t record);
  Status LockFile();
  Status UnlockAll();
  bool IsRecordLocked(std::uint32_t record) const;
  bool file_locked() const { return file_locked_; }
  std::vector<std::uint32_t> LockedRecords() const;
  TableLockLayout lock_layout() const;

  // Exclusive tables only. Pack writes the live records to a file beside the table, makes it
  // durable and then puts it in the table's place, so an interruption at any moment leaves
  // either the old table or the packed one. Memo blocks are kept as they are. A table with no
  // deleted record, whose header and end of file are as a pack writes them and whose memo
  // pointers all reach whole memos, is left as it is. What was mended goes into *damage.
  Status Pack(PackDamage* damage = nullptr);
  // Pack, with the packed file made durable on another thread while the table is read from
  // it: the old table stays in its place until Settle (or any change, or Close) has waited
  // for that and put the packed one there. A failure of the sync leaves the table unpacked.
  // `shown` is told every record of the packed table as the pack reads it (a table left as it
  // is too), so the table need not be read again for its keys; while it is told, the table
  // counts its records as before the pack.
  Status PackSyncingAside(PackDamage* damage = nullptr, const RecordShown& shown = {});
  Status Settle();
  bool pack_pending() const { return pending_ != nullptr; }
  // A file written under `temp` for the records of a pack still pending (an index built on
  // them): renamed to `path` once the packed table is in its place, removed if it never gets
  // there. It must be closed by then: when this table closes, or when the placement is made.
  void FollowPack(std::string temp, std::string path);
  // A file that must not outlive the table as it is (its old index): with a pack pending it is
  // removed just before the packed table takes its place, and when it cannot be the packed
  // table never does; without one, at once.
  Status RemoveBeforePlacing(const std::string& path);
  // Close, leaving a pack still synced aside unplaced: *placement takes it (and what follows
  // it), to put it in place later. Otherwise as Close, with *placement empty.
  Status CloseUnplaced(std::unique_ptr<PackPlacement>* placement);
  // Records the header counts beyond those the file holds.
  std::uint32_t missing_records() const { return header_.record_count > count_ ? header_.record_count - count_ : 0; }
  Status Zap();

  // Header byte 28, bit 0: the table has a structural index. Written at once; into the packed
  // file of a pack still synced aside, which is then synced again before it takes its place.
  Status SetStructuralIndex(bool present);

 private:
  DbfTable(FileSystem& fs, std::string path, TableOpenOptions options);
  Status Load();
  char* MutableRecord();
  Status ReadCountFromFile(std::uint32_t* count);
  Status FlushWindow();
  Status LoadWindow(std::uint32_t record);
  Status WriteHeader();
  Status WriteSharedHeader();
  Status AppendExclusive();
  Status AppendShared(bool keep_locks);
  Status PackTable(bool aside, PackDamage* damage, const RecordShown& shown);
  // The memo fields and what the memo file holds, for the pointers a pack checks.
  struct MemoCheck {
    std::vector<const dbf::Field*> fields;
    std::uint64_t size = 0;
    bool cut = false;  // shorter than its header says: each memo is read for its length
  };
  Status PackWith(std::string& buffer, const MemoCheck& memos, bool aside, PackDamage* found, const RecordShown& shown);
  // *told: how many records from the first were shown (live, whole: as the pack keeps them);
  // *first_read: the work was found in the first chunk, still in `buffer` as read.
  Status PackHasWork(std::string& buffer, const MemoCheck& memos, bool* work, const RecordShown& shown,
                     std::uint32_t* told, bool* first_read);
  // Makes `bytes` the current record, number `recno`, and tells `shown`.
  void Show(const RecordShown& shown, const char* bytes, std::uint32_t recno);
  // Counts into *lost the memo pointers of `record` that reach no whole memo; with `clear`,
  // clears them too.
  Status LostMemos(const MemoCheck& memos, char* record, bool clear, std::uint32_t* lost);
  Status ReopenAfterPack();
  // Renames the files that follow a pack now in place (`placed`), or removes them.
  Status SettleFollowers(bool placed);

  FileSystem& fs_;
  std::string path_;
  TableOpenOptions options_;
  std::unique_ptr<File> file_;
  std::unique_ptr<MemoFile> memo_;
  dbf::Header header_;
  std::vector<dbf::Field> fields_;
  std::string blank_;

  std::uint32_t count_ = 0;
  std::uint32_t recno_ = 1;
  const char* shown_ = nullptr;  // a record a pack shows, in its buffer
  bool phantom_ = true;
  bool hot_ = false;             // the current record changed and is not written yet
  bool header_changed_ = false;  // date (and, exclusive, count) to be written

  // Records [window_first_, window_first_ + window_count_) in memory.
  std::string window_;
  std::uint32_t window_first_ = 1;
  std::uint32_t window_count_ = 0;
  std::vector<char> window_dirty_;
  std::uint32_t window_capacity_ = 1;
  // The record a shared table's IsDeleted read last (0: none), whole.
  std::string checked_;
  std::uint32_t checked_recno_ = 0;

  bool file_locked_ = false;
  std::set<std::uint32_t> locks_;

  // A pack whose file is being synced aside: `old` is the table's file, still in place.
  struct PendingPack {
    std::unique_ptr<File> old;
    std::string temp;
    std::future<Status> synced;
    std::vector<std::string> removals;
    std::vector<std::pair<std::string, std::string>> followers;
  };
  std::unique_ptr<PendingPack> pending_;
  // Followers of a pack that settled (placed or not) while they were still open.
  std::vector<std::pair<std::string, std::string>> followers_;
  bool followers_placed_ = false;
};

// Inline: it is read for every field of every key, and under the Windows calling convention a
// string_view returned from another file comes back through memory.
inline std::string_view DbfTable::record() const {
  if (phantom_) return blank_;
  const std::size_t rl = header_.record_length;
  if (shown_) return std::string_view(shown_, rl);
  return std::string_view(window_).substr((recno_ - window_first_) * rl, rl);
}

// DELDBFMDX: clears the structural-index flag (header byte 28) of a table file without
// opening it as a table. kIo when the file cannot be opened (missing, or held exclusively).
Status ClearStructuralIndexFlag(FileSystem& fs, const std::string& path);

// Today's date as a day number, from the local clock.
std::int32_t Today();

}  // namespace xb::rdd
