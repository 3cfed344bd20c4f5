#include "services/login.h"

#include <windows.h>

#include <deque>

#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/rdd/workareas.h"
#include "services/panel_link.h"
#include "services/panel_test_support.h"
#include "services/password.h"
#include "services/services_test_support.h"
#include "services/table_helpers.h"
#include "services/user_look.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/controls/tget.h"
#include "ui/core/window_table.h"

namespace svc {
namespace {

using testing::L;
using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using vdr::test::WindowText;
using xb::Value;

constexpr const char* kLoginTitle = " Identificación de usuario";

// What the user does in the log-in dialog, one attempt after another: rows moved down from
// where the list stands, the password typed, the button pressed.
struct Attempt {
  int down = 0;
  std::string password;
  int button = 550;
  std::function<void()> before{};  // runs just before the button is pressed
};

class LoginTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    ShowMessages();
    qzw_CreaUsuarios(true, false);
    AddUser("01", "Ana", "SECRETO");
    AddUser("02", "Luis", "dos", std::string(255, '2'), "", true);
    AddUser("03", "Eva", "tres");
  }

  // Runs the log-in with the attempts; message boxes are accepted. Returns its answer.
  bool LogIn(std::deque<Attempt> attempts, LoginParams params = {}) {
    DialogAnswerer answerer([&](const SeenDialog& d) -> int {
      if (d.title == "Acceso denegado") {
        seen_boxes.push_back(d.title + ": " + d.AllText());
        return d.buttons.empty() ? IDOK : d.buttons.front().id;
      }
      if (d.title != kLoginTitle) return 0;  // another dialog: the test answers it
      login_dialog = d.hwnd;
      if (!IsWindowEnabled(d.hwnd) || attempts.empty()) return 0;
      if (!shot_taken) {
        shot_taken = true;
        vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\login.bmp");
      }
      Attempt next = std::move(attempts.front());
      attempts.pop_front();
      HWND browse = GetDlgItem(d.hwnd, 110);
      HWND edit = GetDlgItem(d.hwnd, 120);
      for (int i = 0; i < next.down; ++i) SendMessageA(browse, WM_KEYDOWN, VK_DOWN, 0);
      SetFocus(edit);
      for (char c : next.password) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
      if (next.before) next.before();
      PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(next.button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, next.button)));
      return 0;
    });
    return lIdentifica(params);
  }

  bool Active(const std::string& code) { return FieldOf(UsuariosTable(), "CCODIGO", code, "LACTIVO").AsLogical(); }

  std::vector<std::string> seen_boxes;
  HWND login_dialog = nullptr;
  bool shot_taken = false;
};

TEST_F(LoginTest, TheRightPasswordInAnyCaseLogsTheUserIn) {
  ASSERT_TRUE(LogIn({{1, "secreto"}}));
  EXPECT_TRUE(seen_boxes.empty());
  EXPECT_EQ(cCodUsuario(), "01");
  EXPECT_EQ(cCodUser(), "01");
  EXPECT_EQ(cUsuario(), "Ana" + std::string(22, ' '));
  EXPECT_TRUE(lHacerLogout());
  EXPECT_TRUE(Active("01"));
  EXPECT_EQ(X("CCODUSUARIO()").AsString(), "01");
  // The view is closed again.
  EXPECT_EQ(areas().AreaOfAlias("QzUsuarios"), 0);

  data::lNetwork(true);
  EXPECT_TRUE(Logout());
  EXPECT_FALSE(Active("01"));
}

