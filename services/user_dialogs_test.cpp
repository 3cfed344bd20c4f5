#include "services/user_dialogs.h"

#include <windows.h>

#include "data/table_access.h"
#include "runtime/lib/strings.h"
#include "services/login.h"
#include "services/password.h"
#include "services/services_test_support.h"
#include "services/user_search.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/window_table.h"

namespace svc {
namespace {

using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using vdr::test::WindowText;
using xb::Value;

const std::string kNone(255, '0');

class UserDialogsTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    qzw_CreaUsuarios(true, false);
    AddUser("01", "Ana", "uno", std::string(255, '1'), "VEN");
    AddGroup("VEN", "Ventas", std::string(255, '1'));
    AddGroup("ALM", "Almacén", "21" + std::string(253, '0'));
    ASSERT_TRUE(tables.Open());
  }

  void GoToUser(const std::string& code) { GoTo("Usuarios", code); }

  static void Type(HWND dialog, int id, const std::string& text, bool clear = false) {
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    if (clear)
      for (int i = 0; i < 30; ++i) SendMessageA(edit, WM_KEYDOWN, VK_DELETE, 0);
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
  }
  static void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  Value User(const std::string& code, const std::string& field) { return FieldOf(UsuariosTable(), "CCODIGO", code, field); }

  // A window with a browse over the open user table.
  xb::Ref<ui::TWBrowse> UserList() {
    window_ = Make(30, 30, 360, 220);
    auto browse = xb::MakeRef<ui::TWBrowse>();
    browse->New({.row = 5, .col = 5, .width = 320, .height = 150,
                 .headers = Value(xb::Array::Of({S("Cód."), S("Nombre")})),
                 .col_sizes = Value(xb::Array::Of({testing::N(30), testing::N(200)})), .parent = window_,
                 .alias = std::string("Usuarios"), .pixel = true});
    return browse;
  }

  UserTablesOpen tables;
  xb::Ref<ui::TWindow> window_;
};

TEST_F(UserDialogsTest, AddingAUserWithAGroup) {
  int step = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != " Añadir usuario") return 0;
    if (step == 0) {
      step = 1;
      EXPECT_EQ(ItemText(d.hwnd, 100), "02");
      Type(d.hwnd, 100, "9");  // the code is never typed
      Type(d.hwnd, 110, "Pedro");
      Type(d.hwnd, 120, "clave");
      Type(d.hwnd, 130, "ven");
      SetFocus(GetDlgItem(d.hwnd, 110));  // leaving the group shows its description
      return 0;
    }
    if (step != 1) return 0;
    step = 2;
    EXPECT_EQ(ItemText(d.hwnd, 100), "02");
    EXPECT_EQ(ItemText(d.hwnd, 90), "Ventas                   ");
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\user_add.bmp");
    return 550;
  });
  EXPECT_TRUE(lInsModUser(nullptr, UserMode::kAdd, {}, tables.aliases()));
  EXPECT_EQ(step, 2);
  EXPECT_TRUE(log().messages.empty());
  tables.Close();
  EXPECT_EQ(std::string(xb::RTrim(User("02", "CNOMBRE").AsString())), "Pedro");
  EXPECT_EQ(cDesencripta(std::string(User("02", "CCLAVE").AsString())), "CLAVE    ");
  EXPECT_EQ(User("02", "GRUPO").AsString(), "VEN");
  EXPECT_EQ(User("02", "ACCESOS1").AsString(), std::string(255, '1'));
}

