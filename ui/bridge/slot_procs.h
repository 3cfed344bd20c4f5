// The 2000 slot procedures: distinct window procedures generated at compile time. Each one
// forwards its four arguments and its own slot number to the bridge procedure.
#pragma once

#include <windows.h>

namespace ui {

inline constexpr int kSlotCount = 2000;

using BridgeProc = LRESULT (*)(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, int slot);

// The procedure of a slot; nullptr outside 0 .. kSlotCount - 1.
WNDPROC SlotProcedure(int slot);

// The slot whose procedure this is; -1 when it is none of them.
int SlotOfProcedure(WNDPROC proc);

// Where every slot procedure sends its message. Until one is set they run DefWindowProcA.
void SetBridgeProc(BridgeProc bridge);

}  // namespace ui
