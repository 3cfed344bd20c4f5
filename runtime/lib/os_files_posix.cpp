// The POSIX half of the operating-system seam. Windows paths are taken as they come:
// "\" and "/" separate, a drive "C:" is the root, and each part of a path is found
// without regard to case (the first match in its folder), as Windows finds it. Sharing is
// emulated with flock(), as the table engine does: an exclusive open holds an exclusive
// lock, a shared one a shared lock.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "runtime/lib/os_files.h"
#include "runtime/lib/paths.h"

namespace xb::os {

namespace {

int FromErrno(int e) {
  switch (e) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY: return kAccessDenied;
    case EBADF: return kInvalidHandle;
    case EXDEV: return kNotSameDevice;
    case EEXIST: return kAlreadyExists;
    case ENOTEMPTY: return kDirNotEmpty;
    case ENOSPC:
    case EDQUOT: return kDiskFull;
    case EINVAL: return kInvalidParameter;
    case EWOULDBLOCK: return kSharingViolation;
    default: return kWriteFault;
  }
}

std::string Join(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  if (folder.back() == '/') return folder + std::string(name);
  return folder + "/" + std::string(name);
}

bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

// The POSIX path of an xBase path.
std::string Resolve(std::string_view path) {
  std::string p(path);
  if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) p.erase(0, 2);
  for (char& c : p)
    if (c == '\\') c = '/';
  std::string out = !p.empty() && p[0] == '/' ? "/" : "";
  std::size_t i = 0;
  while (i < p.size()) {
    std::size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string_view part = std::string_view(p).substr(i, j - i);
    i = j + 1;
    if (part.empty()) continue;
    std::string exact = Join(out, part);
    if (part == "." || part == ".." || Exists(exact)) {
      out = exact;
      continue;
    }
    std::string found;
    if (DIR* d = ::opendir(out.empty() ? "." : out.c_str())) {
      while (dirent* e = ::readdir(d)) {
        if (SameName(e->d_name, part)) {
          found = e->d_name;
          break;
        }
      }
      ::closedir(d);
    }
    out = found.empty() ? exact : Join(out, found);
  }
  if (!p.empty() && p.back() == '/' && !out.empty() && out.back() != '/') out += '/';
  return out;
}

std::string FolderOf(const std::string& p) {
  std::size_t s = p.rfind('/');
  return s == std::string::npos ? std::string(".") : (s == 0 ? std::string("/") : p.substr(0, s));
}

// A missing file in a missing folder is "path not found", as Windows says.
int OpenError(int e, const std::string& p) {
  struct stat st;
  if (e == ENOENT && !(::stat(FolderOf(p).c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return kPathNotFound;
  return FromErrno(e);
}

LocalTime ToLocal(std::time_t t) {
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
}

}  // namespace

int Open(const std::string& path, int mode, Handle* out) {
  std::string p = Resolve(path);
  int access = mode & 3;
  int flags = O_CLOEXEC | (access == kRead ? O_RDONLY : access == kWrite ? O_WRONLY : O_RDWR);
  int fd = ::open(p.c_str(), flags);
  if (fd < 0) return OpenError(errno, p);
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kAccessDenied;
  }
  int share = mode & 0x70;
  bool exclusive = share == kShareExclusive || share == kShareDenyRead || (share == kShareDenyWrite && access != kRead);
  if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    ::close(fd);
    return kSharingViolation;
  }
  *out = fd;
  return kOk;
}

int Create(const std::string& path, int attr, Handle* out) {
  std::string p = Resolve(path);
  int fd = ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, (attr & kAttrReadOnly) ? 0444 : 0666);
  if (fd < 0) return OpenError(errno, p);
  // Emptying waits for the share check, so a refused create never truncates.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return kSharingViolation;
  }
  if (::ftruncate(fd, 0) != 0) {
    int e = errno;
    ::close(fd);
    return FromErrno(e);
  }
  *out = fd;
  return kOk;
}

int Read(Handle h, void* data, std::size_t size, std::size_t* got) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(static_cast<int>(h), static_cast<char*>(data) + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      *got = done;
      return errno == EBADF ? kAccessDenied : kReadFault;  // a handle not opened for reading
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  *got = done;
  return kOk;
}

