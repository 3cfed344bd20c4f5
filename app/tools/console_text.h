// Text of the program's tools for the console: the program's strings are Windows-1252;
// a POSIX terminal wants UTF-8, a Windows console its own code page.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace app {

// The program's text as the stream `out` is read: a Windows console gets it as Unicode, a
// file or pipe in the console's code page; under Wine, a file or pipe goes to a POSIX
// program and gets UTF-8, as does every stream of a POSIX build.
void Put(std::FILE* out, std::string_view text);

// printf to a console stream, in the console's text.
[[gnu::format(printf, 2, 3)]] void Say(std::FILE* out, const char* format, ...);

// The code page Put writes a file or pipe in.
constexpr unsigned kUtf8 = 65001;
unsigned StreamCodePage();

}  // namespace app
