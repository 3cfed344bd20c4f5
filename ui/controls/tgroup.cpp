#include "ui/controls/tgroup.h"

#include "runtime/function_table.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

}  // namespace

TGroup::TGroup() : TControl(Cls()) {}

void TGroup::TakeCaption(const Value& caption) {
  if (caption.IsBlock()) {
    bGet = caption;
    cCaption = CValToChar(caption.AsBlock().Eval());
  } else if (!caption.IsNil()) {
    cCaption = CValToChar(caption);
  }
}

TGroup& TGroup::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  nTop = p.pixel ? p.top : p.top * 14;
  nLeft = p.pixel ? p.left : p.left * 7;
  nBottom = p.pixel ? p.bottom : p.bottom * 14;
  nRight = p.pixel ? p.right : p.right * 7;
  TakeCaption(p.caption);
  lDesign = p.design;
  if (p.clr_pane) SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), *p.clr_pane);
  else if (oWnd) SetColor(oWnd->nClrText, oWnd->nClrPane);
  nStyle = WS_CHILD | WS_VISIBLE | BS_GROUPBOX | (p.design ? WS_TABSTOP | WS_CLIPSIBLINGS : 0);
  Register();
  if (CreateOrDefine("BUTTON")) GetFont();
  if (lDesign) CheckDots();
  return *this;
}

TGroup& TGroup::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  nId = p.id != 0 ? p.id : GetNewId();
  TakeCaption(p.caption);
  hWnd = nullptr;
  lUpdate = false;
  if (p.clr_pane) SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), *p.clr_pane);
  else if (oWnd) SetColor(oWnd->nClrText, oWnd->nClrPane);
  Redefine(nId, oWnd);
  return *this;
}

void TGroup::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  if (cCaption.empty()) cCaption = GetText();
  else SetText(cCaption);
}

Answer TGroup::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  // The button's own hit test lets the mouse through a group box; designed, it takes it.
  if (lDesign && message == WM_NCHITTEST) return Answer::Number(DefWindowProcA(hWnd, message, wparam, lparam));
  return TControl::HandleEvent(message, wparam, lparam);
}

void TGroup::Refresh(bool erase) {
  if (bGet.IsBlock()) {
    cCaption = CValToChar(bGet.AsBlock().Eval());
    if (hWnd != nullptr) SetText(cCaption);
  }
  TControl::Refresh(erase);
}

const xb::Class& TGroup::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TGROUP", &TControl::Cls());
    auto self = [](Object& o) -> TGroup& { return xb::Class::Cast<TGroup>(o); };
    auto window = [](const Args& a, int n) { return WindowRef(dynamic_cast<TWindow*>(a.Obj(n).get())); };
    auto colour = [](const Args& a, int n) -> std::optional<COLORREF> {
      if (!a.Arg(n).IsNumber()) return std::nullopt;
      return static_cast<COLORREF>(a.Int(n));
    };
    c.Data("BGET", &TGroup::bGet);
    // New(nTop, nLeft, nBottom, nRight, cLabel, oWnd, nClrFore, nClrBack, lPixel, lDesign)
    c.Method("NEW", [self, window, colour](Object& o, Args& a) {
      NewParams p;
      p.top = static_cast<int>(a.Int(1, 0));
      p.left = static_cast<int>(a.Int(2, 0));
      p.bottom = static_cast<int>(a.Int(3, 3));
      p.right = static_cast<int>(a.Int(4, 3));
      p.caption = a.Arg(5);
      p.parent = window(a, 6);
      p.clr_text = colour(a, 7);
      p.clr_pane = colour(a, 8);
      p.pixel = a.Log(9);
      p.design = a.Log(10);
      return self(o).New(p).Self();
    });
    // ReDefine(nId, cLabel, oWnd, nClrFore, nClrBack)
    c.Method("REDEFINE", [self, window, colour](Object& o, Args& a) {
      ReDefineParams p;
      p.id = static_cast<int>(a.Int(1));
      p.caption = a.Arg(2);
      p.parent = window(a, 3);
      p.clr_text = colour(a, 4);
      p.clr_pane = colour(a, 5);
      return self(o).ReDefine(p).Self();
    });
    return c;
  }();
  return cls;
}

void RegisterGroup() {
  (void)TGroup::Cls();
  xb::RegisterFunction("TGROUP", [](Args&) { return Value(xb::MakeRef<TGroup>()); });
}

}  // namespace ui
