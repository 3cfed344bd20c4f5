// The runtime class TMULTIGET, with its arguments by position as the xBase constructors take
// them, and MEMOEDIT(@cText, cTitle, nTop, nLeft, nBottom, nRight).
#include <cstdint>
#include <optional>

#include "runtime/function_table.h"
#include "ui/controls/memo_edit.h"
#include "ui/controls/tmultiget.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TMultiGet& M(Object& o) { return xb::Class::Cast<TMultiGet>(o); }

template <typename T>
xb::Ref<T> ObjectArg(const Args& a, int n) {
  auto* p = dynamic_cast<T*>(a.Obj(n).get());
  return p != nullptr ? xb::Ref<T>(p) : nullptr;
}

std::optional<COLORREF> Colour(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}

int Int(const Args& a, int n, int fallback = 0) { return a.Arg(n).IsNumber() ? static_cast<int>(a.Int(n)) : fallback; }

}  // namespace

const xb::Class& TMultiGet::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMULTIGET", &TControl::Cls());
    c.Data("LREADONLY", &TMultiGet::lReadOnly);
    c.Data("NPOS", &TMultiGet::nPos);
    c.Property("HHEAP", [](Object& o) { return Value::Integer(M(o).hHeap); }, nullptr);
    // New(nRow, nCol, bSetGet, oWnd, nWidth, nHeight, oFont, lHScroll, nClrFore, nClrBack,
    //     oCursor, lPixel, cMsg, lUpdate, bWhen, lCenter, lRight, lReadOnly, bValid, bChange,
    //     lDesign, lNoBorder, lNoVScroll)
    c.Method("NEW", [](Object& o, Args& a) {
      TMultiGet::NewParams p;
      p.row = Int(a, 1);
      p.col = Int(a, 2);
      p.set_get = a.Arg(3);
      p.parent = ObjectArg<TWindow>(a, 4);
      p.width = Int(a, 5);
      p.height = Int(a, 6, 11);
      p.font = ObjectArg<TFont>(a, 7);
      p.hscroll = a.Log(8);
      p.fore = Colour(a, 9);
      p.back = Colour(a, 10);
      p.cursor = a.Obj(11);
      p.pixel = a.Log(12);
      p.message = std::string(a.Str(13));
      p.update = a.Log(14);
      p.when = a.Arg(15);
      p.centre = a.Log(16);
      p.right = a.Log(17);
      p.read_only = a.Log(18);
      p.valid = a.Arg(19);
      p.change = a.Arg(20);
      p.design = a.Log(21);
      p.no_border = a.Log(22);
      p.no_vscroll = a.Log(23);
      return M(o).New(p).Self();
    });
    // ReDefine(nId, bSetGet, oWnd, nHelpId, nClrFore, nClrBack, oFont, oCursor, cMsg, lUpdate,
    //          bWhen, lReadOnly, bValid, bChange)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      TMultiGet::ReDefineParams p;
      p.id = Int(a, 1);
      p.set_get = a.Arg(2);
      p.parent = ObjectArg<TWindow>(a, 3);
      p.help_id = Int(a, 4);
      p.fore = Colour(a, 5);
      p.back = Colour(a, 6);
      p.font = ObjectArg<TFont>(a, 7);
      p.cursor = a.Obj(8);
      p.message = std::string(a.Str(9));
      p.update = a.Log(10);
      p.when = a.Arg(11);
      p.read_only = a.Log(12);
      p.valid = a.Arg(13);
      p.change = a.Arg(14);
      return M(o).ReDefine(p).Self();
    });
    c.Property("CTEXT", [](Object& o) { return Value::String(M(o).cText()); },
               [](Object& o, const Value& v) { M(o).SetText(std::string(v.AsString())); });
    c.Method("GETSEL", [](Object& o, Args&) { return Value::String(M(o).GetSel()); });
    c.Method("GETROW", [](Object& o, Args&) { return Value::Integer(M(o).GetRow()); });
    c.Method("GETCOL", [](Object& o, Args&) { return Value::Integer(M(o).GetCol()); });
    c.Method("COPY", [](Object& o, Args&) { M(o).Copy(); return Value(); });
    c.Method("CUT", [](Object& o, Args&) { M(o).Cut(); return Value(); });
    c.Method("DEL", [](Object& o, Args&) { M(o).Del(); return Value(); });
    c.Method("PASTE", [](Object& o, Args& a) {
      M(o).Paste(a.Arg(1).IsString() ? std::optional<std::string>(std::string(a.Str(1))) : std::nullopt);
      return Value();
    });
    c.Method("DELLINE", [](Object& o, Args& a) { M(o).DelLine(Int(a, 1)); return Value(); });
    c.Method("UNDO", [](Object& o, Args&) { M(o).UnDo(); return Value(); });
    c.Method("SELECTALL", [](Object& o, Args&) { M(o).SelectAll(); return Value(); });
    c.Method("PRINT", [](Object& o, Args&) { M(o).Print(); return Value(); });
    c.Method("MOVE", [](Object& o, Args& a) {
      M(o).Move(Int(a, 1), Int(a, 2), Int(a, 3), Int(a, 4), a.Log(5, true));
      return Value();
    });
    return c;
  }();
  return cls;
}

void RegisterMultiGetControls() {
  (void)TMultiGet::Cls();
  xb::RegisterFunction("TMULTIGET", [](Args&) { return Value(xb::MakeRef<TMultiGet>()); });
  xb::RegisterFunction("MEMOEDIT", [](Args& a) {
    std::string text = a.Arg(1).IsString() ? std::string(a.Str(1)) : std::string();
    MemoEditParams p;
    if (a.Arg(2).IsString()) p.title = std::string(a.Str(2));
    if (a.Arg(3).IsNumber()) p.top = a.Num(3);
    if (a.Arg(4).IsNumber()) p.left = a.Num(4);
    if (a.Arg(5).IsNumber()) p.bottom = a.Num(5);
    if (a.Arg(6).IsNumber()) p.right = a.Num(6);
    const bool confirmed = MemoEdit(text, p);
    if (confirmed && a.IsByRef(1)) a.SetRef(1, Value::String(text));
    return Value::Logical(confirmed);
  });
}

}  // namespace ui
