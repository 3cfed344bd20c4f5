#include "output/printer_helpers.h"

#include <commdlg.h>
#include <winspool.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "data/program_settings.h"
#include "output/set_get.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/profile.h"
#include "ui/controls/tcheckbox.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kNotice =
    "El driver de su impresora ha provocado un comportamiento inesperado en la aplicación. Asegúrese de que el "
    "driver que utiliza es compatible. En caso de no serlo, consulte con el servicio técnico o emule otro del "
    "mismo fabricante.";

std::string g_user;
std::vector<char> g_devmode;  // the settings block held
// What the user set in a printer's own settings dialog, by printer, where the spooler could
// not keep it: those printers' settings for the rest of the run.
std::map<std::string, std::vector<char>> g_user_settings;

constexpr int kLargestSettings = 1199;

bool Exists(const std::string& file) { return ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The flag file lives while the scope does.
class FlagScope {
 public:
  FlagScope() {
    HANDLE h = ::CreateFileA(FlagFilePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  ~FlagScope() { QzFlagC(); }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;
};

HANDLE OpenNamedPrinter(const std::string& name) {
  HANDLE printer = nullptr;
  if (!::OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr)) return nullptr;
  return printer;
}

// What the user set in a printer's own settings dialog: the printer's settings for this user,
// kept by the spooler (as the printers' own preferences are), so that later runs take them
// too. Empty when the user set nothing.
std::vector<char> UserSettings(const std::string& name) {
  const auto found = g_user_settings.find(name);
  if (found != g_user_settings.end()) return found->second;
  std::vector<char> mode;
  HANDLE printer = OpenNamedPrinter(name);
  if (printer == nullptr) return mode;
  DWORD needed = 0;
  ::GetPrinterA(printer, 9, nullptr, 0, &needed);
  if (needed >= sizeof(PRINTER_INFO_9A)) {
    std::vector<BYTE> info(needed);
    if (::GetPrinterA(printer, 9, info.data(), needed, &needed)) {
      const DEVMODEA* dm = reinterpret_cast<const PRINTER_INFO_9A*>(info.data())->pDevMode;
      const BYTE* end = info.data() + info.size();
      if (dm != nullptr && reinterpret_cast<const BYTE*>(dm) >= info.data() &&
          reinterpret_cast<const BYTE*>(dm) + sizeof(DEVMODEA) <= end) {
        const std::size_t size = static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra;
        if (size >= offsetof(DEVMODEA, dmFields) + sizeof(DWORD) && reinterpret_cast<const BYTE*>(dm) + size <= end)
          mode.assign(reinterpret_cast<const char*>(dm), reinterpret_cast<const char*>(dm) + size);
      }
    }
  }
  ::ClosePrinter(printer);
  return mode;
}

// Keeps (or, with no settings, forgets) the user's settings of a printer with the spooler;
// where it cannot, for the rest of the run.
void KeepUserSettings(const std::string& name, std::vector<char> mode) {
  bool kept = false;
  if (HANDLE printer = OpenNamedPrinter(name); printer != nullptr) {
    PRINTER_INFO_9A info{mode.empty() ? nullptr : reinterpret_cast<DEVMODEA*>(mode.data())};
    kept = ::SetPrinterA(printer, 9, reinterpret_cast<BYTE*>(&info), 0) != FALSE;
    ::ClosePrinter(printer);
  }
  if (kept || mode.empty()) g_user_settings.erase(name);
  else g_user_settings[name] = std::move(mode);
}

std::intptr_t N(const void* h) { return reinterpret_cast<std::intptr_t>(h); }
template <typename H>
H Hd(const Args& a, int n) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(a.Int(n)));
}

// The device names block of the print dialog for one printer.
HGLOBAL DevNamesOf(const std::string& driver, const std::string& name, const std::string& port) {
  const std::size_t size = sizeof(DEVNAMES) + driver.size() + name.size() + port.size() + 3;
  HGLOBAL block = ::GlobalAlloc(GHND, size);
  if (block == nullptr) return nullptr;
  auto* names = static_cast<DEVNAMES*>(::GlobalLock(block));
  char* text = reinterpret_cast<char*>(names);
  WORD at = sizeof(DEVNAMES);
  for (auto [offset, value] : {std::pair{&names->wDriverOffset, &driver}, std::pair{&names->wDeviceOffset, &name},
                               std::pair{&names->wOutputOffset, &port}}) {
    *offset = at;
    std::memcpy(text + at, value->c_str(), value->size() + 1);
    at = static_cast<WORD>(at + value->size() + 1);
  }
  ::GlobalUnlock(block);
  return block;
}

}  // namespace

