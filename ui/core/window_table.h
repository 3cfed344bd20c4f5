// The table of live window objects. An entry is a slot: the slot number is the subclassing
// slot the window's messages arrive with. Slots count from 1; a freed entry is taken by the
// next window linked, and the table never shrinks.
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/value.h"
#include "ui/core/twindow.h"

namespace ui {

// Makes the bridge send every subclassed window's messages to the table (done by Link).
void InstallWindowDispatch();

// Puts the object in the first free slot, or a new one at the end; returns the slot.
int TakeSlot(const WindowRef& window);
void FreeSlot(int slot);
// The object in a slot; null for a free slot or one outside the table.
WindowRef WindowInSlot(int slot);

// NWINDOWS: the table's length. GETALLWIN: its entries (null for free ones), slot 1 first.
int NWindows();
std::vector<WindowRef> GetAllWin();

// The first window object without a parent; null when none.
WindowRef WndMain();
// The object whose window this is; null when none.
WindowRef OWndFromHwnd(HWND hwnd);

// The window that new controls take as parent when none is given.
void SetWndDefault(WindowRef window);
WindowRef GetWndDefault();

// Left for the next DropOver; GetDropInfo gives it once.
void SetDropInfo(xb::Value info);
xb::Value GetDropInfo();

// True when the two windows share an ancestor among those whose class name holds "BROWSE",
// walking up to a top-level dialog or a window of class "TMDICHILD" or "TWINDOW".
bool WndParents(HWND a, HWND b);

}  // namespace ui
