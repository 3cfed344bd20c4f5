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

// modf for a finite number, without the library call (an x87 one under some runtimes).
inline double SplitWhole(double x, double* whole) {
  *whole = std::trunc(x);
  return x - *whole;
}

// STR's text of `n` in exactly `size` characters with `dec` decimals, written at `out`, as
// the established runtime writes it (numeric fields too): digits taken one by one from the
// double, 16 significant digits and zeros after them, the last shown digit rounded half
// up on the magnitude (a run of nines after a 4 counting as a 5: 1.005 shows as 1.01).
// False when it does not fit: then `out` holds asterisks.
bool StrBuf(const Value& n, int size, int dec, char* out) {
  if (dec < 0) dec = 0;
  int pos, dot;
  if (dec > 0) {
    pos = dot = size - dec - 1;
  } else {
    pos = size;
    dot = 0;
  }
  if (n.IsDouble()) {
    const double number = n.AsDouble();
    if (!std::isfinite(number)) {
      pos = -1;
    } else {
      constexpr int kPrecision = 16;
      constexpr double kBase = 10.0;
      int first = -1;
      const bool negative = number < 0;
      double whole;
      double fraction = SplitWhole(negative ? -number : number, &whole);
      while (pos-- > 0) {
        const double digit = SplitWhole(whole / kBase + 0.01, &whole) * kBase;
        out[pos] = static_cast<char>('0' + static_cast<int>(digit + 0.01));
        if (out[pos] != '0') first = pos;
        if (whole < 1) break;
      }
      if (pos > 0) std::memset(out, ' ', static_cast<std::size_t>(pos));
      if (dec > 0 && pos >= 0) {
        for (int i = dot + 1; i < size; ++i) {
          double digit;
          fraction = SplitWhole(fraction * kBase, &digit);
          out[i] = static_cast<char>('0' + static_cast<int>(digit));
          if (out[i] != '0' && first < 0) first = i;
        }
      }
      if (pos >= 0) {
        // Places past the 16th significant digit become zeros; the rest is rounded.
        int zeros = first < 0 ? 0 : size - first - kPrecision - (dec > 0 ? 1 : 0);
        double digit;
        fraction = SplitWhole(fraction * kBase, &digit);
        int last = static_cast<int>(digit + 0.01);
        if (last == 4 && zeros < 0) {
          // x.xx4999...: the nines (the last of them may have turned to noise) round up.
          int k = -zeros;
          for (; k > 0; --k) {
            fraction = SplitWhole(fraction * kBase, &digit);
            if (digit + 0.01 < 9 && (k != 1 || digit < 2)) break;
          }
          if (k == 0) last = 5;
        }
        int carry = last >= 5 ? 1 : 0;
        for (pos = size; pos-- > 0;) {
          if (dec > 0 && pos == dot) continue;
          if (zeros > 0) {
            if (dec == 0 || pos <= dot + 1) carry = out[pos] >= '5' ? 1 : 0;
            out[pos] = '0';
            --zeros;
          } else if (carry > 0) {
            if (out[pos] == '9') {
              out[pos] = '0';
            } else {
              if (out[pos] < '0') {  // the blank before the digits
                out[pos] = '1';
                first = pos;
              } else {
                ++out[pos];
                if (first < 0) first = pos;
              }
              break;
            }
          } else {
            break;
          }
        }
        if (negative && first >= 0 && pos >= 0) {
          pos = (dot > 0 && first >= dot) ? dot - 2 : first - 1;
          if (pos >= 0) out[pos] = '-';
        }
      }
    }
  } else {
    std::int64_t number = n.AsInt();
    const bool negative = number < 0;
    while (pos-- > 0) {
      const int digit = static_cast<int>(number % 10);
      out[pos] = static_cast<char>('0' + (negative ? -digit : digit));
      number /= 10;
      if (number == 0) break;
    }
    if (negative && pos-- > 0) out[pos] = '-';
    if (pos > 0) std::memset(out, ' ', static_cast<std::size_t>(pos));
    if (dec > 0 && pos >= 0) std::memset(out + size - dec, '0', static_cast<std::size_t>(dec));
  }
  if (pos < 0) {
    std::memset(out, '*', static_cast<std::size_t>(size));
    return false;
  }
  if (dec > 0) out[dot] = '.';
  return true;
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
  // Ten digits or more before the point keep their count as the width (one more without
  // decimals); fewer take the default.
  out = Value::Double(d, decimals, intDigits < 10 ? 0 : intDigits + (decimals == 0 ? 1 : 0));
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
  const std::size_t from = out.size();
  out.resize(from + static_cast<std::size_t>(total));
  StrBuf(n, total, dec, out.data() + from);
}

bool FormatNumberField(const Value& n, int size, int decimals, char* out) {
  return StrBuf(n.Deref(), size, decimals, out);
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
