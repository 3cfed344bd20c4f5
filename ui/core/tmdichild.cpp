#include "ui/core/tmdichild.h"

#include "ui/bridge/mdi_helpers.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/window_classes.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/framework_error.h"
#include "ui/core/tmdiclient.h"
#include "ui/core/tmdiframe.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 16;
constexpr int kColPixels = 8;
constexpr const char* kChildClass = "TMDICHILD";

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

std::optional<int> PositionOf(int menu_info) {
  return menu_info > 0 ? std::optional<int>(menu_info) : std::nullopt;
}

}  // namespace

TMdiChild::TMdiChild() : TWindow(Cls()) {}

void TMdiChild::Traverse(xb::GcVisitor& visitor) {
  TWindow::Traverse(visitor);
  if (oWndClient) visitor.Visit(oWndClient.get());
  if (oControl) visitor.Visit(oControl.get());
}

void TMdiChild::ClearValues() {
  TWindow::ClearValues();
  oWndClient = nullptr;
  oControl = nullptr;
}

TMdiFrame* TMdiChild::Frame() const { return dynamic_cast<TMdiFrame*>(oWnd.get()); }

bool TMdiChild::RegisterChildClass() {
  static bool registered = [] {
    WNDCLASSA existing = {};
    if (GetClassInfoA(GetInstance(), kChildClass, &existing)) return true;
    WindowClassSpec spec;
    spec.name = kChildClass;
    spec.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    spec.procedure = GetMdiChlProc();
    return RegisterWindowClass(spec);
  }();
  return registered;
}

TMdiChild& TMdiChild::New(const NewParams& p) {
  xb::Ref<TMdiFrame> frame = p.frame ? p.frame : TMdiFrame::Current();
  if (!frame || !frame->oWndClient || frame->oWndClient->hWnd == nullptr) {
    RaiseFrameworkError(static_cast<int>(FrameworkError::kCannotCreateWindow), "\r\nClass: TMDICHILD\r\nNo MDI frame");
    return *this;
  }
  TMdiClient& client = *frame->oWndClient;
  DWORD style = p.style;
  if (style == 0) {
    style = WS_CLIPCHILDREN | WS_VISIBLE;
    if (xb::UpperName(p.border) == "SINGLE") style |= WS_THICKFRAME;
    if (p.caption_bar) {
      style |= WS_CAPTION;
      if (p.sys_menu) style |= WS_SYSMENU;
      if (p.minimize_box) style |= WS_MINIMIZEBOX;
      if (p.maximize_box) style |= WS_MAXIMIZEBOX;
    }
    if (p.vscroll) style |= WS_VSCROLL;
    if (p.hscroll) style |= WS_HSCROLL;
  }
  const int row = p.pixel ? 1 : kRowPixels;
  const int col = p.pixel ? 1 : kColPixels;
  auto coord = [](std::optional<int> v, int factor) { return v ? *v * factor : kDefaultPosition; };
  nTop = coord(p.top, row);
  nLeft = coord(p.left, col);
  nBottom = coord(p.bottom, row);
  nRight = coord(p.right, col);
  oWndClient = xb::Ref<TMdiClient>(&client);
  oWnd = WindowRef(frame.get());
  nStyle = style;
  lVisible = true;
  aControls.clear();
  nHelpId = p.help_id;
  cCaption = p.caption ? *p.caption : "MDI Child " + std::to_string(client.aWnd.size() + 1);
  lKeepMenu = false;
  nMenuInfo = p.menu_info.value_or(0);
  oCursor = p.cursor;
  SetColor(p.clr_text.value_or(client.nClrText), p.clr_pane.value_or(client.nClrPane), p.brush);
  RegisterChildClass();
  const std::string record = CMdiStruct(kChildClass, cCaption, nTop, nLeft, nBottom, nRight, nStyle, 0);
  hWnd = reinterpret_cast<HWND>(SendMessageA(client.hWnd, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(record.data())));
  if (hWnd == nullptr) {
    RaiseFrameworkError(static_cast<int>(FrameworkError::kCannotCreateWindow),
                        "\r\nClass: TMDICHILD\r\nCaption: " + cCaption);
    return *this;
  }
  Link();
  if (p.icon) SetIcon(p.icon);
  if (p.menu) SetMenu(p.menu, PositionOf(nMenuInfo));
  if (ScrollBarMaker maker = GetScrollBarMaker()) {
    if ((nStyle & WS_VSCROLL) != 0) oVScroll = maker(*this, true);
    if ((nStyle & WS_HSCROLL) != 0) oHScroll = maker(*this, false);
  }
  GetFont();
  client.Add(xb::Ref<TMdiChild>(this));
  SetWndDefault(WindowRef(this));
  frame->oWndActive = xb::Ref<TMdiChild>(this);
  SendMessageA(hWnd, WM_NCACTIVATE, TRUE, 0);
  return *this;
}

