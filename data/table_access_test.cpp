#include "data/table_access.h"

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "runtime/rdd/dbf_table.h"

namespace data {
namespace {

using testing::DataTest;
using xb::Value;

const std::vector<xb::rdd::dbf::FieldSpec> kClientes = {{"CODIGO", 'C', 6, 0}, {"NOMBRE", 'C', 30, 0}};
const std::string kTable = "..\\DBF01\\CLIENTES.DBF";

class TableAccessTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    CreateTable(kTable, kClientes, 3, [](xb::rdd::WorkArea& a, int n) {
      a.PutField(1, Value::String("C" + std::to_string(n)));
    });
    failing().ForgetOpens();
  }
  NetUseOptions Options(int retries, std::string alias = {}) {
    NetUseOptions o;
    o.retries = retries;
    o.alias = std::move(alias);
    return o;
  }
};

// ---- opening -----------------------------------------------------------------------------

TEST_F(TableAccessTest, OpensSharedUnderTheFileNameAndSelectsTheOrderOfItsIndex) {
  EXPECT_TRUE(lNetUse("..\\DBF01\\Clientes"));
  EXPECT_EQ(X("ALIAS()").AsString(), "CLIENTES");
  EXPECT_EQ(X("INDEXORD()").AsInt(), 0);  // no index file: no order
  X("ORDCREATE(, 'NOMBRE', 'NOMBRE')");
  X("ORDCREATE(, 'CODIGO', 'CODIGO')");
  X("DBCLOSEAREA()");

  NetUseOptions o;
  o.order = 2;
  o.alias = "Cli";
  ASSERT_TRUE(lNetUse("..\\DBF01\\Clientes", o));
  EXPECT_EQ(X("ALIAS()").AsString(), "CLI");
  EXPECT_EQ(X("ORDNAME(INDEXORD())").AsString(), "CODIGO");
  // Shared: another area opens it too.
  EXPECT_TRUE(lNetUse("..\\DBF01\\Clientes", Options(1, "Otro")));
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(TableAccessTest, ExclusiveUseKeepsOthersOut) {
  NetUseOptions o;
  o.exclusive = true;
  ASSERT_TRUE(lNetUse(kTable, o));
  EXPECT_FALSE(lNetUse(kTable, Options(1, "Otro")));
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].title, "Acceso denegado");
}

// Each known cause gives its own message at once, whatever the retry count, and false.
TEST_F(TableAccessTest, KnownCausesGiveTheirMessageOnceWithoutRetrying) {
  struct Case {
    int os_code;
    const char* kind;
    const char* title;
    std::string text;
  };
  const Case cases[] = {
      {2, "stop", "Atención",
       "No se ha encontrado el fichero que se intentaba abrir :Clientes.dbf.\n\r"
       "Compruebe que este fichero exista en el directorio :\n\r..\\DBF01\\"},
      {3, "stop", "Atención",
       "El directorio :..\\dbf01\\ no existe o no es accesible.\n\rCompruebe los directorios de la aplicación"},
      {4, "stop", "Atención",
       "Ha superado el máximo número de ficheros abiertos.\n\rDebe cerrar algún proceso activo\n\r"
       " o reconfigurar el parámetro FILES del CONFIG.SYS"},
      {5, "alert", "Acceso denegado",
       "Es necesario tener acceso exclusivo al fichero Clientes.dbf. Revise los procesos abiertos"},
      {32, "alert", "Acceso denegado",
       "Es necesario tener acceso exclusivo al fichero Clientes.dbf. Revise los procesos abiertos"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.os_code);
    ui().messages.clear();
    failing().Fail("CLIENTES.DBF", c.os_code);
    const std::uint32_t before = ui().Elapsed();
    const std::size_t opens = failing().OpenTimes("CLIENTES.DBF").size();
    EXPECT_FALSE(lNetUse("..\\dbf01\\clientes", Options(10)));
    EXPECT_EQ(failing().OpenTimes("CLIENTES.DBF").size(), opens + 1);
    EXPECT_EQ(ui().Elapsed(), before);
    ASSERT_EQ(ui().messages.size(), 1u);
    EXPECT_EQ(ui().messages[0].kind, c.kind);
    EXPECT_EQ(ui().messages[0].title, c.title);
    EXPECT_EQ(ui().messages[0].text, c.text);
    EXPECT_EQ(nErrorCode(), 0);
    EXPECT_FALSE(X("USED()").AsLogical());
  }
  EXPECT_TRUE(errors.empty());  // quiet failures never reach the program's error block
}

