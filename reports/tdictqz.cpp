#include "reports/tdictqz.h"

#include <cstdio>
#include <filesystem>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "data/table_views.h"
#include "reports/dictionary_check.h"
#include "reports/dictionary_files.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Args;
using xb::Value;
using xb::rdd::WorkAreas;

constexpr int kOpenSlots = 15;

DictionaryWindowHook& Hook() {
  static DictionaryWindowHook hook;
  return hook;
}

xb::Array Filled(std::size_t size, const Value& value) {
  xb::Array a = xb::Array::New(size);
  for (std::size_t i = 0; i < size; ++i) a[i] = value;
  return a;
}

void MakeFolder(const std::string& folder) {
  if (&WorkAreas::Get().file_system() != &xb::rdd::RealFileSystem()) return;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(folder), ignored);
}

// Opens the dictionary's tables as one view; `exclusive` names those taken exclusively.
// The aliases go to aDbfs.
int OpenView(const std::string& folder, const std::vector<std::string>& exclusive, bool quiet) {
  data::ViewBegin(quiet);
  std::vector<std::string> aliases;
  for (const std::string& table : OpenedDictionaryTables()) {
    data::ViewTable t;
    t.table = table;
    t.folder = folder;
    t.indexes = {table};
    for (const std::string& e : exclusive)
      if (e == table) t.mode = "EXCLUSIVE";
    aliases.push_back(data::ViewAdd(t));
  }
  const int view = data::nOpenView();
  for (std::size_t i = 0; view != 0 && i < aliases.size(); ++i) TDictQZ::aDbfs()[i] = Value::String(aliases[i]);
  return view;
}

}  // namespace

TDictQZ::TDictQZ() : Object(Cls()) {}
TDictQZ::TDictQZ(const xb::Class& cls) : Object(cls) {}

std::string& TDictQZ::cPath() {
  static std::string path;
  return path;
}
std::string& TDictQZ::cTempPath() {
  static std::string path;
  return path;
}
bool& TDictQZ::lShowWindow() {
  static bool show = true;
  return show;
}
bool& TDictQZ::lDebug() {
  static bool debug = false;
  return debug;
}
xb::Array& TDictQZ::alOpen() {
  static xb::Array open = Filled(kOpenSlots, Value::Logical(false));
  return open;
}
xb::Array& TDictQZ::aoBrws() {
  static xb::Array browses = Filled(kOpenSlots, Value());
  return browses;
}
xb::Array& TDictQZ::aDbfs() {
  static xb::Array aliases = Filled(OpenedDictionaryTables().size(), Value::String(""));
  return aliases;
}

const std::vector<std::string>& OpenedDictionaryTables() {
  static const std::vector<std::string> tables = {"Tablas",   "Campos",   "Indices", "Relacion", "CampoRes", "Expresio",
                                                  "ExprCol",  "Entorno",  "Informes", "Condicio", "Columnas", "Recol",
                                                  "CnfColum", "Inicial",  "Graficos", "GrafCat",  "RelTab",   "CabeH",
                                                  "CabeD",    "Categor",  "Fonts",   "SubCat"};
  return tables;
}

std::string TDictQZ::AliasOf(std::string_view table) {
  const auto& tables = OpenedDictionaryTables();
  const std::string wanted = xb::Upper(xb::CurrentCodePage(), xb::AllTrim(table));
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (xb::Upper(xb::CurrentCodePage(), tables[i]) != wanted) continue;
    const Value& alias = aDbfs().Get(i);
    return alias.IsString() ? std::string(alias.AsString()) : std::string();
  }
  return {};
}

