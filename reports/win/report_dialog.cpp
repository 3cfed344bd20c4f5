#include "reports/win/report_dialog.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <utility>

#include "data/table_access.h"
#include "reports/access_rules.h"
#include "reports/dictionary_rows.h"
#include "reports/table_search.h"
#include "reports/tdictqz.h"
#include "reports/tinforme_object.h"
#include "reports/win/report_dialog_builders.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "ui/controls/tcheckbox.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/tget.h"
#include "ui/core/msg_box.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

WorkArea* AreaOf(std::string_view alias) {
  if (alias.empty()) return nullptr;
  WorkAreas& areas = WorkAreas::Get();
  const int n = areas.AreaOfAlias(xb::AllTrim(alias));
  return n == 0 ? nullptr : areas.Area(n);
}

std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0 || a.eof()) return {};
  const Value v = a.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

int Number(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0 || a.eof()) return 0;
  const Value v = a.GetField(pos);
  return v.IsNumber() ? static_cast<int>(std::lround(v.AsDouble())) : 0;
}

bool Logical(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0 || a.eof()) return false;
  const Value v = a.GetField(pos);
  return v.IsLogical() && v.AsLogical();
}

std::size_t FieldWidth(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  return pos == 0 ? std::string::npos : a.FieldAt(pos)->length;
}

// The edits of a dialog take no more than their Informes fields hold.
void LimitToFields(HWND dialog, std::initializer_list<std::pair<int, const char*>> edits) {
  WorkArea* a = AreaOf(TDictQZ::AliasOf("Informes"));
  if (a == nullptr) return;
  for (const auto& [id, field] : edits)
    if (const std::size_t width = FieldWidth(*a, field); width != std::string::npos)
      SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, width, 0);
}

void Put(WorkArea& a, std::string_view name, const Value& v) {
  const int pos = a.FieldPos(name);
  if (pos > 0) a.PutField(pos, v);
}

// The record of the first live row whose `field` is `value` (0 when none); natural order.
std::uint32_t Find(WorkArea& a, std::string_view field, const std::string& value,
                   std::string_view field2 = {}, const std::string& value2 = {}) {
  const int order = a.controlling_order();
  a.SetControllingOrder(0);
  std::uint32_t found = 0;
  for (a.GoTop(); !a.eof() && found == 0; a.Skip(1))
    if (!a.Deleted() && Upper(Text(a, field)) == Upper(value) && (field2.empty() || Upper(Text(a, field2)) == Upper(value2)))
      found = a.recno();
  a.SetControllingOrder(order);
  if (found != 0) a.GoTo(found);
  return found;
}

std::string DlgText(HWND dialog, int id) {
  char buffer[512] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return std::string(xb::AllTrim(buffer));
}

void SetText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// What a font button's label shows of font `number` of Fonts.
std::string FontText(int number) {
  WorkArea* fonts = AreaOf(TDictQZ::AliasOf("Fonts"));
  if (fonts == nullptr) return {};
  const int order = fonts->controlling_order();
  fonts->SetControllingOrder(0);
  std::string text;
  for (fonts->GoTop(); !fonts->eof(); fonts->Skip(1)) {
    if (fonts->Deleted() || Number(*fonts, "NFONT") != number) continue;
    const Value h = fonts->GetField(fonts->FieldPos("NHEIGHT"));
    text = svc::FontDescription(Text(*fonts, "CFACENAME"), static_cast<int>(std::abs(h.IsNumber() ? h.AsDouble() : 0)),
                                Logical(*fonts, "LBOLD"), Logical(*fonts, "LITALIC"));
    break;
  }
  fonts->SetControllingOrder(order);
  return text;
}

std::string CCodUser() {
  return xb::IsFunctionRegistered("CCODUSER") ? std::string(xb::AllTrim(xb::CallFunction("CCODUSER", {}).AsString()))
                                                : std::string();
}

