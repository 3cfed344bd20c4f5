// The report generator's functions that need windows: the choice dialogs, the wait
// messages, the plain browse and the object inspector, the listing tree and the access
// maps; TI_NSIZE gets the screen's logical pixels per inch; the dictionary's progress and
// check dialogs are put in use. Call after reports::RegisterReportFunctions().
#pragma once

namespace reports {

void RegisterReportWindowFunctions();

}  // namespace reports
