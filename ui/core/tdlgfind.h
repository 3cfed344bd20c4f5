// TDlgFind: the common modeless Find dialog as a dialog object. It joins the modeless table
// so that the message loop gives it its keys; the number of the registered find message,
// which the dialog sends its owner for each search, is kept by the first dialog of the run.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/core/tdialog.h"

namespace ui {

class TDlgFind : public TDialog {
 public:
  TDlgFind();
  static const xb::Class& Cls();

  TDlgFind& New(const std::string& find, WindowRef owner);

  // The registered find message (class data), none before the first dialog.
  static std::optional<UINT>& nFindMsgString();

  // WM_DESTROY: the dialog's own destruction, then the common dialog's, then the Find
  // record is freed.
  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  Answer Command(WPARAM wparam, LPARAM lparam) override;
  Answer CtlColor(HWND control, HDC dc) override { return {}; }
};

// DLGFINDTEXT(cFind, oWnd): a new Find dialog.
void RegisterFindDialogClass();

}  // namespace ui
