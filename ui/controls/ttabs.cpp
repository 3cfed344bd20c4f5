#include "ui/controls/ttabs.h"

#include <algorithm>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "ui/controls/folder_paint.h"
#include "ui/controls/tab_layout.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kStripHeight = 18;
constexpr int kArrowsWidth = 32;
constexpr COLORREF kTabsPane = 13292503;

bool Is(const char* name) { return xb::IsFunctionRegistered(name); }

COLORREF Colour(const char* name, COLORREF fallback) {
  return Is(name) ? static_cast<COLORREF>(xb::CallFunction(name).AsInt()) : fallback;
}

std::string WithoutAmpersand(const std::string& prompt) {
  std::string text;
  for (char c : prompt)
    if (c != '&') text += c;
  return text;
}

char Lower(unsigned char c) { return static_cast<char>(xb::LowerChar(xb::CurrentCodePage(), c)); }

void Poly(HDC dc, std::initializer_list<POINT> points) {
  auto p = points.begin();
  ::MoveToEx(dc, p->x, p->y, nullptr);
  for (++p; p != points.end(); ++p) ::LineTo(dc, p->x, p->y);
}

}  // namespace

TTabs::TTabs() : TControl(Cls()) {}

void TTabs::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (oFont2) visitor.Visit(oFont2.get());
  if (oBtns) visitor.Visit(oBtns.get());
}

void TTabs::ClearValues() {
  TControl::ClearValues();
  oFont2 = nullptr;
  oBtns = nullptr;
  bAction = xb::Value();
}

void TTabs::Fonts(bool bold_first) {
  // The default dialog font: NFONTVSIZE is its width, NFONTHSIZE its height.
  TFont::Spec spec;
  spec.face = Is("CFONTNAME") ? std::string(xb::CallFunction("CFONTNAME").AsString()) : "MS Sans Serif";
  spec.width = Is("NFONTVSIZE") ? static_cast<int>(xb::CallFunction("NFONTVSIZE").AsInt()) : 0;
  spec.height = Is("NFONTHSIZE") ? static_cast<int>(xb::CallFunction("NFONTHSIZE").AsInt()) : -8;
  spec.bold = bold_first;
  SetFont(TFont::New(spec));
  spec.bold = !bold_first;
  oFont2 = TFont::New(spec);
}

TTabs& TTabs::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  aPrompts = p.prompts;
  bAction = p.action;
  nOption = p.option;
  nTop = p.pixel ? p.row : p.row * 15;
  nLeft = p.pixel ? p.col : p.col * 6;
  nBottom = nTop + p.height - 1;
  nRight = nLeft + p.width - 1;
  nStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (p.design) nStyle |= WS_CLIPSIBLINGS;
  lDrag = lDesign = p.design;
  cMsg = p.message;
  nLineStyle = Is("LCLASSIC") && xb::CallFunction("LCLASSIC").AsLogical() ? 1 : 0;
  Fonts(true);
  SetColor(p.fore.value_or(oWnd ? oWnd->nClrText : 0), kTabsPane);
  (void)p.back;  // the strip's own pane
  Register(CS_VREDRAW | CS_HREDRAW);
  // The strip shows the framework's "TABS" pattern round its tabs.
  if (oBrush) oBrush->End();
  oBrush = TBrush::New("TABS", kTabsPane);
  if (CreateOrDefine({})) Default();
  if (lDesign) CheckDots();
  return *this;
}

TTabs& TTabs::ReDefine(int id, const RedefineParams& p) {
  WindowRef parent = p.parent ? p.parent : GetWndDefault();
  oWnd = parent;
  aPrompts = p.prompts;
  bAction = p.action;
  nOption = p.option;
  nLineStyle = Is("LCLASSIC") && xb::CallFunction("LCLASSIC").AsLogical() ? 1 : 0;
  Fonts(false);
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  SetColor(p.fore.value_or(parent ? parent->nClrText : 0), nLineStyle == 0 ? kTabsPane : p.back.value_or(face));
  Register(CS_VREDRAW | CS_HREDRAW);
  Redefine(id, parent);
  return *this;
}

void TTabs::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  Default();
  if (nLineStyle == 0) SetSize(nWidth(), 22);
}

