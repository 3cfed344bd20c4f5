// Files in memory with Windows' rules, the strictest of the platforms the engine runs on:
// names are case-insensitive, share modes are enforced between handles, byte-range locks
// are exclusive, never re-entrant, unlocked only by their exact range, and keep every other
// handle from reading or writing the range; an open file can be neither removed nor
// renamed. Each handle is a "process" of its own, so tests can share a table between
// several work areas. SimulateCrash() drops whatever was written since each file's last
// Sync(), as a power cut would.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "runtime/rdd/file_system.h"

namespace xb::rdd {

class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  Status Open(const std::string& path, const OpenOptions& options,
              std::unique_ptr<File>* file) override;
  Status Remove(const std::string& path) override;
  Status Rename(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;

  // Folders other than the current one ("") must be made before files go in them.
  void MakeFolder(const std::string& folder);

  // Direct access for tests: put a whole file, read it back.
  void SetContents(const std::string& path, std::string bytes);
  std::string Contents(const std::string& path) const;

  // Every file falls back to its last synced contents; open handles die (their operations
  // fail) and their locks and share modes are released.
  void SimulateCrash();

  struct Node;
  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace xb::rdd