// A search behind a magnifier button: the code chosen into the edit, its description into
// the label.
void Search(HWND page, int edit, int label, const ChoiceQuery& query, const std::string& title, const ui::WindowRef& owner) {
  std::string description;
  const Value code = uDblFinBin(query, title, Value(owner), &description);
  if (!code.IsString()) return;
  SetText(page, edit, std::string(xb::AllTrim(code.AsString())));
  if (label != 0) SetText(page, label, description);
}

// The description of a code in a table (for the labels beside the codes).
std::string DescriptionOf(const std::string& table, std::string_view field, const std::string& code,
                          std::string_view field2 = {}, const std::string& value2 = {}) {
  WorkArea* a = AreaOf(TDictQZ::AliasOf(table));
  if (a == nullptr || code.empty()) return {};
  const std::uint32_t keep = a->recno();
  std::string text;
  if (Find(*a, field, code, field2, value2) != 0) {
    text = Text(*a, "DESCRIPC");
    if (text.empty()) text = Text(*a, "DESCRIP");
  }
  a->GoTo(keep);
  return text;
}

// The report dialogs open, the innermost last; each puts itself in the oDlg of the object
// that asked for it.
std::vector<OpenInforme*>& OpenDialogs() {
  static std::vector<OpenInforme*> open;
  return open;
}
std::vector<Value>& DialogOwners() {
  static std::vector<Value> owners;
  return owners;
}

class OpenScope {
 public:
  explicit OpenScope(OpenInforme& open) : open_(open) {
    OpenDialogs().push_back(&open);
    // The owner waiting is taken: a dialog opened later from this one is not its.
    if (!DialogOwners().empty() && DialogOwners().back().IsObject()) {
      owner_ = std::exchange(DialogOwners().back(), Value());
      previous_ = xb::Send(owner_, "ODLG");
      xb::Send(owner_, "_ODLG", {Value(open.dialog)});
    }
  }
  ~OpenScope() {
    std::erase(OpenDialogs(), &open_);
    if (owner_.IsObject()) xb::Send(owner_, "_ODLG", {previous_});
  }
  OpenScope(const OpenScope&) = delete;
  OpenScope& operator=(const OpenScope&) = delete;

 private:
  OpenInforme& open_;
  Value owner_, previous_;
};

enum : int {
  kCode = 101, kCategory = 102, kSubcat = 103, kDescription = 104, kMaster = 105, kTitle = 106, kProducts = 107,
  kMaestro = 108, kDirect = 109, kFindCategory = 112, kFindSubcat = 113, kFindMaster = 115,
  kCategoryLabel = 122, kSubcatLabel = 123, kMasterLabel = 125,
  kHeader = 201, kDesde = 202, kHasta = 203, kMargin = 204, kLines = 205, kFontTitles = 206, kColumnFonts = 210,
  kFindHeader = 211, kHeaderLabel = 221, kFontLabels = 216,
  kOrderSay = 301, kOrderBuild = 302, kOrderClear = 303, kGroupSay = 311, kGroupBuild = 312, kGroupClear = 313,
  kJump = 321, kDesglose = 322,
  kCondSay = 401, kCondBuild = 402, kCondClear = 403, kStopSay = 411, kStopBuild = 412, kStopClear = 413,
};

}  // namespace

