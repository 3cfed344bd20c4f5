// NDBLFINBIN: the incremental search over the company table, dialog "FININ2" titled
// " Búsqueda incremental de EMPRESAS": label 99 names the key ("NOMBRE" at first), edit 100
// takes the beginning of a code or a name, the radio group 102, 103, 101 chooses the search
// (1 automatic: a digit first searches codes, anything else names; 2 by code; 3 by name),
// button 105 closes. Each key typed seeks what is typed so far: found, the company browse
// moves there; not found, the key is refused and the table stays where it was.
#pragma once

#include "ui/controls/twbrowse.h"
#include "ui/core/twindow.h"

namespace app {

// The dialog over `window` for the browse of the company table; answers the order left
// active (1 codes, 2 names).
int nDblFinBin(const ui::WindowRef& window, ui::TWBrowse& browse);

// LKEYPUSH and CHGGET by name, in the search's own forms; calls of the header lookup's forms
// (registered before) go on to them.
void RegisterCompanySearchFunctions();

}  // namespace app
