// The company table at start on a demo tree: the company folders counted, the index made
// again when missing, the first company's settings (and their failures), CREARDBF, and
// the demo tree's users and menu table.
#include "app/org/company_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/org/org_environment.h"
#include "app/org/org_test_support.h"
#include "app/tools/demo_data.h"
#include "app/tools/demo_users.h"
#include "data/currency.h"
#include "data/currency_functions.h"
#include "data/data_functions.h"
#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/driver.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing::L;
using testing::N;
using testing::S;
using xb::Value;

std::string Sep() { return std::string(1, static_cast<char>(fs::path::preferred_separator)); }

Value X(const std::string& text) { return xb::EvalMacro(text); }

class CompanyTable : public testing::OrgTest {
 protected:
  static void SetUpTestSuite() {
    // One tree for the suite; each test works on a copy.
    InitOrganisationEnvironment();
    tree_ = new testing::TempFolder;
    DemoOptions demo;
    demo.records = 60;
    demo.small_records = 30;
    std::string error;
    xb::rdd::WorkAreas::Get().set_file_system(nullptr);
    ASSERT_TRUE(WriteDemoTree(tree_->path() + "demo", demo, nullptr, &error)) << error;
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }
  void SetUp() override {
    OrgTest::SetUp();
    xb::rdd::SetDefaultDriver("ADS");
    data::RegisterDataFunctions();
    RegisterCompanyTableFunctions();
    areas().set_file_system(nullptr);
    previous_ui_ = data::SetDataUi(&ui);
    fs::copy(tree_->path() + "demo", root.path() + "demo", fs::copy_options::recursive);
    start = root.path() + "demo" + Sep() + "DBF" + Sep();
    data::cPathStart(start);
  }
  void TearDown() override {
    xb::rdd::WorkAreas::Get().CloseAll();
    data::SetDataUi(previous_ui_);
    data::ResetProgramSettings();
    data::ResetCurrentCompany();
    OrgTest::TearDown();
  }

  std::string Company(std::string_view code) const { return root.path() + "demo" + Sep() + "DBF" + std::string(code) + Sep(); }

  static testing::TempFolder* tree_;
  testing::TempFolder root;
  std::string start;
  data::testing::RecordingUi ui;
  data::DataUi* previous_ui_ = nullptr;
};
testing::TempFolder* CompanyTable::tree_ = nullptr;

TEST_F(CompanyTable, CountsTheStartFolderAndTheCompanyFolders) {
  const std::string pattern = root.path() + "demo" + Sep() + "DBF*.";
  EXPECT_EQ(nHayEmpresas(pattern), 5) << "DBF and DBF01 to DBF04";
  // A file with an extension does not match; the start folder alone counts 1.
  for (const char* code : {"01", "02", "03", "04"}) fs::remove_all(Company(code));
  std::ofstream(root.path() + "demo" + Sep() + "DBF05.OLD") << "x";
  EXPECT_EQ(nHayEmpresas(pattern), 1);
}

TEST_F(CompanyTable, OpensExclusivelyWithTheFirstCompanyAsTheCurrentOne) {
  ASSERT_EQ(OpenCompanyTable(start), CompanyTableOpen::kOpened);
  EXPECT_EQ(X("ALIAS()").AsString(), "EMPRESA");
  EXPECT_EQ(X("INDEXORD()").AsInt(), 1);
  EXPECT_EQ(X("ORDNAME(1)").AsString(), "CODEMP");
  EXPECT_EQ(data::cPathDbf(), Company("01"));
  const xb::Array record = data::aStEmpresa().AsArray();
  ASSERT_TRUE(record);
  EXPECT_EQ(record[0].AsString(), "01");
  // Its settings and the masks of its currencies.
  const data::CompanySettings& company = data::CurrentCompany();
  EXPECT_EQ(company.currency, "EUR");
  EXPECT_EQ(company.result_integers, 9);
  EXPECT_EQ(company.result_decimals, 2);
  EXPECT_TRUE(company.statistics);
  ASSERT_EQ(company.currencies.size(), 5u);
  EXPECT_EQ(company.Find("PTS")->price_mask, "@E 999,999,999");
  EXPECT_EQ(X("CMASRES('')").AsString(), "@E 999,999,999.99");
  EXPECT_TRUE(ui.messages.empty());
  // Exclusive: another open fails with the message of a table in use.
  data::NetUseOptions shared;
  shared.alias = "Otra";
  shared.retries = 1;
  EXPECT_FALSE(data::lNetUse(start + "Empresa", shared));
}

TEST_F(CompanyTable, MakesTheMissingIndexAgainWithoutReadingACompany) {
  fs::remove(start + "Empresa.cdx");
  ASSERT_EQ(OpenCompanyTable(start), CompanyTableOpen::kIndexRebuilt);
  EXPECT_TRUE(fs::exists(start + "Empresa.cdx"));
  EXPECT_EQ(X("ORDNAME(1)").AsString(), "CODEMP");
  EXPECT_EQ(X("ORDNAME(2)").AsString(), "NOME");
  EXPECT_EQ(X("ORDKEY(2)").AsString(), "Upper(cNombre ) + cNif");
  EXPECT_EQ(X("INDEXORD()").AsInt(), 1);
  EXPECT_TRUE(X("DBSEEK('03')").AsLogical());
  X("ORDSETFOCUS(2)");
  EXPECT_TRUE(X("DBSEEK('FERRETER')").AsLogical());
  EXPECT_TRUE(data::cPathDbf().empty());
  EXPECT_TRUE(data::aStEmpresa().IsNil());
}

