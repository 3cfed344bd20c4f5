#include "runtime/operators.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "runtime/error.h"
#include "runtime/string_compare.h"

namespace xb {

namespace {

Value OpError(int subcode, const char* op, const Value& a, const Value& b) {
  Value args[] = {a, b};
  return RaiseBaseError(EG_ARG, subcode, op, args);
}

Value ZeroDivisor(int subcode, const char* op, const Value& a, const Value& b) {
  Value args[] = {a, b};
  return RaiseBaseError(EG_ZERODIV, subcode, op, args);
}

std::size_t g_maxString = 256u << 20;

Value StringOverflow(const char* op, const Value& a, const Value& b) {
  Value args[] = {a, b};
  return RaiseBaseError(EG_STROVERFLOW, 1209, op, args);
}

Value NumberResult(double d, int decimals, bool anyDouble) {
  (void)anyDouble;
  return Value::Double(d, decimals);
}

// A whole result computed at run time: once it leaves 32 bits it prints 20 wide.
Value IntegerResult(std::int64_t r) { return Value::Integer(r, r < INT32_MIN || r > INT32_MAX ? 20 : 0); }

int MaxDec(const Value& a, const Value& b) { return std::max(a.Decimals(), b.Decimals()); }

// A date moved by a number of days; false when the day leaves what a date can hold.
bool ShiftDate(Date d, const Value& days, bool back, Date& out) {
  const double n = std::trunc(days.AsDouble());
  const double j = back ? d.julian - n : d.julian + n;  // exact near the limits
  if (!(j >= INT32_MIN && j <= INT32_MAX)) return false;
  out = Date{static_cast<std::int32_t>(j)};
  return true;
}

}  // namespace

std::size_t SetMaxStringLength(std::size_t bytes) {
  std::size_t old = g_maxString;
  g_maxString = bytes < 0x7FFFFFF0u ? bytes : 0x7FFFFFF0u;
  return old;
}

std::size_t MaxStringLength() { return g_maxString; }

Value OpPlus(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNumber() && b.IsNumber()) {
    if (a.IsInteger() && b.IsInteger()) {
      std::int64_t r;
      if (!__builtin_add_overflow(a.AsInt(), b.AsInt(), &r)) return IntegerResult(r);
      return Value::Double(static_cast<double>(a.AsInt()) + static_cast<double>(b.AsInt()), 0);
    }
    return NumberResult(a.AsDouble() + b.AsDouble(), MaxDec(a, b), true);
  }
  if (a.IsString() && b.IsString()) {
    std::string_view x = a.AsString(), y = b.AsString();
    if (x.size() + y.size() > g_maxString) return StringOverflow("+", a, b);
    char* s;
    Value r = Value::NewString(x.size() + y.size(), &s);
    std::copy(x.begin(), x.end(), s);
    std::copy(y.begin(), y.end(), s + x.size());
    return r;
  }
  Date d;
  if (a.IsDate() && b.IsNumber() && ShiftDate(a.AsDate(), b, false, d)) return Value::FromDate(d);
  if (a.IsNumber() && b.IsDate() && ShiftDate(b.AsDate(), a, false, d)) return Value::FromDate(d);
  return OpError(1081, "+", a, b);
}

Value OpMinus(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNumber() && b.IsNumber()) {
    if (a.IsInteger() && b.IsInteger()) {
      std::int64_t r;
      if (!__builtin_sub_overflow(a.AsInt(), b.AsInt(), &r)) return IntegerResult(r);
      return Value::Double(static_cast<double>(a.AsInt()) - static_cast<double>(b.AsInt()), 0);
    }
    return NumberResult(a.AsDouble() - b.AsDouble(), MaxDec(a, b), true);
  }
  if (a.IsString() && b.IsString()) {
    // The left operand's trailing blanks move to the end of the result.
    std::string_view x = a.AsString(), y = b.AsString();
    if (x.size() + y.size() > g_maxString) return StringOverflow("-", a, b);
    std::size_t keep = x.size();
    while (keep > 0 && x[keep - 1] == ' ') --keep;
    char* s;
    Value r = Value::NewString(x.size() + y.size(), &s);
    s = std::copy(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(keep), s);
    s = std::copy(y.begin(), y.end(), s);
    std::fill_n(s, x.size() - keep, ' ');
    return r;
  }
  if (a.IsDate() && b.IsDate()) return Value::Integer(static_cast<std::int64_t>(a.AsDate().julian) - b.AsDate().julian);
  Date d;
  if (a.IsDate() && b.IsNumber() && ShiftDate(a.AsDate(), b, true, d)) return Value::FromDate(d);
  return OpError(1082, "-", a, b);
}

Value OpMult(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNumber() && b.IsNumber()) {
    if (a.IsInteger() && b.IsInteger()) {
      std::int64_t r;
      if (!__builtin_mul_overflow(a.AsInt(), b.AsInt(), &r)) return IntegerResult(r);
      return Value::Double(static_cast<double>(a.AsInt()) * static_cast<double>(b.AsInt()), 0);
    }
    return NumberResult(a.AsDouble() * b.AsDouble(), a.Decimals() + b.Decimals(), true);
  }
  return OpError(1083, "*", a, b);
}