TEST_F(LoginTest, WrongPasswordsCountAndTheThirdEndsTheLogIn) {
  ASSERT_TRUE(LogIn({{1, "mala"}, {0, "otra"}, {0, "secreto"}}));
  EXPECT_EQ(seen_boxes, (std::vector<std::string>{"Acceso denegado: Clave incorrecta", "Acceso denegado: Clave incorrecta"}));
  EXPECT_EQ(cCodUsuario(), "01");

  ResetSession();
  Logout();
  X("DBUSEAREA(.T., , '" + UsuariosTable() + "', 'U', .T.)");
  X("DBGOTO(2)");
  X("RLOCK()");
  X("FIELDPUT(FIELDPOS('LACTIVO'), .F.)");
  X("DBCLOSEAREA()");
  seen_boxes.clear();
  EXPECT_FALSE(LogIn({{1, "a"}, {0, "b"}, {0, "c"}, {0, "secreto"}}));
  EXPECT_EQ(seen_boxes.size(), 3u);
  EXPECT_EQ(cCodUsuario(), "00");
  EXPECT_EQ(cUsuario(), "Inactivo");
  EXPECT_FALSE(lHacerLogout());
  EXPECT_FALSE(Active("01"));
}

// An active user is refused without using up a try; freeing him lets him in.
TEST_F(LoginTest, AnActiveUserIsRefusedWithoutUsingATry) {
  ASSERT_TRUE(LogIn({{2, "dos"}, {0, "dos"}, {0, "dos"}, {0, "dos", 602}, {0, "dos"}}));
  EXPECT_EQ(seen_boxes, (std::vector<std::string>(3, "Acceso denegado: No puede seleccionar un usuario activo")));
  EXPECT_EQ(cCodUsuario(), "02");
  EXPECT_TRUE(Active("02"));
}

// Another station logs the user in between the list being read and the password accepted:
// the mark is read again under the record lock, and the log-in is refused.
TEST_F(LoginTest, AnotherStationLoggingInMeanwhileIsRefused) {
  auto mark_active_elsewhere = [this] {
    SelectedAreaScope keep;
    ASSERT_TRUE(OpenTable(UsuariosTable(), "Otra", false));
    OpenedArea other(true);
    SelectOrder(1);
    ASSERT_TRUE(Seek(S("03")));
    ASSERT_TRUE(data::lNetRecLock());
    PutField("LACTIVO", L(true));
    Area().Commit();
    Area().Unlock();
  };
  // Straight through the check: the list's copy of the record is old.
  ASSERT_TRUE(OpenTable(UsuariosTable(), "Lista", false));
  SelectOrder(1);
  ASSERT_TRUE(Seek(S("03")));
  EXPECT_FALSE(FieldLogical("LACTIVO"));
  mark_active_elsewhere();
  int failed = 0;
  ShowMessages();
  data::SetDataUi(&log());
  EXPECT_FALSE(lCheckIn("Lista", "tres", &failed));
  EXPECT_EQ(failed, 0);
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].text, "No puede seleccionar un usuario activo");
  EXPECT_EQ(cCodUsuario(), "00");
  CloseArea();
}

TEST_F(LoginTest, TheSearchMovesTheListToTheUser) {
  std::vector<std::string> searches;
  auto search = [&] {
    // The search dialog is answered here: by name, "lu", then out.
    DialogAnswerer inner([&](const SeenDialog& d) -> int {
      if (d.title != "Búsqueda de usuario") return 0;
      searches.push_back(d.AllText());
      SendMessageA(GetDlgItem(d.hwnd, 103), BM_CLICK, 0, 0);
      HWND field = GetDlgItem(d.hwnd, 100);
      SetFocus(field);
      for (char c : std::string("lux")) SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 0);
      searches.push_back(ItemText(d.hwnd, 99));
      searches.push_back(WindowText(field));
      return 105;
    });
    SendMessageA(login_dialog, WM_COMMAND, MAKEWPARAM(552, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(login_dialog, 552)));
  };
  // Luis is active: freed first, then found by the search and logged in.
  ASSERT_TRUE(LogIn({{0, "", 0, search}, {0, "", 602}, {0, "dos"}}));
  ASSERT_EQ(searches.size(), 3u);
  EXPECT_EQ(searches[1], "Búsqueda de usuario por nombre");
  EXPECT_EQ(searches[2], "LU" + std::string(23, ' '));  // "x" found nobody: refused
  EXPECT_EQ(cCodUsuario(), "02");
}

