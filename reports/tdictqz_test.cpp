#include "reports/tdictqz.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "reports/report_functions.h"
#include "runtime/lib/strings.h"

namespace reports {
namespace {

using xb::Value;

class TDictQZTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    memory().MakeFolder("INF\\");
    memory().MakeFolder("INF\\TEMP\\");
    data::nHandlers(255);
    SetDictionaryWindowHook({[this](TDictQZ&) { ++shown; }, [this](TDictQZ&) { ++ended; }});
  }
  void TearDown() override {
    SetDictionaryWindowHook({});
    DataTest::TearDown();
  }
  int shown = 0;
  int ended = 0;
};

TEST_F(TDictQZTest, NewMakesTheFilesAndActivateOpensTheTablesAsOneView) {
  X("DBSELECTAREA(3)");
  X("(oDic := TDictQZ():New('INF'), nil)");
  EXPECT_EQ(X("SELECT()").AsInt(), 3) << "the area selected before";
  EXPECT_EQ(X("oDic:cPath").AsString(), "INF\\");
  EXPECT_EQ(X("oDic:cTempPath").AsString(), "INF\\TEMP\\");
  EXPECT_EQ(X("oDic:cTitle").AsString(), "Diccionario");
  EXPECT_TRUE(memory().Exists("INF\\Tablas.cdx"));
  EXPECT_EQ(X("Len(oDic:aDbfs)").AsInt(), 22);
  EXPECT_EQ(X("Len(oDic:alOpen)").AsInt(), 15);

  ASSERT_TRUE(X("oDic:Activate()").AsLogical()) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(X("oDic:lAbierto").AsLogical());
  const std::string tablas(X("oDic:aDbfs[1]").AsString());
  const std::string subcat(X("oDic:aDbfs[22]").AsString());
  EXPECT_TRUE(tablas.starts_with("Tablas")) << tablas;
  EXPECT_GT(X("SELECT('" + tablas + "')").AsInt(), 0);
  EXPECT_GT(X("SELECT('" + subcat + "')").AsInt(), 0);
  EXPECT_EQ(X(std::string(X("oDic:aDbfs[18]").AsString()) + "->(OrdName())").AsString(), "CODIGO");
  EXPECT_EQ(TDictQZ::AliasOf("cabed"), std::string(X("oDic:aDbfs[19]").AsString()));
  // A second object shares the class data.
  EXPECT_EQ(X("TDictQZ():aDbfs[1]").AsString(), tablas);

  X("oDic:End()");
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(X("oDic:lAbierto").AsLogical());
  EXPECT_EQ(X("SELECT('" + tablas + "')").AsInt(), 0);
}

TEST_F(TDictQZTest, NewSelectsTheAdvantageDriverForTheDictionary) {
  X("RDDSETDEFAULT('DBFNTX')");
  X("(oDic := TDictQZ():New('INF'), nil)");
  EXPECT_EQ(X("RDDSETDEFAULT()").AsString(), "ADS");
  EXPECT_TRUE(memory().Exists("INF\\Informes.cdx"));
  EXPECT_FALSE(memory().Exists("INF\\Informes.ntx"));
}

TEST_F(TDictQZTest, TheCheckingModesHoldInformesAndRelTabAlone) {
  X("(oDic := TDictQZ():New('INF'), nil)");
  ASSERT_TRUE(X("oDic:Activate('CHK')").AsLogical());
  const std::string informes(X("oDic:aDbfs[9]").AsString());
  ASSERT_FALSE(informes.empty());
  EXPECT_FALSE(areas().Area(areas().AreaOfAlias(informes))->table().shared());
  EXPECT_TRUE(areas().Area(areas().AreaOfAlias(std::string(X("oDic:aDbfs[1]").AsString())))->table().shared());
  X("oDic:End()");
  // Held by another: the message, then shared.
  ASSERT_GT(Use("INF\\RelTab.dbf", "OTRO", true), 0);
  ASSERT_TRUE(X("oDic:Activate('CHK')").AsLogical());
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text, "Imposible abrir fichero en modo exclusivo");
  X("oDic:End()");
}

TEST_F(TDictQZTest, ASecondDictionaryEndedLeavesTheFirstOpen) {
  X("(oDic := TDictQZ():New('INF'), nil)");
  ASSERT_TRUE(X("oDic:Activate()").AsLogical());
  const std::string tablas(X("oDic:aDbfs[1]").AsString());
  const std::string cabeh(X("oDic:aDbfs[18]").AsString());
  X("(oOtro := TDictQZ(), nil)");
  ASSERT_TRUE(X("oOtro:Activate('ID')").AsLogical());
  const std::string inner(X("oOtro:aDbfs[1]").AsString());
  EXPECT_NE(inner, tablas) << "a view of its own";
  X("oOtro:End()");
  EXPECT_EQ(X("oDic:aDbfs[1]").AsString(), tablas);
  EXPECT_EQ(TDictQZ::AliasOf("CabeH"), cabeh);
  EXPECT_GT(X("SELECT('" + tablas + "')").AsInt(), 0) << "the first dictionary's tables stay open";
  EXPECT_EQ(X("SELECT('" + inner + "')").AsInt(), 0);
  EXPECT_TRUE(X("oDic:lAbierto").AsLogical());
  // Ended twice, or never activated: nothing of the open one is lost.
  X("oOtro:End()");
  X("TDictQZ():End()");
  EXPECT_EQ(TDictQZ::AliasOf("Tablas"), tablas);
  X("oDic:End()");
  EXPECT_EQ(TDictQZ::AliasOf("Tablas"), "");
  EXPECT_EQ(X("SELECT('" + tablas + "')").AsInt(), 0);
}

TEST_F(TDictQZTest, TheListingFontsBecomeStyleClasses) {
  X("(oDic := TDictQZ():New('INF'), nil)");
  ASSERT_GT(Use("INF\\Fonts.dbf", "F", true), 0);
  X("F->(DBAppend(), FieldPut(1, 1), FieldPut(2, 'Times'), FieldPut(3, .T.), FieldPut(6, 12), FieldPut(7, 255))");
  X("F->(DBAppend(), FieldPut(1, 2), FieldPut(4, .T.), FieldPut(6, 9.5), FieldPut(7, 16711680))");
  X("F->(DBCommit(), DBUnlock(), DBCloseArea())");
  const xb::Array fonts = X("oDic:BuildFonts()").AsArray();
  ASSERT_EQ(fonts.size(), 2u);
  EXPECT_EQ(fonts[0].AsArray()[0].AsString(), "FNT_1");
  EXPECT_EQ(fonts[0].AsArray()[1].AsString(), "font-family: Times; font-size: 12pt; color: #FF0000; font-weight: bold;");
  EXPECT_EQ(fonts[1].AsArray()[1].AsString(), "font-family: Arial; font-size: 9.5pt; color: #0000FF; font-style: italic;");
  EXPECT_EQ(X("Len(oDic:aHTMLFonts)").AsInt(), 2);
}

}  // namespace
}  // namespace reports
