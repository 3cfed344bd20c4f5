// Timers reaching their window's Timer method, and typed values of INI files.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/lib/dates.h"
#include "runtime/macro.h"
#include "runtime/sets.h"
#include "tests/support/pump.h"
#include "ui/bridge/profile.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tini.h"
#include "ui/core/ttimer.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class TimerTest : public test::FrameworkTest {};

TEST_F(TimerTest, ATimerRunsItsActionThroughItsWindowUntilEnded) {
  auto w = Make();
  int ticks = 0;
  auto timer = TTimer::New(10, Blk([&](Args&) { ++ticks; return Value(); }), w.get());
  EXPECT_FALSE(timer->lActive);
  EXPECT_EQ(timer->hWndOwner, w->hWnd);
  auto next = TTimer::New();
  EXPECT_EQ(next->nId, timer->nId + 1);  // one counter for the run
  EXPECT_EQ(next->nInterval, 18);
  next->End();

  timer->Activate();
  EXPECT_TRUE(timer->lActive);
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return ticks >= 2; }, 3000));
  timer->DeActivate();
  const int stopped_at = ticks;
  SendMessageA(w->hWnd, WM_TIMER, timer->nId, 0);  // an inactive timer does nothing
  EXPECT_EQ(ticks, stopped_at);
  timer->Activate();
  SendMessageA(w->hWnd, WM_TIMER, timer->nId, 0);
  EXPECT_EQ(ticks, stopped_at + 1);

  const int count = TTimer::Count();
  timer->End();
  EXPECT_EQ(TTimer::Count(), count - 1);
  vdr::test::PumpUntil([] { return false; }, 60);
  SendMessageA(w->hWnd, WM_TIMER, timer->nId, 0);  // a late expiry after End
  EXPECT_EQ(ticks, stopped_at + 1);
  EXPECT_EQ(TTimer::TimerEvent(timer->nId), 0);
}

TEST_F(TimerTest, AnActionMayEndItsOwnTimer) {
  auto w = Make();
  int ticks = 0;
  xb::Ref<TTimer> timer;
  timer = TTimer::New(10, Blk([&](Args& a) {
    ++ticks;
    xb::Send(a.Arg(1), "END");
    return Value();
  }), w.get());
  timer->Activate();
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return ticks == 1; }, 3000));
  vdr::test::PumpUntil([] { return false; }, 80);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer->lActive);
}

TEST_F(TimerTest, TextMakesAndRunsTimers) {
  auto w = Make();
  const Value counter = xb::MacroBlock(
      "{|o| o:Cargo := 0, TTimer():New( 10, {|| o:Cargo := o:Cargo + 1 }, o ) }").Eval({w->Self()});
  ASSERT_TRUE(counter.IsObject());
  xb::Send(counter, "ACTIVATE");
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return w->Cargo.AsInt() >= 1; }, 3000));
  xb::Send(counter, "END");
  EXPECT_EQ(xb::CallFunction("TIMEREVENT", {Value::Integer(12345)}).AsInt(), 0);
  // Its data can be assigned from text, as any object's.
  EXPECT_EQ(xb::MacroBlock("{|t| t:nId := 12345, t:hWndOwner := 0, t:nId + t:hWndOwner }").Eval({counter}).AsInt(),
            12345);
}

// ---- INI files ---------------------------------------------------------------------------

class IniTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "vdr_ini_" + std::to_string(GetCurrentProcessId()) + "_" +
              std::to_string(++counter_) + "\\";
    test::FreshFolder(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    FrameworkTest::TearDown();
  }
  std::string Path(const std::string& name) const { return folder_ + name; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string folder_;
  static inline int counter_ = 0;
};

