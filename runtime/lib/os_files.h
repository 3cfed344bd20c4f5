// The operating system under the file and environment functions: one small interface with
// a POSIX half and a Win32 half (os_files_posix.cpp, os_files_win.cpp; only one is
// built). Paths are xBase paths as programs write them, in Windows form and Windows-1252
// ("..\DBF01\Clientes.Dbf"); the POSIX half accepts "\" and "/" as separators, takes
// "C:" as the root, and finds each part of a path without regard to case, so the same
// program and the same tests run natively.
//
// Every call answers a Windows error code as FERROR() gives it: 0 on success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/lib/dates.h"

namespace xb::os {

enum ErrorCode : int {
  kOk = 0,
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kInvalidHandle = 6,
  kNotSameDevice = 17,
  kWriteFault = 29,
  kReadFault = 30,
  kSharingViolation = 32,
  kLockViolation = 33,
  kFileExists = 80,
  kInvalidParameter = 87,
  kDiskFull = 112,
  kNegativeSeek = 131,
  kDirNotEmpty = 145,
  kAlreadyExists = 183,
};

// FOPEN modes: access in the low bits, sharing in bits 4-6.
enum OpenMode : int {
  kRead = 0, kWrite = 1, kReadWrite = 2,
  kShareCompat = 0x00, kShareExclusive = 0x10, kShareDenyWrite = 0x20, kShareDenyRead = 0x30,
  kShareDenyNone = 0x40,
};

// FCREATE attributes.
enum CreateAttr : int { kAttrNormal = 0, kAttrReadOnly = 1, kAttrHidden = 2, kAttrSystem = 4 };

using Handle = std::intptr_t;

int Open(const std::string& path, int mode, Handle* out);
// Creates or empties the file and opens it for reading and writing, exclusively.
int Create(const std::string& path, int attr, Handle* out);
int Read(Handle h, void* data, std::size_t size, std::size_t* got);
int Write(Handle h, const void* data, std::size_t size, std::size_t* written);
// origin 0 = from the start, 1 = from the current position, 2 = from the end.
int Seek(Handle h, std::int64_t offset, int origin, std::int64_t* position);
int Close(Handle h);
// The handle of stdin (0), stdout (1) or stderr (2).
Handle StandardHandle(int which);

int Remove(const std::string& path);
// Fails with kAlreadyExists when `to` exists (unless it is `from` written in another case).
int Rename(const std::string& from, const std::string& to);
int MakeDir(const std::string& path);
int RemoveDir(const std::string& path);
int ChangeDir(const std::string& path);
// The current directory in Windows form, drive first ("C:\VDR\BIN"); natively "C:" and
// the POSIX path with backslashes.
std::string CurrentDir();

struct DirEntry {
  std::string name;
  std::uint64_t size = 0;
  LocalTime modified;
  bool directory = false, hidden = false, system = false, readOnly = false, archive = false;
};
// The entries of a folder ("" = the current one), "." and ".." included where the system
// lists them.
int ListDir(const std::string& folder, std::vector<DirEntry>* out);

// The entry of one file or folder (no wildcards).
int Stat(const std::string& path, DirEntry* out);

std::optional<std::string> GetEnv(std::string_view name);
// A sound of `frequency` Hz for `milliseconds` (nothing where there is no speaker).
void Beep(int frequency, int milliseconds);

}  // namespace xb::os