void TTabs::Measure() {
  aSizes.clear();
  for (const std::string& prompt : aPrompts)
    aSizes.push_back(PromptExtent(nullptr, WithoutAmpersand(prompt), oFont ? oFont->hFont : nullptr) +
                     (nLineStyle == 0 ? 7 * nMargen : 0));
}

void TTabs::SetPrompts(std::vector<std::string> prompts) {
  aPrompts = std::move(prompts);
  if (nFirst < 1 || nFirst > std::max(PromptCount(), 1)) nFirst = 1;
  Measure();
  Arrows(nWidth());
  if (hWnd != nullptr) Refresh();
}

void TTabs::Default() {
  TControl::Default();
  lBottom = false;
  if (nFirst < 1 || aPrompts.empty()) nFirst = 1;
  Measure();
  if (!oBtns && hWnd != nullptr) {
    oBtns = xb::MakeRef<TQZScrllBar>();
    TScrollBar::NewParams s;
    s.min = 1;
    s.max = std::max(PromptCount(), 1);
    s.vertical = false;
    s.parent = WindowRef(this);
    s.width = kArrowsWidth;
    s.height = 16;
    s.pixel = true;
    TTabs* self = this;
    s.go_up = xb::Value(xb::Block::Native([self](xb::Args&) {
      self->ScrollLeft();
      return xb::Value();
    }));
    s.go_down = xb::Value(xb::Block::Native([self](xb::Args&) {
      self->ScrollRight();
      return xb::Value();
    }));
    oBtns->New(s);
    oBtns->Hide();
  }
  Arrows(nWidth());
}

bool TTabs::ArrowsShown() const { return oBtns && oBtns->hWnd != nullptr && ::IsWindowVisible(oBtns->hWnd); }

void TTabs::Arrows(int width) {
  if (!oBtns || oBtns->hWnd == nullptr) return;
  if (StripNeedsArrows(aSizes, nMargen, width)) {
    ::MoveWindow(oBtns->hWnd, width - kArrowsWidth, 2, kArrowsWidth, 16, TRUE);
    oBtns->Show();
    return;
  }
  if (ArrowsShown() || nFirst > 1) Refresh();
  nFirst = 1;
  oBtns->Hide();
}

void TTabs::ScrollLeft() {
  nFirst = std::max(nFirst - 1, 1);
  Refresh();
}

void TTabs::ScrollRight() {
  if (lBottom) return;
  nFirst = std::min(nFirst + 1, std::max(PromptCount(), 1));
  Refresh();
}

Answer TTabs::ReSize(int type, int width, int height) {
  RECT client = {};
  if (oWnd && oWnd->hWnd != nullptr) ::GetClientRect(oWnd->hWnd, &client);
  Arrows(oWnd && oWnd->hWnd != nullptr ? client.right - client.left : width);
  return TControl::ReSize(type, width, height);
}

Answer TTabs::Display() {
  PAINTSTRUCT ps = {};
  HDC dc = ::BeginPaint(hWnd, &ps);
  Paint(dc);
  ::EndPaint(hWnd, &ps);
  return Answer::Number(0);
}

void TTabs::Paint(HDC dc) {
  if (aSizes.size() != aPrompts.size()) Measure();  // prompts put in place by C++ code
  RECT all = {};
  ::GetClientRect(hWnd, &all);
  if (oBrush && oBrush->hBrush != nullptr) ::FillRect(dc, &all, oBrush->hBrush);
  const HGDIOBJ old_pen = ::GetCurrentObject(dc, OBJ_PEN);
  const HGDIOBJ old_brush = ::GetCurrentObject(dc, OBJ_BRUSH);
  const HGDIOBJ old_font = ::GetCurrentObject(dc, OBJ_FONT);
  if (nLineStyle == 0) {
    PaintQZ(dc);
  } else {
    PaintClassic(dc);
  }
  ::SelectObject(dc, old_pen);
  ::SelectObject(dc, old_brush);
  ::SelectObject(dc, old_font);
}

