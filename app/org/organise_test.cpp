// The demo tree and one company's organisation end to end, on real files.
#include "app/org/organise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "app/org/index_catalogue.h"
#include "app/org/org_table.h"
#include "app/org/org_test_support.h"
#include "app/tools/demo_data.h"
#include "runtime/rdd/dbf_format.h"

namespace app {
namespace {

class Organise : public testing::OrgTest {
 protected:
  void SetUp() override {
    OrgTest::SetUp();
    areas().set_file_system(nullptr);  // real files
    options.records = 2000;
    options.small_records = 200;
    // The start folder and the first company; the whole tree where a test wants it.
    folders = {tree.path() + "DBF01" + Sep(), tree.path() + "DBF" + Sep()};
    std::filesystem::create_directories(folders.company);
    std::filesystem::create_directories(folders.start);
    const auto companies = DemoCompanies(options);
    std::string error;
    ASSERT_TRUE(WriteDemoStart(folders.start, companies, options, &summary, &error)) << error;
    ASSERT_TRUE(WriteDemoCompany(folders.company, companies[0], options, &summary, &error)) << error;
  }
  static std::string Sep() { return std::string(1, static_cast<char>(std::filesystem::path::preferred_separator)); }

  std::uint32_t DeletedIn(const std::string& folder, std::string_view table) {
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return 0;
    std::uint32_t deleted = 0;
    const std::uint32_t count = t.RecordCount();
    for (std::uint32_t r = 1; r <= count; ++r) {
      t.area().GoTo(r);
      if (t.area().Deleted()) ++deleted;
    }
    return deleted;
  }
  // The records of a table, then the keys each of its tags holds.
  std::vector<std::uint32_t> Counts(const std::string& folder, std::string_view table) {
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return {};
    std::vector<std::uint32_t> out = {t.RecordCount()};
    for (int i = 1; i <= t.area().OrderCount(); ++i) {
      std::uint32_t keys = 0;
      EXPECT_TRUE(t.area().OrderAt(i)->KeyCount(keys).ok()) << table;
      out.push_back(keys);
    }
    return out;
  }
  std::vector<std::string> Tags(const std::string& folder, std::string_view table) {
    std::vector<std::string> out;
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return {"(no abre)"};
    for (int i = 1; i <= t.area().OrderCount(); ++i)
      out.push_back(t.area().OrderAt(i)->Info().name + "=" + t.area().OrderAt(i)->Info().key);
    return out;
  }
  std::vector<std::string> CatalogueTags(std::string_view table) {
    std::vector<std::string> out;
    for (const CatalogueRow& row : RowsOfTable(table))
      if (!row.after_statistics) out.push_back(UpperText(row.tag) + "=" + std::string(row.key));
    return out;
  }
  std::vector<double> Accumulators() {
    std::vector<double> out;
    for (const auto& rec : testing::LiveRecords(folders.company, "Articulo", {"NPENDREC", "NPENDSER", "NENTACU", "NSALACU"}))
      for (const auto& [name, value] : rec) out.push_back(value.AsDouble());
    return out;
  }

