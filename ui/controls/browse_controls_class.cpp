// The messages of TSCROLLBAR, TQZSCRLLBAR, TGET and TWBROWSE that text compiled at run time
// may send, the class functions, the browse's helper functions by name, and the scroll-bar
// objects of windows made with scroll bars.
#include <cstdint>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/tlinklist.h"
#include "ui/controls/tget.h"
#include "ui/controls/tscrollbar.h"
#include "ui/controls/twbrowse.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

template <typename H>
H Handle(const Args& a, int n) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(a.Int(n)));
}
int I(const Args& a, int n) { return static_cast<int>(a.Int(n)); }

template <typename T>
T& As(Object& o) {
  return xb::Class::Cast<T>(o);
}

Value AnswerValue(const Answer& r) {
  if (r.is_number()) return Value::Integer(r.number());
  if (r.is_logical()) return Value::Logical(r.logical());
  return Value();
}

WindowRef WindowArg(const Args& a, int n) {
  auto* w = dynamic_cast<TWindow*>(a.Obj(n).get());
  return w != nullptr ? WindowRef(w) : nullptr;
}

std::vector<int> Widths(const xb::Array& a) {
  std::vector<int> widths;
  for (const Value& v : a) widths.push_back(static_cast<int>(v.AsInt()));
  return widths;
}

// A colour argument, or none when it is not a number.
std::optional<COLORREF> ColourArg(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}

xb::ObjectRef MakeWindowBar(TWindow& window, bool vertical) {
  TScrollBar::WinParams p;
  p.vertical = vertical;
  return TScrollBar::OverWindow(window, p);
}

}  // namespace

// ---- TSCROLLBAR ---------------------------------------------------------------------------------------

