#include "data/record_helpers.h"

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/lib/dates.h"

namespace data {
namespace {

using testing::DataTest;
using xb::Value;

const std::vector<xb::rdd::dbf::FieldSpec> kArticulos = {
    {"CODIGO", 'C', 6, 0}, {"PRECIO", 'N', 10, 2}, {"ALTA", 'D', 8, 0}, {"ACTIVO", 'L', 1, 0}, {"NOTAS", 'M', 10, 0}};
const std::string kTable = "..\\DBF01\\Articulo.dbf";

class RecordHelpersTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    // Codes A01 (record 1) ... A05 (record 5), written in reverse order of code.
    CreateTable(kTable, kArticulos, 5, [](xb::rdd::WorkArea& a, int n) {
      a.PutField(1, Value::String("A0" + std::to_string(6 - n)));
      a.PutField(2, Value::Double(n * 1.25, 2));
      a.PutField(3, Value::FromDate(xb::Date::FromYmd(2003, 6, n)));
      a.PutField(4, Value::Logical(n % 2 == 1));
      a.PutField(5, Value::Memo("nota " + std::to_string(n)));
    });
    NetUseOptions o;
    o.exclusive = true;
    ASSERT_TRUE(lNetUse(kTable, o));
    X("ORDCREATE(, 'CODIGO', 'CODIGO')");
    X("ORDCREATE(, 'PRECIO', 'STR(PRECIO, 10, 2)')");
    NaturalOrder();
    X("DBGOTOP()");
  }
};

TEST_F(RecordHelpersTest, RecordImagesReadWriteAndBlank) {
  X("DBGOTO(2)");
  const xb::Array read = aCamposLee();
  ASSERT_EQ(read.size(), 5u);
  EXPECT_EQ(read.Get(0).AsString(), "A04   ");
  EXPECT_DOUBLE_EQ(read.Get(1).AsDouble(), 2.5);
  EXPECT_EQ(read.Get(2).AsDate(), xb::Date::FromYmd(2003, 6, 2));
  EXPECT_FALSE(read.Get(3).AsLogical());
  EXPECT_EQ(read.Get(4).AsString(), "nota 2");

  X("DBGOTO(5)");
  EXPECT_TRUE(X("ACAMPOSGRABA(ACAMPOSLEE())").AsLogical());  // writing the same back
  X("DBGOTO(4)");
  // An image longer than the record writes the fields it has.
  read.Append(Value::String("sobra"));
  EXPECT_TRUE(aCamposGraba(read));
  EXPECT_EQ(X("CODIGO").AsString(), "A04   ");
  EXPECT_EQ(X("NOTAS").AsString(), "nota 2");

  const xb::Array blank = aCamposBlank();
  ASSERT_EQ(blank.size(), 5u);
  EXPECT_EQ(blank.Get(0).AsString(), "      ");
  EXPECT_TRUE(blank.Get(1).IsNumber());
  EXPECT_EQ(blank.Get(1).AsDouble(), 0);
  EXPECT_EQ(blank.Get(1).Decimals(), 2);
  EXPECT_TRUE(blank.Get(2).IsDate());
  EXPECT_TRUE(blank.Get(2).AsDate().IsEmpty());
  EXPECT_TRUE(blank.Get(3).IsLogical());
  EXPECT_FALSE(blank.Get(3).AsLogical());
  EXPECT_EQ(blank.Get(4).ValType(), 'M');
  EXPECT_EQ(X("RECNO()").AsInt(), 4);
}

