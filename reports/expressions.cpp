#include "reports/expressions.h"

#include <algorithm>
#include <cctype>

#include "data/data_ui.h"
#include "data/program_folder.h"
#include "data/program_settings.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Args;
using xb::Value;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), s); }

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// "C:\A\B\" -> {"C:", "A", "B"}
std::vector<std::string> Parts(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

}  // namespace

xb::Block GenBlock(std::string_view expression) {
  const std::string text(xb::AllTrim(expression));
  if (text.empty()) return xb::CompileBlock("''");
  if (xb::TypeOf(text) == "UE") {
    data::Ui().MsgAlert("Expression error: " + text, "Información");
    return xb::CompileBlock("''");
  }
  return xb::CompileBlock(text);
}

std::vector<Value> TxtToArray(std::string_view text) {
  std::vector<Value> values;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(from, end - from);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    while (!line.empty() && line.front() == '\r') line.remove_prefix(1);
    const bool last = end == text.size();
    // The line break after the last line does not start another.
    if (!(last && line.empty() && from > 0)) {
      const std::string_view trimmed = xb::AllTrim(line);
      values.push_back(trimmed.empty() ? Value() : xb::EvalMacro(trimmed));
    }
    if (last) break;
    from = end + 1;
  }
  return values;
}

bool lCheckExpresion(std::string_view alias, std::string_view expression, bool tell) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int previous = areas.CurrentArea();
  if (const int area = areas.AreaOfAlias(xb::AllTrim(alias)); area != 0) areas.SelectArea(area);
  bool ok = true;
  std::size_t from = 0;
  for (;;) {
    const std::size_t slash = expression.find('/', from);
    const std::string_view piece =
        expression.substr(from, slash == std::string_view::npos ? std::string_view::npos : slash - from);
    const std::string type = xb::TypeOf(xb::AllTrim(piece));
    if (type.find('U') != std::string::npos || type.find('I') != std::string::npos) ok = false;
    if (!ok || slash == std::string_view::npos) break;
    from = slash + 1;
  }
  areas.SelectArea(previous);
  if (tell) {
    if (ok) {
      data::Ui().MsgInfo("Expresión correcta", "Información");
    } else {
      data::Ui().MsgStop("Expresión incorrecta", "Atención");
    }
  }
  return ok;
}

std::vector<std::string> ColumnOperands(std::string_view formula) {
  const std::string text = Upper(formula);
  std::vector<std::string> operands;
  for (std::size_t at = text.find("COLUM"); at != std::string::npos; at = text.find("COLUM", at + 1)) {
    if (at > 0 && IsNameChar(text[at - 1])) continue;
    std::size_t end = at + 5;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end == at + 5 || (end < text.size() && IsNameChar(text[end]))) continue;
    const std::string operand = text.substr(at, end - at);
    if (std::find(operands.begin(), operands.end(), operand) == operands.end()) operands.push_back(operand);
  }
  return operands;
}

bool lDelete(std::string_view formula, std::string_view column) {
  const std::string name = Upper(xb::AllTrim(column));
  for (const std::string& operand : ColumnOperands(formula))
    if (operand == name) return false;
  return true;
}

std::string cRutaRelativa(std::string_view file, std::string_view from) {
  std::string base(from);
  if (base.empty()) base = data::ProgramFolder() + std::string(data::AppMainExeName());
  if (!HasDrive(file) || !HasDrive(base) || Upper(file.substr(0, 1)) != Upper(base.substr(0, 1))) {
    data::Ui().MsgStop("No se puede establecer una ruta relativa entre ficheros en unidades distintas, o con un "
                       "fichero que no presenta letra de unidad",
                       "Atención");
    return "";
  }
  std::vector<std::string> target = Parts(file);
  std::vector<std::string> folder = Parts(base);
  folder.pop_back();  // the program's own file name
  std::size_t common = 0;
  while (common < folder.size() && common + 1 < target.size() && Upper(folder[common]) == Upper(target[common]))
    ++common;
  std::string relative;
  for (std::size_t i = common; i < folder.size(); ++i) relative += "..\\";
  for (std::size_t i = common; i < target.size(); ++i) relative += target[i] + (i + 1 < target.size() ? "\\" : "");
  return relative;
}

void RegisterExpressions() {
  xb::RegisterFunction("TI_GENBLOCK", [](Args& a) { return Value(GenBlock(a.Str(1))); });
  xb::RegisterFunction("TI_TXTTOARRAY", [](Args& a) {
    xb::Array values = xb::Array::New();
    for (const Value& v : TxtToArray(a.Str(1))) values.Append(v);
    return Value(values);
  });
  // TI_LCHECKEXPRESION(cAlias, cExpr, lTell)
  xb::RegisterFunction("TI_LCHECKEXPRESION",
                       [](Args& a) { return Value::Logical(lCheckExpresion(a.Str(1), a.Str(2), a.Log(3))); });
  xb::RegisterFunction("TI_LDELETE", [](Args& a) { return Value::Logical(lDelete(a.Str(1), a.Str(2))); });
  xb::RegisterFunction("TI_CRUTARELATIVA", [](Args& a) { return Value::String(cRutaRelativa(a.Str(1), a.Str(2))); });
}

}  // namespace reports
