#include "ui/core/tmdiclient.h"

#include <algorithm>

#include "ui/bridge/message_loop.h"
#include "ui/bridge/resources.h"
#include "ui/core/framework_error.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmdiframe.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

WPARAM HandleOf(const TWindow& w) { return reinterpret_cast<WPARAM>(w.hWnd); }

}  // namespace

TMdiClient::TMdiClient() : TWindow(Cls()) {}

void TMdiClient::Traverse(xb::GcVisitor& visitor) {
  TWindow::Traverse(visitor);
  for (const auto& child : aWnd) {
    if (child) visitor.Visit(child.get());
  }
}

void TMdiClient::ClearValues() {
  TWindow::ClearValues();
  aWnd.clear();
}

TMdiFrame* TMdiClient::Frame() const { return dynamic_cast<TMdiFrame*>(oWnd.get()); }

TMdiClient& TMdiClient::New(TMdiFrame& frame, int menu_info, int first_id, xb::Ref<TBrush> brush, bool vscroll,
                            bool hscroll) {
  CLIENTCREATESTRUCT record = {};
  if (auto* menu = dynamic_cast<WindowMenu*>(frame.oMenu.get())) {
    record.hWindowMenu = GetSubMenu(menu->hMenu(), menu_info - 1);
  }
  record.idFirstChild = static_cast<UINT>(first_id);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | MDIS_ALLCHILDSTYLES;
  if (vscroll) style |= WS_VSCROLL;
  if (hscroll) style |= WS_HSCROLL;
  aWnd.clear();
  oWnd = WindowRef(&frame);
  if (brush) {
    oBrush = brush;
    ++brush->nCount;
  }
  nTop = nLeft = nBottom = nRight = 0;
  nStyle = style;
  nId = 1;
  hWnd = CreateWindowExA(0, "MDICLIENT", "", style, 0, 0, 0, 0, frame.hWnd,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId)), GetInstance(), &record);
  if (hWnd == nullptr) {
    RaiseFrameworkError(static_cast<int>(FrameworkError::kCannotCreateWindow), "\r\nClass: MDICLIENT");
    return *this;
  }
  Link();
  lVisible = true;
  lValidating = false;
  if (ScrollBarMaker maker = GetScrollBarMaker()) {
    auto make = [&](bool vertical) {
      xb::ObjectRef bar = maker(*this, vertical);
      if (bar) {
        xb::Send(xb::Value(bar), "SETRANGE", {xb::Value::Integer(1), xb::Value::Integer(10)});
        xb::Send(xb::Value(bar), "_NPGSTEP", {xb::Value::Integer(1)});
      }
      return bar;
    };
    if (vscroll) oVScroll = make(true);
    if (hscroll) oHScroll = make(false);
  }
  GetFont();
  return *this;
}

void TMdiClient::Tile(bool horizontal) { SendMsg(WM_MDITILE, horizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL); }
void TMdiClient::Cascade() { SendMsg(WM_MDICASCADE); }
void TMdiClient::ArrangeIcons() { SendMsg(WM_MDIICONARRANGE); }
void TMdiClient::NextWindow() { SendMsg(WM_MDINEXT, 0, 1); }
void TMdiClient::PrevWindow() { SendMsg(WM_MDINEXT, 0, 0); }

xb::Ref<TMdiChild> TMdiClient::GetActive() const {
  if (hWnd == nullptr) return nullptr;
  // The whole handle: handles are not 16-bit.
  auto active = reinterpret_cast<HWND>(SendMessageA(hWnd, WM_MDIGETACTIVE, 0, 0));
  if (active == nullptr) return nullptr;
  for (const auto& child : aWnd) {
    if (child && child->hWnd == active) return child;
  }
  return nullptr;
}

void TMdiClient::Add(xb::Ref<TMdiChild> child) {
  if (child) aWnd.push_back(std::move(child));
}

xb::Ref<TMdiChild> TMdiClient::ChildNew(const ChildParams& params) {
  TMdiFrame* frame = Frame();
  if (frame == nullptr) return nullptr;
  auto child = xb::MakeRef<TMdiChild>();
  TMdiChild::NewParams p;
  p.top = params.top;
  p.left = params.left;
  p.bottom = params.bottom;
  p.right = params.right;
  p.caption = params.caption;
  p.style = params.style;
  p.frame = xb::Ref<TMdiFrame>(frame);
  child->New(p);
  if (child->hWnd == nullptr) return child;
  child->Show();
  child->SetFocus();
  return child;
}

