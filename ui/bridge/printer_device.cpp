#include "ui/bridge/printer_device.h"

#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "runtime/function_table.h"
#include "ui/bridge/wrapper_args.h"

namespace ui {
namespace {

using namespace wrap;

constexpr DWORD kReturnDcFlags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE;
constexpr DWORD kSetupFlags = PD_PRINTSETUP | PD_ENABLESETUPHOOK | PD_USEDEVMODECOPIES;
constexpr std::size_t kDocNameLimit = 31;
// PASSTHROUGH data starts with a 16-bit count.
constexpr std::size_t kPassThroughChunk = 32 * 1024;

PRINTDLGA g_record{};
bool g_read = false;

UINT_PTR CALLBACK DefaultProcessing(HWND, UINT, WPARAM, LPARAM) { return 0; }

void FreeBlocks() {
  if (g_record.hDevMode != nullptr) ::GlobalFree(g_record.hDevMode);
  if (g_record.hDevNames != nullptr) ::GlobalFree(g_record.hDevNames);
  g_record.hDevMode = nullptr;
  g_record.hDevNames = nullptr;
}

// Fills the record from the default printer the first time it is needed.
void ReadDefaultPrinter() {
  if (g_read) return;
  g_read = true;
  FreeBlocks();
  g_record = PRINTDLGA{};
  g_record.lStructSize = sizeof g_record;
  g_record.hwndOwner = ::GetActiveWindow();
  g_record.Flags = PD_RETURNDEFAULT;
  g_record.nMinPage = 1;
  g_record.nMaxPage = 65535;
  if (!::PrintDlgA(&g_record)) {
    // Nothing was handed over; make sure no stale handle stays.
    g_record.hDevMode = nullptr;
    g_record.hDevNames = nullptr;
  }
}

// The DEVMODE block locked for one change or read; empty with no printer.
class LockedMode {
 public:
  LockedMode() {
    ReadDefaultPrinter();
    if (g_record.hDevMode != nullptr) mode_ = static_cast<DEVMODEA*>(::GlobalLock(g_record.hDevMode));
  }
  ~LockedMode() {
    if (mode_ != nullptr) ::GlobalUnlock(g_record.hDevMode);
  }
  LockedMode(const LockedMode&) = delete;
  LockedMode& operator=(const LockedMode&) = delete;
  DEVMODEA* operator->() const { return mode_; }
  DEVMODEA* get() const { return mode_; }
  explicit operator bool() const { return mode_ != nullptr; }

 private:
  DEVMODEA* mode_ = nullptr;
};

// A string at an offset of the DEVNAMES block, kept inside the block.
std::string NameAt(const char* block, SIZE_T size, WORD offset) {
  if (offset >= size) return {};
  const char* start = block + offset;
  return std::string(start, strnlen(start, size - offset));
}

HGLOBAL CopyToBlock(const void* data, std::size_t size) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (block == nullptr) return nullptr;
  if (void* p = ::GlobalLock(block)) {
    std::memcpy(p, data, size);
    ::GlobalUnlock(block);
  }
  return block;
}

HGLOBAL DevNamesBlock(const PrinterNames& names) {
  const std::size_t header = sizeof(DEVNAMES);
  std::vector<char> bytes(header);
  auto add = [&](const std::string& s) {
    const auto offset = static_cast<WORD>(bytes.size());
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back('\0');
    return offset;
  };
  DEVNAMES dn{};
  dn.wDriverOffset = add(names.driver);
  dn.wDeviceOffset = add(names.device);
  dn.wOutputOffset = add(names.port);
  std::memcpy(bytes.data(), &dn, header);
  return CopyToBlock(bytes.data(), bytes.size());
}

}  // namespace

void PrinterInit() {
  FreeBlocks();
  g_read = false;
}

HDC GetPrintDC(HWND owner) {
  ReadDefaultPrinter();
  g_record.hwndOwner = owner;
  g_record.Flags = kReturnDcFlags;
  g_record.hDC = nullptr;
  if (!::PrintDlgA(&g_record)) return nullptr;
  return g_record.hDC;
}

void PrinterSetup(std::optional<HWND> owner) {
  ReadDefaultPrinter();
  g_record.hwndOwner = owner ? *owner : ::GetActiveWindow();
  g_record.Flags = kSetupFlags;
  g_record.lpfnSetupHook = &DefaultProcessing;
  ::PrintDlgA(&g_record);
  g_record.lpfnSetupHook = nullptr;
}

HDC GetPrintDefault() {
  ReadDefaultPrinter();
  if (g_record.hDevNames == nullptr) return nullptr;
  const PrinterNames names = PrnGetNames();
  LockedMode mode;
  return ::CreateDCA(names.driver.c_str(), names.device.c_str(), names.port.empty() ? nullptr : names.port.c_str(),
                     mode.get());
}

