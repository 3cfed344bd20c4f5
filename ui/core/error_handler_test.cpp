// The error handler: zero divisor, the quiet open and create failures the table layer
// reports itself, the error dialog with its buttons and answers, "Error.log" against its
// layout, and an error raised while the dialog shows.
#include "ui/core/error_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "runtime/lib/environment.h"
#include "runtime/rdd/workareas.h"
#include "runtime/xbeval/cp1252.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/core/core_test_support.h"
#include "ui/core/error_report.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

const unsigned char kGoldenBytes[] = {
#include "error_log_golden.inc"
    0};
const std::string kGolden(reinterpret_cast<const char*>(kGoldenBytes), sizeof kGoldenBytes - 1);

class ErrorHandlerTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    xb::rdd::InitTables();
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    GetCurrentDirectoryA(sizeof kept_folder_, kept_folder_);
    folder_ = std::string(temp) + "vdr_error_handler";
    CreateDirectoryA(folder_.c_str(), nullptr);
    SetCurrentDirectoryA(folder_.c_str());
    DeleteFileA("Error.log");
    quits_.clear();
    kept_quit_ = xb::SetQuitHandler([this](int level) { quits_.push_back(level); });
    codes_.clear();
    xb::RegisterFunction("NERRORCODE", [this](xb::Args& a) {
      if (a.Arg(1).IsNumber()) codes_.push_back(static_cast<int>(a.Int(1)));
      return Value::Integer(codes_.empty() ? 0 : codes_.back());
    });
    engine_error_ = 0;
    xb::RegisterFunction("ADSGETLASTERROR", [](xb::Args&) { return Value::Integer(engine_error_); });
    xb::RegisterFunction("AQZVERSION", [](xb::Args&) {
      return Value(xb::Array::Of({Value(xb::Array::Of({Value::String("VERSION"), Value::String("1.0")}))}));
    });
    ErrorSys();
  }
  void TearDown() override {
    xb::SetQuitHandler(kept_quit_);
    xb::SetErrorLevel(0);
    engine_error_ = 0;
    xb::rdd::ResetTables();
    SetCurrentDirectoryA(kept_folder_);
    FrameworkTest::TearDown();
  }
  static bool NetErr() { return xb::rdd::WorkAreas::Get().net_error(); }
  static void ClearNetErr() { xb::rdd::WorkAreas::Get().set_net_error(false); }
  static bool LogExists() { return GetFileAttributesA("Error.log") != INVALID_FILE_ATTRIBUTES; }
  static std::string ReadLog() {
    std::ifstream in("Error.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // An error of the table engine that may be retried and defaulted.
  static xb::ErrorRef TableError(int gen_code, int os_code) {
    xb::ErrorRef e = xb::MakeError("DBFCDX", gen_code, 1001, "DBUSEAREA");
    e->osCode = os_code;
    e->filename = "CLIENTES.DBF";
    e->canRetry = true;
    e->canDefault = true;
    return e;
  }
  static std::vector<std::string> ListItems(HWND dialog) {
    std::vector<std::string> items;
    HWND list = FindWindowExA(dialog, nullptr, "ListBox", nullptr);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[256] = {};
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    if (SendMessageA(list, LB_GETCURSEL, 0, 0) != 0) items.push_back("<first not selected>");
    return items;
  }

  std::string folder_;
  char kept_folder_[MAX_PATH] = {};
  xb::QuitHandler kept_quit_;
  std::vector<int> quits_;
  std::vector<int> codes_;
  static inline int engine_error_ = 0;
};

TEST_F(ErrorHandlerTest, ZeroDivisorGivesZeroWithoutDialogOrLog) {
  DialogAnswerer answerer([](const SeenDialog&) { return 0; });
  EXPECT_EQ(xb::EvalMacro("10 / 0").AsInt(), 0);
  EXPECT_EQ(xb::EvalMacro("5 % 0").AsInt(), 0);
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_FALSE(LogExists());
}

TEST_F(ErrorHandlerTest, KnownOpenAndCreateFailuresAreQuiet) {
  struct Case {
    int gen_code;
    int os_code;
    int engine_error;
    int kept_code;
  };
  const Case cases[] = {
      {xb::EG_OPEN, 32, 0, 32}, {xb::EG_OPEN, 5, 0, 5},      {xb::EG_OPEN, 4, 0, 4},
      {xb::EG_OPEN, 2, 0, 2},   {xb::EG_OPEN, 3, 0, 3},      {xb::EG_CREATE, 3, 0, 3},
      {xb::EG_CREATE, 4, 0, 4}, {xb::EG_CREATE, 5, 0, 5},    {xb::EG_CREATE, 2, 0, 2},
      {xb::EG_OPEN, 0, 7004, 4}, {xb::EG_OPEN, 0, 7008, 5},  {xb::EG_OPEN, 0, 5004, 2},
      {xb::EG_OPEN, 0, 7040, 5},
  };
  DialogAnswerer answerer([](const SeenDialog&) { return 0; });
  for (const Case& c : cases) {
    ClearNetErr();
    codes_.clear();
    engine_error_ = c.engine_error;
    xb::ErrorRef e = TableError(c.gen_code, c.os_code);
    EXPECT_EQ(xb::Raise(e), xb::Recovery::Default) << c.gen_code << "/" << c.os_code;
    EXPECT_TRUE(NetErr()) << c.gen_code << "/" << c.os_code;
    EXPECT_EQ(codes_, std::vector<int>{c.kept_code}) << c.gen_code << "/" << c.os_code;
  }
  ClearNetErr();
  codes_.clear();
  engine_error_ = 0;
  EXPECT_EQ(xb::Raise(TableError(xb::EG_APPENDLOCK, 0)), xb::Recovery::Default);
  EXPECT_TRUE(NetErr());
  EXPECT_TRUE(codes_.empty());
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_FALSE(LogExists());
}

TEST_F(ErrorHandlerTest, MissingTableReachesTheTableLayerQuietly) {
  DialogAnswerer answerer([](const SeenDialog&) { return 0; });
  EXPECT_FALSE(xb::EvalMacro("DBUSEAREA( .T., 'DBFCDX', 'NOEXISTE', 'NOEXISTE' )").AsLogical());
  EXPECT_TRUE(xb::EvalMacro("NETERR()").AsLogical());
  EXPECT_EQ(codes_, std::vector<int>{2});
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_FALSE(LogExists());
}

TEST_F(ErrorHandlerTest, ErrorDialogShowsTheErrorAndItsCalls) {
  xb::RegisterFunction("T_SUMA", [](xb::Args& a) {
    return xb::RaiseBaseError(xb::EG_ARG, 1081, "+", a.Raw(), "Argument error");
  });
  std::vector<std::string> items;
  DialogAnswerer answerer([&](const SeenDialog& d) {
    items = ListItems(d.hwnd);
    EXPECT_TRUE(ErrorDialogShowing());
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\core_error_dialog.bmp"));
    return d.ButtonId("Defecto");
  });
  // The dialog's font, shared with a window that keeps using it.
  TFont::Spec spec;
  spec.face = "MS Sans Serif";
  spec.height = -12;
  const xb::Ref<TFont> shared = TFont::New(spec);
  ASSERT_EQ(shared->nCount, 1);
  Value result;
  {
    const Value args[] = {Value::Integer(7), Value::String("abc")};
    xb::ProcScope scope("PRUEBA", args);
    result = xb::CallFunction("T_SUMA", {Value::Integer(1), Value::String("x")});
  }
  EXPECT_FALSE(ErrorDialogShowing());
  EXPECT_TRUE(result.IsLogical() && !result.AsLogical());  // the default the user chose
  ASSERT_EQ(answerer.seen().size(), 1u);
  const SeenDialog& seen = answerer.seen()[0];
  EXPECT_EQ(seen.title, "Quellar: Librería para Windows");
  EXPECT_EQ(seen.texts, (std::vector<std::string>{" Descripción del error: Error BASE/1081 Argument error: +",
                                                  "&Secuencias", "Vea fichero Error.log"}));
  std::vector<std::string> buttons;
  for (const auto& b : seen.buttons) buttons.push_back(b.text);
  EXPECT_EQ(buttons, (std::vector<std::string>{"&Salir", "&Defecto"}));  // it cannot be retried
  EXPECT_EQ(items, (std::vector<std::string>{" Llamado desde T_SUMA(0)", " Llamado desde PRUEBA(0)"}));
  EXPECT_TRUE(LogExists());
  EXPECT_TRUE(quits_.empty());
  // The dialog's uses of the font went with it.
  EXPECT_EQ(shared->nCount, 1);
  shared->End();
}

// The layout of "Error.log", with the lines that depend on the machine masked.
std::string Masked(const std::string& report) {
  static const char* const kMachine[] = {
      " Ruta y Nombre: ", " Tamaño: ", " Error ocurrido el: ", " Tipo de CPU: ", " Memoria Hardware : ",
      " Versiones Windows y MsDos: ", " Total aplicaciones Windows activas: ", " Valor Actual : ",
      " Valor máximo : "};
  std::istringstream in(xb::xbeval::Cp1252ToUtf8(report));
  std::string out, line;
  bool programs = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    else if (!in.eof()) line += "<no CR>";
    if (programs && line.empty()) programs = false;
    if (programs) continue;  // one line per running program
    for (const char* machine : kMachine) {
      const std::string prefix = xb::xbeval::Cp1252ToUtf8(machine);  // the source's text is CP1252
      if (line.rfind(prefix, 0) == 0) {
        programs = prefix == " Total aplicaciones Windows activas: ";
        line = prefix + "<...>";
      }
    }
    out += line + "\n";
  }
  return out;
}

