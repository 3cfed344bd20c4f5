#include "runtime/rdd/bag_file_adapter.h"

namespace xb::rdd {
namespace {

class SeamBagFile final : public BagFile {
 public:
  explicit SeamBagFile(std::unique_ptr<File> file) : file_(std::move(file)) {}

  BagStatus Read(std::uint64_t offset, void* data, std::size_t n) override {
    return ToBagStatus(file_->ReadExact(offset, data, n));
  }
  BagStatus Write(std::uint64_t offset, const void* data, std::size_t n) override {
    return ToBagStatus(file_->Write(offset, data, n));
  }
  BagStatus Size(std::uint64_t& size) override { return ToBagStatus(file_->Size(&size)); }
  BagStatus Truncate(std::uint64_t size) override { return ToBagStatus(file_->Truncate(size)); }
  BagStatus Flush() override { return BagStatus::Ok(); }
  BagStatus Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
    return ToBagStatus(file_->Lock(offset, length, exclusive));
  }
  BagStatus Unlock(std::uint64_t offset, std::uint64_t length) override {
    return ToBagStatus(file_->Unlock(offset, length));
  }

 private:
  std::unique_ptr<File> file_;
};

}  // namespace

std::unique_ptr<BagFile> MakeBagFile(std::unique_ptr<File> file) {
  return std::make_unique<SeamBagFile>(std::move(file));
}

BagStatus ToBagStatus(const Status& s) {
  switch (s.code()) {
    case StatusCode::kOk: return BagStatus::Ok();
    case StatusCode::kLocked: return BagStatus::Error(BagCode::kLocked, s.message());
    case StatusCode::kCorrupt: return BagStatus::Error(BagCode::kCorrupt, s.message());
    case StatusCode::kReadOnly: return BagStatus::Error(BagCode::kReadOnly, s.message());
    case StatusCode::kIo: return BagStatus::Error(BagCode::kIoError, s.message());
    default: return BagStatus::Error(BagCode::kBadArgument, s.message());
  }
}

Status FromBagStatus(const BagStatus& b) {
  switch (b.code) {
    case BagCode::kOk: return Status();
    case BagCode::kLocked: return Status::Error(StatusCode::kLocked, b.message);
    case BagCode::kCorrupt: return Status::Error(StatusCode::kCorrupt, b.message);
    case BagCode::kReadOnly: return Status::Error(StatusCode::kReadOnly, b.message);
    case BagCode::kIoError: return Status::Io(os_error::kWriteFault, b.message);
    case BagCode::kNotFound: return Status::Io(os_error::kFileNotFound, b.message);
    case BagCode::kBadArgument:
    case BagCode::kExpression: return Status::Error(StatusCode::kInvalid, b.message);
  }
  return Status::Error(StatusCode::kInvalid, b.message);
}

}  // namespace xb::rdd
