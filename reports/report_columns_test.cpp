#include "reports/report_columns.h"

#include <filesystem>
#include <sstream>

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "reports/report_functions.h"
#include "reports/report_text_device.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using testing::Add;
using testing::L;
using testing::N;
using testing::ReadFile;
using testing::Row;
using testing::S;
using testing::TestFile;
using xb::Value;

// What the questions answer; kept outside the fixture, as the function table outlives it.
struct Answers {
  std::string user = "05";
  bool yes = true;
  int path_choice = 1;
  std::vector<std::string> questions, offered_paths;
};
Answers g;

// A dictionary with the master VENTAS, reaching FAMILIAS through ARTICULOS, an unrelated
// table CLIENTES and an expression on VENTAS; the report "VENTAS" with no column yet.
class ReportColumnsTest : public testing::ReportDictionaryTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportDictionaryTest::SetUp());
    g = Answers();
    xb::RegisterFunction("CCODUSER", [](xb::Args&) { return Value::String(g.user); });
    xb::RegisterFunction("MSGYESNO", [](xb::Args& a) {
      g.questions.push_back(std::string(a.Str(1)) + "|" + std::string(a.Str(2)));
      return Value::Logical(g.yes);
    });
    xb::RegisterFunction("TI_SELECTRELACION", [](xb::Args& a) {
      const xb::Array list = a.Arr(1);
      for (std::size_t i = 0; list && i < list.size(); ++i) g.offered_paths.push_back(std::string(list[i].AsString()));
      return Value::Integer(g.path_choice);
    });
    // The expression's data function: {importe * 0.25}.
    xb::RegisterFunction("DATOSMARGEN", [](xb::Args& a) {
      const std::string alias(xb::AllTrim(a.Str(1)));
      const Value v = xb::EvalMacro(alias + "->IMPORTE");
      return Value(xb::Array::Of({Value::Double(v.AsDouble() * 0.25, 2)}));
    });
    xb::RegisterFunction("TITMARGEN", [](xb::Args& a) { return S("Margen de " + std::string(xb::AllTrim(a.Str(1)))); });
    path_ = TestFile("vdr_cols_");
    Tables();
    Add("Informes", {{"INFORME", S("VENTAS")}, {"CATEGORIA", S("GEN")}, {"TABLAMAST", S("VENTAS")},
                     {"DESCRIPC", S("Ventas")}, {"TITULO", S("Ventas")}, {"DESGLOSE", L(true)}, {"LINEASR", N(1)},
                     {"INFMASTER", S("VENTAS")}, {"ACCESO1", S("052")}});
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    ReportDictionaryTest::TearDown();
  }
  void Field(const std::string& table, int order, const std::string& field, const std::string& type, int width,
             int decimals, const std::string& description, Row extra = {}) {
    Row row{{"TABLA", S(table)}, {"ORDEN", N(order)}, {"CAMPO", S(field)}, {"TIPO", S(type)}, {"LONGITUD", N(width)},
            {"DECIMAL", N(decimals)}, {"DESCRIPC", S(description)}, {"VISIBLE", S("S")}};
    for (auto& [k, v] : extra) row[k] = v;
    Add("Campos", row);
  }
  void Relation(const std::string& from, const std::string& expression, const std::string& to, int id,
                const std::string& description) {
    Add("Relacion", {{"TABORIGEN", S(from)}, {"EXPBUSCAR", S(expression)}, {"TABDESTINO", S(to)},
                     {"INDDESTINO", S("CODIGO")}, {"DESCRIPC", S(description)}, {"IDREL", N(id)}, {"DIRECTA", L(true)}});
  }
  void Tables() {
    CreateTable("DBF\\Ventas.dbf", {{"CODIGO", 'C', 6, 0}, {"ARTICULO", 'C', 4, 0}, {"IMPORTE", 'N', 10, 2}}, 2,
                [](xb::rdd::WorkArea& a, int n) {
                  a.PutField(1, S(n == 1 ? "V1" : "V2"));
                  a.PutField(2, S(n == 1 ? "P1" : "M1"));
                  a.PutField(3, N(n == 1 ? 10 : 4, 2));
                });
    CreateTable("DBF\\Articulos.dbf", {{"CODIGO", 'C', 4, 0}, {"FAMILIA", 'C', 3, 0}}, 2, [](xb::rdd::WorkArea& a, int n) {
      a.PutField(1, S(n == 1 ? "P1" : "M1"));
      a.PutField(2, S(n == 1 ? "PAN" : "MAN"));
    });
    CreateTable("DBF\\Familias.dbf", {{"CODIGO", 'C', 3, 0}, {"NOMBRE", 'C', 10, 0}}, 2, [](xb::rdd::WorkArea& a, int n) {
      a.PutField(1, S(n == 1 ? "PAN" : "MAN"));
      a.PutField(2, S(n == 1 ? "Pan" : "Mantequera"));
    });
    for (const char* table : {"Articulos", "Familias"}) {
      ASSERT_GT(Use(std::string("DBF\\") + table + ".dbf", "IDX", false), 0);
      xb::CallFunction("ORDCREATE", {Value(), S("CODIGO"), S("CODIGO")});
      xb::CallFunction("DBCLOSEAREA");
    }
    for (const char* table : {"VENTAS", "ARTICULOS", "FAMILIAS", "CLIENTES"})
      Add("Tablas", {{"TABLA", S(table)}, {"RUTA", S("DBF\\")}, {"FICHERO", S(table)}, {"VISIBLE", S("S")}});
    Field("VENTAS", 1, "CODIGO", "C", 6, 0, "Código");
    Field("VENTAS", 2, "ARTICULO", "C", 4, 0, "Artículo");
    Field("VENTAS", 3, "IMPORTE", "N", 10, 2, "Importe", {{"MASCARA", S("@E 999,999.99")}});
    Field("VENTAS", 4, "NOTAS", "M", 10, 0, "Notas");
    Field("VENTAS", 5, "ESTADO", "C", 1, 0, "Estado", {{"VALORES", L(true)}, {"ANCHOMAX", N(9)}});
    Field("FAMILIAS", 1, "NOMBRE", "C", 10, 0, "Familia");
    Field("CLIENTES", 1, "NOMBRE", "C", 30, 0, "Cliente");
    Relation("VENTAS", "ARTICULO", "ARTICULOS", 1, "Artículo de la venta");
    Relation("ARTICULOS", "FAMILIA", "FAMILIAS", 2, "Familia del artículo");
    Add("Expresio", {{"CODIGO", S("MARGEN")}, {"DESCRIPC", S("Margen")}, {"TABLA", S("VENTAS")},
                     {"EXPRESION", S("DATOSMARGEN")}, {"FUNDATOS", S("")}});
    Add("ExprCol", {{"CODIGO", S("MARGEN")}, {"PARAMETRO", N(1)}, {"TIPO", S("N")}, {"LONGITUD", N(8)},
                    {"DECIMAL", N(2)}, {"DESCRIPC", S("Margen bruto")}, {"CAMPO", S("MARGEN")}, {"VISIBLE", S("S")}});
  }
  // A field of the report's Columnas row.
  Value Col(int idcol, const std::string& field) {
    Value found;
    xb::rdd::WorkArea* a = areas().Area(areas().AreaOfAlias(TDictQZ::AliasOf("Columnas")));
    for (a->GoTop(); !a->eof(); a->Skip(1))
      if (a->GetField(a->FieldPos("IDCOL")).AsInt() == idcol) found = a->GetField(a->FieldPos(field));
    return found;
  }
  std::string ColText(int idcol, const std::string& field) {
    const Value v = Col(idcol, field);
    return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : "?";
  }
  int ColNumber(int idcol, const std::string& field) {
    const Value v = Col(idcol, field);
    return v.IsNumber() ? static_cast<int>(v.AsInt()) : -1;
  }
  std::vector<std::string> RecolRows() {
    std::vector<std::string> rows;
    xb::rdd::WorkArea* a = areas().Area(areas().AreaOfAlias(TDictQZ::AliasOf("Recol")));
    for (a->GoTop(); !a->eof(); a->Skip(1)) {
      std::string row;
      for (const char* f : {"INFORME", "IDCOL", "ORDEN", "TABBUSCAR", "INDBUSCAR", "EXPBUSCAR", "INFDOC", "IDCUERPO"}) {
        const Value v = a->GetField(a->FieldPos(f));
        row += (row.empty() ? "" : ",") + (v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::to_string(v.AsInt()));
      }
      rows.push_back(row);
    }
    return rows;
  }
  std::string Last() { return ui().messages.empty() ? std::string() : ui().messages.back().text; }
  std::string Read() const { return ReadFile(path_); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::stringstream in(Read());
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }
  bool RunToFile() {
    TInforme inf;
    inf.oStDestino.nDestino = 2;
    inf.oStDestino.cFileDst = path_;
    return inf.RunInforme("VENTAS");
  }

  std::string path_;
};

