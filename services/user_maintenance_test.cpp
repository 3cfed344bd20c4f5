#include "services/user_maintenance.h"

#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/lib/strings.h"
#include "services/menu_access.h"
#include "services/menu_table.h"
#include "services/password.h"
#include "services/services_test_support.h"
#include "services/user_look.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/core/tmenu.h"

namespace svc {
namespace {

using testing::L;
using testing::S;
using xb::Value;

const std::string kNone(255, '0');
const std::string kAll(255, '2');

class UserMaintenanceTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    qzw_CreaUsuarios(true, false);
    AddUser("01", "Ana", "uno", std::string(255, '1'), "VEN");
    AddUser("03", "Eva", "tres", kAll, "");
    AddGroup("VEN", "Ventas", {std::string(255, '1'), std::string(255, '2'), kNone, kNone});
    AddGroup("ALM", "Almacén", {"12" + std::string(253, '0'), kAll, kAll, kAll});
  }

  // Puts the user table on the user of `code`.
  void GoToUser(const std::string& code) { GoTo("Usuarios", code); }
  void GoToGroup(const std::string& code) { GoTo("GrpUser", code); }

  Value User(const std::string& code, const std::string& field) { return FieldOf(UsuariosTable(), "CCODIGO", code, field); }
  std::string Text(const Value& v) { return std::string(xb::RTrim(v.AsString())); }
  std::vector<std::string> Titles() {
    std::vector<std::string> titles;
    for (const auto& m : log().messages) titles.push_back(m.title + ": " + m.text);
    return titles;
  }

  UserTableAliases aliases;
  UserTablesOpen tables;
};

TEST_F(UserMaintenanceTest, TheTablesOpenTogetherOrNotAtAll) {
  ASSERT_TRUE(tables.Open());
  for (const char* alias : {"Usuarios", "ColorW", "GrpUser", "Config"}) EXPECT_NE(areas().AreaOfAlias(alias), 0) << alias;
  EXPECT_EQ(tables.aliases().fonts, "");  // no report dictionary here
  tables.Close();
  EXPECT_EQ(areas().AreaOfAlias("Usuarios"), 0);
  // Closing makes the backup pair again.
  EXPECT_TRUE(FileExists(std::string(kStart) + "Usuarios.seg"));

  EraseFile(DbfOf(GrpUserTable()));
  EXPECT_FALSE(tables.Open());
  for (const char* alias : {"Usuarios", "ColorW", "GrpUser", "Config"}) EXPECT_EQ(areas().AreaOfAlias(alias), 0) << alias;
}

// A new user follows the group given, or has no access at all without one; his colours and
// configuration record are written and the look of the one working stays.
TEST_F(UserMaintenanceTest, AddingUsers) {
  cCodUsuario("01");
  LookSet(Look::kLineStyle, Value::Integer(2));
  ASSERT_TRUE(tables.Open());
  std::optional<UserForm> form = UserFormFor(tables.aliases(), UserMode::kAdd);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->code, "04");  // the code after the last one
  EXPECT_EQ(form->name, std::string(25, ' '));
  form->name = "Pedro";
  form->password = "clave";
  form->group = "ven";
  ASSERT_TRUE(InsertUser(tables.aliases(), *form));
  ASSERT_TRUE(InsertUser(tables.aliases(), {"02", "Sin grupo", "x", "NOP"}));
  EXPECT_FALSE(InsertUser(tables.aliases(), {"05", "   ", "x", ""}));
  EXPECT_FALSE(InsertUser(tables.aliases(), {"03", "Otra Eva", "x", ""}));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Atención: El nombre del usuario no puede quedar en blanco",
                                                "Atención: El código 03 ya pertenece a otro usuario"}));
  EXPECT_EQ(nLineStyle(), 2);
  tables.Close();

  EXPECT_EQ(Text(User("04", "CNOMBRE")), "Pedro");
  EXPECT_EQ(User("04", "CCLAVE").AsString().size(), 10u);
  EXPECT_EQ(cDesencripta(std::string(User("04", "CCLAVE").AsString())), "clave    ");
  EXPECT_TRUE(User("04", "LLOGO").AsLogical());
  EXPECT_FALSE(User("04", "LACTIVO").AsLogical());
  EXPECT_EQ(User("04", "GRUPO").AsString(), "VEN");
  EXPECT_EQ(User("04", "ACCESOS1").AsString(), std::string(255, '1'));
  EXPECT_EQ(User("04", "ACCESOS2").AsString(), kAll);
  EXPECT_EQ(User("04", "ACCESOS3").AsString(), kNone);
  EXPECT_EQ(User("02", "GRUPO").AsString(), "   ");
  for (const char* field : {"ACCESOS1", "ACCESOS2", "ACCESOS3", "ACCESOS4"}) EXPECT_EQ(User("02", field).AsString(), kNone);
  for (const char* code : {"02", "04"}) {
    EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", code, "LINESTYLE").AsInt(), 5) << code;
    EXPECT_EQ(FieldOf(ConfigTable(), "CCODIGO", code, "CCODIGO").AsString(), code);
  }
  EXPECT_TRUE(FieldOf(UsuariosTable(), "CCODIGO", "05", "CCODIGO").IsNil());
}

