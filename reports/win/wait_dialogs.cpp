#include "reports/win/wait_dialogs.h"

#include <windows.h>

#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/msg_box.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"

namespace reports {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kWaitText = "Realizando proceso, espere por favor ...";

ui::DialogRef& WaitBox() {
  static ui::DialogRef box;
  return box;
}

}  // namespace

void TMsgRun(const std::string& message, const std::string& title, const Value& action) {
  ui::MsgRunHide(message.empty() ? "Espere, por favor..." : message, title, action);
}

Value OpenDlgWait() {
  ui::DialogRef& box = WaitBox();
  if (box && box->hWnd != nullptr) return box->Self();
  box = xb::MakeRef<ui::TDialog>();
  ui::TDialog::NewParams p;
  p.bottom = 3;
  p.right = 44;
  p.style = WS_POPUP | DS_MODALFRAME;
  p.font = svc::DefaultDialogFont();
  box->New(p);
  box->lHelpIcon = false;
  ui::PlainControl::Params label;
  label.windows_class = "STATIC";
  label.caption = kWaitText;
  label.style = WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX;
  label.width = (box->nRight - box->nLeft) / 2;
  label.height = 10;
  label.top = (box->nBottom - box->nTop) / 4 - 5;
  label.parent = box;
  ui::PlainControl::Place(label);
  ui::TDialog::ActivateParams activate;
  activate.modal = false;
  activate.centered = true;
  box->Activate(activate);
  if (box->hWnd != nullptr) UpdateWindow(box->hWnd);
  ui::SysRefresh();
  return box->Self();
}

void CloseDlgWait() {
  ui::DialogRef box = std::move(WaitBox());
  WaitBox() = nullptr;
  if (box && box->hWnd != nullptr) {
    box->End(IDOK);
    ui::SysRefresh();
  }
}

void RegisterWaitDialogs() {
  xb::RegisterFunction("TI_TMSGRUN", [](Args& a) {
    TMsgRun(std::string(a.Str(1)), std::string(a.Str(2)), a.Arg(3));
    return Value();
  });
  xb::RegisterFunction("TI_OPENDLGWAIT", [](Args&) { return OpenDlgWait(); });
  xb::RegisterFunction("TI_CLOSEDLGWAIT", [](Args&) {
    CloseDlgWait();
    return Value();
  });
}

}  // namespace reports
