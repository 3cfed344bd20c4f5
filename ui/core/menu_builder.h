// Building menus level by level: MenuBegin opens a level, MenuAddItem lists an item on it,
// MenuEnd adds the listed items to the level's menu and closes it; a closed inner level
// becomes the action of the last item of the level above. Items with a shortcut enter one
// accelerator table, which the outermost menu receives when it closes.
#pragma once

#include "runtime/object.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/twindow.h"

namespace ui {

// Opens a level: the window's system menu (`system`), or a new menu; a level opened inside
// another is always a popup. The first level of a window becomes the window's menu.
xb::Ref<TMenu> MenuBegin(bool popup = false, bool system = false, TWindow* window = nullptr);
// Lists a new item on the open level (nullptr when no level is open).
xb::Ref<TMenuItem> MenuAddItem(const TMenuItem::Spec& spec);
// Closes the open level and returns its menu (nullptr when none is open).
xb::Ref<TMenu> MenuEnd();
// The open level's menu and how many items it lists.
xb::Ref<TMenu> LastMenu();
int LastItemPos();

// Registers MENUBEGIN, MENUADDITEM, MENUEND, LASTMENU, LASTITEMPOS, MENUDRAWITEM and
// DELBMPMNU, and the classes TMENU, TMENUITEM, TACCTABLE.
void RegisterMenuFunctions();

}  // namespace ui
