// The real Vdr.exe, run on a demo tree as an installation has it (the program in VDR\, the
// start folder ..\DBF\): with a company code it organises that company without a word and
// ends; without companies it refuses to start.
#include "app/program/vdr_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>

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

// The input method windows among the top-level windows of the thread that owns `window`.
int InputMethodWindows(HWND window) {
  int count = 0;
  EnumThreadWindows(
      GetWindowThreadProcessId(window, nullptr),
      [](HWND hwnd, LPARAM counter) {
        char name[16] = {};
        GetClassNameA(hwnd, name, sizeof name);
        if (std::string_view(name) == "IME") ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
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
  // The demo tree written again with other options.
  void Rewrite(const std::function<void(DemoOptions&)>& change) {
    DemoOptions options = demo;
    change(options);
    xb::rdd::ResetTables();
    fs::remove_all(tree.path());
    std::string error;
    ASSERT_TRUE(WriteDemoTree(tree.path(), options, nullptr, &error)) << error;
    ASSERT_TRUE(testing::InstallProgram(Program()));
  }
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

  // The lines of the run's log, without their date and time.
  std::vector<std::string> LogLines() {
    std::ifstream in(tree.path() + "TMP\\Vdr.log", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line.size() > 20 ? line.substr(20) : line);
    }
    return lines;
  }
  static int Count(const std::vector<std::string>& lines, std::string_view part) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& l) { return l.find(part) != std::string::npos; }));
  }
  static std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
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
  if (HWND progress = vdr.WaitWindow(kProgressTitle, 20000)) {
    vdr::test::SaveWindowBitmap(progress, vdr::test::ScreenshotFolder() + "\\vdr_parameter_progress.bmp");
    // Nobody types in parameter mode: no input method window beside the program's own.
    EXPECT_EQ(InputMethodWindows(progress), 0);
  }
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

  // Its folders: the temporary ones made, the error table erased; nothing went to its log.
  EXPECT_TRUE(LogLines().empty()) << Joined(LogLines());
  EXPECT_TRUE(fs::is_directory(Program() + "TMP"));
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
}