const xb::Class& TScrollBar::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TSCROLLBAR", &TControl::Cls());
    using S = TScrollBar;
    c.Data("LVERTICAL", &S::lVertical)
        .Data("LREDRAW", &S::lReDraw)
        .Data("LISCHILD", &S::lIsChild)
        .Data("NMIN", &S::nMin)
        .Data("NMAX", &S::nMax)
        .Data("NPGSTEP", &S::nPgStep)
        .Data("BGOUP", &S::bGoUp)
        .Data("BGODOWN", &S::bGoDown)
        .Data("BGOTOP", &S::bGoTop)
        .Data("BGOBOTTOM", &S::bGoBottom)
        .Data("BPAGEUP", &S::bPageUp)
        .Data("BPAGEDOWN", &S::bPageDown)
        .Data("BPOS", &S::bPos)
        .Data("BTRACK", &S::bTrack);
    c.Property("APROPERTIES", [](Object&) {
      return Value(xb::Array::Of({Value::String("cVarName"), Value::String("nMin"), Value::String("nMax"),
                                  Value::String("nPgStep"), Value::String("nTop"), Value::String("nLeft"),
                                  Value::String("Cargo"), Value::String("lVertical")}));
    }, nullptr);
    // New(nRow, nCol, nMin, nMax, nPgStep, lVertical, oWnd, nWidth, nHeight, bUp, bDown,
    //     bPgUp, bPgDown, bPos, lPixel, nClrBack, nClrText, cMsg, lUpdate, bWhen, bValid, lDesign)
    c.Method("NEW", [](Object& o, Args& a) {
      NewParams p;
      p.row = I(a, 1);
      p.col = I(a, 2);
      p.min = I(a, 3);
      p.max = I(a, 4);
      p.page_step = a.IsNil(5) ? 1 : I(a, 5);
      p.vertical = a.Log(6, true);
      p.parent = WindowArg(a, 7);
      p.width = I(a, 8);
      p.height = I(a, 9);
      p.go_up = a.Arg(10);
      p.go_down = a.Arg(11);
      p.page_up = a.Arg(12);
      p.page_down = a.Arg(13);
      p.pos = a.Arg(14);
      p.pixel = a.Log(15);
      p.back = ColourArg(a, 16);
      p.fore = ColourArg(a, 17);
      p.message = std::string(a.Str(18));
      p.update = a.Log(19);
      p.when = a.Arg(20);
      p.valid = a.Arg(21);
      p.design = a.Log(22);
      return As<S>(o).New(p).Self();
    });
    // WinNew(nMin, nMax, nPgStep, lVertical, oWnd, bUp, bDown, bPgUp, bPgDown, bPos, ...)
    c.Method("WINNEW", [](Object& o, Args& a) {
      WinParams p;
      p.min = a.IsNil(1) ? 1 : I(a, 1);
      p.max = a.IsNil(2) ? 2 : I(a, 2);
      p.page_step = a.IsNil(3) ? 1 : I(a, 3);
      p.vertical = a.Log(4, true);
      p.go_up = a.Arg(6);
      p.go_down = a.Arg(7);
      p.page_up = a.Arg(8);
      p.page_down = a.Arg(9);
      p.pos = a.Arg(10);
      p.update = a.Log(13);
      p.when = a.Arg(14);
      p.valid = a.Arg(15);
      if (WindowRef window = WindowArg(a, 5)) As<S>(o).WinNew(*window, p);
      return o.AsValue();
    });
    // ReDefine(nId, nMin, nMax, nPgStep, oWnd, bGoUp, bGoDown, bPageUp, bPageDown, bPos,
    //          nClrFore, nClrBack, cMsg, lUpdate, bWhen, bValid)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      S& s = As<S>(o);
      S::RedefineParams p;
      p.parent = WindowArg(a, 5);
      p.min = I(a, 2);
      p.max = I(a, 3);
      p.page_step = a.IsNil(4) ? 1 : I(a, 4);
      p.go_up = a.Arg(6);
      p.go_down = a.Arg(7);
      p.page_up = a.Arg(8);
      p.page_down = a.Arg(9);
      p.pos = a.Arg(10);
      p.fore = ColourArg(a, 11);
      p.back = ColourArg(a, 12);
      p.message = std::string(a.Str(13));
      p.update = a.Log(14);
      p.when = a.Arg(15);
      p.valid = a.Arg(16);
      s.ReDefine(I(a, 1), p);
      return o.AsValue();
    });
    c.Method("GETPOS", [](Object& o, Args&) { return Value::Integer(As<S>(o).GetPos()); });
    c.Method("GETRANGE", [](Object& o, Args&) {
      const auto [min, max] = As<S>(o).GetRange();
      return Value(xb::Array::Of({Value::Integer(min), Value::Integer(max)}));
    });
    c.Method("SETPOS", [](Object& o, Args& a) { As<S>(o).SetPos(I(a, 1)); return Value(); });
    c.Method("SETRANGE", [](Object& o, Args& a) { As<S>(o).SetRange(I(a, 1), I(a, 2)); return Value(); });
    c.Method("SETPAGE", [](Object&, Args&) { return Value(); });
    c.Method("GOUP", [](Object& o, Args&) { As<S>(o).GoUp(); return Value(); });
    c.Method("GODOWN", [](Object& o, Args&) { As<S>(o).GoDown(); return Value(); });
    c.Method("GOTOP", [](Object& o, Args&) { As<S>(o).GoTop(); return Value(); });
    c.Method("GOBOTTOM", [](Object& o, Args&) { As<S>(o).GoBottom(); return Value(); });
    c.Method("PAGEUP", [](Object& o, Args&) { As<S>(o).PageUp(); return Value(); });
    c.Method("PAGEDOWN", [](Object& o, Args&) { As<S>(o).PageDown(); return Value(); });
    c.Method("THUMBPOS", [](Object& o, Args& a) { As<S>(o).ThumbPos(I(a, 1)); return Value(); });
    c.Method("THUMBTRACK", [](Object& o, Args& a) { As<S>(o).ThumbTrack(I(a, 1)); return Value(); });
    c.Method("CTOCHAR", [](Object& o, Args&) { return Value::String(As<S>(o).cToChar("SCROLLBAR")); });
    return c;
  }();
  return cls;
}

const xb::Class& TQZScrllBar::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZSCRLLBAR", &TScrollBar::Cls());
    return c;
  }();
  return cls;
}

// ---- TGET -------------------------------------------------------------------------------------------------

