// The conditions of a report run: each row compared natively with the work record, the rows
// chained left to right by their links, parentheses of copied conditions nested.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>

#include "reports/report_run_state.h"
#include "runtime/lib/numbers.h"
#include "runtime/sets.h"

namespace reports {

using namespace run_detail;

namespace {

const char* const kOperadores[] = {"", "==", "<>", "< ", "> ", "<=", ">=", "Empty(", ".not. Empty(", "$"};

template <typename T>
bool Compare(const T& a, const T& b, const std::string& op) {
  if (op == "<>") return a != b;
  if (op == "< ") return a < b;
  if (op == "> ") return a > b;
  if (op == "<=") return a <= b;
  if (op == ">=") return a >= b;
  return a == b;
}

bool EmptyValue(const Value& v) {
  if (v.IsNil()) return true;
  if (v.IsString()) return Trim(v.AsString()).empty();
  if (v.IsNumber()) return v.AsDouble() == 0;
  if (v.IsLogical()) return !v.AsLogical();
  if (v.IsDate()) return v.AsDate().IsEmpty();
  return false;
}

}  // namespace

std::string ConditionDate(std::string_view text) {
  const std::string t = Trim(text);
  auto digits = [&](std::size_t from, std::size_t n) {
    for (std::size_t i = from; i < from + n; ++i)
      if (i >= t.size() || !std::isdigit(static_cast<unsigned char>(t[i]))) return false;
    return true;
  };
  if (t.size() == 8 && digits(0, 8)) return t;
  const bool dashed = t.size() >= 8 && (t[2] == '-' || t[2] == '/') && (t[5] == '-' || t[5] == '/') &&
                      digits(0, 2) && digits(3, 2);
  if (dashed && t.size() == 10 && digits(6, 4)) return t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2);
  if (dashed && t.size() == 8 && digits(6, 2)) {
    const int yy = std::stoi(t.substr(6, 2));
    const int epoch = xb::Sets().epoch;
    int year = epoch / 100 * 100 + yy;
    if (year < epoch) year += 100;
    return std::to_string(year) + t.substr(3, 2) + t.substr(0, 2);
  }
  return {};
}

