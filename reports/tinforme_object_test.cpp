#include "reports/tinforme_object.h"

#include <filesystem>

#include "reports/dictionary_tables.h"
#include "reports/report_test_support.h"
#include "runtime/function_table.h"

namespace reports {
namespace {

using testing::Add;
using testing::L;
using testing::N;
using testing::ReadFile;
using testing::S;
using testing::TestFile;
using testing::X;
using xb::Value;

// The sales dictionary at DBF\ and the report VENTAS on it: the sale's code and the amount.
class TInformeObjectTest : public testing::ReportDictionaryTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportDictionaryTest::SetUp());
    testing::AddSalesDictionary("DBF\\");
    Add("Informes", {{"INFORME", S("VENTAS")}, {"CATEGORIA", S("VEN")}, {"TABLAMAST", S("VENTAS")}, {"DESCRIPC", S("Ventas")},
                     {"TITULO", S("Ventas")}, {"HASTA", S("Total")}, {"DESGLOSE", L(true)}, {"LINEASR", N(1)},
                     {"INFMASTER", S("VENTAS")}, {"ACCESO1", S("002")}});
    Add("Columnas", {{"INFORME", S("VENTAS")}, {"IDCOL", N(1)}, {"TIPOCOL", N(1)}, {"CAMPO", S("Colum1")}, {"TITULO", S("Código")},
                     {"DESCRIPC", S("Código")}, {"TIPO", S("C")}, {"ANCHO", N(6)}, {"ALINEACION", S("I")}, {"LINEA", N(1)},
                     {"PINICIAL", N(1)}, {"CAMPOREL", S("CODIGO")}, {"ANCHOMAX", N(6)}, {"IMPRIMIR", L(true)}});
    Add("Columnas", {{"INFORME", S("VENTAS")}, {"IDCOL", N(2)}, {"TIPOCOL", N(1)}, {"CAMPO", S("Colum2")}, {"TITULO", S("Importe")},
                     {"TIPO", S("N")}, {"ANCHO", N(8)}, {"NUMDECIMAL", N(2)}, {"DECIMAL", N(2)}, {"ALINEACION", S("D")},
                     {"LINEA", N(1)}, {"PINICIAL", N(8)}, {"TOTAL", L(true)}, {"MASCARA", S("@E 9,999.99")},
                     {"CAMPOREL", S("IMPORTE")}, {"ANCHOMAX", N(8)}, {"IMPRIMIR", L(true)}});
    path_ = TestFile("vdr_tinforme_");
  }
  void TearDown() override {
    X("oInf := NIL, oOtro := NIL");
    std::filesystem::remove(path_);
    ReportDictionaryTest::TearDown();
  }
  // The run's output choice: the text file.
  void ToFile() {
    SetReportRunHook({.sel_destino = [this](StDestino& d, const std::string&, const std::string&) {
      d.nDestino = 2;
      d.cFileDst = path_;
      return true;
    }});
  }
  std::string path_;
};

