// The maker's look of dialogs: the user's classic-look setting, the shared transparent
// brush of non-classic dialogs and the screen-size class.
#pragma once

#include <windows.h>

namespace ui {

// LCLASSIC() of the user's look when the program has it; false otherwise.
bool LClassic();
// GETFONDO: makes the shared "NULL" brush once. GETTRANSP: its handle.
void GetFondo();
HBRUSH GetTransp();
// RELEASEFONDO: ends the shared brush (no background bitmap is ever loaded).
void ReleaseFondo();
// NRES: 1 for a screen wider than 1000 pixels, 2 above 700, else 3.
int NRes();

void RegisterDialogLookFunctions();

}  // namespace ui
