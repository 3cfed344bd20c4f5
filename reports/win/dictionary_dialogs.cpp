#include "reports/win/dictionary_dialogs.h"

#include <string>

#include "reports/dictionary_ui.h"
#include "services/dialog_helpers.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tmeter.h"
#include "ui/controls/tsay.h"
#include "ui/bridge/cursors.h"
#include "ui/core/tdialog.h"

namespace reports {
namespace {

using xb::Value;

constexpr int kIndexTitle = 90;
constexpr int kIndexTable = 91;
constexpr int kIndexMeter = 100;
constexpr int kCheckText = 100;
constexpr int kCheckClose = 400;
constexpr int kStructTable = 100;

void ShowModeless(const ui::DialogRef& dialog) {
  ui::TDialog::ActivateParams activate;
  activate.modal = false;
  activate.centered = true;
  dialog->Activate(activate);
  if (dialog->hWnd != nullptr) UpdateWindow(dialog->hWnd);
  ui::SysRefresh();
}

void Close(ui::DialogRef& dialog) {
  ui::DialogRef closing = std::move(dialog);
  dialog = nullptr;
  if (closing && closing->hWnd != nullptr) closing->End(IDOK);
}

class WindowedDictionaryUi final : public DictionaryUi {
 public:
  void OpenIndexBar(int total) override {
    index_ = svc::ResourceDialog(Value::String("TI_INDEXBAR"));
    meter_value_ = ui::SetGet::Of(Value::Integer(0));
    meter_ = xb::MakeRef<ui::TMeter>();
    meter_->ReDefine({.id = kIndexMeter,
                      .set_get = meter_value_.block,
                      .total = static_cast<double>(total),
                      .parent = index_,
                      .clr_pane = GetSysColor(COLOR_BTNFACE),
                      .clr_text = GetSysColor(COLOR_BTNSHADOW),
                      .clr_bar = GetSysColor(COLOR_HIGHLIGHT),
                      .clr_bar_text = GetSysColor(COLOR_HIGHLIGHTTEXT)});
    table_ = xb::MakeRef<ui::TSay>();
    table_->ReDefine({.id = kIndexTable, .parent = index_});
    ShowModeless(index_);
    if (index_->hWnd != nullptr) SetDlgItemTextA(index_->hWnd, kIndexTitle, "Creando índice");
  }
  Value IndexMeter() override { return meter_ ? meter_->AsValue() : Value(); }
  Value IndexSay() override { return table_ ? table_->AsValue() : Value(); }
  void CloseIndexBar() override {
    ui::CursorArrow();
    Close(index_);
    meter_ = nullptr;
    table_ = nullptr;
    ui::SysRefresh();
    ui::SysRefresh();
  }

  void OpenStructCheck() override {
    structures_ = svc::ResourceDialog(Value::String("TD_ESTRUCTURAS"));
    ShowModeless(structures_);
  }
  void StructCheckTable(std::string_view table) override {
    if (structures_ && structures_->hWnd != nullptr) {
      SetDlgItemTextA(structures_->hWnd, kStructTable, ("Comprobando : " + std::string(table)).c_str());
      ui::SysRefresh();
    }
  }
  void CloseStructCheck() override { Close(structures_); }

  void OpenCheck() override {
    Close(check_);
    text_.clear();
    check_ = svc::ResourceDialog(Value::String("TD_CHECK"));
    ui::TDialog* box = check_.get();
    auto close = svc::Button(check_, kCheckClose, [box] { box->End(IDOK); });
    ShowModeless(check_);
    if (check_->hWnd != nullptr) EnableWindow(GetDlgItem(check_->hWnd, kCheckClose), FALSE);
  }
  void CheckLine(std::string_view line) override {
    text_ += std::string(line) + "\r\n";
    if (check_ && check_->hWnd != nullptr) {
      HWND edit = GetDlgItem(check_->hWnd, kCheckText);
      SetWindowTextA(edit, text_.c_str());
      SendMessageA(edit, EM_LINESCROLL, 0, 0x7FFF);
      ui::SysRefresh();
    }
  }
  void EndCheck() override {
    if (check_ && check_->hWnd != nullptr) EnableWindow(GetDlgItem(check_->hWnd, kCheckClose), TRUE);
  }

  HWND check_window() const { return check_ && check_->hWnd != nullptr && IsWindow(check_->hWnd) ? check_->hWnd : nullptr; }

 private:
  ui::DialogRef index_;
  ui::SetGet meter_value_;
  xb::Ref<ui::TMeter> meter_;
  xb::Ref<ui::TSay> table_;
  ui::DialogRef structures_;
  ui::DialogRef check_;
  std::string text_;
};

WindowedDictionaryUi& Windowed() {
  static WindowedDictionaryUi ui;
  return ui;
}

}  // namespace

void InstallDictionaryDialogs() { SetDictUi(&Windowed()); }

HWND CheckDialogWindow() { return Windowed().check_window(); }

}  // namespace reports
