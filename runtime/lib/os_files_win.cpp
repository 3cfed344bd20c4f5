// The Win32 half of the operating-system seam: the ANSI file API, whose error codes are
// the ones FERROR() reports.
#include <windows.h>

#include "runtime/lib/os_files.h"
#include "runtime/lib/paths.h"

namespace xb::os {

namespace {

int LastError() {
  DWORD e = GetLastError();
  return e == 0 ? kWriteFault : static_cast<int>(e);
}

HANDLE H(Handle h) { return reinterpret_cast<HANDLE>(h); }

LocalTime ToLocal(const FILETIME& ft) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) return LocalTime{};
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

int Open(const std::string& path, int mode, Handle* out) {
  int access = mode & 3;
  DWORD desired = access == kRead ? GENERIC_READ : access == kWrite ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE;
  DWORD share;
  switch (mode & 0x70) {
    case kShareExclusive: share = 0; break;
    case kShareDenyWrite: share = FILE_SHARE_READ; break;
    case kShareDenyRead: share = FILE_SHARE_WRITE; break;
    default: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
  }
  HANDLE h = CreateFileA(path.c_str(), desired, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  *out = reinterpret_cast<Handle>(h);
  return kOk;
}

int Create(const std::string& path, int attr, Handle* out) {
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if (attr & (kAttrReadOnly | kAttrHidden | kAttrSystem)) {
    flags = 0;
    if (attr & kAttrReadOnly) flags |= FILE_ATTRIBUTE_READONLY;
    if (attr & kAttrHidden) flags |= FILE_ATTRIBUTE_HIDDEN;
    if (attr & kAttrSystem) flags |= FILE_ATTRIBUTE_SYSTEM;
  }
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  *out = reinterpret_cast<Handle>(h);
  return kOk;
}

int Read(Handle h, void* data, std::size_t size, std::size_t* got) {
  std::size_t done = 0;
  while (done < size) {
    DWORD chunk = static_cast<DWORD>(size - done > 0x40000000u ? 0x40000000u : size - done), n = 0;
    if (!ReadFile(H(h), static_cast<char*>(data) + done, chunk, &n, nullptr)) {
      *got = done;
      return LastError();
    }
    if (n == 0) break;
    done += n;
  }
  *got = done;
  return kOk;
}

int Write(Handle h, const void* data, std::size_t size, std::size_t* written) {
  std::size_t done = 0;
  while (done < size) {
    DWORD chunk = static_cast<DWORD>(size - done > 0x40000000u ? 0x40000000u : size - done), n = 0;
    if (!WriteFile(H(h), static_cast<const char*>(data) + done, chunk, &n, nullptr)) {
      *written = done;
      return LastError();
    }
    if (n == 0) break;
    done += n;
  }
  *written = done;
  return done == size ? kOk : kDiskFull;
}

int Seek(Handle h, std::int64_t offset, int origin, std::int64_t* position) {
  LARGE_INTEGER dist, pos;
  dist.QuadPart = offset;
  DWORD method = origin == 1 ? FILE_CURRENT : origin == 2 ? FILE_END : FILE_BEGIN;
  if (!SetFilePointerEx(H(h), dist, &pos, method)) return LastError();
  *position = pos.QuadPart;
  return kOk;
}

int Close(Handle h) { return CloseHandle(H(h)) ? kOk : LastError(); }

Handle StandardHandle(int which) {
  DWORD id = which == 0 ? STD_INPUT_HANDLE : which == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
  return reinterpret_cast<Handle>(GetStdHandle(id));
}

int Remove(const std::string& path) { return DeleteFileA(path.c_str()) ? kOk : LastError(); }

int Rename(const std::string& from, const std::string& to) {
  // A change of case only goes through a temporary name: not every file system applies
  // it in one step.
  if (from != to && SameName(from, to)) {
    std::string temp = to + ".~rn";
    if (!MoveFileA(from.c_str(), temp.c_str())) return LastError();
    if (MoveFileA(temp.c_str(), to.c_str())) return kOk;
    int e = LastError();
    MoveFileA(temp.c_str(), from.c_str());
    return e;
  }
  return MoveFileA(from.c_str(), to.c_str()) ? kOk : LastError();
}

int MakeDir(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) ? kOk : LastError(); }

int RemoveDir(const std::string& path) { return RemoveDirectoryA(path.c_str()) ? kOk : LastError(); }

int ChangeDir(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) ? kOk : LastError(); }

std::string CurrentDir() {
  DWORD n = GetCurrentDirectoryA(0, nullptr);
  std::string s(n, '\0');
  n = GetCurrentDirectoryA(n, s.data());
  s.resize(n);
  return s;
}

int ListDir(const std::string& folder, std::vector<DirEntry>* out) {
  std::string mask = folder;
  if (!mask.empty() && mask.back() != '\\' && mask.back() != '/' && mask.back() != ':') mask += '\\';
  mask += '*';
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA(mask.c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) {
    int e = LastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES ? kOk : e;
  }
  do {
    DirEntry e;
    e.name = fd.cFileName;
    e.directory = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    e.size = e.directory ? 0 : (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    e.modified = ToLocal(fd.ftLastWriteTime);
    e.hidden = fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN;
    e.system = fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM;
    e.readOnly = fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    e.archive = fd.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE;
    out->push_back(std::move(e));
  } while (FindNextFileA(f, &fd));
  FindClose(f);
  return kOk;
}

int Stat(const std::string& path, DirEntry* out) {
  WIN32_FILE_ATTRIBUTE_DATA fa;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa)) return LastError();
  std::size_t cut = path.find_last_of("\\/:");
  out->name = cut == std::string::npos ? path : path.substr(cut + 1);
  out->directory = fa.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
  out->size = out->directory ? 0 : (static_cast<std::uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
  out->modified = ToLocal(fa.ftLastWriteTime);
  out->hidden = fa.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN;
  out->system = fa.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM;
  out->readOnly = fa.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
  out->archive = fa.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE;
  return kOk;
}

std::optional<std::string> GetEnv(std::string_view name) {
  std::string n(name);
  DWORD size = GetEnvironmentVariableA(n.c_str(), nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::string v(size, '\0');
  size = GetEnvironmentVariableA(n.c_str(), v.data(), size);
  v.resize(size);
  return v;
}

void Beep(int frequency, int milliseconds) {
  ::Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(milliseconds));
}

}  // namespace xb::os
