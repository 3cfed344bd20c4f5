#include "app/org/org_table.h"

#include <cmath>

#include "runtime/codepage.h"
#include "runtime/lib/paths.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"

namespace app {

ErrorCatcher::ErrorCatcher()
    : scope_(xb::Value(xb::Block::Native([this](xb::Args& a) {
        xb::ErrorRef e(dynamic_cast<xb::Error*>(a.Arg(1).AsObject().get()));
        if (!first_ && e) first_ = e;
        return xb::Value::Logical(false);
      }))) {}

TableFailure ErrorCatcher::Failure(std::string_view table, const std::string& path) const {
  TableFailure f;
  f.table = std::string(table);
  f.path = path;
  if (first_) {
    f.os_code = first_->osCode;
    f.description = first_->description;
    if (!first_->filename.empty()) f.path = first_->filename;
  }
  return f;
}

std::string TablePath(const std::string& folder, std::string_view table) {
  return folder + std::string(table) + ".dbf";
}

std::string ShortPath(std::string_view path) {
  std::size_t folder_end = xb::FolderLength(path);
  if (folder_end == 0) return std::string(path);
  std::size_t start = folder_end - 1;
  while (start > 0 && path[start - 1] != '\\' && path[start - 1] != '/' && path[start - 1] != ':') --start;
  return std::string(path.substr(start));
}

std::string UpperText(std::string_view text) { return xb::Upper(xb::CurrentCodePage(), text); }

bool OrgTable::Open(const std::string& folder, std::string_view table, TableFailure* failure, bool with_index) {
  Close();
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* area = areas.Area(areas.FirstFreeArea());
  xb::rdd::WorkArea::OpenRequest request;
  request.path = TablePath(folder, table);
  request.alias = xb::Upper(xb::CodePageEn(), table);
  request.driver = xb::rdd::FindDriver("ADS");
  request.shared = false;
  request.open_structural_bag = with_index;
  bool opened = false;
  ErrorCatcher catcher;
  try {
    // Another area may already go by this name (the program's own company table): the
    // organisation's copy then goes by none, which it never needs.
    if (areas.AreaOfAlias(request.alias)) request.alias = "ORG" + std::to_string(area->number());
    opened = area != nullptr && area->Open(areas.file_system(), request);
  } catch (const xb::UnhandledError&) {
    opened = false;
  }
  if (!opened) {
    if (failure) {
      *failure = catcher.Failure(table, request.path);
      if (failure->description.empty()) failure->description = "no se ha podido abrir";
    }
    return false;
  }
  area_ = area;
  name_ = std::string(table);
  owned_ = true;
  return true;
}

bool OrgTable::Borrow(int area_number, std::string_view table) {
  Close();
  area_ = xb::rdd::WorkAreas::Get().Area(area_number);
  name_ = std::string(table);
  owned_ = false;
  return is_open();
}

void OrgTable::Close() {
  if (owned_ && area_ && area_->used()) {
    ErrorCatcher catcher;
    try {
      area_->Close();
    } catch (const xb::UnhandledError&) {
    }
  }
  area_ = nullptr;
  owned_ = false;
}

void OrgTable::CloseUnplaced(std::unique_ptr<xb::rdd::PackPlacement>* later) {
  later->reset();
  if (owned_ && area_ && area_->used()) {
    ErrorCatcher catcher;
    try {
      area_->CloseUnplaced(later);
    } catch (const xb::UnhandledError&) {
    }
  }
  Close();
}

int OrgTable::Field(std::string_view name) const {
  return area_ ? area_->FieldPos(xb::Upper(xb::CodePageEn(), name)) : 0;
}

bool OrgTable::GoToLive(std::uint32_t record) {
  area_->GoTo(record);
  if (area_->eof()) return false;
  return !(xb::Sets().deleted && area_->Deleted());
}

bool OrgTable::Seek(const xb::rdd::KeyValue& key) {
  xb::rdd::Tag* tag = area_->ControllingTag();
  if (!tag) return false;
  area_->GoCold();
  xb::rdd::TagPosition pos;
  const xb::rdd::BagStatus s = tag->Seek(key, xb::rdd::SeekMode::kExact, false, pos, area_->Visible());
  if (!s.ok()) {
    area_->RaiseBagError(s, "DBSEEK");
    pos = {};
  }
  area_->GoToTagPosition(pos);
  area_->set_found(pos.found);
  return pos.found;
}

// Numeric fields hold plain decimal text: read it here, and leave anything else (exponents,
// stray characters) to the engine's decoder. An integer of at most 15 digits divided by an
// exact power of ten rounds exactly as the decoder's conversion does.
double OrgTable::Num(int pos) const {
  if (!pos) return 0;
  const std::string_view text = xb::rdd::dbf::FieldBytes(area_->table().record(), FieldAt(pos));
  static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  std::int64_t mantissa = 0;
  int digits = 0, decimals = -1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + (c - '0');
      ++digits;
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      break;
    }
  }
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size() || digits > 15)
    return xb::rdd::dbf::DecodeNumber(area_->table().record(), FieldAt(pos));
  const double value = static_cast<double>(mantissa) / kPowers[decimals > 0 ? decimals : 0];
  return negative ? -value : value;
}

std::string_view OrgTable::Text(int pos) const {
  return pos ? xb::rdd::dbf::FieldBytes(area_->table().record(), FieldAt(pos)) : std::string_view();
}

bool OrgTable::Log(int pos) const {
  return pos && xb::rdd::dbf::DecodeLogical(area_->table().record(), FieldAt(pos));
}

xb::Date OrgTable::Day(int pos) const {
  return pos ? xb::Date{xb::rdd::dbf::DecodeDate(area_->table().record(), FieldAt(pos))} : xb::Date{};
}

bool OrgTable::Fits(int pos, double value) const {
  if (!pos) return false;
  const xb::rdd::dbf::Field& f = FieldAt(pos);
  if (f.type != 'N') return true;
  // A number two digits short of the whole places fits however it rounds, sign included;
  // only those near the limit are written out to see.
  static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const int whole = f.length - (f.decimals > 0 ? f.decimals + 1 : 0);
  if (whole >= 2 && whole - 2 <= 15 && std::fabs(value) < kPowers[whole - 2]) return true;
  return !xb::rdd::dbf::FormatNumber(value, f.length, f.decimals).empty();
}

bool OrgTable::PutNum(int pos, double value) {
  return pos && area_->PutField(pos, xb::Value::Double(value, FieldAt(pos).decimals));
}
bool OrgTable::PutText(int pos, std::string_view text) { return pos && area_->PutField(pos, xb::Value::String(text)); }
bool OrgTable::PutLog(int pos, bool value) { return pos && area_->PutField(pos, xb::Value::Logical(value)); }
bool OrgTable::PutDay(int pos, xb::Date value) { return pos && area_->PutField(pos, xb::Value::FromDate(value)); }

}  // namespace app
