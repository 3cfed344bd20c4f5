// An order-bag file held in memory: for tests, fuzzing and bags that never reach the disk.
// Several MemoryBagFile objects may share one buffer, standing for several processes that opened
// the same file; their locks then conflict as the operating system's would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/rdd/order_bag.h"

namespace xb::rdd {

class MemoryBagFile : public BagFile {
 public:
  struct Shared;  // the file's bytes and the locks held on it
  MemoryBagFile();
  explicit MemoryBagFile(std::string bytes);
  // Another handle to the same file.
  std::unique_ptr<MemoryBagFile> OpenAgain() const;
  ~MemoryBagFile() override;

  BagStatus Read(std::uint64_t offset, void* data, std::size_t n) override;
  BagStatus Write(std::uint64_t offset, const void* data, std::size_t n) override;
  BagStatus Size(std::uint64_t& size) override;
  BagStatus Truncate(std::uint64_t size) override;
  BagStatus Flush() override;
  BagStatus Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override;
  BagStatus Unlock(std::uint64_t offset, std::uint64_t length) override;

  const std::string& Bytes() const;
  // Fails every operation from the nth read or write on (1 = the next one); 0 turns it off.
  void FailFrom(int nth) { fail_from_ = nth; }

 private:
  explicit MemoryBagFile(std::shared_ptr<Shared> shared);
  bool Fails();
  std::shared_ptr<Shared> shared_;
  int fail_from_ = 0, calls_ = 0;
};

}  // namespace xb::rdd
