#include "ui/controls/calendar_grid.h"

#include <cstdio>

namespace ui::calendar {
namespace {

constexpr const char* kDayNames[] = {"Domingo", "Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado"};
constexpr const char* kMonthNames[] = {"Enero", "Febrero", "Marzo",      "Abril",   "Mayo",      "Junio",
                                       "Julio", "Agosto",  "Septiembre", "Octubre", "Noviembre", "Diciembre"};

// The day in that month, or the month's last day when it has fewer.
xb::Date ClampedDay(int year, int month, int day) {
  for (int d = day; d >= 1; --d) {
    const xb::Date date = xb::Date::FromYmd(year, month, d);
    if (!date.IsEmpty()) return date;
  }
  return {};
}

}  // namespace

std::array<xb::Date, kGridDays> MonthGrid(xb::Date date) {
  std::array<xb::Date, kGridDays> days{};
  if (date.IsEmpty()) return days;
  int year = 0, month = 0, day = 0;
  date.ToYmd(year, month, day);
  xb::Date first = xb::Date::FromYmd(year, month, 1);
  // DayOfWeek: 1 Sunday ... 7 Saturday; Monday is 2.
  while (first.DayOfWeek() != 2) first.julian -= 1;
  for (int i = 0; i < kGridDays; ++i) days[static_cast<std::size_t>(i)] = xb::Date{first.julian + i};
  return days;
}

xb::Date Move(xb::Date base, int action, int days) {
  if (base.IsEmpty()) return base;
  if (action == kAddDays) return xb::Date{base.julian + days};
  if (action == kSubtractDays) return xb::Date{base.julian - days};
  int year = 0, month = 0, day = 0;
  base.ToYmd(year, month, day);
  switch (action) {
    case kPrevMonth:
      if (--month < 1) {
        month = 12;
        --year;
      }
      break;
    case kNextMonth:
      if (++month > 12) {
        month = 1;
        ++year;
      }
      break;
    case kPrevYear: --year; break;
    case kNextYear: ++year; break;
    default: return base;
  }
  if (year < 1 || year > 9999) return base;
  return ClampedDay(year, month, day);
}

std::uint32_t DayColour(xb::Date day, xb::Date chosen, xb::Date today) {
  if (day == today) return kToday;
  if (day == chosen) return kChosen;
  int year = 0, month = 0, d = 0, chosen_year = 0, chosen_month = 0;
  day.ToYmd(year, month, d);
  chosen.ToYmd(chosen_year, chosen_month, d);
  return year == chosen_year && month == chosen_month ? kInMonth : kOtherMonth;
}

std::string DateToString(xb::Date date) {
  if (date.IsEmpty()) return {};
  int year = 0, month = 0, day = 0;
  date.ToYmd(year, month, day);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %2d %s %4d", kDayNames[date.DayOfWeek() - 1], day, kMonthNames[month - 1],
                year);
  return text;
}

}  // namespace ui::calendar
