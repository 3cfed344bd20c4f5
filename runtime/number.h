// Numbers as xBase reads, rounds and prints them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace xb {

// Reads a numeric literal of source text ("12", "0.5", "9999999999.999999") as the xBase
// compiler does: digits accumulate as an integer, as a double once they pass 64 bits, and
// the decimals divide at the end (so more than 15 significant digits round as there).
// An integer literal gives an integer value; one with a decimal point (or too large for 64
// bits) a double with as many decimals as written and an integer-part width of at least 10.
// Returns false when the text is not a number.
bool ReadNumberLiteral(std::string_view text, Value& out);

// Rounds half away from zero at `decimals` places (negative: to tens, hundreds ...),
// hiding binary noise beyond 15 significant digits as xBase does (Round(2.675, 2) = 2.68).
double RoundNumber(double d, int decimals);

// STR(n [, width [, decimals]]): right-aligned text; asterisks when it does not fit.
// Without width, the number's own width (and decimals) are used; with a width but no
// decimals, no decimals. A double shows at most 16 significant digits, then zeros
// (12345678901234567890 is "12345678901234570000"), its last digit rounded half up.
std::string NumberToStr(const Value& n, std::optional<int> width = {}, std::optional<int> decimals = {});
// The same text appended to `out` (compiled keys build their text in one buffer).
void AppendNumberStr(std::string& out, const Value& n, std::optional<int> width = {}, std::optional<int> decimals = {});

// The text of a numeric field of `size` bytes with `decimals` decimals, as STR(n, size,
// decimals) gives it, written at `out`; false, with asterisks written, when n does not fit.
bool FormatNumberField(const Value& n, int size, int decimals, char* out);

// The number as text without leading blanks (LTrim(Str(n))).
std::string NumberToText(const Value& n);

}  // namespace xb
