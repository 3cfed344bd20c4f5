// The results of a report's initial-value functions: {lGo, aConditions, aOrders, ...}. Their
// conditions and orders go to the conditions copy of the run (kept in memory), a scan range
// becomes aDatosIni, where the scan of the master starts and ends.
#include <algorithm>

#include "reports/report_run_state.h"
#include "runtime/array.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/number.h"

namespace reports {
namespace {

using xb::Value;

std::string Trim(std::string_view s) { return std::string(xb::AllTrim(s)); }
std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }
std::string Text(const Value& v) { return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string(); }
Value At(const xb::Array& a, std::size_t i) { return i < a.size() ? a[i] : Value(); }

// A condition's value as the conditions table keeps it: dates "dd-mm-yyyy".
std::string ValorText(const Value& v) {
  if (v.IsString()) return std::string(xb::RTrim(v.AsString()));
  if (v.IsLogical()) return v.AsLogical() ? ".T." : ".F.";
  if (v.IsNumber()) return std::string(xb::AllTrim(xb::NumberToStr(v)));
  if (v.IsDate()) {
    const std::string s = v.AsDate().Dtos();
    return s.size() == 8 ? s.substr(6, 2) + "-" + s.substr(4, 2) + "-" + s.substr(0, 4) : std::string();
  }
  return {};
}

bool NoValue(const Value& v) { return v.IsNil() || (v.IsString() && xb::AllTrim(v.AsString()).empty()); }

// The operator of a condition: whole words for the emptiness tests, else its place in the
// list; 0 when none is given.
int Operador(const Value& v) {
  if (v.IsNumber()) return std::clamp(static_cast<int>(v.AsDouble()), 0, 10);
  const std::string op = Upper(Text(v));
  if (op.empty()) return 0;
  if (op == ".NOT." || op == "NOT" || op == "!") return 9;
  if (op == "EMPTY") return 8;
  static const char* const list[] = {"==", "<>", "<", ">", "<=", ">=", "", "", "$"};
  for (int i = 0; i < 9; ++i)
    if (list[i][0] != '\0' && op == list[i]) return i + 2;
  if (op == "=") return 2;
  return 0;
}

}  // namespace

void TInforme::InsCondicion(const ColumnDef& column, const xb::Array& condition) {
  const Value valor = At(condition, 2);
  const Value hasta = At(condition, 3);
  const bool upper = !NoValue(hasta) && !valor.IsArray();
  const std::string link_word = Upper(Text(At(condition, 5)));
  const int link = link_word.empty() || link_word == "AND" ? 2 : 1;
  const std::string paren = Text(At(condition, 6));
  // The field may be a function applied to it: "Func(FIELD)".
  std::string funcion;
  const std::string field = Text(At(condition, 1));
  if (const std::size_t open = field.find('('); open != std::string::npos) funcion = Trim(field.substr(0, open));

  auto next_order = [this] {
    const auto n = std::count_if(aCopiadas.begin(), aCopiadas.end(), [](const CondicionRow& r) { return r.cTipo == "C"; });
    return std::string(1, static_cast<char>('A' + n));
  };
  CondicionRow row;
  row.cTipo = "C";
  row.cTabla = column.cCodExpr;
  row.cCampo = column.cCampoRel;
  row.cFldTipo = column.cTipo;
  row.cColumna = column.cCampo;
  row.cFuncion = funcion;
  row.nEnlace = link;
  row.cParent1 = paren;
  if (valor.IsArray()) {
    row.cRango = Upper(column.cCodExpr) +
                 (field.empty() || At(condition, 1).IsNumber() ? xb::PadL(std::to_string(column.nParametro), 3)
                                                             : Upper(column.cCampoRel));
    std::vector<std::string> items;
    for (const Value& v : valor.AsArray()) items.push_back(ValorText(v));
    aNomRangos.push_back(row.cRango);
    aRangos.push_back(items);
    row.cFldTipo = "A";
  } else {
    row.cValor = ValorText(valor);
  }
  int op = Operador(At(condition, 4));
  if (!upper) {
    row.nOperador = op == 0 ? 2 : op;
    row.cOrden = next_order();
    aCopiadas.push_back(row);
    return;
  }
  // A range: its operator (">=" by default) on the low value and "<=" on the high one, joined
  // by "and"; "<>" is "< " low or "> " high, in parentheses. The caller's link goes onward.
  CondicionRow high = row;
  high.cValor = ValorText(hasta);
  if (op == 3) {
    row.nOperador = 4;
    row.nEnlace = 1;
    row.cParent1 = "(";
    high.nOperador = 5;
    high.cParent1 = ")";
  } else {
    row.nOperador = op == 0 ? 7 : op;
    row.nEnlace = 2;
    row.cParent1 = paren == "(" ? paren : std::string();
    high.nOperador = 6;
    high.cParent1 = paren == ")" ? paren : std::string();
  }
  row.cOrden = next_order();
  aCopiadas.push_back(row);
  high.cOrden = next_order();
  aCopiadas.push_back(high);
}

