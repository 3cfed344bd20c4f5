// The printer helpers of the listings: device and information contexts on a named printer
// (with the per-user flag file around the one call that faulty drivers crash in), the print
// dialog with a page range, the printer's settings block read and changed field by field,
// the spooler calls, capability lists and fonts, and the printer notice shown at log-in when
// the flag file was left behind.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/array.h"

namespace output {

// SETUSER: the user code of the flag file's name.
void SetUser(const std::string& code);
// The flag file: "~Flag" + user code + ".flg" in the program's folder.
std::string FlagFilePath();
bool FlagFile();
void QzFlagC();
// INITPRNMSG: the notice when the flag file was found or the user asked to see it always.
bool InitPrnMsg();
// "InitPrn.QZ" in the program's folder.
std::string InitPrnIni();

// A device context for the printer (with the settings block held, when asked and there is
// one); 0 on failure. The flag file exists during the call.
HDC DcImpresora(const std::string& name, const std::string& port, const std::string& driver,
                bool use_settings = false);
HDC IcImpresora(const std::string& name, const std::string& port, const std::string& driver);

struct PageRange {
  bool range = false;
  int from = 0;
  int to = 0;
};
// The print dialog on that printer; on OK its names, context and page range.
bool DcDlgImpresora(std::string& name, std::string& port, std::string& driver, HDC& dc, PageRange& pages,
                    HWND owner);

// The settings block (DEVMODE) of a printer, held until ResetDm or the next GetDm.
bool GetDm(const std::string& driver, const std::string& name, const std::string& port);
void ResetDm();
const DEVMODEA* HeldDevMode();
// Fields by number: 6 fields mask, 7 orientation, 8 paper, 9 length, 10 width, 12 copies.
int GetDmField(int n);
void SetDmField(int n, int value);
// The driver's own settings dialog for that printer. What the user sets there becomes that
// printer's settings for the user, kept by the spooler for later runs too: GetDm reads them
// over the driver's, and a context made without the held block takes them. A driver whose
// block is larger than 1199 bytes is not opened (a message says where to change its settings).
void SetPrnConf(const std::string& driver, const std::string& name, const std::string& port);
// Forgets what SetPrnConf kept for that printer (the driver's own settings apply again).
void ForgetPrinterSettings(const std::string& name);

// The installed printers ("devices" section of the user's profile).
std::vector<std::string> LListaImpresoras();
// The printer's capability values: 2 paper numbers, 3 paper sizes (width, height pairs in
// 0.1 mm), others as numbers.
std::vector<int> GetPrnCaps(const std::string& name, const std::string& port, const std::string& driver,
                            int capability);

// The spooler calls; a job number above 0 or an error code 0 or below.
int Impre2Cd(HDC dc, const std::string& document);
int Impre2Cp(HDC dc);
int Impre2Fp(HDC dc);
int Impre2Fd(HDC dc);
int Impre2Ad(HDC dc);

// CREATEIFONT: a font of a 14-item description; 0 on failure.
HFONT CreateIFont(const xb::Array& description);

void RegisterPrinterHelpers();

}  // namespace output
