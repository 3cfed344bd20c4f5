#include "app/program/version_import.h"

#include <windows.h>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/files.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/profile.h"

namespace app {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr int kOpenAttempts = 3;
constexpr std::uint32_t kOpenRetryMs = 1000;

// The profile calls look for a bare name in the Windows folder: give them the whole path.
std::string FullPath(const std::string& file) {
  char buffer[MAX_PATH];
  const DWORD n = GetFullPathNameA(file.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : file;
}

// The version table opened exclusively, without a message when another station holds it.
WorkArea* OpenVersionTable(const std::string& table) {
  for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
    {
      data::QuietTableFailures quiet;
      xb::CallFunction("DBUSEAREA", {Value::Logical(true), Value(), Value::String(table),
                                     Value::String(kVersionAlias), Value::Logical(false), Value::Logical(false)});
    }
    WorkArea& area = WorkAreas::Get().Current();
    if (area.used()) {
      if (xb::Upper(xb::CodePageEn(), xb::CallFunction("ALIAS").AsString()) ==
          xb::Upper(xb::CodePageEn(), kVersionAlias))
        return &area;
      area.Close();
    }
    if (attempt < kOpenAttempts) {
      const std::uint32_t start = data::Ui().TickCount();
      while (data::TicksSince(start, data::Ui().TickCount()) < kOpenRetryMs) data::Ui().RunMessages(50);
    }
  }
  return nullptr;
}

void Put(WorkArea& area, std::string_view field, const Value& value) {
  if (const int pos = area.FieldPos(field)) area.PutField(pos, value);
}

}  // namespace

VersionImport ImportVersionFile(const std::string& program_folder, const std::string& start_folder) {
  const std::string ini = program_folder + std::string(kVersionIni);
  if (!xb::FileExists(ini)) return VersionImport::kNoFile;

  WorkAreas& areas = WorkAreas::Get();
  const int selected = areas.CurrentArea();
  WorkArea* area = OpenVersionTable(start_folder + std::string(kVersionTable));
  if (!area) {
    areas.SelectArea(selected);
    return VersionImport::kTableBusy;
  }
  const std::string file = FullPath(ini);
  auto read = [&file](const char* section, const char* entry, const char* fallback) {
    return Value::String(ui::GetPvProfString(section, entry, fallback, file));
  };
  area->Zap();
  area->Append();
  Put(*area, "PRODUCTO", read("Producto", "Nombre", "QZ Vendaro E Ombrisa"));
  Put(*area, "VERSION", read("Producto", "Version", "2003"));
  Put(*area, "FECHA", Value::FromDate(xb::CToD(read("Producto", "Fecha", "01-06-03").AsString())));
  Put(*area, "DRIVER", read("Producto", "Driver", "ADS"));
  Put(*area, "EMPRESA", read("Usuario", "Empresa", ""));
  Put(*area, "USUARIO", read("Usuario", "Usuario", ""));
  // The key is read for what older installers expect, but the table always says this.
  read("Producto", "Compatible", std::string(kCompatibleVersion).c_str());
  Put(*area, "COMPATIBLE", Value::String(kCompatibleVersion));
  area->Commit();
  area->Close();
  areas.SelectArea(selected);
  xb::CallFunction("FERASE", {Value::String(ini)});
  return VersionImport::kImported;
}

}  // namespace app
