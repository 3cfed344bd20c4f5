#include "reports/expression_rows.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "reports/dictionary_files.h"
#include "reports/report_functions.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"

namespace reports {
namespace {

using xb::Value;

class ExpressionRowsTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    memory().MakeFolder("INF\\");
    ASSERT_TRUE(CheckStruct("INF"));
    ASSERT_TRUE(DictReindex("INF", true));
    ASSERT_GT(Use("INF\\Expresio.dbf", "Expresio", true), 0);
    ASSERT_GT(Use("INF\\ExprCol.dbf", "ExprCol", true), 0);
    ASSERT_GT(Use("INF\\Tablas.dbf", "Tablas", true), 0);
    static int ran = 0;
    ran_ = &ran;
    ran = 0;
    xb::RegisterFunction("VENTASMES", [](xb::Args&) {
      ++ran;
      return Value::Integer(7);
    });
    xb::RegisterFunction("FALLA", [](xb::Args&) { return xb::CallFunction("VAL", {Value::Integer(1)}); });
  }
  int* ran_ = nullptr;
};

TEST_F(ExpressionRowsTest, SavingKeepsFunctionNamesAndRunsNothing) {
  EXPECT_EQ(FunctionName(" VentasMes( cAlias, a ) "), "VentasMes");
  ASSERT_TRUE(X("TI_GUARDAEXPRESION('Expresio', .T., {'VENTAS', 'Ventas', 'ALBARAN', 'VentasMes(x)', "
                "'Datos( a, b )', '', '', .F.})")
                  .AsLogical());
  EXPECT_EQ(*ran_, 0);
  EXPECT_EQ(std::string(xb::AllTrim(X("Expresio->EXPRESION").AsString())), "VentasMes");
  EXPECT_EQ(std::string(xb::AllTrim(X("Expresio->FUNDATOS").AsString())), "Datos");
  EXPECT_FALSE(X("TI_GUARDAEXPRESION('Expresio', .T., {'OTRA', '', '', 'Mal Nombre()'})").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "Expresión incorrecta");
  EXPECT_FALSE(X("TI_GUARDAEXPRESION('Expresio', .T., {'ventas', '', '', 'VentasMes'})").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "Nombre duplicado");
}

