#include "app/program/company_window.h"

#include "app/org/company_loop.h"
#include "app/org/company_table.h"
#include "app/org/error_table.h"
#include "app/org/organisation_state.h"
#include "app/program/company_search.h"
#include "app/program/error_list.h"
#include "app/program/progress_dialog.h"
#include "data/data_ui.h"
#include "data/program_settings.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/number.h"
#include "runtime/rdd/workareas.h"
#include "services/font_choice.h"
#include "services/hot_keys.h"
#include "services/login.h"
#include "services/menu_access.h"
#include "services/menu_table.h"
#include "services/user_look.h"
#include "services/user_session.h"
#include "services/window_fit.h"
#include "ui/bridge/resources.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/core/menu_builder.h"
#include "ui/core/tfont.h"
#include "ui/core/tmsgbar.h"

namespace app {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr int kBarButtonWidth = 23;
constexpr int kBarButtonHeight = 25;
constexpr int kMessageBarRoom = 24;  // under the browse
constexpr std::string_view kMessageBarText = "Vendaro - Organización de los ficheros de las empresas";
constexpr std::string_view kProgramIcon = "DIZEVIRI.ICO";
constexpr std::string_view kMenuTable = "MenuVdrE";
constexpr std::string_view kLoginPicture = "BMPENTVDRE";

CompanyWindow* g_current = nullptr;

Value Action(std::function<void()> fn) {
  return Value(xb::Block::Native([fn = std::move(fn)](xb::Args&) {
    fn();
    return Value();
  }));
}

// The company under the browse's record pointer.
struct Company {
  WorkArea* area = nullptr;

  explicit Company(const ui::TWBrowse& browse) {
    const int number = WorkAreas::Get().AreaOfAlias(browse.cAlias.empty() ? kCompanyTableAlias : browse.cAlias);
    WorkArea* a = number ? WorkAreas::Get().Area(number) : nullptr;
    if (a && a->used()) area = a;
  }
  Value Field(std::string_view name) const {
    const int pos = area ? area->FieldPos(name) : 0;
    return pos ? area->GetField(pos) : Value();
  }
  void Put(std::string_view name, const Value& value) const {
    if (const int pos = area ? area->FieldPos(name) : 0) area->PutField(pos, value);
  }
  std::uint32_t record() const { return area ? area->recno() : 0; }
  bool eof() const { return !area || area->eof(); }
  std::string code() const { return std::string(xb::AllTrim(Field("CODEMP").AsString())); }
  bool blocked() const { return Field("LACTIVA").AsLogical(); }
  double users() const { return Field("USO").AsDouble(); }
  // Only a company nobody works in and that is not blocked may be organised.
  bool free() const { return !blocked() && users() == 0; }
};

void SetElement(const xb::Array& selection, std::uint32_t record, bool marked) {
  if (record >= 1 && record <= selection.size()) selection[record - 1] = Value::String(marked ? "S" : " ");
}

bool Marked(const xb::Array& selection, std::uint32_t record) {
  if (record < 1 || record > selection.size()) return false;
  const Value& element = selection[record - 1];
  return element.IsString() && element.AsString() == "S";
}

Value Picture(const std::optional<ui::StripImage>& image) {
  if (!image) return Value::String("");
  return Value(xb::Array::Of({Value::Integer(image->slot), Value::Integer(image->width), Value::Integer(image->height)}));
}

ui::TWBrowse* BrowseArg(xb::Args& a, int n) { return dynamic_cast<ui::TWBrowse*>(a.Obj(n).get()); }

}  // namespace

// A header is drawn a few pixels in from each side of its cell.
constexpr int kHeaderRoom = 8;
void WidenColumnsToHeaders(ui::TWBrowse& browse) {
  if (!browse.hWnd || !browse.aHeaders.IsArray() || !browse.aColSizes.IsArray()) return;
  const xb::Array headers = browse.aHeaders.AsArray();
  xb::Array sizes = browse.aColSizes.AsArray();
  HDC dc = GetDC(browse.hWnd);
  HGDIOBJ old = SelectObject(dc, browse.oFont ? static_cast<HGDIOBJ>(browse.oFont->hFont) : GetStockObject(DEFAULT_GUI_FONT));
  bool widened = false;
  for (std::size_t i = 0; i < headers.size() && i < sizes.size(); ++i) {
    const std::string text(headers.Get(i).IsString() ? headers.Get(i).AsString() : std::string_view());
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (sizes.Get(i).AsInt() >= size.cx + kHeaderRoom) continue;
    sizes[i] = Value::Integer(size.cx + kHeaderRoom);
    widened = true;
  }
  SelectObject(dc, old);
  ReleaseDC(browse.hWnd, dc);
  if (widened) InvalidateRect(browse.hWnd, nullptr, TRUE);
}

