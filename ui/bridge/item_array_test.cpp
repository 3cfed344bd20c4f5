// The item array in global memory: its header, 1-based access and growth.
#include "ui/bridge/item_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace ui {
namespace {

struct Header {
  std::uint16_t capacity, step, count, size;
};

Header ReadHeader(const ItemArray& a) {
  Header h;
  void* p = GlobalLock(a.handle());
  std::memcpy(&h, p, sizeof h);
  GlobalUnlock(a.handle());
  return h;
}

TEST(ItemArray, GrowthStepsFollowTheItemSize) {
  struct Case {
    int size, step;
  };
  for (const Case& c : {Case{0, 64}, Case{1, 128}, Case{2, 64}, Case{4, 32}, Case{32, 4},
                        Case{33, 15}, Case{128, 4}, Case{129, 2}, Case{300, 2}, Case{100, 5}}) {
    SCOPED_TRACE(c.size);
    auto a = ItemArray::Create(c.size);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->GrowthStep(), c.step);
    EXPECT_EQ(a->ItemSize(), c.size == 0 ? 2 : c.size);
    const Header h = ReadHeader(*a);
    EXPECT_EQ(h.step, c.step);
    EXPECT_EQ(h.size, c.size == 0 ? 2 : c.size);
    EXPECT_EQ(h.count, 0);
  }
}

TEST(ItemArray, AppendsGetsAndPutsOneBased) {
  auto a = ItemArray::Create(4);
  ASSERT_TRUE(a);
  for (std::int32_t i = 1; i <= 100; ++i) ASSERT_EQ(a->Append(&i), i);
  const Header h = ReadHeader(*a);
  EXPECT_EQ(h.count, 100);
  EXPECT_GE(h.capacity, 400);
  EXPECT_EQ(h.capacity % (32 * 4), 0);
  // The items sit right after the 8-byte header.
  const auto* base = static_cast<const unsigned char*>(GlobalLock(a->handle()));
  std::int32_t third = 0;
  std::memcpy(&third, base + 8 + 2 * 4, 4);
  GlobalUnlock(a->handle());
  EXPECT_EQ(third, 3);

  std::int32_t v = 0;
  EXPECT_TRUE(a->Get(100, &v));
  EXPECT_EQ(v, 100);
  const std::int32_t changed = -5;
  EXPECT_TRUE(a->Put(1, &changed));
  EXPECT_TRUE(a->Get(1, &v));
  EXPECT_EQ(v, -5);
  v = 1234;
  EXPECT_FALSE(a->Get(0, &v));
  EXPECT_FALSE(a->Get(101, &v));
  EXPECT_FALSE(a->Put(101, &changed));
  EXPECT_EQ(v, 1234);  // untouched
}

TEST(ItemArray, ShrinkingAndGrowingAgainGivesZeroItems) {
  auto a = ItemArray::Create(8, 3);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Count(), 3);
  const std::uint64_t big = 0x1122334455667788ULL;
  a->Put(3, &big);
  ASSERT_TRUE(a->SetCount(1));
  ASSERT_TRUE(a->SetCount(3));
  std::uint64_t v = 1;
  EXPECT_TRUE(a->Get(3, &v));
  EXPECT_EQ(v, 0u);
}

TEST(ItemArray, ScanFindsTheFirstItemThatPasses) {
  auto a = ItemArray::Create(2);
  ASSERT_TRUE(a);
  for (std::uint16_t v : {5, 9, 7, 9, 3}) a->Append(&v);
  auto is = [](std::uint16_t want) {
    return [want](const void* item) {
      std::uint16_t v;
      std::memcpy(&v, item, 2);
      return v == want;
    };
  };
  EXPECT_EQ(a->Scan(1, 0, is(9)), 2);
  EXPECT_EQ(a->Scan(3, 0, is(9)), 4);
  EXPECT_EQ(a->Scan(1, 1, is(9)), 0);  // only the first item
  EXPECT_EQ(a->Scan(1, 0, is(8)), 0);
  EXPECT_EQ(a->Scan(5, 10, is(3)), 5);
}

TEST(ItemArray, TheItemAreaStopsAtItsSixteenBitLimit) {
  auto a = ItemArray::Create(1000);
  ASSERT_TRUE(a);
  std::vector<char> item(1000, 'x');
  int count = 0;
  while (a->Append(item.data()) != 0) ++count;
  EXPECT_EQ(count, 64);  // 65 items of 1000 bytes in steps of 2 would pass 65535 bytes
  EXPECT_EQ(a->Count(), 64);
  EXPECT_FALSE(a->SetCount(70));
  EXPECT_FALSE(ItemArray::Create(70000));
}

}  // namespace
}  // namespace ui
