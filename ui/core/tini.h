// TIni: typed values of an INI file, or of the system profile (WIN.INI) when the file name
// is empty. The type of the default decides how a value is read: numbers as integers,
// dates through CTOD, logicals true for ".T." in any case, anything else as text. Values
// are written as CVALTOCHAR writes them.
#pragma once

#include <string>
#include <vector>

#include "runtime/object.h"
#include "runtime/value.h"

namespace ui {

class TIni : public xb::Object {
 public:
  TIni();
  static const xb::Class& Cls();

  // A file name without any dot gets ".ini"; a bare name (no folder) lies in the Windows
  // folder, as Windows has it.
  static xb::Ref<TIni> New(const std::string& file);
  void Init(const std::string& file);

  // The value of the entry, read as the default's type (without a default, as the type of
  // `variable`). When what was read equals the default and lAutoSet is on, the default is
  // written to the file.
  xb::Value Get(const std::string& section, const std::string& entry, const xb::Value& default_value = {},
                const xb::Value& variable = {});
  bool Set(const std::string& section, const std::string& entry, const xb::Value& value);
  std::vector<std::string> Sections() const;
  bool DelSection(const std::string& section);
  bool DelEntry(const std::string& section, const std::string& entry);

  std::string cIniFile;  // empty: the system profile
  bool lAutoSet = true;
};

// Registers TINI by name.
void RegisterIniFunctions();

}  // namespace ui
