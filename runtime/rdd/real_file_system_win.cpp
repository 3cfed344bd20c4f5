// Windows files through the C runtime: _sopen's share flags are CreateFile's share modes,
// _locking is LockFile (locks belong to the handle, are enforced against every other
// handle and vanish with it), and _doserrno keeps the system's own error number.
// std::filesystem::rename replaces the target in one step (MoveFileEx).
#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <share.h>
#include <sys/locking.h>
#include <sys/stat.h>
#include <string>
#include <system_error>

#include "runtime/rdd/file_system.h"

// The one system call the C runtime has no form of that leaves the descriptor free.
extern "C" __declspec(dllimport) int __stdcall FlushFileBuffers(void* file);

namespace xb::rdd {
namespace {

int LastOsCode(int fallback) {
  const unsigned long dos = _doserrno;
  if (dos != 0) return static_cast<int>(dos);
  switch (errno) {
    case ENOENT: return os_error::kFileNotFound;
    case EMFILE: return os_error::kTooManyOpenFiles;
    case EACCES: return os_error::kAccessDenied;
    case EEXIST: return os_error::kFileExists;
    case ENOSPC: return os_error::kDiskFull;
    default: return fallback;
  }
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

Status LastError(const char* what, int fallback) {
  const int code = LastOsCode(fallback);
  return Status::Io(code, std::string(what) + ": " + OsErrorText(code));
}

class WinFile final : public File {
 public:
  WinFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
  ~WinFile() override { _close(fd_); }

  Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) override {
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
      if (!Seek(offset + done)) return LastError("lectura", os_error::kReadFault);
      const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size - done, 1u << 30));
      _doserrno = 0;
      const int n = _read(fd_, p + done, chunk);
      if (n < 0) {
        if (_doserrno == os_error::kLockViolation)
          return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario");
        return LastError("lectura", os_error::kReadFault);
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    *got = done;
    return Status();
  }

  Status Write(std::uint64_t offset, const void* data, std::size_t size) override {
    if (!writable_) return Status::Io(os_error::kAccessDenied, "escritura: acceso denegado");
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
      if (!Seek(offset + done)) return LastError("escritura", os_error::kWriteFault);
      const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size - done, 1u << 30));
      _doserrno = 0;
      const int n = _write(fd_, p + done, chunk);
      if (n <= 0) {
        if (_doserrno == os_error::kLockViolation)
          return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario");
        return LastError("escritura", os_error::kWriteFault);
      }
      done += static_cast<std::size_t>(n);
    }
    return Status();
  }

  Status Size(std::uint64_t* size) override {
    _doserrno = 0;
    const long long n = _filelengthi64(fd_);
    if (n < 0) return LastError("tamaño", os_error::kReadFault);
    *size = static_cast<std::uint64_t>(n);
    return Status();
  }

  Status Truncate(std::uint64_t size) override {
    _doserrno = 0;
    if (_chsize_s(fd_, static_cast<long long>(size)) != 0) return LastError("truncar", os_error::kWriteFault);
    return Status();
  }

  // Through the system's handle: the C runtime's _commit holds the descriptor's lock while
  // it flushes, which would stop reads of the same file on other threads.
  Status Sync() override {
    void* handle = reinterpret_cast<void*>(_get_osfhandle(fd_));
    if (handle == reinterpret_cast<void*>(-1) || !FlushFileBuffers(handle))
      return Status::Io(os_error::kWriteFault, "sincronizar: " + OsErrorText(os_error::kWriteFault));
    return Status();
  }

  Status Lock(std::uint64_t offset, std::uint64_t length, bool /*exclusive*/) override {
    return RangeLock(_LK_NBLCK, offset, length);
  }
  Status Unlock(std::uint64_t offset, std::uint64_t length) override {
    return RangeLock(_LK_UNLCK, offset, length);
  }

 private:
  bool Seek(std::uint64_t offset) {
    _doserrno = 0;
    return _lseeki64(fd_, static_cast<long long>(offset), SEEK_SET) >= 0;
  }

  Status RangeLock(int mode, std::uint64_t offset, std::uint64_t length) {
    if (length > static_cast<std::uint64_t>(LONG_MAX))
      return Status::Error(StatusCode::kInvalid, "zona de bloqueo demasiado grande");
    if (!Seek(offset)) return LastError("bloqueo", os_error::kLockViolation);
    _doserrno = 0;
    errno = 0;
    if (_locking(fd_, mode, static_cast<long>(length)) == 0) return Status();
    // LockFile fails for a lock violation; not every C runtime says so in errno.
    if (mode != _LK_UNLCK && errno != EBADF)
      return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario");
    return LastError("desbloqueo", os_error::kLockViolation);
  }

  int fd_;
  bool writable_;
};

class WinFileSystem final : public FileSystem {
 public:
  Status Open(const std::string& path, const OpenOptions& options,
              std::unique_ptr<File>* file) override {
    int flags = _O_BINARY | _O_NOINHERIT | (options.access == Access::kRead ? _O_RDONLY : _O_RDWR);
    if (options.create) flags |= _O_CREAT;
    if (options.create && options.must_not_exist) flags |= _O_EXCL;
    if (options.truncate) flags |= _O_TRUNC;  // CreateFile checks sharing before it truncates
    const int share = options.share == Share::kExclusive ? _SH_DENYRW : _SH_DENYNO;
    _doserrno = 0;
    const int fd = _sopen(path.c_str(), flags, share, _S_IREAD | _S_IWRITE);
    if (fd < 0) return LastError("apertura", os_error::kAccessDenied);
    *file = std::make_unique<WinFile>(fd, options.access == Access::kReadWrite);
    return Status();
  }

  Status Remove(const std::string& path) override {
    _doserrno = 0;
    if (std::remove(path.c_str()) != 0) return LastError("borrar", os_error::kAccessDenied);
    return Status();
  }

  Status Rename(const std::string& from, const std::string& to) override {
    std::error_code ec;
    std::filesystem::rename(WidePath(from), WidePath(to), ec);
    if (!ec) return Status();
    const int code = ec.value() == ENOENT ? os_error::kFileNotFound : os_error::kAccessDenied;
    return Status::Io(code, "renombrar: " + OsErrorText(code));
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
