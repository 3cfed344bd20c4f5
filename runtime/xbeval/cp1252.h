// Conversion between UTF-8 (files and terminals) and Windows-1252 (the runtime's strings).
#pragma once

#include <string>
#include <string_view>

namespace xb::xbeval {

// UTF-8 to Windows-1252; characters the code page lacks (and invalid UTF-8) become '?'.
std::string Utf8ToCp1252(std::string_view utf8);
// Windows-1252 to UTF-8; the five unassigned bytes map to the C1 controls of their value.
std::string Cp1252ToUtf8(std::string_view cp1252);

}  // namespace xb::xbeval
