#include "reports/value_helpers.h"

#include "data/data_test_support.h"
#include "reports/report_functions.h"

namespace reports {
namespace {

using xb::Value;

class ValueHelpersTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
  }
};

TEST_F(ValueHelpersTest, EmptyValuesOfColumnTypes) {
  EXPECT_EQ(uValTipo("C").AsString(), " ");
  EXPECT_EQ(uValTipo("N").AsInt(), 0);
  EXPECT_TRUE(uValTipo("L").IsLogical());
  EXPECT_TRUE(uValTipo("D").IsDate() && uValTipo("D").AsDate().IsEmpty());
  EXPECT_TRUE(uValTipo("F").IsDate());
  EXPECT_TRUE(uValTipo("H").IsNil());
  EXPECT_TRUE(uValTipo("").IsNil());
  EXPECT_EQ(X("TI_NVALTON('5') + TI_NVALTON(3)").AsInt(), 3);
  EXPECT_FALSE(X("TI_LVALTOL('S')").AsLogical());
  EXPECT_TRUE(X("TI_LVALTOL(.T.)").AsLogical());
}

TEST_F(ValueHelpersTest, ComparisonsAreLooseAsTheStoredValuesNeed) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case cases[] = {
      {"'abc '", "'ABC'", true},   {"'  abc'", "'abc  '", true}, {"'abc'", "'abd'", false},
      {"'5'", "5", true},          {"'5.5'", "5.5", true},       {"'5'", "6", false},
      {"5", "'5'", true},          {"5", "'  5,0'", true},       {"5", "'6'", false},
      {"5", ".T.", false},         {".T.", ".T.", true},         {".T.", ".F.", false},
      {"STOD('20040102')", "STOD('20040102')", true},            {"STOD('20040102')", "'20040102'", false},
      {"'abc'", "DATE()", false},  {"NIL", "NIL", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(X(std::string("TI_COMPARE(") + c.a + ", " + c.b + ")").AsLogical(), c.equal) << c.a << " " << c.b;
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(ValueHelpersTest, HoursPrintWholeWithTheSignBeforeThem) {
  struct Case {
    double minutes;
    const char* text;
  };
  const Case cases[] = {
      {150, "   2 h, 30'"}, {-75, "  -1 h, 15'"}, {-30, "  -0 h, 30'"}, {59, "   0 h, 59'"},
      {60, "   1 h,  0'"},  {119, "   1 h, 59'"}, {5999, "  99 h, 59'"}, {599999, "9999 h, 59'"},
      {600000, "**** h,  0'"}, {0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cHoras(Value::Number(c.minutes)), c.text) << c.minutes;
  EXPECT_EQ(cHoras(Value()), "");
  EXPECT_EQ(X("TI_CHORAS(150)").AsString(), "   2 h, 30'");
  EXPECT_EQ(nMinToHora(150, true), " 2:30");
  EXPECT_EQ(nMinToHora(605, false), "10 5");
  EXPECT_EQ(cHoraToMin("0230"), 150);
  EXPECT_EQ(X("TI_CHORATOMIN()").AsInt(), 0);
  EXPECT_EQ(X("TI_CHORATOMIN('1005')").AsInt(), 605);
}

TEST_F(ValueHelpersTest, SpanishNumbersAreMadeReadable) {
  EXPECT_EQ(Us("1.234.567,89"), "1234567.89");
  EXPECT_EQ(Us(" -12,5 "), "-12.5");
  EXPECT_EQ(X("VAL(_US('1.234,5'))").AsDouble(), 1234.5);
}

TEST_F(ValueHelpersTest, FontHeightsInPoints) {
  struct Case {
    double height;
    int dpi;
    double points;
  };
  const Case cases[] = {
      {-16, 96, 12},       // exact
      {-37, 288, 9.25 - 0.25},  // 9.25: the quarter dropped
      {-38, 288, 9.5 + 0.25},   // 9.5: a quarter more
      {-13, 96, 9.75 + 0.25},   // 9.75
      {-12, 120, 7.2 + 0.25},
      {16, 96, 12},        // a positive height: the absolute value
      {-16, 0, 12},        // no screen: 96
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(nSize(c.height, c.dpi), c.points) << c.height << " " << c.dpi;
  SetScreenPixelsPerInch([] { return 120; });
  EXPECT_DOUBLE_EQ(X("TI_NSIZE(-20)").AsDouble(), 12);
  SetScreenPixelsPerInch(nullptr);
  EXPECT_DOUBLE_EQ(X("TI_NSIZE(-20)").AsDouble(), 15);
}

}  // namespace
}  // namespace reports
