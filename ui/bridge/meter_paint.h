// The progress meter's painter (METERPAINT): a sunken box with a bar of nPercent of its
// width, and a caption (the text, a blank, and with `percentage` the value as " 42%")
// centred over the whole box, in the bar's colours over the bar and in the plain colours
// over the rest.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ui {

struct MeterColours {
  COLORREF back = 0;
  COLORREF text = 0;
  COLORREF bar = 0;
  COLORREF bar_text = 0;
};

// The caption: the text (up to a NUL: a lone NUL means no text) and one blank when it is
// not empty, then with `percentage` four characters: "100%", or a blank, the tens digit (a
// blank below 10), the units digit and "%".
std::string MeterCaption(std::string_view text, int percent, bool percentage);

// Paints the meter on `dc` over the window's client area; `font` (may be null) is selected
// for the call. The percentage is clamped to 0..100 and the bar computed in 32 bits.
void MeterPaint(HWND hwnd, HDC dc, int percent, std::string_view text, bool percentage,
                const MeterColours& colours, HFONT font);

}  // namespace ui
