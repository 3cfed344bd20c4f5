// The record browse's row painter and the geometry it shares with the browse: row heights,
// the row under a pixel, a cell's rectangle, the window scroll of the data rows and the
// one-pen cell outline.
//
// A row is `extra` + 1 pixels higher than the font's text; row 0 is the header. Columns
// start at `first_column` (1-based); each cell spans its width, the last one reaching the
// window's right edge.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "runtime/value.h"
#include "ui/bridge/rect.h"

namespace ui {

class ImageStrip;

// Grid styles.
inline constexpr int kLineClassic = 3;  // no grid, system colours
inline constexpr int kLineDotted = 4;   // dotted cell frames
inline constexpr int kLineSolid = 5;    // solid cell frames

// The font's text height (on the window's DC) + `extra` + 1.
int BrowseRowHeight(HWND hwnd, HFONT font, int extra);
// NWROW: the row under a client pixel row; NWROWS: whole rows in the client area.
int NWRow(HWND hwnd, HFONT font, int pixel_row, int extra);
int NWRows(HWND hwnd, HFONT font, int extra);

// ABRWPOSRECT: the screen rectangle of cell (row, column) with columns from `first_column`;
// nullopt for column 0 or past the last width. A cell reaching the window's right edge ends
// 18 pixels inside it (the vertical scroll bar).
std::optional<Rect> ABrwPosRect(HWND hwnd, int row, const std::vector<int>& widths, int first_column, int column,
                                HFONT font, int extra);

// SCROLLWINDOWEX: scrolls the client area by dy pixels (negative: up), clipped to `clip`,
// invalidating (and erasing) what is uncovered.
void ScrollWindowRows(HWND hwnd, int dy, const Rect& clip);

// WNDBOXQZ: a rectangle outline in one pen: left and top, then bottom and right, the right
// edge ending one pixel above the top.
void WndBoxQz(HDC dc, int top, int left, int bottom, int right, HPEN pen);

// What one row shows and how.
struct BrowseRow {
  int row = 0;                          // 0: the header
  std::vector<xb::Value> values;        // text, numbers ..., {slot, width, height} images
  std::vector<int> widths;              // per column, pixels
  int first_column = 1;
  COLORREF text = RGB(0, 0, 0);
  COLORREF pane = RGB(255, 255, 255);
  HFONT font = nullptr;
  bool tree = false;                    // numbers are bitmap handles; no grid
  std::vector<bool> right_aligned;
  int line_style = kLineSolid;
  int extra = 0;                        // nHLine
  std::optional<COLORREF> line_colour;  // the grid; default the button shadow
  int active_column = 0;                // with `active_cell_only`: the one cell filled
  bool active_cell_only = false;
};

// wBrwLineEx: paints one row on `dc` (the window's own DC when null): the band in the pane
// colour, each visible cell's text or image, the grid of its style; `after` runs last.
void PaintBrowseRow(HWND hwnd, HDC dc, const BrowseRow& row, ImageStrip& strip,
                    const std::function<void()>& after = {});

}  // namespace ui
