// The messages of TMSGBAR and TMSGITEM that text compiled at run time may send.
#include <cstdint>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "ui/bridge/text_colors.h"
#include "ui/core/tmsgbar.h"
#include "ui/core/tmsgitem.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TMsgBar& B(Object& o) { return xb::Class::Cast<TMsgBar>(o); }
TMsgItem& I(Object& o) { return xb::Class::Cast<TMsgItem>(o); }

template <typename T>
Value ValueOf(const xb::Ref<T>& o) {
  return o ? Value(o) : Value();
}

xb::Ref<TFont> FontArg(const Args& a, int n) {
  auto* f = dynamic_cast<TFont*>(a.Obj(n).get());
  return f != nullptr ? xb::Ref<TFont>(f) : nullptr;
}

void DefineItemMessages(xb::Class& c) {
  c.Data("CMSG", &TMsgItem::cMsg);
  c.Data("NWIDTH", &TMsgItem::nWidth);
  c.Data("BMSG", &TMsgItem::bMsg);
  c.Data("BACTION", &TMsgItem::bAction);
  c.Data("LACTIVE", &TMsgItem::lActive);
  c.Data("LTIMER", &TMsgItem::lTimer);
  c.Data("LWASACTIVE", &TMsgItem::lWasActive);
  c.Data("CTOOLTIP", &TMsgItem::cToolTip);
  c.Property("NCLRTEXT", [](Object& o) { return Value::Integer(I(o).nClrText); },
             [](Object& o, const Value& v) { I(o).nClrText = static_cast<COLORREF>(v.AsInt()); });
  c.Property("NCLRPANE", [](Object& o) { return Value::Integer(I(o).nClrPane); },
             [](Object& o, const Value& v) { I(o).nClrPane = static_cast<COLORREF>(v.AsInt()); });
  c.Property("NCLRDISABLED", [](Object& o) { return Value::Integer(I(o).nClrDisabled); },
             [](Object& o, const Value& v) { I(o).nClrDisabled = static_cast<COLORREF>(v.AsInt()); });
  c.Property("OMSGBAR", [](Object& o) { return I(o).oMsgBar != nullptr ? I(o).oMsgBar->Self() : Value(); }, nullptr);
  c.Property("OFONT", [](Object& o) { return ValueOf(I(o).oFont); }, nullptr);
  c.Method("NEW", [](Object& o, Args& a) {
    auto* bar = dynamic_cast<TMsgBar*>(a.Obj(1).get());
    if (bar == nullptr) return Value();
    TMsgItem::Spec s;
    s.text = std::string(a.Str(2));
    s.width = static_cast<int>(a.Int(3));
    s.font = FontArg(a, 4);
    if (a.Arg(5).IsString()) {  // a colour pair as text
      s.clr_text = NGetForeRGB(a.Str(5));
      s.clr_pane = NGetBackRGB(a.Str(5));
    } else {
      if (!a.IsNil(5)) s.clr_text = static_cast<COLORREF>(a.Int(5));
      if (!a.IsNil(6)) s.clr_pane = static_cast<COLORREF>(a.Int(6));
    }
    s.add = a.Log(7);
    s.action = a.Arg(8);
    s.picture1 = std::string(a.Str(9));
    s.picture2 = std::string(a.Str(10));
    s.tooltip = std::string(a.Str(11));
    I(o).Init(*bar, s);
    return o.AsValue();
  });
  c.Method("NLEFT", [](Object& o, Args&) { return Value::Integer(I(o).nLeft()); });
  c.Method("ISOVER", [](Object& o, Args& a) {
    return Value::Logical(I(o).IsOver(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2))));
  });
  c.Method("PAINT", [](Object& o, Args&) { I(o).Paint(); return Value(); });
  c.Method("REFRESH", [](Object& o, Args&) { I(o).Refresh(); return Value(); });
  c.Method("SETTEXT", [](Object& o, Args& a) { I(o).SetText(std::string(a.Str(1))); return Value(); });
  c.Method("SETFONT", [](Object& o, Args& a) { I(o).SetFont(FontArg(a, 1)); return Value(); });
  c.Method("CLICK", [](Object& o, Args&) { I(o).Click(); return Value(); });
}

