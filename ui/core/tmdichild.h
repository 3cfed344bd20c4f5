// TMdiChild: a document window inside an MDI frame's client. Its window is made by the
// client (WM_MDICREATE) with the class "TMDICHILD", whatever the object's class, whose
// procedure is DefMDIChildProcA. A child may bring its own menu, which replaces the frame's
// while the child is active; the menu ends with the child unless lKeepMenu is set.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/core/twindow.h"

namespace ui {

class TMdiClient;
class TMdiFrame;

class TMdiChild : public TWindow {
 public:
  TMdiChild();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    std::optional<int> top, left, bottom, right;  // none: the client chooses
    std::optional<std::string> caption;           // none: "MDI Child " + its number
    DWORD style = 0;                               // 0: composed from the flags below
    xb::ObjectRef menu;
    xb::Ref<TMdiFrame> frame;                      // none: the current frame
    xb::ObjectRef icon;                            // a WindowIcon, ended with the window
    bool vscroll = false;
    std::optional<COLORREF> clr_text, clr_pane;    // default: the client's
    xb::ObjectRef cursor;
    xb::Ref<TBrush> brush;
    bool pixel = false;                            // else rows of 16 and columns of 8 pixels
    bool hscroll = false;
    int help_id = 0;
    std::string border = "SINGLE";                 // or "NONE"
    bool sys_menu = true;
    bool caption_bar = true;
    bool minimize_box = true;
    bool maximize_box = true;
    std::optional<int> menu_info;                  // the pop-up of its menu listing the children
  };
  TMdiChild& New(const NewParams& params);

  // The window class of every child, registered once per run.
  static bool RegisterChildClass();

  void Maximize();
  void Restore();
  void Next();
  void Prev();
  void Center();
  bool IsZoomed() const;
  // The control fills the child.
  void SetControl(WindowRef control);
  void SetMenu(const xb::ObjectRef& menu, std::optional<int> position = std::nullopt);
  // WM_MDIACTIVATE: its own menu goes on the frame's bar, or the start menu comes back.
  void MdiActivate(bool activating, HWND activated, HWND deactivated);

  TMdiFrame* Frame() const;

  void Activate(const ActivateParams& params) override;
  using TWindow::Activate;
  // Unless bValid refuses: ends its own menu (the start menu back on the bar first) and is
  // destroyed by the client. True when it closed.
  bool End() override;
  void SetFocus() override;

  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  // WM_CLOSE (its close box, Ctrl+F4, a close from outside) ends it as End does: bValid first.
  Answer Close(WPARAM wparam) override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer GotFocus(HWND losing) override;
  Answer Destroy() override;

  xb::Ref<TMdiClient> oWndClient;
  WindowRef oControl;
  bool lKeepMenu = false;
  int nMenuInfo = 0;  // 0: its menu's last pop-up

 private:
  // Ends its own menu once, never leaving it on the frame's bar.
  void EndOwnMenu();
};

}  // namespace ui
