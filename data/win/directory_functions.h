// The current directory and short path names as the program asks Windows for them:
// GETCURRENTDIRECTORY and SETCURRENTDIRECTORY bind their kernel function at the time of each
// call (load "Kernel32", look the function up by name, call it, free the library), and
// GETPATHSHORT gives the short (8.3) form of a path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace data {

// GETCURRENTDIRECTORY (named apart from the Windows macros): GetCurrentDirectoryA with a
// buffer of `length` bytes. Windows' answer (the length of the folder, or the length it
// needs when the buffer is too small); the folder in `folder` when it fitted.
std::uint32_t GetCurrentDir(std::uint32_t length, std::string* folder);
// SETCURRENTDIRECTORY: SetCurrentDirectoryA; true when Windows made the folder current.
bool SetCurrentDir(std::string_view folder);
// GETPATHSHORT / PATHCORTO: the short form of the path, without trailing blanks; empty when
// Windows does not know the path.
std::string GetPathShort(std::string_view path);

// Registers GETCURRENTDIRECTORY, SETCURRENTDIRECTORY, GETPATHSHORT and PATHCORTO.
void RegisterDirectoryFunctions();

}  // namespace data
