#include "reports/report_run.h"

#include <filesystem>
#include <optional>
#include <sstream>

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/table_views.h"
#include "reports/dictionary_tables.h"
#include "reports/report_functions.h"
#include "reports/report_text_device.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using testing::Add;
using testing::L;
using testing::N;
using testing::Page;
using testing::ReadFile;
using testing::Row;
using testing::S;
using testing::TestFile;
using testing::X;
using xb::Value;

class ReportRunTest : public testing::ReportDictionaryTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportDictionaryTest::SetUp());
    path_ = TestFile("vdr_run_");
    inf_.oStDestino.nDestino = 2;
    inf_.oStDestino.cFileDst = path_;
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    ReportDictionaryTest::TearDown();
  }
  // A report on the master "VENTAS" (DBF\Ventas.dbf).
  void Report(const std::string& code, Row extra = {}) {
    Row row{{"INFORME", S(code)}, {"CATEGORIA", S("GEN")}, {"TABLAMAST", S("VENTAS")}, {"DESCRIPC", S("Prueba")},
            {"TITULO", S("Prueba")}, {"DESDE", S("")}, {"HASTA", S("Total")}, {"DESGLOSE", L(true)},
            {"LINEASR", N(1)}, {"INFMASTER", S(code)}, {"ACCESO1", S("002")}};
    for (auto& [k, v] : extra) row[k] = v;
    Add("Informes", row);
  }
  void Column(const std::string& code, int id, Row row) {
    Row base{{"INFORME", S(code)}, {"IDCOL", N(id)}, {"TIPOCOL", N(1)}, {"CAMPO", S("Colum" + std::to_string(id))},
             {"LINEA", N(1)}, {"IMPRIMIR", L(true)}, {"INIGRUPO", L(true)}, {"TIPO", S("C")}};
    for (auto& [k, v] : row) base[k] = v;
    Add("Columnas", base);
  }
  void Condition(const std::string& code, std::string tipo, std::string orden, Row row) {
    Row base{{"INFORME", S(code)}, {"TIPO", S(tipo)}, {"ORDEN", S(orden)}, {"INFDOC", S("I")}};
    for (auto& [k, v] : row) base[k] = v;
    Add("Condicio", base);
  }
  void Sales(const std::vector<std::tuple<std::string, std::string, double>>& rows) {
    Add("Tablas", {{"TABLA", S("VENTAS")}, {"RUTA", S("DBF\\")}, {"FICHERO", S("Ventas")}, {"VISIBLE", S("S")}});
    CreateTable("DBF\\Ventas.dbf", {{"CODIGO", 'C', 6, 0}, {"ARTICULO", 'C', 4, 0}, {"IMPORTE", 'N', 10, 2}},
                static_cast<int>(rows.size()), [&](xb::rdd::WorkArea& a, int n) {
                  const auto& [codigo, articulo, importe] = rows[static_cast<std::size_t>(n - 1)];
                  a.PutField(1, S(codigo));
                  a.PutField(2, S(articulo));
                  a.PutField(3, N(importe, 2));
                });
  }
  // The articles P1 (family PAN) and M1 (MAN), listed with their tag CODIGO.
  void Articles() {
    CreateTable("DBF\\Articulos.dbf", {{"CODIGO", 'C', 4, 0}, {"FAMILIA", 'C', 3, 0}}, 2,
                [](xb::rdd::WorkArea& a, int n) {
                  a.PutField(1, S(n == 1 ? "P1" : "M1"));
                  a.PutField(2, S(n == 1 ? "PAN" : "MAN"));
                });
    ASSERT_GT(Use("DBF\\Articulos.dbf", "IDX", false), 0);
    xb::CallFunction("ORDCREATE", {Value(), S("CODIGO"), S("CODIGO")});
    xb::CallFunction("DBCLOSEAREA");
    Add("Tablas", {{"TABLA", S("ARTICULOS")}, {"RUTA", S("DBF\\")}, {"FICHERO", S("Articulos")}});
    Add("Indices", {{"TABLA", S("ARTICULOS")}, {"ORDEN", N(1)}, {"TAG", S("CODIGO")}, {"EXPRESION", S("CODIGO")}});
  }
  // The two columns of the example: "Código" and the totalled "Importe".
  void ExampleColumns(const std::string& code) {
    Column(code, 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                     {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}});
    Column(code, 2, {{"TITULO", S("Importe")}, {"TIPO", S("N")}, {"ANCHO", N(12)}, {"NUMDECIMAL", N(2)},
                     {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(8)}, {"TOTAL", L(true)},
                     {"MASCARA", S("@E 9,999,999.99")}, {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(10)}});
  }
  std::string Read() const { return ReadFile(path_); }
  bool NoTemporaryTables() {
    for (const std::string& stem : inf_.acTmpFiles)
      if (memory().Exists(stem + ".dbf")) return false;
    return true;
  }

  TInforme inf_;
  std::string path_;
};

