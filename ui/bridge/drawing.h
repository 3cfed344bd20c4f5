// Lines, shapes, pens and brushes, and the framework's flat and 3-D boxes.
//
// Functions that share a Windows name take the framework's argument order; they take every
// argument (no defaults), so a call meant for Windows' own function does not compile.
#pragma once

#include <windows.h>

#include <vector>

namespace ui {

bool MoveTo(HDC dc, int x, int y);
// `pen` (when not null) is selected for the stroke only.
bool LineTo(HDC dc, int x, int y, HPEN pen);
bool Rectangle(HDC dc, int top, int left, int bottom, int right, HPEN pen);
// Each polygon is a list of points.
bool PolyPolygon(HDC dc, const std::vector<std::vector<POINT>>& polygons);
// Fills the area bounded by `border` with a solid brush of `fill`.
bool FloodFill(HDC dc, int x, int y, COLORREF border, COLORREF fill);
// Selects the stock black pen; returns the pen it replaced.
HPEN SetBlackPen(HDC dc);
// DeleteObject only for a real GDI object; false for null or anything else.
bool DeleteGdiObject(HGDIOBJ object);

// Outline in the stock black pen.
void WndBox(HDC dc, int top, int left, int bottom, int right);
// Sunken: button shadow on left and top, highlight on bottom and right.
void WndBoxIn(HDC dc, int top, int left, int bottom, int right);
// Raised: highlight on left and top, shadow on bottom and right.
void WndBoxRaised(HDC dc, int top, int left, int bottom, int right);

}  // namespace ui
