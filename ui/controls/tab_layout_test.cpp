// Where folder tabs and strip tabs lie: the folder's tab-size rule, the tab under a click,
// and the strip's layout from its first tab, its arrows and the last tab shown.
#include "ui/controls/tab_layout.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(TabLayout, FolderTabsShareTheWidthOrFitTheirLongestPrompt) {
  struct Case {
    int width;
    std::vector<int> prompts;
    bool all_width;
    int size;
  } cases[] = {
      {300, {}, false, 300},            // no tab: the whole width
      {300, {20, 30, 25}, true, 100},   // shared equally
      {301, {20, 30, 25}, true, 100},   // whole pixels
      {300, {20, 30, 25}, false, 70},   // the longest prompt + 40
      {300, {20, 90, 25}, false, 100},  // never wider than the share
      {90, {20, 30}, false, 45},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FolderTabSize(c.width, c.prompts, c.all_width), c.size) << c.width << " " << c.prompts.size();
}

TEST(TabLayout, AFolderClickTakesTheTabUnderItAndTheLastBeyondIt) {
  const std::vector<int> widths = {50, 70, 60};
  struct Case {
    int x, tab;
  } cases[] = {{0, 1}, {50, 1}, {51, 2}, {120, 2}, {121, 3}, {180, 3}, {400, 3}};
  for (const Case& c : cases) EXPECT_EQ(FolderTabAt(c.x, widths), c.tab) << c.x;
  EXPECT_EQ(FolderTabAt(10, {}), 0);
}

TEST(TabLayout, AStripShowsTheTabsThatFitFromItsFirst) {
  const std::vector<int> sizes = {40, 60, 50, 70};
  // 5 + 48, then +50: 55 .. 123, then +70: 125 .. 183, then +60: 185 .. 263.
  StripLayout all = LayOutStrip(sizes, 1, 4, 300);
  ASSERT_EQ(all.tabs.size(), 4u);
  EXPECT_EQ(all.tabs[0].left, 5);
  EXPECT_EQ(all.tabs[0].right, 53);
  EXPECT_EQ(all.tabs[1].left, 55);
  EXPECT_EQ(all.tabs[3].right, 263);
  EXPECT_TRUE(all.last_shown);

  StripLayout cut = LayOutStrip(sizes, 1, 4, 200);
  ASSERT_EQ(cut.tabs.size(), 3u);
  EXPECT_FALSE(cut.last_shown);
  StripLayout later = LayOutStrip(sizes, 3, 4, 200);
  ASSERT_EQ(later.tabs.size(), 2u);
  EXPECT_EQ(later.tabs[0].index, 3);
  EXPECT_EQ(later.tabs[0].left, 5);
  EXPECT_TRUE(later.last_shown);

  struct Case {
    int x, tab;
  } cases[] = {{4, 0}, {5, 1}, {53, 1}, {54, 1}, {55, 2}, {124, 2}, {125, 3}, {183, 3}, {194, 0}};
  for (const Case& c : cases) EXPECT_EQ(StripTabAt(cut, c.x), c.tab) << c.x;

  EXPECT_TRUE(StripNeedsArrows(sizes, 4, 200));
  EXPECT_FALSE(StripNeedsArrows(sizes, 4, 260));
  EXPECT_TRUE(StripNeedsArrows(sizes, 4, 256));
}

}  // namespace
}  // namespace ui
