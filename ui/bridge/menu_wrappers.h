// Menus and the keyboard state: the few calls that do more than pass their arguments on to
// Windows. The plain ones (CREATEMENU, APPENDMENU, TRACKPOPUP, ...) are registered by name
// in menu_wrappers.cpp and called as Windows' own functions from C++.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The item's text (up to 198 characters); "" when there is none.
std::string MenuItemText(HMENU menu, UINT item, UINT flags);

// Fills a WM_MEASUREITEM record of an owner-drawn menu item: the width given, the height
// of the system's menu bar.
void MenuMeasureItem(MEASUREITEMSTRUCT* record, int width);

// True when the key is down (high bit of its state).
bool GetKeyDown(int virtual_key);
// True when the key's state is not 0 (a lock key that is on, or a key that is down).
bool GetKeyToggle(int virtual_key);
// Flips the toggle bit of the key in this thread's keyboard state (Caps Lock, Num Lock).
void KeyToggle(int virtual_key);

// Registers the menu, keyboard and caret wrappers by name.
void RegisterMenuWrappers();

}  // namespace ui
