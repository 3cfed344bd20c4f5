#include "reports/win/tbrwdataqz.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>

#include "data/data_ui.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "reports/tdictqz.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "services/menu_access.h"
#include "services/window_fit.h"
#include "ui/bridge/dialog_boxes.h"
#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/resources.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr int kTabsHeight = 22;
constexpr int kSearchText = 101;

Value Action(std::function<void()> fn) { return svc::Action(std::move(fn)); }

WorkArea* AreaOf(const std::string& alias) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(alias));
}

// Whether the dialog's resource holds an item `id`.
bool HasItem(const ui::TDialog& dialog, int id) {
  ui::DialogName name;
  if (dialog.cResName.IsNumber()) name.number = static_cast<int>(dialog.cResName.AsInt());
  else if (dialog.cResName.IsString()) name.name = std::string(dialog.cResName.AsString());
  else return false;
  const HMODULE module = dialog.hResources != nullptr ? dialog.hResources : ui::GetResources();
  const std::optional<ui::DialogTemplateParts> parts = ui::SplitDialogTemplate(ui::ResourceDialogTemplate(module, name));
  if (!parts) return false;
  return std::any_of(parts->items.begin(), parts->items.end(),
                     [id](const ui::DialogTemplateItem& item) { return static_cast<int>(item.id) == id; });
}

std::string CellText(WorkArea& area, const BrowseColumn& column) {
  const bool flag = column.field[0] == '?';
  const int pos = area.FieldPos(flag ? column.field + 1 : column.field);
  if (pos == 0) return {};
  const Value v = area.GetField(pos);
  if (flag) {
    const bool on = v.IsLogical() ? v.AsLogical() : v.IsString() && xb::AllTrim(v.AsString()) == "S";
    return on ? "Sí" : "No";
  }
  if (v.IsString()) return std::string(xb::RTrim(v.AsString()));
  if (v.IsLogical()) return v.AsLogical() ? "Sí" : "No";
  if (v.IsNumber()) {
    const auto& f = *area.FieldAt(pos);
    return std::string(xb::AllTrim(
        xb::CallFunction("STR", {v, Value::Integer(f.length), Value::Integer(f.decimals)}).AsString()));
  }
  return {};
}

// A "*" column: the flag as the picture "Activo" or "NoActivo", "Sí"/"No" without them.
Value CellValue(WorkArea& area, const BrowseColumn& column) {
  if (column.field[0] != '*') return Value::String(CellText(area, column));
  const std::string flag = std::string("?") + (column.field + 1);
  const bool on = CellText(area, {column.header, flag.c_str(), column.width}) == "Sí";
  return FlagPicture(on, on ? "ACTIVO" : "NOACTIVO");
}

}  // namespace

Value FlagPicture(bool on, const std::string& bitmap) {
  if (const auto image = ui::ImageStrip::Shared().Load(bitmap))
    return Value(xb::Array::Of({Value::Integer(image->slot), Value::Integer(image->width), Value::Integer(image->height)}));
  return Value::String(on ? "Sí" : "No");
}