// A group that does not exist is refused; "+" opens the group list, whose choice fills the
// field; the change of group asks whether the user keeps his levels.
TEST_F(UserDialogsTest, ChangingAUsersGroupThroughTheList) {
  int step = 0;
  std::vector<std::string> titles;
  GoToUser("01");
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == " Grupos de usuarios") {
      titles.push_back(d.title);
      HWND browse = GetDlgItem(d.hwnd, 110);
      SendMessageA(browse, WM_KEYDOWN, VK_HOME, 0);
      SendMessageA(browse, WM_KEYDOWN, VK_DOWN, 0);  // 000, ALM, VEN
      vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\group_pick.bmp");
      return 501;
    }
    if (d.title == "Atención") {
      titles.push_back(d.title + ": " + d.AllText());
      return d.ButtonId("No");
    }
    if (d.title != " Modificar usuario" || !IsWindowEnabled(d.hwnd)) return 0;
    if (step == 0) {
      step = 1;
      EXPECT_EQ(ItemText(d.hwnd, 110), "Ana                      ");
      EXPECT_EQ(ItemText(d.hwnd, 120).substr(0, 3), "UNO");
      EXPECT_EQ(ItemText(d.hwnd, 90), "Ventas                   ");
      Type(d.hwnd, 130, "XYZ", true);
      Press(d.hwnd, 550);
    } else if (step == 1 && !log().messages.empty()) {
      step = 2;
      HWND group = GetDlgItem(d.hwnd, 130);
      SetFocus(group);
      PostMessageA(group, WM_CHAR, '+', 0);
    } else if (step == 2 && !titles.empty()) {
      step = 3;
      EXPECT_EQ(ItemText(d.hwnd, 130), "ALM");
      EXPECT_EQ(ItemText(d.hwnd, 90), "Almacén                  ");
      Press(d.hwnd, 550);
    }
    return 0;
  });
  EXPECT_TRUE(lInsModUser(nullptr, UserMode::kModify, {}, tables.aliases()));
  EXPECT_EQ(step, 3);
  // The field refuses the group (also on its own when the button is pressed).
  ASSERT_FALSE(log().messages.empty());
  for (const auto& m : log().messages) EXPECT_EQ(m.title + ": " + m.text, "Atención: Grupo NO existe");
  ASSERT_EQ(titles.size(), 2u);
  EXPECT_EQ(titles[1].substr(0, 52), "Atención: Ha cambiado la asignación de grupo de este");
  tables.Close();
  EXPECT_EQ(User("01", "GRUPO").AsString(), "ALM");
  EXPECT_EQ(User("01", "ACCESOS1").AsString(), "21" + std::string(253, '0'));
  EXPECT_TRUE(PasswordMatches("uno", std::string(User("01", "CCLAVE").AsString())));
}

// Viewing shows no password and saves nothing; the supervisor's group is not his to change.
TEST_F(UserDialogsTest, ViewingAndTheSupervisorsGroup) {
  GoToUser("01");
  bool seen = false;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) -> int {
      if (d.title != " Visualizar usuario") return 0;
      seen = true;
      EXPECT_EQ(ItemText(d.hwnd, 120), "         ");
      Type(d.hwnd, 110, "Otra");  // nothing is typed
      EXPECT_EQ(ItemText(d.hwnd, 110), "Ana                      ");
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd, 550)));
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd, 130)));
      return 551;
    });
    EXPECT_FALSE(lInsModUser(nullptr, UserMode::kView, {}, tables.aliases()));
  }
  EXPECT_TRUE(seen);

  cCodUsuario("00");
  GoToUser("00");
  seen = false;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != " Modificar usuario") return 0;
    seen = true;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd, 130)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd, 600)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d.hwnd, 550)));
    Type(d.hwnd, 120, "jefe", true);
    return 550;
  });
  EXPECT_TRUE(lInsModUser(nullptr, UserMode::kModify, {}, tables.aliases()));
  EXPECT_TRUE(seen);
  tables.Close();
  EXPECT_EQ(cDesencripta(std::string(User("00", "CCLAVE").AsString())), "JEFE     ");
  EXPECT_EQ(User("00", "GRUPO").AsString(), "000");
}

