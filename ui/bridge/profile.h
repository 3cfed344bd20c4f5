// INI files through Windows' profile calls. The system profile is WIN.INI; a private file
// named without a folder lies in the Windows folder, as Windows has it.
#pragma once

#include <string>
#include <vector>

namespace ui {

int GetProfInt(const std::string& section, const std::string& entry, int default_value);
// Up to 1023 characters; "" when nothing is found.
std::string GetProfString(const std::string& section, const std::string& entry,
                          const std::string& default_value);
bool WriteProfString(const std::string& section, const std::string& entry, const std::string& value);

int GetPvProfInt(const std::string& section, const std::string& entry, int default_value,
                 const std::string& file);
std::string GetPvProfString(const std::string& section, const std::string& entry,
                            const std::string& default_value, const std::string& file);
// The section's entry names (GETPVPROFSTRING with no entry), each on its own; an empty
// file name means the system profile.
std::vector<std::string> GetPvProfEntries(const std::string& section, const std::string& file);
bool WritePProString(const std::string& section, const std::string& entry, const std::string& value,
                     const std::string& file);
// Removes the whole section, or one entry.
bool DelIniSection(const std::string& section, const std::string& file);
bool DelIniEntry(const std::string& section, const std::string& entry, const std::string& file);

// The file's section names (at most 4095 characters of Windows' list), found through
// GetPrivateProfileSectionNamesA of Kernel32.dll, loaded by name for the call. An empty
// file name means the system profile.
std::vector<std::string> IniSectionNames(const std::string& file);

// Registers GETPROFINT, GETPROFSTRING, WRITEPROFSTRING, GETPVPROFINT, GETPVPROFSTRING,
// WRITEPPROSTRING, DELINISECTION and DELINIENTRY.
void RegisterProfileFunctions();

}  // namespace ui
