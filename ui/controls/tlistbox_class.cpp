// The runtime class TLISTBOX: what compiled text sends a list box, with the constructors'
// arguments by position.
#include <cstdint>
#include <optional>

#include "runtime/function_table.h"
#include "ui/controls/tlistbox.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TListBox& L(Object& o) { return xb::Class::Cast<TListBox>(o); }

std::optional<COLORREF> Colour(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}
int Int(const Args& a, int n, int fallback = 0) { return a.Arg(n).IsNumber() ? static_cast<int>(a.Int(n)) : fallback; }
std::string Str(const Args& a, int n) { return std::string(a.Str(n)); }
WindowRef Parent(const Args& a, int n) { return WindowRef(dynamic_cast<TWindow*>(a.Obj(n).get())); }

Value Numbers(const std::vector<int>& numbers) {
  xb::Array list = xb::Array::New();
  for (int n : numbers) list.Append(Value::Integer(n));
  return Value(list);
}

}  // namespace

const xb::Class& TListBox::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TLISTBOX", &TControl::Cls());
    c.Data("AITEMS", &TListBox::aItems);
    c.Data("LOWNERDRAW", &TListBox::lOwnerDraw);
    c.Data("NBMPHEIGHT", &TListBox::nBmpHeight);
    c.Data("NBMPWIDTH", &TListBox::nBmpWidth);
    c.Data("CFILESPEC", &TListBox::cFileSpec);
    c.Data("BDRAWITEM", &TListBox::bDrawItem);
    c.Property("ABITMAPS", [](Object& o) {
      xb::Array list = xb::Array::New();
      for (HBITMAP b : L(o).aBitmaps) list.Append(Value::Integer(reinterpret_cast<std::intptr_t>(b)));
      return Value(list);
    }, nullptr);
    c.Property("APROPERTIES", [](Object&) {
      xb::Array list = xb::Array::New();
      for (const char* name : {"aItems", "cTitle", "cVarName", "l3D", "nClrText", "nClrPane", "nAlign", "nTop",
                               "nLeft", "nWidth", "nHeight", "Cargo"})
        list.Append(Value::String(name));
      return Value(list);
    }, nullptr);
    // New(nRow, nCol, bSetGet, aItems, nWidth, nHeight, bChange, oWnd, bValid, nClrFore,
    //     nClrBack, lPixel, lDesign, bLDblClick, oFont, cMsg, lUpdate, bWhen, aBitmaps,
    //     bDrawItem, lMulti, lSort)
    c.Method("NEW", [](Object& o, Args& a) {
      TListBox::NewParams p;
      p.row = Int(a, 1);
      p.col = Int(a, 2);
      p.set_get = a.Arg(3);
      p.items = a.Arg(4);
      p.width = Int(a, 5, 40);
      p.height = Int(a, 6, 40);
      p.change = a.Arg(7);
      p.parent = Parent(a, 8);
      p.valid = a.Arg(9);
      p.clr_text = Colour(a, 10);
      p.clr_pane = Colour(a, 11);
      p.pixel = a.Log(12);
      p.design = a.Log(13);
      p.dbl_click = a.Arg(14);
      p.font = xb::Ref<TFont>(dynamic_cast<TFont*>(a.Obj(15).get()));
      p.message = Str(a, 16);
      p.update = a.Log(17);
      p.when = a.Arg(18);
      p.pictures = a.Arg(19);
      p.draw_item = a.Arg(20);
      p.multiple = a.Log(21);
      p.sorted = a.Log(22);
      return L(o).New(p).Self();
    });
    // ReDefine(nId, bSetGet, aItems, bChange, oWnd, nHelpId, aBitmaps, bValid, cFileSpec,
    //          nClrFore, nClrBack, bLDblClick, cMsg, lUpdate, bWhen, bDrawItem)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      TListBox::ReDefineParams p;
      p.id = Int(a, 1);
      p.set_get = a.Arg(2);
      p.items = a.Arg(3);
      p.change = a.Arg(4);
      p.parent = Parent(a, 5);
      p.help_id = Int(a, 6);
      p.pictures = a.Arg(7);
      p.valid = a.Arg(8);
      p.file_spec = Str(a, 9);
      p.clr_text = Colour(a, 10);
      p.clr_pane = Colour(a, 11);
      p.dbl_click = a.Arg(12);
      p.message = Str(a, 13);
      p.update = a.Log(14);
      p.when = a.Arg(15);
      p.draw_item = a.Arg(16);
      return L(o).ReDefine(p).Self();
    });
    c.Method("SET", [](Object& o, Args& a) { L(o).Set(Str(a, 1)); return Value(); });
    c.Method("SELECT", [](Object& o, Args& a) { L(o).Select(Int(a, 1)); return Value(); });
    c.Method("GOTOP", [](Object& o, Args&) { L(o).GoTop(); return Value(); });
    c.Method("GOBOTTOM", [](Object& o, Args&) { L(o).GoBottom(); return Value(); });
    c.Method("GETPOS", [](Object& o, Args&) { return Value::Integer(L(o).GetPos()); });
    c.Method("GETSEL", [](Object& o, Args&) { return Value::Integer(L(o).GetSel()); });
    c.Method("GETSELTEXT", [](Object& o, Args&) { return Value::String(L(o).GetSelText()); });
    c.Method("GETITEM", [](Object& o, Args& a) { return Value::String(L(o).GetItem(Int(a, 1))); });
    c.Method("LEN", [](Object& o, Args&) { return Value::Integer(L(o).Len()); });
    c.Method("SETITEMS", [](Object& o, Args& a) {
      L(o).SetItems(a.Arg(1).IsArray() ? a.Arr(1) : xb::Array::New());
      return Value();
    });
    c.Method("RESET", [](Object& o, Args&) { L(o).Reset(); return Value(); });
    c.Method("SETSEL", [](Object& o, Args& a) { L(o).SetSel(Int(a, 1), a.IsNil(2) || a.Log(2)); return Value(); });
    c.Method("GETSELCOUNT", [](Object& o, Args&) { return Value::Integer(L(o).GetSelCount()); });
    c.Method("GETSELITEMS", [](Object& o, Args&) { return Numbers(L(o).GetSelItems()); });
    c.Method("ISMULTIPLESEL", [](Object& o, Args&) { return Value::Logical(L(o).IsMultipleSel()); });
    c.Method("ASELECTIONS", [](Object& o, Args&) {
      xb::Array list = xb::Array::New();
      for (const std::string& text : L(o).aSelections()) list.Append(Value::String(text));
      return Value(list);
    });
    c.Method("SETSELITEMS", [](Object& o, Args& a) {
      std::vector<int> numbers;
      if (const xb::Array list = a.Arr(1))
        for (const Value& n : list) numbers.push_back(static_cast<int>(n.AsInt()));
      L(o).SetSelItems(numbers);
      return Value();
    });
    c.Method("ADD", [](Object& o, Args& a) { L(o).Add(Str(a, 1), Int(a, 2)); return Value(); });
    c.Method("INSERT", [](Object& o, Args& a) { L(o).Insert(Str(a, 1), Int(a, 2)); return Value(); });
    c.Method("MODIFY", [](Object& o, Args& a) { L(o).Modify(Str(a, 1), Int(a, 2)); return Value(); });
    c.Method("DEL", [](Object& o, Args& a) { L(o).Del(Int(a, 1)); return Value(); });
    c.Method("SWAPUP", [](Object& o, Args&) { L(o).SwapUp(); return Value(); });
    c.Method("SWAPDOWN", [](Object& o, Args&) { L(o).SwapDown(); return Value(); });
    c.Method("SETBITMAPS", [](Object& o, Args& a) {
      if (a.Arg(1).IsArray()) L(o).SetBitmaps(a.Arr(1));
      return Value();
    });
    c.Method("FILLMEASURE", [](Object& o, Args&) { L(o).FillMeasure(); return Value(); });
    c.Method("DRAWITEM", [](Object& o, Args& a) {
      const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(static_cast<std::intptr_t>(a.Int(2)));
      return Value::Logical(record != nullptr && L(o).DrawItem(*record));
    });
    c.Method("CGENPRG", [](Object& o, Args&) { return Value::String(L(o).cGenPrg()); });
    return c;
  }();
  return cls;
}

void RegisterListBox() {
  (void)TListBox::Cls();
  xb::RegisterFunction("TLISTBOX", [](Args&) { return Value(xb::MakeRef<TListBox>()); });
}

}  // namespace ui