const xb::Class& TGet::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TGET", &TControl::Cls());
    using G = TGet;
    c.Property("OGET", [](Object& o) { return As<G>(o).oGet ? Value(As<G>(o).oGet) : Value(); }, nullptr)
        .Data("BMIN", &G::bMin)
        .Data("BMAX", &G::bMax)
        .Data("NPOS", &G::nPos)
        .Data("LREADONLY", &G::lReadOnly)
        .Data("LPASSWORD", &G::lPassword)
        .Data("CERROR", &G::cError)
        .Data("CPICTURE", &G::cPicture)
        .Data("LNOBORDER", &G::lNoBorder)
        .Data("NTIPOTECLADO", &G::nTipoTeclado);
    c.Property("CTEXT", [](Object& o) { return Value::String(As<G>(o).cText()); },
               [](Object& o, const Value& v) { As<G>(o).SetText(v); });
    // New(nRow, nCol, bSetGet, oWnd, nWidth, nHeight, cPict, bValid, nClrFore, nClrBack, oFont,
    //     lDesign, oCursor, lPixel, cMsg, lUpdate, bWhen, lCenter, lRight, bChanged, lReadOnly,
    //     lPassword, lNoBorder, nHelpId, lSpinner, bUp, bDown, bMin, bMax)
    c.Method("NEW", [](Object& o, Args& a) {
      NewParams p;
      p.row = I(a, 1);
      p.col = I(a, 2);
      p.set_get = a.Arg(3);
      p.parent = WindowArg(a, 4);
      p.width = I(a, 5);
      p.height = I(a, 6);
      p.picture = std::string(a.Str(7));
      p.valid = a.Arg(8);
      p.fore = ColourArg(a, 9);
      p.back = ColourArg(a, 10);
      if (auto* font = dynamic_cast<TFont*>(a.Obj(11).get())) p.font = xb::Ref<TFont>(font);
      p.design = a.Log(12);
      p.pixel = a.Log(14);
      p.message = std::string(a.Str(15));
      p.update = a.Log(16);
      p.when = a.Arg(17);
      p.centre = a.Log(18);
      p.right = a.Log(19);
      p.change = a.Arg(20);
      p.read_only = a.Log(21);
      p.password = a.Log(22);
      p.no_border = a.Log(23);
      p.help_id = I(a, 24);
      p.spinner = a.Log(25);
      p.up = a.Arg(26);
      p.down = a.Arg(27);
      p.min = a.Arg(28);
      p.max = a.Arg(29);
      return As<G>(o).New(p).Self();
    });
    // ReDefine(nId, bSetGet, oWnd, nHelpId, cPict, bValid, nClrFore, nClrBack, oFont, oCursor,
    //          cMsg, lUpdate, bWhen, bChanged, lReadOnly, lSpinner, bUp, bDown, bMin, bMax)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      RedefineParams p;
      p.set_get = a.Arg(2);
      p.parent = WindowArg(a, 3);
      p.help_id = I(a, 4);
      p.picture = std::string(a.Str(5));
      p.valid = a.Arg(6);
      p.fore = ColourArg(a, 7);
      p.back = ColourArg(a, 8);
      if (auto* font = dynamic_cast<TFont*>(a.Obj(9).get())) p.font = xb::Ref<TFont>(font);
      p.message = std::string(a.Str(11));
      p.update = a.Log(12);
      p.when = a.Arg(13);
      p.change = a.Arg(14);
      p.read_only = a.Log(15);
      p.spinner = a.Log(16);
      p.up = a.Arg(17);
      p.down = a.Arg(18);
      p.min = a.Arg(19);
      p.max = a.Arg(20);
      return As<G>(o).ReDefine(I(a, 1), p).Self();
    });
    c.Method("ASSIGN", [](Object& o, Args&) { As<G>(o).Assign(); return Value(); });
    c.Method("REFRESH", [](Object& o, Args&) { As<G>(o).Refresh(); return Value(); });
    c.Method("VALUE", [](Object& o, Args&) { return As<G>(o).VarValue(); });
    c.Method("VARPUT", [](Object& o, Args& a) { As<G>(o).oGet->VarPut(a.Arg(1)); return Value(); });
    c.Method("GETSEL", [](Object& o, Args&) { return Value::String(As<G>(o).GetSel()); });
    c.Method("GETSELPOS", [](Object& o, Args& a) {
      const auto [start, end] = As<G>(o).GetSelPos();
      a.SetRef(1, Value::Integer(start));
      a.SetRef(2, Value::Integer(end));
      return Value();
    });
    c.Method("GETDELSEL", [](Object& o, Args& a) { As<G>(o).GetDelSel(I(a, 1), I(a, 2)); return Value(); });
    c.Method("SELECTALL", [](Object& o, Args&) { As<G>(o).SelectAll(); return Value(); });
    c.Method("HIDESEL", [](Object& o, Args&) { As<G>(o).SetSel(-1, 0); return Value(); });
    c.Method("SETSEL", [](Object& o, Args& a) { As<G>(o).SetSel(I(a, 1), I(a, 2)); return Value(); });
    c.Method("COPY", [](Object& o, Args&) { As<G>(o).Copy(); return Value(); });
    c.Method("CUT", [](Object& o, Args&) { As<G>(o).Cut(); return Value(); });
    c.Method("PASTE", [](Object& o, Args& a) {
      As<G>(o).Paste(a.Arg(1).IsString() ? std::optional<std::string>(std::string(a.Str(1))) : std::nullopt);
      return Value();
    });
    c.Method("UNDO", [](Object& o, Args&) { As<G>(o).UnDo(); return Value(); });
    c.Method("INC", [](Object& o, Args&) { return As<G>(o).Inc().Self(); });
    c.Method("DEC", [](Object& o, Args&) { return As<G>(o).Dec().Self(); });
    c.Method("SPINNER", [](Object& o, Args& a) {
      As<G>(o).Spinner(a.Arg(1), a.Arg(2), a.Arg(3), a.Arg(4));
      return Value();
    });
    c.Method("EDITUPDATE", [](Object& o, Args&) { As<G>(o).EditUpdate(); return Value(); });
    c.Method("DISPTEXT", [](Object& o, Args&) { As<G>(o).Refresh(); return Value(); });
    c.Method("LVALID", [](Object& o, Args&) { return Value::Logical(As<G>(o).lValid()); });
    c.Method("CTOCHAR", [](Object& o, Args&) { return Value::String(As<G>(o).cToChar("EDIT")); });
    c.Method("SELFILE", [](Object& o, Args& a) {
      return Value::String(As<G>(o).SelFile(std::string(a.Str(1)), std::string(a.Str(2))));
    });
    c.Method("GETHBUFFER", [](Object&, Args&) { return Value(); });
    return c;
  }();
  return cls;
}

