// The runtime class TCBROWSE: its data and the messages text compiled at run time may send,
// with their arguments by position.
#include "runtime/function_table.h"
#include "ui/controls/cell_paint.h"
#include "ui/controls/date_seek.h"
#include "ui/controls/tcbrowse.h"
#include "ui/controls/tccolumn.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TCBrowse& As(Object& o) { return xb::Class::Cast<TCBrowse>(o); }
int I(const Args& a, int n) { return static_cast<int>(a.Int(n)); }

std::optional<COLORREF> ColourArg(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}

void OptionalColour(xb::Class& c, const char* name, std::optional<COLORREF> TCBrowse::*member) {
  c.Property(name, [member](Object& o) { return (As(o).*member) ? Value::Integer(*(As(o).*member)) : Value(); },
             [member](Object& o, const Value& v) {
               if (v.IsNumber()) As(o).*member = static_cast<COLORREF>(v.AsInt());
               else As(o).*member = std::nullopt;
             });
}

}  // namespace

const xb::Class& TCBrowse::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TCBROWSE", &TWBrowse::Cls());
    using B = TCBrowse;
    c.Data("ACOLUMNS", &B::aColumns)
        .Data("AARRAY", &B::aArray)
        .Data("LNOHSCROLL", &B::lNoHScroll)
        .Data("LNOVSCROLL", &B::lNoVScroll)
        .Data("LNOLITEBAR", &B::lNoLiteBar)
        .Data("LNOGRAYBAR", &B::lNoGrayBar)
        .Data("LLOGICDROP", &B::lLogicDrop)
        .Data("NADJCOLUMN", &B::nAdjColumn)
        .Data("LREPAINT", &B::lRePaint)
        .Data("NFREEZE", &B::nFreeze)
        .Data("ODBF", &B::oDbf)
        .Data("LCOLDRAG", &B::lColDrag)
        .Data("LLINEDRAG", &B::lLineDrag)
        .Data("NDRAGCOL", &B::nDragCol)
        .Data("LAUTOCTX", &B::lAutoCtx)
        .Data("BSEEKCHANGE", &B::bSeekChange)
        .Data("CSEEK", &B::cSeek)
        .Data("NCOLORDER", &B::nColOrder)
        .Data("CORDERTYPE", &B::cOrderType)
        .Data("LFOOTING", &B::lFooting)
        .Data("AIMAGES", &B::aImages)
        .Data("ABITMAPS", &B::aBitmaps)
        .Data("NCELL", &B::nCell)
        .Data("LCELLBRW", &B::lCellBrw);
    c.Property("OCTX", [](Object& o) { return As(o).oCtx; }, nullptr);
    c.Property("HBMPCURSOR", [](Object& o) { return Value::Integer(As(o).hBmpCursor); },
               [](Object& o, const Value& v) { As(o).hBmpCursor = static_cast<std::intptr_t>(v.AsInt()); });
    c.Property("HBMPBRW", [](Object& o) { return Value::Integer(As(o).hBmpBrw); },
               [](Object& o, const Value& v) { As(o).hBmpBrw = static_cast<std::intptr_t>(v.AsInt()); });
    c.Property("NECLRFORE", [](Object& o) { return Value::Integer(As(o).nEClrFore); },
               [](Object& o, const Value& v) { As(o).nEClrFore = static_cast<COLORREF>(v.AsInt()); });
    c.Property("NECLRBACK", [](Object& o) { return Value::Integer(As(o).nEClrBack); },
               [](Object& o, const Value& v) { As(o).nEClrBack = static_cast<COLORREF>(v.AsInt()); });
    OptionalColour(c, "NOCLRFOREHEAD", &B::nOClrForeHead);
    OptionalColour(c, "NOCLRBACKHEAD", &B::nOClrBackHead);
    OptionalColour(c, "NCLRFFOOT", &B::nClrFFoot);
    OptionalColour(c, "NCLRBFOOT", &B::nClrBFoot);
    c.Property("APROPERTIES", [](Object&) {
      xb::Array names = xb::Array::New();
      for (const char* n : {"aColumns", "cVarName", "nTop", "nLeft", "nWidth", "nHeight"}) names.Append(Value::String(n));
      return Value(names);
    }, nullptr);
    c.Method("NEW", [](Object& o, Args& a) { return As(o).New(TWBrowse::NewParams::FromArgs(a), a.Log(26)).Self(); });
    c.Method("REDEFINE", [](Object& o, Args& a) { return As(o).ReDefine(I(a, 1), TWBrowse::RedefineParams::FromArgs(a), a.Log(21)).Self(); });
    c.Method("LOADFIELDS", [](Object& o, Args&) { As(o).LoadFields(); return Value(); });
    c.Method("ADDCOLUMN", [](Object& o, Args& a) { return As(o).AddColumn(a.Arg(1)); });
    c.Method("INSCOLUMN", [](Object& o, Args& a) { return As(o).InsColumn(I(a, 1), a.Arg(2)); });
    c.Method("DELCOLUMN", [](Object& o, Args& a) { return As(o).DelColumn(I(a, 1)); });
    c.Method("GETCOLUMN", [](Object& o, Args& a) { return As(o).GetColumn(a.IsNil(1) ? 1 : I(a, 1)); });
    c.Method("SWITCHCOLS", [](Object& o, Args& a) { As(o).SwitchCols(I(a, 1), I(a, 2)); return Value(); });
    c.Method("EXCHANGE", [](Object& o, Args& a) { As(o).Exchange(I(a, 1), I(a, 2)); return Value(); });
    c.Method("SETARRAY", [](Object& o, Args& a) {
      if (xb::Array array = a.Arr(1)) As(o).SetArray(array);
      return Value();
    });
    c.Method("SETODBF", [](Object& o, Args& a) { As(o).SetoDBF(a.Arg(1)); return Value(); });
    c.Method("SETCONTEXT", [](Object& o, Args& a) { As(o).SetContext(a.Arg(1)); return Value(); });
    c.Method("RESET", [](Object& o, Args&) { As(o).Reset(); return Value(); });
    c.Method("DRAWHEADERS", [](Object& o, Args&) { As(o).DrawHeaders(); return Value(); });
    c.Method("HILITECELL", [](Object& o, Args& a) {
      return Value::Logical(As(o).HiliteCell(I(a, 1), a.IsNil(2) ? std::nullopt : std::optional<int>(I(a, 2))));
    });
    c.Method("NATCOL", [](Object& o, Args& a) { return Value::Integer(As(o).nAtCol(I(a, 1))); });
    c.Method("RESETBARPOS", [](Object& o, Args&) { As(o).ResetBarPos(); return Value(); });
    c.Method("SETORDER", [](Object& o, Args& a) { return Value::Logical(As(o).SetOrder(I(a, 1))); });
    c.Method("SEEK", [](Object& o, Args& a) { As(o).Seek(I(a, 1)); return Value(); });
    c.Method("RESETSEEK", [](Object& o, Args&) { As(o).ResetSeek(); return Value(); });
    c.Method("VERTLINE", [](Object& o, Args& a) {
      As(o).VertLine(a.IsNil(1) ? std::nullopt : std::optional<int>(I(a, 1)));
      return Value();
    });
    // lEditCol(nCol, @uValue, cPicture, bValid, nClrFore, nClrBack, cMsg, cError)
    c.Method("LEDITCOL", [](Object& o, Args& a) {
      Value value = a.Arg(2);
      const bool confirmed = As(o).lEditCol(I(a, 1), value, std::string(a.Str(3)), a.Arg(4), ColourArg(a, 5),
                                            ColourArg(a, 6), std::string(a.Str(7)), std::string(a.Str(8)));
      a.SetRef(2, value);
      return Value::Logical(confirmed);
    });
    c.Method("SELFONT", [](Object& o, Args&) { return Value::Logical(As(o).SelFont()); });
    c.Method("REPORT", [](Object& o, Args& a) {
      As(o).Report(std::string(a.Str(1)), a.Log(2, true), a.IsNil(3) ? 1 : I(a, 3));
      return Value();
    });
    c.Method("INSPECT", [](Object& o, Args& a) { return As(o).InspectBlock(std::string(a.Str(1))); });
    c.Method("EDITCOLUMNS", [](Object& o, Args&) { return Value::Logical(As(o).EditColumns()); });
    return c;
  }();
  return cls;
}

void RegisterColumnBrowses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterColumnClasses();
  (void)TCBrowse::Cls();
  xb::RegisterFunction("TCBROWSE", [](Args&) { return Value(xb::MakeRef<TCBrowse>()); });
  // DATESEEK(cText, nKey): the date search text after the key; a key it refuses beeps and
  // leaves the text as it was.
  xb::RegisterFunction("DATESEEK", [](Args& a) -> Value {
    const DateSeekStep step = DateSeek(a.Str(1), static_cast<int>(a.Int(2)));
    if (step.beep) {
      if (xb::IsFunctionRegistered("TONE")) xb::CallFunction("TONE", {Value::Integer(500), Value::Integer(1)});
      else ::MessageBeep(0);
    }
    return Value::String(step.text);
  });
  RegisterCellPainter();
}

}  // namespace ui
