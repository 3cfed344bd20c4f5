// Code pages of the runtime: case mapping, letter classes and collation of single-byte text.
//
// Two code pages exist: "EN" (plain ASCII letters, byte order) and "ESWIN" (Spanish Windows-1252:
// ñ, Ñ and the accented vowels are letters with case, and sort right after their plain letter).
// The collation is a weight per byte; every byte has its own weight, so comparing weights orders
// text exactly as the index files written with that code page are ordered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xb {

struct CodePage {
  const char* id;                // "EN", "ESWIN"
  unsigned char upper[256];      // upper-case form of each byte
  unsigned char lower[256];      // lower-case form of each byte
  unsigned char weight[256];     // collation weight; a permutation of 0..255
  unsigned char flags[256];      // kAlpha | kUpper | kLower | kDigit
  static constexpr unsigned char kAlpha = 1, kUpper = 2, kLower = 4, kDigit = 8;
};

// The code page by id (case-insensitive), or nullptr.
const CodePage* FindCodePage(std::string_view id);
const CodePage& CodePageEn();
const CodePage& CodePageEsWin();

// The process's current code page (HB_SETCODEPAGE). Starts as "EN".
const CodePage& CurrentCodePage();
// Selects a code page by id; returns the id that was current before, or "" when the id is unknown
// (the current one is then kept).
std::string SetCodePage(std::string_view id);

inline unsigned char UpperChar(const CodePage& cp, unsigned char c) { return cp.upper[c]; }
inline unsigned char LowerChar(const CodePage& cp, unsigned char c) { return cp.lower[c]; }
inline bool IsAlphaChar(const CodePage& cp, unsigned char c) { return cp.flags[c] & CodePage::kAlpha; }
inline bool IsUpperChar(const CodePage& cp, unsigned char c) { return cp.flags[c] & CodePage::kUpper; }
inline bool IsLowerChar(const CodePage& cp, unsigned char c) { return cp.flags[c] & CodePage::kLower; }
inline bool IsDigitChar(unsigned char c) { return c >= '0' && c <= '9'; }

std::string Upper(const CodePage& cp, std::string_view text);
std::string Lower(const CodePage& cp, std::string_view text);

// Compares n bytes by collation weight: <0, 0, >0.
int CollateBytes(const CodePage& cp, const unsigned char* a, const unsigned char* b, std::size_t n);
// Compares two texts by collation weight; a text that is a prefix of the other sorts first.
int Collate(const CodePage& cp, std::string_view a, std::string_view b);

// Windows-1252 text to OEM code page 850 and back (HB_ANSITOOEM / HB_OEMTOANSI). Characters the
// other code page lacks become their nearest form (accent dropped, box lines as - | +) or "?".
std::string AnsiToOem(std::string_view text);
std::string OemToAnsi(std::string_view text);

}  // namespace xb
