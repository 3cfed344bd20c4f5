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

#include "runtime/object.h"

namespace output {

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
// CHDIREXE: the current folder back to the program's folder.
void ChDirExe();
// FICHEROTEMPORAL: a new temporary file name in the current folder.
std::string FicheroTemporal(const std::string& prefix);

void RegisterListingFile();

}  // namespace output
