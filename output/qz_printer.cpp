#include "output/qz_printer.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "output/preview.h"
#include "runtime/function_table.h"
#include "runtime/proc_stack.h"
#include "ui/bridge/printer_device.h"
#include "ui/core/file_helpers.h"
#include "ui/core/value_text.h"

namespace output {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

xb::Ref<QzPrinter> g_qz_current;

QzPrinter& P(Object& o) { return xb::Class::Cast<QzPrinter>(o); }
int I(const Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }
std::string Text(const Value& v) { return v.IsString() ? std::string(v.AsString()) : ui::CValToChar(v); }

// Say's text, font, colour, background mode and alignment (arguments 3 to 8) at a point in pixels.
void SayOf(QzPrinter& p, const Args& a, POINT at) {
  const std::optional<COLORREF> colour =
      a.Arg(6).IsNumber() ? std::optional<COLORREF>(static_cast<COLORREF>(a.Int(6))) : std::nullopt;
  p.Say(at.y, at.x, Text(a.Arg(3)), dynamic_cast<ui::TFont*>(a.Obj(4).get()), 0, colour, I(a, 7, kTransparent),
        static_cast<Pad>(I(a, 8, p.nPad)));
}

}  // namespace

QzPrinter::QzPrinter() : TPrinter(Cls()) {}

const xb::Class& QzPrinter::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("_TPRINTER", &TPrinter::Cls());
    // Say( nRow, nCol, cText, oFont, (ignored), nClrText, nBkMode, nPad ); CmSay and InchSay
    // take the same with the row and column in centimetres or inches.
    c.Method("SAY", [](Object& o, Args& a) {
      SayOf(P(o), a, POINT{I(a, 2), I(a, 1)});
      return Value();
    });
    c.Method("CMSAY", [](Object& o, Args& a) {
      SayOf(P(o), a, P(o).Cmtr2Pix(a.IsNil(1) ? 0 : a.Num(1), a.IsNil(2) ? 0 : a.Num(2)));
      return Value();
    });
    c.Method("INCHSAY", [](Object& o, Args& a) {
      SayOf(P(o), a, P(o).Inch2Pix(a.IsNil(1) ? 0 : a.Num(1), a.IsNil(2) ? 0 : a.Num(2)));
      return Value();
    });
    c.Method("CHARSAY", [](Object& o, Args& a) {
      P(o).QzCharSay(I(a, 1), I(a, 2), Text(a.Arg(3)));
      return Value();
    });
    // Pix2Mmtr( nX, nY ), Pix2Inch( nX, nY )
    c.Method("PIX2MMTR", [](Object& o, Args& a) {
      const auto [x, y] = P(o).PixToMm(I(a, 1), I(a, 2));
      return Value(xb::Array::Of({Value::Number(x), Value::Number(y)}));
    });
    c.Method("PIX2INCH", [](Object& o, Args& a) {
      const auto [x, y] = P(o).PixToInch(I(a, 1), I(a, 2));
      return Value(xb::Array::Of({Value::Number(x), Value::Number(y)}));
    });
    return c;
  }();
  return cls;
}

xb::Ref<QzPrinter> QzPrinter::New(const NewParams& params) {
  auto printer = xb::MakeRef<QzPrinter>();
  printer->Init(params);
  return printer;
}

const char* QzPrinter::NoPrinterText() const {
  return "¡No hay ninguna impresora instalada!\r\nPor favor, salga de la aplicación e instale una impresora";
}

void QzPrinter::ShowPreview() {
  if (lMeta && !aMeta.empty() && hDC != nullptr) {
    QzRPreview(xb::Ref<TPrinter>(this));
  } else {
    End();
  }
}

void QzPrinter::End() {
  TPrinter::End();
  if (g_qz_current.get() == this) g_qz_current = nullptr;
}

void QzPrinter::QzCharSay(int row, int col, std::string_view text) {
  CharSay(std::max(row, 1), std::max(col, 1), text);
}

int QzPrinter::GetTextWidth(std::string_view text, ui::TFont* font) {
  if (font != nullptr) SetFont(xb::Ref<ui::TFont>(font));
  return TPrinter::GetTextWidth(text, nullptr);
}

