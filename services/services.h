// The application services: log-in, users and groups, the access map and the menu built
// from the menu table, the user's colours, fonts and saved layouts.
//
// RegisterServiceFunctions registers every public function of the services under its
// upper-case name. Call it once the runtime, the table engine, the data-access layer and the
// window framework are up (xb::InitRuntime, xb::rdd::InitTables, data::RegisterDataFunctions,
// ui::InitWindowFramework, ui::InitControls).
#pragma once

namespace svc {

void RegisterServiceFunctions();

// Every service's state back to the start of the program (tests).
void ResetServices();

}  // namespace svc