// Trees that the demo does not make, organised in parameter mode: the program ends by itself
// without a box, its log says what went wrong (exit 1) or nothing (exit 0), the company is
// free again and every other table organised.
TEST_F(VdrProgramTest, ParameterModeEndsByItselfWhateverTheTree) {
  // A helper process of this test holds a table as another program would.
  struct Holder {
    data::NetUseOptions options;
    std::string table;
    bool lock_record = false;
  };
  struct Fault {
    const char* name;
    std::function<void()> make;
    std::optional<Holder> hold;
    int exit;
    std::vector<std::string> logged;  // each found in a line; the first in one line only
    bool company_freed = true;
    bool once = true;
  };
  auto cut_table = [this] {
    const std::string dbf = Folder("01") + "Clientes.dbf";
    std::ifstream in(dbf, std::ios::binary);
    unsigned char head[12] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const std::uint32_t count = head[4] | head[5] << 8 | head[6] << 16;
    const std::uint32_t header = head[8] | head[9] << 8, length = head[10] | head[11] << 8;
    in.close();
    fs::resize_file(dbf, header + count / 2 * length);  // half the header's count left
  };
  auto count_beyond = [this] {
    std::fstream f(Folder("01") + "Clientes.dbf", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(6);
    f.put('\x01');  // 65,536 records more than the file holds
  };
  auto cut_memo = [this] {
    const std::string fpt = Folder("01") + "Clientes.fpt";
    fs::resize_file(fpt, fs::file_size(fpt) / 2);
  };
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  exclusive.alias = "Ocupada";
  data::NetUseOptions shared;
  shared.alias = "Ocupada";
  const Fault faults[] = {
      {"nadie ha entrado aún",
       [this] {
         for (const char* name : {"Usuarios", "GrpUser", "MenuVdrE", "Macros"})
           for (const char* ext : {".dbf", ".cdx", ".fpt"}) fs::remove(Start() + name + ext);
       },
       {}, kExitOk, {}},
      {"estadísticas que no caben", [this] { Rewrite([](DemoOptions& o) { o.overflowing_statistics = true; }); },
       {}, kExitFailed, {"Graph CG0000", " no cabe"}, true, false},
      {"tabla en uso exclusivo", nullptr, Holder{exclusive, "Clientes", false}, kExitFailed,
       {"Es necesario tener acceso exclusivo al fichero Clientes.dbf"}},
      {"registro bloqueado", nullptr, Holder{shared, "Clientes", true}, kExitFailed,
       {"Es necesario tener acceso exclusivo al fichero Clientes.dbf"}},
      {"tabla cortada", cut_table, {}, kExitFailed, {"DBF01\\Clientes.dbf: faltan "}},
      {"cuenta más allá del fichero", count_beyond, {}, kExitFailed, {"DBF01\\Clientes.dbf: faltan 65536 de sus "}},
      {"memo cortado", cut_memo, {}, kExitFailed, {"DBF01\\Clientes.fpt: ", " memos fuera del fichero, borrados"}},
      {"sin fichero de empresas", [this] { fs::remove(Start() + "Empresa.dbf"); }, {}, kExitFailed,
       {"No se ha encontrado el fichero que se intentaba abrir :Empresa.dbf."}, false},
      {"primera empresa sin Claves", [this] { fs::remove(Folder("01") + "Claves.dbf"); }, {}, kExitFailed,
       {"No se ha encontrado el fichero que se intentaba abrir :Claves.dbf."}, false},
      {"primera empresa sin Divisas", [this] { fs::remove(Folder("01") + "Divisas.dbf"); }, {}, kExitFailed,
       {"No se ha encontrado el fichero que se intentaba abrir :Divisas.dbf."}, false},
  };
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.name);
    xb::rdd::ResetTables();
    fs::remove_all(tree.path());
    std::string error;
    ASSERT_TRUE(WriteDemoTree(tree.path(), demo, nullptr, &error)) << error;
    ASSERT_TRUE(testing::InstallProgram(Program()));
    if (f.make) f.make();
    const std::vector<std::string> companies_before = f.company_freed ? Companies() : std::vector<std::string>{};
    if (f.hold) {
      ASSERT_TRUE(data::lNetUse(Folder("01") + f.hold->table, f.hold->options));
      if (f.hold->lock_record) {
        ASSERT_TRUE(xb::rdd::WorkAreas::Get().Current().LockRecord(1, true));
      }
    }

    ProgramProcess vdr(Program(), {"01"});
    ASSERT_TRUE(vdr.started());
    const std::vector<vdr::test::SeenDialog> boxes = testing::AnswerEveryBox(vdr, 300000, {kProgressTitle});
    EXPECT_EQ(vdr.WaitExit(), f.exit);
    if (f.hold) xb::rdd::WorkAreas::Get().Current().Close();
    for (const auto& box : boxes) ADD_FAILURE() << "a box: " << box.title << ": " << box.AllText();

    const std::vector<std::string> log = LogLines();
    EXPECT_EQ(log.empty(), f.exit == kExitOk) << Joined(log);
    for (const std::string& part : f.logged) EXPECT_GE(Count(log, part), 1) << part << "\n" << Joined(log);
    if (!f.logged.empty() && f.once) {
      EXPECT_EQ(Count(log, f.logged.front()), 1) << Joined(log);
    }
    EXPECT_EQ(Count(log, "de forma exclusiva. "), 0) << Joined(log);  // a missing table is not in use
    for (const std::string& line : log) EXPECT_EQ(line.rfind("Empresa 01: ", 0), 0u) << line;
    EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
    if (!f.company_freed) {
      EXPECT_EQ(log.size(), 1u) << Joined(log);  // its one message
      continue;
    }
    EXPECT_EQ(Companies(), companies_before);
    for (std::string_view table : {"Articulo", "FacCliT", "Recibos"}) EXPECT_EQ(Tags(Folder("01"), table), CatalogueTags(table)) << table;
    if (!f.hold) {
      EXPECT_EQ(Tags(Folder("01"), "Clientes"), CatalogueTags("Clientes"));
    }
    if (f.make && f.exit == kExitOk) {
      // A start folder nobody had logged into: its user tables made with their default rows.
      const auto users = testing::LiveRecords(Start(), "Usuarios", {"CCODIGO", "CNOMBRE"});
      ASSERT_EQ(users.size(), 1u);
      EXPECT_EQ(users[0][0].second.AsString(), "00");
      EXPECT_EQ(TrimRight(users[0][1].second.AsString()), "Supervisor");
      EXPECT_EQ(testing::LiveRecords(Start(), "GrpUser", {"CODIGO"}).size(), 1u);
    }
  }
}

