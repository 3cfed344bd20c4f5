#include "data/table_views.h"

#include <algorithm>
#include <map>
#include <set>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/paths.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/workareas.h"
#include "runtime/symbol.h"

namespace data {
namespace {

using xb::Args;
using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

// Fewer free handles than this and no view opens another table.
constexpr int kSpareHandles = 16;
// Temporary names tried before giving up: far beyond any folder's real use.
constexpr int kMaxTemporaryNumber = 100000;

WorkAreas& Areas() { return WorkAreas::Get(); }
Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), s); }

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string FolderOf(std::string_view path) { return std::string(path.substr(0, xb::FolderLength(path))); }

// The file's name as the messages show it: first letter upper case, the rest lower case.
std::string ShownName(std::string_view path) {
  const xb::CodePage& cp = xb::CurrentCodePage();
  std::string name = xb::Lower(cp, path.substr(xb::FolderLength(path)));
  if (!name.empty()) name[0] = static_cast<char>(xb::UpperChar(cp, static_cast<unsigned char>(name[0])));
  return name;
}

const xb::rdd::Driver& DriverNamed(const std::string& name) {
  const xb::rdd::Driver* d = name.empty() ? nullptr : xb::rdd::FindDriver(name);
  return d ? *d : xb::rdd::DefaultDriver();
}

struct Entry {
  bool temporary = false;
  std::string file;  // folder and name, without extension
  std::string alias;
  std::string base;  // upper case: the key of the alias numbers
  int alias_number = 0;
  std::vector<std::string> indexes;
  bool exclusive = false;
  std::string driver;
  std::string structure_of;
  bool keep = false;
  std::vector<std::string> keys;
  Value alias_var;  // the caller's variable (a reference), or NIL
  Value previous;   // its value before the entry was added
};

struct OpenTable {
  int view = 0;
  std::string alias;
  std::string file;  // upper case
  int files = 0;
  bool shared = false;  // another view's table, not closed by this one
  bool temporary = false;
  int alias_number = 0;
  std::string base;
};

struct CallerRef {
  int view = 0;
  Value ref;
  Value previous;     // its value before the view
  bool from_array = false;  // an element of NOPENVIEW's array (else a VIEWADD variable)
};

struct SavedPosition {
  int view = 0;
  std::string alias;
  AreaStatus status;
};

struct TempTable {
  std::string stem;  // folder and name with its number
  std::string alias;
  std::vector<std::string> extra_files;
};

struct ViewState {
  std::vector<Entry> build;
  bool success = true;
  bool messages = true;
  std::map<std::string, int> counters;
  std::vector<std::pair<int, std::string>> released;
  std::vector<OpenTable> open;
  std::vector<CallerRef> refs;
  std::vector<SavedPosition> saved;
  std::vector<TempTable> temporaries;
  std::set<int> free_numbers;
  std::set<int> in_use;
  Value stored;
};

ViewState& State() {
  static ViewState state;
  return state;
}

// The table name followed by its number: a released one first, else one past the highest.
std::pair<std::string, int> NewAlias(const std::string& name) {
  ViewState& s = State();
  const std::string base = Upper(name);
  for (auto it = s.released.begin(); it != s.released.end(); ++it) {
    if (it->second != base) continue;
    const int number = it->first;
    s.released.erase(it);
    return {name + std::to_string(number), number};
  }
  const int number = ++s.counters[base];
  return {name + std::to_string(number), number};
}

void ReleaseAlias(int number, const std::string& base) {
  if (number > 0) State().released.emplace_back(number, base);
}

// Two by-reference values that write the same variable.
bool SameVariable(const Value& a, const Value& b) {
  return a.IsRef() && b.IsRef() && a.AsRefCell() != nullptr && a.AsRefCell() == b.AsRefCell();
}

void TakeVariable(Entry& e, const Value& alias_var) {
  if (!alias_var.IsRef()) return;
  e.alias_var = alias_var;
  e.previous = alias_var.Deref();
  Value(alias_var).AssignThrough(Value::String(e.alias));
}

