#include "ui/controls/folder_paint.h"

#include <cstdint>

#include "runtime/function_table.h"
#include "ui/bridge/gdi_handles.h"

namespace ui {
namespace {

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  ::MoveToEx(dc, x1, y1, nullptr);
  ::LineTo(dc, x2, y2);
}

void Poly(HDC dc, std::initializer_list<POINT> points) {
  auto p = points.begin();
  ::MoveToEx(dc, p->x, p->y, nullptr);
  for (++p; p != points.end(); ++p) ::LineTo(dc, p->x, p->y);
}

// Pens of one paint: shadow, highlight and the stock black one, selected as asked; the DC's
// own pen goes back at the end.
class Pens {
 public:
  explicit Pens(HDC dc)
      : dc_(dc),
        shadow_(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW))),
        light_(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT))),
        previous_(::SelectObject(dc, ::GetStockObject(BLACK_PEN))) {}
  ~Pens() { ::SelectObject(dc_, previous_); }
  Pens(const Pens&) = delete;
  Pens& operator=(const Pens&) = delete;
  void Black() { ::SelectObject(dc_, ::GetStockObject(BLACK_PEN)); }
  void Shadow() { ::SelectObject(dc_, shadow_.get()); }
  void Light() { ::SelectObject(dc_, light_.get()); }

 private:
  HDC dc_;
  Pen shadow_, light_;
  HGDIOBJ previous_;
};

void PageFrame(HDC dc, Pens& pens, const FolderLook& look, int w, int h) {
  const int f = look.strip_height;
  pens.Black();
  Line(dc, 0, h - 1, w, h - 1);
  Line(dc, w - 1, h - 1, w - 1, f - 1);
  pens.Shadow();
  Line(dc, 1, h - 2, w - 1, h - 2);
  Line(dc, w - 2, h - 2, w - 2, f);
  if (!look.win95) {
    Line(dc, 2, h - 3, w - 2, h - 3);
    Line(dc, w - 3, h - 3, w - 3, f + 1);
    pens.Black();
    Line(dc, 0, h - 1, 0, 5);
    pens.Light();
    Line(dc, 1, h - 2, 1, 5);
    Line(dc, 2, h - 3, 2, f + 1);
  } else {
    pens.Light();
    Line(dc, 0, h - 1, 0, look.option == 1 ? 2 : 4);
  }
}

void ClassicTab(HDC dc, Pens& pens, int x, int w, int f, bool selected) {
  pens.Black();
  Poly(dc, {{x, f - 1}, {x, 4}, {x + 4, 0}, {x + w - 3, 0}, {x + w + 1, 4}, {x + w + 1, f}});
  pens.Light();
  Poly(dc, {{x + 1, f - 1}, {x + 1, 4}, {x + 4, 1}, {x + w - 2, 1}});
  pens.Shadow();
  Poly(dc, {{x + w - 2, 2}, {x + w, 4}, {x + w, f + 1}});
  if (selected) {
    pens.Light();
    Poly(dc, {{x + 2, f + 1}, {x + 2, 4}, {x + 3, 2}, {x + w - 3, 2}});
    pens.Shadow();
    Poly(dc, {{x + w - 3, 2}, {x + w - 1, 4}, {x + w - 1, f + 2}});
    return;
  }
  pens.Black();
  Line(dc, x, f - 1, x + w + 1, f - 1);
  pens.Light();
  Line(dc, x - 1, f, x + w + 1, f);
  Line(dc, x - 1, f + 1, x + w + 1, f + 1);
}

void Win95Tab(HDC dc, Pens& pens, int x, int w, int f, bool selected, bool left_selected, bool right_selected,
              bool first, bool last) {
  const int t = selected ? 1 : 3;
  pens.Light();
  if (!left_selected) Poly(dc, {{x, f - 1}, {x, t + 2}, {x + 2, t}});
  Line(dc, left_selected ? x : x + 2, t, right_selected ? x + w + 1 : x + w - 1, t);
  if (!right_selected) {
    pens.Black();
    Poly(dc, {{x + w - 1, t + 1}, {x + w, t + 2}, {x + w, f + 1}});
    pens.Shadow();
    Line(dc, x + w - 1, t + 2, x + w - 1, f);
  }
  if (selected) {
    pens.Shadow();
    Line(dc, x + w - 1, 3, x + w - 1, f + 1);
    return;
  }
  pens.Light();
  Line(dc, first ? x + 1 : x - 1, f, last ? x + w - 1 : x + w + 2, f);
}

bool Enabled(const FolderLook& look, std::size_t i) { return i >= look.enabled.size() || look.enabled[i]; }

}  // namespace

