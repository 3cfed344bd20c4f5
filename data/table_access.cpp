#include "data/table_access.h"

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/value_text.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/paths.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/workareas.h"
#include "runtime/symbol.h"

namespace data {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

int g_error_code = 0;

constexpr int kMaxOpenAttempts = 10;
constexpr double kLockRetrySeconds = 0.5;
constexpr double kOpenRetrySeconds = 1;

WorkAreas& Areas() { return WorkAreas::Get(); }

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

// "..\dbf\CLIENTES.dbf" -> folder "..\dbf\", name "CLIENTES".
std::string FolderOf(std::string_view path) { return std::string(path.substr(0, xb::FolderLength(path))); }
std::string BaseNameOf(std::string_view path) {
  std::string name(path.substr(xb::FolderLength(path)));
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
  return name;
}

// The file's name as the messages show it: first letter upper case, the rest lower case.
std::string ShownName(std::string_view path) {
  const xb::CodePage& cp = xb::CurrentCodePage();
  std::string name = xb::Lower(cp, BaseNameOf(path));
  if (!name.empty()) name[0] = static_cast<char>(xb::UpperChar(cp, static_cast<unsigned char>(name[0])));
  return name;
}

}  // namespace

bool ShowOpenFailure(int code, const std::string& file) {
  if (IsQuietOpenFailure(code) && Ui().TakeOpenFailure(code, file)) return true;
  const std::string folder = FolderOf(file);
  switch (code) {
    case 2:
      Ui().MsgStop(JoinLines({"No se ha encontrado el fichero que se intentaba abrir :" + ShownName(file) + ".dbf.",
                              "Compruebe que este fichero exista en el directorio :",
                              xb::Upper(xb::CurrentCodePage(), folder)}),
                   "Atención");
      return true;
    case 3:
      Ui().MsgStop(JoinLines({"El directorio :" + folder + " no existe o no es accesible.",
                              "Compruebe los directorios de la aplicación"}),
                   "Atención");
      return true;
    case 4:
      Ui().MsgStop(JoinLines({"Ha superado el máximo número de ficheros abiertos.", "Debe cerrar algún proceso activo",
                              " o reconfigurar el parámetro FILES del CONFIG.SYS"}),
                   "Atención");
      return true;
    case 5:
    case 32:
      Ui().MsgAlert("Es necesario tener acceso exclusivo al fichero " + ShownName(file) +
                        ".dbf. Revise los procesos abiertos",
                    "Acceso denegado");
      return true;
    default:
      return false;
  }
}

namespace {

// Tries `attempt` once, then every half second while `seconds` last (0: without end),
// letting window messages run meanwhile.
template <class Attempt>
bool KeepTrying(double seconds, Attempt attempt) {
  if (attempt()) return true;
  const bool unlimited = seconds == 0;
  while (unlimited || seconds > 0) {
    Ui().RunMessages(0);
    Segundos(kLockRetrySeconds);
    if (attempt()) return true;
    seconds -= kLockRetrySeconds;
  }
  return false;
}

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

// Without a table in the selected area there is nothing to wait for: the function raises
// its "work area not in use" error once and the caller gives up.
bool InUse(std::string_view function) {
  if (Areas().Current().used()) return true;
  Call(function);
  return false;
}

std::vector<std::string> Texts(const xb::Array& a) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; a && i < a.size() && texts.size() < 3; ++i) texts.push_back(ValueText(a.Get(i)));
  return texts;
}

// Opens through the "ADS" driver as _DBUSEAREA does, leaving the structural index closed.
bool OpenWithoutIndex(bool new_area, const std::string& path, const std::string& alias, bool shared) {
  if (Areas().AreaOfAlias(alias) != 0) return false;
  Areas().set_net_error(false);  // as DBUSEAREA: an earlier failure is not this open's
  if (new_area) Areas().SelectArea(Areas().FirstFreeArea());
  WorkArea& area = Areas().Current();
  if (area.used()) Call("DBCLOSEAREA");
  WorkArea::OpenRequest request;
  request.path = xb::rdd::PathExtension(path).empty() ? path + ".dbf" : path;
  request.alias = xb::UpperName(alias);
  request.driver = xb::rdd::FindDriver("ADS");
  request.shared = shared;
  request.open_structural_bag = false;
  return area.Open(Areas().file_system(), request);
}

}  // namespace

