// The dictionary's progress and check dialogs: "TI_INDEXBAR" while the indexes are made,
// " Comprobando estructuras" while the structures are compared and "TD_CHECK" with the
// lines of the consistency check, whose button closes it once the check has ended.
#pragma once

#include <windows.h>

namespace reports {

// Puts the windowed dialogs in use for the dictionary's file routines.
void InstallDictionaryDialogs();

// The open "TD_CHECK" dialog, nullptr when none (tests).
HWND CheckDialogWindow();

}  // namespace reports
