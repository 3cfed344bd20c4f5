// The designed page header of a report: the rows of CabeH and CabeD.
#include <algorithm>

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

int ImprimeCabecera(ReportDevice& d, const std::string& code_in, int page, const std::string& title,
                    const std::string& condlis) {
  const std::string code(xb::RTrim(code_in));
  const DesignedHeader header = ReadDesignedHeader(code);
  if (!header.found) return 0;
  int last_row = -1;
  EachOfHeader("CabeD", code, [&](WorkArea& a) {
    if (!Logical(a, "ACTIVO")) return;
    std::string text;
    switch (static_cast<int>(Real(a, "DATO"))) {
      case 1: text = Text(a, "TEXTO"); break;
      case 4:
      case 5:
      case 10: {
        const char* fn = Real(a, "DATO") == 4 ? "CCODEMPRESA" : Real(a, "DATO") == 5 ? "CNOMEMPRESA" : "CUSUARIO";
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
      default: return;  // lines, boxes and pictures are drawn only on a page printer
    }
    const int row = d.MmToRow(Real(a, "LINEA"));
    const int font = std::max(1, static_cast<int>(Real(a, "FUENTE")));
    d.Say(row, std::max(d.IsText() ? 1 : 0, d.MmToCol(Real(a, "COLUMNA"))), text, font, 0, 1);
    last_row = std::max(last_row, row + d.TextHeight(font) - 1);
  });
  return std::max(d.MmToRow(header.posicion), last_row + 1);
}

}  // namespace reports
