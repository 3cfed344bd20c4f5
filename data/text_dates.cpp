#include "data/text_dates.h"

#include "runtime/array.h"
#include "runtime/function_table.h"

namespace data {

std::vector<std::string> aStr2Array(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  if (separator.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(separator, from);
    if (at == std::string_view::npos) {
      parts.emplace_back(text.substr(from));
      return parts;
    }
    parts.emplace_back(text.substr(from, at - from));
    from = at + separator.size();
  }
}

std::string cMes(int month) {
  static const char* const kNames[] = {"Enero ", "Febrero ", "Marzo ",     "Abril ",   "Mayo ",      "Junio ",
                                       "Julio ", "Agosto ",  "Septiembre", "Octubre ", "Noviembre ", "Diciembre "};
  return month >= 1 && month <= 12 ? kNames[month - 1] : std::string();
}

namespace {

bool IsLeap(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(long long year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

xb::Date dAddMonths(xb::Date date, long long months) {
  if (date.IsEmpty()) return date;
  int year = 0, month = 0, day = 0;
  date.ToYmd(year, month, day);
  // Months counted from year 0, carried and borrowed as whole numbers.
  const long long total = static_cast<long long>(year) * 12 + (month - 1) + months;
  long long new_year = total / 12;
  long long new_month = total % 12;
  if (new_month < 0) {
    new_month += 12;
    --new_year;
  }
  if (new_year < 1 || new_year > 9999) return xb::Date{};
  const int m = static_cast<int>(new_month) + 1;
  const int last = DaysIn(new_year, m);
  return xb::Date::FromYmd(static_cast<int>(new_year), m, day > last ? last : day);
}

void RegisterTextDates() {
  xb::RegisterFunction("ASTR2ARRAY", [](xb::Args& a) {
    xb::Array result = xb::Array::New();
    for (const std::string& part : aStr2Array(a.Str(1), a.Arg(2).IsString() ? a.Str(2) : std::string_view(",")))
      result.Append(xb::Value::String(part));
    return xb::Value(result);
  });
  xb::RegisterFunction("CMES", [](xb::Args& a) { return xb::Value::String(cMes(static_cast<int>(a.Int(1)))); });
  xb::RegisterFunction("DADDMONTHS", [](xb::Args& a) {
    return xb::Value::FromDate(dAddMonths(a.Dat(1), a.Int(2)));
  });
}

}  // namespace data