// ---- the flag file ---------------------------------------------------------------------------------

void SetUser(const std::string& code) { g_user = code; }
std::string FlagFilePath() { return data::cPathExe() + "~Flag" + g_user + ".flg"; }
bool FlagFile() { return Exists(FlagFilePath()); }
void QzFlagC() { ::DeleteFileA(FlagFilePath().c_str()); }
std::string InitPrnIni() { return data::cPathExe() + "InitPrn.QZ"; }

bool InitPrnMsg() {
  const bool crashed = FlagFile();
  QzFlagC();
  const std::string key = "SHOW" + g_user;
  const std::string show = ui::GetPvProfString("INFO", key, "NO", InitPrnIni());
  if (!crashed && show != "SI") return true;
  bool dont_show = false;
  if (ui::Unattended()) {
    ui::TellUnattended("", kNotice);
  } else {
    ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(27002));
    svc::Label(dialog, 90, kNotice);
    svc::Picture(dialog, 600, "BMP_LOGO_QZ_INIT_PRN");
    auto cell = std::make_shared<Value>(Value::Logical(false));
    auto check = xb::MakeRef<ui::TCheckBox>();
    check->ReDefine({.id = 200, .set_get = SetGet(cell),
                     .parent = dialog});
    svc::Button(dialog, 400, [d = dialog.get()] { d->End(400); });
    svc::RunDialog(dialog);
    dont_show = cell->AsLogical();
  }
  if (crashed) ui::WritePProString("INFO", key, "SI", InitPrnIni());
  if (dont_show) ui::WritePProString("INFO", key, "NO", InitPrnIni());
  return true;
}

// ---- contexts --------------------------------------------------------------------------------------

HDC DcImpresora(const std::string& name, const std::string& port, const std::string& driver, bool use_settings) {
  const DEVMODEA* mode = use_settings ? HeldDevMode() : nullptr;
  std::vector<char> user;
  if (!use_settings) {
    ResetDm();
    user = UserSettings(name);
    if (!user.empty()) mode = reinterpret_cast<const DEVMODEA*>(user.data());
  }
  FlagScope flag;
  return ::CreateDCA(driver.c_str(), name.c_str(), port.empty() ? nullptr : port.c_str(), mode);
}

HDC IcImpresora(const std::string& name, const std::string& port, const std::string& driver) {
  return ::CreateICA(driver.c_str(), name.c_str(), port.empty() ? nullptr : port.c_str(), nullptr);
}

bool DcDlgImpresora(std::string& name, std::string& port, std::string& driver, HDC& dc, PageRange& pages,
                    HWND owner) {
  // Nobody watches: the dialog answers as its default button would, the printer proposed, all pages.
  if (ui::Unattended()) {
    pages = PageRange{};
    dc = DcImpresora(name, port, driver);
    return dc != nullptr;
  }
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.hDevNames = DevNamesOf(driver, name, port);
  if (GetDm(driver, name, port)) {
    pd.hDevMode = ::GlobalAlloc(GHND, g_devmode.size());
    if (pd.hDevMode != nullptr) {
      std::memcpy(::GlobalLock(pd.hDevMode), g_devmode.data(), g_devmode.size());
      ::GlobalUnlock(pd.hDevMode);
    }
  }
  pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  pd.nMinPage = 1;
  pd.nMaxPage = 9999;
  pd.nFromPage = 1;
  pd.nToPage = 9999;
  pd.nCopies = 1;
  const bool ok = ::PrintDlgA(&pd) != FALSE;
  pages = PageRange{};
  if (ok) {
    if (pd.hDevNames != nullptr) {
      const auto* names = static_cast<const DEVNAMES*>(::GlobalLock(pd.hDevNames));
      const char* text = reinterpret_cast<const char*>(names);
      driver = text + names->wDriverOffset;
      name = text + names->wDeviceOffset;
      port = text + names->wOutputOffset;
      ::GlobalUnlock(pd.hDevNames);
    }
    dc = pd.hDC;
    if ((pd.Flags & PD_PAGENUMS) != 0) pages = PageRange{true, pd.nFromPage, pd.nToPage};
  }
  if (pd.hDevNames != nullptr) ::GlobalFree(pd.hDevNames);
  if (pd.hDevMode != nullptr) ::GlobalFree(pd.hDevMode);
  return ok;
}

// ---- the settings block ------------------------------------------------------------------------------

