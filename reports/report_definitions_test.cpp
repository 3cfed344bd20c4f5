#include "reports/report_definitions.h"

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "reports/dictionary_tables.h"
#include "reports/report_functions.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using testing::Add;
using testing::Row;
using testing::S;
using xb::Value;

class ReportDefinitionsTest : public testing::ReportDictionaryTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportDictionaryTest::SetUp());
    RegisterReportDefinitions();
    xb::RegisterFunction("MSGYESNO", [this](xb::Args&) { return Value::Logical(yes_); });
  }
  xb::rdd::WorkArea& Area(std::string_view table) {
    return *areas().Area(areas().AreaOfAlias(TDictQZ::AliasOf(table)));
  }
  // A report with one row in each of the six tables (two columns), and a row of another.
  void Definition(const std::string& code) {
    Add("Informes", {{"INFORME", S(code)}, {"CATEGORIA", S("GEN")}, {"INFMASTER", S(code)}, {"ACCESO1", S("052")}});
    Add("Columnas", {{"INFORME", S(code)}, {"IDCOL", Value::Integer(1)}});
    Add("Columnas", {{"INFORME", S(code)}, {"IDCOL", Value::Integer(2)}});
    Add("Condicio", {{"INFORME", S(code)}, {"INFDOC", S("I")}, {"TIPO", S("C")}, {"ORDEN", S("A")}});
    Add("Recol", {{"INFORME", S(code)}, {"INFDOC", S("I")}, {"IDCOL", Value::Integer(2)}});
    Add("CnfColum", {{"INFORME", S(code)}, {"IDCOL", Value::Integer(1)}});
    Add("Inicial", {{"INFORME", S(code)}, {"INFDOC", S("I")}, {"FUNCION", S("F")}});
  }
  // Rows of the report in each of the six tables.
  std::vector<int> Count(const std::string& code) {
    std::vector<int> counts;
    for (const std::string& table : DefinitionTables()) {
      xb::rdd::WorkArea& a = Area(table);
      int n = 0;
      for (a.GoTop(); !a.eof(); a.Skip(1)) {
        const Value v = a.GetField(a.FieldPos("INFORME"));
        if (!a.Deleted() && xb::AllTrim(v.AsString()) == code) ++n;
      }
      counts.push_back(n);
    }
    return counts;
  }
  bool yes_ = true;
};

const std::vector<int> kFull = {1, 1, 2, 1, 1, 1};
const std::vector<int> kNone = {0, 0, 0, 0, 0, 0};

TEST_F(ReportDefinitionsTest, DeleteTakesEveryRowOrNone) {
  Definition("VENTAS");
  Definition("OTRO");
  // A column held by another user: nothing goes.
  const std::string columnas = TDictQZ::AliasOf("Columnas");
  const int other = Use("INF\\Columnas.dbf", "OTRO", true);
  ASSERT_GT(other, 0);
  ASSERT_TRUE(X("OTRO->(DBGOTO(2), RLOCK())").AsLogical());
  EXPECT_FALSE(DelInforme("ventas"));
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text, "El informe está siendo utilizado por otro usuario. No se ha eliminado nada.");
  EXPECT_EQ(Count("VENTAS"), kFull);
  X("OTRO->(DBUNLOCK())");
  EXPECT_TRUE(DelInforme("ventas"));
  EXPECT_EQ(Count("VENTAS"), kNone);
  EXPECT_EQ(Count("OTRO"), kFull);
  // Without full access.
  user_ = "07";
  EXPECT_FALSE(DelInforme("OTRO"));
  EXPECT_EQ(ui().messages.back().text, "No dispone de acceso para eliminar este informe.");
  EXPECT_EQ(ui().messages.back().title, " Acceso denegado");
  user_ = "05";
  EXPECT_TRUE(DelInforme("OTRO"));
}

