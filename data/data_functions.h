// The data-access layer and shared settings as public functions: registers every function of
// the program settings, table access, record helpers, SDEINDEX, the currency helpers, the
// table views, the temporary tables, the field checks and the text and date helpers under
// its upper-case name. Call after xb::InitRuntime() and xb::rdd::InitTables().
#pragma once

namespace data {

void RegisterDataFunctions();

}  // namespace data
