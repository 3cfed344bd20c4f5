#include "runtime/rdd/buffered_file.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace xb::rdd {
namespace {

constexpr std::size_t kReadAhead = 64 * 1024;

class BufferedFile final : public File {
 public:
  BufferedFile(std::unique_ptr<File> base, std::size_t limit) : base_(std::move(base)), limit_(limit) {}
  ~BufferedFile() override { (void)WriteOut(); }  // the owner flushes first and sees errors

  Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) override {
    if (!held_.empty() && offset + size > start_) XB_RETURN_IF_ERROR(WriteOut());
    if (size > kReadAhead / 2) return base_->Read(offset, data, size, got);
    if (offset < cache_at_ || offset + size > cache_at_ + cache_.size()) {
      // Not (wholly) in the piece read last: read a new piece from here. A piece that ends
      // short is the end of the file.
      cache_.resize(kReadAhead);
      std::size_t n = 0;
      Status s = base_->Read(offset, cache_.data(), cache_.size(), &n);
      cache_.resize(s.ok() ? n : 0);
      cache_at_ = offset;
      XB_RETURN_IF_ERROR(s);
    }
    const std::size_t from = static_cast<std::size_t>(offset - cache_at_);
    *got = std::min(size, cache_.size() - from);
    std::memcpy(data, cache_.data() + from, *got);
    return Status();
  }

  Status Write(std::uint64_t offset, const void* data, std::size_t size) override {
    cache_.clear();
    if (!held_.empty() && offset == start_ + held_.size()) {
      held_.append(static_cast<const char*>(data), size);
      return held_.size() >= limit_ ? WriteOut() : Status();
    }
    XB_RETURN_IF_ERROR(WriteOut());
    std::uint64_t end = 0;
    XB_RETURN_IF_ERROR(base_->Size(&end));
    // The first write of an empty file (its header) goes through at once.
    if (offset < end || end == 0) return base_->Write(offset, data, size);
    start_ = offset;
    held_.assign(static_cast<const char*>(data), size);
    return held_.size() >= limit_ ? WriteOut() : Status();
  }

  Status Size(std::uint64_t* size) override {
    XB_RETURN_IF_ERROR(base_->Size(size));
    if (!held_.empty()) *size = std::max<std::uint64_t>(*size, start_ + held_.size());
    return Status();
  }
  Status Truncate(std::uint64_t size) override {
    cache_.clear();
    XB_RETURN_IF_ERROR(WriteOut());
    return base_->Truncate(size);
  }
  Status Sync() override {
    XB_RETURN_IF_ERROR(WriteOut());
    return base_->Sync();
  }
  Status Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
    return base_->Lock(offset, length, exclusive);
  }
  Status Unlock(std::uint64_t offset, std::uint64_t length) override { return base_->Unlock(offset, length); }

 private:
  Status WriteOut() {
    if (held_.empty()) return Status();
    const Status s = base_->Write(start_, held_.data(), held_.size());
    held_.clear();
    return s;
  }

  std::unique_ptr<File> base_;
  std::size_t limit_;
  std::uint64_t start_ = 0;  // file offset of the held bytes
  std::string held_;
  std::uint64_t cache_at_ = 0;  // file offset of the read-ahead piece
  std::string cache_;
};

}  // namespace

std::unique_ptr<File> BufferExclusive(std::unique_ptr<File> file, std::size_t limit) {
  return std::make_unique<BufferedFile>(std::move(file), limit);
}

}  // namespace xb::rdd
