// The progress dialog of a report run ("PRINT_PROC" or "PREVIEW_PROC" of the preview
// library): the page being made (item 101) and a cancel button (item 2, enabled unless the
// report says otherwise). The run starts once, by a message posted when the dialog first
// paints, and the dialog ends itself when the run returns; cancelling stops the run at the
// next record.
#pragma once

#include <windows.h>

#include <string>

namespace output {

class TReport;

void RunWithProgress(TReport& report, const std::string& dialog, HMODULE library);
// Shows the page number in the report's progress dialog, when it has one.
void ReportProgressPage(TReport& report, int page);

}  // namespace output
