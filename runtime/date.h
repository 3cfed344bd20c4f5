// Dates as xBase keeps them: a Julian day number, 0 being the empty date. Day arithmetic
// is integer arithmetic on the number.
#pragma once

#include <cstdint>
#include <string>

namespace xb {

struct Date {
  std::int32_t julian = 0;  // 0 = empty date; 2451545 = 2000-01-01

  bool IsEmpty() const { return julian == 0; }

  // The date of a calendar day, or the empty date when the day does not exist
  // (month 1-12, day valid for the month, year 1-9999).
  static Date FromYmd(int year, int month, int day);
  // Year, month and day; all 0 for the empty date.
  void ToYmd(int& year, int& month, int& day) const;
  // Day of week, 1 = Sunday ... 7 = Saturday; 0 for the empty date.
  int DayOfWeek() const;
  // "YYYYMMDD", or eight blanks for the empty date (DTOS).
  std::string Dtos() const;
  // The date of a "YYYYMMDD" text; the empty date when it is blank or not a valid day.
  static Date FromDtos(std::string_view text);

  friend bool operator==(Date a, Date b) { return a.julian == b.julian; }
  friend auto operator<=>(Date a, Date b) { return a.julian <=> b.julian; }
};

}  // namespace xb
