#include "reports/dictionary_check.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "reports/dictionary_files.h"
#include "reports/relation_paths.h"
#include "reports/report_functions.h"
#include "runtime/lib/strings.h"

namespace reports {
namespace {

using xb::Value;

// A -> B -> C -> A chained, B -> D and A -> D not direct.
std::vector<Relation> Cycle() {
  return {{"A", "B", 1, true, "p1", "A a B"},  {"B", "C", 2, true, "", "B a C"},
          {"C", "A", 3, true, "p3", "C a A"},  {"B", "D", 4, false, "p4", "B a D"},
          {"A", "D", 5, false, "", "A a D"}};
}

std::string Rows(const std::vector<RelTabRow>& rows) {
  std::string s;
  for (const RelTabRow& r : rows) {
    s += r.origin + r.destination + " " + std::to_string(r.first_id) + "/" + std::to_string(r.last_id) + " [" +
         r.products + "]; ";
  }
  return s;
}

std::string Paths(const std::vector<std::vector<std::size_t>>& paths) {
  std::string s;
  for (const auto& p : paths) {
    for (std::size_t hop : p) s += std::to_string(hop + 1);
    s += " ";
  }
  return s;
}

TEST(RelationPaths, ChainsOfDirectRelationsWithoutATableTwice) {
  EXPECT_EQ(Rows(RelTabPaths(Cycle())), "AC 1/2 [p1]; BA 2/3 [p3]; CB 3/1 [p3 .and. p1]; ");
  EXPECT_EQ(Paths(FindRelationPaths(Cycle(), "a", "C")), "12 ");
  EXPECT_EQ(Paths(FindRelationPaths(Cycle(), "A", "D")), "5 ") << "not direct: never chained";
  EXPECT_EQ(Paths(FindRelationPaths(Cycle(), "B", "D")), "4 ");
  EXPECT_EQ(Paths(FindRelationPaths(Cycle(), "A", "A")), "") << "no path comes back to its origin";
}

TEST(RelationPaths, AtMostFourHopsShortestFirst) {
  std::vector<Relation> chain;
  const char* t = "ABCDEF";
  for (int i = 0; i < 5; ++i) chain.push_back({std::string(1, t[i]), std::string(1, t[i + 1]), i + 1, true, "", ""});
  chain.push_back({"A", "E", 9, true, "", ""});
  EXPECT_EQ(Paths(FindRelationPaths(chain, "A", "E")), "6 1234 ");
  EXPECT_EQ(Paths(FindRelationPaths(chain, "A", "F")), "65 ") << "A-B-C-D-E-F would be five hops";
}

class CheckFilesTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    memory().MakeFolder("INF\\");
    memory().MakeFolder("DBF01\\");
    memory().MakeFolder("OTRA\\");
    data::cPathDbf("DBF01\\");
    ASSERT_TRUE(CheckStruct("INF"));
    ASSERT_TRUE(DictReindex("INF", true));
    CreateTable("DBF01\\Clientes.dbf", {{"CODIGO", 'C', 6, 0}, {"ALTA", 'D', 8, 0}});
    CreateTable("OTRA\\Articulo.dbf", {{"CODIGO", 'C', 8, 0}, {"PRECIO", 'N', 10, 2}});
    ASSERT_GT(Use("DBF01\\Clientes.dbf", "X", false), 0);
    X("ORDCREATE(, 'Codigo', 'Codigo')");
    X("DBCLOSEAREA()");
    Fill("Tablas", {"'CLIENTES', 'Clientes', .F., ''", "'ARTICULO', 'Articulo', .T., 'OTRA'",
                    "'FALTA', 'Falta', .F., ''"},
         "TABLA, FICHERO, EXACTA, RUTA");
    Fill("Campos", {"'CLIENTES', 1, 'CODIGO', 'C', 6, 0", "'CLIENTES', 2, 'ALTA', 'F', 8, 0",
                    "'ARTICULO', 2, 'PRECIO', 'N', 12, 2", "'ARTICULO', 1, 'CODIGO', 'C', 8, 0"},
         "TABLA, ORDEN, CAMPO, TIPO, LONGITUD, DECIMAL");
    Fill("Indices", {"'CLIENTES', 1, 'CODIGO', 'Codigo'", "'ARTICULO', 1, 'CODIGO', 'Codigo'"},
         "TABLA, ORDEN, TAG, EXPRESION");
    Fill("Relacion", {"'CLIENTES', 'ARTICULO', 7, .T., 'x'", "'ARTICULO', 'FALTA', 8, .T., 'y'"},
         "TABORIGEN, TABDESTINO, IDREL, DIRECTA, PRODUCTOS");
  }
  // Appends rows to a dictionary table: each row the values of `fields`, as xBase text.
  void Fill(const std::string& table, const std::vector<std::string>& rows, const std::string& fields) {
    ASSERT_GT(Use("INF\\" + table + ".dbf", "FILL", false), 0);
    for (const std::string& row : rows) {
      X("DBAPPEND()");
      X("(aV := {" + row + "}, aF := {" + Quote(fields) + "}, AEval(aF, {|f, i| FieldPut(FieldPos(AllTrim(f)), aV[i])}))");
    }
    X("DBCLOSEAREA()");
  }
  static std::string Quote(const std::string& fields) {
    std::string s = "'";
    for (char c : fields) s += c == ',' ? std::string("', '") : std::string(1, c);
    return s + "'";
  }
};