TEST_F(ReportColumnsTest, EachKindOfColumnWritesItsRowAndTheReportRuns) {
  // A master field, a field two relations away, an expression element.
  ASSERT_EQ(AddColumnaCampo("ventas", "VENTAS", "codigo"), 1) << Last();
  ASSERT_EQ(AddColumnaCampo("VENTAS", "FAMILIAS", "NOMBRE"), 2) << Last();
  ASSERT_EQ(AddColumnaExpresion("VENTAS", "MARGEN", 1), 3) << Last();
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "IMPORTE"), 4) << Last();
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_TRUE(g.offered_paths.empty()) << "one path: no question";

  struct Expected {
    int idcol, tipocol, ancho, pinicial, parametro;
    const char *campo, *titulo, *datos, *codexpr, *camporel, *tipo, *alineacion, *visible;
  };
  for (const Expected& e : {Expected{1, 1, 6, 1, 0, "Colum1", "Código", "Código", "VENTAS", "CODIGO", "C", "I", "S"},
                            Expected{2, 2, 10, 8, 0, "Colum2", "Familia", "ARTICULO", "FAMILIAS", "NOMBRE", "C", "I", "S"},
                            Expected{3, 3, 8, 19, 1, "Colum3", "Margen bruto", "DATOSMARGEN", "MARGEN", "MARGEN", "N", "D", "S"},
                            Expected{4, 1, 10, 28, 0, "Colum4", "Importe", "Importe", "VENTAS", "IMPORTE", "N", "D", "S"}}) {
    SCOPED_TRACE(e.idcol);
    EXPECT_EQ(ColNumber(e.idcol, "TIPOCOL"), e.tipocol);
    EXPECT_EQ(ColNumber(e.idcol, "ANCHO"), e.ancho);
    EXPECT_EQ(ColNumber(e.idcol, "PINICIAL"), e.pinicial);
    EXPECT_EQ(ColNumber(e.idcol, "PARAMETRO"), e.parametro);
    EXPECT_EQ(ColNumber(e.idcol, "LINEA"), 1);
    EXPECT_EQ(ColText(e.idcol, "CAMPO"), e.campo);
    EXPECT_EQ(ColText(e.idcol, "TITULO"), e.titulo);
    EXPECT_EQ(ColText(e.idcol, "DESCRIPC"), e.titulo);
    EXPECT_EQ(ColText(e.idcol, "DATOS"), e.datos);
    EXPECT_EQ(ColText(e.idcol, "CODEXPR"), e.codexpr);
    EXPECT_EQ(ColText(e.idcol, "CAMPOREL"), e.camporel);
    EXPECT_EQ(ColText(e.idcol, "TIPO"), e.tipo);
    EXPECT_EQ(ColText(e.idcol, "ALINEACION"), e.alineacion);
    EXPECT_EQ(ColText(e.idcol, "VISIBLE"), e.visible);
    EXPECT_TRUE(Col(e.idcol, "IMPRIMIR").AsLogical());
    EXPECT_FALSE(Col(e.idcol, "TOTAL").AsLogical());
  }
  EXPECT_EQ(ColNumber(4, "DECIMAL"), 2);
  EXPECT_EQ(ColText(4, "MASCARA"), "@E 999,999.99");
  // The related column's search chain: Articulos by the sale's article, then Familias.
  EXPECT_EQ(RecolRows(), (std::vector<std::string>{"VENTAS,2,1,ARTICULOS,CODIGO,FAMILIA,I,0",
                                                   "VENTAS,2,2,FAMILIAS,CODIGO,NOMBRE,I,0"}));

  ASSERT_TRUE(RunToFile()) << Last();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Código Familia    Margen b Importe   ",
                                               "------ ---------- -------- ----------",
                                               "V1     Pan            2,50      10,00",
                                               "V2     Mantequera     1,00       4,00"}));
}