// ---- TWBROWSE ---------------------------------------------------------------------------------------------

TWBrowse::NewParams TWBrowse::NewParams::FromArgs(const Args& a) {
  NewParams p;
  p.row = I(a, 1);
  p.col = I(a, 2);
  if (!a.IsNil(3)) p.width = I(a, 3);
  if (!a.IsNil(4)) p.height = I(a, 4);
  p.line = a.Arg(5);
  p.headers = a.Arg(6);
  p.col_sizes = a.Arg(7);
  p.parent = WindowArg(a, 8);
  p.field = std::string(a.Str(9));
  p.value1 = a.Arg(10);
  p.value2 = a.Arg(11);
  p.change = a.Arg(12);
  p.dbl_click = a.Arg(13);
  p.r_clicked = a.Arg(14);
  if (auto* font = dynamic_cast<TFont*>(a.Obj(15).get())) p.font = xb::Ref<TFont>(font);
  p.cursor = a.Obj(16);
  if (!a.IsNil(17)) p.fore = static_cast<COLORREF>(a.Int(17));
  if (!a.IsNil(18)) p.back = static_cast<COLORREF>(a.Int(18));
  p.message = std::string(a.Str(19));
  p.update = a.Log(20);
  if (a.Arg(21).IsString()) p.alias = std::string(a.Str(21));
  p.pixel = a.Log(22);
  p.when = a.Arg(23);
  p.design = a.Log(24);
  p.valid = a.Arg(25);
  return p;
}

TWBrowse::RedefineParams TWBrowse::RedefineParams::FromArgs(const Args& a) {
  RedefineParams p;
  p.line = a.Arg(2);
  p.parent = WindowArg(a, 3);
  p.headers = a.Arg(4);
  p.col_sizes = a.Arg(5);
  p.field = std::string(a.Str(6));
  p.value1 = a.Arg(7);
  p.value2 = a.Arg(8);
  p.change = a.Arg(9);
  p.dbl_click = a.Arg(10);
  p.r_clicked = a.Arg(11);
  if (auto* font = dynamic_cast<TFont*>(a.Obj(12).get())) p.font = xb::Ref<TFont>(font);
  p.cursor = a.Obj(13);
  if (!a.IsNil(14)) p.fore = static_cast<COLORREF>(a.Int(14));
  if (!a.IsNil(15)) p.back = static_cast<COLORREF>(a.Int(15));
  p.message = std::string(a.Str(16));
  p.update = a.Log(17);
  if (a.Arg(18).IsString()) p.alias = std::string(a.Str(18));
  p.when = a.Arg(19);
  p.valid = a.Arg(20);
  return p;
}

