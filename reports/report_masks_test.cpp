#include "reports/report_masks.h"

#include "data/currency.h"
#include "data/data_test_support.h"
#include "reports/report_functions.h"

namespace reports {
namespace {

class ReportMasksTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
  }
};

TEST_F(ReportMasksTest, NumericPicturesFromWidthAndDecimals) {
  struct Case {
    int width, decimals;
    bool zero;
    const char* picture;
  };
  const Case cases[] = {
      {10, 2, false, "@E 999,999.99"},  {12, 0, false, "@E 999,999,999"}, {12, 0, true, "@EZ 999,999,999"},
      {4, 0, false, "@E 999"},          {3, 0, false, "@E 999"},          {8, 0, false, "@E 999,999"},
      {5, 2, false, "@E 99.99"},        {16, 3, false, "@E 999,999,999.999"},
      {1, 0, false, "@E 9"},            {0, 0, false, "@E "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cPicture(c.width, c.decimals, c.zero), c.picture) << c.width << "," << c.decimals;
  EXPECT_EQ(X("TI_CPICTURE(10, 2)").AsString(), "@E 999,999.99");
}

TEST_F(ReportMasksTest, PicturesCutToAWidthKeepTheirPrefix) {
  EXPECT_EQ(cCortaMascara("@E 999,999.99", 8), "@E 9,999.99");
  EXPECT_EQ(cCortaMascara("@E 999,999.99", 7), "@E 999.99");  // not ",999.99"
  EXPECT_EQ(cCortaMascara("@EZ 999,999,999", 9), "@EZ 9,999,999");
  EXPECT_EQ(cCortaMascara("@EZ 999,999,999", 8), "@EZ 999,999");
  EXPECT_EQ(cCortaMascara("@E 999", 10), "@E 999");
  EXPECT_EQ(cCortaMascara("999,999", 4), "999");
}

TEST_F(ReportMasksTest, TheMaskOfAColumn) {
  struct Case {
    ColumnMask column;
    const char* mask;
  };
  const Case cases[] = {
      {{.mask = "", .picture = true, .width = 10, .decimals = 2, .type = "N"}, "@E 999,999.99"},
      {{.mask = "", .picture = false, .width = 10, .decimals = 2, .type = "N"}, "@E 9999999.99"},
      {{.mask = "", .picture = false, .width = 6, .decimals = 0, .type = "N"}, "@E 999999"},  // no "."
      {{.mask = "  ", .picture = true, .width = 10, .decimals = 0, .type = "C"}, ""},  // the type first
      {{.mask = "", .picture = false, .width = 8, .decimals = 0, .type = "D"}, ""},
      {{.mask = "@!", .picture = true, .width = 10, .decimals = 0, .type = "C"}, "@!"},
      {{.mask = "('@E 99' + '9')", .width = 3, .type = "N"}, "@E 999"},
      {{.mask = "", .picture = true, .currency = "E", .euros = true, .width = 10, .decimals = 2, .type = "N"},
       "@E 999,999.99"},
  };
  for (const Case& c : cases) EXPECT_EQ(Mascara(c.column), c.mask) << c.column.mask << " " << c.column.type;
  // In euros a pesetas column takes the euro form of its mask, with its cents also in a
  // company whose currency is the euro.
  const ColumnMask pesetas{.mask = "@E 9,999,999", .currency = "P", .euros = true, .width = 9, .type = "N"};
  ASSERT_TRUE(data::CurrentCompany().euro());
  EXPECT_EQ(Mascara(pesetas), "@E 99,999.99");
  EXPECT_NE(Mascara(pesetas), "@E 9,999,999");
  EXPECT_EQ(X("TI_MASCARA('', .T., 'E', .F., 12, 0, 'N')").AsString(), "@E 999,999,999");
}

}  // namespace
}  // namespace reports
