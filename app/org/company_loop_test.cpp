// The loop over the marked companies on a demo tree: blocking and freeing, each company's
// own settings, the error table's lines, the areas it leaves open, a company table lost.
#include "app/org/company_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/org/error_table.h"
#include "app/org/index_catalogue.h"
#include "app/org/org_test_support.h"
#include "app/org/organisation_state.h"
#include "runtime/function_table.h"
#include "app/tools/demo_data.h"
#include "data/currency.h"
#include "data/currency_functions.h"
#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/table_access.h"

namespace app {
namespace {

std::string Sep() { return std::string(1, static_cast<char>(std::filesystem::path::preferred_separator)); }

// The view's hooks, given by each test.
struct HookedView : CompanyLoopView {
  std::function<void(std::string_view)> starting, finished;
  void CompanyStarting(std::string_view code) override {
    if (starting) starting(code);
  }
  void CompanyFinished(std::string_view code) override {
    if (finished) finished(code);
  }
};

class CompanyLoop : public testing::OrgTest {
 protected:
  void SetUp() override {
    OrgTest::SetUp();
    areas().set_file_system(nullptr);  // real files
    previous_ui_ = data::SetDataUi(&ui);
    demo.records = 300;
    demo.small_records = 100;
    std::string error;
    ASSERT_TRUE(WriteDemoTree(tree.path(), demo, nullptr, &error)) << error;
    data::cPathStart(tree.path() + "DBF" + Sep());
    data::dSetDate(demo.today);
    data::NetUseOptions exclusive;
    exclusive.exclusive = true;
    exclusive.alias = "Empresa";
    ASSERT_TRUE(data::lNetUse(data::cPathStart() + "Empresa", exclusive));
    ASSERT_TRUE(CreateErrorTable(tree.path() + "TMP" + Sep()));
    ASSERT_TRUE(OpenErrorTable(tree.path() + "TMP" + Sep()));
    ResetSelection(4);
  }
  void TearDown() override {
    data::SetDataUi(previous_ui_);
    data::ResetProgramSettings();
    data::ResetCurrentCompany();
    OrgTest::TearDown();
  }

  std::string Folder(std::string_view code) { return tree.path() + "DBF" + std::string(code) + Sep(); }
  xb::rdd::WorkArea& Empresa() { return *areas().Area(areas().AreaOfAlias("Empresa")); }
  bool Blocked(std::uint32_t record) {
    xb::rdd::WorkArea& e = Empresa();
    const std::uint32_t kept = e.recno();
    e.GoTo(record);
    const bool blocked = e.GetField(e.FieldPos("LACTIVA")).AsLogical();
    e.GoTo(kept);
    return blocked;
  }
  std::uint32_t Deleted(const std::string& folder, std::string_view table) {
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return 0;
    std::uint32_t deleted = 0;
    for (std::uint32_t r = 1; r <= t.RecordCount(); ++r) {
      t.area().GoTo(r);
      deleted += t.area().Deleted();
    }
    return deleted;
  }
  // Deletes a table's first record, so that packing it shows.
  void DeleteFirst(const std::string& folder, std::string_view table) {
    OrgTable t;
    TableFailure failure;
    ASSERT_TRUE(t.Open(folder, table, &failure));
    t.area().GoTo(1);
    ASSERT_TRUE(t.area().Delete());
  }
  std::vector<std::string> Aliases() {
    std::vector<std::string> out;
    for (int n = 1; n <= 64; ++n)
      if (areas().Area(n)->used()) out.push_back(areas().Area(n)->alias());
    return out;
  }

  testing::TempFolder tree;
  DemoOptions demo;
  data::testing::RecordingUi ui;
  HookedView view;
  ReportingEvents events;