std::string Folder(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

class SelectedArea {
 public:
  SelectedArea() : area_(Areas().CurrentArea()) {}
  ~SelectedArea() { Areas().SelectArea(area_); }

 private:
  int area_;
};

WorkArea* AreaOf(std::string_view alias) { return Areas().Area(Areas().AreaOfAlias(alias)); }

void CloseAlias(std::string_view alias) {
  if (WorkArea* area = AreaOf(alias)) {
    SelectedArea keep;
    Areas().SelectArea(area->number());
    Call("DBCLOSEAREA");
  }
}

bool Quiet() { return !State().messages; }

void TooManyFiles(bool as_alert) {
  const std::string text = JoinLines({"Ha superado el máximo número de ficheros abiertos.",
                                      "Debe cerrar algún proceso activo",
                                      " o reconfigurar el parámetro FILES del CONFIG.SYS"});
  if (as_alert) {
    Ui().MsgAlert(text, "Atención");
  } else {
    Ui().MsgStop(text, "Atención");
  }
}

// What the table engine said of a failed open that the program's error block answered (a
// damaged file, or a cause other than the quiet ones), for the view's own message. The
// error still reaches that block: it logs it.
class OpenErrorNote {
 public:
  OpenErrorNote()
      : previous_(xb::GetErrorBlock()),
        scope_(Value(xb::Block::Native([this](xb::Args& a) -> Value {
          auto* e = dynamic_cast<xb::Error*>(a.Arg(1).AsObject().get());
          if (e) Note(*e);
          if (!previous_.IsBlock()) throw xb::UnhandledError(xb::ErrorRef(e));
          xb::ErrorBlockScope outer(previous_);
          return previous_.AsBlock().Call(a.Raw());
        }))) {}
  OpenErrorNote(const OpenErrorNote&) = delete;
  OpenErrorNote& operator=(const OpenErrorNote&) = delete;

  // The engine's own words ("cabecera de tabla dañada: ..."), without the general
  // description in front of them.
  const std::string& detail() const { return detail_; }

 private:
  void Note(const xb::Error& e) {
    std::string text = e.description;
    const std::string general = std::string(xb::GenCodeDescription(e.genCode)) + ": ";
    if (text.compare(0, general.size(), general) == 0) text.erase(0, general.size());
    else if (text == xb::GenCodeDescription(e.genCode)) text.clear();
    detail_ = text;
  }

  Value previous_;
  xb::ErrorBlockScope scope_;
  std::string detail_;
};

// A file that failed for a cause of no message of its own (damaged, unreadable, a disk that
// refuses it): the view opens nothing, and says which file stopped it. `extension`: the one
// the file has when its name comes without.
void CouldNotOpen(const std::string& file, const std::string& detail, std::string_view extension) {
  const std::string shown = ShownName(file) + std::string(xb::rdd::PathExtension(file).empty() ? extension : "");
  const std::string first = "No se ha podido abrir el fichero :" + shown + ".";
  const std::string last = "Compruebe este fichero en el directorio :" + FolderOf(file);
  Ui().MsgStop(detail.empty() ? JoinLines({first, last}) : JoinLines({first, detail, last}), "Atención");
}

// The message of a table that did not open, by the last open error; the error is cleared.
// `detail`: what the engine said of a failure of another cause; `extension`: the one the
// file has when its name comes without.
void TableFailed(const std::string& file, const std::string& detail = {}, std::string_view extension = ".dbf") {
  const int code = nErrorCode();
  nErrorCode(0);
  if (Quiet()) return;
  const std::string folder = FolderOf(file);
  switch (code) {
    case 2:
      Ui().MsgStop(JoinLines({"No se ha encontrado el fichero que se intentaba abrir :" + ShownName(file) + ".dbf",
                              "Compruebe que este fichero exista en el directorio :" + folder}),
                   "Atención");
      break;
    case 3:
      Ui().MsgStop(JoinLines({"El directorio :" + folder + " no existe o no es accesible.",
                              "Compruebe los directorios de la Aplicación"}),
                   "Atención");
      break;
    case 4:
      TooManyFiles(false);
      break;
    case 5:
    case 32:
      Ui().MsgInfo(JoinLines({"Error en la apertura de ficheros.", "Revise los procesos abiertos"}),
                   "Acceso denegado");
      break;
    default:
      CouldNotOpen(file, detail, extension);
      break;
  }
}

void TemporaryFailed(const std::string& file, const std::string& detail) {
  const int code = nErrorCode();
  nErrorCode(0);
  if (Quiet()) return;
  if (code == 3) {
    Ui().MsgStop(JoinLines({"El directorio :" + FolderOf(file) + " no existe o no es accesible.",
                            "Compruebe los directorios de la aplicación"}),
                 "Atención");
  } else if (code == 5 || code == 32) {
    Ui().MsgInfo(JoinLines({"Error en la apertura de ficheros.", "Revise los procesos abiertos"}),
                 "Acceso denegado");
  } else if (code == 4) {
    TooManyFiles(false);
  } else {
    CouldNotOpen(file, detail, ".dbf");
  }
}

// DBUSEAREA in a new area under the alias; true when the area holds the table under it.
// `detail`, when given, receives what the engine said of a failure of another cause.
bool UseArea(const std::string& file, const std::string& alias, const std::string& driver, bool exclusive,
             std::string* detail = nullptr) {
  bool opened = false;
  {
    OpenErrorNote note;
    QuietTableFailures quiet;
    Areas().set_net_error(false);
    opened = Call("DBUSEAREA", {Value::Logical(true), Value::String(driver), Value::String(file),
                                Value::String(alias), Value::Logical(!exclusive), Value::Logical(false)})
                 .AsLogical();
    if (detail) *detail = note.detail();
  }
  WorkArea& area = Areas().Current();
  if (opened && !Areas().net_error() && area.used() && area.alias() == xb::UpperName(alias)) return true;
  CloseAlias(alias);
  return false;
}

int OpenedFiles(const WorkArea& area) { return 1 + static_cast<int>(area.bags().size()); }

// A table entry: opened with its indexes, order 1, at the top. The files it holds, or -1.
int OpenTableEntry(const Entry& e) {
  const xb::rdd::Driver& driver = DriverNamed(e.driver);
  const bool cdx = driver.bag == xb::rdd::BagKind::kCdx;
  const std::string table = e.file + ".dbf";
  xb::rdd::FileSystem& fs = Areas().file_system();
  // A structural index that is gone: the table opens without it, in record order.
  if (cdx && !e.indexes.empty() && fs.Exists(table) && !fs.Exists(e.file + driver.bag_extension))
    Call("DELDBFMDX", {Value::String(table)});
  std::string detail;
  if (!UseArea(e.file, e.alias, driver.name, e.exclusive, &detail)) {
    TableFailed(e.file, detail);
    return -1;
  }
  WorkArea& area = Areas().Current();
  if (!e.indexes.empty()) {
    if (!cdx) {
      for (const std::string& index : e.indexes) {
        const std::size_t before = area.bags().size();
        {
          OpenErrorNote note;
          QuietTableFailures quiet;
          Call("ORDLISTADD", {Value::String(index)});
          detail = note.detail();
        }
        if (area.bags().size() == before) {
          Call("DBCLOSEAREA");
          TableFailed(index, detail, driver.bag_extension);
          return -1;
        }
      }
    }
    if (area.OrderCount() > 0) area.SetControllingOrder(1);
  }
  area.GoTop();
  return OpenedFiles(area);
}

Value Structure(const std::string& alias) {
  WorkArea* source = AreaOf(alias);
  if (source == nullptr) return Value();
  SelectedArea keep;
  Areas().SelectArea(source->number());
  return Call("DBSTRUCT");
}

std::string NtxFile(const std::string& stem, std::size_t key) { return stem + "_" + std::to_string(key) + ".ntx"; }

// A temporary entry: created under the first free name with the structure of an earlier
// entry, opened exclusively, with one tag per key. The files it holds, or -1.
int OpenTemporaryEntry(const Entry& e, std::size_t position, const std::vector<std::string>& aliases) {
  std::size_t source = 0;
  try {
    source = static_cast<std::size_t>(std::stoul(Trimmed(e.structure_of)));
  } catch (...) {
    source = 0;
  }
  if (source < 1 || source >= position || source > aliases.size()) return -1;
  const Value structure = Structure(aliases[source - 1]);
  if (!structure.IsArray()) return -1;
  const xb::rdd::Driver& driver = DriverNamed(e.driver);
  const std::string stem = FreeTemporaryStem(e.file);
  bool created = false;
  std::string detail;
  {
    OpenErrorNote note;
    QuietTableFailures quiet;
    Areas().set_net_error(false);
    Call("DBCREATE", {Value::String(stem + ".dbf"), structure, Value::String(driver.name)});
    created = !Areas().net_error() && nErrorCode() == 0 && Areas().file_system().Exists(stem + ".dbf");
    detail = note.detail();
  }
  if (!created || !UseArea(stem, e.alias, driver.name, true, &detail)) {
    TemporaryFailed(stem, detail);
    EraseTableFiles(stem);
    return -1;
  }
  WorkArea& area = Areas().Current();
  TempTable temp{stem, e.alias, {}};
  const bool cdx = driver.bag == xb::rdd::BagKind::kCdx;
  for (std::size_t k = 0; k < e.keys.size(); ++k) {
    const std::string tag = "Tag" + std::to_string(position) + std::to_string(k + 1);
    const std::string bag = cdx ? stem + driver.bag_extension : NtxFile(stem, k + 1);
    if (!cdx) temp.extra_files.push_back(bag);
    Call("ORDCREATE", {Value::String(bag), Value::String(tag), Value::String(e.keys[k])});
  }
  if (area.OrderCount() > 0) area.SetControllingOrder(1);
  area.GoTop();
  const int files = OpenedFiles(area);
  if (!e.keep) State().temporaries.push_back(std::move(temp));
  return files;
}

int NewViewNumber() {
  ViewState& s = State();
  int number = 1;
  if (!s.free_numbers.empty()) {
    number = *s.free_numbers.begin();
    s.free_numbers.erase(s.free_numbers.begin());
  } else if (!s.in_use.empty()) {
    number = *s.in_use.rbegin() + 1;
  }
  s.in_use.insert(number);
  return number;
}

const OpenTable* SharedTable(int view, const std::string& upper_file) {
  for (const OpenTable& t : State().open)
    if (t.view == view && t.file == upper_file) return &t;
  return nullptr;
}

void Hourglass(bool on) {
  const char* name = on ? "CURSORWAIT" : "CURSORARROW";
  if (xb::IsFunctionRegistered(name)) Call(name);
}

}  // namespace

