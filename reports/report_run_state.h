// What the parts of a report run share: the run's state, dictionary-row readers and the
// blocks of the run's texts, compiled once a run. Included by the run's own files only.
#pragma once

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
  };
  std::map<int, std::vector<Step>> chains;
  std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> environments;
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> value_lists;
  std::vector<xb::Value> value_params;  // per column
  std::unique_ptr<RunProgress> progress;
  bool broken = false;
};

}  // namespace reports