void TTabs::PaintQZ(HDC dc) {
  const COLORREF back_focus = Colour("NCLRBACKFOCUS", RGB(0, 0, 128));
  const COLORREF header = Colour("NCLRBHDR", RGB(192, 192, 192));
  const COLORREF fore_focus = Colour("NCLRFOREFOCUS", RGB(255, 255, 255));
  const COLORREF text = Colour("NCLRTEXT", RGB(0, 0, 0));
  HPEN pen = ::CreatePen(PS_SOLID, 1, back_focus);
  HBRUSH selected = ::CreateSolidBrush(back_focus);
  HBRUSH other = ::CreateSolidBrush(header);
  ::SelectObject(dc, pen);
  ::SetBkMode(dc, TRANSPARENT);
  const StripLayout layout = LayOutStrip(aSizes, nFirst, nMargen, nWidth());
  lBottom = layout.last_shown;
  for (const StripTab& tab : layout.tabs) {
    const bool on = tab.index == nOption;
    const int l = tab.left, r = tab.right;
    const POINT shape[] = {{l, 1},      {l, 11},     {l + 1, 12}, {l + 1, 13}, {l + 4, 16}, {l + 5, 16},
                           {l + 6, 17}, {l + 7, 17}, {l + 8, 18}, {r - 8, 18}, {r - 7, 17}, {r - 6, 17},
                           {r - 5, 16}, {r - 4, 16}, {r - 1, 13}, {r - 1, 12}, {r, 11},     {r, 1}};
    ::SelectObject(dc, on ? selected : other);
    ::Polygon(dc, shape, static_cast<int>(std::size(shape)));
    ::SetTextColor(dc, on ? fore_focus : text);
    ::SelectObject(dc, on ? (oFont ? oFont->hFont : nullptr) : (oFont2 ? oFont2->hFont : nullptr));
    RECT area = {l, 1, r, kStripHeight};
    const std::string& prompt = aPrompts[static_cast<std::size_t>(tab.index) - 1];
    ::DrawTextA(dc, prompt.data(), static_cast<int>(prompt.size()), &area, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  }
  ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
  ::DeleteObject(pen);
  ::DeleteObject(selected);
  ::DeleteObject(other);
}

void TTabs::PaintClassic(HDC dc) {
  HPEN shadow = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
  HPEN face = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE));
  HPEN light = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT));
  HBRUSH inactive = ::CreateSolidBrush(::GetSysColor(COLOR_INACTIVECAPTION));
  const int width = nWidth();
  ::SelectObject(dc, shadow);
  Poly(dc, {{0, 0}, {width, 0}});
  ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  Poly(dc, {{0, 1}, {width, 1}});
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));
  int x = 0;
  lBottom = false;
  for (int i = std::max(nFirst, 1); i <= PromptCount(); ++i) {
    const int size = aSizes[static_cast<std::size_t>(i) - 1];
    if (x + 14 + size > width) break;
    const bool on = i == nOption;
    const bool whole = on || i == nFirst;
    std::vector<POINT> shape;
    if (whole) {
      shape = {{x, 1}, {x + 5, 15}, {x + 9 + size, 15}, {x + 14 + size, 1}};
    } else {
      shape = {{x + 2, 7}, {x + 5, 15}, {x + 9 + size, 15}, {x + 14 + size, 1}, {x + 4, 1}};
    }
    ::SelectObject(dc, on ? (oBrush ? oBrush->hBrush : ::GetStockObject(LTGRAY_BRUSH)) : inactive);
    ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Polygon(dc, shape.data(), static_cast<int>(shape.size()));
    const std::string& prompt = aPrompts[static_cast<std::size_t>(i) - 1];
    RECT area;
    if (on) {
      ::SelectObject(dc, face);
      Poly(dc, {{x + 1, 0}, {x + 14 + size, 0}});
      Poly(dc, {{x + 1, 1}, {x + 14 + size, 1}});
      ::SelectObject(dc, light);
      Poly(dc, {{x + 1, 1}, {x + 5, 14}});
      ::SelectObject(dc, shadow);
      Poly(dc, {{x + 9 + size, 14}, {x + 13 + size, 1}});
      ::SetTextColor(dc, nClrText);
      area = {x + 4, 1, x + 10 + size, 15};
    } else {
      ::SetTextColor(dc, ::GetSysColor(COLOR_INACTIVECAPTIONTEXT));
      area = {x + 3, 2, x + 11 + size, 19};
    }
    ::SelectObject(dc, on ? (oFont ? oFont->hFont : nullptr) : (oFont2 ? oFont2->hFont : nullptr));
    ::DrawTextA(dc, prompt.data(), static_cast<int>(prompt.size()), &area, DT_CENTER | DT_SINGLELINE);
    if (i == PromptCount()) lBottom = true;
    x += size + 10;
  }
  ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
  ::DeleteObject(shadow);
  ::DeleteObject(face);
  ::DeleteObject(light);
  ::DeleteObject(inactive);
}