bool ViewBegin(bool quiet) {
  ViewState& s = State();
  s.build.clear();
  s.success = true;
  s.messages = !quiet;
  return true;
}

std::vector<std::string> CatalogueTags(std::string_view table) {
  if (!xb::IsFunctionRegistered("AINDEXCHAIN")) return {};
  const std::string wanted = Upper(Trimmed(table));
  if (wanted.empty()) return {};
  const Value list = Call("AINDEXCHAIN");
  if (!list.IsArray()) return {};
  // An entry is the table's name and its tags, comma-separated; blanks do not count.
  std::vector<std::vector<std::string>> entries;
  for (const Value& item : list.AsArray()) {
    if (!item.IsString()) continue;
    std::string text;
    for (char c : item.AsString())
      if (c != ' ') text += c;
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
      const std::size_t comma = text.find(',', from);
      parts.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    entries.push_back(std::move(parts));
  }
  auto tags_of = [](const std::vector<std::string>& parts) {
    std::vector<std::string> tags;
    for (std::size_t i = 1; i < parts.size(); ++i)
      if (!parts[i].empty()) tags.push_back(parts[i]);
    return tags;
  };
  // The entry of the table's own name; else the first, in list order, that begins with it.
  for (const auto& parts : entries)
    if (Upper(parts[0]) == wanted) return tags_of(parts);
  for (const auto& parts : entries)
    if (Upper(parts[0]).starts_with(wanted)) return tags_of(parts);
  return {};
}

