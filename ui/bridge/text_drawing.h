// Text output and measuring. Text positions are (row, col) = (y, x) in the DC's units.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "ui/bridge/rect.h"

namespace ui {

bool TextOut(HDC dc, int row, int col, std::string_view text);
// Clipped to or filled in `rect` as `options` (ETO_CLIPPED, ETO_OPAQUE) say.
bool ExtTextOut(HDC dc, int row, int col, const std::optional<Rect>& rect, std::string_view text,
                UINT options);

inline constexpr UINT kDrawTextDefaultFormat = DT_SINGLELINE | DT_NOCLIP;
inline constexpr Rect kDrawTextDefaultRect = {0, 0, 14, 0};
// Returns the text's height, 0 when nothing was drawn.
int DrawText(HDC dc, std::string_view text, const Rect& rect = kDrawTextDefaultRect,
             UINT format = kDrawTextDefaultFormat);

// Width in pixels (as a 16-bit number) on `dc`, or on the active window's DC when dc is
// null; `font` is selected for the measure only.
int GetTextWidth(HDC dc, std::string_view text, HFONT font = nullptr);
// tmHeight on `dc`, else on the window's DC, else on the active window's.
int GetTextHeight(HWND hwnd, HDC dc);
// tmHeight of the font, or of the window's own font when none is given.
int NWndChrHeight(HWND hwnd, HFONT font);

struct FontInfo {
  int height = 0;
  int ave_char_width = 0;
  bool bold = false;  // weight 700
  std::string face;
};
// Measured on the active window's DC.
FontInfo GetFontInfo(HFONT font);

// The character cell of a DC's font (with `font` selected first when given).
struct CharCell {
  int height = 0;  // tmHeight
  int width = 0;   // tmAveCharWidth
};
CharCell DcCharCell(HDC dc, HFONT font);

struct SayStyle {
  COLORREF fore = RGB(0, 0, 0);
  COLORREF back = RGB(255, 255, 255);
  HFONT font = nullptr;
  bool pixels = false;       // row and col are pixels, not character cells
  bool transparent = false;  // no background behind the text
  std::optional<UINT> align;
};
// Writes text at a character cell (or pixel) of a window; with no DC one is taken from the
// window for the call. The DC's colours, mode, font and alignment are left as they were.
void WSay(HWND hwnd, HDC dc, int row, int col, std::string_view text, const SayStyle& style = {});
// Fills a one-character-high cell of `width` pixels at (row, col) cells with the background
// and writes the text in it.
void WSayRect(HWND hwnd, HDC dc, int row, int col, std::string_view text, COLORREF fore,
              COLORREF back, int width);

}  // namespace ui
