#include "app/org/reporting_events.h"

#include "app/org/error_table.h"
#include "data/data_ui.h"
#include "data/sde_index.h"
#include "data/table_access.h"
#include "runtime/lib/paths.h"

namespace app {
namespace {

// "..\DBF01\Rappels.dbf" -> "DBF01\Rappels.dbf": the file and the folder it is in, which
// tells the start folder's tables from the company's.
std::string ShortPath(std::string_view path) {
  std::size_t folder_end = xb::FolderLength(path);
  if (folder_end == 0) return std::string(path);
  std::size_t start = folder_end - 1;
  while (start > 0 && path[start - 1] != '\\' && path[start - 1] != '/' && path[start - 1] != ':') --start;
  return std::string(path.substr(start));
}

std::string Cause(const TableFailure& failure) {
  switch (failure.os_code) {
    case 2: return "no existe";
    case 3: return "no existe su directorio";
    case 4: return "demasiados ficheros abiertos";
    case 5:
    case 32: return "en uso por otro usuario";
    default: return failure.description.empty() ? "no se puede abrir" : failure.description;
  }
}

}  // namespace

std::string ReportingEvents::FailureLine(const TableFailure& failure) const {
  std::string line = "Empresa " + company_ + ": " + ShortPath(failure.path) + " " + Cause(failure);
  return line.substr(0, kErrorLineWidth);
}

std::string ReportingEvents::SkippedLine(std::string_view why) const {
  std::string line = "Empresa " + company_ + ": " + std::string(why);
  return line.substr(0, kErrorLineWidth);
}

void ReportingEvents::TableFailed(const TableFailure& failure) {
  if (!data::ShowOpenFailure(failure.os_code, failure.path)) {
    data::Ui().MsgStop(data::JoinLines({"No se ha podido organizar el fichero " + ShortPath(failure.path) + ".",
                            failure.description}),
                 "Atención");
  }
  AddErrorLine(FailureLine(failure));
}

void ReportingEvents::Skipped(std::string_view what, std::string_view why) { AddErrorLine(SkippedLine(why)); }

void ReportingEvents::ReindexStartFolder(const std::string& start_folder) { data::SdeIndex(); }

}  // namespace app