const xb::Class& TWBrowse::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TWBROWSE", &TControl::Cls());
    using B = TWBrowse;
    c.Data("CALIAS", &B::cAlias)
        .Data("CFIELD", &B::cField)
        .Data("UVALUE1", &B::uValue1)
        .Data("UVALUE2", &B::uValue2)
        .Data("BLINE", &B::bLine)
        .Data("BSKIP", &B::bSkip)
        .Data("BGOTOP", &B::bGoTop)
        .Data("BGOBOTTOM", &B::bGoBottom)
        .Data("BLOGICLEN", &B::bLogicLen)
        .Data("BADD", &B::bAdd)
        .Data("NROWPOS", &B::nRowPos)
        .Data("NCOLPOS", &B::nColPos)
        .Data("NLEN", &B::nLen)
        .Data("NAT", &B::nAt)
        .Data("NCOLACT", &B::nColAct)
        .Data("NMAXFILTER", &B::nMaxFilter)
        .Data("LHITTOP", &B::lHitTop)
        .Data("LHITBOTTOM", &B::lHitBottom)
        .Data("LMCHANGE", &B::lMChange)
        .Data("LAUTOEDIT", &B::lAutoEdit)
        .Data("LAUTOSKIP", &B::lAutoSkip)
        .Data("LCELLSTYLE", &B::lCellStyle)
        .Data("AHEADERS", &B::aHeaders)
        .Data("ACOLSIZES", &B::aColSizes)
        .Data("AJUSTIFY", &B::aJustify)
        .Data("AACTIONS", &B::aActions)
        .Data("NLINESTYLE", &B::nLineStyle)
        .Data("NHLINE", &B::nHLine)
        .Data("LALTERCLR", &B::lAlterClr)
        .Data("CCOLOR", &B::cColor)
        .Data("NPROW", &B::nPRow)
        .Data("BSKIPCOLOR", &B::bSkipColor)
        .Data("LTREE", &B::lTree)
        .Data("LCLASSIC", &B::lClassic)
        .Data("LTCB", &B::lTCB)
        .Data("LDRAWINGSEL", &B::lDrawingSel)
        .Data("LICONVIEW", &B::lIconView)
        .Data("AICONS", &B::aIcons)
        .Data("BICONDRAW", &B::bIconDraw)
        .Data("BICONTEXT", &B::bIconText)
        .Data("NICONPOS", &B::nIconPos)
        .Data("ABMPWIDTHS", &B::aBmpWidths)
        .Data("ABMPHEIGHT", &B::aBmpHeight)
        .Data("NTROW", &B::nTRow)
        .Data("APICTURES", &B::aPictures)
        .Data("AEDITABLES", &B::aEditables)
        .Data("AMESSAGES", &B::aMessages)
        .Data("ABVALIDS", &B::abValids)
        .Data("ACERRORS", &B::acErrors)
        .Data("ALNOHILITE", &B::alNoHilite)
        .Data("ACORDER", &B::acOrder)
        .Data("ACFOOTING", &B::acFooting)
        .Data("ABPREVEDIT", &B::abPrevEdit)
        .Data("ABPOSTEDIT", &B::abPostEdit)
        .Data("ANEDITMOVE", &B::anEditMove)
        .Data("ALFIXLITE", &B::alFixLite)
        .Data("ABCHANGE", &B::abChange)
        .Data("ABWHEN", &B::abWhen)
        .Data("ABPICTURE", &B::abPicture);
    auto colour = [&c](const char* name, COLORREF B::*member) {
      c.Property(name, [member](Object& o) { return Value::Integer(As<B>(o).*member); },
                 [member](Object& o, const Value& v) { As<B>(o).*member = static_cast<COLORREF>(v.AsInt()); });
    };
    colour("NCLRBACKHEAD", &B::nClrBackHead);
    colour("NCLRFOREHEAD", &B::nClrForeHead);
    colour("NCLRBACKFOCUS", &B::nClrBackFocus);
    colour("NCLRFOREFOCUS", &B::nClrForeFocus);
    colour("NXCLRLINE", &B::nxClrLine);
    colour("NXCLRPANE", &B::nXClrPane);
    colour("NXCLRTEXT", &B::nxClrText);
    colour("NCLRPROW1", &B::nClrPRow1);
    colour("NCLRPROW2", &B::nClrPRow2);
    colour("NCLRTROW1", &B::nClrTRow1);
    colour("NCLRTROW2", &B::nClrTRow2);
    // A number or a block, as the paint leaves them or code sets them.
    c.Property("NCLRTEXT", [](Object& o) { return As<B>(o).TextColourValue(); },
               [](Object& o, const Value& v) { As<B>(o).SetTextColourValue(v); });
    c.Property("NCLRPANE", [](Object& o) { return As<B>(o).PaneColourValue(); },
               [](Object& o, const Value& v) { As<B>(o).SetPaneColourValue(v); });
    c.Method("SETCOLOR", [](Object& o, Args& a) {
      xb::Ref<TBrush> brush;
      if (auto* b = dynamic_cast<TBrush*>(a.Obj(3).get())) brush = xb::Ref<TBrush>(b);
      if (a.Arg(1).IsString()) {
        As<B>(o).SetColor(std::string(a.Str(1)), brush);
      } else {
        As<B>(o).SetColor(static_cast<COLORREF>(a.Int(1)), static_cast<COLORREF>(a.Int(2)), brush);
      }
      return Value();
    });
    // Class data: the window class of the browse is registered.
    c.Property("LREGISTERED", [](Object& o) { return Value::Logical(TWindow::Registered(o.GetClass())); },
               [](Object& o, const Value& v) { TWindow::Registered(o.GetClass()) = v.AsLogical(); });
    c.Property("OGET", [](Object& o) { return As<B>(o).oGet() ? Value(As<B>(o).oGet()) : Value(); }, nullptr);
    c.Method("DRAWICONS", [](Object& o, Args&) { As<B>(o).DrawIcons(); return Value(); });
    c.Method("DRAWICON", [](Object& o, Args& a) { As<B>(o).DrawIcon(I(a, 1), a.Log(2)); return Value(); });
    c.Method("NATICON", [](Object& o, Args& a) { return Value::Integer(As<B>(o).nAtIcon(I(a, 1), I(a, 2))); });
    c.Property("NROWCOUNT", [](Object& o) { return Value::Integer(As<B>(o).nRowCount()); }, nullptr);
    c.Property("OVSCROLL", [](Object& o) { return As<B>(o).oVBar ? Value(As<B>(o).oVBar) : Value(); }, nullptr);
    c.Property("OHSCROLL", [](Object& o) { return As<B>(o).oHBar ? Value(As<B>(o).oHBar) : Value(); }, nullptr);
    // New(nRow, nCol, nWidth, nHeight, bLine, aHeaders, aColSizes, oWnd, cField, uVal1, uVal2,
    //     bChange, bLDblClick, bRClick, oFont, oCursor, nClrFore, nClrBack, cMsg, lUpdate,
    //     cAlias, lPixel, bWhen, lDesign, bValid, bLClicked, aActions, nHLine, nxClrLine, lNoBorder)
    c.Method("NEW", [](Object& o, Args& a) {
      NewParams p = NewParams::FromArgs(a);
      p.l_clicked = a.Arg(26);
      p.actions = a.Arg(27);
      if (!a.IsNil(28)) p.h_line = I(a, 28);
      p.line_colour = static_cast<COLORREF>(a.Int(29));
      p.no_border = a.Log(30);
      return As<B>(o).New(p).Self();
    });
    // ReDefine(nId, bLine, oWnd, aHeaders, aColSizes, cField, uVal1, uVal2, bChange, bLDblClick,
    //          bRClick, oFont, oCursor, nClrFore, nClrBack, cMsg, lUpdate, cAlias, bWhen, bValid,
    //          bLClicked, aActions, nHLine, nxClrLine)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      RedefineParams p = RedefineParams::FromArgs(a);
      p.l_clicked = a.Arg(21);
      p.actions = a.Arg(22);
      if (!a.IsNil(23)) p.h_line = I(a, 23);
      p.line_colour = static_cast<COLORREF>(a.Int(24));
      return As<B>(o).ReDefine(I(a, 1), p).Self();
    });
    c.Method("SETFILTER", [](Object& o, Args& a) {
      As<B>(o).SetFilter(std::string(a.Str(1)), a.Arg(2), a.Arg(3));
      return Value();
    });
    c.Method("SETARRAY", [](Object& o, Args& a) {
      if (xb::Array array = a.Arr(1)) As<B>(o).SetArray(array);
      return Value();
    });
    c.Method("SETTREE", [](Object& o, Args& a) {
      if (auto* tree = dynamic_cast<TLinkList*>(a.Obj(1).get())) As<B>(o).SetTree(*tree);
      return Value();
    });
    c.Method("SETCOLS", [](Object& o, Args& a) {
      if (xb::Array blocks = a.Arr(1)) As<B>(o).SetCols(blocks, a.Arg(2), a.Arg(3));
      return Value();
    });
    auto command = [&c](const char* name, void (B::*fn)()) {
      c.Method(name, [fn](Object& o, Args&) {
        (As<B>(o).*fn)();
        return Value();
      });
    };
    c.Method("GOUP", [](Object& o, Args& a) { As<B>(o).GoUp(a.Log(1, true)); return Value(); });
    c.Method("GODOWN", [](Object& o, Args& a) { As<B>(o).GoDown(a.Log(1, true)); return Value(); });
    command("GOLEFT", &B::GoLeft);
    command("GORIGHT", &B::GoRight);
    command("GOTOP", &B::GoTop);
    command("GOBOTTOM", &B::GoBottom);
    command("UPSTABLE", &B::UpStable);
    command("BUGUP", &B::UpStable);
    command("RECADD", &B::RecAdd);
    command("DRAWSELECT", &B::DrawSelect);
    command("RESETCOLOR", &B::ResetColor);
    command("DC", &B::DC);
    command("UC", &B::UC);
    command("LOADLOOK", &B::LoadLook);
    command("ADJCLIENT", &B::AdjClient);
    command("SHOWSIZES", &B::ShowSizes);
    c.Method("PAGEUP", [](Object& o, Args& a) { As<B>(o).PageUp(I(a, 1)); return Value(); });
    c.Method("PAGEDOWN", [](Object& o, Args& a) { As<B>(o).PageDown(I(a, 1)); return Value(); });
    c.Method("SKIP", [](Object& o, Args& a) { return Value::Integer(As<B>(o).Skip(I(a, 1))); });
    c.Method("REFRESH", [](Object& o, Args& a) { As<B>(o).Refresh(a.Log(1, true)); return Value(); });
    c.Method("LCLOSEAREA", [](Object& o, Args&) { return Value::Logical(As<B>(o).lCloseArea()); });
    c.Method("RECCOUNT", [](Object& o, Args& a) { return Value::Integer(As<B>(o).RecCount(a.Arg(1))); });
    c.Method("DRAWLINE", [](Object& o, Args& a) { As<B>(o).DrawLine(I(a, 1)); return Value::Integer(0); });
    c.Method("PAINT", [](Object& o, Args&) { As<B>(o).Paint(); return Value::Integer(0); });
    c.Method("DISPLAY", [](Object& o, Args&) { return AnswerValue(As<B>(o).Display()); });
    c.Method("NHROW", [](Object& o, Args&) { return Value::Integer(As<B>(o).nHRow()); });
    c.Method("GETPCOLOR", [](Object& o, Args& a) {
      B& b = As<B>(o);
      return Value::Integer(a.IsNil(1) ? b.TextColour(I(a, 2)) : b.PaneColour(I(a, 1)));
    });
    c.Method("NCLRLINE", [](Object& o, Args&) { return Value::Integer(As<B>(o).nClrLine()); });
    c.Method("_NCLRLINE", [](Object& o, Args& a) {
      As<B>(o).nxClrLine = static_cast<COLORREF>(a.Int(1));
      return Value();
    });
    c.Method("LWCLASSIC", [](Object& o, Args& a) { As<B>(o).lWClassic(a.Log(1)); return Value(); });
    c.Method("GETCOLSIZES", [](Object& o, Args&) {
      xb::Array sizes = xb::Array::New();
      for (int w : As<B>(o).GetColSizes()) sizes.Append(Value::Integer(w));
      return Value(sizes);
    });
    c.Method("NATCOL", [](Object& o, Args& a) { return Value::Integer(As<B>(o).nAtCol(I(a, 1))); });
    // VertLine(nX, nCol): the column-border drag line started over column nCol, or moved.
    c.Method("VERTLINE", [](Object& o, Args& a) {
      As<B>(o).VertLine(I(a, 1), a.IsNil(2) ? 0 : I(a, 2));
      return Value();
    });
    c.Method("ISCOLVISIBLE", [](Object& o, Args& a) { return Value::Logical(As<B>(o).IsColVisible(I(a, 1))); });
    c.Method("EDIT", [](Object& o, Args& a) { As<B>(o).Edit(a.IsNil(1) ? 1 : I(a, 1)); return Value(); });
    c.Method("LEDITCOL", [](Object& o, Args& a) {
      Value value = a.Arg(2);
      // lEditCol(nCol, @uVar, cPicture, bValid, nClrFore, nClrBack, aItems, bAction)
      const bool confirmed = As<B>(o).lEditCol(I(a, 1), value, std::string(a.Str(3)), a.Arg(4), ColourArg(a, 5),
                                               ColourArg(a, 6), a.Arg(7), a.Arg(8));
      a.SetRef(2, value);
      return Value::Logical(confirmed);
    });
    // EditCol(nCol, uVar, cPicture, bPostEdit, nClrFore, nClrBack, aItems)
    c.Method("EDITCOL", [](Object& o, Args& a) {
      return Value::Logical(As<B>(o).EditCol(I(a, 1), a.Arg(2), std::string(a.Str(3)), a.Arg(4), ColourArg(a, 5),
                                             ColourArg(a, 6), a.Arg(7)));
    });
    c.Method("SELFONT", [](Object& o, Args&) { return Value::Logical(As<B>(o).SelFont()); });
    c.Method("REPORT", [](Object& o, Args& a) {
      As<B>(o).Report(std::string(a.Str(1)), a.Log(2, true));
      return Value();
    });
    c.Method("VSCROLL", [](Object& o, Args& a) {
      return AnswerValue(As<B>(o).VScroll(static_cast<WPARAM>(a.Int(1)), static_cast<LPARAM>(a.Int(2))));
    });
    // HScroll(nCode, nPos): code and position as two arguments; the window message brings
    // both in wParam.
    c.Method("HSCROLL", [](Object& o, Args& a) {
      return AnswerValue(As<B>(o).HScroll(MAKEWPARAM(static_cast<WORD>(a.Int(1)), static_cast<WORD>(a.Int(2))), 0));
    });
    // The mouse messages as the window receives them: (nRow, nCol, nFlags) in client pixels.
    auto mouse = [&c](const char* name, Answer (B::*fn)(int, int, WPARAM)) {
      c.Method(name, [fn](Object& o, Args& a) {
        return AnswerValue((As<B>(o).*fn)(I(a, 1), I(a, 2), static_cast<WPARAM>(a.Int(3))));
      });
    };
    mouse("LBUTTONDOWN", &B::LButtonDown);
    mouse("LBUTTONUP", &B::LButtonUp);
    mouse("LDBLCLICK", &B::LDblClick);
    mouse("MOUSEMOVE", &B::MouseMove);
    // MouseWheel(nKeys, nDelta, nX, nY): the point in screen pixels.
    c.Method("MOUSEWHEEL", [](Object& o, Args& a) {
      return AnswerValue(As<B>(o).MouseWheel(I(a, 1), I(a, 2), I(a, 3), I(a, 4)));
    });
    c.Method("GETDLGCODE", [](Object& o, Args& a) {
      return AnswerValue(As<B>(o).GetDlgCode(static_cast<WPARAM>(a.Int(1))));
    });
    return c;
  }();
  return cls;
}

