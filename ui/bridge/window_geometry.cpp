#include "ui/bridge/window_geometry.h"

namespace ui {
namespace {

int OuterWidth(HWND hwnd) {
  RECT r = {};
  if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) return 0;
  return r.right - r.left;
}

int OuterHeight(HWND hwnd) {
  RECT r = {};
  if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) return 0;
  return r.bottom - r.top;
}

bool IsChildStyle(HWND hwnd) { return (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

RECT ParentClient(HWND hwnd) {
  RECT r = {};
  GetClientRect(GetParent(hwnd), &r);
  return r;
}

void Place(HWND hwnd, const WindowBox& b, bool repaint = true) {
  MoveWindow(hwnd, b.left, b.top, b.width, b.height, repaint);
}

}  // namespace

WindowBox WindowBoxOf(HWND hwnd) {
  RECT r = {};
  if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) return {};
  POINT at{r.left, r.top};
  if (IsChildStyle(hwnd)) ScreenToClient(GetParent(hwnd), &at);
  return WindowBox{at.x, at.y, r.right - r.left, r.bottom - r.top};
}

bool WndSetSize(HWND hwnd, int width, int height, bool repaint) {
  if (!IsWindow(hwnd)) return false;
  const WindowBox b = WindowBoxOf(hwnd);
  return MoveWindow(hwnd, b.left, b.top, width, height, repaint) != FALSE;
}

void WndSetTop(HWND hwnd, int top) {
  if (!IsWindow(hwnd)) return;
  WindowBox b = WindowBoxOf(hwnd);
  b.top = top;
  Place(hwnd, b);
}

void WndSetLeft(HWND hwnd, int left) {
  if (!IsWindow(hwnd)) return;
  WindowBox b = WindowBoxOf(hwnd);
  b.left = left;
  Place(hwnd, b);
}

void WndCenter(HWND hwnd, HWND on) {
  if (!IsWindow(hwnd)) return;
  RECT area = {};
  GetWindowRect(on != nullptr && IsWindow(on) ? on : GetDesktopWindow(), &area);
  const WindowBox b = WindowBoxOf(hwnd);
  POINT at{area.left + (area.right - area.left - b.width) / 2, area.top + (area.bottom - area.top - b.height) / 2};
  if (IsChildStyle(hwnd)) ScreenToClient(GetParent(hwnd), &at);
  SetWindowPos(hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WndAdjTop(HWND hwnd) {
  if (!IsWindow(hwnd)) return;
  const RECT p = ParentClient(hwnd);
  Place(hwnd, {0, 0, p.right, OuterHeight(hwnd)});
}

void WndAdjBottom(HWND hwnd) {
  if (!IsWindow(hwnd)) return;
  const RECT p = ParentClient(hwnd);
  const int h = OuterHeight(hwnd);
  Place(hwnd, {0, p.bottom - h, p.right, h});
}

void WndAdjLeft(HWND hwnd, HWND top, HWND bottom) {
  if (!IsWindow(hwnd)) return;
  const RECT p = ParentClient(hwnd);
  const int t = OuterHeight(top);
  Place(hwnd, {0, t, OuterWidth(hwnd), p.bottom - t - OuterHeight(bottom)});
}

void WndAdjRight(HWND hwnd, HWND top, HWND bottom) {
  if (!IsWindow(hwnd)) return;
  const RECT p = ParentClient(hwnd);
  const int t = OuterHeight(top);
  const int w = OuterWidth(hwnd);
  Place(hwnd, {p.right - w, t, w, p.bottom - t - OuterHeight(bottom)});
}

WindowBox ClientDockBox(int width, int height, const DockBars& bars, bool parent_is_child, bool flag, int margin) {
  const int t = bars.top, b = bars.bottom, l = bars.left, r = bars.right;
  const int f = flag ? 1 : 0;
  if (margin > 0) {
    return {l + margin, t + margin, width - l - r - 2 * margin, height - t - b - 2 * margin};
  }
  if (parent_is_child) {
    if (bars.has_top) return {l, t - 2, width - l - r, height - t - b + 2};
    return {l, 0, width - l - r, height - b + 1};
  }
  if (bars.has_top) return {l - 1, t - 2 + f, width - l - r + 2, height - t - b + 3 - f};
  return {l - 1, -1, width - l - r + 2, flag ? height - b + 1 : height - b + 3};
}

void WndAdjClient(HWND hwnd, HWND top, HWND bottom, HWND left, HWND right, bool flag, int margin) {
  if (!IsWindow(hwnd)) return;
  DockBars bars;
  bars.has_top = top != nullptr;
  bars.top = OuterHeight(top);
  bars.bottom = OuterHeight(bottom);
  bars.left = left != nullptr ? OuterWidth(left) - 1 : 0;
  bars.right = OuterWidth(right);
  const RECT p = ParentClient(hwnd);
  const HWND parent = GetParent(hwnd);
  Place(hwnd, ClientDockBox(p.right, p.bottom, bars, parent != nullptr && IsChildStyle(parent), flag, margin));
}

}  // namespace ui