// ---- browse actions ----------------------------------------------------------------------------

bool LMarca(const xb::Array& selection, ui::TWBrowse& browse) {
  const Company company(browse);
  if (company.area && !company.eof() && company.free()) {
    SetElement(selection, company.record(), !Marked(selection, company.record()));
    browse.Refresh();
  } else {
    data::Ui().MsgStop(data::JoinLines({"Empresa bloqueada o hay usuarios activos", "Para generarla antes hay que liberarla"}),
                 "ATENCION");
  }
  return true;
}

bool LTodas(const xb::Array& selection, ui::TWBrowse& browse, bool all) {
  const Company company(browse);
  if (!company.area) return true;
  WorkArea& area = *company.area;
  if (all) {
    for (area.GoTop(); !area.eof(); area.Skip(1)) {
      if (company.free()) {
        SetElement(selection, company.record(), true);
      } else {
        data::Ui().MsgStop(data::JoinLines({"Empresa " + company.code() + " bloqueada o hay usuarios activos",
                                "Para generarla antes hay que liberarla"}),
                     "ATENCION");
      }
    }
  } else {
    for (Value& element : selection.Items()) element = Value::String(" ");
  }
  area.GoTop();
  browse.UpStable();
  browse.Refresh();
  return true;
}

bool LFree(ui::TWBrowse& browse) {
  const Company company(browse);
  if (company.area && !company.eof()) {
    company.Put("USO", Value::Integer(0));
    company.Put("LACTIVA", Value::Logical(false));
    company.area->Commit();
  }
  browse.Refresh();
  return true;
}

void LFind(ui::TWBrowse& browse, const ui::WindowRef& window) {
  nDblFinBin(window, browse);
  browse.Refresh();
  browse.SetFocus();
}

// ---- the window --------------------------------------------------------------------------------

CompanyWindow* CompanyWindow::Current() { return g_current; }

