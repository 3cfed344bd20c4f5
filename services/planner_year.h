// The year planner's calendar: twelve month strings of 31 characters, character d of month m
// the concept key of day d. Positions past a month's last day are not days: they are filled
// with blanks in a new year and never read, drawn or marked, whatever a stored record holds.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace svc::planner {

inline constexpr int kDaysPerRow = 31;
using Months = std::array<std::string, 12>;

// Concept keys a new year is filled with.
inline constexpr char kWorkingDay = 'C';
inline constexpr char kSaturday = 'D';
inline constexpr char kSunday = 'E';

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // month 1-12
// 0 = Monday ... 6 = Sunday.
int Weekday(int year, int month, int day);
// The weekday's letter from "LMXJVSD".
char WeekdayLetter(int year, int month, int day);
bool IsDay(int year, int month, int day);

// A new year: "C" on weekdays, "D" on Saturdays, "E" on Sundays, blanks past each month's end.
Months NewYear(int year);
// Month strings as stored, made 31 characters long (blank-padded or cut).
Months Normalised(const Months& stored);
// The concept of a day; a blank for a position that is not a day.
char ConceptAt(const Months& months, int year, int month, int day);

// One day given the concept; nothing for a position that is not a day.
void MarkDay(Months& months, int year, int month, int day, char key);
// Every day of the rectangle between two cells (months by days, either corner first).
void MarkRange(Months& months, int year, int month1, int day1, int month2, int day2, char key);

// The concept-list swatch for a colour (a Windows RGB value): "BM_..." of the 16 colours,
// "" for any other.
std::string SwatchFor(std::int64_t colour);

// The concepts a new concept table is written with.
struct Concept {
  char key;
  const char* text;
  std::int64_t colour;
};
extern const std::array<Concept, 16> kConcepts;

}  // namespace svc::planner
