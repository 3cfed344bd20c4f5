#include "services/menu_table.h"

#include <windows.h>

#include "data/program_settings.h"
#include "services/menu_access.h"
#include "services/services_test_support.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/pump.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using testing::S;
using xb::Value;
using Row = testing::MenuRow;

class MenuTableTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    calls.clear();
    // The actions of the tables below call this function of the program.
    xb::RegisterFunction("ACCIONPRUEBA", [](xb::Args& a) {
      calls.push_back(std::string(a.Str(1)));
      return Value();
    });
    qzw_CreaUsuarios(true, false);
  }

  // Logs `code` in with this access string for the first access field.
  void As(const std::string& code, const std::string& access) {
    AddUser(code, "Usuario " + code, "x", access);
    cCodUser(code);
    cCodUsuario(code);
  }

  static ui::TMenuItem* ItemOf(ui::TMenu& menu, const std::string& prompt) {
    for (const auto& item : menu.aItems)
      if (item->cPrompt == prompt) return item.get();
    return nullptr;
  }
  static std::vector<std::string> Prompts(ui::TMenu& menu) {
    std::vector<std::string> prompts;
    for (const auto& item : menu.aItems) prompts.push_back(item->cPrompt.empty() ? "-" : item->cPrompt);
    return prompts;
  }
  static ui::TMenu& Sub(ui::TMenu& menu, const std::string& prompt) {
    ui::TMenuItem* item = ItemOf(menu, prompt);
    EXPECT_NE(item, nullptr) << prompt;
    EXPECT_NE(item->SubMenu(), nullptr) << prompt;
    return *item->SubMenu();
  }

  static std::vector<std::string> calls;
};

std::vector<std::string> MenuTableTest::calls;

