// The report generator's functions that need windows: the choice dialogs, the wait
// messages, the plain browse and the object inspector; TI_NSIZE gets the screen's
// logical pixels per inch. Call after reports::RegisterReportFunctions().
#pragma once

namespace reports {

void RegisterReportWindowFunctions();

}  // namespace reports
