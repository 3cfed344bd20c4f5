#include "ui/bridge/profile.h"

#include <windows.h>

#include "runtime/array.h"
#include "runtime/function_table.h"

namespace ui {
namespace {

constexpr DWORD kStringSize = 1024;  // 1023 characters and the terminator
constexpr DWORD kSectionListSize = 4096;

// Splits a list of strings each ending in a NUL (the last followed by another NUL).
std::vector<std::string> SplitNulList(const char* list, DWORD length) {
  std::vector<std::string> items;
  std::string item;
  for (DWORD i = 0; i < length; ++i) {
    if (list[i] == '\0') {
      if (item.empty()) break;
      items.push_back(item);
      item.clear();
    } else {
      item.push_back(list[i]);
    }
  }
  if (!item.empty()) items.push_back(item);
  return items;
}

}  // namespace

int GetProfInt(const std::string& section, const std::string& entry, int default_value) {
  return static_cast<int>(GetProfileIntA(section.c_str(), entry.c_str(), default_value));
}

std::string GetProfString(const std::string& section, const std::string& entry,
                          const std::string& default_value) {
  char text[kStringSize] = {};
  const DWORD length = GetProfileStringA(section.c_str(), entry.c_str(), default_value.c_str(), text, kStringSize);
  return std::string(text, length);
}

bool WriteProfString(const std::string& section, const std::string& entry, const std::string& value) {
  return WriteProfileStringA(section.c_str(), entry.c_str(), value.c_str()) != FALSE;
}

int GetPvProfInt(const std::string& section, const std::string& entry, int default_value,
                 const std::string& file) {
  return static_cast<int>(GetPrivateProfileIntA(section.c_str(), entry.c_str(), default_value, file.c_str()));
}

std::string GetPvProfString(const std::string& section, const std::string& entry,
                            const std::string& default_value, const std::string& file) {
  char text[kStringSize] = {};
  const DWORD length = GetPrivateProfileStringA(section.c_str(), entry.c_str(), default_value.c_str(), text,
                                                kStringSize, file.c_str());
  return std::string(text, length);
}

std::vector<std::string> GetPvProfEntries(const std::string& section, const std::string& file) {
  char list[kStringSize] = {};
  const DWORD length =
      file.empty() ? GetProfileStringA(section.c_str(), nullptr, "", list, kStringSize)
                   : GetPrivateProfileStringA(section.c_str(), nullptr, "", list, kStringSize, file.c_str());
  return SplitNulList(list, length);
}

bool WritePProString(const std::string& section, const std::string& entry, const std::string& value,
                     const std::string& file) {
  return WritePrivateProfileStringA(section.c_str(), entry.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool DelIniSection(const std::string& section, const std::string& file) {
  if (file.empty()) return WriteProfileStringA(section.c_str(), nullptr, nullptr) != FALSE;
  return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != FALSE;
}

bool DelIniEntry(const std::string& section, const std::string& entry, const std::string& file) {
  if (file.empty()) return WriteProfileStringA(section.c_str(), entry.c_str(), nullptr) != FALSE;
  return WritePrivateProfileStringA(section.c_str(), entry.c_str(), nullptr, file.c_str()) != FALSE;
}

std::vector<std::string> IniSectionNames(const std::string& file) {
  using SectionNames = DWORD(WINAPI*)(LPSTR, DWORD, LPCSTR);
  HMODULE kernel = LoadLibraryA("Kernel32.dll");
  if (kernel == nullptr) return {};
  auto names = reinterpret_cast<SectionNames>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetPrivateProfileSectionNamesA")));
  std::vector<std::string> sections;
  if (names != nullptr) {
    char list[kSectionListSize] = {};
    const DWORD length = names(list, kSectionListSize - 1, file.empty() ? nullptr : file.c_str());
    sections = SplitNulList(list, length);
  }
  FreeLibrary(kernel);
  return sections;
}

void RegisterProfileFunctions() {
  using xb::Args;
  using xb::Value;
  using xb::RegisterFunction;
  auto S = [](const Args& a, int n) { return std::string(a.Str(n)); };
  // A cEntry that is not text asks for the list of the section's entry names.
  auto entry_list = [](const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& n : names) list += n + '\0';
    return Value::String(list);
  };
  RegisterFunction("GETPROFINT", [S](Args& a) {
    return Value::Integer(GetProfInt(S(a, 1), S(a, 2), static_cast<int>(a.Int(3))));
  });
  RegisterFunction("GETPROFSTRING", [S, entry_list](Args& a) {
    if (!a.Arg(2).IsString()) return entry_list(GetPvProfEntries(S(a, 1), ""));
    return Value::String(GetProfString(S(a, 1), S(a, 2), S(a, 3)));
  });
  RegisterFunction("WRITEPROFSTRING", [S](Args& a) {
    return Value::Logical(WriteProfString(S(a, 1), S(a, 2), S(a, 3)));
  });
  RegisterFunction("GETPVPROFINT", [S](Args& a) {
    return Value::Integer(GetPvProfInt(S(a, 1), S(a, 2), static_cast<int>(a.Int(3)), S(a, 4)));
  });
  RegisterFunction("GETPVPROFSTRING", [S, entry_list](Args& a) {
    if (!a.Arg(2).IsString()) return entry_list(GetPvProfEntries(S(a, 1), S(a, 4)));
    return Value::String(GetPvProfString(S(a, 1), S(a, 2), S(a, 3), S(a, 4)));
  });
  RegisterFunction("WRITEPPROSTRING", [S](Args& a) {
    return Value::Logical(WritePProString(S(a, 1), S(a, 2), S(a, 3), S(a, 4)));
  });
  RegisterFunction("DELINISECTION", [S](Args& a) { return Value::Logical(DelIniSection(S(a, 1), S(a, 2))); });
  RegisterFunction("DELINIENTRY", [S](Args& a) {
    return Value::Logical(DelIniEntry(S(a, 1), S(a, 2), S(a, 3)));
  });
}

}  // namespace ui
