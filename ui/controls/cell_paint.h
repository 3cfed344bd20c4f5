// The column browses' cell painter and cell geometry: one cell of a header, data or footer
// row painted at a time, the screen rectangle of a cell for the in-place editors, the row
// under a pixel and the one-row scroll of the data rows.
//
// Every row of a column browse is the font's text height + nHLine + 1 pixels high; row 0 is
// the header at the top of the client area.
#pragma once

#include <windows.h>

#include "runtime/value.h"
#include "ui/bridge/rect.h"

namespace ui {

// Grid styles of a cell.
inline constexpr int kCellNoGrid = 0;
inline constexpr int kCellRaised = 3;
inline constexpr int kCellDotted = 4;

struct CellPaint {
  HWND hwnd = nullptr;
  HDC dc = nullptr;            // nullptr: the window's own, taken and released
  int row = 0;                 // 0: the header
  int x = 0;                   // left edge, client pixels
  int width = -1;              // -1: to the client's right edge
  xb::Value value;             // text; or a bitmap handle or {slot, width, height}
  int align = 0;               // DrawText: 0 left, 1 centre, 2 right
  COLORREF fore = 0;
  COLORREF back = RGB(255, 255, 255);
  HFONT font = nullptr;        // nullptr: the context's font
  int bitmap_mode = 0;         // 0 text; else an image
  int line_style = 0;
  int h_line = 0;
  HBITMAP strip = nullptr;     // the browses' image strip, for {slot, width, height}
};

// TCDRAWCELL.
void TcDrawCell(const CellPaint& cell);

// Text height of the font on the window's DC + h_line + 1.
int TcRowHeight(HWND hwnd, HFONT font, int h_line);
// NTCWROW: the row under a client pixel row (0 the header); signed.
int NTcWRow(HWND hwnd, int pixel_row, HFONT font, int h_line);
// ATCBRWPOSRECT: the screen rectangle of the cell of `row` that starts x pixels from the
// window's left edge, `width` wide; a cell reaching the window's right edge ends 18 pixels
// inside it.
Rect ATcBrwPosRect(HWND hwnd, int row, int x, int width, HFONT font, int h_line);
// Scrolls data rows 1..rows_shown by `rows` (positive: up), invalidating nothing: the row
// uncovered is painted by the caller.
void TcScrollRows(HWND hwnd, int rows, HFONT font, int h_line, int rows_shown);

// Registers TCDRAWCELL, ATCBRWPOSRECT and NTCWROW by name.
void RegisterCellPainter();

}  // namespace ui
