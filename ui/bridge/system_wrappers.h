// System information, the registry, help records, atoms, DDE blocks, folder choice, file
// expansion, string tables, text helpers and the 3-D look by name (GETVERSION, GETCPU,
// REGOPENKEY, GLOBALADDATOM, STRTOKEN, GETTM ...).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// The registers of CPUID leaves 0, 1 and 2 (EAX, EBX, ECX, EDX each).
struct CpuidLeaves {
  std::array<std::uint32_t, 4> leaf0{};
  std::array<std::uint32_t, 4> leaf1{};
  std::array<std::uint32_t, 4> leaf2{};
};
CpuidLeaves ReadCpuid();
// The processor's model name for the error report, from the registers alone.
std::string CpuName(const CpuidLeaves& cpu);

// The version class: 1 Windows 95, 2 98, 3 Me, 4 NT 4, 5 2000, 6 XP and later; 0 otherwise.
int VersionClass(DWORD platform, DWORD major, DWORD minor);
// The version as GetVersionExA reports it.
OSVERSIONINFOA WindowsVersion();

// The folder of Windows and a module's path, whole however long.
std::string WindowsFolder();
std::string ModuleFileName(HMODULE module);

// A predefined key number (HKEY_CURRENT_USER as 0x80000001 or -2147483647) as a key.
HKEY KeyOf(std::int64_t number);

// The nOccurrence-th (1-based) token of the text; every separator ends a token, so two in a
// row give an empty one; "" past the last.
std::string StrToken(std::string_view text, std::int64_t occurrence, char separator);
// The first letter upper case, every other ASCII letter lower case.
std::string StrCapFirst(std::string_view text);
// True when a character code is above 223.
bool IsAnsi(std::string_view text);

void RegisterSystemWrappers();

}  // namespace ui
