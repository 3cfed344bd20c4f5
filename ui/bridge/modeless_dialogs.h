// The table of modeless dialogs that the message loop offers every message to, so that they
// get their keyboard navigation, and the flag that tells whether a message loop runs.
#pragma once

#include <windows.h>

namespace ui {

inline constexpr int kMaxModelessDialogs = 200;

// Enters the dialog in the first free entry; false when all 200 are in use.
bool RegDialog(HWND dialog);
bool CanRegDialog();
// Frees the dialog's entry; false when it was not registered.
bool DeregDialog(HWND dialog);

// Offers the message to the last dialog that took one, then to every registered dialog
// (IsDialogMessageA). True when one of them took it.
bool ModelessDialogMessage(MSG& message);

// The highest entry in use, -1 when none (for tests).
int ModelessHighestIndex();

// True while WINRUN or a modal dialog runs.
bool LWRunning();
// Sets the flag and returns its previous value.
bool SetLoopRunning(bool running);

}  // namespace ui
