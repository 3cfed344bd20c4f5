#include "runtime/date.h"


namespace xb {

namespace {
bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}
}  // namespace

Date Date::FromYmd(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return Date{};
  // Gregorian calendar to Julian day number.
  int a = (14 - month) / 12;
  int y = year + 4800 - a;
  int m = month + 12 * a - 3;
  return Date{day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045};
}

void Date::ToYmd(int& year, int& month, int& day) const {
  if (julian <= 0) {
    year = month = day = 0;
    return;
  }
  // 64-bit steps: day arithmetic may carry a date far past the calendar's end.
  std::int64_t a = static_cast<std::int64_t>(julian) + 32044;
  std::int64_t b = (4 * a + 3) / 146097;
  std::int64_t c = a - 146097 * b / 4;
  std::int64_t d = (4 * c + 3) / 1461;
  std::int64_t e = c - 1461 * d / 4;
  std::int64_t m = (5 * e + 2) / 153;
  day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
  month = static_cast<int>(m + 3 - 12 * (m / 10));
  year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

int Date::DayOfWeek() const {
  if (julian <= 0) return 0;
  return static_cast<int>((static_cast<std::int64_t>(julian) + 1) % 7 + 1);
}

std::string Date::Dtos() const {
  int y, m, d;
  ToYmd(y, m, d);
  if (julian <= 0 || y < 0 || y > 9999) return std::string(8, ' ');
  const char text[8] = {static_cast<char>('0' + y / 1000),     static_cast<char>('0' + y / 100 % 10),
                        static_cast<char>('0' + y / 10 % 10),  static_cast<char>('0' + y % 10),
                        static_cast<char>('0' + m / 10),       static_cast<char>('0' + m % 10),
                        static_cast<char>('0' + d / 10),       static_cast<char>('0' + d % 10)};
  return std::string(text, sizeof text);
}

Date Date::FromDtos(std::string_view t) {
  if (t.size() < 8) return Date{};
  int v[8];
  for (int i = 0; i < 8; ++i) {
    if (t[i] < '0' || t[i] > '9') return Date{};
    v[i] = t[i] - '0';
  }
  return FromYmd(v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]);
}

}  // namespace xb
