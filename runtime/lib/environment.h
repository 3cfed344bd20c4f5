// The program's environment as xBase sees it: the exit code (ERRORLEVEL), ending the run
// (__QUIT), and the hook through which the program closes its tables and windows first.
#pragma once

#include <functional>

namespace xb {

// ERRORLEVEL: the code the process ends with.
int ErrorLevel();
void SetErrorLevel(int code);

// __QUIT calls the quit handler with the error level. The default one ends the process
// (std::exit); the program installs one that closes what is open first, and tests one
// that records the call. The handler must not return to the caller of __QUIT unless it
// means the run to go on.
using QuitHandler = std::function<void(int errorLevel)>;
QuitHandler SetQuitHandler(QuitHandler handler);

}  // namespace xb
