#include "data/record_helpers.h"

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/object.h"
#include "runtime/operators.h"
#include "runtime/rdd/workareas.h"
#include "runtime/symbol.h"

namespace data {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

WorkAreas& Areas() { return WorkAreas::Get(); }

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

// Selects the area of an alias (the selected one when the alias is empty) for the lifetime
// of the scope. An unknown alias raises the usual "alias does not exist" error and leaves
// the scope without an area.
class AliasScope {
 public:
  explicit AliasScope(std::string_view alias) : previous_(Areas().CurrentArea()) {
    const std::string name = Trimmed(alias);
    if (name.empty()) {
      area_ = &Areas().Current();
      return;
    }
    const int number = Areas().AreaOfAlias(xb::UpperName(name));
    if (number == 0) {
      xb::CallFunction("DBSELECTAREA", {Value::String(name)});
      return;
    }
    Areas().SelectArea(number);
    area_ = &Areas().Current();
  }
  ~AliasScope() { Areas().SelectArea(previous_); }
  AliasScope(const AliasScope&) = delete;
  AliasScope& operator=(const AliasScope&) = delete;

  // The area with its table, or nullptr.
  WorkArea* area() const { return area_ && area_->used() ? area_ : nullptr; }

 private:
  int previous_;
  WorkArea* area_ = nullptr;
};

Value BlankOf(const xb::rdd::dbf::Field& f) {
  switch (f.type) {
    case 'C': return Value::String(std::string(f.length, ' '));
    case 'N': return xb::NumberFromField(0, f.length, f.decimals);
    case 'D': return Value::FromDate(xb::Date{});
    case 'L': return Value::Logical(false);
    default: return Value::Memo("");
  }
}

// Position of a field given by name or number; 0 for anything else.
int FieldOf(WorkArea& area, const Value& field) {
  const Value& f = field.Deref();
  if (f.IsString()) return area.FieldPos(xb::UpperName(Trimmed(f.AsString())));
  if (f.IsNumber()) return static_cast<int>(f.AsInt());
  return 0;
}

void Restore(WorkArea& area, const AreaStatus& status) {
  area.GoCold();
  area.SetControllingOrder(status.order);
  area.GoTo(status.record);
}

AreaStatus StatusOf(WorkArea& area) { return {area.recno(), area.controlling_order()}; }

Value Field(const Value& browse, std::string_view data) {
  return xb::HasMessage(browse, xb::Intern(data)) ? xb::Send(browse, data) : Value();
}

}  // namespace

xb::Array aCamposLee() {
  WorkArea& area = Areas().Current();
  xb::Array record = xb::Array::New();
  for (int i = 1; i <= area.FieldCount(); ++i) record.Append(area.GetField(i));
  return record;
}

bool aCamposGraba(const xb::Array& record) {
  WorkArea& area = Areas().Current();
  const int count = std::min<int>(area.FieldCount(), static_cast<int>(record.size()));
  for (int i = 1; i <= count; ++i) area.PutField(i, record.Get(static_cast<std::size_t>(i - 1)).Deref());
  return true;
}

xb::Array aCamposBlank() {
  WorkArea& area = Areas().Current();
  xb::Array record = xb::Array::New();
  for (int i = 1; i <= area.FieldCount(); ++i) record.Append(BlankOf(*area.FieldAt(i)));
  return record;
}

xb::Array aGetField(const Value& key, const Value& order, std::string_view alias) {
  AliasScope scope(alias);
  WorkArea* area = scope.area();
  if (!area) return xb::Array::New();
  const AreaStatus before = StatusOf(*area);
  xb::CallFunction("ORDSETFOCUS", {order});
  const bool found = xb::CallFunction("DBSEEK", {key}).AsLogical();
  xb::Array record = found ? aCamposLee() : aCamposBlank();
  Restore(*area, before);
  return record;
}

AreaStatus aSetStatus(std::string_view alias) {
  AliasScope scope(alias);
  return scope.area() ? StatusOf(*scope.area()) : AreaStatus{};
}

void GetStatus(std::string_view alias, const AreaStatus& status) {
  AliasScope scope(alias);
  if (WorkArea* area = scope.area()) Restore(*area, status);
}

Value uGetCampo(const Value& field) {
  WorkArea& area = Areas().Current();
  const int pos = FieldOf(area, field);
  return pos > 0 ? area.GetField(pos) : Value();
}

