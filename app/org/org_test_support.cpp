#include "app/org/org_test_support.h"

#include <chrono>
#include <filesystem>

#include "app/org/org_table.h"
#include "runtime/codepage.h"

namespace app::testing {

void OrgTest::SetUp() {
  xb::InitRuntime();
  xb::ResetSets();
  xb::ReleaseAllMemvars();
  xb::SetErrorBlock(xb::Value());
  xb::rdd::InitTables();
  xb::rdd::ResetTables();
  xb::SetValue(xb::SET_CODEPAGE, xb::Value::String("ESWIN"));
  xb::SetValue(xb::SET_DELETED, xb::Value::Logical(true));
  xb::SetValue(xb::SET_EXCLUSIVE, xb::Value::Logical(true));
  xb::SetValue(xb::SET_DATEFORMAT, xb::Value::String("dd-mm-yyyy"));
  xb::SetValue(xb::SET_EPOCH, xb::Value::Integer(1920));
  memory_ = std::make_unique<xb::rdd::MemoryFileSystem>();
  areas().set_file_system(memory_.get());
}

void OrgTest::TearDown() {
  xb::rdd::ResetTables();
  areas().set_file_system(nullptr);
  memory_.reset();
  xb::ResetSets();
}

xb::rdd::WorkArea& OrgTest::CreateAndOpen(const TableSchema& schema, const std::string& folder) {
  if (!folder.empty()) memory_->MakeFolder(folder);
  const std::string path = folder + std::string(schema.table) + ".dbf";
  const xb::rdd::Status created =
      xb::rdd::DbfTable::Create(*memory_, path, Structure(schema), xb::rdd::dbf::MemoKind::kFpt);
  EXPECT_TRUE(created.ok()) << created.message();
  const int number = areas().FirstFreeArea();
  xb::rdd::WorkArea& area = *areas().Area(number);
  xb::rdd::WorkArea::OpenRequest request;
  request.path = path;
  request.alias = xb::Upper(xb::CodePageEn(), schema.table);
  request.driver = xb::rdd::FindDriver("ADS");
  EXPECT_TRUE(area.Open(*memory_, request));
  return area;
}

void WriteTable(const std::string& folder, std::string_view table, const std::vector<Rec>& records) {
  const TableSchema* schema = FindSchema(table);
  ASSERT_NE(schema, nullptr) << table;
  xb::rdd::FileSystem& fs = xb::rdd::WorkAreas::Get().file_system();
  const std::string path = folder + std::string(table) + ".dbf";
  ASSERT_TRUE(xb::rdd::DbfTable::Create(fs, path, Structure(*schema), xb::rdd::dbf::MemoKind::kFpt).ok());
  OrgTable t;
  TableFailure failure;
  ASSERT_TRUE(t.Open(folder, table, &failure)) << failure.description;
  for (const Rec& rec : records) {
    ASSERT_TRUE(t.area().Append());
    for (const auto& [name, value] : rec) {
      if (name == "*") {
        if (value.AsLogical()) t.area().Delete();
        continue;
      }
      const int pos = t.Field(name);
      ASSERT_GT(pos, 0) << table << "." << name;
      ASSERT_TRUE(t.area().PutField(pos, value)) << table << "." << name;
    }
  }
  t.Close();
}

xb::Value ReadField(const std::string& folder, std::string_view table, std::uint32_t record, std::string_view field) {
  OrgTable t;
  TableFailure failure;
  if (!t.Open(folder, table, &failure)) return xb::Value();
  t.area().GoTo(record);
  return t.area().GetField(t.Field(field));
}

std::vector<Rec> LiveRecords(const std::string& folder, std::string_view table, const std::vector<std::string>& fields) {
  std::vector<Rec> out;
  OrgTable t;
  TableFailure failure;
  if (!t.Open(folder, table, &failure)) return out;
  const std::uint32_t count = t.RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    if (!t.GoToLive(r)) continue;
    Rec rec;
    for (const std::string& f : fields) rec.emplace_back(f, t.area().GetField(t.Field(f)));
    out.push_back(std::move(rec));
  }
  return out;
}

TempFolder::TempFolder() {
  namespace fs = std::filesystem;
  static int counter = 0;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path p = fs::temp_directory_path() / ("vdr_org_" + std::to_string(stamp) + "_" + std::to_string(++counter));
  fs::create_directories(p);
  path_ = (p / "").string();
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

SelectScope::SelectScope(int area) : previous_(xb::rdd::WorkAreas::Get().SelectArea(area)) {}
SelectScope::~SelectScope() { xb::rdd::WorkAreas::Get().SelectArea(previous_); }

}  // namespace app::testing