// A code that is no company's, an argument that is no code at all, or an empty one: the
// generation runs over no company, and the run says so in its log and ends as failed, so
// that a scheduled job does not read it as done. "0" begins company 01's code and is not it.
TEST_F(VdrProgramTest, ACodeNotInTheCompanyTableOrganisesNothingAndSaysSo) {
  std::map<std::string, std::uint32_t> deleted_before;
  for (const char* code : {"01", "02", "03", "04"}) deleted_before[code] = DeletedInFolder(Folder(code));
  struct Case {
    const char* argument;
    const char* line;
  };
  const Case cases[] = {
      {"77", "Empresa 77: Atención: Empresa 77 no encontrada"},
      {"0", "Empresa 0: Atención: Empresa 0 no encontrada"},
      {"hola", "Empresa hola: Atención: Empresa hola no encontrada"},
      {"", "Atención: No se ha indicado el código de la empresa"},
      {"  ", "Atención: No se ha indicado el código de la empresa"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.argument + "]");
    fs::remove(tree.path() + "TMP\\Vdr.log");
    ProgramProcess vdr(Program(), {c.argument});
    ASSERT_TRUE(vdr.started());
    const std::vector<vdr::test::SeenDialog> boxes = testing::AnswerEveryBox(vdr, 60000, {kProgressTitle});
    EXPECT_EQ(vdr.WaitExit(), kExitFailed);
    for (const auto& box : boxes) ADD_FAILURE() << "a box: " << box.title << ": " << box.AllText();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{c.line}));
    for (const char* company : {"01", "02", "03", "04"})
      EXPECT_EQ(DeletedInFolder(Folder(company)), deleted_before[company]) << company;
    EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
  }
}

// Without a company folder beside the start folder the program stops before it opens a
// table, even though the company table lists companies: with the alert when someone is
// there to read it, in its log in parameter mode.
TEST_F(VdrProgramTest, WithoutCompanyFoldersItRefusesToStart) {
  for (std::string_view code : {"01", "02", "03", "04"}) fs::remove_all(Folder(code));
  {
    ProgramProcess vdr(Program(), {});
    ASSERT_TRUE(vdr.started());
    HWND alert = vdr.WaitWindow("Atención");
    ASSERT_NE(alert, nullptr);
    const vdr::test::SeenDialog seen = testing::ReadOtherDialog(alert);
    EXPECT_NE(seen.AllText().find("No existen empresas. Proceso no autorizado"), std::string::npos) << seen.AllText();
    ASSERT_FALSE(seen.buttons.empty());
    testing::PressButton(alert, seen.buttons.front().id);
    EXPECT_EQ(vdr.WaitExit(), kExitFailed);
  }
  ProgramProcess vdr(Program(), {"01"});
  ASSERT_TRUE(vdr.started());
  EXPECT_TRUE(testing::AnswerEveryBox(vdr).empty());
  EXPECT_EQ(vdr.WaitExit(), kExitFailed);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"Empresa 01: Atención: No existen empresas. Proceso no autorizado"}));
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
}