TEST_F(ReportDefinitionsTest, DuplicateCopiesTheSixTablesUnderTheNewCode) {
  Definition("VENTAS");
  ASSERT_TRUE(DuplicateInforme("VENTAS", "VENTAS2", "ESP"));
  EXPECT_EQ(Count("VENTAS2"), kFull);
  EXPECT_EQ(Count("VENTAS"), kFull);
  EXPECT_EQ(X(TDictQZ::AliasOf("Informes") + "->(DBGOBOTTOM(), AllTrim(INFMASTER) + '/' + CATEGORIA)").AsString(),
            "VENTAS2/ESP  ");
  EXPECT_FALSE(DuplicateInforme("VENTAS", "ventas2", "ESP"));
  EXPECT_EQ(ui().messages.back().text, "Nombre de informe duplicado");
  EXPECT_FALSE(DuplicateInforme("NADA", "NUEVO", "ESP"));
  EXPECT_EQ(ui().messages.back().text, "Informe no existe");
  // A code longer than the field is checked as it would be stored.
  ASSERT_TRUE(DuplicateInforme("VENTAS", "VENTAS2345", "ESP"));
  EXPECT_FALSE(DuplicateInforme("VENTAS", "ventas23456", "ESP"));
  EXPECT_EQ(ui().messages.back().text, "Nombre de informe duplicado");
  EXPECT_EQ(Count("VENTAS2345"), kFull);
}

TEST_F(ReportDefinitionsTest, TheSupervisorRestoresADeliveredReport) {
  const char* delivered[] = {"Informes", "Condicio", "Columnas", "Recol", "CnfColum", "Inicial", "Categor", "SubCat"};
  for (int n = 0; n < 8; ++n) CreateTable("INF\\DInfo" + std::to_string(n + 1) + ".dbf", FindDictTable(delivered[n])->fields);
  // Delivered: the Informes row and three columns; nothing else.
  auto fill = [&](int n, const Row& row) {
    ASSERT_GT(Use("INF\\DInfo" + std::to_string(n) + ".dbf", "D", false), 0);
    xb::rdd::WorkArea& a = areas().Current();
    ASSERT_TRUE(a.Append());
    for (const auto& [name, value] : row) a.PutField(a.FieldPos(name), value);
    a.Close();
  };
  fill(1, {{"INFORME", S("VENTAS")}, {"DESCRIPC", S("Original")}});
  for (int id = 1; id <= 3; ++id) fill(3, {{"INFORME", S("VENTAS")}, {"IDCOL", Value::Integer(id)}});
  Definition("VENTAS");
  Definition("OTRO");

  user_ = "05";
  EXPECT_TRUE(RestauraInf().empty());
  EXPECT_EQ(ui().messages.back().text, "Esta opción es de uso exclusivo del usuario Supervisor.");
  user_ = "00";
  // The dictionary holds the report tables.
  EXPECT_TRUE(RestauraInf().empty());
  EXPECT_EQ(ui().messages.back().text, "Es necesario tener acceso exclusivo al fichero de informes.");
  dict_->End();
  const std::vector<std::string> open = RestauraInf();
  ASSERT_EQ(open.size(), 8u);
  ASSERT_TRUE(dict_->Activate("I", false));

  yes_ = false;
  EXPECT_FALSE(RecuperaInf(open, "VENTAS"));
  EXPECT_EQ(Count("VENTAS"), kFull);
  yes_ = true;
  // A column held by another user: nothing is restored, nothing lost.
  ASSERT_GT(Use("INF\\Columnas.dbf", "OTRO", true), 0);
  ASSERT_TRUE(X("OTRO->(DBGOTO(2), RLOCK())").AsLogical());
  EXPECT_FALSE(RecuperaInf(open, "VENTAS"));
  EXPECT_EQ(ui().messages.back().text, "El informe está siendo utilizado por otro usuario. No se ha restaurado nada.");
  EXPECT_EQ(Count("VENTAS"), kFull);
  X("OTRO->(DBCLOSEAREA())");
  ASSERT_TRUE(RecuperaInf(open, "ventas"));
  EXPECT_EQ(ui().messages.back().text, "Informe restaurado.");
  EXPECT_EQ(Count("VENTAS"), (std::vector<int>{1, 0, 3, 0, 0, 0}));
  EXPECT_EQ(Count("OTRO"), kFull);
  CloseDelivered(open);
  EXPECT_EQ(areas().AreaOfAlias("DINFO1"), 0);
}

