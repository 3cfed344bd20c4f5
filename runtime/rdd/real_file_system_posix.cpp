// POSIX files with Windows' sharing meaning: a shared open holds a shared flock() on the
// file, an exclusive open an exclusive one. Byte-range locks are open-file-description
// locks, which belong to the handle (as on Windows) rather than to the process, so two
// work areas of one process on one table see each other's locks, and closing one handle
// never drops the locks of another.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/rdd/file_system.h"

namespace xb::rdd {
namespace {

int OsCodeFromErrno(int err) {
  switch (err) {
    case ENOENT: return os_error::kFileNotFound;
    case ENOTDIR: return os_error::kPathNotFound;
    case EMFILE:
    case ENFILE: return os_error::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return os_error::kAccessDenied;
    case EEXIST: return os_error::kFileExists;
    case ENOSPC:
    case EDQUOT: return os_error::kDiskFull;
    case EAGAIN: return os_error::kLockViolation;
    default: return os_error::kWriteFault;
  }
}

Status FromErrno(int err, const char* what) {
  const int code = OsCodeFromErrno(err);
  return Status::Io(code, std::string(what) + ": " + OsErrorText(code));
}

bool FolderExists(const std::string& path) {
  std::string folder = PathFolder(path);
  if (folder.empty()) return true;
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }

  Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) override {
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pread(fd_, p + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return FromErrno(errno, "lectura");
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    *got = done;
    return Status();
  }

  Status Write(std::uint64_t offset, const void* data, std::size_t size) override {
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(fd_, p + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return FromErrno(errno, "escritura");
      }
      done += static_cast<std::size_t>(n);
    }
    return Status();
  }

  Status Size(std::uint64_t* size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return FromErrno(errno, "tamaño");
    *size = static_cast<std::uint64_t>(st.st_size);
    return Status();
  }

  Status Truncate(std::uint64_t size) override {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return FromErrno(errno, "truncar");
    return Status();
  }

  Status Sync() override {
    if (::fdatasync(fd_) != 0) return FromErrno(errno, "sincronizar");
    return Status();
  }

  Status Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
    return RangeLock(exclusive ? F_WRLCK : F_RDLCK, offset, length);
  }
  Status Unlock(std::uint64_t offset, std::uint64_t length) override {
    return RangeLock(F_UNLCK, offset, length);
  }

 private:
  Status RangeLock(short type, std::uint64_t offset, std::uint64_t length) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return Status();
    if (errno == EAGAIN || errno == EACCES)
      return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario");
    return FromErrno(errno, "bloqueo");
  }

  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  Status Open(const std::string& path, const OpenOptions& options,
              std::unique_ptr<File>* file) override {
    int flags = O_CLOEXEC | (options.access == Access::kRead ? O_RDONLY : O_RDWR);
    if (options.create) flags |= O_CREAT;
    if (options.create && options.must_not_exist) flags |= O_EXCL;
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
      const int err = errno;
      if (err == ENOENT && !FolderExists(path))
        return Status::Io(os_error::kPathNotFound, OsErrorText(os_error::kPathNotFound));
      return FromErrno(err, "apertura");
    }
    auto handle = std::make_unique<PosixFile>(fd);
    const int mode = (options.share == Share::kExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(fd, mode) != 0) {
      if (errno == EWOULDBLOCK)
        return Status::Io(os_error::kSharingViolation, OsErrorText(os_error::kSharingViolation));
      return FromErrno(errno, "apertura");
    }
    // Emptying waits for the share check, so a refused open never truncates.
    if (options.truncate) XB_RETURN_IF_ERROR(handle->Truncate(0));
    *file = std::move(handle);
    return Status();
  }

  Status Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return FromErrno(errno, "borrar");
    return Status();
  }

  Status Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return FromErrno(errno, "renombrar");
    return Status();
  }

  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace xb::rdd
