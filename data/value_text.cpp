#include "data/value_text.h"

#include "runtime/lib/dates.h"
#include "runtime/number.h"

namespace data {

std::string ValueText(const xb::Value& value) {
  const xb::Value& v = value.Deref();
  if (v.IsString()) return std::string(v.AsString());
  if (v.IsNumber()) return xb::NumberToText(v);
  if (v.IsDate()) return xb::DToC(v.AsDate());
  if (v.IsLogical()) return v.AsLogical() ? ".T." : ".F.";
  return {};
}

}  // namespace data
