// Carets, scroll bars, list boxes, edit lines, the clipboard and dropped files by name
// (CREATECARET, SETSCROLLPOS, LBXGETITEM, MGETLINE, SETCLIPBOARDDATA, DRAGQUERYFILES ...).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

namespace ui {

// A list box's item by its 1-based index; "" when there is none.
std::string ListBoxItem(HWND list, int index);
// The 1-based indexes of the selected items of a multiple-selection list box.
std::vector<int> ListBoxSelection(HWND list);

// On a clipboard the caller opened: text in a movable global block, a copy of a bitmap.
bool SetClipboardText(std::string_view text);
bool SetClipboardBitmap(HBITMAP bitmap);
// The clipboard's text ("" when none) or a copy of its bitmap (null when none).
std::string ClipboardText();
HBITMAP ClipboardBitmap();

// The names of the files of a drop, whole however long.
std::vector<std::string> DroppedFiles(HDROP drop);

void RegisterInputWrappers();

}  // namespace ui
