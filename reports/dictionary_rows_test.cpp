#include "reports/dictionary_rows.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "reports/dictionary_files.h"
#include "reports/report_functions.h"
#include "runtime/lib/strings.h"

namespace reports {
namespace {

using xb::Value;

TEST(DictionaryRows, IdentifiersAreWholeWords) {
  struct Case {
    const char* text;
    const char* name;
    bool found;
  };
  const Case cases[] = {
      {"Upper( CodCli )", "COD", false},   {"Upper( CodCli )", "codcli", true}, {"Cod + Nombre", "COD", true},
      {"Clientes->Cod", "cod", true},      {"Str( Cod_2, 3 )", "COD", false},   {"", "COD", false},
  };
  for (const Case& c : cases) EXPECT_EQ(HasIdentifier(c.text, c.name), c.found) << c.text << " / " << c.name;
}

TEST(DictionaryRows, PrintedWidthsAndFonts) {
  EXPECT_EQ(LenCampo("C", 10, 0, "Nombre del cliente"), 18);
  EXPECT_EQ(LenCampo("D", 8, 0, "Alta"), 8);
  EXPECT_EQ(LenCampo("L", 1, 0, ""), 1);
  EXPECT_EQ(LenCampo("C", 100, 0, "Notas", 30), 30);
  EXPECT_EQ(FontLabel("Arial ", 10, true, false), "Arial, 10 Negrita");
  EXPECT_EQ(FontLabel("Courier", 9.5, false, true), "Courier, 9.5 Cursiva");
  EXPECT_EQ(nPosFont(xb::Array::Of({Value::Integer(3), Value::Integer(7)}), 7), 2);
  EXPECT_EQ(nPosFont(xb::Array::Of({Value::Integer(3)}), 9), 0);
}

class DictionaryRowsTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    memory().MakeFolder("INF\\");
    memory().MakeFolder("DATOS\\");
    ASSERT_TRUE(CheckStruct("INF"));
    ASSERT_TRUE(DictReindex("INF", true));
    for (const char* t : {"Tablas", "Campos", "Indices", "Relacion", "RelTab", "CampoRes", "Entorno", "Fonts",
                          "Categor"}) {
      ASSERT_GT(Use(std::string("INF\\") + t + ".dbf", t, true), 0) << t;
    }
    CreateTable("DATOS\\Clien01.dbf", {{"CODCLI", 'C', 6, 0}, {"NOMBRE", 'C', 40, 0}, {"SALDO", 'N', 12, 2}}, 1);
    ASSERT_GT(Use("DATOS\\Clien01.dbf", "X", false), 0);
    X("ORDCREATE(, 'CodCli', 'CodCli')");
    X("ORDCREATE(, 'Nombre', 'Upper(Nombre)')");
    X("DBCLOSEAREA()");
  }
  void TearDown() override {
    data::lRistelo(false);
    DataTest::TearDown();
  }
  // The expression over every visible row of the alias, in natural order.
  std::string Column(const std::string& alias, const std::string& expression) {
    const int keep = areas().CurrentArea();
    areas().SelectArea(areas().AreaOfAlias(alias));
    xb::rdd::WorkArea& a = areas().Current();
    const int order = a.controlling_order();
    a.SetControllingOrder(0);
    std::string s;
    for (a.GoTop(); !a.eof(); a.Skip(1)) s += std::string(xb::AllTrim(X(expression).AsString())) + " ";
    a.SetControllingOrder(order);
    areas().SelectArea(keep);
    return s;
  }
  DictAliases dict;
};