TEST_F(TInformeObjectTest, TheObjectIsADictionaryWithTheDataOfAReport) {
  ASSERT_NE(xb::FindFunction("TINFORME"), nullptr);
  X("oInf := TInforme():New(), oOtro := TInforme():New()");
  // Each holds in compiled text.
  for (const char* holds :
       {"oInf:ClassName() == 'TINFORME'", "oInf:IsDerivedFrom('TDICTQZ')", "oInf:cPath == 'INF\\'",
        "oInf:oReport == NIL .AND. oInf:cMainInforme == NIL .AND. oInf:oStDestino == NIL .AND. oInf:cCabecera == NIL",
        "!oInf:lRunning .AND. !oInf:lJump .AND. !oInf:lSTotales .AND. !oInf:lTemporal .AND. !oInf:lAgrupado",
        "oInf:lDesglose .AND. oInf:lOrden .AND. oInf:lCampo",
        "oInf:nColumnas == 1 .AND. oInf:nLineas == 1 .AND. oInf:nFuente == 1 .AND. oInf:nCol == 1 .AND. oInf:nPage == 0",
        "ValType(oInf:aRegistro) == 'A' .AND. Len(oInf:aDatosIni) == 0 .AND. Len(oInf:anSTotales) == 0",
        "oInf:acTablas == NIL .AND. oInf:acCampos == NIL .AND. Len(oInf:acColumnas) == 0"})
    EXPECT_TRUE(X(holds).AsLogical()) << holds;
  // An array DATA is the object's own; the class data are shared.
  X("AAdd(oInf:aRegistro, 1), oInf:acTablas := {'VENTAS'}");
  EXPECT_EQ(X("Len(oOtro:aRegistro)").AsInt(), 0);
  EXPECT_EQ(X("oOtro:acTablas[1]").AsString(), "VENTAS");
  X("oInf:acTablas := NIL");
  // lRunning is the one guard of every run.
  X("oInf:lRunning := .T.");
  EXPECT_TRUE(TInforme::lRunning);
  EXPECT_TRUE(X("oOtro:lRunning").AsLogical());
  X("oOtro:EndPreviewReport()");
  EXPECT_FALSE(X("oInf:lRunning").AsLogical());
  ASSERT_TRUE(errors.empty()) << errors.front()->description << " " << errors.front()->operation;
}

TEST_F(TInformeObjectTest, AReportRunsFromCompiledTextAndLeavesItsStateInTheData) {
  ToFile();
  EXPECT_TRUE(X("oInf := TInforme():New(), oInf:RunGenInforme('ventas')").AsLogical())
      << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_EQ(ReadFile(path_), testing::Page({"Código Importe ", "------ --------", "V1        10,00", "V2         5,00",
                                           "V3         2,00", "V4         1,50", "V5         0,50", "------ --------",
                                           "Total     19,00"}));
  EXPECT_EQ(X("oInf:cMainInforme + '/' + oInf:cTablaMaestra").AsString(), "VENTAS/VENTAS");
  EXPECT_EQ(X("oInf:nPage").AsInt(), 1);
  EXPECT_FALSE(X("oInf:lRunning").AsLogical());
  // RunInforme with its own dictionary, and an unknown report.
  std::filesystem::remove(path_);
  EXPECT_TRUE(X("oInf:RunInforme('VENTAS', .T.)").AsLogical());
  EXPECT_FALSE(ReadFile(path_).empty());
  EXPECT_FALSE(X("oInf:RunGenInforme('NOHAY')").AsLogical());
}

TEST_F(TInformeObjectTest, TheDictionaryIsOpenedForACallWhenClosed) {
  ToFile();
  dict_->End();
  ASSERT_TRUE(TDictQZ::AliasOf("Informes").empty());
  EXPECT_TRUE(X("TInforme():New():RunGenInforme('VENTAS')").AsLogical())
      << (ui().messages.empty() ? "" : ui().messages.back().text);
  EXPECT_TRUE(TDictQZ::AliasOf("Informes").empty());
  EXPECT_TRUE(X("TInforme():New():lCheckRelacion('FAMILIAS', 'VENTAS')").AsLogical());
  EXPECT_TRUE(TDictQZ::AliasOf("Informes").empty());
  ASSERT_TRUE(dict_->Activate("I", false));
}

