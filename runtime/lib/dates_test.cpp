#include <gtest/gtest.h>

#include "runtime/lib/dates.h"
#include "runtime/lib/lib_test_support.h"

namespace xb {
namespace {

using testing::Case;
using testing::Eval;
using testing::ExpectAll;

class DateFunctionsTest : public testing::RuntimeTest {};

// Two-digit years land in the hundred years starting at SET EPOCH; four-digit ones stay.
TEST(DateTextTest, TwoDigitYearsAroundTheEpoch) {
  struct EpochCase {
    const char* text;
    int epoch;
    const char* dtos;
  } cases[] = {
      {"01-01-19", 1920, "20190101"}, {"01-01-20", 1920, "19200101"}, {"31-12-99", 1920, "19991231"},
      {"01-01-00", 1920, "20000101"}, {"01-01-00", 1900, "19000101"}, {"01-01-99", 1900, "19990101"},
      {"01-01-49", 1950, "20490101"}, {"01-01-50", 1950, "19500101"}, {"01-01-19", 2000, "20190101"},
      {"29-02-00", 1920, "20000229"}, {"29-02-00", 1900, "        "}, {"01-01-1919", 1920, "19190101"},
      {"01-01-0019", 1920, "20190101"},
  };
  for (const EpochCase& c : cases)
    EXPECT_EQ(ParseDate(c.text, "dd-mm-yyyy", c.epoch).Dtos(), c.dtos) << c.text << " epoch " << c.epoch;
}

TEST(DateTextTest, ReadsFieldsInTheFormatsOrder) {
  struct FormatCase {
    const char* text;
    const char* format;
    const char* dtos;
  } cases[] = {
      {"12/31/24", "mm/dd/yy", "19241231"},     // epoch 1900 below
      {"2024.03.15", "yyyy.mm.dd", "20240315"},
      {"15.3.2024", "dd.mm.yyyy", "20240315"},  // fields need not be full
      {" 15/03/2024", "dd-mm-yyyy", "20240315"}, // any separators; leading ones are skipped
      {"15--03--2024", "dd-mm-yyyy", "20240315"}, // a run of separators is one
      {"15032024", "dd-mm-yyyy", "        "},  // one run of digits is the day alone
      {"  -  -    ", "dd-mm-yyyy", "        "},
      {"", "dd-mm-yyyy", "        "},
      {"31-04-2024", "dd-mm-yyyy", "        "},
      {"00-01-2024", "dd-mm-yyyy", "        "},
      {"1-1-10000", "dd-mm-yyyy", "        "},
      {"99999999999-1-2024", "dd-mm-yyyy", "        "},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(ParseDate(c.text, c.format, 1900).Dtos(), c.dtos) << c.text;
}

TEST(DateTextTest, WritesFieldsAsTheFormatSays) {
  Date d = Date::FromYmd(2024, 3, 5);
  struct FormatCase {
    const char* format;
    const char* expected;
    const char* empty;
  } cases[] = {
      {"dd-mm-yyyy", "05-03-2024", "  -  -    "},
      {"mm/dd/yy", "03/05/24", "  /  /  "},
      {"yyyy.mm.dd", "2024.03.05", "    .  .  "},
      {"d/m/y", "5/3/4", " / / "},
      {"DD-MM-YYYYY", "05-03-2024Y", "  -  -    Y"},
      {"dd-mm-yy dd", "05-03-24 DD", "  -  -   DD"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatDate(d, c.format), c.expected) << c.format;
    EXPECT_EQ(FormatDate(Date{}, c.format), c.empty) << c.format;
  }
}

TEST_F(DateFunctionsTest, FunctionsFollowTheSettings) {
  const Case cases[] = {
      {"DToC(CToD('12/31/99'))", "12/31/99"},
      {"DToS(CToD('12/31/99'))", "19991231"},
      {"Set(5, 1950)", "1900"},
      {"DToS(CToD('12/31/49'))", "20491231"},
      {"Set(4, 'dd.mm.yyyy')", "MM/DD/YY"},
      {"DToC(SToD('20240229'))", "29.02.2024"},
      {"DToC(SToD('20230229'))", "  .  .    "},
      {"DToS(SToD(''))", "        "},
      {"SToD(20240101)", "        "},
      {"__SetCentury(.F.)", ".T."},
      {"Set(4)", "DD.MM.YY"},
      {"DToC(SToD('20240229'))", "29.02.24"},
      {"CToD(1)", "ERR BASE/1119"},
      {"DToC('x')", "ERR BASE/1118"},
      {"DToS('x')", "ERR BASE/1120"},
  };
  ExpectAll(cases);
}

// SET DATEFORMAT answers the format as it was set; __SETCENTURY writes it again, in upper
// case, only when the year's digits change.
TEST_F(DateFunctionsTest, TheDateFormatStaysAsSetUntilTheCenturyChangesIt) {
  const Case cases[] = {
      {"Set(4, 'yyyy/mm/dd')", "MM/DD/YY"},
      {"Set(4)", "yyyy/mm/dd"},
      {"__SetCentury('ON')", ".T."},
      {"Set(4)", "yyyy/mm/dd"},
      {"DToC(SToD('20240315'))", "2024/03/15"},
      {"CToD('2024/03/15') == SToD('20240315')", ".T."},
      {"Set(4, 'dd-mm-yyyy')", "yyyy/mm/dd"},
      {"__SetCentury('OFF')", ".T."},
      {"Set(4)", "DD-MM-YY"},
      {"__SetCentury(.F.)", ".F."},
      {"Set(4)", "DD-MM-YY"},
      {"Set(4, 'dd/mm/yy')", "DD-MM-YY"},
      {"__SetCentury(.T.)", ".F."},
      {"Set(4)", "DD/MM/YYYY"},
      {"Set(4, 'Dd.mM')", "DD/MM/YYYY"},
      {"__SetCentury(.T.)", ".F."},  // no year to change
      {"Set(4)", "Dd.mM"},
  };
  ExpectAll(cases);
}

TEST_F(DateFunctionsTest, PartsAndNames) {
  const Case cases[] = {
      {"Str(Day(SToD('20240315')))", " 15"},
      {"Str(Month(SToD('20240315')))", "  3"},
      {"Str(Year(SToD('20240315')))", " 2024"},
      {"Str(Dow(SToD('20240315')))", "  6"},
      {"Day(SToD(''))", "0"},
      {"Dow(SToD(''))", "0"},
      {"Day('x')", "ERR BASE/1114"},
      {"Month('x')", "ERR BASE/1113"},
      {"Year('x')", "ERR BASE/1112"},
      {"Dow('x')", "ERR BASE/1115"},
      {"CDow(SToD('20240317'))", "Sunday"},
      {"CMonth(SToD('20240915'))", "September"},
      {"CDow(SToD(''))", ""},
      {"CMonth(SToD(''))", ""},
      {"CDow(1)", "ERR BASE/1117"},
      {"CMonth(1)", "ERR BASE/1116"},
      {"HB_LangSelect('ES')", "EN"},
      {"CDow(SToD('20240313'))", "Miércoles"},
      {"CDow(SToD('20240316'))", "Sábado"},
      {"CMonth(SToD('20240915'))", "Septiembre"},
      {"HB_LangSelect('XX')", "ES"},
      {"CMonth(SToD('20240101'))", "Enero"},
      {"HB_LangSelect('EN')", "ES"},
      {"CMonth(SToD('20240101'))", "January"},
  };
  ExpectAll(cases);
}

// Day arithmetic across the month, year and leap-day boundaries.
TEST_F(DateFunctionsTest, ArithmeticAcrossBoundaries) {
  const Case cases[] = {
      {"DToS(SToD('20240228') + 1)", "20240229"},
      {"DToS(SToD('20230228') + 1)", "20230301"},
      {"DToS(SToD('19000228') + 1)", "19000301"},
      {"DToS(SToD('20000228') + 1)", "20000229"},
      {"DToS(SToD('20241231') + 1)", "20250101"},
      {"SToD('20250101') - SToD('20240101')", "366"},
      {"Dow(SToD('20000101'))", "7"},
  };
  ExpectAll(cases);
}

LocalTime FixedClock() { return LocalTime{2024, 2, 29, 7, 5, 9, 456}; }

TEST_F(DateFunctionsTest, ClockFunctions) {
  ClockFn old = SetClock(FixedClock);
  EXPECT_EQ(Eval("DToS(Date())"), "20240229");
  EXPECT_EQ(Eval("Time()"), "07:05:09");
  EXPECT_EQ(Eval("Str(Seconds())"), "     25509.45");
  SetClock(old);
  LocalTime now = CurrentLocalTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_EQ(Eval("Len(Time())"), "8");
}

}  // namespace
}  // namespace xb
