// The options of the program's menu and the current user's access to them. The menu table
// numbers the options: the record number of an option is its position in the user's access
// string, so one level character ("2" full, "1" read-only, "0" none) a record. When the menu
// is built (menu_table.h) each option's item, name and level are kept here by that position;
// the fixed items of the window menu follow the table's last record. Screens ask by name.
//
// The tables hold as many entries as the menu table has records (plus the fixed items): no
// fixed size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"

namespace ui {
class TMenu;
class TMenuItem;
}  // namespace ui

namespace svc {

// One option: its item (none for an option of kind 9 or a record that is no option), its
// name (trimmed) and its level character (0 for no level).
struct MenuOption {
  xb::Ref<ui::TMenuItem> item;
  std::string name;
  char level = 0;
};

// Forgets every option and the menu (a new menu is about to be built).
void ClearMenuOptions();
// Records the option at `position` (1-based), growing the tables as needed.
void SetMenuOption(int position, MenuOption option);
// The option at `position`, or nullptr.
const MenuOption* MenuOptionAt(int position);
int MenuOptionCount();
void SetMenuObject(xb::Ref<ui::TMenu> menu);

// The position of the first option whose name begins with `name` (xBase's comparison with
// SET EXACT off); 0 when none does, or when `name` is empty.
int FindMenuOption(std::string_view name);

// CACCESOMENU: the current user's level for the option, "0" when no option has that name.
std::string cAccesoMenu(std::string_view name);

// LCHKMENU: whether the option may be opened. An option whose item is checked has its window
// open: that window (`window`, when given) is ended and the answer is false. An enabled item
// (or, for an option without item, a level "1" or "2") answers true. Otherwise a message tells
// why and the answer is false. `position` receives the option's position (0 when unknown).
bool lChkMenu(std::string_view name, int* position = nullptr, const xb::Value& window = {});

// LFREEMENU: true when no item of the menu is checked; otherwise the refusal message.
bool lFreeMenu();

// QZ_NACCESO: which of the four access strings this program uses (1 to 4; another number
// leaves it as it is).
int qz_nAcceso();
int qz_nAcceso(int field);

// The menu tables hold an entry for each record of the menu table up to 255, the window
// menu's fixed items after the last record.
inline constexpr std::size_t kMenuEntries = 255;

// AGETMENU, AMNUNAMES, AMNUREADO, OGETMENU: the tables as arrays of kMenuEntries entries
// (more only when the menu table holds more records), NIL, "" and "" where a record is no
// option; and the menu itself.
xb::Array aGetMenu();
xb::Array aMnuNames();
xb::Array aMnuReado();
xb::Ref<ui::TMenu> oGetMenu();

// TRADUCE: the hook where menu texts would be translated; the text as it is.
std::string Traduce(std::string_view text);
// EVALTEXTOMENU: TRADUCE of the text.
std::string EvalTextoMenu(std::string_view text);

// DOCADICNAME: the additional documentation file in the program's folder ("Documen.wri").
const std::string& DocAdicName();
const std::string& DocAdicName(std::string_view name);
// DOCADICIONAL: opens that file through the management panel's document request; a message
// when it is missing.
void DocAdicional();

// NTXMAPAS: the indexes of the identified user's access-map work tables ("MapaCF" and
// "MapaCV" + code) made again.
void NtxMapas();

// Everything back to the start (tests).
void ResetMenuAccess();

// Registers CACCESOMENU, LCHKMENU, LFREEMENU, QZ_NACCESO, AGETMENU, AMNUNAMES, AMNUREADO,
// OGETMENU, TRADUCE, EVALTEXTOMENU, DOCADICNAME, DOCADICIONAL and NTXMAPAS.
void RegisterMenuAccessFunctions();

}  // namespace svc
