// The program's menu bar built from its menu table: one record an entry, in physical order.
// The kind of each record (`TIPOMENU`) opens a pop-up (0), adds an option (1), reserves an
// option that has no item (9), adds a separator (2), ends the pop-up (3), or marks the place
// of the window menu (4) or of the help menu (5). An option's action is the text of a code
// block compiled when the menu is built; its item is enabled when the user's access string
// gives its position a level "1" or "2" (for options subject to the access map).
//
// Tables of any length and shape build: levels left open are ended at the end of the table,
// an end of pop-up at the bar's own level is ignored, records after the end of the bar are
// ignored, and an action that does not compile leaves its item without action (it says so
// when chosen).
#pragma once

#include <string>

#include "runtime/object.h"

namespace ui {
class TMenu;
}

namespace svc {

struct MenuInitParams {
  bool window_menu = false;  // the "&Ventana" pop-up at the record of kind 4
  bool help_menu = false;    // the "A&yuda" pop-up at the record of kind 5
  std::string table = "MenuWinE";
  int access_field = 1;      // which of the four access strings (QZ_NACCESO)
};

// OMENUINIT: stores the access field, forgets the options of the previous menu and builds the
// menu (OMAKEMENU). The main program calls it with both pop-ups and its table "MenuVdrE".
xb::Ref<ui::TMenu> oMenuInit(const MenuInitParams& params);
// OMAKEMENU: builds the menu bar from the table (the start folder plus the name; "MenuWin"
// when that table is not there). With no user table the bar is empty.
xb::Ref<ui::TMenu> oMakeMenu(const MenuInitParams& params);
// RELOADMENU: builds the menu again and gives it to the main window in place of its old one.
xb::Ref<ui::TMenu> ReloadMenu(const MenuInitParams& params);

// Registers OMENUINIT, OMAKEMENU and RELOADMENU.
void RegisterMenuTableFunctions();

}  // namespace svc
