// What the data-access layer needs from the windows above it: its messages, its two
// questions (the lock question and the delete confirmation), the system tick count, and a
// way to let pending window messages run while it waits. The layer sits below the window
// framework, so it reaches the windows only through this interface: the program installs
// the windowed one at start (data/win/windowed_data_ui.h), tests install their own, and
// without either a headless one writes the messages to the standard error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace data {

class DataUi {
 public:
  virtual ~DataUi() = default;

  // MSGSTOP, MSGALERT and MSGINFO: a message box with one button; returns when it closes.
  virtual void MsgStop(std::string_view text, std::string_view title) = 0;
  virtual void MsgAlert(std::string_view text, std::string_view title) = 0;
  virtual void MsgInfo(std::string_view text, std::string_view title) = 0;

  // A table open that failed for one of the causes LNETUSE names (2, 3, 4, 5, 32), just
  // before its message: true when this interface has recorded it its own way and the
  // message is not to be shown.
  virtual bool TakeOpenFailure(int os_code, const std::string& file) { return false; }

  // The lock question (dialog 20048) with up to three texts: true when the user gives up,
  // also when the dialog was closed without either button.
  virtual bool GiveUpLock(const std::vector<std::string>& texts) = 0;

  // The delete confirmation ("ELIMINAR", or "ELIMINAR_T" on a touch screen): true when
  // the user confirms.
  virtual bool ConfirmDelete(bool touch_screen) = 0;

  // Lets the pending window messages run; when none is pending waits at most `wait_ms`
  // for one (0: does not wait).
  virtual void RunMessages(std::uint32_t wait_ms) = 0;

  // The system tick count in milliseconds; it wraps around after about 49.7 days.
  virtual std::uint32_t TickCount() = 0;
};

// The interface in use. SetDataUi(nullptr) puts the headless one back; returns the one
// that was in use.
DataUi& Ui();
DataUi* SetDataUi(DataUi* ui);

// Puts `ui` in use for the lifetime of the scope.
class DataUiScope {
 public:
  explicit DataUiScope(DataUi* ui) : previous_(SetDataUi(ui)) {}
  ~DataUiScope() { SetDataUi(previous_); }
  DataUiScope(const DataUiScope&) = delete;
  DataUiScope& operator=(const DataUiScope&) = delete;

 private:
  DataUi* previous_;
};

// Milliseconds from `start` to `now` on a tick count that wraps around.
inline std::uint32_t TicksSince(std::uint32_t start, std::uint32_t now) { return now - start; }

// Waits `seconds` (fractions allowed) by the tick count, letting window messages run
// meanwhile (SEGUNDOS).
void Segundos(double seconds);

// Lines of a message, joined as every message of the system joins them: a line feed,
// then a carriage return.
std::string JoinLines(std::initializer_list<std::string_view> lines);

}  // namespace data