TEST_F(RecordHelpersTest, GetFieldFindsByKeyAndLeavesTheAreaWhereItWas) {
  struct Case {
    const char* key;
    const char* order;
    const char* expected_code;  // "" when not found
  };
  const Case cases[] = {
      {"'A02'", "1", "A02   "},
      {"'A02'", "'CODIGO'", "A02   "},
      {"'ZZZ'", "1", "      "},
      {"'      3.75'", "2", "A03   "},
      {"'      9.99'", "'PRECIO'", "      "},
  };
  for (const Case& c : cases) {
    for (const int start : {3, 6}) {  // a record, and the end of the table
      SCOPED_TRACE(std::string(c.key) + " from " + std::to_string(start));
      NaturalOrder();
      X("DBGOTO(" + std::to_string(start) + ")");
      X("DBSELECTAREA(20)");
      const Value image = X(std::string("AGETFIELD(") + c.key + ", " + c.order + ", 'Articulo')");
      ASSERT_TRUE(image.IsArray());
      const xb::Array a = image.AsArray();
      ASSERT_EQ(a.size(), 5u);
      EXPECT_EQ(a.Get(0).AsString(), c.expected_code);
      if (*c.expected_code == ' ') {
        EXPECT_TRUE(a.Get(1).IsNumber());
        EXPECT_TRUE(a.Get(2).IsDate() && a.Get(2).AsDate().IsEmpty());
        EXPECT_TRUE(a.Get(3).IsLogical());
        EXPECT_EQ(a.Get(4).ValType(), 'M');
      }
      EXPECT_EQ(X("SELECT()").AsInt(), 20);
      X("DBSELECTAREA('Articulo')");
      EXPECT_EQ(X("RECNO()").AsInt(), start);
      EXPECT_EQ(X("EOF()").AsLogical(), start == 6);
      EXPECT_EQ(X("INDEXORD()").AsInt(), 0);
    }
  }
}

TEST_F(RecordHelpersTest, StatusIsRecordAndOrder) {
  X("ORDSETFOCUS(2)");
  X("DBGOTO(3)");
  const Value status = X("ASETSTATUS('Articulo')");
  EXPECT_EQ(status.AsArray().Get(0).AsInt(), 3);
  EXPECT_EQ(status.AsArray().Get(1).AsInt(), 2);
  X("ORDSETFOCUS(1)");
  X("DBGOTOP()");
  X("DBSELECTAREA(30)");
  X("GETSTATUS('Articulo', {4, 0})");
  EXPECT_EQ(X("SELECT()").AsInt(), 30);
  X("DBSELECTAREA('Articulo')");
  EXPECT_EQ(X("RECNO()").AsInt(), 4);
  EXPECT_EQ(X("INDEXORD()").AsInt(), 0);
  const AreaStatus s = aSetStatus();
  EXPECT_EQ(s.record, 4u);
  EXPECT_EQ(s.order, 0);
}

TEST_F(RecordHelpersTest, OneFieldByNameOrNumber) {
  X("DBGOTO(1)");
  EXPECT_EQ(X("UGETCAMPO('  precio ')").AsDouble(), 1.25);
  EXPECT_EQ(X("UGETCAMPO(1)").AsString(), "A05   ");
  EXPECT_TRUE(X("UGETCAMPO(.T.)").IsNil());
  EXPECT_TRUE(X("UGETCAMPO('NOHAY')").IsNil());
  X("UPUTCAMPO(' Codigo', 'B01')");
  X("UPUTCAMPO(2, 7.5)");
  X("UPUTCAMPO(DATE(), 1)");
  EXPECT_EQ(X("CODIGO").AsString(), "B01   ");
  EXPECT_EQ(X("PRECIO").AsDouble(), 7.5);
}

// A browse as LDELRECORD sees it: its scope and alias, and what it is asked to do after.
class FakeBrowse : public xb::Object {
 public:
  FakeBrowse() : Object(Cls()) {}
  static const xb::Class& Cls() {
    static xb::Class& c = xb::Class::Define("FAKEBROWSE")
                              .Var("CFIELD")
                              .Var("UVALUE1")
                              .Var("UVALUE2")
                              .Var("CALIAS")
                              .Method("UPSTABLE", [](xb::Object& o, xb::Args&) {
                                static_cast<FakeBrowse&>(o).calls += "U";
                                return Value();
                              })
                              .Method("REFRESH", [](xb::Object& o, xb::Args&) {
                                static_cast<FakeBrowse&>(o).calls += "R";
                                return Value();
                              });
    return c;
  }
  std::string calls;
};

