#include "services/access_map.h"

#include <windows.h>

#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "services/menu_access.h"
#include "services/services_test_support.h"
#include "services/user_dialogs.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/controls/twbrowse.h"

namespace svc {
namespace {

using testing::MenuRow;
using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using xb::Value;

const std::string kNone(255, '0');

// A menu table with two options of equal prompt, an option without item (kind 9), an end of
// pop-up with no pop-up open, a folder left open at the end and an option past record 255.
std::vector<MenuRow> FixtureMenu() {
  std::vector<MenuRow> rows = {
      {3, "", "", ""},                            // 1: ignored
      {0, "", "&Ficheros", ""},                   // 2
      {1, "Clientes", "&Clientes", ""},           // 3
      {1, "Clientes2", "&Clientes", ""},          // 4: the same prompt
      {9, "Oculta", "Opción &oculta", ""},        // 5
      {3, "", "", ""},                            // 6
      {0, "", "&Utilidades", ""},                 // 7: never ended
  };
  while (rows.size() < 259) rows.push_back({2, "", "", ""});
  rows.push_back({1, "Tarde", "&Tarde", ""});  // 260
  return rows;
}

class AccessMapTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    qzw_CreaUsuarios(true, false);
    AddUser("01", "Ana", "uno", "00120" + std::string(250, '0'), "VEN");
    AddUser("02", "Bruno", "dos", kNone, "VEN");
    AddUser("03", "Eva", "tres", kNone, "ALM");
    AddGroup("VEN", "Ventas", std::string(255, '1'));
    AddGroup("ALM", "Almacén", kNone);
    WriteMenuTable(FixtureMenu(), "MenuWinE");
    ASSERT_TRUE(tables.Open());
    ASSERT_TRUE(OpenTable(std::string(kStart) + "MenuWinE", "MenuUsr", false));
  }

  // The leaf of a record.
  static ui::TTreeItem* Leaf(const MenuTree& tree, int record) {
    ui::TTreeItem* found = nullptr;
    tree.tree->Eval([&](ui::TTreeItem& item) {
      if (found == nullptr && item.Cargo.IsNumber() && item.Cargo.AsInt() == record) found = &item;
    });
    return found;
  }
  static ui::TTreeItem* Folder(const MenuTree& tree, const std::string& prompt) {
    ui::TTreeItem* found = nullptr;
    tree.tree->Eval([&](ui::TTreeItem& item) {
      if (found == nullptr && item.cPrompt == prompt) found = &item;
    });
    return found;
  }
  static std::int64_t Slot(const Value& picture) {
    return picture.IsArray() && picture.AsArray().size() > 0 ? picture.AsArray()[0].AsInt() : -1;
  }
  static std::int64_t SlotOf(const char* name) {
    return Slot(xb::CallFunction("XLOADBITMAP", {Value::Integer(0), S(name)}));
  }
  std::string Access(const std::string& code) {
    return std::string(FieldOf(UsuariosTable(), "CCODIGO", code, "ACCESOS1").AsString());
  }
  std::string Group(const std::string& code) {
    return std::string(xb::AllTrim(FieldOf(UsuariosTable(), "CCODIGO", code, "GRUPO").AsString()));
  }

  UserTablesOpen tables;
};

TEST_F(AccessMapTest, TheTreeOfTheMenuTable) {
  const MenuTree tree = oGetMenuTree("MenuUsr", "00120" + std::string(250, '0'));
  ASSERT_TRUE(tree.tree);
  ASSERT_EQ(tree.texts.size(), 261u);
  EXPECT_EQ(tree.texts[2], "Ficheros");
  EXPECT_EQ(tree.texts[3], "Clientes");
  EXPECT_EQ(tree.texts[4], "Clientes");
  EXPECT_EQ(tree.texts[5], "Opción oculta");
  EXPECT_EQ(tree.texts[260], "Tarde");
  EXPECT_FALSE(tree.settable[2]);
  EXPECT_TRUE(tree.settable[3]);
  EXPECT_TRUE(tree.settable[5]);
  EXPECT_FALSE(tree.settable[260]);  // past the 255 levels of the strings

  // Two folders at the top; the leaves under the first, the option past 255 under the second.
  ui::TTreeItem* files = tree.tree->First();
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(files->cPrompt, "Ficheros");
  ASSERT_NE(files->Tree(), nullptr);
  EXPECT_EQ(files->Tree()->First()->cPrompt, "Clientes");
  ui::TTreeItem* tools = Folder(tree, "Utilidades");
  ASSERT_NE(tools, nullptr);
  ASSERT_NE(tools->Tree(), nullptr);
  EXPECT_EQ(tools->Tree()->First()->cPrompt, "Tarde");
  EXPECT_EQ(tools->nLevel, files->nLevel);
  for (int record : {3, 4, 5}) EXPECT_EQ(Leaf(tree, record)->nLevel, files->nLevel + 1) << record;
  EXPECT_EQ(Leaf(tree, 260)->nLevel, tools->nLevel + 1);

  struct Case {
    int record;
    const char* picture;
  };
  for (const Case& c : {Case{3, "BmpReadOnly"}, Case{4, "BmpEnable"}, Case{5, "BmpDisable"}, Case{260, "BmpDisable"}}) {
    ui::TTreeItem* leaf = Leaf(tree, c.record);
    ASSERT_NE(leaf, nullptr) << c.record;
    EXPECT_EQ(Slot(leaf->hBmpOpen), SlotOf(c.picture)) << c.record;
  }
  EXPECT_EQ(Slot(files->hBmpOpen), SlotOf("BmpOpen"));
  EXPECT_EQ(Slot(files->hBmpClose), SlotOf("BmpClose"));
}