int nErrorCode() { return g_error_code; }

int nErrorCode(int code) {
  g_error_code = code;
  if (code == 0) qz_lPrimero(true);
  return g_error_code;
}

bool IsQuietOpenFailure(int os_code) {
  return os_code == 2 || os_code == 3 || os_code == 4 || os_code == 5 || os_code == 32;
}

QuietTableFailures::QuietTableFailures()
    : previous_(xb::GetErrorBlock()),
      scope_(Value(xb::Block::Native([previous = previous_](xb::Args& a) -> Value {
        auto* e = dynamic_cast<xb::Error*>(a.Arg(1).AsObject().get());
        if (e && (e->genCode == xb::EG_OPEN || e->genCode == xb::EG_CREATE) && IsQuietOpenFailure(e->osCode)) {
          Areas().set_net_error(true);
          nErrorCode(e->osCode);
          return Value::Logical(false);
        }
        if (e && e->genCode == xb::EG_APPENDLOCK) {
          Areas().set_net_error(true);
          return Value::Logical(false);
        }
        // Anything else is the program's: its own block answers, as if this one were not here.
        if (!previous.IsBlock()) throw xb::UnhandledError(xb::ErrorRef(e));
        xb::ErrorBlockScope outer(previous);
        return previous.AsBlock().Call(a.Raw());
      }))) {}

bool lNetUse(std::string_view file, const NetUseOptions& options) {
  const std::string path = Trimmed(file);
  std::string alias = Trimmed(options.alias);
  if (alias.empty()) alias = BaseNameOf(path);
  const std::string upper_alias = xb::UpperName(alias);
  const bool unlimited = options.retries == 0;
  int retries = options.retries;
  for (int attempts = 0; (unlimited || retries > 0) && attempts < kMaxOpenAttempts;) {
    bool opened = false;
    {
      QuietTableFailures quiet;
      opened = options.with_index ? _DbUseArea(options.new_area, "", path, alias, !options.exclusive, false)
                                  : OpenWithoutIndex(options.new_area, path, alias, !options.exclusive);
    }
    WorkArea& area = Areas().Current();
    if (opened && !Areas().net_error() && area.used() && area.alias() == upper_alias) {
      const std::string bag =
          xb::rdd::PathWithExtension(area.table().path(), area.driver().bag_extension);
      if (area.file_system().Exists(bag)) Call("ORDSETFOCUS", {Value::Integer(options.order)});
      return true;
    }
    const int code = nErrorCode();
    nErrorCode(0);
    if (ShowOpenFailure(code, path)) return false;
    ++attempts;
    --retries;
    // The next attempt comes a second later; none follows the last one.
    if ((unlimited || retries > 0) && attempts < kMaxOpenAttempts) Segundos(kOpenRetrySeconds);
  }
  return false;
}

bool lNetRecAdd(double seconds) {
  if (!InUse("DBAPPEND")) return false;
  QuietTableFailures quiet;
  return KeepTrying(seconds, [] {
    Call("DBAPPEND");
    return !Areas().net_error();
  });
}

bool lNetRecLock(double seconds) {
  if (!InUse("RLOCK")) return false;
  if (KeepTrying(seconds, [] { return Call("RLOCK").AsLogical(); })) return true;
  Ui().MsgAlert("El registro que se intenta procesar está bloqueado", "Acceso denegado");
  return false;
}

bool FilLock(double seconds) {
  if (!InUse("FLOCK")) return false;
  if (KeepTrying(seconds, [] { return Call("FLOCK").AsLogical(); })) return true;
  Ui().MsgAlert("El fichero que se intenta procesar está bloqueado", "Acceso denegado");
  return false;
}

bool lGoQuestion(const std::vector<std::string>& texts) {
  std::vector<std::string> shown(texts.begin(), texts.begin() + std::min<std::size_t>(texts.size(), 3));
  return Ui().GiveUpLock(shown);
}