TEST_F(ExpressionRowsTest, CheckingRunsWithErrorsTrapped) {
  struct Case {
    const char* alias;
    const char* function;
    ExpressionCheck verdict;
    const char* told;
  };
  const Case cases[] = {
      {"Tablas", "VentasMes", ExpressionCheck::kCorrect, "Expresión correcta"},
      {"Tablas", "Falla", ExpressionCheck::kIncorrect, "Expresión incorrecta"},
      {"Tablas", "NoExiste", ExpressionCheck::kIncorrect, "Expresión incorrecta"},
      {"NoAbierta", "VentasMes", ExpressionCheck::kNotChecked, "La expresión no ha podido ser comprobada"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    errors.clear();
    EXPECT_EQ(CheckExpresion(c.alias, c.function), c.verdict);
    EXPECT_EQ(ui().messages.back().text, c.told);
    EXPECT_TRUE(errors.empty()) << "no error reaches the error block";
  }
}

TEST_F(ExpressionRowsTest, DuplicatingNeedsParameters) {
  X("TI_GUARDAEXPRESION('Expresio', .T., {'VENTAS', 'Ventas', 'ALBARAN', 'VentasMes'})");
  EXPECT_FALSE(DupExpresiones("Expresio", "ExprCol", "VENTAS", "VENTAS2"));
  EXPECT_EQ(ui().messages.back().text, "Esta expresión no tiene ninguna columna.\n\rImposible duplicar");
  X("ExprCol->(DBAppend(), FieldPut(1, 'VENTAS'), FieldPut(2, 1), DBAppend(), FieldPut(1, 'VENTAS'), FieldPut(2, 2))");
  ASSERT_TRUE(DupExpresiones("Expresio", "ExprCol", "ventas", "Ventas2"));
  EXPECT_EQ(X("Expresio->(LastRec())").AsInt(), 2);
  EXPECT_EQ(X("ExprCol->(LastRec())").AsInt(), 4);
  EXPECT_EQ(std::string(xb::AllTrim(X("ExprCol->(DBGoBottom(), CODIGO)").AsString())), "VENTAS2");
  EXPECT_FALSE(DupExpresiones("Expresio", "ExprCol", "VENTAS", "VENTAS2"));
}

TEST_F(ExpressionRowsTest, ParametersAreReplacedAsAWholeAndKeepTheirNumbers) {
  X("ExprCol->(DBAppend(), FieldPut(1, 'OTRA'), FieldPut(2, 1))");
  ExprParam unidades;
  unidades.parametro = 2;
  unidades.tipo = "N";
  unidades.longitud = 10;
  unidades.decimal = 2;
  unidades.mascara = "@E 999,999.99";
  unidades.descripc = "Unidades";
  unidades.campo = "UNIDADES";
  unidades.anchomax = 12;
  unidades.divisa = "P";
  ExprParam fecha;
  fecha.parametro = 1;
  fecha.tipo = "D";
  fecha.longitud = 8;
  fecha.descripc = "Fecha";
  ASSERT_TRUE(SaveExprColumnas("ExprCol", "ventas", {unidades, fecha}));
  std::vector<ExprParam> read = ReadExprColumnas("ExprCol", "VENTAS");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].descripc, "Fecha") << "by number";
  EXPECT_EQ(read[1].parametro, 2);
  EXPECT_EQ(read[1].tipo, "N");
  EXPECT_EQ(read[1].longitud, 10);
  EXPECT_EQ(read[1].decimal, 2);
  EXPECT_EQ(read[1].mascara, "@E 999,999.99");
  EXPECT_EQ(read[1].campo, "UNIDADES");
  EXPECT_EQ(read[1].anchomax, 12);
  EXPECT_EQ(read[1].divisa, "P");
  EXPECT_EQ(read[1].visible, "S");
  EXPECT_EQ(std::string(xb::AllTrim(X("ExprCol->(DBGoBottom(), CODIGO)").AsString())), "VENTAS");
  EXPECT_EQ(NextParametro(read), 3);

  // The first deleted: the second keeps its number (report columns refer to it).
  ASSERT_TRUE(SaveExprColumnas("ExprCol", "VENTAS", {read[1]}));
  read = ReadExprColumnas("ExprCol", "Ventas");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].parametro, 2);
  EXPECT_EQ(NextParametro(read), 3);
  ASSERT_TRUE(SaveExprColumnas("ExprCol", "VENTAS", {}));
  EXPECT_TRUE(ReadExprColumnas("ExprCol", "VENTAS").empty());
  EXPECT_EQ(ReadExprColumnas("ExprCol", "OTRA").size(), 1u) << "another expression's parameters stay";
  EXPECT_EQ(NextParametro({}), 1);
}

TEST_F(ExpressionRowsTest, AParameterFitsItsType) {
  struct Case {
    const char* tipo;
    int longitud, decimal;
    int want_longitud, want_decimal;
  };
  const Case cases[] = {
      {"N", 10, 2, 10, 2}, {"C", 20, 2, 20, 0}, {"D", 3, 1, 8, 0},
      {"L", 5, 0, 1, 0},   {"H", 6, 1, 6, 0},   {"N", 3, 5, 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tipo) + std::to_string(c.longitud));
    ExprParam p;
    p.tipo = c.tipo;
    p.longitud = c.longitud;
    p.decimal = c.decimal;
    FitParamToType(p);
    EXPECT_EQ(p.longitud, c.want_longitud);
    EXPECT_EQ(p.decimal, c.want_decimal);
  }
}

}  // namespace
}  // namespace reports
