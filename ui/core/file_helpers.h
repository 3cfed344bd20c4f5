// The framework's file-name helpers, file information, logs and the procedure stack's log.
// File names are taken apart at the last backslash (or after a drive "X:"), and given back
// in upper case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace ui {

std::string CFileDisc(std::string_view name);     // "X:" or ""
std::string CFilePath(std::string_view name);     // up to and with the last "\"; else drive + "\"
std::string CFileName(std::string_view name);     // after the last "\" or the drive
std::string CFileMask(std::string_view name);     // the name part when it has "*" or "?"
std::string CFileNoExt(std::string_view name);    // the name part up to its first "."
std::string CFileExt(std::string_view name);      // after the last "." of the name part
std::string CFileSubDir(std::string_view folder); // CFilePath without its last "\"

// True when the folder exists; the current folder does not change.
bool LIsDir(const std::string& folder);
// The first prefix + number + "." + extension that does not exist, numbering from 1.
std::string CNewFileName(const std::string& prefix, const std::string& extension);
// hhmmss of now, or the next number above it whose file does not exist.
std::string CTempFile();

// Appends date + " " + time + ": " + each value as text and a tab, then CR LF.
void LogFile(const std::string& file, const std::vector<xb::Value>& values);
// Appends the procedure stack to "stack.txt", the innermost call `skip` levels up first.
void LogStack(int skip = 0);

void RegisterFileHelpers();

}  // namespace ui
