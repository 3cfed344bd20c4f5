#include "runtime/rdd/bag_file_memory.h"

#include <algorithm>
#include <cstring>

namespace xb::rdd {

struct MemoryBagFile::Shared {
  std::string bytes;
  struct Held { const MemoryBagFile* owner; std::uint64_t offset, length; bool exclusive; };
  std::vector<Held> locks;
};

MemoryBagFile::MemoryBagFile() : shared_(std::make_shared<Shared>()) {}
MemoryBagFile::MemoryBagFile(std::string bytes) : MemoryBagFile() { shared_->bytes = std::move(bytes); }
MemoryBagFile::MemoryBagFile(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

MemoryBagFile::~MemoryBagFile() {
  auto& locks = shared_->locks;
  locks.erase(std::remove_if(locks.begin(), locks.end(), [&](const Shared::Held& h) { return h.owner == this; }),
              locks.end());
}

std::unique_ptr<MemoryBagFile> MemoryBagFile::OpenAgain() const {
  return std::unique_ptr<MemoryBagFile>(new MemoryBagFile(shared_));
}

const std::string& MemoryBagFile::Bytes() const { return shared_->bytes; }

bool MemoryBagFile::Fails() { return fail_from_ > 0 && ++calls_ >= fail_from_; }

BagStatus MemoryBagFile::Read(std::uint64_t offset, void* data, std::size_t n) {
  if (Fails()) return BagStatus::Error(BagCode::kIoError, "Error de lectura del índice");
  const auto& b = shared_->bytes;
  if (offset > b.size() || n > b.size() - offset)
    return BagStatus::Error(BagCode::kCorrupt, "Lectura más allá del final del índice");
  std::memcpy(data, b.data() + offset, n);
  return BagStatus::Ok();
}

BagStatus MemoryBagFile::Write(std::uint64_t offset, const void* data, std::size_t n) {
  if (Fails()) return BagStatus::Error(BagCode::kIoError, "Error de escritura del índice");
  auto& b = shared_->bytes;
  if (offset + n > b.size()) b.resize(offset + n, '\0');
  std::memcpy(b.data() + offset, data, n);
  return BagStatus::Ok();
}

BagStatus MemoryBagFile::Size(std::uint64_t& size) {
  size = shared_->bytes.size();
  return BagStatus::Ok();
}

BagStatus MemoryBagFile::Truncate(std::uint64_t size) {
  shared_->bytes.resize(size, '\0');
  return BagStatus::Ok();
}

BagStatus MemoryBagFile::Flush() { return BagStatus::Ok(); }

BagStatus MemoryBagFile::Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) {
  for (const auto& h : shared_->locks) {
    const bool overlap = offset < h.offset + h.length && h.offset < offset + length;
    if (overlap && h.owner != this && (exclusive || h.exclusive))
      return BagStatus::Error(BagCode::kLocked, "El índice está bloqueado por otro proceso");
  }
  shared_->locks.push_back({this, offset, length, exclusive});
  return BagStatus::Ok();
}

BagStatus MemoryBagFile::Unlock(std::uint64_t offset, std::uint64_t length) {
  auto& locks = shared_->locks;
  for (auto it = locks.begin(); it != locks.end(); ++it) {
    if (it->owner == this && it->offset == offset && it->length == length) {
      locks.erase(it);
      return BagStatus::Ok();
    }
  }
  return BagStatus::Ok();
}

}  // namespace xb::rdd
