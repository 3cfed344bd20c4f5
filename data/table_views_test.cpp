#include "data/table_views.h"

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/memvar.h"

namespace data {
namespace {

using testing::DataTest;
using xb::Value;

const std::vector<xb::rdd::dbf::FieldSpec> kClientes = {{"CODIGO", 'C', 6, 0}, {"NOMBRE", 'C', 20, 0},
                                                        {"NOTAS", 'M', 10, 0}};

class TableViewsTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ResetTableViews();
    nHandlers(255);
    cPathDbf("..\\DBF01\\");
    cPathTmp("..\\TMP\\");
    memory().MakeFolder("..\\TMP\\");
    xb::RegisterFunction("CCODUSUARIO", [](xb::Args&) { return Value::String("05"); });
    // Codes C5 (record 1) ... C1 (record 5): the order on CODIGO reverses the records.
    CreateTable("..\\DBF01\\Clientes.dbf", kClientes, 5, [](xb::rdd::WorkArea& a, int n) {
      a.PutField(1, Value::String("C" + std::to_string(6 - n)));
    });
    ASSERT_GT(Use("..\\DBF01\\Clientes.dbf", "MAKING", false), 0);
    X("ORDCREATE(, 'CODIGO', 'CODIGO')");
    X("ORDCREATE(, 'NOMBRE', 'NOMBRE')");
    X("DBCLOSEAREA()");
    CreateTable("..\\DBF01\\Articulo.dbf", {{"REF", 'C', 8, 0}}, 2);
  }
  void TearDown() override {
    ResetTableViews();
    DataTest::TearDown();
  }

  // A view of the given tables, each with the structural index; their aliases in `aliases`.
  int OpenView(const std::vector<std::string>& tables, std::vector<std::string>* aliases = nullptr,
               int share = 0) {
    ViewBegin();
    for (const std::string& t : tables) {
      const std::string alias = ViewAdd({.table = t, .indexes = {"x"}});
      if (aliases) aliases->push_back(alias);
    }
    return nOpenView({}, share);
  }
  static bool IsOpen(const std::string& alias) { return xb::rdd::WorkAreas::Get().AreaOfAlias(alias) != 0; }
  xb::rdd::WorkArea& AreaOf(const std::string& alias) { return *areas().Area(areas().AreaOfAlias(alias)); }
  bool Exists(const std::string& path) { return memory().Exists(path); }
  // `@name`: the memory variable itself.
  static Value RefTo(const char* name) { return Value::RefTo(xb::FindMemvar(xb::Intern(name))); }
};