// Levels, separators, access levels, options without item, the window and help pop-ups and
// the compiled actions.
TEST_F(MenuTableTest, BuildsTheBarFromTheTable) {
  WriteMenuTable({
      {0, "", "&Ficheros", ""},                                   // 1
      {1, "Clientes", "&Clientes", "AccionPrueba('cli')"},        // 2
      {2, "", "", ""},                                            // 3
      {1, "Proveedores", "&Proveedores", "AccionPrueba('pro')"},  // 4
      {0, "", "&Más", ""},                                        // 5
      {1, "Libre", "&Libre", "AccionPrueba('lib')", false},       // 6
      {3, "", "", ""},                                            // 7
      {3, "", "", ""},                                            // 8
      {0, "", "&Utilidades", ""},                                 // 9
      {1, "ReIndex", "&Organizar", "AccionPrueba('org')"},        // 10
      {9, "dGetDate", "", ""},                                    // 11
      {1, "Consulta", "C&onsulta", ""},                           // 12
      {3, "", "", ""},                                            // 13
      {4, "", "", ""},                                            // 14
      {5, "", "", ""},                                            // 15
      {1, "Tarde", "&Tarde", ""},                                 // 16: after the bar's end
  });
  //          position: 1234567890123456
  As("01", std::string("02202020021120"));
  xb::Ref<ui::TMenu> bar = oMenuInit({.window_menu = true, .help_menu = true, .table = "MenuVdrE"});
  ASSERT_TRUE(bar);
  EXPECT_EQ(Prompts(*bar), (std::vector<std::string>{"&Ficheros", "&Utilidades", "&Ventana", "A&yuda"}));
  ui::TMenu& ficheros = Sub(*bar, "&Ficheros");
  EXPECT_EQ(Prompts(ficheros), (std::vector<std::string>{"&Clientes", "-", "&Proveedores", "&Más"}));
  EXPECT_EQ(GetMenuItemCount(ficheros.hMenu()), 4);
  EXPECT_TRUE(ItemOf(ficheros, "&Clientes")->lActive);
  EXPECT_FALSE(ItemOf(ficheros, "&Proveedores")->lActive);  // level "0"
  EXPECT_TRUE(ItemOf(Sub(ficheros, "&Más"), "&Libre")->lActive);  // not subject to the map
  ui::TMenu& utilidades = Sub(*bar, "&Utilidades");
  EXPECT_EQ(Prompts(utilidades), (std::vector<std::string>{"&Organizar", "C&onsulta"}));
  EXPECT_TRUE(ItemOf(utilidades, "C&onsulta")->lActive);  // level "1": read-only use
  EXPECT_EQ(Prompts(Sub(*bar, "&Ventana")).size(), 7u);
  EXPECT_EQ(Prompts(Sub(*bar, "A&yuda")),
            (std::vector<std::string>{"&1. Contenido...", "&2. Buscar...", "-", "&3. Documentación adicional", "-",
                                      "&4. Acerca de..."}));

  // Levels by name: options, the option without item, the window menu's fixed items.
  EXPECT_EQ(cAccesoMenu("Clientes"), "2");
  EXPECT_EQ(cAccesoMenu("Proveedores"), "0");
  EXPECT_EQ(cAccesoMenu("ReIndex"), "2");
  EXPECT_EQ(cAccesoMenu("dGetDate"), "1");
  EXPECT_EQ(cAccesoMenu("Consulta"), "1");
  EXPECT_EQ(cAccesoMenu("Cerrar todas"), "2");
  EXPECT_EQ(cAccesoMenu("Mosaico"), "2");  // the first name that begins so
  EXPECT_EQ(cAccesoMenu("Tarde"), "0");    // after the bar's end: no option
  EXPECT_EQ(cAccesoMenu("NoExiste"), "0");
  EXPECT_EQ(cAccesoMenu(""), "0");
  EXPECT_EQ(X("CACCESOMENU('ReIndex')").AsString(), "2");
  // The tables of 255 entries by record number; the fixed items after the last record.
  for (const char* length : {"Len( AGETMENU() )", "Len( AMNUNAMES() )", "Len( AMNUREADO() )"}) EXPECT_EQ(X(length).AsInt(), 255) << length;
  EXPECT_EQ(aMnuNames()[9].AsString(), "ReIndex");
  EXPECT_EQ(aMnuReado()[10].AsString(), "1");
  EXPECT_TRUE(aGetMenu()[10].IsNil());  // kind 9: no item
  EXPECT_FALSE(aGetMenu()[9].IsNil());
  EXPECT_EQ(aMnuNames()[16].AsString(), "Mosaico Vertical");
  EXPECT_EQ(aMnuNames()[22].AsString(), "Cerrar todas");
  EXPECT_EQ(aMnuReado()[22].AsString(), "2");
  EXPECT_EQ(X("AMNUNAMES()[ 255 ]").AsString(), "");  // past them: no option
  EXPECT_EQ(X("AMNUREADO()[ 24 ]").AsString(), "");
  EXPECT_TRUE(X("AGETMENU()[ 200 ]").IsNil());

  // The compiled actions run when the items are chosen.
  ItemOf(ficheros, "&Clientes")->Run();
  ItemOf(utilidades, "&Organizar")->Run();
  EXPECT_EQ(calls, (std::vector<std::string>{"cli", "org"}));
  EXPECT_EQ(oGetMenu().get(), bar.get());
  bar->End();
}

TEST_F(MenuTableTest, ShortAccessStringsArePaddedWithNoAccess) {
  WriteMenuTable({{0, "", "&A", ""}, {1, "Uno", "&Uno", ""}, {1, "Dos", "&Dos", ""}, {3, "", "", ""}});
  As("01", "2");
  xb::Ref<ui::TMenu> bar = oMenuInit({.table = "MenuVdrE"});
  EXPECT_EQ(cAccesoMenu("Uno"), "0");
  EXPECT_EQ(cAccesoMenu("Dos"), "0");
  EXPECT_FALSE(ItemOf(Sub(*bar, "&A"), "&Dos")->lActive);
  bar->End();
}