TEST_F(CheckFilesTest, WritesTheLogAndRebuildsRelTab) {
  const std::vector<std::string> lines = CheckFiles("INF");
  const std::vector<std::string> expected = {
      "Comprobando tabla : CLIENTES",
      "Comprobación OK",
      "Comprobando tabla : ARTICULO",
      "Campo no coindice PRECIO",
      "Fichero -> Diccionario",
      "Nombre : PRECIO -> PRECIO",
      "Tipo : N -> N",
      "Longitud : 10 -> 12",
      "Decimal : 2 -> 2",
      "Nº de indices no coincide",
      "Comprobación NO OK",
      "Comprobando tabla : FALTA",
      "Fichero no existe",
      "Comprobación NO OK",
      "Relación nº : 00007",
      "Relación nº : 00008",
  };
  EXPECT_EQ(lines, expected);
  std::string log;
  for (const std::string& l : expected) log += l + "\r\n";
  EXPECT_EQ(memory().Contents("INF\\Chequeo.log"), log);
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text, "Comprobación finalizada. Vea resultados en el fichero Chequeo.log");
  ASSERT_GT(Use("INF\\RelTab.dbf", "RT", true), 0);
  EXPECT_EQ(X("RT->(LastRec())").AsInt(), 1);
  EXPECT_EQ(X("AllTrim(TabOrigen) + AllTrim(TabDestino) + Str(IdRel, 2) + Str(IdDirecta, 2) + ' ' + AllTrim(Productos)")
                .AsString(),
            "CLIENTESFALTA 7 8 x .and. y");
}

TEST_F(CheckFilesTest, TheBranchFolderServesExactTables) {
  memory().MakeFolder("DELEG\\");
  CreateTable("DELEG\\Articulo.dbf", {{"CODIGO", 'C', 8, 0}, {"PRECIO", 'N', 12, 2}});
  ASSERT_GT(Use("DELEG\\Articulo.dbf", "X", false), 0);
  X("ORDCREATE(, 'Codigo', 'Codigo')");
  X("DBCLOSEAREA()");
  data::cPathDbfDelegacion("DELEG");
  const std::vector<std::string> lines = CheckFiles("INF\\", false);
  data::cPathDbfDelegacion("");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[3], "Comprobación OK");
}

}  // namespace
}  // namespace reports