bool TInforme::CheckOne(const CondicionRow& row) {
  std::size_t pos = 0;
  while (pos < aCampos.size() && Upper(aCampos[pos]) != Upper(Trim(row.cColumna))) ++pos;
  // A record shorter than the columns (none built yet) reads as empty.
  const Value raw = pos < aRegPrede.size() ? aRegPrede[pos] : Value();
  Value value = !raw.IsNil() ? raw : pos < aRegistro.size() ? aRegistro[pos] : Value();
  if (!row.cFuncion.empty()) {
    const std::string text = "{ | cValor | " + row.cFuncion + " ( cValor ) }";
    auto it = functions_.find(text);
    if (it == functions_.end()) {
      const Value block = xb::EvalMacro(text);
      it = functions_.emplace(text, block.IsBlock() ? block.AsBlock() : GenBlock("")).first;
    }
    value = it->second.Eval({value});
  }
  const int op_index = row.nOperador >= 1 && row.nOperador <= 10 ? row.nOperador - 1 : 0;
  std::string op = kOperadores[op_index];
  if (op.empty()) op = "==";
  if (op_index == 7) return EmptyValue(value);
  if (op_index == 8) return !EmptyValue(value);
  const std::string type = Upper(Trim(row.cFldTipo));
  if (op == "$") return ValueText(value).find(Trim(row.cValor)) != std::string::npos;
  if (type == "N" || type == "H") {
    const double a = std::round((value.IsNumber() ? value.AsDouble() : 0) * 1e6) / 1e6;
    const Value b_value = xb::Val(Trim(row.cValor));
    const double b = std::round((b_value.IsNumber() ? b_value.AsDouble() : 0) * 1e6) / 1e6;
    return Compare(a, b, op);
  }
  if (type == "L") {
    const std::string a = value.IsLogical() && value.AsLogical() ? "2" : "1";
    const std::string b = Upper(Trim(row.cValor)) == ".T." ? "2" : "1";
    return Compare(a, b, op);
  }
  if (type == "D" || type == "F") {
    const std::string a = value.IsDate() ? value.AsDate().Dtos() : ConditionDate(ValueText(value));
    return Compare(a, ConditionDate(row.cValor), op);
  }
  if (type == "A") {
    const std::string name = !row.cRango.empty() ? row.cRango : Upper(Trim(row.cTabla) + Trim(row.cCampo));
    for (std::size_t i = 0; i < aNomRangos.size() && i < aRangos.size(); ++i) {
      if (aNomRangos[i] != name) continue;
      const std::string a = Trim(ValueText(value));
      for (const std::string& item : aRangos[i]) {
        if (value.IsNumber()) {
          const Value n = xb::Val(Trim(item));
          if (n.IsNumber() && std::round(n.AsDouble() * 1e6) == std::round(value.AsDouble() * 1e6)) return true;
        } else if (Trim(item) == a || (value.IsDate() && ConditionDate(item) == a)) {
          return true;
        }
      }
    }
    return false;
  }
  std::string a = Trim(ValueText(value));
  std::string b = Trim(row.cValor);
  if (type == "V") {
    std::vector<std::string> results;
    EachFrom(TDictQZ::AliasOf("CampoRes"), "TCampo", Upper(xb::PadR(row.cTabla, 10) + row.cCampo),
             [&](WorkArea& r) {
               return Upper(Text(r, "TABLA")) == Upper(Trim(row.cTabla)) && Upper(Text(r, "CAMPO")) == Upper(Trim(row.cCampo));
             },
             [&](WorkArea& r) { results.push_back(Trim(Text(r, "RESULTA"))); });
    const Value n = xb::Val(b);
    const int at = n.IsNumber() ? static_cast<int>(n.AsDouble()) : 0;
    a = Upper(a);
    b = at >= 1 && at <= static_cast<int>(results.size()) ? Upper(results[static_cast<std::size_t>(at - 1)]) : a;
    return Compare(a, b, op);
  }
  if (value.IsLogical() || Upper(b) == ".T." || Upper(b) == ".F.") {
    a = Upper(a);
    b = Upper(b);
  }
  std::replace(a.begin(), a.end(), '"', '\'');
  std::replace(b.begin(), b.end(), '"', '\'');
  const std::size_t width = std::max(a.size(), b.size());
  a = xb::PadR(a, static_cast<std::int64_t>(width));
  b = xb::PadR(b, static_cast<std::int64_t>(width));
  return Compare(a, b, op);
}

bool TInforme::CheckCondicion(const std::vector<CondicionRow>& rows, const std::string& cTipo) {
  std::vector<const CondicionRow*> mine;
  for (const CondicionRow& r : rows) {
    if (r.cTipo != cTipo) continue;
    const std::string col = Upper(Trim(r.cColumna));
    if (std::none_of(aCampos.begin(), aCampos.end(), [&](const std::string& f) { return Upper(f) == col; })) continue;
    mine.push_back(&r);
  }
  if (mine.empty()) return cTipo != "D";
  // Left to right over every row; "(" and ")" of copied conditions nest. A parenthesis is
  // linked onward by the link of the row that closes it.
  std::size_t at = 0;
  std::function<bool(int&)> chain = [&](int& last_link) {
    bool result = true;
    int link = -1;
    while (at < mine.size()) {
      const CondicionRow& r = *mine[at];
      bool operand;
      int next_link = r.nEnlace;
      bool closes = Trim(r.cParent1) == ")";
      if (Trim(r.cParent1) == "(") {
        operand = CheckOne(r);
        ++at;
        // The rest of the parenthesis, joined by this row's link.
        const int inner_link = r.nEnlace;
        int inner_last = inner_link;
        const bool rest = at < mine.size() ? chain(inner_last) : true;
        operand = inner_link == 2 ? operand && rest : inner_link == 0 ? rest : operand || rest;
        next_link = inner_last;
        closes = false;
      } else {
        operand = CheckOne(r);
        ++at;
      }
      if (link < 0) result = operand;
      else if (link == 2) result = result && operand;
      else if (link == 1 || link == 3) result = result || operand;
      else result = operand;
      link = next_link;
      if (closes) break;
    }
    last_link = link;
    return result;
  };
  int last = 0;
  return chain(last);
}

}  // namespace reports