// The maintenance's twin of the user search: "Código"/"Nombre" in its label; codes past "09"
// ("0A") are found as typed in either case.
TEST_F(UserDialogsTest, TheMaintenanceSearchFindsAUser) {
  tables.Close();
  AddUser("12", "Luis", "x");
  AddUser("0A", "Marta", "x");
  ASSERT_TRUE(tables.Open());
  auto browse = UserList();
  std::vector<std::string> seen;
  std::string typed = "1x2";
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != "Localizar usuario") return 0;
    seen.push_back(ItemText(d.hwnd, 99));
    HWND field = GetDlgItem(d.hwnd, 100);
    SetFocus(field);
    for (char c : typed) SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 0);
    seen.push_back(WindowText(field));
    return 105;
  });
  UserSearch(*browse, "Usuarios", UserSearchFrom::kMaintenance);
  EXPECT_EQ(seen, (std::vector<std::string>{"Búsqueda de usuario por Código", "12"}));
  {
    SelectedAreaScope keep;
    areas().SelectArea(areas().AreaOfAlias("Usuarios"));
    EXPECT_EQ(FieldText("CCODIGO"), "12");
  }
  seen.clear();
  typed = "0a";
  UserSearch(*browse, "Usuarios", UserSearchFrom::kMaintenance);
  EXPECT_EQ(seen, (std::vector<std::string>{"Búsqueda de usuario por Código", "0A"}));
  SelectedAreaScope keep;
  areas().SelectArea(areas().AreaOfAlias("Usuarios"));
  EXPECT_EQ(FieldText("CCODIGO"), "0A");

  // Opened over the group order (the window's third tab), it searches codes, as it says.
  tables.Close();
  AddGroup("120", "Almacén", std::string(255, '1'));
  AddUser("05", "Pepe", "x", std::string(255, '1'), "120");
  ASSERT_TRUE(tables.Open());
  browse = UserList();
  areas().SelectArea(areas().AreaOfAlias("Usuarios"));
  SelectOrder(3);
  seen.clear();
  typed = "12";
  UserSearch(*browse, "Usuarios", UserSearchFrom::kMaintenance);
  EXPECT_EQ(seen, (std::vector<std::string>{"Búsqueda de usuario por Código", "12"}));
  areas().SelectArea(areas().AreaOfAlias("Usuarios"));
  EXPECT_EQ(FieldText("CCODIGO"), "12");
}

// DELUSER over the user list: the row goes, the list stays on a live user.
TEST_F(UserDialogsTest, DeletingFromTheList) {
  auto browse = UserList();
  cCodUsuario("00");
  GoToUser("01");
  EXPECT_TRUE(DelUser(tables.aliases(), Value(xb::ObjectRef(browse))));
  {
    SelectedAreaScope keep;
    areas().SelectArea(areas().AreaOfAlias("Usuarios"));
    EXPECT_FALSE(Area().eof());
    EXPECT_EQ(FieldText("CCODIGO"), "00");
  }
  tables.Close();
  EXPECT_TRUE(User("01", "CCODIGO").IsNil());
}

TEST_F(UserDialogsTest, MaintainingGroups) {
  std::vector<std::string> seen;
  int step = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == " Grupos de usuarios") {
      if (!IsWindowEnabled(d.hwnd)) return 0;
      HWND browse = GetDlgItem(d.hwnd, 110);
      switch (step) {
        case 0:
          step = 1;
          SetFocus(browse);
          SendMessageA(browse, WM_KEYDOWN, VK_HOME, 0);
          PostMessageA(browse, WM_CHAR, '-', 0);  // the administrators cannot go
          break;
        case 1:
          if (log().messages.empty()) break;
          step = 2;
          PostMessageA(browse, WM_CHAR, 'a', 0);
          break;
        case 2:
          if (seen.empty()) break;
          step = 3;
          vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\groups.bmp");
          return 506;
      }
      return 0;
    }
    // The row edited in place: a new group's code and description.
    seen.push_back(d.AllText());
    HWND code = GetNextDlgTabItem(d.hwnd, nullptr, FALSE);
    Type(d.hwnd, GetDlgCtrlID(code), "dir");
    HWND description = GetNextDlgTabItem(d.hwnd, code, FALSE);
    Type(d.hwnd, GetDlgCtrlID(description), "Dirección");
    return d.ButtonId("Aceptar");
  });
  GroupDialogParams params;
  params.aliases = tables.aliases();
  EXPECT_EQ(GrpUser(params), std::nullopt);
  EXPECT_EQ(step, 3);
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].text, "El grupo Administradores no puede eliminarse");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "Código\nDescripción");
  tables.Close();
  EXPECT_EQ(std::string(xb::RTrim(FieldOf(GrpUserTable(), "CODIGO", "DIR", "DESCRIPC").AsString())), "Dirección");
  EXPECT_EQ(FieldOf(GrpUserTable(), "CODIGO", "DIR", "ACCESOS1").AsString(), kNone);
  // Its layout was saved under the dialog's title.
  EXPECT_TRUE(FileExists(DbfOf(std::string(kStart) + "CnfBrw00")));
}

