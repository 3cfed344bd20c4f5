// The real Vdr.exe, run on a demo tree as an installation has it (the program in VDR\, the
// start folder ..\DBF\): with a company code it organises that company without a word and
// ends; without companies it refuses to start.
#include "app/program/vdr_program.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/org/index_catalogue.h"
#include "app/org/org_environment.h"
#include "app/org/org_table.h"
#include "app/org/org_test_support.h"
#include "app/program/program_driver.h"
#include "app/tools/demo_data.h"
#include "data/table_access.h"
#include "runtime/rdd/workareas.h"
#include "runtime/test_env.h"
#include "tests/support/screenshot.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing::ProgramProcess;

constexpr const char* kProgressTitle = "Organización de ficheros";

// Deleted records of a table, read from its file as it lies on the disk.
std::uint32_t DeletedInFile(const fs::path& dbf) {
  std::ifstream in(dbf, std::ios::binary);
  unsigned char header[12] = {};
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return 0;
  const std::uint32_t count = header[4] | header[5] << 8 | header[6] << 16 | static_cast<std::uint32_t>(header[7]) << 24;
  const std::uint32_t start = header[8] | header[9] << 8;
  const std::uint32_t length = header[10] | header[11] << 8;
  std::uint32_t deleted = 0;
  for (std::uint32_t r = 0; r < count; ++r) {
    in.seekg(start + static_cast<std::streamoff>(r) * length);
    deleted += in.get() == '*';
  }
  return deleted;
}

// Deleted records of every table of a folder.
std::uint32_t DeletedInFolder(const std::string& folder) {
  std::uint32_t deleted = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".dbf") deleted += DeletedInFile(entry.path());
  }
  return deleted;
}

class VdrProgramTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitOrganisationEnvironment();
    xb::rdd::ResetTables();
    demo.records = 300;
    demo.small_records = 100;
    std::string error;
    ASSERT_TRUE(WriteDemoTree(tree.path(), demo, nullptr, &error)) << error;
    ASSERT_TRUE(testing::InstallProgram(Program()));
  }
  void TearDown() override {
    xb::rdd::ResetTables();
    RuntimeTest::TearDown();
  }

  std::string Program() const { return tree.path() + "VDR\\"; }
  std::string Start() const { return tree.path() + "DBF\\"; }
  std::string Folder(std::string_view code) const { return tree.path() + "DBF" + std::string(code) + "\\"; }

  std::vector<std::string> Tags(const std::string& folder, std::string_view table) {
    std::vector<std::string> out;
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return {"(no abre)"};
    for (int i = 1; i <= t.area().OrderCount(); ++i)
      out.push_back(t.area().OrderAt(i)->Info().name + "=" + t.area().OrderAt(i)->Info().key);
    return out;
  }
  static std::vector<std::string> CatalogueTags(std::string_view table) {
    std::vector<std::string> out;
    for (const CatalogueRow& row : RowsOfTable(table))
      if (!row.after_statistics) out.push_back(UpperText(row.tag) + "=" + std::string(row.key));
    return out;
  }
  // CODEMP, LACTIVA and USO of each company, as "01 F 0".
  std::vector<std::string> Companies() {
    std::vector<std::string> out;
    for (const testing::Rec& r : testing::LiveRecords(Start(), "Empresa", {"CODEMP", "LACTIVA", "USO"}))
      out.push_back(std::string(r[0].second.AsString()) + (r[1].second.AsLogical() ? " T " : " F ") +
                    std::to_string(r[2].second.AsInt()));
    return out;
  }

  testing::TempFolder tree;
  DemoOptions demo;
};

