// A growable array of fixed-size items in one movable Windows global block, with 1-based
// access. Layout of the block (little endian):
//
//   offset 0  2 bytes  capacity of the item area, in bytes
//   offset 2  2 bytes  growth step, in items
//   offset 4  2 bytes  item count
//   offset 6  2 bytes  item size in bytes
//   offset 8           items; item i (1-based) at 8 + (i - 1) * item size
//
// The growth step is 128 / size for items of up to 32 bytes, 512 / size up to 128 bytes, and
// never below 2. The item area cannot pass 65535 bytes: growing beyond fails.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace ui {

class ItemArray {
 public:
  // An item size of 0 counts as 2. nullopt when the block cannot be had.
  static std::optional<ItemArray> Create(int item_size, int initial_count = 0);

  ItemArray(ItemArray&& other) noexcept;
  ItemArray& operator=(ItemArray&& other) noexcept;
  ItemArray(const ItemArray&) = delete;
  ItemArray& operator=(const ItemArray&) = delete;
  ~ItemArray();

  // Appends a copy of `item` (item_size bytes); returns the new count, 0 on failure.
  int Append(const void* item);
  // Item i, 1-based; false and nothing done outside 1 .. Count().
  bool Put(int index, const void* item);
  bool Get(int index, void* item) const;
  // Grows or shrinks the array; new items are zero. False when the block cannot follow.
  bool SetCount(int count);
  int Count() const;
  int ItemSize() const;
  int GrowthStep() const;
  int CapacityBytes() const;
  // The 1-based index of the first item from `start` on (for `count` items, 0: to the end)
  // that passes `test`; 0 when none does.
  int Scan(int start, int count, const std::function<bool(const void* item)>& test) const;

  HGLOBAL handle() const { return block_; }

 private:
  explicit ItemArray(HGLOBAL block) : block_(block) {}
  HGLOBAL block_ = nullptr;
};

}  // namespace ui
