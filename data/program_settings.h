// The program's shared values (folders, the current company, the main window, the default
// dialog font, the working date), each behind its accessor, and the start-up routine that
// fills them and fixes the run-time settings (ARRANQUE).
//
// Accessors share one shape: without a value they return the stored one; with one they
// store it and return it. The company accessors (cCodEmpresa, cNomEmpresa, aStEmpresa)
// return instead the value held before the call. Every accessor is also a public function
// of the same name in upper case (RegisterProgramSettings).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/date.h"
#include "runtime/value.h"

namespace data {

// ---- folders ------------------------------------------------------------------------------
// Start folder: the shared tables (users, groups, configuration, companies, listings,
// layouts, planner, version table).
const std::string& cPathStart();
const std::string& cPathStart(std::string_view folder);
// The program's folder: "Version.ini" and the other per-installation files.
const std::string& cPathExe();
const std::string& cPathExe(std::string_view folder);
// The report generator's dictionary folder.
const std::string& cPathInforme();
const std::string& cPathInforme(std::string_view folder);
// Temporary tables.
const std::string& cPathTmp();
const std::string& cPathTmp(std::string_view folder);
// The current company's data folder ("..\DBF" + company code + "\").
const std::string& cPathDbf();
const std::string& cPathDbf(std::string_view folder);
// The branch office's data folder.
const std::string& cPathDbfDelegacion();
const std::string& cPathDbfDelegacion(std::string_view folder);

// ---- the accounting product's folder layout (read by the table views) ---------------------
bool lRistelo();
bool lRistelo(bool on);
const std::string& cCodEmp();
const std::string& cCodEmp(std::string_view code);
const std::string& cCodEmp2();
const std::string& cCodEmp2(std::string_view code);
const std::string& cDbfConta();
const std::string& cDbfConta(std::string_view folder);
const std::string& cDbfConta2();
const std::string& cDbfConta2(std::string_view folder);
bool lNewConta();
bool lNewConta(bool on);

// ---- program -------------------------------------------------------------------------------
const std::string& cTitle();
const std::string& cTitle(std::string_view title);
// Network (multi-user) mode.
bool lNetwork();
bool lNetwork(bool on);

// ---- current company ----------------------------------------------------------------------
// These store only when given a value and return the value held before the call.
std::string cCodEmpresa();
std::string cCodEmpresa(std::string_view code);
std::string cNomEmpresa();
std::string cNomEmpresa(std::string_view name);
// The company's record image (array of the `Empresa` fields), NIL until one is stored.
xb::Value aStEmpresa();
xb::Value aStEmpresa(const xb::Value& record);
// The company code kept for the company-leaving step.
const std::string& cEmpCodigo();
const std::string& cEmpCodigo(std::string_view code);
// First-time flag guarding the company-leaving step; starts true and becomes true again
// whenever the last open error is cleared (nErrorCode(0)).
bool qz_lPrimero();
bool qz_lPrimero(bool on);

// ---- working date, main window, cursors, file counts --------------------------------------
xb::Date dSetDate();
xb::Date dSetDate(xb::Date date);
// The main window object (NIL before the program shows it); OWND() only reads it.
const xb::Value& oWnd();
void SetMainWindow(xb::Value window);
// The hand cursor made by ARRANQUE (NIL where no cursor class is linked in).
const xb::Value& oHand();
int nHandlers();
int nHandlers(int count);
// Files that the table views hold open: adds `delta` and returns the total.
int nChgFiles(int delta = 0);

// ---- constants -----------------------------------------------------------------------------
// Every dialog and window of the system builds its default font from these three.
inline constexpr std::string_view cFontName() { return "MS Sans Serif"; }
inline constexpr int nFontVSize() { return 0; }
inline constexpr int nFontHSize() { return -12; }
// __PRODUCT: the dialog class compares it when it chooses resource names.
inline constexpr std::string_view ProductName() { return "VENDARO"; }
// APPMAINEXENAME
inline constexpr std::string_view AppMainExeName() { return "Vdr.exe"; }
// GETDLGNAMES: dialog names the dialog class replaces by numeric resource ids.
std::vector<std::pair<std::string, int>> GetDlgNames();

// ---- start-up and company leaving ---------------------------------------------------------
// ARRANQUE: prepares the environment (folders, working date, run-time settings, the hand
// cursor, network mode) with `start_folder` as the start folder (when empty: ".\" at the
// root of a drive, else "\" + the current directory + "\"). Returns false, as it always did.
bool Arranque(std::string_view start_folder, bool network);

// EMPRESET: the company-leaving step. Restores "Empresa.Dbf" from "Empresa.seg" when it is
// missing; then, unless a call is already under way, finds the company `code` (default
// cEmpCodigo()) in the start folder's `Empresa`, locks it and lowers its user count `USO`
// by one (never below 0). True when the record was found and locked.
bool EmpReset(std::optional<std::string> code = {});

// OCURSORHAND: gives every TBtnBmp and TButton among `controls` (one control or an array of
// them) the hand cursor, or takes it away with `remove`; other objects are left alone.
void oCursorHand(const xb::Value& controls, bool remove = false);

// MSGDEBUG: shows the text and title in an information box.
void MsgDebug(std::string_view text = ".", std::string_view title = ".");

// Everything back to its start values (tests; the start of the program).
void ResetProgramSettings();

// Registers the accessors and functions above under their upper-case names (CPATHSTART,
// ARRANQUE, EMPRESET, __PRODUCT, ...).
void RegisterProgramSettings();

}  // namespace data
