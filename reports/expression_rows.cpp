#include "reports/expression_rows.h"

#include <algorithm>
#include <vector>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(xb::AllTrim(alias)));
}

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

std::string Text(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0) return {};
  const Value v = area.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::string BlockText(const std::string& name) {
  return "{ | cAlias, aArray1, aArray2, aParams | " + name + "( cAlias, aArray1, aArray2, aParams ) }";
}

// The rows of `area` whose CODIGO is `code`, as arrays of their fields.
std::vector<xb::Array> RowsOf(WorkArea& area, const std::string& code) {
  std::vector<xb::Array> rows;
  const std::uint32_t recno = area.recno();
  const int order = area.controlling_order();
  area.SetControllingOrder(0);
  for (area.GoTop(); !area.eof(); area.Skip(1)) {
    if (Upper(Text(area, "CODIGO")) != code) continue;
    xb::Array row = xb::Array::New();
    for (int f = 1; f <= area.FieldCount(); ++f) row.Append(area.GetField(f));
    rows.push_back(row);
  }
  area.SetControllingOrder(order);
  area.GoTo(recno);
  return rows;
}

bool AppendRow(WorkArea& area, const xb::Array& row, const std::string& code) {
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area.number());
  const bool shared = area.table().shared();
  const bool ok = shared ? data::lNetRecAdd() : area.Append(false);
  if (ok) {
    for (int f = 1; f <= area.FieldCount() && static_cast<std::size_t>(f) <= row.size(); ++f)
      area.PutField(f, row[static_cast<std::size_t>(f - 1)]);
    area.PutField(area.FieldPos("CODIGO"), Value::String(code));
    area.Commit();
    if (shared) area.Unlock(area.recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

std::int64_t Number(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0) return 0;
  const Value v = area.GetField(pos);
  return v.IsNumber() ? v.AsInt() : 0;
}

}  // namespace

std::vector<ExprParam> ReadExprColumnas(std::string_view exprcol, std::string_view code) {
  std::vector<ExprParam> params;
  WorkArea* area = AreaOf(exprcol);
  if (area == nullptr) return params;
  const std::string wanted = Upper(code);
  const std::uint32_t recno = area->recno();
  const bool at_end = area->eof();
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  for (area->GoTop(); !area->eof(); area->Skip(1)) {
    if (Upper(Text(*area, "CODIGO")) != wanted) continue;
    ExprParam p;
    p.parametro = static_cast<int>(Number(*area, "PARAMETRO"));
    p.tipo = Text(*area, "TIPO");
    p.longitud = static_cast<int>(Number(*area, "LONGITUD"));
    p.decimal = static_cast<int>(Number(*area, "DECIMAL"));
    p.mascara = Text(*area, "MASCARA");
    p.descripc = Text(*area, "DESCRIPC");
    p.campo = Text(*area, "CAMPO");
    p.anchomax = static_cast<int>(Number(*area, "ANCHOMAX"));
    p.divisa = Text(*area, "DIVISA");
    p.visible = Text(*area, "VISIBLE");
    params.push_back(std::move(p));
  }
  area->SetControllingOrder(order);
  if (at_end) {
    area->GoBottom();
    area->Skip(1);
  } else {
    area->GoTo(recno);
  }
  std::stable_sort(params.begin(), params.end(),
                   [](const ExprParam& a, const ExprParam& b) { return a.parametro < b.parametro; });
  return params;
}

