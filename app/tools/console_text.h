// Text of the program's tools for the console: the program's strings are Windows-1252;
// a POSIX terminal wants UTF-8, a Windows console its OEM code page (850 in Spain).
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/codepage.h"
#include "runtime/xbeval/cp1252.h"

namespace app {

inline std::string ForConsole(std::string_view text) {
#if defined(_WIN32)
  return xb::AnsiToOem(text);  // a console shows the OEM code page
#else
  return xb::xbeval::Cp1252ToUtf8(text);
#endif
}

// printf to a console stream, in the console's text.
[[gnu::format(printf, 2, 3)]] inline void Say(std::FILE* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  std::fputs(ForConsole(buffer).c_str(), out);
}

}  // namespace app