const std::vector<BrowseColumn>& BrowseStructure(const std::string& title) {
  static const std::map<std::string, std::vector<BrowseColumn>> structures = {
      {"Tablas",
       {{"Tabla", "TABLA", 80}, {"Ruta", "RUTA", 160}, {"Fichero", "FICHERO", 100}, {"Descripción", "DESCRIPC", 220},
        {"Visible", "VISIBLE", 50}}},
      {"Campos",
       {{"Selec.", "*VISIBLE", 40}, {"Tabla", "TABLA", 80}, {"Orden", "ORDEN", 40}, {"Campo", "CAMPO", 100},
        {"Tipo", "TIPO", 35}, {"Longitud", "LONGITUD", 55}, {"Decimales", "DECIMAL", 60},
        {"Descripción", "DESCRIPC", 200}, {"Máscara", "MASCARA", 120}}},
      {"Indices",
       {{"Tabla", "TABLA", 80}, {"Orden", "ORDEN", 40}, {"Tag", "TAG", 100}, {"Expresión", "EXPRESION", 220},
        {"Descripción", "DESCRIPC", 200}}},
      {"Relaciones",
       {{"Tabla Maestra", "TABORIGEN", 90}, {"Exp. Búsqueda", "EXPBUSCAR", 200}, {"Tabla Destino", "TABDESTINO", 90},
        {"Indice", "INDDESTINO", 90}, {"Descripción", "DESCRIPC", 200}}},
      {"Expresiones", {{"Nombre", "CODIGO", 90}, {"Tabla", "TABLA", 90}, {"Descripción", "DESCRIPC", 260}}},
      {"Entornos",
       {{"Código", "ENTORNO", 80}, {"Entorno", "DESCRIPC", 160}, {"Tabla principal", "TABLA", 100},
        {"Descripción", "DESCRIPC", 200}}},
      {"Informes",
       {{"Informe", "INFORME", 80}, {"Categoría", "CATEGORIA", 70}, {"Tabla maestra", "TABLAMAST", 100},
        {"Descripción", "DESCRIPC", 260}}},
      {"Columnas", {}},
      {"Condiciones", {}},
      {"Iniciales", {{"Orden", "ORDEN", 50}, {"Función", "FUNCION", 200}, {"Descripción", "DESCRIPC", 220}}},
      {"Categorias", {{"Título", "CATEGORIA", 60}, {"Descripción", "DESCRIPC", 260}, {"Tipo", "INFDOC", 40}}},
      {"Cabeceras",
       {{"A.", "?ACTIVO", 30}, {"Código", "COD", 60}, {"Descripción", "DESCRIP", 260},
        {"Inicio impresión", "POSICION", 100}}},
      {"Graficos", {{"Código", "CODIGO", 80}, {"Categoría", "CATEGORIA", 80}, {"Descripción", "DESCRIPC", 260}}},
      {"GrafCat", {{"Código", "CODIGO", 80}, {"Descripción", "DESCRIPC", 260}}},
      {"Subcategorias", {{"Código", "SUBCAT", 60}, {"Descripción", "DESCRIPC", 260}, {"Categoria", "CATEGORIA", 80}}},
  };
  static const std::vector<BrowseColumn> none;
  const auto it = structures.find(title);
  return it == structures.end() ? none : it->second;
}

TBrwDataQZ::TBrwDataQZ(std::string title, std::string alias, std::string caption, std::string menu_option)
    : cTitle(std::move(title)), cAlias(std::move(alias)), cCaption(std::move(caption)),
      cOpcionMenu(std::move(menu_option)) {
  if (cAlias.empty()) {
    WorkArea& current = WorkAreas::Get().Current();
    cAlias = current.used() ? current.alias() : std::string();
  }
  if (cCaption.empty()) cCaption = cTitle;
  // Access: full unless a menu option is named that the menu has.
  if (!cOpcionMenu.empty()) cAcceso = svc::FindMenuOption(cOpcionMenu) > 0 ? svc::cAccesoMenu(cOpcionMenu) : "1";
}

TBrwDataQZ::~TBrwDataQZ() { FreeSlot(); }

void TBrwDataQZ::TakeSlot() {
  xb::Array& open = TDictQZ::alOpen();
  for (std::size_t i = 0; nOpenBrowse == 0 && i < open.size(); ++i) {
    if (open.Get(i).IsLogical() && open.Get(i).AsLogical()) continue;
    open[i] = Value::Logical(true);
    TDictQZ::aoBrws()[i] = browse_ ? browse_->AsValue() : Value();
    nOpenBrowse = static_cast<int>(i) + 1;
  }
}

void TBrwDataQZ::FreeSlot() {
  if (nOpenBrowse == 0) return;
  const std::size_t i = static_cast<std::size_t>(nOpenBrowse - 1);
  if (i < TDictQZ::alOpen().size()) TDictQZ::alOpen()[i] = Value::Logical(false);
  if (i < TDictQZ::aoBrws().size()) TDictQZ::aoBrws()[i] = Value();
  nOpenBrowse = 0;
}