// A scheduled run starts in a folder of the system's choosing: the program works from its own
// folder all the same, and leaves nothing in the one it was started in.
TEST_F(VdrProgramTest, StartedInAnotherFolderItWorksFromItsOwn) {
  const std::string elsewhere = tree.path() + "Otra\\Tarea\\";
  fs::create_directories(elsewhere);
  ASSERT_GT(DeletedInFolder(Folder("01")), 0u);
  ProgramProcess vdr(Program(), {"01"}, elsewhere);
  ASSERT_TRUE(vdr.started());
  EXPECT_EQ(vdr.WaitExit(), kExitOk);
  EXPECT_EQ(DeletedInFolder(Folder("01")), 0u);
  EXPECT_TRUE(LogLines().empty()) << Joined(LogLines());
  EXPECT_TRUE(fs::is_empty(elsewhere));
  EXPECT_FALSE(fs::exists(tree.path() + "Otra\\TMP"));
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

// A table missing from a company: the organisation says so in a box that paints and
// answers, and goes on; when the window closes, the error list shows what went wrong
// (without a print button) and no end message contradicts it. The company is marked by a
// double click on its row.
TEST_F(InteractiveTest, ABoxDuringTheOrganisationPaintsAndTheErrorListFollows) {
  fs::remove(Folder("04") + "Rappels.dbf");
  ProgramProcess vdr(Program(), {});
  LogIn(vdr, 0, "");
  HWND window = vdr.WaitWindow(kWindowTitle);
  ASSERT_NE(window, nullptr);
  HWND browse = testing::ChildOfClass(window, "TWBROWSE");
  ASSERT_NE(browse, nullptr);
  std::vector<testing::Light> lights;
  ASSERT_TRUE(vdr.WaitUntil([&] { return (lights = testing::BrowseLights(browse)).size() == 4; }));
  const LPARAM row4 = MAKELPARAM(60, lights[3].y);
  PostMessageA(browse, WM_LBUTTONDOWN, MK_LBUTTON, row4);
  PostMessageA(browse, WM_LBUTTONUP, 0, row4);
  PostMessageA(browse, WM_LBUTTONDBLCLK, MK_LBUTTON, row4);
  PostMessageA(browse, WM_LBUTTONUP, 0, row4);
  PostMessageA(browse, WM_CHAR, 'g', 1);
  HWND progress = vdr.WaitWindow("Organización de ficheros");
  ASSERT_NE(progress, nullptr);
  testing::PressButton(progress, 552);

  HWND box = vdr.WaitWindow("Atención");
  ASSERT_NE(box, nullptr);
  Sleep(300);
  Shot(box, "vdr_box_during_organisation");
  EXPECT_GT(testing::PaintedShare(box), 0.9);  // drawn, not left black
  const vdr::test::SeenDialog seen_box = testing::ReadOtherDialog(box);
  EXPECT_NE(seen_box.AllText().find("Rappels"), std::string::npos) << seen_box.AllText();
  ASSERT_FALSE(seen_box.buttons.empty());
  testing::PressButton(box, seen_box.buttons.front().id);  // and the run goes on

  HWND list = vdr.WaitWindow(" Errores de ficheros");
  ASSERT_NE(list, nullptr);
  const vdr::test::SeenDialog seen = testing::ReadOtherDialog(list);
  for (const char* text : {"SE HAN PRODUCIDO ERRORES NO RECUPERABLES",
                           "LA TABLA LE INFORMA SOBRE QUE NO SE ENCUENTRA O NO EXISTE Y EN QUE ZONA"})
    EXPECT_NE(seen.AllText().find(text), std::string::npos) << text;
  EXPECT_EQ(seen.ButtonId("Imprimir"), 505);  // it prints the list
  HWND lines = GetDlgItem(list, 510);
  ASSERT_NE(lines, nullptr);
  Shot(list, "vdr_error_list");
  Shot(window, "vdr_window_under_the_error_list");  // the company's row drawn, not blank
  testing::PressButton(list, 520);
  const std::vector<vdr::test::SeenDialog> after = testing::AnswerEveryBox(vdr);
  for (const auto& b : after) ADD_FAILURE() << b.title << ": " << b.AllText();
  EXPECT_EQ(vdr.WaitExit(), kExitFailed);  // a table was not organised
  EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
  EXPECT_EQ(DeletedInFolder(Folder("04")), 0u);
  EXPECT_GT(DeletedInFolder(Folder("01")), 0u);  // only the row double-clicked was marked
}

// The light of each company is red exactly when marking refuses it (02 blocked, 03 with
// users); a right click acts on the row under it, which it selects first; "Fuentes" opens
// the font dialog over the browse.
TEST_F(InteractiveTest, TheLightsThePopUpAndTheFonts) {
  const std::uint32_t deleted_01 = DeletedInFolder(Folder("01"));
  ProgramProcess vdr(Program(), {});
  LogIn(vdr, 0, "");
  HWND window = vdr.WaitWindow(kWindowTitle);
  ASSERT_NE(window, nullptr);
  HWND browse = testing::ChildOfClass(window, "TWBROWSE");
  ASSERT_NE(browse, nullptr);
  std::vector<testing::Light> lights;
  const bool four = vdr.WaitUntil([&] { return (lights = testing::BrowseLights(browse)).size() == 4; });
  Shot(window, "vdr_window_lights");
  ASSERT_TRUE(four) << lights.size();
  std::vector<bool> red;
  for (const testing::Light& l : lights) red.push_back(l.red);
  EXPECT_EQ(red, (std::vector<bool>{false, true, true, false}));

  // "Fuentes": the font dialog; accepted, the program goes on.
  PostMessageA(browse, WM_CHAR, 'f', 1);
  HWND fonts = nullptr;
  ASSERT_TRUE(vdr.WaitUntil([&] {
    for (HWND w : vdr.Windows())
      if (w != window && GetDlgItem(w, 1136) != nullptr) fonts = w;  // the dialog's face name list
    return fonts != nullptr;
  }));
  Shot(fonts, "vdr_fonts");
  testing::PressButton(fonts, IDOK);
  vdr.WaitUntil([&] { return !IsWindow(fonts); });
  ASSERT_TRUE(vdr.WaitUntil([&] { return (lights = testing::BrowseLights(browse)).size() == 4; }));  // rows as now drawn

  // A right click on 04's row: the pop-up of the bar's actions; "Marcar" marks 04.
  PostMessageA(browse, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, lights[3].y));
  PostMessageA(browse, WM_RBUTTONUP, 0, MAKELPARAM(60, lights[3].y));
  HWND menu = nullptr;
  ASSERT_TRUE(vdr.WaitUntil([&] {
    for (HWND w : vdr.Windows())
      if (testing::ClassOf(w) == "#32768" && IsWindowVisible(w)) menu = w;
    return menu != nullptr;
  }));
  Shot(menu, "vdr_popup");
  PostMessageA(menu, WM_CHAR, 'm', 1);
  vdr.WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); });
  PostMessageA(browse, WM_CHAR, 'g', 1);
  HWND progress = vdr.WaitWindow("Organización de ficheros");
  ASSERT_NE(progress, nullptr);
  testing::PressButton(progress, 552);
  EXPECT_EQ(Answer(vdr, "Proceso Finalizado"), "Organización de empresas realizada");
  EXPECT_EQ(vdr.WaitExit(), kExitOk);
  EXPECT_EQ(DeletedInFolder(Folder("04")), 0u);
  EXPECT_EQ(DeletedInFolder(Folder("01")), deleted_01);
}

