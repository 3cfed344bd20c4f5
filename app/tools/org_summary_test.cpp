// The report of what an organisation did, read back from a demo company's files.
#include "app/tools/org_summary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/org/index_catalogue.h"
#include "app/org/org_table.h"
#include "app/org/org_test_support.h"
#include "app/org/organise.h"
#include "app/tools/demo_data.h"

namespace app {
namespace {

std::string Sep() { return std::string(1, static_cast<char>(std::filesystem::path::preferred_separator)); }

class OrgSummary : public testing::OrgTest {
 protected:
  void SetUp() override {
    OrgTest::SetUp();
    areas().set_file_system(nullptr);  // real files
    options.records = 1500;
    options.small_records = 100;
    folders = {tree.path() + "DBF01" + Sep(), tree.path() + "DBF" + Sep()};
    std::filesystem::create_directories(folders.company);
    std::filesystem::create_directories(folders.start);
    const auto companies = DemoCompanies(options);
    std::string error;
    ASSERT_TRUE(WriteDemoStart(folders.start, companies, options, nullptr, &error)) << error;
    ASSERT_TRUE(WriteDemoCompany(folders.company, companies[0], options, nullptr, &error)) << error;
  }
  void Organise() {
    data::CompanySettings company;
    ASSERT_TRUE(LoadCompanySettings(folders.company, &company, events));
    OrganiseOptions all;
    all.risk = true;
    OrganiseCompany(folders, all, &company, options.today, events);
    ASSERT_TRUE(events.failures.empty());
  }
  // Runs `change` on a table of the company opened exclusively.
  void Change(std::string_view table, const std::function<void(OrgTable&)>& change) {
    OrgTable t;
    TableFailure failure;
    ASSERT_TRUE(t.Open(folders.company, table, &failure)) << table;
    change(t);
  }
  static std::uint64_t Live(const CompanyState& s) {
    std::uint64_t n = 0;
    for (const TableState& t : s.tables) n += t.records - t.deleted;
    return n;
  }