void uPutCampo(const Value& field, const Value& value) {
  WorkArea& area = Areas().Current();
  if (const int pos = FieldOf(area, field); pos > 0) area.PutField(pos, value.Deref());
}

bool lDelRecord(const Value& browse, bool delete_record) {
  std::string field, alias;
  Value low, high;
  if (browse.Deref().IsObject()) {
    const Value f = Field(browse, "CFIELD"), a = Field(browse, "CALIAS");
    field = f.IsString() ? Trimmed(f.AsString()) : std::string();
    alias = a.IsString() ? Trimmed(a.AsString()) : std::string();
    low = Field(browse, "UVALUE1");
    high = Field(browse, "UVALUE2");
  }
  const bool range = !field.empty() && !low.IsNil();
  const bool touch = xb::IsFunctionRegistered("LISTACTIL") && xb::CallFunction("LISTACTIL").AsLogical();
  if (!Ui().ConfirmDelete(touch)) return false;
  if (!delete_record) return true;
  {
    AliasScope scope(alias);
    WorkArea* area = scope.area();
    if (!area) return true;
    auto key = [&] { return xb::EvalMacro(field); };
    area->Delete();
    area->Skip(1);
    if (area->eof() || (range && !high.IsNil() && xb::OpGreater(key(), high).AsLogical())) {
      area->Skip(-1);
      if (area->bof() || (range && xb::OpLess(key(), low).AsLogical())) {
        if (range) xb::CallFunction("DBSEEK", {low, Value::Logical(true)});
        else area->GoTop();
      }
    }
  }
  if (browse.Deref().IsObject()) {
    if (xb::HasMessage(browse, xb::Intern("UPSTABLE"))) xb::Send(browse, "UPSTABLE");
    if (xb::HasMessage(browse, xb::Intern("REFRESH"))) xb::Send(browse, "REFRESH");
  }
  return true;
}

namespace {

void EraseTable(const std::string& name) {
  xb::rdd::FileSystem& fs = Areas().file_system();
  const std::string table = cPathStart() + name + ".dbf";
  (void)fs.Remove(table);
  (void)fs.Remove(IndexFileOf(table));
}

}  // namespace

void DelVenDbf(std::string_view user_code) { EraseTable("GesVen" + Trimmed(user_code)); }
void DelImprDbf(std::string_view user_code) { EraseTable("GesPrn" + Trimmed(user_code)); }

void RegisterRecordHelpers() {
  using xb::Args;
  xb::RegisterFunction("ACAMPOSLEE", [](Args&) { return Value(aCamposLee()); });
  xb::RegisterFunction("ACAMPOSGRABA", [](Args& a) {
    if (const xb::Array record = a.Arr(1)) aCamposGraba(record);
    return Value::Logical(true);
  });
  xb::RegisterFunction("ACAMPOSBLANK", [](Args&) { return Value(aCamposBlank()); });
  xb::RegisterFunction("AGETFIELD", [](Args& a) { return Value(aGetField(a.Arg(1), a.Arg(2), a.Str(3))); });
  xb::RegisterFunction("ASETSTATUS", [](Args& a) {
    const AreaStatus s = aSetStatus(a.Str(1));
    return Value(xb::Array::Of({Value::Integer(s.record), Value::Integer(s.order)}));
  });
  xb::RegisterFunction("GETSTATUS", [](Args& a) {
    const xb::Array pair = a.Arr(2);
    if (pair && pair.size() >= 2)
      GetStatus(a.Str(1), {static_cast<std::uint32_t>(std::max<std::int64_t>(pair.Get(0).AsInt(), 0)),
                           static_cast<int>(pair.Get(1).AsInt())});
    return Value();
  });
  xb::RegisterFunction("UGETCAMPO", [](Args& a) { return uGetCampo(a.Arg(1)); });
  xb::RegisterFunction("UPUTCAMPO", [](Args& a) {
    uPutCampo(a.Arg(1), a.Arg(2));
    return Value();
  });
  xb::RegisterFunction("LDELRECORD", [](Args& a) { return Value::Logical(lDelRecord(a.Arg(1), a.Log(2, true))); });
  xb::RegisterFunction("DELVENDBF", [](Args& a) {
    DelVenDbf(a.Str(1));
    return Value();
  });
  xb::RegisterFunction("DELIMPRDBF", [](Args& a) {
    DelImprDbf(a.Str(1));
    return Value();
  });
}

}  // namespace data
