#include "ui/core/tbar.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/symbol.h"
#include "ui/bridge/bar_helpers.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/painters.h"
#include "ui/bridge/resources.h"
#include "ui/core/menu_builder.h"
#include "ui/core/tini.h"
#include "ui/core/tmsgbar.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kMakerWidth = 130;        // a maker's-look bar without header picture
constexpr int kMakerBtnHeight = 28;
constexpr int kHiddenMargin = 15;        // buttons below the bar's height - 15 are hidden
constexpr int kArrowHeight = 12;
constexpr int kEdgeStrip = 3;            // the maker's look's yellow strip on the right
constexpr COLORREF kEdgeYellow = RGB(255, 255, 0);

// Window titles whose bar is always a 3-D top bar.
const char* const kClassicTitles[] = {"Gestión de asientos", "Plan general contable",
                                      "PROVEEDORES por provincias", "CLIENTES por provincias",
                                      "CLIENTES por comunidades"};

bool CallLogical(const char* function) {
  return xb::IsFunctionRegistered(function) && xb::CallFunction(function).AsLogical();
}

int ModeOf(const std::string& position) {
  const std::string p = xb::UpperName(position);
  if (p == "LEFT") return TBar::kLeft;
  if (p == "RIGHT") return TBar::kRight;
  if (p == "BOTTOM") return TBar::kBottom;
  if (p == "FLOAT") return TBar::kFloat;
  return TBar::kTop;
}

BitmapAndPalette LoadHeader(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('.') != std::string::npos) return PalBmpRead(nullptr, name);
  const std::optional<WORD> number = ResourceNumber(name);
  return PalBmpLoad(number ? MAKEINTRESOURCEA(*number) : name.c_str());
}

BarButton* AsButton(const WindowRef& w) { return dynamic_cast<BarButton*>(w.get()); }

std::string Flag(bool b) { return b ? "T" : "F"; }

void Triangle(HDC dc, const RECT& area, bool up) {
  const int cx = (area.left + area.right) / 2;
  const int cy = (area.top + area.bottom) / 2;
  POINT p[3];
  if (up) {
    p[0] = {cx - 5, cy + 3};
    p[1] = {cx + 5, cy + 3};
    p[2] = {cx, cy - 3};
  } else {
    p[0] = {cx - 5, cy - 3};
    p[1] = {cx + 5, cy - 3};
    p[2] = {cx, cy + 3};
  }
  Brush fill(CreateSolidBrush(kEdgeYellow));
  SelectionScope brush(dc, fill.get());
  SelectionScope pen(dc, GetStockObject(BLACK_PEN));
  Polygon(dc, p, 3);
}

}  // namespace

TBar::TBar() : TControl(Cls()) {}

TBar::~TBar() {
  if (hBmpHeader != nullptr) DeleteObject(hBmpHeader);
  if (hPaletteHdr != nullptr) DeleteObject(hPaletteHdr);
}

void TBar::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (home_) visitor.Visit(home_.get());
  if (float_win_) visitor.Visit(float_win_.get());
}

void TBar::ClearValues() {
  TControl::ClearValues();
  home_ = float_win_ = nullptr;
}

// ---- construction ---------------------------------------------------------------------

xb::Ref<TBar> TBar::New(TWindow& window, const NewParams& params) {
  auto bar = xb::MakeRef<TBar>();
  bar->Init(window, params);
  return bar;
}

