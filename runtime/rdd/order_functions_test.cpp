// The order functions as run-time compiled text calls them: the reference tables opened with
// their indexes, and the organisation's road (ORDCONDSET + ORDCREATE per tag, DBCREATEINDEX
// with DBFNTX) giving the reference files byte for byte.
#include "runtime/rdd/order_functions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/test_env.h"

namespace xb::rdd {
namespace {

class OrderFunctions : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitTables();
    // The library functions the reference keys call, until the standard library registers them.
    if (!IsFunctionRegistered("UPPER")) Def("UPPER", [](std::string_view s) { return Upper(CurrentCodePage(), s); });
    if (!IsFunctionRegistered("DTOS")) Def("DTOS", [](Date d) { return d.Dtos(); });
    if (!IsFunctionRegistered("STR"))
      Def("STR", [](double v, std::optional<std::int64_t> len, std::optional<std::int64_t> dec) {
        const int l = static_cast<int>(len.value_or(10)), d = static_cast<int>(dec.value_or(0));
        const std::string text = dbf::FormatNumber(v, l, d);
        return text.empty() ? std::string(static_cast<std::size_t>(l), '*') : text;
      });
    previous_codepage_ = SetCodePage("ESWIN");
    memory_.MakeFolder("datos/");
    WorkAreas::Get().set_file_system(&memory_);
  }
  void TearDown() override {
    ResetTables();
    SetCodePage(previous_codepage_);
    RuntimeTest::TearDown();
  }
  static Value X(std::string_view text) { return EvalMacro(text); }
  static bool L(std::string_view text) { return X(text).AsLogical(); }
  static std::int64_t N(std::string_view text) { return X(text).AsInt(); }
  static std::string S(std::string_view text) { return std::string(X(text).AsString()); }
  void Put(const std::string& relative, const std::string& as = "") {
    memory_.SetContents("datos/" + (as.empty() ? PathName(relative) : as),
                        testing::ReadWholeFile(testing::ReferenceFile(relative)));
  }
  static std::string Reference(const std::string& relative) {
    return testing::ReadWholeFile(testing::ReferenceFile(relative));
  }

  MemoryFileSystem memory_;
  std::string previous_codepage_;
};

TEST_F(OrderFunctions, ReferenceTableOpensWithItsOrdersAndSeeks) {
  Put("cdx-1k/fixture.dbf");
  Put("cdx-1k/fixture.fpt");
  Put("cdx-1k/fixture.cdx");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'FIX', .T., .F.)"));
  EXPECT_EQ(N("INDEXORD()"), 0);
  EXPECT_EQ(S("ORDSETFOCUS(2)"), "");
  EXPECT_EQ(S("ORDSETFOCUS('fecha')"), "NOMBRE");
  EXPECT_EQ(N("INDEXORD()"), 3);
  EXPECT_EQ(S("ORDNAME(1)"), "CODIGO");
  EXPECT_EQ(S("ORDNAME(6)"), "DESC");
  EXPECT_EQ(N("ORDNUMBER('Activos')"), 5);
  EXPECT_EQ(N("ORDNUMBER('NADA')"), 0);
  EXPECT_EQ(S("ORDKEY(2)"), "UPPER(NOMBRE)+CODIGO");
  EXPECT_EQ(S("INDEXKEY(0)"), "DTOS(FECHA)+CODIGO");
  EXPECT_EQ(S("ORDFOR('ACTIVOS')"), "ACTIVO");
  EXPECT_EQ(S("ORDBAGNAME(1)"), "FIXTURE");
  // Order 0 means "the controlling one" to the readers, but natural order to ORDSETFOCUS.
  EXPECT_EQ(S("ORDSETFOCUS(0)"), "FECHA");
  EXPECT_EQ(N("INDEXORD()"), 0);
  EXPECT_EQ(S("ORDSETFOCUS('FECHA')"), "");

  // ORDKEYCOUNT counts every key, SET DELETED or not; ADSKEYCOUNT hides the 44 deleted
  // records under SET DELETED unless told to ignore filters.
  EXPECT_EQ(N("ORDKEYCOUNT(1)"), 1000);
  X("SET(11, .T.)");
  EXPECT_EQ(N("ORDKEYCOUNT(1)"), 1000);
  EXPECT_EQ(N("ADSKEYCOUNT(NIL, NIL, 1)"), 956);
  EXPECT_EQ(N("ADSKEYCOUNT(NIL, NIL, 2)"), 1000);

  X("ORDSETFOCUS(1)");
  EXPECT_TRUE(L("DBSEEK('u41668')"));
  EXPECT_TRUE(L("FOUND()"));
  EXPECT_EQ(S("FIELDGET(1)"), "u41668    ");
  EXPECT_EQ(S("ORDKEYVAL()"), "u41668    ");
  // Its position among every key, and among the keys SET DELETED shows.
  EXPECT_EQ(N("ORDKEYNO()"), 997);
  const std::int64_t position = N("ADSKEYNO()");
  EXPECT_EQ(position, 954);
  X("DBGOBOTTOM()");
  EXPECT_EQ(N("ORDKEYNO()"), 1000);
  EXPECT_EQ(N("ADSKEYNO()"), 956);
  X("DBGOTOP()");
  X("DBSKIP(" + std::to_string(position - 1) + ")");
  EXPECT_EQ(S("FIELDGET(1)"), "u41668    ");

  // Not found: end of file, or the next key with a soft seek.
  EXPECT_FALSE(L("DBSEEK('u41669')"));
  EXPECT_TRUE(L("EOF()"));
  EXPECT_FALSE(L("DBSEEK('u41669', .T.)"));
  EXPECT_FALSE(L("EOF()"));
  EXPECT_GT(S("FIELDGET(1)"), "u41669");
  X("SET(9, .T.)");  // SET SOFTSEEK ON
  EXPECT_FALSE(L("DBSEEK('u41669')"));
  EXPECT_FALSE(L("EOF()"));
  // Partial keys and the last of equal keys.
  X("ORDSETFOCUS('FECHA')");
  EXPECT_TRUE(L("DBSEEK('2009')"));
  EXPECT_EQ(S("DTOS(FIELDGET(3))").substr(0, 4), "2009");
}