TEST_F(VdrProgramTest, WithACompanyCodeItOrganisesThatCompanyAndEnds) {
  {
    std::ofstream ini(Program() + "Version.ini");
    ini << "[Producto]\nNombre=Vendaro Organizacion de ficheros de empresas\nVersion=2026.1\nFecha=15-03-24\n"
           "Compatible=1999/9\n[Usuario]\nEmpresa=Tienda de prueba\n";
  }
  fs::remove(Start() + "Empresa.cdx");  // made again at start
  const std::uint32_t deleted_01 = DeletedInFolder(Folder("01"));
  const std::uint32_t deleted_04 = DeletedInFolder(Folder("04"));
  ASSERT_GT(deleted_01, 0u);
  ASSERT_GT(deleted_04, 0u);
  const std::vector<std::string> companies_before = Companies();

  ProgramProcess vdr(Program(), {"01"});
  ASSERT_TRUE(vdr.started());
  // The progress dialog shows while it works; a small company may be done before it is seen.
  if (HWND progress = vdr.WaitWindow(kProgressTitle, 20000))
    vdr::test::SaveWindowBitmap(progress, vdr::test::ScreenshotFolder() + "\\vdr_parameter_progress.bmp");
  ASSERT_EQ(vdr.WaitExit(), kExitOk);

  // Company 01 packed and indexed as the catalogue says, and free again; 04 untouched.
  EXPECT_EQ(DeletedInFolder(Folder("01")), 0u);
  EXPECT_EQ(DeletedInFolder(Folder("04")), deleted_04);
  for (std::string_view table : {"Articulo", "FacCliT", "Clientes", "Recibos"}) {
    SCOPED_TRACE(table);
    EXPECT_EQ(Tags(Folder("01"), table), CatalogueTags(table));
  }
  EXPECT_EQ(Companies(), companies_before);
  EXPECT_EQ(Tags(Start(), "Empresa"), (std::vector<std::string>{"CODEMP=CODEMP", "NOME=Upper(cNombre ) + cNif"}));

  // The version file went into the version table, cut to its fields, and is gone.
  EXPECT_FALSE(fs::exists(Program() + "Version.ini"));
  const std::vector<testing::Rec> version = testing::LiveRecords(
      Start(), "VerVDRe", {"PRODUCTO", "VERSION", "FECHA", "DRIVER", "EMPRESA", "USUARIO", "COMPATIBLE"});
  ASSERT_EQ(version.size(), 1u);
  EXPECT_EQ(version[0][0].second.AsString(), "Vendaro Organizacion de f");
  EXPECT_EQ(TrimRight(version[0][1].second.AsString()), "2026.1");
  EXPECT_EQ(version[0][2].second.AsDate(), xb::Date::FromYmd(2024, 3, 15));
  EXPECT_EQ(TrimRight(version[0][3].second.AsString()), "ADS");
  EXPECT_EQ(TrimRight(version[0][4].second.AsString()), "Tienda de prueba");
  EXPECT_EQ(TrimRight(version[0][5].second.AsString()), "");
  EXPECT_EQ(TrimRight(version[0][6].second.AsString()), "2003/1");

  // Its folders: the temporary ones made, the error table erased.
  EXPECT_TRUE(fs::is_directory(Program() + "TMP"));
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
}

// A code that is not in the company table: the generation runs over no company and the
// program ends as it should.
TEST_F(VdrProgramTest, ACodeNotInTheCompanyTableOrganisesNothing) {
  const std::uint32_t deleted_01 = DeletedInFolder(Folder("01"));
  ProgramProcess vdr(Program(), {"99"});
  ASSERT_TRUE(vdr.started());
  ASSERT_EQ(vdr.WaitExit(), kExitOk);
  EXPECT_EQ(DeletedInFolder(Folder("01")), deleted_01);
}

