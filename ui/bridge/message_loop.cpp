#include "ui/bridge/message_loop.h"

#include <vector>

#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/posted_texts.h"

namespace ui {
namespace {

HWND g_app_window = nullptr;
HACCEL g_accelerators = nullptr;
int g_last_char = 0;

// Modeless dialogs, then the accelerator table, then the ordinary translation.
void Dispatch(MSG& message, HACCEL accelerators) {
  if (ModelessDialogMessage(message)) return;
  // A destroyed application window counts as none.
  if (accelerators != nullptr && g_app_window != nullptr && IsWindow(g_app_window) &&
      TranslateAcceleratorA(g_app_window, accelerators, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void Deliver(MSG& message, HACCEL accelerators) {
  Dispatch(message, accelerators);
  PostedTextDispatched(message);
}

}  // namespace

void WinRun(HWND app_window) {
  const HWND previous_app = g_app_window;
  if (app_window != nullptr) g_app_window = app_window;
  SetLoopRunning(true);
  MSG message = {};
  for (;;) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    if (message.message == WM_QUIT) break;
    Deliver(message, g_accelerators);
  }
  SetLoopRunning(false);
  g_app_window = previous_app;
}

bool SysRefresh() {
  const HACCEL kept = g_accelerators;
  g_accelerators = nullptr;
  bool quit = false;
  MSG message = {};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      break;
    }
    if (message.message == WM_CHAR) g_last_char = static_cast<int>(message.wParam);
    Deliver(message, kept);
  }
  if (quit && LWRunning()) PostQuitMessage(0);
  // A table made during the pass stays current; otherwise the kept one comes back.
  if (g_accelerators == nullptr) g_accelerators = kept;
  return !quit;
}

int LastRefreshChar() { return g_last_char; }

void SetWndApp(HWND window) {
  if (g_app_window == nullptr || !IsWindow(g_app_window)) g_app_window = window;
}

HWND GetWndApp() { return g_app_window; }

HACCEL SetAccTable(std::span<const Accelerator> accelerators) {
  std::vector<ACCEL> table;
  table.reserve(accelerators.size());
  for (const Accelerator& a : accelerators) {
    table.push_back(ACCEL{static_cast<BYTE>(a.flags | FVIRTKEY), static_cast<WORD>(a.key),
                          static_cast<WORD>(a.command)});
  }
  if (table.empty()) return nullptr;
  HACCEL made = CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
  if (made != nullptr) g_accelerators = made;
  return made;
}

void DestroyAccTable() {
  if (g_accelerators != nullptr) DestroyAcceleratorTable(g_accelerators);
  g_accelerators = nullptr;
}

HACCEL CurrentAccTable() { return g_accelerators; }

}  // namespace ui