Answer TTabs::LButtonDown(int row, int col, WPARAM keys) {
  if (lDesign) return TControl::LButtonDown(row, col, keys);
  if (row <= kStripHeight) {
    if (const int tab = StripTabAt(LayOutStrip(aSizes, nFirst, nMargen, nWidth()), col); tab != 0) SetOption(tab);
  }
  return Answer::Number(0);
}

void TTabs::SetOption(int n) {
  if (n == nOption || n < 1 || n > PromptCount()) return;
  nOption = n;
  Refresh();
  if (bAction.IsBlock()) bAction.AsBlock().Eval({xb::Value::Integer(n)});
}

int TTabs::GetHotPos(int key) const {
  const char wanted = Lower(static_cast<unsigned char>(key & 0xFF));
  for (int n = 1; n <= PromptCount(); ++n) {
    const std::string& prompt = aPrompts[static_cast<std::size_t>(n) - 1];
    const std::size_t amp = prompt.find('&');
    if (amp != std::string::npos && amp + 1 < prompt.size() &&
        Lower(static_cast<unsigned char>(prompt[amp + 1])) == wanted)
      return n;
  }
  return 0;
}

Answer TTabs::SysCommand(WPARAM wparam, LPARAM lparam) {
  if ((wparam & 0xFFF0) == SC_KEYMENU) {
    if (const int tab = GetHotPos(static_cast<int>(lparam & 0xFFFF)); tab != 0) {
      SetOption(tab);
      return Answer::Number(0);
    }
  }
  return TControl::SysCommand(wparam, lparam);
}

void TTabs::AddItem(const std::string& prompt) {
  aPrompts.push_back(prompt);
  Default();
  Refresh();
}

void TTabs::DelItem() {
  if (PromptCount() > 1) {
    aPrompts.erase(aPrompts.begin() + std::clamp(nOption, 1, PromptCount()) - 1);
    nOption = std::min(nOption, PromptCount());
  } else {
    aPrompts = {"No Defined"};
    nOption = 1;
  }
  Default();
  Refresh();
}

void TTabs::SetTabs(const std::vector<std::string>& prompts, int option) {
  aPrompts = prompts.empty() ? std::vector<std::string>{"&One", "&Two", "T&hree"} : prompts;
  nOption = option;
  Default();
  Refresh();
}

// ---- the runtime class -------------------------------------------------------------------------

namespace {

TTabs& As(xb::Object& o) { return xb::Class::Cast<TTabs>(o); }

std::vector<std::string> Texts(const xb::Value& v) {
  std::vector<std::string> texts;
  if (v.IsArray())
    for (const xb::Value& t : v.AsArray()) texts.emplace_back(t.IsString() ? t.AsString() : std::string_view());
  return texts;
}

xb::Value Strings(const std::vector<std::string>& texts) {
  xb::Array a = xb::Array::New();
  for (const std::string& t : texts) a.Append(xb::Value::String(t));
  return xb::Value(a);
}

std::optional<COLORREF> ColourArg(const xb::Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}

WindowRef WindowArg(const xb::Args& a, int n) {
  auto* w = dynamic_cast<TWindow*>(a.Obj(n).get());
  return w != nullptr ? WindowRef(w) : nullptr;
}

}  // namespace