TEST_F(OrderFunctions, OrganisationRoadBuildsTheReferenceCdxByteForByte) {
  Put("cdx-1k/fixture.dbf");
  Put("cdx-1k/fixture.fpt");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'FIX', .F., .F.)"));
  const char* const tags[][3] = {
      {"CODIGO", "CODIGO", ""}, {"NOMBRE", "UPPER(NOMBRE)+CODIGO", ""}, {"FECHA", "DTOS(FECHA)+CODIGO", ""},
      {"IMPORTE", "STR(IMPORTE,12,2)", ""}, {"ACTIVOS", "CODIGO", "ACTIVO"}, {"DESC", "CODIGO", ""}};
  for (const auto& t : tags) {
    const bool desc = std::string(t[0]) == "DESC";
    X(std::string("ORDCONDSET('") + t[2] + "',,,,,, RECNO(),,,," + (desc ? ".T." : ".F.") + ")");
    X(std::string("ORDCREATE(, '") + t[0] + "', '" + t[1] + "', {|| " + t[1] + " }, .F.)");
    EXPECT_EQ(S("ORDNAME(INDEXORD())"), t[0]);
  }
  X("DBCLOSEAREA()");
  const std::string built = memory_.Contents("datos/fixture.cdx"), expected = Reference("cdx-1k/fixture.cdx");
  EXPECT_EQ(built.size(), expected.size());
  std::size_t diff = 0;
  while (diff < built.size() && diff < expected.size() && built[diff] == expected[diff]) ++diff;
  EXPECT_EQ(diff, expected.size()) << "first difference at offset " << diff;
  if (const char* dump = std::getenv("VDR_CDX_DUMP")) {
    std::FILE* f = std::fopen(dump, "wb");
    if (f) { std::fwrite(built.data(), 1, built.size(), f); std::fclose(f); }
  }
}

