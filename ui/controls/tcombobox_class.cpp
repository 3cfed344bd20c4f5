// The runtime class TCOMBOBOX and GETDRAWISR: what compiled text sends a combo box, with the
// constructors' arguments by position.
#include <cstdint>
#include <optional>

#include "runtime/function_table.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tget.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TComboBox& C(Object& o) { return xb::Class::Cast<TComboBox>(o); }

std::optional<COLORREF> Colour(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}
int Int(const Args& a, int n, int fallback = 0) { return a.Arg(n).IsNumber() ? static_cast<int>(a.Int(n)) : fallback; }
std::string Str(const Args& a, int n) { return std::string(a.Str(n)); }
WindowRef Parent(const Args& a, int n) { return WindowRef(dynamic_cast<TWindow*>(a.Obj(n).get())); }

}  // namespace

const xb::Class& TComboBox::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TCOMBOBOX", &TControl::Cls());
    c.Data("AITEMS", &TComboBox::aItems);
    c.Data("LOWNERDRAW", &TComboBox::lOwnerDraw);
    c.Data("NAT", &TComboBox::nAt);
    c.Data("BDRAWITEM", &TComboBox::bDrawItem);
    c.Data("BCLOSEUP", &TComboBox::bCloseUp);
    c.Data("CERROR", &TComboBox::cError);
    c.Data("NBMPWIDTH", &TComboBox::nBmpWidth);
    c.Data("NBMPHEIGHT", &TComboBox::nBmpHeight);
    c.Property("OGET", [](Object& o) { return C(o).oGet ? Value(C(o).oGet) : Value(); }, nullptr);
    c.Property("ABITMAPS", [](Object& o) {
      xb::Array list = xb::Array::New();
      for (int slot : C(o).aBitmaps) list.Append(Value::Integer(slot));
      return Value(list);
    }, nullptr);
    c.Property("ABMPCBX", [](Object& o) {
      xb::Array list = xb::Array::New();
      for (const std::string& name : C(o).aBmpCbx) list.Append(Value::String(name));
      return Value(list);
    }, nullptr);
    c.Property("HCBXBUFF", [](Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(C(o).hCbxBuff())); },
               nullptr);
    // New(nRow, nCol, bSetGet, aItems, nWidth, nHeight, oWnd, nHelpId, bChange, bValid, nClrText,
    //     nClrBack, lPixel, oFont, cMsg, lUpdate, bWhen, lDesign, aBitmaps, bDrawItem, nStyle,
    //     cPicture, bEditChange)
    c.Method("NEW", [](Object& o, Args& a) {
      TComboBox::NewParams p;
      p.row = Int(a, 1);
      p.col = Int(a, 2);
      p.set_get = a.Arg(3);
      p.items = a.Arg(4);
      p.width = Int(a, 5, 40);
      p.height = Int(a, 6, 60);
      p.parent = Parent(a, 7);
      p.help_id = Int(a, 8);
      p.change = a.Arg(9);
      p.valid = a.Arg(10);
      p.clr_text = Colour(a, 11);
      p.clr_pane = Colour(a, 12);
      p.pixel = a.Log(13);
      p.font = xb::Ref<TFont>(dynamic_cast<TFont*>(a.Obj(14).get()));
      p.message = Str(a, 15);
      p.update = a.Log(16);
      p.when = a.Arg(17);
      p.design = a.Log(18);
      p.pictures = a.Arg(19);
      p.draw_item = a.Arg(20);
      p.style = Int(a, 21, TComboBox::kDropDownList);
      p.edit_picture = Str(a, 22);
      p.edit_change = a.Arg(23);
      return C(o).New(p).Self();
    });
    // ReDefine(nId, bSetGet, aItems, oWnd, nHelpId, bValid, bChange, nClrText, nClrBack, cMsg,
    //          lUpdate, bWhen, aBitmaps, bDrawItem, nStyle, cPicture, bEditChange)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      TComboBox::ReDefineParams p;
      p.id = Int(a, 1);
      p.set_get = a.Arg(2);
      p.items = a.Arg(3);
      p.parent = Parent(a, 4);
      p.help_id = Int(a, 5);
      p.valid = a.Arg(6);
      p.change = a.Arg(7);
      p.clr_text = Colour(a, 8);
      p.clr_pane = Colour(a, 9);
      p.message = Str(a, 10);
      p.update = a.Log(11);
      p.when = a.Arg(12);
      p.pictures = a.Arg(13);
      p.draw_item = a.Arg(14);
      p.style = Int(a, 15, TComboBox::kDropDownList);
      p.edit_picture = Str(a, 16);
      p.edit_change = a.Arg(17);
      return C(o).ReDefine(p).Self();
    });
    c.Method("SET", [](Object& o, Args& a) { C(o).Set(a.Arg(1)); return Value(); });
    c.Method("VARGET", [](Object& o, Args&) { return Value::String(C(o).cVarGet()); });
    c.Method("ADD", [](Object& o, Args& a) { C(o).Add(Str(a, 1), Int(a, 2)); return Value(); });
    c.Method("INSERT", [](Object& o, Args& a) { C(o).Insert(Str(a, 1), Int(a, 2)); return Value(); });
    c.Method("MODIFY", [](Object& o, Args& a) { C(o).Modify(Str(a, 1), Int(a, 2)); return Value(); });
    c.Method("DEL", [](Object& o, Args& a) { C(o).Del(Int(a, 1)); return Value(); });
    c.Method("SETITEMS", [](Object& o, Args& a) {
      C(o).SetItems(a.Arg(1).IsArray() ? a.Arr(1) : xb::Array::New());
      return Value();
    });
    c.Method("RESET", [](Object& o, Args&) { C(o).Reset(); return Value(); });
    c.Method("SELECT", [](Object& o, Args& a) { C(o).Select(Int(a, 1)); return Value(); });
    c.Method("OPEN", [](Object& o, Args&) { C(o).Open(); return Value(); });
    c.Method("FINDSTRING", [](Object& o, Args& a) { return Value::Integer(C(o).FindString(Str(a, 1), Int(a, 2))); });
    c.Method("FIND", [](Object& o, Args& a) { return Value::Logical(C(o).Find(Str(a, 1), Int(a, 2))); });
    c.Method("SETBITMAPS", [](Object& o, Args& a) {
      if (a.Arg(1).IsArray()) C(o).SetBitmaps(a.Arr(1));
      return Value();
    });
    c.Method("FILLMEASURE", [](Object& o, Args&) { C(o).FillMeasure(); return Value(); });
    c.Method("CLOSEUP", [](Object& o, Args&) { C(o).CloseUp(); return Value(); });
    c.Method("DRAWITEM", [](Object& o, Args& a) {
      const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(static_cast<std::intptr_t>(a.Int(2)));
      return Value::Logical(record != nullptr && C(o).DrawItem(*record));
    });
    c.Method("DEFCONTROL", [](Object& o, Args& a) { C(o).DefControl(Parent(a, 1)); return Value(); });
    return c;
  }();
  return cls;
}

void RegisterComboBox() {
  (void)TComboBox::Cls();
  xb::RegisterFunction("TCOMBOBOX", [](Args&) { return Value(xb::MakeRef<TComboBox>()); });
  xb::RegisterFunction("GETDRAWISR", [](Args& a) {
    const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(static_cast<std::intptr_t>(a.Int(1)));
    return record != nullptr ? Value(GetDrawIsr(*record)) : Value();
  });
}

}  // namespace ui
