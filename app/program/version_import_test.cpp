// The version file into the version table: the values of the file (or their defaults) cut to
// the fields, the compatibility always the program's own, one record however many times it
// is imported, and the file kept while the table is busy.
#include "app/program/version_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/org/org_environment.h"
#include "app/org/org_test_support.h"
#include "app/org/table_schemas.h"
#include "data/data_test_support.h"
#include "data/data_ui.h"
#include "data/table_access.h"
#include "runtime/rdd/workareas.h"
#include "runtime/test_env.h"

namespace app {
namespace {

namespace fs = std::filesystem;

class VersionImportTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitOrganisationEnvironment();
    xb::rdd::ResetTables();
    fs::create_directories(Program());
    fs::create_directories(Start());
    CreateVersionTable();
  }
  void TearDown() override {
    xb::rdd::ResetTables();
    RuntimeTest::TearDown();
  }

  std::string Program() const { return folder.path() + "VDR\\"; }
  std::string Start() const { return folder.path() + "DBF\\"; }

  void CreateVersionTable() {
    testing::WriteTable(Start(), kVersionTable, {});
  }
  void WriteIni(const std::string& text) {
    std::ofstream ini(Program() + std::string(kVersionIni));
    ini << text;
  }
  // The version table's records, each field trimmed, the date as yyyymmdd.
  std::vector<std::vector<std::string>> Records() {
    std::vector<std::vector<std::string>> out;
    for (const testing::Rec& r : testing::LiveRecords(
             Start(), kVersionTable, {"PRODUCTO", "VERSION", "FECHA", "DRIVER", "EMPRESA", "USUARIO", "COMPATIBLE"})) {
      std::vector<std::string> fields;
      for (const auto& [name, value] : r) {
        if (value.IsDate()) {
          fields.push_back(value.AsDate().Dtos());
        } else {
          std::string text(value.AsString());
          while (!text.empty() && text.back() == ' ') text.pop_back();
          fields.push_back(text);
        }
      }
      out.push_back(fields);
    }
    return out;
  }

  testing::TempFolder folder;
};

TEST_F(VersionImportTest, TheFileBecomesTheOneRecordAndIsErased) {
  struct Case {
    const char* ini;
    std::vector<std::string> record;
  };
  const Case cases[] = {
      {"[Producto]\nNombre=Vendaro, organización de ficheros de empresas\nVersion=2026.1\nFecha=15-03-2024\n"
       "Driver=CDX\nCompatible=1999/9\n[Usuario]\nEmpresa=Tienda de prueba\nUsuario=Ana\n",
       {"Vendaro, organización de", "2026.1", "20240315", "CDX", "Tienda de prueba", "Ana", "2003/1"}},
      // Nothing in the file: the defaults.
      {"", {"QZ Vendaro E Ombrisa", "2003", "20030601", "ADS", "", "", "2003/1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    // Imported twice in a row: still one record, the last file's.
    for (int time = 0; time < 2; ++time) {
      WriteIni(c.ini);
      EXPECT_EQ(ImportVersionFile(Program(), Start()), VersionImport::kImported);
      EXPECT_FALSE(fs::exists(Program() + std::string(kVersionIni)));
    }
    EXPECT_EQ(Records(), std::vector<std::vector<std::string>>{c.record});
  }
}

TEST_F(VersionImportTest, WithoutAFileNothingChanges) {
  WriteIni("[Producto]\nVersion=7\n");
  ASSERT_EQ(ImportVersionFile(Program(), Start()), VersionImport::kImported);
  EXPECT_EQ(ImportVersionFile(Program(), Start()), VersionImport::kNoFile);
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(Records()[0][1], "7");
}

// Another user holds the table: the file stays for the next start, the table as it was,
// and no message (the start goes on).
TEST_F(VersionImportTest, ABusyTableLeavesTheFileForTheNextRun) {
  WriteIni("[Producto]\nVersion=7\n");
  ASSERT_EQ(ImportVersionFile(Program(), Start()), VersionImport::kImported);
  WriteIni("[Producto]\nVersion=8\n");
  data::testing::RecordingUi ui;
  data::DataUi* previous = data::SetDataUi(&ui);
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  exclusive.alias = "Ocupada";
  ASSERT_TRUE(data::lNetUse(Start() + std::string(kVersionTable), exclusive));
  const int holder = xb::rdd::WorkAreas::Get().CurrentArea();
  EXPECT_EQ(ImportVersionFile(Program(), Start()), VersionImport::kTableBusy);
  EXPECT_EQ(xb::rdd::WorkAreas::Get().CurrentArea(), holder);
  EXPECT_TRUE(ui.messages.empty());
  xb::rdd::WorkAreas::Get().Current().Close();
  data::SetDataUi(previous);
  EXPECT_TRUE(fs::exists(Program() + std::string(kVersionIni)));
  EXPECT_EQ(Records()[0][1], "7");
}

}  // namespace
}  // namespace app
