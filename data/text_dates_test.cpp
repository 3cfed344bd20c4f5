#include "data/text_dates.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"

namespace data {
namespace {

using xb::Date;

TEST(TextDatesTest, TextsSplitAtEverySeparator) {
  struct Case {
    std::string text, separator;
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {"a,b,c", ",", {"a", "b", "c"}},
      {"a,b,", ",", {"a", "b", ""}},
      {",,a", ",", {"", "", "a"}},
      {"sin separador", ",", {"sin separador"}},
      {"", ",", {""}},
      {"uno + dos + tres", " + ", {"uno", "dos", "tres"}},
      {"a;b", ";", {"a", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(aStr2Array(c.text, c.separator), c.parts) << c.text;
}

TEST(TextDatesTest, MonthNamesKeepTheirTrailingBlank) {
  const char* names[] = {"Enero ", "Febrero ", "Marzo ",     "Abril ",   "Mayo ",      "Junio ",
                         "Julio ", "Agosto ",  "Septiembre", "Octubre ", "Noviembre ", "Diciembre "};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(cMes(m), names[m - 1]);
  EXPECT_EQ(cMes(0), "");
  EXPECT_EQ(cMes(13), "");
}

TEST(TextDatesTest, MonthsAreAddedAsNumbersWithTheDayKeptOrClamped) {
  struct Case {
    int y, m, d;
    long long months;
    int ey, em, ed;
  };
  const Case cases[] = {
      {2003, 1, 15, 1, 2003, 2, 15},     {2003, 1, 31, 1, 2003, 2, 28},  // month end
      {2004, 1, 31, 1, 2004, 2, 29},     {2000, 1, 30, 1, 2000, 2, 29},  // leap years
      {1900, 1, 29, 1, 1900, 2, 28},     {2003, 3, 31, 1, 2003, 4, 30},
      {2003, 11, 30, 3, 2004, 2, 29},    {2003, 12, 5, 1, 2004, 1, 5},   // carry
      {2003, 1, 5, -1, 2002, 12, 5},     {2003, 3, 31, -1, 2003, 2, 28},  // borrow
      {2003, 1, 5, -25, 2000, 12, 5},    {2019, 12, 31, 2, 2020, 2, 29},  // 2020 and later
      {2024, 5, 20, 120, 2034, 5, 20},   {2099, 12, 1, 1, 2100, 1, 1},
      {2003, 6, 10, 0, 2003, 6, 10},
  };
  for (const char* format : {"dd-mm-yy", "dd-mm-yyyy"}) {
    xb::SetValue(xb::SET_DATEFORMAT, xb::Value::String(format));
    xb::SetValue(xb::SET_EPOCH, xb::Value::Integer(1920));
    for (const Case& c : cases) {
      EXPECT_EQ(dAddMonths(Date::FromYmd(c.y, c.m, c.d), c.months), Date::FromYmd(c.ey, c.em, c.ed))
          << c.y << "-" << c.m << "-" << c.d << " + " << c.months << " under " << format;
    }
  }
  EXPECT_TRUE(dAddMonths(Date{}, 3).IsEmpty());
}

class TextDatesFunctionsTest : public testing::DataTest {};

TEST_F(TextDatesFunctionsTest, AsPublicFunctions) {
  EXPECT_EQ(X("LEN(ASTR2ARRAY('a,b,'))").AsInt(), 3);
  EXPECT_EQ(X("ASTR2ARRAY('a-b', '-')[2]").AsString(), "b");
  EXPECT_EQ(X("CMES(9)").AsString(), "Septiembre");
  EXPECT_EQ(X("DTOS(DADDMONTHS(STOD('20200131'), 1))").AsString(), "20200229");
  EXPECT_EQ(X("DTOS(DADDMONTHS(STOD('20200131'), -2))").AsString(), "20191130");
  EXPECT_TRUE(X("EMPTY(DADDMONTHS(CTOD(''), 1))").AsLogical());
}

}  // namespace
}  // namespace data
