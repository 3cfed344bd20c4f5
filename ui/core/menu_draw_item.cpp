#include "ui/core/menu_draw_item.h"

#include <algorithm>

#include "ui/bridge/bitmaps.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/painters.h"
#include "ui/core/menu_image_strip.h"

namespace ui {
namespace {

constexpr int kPictureColumn = 17;  // the picture column's width
constexpr int kHighlightLeft = 19;  // where the highlight starts
constexpr int kTextLeft = 25;
constexpr int kTextTop = 2;
constexpr int kShortcutRight = 8;   // the shortcut column ends this far from the right edge

// The picture, then its ink embossed in the disabled look.
void DrawGrayedCell(HDC dc, int slot, int x, int y) {
  DrawStripCell(dc, slot, x, y);
  GrayOutArea(dc, RECT{x, y, x + kMenuImageSize, y + kMenuImageSize});
}

// Text with its prefix character, embossed when grayed.
void DrawItemText(HDC dc, const std::string& text, const RECT& area, UINT align, bool grayed) {
  if (text.empty()) return;
  if (!grayed) {
    RECT r = area;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, align | DT_SINGLELINE | DT_EXPANDTABS);
    return;
  }
  RECT measure = {0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measure, DT_SINGLELINE | DT_CALCRECT);
  const int width = measure.right - measure.left;
  const int x = (align & DT_RIGHT) != 0 ? area.right - width : area.left;
  DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), static_cast<WPARAM>(text.size()), x,
             area.top, width, measure.bottom - measure.top, DST_PREFIXTEXT | DSS_DISABLED);
}

// The system's check mark glyph, black, at (x, y).
void DrawCheckMark(HDC dc, int x, int y) {
  RECT local = {0, 0, kMenuImageSize - 1, kMenuImageSize - 1};
  Bitmap glyph(CreateBitmap(local.right, local.bottom, 1, 1, nullptr));
  MemoryDC mono(dc);
  SelectionScope select(mono.get(), glyph.get());
  DrawFrameControl(mono.get(), &local, DFC_MENU, DFCS_MENUCHECK);
  // Black on white: white leaves the ground as it is.
  const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF old_back = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, local.right, local.bottom, mono.get(), 0, 0, SRCAND);
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_back);
}

}  // namespace

void DrawStripCell(HDC dc, int slot, int x, int y) {
  MemoryDC strip;
  SelectionScope select(strip.get(), MenuImageStrip::Get().bitmap());
  const int left = MenuImageStrip::CellLeft(slot);
  DrawTransparent(dc, x, y, kMenuImageSize, kMenuImageSize, strip.get(), left, 0, GetPixel(strip.get(), left, 0));
}

bool MenuDrawItem(const DRAWITEMSTRUCT* record, std::string prompt, bool submenu, int slot) {
  if (record == nullptr || (record->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) return false;
  HDC dc = record->hDC;
  const RECT item = record->rcItem;
  const bool selected = (record->itemState & ODS_SELECTED) != 0;
  const bool grayed = (record->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const bool checked = (record->itemState & ODS_CHECKED) != 0;

  // A prompt such as "Salir - Alt+F4" moves its shortcut to the shortcut column.
  if (prompt.find('-') != std::string::npos) {
    for (size_t at = prompt.find("Alt"); at != std::string::npos; at = prompt.find("Alt", at + 5)) {
      prompt.insert(at, "\t\t");
    }
  }

  Brush menu(CreateSolidBrush(GetSysColor(COLOR_MENU)));
  ::FillRect(dc, &item, menu.get());
  COLORREF text_colour = GetSysColor(COLOR_MENUTEXT);
  if (selected) {
    RECT highlight = item;
    highlight.left = std::min(item.left + kHighlightLeft, item.right);
    ::FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
    text_colour = GetSysColor(COLOR_HIGHLIGHTTEXT);
  }

  const int column_right = item.left + kPictureColumn - 1;
  const RECT column = {item.left, item.top, column_right, item.bottom - 1};
  if (checked) {
    DrawBoxLines(dc, column, FrameStyle::kSunken);
  } else if (selected && !grayed) {
    DrawBoxLines(dc, column, FrameStyle::kRaised);
  }
  const int picture_top = item.top + std::max(1, static_cast<int>(item.bottom - item.top - kMenuImageSize) / 2);
  if (slot > 0 && slot <= MenuImageStrip::Get().SlotCount()) {
    if (!checked || selected) {
      DrawStripCell(dc, slot, item.left + 1, picture_top);
    } else {
      DrawGrayedCell(dc, slot, item.left + 1, picture_top);
    }
  } else if (checked) {
    // Without a picture a check mark tells that the item is checked.
    DrawCheckMark(dc, item.left + 1, picture_top);
  }

  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_text = SetTextColor(dc, text_colour);
  RECT text = item;
  text.left = item.left + kTextLeft;
  text.top = item.top + kTextTop;
  text.right = item.right - kShortcutRight;
  const size_t tab = prompt.find('\t');
  const std::string label = prompt.substr(0, tab);
  DrawItemText(dc, label, text, DT_LEFT, grayed);
  if (tab != std::string::npos) {
    std::string shortcut = prompt.substr(tab);
    shortcut.erase(0, shortcut.find_first_not_of('\t'));
    DrawItemText(dc, shortcut, text, DT_RIGHT, grayed);
  }
  SetTextColor(dc, old_text);
  SetBkMode(dc, old_mode);
  (void)submenu;  // Windows draws the submenu arrow itself
  return true;
}

}  // namespace ui
