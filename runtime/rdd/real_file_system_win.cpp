// Windows files through the system's own handles: the file pointer moves only when a read or
// write does not start where the last one ended, share modes are CreateFile's, byte-range locks are
// LockFile's (they belong to the handle, are enforced against every other handle and vanish
// with it), and the error numbers are the system's own. std::filesystem::rename replaces the
// target in one step (MoveFileEx); a file created exclusively is renamed through its own handle,
// which spares opening it again. Each call on a handle can be a round trip to another process
// (Wine's server), so none is made that changes nothing.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "runtime/rdd/file_system.h"

namespace xb::rdd {
namespace {

int LastOsCode(int fallback) {
  const DWORD code = GetLastError();
  return code != 0 ? static_cast<int>(code) : fallback;
}

// Paths are ANSI (Windows-1252) text, as every name the system handles; std::filesystem
// takes them as UTF-16 so no locale-dependent conversion touches accented letters.
std::filesystem::path WidePath(const std::string& path) {
  static const wchar_t k80[32] = {
      0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::wstring wide;
  wide.reserve(path.size());
  for (unsigned char c : path) wide.push_back(c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : wchar_t(c));
  return std::filesystem::path(wide);
}

// The absolute form of a path, as a rename through a handle needs it; empty when it has none.
std::wstring FullPath(const std::string& path) {
  const std::wstring wide = WidePath(path).wstring();
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::wstring();
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (written == 0 || written >= n) return std::wstring();
  full.resize(written);
  return full;
}

Status LastError(const char* what, int fallback) {
  const int code = LastOsCode(fallback);
  return Status::Io(code, std::string(what) + ": " + OsErrorText(code));
}

constexpr DWORD kMaxChunk = 1u << 30;

class WinFile final : public File {
 public:
  WinFile(HANDLE handle, bool writable, bool deletable)
      : handle_(handle), writable_(writable), deletable_(deletable) {}
  ~WinFile() override { CloseHandle(handle_); }

  Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) override {
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, kMaxChunk));
      DWORD n = 0;
      if (!Seek(offset + done) || !ReadFile(handle_, p + done, chunk, &n, nullptr)) {
        position_ = kUnknown;
        if (GetLastError() == ERROR_LOCK_VIOLATION)
          return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario");
        return LastError("lectura", os_error::kReadFault);
      }
      position_ += n;
      if (n == 0) break;
      done += n;
    }
    *got = done;
    return Status();
  }

  Status Write(std::uint64_t offset, const void* data, std::size_t size) override {
    if (!writable_) return Status::Io(os_error::kAccessDenied, "escritura: acceso denegado");
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, kMaxChunk));
      DWORD n = 0;
      if (!Seek(offset + done) || !WriteFile(handle_, p + done, chunk, &n, nullptr) || n == 0) {
        position_ = kUnknown;
        if (GetLastError() == ERROR_LOCK_VIOLATION)
          return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario");
        return LastError("escritura", os_error::kWriteFault);
      }
      position_ += n;
      done += n;
    }
    return Status();
  }

  Status Size(std::uint64_t* size) override {
    LARGE_INTEGER n;
    if (!GetFileSizeEx(handle_, &n)) return LastError("tamaño", os_error::kReadFault);
    *size = static_cast<std::uint64_t>(n.QuadPart);
    return Status();
  }

  // Longer: the new bytes read as zeros. A file already of that size is left alone (the size
  // is known without the round trip that setting it takes).
  Status Truncate(std::uint64_t size) override {
    std::uint64_t now = 0;
    if (Size(&now).ok() && now == size) return Status();
    FILE_END_OF_FILE_INFO end;
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end))
      return LastError("truncar", os_error::kWriteFault);
    return Status();
  }

  Status Sync() override {
    if (!FlushFileBuffers(handle_))
      return Status::Io(os_error::kWriteFault, "sincronizar: " + OsErrorText(os_error::kWriteFault));
    return Status();
  }

  // Without waiting; where the system offers no shared lock (LockFile) it is taken exclusively.
  Status Lock(std::uint64_t offset, std::uint64_t length, bool /*exclusive*/) override {
    if (LockFile(handle_, Low(offset), High(offset), Low(length), High(length))) return Status();
    if (GetLastError() == ERROR_INVALID_HANDLE) return LastError("bloqueo", os_error::kLockViolation);
    return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario");
  }
  Status Unlock(std::uint64_t offset, std::uint64_t length) override {
    if (UnlockFile(handle_, Low(offset), High(offset), Low(length), High(length))) return Status();
    return LastError("desbloqueo", os_error::kLockViolation);
  }

  // Gives the file the full path `to`, replacing a file there; false when the handle cannot
  // (opened without the right to) or the system refused.
  bool RenameTo(const std::wstring& to) {
    if (!deletable_ || to.empty()) return false;
    std::string buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t), '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
    return SetFileInformationByHandle(handle_, FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
  }

 private:
  static constexpr std::uint64_t kUnknown = ~std::uint64_t{0};
  static DWORD Low(std::uint64_t n) { return static_cast<DWORD>(n); }
  static DWORD High(std::uint64_t n) { return static_cast<DWORD>(n >> 32); }

  // Most reads and writes go on where the last one ended: the pointer is then where it must be.
  bool Seek(std::uint64_t offset) {
    if (offset == position_) return true;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) return false;
    position_ = offset;
    return true;
  }

  HANDLE handle_;
  bool writable_;
  bool deletable_;  // opened with the right to rename it
  std::uint64_t position_ = 0;  // of the file pointer, as the last call left it
};

