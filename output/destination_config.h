// The configuration of the listings' destinations (CONFDESTINO): the user's printers of
// GesPrn (new, delete, data and fonts, the driver's set-up, main and secondary), the listing
// window's font of GesVen and the file options; and the window font table itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "services/table_helpers.h"

namespace output {

std::string GesVenTable();
const std::vector<svc::FieldDef>& GesVenFields();
// CREAVENDBF: the table with its one record, "Courier New" of 9 points on the screen.
bool CreaVenDbf();

// The operations of the printer page, on the printer table open under `kGesPrnAlias` and its
// current record.
inline constexpr const char* kGesPrnAlias = "GESPRN";
inline constexpr const char* kGesVenAlias = "GESVEN";
// A new printer of the installed ones: its role ("1" without a main printer, "2" without a
// secondary one, else "3"), its three fonts at 10, 17 and 5 characters an inch, the line feed
// of the normal font, 4 footer lines and the lowest free code. False when the printer
// cannot be reached.
bool AddPrinter(const std::string& name, const std::string& description);
// Deletes the current printer (after asking); the roles pass on as the dialog tells.
void DeletePrinter(bool ask = true);
// Makes the current printer the main ('1') or the secondary ('2') one.
void MakeRole(char role);
// The listing window's font written to GesVen (height in twips).
void SetWindowFont(const LOGFONTA& font);

// The pitch name of a pitch value: "Variable" when its lowest bit is set, else "Fijo".
std::string CPaso(int pitch);

// CONFDESTINO: false when the user has no access or the tables cannot be opened.
bool ConfDestino(const std::vector<bool>& folders = {true, true, true}, int folder = 1);

void RegisterDestinationConfig();

}  // namespace output