bool LoadInforme(const std::string& code, InformeForm* form) {
  WorkArea* a = AreaOf(TDictQZ::AliasOf("Informes"));
  if (a == nullptr || code.empty() || Find(*a, "INFORME", code) == 0) return false;
  InformeForm& f = *form;
  f.informe = Text(*a, "INFORME");
  f.categoria = Text(*a, "CATEGORIA");
  f.subcat = Text(*a, "SUBCAT");
  f.descripc = Text(*a, "DESCRIPC");
  f.tablamast = Text(*a, "TABLAMAST");
  f.titulo = Text(*a, "TITULO");
  f.productos = Text(*a, "PRODUCTOS");
  f.maestro = Logical(*a, "MAESTRO");
  f.directo = Logical(*a, "DIRECTO");
  f.cabecera = Text(*a, "CABECERA");
  f.desde = Text(*a, "DESDE");
  f.hasta = Text(*a, "HASTA");
  f.margen = Number(*a, "MARGEN");
  f.lineasr = Number(*a, "LINEASR");
  f.fonts = {Number(*a, "FNT_TIT"), Number(*a, "FNT_LIN"), Number(*a, "FNT_SUB"), Number(*a, "FNT_TOT")};
  f.ljump = Logical(*a, "LJUMP");
  f.desglose = Logical(*a, "DESGLOSE");
  return true;
}

bool GuardaInforme(const InformeForm& f, bool edit, ReportCopies& copies) {
  if (f.informe.empty() || f.categoria.empty() || f.tablamast.empty() || f.descripc.empty()) {
    ui::MsgStop(Value::String("Debe rellenar los campos de la primera pestaña"), "Atención");
    return false;
  }
  if (!lValidCategoria(TDictQZ::AliasOf("Categor"), f.categoria)) {
    ui::MsgStop(Value::String("Categoría no válida"), "Atención");
    return false;
  }
  if (!f.subcat.empty()) {
    WorkArea* subcats = AreaOf(TDictQZ::AliasOf("SubCat"));
    if (subcats == nullptr || Find(*subcats, "CATEGORIA", f.categoria, "SUBCAT", f.subcat) == 0) {
      ui::MsgStop(Value::String("Subcategoria no válida"), "Atención");
      return false;
    }
  }
  WorkArea* a = AreaOf(TDictQZ::AliasOf("Informes"));
  if (a == nullptr) return false;
  // The code as it will be stored: a longer one is cut to the field, and checked so.
  const std::string code = Upper(f.informe.substr(0, FieldWidth(*a, "INFORME")));
  const std::uint32_t found = Find(*a, "INFORME", code);
  if (!edit && found != 0) {
    ui::MsgStop(Value::String("Nombre de informe duplicado"), "Atención");
    return false;
  }
  if (edit && found == 0) return false;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(a->number());
  const bool shared = a->table().shared();
  const bool held = edit ? (!shared || data::lNetRecLock()) : (shared ? data::lNetRecAdd() : a->Append(false));
  if (!held) {
    WorkAreas::Get().SelectArea(keep);
    return false;
  }
  if (!edit) {
    Put(*a, "INFORME", Value::String(code));
    Put(*a, "INFMASTER", Value::String(code));
    std::string access = ReportWithLevel("", CCodUser(), '2').value_or(std::string());
    Put(*a, "ACCESO1", Value::String(access.substr(0, std::min<std::size_t>(200, access.size()))));
    Put(*a, "ACCESO2", Value::String(access.size() > 200 ? access.substr(200) : std::string()));
  }
  Put(*a, "CATEGORIA", Value::String(Upper(f.categoria)));
  Put(*a, "SUBCAT", Value::String(Upper(f.subcat)));
  Put(*a, "DESCRIPC", Value::String(f.descripc));
  Put(*a, "TABLAMAST", Value::String(Upper(f.tablamast)));
  Put(*a, "TITULO", Value::String(f.titulo));
  Put(*a, "PRODUCTOS", Value::String(f.productos));
  Put(*a, "MAESTRO", Value::Logical(f.maestro));
  Put(*a, "DIRECTO", Value::Logical(f.directo));
  Put(*a, "CABECERA", Value::String(Upper(f.cabecera)));
  Put(*a, "DESDE", Value::String(f.desde));
  Put(*a, "HASTA", Value::String(f.hasta));
  Put(*a, "MARGEN", Value::Integer(f.margen));
  Put(*a, "LINEASR", Value::Integer(f.lineasr));
  Put(*a, "FNT_TIT", Value::Integer(f.fonts[0]));
  Put(*a, "FNT_LIN", Value::Integer(f.fonts[1]));
  Put(*a, "FNT_SUB", Value::Integer(f.fonts[2]));
  Put(*a, "FNT_TOT", Value::Integer(f.fonts[3]));
  Put(*a, "LJUMP", Value::Logical(f.ljump));
  Put(*a, "DESGLOSE", Value::Logical(f.desglose));
  a->Commit();
  if (shared) a->Unlock(a->recno());
  WorkAreas::Get().SelectArea(keep);
  return copies.WriteBack(code);
}

