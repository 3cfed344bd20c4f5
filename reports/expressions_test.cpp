#include "reports/expressions.h"

#include "data/data_test_support.h"
#include "data/table_access.h"
#include "reports/report_functions.h"

namespace reports {
namespace {

using xb::Value;

class ExpressionsTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    CreateTable("..\\DBF01\\Clientes.dbf", {{"CODIGO", 'C', 6, 0}, {"IMPORTE", 'N', 10, 2}}, 1,
                [](xb::rdd::WorkArea& a, int) { a.PutField(1, Value::String("C1")); });
    ASSERT_TRUE(data::lNetUse("..\\DBF01\\Clientes"));
    X("DBSELECTAREA(10)");
  }
};

TEST_F(ExpressionsTest, BlocksOfExpressionsAndOfTheirErrors) {
  EXPECT_EQ(GenBlock("1 + 2").Eval().AsInt(), 3);
  EXPECT_EQ(GenBlock("  ").Eval().AsString(), "");
  EXPECT_EQ(X("EVAL(TI_GENBLOCK(''))").AsString(), "");
  EXPECT_TRUE(ui().messages.empty());
  const xb::Block wrong = GenBlock("1 +* 2");
  EXPECT_EQ(wrong.Eval().AsString(), "");
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].kind, "alert");
  EXPECT_EQ(ui().messages[0].text, "Expression error: 1 +* 2");
  // A name not known yet is no syntax error: it is known when the block runs.
  X("nLater := 4");
  EXPECT_EQ(GenBlock("nLater * 2").Eval().AsInt(), 8);
}

TEST_F(ExpressionsTest, EachLineOfAMemoIsEvaluated) {
  const std::vector<Value> values = TxtToArray("1 + 1\r\n'a' + 'b'\r\n\r\nUPPER('x')\r\n");
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].AsInt(), 2);
  EXPECT_EQ(values[1].AsString(), "ab");
  EXPECT_TRUE(values[2].IsNil());
  EXPECT_EQ(values[3].AsString(), "X");
  EXPECT_EQ(TxtToArray("1\n\r2").size(), 2u);  // the system's own line breaks
  EXPECT_EQ(X("LEN(TI_TXTTOARRAY('1'))").AsInt(), 1);
}

TEST_F(ExpressionsTest, ExpressionsAreCheckedPieceByPieceOnTheTable) {
  struct Case {
    const char* expression;
    bool ok;
  };
  const Case cases[] = {
      {"CODIGO", true},           {"Str(IMPORTE) + CODIGO", true}, {"CODIGO/IMPORTE", true},
      {"CODIGO/NOHAY", false},    {"NOHAY", false},                {"CODIGO +", false},
      {"MIFUNCION(CODIGO)", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(lCheckExpresion("Clientes", c.expression), c.ok) << c.expression;
  EXPECT_EQ(X("SELECT()").AsInt(), 10);
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_TRUE(X("TI_LCHECKEXPRESION('Clientes', 'CODIGO', .T.)").AsLogical());
  EXPECT_FALSE(X("TI_LCHECKEXPRESION('Clientes', 'CODIGO +', .T.)").AsLogical());
  ASSERT_EQ(ui().messages.size(), 2u);
  EXPECT_EQ(ui().messages[0].text, "Expresión correcta");
  EXPECT_EQ(ui().messages[1].text, "Expresión incorrecta");
}

TEST_F(ExpressionsTest, AColumnIsAnOperandOnlyWithItsWholeRunOfDigits) {
  struct Case {
    const char* formula;
    const char* column;
    bool deletable;
  };
  const Case cases[] = {
      {"Colum1 + Colum2", "Colum1", false}, {"Colum12 * 2", "Colum1", true},   {"Colum12 * 2", "Colum12", false},
      {"colum3/COLUM4", "Colum4", false},   {"(Colum10)", "Colum1", true},     {"Colum1", "Colum1", false},
      {"XColum1 + 1", "Colum1", true},      {"Colum1a", "Colum1", true},       {"", "Colum1", true},
      {"Colum", "Colum", true},
  };
  for (const Case& c : cases) EXPECT_EQ(lDelete(c.formula, c.column), c.deletable) << c.formula << " " << c.column;
  EXPECT_EQ(ColumnOperands("Colum1 + Colum12 - colum1"), (std::vector<std::string>{"COLUM1", "COLUM12"}));
  EXPECT_FALSE(X("TI_LDELETE('Colum1+Colum2', 'Colum2')").AsLogical());
}

TEST_F(ExpressionsTest, PathsRelativeToTheProgramsFile) {
  struct Case {
    const char* file;
    const char* from;
    const char* relative;
  };
  const Case cases[] = {
      {"C:\\VDR\\INF\\Ventas.dbf", "C:\\VDR\\Vdr.exe", "INF\\Ventas.dbf"},
      {"C:\\DBF\\Clientes.dbf", "C:\\VDR\\Vdr.exe", "..\\DBF\\Clientes.dbf"},
      {"c:\\suite\\dbf01\\a.dbf", "C:\\SUITE\\PROG\\BIN\\Vdr.exe", "..\\..\\dbf01\\a.dbf"},
      {"C:\\VDR\\Vdr.ini", "C:\\VDR\\Vdr.exe", "Vdr.ini"},
      {"C:\\a.txt", "C:\\VDR\\Vdr.exe", "..\\a.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(cRutaRelativa(c.file, c.from), c.relative) << c.file;
  EXPECT_TRUE(ui().messages.empty());
  for (const char* file : {"D:\\VDR\\a.dbf", "\\VDR\\a.dbf", "a.dbf"}) {
    ui().messages.clear();
    EXPECT_EQ(cRutaRelativa(file, "C:\\VDR\\Vdr.exe"), "") << file;
    ASSERT_EQ(ui().messages.size(), 1u);
    EXPECT_EQ(ui().messages[0].kind, "stop");
    EXPECT_EQ(ui().messages[0].title, "Atención");
    EXPECT_EQ(ui().messages[0].text, "No se puede establecer una ruta relativa entre ficheros en unidades distintas, "
                                     "o con un fichero que no presenta letra de unidad");
  }
}

}  // namespace
}  // namespace reports