TEST_F(ReportRunTest, TheExampleReportRunsToItsGoldenText) {
  Sales({{"A01", "", 1234.5}, {"B02", "", 10}, {"C03", "", 0.25}});
  Report("EJEMPLO");
  ExampleColumns("EJEMPLO");
  ASSERT_TRUE(inf_.RunInforme("ejemplo")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(Read(), Page({"Código Importe     ", "------ ------------", "A01        1.234,50",
                          "B02           10,00", "C03            0,25", "------ ------------",
                          "Total      1.244,75"}));
  EXPECT_FALSE(inf_.acTmpFiles.empty());
  EXPECT_TRUE(NoTemporaryTables());
}

// A totalled text column adds its texts as numbers; one that overflowed adds more than the
// column holds, so its total overflows as well.
TEST_F(ReportRunTest, ATotalledTextThatOverflowedOverflowsTheTotal) {
  struct Case {
    const char* name;
    std::vector<std::string> texts;
    std::string total;
  };
  const std::vector<Case> cases = {
      {"numbers", {"12", "3"}, "15"},
      {"an overflow", {"12", "***", "3"}, "***"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string code = "TEXTO" + std::to_string(++n);
    std::vector<std::tuple<std::string, std::string, double>> rows;
    for (const std::string& text : c.texts) rows.emplace_back(text, "", 0);
    if (n == 1) {
      Sales(rows);
    } else {
      CreateTable("DBF\\Ventas.dbf", {{"CODIGO", 'C', 6, 0}, {"ARTICULO", 'C', 4, 0}, {"IMPORTE", 'N', 10, 2}},
                  static_cast<int>(c.texts.size()),
                  [&](xb::rdd::WorkArea& a, int r) { a.PutField(1, S(c.texts[static_cast<std::size_t>(r - 1)])); });
    }
    Report(code, {{"HASTA", S("")}});
    Column(code, 1, {{"TITULO", S("Cnt")}, {"ANCHO", N(3)}, {"ALINEACION", S("D")}, {"PINICIAL", N(1)},
                     {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}, {"TOTAL", L(true)}, {"MASCARA", S("999")}});
    ASSERT_TRUE(inf_.RunInforme(code)) << c.name;
    const std::string out = Read();
    const std::size_t last = out.rfind("---\r\n");
    ASSERT_NE(last, std::string::npos) << out;
    EXPECT_EQ(xb::AllTrim(out.substr(last + 5, out.find("\r\n", last + 5) - last - 5)), c.total) << c.name << "\n" << out;
  }
}

TEST_F(ReportRunTest, ADesignedHeaderPrintsAboveTheColumnTitles) {
  Sales({{"A01", "", 1}});
  Report("CABE", {{"CABECERA", S("001")}, {"HASTA", S("")}});
  ExampleColumns("CABE");
  // 12.7 mm high: the body starts on row 3 (6 rows an inch); on the text file the items stand
  // at their row LINEA and column COLUMNA.
  Add("CabeH", {{"COD", S("001")}, {"DESCRIP", S("Ventas")}, {"POSICION", N(12.7, 1)}, {"ACTIVO", L(true)}});
  Add("CabeD", {{"COD", S("001")}, {"DATO", N(8)}, {"LINEA", N(0, 1)}, {"COLUMNA", N(10, 1)}, {"ACTIVO", L(true)}});
  Add("CabeD", {{"COD", S("001")}, {"DATO", N(6)}, {"LINEA", N(1, 1)}, {"COLUMNA", N(50, 1)}, {"ACTIVO", L(true)}});
  Add("CabeD", {{"COD", S("001")}, {"DATO", N(1)}, {"TEXTO", S("Listado de ventas")}, {"LINEA", N(2, 1)},
                {"COLUMNA", N(0, 1)}, {"ACTIVO", L(true)}});
  Add("CabeD", {{"COD", S("001")}, {"DATO", N(1)}, {"TEXTO", S("inactivo")}, {"LINEA", N(8.5, 1)},
                {"COLUMNA", N(50, 1)}, {"ACTIVO", L(false)}});
  ASSERT_TRUE(inf_.RunInforme("CABE"));
  EXPECT_EQ(Read(), Page({"         Prueba", std::string(49, ' ') + "1", "Listado de ventas", "Código Importe     ",
                          "------ ------------", "A01            1,00", "------ ------------", "               1,00"}));
  // A report without a title prints "Sin título".
  X(TDictQZ::AliasOf("Informes") + "->(DBGOTOP(), RLOCK(), TITULO := '', DBCOMMIT(), DBUNLOCK())");
  ASSERT_TRUE(inf_.RunInforme("CABE"));
  EXPECT_EQ(Read().substr(0, 21), "         Sin título\r\n");
}

TEST_F(ReportRunTest, ConditionsOrderAndNegativeNumbers) {
  Sales({{"A01", "", 12}, {"B02", "", -30}, {"C03", "", 4}, {"D04", "", -2.5}, {"E05", "", 100}});
  Report("ORDEN");
  ExampleColumns("ORDEN");
  // Importe < 50 and código <> "C03", ordered by importe.
  Condition("ORDEN", "C", "A", {{"COLUMNA", S("Colum2")}, {"OPERADOR", N(4)}, {"VALOR", S("50")},
                                {"FLDTIPO", S("N")}, {"ENLACE", N(2)}});
  Condition("ORDEN", "C", "B", {{"COLUMNA", S("Colum1")}, {"OPERADOR", N(3)}, {"VALOR", S("C03")},
                                {"FLDTIPO", S("C")}, {"ENLACE", N(1)}});
  Condition("ORDEN", "A", "A", {{"COLUMNA", S("Colum2")}, {"CAMPO", S("Colum2")}, {"FLDTIPO", S("N")}});
  ASSERT_TRUE(inf_.RunInforme("ORDEN"));
  EXPECT_EQ(Read(), Page({"Código Importe     ", "------ ------------", "B02          -30,00",
                          "D04           -2,50", "A01           12,00", "------ ------------",
                          "Total        -20,50"}));
}

TEST_F(ReportRunTest, AStopConditionOnTheFirstRecordPrintsAnEmptyReport) {
  Sales({{"A01", "", 1}, {"B02", "", 2}});
  Report("PARADA");
  ExampleColumns("PARADA");
  Condition("PARADA", "D", "A", {{"COLUMNA", S("Colum1")}, {"OPERADOR", N(2)}, {"VALOR", S("A01")},
                                 {"FLDTIPO", S("C")}, {"ENLACE", N(1)}});
  ASSERT_TRUE(inf_.RunInforme("PARADA"));
  EXPECT_EQ(Read(), Page({"Código Importe     ", "------ ------------", "------ ------------",
                          "Total          0,00"}));
}

TEST_F(ReportRunTest, TwoGroupsOverARelatedColumnTwoHopsAway) {
  Sales({{"V1", "P1", 10}, {"V2", "M1", 5}, {"V3", "P2", 2}, {"V4", "M1", 1}});
  // Ventas.ARTICULO -> Articulos.FAMILIA -> Familias.NOMBRE
  CreateTable("DBF\\Articulos.dbf", {{"CODIGO", 'C', 4, 0}, {"FAMILIA", 'C', 3, 0}}, 3, [](xb::rdd::WorkArea& a, int n) {
    const char* rows[][2] = {{"P1", "PAN"}, {"P2", "PAN"}, {"M1", "MAN"}};
    a.PutField(1, S(rows[n - 1][0]));
    a.PutField(2, S(rows[n - 1][1]));
  });
  CreateTable("DBF\\Familias.dbf", {{"CODIGO", 'C', 3, 0}, {"NOMBRE", 'C', 10, 0}}, 2, [](xb::rdd::WorkArea& a, int n) {
    const char* rows[][2] = {{"PAN", "Panadería"}, {"MAN", "Mantequera"}};
    a.PutField(1, S(rows[n - 1][0]));
    a.PutField(2, S(rows[n - 1][1]));
  });
  for (const char* table : {"Articulos", "Familias"}) {
    ASSERT_GT(Use(std::string("DBF\\") + table + ".dbf", "IDX", false), 0);
    xb::CallFunction("ORDCREATE", {Value(), S("CODIGO"), S("CODIGO")});
    xb::CallFunction("DBCLOSEAREA");
    Add("Tablas", {{"TABLA", S(xb::Upper(xb::CurrentCodePage(), table))}, {"RUTA", S("DBF\\")}, {"FICHERO", S(table)}});
    Add("Indices", {{"TABLA", S(xb::Upper(xb::CurrentCodePage(), table))}, {"ORDEN", N(1)}, {"TAG", S("CODIGO")},
                    {"EXPRESION", S("CODIGO")}});
  }
  Report("GRUPOS", {{"HASTA", S("Total general")}});
  Column("GRUPOS", 1, {{"TITULO", S("Familia")}, {"TIPOCOL", N(2)}, {"DATOS", S("ARTICULO")}, {"ANCHO", N(10)},
                       {"ALINEACION", S("I")}, {"PINICIAL", N(1)}, {"CAMPOREL", S("NOMBRE")}, {"ANCHOMAX", N(10)},
                       {"CODEXPR", S("FAMILIAS")}});
  Column("GRUPOS", 2, {{"TITULO", S("Art.")}, {"ANCHO", N(4)}, {"ALINEACION", S("I")}, {"PINICIAL", N(12)},
                       {"CAMPOREL", S("ARTICULO")}, {"ANCHOMAX", N(4)}});
  Column("GRUPOS", 3, {{"TITULO", S("Importe")}, {"TIPO", S("N")}, {"ANCHO", N(8)}, {"NUMDECIMAL", N(2)},
                       {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(17)}, {"TOTAL", L(true)},
                       {"MASCARA", S("@E 99,999.99")}, {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(8)}});
  int step = 0;
  for (auto [table, expression] : {std::pair{"ARTICULOS", "FAMILIA"}, std::pair{"FAMILIAS", "NOMBRE"}}) {
    Add("Recol", {{"INFORME", S("GRUPOS")}, {"IDCOL", N(1)}, {"ORDEN", N(++step)}, {"TABBUSCAR", S(table)},
                  {"INDBUSCAR", S("CODIGO")}, {"EXPBUSCAR", S(expression)}, {"INFDOC", S("I")}, {"IDCUERPO", N(0)}});
  }
  Condition("GRUPOS", "B", "A", {{"CAMPO", S("Colum1")}, {"TEXTOTIT", S("Familia:")}, {"TEXTOPIE", S("Total familia")},
                                 {"IMPRIME", S("Colum1")}, {"VALOR", S("1")}});
  Condition("GRUPOS", "B", "B", {{"CAMPO", S("Colum2")}, {"TEXTOPIE", S("Total artículo")}});
  ASSERT_TRUE(inf_.RunInforme("GRUPOS")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(Read(), Page({"Familia    Art. Importe ",   "---------- ---- --------",
                          "Familia: Mantequera",        "Mantequera M1       5,00",
                          "                    1,00",   "---------- ---- --------",
                          "Total artículo      6,00",   "---------- ---- --------",
                          "Total familia       6,00",   "Familia: Panadería",
                          "Panadería  P1      10,00",   "---------- ---- --------",
                          "Total artículo     10,00",   "           P2       2,00",
                          "---------- ---- --------",   "Total artículo      2,00",
                          "---------- ---- --------",   "Total familia      12,00",
                          "---------- ---- --------",   "Total general      18,00"}));
  // The first group's key at the first and the last work record.
  EXPECT_EQ(xb::AllTrim(inf_.cDesde), "MANTEQUERA");
  EXPECT_TRUE(inf_.cHasta.starts_with("PANADER")) << inf_.cHasta;
}

TEST_F(ReportRunTest, ACalculatedColumnDividingByZeroGivesZero) {
  Sales({{"A01", "", 10}, {"B02", "", 0}});
  Report("CALC", {{"HASTA", S("")}});
  Column("CALC", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                     {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}});
  Column("CALC", 2, {{"TITULO", S("Importe")}, {"TIPO", S("N")}, {"ANCHO", N(8)}, {"NUMDECIMAL", N(2)},
                     {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(8)}, {"MASCARA", S("@E 99,999.99")},
                     {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(8)}});
  Column("CALC", 12, {{"TITULO", S("Ratio")}, {"TIPOCOL", N(4)}, {"TIPO", S("N")}, {"ANCHO", N(8)},
                      {"NUMDECIMAL", N(2)}, {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(17)},
                      {"DATOS", S("100 / Colum2")}, {"MASCARA", S("@E 99,999.99")}, {"ANCHOMAX", N(8)}});
  ASSERT_TRUE(inf_.RunInforme("CALC"));
  EXPECT_EQ(Read(), Page({"Código Importe  Ratio   ", "------ -------- --------", "A01       10,00    10,00",
                          "B02        0,00     0,00"}));
  EXPECT_TRUE(ui().messages.empty());
}

// A character column in a formula is read as a number (a Spanish decimal comma too).
TEST_F(ReportRunTest, ACalculatedColumnReadsACharacterColumnAsANumber) {
  Sales({{"A01", "2", 10}, {"B02", "1,5", 4}, {"C03", "", 3}});
  Report("TXT", {{"HASTA", S("")}});
  ExampleColumns("TXT");
  Column("TXT", 3, {{"TITULO", S("Uds")}, {"ANCHO", N(4)}, {"PINICIAL", N(21)}, {"CAMPOREL", S("ARTICULO")},
                    {"ANCHOMAX", N(4)}});
  Column("TXT", 4, {{"TITULO", S("Valor")}, {"TIPOCOL", N(4)}, {"TIPO", S("N")}, {"ANCHO", N(8)},
                    {"NUMDECIMAL", N(2)}, {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(26)},
                    {"DATOS", S("Colum3 * Colum2")}, {"MASCARA", S("@E 99,999.99")}, {"ANCHOMAX", N(8)}});
  ASSERT_TRUE(inf_.RunInforme("TXT"));
  EXPECT_EQ(Read(), Page({"Código Importe      Uds  Valor   ", "------ ------------ ---- --------",
                          "A01           10,00   2     20,00", "B02            4,00  1,5     6,00",
                          "C03            3,00          0,00", "------ ------------ ---- --------",
                          "              17,00"}));
}

// A described table lives in the company's folder unless flagged EXACTA: then in the
// branch's folder when one is set, else in its RUTA, else in the company's folder.
TEST_F(ReportRunTest, TheTablesOpenFromTheFolderTheirFlagSays) {
  struct Case {
    bool exacta;
    const char* delegacion;
    const char* ruta;
    const char* read;  // the code of the copy the run reads
  };
  for (const auto& [folder, code] : {std::pair{"DBF\\", "EMP02"}, {"DBF01\\", "EMP01"}, {"DELEG\\", "DELEG"}}) {
    memory().MakeFolder(folder);
    CreateTable(std::string(folder) + "Ventas.dbf", {{"CODIGO", 'C', 6, 0}, {"IMPORTE", 'N', 10, 2}}, 1,
                [code = code](xb::rdd::WorkArea& a, int) { a.PutField(1, S(code)); });
  }
  Report("SITIO", {{"HASTA", S("")}});
  ExampleColumns("SITIO");
  for (const Case& c : {Case{false, "", "DBF01\\", "EMP02"}, Case{false, "DELEG\\", "DBF01\\", "EMP02"},
                        Case{true, "", "DBF01\\", "EMP01"}, Case{true, "DELEG\\", "DBF01\\", "DELEG"},
                        Case{true, "", "", "EMP02"}}) {
    X(TDictQZ::AliasOf("Tablas") + "->(__DBZAP())");
    Add("Tablas", {{"TABLA", S("VENTAS")}, {"RUTA", S(c.ruta)}, {"FICHERO", S("Ventas")}, {"EXACTA", L(c.exacta)}});
    data::cPathDbfDelegacion(c.delegacion);
    ASSERT_TRUE(inf_.RunInforme("SITIO")) << c.exacta << c.delegacion << c.ruta;
    EXPECT_EQ(Read().substr(0, 20), "Código Importe     \r") << c.exacta << c.delegacion;
    EXPECT_NE(Read().find(c.read), std::string::npos) << c.exacta << " " << c.delegacion << " " << c.ruta;
  }
  data::cPathDbfDelegacion("");
}

// A master table the dictionary does not describe, or one with fewer index tags than it
// describes, stops the run with a message; the debug mode says why and lists the tables in
// Tablas.log.
TEST_F(ReportRunTest, AMasterWithoutItsRowOrItsTagsStopsTheRun) {
  Report("SINTABLA", {{"TABLAMAST", S("NINGUNA")}});
  ExampleColumns("SINTABLA");
  EXPECT_FALSE(inf_.RunInforme("SINTABLA"));
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text, "Tabla NINGUNA no existe");
  EXPECT_EQ(ui().messages[0].title, "Atención");
  EXPECT_TRUE(NoTemporaryTables());

  Sales({{"A01", "", 1}});
  Add("Indices", {{"TABLA", S("VENTAS")}, {"ORDEN", N(1)}, {"TAG", S("CODIGO")}, {"EXPRESION", S("CODIGO")}});
  Report("SINTAG");
  ExampleColumns("SINTAG");
  const std::string failure = "Se ha producido algún error durante la apertura de los ficheros\n\rrevise los procesos abiertos";
  const std::string count = "El número de indices reales de un fichero no coincide con el número almacenado en el diccionario";
  for (bool debug : {false, true}) {
    ui().messages.clear();
    TDictQZ::lDebug() = debug;
    EXPECT_FALSE(inf_.RunInforme("SINTAG")) << debug;
    std::vector<std::string> texts;
    for (const auto& m : ui().messages) texts.push_back(m.text);
    const std::vector<std::string> expected = debug ? std::vector<std::string>{count, failure} : std::vector<std::string>{failure};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(memory().Exists("INF\\Tablas.log"), debug);
    EXPECT_EQ(xb::rdd::WorkAreas::Get().AreaOfAlias("VENTAS"), 0) << "the view is closed";
  }
  EXPECT_EQ(memory().Contents("INF\\Tablas.log"), "VENTAS -> DBF\\Ventas : 1 índices\r\n");
  // With the tag made the run goes on.
  ASSERT_GT(Use("DBF\\Ventas.dbf", "IDX", false), 0);
  xb::CallFunction("ORDCREATE", {Value(), S("CODIGO"), S("CODIGO")});
  xb::CallFunction("DBCLOSEAREA");
  EXPECT_TRUE(inf_.RunInforme("SINTAG"));
  TDictQZ::lDebug() = false;
}

TEST_F(ReportRunTest, RefusalsLeaveNoTemporaryTableAndTheNextRunStarts) {
  Sales({{"A01", "", 1}});
  Report("MALO");
  ExampleColumns("MALO");
  Condition("MALO", "B", "A", {{"CAMPO", S("Colum9")}});
  EXPECT_FALSE(inf_.RunInforme("MALO"));
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text, "El informe agrupa u ordena por una columna que no existe: Colum9");
  EXPECT_EQ(ui().messages.back().title, "Atención");
  EXPECT_TRUE(NoTemporaryTables());

  Report("VACIO");
  EXPECT_FALSE(inf_.RunInforme("VACIO"));
  EXPECT_EQ(ui().messages.back().title, "Atención");
  EXPECT_NE(ui().messages.back().text.find("no tiene definida ninguna columna"), std::string::npos);

  Report("BIEN");
  ExampleColumns("BIEN");
  // The output dialog cancelled: nothing printed, nothing left.
  SetReportRunHook({.sel_destino = [](StDestino&, const std::string&, const std::string&) { return false; }});
  EXPECT_FALSE(inf_.RunInforme("BIEN"));
  EXPECT_TRUE(NoTemporaryTables());
  SetReportRunHook({});
  EXPECT_TRUE(inf_.RunInforme("BIEN"));
  EXPECT_TRUE(NoTemporaryTables());
  // A file that cannot be made: no answer of success.
  inf_.oStDestino.cFileDst = (std::filesystem::temp_directory_path() / "no" / "such" / "x.txt").string();
  EXPECT_FALSE(inf_.RunInforme("BIEN"));
  EXPECT_TRUE(NoTemporaryTables());
}

