// The organisation window: a maximised window whose client area is the browse of the company
// table, with the menu of BUILDMENU, a button bar of the same eight actions and a message
// bar. The user marks companies (the selection array) and generates; a company that is
// blocked or has users working cannot be marked until it is freed.
//
// Its initialisation logs the user in and tests his access to the option "ReIndex"; in
// parameter mode there is no log-in: the company given is marked and the index generation
// starts at once. Generating always ends the window. When the window is asked to close and
// the error table holds lines, the error list shows them first.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/array.h"
#include "ui/bridge/image_strip.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tbar.h"
#include "ui/core/tmenu.h"
#include "ui/core/twindow.h"

namespace app {

// The menu's and the bar's actions, in their order.
struct WindowAction {
  std::string_view caption;  // menu item
  std::string_view bitmap;   // bar button
  std::string_view tooltip;
  std::string_view message;
};
inline constexpr std::array<WindowAction, 8> kWindowActions = {{
    {"&Marcar", "PBMPMAR1", "Marcar/Desmarcar", "(M)arcar y desmarcar empresa"},
    {"&Todas", "PBMPMGR1", "Todas", "(T)odas las empresas"},
    {"&Ninguna", "PBMPREM1", "Ninguna", "(N)inguna empresa"},
    {"&Liberar", "PBMPSAV1", "Liberar", "(L)iberar empresa"},
    {"&Buscar", "PBMPFIN1", "Buscar", "(B)uscar empresa"},
    {"&Generar", "GENERAR", "Generar", "(G)enerar índices"},
    {"&Fuentes", "PBMPFON1", "Fuentes", "(F)uente, seleccionar fuente de trabajo"},
    {"&Salir", "PBMPEND1", "Cerrar", "(S)alir y cerrar ventana"},
}};
// The letters of the actions, for the keys typed on the browse and its pop-up menu.
inline constexpr std::string_view kActionKeys = "MTNLBGFS";
inline constexpr std::string_view kWindowTitle = "VENDARO: generación de índices";
inline constexpr std::string_view kAccessOption = "ReIndex";

// The pictures of the browse's cells, loaded into the browses' image strip at start.
struct CompanyPictures {
  std::optional<ui::StripImage> free, busy, checked, unchecked;
};

// ---- browse actions (each answers true; LFIND nothing) ---------------------------------------
// LMARCA: a free company (LACTIVA false, USO 0) is marked or unmarked; any other gets the
// refusal "Empresa bloqueada o hay usuarios activos".
bool LMarca(const xb::Array& selection, ui::TWBrowse& browse);
// LTODAS: with `all`, every free company is marked and each other one refused by name;
// without, nothing stays marked. Both end at the first company.
bool LTodas(const xb::Array& selection, ui::TWBrowse& browse, bool all);
// LFREE: the current company is freed (USO 0, LACTIVA false) without a question.
bool LFree(ui::TWBrowse& browse);
// LFIND: the incremental search, then the browse takes the focus.
void LFind(ui::TWBrowse& browse, const ui::WindowRef& window);

// Widens every column narrower than its header in the browse's font, so that the narrow ones
// ("Sel.", "Cod.", "Lib.") are not cut.
void WidenColumnsToHeaders(ui::TWBrowse& browse);

// The window of the run, while it exists.
class CompanyWindow {
 public:
  // Builds the window over the company table (open and selected): its menu, message bar, button
  // bar and browse. In parameter mode `code` is sought and, when found, marked; a code that is
  // no company's is told when the window starts, before the generation runs over nothing.
  CompanyWindow(const CompanyPictures& pictures, std::string_view code);
  ~CompanyWindow();
  CompanyWindow(const CompanyWindow&) = delete;
  CompanyWindow& operator=(const CompanyWindow&) = delete;

  // Shows it maximised and runs until it is destroyed.
  void Run();

  ui::TWindow& window() const { return *window_; }
  ui::TWBrowse& browse() const { return *browse_; }
  ui::TBar& bar() const { return *bar_; }

  // The window that is open; nullptr when none is.
  static CompanyWindow* Current();

  // The eight actions (1 to 8).
  void RunAction(int action);

 private:
  void Init();
  bool Valid();
  void Fit();
  xb::Value Line();

  CompanyPictures pictures_;
  xb::Ref<ui::TWindow> window_;
  xb::Ref<ui::TWBrowse> browse_;
  xb::Ref<ui::TBar> bar_;
  CompanyWindow* previous_ = nullptr;
  std::optional<std::string> not_found_;  // parameter mode: the code given, when no company has it
};

// BUILDMENU: the window's menu, the eight actions as items of its bar, each enabled outside
// parameter mode.
xb::Ref<ui::TMenu> BuildMenu();

// Registers BUILDMENU, LMARCA, LTODAS, LFREE, LFIND and NDBLFINBIN.
void RegisterCompanyWindowFunctions();

}  // namespace app
