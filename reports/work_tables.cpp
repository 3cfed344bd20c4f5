#include "reports/work_tables.h"

#include <algorithm>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "data/temporary_tables.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/number.h"
#include "runtime/object.h"
#include "runtime/operators.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Args;
using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

int g_index_calls = 0;

using xb::rdd::SelectedArea;

WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(xb::AllTrim(alias)));
}

void Select(WorkArea& area) { WorkAreas::Get().SelectArea(area.number()); }

// The key as it is sought: upper case and with the suffix when it is text.
Value SearchKey(const KeyCopy& copy) {
  const Value& key = copy.key.Deref();
  if (!key.IsString()) return key;
  return Value::String(xb::Upper(xb::CurrentCodePage(), key.AsString()) + copy.suffix);
}

// Whether the selected area's current record is still one of the key's rows.
bool InKey(const KeyCopy& copy, const Value& key) {
  WorkArea& area = WorkAreas::Get().Current();
  if (area.eof()) return false;
  if (copy.in_key.IsBlock()) return copy.in_key.AsBlock().Eval({key}).AsLogical();
  const Value value = Call("ORDKEYVAL");
  if (key.IsString() && value.IsString()) return value.AsString().starts_with(key.AsString());
  return value.ValType() == key.ValType() && xb::OpExactEqual(value, key).AsLogical();
}

bool Seek(const KeyCopy& copy, const Value& key) {
  Call("ORDSETFOCUS", {copy.order});
  return Call("DBSEEK", {key}).AsLogical();
}

bool CopyRows(const KeyCopy& copy, bool replace) {
  WorkArea* from = AreaOf(copy.from);
  WorkArea* to = AreaOf(copy.to);
  if (from == nullptr || to == nullptr) return false;
  SelectedArea keep;
  const Value key = SearchKey(copy);
  Select(*to);
  const bool locked = to->table().shared();
  if (locked && !data::FilLock(1)) return false;
  if (replace && Seek(copy, key)) {
    while (InKey(copy, key)) {
      to->Delete();
      to->Skip(1);
    }
  }
  Select(*from);
  if (Seek(copy, key)) {
    while (InKey(copy, key)) {
      Select(*to);
      const bool appended = to->Append(false);
      Select(*from);
      if (!appended) break;
      RecCopy(copy.to);
      from->Skip(1);
    }
  }
  Select(*to);
  to->Commit();
  if (locked) to->Unlock();
  return true;
}

Value Meter(const Value& meter, const char* message) {
  return xb::HasMessage(meter, xb::Intern(message)) ? xb::Send(meter, message) : Value();
}

}  // namespace

std::string cTName(std::string_view folder, bool group, std::string_view suffix) {
  return data::TemporaryName(folder, group, suffix);
}

void ResetIndexDataCount() { g_index_calls = 0; }

bool IndexData(std::string_view table, std::string_view folder, const xb::Array& tags, const Value& meter,
               const Value& say) {
  g_index_calls = g_index_calls <= 0 ? 1 : g_index_calls + 1;
  SelectedArea keep;
  data::NetUseOptions options;
  options.exclusive = true;
  options.with_index = false;
  if (!data::lNetUse(std::string(folder) + std::string(xb::AllTrim(table)), options)) return false;
  WorkArea& area = WorkAreas::Get().Current();
  xb::rdd::FileSystem& fs = area.file_system();
  const std::string bag = area.StructuralBagPath();
  if (fs.Exists(bag) && !fs.Remove(bag).ok()) {
    Call("DBCLOSEAREA");
    return false;
  }
  area.Pack();
  for (std::size_t i = 0; tags && i < tags.size(); ++i) {
    const Value& def = tags[i].Deref();
    if (!def.IsArray()) continue;
    const xb::Array d = def.AsArray();
    if (xb::HasMessage(say, xb::Intern("SETTEXT")))
      xb::Send(say, "SETTEXT", {Value::String(std::string(xb::AllTrim(table)) + " Indice nº " + std::to_string(i + 1))});
    const Value& unique = d.Get(2).Deref();
    Call("ORDCREATE", {Value(), d.Get(0).Deref(), d.Get(1).Deref(), Value(),
                       Value::Logical(d.size() > 2 && !unique.IsNil() && !(unique.IsLogical() && !unique.AsLogical()))});
    data::Ui().RunMessages(0);
  }
  Call("DBCLOSEAREA");
  if (meter.IsObject()) {
    const Value total = Meter(meter, "NTOTAL");
    const std::int64_t position =
        total.IsNumber() ? std::min<std::int64_t>(g_index_calls, total.AsInt()) : g_index_calls;
    xb::Send(meter, "SET", {Value::Integer(position)});
  }
  return true;
}

bool TempToMaster(const KeyCopy& copy) { return CopyRows(copy, true); }
bool MasterToTemp(const KeyCopy& copy) { return CopyRows(copy, false); }

void RecCopy(std::string_view target) {
  WorkArea& from = WorkAreas::Get().Current();
  WorkArea* to = AreaOf(target);
  if (to == nullptr || !from.used()) return;
  for (int f = 1; f <= from.FieldCount(); ++f) {
    const int pos = to->FieldPos(from.FieldAt(f)->name);
    if (pos > 0) to->PutField(pos, from.GetField(f));
  }
}

void RegisterWorkTables() {
  // TI_CTNAME(cPath, lGroup, cSuffix)
  xb::RegisterFunction("TI_CTNAME",
                       [](Args& a) { return Value::String(cTName(a.Str(1), a.Log(2), a.Str(3))); });
  xb::RegisterFunction("TI_INDEXGENERAL", [](Args& a) { return Value::Logical(data::IndexGeneral(a.Arr(1))); });
  // TI_INDEXDATA(cTable, cPath, aTags, oMeter, oSay)
  xb::RegisterFunction("TI_INDEXDATA", [](Args& a) {
    return Value::Logical(IndexData(a.Str(1), a.Str(2), a.Arr(3), a.Arg(4), a.Arg(5)));
  });
  // TI_TEMPTOMASTER / TI_MASTERTOTEMP(cFrom, cTo, nOrder, uKey, bInKey, cSuffix)
  const auto copy = [](Args& a) {
    KeyCopy c;
    c.from = std::string(a.Str(1));
    c.to = std::string(a.Str(2));
    c.order = a.IsNil(3) ? Value::Integer(1) : a.Arg(3);
    c.key = a.Arg(4);
    c.in_key = a.Arg(5);
    c.suffix = std::string(a.Str(6));
    return c;
  };
  xb::RegisterFunction("TI_TEMPTOMASTER", [copy](Args& a) { return Value::Logical(TempToMaster(copy(a))); });
  xb::RegisterFunction("TI_MASTERTOTEMP", [copy](Args& a) { return Value::Logical(MasterToTemp(copy(a))); });
  xb::RegisterFunction("TI_RECCOPY", [](Args& a) {
    RecCopy(a.Str(1));
    return Value();
  });
}

}  // namespace reports
