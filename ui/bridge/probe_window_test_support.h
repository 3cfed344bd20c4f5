// A plain window for the bridge's tests: its class procedure counts what reaches it and
// answers kProbe with kProbeAnswer, so a test can tell "the previous procedure ran".
#pragma once

#include <windows.h>

#include <vector>

namespace ui::test {

inline constexpr UINT kProbe = WM_APP + 11;
inline constexpr LRESULT kProbeAnswer = 777;

struct ProbeLog {
  std::vector<UINT> messages;  // every message the class procedure saw
  int Count(UINT message) const {
    int n = 0;
    for (UINT m : messages) n += m == message;
    return n;
  }
};

inline LRESULT CALLBACK ProbeClassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto* log = reinterpret_cast<ProbeLog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) {
    log->messages.push_back(message);
  }
  if (message == kProbe) return kProbeAnswer;
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

// Owns one probe window; the log must outlive it.
class ProbeWindow {
 public:
  explicit ProbeWindow(ProbeLog* log, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr) {
    static const ATOM kClass = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = ProbeClassProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      wc.lpszClassName = "VdrBridgeProbe";
      return RegisterClassA(&wc);
    }();
    (void)kClass;
    hwnd_ = CreateWindowA("VdrBridgeProbe", "Sonda", style, 20, 20, 240, 160, parent, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(log));
  }
  ProbeWindow(const ProbeWindow&) = delete;
  ProbeWindow& operator=(const ProbeWindow&) = delete;
  ~ProbeWindow() {
    if (IsWindow(hwnd_)) {
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace ui::test
