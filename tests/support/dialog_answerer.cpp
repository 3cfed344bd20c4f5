#include "tests/support/dialog_answerer.h"

#include <algorithm>
#include <map>

namespace vdr::test {
namespace {

// Thread timers carry no context: the live answerer of each timer is found here.
std::map<UINT_PTR, DialogAnswerer*>& Live() {
  static std::map<UINT_PTR, DialogAnswerer*> live;
  return live;
}

std::string WindowText(HWND hwnd) {
  const int len = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(len) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), len + 1)));
  return text;
}

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::string WithoutAmpersand(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '&') out += c;
  return out;
}

bool IsDialogWindow(HWND hwnd) {
  return IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770";
}

}  // namespace

int SeenDialog::ButtonId(const std::string& text) const {
  for (const auto& b : buttons)
    if (WithoutAmpersand(b.text) == text) return b.id;
  return 0;
}

std::string SeenDialog::AllText() const {
  std::string all;
  for (const auto& t : texts) {
    if (!all.empty()) all += '\n';
    all += t;
  }
  return all;
}

SeenDialog ReadDialog(HWND dialog) {
  SeenDialog seen;
  seen.hwnd = dialog;
  seen.title = WindowText(dialog);
  seen.class_name = ClassOf(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string cls = ClassOf(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (_stricmp(cls.c_str(), "Button") == 0) {
      const LONG kind = style & BS_TYPEMASK;
      if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_OWNERDRAW)
        seen.buttons.push_back({GetDlgCtrlID(child), WindowText(child)});
    } else if (_stricmp(cls.c_str(), "Static") == 0) {
      const std::string text = WindowText(child);
      if (!text.empty()) seen.texts.push_back(text);
    }
  }
  return seen;
}

DialogAnswerer::DialogAnswerer(Chooser chooser) : chooser_(std::move(chooser)) {
  timer_ = SetTimer(nullptr, 0, 20, &DialogAnswerer::OnTimer);
  Live()[timer_] = this;
}

DialogAnswerer::~DialogAnswerer() {
  KillTimer(nullptr, timer_);
  Live().erase(timer_);
}

DialogAnswerer::Chooser DialogAnswerer::Press(std::string text) {
  return [text = std::move(text)](const SeenDialog& d) { return d.ButtonId(text); };
}

DialogAnswerer::Chooser DialogAnswerer::PressId(int id) {
  return [id](const SeenDialog&) { return id; };
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Live().find(id);
  if (it != Live().end()) it->second->Poll();
}

void DialogAnswerer::Poll() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) -> BOOL {
        if (IsDialogWindow(hwnd)) reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  // A handle of a closed dialog may come back for a new one.
  std::erase_if(answered_, [](HWND hwnd) { return !IsWindow(hwnd); });
  for (HWND dialog : found) {
    if (std::find(answered_.begin(), answered_.end(), dialog) != answered_.end()) continue;
    SeenDialog seen = ReadDialog(dialog);
    const int id = chooser_(seen);
    auto same = std::find_if(seen_.begin(), seen_.end(),
                             [&](const SeenDialog& s) { return s.hwnd == dialog; });
    if (same != seen_.end() && same == seen_.end() - 1)
      *same = seen;  // still open and unanswered: keep its latest look
    else
      seen_.push_back(seen);
    if (id == 0) continue;  // read again next time: the test may answer later
    answered_.push_back(dialog);
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  }
}

}  // namespace vdr::test