// A new group's code that is taken, or empty, is refused while its row is still open: what
// was typed stays, and a free code then saves it.
TEST_F(UserDialogsTest, ARefusedGroupCodeKeepsTheRowOpen) {
  int step = 0;
  HWND row = nullptr;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Grupos de usuarios") {
      if (step == 0) {
        step = 1;
        PostMessageA(GetDlgItem(d.hwnd, 110), WM_CHAR, 'a', 0);
      } else if (step >= 2 && !IsWindow(row)) {
        return IDCANCEL;  // the row closed: saved, or (wrongly) refused and lost
      }
      return 0;
    }
    HWND code = GetNextDlgTabItem(d.hwnd, nullptr, FALSE);
    auto accept = [&] { PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(d.ButtonId("Aceptar"), BN_CLICKED),
                                     reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, d.ButtonId("Aceptar")))); };
    switch (step) {
      case 1:  // a code taken
        row = d.hwnd;
        Type(d.hwnd, GetDlgCtrlID(code), "ven");
        Type(d.hwnd, GetDlgCtrlID(GetNextDlgTabItem(d.hwnd, code, FALSE)), "Dirección");
        accept();
        step = 2;
        break;
      case 2:  // refused: the same row, still open; a free code
        if (log().messages.empty()) break;
        EXPECT_EQ(d.hwnd, row);
        Type(d.hwnd, GetDlgCtrlID(code), "dir", true);
        accept();
        step = 3;
        break;
      case 3:
        break;
    }
    return 0;
  });
  GroupDialogParams params;
  params.aliases = tables.aliases();
  EXPECT_EQ(GrpUser(params), std::nullopt);
  EXPECT_EQ(step, 3);
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].title + ": " + log().messages[0].text, "Valor no aceptado: Clave duplicada");
  tables.Close();
  EXPECT_EQ(std::string(xb::RTrim(FieldOf(GrpUserTable(), "CODIGO", "DIR", "DESCRIPC").AsString())), "Dirección");
  EXPECT_EQ(std::string(xb::RTrim(FieldOf(GrpUserTable(), "CODIGO", "VEN", "DESCRIPC").AsString())), "Ventas");
}

// Keys pressed on the list of groups as a person presses them: each clicks the button of the
// character it types, or none.
TEST_F(UserDialogsTest, KeysPressedOnTheGroupsClickTheButtonOfTheirCharacter) {
  bool busy = false, done = false;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != " Grupos de usuarios" || busy || done) return 0;
    busy = true;  // the keys' messages are handled in here, this answerer's timer among them
    const ui::WindowRef dialog = ui::OWndFromHwnd(d.hwnd);
    const std::shared_ptr<std::string> clicked = testing::RecordClicks(dialog->aControls);
    for (const testing::HotKeyCase& c : testing::HotKeyCases()) {
      clicked->clear();
      testing::PressOn(GetDlgItem(d.hwnd, 110), c.keys);
      EXPECT_EQ(*clicked, c.letter ? std::string(1, c.letter) : std::string()) << c.name;
    }
    EXPECT_TRUE(IsWindow(d.hwnd));
    busy = false;
    done = true;
    return IDCANCEL;
  });
  GroupDialogParams params;
  params.aliases = tables.aliases();
  EXPECT_EQ(GrpUser(params), std::nullopt);
  EXPECT_TRUE(done);
}

}  // namespace
}  // namespace svc