int PromptExtent(HDC dc, const std::string& prompt, HFONT font) {
  const bool own = dc == nullptr;
  if (own) dc = ::GetDC(nullptr);
  SIZE size = {};
  {
    SelectionScope select(dc, font);
    ::GetTextExtentPoint32A(dc, prompt.data(), static_cast<int>(prompt.size()), &size);
  }
  if (own) ::ReleaseDC(nullptr, dc);
  return size.cx;
}

void FoldPaint(HWND hwnd, HDC dc, const FolderLook& look) {
  RECT window = {};
  ::GetWindowRect(hwnd, &window);
  const int w = window.right - window.left;
  const int h = window.bottom - window.top;
  const int n = static_cast<int>(look.prompts.size());
  if (n == 0 || w <= 0 || dc == nullptr) return;
  const int f = look.strip_height;

  const HGDIOBJ old_font = ::SelectObject(dc, look.font != nullptr ? look.font : ::GetCurrentObject(dc, OBJ_FONT));
  const COLORREF old_text = ::GetTextColor(dc);
  const COLORREF old_back = ::GetBkColor(dc);
  {
    Pens pens(dc);
    PageFrame(dc, pens, look, w, h);

    int x = 0;
    int tab_w = look.win95 ? PromptExtent(dc, look.prompts[0], look.font) + 12 : (look.tab_size != 0 ? look.tab_size : w / n);
    for (int i = 1; i <= n; ++i) {
      if (i > 1 && look.win95) tab_w = PromptExtent(dc, look.prompts[static_cast<std::size_t>(i) - 1], look.font) + 12;
      if (w < x + tab_w + 2) tab_w = w - x - 2;  // the tab that does not fit is cut
      if (tab_w < 1) break;
      const bool selected = i == look.option;
      if (look.win95) {
        Win95Tab(dc, pens, x, tab_w, f, selected, i - 1 == look.option, i + 1 == look.option, i == 1, i == n);
      } else {
        ClassicTab(dc, pens, x, tab_w, f, selected);
      }

      const std::string& prompt = look.prompts[static_cast<std::size_t>(i) - 1];
      RECT area = {x + 6, 5, x + tab_w - 2, f - 3};
      if (look.win95) area = {x + 3, selected ? 5 : 7, x + tab_w - 2, selected ? f - 3 : f - 1};
      ::SetTextColor(dc, Enabled(look, static_cast<std::size_t>(i) - 1) ? RGB(0, 0, 0) : kDisabledTabText);
      ::SetBkColor(dc, look.pane);
      ::SelectObject(dc, !look.win95 && selected && look.bold != nullptr ? look.bold : (look.font != nullptr ? look.font : old_font));
      ::DrawTextA(dc, prompt.data(), static_cast<int>(prompt.size()), &area, DT_CENTER);
      x += tab_w + 1;
    }

    // The page's top edge runs on to the right.
    pens.Light();
    if (!look.win95) {
      Line(dc, x - 1, f, w - 2, f);
      Line(dc, x - 2, f + 1, w - 3, f + 1);
      pens.Black();
      Line(dc, x, f - 1, w, f - 1);
    } else {
      Line(dc, look.option == n ? x - 1 : x - 2, f, w - 2, f);
    }
  }
  ::SelectObject(dc, old_font);
  ::SetTextColor(dc, old_text);
  ::SetBkColor(dc, old_back);
}

void RegisterFolderPaint() {
  xb::RegisterFunction("FOLDPAINT", [](xb::Args& a) {
    auto handle = [&a](int n) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(a.Int(n))); };
    FolderLook look;
    if (const xb::Array prompts = a.Arr(3)) {
      for (const xb::Value& p : prompts) look.prompts.emplace_back(p.IsString() ? p.AsString() : std::string_view());
    }
    if (const xb::Array enabled = a.Arr(8)) {
      for (const xb::Value& e : enabled) look.enabled.push_back(!e.IsLogical() || e.AsLogical());
    }
    look.font = static_cast<HFONT>(handle(4));
    look.bold = static_cast<HFONT>(handle(5));
    look.pane = static_cast<COLORREF>(a.Int(6));
    look.option = static_cast<int>(a.Int(7));
    look.tab_size = static_cast<int>(a.Int(9));
    look.win95 = a.Log(10);
    look.strip_height = a.IsNil(11) ? 22 : static_cast<int>(a.Int(11));
    FoldPaint(static_cast<HWND>(handle(1)), static_cast<HDC>(handle(2)), look);
    return xb::Value();
  });
}

}  // namespace ui
