// The table formats store little-endian integers and IEEE doubles; the engine reads them
// by copying bytes, which holds only on such a machine.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

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

// The block copies (the Windows build brings its own): every length up to past the sizes where
// the way of copying changes, misaligned, and overlapping by a little and a lot either way.
TEST(Platform, BlockCopiesCopyEveryByteAlsoBetweenOverlappingBlocks) {
  void* (*volatile move)(void*, const void*, std::size_t) = &std::memmove;
  void* (*volatile copy)(void*, const void*, std::size_t) = &std::memcpy;
  std::vector<std::size_t> sizes;
  for (std::size_t n = 0; n <= 80; ++n) sizes.push_back(n);
  for (std::size_t n : {100, 127, 128, 255, 300, 1023, 1024, 1500, 5000}) sizes.push_back(n);
  std::vector<unsigned char> pattern(12000);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<unsigned char>(i * 7 + i / 251);

  for (std::size_t n : sizes) {
    // Apart, from and to every alignment.
    for (std::size_t from = 0; from < 4; ++from) {
      for (std::size_t to = 0; to < 4; ++to) {
        std::vector<unsigned char> target(n + 8, 0xEE);
        ASSERT_EQ(copy(target.data() + to, pattern.data() + from, n), target.data() + to);
        for (std::size_t i = 0; i < target.size(); ++i) {
          const bool inside = i >= to && i < to + n;
          ASSERT_EQ(target[i], inside ? pattern[from + i - to] : 0xEE) << "n=" << n << " i=" << i;
        }
      }
    }
    // Overlapping, the target above or below the source.
    for (std::size_t shift : {1, 3, 8, 15, 16, 17, 31, 64, 100, 1000}) {
      if (shift >= n) continue;
      for (const bool up : {true, false}) {
        std::vector<unsigned char> buffer(pattern.begin(), pattern.begin() + n + shift + 8);
        const std::size_t from = up ? 4 : 4 + shift, to = up ? 4 + shift : 4;
        std::vector<unsigned char> expected = buffer;
        for (std::size_t i = 0; i < n; ++i) expected[to + i] = buffer[from + i];
        ASSERT_EQ(move(buffer.data() + to, buffer.data() + from, n), buffer.data() + to);
        ASSERT_EQ(buffer, expected) << "n=" << n << " shift=" << shift << (up ? " up" : " down");
      }
    }
  }
}
