// TI_SELDESTINO: the output dialog of a report run (" Impresión de informes", resource
// "TI_IMPRDOC_NEW"): printer, text file or HTML, normal or draft, preview, shading, copies
// and the file; a file that cannot be created is refused in the dialog.
#pragma once

#include <string>

#include "reports/report_run.h"

namespace reports {

// Shows the dialog over `destino`; false when cancelled. The category's description is that
// of the report's own category unless a category code is given; a caption replaces the
// dialog's title.
bool SelDestino(StDestino& destino, const std::string& code, const std::string& title,
                const std::string& category = {}, const std::string& caption = {});

// Registers TI_SELDESTINO.
void RegisterSelDestino();

// The question of a report wider than the page (strings 22205 and 22206).
bool WideQuestion();

}  // namespace reports
