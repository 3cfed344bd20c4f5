// The program's message boxes: its own dialogs, not the system's. One sizing routine
// (_ALERT) builds a modal dialog with an icon, a word-wrapped text and a row of buttons,
// measured in the box's font and centred on its owner, and answers the number of the button
// pressed. MSGINFO, MSGSTOP, MSGALERT, MSGYESNO, MSGNOYES and MSGRETRYCANCEL are thin callers
// with Spanish buttons; ALERT is a separate box with English defaults that shows long texts
// in a read-only multi-line field. MSGRUNHIDE / MSGWAITHIDE show a text while an action runs.
//
// Texts may hold several lines: ";" and "\n\r" (or "\r\n") break them.
//
// In a run nobody watches (ui::Unattended, plain_boxes.h) no box shows: its title and text go
// to the unattended sink and it answers its default button.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace ui {

enum class AlertKind { kStop = 1, kQuestion = 2, kWarning = 3, kInformation = 4 };

struct AlertParams {
  std::string text = " ";
  // The buttons; none: one "&Aceptar" button, and the answer is always 0.
  std::optional<std::vector<std::string>> buttons{};
  // With buttons absent: seconds after which the box closes by itself.
  int timeout_seconds = 0;
  std::string title = "Atención";
  // None: a question with more than one button, else a stop.
  std::optional<AlertKind> kind{};
};
// _ALERT: the number of the button pressed (1 = the first); 0 when the box was closed
// otherwise or timed out, and always 0 when neither buttons nor seconds were given.
int ShowAlert(const AlertParams& params);

// The named boxes. `text` may be any value: it is shown as text (NIL shows "").
void MsgInfo(const xb::Value& text, const std::string& title = "Información");
int MsgStop(const xb::Value& text, const std::string& title = "Información");
int MsgAlert(const xb::Value& text, const std::string& title = "Información");
bool MsgYesNo(const xb::Value& text, const std::string& title = "Información");
bool MsgNoYes(const xb::Value& text, const std::string& title = "Atención");
bool MsgRetryCancel(const xb::Value& text, const std::string& title = "Atención");
inline void MsgInfo(const std::string& text) { MsgInfo(xb::Value::String(text)); }
inline int MsgAlert(const std::string& text) { return MsgAlert(xb::Value::String(text)); }

struct AlertBoxParams {
  std::string text = "Alert dialog box";
  std::vector<std::string> options = {"&OK"};
  std::string title = "Attention";
  int default_option = 1;
  // A file name (when the file exists), a resource name, or a system icon number.
  xb::Value icon = xb::Value::Integer(32515);
};
// ALERT: the number of the option chosen, 0 when the box was closed otherwise.
int AlertBox(const AlertBoxParams& params);

// MSGRUNHIDE / MSGWAITHIDE: a small modeless box with the text centred while the action
// runs (by default it waits 1 second, or 4 for MSGWAITHIDE), then closes.
void MsgRunHide(const std::string& text, const std::string& title, const xb::Value& action);
void MsgWaitHide(const std::string& text, const std::string& title, int seconds);

void RegisterMessageBoxFunctions();

}  // namespace ui
