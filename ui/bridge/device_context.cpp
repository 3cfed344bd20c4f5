#include "ui/bridge/device_context.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "ui/bridge/gdi_handles.h"

namespace ui {

Rect GetClientRect(HWND hwnd) {
  RECT r = {};
  if (hwnd == nullptr || !::GetClientRect(hwnd, &r)) return Rect{};
  return Rect::From(r);
}

Rect GetWndRect(HWND hwnd) {
  RECT r = {};
  if (hwnd == nullptr || !::GetWindowRect(hwnd, &r)) return Rect{};
  return Rect::From(r);
}

Rect GetCoors(HWND hwnd) {
  RECT r = {};
  if (hwnd == nullptr || !::GetWindowRect(hwnd, &r)) return Rect{};
  if (HWND parent = ::GetParent(hwnd)) {
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  return Rect::From(r);
}

POINT ClientToScreen(HWND hwnd, POINT point) {
  ::ClientToScreen(hwnd, &point);
  return point;
}

POINT ScreenToClient(HWND hwnd, POINT point) {
  ::ScreenToClient(hwnd, &point);
  return point;
}

HDC BeginPaint(HWND hwnd, std::string& paint_struct) {
  PAINTSTRUCT ps = {};
  HDC dc = ::BeginPaint(hwnd, &ps);
  paint_struct.assign(reinterpret_cast<const char*>(&ps), sizeof ps);
  return dc;
}

void EndPaint(HWND hwnd, const std::string& paint_struct) {
  PAINTSTRUCT ps = {};
  if (paint_struct.size() != sizeof ps) return;  // not a record BeginPaint gave
  std::memcpy(&ps, paint_struct.data(), sizeof ps);
  ::EndPaint(hwnd, &ps);
}

HDC CreateDC(const std::string& driver, const std::string& device, const std::string& output,
             const std::string& dev_mode) {
  auto text = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
  // A DEVMODE carries its own sizes; it is used only when it holds what they claim.
  std::vector<char> mode;
  const DEVMODEA* record = nullptr;
  if (dev_mode.size() >= offsetof(DEVMODEA, dmFields)) {
    DEVMODEA head = {};
    std::memcpy(&head, dev_mode.data(), std::min(dev_mode.size(), sizeof head));
    if (head.dmSize + static_cast<size_t>(head.dmDriverExtra) <= dev_mode.size()) {
      mode.assign(dev_mode.begin(), dev_mode.end());
      record = reinterpret_cast<const DEVMODEA*>(mode.data());
    }
  }
  return ::CreateDCA(text(driver), text(device), text(output), record);
}

void FillRect(HDC dc, const Rect& rect, HBRUSH brush) {
  if (brush == nullptr) return;
  RECT r = rect.ToRECT();
  ::FillRect(dc, &r, brush);
}

void InvertRect(HDC dc, const Rect& rect) {
  RECT r = rect.ToRECT();
  ::InvertRect(dc, &r);
}

void DrawFocusRect(HDC dc, int top, int left, int bottom, int right) {
  RECT r = {left, top, right, bottom};
  ::DrawFocusRect(dc, &r);
}

void FrameDot(HDC dc, int top, int left, int bottom, int right) {
  static const WORD kDots[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  Bitmap pattern(::CreateBitmap(8, 8, 1, 1, kDots));
  Brush brush(::CreatePatternBrush(pattern.get()));
  SelectionScope select(dc, brush.get());
  const int width = right - left + 1;
  const int height = bottom - top + 1;
  ::PatBlt(dc, left, top, width, 1, PATCOPY);
  ::PatBlt(dc, left, bottom, width, 1, PATCOPY);
  ::PatBlt(dc, left, top, 1, height, PATCOPY);
  ::PatBlt(dc, right, top, 1, height, PATCOPY);
}

void InvalidateRect(HWND hwnd, const std::optional<Rect>& rect, bool erase) {
  if (rect) {
    RECT r = rect->ToRECT();
    ::InvalidateRect(hwnd, &r, erase);
  } else {
    ::InvalidateRect(hwnd, nullptr, erase);
  }
}

void WndPrint(HWND hwnd, HDC dc, int x, int y, int scale) {
  if (scale < 1) scale = 1;
  RECT client = {};
  if (!::GetClientRect(hwnd, &client)) return;
  const int width = client.right;
  const int height = client.bottom;
  WindowDC source(hwnd);
  MemoryDC memory(source.get());
  Bitmap image(::CreateCompatibleBitmap(source.get(), width, height));
  {
    SelectionScope select(memory.get(), image.get());
    ::BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    ::StretchBlt(dc, x, y, width * scale, height * scale, memory.get(), 0, 0, width, height,
                 SRCCOPY);
  }
}

}  // namespace ui
