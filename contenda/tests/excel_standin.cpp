#include "contenda/tests/excel_standin.h"

#include <memory>

#include "contenda/office_ids.h"

namespace contenda::standins {

namespace {

// A Connection property by DISPID: read, or replaced by the text put.
MemberHandler ConnectionMember(std::wstring& connection) {
  return [&connection](WORD flags, const Arguments& args, VARIANT* result) {
    if (flags & DISPATCH_PROPERTYPUT) {
      if (V_VT(args.back()) != VT_BSTR) return DISP_E_TYPEMISMATCH;
      connection = TextArg(*args.back());
    } else {
      SetText(result, connection);
    }
    return S_OK;
  };
}

}  // namespace

ExcelStandin::ExcelStandin()
    : app_(AutomationStandin::Create("Excel", {kIidExcelApplication})),
      worksheet_(AutomationStandin::Create("Excel.Worksheet", {kIidExcelWorksheet})),
      chart_(AutomationStandin::Create("Excel.Chart")),
      query_tables_(AutomationStandin::Create("Excel.QueryTables")) {
  app_->AddMember(L"ActiveSheet", 0x133, [this](WORD, const Arguments&, VARIANT* result) {
    IDispatch* sheet = active_ == Sheet::kWorksheet ? worksheet_.Get()
                       : active_ == Sheet::kChart   ? chart_.Get()
                                                    : nullptr;
    SetObject(result, sheet);
    return S_OK;
  });
  app_->AddMember(L"Quit", 0x12E, [this](WORD, const Arguments&, VARIANT*) {
    quit_ = true;
    return S_OK;
  });
  worksheet_->AddMember(L"QueryTables", 0x59A, [this](WORD, const Arguments&, VARIANT* result) {
    SetObject(result, query_tables_.Get());
    return S_OK;
  });
  worksheet_->AddMember(L"PivotTables", 0x2B2, [this](WORD, const Arguments& args, VARIANT* result) {
    LONG index = args.empty() ? 0 : IntArg(*args[0]);
    if (index < 1 || static_cast<size_t>(index) > pivots_.size()) return DISP_E_BADINDEX;
    SetObject(result, pivots_[static_cast<size_t>(index) - 1]->object.Get());
    return S_OK;
  });
  query_tables_->AddMember(L"Count", excel::kCount, [this](WORD, const Arguments&, VARIANT* result) {
    SetInt(result, static_cast<LONG>(tables_.size()));
    return S_OK;
  });
  query_tables_->AddMember(L"Item", excel::kItem, [this](WORD, const Arguments& args, VARIANT* result) {
    LONG index = args.empty() ? 0 : IntArg(*args[0]);
    if (index < 1 || static_cast<size_t>(index) > tables_.size()) return DISP_E_BADINDEX;
    SetObject(result, tables_[static_cast<size_t>(index) - 1]->object.Get());
    return S_OK;
  });
}

void ExcelStandin::AddQueryTable(const std::wstring& connection) {
  auto table = std::make_unique<Connected>();
  table->connection = connection;
  table->object = AutomationStandin::Create("Excel.QueryTable" + std::to_string(tables_.size() + 1));
  table->object->AddMember(L"Refresh", excel::kRefreshQueryTable,
                           [](WORD, const Arguments&, VARIANT* result) {
                             SetBool(result, true);
                             return S_OK;
                           });
  table->object->AddMember(L"Connection", excel::kQueryTableConnection,
                           ConnectionMember(table->connection));
  tables_.push_back(std::move(table));
}

void ExcelStandin::AddPivotTable(const std::wstring& connection) {
  auto pivot = std::make_unique<Connected>();
  std::string number = std::to_string(pivots_.size() + 1);
  pivot->connection = connection;
  pivot->object = AutomationStandin::Create("Excel.PivotTable" + number);
  pivot->cache = AutomationStandin::Create("Excel.PivotCache" + number);
  IDispatch* cache = pivot->cache.Get();
  pivot->object->AddMember(L"PivotCache", excel::kPivotCache,
                           [cache](WORD, const Arguments&, VARIANT* result) {
                             SetObject(result, cache);
                             return S_OK;
                           });
  pivot->cache->AddMember(L"Refresh", excel::kRefreshPivotCache,
                          [](WORD, const Arguments&, VARIANT*) { return S_OK; });
  pivot->cache->AddMember(L"Connection", excel::kPivotCacheConnection,
                          ConnectionMember(pivot->connection));
  pivots_.push_back(std::move(pivot));
}

const std::wstring& ExcelStandin::query_table_connection(size_t index) const {
  return tables_.at(index - 1)->connection;
}

const std::wstring& ExcelStandin::pivot_cache_connection(size_t index) const {
  return pivots_.at(index - 1)->connection;
}

bool ExcelStandin::AllReleased() const {
  auto held_only_here = [](const ComPtr<AutomationStandin>& object) {
    return !object || object->references() == 1;
  };
  bool released = held_only_here(app_) && held_only_here(worksheet_) && held_only_here(chart_) &&
                  held_only_here(query_tables_);
  for (const auto& t : tables_) released = released && held_only_here(t->object);
  for (const auto& p : pivots_) {
    released = released && held_only_here(p->object) && held_only_here(p->cache);
  }
  return released;
}

}  // namespace contenda::standins