std::string ViewAdd(const ViewTable& t, const xb::Value& alias_var) {
  Entry e;
  const std::string name = Trimmed(t.table);
  std::vector<std::string> indexes = t.from_catalogue ? CatalogueTags(name) : t.indexes;
  const bool accounting = t.accounting || t.second_accounting;
  if (!t.folder.empty()) {
    e.file = t.folder + name;
    e.indexes = indexes;
  } else {
    std::string folder, code;
    if (lRistelo()) {
      folder = "EMP" + cCodEmp() + "\\";
      code = cCodEmp();
    } else if (accounting) {
      folder = t.second_accounting ? cDbfConta2() : cDbfConta();
      if (!lNewConta()) code = t.second_accounting ? cCodEmp2() : cCodEmp();
    } else {
      folder = cPathDbf();
    }
    e.file = folder + name + code;
    for (const std::string& index : indexes) e.indexes.push_back(folder + Trimmed(index) + code);
  }
  e.exclusive = Upper(Trimmed(t.mode)) == "EXCLUSIVE";
  e.driver = t.driver.empty() ? xb::rdd::DefaultDriver().name : t.driver;
  e.base = Upper(name);
  std::tie(e.alias, e.alias_number) = NewAlias(name);
  TakeVariable(e, alias_var);
  State().build.push_back(e);
  return e.alias;
}

