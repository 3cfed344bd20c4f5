// Painters of the controls that draw themselves in fixed code: the progress meter, the
// bitmap button's face, the button bar's background, the message bar's text and owner-drawn
// list items. Each takes everything as arguments, paints in one pass and keeps no state.
// All of them draw 3-D edges with DrawBoxLines.
//
// Geometry is computed in 32-bit integers and clipped to what the window has: a meter of any
// width fills in proportion, a percentage outside 0-100 counts as its nearest end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// Edge colours: left and top / bottom and right.
enum class FrameStyle {
  kSunken,       // button shadow / button highlight
  kRaised,       // button highlight / button shadow
  kPressedDark,  // black / button highlight
  kRaisedDark,   // button highlight / black
};

// A 3-D frame on {left, top, right, bottom}; right and bottom are the last column and row
// drawn. The first pen draws the left edge upwards and the top edge; the second the bottom
// edge and the right edge upwards. The DC's pen is put back.
void DrawBoxLines(HDC dc, const RECT& frame, FrameStyle style);

// ---- progress meter ------------------------------------------------------------------------

struct MeterPaintParams {
  int percent = 0;
  std::string text{};
  bool percentage = false;   // the caption ends with the percentage ("  7%", " 42%", "100%")
  COLORREF back = RGB(255, 255, 255);
  COLORREF text_colour = RGB(0, 0, 0);
  COLORREF bar = RGB(0, 0, 128);
  COLORREF bar_text = RGB(255, 255, 255);
  HFONT font = nullptr;
};
// The caption: the text and one blank when there is text, then with `percentage` four
// characters: "100%", or a blank, the tens digit (blank below 10), the units digit and "%".
std::string MeterCaption(std::string_view text, bool percentage, int percent);
// Paints the meter on `dc` over the window's client area: the bar part in the bar colours,
// a sunken frame, the rest in the plain colours, the caption centred across both.
void MeterPaint(HWND window, HDC dc, const MeterPaintParams& params);
// The same on any DC, over `client`.
void MeterPaintOn(HDC dc, const RECT& client, const MeterPaintParams& params);

// ---- bitmap button face ---------------------------------------------------------------------

enum class PromptPos { kOver = 0, kBelow = 1, kRight = 2, kAbove = 3, kLeft = 4 };

struct BtnPaintParams {
  HBITMAP normal = nullptr;
  HPALETTE normal_palette = nullptr;
  HBITMAP pressed = nullptr;
  HPALETTE pressed_palette = nullptr;
  HBITMAP disabled = nullptr;
  HPALETTE disabled_palette = nullptr;
  bool is_pressed = false;
  bool adjust = false;     // bitmaps stretched to the button
  bool border = false;     // a raised frame when not pressed
  bool arrow = false;      // a drop-down arrow takes 15 pixels on the right
  COLORREF transparent = 0;  // the bitmaps' top-left colour becomes this
  std::string prompt{};
  PromptPos prompt_pos = PromptPos::kOver;
  HFONT font = nullptr;
  COLORREF text = RGB(0, 0, 0);
};
// Paints the face on the window's own DC. The bitmaps are recoloured in place (their
// top-left colour becomes `transparent`), as the palette draw does.
void PalBtnPaint(HWND window, const BtnPaintParams& params);
// The same on any DC, over `client`, for a window enabled or not.
void PalBtnPaintOn(HDC dc, const RECT& client, bool enabled, const BtnPaintParams& params);

// ---- button bar, message bar ------------------------------------------------------------------

// The button bar's background: a shadow line on top (unless the bar's parent is a maximised
// child window), a raised frame and two raised grip ridges. dc null: the window's own DC.
void BarPaint(HWND window, HDC dc);
void BarPaintOn(HDC dc, const RECT& client, bool top_line);

struct MsgPaintParams {
  std::string message{};
  std::string default_message{};  // shown when `message` is empty
  bool look_3d = false;
  bool centred = false;
  int items_left = 0;  // left edge of the bar's first item (clock, keys ...); 0 when none
  COLORREF text = RGB(0, 0, 0);
  COLORREF back = CLR_INVALID;  // CLR_INVALID: the button face
  HFONT font = nullptr;
  bool inner_box = false;
};
// Paints on the window's own DC.
void MsgPaint(HWND window, const MsgPaintParams& params);
void MsgPaintOn(HDC dc, const RECT& client, const MsgPaintParams& params);

// ---- owner-drawn list item -----------------------------------------------------------------

struct LbxItemParams {
  std::vector<HBITMAP> bitmaps{};
  std::vector<std::string> items{};
  int bitmap_width = 0;
  // Chooses the bitmap of an item (1-based item number in, 1-based bitmap number out);
  // absent: the item's own number.
  std::function<int(int item)> bitmap_index{};
};
// WM_DRAWITEM of a list or combo box item: its text after the bitmap's width, its bitmap
// drawn transparently, the highlight colours when selected and the focus rectangle.
bool LbxDrawItem(const DRAWITEMSTRUCT& item, const LbxItemParams& params);

// ---- disabled look of a screen area ----------------------------------------------------------

// Redraws the area's ink embossed: highlight one pixel right and down, shadow in place, the
// face-coloured and highlight-coloured pixels left as they are.
void GrayOutArea(HDC dc, const RECT& area);

}  // namespace ui