TDictQZ& TDictQZ::New(const std::string& folder, bool debug) {
  const int keep = WorkAreas::Get().CurrentArea();
  // The dictionary's tables and indexes are the Advantage driver's (CDX indexes).
  xb::rdd::SetDefaultDriver("ADS");
  cPath() = DictFolder(folder);
  cTempPath() = cPath() + "TEMP\\";
  MakeFolder(cPath());
  MakeFolder(cTempPath());
  lDebug() = debug;
  cTitle = "Diccionario";
  const bool changed = CheckStruct(cPath());
  Reindex(changed);
  WorkAreas::Get().SelectArea(keep);
  return *this;
}

void TDictQZ::Reindex(bool force) { DictReindex(cPath(), force); }

void TDictQZ::BuildFonts() {
  xb::Array fonts = xb::Array::New();
  const int keep = WorkAreas::Get().CurrentArea();
  std::string alias = AliasOf("Fonts");
  bool opened_here = false;
  if (alias.empty()) {
    data::NetUseOptions options;
    options.alias = "HtmlFonts";
    if (!data::lNetUse(cPath() + "Fonts", options)) {
      WorkAreas::Get().SelectArea(keep);
      aHTMLFonts = Value(fonts);
      return;
    }
    alias = "HtmlFonts";
    opened_here = true;
  }
  xb::rdd::WorkArea& area = *WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(alias));
  const std::uint32_t recno = area.recno();
  const int order = area.controlling_order();
  area.SetControllingOrder(0);
  const auto field = [&area](const char* name) { return area.GetField(area.FieldPos(name)); };
  for (area.GoTop(); !area.eof(); area.Skip(1)) {
    std::string face(xb::AllTrim(field("CFACENAME").AsString()));
    if (face.empty()) face = "Arial";
    const std::int64_t colour = field("NCOLOR").AsInt();
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "#%02X%02X%02X", static_cast<unsigned>(colour & 0xFF),
                  static_cast<unsigned>((colour >> 8) & 0xFF), static_cast<unsigned>((colour >> 16) & 0xFF));
    char size[16];
    std::snprintf(size, sizeof size, "%gpt", field("NHEIGHT").AsDouble());
    std::string style = "font-family: " + face + "; font-size: " + size + "; color: " + rgb + ";";
    if (field("LBOLD").AsLogical()) style += " font-weight: bold;";
    if (field("LITALIC").AsLogical()) style += " font-style: italic;";
    fonts.Append(Value(xb::Array::Of(
        {Value::String("FNT_" + std::to_string(field("NFONT").AsInt())), Value::String(style)})));
  }
  area.SetControllingOrder(order);
  area.GoTo(recno);
  if (opened_here) area.Close();
  WorkAreas::Get().SelectArea(keep);
  aHTMLFonts = Value(fonts);
}

std::string TDictQZ::OpenTable(const std::string& table, const std::string& alias) {
  const std::string name = xb::Upper(xb::CurrentCodePage(), xb::AllTrim(table));
  std::string file, ruta;
  bool exacta = false, found = false;
  if (const int n = WorkAreas::Get().AreaOfAlias(AliasOf("Tablas")); n > 0) {
    xb::rdd::WorkArea& a = *WorkAreas::Get().Area(n);
    const std::uint32_t recno = a.recno();
    const int order = a.controlling_order();
    a.SetControllingOrder(0);
    const auto text = [&a](const char* f) {
      const Value v = a.GetField(a.FieldPos(f));
      return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
    };
    for (a.GoTop(); !a.eof() && !found; a.Skip(1)) {
      if (xb::Upper(xb::CurrentCodePage(), text("TABLA")) != name) continue;
      found = true;
      file = text("FICHERO");
      ruta = text("RUTA");
      exacta = a.GetField(a.FieldPos("EXACTA")).IsLogical() && a.GetField(a.FieldPos("EXACTA")).AsLogical();
    }
    a.SetControllingOrder(order);
    a.GoTo(recno);
  }
  if (!found || file.empty()) {
    data::Ui().MsgStop("Tabla " + name + " no encontrada", "Atención");
    return {};
  }
  const int keep = WorkAreas::Get().CurrentArea();
  data::NetUseOptions options;
  options.alias = alias.empty() ? name : alias;
  const bool opened = data::lNetUse(DescribedTableFolder(exacta, ruta) + file, options);
  const std::string result = opened ? WorkAreas::Get().Current().alias() : std::string();
  WorkAreas::Get().SelectArea(keep);
  return result;
}