std::string ViewAddTemp(const ViewTempTable& t, const xb::Value& alias_var) {
  Entry e;
  e.temporary = true;
  std::string user;
  if (xb::IsFunctionRegistered("CCODUSUARIO")) user = Trimmed(Call("CCODUSUARIO").AsString());
  const std::string name = Trimmed(t.base) + user;
  std::string folder = Folder(t.folder);
  if (folder.empty()) folder = lRistelo() ? "EMP" + cCodEmp() + "\\" : cPathTmp();
  e.file = folder + name;
  e.structure_of = t.structure_of;
  e.keep = t.keep;
  e.keys = t.keys;
  e.exclusive = true;
  e.driver = t.driver.empty() ? xb::rdd::DefaultDriver().name : t.driver;
  e.base = Upper(name);
  std::tie(e.alias, e.alias_number) = NewAlias(name);
  TakeVariable(e, alias_var);
  State().build.push_back(e);
  return e.alias;
}

int nOpenView(const xb::Array& alias_vars, int share_with) {
  ViewState& s = State();
  std::vector<Entry> build = std::move(s.build);
  s.build.clear();
  const int view = NewViewNumber();
  for (Entry& e : build)
    if (e.alias_var.IsRef()) s.refs.push_back({view, e.alias_var, e.previous});

  bool ok = true;
  std::vector<std::string> aliases;
  {
    SelectedArea keep;
    Hourglass(true);
    for (std::size_t i = 0; i < build.size(); ++i) {
      Entry& e = build[i];
      if (nChgFiles() > nHandlers() - kSpareHandles) {
        if (!Quiet()) TooManyFiles(true);
        ok = false;
      } else if (const OpenTable* shared =
                     e.temporary || share_with < 1 ? nullptr : SharedTable(share_with, Upper(e.file))) {
        WorkArea* area = AreaOf(shared->alias);
        ReleaseAlias(e.alias_number, e.base);
        e.alias = shared->alias;
        if (area) s.saved.push_back({view, e.alias, aSetStatus(e.alias)});
        s.open.push_back({view, e.alias, Upper(e.file), 0, true, false, 0, e.base});
      } else {
        const int files = e.temporary ? OpenTemporaryEntry(e, i + 1, aliases) : OpenTableEntry(e);
        if (files < 0) {
          ok = false;
        } else {
          nChgFiles(files);
          const std::string file = e.temporary ? Upper(Areas().Current().table().path()) : Upper(e.file);
          s.open.push_back({view, e.alias, file, files, false, e.temporary, e.alias_number, e.base});
        }
      }
      if (!ok) {
        // The aliases the failed entry and those after it were given go back unused.
        for (std::size_t j = i; j < build.size(); ++j) ReleaseAlias(build[j].alias_number, build[j].base);
        break;
      }
      aliases.push_back(e.alias);
      if (e.alias_var.IsRef()) e.alias_var.AssignThrough(Value::String(e.alias));
    }
    Hourglass(false);
  }
  if (ok && alias_vars) {
    for (std::size_t i = 0; i < alias_vars.size() && i < aliases.size(); ++i) {
      Value& var = alias_vars[i];
      if (!var.IsRef()) continue;
      // A variable that VIEWADD already took keeps the value it had before that.
      Value before = var.Deref();
      for (const CallerRef& r : s.refs)
        if (r.view == view && SameVariable(r.ref, var)) {
          before = r.previous;
          break;
        }
      s.refs.push_back({view, var, before, true});
      var.AssignThrough(Value::String(aliases[i]));
    }
  }
  if (!ok) {
    RestoreView(view);
    return 0;
  }
  return view;
}

