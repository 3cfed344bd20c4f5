#include "ui/core/value_text.h"

#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/number.h"

namespace ui {

std::string CValToChar(const xb::Value& v) {
  const xb::Value& value = v.Deref();
  if (value.IsString()) return std::string(value.AsString());
  if (value.IsDate()) return xb::DToC(value.AsDate());
  if (value.IsLogical()) return value.AsLogical() ? ".t." : ".f.";
  if (value.IsNumber()) return xb::NumberToText(value);
  if (value.IsBlock()) return "{|| ... }";
  if (value.IsArray()) return "{ ... }";
  if (value.IsObject()) return "Object";
  return "";
}

void RegisterValueText() {
  xb::RegisterFunction("CVALTOCHAR", [](xb::Args& a) { return xb::Value::String(CValToChar(a.Arg(1))); });
}

}  // namespace ui