void TBar::Init(TWindow& window, const NewParams& p) {
  nBtnWidth = p.btn_width;
  nBtnHeight = p.btn_height;
  l3D = p.l3d;
  int mode = ModeOf(p.position);
  const xb::Class& cls = window.GetClass();
  if (mode == kTop && (cls.IsDerivedFrom("TMDICHILD") || cls.IsDerivedFrom("TSHELL"))) mode = kLeft;
  const std::string title = window.GetText();
  bool classic = CallLogical("LCLASSIC") || title.find("Gráficos") != std::string::npos;
  for (const char* t : kClassicTitles) classic = classic || title == t;
  if (classic) {
    mode = kTop;
    l3D = true;
  }
  if (p.mode >= kTop && p.mode <= kFloat) mode = p.mode;
  nMode = mode;
  nLineStyle = nMode - 2;
  oCursor = p.cursor;
  oWnd = WindowRef(&window);
  nStyle = WS_BORDER | WS_CHILD | WS_VISIBLE;

  COLORREF pane = GetSysColor(COLOR_BTNFACE);
  const Rect client = window.GetCliRect();
  int width = client.right + 2;
  int height = nBtnHeight;
  if (nLineStyle == 0) {
    // The maker's look: its pane and header picture; the picture's width is the bar's.
    pane = kMakerPane;
    cBmpHeader = !p.header.empty() ? p.header : std::to_string(kMakerHeader);
    const BitmapAndPalette header = LoadHeader(cBmpHeader);
    hBmpHeader = header.bitmap;
    hPaletteHdr = header.palette;
    nHBmpHeader = NBmpHeight(hBmpHeader);
    width = hBmpHeader != nullptr ? NBmpWidth(hBmpHeader) : kMakerWidth;
    nBtnWidth = width - 5;
    nBtnHeight = kMakerBtnHeight;
    height = client.bottom + 2;
  } else if (Vertical()) {
    width = nBtnWidth + (l3D ? 3 : 0);
    height = client.bottom + 2;
  }
  nTop = nMode == kBottom ? client.bottom - height : -1;
  nLeft = nMode == kRight ? client.right - width : -1;
  nBottom = nTop + height - 1;
  nRight = nLeft + width - 1;
  SetColor(0, pane);
  Register();
  Create();
  if (hWnd == nullptr) return;
  window.oBar = xb::ObjectRef(this);
  // A right click on the bar does nothing unless a program sets its own block.
  bRClicked = xb::Value(xb::Block::Native([](xb::Args&) { return xb::Value::Logical(true); }));
  Adjust();
}

xb::Ref<TBar> TBar::NewAt(TWindow& window, const Rect& place, const NewParams& params) {
  auto bar = xb::MakeRef<TBar>();
  bar->InitAt(window, place, params);
  return bar;
}

void TBar::InitAt(TWindow& window, const Rect& place, const NewParams& params) {
  docked_ = false;
  Init(window, params);
  if (hWnd == nullptr) return;
  MoveWindow(hWnd, place.left, place.top, place.right - place.left + 1, place.bottom - place.top + 1, TRUE);
  CoorsUpdate();
  BtnAdjust();
}

// ---- buttons --------------------------------------------------------------------------

int TBar::ButtonStep() const {
  if (Vertical()) return nBtnHeight + (l3D ? -3 : 1);
  return nBtnWidth;
}

void TBar::Add(WindowRef button, int position) {
  if (!button) return;
  if (position < 1 || position > static_cast<int>(aControls.size())) {
    aControls.push_back(button);
  } else {
    aControls.insert(aControls.begin() + (position - 1), button);
  }
  if (BarButton* b = AsButton(button); b != nullptr && b->StartsGroup()) ++nGroups;
  BtnAdjust();
}

void TBar::AddGroup(int position) {
  if (position < 1 || position > static_cast<int>(aControls.size())) return;
  if (BarButton* b = AsButton(aControls[static_cast<size_t>(position) - 1]); b != nullptr && !b->StartsGroup()) {
    b->SetGroup(true);
    ++nGroups;
  }
  BtnAdjust();
}

void TBar::DelGroup(int position) {
  if (position < 1 || position > static_cast<int>(aControls.size())) return;
  if (BarButton* b = AsButton(aControls[static_cast<size_t>(position) - 1]); b != nullptr && b->StartsGroup()) {
    b->SetGroup(false);
    --nGroups;
  }
  BtnAdjust();
}

void TBar::Del(int position) {
  if (position < 1 || position > static_cast<int>(aControls.size())) return;
  WindowRef button = aControls[static_cast<size_t>(position) - 1];
  if (BarButton* b = AsButton(button); b != nullptr && b->StartsGroup()) --nGroups;
  aControls.erase(aControls.begin() + (position - 1));
  if (button->hWnd != nullptr) DestroyWindow(button->hWnd);
  BtnAdjust();
}

int TBar::GetBtnTop(bool group, int position) const {
  const size_t before = position < 1 ? aControls.size()
                                     : std::min(aControls.size(), static_cast<size_t>(position) - 1);
  if (nMode == kFloat) return 2 + static_cast<int>(before / 2) * nBtnHeight;
  if (!Vertical()) return l3D ? 3 : -1;
  int groups = group ? 1 : 0;
  for (size_t i = 0; i < before; ++i) {
    if (BarButton* b = AsButton(aControls[i]); b != nullptr && b->StartsGroup()) ++groups;
  }
  return 2 + static_cast<int>(before) * ButtonStep() + groups * kGroupGap;
}

