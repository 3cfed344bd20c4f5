#include "ui/controls/table_source.h"

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/operators.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"

namespace ui {
namespace {

using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

// Selects an area for a scope and the previous one again after it.
class SelectedArea {
 public:
  explicit SelectedArea(int area) : previous_(WorkAreas::Get().SelectArea(area)) {}
  SelectedArea(const SelectedArea&) = delete;
  SelectedArea& operator=(const SelectedArea&) = delete;
  ~SelectedArea() { WorkAreas::Get().SelectArea(previous_); }

 private:
  int previous_;
};

WorkArea* AreaAt(int number) {
  if (number == 0) return nullptr;
  WorkArea* area = WorkAreas::Get().Area(number);
  return area != nullptr && area->used() ? area : nullptr;
}

// Puts the area back on a record (0: the end of the file) when it goes.
class KeepRecord {
 public:
  explicit KeepRecord(WorkArea* area) : area_(area), record_(area->eof() ? 0 : area->recno()) {}
  KeepRecord(const KeepRecord&) = delete;
  KeepRecord& operator=(const KeepRecord&) = delete;
  ~KeepRecord() { area_->GoTo(record_); }

 private:
  WorkArea* area_;
  std::uint32_t record_;
};

}  // namespace

TableSource::TableSource(std::string alias) : alias_(std::move(alias)) {}

int TableSource::Area() const { return WorkAreas::Get().AreaOfAlias(alias_); }

bool TableSource::Used() const { return AreaAt(Area()) != nullptr; }

// ---- scope -----------------------------------------------------------------------------------

bool TableSource::SetScope(const std::string& key_expression, const xb::Value& lower, const xb::Value& upper) {
  scope_.reset();
  cache_.reset();
  if (lower.IsNil() && upper.IsNil()) return true;
  std::string text = key_expression;
  if (text.empty()) {
    WorkArea* area = AreaAt(Area());
    xb::rdd::Tag* tag = area != nullptr ? area->ControllingTag() : nullptr;
    if (tag == nullptr) return false;
    text = tag->Info().key;
  }
  std::optional<xb::Block> key = xb::TryCompileBlock(text);
  if (!key) return false;
  scope_ = Scope{text, *key, lower.IsNil() ? upper : lower, upper.IsNil() ? lower : upper};
  return true;
}

void TableSource::ClearScope() {
  scope_.reset();
  cache_.reset();
}

bool TableSource::ScopeTypesAgree() const {
  if (!scope_) return true;
  const int number = Area();
  WorkArea* area = AreaAt(number);
  if (area == nullptr) return false;
  SelectedArea selected(number);
  const char key_type = scope_->key.Eval().ValType();
  char order_type = key_type;
  if (xb::rdd::Tag* tag = area->ControllingTag()) order_type = static_cast<char>(tag->Info().type);
  const char lower = scope_->lower.ValType() == 'M' ? 'C' : scope_->lower.ValType();
  const char upper = scope_->upper.ValType() == 'M' ? 'C' : scope_->upper.ValType();
  const char key = key_type == 'M' ? 'C' : key_type;
  return key == order_type && key == lower && key == upper;
}

bool TableSource::InScope() const {
  if (!scope_) return true;
  SelectedArea selected(Area());
  const xb::Value key = scope_->key.Eval();
  auto kind = [](const xb::Value& v) { return v.ValType() == 'M' ? 'C' : v.ValType(); };
  // Values of another type than the key's are out of the scope, without an error per record.
  if (kind(key) != kind(scope_->lower) || kind(key) != kind(scope_->upper)) return false;
  return xb::OpGreaterEqual(key, scope_->lower).AsLogical() && xb::OpLessEqual(key, scope_->upper).AsLogical();
}

// ---- movement --------------------------------------------------------------------------------

void TableSource::SeekTop() {
  const int number = Area();
  WorkArea* area = AreaAt(number);
  if (area == nullptr) return;
  if (!scope_) {
    area->GoTop();
    return;
  }
  if (area->ControllingTag() != nullptr) {
    SelectedArea selected(number);
    xb::CallFunction("DBSEEK", {scope_->lower, xb::Value::Logical(true)});
    return;
  }
  area->GoTop();
  while (!area->eof() && !InScope()) area->Skip(1);
}

void TableSource::SeekBottom() {
  const int number = Area();
  WorkArea* area = AreaAt(number);
  if (area == nullptr) return;
  if (!scope_) {
    area->GoBottom();
    return;
  }
  if (area->ControllingTag() != nullptr) {
    SelectedArea selected(number);
    const bool found =
        xb::CallFunction("DBSEEK", {scope_->upper, xb::Value::Logical(true), xb::Value::Logical(true)}).AsLogical();
    // Not found: standing on the first key above the upper value, or at the end.
    if (!found) area->Skip(-1);
    return;
  }
  area->GoBottom();
  while (!area->bof() && !InScope()) area->Skip(-1);
}

void TableSource::GoTop() { SeekTop(); }

void TableSource::GoBottom() { SeekBottom(); }

int TableSource::Skip(int n) {
  WorkArea* area = AreaAt(Area());
  if (area == nullptr) return 0;
  if (n == 0) {
    area->Skip(0);
    return 0;
  }
  const int step = n > 0 ? 1 : -1;
  int moved = 0;
  while (moved != n) {
    area->Skip(step);
    if (area->eof()) {  // past the last record: back onto it
      area->Skip(-1);
      break;
    }
    if (step < 0 && area->bof()) break;  // stayed on the first record
    if (scope_ && !InScope()) {
      area->Skip(-step);
      break;
    }
    moved += step;
  }
  return moved;
}

void TableSource::GoTo(std::uint32_t record) {
  if (WorkArea* area = AreaAt(Area())) area->GoTo(record);
}

std::uint32_t TableSource::RecNo() const {
  WorkArea* area = AreaAt(Area());
  return area == nullptr || area->eof() ? 0 : area->recno();
}

bool TableSource::Eof() const {
  WorkArea* area = AreaAt(Area());
  return area == nullptr || area->eof();
}

bool TableSource::Bof() const {
  WorkArea* area = AreaAt(Area());
  return area == nullptr || area->bof();
}

bool TableSource::Shows() {
  WorkArea* area = AreaAt(Area());
  if (area == nullptr || area->eof()) return false;
  if (xb::Sets().deleted && area->Deleted()) return false;
  return InScope();
}

// ---- counting --------------------------------------------------------------------------------

std::uint64_t TableSource::StampNow(int* order, std::uint32_t* records) const {
  WorkArea* area = AreaAt(Area());
  if (area == nullptr) return 0;
  *order = area->controlling_order();
  *records = area->RecordCount();
  return area->stamp();
}

// The position of the current record among the visible keys of the order (or the visible
// records in natural order); 0 at the end of the file.
int TableSource::RawKeyNo() const {
  WorkArea* area = AreaAt(Area());
  if (area == nullptr || area->eof()) return 0;
  area->GoCold();
  const xb::rdd::RecordFilter visible = area->Visible();
  if (xb::rdd::Tag* tag = area->ControllingTag()) {
    std::uint32_t position = 0;
    const xb::rdd::BagStatus s = tag->KeyNo(area->recno(), position, visible);
    if (!s.ok()) area->RaiseBagError(s, "ORDKEYNO");
    return static_cast<int>(position);
  }
  const std::uint32_t record = area->recno();
  if (!visible) return static_cast<int>(record);
  if (!visible(record)) return 0;
  int position = 0;
  for (std::uint32_t r = 1; r <= record; ++r) position += visible(r) ? 1 : 0;
  return position;
}

const TableSource::Cache& TableSource::Counts() {
  Cache now;
  now.stamp = StampNow(&now.order, &now.records);
  if (cache_ && cache_->stamp == now.stamp && cache_->order == now.order && cache_->records == now.records)
    return *cache_;
  WorkArea* area = AreaAt(Area());
  if (area == nullptr) {
    cache_ = now;
    return *cache_;
  }
  // The current record as it is on disk now: another program may have deleted it.
  area->Skip(0);
  KeepRecord keep(area);
  const xb::rdd::RecordFilter visible = area->Visible();
  if (!scope_) {
    if (xb::rdd::Tag* tag = area->ControllingTag()) {
      std::uint32_t count = 0;
      const xb::rdd::BagStatus s = tag->KeyCount(count, visible);
      if (!s.ok()) area->RaiseBagError(s, "ORDKEYCOUNT");
      now.count = static_cast<int>(count);
    } else if (!visible) {
      now.count = static_cast<int>(now.records);
    } else {
      for (std::uint32_t r = 1; r <= now.records; ++r) now.count += visible(r) ? 1 : 0;
    }
  } else {
    SeekTop();
    now.first_position = RawKeyNo();
    while (Shows()) {
      ++now.count;
      if (limit_ > 0 && now.count >= limit_) break;
      area->Skip(1);
    }
  }
  cache_ = now;
  return *cache_;
}

int TableSource::Count() { return Counts().count; }

int TableSource::Position() {
  if (!Shows()) return 0;
  const int raw = RawKeyNo();
  if (!scope_) return raw;
  const int first = Counts().first_position;
  return raw >= first ? raw - first + 1 : 0;
}

void TableSource::GoToPosition(int n) {
  WorkArea* area = AreaAt(Area());
  if (area == nullptr) return;
  const int count = Count();
  SeekTop();
  if (count <= 1 || n <= 1) return;
  if (n >= count) {
    SeekBottom();
    return;
  }
  area->Skip(n - 1);
  if (area->eof() || (scope_ && !InScope())) SeekBottom();
}

}  // namespace ui