// A user added to a group works with the group's levels, by the string of this program; a
// first program's string of that group gives him nothing.
TEST_F(UserMaintenanceTest, TheMenuFollowsTheLevelsTakenFromTheGroup) {
  WriteMenuTable({{0, "", "&Uno", ""}, {1, "Alta", "&Alta", ""}, {1, "Consulta", "&Consulta", ""}, {3, "", "", ""}});
  AddGroup("DOS", "Segundo programa", {kNone, "012" + std::string(252, '0'), kNone, kNone});
  ASSERT_TRUE(tables.Open());
  ASSERT_TRUE(InsertUser(tables.aliases(), {"02", "Pedro", "x", "DOS"}));
  tables.Close();
  cCodUser("02");
  cCodUsuario("02");
  xb::Ref<ui::TMenu> bar = oMenuInit({.table = "MenuVdrE", .access_field = 2});
  ASSERT_TRUE(bar);
  EXPECT_EQ(cAccesoMenu("Alta"), "1");
  EXPECT_EQ(cAccesoMenu("Consulta"), "2");
  bar->End();

  bar = oMenuInit({.table = "MenuVdrE", .access_field = 1});
  EXPECT_EQ(cAccesoMenu("Alta"), "0");
  bar->End();
}

TEST_F(UserMaintenanceTest, OnlyTheSupervisorTouchesHisOwnRecord) {
  ASSERT_TRUE(tables.Open());
  cCodUsuario("01");
  GoToUser("00");
  EXPECT_FALSE(UserFormFor(tables.aliases(), UserMode::kModify));
  EXPECT_FALSE(UserFormFor(tables.aliases(), UserMode::kView));
  EXPECT_FALSE(ConfigUser(tables.aliases()));
  EXPECT_EQ(log().messages.size(), 3u);
  EXPECT_EQ(log().messages[0].title, " Atención");
  EXPECT_EQ(log().messages[0].text, "Sólo el usuario Supervisor puede modificar o visualizar sus datos.");

  // Another user's record opens; the password only to modify it.
  GoToUser("01");
  std::optional<UserForm> form = UserFormFor(tables.aliases(), UserMode::kModify);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->password, "uno      ");
  EXPECT_EQ(form->group, "VEN");
  EXPECT_EQ(UserFormFor(tables.aliases(), UserMode::kView)->password, std::string(9, ' '));

  cCodUsuario("00");
  GoToUser("00");
  EXPECT_TRUE(UserFormFor(tables.aliases(), UserMode::kModify));
  EXPECT_TRUE(ConfigUser(tables.aliases()));
  EXPECT_EQ(log().messages.size(), 3u);
}

