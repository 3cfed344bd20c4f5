// Colour pairs and the small helpers.
#include "ui/bridge/small_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "ui/bridge/text_colors.h"

namespace ui {
namespace {

TEST(TextColors, PairsGiveForegroundAndBackground) {
  struct Case {
    const char* pair;
    COLORREF fore, back;
  };
  const Case cases[] = {
      {"W+/B", 0xFFFFFF, 0x800000},
      {"N/W*", 0x000000, 0xFFFFFF},
      {"N/W", 0x000000, 0xC0C0C0},
      {"N+/N", 0x808080, 0x000000},
      {"gr+/bg", 0x00FFFF, 0x808000},
      {"R/RB", 0x000080, 0x800080},
      {"G+/R*", 0x00FF00, 0x0000FF},
      {"B", 0x800000, 0x000000},          // no slash: no background letters
      {"x-W?/ z", 0xC0C0C0, 0x000000},    // other characters are skipped
      {"/W", 0x000000, 0xC0C0C0},
      {"", 0x000000, 0x000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pair);
    EXPECT_EQ(NGetForeRGB(c.pair), c.fore);
    EXPECT_EQ(NGetBackRGB(c.pair), c.back);
  }
  EXPECT_EQ(NRGBRed(0x123456), 0x56);
  EXPECT_EQ(NRGBGreen(0x123456), 0x34);
  EXPECT_EQ(NRGBBlue(0x123456), 0x12);
}

TEST(BitHelpers, FoldAllArgumentsLeftToRight) {
  EXPECT_EQ(NOr({1, 2, 4}), 7);
  EXPECT_EQ(NOr({}), 0);
  EXPECT_EQ(NAnd({7, 6, 14}), 6);
  EXPECT_EQ(NAnd({0x1'0000'0001LL, 0x1'0000'0000LL}), 0x1'0000'0000LL);  // 64-bit handles
  EXPECT_EQ(NNot(0), -1);
  EXPECT_FALSE(LAnd(6, 1));
  EXPECT_TRUE(LAnd(6, 2));
}

TEST(TextHelpers, HexAndDataNames) {
  EXPECT_EQ(I2Hex(0x12345), "2345");
  EXPECT_EQ(I2Hex(0), "0000");
  EXPECT_EQ(I2Hex(-1), "FFFF");
  EXPECT_EQ(I2Hex(0xabc), "0ABC");
  EXPECT_EQ(CChr2Data("CLIENTES"), "cLientes");
  EXPECT_EQ(CChr2Data("A1B"), "a1b");  // "1" does not sort after "9"
  EXPECT_EQ(CChr2Data("X"), "x");
  EXPECT_EQ(CChr2Data(""), "");
}

TEST(MemoryWords, ReadsOnlyReadableMemory) {
  const std::uint16_t words[2] = {0xBEEF, 0x1234};
  EXPECT_EQ(NPtrWord(reinterpret_cast<std::uintptr_t>(&words[0])), 0xBEEF);
  EXPECT_EQ(NPtrWord(reinterpret_cast<std::uintptr_t>(&words[1])), 0x1234);
  EXPECT_EQ(NPtrWord(0), 0);
  EXPECT_EQ(NPtrWord(8), 0);
  EXPECT_EQ(NPtrWord(0x7FFF'FFFF'0000ULL), 0);
}

TEST(Folders, MakeAndChangeDirectory) {
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  const std::string dir = std::string(before) + "\\vdr_lmkdir_test";
  RemoveDirectoryA(dir.c_str());
  EXPECT_TRUE(LMkDir(dir));
  EXPECT_FALSE(LMkDir(dir));  // already there
  EXPECT_TRUE(LChDir(dir));
  EXPECT_TRUE(LChDir(before));
  EXPECT_FALSE(LChDir(dir + "\\no\\existe"));
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace ui
