#include "services/user_window.h"

#include <windows.h>

#include "data/program_settings.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "services/menu_access.h"
#include "services/menu_table.h"
#include "services/password.h"
#include "services/services_test_support.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/core/error_handler.h"
#include "ui/core/tmdiframe.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using vdr::test::WindowText;
using xb::Value;

class UserWindowTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    qzw_CreaUsuarios(true, false);
    AddUser("01", "Ana", "uno");
    AddUser("02", "Bruno", "dos", std::string(255, '2'), "", true);
    WriteMenuTable({{0, "", "&Ficheros", ""}, {1, "Usuarios", "&Usuarios", ""}, {3, "", "", ""}}, "MenuWinE");
  }

  void OpenFrame() { frame_ = OpenMainFrame(900, 560); }
  void TearDown() override {
    if (UsersWindow() != nullptr) {
      UsersWindow()->End();
      vdr::test::PumpUntil([] { return UsersWindow() == nullptr; });
    }
    data::SetMainWindow(Value());
    frame_ = {};
    ServicesTest::TearDown();
  }

  // A key pressed on the user list (arrows, Home, End).
  static void Key(int key) {
    SendMessageA(UsersBrowse()->hWnd, WM_KEYDOWN, key, 0);
    vdr::test::PumpPending();
  }
  // A character typed on the user list.
  static void Type(char c) {
    SendMessageA(UsersBrowse()->hWnd, WM_CHAR, static_cast<unsigned char>(c), 0);
    vdr::test::PumpPending();
  }
  static int UsersOrder() { return static_cast<int>(X("Usuarios->( IndexOrd() )").AsInt()); }

  xb::Ref<ui::TMdiFrame> frame_;
};

// The bar's optional buttons and the window's key string follow the tables there are: the
// configuration table, and each listing table with its index.
TEST_F(UserWindowTest, TheKeyStringFollowsTheTablesThereAre) {
  struct Case {
    bool config;
    std::vector<std::string> files;
    std::string keys;
  };
  const Case cases[] = {
      {false, {}, "AMEZLPIGFS"},
      {true, {}, "AMEZLCPIGFS"},
      {true, {"Listados.dbf", "Listados.cdx"}, "AMEZLCPIDGFS"},
      {false, {"Listados.dbf"}, "AMEZLPIGFS"},  // its index is missing
      {false, {"ListadoB.dbf", "ListadoB.cdx", "ListadoC.dbf", "ListadoC.cdx"}, "AMEZLPIXWGFS"},
      {true,
       {"Listados.dbf", "Listados.cdx", "ListadoB.dbf", "ListadoB.cdx", "ListadoC.dbf", "ListadoC.cdx"},
       "AMEZLCPIDXWGFS"},
  };
  for (const Case& c : cases) {
    for (const char* name : {"Listados", "ListadoB", "ListadoC"})
      for (const char* extension : {".dbf", ".cdx"}) EraseFile(std::string(kStart) + name + extension);
    for (const std::string& file : c.files) memory().SetContents(std::string(kStart) + file, "x");
    lConfig(c.config);
    EXPECT_EQ(UserWindowKeys(UserWindowButtonsNow()), c.keys) << c.keys;
  }
}