bool CnfColumn(const std::string& code, const std::array<int, 4>& fonts) {
  WorkArea* columnas = AreaOf(TDictQZ::AliasOf("Columnas"));
  WorkArea* cnf = AreaOf(TDictQZ::AliasOf("CnfColum"));
  if (columnas == nullptr || cnf == nullptr || code.empty()) return false;
  if (!ui::MsgYesNo(Value::String("¿Desea aplicar las fuentes seleccionadas a todas las columnas del informe ? \n\r( Si "
                                  "personalizó las fuentes de alguna columna, deberá volver a hacerlo )"),
                    " Atención"))
    return false;
  std::vector<int> ids;
  const int order = columnas->controlling_order();
  columnas->SetControllingOrder(0);
  for (columnas->GoTop(); !columnas->eof(); columnas->Skip(1))
    if (!columnas->Deleted() && Upper(Text(*columnas, "INFORME")) == Upper(code)) ids.push_back(Number(*columnas, "IDCOL"));
  columnas->SetControllingOrder(order);
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(cnf->number());
  const bool shared = cnf->table().shared();
  bool ok = true;
  for (int id : ids) {
    std::uint32_t found = 0;
    const int cnf_order = cnf->controlling_order();
    cnf->SetControllingOrder(0);
    for (cnf->GoTop(); !cnf->eof() && found == 0; cnf->Skip(1))
      if (!cnf->Deleted() && Upper(Text(*cnf, "INFORME")) == Upper(code) && Number(*cnf, "IDCOL") == id) found = cnf->recno();
    cnf->SetControllingOrder(cnf_order);
    if (found != 0) cnf->GoTo(found);
    const bool held = found != 0 ? (!shared || data::lNetRecLock()) : (shared ? data::lNetRecAdd() : cnf->Append(false));
    if (!held) {
      ok = false;
      break;
    }
    Put(*cnf, "INFORME", Value::String(Upper(code)));
    Put(*cnf, "IDCOL", Value::Integer(id));
    Put(*cnf, "FNT_TIT", Value::Integer(fonts[0]));
    Put(*cnf, "FNT_LIN", Value::Integer(fonts[1]));
    Put(*cnf, "FNT_SUB", Value::Integer(fonts[2]));
    Put(*cnf, "FNT_TOT", Value::Integer(fonts[3]));
    cnf->Commit();
    if (shared) cnf->Unlock(cnf->recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

bool MngInformes(bool lEdit, const std::string& code_in, const std::string& category, const std::string& subcat) {
  const std::string informes = TDictQZ::AliasOf("Informes");
  WorkArea* inf = AreaOf(informes);
  if (inf == nullptr) return false;
  // The caller's list keeps its order; its row too unless a report was saved (then that one).
  struct Place {
    WorkArea& area;
    int order;
    std::uint32_t record;
    bool moved = false;
    ~Place() {
      area.SetControllingOrder(order);
      if (!moved) area.GoTo(record);
    }
  } place{*inf, inf->controlling_order(), inf->recno()};
  InformeForm form;
  if (lEdit) {
    const std::string code = code_in.empty() ? Text(*inf, "INFORME") : code_in;
    if (code.empty()) return false;
    if (cAccesoInforme(informes, code, false, true, "") != "2") {
      ui::MsgStop(Value::String("No dispone de acceso para modificar este informe."), " Acceso denegado");
      return false;
    }
    if (!LoadInforme(code, &form)) return false;
  } else {
    form.categoria = category;
    form.subcat = subcat;
  }
  ReportCopies copies;
  if (!copies.Open(lEdit ? form.informe : std::string())) return false;
  const std::vector<ReportColumn> columns = ColInforme(form.informe, form.tablamast);
  FillEditedColumns(form.informe);

  const ui::DialogRef dialog = svc::ResourceDialog(
      Value::String("TI_FOLDER_INFORME"), lEdit ? " Informe: " + form.descripc : std::string(" Constructor de informes"));
  ui::TDialog* box = dialog.get();
  std::vector<std::string> prompts = {"Datos iniciales", "Datos de impresión", "Presentación", "Establecer filtros"};
  std::vector<Value> pages = {Value::String("TI_INFORME_DATOS"), Value::String("TI_INFORME_IMPRESION"),
                              Value::String("TI_INFORME_PRESENTACION"), Value::String("TI_INFORME_FILTROS")};
  if (TDictQZ::lDebug()) {
    prompts.push_back("Funciones de Filtro");
    pages.push_back(Value::String("TI_INFORME_FUNCIONES"));
  }
  auto tabs = xb::MakeRef<ui::TFolder>();
  tabs->ReDefine(300, {.prompts = prompts, .dialogs = pages, .parent = dialog});
  const ui::DialogRef initial(tabs->Page(1)), printing(tabs->Page(2)), layout(tabs->Page(3)), filters(tabs->Page(4));
  ui::TFolder* folder = tabs.get();

  // Page 1: the searches and the direct flag.
  std::vector<xb::Ref<ui::TButton>> buttons;
  ui::TDialog* p1 = initial.get();
  ui::TDialog* p2 = printing.get();
  ui::TDialog* p3 = layout.get();
  ui::TDialog* p4 = filters.get();
  const ui::WindowRef owner(box);
  // The category is checked as its field is left (and again on saving), the subcategory's
  // description then looked up within it; that description also follows what is typed in the
  // subcategory, which is checked on saving. The master table's description follows what is typed.
  const ui::SetGet category_value = ui::SetGet::Of(Value::String(xb::PadR(form.categoria, 5)));
  const ui::SetGet subcat_value = ui::SetGet::Of(Value::String(xb::PadR(form.subcat, 5)));
  const auto show_subcat = [category_value, subcat_value, p1] {
    SetText(p1->hWnd, kSubcatLabel,
            DescriptionOf("SubCat", "CATEGORIA", Upper(category_value.Get().AsString()), "SUBCAT",
                          Upper(subcat_value.Get().AsString())));
  };
  auto category_get = xb::MakeRef<ui::TGet>();
  category_get->ReDefine(kCategory, {.set_get = category_value.block,
                                     .parent = initial,
                                     .picture = "@!",
                                     .valid = Value(xb::Block::Native([category_value, p1, show_subcat](xb::Args&) {
                                       const std::string cat = Upper(category_value.Get().AsString());
                                       if (!lValidCategoria(TDictQZ::AliasOf("Categor"), cat)) {
                                         ui::MsgStop(Value::String("Categoría no válida"), "Atención");
                                         return Value::Logical(false);
                                       }
                                       SetText(p1->hWnd, kCategoryLabel, DescriptionOf("Categor", "CATEGORIA", cat));
                                       show_subcat();
                                       return Value::Logical(true);
                                     }))});
  auto subcat_get = xb::MakeRef<ui::TGet>();
  subcat_get->ReDefine(kSubcat, {.set_get = subcat_value.block,
                                 .parent = initial,
                                 .picture = "@!",
                                 .valid = Value(xb::Block::Native([show_subcat](xb::Args&) {
                                   show_subcat();
                                   return Value::Logical(true);
                                 }))});
  const bool fixed_master = lEdit && !columns.empty();
  ReportCopies* c = &copies;
  const ui::SetGet master_value = ui::SetGet::Of(Value::String(xb::PadR(form.tablamast, 10)));
  auto master_get = xb::MakeRef<ui::TGet>();
  master_get->ReDefine(kMaster, {.set_get = master_value.block,
                                 .parent = initial,
                                 .picture = "@!",
                                 .valid = Value(xb::Block::Native([master_value, p1, c](xb::Args&) {
                                   SetText(p1->hWnd, kMasterLabel,
                                           c->MasterDescription(std::string(master_value.Get().AsString())).value_or(""));
                                   return Value::Logical(true);
                                 })),
                                 .read_only = fixed_master});
  // A search puts its choice into the field and its description beside it.
  const auto search = [owner](ui::TGet* get, const ui::SetGet& value, HWND page, int label, std::size_t width,
                              const ChoiceQuery& query, const std::string& title) {
    std::string description;
    const Value code = uDblFinBin(query, title, Value(owner), &description);
    if (!code.IsString()) return;
    value.Put(Value::String(xb::PadR(xb::AllTrim(code.AsString()), static_cast<std::int64_t>(width))));
    get->Refresh();
    SetText(page, label, std::string(xb::AllTrim(description)));
  };
  ui::TGet* category_field = category_get.get();
  buttons.push_back(svc::Button(initial, kFindCategory, [p1, search, category_field, category_value] {
    search(category_field, category_value, p1->hWnd, kCategoryLabel, 5,
           {.code_field = "CATEGORIA", .alias = TDictQZ::AliasOf("Categor")}, "Categoría");
  }));
  buttons.back()->lCancel = true;  // the category being corrected is not checked on the way
  ui::TGet* subcat_field = subcat_get.get();
  buttons.push_back(svc::Button(initial, kFindSubcat, [p1, search, subcat_field, subcat_value] {
    const std::string cat = DlgText(p1->hWnd, kCategory);
    if (cat.empty()) {
      SetFocus(GetDlgItem(p1->hWnd, kCategory));
      return;
    }
    search(subcat_field, subcat_value, p1->hWnd, kSubcatLabel, 5,
           {.code_field = "SUBCAT", .alias = TDictQZ::AliasOf("SubCat"), .order = {}, .filter_field = "CATEGORIA",
            .filter_value = Value::String(Upper(cat))},
           "Subcategoría");
  }));
  ui::TGet* master_field = master_get.get();
  buttons.push_back(svc::Button(initial, kFindMaster, [p1, search, master_field, master_value, c, fixed_master] {
    if (fixed_master) return;
    search(master_field, master_value, p1->hWnd, kMasterLabel, 10, c->MasterTables(), "Búsqueda de tablas maestras");
  }));
  const auto apply_direct = [p2, folder, lEdit](bool direct) {
    for (int id : {kDesde, kHasta, kLines}) EnableWindow(GetDlgItem(p2->hWnd, id), !direct);
    if (!lEdit || !folder->aEnable.IsArray()) return;
    xb::Array enable = folder->aEnable.AsArray();
    for (std::size_t i : {std::size_t{2}, std::size_t{3}})
      if (i < enable.size()) enable[i] = Value::Logical(!direct);
    folder->Refresh();
  };
  auto direct = xb::MakeRef<ui::TCheckBox>();
  direct->ReDefine({.id = kDirect,
                    .set_get = ui::SetGet::Of(Value::Logical(form.directo)).block,
                    .parent = initial,
                    .change = Value(xb::Block::Native([apply_direct](xb::Args& a) {
                      apply_direct(a.Log(1));
                      return Value();
                    }))});

  // Page 2: the header search and the fonts.
  buttons.push_back(svc::Button(printing, kFindHeader, [p2, owner] {
    Search(p2->hWnd, kHeader, kHeaderLabel, {.code_field = "COD", .alias = TDictQZ::AliasOf("CabeH")}, "Cabecera", owner);
  }));
  auto fonts = std::make_shared<std::array<int, 4>>(form.fonts);
  std::vector<xb::Ref<ui::PlainControl>> labels;
  for (int i = 0; i < 4; ++i) labels.push_back(svc::Label(printing, kFontLabels + i, FontText((*fonts)[i])));
  for (int i = 0; i < 4; ++i) {
    ui::PlainControl* label = labels[static_cast<std::size_t>(i)].get();
    buttons.push_back(svc::Button(printing, kFontTitles + i, [fonts, i, label] {
      (*fonts)[static_cast<std::size_t>(i)] = svc::SelectFont((*fonts)[static_cast<std::size_t>(i)], label);
    }));
  }
  const std::string code_now = form.informe;
  buttons.push_back(svc::Button(printing, kColumnFonts, [fonts, code_now] { CnfColumn(code_now, *fonts); }));

  // Pages 3 and 4: the builders and their summaries.
  const std::vector<ReportColumn>* cols = &columns;
  const auto show_says = [c, cols, p3, p4] {
    SetText(p3->hWnd, kOrderSay, FillSay("A", c->Rows("A"), *cols));
    SetText(p3->hWnd, kGroupSay, FillSay("B", c->Rows("B"), *cols));
    SetText(p4->hWnd, kCondSay, FillSay("C", c->Rows("C"), *cols));
    SetText(p4->hWnd, kStopSay, FillSay("D", c->Rows("D"), *cols));
  };
  buttons.push_back(svc::Button(layout, kOrderBuild, [c, cols, show_says] {
    OrderBuilder(*c, *cols);
    show_says();
  }));
  struct Builder {
    ui::DialogRef page;
    int build, clear;  // no build button: the orders have their own builder
    const char* type;
  };
  for (const Builder& b : {Builder{layout, 0, kOrderClear, "A"}, Builder{layout, kGroupBuild, kGroupClear, "B"},
                           Builder{filters, kCondBuild, kCondClear, "C"}, Builder{filters, kStopBuild, kStopClear, "D"}}) {
    const std::string type = b.type;
    if (b.build != 0)
      buttons.push_back(svc::Button(b.page, b.build, [c, cols, type, show_says] {
        FilterBuilder(*c, type, *cols);
        show_says();
      }));
    buttons.push_back(svc::Button(b.page, b.clear, [c, type, show_says] {
      ClearCondiciones(*c, type);
      show_says();
    }));
  }
  std::function<void()> show_iniciales;
  if (TDictQZ::lDebug()) show_iniciales = Iniciales(ui::DialogRef(tabs->Page(5)), copies);

  bool saved = false, editing = lEdit;
  const std::function<bool()> save = [&] {
    InformeForm f = form;
    HWND h1 = p1->hWnd, h2 = p2->hWnd, h3 = p3->hWnd;
    f.informe = Upper(DlgText(h1, kCode));
    f.categoria = Upper(DlgText(h1, kCategory));
    f.subcat = Upper(DlgText(h1, kSubcat));
    f.descripc = DlgText(h1, kDescription);
    f.tablamast = Upper(DlgText(h1, kMaster));
    f.titulo = DlgText(h1, kTitle);
    f.productos = DlgText(h1, kProducts);
    f.maestro = Checked(h1, kMaestro);
    f.directo = Checked(h1, kDirect);
    f.cabecera = DlgText(h2, kHeader);
    f.desde = DlgText(h2, kDesde);
    f.hasta = DlgText(h2, kHasta);
    f.margen = std::atoi(DlgText(h2, kMargin).c_str());
    f.lineasr = std::atoi(DlgText(h2, kLines).c_str());
    f.fonts = *fonts;
    f.ljump = Checked(h3, kJump);
    f.desglose = Checked(h3, kDesglose);
    // A direct report leaves the lines per record aside (their field is disabled).
    if (!f.directo && f.lineasr <= 0) {
      ui::MsgStop(Value::String("El número de líneas que ocupará un registro del informe debe ser mayor que 0"), "Atención");
      folder->SetOption(2);
      SetFocus(GetDlgItem(h2, kLines));
      return false;
    }
    if (!GuardaInforme(f, editing, copies)) return false;
    saved = place.moved = true;
    // Saved once, the report's code is fixed and a later save rewrites its row.
    if (!editing) {
      editing = true;
      SendDlgItemMessageA(h1, kCode, EM_SETREADONLY, TRUE, 0);
    }
    form = f;
    return true;
  };
  buttons.push_back(svc::Button(dialog, IDOK, [&save, box] {
    if (save()) box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  buttons.push_back(svc::Button(dialog, 3, [box] { PostMessageA(box->hWnd, WM_KEYDOWN, VK_F1, 0); }));

  OpenInforme open{dialog, &copies, &columns, show_says, show_iniciales, save};
  const OpenScope opened(open);
  svc::RunDialog(dialog, [&, p1, p2, p3, show_says, apply_direct] {
    HWND h1 = p1->hWnd, h2 = p2->hWnd, h3 = p3->hWnd;
    LimitToFields(h1, {{kCode, "INFORME"}, {kDescription, "DESCRIPC"}, {kTitle, "TITULO"}, {kProducts, "PRODUCTOS"}});
    LimitToFields(h2, {{kHeader, "CABECERA"}, {kDesde, "DESDE"}, {kHasta, "HASTA"}});
    SetText(h1, kCode, form.informe);
    if (lEdit) SendDlgItemMessageA(h1, kCode, EM_SETREADONLY, TRUE, 0);
    SetText(h1, kCategoryLabel, DescriptionOf("Categor", "CATEGORIA", form.categoria));
    SetText(h1, kSubcatLabel, DescriptionOf("SubCat", "CATEGORIA", form.categoria, "SUBCAT", form.subcat));
    SetText(h1, kDescription, form.descripc);
    // A master no longer visible keeps its description.
    SetText(h1, kMasterLabel,
            copies.MasterDescription(form.tablamast).value_or(DescriptionOf("Tablas", "TABLA", form.tablamast)));
    if (fixed_master) EnableWindow(GetDlgItem(h1, kFindMaster), FALSE);
    SetText(h1, kTitle, form.titulo);
    SetText(h1, kProducts, form.productos);
    CheckDlgButton(h1, kMaestro, form.maestro ? BST_CHECKED : BST_UNCHECKED);
    SetText(h2, kHeader, form.cabecera);
    SetText(h2, kHeaderLabel, DescriptionOf("CabeH", "COD", form.cabecera));
    SetText(h2, kDesde, form.desde);
    SetText(h2, kHasta, form.hasta);
    SetText(h2, kMargin, std::to_string(form.margen));
    SetText(h2, kLines, std::to_string(form.lineasr));
    CheckDlgButton(h3, kJump, form.ljump ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(h3, kDesglose, form.desglose ? BST_CHECKED : BST_UNCHECKED);
    show_says();
    apply_direct(form.directo);
    return true;
  });
  copies.Close();
  return saved;
}

OpenInforme* OpenReportDialog() { return OpenDialogs().empty() ? nullptr : OpenDialogs().back(); }

InformeDialogOwner::InformeDialogOwner(Value object) { DialogOwners().push_back(std::move(object)); }

InformeDialogOwner::~InformeDialogOwner() { DialogOwners().pop_back(); }

void RegisterReportDialog() {
  RegisterRelatedReports();
  // TI_CNFCOLUMN(cInforme, nFntTit, nFntLin, nFntSub, nFntTot)
  xb::RegisterFunction("TI_CNFCOLUMN", [](xb::Args& a) {
    return Value::Logical(CnfColumn(std::string(a.Str(1)), {static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
                                                            static_cast<int>(a.Int(4)), static_cast<int>(a.Int(5))}));
  });
}

}  // namespace reports
