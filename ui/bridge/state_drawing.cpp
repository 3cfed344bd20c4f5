#include "ui/bridge/state_drawing.h"

#include <cstdint>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "ui/bridge/gdi_handles.h"

namespace ui {

bool DrawStateBitmap(HDC dc, HBRUSH brush, HBITMAP bitmap, int col, int row, int width, int height, UINT flags) {
  return DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, col, row, width, height,
                    DST_BITMAP | flags) != FALSE;
}

bool DrawStateString(HDC dc, HBRUSH brush, const std::string& text, int col, int row, int width, int height,
                     UINT flags) {
  // Without the DST_PREFIXTEXT bit the text is plain text.
  const UINT kind = (flags & DST_PREFIXTEXT) != 0 ? 0 : DST_TEXT;
  return DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(text.c_str()), static_cast<WPARAM>(text.size()),
                    col, row, width, height, kind | flags) != FALSE;
}

void DrawMsgItem(HDC dc, const std::string& text, const Rect& rect, std::optional<COLORREF> text_colour,
                 std::optional<COLORREF> back_colour, HFONT font) {
  SelectionScope select(dc, font);
  const COLORREF old_text = SetTextColor(dc, text_colour.value_or(RGB(0, 0, 0)));
  const COLORREF old_back = SetBkColor(dc, back_colour.value_or(RGB(192, 192, 192)));
  RECT r = {rect.left, rect.top, rect.right, rect.bottom};
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER);
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_back);
}

int WinExec(const std::string& command_line, int show) {
  return static_cast<int>(::WinExec(command_line.c_str(), static_cast<UINT>(show)));
}

void RegisterStateDrawing() {
  using xb::Args;
  using xb::Value;
  auto H = [](const Args& a, int n) { return static_cast<std::intptr_t>(a.Int(n)); };
  auto I = [](const Args& a, int n) { return static_cast<int>(a.Int(n)); };
  xb::RegisterFunction("DRAWSTATE", [H, I](Args& a) {
    return Value::Logical(DrawStateBitmap(reinterpret_cast<HDC>(H(a, 1)), reinterpret_cast<HBRUSH>(H(a, 2)),
                                          reinterpret_cast<HBITMAP>(H(a, 3)), I(a, 4), I(a, 5), I(a, 6), I(a, 7),
                                          static_cast<UINT>(a.Int(8))));
  });
  xb::RegisterFunction("DRAWSTATESTRING", [H, I](Args& a) {
    return Value::Logical(DrawStateString(reinterpret_cast<HDC>(H(a, 1)), reinterpret_cast<HBRUSH>(H(a, 2)),
                                          std::string(a.Str(3)), I(a, 4), I(a, 5), I(a, 6), I(a, 7),
                                          static_cast<UINT>(a.Int(8))));
  });
  xb::RegisterFunction("DRAWMSGITEM", [H](Args& a) {
    const xb::Array r = a.Arr(3);
    auto at = [&](size_t i) { return r ? static_cast<int>(r.Get(i).AsInt()) : 0; };
    std::optional<COLORREF> text, back;
    if (!a.IsNil(4)) text = static_cast<COLORREF>(a.Int(4));
    if (!a.IsNil(5)) back = static_cast<COLORREF>(a.Int(5));
    DrawMsgItem(reinterpret_cast<HDC>(H(a, 1)), std::string(a.Str(2)), Rect{at(0), at(1), at(2), at(3)}, text,
                back, reinterpret_cast<HFONT>(H(a, 6)));
    return Value();
  });
  xb::RegisterFunction("WINEXEC", [](Args& a) {
    return Value::Integer(WinExec(std::string(a.Str(1)), a.IsNil(2) ? SW_SHOWNORMAL : static_cast<int>(a.Int(2))));
  });
}

}  // namespace ui
