#include "data/field_checks.h"

#include "data/data_test_support.h"
#include "data/table_access.h"
#include "runtime/object.h"

#include <stdexcept>

namespace data {
namespace {

using testing::DataTest;
using xb::Value;

// A label or an edit as the checks see it: SETTEXT, VARPUT and REFRESH recorded.
class FakeControl : public xb::Object {
 public:
  FakeControl() : Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = xb::Class::Define("FAKECHECKCONTROL")
                                    .Method("SETTEXT", [](xb::Object& o, xb::Args& a) {
                                      xb::Class::Cast<FakeControl>(o).calls.push_back("SETTEXT " + Text(a.Arg(1)));
                                      return Value();
                                    })
                                    .Method("VARPUT", [](xb::Object& o, xb::Args& a) {
                                      xb::Class::Cast<FakeControl>(o).calls.push_back("VARPUT " + Text(a.Arg(1)));
                                      return Value();
                                    })
                                    .Method("REFRESH", [](xb::Object& o, xb::Args&) {
                                      xb::Class::Cast<FakeControl>(o).calls.push_back("REFRESH");
                                      return Value();
                                    });
    return c;
  }
  static std::string Text(const Value& v) { return v.IsString() ? std::string(v.AsString()) : "?"; }
  std::vector<std::string> calls;
};

class FieldChecksTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    CreateTable("..\\DBF01\\Familias.dbf", {{"CODIGO", 'C', 3, 0}, {"NOMBRE", 'C', 12, 0}}, 3,
                [](xb::rdd::WorkArea& a, int n) {
                  a.PutField(1, Value::String("F" + std::to_string(4 - n)));
                  a.PutField(2, Value::String("Familia " + std::to_string(4 - n)));
                });
    ASSERT_TRUE(lNetUse("..\\DBF01\\Familias"));
    X("ORDCREATE(, 'NOMBRE', 'NOMBRE')");
    X("ORDCREATE(, 'CODIGO', 'CODIGO')");
    X("ORDSETFOCUS(1)");
    X("DBGOTO(2)");
    Use("..\\DBF01\\Familias.dbf", "OTRA", true);  // the selected area is another
  }
  // Familias is back where it was: record 2 in order 1, and the other area selected.
  void ExpectPutBack() {
    EXPECT_EQ(X("FAMILIAS->(RECNO())").AsInt(), 2);
    EXPECT_EQ(X("FAMILIAS->(INDEXORD())").AsInt(), 1);
    EXPECT_EQ(X("ALIAS()").AsString(), "OTRA");
  }
};

TEST_F(FieldChecksTest, NotExistRefusesAKeyAlreadyThere) {
  EXPECT_TRUE(lNotExist(Value::String("F9"), "Familias", Value::Integer(2)));
  ExpectPutBack();
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_FALSE(lNotExist(Value::String("F1"), "Familias", Value::Integer(2)));
  ExpectPutBack();
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].kind, "stop");
  EXPECT_EQ(ui().messages[0].text, "Este valor ya existe en ficheros");
  EXPECT_EQ(ui().messages[0].title, "Valor no aceptado");
  EXPECT_FALSE(X("LNOTEXIST('F2', 'Familias', 2, 'Código repetido')").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "Código repetido");
}

TEST_F(FieldChecksTest, ExistShowsWhatItFoundAndRefusesWhatIsNotThere) {
  auto label = xb::MakeRef<FakeControl>();
  auto edit = xb::MakeRef<FakeControl>();
  EXPECT_TRUE(lExist(Value::String("F3"), "Familias", Value::Integer(2), "", Value::String("NOMBRE"), Value(label),
                     Value(edit)));
  ExpectPutBack();
  EXPECT_EQ(label->calls, (std::vector<std::string>{"SETTEXT Familia 3   ", "REFRESH"}));
  EXPECT_EQ(edit->calls, (std::vector<std::string>{"VARPUT Familia 3   ", "REFRESH"}));
  EXPECT_TRUE(ui().messages.empty());

  EXPECT_FALSE(X("LEXIST('F7', 'Familias', 2)").AsLogical());
  ExpectPutBack();
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text, "Este valor no existe en ficheros");
  EXPECT_EQ(ui().messages[0].title, "Valor no aceptado");
}

TEST_F(FieldChecksTest, TheAreaIsPutBackWhenTheCheckFails) {
  // The field's block fails half-way: the area is put back all the same.
  const Value failing(xb::Block::Native([](xb::Args&) -> Value { throw std::runtime_error("falla"); }));
  EXPECT_THROW(lExist(Value::String("F1"), "Familias", Value::Integer(2), "", failing), std::runtime_error);
  ExpectPutBack();
}

TEST_F(FieldChecksTest, NotEmptyRefusesEveryKindOfEmptyValue) {
  for (const char* empty : {"''", "'   '", "0", "CTOD('')", ".F.", "NIL", "{}"}) {
    SCOPED_TRACE(empty);
    ui().messages.clear();
    EXPECT_FALSE(X(std::string("LNOTEMPTY(") + empty + ")").AsLogical());
    ASSERT_EQ(ui().messages.size(), 1u);
    EXPECT_EQ(ui().messages[0].text, "Este valor no puede quedar vacío");
    EXPECT_EQ(ui().messages[0].title, "Valor no Aceptado");
  }
  ui().messages.clear();
  for (const char* full : {"'a'", "1", "DATE()", ".T.", "{1}"}) EXPECT_TRUE(X(std::string("LNOTEMPTY(") + full + ")").AsLogical());
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_FALSE(lNotEmpty(Value::String(""), "Falta el nombre"));
  EXPECT_EQ(ui().messages.back().text, "Falta el nombre");
}

}  // namespace
}  // namespace data
