// The window module's functions in the runtime's function table (NWINDOWS, WNDMAIN,
// OWNDFROMHWND, SETWNDDEFAULT, the help functions, ...) and the framework's start:
// InitWindowFramework registers these, the bridge's functions and the classes.
#pragma once

namespace ui {

void RegisterCoreFunctions();
void InitWindowFramework();

}  // namespace ui