  testing::TempFolder tree;
  DemoOptions options;
  DemoSummary summary;
  Folders folders;
  testing::RecordedEvents events;
};

TEST_F(Organise, TheDemoTree) {
  namespace fs = std::filesystem;
  std::string error;
  ASSERT_TRUE(WriteDemoTree(tree.path(), options, &summary, &error)) << error;
  for (const char* folder : {"DBF", "DBF01", "DBF02", "DBF03", "DBF04", "VDR", "TMP", "INF"})
    EXPECT_TRUE(fs::is_directory(fs::path(tree.path()) / folder)) << folder;
  const auto companies = testing::LiveRecords(folders.start, "Empresa", {"CODEMP", "LACTIVA", "USO"});
  ASSERT_EQ(companies.size(), 4u);
  int blocked = 0, busy = 0;
  for (const auto& c : companies) {
    blocked += c[1].second.AsLogical();
    busy += c[2].second.AsInt() > 0;
  }
  EXPECT_EQ(blocked, 1);
  EXPECT_EQ(busy, 1);
  EXPECT_EQ(Tags(folders.start, "Empresa"), (std::vector<std::string>{"CODEMP=CODEMP", "NOME=Upper(cNombre ) + cNif"}));
  EXPECT_GT(summary.deleted, 0u);
  EXPECT_GT(DeletedIn(folders.company, "FacCliL"), 0u);
  for (const TableSchema& s : Schemas()) {
    const std::string& folder = s.folder == CatalogueFolder::kStart ? folders.start : folders.company;
    EXPECT_TRUE(fs::exists(folder + std::string(s.table) + ".dbf")) << s.table;
  }
  // Memo tables in the format of the reference files: FPT memo, structural index flag.
  std::ifstream file(folders.company + "Clientes.dbf", std::ios::binary);
  const std::string head(std::istreambuf_iterator<char>(file), {});
  ASSERT_GT(head.size(), 32u);
  EXPECT_EQ(static_cast<unsigned char>(head[0]), 0xF5);
  EXPECT_EQ(head[28], 1);
  EXPECT_TRUE(fs::exists(folders.company + "Clientes.fpt"));
}

TEST_F(Organise, TheSameOptionsWriteTheSameTables) {
  testing::TempFolder again;
  DemoSummary second;
  std::string error;
  ASSERT_TRUE(WriteDemoCompany(again.path(), DemoCompanies(options)[0], options, &second, &error)) << error;
  for (const char* table : {"Clientes.dbf", "FacCliL.dbf", "Articulo.fpt", "Recibos.cdx"}) {
    std::ifstream a(folders.company + table, std::ios::binary), b(again.path() + table, std::ios::binary);
    const std::string x(std::istreambuf_iterator<char>(a), {}), y(std::istreambuf_iterator<char>(b), {});
    EXPECT_FALSE(x.empty());
    EXPECT_TRUE(x == y) << table;
  }
}

TEST_F(Organise, EveryTablePackedEveryTagInOrderEveryRecomputation) {
  data::CompanySettings company;
  ASSERT_TRUE(LoadCompanySettings(folders.company, &company, events));
  EXPECT_TRUE(company.statistics);
  EXPECT_EQ(company.currencies.size(), 5u);
  // The live records of every table, which the packed table and each of its tags must hold
  // (the unique tags of supplier prices may hold fewer keys).
  std::map<std::string_view, std::uint32_t> live;
  for (const CatalogueTable& t : CatalogueTables()) {
    const std::string& folder = t.folder == CatalogueFolder::kStart ? folders.start : folders.company;
    const std::uint32_t deleted = DeletedIn(folder, t.table);
    OrgTable table;
    TableFailure failure;
    ASSERT_TRUE(table.Open(folder, t.table, &failure)) << t.table;
    live[t.table] = table.RecordCount() - deleted;
  }
  OrganiseOptions all;
  all.risk = true;
  const OrganiseResult result = OrganiseCompany(folders, all, &company, options.today, events);
  EXPECT_TRUE(events.failures.empty()) << events.failures[0].path << " " << events.failures[0].description;
  EXPECT_FALSE(result.table_failed);
  EXPECT_TRUE(result.stock);
  EXPECT_TRUE(result.statistics);
  EXPECT_TRUE(result.risk);
  for (const CatalogueTable& t : CatalogueTables()) {
    const std::string& folder = t.folder == CatalogueFolder::kStart ? folders.start : folders.company;
    EXPECT_EQ(Tags(folder, t.table), CatalogueTags(t.table)) << t.table;
    EXPECT_EQ(DeletedIn(folder, t.table), 0u) << t.table;
    if (t.table == "Graph") continue;  // rebuilt by the statistics
    const std::vector<std::uint32_t> counts = Counts(folder, t.table);
    const std::vector<CatalogueRow> rows = RowsOfTable(t.table);
    ASSERT_EQ(counts.size(), rows.size() + 1) << t.table;
    EXPECT_GT(live[t.table], 0u) << t.table;
    EXPECT_EQ(counts[0], live[t.table]) << t.table;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].unique) {
        EXPECT_GT(counts[i + 1], 0u) << t.table << " " << rows[i].tag;
        EXPECT_LE(counts[i + 1], live[t.table]) << t.table << " " << rows[i].tag;
      } else {
        EXPECT_EQ(counts[i + 1], live[t.table]) << t.table << " " << rows[i].tag;
      }
    }
  }
  EXPECT_EQ(Tags(folders.start, "Macros"), (std::vector<std::string>{"NOMBRE=Upper(Nombre)"}));
  const auto totals = testing::LiveRecords(folders.company, "Graph", {"CCOD"});
  ASSERT_GE(totals.size(), 2u);
  EXPECT_EQ(totals[totals.size() - 2][0].second.AsString(), "AAAAAA");
  EXPECT_EQ(totals.back()[0].second.AsString(), "BBBBBB");
  EXPECT_NE(std::find(events.titles.begin(), events.titles.end(), "DIVISAS"), events.titles.end());
  EXPECT_EQ(events.meters.back(), (std::pair<int, int>{kRiskReceiptsMeter, 100}));
}

