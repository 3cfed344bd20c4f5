#include "ui/controls/cell_paint.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "runtime/function_table.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

int TextHeight(HDC dc) {
  TEXTMETRICA metrics = {};
  ::GetTextMetricsA(dc, &metrics);
  return metrics.tmHeight;
}

// A window's DC for the scope of a call, or the one given.
class CellDC {
 public:
  CellDC(HWND hwnd, HDC given) : hwnd_(hwnd), dc_(given) {
    if (dc_ == nullptr && hwnd_ != nullptr) {
      dc_ = ::GetDC(hwnd_);
      owned_ = true;
    }
  }
  CellDC(const CellDC&) = delete;
  CellDC& operator=(const CellDC&) = delete;
  ~CellDC() {
    if (owned_) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
  bool owned_ = false;
};

void Line(HDC dc, HPEN pen, std::initializer_list<POINT> points) {
  SelectionScope select(dc, pen);
  const POINT* p = points.begin();
  ::MoveToEx(dc, p->x, p->y, nullptr);
  for (++p; p != points.end(); ++p) ::LineTo(dc, p->x, p->y);
}

// A picture of the strip, centred in the content area when it fits and cut to it when not;
// its background (the colour of its top-left pixel, where joined to it) takes the cell's.
void DrawStripCell(HDC dc, HBITMAP strip, const xb::Array& ref, const RECT& content, int top, COLORREF back) {
  if (strip == nullptr) return;
  const int slot = static_cast<int>(ref.Get(0).AsInt());
  const int w = static_cast<int>(ref.Get(1).AsInt());
  const int h = static_cast<int>(ref.Get(2).AsInt());
  if (slot < 1 || w <= 0 || h <= 0) return;
  const int cw = content.right - content.left;
  const int ch = content.bottom - content.top;
  const int target_top = ch < h ? top : top + (ch / 2 - h / 2);
  const int target_left = w < cw ? content.left + (cw / 2 - w / 2) : content.left;
  const int drawn_w = cw < w ? cw + 1 : w;
  const int drawn_h = ch < h ? ch + 1 : h;

  MemoryDC from(dc);
  SelectionScope from_strip(from.get(), strip);
  MemoryDC scratch(dc);
  Bitmap picture(::CreateCompatibleBitmap(dc, w, h));
  SelectionScope into(scratch.get(), picture.get());
  ::BitBlt(scratch.get(), 0, 0, w, h, from.get(), (slot - 1) * 32 + 1, 0, SRCCOPY);
  {
    Brush fill(::CreateSolidBrush(back));
    SelectionScope brush(scratch.get(), fill.get());
    ::ExtFloodFill(scratch.get(), 0, 0, ::GetPixel(scratch.get(), 0, 0), FLOODFILLSURFACE);
  }
  // Cut, never stretched: a picture larger than the cell shows its top-left part.
  ::BitBlt(dc, target_left - 1, target_top, drawn_w, std::max(drawn_h - 1, 0), scratch.get(), 0, 0, SRCCOPY);
}

}  // namespace

int TcRowHeight(HWND hwnd, HFONT font, int h_line) {
  WindowDC dc(hwnd);
  SelectionScope select(dc.get(), font);
  return TextHeight(dc.get()) + h_line + 1;
}

int NTcWRow(HWND hwnd, int pixel_row, HFONT font, int h_line) {
  const int height = TcRowHeight(hwnd, font, h_line);
  if (height <= 0) return 0;
  const int from_top = pixel_row - GetClientRect(hwnd).top;
  // Signed, and rounded down: a point above the client area is above the header.
  return from_top >= 0 ? from_top / height : -((-from_top + height - 1) / height);
}

Rect ATcBrwPosRect(HWND hwnd, int row, int x, int width, HFONT font, int h_line) {
  const Rect window = GetWndRect(hwnd);
  const int height = TcRowHeight(hwnd, font, h_line);
  Rect r;
  r.top = window.top + 1 + row * height;
  r.bottom = r.top + height;
  r.left = window.left + x;
  r.right = r.left + width >= window.right ? window.right - 18 : r.left + width;
  return r;
}

void TcScrollRows(HWND hwnd, int rows, HFONT font, int h_line, int rows_shown) {
  const int height = TcRowHeight(hwnd, font, h_line);
  if (height <= 0 || rows_shown <= 0) return;
  const Rect client = GetClientRect(hwnd);
  RECT area = {client.left, client.top + height, client.right, client.top + height * (rows_shown + 1)};
  ::ScrollWindowEx(hwnd, 0, -(rows * height), &area, &area, nullptr, nullptr, 0);
}

