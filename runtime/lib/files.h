// File functions of the library for C++ callers, with xBase's behaviour (paths in
// Windows form, FERROR codes); see os_files.h for how paths are taken natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"

namespace xb {

// FERROR(): the Windows error code of the last file function (0 = it worked).
int FileError();

// FILE(): a file (not a folder) matches the name, wildcards allowed. A name without a
// folder is looked for in SET DEFAULT's folder (the current one when it is empty) and
// then in each folder of SET PATH.
bool FileExists(std::string_view name);
// MEMOREAD: the file's bytes without a final end-of-file mark (CHR(26)); nullopt when it
// cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view name);
// MEMOWRIT: writes the text (and CHR(26) after it when eofMark); false when it fails.
bool WriteWholeFile(std::string_view name, std::string_view text, bool eofMark = true);
// DIRECTORY: {name, size, date, time, attributes} of each match, folders with "D", hidden
// entries with "H", system ones with "S"; sorted by name as Windows compares names.
Array Directory(std::string_view mask, std::string_view attributes);

}  // namespace xb
