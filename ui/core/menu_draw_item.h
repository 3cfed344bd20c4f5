// The painter of owner-drawn menu items: a picture column 17 pixels wide with a raised
// frame under the pointer and a sunken one when checked, the highlight starting right of
// it, the picture from the menus' image strip, and the text from 25 pixels.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// Draws the item for the actions "entire item" and "selection"; the focus action draws
// nothing and answers false. `slot` is the item's place in the image strip (0: none).
bool MenuDrawItem(const DRAWITEMSTRUCT* record, std::string prompt, bool submenu, int slot);

// Draws a 16 x 16 cell of the image strip at (x, y), its top-left colour transparent.
void DrawStripCell(HDC dc, int slot, int x, int y);

}  // namespace ui
