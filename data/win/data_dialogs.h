// The data layer's two dialogs, from the resource library in the default dialog font:
//   20048 the lock question: texts in labels 100, 110 and 120 (red), picture 600
//         "BMP_STOP"; button 555 tries again, 556 gives up.
//   "ELIMINAR" ("ELIMINAR_T" on a touch screen) the delete confirmation: labels 100-103,
//         picture 600 "BMP_BOMBA"; button 552 confirms, 553 cancels, 540 shows the help
//         topic 999100000.
#pragma once

#include <string>
#include <vector>

namespace data {

// True when the user gives up, also when the dialog is closed without either button.
bool ShowLockQuestion(const std::vector<std::string>& texts);
// True when the user confirms.
bool ShowDeleteQuestion(bool touch_screen);

}  // namespace data
