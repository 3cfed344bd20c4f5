// Number functions: STR STRZERO VAL ROUND INT ABS MIN MAX MOD SQRT EXP LOG EMPTY.
// Results keep the width and decimals xBase gives them, since STR and TRANSFORM print by them.
#include "runtime/lib/numbers.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/array.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/library.h"
#include "runtime/number.h"

namespace xb {

namespace {

double Pow10(int n) {
  double p = 1;
  for (int i = 0; i < n && i < 400; ++i) p *= 10.0;
  return p;
}

bool IsNumberOrNil(const Value& v) { return v.IsNil() || v.IsNumber(); }

std::optional<int> OptInt(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  std::int64_t v = a.Int(n);
  return static_cast<int>(v < -1000 ? -1000 : (v > 1000 ? 1000 : v));
}

bool StrArgsOk(const Args& a) { return a.Arg(1).IsNumber() && IsNumberOrNil(a.Arg(2)) && IsNumberOrNil(a.Arg(3)); }

Value FnStr(Args& a) {
  if (!StrArgsOk(a)) return ArgumentError("STR", 1099, a.Raw());
  return Value::String(NumberToStr(a.Arg(1), OptInt(a, 2), OptInt(a, 3)));
}

bool AppendStr(Args& a, std::string& out) {
  if (!StrArgsOk(a)) return false;
  AppendNumberStr(out, a.Arg(1), OptInt(a, 2), OptInt(a, 3));
  return true;
}

Value FnStrZero(Args& a) {
  if (!a.Arg(1).IsNumber() || !IsNumberOrNil(a.Arg(2)) || !IsNumberOrNil(a.Arg(3)))
    return ArgumentError("STRZERO", 9999, a.Raw());
  return Value::String(StrZero(a.Arg(1), OptInt(a, 2), OptInt(a, 3)));
}

Value FnVal(Args& a) {
  if (!a.Arg(1).IsString()) return ArgumentError("VAL", 1098, a.Raw());
  return Val(a.Str(1));
}

Value FnRound(Args& a) {
  if (!a.Arg(1).IsNumber() || !a.Arg(2).IsNumber()) return ArgumentError("ROUND", 1094, a.Raw());
  const Value& n = a.Arg(1);
  int dec = *OptInt(a, 2);
  if (dec == 0 && n.IsInteger()) return Value::Integer(n.AsInt());
  return Value::Double(RoundNumber(n.AsDouble(), dec), dec > 0 ? dec : 0);
}

Value FnInt(Args& a) {
  const Value& n = a.Arg(1);
  if (!n.IsNumber()) return ArgumentError("INT", 1090, a.Raw());
  if (n.IsInteger()) return n;
  double t = std::trunc(n.AsDouble());
  return Value::Double(t == 0.0 ? 0.0 : t, 0, n.Width());
}

Value FnAbs(Args& a) {
  const Value& n = a.Arg(1);
  if (!n.IsNumber()) return ArgumentError("ABS", 1089, a.Raw());
  if (n.IsInteger()) {
    std::int64_t v = n.AsInt();
    if (v == std::numeric_limits<std::int64_t>::min()) return Value::Double(-static_cast<double>(v), 0);
    return Value::Integer(v < 0 ? -v : v, n.Width());
  }
  return Value::Double(std::fabs(n.AsDouble()), n.Decimals());
}

// MAX and MIN of two numbers, dates or logicals; on a tie the first argument wins.
Value MinMax(Args& a, bool max, const char* name, int subcode) {
  const Value& x = a.Arg(1);
  const Value& y = a.Arg(2);
  auto pick = [max](auto p, auto q) { return max ? p >= q : p <= q; };
  if (x.IsInteger() && y.IsInteger()) return Value::Integer(pick(x.AsInt(), y.AsInt()) ? x.AsInt() : y.AsInt());
  if (x.IsNumber() && y.IsNumber()) {
    const Value& r = pick(x.AsDouble(), y.AsDouble()) ? x : y;
    return Value::Double(r.AsDouble(), r.Decimals());
  }
  if (x.IsDate() && y.IsDate()) return pick(x.AsDate().julian, y.AsDate().julian) ? x : y;
  if (x.IsLogical() && y.IsLogical()) return Value::Logical(max ? (x.AsLogical() || y.AsLogical()) : (x.AsLogical() && y.AsLogical()));
  return ArgumentError(name, subcode, a.Raw());
}
Value FnMax(Args& a) { return MinMax(a, true, "MAX", 1093); }
Value FnMin(Args& a) { return MinMax(a, false, "MIN", 1092); }

// MOD takes the sign of the divisor, unlike the % operator: Mod(-7, 3) is 2.
Value FnMod(Args& a) {
  if (!a.Arg(1).IsNumber() || !a.Arg(2).IsNumber()) return RaiseBaseError(EG_ARG, 1085, "%", a.Raw());
  double n = a.Num(1), base = a.Num(2);
  if (base == 0.0) return RaiseBaseError(EG_ZERODIV, 1341, "%", a.Raw());
  double r = std::fmod(n, base);
  if (r != 0.0 && (n > 0 ? base < 0 : base > 0)) r += base;
  return Value::Number(r == 0.0 ? 0.0 : r);  // no "-0.00"
}

Value FnSqrt(Args& a) {
  if (!a.Arg(1).IsNumber()) return ArgumentError("SQRT", 1097, a.Raw());
  double d = a.Num(1);
  return Value::Number(d > 0 ? std::sqrt(d) : 0.0);
}

Value FnExp(Args& a) {
  if (!a.Arg(1).IsNumber()) return ArgumentError("EXP", 1096, a.Raw());
  return Value::Number(std::exp(a.Num(1)));
}

// LOG of zero or less has no value: it prints as asterisks, as xBase shows it.
Value FnLog(Args& a) {
  if (!a.Arg(1).IsNumber()) return ArgumentError("LOG", 1095, a.Raw());
  double d = a.Num(1);
  return Value::Number(d > 0 ? std::log(d) : -std::numeric_limits<double>::infinity());
}

Value FnEmpty(Args& a) { return Value::Logical(IsEmptyValue(a.Arg(1))); }

}  // namespace

Value Val(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t' || t[i] == '\n' || t[i] == '\r' || t[i] == '\f' || t[i] == '\v'))
    ++i;
  bool neg = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
  // The width counts what stands before the point (blanks and sign too); the decimals what
  // follows it, digits or not, so the number's STR is as long as the text.
  int width = static_cast<int>(i), decimals = 0, trailing = 0;
  bool isDouble = false, dot = false;
  std::int64_t l = 0;
  double d = 0;
  const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      int digit = c - '0';
      if (isDouble) d = d * 10.0 + digit;
      else if (l < limit || (l == limit && digit <= 7)) l = l * 10 + digit;
      else {
        d = static_cast<double>(l) * 10.0 + digit;
        isDouble = true;
      }
      if (dot) ++decimals;
      else ++width;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      // The rest of the text still counts: up to a point as width, from it as decimals.
      while (!dot && ++i < t.size()) {
        if (t[i] == '.') dot = true;
        else ++width;
      }
      if (dot) trailing = static_cast<int>(t.size() - i);
      break;
    }
  }
  if (!isDouble && dot) {
    d = static_cast<double>(l);
    isDouble = true;
  }
  if (decimals) d /= Pow10(decimals);
  if (neg) {
    d = -d;
    l = -l;
  }
  const int places = decimals + trailing;
  // A whole number past -999,999,999 .. 9,999,999,999 is 20 wide, however long its text.
  if (!dot && (isDouble ? d < -999999999.0 || d > 9999999999.0 : l < -999999999 || l > 9999999999LL)) width = 20;
  else if (places == 0) width = static_cast<int>(t.size() > 255 ? 255 : t.size());
  else if (width == 0) width = 1;                     // ".5" is 0.5
  else if (neg && width == 1 && d != 0) width = 2;    // "-.5" is -0.5
  if (isDouble) return Value::Double(d, places, width);
  return Value::Integer(l, width);
}

