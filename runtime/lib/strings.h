// String functions of the library for C++ callers, with xBase's rules: positions are
// 1-based and out-of-range positions and lengths are clipped, never an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace xb {

// SUBSTR: start 0 is 1; a negative start counts from the end.
std::string_view SubStr(std::string_view s, std::int64_t start, std::int64_t count = INT64_MAX);
std::string_view Left(std::string_view s, std::int64_t count);
std::string_view Right(std::string_view s, std::int64_t count);
// AT with the search limited to positions start..end (1-based, inclusive); 0 = not found.
std::size_t At(std::string_view needle, std::string_view haystack, std::int64_t start = 1,
               std::int64_t end = INT64_MAX);
std::size_t RAt(std::string_view needle, std::string_view haystack);
// STUFF: deletes `del` characters at `start` and inserts `insert` there.
std::string Stuff(std::string_view s, std::int64_t start, std::int64_t del, std::string_view insert);
// STRTRAN: replaces occurrences start, start+1 ... (count of them; -1 = all).
std::string StrTran(std::string_view s, std::string_view search, std::string_view replace,
                    std::int64_t start = 1, std::int64_t count = -1);
std::string PadR(std::string_view s, std::int64_t width, char fill = ' ');
std::string PadL(std::string_view s, std::int64_t width, char fill = ' ');
std::string PadC(std::string_view s, std::int64_t width, char fill = ' ');
// RTRIM/TRIM drop trailing blanks; LTRIM drops leading white space (blank, tab, CR, LF ...).
std::string_view RTrim(std::string_view s);
std::string_view LTrim(std::string_view s);
std::string_view AllTrim(std::string_view s);
// DESCEND of a string: each byte b becomes 256 - b, so the text sorts in reverse.
std::string Descend(std::string_view s);
// The text PADR/PADL/PADC pad: strings as they are, numbers as STR without leading
// blanks, dates as DTOC; false for other types.
bool PadText(const Value& v, std::string& out);

// Strings the library builds are refused above this size ("String overflow").
constexpr std::size_t kMaxLibraryString = 256u << 20;

}  // namespace xb
