#include "tests/support/mouse_input.h"

#include "tests/support/pump.h"

namespace vdr::test {
namespace {

// Absolute input counts the screen in 65536 steps a side; the centre of each pixel's step.
LONG Absolute(LONG pixel, int pixels) {
  return pixels <= 1 ? 0 : static_cast<LONG>((pixel * 65536LL + 32768) / pixels);
}

void Send(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

bool MouseTo(POINT screen) {
  auto there = [&] {
    POINT now = {};
    GetCursorPos(&now);
    return now.x == screen.x && now.y == screen.y;
  };
  // Under X each move is echoed by the system, and the echo of the move before may arrive
  // after it as one more move back there: the move is made twice, so that the last echo is
  // of the same point, and again until the pointer stays.
  constexpr ULONGLONG kSettled = 100;
  const ULONGLONG deadline = GetTickCount64() + 4000;
  int stayed = 0;
  while (GetTickCount64() < deadline) {
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Absolute(screen.x, GetSystemMetrics(SM_CXSCREEN)),
         Absolute(screen.y, GetSystemMetrics(SM_CYSCREEN)));
    if (!PumpUntil(there, 1000)) continue;
    const ULONGLONG since = GetTickCount64();
    PumpUntil([&] { return !there() || GetTickCount64() - since >= kSettled; }, 2 * kSettled);
    stayed = there() ? stayed + 1 : 0;
    if (stayed == 2) return true;
  }
  return false;
}

bool MouseToClient(HWND window, POINT client) {
  ClientToScreen(window, &client);
  return MouseTo(client);
}

void LeftButton(bool down) {
  Send(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  PumpUntil([down] { return (GetAsyncKeyState(VK_LBUTTON) < 0) == down; }, 1000);
  PumpUntil([] { return false; }, 50);
}

}  // namespace vdr::test
