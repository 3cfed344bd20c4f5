// The product's version file: "Version.ini", left in the program folder by the installer,
// is copied into the version table `VerVDRe` of the start folder (one record, rewritten)
// and erased. While the table is busy the file stays for the next run.
#pragma once

#include <string>
#include <string_view>

namespace app {

inline constexpr std::string_view kVersionIni = "Version.ini";
inline constexpr std::string_view kVersionTable = "VerVDRe";
inline constexpr std::string_view kVersionAlias = "Version";
// What the version table says it is compatible with, whatever the file says.
inline constexpr std::string_view kCompatibleVersion = "2003/1";

enum class VersionImport {
  kNoFile,     // no "Version.ini": nothing to do
  kImported,   // the record rewritten, the file erased
  kTableBusy,  // the table did not open exclusively: the file stays
};

// Imports `program_folder` + "Version.ini" into `start_folder` + "VerVDRe" (folders with
// their separators). The work area selected before stays selected.
VersionImport ImportVersionFile(const std::string& program_folder, const std::string& start_folder);

}  // namespace app