const std::vector<std::string>& DictionaryWindowMethods() {
  static const std::vector<std::string> methods = {
      "SHOWWINDOW", "POPUP",       "TABLAS",     "IMPORTTABLES", "IMPORT1TABLE", "CAMPOS",      "INDICES",
      "RELACIONES", "EXPRESIONES", "ENTORNOS",   "CATEGORIAS",   "SUBCAT",       "CABINFORMES", "INFORMES",
      "GRAFICOS",   "GRAFCATE",    "ARBOL_INFORMES", "ARBOL_GRAFICOS",
      // The maintenance of the current row of a table.
      "DOIMPORT", "EDITTABLE", "DELETETABLE", "ACTUALTABLA", "MNGCAMPO", "VALORCAMPO", "DELCAMPO", "SELCAMPO",
      "CHECKIND", "MNGINDICE", "DELINDICE", "MNGRELACIONES", "DELRELACION", "ACTUALINDICES", "MNGEXPRESIONES",
      "EXPRCOLUMNAS", "GUARDAEXPRESION", "DUPEXPRESIONES", "CHECKEXPRESION", "EXPBUILDER", "MNGENTORNOS", "MNGCATEGORIAS", "MNGSUBCAT", "MNGCABLIS",
      "MNGGRAFICOS", "MNGCATGRAFICOS", "CONSTRUYEARBOL"};
  return methods;
}

bool TDictQZ::Activate(const std::string& mode, bool show) {
  const int keep = WorkAreas::Get().CurrentArea();
  const std::string m = xb::Upper(xb::CurrentCodePage(), xb::AllTrim(mode));
  std::vector<std::string> exclusive;
  if (m == "CHK" || m == "CHKREL") exclusive = {"Informes", "RelTab"};
  // A dictionary open already keeps its tables: its aliases come back at End.
  outer_dbfs_.clear();
  for (std::size_t i = 0; i < aDbfs().size(); ++i) {
    const Value& alias = aDbfs().Get(i);
    outer_dbfs_.push_back(alias.IsString() ? std::string(alias.AsString()) : std::string());
  }
  view_ = OpenView(cPath(), exclusive, !exclusive.empty());
  if (view_ == 0 && !exclusive.empty()) {
    data::Ui().MsgAlert("Imposible abrir fichero en modo exclusivo", "Atención");
    view_ = OpenView(cPath(), {}, false);
  }
  if (view_ != 0) {
    for (const char* ordered : {"CabeH", "CabeD"}) {
      const int area = WorkAreas::Get().AreaOfAlias(AliasOf(ordered));
      if (area == 0) continue;
      WorkAreas::Get().SelectArea(area);
      xb::CallFunction("ORDSETFOCUS", {Value::String("Codigo")});
    }
    lAbierto = true;
  }
  WorkAreas::Get().SelectArea(keep);
  if (view_ != 0 && show && lShowWindow() && Hook().show) Hook().show(*this);
  return view_ != 0;
}

void TDictQZ::End() {
  if (Hook().end) Hook().end(*this);
  if (view_ != 0) {
    data::RestoreView(view_);
    for (std::size_t i = 0; i < aDbfs().size(); ++i)
      aDbfs()[i] = Value::String(i < outer_dbfs_.size() ? outer_dbfs_[i] : std::string());
  }
  view_ = 0;
  outer_dbfs_.clear();
  lAbierto = false;
}