// ---- requests to the client -----------------------------------------------------------------

void TMdiChild::Maximize() { if (oWndClient) oWndClient->ChildMaximize(*this); }
void TMdiChild::Restore() { if (oWndClient) oWndClient->ChildRestore(*this); }
void TMdiChild::Next() { if (oWndClient) oWndClient->ChildNext(*this); }
void TMdiChild::Prev() { if (oWndClient) oWndClient->ChildNext(*this, true); }
void TMdiChild::Center() { if (oWndClient) WndCenter(hWnd, oWndClient->hWnd); }
bool TMdiChild::IsZoomed() const { return hWnd != nullptr && ::IsZoomed(hWnd); }

void TMdiChild::SetFocus() { if (oWndClient) oWndClient->ChildActivate(*this); }

void TMdiChild::SetControl(WindowRef control) {
  oControl = control;
  oClient = std::move(control);
  const Rect client = GetCliRect();
  ReSize(SIZE_RESTORED, client.right, client.bottom);
}

void TMdiChild::SetMenu(const xb::ObjectRef& menu, std::optional<int> position) {
  oMenu = menu;
  nMenuInfo = position.value_or(0);
  if (TMdiFrame* frame = Frame()) frame->SetMenu(menu, position);
}

void TMdiChild::MdiActivate(bool activating, HWND, HWND) {
  TMdiFrame* frame = Frame();
  if (!oMenu || frame == nullptr || frame->hWnd == nullptr) return;
  if (activating) {
    frame->SetMenu(oMenu, PositionOf(nMenuInfo));
  } else if (frame->oMenu.get() == oMenu.get()) {
    frame->SetMenu(frame->oMenuStart);
  }
}

void TMdiChild::EndOwnMenu() {
  if (!oMenu || lKeepMenu) return;
  const xb::ObjectRef menu = std::move(oMenu);
  oMenu = nullptr;
  TMdiFrame* frame = Frame();
  if (frame != nullptr && frame->hWnd != nullptr && frame->oMenu.get() == menu.get() && frame->oMenuStart) {
    frame->SetMenu(frame->oMenuStart);
  }
  if (auto* m = dynamic_cast<WindowMenu*>(menu.get())) m->End();
}

// ---- life -----------------------------------------------------------------------------------

void TMdiChild::Activate(const ActivateParams& params) {
  if (oWndClient) oWndClient->ChildActivate(*this);
  TWindow::Activate(params);
  lVisible = true;
  if (oControl) oControl->SetFocus();
}

bool TMdiChild::End() {
  if (!lValid()) return false;
  xb::Ref<TMdiChild> keep(this);
  EndOwnMenu();
  if (oWndClient) oWndClient->ChildClose(*this);
  return true;
}

Answer TMdiChild::Destroy() {
  WindowRef keep(this);
  EndOwnMenu();
  if (oWndClient) oWndClient->Forget(*this);
  if (TMdiFrame* frame = Frame(); frame != nullptr && frame->oWndActive.get() == this) frame->oWndActive = nullptr;
  // A menu kept by the program outlives the window.
  xb::ObjectRef kept;
  if (lKeepMenu) kept = std::move(oMenu);
  const Answer answer = TWindow::Destroy();
  if (kept) oMenu = std::move(kept);
  return answer;
}

// ---- messages -------------------------------------------------------------------------------

Answer TMdiChild::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MDIACTIVATE) {
    MdiActivate(reinterpret_cast<HWND>(lparam) == hWnd, reinterpret_cast<HWND>(lparam),
                reinterpret_cast<HWND>(wparam));
    return {};
  }
  return TWindow::HandleEvent(message, wparam, lparam);
}

Answer TMdiChild::Close(WPARAM) {
  End();
  return Answer::Number(0);
}

Answer TMdiChild::KeyDown(int key, LPARAM flags) {
  if (key == VK_F4 && CtrlHeld()) {
    SendMsg(WM_SYSCOMMAND, SC_CLOSE);
    return Answer::Number(0);
  }
  if (key == VK_F6 && CtrlHeld()) {
    SendMsg(WM_SYSCOMMAND, SC_NEXTWINDOW);
    return Answer::Number(0);
  }
  return TWindow::KeyDown(key, flags);
}

Answer TMdiChild::KeyChar(int key, LPARAM flags) {
  if (key == VK_ESCAPE) {
    End();
    return Answer::Number(0);
  }
  return TWindow::KeyChar(key, flags);
}

Answer TMdiChild::GotFocus(HWND losing) {
  xb::Ref<TMdiChild> keep(this);
  TWindow::GotFocus(losing);
  if (TMdiFrame* frame = Frame()) frame->oWndActive = keep;
  return {};  // DefMDIChildProcA activates a child that takes the focus
}

}  // namespace ui