TEST_F(ReportColumnsTest, SubstitutedValuesAColumnFunctionAndAGroupExpressionGetTheirKinds) {
  Add("Expresio", {{"CODIGO", S("TITULADA")}, {"DESCRIPC", S("Titulada")}, {"TABLA", S("VENTAS")},
                   {"EXPRESION", S("DATOSMARGEN")}, {"FUNCOLUMNA", S("TITMARGEN()")}});
  Add("ExprCol", {{"CODIGO", S("TITULADA")}, {"PARAMETRO", N(1)}, {"TIPO", S("N")}, {"LONGITUD", N(8)},
                  {"DESCRIPC", S("ventas")}});
  Add("Expresio", {{"CODIGO", S("GRUPAL")}, {"DESCRIPC", S("Grupo")}, {"TABLA", S("VENTAS")},
                   {"EXPRESION", S("NOMBREGRUPO")}, {"GRUPO", L(true)}});
  Add("ExprCol", {{"CODIGO", S("GRUPAL")}, {"PARAMETRO", N(1)}, {"TIPO", S("C")}, {"LONGITUD", N(20)},
                  {"DESCRIPC", S("Grupo")}});
  Field("ARTICULOS", 1, "FAMILIA", "C", 3, 0, "Familia", {{"VALORES", L(true)}});
  EXPECT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "ESTADO"), 1);
  EXPECT_EQ(AddColumnaCampo("VENTAS", "ARTICULOS", "FAMILIA"), 2);
  EXPECT_EQ(AddColumnaExpresion("VENTAS", "TITULADA", 1), 3);
  EXPECT_EQ(AddColumnaExpresion("VENTAS", "GRUPAL", 1), 4);
  EXPECT_EQ(ColNumber(1, "TIPOCOL"), 7);
  EXPECT_EQ(ColNumber(1, "ANCHO"), 9);  // its maximum width
  EXPECT_EQ(ColNumber(2, "TIPOCOL"), 8);
  EXPECT_EQ(ColText(2, "DATOS"), "ARTICULO");
  EXPECT_EQ(ColNumber(3, "TIPOCOL"), 6);
  EXPECT_EQ(ColText(3, "TITULO"), "Margen de Titulada");
  EXPECT_EQ(ColText(3, "DESCRIPC"), "Margen de Titulada");
  EXPECT_EQ(ColNumber(4, "TIPOCOL"), 9);
  EXPECT_FALSE(Col(4, "IMPRIMIR").AsLogical());
  // The group column is not printed: the next column starts after the printed ones.
  EXPECT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "CODIGO"), 5);
  EXPECT_EQ(ColNumber(5, "PINICIAL"), ColNumber(3, "PINICIAL") + ColNumber(3, "ANCHO") + 1);
  // A number without a mask prints in its own width: 9999 fits in 4.
  Field("VENTAS", 8, "UNIDADES", "N", 4, 0, "Unidades");
  EXPECT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "UNIDADES"), 6);
  EXPECT_EQ(ColNumber(6, "ANCHO"), 4);
}