TEST_F(ErrorHandlerTest, ErrorLogFollowsItsLayout) {
  ASSERT_TRUE(xb::EvalMacro("DBCREATE( 'CLIENTES', { { 'CODIGO', 'C', 6, 0 }, { 'NOMBRE', 'C', 20, 0 } }, 'DBFCDX' )")
                  .AsLogical());
  ASSERT_TRUE(xb::EvalMacro("DBUSEAREA( .T., 'DBFCDX', 'CLIENTES', 'CLIENTES' )").AsLogical());
  xb::EvalMacro("DBAPPEND()");
  xb::EvalMacro("FIELDPUT( 1, '000001' )");
  xb::EvalMacro("DBAPPEND()");
  xb::EvalMacro("FIELDPUT( 1, '000002' )");
  xb::EvalMacro("ORDCREATE( , 'CODIGO', 'CODIGO' )");
  xb::EvalMacro("DBGOTOP()");
  xb::RegisterFunction("T_ABRE", [](xb::Args& a) {
    xb::ErrorRef e = xb::MakeError("DBFCDX", xb::EG_OPEN, 1001, "DBUSEAREA");
    e->osCode = 99;
    e->filename = "FACTURAS.DBF";
    e->canRetry = true;
    e->args = Value(xb::Array::Of({Value::Integer(1), Value::String("FACTURAS"), Value::Logical(true)}));
    return Value::Logical(xb::Raise(e) == xb::Recovery::Retry);
  });
  DialogAnswerer answerer(DialogAnswerer::Press("Defecto"));
  ClearNetErr();
  {
    const Value args[] = {Value(xb::Array::Of({Value::Integer(1), Value::Integer(2)})), Value::String("abc"),
                          Value::Integer(42)};
    xb::ProcScope scope("ABRIRFACTURAS", args);
    EXPECT_FALSE(xb::CallFunction("T_ABRE").AsLogical());
  }
  EXPECT_TRUE(NetErr());  // the default of a failed open is no success
  ASSERT_EQ(answerer.seen().size(), 1u);
  std::vector<std::string> buttons;
  for (const auto& b : answerer.seen()[0].buttons) buttons.push_back(b.text);
  EXPECT_EQ(buttons, (std::vector<std::string>{"&Reintentar", "&Salir", "&Defecto"}));
  const std::string masked = Masked(ReadLog());
  EXPECT_EQ(masked, kGolden);
  // VDR_GOLDEN=<file> writes the layout found, to review and take as the new golden file.
  if (const char* golden = std::getenv("VDR_GOLDEN")) std::ofstream(golden, std::ios::binary) << masked;
}

