// The messages of TPRINTER2 that text compiled at run time may send, and the module's
// functions PRINT2NEW, IMPRESORA, LPRNACTIVA and PRINT2CD ... PRINT2AD.
#include <cstdint>

#include "output/tprinter2.h"
#include "runtime/function_table.h"

namespace output {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TPrinter2& P(Object& o) { return xb::Class::Cast<TPrinter2>(o); }
int I(const Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }
double D(const Args& a, int n, double def = 0) { return a.IsNil(n) ? def : a.Num(n); }
std::optional<COLORREF> Colour(const Args& a, int n) {
  return a.Arg(n).IsNumber() ? std::optional<COLORREF>(static_cast<COLORREF>(a.Int(n))) : std::nullopt;
}

void DefineMessages(xb::Class& c) {
  c.Property("HDC", [](Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(P(o).hDC)); }, nullptr);
  c.Data("NPRINTER", &TPrinter2::nPrinter);
  c.Data("NLINEASPAGINA", &TPrinter2::nLineasPagina);
  c.Data("NLINEASPIE", &TPrinter2::nLineasPie);
  c.Data("NLINEASFOOTI", &TPrinter2::nLineasFootI);
  c.Data("NCOLUMNAS", &TPrinter2::nColumnas);
  c.Data("NALTOLINEA", &TPrinter2::nAltoLinea);
  c.Data("NALTOCHAR", &TPrinter2::nAltoChar);
  c.Data("NEXTLEADING", &TPrinter2::nExtLeading);
  c.Data("NANCHOCHAR", &TPrinter2::nAnchoChar);
  c.Data("NMAXANCHOCHAR", &TPrinter2::nMaxAnchoChar);
  c.Data("NTIPOFONT", &TPrinter2::nTipoFont);
  c.Data("NCURSORPOS", &TPrinter2::nCursorPos);
  c.Data("NSALTOLINEA", &TPrinter2::nSaltoLinea);
  c.Data("LBOLD", &TPrinter2::lBold);
  c.Data("NALIGN", &TPrinter2::nAlign);
  c.Data("CIMPRESORA", &TPrinter2::cImpresora);
  c.Data("CDRIVER", &TPrinter2::cDriver);
  c.Data("CPUERTO", &TPrinter2::cPuerto);
  c.Data("NXOFFSET", &TPrinter2::nXOffSet);
  c.Data("NYOFFSET", &TPrinter2::nYOffset);
  c.Data("NSAVSALTOLINEA", &TPrinter2::nSavSaltoLinea);
  c.Property("NCLRTEXT", [](Object& o) { return Value::Integer(P(o).nClrText); }, nullptr);
  c.Property("NCLRBACK", [](Object& o) { return Value::Integer(P(o).nClrBack); }, nullptr);
  c.Property("HFONT0", [](Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(P(o).hFont0)); }, nullptr);
  // acFonts: {index, handle, face, points, bold, italic, 0, name} of each of the six fonts.
  c.Property("ACFONTS", [](Object& o) {
    static const char* const kNames[] = {"FNT_NORMAL", "FNT_COMPRI", "FNT_EXPAND",
                                         "FNT_NORMAL_B", "FNT_COMPRI_B", "FNT_EXPAND_B"};
    xb::Array fonts = xb::Array::New();
    for (std::size_t i = 0; i < P(o).acFonts.size(); ++i) {
      const TPrinter2::FontSlot& f = P(o).acFonts[i];
      fonts.Append(Value(xb::Array::Of({Value::Integer(static_cast<std::int64_t>(i + 1)),
                                        Value::Integer(reinterpret_cast<std::intptr_t>(f.handle)),
                                        Value::String(f.face), Value::Integer(f.points), Value::Logical(f.bold),
                                        Value::Logical(f.italic), Value::Integer(0), Value::String(kNames[i])})));
    }
    return Value(fonts);
  }, nullptr);
  // MiAveCharW: the average character width of each font.
  c.Property("MIAVECHARW", [](Object& o) {
    xb::Array widths = xb::Array::New();
    for (const TPrinter2::FontSlot& f : P(o).acFonts) widths.Append(Value::Integer(f.average));
    return Value(widths);
  }, nullptr);
  c.Property("APAGES", [](Object& o) {
    const PageRange& r = P(o).aPages;
    return Value(xb::Array::Of({Value::Logical(r.range), Value::Integer(r.from), Value::Integer(r.to)}));
  }, nullptr);
  c.Property("ADEVNAMES", [](Object& o) {
    return Value(xb::Array::Of(
        {Value::String(P(o).cDriver), Value::String(P(o).cImpresora), Value::String(P(o).cPuerto)}));
  }, nullptr);

  c.Method("NEW", [](Object& o, Args& a) {
    P(o).New(a.Log(1), I(a, 2, 1));
    return o.AsValue();
  });
  c.Method("EMPIEZADOC", [](Object& o, Args& a) {
    return Value::Integer(P(o).EmpiezaDoc(a.Arg(1).IsString() ? std::string(a.Str(1)) : "Listado QZ"));
  });
  c.Method("EMPIEZAPAGINA", [](Object& o, Args&) { return Value::Integer(P(o).EmpiezaPagina()); });
  c.Method("END", [](Object& o, Args&) { P(o).End(); return Value(); });
  c.Method("OK", [](Object& o, Args&) { return Value::Logical(P(o).Ok()); });
  c.Method("NHEIGHT", [](Object& o, Args&) { return Value::Integer(P(o).nHeight()); });
  c.Method("NWIDTH", [](Object& o, Args&) { return Value::Integer(P(o).nWidth()); });
  c.Method("NVERTSIZE", [](Object& o, Args&) { return Value::Integer(P(o).nVertSize()); });
  c.Method("NHORZSIZE", [](Object& o, Args&) { return Value::Integer(P(o).nHorzSize()); });
  c.Method("NLOGPIXELX", [](Object& o, Args&) { return Value::Integer(P(o).nLogPixelX()); });
  c.Method("NLOGPIXELY", [](Object& o, Args&) { return Value::Integer(P(o).nLogPixelY()); });
  // SayPrinter( nRow, nCol, xValue, cPicture, lCompressed, lExpanded, lBold, lRight, lCentre, P10, P11,
  //             lPixels, lMM, nClrText, nClrBack )
  c.Method("SAYPRINTER", [](Object& o, Args& a) {
    TPrinter2::SayOptions s;
    s.picture = a.Arg(4).IsString() ? std::string(a.Str(4)) : std::string();
    s.compressed = a.Log(5);
    s.expanded = a.Log(6);
    s.bold = a.Log(7);
    s.right = a.Log(8);
    s.centre = a.Log(9);
    s.pixels = a.Log(12);
    s.mm = a.Log(13);
    s.text = Colour(a, 14);
    s.back = Colour(a, 15);
    P(o).SayPrinter(I(a, 1), I(a, 2), a.Arg(3), s);
    return Value();
  });
  c.Method("SAY", [](Object& o, Args& a) {
    P(o).Say(D(a, 1), D(a, 2), std::string(a.Str(3)), a.Log(4), a.Log(5));
    return Value();
  });
  c.Method("SAY2", [](Object& o, Args& a) {
    P(o).Say2(D(a, 1), D(a, 2), std::string(a.Str(3)));
    return Value();
  });
  c.Method("LINEA", [](Object& o, Args& a) {
    P(o).Linea(D(a, 1), D(a, 2), D(a, 3), D(a, 4), static_cast<COLORREF>(I(a, 5)), I(a, 6, 1), I(a, 7), a.Log(8),
               a.Log(9), a.Log(10));
    return Value();
  });
  c.Method("BOX", [](Object& o, Args& a) {
    P(o).Box(D(a, 1), D(a, 2), D(a, 3), D(a, 4), I(a, 5), I(a, 6, 2), static_cast<COLORREF>(I(a, 7)), a.Log(8),
             a.Log(9), a.Log(10));
    return Value();
  });
  // SayBitMap( nRow, nCol, xBitmap, nWidth, nHeight, nRaster, lMM, lPixels )
  c.Method("SAYBITMAP", [](Object& o, Args& a) {
    P(o).SayBitMap(D(a, 1), D(a, 2), a.Arg(3), D(a, 4), D(a, 5), a.Log(7, true), a.Log(8),
                   static_cast<DWORD>(a.IsNil(6) ? 0 : a.Int(6)));
    return Value();
  });
  c.Method("SAYBITMAP2", [](Object& o, Args& a) {
    P(o).SayBitmap2(D(a, 1), D(a, 2), a.Arg(3), D(a, 4), D(a, 5));
    return Value();
  });
  // Draw( nR0, nC0, nR1, nC1, cText, nFlags ), Align( nFlag ), SetPos( nRow, nCol ), Line( nRow, nCol )
  c.Method("DRAW", [](Object& o, Args& a) {
    return Value::Integer(P(o).Draw(I(a, 1), I(a, 2), I(a, 3), I(a, 4), std::string(a.Str(5)), I(a, 6)));
  });
  c.Method("ALIGN", [](Object& o, Args& a) { P(o).Align(I(a, 1)); return Value(); });
  c.Method("SETPOS", [](Object& o, Args& a) { P(o).SetPos(I(a, 1), I(a, 2)); return Value(); });
  c.Method("LINE", [](Object& o, Args& a) { P(o).Line(I(a, 1), I(a, 2)); return Value(); });
  c.Method("INMM2PIX", [](Object& o, Args& a) {
    const POINT p = P(o).InMM2Pix(D(a, 1), D(a, 2));
    return Value(xb::Array::Of({Value::Integer(p.y), Value::Integer(p.x)}));
  });
  c.Method("LSETLINPIE", [](Object& o, Args& a) { return Value::Logical(P(o).lSetLinPie(I(a, 1))); });
  c.Method("SETLINFOOTI", [](Object& o, Args& a) { P(o).SetLinFootI(I(a, 1)); return Value(); });
  c.Method("DATOSPAGINA", [](Object& o, Args&) { P(o).DatosPagina(); return Value(); });
  c.Method("ACTIVARFUENTE", [](Object& o, Args& a) { P(o).ActivarFuente(I(a, 1)); return o.AsValue(); });
  c.Method("COMPRIMIDA", [](Object& o, Args& a) { P(o).Comprimida(a.Log(1)); return Value(); });
  c.Method("NORMAL", [](Object& o, Args& a) { P(o).Normal(a.Log(1)); return Value(); });
  c.Method("EXPANDIDA", [](Object& o, Args& a) { P(o).Expandida(a.Log(1)); return Value(); });
  c.Method("PESONEGRITA", [](Object& o, Args&) { P(o).PesoNegrita(); return Value(); });
  c.Method("PESONORMAL", [](Object& o, Args&) { P(o).PesoNormal(); return Value(); });
  c.Method("SETALINEACION", [](Object& o, Args& a) { P(o).SetAlineacion(I(a, 1)); return Value(); });
  c.Method("PUTPRNCOLOR", [](Object& o, Args& a) { P(o).PutPrnColor(Colour(a, 1), Colour(a, 2)); return Value(); });
  c.Method("DELPRNCOLOR", [](Object& o, Args&) { P(o).DelPrnColor(); return Value(); });
  c.Method("CAMBIARPAPEL", [](Object& o, Args& a) { P(o).CambiarPapel(I(a, 1, -1), I(a, 2), I(a, 3)); return Value(); });
  c.Method("RESETEARPAPEL", [](Object& o, Args&) { P(o).ResetearPapel(); return Value(); });
  c.Method("SETORIENTATION", [](Object& o, Args& a) { P(o).SetOrientation(I(a, 1, 1), I(a, 2, 1)); return Value(); });
  c.Method("SETVERTICAL", [](Object& o, Args& a) { P(o).SetOrientation(1, I(a, 1, 1)); return Value(); });
  c.Method("SETAPAISADO", [](Object& o, Args& a) { P(o).SetOrientation(2, I(a, 1, 1)); return Value(); });
  c.Method("CARACTERISTICAS", [](Object& o, Args& a) {
    TPrinter2& p = P(o);
    const std::vector<int> values = GetPrnCaps(p.cImpresora, p.cPuerto, p.cDriver, I(a, 1));
    xb::Array list = xb::Array::New();
    for (int v : values) list.Append(Value::Integer(v));
    a.SetRef(2, Value::Integer(static_cast<std::int64_t>(values.size())));
    return Value(list);
  });
  // The drawing of the other destinations, in the pixels computed:
  // QZTextOut( nFila, nColumna, cText, lAlign, nFilaRC, nColRC ),
  // QZLine( nF0, nC0, nF1, nC1, nColor, nGrosor, nEstilo ) and QZRectangle likewise,
  // QZDibDraw( nRow, nCol, xBitmap, nWidth, nHeight ).
  c.Method("QZTEXTOUT", [](Object& o, Args& a) {
    P(o).QZTextOut(I(a, 1), I(a, 2), std::string(a.Str(3)), a.Log(4), I(a, 5, I(a, 1)), I(a, 6, I(a, 2)));
    return Value();
  });
  c.Method("QZLINE", [](Object& o, Args& a) {
    P(o).QZLine(I(a, 1), I(a, 2), I(a, 3), I(a, 4), static_cast<COLORREF>(I(a, 5)), I(a, 6), I(a, 7));
    return Value();
  });
  c.Method("QZRECTANGLE", [](Object& o, Args& a) {
    P(o).QZRectangle(I(a, 1), I(a, 2), I(a, 3), I(a, 4), static_cast<COLORREF>(I(a, 5)), I(a, 6), I(a, 7));
    return Value();
  });
  c.Method("QZDIBDRAW", [](Object& o, Args& a) {
    P(o).QZDibDraw(I(a, 1), I(a, 2), a.Arg(3), I(a, 4), I(a, 5));
    return Value();
  });
  c.Method("MODOFONDO", [](Object& o, Args& a) {
    if (P(o).hDC != nullptr) ::SetBkMode(P(o).hDC, I(a, 1));
    return Value();
  });
  c.Method("SETLOMETRICMODE", [](Object& o, Args&) {
    if (P(o).hDC != nullptr) ::SetMapMode(P(o).hDC, MM_LOMETRIC);
    return Value();
  });
}

}  // namespace

