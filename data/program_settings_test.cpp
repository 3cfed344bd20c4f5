#include "data/program_settings.h"

#include "data/data_test_support.h"
#include "data/sde_index.h"
#include "data/table_access.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/os_files.h"

namespace data {
namespace {

using testing::DataTest;
using xb::Value;

using ProgramSettingsTest = DataTest;

// Accessors store what they are given and answer it; the company's code, name and record
// answer what they held before.
TEST_F(ProgramSettingsTest, AccessorsAnswerTheNewValueOrTheOneHeldBefore) {
  struct Case {
    const char* first;   // the accessor given a value
    const char* answer;  // its answer
    const char* again;   // called again without one
  };
  const Case cases[] = {
      {"CPATHDBF('..\\DBF01\\')", "'..\\DBF01\\'", "'..\\DBF01\\'"},
      {"CPATHSTART('..\\DBF\\')", "'..\\DBF\\'", "'..\\DBF\\'"},
      {"CPATHTMP('..\\TMP\\')", "'..\\TMP\\'", "'..\\TMP\\'"},
      {"CTITLE('Vendaro')", "'Vendaro'", "'Vendaro'"},
      {"CEMPCODIGO('07')", "'07'", "'07'"},
      {"LNETWORK(.T.)", ".T.", ".T."},
      {"LRISTELO(.T.)", ".T.", ".T."},
      {"CCODEMPRESA('01')", "''", "'01'"},
      {"CCODEMPRESA('02')", "'01'", "'02'"},
      {"CNOMEMPRESA('Ferretería')", "''", "'Ferretería'"},
      {"ASTEMPRESA({'01', 'Ferretería'})", "NIL", "{'01', 'Ferretería'}"},
      {"NHANDLERS(255)", "255", "255"},
      {"NCHGFILES(2)", "2", "2"},
      {"NCHGFILES(3)", "5", "5"},
      {"NCHGFILES(-5)", "0", "0"},
      {"DSETDATE(STOD('20030601'))", "STOD('20030601')", "STOD('20030601')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    const std::string name = std::string(c.first).substr(0, std::string(c.first).find('('));
    const Value answer = X(c.first);
    const Value expected = X(c.answer);
    if (expected.IsArray()) {
      EXPECT_TRUE(answer.IsArray());
    } else {
      EXPECT_TRUE(X("{|a, b| a == b}").AsBlock().Eval({answer, expected}).AsLogical());
    }
    const Value now = X(name + "()");
    const Value expected_now = X(c.again);
    if (expected_now.IsArray()) {
      ASSERT_TRUE(now.IsArray());
      EXPECT_EQ(now.AsArray().Get(1).AsString(), "Ferretería");
    } else {
      EXPECT_TRUE(X("{|a, b| a == b}").AsBlock().Eval({now, expected_now}).AsLogical());
    }
  }
  // A value of another type is not stored.
  X("CPATHDBF(12)");
  EXPECT_EQ(cPathDbf(), "..\\DBF01\\");
  EXPECT_EQ(cCodEmpresa("03"), "02");
  EXPECT_EQ(cCodEmpresa(), "03");
}

TEST_F(ProgramSettingsTest, ConstantsAndTheDialogNames) {
  EXPECT_EQ(X("CFONTNAME()").AsString(), "MS Sans Serif");
  EXPECT_EQ(X("NFONTVSIZE()").AsInt(), 0);
  EXPECT_EQ(X("NFONTHSIZE()").AsInt(), -12);
  EXPECT_EQ(X("__PRODUCT()").AsString(), "VENDARO");
  EXPECT_EQ(X("APPMAINEXENAME()").AsString(), "Vdr.exe");
  EXPECT_EQ(X("GETDLGNAMES()[1][1]").AsString(), "INDEXBAR");
  EXPECT_EQ(X("GETDLGNAMES()[1][2]").AsInt(), 10222);
  EXPECT_EQ(X("LEN(GETDLGNAMES())").AsInt(), 1);
  EXPECT_TRUE(X("QZ_LPRIMERO()").AsLogical());
  EXPECT_TRUE(X("OWND()").IsNil());
}

xb::LocalTime g_now;
xb::LocalTime FixedNow() { return g_now; }

class ArranqueTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    cwd_ = xb::os::CurrentDir();
    previous_clock_ = xb::SetClock(&FixedNow);
  }
  void TearDown() override {
    xb::SetClock(previous_clock_);
    xb::os::ChangeDir(cwd_);
    DataTest::TearDown();
  }
  std::string cwd_;
  xb::ClockFn previous_clock_ = nullptr;
};

TEST_F(ArranqueTest, PreparesFoldersDateAndRunTimeSettings) {
  g_now = {2026, 3, 15, 10, 0, 0, 0};
  cPathExe(".\\");
  cPathInforme("..\\INF\\");
  cPathDbfDelegacion("..\\DEL\\");
  EXPECT_FALSE(X("ARRANQUE('..\\DBF\\\\', .T.)").AsLogical());
  EXPECT_EQ(cPathStart(), "..\\DBF\\");
  EXPECT_EQ(cPathExe(), "");
  EXPECT_EQ(cPathInforme(), "");
  EXPECT_EQ(cPathDbfDelegacion(), "");
  EXPECT_TRUE(lNetwork());
  EXPECT_EQ(dSetDate(), xb::Date::FromYmd(2026, 3, 15));
  EXPECT_EQ(nHandlers(), X("SETHANDLECOUNT()").AsInt());
  if (!xb::IsFunctionRegistered("TCURSOR")) {
    EXPECT_TRUE(oHand().IsNil());  // no cursor class without windows
  }

  const xb::SetValues& s = xb::Sets();
  EXPECT_FALSE(s.confirm);
  EXPECT_EQ(s.dateFormat, "dd-mm-yy");  // as it was set
  EXPECT_TRUE(s.deleted);
  EXPECT_TRUE(s.escape);
  EXPECT_TRUE(s.exclusive);
  EXPECT_TRUE(s.intensity);
  EXPECT_FALSE(s.scoreboard);
  EXPECT_TRUE(s.wrap);
  EXPECT_EQ(s.epoch, 1946);
  EXPECT_EQ(X("CDOW(STOD('20260315'))").AsString(), "Domingo");
  // The program's folder is the current one now.
  EXPECT_EQ(X("FILE('data_tests')").AsLogical() || X("FILE('data_tests.exe')").AsLogical(), true);
}

TEST_F(ArranqueTest, TwoDigitYearsFallInTheEightyYearsBeforeThisOne) {
  struct Case {
    int year;
    const char* typed;
    const char* expected;
  };
  const Case cases[] = {
      {2026, "15-03-30", "20300315"}, {2026, "15-03-45", "20450315"}, {2026, "15-03-46", "19460315"},
      {2026, "15-03-99", "19990315"}, {2003, "15-03-20", "20200315"}, {2003, "15-03-23", "19230315"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    g_now = {c.year, 1, 1, 0, 0, 0, 0};
    Arranque("..\\DBF\\", false);
    EXPECT_EQ(X(std::string("DTOS(CTOD('") + c.typed + "'))").AsString(), c.expected);
  }
}

TEST_F(ArranqueTest, StartFolderDefaultsFromTheCurrentDirectoryAndDatesFollowTheCentury) {
  g_now = {2026, 3, 15, 10, 0, 0, 0};
  xb::SetCentury(true);
  const std::string current(X("CURDIR()").AsString());
  Arranque("", false);
  EXPECT_EQ(cPathStart(), current.empty() ? ".\\" : "\\" + current + "\\");
  EXPECT_EQ(xb::Sets().dateFormat, "dd-mm-yyyy");
  EXPECT_FALSE(lNetwork());
}

// ---- company leaving ---------------------------------------------------------------------------

const std::vector<xb::rdd::dbf::FieldSpec> kEmpresa = {
    {"CODEMP", 'C', 2, 0}, {"CNOMBRE", 'C', 30, 0}, {"LACTIVA", 'L', 1, 0}, {"USO", 'N', 3, 0}};

class EmpResetTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    cPathStart("..\\DBF\\");
    CreateTable("..\\DBF\\Empresa.dbf", kEmpresa, 3, [](xb::rdd::WorkArea& a, int n) {
      a.PutField(1, Value::String("0" + std::to_string(n)));
      a.PutField(4, Value::Integer(n - 1));  // 01: 0 users, 02: 1, 03: 2
    });
    NetUseOptions o;
    o.exclusive = true;
    ASSERT_TRUE(lNetUse("..\\DBF\\Empresa", o));
    X("ORDCREATE(, 'CodEmp', 'CODEMP')");
    X("DBCLOSEAREA()");
  }
  int Uso(const std::string& code) {
    const int back = areas().CurrentArea();
    EXPECT_TRUE(lNetUse("..\\DBF\\Empresa", {}));
    X("DBSEEK('" + code + "')");
    const int uso = static_cast<int>(X("USO").AsInt());
    X("DBCLOSEAREA()");
    areas().SelectArea(back);
    return uso;
  }
};

