#include "ui/bridge/bar_helpers.h"

#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND hwnd) {
  RECT r = {};
  ::GetWindowRect(hwnd, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Inverts a frame `thickness` pixels wide inside `r`.
void InvertFrame(HDC dc, const RECT& r, int thickness) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return;
  ::PatBlt(dc, r.left, r.top, width, thickness, DSTINVERT);
  ::PatBlt(dc, r.left, r.bottom - thickness, width, thickness, DSTINVERT);
  ::PatBlt(dc, r.left, r.top + thickness, thickness, height - 2 * thickness, DSTINVERT);
  ::PatBlt(dc, r.right - thickness, r.top + thickness, thickness, height - 2 * thickness, DSTINVERT);
}

}  // namespace

void BarAdjust(HWND bar, int mode, bool msg_bar, int msg_bar_height) {
  HWND parent = ::GetParent(bar);
  if (bar == nullptr || parent == nullptr) return;
  RECT parent_client = {};
  ::GetClientRect(parent, &parent_client);
  RECT own = {};
  ::GetWindowRect(bar, &own);
  // The bar's size without the one-pixel border that is pushed beyond the parent's edges.
  const int own_width = own.right - own.left - 2;
  const int own_height = own.bottom - own.top - 2;
  const int parent_width = parent_client.right;
  const int parent_height = parent_client.bottom;
  const int m = msg_bar ? msg_bar_height - 1 : 0;
  int x = -1, y = -1, width = 0, height = 0;
  switch (mode) {
    case 1:
      width = parent_width + 2;
      height = own_height + 2;
      break;
    case 2:
      width = own_width + 2;
      height = parent_height - m + 1;
      break;
    case 3:
      x = parent_width - own_width - 1;
      width = own_width + 2;
      height = parent_height - m + 1;
      break;
    case 4:
      y = parent_height - own_height - m - 2;
      width = parent_width + 2;
      height = own_height + 2;
      break;
    default:
      return;
  }
  ::SetWindowPos(bar, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void BarInvert(HWND bar) {
  HWND parent = ::GetParent(bar);
  if (parent == nullptr) return;
  WindowDC dc(parent);
  InvertFrame(dc.get(), RectInParent(bar), 2);
}

void CtrlDrawFocus(HWND control, int origin_row, int origin_col, int row, int col, int mode) {
  HWND parent = ::GetParent(control);
  if (parent == nullptr) return;
  RECT r = RectInParent(control);
  const int dy = row - origin_row;
  const int dx = col - origin_col;
  if (mode == 0) {
    ::OffsetRect(&r, dx, dy);
  } else {
    r.right += dx;
    r.bottom += dy;
  }
  WindowDC dc(parent);
  InvertFrame(dc.get(), r, 1);
}

void DotsAdjust(HWND control, const std::array<HWND, 8>& dots) {
  const RECT r = RectInParent(control);
  const int mid_x = (r.left + r.right - 1) / 2;
  const int mid_y = (r.top + r.bottom - 1) / 2;
  const POINT at[8] = {{r.left, r.top},     {mid_x, r.top},          {r.right - 1, r.top},
                       {r.right - 1, mid_y}, {r.right - 1, r.bottom - 1}, {mid_x, r.bottom - 1},
                       {r.left, r.bottom - 1}, {r.left, mid_y}};
  for (int i = 0; i < 8; ++i) {
    if (dots[i] == nullptr) continue;
    RECT own = {};
    ::GetWindowRect(dots[i], &own);
    const int w = own.right - own.left;
    const int h = own.bottom - own.top;
    ::SetWindowPos(dots[i], HWND_TOP, at[i].x - w / 2, at[i].y - h / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
    ::InvalidateRect(dots[i], nullptr, TRUE);
    ::UpdateWindow(dots[i]);
  }
}

bool LbxMeasure(MEASUREITEMSTRUCT* item, int height) {
  if (item != nullptr) item->itemHeight = static_cast<UINT>(height);
  return true;
}

void TcBrwScroll(HWND browse, int rows, HFONT font, int h_line) {
  WindowDC dc(browse);
  TEXTMETRICA metrics = {};
  {
    SelectionScope select(dc.get(), font);
    ::GetTextMetricsA(dc.get(), &metrics);
  }
  const int h = metrics.tmHeight + h_line + 1;
  RECT client = {};
  ::GetClientRect(browse, &client);
  const int whole_rows = (client.bottom - client.top - h) / h;
  if (h <= 0 || whole_rows <= 0) return;
  RECT area = {client.left, client.top + h, client.right, client.top + h + whole_rows * h};
  ::ScrollWindowEx(browse, 0, -(rows * h), &area, &area, nullptr, nullptr, 0);
}

void MoveGet(HWND edit) {
  RECT client = {};
  ::GetClientRect(edit, &client);
  ::SendMessageA(edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&client));
}

HWND MGetCreate(const std::string& class_name, const std::string& title, DWORD style, int left,
                int top, int width, int height, HWND parent, int id, const std::string& extra) {
  return ::CreateWindowExA(0, class_name.c_str(), title.c_str(), style, left, top, width, height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetInstance(),
                           extra.empty() ? nullptr : const_cast<char*>(extra.data()));
}

}  // namespace ui
