// The one door through which the table engine reaches files. The real file system gives
// Windows' share modes and byte-range locks (emulated on POSIX with the same meaning),
// the in-memory one lets tests run many "processes" on one table and simulate a crash,
// and the faulty one fails chosen operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/rdd/status.h"

namespace xb::rdd {

enum class Access { kRead, kReadWrite };

// What other handles may do while this one is open. Exclusive denies every other open of
// the file (Windows' deny-read-write); shared denies nothing, but is refused while an
// exclusive handle is open.
enum class Share { kExclusive, kShared };

struct OpenOptions {
  Access access = Access::kReadWrite;
  Share share = Share::kExclusive;
  bool create = false;         // create the file when it does not exist
  bool truncate = false;       // empty an existing file (after the share check)
  bool must_not_exist = false; // with create: fail with kFileExists when it exists
};

class File {
 public:
  virtual ~File() = default;

  // Reads up to `size` bytes at `offset`; *got is less than size only at the end of file.
  virtual Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) = 0;
  // Writes all bytes at `offset`, extending the file (with zeros) when it lies beyond the end.
  virtual Status Write(std::uint64_t offset, const void* data, std::size_t size) = 0;
  virtual Status Size(std::uint64_t* size) = 0;
  virtual Status Truncate(std::uint64_t size) = 0;
  // Makes written data durable.
  virtual Status Sync() = 0;
  // Lock of a byte range, without waiting: kLocked when another handle (of this or another
  // process) holds an overlapping range that conflicts (any lock against an exclusive one).
  // Ranges may lie beyond the end of file. Where the system offers no shared locks (the
  // Windows C runtime) a shared lock is taken exclusively: it excludes more, never less.
  virtual Status Lock(std::uint64_t offset, std::uint64_t length, bool exclusive = true) = 0;
  virtual Status Unlock(std::uint64_t offset, std::uint64_t length) = 0;

  // Reads exactly `size` bytes or fails (kCorrupt when the file is shorter).
  Status ReadExact(std::uint64_t offset, void* data, std::size_t size);
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual Status Open(const std::string& path, const OpenOptions& options,
                      std::unique_ptr<File>* file) = 0;
  virtual Status Remove(const std::string& path) = 0;
  // Renames `from` to `to`, replacing `to` in one step. Neither may be open.
  virtual Status Rename(const std::string& from, const std::string& to) = 0;
  // Puts the file `file` has open (at `from`) in the place of `to`, as Rename does, and closes
  // it either way. Where the system renames a file through its open handle, it is not opened
  // again for that.
  virtual Status RenameAndClose(std::unique_ptr<File> file, const std::string& from, const std::string& to) {
    file.reset();
    return Rename(from, to);
  }
  virtual bool Exists(const std::string& path) = 0;
};

// The machine's files.
FileSystem& RealFileSystem();

// Text for an operating-system error number, in Spanish.
std::string OsErrorText(int os_code);

// Path helpers: folder part (with its separator), name with extension, extension (with the
// dot, as written), and the path with its extension replaced or added.
std::string PathFolder(const std::string& path);
std::string PathName(const std::string& path);
std::string PathExtension(const std::string& path);
std::string PathWithExtension(const std::string& path, const std::string& extension);

}  // namespace xb::rdd