bool SelectPrinter(const PrinterNames& model) {
  HANDLE printer = nullptr;
  if (!::OpenPrinterA(const_cast<char*>(model.device.c_str()), &printer, nullptr)) return false;
  const LONG size = ::DocumentPropertiesA(nullptr, printer, const_cast<char*>(model.device.c_str()), nullptr, nullptr, 0);
  std::vector<char> mode(size > 0 ? static_cast<std::size_t>(size) : 0);
  const bool got = size > 0 && ::DocumentPropertiesA(nullptr, printer, const_cast<char*>(model.device.c_str()),
                                                     reinterpret_cast<DEVMODEA*>(mode.data()), nullptr,
                                                     DM_OUT_BUFFER) == IDOK;
  ::ClosePrinter(printer);
  if (!got) return false;
  HGLOBAL mode_block = CopyToBlock(mode.data(), mode.size());
  HGLOBAL names_block = DevNamesBlock(model);
  if (mode_block == nullptr || names_block == nullptr) {
    if (mode_block != nullptr) ::GlobalFree(mode_block);
    if (names_block != nullptr) ::GlobalFree(names_block);
    return false;
  }
  ReadDefaultPrinter();
  FreeBlocks();
  g_record.hDevMode = mode_block;
  g_record.hDevNames = names_block;
  return true;
}

bool ResetPrinterDC(HDC dc) {
  LockedMode mode;
  if (!mode || dc == nullptr) return false;
  return ::ResetDCA(dc, mode.get()) != nullptr;
}

DWORD ComDlgExtendedError() { return ::CommDlgExtendedError(); }

void PrnLandscape() {
  if (LockedMode mode; mode) mode->dmOrientation = DMORIENT_LANDSCAPE;
}

void PrnPortrait() {
  if (LockedMode mode; mode) mode->dmOrientation = DMORIENT_PORTRAIT;
}

int PrnGetOrientation() {
  LockedMode mode;
  return mode && mode->dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
}

void PrnSetSize(int width, int length) {
  if (LockedMode mode; mode) {
    mode->dmFields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
    mode->dmPaperSize = DMPAPER_USER;
    mode->dmPaperWidth = static_cast<short>(width);
    mode->dmPaperLength = static_cast<short>(length);
  }
}

void PrnSetPage(int paper_size) {
  if (LockedMode mode; mode) mode->dmPaperSize = static_cast<short>(paper_size);
}

void PrnSetCopies(int copies) {
  if (LockedMode mode; mode) mode->dmCopies = static_cast<short>(copies);
}

int PrnBinSource(std::optional<int> bin) {
  LockedMode mode;
  if (!mode) return 0;
  const int before = mode->dmDefaultSource;
  if (bin) mode->dmDefaultSource = static_cast<short>(*bin);
  return before;
}

void PrnDraftMode(bool draft) {
  if (LockedMode mode; mode) {
    mode->dmFields |= DM_PRINTQUALITY;
    mode->dmPrintQuality = static_cast<short>(draft ? DMRES_DRAFT : DMRES_HIGH);
  }
}

PrinterNames PrnGetNames() {
  ReadDefaultPrinter();
  PrinterNames names;
  if (g_record.hDevNames == nullptr) return names;
  const SIZE_T size = ::GlobalSize(g_record.hDevNames);
  const auto* block = static_cast<const char*>(::GlobalLock(g_record.hDevNames));
  if (block == nullptr || size < sizeof(DEVNAMES)) {
    if (block != nullptr) ::GlobalUnlock(g_record.hDevNames);
    return names;
  }
  DEVNAMES dn;
  std::memcpy(&dn, block, sizeof dn);
  names.driver = NameAt(block, size, dn.wDriverOffset);
  names.device = NameAt(block, size, dn.wDeviceOffset);
  names.port = NameAt(block, size, dn.wOutputOffset);
  ::GlobalUnlock(g_record.hDevNames);
  return names;
}

int PrnFromPage() {
  ReadDefaultPrinter();
  return g_record.nFromPage;
}

int PrnToPage() {
  ReadDefaultPrinter();
  return g_record.nToPage;
}

std::optional<DEVMODEA> PrnDevMode() {
  LockedMode mode;
  if (!mode) return std::nullopt;
  return *mode.get();
}

POINT PrnOffset(HDC dc) {
  return POINT{::GetDeviceCaps(dc, PHYSICALOFFSETX), ::GetDeviceCaps(dc, PHYSICALOFFSETY)};
}

SIZE PrnGetSize(HDC dc) {
  return SIZE{::GetDeviceCaps(dc, PHYSICALWIDTH), ::GetDeviceCaps(dc, PHYSICALHEIGHT)};
}

