// Placing bars and sizing dots, drag outlines, and small helpers of owner-drawn lists, column
// browses and multi-line edit fields.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace ui {

enum class BarEdge { kTop = 1, kLeft = 2, kRight = 3, kBottom = 4 };

// Places a bar along an edge of its parent, one pixel beyond the parent's client edges (its
// own border hidden), above a message bar of `msg_bar_height` when `msg_bar` is set. Any
// other mode does nothing.
void BarAdjust(HWND bar, int mode, bool msg_bar, int msg_bar_height);
// An inverting outline along the bar on its parent (drawn twice, it is gone).
void BarInvert(HWND bar);
// An inverting outline on the parent around a control being moved (mode 0: offset by the
// mouse's travel from (origin_row, origin_col) to (row, col)) or sized (other modes: the
// bottom-right corner follows the mouse).
void CtrlDrawFocus(HWND control, int origin_row, int origin_col, int row, int col, int mode);
// Centres the eight sizing-dot windows on the corners and edge midpoints of the control, and
// repaints them. Order: top-left, top, top-right, right, bottom-right, bottom, bottom-left, left.
void DotsAdjust(HWND control, const std::array<HWND, 8>& dots);
// Sets the item height of a WM_MEASUREITEM record.
bool LbxMeasure(MEASUREITEMSTRUCT* item, int height);
// Scrolls a column browse's rows (below its header row) by `rows` rows of the font's height
// + h_line + 1.
void TcBrwScroll(HWND browse, int rows, HFONT font, int h_line = 0);
// Sets an edit control's formatting rectangle to its client rectangle.
void MoveGet(HWND edit);
// Creates a multi-line edit control; `extra` is handed to its creation as lpParam.
HWND MGetCreate(const std::string& class_name, const std::string& title, DWORD style, int left,
                int top, int width, int height, HWND parent, int id, const std::string& extra);

}  // namespace ui
