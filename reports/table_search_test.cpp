#include "reports/table_search.h"

#include "data/data_test_support.h"
#include "data/table_access.h"
#include "reports/report_functions.h"
#include "runtime/object.h"

namespace reports {
namespace {

using xb::Value;

class FakeField : public xb::Object {
 public:
  FakeField() : Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = [] () -> const xb::Class& {
      xb::Class& c = xb::Class::Define("FAKESEARCHFIELD");
      c.Data("CALIAS", &FakeField::alias);
      for (const char* m : {"VARPUT", "SETTEXT", "REFRESH", "SETFOCUS"}) {
        const std::string name = m;
        c.Method(m, [name](xb::Object& o, xb::Args& a) {
          std::string call = name;
          if (a.Count() > 0) call += " " + (a.Arg(1).IsString() ? std::string(a.Arg(1).AsString()) : "?");
          xb::Class::Cast<FakeField>(o).calls.push_back(call);
          return Value();
        });
      }
      return c;
    }();
    return c;
  }
  std::string alias;
  std::vector<std::string> calls;
};

class TableSearchTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    struct Row {
      const char* code;
      const char* group;
      const char* description;
      const char* products;
    };
    const std::vector<Row> rows = {
        {"A1", "G1", "Zapatos", ""},          {"A2", "G1", "botas", "nProducto == 1"},
        {"A3", "G2", "Alpargatas", ""},       {"A4", "G1", "Sandalias", "nProducto == 2"},
        {"A5", "G1", "Chanclas", "nProducto +"}, {"A6", "G1", "Zuecos", "'no es lógico'"},
        {"A7", "G1", "Botines", "nProducto == 1"},
    };
    CreateTable("..\\DBF01\\Articulo.dbf",
                {{"CODIGO", 'C', 2, 0}, {"GRUPO", 'C', 2, 0}, {"DESCRIPC", 'C', 20, 0}, {"PRODUCTOS", 'C', 40, 0}},
                static_cast<int>(rows.size()), [&rows](xb::rdd::WorkArea& a, int n) {
                  const Row& r = rows[static_cast<std::size_t>(n - 1)];
                  a.PutField(1, Value::String(r.code));
                  a.PutField(2, Value::String(r.group));
                  a.PutField(3, Value::String(r.description));
                  a.PutField(4, Value::String(r.products));
                });
    ASSERT_TRUE(data::lNetUse("..\\DBF01\\Articulo"));
    X("ORDCREATE(, 'CODIGO', 'CODIGO')");
    X("DBGOTO(3)");
    X("nProducto := 1");
    SetChoicePicker([this](const std::string& title, const std::vector<ChoiceRow>& rows, const Value&) {
      titles.push_back(title);
      shown = rows;
      return pick;
    });
  }
  void TearDown() override {
    SetChoicePicker(nullptr);
    DataTest::TearDown();
  }
  std::string Shown() const {
    std::string out;
    for (const ChoiceRow& r : shown) out += std::string(r.code.AsString()) + " ";
    return out;
  }

  std::vector<std::string> titles;
  std::vector<ChoiceRow> shown;
  std::optional<std::size_t> pick;
};

TEST_F(TableSearchTest, TheRowsOfTheFilterWhoseProductsHoldByDescription) {
  const std::vector<ChoiceRow> rows = ChoiceRows({.code_field = "Codigo", .alias = "Articulo",
                                                  .filter_field = "Grupo", .filter_value = Value::String("G1")});
  std::string codes;
  for (const ChoiceRow& r : rows) codes += std::string(r.code.AsString()) + " ";
  // "botas" sorts before "Botines" without regard to case; A4's products do not hold, A5's
  // do not compile and A6's give no logical: hidden, without a message.
  EXPECT_EQ(codes, "A2 A7 A1 ");
  EXPECT_EQ(rows[0].description, "botas               ");
  EXPECT_EQ(X("RECNO()").AsInt(), 3);
  EXPECT_EQ(X("INDEXORD()").AsInt(), 1);
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_TRUE(errors.empty());
  X("nProducto := 2");
  EXPECT_EQ(ChoiceRows({.code_field = "Codigo", .alias = "Articulo"}).size(), 3u);  // A3 A4 A1
}

TEST_F(TableSearchTest, TheChoiceGoesToTheFieldAndItsLabel) {
  auto edit = xb::MakeRef<FakeField>();
  auto label = xb::MakeRef<FakeField>();
  pick = 1;
  X("oGet := NIL");
  const ChoiceQuery query{.code_field = "CODIGO", .alias = "Articulo", .filter_field = "GRUPO",
                          .filter_value = Value::String("G1")};
  EXPECT_TRUE(uFind(13, Value(edit), {}, "artículo", query, Value(label)));  // not the magnifier
  EXPECT_TRUE(edit->calls.empty());
  EXPECT_FALSE(uFind(kMagnifierKey, Value(edit), {}, "artículo", query, Value(label)));
  EXPECT_EQ(titles, std::vector<std::string>{" Seleccione artículo"});
  EXPECT_EQ(edit->calls, (std::vector<std::string>{"VARPUT A7", "REFRESH", "SETFOCUS"}));
  EXPECT_EQ(label->calls, (std::vector<std::string>{"SETTEXT Botines             ", "REFRESH"}));

  // Nothing chosen: the field keeps its value.
  edit->calls.clear();
  pick.reset();
  EXPECT_FALSE(uFind(kMagnifierKey, Value(edit), {}, "artículo", query, Value(label)));
  EXPECT_EQ(edit->calls, std::vector<std::string>{"SETFOCUS"});

  // A filter field without its value: only the focus goes back, no choice is offered.
  edit->calls.clear();
  titles.clear();
  ChoiceQuery no_value = query;
  no_value.filter_value = Value::String("  ");
  EXPECT_FALSE(uFind(kMagnifierKey, Value(edit), {}, "artículo", no_value, Value(label)));
  EXPECT_TRUE(titles.empty());
  EXPECT_EQ(edit->calls, std::vector<std::string>{"SETFOCUS"});

  pick = 0;
  EXPECT_EQ(X("TI_UDBLFINBIN('CODIGO', 'x', 'Articulo')").AsString(), "A3");  // "Alpargatas" first
}

TEST_F(TableSearchTest, ALetterSeeksTheBrowsesTableSoftly) {
  X("ORDCREATE(, 'DESCRIPC', 'UPPER(DESCRIPC)')");
  auto browse = xb::MakeRef<FakeField>();
  browse->alias = "Articulo";
  X("DBSELECTAREA(5)");
  BuscaTecla(Value(browse), 'c');
  EXPECT_EQ(X("Articulo->CODIGO").AsString(), "A5");  // CHANCLAS
  EXPECT_EQ(browse->calls, std::vector<std::string>{"REFRESH"});
  BuscaTecla(Value(browse), 'D');  // no D: the next one
  EXPECT_EQ(X("Articulo->CODIGO").AsString(), "A4");  // SANDALIAS
  BuscaTecla(Value(browse), '5');  // not a letter
  EXPECT_EQ(X("Articulo->CODIGO").AsString(), "A4");
  EXPECT_EQ(X("SELECT()").AsInt(), 5);
}

}  // namespace
}  // namespace reports
