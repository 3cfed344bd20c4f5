// Date and time functions: DATE TIME SECONDS CTOD DTOC DTOS STOD DAY MONTH YEAR DOW CDOW
// CMONTH, and the text forms of dates that the pictures and PADR share.
#include "runtime/lib/dates.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "runtime/function_table.h"
#include "runtime/lib/library.h"
#include "runtime/sets.h"

namespace xb {

namespace {

constexpr std::string_view kMonthsEn[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
constexpr std::string_view kMonthsEs[] = {"Enero", "Febrero", "Marzo",      "Abril",   "Mayo",      "Junio",
                                          "Julio", "Agosto",  "Septiembre", "Octubre", "Noviembre", "Diciembre"};
constexpr std::string_view kDaysEn[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr std::string_view kDaysEs[] = {"Domingo", "Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado"};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

LocalTime SystemClock() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                   static_cast<int>(ms < 0 ? 0 : ms)};
}

ClockFn g_clock = nullptr;

Value FnDate(Args&) {
  LocalTime t = CurrentLocalTime();
  return Value::FromDate(Date::FromYmd(t.year, t.month, t.day));
}

Value FnTime(Args&) {
  LocalTime t = CurrentLocalTime();
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
  return Value::String(buf);
}

// Seconds since midnight, to the hundredth.
Value FnSeconds(Args&) {
  LocalTime t = CurrentLocalTime();
  double s = t.hour * 3600.0 + t.minute * 60.0 + t.second + (t.millisecond / 10) / 100.0;
  return Value::Double(s, 2);
}

Value FnCToD(Args& a) {
  if (!a.Arg(1).IsString()) return ArgumentError("CTOD", 1119, a.Raw());
  return Value::FromDate(CToD(a.Str(1)));
}

Value FnDToC(Args& a) {
  if (!a.Arg(1).IsDate()) return ArgumentError("DTOC", 1118, a.Raw());
  return Value::String(DToC(a.Dat(1)));
}

Value FnDToS(Args& a) {
  if (!a.Arg(1).IsDate()) return ArgumentError("DTOS", 1120, a.Raw());
  return Value::String(a.Dat(1).Dtos());
}

bool AppendDToS(Args& a, std::string& out) {
  if (!a.Arg(1).IsDate()) return false;
  out.append(a.Dat(1).Dtos());
  return true;
}

Value FnSToD(Args& a) { return Value::FromDate(Date::FromDtos(a.Str(1))); }

// DAY, MONTH, YEAR and DOW give numbers as wide as xBase prints them (3, 3, 5, 3).
template <int Part>
Value FnDatePart(Args& a) {
  static constexpr const char* kNames[] = {"DAY", "MONTH", "YEAR", "DOW"};
  static constexpr int kSubcodes[] = {1114, 1113, 1112, 1115};
  static constexpr int kWidths[] = {3, 3, 5, 3};
  if (!a.Arg(1).IsDate()) return ArgumentError(kNames[Part], kSubcodes[Part], a.Raw());
  Date d = a.Dat(1);
  int y, m, day;
  d.ToYmd(y, m, day);
  int parts[] = {day, m, y, d.DayOfWeek()};
  return Value::Integer(parts[Part], kWidths[Part]);
}

Value FnCDoW(Args& a) {
  if (!a.Arg(1).IsDate()) return ArgumentError("CDOW", 1117, a.Raw());
  return Value::String(DayName(a.Dat(1).DayOfWeek()));
}

Value FnCMonth(Args& a) {
  if (!a.Arg(1).IsDate()) return ArgumentError("CMONTH", 1116, a.Raw());
  int y, m, d;
  a.Dat(1).ToYmd(y, m, d);
  return Value::String(MonthName(m));
}

}  // namespace

std::string FormatDate(Date date, std::string_view format) {
  // The digits come from the DTOS text, so the empty date gives blanks.
  const std::string ds = date.Dtos();
  std::string out;
  bool usedD = false, usedM = false, usedY = false;
  for (std::size_t i = 0; i < format.size();) {
    char c = Upper(format[i]);
    std::size_t run = 1;
    while (i + run < format.size() && Upper(format[i + run]) == c) ++run;
    i += run;
    // Field digits in the DTOS text: year 0-3, month 4-5, day 6-7.
    int first = -1, last = -1;
    bool* used = nullptr;
    if (c == 'D') first = 6, last = 7, used = &usedD;
    else if (c == 'M') first = 4, last = 5, used = &usedM;
    else if (c == 'Y') first = 0, last = 3, used = &usedY;
    if (used && !*used) {
      // Up to four digits, the field's last ones; a day or month wider than 2 gets zeros.
      std::size_t digits = run < 4 ? run : 4;
      for (std::size_t k = digits; k > 0; --k) {
        int pos = last - static_cast<int>(k) + 1;
        out += pos >= first ? ds[static_cast<std::size_t>(pos)] : (date.IsEmpty() ? ' ' : '0');
      }
      run -= digits;
      *used = true;
    }
    out.append(run, c);
  }
  return out;
}

Date ParseDate(std::string_view text, std::string_view format, int epoch) {
  // The fields' order is the order of their first letters in the format.
  int dPos = 0, mPos = 0, yPos = 0, n = 0;
  for (char ch : format) {
    char c = Upper(ch);
    if (c == 'D' && !dPos) dPos = ++n;
    else if (c == 'M' && !mPos) mPos = ++n;
    else if (c == 'Y' && !yPos) yPos = ++n;
  }
  long long d = 0, m = 0, y = 0;
  int field = 1;
  bool separated = true;  // non-digits before the first digit separate nothing
  bool anyDigit = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      long long* target = field == dPos ? &d : field == mPos ? &m : field == yPos ? &y : nullptr;
      if (target && *target < 100000) *target = *target * 10 + (c - '0');
      separated = false;
      anyDigit = true;
    } else if (!separated) {
      ++field;
      separated = true;
    }
  }
  if (!anyDigit) return Date{};
  if (y < 100) {
    y += epoch / 100 * 100;
    if (y < epoch) y += 100;
  }
  if (d > 31 || m > 12 || y > 9999) return Date{};
  return Date::FromYmd(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
}