std::string StrZero(const Value& n, std::optional<int> width, std::optional<int> decimals) {
  std::string s = NumberToStr(n, width, decimals);
  std::size_t minus = s.find('-');
  if (minus != std::string::npos) s[minus] = ' ';
  for (std::size_t i = 0; i < s.size() && s[i] == ' '; ++i) s[i] = '0';
  if (minus != std::string::npos && !s.empty()) s[0] = '-';
  return s;
}

bool IsEmptyValue(const Value& in) {
  const Value& v = in.Deref();
  switch (v.type()) {
    case Type::Nil: return true;
    case Type::Logical: return !v.AsLogical();
    case Type::Number: return v.AsDouble() == 0.0;
    case Type::String:
    case Type::Memo:
      for (char c : v.AsString())
        if (!(c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v')) return false;
      return true;
    case Type::Date: return v.AsDate().IsEmpty();
    case Type::Array: return v.AsArray().size() == 0;
    default: return false;
  }
}

void RegisterNumberFunctions() {
  RegisterFunction("STR", FnStr);
  RegisterStringForms("STR", AppendStr);
  RegisterFunction("STRZERO", FnStrZero);
  RegisterFunction("VAL", FnVal);
  RegisterFunction("ROUND", FnRound);
  RegisterFunction("INT", FnInt);
  RegisterFunction("ABS", FnAbs);
  RegisterFunction("MAX", FnMax);
  RegisterFunction("MIN", FnMin);
  RegisterFunction("MOD", FnMod);
  RegisterFunction("SQRT", FnSqrt);
  RegisterFunction("EXP", FnExp);
  RegisterFunction("LOG", FnLog);
  RegisterFunction("EMPTY", FnEmpty);
}

}  // namespace xb
