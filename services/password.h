// The scrambling of the user table's passwords (`cClave`), shared with every program of the
// suite: a 9-character password becomes 10 bytes and back. The field holds these bytes as they
// are, so callers read and write it raw: never trimmed, never converted.
//
// Scrambling appends one byte taken from the clock, then walks positions 9 down to 1 adding to
// each byte the next byte (already scrambled) modulo 87, all modulo 256. Unscrambling walks 1
// to 9 subtracting the same amounts.
#pragma once

#include <string>
#include <string_view>

namespace svc {

inline constexpr std::size_t kPasswordLength = 9;
inline constexpr std::size_t kScrambledLength = 10;

// CENCRIPTA: the password (padded with blanks or cut to 9 characters) scrambled with
// `extra` as its tenth byte.
std::string cEncripta(std::string_view password, unsigned char extra);
// The same with the tenth byte from the clock: the last digit of the minutes and the two
// digits of the seconds, read as one number, modulo 256.
std::string cEncripta(std::string_view password);

// CDESENCRIPTA: the 9 characters of a scrambled password (a shorter text is taken as padded
// with blanks).
std::string cDesencripta(std::string_view scrambled);

// Registers CENCRIPTA and CDESENCRIPTA.
void RegisterPasswordFunctions();

}  // namespace svc
