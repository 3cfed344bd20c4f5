// The user maintenance window (USUARIOS): an MDI child of the main window listing the users,
// with a bar of buttons to add, change, view, delete and find them, to edit their
// configuration record and their access maps, to maintain the groups and to choose the list's
// font, tabs choosing the list's order, and the bar's letters as hot keys and right-click menu.
#pragma once

#include <string>

#include "services/user_maintenance.h"
#include "ui/controls/ttabs.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tbar.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmdiframe.h"

namespace svc {

// Which of the optional buttons the window has: the configuration record (when `Config`
// exists) and the three listing-access maps (each when its listing table and its index are
// in the start folder).
struct UserWindowButtons {
  bool config = false;
  bool listados = false;
  bool listado_b = false;
  bool listado_c = false;
};
UserWindowButtons UserWindowButtonsNow();

// The window's key string: "AMEZL", "C" with the configuration button, "PI", "D", "X", "W"
// with each listing map, "GFS". One letter a button of the bar, in order.
std::string UserWindowKeys(const UserWindowButtons& buttons);

// USUARIOS: opens the window over the menu table `menu_table` (the start folder plus the
// name; "MenuWin" when that table is not there), which the access-map editor reads. The
// option "Usuarios" must pass LCHKMENU, which also closes the window when it is open. Nothing
// opens when a table cannot be opened.
void Usuarios(const std::string& menu_table = "MenuWinE");

// The window open now and its parts (nullptr without it).
ui::TMdiChild* UsersWindow();
ui::TWBrowse* UsersBrowse();
ui::TBar* UsersBar();
ui::TTabs* UsersTabs();

// The alias the window opens the menu table under.
inline constexpr const char* kUsersMenuAlias = "MenuUsr";

// Registers USUARIOS.
void RegisterUserWindowFunctions();

}  // namespace svc