 private:
  data::DataUi* previous_ui_ = nullptr;
};

TEST(CompanyFolder, TheStartFolderNameFollowedByTheCode) {
  EXPECT_EQ(CompanyFolder("..\\DBF\\", "01"), "..\\DBF01\\");
  EXPECT_EQ(CompanyFolder("/datos/DBF/", "7"), "/datos/DBF7/");
  EXPECT_EQ(CompanyFolder("DBF", "02"), "DBF02\\");
}

TEST(Selection, OneElementPerCompanyRecordPlusOne) {
  ResetSelection(3);
  SetOrganisationDone(true);
  ResetSelection(3);
  EXPECT_FALSE(OrganisationDone());
  const xb::Array selection = SelectionArray();
  ASSERT_EQ(selection.size(), 4u);
  EXPECT_TRUE(MarkCompany(2, true));
  EXPECT_FALSE(MarkCompany(0, true));
  EXPECT_FALSE(MarkCompany(5, true));
  EXPECT_EQ(SelectionArray()[1].AsString(), "S");  // the same array, seen through its xBase value
  EXPECT_EQ(selection[0].AsString(), " ");
  EXPECT_TRUE(IsCompanyMarked(2));
  EXPECT_FALSE(IsCompanyMarked(5));
  EXPECT_EQ(MarkedCompanyCount(), 1);
  UnmarkAllCompanies();
  EXPECT_EQ(MarkedCompanyCount(), 0);
}

TEST_F(CompanyLoop, MarkedCompaniesAreBlockedOrganisedWithTheirOwnSettingsAndFreed) {
  for (const char* code : {"01", "03", "04"}) DeleteFirst(Folder(code), "FacCliL");
  MarkCompany(1, true);  // "01", keeps statistics
  MarkCompany(4, true);  // "04", does not
  std::vector<std::string> seen;
  view.starting = [&](std::string_view code) {
    seen.push_back(std::string(code) + (Blocked(code == "01" ? 1 : 4) ? " bloqueada" : " libre") + " " + data::cPathDbf());
  };
  view.finished = [&](std::string_view code) {
    seen.push_back(std::string(code) + (Blocked(code == "01" ? 1 : 4) ? " bloqueada" : " libre") +
                   (data::CurrentCompany().statistics ? " con gráficos" : " sin gráficos"));
    Empresa().GoBottom();  // the window may move the record pointer
  };
  // A table the window holds stays open.
  data::NetUseOptions shared;
  shared.alias = "Otra";
  ASSERT_TRUE(data::lNetUse(Folder("02") + "Zonas", shared));

  const CompanyLoopResult result = OrganiseMarkedCompanies(OrganiseOptions{}, events, view);

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.organised, 2);
  EXPECT_TRUE(OrganisationDone());
  EXPECT_EQ(seen, (std::vector<std::string>{"01 bloqueada " + Folder("01"), "01 libre con gráficos",
                                            "04 bloqueada " + Folder("04"), "04 libre sin gráficos"}));
  EXPECT_FALSE(Blocked(1));
  EXPECT_FALSE(Blocked(4));
  EXPECT_TRUE(Blocked(2));  // blocked before, and not marked
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ErrorLines().empty());
  EXPECT_EQ(Deleted(Folder("01"), "FacCliL"), 0u);
  EXPECT_EQ(Deleted(Folder("04"), "FacCliL"), 0u);
  EXPECT_GT(Deleted(Folder("03"), "FacCliL"), 0u);  // not marked: untouched
  EXPECT_EQ(Aliases(), (std::vector<std::string>{"EMPRESA", "CDBORG", "OTRA"}));
}

// A catalogue table missing in one company, the settings of another unreadable: each gives
// its message and its line, and the company's recomputations are skipped, with a line.
TEST_F(CompanyLoop, FailuresGiveTheirMessageAndOneErrorLineEach) {
  std::filesystem::remove(Folder("01") + "Rappels.dbf");
  std::filesystem::remove(Folder("04") + "Claves.dbf");
  MarkCompany(1, true);
  MarkCompany(4, true);
  // The error table is lost before the second company: it is opened again.
  view.starting = [&](std::string_view code) {
    if (code == "04") CloseErrorTable();
  };

  const CompanyLoopResult result = OrganiseMarkedCompanies(OrganiseOptions{}, events, view);

  EXPECT_TRUE(result.completed);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[0].text.find("intentaba abrir :Rappels.dbf."), std::string::npos) << ui.messages[0].text;
  EXPECT_NE(ui.messages[1].text.find("intentaba abrir :Claves.dbf."), std::string::npos) << ui.messages[1].text;
  EXPECT_EQ(ErrorLines(), (std::vector<std::string>{
                              "Empresa 01: DBF01" + Sep() + "Rappels.dbf no existe",
                              "Empresa 01: No se han actualizado los acumulados: falta algún fichero",
                              "Empresa 04: DBF04" + Sep() + "Claves.dbf no existe",
                              "Empresa 04: No se han actualizado los acumulados: sin configuración",
                          }));
  EXPECT_FALSE(Blocked(1));
  EXPECT_FALSE(Blocked(4));
  EXPECT_EQ(Deleted(Folder("04"), "FacCliL"), 0u);  // its tables were organised all the same
}

// A table missing in one company stops that company's recomputations only: the next
// company, whose tables are all there, has its accumulators recomputed.
TEST_F(CompanyLoop, AMissingTableStopsTheRecomputationsOfItsOwnCompanyOnly) {
  std::filesystem::remove(Folder("01") + "Rappels.dbf");
  {
    OrgTable t;
    TableFailure failure;
    ASSERT_TRUE(t.Open(Folder("03"), "Articulo", &failure));
    t.area().GoTo(1);
    ASSERT_TRUE(t.PutNum(t.Field("NENTACU"), 12345));
  }
  MarkCompany(1, true);
  MarkCompany(3, true);

  const CompanyLoopResult result = OrganiseMarkedCompanies(OrganiseOptions{}, events, view);

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.organised, 2);
  EXPECT_EQ(ErrorLines(), (std::vector<std::string>{
                              "Empresa 01: DBF01" + Sep() + "Rappels.dbf no existe",
                              "Empresa 01: No se han actualizado los acumulados: falta algún fichero",
                          }));
  EXPECT_NE(testing::ReadField(Folder("03"), "Articulo", 1, "NENTACU").AsDouble(), 12345);
}

