// Stand-in for Excel's automation: the application and its active sheet with query tables
// and pivot tables.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "contenda/com_ptr.h"
#include "contenda/tests/automation_standin.h"

namespace contenda::standins {

// One Excel instance. Objects are named in the journal "Excel", "Excel.Worksheet",
// "Excel.Chart", "Excel.QueryTables", "Excel.QueryTable<n>", "Excel.PivotTable<n>" and
// "Excel.PivotCache<n>", counting from 1.
class ExcelStandin {
 public:
  enum class Sheet { kNone, kWorksheet, kChart };

  ExcelStandin();
  ExcelStandin(const ExcelStandin&) = delete;
  ExcelStandin& operator=(const ExcelStandin&) = delete;

  IDispatch* application() const { return app_.Get(); }
  void SetActiveSheet(Sheet sheet) { active_ = sheet; }
  void AddQueryTable(const std::wstring& connection);
  void AddPivotTable(const std::wstring& connection);
  const std::wstring& query_table_connection(size_t index) const;  // from 1
  const std::wstring& pivot_cache_connection(size_t index) const;  // from 1

  bool quit() const { return quit_; }
  bool AllReleased() const;

 private:
  struct Connected {
    ComPtr<AutomationStandin> object;
    ComPtr<AutomationStandin> cache;  // pivot tables only
    std::wstring connection;
  };
  ComPtr<AutomationStandin> app_;
  ComPtr<AutomationStandin> worksheet_;
  ComPtr<AutomationStandin> chart_;
  ComPtr<AutomationStandin> query_tables_;
  std::vector<std::unique_ptr<Connected>> tables_;
  std::vector<std::unique_ptr<Connected>> pivots_;
  Sheet active_ = Sheet::kWorksheet;
  bool quit_ = false;
};

}  // namespace contenda::standins