// The window opens once, as an MDI child 30 pixels in from the client's edges, with one bar
// button a letter of its key string; the letters and the tabs work; closing it closes its
// tables, unchecks its option and leaves the backup pair equal to the tables.
TEST_F(UserWindowTest, TheWindowItsKeysItsTabsAndTheBackupPair) {
  memory().SetContents(std::string(kStart) + "Listados.dbf", "x");
  memory().SetContents(std::string(kStart) + "Listados.cdx", "x");
  OpenFrame();
  xb::Ref<ui::TMenu> menu = oMenuInit({.table = "MenuWinE"});  // the supervisor's: all at "2"
  const MenuOption* option = MenuOptionAt(FindMenuOption("Usuarios"));
  ASSERT_NE(option, nullptr);
  ASSERT_TRUE(option->item);
  Usuarios();
  ui::TMdiChild* window = UsersWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowText(window->hWnd), " Usuarios");
  RECT r;
  GetWindowRect(window->hWnd, &r);
  MapWindowPoints(nullptr, GetParent(window->hWnd), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_NEAR(r.left, 30, 2);
  EXPECT_NEAR(r.top, 30, 2);
  ASSERT_NE(UsersBar(), nullptr);
  EXPECT_EQ(UsersBar()->aControls.size(), std::string("AMEZLCPIDGFS").size());
  ASSERT_NE(UsersTabs(), nullptr);
  EXPECT_EQ(UsersTabs()->aPrompts, (std::vector<std::string>{"Código", "Nombre", "Grupo"}));
  for (const char* alias : {"Usuarios", "ColorW", "GrpUser", "Config", kUsersMenuAlias})
    EXPECT_NE(areas().AreaOfAlias(alias), 0) << alias;

  // "Z" views the selected user; "L" opens the search; "S" closes.
  std::vector<std::string> titles;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    titles.push_back(d.title);
    if (d.title == " Visualizar usuario") {
      vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\users_view.bmp");
      return 551;
    }
    if (d.title == "Localizar usuario") return 105;
    ADD_FAILURE() << d.title << ": " << d.AllText();
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  Key(VK_DOWN);
  Type('Z');
  Type('l');
  EXPECT_EQ(titles, (std::vector<std::string>{" Visualizar usuario", "Localizar usuario"}));

  // The tabs choose the order: code, name, group.
  EXPECT_EQ(UsersOrder(), 1);
  UsersTabs()->SetOption(2);
  EXPECT_EQ(UsersOrder(), 2);
  UsersTabs()->SetOption(3);
  EXPECT_EQ(UsersOrder(), 3);
  // The search over the group order searches codes, and the tabs say so afterwards.
  Type('l');
  EXPECT_EQ(UsersOrder(), 1);
  EXPECT_EQ(UsersTabs()->nOption, 1);
  UsersTabs()->SetOption(1);
  vdr::test::PumpPending();
  vdr::test::SaveWindowBitmap(frame_->hWnd, vdr::test::ScreenshotFolder() + "\\users_window.bmp");

  // Opening it again while it is open closes it (the option's item is checked meanwhile).
  EXPECT_TRUE(option->item->lChecked);
  Usuarios();
  vdr::test::PumpUntil([] { return UsersWindow() == nullptr; });
  EXPECT_EQ(UsersWindow(), nullptr);
  EXPECT_FALSE(option->item->lChecked);
  for (const char* alias : {"Usuarios", "ColorW", "GrpUser", "Config", kUsersMenuAlias})
    EXPECT_EQ(areas().AreaOfAlias(alias), 0) << alias;
  const std::string start = kStart;
  EXPECT_EQ(memory().Contents(start + "Usuarios.seg"), memory().Contents(start + "Usuarios.dbf"));
  EXPECT_EQ(memory().Contents(start + "Usuarios.sgx"), memory().Contents(start + "Usuarios.cdx"));
  EXPECT_FALSE(memory().Contents(start + "Usuarios.sgx").empty());
  EXPECT_FALSE(FileExists(start + "Usuarios.seg.$$$"));
  EXPECT_TRUE(errors.empty());
}

