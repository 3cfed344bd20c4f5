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

}  // namespace
}  // namespace reports
