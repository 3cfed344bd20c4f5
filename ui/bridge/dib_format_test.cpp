// DIB headers are checked before use: every damaged form is refused, nothing is read past
// the end.
#include "ui/bridge/dib_format.h"

#include <gtest/gtest.h>

#include <random>

#include "ui/bridge/bmp_test_support.h"

namespace ui::dib {
namespace {

using test::BmpSpec;
using test::MakeBmp;

std::span<const std::uint8_t> Packed(const std::vector<std::uint8_t>& file) {
  return std::span<const std::uint8_t>(file).subspan(kFileHeaderSize);
}

void Set32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(DibFormat, ColourCountFromTheHeader) {
  struct Case {
    std::uint32_t header;
    std::uint16_t bits;
    std::uint32_t used;
    std::uint32_t count;
  } cases[] = {
      {40, 1, 0, 2}, {40, 4, 0, 16}, {40, 8, 0, 256}, {40, 24, 0, 0}, {40, 8, 20, 20},
      {40, 24, 5, 5},  // a display palette of a true-colour image
      {12, 8, 7, 256},  // core headers have no count of their own
      {12, 24, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ColourCount(c.header, c.bits, c.used), c.count) << c.bits << "/" << c.used;
}

TEST(DibFormat, LayoutOfSoundImages) {
  struct Case {
    BmpSpec spec;
    std::uint32_t bits_offset;
    std::uint32_t image_size;
  } cases[] = {
      {BmpSpec{.width = 5, .height = 3, .bit_count = 24}, 40, 16 * 3},
      {BmpSpec{.width = 5, .height = -3, .bit_count = 24}, 40, 16 * 3},
      {BmpSpec{.width = 9, .height = 2, .bit_count = 4}, 40 + 64, 8 * 2},
      {BmpSpec{.width = 3, .height = 2, .bit_count = 8, .clr_used = 20}, 40 + 80, 4 * 2},
      {BmpSpec{.width = 33, .height = 1, .bit_count = 1}, 40 + 8, 8},
      {BmpSpec{.width = 4, .height = 4, .bit_count = 8, .core = true}, 12 + 256 * 3, 16},
  };
  for (const Case& c : cases) {
    const auto file = MakeBmp(c.spec);
    std::string why;
    const auto l = ParsePacked(Packed(file), &why);
    ASSERT_TRUE(l) << why;
    EXPECT_EQ(l->bits_offset, c.bits_offset);
    EXPECT_EQ(l->image_size, c.image_size);
    EXPECT_EQ(l->packed_size(), Packed(file).size());
  }
}

TEST(DibFormat, DamagedHeadersAreRefused) {
  const auto good = MakeBmp(BmpSpec{.width = 4, .height = 4, .bit_count = 8});
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  } cases[] = {
      {"empty", [](auto& b) { b.resize(14); }},
      {"header cut", [](auto& b) { b.resize(14 + 20); }},
      {"header size 0", [](auto& b) { Set32(b, 14, 0); }},
      {"header size huge", [](auto& b) { Set32(b, 14, 0x7FFFFFFF); }},
      {"header size 41", [](auto& b) { Set32(b, 14, 41); }},
      {"planes", [](auto& b) { b[14 + 12] = 2; }},
      {"bit count 7", [](auto& b) { b[14 + 14] = 7; }},
      {"width 0", [](auto& b) { Set32(b, 14 + 4, 0); }},
      {"width negative", [](auto& b) { Set32(b, 14 + 4, 0xFFFFFFFF); }},
      {"height 0", [](auto& b) { Set32(b, 14 + 8, 0); }},
      {"height most negative", [](auto& b) { Set32(b, 14 + 8, 0x80000000u); }},
      {"width huge", [](auto& b) { Set32(b, 14 + 4, 0x40000000); }},
      {"more colours than bits address", [](auto& b) { Set32(b, 14 + 32, 257); }},
      {"colour count huge", [](auto& b) { Set32(b, 14 + 32, 0xFFFFFFFF); }},
      {"compression unknown", [](auto& b) { Set32(b, 14 + 16, 4); }},
      {"rle without size", [](auto& b) { Set32(b, 14 + 16, 1); Set32(b, 14 + 20, 0); }},
      {"rle size past the end", [](auto& b) { Set32(b, 14 + 16, 1); Set32(b, 14 + 20, 100000); }},
      {"bits cut short", [](auto& b) { b.pop_back(); }},
      {"taller than the bits", [](auto& b) { Set32(b, 14 + 8, 5); }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bad = good;
    c.damage(bad);
    EXPECT_FALSE(ParseFile(bad)) << c.name;
    if (bad.size() >= kFileHeaderSize) {
      EXPECT_FALSE(ParsePacked(Packed(bad))) << c.name;
    }
  }
  EXPECT_TRUE(ParseFile(good));
}

TEST(DibFormat, FileOffsetsAreHonouredWithinTheFile) {
  // A gap after the colour table: the packed DIB leaves it out.
  auto file = MakeBmp(BmpSpec{.width = 2, .height = 2, .bit_count = 24, .gap = 6,
                              .pixel = [](int x, int y) { return static_cast<std::uint32_t>(0x102030 + x + 2 * y); }});
  auto image = ParseFile(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->packed.size(), 40u + 16u);
  // Bottom row first, bytes blue, green, red: (0, 1) is 0x102032, (0, 0) is 0x102030.
  EXPECT_EQ(image->packed[40 + 2], 0x32);
  EXPECT_EQ(image->packed[40 + 8 + 2], 0x30);
  // An offset into the colour table, or one whose bits run past the end, is refused.
  Set32(file, 10, 14 + 20);
  EXPECT_FALSE(ParseFile(file));
  Set32(file, 10, static_cast<std::uint32_t>(file.size()) - 4);
  EXPECT_FALSE(ParseFile(file));
  // An offset of 0 means "right after the colour table".
  auto plain = MakeBmp(BmpSpec{.width = 2, .height = 2, .bit_count = 24});
  Set32(plain, 10, 0);
  EXPECT_TRUE(ParseFile(plain));
}

TEST(DibFormat, FileHeaderCountsColourEntriesOfTheHeadersSize) {
  const auto core = MakeBmp(BmpSpec{.width = 2, .height = 2, .bit_count = 4, .core = true});
  const auto l = ParsePacked(Packed(core));
  ASSERT_TRUE(l);
  const auto h = FileHeader(*l, static_cast<std::uint32_t>(Packed(core).size()));
  EXPECT_EQ(Get32(h.data() + 2), core.size());
  EXPECT_EQ(Get32(h.data() + 10), 14u + 12u + 16u * 3u);  // 3-byte entries, not 4
  EXPECT_EQ(std::vector<std::uint8_t>(h.begin(), h.end()), std::vector<std::uint8_t>(core.begin(), core.begin() + 14));
}

// Random damage to sound files: whatever the parser accepts lies inside the bytes.
TEST(DibFormat, RandomDamageNeverLeadsPastTheEnd) {
  std::mt19937 random(11);
  const std::vector<std::vector<std::uint8_t>> seeds = {
      MakeBmp(BmpSpec{.width = 7, .height = 5, .bit_count = 24}),
      MakeBmp(BmpSpec{.width = 7, .height = -5, .bit_count = 8}),
      MakeBmp(BmpSpec{.width = 17, .height = 3, .bit_count = 1}),
      MakeBmp(BmpSpec{.width = 6, .height = 6, .bit_count = 4, .core = true}),
  };
  for (int round = 0; round < 20000; ++round) {
    std::vector<std::uint8_t> b = seeds[static_cast<std::size_t>(round) % seeds.size()];
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) b[random() % std::min<std::size_t>(b.size(), 60)] = static_cast<std::uint8_t>(random());
    if (random() % 4 == 0) b.resize(random() % b.size());
    const auto image = ParseFile(b);
    if (!image) continue;
    ASSERT_EQ(image->packed.size(), image->layout.packed_size());
    ASSERT_LE(image->layout.packed_size() + kFileHeaderSize, b.size());
  }
}

}  // namespace
}  // namespace ui::dib
