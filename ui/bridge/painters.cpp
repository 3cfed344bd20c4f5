#include "ui/bridge/painters.h"

#include <algorithm>

#include "ui/bridge/bitmaps.h"
#include "ui/bridge/gdi_handles.h"

namespace ui {
namespace {

constexpr UINT kOpaqueClipped = ETO_OPAQUE | ETO_CLIPPED;

SIZE TextSize(HDC dc, std::string_view text) {
  SIZE size = {};
  ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

void TextIn(HDC dc, int x, int y, const RECT& rect, std::string_view text) {
  ::ExtTextOutA(dc, x, y, kOpaqueClipped, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

// Keeps the DC's text and background colours and background mode for a scope.
class ColourScope {
 public:
  explicit ColourScope(HDC dc)
      : dc_(dc), text_(::GetTextColor(dc)), back_(::GetBkColor(dc)), mode_(::GetBkMode(dc)) {}
  ColourScope(const ColourScope&) = delete;
  ColourScope& operator=(const ColourScope&) = delete;
  ~ColourScope() {
    ::SetTextColor(dc_, text_);
    ::SetBkColor(dc_, back_);
    ::SetBkMode(dc_, mode_);
  }

 private:
  HDC dc_;
  COLORREF text_, back_;
  int mode_;
};

bool IsButtonShadow(COLORREF colour) { return colour == ::GetSysColor(COLOR_BTNSHADOW); }

}  // namespace

void DrawBoxLines(HDC dc, const RECT& r, FrameStyle style) {
  Pen highlight(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
  Pen shadow;
  HPEN first = nullptr;
  HPEN second = nullptr;
  HPEN black = static_cast<HPEN>(::GetStockObject(BLACK_PEN));
  switch (style) {
    case FrameStyle::kSunken:
      shadow.reset(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
      first = shadow.get();
      second = highlight.get();
      break;
    case FrameStyle::kRaised:
      shadow.reset(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
      first = highlight.get();
      second = shadow.get();
      break;
    case FrameStyle::kPressedDark:
      first = black;
      second = highlight.get();
      break;
    case FrameStyle::kRaisedDark:
      first = highlight.get();
      second = black;
      break;
  }
  HGDIOBJ previous = ::SelectObject(dc, first);
  ::MoveToEx(dc, r.left, r.bottom, nullptr);
  ::LineTo(dc, r.left, r.top);
  ::LineTo(dc, r.right, r.top);
  ::SelectObject(dc, second);
  ::MoveToEx(dc, r.left, r.bottom, nullptr);
  ::LineTo(dc, r.right, r.bottom);
  ::LineTo(dc, r.right, r.top - 1);
  ::SelectObject(dc, previous);
}

// ---- progress meter ------------------------------------------------------------------------

std::string MeterCaption(std::string_view text, bool percentage, int percent) {
  std::string caption(text);
  if (!caption.empty()) caption += ' ';
  if (percentage) {
    percent = std::clamp(percent, 0, 100);
    if (percent == 100) {
      caption += "100%";
    } else {
      caption += ' ';
      caption += percent >= 10 ? static_cast<char>('0' + percent / 10) : ' ';
      caption += static_cast<char>('0' + percent % 10);
      caption += '%';
    }
  }
  return caption;
}

void MeterPaintOn(HDC dc, const RECT& client, const MeterPaintParams& p) {
  SelectionScope font(dc, p.font);
  ColourScope colours(dc);
  const std::string caption = MeterCaption(p.text, p.percentage, p.percent);
  const SIZE extent = TextSize(dc, caption);
  const int x = client.left + (client.right - client.left) / 2 - extent.cx / 2;
  const int y = client.top + (client.bottom - client.top) / 2 - extent.cy / 2;
  const int percent = std::clamp(p.percent, 0, 100);

  RECT bar = {client.left + 1, client.top + 1, client.left + (client.right - client.left - 1) * percent / 100,
              client.bottom - 1};
  if (bar.right > bar.left) {
    ::SetBkColor(dc, p.bar);
    ::SetTextColor(dc, p.bar_text);
    TextIn(dc, x, y, bar, caption);
  }
  DrawBoxLines(dc, RECT{client.left, client.top, client.right - 1, client.bottom - 1}, FrameStyle::kSunken);
  // The rest starts where the bar ends, so no column is left unpainted between them.
  const RECT rest = {std::max(bar.right, bar.left), bar.top, client.right - 1, bar.bottom};
  if (percent < 100 && rest.right > rest.left) {
    ::SetBkColor(dc, p.back);
    ::SetTextColor(dc, p.text_colour);
    TextIn(dc, x, y, rest, caption);
  }
}

void MeterPaint(HWND window, HDC dc, const MeterPaintParams& params) {
  RECT client = {};
  ::GetClientRect(window, &client);
  MeterPaintOn(dc, client, params);
}

// ---- bitmap button face ---------------------------------------------------------------------

void PalBtnPaintOn(HDC dc, const RECT& rc, bool enabled, const BtnPaintParams& p) {
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  int dx = 0, dy = 0, x = 0, y = 0;
  HGDIOBJ old_font = nullptr;
  if (!p.prompt.empty()) {
    if (p.font != nullptr) old_font = ::SelectObject(dc, p.font);
    const SIZE s = TextSize(dc, p.prompt);
    const int centred_x = width / 2 - s.cx / 2;
    const int centred_y = height / 2 - s.cy / 2;
    switch (p.prompt_pos) {
      case PromptPos::kBelow: dy = -s.cy - 2; x = centred_x; y = height - s.cy - 4; break;
      case PromptPos::kRight: dx = -s.cx - 4; x = width - s.cx - 8; y = centred_y; break;
      case PromptPos::kAbove: dy = s.cy + 2; x = centred_x; y = 4; break;
      case PromptPos::kLeft: dx = s.cx + 4; x = 8; y = centred_y; break;
      default: x = centred_x; y = centred_y; break;
    }
    x += rc.left;
    y += rc.top;
  }

  // Draws one bitmap: centred (on a width less the arrow's when asked), or stretched to the
  // client size from (1, 1), what passes the far edges being cut off; `shift` moves a pressed
  // picture one pixel down and right.
  auto draw = [&](HBITMAP bitmap, HPALETTE palette, int shift, bool less_arrow) {
    if (bitmap == nullptr) return;
    PalDrawOptions o;
    o.change_colour = true;
    o.new_colour = p.transparent;
    if (p.adjust) {
      o.width = std::max(1, width);
      o.height = std::max(1, height);
      PalBmpDraw(dc, rc.top + 1 + shift, rc.left + 1 + shift, bitmap, palette, o);
      return;
    }
    const int face = width - (less_arrow ? 15 : 0);
    const int bx = rc.left + (face + dx) / 2 - NBmpWidth(bitmap) / 2;
    const int by = rc.top + (height + dy) / 2 - NBmpHeight(bitmap) / 2;
    PalBmpDraw(dc, by + shift, bx + shift, bitmap, palette, o);
  };
  const RECT frame = {rc.left, rc.top, rc.right - 1, rc.bottom - 1};
  const FrameStyle raised = IsButtonShadow(p.transparent) ? FrameStyle::kRaisedDark : FrameStyle::kRaised;
  const FrameStyle pressed = IsButtonShadow(p.transparent) ? FrameStyle::kPressedDark : FrameStyle::kSunken;

  if (!enabled && p.disabled != nullptr) {
    draw(p.disabled, p.disabled_palette, 0, false);
    if (p.border) DrawBoxLines(dc, frame, raised);
  } else if (p.pressed != nullptr) {
    if (p.is_pressed) {
      draw(p.pressed, p.pressed_palette, 1, false);
      DrawBoxLines(dc, frame, pressed);
    } else {
      draw(p.normal, p.normal_palette, 0, false);
      if (p.border) DrawBoxLines(dc, frame, raised);
    }
  } else if (p.is_pressed) {
    draw(p.normal, p.normal_palette, 1, p.arrow);
    DrawBoxLines(dc, frame, pressed);
  } else {
    draw(p.normal, p.normal_palette, 0, p.arrow);
    if (p.border) DrawBoxLines(dc, frame, raised);
  }

  if (!p.prompt.empty()) {
    ColourScope colours(dc);
    ::SetBkMode(dc, TRANSPARENT);
    const int k = p.is_pressed ? 1 : 0;
    if (enabled) {
      ::SetTextColor(dc, p.text);
      ::TextOutA(dc, x + k, y + k, p.prompt.data(), static_cast<int>(p.prompt.size()));
    } else {
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
      ::TextOutA(dc, x + k + 1, y + k + 1, p.prompt.data(), static_cast<int>(p.prompt.size()));
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
      ::TextOutA(dc, x + k, y + k, p.prompt.data(), static_cast<int>(p.prompt.size()));
    }
  }
  if (old_font != nullptr) ::SelectObject(dc, old_font);
}

void PalBtnPaint(HWND window, const BtnPaintParams& params) {
  WindowDC dc(window);
  if (!dc) return;
  RECT client = {};
  ::GetClientRect(window, &client);
  PalBtnPaintOn(dc.get(), client, ::IsWindowEnabled(window) != FALSE, params);
}

// ---- button bar, message bar ------------------------------------------------------------------

void BarPaintOn(HDC dc, const RECT& client, bool top_line) {
  RECT r = client;
  if (top_line) {
    Pen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    HGDIOBJ previous = ::SelectObject(dc, shadow.get());
    ::MoveToEx(dc, r.left, r.top, nullptr);
    ::LineTo(dc, r.right, r.top);
    ::SelectObject(dc, previous);
    ++r.top;
  }
  --r.right;
  --r.bottom;
  DrawBoxLines(dc, r, FrameStyle::kRaised);
  if (r.right - r.left > r.bottom - r.top) {
    DrawBoxLines(dc, RECT{r.left + 4, r.top + 2, r.left + 6, r.bottom - 2}, FrameStyle::kRaised);
    DrawBoxLines(dc, RECT{r.left + 7, r.top + 2, r.left + 9, r.bottom - 2}, FrameStyle::kRaised);
  } else {
    DrawBoxLines(dc, RECT{r.left + 2, r.top + 2, r.right - 2, r.top + 4}, FrameStyle::kRaised);
    DrawBoxLines(dc, RECT{r.left + 2, r.top + 5, r.right - 2, r.top + 7}, FrameStyle::kRaised);
  }
}

void BarPaint(HWND window, HDC dc) {
  HDC own = nullptr;
  if (dc == nullptr) dc = own = ::GetDC(window);
  if (dc == nullptr) return;
  RECT client = {};
  ::GetClientRect(window, &client);
  // Under a maximised MDI child the bar meets the child's own edge: no line on top.
  HWND parent = ::GetParent(window);
  const bool zoomed_child = parent != nullptr && (::GetWindowLongA(parent, GWL_STYLE) & WS_CHILD) != 0 &&
                            ::IsZoomed(parent);
  BarPaintOn(dc, client, !zoomed_child);
  if (own != nullptr) ::ReleaseDC(window, own);
}

void MsgPaintOn(HDC dc, const RECT& client, const MsgPaintParams& p) {
  ColourScope colours(dc);
  ::SetTextColor(dc, p.text);
  ::SetBkColor(dc, p.back == CLR_INVALID ? ::GetSysColor(COLOR_BTNFACE) : p.back);
  RECT r = {client.left + 4, client.top + 4, client.right - 4, client.bottom - 4};
  if (p.items_left != 0) r.right = p.items_left - 11;
  const std::string& text = p.message.empty() ? p.default_message : p.message;
  SelectionScope font(dc, p.font);
  if (p.centred) {
    ::ExtTextOutA(dc, 0, 0, kOpaqueClipped, &r, "", 0, nullptr);
    RECT text_rect = r;
    ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &text_rect, DT_CENTER);
  } else {
    TextIn(dc, client.left + 8, client.top + 5, r, text);
  }
  if (p.look_3d) {
    DrawBoxLines(dc, RECT{client.left, client.top, client.right - 1, client.bottom - 1}, FrameStyle::kRaised);
    if (p.inner_box) {
      const int right = p.items_left != 0 ? p.items_left - 9 : client.right - 4;
      DrawBoxLines(dc, RECT{client.left + 3, client.top + 3, right, client.bottom - 4}, FrameStyle::kSunken);
    }
  }
}

void MsgPaint(HWND window, const MsgPaintParams& params) {
  WindowDC dc(window);
  if (!dc) return;
  RECT client = {};
  ::GetClientRect(window, &client);
  MsgPaintOn(dc.get(), client, params);
}

// ---- owner-drawn list item -----------------------------------------------------------------

bool LbxDrawItem(const DRAWITEMSTRUCT& item, const LbxItemParams& p) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {
    ::DrawFocusRect(dc, &rect);
    return true;
  }
  if ((item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) != 0) {
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (focused) ::DrawFocusRect(dc, &rect);
    ColourScope colours(dc);
    if (selected) {
      ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
      ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
    }
    const int number = static_cast<int>(item.itemID) + 1;
    const std::string text = number <= static_cast<int>(p.items.size()) ? p.items[static_cast<std::size_t>(number) - 1]
                                                                        : std::string();
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    TextIn(dc, rect.left + p.bitmap_width + 3, rect.top + (rect.bottom - rect.top) / 2 - metrics.tmHeight / 2, rect,
           text);
    const int index = p.bitmap_index ? p.bitmap_index(number) : number;
    if (index >= 1 && index <= static_cast<int>(p.bitmaps.size()))
      DrawMasked(dc, p.bitmaps[static_cast<std::size_t>(index) - 1], rect.top, rect.left);
    if (focused) ::DrawFocusRect(dc, &rect);
  } else if ((item.itemAction & ODA_FOCUS) != 0) {
    // A list box straight in a dialog ("#32770": "0" sixth) draws no focus of its own here.
    char name[64] = {};
    ::GetClassNameA(::GetParent(item.hwndItem), name, sizeof name);
    if (item.CtlType == ODT_COMBOBOX || name[5] != '0') ::DrawFocusRect(dc, &rect);
  }
  return true;
}

// ---- disabled look of a screen area ----------------------------------------------------------

void GrayOutArea(HDC dc, const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (dc == nullptr || width <= 0 || height <= 0) return;
  Bitmap ink(::CreateBitmap(width, height, 1, 1, nullptr));
  MemoryDC ink_dc(dc);
  SelectionScope select(ink_dc.get(), ink.get());
  ColourScope colours(dc);
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  ::BitBlt(ink_dc.get(), 0, 0, width, height, dc, area.left, area.top, SRCCOPY);
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
  ::BitBlt(ink_dc.get(), 0, 0, width, height, dc, area.left, area.top, SRCPAINT);
  ::PatBlt(ink_dc.get(), 0, 0, width, height, DSTINVERT);

  ::SetBkColor(dc, RGB(255, 255, 255));
  ::SetTextColor(dc, RGB(0, 0, 0));
  Brush highlight(::CreateSolidBrush(::GetSysColor(COLOR_BTNHIGHLIGHT)));
  Brush shadow(::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW)));
  {
    SelectionScope brush(dc, highlight.get());
    ::BitBlt(dc, area.left + 1, area.top + 1, width, height, ink_dc.get(), 0, 0, 0xE20746);
  }
  SelectionScope brush(dc, shadow.get());
  ::BitBlt(dc, area.left, area.top, width, height, ink_dc.get(), 0, 0, 0xE20746);
}

}  // namespace ui
