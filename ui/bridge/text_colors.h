// Colours: RGB numbers (red in bits 0-7, green 8-15, blue 16-23) and the text colour pairs
// written as letters, such as "W+/B".
//
// In a pair, letters before "/" give the foreground and letters after it the background:
// N black, B blue, G green, BG cyan, R red, RB magenta, GR brown, W white, in either case;
// other characters are skipped. "+" anywhere makes the foreground bright, "*" the background.
#pragma once

#include <windows.h>

#include <string_view>

namespace ui {

COLORREF NGetForeRGB(std::string_view pair);
COLORREF NGetBackRGB(std::string_view pair);

// The RGB number of a 4-bit text colour (blue 1, green 2, red 4, bright 8).
COLORREF TextColorToRGB(int colour);

constexpr int NRGBRed(COLORREF rgb) { return static_cast<int>(rgb & 0xFF); }
constexpr int NRGBGreen(COLORREF rgb) { return static_cast<int>((rgb >> 8) & 0xFF); }
constexpr int NRGBBlue(COLORREF rgb) { return static_cast<int>((rgb >> 16) & 0xFF); }

}  // namespace ui
