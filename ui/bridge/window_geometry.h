// Window geometry: sizes and positions read and changed in the parent's client coordinates,
// centring, and the docking of bars and of the client window between them.
#pragma once

#include <windows.h>

namespace ui {

// The window's position in its parent's client area (screen coordinates for a top-level
// window) and its outer size.
struct WindowBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
WindowBox WindowBoxOf(HWND hwnd);

// Resizes keeping the position; false for an invalid window.
bool WndSetSize(HWND hwnd, int width, int height, bool repaint);
// Moves along one axis keeping the size and the other coordinate.
void WndSetTop(HWND hwnd, int top);
void WndSetLeft(HWND hwnd, int left);
// Centres the window on another one, or on the desktop when `on` is null; a child window
// stays in its parent's coordinates.
void WndCenter(HWND hwnd, HWND on);

// A bar over the whole top or bottom edge of its parent's client area, keeping its height.
void WndAdjTop(HWND hwnd);
void WndAdjBottom(HWND hwnd);
// A bar along the left or right edge, between the top and bottom bars (null: none).
void WndAdjLeft(HWND hwnd, HWND top, HWND bottom);
void WndAdjRight(HWND hwnd, HWND top, HWND bottom);

// Where WNDADJCLIENT puts a window: the client area of size (width, height) less the bars,
// overlapping them by a pixel or two. A margin above 0 leaves that margin on every side.
struct DockBars {
  bool has_top = false;
  int top = 0;     // the top bar's height
  int bottom = 0;  // the bottom bar's height
  int left = 0;    // the left bar's width less 1
  int right = 0;   // the right bar's width
};
WindowBox ClientDockBox(int width, int height, const DockBars& bars, bool parent_is_child, bool flag, int margin);
// Fits the window between up to four bars of its parent (any may be null).
void WndAdjClient(HWND hwnd, HWND top, HWND bottom, HWND left, HWND right, bool flag, int margin);

}  // namespace ui
