#include "output/document_headers.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "data/program_settings.h"
#include "output/listing_driver.h"
#include "output/printer_table.h"
#include "output/tprinter2.h"
#include "runtime/function_table.h"
#include "services/table_helpers.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

constexpr double kNoModel = 45;
constexpr int kFileStartLine = 10;

std::string g_active;
std::vector<HeaderItem> g_items;

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t first = 0;
  while (first < s.size() && s[first] == ' ') ++first;
  return s.substr(first);
}

std::string Text(const Value& v) { return v.IsString() ? std::string(v.AsString()) : std::string(); }

Value Call(std::string_view name) { return xb::IsFunctionRegistered(name) ? xb::CallFunction(name) : Value(); }

struct HeaderLine {
  int kind = 0;
  std::string text;
  int font = 0;
  std::string adjust;
  double line = 0, column = 0, line2 = 0, column2 = 0, max = 0, spacing = 0;
  int thickness = 0;
};

struct FontRow {
  std::string face = "Arial";
  double points = 10;
  bool bold = false, italic = false;
  COLORREF colour = 0;
};

// The model's active lines, in the order of its table.
std::vector<HeaderLine> ReadLines(const std::string& model) {
  std::vector<HeaderLine> lines;
  svc::SelectedAreaScope keep;
  if (!svc::OpenTableQuietly(CabeDTable(), "_QzCabeD", false)) return lines;
  svc::OpenedArea area(true);
  svc::SelectOrder(1);
  for (svc::Seek(Value::String(model)); !svc::Area().eof() && Trim(svc::FieldText("COD")) == Trim(model);
       svc::Area().Skip(1)) {
    if (!svc::FieldLogical("ACTIVO")) continue;
    HeaderLine l;
    l.kind = static_cast<int>(svc::FieldNumber("DATO"));
    l.text = Trim(svc::FieldText("TEXTO"));
    l.font = svc::HasField("FUENTE") ? static_cast<int>(svc::FieldNumber("FUENTE")) : 0;
    l.adjust = Trim(svc::FieldText("AJUSTE"));
    l.line = svc::FieldNumber("LINEA");
    l.column = svc::FieldNumber("COLUMNA");
    l.line2 = svc::FieldNumber("LINEA2");
    l.column2 = svc::FieldNumber("COLUMNA2");
    l.max = svc::FieldNumber("LONGMAX");
    l.spacing = svc::FieldNumber("INTERLINEA");
    l.thickness = static_cast<int>(svc::FieldNumber("GROSOR"));
    lines.push_back(l);
  }
  return lines;
}

std::optional<FontRow> ReadFont(int number) {
  if (number <= 0 || !svc::FileExists(svc::DbfOf(FontsTable()))) return std::nullopt;
  svc::SelectedAreaScope keep;
  if (!svc::OpenTableQuietly(FontsTable(), "_QzFonts", false)) return std::nullopt;
  svc::OpenedArea area(true);
  svc::SelectOrder(1);
  if (!svc::Seek(Value::Integer(number))) return std::nullopt;
  FontRow f;
  f.face = Trim(svc::FieldText("CFACENAME"));
  f.points = svc::FieldNumber("NHEIGHT");
  f.bold = svc::FieldLogical("LBOLD");
  f.italic = svc::FieldLogical("LITALIC");
  f.colour = static_cast<COLORREF>(svc::FieldNumber("NCOLOR"));
  return f;
}

std::string ItemText(const HeaderLine& l, int page, const std::string& text8, const std::string& text9) {
  switch (l.kind) {
    case 1: return l.text;
    case 4: return Trim(Text(Call("CCODEMPRESA")));
    case 5: return Trim(Text(Call("CNOMEMPRESA")));
    case 6: return std::to_string(page);
    case 7: {
      const Value date = Call("DSETDATE");
      return date.IsDate() ? Text(xb::CallFunction("DTOC", {date})) : std::string();
    }
    case 8: return text8;
    case 9: return text9;
    case 10: return Trim(Text(Call("CUSUARIO")));
    case 11: return CValorDatoCab(static_cast<int>(std::atof(l.text.c_str())));
    default: return {};
  }
}

// Lines of at most `width` characters, broken at spaces where a word allows it.
std::vector<std::string> Wrap(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size()) break;
    std::size_t end = std::min(text.size(), at + width);
    if (end < text.size()) {
      const std::size_t space = text.rfind(' ', end);
      if (space != std::string::npos && space > at) end = space;
    }
    lines.push_back(Trim(text.substr(at, end - at)));
    at = end;
  }
  return lines;
}

}  // namespace

