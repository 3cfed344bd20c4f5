// The calendar dialog's arithmetic, free of windows: the 42 days of the grid shown for a
// month, the moves of its menu (months, years, days) and the long Spanish text of a date.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "runtime/date.h"

namespace ui::calendar {

inline constexpr int kGridDays = 42;  // 6 weeks of 7, Monday first

// Text colours of the day buttons.
inline constexpr std::uint32_t kToday = 255;          // red
inline constexpr std::uint32_t kChosen = 16711680;    // blue
inline constexpr std::uint32_t kInMonth = 0;          // black
inline constexpr std::uint32_t kOtherMonth = 8421504; // grey

// The menu's actions (MOVECALENDAR's numbers).
enum Action : int {
  kPrevMonth = 1,
  kNextMonth = 2,
  kPrevYear = 3,
  kNextYear = 4,
  kAddDays = 5,
  kSubtractDays = 6,
};

// The days shown for the month of `date`: from the Monday on or before the first of the
// month, 42 days on. An empty date gives 42 empty dates.
std::array<xb::Date, kGridDays> MonthGrid(xb::Date date);

// The date an action gives from `base`: months and years keep the day where the month has
// it, else take the month's last day (31-03 less a month is 28-02 or 29-02); actions 5 and 6
// add or subtract `days`; any other action keeps the date. An empty base stays empty.
xb::Date Move(xb::Date base, int action, int days = 0);

// The colour of the button showing `day` when the grid shows the month of `chosen`.
std::uint32_t DayColour(xb::Date day, xb::Date chosen, xb::Date today);

// DDATETOSTRING: "Sábado, 29 Febrero 2004" (day name, ", ", STR(day, 2), " ", month name,
// " ", STR(year, 4)); "" for the empty date.
std::string DateToString(xb::Date date);

}  // namespace ui::calendar
