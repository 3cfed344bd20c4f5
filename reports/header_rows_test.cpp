#include "reports/header_rows.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "reports/dictionary_files.h"
#include "reports/report_functions.h"

namespace reports {
namespace {

class HeaderRowsTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    memory().MakeFolder("INF\\");
    ASSERT_TRUE(CheckStruct("INF"));
    ASSERT_TRUE(DictReindex("INF", true));
    ASSERT_GT(Use("INF\\CabeH.dbf", "CabeH", true), 0);
    ASSERT_GT(Use("INF\\CabeD.dbf", "CabeD", true), 0);
  }
  static Header Sample(const std::string& code, int items) {
    Header h;
    h.cod = code;
    h.descrip = "Cabecera " + code;
    h.posicion = 45.5;
    h.pfinal = 280;
    for (int i = 1; i <= items; ++i) {
      HeaderItem item;
      item.dato = i;
      item.texto = "Texto " + std::to_string(i);
      item.linea = 10 * i;
      item.columna = 5.5;
      h.items.push_back(item);
    }
    return h;
  }
};

TEST_F(HeaderRowsTest, AHeaderIsSavedWholeAndItsItemsReplaced) {
  ASSERT_TRUE(SaveHeader("CabeH", "CabeD", Sample("A01", 3), true));
  ASSERT_TRUE(SaveHeader("CabeH", "CabeD", Sample("B01", 1), true));
  Header h;
  ASSERT_TRUE(LoadHeader("CabeH", "CabeD", "a01", &h));
  EXPECT_EQ(h.descrip, "Cabecera A01");
  EXPECT_DOUBLE_EQ(h.posicion, 45.5);
  ASSERT_EQ(h.items.size(), 3u);
  EXPECT_EQ(h.items[2].texto, "Texto 3");
  EXPECT_DOUBLE_EQ(h.items[1].linea, 20);

  // Changed in the working copy: one item less, renamed; the other header keeps its own.
  h.items.pop_back();
  h.cod = "A02";
  X("CabeH->(DBGoTop())");
  ASSERT_TRUE(SaveHeader("CabeH", "CabeD", h, false));
  Header again;
  EXPECT_FALSE(LoadHeader("CabeH", "CabeD", "A01", &again));
  ASSERT_TRUE(LoadHeader("CabeH", "CabeD", "A02", &again));
  EXPECT_EQ(again.items.size(), 2u);
  ASSERT_TRUE(LoadHeader("CabeH", "CabeD", "B01", &again));
  EXPECT_EQ(again.items.size(), 1u);

  EXPECT_FALSE(SaveHeader("CabeH", "CabeD", Sample("B01", 0), true));
  EXPECT_EQ(ui().messages.back().text, "Nombre duplicado");

  DeleteHeader("CabeH", "CabeD", "A02");
  EXPECT_FALSE(LoadHeader("CabeH", "CabeD", "A02", &again));
  EXPECT_EQ(X("CabeD->(AdsKeyCount())").AsInt(), 1);  // the keys SET DELETED shows: B01's item
}

TEST_F(HeaderRowsTest, Adjustments) {
  EXPECT_EQ(nAjuste("I"), 0);
  EXPECT_EQ(nAjuste("d"), 1);
  EXPECT_EQ(nAjuste("C"), 2);
  EXPECT_EQ(nAjuste(""), 2);
}

TEST_F(HeaderRowsTest, AnImageTakesAThirdOfItsPixelsInTenths) {
  const std::pair<int, double> cases[] = {{300, 100.0}, {100, 33.3}, {101, 33.7}, {2, 0.7}, {0, 0.0}};
  for (const auto& [pixels, mm] : cases) EXPECT_DOUBLE_EQ(ImageDefaultMm(pixels), mm) << pixels;
}

}  // namespace
}  // namespace reports