// Without a company folder beside the start folder the program stops before it opens a
// table, even though the company table lists companies.
TEST_F(VdrProgramTest, WithoutCompanyFoldersItRefusesToStart) {
  for (std::string_view code : {"01", "02", "03", "04"}) fs::remove_all(Folder(code));
  ProgramProcess vdr(Program(), {"01"});
  ASSERT_TRUE(vdr.started());
  HWND alert = vdr.WaitWindow("Atención");
  ASSERT_NE(alert, nullptr);
  const vdr::test::SeenDialog seen = testing::ReadOtherDialog(alert);
  EXPECT_NE(seen.AllText().find("No existen empresas. Proceso no autorizado"), std::string::npos) << seen.AllText();
  ASSERT_FALSE(seen.buttons.empty());
  testing::PressButton(alert, seen.buttons.front().id);
  EXPECT_EQ(vdr.WaitExit(), kExitFailed);
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
}

}  // namespace
}  // namespace app

namespace app {
namespace {

constexpr const char* kLoginTitle = " Identificación de usuario";
constexpr const char* kWindowTitle = "VENDARO: generación de índices";
constexpr const char* kSearchTitle = " Búsqueda incremental de EMPRESAS";

void Shot(HWND hwnd, const std::string& name) {
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
}

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The program started without arguments, with the user logged in from the log-in dialog:
// `row` rows down the list of users, `password` typed.
class InteractiveTest : public VdrProgramTest {
 protected:
  void LogIn(ProgramProcess& vdr, int row, const std::string& password) {
    HWND login = vdr.WaitWindow(kLoginTitle);
    ASSERT_NE(login, nullptr);
    for (int i = 0; i < row; ++i) testing::PostKey(GetDlgItem(login, 110), VK_DOWN);
    if (!password.empty()) testing::TypeInto(GetDlgItem(login, 120), password);
    testing::PressButton(login, 550);
  }

  // Waits for a box titled `title`, returns what it says (its lines as the box shows them,
  // "\r\n" between them) and presses its first button.
  std::string Answer(ProgramProcess& vdr, const std::string& title) {
    HWND box = vdr.WaitWindow(title);
    if (!box) return "(no aparece " + title + ")";
    const vdr::test::SeenDialog seen = testing::ReadOtherDialog(box);
    if (!seen.buttons.empty()) testing::PressButton(box, seen.buttons.front().id);
    vdr.WaitUntil([box] { return !IsWindow(box); });
    return seen.AllText();
  }

  bool UserActive(std::string_view code) {
    for (const testing::Rec& r : testing::LiveRecords(Start(), "Usuarios", {"CCODIGO", "LACTIVO"}))
      if (Trimmed(std::string(r[0].second.AsString())) == code) return r[1].second.AsLogical();
    return false;
  }
};

TEST_F(InteractiveTest, AUserWithoutAccessToTheOrganisationIsRefused) {
  const std::uint32_t deleted_01 = DeletedInFolder(Folder("01"));
  ProgramProcess vdr(Program(), {});
  LogIn(vdr, 1, "tienda");  // "Dependiente"
  const std::string refusal = Answer(vdr, "Atención");
  EXPECT_EQ(refusal, "Opción no accesible para el usuario Dependiente.\r\nConsulte su mapa de accesos");
  EXPECT_EQ(vdr.WaitExit(), kExitOk);
  EXPECT_FALSE(UserActive("01"));  // logged out
  EXPECT_EQ(DeletedInFolder(Folder("01")), deleted_01);
}

TEST_F(InteractiveTest, TheSupervisorMarksSearchesAndGenerates) {
  std::map<std::string, std::uint32_t> deleted_before;
  for (const char* code : {"01", "02", "03", "04"}) deleted_before[code] = DeletedInFolder(Folder(code));

  ProgramProcess vdr(Program(), {});
  LogIn(vdr, 0, "");  // "Supervisor", no password
  HWND window = vdr.WaitWindow(kWindowTitle);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsZoomed(window));
  EXPECT_TRUE(vdr.WaitUntil([&] { return UserActive("00"); }));  // marked once the log-in dialog has closed
  HWND browse = testing::ChildOfClass(window, "TWBROWSE");
  ASSERT_NE(browse, nullptr);
  auto key = [&](char letter) { PostMessageA(browse, WM_CHAR, static_cast<unsigned char>(letter), 1); };