// One option by its own record (not the first of its prompt), a folder and an option past 255
// changing nothing, all options; a user whose string changed leaves his group.
TEST_F(AccessMapTest, AUsersMap) {
  GoTo("Usuarios", "01");
  AccessMapEditor editor(AccessMapOf::kUser, tables.aliases(), "MenuUsr");
  ASSERT_TRUE(editor.Load());
  EXPECT_EQ(editor.title(), "Ana");
  const MenuTree& tree = editor.tree();
  EXPECT_TRUE(editor.SetOne(Leaf(tree, 4), '0'));
  EXPECT_EQ(editor.access().substr(0, 5), "00100");
  EXPECT_EQ(Slot(Leaf(tree, 4)->hBmpOpen), SlotOf("BmpDisable"));
  EXPECT_TRUE(editor.SetOne(Leaf(tree, 5), '2'));
  EXPECT_FALSE(editor.SetOne(Folder(tree, "Ficheros"), '2'));
  EXPECT_FALSE(editor.SetOne(Leaf(tree, 260), '2'));
  EXPECT_EQ(editor.access(), "00102" + std::string(250, '0'));
  // Written at once, under the record's lock.
  EXPECT_EQ(X("Usuarios->Accesos1").AsString(), editor.access());

  EXPECT_TRUE(editor.SetAll('1'));
  EXPECT_EQ(editor.access(), std::string(255, '1'));
  EXPECT_EQ(Slot(Leaf(tree, 3)->hBmpOpen), SlotOf("BmpReadOnly"));
  EXPECT_EQ(Slot(Leaf(tree, 260)->hBmpOpen), SlotOf("BmpDisable"));
  editor.Close();
  tables.Close();
  EXPECT_EQ(Access("01"), std::string(255, '1'));
  EXPECT_EQ(Group("01"), "");
  EXPECT_EQ(Group("02"), "VEN");
}

// A group's map: its users follow when the question is answered "Sí", not otherwise; a map
// left as it was asks nothing.
TEST_F(AccessMapTest, AGroupsMapAndItsUsers) {
  for (bool hand_on : {false, true}) {
    GoTo("GrpUser", "VEN");
    AccessMapEditor editor(AccessMapOf::kGroup, tables.aliases(), "MenuUsr");
    ASSERT_TRUE(editor.Load());
    EXPECT_EQ(editor.title(), "Ventas");
    EXPECT_TRUE(editor.SetOne(Leaf(editor.tree(), 3), hand_on ? '2' : '0'));
    int asked = 0;
    editor.Close([&] {
      ++asked;
      return hand_on;
    });
    EXPECT_EQ(asked, 1);
  }
  GoTo("GrpUser", "VEN");
  AccessMapEditor unchanged(AccessMapOf::kGroup, tables.aliases(), "MenuUsr");
  ASSERT_TRUE(unchanged.Load());
  unchanged.Close([] {
    ADD_FAILURE() << "asked without a change";
    return false;
  });
  tables.Close();
  EXPECT_EQ(FieldOf(GrpUserTable(), "CODIGO", "VEN", "ACCESOS1").AsString(), "112" + std::string(252, '1'));
  EXPECT_EQ(Access("01"), "112" + std::string(252, '1'));
  EXPECT_EQ(Access("02"), "112" + std::string(252, '1'));
  EXPECT_EQ(Access("03"), kNone);  // another group
  EXPECT_EQ(Group("01"), "VEN");
}

TEST_F(AccessMapTest, TheSupervisorAndTheAdministratorsAreNotConfigurable) {
  GoTo("Usuarios", "00");
  EXPECT_FALSE(AccessMapEditor(AccessMapOf::kUser, tables.aliases(), "MenuUsr").Load());
  GoTo("GrpUser", "000");
  EXPECT_FALSE(AccessMapEditor(AccessMapOf::kGroup, tables.aliases(), "MenuUsr").Load());
  ASSERT_EQ(log().messages.size(), 2u);
  EXPECT_EQ(log().messages[0].title + ": " + log().messages[0].text, "Acceso denegado: El Supervisor no es configurable");
  EXPECT_EQ(log().messages[1].title + ": " + log().messages[1].text,
            "Acceso denegado: El grupo Administradores no es configurable");
}

