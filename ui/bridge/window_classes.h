// Window-class registration: REGISTERCLASS and the framework's own classes.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct WindowClassSpec {
  std::string name;
  UINT style = 0;
  int class_extra = 0;
  int window_extra = 0;
  HINSTANCE instance = nullptr;  // null: the program's own
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;   // null: the window colour (COLOR_WINDOW + 1)
  std::string menu_name;
  WNDPROC procedure = nullptr;   // null: DefWindowProcA
  HICON icon = nullptr;
};

// RegisterClassA of the spec; true when Windows gave a class atom.
bool RegisterWindowClass(const WindowClassSpec& spec);

void RegisterWindowClassFunctions();

}  // namespace ui