TEST_F(OrderFunctions, NtxIndexesByDbCreateIndexMatchTheReferenceFiles) {
  Put("ntx-1k/fixture.dbf");
  Put("ntx-1k/fixture.dbt");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFNTX', 'datos/fixture', 'FIX', .F., .F.)"));
  X("DBCREATEINDEX('datos/codigo', 'CODIGO', {|| CODIGO }, .F.)");
  EXPECT_EQ(N("INDEXORD()"), 1);
  EXPECT_EQ(S("ORDNAME(1)"), "CODIGO");
  X("ORDCONDSET('ACTIVO')");
  X("ORDCREATE('datos/activos', 'ACTIVOS', 'CODIGO')");
  X("ORDCONDSET(,,,,,,,,,, .T.)");
  X("ORDCREATE('datos/desc', 'DESC', 'CODIGO')");
  EXPECT_EQ(N("ORDKEYCOUNT('ACTIVOS')"), N("ORDKEYCOUNT('ACTIVOS')"));
  X("DBCLOSEAREA()");
  for (const char* file : {"codigo.ntx", "activos.ntx", "desc.ntx"})
    EXPECT_TRUE(memory_.Contents(std::string("datos/") + file) == Reference(std::string("ntx-1k/") + file)) << file;
  // Opened again with ORDLISTADD, the first bag takes control.
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFNTX', 'datos/fixture', 'FIX', .T., .F.)"));
  X("ORDLISTADD('datos/desc')");
  X("ORDLISTADD('datos/codigo')");
  EXPECT_EQ(N("INDEXORD()"), 1);
  EXPECT_EQ(S("ORDNAME(2)"), "CODIGO");
  X("DBGOTOP()");
  EXPECT_EQ(S("FIELDGET(1)"), "z11629    ");
  X("ORDLISTCLEAR()");
  EXPECT_EQ(N("INDEXORD()"), 0);
}

}  // namespace
}  // namespace xb::rdd

namespace xb::rdd {
namespace {

TEST_F(OrderFunctions, ScopesOfOrdCondSetLimitTheRecordsIndexed) {
  Put("cdx2/fixture2.dbf");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture2', 'F2', .F., .F.)"));
  struct Case { const char* condset; std::int64_t keys; };
  const Case cases[] = {
      {"ORDCONDSET(,,,,,, 5)", 3000},                        // a start record alone: every record
      {"ORDCONDSET(,,,,,, 5, 10)", 10},                      // NEXT 10 from record 5
      {"ORDCONDSET(,,,,,, 2990,,, .T.)", 11},                // REST from record 2990
      {"ORDCONDSET(,,,,,,,, 7)", 1},                         // RECORD 7
      {"ORDCONDSET(,,, {|| RECNO() < 100 },,, 1)", 99},      // WHILE
      {"ORDCONDSET('NNUMPED>5000')", -1},                    // FOR
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condset);
    X(c.condset);
    const std::string tag = "T" + std::to_string(++n);
    X("ORDCREATE(, '" + tag + "', 'NNUMPED')");
    if (c.keys >= 0) EXPECT_EQ(N("ORDKEYCOUNT('" + tag + "')"), c.keys);
    else EXPECT_LT(N("ORDKEYCOUNT('" + tag + "')"), 3000) << "fewer with the FOR condition";
  }
  EXPECT_EQ(S("ORDFOR('T6')"), "NNUMPED>5000");
  // Conditions are used once: the next tag takes every record again.
  X("ORDCREATE(, 'TODO', 'NNUMPED')");
  EXPECT_EQ(N("ORDKEYCOUNT('TODO')"), 3000);
  // ORDDESTROY drops a tag; the orders after it move up.
  X("ORDSETFOCUS('TODO')");
  X("ORDDESTROY('T2')");
  EXPECT_EQ(N("ORDNUMBER('TODO')"), 6);
  EXPECT_EQ(S("ORDSETFOCUS()"), "TODO");
}

}  // namespace
}  // namespace xb::rdd

namespace xb::rdd {
namespace {

// A tag built over no record (an empty table, or a FOR that nothing meets) takes keys later.
TEST_F(OrderFunctions, EmptyTagsTakeTheFirstKeysLater) {
  for (const char* driver : {"DBFCDX", "DBFNTX"}) {
    SCOPED_TRACE(driver);
    const std::string d = std::string("'") + driver + "'";
    ASSERT_TRUE(L("DBCREATE('datos/vacia', {{'CODIGO', 'C', 8, 0}, {'N', 'N', 5, 0}}, " + d + ")"));
    ASSERT_TRUE(L("DBUSEAREA(.T., " + d + ", 'datos/vacia', 'V', .F., .F.)"));
    X("ORDCREATE('datos/vcod', 'VCOD', 'CODIGO')");
    X("ORDCONDSET('N > 100')");
    X("ORDCREATE('datos/vnum', 'VNUM', 'N')");
    EXPECT_EQ(N("ORDKEYCOUNT(1)"), 0);
    EXPECT_EQ(N("ORDKEYCOUNT(2)"), 0);
    X("ORDSETFOCUS(1)");
    EXPECT_FALSE(L("DBSEEK('A')"));
    for (int i = 1; i <= 300; ++i) {
      X("DBAPPEND()");
      X("FIELDPUT(1, 'K" + std::to_string(1000 - i) + "')");
      X("FIELDPUT(2, " + std::to_string(i) + ")");
    }
    X("DBCOMMIT()");
    EXPECT_EQ(N("ORDKEYCOUNT(1)"), 300);
    EXPECT_EQ(N("ORDKEYCOUNT(2)"), 200);
    X("DBGOTOP()");
    EXPECT_EQ(S("FIELDGET(1)"), "K700    ");
    X("ORDSETFOCUS(2)");
    X("DBGOTOP()");
    EXPECT_EQ(N("FIELDGET(2)"), 101);
    EXPECT_TRUE(L("DBSEEK(250)"));
    EXPECT_EQ(S("FIELDGET(1)"), "K750    ");
    X("DBCLOSEAREA()");
  }
}

}  // namespace
}  // namespace xb::rdd

