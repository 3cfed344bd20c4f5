#include "runtime/number.h"

#include <gtest/gtest.h>

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
  };
  for (const Case& c : cases) EXPECT_EQ(NumberToStr(c.n, c.width, c.dec), c.expect);
  EXPECT_EQ(NumberToText(Value::Double(-100, 2)), "-100.00");
}

}  // namespace
}  // namespace xb