TEST_F(ReportColumnsTest, WhatTheAddDialogOffers) {
  Field("VENTAS", 7, "OCULTO", "C", 1, 0, "Oculto", {{"VISIBLE", S("N")}});
  Add("Tablas", {{"TABLA", S("INTERNA")}, {"VISIBLE", S("N")}});
  std::vector<std::string> fields;
  for (const CampoOfrecido& f : CamposDe("ventas")) fields.push_back(f.field + ":" + f.type);
  EXPECT_EQ(fields, (std::vector<std::string>{"CODIGO:C", "ARTICULO:C", "IMPORTE:N", "NOTAS:M", "ESTADO:C"}));
  EXPECT_EQ(TablasOfrecidas("VENTAS"), (std::vector<std::string>{"VENTAS", "ARTICULOS", "CLIENTES", "FAMILIAS"}));
  Add("Expresio", {{"CODIGO", S("OTRA")}, {"TABLA", S("CLIENTES")}, {"EXPRESION", S("X")}});
  Add("ExprCol", {{"CODIGO", S("OTRA")}, {"PARAMETRO", N(1)}, {"DESCRIPC", S("De clientes")}});
  Add("ExprCol", {{"CODIGO", S("MARGEN")}, {"PARAMETRO", N(2)}, {"DESCRIPC", S("Margen neto")}, {"TIPO", S("N")}});
  std::vector<std::string> expressions;
  for (const ExpresionOfrecida& e : CargaExpresiones("VENTAS"))
    expressions.push_back(e.code + ":" + std::to_string(e.parametro) + ":" + e.description);
  EXPECT_EQ(expressions, (std::vector<std::string>{"MARGEN:1:Margen bruto", "MARGEN:2:Margen neto"}));
  EXPECT_EQ(MasterOf("ventas"), "VENTAS");
  EXPECT_EQ(MasterOf("NINGUNO"), "");
}

