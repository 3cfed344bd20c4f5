// Temporary tables on real files: a name whose table another process holds open cannot be
// erased and is passed over; the tables a view or TTEmporal made leave nothing behind.
#include <gtest/gtest.h>

#include "data/program_settings.h"
#include "data/table_views.h"
#include "data/temporary_tables.h"
#include "data/win/data_win_test_support.h"
#include "runtime/function_table.h"
#include "runtime/lib/files.h"

namespace data {
namespace {

using testing::Holder;
using xb::Value;

class TemporaryTablesWinTest : public testing::WindowedDataTest {
 protected:
  void SetUp() override {
    WindowedDataTest::SetUp();
    nHandlers(255);
    cPathTmp(folder_.path());
    for (const char* name : {"CCODUSUARIO", "CCODUSER"})
      xb::RegisterFunction(name, [](xb::Args&) { return Value::String("05"); });
  }
  bool Exists(const std::string& name) { return xb::FileExists(folder_ / name); }
};

TEST_F(TemporaryTablesWinTest, ATableHeldByAnotherProcessIsPassedOver) {
  ASSERT_TRUE(xb::EvalMacro("DBCREATE('" + folder_ / "Tmp050.dbf" + "', {{'A', 'C', 1, 0}}, 'ADS')").AsLogical());
  Holder holder(folder_, {"open", folder_ / "Tmp050.dbf", "foxpro", "shared"});
  ASSERT_TRUE(holder.holding());

  EXPECT_EQ(TemporaryName(folder_.path()), "Tmp051");
  ViewBegin();
  ViewAdd({.table = "Clientes", .folder = folder_.path()});
  ViewAddTemp({.base = "Tmp", .structure_of = "1", .keys = {"CODIGO"}});
  const int view = nOpenView();
  ASSERT_GT(view, 0);
  EXPECT_EQ(xb::EvalMacro("Tmp051->(RECCOUNT())").AsInt(), 0);
  EXPECT_TRUE(Exists("Tmp051.dbf"));
  EXPECT_TRUE(Exists("Tmp051.cdx"));
  EXPECT_TRUE(RestoreView(view));
  EXPECT_FALSE(Exists("Tmp051.dbf"));
  EXPECT_FALSE(Exists("Tmp051.cdx"));
  EXPECT_TRUE(Exists("Tmp050.dbf"));  // still held
  EXPECT_EQ(holder.Release(), 0);
  // Let go, it is the first free name again.
  EXPECT_EQ(TemporaryName(folder_.path()), "Tmp050");
  EXPECT_FALSE(Exists("Tmp050.dbf"));
}

TEST_F(TemporaryTablesWinTest, TTemporalLeavesNothingBehind) {
  auto tmp = xb::MakeRef<TTemporal>();
  const Value fields = xb::EvalMacro("{{'CODIGO', 'C', 4, 0}, {'NOTA', 'M', 10, 0}}");
  ASSERT_TRUE(tmp->Create(fields, folder_.path(), 2));
  tmp->CreateIndex(tmp->acAlias[0].AsString(), xb::EvalMacro("{{'Codigo', 'CODIGO'}}").AsArray());
  for (const char* f : {"Tmp0510.dbf", "Tmp0510.fpt", "Tmp0510.cdx", "Tmp0520.dbf"}) EXPECT_TRUE(Exists(f)) << f;
  tmp->End();
  for (const char* f : {"Tmp0510.dbf", "Tmp0510.fpt", "Tmp0510.cdx", "Tmp0520.dbf", "Tmp0520.fpt"})
    EXPECT_FALSE(Exists(f)) << f;
}

}  // namespace
}  // namespace data
