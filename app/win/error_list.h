// LDSPORG: the error list of the organisation. The dialog "DESCUADRE", titled " Errores de
// ficheros", shows its three fixed texts over the lines of the error table (one column,
// "Descripción del Error"); buttons 520 and 540 close it.
//
// The lines are shown in a list of their own, read when the dialog opens: the error table is
// not touched while it shows.
#pragma once

#include <string>
#include <vector>

#include "ui/core/twindow.h"

namespace app {

inline constexpr int kErrorListControl = 510;

// Shows the error table's lines over `parent` (none: the main window); returns when the
// dialog closes.
void LDspOrg(const ui::WindowRef& parent = {});

// The same with the lines given (what LDspOrg reads from the error table).
void ShowErrorList(const std::vector<std::string>& lines, const ui::WindowRef& parent = {});

}  // namespace app