TEST_F(ErrorHandlerTest, QuitAndRetryAnswers) {
  int tries = 0;
  xb::RegisterFunction("T_BLOQUEO", [&tries](xb::Args&) {
    xb::ErrorRef e = xb::MakeError("DBFCDX", xb::EG_LOCK, 1038, "DBRLOCK");
    e->canRetry = true;
    while (xb::Raise(e) == xb::Recovery::Retry) ++tries;
    return Value();
  });
  {
    // Retry runs the operation again while a message loop runs.
    int shown = 0;
    DialogAnswerer answerer([&](const SeenDialog& d) { return d.ButtonId(++shown == 1 ? "Reintentar" : "Defecto"); });
    const bool kept = SetLoopRunning(true);
    xb::CallFunction("T_BLOQUEO");
    SetLoopRunning(kept);
    EXPECT_EQ(tries, 1);
    EXPECT_TRUE(quits_.empty());
  }
  {
    // Without a message loop a retry cannot be served: the program ends.
    DialogAnswerer answerer(DialogAnswerer::Press("Reintentar"));
    xb::CallFunction("T_BLOQUEO");
    EXPECT_EQ(quits_, std::vector<int>{1});
    EXPECT_EQ(xb::ErrorLevel(), 1);
  }
  {
    quits_.clear();
    DialogAnswerer answerer(DialogAnswerer::Press("Salir"));
    xb::CallFunction("T_BLOQUEO");
    EXPECT_EQ(quits_, std::vector<int>{1});
  }
}

