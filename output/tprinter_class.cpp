// The messages of TPRINTER that text compiled at run time may send, and PRINTBEGIN,
// PAGEBEGIN, PAGEEND and PRINTEND.
#include <cstdint>

#include "output/tprinter.h"
#include "runtime/function_table.h"
#include "ui/core/tpen.h"
#include "ui/core/value_text.h"

namespace output {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TPrinter& P(Object& o) { return xb::Class::Cast<TPrinter>(o); }
ui::TFont* FontArg(const Args& a, int n) { return dynamic_cast<ui::TFont*>(a.Obj(n).get()); }
ui::TPen* PenArg(const Args& a, int n) { return dynamic_cast<ui::TPen*>(a.Obj(n).get()); }
int I(const Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }
Value Handle(const void* h) { return Value::Integer(reinterpret_cast<std::intptr_t>(h)); }
Value Pair(double first, double second) {
  return Value(xb::Array::Of({Value::Number(first), Value::Number(second)}));
}
Value RowCol(POINT p) { return Value(xb::Array::Of({Value::Integer(p.y), Value::Integer(p.x)})); }
Value RowColBack(Args& a, POINT p) {
  a.SetRef(1, Value::Integer(p.y));
  a.SetRef(2, Value::Integer(p.x));
  return RowCol(p);
}
std::string Text(const Value& v) { return v.IsString() ? std::string(v.AsString()) : ui::CValToChar(v); }

void DefineMessagesOf(xb::Class& c) {
  c.Property("OFONT", [](Object& o) { return P(o).oFont ? Value(P(o).oFont) : Value(); },
             [](Object& o, const Value& v) {
               P(o).oFont = xb::Ref<ui::TFont>(dynamic_cast<ui::TFont*>(v.AsObject().get()));
             });
  c.Property("HDC", [](Object& o) { return Handle(P(o).hDC); }, nullptr);
  c.Property("HDCOUT", [](Object& o) { return Handle(P(o).hDCOut); }, nullptr);
  c.Property("AMETA", [](Object& o) {
    xb::Array files = xb::Array::New();
    for (const std::string& f : P(o).aMeta) files.Append(Value::String(f));
    return Value(files);
  }, nullptr);
  c.Data("CDIR", &TPrinter::cDir);
  c.Data("CDOCUMENT", &TPrinter::cDocument);
  c.Data("CMODEL", &TPrinter::cModel);
  c.Data("NPAGE", &TPrinter::nPage);
  c.Data("NXOFFSET", &TPrinter::nXOffset);
  c.Data("NYOFFSET", &TPrinter::nYOffset);
  c.Data("NPAD", &TPrinter::nPad);
  c.Data("NORIENT", &TPrinter::nOrient);
  c.Data("LMETA", &TPrinter::lMeta);
  c.Data("LSTARTED", &TPrinter::lStarted);
  c.Data("LMODIFIED", &TPrinter::lModified);
  c.Data("LPRVMODAL", &TPrinter::lPrvModal);

  // New( cDocument, lUser, lPreview, cModel, lModal )
  c.Method("NEW", [](Object& o, Args& a) {
    TPrinter::NewParams p;
    if (a.Arg(1).IsString()) p.document = std::string(a.Str(1));
    p.user = a.Log(2);
    p.preview = a.Log(3);
    p.model = std::string(a.Str(4));
    p.modal = a.Log(5);
    P(o).Init(p);
    return o.AsValue();
  });
  c.Method("STARTPAGE", [](Object& o, Args&) { P(o).StartPage(); return Value(); });
  c.Method("ENDPAGE", [](Object& o, Args&) { P(o).EndPage(); return Value(); });
  c.Method("END", [](Object& o, Args&) { P(o).End(); return Value(); });
  c.Method("PREVIEW", [](Object& o, Args&) { P(o).ShowPreview(); return Value(); });
  c.Method("REBUILD", [](Object& o, Args&) { P(o).Rebuild(); return Value(); });
  // Say( nRow, nCol, cText, oFont, nWidth, nClrText, nBkMode, nPad )
  c.Method("SAY", [](Object& o, Args& a) {
    TPrinter& p = P(o);
    const std::optional<COLORREF> colour =
        a.Arg(6).IsNumber() ? std::optional<COLORREF>(static_cast<COLORREF>(a.Int(6))) : std::nullopt;
    p.Say(I(a, 1), I(a, 2), Text(a.Arg(3)), FontArg(a, 4), I(a, 5), colour, I(a, 7, kTransparent),
          static_cast<Pad>(I(a, 8, p.nPad)));
    return Value();
  });
  c.Method("CMSAY", [](Object& o, Args& a) {
    P(o).CmSay(a.Num(1), a.Num(2), Text(a.Arg(3)), FontArg(a, 4));
    return Value();
  });
  c.Method("INCHSAY", [](Object& o, Args& a) {
    P(o).InchSay(a.Num(1), a.Num(2), Text(a.Arg(3)), FontArg(a, 4));
    return Value();
  });
  c.Method("CHARSAY", [](Object& o, Args& a) {
    P(o).CharSay(I(a, 1), I(a, 2), Text(a.Arg(3)));
    return Value();
  });
  // SayBitmap( nRow, nCol, xBitmap, nWidth, nHeight, nRaster )
  c.Method("SAYBITMAP", [](Object& o, Args& a) {
    P(o).SayBitmap(I(a, 1), I(a, 2), a.Arg(3), I(a, 4), I(a, 5), static_cast<DWORD>(I(a, 6)));
    return Value();
  });
  // SayImage( nRow, nCol, oImage, nWidth, nHeight, nRaster )
  c.Method("SAYIMAGE", [](Object& o, Args& a) {
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    if (a.Arg(3).IsObject() && xb::HasMessage(a.Arg(3), xb::Intern("HBITMAP")))
      bitmap = reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(xb::Send(a.Arg(3), "HBITMAP").AsInt()));
    if (a.Arg(3).IsObject() && xb::HasMessage(a.Arg(3), xb::Intern("HPALETTE")))
      palette = reinterpret_cast<HPALETTE>(static_cast<std::intptr_t>(xb::Send(a.Arg(3), "HPALETTE").AsInt()));
    P(o).SayImage(I(a, 1), I(a, 2), bitmap, I(a, 4), I(a, 5), palette, static_cast<DWORD>(I(a, 6)));
    return Value();
  });
  c.Method("SETPOS", [](Object& o, Args& a) { P(o).SetPos(I(a, 1), I(a, 2)); return Value(); });
  c.Method("LINE", [](Object& o, Args& a) {
    P(o).Line(I(a, 1), I(a, 2), I(a, 3), I(a, 4), PenArg(a, 5));
    return Value();
  });
  c.Method("BOX", [](Object& o, Args& a) {
    P(o).Box(I(a, 1), I(a, 2), I(a, 3), I(a, 4), PenArg(a, 5));
    return Value();
  });
  c.Method("FILLRECT", [](Object& o, Args& a) {
    const xb::Array r = a.Arr(1);
    HBRUSH brush = nullptr;
    if (a.Arg(2).IsObject() && xb::HasMessage(a.Arg(2), xb::Intern("HBRUSH")))
      brush = reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(xb::Send(a.Arg(2), "HBRUSH").AsInt()));
    auto at = [&](std::size_t i) { return static_cast<int>(r.Get(i).AsInt()); };
    P(o).FillRect(ui::Rect{at(0), at(1), at(2), at(3)}, brush);
    return Value();
  });
  c.Method("IMPORTWMF", [](Object& o, Args& a) {
    P(o).ImportWMF(std::string(a.Str(1)), a.Log(2, true));
    return Value();
  });
  c.Method("IMPORTRAW", [](Object& o, Args& a) { P(o).ImportRAW(std::string(a.Str(1))); return Value(); });
  c.Method("GETTEXTWIDTH", [](Object& o, Args& a) {
    return Value::Integer(P(o).GetTextWidth(Text(a.Arg(1)), FontArg(a, 2)));
  });
  c.Method("GETTEXTHEIGHT", [](Object& o, Args& a) {
    return Value::Integer(P(o).GetTextHeight(Text(a.Arg(1)), FontArg(a, 2)));
  });
  // Cmtr2Pix( @nRow, @nCol ), Inch2Pix( @nRow, @nCol ): both arguments take the pixels too.
  c.Method("CMTR2PIX", [](Object& o, Args& a) { return RowColBack(a, P(o).Cmtr2Pix(a.Num(1), a.Num(2))); });
  c.Method("INCH2PIX", [](Object& o, Args& a) { return RowColBack(a, P(o).Inch2Pix(a.Num(1), a.Num(2))); });
  c.Method("CMRECT2PIX", [](Object& o, Args& a) {
    const xb::Array r = a.Arr(1);
    const ui::Rect px = P(o).CmRect2Pix(r.Get(0).AsDouble(), r.Get(1).AsDouble(), r.Get(2).AsDouble(),
                                        r.Get(3).AsDouble());
    return Value(xb::Array::Of({Value::Integer(px.top), Value::Integer(px.left), Value::Integer(px.bottom),
                                Value::Integer(px.right)}));
  });
  c.Method("PIX2MMTR", [](Object& o, Args& a) {
    const auto [row, col] = P(o).Pix2Mmtr(I(a, 1), I(a, 2));
    return Pair(row, col);
  });
  c.Method("PIX2INCH", [](Object& o, Args& a) {
    const auto [row, col] = P(o).Pix2Inch(I(a, 1), I(a, 2));
    return Pair(row, col);
  });
  c.Method("GETPHYSIZE", [](Object& o, Args&) {
    const auto [width, height] = P(o).GetPhySize();
    return Pair(width, height);
  });
  c.Method("NVERTRES", [](Object& o, Args&) { return Value::Integer(P(o).nVertRes()); });
  c.Method("NHORZRES", [](Object& o, Args&) { return Value::Integer(P(o).nHorzRes()); });
  c.Method("NVERTSIZE", [](Object& o, Args&) { return Value::Integer(P(o).nVertSize()); });
  c.Method("NHORZSIZE", [](Object& o, Args&) { return Value::Integer(P(o).nHorzSize()); });
  c.Method("NLOGPIXELX", [](Object& o, Args&) { return Value::Integer(P(o).nLogPixelX()); });
  c.Method("NLOGPIXELY", [](Object& o, Args&) { return Value::Integer(P(o).nLogPixelY()); });
  static const char* const kModes[] = {"SETPIXELMODE",  "SETLOMETRICMODE", "SETHIMETRICMODE",   "SETLOINCHMODE",
                                       "SETHIINCHMODE", "SETTWIPSMODE",    "SETISOTROPICMODE", "SETANISOTROPICMODE"};
  for (int mode = 1; mode <= 8; ++mode) {
    c.Method(kModes[mode - 1], [mode](Object& o, Args&) { P(o).SetMapMode(mode); return Value(); });
  }
  c.Method("SETWINDOWEXT", [](Object& o, Args& a) { P(o).SetWindowExt(I(a, 1), I(a, 2)); return Value(); });
  c.Method("SETVIEWPORTEXT", [](Object& o, Args& a) { P(o).SetViewPortExt(I(a, 1), I(a, 2)); return Value(); });
  c.Method("SETFONT", [](Object& o, Args& a) {
    ui::TFont* font = P(o).SetFont(xb::Ref<ui::TFont>(FontArg(a, 1)));
    return font != nullptr ? font->AsValue() : Value();
  });
  c.Method("CHARWIDTH", [](Object& o, Args&) { return Value::Integer(P(o).CharWidth()); });
  c.Method("CHARHEIGHT", [](Object& o, Args&) { return Value::Integer(P(o).CharHeight()); });
  c.Method("GETORIENTATION", [](Object& o, Args&) { return Value::Integer(P(o).GetOrientation()); });
  c.Method("SETLANDSCAPE", [](Object& o, Args&) { P(o).SetLandscape(); return Value(); });
  c.Method("SETPORTRAIT", [](Object& o, Args&) { P(o).SetPortrait(); return Value(); });
  c.Method("SETCOPIES", [](Object& o, Args& a) { P(o).SetCopies(I(a, 1, 1)); return Value(); });
  c.Method("SETSIZE", [](Object& o, Args& a) { P(o).SetSize(I(a, 1), I(a, 2)); return Value(); });
  c.Method("SETPAGE", [](Object& o, Args& a) { P(o).SetPage(I(a, 1)); return Value(); });
  c.Method("SETBIN", [](Object& o, Args& a) { P(o).SetBin(I(a, 1)); return Value(); });
  c.Method("DRAFTMODE", [](Object& o, Args& a) { P(o).DraftMode(a.Log(1, true)); return Value(); });
  c.Method("GETMODEL", [](Object& o, Args&) { return Value::String(P(o).GetModel()); });
  c.Method("GETDRIVER", [](Object& o, Args&) { return Value::String(P(o).GetDriver()); });
  c.Method("GETPORT", [](Object& o, Args&) { return Value::String(P(o).GetPort()); });
  c.Method("SETUP", [](Object& o, Args&) { P(o).Setup(); return Value(); });
  c.Method("RESETDC", [](Object& o, Args&) { return Value::Logical(P(o).ResetDC()); });
}

}  // namespace

void DefinePrinterMessages(xb::Class& c) { DefineMessagesOf(c); }

const xb::Class& TPrinter::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TPRINTER");
    DefineMessagesOf(c);
    return c;
  }();
  return cls;
}

void RegisterPrinterClass() {
  (void)TPrinter::Cls();
  xb::RegisterFunction("TPRINTER", [](Args&) { return Value(xb::MakeRef<TPrinter>()); });
  // PRINTBEGIN( cDocument, lUser, lPreview, xModel, lModal )
  xb::RegisterFunction("PRINTBEGIN", [](Args& a) {
    return Value(PrintBegin(std::string(a.Str(1)), a.Log(2), a.Log(3), a.Arg(4), a.Log(5)));
  });
  xb::RegisterFunction("PAGEBEGIN", [](Args&) {
    if (xb::Ref<TPrinter> p = CurrentPrinter()) p->StartPage();
    return Value();
  });
  xb::RegisterFunction("PAGEEND", [](Args&) {
    if (xb::Ref<TPrinter> p = CurrentPrinter()) p->EndPage();
    return Value();
  });
  xb::RegisterFunction("PRINTEND", [](Args&) {
    PrintEnd();
    return Value();
  });
}

}  // namespace output