void TMdiClient::ChildActivate(TMdiChild& child) { SendMsg(WM_MDIACTIVATE, HandleOf(child)); }
void TMdiClient::ChildMaximize(TMdiChild& child) { SendMsg(WM_MDIMAXIMIZE, HandleOf(child)); }
void TMdiClient::ChildRestore(TMdiChild& child) { SendMsg(WM_MDIRESTORE, HandleOf(child)); }
void TMdiClient::ChildNext(TMdiChild& child, bool previous) {
  SendMsg(WM_MDINEXT, HandleOf(child), previous ? 1 : 0);
}

void TMdiClient::ChildClose(TMdiChild& child) {
  auto found = std::find_if(aWnd.begin(), aWnd.end(),
                            [&](const xb::Ref<TMdiChild>& c) { return c && c->hWnd != nullptr && c->hWnd == child.hWnd; });
  if (found == aWnd.end()) return;
  xb::Ref<TMdiChild> keep = *found;
  SendMsg(WM_MDIDESTROY, HandleOf(child));
  std::erase(aWnd, keep);
  SetWndDefault(nullptr);
  if (TMdiFrame* frame = Frame(); frame != nullptr && frame->oWndActive.get() == keep.get()) {
    frame->oWndActive = nullptr;
  }
}

void TMdiClient::Forget(const TMdiChild& child) {
  std::erase_if(aWnd, [&](const xb::Ref<TMdiChild>& c) { return c.get() == &child; });
}

bool TMdiClient::lCloseAll() {
  xb::Ref<TMdiClient> keep(this);
  while (!aWnd.empty()) {
    xb::Ref<TMdiChild> last = aWnd.back();
    if (!last || !last->End()) break;
    if (!aWnd.empty() && aWnd.back().get() == last.get()) aWnd.pop_back();  // its window was gone already
    SysRefresh();
  }
  return aWnd.empty();
}

void TMdiClient::IconizeAll() {
  const std::vector<xb::Ref<TMdiChild>> children = aWnd;
  for (const auto& child : children) {
    if (child) xb::Send(child->Self(), "ICONIZE");
  }
}

void TMdiClient::Select(int n) {
  HWND target = nullptr;
  if (!aWnd.empty() && n >= 1 && n <= static_cast<int>(aWnd.size())) target = aWnd[static_cast<size_t>(n - 1)]->hWnd;
  SendMsg(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(target));
}

void TMdiClient::SetMenu(const xb::ObjectRef& menu, std::optional<int> position) {
  auto* m = dynamic_cast<WindowMenu*>(menu.get());
  if (m == nullptr || hWnd == nullptr) return;
  const int pos = position.value_or(m->ItemCount());
  SendMsg(WM_MDISETMENU, reinterpret_cast<WPARAM>(m->hMenu()), reinterpret_cast<LPARAM>(GetSubMenu(m->hMenu(), pos - 1)));
  m->ActivateAccelerators();
  if (oWnd && oWnd->hWnd != nullptr) DrawMenuBar(oWnd->hWnd);
}

// ---- messages -----------------------------------------------------------------------------

Answer TMdiClient::KeyDown(int key, LPARAM flags) {
  WPARAM command = 0;
  if (key == VK_F4 && CtrlHeld()) command = SC_CLOSE;
  else if (key == VK_F6 && CtrlHeld()) command = SC_NEXTWINDOW;
  else if (key == VK_RETURN) command = SC_RESTORE;
  if (command == 0) return TWindow::KeyDown(key, flags);
  if (auto active = reinterpret_cast<HWND>(SendMessageA(hWnd, WM_MDIGETACTIVE, 0, 0))) {
    SendMessageA(active, WM_SYSCOMMAND, command, 0);
  }
  return Answer::Number(0);
}

Answer TMdiClient::MouseMove(int row, int col, WPARAM keys) {
  if (TMdiFrame* frame = Frame()) frame->SetMsg();
  return TWindow::MouseMove(row, col, keys);
}

Answer TMdiClient::GotFocus(HWND) {
  lFocused = true;
  Eval(bGotFocus, {Self()});
  return {};
}

}  // namespace ui