const std::string& CActivo() { return g_active; }
void CActivo(const std::string& code) { g_active = code; }

std::string CabeHTable() { return data::cPathInforme() + "CabeH"; }
std::string CabeDTable() { return data::cPathInforme() + "CabeD"; }
std::string FontsTable() { return data::cPathInforme() + "Fonts"; }

void PrnText(const std::string& text, double max_mm, double spacing, double row, double col) {
  xb::Ref<TPrinter2> prn = Impresora();
  if (!prn || !prn->Ok()) return;
  if (max_mm <= 0) {
    prn->Say2(row, col, text);
    return;
  }
  auto width_mm = [&](const std::string& t) {
    SIZE size{};
    ::GetTextExtentPoint32A(prn->hDC, t.c_str(), static_cast<int>(t.size()), &size);
    return prn->nWidth() == 0 ? 0.0 : static_cast<double>(size.cx) * prn->nHorzSize() / prn->nWidth();
  };
  if (width_mm(text) <= max_mm) {
    prn->Say2(row, col, text);
    return;
  }
  // Shorter lines until each fits; at the least length a word wider than the room overflows.
  std::size_t length = std::min<std::size_t>(text.size() + 1, 254);
  std::vector<std::string> lines;
  for (;;) {
    lines = Wrap(text, length);
    if (length <= 4 ||
        std::all_of(lines.begin(), lines.end(), [&](const std::string& l) { return width_mm(l) <= max_mm; }))
      break;
    --length;
  }
  for (const std::string& line : lines) {
    prn->Say2(row, col, line);
    row += spacing;
  }
}

double ImpCab(int /*line*/, int page, const std::string& text8, const std::string& text9) {
  if (!svc::FileExists(svc::DbfOf(CabeHTable()))) return kNoModel;
  // The dictionary's indexes made again when one is missing (a folder without it is left alone).
  if (xb::IsFunctionRegistered("DICTREINDEX")) xb::CallFunction("DICTREINDEX", {Value::String(data::cPathInforme())});
  double position = kNoModel;
  {
    svc::SelectedAreaScope keep;
    if (!svc::OpenTableQuietly(CabeHTable(), "_QzCabeH", false)) {
      static bool told = false;
      if (!told) ui::MsgStop(Value::String("No se pudo abrir la tabla de cabeceras"), "Atención");
      told = true;
      return kNoModel;
    }
    svc::OpenedArea area(true);
    svc::SelectOrder(1);
    if (Trim(g_active).empty()) {
      for (xb::CallFunction("DBGOTOP"); !svc::Area().eof(); svc::Area().Skip(1)) {
        if (!svc::FieldLogical("ACTIVO")) continue;
        g_active = Trim(svc::FieldText("COD"));
        position = svc::FieldNumber("POSICION");
      }
    } else if (svc::Seek(Value::String(g_active))) {
      position = svc::FieldNumber("POSICION");
    } else {
      return kNoModel;
    }
  }
  if (Trim(g_active).empty()) return kNoModel;
  const std::vector<HeaderLine> lines = ReadLines(g_active);
  if (nDestinoListado() == kTextFile) {
    // The header's texts, one a line, from the line the model's position falls on in the
    // printer's lines (the 10th without a printer); the listing goes on below.
    int row = kFileStartLine;
    xb::Ref<TPrinter2> prn = Impresora();
    if (prn && prn->Ok() && prn->nAltoLinea > 0)
      row = static_cast<int>(std::lround(static_cast<double>(MmPix(2, position, prn->hDC)) / prn->nAltoLinea));
    for (const HeaderLine& l : lines) {
      if (l.kind == 2 || l.kind == 3) continue;
      const std::string text = ItemText(l, page, text8, text9);
      if (text.empty()) continue;
      SayFile(row++, 0, Value::String(text), {}, false, false);
    }
    SetLineaL(row);
    return position;
  }
  xb::Ref<TPrinter2> prn = Impresora();
  if (!prn || !prn->Ok()) return position;
  for (const HeaderLine& l : lines) {
    const FontRow f = ReadFont(l.font).value_or(FontRow{});
    LOGFONTA lf = {};
    lf.lfHeight = -static_cast<LONG>(std::lround(f.points * prn->nLogPixelY() / 72.0));
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = f.italic;
    lstrcpynA(lf.lfFaceName, f.face.c_str(), LF_FACESIZE);
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ previous = ::SelectObject(prn->hDC, font);
    const COLORREF colour = ::SetTextColor(prn->hDC, f.colour);
    prn->SetAlineacion(l.adjust == "I" ? TA_LEFT : (l.adjust == "D" ? TA_RIGHT : TA_CENTER));
    switch (l.kind) {
      case 2:
        if (l.line == l.line2 || l.column == l.column2)
          prn->Linea(l.line, l.column, l.line2, l.column2, 0, l.thickness, 0, false, true, true);
        else
          prn->Box(l.line, l.column, l.line2, l.column2, 0, l.thickness, 0, false, true, true);
        break;
      case 3:
        prn->SayBitmap2(l.line, l.column, Value::String(l.text), l.column2, l.line2);
        break;
      default: {
        const std::string text = ItemText(l, page, text8, text9);
        if (!text.empty()) PrnText(text, l.max, l.spacing, l.line, l.column);
        break;
      }
    }
    prn->SetAlineacion(24);
    ::SetTextColor(prn->hDC, colour);
    ::SelectObject(prn->hDC, previous);
    ::DeleteObject(font);
  }
  return position;
}