void TBrwDataQZ::BuildPopup() {
  if (!browse_) return;
  browse_->bRClicked = Value(xb::Block::Native([this](xb::Args& a) {
    const Value writes = Value(xb::Block::Native([this](xb::Args&) { return Value::Logical(Writes()); }));
    xb::Ref<ui::TMenu> menu = ui::TMenu::New(true);
    const auto item = [&menu](const std::string& prompt, std::function<void()> act, const Value& when = {}) {
      ui::TMenuItem::Spec spec;
      spec.prompt = prompt;
      spec.action = Action(std::move(act));
      spec.when = when;
      menu->Add(ui::TMenuItem::New(spec));
    };
    if (lAdd) item("&Añadir", [this] { AddRecord(); }, writes);
    if (lEdit) item("&Modificar", [this] { EditRecord(); }, writes);
    if (lDel) item("&Eliminar", [this] { DelRecord(); }, writes);
    if (lSearch) item("&Localizar", [this] { SearchRecord(); });
    if (lPrint) item("&Imprimir", [this] { BrowseKeys('I'); });
    if (lFont) item("&Fuentes", [this] { ChooseFont(); });
    if (!aExtraButtons.empty()) menu->Add(ui::TMenuItem::New({}));
    for (const ExtraButton& extra : aExtraButtons) {
      std::function<void()> act = extra.action ? extra.action : [] { data::Ui().MsgInfo("Acción no definida", "Atención"); };
      item(extra.caption.empty() ? extra.tooltip : extra.caption, act, writes);
    }
    if (lExit) {
      menu->Add(ui::TMenuItem::New({}));
      item("&Salir", [this] { End(); });
    }
    menu->Activate(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), *browse_);
    return Value();
  }));
}

bool TBrwDataQZ::open() const {
  if (lDialog) return dialog_ && dialog_->hWnd != nullptr && IsWindow(dialog_->hWnd);
  return window_ && window_->hWnd != nullptr && IsWindow(window_->hWnd);
}

void TBrwDataQZ::Activate(ui::TMdiFrame& frame, int depth) {
  RECT client{};
  HWND mdi_client = frame.oWndClient ? frame.oWndClient->hWnd : frame.hWnd;
  GetClientRect(mdi_client, &client);
  const int inset = depth > 1 || lChild ? 40 : 30;
  ui::TMdiChild::NewParams p;
  p.caption = cCaption;
  p.pixel = true;
  p.top = inset;
  p.left = inset;
  p.bottom = std::max<int>(client.bottom - inset, inset + 120);
  p.right = std::max<int>(client.right - inset, inset + 320);
  p.frame = xb::Ref<ui::TMdiFrame>(&frame);
  window_ = xb::MakeRef<ui::TMdiChild>();
  window_->New(p);
  BuildButtonBar();
  BuildBrowse();
  BuildTabs();
  BuildPopup();
  TakeSlot();
  window_->bResized = Action([this] { Fit(); });
  ui::TWindow::ActivateParams activate;
  activate.valid = Value(xb::Block::Native([this](xb::Args&) {
    FreeSlot();
    if (on_end) on_end();
    return Value::Logical(true);
  }));
  window_->Activate(activate);
  if (WorkArea* area = AreaOf(cAlias)) {
    const int keep = WorkAreas::Get().CurrentArea();
    WorkAreas::Get().SelectArea(area->number());
    area->GoTop();
    WorkAreas::Get().SelectArea(keep);
  }
  Fit();
  base_letter_ = LetterWidth();
  browse_->GoTop();
  browse_->SetFocus();
}

void TBrwDataQZ::Activate(const ui::DialogRef& dialog) {
  lDialog = true;
  dialog_ = dialog;
  BuildButtonBar();
  BuildBrowse();
  BuildTabs();
  BuildPopup();
  TakeSlot();
  if (WorkArea* area = AreaOf(cAlias); area != nullptr && cField.empty()) {
    const int keep = WorkAreas::Get().CurrentArea();
    WorkAreas::Get().SelectArea(area->number());
    area->GoTop();
    WorkAreas::Get().SelectArea(keep);
  }
}

std::string TBrwDataQZ::AliasText() const {
  std::string key;
  if (WorkArea* area = AreaOf(cAlias)) {
    const int keep = WorkAreas::Get().CurrentArea();
    WorkAreas::Get().SelectArea(area->number());
    key = xb::AllTrim(xb::CallFunction("INDEXKEY", {Value::Integer(0)}).AsString());
    WorkAreas::Get().SelectArea(keep);
  }
  return "Alias: " + cAlias + "\r\nIndice: " + key;
}