TEST_F(ReportColumnsTest, SeveralPathsAskWhichOneAndCancellingAddsNothing) {
  Relation("VENTAS", "CODIGO", "FAMILIAS", 3, "Familia de la venta");
  g.path_choice = 0;
  EXPECT_EQ(AddColumnaCampo("VENTAS", "FAMILIAS", "NOMBRE"), 0);
  EXPECT_EQ(g.offered_paths, (std::vector<std::string>{"Familia de la venta", "Artículo de la venta / Familia del artículo"}));
  EXPECT_TRUE(ReadColumnas("VENTAS").empty());
  g.path_choice = 2;
  ASSERT_EQ(AddColumnaCampo("VENTAS", "FAMILIAS", "NOMBRE"), 1);
  EXPECT_EQ(ColText(1, "DATOS"), "ARTICULO");
  EXPECT_EQ(RecolRows().size(), 2u);
}

TEST_F(ReportColumnsTest, RefusalsSayWhyAndAddNothing) {
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "CODIGO"), 1);
  ASSERT_EQ(AddColumnaExpresion("VENTAS", "MARGEN", 1), 2);
  struct Case {
    const char *table, *field;
    std::string message;
  };
  for (const Case& c : {Case{"VENTAS", "CODIGO", "Columna ya existente"},
                        Case{"CLIENTES", "NOMBRE",
                             "No es posible añadir esta columna.No hay relación establecida entre la tabla maestra y "
                             "la tabla actual"},
                        Case{"VENTAS", "NOTAS", "No puede añadir este campo como columna de su informe"},
                        Case{"VENTAS", "NOEXISTE", "No puede añadir este campo como columna de su informe"}}) {
    SCOPED_TRACE(c.field);
    ui().messages.clear();
    EXPECT_EQ(AddColumnaCampo("VENTAS", c.table, c.field), 0);
    EXPECT_EQ(Last(), c.message);
  }
  ui().messages.clear();
  EXPECT_EQ(AddColumnaExpresion("VENTAS", "MARGEN", 1), 0);
  EXPECT_EQ(Last(), "Columna ya existente");
  EXPECT_EQ(ReadColumnas("VENTAS").size(), 2u);
  EXPECT_FALSE(lCheckRelacion("VENTAS", "CLIENTES"));
  EXPECT_TRUE(lCheckRelacion("VENTAS", "FAMILIAS"));

  // The list itself: full access, and only a report that follows no other.
  ui().messages.clear();
  EXPECT_TRUE(lColumnasEditables("VENTAS"));
  g.user = "07";
  EXPECT_FALSE(lColumnasEditables("VENTAS"));
  EXPECT_EQ(Last(), "No dispone de acceso para modificar las columnas de este informe.");
  g.user = "05";
  Add("Informes", {{"INFORME", S("HIJO")}, {"TABLAMAST", S("VENTAS")}, {"INFMASTER", S("VENTAS")}, {"ACCESO1", S("052")}});
  EXPECT_FALSE(lColumnasEditables("HIJO"));
  EXPECT_EQ(Last(), "Las columnas de este informe no son configurables");
}