TEST_F(ReportRunTest, TheMenuEntriesRunAReportByItsCodeUnderOneGuard) {
  Sales({{"A01", "", 1234.5}, {"B02", "", 10}, {"C03", "", 0.25}});
  Report("EJEMPLO");
  ExampleColumns("EJEMPLO");
  const std::string path = path_;
  SetReportRunHook({.sel_destino = [path](StDestino& d, const std::string& code, const std::string& title) {
    EXPECT_EQ(code, "EJEMPLO");
    EXPECT_EQ(title, "Prueba");
    d.nDestino = 2;
    d.cFileDst = path;
    return true;
  }});
  ASSERT_TRUE(X("INFORMES('INF\\', 'ejemplo')").AsLogical());
  EXPECT_EQ(Read().substr(0, 21), "Código Importe     \r\n");
  EXPECT_FALSE(TInforme::lRunning);
  // A run going on refuses another.
  TInforme::lRunning = true;
  EXPECT_FALSE(X("INFORMES('INF\\', 'EJEMPLO')").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "¡ Hay un informe en ejecución, por favor, espere a que finalize.!");
  EXPECT_EQ(ui().messages.back().title, "Atención.");
  EXPECT_FALSE(inf_.RunGenInforme("EJEMPLO"));
  TInforme::lRunning = false;
  EXPECT_TRUE(inf_.RunGenInforme("EJEMPLO"));
  EXPECT_FALSE(TInforme::lRunning);

  // Without a code: the list, or with lList .F. the tree.
  // Each over the folder given (the reports' folder when none is).
  std::vector<std::string> shown;
  SetReportRunHook({.show_list = [&shown](bool tree, const std::string& folder) {
                      shown.push_back((tree ? "arbol " : "lista ") + folder);
                    },
                    .show_graphics = [&shown](const std::string& folder) { shown.push_back("graficos " + folder); }});
  dict_->End();
  data::cPathInforme("INF\\");
  X("INFORMES('INF\\')");
  X("INFORMES('OTRA\\', , , , , .F.)");
  X("INFGRAFICOS()");
  EXPECT_EQ(shown, (std::vector<std::string>{"lista INF\\", "arbol OTRA\\", "graficos INF\\"}));
  ASSERT_TRUE(dict_->Activate("I", false));
}

TEST_F(ReportRunTest, ADirectReportPrintsTheTableItsFunctionLaysOut) {
  Report("DIR", {{"DIRECTO", L(true)}});
  Add("Inicial", {{"INFORME", S("DIR")}, {"ORDEN", N(1)}, {"FUNCION", S("TEST_DIRECTO( nEntorno )")}, {"INFDOC", S("I")}});
  CreateTable("INF\\TEMP\\Directo.dbf", FindDictTable("MtrDirec")->fields, 3, [](xb::rdd::WorkArea& a, int n) {
    const char* texts[] = {"Primera", "EJECT", "Segunda"};
    a.PutField(a.FieldPos("TEXTO"), S(texts[n - 1]));
    a.PutField(a.FieldPos("FILA"), N(1));
    a.PutField(a.FieldPos("COLUMNA"), N(4));
  });
  int calls = 0;
  xb::RegisterFunction("TEST_DIRECTO", [this, &calls](xb::Args& a) {
    ++calls;
    EXPECT_EQ(a.Int(1), 0);
    Use("INF\\TEMP\\Directo.dbf", "DIRECTO", false);
    xb::Array r = xb::Array::New();
    r.Append(N(0));
    r.Append(S("DIRECTO"));
    return Value(r);
  });
  ASSERT_TRUE(inf_.RunGenInforme("DIR")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(inf_.nPage, 2);
  EXPECT_EQ(Read(), Page({"   Primera"}) + Page({"   Segunda"}));
  EXPECT_EQ(areas().AreaOfAlias("DIRECTO"), 0) << "the work table is closed";
  EXPECT_FALSE(TInforme::lRunning);
  // INFDIRECTO with the work table given, to the file the output dialog names.
  const std::string path = path_;
  SetReportRunHook({.sel_destino = [path](StDestino& d, const std::string&, const std::string&) {
    d.nDestino = 2;
    d.cFileDst = path;
    return true;
  }});
  ASSERT_GT(Use("INF\\TEMP\\Directo.dbf", "DADO", false), 0);
  ASSERT_TRUE(X("INFDIRECTO('INF\\', 'DIR', 0, 'DADO')").AsLogical());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Read().substr(0, 12), "   Primera\r\n");
}