// A change of group asks whether the user keeps his levels; "No" gives him the group's
// string of this program only.
TEST_F(UserMaintenanceTest, ChangingAUser) {
  qz_nAcceso(2);
  ASSERT_TRUE(tables.Open());
  GoToUser("01");
  {
    SelectedAreaScope keep;
    areas().SelectArea(areas().AreaOfAlias("Usuarios"));
    PutField("ACCESOS2", S(kNone));
  }
  struct Case {
    std::string group;
    bool keep;
    bool asked;
    std::string stored_group;
    std::string access1, access2;
  };
  const Case cases[] = {
      {"VEN", false, false, "VEN", std::string(255, '1'), kNone},  // same group: no question
      {"alm", true, true, "ALM", std::string(255, '1'), kNone},    // kept
      {"VEN", false, true, "VEN", std::string(255, '1'), kAll},    // the group's second string
      {"XYZ", false, false, "   ", std::string(255, '1'), kAll},   // no such group
  };
  for (const Case& c : cases) {
    GoToUser("01");
    bool asked = false;
    ASSERT_TRUE(UpdateUser(tables.aliases(), {"01", "Ana María", "nueva", c.group}, [&] {
      asked = true;
      return c.keep;
    }));
    EXPECT_EQ(asked, c.asked) << c.group;
    tables.Close();
    EXPECT_EQ(User("01", "GRUPO").AsString(), c.stored_group) << c.group;
    EXPECT_EQ(User("01", "ACCESOS1").AsString(), c.access1) << c.group;
    EXPECT_EQ(User("01", "ACCESOS2").AsString(), c.access2) << c.group;
    EXPECT_EQ(Text(User("01", "CNOMBRE")), "Ana María");
    EXPECT_EQ(cDesencripta(std::string(User("01", "CCLAVE").AsString())), "nueva    ");
    ASSERT_TRUE(tables.Open());
  }
  EXPECT_FALSE(UpdateUser(tables.aliases(), {"01", "", "x", ""}, [] { return true; }));
}

// The string of this program is one of four: a number outside 1 to 4 leaves it as it was, so
// a change of group never reaches past the group's four strings.
TEST_F(UserMaintenanceTest, TheAccessFieldIsOneOfFour) {
  EXPECT_EQ(X("QZ_NACCESO(3)").AsInt(), 3);
  for (const char* text : {"QZ_NACCESO(0)", "QZ_NACCESO(5)", "QZ_NACCESO(-1)", "QZ_NACCESO(1000)"})
    EXPECT_EQ(X(text).AsInt(), 3) << text;
  EXPECT_EQ(qz_nAcceso(9), 3);
  ASSERT_TRUE(tables.Open());
  GoToUser("01");
  ASSERT_TRUE(UpdateUser(tables.aliases(), {"01", "Ana", "uno", "ALM"}, [] { return false; }));
  tables.Close();
  EXPECT_EQ(User("01", "GRUPO").AsString(), "ALM");
  EXPECT_EQ(User("01", "ACCESOS3").AsString(), kAll);
  EXPECT_EQ(User("01", "ACCESOS1").AsString(), std::string(255, '1'));
}