int QzPrinter::GetTextHeight(std::string_view, ui::TFont* font) {
  ui::TFont* job_font = SetFont(xb::Ref<ui::TFont>(font));
  return job_font != nullptr ? std::abs(job_font->nHeight()) : 0;
}

std::pair<double, double> QzPrinter::PixToMm(int x, int y) {
  const int per_inch_x = nLogPixelX(), per_inch_y = nLogPixelY();
  if (per_inch_x == 0 || per_inch_y == 0) return {0, 0};
  return {x * 25.4 / per_inch_x, y * 25.4 / per_inch_y};
}

std::pair<double, double> QzPrinter::PixToInch(int x, int y) {
  const int per_inch_x = nLogPixelX(), per_inch_y = nLogPixelY();
  if (per_inch_x == 0 || per_inch_y == 0) return {0, 0};
  return {static_cast<double>(x) / per_inch_x, static_cast<double>(y) / per_inch_y};
}

std::string QzPrinter::GetModel() const { return ui::PrnGetNames().device; }
std::string QzPrinter::GetDriver() const { return ui::PrnGetNames().driver; }
std::string QzPrinter::GetPort() const { return ui::PrnGetNames().port; }

xb::Ref<QzPrinter> QzCurrentPrinter() { return g_qz_current; }
void SetQzCurrentPrinter(xb::Ref<QzPrinter> printer) { g_qz_current = std::move(printer); }

xb::Ref<QzPrinter> QzPrintBegin(const std::string& document, bool user, bool preview, const xb::Value& model,
                                bool modal) {
  g_qz_current = QzPrinter::New(PrintBeginParams(document, user, preview, model, modal));
  return g_qz_current;
}

void QzPrintEnd() {
  if (!g_qz_current) return;
  xb::Ref<QzPrinter> printer = g_qz_current;
  if (printer->lMeta) printer->ShowPreview();
  else printer->End();
  g_qz_current = nullptr;
}

void QzRPreview(xb::Ref<TPrinter> printer, xb::ObjectRef report) { RPreview(std::move(printer), kOwnFace, report); }

void RegisterQzPrinter() {
  (void)QzPrinter::Cls();
  xb::RegisterFunction("_TPRINTER", [](Args&) { return Value(xb::MakeRef<QzPrinter>()); });
  // _PRINTBEGIN( cDocument, lUser, lMeta, xModel, lModal )
  xb::RegisterFunction("_PRINTBEGIN", [](Args& a) {
    return Value(QzPrintBegin(std::string(a.Str(1)), a.Log(2), a.Log(3), a.Arg(4), a.Log(5)));
  });
  xb::RegisterFunction("_PAGEBEGIN", [](Args&) {
    if (xb::Ref<QzPrinter> p = QzCurrentPrinter()) p->StartPage();
    return Value();
  });
  xb::RegisterFunction("_PAGEEND", [](Args&) {
    if (xb::Ref<QzPrinter> p = QzCurrentPrinter()) p->EndPage();
    return Value();
  });
  xb::RegisterFunction("_PRINTEND", [](Args&) {
    QzPrintEnd();
    return Value();
  });
  // _OPRINTER( oPrn, lClear )
  xb::RegisterFunction("_OPRINTER", [](Args& a) {
    if (auto* printer = dynamic_cast<QzPrinter*>(a.Obj(1).get())) g_qz_current = xb::Ref<QzPrinter>(printer);
    if (a.Log(2)) g_qz_current = nullptr;
    return g_qz_current ? Value(g_qz_current) : Value();
  });
  xb::RegisterFunction("PRINTSTACK", [](Args&) {
    for (int level = 1; level < xb::ProcDepth(); ++level) {
      ui::LogFile("Debug2.log", {Value::String(std::string(static_cast<std::size_t>(level), ' ') +
                                               std::string(xb::ProcName(level)) + "(" +
                                               std::to_string(xb::ProcLine(level)) + ")")});
    }
    return Value();
  });
  // QZ_RPREVIEW( oPrinter, oReport )
  xb::RegisterFunction("QZ_RPREVIEW", [](Args& a) {
    if (auto* printer = dynamic_cast<TPrinter*>(a.Obj(1).get())) QzRPreview(xb::Ref<TPrinter>(printer), a.Obj(2));
    return Value();
  });
}

}  // namespace output