// The first company's `Claves` or `Divisas` that does not open stops the start after the
// table layer's message, which says whether the file is missing or in use; the company table
// stays open and selected, and nothing else is left open.
TEST_F(CompanyTable, AFirstCompanyWhoseSettingsDoNotOpenStopsTheStart) {
  struct Case {
    const char* table;
    bool held;  // by another user; else missing
    CompanyTableOpen result;
    const char* told;
  };
  const Case cases[] = {
      {"Claves", false, CompanyTableOpen::kSettingsMissing, "No se ha encontrado el fichero que se intentaba abrir :Claves.dbf."},
      {"Divisas", false, CompanyTableOpen::kSettingsMissing, "No se ha encontrado el fichero que se intentaba abrir :Divisas.dbf."},
      {"Claves", true, CompanyTableOpen::kSettingsInUse, "Es necesario tener acceso exclusivo al fichero Claves.dbf."},
      {"Divisas", true, CompanyTableOpen::kSettingsInUse, "Es necesario tener acceso exclusivo al fichero Divisas.dbf."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.table) + (c.held ? " en uso" : " sin fichero"));
    xb::rdd::WorkAreas::Get().CloseAll();
    fs::remove_all(root.path() + "demo");
    fs::copy(tree_->path() + "demo", root.path() + "demo", fs::copy_options::recursive);
    data::ResetCurrentCompany();
    ui.messages.clear();
    if (c.held) {
      data::NetUseOptions shared;
      shared.alias = "Tomada";
      ASSERT_TRUE(data::lNetUse(Company("01") + c.table, shared));
    } else {
      fs::remove(Company("01") + c.table + ".dbf");
    }
    EXPECT_EQ(OpenCompanyTable(start), c.result);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find(c.told), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(X("ALIAS()").AsString(), "EMPRESA") << "the company table stays selected";
    EXPECT_EQ(X("SELECT('Claves') + SELECT('Divisas')").AsInt(), 0) << "nothing left open";
  }
}

// A company table without companies has no first company whose settings to read.
TEST_F(CompanyTable, AnEmptyCompanyTableOpens) {
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  ASSERT_TRUE(data::lNetUse(start + "Empresa", exclusive));
  X("__DBZAP()");
  X("DBCLOSEAREA()");
  EXPECT_EQ(OpenCompanyTable(start), CompanyTableOpen::kOpened);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CompanyTable, AnotherUserHoldingTheTableFailsWithItsMessage) {
  data::NetUseOptions shared;
  shared.alias = "Tomada";
  ASSERT_TRUE(data::lNetUse(start + "Empresa", shared));
  EXPECT_EQ(OpenCompanyTable(start), CompanyTableOpen::kFailed);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_NE(ui.messages.back().text.find("acceso exclusivo"), std::string::npos) << ui.messages.back().text;
}

TEST_F(CompanyTable, CrearDbfReplacesTheTableAndErasesItsIndex) {
  const std::string file = root.path() + "OrgAll";
  const Value structure = X("{{'TEXTO','C',70,0}}");
  CrearDbf(file, structure);
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  ASSERT_TRUE(data::lNetUse(file, exclusive));
  X("DBAPPEND()");
  X("FIELDPUT(1, 'una línea')");
  X("ORDCREATE('', 'TEXTO', 'TEXTO')");
  X("DBCLOSEAREA()");
  ASSERT_TRUE(fs::exists(file + ".cdx"));

  X("CREARDBF('" + file + "', {{'TEXTO','C',70,0}})");
  EXPECT_FALSE(fs::exists(file + ".cdx"));
  ASSERT_TRUE(data::lNetUse(file, exclusive));
  EXPECT_EQ(X("LASTREC()").AsInt(), 0);
  EXPECT_EQ(X("FIELDLEN(1)").AsInt(), 70);
}

TEST_F(CompanyTable, TheDemoTreeHasItsUsersAndTheOrganisationOption) {
  const std::vector<testing::Rec> users = testing::LiveRecords(start, "Usuarios", {"CCODIGO", "CNOMBRE", "ACCESOS1"});
  ASSERT_EQ(users.size(), std::size(kDemoUsers));
  for (std::size_t i = 0; i < users.size(); ++i) {
    const DemoUser& u = kDemoUsers[i];
    EXPECT_EQ(users[i][0].second.AsString(), u.code);
    EXPECT_EQ(std::string(xb::AllTrim(users[i][1].second.AsString())), u.name);
    const std::string_view access = users[i][2].second.AsString();
    ASSERT_EQ(access.size(), 255u);
    EXPECT_EQ(access[kReIndexRecord - 1], u.organises ? '2' : '0') << u.name;
    EXPECT_EQ(access[0], '2');
  }
  EXPECT_EQ(testing::ReadField(start, "MenuVdrE", kReIndexRecord, "NAME").AsString().substr(0, 7), kReIndexOption);
  EXPECT_TRUE(testing::ReadField(start, "MenuVdrE", kReIndexRecord, "CONTROL").AsLogical());
  EXPECT_EQ(testing::LiveRecords(start, "GrpUser", {"CODIGO"}).size(), 1u);
  for (const char* index : {"Usuarios.cdx", "GrpUser.cdx"}) EXPECT_TRUE(fs::exists(start + index)) << index;

  // The scrambling: each of the nine bytes takes the next one, modulo 87, the tenth is given.
  const std::string blank = ScrambledPassword("", 0);
  ASSERT_EQ(blank.size(), 10u);
  EXPECT_EQ(static_cast<unsigned char>(blank[9]), 0);
  EXPECT_EQ(static_cast<unsigned char>(blank[8]), 32);
  EXPECT_EQ(static_cast<unsigned char>(blank[7]), 64);
  EXPECT_EQ(static_cast<unsigned char>(blank[6]), 96);
  EXPECT_EQ(static_cast<unsigned char>(blank[5]), 32 + 96 % 87);
}

}  // namespace
}  // namespace app
