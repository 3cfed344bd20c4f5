// Windows, geometry and word helpers by name (CREATEWINDOW, SENDMESSAGE, MOVEWINDOW,
// WNDADJCLIENT, NLOWORD ...).
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The window's whole text; "" for an invalid window.
std::string GetWindowTextOf(HWND hwnd);
// The system's text for an error code.
std::string SystemMessage(DWORD code);

void RegisterWindowWrappers();

}  // namespace ui
