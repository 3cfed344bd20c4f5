// desktopkeeper.exe [READY-FILE]: keeps the test environment's desktop for the whole run.
//
// Wine's desktop process (explorer.exe) starts with the first program that needs a window and
// ends a second after the last one has gone. Started from a test program it inherits that
// program's error output, and CTest counts the test as running until the desktop ends, which
// with other programs on the display may be minutes. Started by this program, with no output
// at all, the desktop is made once and outlives every test program; READY-FILE is written once
// it is there. The environment's stop ends this program with the rest.
#include <windows.h>

int main(int argc, char** argv) {
  GetDesktopWindow();
  if (argc > 1) {
    HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  }
  Sleep(INFINITE);
  return 0;
}
