// Subclassing through the slots and the bridge procedure that every slot procedure calls.
//
// A window object is linked to a slot; its window's procedure becomes that slot's procedure.
// Each message then goes to the framework's dispatch function with the slot number. When the
// object answers, that is the result; when it answers nothing, or the slot holds no object,
// the window's previous procedure runs (DefWindowProcA when there was none).
#pragma once

#include <windows.h>

#include <optional>

#include "ui/bridge/answer.h"

namespace ui {

struct SlotMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  int slot = 0;
};

// The framework's dispatch function. Returns nullopt when the slot holds no window object.
using WindowDispatcher = std::optional<Answer> (*)(const SlotMessage& message);
void SetWindowDispatcher(WindowDispatcher dispatcher);

// Gives the window the procedure of `slot` and returns the procedure it had. A slot outside
// 0 .. 1999 is refused with a message box; the window keeps its procedure and nullptr returns.
WNDPROC XChangeProc(HWND hwnd, int slot);

// Gives the window back `old_proc`; returns the procedure it replaced (nullptr when refused:
// a null procedure is never installed).
WNDPROC RestProc(HWND hwnd, WNDPROC old_proc);

// Slot procedures live as long as the process: nothing to free.
inline void XFreeProc(WNDPROC) {}

// The window that `slot` currently subclasses and the procedure it had; nullptr when none.
HWND SlotWindow(int slot);
WNDPROC SlotPreviousProcedure(int slot);

// The bridge procedure (exposed for tests).
LRESULT BridgeProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, int slot);

}  // namespace ui