TEST_F(TableAccessTest, AMissingTableGivesOneMessageEvenWithTenRetries) {
  EXPECT_FALSE(lNetUse("..\\DBF01\\Articulo", Options(10)));
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text,
            "No se ha encontrado el fichero que se intentaba abrir :Articulo.dbf.\n\r"
            "Compruebe que este fichero exista en el directorio :\n\r..\\DBF01\\");
  EXPECT_EQ(ui().Elapsed(), 0u);
}

TEST_F(TableAccessTest, AnotherProcessHoldingTheTableExclusivelyIsASharingConflict) {
  ASSERT_GT(Use(kTable, "DUENO", false), 0);
  EXPECT_FALSE(lNetUse(kTable, Options(0)));
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].kind, "alert");
  EXPECT_EQ(ui().Elapsed(), 0u);
  EXPECT_EQ(failing().OpenTimes("CLIENTES.DBF").size(), 2u);  // the holder's open and one attempt
}

TEST_F(TableAccessTest, OtherFailuresAreTriedAgainOneSecondApart) {
  struct Case {
    int retries;
    std::vector<std::uint32_t> opens;
  };
  const Case cases[] = {
      {1, {0}},
      {3, {0, 1000, 2000}},
      {0, {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000}},  // up to ten attempts
      {25, {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.retries);
    TearDown();
    SetUp();
    failing().Fail("CLIENTES.DBF", 33);  // lock violation: not one of the known causes
    EXPECT_FALSE(lNetUse(kTable, Options(c.retries)));
    EXPECT_EQ(failing().OpenTimes("CLIENTES.DBF"), c.opens);
    EXPECT_EQ(ui().Elapsed(), c.opens.back());  // no wait after the last attempt
    EXPECT_TRUE(ui().messages.empty());
    // The program's error handler saw each failure.
    ASSERT_EQ(errors.size(), c.opens.size());
    EXPECT_EQ(errors[0]->genCode, xb::EG_OPEN);
    EXPECT_EQ(errors[0]->osCode, 33);
  }
}

TEST_F(TableAccessTest, AFailureThatPassesEndsInTheOpenTable) {
  failing().Fail("CLIENTES.DBF", 33, 2);
  EXPECT_TRUE(lNetUse(kTable, Options(0)));
  EXPECT_EQ(failing().OpenTimes("CLIENTES.DBF"), (std::vector<std::uint32_t>{0, 1000, 2000}));
  EXPECT_EQ(X("ALIAS()").AsString(), "CLIENTES");
}

// A failed open never reports success, whatever the program's error block answered.
TEST_F(TableAccessTest, TrueOnlyWhenTheAreaHoldsTheTableUnderTheAskedAlias) {
  ASSERT_GT(Use(kTable, "CLI", true), 0);
  EXPECT_FALSE(lNetUse(kTable, Options(1, "Cli")));  // the alias is taken
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0]->genCode, xb::EG_DUPALIAS);
  EXPECT_FALSE(lNetUse(kTable, Options(1, "1abc")));  // not an alias
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(TableAccessTest, OpensInTheCurrentAreaWhenAsked) {
  NetUseOptions o;
  o.new_area = false;
  X("DBSELECTAREA(7)");
  ASSERT_TRUE(lNetUse(kTable, o));
  EXPECT_EQ(X("SELECT()").AsInt(), 7);
}

TEST_F(TableAccessTest, TheLastOpenErrorAndTheFirstTimeFlag) {
  qz_lPrimero(false);
  EXPECT_EQ(X("NERRORCODE(32)").AsInt(), 32);
  EXPECT_EQ(X("NERRORCODE()").AsInt(), 32);
  EXPECT_FALSE(qz_lPrimero());
  EXPECT_EQ(X("NERRORCODE(0)").AsInt(), 0);
  EXPECT_TRUE(qz_lPrimero());
}