bool GetDm(const std::string& driver, const std::string& name, const std::string& port) {
  (void)driver;
  (void)port;
  ResetDm();
  HANDLE printer = OpenNamedPrinter(name);
  if (printer == nullptr) {
    char text[64];
    std::snprintf(text, sizeof text, "Error driver = %lu", static_cast<unsigned long>(::GetLastError()));
    ui::MsgStop(Value::String(text), "Error de impresión");
    return false;
  }
  const LONG size = ::DocumentPropertiesA(nullptr, printer, const_cast<char*>(name.c_str()), nullptr, nullptr, 0);
  if (size > 0) {
    g_devmode.assign(static_cast<std::size_t>(size), 0);
    // The driver's settings, with what the user set in its dialog over them.
    const std::vector<char> user = UserSettings(name);
    const auto* in = user.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(user.data());
    if (::DocumentPropertiesA(nullptr, printer, const_cast<char*>(name.c_str()),
                              reinterpret_cast<DEVMODEA*>(g_devmode.data()), const_cast<DEVMODEA*>(in),
                              DM_OUT_BUFFER | (in != nullptr ? DM_IN_BUFFER : 0)) != IDOK)
      g_devmode.clear();
  }
  ::ClosePrinter(printer);
  return !g_devmode.empty();
}

void ResetDm() { g_devmode.clear(); }

const DEVMODEA* HeldDevMode() {
  return g_devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(g_devmode.data());
}

int GetDmField(int n) {
  const DEVMODEA* dm = HeldDevMode();
  if (dm == nullptr) return 0;
  switch (n) {
    case 6: return static_cast<int>(dm->dmFields);
    case 7: return dm->dmOrientation;
    case 8: return dm->dmPaperSize;
    case 9: return dm->dmPaperLength;
    case 10: return dm->dmPaperWidth;
    case 12: return dm->dmCopies;
    default: return 0;
  }
}

void SetDmField(int n, int value) {
  if (g_devmode.empty()) return;
  auto* dm = reinterpret_cast<DEVMODEA*>(g_devmode.data());
  switch (n) {
    case 6: dm->dmFields = static_cast<DWORD>(value); break;
    case 7: dm->dmOrientation = static_cast<short>(value); break;
    case 8: dm->dmPaperSize = static_cast<short>(value); break;
    case 9: dm->dmPaperLength = static_cast<short>(value); break;
    case 10: dm->dmPaperWidth = static_cast<short>(value); break;
    case 12: dm->dmCopies = static_cast<short>(value == 0 ? 1 : value); break;
    default: break;
  }
}

void SetPrnConf(const std::string& driver, const std::string& name, const std::string& port) {
  if (!GetDm(driver, name, port)) return;
  if (g_devmode.size() > static_cast<std::size_t>(kLargestSettings)) {
    ui::MsgInfo(Value::String("No se ha podido acceder a la configuración de la impresora. Si desea modificar los "
                              "parámetros de la impresora, utilice Panel de Control, Impresoras en el Menú Inicio de "
                              "Windows"),
                " Información");
    return;
  }
  HANDLE printer = OpenNamedPrinter(name);
  if (printer == nullptr) return;
  std::vector<char> out(g_devmode.size());
  if (::DocumentPropertiesA(::GetActiveWindow(), printer, const_cast<char*>(name.c_str()),
                            reinterpret_cast<DEVMODEA*>(out.data()), reinterpret_cast<DEVMODEA*>(g_devmode.data()),
                            DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT) == IDOK) {
    g_devmode = out;
    ::ClosePrinter(printer);
    KeepUserSettings(name, std::move(out));
    return;
  }
  ::ClosePrinter(printer);
}

void ForgetPrinterSettings(const std::string& name) { KeepUserSettings(name, {}); }

// ---- lists -------------------------------------------------------------------------------------------

std::vector<std::string> LListaImpresoras() { return ui::GetPvProfEntries("devices", ""); }

std::vector<int> GetPrnCaps(const std::string& name, const std::string& port, const std::string& driver,
                            int capability) {
  (void)driver;
  const char* p = port.empty() ? nullptr : port.c_str();
  const int count = ::DeviceCapabilitiesA(name.c_str(), p, static_cast<WORD>(capability), nullptr, nullptr);
  std::vector<int> values;
  if (count <= 0) return values;
  if (capability == DC_PAPERS) {
    std::vector<WORD> papers(static_cast<std::size_t>(count));
    ::DeviceCapabilitiesA(name.c_str(), p, DC_PAPERS, reinterpret_cast<char*>(papers.data()), nullptr);
    values.assign(papers.begin(), papers.end());
  } else if (capability == DC_PAPERSIZE) {
    std::vector<POINT> sizes(static_cast<std::size_t>(count));
    ::DeviceCapabilitiesA(name.c_str(), p, DC_PAPERSIZE, reinterpret_cast<char*>(sizes.data()), nullptr);
    for (const POINT& s : sizes) {
      values.push_back(s.x);
      values.push_back(s.y);
    }
  } else {
    std::vector<WORD> raw(static_cast<std::size_t>(count) * 64);
    ::DeviceCapabilitiesA(name.c_str(), p, static_cast<WORD>(capability), reinterpret_cast<char*>(raw.data()),
                          nullptr);
    values.assign(raw.begin(), raw.begin() + count);
  }
  return values;
}

