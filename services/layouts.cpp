#include "services/layouts.h"

#include <cmath>
#include <cstring>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "services/menu_access.h"
#include "services/user_look.h"
#include "services/user_session.h"
#include "ui/core/tfont.h"
#include "ui/core/window_table.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr int kTitleLength = 64;
// The N4 fields of the layout tables hold -999 to 9999: what lies outside is not kept.
constexpr int kFieldMin = -999;
constexpr int kFieldMax = 9999;
constexpr const char* kWindowsAlias = "_QzCnfBrw";
constexpr const char* kBrowsesAlias = "_QzCnfLbx";

struct ReservedSlot {
  const char* title;
  int state = 0;
  ui::Rect rect{};
};
ReservedSlot& Asientos() {
  static ReservedSlot slot{"Gestión de asientos"};
  return slot;
}
ReservedSlot& Pgc() {
  static ReservedSlot slot{"PLAN GENERAL CONTABLE"};
  return slot;
}

bool Fits(long value) { return value >= kFieldMin && value <= kFieldMax; }

std::string TitleKey(const std::string& title) { return xb::PadR(title, kTitleLength); }
std::string BrowseKey(const std::string& title, int number) {
  std::string n = std::to_string(number);
  if (n.size() < 2) n.insert(0, 2 - n.size(), ' ');
  return TitleKey(title) + n.substr(0, 2);
}

const std::vector<TagDef>& CnfBrwTags() {
  static const std::vector<TagDef> tags = {{"cTitulo", "cTitulo"}};
  return tags;
}
const std::vector<TagDef>& CnfLbxTags() {
  static const std::vector<TagDef> tags = {{"cTitWndLB", "cTitWndLB"}};
  return tags;
}

void MakeIndex(const std::string& table, const std::vector<TagDef>& tags, const std::string& alias) {
  EraseFile(IndexOf(table));
  SelectedAreaScope keep;
  if (!OpenTable(table, alias, true)) return;
  OpenedArea area(true);
  CreateTags(tags);
}

// Makes what is missing: a table (never the other one) and an index.
void EnsureTables() {
  const std::string windows = CnfBrwTable(), browses = CnfLbxTable();
  if (!FileExists(DbfOf(windows))) CreateTable(windows, CnfBrwFields());
  if (!FileExists(DbfOf(browses))) CreateTable(browses, CnfLbxFields());
  if (FileExists(DbfOf(windows)) && !FileExists(IndexOf(windows))) MakeIndex(windows, CnfBrwTags(), kWindowsAlias);
  if (FileExists(DbfOf(browses)) && !FileExists(IndexOf(browses))) MakeIndex(browses, CnfLbxTags(), kBrowsesAlias);
}

// The record of `key` in the selected area, locked: found, or appended when new.
bool LockedRecordOf(const std::string& key, std::string_view key_field) {
  SelectOrder(1);
  if (Seek(Value::String(key))) return data::lNetRecLock();
  if (!data::lNetRecAdd()) return false;
  PutField(key_field, Value::String(key));
  return true;
}

void WriteFont(const LOGFONTA& f) {
  PutField("CFACENAME", Value::String(std::string(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE))));
  PutField("NWIDTH", Value::Double(f.lfWidth, 6));
  PutField("NHEIGHT", Value::Integer(f.lfHeight));
  PutField("NESCAPEMEN", Value::Integer(f.lfEscapement));
  PutField("NORIENTATI", Value::Integer(f.lfOrientation));
  PutField("NWEIGHT", Value::Integer(f.lfWeight));
  PutField("LBOLD", Value::Logical(f.lfWeight >= FW_BOLD));
  PutField("LITALIC", Value::Logical(f.lfItalic != 0));
  PutField("LUNDERLINE", Value::Logical(f.lfUnderline != 0));
  PutField("LSTRIKEOUT", Value::Logical(f.lfStrikeOut != 0));
  PutField("NCHARSET", Value::Integer(f.lfCharSet));
  PutField("NOUTPRECIS", Value::Integer(f.lfOutPrecision));
  PutField("NCLIPPRECI", Value::Integer(f.lfClipPrecision));
  PutField("NQUALITY", Value::Integer(f.lfQuality));
  PutField("NPITCHFAMI", Value::Integer(f.lfPitchAndFamily));
}

