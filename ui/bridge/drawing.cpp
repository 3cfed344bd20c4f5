#include "ui/bridge/drawing.h"

#include "ui/bridge/gdi_handles.h"

namespace ui {
namespace {

// Left and top edges in one pen, bottom and right in the other; corners included.
void TwoToneFrame(HDC dc, int top, int left, int bottom, int right, HPEN top_left,
                  HPEN bottom_right) {
  POINT previous = {};
  ::MoveToEx(dc, left, bottom, &previous);
  {
    SelectionScope pen(dc, top_left);
    ::LineTo(dc, left, top);
    ::LineTo(dc, right, top);
  }
  {
    SelectionScope pen(dc, bottom_right);
    ::LineTo(dc, right, bottom);
    ::LineTo(dc, left - 1, bottom);
  }
  ::MoveToEx(dc, previous.x, previous.y, nullptr);
}

}  // namespace

bool MoveTo(HDC dc, int x, int y) { return ::MoveToEx(dc, x, y, nullptr) != FALSE; }

bool LineTo(HDC dc, int x, int y, HPEN pen) {
  SelectionScope select(dc, pen);
  return ::LineTo(dc, x, y) != FALSE;
}

bool Rectangle(HDC dc, int top, int left, int bottom, int right, HPEN pen) {
  SelectionScope select(dc, pen);
  return ::Rectangle(dc, left, top, right, bottom) != FALSE;
}

bool PolyPolygon(HDC dc, const std::vector<std::vector<POINT>>& polygons) {
  std::vector<POINT> points;
  std::vector<INT> counts;
  for (const auto& polygon : polygons) {
    if (polygon.size() < 2) continue;  // Windows refuses polygons of fewer than two points
    points.insert(points.end(), polygon.begin(), polygon.end());
    counts.push_back(static_cast<INT>(polygon.size()));
  }
  if (counts.empty()) return false;
  return ::PolyPolygon(dc, points.data(), counts.data(), static_cast<int>(counts.size())) != FALSE;
}

bool FloodFill(HDC dc, int x, int y, COLORREF border, COLORREF fill) {
  Brush brush(::CreateSolidBrush(fill));
  SelectionScope select(dc, brush.get());
  return ::FloodFill(dc, x, y, border) != FALSE;
}

HPEN SetBlackPen(HDC dc) {
  return static_cast<HPEN>(::SelectObject(dc, ::GetStockObject(BLACK_PEN)));
}

bool DeleteGdiObject(HGDIOBJ object) {
  if (object == nullptr || ::GetObjectType(object) == 0) return false;
  return ::DeleteObject(object) != FALSE;
}

void WndBox(HDC dc, int top, int left, int bottom, int right) {
  HPEN black = static_cast<HPEN>(::GetStockObject(BLACK_PEN));
  TwoToneFrame(dc, top, left, bottom, right, black, black);
}

void WndBoxIn(HDC dc, int top, int left, int bottom, int right) {
  Pen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
  Pen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
  TwoToneFrame(dc, top, left, bottom, right, shadow.get(), light.get());
}

void WndBoxRaised(HDC dc, int top, int left, int bottom, int right) {
  Pen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
  Pen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
  TwoToneFrame(dc, top, left, bottom, right, light.get(), shadow.get());
}

}  // namespace ui
