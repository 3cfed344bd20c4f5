// A table as the organisation works on it: opened exclusively in a work area of its own
// (never one that the program holds, such as the company table's), read straight from the
// record bytes in the long passes, written through the work area so its keys stay right,
// and closed when the object goes.
//
// Failures do not reach the user from here: they are caught from the error block and
// returned as a TableFailure, which the caller reports (message and error-table line).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/error.h"
#include "runtime/rdd/order_bag.h"
#include "runtime/rdd/workarea.h"
#include "runtime/value.h"

namespace app {

struct TableFailure {
  std::string table;        // as the catalogue names it
  std::string path;         // the file that failed
  int os_code = 0;          // 2 not found, 3 no folder, 4 too many files, 5/32 in use ...
  std::string description;  // the engine's text
};

// While it exists, errors raised through the error block are recorded instead of shown:
// the first one is kept and the operation takes its default (fails quietly).
class ErrorCatcher {
 public:
  ErrorCatcher();
  bool caught() const { return static_cast<bool>(first_); }
  const xb::Error* first() const { return first_.get(); }
  // The failure of `table` at `path` from the first error caught.
  TableFailure Failure(std::string_view table, const std::string& path) const;

 private:
  xb::ErrorRef first_;
  xb::ErrorBlockScope scope_;
};

// The path of a table: folder (with its separator) + name + ".dbf".
std::string TablePath(const std::string& folder, std::string_view table);
// "..\DBF01\Rappels.dbf" -> "DBF01\Rappels.dbf": the file and the folder it is in, which
// tells the start folder's tables from the company's.
std::string ShortPath(std::string_view path);

class OrgTable {
 public:
  OrgTable() = default;
  ~OrgTable() { Close(); }
  OrgTable(const OrgTable&) = delete;
  OrgTable& operator=(const OrgTable&) = delete;

  // Opens folder + table exclusively in the lowest free work area under the table's name,
  // with its structural index when it has one (and `with_index`). False with *failure filled
  // when it fails.
  bool Open(const std::string& folder, std::string_view table, TableFailure* failure, bool with_index = true);
  // Works on an area the caller holds (found by alias); it is not closed here.
  bool Borrow(int area_number, std::string_view table);
  void Close();
  // Close, leaving a pack still synced aside unplaced in *later (WorkArea::CloseUnplaced).
  void CloseUnplaced(std::unique_ptr<xb::rdd::PackPlacement>* later);

  bool is_open() const { return area_ != nullptr && area_->used(); }
  // DBSEEK's position pair: record and controlling order.
  struct Position {
    std::uint32_t record = 0;
    int order = 0;
  };
  Position Save() const { return {area_->recno(), area_->controlling_order()}; }
  void Restore(const Position& p) {
    area_->SetControllingOrder(p.order);
    area_->GoTo(p.record);
  }
  xb::rdd::WorkArea& area() { return *area_; }
  const std::string& name() const { return name_; }

  // A field's position (1-based) by name, without regard to case; 0 when the table has none.
  int Field(std::string_view name) const;

  // ---- movement ----------------------------------------------------------------------
  std::uint32_t RecordCount() { return area_->RecordCount(); }
  // Goes to a record; false when it is deleted (SET DELETED hides it) or does not exist.
  bool GoToLive(std::uint32_t record);
  void SetOrder(int order) { area_->SetControllingOrder(order); }
  // DBSEEK on the controlling order (exact): true when a key starting with `key` exists;
  // the area stands on it, else at end of file.
  bool Seek(const xb::rdd::KeyValue& key);
  void Skip() { area_->Skip(1); }
  void GoTop() { area_->GoTop(); }
  bool eof() const { return area_->eof(); }
  std::uint32_t recno() const { return area_->recno(); }

  // ---- the current record, read from its bytes ---------------------------------------
  double Num(int pos) const;
  std::string_view Text(int pos) const;  // as stored, blanks included
  bool Log(int pos) const;
  xb::Date Day(int pos) const;

  // ---- writes, through the work area ---------------------------------------------------
  // Whether `value` fits numeric field `pos` (its width and decimals) as STR would write it.
  bool Fits(int pos, double value) const;
  std::string_view FieldName(int pos) const { return pos ? std::string_view(FieldAt(pos).name) : std::string_view(); }
  int FieldDecimals(int pos) const { return pos ? FieldAt(pos).decimals : 0; }
  bool PutNum(int pos, double value);
  bool PutText(int pos, std::string_view text);
  bool PutLog(int pos, bool value);
  bool PutDay(int pos, xb::Date value);

 private:
  const xb::rdd::dbf::Field& FieldAt(int pos) const { return area_->table().fields()[static_cast<std::size_t>(pos - 1)]; }

  xb::rdd::WorkArea* area_ = nullptr;
  std::string name_;
  bool owned_ = false;
};

// The text without its trailing blanks.
inline std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}
// Upper case in the program's code page (what Upper() gives in a key).
std::string UpperText(std::string_view text);

}  // namespace app