namespace xb::rdd {
namespace {

// ORDKEYCOUNT and ORDKEYNO count every key of the order, deleted records' too, whether SET
// DELETED is on or off, in both drivers, for a tag with and without FOR and in natural order;
// ADSKEYCOUNT and ADSKEYNO hide the deleted records with SET DELETED on.
// Record 22 is deleted and active; 44 records are deleted, 33 of them active.
TEST_F(OrderFunctions, KeyCountsCountDeletedRecordsWhateverSetDeleted) {
  struct Case {
    const char* order;
    bool set_deleted;
    std::int64_t count, position_of_22;  // -1: some position
    std::int64_t ads_count, ads_position_of_22;
  } cases[] = {
      {"'CODIGO'", false, 1000, -1, 1000, -1}, {"'CODIGO'", true, 1000, -1, 956, 0},
      {"'ACTIVOS'", false, 692, -1, 692, -1},  {"'ACTIVOS'", true, 692, -1, 659, 0},
      {"0", false, 1000, 22, 1000, 22},        {"0", true, 1000, 22, 956, 0},
  };
  for (const bool cdx : {true, false}) {
    SCOPED_TRACE(cdx ? "DBFCDX" : "DBFNTX");
    if (cdx) {
      Put("cdx-1k/fixture.dbf");
      Put("cdx-1k/fixture.fpt");
      Put("cdx-1k/fixture.cdx");
      ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'FIX', .T., .T.)"));
      EXPECT_EQ(N("ORDCOUNT()"), 6);
      EXPECT_EQ(N("ORDCOUNT('fixture')"), 6);
    } else {
      for (const char* f : {"fixture.dbf", "fixture.dbt", "codigo.ntx", "activos.ntx"}) Put(std::string("ntx-1k/") + f);
      ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFNTX', 'datos/fixture', 'FIX', .T., .T.)"));
      EXPECT_EQ(N("ORDCOUNT()"), 0);
      EXPECT_TRUE(L("ORDLISTADD('datos/codigo')"));
      EXPECT_TRUE(L("ORDLISTADD('datos/activos')"));
      EXPECT_TRUE(L("ORDLISTADD('datos/codigo')"));  // open already
      EXPECT_EQ(N("ORDCOUNT()"), 2);
      EXPECT_EQ(N("ORDCOUNT('activos')"), 1);
    }
    EXPECT_EQ(N("ORDCOUNT('nada')"), 0);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.order) + (c.set_deleted ? " SET DELETED ON" : " SET DELETED OFF"));
      X(std::string("SET(11, ") + (c.set_deleted ? ".T." : ".F.") + ")");
      X(std::string("ORDSETFOCUS(") + c.order + ")");
      EXPECT_EQ(N("ORDKEYCOUNT()"), c.count);
      EXPECT_EQ(N("ADSKEYCOUNT()"), c.ads_count);
      X("DBGOBOTTOM()");
      EXPECT_EQ(N("ORDKEYNO()"), c.count) << "the last key";
      EXPECT_EQ(N("ADSKEYNO()"), c.ads_count) << "the last key shown";
      X("DBGOTO(22)");
      if (c.position_of_22 < 0) EXPECT_GT(N("ORDKEYNO()"), 0);
      else EXPECT_EQ(N("ORDKEYNO()"), c.position_of_22);
      if (c.ads_position_of_22 < 0) EXPECT_EQ(N("ADSKEYNO()"), N("ORDKEYNO()"));
      else EXPECT_EQ(N("ADSKEYNO()"), c.ads_position_of_22);
    }
    X("SET(11, .F.)");
    X("DBCLOSEAREA()");
  }
  EXPECT_EQ(N("ORDCOUNT()"), 0);  // no table
}

}  // namespace
}  // namespace xb::rdd