int Write(Handle h, const void* data, std::size_t size, std::size_t* written) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(static_cast<int>(h), static_cast<const char*>(data) + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      *written = done;
      return errno == EBADF ? kAccessDenied : FromErrno(errno);  // a handle not opened for writing
    }
    done += static_cast<std::size_t>(n);
  }
  *written = done;
  return kOk;
}

int Seek(Handle h, std::int64_t offset, int origin, std::int64_t* position) {
  int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
  off_t r = ::lseek(static_cast<int>(h), static_cast<off_t>(offset), whence);
  if (r < 0) return errno == EINVAL ? kNegativeSeek : FromErrno(errno);
  *position = static_cast<std::int64_t>(r);
  return kOk;
}

int Close(Handle h) { return ::close(static_cast<int>(h)) == 0 ? kOk : kInvalidHandle; }

Handle StandardHandle(int which) { return which; }

int Remove(const std::string& path) {
  std::string p = Resolve(path);
  struct stat st;
  if (::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kAccessDenied;
  return ::unlink(p.c_str()) == 0 ? kOk : OpenError(errno, p);
}

int Rename(const std::string& from, const std::string& to) {
  std::string f = Resolve(from), t = Resolve(to);
  struct stat sf, st;
  if (::lstat(f.c_str(), &sf) != 0) return OpenError(errno, f);
  if (::lstat(t.c_str(), &st) == 0) {
    if (sf.st_dev != st.st_dev || sf.st_ino != st.st_ino) return kAlreadyExists;
    // The same file under another case: the name takes the case written.
    t = Join(FolderOf(t), std::string_view(to).substr(FolderLength(to)));
  }
  return ::rename(f.c_str(), t.c_str()) == 0 ? kOk : OpenError(errno, t);
}

int MakeDir(const std::string& path) {
  std::string p = Resolve(path);
  return ::mkdir(p.c_str(), 0777) == 0 ? kOk : OpenError(errno, p);
}

int RemoveDir(const std::string& path) {
  std::string p = Resolve(path);
  return ::rmdir(p.c_str()) == 0 ? kOk : OpenError(errno, p);
}

int ChangeDir(const std::string& path) {
  std::string p = Resolve(path);
  return ::chdir(p.c_str()) == 0 ? kOk : OpenError(errno, p);
}

std::string CurrentDir() {
  char buf[4096];
  if (!::getcwd(buf, sizeof buf)) return "C:\\";
  std::string out = std::string("C:") + buf;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

namespace {

bool Describe(const std::string& path, std::string name, DirEntry* out) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) return false;
  out->name = std::move(name);
  out->directory = S_ISDIR(st.st_mode);
  out->size = out->directory ? 0 : static_cast<std::uint64_t>(st.st_size);
  out->modified = ToLocal(st.st_mtime);
  // Names starting with a dot are hidden, as Windows programs running here see them.
  out->hidden = out->name.size() > 1 && out->name[0] == '.' && out->name != "..";
  out->readOnly = !(st.st_mode & S_IWUSR);
  out->archive = !out->directory;
  return true;
}

}  // namespace

int ListDir(const std::string& folder, std::vector<DirEntry>* out) {
  std::string p = Resolve(folder);
  if (p.empty()) p = ".";  // "" or a drive alone: the current folder
  DIR* d = ::opendir(p.c_str());
  if (!d) return OpenError(errno, Join(p, "x"));
  while (dirent* e = ::readdir(d)) {
    DirEntry entry;
    if (Describe(Join(p, e->d_name), e->d_name, &entry)) out->push_back(std::move(entry));
  }
  ::closedir(d);
  return kOk;
}

int Stat(const std::string& path, DirEntry* out) {
  std::string p = Resolve(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  std::size_t slash = p.rfind('/');
  if (!Describe(p, slash == std::string::npos ? p : p.substr(slash + 1), out)) return OpenError(errno, p);
  return kOk;
}

std::optional<std::string> GetEnv(std::string_view name) {
  const char* v = std::getenv(std::string(name).c_str());
  if (!v) return std::nullopt;
  return std::string(v);
}

void Beep(int, int) {}

}  // namespace xb::os