// ---- registration ----------------------------------------------------------------------------------------

void RegisterBrowseControls() {
  static bool done = false;
  if (done) return;
  done = true;
  SetScrollBarMaker(MakeWindowBar);
  RegisterTreeItems();
  (void)TScrollBar::Cls();
  (void)TQZScrllBar::Cls();
  (void)TGet::Cls();
  (void)TWBrowse::Cls();
  xb::RegisterFunction("TSCROLLBAR", [](Args&) { return Value(xb::MakeRef<TScrollBar>()); });
  xb::RegisterFunction("TQZSCRLLBAR", [](Args&) { return Value(xb::MakeRef<TQZScrllBar>()); });
  xb::RegisterFunction("TGET", [](Args&) { return Value(xb::MakeRef<TGet>()); });
  // LASTDAY(dDate): the last day of the date's month; an empty date stays empty.
  xb::RegisterFunction("LASTDAY", [](Args& a) -> Value {
    if (!a.Arg(1).IsDate()) return xb::ArgumentError("LASTDAY", 3012, a.Raw());
    const xb::Date date = a.Arg(1).AsDate();
    if (date.IsEmpty()) return a.Arg(1);
    int year = 0, month = 0, day = 0;
    date.ToYmd(year, month, day);
    for (int last = 31; last >= 28; --last)
      if (const xb::Date end = xb::Date::FromYmd(year, month, last); !end.IsEmpty()) return Value::FromDate(end);
    return a.Arg(1);
  });
  xb::RegisterFunction("TWBROWSE", [](Args&) { return Value(xb::MakeRef<TWBrowse>()); });
  xb::RegisterFunction("_AFIELDS", [](Args& a) {
    auto* b = dynamic_cast<TWBrowse*>(a.Obj(1).get());
    return b != nullptr ? Value(AFields(*b)) : Value(xb::Array::New());
  });
  xb::RegisterFunction("NWROW", [](Args& a) {
    return Value::Integer(NWRow(Handle<HWND>(a, 1), Handle<HFONT>(a, 4), I(a, 3), I(a, 5)));
  });
  xb::RegisterFunction("NWROWS", [](Args& a) {
    return Value::Integer(NWRows(Handle<HWND>(a, 1), Handle<HFONT>(a, 3), I(a, 4)));
  });
  xb::RegisterFunction("ABRWPOSRECT", [](Args& a) -> Value {
    if (!a.Arg(3).IsArray()) return xb::ArgumentError("ABRWPOSRECT", 3012, a.Raw());
    const xb::Array sizes = a.Arr(3);
    const auto r = ABrwPosRect(Handle<HWND>(a, 1), I(a, 2), Widths(sizes), I(a, 4), I(a, 5), Handle<HFONT>(a, 6), I(a, 7));
    if (!r) return Value();
    return Value(xb::Array::Of({Value::Integer(r->top), Value::Integer(r->left), Value::Integer(r->bottom),
                                Value::Integer(r->right)}));
  });
  xb::RegisterFunction("SCROLLWINDOWEX", [](Args& a) -> Value {
    if (!a.Arg(3).IsArray() || a.Arr(3).size() < 4) return xb::ArgumentError("SCROLLWINDOWEX", 3012, a.Raw());
    const xb::Array r = a.Arr(3);
    const Rect clip{static_cast<int>(r.Get(0).AsInt()), static_cast<int>(r.Get(1).AsInt()),
                    static_cast<int>(r.Get(2).AsInt()), static_cast<int>(r.Get(3).AsInt())};
    ScrollWindowRows(Handle<HWND>(a, 1), I(a, 2), clip);
    return Value();
  });
  xb::RegisterFunction("WNDBOXQZ", [](Args& a) {
    WndBoxQz(Handle<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), Handle<HPEN>(a, 6));
    return Value();
  });
}

}  // namespace ui
