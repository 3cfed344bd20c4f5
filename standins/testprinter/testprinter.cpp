// testprinter install | install-second | remove-second | remove | port FILE
//
// install: Wine's generic PostScript description (the PPDFILE resource of winspool.drv) is
// written to the driver folder, a driver on "wineps.drv" and a printer on port "LPT1:" are
// added (nothing when the printer exists) and the printer becomes the default one. Wine's
// spooler writes the jobs of a port to the Unix file its "Spooler" registry value names.
// install-second: a second printer on the same driver, on port "LPT2:" (its jobs go to
// "vdrprueba2.ps" in the temporary folder); the default printer stays.
// remove-second: the second printer goes. remove: the printers and their driver go.
// port FILE: the port's jobs go to FILE (a Windows path).
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

constexpr const char* kPrinter = "Impresora de pruebas";
constexpr const char* kSecondPrinter = "Impresora secundaria de pruebas";
constexpr const char* kSecondPort = "LPT2:";
constexpr const char* kDriver = "Controlador de pruebas PS";
constexpr const char* kPort = "LPT1:";
constexpr const char* kSpoolerKey = "Software\\Wine\\Printing\\Spooler";
constexpr const char* kPpdName = "vdrprueba.ppd";

int Fail(const char* what) {
  std::fprintf(stderr, "testprinter: %s (error %lu)\n", what, GetLastError());
  return 1;
}

// The Unix path of a Windows file, through the function Wine's kernel32 exports.
std::string UnixPath(const std::string& windows_path) {
  using ToUnix = char* (*)(const WCHAR*);
  auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (to_unix == nullptr) return {};
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide, MAX_PATH);
  char* unix_path = to_unix(wide);
  if (unix_path == nullptr) return {};
  std::string path(unix_path);
  HeapFree(GetProcessHeap(), 0, unix_path);
  return path;
}

int PointPort(const std::string& file, const char* port = kPort) {
  const std::string unix_path = UnixPath(file);
  if (unix_path.empty()) return Fail("no Unix path for the port's file");
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kSpoolerKey, &key) != ERROR_SUCCESS) return Fail("spooler key");
  const LONG rc = RegSetValueExA(key, port, 0, REG_SZ, reinterpret_cast<const BYTE*>(unix_path.c_str()),
                                 static_cast<DWORD>(unix_path.size() + 1));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? 0 : Fail("spooler value");
}

bool PrinterExists(const char* name = kPrinter) {
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char*>(name), &printer, nullptr)) return false;
  ClosePrinter(printer);
  return true;
}

int Install() {
  if (!PrinterExists()) {
    HMODULE spool = LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = spool != nullptr ? FindResourceA(spool, MAKEINTRESOURCEA(1), "PPDFILE") : nullptr;
    if (resource == nullptr) return Fail("no PPDFILE resource in winspool.drv");
    const DWORD size = SizeofResource(spool, resource);
    const void* bytes = LockResource(LoadResource(spool, resource));
    char folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed))
      return Fail("driver folder");
    const std::string ppd = std::string(folder) + "\\" + kPpdName;
    HANDLE file = CreateFileA(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("writing the PPD file");
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
    if (!wrote || written != size) return Fail("writing the PPD file");

    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriver);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>(ppd.c_str());
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
      return Fail("adding the driver");

    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char*>(kPrinter);
    info.pPortName = const_cast<char*>(kPort);
    info.pDriverName = const_cast<char*>(kDriver);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr) return Fail("adding the printer");
    ClosePrinter(printer);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    if (const int rc = PointPort(std::string(temp) + "vdrprueba.ps"); rc != 0) return rc;
  }
  char current[256] = {};
  DWORD size = sizeof current;
  if (GetDefaultPrinterA(current, &size) && std::strcmp(current, kPrinter) == 0) return 0;
  if (!SetDefaultPrinterA(kPrinter)) return Fail("making the printer the default one");
  return 0;
}

int InstallSecond() {
  if (const int rc = Install(); rc != 0) return rc;
  if (PrinterExists(kSecondPrinter)) return 0;
  PRINTER_INFO_2A info = {};
  info.pPrinterName = const_cast<char*>(kSecondPrinter);
  info.pPortName = const_cast<char*>(kSecondPort);
  info.pDriverName = const_cast<char*>(kDriver);
  info.pPrintProcessor = const_cast<char*>("WinPrint");
  info.pDatatype = const_cast<char*>("RAW");
  HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (printer == nullptr) return Fail("adding the second printer");
  ClosePrinter(printer);
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  if (const int rc = PointPort(std::string(temp) + "vdrprueba2.ps", kSecondPort); rc != 0) return rc;
  return SetDefaultPrinterA(kPrinter) ? 0 : Fail("keeping the default printer");
}

int RemovePrinters(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(const_cast<char*>(name), &printer, &access)) {
      const BOOL deleted = DeletePrinter(printer);
      ClosePrinter(printer);
      if (!deleted) return Fail("removing a printer");
    }
  }
  return 0;
}

int Remove() {
  if (const int rc = RemovePrinters({kSecondPrinter, kPrinter}); rc != 0) return rc;
  DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(kDriver));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "install") return Install();
  if (command == "install-second") return InstallSecond();
  if (command == "remove-second") return RemovePrinters({kSecondPrinter});
  if (command == "remove") return Remove();
  if (command == "port" && argc > 2) return PointPort(argv[2]);
  std::fprintf(stderr, "usage: testprinter install | install-second | remove-second | remove | port FILE\n");
  return 2;
}
