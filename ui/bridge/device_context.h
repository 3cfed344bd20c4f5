// Device contexts, painting and window rectangles. Rectangles are {top, left, bottom, right};
// points the framework passes are {y, x}.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/bridge/rect.h"

namespace ui {

// The client rectangle; all zeros for no window.
Rect GetClientRect(HWND hwnd);
// The window's rectangle on the screen.
Rect GetWndRect(HWND hwnd);
// The window's rectangle in its parent's client coordinates; zeros for no window.
Rect GetCoors(HWND hwnd);

POINT ClientToScreen(HWND hwnd, POINT point);
POINT ScreenToClient(HWND hwnd, POINT point);

// BeginPaint; the PAINTSTRUCT goes back as bytes, to be handed to EndPaint.
HDC BeginPaint(HWND hwnd, std::string& paint_struct);
void EndPaint(HWND hwnd, const std::string& paint_struct);

// CreateDCA; `dev_mode`, when not empty, is a DEVMODEA as bytes.
HDC CreateDC(const std::string& driver, const std::string& device, const std::string& output,
             const std::string& dev_mode);

// Nothing when `brush` is null.
void FillRect(HDC dc, const Rect& rect, HBRUSH brush);
void InvertRect(HDC dc, const Rect& rect);
void DrawFocusRect(HDC dc, int top, int left, int bottom, int right);
// A dotted frame (8 x 8 pattern of alternating bits), right and bottom edges included.
void FrameDot(HDC dc, int top, int left, int bottom, int right);
// The rectangle, or the whole client area without one.
void InvalidateRect(HWND hwnd, const std::optional<Rect>& rect, bool erase = true);

// Copies the window's client image onto `dc` at (x, y), `scale` times enlarged.
void WndPrint(HWND hwnd, HDC dc, int x, int y, int scale = 1);

}  // namespace ui
