// What the parts of a report run share: the run's state, dictionary-row readers and the
// blocks of the run's texts, compiled once a run. Included by the run's own files only.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/temporary_tables.h"
#include "reports/expressions.h"
#include "reports/report_run.h"
#include "reports/tdictqz.h"
#include "runtime/block.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/number.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace run_detail {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

inline std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), s); }
inline std::string Trim(std::string_view s) { return std::string(xb::AllTrim(s)); }
inline std::string RTrim(std::string_view s) { return std::string(xb::RTrim(s)); }

inline WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  const int n = areas.AreaOfAlias(Trim(alias));
  return n == 0 ? nullptr : areas.Area(n);
}

inline std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return {};
  const Value v = a.GetField(pos);
  return v.IsString() ? RTrim(v.AsString()) : std::string();
}
inline int Number(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return 0;
  const Value v = a.GetField(pos);
  return v.IsNumber() ? static_cast<int>(v.AsDouble()) : 0;
}
inline double Real(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return 0;
  const Value v = a.GetField(pos);
  return v.IsNumber() ? v.AsDouble() : 0;
}
inline bool Logical(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return false;
  const Value v = a.GetField(pos);
  return v.IsLogical() && v.AsLogical();
}

using xb::rdd::SelectedArea;

// Calls f on every row of `alias` in the order of `tag` from the key on while `same` holds.
template <typename Same, typename F>
void EachFrom(std::string_view alias, std::string_view tag, const std::string& key, Same&& same, F&& f) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return;
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area->number());
  xb::CallFunction("ORDSETFOCUS", {Value::String(tag)});
  xb::CallFunction("DBSEEK", {Value::String(key), Value::Logical(true)});
  for (; !area->eof() && same(*area); area->Skip(1)) f(*area);
}

// Evaluates text in an area, compiled once per run.
class Compiled {
 public:
  Value Eval(const std::string& text, WorkArea* area = nullptr, std::initializer_list<Value> args = {}) {
    auto it = blocks_.find(text);
    if (it == blocks_.end()) {
      // A block's text is the block; any other text an expression.
      xb::Block block;
      if (Trim(text).starts_with("{")) {
        const Value v = xb::EvalMacro(text);
        if (v.IsBlock()) block = v.AsBlock();
      }
      it = blocks_.emplace(text, block ? block : GenBlock(text)).first;
    }
    SelectedArea keep;
    if (area != nullptr) WorkAreas::Get().SelectArea(area->number());
    return it->second.Eval(args);
  }

 private:
  std::map<std::string, xb::Block> blocks_;
};

inline Value EmptyOf(const std::string& type, int width) {
  if (type == "N" || type == "H") return Value::Integer(0);
  if (type == "L") return Value::Logical(false);
  if (type == "D" || type == "F") return Value::FromDate(xb::Date());
  return Value::String(std::string(static_cast<std::size_t>(std::max(width, 0)), ' '));
}

inline bool SameType(const Value& v, const std::string& type) {
  if (type == "N" || type == "H") return v.IsNumber();
  if (type == "L") return v.IsLogical();
  if (type == "D" || type == "F") return v.IsDate();
  return v.IsString();
}

// A value as its column keeps it: another type gives the empty value, text is cut to
// ANCHOMAX, a number too large for the column gives 0.
inline Value Fitted(const ColumnDef& c, Value value) {
  if (!SameType(value, c.cTipo == "H" ? "N" : c.cTipo)) value = EmptyOf(c.cTipo, c.nAnchoMax);
  if (value.IsString() && c.nAncho > 0 && static_cast<int>(value.AsString().size()) > c.nAnchoMax && c.nAnchoMax > 0)
    value = Value::String(value.AsString().substr(0, static_cast<std::size_t>(c.nAnchoMax)));
  if (value.IsNumber()) {
    const int digits = c.cTipo == "H" ? 19 : std::max(c.nAnchoMax, 1);
    if (std::fabs(value.AsDouble()) > std::pow(10.0, std::min(digits, 19 - c.nDecimal)) - 1) value = Value::Integer(0);
  }
  return value;
}