bool RestoreView(int view, const xb::Array& alias_vars) {
  ViewState& s = State();
  if (view < 1 || !s.in_use.contains(view)) return false;

  std::vector<CallerRef> refs;
  for (const CallerRef& r : s.refs)
    if (r.view == view) refs.push_back(r);
  std::erase_if(s.refs, [view](const CallerRef& r) { return r.view == view; });
  for (auto it = refs.rbegin(); it != refs.rend(); ++it) it->ref.AssignThrough(it->previous);
  if (alias_vars) {
    // Each variable given here gets its own value back: that of the same variable when the
    // view took it, else the one at its place among NOPENVIEW's array (or, without one, among
    // the VIEWADD variables).
    const bool had_array = std::any_of(refs.begin(), refs.end(), [](const CallerRef& r) { return r.from_array; });
    std::vector<Value> by_place;
    for (const CallerRef& r : refs)
      if (r.from_array == had_array) by_place.push_back(r.previous);
    for (std::size_t i = 0; i < alias_vars.size(); ++i) {
      Value& var = alias_vars[i];
      if (!var.IsRef()) continue;
      const auto same = std::find_if(refs.begin(), refs.end(), [&](const CallerRef& r) { return SameVariable(r.ref, var); });
      if (same != refs.end()) var.AssignThrough(same->previous);
      else if (i < by_place.size()) var.AssignThrough(by_place[i]);
    }
  }

  std::vector<OpenTable> tables;
  for (const OpenTable& t : s.open)
    if (t.view == view) tables.push_back(t);
  std::erase_if(s.open, [view](const OpenTable& t) { return t.view == view; });
  {
    SelectedArea keep;
    for (const OpenTable& t : tables) {
      if (t.shared) continue;
      CloseAlias(t.alias);
      nChgFiles(-t.files);
      if (t.temporary) {
        TmpErase(t.alias);
      } else {
        ReleaseAlias(t.alias_number, t.base);
      }
    }
    for (const SavedPosition& p : s.saved)
      if (p.view == view && AreaOf(p.alias)) GetStatus(p.alias, p.status);
  }
  std::erase_if(s.saved, [view](const SavedPosition& p) { return p.view == view; });
  s.in_use.erase(view);
  s.free_numbers.insert(view);
  return true;
}

bool TmpErase(std::string_view alias) {
  ViewState& s = State();
  const std::string wanted = xb::UpperName(Trimmed(alias));
  auto it = std::find_if(s.temporaries.begin(), s.temporaries.end(),
                         [&](const TempTable& t) { return xb::UpperName(t.alias) == wanted; });
  if (it == s.temporaries.end()) return false;
  const TempTable temp = *it;
  s.temporaries.erase(it);
  CloseAlias(temp.alias);
  xb::rdd::FileSystem& fs = Areas().file_system();
  for (const std::string& file : temp.extra_files) (void)fs.Remove(file);
  return EraseTableFiles(temp.stem);
}

void SetAlias(const xb::Value& value) { State().stored = value; }