TEST_F(TableViewsTest, ViewsOfOneTableTakeTheirOwnAliasesAndReuseReleasedOnes) {
  std::vector<std::string> first, second, third;
  const int v1 = OpenView({"Clientes", "Articulo"}, &first);
  const int v2 = OpenView({"Clientes"}, &second);
  ASSERT_EQ(v1, 1);
  ASSERT_EQ(v2, 2);
  EXPECT_EQ(first, (std::vector<std::string>{"Clientes1", "Articulo1"}));
  EXPECT_EQ(second, (std::vector<std::string>{"Clientes2"}));
  EXPECT_TRUE(IsOpen("Clientes1") && IsOpen("Clientes2") && IsOpen("Articulo1"));
  // Each opens in its order 1 at the top; shared unless asked otherwise.
  EXPECT_EQ(AreaOf("Clientes2").controlling_order(), 1);
  EXPECT_EQ(AreaOf("Clientes2").recno(), 5u);
  EXPECT_TRUE(AreaOf("Clientes1").table().shared());
  EXPECT_EQ(nChgFiles(), 5);  // two tables with their index, one without

  EXPECT_TRUE(RestoreView(v1));
  EXPECT_FALSE(IsOpen("Clientes1") || IsOpen("Articulo1"));
  EXPECT_TRUE(IsOpen("Clientes2"));
  EXPECT_EQ(nChgFiles(), 2);
  EXPECT_FALSE(RestoreView(v1));  // already closed
  EXPECT_FALSE(RestoreView(0));
  EXPECT_FALSE(RestoreView(-1));

  // The freed number and the released alias come back first.
  EXPECT_EQ(OpenView({"Clientes"}, &third), 1);
  EXPECT_EQ(third, (std::vector<std::string>{"Clientes1"}));
  EXPECT_EQ(OpenView({"Articulo"}), 3);
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(TableViewsTest, ASharingViewUsesTheEarlierAliasAndPutsItsPositionBack) {
  const int v1 = OpenView({"Clientes"});
  X("DBSELECTAREA('Clientes1')");
  X("ORDSETFOCUS(2)");
  X("DBGOTO(3)");
  X("DBSELECTAREA(1)");
  X("cCli := ''");
  X("cArt := ''");
  ViewBegin();
  ViewAdd({.table = "Clientes"}, RefTo("cCli"));
  ViewAdd({.table = "Articulo"}, RefTo("cArt"));
  const int v2 = nOpenView({}, v1);
  ASSERT_GT(v2, 0);
  EXPECT_EQ(X("cCli + ' ' + cArt").AsString(), "Clientes1 Articulo1");
  EXPECT_EQ(nChgFiles(), 3);  // no second open of Clientes
  AreaOf("Clientes1").SetControllingOrder(1);
  AreaOf("Clientes1").GoTo(5);

  EXPECT_EQ(X("SELECT()").AsInt(), 1);
  EXPECT_TRUE(RestoreView(v2));
  ASSERT_TRUE(IsOpen("Clientes1"));
  EXPECT_EQ(AreaOf("Clientes1").recno(), 3u);
  EXPECT_EQ(AreaOf("Clientes1").controlling_order(), 2);
  EXPECT_EQ(X("SELECT()").AsInt(), 1);  // the selected area stays

  // Closing the earlier of two sharing views first is no error.
  const int v3 = OpenView({"Clientes"}, nullptr, v1);
  EXPECT_TRUE(RestoreView(v1));
  EXPECT_FALSE(IsOpen("Clientes1"));
  EXPECT_TRUE(RestoreView(v3));
  EXPECT_TRUE(errors.empty());
}

TEST_F(TableViewsTest, AliasVariablesGetTheAliasesAndTheirValuesBackAtTheClose) {
  X("cCli := 'antes'");
  X("cArt := 7");
  X("aVar := NIL");
  ASSERT_TRUE(X("VIEWBEGIN()").AsLogical());
  ASSERT_TRUE(X("VIEWADD('Clientes', @cCli, {'cCodCli'})").AsLogical());
  EXPECT_EQ(X("cCli").AsString(), "Clientes1");  // at once
  X("VIEWADD('Articulo', @cArt)");
  X("cOtro := 'x'");
  // The array's by-reference elements receive the aliases too ({, @cOtro} in a program).
  X("nView := 0");
  const int view = nOpenView(xb::Array::Of({Value(), RefTo("cOtro")}));
  X("nView := " + std::to_string(view));
  ASSERT_EQ(view, 1);
  EXPECT_EQ(X("cArt").AsString(), "Articulo1");
  EXPECT_EQ(X("cOtro").AsString(), "Articulo1");
  EXPECT_EQ(X("(cCli)->CODIGO").AsString(), "C1    ");
  EXPECT_TRUE(X("RESTOREVIEW(nView)").AsLogical());
  EXPECT_EQ(X("cCli").AsString(), "antes");
  EXPECT_EQ(X("cArt").AsInt(), 7);
  EXPECT_EQ(X("cOtro").AsString(), "x");
  EXPECT_FALSE(X("RESTOREVIEW(nView)").AsLogical());
  EXPECT_FALSE(X("RESTOREVIEW()").AsLogical());
}

// Both forms at once, VIEWADD's variables and NOPENVIEW's array: RESTOREVIEW's array gives
// each of its variables its own value from before the view, whatever the caller did to it
// meanwhile; a variable taken by both forms gets the value it had before VIEWADD.
TEST_F(TableViewsTest, RestoreViewGivesEachVariableOfItsArrayItsOwnValue) {
  X("cCli := 'antes'");
  X("cArt := 7");
  X("cA := 'a0'");
  X("cB := 'b0'");
  X("cX := ''");
  ViewBegin();
  ViewAdd({.table = "Clientes", .indexes = {"x"}}, RefTo("cCli"));
  ViewAdd({.table = "Articulo"}, RefTo("cArt"));
  const int view = nOpenView(xb::Array::Of({RefTo("cA"), RefTo("cB")}));
  ASSERT_EQ(view, 1);
  EXPECT_EQ(X("cA").AsString(), "Clientes1");
  EXPECT_EQ(X("cB").AsString(), "Articulo1");
  X("cA := 'cambiado'");
  ASSERT_TRUE(RestoreView(view, xb::Array::Of({RefTo("cA"), RefTo("cB")})));
  EXPECT_EQ(X("cA").AsString(), "a0");
  EXPECT_EQ(X("cB").AsString(), "b0");
  EXPECT_EQ(X("cCli").AsString(), "antes");
  EXPECT_EQ(X("cArt").AsInt(), 7);

  // One variable in both forms; a variable the view never took gets the value of its place.
  ViewBegin();
  ViewAdd({.table = "Clientes", .indexes = {"x"}}, RefTo("cCli"));
  const int again = nOpenView(xb::Array::Of({RefTo("cCli")}));
  ASSERT_GT(again, 0);
  EXPECT_EQ(X("cCli").AsString(), "Clientes1");
  ASSERT_TRUE(RestoreView(again, xb::Array::Of({RefTo("cCli"), RefTo("cX")})));
  EXPECT_EQ(X("cCli").AsString(), "antes");
  EXPECT_EQ(X("cX").AsString(), "");

  ViewBegin();
  ViewAdd({.table = "Clientes", .indexes = {"x"}});
  const int third = nOpenView(xb::Array::Of({RefTo("cA")}));
  ASSERT_GT(third, 0);
  ASSERT_TRUE(RestoreView(third, xb::Array::Of({RefTo("cX")})));
  EXPECT_EQ(X("cX").AsString(), "a0");
  EXPECT_EQ(X("cA").AsString(), "a0");
  EXPECT_TRUE(errors.empty());
}

// A view opens all or nothing, with one message by the cause (none when quiet).
TEST_F(TableViewsTest, OneTableThatFailsClosesTheViewAfterItsMessage) {
  struct Case {
    int os_code;
    const char* kind;
    const char* title;
    std::string text;
  };
  const Case cases[] = {
      {2, "stop", "Atención",
       "No se ha encontrado el fichero que se intentaba abrir :Articulo.dbf\n\r"
       "Compruebe que este fichero exista en el directorio :..\\DBF01\\"},
      {3, "stop", "Atención",
       "El directorio :..\\DBF01\\ no existe o no es accesible.\n\rCompruebe los directorios de la Aplicación"},
      {4, "stop", "Atención",
       "Ha superado el máximo número de ficheros abiertos.\n\rDebe cerrar algún proceso activo\n\r"
       " o reconfigurar el parámetro FILES del CONFIG.SYS"},
      {5, "info", "Acceso denegado", "Error en la apertura de ficheros.\n\rRevise los procesos abiertos"},
      {32, "info", "Acceso denegado", "Error en la apertura de ficheros.\n\rRevise los procesos abiertos"},
  };
  for (const Case& c : cases) {
    for (const bool quiet : {false, true}) {
      SCOPED_TRACE(std::to_string(c.os_code) + (quiet ? " quiet" : ""));
      ui().messages.clear();
      failing().Fail("Articulo.dbf", c.os_code, 1);
      X("cArt := 'antes'");
      ViewBegin(quiet);
      ViewAdd({.table = "Clientes", .indexes = {"x"}});
      ViewAdd({.table = "Articulo"}, RefTo("cArt"));
      EXPECT_EQ(nOpenView(), 0);
      EXPECT_FALSE(IsOpen("Clientes1"));
      EXPECT_EQ(X("cArt").AsString(), "antes");
      EXPECT_EQ(nChgFiles(), 0);
      EXPECT_EQ(nErrorCode(), 0);
      if (quiet) {
        EXPECT_TRUE(ui().messages.empty());
      } else {
        ASSERT_EQ(ui().messages.size(), 1u);
        EXPECT_EQ(ui().messages[0].kind, c.kind);
        EXPECT_EQ(ui().messages[0].title, c.title);
        EXPECT_EQ(ui().messages[0].text, c.text);
      }
    }
  }
  // The failed views gave back their numbers and aliases.
  std::vector<std::string> aliases;
  EXPECT_EQ(OpenView({"Clientes", "Articulo"}, &aliases), 1);
  EXPECT_EQ(aliases, (std::vector<std::string>{"Clientes1", "Articulo1"}));
  EXPECT_TRUE(errors.empty());
}

// A table or index that fails for another cause (a damaged file): the error still reaches
// the program's error block, which logs it, and the view closes what it opened with one
// message naming the file; nothing on disk changes. Quiet views say nothing.
TEST_F(TableViewsTest, ADamagedFileClosesTheViewWithAMessageNamingIt) {
  const std::string default_driver = xb::rdd::DefaultDriver().name;
  xb::rdd::SetDefaultDriver("DBFNTX");
  CreateTable("..\\DBF01\\Agentes.dbf", {{"CODIGO", 'C', 6, 0}}, 2);
  X("DBUSEAREA(.T., 'DBFNTX', '..\\DBF01\\Agentes.dbf', 'MAKING', .F.)");
  X("ORDCREATE('..\\DBF01\\AgeCod', 'CODIGO', 'CODIGO')");
  X("DBCLOSEAREA()");
  xb::rdd::SetDefaultDriver(default_driver);
  memory().SetContents("..\\DBF01\\Articulo.dbf", std::string(40, '\x03'));
  memory().SetContents("..\\DBF01\\AgeCod.ntx", std::string(1024, '\xff'));
  const std::string article_bytes = memory().Contents("..\\DBF01\\Articulo.dbf");
  struct Case {
    const char* name;
    std::string driver;
    const char* table;
    std::vector<std::string> indexes;
    std::string text_begins;
    std::string text_ends;
  };
  const Case cases[] = {
      {"tabla", "", "Articulo", {}, "No se ha podido abrir el fichero :Articulo.dbf.\n\r",
       "\n\rCompruebe este fichero en el directorio :..\\DBF01\\"},
      {"índice", "DBFNTX", "Agentes", {"AgeCod"}, "No se ha podido abrir el fichero :Agecod.ntx.\n\r",
       "\n\rCompruebe este fichero en el directorio :..\\DBF01\\"},
  };
  for (const Case& c : cases) {
    for (const bool quiet : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (quiet ? " quiet" : ""));
      ui().messages.clear();
      errors.clear();
      ViewBegin(quiet);
      ViewAdd({.table = "Clientes", .indexes = {"x"}});
      ViewAdd({.table = c.table, .indexes = c.indexes, .driver = c.driver});
      EXPECT_EQ(nOpenView(), 0);
      EXPECT_FALSE(IsOpen("Clientes1"));
      EXPECT_EQ(nChgFiles(), 0);
      EXPECT_FALSE(errors.empty());  // the program's error block heard of it
      if (quiet) {
        EXPECT_TRUE(ui().messages.empty());
        continue;
      }
      ASSERT_EQ(ui().messages.size(), 1u);
      const auto& m = ui().messages[0];
      EXPECT_EQ(m.kind, "stop");
      EXPECT_EQ(m.title, "Atención");
      EXPECT_EQ(m.text.substr(0, c.text_begins.size()), c.text_begins) << m.text;
      ASSERT_GT(m.text.size(), c.text_begins.size() + c.text_ends.size()) << m.text;  // the engine's words between
      EXPECT_EQ(m.text.substr(m.text.size() - c.text_ends.size()), c.text_ends) << m.text;
    }
  }
  EXPECT_EQ(memory().Contents("..\\DBF01\\Articulo.dbf"), article_bytes);
  // The failed views gave back their aliases.
  std::vector<std::string> aliases;
  EXPECT_EQ(OpenView({"Clientes"}, &aliases), 1);
  EXPECT_EQ(aliases, (std::vector<std::string>{"Clientes1"}));
}