// Ventas with a tag on CODIGO, and columns that name it as their expression code.
class InitialValueTest : public ReportRunTest {
 protected:
  void SetUp() override {
    ReportRunTest::SetUp();
    Add("Tablas", {{"TABLA", S("VENTAS")}, {"RUTA", S("DBF\\")}, {"FICHERO", S("Ventas")}, {"VISIBLE", S("S")}});
    const std::vector<std::tuple<const char*, double, bool>> rows = {
        {"A01", 1, true}, {"B02", 50, false}, {"C03", 100, true}, {"D04", 150, true}, {"E05", 7, true}};
    CreateTable("DBF\\Ventas.dbf", {{"CODIGO", 'C', 6, 0}, {"IMPORTE", 'N', 10, 2}, {"LTOTALIZA", 'L', 1, 0}},
                static_cast<int>(rows.size()), [&](xb::rdd::WorkArea& a, int n) {
                  const auto& [codigo, importe, totaliza] = rows[static_cast<std::size_t>(n - 1)];
                  a.PutField(1, S(codigo));
                  a.PutField(2, N(importe, 2));
                  a.PutField(3, L(totaliza));
                });
    ASSERT_GT(Use("DBF\\Ventas.dbf", "IDX", false), 0);
    xb::CallFunction("ORDCREATE", {Value(), S("CODIGO"), S("CODIGO")});
    xb::CallFunction("DBCLOSEAREA");
    Add("Indices", {{"TABLA", S("VENTAS")}, {"ORDEN", N(1)}, {"TAG", S("CODIGO")}, {"EXPRESION", S("CODIGO")}});
    Report("INI");
    Column("INI", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                      {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}, {"CODEXPR", S("VENTAS")}});
    Column("INI", 2, {{"TITULO", S("Importe")}, {"TIPO", S("N")}, {"ANCHO", N(12)}, {"NUMDECIMAL", N(2)},
                      {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(8)}, {"TOTAL", L(true)},
                      {"MASCARA", S("@E 9,999,999.99")}, {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(10)},
                      {"CODEXPR", S("VENTAS")}});
    Add("Inicial", {{"INFORME", S("INI")}, {"ORDEN", N(1)}, {"FUNCION", S("TEST_INICIAL")}, {"INFDOC", S("I")}});
    xb::RegisterFunction("TEST_INICIAL", [this](xb::Args& a) {
      ++calls_;
      EXPECT_GT(a.Int(1), 0) << "the view handle";
      EXPECT_TRUE(a.Arg(2).IsString());
      EXPECT_EQ(xb::AllTrim(a.Str(4)), "INI");
      param_ = a.Arg(3);
      return xb::EvalMacro(result_);
    });
  }
  // The codes of the records printed, and the grand total line.
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    std::istringstream in(Read());
    std::string line;
    int rules = 0;
    while (std::getline(in, line)) {
      if (line.starts_with("------")) {
        if (++rules == 2) break;
        continue;
      }
      if (rules == 1) codes.emplace_back(xb::AllTrim(line.substr(0, 6)));
    }
    return codes;
  }
  std::string Total() const {
    const std::string all = Read();
    const std::size_t at = all.find("Total ");
    return at == std::string::npos ? std::string() : std::string(xb::AllTrim(all.substr(at + 5, all.find('\r', at) - at - 5)));
  }
  std::string result_;
  Value param_;
  int calls_ = 0;
};

