// A file system over another one that counts what is written (and read) and fails on request: the
// n-th changing operation (write, truncate, sync, rename, remove) and, when sticky, every
// one after it, as a full disk does. Tests fail n = 1, 2, 3 ... until the operation under
// test completes, and check after each failure that nothing was lost. Files are synced and
// put in place on other threads than the one that writes them: the counts are kept under a
// lock, and a change is numbered, failed and told to before_change under it.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "runtime/rdd/file_system.h"

namespace xb::rdd {

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& base) : base_(base) {}

  Status Open(const std::string& path, const OpenOptions& options,
              std::unique_ptr<File>* file) override;
  Status Remove(const std::string& path) override;
  Status Rename(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override { return base_.Exists(path); }

  // The n-th changing operation from now (1-based) fails with `os_code`.
  void FailAt(long n, int os_code = os_error::kDiskFull, bool sticky = true);
  void Heal();
  bool failed() const;

  // Called before every changing operation with its number; a test can end its process there.
  std::function<void(long)> before_change;

  struct Counts {
    long writes = 0;
    std::uint64_t bytes = 0;
    long syncs = 0;
    long truncates = 0;
    std::uint64_t read_bytes = 0;
  };
  // Counts per path as given to Open (the engine always uses the same spelling).
  Counts counts(const std::string& path) const;
  void ResetCounts();
  long changes() const;

  // Used by the file handles.
  Status Change(const std::string& path, const char* what);
  template <class F>
  void Count(const std::string& path, F add) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    add(counts_[path]);
  }

 private:
  FileSystem& base_;
  mutable std::recursive_mutex mutex_;  // before_change may call back
  long changes_ = 0;
  long fail_at_ = 0;
  int os_code_ = 0;
  bool sticky_ = true;
  bool failed_ = false;
  std::map<std::string, Counts> counts_;
};

}  // namespace xb::rdd