// In a run nobody watches the dialog does not show: the error is told, written to the log,
// and the operation takes its default; the program goes on.
TEST_F(ErrorHandlerTest, UnattendedTheDefaultIsTakenAndTheRunGoesOn) {
  xb::RegisterFunction("T_BLOQUEO", [](xb::Args&) {
    xb::ErrorRef e = xb::MakeError("DBFCDX", xb::EG_LOCK, 1038, "DBRLOCK");
    e->canRetry = true;
    return Value::Logical(xb::Raise(e) == xb::Recovery::Retry);
  });
  std::vector<std::string> told;
  SetUnattended([&](std::string_view title, std::string_view text) {
    told.push_back(std::string(title) + "|" + std::string(text));
  });
  DialogAnswerer answerer(DialogAnswerer::Press("Salir"));
  EXPECT_FALSE(xb::CallFunction("T_BLOQUEO").AsLogical());
  SetUnattended({});
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_TRUE(quits_.empty());
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].substr(0, 6), "Error|");
  EXPECT_NE(told[0].find("DBRLOCK"), std::string::npos) << told[0];
  EXPECT_FALSE(ReadLog().empty());
}

TEST_F(ErrorHandlerTest, AnErrorWhileTheDialogShowsEndsTheProgram) {
  xb::RegisterFunction("T_FALLA", [](xb::Args&) {
    xb::ErrorRef e = xb::MakeError("BASE", xb::EG_NOFUNC, 1001, "NOEXISTE");
    e->canDefault = true;
    return Value::Logical(xb::Raise(e) == xb::Recovery::Retry);
  });
  std::string first_log;
  int inner = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) {
    if (inner++ == 0) {
      first_log = ReadLog();
      xb::CallFunction("T_FALLA");  // a second error: no dialog, no log, the end
      EXPECT_EQ(quits_, std::vector<int>{1});
      EXPECT_EQ(ReadLog(), first_log);
    }
    return d.ButtonId("Defecto");
  });
  xb::CallFunction("T_FALLA");
  EXPECT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(quits_, std::vector<int>{1});
  EXPECT_FALSE(first_log.empty());
}

TEST(ErrorReport, MessageAndValueTexts) {
  xb::InitRuntime();
  struct Case {
    int severity;
    int os_code;
    const char* subsystem;
    const char* filename;
    const char* operation;
    const char* want;
  };
  const Case cases[] = {
      {xb::ES_ERROR, 0, "DBFCDX", "CLIENTES.DBF", "DBUSEAREA", "Error DBFCDX/1001 Open error: CLIENTES.DBF"},
      {xb::ES_ERROR, 0, "DBFCDX", "", "DBUSEAREA", "Error DBFCDX/1001 Open error: DBUSEAREA"},
      {xb::ES_ERROR, 32, "DBFCDX", "CLIENTES.DBF", "", "(Error DOS 32) DBFCDX/1001 Open error: CLIENTES.DBF"},
      {xb::ES_WARNING, 0, "", "", "", "Atención" "???" "/1001 Open error"},
  };
  for (const Case& c : cases) {
    xb::ErrorRef e = xb::MakeError(c.subsystem, xb::EG_OPEN, 1001, c.operation);
    e->severity = c.severity;
    e->osCode = c.os_code;
    e->filename = c.filename;
    EXPECT_EQ(ErrorMessage(*e), c.want);
  }
  EXPECT_EQ(HardwareMemoryLine(0), " Memoria Hardware : 768 (0 megas)");
  EXPECT_EQ(HardwareMemoryLine(1280), " Memoria Hardware : 2048 (2 megas)");
  EXPECT_EQ(HardwareMemoryLine(1048576), " Memoria Hardware : 1049344 (1024 megas)");
  EXPECT_EQ(CGetInfo(Value::String("abc")), "\"abc\"");
  EXPECT_EQ(CGetInfo(Value(xb::Array::New(3))), "Longitud:    3");
  EXPECT_EQ(CGetInfo(Value(xb::MakeRef<xb::Error>())), "Clase: ERROR");
  EXPECT_EQ(CGetInfo(Value::Logical(true)), ".t.");
  EXPECT_EQ(CGetInfo(Value::Integer(12)), "12");
  xb::RegisterFunction("AQZVERSION", [](xb::Args&) {
    return Value(xb::Array::Of({Value(xb::Array::Of({Value::String("VERSION"), Value::String("7.2")})),
                                Value(xb::Array::Of({Value::String("cfecha"), Value::Integer(2024)}))}));
  });
  EXPECT_EQ(InfoVersion(), "\r\nInformación sobre la versión.\r\n=============================\r\n Version: 7.2\r\n"
                           " Cfecha: 2024\r\n\r\n");
  xb::RegisterFunction("AQZVERSION", [](xb::Args&) { return Value::Logical(false); });
  EXPECT_EQ(InfoVersion(), "\r\nInformación sobre la versión.\r\n=============================\r\n\r\n");
}

}  // namespace
}  // namespace ui
