#include "output/report_progress.h"

#include "output/treport.h"
#include "runtime/block.h"
#include "ui/core/tdialog.h"

namespace output {
namespace {

constexpr UINT kStartRun = WM_APP + 0x2F1;
constexpr int kPageItem = 101;

class ProgressDialog : public ui::TDialog {
 public:
  ProgressDialog() : ui::TDialog(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& cls = xb::Class::Define("TRPTPROGRESS", &ui::TDialog::Cls());
    return cls;
  }

  ui::Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == kStartRun) {
      if (!started_) {
        started_ = true;
        report_->Play();
        End(IDOK);
      }
      return ui::Answer::Number(0);
    }
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
      // The run stops at its next record; the dialog ends when the run returns.
      if (!report_->lNoCancel) report_->lBreak = true;
      if (started_) return ui::Answer::Number(0);
    }
    return ui::TDialog::HandleEvent(message, wparam, lparam);
  }

  TReport* report_ = nullptr;
  bool started_ = false;
};

}  // namespace

void RunWithProgress(TReport& report, const std::string& dialog_name, HMODULE library) {
  auto dialog = xb::MakeRef<ProgressDialog>();
  dialog->report_ = &report;
  dialog->New({.resource = xb::Value::String(dialog_name), .resources = library});
  report.oRptWnd = dialog;
  ProgressDialog* self = dialog.get();
  dialog->bStart = xb::Value(xb::Block::Native([self](xb::Args&) {
    ::PostMessageA(self->hWnd, kStartRun, 0, 0);
    return xb::Value();
  }));
  dialog->Activate({.centered = true, .init = xb::Value(xb::Block::Native([&report, self](xb::Args&) {
                      ::EnableWindow(::GetDlgItem(self->hWnd, IDCANCEL), !report.lNoCancel);
                      return xb::Value();
                    }))});
  report.oRptWnd = nullptr;
}

void ReportProgressPage(TReport& report, int page) {
  auto* dialog = dynamic_cast<ui::TDialog*>(report.oRptWnd.get());
  if (dialog == nullptr || dialog->hWnd == nullptr) return;
  ::SetDlgItemTextA(dialog->hWnd, kPageItem, std::to_string(page).c_str());
}

}  // namespace output
