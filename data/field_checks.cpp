#include "data/field_checks.h"

#include "data/data_ui.h"
#include "data/record_helpers.h"
#include "runtime/function_table.h"
#include "runtime/lib/numbers.h"
#include "runtime/object.h"
#include "runtime/rdd/workareas.h"
#include "runtime/symbol.h"

namespace data {
namespace {

using xb::Args;
using xb::Value;
using xb::rdd::WorkAreas;

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

// Selects the area of the alias (the selected one when empty) and puts back, whatever
// happens meanwhile, the area's record and order and the selected area.
class KeptArea {
 public:
  explicit KeptArea(std::string_view alias) : selected_(WorkAreas::Get().CurrentArea()) {
    const std::string name = Trimmed(alias);
    if (!name.empty()) {
      const int number = WorkAreas::Get().AreaOfAlias(name);
      // An unknown alias raises its error as DBSELECTAREA gives it.
      if (number == 0) xb::CallFunction("DBSELECTAREA", {Value::String(name)});
      else WorkAreas::Get().SelectArea(number);
    }
    used_ = WorkAreas::Get().Current().used();
    if (used_) {
      area_ = WorkAreas::Get().CurrentArea();
      status_ = aSetStatus();
    }
  }
  ~KeptArea() {
    try {
      if (used_) {
        WorkAreas::Get().SelectArea(area_);
        if (WorkAreas::Get().Current().used()) GetStatus({}, status_);
      }
    } catch (...) {
    }
    WorkAreas::Get().SelectArea(selected_);
  }
  KeptArea(const KeptArea&) = delete;
  KeptArea& operator=(const KeptArea&) = delete;

  bool used() const { return used_; }

 private:
  int selected_;
  int area_ = 0;
  bool used_ = false;
  AreaStatus status_;
};

bool Seek(const Value& key, const Value& order) {
  xb::CallFunction("ORDSETFOCUS", {order.IsNil() ? Value::Integer(1) : order});
  return xb::CallFunction("DBSEEK", {key}).AsLogical();
}

Value FieldValue(const Value& field) {
  if (field.IsBlock()) return field.AsBlock().Eval();
  if (field.IsString()) return xb::CallFunction("FIELDGET", {xb::CallFunction("FIELDPOS", {Value::String(Trimmed(field.AsString()))})});
  if (field.IsNumber()) return xb::CallFunction("FIELDGET", {field});
  return Value();
}

void Refresh(const Value& control) {
  if (xb::HasMessage(control, xb::Intern("REFRESH"))) xb::Send(control, "REFRESH");
}

}  // namespace

bool lNotExist(const Value& key, std::string_view alias, const Value& order, std::string_view message) {
  bool found = false;
  {
    KeptArea keep(alias);
    if (!keep.used()) return true;
    found = Seek(key, order);
  }
  if (!found) return true;
  Ui().MsgStop(message, "Valor no aceptado");
  return false;
}

bool lExist(const Value& key, std::string_view alias, const Value& order, std::string_view message,
            const Value& field, const Value& label, const Value& edit) {
  Value value;
  bool found = false;
  {
    KeptArea keep(alias);
    if (keep.used()) {
      found = Seek(key, order);
      if (found && !field.IsNil()) value = FieldValue(field);
    }
  }
  if (!found) {
    Ui().MsgStop(message, "Valor no aceptado");
    return false;
  }
  if (!field.IsNil()) {
    if (label.IsObject()) {
      xb::Send(label, "SETTEXT", {value});
      Refresh(label);
    }
    if (edit.IsObject()) {
      xb::Send(edit, "VARPUT", {value});
      Refresh(edit);
    }
  }
  return true;
}

bool lNotEmpty(const Value& value, std::string_view message) {
  if (!xb::IsEmptyValue(value)) return true;
  Ui().MsgStop(message, "Valor no Aceptado");
  return false;
}

void RegisterFieldChecks() {
  // LNOTEXIST(uKey, cAlias, nOrder, cMessage)
  xb::RegisterFunction("LNOTEXIST", [](Args& a) {
    return Value::Logical(lNotExist(a.Arg(1), a.Str(2), a.Arg(3), a.Str(4, "Este valor ya existe en ficheros")));
  });
  // LEXIST(uKey, cAlias, nOrder, cMessage, cField, oSay, oGet)
  xb::RegisterFunction("LEXIST", [](Args& a) {
    return Value::Logical(lExist(a.Arg(1), a.Str(2), a.Arg(3), a.Str(4, "Este valor no existe en ficheros"), a.Arg(5),
                                 a.Arg(6), a.Arg(7)));
  });
  xb::RegisterFunction("LNOTEMPTY", [](Args& a) {
    return Value::Logical(lNotEmpty(a.Arg(1), a.Str(2, "Este valor no puede quedar vacío")));
  });
}

}  // namespace data