TEST_F(EmpResetTest, LowersTheUserCountButNeverBelowZero) {
  X("DBSELECTAREA(9)");
  EXPECT_TRUE(X("EMPRESET('03')").AsLogical());
  EXPECT_EQ(Uso("03"), 1);
  cEmpCodigo("02");
  EXPECT_TRUE(EmpReset());
  EXPECT_EQ(Uso("02"), 0);
  EXPECT_TRUE(EmpReset("01"));
  EXPECT_EQ(Uso("01"), 0);
  EXPECT_FALSE(EmpReset("77"));  // no such company
  EXPECT_EQ(X("SELECT()").AsInt(), 9);
  EXPECT_FALSE(X("USED()").AsLogical());
  EXPECT_TRUE(qz_lPrimero());
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(EmpResetTest, DoesNothingWhileAnotherCallIsUnderWay) {
  qz_lPrimero(false);
  EXPECT_FALSE(EmpReset("03"));
  EXPECT_EQ(Uso("03"), 2);
  EXPECT_FALSE(qz_lPrimero());
}

TEST_F(EmpResetTest, TheCompanyTableComesBackFromItsBackUp) {
  memory().SetContents("..\\DBF\\Empresa.seg", memory().Contents("..\\DBF\\Empresa.dbf"));
  ASSERT_TRUE(memory().Remove("..\\DBF\\Empresa.dbf").ok());
  EXPECT_TRUE(EmpReset("03"));
  EXPECT_EQ(Uso("03"), 1);
}

TEST_F(EmpResetTest, ALockedCompanyIsNotLeft) {
  const int holder = Use("..\\DBF\\Empresa.dbf", "HOLDER", true);
  ASSERT_GT(holder, 0);
  X("DBGOTO(3)");
  ASSERT_TRUE(X("RLOCK()").AsLogical());
  EXPECT_FALSE(EmpReset("03"));
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].text, "El registro que se intenta procesar está bloqueado");
  X("DBUNLOCK()");
  EXPECT_EQ(Uso("03"), 2);
}

