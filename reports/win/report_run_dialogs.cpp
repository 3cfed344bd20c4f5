#include "reports/win/report_run_dialogs.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "runtime/function_table.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/resources.h"

namespace reports {
namespace {

enum : int { kEuros = 100, kOk = 400, kCancel = 401 };
enum : int { kStepBitmap = 200, kPageText = 216, kMeter = 300 };

// The meter's colours: the pane's text is the disabled text's, the bar navy with yellow text.
constexpr COLORREF kBar = 8388608;
constexpr COLORREF kBarText = 65535;

INT_PTR CALLBACK EuroProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      return TRUE;
    case WM_COMMAND: {
      auto* answer = reinterpret_cast<std::pair<bool, bool>*>(GetWindowLongPtrA(dlg, DWLP_USER));
      if (LOWORD(wp) == kOk) {
        *answer = {true, IsDlgButtonChecked(dlg, kEuros) == BST_CHECKED};
        EndDialog(dlg, kOk);
        return TRUE;
      }
      if (LOWORD(wp) == kCancel || LOWORD(wp) == IDCANCEL) {
        *answer = {false, false};
        EndDialog(dlg, kCancel);
        return TRUE;
      }
      break;
    }
    default: break;
  }
  return FALSE;
}

class WaitDialog : public RunProgress {
 public:
  WaitDialog() {
    HMODULE module = ui::CurrentResources();
    done_ = LoadBitmapA(module, "TI_DONE");
    hwnd_ = CreateDialogParamA(module, "TI_ESPERAR", GetActiveWindow(), &Proc, reinterpret_cast<LPARAM>(this));
    if (hwnd_ == nullptr) return;
    ui::RegDialog(hwnd_);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
  }
  ~WaitDialog() override {
    if (hwnd_ != nullptr) {
      ui::DeregDialog(hwnd_);
      DestroyWindow(hwnd_);
    }
    if (done_ != nullptr) DeleteObject(done_);
  }

  void Done(Step step) override {
    if (hwnd_ == nullptr) return;
    // The picture of a step not ended yet is the template's: the control that loaded it keeps it
    // (the steps may share one).
    SendDlgItemMessageA(hwnd_, kStepBitmap + static_cast<int>(step), STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(done_));
    Refresh();
  }
  void SetTotal(long total) override {
    total_ = std::max(total, 0L);
    SetPos(0);
  }
  void SetPos(long pos) override {
    const int percent = total_ > 0 ? static_cast<int>(std::min(100L, pos * 100 / total_)) : 0;
    if (percent == percent_ || hwnd_ == nullptr) return;
    percent_ = percent;
    InvalidateRect(GetDlgItem(hwnd_, kMeter), nullptr, FALSE);
  }
  void Page(int page) override {
    if (hwnd_ == nullptr) return;
    SetDlgItemTextA(hwnd_, kPageText, ("Página " + std::to_string(page)).c_str());
    Refresh();
  }
  void Printing(bool screen) override {
    if (hwnd_ == nullptr) return;
    ShowWindow(GetDlgItem(hwnd_, kMeter), SW_HIDE);
    SetDlgItemTextA(hwnd_, IDCANCEL, screen ? "&Cancelar" : "&Previsualizar");
    Refresh();
  }
  bool Cancelled() override {
    // The queue is looked at a few times a second, not at every record.
    const DWORD now = GetTickCount();
    if (now - last_pump_ >= 50) Refresh();
    return cancelled_;
  }

 private:
  void Refresh() {
    last_pump_ = GetTickCount();
    ui::SysRefresh();
    if (hwnd_ != nullptr) UpdateWindow(hwnd_);
  }

  void DrawMeter(const DRAWITEMSTRUCT& item) const {
    const RECT all = item.rcItem;
    HDC dc = item.hDC;
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &all, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT inner = all;
    InflateRect(&inner, -1, -1);
    RECT bar = inner;
    bar.right = inner.left + (inner.right - inner.left) * std::max(percent_, 0) / 100;
    HBRUSH brush = CreateSolidBrush(kBar);
    FillRect(dc, &bar, brush);
    DeleteObject(brush);
    const std::string text = std::to_string(std::max(percent_, 0)) + "%";
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    RECT rest = inner;
    rest.left = bar.right;
    for (const auto& [part, colour] : {std::pair{rest, GetSysColor(COLOR_GRAYTEXT)}, std::pair{bar, kBarText}}) {
      if (part.right <= part.left) continue;
      HRGN clip = CreateRectRgnIndirect(&part);
      SelectClipRgn(dc, clip);
      SetTextColor(dc, colour);
      RECT r = inner;
      DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectClipRgn(dc, nullptr);
      DeleteObject(clip);
    }
    SelectObject(dc, old_font);
  }

  static INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<WaitDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
      case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL && self != nullptr) {
          self->cancelled_ = true;
          EnableWindow(GetDlgItem(dlg, IDCANCEL), FALSE);
          return TRUE;
        }
        break;
      case WM_DRAWITEM:
        if (wp == kMeter && self != nullptr) {
          self->DrawMeter(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
          return TRUE;
        }
        break;
      default: break;
    }
    return FALSE;
  }

  HWND hwnd_ = nullptr;
  HBITMAP done_ = nullptr;
  long total_ = 0;
  int percent_ = -1;
  DWORD last_pump_ = 0;
  bool cancelled_ = false;
};

}  // namespace

std::pair<bool, bool> PideEuros() {
  std::pair<bool, bool> answer{true, false};
  if (ui::Unattended()) return answer;
  DialogBoxParamA(ui::CurrentResources(), "TI_EURO", GetActiveWindow(), &EuroProc, reinterpret_cast<LPARAM>(&answer));
  return answer;
}

std::unique_ptr<RunProgress> OpenRunProgress() { return std::make_unique<WaitDialog>(); }

void InstallRunDialogs() {
  ReportRunHook hook = CurrentReportRunHook();
  hook.pide_euros = PideEuros;
  hook.wait_dialog = OpenRunProgress;
  SetReportRunHook(hook);
  // PIDEEUROS(@lEuros): the euro question; .F. when cancelled, the check box into lEuros.
  xb::RegisterFunction("PIDEEUROS", [](xb::Args& a) {
    const auto [go, euros] = PideEuros();
    a.SetRef(1, xb::Value::Logical(euros));
    return xb::Value::Logical(go);
  });
}

}  // namespace reports