int TBar::GetBtnLeft(bool group, int position) const {
  const size_t before = position < 1 ? aControls.size()
                                     : std::min(aControls.size(), static_cast<size_t>(position) - 1);
  if (nMode == kFloat) return 2 + static_cast<int>(before % 2) * nBtnWidth;
  if (Vertical()) return 2;
  int groups = group ? 1 : 0;
  for (size_t i = 0; i < before; ++i) {
    if (BarButton* b = AsButton(aControls[i]); b != nullptr && b->StartsGroup()) ++groups;
  }
  return (l3D ? 2 : -1) + static_cast<int>(before) * nBtnWidth + groups * kGroupGap;
}

void TBar::BtnAdjust() {
  const int width = nBtnWidth - (l3D ? 2 : 0) + 1;
  const int height = nBtnHeight - (l3D ? 6 : 0) + 1;
  int x = l3D ? 2 : -1;
  int y = (nLineStyle == 0 && nHBmpHeader > 0 ? nHBmpHeader : 0) + 2;
  if (!Vertical() && nMode != kFloat) y = l3D ? 3 : -1;
  if (Vertical()) x = 2;
  int index = 0;
  for (const WindowRef& button : aControls) {
    if (!button || button->hWnd == nullptr) continue;
    const bool group = AsButton(button) != nullptr && AsButton(button)->StartsGroup();
    if (nMode == kFloat) {
      MoveWindow(button->hWnd, 2 + (index % 2) * nBtnWidth, 2 + (index / 2) * nBtnHeight, width, height, TRUE);
    } else if (Vertical()) {
      if (group) y += kGroupGap;
      MoveWindow(button->hWnd, x, y, width, height, TRUE);
      y += ButtonStep();
    } else {
      if (group) x += kGroupGap;
      MoveWindow(button->hWnd, x, y, width, height, TRUE);
      x += nBtnWidth;
    }
    button->CoorsUpdate();
    ++index;
  }
  if (nLineStyle == 0) Adjust();
}

// ---- docking --------------------------------------------------------------------------

void TBar::Adjust() {
  if (hWnd == nullptr || !oWnd || oWnd->hWnd == nullptr || nMode == kFloat || !docked_) return;
  auto* msg_bar = dynamic_cast<TMsgBar*>(oWnd->oMsgBar.get());
  const int msg_height = msg_bar != nullptr ? msg_bar->Height() : 0;
  if (nLineStyle != 0) {
    BarAdjust(hWnd, nMode, msg_bar != nullptr, msg_height);
    CoorsUpdate();
    return;
  }
  // The maker's left bar: down to the message bar (or the window's foot).
  BarAdjust(hWnd, nMode, msg_bar != nullptr, msg_height);
  CoorsUpdate();
  const Rect client = GetCliRect();
  const int band_top = nHBmpHeader;
  const int band_bottom = client.bottom - kHiddenMargin;
  lTop = lBottom = true;
  for (const WindowRef& button : aControls) {
    if (!button || button->hWnd == nullptr) continue;
    const Rect r = GetCoors(button->hWnd);
    const bool above = r.top < band_top;
    const bool below = r.bottom > band_bottom;
    if (above) lTop = false;
    if (below) lBottom = false;
    ShowWindow(button->hWnd, above || below ? SW_HIDE : SW_SHOWNA);
  }
  nT1 = band_top;
  nL1 = 0;
  nB1 = band_top + kArrowHeight;
  nR1 = client.right - kEdgeStrip;
  nT2 = client.bottom - kArrowHeight - 1;
  nL2 = 0;
  nB2 = client.bottom - 1;
  nR2 = client.right - kEdgeStrip;
  InvalidateRect(hWnd, nullptr, TRUE);
}

void TBar::SetMsg(const std::string& text, bool as_default) {
  if (oWnd) oWnd->SetMsg(text, as_default);
}

void TBar::Up() {
  if (aControls.empty() || lTop) return;
  int step = nBtnHeight + 2;
  if (aControls.size() > 1 && aControls[0]->hWnd != nullptr && aControls[1]->hWnd != nullptr) {
    step = GetCoors(aControls[1]->hWnd).top - GetCoors(aControls[0]->hWnd).top;
  }
  for (const WindowRef& button : aControls) {
    if (button->hWnd == nullptr) continue;
    const Rect r = GetCoors(button->hWnd);
    MoveWindow(button->hWnd, r.left, r.top + step, r.Width(), r.Height(), FALSE);
  }
  Adjust();
}

