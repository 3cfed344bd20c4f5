// The messages of TBAR that text compiled at run time may send.
#include <cstdint>

#include "runtime/function_table.h"
#include "ui/core/tbar.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TBar& B(Object& o) { return xb::Class::Cast<TBar>(o); }

void DefineMessages(xb::Class& c) {
  c.Data("NGROUPS", &TBar::nGroups);
  c.Data("NMODE", &TBar::nMode);
  c.Data("NBTNWIDTH", &TBar::nBtnWidth);
  c.Data("NBTNHEIGHT", &TBar::nBtnHeight);
  c.Data("L3D", &TBar::l3D);
  c.Data("CBMPHEADER", &TBar::cBmpHeader);
  c.Data("NHBMPHEADER", &TBar::nHBmpHeader);
  c.Data("NLINESTYLE", &TBar::nLineStyle);
  c.Data("LTOP", &TBar::lTop);
  c.Data("LBOTTOM", &TBar::lBottom);
  c.Property("HBMPHEADER", [](Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(B(o).hBmpHeader)); },
             nullptr);
  c.Method("NEW", [](Object& o, Args& a) {
    auto* window = dynamic_cast<TWindow*>(a.Obj(1).get());
    if (window == nullptr) return Value();
    TBar::NewParams p;
    if (!a.IsNil(2)) p.btn_width = static_cast<int>(a.Int(2));
    if (!a.IsNil(3)) p.btn_height = static_cast<int>(a.Int(3));
    p.l3d = a.Log(4);
    if (a.Arg(5).IsString()) p.position = std::string(a.Str(5));
    p.cursor = a.Obj(6);
    p.header = a.Arg(9).IsNumber() ? std::to_string(a.Int(9)) : std::string(a.Str(9));
    p.mode = static_cast<int>(a.Int(10));
    B(o).Init(*window, p);
    return o.AsValue();
  });
  // NewAt( nTop, nLeft, nBottom, nRight, oWnd, nBtnWidth, nBtnHeight, l3D, cPosition ... )
  c.Method("NEWAT", [](Object& o, Args& a) {
    auto* window = dynamic_cast<TWindow*>(a.Obj(5).get());
    if (window == nullptr) return Value();
    TBar::NewParams p;
    if (!a.IsNil(6)) p.btn_width = static_cast<int>(a.Int(6));
    if (!a.IsNil(7)) p.btn_height = static_cast<int>(a.Int(7));
    p.l3d = a.Log(8);
    if (a.Arg(9).IsString()) p.position = std::string(a.Str(9));
    const Rect place{static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
                     static_cast<int>(a.Int(4))};
    B(o).InitAt(*window, place, p);
    return o.AsValue();
  });
  c.Method("ADD", [](Object& o, Args& a) {
    if (auto* w = dynamic_cast<TWindow*>(a.Obj(1).get())) B(o).Add(WindowRef(w), static_cast<int>(a.Int(2)));
    return Value();
  });
  c.Method("ADDGROUP", [](Object& o, Args& a) { B(o).AddGroup(static_cast<int>(a.Int(1))); return Value(); });
  c.Method("DELGROUP", [](Object& o, Args& a) { B(o).DelGroup(static_cast<int>(a.Int(1))); return Value(); });
  c.Method("DEL", [](Object& o, Args& a) { B(o).Del(static_cast<int>(a.Int(1))); return Value(); });
  c.Method("BTNADJUST", [](Object& o, Args&) { B(o).BtnAdjust(); return Value(); });
  c.Method("GETBTNTOP", [](Object& o, Args& a) {
    return Value::Integer(B(o).GetBtnTop(a.Log(1), static_cast<int>(a.Int(2))));
  });
  c.Method("GETBTNLEFT", [](Object& o, Args& a) {
    return Value::Integer(B(o).GetBtnLeft(a.Log(1), static_cast<int>(a.Int(2))));
  });
  c.Method("ADJUST", [](Object& o, Args&) { B(o).Adjust(); return Value(); });
  c.Method("UP", [](Object& o, Args&) { B(o).Up(); return Value(); });
  c.Method("DOWN", [](Object& o, Args&) { B(o).Down(); return Value(); });
  c.Method("GOTOP", [](Object& o, Args&) { B(o).GoTop(); return Value(); });
  c.Method("GOLEFT", [](Object& o, Args&) { B(o).GoLeft(); return Value(); });
  c.Method("GORIGHT", [](Object& o, Args&) { B(o).GoRight(); return Value(); });
  c.Method("GODOWN", [](Object& o, Args&) { B(o).GoDown(); return Value(); });
  c.Method("FLOAT", [](Object& o, Args&) { B(o).Float(); return Value(); });
  c.Method("SAVEINI", [](Object& o, Args& a) {
    B(o).SaveIni(std::string(a.Str(1)), std::string(a.Str(2)));
    return Value();
  });
  c.Method("CGENPRG", [](Object& o, Args&) { return Value::String(B(o).cGenPrg()); });
}

}  // namespace

const xb::Class& TBar::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TBAR", &TControl::Cls());
    DefineMessages(c);
    return c;
  }();
  return cls;
}

void RegisterBarFunctions() {
  (void)TBar::Cls();
  xb::RegisterFunction("TBAR", [](Args&) { return Value(xb::MakeRef<TBar>()); });
}

}  // namespace ui
