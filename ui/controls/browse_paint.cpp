#include "ui/controls/browse_paint.h"

#include <algorithm>
#include <string>

#include "runtime/array.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/drawing.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/image_strip.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

int TextHeight(HDC dc, HFONT font) {
  SelectionScope select(dc, font);
  TEXTMETRICA metrics = {};
  ::GetTextMetricsA(dc, &metrics);
  return metrics.tmHeight;
}

// {slot, width, height}: a picture of the image strip.
std::optional<StripImage> StripImageOf(const xb::Value& value) {
  if (!value.IsArray()) return std::nullopt;
  const xb::Array a = value.AsArray();
  if (a.size() < 3 || !a.Get(0).IsNumber() || !a.Get(1).IsNumber() || !a.Get(2).IsNumber()) return std::nullopt;
  return StripImage{static_cast<int>(a.Get(0).AsInt()), static_cast<int>(a.Get(1).AsInt()),
                    static_cast<int>(a.Get(2).AsInt())};
}

}  // namespace

int BrowseRowHeight(HWND hwnd, HFONT font, int extra) {
  WindowDC dc(hwnd);
  return TextHeight(dc.get(), font) + extra + 1;
}

int NWRow(HWND hwnd, HFONT font, int pixel_row, int extra) {
  const int height = BrowseRowHeight(hwnd, font, extra);
  return height > 0 ? static_cast<short>((pixel_row - GetClientRect(hwnd).top) / height) : 0;
}

int NWRows(HWND hwnd, HFONT font, int extra) {
  const int height = BrowseRowHeight(hwnd, font, extra);
  return height > 0 ? GetClientRect(hwnd).Height() / height : 0;
}

std::optional<Rect> ABrwPosRect(HWND hwnd, int row, const std::vector<int>& widths, int first_column, int column,
                                HFONT font, int extra) {
  const int count = static_cast<int>(widths.size());
  if (column < 1 || column > count) return std::nullopt;
  const Rect window = GetWndRect(hwnd);
  const int height = BrowseRowHeight(hwnd, font, extra);
  Rect cell;
  cell.top = window.top + row * height;
  cell.bottom = cell.top + height;
  int right = window.left;
  int left = window.left;
  for (int c = std::max(first_column, 1); c <= column; ++c) {
    left = right;
    right = c == count ? window.right : left + widths[static_cast<std::size_t>(c) - 1];
    if (right >= window.right) {
      right = window.right;
      break;
    }
  }
  cell.left = left;
  cell.right = right >= window.right ? window.right - 18 : right;
  return cell;
}

void ScrollWindowRows(HWND hwnd, int dy, const Rect& clip) {
  const RECT area = clip.ToRECT();
  ::ScrollWindowEx(hwnd, 0, dy, nullptr, &area, nullptr, nullptr, SW_ERASE | SW_INVALIDATE);
}

void WndBoxQz(HDC dc, int top, int left, int bottom, int right, HPEN pen) {
  HGDIOBJ previous = pen != nullptr ? ::SelectObject(dc, pen) : nullptr;
  ::MoveToEx(dc, left, bottom, nullptr);
  ::LineTo(dc, left, top);
  ::LineTo(dc, right, top);
  ::MoveToEx(dc, left, bottom, nullptr);
  ::LineTo(dc, right, bottom);
  ::LineTo(dc, right, top - 1);
  if (previous != nullptr) ::SelectObject(dc, previous);
}

namespace {

void PaintRowOn(HWND hwnd, HDC dc, const BrowseRow& r, ImageStrip& strip, const std::function<void()>& after) {
  const int extra = r.tree ? 0 : r.extra;
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  // A browse's paint selects its font once for all its rows.
  SelectionScope font(dc, r.font != nullptr && ::GetCurrentObject(dc, OBJ_FONT) != r.font ? r.font : nullptr);
  TEXTMETRICA metrics = {};
  ::GetTextMetricsA(dc, &metrics);
  const int height = metrics.tmHeight + extra + 1;
  // Blanks over a transparent ground draw nothing, unless the font underlines or strikes them.
  const bool blanks_show = metrics.tmUnderlined || metrics.tmStruckOut;
  Pen grid(::CreatePen(PS_SOLID, 1, r.line_colour.value_or(::GetSysColor(COLOR_BTNSHADOW))));
  const COLORREF old_text = ::SetTextColor(dc, r.text);
  const COLORREF old_back = ::SetBkColor(dc, r.pane);
  const int old_mode = ::SetBkMode(dc, TRANSPARENT);

  const int top = height * r.row;
  const int bottom = top + height;
  Brush pane(::CreateSolidBrush(r.pane));
  if (!r.active_cell_only) {
    RECT band = {client.left, top, client.right, bottom};
    ::FillRect(dc, &band, pane.get());
  }

  // DT_NOPREFIX: an "&" in a name is a character, not an accelerator mark.
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  if (r.row == 0) format |= DT_WORD_ELLIPSIS;
  const int last = static_cast<int>(r.values.size());
  int previous_right = -1;
  for (int c = std::max(r.first_column, 1); c <= last; ++c) {
    const int left = previous_right + 1;
    if (left > client.right) break;
    const int width = c <= static_cast<int>(r.widths.size()) ? r.widths[static_cast<std::size_t>(c) - 1] : 0;
    int right = std::min(left + width - 1, static_cast<int>(client.right));
    if (c == last) right = client.right;
    previous_right = right;
    if (r.active_cell_only && c == r.active_column) {
      RECT cell = {left, top, right + 1, bottom};
      ::FillRect(dc, &cell, pane.get());
    }

    const xb::Value& value = r.values[static_cast<std::size_t>(c) - 1];
    if (const auto image = StripImageOf(value)) {
      strip.DrawCell(dc, *image, RECT{left, top, right + 1, bottom});
    } else if (r.tree && value.IsNumber()) {
      DrawMasked(dc, reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(value.AsInt())), top, left);
    } else {
      const std::string text = CValToChar(value);
      if (blanks_show || text.find_first_not_of(' ') != std::string::npos) {
        const bool align_right = c <= static_cast<int>(r.right_aligned.size()) && r.right_aligned[static_cast<std::size_t>(c) - 1];
        RECT area = {left + 2, top, right - 2, bottom};
        ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &area, format | (align_right ? DT_RIGHT : 0));
      }
    }

    if (r.tree) continue;
    // Rows and cells share their grid lines: each draws its own bottom row and right column
    // and the line above and left of it, which its neighbours draw alike.
    if (r.row == 0) {
      WndBoxQz(dc, top - 1, left - 1, bottom - 1, right, grid.get());
      WndBoxRaised(dc, top, left, bottom - 2, right - 1);
    } else if (r.line_style == kLineSolid) {
      WndBoxQz(dc, top - 1, left - 1, bottom - 1, right, grid.get());
    } else if (r.line_style == kLineDotted) {
      ::SetTextColor(dc, RGB(0, 0, 0));  // the dots' colour
      FrameDot(dc, top - 1, left - 1, bottom - 1, right);
      ::SetTextColor(dc, r.text);
    }
  }
  if (after) after();

  ::SetTextColor(dc, old_text);
  ::SetBkColor(dc, old_back);
  ::SetBkMode(dc, old_mode);
}

}  // namespace

void PaintBrowseRow(HWND hwnd, HDC dc, const BrowseRow& row, ImageStrip& strip, const std::function<void()>& after) {
  if (dc != nullptr) {
    PaintRowOn(hwnd, dc, row, strip, after);
    return;
  }
  WindowDC own(hwnd);
  if (own) PaintRowOn(hwnd, own.get(), row, strip, after);
}

}  // namespace ui
