// LDSPORG: the error list of the organisation. The dialog "DESCUADRE", titled " Errores de
// ficheros", shows its three fixed texts over a browse of the error table (one column, its
// field `Texto`, headed "Descripción del Error"); button 505 prints it on the main printer,
// buttons 520 and 540 close it.
#pragma once

#include "ui/core/twindow.h"

namespace app {

inline constexpr int kErrorListBrowse = 510;

// Shows the error table over `parent` (none: the main window); returns when the dialog
// closes. Nothing is shown when the error table is not open.
void LDspOrg(const ui::WindowRef& parent = {});

}  // namespace app