// Another user works in the company table, or in the first company's `Claves` or `Divisas`:
// its open fails, no window shows, and the program says why it stops: in its log, as nobody
// watches in parameter mode; in two boxes else.
TEST_F(VdrProgramTest, ACompanyTableInUseStopsTheProgram) {
  struct Case {
    const char* table;
    bool company_folder;  // of the first company, else the start folder
  };
  for (const Case& c : {Case{"Empresa", false}, Case{"Claves", true}, Case{"Divisas", true}}) {
    SCOPED_TRACE(c.table);
    fs::remove(tree.path() + "TMP\\Vdr.log");
    const std::uint32_t deleted_01 = DeletedInFolder(Folder("01"));
    data::NetUseOptions exclusive;
    exclusive.exclusive = true;
    exclusive.alias = "Ocupada";
    ASSERT_TRUE(data::lNetUse((c.company_folder ? Folder("01") : Start()) + c.table, exclusive));
    {
      ProgramProcess vdr(Program(), {});
      const std::vector<vdr::test::SeenDialog> boxes = testing::AnswerEveryBox(vdr);
      EXPECT_EQ(vdr.WaitExit(), kExitFailed);
      ASSERT_EQ(boxes.size(), 2u);
      EXPECT_EQ(boxes[0].title, "Acceso denegado");
      EXPECT_NE(boxes[0].AllText().find(std::string(c.table) + ".dbf"), std::string::npos) << boxes[0].AllText();
      EXPECT_EQ(boxes.back().title, "Error");
      EXPECT_EQ(boxes.back().AllText(),
                "No se ha podido abrir el fichero de Empresas\r\nde forma exclusiva. \r\n"
                "Para realizar este proceso no puede haber ningún\r\nUsuario trabajando en Vendaro");
    }
    ProgramProcess vdr(Program(), {"01"});
    ASSERT_TRUE(vdr.started());
    const std::vector<vdr::test::SeenDialog> boxes = testing::AnswerEveryBox(vdr);
    EXPECT_EQ(vdr.WaitExit(), kExitFailed);
    xb::rdd::WorkAreas::Get().Current().Close();
    for (const auto& box : boxes) ADD_FAILURE() << box.title << ": " << box.AllText();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Empresa 01: Acceso denegado: Es necesario tener acceso exclusivo al fichero " +
                                  std::string(c.table) + ".dbf. Revise los procesos abiertos",
                              "Empresa 01: Error: No se ha podido abrir el fichero de Empresas de forma exclusiva. "
                              "Para realizar este proceso no puede haber ningún Usuario trabajando en Vendaro",
                          }));
    EXPECT_FALSE(fs::exists(tree.path() + "TMP\\OrgAll.dbf"));
    EXPECT_EQ(DeletedInFolder(Folder("01")), deleted_01);  // nothing organised
  }
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
