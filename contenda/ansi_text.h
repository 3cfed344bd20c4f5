// Text conversion between the exports' ANSI strings and OLE's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace contenda {

// The exports take and give text in the ANSI code page of the calling thread's locale.
// A null pointer reads as empty text. Raises ComError when Windows cannot convert.
std::wstring WideFromAnsi(const char* text);
std::string AnsiFromWide(std::wstring_view text);

}  // namespace contenda
