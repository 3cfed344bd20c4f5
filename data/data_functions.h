// The data-access layer and shared settings as public functions: registers every function of
// the program settings, table access, record helpers, SDEINDEX and the currency helpers under
// its upper-case name. Call after xb::InitRuntime() and xb::rdd::InitTables().
#pragma once

namespace data {

void RegisterDataFunctions();

}  // namespace data
