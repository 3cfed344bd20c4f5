#include "runtime/number.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/test_env.h"

namespace xb {
namespace {

class NumberTest : public testing::RuntimeTest {};

TEST_F(NumberTest, LiteralsAreReadAsTheXBaseCompilerReadsThem) {
  struct Case {
    const char* text;
    bool integer;
    double value;
    int decimals;
    const char* str;
  } cases[] = {
      {"12", true, 12, 0, "        12"},
      {"0.1", false, 0.1, 1, "         0.1"},
      {"3.14159", false, 3.14159, 5, "         3.14159"},
      {"1234.5678", false, 1234.5678, 4, "      1234.5678"},
      // 16 significant digits: the digits accumulate, then divide, giving exactly 1e10.
      {"9999999999.999999", false, 1e10, 6, "*****************"},
      {"0x1F", true, 31, 0, "        31"},
  };
  for (const Case& c : cases) {
    Value v;
    ASSERT_TRUE(ReadNumberLiteral(c.text, v)) << c.text;
    EXPECT_EQ(v.IsInteger(), c.integer) << c.text;
    EXPECT_EQ(v.AsDouble(), c.value) << c.text;
    EXPECT_EQ(v.Decimals(), c.decimals) << c.text;
    EXPECT_EQ(NumberToStr(v), c.str) << c.text;
  }
  Value v;
  EXPECT_FALSE(ReadNumberLiteral("1a", v));
  EXPECT_FALSE(ReadNumberLiteral("", v));
}

TEST_F(NumberTest, RoundsHalfAwayFromZeroHidingBinaryNoise) {
  struct Case {
    double d;
    int dec;
    double expect;
  } cases[] = {{2.675, 2, 2.68},  {-1.005, 2, -1.01}, {2.345, 2, 2.35}, {-2.5, 0, -3},
               {0.5, 0, 1},       {1234.5, -2, 1200}, {-0.001, 2, 0},   {1e300, 2, 1e300}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(RoundNumber(c.d, c.dec), c.expect) << c.d << " " << c.dec;
}

TEST_F(NumberTest, StrUsesTheNumbersWidthOrTheGivenOne) {
  struct Case {
    Value n;
    std::optional<int> width, dec;
    const char* expect;
  } cases[] = {
      {Value::Integer(5), {}, {}, "         5"},
      {Value::Integer(123456), 3, {}, "***"},
      {Value::Double(-2.5, 1), 5, {}, "   -3"},
      {Value::Double(-0.5, 1), 3, {}, " -1"},
      {Value::Double(1e10 - 123.456, 2), 17, 6, "9999999876.544001"},
      {Value::Double(1e10, 6), 17, 6, "*****************"},
      {Value::Integer(-5), 6, 2, " -5.00"},
      {Value::Double(10.0 / 3, 2), {}, {}, "         3.33"},
      {Value::Double(0.0 / 1, 2), 0, {}, "         0"},  // width below 1 means 10
      {Value::Double(0.0 * -1.5, 2), 6, 2, "  0.00"},     // negative zero prints as zero
      {Value::Double(-0.0, 2), {}, {}, "         0.00"},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberToStr(c.n, c.width, c.dec), c.expect);
  EXPECT_EQ(NumberToText(Value::Double(-100, 2)), "-100.00");
}

// The width STR shows a whole number in: held in 32 bits 10, but 20 below -999,999,999;
// computed at run time past 32 bits 20; a literal of more than ten digits, or a result of
// literals alone past 32 bits (done as it is compiled), its digits plus one.
TEST_F(NumberTest, WholeNumbersTakeTheWidthOfWhereTheyCameFrom) {
  SetMemvar(Intern("nBig"), Value::Integer(123456));
  SetMemvar(Intern("nMax"), Value::Integer(2147483647));
  struct Case {
    const char* expr;
    const char* str;
  } cases[] = {
      {"2147483647", "2147483647"},
      {"-999999999", "-999999999"},
      {"-100000 * 10000", "         -1000000000"},
      {"-1234567890", "         -1234567890"},
      {"-nBig * 10000", "         -1234560000"},
      {"nBig * nBig", "         15241383936"},
      {"nBig * 1000000 - 1", "        123455999999"},
      {"nMax + 1", "          2147483648"},
      {"-(nMax + 2)", "         -2147483649"},
      {"nMax - 1", "2147483646"},
      {"9999999999", "9999999999"},
      {"12345678901", " 12345678901"},
      {"-12345678901", "-12345678901"},
      {"99999 * 100000", " 9999900000"},
      {"2147483647 + 1", " 2147483648"},
      {"-2147483647 - 2", "-2147483649"},
      {"100000 * 1000000", " 100000000000"},
      {"20000000000 / 2", " 10000000000"},
      {"9223372036854775807", " 9223372036854775807"},
      {"12345678901234567890", " 12345678901234570000"},
      {"1234567890.5", "1234567890.5"},
      {"12345678901.25", "12345678901.25"},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberToStr(EvalMacro(c.expr)), c.str) << c.expr;
  // A result of literals past 32 bits is a number with decimals: arithmetic on it at run
  // time gives what such a number gives.
  SetMemvar(Intern("nLit"), EvalMacro("2147483647 + 1"));
  EXPECT_TRUE(EvalMacro("nLit").IsDouble());
  EXPECT_EQ(NumberToStr(EvalMacro("nLit + 1")), "2147483649");
  EXPECT_EQ(NumberToStr(EvalMacro("nLit - nLit")), "         0");
}

// Doubles show 16 significant digits and then zeros; the last digit shown is rounded half up,
// a run of nines after a 4 (binary noise of a half) rounding up too.
TEST_F(NumberTest, DoublesShowSixteenSignificantDigits) {
  struct Case {
    double d;
    int width, dec;
    const char* str;
  } cases[] = {
      {12345678901234567890.0, 20, 0, "12345678901234570000"},
      {3.141592653589793, 17, 15, "3.141592653589793"},
      {2.0 / 3, 17, 15, "0.666666666666667"},
      {1e15 + 0.3, 20, 2, " 1000000000000000.00"},
      {123456789.123456789, 20, 7, "   123456789.1234568"},
      {99999999999999999.0, 20, 0, "  100000000000000000"},
      {1.005, 6, 2, "  1.01"},
      {8.995, 6, 2, "  9.00"},
      {2.675, 6, 2, "  2.68"},
      {-2.675, 6, 2, " -2.68"},
      {1.0049, 6, 2, "  1.00"},
      {0.125, 5, 2, " 0.13"},
      {-0.5, 4, 1, "-0.5"},
      {-0.5, 3, 1, "***"},
      {-0.004, 5, 2, " 0.00"},
      {99.995, 6, 2, "100.00"},
      {99.995, 5, 2, "*****"},
      {1e300, 20, 0, "********************"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NumberToStr(Value::Double(c.d, c.dec), c.width, c.dec), c.str) << c.d;
}

// Rounding and STR written plainly through the C library's decimal conversions: what the
// runtime's own digit arithmetic must give, byte for byte (STR where at most 15 significant
// digits show and the value is not within binary noise of a rounding tie: beyond that STR
// shows a 16th digit and rounds runs of nines as the established runtime does).
double ReferenceRound(double d, int decimals) {
  if (d == 0.0 || !std::isfinite(d)) return d;
  static const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const int places = decimals >= 0 ? decimals : -decimals;
  const double p = places <= 22 ? kPowers[places] : std::pow(10.0, places);
  double x = decimals >= 0 ? d * p * 10.0 : d / p * 10.0;
  if (!std::isfinite(x)) return d;
  x += d < 0 ? -5.0 : 5.0;
  x /= 10.0;
  if (std::fabs(x) < 1e17) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    x = std::strtod(buf, nullptr);
  }
  x = std::trunc(x);
  const double r = decimals >= 0 ? x / p : x * p;
  return r == 0.0 ? 0.0 : r;
}

std::string ReferenceStr(const Value& n, int total, int dec) {
  std::string s;
  if (n.IsInteger()) {  // exact, its decimals zeros
    char buf[32];
    std::snprintf(buf, sizeof buf, "%" PRId64, n.AsInt());
    s = buf;
    if (dec > 0) s += "." + std::string(static_cast<std::size_t>(dec), '0');
  } else {
    double d = n.AsDouble();
    if (!std::isfinite(d)) return std::string(static_cast<std::size_t>(total), '*');
    d = ReferenceRound(d, dec);
    if (d == 0.0) d = 0.0;  // no "-0.00"
    const int len = std::snprintf(nullptr, 0, "%.*f", dec, d);
    s.resize(static_cast<std::size_t>(len) + 1);
    std::snprintf(s.data(), s.size(), "%.*f", dec, d);
    s.resize(static_cast<std::size_t>(len));
  }
  if (static_cast<int>(s.size()) > total) return std::string(static_cast<std::size_t>(total), '*');
  return std::string(static_cast<std::size_t>(total) - s.size(), ' ') + s;
}

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool PlainStr(double v, int dec) {
  const double units = std::fabs(v) * std::pow(10.0, dec);
  if (!std::isfinite(units) || units >= 1e14) return false;
  const double fraction = units - std::floor(units);
  return std::fabs(fraction - 0.5) > 1e-6 * std::max(1.0, units);
}

TEST_F(NumberTest, DigitArithmeticMatchesTheLibrarysDecimalConversion) {
  std::mt19937_64 rng(20240611);
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.5, 2.5, 2.675, -1.005, 1.005, 0.045, 1e-300, 5e-324,
                                123456789012345.5, 999999999999999.5, 1e15, 1e15 - 0.5, 1e16, 1e16 - 1, 1e17, 1e17 - 16,
                                9007199254740993.0, 1e300, -1e300, 9999999999.999999, 1e10 - 123.456};
  // Values near the boundaries the arithmetic decides on: halves at every decimal place,
  // powers of ten, money amounts, and the 15-digit limit.
  for (int e = -12; e <= 17; ++e) {
    const double p = std::pow(10.0, e);
    for (double m : {1.0, 0.5, 0.05, 0.005, 0.995, 0.9995, 4.5, 9.5, 9.95, 9.999999999999, 0.1234567890123456})
      for (double v : {m * p, std::nextafter(m * p, 0.0), std::nextafter(m * p, 1e300)}) {
        values.push_back(v);
        values.push_back(-v);
      }
  }
  std::uniform_int_distribution<int> pick(0, 5);
  for (int i = 0; i < 15000; ++i) {
    double v = 0;
    switch (pick(rng)) {
      case 0: v = static_cast<double>(static_cast<std::int64_t>(rng() % 2000000001) - 1000000000) / 100; break;
      case 1: v = static_cast<double>(static_cast<std::int64_t>(rng() % 200000000001) - 100000000000) / 1000000; break;
      case 2: v = 9999999999.999999 - static_cast<double>(rng() % 100000000) / 100; break;
      case 3: v = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 140) - 100); break;
      case 4: v = (static_cast<double>(rng() % 100000) + 0.5) / std::pow(10.0, static_cast<int>(rng() % 8)); break;
      default: std::memcpy(&v, &values[rng() % values.size()], sizeof v); v = std::nextafter(v, (rng() & 1) ? 1e300 : -1e300);
    }
    values.push_back(rng() & 1 ? -v : v);
  }
  const int widths[] = {3, 10, 12, 17, 20, 40};
  int checked = 0, plain = 0;
  for (double v : values) {
    for (int dec : {0, 1, 2, 3, 6, 15, 25}) {
      ASSERT_TRUE(SameDouble(RoundNumber(v, dec), ReferenceRound(v, dec))) << v << " at " << dec;
      const int width = widths[static_cast<std::size_t>(checked++) % std::size(widths)];
      const Value n = Value::Double(v, dec);
      if (!PlainStr(v, dec)) continue;
      ++plain;
      ASSERT_EQ(NumberToStr(n, width + dec, dec), ReferenceStr(n, width + dec, dec)) << v << " at " << dec;
      ASSERT_EQ(NumberToStr(n), ReferenceStr(n, n.Width() + (dec ? dec + 1 : 0), dec)) << v << " at " << dec;
    }
    for (int dec : {-1, -3}) ASSERT_TRUE(SameDouble(RoundNumber(v, dec), ReferenceRound(v, dec))) << v << " at " << dec;
    if (std::fabs(v) < 9e18) {
      const Value i = Value::Integer(static_cast<std::int64_t>(v));
      ASSERT_EQ(NumberToStr(i, 20, 0), ReferenceStr(i, 20, 0));
      ASSERT_EQ(NumberToStr(i, 25, 2), ReferenceStr(i, 25, 2));
    }
  }
  EXPECT_GT(plain, checked / 5);
}

}  // namespace
}  // namespace xb
