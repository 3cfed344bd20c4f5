#include "reports/value_helpers.h"

#include <cmath>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/strings.h"
#include "runtime/number.h"
#include "runtime/operators.h"

namespace reports {
namespace {

using xb::Value;

std::function<int()>& PixelsSource() {
  static std::function<int()> source;
  return source;
}

std::string UpperTrim(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

}  // namespace

Value uValTipo(std::string_view type) {
  if (type == "C") return Value::String(" ");
  if (type == "N") return Value::Integer(0);
  if (type == "L") return Value::Logical(false);
  if (type == "D" || type == "F") return Value::FromDate(xb::Date{});
  return Value();
}

bool Compare(const Value& a_value, const Value& b_value) {
  const Value& a = a_value.Deref();
  Value b = b_value.Deref();
  if (a.IsString()) {
    if (b.IsNumber()) b = Value::String(xb::NumberToStr(b));
    if (!b.IsString()) return false;
    return UpperTrim(a.AsString()) == UpperTrim(b.AsString());
  }
  if (a.IsNumber()) {
    if (!b.IsNumber()) b = b.IsString() ? xb::Val(b.AsString()) : Value::Integer(0);
    return xb::OpExactEqual(a, b).AsLogical();
  }
  if (a.ValType() != b.ValType()) return false;
  if (a.IsArray() || a.IsBlock() || a.IsObject()) return a.SameAs(b);
  return xb::OpExactEqual(a, b).AsLogical();
}

std::string cHoras(const Value& value) {
  const Value& v = value.Deref();
  if (!v.IsNumber() || v.AsDouble() == 0) return "";
  const double minutes = v.AsDouble();
  const auto whole = static_cast<long long>(std::fabs(minutes));
  std::string hours = (minutes < 0 ? "-" : "") + std::to_string(whole / 60);
  hours = hours.size() > 4 ? std::string(4, '*') : std::string(4 - hours.size(), ' ') + hours;
  return hours + " h, " + xb::NumberToStr(Value::Integer(whole % 60), 2) + "'";
}

std::string nMinToHora(double minutes, bool colon) {
  const double hours = std::trunc(minutes / 60);
  const double rest = std::trunc(std::fmod(minutes, 60));
  return xb::NumberToStr(Value::Number(hours), 2, 0) + (colon ? ":" : "") + xb::NumberToStr(Value::Number(rest), 2, 0);
}

double cHoraToMin(std::string_view hhmm) {
  return xb::Val(xb::Left(hhmm, 2)).AsDouble() * 60 + xb::Val(xb::Right(hhmm, 2)).AsDouble();
}

std::string Us(std::string_view number) {
  std::string out;
  for (char c : number) {
    if (c == '.' || c == ' ') continue;
    out += c == ',' ? '.' : c;
  }
  return out;
}

double nSize(double height, int pixels_per_inch) {
  if (pixels_per_inch <= 0) pixels_per_inch = 96;
  double points = -height * 72 / pixels_per_inch;
  const double fraction = points - std::trunc(points);
  if (std::fabs(fraction - 0.25) < 1e-9) {
    points = std::trunc(points);
  } else if (std::fabs(fraction) > 1e-9) {
    points += 0.25;
  }
  return std::fabs(points);
}

void SetScreenPixelsPerInch(std::function<int()> source) { PixelsSource() = std::move(source); }

int ScreenPixelsPerInch() { return PixelsSource() ? PixelsSource()() : 96; }

void RegisterValueHelpers() {
  using xb::Args;
  xb::RegisterFunction("TI_UVALTIPO", [](Args& a) { return uValTipo(a.Str(1)); });
  xb::RegisterFunction("TI_NVALTON", [](Args& a) { return a.Arg(1).IsNumber() ? a.Arg(1) : Value::Integer(0); });
  xb::RegisterFunction("TI_LVALTOL", [](Args& a) { return Value::Logical(a.Arg(1).IsLogical() && a.Log(1)); });
  xb::RegisterFunction("TI_COMPARE", [](Args& a) { return Value::Logical(Compare(a.Arg(1), a.Arg(2))); });
  xb::RegisterFunction("TI_CHORAS", [](Args& a) { return Value::String(cHoras(a.Arg(1))); });
  xb::RegisterFunction("TI_NMINTOHORA", [](Args& a) { return Value::String(nMinToHora(a.Num(1), a.Log(2))); });
  xb::RegisterFunction("TI_CHORATOMIN", [](Args& a) {
    const double minutes = cHoraToMin(a.Arg(1).IsString() ? a.Str(1) : std::string_view("0000"));
    return minutes == std::trunc(minutes) ? Value::Integer(static_cast<std::int64_t>(minutes)) : Value::Number(minutes);
  });
  xb::RegisterFunction("_US", [](Args& a) { return Value::String(Us(a.Str(1))); });
  xb::RegisterFunction("TI_NSIZE", [](Args& a) { return Value::Double(nSize(a.Num(1), ScreenPixelsPerInch()), 2); });
}

}  // namespace reports
