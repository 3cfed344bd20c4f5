#include "ui/core/tmdiframe.h"

#include <algorithm>
#include <memory>

#include "runtime/block.h"
#include "ui/bridge/mdi_helpers.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/window_classes.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmenu.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 16;
constexpr int kColPixels = 8;

// The window of the most recently created frame: its object is found in the window table,
// so that nothing here keeps a frame alive.
HWND g_last_frame = nullptr;

HWND WindowOf(const xb::ObjectRef& object) {
  auto* w = dynamic_cast<TWindow*>(object.get());
  return w != nullptr ? w->hWnd : nullptr;
}

int MenuItems(const xb::ObjectRef& menu) {
  auto* m = dynamic_cast<WindowMenu*>(menu.get());
  return m != nullptr ? m->ItemCount() : 0;
}

// A block that finds the frame by its window when it runs (the menu must not hold the frame).
xb::Value FrameAction(std::shared_ptr<HWND> frame, void (*action)(TMdiFrame&)) {
  return xb::Value(xb::Block::Native([frame, action](xb::Args&) -> xb::Value {
    WindowRef window = OWndFromHwnd(*frame);
    if (auto* own = dynamic_cast<TMdiFrame*>(window.get())) action(*own);
    return xb::Value();
  }));
}

}  // namespace

TMdiFrame::TMdiFrame() : TWindow(Cls()) {}

void TMdiFrame::Traverse(xb::GcVisitor& visitor) {
  TWindow::Traverse(visitor);
  for (xb::Object* held : {static_cast<xb::Object*>(oWndActive.get()), static_cast<xb::Object*>(oWndClient.get()),
                           oMenuStart.get()}) {
    if (held != nullptr) visitor.Visit(held);
  }
}

void TMdiFrame::ClearValues() {
  TWindow::ClearValues();
  oWndActive = nullptr;
  oWndClient = nullptr;
  oMenuStart = nullptr;
  bOnOpen = xb::Value();
}

xb::Ref<TMdiFrame> TMdiFrame::Current() {
  if (g_last_frame == nullptr) return nullptr;
  WindowRef window = OWndFromHwnd(g_last_frame);
  auto* frame = dynamic_cast<TMdiFrame*>(window.get());
  return frame != nullptr && frame->hWnd != nullptr ? xb::Ref<TMdiFrame>(frame) : nullptr;
}

TMdiFrame& TMdiFrame::New(const NewParams& p) {
  const int row = p.pixel ? 1 : kRowPixels;
  const int col = p.pixel ? 1 : kColPixels;
  auto coord = [](std::optional<int> v, int factor) { return v ? *v * factor : kDefaultPosition; };
  nTop = coord(p.top, row);
  nLeft = coord(p.left, col);
  nBottom = coord(p.bottom, row);
  nRight = coord(p.right, col);
  nStyle = p.style != 0 ? p.style : (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  cCaption = p.caption;
  nId = 0;
  lValidating = false;
  lVisible = true;
  oWnd = p.owner;
  auto self_window = std::make_shared<HWND>(nullptr);
  xb::ObjectRef menu = p.menu;
  if (menu) {
    nMenuInfo = p.menu_info.value_or(std::max(MenuItems(menu) - 1, 1));
  } else {
    nMenuInfo = p.menu_info.value_or(2);
    auto bar = TMenu::New(false);
    auto childs = TMenu::New(true);
    TMenuItem::Spec item;
    item.prompt = "New...";
    item.action = FrameAction(self_window, [](TMdiFrame& f) { f.ChildNew(); });
    childs->Add(TMenuItem::New(item));
    childs->Add(TMenuItem::New(TMenuItem::Spec{}));
    item.prompt = "E&xit";
    item.action = FrameAction(self_window, [](TMdiFrame& f) { f.End(); });
    childs->Add(TMenuItem::New(item));
    TMenuItem::Spec popup;
    popup.prompt = "&Childs";
    popup.action = xb::Value(childs);
    bar->Add(TMenuItem::New(popup), true);
    bar->AddMdi();
    bar->AddHelp("Vexilo");
    menu = bar;
  }
  oMenu = menu;
  oIcon = p.icon;  // the class registered for the first frame carries it
  SetColor(p.clr_text, p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)), p.brush);
  Register();
  Create();
  if (hWnd == nullptr) return *this;
  *self_window = hWnd;
  if (auto* icon = dynamic_cast<WindowIcon*>(oIcon.get())) {
    // The caption's icon; the big one too, so that switching tasks shows this frame's and
    // not the one its class was registered with.
    SetIcon(oIcon);
    SendMessageA(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon->hIcon()));
  }
  oWndClient = xb::MakeRef<TMdiClient>();
  oWndClient->New(*this, nMenuInfo, 1, nullptr, p.vscroll, p.hscroll);
  oWndClient->SetColor(nClrText, nClrPane, p.brush);
  SetMenu(menu, nMenuInfo);
  GetFont();
  g_last_frame = hWnd;
  SetWndDefault(WindowRef(this));
  return *this;
}

