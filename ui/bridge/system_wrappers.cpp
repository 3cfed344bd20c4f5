#include "ui/bridge/system_wrappers.h"

#include <windows.h>
#include <cpuid.h>
#include <lzexpand.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "runtime/function_table.h"
#include "ui/bridge/wrapper_args.h"

namespace ui {
namespace {

using namespace wrap;

constexpr std::string_view kCpuFailed = "GetCPU() failed!";

bool HasCacheDescriptor(const std::array<std::uint32_t, 4>& leaf2) {
  for (int i = 1; i < 16; ++i) {
    const auto b = static_cast<std::uint8_t>(leaf2[static_cast<size_t>(i / 4)] >> (8 * (i % 4)));
    if (b == 0x40 || b == 0x41 || b == 0x79) return true;
  }
  return false;
}

void RegisterSystem() {
  using xb::RegisterFunction;
  RegisterFunction("GETWINDIR", [](Args&) { return Str(WindowsFolder()); });
  RegisterFunction("GETMODULEFILENAME", [](Args& a) { return Str(ModuleFileName(Hd<HMODULE>(a, 1))); });
  RegisterFunction("GETVERSION", [](Args&) {
    const OSVERSIONINFOA v = WindowsVersion();
    return Value(xb::Array::Of({Num(v.dwMajorVersion), Num(v.dwMinorVersion), Num(v.dwBuildNumber),
                                Num(v.dwPlatformId), Str(v.szCSDVersion)}));
  });
  RegisterFunction("ISWINNT", [](Args&) { return Log((GetVersion() & 0x80000000u) == 0); });
  RegisterFunction("ISWIN95", [](Args&) {
    const DWORD v = GetVersion();
    return Log((v & 0x80000000u) != 0 && LOBYTE(LOWORD(v)) > 3);
  });
  RegisterFunction("QZ_ISWINNT", [](Args&) {
    const OSVERSIONINFOA v = WindowsVersion();
    return Log(VersionClass(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion) == 4);
  });
  RegisterFunction("GETNUMTASKS", [](Args&) { return Num(0); });
  RegisterFunction("GETCPU", [](Args&) { return Str(CpuName(ReadCpuid())); });
}

void RegisterRegistry() {
  using xb::RegisterFunction;
  RegisterFunction("REGOPENKEY", [](Args& a) {
    HKEY opened = nullptr;
    const LONG code = RegOpenKeyA(KeyOf(a.Int(1)), S(a, 2).c_str(), &opened);
    a.SetRef(3, Ptr(code == ERROR_SUCCESS ? opened : nullptr));
    return Num(code);
  });
  RegisterFunction("REGQUERYVALUE", [](Args& a) {
    const HKEY key = KeyOf(a.Int(1));
    const std::string sub = S(a, 2);
    const char* subkey = a.Arg(2).IsString() ? sub.c_str() : nullptr;
    LONG size = 0;
    LONG code = RegQueryValueA(key, subkey, nullptr, &size);
    std::string value;
    if (code == ERROR_SUCCESS && size > 0) {
      value.assign(static_cast<size_t>(size), '\0');
      code = RegQueryValueA(key, subkey, value.data(), &size);
      value.resize(code == ERROR_SUCCESS ? ::strnlen(value.data(), value.size()) : 0);
    }
    if (code == ERROR_SUCCESS) a.SetRef(3, Str(value));
    return Num(code);
  });
  RegisterFunction("REGCLOSEKEY", [](Args& a) { return Num(RegCloseKey(KeyOf(a.Int(1)))); });
}

// The folder chooser opens on `start` when one is given.
std::string BrowseFolder(const std::string& title, const std::string& start = {}) {
  char name[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = GetActiveWindow();
  info.pszDisplayName = name;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (!start.empty()) {
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    info.lpfn = [](HWND dialog, UINT message, LPARAM, LPARAM data) -> int {
      if (message == BFFM_INITIALIZED) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
      return 0;
    };
  }
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  if (chosen == nullptr) return {};
  char path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListA(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  return ok ? std::string(path) : std::string();
}

void RegisterDialogsAndFiles() {
  using xb::RegisterFunction;
  // CGETDIR(cTitle, cStartFolder)
  RegisterFunction("CGETDIR", [](Args& a) { return Str(BrowseFolder(S(a, 1), a.Arg(2).IsString() ? S(a, 2) : std::string())); });
  RegisterFunction("QZCGETDIR", [](Args& a) { return Str(BrowseFolder(S(a, 1))); });
  RegisterFunction("LZCOPYFILE", [](Args& a) {
    OFSTRUCT from_info = {}, to_info = {};
    std::string source = S(a, 1), target = S(a, 2);
    const INT from = LZOpenFileA(source.data(), &from_info, OF_READ);
    if (from < 0) return Num(from);
    const INT to = LZOpenFileA(target.data(), &to_info, OF_CREATE);
    if (to < 0) {
      LZClose(from);
      return Num(to);
    }
    const LONG copied = LZCopy(from, to);
    LZClose(to);
    LZClose(from);
    return Num(copied);
  });
  RegisterFunction("LOADSTRING", [](Args& a) {
    char text[4097] = {};
    const int n = LoadStringA(Hd<HINSTANCE>(a, 1), U(a, 2), text, sizeof text);
    return Str(std::string_view(text, n > 0 ? static_cast<size_t>(n) : 0));
  });
}

void RegisterHelpAtomsAndDde() {
  using xb::RegisterFunction;
  RegisterFunction("HELPCTRLHWND", [](Args& a) {
    const auto* info = Hd<const HELPINFO*>(a, 1);
    return info != nullptr ? Ptr(info->hItemHandle) : Num(0);
  });
  RegisterFunction("GLOBALADDATOM", [](Args& a) { return Num(GlobalAddAtomA(S(a, 1).c_str())); });
  RegisterFunction("GLOBALGETATOMNAME", [](Args& a) {
    char name[256] = {};
    const UINT n = GlobalGetAtomNameA(static_cast<ATOM>(a.Int(1)), name, sizeof name);
    return Str(std::string_view(name, n));
  });
  RegisterFunction("GLOBALDELATOM", [](Args& a) { return Num(GlobalDeleteAtom(static_cast<ATOM>(a.Int(1)))); });
  RegisterFunction("DDECOMMAND", [](Args& a) {
    const std::string_view text = a.Str(1);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (block == nullptr) return Num(0);
    auto* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    GlobalUnlock(block);
    return Ptr(block);
  });
  RegisterFunction("DDEGETCOMMAND", [](Args& a) {
    HGLOBAL block = Hd<HGLOBAL>(a, 1);
    const auto* bytes = block != nullptr ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (bytes == nullptr) return Str("");
    const std::string text(bytes, ::strnlen(bytes, GlobalSize(block)));
    GlobalUnlock(block);
    return Str(text);
  });
}

void RegisterText() {
  using xb::RegisterFunction;
  RegisterFunction("STRTOKEN", [](Args& a) {
    const std::string_view sep = a.Str(3);
    return Str(StrToken(a.Str(1), a.Int(2), sep.empty() ? ' ' : sep.front()));
  });
  RegisterFunction("STRCAPFIRST", [](Args& a) { return Str(StrCapFirst(a.Str(1))); });
  RegisterFunction("ANSITOOEM", [](Args& a) {
    std::string text = S(a, 1);
    std::string oem(text.size() + 1, '\0');
    CharToOemA(text.c_str(), oem.data());
    oem.resize(text.size());
    return Str(oem);
  });
  RegisterFunction("ISANSI", [](Args& a) { return Log(IsAnsi(a.Str(1))); });
  RegisterFunction("GETTM", [](Args& a) {
    TEXTMETRICA tm = {};
    char face[LF_FACESIZE] = {};
    HDC dc = Hd<HDC>(a, 1);
    if (!GetTextMetricsA(dc, &tm)) {
      tm = TEXTMETRICA{};
    } else {
      GetTextFaceA(dc, sizeof face, face);
    }
    return Value(xb::Array::Of(
        {Num(tm.tmHeight), Num(tm.tmAscent), Num(tm.tmDescent), Num(tm.tmInternalLeading),
         Num(tm.tmExternalLeading), Num(tm.tmAveCharWidth), Num(tm.tmMaxCharWidth), Num(tm.tmWeight),
         Log(tm.tmItalic != 0), Log(tm.tmUnderlined != 0), Log(tm.tmStruckOut != 0),
         Num(static_cast<unsigned char>(tm.tmFirstChar)), Num(static_cast<unsigned char>(tm.tmLastChar)),
         Num(static_cast<unsigned char>(tm.tmDefaultChar)), Num(static_cast<unsigned char>(tm.tmBreakChar)),
         Num(tm.tmPitchAndFamily), Num(tm.tmCharSet), Num(tm.tmOverhang), Num(tm.tmDigitizedAspectX),
         Num(tm.tmDigitizedAspectY), Str(face)}));
  });
  RegisterFunction("GETDIMTEXT", [](Args& a) {
    const std::string text = S(a, 2);
    SIZE size = {};
    GetTextExtentPointA(Hd<HDC>(a, 1), text.c_str(), static_cast<int>(text.size()), &size);
    return Value(xb::Array::Of({Num(size.cx), Num(size.cy)}));
  });
  RegisterFunction("BITAND", [](Args& a) { return Log((a.Int(1) & a.Int(2)) != 0); });
  // The system ships no 3-D control library: the look stays the system's own.
  RegisterFunction("CTL3DLOOK", [](Args&) { return Log(false); });
}

}  // namespace

CpuidLeaves ReadCpuid() {
  CpuidLeaves cpu;
  auto read = [](unsigned leaf, std::array<std::uint32_t, 4>& r) { __cpuid(leaf, r[0], r[1], r[2], r[3]); };
  read(0, cpu.leaf0);
  if (cpu.leaf0[0] >= 1) read(1, cpu.leaf1);
  if (cpu.leaf0[0] >= 2) read(2, cpu.leaf2);
  return cpu;
}

std::string CpuName(const CpuidLeaves& cpu) {
  if (cpu.leaf0[0] == 0) return std::string(kCpuFailed);
  switch (cpu.leaf1[1] & 0xFF) {
    case 1: return "Intel Celeron";
    case 2: return "Intel Pentium III";
    case 3: return "Intel Pentium III Xeon";
    case 8: return "Intel Pentium IV";
    default: break;
  }
  const std::uint32_t edx = cpu.leaf1[3];
  const bool mmx = (edx & (1u << 23)) != 0, sse = (edx & (1u << 25)) != 0, sse2 = (edx & (1u << 26)) != 0;
  switch ((cpu.leaf1[0] >> 8) & 0xF) {
    case 4: return "486";
    case 5: return mmx ? "Pentium MMX" : "Pentium classic";
    case 6:
      if (!mmx) return "Pentium Pro";
      if (!sse) return HasCacheDescriptor(cpu.leaf2) ? "(PII core) Celeron" : "Pentium II";
      if (!sse2) return HasCacheDescriptor(cpu.leaf2) ? "(PIII core) Celeron" : "Pentium III";
      return "Pentium IV";
    default: return std::string(kCpuFailed);
  }
}

int VersionClass(DWORD platform, DWORD major, DWORD minor) {
  if (platform == VER_PLATFORM_WIN32_WINDOWS) {
    if (minor == 0) return 1;
    if (minor == 10) return 2;
    if (minor == 90) return 3;
    return 0;
  }
  if (platform == VER_PLATFORM_WIN32_NT) {
    if (major == 4) return 4;
    if (major == 5 && minor == 0) return 5;
    if (major >= 5) return 6;
  }
  return 0;
}

OSVERSIONINFOA WindowsVersion() {
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExA(&v);
  return v;
}

std::string WindowsFolder() {
  const UINT length = GetWindowsDirectoryA(nullptr, 0);
  std::string path(length + 1, '\0');
  const UINT got = GetWindowsDirectoryA(path.data(), length + 1);
  path.resize(got <= length ? got : 0);
  return path;
}

std::string ModuleFileName(HMODULE module) {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD got = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return {};
    if (got < path.size()) return std::string(path.data(), got);
    path.resize(path.size() * 2);  // cut: try a larger buffer
  }
}

HKEY KeyOf(std::int64_t number) {
  if (number >= 0x80000000LL && number <= 0xFFFFFFFFLL) number = static_cast<std::int32_t>(number);
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(number));
}

std::string StrToken(std::string_view text, std::int64_t occurrence, char separator) {
  if (occurrence < 1) return {};
  std::size_t start = 0;
  for (std::int64_t n = 1;; ++n) {
    const std::size_t end = text.find(separator, start);
    if (n == occurrence) return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return {};
    start = end + 1;
  }
}

std::string StrCapFirst(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    if (i == 0 && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
    if (i > 0 && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsAnsi(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 223) return true;
  }
  return false;
}

void RegisterSystemWrappers() {
  RegisterSystem();
  RegisterRegistry();
  RegisterDialogsAndFiles();
  RegisterHelpAtomsAndDde();
  RegisterText();
}

}  // namespace ui
