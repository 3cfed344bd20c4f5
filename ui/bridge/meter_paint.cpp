#include "ui/bridge/meter_paint.h"

#include <algorithm>

#include "ui/bridge/frame_lines.h"
#include "ui/bridge/gdi_handles.h"

namespace ui {

std::string MeterCaption(std::string_view text, int percent, bool percentage) {
  percent = std::clamp(percent, 0, 100);
  std::string caption(text.substr(0, text.find('\0')));
  if (!caption.empty()) caption += ' ';
  if (percentage) {
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

void MeterPaint(HWND hwnd, HDC dc, int percent, std::string_view text, bool percentage,
                const MeterColours& colours, HFONT font) {
  percent = std::clamp(percent, 0, 100);
  SelectionScope select(dc, font);
  const std::string caption = MeterCaption(text, percent, percentage);
  RECT client = {};
  GetClientRect(hwnd, &client);
  SIZE extent = {};
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  const int x = (client.right - client.left) / 2 - extent.cx / 2;
  const int y = (client.bottom - client.top) / 2 - extent.cy / 2;
  const int length = static_cast<int>(caption.size());

  RECT bar = {client.left + 1, client.top + 1, 0, client.bottom - 1};
  bar.right = static_cast<LONG>(static_cast<long long>(client.right - 1) * percent / 100);
  const COLORREF old_back = SetBkColor(dc, colours.bar);
  const COLORREF old_text = SetTextColor(dc, colours.bar_text);
  if (bar.right > bar.left) ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &bar, caption.c_str(), length, nullptr);

  DrawBoxLines(dc, RECT{client.left, client.top, client.right - 1, client.bottom - 1}, FrameStyle::kSunken);

  if (percent < 100) {
    // The rest starts where the bar's rectangle ends, so no column stays unpainted.
    RECT rest = {std::max(bar.right, bar.left), bar.top, client.right - 1, bar.bottom};
    SetBkColor(dc, colours.back);
    SetTextColor(dc, colours.text);
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &rest, caption.c_str(), length, nullptr);
  }
  SetBkColor(dc, old_back);
  SetTextColor(dc, old_text);
}

}  // namespace ui