const xb::Class& TDictQZ::Cls() {
  static const xb::Class& c = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TDICTQZ");
    c.Data("OINFORME", &TDictQZ::oInforme);
    c.Data("OWND", &TDictQZ::oWnd);
    c.Data("NENTORNO", &TDictQZ::nEntorno);
    c.Data("LABIERTO", &TDictQZ::lAbierto);
    c.Data("CTITLE", &TDictQZ::cTitle);
    c.Data("NMNU2OPTION", &TDictQZ::nMnu2Option);
    c.Data("OMAINTREE", &TDictQZ::oMainTree);
    c.Data("LRELOAD", &TDictQZ::lReload);
    c.Data("AHTMLFONTS", &TDictQZ::aHTMLFonts);
    c.Property("CPATH", [](xb::Object&) { return Value::String(cPath()); },
               [](xb::Object&, const Value& v) { cPath() = DictFolder(v.IsString() ? v.AsString() : ""); });
    c.Property("CTEMPPATH", [](xb::Object&) { return Value::String(cTempPath()); }, nullptr);
    c.Property("LSHOWWINDOW", [](xb::Object&) { return Value::Logical(lShowWindow()); },
               [](xb::Object&, const Value& v) { lShowWindow() = v.IsLogical() && v.AsLogical(); });
    c.Property("LDEBUG", [](xb::Object&) { return Value::Logical(lDebug()); },
               [](xb::Object&, const Value& v) { lDebug() = v.IsLogical() && v.AsLogical(); });
    c.Property("ALOPEN", [](xb::Object&) { return Value(alOpen()); }, nullptr);
    c.Property("AOBRWS", [](xb::Object&) { return Value(aoBrws()); }, nullptr);
    c.Property("ADBFS", [](xb::Object&) { return Value(aDbfs()); }, nullptr);
    c.Method("NEW", [](xb::Object& o, Args& a) {
      return xb::Class::Cast<TDictQZ>(o).New(std::string(a.Str(1)), a.Log(3)).AsValue();
    });
    c.Method("ACTIVATE", [](xb::Object& o, Args& a) {
      return Value::Logical(xb::Class::Cast<TDictQZ>(o).Activate(a.IsNil(1) ? "ID" : std::string(a.Str(1))));
    });
    c.Method("END", [](xb::Object& o, Args&) {
      xb::Class::Cast<TDictQZ>(o).End();
      return Value();
    });
    c.Method("REINDEX", [](xb::Object& o, Args& a) {
      xb::Class::Cast<TDictQZ>(o).Reindex(a.Log(1));
      return Value();
    });
    c.Method("BUILDFONTS", [](xb::Object& o, Args&) {
      xb::Class::Cast<TDictQZ>(o).BuildFonts();
      return xb::Class::Cast<TDictQZ>(o).aHTMLFonts;
    });
    c.Method("CHECKSTRUCT", [](xb::Object&, Args&) { return Value::Logical(CheckStruct(cPath())); });
    c.Method("CHECKFILES", [](xb::Object&, Args& a) {
      CheckFiles(cPath(), a.IsNil(1) || a.Log(1));
      return Value();
    });
    c.Method("OPENTABLE", [](xb::Object& o, Args& a) {
      const std::string alias = xb::Class::Cast<TDictQZ>(o).OpenTable(std::string(a.Str(1)), std::string(a.Str(2)));
      return alias.empty() ? Value::Logical(false) : Value::String(alias);
    });
    // The window's lists, trees and dialogs, answered by the windowed part when it is there.
    for (const std::string& name : DictionaryWindowMethods()) {
      c.Method(name, [name](xb::Object& o, Args& a) {
        return Hook().method ? Hook().method(xb::Class::Cast<TDictQZ>(o), name, a) : Value();
      });
    }
    return c;
  }();
  return c;
}

void SetDictionaryWindowHook(DictionaryWindowHook hook) { Hook() = std::move(hook); }

void RegisterTDictQZ() {
  (void)TDictQZ::Cls();
  xb::RegisterFunction("TDICTQZ", [](Args&) { return Value(xb::MakeRef<TDictQZ>()); });
}

}  // namespace reports
