#include "reports/list_helpers.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "reports/report_functions.h"

namespace reports {
namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& i : items) out += i + ",";
  return out;
}

TEST(ListHelpersTest, TheListFollowsItsButtons) {
  struct Case {
    const char* what;
    std::vector<std::string> items;
    int at;
    ListAction action;
    const char* item;
    const char* after;
    int now;
  };
  const Case cases[] = {
      {"added to an empty list", {}, 0, ListAction::kAdd, " ALBARAN ", "ALBARAN,", 1},
      {"added after the current", {"A", "B"}, 1, ListAction::kAdd, "C", "A,C,B,", 2},
      {"not twice", {"A", "B"}, 1, ListAction::kAdd, "B", "A,B,", 2},
      {"nothing to add", {"A"}, 1, ListAction::kAdd, "  ", "A,", 1},
      {"deleted", {"A", "B", "C"}, 2, ListAction::kDelete, "", "A,C,", 2},
      {"the last deleted", {"A", "B"}, 2, ListAction::kDelete, "", "A,", 1},
      {"the only one deleted", {"A"}, 1, ListAction::kDelete, "", "", 0},
      {"nothing to delete", {}, 0, ListAction::kDelete, "", "", 0},
      {"up", {"A", "B", "C"}, 3, ListAction::kUp, "", "A,C,B,", 2},
      {"the first stays up", {"A", "B"}, 1, ListAction::kUp, "", "A,B,", 1},
      {"down", {"A", "B", "C"}, 1, ListAction::kDown, "", "B,A,C,", 2},
      {"the last stays down", {"A", "B"}, 2, ListAction::kDown, "", "A,B,", 2},
      {"a position past the end is the last", {"A", "B"}, 9, ListAction::kUp, "", "B,A,", 1},
  };
  for (const Case& c : cases) {
    std::vector<std::string> items = c.items;
    EXPECT_EQ(MngListBox(items, c.at, c.action, c.item), c.now) << c.what;
    EXPECT_EQ(Joined(items), c.after) << c.what;
  }
}

class ListHelpersFunctionsTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
  }
};

TEST_F(ListHelpersFunctionsTest, ByNameTheArrayChangesInPlace) {
  X("(aT := {'A', 'B'}, nil)");
  EXPECT_EQ(X("TI_MNGLISTBOX(aT, 2, 3)").AsInt(), 1);
  EXPECT_EQ(X("aT[1] + aT[2]").AsString(), "BA");
  EXPECT_EQ(X("TI_MNGLISTBOX(aT, 1, 9, 'X')").AsInt(), 1) << "an unknown action does nothing";
  EXPECT_EQ(X("Len(aT)").AsInt(), 2);
  // Every colour of TI_ANCOLORES at its place; another none.
  EXPECT_EQ(X("TI_SHOWCOLORS(TI_ANCOLORES()[1])").AsInt(), 1);
  EXPECT_EQ(X("TI_SHOWCOLORS(TI_ANCOLORES()[12])").AsInt(), 12);
  EXPECT_EQ(X("TI_SHOWCOLORS(TI_ANCOLORES()[16])").AsInt(), 16);
  EXPECT_EQ(ShowColors(123456), 0);
}

}  // namespace
}  // namespace reports
