// Answers the dialogs and message boxes that code under test opens on this thread.
//
// While an answerer lives, a thread timer looks every few milliseconds for a new visible
// dialog of this thread, reads its title, texts and buttons, records them and presses the
// button that the test's chooser names. The timer is dispatched by whatever message loop
// runs (a modal dialog's, a message box's or the test's own pump).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vdr::test {

struct SeenButton {
  int id = 0;
  std::string text;  // as shown, with its '&'
};

struct SeenDialog {
  HWND hwnd = nullptr;
  std::string title;
  std::vector<std::string> texts;  // static texts, in creation order
  std::vector<SeenButton> buttons;
  std::string class_name;

  // The button whose text, without '&', equals `text`; 0 when there is none.
  int ButtonId(const std::string& text) const;
  std::string AllText() const;  // texts joined by "\n"
};

class DialogAnswerer {
 public:
  // Returns the identifier of the button to press, or 0 to leave the dialog open.
  using Chooser = std::function<int(const SeenDialog&)>;

  explicit DialogAnswerer(Chooser chooser);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // Presses the button with this text (without '&') on every dialog.
  static Chooser Press(std::string text);
  // Presses this button identifier on every dialog.
  static Chooser PressId(int id);

  const std::vector<SeenDialog>& seen() const { return seen_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Poll();

  Chooser chooser_;
  UINT_PTR timer_ = 0;
  std::vector<SeenDialog> seen_;
  std::vector<HWND> answered_;
};

// Reads what a dialog shows.
SeenDialog ReadDialog(HWND dialog);

}  // namespace vdr::test
