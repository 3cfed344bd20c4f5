#include "runtime/number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "runtime/sets.h"

namespace xb {

namespace {

double Pow10(int n) {
  static const double table[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10,
                                 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (n >= 0 && n <= 22) return table[n];
  return std::pow(10.0, n);
}

// Keeps 15 significant digits: what a double holds reliably.
double ToPrecision15(double x) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", x);
  return std::strtod(buf, nullptr);
}

// trunc(ToPrecision15(x)) for 0.5 <= |x| < 1e17 without going through decimal text; false
// when x lies too near a rounding boundary to tell without the exact decimal expansion
// (then the caller takes the text road).
bool TruncAt15Digits(double x, double& out) {
  const double a = std::fabs(x);
  if (!(a >= 0.5 && a < 1e17)) return false;
  const double whole = std::floor(a);
  const double fraction = a - whole;  // exact
  const auto n = static_cast<std::uint64_t>(whole);
  double r;
  if (a < 1e15) {
    // Fifteen significant digits keep `places` decimals, and they round up to the next
    // integer exactly when the fraction exceeds 1 - 0.5e-places (never equal to it for
    // places > 0: that number is not binary; for places = 0 equality is a tie, left to
    // the text road).
    static constexpr double kTens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
    static constexpr double kThresholds[] = {1 - 0.5 / 1e0,  1 - 0.5 / 1e1,  1 - 0.5 / 1e2,  1 - 0.5 / 1e3,
                                             1 - 0.5 / 1e4,  1 - 0.5 / 1e5,  1 - 0.5 / 1e6,  1 - 0.5 / 1e7,
                                             1 - 0.5 / 1e8,  1 - 0.5 / 1e9,  1 - 0.5 / 1e10, 1 - 0.5 / 1e11,
                                             1 - 0.5 / 1e12, 1 - 0.5 / 1e13, 1 - 0.5 / 1e14, 1 - 0.5 / 1e15};
    int digits = 0;
    while (digits < 15 && whole >= kTens[digits]) ++digits;
    const double threshold = kThresholds[15 - digits];
    if (std::fabs(fraction - threshold) <= 0x1p-51) return false;
    r = fraction > threshold ? whole + 1.0 : whole;
  } else {
    // Sixteen or seventeen digits: to the nearest ten or hundred by the exact value.
    const std::uint64_t unit = a < 1e16 ? 10 : 100;
    const std::uint64_t rest = n % unit;
    const double over = static_cast<double>(rest) + fraction - static_cast<double>(unit / 2);  // exact
    if (over == 0.0) return false;  // a tie
    // The nearest double to the rounded digits, as reading them back gives.
    r = static_cast<double>(n - rest + (over > 0 ? unit : 0));
  }
  out = x < 0 ? -r : r;
  return true;
}

// RoundNumber's rounding as a count of units of its last place (10^-decimals), an
// integral double; `p` is 10^|decimals|.
double RoundedUnits(double d, int decimals, double p) {
  double x = decimals >= 0 ? d * p * 10.0 : d / p * 10.0;
  if (!std::isfinite(x)) return x;
  x += d < 0 ? -5.0 : 5.0;
  x /= 10.0;
  if (std::fabs(x) < 1e17 && !TruncAt15Digits(x, x)) x = ToPrecision15(x);
  return std::trunc(x);
}

// STR's text of `n` (without the padding): the digits, a point and `dec` decimals.
// Returns the length written at `buf`, which holds kMaxStrText bytes.
constexpr std::size_t kMaxStrText = 420;  // 309 integer digits, a sign, a point, 99 decimals

std::size_t FormatNumber(const Value& n, int dec, char* buf) {
  char* const limit = buf + kMaxStrText;
  if (n.IsInteger() && dec == 0) return static_cast<std::size_t>(std::to_chars(buf, limit, n.AsInt()).ptr - buf);
  auto fixed = [&](double v) {
    return static_cast<std::size_t>(std::to_chars(buf, limit, v, std::chars_format::fixed, dec).ptr - buf);
  };
  const double d = n.AsDouble();
  if (d == 0.0) return fixed(0.0);  // a zero has no sign, as -0.0 from 0 * -1.5 would show
  const double p = Pow10(dec);
  const double units = RoundedUnits(d, dec, p);
  if (!std::isfinite(units)) return fixed(d);  // too large to scale: kept unrounded
  if (std::fabs(units) >= 1e15 || dec > 22) {
    const double r = units / p;
    return fixed(r == 0.0 ? 0.0 : r);
  }
  // Below 1e15 units, units / p printed with `dec` decimals shows exactly the digits of
  // units (the division is off by far less than half a unit), so they are written directly.
  char digits[24];
  const auto count = static_cast<std::size_t>(
      std::to_chars(digits, digits + sizeof digits, static_cast<std::uint64_t>(std::fabs(units))).ptr - digits);
  const auto places = static_cast<std::size_t>(dec);
  char* o = buf;
  if (units < 0) *o++ = '-';
  if (count > places) {
    std::memcpy(o, digits, count - places);
    o += count - places;
  } else {
    *o++ = '0';
  }
  if (places > 0) {
    *o++ = '.';
    const std::size_t shown = std::min(count, places);
    std::memset(o, '0', places - shown);
    o += places - shown;
    std::memcpy(o, digits + count - shown, shown);
    o += shown;
  }
  return static_cast<std::size_t>(o - buf);
}

// STR's width and decimals for a number and the arguments given.
void StrLayout(const Value& n, std::optional<int> width, std::optional<int> decimals, int& total, int& dec) {
  if (width) {
    total = *width < 1 ? 10 : *width;
    dec = decimals ? (*decimals < 0 ? 0 : *decimals) : 0;
  } else {
    dec = n.Decimals();
    if (Sets().fixed) dec = Sets().decimals;
    if (decimals) dec = *decimals < 0 ? 0 : *decimals;
    int w = n.Width();
    if (w > 90) w = 90;
    total = w + (dec > 0 ? dec + 1 : 0);
  }
  if (total > 255) total = 255;
  if (dec > 99) dec = 99;
}

}  // namespace

bool ReadNumberLiteral(std::string_view t, Value& out) {
  std::size_t i = 0;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    std::uint64_t v = 0;
    for (i = 2; i < t.size(); ++i) {
      char c = t[i];
      int d = c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1));
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned>(d);
    }
    out = Value::Integer(static_cast<std::int64_t>(v));
    return true;
  }
  std::int64_t l = 0;
  double d = 0;
  bool isDouble = false, dot = false, any = false;
  int intDigits = 0, decimals = 0;
  const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10;
  const int limitDigit = static_cast<int>(std::numeric_limits<std::int64_t>::max() % 10);
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      int digit = c - '0';
      any = true;
      if (isDouble) d = d * 10.0 + digit;
      else if (l < limit || (l == limit && digit <= limitDigit)) l = l * 10 + digit;
      else {
        d = static_cast<double>(l) * 10.0 + digit;
        isDouble = true;
      }
      if (dot) ++decimals;
      else ++intDigits;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      return false;
    }
  }
  if (!any) return false;
  if (!isDouble && !dot) {
    out = Value::Integer(l);
    return true;
  }
  if (!isDouble) d = static_cast<double>(l);
  if (decimals) d /= Pow10(decimals);
  out = Value::Double(d, decimals, intDigits > 10 ? intDigits : 10);
  return true;
}

double RoundNumber(double d, int decimals) {
  if (d == 0.0 || !std::isfinite(d)) return d;
  const double p = Pow10(decimals >= 0 ? decimals : -decimals);
  const double x = RoundedUnits(d, decimals, p);
  if (!std::isfinite(x)) return d;
  const double r = decimals >= 0 ? x / p : x * p;
  return r == 0.0 ? 0.0 : r;  // no negative zero
}

void AppendNumberStr(std::string& out, const Value& in, std::optional<int> width, std::optional<int> decimals) {
  const Value& n = in.Deref();
  int total, dec;
  StrLayout(n, width, decimals, total, dec);
  const auto size = static_cast<std::size_t>(total);
  char text[kMaxStrText];
  const std::size_t len = std::isfinite(n.AsDouble()) ? FormatNumber(n, dec, text) : size + 1;
  if (len > size) {
    out.append(size, '*');
  } else {
    out.append(size - len, ' ');
    out.append(text, len);
  }
}

std::string NumberToStr(const Value& n, std::optional<int> width, std::optional<int> decimals) {
  std::string s;
  AppendNumberStr(s, n, width, decimals);
  return s;
}

std::string NumberToText(const Value& n) {
  std::string s = NumberToStr(n);
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

}  // namespace xb