void DefineBarMessages(xb::Class& c) {
  c.Data("CMSGDEF", &TMsgBar::cMsgDef);
  c.Data("LCENTERED", &TMsgBar::lCentered);
  c.Data("LINSET", &TMsgBar::lInset);
  c.Data("NSIZEITEM", &TMsgBar::nSizeItem);
  c.Data("LCHECKRES", &TMsgBar::lCheckRes);
  c.Property("OTIMER", [](Object& o) { return ValueOf(B(o).oTimer); }, nullptr);
  c.Property("AITEM", [](Object& o) {
    xb::Array items = xb::Array::New();
    for (const auto& item : B(o).aItem) items.Append(Value(item));
    return Value(items);
  }, nullptr);
  c.Property("OKEYNUM", [](Object& o) { return ValueOf(B(o).oKeyNum); }, nullptr);
  c.Property("OKEYCAPS", [](Object& o) { return ValueOf(B(o).oKeyCaps); }, nullptr);
  c.Property("OKEYINS", [](Object& o) { return ValueOf(B(o).oKeyIns); }, nullptr);
  c.Property("OCLOCK", [](Object& o) { return ValueOf(B(o).oClock); }, nullptr);
  c.Property("ODATE", [](Object& o) { return ValueOf(B(o).oDate); }, nullptr);
  c.Method("NEW", [](Object& o, Args& a) {
    auto* window = dynamic_cast<TWindow*>(a.Obj(1).get());
    if (window == nullptr) return Value();
    TMsgBar::NewParams p;
    p.text = std::string(a.Str(2));
    p.centred = a.Log(3);
    p.clock = a.Log(4);
    p.date = a.Log(5);
    p.keys = a.Log(6);
    p.clr_text = static_cast<COLORREF>(a.Int(7));
    if (!a.IsNil(8)) p.clr_pane = static_cast<COLORREF>(a.Int(8));
    p.font = FontArg(a, 9);
    p.inset = a.Log(10, true);
    B(o).Init(*window, p);
    return o.AsValue();
  });
  c.Method("ADJUST", [](Object& o, Args&) { B(o).Adjust(); return Value(); });
  c.Method("HEIGHT", [](Object& o, Args&) { return Value::Integer(B(o).Height()); });
  c.Method("SETMSG", [](Object& o, Args& a) { B(o).SetMsg(std::string(a.Str(1)), a.Log(2)); return Value(); });
  c.Method("CLOCKON", [](Object& o, Args&) { B(o).ClockOn(); return Value(); });
  c.Method("CLOCKOFF", [](Object& o, Args&) { B(o).ClockOff(); return Value(); });
  c.Method("DATEON", [](Object& o, Args&) { B(o).DateOn(); return Value(); });
  c.Method("DATEOFF", [](Object& o, Args&) { B(o).DateOff(); return Value(); });
  c.Method("KEYBON", [](Object& o, Args&) { B(o).KeybOn(); return Value(); });
  c.Method("KEYBOFF", [](Object& o, Args&) { B(o).KeybOff(); return Value(); });
  c.Method("ADDITEM", [](Object& o, Args& a) {
    if (auto* item = dynamic_cast<TMsgItem*>(a.Obj(1).get())) B(o).AddItem(xb::Ref<TMsgItem>(item));
    return Value();
  });
  c.Method("DELITEM", [](Object& o, Args& a) {
    B(o).DelItem(dynamic_cast<TMsgItem*>(a.Obj(1).get()));
    return Value();
  });
  c.Method("CHECKTIMER", [](Object& o, Args&) { B(o).CheckTimer(); return Value(); });
  c.Method("TIMEREVAL", [](Object& o, Args&) { B(o).TimerEval(); return Value(); });
}

}  // namespace

const xb::Class& TMsgItem::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMSGITEM");
    DefineItemMessages(c);
    return c;
  }();
  return cls;
}

const xb::Class& TMsgBar::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMSGBAR", &TWindow::Cls());
    DefineBarMessages(c);
    return c;
  }();
  return cls;
}

void RegisterMsgBarFunctions() {
  (void)TMsgBar::Cls();
  (void)TMsgItem::Cls();
  xb::RegisterFunction("TMSGBAR", [](Args&) { return Value(xb::MakeRef<TMsgBar>()); });
  xb::RegisterFunction("TMSGITEM", [](Args&) { return Value(xb::MakeRef<TMsgItem>()); });
}

}  // namespace ui