bool SaveExprColumnas(std::string_view exprcol, std::string_view code, const std::vector<ExprParam>& params) {
  WorkArea* area = AreaOf(exprcol);
  const std::string key = Upper(code);
  if (area == nullptr || key.empty()) return false;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  const bool shared = area->table().shared();
  bool ok = true;
  // The rows of the code, reused in turn for the parameters given; the rest deleted.
  std::vector<std::uint32_t> rows;
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  for (area->GoTop(); !area->eof(); area->Skip(1))
    if (Upper(Text(*area, "CODIGO")) == key) rows.push_back(area->recno());
  area->SetControllingOrder(order);
  std::size_t used = 0;
  for (const ExprParam& p : params) {
    bool locked;
    if (used < rows.size()) {
      area->GoTo(rows[used++]);
      locked = !shared || data::lNetRecLock();
    } else {
      locked = shared ? data::lNetRecAdd() : area->Append(false);
    }
    if (!locked) {
      ok = false;
      break;
    }
    const auto put = [area](const char* field, const Value& v) {
      if (const int pos = area->FieldPos(field); pos != 0) area->PutField(pos, v);
    };
    put("CODIGO", Value::String(key));
    put("PARAMETRO", Value::Integer(p.parametro));
    put("TIPO", Value::String(p.tipo));
    put("LONGITUD", Value::Integer(p.longitud));
    put("DECIMAL", Value::Integer(p.decimal));
    put("MASCARA", Value::String(p.mascara));
    put("DESCRIPC", Value::String(p.descripc));
    put("CAMPO", Value::String(p.campo));
    put("ANCHOMAX", Value::Integer(p.anchomax));
    put("DIVISA", Value::String(p.divisa));
    put("VISIBLE", Value::String(p.visible));
    area->Commit();
    if (shared) area->Unlock(area->recno());
  }
  for (; ok && used < rows.size(); ++used) {
    area->GoTo(rows[used]);
    if (shared && !data::lNetRecLock()) {
      ok = false;
      break;
    }
    area->Delete();
    area->Commit();
    if (shared) area->Unlock(area->recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

void FitParamToType(ExprParam& param) {
  if (param.tipo != "N") param.decimal = 0;
  if (param.tipo == "D") param.longitud = 8;
  if (param.tipo == "L") param.longitud = 1;
  param.longitud = std::clamp(param.longitud, 0, 999);
  param.decimal = std::clamp(param.decimal, 0, std::max(0, param.longitud - 2));
  param.anchomax = std::clamp(param.anchomax, 0, 999);
}

int NextParametro(const std::vector<ExprParam>& params) {
  int last = 0;
  for (const ExprParam& p : params) last = std::max(last, p.parametro);
  return last + 1;
}

std::string FunctionName(std::string_view text) {
  const std::size_t paren = text.find('(');
  return std::string(xb::AllTrim(text.substr(0, paren)));
}

bool GuardaExpresion(std::string_view alias, bool add, xb::Array values) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr || !values) return false;
  for (const char* field : {"EXPRESION", "FUNDATOS", "FUNCOLUMNA"}) {
    const int pos = area->FieldPos(field);
    if (pos == 0 || static_cast<std::size_t>(pos) > values.size()) continue;
    const Value& v = values[static_cast<std::size_t>(pos - 1)].Deref();
    if (!v.IsString()) continue;
    const std::string name = FunctionName(v.AsString());
    if (!name.empty() && xb::CheckSyntax(BlockText(name)).has_value()) {
      data::Ui().MsgStop("Expresión incorrecta", "Atención");
      return false;
    }
    values[static_cast<std::size_t>(pos - 1)] = Value::String(name);
  }
  const std::string code = Upper(values.size() > 0 && values[0].Deref().IsString() ? values[0].Deref().AsString() : "");
  if (code.empty()) return false;
  const std::uint32_t current = area->recno();
  bool taken = false;
  {
    const int order = area->controlling_order();
    area->SetControllingOrder(0);
    for (area->GoTop(); !area->eof() && !taken; area->Skip(1))
      taken = Upper(Text(*area, "CODIGO")) == code && (add || area->recno() != current);
    area->SetControllingOrder(order);
    area->GoTo(current);
  }
  if (taken) {
    data::Ui().MsgStop("Nombre duplicado", "Atención");
    return false;
  }
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  const bool shared = area->table().shared();
  const bool ok = add ? (shared ? data::lNetRecAdd() : area->Append(false)) : (!shared || data::lNetRecLock());
  if (ok) {
    for (int f = 1; f <= area->FieldCount() && static_cast<std::size_t>(f) <= values.size(); ++f) {
      const Value& v = values[static_cast<std::size_t>(f - 1)].Deref();
      if (!v.IsNil()) area->PutField(f, v);
    }
    area->Commit();
    if (shared) area->Unlock(area->recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

ExpressionCheck CheckExpresion(std::string_view table_alias, std::string_view function, bool quiet) {
  ExpressionCheck verdict = ExpressionCheck::kNotChecked;
  const std::string name = FunctionName(function);
  WorkArea* area = AreaOf(table_alias);
  if (area != nullptr && !name.empty()) {
    verdict = ExpressionCheck::kIncorrect;
    if (!xb::CheckSyntax(BlockText(name)).has_value()) {
      const xb::Block b = xb::MacroBlock(BlockText(name));
      Value result;
      bool failed = false;
      xb::ErrorBlockScope trap(Value(xb::Block::Native([](xb::Args&) -> Value { xb::Break(); })));
      xb::BeginSequence(
          [&] {
            result = b.Eval({Value::String(area->alias()), Value(xb::Array::New()), Value(xb::Array::New()),
                             Value(xb::Array::New())});
          },
          [&](const Value&) { failed = true; });
      if (!failed && !result.IsNil()) verdict = ExpressionCheck::kCorrect;
    }
  }
  if (!quiet) {
    const char* text = verdict == ExpressionCheck::kCorrect     ? "Expresión correcta"
                       : verdict == ExpressionCheck::kIncorrect ? "Expresión incorrecta"
                                                                : "La expresión no ha podido ser comprobada";
    data::Ui().MsgInfo(text, "Atención");
  }
  return verdict;
}

bool DupExpresiones(std::string_view expresio, std::string_view exprcol, std::string_view code,
                    std::string_view new_code) {
  WorkArea* expressions = AreaOf(expresio);
  WorkArea* columns = AreaOf(exprcol);
  if (expressions == nullptr || columns == nullptr) return false;
  const std::string from = Upper(code);
  const std::string to = Upper(new_code);
  const std::vector<xb::Array> params = RowsOf(*columns, from);
  if (params.empty()) {
    data::Ui().MsgStop("Esta expresión no tiene ninguna columna.\n\rImposible duplicar", "Atención");
    return false;
  }
  if (to.empty() || !RowsOf(*expressions, to).empty()) {
    data::Ui().MsgStop("Nombre duplicado", "Atención");
    return false;
  }
  const std::vector<xb::Array> rows = RowsOf(*expressions, from);
  if (rows.empty()) return false;
  if (!AppendRow(*expressions, rows.front(), to)) return false;
  for (const xb::Array& p : params) AppendRow(*columns, p, to);
  return true;
}

void RegisterExpressionRows() {
  // TI_GUARDAEXPRESION(cAlias, lNew, aValues)
  xb::RegisterFunction("TI_GUARDAEXPRESION", [](xb::Args& a) {
    return Value::Logical(GuardaExpresion(a.Str(1), a.Log(2), a.Arr(3)));
  });
  // TI_CHECKEXPRESION(cAliasTabla, cFuncion, lQuiet): .T. when correct.
  xb::RegisterFunction("TI_CHECKEXPRESION", [](xb::Args& a) {
    return Value::Logical(CheckExpresion(a.Str(1), a.Str(2), a.Log(3)) == ExpressionCheck::kCorrect);
  });
  // TI_DUPEXPRESION(cAliasExpresio, cAliasExprCol, cCodigo, cNuevo)
  xb::RegisterFunction("TI_DUPEXPRESION", [](xb::Args& a) {
    return Value::Logical(DupExpresiones(a.Str(1), a.Str(2), a.Str(3), a.Str(4)));
  });
}

}  // namespace reports