// Keys pressed on the list as a person presses them, on Luis (active): the letters act as the
// characters they type, so Ctrl with a letter (Ctrl+C and Ctrl+R page the list) and the keys
// that type no letter do nothing of theirs.
TEST_F(LoginTest, KeysPressedOnTheListActByTheirCharacter) {
  struct Case {
    const char* name;
    std::vector<WORD> keys;
    std::string effect;  // "libera", "comprueba", "busca", "siguiente", "cierra" or nothing
  };
  const std::vector<Case> cases = {
      {"l", {'L'}, "libera"},
      {"R mayúscula", {VK_SHIFT, 'R'}, "libera"},
      {"Ctrl+L", {VK_CONTROL, 'L'}, ""},
      {"Ctrl+R", {VK_CONTROL, 'R'}, ""},
      {"a", {'A'}, "comprueba"},
      {"Ctrl+A", {VK_CONTROL, 'A'}, ""},
      {"b", {'B'}, "busca"},
      {"Ctrl+B", {VK_CONTROL, 'B'}, ""},
      {"Ctrl+C", {VK_CONTROL, 'C'}, ""},
      {"F4", {VK_F4}, ""},
      {"2 del teclado numérico", {VK_NUMPAD2}, ""},
      {"Intro", {VK_RETURN}, "siguiente"},
      {"c", {'C'}, "cierra"},  // last: the dialog ends
  };
  std::uint32_t luis = 0;  // his record
  auto set_luis_active = [&] {
    SelectedAreaScope keep;
    xb::rdd::WorkAreas& all = xb::rdd::WorkAreas::Get();
    all.SelectArea(all.AreaOfAlias("QzUsuarios"));
    luis = Area().recno();
    ASSERT_TRUE(data::lNetRecLock());
    PutField("LACTIVO", L(true));
    Area().Commit();
    Area().Unlock();
  };
  // Read on his record, wherever the list has gone (Ctrl+C and Ctrl+R page it).
  auto luis_active = [&] {
    xb::rdd::WorkAreas& all = xb::rdd::WorkAreas::Get();
    xb::rdd::WorkArea* users = all.Area(all.AreaOfAlias("QzUsuarios"));
    const std::uint32_t at = users->recno();
    users->GoTo(luis);
    const bool active = users->GetField(users->FieldPos("LACTIVO")).AsLogical();
    users->GoTo(at);
    return active;
  };
  std::vector<std::string> effects;
  bool busy = false, done = false;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == "Acceso denegado") {
      effects.back() += "comprueba";
      return d.buttons.empty() ? IDOK : d.buttons.front().id;
    }
    if (d.title == "Búsqueda de usuario") {
      effects.back() += "busca";
      return 105;
    }
    if (d.title != kLoginTitle || busy || done) return 0;
    busy = true;  // the keys' messages are handled in here, this answerer's timer among them
    HWND browse = GetDlgItem(d.hwnd, 110);
    for (const Case& c : cases) {
      SendMessageA(browse, WM_KEYDOWN, VK_HOME, 0);
      for (int i = 0; i < 2; ++i) SendMessageA(browse, WM_KEYDOWN, VK_DOWN, 0);
      set_luis_active();
      effects.emplace_back();
      testing::PressOn(browse, c.keys);
      if (!IsWindow(d.hwnd) || !IsWindowVisible(d.hwnd)) effects.back() += "cierra";
      else if (GetFocus() == GetDlgItem(d.hwnd, 120)) effects.back() += "siguiente";
      else if (!luis_active()) effects.back() += "libera";
      EXPECT_EQ(effects.back(), c.effect) << c.name;
    }
    busy = false;
    done = true;
    return 0;
  });
  EXPECT_FALSE(lIdentifica({}));
  EXPECT_TRUE(done);
  EXPECT_EQ(effects.size(), cases.size());
  EXPECT_EQ(cCodUsuario(), "00");
}

