// In-memory dialog templates: a header (CDLG2CHR) followed by one item per control
// (CCTRL2CHR), joined in order, as DialogBoxIndirectParamA and CreateDialogIndirectParamA
// read them.
//
// Header, a DLGTEMPLATE without font, little endian:
//   0  4  style       (2 becomes 0x80000002 with extended style 0x20, 0x10000000 becomes
//                      0xC0000000)
//   4  4  extended style
//   8  2  item count
//  10  2  x, 12 y, 14 width (right - left + 1), 16 height (bottom - top + 1)
//  18  2  menu 0 (none)
//  20  2  class 0 (the dialog class)
//  22     title, UTF-16 from the ANSI code page, with its terminating 0
//         then 0 or 2 zero bytes, so that the first item starts on a multiple of 4
//
// Item, a DLGITEMTEMPLATE:
//   0  4  style, 4 4 extended style 0
//   8  2  x, 10 y, 12 width, 14 height, 16 identifier
//  18     class name, then caption, each UTF-16 from the ANSI code page with its 0
//         then 2 bytes of creation data size 0, then zero bytes up to a multiple of 4
//
// Coordinates are dialog units, cut to 16 bits as Windows reads them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

std::string CDlg2Chr(int items, int top, int left, int bottom, int right, std::string_view title,
                     std::uint32_t style);

std::string CCtrl2Chr(int top, int left, int bottom, int right, int id, std::uint32_t style,
                      std::string_view class_name, std::string_view caption);

}  // namespace ui
