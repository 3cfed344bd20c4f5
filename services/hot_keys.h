// A row of buttons (a button bar, a dialog's buttons, or an array of them) answered from the
// keyboard and from a right-click menu. A key string gives each control a letter by position:
// "MTNLBGFS" makes "M" the first button, "T" the second and so on.
#pragma once

#include <string_view>

#include "runtime/value.h"

namespace ui {
class TWindow;
}

namespace svc {

// ACTKEYS: `key` is a typed character (a list feeds it from its key-char handler: key codes
// would make F4 an "s" and keypad 1 an "a"). "+" stands for "A", "-" for "E", Enter for
// `default_letter`; lower-case letters
// count as upper case. The letter's position in `keys` picks the control at the same position
// of `controls` (a window's controls, or an array), which is clicked when its When condition
// allows it. True when a control was clicked.
bool ActKeys(int key, const xb::Value& controls, std::string_view keys, std::string_view default_letter = "M");

// POPUPMENU: a pop-up menu at (row, col) of `window` (default the main window) with one item
// for each control (combo boxes take no item but keep their letter): the control's tool tip
// (a push button of an array: its text without "&") with "&" before its letter, its message
// and When condition; choosing it clicks the control. A control that starts a group comes
// after a separator.
void PopupMenu(int row, int col, ui::TWindow* window, const xb::Value& controls, std::string_view keys);

// Registers ACTKEYS and POPUPMENU.
void RegisterHotKeyFunctions();

}  // namespace svc