bool EraseTableFiles(const std::string& stem) {
  xb::rdd::FileSystem& fs = Areas().file_system();
  const bool erased = fs.Remove(stem + ".dbf").ok();
  for (const char* extension : {".ntx", ".mdx", ".cdx", ".fpt", ".dbt"}) (void)fs.Remove(stem + extension);
  return erased;
}

std::string FreeTemporaryStem(const std::string& stem) {
  xb::rdd::FileSystem& fs = Areas().file_system();
  for (int n = 0; n < kMaxTemporaryNumber; ++n) {
    const std::string candidate = stem + std::to_string(n);
    if (fs.Exists(candidate + ".dbf")) {
      if (!EraseTableFiles(candidate)) continue;
    }
    if (!fs.Exists(candidate + ".dbf")) return candidate;
  }
  return stem + std::to_string(kMaxTemporaryNumber);
}

void ResetTableViews() { State() = ViewState{}; }

namespace {

std::vector<std::string> Texts(const Value& v) {
  std::vector<std::string> texts;
  if (v.IsString()) {
    if (!Trimmed(v.AsString()).empty()) texts.emplace_back(Trimmed(v.AsString()));
  } else if (v.IsArray()) {
    for (const Value& item : v.AsArray())
      if (item.Deref().IsString()) texts.emplace_back(Trimmed(item.Deref().AsString()));
  }
  return texts;
}

// The argument as passed: a reference when the caller gave one.
Value RawArg(const Args& a, int n) { return n <= a.Count() ? a.Raw()[static_cast<std::size_t>(n - 1)] : Value(); }

}  // namespace

void RegisterTableViews() {
  xb::RegisterFunction("VIEWBEGIN", [](Args& a) { return Value::Logical(ViewBegin(a.Log(1))); });
  // VIEWADD(cTable, @cAlias, aIndexes, cMode, lConta, lCatalogue, cFolder, lConta2, cDriver)
  xb::RegisterFunction("VIEWADD", [](Args& a) {
    ViewTable t;
    t.table = std::string(a.Str(1));
    t.indexes = Texts(a.Arg(3));
    t.mode = std::string(a.Str(4));
    t.accounting = a.Log(5);
    t.from_catalogue = a.Log(6);
    t.folder = std::string(a.Str(7));
    t.second_accounting = a.Log(8);
    t.driver = std::string(a.Str(9));
    ViewAdd(t, RawArg(a, 2));
    return Value::Logical(true);
  });
  // VIEWADDTEMP(cBase, @cAlias, cStructureOf, lKeep, aKeys, cFolder, cDriver)
  xb::RegisterFunction("VIEWADDTEMP", [](Args& a) {
    ViewTempTable t;
    t.base = std::string(a.Str(1));
    t.structure_of = a.Arg(3).IsNumber() ? std::to_string(a.Int(3)) : std::string(a.Str(3));
    t.keep = a.Log(4);
    t.keys = Texts(a.Arg(5));
    t.folder = std::string(a.Str(6));
    t.driver = std::string(a.Str(7));
    ViewAddTemp(t, RawArg(a, 2));
    return Value::Logical(true);
  });
  xb::RegisterFunction("NOPENVIEW",
                       [](Args& a) { return Value::Integer(nOpenView(a.Arr(1), static_cast<int>(a.Int(2)))); });
  xb::RegisterFunction("RESTOREVIEW", [](Args& a) {
    if (!a.Arg(1).IsNumber()) return Value::Logical(false);
    return Value::Logical(RestoreView(static_cast<int>(a.Int(1)), a.Arr(2)));
  });
  xb::RegisterFunction("TMPERASE", [](Args& a) { return Value::Logical(TmpErase(a.Str(1))); });
  // CALLINDEX(cTable): the tags the catalogue gives the table, as an array of names.
  xb::RegisterFunction("CALLINDEX", [](Args& a) {
    xb::Array tags = xb::Array::New();
    for (const std::string& tag : CatalogueTags(a.Str(1))) tags.Append(Value::String(tag));
    return Value(tags);
  });
  xb::RegisterFunction("SETALIAS", [](Args& a) {
    SetAlias(a.Arg(1));
    return Value();
  });
}

}  // namespace data
