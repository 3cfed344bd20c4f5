// The 3-D edges that the owner-drawn painters share (the meter, bitmap buttons, the button
// and message bars). A frame rectangle is {left, top, right, bottom} with right and bottom
// the last column and row drawn.
#pragma once

#include <windows.h>

namespace ui {

enum class FrameStyle {
  kSunken,      // shadow left and top, highlight bottom and right
  kRaised,      // highlight left and top, shadow bottom and right
  kPressedDark, // black left and top, highlight bottom and right
  kRaisedDark,  // highlight left and top, black bottom and right
};

// DrawBoxLines: the two pens are made for the call (the stock black pen is borrowed) and
// the DC's pen is put back.
void DrawBoxLines(HDC dc, const RECT& frame, FrameStyle style);

}  // namespace ui
