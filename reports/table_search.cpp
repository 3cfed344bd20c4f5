#include "reports/table_search.h"

#include <algorithm>
#include <map>

#include "data/record_helpers.h"
#include "reports/value_helpers.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/object.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"

namespace reports {
namespace {

using xb::Args;
using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

ChoicePicker& Picker() {
  static ChoicePicker picker;
  return picker;
}

std::string Trimmed(std::string_view s) { return std::string(xb::AllTrim(s)); }

void SendIf(const Value& receiver, const char* message, std::initializer_list<Value> args = {}) {
  if (xb::HasMessage(receiver, xb::Intern(message))) xb::Send(receiver, message, args);
}

// Compiled product conditions by their text; nullopt: it does not compile.
class Conditions {
 public:
  bool Holds(std::string_view text) {
    const std::string key = Trimmed(text);
    if (key.empty()) return true;
    auto it = blocks_.find(key);
    if (it == blocks_.end()) it = blocks_.emplace(key, xb::TryCompileBlock(key)).first;
    if (!it->second) return false;
    try {
      xb::QuietErrorScope quiet;
      const Value v = it->second->Eval();
      return v.IsLogical() && v.AsLogical();
    } catch (const xb::UnhandledError&) {
      return false;
    }
  }

 private:
  std::map<std::string, std::optional<xb::Block>> blocks_;
};

}  // namespace

std::vector<ChoiceRow> ChoiceRows(const ChoiceQuery& q) {
  std::vector<ChoiceRow> rows;
  WorkAreas& areas = WorkAreas::Get();
  const int number = areas.AreaOfAlias(Trimmed(q.alias));
  if (number == 0) return rows;
  const int selected = areas.CurrentArea();
  areas.SelectArea(number);
  WorkArea& area = areas.Current();
  const data::AreaStatus before = data::aSetStatus();
  const int code = area.FieldPos(xb::UpperName(Trimmed(q.code_field)));
  int description = area.FieldPos("DESCRIPC");
  if (description == 0) description = area.FieldPos("DESCRIP");
  const int products = area.FieldPos("PRODUCTOS");
  const int filter = q.filter_field.empty() ? 0 : area.FieldPos(xb::UpperName(Trimmed(q.filter_field)));
  Conditions conditions;
  if (!q.order.IsNil()) xb::CallFunction("ORDSETFOCUS", {q.order});
  for (area.GoTop(); !area.eof(); area.Skip(1)) {
    if (filter > 0 && !Compare(area.GetField(filter), q.filter_value)) continue;
    if (products > 0) {
      const Value text = area.GetField(products);
      if (text.IsString() && !conditions.Holds(text.AsString())) continue;
    }
    const Value shown = description > 0 ? area.GetField(description) : Value();
    rows.push_back({code > 0 ? area.GetField(code) : Value(), shown.IsString() ? std::string(shown.AsString()) : ""});
  }
  data::GetStatus({}, before);
  areas.SelectArea(selected);
  const xb::CodePage& cp = xb::CurrentCodePage();
  std::stable_sort(rows.begin(), rows.end(), [&cp](const ChoiceRow& a, const ChoiceRow& b) {
    return xb::Upper(cp, a.description) < xb::Upper(cp, b.description);
  });
  return rows;
}

void SetChoicePicker(ChoicePicker picker) { Picker() = std::move(picker); }

std::optional<std::size_t> PickChoice(const std::string& title, const std::vector<ChoiceRow>& rows, const Value& owner) {
  if (!Picker()) return std::nullopt;
  const std::optional<std::size_t> chosen = Picker()(title, rows, owner);
  if (!chosen || *chosen >= rows.size()) return std::nullopt;
  return chosen;
}

Value uDblFinBin(const ChoiceQuery& query, std::string_view title, const Value& owner, std::string* description) {
  const std::vector<ChoiceRow> rows = ChoiceRows(query);
  if (!Picker()) return Value();
  const std::optional<std::size_t> chosen = Picker()(" Seleccione " + std::string(title), rows, owner);
  if (!chosen || *chosen >= rows.size()) return Value();
  if (description) *description = rows[*chosen].description;
  return rows[*chosen].code;
}

bool uFind(int key, const Value& edit, const Value& dialog, std::string_view title, const ChoiceQuery& query,
           const Value& label) {
  if (key != kMagnifierKey) return true;
  const bool no_filter_value = !query.filter_field.empty() &&
                               (query.filter_value.IsNil() || (query.filter_value.IsString() &&
                                                              xb::AllTrim(query.filter_value.AsString()).empty()));
  if (!no_filter_value) {
    std::string description;
    const Value code = uDblFinBin(query, title, dialog, &description);
    if (!code.IsNil()) {
      SendIf(edit, "VARPUT", {code});
      SendIf(edit, "REFRESH");
      SendIf(label, "SETTEXT", {Value::String(description)});
      SendIf(label, "REFRESH");
    }
  }
  SendIf(edit, "SETFOCUS");
  return false;
}

void BuscaTecla(const Value& browse, int key) {
  if (key < 1 || key > 255) return;
  const std::string letter(1, static_cast<char>(key));
  if (!xb::CallFunction("ISALPHA", {Value::String(letter)}).AsLogical()) return;
  const Value alias = xb::HasMessage(browse, xb::Intern("CALIAS")) ? xb::Send(browse, "CALIAS") : Value();
  WorkAreas& areas = WorkAreas::Get();
  const int number = alias.IsString() ? areas.AreaOfAlias(Trimmed(alias.AsString())) : areas.CurrentArea();
  if (number == 0) return;
  const int selected = areas.CurrentArea();
  areas.SelectArea(number);
  xb::CallFunction("DBSEEK", {Value::String(xb::Upper(xb::CurrentCodePage(), letter)), Value::Logical(true)});
  areas.SelectArea(selected);
  SendIf(browse, "REFRESH");
}

void RegisterTableSearch() {
  // TI_UDBLFINBIN(cCodeField, cTitle, cAlias, nOrder, cFilterField, uFilterValue)
  xb::RegisterFunction("TI_UDBLFINBIN", [](Args& a) {
    ChoiceQuery q{std::string(a.Str(1)), std::string(a.Str(3)), a.Arg(4), std::string(a.Str(5)), a.Arg(6)};
    return uDblFinBin(q, a.Str(2));
  });
  // TI_UFIND(nKey, nFlags, oGet, oDlg, cTitle, cAlias, cField, cFilterField, uFilterValue, oSay, nOrder)
  xb::RegisterFunction("TI_UFIND", [](Args& a) {
    ChoiceQuery q{std::string(a.Str(7)), std::string(a.Str(6)), a.Arg(11), std::string(a.Str(8)), a.Arg(9)};
    return Value::Logical(uFind(static_cast<int>(a.Int(1)), a.Arg(3), a.Arg(4), a.Str(5), q, a.Arg(10)));
  });
  xb::RegisterFunction("TI_BUSCATECLA", [](Args& a) {
    BuscaTecla(a.Arg(1), static_cast<int>(a.Int(2)));
    return Value();
  });
}

}  // namespace reports
