// Table access: every table of the system is opened, appended to and locked through these
// functions, so that a failure reaches the user as one of a fixed set of Spanish messages
// (through the DataUi) and a false result, never as a run-time error.
//
// An open that fails for a known cause of the operating system (file or folder not found,
// too many open files, access denied, sharing violation) is a quiet failure: NETERR() is
// set and the cause is kept as the last open error (nErrorCode). The program's error
// handler does this for every open; lNetUse also does it itself around its own opens, so
// that its answer does not depend on the error block in use. Other failures go to the
// error block as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/error.h"
#include "runtime/value.h"

namespace data {

// NERRORCODE: the last open error (2 file not found, 3 folder not found, 4 too many open
// files, 5 or 32 access denied; 0 none). Setting 0 also sets qz_lPrimero() true.
int nErrorCode();
int nErrorCode(int code);

// True for the operating-system codes of a quiet open or create failure.
bool IsQuietOpenFailure(int os_code);

// While one lives, an open or create that fails for a quiet cause sets NETERR() and
// nErrorCode() and takes the default, and a failed append lock sets NETERR() and takes the
// default, whatever error block the program has; every other error goes to that block.
class QuietTableFailures {
 public:
  QuietTableFailures();
  QuietTableFailures(const QuietTableFailures&) = delete;
  QuietTableFailures& operator=(const QuietTableFailures&) = delete;

 private:
  xb::Value previous_;
  xb::ErrorBlockScope scope_;
};

struct NetUseOptions {
  bool exclusive = false;
  // 0: keep trying up to the attempt limit of 10. Each attempt after a failure of another
  // cause comes one second after the one before.
  int retries = 1;
  std::string alias;     // default: the file's name
  bool new_area = true;  // else the current area
  int order = 1;         // order selected when the table has its index file
  // False: the table opens without its structural index even when the file is there, so
  // that the index file can be replaced while the table is held.
  bool with_index = true;
};

// LNETUSE: opens `file` (folder and name; ".dbf" when no extension is given) shared unless
// exclusive use is asked. True only when the work area holds the table under the asked
// alias. A missing file or folder, too many open files and a sharing conflict each give
// their message at once and false; other failures are tried again.
bool lNetUse(std::string_view file, const NetUseOptions& options = {});

// The message LNETUSE gives for an open that failed with a quiet cause (2, 3, 4, 5 or 32),
// about `file` (folder and name), unless the DataUi takes the failure its own way; false,
// without message, for any other code.
bool ShowOpenFailure(int os_code, const std::string& file);

// LNETRECADD: appends a record and locks it, trying for `seconds` (0: until it succeeds)
// half a second apart.
bool lNetRecAdd(double seconds = 1);
// LNETRECLOCK: locks the current record, trying for `seconds` (0: until it succeeds) half a
// second apart while window messages run; "El registro que se intenta procesar está
// bloqueado" and false when it cannot.
bool lNetRecLock(double seconds = 1);
// FILLOCK: the same for the whole table ("El fichero que se intenta procesar está
// bloqueado").
bool FilLock(double seconds = 1);
// LNETQSTLOCK: locks the current record, asking the lock question each time it cannot;
// false when the user gives up.
bool lNetQstLock(const std::vector<std::string>& texts);
// LGOQUESTION: the lock question; true when the user gives up.
bool lGoQuestion(const std::vector<std::string>& texts);

// _DBUSEAREA: opens through the "ADS" driver whatever driver is given.
bool _DbUseArea(bool new_area, std::string_view driver, std::string_view file, std::string_view alias, bool shared,
                bool read_only);
// XDBSETDRIVER: with `set`, makes "ADS" the default driver; always answers "DBFCDX".
std::string xDbSetDriver(bool set);

// CHECKMDX: when the driver's index files are not ".NTX" and the table's index file is
// missing, clears the table's production-index flag so that it opens without it.
void CheckMdx(std::string_view table_file);

// The index file of a table: its folder and name with the default driver's index extension.
std::string IndexFileOf(std::string_view table_file);

// Registers LNETUSE, LNETRECADD, LNETRECLOCK, FILLOCK, LNETQSTLOCK, LGOQUESTION, NERRORCODE,
// SEGUNDOS, _DBUSEAREA, XDBSETDRIVER and CHECKMDX.
void RegisterTableAccess();

}  // namespace data
