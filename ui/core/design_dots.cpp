#include "ui/core/design_dots.h"

#include <algorithm>
#include <cstdint>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "ui/bridge/window_classes.h"
#include "ui/core/tcontrol.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr char kDotClass[] = "TDOT";

GridSize g_grid;
std::array<HWND, kDotCount> g_dots = {};
HWND g_owner = nullptr;

// Dots go with their parent window: each forgets itself when it is destroyed.
bool DotsMade() {
  return std::all_of(g_dots.begin(), g_dots.end(), [](HWND dot) { return dot != nullptr; });
}

int DotOf(HWND dot) {
  const auto it = std::find(g_dots.begin(), g_dots.end(), dot);
  return it == g_dots.end() ? 0 : static_cast<int>(it - g_dots.begin()) + 1;
}

// Pressing a dot starts a resize of the control that holds the dots: the control takes the
// press at the same point of the screen, and the mouse with it.
LRESULT CALLBACK DotProc(HWND dot, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETCURSOR:
      ::SetCursor(DotCursor(DotOf(dot)));
      return TRUE;
    case WM_LBUTTONDOWN: {
      HWND owner = g_owner;
      auto* control = dynamic_cast<TControl*>(OWndFromHwnd(owner).get());
      if (control == nullptr || !control->lDrag) return 0;
      POINT at = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      MapWindowPoints(dot, owner, &at, 1);
      control->nMResize = DotOf(dot);
      SendMessageA(owner, WM_LBUTTONDOWN, wparam, MAKELPARAM(at.x, at.y));
      return 0;
    }
    case WM_NCDESTROY:
      for (HWND& each : g_dots) {
        if (each == dot) each = nullptr;
      }
      return DefWindowProcA(dot, message, wparam, lparam);
    default:
      return DefWindowProcA(dot, message, wparam, lparam);
  }
}

void RegisterDotClass() {
  static const bool registered = [] {
    WindowClassSpec spec;
    spec.name = kDotClass;
    spec.background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    spec.procedure = DotProc;
    return RegisterWindowClass(spec);
  }();
  (void)registered;
}

void DestroyDots() {
  for (HWND& dot : g_dots) {
    if (dot != nullptr) DestroyWindow(dot);
    dot = nullptr;
  }
  g_owner = nullptr;
}

// Floor division, also for negative values.
int FloorDiv(int value, int step) { return value >= 0 ? value / step : -((-value + step - 1) / step); }

}  // namespace

GridSize GetGridSize() { return g_grid; }

void SetGridSize(int width, int height) {
  g_grid.width = std::clamp(width, 1, kMaxGrid);
  g_grid.height = std::clamp(height, 1, kMaxGrid);
}

int SnapToGrid(int value, int step) {
  if (step <= 1) return value;
  return FloorDiv(value + step / 2, step) * step;
}

Rect DragRect(const Rect& start, int dot, int dx, int dy, GridSize grid) {
  Rect r = start;
  if (dot == 0) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
    return r;
  }
  const bool left = dot == 1 || dot == 7 || dot == 8;
  const bool right = dot == 3 || dot == 4 || dot == 5;
  const bool top = dot == 1 || dot == 2 || dot == 3;
  const bool bottom = dot == 5 || dot == 6 || dot == 7;
  if (left) r.left = std::min(r.left + dx, r.right - grid.width);
  if (right) r.right = std::max(r.right + dx, r.left + grid.width);
  if (top) r.top = std::min(r.top + dy, r.bottom - grid.height);
  if (bottom) r.bottom = std::max(r.bottom + dy, r.top + grid.height);
  return r;
}

POINT DotCentre(const Rect& r, int dot) {
  const int right = r.right - 1;
  const int bottom = r.bottom - 1;
  const int mid_x = (r.left + right) / 2;
  const int mid_y = (r.top + bottom) / 2;
  switch (dot) {
    case 1: return {r.left, r.top};
    case 2: return {mid_x, r.top};
    case 3: return {right, r.top};
    case 4: return {right, mid_y};
    case 5: return {right, bottom};
    case 6: return {mid_x, bottom};
    case 7: return {r.left, bottom};
    default: return {r.left, mid_y};
  }
}

HCURSOR DotCursor(int dot) {
  switch (dot) {
    case 1: case 5: return LoadCursorA(nullptr, IDC_SIZENWSE);
    case 3: case 7: return LoadCursorA(nullptr, IDC_SIZENESW);
    case 2: case 6: return LoadCursorA(nullptr, IDC_SIZENS);
    case 4: case 8: return LoadCursorA(nullptr, IDC_SIZEWE);
    default: return LoadCursorA(nullptr, IDC_ARROW);
  }
}

void MakeDesignDots(HWND parent) {
  if (parent == nullptr || DotsMade()) return;
  RegisterDotClass();
  DestroyDots();
  for (HWND& dot : g_dots) {
    dot = CreateWindowExA(0, kDotClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, kDotSize, kDotSize, parent, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
  }
}

void ShowDesignDots(HWND control) {
  HWND parent = control != nullptr ? GetParent(control) : nullptr;
  if (parent == nullptr) return;
  if (DotsMade() && GetParent(g_dots[0]) != parent) DestroyDots();
  MakeDesignDots(parent);
  if (!DotsMade()) return;
  RECT outer = {};
  GetWindowRect(control, &outer);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&outer), 2);
  const Rect r = Rect::From(outer);
  for (int i = 0; i < kDotCount; ++i) {
    const POINT centre = DotCentre(r, i + 1);
    SetWindowPos(g_dots[i], HWND_TOP, centre.x - kDotSize / 2, centre.y - kDotSize / 2, kDotSize, kDotSize,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
  }
  g_owner = control;
}

void HideDesignDots() {
  g_owner = nullptr;
  for (HWND dot : g_dots) {
    if (dot != nullptr) ShowWindow(dot, SW_HIDE);
  }
}

HWND DesignDotsOwner() { return g_owner != nullptr && IsWindow(g_owner) ? g_owner : nullptr; }

std::array<HWND, kDotCount> DesignDotWindows() {
  if (!DotsMade()) return {};
  return g_dots;
}

void RegisterDesignFunctions() {
  using xb::Args;
  using xb::Value;
  // SETGRIDSIZE(nWidth [, nHeight]): the height is the width when not given; a size that is
  // not a number keeps the grid's.
  xb::RegisterFunction("SETGRIDSIZE", [](Args& a) {
    const GridSize now = GetGridSize();
    auto size = [&a](int n, int otherwise) {
      return a.Arg(n).IsNumber() ? static_cast<int>(std::clamp<std::int64_t>(a.Int(n), 0, kMaxGrid)) : otherwise;
    };
    const int width = size(1, now.width);
    SetGridSize(width, size(2, a.Arg(1).IsNumber() ? width : now.height));
    return Value();
  });
  // GETGRIDSIZE() -> {nWidth, nHeight}
  xb::RegisterFunction("GETGRIDSIZE", [](Args&) {
    const GridSize g = GetGridSize();
    return Value(xb::Array::Of({Value::Integer(g.width), Value::Integer(g.height)}));
  });
}

}  // namespace ui