void TcDrawCell(const CellPaint& c) {
  CellDC own(c.hwnd, c.dc);
  HDC dc = own.get();
  if (dc == nullptr) return;
  SelectionScope font(dc, c.font);
  const Rect client = GetClientRect(c.hwnd);
  const int h = TextHeight(dc) + c.h_line + 1;
  const COLORREF old_text = ::SetTextColor(dc, c.fore);
  const COLORREF old_back = ::SetBkColor(dc, c.back);

  Pen shadow, light;
  if (c.line_style == kCellRaised) {
    shadow.reset(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    light.reset(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
  }
  HPEN black = static_cast<HPEN>(::GetStockObject(BLACK_PEN));

  const int t = c.row * h;
  int left = c.x;
  int right = client.right;
  int top = t;
  int bottom = t + h - 1;
  const bool fits = t + h <= client.bottom && c.x <= client.right;
  if (fits) {
    const int end = c.width == -1 || c.x + c.width > client.right ? client.right : c.x + c.width;
    RECT band = {c.x, t, end + 2, t + h};
    ::ExtTextOutA(dc, c.x, t + 1, ETO_OPAQUE | ETO_CLIPPED, &band, "", 0, nullptr);
    RECT content = {c.x + 2, c.row == 0 ? t : t + 1, end - 2, t + h};
    if (c.bitmap_mode == 0) {
      const std::string text = c.value.IsString() ? std::string(c.value.AsString()) : CValToChar(c.value);
      ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &content,
                  static_cast<UINT>(c.align) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    } else if (c.value.IsArray() && c.value.AsArray().size() >= 3) {
      DrawStripCell(dc, c.strip, c.value.AsArray(), content, t, c.back);
    } else if (c.value.IsNumber()) {
      Brush fill(::CreateSolidBrush(c.back));
      ::FillRect(dc, &content, fill.get());
      DrawMasked(dc, reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(c.value.AsInt())), content.top,
                 content.left);
    }
    // The grid rectangle.
    right = end - 1;
    if (c.line_style != kCellNoGrid && c.line_style != kCellRaised) {
      bottom = t + h;
      if (c.x > 0) left = c.x - 1;
    }
    switch (c.line_style) {
      case kCellNoGrid:
        break;
      case kCellRaised:
        Line(dc, shadow.get(), {{left, bottom}, {right, bottom}, {right, top - 1}});
        Line(dc, light.get(), {{right, top}, {left, top}, {left, bottom}});
        break;
      case kCellDotted:
        FrameDot(dc, top, left, bottom, right);
        break;
      default:
        Line(dc, black, {{left, bottom}, {right, bottom}, {right, top}, {left, top}, {left, bottom}});
        break;
    }
  } else {
    left = client.left;
    top = client.top;
    bottom = client.bottom;
    right = client.right;
  }
  // The header is always framed in black.
  if (c.row == 0) Line(dc, black, {{left - 1, bottom}, {right, bottom}, {right, top - 1}, {left - 1, top - 1}, {left - 1, bottom}});

  ::SetTextColor(dc, old_text);
  ::SetBkColor(dc, old_back);
}

// ---- by name ---------------------------------------------------------------------------------------

void RegisterCellPainter() {
  using xb::Args;
  using xb::Value;
  auto handle = [](const Args& a, int n) { return static_cast<std::intptr_t>(a.Int(n)); };
  xb::RegisterFunction("TCDRAWCELL", [handle](Args& a) {
    CellPaint c;
    c.hwnd = reinterpret_cast<HWND>(handle(a, 1));
    c.dc = reinterpret_cast<HDC>(handle(a, 2));
    c.row = static_cast<int>(a.Int(3));
    c.x = static_cast<int>(a.Int(4));
    c.width = a.IsNil(5) ? -1 : static_cast<int>(a.Int(5));
    c.value = a.Arg(6);
    c.align = static_cast<int>(a.Int(7));
    if (a.Count() >= 8) c.fore = static_cast<COLORREF>(a.Int(8));
    if (a.Count() >= 9 && !a.IsNil(9)) c.back = static_cast<COLORREF>(a.Int(9));
    c.font = reinterpret_cast<HFONT>(handle(a, 10));
    c.bitmap_mode = static_cast<int>(a.Int(11));
    c.line_style = static_cast<int>(a.Int(13));
    c.h_line = static_cast<int>(a.Int(14));
    c.strip = reinterpret_cast<HBITMAP>(handle(a, 15));
    TcDrawCell(c);
    return Value();
  });
  xb::RegisterFunction("ATCBRWPOSRECT", [handle](Args& a) {
    const Rect r = ATcBrwPosRect(reinterpret_cast<HWND>(handle(a, 1)), static_cast<int>(a.Int(2)),
                                 static_cast<int>(a.Int(3)), static_cast<int>(a.Int(4)),
                                 reinterpret_cast<HFONT>(handle(a, 5)), static_cast<int>(a.Int(6)));
    return Value(xb::Array::Of({Value::Integer(r.top), Value::Integer(r.left), Value::Integer(r.bottom),
                                Value::Integer(r.right)}));
  });
  // NTCWROW(hWnd, hDC, nPixelRow, hFont, nHLine)
  xb::RegisterFunction("NTCWROW", [handle](Args& a) {
    return Value::Integer(NTcWRow(reinterpret_cast<HWND>(handle(a, 1)), static_cast<int>(a.Int(3)),
                                  reinterpret_cast<HFONT>(handle(a, 4)), static_cast<int>(a.Int(5))));
  });
}

}  // namespace ui