LOGFONTA ReadFont() {
  LOGFONTA f{};
  const std::string face(xb::RTrim(FieldText("CFACENAME")));
  std::memcpy(f.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  f.lfWidth = static_cast<LONG>(std::lround(FieldNumber("NWIDTH")));
  f.lfHeight = static_cast<LONG>(std::lround(FieldNumber("NHEIGHT")));
  f.lfEscapement = static_cast<LONG>(FieldNumber("NESCAPEMEN"));
  f.lfOrientation = static_cast<LONG>(FieldNumber("NORIENTATI"));
  f.lfWeight = static_cast<LONG>(FieldNumber("NWEIGHT"));
  if (f.lfWeight == 0 && FieldLogical("LBOLD")) f.lfWeight = FW_BOLD;
  f.lfItalic = FieldLogical("LITALIC");
  f.lfUnderline = FieldLogical("LUNDERLINE");
  f.lfStrikeOut = FieldLogical("LSTRIKEOUT");
  f.lfCharSet = static_cast<BYTE>(FieldNumber("NCHARSET"));
  f.lfOutPrecision = static_cast<BYTE>(FieldNumber("NOUTPRECIS"));
  f.lfClipPrecision = static_cast<BYTE>(FieldNumber("NCLIPPRECI"));
  f.lfQuality = static_cast<BYTE>(FieldNumber("NQUALITY"));
  f.lfPitchAndFamily = static_cast<BYTE>(FieldNumber("NPITCHFAMI"));
  return f;
}

void HandCursorOnBars(ui::TWindow& window) {
  for (const xb::ObjectRef& bar : {xb::ObjectRef(window.oTop), xb::ObjectRef(window.oLeft), xb::ObjectRef(window.oRight),
                                   xb::ObjectRef(window.oBottom), window.oBar}) {
    auto* w = dynamic_cast<ui::TWindow*>(bar.get());
    if (w == nullptr) continue;
    xb::Array controls = xb::Array::New();
    for (const ui::WindowRef& c : w->aControls) controls.Append(Value(xb::ObjectRef(c)));
    data::oCursorHand(Value(controls));
  }
}

void FillReservedSlot(ReservedSlot& slot, const std::string& title, const SavedWindow& saved) {
  if (title != slot.title) return;
  slot.rect = saved.rect;
  slot.state = saved.iconic ? 2 : 1;
}

// The browses of a window among its controls, in order.
int BrowsesIn(ui::TWindow* window) {
  int count = 0;
  if (window != nullptr)
    for (const ui::WindowRef& c : window->aControls)
      if (dynamic_cast<ui::TWBrowse*>(c.get()) != nullptr) ++count;
  return count;
}

// The window's rectangle in screen pixels; iconised or maximised, the one it takes when
// restored, so that it comes back to its own size.
RECT PlaceOf(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  if (!::IsIconic(hwnd) && !::IsZoomed(hwnd)) return r;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!::GetWindowPlacement(hwnd, &placement)) return r;
  r = placement.rcNormalPosition;
  if ((::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
    ::MapWindowPoints(::GetParent(hwnd), nullptr, reinterpret_cast<POINT*>(&r), 2);
  } else {
    // A top-level window's normal place is in the coordinates of its monitor's work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoA(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor))
      ::OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return r;
}

std::string TitleOf(ui::TWindow* window) {
  if (window == nullptr) return {};
  return window->hWnd != nullptr ? window->GetText() : window->cCaption;
}

}  // namespace

std::string CnfBrwTable(const std::string& user_code) {
  return data::cPathStart() + "CnfBrw" + (user_code.empty() ? cCodUser() : user_code);
}
std::string CnfLbxTable(const std::string& user_code) {
  return data::cPathStart() + "CnfLbx" + (user_code.empty() ? cCodUser() : user_code);
}

const std::vector<FieldDef>& CnfBrwFields() {
  static const std::vector<FieldDef> fields = {
      {"cTitulo", 'C', kTitleLength, 0}, {"nTop", 'N', 4, 0},     {"nLeft", 'N', 4, 0},
      {"nBottom", 'N', 4, 0},            {"nRight", 'N', 4, 0},   {"lIconic", 'L', 1, 0},
      {"lZoomed", 'L', 1, 0},            {"nListBox", 'N', 2, 0},
  };
  return fields;
}

const std::vector<FieldDef>& CnfLbxFields() {
  static const std::vector<FieldDef> fields = [] {
    std::vector<FieldDef> f = {{"cTitWndLB", 'C', kTitleLength + 2, 0}};
    for (int i = 1; i <= kSavedColumns; ++i) f.push_back({"nCol" + std::to_string(i), 'N', 4, 0});
    const std::vector<FieldDef> font = {
        {"cFaceName", 'C', 32, 0},  {"nWidth", 'N', 12, 6},     {"nHeight", 'N', 4, 0},    {"nEscapemen", 'N', 4, 0},
        {"nOrientati", 'N', 4, 0},  {"nWeight", 'N', 4, 0},     {"lBold", 'L', 1, 0},      {"lItalic", 'L', 1, 0},
        {"lUnderline", 'L', 1, 0},  {"lStrikeOut", 'L', 1, 0},  {"nCharSet", 'N', 4, 0},   {"nOutPrecis", 'N', 4, 0},
        {"nClipPreci", 'N', 4, 0},  {"nQuality", 'N', 4, 0},    {"nPitchFami", 'N', 4, 0}, {"nColor", 'N', 9, 0},
    };
    f.insert(f.end(), font.begin(), font.end());
    return f;
  }();
  return fields;
}

void ConfBrowse(ui::TWindow& window, const std::vector<ui::TWBrowse*>& browses) {
  const std::string title = window.GetText().substr(0, kTitleLength);
  EnsureTables();
  SelectedAreaScope keep;
  if (!OpenTable(CnfBrwTable(), kWindowsAlias, false)) return;
  OpenedArea windows(true);
  const RECT r = window.hWnd != nullptr ? PlaceOf(window.hWnd) : RECT{};
  // A window beyond what the fields hold (left of the main screen, say) keeps the place it
  // had.
  const bool fits = Fits(r.top) && Fits(r.left) && Fits(r.bottom - 1) && Fits(r.right - 1);
  if (window.hWnd != nullptr && fits && LockedRecordOf(TitleKey(title), "CTITULO")) {
    PutField("NTOP", Value::Integer(r.top));
    PutField("NLEFT", Value::Integer(r.left));
    PutField("NBOTTOM", Value::Integer(r.bottom - 1));
    PutField("NRIGHT", Value::Integer(r.right - 1));
    PutField("LICONIC", Value::Logical(::IsIconic(window.hWnd) != FALSE));
    PutField("LZOOMED", Value::Logical(::IsZoomed(window.hWnd) != FALSE));
    PutField("NLISTBOX", Value::Integer(static_cast<std::int64_t>(browses.size())));
    Area().Commit();
    Area().Unlock();
  }
  windows.Close();
  if (!OpenTable(CnfLbxTable(), kBrowsesAlias, false)) return;
  OpenedArea lists(true);
  for (std::size_t n = 0; n < browses.size(); ++n) {
    ui::TWBrowse* browse = browses[n];
    if (browse == nullptr || !LockedRecordOf(BrowseKey(title, static_cast<int>(n) + 1), "CTITWNDLB")) continue;
    const std::vector<int> widths = browse->GetColSizes();
    for (int i = 1; i <= kSavedColumns; ++i) {
      int width = i <= static_cast<int>(widths.size()) ? widths[i - 1] : 0;
      if (!Fits(width) || width < 0) width = 0;
      PutField("NCOL" + std::to_string(i), Value::Integer(width));
    }
    WriteFont(LogFontOfWindow(*browse));
    PutField("NCOLOR", Value::Integer(browse->nxClrText));
    Area().Commit();
    Area().Unlock();
  }
  lists.Close();
  HandCursorOnBars(window);
}

std::optional<SavedWindow> SavedWindowLayout(const std::string& title) {
  const std::string table = CnfBrwTable();
  if (!FileExists(DbfOf(table))) return std::nullopt;
  SelectedAreaScope keep;
  if (!OpenTableQuietly(table, kWindowsAlias, false)) return std::nullopt;
  OpenedArea windows(true);
  SelectOrder(1);
  const std::string key = title.substr(0, std::min<std::size_t>(title.size(), kTitleLength));
  if (!Seek(Value::String(TitleKey(key)))) return std::nullopt;
  SavedWindow saved;
  saved.rect = {static_cast<int>(FieldNumber("NTOP")), static_cast<int>(FieldNumber("NLEFT")),
                static_cast<int>(FieldNumber("NBOTTOM")), static_cast<int>(FieldNumber("NRIGHT"))};
  saved.iconic = FieldLogical("LICONIC");
  saved.zoomed = FieldLogical("LZOOMED");
  saved.browses = static_cast<int>(FieldNumber("NLISTBOX"));
  FillReservedSlot(Asientos(), key, saved);
  FillReservedSlot(Pgc(), key, saved);
  return saved;
}

std::optional<SavedBrowse> SavedBrowseLayout(const std::string& title, int number) {
  const std::string table = CnfLbxTable();
  if (!FileExists(DbfOf(table))) return std::nullopt;
  SelectedAreaScope keep;
  if (!OpenTableQuietly(table, kBrowsesAlias, false)) return std::nullopt;
  OpenedArea lists(true);
  SelectOrder(1);
  if (!Seek(Value::String(BrowseKey(title.substr(0, std::min<std::size_t>(title.size(), kTitleLength)), number))))
    return std::nullopt;
  SavedBrowse saved;
  for (int i = 1; i <= kSavedColumns; ++i)
    saved.widths.push_back(static_cast<int>(FieldNumber("NCOL" + std::to_string(i))));
  while (!saved.widths.empty() && saved.widths.back() == 0) saved.widths.pop_back();
  saved.font = ReadFont();
  saved.colour = static_cast<COLORREF>(FieldNumber("NCOLOR"));
  return saved;
}

bool RestoreBrowse(ui::TWBrowse& browse, const std::string& title, int number) {
  const std::optional<SavedBrowse> saved = SavedBrowseLayout(title, number);
  if (saved) {
    xb::Array sizes = browse.aColSizes.IsArray() ? browse.aColSizes.AsArray() : xb::Array::New();
    std::vector<Value> widths(sizes.begin(), sizes.end());
    if (widths.size() < saved->widths.size()) widths.resize(saved->widths.size(), Value::Integer(0));
    for (std::size_t i = 0; i < saved->widths.size(); ++i)
      if (saved->widths[i] > 0) widths[i] = Value::Integer(saved->widths[i]);
    browse.aColSizes = Value(xb::Array::Of(std::span<const Value>(widths)));
    if (saved->font.lfFaceName[0] != '\0') browse.SetFont(FontOf(saved->font));
    if (saved->colour != 0) {
      browse.nxClrText = saved->colour;
      browse.SetColor(saved->colour, browse.nClrPane);
    }
  }
  const COLORREF text = browse.nxClrText;
  browse.LoadLook();
  if (saved && saved->colour != 0) {
    browse.nxClrText = text;
    browse.SetColor(text, browse.nXClrPane);
  }
  if (browse.hWnd != nullptr) browse.Refresh();
  return saved.has_value();
}

bool RestoreWindow(ui::TWindow& window) {
  if (window.hWnd == nullptr) return false;
  const std::optional<SavedWindow> saved = SavedWindowLayout(window.GetText());
  if (!saved) return false;
  POINT top_left{saved->rect.left, saved->rect.top};
  POINT bottom_right{saved->rect.right + 1, saved->rect.bottom + 1};
  if ((::GetWindowLongA(window.hWnd, GWL_STYLE) & WS_CHILD) != 0) {
    HWND parent = ::GetParent(window.hWnd);
    ::ScreenToClient(parent, &top_left);
    ::ScreenToClient(parent, &bottom_right);
  }
  ::MoveWindow(window.hWnd, top_left.x, top_left.y, bottom_right.x - top_left.x, bottom_right.y - top_left.y, TRUE);
  window.CoorsUpdate();
  if (saved->iconic) ::ShowWindow(window.hWnd, SW_MINIMIZE);
  else if (saved->zoomed) ::ShowWindow(window.hWnd, SW_MAXIMIZE);
  return true;
}

xb::Ref<ui::TWBrowse> ConfBrwNew(const ui::TWBrowse::NewParams& params) {
  ui::TWindow* parent = params.parent ? params.parent.get() : ui::GetWndDefault().get();
  const int number = BrowsesIn(parent) + 1;
  auto browse = xb::MakeRef<ui::TWBrowse>();
  browse->New(params);
  RestoreBrowse(*browse, TitleOf(parent), number);
  return browse;
}

xb::Ref<ui::TWBrowse> ConfBrwRedefine(int id, const ui::TWBrowse::RedefineParams& params) {
  ui::TWindow* parent = params.parent ? params.parent.get() : ui::GetWndDefault().get();
  const int number = BrowsesIn(parent) + 1;
  auto browse = xb::MakeRef<ui::TWBrowse>();
  browse->ReDefine(id, params);
  RestoreBrowse(*browse, TitleOf(parent), number);
  return browse;
}

ui::DialogRef ConfDlgNew(const ui::TDialog::NewParams& params) {
  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New(params);
  ui::TDialog* d = dialog.get();
  dialog->bStart = Action([d] { RestoreWindow(*d); });
  return dialog;
}

namespace {

// The saved rectangle only: the state is the activation's.
void PlaceAsSaved(ui::TWindow& window) {
  if (window.hWnd == nullptr) return;
  const std::optional<SavedWindow> saved = SavedWindowLayout(window.GetText());
  if (!saved) return;
  POINT top_left{saved->rect.left, saved->rect.top};
  POINT bottom_right{saved->rect.right + 1, saved->rect.bottom + 1};
  HWND parent = ::GetParent(window.hWnd);
  ::ScreenToClient(parent, &top_left);
  ::ScreenToClient(parent, &bottom_right);
  ::MoveWindow(window.hWnd, top_left.x, top_left.y, bottom_right.x - top_left.x, bottom_right.y - top_left.y, TRUE);
  window.CoorsUpdate();
}

void ShowAsSaved(ui::TWindow& window, ui::TWindow::ActivateParams& params) {
  if (const std::optional<SavedWindow> saved = SavedWindowLayout(window.GetText())) {
    if (saved->iconic) params.show = "ICONIZED";
    else if (saved->zoomed) params.show = "MAXIMIZED";
  }
}

}  // namespace

xb::Ref<ui::TMdiChild> ConfMdiChildNew(const ui::TMdiChild::NewParams& params) {
  auto child = xb::MakeRef<ui::TMdiChild>();
  child->New(params);
  PlaceAsSaved(*child);
  return child;
}

void ConfActivMdiChild(ui::TMdiChild& child, ui::TWindow::ActivateParams params) {
  ShowAsSaved(child, params);
  child.Activate(params);
  HandCursorOnBars(child);
}

void NtxConfBrw() {
  const std::string windows = CnfBrwTable(), browses = CnfLbxTable();
  if (!FileExists(DbfOf(windows)) || !FileExists(DbfOf(browses))) return;
  MakeIndex(windows, CnfBrwTags(), kWindowsAlias);
  MakeIndex(browses, CnfLbxTags(), kBrowsesAlias);
}

void DelConfBrw(const std::string& user_code) {
  for (const std::string& table : {CnfBrwTable(user_code), CnfLbxTable(user_code)}) {
    EraseFile(DbfOf(table));
    EraseFile(IndexOf(table));
  }
}

int nCoorAsien() { return Asientos().state; }
int nCoorPgc() { return Pgc().state; }
ui::Rect CoorAsien() { return Asientos().rect; }
ui::Rect CoorPgc() { return Pgc().rect; }

void Entorno() {
  if (!lFreeMenu()) return;
  ui::DialogRef dialog = ResourceDialog(Value::Integer(20015), " Entorno");
  Picture(dialog, 600, "BMP_LOGO_QZ");
  Label(dialog, 100, " ¿ Desea recuperar los valores originales de fuentes y tamaños de ventana ?");
  ui::TDialog* d = dialog.get();
  Button(dialog, 552, [d] {
    DelConfBrw(cCodUser());
    RestauraFonts();
    d->End(552);
  });
  Button(dialog, 553, [d] { d->End(553); });
  Button(dialog, 540, [d] { d->HelpTopic(); });
  RunDialog(dialog);
}

void ResetLayouts() {
  Asientos().state = Pgc().state = 0;
  Asientos().rect = Pgc().rect = {};
}

namespace {

Value Forward(const char* constructor, const char* message, Args& a) {
  const Value object = xb::CallFunction(constructor);
  return xb::Send(object, xb::Intern(message), a.Raw());
}

}  // namespace

void RegisterLayoutFunctions() {
  xb::RegisterFunction("CONFBROWSE", [](Args& a) {
    auto* window = dynamic_cast<ui::TWindow*>(a.Obj(1).get());
    if (window == nullptr) return Value();
    std::vector<ui::TWBrowse*> browses;
    const Value& given = a.Arg(2);
    if (given.IsArray()) {
      for (const Value& b : given.AsArray()) browses.push_back(dynamic_cast<ui::TWBrowse*>(b.AsObject().get()));
    } else if (auto* browse = dynamic_cast<ui::TWBrowse*>(given.AsObject().get())) {
      browses.push_back(browse);
    }
    ConfBrowse(*window, browses);
    return Value();
  });
  // The constructors' own arguments, as TWBrowse's New and ReDefine and TDialog's New take them.
  xb::RegisterFunction("CONFBRWNEW", [](Args& a) {
    auto* parent = dynamic_cast<ui::TWindow*>(a.Obj(8).get());
    if (parent == nullptr) parent = ui::GetWndDefault().get();
    const int number = BrowsesIn(parent) + 1;
    const Value browse = Forward("TWBROWSE", "NEW", a);
    if (auto* b = dynamic_cast<ui::TWBrowse*>(browse.AsObject().get())) RestoreBrowse(*b, TitleOf(parent), number);
    return browse;
  });
  xb::RegisterFunction("CONFBRWREDEFINE", [](Args& a) {
    auto* parent = dynamic_cast<ui::TWindow*>(a.Obj(3).get());
    if (parent == nullptr) parent = ui::GetWndDefault().get();
    const int number = BrowsesIn(parent) + 1;
    const Value browse = Forward("TWBROWSE", "REDEFINE", a);
    if (auto* b = dynamic_cast<ui::TWBrowse*>(browse.AsObject().get())) RestoreBrowse(*b, TitleOf(parent), number);
    return browse;
  });
  xb::RegisterFunction("CONFDLGNEW", [](Args& a) {
    const Value dialog = Forward("TDIALOG", "NEW", a);
    if (auto* d = dynamic_cast<ui::TDialog*>(dialog.AsObject().get())) d->bStart = Action([d] { RestoreWindow(*d); });
    return dialog;
  });
  xb::RegisterFunction("CONFMDICHILDNEW", [](Args& a) {
    const Value child = Forward("TMDICHILD", "NEW", a);
    if (auto* c = dynamic_cast<ui::TMdiChild*>(child.AsObject().get())) PlaceAsSaved(*c);
    return child;
  });
  // The child, then ACTIVATE's own arguments (the first, how to show it, as saved).
  xb::RegisterFunction("CONFACTIVMDICHILD", [](Args& a) {
    auto* child = dynamic_cast<ui::TMdiChild*>(a.Obj(1).get());
    if (child == nullptr) return Value();
    ui::TWindow::ActivateParams params;
    if (a.Arg(2).IsString()) params.show = std::string(a.Str(2));
    ShowAsSaved(*child, params);
    std::vector<Value> rest(a.Raw().begin() + 1, a.Raw().end());
    if (rest.empty()) rest.push_back(Value());
    rest[0] = Value::String(params.show);
    xb::Send(a.Arg(1), xb::Intern("ACTIVATE"), rest);
    HandCursorOnBars(*child);
    return Value();
  });
  xb::RegisterFunction("NTXCONFBRW", [](Args&) {
    NtxConfBrw();
    return Value();
  });
  xb::RegisterFunction("DELCONFBRW", [](Args& a) {
    DelConfBrw(a.Arg(1).IsString() ? std::string(a.Str(1)) : cCodUser());
    return Value();
  });
  xb::RegisterFunction("NCOORASIEN", [](Args&) { return Value::Integer(nCoorAsien()); });
  xb::RegisterFunction("NCOORPGC", [](Args&) { return Value::Integer(nCoorPgc()); });
  xb::RegisterFunction("ENTORNO", [](Args&) {
    Entorno();
    return Value();
  });
}

}  // namespace svc
