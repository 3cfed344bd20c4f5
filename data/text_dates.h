// Small helpers of texts and dates: a text split at a separator, the Spanish month names,
// whole months added to a date.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/date.h"

namespace data {

// ASTR2ARRAY: the parts of `text` between the occurrences of `separator` (an empty part
// where two meet or at an end; the whole text when it does not occur).
std::vector<std::string> aStr2Array(std::string_view text, std::string_view separator = ",");

// CMES: the month's Spanish name, padded as the listings print it ("Enero ", "Septiembre");
// empty for a number outside 1 to 12.
std::string cMes(int month);

// DADDMONTHS: the date `months` months later (earlier when negative), the day kept or,
// when the target month is shorter, its last day. The empty date stays empty.
xb::Date dAddMonths(xb::Date date, long long months);

// Registers ASTR2ARRAY, CMES and DADDMONTHS.
void RegisterTextDates();

}  // namespace data
