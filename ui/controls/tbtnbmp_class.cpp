// The messages of TBTNBMP that text compiled at run time may send, taking New, NewBar and
// ReDefine's arguments by position.
#include <cstdint>

#include "runtime/function_table.h"
#include "ui/controls/btn_image_store.h"
#include "ui/controls/tbtnbmp.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TBtnBmp& B(Object& o) { return xb::Class::Cast<TBtnBmp>(o); }

// A picture's name: text, or a resource number.
std::string NameArg(const Args& a, int n) {
  if (a.Arg(n).IsNumber()) return std::to_string(a.Int(n));
  return std::string(a.Str(n));
}

xb::Ref<TFont> FontArg(const Args& a, int n) {
  auto* f = dynamic_cast<TFont*>(a.Obj(n).get());
  return f != nullptr ? xb::Ref<TFont>(f) : nullptr;
}

WindowRef WindowArg(const Args& a, int n) {
  auto* w = dynamic_cast<TWindow*>(a.Obj(n).get());
  return w != nullptr ? WindowRef(w) : nullptr;
}

void DefineMessages(xb::Class& c) {
  c.Data("BACTION", &TBtnBmp::bAction);
  c.Data("CACTION", &TBtnBmp::cAction);
  c.Data("LPRESSED", &TBtnBmp::lPressed);
  c.Data("LADJUST", &TBtnBmp::lAdjust);
  c.Data("LGROUP", &TBtnBmp::lGroup);
  c.Data("LWORKING", &TBtnBmp::lWorking);
  c.Data("LBTNUP", &TBtnBmp::lBtnUp);
  c.Data("LBTNDOWN", &TBtnBmp::lBtnDown);
  c.Data("CRESNAME1", &TBtnBmp::cResName1);
  c.Data("CRESNAME2", &TBtnBmp::cResName2);
  c.Data("CRESNAME3", &TBtnBmp::cResName3);
  c.Data("CBMPFILE1", &TBtnBmp::cBmpFile1);
  c.Data("CBMPFILE2", &TBtnBmp::cBmpFile2);
  c.Data("CBMPFILE3", &TBtnBmp::cBmpFile3);
  c.Data("LPROCESSING", &TBtnBmp::lProcessing);
  c.Data("LBORDER", &TBtnBmp::lBorder);
  c.Data("OPOPUP", &TBtnBmp::oPopup);
  c.Data("NLINESTYLE", &TBtnBmp::nLineStyle);
  c.Data("NROW", &TBtnBmp::nRow);
  c.Data("NCOL", &TBtnBmp::nCol);
  c.Data("LBUFFER", &TBtnBmp::lBuffer);
  c.Property("HBMPPAL1", [](Object& o) { return Value::Integer(B(o).hBmpPal1); }, nullptr);
  c.Property("HBMPPAL2", [](Object& o) { return Value::Integer(B(o).hBmpPal2); }, nullptr);
  c.Property("HBMPPAL3", [](Object& o) { return Value::Integer(B(o).hBmpPal3); }, nullptr);

  c.Method("NEW", [](Object& o, Args& a) {
    TBtnBmp::NewParams p;
    p.top = static_cast<int>(a.Int(1));
    p.left = static_cast<int>(a.Int(2));
    if (!a.IsNil(3)) p.width = static_cast<int>(a.Int(3));
    if (!a.IsNil(4)) p.height = static_cast<int>(a.Int(4));
    p.pictures.resource1 = NameArg(a, 5);
    p.pictures.resource2 = NameArg(a, 6);
    p.pictures.file1 = std::string(a.Str(7));
    p.pictures.file2 = std::string(a.Str(8));
    p.action = a.Arg(9);
    p.parent = WindowArg(a, 10);
    if (!a.IsNil(11)) p.message = std::string(a.Str(11));
    p.when = a.Arg(12);
    p.adjust = a.Log(13);
    p.update = a.Log(14);
    p.caption = std::string(a.Str(15));
    p.font = FontArg(a, 16);
    p.pictures.resource3 = NameArg(a, 17);
    p.pictures.file3 = std::string(a.Str(18));
    p.border = a.Log(19, true);
    p.line_style = a.IsNil(20) ? 1 : static_cast<int>(a.Int(20));
    B(o).InitNew(p);
    return o.AsValue();
  });
  c.Method("NEWBAR", [](Object& o, Args& a) {
    auto* bar = dynamic_cast<TBar*>(a.Obj(8).get());
    if (bar == nullptr) return Value();
    TBtnBmp::BarParams p;
    p.pictures.resource1 = NameArg(a, 1);
    p.pictures.resource2 = NameArg(a, 2);
    p.pictures.file1 = std::string(a.Str(3));
    p.pictures.file2 = std::string(a.Str(4));
    p.message = std::string(a.Str(5));
    p.action = a.Arg(6);
    p.group = a.Log(7);
    p.adjust = a.Log(9);
    p.when = a.Arg(10);
    p.tooltip = std::string(a.Str(11));
    p.pressed = a.Log(12);
    p.drop_over = a.Arg(13);
    p.action_text = std::string(a.Str(14));
    p.position = static_cast<int>(a.Int(15));
    p.caption = std::string(a.Str(16));
    p.font = FontArg(a, 17);
    p.pictures.resource3 = NameArg(a, 18);
    p.pictures.file3 = std::string(a.Str(19));
    p.border = a.Log(20, true);
    p.popup = a.Obj(21);
    B(o).InitBar(*bar, p);
    return o.AsValue();
  });
  c.Method("REDEFINE", [](Object& o, Args& a) {
    TBtnBmp::RedefineParams p;
    p.pictures.resource1 = NameArg(a, 2);
    p.pictures.resource2 = NameArg(a, 3);
    p.pictures.file1 = std::string(a.Str(4));
    p.pictures.file2 = std::string(a.Str(5));
    p.message = std::string(a.Str(6));
    p.action = a.Arg(7);
    p.adjust = a.Log(9);
    p.when = a.Arg(10);
    p.update = a.Log(11);
    p.tooltip = std::string(a.Str(12));
    p.caption = std::string(a.Str(13));
    p.font = FontArg(a, 14);
    p.pictures.resource3 = NameArg(a, 15);
    p.pictures.file3 = std::string(a.Str(16));
    p.border = a.Log(17, true);
    B(o).InitRedefine(static_cast<int>(a.Int(1)), WindowArg(a, 8), p);
    return o.AsValue();
  });
  c.Method("LOADBITMAPS", [](Object& o, Args& a) {
    TBtnBmp::Pictures p;
    p.resource1 = NameArg(a, 1);
    p.resource2 = NameArg(a, 2);
    p.file1 = std::string(a.Str(3));
    p.file2 = std::string(a.Str(4));
    p.resource3 = NameArg(a, 5);
    p.file3 = std::string(a.Str(6));
    B(o).LoadBitmaps(p, a.Log(7));
    return Value();
  });
  c.Method("FREEBITMAPS", [](Object& o, Args&) { B(o).FreeBitmaps(); return Value(); });
  c.Method("SETFILE", [](Object& o, Args& a) {
    B(o).SetFile(std::string(a.Str(1)), std::string(a.Str(2)));
    return Value();
  });
  c.Method("TOGGLE", [](Object& o, Args&) { B(o).Toggle(); return Value(); });
  c.Method("GOUP", [](Object& o, Args&) { B(o).GoUp(); return Value(); });
  c.Method("CGENPRG", [](Object& o, Args&) { return Value::String(B(o).cGenPRG()); });
  c.Method("ADJTEXT", [](Object& o, Args& a) { return Value::String(B(o).AdjText(std::string(a.Str(1)))); });
  c.Method("PAINT", [](Object& o, Args&) { B(o).Paint(); return Value(); });
}

}  // namespace

const xb::Class& TBtnBmp::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TBTNBMP", &TControl::Cls());
    DefineMessages(c);
    return c;
  }();
  return cls;
}

void RegisterBtnBmpFunctions() {
  static bool done = false;
  if (done) return;
  done = true;
  (void)TBtnBmp::Cls();
  RegisterBtnImageStore();
  xb::RegisterFunction("TBTNBMP", [](Args&) { return Value(xb::MakeRef<TBtnBmp>()); });
}

}  // namespace ui
