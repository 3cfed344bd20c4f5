#include "app/org/error_table.h"

#include <set>

#include "app/org/org_table.h"
#include "data/table_access.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"

namespace app {
namespace {

using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string& OpenedFrom() {
  static std::string folder;
  return folder;
}

// The lines of the run, to keep each one once.
std::set<std::string>& Written() {
  static std::set<std::string> lines;
  return lines;
}

ErrorLineListener& Listener() {
  static ErrorLineListener listener;
  return listener;
}

int g_lined_messages = 0;

WorkArea* ErrorArea() {
  const int number = WorkAreas::Get().AreaOfAlias(kErrorTableAlias);
  WorkArea* area = number ? WorkAreas::Get().Area(number) : nullptr;
  return area && area->used() ? area : nullptr;
}

// Keeps the selected area across an open in a new one.
class KeepSelected {
 public:
  KeepSelected() : area_(WorkAreas::Get().CurrentArea()) {}
  ~KeepSelected() { WorkAreas::Get().SelectArea(area_); }

 private:
  int area_;
};

}  // namespace

bool CreateErrorTable(const std::string& folder) {
  xb::rdd::FileSystem& fs = WorkAreas::Get().file_system();
  const std::string path = TablePath(folder, kErrorTableName);
  (void)fs.Remove(data::IndexFileOf(path));
  Written().clear();
  const std::vector<xb::rdd::dbf::FieldSpec> structure = {{"TEXTO", 'C', kErrorLineWidth, 0}};
  return xb::rdd::DbfTable::Create(fs, path, structure, xb::rdd::dbf::MemoKind::kFpt).ok();
}

bool OpenErrorTable(const std::string& folder) {
  OpenedFrom() = folder;
  if (ErrorArea()) return true;
  KeepSelected keep;
  data::NetUseOptions options;
  options.exclusive = true;
  options.retries = 3;
  options.alias = std::string(kErrorTableAlias);
  return data::lNetUse(folder + std::string(kErrorTableName), options);
}

bool ErrorTableOpen() { return ErrorArea() != nullptr; }

bool EnsureErrorTableOpen() {
  if (ErrorArea()) return true;
  return !OpenedFrom().empty() && OpenErrorTable(OpenedFrom());
}

bool AddErrorLine(std::string_view text, bool told) {
  std::string line(TrimRight(text.substr(0, kErrorLineWidth)));
  if (Written().contains(line)) return true;
  if (!EnsureErrorTableOpen()) return false;
  WorkArea& area = *ErrorArea();
  bool written = false;
  {
    ErrorCatcher catcher;
    try {
      if (!area.Append()) return false;
      written = area.PutField(1, xb::Value::String(line));
      area.Commit();
      written = written && !catcher.caught();
    } catch (const xb::UnhandledError&) {
      written = false;
    }
  }
  if (!written) return false;
  Written().insert(line);
  if (!told && Listener()) Listener()(line);
  return true;
}

int ErrorLineCount() { return static_cast<int>(Written().size()); }

bool ErrorLineWritten(std::string_view text) {
  return Written().contains(std::string(TrimRight(text.substr(0, kErrorLineWidth))));
}

void SetErrorLineListener(ErrorLineListener listener) { Listener() = std::move(listener); }

LinedMessages::LinedMessages() { ++g_lined_messages; }
LinedMessages::~LinedMessages() { --g_lined_messages; }
bool LinedMessages::active() { return g_lined_messages > 0; }

std::vector<std::string> ErrorLines() {
  std::vector<std::string> lines;
  WorkArea* area = ErrorArea();
  if (!area) return lines;
  const std::uint32_t kept = area->recno();
  const std::uint32_t count = area->RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    area->GoTo(r);
    if (area->Deleted()) continue;
    lines.emplace_back(TrimRight(area->GetField(1).AsString()));
  }
  area->GoTo(kept);
  return lines;
}

void CloseErrorTable() {
  if (WorkArea* area = ErrorArea()) area->Close();
}

void EraseErrorTable(const std::string& folder) {
  CloseErrorTable();
  (void)WorkAreas::Get().file_system().Remove(TablePath(folder, kErrorTableName));
}

}  // namespace app