TEST_F(TableAccessTest, AnOpenOutsideTheLayerFailsQuietlyOnlyUnderItsScope) {
  failing().Fail("CLIENTES.DBF", 2);
  {
    QuietTableFailures quiet;
    EXPECT_FALSE(X("DBUSEAREA(.T., , '" + kTable + "')").AsLogical());
  }
  EXPECT_TRUE(X("NETERR()").AsLogical());
  EXPECT_EQ(nErrorCode(), 2);
  EXPECT_TRUE(errors.empty());
  nErrorCode(0);
  EXPECT_FALSE(X("DBUSEAREA(.T., , '" + kTable + "')").AsLogical());
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(nErrorCode(), 0);
}

// ---- drivers and index flags -----------------------------------------------------------------

TEST_F(TableAccessTest, EveryOpenGoesThroughTheAdsDriver) {
  xb::rdd::SetDefaultDriver("DBFNTX");
  EXPECT_TRUE(X("_DBUSEAREA(.T., 'DBFNTX', '" + kTable + "', 'C', .T.)").AsLogical());
  EXPECT_EQ(X("RDDNAME()").AsString(), "ADS");
  EXPECT_TRUE(lNetUse(kTable, Options(1, "Otro")));
  EXPECT_EQ(X("RDDNAME()").AsString(), "ADS");

  EXPECT_EQ(X("XDBSETDRIVER()").AsString(), "DBFCDX");
  EXPECT_EQ(xb::rdd::DefaultDriver().name, "DBFNTX");
  EXPECT_EQ(X("XDBSETDRIVER('DBFNTX')").AsString(), "DBFCDX");
  EXPECT_EQ(xb::rdd::DefaultDriver().name, "ADS");
}

TEST_F(TableAccessTest, CheckMdxClearsTheIndexFlagOnlyWhenTheIndexFileIsGone) {
  ASSERT_TRUE(lNetUse(kTable));
  X("ORDCREATE(, 'CODIGO', 'CODIGO')");
  X("DBCLOSEAREA()");
  auto flag = [&] { return static_cast<unsigned char>(memory().Contents(kTable)[28]) & 1; };
  ASSERT_EQ(flag(), 1);
  CheckMdx("..\\DBF01\\Clientes");
  EXPECT_EQ(flag(), 1);
  ASSERT_TRUE(memory().Remove("..\\DBF01\\CLIENTES.CDX").ok());
  X("CHECKMDX('..\\DBF01\\Clientes.dbf')");
  EXPECT_EQ(flag(), 0);
  EXPECT_EQ(IndexFileOf("..\\DBF01\\Clientes.dbf"), "..\\DBF01\\Clientes.cdx");
}

// ---- appending and locking -------------------------------------------------------------------

class LockTest : public TableAccessTest {
 protected:
  void SetUp() override {
    TableAccessTest::SetUp();
    // Another process: the table opened shared in an area of its own.
    other_ = Use(kTable, "OTRO", true);
    ASSERT_GT(other_, 0);
    ASSERT_TRUE(lNetUse(kTable));
    mine_ = areas().CurrentArea();
  }
  // Runs xBase text in the other process's area.
  Value InOther(const std::string& text) {
    const int back = areas().SelectArea(other_);
    Value v = X(text);
    areas().SelectArea(back);
    return v;
  }
  int other_ = 0, mine_ = 0;
};

TEST_F(LockTest, RecordLockWaitsHalfASecondBetweenAttemptsWhileMessagesRun) {
  ASSERT_TRUE(InOther("RLOCK()").AsLogical());
  std::vector<std::uint32_t> runs;
  ui().on_messages = [&](std::uint32_t t) { runs.push_back(t); };
  EXPECT_FALSE(lNetRecLock());
  EXPECT_EQ(ui().Elapsed(), 1000u);  // three attempts: at 0, 500 and 1000 ms
  EXPECT_FALSE(runs.empty());
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].kind, "alert");
  EXPECT_EQ(ui().messages[0].text, "El registro que se intenta procesar está bloqueado");
  EXPECT_EQ(ui().messages[0].title, "Acceso denegado");
}

