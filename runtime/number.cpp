#include "runtime/number.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
  double p = Pow10(decimals >= 0 ? decimals : -decimals);
  double x = decimals >= 0 ? d * p * 10.0 : d / p * 10.0;
  if (!std::isfinite(x)) return d;
  x += d < 0 ? -5.0 : 5.0;
  x /= 10.0;
  if (std::fabs(x) < 1e17) x = ToPrecision15(x);
  x = std::trunc(x);
  double r = decimals >= 0 ? x / p : x * p;
  return r == 0.0 ? 0.0 : r;  // no negative zero
}

std::string NumberToStr(const Value& in, std::optional<int> width, std::optional<int> decimals) {
  const Value& n = in.Deref();
  int total, dec;
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
  std::string s;
  if (n.IsInteger() && dec == 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%" PRId64, n.AsInt());
    s = buf;
  } else {
    double d = n.AsDouble();
    if (!std::isfinite(d)) return std::string(static_cast<std::size_t>(total), '*');
    d = RoundNumber(d, dec);
    int len = std::snprintf(nullptr, 0, "%.*f", dec, d);
    s.resize(static_cast<std::size_t>(len) + 1);
    std::snprintf(s.data(), s.size(), "%.*f", dec, d);
    s.resize(static_cast<std::size_t>(len));
  }
  if (static_cast<int>(s.size()) > total) return std::string(static_cast<std::size_t>(total), '*');
  return std::string(static_cast<std::size_t>(total) - s.size(), ' ') + s;
}

std::string NumberToText(const Value& n) {
  std::string s = NumberToStr(n);
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

}  // namespace xb
