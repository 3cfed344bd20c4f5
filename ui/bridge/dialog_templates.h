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
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

std::string CDlg2Chr(int items, int top, int left, int bottom, int right, std::string_view title,
                     std::uint32_t style);

std::string CCtrl2Chr(int top, int left, int bottom, int right, int id, std::uint32_t style,
                      std::string_view class_name, std::string_view caption);

// A template taken apart, to be edited before a dialog is made from it: a resource's
// (DLGTEMPLATEEX, or the plain DLGTEMPLATE as above) or one built in memory. Class, title
// and creation data are kept as they stand (text or ordinal), so joining an untouched
// template gives back the same bytes.
struct DialogTemplateItem {
  std::uint32_t help_id = 0;  // extended templates only
  std::uint32_t ex_style = 0;
  std::uint32_t style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::uint32_t id = 0;       // 16 bits in plain templates
  std::string window_class;   // UTF-16 text with its 0, or 0xFFFF and the atom
  std::string title;          // the same
  std::string data;           // its size word, then the creation data

  // The class as ANSI text; empty when it is an atom.
  std::string ClassName() const;
  // A class or title field holding `text` (ANSI).
  static std::string Text(std::string_view text);
};

struct DialogTemplateParts {
  bool extended = false;
  std::string header;  // up to the first item, without its padding
  std::vector<DialogTemplateItem> items;
};

// Nothing when the bytes are not a whole template.
std::optional<DialogTemplateParts> SplitDialogTemplate(std::string_view dialog_template);
// The template again, the item count set from the items, each item and the end padded to
// a multiple of 4.
std::string JoinDialogTemplate(const DialogTemplateParts& parts);

}  // namespace ui