void TBrwDataQZ::BuildButtonBar() {
  const Value writes = Value(xb::Block::Native([this](xb::Args&) { return Value::Logical(Writes()); }));
  if (lDialog) {
    // The dialog's own buttons; one whose flag is off stays disabled.
    const Value off = Value(xb::Block::Native([](xb::Args&) { return Value::Logical(false); }));
    const auto button = [&](int id, bool flag, std::function<void()> act, const Value& when) {
      auto b = xb::MakeRef<ui::TButton>();
      b->ReDefine({.id = id, .action = Action(std::move(act)), .parent = dialog_, .when = flag ? when : off});
      dialog_buttons_.push_back(b);
    };
    button(500, lAdd, [this] { AddRecord(); }, writes);
    button(501, lEdit, [this] { EditRecord(); }, writes);
    button(502, lDel, [this] { DelRecord(); }, writes);
    button(503, lSearch, [this] { SearchRecord(); }, {});
    button(504, lPrint, [this] { BrowseKeys('I'); }, {});
    button(505, lFont, [this] { ChooseFont(); }, {});
    // The caller's buttons come between: 506 to 509.
    for (std::size_t i = 0; i < aExtraButtons.size() && i < 4; ++i) {
      const ExtraButton& extra = aExtraButtons[i];
      std::function<void()> act = extra.action ? extra.action : [] { data::Ui().MsgInfo("Acción no definida", "Atención"); };
      button(506 + static_cast<int>(i), true, act, writes);
    }
    button(510, lExit, [this] { End(); }, {});
    return;
  }
  ui::TBar::NewParams bp;
  bp.btn_width = 25;
  bp.btn_height = 25;
  bar_ = ui::TBar::New(*window_, bp);
  const auto add = [this](const std::string& picture, const std::string& tooltip, std::function<void()> act,
                          const Value& when, bool group = false) {
    ui::TBtnBmp::BarParams b;
    b.pictures.resource1 = picture;
    b.tooltip = tooltip;
    b.message = tooltip;
    b.action = Action(std::move(act));
    b.when = when;
    b.group = group;
    ui::TBtnBmp::NewBar(*bar_, b);
  };
  if (lAdd) add("PBMPADD1", "Añadir", [this] { AddRecord(); }, writes);
  if (lEdit) add("PBMPMOD1", "Modificar", [this] { EditRecord(); }, writes);
  if (lDel) add("PBMPDEL1", "Eliminar", [this] { DelRecord(); }, writes);
  if (lSearch) add("LUPA", "Localizar", [this] { SearchRecord(); }, {}, true);
  if (lPrint) add("Printer", "Imprimir", [this] { BrowseKeys('I'); }, {});
  if (lFont) add("PBMPFON1", "Fuentes", [this] { ChooseFont(); }, {});
  if (TDictQZ::lDebug()) add("PBMPIMP1", "Alias", [this] { data::Ui().MsgInfo(AliasText(), "Alias"); }, {});
  for (const ExtraButton& extra : aExtraButtons) {
    std::function<void()> act = extra.action ? extra.action : [] { data::Ui().MsgInfo("Acción no definida", "Atención"); };
    add(extra.bitmap, extra.tooltip.empty() ? "Tooltip" : extra.tooltip, act, writes, &extra == &aExtraButtons.front());
  }
  if (lExit) add("PBMPEND1", "Salir", [this] { End(); }, {}, true);
}

void TBrwDataQZ::BuildBrowse() {
  const std::vector<BrowseColumn>& columns = BrowseStructure(cTitle);
  xb::Array headers = xb::Array::New();
  xb::Array sizes = xb::Array::New();
  for (const BrowseColumn& c : columns) {
    headers.Append(Value::String(c.header));
    sizes.Append(Value::Integer(c.width));
  }
  Value line;
  if (!columns.empty()) {
    line = Value(xb::Block::Native([this, &columns](xb::Args&) {
      xb::Array cells = xb::Array::New();
      WorkArea* area = AreaOf(cAlias);
      for (const BrowseColumn& c : columns) cells.Append(area != nullptr ? CellValue(*area, c) : Value::String(""));
      return Value(cells);
    }));
  }
  const Value dbl_click = Action([this] {
    if (lEdit && Writes()) EditRecord();
  });
  // Debug mode: a click on a column's header tells its width.
  Value actions;
  if (TDictQZ::lDebug()) {
    xb::Array blocks = xb::Array::New();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      blocks.Append(Action([this, i, &columns] {
        const std::vector<int> widths = browse_->GetColSizes();
        const int width = i < widths.size() ? widths[i] : columns[i].width;
        data::Ui().MsgInfo("Tamaño: " + std::to_string(width), columns[i].header);
      }));
    }
    actions = Value(blocks);
  }
  browse_ = xb::MakeRef<ui::TWBrowse>();
  if (lDialog) {
    browse_->ReDefine(nId, {.line = line,
                            .parent = dialog_,
                            .headers = columns.empty() ? Value() : Value(headers),
                            .col_sizes = columns.empty() ? Value() : Value(sizes),
                            .dbl_click = dbl_click,
                            .alias = cAlias,
                            .actions = actions});
  } else {
    ui::TWBrowse::NewParams p;
    p.parent = window_;
    p.pixel = true;
    p.alias = cAlias;
    p.line = line;
    if (!columns.empty()) {
      p.headers = Value(headers);
      p.col_sizes = Value(sizes);
    }
    p.dbl_click = dbl_click;
    p.actions = actions;
    browse_->New(p);
  }
  browse_->bKeyChar = Value(xb::Block::Native([this](xb::Args& a) {
    return BrowseKeys(static_cast<int>(a.Int(1))) ? Value::Logical(true) : Value();
  }));
  RefFilter();
}