TEST_F(UserMaintenanceTest, DeletingAUserTakesHisTablesAndRecordsWithHim) {
  const std::string start = kStart;
  for (const char* name : {"GesPrn03.dbf", "GesPrn03.cdx", "GesVen03.dbf", "CnfBrw03.Dbf", "CnfLbx03.Dbf",
                           "MapaCF03.dbf", "MapaCF03.cdx", "MapnCF03.cdx", "MapaCV03.dbf", "MapaCV03.cdx",
                           "MapaCF01.dbf"})
    memory().SetContents(start + name, "x");
  cCodUsuario("01");
  ASSERT_TRUE(tables.Open());

  // Neither the one logged in nor the supervisor.
  GoToUser("01");
  EXPECT_FALSE(DelUser(tables.aliases()));
  GoToUser("00");
  EXPECT_FALSE(DelUser(tables.aliases()));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Acceso denegado: No se puede eliminar el usuario activo",
                                                "Eliminación denegada: El Supervisor no puede ser eliminado"}));

  // Nor one logged in somewhere else, until he is freed from the log-in list.
  tables.Close();
  AddUser("04", "Luis", "x", kAll, "", true);
  for (const char* name : {"GesPrn04.dbf", "MapaCF04.dbf"}) memory().SetContents(start + name, "x");
  ASSERT_TRUE(tables.Open());
  GoToUser("04");
  log().messages.clear();
  EXPECT_FALSE(DelUser(tables.aliases()));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Acceso denegado: No se puede eliminar el usuario activo"}));
  EXPECT_TRUE(FileExists(start + "GesPrn04.dbf"));
  EXPECT_TRUE(FileExists(start + "MapaCF04.dbf"));
  X("Usuarios->( RLock() ), Usuarios->lActivo := .F., Usuarios->( DbUnlock() )");
  EXPECT_TRUE(DelUser(tables.aliases()));
  EXPECT_FALSE(FileExists(start + "GesPrn04.dbf"));
  EXPECT_FALSE(FileExists(start + "MapaCF04.dbf"));

  // Not confirmed: nothing goes.
  GoToUser("03");
  log().confirm_delete = false;
  EXPECT_FALSE(DelUser(tables.aliases()));
  EXPECT_TRUE(FileExists(start + "GesPrn03.dbf"));

  log().confirm_delete = true;
  EXPECT_TRUE(X("DELUSER()").AsLogical());
  tables.Close();
  EXPECT_TRUE(FieldOf(UsuariosTable(), "CCODIGO", "03", "CCODIGO").IsNil());
  EXPECT_TRUE(FieldOf(ColorWTable(), "CCODIGO", "03", "CCODIGO").IsNil());
  EXPECT_TRUE(FieldOf(ConfigTable(), "CCODIGO", "03", "CCODIGO").IsNil());
  EXPECT_FALSE(FieldOf(ColorWTable(), "CCODIGO", "00", "CCODIGO").IsNil());
  EXPECT_FALSE(FieldOf(ConfigTable(), "CCODIGO", "00", "CCODIGO").IsNil());
  for (const char* name : {"GesPrn03.dbf", "GesPrn03.cdx", "GesVen03.dbf", "CnfBrw03.Dbf", "CnfLbx03.Dbf",
                           "MapaCF03.dbf", "MapaCF03.cdx", "MapnCF03.cdx", "MapaCV03.dbf", "MapaCV03.cdx"})
    EXPECT_FALSE(FileExists(start + name)) << name;
  EXPECT_TRUE(FileExists(start + "MapaCF01.dbf"));
}

TEST_F(UserMaintenanceTest, Groups) {
  ASSERT_TRUE(tables.Open());
  ASSERT_TRUE(InsertGroup(tables.aliases(), "dir", "Dirección"));
  EXPECT_FALSE(InsertGroup(tables.aliases(), "VEN", "Otra"));
  EXPECT_FALSE(InsertGroup(tables.aliases(), "  ", "Sin código"));
  EXPECT_EQ(GroupDescription(tables.aliases(), "Dir"), "Dirección" + std::string(16, ' '));
  EXPECT_EQ(GroupDescription(tables.aliases(), ""), std::nullopt);

  // The administrators and a group with users stay.
  GoToGroup("000");
  EXPECT_FALSE(DeleteGroup(tables.aliases()));
  GoToGroup("VEN");
  EXPECT_FALSE(DeleteGroup(tables.aliases()));
  GoToGroup("ALM");
  EXPECT_TRUE(DeleteGroup(tables.aliases()));
  EXPECT_EQ(Titles(), (std::vector<std::string>{
                          "Valor no aceptado: Clave duplicada",
                          "Valor no Aceptado: El código del grupo no puede quedar vacío",
                          "Atención: El grupo Administradores no puede eliminarse",
                          "Atención: No es posible eliminar este grupo de usuarios.\n\rExisten usuarios asignados a este grupo"}));
  tables.Close();
  for (const char* field : {"ACCESOS1", "ACCESOS2", "ACCESOS3", "ACCESOS4"})
    EXPECT_EQ(FieldOf(GrpUserTable(), "CODIGO", "DIR", field).AsString(), kNone);
  EXPECT_TRUE(FieldOf(GrpUserTable(), "CODIGO", "ALM", "CODIGO").IsNil());
  EXPECT_FALSE(FieldOf(GrpUserTable(), "CODIGO", "VEN", "CODIGO").IsNil());
}

}  // namespace
}  // namespace svc