bool ImportRawFile(HDC dc, const std::string& file) {
  auto supports = [dc](int escape) {
    return ::Escape(dc, QUERYESCSUPPORT, sizeof escape, reinterpret_cast<LPCSTR>(&escape), nullptr) > 0;
  };
  if (dc == nullptr || !supports(PASSTHROUGH) || !supports(EPSPRINTING)) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const WORD on = 1;
  ::Escape(dc, EPSPRINTING, sizeof on, reinterpret_cast<LPCSTR>(&on), nullptr);
  std::vector<char> chunk;
  for (std::size_t at = 0; at < bytes.size(); at += kPassThroughChunk) {
    const std::size_t n = std::min(kPassThroughChunk, bytes.size() - at);
    const auto count = static_cast<WORD>(n);
    chunk.resize(sizeof count + n);
    std::memcpy(chunk.data(), &count, sizeof count);
    std::memcpy(chunk.data() + sizeof count, bytes.data() + at, n);
    if (::Escape(dc, PASSTHROUGH, static_cast<int>(chunk.size()), chunk.data(), nullptr) <= 0) return false;
  }
  return !bytes.empty();
}

int StartPrintDoc(HDC dc, std::string& name, const std::optional<std::string>& output) {
  if (name.size() > kDocNameLimit) name.resize(kDocNameLimit);
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = name.c_str();
  if (output) info.lpszOutput = output->c_str();
  return ::StartDocA(dc, &info);
}

void RegisterPrinterFunctions() {
  using xb::RegisterFunction;
  RegisterFunction("PRINTERINIT", [](Args&) { PrinterInit(); return Value(); });
  RegisterFunction("GETPRINTDC", [](Args& a) { return Ptr(GetPrintDC(Hd<HWND>(a, 1))); });
  RegisterFunction("PRINTERSETUP", [](Args& a) {
    PrinterSetup(a.Count() > 0 ? std::optional<HWND>(Hd<HWND>(a, 1)) : std::nullopt);
    return Value();
  });
  RegisterFunction("GETPRINTDEFAULT", [](Args&) { return Ptr(GetPrintDefault()); });
  RegisterFunction("RESETDC", [](Args& a) { return Log(ResetPrinterDC(Hd<HDC>(a, 1))); });
  RegisterFunction("COMDLGXERR", [](Args&) { return Num(ComDlgExtendedError()); });
  RegisterFunction("PRNLANDSCAPE", [](Args&) { PrnLandscape(); return Log(true); });
  RegisterFunction("PRNPORTRAIT", [](Args&) { PrnPortrait(); return Log(true); });
  RegisterFunction("PRNGETORIENTATION", [](Args&) { return Num(PrnGetOrientation()); });
  RegisterFunction("PRNSETSIZE", [](Args& a) { PrnSetSize(I(a, 1), I(a, 2)); return Value(); });
  RegisterFunction("PRNSETPAGE", [](Args& a) { PrnSetPage(I(a, 1)); return Value(); });
  RegisterFunction("PRNSETCOPIES", [](Args& a) {
    PrnSetCopies(a.Count() == 2 ? I(a, 2) : I(a, 1));
    return Log(true);
  });
  RegisterFunction("PRNBINSOURCE", [](Args& a) {
    return Num(PrnBinSource(a.Count() > 0 ? std::optional<int>(I(a, 1)) : std::nullopt));
  });
  RegisterFunction("DRAFTMODE", [](Args& a) { PrnDraftMode(B(a, 1)); return Value(); });
  RegisterFunction("PRNGETNAME", [](Args&) { return Str(PrnGetNames().device); });
  RegisterFunction("PRNGETPORT", [](Args&) { return Str(PrnGetNames().port); });
  RegisterFunction("PRNGETDRIVE", [](Args&) { return Str(PrnGetNames().driver); });
  RegisterFunction("PRNOFFSET", [](Args& a) {
    const POINT p = PrnOffset(Hd<HDC>(a, 1));
    return XY(p.x, p.y);
  });
  RegisterFunction("PRNGETSIZE", [](Args& a) {
    const SIZE s = PrnGetSize(Hd<HDC>(a, 1));
    return XY(s.cx, s.cy);
  });
  RegisterFunction("IMPORTRAWFILE", [](Args& a) {
    ImportRawFile(Hd<HDC>(a, 1), S(a, 2));
    return Value();
  });
  // STARTDOC(hDC, cDocName, [cOutput]): the short name goes back only through a reference.
  RegisterFunction("STARTDOC", [](Args& a) {
    std::string name = S(a, 2);
    const bool longer = name.size() > kDocNameLimit;
    const std::optional<std::string> output =
        a.Arg(3).IsString() ? std::optional<std::string>(S(a, 3)) : std::nullopt;
    const int job = StartPrintDoc(Hd<HDC>(a, 1), name, output);
    if (longer && a.IsByRef(2)) a.SetRef(2, Str(name));
    return Num(job);
  });
  RegisterFunction("ENDDOC", [](Args& a) { return Num(::EndDoc(Hd<HDC>(a, 1))); });
  RegisterFunction("STARTPAGE", [](Args& a) { return Num(::StartPage(Hd<HDC>(a, 1))); });
  RegisterFunction("ENDPAGE", [](Args& a) { return Num(::EndPage(Hd<HDC>(a, 1))); });
}

}  // namespace ui
