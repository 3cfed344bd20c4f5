// The designed page header of a report: the rows of CabeH and CabeD.
#include <algorithm>
#include <functional>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "reports/report_run.h"
#include "reports/tdictqz.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;

std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  const Value v = pos == 0 ? Value() : a.GetField(pos);
  return v.IsString() ? std::string(xb::RTrim(v.AsString())) : std::string();
}
double Real(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  const Value v = pos == 0 ? Value() : a.GetField(pos);
  return v.IsNumber() ? v.AsDouble() : 0;
}
bool Logical(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  const Value v = pos == 0 ? Value() : a.GetField(pos);
  return v.IsLogical() && v.AsLogical();
}

// Calls f on each row of the header `code` in a dictionary table, in natural order.
template <typename F>
void EachOfHeader(std::string_view table, const std::string& code, F&& f) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int n = areas.AreaOfAlias(TDictQZ::AliasOf(table));
  if (n == 0 || code.empty()) return;
  WorkArea& a = *areas.Area(n);
  const int order = a.controlling_order();
  a.SetControllingOrder(0);
  for (a.GoTop(); !a.eof(); a.Skip(1))
    if (!a.Deleted() && Text(a, "COD") == code) f(a);
  a.SetControllingOrder(order);
}

}  // namespace

DesignedHeader ReadDesignedHeader(const std::string& code_in) {
  DesignedHeader header;
  EachOfHeader("CabeH", std::string(xb::RTrim(code_in)), [&](WorkArea& a) {
    header.posicion = Real(a, "POSICION");
    header.pfinal = Real(a, "PFINAL");
    header.found = true;
  });
  return header;
}

// A header text cut into lines that each fit `limit` device units: the line length is
// shortened one character at a time (breaking at a blank when there is one) until they fit.
std::vector<std::string> WrapText(ReportDevice& d, const std::string& text, int font, int limit) {
  return WrapText([&d, font](std::string_view line) { return d.TextWidth(line, font); }, text, limit);
}

std::vector<std::string> WrapText(const std::function<int(std::string_view)>& width, const std::string& text, int limit) {
  if (limit <= 0 || width(text) <= limit) return {text};
  for (std::size_t length = text.size() - 1; length > 0; --length) {
    std::vector<std::string> lines;
    bool fits = true;
    std::string_view rest(text);
    while (!rest.empty() && fits) {
      std::size_t cut = std::min(length, rest.size());
      if (cut < rest.size()) {
        const std::size_t blank = rest.substr(0, cut + 1).rfind(' ');
        if (blank != std::string_view::npos && blank > 0) cut = blank;
      }
      const std::string line(xb::RTrim(rest.substr(0, cut)));
      fits = width(line) <= limit;
      lines.push_back(line);
      rest.remove_prefix(cut);
      while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    }
    if (fits) return lines;
  }
  return {text};
}

int ImprimeCabecera(ReportDevice& d, const std::string& code_in, int page, const std::string& title,
                    const std::string& condlis) {
  const std::string code(xb::RTrim(code_in));
  const DesignedHeader header = ReadDesignedHeader(code);
  if (!header.found) return 0;
  // Items that start inside the header and run past its height push the body down; those
  // placed below it (a stamp at the foot of the page) do not.
  const int height = d.MmToRow(header.posicion);
  int last_row = -1;
  EachOfHeader("CabeD", code, [&](WorkArea& a) {
    if (!Logical(a, "ACTIVO")) return;
    const int dato = static_cast<int>(Real(a, "DATO"));
    // On a text file the position is a row and a column; elsewhere millimetres.
    const int top = d.IsText() ? static_cast<int>(Real(a, "LINEA")) : d.MmToRow(Real(a, "LINEA"));
    const int left = d.IsText() ? static_cast<int>(Real(a, "COLUMNA")) : d.MmToCol(Real(a, "COLUMNA"));
    if (dato == 2 || dato == 3) {
      // A picture's second coordinates are its height and width, as the designer keeps them.
      const int bottom = dato == 3 ? top + d.MmToRow(Real(a, "LINEA2")) : d.MmToRow(Real(a, "LINEA2"));
      const int right = dato == 3 ? left + d.MmToCol(Real(a, "COLUMNA2")) : d.MmToCol(Real(a, "COLUMNA2"));
      if (dato == 3) d.HeaderPicture(top, left, bottom, right, std::string(xb::AllTrim(Text(a, "TEXTO"))));
      else if (top == bottom || left == right) d.HeaderLine(top, left, bottom, right, static_cast<int>(Real(a, "GROSOR")));
      else d.HeaderBox(top, left, bottom, right, static_cast<int>(Real(a, "GROSOR")));
      if (!d.IsText() && top < height) last_row = std::max(last_row, std::max(top, bottom));
      return;
    }
    std::string text;
    switch (dato) {
      case 1: text = Text(a, "TEXTO"); break;
      case 4:
      case 5:
      case 10: {
        const char* fn = dato == 4 ? "CCODEMPRESA" : dato == 5 ? "CNOMEMPRESA" : "CUSUARIO";
        if (!xb::IsFunctionRegistered(fn)) return;
        const Value v = xb::CallFunction(fn);
        text = v.IsString() ? std::string(xb::RTrim(v.AsString())) : std::string();
        break;
      }
      case 6: text = std::to_string(page); break;
      case 7: {
        const Value v = xb::CallFunction("DTOC", {xb::CallFunction("DATE")});
        text = v.IsString() ? std::string(v.AsString()) : std::string();
        break;
      }
      case 8: text = title.empty() ? "Título" : title; break;
      case 9: text = condlis.empty() ? "Condiciones" : condlis; break;
      case 11: {
        // The header datum whose number the text holds (the listings' header data).
        if (!xb::IsFunctionRegistered("CVALORDATOCAB")) return;
        const Value v = xb::CallFunction("CVALORDATOCAB", {Value::Integer(std::atoi(Text(a, "TEXTO").c_str()))});
        text = v.IsString() ? std::string(xb::RTrim(v.AsString())) : std::string();
        break;
      }
      default: return;
    }
    const int font = std::max(1, static_cast<int>(Real(a, "FUENTE")));
    // On a page a text wider than its longest length goes on several lines.
    const double longmax = Real(a, "LONGMAX");
    const std::vector<std::string> lines =
        d.IsText() || longmax <= 0 ? std::vector<std::string>{text} : WrapText(d, text, font, d.MmToCol(longmax));
    const int step = std::max(d.MmToRow(Real(a, "INTERLINEA")), d.IsText() ? 1 : 0);
    // On HTML pages the adjustment aligns the text in its length ("I" left, "D" right, "C" centred).
    const std::string ajuste(xb::AllTrim(Text(a, "AJUSTE")));
    const bool aligned = d.IsHtml() && longmax > 0;
    const int pad = ajuste == "D" ? 2 : ajuste == "C" ? 3 : 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int row = top + static_cast<int>(i) * step;
      d.Say(row, std::max(d.IsText() ? 1 : 0, left), lines[i], font, aligned ? d.MmToCol(longmax) : 0, aligned ? pad : 1);
      if (top < height || d.IsText()) last_row = std::max(last_row, row + d.TextHeight(font) - 1);
    }
  });
  return std::max(height, last_row + 1);
}

}  // namespace reports