void TBar::Down() {
  if (aControls.empty() || lBottom) return;
  int step = nBtnHeight + 2;
  if (aControls.size() > 1 && aControls[0]->hWnd != nullptr && aControls[1]->hWnd != nullptr) {
    step = GetCoors(aControls[1]->hWnd).top - GetCoors(aControls[0]->hWnd).top;
  }
  for (const WindowRef& button : aControls) {
    if (button->hWnd == nullptr) continue;
    const Rect r = GetCoors(button->hWnd);
    MoveWindow(button->hWnd, r.left, r.top - step, r.Width(), r.Height(), FALSE);
  }
  Adjust();
}

void TBar::Redock(int mode) {
  if (hWnd == nullptr) return;
  xb::Ref<TBar> keep(this);
  if (float_win_) {
    // Back from the tool window to the window it belongs to.
    SetParent(hWnd, home_->hWnd);
    oWnd = home_;
    WindowRef tool = std::move(float_win_);
    float_win_ = nullptr;
    home_ = nullptr;
    if (tool->hWnd != nullptr) DestroyWindow(tool->hWnd);
  }
  nMode = mode;
  docked_ = true;
  const Rect client = oWnd->GetCliRect();
  const int thickness = Vertical() ? nBtnWidth + (l3D ? 3 : 0) + 2 : nBtnHeight;
  if (Vertical()) {
    MoveWindow(hWnd, -1, -1, thickness, client.bottom + 2, TRUE);
  } else {
    MoveWindow(hWnd, -1, -1, client.right + 2, thickness, TRUE);
  }
  BtnAdjust();
  Adjust();
  oWnd->ReSize(SIZE_RESTORED, client.right, client.bottom);
}

void TBar::GoTop() { Redock(kTop); }
void TBar::GoLeft() { Redock(kLeft); }
void TBar::GoRight() { Redock(kRight); }
void TBar::GoDown() { Redock(kBottom); }

void TBar::Float() {
  if (hWnd == nullptr || nMode == kFloat || !oWnd) return;
  xb::Ref<TBar> keep(this);
  home_ = oWnd;
  const int rows = static_cast<int>((aControls.size() + 1) / 2);
  const Rect on_screen = GetWndRect(hWnd);
  TWindow::NewParams p;
  p.top = on_screen.top + 20;
  p.left = on_screen.left + 20;
  p.bottom = p.top + rows * nBtnHeight + 8 + GetSystemMetrics(SM_CYSMCAPTION);
  p.right = p.left + 2 * nBtnWidth + 8;
  p.pixel = true;
  p.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  p.caption = "";
  auto tool = xb::MakeRef<TWindow>();
  tool->New(p);
  tool->ToolWindow();
  SetParent(hWnd, tool->hWnd);
  oWnd = tool;
  nMode = kFloat;
  // The tool window's system menu docks the bar again.
  HWND self = hWnd;
  auto dock = [self](void (TBar::*go)()) {
    return xb::Value(xb::Block::Native([self, go](xb::Args&) {
      if (auto* bar = dynamic_cast<TBar*>(OWndFromHwnd(self).get())) (bar->*go)();
      return xb::Value();
    }));
  };
  MenuBegin(false, true, tool.get());
  for (auto [prompt, go] : {std::pair{"&Top", &TBar::GoTop}, std::pair{"&Bottom", &TBar::GoDown},
                            std::pair{"&Left", &TBar::GoLeft}, std::pair{"&Right", &TBar::GoRight}}) {
    TMenuItem::Spec spec;
    spec.prompt = prompt;
    spec.action = dock(go);
    MenuAddItem(spec);
  }
  MenuEnd();
  float_win_ = tool;
  const Rect tool_client = tool->GetCliRect();
  MoveWindow(hWnd, 0, 0, tool_client.right, tool_client.bottom, TRUE);
  BtnAdjust();
  ShowWindow(tool->hWnd, SW_SHOWNA);
  const Rect home_client = home_->GetCliRect();
  home_->ReSize(SIZE_RESTORED, home_client.right, home_client.bottom);
}

// ---- the layout in an INI file ---------------------------------------------------------

void TBar::SaveIni(const std::string& name, const std::string& file) {
  auto ini = TIni::New(file);
  ini->Set("ButtonBar", "1", xb::Value::String(name + "," + std::to_string(nMode)));
  const std::string section = "ButtonBar." + name;
  ini->DelSection(section);
  int n = 0;
  for (const WindowRef& button : aControls) {
    const BarButton* b = AsButton(button);
    if (b == nullptr) continue;
    const BarButtonLayout l = b->Layout();
    const std::string fields = l.resource1 + "," + l.resource2 + "," + l.file1 + "," + l.file2 + "," + l.message +
                               "," + l.action + "," + Flag(l.group) + "," + Flag(l.adjust) + "," + l.tooltip + "," +
                               Flag(l.pressed);
    ini->Set(section, "Button" + std::to_string(++n), xb::Value::String(fields));
  }
}

