#include "data/temporary_tables.h"

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/table_views.h"
#include "runtime/function_table.h"

namespace data {
namespace {

using testing::DataTest;
using xb::Value;

class TemporaryTablesTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ResetTableViews();
    nHandlers(255);
    memory().MakeFolder("..\\TMP\\");
    xb::RegisterFunction("CCODUSER", [](xb::Args&) { return Value::String("05"); });
  }
  void TearDown() override {
    ResetTableViews();
    DataTest::TearDown();
  }
  bool Exists(const std::string& path) { return memory().Exists(path); }
  static std::string Path(const xb::rdd::WorkArea& a) { return const_cast<xb::rdd::WorkArea&>(a).table().path(); }
  xb::rdd::WorkArea* AreaOf(const Value& alias) {
    return areas().Area(areas().AreaOfAlias(alias.AsString()));
  }
};

TEST_F(TemporaryTablesTest, NamesTakeTheUserCodeTheGroupMarkTheSuffixAndTheFirstFreeNumber) {
  EXPECT_EQ(TemporaryName("..\\TMP\\"), "Tmp050");
  EXPECT_EQ(TemporaryName("..\\TMP\\", true, "X"), "Tmp05GX0");
  CreateTable("..\\TMP\\Tmp05X0.dbf", {{"A", 'C', 1, 0}});
  CreateTable("..\\TMP\\Tmp05X1.dbf", {{"A", 'C', 1, 0}});
  memory().SetContents("..\\TMP\\Tmp05X1.cdx", "old");
  // Number 0 is held open elsewhere: it cannot be erased, and 1, left behind, goes.
  ASSERT_GT(Use("..\\TMP\\Tmp05X0.dbf", "HOLDER", true), 0);
  EXPECT_EQ(TemporaryName("..\\TMP\\", false, "X"), "Tmp05X1");
  EXPECT_TRUE(Exists("..\\TMP\\Tmp05X0.dbf"));
  EXPECT_FALSE(Exists("..\\TMP\\Tmp05X1.dbf"));
  EXPECT_FALSE(Exists("..\\TMP\\Tmp05X1.cdx"));
}

TEST_F(TemporaryTablesTest, CreateIndexAndEnd) {
  X("oTmp := TTEMPORAL():Create({{'CODIGO', 'C', 4, 0}, {'IMPORTE', 'N', 10, 2}, {'NOTA', 'M', 10, 0}}, "
    "'..\\TMP\\', 2)");
  ASSERT_TRUE(X("oTmp:lExito").AsLogical());
  EXPECT_EQ(X("oTmp:nEntorno").AsInt(), 1);
  EXPECT_EQ(X("oTmp:acFiles[1] + ' ' + oTmp:acFiles[2]").AsString(), "Tmp0510 Tmp0520");
  EXPECT_EQ(X("oTmp:acAlias[1] + ' ' + oTmp:acAlias[2]").AsString(), "Tmp05101 Tmp05201");
  xb::rdd::WorkArea* first = AreaOf(X("oTmp:acAlias[1]"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Path(*first), "..\\TMP\\Tmp0510.dbf");
  EXPECT_FALSE(first->table().shared());
  EXPECT_EQ(first->FieldCount(), 3);

  X("(oTmp:acAlias[1])->(DBAPPEND(), FIELDPUT(1, 'B'), DBAPPEND(), FIELDPUT(1, 'A'), DBGOBOTTOM())");
  X("oTmp:CreateIndex(oTmp:acAlias[1], {{'Codigo', 'CODIGO'}, {'Importe', 'STR(IMPORTE)', .T.}})");
  EXPECT_EQ(first->OrderCount(), 2);
  EXPECT_EQ(first->controlling_order(), 1);
  EXPECT_EQ(first->recno(), 2u);  // "A" at the top

  X("oTmp:End()");
  EXPECT_EQ(X("oTmp:nEntorno").AsInt(), 0);
  EXPECT_EQ(X("LEN(oTmp:acAlias) + LEN(oTmp:acFiles)").AsInt(), 0);
  EXPECT_EQ(areas().AreaOfAlias("Tmp05101"), 0);
  for (const char* f : {"Tmp0510.dbf", "Tmp0510.cdx", "Tmp0510.fpt", "Tmp0520.dbf", "Tmp0520.fpt"})
    EXPECT_FALSE(Exists(std::string("..\\TMP\\") + f)) << f;
  EXPECT_EQ(nChgFiles(), 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(TemporaryTablesTest, EndWithoutErasingKeepsTheTablesButClosesTheView) {
  CreateTable("..\\DBF01\\Clientes.dbf", {{"CODIGO", 'C', 6, 0}, {"NOMBRE", 'C', 20, 0}});
  ASSERT_GT(Use("..\\DBF01\\Clientes.dbf", "CLI", true), 0);
  auto tmp = xb::MakeRef<TTemporal>();
  // An array of items: a field list and an alias, one table each.
  const Value items(xb::Array::Of(
      {Value(xb::Array::Of({Value(xb::Array::Of({Value::String("X"), Value::String("L"), Value::Integer(1),
                                                 Value::Integer(0)}))})),
       Value::String("Cli")}));
  ASSERT_TRUE(tmp->Create(items, "..\\TMP\\", 5));
  ASSERT_EQ(tmp->acAlias.size(), 2u);
  EXPECT_EQ(AreaOf(tmp->acAlias[0])->FieldCount(), 1);
  EXPECT_EQ(AreaOf(tmp->acAlias[1])->FieldCount(), 2);
  const int view = static_cast<int>(tmp->nEntorno);
  tmp->End(false);
  EXPECT_FALSE(RestoreView(view));  // already closed
  EXPECT_EQ(areas().AreaOfAlias("Tmp05101"), 0);
  EXPECT_TRUE(Exists("..\\TMP\\Tmp0510.dbf"));
  EXPECT_TRUE(Exists("..\\TMP\\Tmp0520.dbf"));

  // An alias alone gives its structure; a folder that is not there creates nothing.
  auto other = xb::MakeRef<TTemporal>();
  EXPECT_TRUE(other->Create(Value::String("Cli"), "..\\TMP\\"));
  EXPECT_EQ(other->acFiles[0].AsString(), "Tmp0510");  // the kept one was left over: erased
  other->End();
  auto none = xb::MakeRef<TTemporal>();
  EXPECT_FALSE(none->Create(Value::String("Cli"), "..\\NOHAY\\"));
  EXPECT_FALSE(none->lExito);
  EXPECT_EQ(none->nEntorno, 0);
}

}  // namespace
}  // namespace data