TEST_F(ReportColumnsTest, AColumnInUseIsNotDeleted) {
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "CODIGO"), 1);
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "IMPORTE"), 2);
  ASSERT_EQ(AddColumnaCampo("VENTAS", "FAMILIAS", "NOMBRE"), 3);
  const std::string graphic = "No puede eliminar una columna que forma parte de un gráfico. Antes debe eliminar la "
                              "columna del gráfico";
  const std::string calculated = "No puede eliminar una columna que forma parte de una columna calculada o acumulada. "
                                 "Antes debe eliminar la columna calculada o acumulada.";
  const std::string condition = "No puede eliminar una columna que forma parte de una condición del listado. Revise "
                                "las condiciones del listado ( Orden y Subtotales ) antes de eliminar la columna";
  struct Case {
    const char* what;
    std::function<void()> use;
    std::string message;
  };
  const Case cases[] = {
      {"graphic", [&] { Add("Graficos", {{"CODIGO", S("G1")}, {"FUNCION", S("GRAFVENTAS('VENTAS', 'Colum2')")}}); },
       graphic},
      {"calculated", [&] { Add("Columnas", {{"INFORME", S("VENTAS")}, {"IDCOL", N(9)}, {"TIPOCOL", N(4)},
                                            {"CAMPO", S("Colum9")}, {"DATOS", S("Colum2 * 2")}}); },
       calculated},
      {"group", [&] { Add("Condicio", {{"INFORME", S("VENTAS")}, {"TIPO", S("B")}, {"ORDEN", S("A")},
                                       {"CAMPO", S("Colum1 + Colum2")}, {"INFDOC", S("I")}}); },
       condition},
      {"order", [&] { Add("Condicio", {{"INFORME", S("VENTAS")}, {"TIPO", S("A")}, {"ORDEN", S("A")},
                                       {"COLUMNA", S("Colum2")}, {"INFDOC", S("I")}}); },
       condition},
      {"printed in a heading", [&] { Add("Condicio", {{"INFORME", S("VENTAS")}, {"TIPO", S("B")}, {"ORDEN", S("A")},
                                                      {"CAMPO", S("Colum1")}, {"IMPRIME", S("Colum2")},
                                                      {"INFDOC", S("I")}}); },
       condition},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* table : {"Graficos", "Condicio"}) {
      xb::rdd::WorkArea* a = areas().Area(areas().AreaOfAlias(TDictQZ::AliasOf(table)));
      for (a->GoTop(); !a->eof(); a->Skip(1))
        if (a->LockRecord(a->recno(), true)) a->Delete();
    }
    xb::rdd::WorkArea* cols = areas().Area(areas().AreaOfAlias(TDictQZ::AliasOf("Columnas")));
    for (cols->GoTop(); !cols->eof(); cols->Skip(1))
      if (cols->GetField(cols->FieldPos("IDCOL")).AsInt() == 9 && cols->LockRecord(cols->recno(), true)) cols->Delete();
    c.use();
    ui().messages.clear();
    g.questions.clear();
    EXPECT_FALSE(DelColumna("VENTAS", 2));
    EXPECT_EQ(Last(), c.message);
    EXPECT_TRUE(g.questions.empty());
  }
  // Colum12 is another column: a graphic naming it leaves Colum1 free.
  for (const char* table : {"Graficos", "Condicio"}) {
    xb::rdd::WorkArea* a = areas().Area(areas().AreaOfAlias(TDictQZ::AliasOf(table)));
    for (a->GoTop(); !a->eof(); a->Skip(1))
      if (a->LockRecord(a->recno(), true)) a->Delete();
  }
  Add("Graficos", {{"CODIGO", S("G2")}, {"FUNCION", S("GRAFVENTAS('VENTAS', 'Colum12')")}});
  Add("Graficos", {{"CODIGO", S("G3")}, {"FUNCION", S("GRAFOTRO('OTRO', 'Colum1')")}});
  g.yes = false;
  ui().messages.clear();
  EXPECT_FALSE(DelColumna("VENTAS", 1));
  EXPECT_EQ(g.questions, (std::vector<std::string>{" ¿ Desea eliminar esta columna del informe ?|Atención, confirme"}));
  EXPECT_EQ(ReadColumnas("VENTAS").size(), 3u);
  // Deleting a related column takes its search chain with it.
  g.yes = true;
  EXPECT_TRUE(DelColumna("VENTAS", 1));
  EXPECT_TRUE(DelColumna("VENTAS", 3));
  EXPECT_TRUE(RecolRows().empty());
  std::vector<int> left;
  for (const ColumnaRow& c : ReadColumnas("VENTAS")) left.push_back(c.nIdCol);
  EXPECT_EQ(left, (std::vector<int>{2}));
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(ReportColumnsTest, UpAndDownExchangeStartsAlongTheLine) {
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "CODIGO"), 1);    // 1, width 6
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "IMPORTE"), 2);   // 8, width 10
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "ARTICULO"), 3);  // 19, width 8 (its description)
  const auto starts = [&] {
    std::vector<int> s;
    for (const ColumnaRow& c : ReadColumnas("VENTAS")) s.push_back(c.nPInicial);
    return s;
  };
  ASSERT_EQ(starts(), (std::vector<int>{1, 8, 19}));
  const int article_width = ColNumber(3, "ANCHO");
  EXPECT_TRUE(UpColumn("VENTAS", 3));  // the article takes 8; the amount follows after one blank
  EXPECT_EQ(starts(), (std::vector<int>{1, 8 + article_width + 1, 8}));
  EXPECT_TRUE(DownColumn("VENTAS", 1));  // the code goes after the article
  EXPECT_EQ(starts(), (std::vector<int>{1 + article_width + 1, 8 + article_width + 1, 1}));
  EXPECT_FALSE(UpColumn("VENTAS", 3)) << "first on its line";
  EXPECT_FALSE(DownColumn("VENTAS", 2)) << "last on its line";
  // A column on a line of its own has no neighbour.
  ColumnaRow moved = ReadColumnas("VENTAS")[1];
  moved.nLinea = 2;
  ASSERT_TRUE(GuardaColumna("VENTAS", moved));
  EXPECT_FALSE(UpColumn("VENTAS", 2));
  EXPECT_EQ(ColNumber(2, "LINEA"), 2);
}

