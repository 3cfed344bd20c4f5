// The process's current printer: one print-dialog record, filled from the default printer on
// first use, whose DEVMODE and DEVNAMES blocks every printer object of the program reads and
// changes. The page setters change the DEVMODE block; RESETDC applies it to an open context.
//
// With no printer installed both blocks stay empty: the setters change nothing, the getters
// answer portrait, "" and 0, and no context is made.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ui {

struct PrinterNames {
  std::string driver;
  std::string device;
  std::string port;
};

// PRINTERINIT: frees the record's blocks; the next use reads the default printer again.
void PrinterInit();
// GETPRINTDC: the print dialog owned by `owner`; the new printer context when the user
// confirmed, else null (ComDlgExtendedError tells a failure from a cancel).
HDC GetPrintDC(HWND owner);
// PRINTERSETUP: the printer set-up dialog, owned by `owner` (the active window when none).
void PrinterSetup(std::optional<HWND> owner);
// GETPRINTDEFAULT: a context for the current printer; null when no printer is known.
HDC GetPrintDefault();
// TPrinter's model: the printer of that device takes the record, with the mode its driver
// gives it (the profile is left as it is); false when the printer cannot be opened.
bool SelectPrinter(const PrinterNames& model);
// RESETDC: the page settings applied to an open context.
bool ResetPrinterDC(HDC dc);
// COMDLGXERR.
DWORD ComDlgExtendedError();

void PrnLandscape();
void PrnPortrait();
int PrnGetOrientation();                     // 1 portrait, 2 landscape
void PrnSetSize(int width, int length);      // tenths of a millimetre, a user-defined paper
void PrnSetPage(int paper_size);             // a Windows paper code; dmFields kept
void PrnSetCopies(int copies);
int PrnBinSource(std::optional<int> bin);    // the source before the call
void PrnDraftMode(bool draft);
PrinterNames PrnGetNames();
// The pages the print dialog's range chose.
int PrnFromPage();
int PrnToPage();
// A copy of the current DEVMODE (its public part); nullopt with no printer.
std::optional<DEVMODEA> PrnDevMode();

// PRNOFFSET / PRNGETSIZE: the printable area's offset and the physical page, device units.
POINT PrnOffset(HDC dc);
SIZE PrnGetSize(HDC dc);
// IMPORTRAWFILE: the file's bytes straight to the printer, when its driver passes data
// through and prints EPS; a missing file sends nothing. False when nothing was sent.
bool ImportRawFile(HDC dc, const std::string& file);
// STARTDOC: `name` is cut to 31 characters; the job number, 0 or less on failure.
int StartPrintDoc(HDC dc, std::string& name, const std::optional<std::string>& output = std::nullopt);

// Registers the functions above by their upper-case names.
void RegisterPrinterFunctions();

}  // namespace ui
