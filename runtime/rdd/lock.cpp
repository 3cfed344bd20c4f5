#include "runtime/rdd/lock.h"

#include <thread>

namespace xb::rdd {
namespace {

constexpr std::uint64_t kClipperBase = 1000000000ULL;
constexpr std::uint64_t kClipperFileSize = 1000000000ULL;
constexpr std::uint64_t kFoxBase = 0x40000000ULL;
constexpr std::uint64_t kFoxFileSize = 0x3FFFFFFDULL;
constexpr std::uint64_t kFoxIndexedBase = 0x7FFFFFFEULL;
constexpr std::uint64_t kFoxIndexedFileSize = 0x07FFFFFFULL;

}  // namespace

LockRange TableLockLayout::Record(std::uint32_t record) const {
  if (scheme == LockScheme::kClipper) return {kClipperBase + record, 1};
  if (structural_index) return {kFoxIndexedBase - record, 1};
  return {kFoxBase + header_length + static_cast<std::uint64_t>(record - 1) * record_length, 1};
}

LockRange TableLockLayout::File() const {
  if (scheme == LockScheme::kClipper) return {kClipperBase + 1, kClipperFileSize};
  if (structural_index) return {kFoxIndexedBase - kFoxIndexedFileSize, kFoxIndexedFileSize};
  return {kFoxBase + 1, kFoxFileSize};
}

LockRange TableLockLayout::Header() const {
  if (scheme == LockScheme::kClipper) return {kClipperBase, 1};
  return {structural_index ? kFoxIndexedBase : kFoxBase, 1};
}

Status LockWaiting(File& file, LockRange range, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::microseconds(200);
  for (;;) {
    Status s = file.Lock(range.offset, range.length);
    if (s.code() != StatusCode::kLocked || std::chrono::steady_clock::now() >= deadline) return s;
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(10)) pause *= 2;
  }
}

}  // namespace xb::rdd