TEST_F(TInformeObjectTest, TheDefinitionMethodsChangeTheReport) {
  X("oInf := TInforme():New()");
  // The master's relations and expressions.
  X("oInf:cTablaMaestra := 'VENTAS'");
  for (const char* holds : {"oInf:lCheckRelacion('FAMILIAS')", "oInf:lCheckRelacion('ventas')",
                            "!oInf:lCheckRelacion('CLIENTES')", "!oInf:lCheckRelacion('VENTAS', 'FAMILIAS')"})
    EXPECT_TRUE(X(holds).AsLogical()) << holds;
  EXPECT_EQ(X("oInf:CargaExpresiones()[1][1] + '/' + oInf:CargaExpresiones()[1][2]").AsString(), "VALORVEN/Valor");
  EXPECT_EQ(X("Len(oInf:CargaExpresiones('FAMILIAS'))").AsInt(), 0);
  // The column lists of the report, shared by the class.
  EXPECT_EQ(X("Len(oInf:ColInforme('VENTAS'))").AsInt(), 2);
  EXPECT_EQ(X("TInforme():New():acColumnas[2] + TInforme():New():acDesColum[1] + TInforme():New():acTipColum[2]")
                .AsString(),
            "Colum2CódigoN");
  EXPECT_TRUE(X("oInf:aImpColum[1] .AND. oInf:aCndAncho[2] == 8 .AND. oInf:aCndDecimal[2] == 2").AsLogical());
  // Moved along the line, the formula checked, then deleted with its rows.
  EXPECT_TRUE(X("oInf:DownColumn('VENTAS', 1)").AsLogical());
  EXPECT_FALSE(X("oInf:DownColumn('VENTAS', 1)").AsLogical());
  EXPECT_TRUE(X("oInf:UpColumn('VENTAS', 1)").AsLogical());
  EXPECT_TRUE(X("oInf:CalcExpresion('VENTAS', 'Colum2 * 2')").AsLogical());
  EXPECT_FALSE(X("oInf:CalcExpresion('VENTAS', 'Colum2 * Colum9')").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "Expresión incorrecta");
  xb::RegisterFunction("MSGYESNO", [](xb::Args&) { return Value::Logical(true); });
  EXPECT_TRUE(X("oInf:DelColumna('VENTAS', 2)").AsLogical());
  EXPECT_EQ(X("Len(oInf:ColInforme('VENTAS'))").AsInt(), 1);
  EXPECT_TRUE(X("oInf:DelInforme('VENTAS')").AsLogical());
  EXPECT_EQ(X("Len(oInf:ColInforme('VENTAS'))").AsInt(), 0);
  EXPECT_FALSE(X("oInf:RunGenInforme('VENTAS')").AsLogical());
  ASSERT_TRUE(errors.empty()) << errors.front()->description << " " << errors.front()->operation;
}

TEST_F(TInformeObjectTest, TheSupervisorRestoresAReportOnlyWithTheReportTablesFree) {
  // Delivered: the report with one column.
  const char* delivered[] = {"Informes", "Condicio", "Columnas", "Recol", "CnfColum", "Inicial", "Categor", "SubCat"};
  for (int n = 0; n < 8; ++n) CreateTable("INF\\DInfo" + std::to_string(n + 1) + ".dbf", FindDictTable(delivered[n])->fields);
  for (const auto& [n, row] : {std::pair<int, testing::Row>{1, {{"INFORME", S("VENTAS")}, {"DESCRIPC", S("Original")}}},
                               {3, {{"INFORME", S("VENTAS")}, {"IDCOL", N(1)}}}}) {
    ASSERT_GT(Use("INF\\DInfo" + std::to_string(n) + ".dbf", "D", false), 0);
    ASSERT_TRUE(areas().Current().Append());
    for (const auto& [name, value] : row) areas().Current().PutField(areas().Current().FieldPos(name), value);
    areas().Current().Close();
  }
  xb::RegisterFunction("MSGYESNO", [](xb::Args&) { return Value::Logical(true); });
  // The dictionary open here holds the report tables.
  EXPECT_FALSE(X("TInforme():New():RecuperaInf('VENTAS')").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "Es necesario tener acceso exclusivo al fichero de informes.");
  dict_->End();
  EXPECT_TRUE(X("TInforme():New():RecuperaInf('ventas')").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "Informe restaurado.");
  EXPECT_TRUE(TDictQZ::AliasOf("Informes").empty());
  EXPECT_EQ(areas().AreaOfAlias("DINFO1"), 0);
  ASSERT_TRUE(dict_->Activate("I", false));
  EXPECT_EQ(X("Len(TInforme():New():ColInforme('VENTAS'))").AsInt(), 1);
  EXPECT_EQ(X(TDictQZ::AliasOf("Informes") + "->(DBGOBOTTOM(), AllTrim(DESCRIPC))").AsString(), "Original");
}