  // 01 is free: marked. 02 is blocked: refused until it is freed.
  key('m');
  testing::PostKey(browse, VK_DOWN);
  key('m');
  EXPECT_EQ(Answer(vdr, "ATENCION"), "Empresa bloqueada o hay usuarios activos\r\nPara generarla antes hay que liberarla");
  key('l');
  key('m');
  // "Todas" marks every free company and names each other one: 03 has users.
  key('t');
  EXPECT_EQ(Answer(vdr, "ATENCION"),
            "Empresa 03 bloqueada o hay usuarios activos\r\nPara generarla antes hay que liberarla");
  Sleep(300);
  Shot(window, "vdr_window_marked");
  key('n');  // none

  // Search by name (the automatic search takes a letter for a name): "caf" finds 04, an "x"
  // after it finds nothing and is refused.
  key('b');
  HWND search = vdr.WaitWindow(kSearchTitle);
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(testing::TextOf(GetDlgItem(search, 99)), "NOMBRE");
  HWND edit = GetDlgItem(search, 100);
  testing::TypeInto(edit, "cafxe");
  EXPECT_TRUE(vdr.WaitUntil([&] { return Trimmed(testing::TextOf(edit)) == "cafe"; })) << testing::TextOf(edit);
  Shot(search, "vdr_search");
  testing::PressButton(search, 105);
  vdr.WaitUntil([&] { return !IsWindow(search); });
  key('m');  // 04

  // Search by code: "03", then that company is freed and marked.
  key('b');
  search = vdr.WaitWindow(kSearchTitle);
  ASSERT_NE(search, nullptr);
  PostMessageA(GetDlgItem(search, 103), BM_CLICK, 0, 0);
  EXPECT_TRUE(vdr.WaitUntil([&] { return testing::TextOf(GetDlgItem(search, 99)) == "CODIGO"; }));
  edit = GetDlgItem(search, 100);
  testing::TypeInto(edit, "03");
  EXPECT_TRUE(vdr.WaitUntil([&] { return Trimmed(testing::TextOf(edit)) == "03"; })) << testing::TextOf(edit);
  testing::PressButton(search, 105);
  vdr.WaitUntil([&] { return !IsWindow(search); });
  key('l');
  key('m');

  // Generate: the progress dialog organises 03 and 04, the window ends, the end message.
  key('g');
  HWND progress = vdr.WaitWindow("Organización de ficheros");
  ASSERT_NE(progress, nullptr);
  Shot(progress, "vdr_progress");
  testing::PressButton(progress, 552);
  EXPECT_EQ(Answer(vdr, "Proceso Finalizado"), "Organización de empresas realizada");
  EXPECT_EQ(vdr.WaitExit(), kExitOk);

  EXPECT_EQ(Companies(), (std::vector<std::string>{"01 F 0", "02 F 0", "03 F 0", "04 F 0"}));
  EXPECT_EQ(DeletedInFolder(Folder("01")), deleted_before["01"]);
  EXPECT_EQ(DeletedInFolder(Folder("02")), deleted_before["02"]);
  EXPECT_EQ(DeletedInFolder(Folder("03")), 0u);
  EXPECT_EQ(DeletedInFolder(Folder("04")), 0u);
  EXPECT_EQ(Tags(Folder("04"), "FacCliT"), CatalogueTags("FacCliT"));
  EXPECT_FALSE(UserActive("00"));
}

}  // namespace
}  // namespace app