// ---- cursors and messages ----------------------------------------------------------------------

class FakeControl : public xb::Object {
 public:
  explicit FakeControl(const xb::Class& cls) : Object(cls) {}
};

struct ControlClasses {
  const xb::Class& control = xb::Class::Define("TCONTROLX").Var("OCURSOR");
  const xb::Class& button = xb::Class::Define("TBUTTON", &control);
  const xb::Class& bitmap_button = xb::Class::Define("TBTNBMP", &control);
  const xb::Class& label = xb::Class::Define("TSAY", &control);
  const xb::Class& fancy = xb::Class::Define("TBUTTONFANCY", &button);
  const xb::Class& cursor =
      xb::Class::Define("TCURSORX").Method("NEW", [](xb::Object& self, xb::Args&) { return self.AsValue(); });
};

const ControlClasses& Classes() {
  static const ControlClasses classes;
  return classes;
}

TEST_F(ProgramSettingsTest, HandCursorGoesOnlyToButtons) {
  const ControlClasses& k = Classes();
  std::vector<Value> controls;
  for (const xb::Class* c : {&k.button, &k.bitmap_button, &k.label, &k.fancy})
    controls.push_back(Value(xb::MakeRef<FakeControl>(*c)));
  // The window framework's cursor class, as ARRANQUE finds it.
  xb::RegisterFunction("TCURSOR", [](xb::Args&) { return Value(Classes().cursor.New()); });
  Arranque("..\\DBF\\", false);
  ASSERT_TRUE(oHand().IsObject());
  EXPECT_TRUE(xb::CallFunction("OCURSORHAND", {Value(xb::Array::Of(controls))}).AsLogical());
  auto has_hand = [&](std::size_t i) { return xb::Send(controls[i], "OCURSOR").SameAs(oHand()); };
  EXPECT_TRUE(has_hand(0));
  EXPECT_TRUE(has_hand(1));
  EXPECT_FALSE(has_hand(2));
  EXPECT_TRUE(has_hand(3));
  oCursorHand(controls[1], true);
  EXPECT_TRUE(xb::Send(controls[1], "OCURSOR").IsNil());
  EXPECT_TRUE(has_hand(0));
}