std::string DToC(Date d) { return FormatDate(d, Sets().dateFormat); }

Date CToD(std::string_view text) { return ParseDate(text, Sets().dateFormat, Sets().epoch); }

bool LanguageIsSpanish() {
  const std::string& id = Sets().language;
  return id.size() >= 2 && Upper(id[0]) == 'E' && Upper(id[1]) == 'S';
}

std::string_view MonthName(int month) {
  if (month < 1 || month > 12) return {};
  return LanguageIsSpanish() ? kMonthsEs[month - 1] : kMonthsEn[month - 1];
}

std::string_view DayName(int dayOfWeek) {
  if (dayOfWeek < 1 || dayOfWeek > 7) return {};
  return LanguageIsSpanish() ? kDaysEs[dayOfWeek - 1] : kDaysEn[dayOfWeek - 1];
}

LocalTime CurrentLocalTime() { return g_clock ? g_clock() : SystemClock(); }

ClockFn SetClock(ClockFn clock) {
  ClockFn old = g_clock;
  g_clock = clock;
  return old;
}

void RegisterDateFunctions() {
  RegisterFunction("DATE", FnDate);
  RegisterFunction("TIME", FnTime);
  RegisterFunction("SECONDS", FnSeconds);
  RegisterFunction("CTOD", FnCToD);
  RegisterFunction("DTOC", FnDToC);
  RegisterFunction("DTOS", FnDToS);
  RegisterStringForms("DTOS", AppendDToS);
  RegisterFunction("STOD", FnSToD);
  RegisterFunction("DAY", FnDatePart<0>);
  RegisterFunction("MONTH", FnDatePart<1>);
  RegisterFunction("YEAR", FnDatePart<2>);
  RegisterFunction("DOW", FnDatePart<3>);
  RegisterFunction("CDOW", FnCDoW);
  RegisterFunction("CMONTH", FnCMonth);
}

}  // namespace xb
