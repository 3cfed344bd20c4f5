// TWBrowse: the icon view, records shown as icons with a text under each.
#include <algorithm>
#include <string>

#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/controls/table_source.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

// Cell n (0-based) of the grid covers x from (n mod per line) x 50 and y from (n / per line)
// x 50; its icon stands 10 pixels in, its text below it in a box 48 wide centred on it.
constexpr int kStep = 50;
constexpr int kInset = 10;
constexpr int kIconSize = 32;
constexpr int kTextWidth = 48;
constexpr int kTextBottom = 45;
constexpr int kBandFirst = 9;
constexpr int kBandLast = 41;
constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr COLORREF kTextBack = RGB(0, 0, 128);

struct Grid {
  int per_line = 1;
  int lines = 1;
  int capacity() const { return per_line * lines; }
};

// As many whole cells as fit; a line ends before an icon whose cell would pass width - 32.
Grid GridOf(int width, int height) {
  Grid g;
  const int by_room = (width - 32 - kInset) / kStep + 1;
  g.per_line = std::max(1, std::min(width / kStep, by_room));
  g.lines = std::max(1, height / kStep);
  return g;
}

POINT IconOrigin(const Grid& g, int n) {
  return {(n - 1) % g.per_line * kStep + kInset, (n - 1) / g.per_line * kStep + kInset};
}

// The system's application icon, for records without an icon of their own.
HICON DefaultIcon() {
  static const HICON icon = ::LoadIconA(nullptr, IDI_APPLICATION);
  return icon;
}

HICON IconOf(const xb::Value& element) {
  if (element.IsNumber()) return reinterpret_cast<HICON>(static_cast<std::intptr_t>(element.AsInt()));
  if (element.IsObject() && xb::HasMessage(element, xb::Intern("HICON"))) {
    const xb::Value handle = xb::Send(element, "HICON");
    if (handle.IsNumber()) return reinterpret_cast<HICON>(static_cast<std::intptr_t>(handle.AsInt()));
  }
  return nullptr;
}

}  // namespace

void TWBrowse::PaintIcon(HDC dc, int n, bool focused) {
  const Rect client = GetClientRect(hWnd);
  const Grid grid = GridOf(client.Width(), client.Height());
  const POINT at = IconOrigin(grid, n);
  // The cell first, so an icon redrawn alone leaves no trace of the old one. Icons stand on
  // the browse's plain background, as the rows do when they do not alternate.
  RECT cell = {at.x - (kTextWidth - kIconSize) / 2, at.y, at.x - (kTextWidth - kIconSize) / 2 + kTextWidth,
               at.y + kTextBottom};
  Brush pane(::CreateSolidBrush(nXClrPane));
  ::FillRect(dc, &cell, pane.get());

  int index = 1;
  if (bIconDraw.IsBlock()) {
    const xb::Value chosen = bIconDraw.AsBlock().Eval({Self()});
    index = chosen.IsNumber() ? static_cast<int>(chosen.AsInt()) : 0;
  }
  HICON icon = nullptr;
  if (aIcons.IsArray() && index >= 1 && static_cast<std::size_t>(index) <= aIcons.AsArray().size())
    icon = IconOf(aIcons.AsArray().Get(static_cast<std::size_t>(index) - 1));
  ::DrawIcon(dc, at.x, at.y, icon != nullptr ? icon : DefaultIcon());

  std::string text;
  if (bIconText.IsBlock()) {
    text = CValToChar(bIconText.AsBlock().Eval({Self()}));
  } else if (TableSource* s = Source()) {
    text = std::to_string(s->RecNo());
  } else {
    text = std::to_string(nAt);
  }
  Font font(::CreateFontA(-8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
  SelectionScope select(dc, font.get());
  const COLORREF old_text = ::SetTextColor(dc, kTextColour);
  const COLORREF old_back = ::SetBkColor(dc, kTextBack);
  const int old_mode = ::SetBkMode(dc, OPAQUE);
  RECT box = {cell.left, at.y + kIconSize, cell.right, at.y + kTextBottom};
  // The text's own extent, centred in the box, so the focus frame fits round it.
  RECT extent = box;
  ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &extent,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  const int w = std::min<int>(extent.right - extent.left, kTextWidth);
  extent.left = box.left + (kTextWidth - w) / 2;
  extent.right = extent.left + w;
  extent.top = box.top;
  extent.bottom = box.bottom;
  ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &extent,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (focused) {
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &extent);
  }
  ::SetBkMode(dc, old_mode);
  ::SetBkColor(dc, old_back);
  ::SetTextColor(dc, old_text);
}

void TWBrowse::DrawIcons(HDC dc) {
  if (hWnd == nullptr) return;
  HDC own = nullptr;
  if (dc == nullptr) dc = own = ::GetDC(hWnd);
  RECT client = {};
  ::GetClientRect(hWnd, &client);
  {
    Brush pane(::CreateSolidBrush(nXClrPane));
    ::FillRect(dc, &client, pane.get());
  }
  const Grid grid = GridOf(client.right, client.bottom);
  icons_shown_ = 0;
  if (LogicLen() > 0) {
    // From the first record shown, as the rows would be; the selected icon is nRowPos.
    nRowPos = std::clamp(nRowPos, 1, grid.capacity());
    const int moved = Skip(1 - nRowPos);
    nRowPos = 1 - moved;
    int n = 1;
    for (;;) {
      PaintIcon(dc, n, n == nRowPos);
      icons_shown_ = n;
      if (n == grid.capacity() || Skip(1) != 1) break;
      ++n;
    }
    Skip(nRowPos - n);
    nRowPos = std::min(nRowPos, icons_shown_);
  }
  if (own != nullptr) ::ReleaseDC(hWnd, own);
}

void TWBrowse::DrawIcon(int n, bool focused) {
  if (hWnd == nullptr || n < 1 || n > icons_shown_) return;
  // The n-th icon's record is n - nRowPos records from the current one.
  const int wanted = n - nRowPos;
  const int moved = Skip(wanted);
  if (moved == wanted) {
    HDC dc = ::GetDC(hWnd);
    PaintIcon(dc, n, focused);
    ::ReleaseDC(hWnd, dc);
  }
  Skip(-moved);
}

int TWBrowse::nAtIcon(int row, int col) const {
  if (hWnd == nullptr || row < 0 || col < 0) return 0;
  const Rect client = GetClientRect(hWnd);
  const Grid grid = GridOf(client.Width(), client.Height());
  const int line = row / kStep;
  const int column = col / kStep;
  const int y = row % kStep;
  const int x = col % kStep;
  if (column >= grid.per_line || line >= grid.lines) return 0;
  if (x < kBandFirst || x > kBandLast || y < kBandFirst || y > kBandLast) return 0;
  const int n = line * grid.per_line + column + 1;
  return n <= icons_shown_ ? n : 0;
}

}  // namespace ui
