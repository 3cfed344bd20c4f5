// The report generator's dialogs reached from compiled text through a TINFORME object.
#include <gtest/gtest.h>
#include <windows.h>

#include "reports/report_test_support.h"
#include "reports/tinforme_object.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/function_table.h"
#include "tests/support/dialog_answerer.h"

namespace reports {
namespace {

using testing::Add;
using testing::N;
using testing::S;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

class TInformeMethodsTest : public testing::ReportWindowTest<> {
 protected:
  TInformeMethodsTest() : ReportWindowTest({.user = "05", .window_functions = true, .outputs = false}) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    Add("Tablas", {{"TABLA", S("ARTICULO")}, {"DESCRIPC", S("Artículos")}, {"VISIBLE", S("S")}});
    Add("Categor", {{"CATEGORIA", S("VEN")}, {"DESCRIPC", S("Ventas")}, {"INFDOC", S("I")}});
    Add("Informes", {{"INFORME", S("R1")}, {"CATEGORIA", S("VEN")}, {"TABLAMAST", S("ARTICULO")},
                     {"DESCRIPC", S("Ventas por artículo")}, {"INFMASTER", S("R1")}, {"ACCESO1", S("052")},
                     {"LINEASR", N(2)}, {"DESGLOSE", Value::Logical(true)}});
    for (int id : {1, 2})
      Add("Columnas", {{"INFORME", S("R1")}, {"IDCOL", N(id)}, {"TIPOCOL", N(1)}, {"CAMPO", S("Colum" + std::to_string(id))},
                       {"CAMPOREL", S(id == 1 ? "CODIGO" : "IMPORTE")}, {"TITULO", S(id == 1 ? "Código" : "Importe")},
                       {"TIPO", S(id == 1 ? "C" : "N")}, {"IMPRIMIR", Value::Logical(true)}, {"ANCHO", N(8)},
                       {"PINICIAL", N(id == 1 ? 1 : 10)}, {"LINEA", N(1)}});
    Add("GrafCat", "CODIGO := 'EST', DESCRIPC := 'Estadísticas'");
    Add("Graficos", "CODIGO := 'G1', CATEGORIA := 'EST', DESCRIPC := 'Ventas', FUNCION := 'TEST_GRAFICO(\"G1\")'");
    xb::RegisterFunction("TEST_GRAFICO", [this](xb::Args& a) {
      drawn_ = std::string(a.Str(1));
      return Value();
    });
    SetPrinterCheck([] { return false; });
    X("oInf := TInforme():New()");
  }
  void TearDown() override {
    X("oInf := NIL");
    ReportWindowTest::TearDown();
  }
  std::string drawn_;
};

// Each method opens its dialog (left by its cancel button) or says why it does not.
TEST_F(TInformeMethodsTest, EachDialogOpensFromCompiledText) {
  struct Case {
    const char* call;
    const char* shown;  // what the first window starts with: its title, ":" and its texts
  };
  const Case cases[] = {
      {"oInf:MngInformes(.T., 'R1')", " Informe: Ventas por artículo"},
      {"oInf:MngInformes(.F.,, 'VEN')", " Constructor de informes"},
      {"oInf:DoInforme(2, 'r1')", " Informe: Ventas por artículo"},
      {"oInf:DoInforme(3, 'R1')", "Atención, confirme:¿ Desea eliminar el informe R1 ?"},
      {"oInf:DuplicateInforme('R1')", " Duplicar informe"},
      {"oInf:RelInforme('R1')", " Atención:Debe seleccionar un informe maestro para relacionar."},
      {"oInf:Columnas('R1')", " Columnas del informe R1"},
      {"oInf:AddColumna('R1')", " Añadir columna"},
      {"oInf:EditColumna('R1', 2)", " Editar Columna"},
      {"oInf:CalcColumna('R1')", " Columna calculada"},
      {"oInf:DoPreview('R1')", "Atención:Imposible previsualizar, el sistema no tiene instalada ninguna impresora"},
      {"oInf:RestauraInf()", " Atención:Esta opción es de uso exclusivo del usuario Supervisor."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> seen;
    {
      DialogAnswerer answerer([&](const SeenDialog& d) {
        seen.push_back(d.title + ":" + d.AllText());
        // The question's "No", any other window's cancel or only button.
        if (const int no = d.ButtonId("No")) return no;
        return GetDlgItem(d.hwnd, IDCANCEL) != nullptr ? IDCANCEL : d.buttons.empty() ? 0 : d.buttons[0].id;
      });
      X(c.call);
    }
    ASSERT_FALSE(seen.empty()) << c.call;
    EXPECT_EQ(seen.front().rfind(c.shown, 0), 0u) << c.call << ": " << seen.front();
  }
  // The edit dialog counts the report's lines per record.
  std::string height;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      height = d.AllText();
      return IDCANCEL;
    });
    EXPECT_FALSE(X("oInf:EditColumna('R1', 1)").AsLogical());
  }
  EXPECT_NE(height.find("Los registros de este informe ocupan 2 líneas"), std::string::npos) << height;
}

TEST_F(TInformeMethodsTest, TheTreesOpenTakeTheirKeysAndEndFromCompiledTextAndAGraphicRuns) {
  std::vector<std::string> seen;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      if (d.title != "Informes" && d.title != "Gráficos") return 0;
      seen.push_back(d.title);
      // The report tree left by its "(S)alir" letter, the graphics tree by End.
      if (d.title == "Informes") EXPECT_TRUE(X("oInf:NewKeyChar(Asc('s'))").AsLogical());
      else X("oInf:End()");
      return 0;
    });
    X("oInf:ActivateArbol()");
    X("oInf:ArbolGraficos()");
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Informes", "Gráficos"}));
  EXPECT_FALSE(X("oInf:NewKeyChar(Asc('s')) .OR. oInf:New2KeyChar(Asc('e'))").AsLogical());  // nothing open
  EXPECT_TRUE(X("oInf:DoGrafico('G1')").AsLogical());
  EXPECT_EQ(drawn_, "G1");
  EXPECT_FALSE(X("oInf:DoGrafico('G9')").AsLogical());
  // With the dictionary closed, a method opens it for its call.
  dict_->End();
  drawn_.clear();
  EXPECT_TRUE(X("oInf:DoGrafico('G1')").AsLogical());
  EXPECT_EQ(drawn_, "G1");
  EXPECT_TRUE(TDictQZ::AliasOf("Informes").empty());
}

}  // namespace
}  // namespace reports
