#include "services/planner_year.h"

#include <algorithm>

namespace svc::planner {

const std::array<Concept, 16> kConcepts = {{
    {'A', "Festivo nacional", 128},
    {'B', "Festivo local", 65535},
    {'C', "Laborales", 8421504},
    {'D', "Sábado", 16711680},
    {'E', "Domingo", 8388608},
    {'H', "", 0},
    {'I', "", 8388736},
    {'J', "", 16711935},
    {'K', "", 8421376},
    {'L', "", 16776960},
    {'M', "", 255},
    {'N', "", 32768},
    {'O', "", 65280},
    {'P', "", 16777215},
    {'Q', "", 12632256},
    {'R', "", 32896},
}};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int Weekday(int year, int month, int day) {
  // Days from 1970-01-01 (a Thursday), by the civil-calendar count.
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int mp = (month + 9) % 12;
  const int doy = (153 * mp + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
  return static_cast<int>(((days % 7) + 7 + 3) % 7);
}

char WeekdayLetter(int year, int month, int day) { return "LMXJVSD"[Weekday(year, month, day)]; }

bool IsDay(int year, int month, int day) { return day >= 1 && day <= DaysInMonth(year, month); }

Months NewYear(int year) {
  Months months;
  for (int m = 1; m <= 12; ++m) {
    std::string& row = months[m - 1];
    row.assign(kDaysPerRow, ' ');
    for (int d = 1; d <= DaysInMonth(year, m); ++d) {
      const int w = Weekday(year, m, d);
      row[d - 1] = w == 5 ? kSaturday : w == 6 ? kSunday : kWorkingDay;
    }
  }
  return months;
}

Months Normalised(const Months& stored) {
  Months months = stored;
  for (std::string& row : months) row.resize(kDaysPerRow, ' ');
  return months;
}

char ConceptAt(const Months& months, int year, int month, int day) {
  if (!IsDay(year, month, day)) return ' ';
  const std::string& row = months[month - 1];
  return static_cast<std::size_t>(day) <= row.size() ? row[day - 1] : ' ';
}

void MarkDay(Months& months, int year, int month, int day, char key) {
  if (!IsDay(year, month, day)) return;
  std::string& row = months[month - 1];
  row.resize(kDaysPerRow, ' ');
  row[day - 1] = key;
}

void MarkRange(Months& months, int year, int month1, int day1, int month2, int day2, char key) {
  for (int m = std::min(month1, month2); m <= std::max(month1, month2); ++m)
    for (int d = std::min(day1, day2); d <= std::max(day1, day2); ++d) MarkDay(months, year, m, d, key);
}

std::string SwatchFor(std::int64_t colour) {
  static constexpr std::pair<std::int64_t, const char*> kSwatches[] = {
      {0, "BM_NEGRO"},          {8388736, "BM_ROSA"},    {16711935, "BM_ROSACLARO"}, {8421376, "BM_CYAN"},
      {16776960, "BM_CYANCLARO"}, {255, "BM_ROJOCLARO"}, {32768, "BM_VERDE"},        {65280, "BM_VERDECLARO"},
      {16777215, "BM_BLANCO"},  {12632256, "BM_GRIS"},   {32896, "BM_MARRON"},       {128, "BM_ROJO"},
      {65535, "BM_AMARILLO"},   {8421504, "BM_GRISCLARO"}, {8388608, "BM_AZUL"},     {16711680, "BM_AZULCLARO"},
  };
  for (const auto& [value, name] : kSwatches)
    if (value == colour) return name;
  return {};
}

}  // namespace svc::planner