  testing::TempFolder tree;
  DemoOptions options;
  Folders folders;
  testing::RecordedEvents events;
};

TEST_F(OrgSummary, ReadsTheOrganisationBackFromTheFiles) {
  const CompanyState read = ReadCompanyState(tree.path(), "01");
  EXPECT_TRUE(read.listed);
  EXPECT_FALSE(read.blocked);
  ASSERT_EQ(read.tables.size(), CatalogueTables().size());
  std::uint32_t deleted = 0;
  for (const TableState& t : read.tables) {
    EXPECT_TRUE(t.failure.empty()) << t.table;
    deleted += t.deleted;
  }
  EXPECT_GT(deleted, 0u);
  // Kept as text and read again: what the comparison needs survives.
  CompanyState before;
  ASSERT_TRUE(ParseStateText(StateText(read), &before));
  EXPECT_EQ(StateText(before), StateText(read));
  CompanyState wrong;
  EXPECT_FALSE(ParseStateText("empresa 01 1 0\ntabla Zonas 0 1 5 9\n", &wrong));  // more deleted than records
  EXPECT_FALSE(ParseStateText("tabla Zonas 0 1 5 1\n", &wrong));                  // no company line
  EXPECT_FALSE(OrganisationComplete(before, read));                                 // not packed yet

  Organise();
  const CompanyState after = ReadCompanyState(tree.path(), "01", before.taken);
  EXPECT_TRUE(OrganisationComplete(before, after));
  EXPECT_GT(after.first_write, before.taken);  // the files the organisation wrote
  EXPECT_GE(after.last_write, after.first_write);
  EXPECT_LT(after.last_write, after.taken + 1);
  EXPECT_EQ(Live(after) - after.graph_rows, Live(before) - before.graph_rows);
  const std::string report = OrganisationSummary(before, after, 12.345);
  const std::size_t tags = [] {
    std::size_t n = 0;
    for (const CatalogueRow& row : IndexCatalogue()) n += !row.after_statistics;
    return n;
  }();
  const std::string tables = std::to_string(CatalogueTables().size());
  for (const std::string& expected :
       {"Tablas compactadas:      " + tables + " de " + tables, "Etiquetas creadas:       " + std::to_string(tags) + " de " + std::to_string(tags),
        std::string("La empresa 01 ha quedado libre."), std::string("Tiempo de Vdr.exe, de principio a fin: 12,3 s"),
        std::string("Articulo NPENDREC, pendiente de recibir"), std::string("FacCliL   DBF01")})
    EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
  EXPECT_EQ(report.find("Problemas"), std::string::npos) << report;
  // The recomputed sums are read: the demo company has pending orders and risk.
  ASSERT_EQ(after.sums.size(), 6u);
  EXPECT_GT(after.sums[1].sum, 0);
  EXPECT_GT(after.sums[4].sum, 0);
  EXPECT_GT(after.graph_rows, 0u);
}

// What the report must not pass over: each fault, made on an organised company, is named.
TEST_F(OrgSummary, NamesWhatTheOrganisationLeftUndone) {
  const CompanyState before = ReadCompanyState(tree.path(), "01");
  Organise();
  struct Case {
    const char* what;
    std::function<void()> make, undo;
    std::string expected;
  };
  auto set_blocked = [&](bool blocked) {
    OrgTable e;
    TableFailure failure;
    ASSERT_TRUE(e.Open(folders.start, "Empresa", &failure));
    for (std::uint32_t r = 1; r <= e.RecordCount(); ++r)
      if (e.GoToLive(r) && TrimRight(e.Text(e.Field("CODEMP"))) == "01") e.PutLog(e.Field("LACTIVA"), blocked);
  };
  const std::vector<Case> cases = {
      {"a record left deleted",
       [&] { Change("Zonas", [](OrgTable& t) { t.area().GoTo(1); ASSERT_TRUE(t.area().Delete()); }); },
       [&] { Change("Zonas", [](OrgTable& t) { t.area().GoTo(1); ASSERT_TRUE(t.area().Recall()); }); },
       "Zonas: no se ha compactado"},
      {"a record lost",
       [&] { for (const char* f : {"Rappels.dbf", "Rappels.cdx"})
               std::filesystem::copy_file(folders.company + f, tree.path() + f);
             Change("Rappels", [](OrgTable& t) { t.area().GoTo(1); ASSERT_TRUE(t.area().Delete()); ASSERT_TRUE(t.area().Pack()); }); },
       [&] { for (const char* f : {"Rappels.dbf", "Rappels.cdx"})
               std::filesystem::rename(tree.path() + f, folders.company + f); },
       "Rappels: ha perdido o ganado registros"},
      {"the company left blocked", [&] { set_blocked(true); }, [&] { set_blocked(false); },
       "La empresa 01 ha quedado BLOQUEADA."},
      {"a table gone",
       [&] { std::filesystem::rename(folders.company + "Kits.dbf", tree.path() + "Kits.dbf"); },
       [&] { std::filesystem::rename(tree.path() + "Kits.dbf", folders.company + "Kits.dbf"); },
       "Kits: no se abre"},
      {"an index gone",
       [&] { std::filesystem::rename(folders.company + "Ivas.cdx", tree.path() + "Ivas.cdx"); },
       [&] { std::filesystem::rename(tree.path() + "Ivas.cdx", folders.company + "Ivas.cdx"); },
       "Ivas: etiquetas que no son las del catálogo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    const CompanyState after = ReadCompanyState(tree.path(), "01");
    EXPECT_FALSE(OrganisationComplete(before, after));
    const std::string report = OrganisationSummary(before, after, 1);
    EXPECT_NE(report.find(c.expected), std::string::npos) << report;
    c.undo();
    EXPECT_TRUE(OrganisationComplete(before, ReadCompanyState(tree.path(), "01"))) << "undone";
  }
}

}  // namespace
}  // namespace app