Value OpDivide(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNumber() && b.IsNumber()) {
    if (b.AsDouble() == 0.0) return ZeroDivisor(1340, "/", a, b);
    return Value::Number(a.AsDouble() / b.AsDouble());
  }
  return OpError(1084, "/", a, b);
}

Value OpModulus(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNumber() && b.IsNumber()) {
    if (a.IsInteger() && b.IsInteger()) {
      if (b.AsInt() == 0) return ZeroDivisor(1341, "%", a, b);
      if (b.AsInt() == -1) return Value::Number(0);
      return Value::Number(static_cast<double>(a.AsInt() % b.AsInt()));
    }
    if (b.AsDouble() == 0.0) return ZeroDivisor(1341, "%", a, b);
    return Value::Number(std::fmod(a.AsDouble(), b.AsDouble()));
  }
  return OpError(1085, "%", a, b);
}

Value OpPower(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNumber() && b.IsNumber()) return Value::Number(std::pow(a.AsDouble(), b.AsDouble()));
  return OpError(1088, "^", a, b);
}

Value OpNegate(const Value& ai) {
  const Value& a = ai.Deref();
  if (a.IsInteger()) {
    if (a.AsInt() == INT64_MIN) return Value::Double(-static_cast<double>(a.AsInt()), 0);
    return IntegerResult(-a.AsInt());
  }
  if (a.IsNumber()) return Value::Double(-a.AsDouble(), a.Decimals(), a.Width());
  Value args[] = {a};
  return RaiseBaseError(EG_ARG, 1080, "-", args);
}

namespace {

// Ordering of two values of a comparable kind: <0, 0, >0; false when the kinds do not compare.
bool Order(const Value& a, const Value& b, int& r) {
  if (a.IsString() && b.IsString()) {
    r = CompareStrings(a.AsString(), b.AsString(), false);
    return true;
  }
  if (a.IsNumber() && b.IsNumber()) {
    if (a.IsInteger() && b.IsInteger()) r = a.AsInt() < b.AsInt() ? -1 : (a.AsInt() > b.AsInt() ? 1 : 0);
    else r = a.AsDouble() < b.AsDouble() ? -1 : (a.AsDouble() > b.AsDouble() ? 1 : 0);
    return true;
  }
  if (a.IsDate() && b.IsDate()) {
    r = a.AsDate().julian < b.AsDate().julian ? -1 : (a.AsDate().julian > b.AsDate().julian ? 1 : 0);
    return true;
  }
  if (a.IsLogical() && b.IsLogical()) {
    r = static_cast<int>(a.AsLogical()) - static_cast<int>(b.AsLogical());
    return true;
  }
  return false;
}

Value Relational(const Value& ai, const Value& bi, int subcode, const char* op, bool (*test)(int)) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  int r;
  if (Order(a, b, r)) return Value::Logical(test(r));
  return OpError(subcode, op, a, b);
}

}  // namespace

Value OpEqual(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNil() || b.IsNil()) return Value::Logical(a.IsNil() && b.IsNil());
  int r;
  if (Order(a, b, r)) return Value::Logical(r == 0);
  return OpError(1071, "=", a, b);
}

Value OpExactEqual(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNil() || b.IsNil()) return Value::Logical(a.IsNil() && b.IsNil());
  if (a.IsString() && b.IsString()) return Value::Logical(a.AsString() == b.AsString());
  if ((a.IsArray() && b.IsArray()) || (a.IsBlock() && b.IsBlock()) || (a.IsObject() && b.IsObject()))
    return Value::Logical(a.SameAs(b));
  int r;
  if (Order(a, b, r)) return Value::Logical(r == 0);
  return OpError(1070, "==", a, b);
}

Value OpNotEqual(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsNil() || b.IsNil()) return Value::Logical(!(a.IsNil() && b.IsNil()));
  int r;
  if (Order(a, b, r)) return Value::Logical(r != 0);
  return OpError(1072, "<>", a, b);
}

Value OpLess(const Value& a, const Value& b) {
  return Relational(a, b, 1073, "<", [](int r) { return r < 0; });
}
Value OpLessEqual(const Value& a, const Value& b) {
  return Relational(a, b, 1074, "<=", [](int r) { return r <= 0; });
}
Value OpGreater(const Value& a, const Value& b) {
  return Relational(a, b, 1075, ">", [](int r) { return r > 0; });
}
Value OpGreaterEqual(const Value& a, const Value& b) {
  return Relational(a, b, 1076, ">=", [](int r) { return r >= 0; });
}

Value OpContains(const Value& ai, const Value& bi) {
  const Value& a = ai.Deref();
  const Value& b = bi.Deref();
  if (a.IsString() && b.IsString()) {
    std::string_view needle = a.AsString(), hay = b.AsString();
    return Value::Logical(!needle.empty() && hay.find(needle) != std::string_view::npos);
  }
  return OpError(1109, "$", a, b);
}

bool ToCondition(const Value& vi, int subcode, const char* op) {
  const Value& v = vi.Deref();
  if (v.IsLogical()) return v.AsLogical();
  Value args[] = {v};
  Value r = RaiseBaseError(EG_ARG, subcode, op, args);
  return r.Deref().AsLogical();
}

}  // namespace xb