namespace app {
namespace {

// A table missing from a company: the organisation says so and goes on; when the window
// closes, the error list shows what went wrong (without a print button), then the end
// message.
TEST_F(InteractiveTest, TheErrorListShowsWhatWentWrongBeforeTheWindowCloses) {
  fs::remove(Folder("04") + "Rappels.dbf");
  ProgramProcess vdr(Program(), {});
  LogIn(vdr, 0, "");
  HWND window = vdr.WaitWindow(kWindowTitle);
  ASSERT_NE(window, nullptr);
  HWND browse = testing::ChildOfClass(window, "TWBROWSE");
  ASSERT_NE(browse, nullptr);
  testing::PostKey(browse, VK_END);  // 04
  PostMessageA(browse, WM_CHAR, 'm', 1);
  PostMessageA(browse, WM_CHAR, 'g', 1);
  HWND progress = vdr.WaitWindow("Organización de ficheros");
  ASSERT_NE(progress, nullptr);
  testing::PressButton(progress, 552);
  EXPECT_NE(Answer(vdr, "Atención").find("Rappels"), std::string::npos);

  HWND list = vdr.WaitWindow(" Errores de ficheros");
  ASSERT_NE(list, nullptr);
  const vdr::test::SeenDialog seen = testing::ReadOtherDialog(list);
  for (const char* text : {"SE HAN PRODUCIDO ERRORES NO RECUPERABLES",
                           "LA TABLA LE INFORMA SOBRE QUE NO SE ENCUENTRA O NO EXISTE Y EN QUE ZONA"})
    EXPECT_NE(seen.AllText().find(text), std::string::npos) << text;
  EXPECT_EQ(seen.ButtonId("Imprimir"), 0);
  HWND lines = GetDlgItem(list, 510);
  ASSERT_NE(lines, nullptr);
  Shot(list, "vdr_error_list");
  testing::PressButton(list, 520);
  EXPECT_EQ(Answer(vdr, "Proceso Finalizado"), "Organización de empresas realizada");
  EXPECT_EQ(vdr.WaitExit(), kExitOk);
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
  EXPECT_EQ(DeletedInFolder(Folder("04")), 0u);
}

// Another user works in the company table: its open fails with its own message, no window
// shows, and the program says why it stops.
TEST_F(VdrProgramTest, ACompanyTableInUseStopsTheProgram) {
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  exclusive.alias = "Ocupada";
  ASSERT_TRUE(data::lNetUse(Start() + "Empresa", exclusive));
  ProgramProcess vdr(Program(), {"01"});
  ASSERT_TRUE(vdr.started());
  const std::vector<vdr::test::SeenDialog> boxes = testing::AnswerEveryBox(vdr);
  EXPECT_EQ(vdr.WaitExit(), kExitFailed);
  xb::rdd::WorkAreas::Get().Current().Close();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.back().title, "Error");
  EXPECT_EQ(boxes.back().AllText(),
            "No se ha podido abrir el fichero de Empresas\r\nde forma exclusiva. \r\n"
            "Para realizar este proceso no puede haber ningún\r\nUsuario trabajando en Vendaro");
  for (const auto& box : boxes) EXPECT_NE(box.title, kWindowTitle);
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
}

}  // namespace
}  // namespace app

namespace app {
namespace {

// The log-in given up: the window ends at once, nothing is organised, no end message.
TEST_F(InteractiveTest, GivingUpTheLogInEndsTheProgram) {
  const std::uint32_t deleted_01 = DeletedInFolder(Folder("01"));
  ProgramProcess vdr(Program(), {});
  HWND login = vdr.WaitWindow(kLoginTitle);
  ASSERT_NE(login, nullptr);
  testing::PressButton(login, 551);
  vdr.WaitUntil([login] { return !IsWindow(login); });
  const std::vector<vdr::test::SeenDialog> boxes = testing::AnswerEveryBox(vdr);
  EXPECT_EQ(vdr.WaitExit(), kExitOk);
  for (const auto& box : boxes) ADD_FAILURE() << box.title << ": " << box.AllText();
  EXPECT_EQ(DeletedInFolder(Folder("01")), deleted_01);
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
}

}  // namespace
}  // namespace app
