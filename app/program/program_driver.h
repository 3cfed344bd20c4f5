// Tests of the real Vdr.exe: the program copied into the program folder of a data tree and
// run there as its own process, its windows found, read and worked from outside as a user
// would (buttons pressed, keys typed, menu commands sent), its end and exit code awaited.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/dialog_answerer.h"

namespace app::testing {

// Copies Vdr.exe and VDRE.DLL from beside the running test program into `folder`.
bool InstallProgram(const std::string& folder);

class ProgramProcess {
 public:
  // Starts `folder` + "Vdr.exe" with `args` in `start_in` (default `folder`) as its current
  // folder.
  ProgramProcess(const std::string& folder, const std::vector<std::string>& args, const std::string& start_in = {});
  // A program still running is ended (the test failed).
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  bool Running() const;
  // Waits for the end; the exit code, or -1 when the program had not ended after `ms`.
  int WaitExit(unsigned ms = kPatience);

  // The program's visible top-level windows, newest last as the system lists them.
  std::vector<HWND> Windows() const;
  // Waits for a visible top-level window of the program whose title is `title`; nullptr
  // when none showed within `ms` or the program ended.
  HWND WaitWindow(const std::string& title, unsigned ms = kPatience) const;
  // Waits until `done` holds, while the program runs; false after `ms`.
  bool WaitUntil(const std::function<bool()>& done, unsigned ms = kPatience) const;

  // How long a step of the program may take before the test gives up on it (a hang guard,
  // not a speed goal).
  static constexpr unsigned kPatience = 60000;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Answers every box the program shows (its first button) until it ends; what they said, in
// the order shown. Dialogs titled as one of `leave` are neither answered nor told, nor are those
// whose title cannot be read yet (looked at again later).
std::vector<vdr::test::SeenDialog> AnswerEveryBox(ProgramProcess& program, unsigned ms = ProgramProcess::kPatience,
                                                  const std::vector<std::string>& leave = {});

// A window's text, read through WM_GETTEXT (the window may belong to another process).
std::string TextOf(HWND hwnd);
// What a dialog of another process shows: title, static texts, push buttons.
vdr::test::SeenDialog ReadOtherDialog(HWND dialog);
// Presses a button of a dialog by its identifier.
void PressButton(HWND dialog, int id);
// Messages to another process's windows are posted, so that they run in the order given.
// Types characters into a control: a click gives it the focus first.
void TypeInto(HWND control, const std::string& text);
// A key pressed and released on a control.
void PostKey(HWND control, int virtual_key);
// A window's class name.
std::string ClassOf(HWND hwnd);
// The first child of `parent` of that window class.
HWND ChildOfClass(HWND parent, const std::string& class_name);

// The window's pixels as it shows them, 24-bit rows from the top; empty when it cannot be read.
struct Pixels {
  int width = 0, height = 0;
  std::vector<unsigned char> bgr;  // width * height * 3
  COLORREF At(int x, int y) const;
};
Pixels Capture(HWND hwnd);
// The share of a window's pixels that are not black (an unpainted window is black).
double PaintedShare(HWND hwnd);

// The state lights of the company browse, top to bottom: each row's picture, green (free)
// or red, found as runs of rows holding saturated pixels of that colour; `y` is the row's
// middle in the browse's client coordinates.
struct Light {
  int y = 0;
  bool red = false;
};
std::vector<Light> BrowseLights(HWND browse);

}  // namespace app::testing
