#include "reports/win/wait_dialogs.h"

#include <windows.h>

#include <algorithm>

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

// A box without a title showing `text`, made modeless over the active window and painted.
ui::DialogRef NoticeBox(const std::string& text) {
  auto box = xb::MakeRef<ui::TDialog>();
  ui::TDialog::NewParams p;
  p.bottom = 3;
  p.right = std::max(44, static_cast<int>(text.size()) + 4);
  p.style = WS_POPUP | DS_MODALFRAME;
  p.font = svc::DefaultDialogFont();
  box->New(p);
  box->lHelpIcon = false;
  ui::PlainControl::Params label;
  label.windows_class = "STATIC";
  label.caption = text;
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
  return box;
}

}  // namespace

WaitNotice::WaitNotice(const std::string& text) : box_(NoticeBox(text)), last_(GetTickCount()) {}

WaitNotice::~WaitNotice() {
  if (box_ && box_->hWnd != nullptr) DestroyWindow(box_->hWnd);
}

void WaitNotice::Step() {
  if (!box_ || box_->hWnd == nullptr || GetTickCount() - last_ < 50) return;
  last_ = GetTickCount();
  HWND box = box_->hWnd;
  MSG msg;
  while (IsWindow(box) && PeekMessageA(&msg, box, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  // A window that never validates itself would come back at once: a bounded pass.
  for (int n = 0; n < 64 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++n) DispatchMessageA(&msg);
}

void TMsgRun(const std::string& message, const std::string& title, const Value& action) {
  ui::MsgRunHide(message.empty() ? "Espere, por favor..." : message, title, action);
}

Value OpenDlgWait() {
  ui::DialogRef& box = WaitBox();
  if (box && box->hWnd != nullptr) return box->Self();
  box = NoticeBox(kWaitText);
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