TEST_F(DictionaryRowsTest, ImportsATableWithItsFieldsAndTags) {
  ASSERT_TRUE(DoImport(dict, "DATOS\\Clien01.dbf"));
  EXPECT_EQ(Column("Tablas", "AllTrim(Tabla) + '|' + AllTrim(Ruta) + '|' + AllTrim(Fichero) + '|' + AllTrim(Descripc) + '|' + Visible"),
            "CLIEN01|DATOS\\|Clien01.dbf|Clien01|S ");
  EXPECT_EQ(Column("Campos", "Tabla + Str(Orden, 2) + Campo + Tipo + Str(Longitud, 3) + Str(Decimal, 2) + "
                             "AllTrim(Descripc) + Visible + Str(AnchoMax, 3)"),
            "CLIEN01    1CODCLI         C  6 0CODCLIS  6 CLIEN01    2NOMBRE         C 40 0NOMBRES 40 "
            "CLIEN01    3SALDO          N 12 2SALDOS 12 ");
  EXPECT_EQ(Column("Indices", "Tabla + Str(Orden, 2) + Upper(Tag) + AllTrim(Expresion)"),
            "CLIEN01    1CODCLI         CodCli CLIEN01    2NOMBRE         Upper(Nombre) ");
  EXPECT_EQ(X("Select('Temp')").AsInt(), 0) << "Temp is closed again";

  // The same name again is refused and nothing is added.
  EXPECT_FALSE(DoImport(dict, "DATOS\\Clien01.dbf"));
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text,
            "Ya existe una tabla con el nombre CLIEN01.\n\rDeberá eliminar la tabla antes de añadir otra con el "
            "mismo nombre");
  EXPECT_EQ(X("Campos->(LastRec())").AsInt(), 3);
}

TEST_F(DictionaryRowsTest, TheAccountingLayoutDropsTheCompanyCode) {
  data::lRistelo(true);
  ASSERT_TRUE(DoImport(dict, "DATOS\\Clien01.dbf"));
  EXPECT_EQ(Column("Tablas", "Tabla"), "CLIEN ");
}