TEST_F(ReportColumnsTest, ACalculatedColumnIsSavedAndRun) {
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "CODIGO"), 1);
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "IMPORTE"), 2);
  EXPECT_FALSE(lCheckFormula("VENTAS", "Colum2 +"));
  EXPECT_FALSE(lCheckFormula("VENTAS", "Colum7 * 2")) << "no such column";
  EXPECT_TRUE(lCheckFormula("VENTAS", "( Colum2 + Colum2 ) * 3"));
  EXPECT_EQ(AddColumnaCalculada("VENTAS", "Colum2 +", false), 0);
  EXPECT_EQ(Last(), "Expresión incorrecta");
  ui().messages.clear();
  ASSERT_EQ(AddColumnaCalculada("VENTAS", "( Colum2 + Colum2 ) * 3", false), 3);
  ASSERT_EQ(AddColumnaCalculada("VENTAS", "Colum2", true), 4);
  EXPECT_EQ(ColNumber(3, "TIPOCOL"), 4);
  EXPECT_EQ(ColNumber(4, "TIPOCOL"), 5);
  EXPECT_EQ(xb::RTrim(Col(3, "TITULO").AsString()), " Columna 3");
  EXPECT_EQ(ColText(3, "TIPO"), "N");
  EXPECT_TRUE(g.questions.empty()) << "no hours operand";
  ASSERT_TRUE(RunToFile()) << Last();
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].substr(0, 2), "V1");
  EXPECT_NE(lines[2].find("60,00"), std::string::npos) << lines[2];  // (10 + 10) * 3
  EXPECT_NE(lines[3].find("24,00"), std::string::npos) << lines[3];
  EXPECT_NE(lines[3].find("14,00"), std::string::npos) << "the running total: " << lines[3];
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(ReportColumnsTest, HoursOperandsAskHowTheResultPrints) {
  Field("VENTAS", 6, "HORAS", "H", 6, 0, "Horas");
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "HORAS"), 1);
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "IMPORTE"), 2);
  EXPECT_TRUE(lPuedeCalcular("VENTAS"));
  const std::string question = "Uno o más operandos de la expresión son de tipo horas/minutos. \n\r¿ Desea que el "
                               "resultado se imprima con ese formato ?| Atención";
  g.yes = true;
  ASSERT_EQ(AddColumnaCalculada("VENTAS", "Colum1 * 2", false), 3);
  EXPECT_EQ(ColText(3, "TIPO"), "H");
  g.yes = false;
  ASSERT_EQ(AddColumnaCalculada("VENTAS", "Colum1 + Colum2", false), 4);
  EXPECT_EQ(ColText(4, "TIPO"), "N");
  EXPECT_EQ(g.questions, (std::vector<std::string>{question, question}));
  g.questions.clear();
  EXPECT_EQ(AddColumnaCalculada("VENTAS", "Colum2 / 2", false), 5);
  EXPECT_TRUE(g.questions.empty());
  // TI_TIPOHORAS from macro text, on an alias of column rows.
  g.yes = true;
  EXPECT_EQ(X("cTipo := 'N', TI_TIPOHORAS('Colum1 - 1', '" + TDictQZ::AliasOf("Columnas") + "', @cTipo), cTipo").AsString(), "H");
}

TEST_F(ReportColumnsTest, ThePreviewLaysOutTitlesWithoutData) {
  {
    TQZRFile device(path_);
    EXPECT_FALSE(DoPreview("VENTAS", device));
    EXPECT_EQ(Last(), "Debe definir alguna columna");
  }
  EXPECT_FALSE(lPuedeCalcular("VENTAS"));
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "CODIGO"), 1);
  EXPECT_FALSE(lPuedeCalcular("VENTAS")) << "no number nor expression";
  ASSERT_EQ(AddColumnaCampo("VENTAS", "VENTAS", "IMPORTE"), 2);
  {
    TQZRFile device(path_);
    ASSERT_TRUE(DoPreview("VENTAS", device));
  }
  const std::vector<std::string> lines = Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[0].find("Ventas"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1], "Código Importe   ");
  EXPECT_EQ(lines[2], "------ ----------");
}

}  // namespace
}  // namespace reports