int LetterWidthOf(ui::TWBrowse& browse) {
  if (browse.hWnd == nullptr) return 0;
  HDC dc = GetDC(browse.hWnd);
  HFONT font = browse.oFont && browse.oFont->hFont != nullptr
                   ? browse.oFont->hFont
                   : reinterpret_cast<HFONT>(SendMessageA(browse.hWnd, WM_GETFONT, 0, 0));
  HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  SIZE size{};
  GetTextExtentPoint32A(dc, "B", 1, &size);
  if (previous != nullptr) SelectObject(dc, previous);
  ReleaseDC(browse.hWnd, dc);
  return size.cx;
}

int TBrwDataQZ::LetterWidth() const { return browse_ ? LetterWidthOf(*browse_) : 0; }

void RegisterBrowserFunctions() {
  xb::RegisterFunction("TI_REFFILTER", [](xb::Args& a) {
    auto* browse = dynamic_cast<ui::TWBrowse*>(a.Obj(1).get());
    if (browse == nullptr || browse->cField.empty()) return Value::Integer(0);
    if (WorkArea* area = AreaOf(browse->cAlias))
      area->SetControllingOrder(a.Arg(2).IsNumber() && a.Int(2) > 0 ? static_cast<int>(a.Int(2)) : 1);
    Value value = browse->uValue1;
    if (value.IsString()) value = Value::String(xb::Upper(xb::CurrentCodePage(), value.AsString()));
    browse->nMaxFilter = kFilterLimit;
    browse->SetFilter(browse->cField, value);
    if (browse->hWnd != nullptr) browse->Refresh();
    return Value::Integer(browse->nLen);
  });
  xb::RegisterFunction("TI_REFSIZES", [](xb::Args& a) {
    auto* browse = dynamic_cast<ui::TWBrowse*>(a.Obj(1).get());
    if (browse == nullptr) return Value();
    const int was = static_cast<int>(a.Int(2)), now = LetterWidthOf(*browse);
    if (was <= 0 || now <= 0 || !browse->aColSizes.IsArray()) return browse->aColSizes;
    xb::Array sizes = xb::Array::New();
    for (const Value& size : browse->aColSizes.AsArray())
      sizes.Append(Value::Integer((static_cast<int>(size.AsInt()) * now + was / 2) / was));
    browse->aColSizes = Value(sizes);
    if (browse->hWnd != nullptr) browse->Refresh();
    return browse->aColSizes;
  });
}

void TBrwDataQZ::ChooseFont() {
  if (!browse_) return;
  if (base_letter_ == 0) base_letter_ = LetterWidth();
  svc::SelFon(*browse_);
  RefSizes();
}

void TBrwDataQZ::RefSizes() {
  const std::vector<BrowseColumn>& columns = BrowseStructure(cTitle);
  const int letter = LetterWidth();
  if (columns.empty() || letter <= 0 || base_letter_ <= 0) return;
  xb::Array sizes = xb::Array::New();
  for (const BrowseColumn& c : columns) sizes.Append(Value::Integer((c.width * letter + base_letter_ / 2) / base_letter_));
  browse_->aColSizes = Value(sizes);
  browse_->Refresh();
}

void TBrwDataQZ::RefFilter() {
  if (cField.empty() || !browse_) return;
  WorkArea* area = AreaOf(cAlias);
  if (area != nullptr) area->SetControllingOrder(nOrdenFiltro > 0 ? nOrdenFiltro : 1);
  Value value = uValue1;
  if (value.IsString()) value = Value::String(xb::Upper(xb::CurrentCodePage(), value.AsString()));
  browse_->nMaxFilter = kFilterLimit;
  browse_->SetFilter(cField, value);
}