TEST_F(IniTest, NamesWithoutAnyDotGetIni) {
  struct Case {
    std::string given;
    std::string file;
  };
  const Case cases[] = {
      {"C:\\datos\\Vdr", "C:\\datos\\Vdr.ini"},
      {"C:\\datos\\Vdr.cfg", "C:\\datos\\Vdr.cfg"},
      // A dot in a folder's name counts too.
      {"..\\DBF\\Vdr", "..\\DBF\\Vdr"},
      {"C:\\mis.datos\\Vdr", "C:\\mis.datos\\Vdr"},
      {"Vdr", "Vdr.ini"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    auto ini = TIni::New(c.given);
    EXPECT_EQ(ini->cIniFile, c.file);
    EXPECT_TRUE(ini->lAutoSet);
  }
}

TEST_F(IniTest, AMissingNumberGivesItsDefaultAndWritesIt) {
  auto ini = TIni::New(Path("prueba"));
  const Value n = ini->Get("Ventana", "Alto", Value::Integer(5));
  EXPECT_TRUE(n.IsNumber());
  EXPECT_EQ(n.AsInt(), 5);
  EXPECT_EQ(GetPvProfString("Ventana", "Alto", "", Path("prueba.ini")), "5");
  ini->lAutoSet = false;
  EXPECT_EQ(ini->Get("Ventana", "Ancho", Value::Integer(7)).AsInt(), 7);
  EXPECT_EQ(GetPvProfString("Ventana", "Ancho", "ninguno", Path("prueba.ini")), "ninguno");
}

TEST_F(IniTest, ValuesComeBackWithTheirTypes) {
  auto ini = TIni::New(Path("tipos.ini"));
  xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  const xb::Date day = xb::CToD("15-06-2003");
  ASSERT_TRUE(ini->Set("Datos", "Numero", Value::Integer(42)));
  ini->Set("Datos", "Negativo", Value::Integer(-12));
  ini->Set("Datos", "Texto", Value::String("Organización"));
  ini->Set("Datos", "Fecha", Value::FromDate(day));
  ini->Set("Datos", "Logico", Value::Logical(true));
  EXPECT_NE(Read(Path("tipos.ini")).find("Logico=.t."), std::string::npos);

  EXPECT_EQ(ini->Get("Datos", "Numero", Value::Integer(0)).AsInt(), 42);
  EXPECT_EQ(ini->Get("Datos", "Negativo", Value::Integer(0)).AsInt(), -12);
  EXPECT_EQ(ini->Get("Datos", "Texto", Value::String("")).AsString(), "Organización");
  const Value date = ini->Get("Datos", "Fecha", Value::FromDate(xb::Date{}));
  ASSERT_TRUE(date.IsDate());
  EXPECT_EQ(date.AsDate(), day);
  EXPECT_TRUE(ini->Get("Datos", "Logico", Value::Logical(false)).AsLogical());
  // Without a default, the fourth argument's type decides.
  EXPECT_EQ(ini->Get("Datos", "Numero", Value(), Value::Integer(1)).AsInt(), 42);
  EXPECT_TRUE(ini->Get("Datos", "Texto", Value(), Value()).IsString());
}

TEST_F(IniTest, OnlyDotTDotInAnyCaseIsTrue) {
  const std::string file = Path("logicos.ini");
  auto ini = TIni::New(file);
  ini->lAutoSet = false;
  struct Case {
    const char* text;
    bool value;
  };
  for (const Case& c : {Case{".T.", true}, Case{".t.", true}, Case{"T", false}, Case{".F.", false},
                        Case{"S", false}, Case{"", false}}) {
    SCOPED_TRACE(c.text);
    WritePProString("L", "Valor", c.text, file);
    EXPECT_EQ(ini->Get("L", "Valor", Value::Logical(false)).AsLogical(), c.value);
  }
}

TEST_F(IniTest, SectionsAndDeletions) {
  const std::string file = Path("secciones.ini");
  auto ini = TIni::New(file);
  ini->Set("ButtonBar", "1", Value::String("Principal,1"));
  ini->Set("ButtonBar.Principal", "Button1", Value::String("PBMPMAR1"));
  ini->Set("ButtonBar.Principal", "Button2", Value::String("PBMPMGR1"));
  EXPECT_EQ(ini->Sections(), (std::vector<std::string>{"ButtonBar", "ButtonBar.Principal"}));
  ASSERT_TRUE(ini->DelEntry("ButtonBar.Principal", "Button1"));
  EXPECT_EQ(GetPvProfEntries("ButtonBar.Principal", file), std::vector<std::string>{"Button2"});
  ASSERT_TRUE(ini->DelSection("ButtonBar.Principal"));
  EXPECT_EQ(ini->Sections(), std::vector<std::string>{"ButtonBar"});
  EXPECT_TRUE(TIni::New(Path("noexiste.ini"))->Sections().empty());
}

TEST_F(IniTest, AnEmptyNameUsesTheSystemProfile) {
  auto ini = TIni::New("");
  ASSERT_TRUE(ini->Set("VdrPrueba", "Clave", Value::Integer(9)));
  EXPECT_EQ(GetProfInt("VdrPrueba", "Clave", 0), 9);
  EXPECT_EQ(ini->Get("VdrPrueba", "Clave", Value::Integer(0)).AsInt(), 9);
  ini->DelSection("VdrPrueba");
  EXPECT_EQ(GetProfString("VdrPrueba", "Clave", "borrada"), "borrada");
}

TEST_F(IniTest, TextReadsAndWritesThroughTIni) {
  const std::string file = Path("texto.ini");
  const Value ini = xb::MacroBlock("{|c| TIni():New( c ) }").Eval({Value::String(Path("texto"))});
  xb::MacroBlock("{|o| o:Set( 'Sec', 'N', 3 ), o:Set( 'Sec', 'L', .F. ) }").Eval({ini});
  EXPECT_EQ(xb::MacroBlock("{|o| o:Get( 'Sec', 'N', 0 ) + 1 }").Eval({ini}).AsInt(), 4);
  EXPECT_FALSE(xb::MacroBlock("{|o| o:Get( 'Sec', 'L', .T. ) }").Eval({ini}).AsLogical());
  EXPECT_EQ(xb::MacroBlock("{|o| Len( o:Sections() ) }").Eval({ini}).AsInt(), 1);
  EXPECT_EQ(xb::CallFunction("GETPVPROFINT", {Value::String("Sec"), Value::String("N"), Value::Integer(0),
                                              Value::String(file)}).AsInt(), 3);
}

TEST(ValueTextTest, CValToCharWritesEachType) {
  xb::InitRuntime();
  xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  EXPECT_EQ(CValToChar(Value::String("abc")), "abc");
  EXPECT_EQ(CValToChar(Value::Logical(true)), ".t.");
  EXPECT_EQ(CValToChar(Value::Logical(false)), ".f.");
  EXPECT_EQ(CValToChar(Value::Integer(42)), "42");
  EXPECT_EQ(CValToChar(Value::Double(-3.5, 1)), "-3.5");
  EXPECT_EQ(CValToChar(Value::FromDate(xb::CToD("01-02-2003"))), "01-02-2003");
  EXPECT_EQ(CValToChar(Value()), "");
  EXPECT_EQ(CValToChar(Value(xb::Array::New())), "{ ... }");
}

}  // namespace
}  // namespace ui