bool lNetQstLock(const std::vector<std::string>& texts) {
  if (!InUse("RLOCK")) return false;
  while (!Call("RLOCK").AsLogical()) {
    if (lGoQuestion(texts)) return false;
  }
  return true;
}

bool _DbUseArea(bool new_area, std::string_view driver, std::string_view file, std::string_view alias, bool shared,
                bool read_only) {
  (void)driver;
  return Call("DBUSEAREA", {Value::Logical(new_area), Value::String("ADS"), Value::String(file),
                            alias.empty() ? Value() : Value::String(alias), Value::Logical(shared),
                            Value::Logical(read_only)})
      .AsLogical();
}

std::string xDbSetDriver(bool set) {
  if (set) xb::rdd::SetDefaultDriver("ADS");
  return "DBFCDX";
}

std::string IndexFileOf(std::string_view table_file) {
  std::string path = Trimmed(table_file);
  const std::string name = path.substr(xb::FolderLength(path));
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) path.resize(path.size() - (name.size() - dot));
  return path + xb::rdd::DefaultDriver().bag_extension;
}

void CheckMdx(std::string_view table_file) {
  std::string table = Trimmed(table_file);
  if (xb::Upper(xb::CodePageEn(), xb::rdd::DefaultDriver().bag_extension) == ".NTX") return;
  if (xb::rdd::PathExtension(table).empty()) table += ".dbf";
  xb::rdd::FileSystem& fs = Areas().file_system();
  if (!fs.Exists(table) || fs.Exists(IndexFileOf(table))) return;
  Call("DELDBFMDX", {Value::String(table)});
}

void RegisterTableAccess() {
  using xb::Args;
  xb::RegisterFunction("NERRORCODE", [](Args& a) {
    if (a.Arg(1).IsNumber()) nErrorCode(static_cast<int>(a.Int(1)));
    return Value::Integer(nErrorCode());
  });
  // LNETUSE(cFile, lExclusive, nRetries, cAlias, <unused>, <unused>, lNewArea, nOrder)
  xb::RegisterFunction("LNETUSE", [](Args& a) {
    NetUseOptions o;
    o.exclusive = a.Log(2, false);
    o.retries = a.Arg(3).IsNumber() ? static_cast<int>(a.Int(3)) : 1;
    o.alias = std::string(a.Str(4));
    o.new_area = a.Log(7, true);
    o.order = a.Arg(8).IsNumber() ? static_cast<int>(a.Int(8)) : 1;
    return Value::Logical(lNetUse(a.Str(1), o));
  });
  xb::RegisterFunction("LNETRECADD", [](Args& a) { return Value::Logical(lNetRecAdd(a.Num(1, 1))); });
  xb::RegisterFunction("LNETRECLOCK", [](Args& a) { return Value::Logical(lNetRecLock(a.Num(1, 1))); });
  xb::RegisterFunction("FILLOCK", [](Args& a) { return Value::Logical(FilLock(a.Num(1, 1))); });
  xb::RegisterFunction("LNETQSTLOCK", [](Args& a) { return Value::Logical(lNetQstLock(Texts(a.Arr(1)))); });
  xb::RegisterFunction("LGOQUESTION", [](Args& a) { return Value::Logical(lGoQuestion(Texts(a.Arr(1)))); });
  xb::RegisterFunction("SEGUNDOS", [](Args& a) {
    Segundos(a.Num(1));
    return Value();
  });
  // _DBUSEAREA(lNewArea, cDriver, cFile, cAlias, lShared, lReadOnly): the arguments go on as
  // they came (NIL keeps its meaning), only the driver is replaced.
  xb::RegisterFunction("_DBUSEAREA", [](Args& a) {
    return xb::CallFunction("DBUSEAREA", {a.Arg(1), Value::String("ADS"), a.Arg(3), a.Arg(4), a.Arg(5), a.Arg(6)});
  });
  xb::RegisterFunction("XDBSETDRIVER", [](Args& a) { return Value::String(xDbSetDriver(!a.IsNil(1))); });
  xb::RegisterFunction("CHECKMDX", [](Args& a) {
    if (a.Arg(1).IsString()) CheckMdx(a.Str(1));
    return Value();
  });
}

}  // namespace data
