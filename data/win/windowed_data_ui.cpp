#include "data/win/windowed_data_ui.h"

#include <windows.h>

#include "data/win/data_dialogs.h"
#include "data/win/directory_functions.h"
#include "data/win/program_dialogs.h"
#include "runtime/error.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/core/error_handler.h"
#include "ui/core/msg_box.h"

namespace data {

namespace {

// A box answers to the program's own error handler, whatever the code that raised it has in
// place: an error of the box's windows caught by an engine's catcher would leave the box
// unpainted and deaf.
class ProgramErrors {
 public:
  ProgramErrors() : scope_(ui::ErrorSysBlock()) {}

 private:
  xb::ErrorBlockScope scope_;
};

std::string Joined(const std::vector<std::string>& texts) {
  std::string text;
  for (const std::string& t : texts) text += (text.empty() ? "" : " ") + t;
  return text;
}

}  // namespace

void WindowedDataUi::MsgStop(std::string_view text, std::string_view title) {
  ProgramErrors errors;
  ui::MsgStop(xb::Value::String(text), std::string(title));
}

void WindowedDataUi::MsgAlert(std::string_view text, std::string_view title) {
  ProgramErrors errors;
  ui::MsgAlert(xb::Value::String(text), std::string(title));
}

void WindowedDataUi::MsgInfo(std::string_view text, std::string_view title) {
  ProgramErrors errors;
  ui::MsgInfo(xb::Value::String(text), std::string(title));
}

// Nobody to answer: the lock question is given up at once, a deletion is not confirmed.
bool WindowedDataUi::GiveUpLock(const std::vector<std::string>& texts) {
  if (ui::Unattended()) {
    ui::TellUnattended("Acceso denegado", Joined(texts));
    return true;
  }
  ProgramErrors errors;
  return ShowLockQuestion(texts);
}

bool WindowedDataUi::ConfirmDelete(bool touch_screen) {
  if (ui::Unattended()) {
    ui::TellUnattended("Eliminar", "¿ Desea eliminar el registro activo ? No");
    return false;
  }
  ProgramErrors errors;
  return ShowDeleteQuestion(touch_screen);
}

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