bool TInforme::EvalInicial(const Value& result) {
  if (!result.IsArray() || result.AsArray().size() == 0) return true;
  const xb::Array items = result.AsArray();
  if (At(items, 0).IsLogical() && !At(items, 0).AsLogical()) return false;

  // The column a condition or order names: by its expression code and related field, or by
  // its code and parameter number (an empty field counts as parameter 1).
  auto column_of = [this](const xb::Array& entry) -> const ColumnDef* {
    const std::string code = Upper(Text(At(entry, 0)));
    const Value second = At(entry, 1);
    std::string field = Text(second);
    if (const std::size_t open = field.find('('); open != std::string::npos) {
      const std::size_t close = field.find(')', open);
      field = Trim(field.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
    }
    const bool by_number = second.IsNumber() || field.empty();
    const int number = second.IsNumber() ? static_cast<int>(second.AsDouble()) : 1;
    for (const ColumnDef& c : aColumnas) {
      if (Upper(c.cCodExpr) != code) continue;
      if (by_number ? std::max(c.nParametro, 1) == number : Upper(c.cCampoRel) == Upper(field)) return &c;
    }
    return nullptr;
  };

  if (At(items, 1).IsArray()) {
    for (const Value& c : At(items, 1).AsArray()) {
      if (!c.IsArray() || c.AsArray().size() < 3) continue;
      if (const ColumnDef* column = column_of(c.AsArray())) InsCondicion(*column, c.AsArray());
    }
  }
  if (At(items, 2).IsArray()) {
    for (const Value& o : At(items, 2).AsArray()) {
      if (!o.IsArray()) continue;
      const xb::Array entry = o.AsArray();
      if (entry.size() >= 4 && Upper(Text(entry[3])) == "C") {
        aDatosIni.cCampo = Text(entry[0]);
        aDatosIni.uDesde = entry[1];
        aDatosIni.uHasta = NoValue(entry[2]) ? entry[1] : entry[2];
        aDatosIni.uOrden = At(entry, 4);
        aDatosIni.lSet = true;
        continue;
      }
      if (entry.size() > 3) continue;
      const ColumnDef* column = column_of(entry);
      if (column == nullptr) continue;
      CondicionRow row;
      row.cTipo = "A";
      row.cCampo = row.cColumna = column->cCampo;
      row.cFldTipo = column->cTipo;
      if (Upper(Text(At(entry, 2))) == "B") {
        row.cOrden = "A";
        lOrden = false;
      } else {
        char letter = 'A';
        while (std::any_of(aCopiadas.begin(), aCopiadas.end(), [&](const CondicionRow& r) {
          return r.cTipo == "A" && r.cOrden == std::string(1, letter);
        }))
          ++letter;
        row.cOrden = std::string(1, letter);
      }
      aCopiadas.push_back(row);
    }
  }
  return true;
}

bool TInforme::StartScan(Run& run) {
  xb::rdd::WorkArea& m = *run.master;
  if (!aDatosIni.lSet) {
    m.GoTop();
    return true;
  }
  xb::rdd::SelectedArea keep;
  xb::rdd::WorkAreas::Get().SelectArea(m.number());
  if (!aDatosIni.uOrden.IsNil()) xb::CallFunction("ORDSETFOCUS", {aDatosIni.uOrden});
  xb::CallFunction("DBSEEK", {aDatosIni.uDesde, Value::Logical(true)});
  return true;
}

bool TInforme::InScan(Run& run) {
  xb::rdd::WorkArea& m = *run.master;
  if (m.eof()) return false;
  if (!aDatosIni.lSet || aDatosIni.uHasta.IsNil()) return true;
  const int pos = m.FieldPos(aDatosIni.cCampo);
  if (pos == 0) return true;
  const Value v = m.GetField(pos);
  const Value& end = aDatosIni.uHasta;
  if (v.IsString() && end.IsString()) {
    // As xBase compares without SET EXACT: the field's first characters against the end value.
    const std::string_view e = end.AsString();
    return v.AsString().substr(0, e.size()) <= e;
  }
  if (v.IsNumber() && end.IsNumber()) return v.AsDouble() <= end.AsDouble();
  if (v.IsDate() && end.IsDate()) return v.AsDate().Dtos() <= end.AsDate().Dtos();
  return true;
}

}  // namespace reports