// A temporary table that cannot be made: every cause has its message, those the view has
// none of its own for naming the file.
TEST_F(TableViewsTest, ATemporaryTableThatCannotBeMadeSaysWhy) {
  struct Case {
    int os_code;
    const char* text_begins;
  };
  const Case cases[] = {
      {4, "Ha superado el máximo número de ficheros abiertos."},
      {13, "No se ha podido abrir el fichero :Tmpinf050.dbf.\n\r"},
      {112, "No se ha podido abrir el fichero :Tmpinf050.dbf.\n\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.os_code);
    ui().messages.clear();
    failing().Fail("TmpInf050.dbf", c.os_code, 1);
    ViewBegin();
    ViewAdd({.table = "Articulo"});
    ViewAddTemp({.base = "TmpInf", .structure_of = "1"});
    EXPECT_EQ(nOpenView(), 0);
    EXPECT_FALSE(IsOpen("Articulo1"));
    EXPECT_EQ(nChgFiles(), 0);
    ASSERT_EQ(ui().messages.size(), 1u);
    EXPECT_EQ(ui().messages[0].kind, "stop");
    EXPECT_EQ(ui().messages[0].title, "Atención");
    const std::string begins = c.text_begins;
    EXPECT_EQ(ui().messages[0].text.substr(0, begins.size()), begins) << ui().messages[0].text;
  }
  EXPECT_FALSE(Exists("..\\TMP\\TmpInf050.dbf"));
}

TEST_F(TableViewsTest, NoViewOpensATableWhenFewerThanSixteenHandlesWouldRemain) {
  nHandlers(18);
  ASSERT_EQ(OpenView({"Clientes"}), 1);  // 0 files open, at most 2: 2 with its index
  EXPECT_EQ(OpenView({"Articulo"}), 2);  // 2: 3
  EXPECT_EQ(OpenView({"Articulo"}), 0);  // 3 > 2
  EXPECT_EQ(OpenView({"Clientes", "Articulo"}), 0);
  EXPECT_EQ(nChgFiles(), 3);
  ASSERT_EQ(ui().messages.size(), 2u);
  EXPECT_EQ(ui().messages[0].kind, "alert");
  EXPECT_EQ(ui().messages[0].title, "Atención");
  EXPECT_EQ(ui().messages[0].text,
            "Ha superado el máximo número de ficheros abiertos.\n\rDebe cerrar algún proceso activo\n\r"
            " o reconfigurar el parámetro FILES del CONFIG.SYS");
}

TEST_F(TableViewsTest, UnderCdxAnIndexListOnlyAsksForTheStructuralIndex) {
  ViewBegin();
  ViewAdd({.table = "Clientes", .indexes = {"nada", "de", "esto"}});
  ViewAdd({.table = "Clientes"});
  ASSERT_EQ(nOpenView(), 1);
  EXPECT_EQ(AreaOf("Clientes1").controlling_order(), 1);
  EXPECT_EQ(AreaOf("Clientes1").OrderCount(), 2);
  EXPECT_EQ(AreaOf("Clientes2").controlling_order(), 0);  // no list: record order
  RestoreView(1);

  // A table whose index file is gone opens without it, in record order.
  ASSERT_TRUE(memory().Remove("..\\DBF01\\Clientes.cdx").ok());
  EXPECT_EQ(OpenView({"Clientes"}), 1);
  EXPECT_EQ(AreaOf("Clientes1").OrderCount(), 0);
  EXPECT_EQ(AreaOf("Clientes1").recno(), 1u);
  EXPECT_EQ(nChgFiles(), 1);
  EXPECT_FALSE(AreaOf("Clientes1").table().structural_index());
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(TableViewsTest, UnderNtxEachIndexIsAFileOfItsOwn) {
  xb::rdd::SetDefaultDriver("DBFNTX");
  CreateTable("..\\DBF01\\Agentes.dbf", {{"CODIGO", 'C', 6, 0}, {"NOMBRE", 'C', 20, 0}}, 5,
              [](xb::rdd::WorkArea& a, int n) { a.PutField(1, Value::String("C" + std::to_string(6 - n))); });
  X("DBUSEAREA(.T., 'DBFNTX', '..\\DBF01\\Agentes.dbf', 'MAKING', .F.)");
  X("ORDCREATE('..\\DBF01\\CliNom', 'NOMBRE', 'NOMBRE')");
  X("ORDCREATE('..\\DBF01\\CliCod', 'CODIGO', 'CODIGO')");
  X("DBCLOSEAREA()");
  ViewBegin();
  ViewAdd({.table = "Agentes", .indexes = {"CliCod", "CliNom"}});
  ASSERT_EQ(nOpenView(), 1);
  EXPECT_EQ(AreaOf("Agentes1").OrderCount(), 2);
  EXPECT_EQ(AreaOf("Agentes1").controlling_order(), 1);
  EXPECT_EQ(AreaOf("Agentes1").recno(), 5u);  // CODIGO first
  EXPECT_EQ(nChgFiles(), 3);
  RestoreView(1);
  EXPECT_EQ(nChgFiles(), 0);

  // A missing index file fails the view.
  ViewBegin();
  ViewAdd({.table = "Agentes", .indexes = {"CliCod", "Falta"}});
  EXPECT_EQ(nOpenView(), 0);
  EXPECT_FALSE(IsOpen("Agentes1"));
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text,
            "No se ha encontrado el fichero que se intentaba abrir :Falta.dbf\n\r"
            "Compruebe que este fichero exista en el directorio :..\\DBF01\\");
}

TEST_F(TableViewsTest, TheFolderComesFromTheLayout) {
  struct Case {
    const char* name;
    std::function<void()> layout;
    ViewTable table;
    std::string file;
  };
  const Case cases[] = {
      {"company", [] {}, {.table = "Clientes"}, "..\\DBF01\\Clientes.dbf"},
      {"explicit folder", [] { lRistelo(true); }, {.table = "Clientes", .folder = "..\\OTRA\\"},
       "..\\OTRA\\Clientes.dbf"},
      {"accounting layout", [] { lRistelo(true); cCodEmp("07"); }, {.table = "Clientes"}, "EMP07\\Clientes07.dbf"},
      {"accounting data", [] { cDbfConta("..\\CONTA\\"); cCodEmp("07"); }, {.table = "Clientes", .accounting = true},
       "..\\CONTA\\Clientes07.dbf"},
      {"second set", [] { cDbfConta2("..\\CONTA2\\"); cCodEmp2("08"); },
       {.table = "Clientes", .second_accounting = true}, "..\\CONTA2\\Clientes08.dbf"},
      {"new accounting", [] { cDbfConta("..\\CONTA\\"); cCodEmp("07"); lNewConta(true); },
       {.table = "Clientes", .accounting = true}, "..\\CONTA\\Clientes.dbf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lRistelo(false);
    lNewConta(false);
    c.layout();
    CreateTable(c.file, kClientes);
    ViewBegin();
    ViewAdd(c.table);
    const int view = nOpenView();
    ASSERT_GT(view, 0);
    EXPECT_EQ(AreaOf("Clientes1").table().path(), c.file);
    RestoreView(view);
  }
}

// The catalogue's tags: those of the entry of the table's own name, else those of the first
// entry, in list order, that begins with it; blanks and case do not count. CALLINDEX by name.
TEST_F(TableViewsTest, TheCatalogueGivesTheTagsOfTheTable) {
  xb::RegisterFunction("AINDEXCHAIN", [](xb::Args&) {
    return Value(xb::Array::Of({Value::String("ConfKeyD  , ConfKD "), Value::String(" ConfKey, ConfKE"),
                                Value::String("Clientes, cCodCli, cNomCli, cNifCli"),
                                Value::String("Cierres,nCierres1"), Value::String("Cierreca,cCierreCa1,cCierreCa2")}));
  });
  struct Case {
    const char* table;
    std::vector<std::string> tags;
  };
  const Case cases[] = {
      {"ConfKey", {"ConfKE"}},                            // its own entry, though ConfKeyD comes first
      {"CONFKEYD", {"ConfKD"}},
      {"Clientes", {"cCodCli", "cNomCli", "cNifCli"}},
      {"Cliente", {"cCodCli", "cNomCli", "cNifCli"}},     // no entry of its own: the first that begins so
      {"Cierre", {"nCierres1"}},
      {" cierreca ", {"cCierreCa1", "cCierreCa2"}},
      {"Articulo", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    EXPECT_EQ(CatalogueTags(c.table), c.tags);
    std::vector<std::string> by_name;
    for (const Value& tag : X(std::string("CALLINDEX('") + c.table + "')").AsArray()) by_name.emplace_back(tag.AsString());
    EXPECT_EQ(by_name, c.tags);
  }
  ViewBegin();
  ViewAdd({.table = "Clientes", .from_catalogue = true});
  ViewAdd({.table = "Articulo", .indexes = {"x"}, .from_catalogue = true});  // no entry: no tags
  ASSERT_EQ(nOpenView(), 1);
  EXPECT_EQ(AreaOf("Clientes1").controlling_order(), 1);
  EXPECT_EQ(AreaOf("Articulo1").controlling_order(), 0);
  xb::RegisterFunction("AINDEXCHAIN", [](xb::Args&) { return Value(xb::Array::New()); });
}

TEST_F(TableViewsTest, TemporaryTablesCopyAStructureAndVanishAtTheClose) {
  X("cTmp := 'antes'");
  ViewBegin();
  ViewAdd({.table = "Clientes", .indexes = {"x"}});
  ViewAddTemp({.base = "TmpInf", .structure_of = "1", .keys = {"NOMBRE", "CODIGO"}}, RefTo("cTmp"));
  ViewAddTemp({.base = "TmpInf", .structure_of = "1", .keep = true});
  EXPECT_EQ(X("cTmp").AsString(), "TmpInf051");
  const int view = nOpenView();
  ASSERT_EQ(view, 1);
  xb::rdd::WorkArea& tmp = AreaOf("TmpInf051");
  EXPECT_EQ(tmp.table().path(), "..\\TMP\\TmpInf050.dbf");
  EXPECT_FALSE(tmp.table().shared());
  EXPECT_EQ(tmp.FieldCount(), 3);
  EXPECT_EQ(X("TmpInf051->(ORDNAME(1)) + TmpInf051->(ORDNAME(2))").AsString(), "TAG21TAG22");
  EXPECT_EQ(tmp.controlling_order(), 1);
  EXPECT_EQ(AreaOf("TmpInf052").table().path(), "..\\TMP\\TmpInf051.dbf");
  EXPECT_EQ(nChgFiles(), 5);
  EXPECT_TRUE(Exists("..\\TMP\\TmpInf050.fpt"));

  EXPECT_TRUE(RestoreView(view));
  for (const char* file : {"TmpInf050.dbf", "TmpInf050.cdx", "TmpInf050.fpt"})
    EXPECT_FALSE(Exists(std::string("..\\TMP\\") + file)) << file;
  EXPECT_TRUE(Exists("..\\TMP\\TmpInf051.dbf"));  // kept
  EXPECT_EQ(X("cTmp").AsString(), "antes");
  EXPECT_EQ(nChgFiles(), 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(TableViewsTest, ATemporaryNameHeldElsewhereIsPassedOver) {
  CreateTable("..\\TMP\\TmpInf050.dbf", kClientes);
  CreateTable("..\\TMP\\TmpInf051.dbf", kClientes);  // left behind, free to erase
  const int holder = Use("..\\TMP\\TmpInf050.dbf", "HOLDER", true);
  ASSERT_GT(holder, 0);
  ViewBegin();
  ViewAdd({.table = "Articulo"});
  ViewAddTemp({.base = "TmpInf", .structure_of = "1"});
  ASSERT_EQ(nOpenView(), 1);
  EXPECT_EQ(AreaOf("TmpInf051").table().path(), "..\\TMP\\TmpInf051.dbf");
  EXPECT_EQ(AreaOf("TmpInf051").FieldCount(), 1);  // made anew
  EXPECT_TRUE(Exists("..\\TMP\\TmpInf050.dbf"));

  // TMPERASE closes and erases it at once; the view then closes without it.
  EXPECT_TRUE(X("TMPERASE('TmpInf051')").AsLogical());
  EXPECT_FALSE(IsOpen("TmpInf051"));
  EXPECT_FALSE(Exists("..\\TMP\\TmpInf051.dbf"));
  EXPECT_FALSE(TmpErase("TmpInf051"));
  EXPECT_TRUE(RestoreView(1));
  EXPECT_EQ(nChgFiles(), 0);
}

TEST_F(TableViewsTest, ATemporaryTableWithoutAnEarlierSourceFailsTheView) {
  for (const char* source : {"2", "3", "0", "x", ""}) {
    SCOPED_TRACE(source);
    ViewBegin();
    ViewAdd({.table = "Articulo"});
    ViewAddTemp({.base = "TmpInf", .structure_of = source});
    EXPECT_EQ(nOpenView(), 0);
    EXPECT_FALSE(IsOpen("Articulo1"));
  }
  EXPECT_FALSE(Exists("..\\TMP\\TmpInf050.dbf"));
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(ui().messages.empty());

  // A temporary folder that is not there: the directory message, "aplicación" in lower case.
  ViewBegin();
  ViewAdd({.table = "Articulo"});
  ViewAddTemp({.base = "TmpInf", .structure_of = "1", .folder = "..\\NOHAY"});
  EXPECT_EQ(nOpenView(), 0);
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text,
            "El directorio :..\\NOHAY\\ no existe o no es accesible.\n\rCompruebe los directorios de la aplicación");
}

}  // namespace
}  // namespace data