TEST_F(DictionaryRowsTest, AFileThatCannotBeOpenedIsTold) {
  failing().Fail("DATOS\\Clien01.dbf", 32);
  EXPECT_FALSE(DoImport(dict, "DATOS\\Clien01.dbf"));
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text,
            "Se ha producido algún error durante la apertura del ficheroDATOS\\Clien01.dbf.\n\rCompruebe que el "
            "fichero es accesible y no está corrupto");
  EXPECT_EQ(X("Tablas->(LastRec())").AsInt(), 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(DictionaryRowsTest, DeletingATableTakesItsRowsAndFieldsInUseStay) {
  ASSERT_TRUE(DoImport(dict, "DATOS\\Clien01.dbf"));
  X("Relacion->(DBAppend(), FieldPut(1, 'CLIEN01'), FieldPut(2, 'Saldo > 0'))");
  EXPECT_TRUE(FieldInUse(dict, "Clien01", "codcli")) << "in a key";
  EXPECT_TRUE(FieldInUse(dict, "CLIEN01", "SALDO")) << "in a relation";
  EXPECT_FALSE(FieldInUse(dict, "CLIEN01", "COD")) << "COD is not CODCLI";
  EXPECT_FALSE(FieldInUse(dict, "OTRA", "CODCLI"));
  DeleteTableRows(dict, "clien01");
  EXPECT_EQ(Column("Tablas", "Tabla"), "");
  EXPECT_EQ(Column("Campos", "Campo"), "");
  EXPECT_EQ(Column("Indices", "Tag"), "");
}

TEST_F(DictionaryRowsTest, ASavedRelationIsNumberedAndOpensItsPaths) {
  EXPECT_EQ(GuardaRelacion(dict, "a", "Cod", "b", "Codigo", "A a B", true, "p1"), 1);
  EXPECT_EQ(Column("RelTab", "TabOrigen"), "");
  EXPECT_EQ(GuardaRelacion(dict, "B", "Cod", "C", "Codigo", "B a C", true, ""), 2);
  EXPECT_EQ(Column("RelTab", "AllTrim(TabOrigen) + AllTrim(TabDestino) + Str(IdRel, 1) + Str(IdDirecta, 1) + Productos"),
            "AC12p1 ");
  EXPECT_EQ(GuardaRelacion(dict, "C", "Cod", "D", "Codigo", "C a D", false, ""), 3);
  EXPECT_EQ(X("RelTab->(LastRec())").AsInt(), 1) << "not direct: no path";
  EXPECT_TRUE(IsRelated(dict, "A", "C"));
  EXPECT_TRUE(IsRelated(dict, "C", "D"));
  EXPECT_FALSE(IsRelated(dict, "A", "D"));
  EXPECT_TRUE(ExisteRelacion("Relacion", "A", "B", "CODIGO", "cod"));
  EXPECT_FALSE(ExisteRelacion("Relacion", "A", "B", "CODIGO", "Nombre"));
  X("Indices->(DBAppend(), FieldPut(1, 'B'), FieldPut(3, 'Codigo'))");
  EXPECT_TRUE(lCheckRelacion("Indices", "B", "codigo", "Cod"));
  EXPECT_FALSE(lCheckRelacion("Indices", "B", "Otro", "Cod"));
  EXPECT_FALSE(lCheckRelacion("Indices", "B", "Codigo", "Cod +"));
}

TEST_F(DictionaryRowsTest, ANewDirectRelationBringsRelTabInLine) {
  EXPECT_EQ(GuardaRelacion(dict, "A", "Cod", "B", "Codigo", "A a B", true, "p1"), 1);
  // Left behind by an older dictionary: a path no relation makes, and one whose products changed.
  X("RelTab->(DBAppend(), FieldPut(1, 'X'), FieldPut(2, 'Y'), FieldPut(3, 7), FieldPut(4, 8))");
  X("Relacion->(DBGoTop(), RLock(), FieldPut(FieldPos('PRODUCTOS'), 'p2'), DBUnlock())");
  ASSERT_EQ(Column("Relacion", "Productos"), "p2 ");
  EXPECT_EQ(GuardaRelacion(dict, "B", "Cod", "C", "Codigo", "B a C", true, ""), 2);
  EXPECT_EQ(Column("RelTab", "AllTrim(TabOrigen) + AllTrim(TabDestino) + Str(IdRel, 1) + Str(IdDirecta, 1) + Productos"),
            "AC12p2 ");
  // A relation that is not direct opens no path and leaves RelTab as it is.
  X("RelTab->(DBAppend(), FieldPut(1, 'X'), FieldPut(2, 'Y'), FieldPut(3, 7), FieldPut(4, 8))");
  EXPECT_EQ(GuardaRelacion(dict, "C", "Cod", "D", "Codigo", "C a D", false, ""), 3);
  EXPECT_EQ(Column("RelTab", "AllTrim(TabOrigen) + AllTrim(TabDestino)"), "AC XY ");
}

TEST_F(DictionaryRowsTest, EnvironmentsFontsAndCategories) {
  X("TI_SAVEENTORNO('Entorno', 'ventas', 'Ventas', {'Albaran', 'Clientes'})");
  X("TI_SAVEENTORNO('Entorno', 'VENTAS', 'Ventas', {'Factura', 'Clientes', ''})");
  EXPECT_EQ(Column("Entorno", "AllTrim(Entorno) + AllTrim(Tabla) + Str(Orden, 1) + Inicial"),
            "VENTASFACTURA1S VENTASCLIENTES2 ");
  EXPECT_EQ(FontRow("Fonts", "Arial", 0, 10, true, false, 0), 1);
  EXPECT_EQ(FontRow("Fonts", "Times", 0, 12, false, false, 255), 2);
  EXPECT_EQ(FontRow("Fonts", "arial", 0, 10, true, false, 0), 1) << "an equal font is not added twice";
  X("Categor->(DBAppend(), FieldPut(1, 'VEN'))");
  EXPECT_TRUE(X("LVALIDCATEGORIA('Categor', 'ven')").AsLogical());
  EXPECT_FALSE(X("LVALIDCATEGORIA('Categor', 'XX')").AsLogical());
  EXPECT_EQ(X("TI_EXPRADD('Cod ', ' = ')").AsString(), "Cod = ");
}

TEST_F(DictionaryRowsTest, ADescribedTableIsComparedWithItsFileAndGetsItsNewFieldsAndTags) {
  ASSERT_TRUE(DoImport(dict, "DATOS\\Clien01.dbf"));
  // The file changes: SALDO wider, a new field and a new tag; the dictionary's NOMBRE stays.
  CreateTable("DATOS\\Clien02.dbf", {{"CODCLI", 'C', 6, 0}, {"NOMBRE", 'C', 40, 0}, {"SALDO", 'N', 14, 2},
                                     {"EMAIL", 'C', 60, 0}});
  ASSERT_GT(Use("DATOS\\Clien02.dbf", "NUEVA", false), 0);
  X("ORDCREATE(, 'CodCli', 'CodCli')");
  X("ORDCREATE(, 'Email', 'Upper(Email)')");
  const auto fields = ActualTabla(dict, "CLIEN01", "NUEVA");
  EXPECT_EQ(fields, (std::vector<std::string>{"3 SALDO N 14 2 | 3 SALDO N 12 2", "4 EMAIL C 60 0 | "}));
  EXPECT_EQ(Column("Campos", "Str(Orden, 1) + Campo"), "1CODCLI 2NOMBRE 3SALDO 4EMAIL ");
  const auto tags = ActualIndices(dict, "CLIEN01", "NUEVA");
  EXPECT_EQ(tags, (std::vector<std::string>{"EMAIL Upper(Email) | "}));
  EXPECT_EQ(Column("Indices", "Str(Orden, 1) + Upper(Tag)"), "1CODCLI 2NOMBRE 3EMAIL ");
  EXPECT_TRUE(ActualTabla(dict, "CLIEN01", "NUEVA").size() == 1) << "only SALDO still differs";
}

TEST_F(DictionaryRowsTest, TheTypeFixesWidthsAndDecimals) {
  struct Case {
    const char* type;
    const char* widths;  // width and decimals after the change, from 10 and 2
  };
  const Case cases[] = {{"Carácter", "10 0"}, {"Número", "10 2"}, {"Fecha", "8 0"}, {"Lógico", "1 0"}};
  for (const Case& c : cases) {
    EXPECT_EQ(X(std::string("(nLen := 10, nDec := 2, TI_LCAMBIA('") + c.type +
                "', @nLen, @nDec), LTrim(Str(nLen)) + ' ' + LTrim(Str(nDec)))")
                  .AsString(),
              c.widths)
        << c.type;
  }
}

TEST_F(DictionaryRowsTest, SavedRowsRefuseADuplicateName) {
  EXPECT_TRUE(X("TI_SAVETABLE('Tablas', .T., {'CLIENTES', '', 'Clientes.dbf', 'Clientes'})").AsLogical());
  EXPECT_FALSE(X("TI_SAVETABLE('Tablas', .T., {'CLIENTES', '', 'Otro.dbf', 'Otro'})").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "Nombre duplicado");
  EXPECT_TRUE(X("(Tablas->(DBGoTop()), TI_SAVETABLE('Tablas', .F., {'CLIENTES', '', 'Clien.dbf'}))").AsLogical())
      << "the row itself may keep its name";
  EXPECT_EQ(Column("Tablas", "Fichero"), "Clien.dbf ");
  EXPECT_TRUE(X("TI_LSAVECAMPO('Campos', .T., {'CLIENTES', 1, 'COD'})").AsLogical());
  EXPECT_TRUE(X("TI_LSAVECAMPO('Campos', .T., {'ARTICULO', 1, 'COD'})").AsLogical());
  EXPECT_FALSE(X("TI_LSAVECAMPO('Campos', .T., {'CLIENTES', 2, 'COD'})").AsLogical());
  X("Tablas->(DBGoTop())");
  EXPECT_FALSE(X("TI_LCHGFIELDS('Tablas', {'CLIENTES'})").AsLogical());
  EXPECT_TRUE(X("TI_LCHGFIELDS('Tablas', {'OTRA'})").AsLogical());
}

}  // namespace
}  // namespace reports
