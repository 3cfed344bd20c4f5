#include "services/user_tables.h"

#include "data/program_settings.h"
#include "runtime/lib/strings.h"
#include "services/password.h"
#include "services/services_test_support.h"
#include "services/user_look.h"
#include "services/user_session.h"

namespace svc {
namespace {

using testing::L;
using testing::N;
using testing::Rec;
using testing::S;
using xb::Value;

class UserTablesTest : public testing::ServicesTest {
 protected:
  std::string Start(const std::string& name) { return std::string(kStart) + name; }
  // The structure of a table as "NAME T len.dec" lines.
  std::string Structure(const std::string& table) {
    SelectedAreaScope keep;
    if (!OpenTable(table, "_Struct", false)) return {};
    OpenedArea area(true);
    std::string text;
    for (int f = 1; f <= Area().FieldCount(); ++f) {
      const auto* field = Area().FieldAt(f);
      text += field->name + " " + field->type + std::to_string(field->length) + "." + std::to_string(field->decimals) + ";";
    }
    return text;
  }
  // The tags of a table's index as "name: key" lines.
  std::string Tags(const std::string& table) {
    SelectedAreaScope keep;
    if (!OpenTable(table, "_Tags", false)) return {};
    OpenedArea area(true);
    std::string text;
    for (int i = 1; i <= Area().OrderCount(); ++i)
      text += std::string(X("ORDNAME(" + std::to_string(i) + ")").AsString()) + ": " +
              std::string(X("ORDKEY(" + std::to_string(i) + ")").AsString()) + ";";
    return text;
  }
  int Count(const std::string& table) { return static_cast<int>(Records(table).size()); }
};

TEST_F(UserTablesTest, AFreshStartFolderGetsTheSupervisorAndTheAdministrators) {
  qzw_CreaUsuarios(true, false);

  EXPECT_EQ(Structure(UsuariosTable()),
            "CCODIGO C2.0;CNOMBRE C25.0;CCLAVE C10.0;LACTIVO L1.0;ACCESOS1 C255.0;ACCESOS2 C255.0;"
            "ACCESOS3 C255.0;ACCESOS4 C255.0;LLOGO L1.0;ULTEMPRESA C3.0;GRUPO C3.0;");
  EXPECT_EQ(Tags(UsuariosTable()), "CODIGO: cCodigo;NOMBRE: UPPER( cNombre );GRUPO: UPPER( Grupo );");
  EXPECT_EQ(Structure(GrpUserTable()),
            "CODIGO C3.0;DESCRIPC C25.0;ACCESOS1 C255.0;ACCESOS2 C255.0;ACCESOS3 C255.0;ACCESOS4 C255.0;");
  EXPECT_EQ(Tags(GrpUserTable()), "CODIGO: UPPER( Codigo );");
  EXPECT_EQ(Structure(ConfigTable()), "CCODIGO C2.0;LPRIORITY L1.0;RUTAAEB C70.0;LMODTICKC L1.0;");
  EXPECT_EQ(Tags(ConfigTable()), "CODIGO: cCodigo;");
  EXPECT_EQ(Tags(ColorWTable()), "CODIGO: cCodigo;");
  EXPECT_TRUE(lConfig());

  const std::vector<Rec> users = Records(UsuariosTable());
  ASSERT_EQ(users.size(), 1u);
  const Rec& supervisor = users[0];
  EXPECT_EQ(supervisor[0].second.AsString(), "00");
  EXPECT_EQ(supervisor[1].second.AsString(), "Supervisor" + std::string(15, ' '));
  EXPECT_EQ(supervisor[2].second.AsString().size(), 10u);
  EXPECT_EQ(cDesencripta(supervisor[2].second.AsString()), std::string(9, ' '));
  EXPECT_FALSE(supervisor[3].second.AsLogical());
  for (int i = 4; i < 8; ++i) EXPECT_EQ(supervisor[i].second.AsString(), std::string(255, '2'));
  EXPECT_TRUE(supervisor[8].second.AsLogical());
  EXPECT_EQ(supervisor[10].second.AsString(), "000");

  const std::vector<Rec> groups = Records(GrpUserTable());
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0][0].second.AsString(), "000");
  EXPECT_EQ(groups[0][1].second.AsString(), "Administradores" + std::string(10, ' '));
  for (int i = 2; i < 6; ++i) EXPECT_EQ(groups[0][i].second.AsString(), std::string(255, '2'));

