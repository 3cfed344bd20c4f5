// String comparison as xBase does it, in one place so that the code page's collation can
// be plugged in. CompareStrings follows SET EXACT: with EXACT off the right operand
// decides the length ("ABC" = "AB" is true, "AB" = "ABC" false, anything = "" true); with
// EXACT on trailing blanks are ignored. `==` uses exact = true: lengths must match.
// Characters are compared by the collation weights of the current code page (SET
// CODEPAGE / codepage.h: "EN" is byte order, "ESWIN" the Spanish order), unless a
// collation is installed with SetCollation.
#pragma once

#include <string_view>

namespace xb {

// Compares two equally long byte runs; <0, 0 or >0.
using CollationFn = int (*)(std::string_view a, std::string_view b);

// Installs a collation (nullptr: the current code page's); returns the previous one.
CollationFn SetCollation(CollationFn fn);

// <0, 0, >0 as xBase compares strings; forceExact for `==`.
int CompareStrings(std::string_view a, std::string_view b, bool forceExact);

}  // namespace xb