// An option left out leaves its part alone: the tables only it organises keep their deleted
// records; without option 4 no accumulator and no statistic changes, without option 5 no risk.
TEST_F(Organise, AnOptionLeftOutLeavesItsPartAlone) {
  struct Case {
    const char* name;
    int option;
    bool OrganiseOptions::*flag;
  };
  const Case cases[] = {{"auxiliares", 1, &OrganiseOptions::auxiliary},
                        {"maestros", 2, &OrganiseOptions::masters},
                        {"documentos", 3, &OrganiseOptions::documents},
                        {"acumulados", 4, &OrganiseOptions::accumulators},
                        {"riesgo", 5, &OrganiseOptions::risk}};
  auto risk = [&] {
    std::vector<double> out;
    for (const auto& rec : testing::LiveRecords(folders.company, "Clientes", {"NRIESGOALC", "NMOROSOS"}))
      for (const auto& [name, value] : rec) out.push_back(value.AsDouble());
    return out;
  };
  auto graph = [&] {
    std::vector<double> out;
    for (const auto& rec : testing::LiveRecords(folders.company, "Graph", {"VALOR1", "VALOR1AA", "VALOR12"}))
      for (const auto& [name, value] : rec) out.push_back(value.AsDouble());
    return out;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    ASSERT_TRUE(WriteDemoCompany(folders.company, DemoCompanies(options)[0], options, &summary, &error)) << error;
    // The tables that only the option left out organises, with their deleted records.
    std::map<std::string_view, std::uint32_t> alone;
    for (const CatalogueTable& t : CatalogueTables()) {
      if (t.folder == CatalogueFolder::kStart) continue;
      const std::vector<CatalogueRow> rows = RowsOfTable(t.table);
      if (std::all_of(rows.begin(), rows.end(), [&](const CatalogueRow& r) { return r.option == c.option; }))
        alone[t.table] = DeletedIn(folders.company, t.table);
    }
    const std::vector<double> accumulators = Accumulators(), risks = risk(), statistics = graph();
    data::CompanySettings company;
    ASSERT_TRUE(LoadCompanySettings(folders.company, &company, events));
    OrganiseOptions all;
    all.risk = true;
    all.*c.flag = false;
    const OrganiseResult result = OrganiseCompany(folders, all, &company, options.today, events);
    EXPECT_FALSE(result.table_failed);
    EXPECT_EQ(result.stock, c.option != 4);
    EXPECT_EQ(result.risk, c.option != 5);
    if (c.option <= 4) {
      EXPECT_FALSE(alone.empty());
    }
    std::uint32_t deleted = 0;
    for (const auto& [table, before] : alone) {
      EXPECT_EQ(DeletedIn(folders.company, table), before) << table;
      deleted += before;
    }
    if (c.option <= 3) {
      EXPECT_GT(deleted, 0u);
    }
    EXPECT_EQ(DeletedIn(folders.company, "FacCliL"), 0u + (c.option == 3 ? alone["FacCliL"] : 0u));
    EXPECT_EQ(Accumulators() == accumulators, c.option == 4);
    EXPECT_EQ(graph() == statistics, c.option == 4);
    EXPECT_EQ(risk() == risks, c.option == 5);
  }
}

// A catalogue table that is missing: reported, its rows skipped, and no recomputation runs,
// so no accumulator changes.
TEST_F(Organise, AMissingTableStopsTheRecomputations) {
  std::filesystem::remove(folders.company + "Rappels.dbf");
  const std::vector<double> before = Accumulators();
  data::CompanySettings company;
  ASSERT_TRUE(LoadCompanySettings(folders.company, &company, events));
  OrganiseOptions all;
  all.risk = true;
  const OrganiseResult result = OrganiseCompany(folders, all, &company, options.today, events);
  EXPECT_TRUE(result.table_failed);
  EXPECT_FALSE(result.stock || result.statistics || result.risk);
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0].table, "Rappels");
  EXPECT_EQ(events.skipped.size(), 2u);
  EXPECT_EQ(Accumulators(), before);
  EXPECT_EQ(Tags(folders.company, "Zonas"), CatalogueTags("Zonas"));  // the other tables were organised
}

