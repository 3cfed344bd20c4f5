#include "ui/bridge/item_array.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace ui {
namespace {

constexpr SIZE_T kHeaderSize = 8;
constexpr int kMaxAreaBytes = 0xFFFF;

struct Header {
  std::uint16_t capacity;
  std::uint16_t step;
  std::uint16_t count;
  std::uint16_t item_size;
};
static_assert(sizeof(Header) == kHeaderSize);

int StepFor(int item_size) {
  int step = 2;
  if (item_size <= 32) {
    step = 128 / item_size;
  } else if (item_size <= 128) {
    step = 512 / item_size;
  }
  return step < 2 ? 2 : step;
}

// Reads the header; the block is locked only for the copy.
Header ReadHeader(HGLOBAL block) {
  Header header = {};
  if (void* p = GlobalLock(block)) {
    std::memcpy(&header, p, sizeof header);
    GlobalUnlock(block);
  }
  return header;
}

// Capacity in bytes for `count` items: whole growth steps, at least one.
int CapacityFor(int count, const Header& header) {
  const int step = header.step;
  int steps = (count + step - 1) / step;
  if (steps < 1) steps = 1;
  return steps * step * header.item_size;
}

}  // namespace

std::optional<ItemArray> ItemArray::Create(int item_size, int initial_count) {
  if (item_size == 0) item_size = 2;
  if (item_size < 0 || item_size > kMaxAreaBytes || initial_count < 0) return std::nullopt;
  Header header = {0, static_cast<std::uint16_t>(StepFor(item_size)), 0,
                   static_cast<std::uint16_t>(item_size)};
  const int capacity = CapacityFor(initial_count, header);
  if (capacity > kMaxAreaBytes) return std::nullopt;
  header.capacity = static_cast<std::uint16_t>(capacity);
  header.count = static_cast<std::uint16_t>(initial_count);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kHeaderSize + capacity);
  if (block == nullptr) return std::nullopt;
  void* p = GlobalLock(block);
  std::memcpy(p, &header, sizeof header);
  GlobalUnlock(block);
  return ItemArray(block);
}

ItemArray::ItemArray(ItemArray&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}

ItemArray& ItemArray::operator=(ItemArray&& other) noexcept {
  if (this != &other) {
    if (block_ != nullptr) GlobalFree(block_);
    block_ = std::exchange(other.block_, nullptr);
  }
  return *this;
}

ItemArray::~ItemArray() {
  if (block_ != nullptr) GlobalFree(block_);
}

int ItemArray::Count() const { return block_ ? ReadHeader(block_).count : 0; }
int ItemArray::ItemSize() const { return block_ ? ReadHeader(block_).item_size : 0; }
int ItemArray::GrowthStep() const { return block_ ? ReadHeader(block_).step : 0; }
int ItemArray::CapacityBytes() const { return block_ ? ReadHeader(block_).capacity : 0; }

bool ItemArray::SetCount(int count) {
  if (block_ == nullptr || count < 0) return false;
  Header header = ReadHeader(block_);
  const int capacity = CapacityFor(count, header);
  if (capacity > kMaxAreaBytes) return false;
  if (capacity != header.capacity) {
    HGLOBAL grown = GlobalReAlloc(block_, kHeaderSize + capacity, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (grown == nullptr) return false;
    block_ = grown;
  }
  auto* p = static_cast<unsigned char*>(GlobalLock(block_));
  if (p == nullptr) return false;
  // Items dropped and taken back again must read as zero.
  if (count > header.count) {
    std::memset(p + kHeaderSize + header.count * header.item_size, 0,
                static_cast<size_t>(count - header.count) * header.item_size);
  }
  header.capacity = static_cast<std::uint16_t>(capacity);
  header.count = static_cast<std::uint16_t>(count);
  std::memcpy(p, &header, sizeof header);
  GlobalUnlock(block_);
  return true;
}

int ItemArray::Append(const void* item) {
  const int count = Count();
  if (!SetCount(count + 1)) return 0;
  if (!Put(count + 1, item)) return 0;
  return count + 1;
}

bool ItemArray::Put(int index, const void* item) {
  if (block_ == nullptr) return false;
  const Header header = ReadHeader(block_);
  if (index < 1 || index > header.count) return false;
  auto* p = static_cast<unsigned char*>(GlobalLock(block_));
  if (p == nullptr) return false;
  std::memcpy(p + kHeaderSize + (index - 1) * header.item_size, item, header.item_size);
  GlobalUnlock(block_);
  return true;
}

bool ItemArray::Get(int index, void* item) const {
  if (block_ == nullptr) return false;
  const Header header = ReadHeader(block_);
  if (index < 1 || index > header.count) return false;
  const auto* p = static_cast<const unsigned char*>(GlobalLock(block_));
  if (p == nullptr) return false;
  std::memcpy(item, p + kHeaderSize + (index - 1) * header.item_size, header.item_size);
  GlobalUnlock(block_);
  return true;
}

int ItemArray::Scan(int start, int count, const std::function<bool(const void*)>& test) const {
  if (block_ == nullptr) return 0;
  const Header header = ReadHeader(block_);
  if (start < 1) start = 1;
  int last = header.count;
  if (count > 0 && start + count - 1 < last) last = start + count - 1;
  const auto* p = static_cast<const unsigned char*>(GlobalLock(block_));
  if (p == nullptr) return 0;
  int found = 0;
  for (int i = start; i <= last && found == 0; ++i) {
    if (test(p + kHeaderSize + (i - 1) * header.item_size)) found = i;
  }
  GlobalUnlock(block_);
  return found;
}

}  // namespace ui
