// The calendar's grid, its moves and the long text of a date.
#include "ui/controls/calendar_grid.h"

#include <gtest/gtest.h>

namespace ui::calendar {
namespace {

xb::Date D(int day, int month, int year) { return xb::Date::FromYmd(year, month, day); }

TEST(CalendarGrid, MovesOfTheMenu) {
  struct Case {
    xb::Date from;
    int action;
    int days;
    xb::Date expected;
  } cases[] = {
      {D(31, 3, 2003), kPrevMonth, 0, D(28, 2, 2003)},   // "An&t." / "&Mes"
      {D(31, 3, 2004), kPrevMonth, 0, D(29, 2, 2004)},   // a leap year keeps the 29th
      {D(29, 2, 2004), kNextYear, 0, D(28, 2, 2005)},    // "&Sig." / "&Año"
      {D(29, 2, 2004), kPrevYear, 0, D(28, 2, 2003)},
      {D(15, 12, 2003), kNextMonth, 0, D(15, 1, 2004)},  // December to January
      {D(10, 1, 2004), kPrevMonth, 0, D(10, 12, 2003)},  // and back
      {D(31, 1, 2003), kNextMonth, 0, D(28, 2, 2003)},
      {D(28, 2, 2004), kAddDays, 2, D(1, 3, 2004)},      // "&Sumar días"
      {D(1, 3, 2003), kSubtractDays, 1, D(28, 2, 2003)}, // "&Restar días"
      {D(1, 3, 2003), kAddDays, 0, D(1, 3, 2003)},
      {D(1, 3, 2003), 9, 0, D(1, 3, 2003)},              // no such action
      {xb::Date{}, kNextMonth, 0, xb::Date{}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Move(c.from, c.action, c.days), c.expected)
        << c.from.Dtos() << " action " << c.action << " gave " << Move(c.from, c.action, c.days).Dtos();
  }
}

TEST(CalendarGrid, FortyTwoDaysFromTheMondayOnOrBeforeTheFirst) {
  struct Case {
    xb::Date shown;
    xb::Date first_cell;
    int cell_of_first;  // 1-based
  } cases[] = {
      {D(17, 9, 2003), D(1, 9, 2003), 1},    // September 2003 starts on a Monday
      {D(31, 3, 2003), D(24, 2, 2003), 6},   // March 2003 on a Saturday
      {D(29, 2, 2004), D(26, 1, 2004), 7},   // February 2004 on a Sunday
      {D(15, 10, 2003), D(29, 9, 2003), 3},  // October 2003 on a Wednesday
  };
  for (const Case& c : cases) {
    const auto grid = MonthGrid(c.shown);
    EXPECT_EQ(grid[0], c.first_cell) << c.shown.Dtos();
    EXPECT_EQ(grid[0].DayOfWeek(), 2) << "Monday first";
    for (std::size_t i = 1; i < grid.size(); ++i) EXPECT_EQ(grid[i].julian, grid[0].julian + static_cast<int>(i));
    int y = 0, m = 0, d = 0, ys = 0, ms = 0;
    c.shown.ToYmd(ys, ms, d);
    grid[static_cast<std::size_t>(c.cell_of_first - 1)].ToYmd(y, m, d);
    EXPECT_EQ(d, 1) << c.shown.Dtos();
    EXPECT_EQ(m, ms);
  }
  for (const xb::Date& day : MonthGrid(xb::Date{})) EXPECT_TRUE(day.IsEmpty());
}

TEST(CalendarGrid, ColoursOfTheDays) {
  const xb::Date today = D(10, 3, 2003);
  const xb::Date chosen = D(31, 3, 2003);
  EXPECT_EQ(DayColour(today, chosen, today), kToday);
  EXPECT_EQ(DayColour(chosen, chosen, today), kChosen);
  EXPECT_EQ(DayColour(D(1, 3, 2003), chosen, today), kInMonth);
  EXPECT_EQ(DayColour(D(28, 2, 2003), chosen, today), kOtherMonth);
  EXPECT_EQ(DayColour(D(1, 3, 2004), chosen, today), kOtherMonth);  // the same month, another year
}

TEST(CalendarGrid, LongTextInTheCodePage) {
  EXPECT_EQ(DateToString(D(28, 2, 2004)), "S\xE1" "bado, 28 Febrero 2004");
  EXPECT_EQ(DateToString(D(3, 9, 2003)), "Mi\xE9rcoles,  3 Septiembre 2003");
  EXPECT_EQ(DateToString(D(1, 1, 2001)), "Lunes,  1 Enero 2001");
  EXPECT_EQ(DateToString(xb::Date{}), "");
}

}  // namespace
}  // namespace ui::calendar