// ---- the spooler -----------------------------------------------------------------------------------

int Impre2Cd(HDC dc, const std::string& document) {
  std::string name = document.empty() ? "Listado QZ" : document;
  DOCINFOA info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = name.c_str();
  return ::StartDocA(dc, &info);
}
int Impre2Cp(HDC dc) { return ::StartPage(dc); }
int Impre2Fp(HDC dc) { return ::EndPage(dc); }
int Impre2Fd(HDC dc) { return ::EndDoc(dc); }
int Impre2Ad(HDC dc) { return ::AbortDoc(dc); }

HFONT CreateIFont(const xb::Array& description) {
  const LOGFONTA font = ui::LogFontOf(description);
  return ::CreateFontIndirectA(&font);
}

// ---- registration ----------------------------------------------------------------------------------

void RegisterPrinterHelpers() {
  using xb::RegisterFunction;
  RegisterFunction("SETUSER", [](Args& a) {
    SetUser(std::string(a.Str(1)));
    return Value();
  });
  RegisterFunction("FLAGFILE", [](Args&) { return Value::Logical(FlagFile()); });
  RegisterFunction("QZFLAGC", [](Args&) {
    QzFlagC();
    return Value();
  });
  RegisterFunction("INITPRNMSG", [](Args&) { return Value::Logical(InitPrnMsg()); });
  RegisterFunction("DCIMPRESORA", [](Args& a) {
    return Value::Integer(N(DcImpresora(std::string(a.Str(1)), std::string(a.Str(2)), std::string(a.Str(3)), a.Log(4))));
  });
  RegisterFunction("ICIMPRESORA", [](Args& a) {
    return Value::Integer(N(IcImpresora(std::string(a.Str(1)), std::string(a.Str(2)), std::string(a.Str(3)))));
  });
  // DCDLGIMPRESORA( @cName, @cPort, @cDriver, @hDC, aPages, hWndOwner )
  RegisterFunction("DCDLGIMPRESORA", [](Args& a) {
    std::string name(a.Str(1)), port(a.Str(2)), driver(a.Str(3));
    HDC dc = nullptr;
    PageRange pages;
    const bool ok = DcDlgImpresora(name, port, driver, dc, pages, Hd<HWND>(a, 6));
    if (ok) {
      a.SetRef(1, Value::String(name));
      a.SetRef(2, Value::String(port));
      a.SetRef(3, Value::String(driver));
      a.SetRef(4, Value::Integer(N(dc)));
    }
    if (xb::Array range = a.Arr(5)) {
      range.Resize(3);
      range[0] = Value::Logical(pages.range);
      range[1] = Value::Integer(pages.from);
      range[2] = Value::Integer(pages.to);
    }
    return Value::Logical(ok);
  });
  RegisterFunction("GETDM", [](Args& a) {
    return Value::Logical(GetDm(std::string(a.Str(1)), std::string(a.Str(2)), std::string(a.Str(3))));
  });
  RegisterFunction("RESETDM", [](Args&) {
    ResetDm();
    return Value();
  });
  RegisterFunction("GETDMFIELD", [](Args& a) { return Value::Integer(GetDmField(static_cast<int>(a.Int(1)))); });
  RegisterFunction("SETDMFIELD", [](Args& a) {
    SetDmField(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)));
    return Value();
  });
  RegisterFunction("SETPRNCONF", [](Args& a) {
    SetPrnConf(std::string(a.Str(1)), std::string(a.Str(2)), std::string(a.Str(3)));
    return Value();
  });
  RegisterFunction("LLISTAIMPRESORAS", [](Args&) {
    xb::Array list = xb::Array::New();
    for (const std::string& name : LListaImpresoras()) list.Append(Value::String(name));
    return Value(list);
  });
  // GETPRNCAPS( cName, cPort, cDriver, nCapability, @nCount )
  RegisterFunction("GETPRNCAPS", [](Args& a) {
    const std::vector<int> values =
        GetPrnCaps(std::string(a.Str(1)), std::string(a.Str(2)), std::string(a.Str(3)), static_cast<int>(a.Int(4)));
    xb::Array list = xb::Array::New();
    for (int v : values) list.Append(Value::Integer(v));
    a.SetRef(5, Value::Integer(static_cast<std::int64_t>(values.size())));
    return Value(list);
  });
  RegisterFunction("IMPRE2CD", [](Args& a) { return Value::Integer(Impre2Cd(Hd<HDC>(a, 1), std::string(a.Str(2)))); });
  RegisterFunction("IMPRE2CP", [](Args& a) { return Value::Integer(Impre2Cp(Hd<HDC>(a, 1))); });
  RegisterFunction("IMPRE2FP", [](Args& a) { return Value::Integer(Impre2Fp(Hd<HDC>(a, 1))); });
  RegisterFunction("IMPRE2FD", [](Args& a) { return Value::Integer(Impre2Fd(Hd<HDC>(a, 1))); });
  RegisterFunction("IMPRE2AD", [](Args& a) { return Value::Integer(Impre2Ad(Hd<HDC>(a, 1))); });
  RegisterFunction("ALINEAR", [](Args& a) {
    return Value::Integer(static_cast<std::int64_t>(::SetTextAlign(Hd<HDC>(a, 1), static_cast<UINT>(a.Int(2)))));
  });
  RegisterFunction("ALIGNTEXT", [](Args& a) {
    return Value::Integer(static_cast<std::int64_t>(::SetTextAlign(Hd<HDC>(a, 1), static_cast<UINT>(a.Int(2)))));
  });
  RegisterFunction("TICKS", [](Args&) { return Value::Integer(static_cast<std::int64_t>(::GetTickCount())); });
  RegisterFunction("CREATEIFONT", [](Args& a) { return Value::Integer(N(CreateIFont(a.Arr(1)))); });
  RegisterFunction("GETLFFONT", [](Args& a) {
    LOGFONTA font = {};
    ::GetObjectA(Hd<HFONT>(a, 1), sizeof font, &font);
    return Value(ui::FontArray(font));
  });
  RegisterFunction("GET3LFFONT", [](Args& a) {
    LOGFONTA font = {};
    if (a.Arg(1).IsObject() && xb::HasMessage(a.Arg(1), xb::Intern("HFONT")))
      ::GetObjectA(reinterpret_cast<HFONT>(static_cast<std::intptr_t>(xb::Send(a.Arg(1), "HFONT").AsInt())), sizeof font,
                   &font);
    return Value(ui::FontArray(font));
  });
  RegisterFunction("GETDEFFONT", [](Args&) {
    LOGFONTA font = {};
    ::GetObjectA(::GetStockObject(SYSTEM_FONT), sizeof font, &font);
    return Value(ui::FontArray(font));
  });
  // CHFONT( aFont, hDC, @lOk, lScreen ): the font chooser; the font chosen, or the one given.
  RegisterFunction("CHFONT", [](Args& a) {
    ui::ChooseFontParams p;
    if (xb::Array given = a.Arr(1)) p.font = ui::LogFontOf(given);
    if (!a.Log(4)) p.printer = Hd<HDC>(a, 2);
    const ui::ChosenFont chosen = ui::ChooseFontDialog(p);
    a.SetRef(3, Value::Logical(chosen.confirmed));
    return Value(ui::FontArray(chosen.font));
  });
  RegisterFunction("NSYSSIZE", [](Args& a) { return Value::Integer(::GetSystemMetrics(static_cast<int>(a.Int(1)))); });
  // RECTTEXT( nTop, nLeft, nBottom, nRight, hDC, cText, nFlags )
  RegisterFunction("RECTTEXT", [](Args& a) {
    RECT r{static_cast<LONG>(a.Int(2)), static_cast<LONG>(a.Int(1)), static_cast<LONG>(a.Int(4)),
           static_cast<LONG>(a.Int(3))};
    const std::string text(a.Str(6));
    return Value::Integer(::DrawTextA(Hd<HDC>(a, 5), text.c_str(), static_cast<int>(text.size()), &r,
                                      static_cast<UINT>(a.Int(7))));
  });
  RegisterFunction("MOVECP", [](Args& a) {
    return Value::Logical(::MoveToEx(Hd<HDC>(a, 1), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)), nullptr) != 0);
  });
  RegisterFunction("LINECP", [](Args& a) {
    return Value::Logical(::LineTo(Hd<HDC>(a, 1), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3))) != 0);
  });
  RegisterFunction("LISANYPRINTER", [](Args&) {
    return Value::Logical(!ui::GetProfString("Windows", "device", "").empty());
  });
}

}  // namespace output
