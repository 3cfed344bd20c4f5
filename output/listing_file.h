// TFileC: the file behind the listings' text destination and the listing window's saved
// subtotals. It opens a file chosen in the save or open dialog, a named file or a new
// temporary one, and writes and reads texts, logicals and numbers in a fixed layout: a
// number is three 32-bit integers (INT(n / 2^31), INT(n) % 2^31, INT(n * 1000) % 1000, all
// truncating), read back with three decimals. After every open the current folder is the
// program's folder again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/array.h"
#include "runtime/object.h"

namespace output {

// The file dialogs' description, 14 items in the order of the Windows structure: 1 filter
// (pairs of description and pattern, each ended by a NUL, two NULs at the end; "|" may stand
// for the NULs), 2 custom filter, 3 its size, 4 filter index, 5 file name (the chosen full
// name after), 6 its buffer's size, 7 file title (after), 8 its size, 9 initial folder,
// 10 title, 11 flags, 12 name offset (after), 13 extension offset (after), 14 default
// extension.
enum OpenFnItem {
  kFnFilter = 1, kFnCustomFilter, kFnCustomSize, kFnFilterIndex, kFnFile, kFnFileSize, kFnTitle, kFnTitleSize,
  kFnInitialDir, kFnDialogTitle, kFnFlags, kFnFileOffset, kFnExtensionOffset, kFnDefaultExtension,
  kOpenFnItems = kFnDefaultExtension
};
// A description of these values (the rest empty or 0).
xb::Array OpenFnOf(const std::string& filter, const std::string& default_extension, DWORD flags);
// GETSAVEFN, GETOPENFN: the save or open dialog over a description, owned by `owner` (the
// active window when null), titled `title` (the description's when empty); on OK the
// description takes the chosen name, title, offsets, filter index and custom filter. Whether
// the user confirmed.
bool GetSaveFn(xb::Array description, HWND owner = nullptr, const std::string& title = {});
bool GetOpenFn(xb::Array description, HWND owner = nullptr, const std::string& title = {});

// NWRITEFILE, NREADFILE, NSEEKFILE: a value in the listings' layout on an open handle (its
// type "C", "L" or "N"; the value's own when none is given). -1 on a bad handle or type;
// else the bytes written or read (a number: those of its last integer) or the new position.
int NWriteFile(HANDLE h, const xb::Value& value, char type = 0);
int NReadFile(HANDLE h, xb::Value& value, char type, int length = 0);
std::int64_t NSeekFile(HANDLE h, std::int64_t offset, int origin = FILE_BEGIN);

class TFileC : public xb::Object {
 public:
  static constexpr int kNumberBytes = 12;

  TFileC();
  ~TFileC() override;
  static const xb::Class& Cls();

  struct NewParams {
    std::string file{};
    int access = 4098;  // create, read and write
    int mode = 2;       // 0 save dialog, 1 open dialog, 2 the file, 3 a new temporary file
    std::string prefix = "SDE";
    std::string filter = "Todos|*.*";  // the dialogs' "description|pattern|..." pairs
    std::string default_extension{};
    std::string title = " Fichero de listado";
    xb::Array open_fn{};  // a whole description instead of the three above
  };
  void New(const NewParams& params);
  bool lGetSaveFileName();
  bool lGetOpenFileName();
  bool lOpen();
  void Close();
  void Remove();
  bool IsOpen() const { return nHFile != INVALID_HANDLE_VALUE; }

  // -1 when the file is closed; else the bytes written or read (a number: those of its last
  // integer).
  int nWrite(const xb::Value& value);
  int nRead(xb::Value& value, char type, int length = 0);
  std::int64_t nSeek(std::int64_t offset, int origin = FILE_BEGIN);

  HANDLE nHFile = INVALID_HANDLE_VALUE;
  xb::Array aOpenFN;
  // The last open's information: {bytes of the block, fixed disk, error code, full name}.
  xb::Array aOpenInfo;
  std::string cFileName;
  std::string cFileTitle;
  int nFileAcces = 4098;
  NewParams params_;
  std::string open_error_;
};

// The three integers of a number, and the number of three integers.
void SplitNumber(double n, std::int32_t parts[3]);
double JoinNumber(const std::int32_t parts[3]);

// NOPENFILE: CreateFileA from OpenFile-style flags (OF_CREATE, OF_READ/WRITE/READWRITE);
// INVALID_HANDLE_VALUE on failure. Then the current folder is the program's folder.
HANDLE NOpenFile(const std::string& file, int mode, DWORD* error = nullptr);
// The information block of an open of `file` that ended with `error`, into `info` (4 items).
void FillOpenInfo(xb::Array info, const std::string& file, DWORD error);
// CHDIREXE: the current folder back to the program's folder.
void ChDirExe();
// FICHEROTEMPORAL: a new temporary file name in the current folder.
std::string FicheroTemporal(const std::string& prefix);

void RegisterListingFile();

}  // namespace output
