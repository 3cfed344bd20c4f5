// Who may run a fixed listing or a report. A listing's `ACCESOS` holds the allowed users'
// 2-character codes one after the other; a report's `ACCESO1` + `ACCESO2` hold one
// 3-character entry a user: the code and the level ("2" full, "1" read only, "0" none).
// Blanks are ignored and the texts are read in whole entries, so a code never matches
// across two of them. The supervisor "00" may run everything.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace reports {

inline constexpr std::string_view kSupervisor = "00";
inline constexpr std::size_t kReportAccessWidth = 400;  // ACCESO1 + ACCESO2

// Whether `user` is among the codes of `accesos`.
bool ListingAllows(std::string_view accesos, std::string_view user);
// The user's level in `access` (ACCESO1 + ACCESO2): the first entry's, "0" without one, "2"
// for the supervisor.
std::string ReportLevel(std::string_view access, std::string_view user);

// The listing's codes with `user` added (at the end) or removed, blanks dropped; nullopt
// when nothing changes. Adding to a list that would pass `width` characters is refused
// with an empty string.
std::optional<std::string> ListingWithUser(std::string_view accesos, std::string_view user, bool allow,
                                           std::size_t width);
// The report's entries with the user's level replaced in place (or appended); nullopt when
// nothing changes, an empty string when the entry does not fit in 400 characters.
std::optional<std::string> ReportWithLevel(std::string_view access, std::string_view user, char level);

// The refusal of a full list, for the listing or report `code`.
void TellListFull(std::string_view code);

// CACCESOLISTADO on the listing table of `alias`: `code` (empty: the current row's); with
// `seek`, the row is first sought by code in its "CODIGO" order. The user is `user` when
// `for_user`, else CCODUSER().
bool cAccesoListado(std::string_view alias, std::string_view code, bool for_user, bool seek, std::string_view user);
// CACCESOINFORME on the `Informes` table of `alias` ("Informe" order when seeking).
std::string cAccesoInforme(std::string_view alias, std::string_view code, bool for_user, bool seek,
                           std::string_view user);

// The working lists of the maps written back to their tables, each row under its lock:
// code -> "2" or "0" for listings, code -> level for reports. A row of a full list is left
// as it was (one message each); false when a row could not be locked.
bool SaveListingMap(std::string_view alias, const std::map<std::string, char>& levels, std::string_view user);
bool SaveReportMap(std::string_view alias, const std::map<std::string, char>& levels, std::string_view user);

// Registers CACCESOLISTADO and CACCESOINFORME.
void RegisterAccessRules();

}  // namespace reports
