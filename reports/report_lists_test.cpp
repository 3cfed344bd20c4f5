#include "reports/report_lists.h"

#include "data/data_test_support.h"
#include "reports/report_functions.h"

namespace reports {
namespace {

class ReportListsTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
  }
  std::string Joined(const std::string& expression) {
    const xb::Value v = X(expression);
    std::string out;
    for (const xb::Value& item : v.AsArray()) out += "[" + (item.IsString() ? std::string(item.AsString()) : "?") + "]";
    return out;
  }
};

// Stored in report definitions and compared with them: to the character.
TEST_F(ReportListsTest, TheListsKeepTheirTextsToTheCharacter) {
  EXPECT_EQ(Joined("TI_AAJUSTES()"), "[Izquierda][Centrado][Derecha]");
  EXPECT_EQ(Joined("TI_ACAJUSTES()"), "[I][C][D]");
  EXPECT_EQ(Joined("TI_ATIPOS()"), "[Carácter][Número][Lógico][Fecha][Hora]");
  EXPECT_EQ(Joined("TI_ACTIPOS()"), "[C][N][L][D][H]");
  EXPECT_EQ(Joined("TI_ALOGICO()[1]"), "[][y además ][o bien]");
  EXPECT_EQ(Joined("TI_ALOGICO()[2]"), "[][.and.][.or.]");
  EXPECT_EQ(Joined("TI_AOPERA()[1]"), "[][igual a][distinto de][menor que][mayor que][menor o igual que]"
                                      "[mayor o igual que][vacío][no vacío][que contenga]");
  EXPECT_EQ(Joined("TI_AOPERA()[2]"), "[][==][<>][< ][> ][<=][>=][Empty(][.not. Empty(][$]");
  EXPECT_EQ(X("LEN(TI_ANCOLORES())").AsInt(), 16);
  EXPECT_EQ(X("TI_ANCOLORES()[2] + TI_ANCOLORES()[16]").AsInt(), 8388736 + 16711680);
  EXPECT_EQ(Joined("TI_ABITMAPS()"), "[BM_NEGRO][BM_ROSA][BM_ROSAC][BM_CYAN][BM_CYANC][BM_ROJOC][BM_VERDE][BM_VERDEC]"
                                     "[BM_BLANCO][BM_GRIS][BM_MARRON][BM_ROJO][BM_AMARILLO][BM_GRISC][BM_AZUL][BM_AZULC]");
  EXPECT_EQ(Joined("TI_ACBITMAPS()"), "[Negro][Rosa][Rosa claro][Cyan][Cyan claro][Rojo claro][Verde][Verde claro]"
                                      "[Blanco][Gris][Marrón][Rojo][Amarillo][Gris claro][Azul][Azul claro]");
  EXPECT_EQ(Joined("TI_AITEMS(.T.)"), "[Campos][Texto definido por el usuario][Cuerpo del documento]"
                                      "[Número de página][Fecha][Hora][Comentario]");
  EXPECT_EQ(Joined("TI_AITEMS(.F.)"), "[Campos][Texto definido por el usuario][Cuerpo del documento]"
                                      "[Pintado de líneas][Pintado de cajas][Imágenes]"
                                      "[Número de página][Fecha][Hora][Comentario]");
}

TEST_F(ReportListsTest, TheExpressionBuilderOffersTwentyThreeFunctions) {
  EXPECT_EQ(X("LEN(TI_AFUNCIONES())").AsInt(), 23);
  EXPECT_EQ(X("TI_AFUNCIONES()[5][1]").AsString(), "ctod()");
  EXPECT_EQ(X("TI_AFUNCIONES()[5][2]").AsString(), "Convertir una cadena con formato 'DD/MM/AA' a tipo fecha.");
  EXPECT_EQ(X("TI_AFUNCIONES()[5][4]").AsString(), "F");
  std::string names;
  for (const ReportFunction& f : ReportFunctions()) {
    names += std::string(f.name) + " ";
    EXPECT_TRUE(f.type == "N" || f.type == "C" || f.type == "F" || f.type == "L") << f.name;
    EXPECT_FALSE(f.description.empty()) << f.name;
  }
  EXPECT_EQ(names, "abs() alltrim() cdow() cmonth() ctod() date() dtoc() dtos() empty() int() left() len() ltrim() "
                   "padl() padc() padr() round() rtrim() space() str() substr() upper() val() ");
}

}  // namespace
}  // namespace reports