class WinFileSystem final : public FileSystem {
 public:
  Status Open(const std::string& path, const OpenOptions& options,
              std::unique_ptr<File>* file) override {
    const bool writable = options.access == Access::kReadWrite;
    // Creating with truncation, CreateFile checks sharing before it empties the file.
    DWORD disposition = OPEN_EXISTING;
    if (options.create) disposition = options.must_not_exist ? CREATE_NEW : options.truncate ? CREATE_ALWAYS : OPEN_ALWAYS;
    else if (options.truncate) disposition = TRUNCATE_EXISTING;
    const DWORD share = options.share == Share::kExclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    SECURITY_ATTRIBUTES not_inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    auto create = [&](DWORD rights) {
      return CreateFileA(path.c_str(), rights, share, &not_inherited, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    // A file created for this handle alone (a pack's or an index's new file, written aside) may
    // be renamed through it: no other handle can be open on it. Refused only that right, it is
    // opened as ever.
    const bool may_rename = writable && options.create && share == 0;
    HANDLE handle = may_rename ? create(access | DELETE) : INVALID_HANDLE_VALUE;
    const bool deletable = handle != INVALID_HANDLE_VALUE;
    if (!deletable && (!may_rename || GetLastError() == ERROR_ACCESS_DENIED)) handle = create(access);
    if (handle == INVALID_HANDLE_VALUE) return LastError("apertura", os_error::kAccessDenied);
    *file = std::make_unique<WinFile>(handle, writable, deletable);
    return Status();
  }

  Status Remove(const std::string& path) override {
    if (!DeleteFileA(path.c_str())) return LastError("borrar", os_error::kAccessDenied);
    return Status();
  }

  Status Rename(const std::string& from, const std::string& to) override {
    std::error_code ec;
    std::filesystem::rename(WidePath(from), WidePath(to), ec);
    if (!ec) return Status();
    const int code = ec.value() == ENOENT ? os_error::kFileNotFound : os_error::kAccessDenied;
    return Status::Io(code, "renombrar: " + OsErrorText(code));
  }

  // Through the handle when it may, else closed and renamed by name (also when the handle's
  // rename was refused: the by-name one then tells why).
  Status RenameAndClose(std::unique_ptr<File> file, const std::string& from, const std::string& to) override {
    auto* win = dynamic_cast<WinFile*>(file.get());
    const bool renamed = win && win->RenameTo(FullPath(to));
    file.reset();
    return renamed ? Status() : Rename(from, to);
  }

  bool Exists(const std::string& path) override {
    std::error_code ec;
    return std::filesystem::is_regular_file(WidePath(path), ec);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static WinFileSystem fs;
  return fs;
}

}  // namespace xb::rdd