// Damaged files are mended and told: records the header counts but the file lacks, memo
// pointers past the end of a memo file cut short (cleared, so every memo then reads).
TEST_F(Organise, DamageIsMendedAndTold) {
  namespace fs = std::filesystem;
  const std::string dbf = folders.company + "Clientes.dbf", fpt = folders.company + "Clientes.fpt";
  std::uint32_t stated = 0;
  {
    // The table cut after 60% of its records, the memo file after half of its bytes.
    xb::rdd::dbf::Header header;
    std::ifstream in(dbf, std::ios::binary);
    std::string head(32, '\0');
    in.read(head.data(), 32);
    ASSERT_TRUE(xb::rdd::dbf::DecodeHeader(head, &header).ok());
    stated = header.record_count;
    fs::resize_file(dbf, header.header_length + static_cast<std::uint64_t>(stated) * 6 / 10 * header.record_length);
    fs::resize_file(fpt, fs::file_size(fpt) / 2);
  }
  data::CompanySettings company;
  ASSERT_TRUE(LoadCompanySettings(folders.company, &company, events));
  OrganiseCompany(folders, OrganiseOptions{}, &company, options.today, events);
  EXPECT_TRUE(events.failures.empty());
  const std::string sep = Sep();
  const std::uint32_t kept = stated * 6 / 10;
  ASSERT_EQ(events.notes.size(), 2u) << ::testing::PrintToString(events.notes);
  EXPECT_EQ(events.notes[0], "DBF01" + sep + "Clientes.dbf: faltan " + std::to_string(stated - kept) + " de sus " +
                                 std::to_string(stated) + " registros");
  EXPECT_NE(events.notes[1].find("DBF01" + sep + "Clientes.fpt: "), std::string::npos) << events.notes[1];
  EXPECT_NE(events.notes[1].find(" memos fuera del fichero, borrados"), std::string::npos) << events.notes[1];

  OrgTable t;
  TableFailure failure;
  ASSERT_TRUE(t.Open(folders.company, "Clientes", &failure));
  const int memo = t.Field("MOBSERV");
  for (std::uint32_t r = 1; r <= t.RecordCount(); ++r) {
    t.area().GoTo(r);
    std::string text;
    ASSERT_TRUE(t.area().table().GetMemo(memo - 1, &text).ok()) << r;
  }
}

TEST_F(Organise, SettingsAreReadWhateverTheirIndexes) {
  for (const char* index : {"Claves.cdx", "Divisas.cdx"}) {
    std::ofstream damaged(folders.company + index, std::ios::binary | std::ios::trunc);
    damaged << std::string(600, '\x5A');
  }
  data::CompanySettings company;
  ASSERT_TRUE(LoadCompanySettings(folders.company, &company, events));
  EXPECT_EQ(company.currency, "EUR");
  EXPECT_EQ(company.result_decimals, 2);
  EXPECT_TRUE(company.statistics);
  ASSERT_NE(company.Find("PTS"), nullptr);
  EXPECT_DOUBLE_EQ(company.Find("PTS")->rate, 166.386);
}

// Settings that cannot be read: reported; the tables are organised, nothing is recomputed.
TEST_F(Organise, SettingsThatCannotBeReadAreReported) {
  std::filesystem::remove(folders.company + "Claves.dbf");
  data::CompanySettings company;
  EXPECT_FALSE(LoadCompanySettings(folders.company, &company, events));
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0].os_code, 2);
  const std::vector<double> before = Accumulators();
  OrganiseOptions all;
  all.risk = true;
  const OrganiseResult result = OrganiseCompany(folders, all, nullptr, options.today, events);
  EXPECT_FALSE(result.table_failed);
  EXPECT_FALSE(result.stock || result.statistics || result.risk);
  EXPECT_EQ(events.skipped, (std::vector<std::string>{"ACTUALIZANDO PENDIENTES", "RIESGO DE CLIENTES"}));
  EXPECT_EQ(Accumulators(), before);
  EXPECT_EQ(Tags(folders.company, "Articulo"), CatalogueTags("Articulo"));
}

}  // namespace
}  // namespace app
