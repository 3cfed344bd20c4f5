// The demo data tree: what the tests, the benchmarks and a first look at the program work
// on. Under a root folder:
//   DBF\          the start folder: the company table `Empresa` (several companies, one
//                 blocked, one with users), the version table, the catalogue's shared tables,
//                 and the users and menu table of the log-in (demo_users.h) unless the
//                 options leave them out
//   DBF<code>\    one folder per company: every table of the catalogue, `Claves`, `Divisas`
//   VDR\          the program folder (Vdr.exe runs here, so "..\DBF\" is the start folder)
//   TMP\, INF\    the temporary and report folders
// The records are deterministic: the same options write the same tables. Some are deleted,
// as the organisation finds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/org/table_schemas.h"
#include "runtime/date.h"

namespace app {

struct DemoOptions {
  std::uint64_t records = 20000;       // about this many records in the first company
  std::uint64_t small_records = 2000;  // in each of the others
  xb::Date today = xb::Date::FromYmd(2026, 12, 1);  // documents run up to this day, from three years before
  bool indexes = true;                 // create the catalogue's tags
  // The start folder as nobody has logged in yet: no user and group tables, no menu table,
  // no macro table.
  bool users = true;
  // The first company's invoice lines every 5th of such amounts that its monthly
  // statistics overflow `Graph`'s fields.
  bool overflowing_statistics = false;
};

struct DemoCompany {
  std::string code;
  std::string name;
  std::string nif;
  bool blocked = false;     // LACTIVA: being worked on elsewhere
  int users = 0;            // USO
  bool statistics = true;   // LGRAFCLI in its settings
  std::uint64_t records = 0;
  bool overflowing_statistics = false;
};

std::vector<DemoCompany> DemoCompanies(const DemoOptions& options);

// How many records a table gets for a company of `size` records (deleted ones included).
std::uint32_t DemoRecordCount(const TableSchema& schema, std::uint64_t size);

struct DemoSummary {
  std::uint64_t tables = 0;
  std::uint64_t records = 0;
  std::uint64_t deleted = 0;
};

// The whole tree on the real file system; false with *error when something fails.
bool WriteDemoTree(const std::string& root, const DemoOptions& options, DemoSummary* summary, std::string* error);

// The start folder's tables (the folder exists), through the work areas' file system.
bool WriteDemoStart(const std::string& folder, const std::vector<DemoCompany>& companies, const DemoOptions& options,
                    DemoSummary* summary, std::string* error);
// One company's tables into its folder (which exists), through the work areas' file system.
bool WriteDemoCompany(const std::string& folder, const DemoCompany& company, const DemoOptions& options,
                      DemoSummary* summary, std::string* error);

}  // namespace app
