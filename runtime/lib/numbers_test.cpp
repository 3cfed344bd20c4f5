#include <gtest/gtest.h>

#include "runtime/lib/lib_test_support.h"
#include "runtime/lib/numbers.h"

namespace xb {
namespace {

using testing::Case;
using testing::Eval;
using testing::ExpectAll;

class NumberFunctionsTest : public testing::RuntimeTest {};

// STR shows the width and decimals each function gives its result.
TEST_F(NumberFunctionsTest, ResultsCarryXBaseWidths) {
  const Case cases[] = {
      {"Str(Val('12.50'))", "12.50"},
      {"Str(Val('  7'))", "  7"},
      {"Str(Val('-3.'))", " -3"},
      {"Str(Val('abc'))", "  0"},
      {"Val('+4.25')", "4.25"},
      {"Val(' - 4')", "0"},
      {"Val('1.2.3')", "1.200"},         // what follows the point counts as decimals
      {"Val(12)", "ERR BASE/1098"},
      {"Str(Round(2.5, 0))", "         3"},
      {"Str(Round(1234.5678, -2))", "      1200"},
      {"Str(Round(7, 0))", "         7"},
      {"Str(Round(1.23456, 3))", "         1.235"},
      {"Round(1.5)", "ERR BASE/1094"},
      {"Str(Int(7.9))", "         7"},
      {"Str(Int(12345678901.5))", " 12345678901"},      // done as it is compiled
      {"nX := 7.9, Str(Int(nX))", "         7"},        // done as it runs: the number's width
      {"nX := 12345678901.5, Str(Int(nX))", "12345678901"},
      {"Int(-0.5)", "0"},
      {"Int('1')", "ERR BASE/1090"},
      {"Str(Abs(-2.50))", "         2.50"},
      {"Str(Abs(-7))", "         7"},
      {"Abs('x')", "ERR BASE/1089"},
      {"Str(Max(1, 2.5))", "         2.5"},
      {"Str(Min(1, 2.5))", "         1"},
      {"Max(CToD('01/02/24'), CToD('01/01/24'))", "19240102"},
      {"Min(.T., .F.)", ".F."},
      {"Max(.F., .T.)", ".T."},
      {"Max(1, '2')", "ERR BASE/1093"},
      {"Min(1, '2')", "ERR BASE/1092"},
  };
  ExpectAll(cases);
}

// VAL's number is as wide as its text: what stands before the point is the width (at least
// room for "0" and the sign), what follows it the decimals; without a point the whole text,
// but 20 for a whole number below -999,999,999 or above 9,999,999,999.
TEST_F(NumberFunctionsTest, ValTakesTheWidthOfTheText) {
  const Case cases[] = {
      {"Str(Val('.5'))", "0.5"},
      {"Str(Val('-.5'))", "-0.5"},
      {"Str(Val('-.0'))", "0.0"},
      {"Str(Val('-5.5'))", "-5.5"},
      {"Str(Val('  1.5'))", "  1.5"},
      {"Str(Val('12.345'))", "12.345"},
      {"Str(Val('1.5 '))", "1.50"},
      {"Str(Val('12a.5'))", "12.00"},
      {"Str(Val('  -1,5'))", "    -1"},
      {"Str(Val('1e3'))", "  1"},
      {"Str(Val('12345678901'))", "         12345678901"},  // a whole number past 9,999,999,999: 20
      {"Str(Val('  9999999999'))", "  9999999999"},
      {"Str(Val('-999999999'))", "-999999999"},
      {"Str(Val('-1000000000'))", "         -1000000000"},
      {"Str(Val('12345678901.5'))", "12345678901.5"},
      {"Str(Val(''))", "         0"},  // no text: the default width
      {"Str(Val('.'))", "0"},
      {"Str(Val('-.5') * 2)", "        -1.0"},
      {"Str(Val('.5'), 5, 2)", " 0.50"},
  };
  ExpectAll(cases);
}

TEST_F(NumberFunctionsTest, StrAndStrZero) {
  const Case cases[] = {
      {"Str(5, 0)", "         5"},
      {"Str(5, 3, 1)", "5.0"},
      {"Str(-5, 2)", "-5"},
      {"Str(1.005, 6, 2)", "  1.01"},
      {"Str(5, NIL, 2)", "         5.00"},
      {"Str('5')", "ERR BASE/1099"},
      {"Str(5, '2')", "ERR BASE/1099"},
      {"StrZero(5, 3)", "005"},
      {"StrZero(-5, 4)", "-005"},
      {"StrZero(-1.5, 6, 1)", "-001.5"},
      {"StrZero(1234, 3)", "***"},
      {"StrZero(7)", "0000000007"},
      {"StrZero('7')", "ERR BASE/9999"},
  };
  ExpectAll(cases);
}

TEST_F(NumberFunctionsTest, ModuloSquareRootExponentAndLogarithm) {
  const Case cases[] = {
      {"Mod(7, 3)", "1.00"},
      {"Mod(-7, 3)", "2.00"},
      {"Mod(7, -3)", "-2.00"},
      {"Mod(-6, 3)", "0.00"},
      {"Mod(7.5, 2)", "1.50"},
      {"Mod(1, 0)", "ERR BASE/1341"},
      {"Mod('1', 2)", "ERR BASE/1085"},
      {"Sqrt(16)", "4.00"},
      {"Sqrt(-4)", "0.00"},
      {"Str(Sqrt(2), 12, 8)", "  1.41421356"},
      {"Sqrt('4')", "ERR BASE/1097"},
      {"Str(Exp(1), 10, 6)", "  2.718282"},
      {"Exp('1')", "ERR BASE/1096"},
      {"Log(Exp(2))", "2.00"},
      {"Left(Str(Log(0)), 3)", "***"},
      {"Log('1')", "ERR BASE/1095"},
  };
  ExpectAll(cases);
}

TEST_F(NumberFunctionsTest, EmptyByType) {
  const Case cases[] = {
      {"Empty(NIL)", ".T."},
      {"Empty('')", ".T."},
      {"Empty(' ' + Chr(9) + Chr(13) + Chr(10))", ".T."},
      {"Empty(' a')", ".F."},
      {"Empty(0)", ".T."},
      {"Empty(0.0)", ".T."},
      {"Empty(-0.01)", ".F."},
      {"Empty(CToD(''))", ".T."},
      {"Empty(Date())", ".F."},
      {"Empty(.F.)", ".T."},
      {"Empty({})", ".T."},
      {"Empty({NIL})", ".F."},
      {"Empty({|| NIL})", ".F."},
  };
  ExpectAll(cases);
}

TEST(NumberApiTest, ValKeepsTheTextsShape) {
  Value v = Val("  12.345xyz");
  EXPECT_TRUE(v.IsDouble());
  EXPECT_EQ(v.Decimals(), 6);
  EXPECT_EQ(v.Width(), 4);
  EXPECT_EQ(NumberToStr(v), "  12.345000");  // as long as the text
  EXPECT_DOUBLE_EQ(v.AsDouble(), 12.345);
  Value big = Val("123456789012345678901234");
  EXPECT_TRUE(big.IsDouble());
  EXPECT_NEAR(big.AsDouble() / 1.2345678901234568e23, 1.0, 1e-12);
  EXPECT_EQ(StrZero(Value::Integer(-42), 6), "-00042");
}

}  // namespace
}  // namespace xb
