#include "data/win/windowed_data_ui.h"

#include <windows.h>

#include "data/win/data_dialogs.h"
#include "data/win/directory_functions.h"
#include "data/win/program_dialogs.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/msg_box.h"

namespace data {

void WindowedDataUi::MsgStop(std::string_view text, std::string_view title) {
  ui::MsgStop(xb::Value::String(text), std::string(title));
}

void WindowedDataUi::MsgAlert(std::string_view text, std::string_view title) {
  ui::MsgAlert(xb::Value::String(text), std::string(title));
}

void WindowedDataUi::MsgInfo(std::string_view text, std::string_view title) {
  ui::MsgInfo(xb::Value::String(text), std::string(title));
}

bool WindowedDataUi::GiveUpLock(const std::vector<std::string>& texts) { return ShowLockQuestion(texts); }

bool WindowedDataUi::ConfirmDelete(bool touch_screen) { return ShowDeleteQuestion(touch_screen); }

void WindowedDataUi::RunMessages(std::uint32_t wait_ms) {
  if (wait_ms > 0) ::MsgWaitForMultipleObjectsEx(0, nullptr, wait_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  ui::SysRefresh();
}

std::uint32_t WindowedDataUi::TickCount() { return ::GetTickCount(); }

void InstallWindowedDataUi() {
  static WindowedDataUi windowed;
  SetDataUi(&windowed);
  RegisterDirectoryFunctions();
  RegisterProgramDialogs();
}

}  // namespace data