// The run's steps answer from compiled text: over the report named outside a run, over the
// run going from a function it calls, and say so when they need a run and none goes.
TEST_F(TInformeObjectTest, TheRunsStepsAnswerFromCompiledText) {
  // An amount above 4; the scan stops at the sale V9; the article's family as a related column.
  Add("Condicio", {{"INFORME", S("VENTAS")}, {"TIPO", S("C")}, {"ORDEN", S("A")}, {"INFDOC", S("I")}, {"ENLACE", N(1)},
                   {"TABLA", S("VENTAS")}, {"CAMPO", S("IMPORTE")}, {"OPERADOR", N(5)}, {"VALOR", S("4")},
                   {"FLDTIPO", S("N")}, {"COLUMNA", S("Colum2")}});
  Add("Condicio", {{"INFORME", S("VENTAS")}, {"TIPO", S("D")}, {"ORDEN", S("A")}, {"INFDOC", S("I")}, {"ENLACE", N(1)},
                   {"TABLA", S("VENTAS")}, {"CAMPO", S("CODIGO")}, {"OPERADOR", N(2)}, {"VALOR", S("V9")},
                   {"FLDTIPO", S("C")}, {"COLUMNA", S("Colum1")}});
  Add("Columnas", {{"INFORME", S("VENTAS")}, {"IDCOL", N(3)}, {"TIPOCOL", N(2)}, {"CAMPO", S("Colum3")}, {"TITULO", S("Fam")},
                   {"DATOS", S("ARTICULO")}, {"CAMPOREL", S("FAMILIA")}, {"CODEXPR", S("ARTICULOS")}, {"TIPO", S("C")},
                   {"ANCHO", N(3)}, {"ANCHOMAX", N(3)}, {"ALINEACION", S("I")}, {"LINEA", N(1)}, {"PINICIAL", N(17)},
                   {"IMPRIMIR", L(true)}});
  Add("Recol", {{"INFORME", S("VENTAS")}, {"IDCOL", N(3)}, {"ORDEN", N(1)}, {"TABBUSCAR", S("ARTICULOS")},
                {"INDBUSCAR", S("CODIGO")}, {"EXPBUSCAR", S("FAMILIA")}, {"INFDOC", S("I")}, {"IDCUERPO", N(0)}});
  Add("CampoRes", {{"TABLA", S("VENTAS")}, {"CAMPO", S("ARTICULO")}, {"VALOR", S("P1")}, {"RESULTA", S("Pan")}});
  ToFile();
  X("oInf := TInforme():New()");
  // Outside a run, in order: each holds.
  const char* const steps[] = {
      // The report's conditions on a record given column by column.
      "oInf:CheckCondicion('C', {'V1', 10}, , 'ventas')",
      "!oInf:CheckCondicion('C', {'V2', 2}) .AND. !oInf:CheckCondicion('C', {'V2', 4})",
      "!oInf:CheckCondicion('D', {'V1', 10}) .AND. oInf:CheckCondicion('D', {'V9', 1})",
      // A record shorter than the columns reads as empty.
      "!oInf:CheckCondicion('C', {'V1'}) .AND. !oInf:CheckCondicion('C', {})",
      // The conditions copy starts empty: every record passes it and none stops.
      "oInf:CheckCondicion('C', {'V2', 2}, .T.) .AND. !oInf:CheckCondicion('D', {'V9', 1}, .T.)",
      // From 1 to 3: two conditions joined by "and".
      "oInf:InsCondicion('colum2', {'', 'IMPORTE', 1, 3}) == 2",
      "oInf:CheckCondicion('C', {'V3', 2}, .T.) .AND. oInf:CheckCondicion('C', {'V3', 3}, .T.)",
      "!oInf:CheckCondicion('C', {'V1', 10}, .T.) .AND. !oInf:CheckCondicion('C', {'V5', 0.5}, .T.)",
      "ValType(oInf:InsCondicion('Colum9', {'', 'IMPORTE', 1})) == 'L'",
      // A value list: its named range, the record's value in it.
      "oInf:InsCondicion('Colum1', {'', 'CODIGO', {'V4', 'V5'}}) == 3 .AND. oInf:aNomRangos[1] == 'CODIGO'",
      "oInf:CheckCondicion('C', {'V5', 2}, .T.) .AND. !oInf:CheckCondicion('C', {'V6', 2}, .T.)",
      // An initial-value function's result on a fresh copy: amounts below 5, the scan range.
      "oInf:EvalInicial({.T., {{'', 'IMPORTE', 5, , '<'}}, {{'CODIGO', 'V2', 'V4', 'C'}}}, 'VENTAS')",
      "oInf:CheckCondicion('C', {'V1', 1}, .T.) .AND. !oInf:CheckCondicion('C', {'V1', 10}, .T.)",
      "Len(oInf:aDatosIni) == 5 .AND. oInf:aDatosIni[1] == 'CODIGO' .AND. oInf:aDatosIni[3] == 'V4'",
      "oInf:EvalInicial({.T., , {{'', 'IMPORTE', 'B'}}}) .AND. !oInf:lOrden",
      "!oInf:EvalInicial({.F.})",
      // Substituted values.
      "oInf:ChangeValues('VENTAS', 'ARTICULO', 'P1') == 'Pan' .AND. oInf:ChangeValues('ventas', 'articulo', 'M1') == 'M1'",
      "oInf:ChangeValues('VENTAS', 'ARTICULO', 'P1', 0) == 'P1'",
      // An expression's environment: its table, not opened by any run.
      "oInf:DefEntorno('VALORVEN')[2][1] == 'VENTAS' .AND. oInf:DefEntorno('VALORVEN')[1][1] == ''",
      "oInf:SelDestino('VENTAS')",
      // The report's tables opened as its run opens them, for the steps that read them.
      "ValType(aT := oInf:OpenInforme('ventas')) == 'A' .AND. aT[2][1] == 'VENTAS' .AND. aT[2][2] == 'ARTICULOS'",
      "oInf:nMasterEntorno > 0 .AND. ValType(oInf:OpenInforme('VENTAS')) == 'L'",
      "oInf:EvalRelacion(3) == 'PAN' .AND. oInf:EvalRelacion(2) == NIL",
      "oInf:DefEntorno('VALORVEN')[1][1] == aT[1][1]",
      "oInf:CloseInforme() == NIL .AND. oInf:nMasterEntorno == NIL .AND. Select(aT[1][2]) == 0",
  };
  for (const char* holds : steps) EXPECT_TRUE(X(holds).AsLogical()) << holds;
  ASSERT_TRUE(errors.empty()) << errors.front()->description << " " << errors.front()->operation;
  // A related value needs a run going.
  EXPECT_TRUE(X("oInf:EvalRelacion(3) == NIL").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "No hay ningún informe en ejecución.");
  EXPECT_FALSE(X("oInf:CheckCondicion('C')").AsLogical());
  EXPECT_EQ(ui().messages.back().text, "No hay ningún informe en ejecución.");
  // A type that is not a condition's is an argument error.
  X("oInf:CheckCondicion('B', {'V1', 10})");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.front()->operation, "CHECKCONDICION");
  errors.clear();

  // The run's initial-value function asks the run going: the first sale's family, the
  // environment's alias among the run's tables, the copy the run started.
  Add("Inicial", {{"INFORME", S("VENTAS")}, {"ORDEN", N(1)}, {"FUNCION", S("TEST_PASOS")}, {"INFDOC", S("I")}});
  std::vector<std::string> seen;
  xb::RegisterFunction("TEST_PASOS", [&seen](xb::Args&) {
    for (const char* ask : {"oInf:EvalRelacion(3)", "oInf:EvalRelacion(1)", "oInf:DefEntorno('VALORVEN')[1][1]",
                            "oInf:CheckCondicion('C', {'V1', 1}, .T.)"}) {
      const Value v = X(ask);
      seen.push_back(v.IsString() ? std::string(v.AsString()) : v.IsLogical() ? (v.AsLogical() ? ".T." : ".F.") : "NIL");
    }
    return Value();
  });
  EXPECT_TRUE(X("oInf:RunGenInforme('VENTAS')").AsLogical()) << (ui().messages.empty() ? "" : ui().messages.back().text);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], "PAN");
  EXPECT_EQ(seen[1], "NIL");
  EXPECT_FALSE(seen[2].empty());
  EXPECT_EQ(seen[3], ".T.");
  // Only the sales above 4 printed, each with its family.
  EXPECT_EQ(ReadFile(path_), testing::Page({"Código Importe  Fam", "------ -------- ---", "V1        10,00 PAN",
                                           "V2         5,00 MAN", "------ -------- ---", "Total     15,00"}));

  // Groups on the family, then the code: cumulative keys, headings from the printed columns.
  for (const auto& [orden, row] : std::vector<std::pair<const char*, testing::Row>>{
           {"A", {{"CAMPO", S("Colum3")}, {"IMPRIME", S("Colum3")}, {"VALOR", S("1")}}},
           {"B", {{"CAMPO", S("Colum1")}, {"IMPRIME", S("Colum1 + Colum2")}, {"VALOR", S("1 + 2")}}},
           {"C", {{"CAMPO", S("Colum7")}}}}) {
    testing::Row base{{"INFORME", S("VENTAS")}, {"TIPO", S("B")}, {"ORDEN", S(orden)}, {"INFDOC", S("I")}};
    for (const auto& [k, v] : row) base[k] = v;
    Add("Condicio", base);
  }
  X("cKey := '', cFirst := ''");
  const char* const groups[] = {
      "aG := oInf:InsGrupos(@cKey, @cFirst, 1, 'VENTAS'), Len(aG) == 1 .AND. aG[1][2] == 'AllTrim( Colum3 )'",
      "cKey == 'Upper( Colum3 )' .AND. cFirst == cKey",
      "aG := oInf:InsGrupos(@cKey, @cFirst, 2), aG[1][1] == 1 .AND. aG[2][1] == 2 .AND. Len(aG) == 2",
      "cKey == 'Upper( Colum3 ) + Upper( Colum1 )' .AND. cFirst == 'Upper( Colum3 )'",
      "ValType(oInf:InsGrupos(@cKey, @cFirst, 4)) == 'L' .AND. cKey == 'Upper( Colum3 ) + Upper( Colum1 )'",
      "ValType(oInf:InsGrupos(@cKey, @cFirst, 3)) == 'L'",
  };
  for (const char* holds : groups) EXPECT_TRUE(X(holds).AsLogical()) << holds;
  EXPECT_EQ(ui().messages.back().text, "El informe agrupa u ordena por una columna que no existe: Colum7");
  EXPECT_TRUE(errors.empty());
  X("cKey := NIL, cFirst := NIL, aG := NIL, aT := NIL");
}

TEST_F(TInformeObjectTest, TheListAndTheTreesOpenThroughTheWindows) {
  std::vector<std::string> shown;
  std::vector<std::string> folders;
  SetReportRunHook({.show_list = [&](bool tree, const std::string& folder) {
                      shown.push_back(tree ? "arbol" : "lista");
                      folders.push_back(folder);
                    },
                    .show_graphics = [&](const std::string& folder) {
                      shown.push_back("graficos");
                      folders.push_back(folder);
                    }});
  X("oInf := TInforme():New()");
  X("oInf:Activate(7, 'I')");
  EXPECT_TRUE(X("oInf:nMnuOption == 7 .AND. oInf:lFromDict .AND. !oInf:lTree").AsLogical());
  X("oInf:ActivateArbol(), oInf:ArbolGraficos()");
  EXPECT_TRUE(X("oInf:lTree").AsLogical());
  EXPECT_EQ(shown, (std::vector<std::string>{"lista", "arbol", "graficos"}));
  // Each over the open dictionary's folder.
  EXPECT_EQ(folders, std::vector<std::string>(3, TDictQZ::cPath()));
}

}  // namespace
}  // namespace reports
