#include "ui/bridge/frame_lines.h"

#include "ui/bridge/gdi_handles.h"

namespace ui {
namespace {

Pen SolidPen(int system_colour) { return Pen(CreatePen(PS_SOLID, 1, GetSysColor(system_colour))); }

}  // namespace

void DrawBoxLines(HDC dc, const RECT& r, FrameStyle style) {
  const HPEN black = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  Pen first_made, second_made;
  HPEN first = black;
  HPEN second = black;
  switch (style) {
    case FrameStyle::kSunken:
      first_made = SolidPen(COLOR_BTNSHADOW);
      second_made = SolidPen(COLOR_BTNHIGHLIGHT);
      break;
    case FrameStyle::kRaised:
      first_made = SolidPen(COLOR_BTNHIGHLIGHT);
      second_made = SolidPen(COLOR_BTNSHADOW);
      break;
    case FrameStyle::kPressedDark:
      second_made = SolidPen(COLOR_BTNHIGHLIGHT);
      break;
    case FrameStyle::kRaisedDark:
      first_made = SolidPen(COLOR_BTNHIGHLIGHT);
      break;
  }
  if (first_made) first = first_made.get();
  if (second_made) second = second_made.get();
  POINT previous = {};
  MoveToEx(dc, r.left, r.bottom, &previous);
  {
    SelectionScope pen(dc, first);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
  }
  {
    SelectionScope pen(dc, second);
    MoveToEx(dc, r.left, r.bottom, nullptr);
    LineTo(dc, r.right, r.bottom);
    LineTo(dc, r.right, r.top - 1);
  }
  MoveToEx(dc, previous.x, previous.y, nullptr);
}

}  // namespace ui
