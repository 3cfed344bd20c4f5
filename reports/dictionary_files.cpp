#include "reports/dictionary_files.h"

#include <filesystem>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/dictionary_tables.h"
#include "reports/dictionary_ui.h"
#include "reports/work_tables.h"
#include "runtime/function_table.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

DictionaryUi g_no_ui;
DictionaryUi* g_ui = &g_no_ui;

xb::rdd::FileSystem& Fs() { return WorkAreas::Get().file_system(); }

using xb::rdd::SelectedArea;

// Opens `path` exclusively, without its index, in a new area; nullptr when it cannot.
WorkArea* OpenBare(const std::string& path, const std::string& alias) {
  data::NetUseOptions options;
  options.exclusive = true;
  options.with_index = false;
  options.alias = alias;
  if (!data::lNetUse(path, options)) return nullptr;
  return &WorkAreas::Get().Current();
}

bool SameStructure(WorkArea& area, const DictTable& table) {
  if (area.FieldCount() != static_cast<int>(table.fields.size())) return false;
  for (int f = 1; f <= area.FieldCount(); ++f) {
    const xb::rdd::dbf::Field& real = *area.FieldAt(f);
    const xb::rdd::dbf::FieldSpec& want = table.fields[static_cast<std::size_t>(f - 1)];
    if (real.name != want.name || real.type != want.type || real.length != want.length ||
        real.decimals != want.decimals) {
      return false;
    }
  }
  return true;
}

bool FitsNumber(const Value& n, const xb::rdd::dbf::Field& field) {
  const Value text = xb::CallFunction("STR", {n, Value::Integer(field.length), Value::Integer(field.decimals)});
  return text.AsString().find('*') == std::string_view::npos;
}

// The old field's value as the new field takes it; nil leaves the field empty.
Value Converted(const Value& value, const xb::rdd::dbf::Field& from, const xb::rdd::dbf::Field& to) {
  if (to.type == 'N') {
    Value n = value;
    if (from.type == 'C') n = xb::Val(xb::AllTrim(value.AsString()));
    else if (from.type != 'N') return {};
    return FitsNumber(n, to) ? n : Value();
  }
  if (to.type == 'C') {
    if (from.type == 'C' || from.type == 'M') return value;
    if (from.type != 'N') return {};
    const Value text = xb::CallFunction("STR", {value, Value::Integer(from.length), Value::Integer(from.decimals)});
    const std::string_view trimmed = xb::AllTrim(text.AsString());
    return trimmed.size() <= to.length ? Value::String(trimmed) : Value();
  }
  return from.type == to.type ? value : Value();
}

bool CopyRecords(WorkArea& from, WorkArea& to) {
  std::vector<std::pair<int, int>> pairs;  // {old position, new position}
  for (int f = 1; f <= to.FieldCount(); ++f) {
    const int old = from.FieldPos(to.FieldAt(f)->name);
    if (old > 0) pairs.emplace_back(old, f);
  }
  for (from.GoTop(); !from.eof(); from.Skip(1)) {
    WorkAreas::Get().SelectArea(to.number());
    if (!to.Append(false)) return false;
    for (const auto& [old, f] : pairs) {
      const Value v = Converted(from.GetField(old), *from.FieldAt(old), *to.FieldAt(f));
      if (!v.IsNil() && !to.PutField(f, v)) return false;
    }
  }
  to.Commit();
  return true;
}

bool Rename(const std::string& from, const std::string& to) {
  if (Fs().Exists(to) && !Fs().Remove(to).ok()) return false;
  return Fs().Rename(from, to).ok();
}

// Fills "chkfile.dbf" from the open table and moves it into the table's place.
bool Rebuild(const std::string& folder, const DictTable& table, WorkArea& old) {
  const std::string path = DictTablePath(folder, table.name);
  const std::string index = DictIndexPath(folder, table.name);
  const std::string work = folder + "chkfile.dbf";
  const std::string aside = path + ".bak";
  const std::string index_aside = index + ".bak";
  if (!xb::rdd::DbfTable::Create(Fs(), work, table.fields, xb::rdd::dbf::MemoKind::kFpt).ok()) {
    old.Close();
    return false;
  }
  WorkArea* fresh = OpenBare(work, "ChkFile");
  bool copied = fresh != nullptr && CopyRecords(old, *fresh);
  if (fresh != nullptr) fresh->Close();
  old.Close();
  if (!copied || !Rename(path, aside)) {
    (void)Fs().Remove(work);
    return false;
  }
  const bool had_index = Fs().Exists(index);
  if (had_index && !Rename(index, index_aside)) {
    (void)Fs().Rename(aside, path);
    (void)Fs().Remove(work);
    return false;
  }
  if (!Fs().Rename(work, path).ok()) {
    (void)Fs().Rename(aside, path);
    if (had_index) (void)Fs().Rename(index_aside, index);
    (void)Fs().Remove(work);
    return false;
  }
  (void)Fs().Remove(aside);
  if (had_index) (void)Fs().Remove(index_aside);
  return true;
}