CompanyWindow::CompanyWindow(const CompanyPictures& pictures, std::string_view code) : pictures_(pictures) {
  previous_ = g_current;
  g_current = this;

  ui::TFont::Spec font;
  font.face = std::string(data::cFontName());
  font.width = data::nFontVSize();
  font.height = data::nFontHSize();

  window_ = xb::MakeRef<ui::TWindow>();
  ui::TWindow::NewParams w;
  w.caption = std::string(kWindowTitle);
  w.menu = BuildMenu();
  w.clr_text = GetSysColor(COLOR_WINDOWTEXT);
  w.clr_pane = svc::nClrDesktop().value_or(GetSysColor(COLOR_APPWORKSPACE));
  w.maximized = true;  // as Run shows it
  window_->New(w);
  window_->SetFont(ui::TFont::New(font));
  if (HMODULE module = ui::GetResources()) {
    const std::string icon(kProgramIcon);
    if (HICON big = static_cast<HICON>(LoadImageA(module, icon.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)))
      window_->SendMsg(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON small = static_cast<HICON>(LoadImageA(module, icon.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                    GetSystemMetrics(SM_CYSMICON), 0)))
      window_->SendMsg(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  data::SetMainWindow(window_->Self());

  ui::TMsgBar::NewParams m;
  m.text = std::string(kMessageBarText);
  ui::TMsgBar::New(*window_, m);

  ui::TBar::NewParams b;
  b.btn_width = kBarButtonWidth;
  b.btn_height = kBarButtonHeight;
  bar_ = ui::TBar::New(*window_, b);

  browse_ = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse::NewParams p;
  p.pixel = true;
  p.width = 400;
  p.height = 200;
  p.line = Value(xb::Block::Native([this](xb::Args&) { return Line(); }));
  p.headers = Value(xb::Array::Of({Value::String("Sel."), Value::String("Cod."), Value::String("Nombre"),
                                   Value::String("Lib."), Value::String("Nº Usuarios"), Value::String("Acceso")}));
  p.col_sizes = Value(xb::Array::Of({Value::Integer(20), Value::Integer(30), Value::Integer(250), Value::Integer(20),
                                     Value::Integer(90), Value::Integer(60)}));
  p.parent = window_;
  p.alias = std::string(kCompanyTableAlias);
  p.dbl_click = Action([this] { LMarca(SelectionArray(), *browse_); });
  p.r_clicked = Value(xb::Block::Native([this](xb::Args& a) {
    // The pop-up acts on the row clicked: it is selected first.
    browse_->GoToRowAt(static_cast<int>(a.Int(1)));
    svc::PopupMenu(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), browse_.get(), bar_->Self(), kActionKeys);
    return Value();
  }));
  p.fore = GetSysColor(COLOR_WINDOWTEXT);
  p.back = svc::lColorBrw() ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW);
  p.line_colour = 0;
  browse_->New(p);
  WidenColumnsToHeaders(*browse_);
  browse_->nLineStyle = svc::nLineStyle();
  browse_->nClrForeFocus = GetSysColor(COLOR_HIGHLIGHTTEXT);
  browse_->nClrBackFocus = GetSysColor(COLOR_HIGHLIGHT);

  for (std::size_t i = 0; i < kWindowActions.size(); ++i) {
    const WindowAction& action = kWindowActions[i];
    ui::TBtnBmp::BarParams button;
    button.pictures.resource1 = std::string(action.bitmap);
    button.tooltip = std::string(action.tooltip);
    button.message = std::string(action.message);
    button.action = Action([this, n = static_cast<int>(i) + 1] { RunAction(n); });
    button.when = Value(xb::Block::Native([](xb::Args&) { return Value::Logical(!ParameterMode()); }));
    button.group = i + 1 == kWindowActions.size();
    ui::TBtnBmp::NewBar(*bar_, button);
  }
  // In parameter mode the buttons do nothing: they are painted disabled from the start.
  if (ParameterMode()) bar_->AEvalWhen();

  Fit();
  window_->bResized = Action([this] { Fit(); });

  if (ParameterMode()) {
    // Only the company of that very code: a seek alone would take "0" for "01". A code that
    // is no company's organises nothing, and a scheduled run must not read as done.
    Company company(*browse_);
    const std::string wanted(xb::AllTrim(code));
    bool found = false;
    if (company.area && !wanted.empty()) {
      company.area->SetControllingOrder(1);
      found = xb::CallFunction("DBSEEK", {Value::String(wanted)}).AsLogical() && company.code() == wanted;
      if (found) MarkCompany(company.record(), true);
      else xb::CallFunction("DBGOTOP");
    }
    if (!found) not_found_ = wanted;
  }
}

CompanyWindow::~CompanyWindow() { g_current = previous_; }

void CompanyWindow::Fit() {
  if (window_ && browse_ && window_->hWnd && browse_->hWnd)
    svc::SetBrowse(*window_, *browse_, bar_.get(), {.bottom = kMessageBarRoom});
}

Value CompanyWindow::Line() {
  const Company company(*browse_);
  const bool marked = IsCompanyMarked(company.record());
  const bool busy = !company.free();  // red exactly when marking refuses it
  return Value(xb::Array::Of({Picture(marked ? pictures_.checked : pictures_.unchecked),
                              company.Field("CODEMP"),
                              company.Field("CNOMBRE"),
                              Picture(busy ? pictures_.busy : pictures_.free),
                              Value::String(xb::NumberToStr(company.Field("USO"), 2)),
                              Value::String(company.blocked() ? "NO" : "SI")}));
}

void CompanyWindow::RunAction(int action) {
  xb::Ref<ui::TWBrowse> browse = browse_;
  switch (action) {
    case 1: LMarca(SelectionArray(), *browse); break;
    case 2: LTodas(SelectionArray(), *browse, true); break;
    case 3: LTodas(SelectionArray(), *browse, false); break;
    case 4: LFree(*browse); break;
    case 5: LFind(*browse, window_); break;
    case 6:
      IndexAll(browse);
      window_->End();
      break;
    case 7:
      svc::SelFon(*browse);
      WidenColumnsToHeaders(*browse);  // the new font may be wider
      break;
    case 8: window_->End(); break;
    default: break;
  }
}

