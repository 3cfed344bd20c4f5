// The company table `Empresa` as the program finds it at start: the company folders beside
// the start folder (NHAYEMPRESAS), the table opened exclusively with its index made again
// when it is missing, the first company's settings, and the tables the program makes for
// itself (CREARDBF).
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"

namespace app {

inline constexpr std::string_view kCompanyCodeTag = "CodEmp";
inline constexpr std::string_view kCompanyNameTag = "NomE";
inline constexpr std::string_view kCompanyNameKey = "Upper(cNombre ) + cNif";

// NHAYEMPRESAS: how many entries the folder listing of `pattern` (folders included) has.
// The start folder "..\DBF" matches "..\DBF*." itself, so more than 1 means that at least
// one company folder is there.
int nHayEmpresas(std::string_view pattern = "..\\DBF*.");

// CREARDBF: erases the index file that the current driver would give `file`, then creates
// the table with `structure` (a DBCREATE array), replacing one that exists.
void CrearDbf(std::string_view file, const xb::Value& structure);

enum class CompanyTableOpen {
  kFailed,           // not opened exclusively: LNETUSE has said why
  kIndexRebuilt,     // its index file was missing and has been made again
  kOpened,           // opened with its index; the first company is the current one
  // Opened, but the first company's `Claves` or `Divisas` was not (LNETUSE has said why):
  // the file is not there, or another user works with it.
  kSettingsMissing,
  kSettingsInUse,
};

// Opens `Empresa` of the start folder exclusively in a new work area under its own alias.
// With its index file missing, the tags "CodEmp" (CODEMP) and "NomE" are created; otherwise
// the first record becomes the current company (aStEmpresa, cPathDbf "..\DBF" + code + "\"
// beside the start folder) and its settings are read (LoadStartCompanySettings). Order 1
// is selected either way, and the company table stays open.
CompanyTableOpen OpenCompanyTable(const std::string& start_folder);

enum class StartSettings { kLoaded, kMissing, kInUse };

// The company's `Claves` (currency, withholding on VAT, result digits, statistics) and the
// masks of each of its `Divisas`, each table opened exclusively and closed again. The first
// that does not open ends the reading after LNETUSE's message: kMissing when its file is not
// there, kInUse otherwise (another user works in the company).
StartSettings LoadStartCompanySettings(const std::string& company_folder);

// Registers NHAYEMPRESAS and CREARDBF.
void RegisterCompanyTableFunctions();

}  // namespace app