TEST_F(ProgramSettingsTest, DebugMessageIsAnInformationBox) {
  X("MSGDEBUG()");
  X("MSGDEBUG(12, 'Valor')");
  ASSERT_EQ(ui().messages.size(), 2u);
  EXPECT_EQ(ui().messages[0].kind, "info");
  EXPECT_EQ(ui().messages[0].text, ".");
  EXPECT_EQ(ui().messages[0].title, ".");
  EXPECT_EQ(ui().messages[1].text, "12");
  EXPECT_EQ(ui().messages[1].title, "Valor");
}

// ---- re-indexing the start folder ---------------------------------------------------------------

TEST_F(ProgramSettingsTest, SdeIndexRunsItsStepsInOrderAndRebuildsTheMacros) {
  cPathStart("..\\DBF\\");
  cPathInforme("..\\INF\\");
  memory().MakeFolder("..\\INF\\");
  CreateTable("..\\DBF\\Macros.dbf", {{"NOMBRE", 'C', 10, 0}, {"TEXTO", 'C', 40, 0}}, 4,
              [](xb::rdd::WorkArea& a, int n) {
                a.PutField(1, Value::String(n % 2 ? "beta" : "Alfa"));
                if (n == 2) a.Delete();
              });
  static std::vector<std::string> steps;
  steps.clear();
  auto step = [](const char* name) {
    xb::RegisterFunction(name, [name](xb::Args& a) {
      std::string s = name;
      for (int i = 1; i <= a.Count(); ++i) s += " " + std::string(a.Arg(i).IsLogical() ? (a.Log(i) ? ".T." : ".F.") : a.Str(i));
      steps.push_back(s);
      return Value();
    });
  };
  for (const char* name : {"NTXAGENDA", "CREAPLANNWIN", "QZW_CREAUSUARIOS", "NTXCONFBRW", "NTXIMPRDBF", "NTXMAPAS",
                           "DICTREINDEX"})
    step(name);
  xb::RegisterFunction("CCODUSER", [](xb::Args&) { return Value::String("07"); });

  // Only the agenda, planner and user tables run when nothing else is there; user tables
  // that nobody made yet are made, as the log-in makes them on a fresh folder.
  X("SDEINDEX()");
  EXPECT_EQ(steps, (std::vector<std::string>{"NTXAGENDA", "CREAPLANNWIN", "QZW_CREAUSUARIOS .T. .T."}));
  steps.clear();
  memory().SetContents("..\\DBF\\Usuarios.dbf", "x");
  SdeIndex();
  EXPECT_EQ(steps, (std::vector<std::string>{"NTXAGENDA", "CREAPLANNWIN", "QZW_CREAUSUARIOS .T. .T."}));

  steps.clear();
  for (const char* name : {"..\\DBF\\GrpUser.dbf", "..\\DBF\\CnfBrw07.Dbf", "..\\DBF\\GesPrn07.Dbf", "..\\DBF\\MapaCF07.Dbf",
                           "..\\DBF\\MapaCV07.Dbf", "..\\INF\\Tablas.dbf"})
    memory().SetContents(name, "x");
  SdeIndex();
  EXPECT_EQ(steps, (std::vector<std::string>{"NTXAGENDA", "CREAPLANNWIN", "QZW_CREAUSUARIOS .F. .T.", "NTXCONFBRW",
                                             "NTXIMPRDBF", "NTXMAPAS", "DICTREINDEX ..\\INF\\ .T."}));

  // Access maps need both tables.
  steps.clear();
  ASSERT_TRUE(memory().Remove("..\\DBF\\MapaCV07.Dbf").ok());
  SdeIndex();
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "NTXMAPAS"), 0);

  // The macro table: packed, one tag "Nombre" on Upper(Nombre).
  ASSERT_TRUE(lNetUse("..\\DBF\\Macros", {}));
  EXPECT_EQ(X("LASTREC()").AsInt(), 3);
  EXPECT_EQ(X("ORDNAME(1)").AsString(), "NOMBRE");
  EXPECT_EQ(X("ORDKEY(1)").AsString(), "Upper(Nombre)");
  EXPECT_EQ(X("INDEXORD()").AsInt(), 1);
  X("DBGOTOP()");
  EXPECT_EQ(X("NOMBRE").AsString(), "Alfa      ");
  X("DBSEEK('BETA')");
  EXPECT_TRUE(X("FOUND()").AsLogical());
  EXPECT_TRUE(ui().messages.empty());
}

}  // namespace
}  // namespace data