const std::vector<HeaderItem>& ADatosCabecera() { return g_items; }
void ADatosCabecera(std::vector<HeaderItem> items) { g_items = std::move(items); }

bool SetDatoCabecera(int code, const std::string& description, const std::string& value) {
  for (HeaderItem& item : g_items) {
    if (item.code == code) {
      item.description = description;
      item.value = value;
      return true;
    }
  }
  g_items.push_back({code, description, value});
  return true;
}

std::string CValorDatoCab(int code) {
  for (const HeaderItem& item : g_items)
    if (item.code == code) return item.value;
  return {};
}

std::string CDescDatoCab(int code) {
  for (const HeaderItem& item : g_items)
    if (item.code == code) return item.description;
  return {};
}

std::string COrdenDatoCab(int position) {
  if (position < 1 || position > static_cast<int>(g_items.size())) return {};
  return std::to_string(g_items[static_cast<std::size_t>(position - 1)].code);
}

void RegisterDocumentHeaders() {
  using xb::RegisterFunction;
  RegisterFunction("CACTIVO", [](Args& a) {
    if (a.Arg(1).IsString()) CActivo(std::string(a.Str(1)));
    return Value::String(CActivo());
  });
  // IMPCAB( nLine, nPage, cText8, cText9 )
  RegisterFunction("IMPCAB", [](Args& a) {
    return Value::Number(ImpCab(a.IsNil(1) ? nLineaL() : static_cast<int>(a.Int(1)),
                                a.IsNil(2) ? nPaginaL() : static_cast<int>(a.Int(2)), Text(a.Arg(3)), Text(a.Arg(4))));
  });
  RegisterFunction("PRNTEXT", [](Args& a) {
    PrnText(Text(a.Arg(1)), a.IsNil(2) ? 0 : a.Num(2), a.IsNil(3) ? 0 : a.Num(3), a.Num(4), a.Num(5));
    return Value();
  });
  RegisterFunction("ADATOSCABECERA", [](Args& a) {
    if (xb::Array given = a.Arr(1)) {
      std::vector<HeaderItem> items;
      for (const Value& v : given) {
        if (!v.IsArray()) continue;
        const xb::Array item = v.AsArray();
        items.push_back({static_cast<int>(item.Get(0).AsInt()), Text(item.Get(1)), Text(item.Get(2))});
      }
      ADatosCabecera(std::move(items));
    }
    xb::Array copy = xb::Array::New();
    for (const HeaderItem& item : ADatosCabecera())
      copy.Append(Value(xb::Array::Of(
          {Value::Integer(item.code), Value::String(item.description), Value::String(item.value)})));
    return Value(copy);
  });
  RegisterFunction("SETDATOCABECERA", [](Args& a) {
    return Value::Logical(SetDatoCabecera(static_cast<int>(a.Int(1)), Text(a.Arg(2)), Text(a.Arg(3))));
  });
  RegisterFunction("CVALORDATOCAB", [](Args& a) { return Value::String(CValorDatoCab(static_cast<int>(a.Int(1)))); });
  RegisterFunction("CDESCDATOCAB", [](Args& a) { return Value::String(CDescDatoCab(static_cast<int>(a.Int(1)))); });
  RegisterFunction("ADESCDATO", [](Args&) {
    xb::Array list = xb::Array::New();
    for (const HeaderItem& item : ADatosCabecera()) list.Append(Value::String(item.description));
    return Value(list);
  });
  RegisterFunction("CORDENDATOCAB", [](Args& a) { return Value::String(COrdenDatoCab(static_cast<int>(a.Int(1)))); });
}

}  // namespace output
