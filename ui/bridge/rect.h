// Rectangles as the framework writes them: {top, left, bottom, right}.
#pragma once

#include <windows.h>

namespace ui {

struct Rect {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;

  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr RECT ToRECT() const { return RECT{left, top, right, bottom}; }
  static constexpr Rect From(const RECT& r) { return Rect{r.top, r.left, r.bottom, r.right}; }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace ui
