// Number functions of the library for C++ callers (STR, ROUND and the literal reader are
// in runtime/number.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace xb {

// VAL: reads leading blanks, a sign, digits and one decimal point, and stops at anything
// else ("  -1,5" is -1, "1e3" is 1). The result is as wide as the text and has as many
// decimals as it shows, so Str(Val("12.50")) is "12.50".
Value Val(std::string_view text);
// STRZERO: STR with the leading blanks as zeros and the sign first ("-005").
std::string StrZero(const Value& n, std::optional<int> width = {}, std::optional<int> decimals = {});
// EMPTY: NIL, blank text, 0, the empty date, .F. and the empty array.
bool IsEmptyValue(const Value& v);

}  // namespace xb
