// The table formats store little-endian integers and IEEE doubles; the engine reads them
// by copying bytes, which holds only on such a machine.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

TEST(Platform, StoredNumberFormatsMatchTheMachine) {
  static_assert(std::endian::native == std::endian::little);
  static_assert(std::numeric_limits<double>::is_iec559);
  static_assert(sizeof(std::int64_t) == 8 && sizeof(void*) >= 4);

  const unsigned char stored[4] = {0x78, 0x56, 0x34, 0x12};
  std::uint32_t value = 0;
  std::memcpy(&value, stored, sizeof value);
  EXPECT_EQ(value, 0x12345678u);

  const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  double d = 0;
  std::memcpy(&d, one, sizeof d);
  EXPECT_EQ(d, 1.0);
}
