#include "ui/core/tdlgfind.h"

#include <commdlg.h>

#include "runtime/function_table.h"
#include "ui/bridge/find_dialog.h"
#include "ui/bridge/modeless_dialogs.h"

namespace ui {

TDlgFind::TDlgFind() : TDialog(Cls()) {}

std::optional<UINT>& TDlgFind::nFindMsgString() {
  static std::optional<UINT> number;
  return number;
}

TDlgFind& TDlgFind::New(const std::string& find, WindowRef owner) {
  lModal = false;
  lCentered = false;
  lHelpIcon = true;
  oWnd = owner;
  UINT message = 0;
  hWnd = FindTextDialog(find, owner ? owner->hWnd : nullptr, &message);
  if (hWnd == nullptr) return *this;
  RegDialog(hWnd);
  if (!nFindMsgString()) {
    // Another caller of FINDTEXT may have been the first of the process.
    nFindMsgString() = message != 0 ? message : RegisterWindowMessageA(FINDMSGSTRINGA);
  }
  Link();
  lVisible = true;
  return *this;
}

Answer TDlgFind::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  if (nFindMsgString() && message == *nFindMsgString()) MessageBeep(0);
  if (message != WM_DESTROY) return TDialog::HandleEvent(message, wparam, lparam);
  // The common dialog's own procedure sees WM_DESTROY too (it frees what it keeps and may
  // still read the record); the record goes after it.
  const HWND dialog = hWnd;
  const WNDPROC previous = nOldProc;
  TDialog::HandleEvent(message, wparam, lparam);
  if (previous != nullptr && IsWindow(dialog)) CallWindowProcA(previous, dialog, message, wparam, lparam);
  ReleaseFindRecord(dialog);
  return Answer::Number(0);
}

Answer TDlgFind::Command(WPARAM, LPARAM) {
  MessageBeep(0);
  return {};
}

const xb::Class& TDlgFind::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TDLGFIND", &TDialog::Cls());
    c.Property("NFINDMSGSTRING",
               [](xb::Object&) { return nFindMsgString() ? xb::Value::Integer(*nFindMsgString()) : xb::Value(); },
               nullptr);
    // New(cFind, oWnd)
    c.Method("NEW", [](xb::Object& o, xb::Args& a) {
      auto* owner = dynamic_cast<TWindow*>(a.Obj(2).get());
      return xb::Class::Cast<TDlgFind>(o).New(std::string(a.Str(1)), owner != nullptr ? WindowRef(owner) : nullptr).Self();
    });
    return c;
  }();
  return cls;
}

void RegisterFindDialogClass() {
  (void)TDlgFind::Cls();
  xb::RegisterFunction("TDLGFIND", [](xb::Args&) { return xb::Value(xb::MakeRef<TDlgFind>()); });
  xb::RegisterFunction("DLGFINDTEXT", [](xb::Args& a) {
    auto* owner = dynamic_cast<TWindow*>(a.Obj(2).get());
    auto dialog = xb::MakeRef<TDlgFind>();
    return dialog->New(std::string(a.Str(1)), owner != nullptr ? WindowRef(owner) : nullptr).Self();
  });
}

}  // namespace ui