// Keys of the same type and value.
inline bool SameKey(const Value& a, const Value& b) {
  if (a.IsString() && b.IsString()) return a.AsString() == b.AsString();
  if (a.IsNumber() && b.IsNumber()) return a.AsDouble() == b.AsDouble();
  if (a.IsDate() && b.IsDate()) return a.AsDate().Dtos() == b.AsDate().Dtos();
  if (a.IsLogical() && b.IsLogical()) return a.AsLogical() == b.AsLogical();
  return false;
}

inline std::string ValueText(const Value& v) {
  if (v.IsString()) return std::string(v.AsString());
  if (v.IsLogical()) return v.AsLogical() ? ".T." : ".F.";
  if (v.IsDate()) return v.AsDate().Dtos();
  if (v.IsNumber()) return Trim(xb::NumberToStr(v));
  return {};
}

}  // namespace run_detail

struct TInforme::Run {
  bool opened_dict = false;
  xb::Ref<TDictQZ> dict;
  int view = 0;
  int share_with = 0;  // a view of the caller whose tables the run uses
  std::vector<std::pair<std::string, std::string>> tables;  // {name upper, alias}
  xb::Ref<data::TTemporal> tmp;
  xb::rdd::WorkArea* master = nullptr;
  xb::rdd::WorkArea* work = nullptr;
  int area_before = 0;
  run_detail::Compiled code;
  // The Informes row.
  std::string titulo, desde, hasta, cabecera, infmaster;
  bool ljump = false, desglose = true;
  int margen = 0, lineasr = 1;
  int fnt_tit = 1, fnt_lin = 1, fnt_sub = 1, fnt_tot = 1;
  std::vector<std::string> masks;
  struct Group {
    std::string key, header, footer;
    std::vector<std::pair<int, std::string>> headings;  // {line, text}
  };
  std::vector<Group> groups;
  std::vector<bool> group_columns;
  std::vector<int> first_heading;  // per group, the column its headings start with (-1: none)
  std::string first_key;
  bool calculated = false;
  int other_view = 0;               // the view an initial-value function ran the report on
  // Expressions evaluated once a record, by code and value parameter.
  struct Expression {
    xb::Value params, result;
    bool evaluated = false;
  };
  std::map<std::string, Expression> expressions;
  // Read from the dictionary once a run: each related column's search chain (by IDCOL; a
  // null area where a table of the chain is not open), each expression's environment (by
  // code: its tables and their aliases), each value list of a table's field.
  struct Step {
    xb::rdd::WorkArea* area = nullptr;
    std::string tag, expression;
    // The last key sought and the record it found (0: none): the same key again, with the
    // area still there, needs no seek.
    xb::Value key{};
    std::uint32_t recno = 0;
    bool sought = false;
  };
  std::map<int, std::vector<Step>> chains;
  std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> environments;
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> value_lists;
  std::vector<xb::Value> value_params;  // per column
  std::unique_ptr<RunProgress> progress;
  bool broken = false;
  // Printing straight from the scanned area (a temporary master or a given area) without
  // filling the work table; `order` holds its records in the report's order (empty: the
  // area's own order), `at` the one printing.
  bool straight = false;
  std::vector<std::uint32_t> order;
  std::size_t at = 0;
  // Areas of the caller the run moves: their order and record come back at the end.
  struct Kept {
    int area = 0, order = 0;
    std::uint32_t recno = 0;
  };
  std::vector<Kept> kept;
  void Keep(xb::rdd::WorkArea& area) {
    for (const Kept& k : kept)
      if (k.area == area.number()) return;
    kept.push_back({area.number(), area.controlling_order(), area.recno()});
  }
  bool sorted = false;  // straight, in `order`
  void First() {
    at = 0;
    if (!sorted) printed()->GoTop();
    else if (!order.empty()) master->GoTo(order.front());
  }
  void Last() {
    if (!sorted) printed()->GoBottom();
    else if (!order.empty()) master->GoTo(order.back());
  }
  bool More() const { return sorted ? at < order.size() : !printed()->eof(); }
  void Next() {
    if (!sorted) printed()->Skip(1);
    else if (++at < order.size()) master->GoTo(order[at]);
  }
  // The area printed: the scanned one when straight, else the work table.
  xb::rdd::WorkArea* printed() const { return straight ? master : work; }
  // The field a column is read from there.
  const std::string& FieldOf(const ColumnDef& c) const { return straight ? c.cCampoRel : c.cCampo; }
};

}  // namespace reports