TEST_F(RecordHelpersTest, DeletingMovesToARecordThatStaysInView) {
  struct Case {
    const char* name;
    std::vector<int> deleted_first;  // records deleted before
    int order;
    const char* low;   // browse range, "" for none
    const char* high;
    int record;        // the record deleted
    int expected;      // where the table stands after (0: end of file)
  };
  // Order 1 (CODIGO): A01=5, A02=4, A03=3, A04=2, A05=1.
  const Case cases[] = {
      {"next in natural order", {}, 0, "", "", 2, 3},
      {"last goes back one", {}, 0, "", "", 5, 4},
      {"only one left goes to the top", {1, 2, 3, 4}, 0, "", "", 5, 0},
      {"next in the order", {}, 1, "", "", 4, 3},
      {"within the range", {}, 1, "'A02'", "'A04'", 3, 2},
      {"past the range goes back", {}, 1, "'A02'", "'A04'", 2, 3},
      {"alone in the range seeks its start", {3, 2}, 1, "'A02'", "'A04'", 4, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    for (int r : c.deleted_first) X("DBGOTO(" + std::to_string(r) + "), DBDELETE()");
    if (c.order) X("ORDSETFOCUS(" + std::to_string(c.order) + ")");
    else NaturalOrder();
    X("DBGOTO(" + std::to_string(c.record) + ")");
    auto browse = xb::MakeRef<FakeBrowse>();
    xb::Send(Value(browse), "_CALIAS", {Value::String("Articulo")});
    if (*c.low) {
      xb::Send(Value(browse), "_CFIELD", {Value::String("CODIGO")});
      xb::Send(Value(browse), "_UVALUE1", {X(c.low)});
      xb::Send(Value(browse), "_UVALUE2", {X(c.high)});
    }
    X("DBSELECTAREA(40)");
    EXPECT_TRUE(lDelRecord(Value(browse)));
    EXPECT_EQ(browse->calls, "UR");
    EXPECT_EQ(X("SELECT()").AsInt(), 40);
    X("DBSELECTAREA('Articulo')");
    if (c.expected == 0) {
      EXPECT_TRUE(X("EOF()").AsLogical());
    } else {
      EXPECT_EQ(X("RECNO()").AsInt(), c.expected);
    }
    X("SET(11, .F.)");
    X("DBGOTO(" + std::to_string(c.record) + ")");
    EXPECT_TRUE(X("DELETED()").AsLogical());
    X("SET(11, .T.)");
  }
}

TEST_F(RecordHelpersTest, DeletionNeedsTheUsersConfirmation) {
  X("DBGOTO(2)");
  ui().confirm_delete = false;
  EXPECT_FALSE(X("LDELRECORD()").AsLogical());
  EXPECT_FALSE(X("DELETED()").AsLogical());
  ui().confirm_delete = true;
  EXPECT_TRUE(X("LDELRECORD(, .F.)").AsLogical());  // asked, confirmed, but not to delete
  EXPECT_FALSE(X("DELETED()").AsLogical());
  EXPECT_EQ(X("RECNO()").AsInt(), 2);
  // The touch-screen dialog when the user's layout says so.
  xb::RegisterFunction("LISTACTIL", [](xb::Args&) { return Value::Logical(true); });
  EXPECT_TRUE(X("LDELRECORD()").AsLogical());
  EXPECT_EQ(ui().delete_questions, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(X("RECNO()").AsInt(), 3);
}

TEST_F(RecordHelpersTest, PrinterTablesOfAUserAreErased) {
  cPathStart("..\\DBF\\");
  memory().MakeFolder("..\\DBF\\");
  for (const char* name : {"GesVen07.dbf", "GesVen07.cdx", "GesPrn07.dbf", "GesPrn07.cdx", "GesPrn08.dbf"})
    memory().SetContents(std::string("..\\DBF\\") + name, "x");
  X("DELVENDBF('07 ')");
  EXPECT_FALSE(memory().Exists("..\\DBF\\GesVen07.dbf"));
  EXPECT_FALSE(memory().Exists("..\\DBF\\GesVen07.cdx"));
  EXPECT_TRUE(memory().Exists("..\\DBF\\GesPrn07.dbf"));
  DelImprDbf("07");
  EXPECT_FALSE(memory().Exists("..\\DBF\\GesPrn07.dbf"));
  EXPECT_FALSE(memory().Exists("..\\DBF\\GesPrn07.cdx"));
  EXPECT_TRUE(memory().Exists("..\\DBF\\GesPrn08.dbf"));
}

}  // namespace
}  // namespace data