void CompanyWindow::Init() {
  if (ParameterMode()) {
    if (not_found_) {
      data::Ui().MsgStop(not_found_->empty() ? "No se ha indicado el código de la empresa"
                                             : "Empresa " + *not_found_ + " no encontrada",
                         "Atención");
    }
    IndexAll(browse_);
    window_->End();
    return;
  }
  svc::LoginParams login;
  login.version_file = data::cPathStart() + "VerVDRe.Dbf";
  login.bitmap = std::string(kLoginPicture);
  if (!svc::lIdentifica(login)) {
    window_->End();
    return;
  }
  svc::oMenuInit({.window_menu = true, .help_menu = true, .table = std::string(kMenuTable), .access_field = 1});
  if (svc::cAccesoMenu(kAccessOption) != "2") {
    data::Ui().MsgInfo(data::JoinLines({"Opción no accesible para el usuario " + std::string(xb::AllTrim(svc::cUsuario())) + ".",
                            "Consulte su mapa de accesos"}),
                 "Atención");
    window_->End();
    return;
  }
  browse_->bKeyChar = Value(xb::Block::Native([this](xb::Args& a) {
    svc::ActKeys(static_cast<int>(a.Int(1)), bar_->Self(), kActionKeys, "M");
    return Value();
  }));
  browse_->SetFocus();
}

bool CompanyWindow::Valid() {
  // In parameter mode nobody reads the list: its lines are in the run's log.
  if (!ParameterMode() && !ErrorLines().empty()) LDspOrg(window_);
  return true;
}

void CompanyWindow::Run() {
  window_->bInit = Action([this] { Init(); });
  ui::TWindow::ActivateParams a;
  a.show = "MAXIMIZED";
  a.valid = Value(xb::Block::Native([this](xb::Args&) { return Value::Logical(Valid()); }));
  window_->Activate(a);
}

// ---- the menu ------------------------------------------------------------------------------------

xb::Ref<ui::TMenu> BuildMenu() {
  xb::Ref<ui::TMenu> menu = ui::MenuBegin();
  for (std::size_t i = 0; i < kWindowActions.size(); ++i) {
    ui::TMenuItem::Spec item;
    item.prompt = std::string(kWindowActions[i].caption);
    item.message = std::string(kWindowActions[i].message);
    item.checked = false;
    item.action = Action([n = static_cast<int>(i) + 1] {
      if (CompanyWindow* window = CompanyWindow::Current()) window->RunAction(n);
    });
    item.when = Value(xb::Block::Native([](xb::Args&) { return Value::Logical(!ParameterMode()); }));
    ui::MenuAddItem(item);
  }
  return ui::MenuEnd();
}

void RegisterCompanyWindowFunctions() {
  xb::RegisterFunction("BUILDMENU", [](xb::Args&) {
    xb::Ref<ui::TMenu> menu = BuildMenu();
    return menu ? menu->Self() : Value();
  });
  xb::RegisterFunction("LMARCA", [](xb::Args& a) {
    if (ui::TWBrowse* browse = BrowseArg(a, 2)) LMarca(a.Arr(1), *browse);
    return Value::Logical(true);
  });
  xb::RegisterFunction("LTODAS", [](xb::Args& a) {
    if (ui::TWBrowse* browse = BrowseArg(a, 2)) LTodas(a.Arr(1), *browse, a.Log(3));
    return Value::Logical(true);
  });
  xb::RegisterFunction("LFREE", [](xb::Args& a) {
    if (ui::TWBrowse* browse = BrowseArg(a, 1)) LFree(*browse);
    return Value::Logical(true);
  });
  xb::RegisterFunction("LFIND", [](xb::Args& a) {
    if (ui::TWBrowse* browse = BrowseArg(a, 1))
      LFind(*browse, ui::WindowRef(dynamic_cast<ui::TWindow*>(a.Obj(2).get())));
    return Value();
  });
  xb::RegisterFunction("NDBLFINBIN", [](xb::Args& a) {
    ui::TWBrowse* browse = BrowseArg(a, 2);
    if (!browse) return Value::Integer(0);
    return Value::Integer(nDblFinBin(ui::WindowRef(dynamic_cast<ui::TWindow*>(a.Obj(1).get())), *browse));
  });
}

}  // namespace app
