#include "ui/core/tini.h"

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/symbol.h"
#include "ui/bridge/profile.h"
#include "ui/core/value_text.h"

namespace ui {

TIni::TIni() : xb::Object(Cls()) {}

xb::Ref<TIni> TIni::New(const std::string& file) {
  auto ini = xb::MakeRef<TIni>();
  ini->Init(file);
  return ini;
}

void TIni::Init(const std::string& file) {
  cIniFile = file;
  // Any dot counts, also one of a folder ("..\DBF\Vdr" stays as it is): the suite's other
  // programs name their files by the same rule.
  if (!cIniFile.empty() && cIniFile.find('.') == std::string::npos) cIniFile += ".ini";
  lAutoSet = true;
}

xb::Value TIni::Get(const std::string& section, const std::string& entry, const xb::Value& default_value,
                    const xb::Value& variable) {
  const xb::Value& model = !default_value.IsNil() ? default_value : variable;
  xb::Value result;
  bool is_default = false;
  if (model.IsNumber()) {
    const int fallback = default_value.IsNumber() ? static_cast<int>(default_value.AsInt()) : 0;
    const int n = cIniFile.empty() ? GetProfInt(section, entry, fallback)
                                   : GetPvProfInt(section, entry, fallback, cIniFile);
    result = xb::Value::Integer(n);
    is_default = default_value.IsNumber() && n == fallback;
  } else {
    const std::string fallback = CValToChar(default_value);
    const std::string text = cIniFile.empty() ? GetProfString(section, entry, fallback)
                                              : GetPvProfString(section, entry, fallback, cIniFile);
    if (model.IsDate()) {
      result = xb::Value::FromDate(xb::CToD(text));
    } else if (model.IsLogical()) {
      result = xb::Value::Logical(xb::UpperName(text) == ".T.");
    } else {
      result = xb::Value::String(text);
    }
    is_default = text == fallback;
  }
  if (is_default && lAutoSet && !default_value.IsNil()) Set(section, entry, default_value);
  return result;
}

bool TIni::Set(const std::string& section, const std::string& entry, const xb::Value& value) {
  const std::string text = CValToChar(value);
  return cIniFile.empty() ? WriteProfString(section, entry, text) : WritePProString(section, entry, text, cIniFile);
}

std::vector<std::string> TIni::Sections() const { return IniSectionNames(cIniFile); }

bool TIni::DelSection(const std::string& section) { return DelIniSection(section, cIniFile); }

bool TIni::DelEntry(const std::string& section, const std::string& entry) {
  return DelIniEntry(section, entry, cIniFile);
}

const xb::Class& TIni::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    using xb::Args;
    using xb::Object;
    using xb::Value;
    auto self = [](Object& o) -> TIni& { return xb::Class::Cast<TIni>(o); };
    auto S = [](const Args& a, int n) { return std::string(a.Str(n)); };
    xb::Class& c = xb::Class::Define("TINI");
    c.Data("CINIFILE", &TIni::cIniFile);
    c.Data("LAUTOSET", &TIni::lAutoSet);
    c.Method("NEW", [self, S](Object& o, Args& a) {
      self(o).Init(S(a, 1));
      return o.AsValue();
    });
    c.Method("GET", [self, S](Object& o, Args& a) { return self(o).Get(S(a, 1), S(a, 2), a.Arg(3), a.Arg(4)); });
    c.Method("SET", [self, S](Object& o, Args& a) { return Value::Logical(self(o).Set(S(a, 1), S(a, 2), a.Arg(3))); });
    c.Method("SECTIONS", [self](Object& o, Args&) {
      xb::Array list = xb::Array::New();
      for (const std::string& s : self(o).Sections()) list.Append(Value::String(s));
      return Value(list);
    });
    c.Method("DELSECTION", [self, S](Object& o, Args& a) { return Value::Logical(self(o).DelSection(S(a, 1))); });
    c.Method("DELENTRY", [self, S](Object& o, Args& a) {
      return Value::Logical(self(o).DelEntry(S(a, 1), S(a, 2)));
    });
    return c;
  }();
  return cls;
}

void RegisterIniFunctions() {
  (void)TIni::Cls();
  xb::RegisterFunction("TINI", [](xb::Args&) { return xb::Value(xb::MakeRef<TIni>()); });
}

}  // namespace ui
