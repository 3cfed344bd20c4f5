// What the organisation's tests share: the runtime and the table engine as the program sets
// them up (Spanish code page, deleted records hidden, exclusive use by default), tables in
// memory or in a temporary folder, and tables built from the demo structures.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/org/organiser_events.h"
#include "app/org/table_schemas.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"

namespace app::testing {

class OrgTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Tables live in memory unless a test asks for real files.
  xb::rdd::MemoryFileSystem& memory() { return *memory_; }
  xb::rdd::WorkAreas& areas() { return xb::rdd::WorkAreas::Get(); }

  // Creates a table of a demo structure in `folder` (memory) and opens it exclusively in a
  // new work area under its own name; returns the area.
  xb::rdd::WorkArea& CreateAndOpen(const TableSchema& schema, const std::string& folder = {});

 private:
  std::unique_ptr<xb::rdd::MemoryFileSystem> memory_;
};

// One record for WriteTable: field name = value, in any order; fields not named stay blank.
// The name "*" with .T. writes the record deleted.
using Rec = std::vector<std::pair<std::string, xb::Value>>;

// Writes a table of a demo structure into the work areas' file system with these records.
void WriteTable(const std::string& folder, std::string_view table, const std::vector<Rec>& records);

// A field of a record, read through a table opened for the purpose (and closed again).
xb::Value ReadField(const std::string& folder, std::string_view table, std::uint32_t record, std::string_view field);
// The live records of a table, each as field = value for the fields asked.
std::vector<Rec> LiveRecords(const std::string& folder, std::string_view table, const std::vector<std::string>& fields);

// Short names for values.
inline xb::Value S(std::string_view s) { return xb::Value::String(s); }
inline xb::Value N(double n) { return xb::Value::Number(n); }
inline xb::Value L(bool b) { return xb::Value::Logical(b); }
inline xb::Value D(int y, int m, int d) { return xb::Value::FromDate(xb::Date::FromYmd(y, m, d)); }

// Records what the organisation tells.
struct RecordedEvents : OrganiserEvents {
  std::vector<std::string> titles;
  std::vector<TableFailure> failures;
  std::vector<std::string> skipped;
  std::vector<std::string> notes;
  std::vector<std::pair<int, int>> meters;
  void Title(std::string_view t) override { titles.emplace_back(t); }
  void Meter(int meter, int value) override { meters.emplace_back(meter, value); }
  void TableFailed(const TableFailure& f) override { failures.push_back(f); }
  void Skipped(std::string_view what, std::string_view) override { skipped.emplace_back(what); }
  void Noted(std::string_view text) override { notes.emplace_back(text); }
};

// A fresh folder on disk, removed with what it holds; path() ends in the separator.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Selects an area for the lifetime of the scope.
class SelectScope {
 public:
  explicit SelectScope(int area);
  ~SelectScope();

 private:
  int previous_;
};

}  // namespace app::testing