void TMdiFrame::Register(UINT class_style) {
  bool& registered = Registered(GetClass());
  if (registered) return;
  if (!oBrush) oBrush = TBrush::New("", nClrPane);
  const std::string name = ClassName();
  WNDCLASSA wc = {};
  if (!GetClassInfoA(GetInstance(), name.c_str(), &wc)) {
    WindowClassSpec spec;
    spec.name = name;
    spec.style = class_style | CS_GLOBALCLASS | CS_DBLCLKS;
    spec.cursor = LoadCursorA(nullptr, IDC_ARROW);
    spec.background = oBrush->hBrush;
    if (auto* icon = dynamic_cast<WindowIcon*>(oIcon.get())) spec.icon = icon->hIcon();
    // What the frame does not answer goes to DefFrameProcA with its own client.
    spec.procedure = GetFrameProc();
    RegisterWindowClass(spec);
  }
  registered = true;
}

// ---- forwarded to the client ---------------------------------------------------------------

xb::Ref<TMdiChild> TMdiFrame::ChildNew(const TMdiClient::ChildParams& params) {
  return oWndClient ? oWndClient->ChildNew(params) : nullptr;
}
void TMdiFrame::Cascade() { if (oWndClient) oWndClient->Cascade(); }
bool TMdiFrame::CloseAll() { return oWndClient ? oWndClient->lCloseAll() : true; }
void TMdiFrame::IconizeAll() { if (oWndClient) oWndClient->IconizeAll(); }
void TMdiFrame::Tile(bool horizontal) { if (oWndClient) oWndClient->Tile(horizontal); }
void TMdiFrame::ArrangeIcons() { if (oWndClient) oWndClient->ArrangeIcons(); }
void TMdiFrame::NextWindow() { if (oWndClient) oWndClient->NextWindow(); }
void TMdiFrame::PrevWindow() { if (oWndClient) oWndClient->PrevWindow(); }
void TMdiFrame::Select(int n) { if (oWndClient) oWndClient->Select(n); }

void TMdiFrame::Open() {
  if (bOnOpen.IsBlock()) bOnOpen.AsBlock().Eval({Self()});
}

// ---- menus --------------------------------------------------------------------------------

void TMdiFrame::SetMenu(const xb::ObjectRef& menu, std::optional<int> position) {
  int pos = 0;
  if (position) {
    pos = *position;
  } else if (oMenuStart && menu.get() == oMenuStart.get()) {
    pos = start_menu_info_;
  } else {
    pos = MenuItems(menu);
  }
  nMenuInfo = pos;
  if (!oMenuStart) {
    oMenuStart = menu;
    start_menu_info_ = pos;
    TWindow::SetMenu(menu);
    return;
  }
  oMenu = menu;
  if (auto* m = dynamic_cast<WindowMenu*>(menu.get())) m->SetWindow(this);
  if (oWndClient) oWndClient->SetMenu(menu, pos);
}

// ---- messages -----------------------------------------------------------------------------

void TMdiFrame::Activate(const ActivateParams& params) {
  ActivateParams own = params;
  if (oWndClient) {
    // What is painted, clicked and scrolled is the client's.
    oWndClient->bPainted = params.painted;
    oWndClient->bRClicked = params.r_clicked;
    if (auto* bar = dynamic_cast<WindowScrollBar*>(oWndClient->oVScroll.get())) {
      bar->SetBlocks(params.v_up, params.v_down, params.v_page_up, params.v_page_down);
    }
    if (auto* bar = dynamic_cast<WindowScrollBar*>(oWndClient->oHScroll.get())) {
      bar->SetBlocks(params.h_up, params.h_down, params.h_page_up, params.h_page_down);
    }
    own.painted = own.r_clicked = xb::Value();
    own.v_up = own.v_down = own.v_page_up = own.v_page_down = xb::Value();
    own.h_up = own.h_down = own.h_page_up = own.h_page_down = xb::Value();
  }
  TWindow::Activate(own);
}

bool TMdiFrame::End() {
  if (!lValid()) return false;
  if (oWndClient && !oWndClient->lCloseAll()) return false;
  if (hWnd != nullptr) PostMessageA(hWnd, WM_CLOSE, 0, 0);
  return true;
}

Answer TMdiFrame::ReSize(int type, int width, int height) {
  TWindow::ReSize(type, width, height);
  if (oWndClient && oWndClient->hWnd != nullptr) {
    HWND top = oBar ? WindowOf(oBar) : (oTop ? oTop->hWnd : nullptr);
    HWND bottom = oMsgBar ? WindowOf(oMsgBar) : (oBottom ? oBottom->hWnd : nullptr);
    WndAdjClient(oWndClient->hWnd, top, bottom, oLeft ? oLeft->hWnd : nullptr, oRight ? oRight->hWnd : nullptr,
                 true, 0);
  }
  return Answer::Number(0);
}

Answer TMdiFrame::Command(WPARAM wparam, LPARAM lparam) {
  // The children of the window pop-up: DefFrameProcA activates the one chosen.
  if (LOWORD(wparam) < 100) return {};
  TWindow::Command(wparam, lparam);
  return {};
}

Answer TMdiFrame::GotFocus(HWND) {
  lFocused = true;
  Eval(bGotFocus, {Self()});
  return {};
}

Answer TMdiFrame::Destroy() {
  WindowRef keep(this);
  // A child's menu on the bar goes with that child: the start menu goes with the window.
  if (hWnd != nullptr && oMenuStart && oMenu.get() != oMenuStart.get()) {
    if (auto* start = dynamic_cast<WindowMenu*>(oMenuStart.get())) ::SetMenu(hWnd, start->hMenu());
    oMenu = oMenuStart;
  }
  if (g_last_frame == hWnd) g_last_frame = nullptr;
  return TWindow::Destroy();
}

}  // namespace ui