// CONFMDICHILDNEW and CONFACTIVMDICHILD: the window comes back where it was left, and
// maximised when it was left so.
TEST_F(UserWindowTest, TheWindowComesBackAsItWasLeft) {
  OpenFrame();
  SetMenuOption(2, {nullptr, "Usuarios", '2'});
  auto close = [] {
    UsersWindow()->End();
    vdr::test::PumpUntil([] { return UsersWindow() == nullptr; });
  };
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  MoveWindow(UsersWindow()->hWnd, 50, 60, 500, 300, TRUE);
  close();
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  RECT r;
  GetWindowRect(UsersWindow()->hWnd, &r);
  MapWindowPoints(nullptr, GetParent(UsersWindow()->hWnd), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.top, 60);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_FALSE(IsZoomed(UsersWindow()->hWnd));
  ShowWindow(UsersWindow()->hWnd, SW_MAXIMIZE);
  close();
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  EXPECT_TRUE(IsZoomed(UsersWindow()->hWnd));
  // Left maximised or iconised, it comes back so, and restored it takes the place it had.
  auto restored_place = [&] {
    ShowWindow(UsersWindow()->hWnd, SW_RESTORE);
    GetWindowRect(UsersWindow()->hWnd, &r);
    MapWindowPoints(nullptr, GetParent(UsersWindow()->hWnd), reinterpret_cast<POINT*>(&r), 2);
    return std::vector<long>{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  EXPECT_EQ(restored_place(), (std::vector<long>{50, 60, 500, 300}));
  ShowWindow(UsersWindow()->hWnd, SW_MINIMIZE);
  close();
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  EXPECT_TRUE(IsIconic(UsersWindow()->hWnd));
  EXPECT_EQ(restored_place(), (std::vector<long>{50, 60, 500, 300}));
}

// Every letter of the bar does its work: a user added through his dialog (his record checked
// byte for byte as other programs read it), the others' dialogs opened and closed, the
// refusals on the supervisor's row (he is the one logged in), "S" closing the window.
TEST_F(UserWindowTest, EveryLetterOfTheBar) {
  OpenFrame();
  SetMenuOption(2, {nullptr, "Usuarios", '2'});
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  std::vector<std::string> titles;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    titles.push_back(d.title);
    if (d.title == " Añadir usuario") {
      for (const auto& [id, text] : {std::pair{110, "Pedro"}, std::pair{120, "clave"}}) {
        HWND edit = GetDlgItem(d.hwnd, id);
        SetFocus(edit);
        for (char c : std::string(text)) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
      }
      return 550;
    }
    if (d.title == " Modificar usuario" || d.title == " Visualizar usuario") return 551;
    if (d.title == "Mapa de accesos") return 520;
    if (d.title == " Grupos de usuarios") return 506;
    if (d.title == "Localizar usuario") return 105;
    if (GetDlgItem(d.hwnd, IDCANCEL) != nullptr) return IDCANCEL;
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  Type('A');
  EXPECT_TRUE(log().messages.empty());
  Key(VK_HOME);  // the supervisor
  for (char c : std::string("MZEPLGF")) Type(c);
  Key(VK_END);  // the new user
  Type('P');
  Type('S');
  vdr::test::PumpUntil([] { return UsersWindow() == nullptr; });
  EXPECT_EQ(UsersWindow(), nullptr);
  ASSERT_EQ(titles.size(), 9u);
  EXPECT_EQ(titles, (std::vector<std::string>{" Añadir usuario", " Modificar usuario", " Visualizar usuario",
                                              "Acceso denegado", "Acceso denegado", "Localizar usuario",
                                              " Grupos de usuarios", titles[7], "Mapa de accesos"}));
  EXPECT_TRUE(errors.empty());

  // The new user's record, byte for byte: not deleted, code, name, scrambled password, not
  // active, four strings of no access, lLogo set, no last company, no group.
  const std::string file = memory().Contents(DbfOf(UsuariosTable()));
  const std::size_t header = static_cast<unsigned char>(file[8]) | static_cast<unsigned char>(file[9]) << 8;
  const std::size_t length = static_cast<unsigned char>(file[10]) | static_cast<unsigned char>(file[11]) << 8;
  std::string expected = " 03" + std::string("Pedro") + std::string(20, ' ') + std::string(10, '?') + "F";
  expected += std::string(4 * 255, '0') + "T" + std::string(3, ' ') + std::string(3, ' ');
  ASSERT_EQ(length, expected.size());
  std::string found;
  for (std::size_t at = header; at + length <= file.size(); at += length)
    if (file.compare(at + 1, 2, "03") == 0) found = file.substr(at, length);
  ASSERT_EQ(found.size(), expected.size());
  // The scrambled password (its tenth byte comes from the clock) reads back as typed.
  EXPECT_EQ(cDesencripta(found.substr(28, 10)), "CLAVE    ");
  found.replace(28, 10, std::string(10, '?'));
  EXPECT_EQ(found, expected);
  EXPECT_FALSE(FieldOf(ColorWTable(), "CCODIGO", "03", "CCODIGO").IsNil());
  EXPECT_FALSE(FieldOf(ConfigTable(), "CCODIGO", "03", "CCODIGO").IsNil());
}

// Keys pressed on the list as a person presses them: each clicks the button of the character
// it types, or none.
TEST_F(UserWindowTest, KeysPressedOnTheListClickTheButtonOfTheirCharacter) {
  OpenFrame();
  SetMenuOption(2, {nullptr, "Usuarios", '2'});
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  const std::shared_ptr<std::string> clicked = testing::RecordClicks(UsersBar()->aControls);
  for (const testing::HotKeyCase& c : testing::HotKeyCases()) {
    clicked->clear();
    testing::PressOn(UsersBrowse()->hWnd, c.keys);
    EXPECT_EQ(*clicked, c.letter ? std::string(1, c.letter) : std::string()) << c.name;
  }
  EXPECT_NE(UsersWindow(), nullptr);
}

// Closed by Windows (its close box, the window menu's "Cerrar todas"): the same ending as
// its own button, the tables closed and the backup pair made.
TEST_F(UserWindowTest, ClosedFromOutsideItEndsTheSameWay) {
  OpenFrame();
  SetMenuOption(2, {nullptr, "Usuarios", '2'});
  EraseFile(std::string(kStart) + "Usuarios.seg");
  X("Usuarios()");
  ASSERT_NE(UsersWindow(), nullptr);
  SendMessageA(UsersWindow()->hWnd, WM_CLOSE, 0, 0);
  vdr::test::PumpUntil([] { return UsersWindow() == nullptr; });
  EXPECT_EQ(UsersWindow(), nullptr);
  EXPECT_EQ(areas().AreaOfAlias("Usuarios"), 0);
  const std::string start = kStart;
  EXPECT_EQ(memory().Contents(start + "Usuarios.seg"), memory().Contents(start + "Usuarios.dbf"));
}

// A table that cannot be opened opens nothing, after the table layer's one message saying
// why (the menu table missing, or held by another user); the menu table falls back to
// "MenuWin".
TEST_F(UserWindowTest, NothingOpensWithoutItsTables) {
  OpenFrame();
  SetMenuOption(2, {nullptr, "Usuarios", '2'});
  const std::string start = kStart;
  struct Case {
    const char* name;
    const char* erased;
    const char* menu_copy;  // MenuWinE copied to this name first
    const char* held;       // held exclusively by another user
    const char* told;       // "": no message, the window opens
  };
  const Case cases[] = {
      {"sin grupos", "GrpUser.dbf", nullptr, nullptr, "No se ha encontrado el fichero que se intentaba abrir :Grpuser.dbf."},
      {"sin menús", "MenuWinE.dbf", nullptr, nullptr, "No se ha encontrado el fichero que se intentaba abrir :Menuwine.dbf."},
      {"menús en uso", nullptr, nullptr, "MenuWinE", "Es necesario tener acceso exclusivo al fichero Menuwine.dbf."},
      {"MenuWin en su lugar", "MenuWinE.dbf", "MenuWin.dbf", nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string kept = c.erased ? memory().Contents(start + c.erased) : std::string();
    if (c.menu_copy != nullptr) memory().SetContents(start + c.menu_copy, memory().Contents(start + "MenuWinE.dbf"));
    if (c.erased != nullptr) EraseFile(start + c.erased);
    int holder = 0;
    if (c.held != nullptr) {
      SelectedAreaScope keep;
      ASSERT_TRUE(OpenTable(start + c.held, "Ocupada", true));
      holder = areas().CurrentArea();
    }
    std::vector<std::string> told;
    {
      DialogAnswerer answerer([&](const SeenDialog& d) {
        told.push_back(d.AllText());
        return d.buttons.empty() ? 0 : d.buttons.front().id;
      });
      Usuarios();
    }
    EXPECT_EQ(UsersWindow() != nullptr, std::string(c.told).empty());
    if (std::string(c.told).empty()) {
      EXPECT_TRUE(told.empty());
    } else {
      ASSERT_EQ(told.size(), 1u);
      EXPECT_NE(told[0].find(c.told), std::string::npos) << told[0];
    }
    if (UsersWindow() != nullptr) {
      UsersWindow()->End();
      vdr::test::PumpUntil([] { return UsersWindow() == nullptr; });
    }
    for (const char* alias : {"Usuarios", "ColorW", "GrpUser", "Config", kUsersMenuAlias})
      EXPECT_EQ(areas().AreaOfAlias(alias), 0) << alias;
    if (holder != 0) areas().Area(holder)->Close();
    if (c.erased != nullptr) memory().SetContents(start + c.erased, kept);
    if (c.menu_copy != nullptr) EraseFile(start + c.menu_copy);
  }
}

// At level "1" the writing buttons stay disabled: their letters do nothing, viewing works.
TEST_F(UserWindowTest, ReadOnlyUseLeavesTheWritingButtonsOff) {
  OpenFrame();
  SetMenuOption(2, {nullptr, "Usuarios", '1'});
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  std::vector<std::string> titles;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    titles.push_back(d.title);
    return d.buttons.empty() ? 0 : d.buttons.back().id;
  });
  for (char c : std::string("AMECPG\r")) Type(c);
  EXPECT_TRUE(titles.empty());
  Type('Z');
  EXPECT_EQ(titles, (std::vector<std::string>{" Visualizar usuario"}));
}

// The listing and report maps are reached by name: a stand-in receives the list, the user
// table's alias and the title; a map that is not there ends in the error handler, and the
// window stays.
TEST_F(UserWindowTest, TheListingMapsAreReachedByName) {
  for (const char* name : {"Listados.dbf", "Listados.cdx", "ListadoC.dbf", "ListadoC.cdx"})
    memory().SetContents(std::string(kStart) + name, "x");
  static std::vector<std::string> calls;  // the stand-in stays registered
  calls.clear();
  xb::RegisterFunction("USRLISTADOS", [](xb::Args& a) {
    calls.push_back(std::string(a.Arg(1).IsObject() ? "browse " : "? ") + std::string(a.Str(2)) + " " +
                    std::string(a.Str(3)) + " " + std::string(a.Str(4)));
    return Value();
  });
  OpenFrame();
  SetMenuOption(2, {nullptr, "Usuarios", '2'});
  Usuarios();
  ASSERT_NE(UsersWindow(), nullptr);
  Type('D');
  Type('W');
  EXPECT_EQ(calls, (std::vector<std::string>{"browse Usuarios Listados Listados", "browse Usuarios ListadoC List. Word"}));
  EXPECT_TRUE(errors.empty());
  Type('I');  // nobody registered USRINFORMES here
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(UsersWindow(), nullptr);

  // Under the program's error handler: its dialog, answered "Defecto"; the window stays.
  char kept_folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, kept_folder);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  SetCurrentDirectoryA(temp);  // its Error.log
  ui::ErrorSys();
  std::string description;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      if (!d.texts.empty()) description = d.texts.front();
      vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\users_map_missing.bmp");
      return d.ButtonId("Defecto");
    });
    Type('I');
  }
  SetCurrentDirectoryA(kept_folder);
  EXPECT_NE(description.find("USRINFORMES"), std::string::npos) << description;
  EXPECT_NE(UsersWindow(), nullptr);
}

}  // namespace
}  // namespace svc