TEST_F(LoginTest, TheUsersLookLoadsAtLogIn) {
  // Ana has her own scheme; Eva has none yet and gets the default one.
  {
    SelectedAreaScope keep;
    ASSERT_TRUE(OpenTable(ColorWTable(), "C", false));
    OpenedArea colours(true);
    SaveColors("C", true, "01", "", false);
    SelectOrder(1);
    ASSERT_TRUE(Seek(S("01")));
    ASSERT_TRUE(data::lNetRecLock());
    PutField("LINESTYLE", Value::Integer(2));
    PutField("DESKTOP", Value::Integer(255));
    PutField("NCLRPANE", Value::Integer(65280));
    PutField("CFACENAME", S("Arial"));
    PutField("NHEIGHT", Value::Integer(-15));
    Area().Commit();
    Area().Unlock();
  }
  ASSERT_TRUE(LogIn({{1, "secreto"}}));
  EXPECT_EQ(nLineStyle(), 2);
  EXPECT_EQ(nClrDesktop(), 255u);
  EXPECT_EQ(X("NCLRPANE()").AsInt(), 65280);
  EXPECT_EQ(UserFontDesc().face, "Arial");
  EXPECT_EQ(UserFontDesc().height, -15);

  Logout();
  ResetSession();
  ASSERT_TRUE(LogIn({{3, "tres"}}));
  EXPECT_EQ(cCodUsuario(), "03");
  EXPECT_EQ(nLineStyle(), 5);
  EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", "03", "LINESTYLE").AsInt(), 5);
}

TEST_F(LoginTest, WithoutTheDialogTheConfigurationRecordOnly) {
  WriteTable(std::string(kStart) + "VersionE", {{"PRODUCTO", "C25"}, {"VERSION", "C25"}},
             {{{"PRODUCTO", S("Prueba")}, {"VERSION", S("2003")}}});
  cCodUser("01");
  LoginParams params;
  params.dialog = false;
  ASSERT_TRUE(lIdentifica(params));
  EXPECT_FALSE(lHacerLogout());
  EXPECT_EQ(cFileVer(), std::string(kStart) + "VersionE.Dbf");
  const xb::Array version = aQzVersion();
  ASSERT_EQ(version.size(), 2u);
  EXPECT_EQ(version[0].AsArray()[0].AsString(), "PRODUCTO");
  EXPECT_EQ(std::string(version[0].AsArray()[1].AsString()).substr(0, 6), "Prueba");
  const xb::Array config = qz_aUsuario();
  ASSERT_EQ(config.size(), 4u);
  EXPECT_EQ(config[0].AsString(), "01");
  EXPECT_EQ(X("QZ_AUSUARIO(.F., 2, .T.)[2]").AsLogical(), true);
}

// A user table lost while its backup pair is there comes back from the backup, also when the
// log-in may create the tables: the users are not replaced by a fresh supervisor alone.
TEST_F(LoginTest, ALostUserTableComesBackFromItsBackupBeforeAnyIsCreated) {
  const std::string start = kStart;
  CompruebaFicheroUsuarios();
  ASSERT_TRUE(FileExists(start + "Usuarios.seg"));
  for (bool create : {false, true}) {
    SCOPED_TRACE(create);
    EraseFile(start + "Usuarios.dbf");
    EraseFile(start + "Usuarios.cdx");
    LoginParams params;
    params.dialog = false;
    params.create = create;
    ASSERT_TRUE(lIdentifica(params));
    EXPECT_EQ(Records(UsuariosTable()).size(), 4u);
    EXPECT_EQ(std::string(FieldOf(UsuariosTable(), "CCODIGO", "03", "CNOMBRE").AsString()).substr(0, 3), "Eva");
  }
  // Without a table and without a backup, the log-in may create the supervisor's table.
  for (const char* file : {"Usuarios.dbf", "Usuarios.cdx", "Usuarios.seg", "Usuarios.sgx"}) EraseFile(start + file);
  LoginParams params;
  params.dialog = false;
  params.create = true;
  ASSERT_TRUE(lIdentifica(params));
  EXPECT_EQ(Records(UsuariosTable()).size(), 1u);
  EXPECT_TRUE(FileExists(start + "Usuarios.seg"));
}

