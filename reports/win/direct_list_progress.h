// The progress dialog of a direct listing: TDTReport's, "PRINT_PROC" on the printer and
// "PREVIEW_PROC" on the preview, titled with the document, with the page being made and a
// cancel button.
#pragma once

#include <functional>
#include <string>

#include "reports/report_run.h"

namespace reports {

// Runs `play` under the dialog (not at all when cancelled before it starts); without the
// preview library it runs without one.
void PlayWithListProgress(ReportDevice& device, const std::string& document,
                          const std::function<void(RunProgress&)>& play);

}  // namespace reports