// A table left aside by a rebuild that stopped half-way takes its place again.
void Recover(const std::string& path) {
  if (!Fs().Exists(path) && Fs().Exists(path + ".bak")) (void)Fs().Rename(path + ".bak", path);
}

void MakeFolder(const std::string& folder) {
  if (folder.empty() || &Fs() != &xb::rdd::RealFileSystem()) return;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(folder), ignored);
}

}  // namespace

DictionaryUi& DictUi() { return *g_ui; }

DictionaryUi* SetDictUi(DictionaryUi* ui) {
  DictionaryUi* previous = g_ui == &g_no_ui ? nullptr : g_ui;
  g_ui = ui != nullptr ? ui : &g_no_ui;
  return previous;
}

std::string DictFolder(std::string_view folder) {
  std::string f(xb::AllTrim(folder));
  if (!f.empty() && f.back() != '\\' && f.back() != '/') f += '\\';
  return f;
}

std::string DictTablePath(const std::string& folder, std::string_view table) {
  return folder + std::string(table) + ".dbf";
}

std::string DictIndexPath(const std::string& folder, std::string_view table) {
  return data::IndexFileOf(DictTablePath(folder, table));
}

bool CheckStruct(const std::string& folder_in) {
  const std::string folder = DictFolder(folder_in);
  MakeFolder(folder);
  SelectedArea keep;
  bool changed = false;
  DictUi().OpenStructCheck();
  for (const DictTable& table : DictionaryTables()) {
    DictUi().StructCheckTable(table.name);
    const std::string path = DictTablePath(folder, table.name);
    Recover(path);
    if (!Fs().Exists(path)) {
      if (xb::rdd::DbfTable::Create(Fs(), path, table.fields, xb::rdd::dbf::MemoKind::kFpt).ok()) changed = true;
      continue;
    }
    WorkArea* old = OpenBare(path, "ChkOld");
    if (old == nullptr) continue;
    if (SameStructure(*old, table)) {
      old->Close();
      continue;
    }
    if (Rebuild(folder, table, *old)) changed = true;
  }
  DictUi().CloseStructCheck();
  return changed;
}

// The meter of "TI_INDEXBAR" counts 20 steps; the module's call counter of TI_INDEXDATA
// moves it, past the end for the last tables.
constexpr int kIndexBarSteps = 20;

bool DictReindex(std::string_view folder_in, bool force) {
  const std::string folder = DictFolder(folder_in);
  const auto& tables = DictionaryTables();
  // A folder without the dictionary (no "Tablas.dbf") has nothing to index.
  if (!Fs().Exists(DictTablePath(folder, "Tablas"))) return true;
  if (!force) {
    bool missing = false;
    for (const DictTable& t : tables) {
      if (t.indexed() && !Fs().Exists(DictIndexPath(folder, t.name))) missing = true;
    }
    if (!missing) return true;
  }
  DictUi().OpenIndexBar(kIndexBarSteps);
  ResetIndexDataCount();
  bool ok = true;
  for (const DictTable& t : tables) {
    if (!t.indexed()) continue;
    if (!IndexData(t.name, folder, TagArray(t), DictUi().IndexMeter(), DictUi().IndexSay())) {
      ok = false;
      break;
    }
  }
  if (!ok) {
    data::Ui().MsgAlert(
        "Se ha producido algún error durante la generación de índices. Compruebe que ningún usuario está "
        "ejecutando el Generador de informes.",
        " Atención");
  }
  DictUi().CloseIndexBar();
  return ok;
}

void RegisterDictionaryFiles() {
  // DICTREINDEX(cPath, lForce)
  xb::RegisterFunction("DICTREINDEX", [](xb::Args& a) {
    return Value::Logical(DictReindex(a.IsNil(1) ? std::string_view(data::cPathInforme()) : a.Str(1), a.Log(2)));
  });
  // CDIRINFO: the dictionary's folder.
  xb::RegisterFunction("CDIRINFO", [](xb::Args&) { return Value::String(data::cPathInforme()); });
}

}  // namespace reports