TEST_F(InitialValueTest, ConditionsOrdersAndRangesOfTheFunctionShapeTheRun) {
  struct Case {
    const char* result;
    std::vector<std::string> codes;
    const char* total;
  };
  const std::vector<Case> cases = {
      {"{ .T. }", {"A01", "B02", "C03", "D04", "E05"}, "308,00"},
      {"NIL", {"A01", "B02", "C03", "D04", "E05"}, "308,00"},
      // A range: ">=" the low value and "<=" the high one.
      {"{ .T., { { 'VENTAS', 'IMPORTE', 7, 100 } } }", {"B02", "C03", "E05"}, "157,00"},
      {"{ .T., { { 'ventas', 'IMPORTE', 7, 100, '>' } } }", {"B02", "C03"}, "150,00"},
      // "<>" with an upper value: outside the range.
      {"{ .T., { { 'VENTAS', 'IMPORTE', 7, 100, '<>' } } }", {"A01", "D04"}, "151,00"},
      // A range or-linked onward: outside [7, 100] by the parenthesis, or "C03".
      {"{ .T., { { 'VENTAS', 'IMPORTE', 7, 100, '<>', 'OR' }, { 'VENTAS', 'CODIGO', 'C03' } } }",
       {"A01", "C03", "D04"}, "251,00"},
      // A list of values, and a function applied to the field before comparing.
      {"{ .T., { { 'VENTAS', 'CODIGO', { 'A01', 'D04' } } } }", {"A01", "D04"}, "151,00"},
      {"{ .T., { { 'VENTAS', 'IMPORTE', { 50, 7 } } } }", {"B02", "E05"}, "57,00"},
      {"{ .T., { { 'VENTAS', 'Lower(CODIGO)', 'b02' } } }", {"B02"}, "50,00"},
      {"{ .T., { { 'VENTAS', 'IMPORTE', 0, , 'empty' } } }", {}, "0,00"},
      {"{ .T., { { 'VENTAS', 'IMPORTE', 0, , 'not' } } }", {"A01", "B02", "C03", "D04", "E05"}, "308,00"},
      // A condition on a column the report lacks applies to nothing.
      {"{ .T., { { 'OTRA', 'IMPORTE', 7 } } }", {"A01", "B02", "C03", "D04", "E05"}, "308,00"},
      // Orders: "B" replaces the report's own; the scan range starts softly and ends at its end.
      {"{ .T., {}, { { 'VENTAS', 'IMPORTE', 'B' } } }", {"A01", "E05", "B02", "C03", "D04"}, "308,00"},
      {"{ .T., {}, { { 'CODIGO', 'B', 'C', 'C', 1 } } }", {"B02", "C03"}, "150,00"},
      {"{ .T., {}, { { 'CODIGO', 'BZ', '', 'C', 'CODIGO' } } }", {}, "0,00"},
      {"{ .T., {}, { { 'CODIGO', 'B', 'D', 'C', 1 }, { 'VENTAS', 'IMPORTE', 'A' } } }", {"B02", "C03", "D04"}, "300,00"},
      // Grouped records: only those whose lTotaliza is set add to the totals.
      {"{ .T., {}, {}, , , , , .T. }", {"A01", "B02", "C03", "D04", "E05"}, "258,00"},
  };
  // The report's own order, by code descending through a column: replaced by a "B" order only.
  for (const Case& c : cases) {
    result_ = c.result;
    ASSERT_TRUE(inf_.RunInforme("INI")) << c.result;
    EXPECT_EQ(Codes(), c.codes) << c.result;
    EXPECT_EQ(Total(), c.total) << c.result;
    EXPECT_TRUE(NoTemporaryTables());
  }
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(InitialValueTest, AFalseAnswerStopsTheRunAndTheRestOfTheResultActs) {
  result_ = "{ .F. }";
  EXPECT_FALSE(inf_.RunInforme("INI"));
  EXPECT_TRUE(NoTemporaryTables());
  EXPECT_FALSE(std::filesystem::exists(path_) && !Read().empty()) << "nothing printed";

  // Parameters given by position reach the function; without one it gets an empty array.
  result_ = "{ .T. }";
  ASSERT_TRUE(inf_.RunInforme("INI"));
  ASSERT_TRUE(param_.IsArray());
  EXPECT_EQ(param_.AsArray().size(), 0u);
  xb::Array pairs = xb::Array::New();
  for (Value code : {Value::Integer(1), S("EXPR")}) {
    xb::Array pair = xb::Array::New();
    pair.Append(code);
    pair.Append(S("dado"));
    pairs.Append(Value(pair));
  }
  ASSERT_TRUE(inf_.RunInforme("INI", false, {}, {}, 0, Value(pairs)));
  EXPECT_EQ(param_.IsString() ? std::string(param_.AsString()) : std::string(), "dado");
  ASSERT_EQ(inf_.aParams.size(), 1u);
  EXPECT_EQ(inf_.aParams[0].first, "EXPR");

  // The condition text for the header, the first page number, extra expression parameters.
  result_ = "{ .T., {}, {}, { { 'OTRA', { 1 } } }, , , 'Del A al E', , 5 }";
  ASSERT_TRUE(inf_.RunInforme("INI"));
  EXPECT_EQ(inf_.cCondLis, "Del A al E");
  EXPECT_EQ(inf_.nPage, 5) << "the first page printed is the fifth";
  ASSERT_EQ(inf_.aParams.size(), 1u);
  EXPECT_EQ(inf_.aParams[0].first, "OTRA");
  EXPECT_EQ(calls_, 4);
}

TEST_F(ReportRunTest, ExpressionColumnsAreEvaluatedOnceARecordInTheirEnvironment) {
  Sales({{"A01", "P1", 10}, {"B02", "M1", 5}});
  CreateTable("DBF\\Articulos.dbf", {{"CODIGO", 'C', 4, 0}}, 0);
  Add("Tablas", {{"TABLA", S("ARTICULOS")}, {"RUTA", S("DBF\\")}, {"FICHERO", S("Articulos")}});
  Add("Expresio", {{"CODIGO", S("EXPVEN")}, {"TABLA", S("VENTAS")}, {"ENTORNO", S("ENTV")}, {"FUNDATOS", S("TEST_PARAMS")}});
  Add("Entorno", {{"ENTORNO", S("ENTV")}, {"TABLA", S("VENTAS")}, {"ORDEN", N(1)}, {"INICIAL", S("S")}});
  Add("Entorno", {{"ENTORNO", S("ENTV")}, {"TABLA", S("ARTICULOS")}, {"ORDEN", N(2)}});
  Report("EXPR");
  Column("EXPR", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                     {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}});
  // Two elements of one expression, and a type 6 column with its description as a value parameter.
  Row expression{{"TIPOCOL", N(3)}, {"CODEXPR", S("EXPVEN")}, {"DATOS", S("TEST_EXPR")}, {"FUNDATOS", S("TEST_PARAMS")},
                 {"DESCRIPC", S("Ventas")}, {"ALINEACION", S("I")}};
  Row first = expression, second = expression, third = expression;
  first.insert({{"TITULO", S("x")}, {"FUNCTIT", S("'Entorno' + ' de ventas'")}, {"ANCHO", N(8)}, {"PINICIAL", N(8)},
                {"PARAMETRO", N(1)}, {"ANCHOMAX", N(8)}});
  second.insert({{"TITULO", S("Doble")}, {"TIPO", S("N")}, {"ANCHO", N(6)}, {"PINICIAL", N(17)}, {"PARAMETRO", N(2)},
                 {"ANCHOMAX", N(6)}, {"MASCARA", S("999999")}});
  third.insert({{"TITULO", S("Valor")}, {"ANCHO", N(6)}, {"PINICIAL", N(24)}, {"PARAMETRO", N(3)}, {"ANCHOMAX", N(6)}});
  third["TIPOCOL"] = N(6);
  third["DESCRIPC"] = S("propio");
  Column("EXPR", 2, first);
  Column("EXPR", 3, second);
  Column("EXPR", 4, third);
  int params_calls = 0, expr_calls = 0;
  std::vector<std::string> seen;
  xb::RegisterFunction("TEST_PARAMS", [&](xb::Args& a) {
    ++params_calls;
    EXPECT_EQ(xb::AllTrim(a.Str(1)), "Ventas");
    return xb::EvalMacro("{ 2 }");
  });
  xb::RegisterFunction("TEST_EXPR", [&](xb::Args& a) {
    ++expr_calls;
    const xb::Array dbfs = a.Arr(2), tables = a.Arr(3), params = a.Arr(4);
    EXPECT_EQ(dbfs.size(), 2u);
    EXPECT_EQ(tables.size(), 2u);
    EXPECT_EQ(xb::AllTrim(tables[1].AsString()), "ARTICULOS");
    EXPECT_NE(areas().AreaOfAlias(dbfs[1].AsString()), 0) << "the environment's tables are open";
    EXPECT_EQ(xb::Upper(xb::CurrentCodePage(), dbfs[0].AsString()), xb::Upper(xb::CurrentCodePage(), a.Str(1)));
    std::string described;
    for (const Value& p : params) described += p.IsString() ? std::string(p.AsString()) : std::to_string(p.AsInt());
    seen.push_back(described);
    const Value importe = xb::EvalMacro(std::string(a.Str(1)) + "->IMPORTE");
    xb::Array r = xb::Array::New();
    r.Append(S(std::string(a.Str(5)).substr(0, 4) + "-" + std::string(xb::AllTrim(xb::EvalMacro(std::string(a.Str(1)) + "->CODIGO").AsString()))));
    r.Append(N(importe.AsDouble() * params[0].AsDouble()));
    r.Append(S(described));
    return Value(r);
  });
  ASSERT_TRUE(inf_.RunInforme("EXPR")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(params_calls, 1) << "parameters asked once a run";
  EXPECT_EQ(expr_calls, 4) << "once a record, and once more for the column with its own value parameter";
  EXPECT_EQ(seen, (std::vector<std::string>{"2", "2propio", "2", "2propio"}));
  EXPECT_EQ(Read(), Page({"Código Entorno  Doble  Valor ", "------ -------- ------ ------", "A01    EXPR-A01 20     2propi",
                          "B02    EXPR-B02 10     2propi"}));

  // Parameters given for the expression's code: its data function is not asked.
  xb::Array pairs = xb::Array::New(), pair = xb::Array::New(), values = xb::Array::New();
  values.Append(N(3));
  pair.Append(S("expven"));
  pair.Append(Value(values));
  pairs.Append(Value(pair));
  ASSERT_TRUE(inf_.RunInforme("EXPR", false, {}, {}, 0, Value(pairs)));
  EXPECT_EQ(params_calls, 1);
  EXPECT_NE(Read().find("A01    EXPR-A01 30 "), std::string::npos) << Read();
}

// A relation chain, an expression's environment and a field's value list are read from the
// dictionary once a run, not at every record: rows changed during the run change nothing.
TEST_F(ReportRunTest, TheDictionaryRowsOfARunAreReadOnceARun) {
  Sales({{"V1", "P1", 1}, {"V2", "M1", 2}, {"V3", "P1", 3}});
  ASSERT_NO_FATAL_FAILURE(Articles());
  Add("Expresio", {{"CODIGO", S("EXPVEN")}, {"TABLA", S("VENTAS")}, {"ENTORNO", S("ENTV")}});
  Add("Entorno", {{"ENTORNO", S("ENTV")}, {"TABLA", S("VENTAS")}, {"ORDEN", N(1)}, {"INICIAL", S("S")}});
  Add("Entorno", {{"ENTORNO", S("ENTV")}, {"TABLA", S("ARTICULOS")}, {"ORDEN", N(2)}});
  Add("CampoRes", {{"TABLA", S("VENTAS")}, {"CAMPO", S("ARTICULO")}, {"VALOR", S("P1")}, {"RESULTA", S("Pan")}});
  Report("UNAVEZ", {{"HASTA", S("")}});
  Column("UNAVEZ", 1, {{"TITULO", S("Fam")}, {"TIPOCOL", N(2)}, {"DATOS", S("ARTICULO")}, {"ANCHO", N(3)}, {"ALINEACION", S("I")},
                       {"PINICIAL", N(1)}, {"CAMPOREL", S("FAMILIA")}, {"ANCHOMAX", N(3)}, {"CODEXPR", S("ARTICULOS")}});
  Column("UNAVEZ", 2, {{"TITULO", S("Art")}, {"TIPOCOL", N(7)}, {"ANCHO", N(4)}, {"PINICIAL", N(5)}, {"ALINEACION", S("I")},
                       {"CAMPOREL", S("ARTICULO")}, {"ANCHOMAX", N(4)}});
  // The first letter of the environment's second table.
  Column("UNAVEZ", 3, {{"TITULO", S("T")}, {"TIPOCOL", N(3)}, {"CODEXPR", S("EXPVEN")}, {"DATOS", S("TEST_TABLAS")},
                       {"ANCHO", N(1)}, {"PINICIAL", N(10)}, {"PARAMETRO", N(1)}, {"ANCHOMAX", N(1)},
                       {"ALINEACION", S("I")}});
  Add("Recol", {{"INFORME", S("UNAVEZ")}, {"IDCOL", N(1)}, {"ORDEN", N(1)}, {"TABBUSCAR", S("ARTICULOS")},
                {"INDBUSCAR", S("CODIGO")}, {"EXPBUSCAR", S("FAMILIA")}, {"INFDOC", S("I")}, {"IDCUERPO", N(0)}});
  // At the first record every row the run reads is changed.
  auto change = [this](std::string_view table, std::string_view field, std::string_view value) {
    xb::rdd::WorkArea* a = areas().Area(areas().AreaOfAlias(TDictQZ::AliasOf(table)));
    for (a->GoTop(); !a->eof(); a->Skip(1)) a->PutField(a->FieldPos(field), S(value));
    a->Commit();
  };
  int calls = 0;
  xb::RegisterFunction("TEST_TABLAS", [&](xb::Args& a) {
    if (++calls == 1) {
      change("Recol", "TABBUSCAR", "NINGUNA");
      change("Entorno", "TABLA", "NINGUNA");
      change("CampoRes", "RESULTA", "Otro");
    }
    xb::Array r = xb::Array::New();
    r.Append(S(a.Arr(3).size() > 1 ? std::string(a.Arr(3)[1].AsString()).substr(0, 1) : "-"));
    return Value(r);
  });
  ASSERT_TRUE(inf_.RunInforme("UNAVEZ")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(Read(), Page({"Fam Art  T", "--- ---- -", "PAN Pan  A", "MAN M1   A", "PAN Pan  A"}));
}

// A related column whose key is the previous record's is not sought again while the related
// table stands where that seek left it; moved away (here by an expression's function), it is.
TEST_F(ReportRunTest, ARelatedColumnSeeksAgainWhenItsTableWasMoved) {
  Sales({{"V1", "P1", 1}, {"V2", "P1", 2}, {"V3", "P1", 3}, {"V4", "M1", 4}, {"V5", "X9", 5}, {"V6", "X9", 6},
         {"V7", "P1", 7}});
  ASSERT_NO_FATAL_FAILURE(Articles());
  Add("Expresio", {{"CODIGO", S("MUEVE")}, {"TABLA", S("VENTAS")}, {"ENTORNO", S("ENTM")}});
  Add("Entorno", {{"ENTORNO", S("ENTM")}, {"TABLA", S("VENTAS")}, {"ORDEN", N(1)}, {"INICIAL", S("S")}});
  Add("Entorno", {{"ENTORNO", S("ENTM")}, {"TABLA", S("ARTICULOS")}, {"ORDEN", N(2)}});
  Report("MOVIDA", {{"HASTA", S("")}});
  Column("MOVIDA", 1, {{"TITULO", S("Fam")}, {"TIPOCOL", N(2)}, {"DATOS", S("ARTICULO")}, {"ANCHO", N(3)},
                       {"ALINEACION", S("I")}, {"PINICIAL", N(1)}, {"CAMPOREL", S("FAMILIA")}, {"ANCHOMAX", N(3)},
                       {"CODEXPR", S("ARTICULOS")}});
  Column("MOVIDA", 2, {{"TITULO", S("Cod")}, {"ANCHO", N(3)}, {"PINICIAL", N(5)}, {"ALINEACION", S("I")},
                       {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(3)}});
  // On sale V2 the function leaves Articulos on its other record.
  Column("MOVIDA", 3, {{"TITULO", S("M")}, {"TIPOCOL", N(3)}, {"CODEXPR", S("MUEVE")}, {"DATOS", S("TEST_MUEVE")},
                       {"ANCHO", N(1)}, {"PINICIAL", N(9)}, {"PARAMETRO", N(1)}, {"ANCHOMAX", N(1)},
                       {"ALINEACION", S("I")}});
  Add("Recol", {{"INFORME", S("MOVIDA")}, {"IDCOL", N(1)}, {"ORDEN", N(1)}, {"TABBUSCAR", S("ARTICULOS")},
                {"INDBUSCAR", S("CODIGO")}, {"EXPBUSCAR", S("FAMILIA")}, {"INFDOC", S("I")}, {"IDCUERPO", N(0)}});
  xb::RegisterFunction("TEST_MUEVE", [&](xb::Args& a) {
    xb::rdd::WorkArea* master = areas().Area(areas().AreaOfAlias(a.Str(1)));
    xb::rdd::WorkArea* articulos = areas().Area(areas().AreaOfAlias(a.Arr(2)[1].AsString()));
    const bool move = xb::AllTrim(master->GetField(1).AsString()) == "V2";
    if (move) articulos->GoTo(2);
    xb::Array r = xb::Array::New();
    r.Append(S(move ? "*" : " "));
    return Value(r);
  });
  ASSERT_TRUE(inf_.RunInforme("MOVIDA")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(Read(), Page({"Fam Cod M", "--- --- -", "PAN V1   ", "PAN V2  *", "PAN V3   ", "MAN V4   ", "    V5   ",
                          "    V6   ", "PAN V7   "}));
}

TEST_F(ReportRunTest, AmountsInPesetasPrintInEurosWhenAsked) {
  Sales({{"A01", "", 1664}, {"B02", "", 16639}});
  Report("EURO", {{"HASTA", S("")}});
  Column("EURO", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                     {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}});
  Column("EURO", 2, {{"TITULO", S("Importe")}, {"TIPO", S("N")}, {"ANCHO", N(10)}, {"ALINEACION", S("D")},
                     {"PINICIAL", N(8)}, {"MASCARA", S("@E 9,999,999")},
                     {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(10)}, {"DIVISA", S("P")}});
  Column("EURO", 3, {{"TITULO", S("Doble")}, {"TIPOCOL", N(4)}, {"TIPO", S("N")}, {"ANCHO", N(10)},
                     {"ALINEACION", S("D")}, {"PINICIAL", N(19)}, {"DATOS", S("Colum2 * 2")},
                     {"MASCARA", S("@E 9,999,999")}, {"ANCHOMAX", N(10)}});
  struct Case {
    const char* name;
    Value given;                     // the caller's euro answer
    std::optional<std::pair<bool, bool>> answer;  // the dialog's, when asked
    bool printed;
    std::string line;                // the first record
    int asked;
  };
  const std::vector<Case> cases = {
      {"asked: euros", Value(), std::pair{true, true}, true, "A01         10,00      20,00", 1},
      {"asked: pesetas", Value(), std::pair{true, false}, true, "A01         1.664      3.328", 1},
      {"asked: cancelled", Value(), std::pair{false, true}, false, "", 1},
      {"given: no question", L(true), std::nullopt, true, "A01         10,00      20,00", 0},
  };
  for (const Case& c : cases) {
    int asked = 0;
    const auto answer = c.answer;
    SetReportRunHook({.pide_euros = [&asked, answer] {
      ++asked;
      return answer.value_or(std::pair{true, false});
    }});
    std::filesystem::remove(path_);
    EXPECT_EQ(inf_.RunInforme("EURO", false, {}, {}, 0, {}, c.given), c.printed) << c.name;
    EXPECT_EQ(asked, c.asked) << c.name;
    EXPECT_TRUE(NoTemporaryTables()) << c.name;
    if (c.printed) {
      EXPECT_NE(Read().find(c.line + "\r\n"), std::string::npos) << c.name << "\n" << Read();
    }
  }
  // An initial-value function that answers the euro question: no dialog.
  Add("Inicial", {{"INFORME", S("EURO")}, {"ORDEN", N(1)}, {"FUNCION", S("TEST_EUROS")}, {"INFDOC", S("I")}});
  xb::RegisterFunction("TEST_EUROS", [](xb::Args&) { return xb::EvalMacro("{ .T., {}, {}, , , .T. }"); });
  int asked = 0;
  SetReportRunHook({.pide_euros = [&asked] {
    ++asked;
    return std::pair{true, false};
  }});
  ASSERT_TRUE(inf_.RunInforme("EURO"));
  EXPECT_EQ(asked, 0);
  EXPECT_NE(Read().find("A01         10,00      20,00\r\n"), std::string::npos) << Read();
  EXPECT_TRUE(X("TI_ASTATIC()[1]").AsLogical()) << "the answer is kept in the run-parameter store";
}

// A page device that records what is drawn on it: a millimetre is 10 units, a character 10
// units wide and a line 10 high.
class RecordingDevice : public testing::PageDeviceStub {
 public:
  bool IsHtml() const override { return html; }
  void Say(int row, int col, std::string_view text, int font, int width, int pad) override {
    (log ? *log : drawn).push_back("say " + std::to_string(row) + "," + std::to_string(col) + " f" + std::to_string(font) + " " +
                    std::string(text) + (width > 0 ? " in " + std::to_string(width) + " pad " + std::to_string(pad) : ""));
  }
  void HeaderLine(int top, int left, int bottom, int right, int points) override {
    drawn.push_back("line " + Corners(top, left, bottom, right) + " p" + std::to_string(points));
  }
  void HeaderBox(int top, int left, int bottom, int right, int points) override {
    drawn.push_back("box " + Corners(top, left, bottom, right) + " p" + std::to_string(points));
  }
  void HeaderPicture(int top, int left, int bottom, int right, std::string_view file) override {
    drawn.push_back("picture " + Corners(top, left, bottom, right) + " " + std::string(file));
  }
  int TextWidth(std::string_view text, int) override { return static_cast<int>(text.size()) * 10; }
  int TextHeight(int) override { return 10; }
  std::vector<std::string> drawn;
  std::vector<std::string>* log = nullptr;  // where the texts go instead, when set
  bool html = false;

 private:
  static std::string Corners(int top, int left, int bottom, int right) {
    return std::to_string(top) + "," + std::to_string(left) + "-" + std::to_string(bottom) + "," + std::to_string(right);
  }
};

TEST_F(ReportRunTest, TheDesignedHeaderDrawsItsLinesBoxesPicturesAndWrappedTexts) {
  Add("CabeH", {{"COD", S("002")}, {"DESCRIP", S("Diseño")}, {"POSICION", N(30, 1)}, {"ACTIVO", L(true)}});
  auto item = [&](int dato, const char* texto, double linea, double columna, Row extra = {}) {
    Row row{{"COD", S("002")}, {"DATO", N(dato)}, {"TEXTO", S(texto)}, {"LINEA", N(linea, 1)},
            {"COLUMNA", N(columna, 1)}, {"ACTIVO", L(true)}};
    for (auto& [k, v] : extra) row[k] = v;
    Add("CabeD", row);
  };
  item(2, "", 1, 1, {{"LINEA2", N(20, 1)}, {"COLUMNA2", N(150, 1)}, {"GROSOR", N(2)}});   // a box
  item(2, "", 21, 1, {{"LINEA2", N(21, 1)}, {"COLUMNA2", N(150, 1)}, {"GROSOR", N(1)}});  // a rule
  // A picture's second coordinates are its height and width: one low on the page is drawn too.
  item(3, "logo.bmp", 2, 120, {{"LINEA2", N(16, 1)}, {"COLUMNA2", N(28, 1)}});
  item(3, "pie.bmp", 250, 10, {{"LINEA2", N(20, 1)}, {"COLUMNA2", N(40, 1)}});
  // 20 characters in at most 10 mm: lines of at most 10 characters, 4 mm apart, broken at blanks.
  item(1, "Ventas del mes actual", 5, 5,
       {{"LONGMAX", N(10, 1)}, {"INTERLINEA", N(4, 1)}, {"FUENTE", N(3)}, {"AJUSTE", S("D")}});
  item(6, "", 5, 100);
  item(2, "", 1, 1, {{"LINEA2", N(30, 1)}, {"COLUMNA2", N(30, 1)}, {"ACTIVO", L(false)}});
  // The header datum numbered by its text.
  item(11, "3", 25, 5);
  xb::RegisterFunction("CVALORDATOCAB", [](xb::Args& a) { return S("Dato " + std::to_string(a.Int(1)) + "  "); });
  RecordingDevice device;
  // The header is 30 mm high: what lies below it (the foot picture, the datum) does not
  // push the body down.
  EXPECT_EQ(ImprimeCabecera(device, "002", 7, "Título", ""), 300);
  EXPECT_EQ(device.drawn, (std::vector<std::string>{"box 10,10-200,1500 p2", "line 210,10-210,1500 p1",
                                                     "picture 20,1200-180,1480 logo.bmp",
                                                     "picture 2500,100-2700,500 pie.bmp", "say 50,50 f3 Ventas del",
                                                     "say 90,50 f3 mes actual", "say 50,1000 f1 7",
                                                     "say 250,50 f1 Dato 3"}));
  // On HTML pages the adjustment aligns each line in the text's length.
  RecordingDevice html;
  html.html = true;
  ImprimeCabecera(html, "002", 7, "Título", "");
  EXPECT_EQ(html.drawn[4], "say 50,50 f3 Ventas del in 100 pad 2");
  EXPECT_EQ(html.drawn[6], "say 50,1000 f1 7");
  // A word longer than the limit is cut.
  EXPECT_EQ(WrapText(device, "Abcdefghij klm", 1, 60), (std::vector<std::string>{"Abcdef", "ghij", "klm"}));
  EXPECT_EQ(WrapText(device, "corto", 1, 60), (std::vector<std::string>{"corto"}));
  // On the text file the drawings have no place; the texts keep one line.
  TQZRFile file(path_);
  file.StartPage();
  ImprimeCabecera(file, "002", 7, "Título", "");
  file.EndPage();
  file.End();
  const std::string text = Read();
  EXPECT_NE(text.find("\r\n    Ventas del mes actual "), std::string::npos) << "row 5, column 5:\n" << text;
  EXPECT_NE(text.find("\r\n    Dato 3\r\n"), std::string::npos) << "row 25, column 5";
  EXPECT_EQ(text.find("logo"), std::string::npos);
}

// A direct report's texts print in the report's fonts: TFUENTE 1 the title's, 2 the lines'.
TEST_F(ReportRunTest, ADirectReportPrintsInTheReportsFonts) {
  Report("DIRF", {{"DIRECTO", L(true)}, {"FNT_TIT", N(5)}, {"FNT_LIN", N(6)}, {"FNT_TOT", N(7)}, {"FNT_SUB", N(8)}});
  Add("Inicial", {{"INFORME", S("DIRF")}, {"ORDEN", N(1)}, {"FUNCION", S("TEST_DIRECTO")}, {"INFDOC", S("I")}});
  CreateTable("INF\\TEMP\\Directo.dbf", FindDictTable("MtrDirec")->fields, 4, [](xb::rdd::WorkArea& a, int n) {
    a.PutField(a.FieldPos("TEXTO"), S("Texto " + std::to_string(n)));
    a.PutField(a.FieldPos("FILA"), N(1));
    a.PutField(a.FieldPos("TFUENTE"), N(n));
  });
  xb::RegisterFunction("TEST_DIRECTO", [this](xb::Args&) {
    Use("INF\\TEMP\\Directo.dbf", "DIRECTO", false);
    return Value(xb::Array::Of({N(0), S("DIRECTO")}));
  });
  std::vector<std::string> drawn;
  SetReportRunHook({.device = [&drawn](const StDestino&, const std::string&) {
    auto device = std::make_unique<RecordingDevice>();
    device->log = &drawn;
    return std::unique_ptr<ReportDevice>(std::move(device));
  }});
  inf_.oStDestino.nDestino = 1;
  ASSERT_TRUE(inf_.RunGenInforme("DIRF"));
  EXPECT_EQ(drawn, (std::vector<std::string>{"say 0,0 f5 Texto 1", "say 10,0 f6 Texto 2", "say 20,0 f7 Texto 3",
                                             "say 30,0 f8 Texto 4"}));
}

TEST_F(ReportRunTest, ColumnsAndGroupsPrintInTheirFonts) {
  Sales({{"A01", "P1", 10}, {"B02", "M1", 5}});
  Report("FNT", {{"FNT_LIN", N(2)}, {"FNT_TIT", N(3)}, {"FNT_SUB", N(4)}, {"FNT_TOT", N(5)}});
  Column("FNT", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                    {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}});
  Column("FNT", 2, {{"TITULO", S("Importe")}, {"FUNCTIT", S("'Imp' + 'orte total'")}, {"TIPO", S("N")}, {"ANCHO", N(12)},
                    {"NUMDECIMAL", N(2)}, {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(8)},
                    {"TOTAL", L(true)}, {"MASCARA", S("@E 9,999,999.99")}, {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(10)}});
  Column("FNT", 3, {{"TITULO", S("Art.")}, {"ANCHO", N(4)}, {"PINICIAL", N(22)}, {"CAMPOREL", S("ARTICULO")},
                    {"ANCHOMAX", N(4)}, {"IMPRIMIR", L(false)}});
  // The amount's own fonts (a subtotal font 0 is font 1), its title from a function; the
  // article, printed only in the headings, gives them its title and subtotal fonts.
  Add("CnfColum", {{"INFORME", S("FNT")}, {"IDCOL", N(2)}, {"FNT_LIN", N(6)}, {"FNT_TIT", N(7)}, {"FNT_SUB", N(0)},
                   {"FNT_TOT", N(9)}});
  Add("CnfColum", {{"INFORME", S("FNT")}, {"IDCOL", N(3)}, {"FNT_LIN", N(1)}, {"FNT_TIT", N(8)}, {"FNT_SUB", N(10)},
                   {"FNT_TOT", N(1)}});
  Condition("FNT", "B", "A", {{"CAMPO", S("Colum3")}, {"TEXTOTIT", S("Artículo:")}, {"TEXTOPIE", S("Total art.")},
                              {"IMPRIME", S("Colum3")}, {"VALOR", S("1")}});
  std::vector<std::string> drawn;
  SetReportRunHook({.device = [&drawn](const StDestino&, const std::string&) {
    auto device = std::make_unique<RecordingDevice>();
    device->log = &drawn;
    return std::unique_ptr<ReportDevice>(std::move(device));
  }});
  inf_.oStDestino.nDestino = 1;
  ASSERT_TRUE(inf_.RunInforme("FNT")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  auto font_of = [&drawn](const std::string& text) {
    for (const std::string& d : drawn)
      if (d.ends_with(" " + text) || d.find(" " + text + " in ") != std::string::npos) return d.substr(d.find(" f") + 2, d.find(' ', d.find(" f") + 1) - d.find(" f") - 2);
    return std::string("none");
  };
  EXPECT_EQ(font_of("Código"), "3");
  EXPECT_EQ(font_of("Importe tota"), "7") << "the title's function, cut to the width";
  EXPECT_EQ(font_of("A01"), "2");
  EXPECT_EQ(font_of("10,00"), "6");
  EXPECT_EQ(font_of("Artículo: P1"), "8");
  EXPECT_EQ(font_of("Total art."), "10");
  EXPECT_EQ(font_of("Total"), "5");
  EXPECT_EQ(font_of("15,00"), "9");
  std::string all;
  for (const std::string& d : drawn) all += d + "\n";
  EXPECT_NE(all.find(" f1 5,00 in "), std::string::npos) << "a subtotal font 0 is font 1:\n" << all;
}

// The run gives the engine the colours of its fonts from the dictionary's Fonts: titles, lines,
// a column's own font and the totals each print in theirs; a font Fonts does not hold, black.
TEST_F(ReportRunTest, TextsPrintInTheColoursOfTheirFonts) {
  Sales({{"A01", "P1", 10}, {"B02", "M1", 5}});
  Report("CLR", {{"FNT_LIN", N(2)}, {"FNT_TIT", N(3)}, {"FNT_SUB", N(2)}, {"FNT_TOT", N(7)}});
  Column("CLR", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                    {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}});
  Column("CLR", 2, {{"TITULO", S("Importe")}, {"TIPO", S("N")}, {"ANCHO", N(12)}, {"NUMDECIMAL", N(2)}, {"DECIMAL", N(2)},
                    {"ALINEACION", S("D")}, {"PINICIAL", N(8)}, {"TOTAL", L(true)}, {"MASCARA", S("@E 9,999,999.99")},
                    {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(10)}});
  Add("CnfColum", {{"INFORME", S("CLR")}, {"IDCOL", N(2)}, {"FNT_LIN", N(4)}, {"FNT_TIT", N(3)}, {"FNT_SUB", N(2)},
                   {"FNT_TOT", N(7)}});
  for (const auto& [number, colour] : {std::pair{2, 255}, std::pair{3, 16711680}, std::pair{4, 32768}, std::pair{8, 8421504}})
    Add("Fonts", {{"NFONT", N(number)}, {"CFACENAME", S("Arial")}, {"NHEIGHT", N(10, 2)}, {"NCOLOR", N(colour)}});
  // The colour each text is given, when it is given one.
  std::map<std::string, std::uint32_t> colours;
  struct ColourDevice : RecordingDevice {
    explicit ColourDevice(std::map<std::string, std::uint32_t>& c) : colours(c) {}
    void SayColour(int row, int col, std::string_view text, int font, int width, int pad, std::uint32_t colour) override {
      colours[std::string(text)] = colour;
      Say(row, col, text, font, width, pad);
    }
    std::map<std::string, std::uint32_t>& colours;
  };
  SetReportRunHook({.device = [&colours](const StDestino&, const std::string&) {
    return std::unique_ptr<ReportDevice>(std::make_unique<ColourDevice>(colours));
  }});
  inf_.oStDestino.nDestino = 1;
  ASSERT_TRUE(inf_.RunInforme("CLR")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  const std::map<std::string, std::uint32_t> expected = {
      {"Código", 16711680}, {"Importe", 16711680}, {"A01", 255}, {"B02", 255}, {"10,00", 32768}, {"5,00", 32768},
      {"Total", 0}, {"15,00", 0}};
  for (const auto& [text, colour] : expected) {
    ASSERT_TRUE(colours.contains(text)) << text;
    EXPECT_EQ(colours[text], colour) << text;
  }
}

TEST_F(InitialValueTest, ATemporaryMasterIsFilledByItsFunctionAndAnotherAreaCanBeScanned) {
  // A temporary master: the function fills its copy, which the run scans and which is the
  // environment's first alias.
  Add("Tablas", {{"TABLA", S("TEMPO")}, {"RUTA", S("DBF\\")}, {"FICHERO", S("Ventas")}, {"TEMPORAL", L(true)}});
  CreateTable("DBF\\Extra.dbf", {{"CODIGO", 'C', 6, 0}}, 0);
  Add("Tablas", {{"TABLA", S("EXTRA")}, {"RUTA", S("DBF\\")}, {"FICHERO", S("Extra")}});
  Add("Expresio", {{"CODIGO", S("ENTEXP")}, {"TABLA", S("TEMPO")}, {"ENTORNO", S("ENTT")}});
  int order = 0;
  for (const char* t : {"TEMPO", "VENTAS", "EXTRA"})
    Add("Entorno", {{"ENTORNO", S("ENTT")}, {"TABLA", S(t)}, {"ORDEN", N(++order)}});
  Report("TMP", {{"TABLAMAST", S("TEMPO")}});
  Column("TMP", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"PINICIAL", N(1)}, {"CAMPOREL", S("CODIGO")},
                    {"ANCHOMAX", N(6)}});
  Column("TMP", 2, {{"TITULO", S("Alias")}, {"TIPOCOL", N(3)}, {"CODEXPR", S("ENTEXP")}, {"DATOS", S("TEST_ALIAS")},
                    {"ANCHO", N(4)}, {"PINICIAL", N(8)}, {"ANCHOMAX", N(4)}, {"PARAMETRO", N(1)}});
  Add("Inicial", {{"INFORME", S("TMP")}, {"ORDEN", N(1)}, {"FUNCION", S("TEST_LLENA")}, {"INFDOC", S("I")}});
  std::string filled;
  xb::RegisterFunction("TEST_LLENA", [&filled](xb::Args& a) {
    filled = std::string(a.Str(2));
    for (const char* code : {"T1", "T2"}) xb::EvalMacro(filled + "->(DBAPPEND(), FIELDPUT(1, '" + code + "'))");
    return xb::EvalMacro("{ .T. }");
  });
  xb::RegisterFunction("TEST_ALIAS", [](xb::Args& a) {
    const xb::Array dbfs = a.Arr(2);
    xb::Array r = xb::Array::New();
    r.Append(S(dbfs.size() == 3 && xb::Upper(xb::CurrentCodePage(), dbfs[0].AsString()) ==
                                        xb::Upper(xb::CurrentCodePage(), a.Str(1))
                   ? "copy"
                   : "mal"));
    return Value(r);
  });
  ASSERT_TRUE(inf_.RunInforme("TMP")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_FALSE(filled.empty());
  EXPECT_EQ(Read(), Page({"Código Alia", "------ ----", "  T1   copy", "  T2   copy"}));
  EXPECT_EQ(areas().AreaOfAlias(filled), 0) << "the copy is closed with the view";
  EXPECT_EQ(inf_.nCopiados, 2) << "an expression column fills the work table";

  // Its plain fields alone print straight from the copy.
  Report("TMPL", {{"TABLAMAST", S("TEMPO")}});
  Column("TMPL", 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"PINICIAL", N(1)}, {"CAMPOREL", S("CODIGO")},
                     {"ANCHOMAX", N(6)}});
  Add("Inicial", {{"INFORME", S("TMPL")}, {"ORDEN", N(1)}, {"FUNCION", S("TEST_LLENA")}, {"INFDOC", S("I")}});
  ASSERT_TRUE(inf_.RunInforme("TMPL")) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(Read(), Page({"Código", "------", "  T1", "  T2"}));
  EXPECT_EQ(inf_.nCopiados, 0);
  EXPECT_EQ(areas().AreaOfAlias(filled), 0);

  // Another work area given by the function: the run scans it and leaves it as it was.
  CreateTable("DBF\\Otra.dbf", {{"CODIGO", 'C', 6, 0}, {"IMPORTE", 'N', 10, 2}}, 1, [](xb::rdd::WorkArea& a, int) {
    a.PutField(1, S("Z99"));
    a.PutField(2, N(9, 2));
  });
  ASSERT_GT(Use("DBF\\Otra.dbf", "OTRA", true), 0);
  result_ = "{ .T., {}, {}, , { 'OTRA', 0 } }";
  ASSERT_TRUE(inf_.RunInforme("INI"));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"Z99"}));
  EXPECT_EQ(Total(), "9,00");
  EXPECT_NE(areas().AreaOfAlias("OTRA"), 0);
  xb::CallFunction("DBCLOSEAREA", {});

  // A caller's view: the run uses its master as it is and leaves it where it stood.
  result_ = "{ .T. }";
  data::ViewBegin(true);
  const std::string alias = data::ViewAdd({.table = "Ventas", .indexes = {"Ventas"}, .folder = "DBF\\"});
  const int view = data::nOpenView();
  ASSERT_GT(view, 0);
  xb::rdd::WorkArea* caller = areas().Area(areas().AreaOfAlias(alias));
  caller->GoTo(3);
  ASSERT_TRUE(inf_.RunInforme("INI", false, {}, {}, view)) << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"A01", "B02", "C03", "D04", "E05"}));
  EXPECT_EQ(areas().AreaOfAlias(alias), caller->number());
  EXPECT_EQ(caller->recno(), 3u);
  EXPECT_TRUE(data::RestoreView(view));
}

