// Tooltips: one pop-up window for all windows. Moving into a window with cToolTip starts a
// delay; when it passes with the pointer still there, the tip shows below the window. While
// a tip shows, moving to another window with a tip shows that one at once.
#include <algorithm>
#include <string>
#include <vector>

#include "runtime/block.h"
#include "ui/bridge/text_drawing.h"
#include "ui/core/twindow.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr COLORREF kTipPane = 14811135;  // light yellow
constexpr size_t kLineLength = 252;

struct ToolTipState {
  WindowRef tip;          // the tip window, when one shows
  UINT_PTR timer = 0;     // the delay, while it runs
  HWND owner = nullptr;   // the window last checked for a tip
  HWND parent = nullptr;  // its parent
  bool shown = false;     // a tip has been showing: the next one comes at once
  HWND closing = nullptr; // the tip window while it is being destroyed
};

ToolTipState& State() {
  static ToolTipState state;
  return state;
}

void StopTimer() {
  ToolTipState& s = State();
  if (s.timer != 0) KillTimer(nullptr, s.timer);
  s.timer = 0;
}

void CloseTip() {
  StopTimer();
  ToolTipState& s = State();
  WindowRef tip = std::move(s.tip);
  s.tip = nullptr;
  if (tip && tip->hWnd != nullptr) {
    s.closing = tip->hWnd;
    DestroyWindow(tip->hWnd);
    s.closing = nullptr;
  }
}

void CALLBACK TipDelayPassed(HWND, UINT, UINT_PTR, DWORD) {
  StopTimer();
  ToolTipState& s = State();
  POINT cursor = {};
  GetCursorPos(&cursor);
  if (s.owner == nullptr || WindowFromPoint(cursor) != s.owner) return;  // the pointer left
  if (WindowRef window = OWndFromHwnd(s.owner)) window->ShowToolTip();
}

std::vector<std::string> TipLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '\r') line.erase(0, 1);
    do {
      lines.push_back(line.substr(0, kLineLength));
      line = line.size() > kLineLength ? line.substr(kLineLength) : std::string();
    } while (!line.empty());
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

void TWindow::DestroyToolTip() {
  ToolTipState& s = State();
  if (s.tip.get() == this || (hWnd != nullptr && hWnd == s.closing)) return;  // the tip itself
  CloseTip();
  s.owner = nullptr;
  s.parent = nullptr;
}

void TWindow::CheckToolTip() {
  ToolTipState& s = State();
  const bool has_tip = cToolTip.IsBlock() || (cToolTip.IsString() && !cToolTip.AsString().empty());
  if (!has_tip) {
    if (hWnd != s.parent) {
      if (!(s.tip && s.tip->hWnd == hWnd)) s.shown = false;
      if (hWnd != s.owner) {
        CloseTip();
        s.owner = nullptr;
      }
    }
    return;
  }
  if (hWnd == s.owner) return;  // still inside the same window
  s.owner = hWnd;
  s.parent = GetParent(hWnd);
  const bool showing = s.shown || s.tip;
  CloseTip();
  if (showing) {
    ShowToolTip();
  } else {
    s.timer = SetTimer(nullptr, 0, static_cast<UINT>(nToolTip), TipDelayPassed);
  }
}

void TWindow::ShowToolTip(std::optional<int> row, std::optional<int> col,
                          std::optional<std::string> text) {
  ToolTipState& s = State();
  CloseTip();
  std::string tip_text;
  if (text) {
    tip_text = *text;
  } else if (cToolTip.IsBlock()) {
    tip_text = std::string(cToolTip.AsBlock().Eval({Self()}).AsString());
  } else {
    tip_text = std::string(cToolTip.AsString());
  }
  if (tip_text.empty()) return;
  POINT at = {col.value_or(7), row.value_or(nHeight() + 7)};
  ClientToScreen(hWnd, &at);

  TFont::Spec spec;
  spec.face = GetSysFont();
  spec.height = -8;
  xb::Ref<TFont> font = TFont::New(spec);
  const std::vector<std::string> lines = TipLines(tip_text);
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, GetTextWidth(nullptr, line, font->hFont));
  const int line_height = std::max(14, NWndChrHeight(nullptr, font->hFont) - 2);
  const int width = widest + 7;
  const int height = static_cast<int>(lines.size()) * line_height + 4;
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  if (at.x + width > screen_width - 3) at.x = screen_width - 3 - width;

  // The tip is a window of its own, but not the one new controls go to.
  const WindowRef default_window = GetWndDefault();
  auto tip = xb::MakeRef<TWindow>();
  NewParams p;
  p.top = at.y;
  p.left = at.x;
  p.bottom = at.y + height - 1;
  p.right = at.x + width - 1;
  p.style = WS_POPUP | WS_BORDER;
  p.clr_text = 0;
  p.clr_pane = kTipPane;
  p.pixel = true;
  tip->New(p);
  SetWndDefault(default_window);
  if (tip->hWnd == nullptr) {
    font->End();
    return;
  }
  tip->SetFont(font);
  font->End();  // the tip holds its own use
  tip->bPainted = xb::Value(xb::Block::Native([lines, line_height, tip_font = font->hFont](xb::Args& a) {
    auto dc = reinterpret_cast<HDC>(a.Int(1));
    ui::SayStyle style;
    style.fore = 0;
    style.font = tip_font;
    style.pixels = true;
    style.transparent = true;
    for (size_t i = 0; i < lines.size(); ++i) {
      WSay(nullptr, dc, static_cast<int>(i) * line_height, 2, lines[i], style);
    }
    return xb::Value();
  }));
  ShowWindow(tip->hWnd, SW_SHOWNOACTIVATE);
  UpdateWindow(tip->hWnd);
  s.tip = tip;
  s.shown = true;
}

}  // namespace ui
