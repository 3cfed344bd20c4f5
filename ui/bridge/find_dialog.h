// The common modeless Find dialog (FINDTEXT). Each dialog owns its FINDREPLACE record and a
// buffer of 256 characters, seeded from the text to find, for as long as the dialog lives:
// the owner window reads both whenever the dialog sends it the registered find message.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string_view>

namespace ui {

inline constexpr int kFindBufferSize = 256;

// Opens the Find dialog owned by `owner` (the active window when null). The registered
// message "commdlg_FindReplace" is written to `*find_message` on the first call of the
// process only. Returns the dialog's window, null when it could not open.
HWND FindTextDialog(std::string_view find, HWND owner, UINT* find_message);

// Frees the record of a dialog that is being destroyed. Records of dialogs already gone are
// also freed by the next FindTextDialog.
void ReleaseFindRecord(HWND dialog);

// The record a live dialog was opened with; null when it has none (tests).
const FINDREPLACEA* FindRecordOf(HWND dialog);
int FindRecordCount();

// FINDTEXT(cFind, hWndOwner, , @nFindMsg)
void RegisterFindDialog();

}  // namespace ui
