// A browse's way through a table: logical counts and positions under SET DELETED, scopes of
// every key type with their top and bottom, counts kept until the data changes.
#include "ui/controls/table_source.h"

#include <gtest/gtest.h>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "runtime/test_env.h"

namespace ui {
namespace {

using xb::Value;

class TableSourceTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    xb::rdd::InitTables();
    previous_codepage_ = xb::SetCodePage("ESWIN");
    memory_.MakeFolder("datos/");
    xb::rdd::WorkAreas::Get().set_file_system(&memory_);
    xb::SetValue(xb::SET_DELETED, Value::Logical(true));
  }
  void TearDown() override {
    xb::rdd::ResetTables();
    xb::SetCodePage(previous_codepage_);
    RuntimeTest::TearDown();
  }
  static Value X(std::string_view text) { return xb::EvalMacro(text); }

  // CLIENTES: CODIGO "0001".., NOMBRE, IMPORTE, FECHA, ACTIVO; `count` records, every
  // seventh deleted; ordered by the tag `tag`.
  void MakeTable(int count, const std::string& tag_key, const std::string& tag = "T") {
    X("DBCREATE('datos/clientes', {{'CODIGO','C',4,0},{'NOMBRE','C',20,0},{'IMPORTE','N',6,0},"
      "{'FECHA','D',8,0},{'ACTIVO','L',1,0}})");
    ASSERT_TRUE(X("DBUSEAREA(.T., 'DBFCDX', 'datos/clientes', 'CLIENTES', .F., .F.)").AsLogical());
    static const char* names[] = {"Ana", "Bruno", "Carmen", "Diego", "Elena", "O'Brien", "Zoe"};
    for (int i = 1; i <= count; ++i) {
      X("DBAPPEND()");
      char code[8];
      std::snprintf(code, sizeof code, "%04d", i);
      xb::CallFunction("FIELDPUT", {Value::Integer(1), Value::String(code)});
      xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::String(std::string(names[i % 7]) + " " + code)});
      xb::CallFunction("FIELDPUT", {Value::Integer(3), Value::Integer(i * 10)});
      xb::CallFunction("FIELDPUT", {Value::Integer(4), Value::FromDate(xb::Date{2452641 + i})});
      xb::CallFunction("FIELDPUT", {Value::Integer(5), Value::Logical(i % 2 == 0)});
      if (i % 7 == 0) X("DBDELETE()");
    }
    if (!tag_key.empty()) {
      xb::CallFunction("ORDCREATE", {Value::String("datos/clientes"), Value::String(tag), Value::String(tag_key)});
      xb::CallFunction("ORDSETFOCUS", {Value::String(tag)});
    }
    X("DBGOTOP()");
  }
  void DropTable() {
    X("DBCLOSEALL()");
    EXPECT_TRUE(memory_.Remove("datos/clientes.dbf").ok());
    (void)memory_.Remove("datos/clientes.cdx");  // none in natural order
  }
  static std::string Field(const char* name) {
    return std::string(xb::CallFunction("FIELDGET", {xb::CallFunction("FIELDPOS", {Value::String(name)})}).AsString());
  }

  xb::rdd::MemoryFileSystem memory_;
  std::string previous_codepage_;
};

TEST_F(TableSourceTest, CountsAndPositionsAreLogicalUnderSetDeleted) {
  for (const char* key : {"CODIGO", ""}) {  // in an order, and in natural order
    SCOPED_TRACE(*key ? "ordered" : "natural order");
    MakeTable(100, key);
    TableSource source("clientes");
    ASSERT_TRUE(source.Used());
    EXPECT_EQ(source.Count(), 100 - 14);  // records 7, 14, ... 98 are deleted
    source.GoTop();
    EXPECT_EQ(source.Position(), 1);
    EXPECT_EQ(Field("CODIGO"), "0001");
    EXPECT_EQ(source.Skip(6), 6);
    EXPECT_EQ(Field("CODIGO"), "0008");  // 0007 is passed over
    EXPECT_EQ(source.Position(), 7);
    source.GoBottom();
    EXPECT_EQ(source.Position(), source.Count());
    EXPECT_EQ(source.Skip(5), 0);  // already on the last
    EXPECT_FALSE(source.Eof());
    EXPECT_EQ(source.Skip(-3), -3);
    source.GoToPosition(40);
    EXPECT_EQ(source.Position(), 40);
    source.GoTop();
    EXPECT_EQ(source.Skip(-2), 0);
    EXPECT_EQ(source.Skip(1000), source.Count() - 1);
    DropTable();
  }
}