  EXPECT_EQ(FieldOf(ConfigTable(), "CCODIGO", "00", "CCODIGO").AsString(), "00");
  EXPECT_EQ(Count(ConfigTable()), 1);
  EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", "00", "DESKTOP").AsInt(), 12632256);
  EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", "00", "LINESTYLE").AsInt(), 5);
  EXPECT_EQ(std::string(xb::RTrim(FieldOf(ColorWTable(), "CCODIGO", "00", "CFACENAME").AsString())), "MS Sans Serif");
  EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", "00", "NHEIGHT").AsInt(), -12);
  EXPECT_TRUE(log().messages.empty());

  // A second run changes nothing.
  qzw_CreaUsuarios(true, false);
  EXPECT_EQ(Count(UsuariosTable()), 1);
  EXPECT_EQ(Count(ConfigTable()), 1);
  EXPECT_EQ(Count(ColorWTable()), 1);
}

// The creation writes every user's colour record but leaves the look of the one logged in.
TEST_F(UserTablesTest, WritingTheDefaultSchemesKeepsTheCurrentLook) {
  LookSet(Look::kLineStyle, Value::Integer(2));
  qzw_CreaUsuarios(true, false);
  EXPECT_EQ(nLineStyle(), 2);
}

TEST_F(UserTablesTest, AMissingTableIsMadeAloneAndTheOtherKeepsItsRecords) {
  AddUser("01", "Ana", "uno");
  AddUser("02", "Luis", "dos");
  EraseFile(DbfOf(GrpUserTable()));
  EraseFile(IndexOf(GrpUserTable()));
  qzw_CreaUsuarios(true, false);
  EXPECT_EQ(Count(UsuariosTable()), 3);
  EXPECT_EQ(Count(GrpUserTable()), 1);

  WriteTable(GrpUserTable(), {{"CODIGO", "C3"}, {"DESCRIPC", "C25"}, {"ACCESOS1", "C255"}, {"ACCESOS2", "C255"},
                              {"ACCESOS3", "C255"}, {"ACCESOS4", "C255"}},
             {{{"CODIGO", S("000")}}, {{"CODIGO", S("001")}}});
  EraseFile(DbfOf(UsuariosTable()));
  EraseFile(IndexOf(UsuariosTable()));
  qzw_CreaUsuarios(true, false);
  EXPECT_EQ(Count(UsuariosTable()), 1);
  EXPECT_EQ(Count(GrpUserTable()), 2);
  EXPECT_EQ(Tags(GrpUserTable()), "CODIGO: UPPER( Codigo );");
}

// Without the create flag nothing missing is made, except the colour table that every log-in
// needs; missing indexes are always made again, and re-indexing packs the user tables.
TEST_F(UserTablesTest, ReindexingPacksAndRebuildsEveryIndex) {
  qzw_CreaUsuarios(false, false);
  EXPECT_FALSE(FileExists(DbfOf(UsuariosTable())));
  EXPECT_FALSE(FileExists(DbfOf(ConfigTable())));
  EXPECT_FALSE(lConfig());
  EXPECT_TRUE(FileExists(DbfOf(ColorWTable())));

  AddUser("01", "Ana", "uno");
  AddUser("02", "Luis", "dos");
  X("DBUSEAREA(.T., , '" + UsuariosTable() + "', 'U', .F.)");
  X("DBGOTO(2)");
  X("DBDELETE()");
  X("DBCLOSEAREA()");
  for (const std::string& table : {UsuariosTable(), GrpUserTable(), ConfigTable(), ColorWTable()})
    ASSERT_TRUE(FileExists(IndexOf(table))) << table;

  qzw_CreaUsuarios(false, true);
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(UsuariosTable(), "_U", false));
  OpenedArea users(true);
  EXPECT_EQ(Area().RecordCount(), 2u);  // packed
  EXPECT_EQ(Area().OrderCount(), 3);
  SelectOrder("Nombre");
  EXPECT_TRUE(Seek(S("LUIS")));
  users.Close();
  for (const std::string& table : {UsuariosTable(), GrpUserTable(), ConfigTable(), ColorWTable()})
    EXPECT_TRUE(FileExists(IndexOf(table))) << table;
}

