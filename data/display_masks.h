// Display masks (pictures) of prices and results: the digit groups of a number of integer
// digits, and the turning of a pesetas picture into a euro one and back.
#pragma once

#include <string>
#include <string_view>

namespace data {

enum class MaskKind { kPrice = 1, kResult = 2 };

// The masks used when no currency or company setting gives one.
inline constexpr std::string_view kDefaultPriceMask = "@E 9,999,999,999.999999";
inline constexpr std::string_view kDefaultResultMask = "@E 999,999,999,999.999";
inline constexpr std::string_view kDefaultResultMaskZero = "@EZ 999,999,999,999.999";

// True when a mask of that kind can be built for that many integer digits: 3 to 10 for
// prices, 5 to 12 for results.
bool MaskDigitsInRange(MaskKind kind, int integers);

// MAKEMASK: "@E " ("@EZ " with blank_zero) + the integer digits in groups of three
// ("9,999,999") + "." and the decimals' nines; the kind's default mask when the integer
// digits are out of range.
std::string MakeMask(MaskKind kind, int integers, int decimals, bool blank_zero = false);

// CMASEURO. With `to_euros`, the picture's nines are laid out again as a euro amount: two
// decimals and groups of three ("@E 99,999,999" becomes "@E 999,999.99"); without it, the
// decimals go and two more integer digits come in front ("@E 9,999.99" becomes
// "@E 999,999").
std::string cMasEuro(std::string_view picture, bool to_euros);

}  // namespace data