std::string TBar::cGenPrg() const {
  std::string text;
  for (const WindowRef& button : aControls) {
    if (const BarButton* b = AsButton(button)) text += b->GenPrg();
  }
  return text;
}

// ---- painting and the mouse -------------------------------------------------------------

Answer TBar::EraseBkGnd(HDC) { return Answer::Number(1); }  // Paint covers it all

Answer TBar::Display() {
  BeginPaint();
  Paint();
  EndPaint();
  return Answer::Number(0);
}

Answer TBar::Paint() {
  if (nLineStyle == 0) {
    PaintQZ(hDC);
  } else {
    const RECT client = GetCliRect().ToRECT();
    ::FillRect(hDC, &client, oBrush ? oBrush->hBrush : GetSysColorBrush(COLOR_BTNFACE));
    BarPaint(hWnd, hDC);
  }
  return Answer::Number(0);
}

void TBar::PaintQZ(HDC dc) {
  const Rect client = GetCliRect();
  RECT all = client.ToRECT();
  Brush pane(CreateSolidBrush(nClrPane));
  ::FillRect(dc, &all, pane.get());
  if (hBmpHeader != nullptr) {
    PalBmpDraw(dc, 0, 0, hBmpHeader, hPaletteHdr, PalDrawOptions{});
  }
  RECT edge = {client.right - kEdgeStrip, client.top, client.right, client.bottom};
  Brush yellow(CreateSolidBrush(kEdgeYellow));
  ::FillRect(dc, &edge, yellow.get());
  if (!lTop) Triangle(dc, RECT{nL1, nT1, nR1, nB1}, true);
  if (!lBottom) Triangle(dc, RECT{nL2, nT2, nR2, nB2}, false);
}

Answer TBar::LButtonDown(int row, int col, WPARAM keys) {
  if (nLineStyle == 0) {
    if (!lTop && row >= nT1 && row < nB1 && col >= nL1 && col < nR1) {
      Up();
      return Answer::Number(0);
    }
    if (!lBottom && row >= nT2 && row < nB2 && col >= nL2 && col < nR2) {
      Down();
      return Answer::Number(0);
    }
  }
  return TControl::LButtonDown(row, col, keys);
}

Answer TBar::RButtonDown(int row, int col, WPARAM keys) {
  if (!bRClicked.IsNil()) return TControl::RButtonDown(row, col, keys);
  HWND self = hWnd;
  auto go = [self](void (TBar::*to)()) {
    return xb::Value(xb::Block::Native([self, to](xb::Args&) {
      if (auto* bar = dynamic_cast<TBar*>(OWndFromHwnd(self).get())) (bar->*to)();
      return xb::Value();
    }));
  };
  auto popup = MenuBegin(true);
  const std::pair<int, std::pair<const char*, void (TBar::*)()>> edges[] = {
      {kTop, {"&Top", &TBar::GoTop}},
      {kLeft, {"&Left", &TBar::GoLeft}},
      {kRight, {"&Right", &TBar::GoRight}},
      {kBottom, {"&Bottom", &TBar::GoDown}}};
  // The window the bar docks in: its own, or the one a floating bar belongs to.
  const TWindow* window = home_ ? home_.get() : oWnd.get();
  auto edge_free = [window](int mode) {
    if (window == nullptr) return false;
    switch (mode) {
      case kTop: return !window->oTop;
      case kLeft: return !window->oLeft;
      case kRight: return !window->oRight;
      default: return !window->oBottom;
    }
  };
  for (const auto& [mode, item] : edges) {
    if (mode == nMode || !edge_free(mode)) continue;
    TMenuItem::Spec spec;
    spec.prompt = item.first;
    spec.action = go(item.second);
    MenuAddItem(spec);
  }
  TMenuItem::Spec floating;
  floating.prompt = "&Float";
  floating.action = go(&TBar::Float);
  MenuAddItem(floating);
  MenuEnd();
  popup->Activate(row, col, *this);
  return Answer::Number(0);
}

Answer TBar::Destroy() {
  if (float_win_ && float_win_->hWnd != nullptr) DestroyWindow(float_win_->hWnd);
  return TControl::Destroy();
}

}  // namespace ui
