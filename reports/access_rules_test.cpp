#include "reports/access_rules.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "reports/report_functions.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"

namespace reports {
namespace {

using xb::Value;

TEST(AccessRules, ListingsAndReportsReadInWholeEntries) {
  struct Case {
    const char* what;
    std::string text;
    const char* user;
    int listing;         // for ACCESOS (-1: not a listing's text)
    const char* level;   // for ACCESO1 + ACCESO2
  };
  const Case cases[] = {
      {"supervisor, empty", "", "00", 1, "2"},
      {"no entry", "", "05", 0, "0"},
      {"listed", "0105", "05", 1, "0"},
      {"blanks ignored", " 01 05 ", "05", 1, "0"},
      {"across two entries", "1050", "05", 0, "0"},
      {"report entry", "012052", "05", -1, "2"},
      {"twice: the first wins", "051052", "05", -1, "1"},
      {"report across entries", "10505", "05", -1, "0"},
      {"second half", std::string(200, ' ') + "051", "05", -1, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.listing >= 0) {
      EXPECT_EQ(ListingAllows(c.text, c.user), c.listing == 1);
    }
    EXPECT_EQ(ReportLevel(c.text, c.user), c.level);
  }
}

TEST(AccessRules, ChangingTheLists) {
  // Listing codes.
  EXPECT_EQ(ListingWithUser("01 02", "05", true, 10), "010205");
  EXPECT_EQ(ListingWithUser("010502", "05", false, 10), "0102");
  EXPECT_EQ(ListingWithUser("01 02", "05", false, 10), std::nullopt) << "an absent user is left as it was";
  EXPECT_EQ(ListingWithUser("0105", "05", true, 10), std::nullopt);
  EXPECT_EQ(ListingWithUser("1050", "05", true, 6), "105005") << "not matched across entries";
  EXPECT_EQ(ListingWithUser("0102", "05", true, 4), "") << "full";
  // Report entries.
  EXPECT_EQ(ReportWithLevel("012052", "05", '1'), "012051") << "replaced in place";
  EXPECT_EQ(ReportWithLevel("012", "05", '2'), "012052");
  EXPECT_EQ(ReportWithLevel("012", "05", '0'), std::nullopt) << "no entry already means none";
  EXPECT_EQ(ReportWithLevel(std::string(399, '1'), "05", '2'), "") << "400 characters are full";
}

class AccessTablesTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    xb::RegisterFunction("CCODUSER", [this](xb::Args&) { return Value::String(user); });
    CreateTable("Listados.dbf", {{"CODIGO", 'C', 6, 0}, {"TITULO", 'C', 20, 0}, {"ACCESOS", 'C', 6, 0}}, 3,
                [](xb::rdd::WorkArea& a, int n) {
                  a.PutField(1, Value::String("L" + std::to_string(n)));
                  a.PutField(3, Value::String(n == 1 ? "0105" : n == 2 ? "" : "010203"));
                });
    CreateTable("Informes.dbf", {{"INFORME", 'C', 10, 0}, {"ACCESO1", 'C', 200, 0}, {"ACCESO2", 'C', 200, 0}}, 2,
                [](xb::rdd::WorkArea& a, int n) {
                  a.PutField(1, Value::String("INF" + std::to_string(n)));
                  a.PutField(2, Value::String(n == 1 ? "052" : std::string(200, '7').substr(0, 198)));
                  a.PutField(3, Value::String(n == 1 ? "" : std::string(198, '8') + "05"));
                });
    ASSERT_GT(Use("Listados.dbf", "LIS", true), 0);
    X("ORDCREATE(, 'CODIGO', 'Upper(Codigo)')");
    ASSERT_GT(Use("Informes.dbf", "INF", true), 0);
    X("ORDCREATE(, 'Informe', 'Upper( Informe )')");
  }
  std::string Accesos(const std::string& code) {
    return std::string(xb::AllTrim(X("(LIS->(DBSEEK('" + code + "')), LIS->ACCESOS)").AsString()));
  }
  std::string user = "05";
};

TEST_F(AccessTablesTest, PublicFunctionsReadTheRows) {
  EXPECT_TRUE(X("CACCESOLISTADO('LIS', 'L1', .F., .T.)").AsLogical());
  EXPECT_FALSE(X("CACCESOLISTADO('LIS', 'L2', .F., .T.)").AsLogical()) << "empty ACCESOS";
  EXPECT_FALSE(X("CACCESOLISTADO('LIS', 'L1', .T., .T., '02')").AsLogical());
  EXPECT_TRUE(X("CACCESOLISTADO('LIS', 'L3', .T., .T., '02')").AsLogical());
  EXPECT_TRUE(X("CACCESOLISTADO('LIS', 'L2', .T., .T., '00')").AsLogical()) << "the supervisor";
  EXPECT_FALSE(X("CACCESOLISTADO('LIS', 'NADA', .F., .T.)").AsLogical());
  X("LIS->(DBSEEK('L1'))");
  EXPECT_TRUE(X("CACCESOLISTADO('LIS')").AsLogical()) << "the current row";
  EXPECT_EQ(X("CACCESOINFORME('INF', 'INF1', .F., .T.)").AsString(), "2");
  EXPECT_EQ(X("CACCESOINFORME('INF', 'INF2', .T., .T., '01')").AsString(), "0");
  user = "00";
  EXPECT_EQ(X("CACCESOINFORME('INF', 'INF2', .F., .T.)").AsString(), "2");
}

TEST_F(AccessTablesTest, MapsSaveAndAFullListStaysAsItWas) {
  ASSERT_TRUE(SaveListingMap("LIS", {{"L1", '0'}, {"L2", '2'}, {"L3", '2'}}, "05"));
  EXPECT_EQ(Accesos("L1"), "01");
  EXPECT_EQ(Accesos("L2"), "05");
  EXPECT_EQ(Accesos("L3"), "010203") << "full: refused";
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text, "No caben más usuarios en la lista de accesos de L3");
  EXPECT_EQ(ui().messages[0].title, " Atención");
  EXPECT_TRUE(X("CACCESOLISTADO('LIS', 'L2', .T., .T., '05')").AsLogical());

  ASSERT_TRUE(SaveReportMap("INF", {{"INF1", '1'}, {"INF2", '2'}}, "05"));
  EXPECT_EQ(X("CACCESOINFORME('INF', 'INF1', .T., .T., '05')").AsString(), "1");
  EXPECT_EQ(X("CACCESOINFORME('INF', 'INF2', .T., .T., '05')").AsString(), "0") << "no room for the entry";
  EXPECT_EQ(ui().messages.size(), 2u);
  ASSERT_TRUE(SaveReportMap("INF", {{"INF1", '0'}}, "05"));
  EXPECT_EQ(X("CACCESOINFORME('INF', 'INF1', .T., .T., '05')").AsString(), "0");
}

}  // namespace
}  // namespace reports