void TBrwDataQZ::BuildTabs() {
  if (!cField.empty()) return;
  WorkArea* area = AreaOf(cAlias);
  if (area == nullptr || area->OrderCount() == 0) return;
  std::vector<std::string> prompts;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  for (int i = 1; i <= area->OrderCount(); ++i)
    prompts.emplace_back(xb::AllTrim(xb::CallFunction("ORDNAME", {Value::Integer(i)}).AsString()));
  WorkAreas::Get().SelectArea(keep);
  const Value action = Value(xb::Block::Native([this](xb::Args& a) {
    if (WorkArea* t = AreaOf(cAlias)) t->SetControllingOrder(static_cast<int>(a.Int(1)));
    Refresh();
    return Value();
  }));
  const int option = std::max(1, area->controlling_order());
  // In a dialog, the dialog's own strip; a dialog without one shows no tabs.
  if (lDialog && !HasItem(*dialog_, kDialogTabs)) return;
  tabs_ = xb::MakeRef<ui::TTabs>();
  if (lDialog) {
    tabs_->ReDefine(kDialogTabs, {.prompts = prompts, .action = action, .parent = dialog_, .option = option});
    return;
  }
  tabs_->New({.prompts = prompts,
              .action = action,
              .parent = window_,
              .option = option,
              .pixel = true,
              .width = 300,
              .height = kTabsHeight});
}

void TBrwDataQZ::Fit() {
  if (!open() || !browse_) return;
  svc::SetBrowse(*window_, *browse_, bar_.get(), {.bottom = tabs_ ? kTabsHeight : 0});
  if (tabs_ && tabs_->hWnd != nullptr) {
    RECT client;
    GetClientRect(window_->hWnd, &client);
    MoveWindow(tabs_->hWnd, 0, client.bottom - kTabsHeight, client.right, kTabsHeight, TRUE);
  }
}

void TBrwDataQZ::End() {
  if (!open()) return;
  if (lDialog) dialog_->End(IDCANCEL);
  else window_->End();
}

void TBrwDataQZ::Refresh() {
  if (browse_ && browse_->hWnd != nullptr) browse_->Refresh();
}

void TBrwDataQZ::AddRecord() {
  if (!lAdd || !Writes()) return;
  if (bAdd) bAdd();
  RefFilter();
  Refresh();
}

void TBrwDataQZ::EditRecord() {
  if (!lEdit || !Writes()) return;
  if (bEdit) bEdit();
  Refresh();
}

void TBrwDataQZ::DelRecord() {
  if (!lDel || !Writes()) return;
  if (bDel) bDel();
  RefFilter();
  if (browse_) browse_->GoTop();
  Refresh();
}

void TBrwDataQZ::Search(const std::string& text) {
  WorkArea* area = AreaOf(cAlias);
  if (area == nullptr) return;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  const Value soft = xb::GetSetValue(xb::SET_SOFTSEEK);
  xb::SetValue(xb::SET_SOFTSEEK, Value::Logical(true));
  xb::CallFunction("DBSEEK", {Value::String(xb::Upper(xb::CurrentCodePage(), xb::RTrim(text)))});
  if (area->eof()) area->GoBottom();
  xb::SetValue(xb::SET_SOFTSEEK, soft);
  WorkAreas::Get().SelectArea(keep);
  if (browse_ && browse_->hWnd != nullptr) browse_->Refresh();
}

void TBrwDataQZ::SearchRecord() {
  if (!lSearch) return;
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_BUSQUEDA"), " Localizar");
  std::string text;
  ui::TDialog* box = dialog.get();
  svc::Button(dialog, IDOK, [box, &text] {
    char buffer[256] = {};
    GetDlgItemTextA(box->hWnd, kSearchText, buffer, sizeof buffer);
    text = buffer;
    box->End(IDOK);
  });
  svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  if (svc::RunDialog(dialog) == IDOK) Search(text);
}

bool TBrwDataQZ::BrowseKeys(int key) {
  switch (std::toupper(key)) {
    case 'A':
    case '+': if (lAdd) AddRecord(); return lAdd;
    case 'M': if (lEdit) EditRecord(); return lEdit;
    case 'E': if (lDel) DelRecord(); return lDel;
    case 'L': if (lSearch) SearchRecord(); return lSearch;
    case 'I':
      if (lPrint) BrwReport(cTitle, true);
      return lPrint;
    case 'F': if (lFont) ChooseFont(); return lFont;
    case 'S': if (lExit) End(); return lExit;
    default: return false;
  }
}

}  // namespace reports