// The start folder's re-index reaches the user tables, the identified user's layouts and his
// access-map work tables, and leaves other users' tables alone.
TEST_F(UserTablesTest, TheStartFolderReindexRebuildsUsersLayoutsAndAccessMaps) {
  AddUser("01", "Ana", "uno");
  cCodUsuario("01");
  cCodUser("01");
  const std::vector<Rec> rows = {{{"COD", N(2)}, {"NOMBRE", S("B")}}, {{"COD", N(1)}, {"NOMBRE", S("A")}}};
  WriteTable(Start("CnfBrw01"), {{"cTitulo", "C64"}, {"nTop", "N4"}}, {{{"CTITULO", S("Ventana")}}});
  WriteTable(Start("CnfLbx01"), {{"cTitWndLB", "C66"}, {"nCol1", "N4"}}, {{{"CTITWNDLB", S("Ventana 1")}}});
  WriteTable(Start("MapaCF01"), {{"COD", "N4"}, {"NOMBRE", "C40"}}, rows);
  WriteTable(Start("MapaCV01"), {{"COD", "N4"}}, {{{"COD", N(7)}}});
  WriteTable(Start("MapaCF02"), {{"COD", "N4"}, {"NOMBRE", "C40"}}, rows);
  const std::vector<std::string> rebuilt = {UsuariosTable(), GrpUserTable(), ConfigTable(), ColorWTable(),
                                            Start("CnfBrw01"), Start("CnfLbx01"), Start("MapaCF01"), Start("MapaCV01")};
  for (const std::string& table : rebuilt) EraseFile(IndexOf(table));

  X("SDEINDEX()");
  for (const std::string& table : rebuilt) EXPECT_TRUE(FileExists(IndexOf(table))) << table;
  EXPECT_FALSE(FileExists(IndexOf(Start("MapaCF02"))));
  EXPECT_EQ(Tags(Start("CnfBrw01")), "CTITULO: cTitulo;");
  EXPECT_EQ(Tags(Start("CnfLbx01")), "CTITWNDLB: cTitWndLB;");
  EXPECT_EQ(Tags(Start("MapaCF01")), "COD: COD;NOMBRE: NOMBRE;");
  EXPECT_EQ(Tags(Start("MapaCV01")), "COD: COD;");
  EXPECT_EQ(Tags(UsuariosTable()), "CODIGO: cCodigo;NOMBRE: UPPER( cNombre );GRUPO: UPPER( Grupo );");
  EXPECT_EQ(FieldOf(UsuariosTable(), "CCODIGO", "01", "CCODIGO").AsString(), "01");
  EXPECT_TRUE(log().messages.empty());
}

TEST_F(UserTablesTest, TheBackupPairIsMadeAndRestored) {
  const std::string start = kStart;
  CompruebaFicheroUsuarios();  // nothing to copy either way
  EXPECT_FALSE(FileExists(start + "Usuarios.seg"));

  AddUser("01", "Ana", "uno");
  CompruebaFicheroUsuarios();
  EXPECT_TRUE(FileExists(start + "Usuarios.seg"));
  EXPECT_TRUE(FileExists(start + "Usuarios.sgx"));

  EraseFile(start + "Usuarios.dbf");
  EraseFile(start + "Usuarios.cdx");
  CompruebaFicheroUsuarios();
  EXPECT_EQ(Count(UsuariosTable()), 2);
  EXPECT_EQ(Tags(UsuariosTable()), "CODIGO: cCodigo;NOMBRE: UPPER( cNombre );GRUPO: UPPER( Grupo );");

  // Making the tables (the log-in, the re-indexing) brings a lost table back from the pair
  // too, rather than a fresh supervisor alone.
  for (bool reindex : {false, true}) {
    SCOPED_TRACE(reindex);
    EraseFile(start + "Usuarios.dbf");
    EraseFile(start + "Usuarios.cdx");
    qzw_CreaUsuarios(true, reindex);
    EXPECT_EQ(Count(UsuariosTable()), 2);
    EXPECT_EQ(Tags(UsuariosTable()), "CODIGO: cCodigo;NOMBRE: UPPER( cNombre );GRUPO: UPPER( Grupo );");
  }
}

