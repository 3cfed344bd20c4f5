// The user's printer table GesPrn<user code> in the start folder: the main ("1") and the
// secondary ("2") printer with their three fonts, line feed and footer lines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/array.h"
#include "services/table_helpers.h"

namespace output {

std::string GesPrnTable();  // folder and name, without extension
const std::vector<svc::FieldDef>& GesPrnFields();
const std::vector<svc::TagDef>& GesPrnTags();
// CREAIMPRDBF and NTXIMPRDBF.
bool CreaImprDbf();
void NtxImprDbf();
// Creates the table when its file is missing and rebuilds its index when that is missing.
void EnsureGesPrn();

struct PrinterNamesRow {
  std::string name, port, driver;
};
// LINFOIMPRE: the printer's names from its record (1 main, 2 secondary), with the messages.
bool LInfoImpre(PrinterNamesRow& row, int printer);
// LEEFONTDATOS: the 14-item description of font group 1..3 of the printer's record.
xb::Array LeeFontDatos(int font, int printer);
// NOMBRESIMPRESORA: {name, port}.
std::pair<std::string, std::string> NombresImpresora(int printer);

// Twips and pixels on a device (axis 1 across, 2 down), through its pixels per inch.
int TwPix(int axis, double twips, HDC dc);
int PixTw(int axis, double pixels, HDC dc);
// Millimetres and pixels on a device.
int MmPix(int axis, double mm, HDC dc);
double PixMm(int axis, int pixels, HDC dc);

void RegisterPrinterTable();

}  // namespace output
