// MAIN: the organisation program from its start to its end. It prepares the run-time
// environment and the folders, imports the version file, opens the company table
// exclusively, shows the organisation window (log-in, marking, generation) and cleans up:
// the end message, the log-out and the closing step.
//
// With a company code the program runs in parameter mode: no log-in, that company is marked
// and organised at once, and the program ends. Nobody watches it: no box shows, what one
// would say goes to the log "Vdr.log" of the temporary folder (run_log.h) and to the error
// table, and the box takes its default answer.
#pragma once

#include <optional>
#include <string>

namespace app {

// What the process answers when it ends.
enum ExitCode : int {
  kExitOk = 0,
  // No company, the company table or the error table not opened, the resource library
  // missing, a failure recorded in the error table, or (parameter mode) the organisation
  // stopped before its end or anything written to the run's log.
  kExitFailed = 1,
};

// The framework and every public function the program, its tables and its menus may call:
// the error handler, the window framework and controls, the data layer with its windows,
// the services, the organisation and its window; Spanish names of months and days.
void StartProgramRuntime();

// MAIN with its one optional argument, the company code.
int Main(const std::optional<std::string>& code);

}  // namespace app
