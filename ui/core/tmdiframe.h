// TMdiFrame: the frame window of MDI children. It holds the MDI client (placed between its
// bars), the active child and the menu it started with; a child with a menu of its own puts
// that menu on the frame's bar while it is active, and the start menu comes back when it is
// deactivated or ends. Messages the frame does not answer go to DefFrameProcA with the
// frame's own client window.
//
//   auto frame = xb::MakeRef<TMdiFrame>();
//   frame->New({.caption = "Usuarios"});        // default menu: "&Childs", window, help
//   frame->ChildNew({});                        // "MDI Child 1"
//   frame->Activate();
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/core/tmdiclient.h"
#include "ui/core/twindow.h"

namespace ui {

class TMdiChild;

class TMdiFrame : public TWindow {
 public:
  TMdiFrame();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    std::optional<int> top, left, bottom, right;  // none: Windows chooses
    std::string caption;
    DWORD style = 0;                    // 0: WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN
    xb::ObjectRef menu;                 // none: the default menu
    xb::Ref<TBrush> brush;
    xb::ObjectRef icon;                 // a WindowIcon, ended with the window
    COLORREF clr_text = 0;
    std::optional<COLORREF> clr_pane;   // default: the window colour
    bool vscroll = false;               // the client's scroll bars
    bool hscroll = false;
    std::optional<int> menu_info;       // default: the menu's items - 1, at least 1; 2 without menu
    WindowRef owner;
    bool pixel = false;                 // else rows of 16 and columns of 8 pixels
  };
  TMdiFrame& New(const NewParams& params);

  // The most recently created frame that is still alive (GETWNDFRAME).
  static xb::Ref<TMdiFrame> Current();

  // Forwarded to the client.
  xb::Ref<TMdiChild> ChildNew(const TMdiClient::ChildParams& params = {});
  void Cascade();
  bool CloseAll();
  void IconizeAll();
  void Tile(bool horizontal = false);
  void ArrangeIcons();
  void NextWindow();
  void PrevWindow();
  void Select(int n);
  // Evaluates bOnOpen with the frame.
  void Open();

  // The first call keeps the menu as oMenuStart and attaches it; later calls swap the bar's
  // menu through the client. Without a position the menu's last pop-up lists the children,
  // except for the start menu, whose pop-up stays the one it started with.
  void SetMenu(const xb::ObjectRef& menu, std::optional<int> position = std::nullopt);

  void Activate(const ActivateParams& params) override;
  using TWindow::Activate;
  bool End() override;
  void Register(UINT class_style = CS_VREDRAW | CS_HREDRAW) override;
  bool IsChildWindow() const override { return false; }

  Answer ReSize(int type, int width, int height) override;
  Answer Command(WPARAM wparam, LPARAM lparam) override;
  Answer GotFocus(HWND losing) override;
  Answer Destroy() override;

  xb::Ref<TMdiChild> oWndActive;
  xb::Ref<TMdiClient> oWndClient;
  xb::ObjectRef oMenuStart;
  int nMenuInfo = 0;
  xb::Value bOnOpen;

 private:
  xb::ObjectRef DefaultMenu();
  int start_menu_info_ = 0;
};

}  // namespace ui