// A table missing for every one of its rows is one error line; the window shows its message
// at each row, a run nobody watches once. Damage mended is told, the start folder's
// messages are lines too, and Empresa stands again on the company it stood on.
TEST_F(CompanyLoop, EachFailureIsOneLineAndNothingOfTheStartFolderStops) {
  namespace fs = std::filesystem;
  const std::uint32_t rows = static_cast<std::uint32_t>(RowsOfTable("Clientes").size());
  ASSERT_GT(rows, 1u);
  // A step of the start folder's re-index that meets a missing table.
  xb::RegisterFunction("NTXAGENDA", [](xb::Args&) {
    return xb::Value::Logical(data::lNetUse(data::cPathStart() + "Agenda"));
  });
  for (const bool repeat : {true, false}) {
    SCOPED_TRACE(repeat ? "window" : "nobody watches");
    ui.messages.clear();
    CloseErrorTable();
    ASSERT_TRUE(CreateErrorTable(tree.path() + "TMP" + Sep()));
    ASSERT_TRUE(OpenErrorTable(tree.path() + "TMP" + Sep()));
    fs::remove(Folder("01") + "Clientes.dbf");
    // Company 04: its invoices' header counts 40 records more than the file holds.
    {
      std::fstream f(Folder("04") + "FacCliT.dbf", std::ios::in | std::ios::out | std::ios::binary);
      unsigned char count[4];
      f.seekg(4);
      f.read(reinterpret_cast<char*>(count), 4);
      std::uint32_t n = count[0] | count[1] << 8 | count[2] << 16 | static_cast<std::uint32_t>(count[3]) << 24;
      n += 40;
      for (int i = 0; i < 4; ++i) count[i] = static_cast<unsigned char>(n >> (8 * i));
      f.seekp(4);
      f.write(reinterpret_cast<char*>(count), 4);
    }
    events.SetRepeatMessages(repeat);
    ResetSelection(4);
    MarkCompany(1, true);
    MarkCompany(4, true);
    Empresa().GoTo(3);

    const CompanyLoopResult result = OrganiseMarkedCompanies(OrganiseOptions{}, events, view);

    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.organised, 2);
    EXPECT_EQ(Empresa().recno(), 3u);
    EXPECT_EQ(ui.messages.size(), repeat ? rows : 1u);
    for (const auto& m : ui.messages) EXPECT_NE(m.text.find(":Clientes.dbf."), std::string::npos) << m.text;
    const std::vector<std::string> lines = ErrorLines();
    auto count = [&](std::string_view part) {
      return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
    };
    EXPECT_EQ(count("Empresa 01: DBF01" + Sep() + "Clientes.dbf no existe"), 1);
    EXPECT_EQ(count("Empresa 01: DBF" + Sep() + "Agenda.dbf no existe"), 1);
    EXPECT_EQ(count("Empresa 04: DBF04" + Sep() + "FacCliT.dbf: faltan 40 de sus "), 1);
    EXPECT_EQ(ErrorLineCount(), static_cast<int>(lines.size()));
    EXPECT_FALSE(Blocked(1));
    EXPECT_FALSE(Blocked(4));
  }
}

// The company table closed under the loop: it is opened again to free the company, and the
// loop stops there; when it cannot be opened, the message says which company stays blocked.
TEST_F(CompanyLoop, ACompanyTableLostStopsTheLoopWithoutLeavingTheCompanyBlocked) {
  for (const bool file_gone : {false, true}) {
    SCOPED_TRACE(file_gone ? "cannot be opened again" : "opened again");
    ui.messages.clear();
    ResetSelection(4);
    MarkCompany(1, true);
    MarkCompany(4, true);
    DeleteFirst(Folder("04"), "FacCliL");
    const std::string table = data::cPathStart() + "Empresa.dbf";
    view.starting = [&](std::string_view) {
      Empresa().Close();
      if (file_gone) std::filesystem::rename(table, table + ".aparte");
    };

    const CompanyLoopResult result = OrganiseMarkedCompanies(OrganiseOptions{}, events, view);

    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.organised, 0);
    EXPECT_FALSE(OrganisationDone());
    ASSERT_FALSE(ui.messages.empty());
    const std::string& last = ui.messages.back().text;
    EXPECT_NE(last.find("Se ha perdido el acceso al fichero de Empresas."), std::string::npos);
    EXPECT_EQ(last.find("La empresa 01 ha quedado bloqueada") != std::string::npos, file_gone) << last;
    EXPECT_GT(Deleted(Folder("04"), "FacCliL"), 0u);  // the loop stopped before it
    if (file_gone) {
      std::filesystem::rename(table + ".aparte", table);
      data::NetUseOptions exclusive;
      exclusive.exclusive = true;
      exclusive.alias = "Empresa";
      ASSERT_TRUE(data::lNetUse(data::cPathStart() + "Empresa", exclusive));
      EXPECT_TRUE(Blocked(1));
    } else {
      EXPECT_FALSE(Blocked(1));
    }
  }
}

}  // namespace
}  // namespace app