TEST_F(ReportDefinitionsTest, ConditionsWrittenBackGetTheirLinks) {
  Add("Condicio", {{"INFORME", S("VENTAS")}, {"INFDOC", S("I")}, {"TIPO", S("C")}, {"ORDEN", S("A")}});
  CreateTable("INF\\TEMP\\Copia.dbf", FindDictTable("Condicio")->fields);
  ASSERT_GT(Use("INF\\TEMP\\Copia.dbf", "COPIA", false), 0);
  for (const char* orden : {"A", "B", "C"}) {
    X("DBAPPEND(), FIELDPUT(1, 'VENTAS'), FIELDPUT(10, 'I'), FIELDPUT(2, 'C'), FIELDPUT(3, '" + std::string(orden) +
      "'), FIELDPUT(4, " + (std::string(orden) == "B" ? "3" : "0") + ")");
  }
  X("DBAPPEND(), FIELDPUT(1, 'VENTAS'), FIELDPUT(10, 'I'), FIELDPUT(2, 'A'), FIELDPUT(3, 'A')");
  ASSERT_TRUE(ActDbf(TDictQZ::AliasOf("Condicio"), "COPIA", "ventas", "I", "C"));
  const std::string cond = TDictQZ::AliasOf("Condicio");
  X(cond + "->(ORDSETFOCUS(1), DBGOTOP())");
  std::string links;
  for (int i = 0; i < 3; ++i) links += X(cond + "->(Str(ENLACE, 1) + ORDEN + TIPO, ret := Str(ENLACE,1) + ORDEN, DBSKIP(), ret)").AsString();
  EXPECT_EQ(links, "2A3B1C");
  EXPECT_TRUE(X(cond + "->(EOF())").AsLogical()) << "the order row is not of the type";
}

TEST_F(ReportDefinitionsTest, SmallHelpersOfTheDefinitions) {
  EXPECT_EQ(TipoCol(7), "Campo de la tabla maestra.");
  EXPECT_EQ(TipoCol(9), "Columna de expresión de grupo.");
  EXPECT_EQ(TipoCol(0), "");
  EXPECT_EQ(ExpToN("Colum1 + Colum12 * 2", {"Colum1", "Colum12"}, {"N", "C"}, {"", "@E 999.99"}),
            "Colum1 + Val( _US( Transform( Colum12, \"@E 999.99\" ) ) ) * 2");
  EXPECT_EQ(nEuros(16638.6, true, "P"), 100.0);
  EXPECT_EQ(nEuros(16638.6, false, "P"), 16638.6);
  EXPECT_EQ(nEuros(10, true, "E"), 10.0);
  EXPECT_EQ(cMascaraNumeros(10, 2), "@E 9999999.99");
  EXPECT_EQ(cMascaraNumeros(5, 0), "@E 99999");
  EXPECT_EQ(X("Len(TI_ASTATIC({1, 2}))").AsInt(), 2);
  EXPECT_EQ(X("Len(TI_ASTATIC(, 4))").AsInt(), 4);
  EXPECT_TRUE(X("TI_ASTATIC(, , .T.)[1] == nil").AsLogical());
  // The answer is the store itself: what is written into it stays for the run.
  X("TI_ASTATIC()[2] := 'euros'");
  EXPECT_EQ(X("TI_ASTATIC()[2]").AsString(), "euros");
  ASSERT_EQ(aStatic().size(), 4u);
  EXPECT_EQ(aStatic()[1].AsString(), "euros");
  Add("CampoRes", {{"TABLA", S("CLIENTES")}, {"CAMPO", S("TIPO")}, {"VALOR", S("1")}, {"RESULTA", S("Mayorista")}});
  Add("CampoRes", {{"TABLA", S("CLIENTES")}, {"CAMPO", S("TIPO")}, {"VALOR", S("2")}, {"RESULTA", S("Minorista")}});
  EXPECT_EQ(aResulta("clientes", "tipo"), (std::vector<std::string>{"Mayorista", "Minorista"}));
  EXPECT_EQ(aResulta("clientes", "tipo", true), (std::vector<std::string>{"1", "2"}));
  Add("Informes", {{"INFORME", S("A")}, {"INFMASTER", S("M")}, {"DESCRIPC", S("a")}});
  Add("Informes", {{"INFORME", S("B")}, {"INFMASTER", S("M")}, {"DESCRIPC", S("b")}});
  Add("Informes", {{"INFORME", S("M")}, {"INFMASTER", S("M")}, {"DESCRIPC", S("m")}});
  EXPECT_EQ(InformesOf("M"), (std::vector<std::string>{"A", "B", "M"}));
  RelInformes("M", {"A"});
  EXPECT_EQ(InformesOf("M"), (std::vector<std::string>{"A", "M"}));
  EXPECT_EQ(X("TI_UFINDINFORME('', 'B')").AsString(), "B");
  EXPECT_TRUE(X("TI_UFINDINFORME('', 'NADIE') == nil").AsLogical());
  EXPECT_FALSE(lFichero(""));
  EXPECT_EQ(ui().messages.back().text, "El fichero indicado no puede crearse.");
}

}  // namespace
}  // namespace reports
