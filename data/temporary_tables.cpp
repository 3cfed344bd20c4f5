#include "data/temporary_tables.h"

#include "data/table_access.h"
#include "data/table_views.h"
#include "runtime/function_table.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/workareas.h"

namespace data {
namespace {

using xb::Args;
using xb::Value;
using xb::rdd::WorkAreas;

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

using xb::rdd::SelectedArea;

// {name, type, length, decimals} rows: a field list.
bool IsFieldList(const Value& v) {
  if (!v.IsArray() || v.AsArray().empty()) return false;
  const Value& first = v.AsArray()[0].Deref();
  return first.IsArray() && first.AsArray().Get(0).Deref().IsString();
}

Value StructureOf(const Value& item) {
  if (item.IsArray()) return item;
  if (!item.IsString()) return Value();
  const int area = WorkAreas::Get().AreaOfAlias(Trimmed(item.AsString()));
  if (area == 0) return Value();
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area);
  return Call("DBSTRUCT");
}

}  // namespace

std::string TemporaryName(std::string_view folder, bool group, std::string_view suffix) {
  std::string user;
  if (xb::IsFunctionRegistered("CCODUSER")) user = Trimmed(Call("CCODUSER").AsString());
  const std::string name = "Tmp" + user + (group ? "G" : "") + std::string(suffix);
  const std::string stem = FreeTemporaryStem(std::string(folder) + name);
  EraseTableFiles(stem);
  return stem.substr(folder.size());
}

bool IndexGeneral(const xb::Array& tags) {
  for (std::size_t i = 0; tags && i < tags.size(); ++i) {
    const Value& def = tags[i].Deref();
    if (!def.IsArray()) continue;
    const xb::Array d = def.AsArray();
    const Value& unique = d.Get(2).Deref();
    const bool is_unique = d.size() > 2 && !unique.IsNil() && !(unique.IsLogical() && !unique.AsLogical());
    Call("ORDCREATE", {Value(), d.Get(0).Deref(), d.Get(1).Deref(), Value(), Value::Logical(is_unique)});
  }
  Call("ORDSETFOCUS", {Value::Integer(1)});
  return true;
}

TTemporal::TTemporal() : Object(Cls()) {}

const xb::Class& TTemporal::Cls() {
  static const xb::Class& c = [] () -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TTEMPORAL");
    c.Data("NENTORNO", &TTemporal::nEntorno);
    c.Data("ACALIAS", &TTemporal::acAlias);
    c.Data("ACFILES", &TTemporal::acFiles);
    c.Data("CPATH", &TTemporal::cPath);
    c.Data("LEXITO", &TTemporal::lExito);
    c.Method("CREATE", [](xb::Object& o, Args& a) {
      auto& t = xb::Class::Cast<TTemporal>(o);
      t.Create(a.Arg(1), a.Arg(2).IsString() ? std::string(a.Str(2)) : std::string(".\\"),
               a.Arg(3).IsNumber() ? static_cast<int>(a.Int(3)) : 1);
      return t.AsValue();
    });
    c.Method("CREATEINDEX", [](xb::Object& o, Args& a) {
      xb::Class::Cast<TTemporal>(o).CreateIndex(a.Str(1), a.Arr(2));
      return Value();
    });
    c.Method("END", [](xb::Object& o, Args& a) {
      xb::Class::Cast<TTemporal>(o).End(a.Log(1, true));
      return Value();
    });
    return c;
  }();
  return c;
}

bool TTemporal::Create(const Value& source_value, std::string folder, int tables) {
  const Value source = source_value.Deref();
  std::vector<Value> structures;
  if (IsFieldList(source) || source.IsString()) {
    const Value structure = StructureOf(source);
    for (int i = 0; i < std::max(tables, 1); ++i) structures.push_back(structure);
  } else if (source.IsArray()) {
    for (const Value& item : source.AsArray()) structures.push_back(StructureOf(item.Deref()));
  }
  cPath = folder;
  lExito = false;
  std::vector<std::string> names;
  bool created = !structures.empty();
  for (std::size_t i = 0; created && i < structures.size(); ++i) {
    if (!structures[i].IsArray()) {
      created = false;
      break;
    }
    const std::string name = TemporaryName(folder, false, std::to_string(i + 1));
    QuietTableFailures quiet;
    Call("DBCREATE", {Value::String(folder + name + ".dbf"), structures[i],
                      Value::String(xb::rdd::DefaultDriver().name)});
    if (!WorkAreas::Get().file_system().Exists(folder + name + ".dbf")) {
      nErrorCode(0);
      created = false;
      break;
    }
    names.push_back(name);
  }
  int view = 0;
  std::vector<std::string> aliases;
  if (created) {
    ViewBegin();
    for (const std::string& name : names) {
      ViewTable t;
      t.table = name;
      t.mode = "EXCLUSIVE";
      t.folder = folder;
      aliases.push_back(ViewAdd(t));
    }
    view = nOpenView();
  }
  if (view == 0) {
    for (const std::string& name : names) EraseTableFiles(folder + name);
    return false;
  }
  nEntorno = view;
  acAlias = xb::Array::New();
  acFiles = xb::Array::New();
  for (std::size_t i = 0; i < names.size(); ++i) {
    acAlias.Append(Value::String(aliases[i]));
    acFiles.Append(Value::String(names[i]));
  }
  lExito = true;
  return true;
}

void TTemporal::CreateIndex(std::string_view alias, const xb::Array& tags) {
  const int area = WorkAreas::Get().AreaOfAlias(Trimmed(alias));
  if (area == 0) return;
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area);
  IndexGeneral(tags);
  Call("ORDSETFOCUS", {Value::Integer(1)});
  Call("DBGOTOP");
}

void TTemporal::End(bool erase) {
  if (nEntorno > 0) RestoreView(static_cast<int>(nEntorno));
  if (erase) {
    for (const Value& name : acFiles)
      if (name.IsString()) EraseTableFiles(cPath + std::string(name.AsString()));
  }
  nEntorno = 0;
  acAlias = xb::Array::New();
  acFiles = xb::Array::New();
}

void RegisterTemporaryTables() {
  TTemporal::Cls();
  xb::RegisterFunction("TTEMPORAL", [](Args&) { return Value(xb::Ref<xb::Object>(new TTemporal())); });
}

}  // namespace data
