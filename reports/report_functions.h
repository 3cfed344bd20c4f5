// The report generator's utility functions as public functions: the fixed lists, the value,
// hours and mask helpers, the work tables and their indexes, the expressions and the
// searches. Call after data::RegisterDataFunctions(). The dialogs among them come with
// reports/win (RegisterReportWindowFunctions).
#pragma once

namespace reports {

void RegisterReportFunctions();

}  // namespace reports
