#include "ui/bridge/modeless_dialogs.h"

#include <array>

namespace ui {
namespace {

std::array<HWND, kMaxModelessDialogs> g_dialogs{};
int g_highest = -1;
HWND g_last = nullptr;
bool g_loop_running = false;

}  // namespace

bool RegDialog(HWND dialog) {
  for (int i = 0; i < kMaxModelessDialogs; ++i) {
    if (g_dialogs[i] == nullptr) {
      g_dialogs[i] = dialog;
      if (i > g_highest) g_highest = i;
      return true;
    }
  }
  return false;
}

bool CanRegDialog() {
  for (HWND entry : g_dialogs) {
    if (entry == nullptr) return true;
  }
  return false;
}

bool DeregDialog(HWND dialog) {
  if (dialog == nullptr) return false;
  for (int i = 0; i <= g_highest; ++i) {
    if (g_dialogs[i] != dialog) continue;
    g_dialogs[i] = nullptr;
    if (g_last == dialog) g_last = nullptr;
    if (i == g_highest) {
      while (g_highest >= 0 && g_dialogs[g_highest] == nullptr) --g_highest;
    }
    return true;
  }
  return false;
}

bool ModelessDialogMessage(MSG& message) {
  if (g_last != nullptr && IsDialogMessageA(g_last, &message)) return true;
  for (int i = 0; i <= g_highest; ++i) {
    HWND dialog = g_dialogs[i];
    if (dialog == nullptr || dialog == g_last) continue;
    if (IsDialogMessageA(dialog, &message)) {
      g_last = dialog;
      return true;
    }
  }
  return false;
}

int ModelessHighestIndex() { return g_highest; }

bool LWRunning() { return g_loop_running; }

bool SetLoopRunning(bool running) {
  const bool previous = g_loop_running;
  g_loop_running = running;
  return previous;
}

}  // namespace ui
