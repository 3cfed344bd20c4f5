// Dates as text, by SET DATEFORMAT and SET EPOCH, the names of months and days in the
// current language, and the clock.
#pragma once

#include <string>
#include <string_view>

#include "runtime/date.h"

namespace xb {

// The date in a format of letters d, m, y (any case) and separators, as DTOC writes it:
// a run of up to four equal letters gives that many digits of the field (its last ones,
// zero-padded: "yy" is the year in the century); further letters and other characters
// are copied. The empty date gives blanks where digits would be ("  -  -    ").
std::string FormatDate(Date d, std::string_view format);
// Reads a date typed in the format's field order (CTOD): digit runs are the fields,
// any other characters separate them; a year below 100 lands in the hundred years that
// start at `epoch`. A day that does not exist, or no digits at all, give the empty date.
Date ParseDate(std::string_view text, std::string_view format, int epoch);

// DTOC / CTOD with the current SET DATEFORMAT and SET EPOCH.
std::string DToC(Date d);
Date CToD(std::string_view text);

// Month 1-12 and day of week 1-7 (Sunday first) by name in the current language
// (HB_LANGSELECT / SET LANGUAGE: "EN" English, "ES" Spanish); "" out of range.
std::string_view MonthName(int month);
std::string_view DayName(int dayOfWeek);
// True when the current language is Spanish ("ES", "ESWIN").
bool LanguageIsSpanish();

// The local date and time. Tests may install their own clock.
struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime CurrentLocalTime();
using ClockFn = LocalTime (*)();
// Installs a clock (nullptr: the system's); returns the previous one.
ClockFn SetClock(ClockFn clock);

}  // namespace xb
