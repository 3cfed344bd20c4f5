// What the controls' design mode shares: the grid that moves and sizes snap to, the eight
// sizing dots drawn around the control being designed, and the rectangle a move or a dot's
// drag gives. The dots are small black windows of their own class, children of the designed
// control's parent; pressing one starts a resize of the control that holds them.
//
// Dots are numbered clockwise from the top-left corner:  1 2 3
//                                                         8   4
//                                                         7 6 5
#pragma once

#include <windows.h>

#include <array>

#include "runtime/value.h"
#include "ui/bridge/rect.h"

namespace ui {

inline constexpr int kDotCount = 8;
inline constexpr int kDotSize = 6;  // pixels a side

// The design grid, 8 by 8 pixels at the start.
struct GridSize {
  int width = 8;
  int height = 8;
};
inline constexpr int kMaxGrid = 1000;
GridSize GetGridSize();
// Sizes below 1 become 1, sizes above kMaxGrid become kMaxGrid.
void SetGridSize(int width, int height);
// The multiple of `step` nearest `value` (halves go up).
int SnapToGrid(int value, int step);

// The rectangle a control takes when the pointer moved by (dx, dy) from where the button
// went down: dot 0 moves the whole rectangle, dots 1 to 8 move the edges they sit on. The
// rectangle keeps at least the grid's size; an edge dragged past the opposite one stops there.
Rect DragRect(const Rect& start, int dot, int dx, int dy, GridSize grid);

// Where a dot's centre lies on a control's rectangle (right and bottom exclusive).
POINT DotCentre(const Rect& control, int dot);
// The sizing cursor of a dot (the diagonal, vertical or horizontal arrows).
HCURSOR DotCursor(int dot);

// Makes the eight dots, hidden, in `parent` when they do not exist.
void MakeDesignDots(HWND parent);
// Puts the dots around `control` (made again in its parent when they lie elsewhere) and shows
// them above its siblings; the control becomes the dots' owner.
void ShowDesignDots(HWND control);
void HideDesignDots();
// The control the dots were last shown around (null when none).
HWND DesignDotsOwner();
// The dots' windows; null entries when they were not made.
std::array<HWND, kDotCount> DesignDotWindows();

// SETGRIDSIZE and GETGRIDSIZE.
void RegisterDesignFunctions();

}  // namespace ui
