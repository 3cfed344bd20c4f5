// Windows path rules for the file functions: folder and name parts, names compared
// without regard to case (Windows-1252 letters included), and the DOS wildcards.
#pragma once

#include <string>
#include <string_view>

namespace xb {

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
// The length of the folder part of a path, drive and last separator included
// ("..\DBF*." -> 3, "C:x.txt" -> 2, "x.txt" -> 0).
std::size_t FolderLength(std::string_view path);
bool HasWildcards(std::string_view name);
// Names as Windows compares them: without regard to case.
bool SameName(std::string_view a, std::string_view b);
// "A" < "b": the order DIRECTORY lists names in.
bool NameLess(std::string_view a, std::string_view b);
// DOS wildcards: "*" any run, "?" one character (or none at the end of the name or before
// its dot), "*.*" everything, a pattern ending in "." only names without an extension
// ("DBF*." finds the folders DBF, DBF01 ... but not DBF.OLD).
bool MatchesWildcard(std::string_view name, std::string_view pattern);
// The name with SET DEFAULT's folder in front when it has no folder of its own.
std::string WithDefaultFolder(std::string_view name);

}  // namespace xb