TEST_F(TableSourceTest, CharacterScopeFromTheFirstKeyAtOrAboveToTheLastNotAbove) {
  MakeTable(70, "NOMBRE");
  TableSource source("CLIENTES");
  // "B" to "D": Bruno, Carmen and Diego (10 each, less the deleted ones).
  ASSERT_TRUE(source.SetScope("NOMBRE", Value::String("B"), Value::String("D")));
  EXPECT_TRUE(source.ScopeTypesAgree());
  source.GoTop();
  EXPECT_EQ(Field("NOMBRE").substr(0, 5), "Bruno");
  source.GoBottom();
  EXPECT_EQ(Field("NOMBRE").substr(0, 5), "Diego");  // the last key starting with "D"
  EXPECT_EQ(source.Count(), 30);
  EXPECT_EQ(source.Position(), 30);
  EXPECT_EQ(source.Skip(1), 0);  // "Elena" is beyond the scope
  EXPECT_EQ(Field("NOMBRE").substr(0, 5), "Diego");
  source.GoTop();
  EXPECT_EQ(source.Skip(-1), 0);
  EXPECT_EQ(Field("NOMBRE").substr(0, 5), "Bruno");
  EXPECT_EQ(source.Skip(100), 29);
  // An upper value no key matches: the key before the first above it.
  ASSERT_TRUE(source.SetScope("", Value::String("Carmen"), Value::String("Da")));
  source.GoBottom();
  EXPECT_EQ(Field("NOMBRE").substr(0, 6), "Carmen");
  EXPECT_EQ(source.Count(), 10);
  // A quote in a value is just a character.
  ASSERT_TRUE(source.SetScope("NOMBRE", Value::String("O'B"), Value::String("O'B")));
  source.GoTop();
  EXPECT_EQ(Field("NOMBRE").substr(0, 7), "O'Brien");
  EXPECT_EQ(source.Count(), 10);
  // Nothing in the scope.
  ASSERT_TRUE(source.SetScope("NOMBRE", Value::String("F"), Value::String("N")));
  EXPECT_EQ(source.Count(), 0);
  source.GoTop();
  EXPECT_FALSE(source.Shows());
  // The count stops at its limit.
  source.SetScope("NOMBRE", Value::String("A"), Value::String("Z"));
  source.SetCountLimit(25);
  EXPECT_EQ(source.Count(), 25);
}

TEST_F(TableSourceTest, ScopesOfNumbersDatesAndLogicals) {
  struct Case {
    const char* key;
    Value lower, upper;
    int count;
    const char* top;
    const char* bottom;
  } cases[] = {
      // IMPORTE is ten times the code: 200..555 takes 20..55, less 21, 28, 35, 42, 49.
      {"IMPORTE", Value::Integer(200), Value::Integer(555), 31, "0020", "0055"},
      {"IMPORTE", Value::Integer(195), Value::Integer(200), 1, "0020", "0020"},
      {"FECHA", Value::FromDate(xb::Date{2452641 + 10}), Value::FromDate(xb::Date{2452641 + 20}), 10, "0010", "0020"},
      {"ACTIVO", Value::Logical(true), Value::Logical(true), 30, "0002", "0068"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    MakeTable(70, c.key);
    TableSource source("CLIENTES");
    ASSERT_TRUE(source.SetScope(c.key, c.lower, c.upper));
    EXPECT_TRUE(source.ScopeTypesAgree());
    EXPECT_EQ(source.Count(), c.count);
    source.GoTop();
    EXPECT_EQ(Field("CODIGO"), c.top);
    source.GoBottom();
    EXPECT_EQ(Field("CODIGO"), c.bottom);
    EXPECT_EQ(source.Position(), c.count);
    DropTable();
  }
}

TEST_F(TableSourceTest, TypesThatDisagreeMakeAnEmptyScopeWithoutErrors) {
  MakeTable(20, "CODIGO");
  TableSource source("CLIENTES");
  xb::testing::RecordingErrorBlock errors;
  ASSERT_TRUE(source.SetScope("CODIGO", Value::Integer(1), Value::Integer(5)));
  EXPECT_FALSE(source.ScopeTypesAgree());
  EXPECT_EQ(source.Count(), 0);
  EXPECT_FALSE(source.SetScope("CODIGO +", Value::String("1"), Value::String("2")));
  EXPECT_FALSE(source.HasScope());
}

TEST_F(TableSourceTest, CountsAreKeptUntilTheDataChanges) {
  MakeTable(50, "CODIGO");
  TableSource source("CLIENTES");
  ASSERT_TRUE(source.SetScope("CODIGO", Value::String("0010"), Value::String("0019")));
  EXPECT_EQ(source.Count(), 9);  // 0014 is deleted
  // A record deleted behind the source's back: the kept count stands until told.
  X("DBSEEK('0012')");
  X("DBDELETE()");
  X("DBGOTOP()");
  EXPECT_EQ(source.Count(), 9);
  source.Invalidate();
  EXPECT_EQ(source.Count(), 8);
  // A new record counts at once: the table grew.
  X("DBAPPEND()");
  xb::CallFunction("FIELDPUT", {Value::Integer(1), Value::String("0015")});
  X("DBCOMMIT()");
  EXPECT_EQ(source.Count(), 9);
  // And a new scope is counted anew.
  source.SetScope("CODIGO", Value::String("0010"), Value::String("0011"));
  EXPECT_EQ(source.Count(), 2);
}

}  // namespace
}  // namespace ui
