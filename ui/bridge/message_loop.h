// The program's message loop and its one-pass form, the application window and the
// application's accelerator table.
//
// Each message goes first to the registered modeless dialogs, then to the accelerator table
// (translated for the application window), then to TranslateMessage and DispatchMessageA.
#pragma once

#include <windows.h>

#include <span>

namespace ui {

// Runs the loop until WM_QUIT. A window given becomes the application window while the loop
// runs; the previous one is put back after. The loop-running flag is set meanwhile and
// cleared (not restored) at the end.
void WinRun(HWND app_window = nullptr);

// Lets the messages already queued run, without waiting. The accelerator table is detached
// during the pass. Returns false when the pass met WM_QUIT; inside a running loop the quit
// message is then posted again so that the loop ends.
bool SysRefresh();

// The character of the last WM_CHAR that SysRefresh let through.
int LastRefreshChar();

// Stores the application window unless a live one is stored already.
void SetWndApp(HWND window);
HWND GetWndApp();

struct Accelerator {
  int key = 0;      // virtual key
  int flags = 0;    // FSHIFT, FCONTROL, FALT; FVIRTKEY is always added
  int command = 0;  // WM_COMMAND identifier
};

// Builds an accelerator table from the entries and makes it current (the table current before
// is not destroyed: its owner may still use it). Returns the new table, nullptr on failure.
HACCEL SetAccTable(std::span<const Accelerator> accelerators);
// Destroys the current table; none is current after.
void DestroyAccTable();
HACCEL CurrentAccTable();

}  // namespace ui