const xb::Class& TTabs::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TTABS", &TControl::Cls());
    using T = TTabs;
    c.Data("NOPTION", &T::nOption)
        .Data("BACTION", &T::bAction)
        .Data("NLINESTYLE", &T::nLineStyle)
        .Data("NFIRST", &T::nFirst)
        .Data("NMARGEN", &T::nMargen)
        .Data("LBOTTOM", &T::lBottom);
    // New prompts are measured at once: the sizes and the prompts always go together.
    c.Property("APROMPTS", [](xb::Object& o) { return Strings(As(o).aPrompts); },
               [](xb::Object& o, const xb::Value& v) { As(o).SetPrompts(Texts(v)); });
    c.Property("APROPERTIES", [](xb::Object&) {
      return Strings({"aPrompts", "nAlign", "nClrText", "nClrPane", "nOption", "nTop", "nLeft", "nWidth", "nHeight",
                      "Cargo"});
    }, nullptr);
    c.Property("ASIZES", [](xb::Object& o) {
      xb::Array a = xb::Array::New();
      for (int s : As(o).aSizes) a.Append(xb::Value::Integer(s));
      return xb::Value(a);
    }, nullptr);
    // New(nRow, nCol, aPrompts, bAction, oWnd, nOption, nClrFore, nClrBack, lPixel, lDesign,
    //     nWidth, nHeight, cMsg)
    c.Method("NEW", [](xb::Object& o, xb::Args& a) {
      NewParams p;
      p.row = static_cast<int>(a.Int(1));
      p.col = static_cast<int>(a.Int(2));
      if (a.Arg(3).IsArray()) p.prompts = Texts(a.Arg(3));
      p.action = a.Arg(4);
      p.parent = WindowArg(a, 5);
      if (a.Arg(6).IsNumber()) p.option = static_cast<int>(a.Int(6));
      p.fore = ColourArg(a, 7);
      p.back = ColourArg(a, 8);
      p.pixel = a.Log(9);
      p.design = a.Log(10);
      if (a.Arg(11).IsNumber()) p.width = static_cast<int>(a.Int(11));
      if (a.Arg(12).IsNumber()) p.height = static_cast<int>(a.Int(12));
      p.message = std::string(a.Str(13));
      return As(o).New(p).Self();
    });
    // ReDefine(nId, aPrompts, bAction, oWnd, nOption, nClrFore, nClrBack)
    c.Method("REDEFINE", [](xb::Object& o, xb::Args& a) {
      RedefineParams p;
      if (a.Arg(2).IsArray()) p.prompts = Texts(a.Arg(2));
      p.action = a.Arg(3);
      p.parent = WindowArg(a, 4);
      if (a.Arg(5).IsNumber()) p.option = static_cast<int>(a.Int(5));
      p.fore = ColourArg(a, 6);
      p.back = ColourArg(a, 7);
      return As(o).ReDefine(static_cast<int>(a.Int(1)), p).Self();
    });
    c.Method("SETOPTION", [](xb::Object& o, xb::Args& a) {
      As(o).SetOption(static_cast<int>(a.Int(1)));
      return xb::Value();
    });
    c.Method("GETHOTPOS", [](xb::Object& o, xb::Args& a) {
      return xb::Value::Integer(As(o).GetHotPos(static_cast<int>(a.Int(1))));
    });
    c.Method("ADDITEM", [](xb::Object& o, xb::Args& a) {
      As(o).AddItem(std::string(a.Str(1)));
      return xb::Value();
    });
    c.Method("DELITEM", [](xb::Object& o, xb::Args&) {
      As(o).DelItem();
      return xb::Value();
    });
    c.Method("EDITPROMPTS", [](xb::Object& o, xb::Args&) { return xb::Value::Logical(As(o).EditPrompts()); });
    c.Method("SETTABS", [](xb::Object& o, xb::Args& a) {
      As(o).SetTabs(Texts(a.Arg(1)), a.Arg(2).IsNumber() ? static_cast<int>(a.Int(2)) : 1);
      return xb::Value();
    });
    c.Method("DEFAULT", [](xb::Object& o, xb::Args&) {
      As(o).Default();
      return xb::Value();
    });
    return c;
  }();
  return cls;
}

void RegisterTabs() {
  (void)TTabs::Cls();
  xb::RegisterFunction("TTABS", [](xb::Args&) { return xb::Value(xb::MakeRef<TTabs>()); });
}

}  // namespace ui