// Tables of any shape: open levels ended at the end, an end of pop-up at the bar's level
// ignored, more records than an access string has characters, an action that does not
// compile.
TEST_F(MenuTableTest, TablesOfAnyShapeBuild) {
  std::vector<Row> rows = {{3, "", "", ""}, {0, "", "&Grande", ""}, {1, "Roto", "&Roto", "AccionPrueba("}};
  for (int i = 4; i <= 300; ++i) rows.push_back({1, "Op" + std::to_string(i), "Op" + std::to_string(i), ""});
  rows.push_back({1, "Libre300", "Libre", "AccionPrueba('fin')", false});
  rows.push_back({0, "", "&Abierto", ""});
  rows.push_back({1, "Dentro", "&Dentro", ""});
  WriteMenuTable(rows);
  As("01", std::string(255, '2'));
  xb::Ref<ui::TMenu> bar = oMenuInit({.table = "MenuVdrE"});
  ASSERT_TRUE(bar);
  ui::TMenu& grande = Sub(*bar, "&Grande");
  EXPECT_EQ(grande.aItems.size(), 300u - 3 + 1 + 1 + 1);
  EXPECT_EQ(Prompts(Sub(grande, "&Abierto")), (std::vector<std::string>{"&Dentro"}));
  EXPECT_EQ(cAccesoMenu("Op255"), "2");
  EXPECT_EQ(cAccesoMenu("Op256"), "0");  // beyond the access string: no access
  EXPECT_TRUE(ItemOf(grande, "Op255")->lActive);
  EXPECT_FALSE(ItemOf(grande, "Op256")->lActive);
  EXPECT_TRUE(ItemOf(grande, "Libre")->lActive);
  EXPECT_EQ(aMnuNames().size(), 303u);  // past the 255 entries: the tables grow with it
  EXPECT_TRUE(errors.empty());

  // The broken action says so when chosen; the others still run.
  ItemOf(grande, "&Roto")->Run();
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].title, "Atención");
  EXPECT_NE(log().messages[0].text.find("AccionPrueba("), std::string::npos);
  ItemOf(grande, "Libre")->Run();
  EXPECT_EQ(calls, (std::vector<std::string>{"fin"}));
  bar->End();
}

TEST_F(MenuTableTest, WithoutItsTableTheMenuOfTheSuiteAndWithoutUsersAnEmptyBar) {
  WriteMenuTable({{0, "", "&General", ""}, {1, "Gen", "&Gen", ""}, {3, "", "", ""}}, "MenuWin");
  As("01", "2");
  xb::Ref<ui::TMenu> bar = oMenuInit({.table = "MenuVdrE"});
  EXPECT_EQ(Prompts(*bar), (std::vector<std::string>{"&General"}));
  bar->End();

  EraseFile(DbfOf(UsuariosTable()));
  EraseFile(IndexOf(UsuariosTable()));
  bar = oMenuInit({.table = "MenuVdrE"});
  ASSERT_TRUE(bar);
  EXPECT_TRUE(bar->aItems.empty());
  EXPECT_EQ(cAccesoMenu("Gen"), "0");
  bar->End();
}

