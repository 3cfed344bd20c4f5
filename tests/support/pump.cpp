#include "tests/support/pump.h"

#include <windows.h>

namespace vdr::test {

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, unsigned timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    PumpPending();
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return done();
    const DWORD wait = static_cast<DWORD>(deadline - now < 10 ? deadline - now : 10);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
}

}  // namespace vdr::test