// The dialog: the tree opened fully, an option chosen in it set to no use, then every
// option to full use; MAPUSER by name.
TEST_F(AccessMapTest, TheDialog) {
  GoTo("Usuarios", "01");
  std::vector<std::string> seen;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != "Mapa de accesos") {
      seen.push_back(d.title);
      return d.buttons.empty() ? 0 : d.buttons.front().id;
    }
    seen.push_back(ItemText(d.hwnd, 101));
    HWND browse = GetDlgItem(d.hwnd, 100);
    SendMessageA(browse, WM_KEYDOWN, VK_HOME, 0);
    SendMessageA(browse, WM_KEYDOWN, VK_DOWN, 0);  // "Ficheros", then its first option
    SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(120, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, 120)));
    seen.push_back(std::string(X("Usuarios->Accesos1").AsString().substr(0, 5)));
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\access_map.bmp");
    SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(130, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, 130)));
    return 520;
  });
  X("MapUser( , 1 )");
  EXPECT_EQ(seen, (std::vector<std::string>{"Ana", "00020"}));
  tables.Close();
  EXPECT_EQ(Access("01"), std::string(255, '2'));
  EXPECT_EQ(Group("01"), "");
  EXPECT_TRUE(errors.empty());
}

// Without its menu table (missing, or held by another user) the editor does not open: the
// table layer's one message says why, and the user's string stays as it was.
TEST_F(AccessMapTest, WithoutItsMenuTableNoMapOpens) {
  areas().Area(areas().AreaOfAlias("MenuUsr"))->Close();
  const std::string start = kStart;
  const std::string menu = memory().Contents(start + "MenuWinE.dbf");
  struct Case {
    bool held;  // else missing
    const char* told;
  };
  for (const Case& c : {Case{false, "No se ha encontrado el fichero que se intentaba abrir :Menuwine.dbf."},
                        Case{true, "Es necesario tener acceso exclusivo al fichero Menuwine.dbf."}}) {
    SCOPED_TRACE(c.held ? "en uso" : "sin fichero");
    log().messages.clear();
    int holder = 0;
    if (c.held) {
      SelectedAreaScope keep;
      ASSERT_TRUE(OpenTable(start + "MenuWinE", "Ocupada", true));
      holder = areas().CurrentArea();
    } else {
      EraseFile(start + "MenuWinE.dbf");
    }
    GoTo("Usuarios", "01");
    std::vector<std::string> dialogs;
    {
      DialogAnswerer answerer([&](const SeenDialog& d) {
        dialogs.push_back(d.title);
        return d.buttons.empty() ? 0 : d.buttons.back().id;
      });
      X("MapUser( , 1 )");
      vdr::test::PumpPending();
    }
    EXPECT_TRUE(dialogs.empty());
    ASSERT_EQ(log().messages.size(), 1u);
    EXPECT_NE(log().messages[0].text.find(c.told), std::string::npos) << log().messages[0].text;
    EXPECT_EQ(areas().AreaOfAlias("MenuMap"), 0);
    if (holder != 0) areas().Area(holder)->Close();
    memory().SetContents(start + "MenuWinE.dbf", menu);
  }
  tables.Close();
  EXPECT_EQ(Access("01"), "00120" + std::string(250, '0'));
}

// A group's map from the group list ("P"): every option at full use, and its users follow
// once the question is answered "Sí".
TEST_F(AccessMapTest, AGroupsMapFromTheGroupList) {
  ShowMessages();
  int step = 0;
  std::string title, question;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    auto post = [&](int id) {
      PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, id)));
    };
    if (d.title == " Grupos de usuarios") {
      if (step++ > 0) return 506;
      HWND browse = GetDlgItem(d.hwnd, 110);
      SendMessageA(browse, WM_KEYDOWN, VK_END, 0);  // 000, ALM, VEN
      post(504);
      return 0;
    }
    if (d.title == "Mapa de accesos") {
      title = ItemText(d.hwnd, 101);
      post(130);
      return 520;
    }
    question = d.title + ": " + d.AllText();
    return d.ButtonId("Sí");
  });
  GroupDialogParams params;
  params.aliases = tables.aliases();
  GrpUser(params);
  EXPECT_EQ(step, 2);
  EXPECT_EQ(title, "Ventas");
  // (the box shows the line break as Windows writes it)
  EXPECT_EQ(question,
            " Información: Ha cambiado el mapa de accesos de un grupo de usuarios.\r\n¿ Desea reflejar estos cambios en "
            "el mapa de accesos de los usuarios pertenecientes a este grupo ?");
  tables.Close();
  EXPECT_EQ(FieldOf(GrpUserTable(), "CODIGO", "VEN", "ACCESOS1").AsString(), std::string(255, '2'));
  EXPECT_EQ(Access("01"), std::string(255, '2'));
  EXPECT_EQ(Access("02"), std::string(255, '2'));
  EXPECT_EQ(Access("03"), kNone);
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace svc