TEST_F(MenuTableTest, CheckingAnOption) {
  WriteMenuTable({{0, "", "&A", ""},
                  {1, "Usuarios", "&Usuarios", ""},
                  {1, "Colores", "&Colores", ""},
                  {9, "Oculta", "", ""},
                  {9, "Cerrada", "", ""},
                  {3, "", "", ""}});
  As("01", "02220");
  SetUserName("Ana");
  xb::Ref<ui::TMenu> bar = oMenuInit({.table = "MenuVdrE"});
  ui::TMenu& a = Sub(*bar, "&A");
  int position = 0;
  EXPECT_TRUE(lChkMenu("Usuarios", &position));
  EXPECT_EQ(position, 2);
  EXPECT_TRUE(lChkMenu("Oculta"));  // an option without item goes by its level
  EXPECT_TRUE(lFreeMenu());
  EXPECT_TRUE(log().messages.empty());

  EXPECT_FALSE(lChkMenu("Cerrada"));
  EXPECT_FALSE(lChkMenu("Nada"));
  ASSERT_EQ(log().messages.size(), 2u);
  EXPECT_EQ(log().messages[0].text, "Opción no accesible para el usuario Ana.\n\rConsulte su mapa de accesos");
  EXPECT_EQ(log().messages[0].title, "Atención");
  EXPECT_EQ(log().messages[1].text, "No se ha localizado la opción Nada en las opciones válidas de menú.");
  EXPECT_EQ(log().messages[1].title, " Atención");

  // An option whose window is open: choosing it again closes that window.
  ItemOf(a, "&Colores")->SetCheck(true);
  auto window = Make();
  const HWND hwnd = window->hWnd;
  EXPECT_FALSE(lChkMenu("Colores", nullptr, Value(xb::ObjectRef(window))));
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(hwnd); }));
  EXPECT_FALSE(lFreeMenu());
  EXPECT_EQ(log().messages.back().title, "Opción exclusiva, acceso denegado");
  bar->End();
}

// A listing's owner window, as the listings module defines it.
const xb::Class& ListingOwnerClass() {
  static const xb::Class& cls = []() -> const xb::Class& {
    if (const xb::Class* defined = xb::Class::Find("TWINOWN")) return *defined;
    return xb::Class::Define("TWINOWN", &ui::TWindow::Cls());
  }();
  return cls;
}
class ListingOwner : public ui::TWindow {
 public:
  ListingOwner() : TWindow(ListingOwnerClass()) {}
};

TEST_F(MenuTableTest, ClosingAllEndsTheListingWindows) {
  WriteMenuTable({{0, "", "&Uno", ""}, {1, "Op", "&Op", ""}, {3, "", "", ""}, {4, "", "", ""}});
  As("01", "02");
  xb::Ref<ui::TMenu> bar = oMenuInit({.window_menu = true, .table = "MenuVdrE"});
  auto listing1 = Make<ListingOwner>(40, 40);
  auto listing2 = Make<ListingOwner>(60, 60);
  auto other = Make(80, 80);
  const HWND listings[] = {listing1->hWnd, listing2->hWnd};
  ItemOf(Sub(*bar, "&Ventana"), "&7. Cerrar todas")->Run();
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(listings[0]) && !IsWindow(listings[1]); }));
  EXPECT_TRUE(IsWindow(other->hWnd));
  EXPECT_TRUE(log().messages.empty());
  bar->End();
}

TEST_F(MenuTableTest, ReloadingGivesTheMainWindowTheNewMenu) {
  WriteMenuTable({{0, "", "&Uno", ""}, {1, "Op", "&Op", ""}, {3, "", "", ""}});
  As("01", "02");
  auto window = Make();
  data::SetMainWindow(Value(xb::ObjectRef(window)));
  xb::Ref<ui::TMenu> first = oMenuInit({.table = "MenuVdrE"});
  window->SetMenu(xb::ObjectRef(first));
  EXPECT_EQ(GetMenu(window->hWnd), first->hMenu());

  WriteMenuTable({{0, "", "&Dos", ""}, {1, "Op", "&Op", ""}, {3, "", "", ""}, {0, "", "&Tres", ""}, {3, "", "", ""}});
  const Value reloaded = X("RELOADMENU(.F., .F., {}, 'MenuVdrE', 1)");
  auto* second = dynamic_cast<ui::TMenu*>(reloaded.AsObject().get());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(window->oMenu.get(), second);
  EXPECT_EQ(GetMenu(window->hWnd), second->hMenu());
  EXPECT_EQ(GetMenuItemCount(GetMenu(window->hWnd)), 2);
  EXPECT_EQ(first->hMenu(), nullptr);  // the old one is ended
  data::SetMainWindow(Value());
}

}  // namespace
}  // namespace svc
