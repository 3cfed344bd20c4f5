// Cursors and icons: the system's standard cursors, the framework's own 32 x 32 cursors (hand,
// grab, stop, drag; made once, kept for the process) and the highlighted icon.
#pragma once

#include <windows.h>

namespace ui {

// Set the standard cursor; return the previous one.
HCURSOR CursorArrow();
HCURSOR CursorIBeam();
HCURSOR CursorWE();
void CursorWait();

// The system hand cursor, else the framework's own (hot spot 6, 0).
HCURSOR GetCursorHand();
void CursorHand();
// The framework's grab cursor (hot spot 16, 16).
void CursorCatch();
HCURSOR GetCursorCatch();
// The framework's stop and drag cursors (hot spot 6, 0).
HCURSOR GetCursorStop();
HCURSOR GetCursorDrag();

// Draws a 32 x 32 icon at (row, col) = (y, x) with a blue tint on its opaque pixels.
bool DrawIconFocus(HDC dc, int row, int col, HICON icon);

}  // namespace ui