TEST_F(LoginTest, TheQuestionThatEndsTheProgram) {
  std::vector<std::string> texts;
  for (const auto& [button, answer] : {std::pair{552, true}, std::pair{553, false}}) {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      texts.push_back(d.AllText());
      return button;
    });
    EXPECT_EQ(lTerminar(), answer);
  }
  EXPECT_EQ(texts[0], " ¿ Desea finalizar la ejecución ? ");
  EXPECT_TRUE(lTerminar(false));
}

TEST_F(LoginTest, TheDialogAndThenTheMainWindowAreAnnounced) {
  testing::PanelProcess panel;
  auto main = Make();
  data::SetMainWindow(Value(xb::ObjectRef(main)));
  ASSERT_TRUE(LogIn({{1, "secreto"}}));
  vdr::test::PumpUntil([&] { return panel.Lines(1011).size() >= 2; });
  const auto lines = panel.Lines(1011);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Number("window"), testing::Low32(login_dialog));
  EXPECT_EQ(lines[1].Number("window"), testing::Low32(main->hWnd));
  for (const auto& line : lines) EXPECT_EQ(line.Number("process"), GetCurrentProcessId());
  EXPECT_EQ(AppHwnd(), main->hWnd);
  data::SetMainWindow(Value());
}

// In touch mode the touch variant of the dialog opens; its keyboard button calls the
// business library's keyboard with the password field, which takes keyboard type "C".
TEST_F(LoginTest, TouchModeTakesTheTouchDialogAndItsKeyboard) {
  // What the keyboard was given: the field's keyboard type and the window it was called over.
  static std::vector<std::pair<std::string, HWND>> calls;
  calls.clear();
  xb::RegisterFunction("SHOWTECLADO", [](xb::Args& a) {
    auto* get = dynamic_cast<ui::TGet*>(a.Obj(1).get());
    auto* dialog = dynamic_cast<ui::TWindow*>(a.Obj(2).get());
    calls.emplace_back(get != nullptr ? get->nTipoTeclado : "?", dialog != nullptr ? dialog->hWnd : nullptr);
    return Value();
  });
  LoginParams params;
  params.touch = true;
  bool keyboard_button = false;
  ASSERT_TRUE(LogIn({{1, "", 603, [&] { keyboard_button = GetDlgItem(login_dialog, 603) != nullptr; }}, {0, "secreto"}},
                    params));
  EXPECT_TRUE(keyboard_button);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, "C");
  EXPECT_EQ(calls[0].second, login_dialog);
  EXPECT_TRUE(lIsTactil());
  EXPECT_TRUE(X("LISTACTIL()").AsLogical());
  EXPECT_EQ(cCodUsuario(), "01");
}

// The drive of the current folder, and the main window ended by name.
TEST_F(LoginTest, TheCurrentDriveAndTheMainWindowsEnd) {
  char before[MAX_PATH + 1] = {};
  ASSERT_NE(GetCurrentDirectoryA(sizeof before, before), 0u);
  for (const auto& [folder, drive] : {std::pair{"c:\\windows", "C"}, std::pair{"C:\\", "C"}}) {
    ASSERT_TRUE(SetCurrentDirectoryA(folder)) << folder;
    EXPECT_EQ(X("QZCURDRIVE()").AsString(), drive) << folder;
  }
  SetCurrentDirectoryA(before);
  EXPECT_EQ(QzCurDrive(), std::string(1, static_cast<char>(toupper(before[0]))));

  X("TERMINAR()");  // no main window: nothing to end
  auto main = Make();
  data::SetMainWindow(Value(xb::ObjectRef(main)));
  ASSERT_NE(main->hWnd, nullptr);
  X("TERMINAR()");
  vdr::test::PumpUntil([&] { return main->hWnd == nullptr; }, 2000);
  EXPECT_EQ(main->hWnd, nullptr);
  data::SetMainWindow(Value());
}

}  // namespace
}  // namespace svc