// The proposal follows the last code in code order; past "ZZ" it takes the first code
// nobody has, and with every code taken it is refused with a message.
TEST_F(UserTablesTest, NewCodesFollowTheLastCode) {
  struct Case {
    std::vector<std::string> codes;  // besides the supervisor's "00"
    std::string proposed;
  };
  const Case cases[] = {
      {{}, "01"},
      {{"01", "03"}, "04"},                // the gap at 02 stays a gap
      {{"03", "01"}, "04"},                // code order, not the order of the records
      {{"08", "09"}, "0A"},
      {{"05", "0Z"}, "10"},                // the carry
      {{"1Z", "Y9"}, "YA"},
      {{"YZ"}, "Z0"},
      {{"01", "ZZ"}, "02"},                // past the end: the first code nobody has
      {{"01", "0a"}, "02"},                // a last code outside the code space
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proposed);
    qzw_CreaUsuarios(true, false);
    for (const std::string& code : c.codes) AddUser(code, "Usuario " + code, "clave");
    SelectedAreaScope keep;
    ASSERT_TRUE(OpenTable(UsuariosTable(), "_U", false));
    OpenedArea users(true);
    EXPECT_EQ(NextUserCode("_U"), c.proposed);
    EXPECT_EQ(X("CNEWCODIGO('_U')").AsString(), c.proposed);
    users.Close();
    EraseFile(DbfOf(UsuariosTable()));
    EraseFile(IndexOf(UsuariosTable()));
  }
  EXPECT_TRUE(log().messages.empty());
}

// A deleted user's code does not pass to the next new user while a later code exists.
TEST_F(UserTablesTest, ADeletedUsersCodeIsNotGivenAgain) {
  AddUser("01", "Ana", "uno");
  AddUser("02", "Eva", "dos");
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(UsuariosTable(), "_U", true));
  OpenedArea users(true);
  GoTo("_U", "01");
  Area().Delete();
  EXPECT_EQ(NextUserCode("_U"), "03");
}

TEST_F(UserTablesTest, WithEveryCodeTakenTheProposalIsRefused) {
  qzw_CreaUsuarios(true, false);
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(UsuariosTable(), "_U", true));
  OpenedArea users(true);
  for (const char high : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
    for (const char low : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
      const std::string code{high, low};
      if (code == "00") continue;
      Area().Append();
      PutField("CCODIGO", S(code));
    }
  EXPECT_EQ(NextUserCode("_U"), std::nullopt);
  EXPECT_EQ(cNewCodigo("_U"), "");
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].title, "Atención");
}

TEST_F(UserTablesTest, LogoutClearsTheActiveMarks) {
  AddUser("01", "Ana", "uno", std::string(255, '2'), "", true);
  AddUser("02", "Luis", "dos", std::string(255, '2'), "", true);
  auto active = [&](const std::string& code) { return FieldOf(UsuariosTable(), "CCODIGO", code, "LACTIVO").AsLogical(); };

  EXPECT_FALSE(Logout());  // nobody logged in here
  EXPECT_TRUE(active("01"));

  cCodUsuario("01");
  SetLogoutDue(true);
  data::lNetwork(true);
  EXPECT_TRUE(Logout());
  EXPECT_FALSE(active("01"));
  EXPECT_TRUE(active("02"));
  EXPECT_FALSE(lHacerLogout());

  SetLogoutDue(true);
  data::lNetwork(false);
  EXPECT_FALSE(X("LOGOUT()").AsLogical());
  EXPECT_FALSE(active("02"));
  EXPECT_TRUE(data::qz_lPrimero());
}

}  // namespace
}  // namespace svc
