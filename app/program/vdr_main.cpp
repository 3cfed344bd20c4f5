// Vdr.exe: the company-file organisation program. "Vdr.exe [company code]".
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/program/vdr_program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::optional<std::string> code;
  if (__argc > 1) code = std::string(__argv[1]);
  return app::Main(code);
}