TEST_F(LockTest, RecordLockWithoutLimitWaitsUntilTheOtherLetsGo) {
  ASSERT_TRUE(InOther("RLOCK()").AsLogical());
  ui().on_messages = [&](std::uint32_t t) {
    if (t >= 7000) InOther("DBUNLOCK()");
  };
  EXPECT_TRUE(X("LNETRECLOCK(0)").AsLogical());
  EXPECT_GE(ui().Elapsed(), 7000u);
  EXPECT_LE(ui().Elapsed(), 7500u);
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_EQ(X("DBRLOCKLIST()[1]").AsInt(), 1);
}

TEST_F(LockTest, FileLockWithoutSecondsWaitsOneSecond) {
  ASSERT_TRUE(InOther("RLOCK()").AsLogical());
  EXPECT_FALSE(X("FILLOCK()").AsLogical());
  EXPECT_EQ(ui().Elapsed(), 1000u);
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text, "El fichero que se intenta procesar está bloqueado");
  EXPECT_EQ(ui().messages[0].title, "Acceso denegado");
  ui().messages.clear();
  InOther("DBUNLOCK()");
  EXPECT_TRUE(FilLock(3));
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(LockTest, AppendTriesThreeTimesInASecondAndKeepsTryingWithZero) {
  ASSERT_TRUE(InOther("FLOCK()").AsLogical());
  const auto count = X("LASTREC()").AsInt();
  EXPECT_FALSE(X("LNETRECADD()").AsLogical());
  EXPECT_EQ(ui().Elapsed(), 1000u);
  EXPECT_TRUE(errors.empty());  // the append lock failure is quiet
  EXPECT_EQ(X("LASTREC()").AsInt(), count);

  ui().on_messages = [&](std::uint32_t t) {
    if (t >= 4000) InOther("DBUNLOCK()");
  };
  EXPECT_TRUE(lNetRecAdd(0));
  EXPECT_EQ(X("LASTREC()").AsInt(), count + 1);
  EXPECT_EQ(X("DBRLOCKLIST()[1]").AsInt(), count + 1);
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(LockTest, LockQuestionAsksUntilTheUserGivesUp) {
  ASSERT_TRUE(InOther("RLOCK()").AsLogical());
  ui().give_up_answers = {false, false, true};
  EXPECT_FALSE(X("LNETQSTLOCK({'Ficha en uso', 'por otro usuario', 'Reintentar?', 'de más'})").AsLogical());
  ASSERT_EQ(ui().questions.size(), 3u);
  EXPECT_EQ(ui().questions[0], (std::vector<std::string>{"Ficha en uso", "por otro usuario", "Reintentar?"}));

  // The other process lets go while the question is up the second time.
  ui().questions.clear();
  ui().give_up_answers = {false, false};
  ui().on_question = [&] {
    if (ui().questions.size() == 2) InOther("DBUNLOCK()");
  };
  EXPECT_TRUE(lNetQstLock({"x"}));
  EXPECT_EQ(ui().questions.size(), 2u);
}

TEST_F(LockTest, WithoutATableNothingIsWaitedFor) {
  X("DBSELECTAREA(50)");
  EXPECT_FALSE(lNetRecLock(0));
  EXPECT_FALSE(lNetRecAdd(0));
  EXPECT_FALSE(FilLock(0));
  EXPECT_FALSE(lNetQstLock({}));
  EXPECT_EQ(ui().Elapsed(), 0u);
  EXPECT_EQ(errors.size(), 4u);  // each says once that no table is in use
  EXPECT_TRUE(ui().questions.empty());
}

// ---- waiting ---------------------------------------------------------------------------------

TEST_F(TableAccessTest, SecondsAreMeasuredAcrossTheTickCountsWrapAround) {
  ui().tick = 0xFFFFFF00u;
  ui().start = ui().tick;
  X("SEGUNDOS(1.5)");
  EXPECT_EQ(ui().Elapsed(), 1500u);
  EXPECT_LT(ui().tick, 0x1000u);  // it wrapped
  Segundos(0);
  Segundos(-3);
  EXPECT_EQ(ui().Elapsed(), 1500u);
}

}  // namespace
}  // namespace data