// The wait dialog of a run that is cancelled once the pages are being made.
class CancelWhilePrinting : public RunProgress {
 public:
  void Done(Step) override {}
  void SetTotal(long) override {}
  void SetPos(long) override {}
  void Page(int) override {}
  void Printing(bool) override { printing_ = true; }
  bool Cancelled() override { return printing_; }

 private:
  bool printing_ = false;
};

// A given area prints straight from its records, without filling the work table, as the work
// table filled from them prints; a column that is not one of its fields, amounts changing
// currency, or a condition fill it. The area's order and record come back, after a cancel too.
TEST_F(ReportRunTest, AGivenAreaPrintsStraightAsTheFilledWorkTablePrints) {
  Sales({{"F06", "M1", 10}, {"B02", "Ñ2", -5}, {"C03", "M1", 2.5}, {"D04", "P3", 100}, {"E05", "Ñ2", 7},
         {"A01", "M1", 10}});
  ASSERT_GT(Use("DBF\\Ventas.dbf", "IDX", false), 0);
  xb::CallFunction("ORDCREATE", {Value(), S("CODIGO"), S("CODIGO")});
  xb::CallFunction("DBCLOSEAREA");
  Add("Indices", {{"TABLA", S("VENTAS")}, {"ORDEN", N(1)}, {"TAG", S("CODIGO")}, {"EXPRESION", S("CODIGO")}});
  struct Case {
    const char* code;
    int importe_kind;  // TIPOCOL of the amount
    const char* divisa;
    Value euros;
    bool condition;
    bool straight;
  };
  const std::vector<Case> cases = {
      {"LLANO", 1, "", Value(), false, true},
      {"PESETAS", 1, "P", L(false), false, true},
      {"EUROS", 1, "P", L(true), false, false},
      {"CAMBIO", 7, "", Value(), false, false},
      {"CONDIC", 1, "", Value(), true, false},
  };
  for (const Case& c : cases) {
    Report(c.code, {{"HASTA", S("Total general")}});
    Column(c.code, 1, {{"TITULO", S("Código")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"PINICIAL", N(1)},
                       {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}});
    Column(c.code, 2, {{"TITULO", S("Art.")}, {"ANCHO", N(4)}, {"ALINEACION", S("I")}, {"PINICIAL", N(8)},
                       {"CAMPOREL", S("ARTICULO")}, {"ANCHOMAX", N(4)}});
    Column(c.code, 3, {{"TITULO", S("Importe")}, {"TIPOCOL", N(c.importe_kind)}, {"TIPO", S("N")}, {"ANCHO", N(10)},
                       {"NUMDECIMAL", N(2)}, {"DECIMAL", N(2)}, {"ALINEACION", S("D")}, {"PINICIAL", N(13)},
                       {"TOTAL", L(true)}, {"MASCARA", S("@E 999,999.99")}, {"CAMPOREL", S("IMPORTE")},
                       {"ANCHOMAX", N(10)}, {"DIVISA", S(c.divisa)}});
    // By article, its code in the heading, then by amount.
    Condition(c.code, "B", "A", {{"CAMPO", S("Colum2")}, {"TEXTOTIT", S("Artículo:")}, {"TEXTOPIE", S("Total")},
                                 {"IMPRIME", S("Colum2")}, {"VALOR", S("1")}});
    Condition(c.code, "A", "A", {{"COLUMNA", S("Colum3")}, {"CAMPO", S("Colum3")}, {"FLDTIPO", S("N")}});
    if (c.condition)
      Condition(c.code, "C", "A", {{"COLUMNA", S("Colum3")}, {"OPERADOR", N(4)}, {"VALOR", S("50")},
                                   {"FLDTIPO", S("N")}, {"ENLACE", N(2)}});

    // The work table filled from the master, as the report prints it.
    ASSERT_TRUE(inf_.RunInforme(c.code, false, {}, {}, 0, {}, c.euros)) << c.code;
    const std::string filled = Read();
    EXPECT_EQ(inf_.nCopiados, c.condition ? 5 : 6) << c.code;
    EXPECT_NE(filled.find("Artículo: Ñ2"), std::string::npos) << c.code << "\n" << filled;

    // The same rows in an area of the caller, in another order and on another record.
    ASSERT_GT(Use("DBF\\Ventas.dbf", "DADA", true), 0);
    xb::rdd::WorkArea* given = areas().Area(areas().AreaOfAlias("DADA"));
    xb::CallFunction("ORDSETFOCUS", {S("CODIGO")});
    given->GoTo(4);
    const int order = given->controlling_order();
    ASSERT_GT(order, 0);
    std::filesystem::remove(path_);
    ASSERT_TRUE(inf_.RunInforme(c.code, false, "DADA", {}, 0, {}, c.euros)) << c.code;
    EXPECT_EQ(Read(), filled) << c.code;
    EXPECT_EQ(inf_.nCopiados, c.straight ? 0 : (c.condition ? 5 : 6)) << c.code;
    EXPECT_EQ(given->controlling_order(), order) << c.code;
    EXPECT_EQ(given->recno(), 4u) << c.code;
    EXPECT_TRUE(NoTemporaryTables()) << c.code;

    // Cancelled while its pages are made, the area is left as it was.
    given->GoTo(2);
    SetReportRunHook({.wait_dialog = [] { return std::make_unique<CancelWhilePrinting>(); }});
    EXPECT_FALSE(inf_.RunInforme(c.code, false, "DADA", {}, 0, {}, c.euros)) << c.code;
    SetReportRunHook({});
    EXPECT_EQ(given->controlling_order(), order) << c.code;
    EXPECT_EQ(given->recno(), 2u) << c.code;
    EXPECT_TRUE(NoTemporaryTables()) << c.code;
    EXPECT_FALSE(TInforme::lRunning);
    xb::CallFunction("DBCLOSEAREA");
  }
  EXPECT_TRUE(ui().messages.empty()) << ui().messages.front().text;
}