const xb::Class& TPrinter2::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TPRINTER2");
    DefineMessages(c);
    return c;
  }();
  return cls;
}

void RegisterTPrinter2() {
  (void)TPrinter2::Cls();
  using xb::RegisterFunction;
  RegisterFunction("TPRINTER2", [](Args&) { return Value(xb::MakeRef<TPrinter2>()); });
  RegisterFunction("PRINT2NEW", [](Args& a) {
    return Print2New(a.Log(1), a.IsNil(2) ? 1 : static_cast<int>(a.Int(2))) ? Value::Logical(true) : Value();
  });
  RegisterFunction("IMPRESORA", [](Args& a) {
    if (auto* printer = dynamic_cast<TPrinter2*>(a.Obj(1).get())) Impresora(xb::Ref<TPrinter2>(printer));
    if (a.Log(2)) Impresora(nullptr);
    return Impresora() ? Value(Impresora()) : Value();
  });
  RegisterFunction("LPRNACTIVA", [](Args&) { return Value::Logical(static_cast<bool>(Impresora())); });
  RegisterFunction("PRINT2CD", [](Args& a) {
    return Value::Integer(Print2Cd(a.Arg(1).IsString() ? std::string(a.Str(1)) : "Listado QZ"));
  });
  RegisterFunction("PRINT2CP", [](Args&) { return Value::Integer(Print2Cp()); });
  RegisterFunction("PRINT2FP", [](Args&) { return Value::Integer(Print2Fp()); });
  RegisterFunction("PRINT2FD", [](Args&) { return Value::Integer(Print2Fd()); });
  RegisterFunction("PRINT2AD", [](Args&) { return Value::Integer(Print2Ad()); });
}

}  // namespace output
