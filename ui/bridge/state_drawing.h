// Drawing in the disabled state, message-bar items, and starting programs: DRAWSTATE,
// DRAWSTATESTRING, DRAWMSGITEM, WINEXEC.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/bridge/rect.h"

namespace ui {

// Windows' DrawState of a bitmap / of a text, without a callback; true when it succeeded.
// (row, col) is the top-left corner; the flags are DST_* and DSS_* (prefix text is 1,
// disabled 32).
bool DrawStateBitmap(HDC dc, HBRUSH brush, HBITMAP bitmap, int col, int row, int width, int height, UINT flags);
bool DrawStateString(HDC dc, HBRUSH brush, const std::string& text, int col, int row, int width, int height,
                     UINT flags);

// One message-bar item: the rectangle {top, left, bottom, right} filled with the background
// (light grey without one) and the text centred at its top in the text colour (black
// without one), in the font when given. The DC's font is put back.
void DrawMsgItem(HDC dc, const std::string& text, const Rect& rect, std::optional<COLORREF> text_colour,
                 std::optional<COLORREF> back_colour, HFONT font);

// WinExec; the API's answer (above 31 on success).
int WinExec(const std::string& command_line, int show = SW_SHOWNORMAL);

// Registers DRAWSTATE, DRAWSTATESTRING, DRAWMSGITEM and WINEXEC by name.
void RegisterStateDrawing();

}  // namespace ui