TEST_F(ReportRunTest, ConditionsCompareNatively) {
  inf_.aCampos = {"Colum1", "Colum2", "Colum3", "Colum4"};
  inf_.aRegPrede.assign(4, Value());
  struct Case {
    const char* name;
    std::vector<Value> record;
    std::vector<CondicionRow> rows;
    bool passes;
  };
  auto row = [](std::string col, int op, std::string value, std::string type, int link = 1) {
    CondicionRow r;
    r.cTipo = "C";
    r.cColumna = std::move(col);
    r.nOperador = op;
    r.cValor = std::move(value);
    r.cFldTipo = std::move(type);
    r.nEnlace = link;
    return r;
  };
  const Value d = Value::FromDate(xb::Date::FromYmd(2024, 3, 5));
  const std::vector<Case> cases = {
      {"text padded", {S("5"), N(0), L(false), d}, {row("Colum1", 4, "10", "C")}, false},
      {"text equal trimmed", {S("ab  "), N(0), L(false), d}, {row("Colum1", 2, "ab", "C")}, true},
      {"two negatives", {S(""), N(-5), L(false), d}, {row("Colum2", 4, "-2", "N")}, true},
      {"numbers by value", {S(""), N(9), L(false), d}, {row("Colum2", 5, "10", "N")}, false},
      {"empty logical", {S(""), N(0), L(false), d}, {row("Colum3", 8, "", "L")}, true},
      {"logical true", {S(""), N(0), L(true), d}, {row("Colum3", 2, ".T.", "L")}, true},
      {"date dd-mm-yyyy", {S(""), N(0), L(false), d}, {row("Colum4", 2, "05-03-2024", "D")}, true},
      {"date yyyymmdd", {S(""), N(0), L(false), d}, {row("Colum4", 6, "20240304", "D")}, false},
      {"contains", {S("PANADERIA"), N(0), L(false), d}, {row("Colum1", 10, "NADE ", "C")}, true},
      {"a and b or c holds on c",
       {S("x"), N(1), L(false), d},
       {row("Colum1", 2, "y", "C", 2), row("Colum2", 2, "2", "N", 1), row("Colum2", 2, "1", "N")},
       true},
      {"a or b and c", {S("x"), N(1), L(false), d},
       {row("Colum1", 2, "x", "C", 1), row("Colum2", 2, "2", "N", 2), row("Colum2", 2, "3", "N")}, false},
      {"no column of the report", {S("x"), N(1), L(false), d}, {row("Colum9", 2, "x", "C")}, true},
  };
  for (const Case& c : cases) {
    inf_.aRegistro = c.record;
    EXPECT_EQ(inf_.CheckCondicion(c.rows, "C"), c.passes) << c.name;
  }
  // A stop condition without a column of the report never holds.
  EXPECT_FALSE(inf_.CheckCondicion({row("Colum9", 2, "x", "C")}, "D"));
  EXPECT_EQ(ConditionDate("05-03-2024"), "20240305");
  EXPECT_EQ(ConditionDate("20240305"), "20240305");
  EXPECT_EQ(ConditionDate("05-03-24"), "19240305");  // SET EPOCH 1900
  EXPECT_EQ(ConditionDate("hoy"), "");
}

}  // namespace
}  // namespace reports
