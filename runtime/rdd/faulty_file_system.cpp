#include "runtime/rdd/faulty_file_system.h"

namespace xb::rdd {
namespace {

class FaultyFile final : public File {
 public:
  FaultyFile(FaultyFileSystem& fs, std::string path, std::unique_ptr<File> base)
      : fs_(fs), path_(std::move(path)), base_(std::move(base)) {}

  Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) override {
    Status s = base_->Read(offset, data, size, got);
    if (s.ok()) fs_.Count(path_, [&](auto& c) { c.read_bytes += *got; });
    return s;
  }
  Status Write(std::uint64_t offset, const void* data, std::size_t size) override {
    XB_RETURN_IF_ERROR(fs_.Change(path_, "escritura"));
    fs_.Count(path_, [&](auto& c) {
      ++c.writes;
      c.bytes += size;
    });
    return base_->Write(offset, data, size);
  }
  Status Size(std::uint64_t* size) override { return base_->Size(size); }
  Status Truncate(std::uint64_t size) override {
    XB_RETURN_IF_ERROR(fs_.Change(path_, "truncar"));
    fs_.Count(path_, [](auto& c) { ++c.truncates; });
    return base_->Truncate(size);
  }
  Status Sync() override {
    XB_RETURN_IF_ERROR(fs_.Change(path_, "sincronizar"));
    fs_.Count(path_, [](auto& c) { ++c.syncs; });
    return base_->Sync();
  }
  Status Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
    return base_->Lock(offset, length, exclusive);
  }
  Status Unlock(std::uint64_t offset, std::uint64_t length) override {
    return base_->Unlock(offset, length);
  }

 private:
  FaultyFileSystem& fs_;
  std::string path_;
  std::unique_ptr<File> base_;
};

}  // namespace

Status FaultyFileSystem::Open(const std::string& path, const OpenOptions& options,
                              std::unique_ptr<File>* file) {
  if (options.create || options.truncate) XB_RETURN_IF_ERROR(Change(path, "crear"));
  std::unique_ptr<File> base;
  XB_RETURN_IF_ERROR(base_.Open(path, options, &base));
  *file = std::make_unique<FaultyFile>(*this, path, std::move(base));
  return Status();
}

Status FaultyFileSystem::Remove(const std::string& path) {
  XB_RETURN_IF_ERROR(Change(path, "borrar"));
  return base_.Remove(path);
}

Status FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
  XB_RETURN_IF_ERROR(Change(to, "renombrar"));
  return base_.Rename(from, to);
}

void FaultyFileSystem::FailAt(long n, int os_code, bool sticky) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  fail_at_ = changes_ + n;
  os_code_ = os_code;
  sticky_ = sticky;
  failed_ = false;
}

void FaultyFileSystem::Heal() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  fail_at_ = 0;
}

bool FaultyFileSystem::failed() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return failed_;
}

void FaultyFileSystem::ResetCounts() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  counts_.clear();
}

long FaultyFileSystem::changes() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return changes_;
}

FaultyFileSystem::Counts FaultyFileSystem::counts(const std::string& path) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = counts_.find(path);
  return it == counts_.end() ? Counts() : it->second;
}

Status FaultyFileSystem::Change(const std::string& path, const char* what) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++changes_;
  if (before_change) before_change(changes_);
  if (fail_at_ > 0 && (changes_ == fail_at_ || (sticky_ && changes_ > fail_at_))) {
    failed_ = true;
    return Status::Io(os_code_, std::string(what) + ": " + OsErrorText(os_code_));
  }
  return Status();
}

}  // namespace xb::rdd
