#include "data/program_settings.h"

#include <memory>

#include "data/data_ui.h"
#include "data/program_folder.h"
#include "data/table_access.h"
#include "data/value_text.h"
#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/os_files.h"
#include "runtime/object.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"

namespace data {
namespace {

using xb::Value;

// The program's shared values: one record, reached only through the accessors.
struct ProgramState {
  std::string path_start, path_exe, path_informe, path_tmp, path_dbf, path_dbf_delegacion;
  bool ristelo = false;
  std::string cod_emp, cod_emp2, dbf_conta, dbf_conta2;
  bool new_conta = false;
  std::string title;
  bool network = false;
  std::string cod_empresa, nom_empresa;
  Value st_empresa;
  std::string emp_codigo;
  bool primero = true;
  xb::Date work_date;
  Value main_window;
  Value hand;
  int handlers = 0;
  int chg_files = 0;
};

ProgramState& State() {
  static ProgramState state;
  return state;
}

const std::string& Store(std::string& slot, std::string_view value) {
  slot.assign(value);
  return slot;
}

std::string Exchange(std::string& slot, std::string_view value) {
  std::string previous = std::move(slot);
  slot.assign(value);
  return previous;
}

xb::Date Today() {
  const xb::LocalTime now = xb::CurrentLocalTime();
  return xb::Date::FromYmd(now.year, now.month, now.day);
}

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

void Set(xb::SetId id, Value v) { xb::SetValue(id, v); }

// A whole-file copy on the tables' file system.
bool CopyFile(xb::rdd::FileSystem& fs, const std::string& from, const std::string& to) {
  std::unique_ptr<xb::rdd::File> in, out;
  xb::rdd::OpenOptions read;
  read.access = xb::rdd::Access::kRead;
  read.share = xb::rdd::Share::kShared;
  if (!fs.Open(from, read, &in).ok()) return false;
  xb::rdd::OpenOptions write;
  write.create = true;
  write.truncate = true;
  if (!fs.Open(to, write, &out).ok()) return false;
  std::string buffer(1 << 16, '\0');
  for (std::uint64_t offset = 0;;) {
    std::size_t got = 0;
    if (!in->Read(offset, buffer.data(), buffer.size(), &got).ok()) return false;
    if (got == 0) break;
    if (!out->Write(offset, buffer.data(), got).ok()) return false;
    offset += got;
  }
  return out->Sync().ok();
}

// Accessors seen from xBase text.
using xb::Args;

void TextSetting(std::string_view name, std::string ProgramState::*slot) {
  xb::RegisterFunction(name, [slot](Args& a) {
    if (a.Arg(1).IsString()) (State().*slot).assign(a.Str(1));
    return Value::String(State().*slot);
  });
}

// Stores when given a text and answers the text held before.
void PreviousTextSetting(std::string_view name, std::string ProgramState::*slot) {
  xb::RegisterFunction(name, [slot](Args& a) {
    Value previous = Value::String(State().*slot);
    if (a.Arg(1).IsString()) (State().*slot).assign(a.Str(1));
    return previous;
  });
}

void LogicalSetting(std::string_view name, bool ProgramState::*slot) {
  xb::RegisterFunction(name, [slot](Args& a) {
    if (a.Arg(1).IsLogical()) State().*slot = a.Log(1);
    return Value::Logical(State().*slot);
  });
}

}  // namespace

const std::string& cPathStart() { return State().path_start; }
const std::string& cPathStart(std::string_view f) { return Store(State().path_start, f); }
const std::string& cPathExe() { return State().path_exe; }
const std::string& cPathExe(std::string_view f) { return Store(State().path_exe, f); }
const std::string& cPathInforme() { return State().path_informe; }
const std::string& cPathInforme(std::string_view f) { return Store(State().path_informe, f); }
const std::string& cPathTmp() { return State().path_tmp; }
const std::string& cPathTmp(std::string_view f) { return Store(State().path_tmp, f); }
const std::string& cPathDbf() { return State().path_dbf; }
const std::string& cPathDbf(std::string_view f) { return Store(State().path_dbf, f); }
const std::string& cPathDbfDelegacion() { return State().path_dbf_delegacion; }
const std::string& cPathDbfDelegacion(std::string_view f) { return Store(State().path_dbf_delegacion, f); }

bool lRistelo() { return State().ristelo; }
bool lRistelo(bool on) { return State().ristelo = on; }
const std::string& cCodEmp() { return State().cod_emp; }
const std::string& cCodEmp(std::string_view c) { return Store(State().cod_emp, c); }
const std::string& cCodEmp2() { return State().cod_emp2; }
const std::string& cCodEmp2(std::string_view c) { return Store(State().cod_emp2, c); }
const std::string& cDbfConta() { return State().dbf_conta; }
const std::string& cDbfConta(std::string_view f) { return Store(State().dbf_conta, f); }
const std::string& cDbfConta2() { return State().dbf_conta2; }
const std::string& cDbfConta2(std::string_view f) { return Store(State().dbf_conta2, f); }
bool lNewConta() { return State().new_conta; }
bool lNewConta(bool on) { return State().new_conta = on; }

const std::string& cTitle() { return State().title; }
const std::string& cTitle(std::string_view t) { return Store(State().title, t); }
bool lNetwork() { return State().network; }
bool lNetwork(bool on) { return State().network = on; }

std::string cCodEmpresa() { return State().cod_empresa; }
std::string cCodEmpresa(std::string_view code) { return Exchange(State().cod_empresa, code); }
std::string cNomEmpresa() { return State().nom_empresa; }
std::string cNomEmpresa(std::string_view name) { return Exchange(State().nom_empresa, name); }
Value aStEmpresa() { return State().st_empresa; }
Value aStEmpresa(const Value& record) {
  Value previous = State().st_empresa;
  State().st_empresa = record;
  return previous;
}
const std::string& cEmpCodigo() { return State().emp_codigo; }
const std::string& cEmpCodigo(std::string_view code) { return Store(State().emp_codigo, code); }
bool qz_lPrimero() { return State().primero; }
bool qz_lPrimero(bool on) { return State().primero = on; }

xb::Date dSetDate() { return State().work_date; }
xb::Date dSetDate(xb::Date date) { return State().work_date = date; }
const Value& oWnd() { return State().main_window; }
void SetMainWindow(Value window) { State().main_window = std::move(window); }
const Value& oHand() { return State().hand; }
int nHandlers() { return State().handlers; }
int nHandlers(int count) { return State().handlers = count; }
int nChgFiles(int delta) { return State().chg_files += delta; }

std::vector<std::pair<std::string, int>> GetDlgNames() { return {{"INDEXBAR", 10222}}; }

void ResetProgramSettings() { State() = ProgramState{}; }

bool Arranque(std::string_view start_folder, bool network) {
  ProgramState& s = State();
  const int handles = static_cast<int>(Call("SETHANDLECOUNT", {Value::Integer(255)}).AsInt());
  s.path_start.clear();
  s.path_exe.clear();
  s.path_informe.clear();
  s.network = false;

  std::string start(start_folder);
  if (start.empty()) {
    const std::string current(Call("CURDIR").AsString());
    start = current.empty() ? ".\\" : "\\" + current + "\\";
  }
  // Relative folders given by the program (..\DBF\) count from the program's own folder.
  if (const std::string folder = ProgramFolder(); !folder.empty()) xb::os::ChangeDir(folder);
  Call("SETHANDLECOUNT", {Value::Integer(handles)});
  s.handlers = handles;
  if (start.size() >= 2 && start.ends_with("\\\\")) start.pop_back();
  s.path_start = start;
  s.path_dbf_delegacion.clear();
  s.work_date = Today();

  Set(xb::SET_CONFIRM, Value::Logical(false));
  Set(xb::SET_DATEFORMAT, Value::String(xb::Century() ? "dd-mm-yyyy" : "dd-mm-yy"));
  Set(xb::SET_DELETED, Value::Logical(true));
  Set(xb::SET_ESCAPE, Value::Logical(true));
  Set(xb::SET_EXCLUSIVE, Value::Logical(true));
  Set(xb::SET_INTENSITY, Value::Logical(true));
  Set(xb::SET_SCOREBOARD, Value::Logical(false));
  Set(xb::SET_WRAP, Value::Logical(true));
  // Two-digit years fall in the eighty years before this one and the nineteen after it: a
  // fixed 1920 would put every year typed from 2020 on in the last century.
  Set(xb::SET_EPOCH, Value::Integer(xb::CurrentLocalTime().year - 80));
  Call("HB_LANGSELECT", {Value::String("ES")});

  // The cursor class lives in the window framework; a program without windows has none.
  if (xb::IsFunctionRegistered("TCURSOR"))
    s.hand = xb::Send(Call("TCURSOR"), "NEW", {Value::String("HAND")});
  s.network = network;
  return false;
}

bool EmpReset(std::optional<std::string> code) {
  ProgramState& s = State();
  const std::string table = s.path_start + "Empresa.Dbf";
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::FileSystem& fs = areas.file_system();
  if (!fs.Exists(table) && fs.Exists(s.path_start + "Empresa.seg"))
    CopyFile(fs, s.path_start + "Empresa.seg", s.path_start + "Empresa.dbf");
  if (!s.primero) return false;
  s.primero = false;
  const std::string wanted = code ? *code : s.emp_codigo;
  bool done = false;
  const int selected = areas.CurrentArea();
  NetUseOptions options;
  options.retries = 0;
  options.alias = "FEmpresa";
  if (fs.Exists(table) && lNetUse(s.path_start + "Empresa", options)) {
    Call("ORDSETFOCUS", {Value::Integer(1)});
    if (!wanted.empty() && Call("DBSEEK", {Value::String(wanted)}).AsLogical() && lNetRecLock()) {
      done = true;
      xb::rdd::WorkArea& area = areas.Current();
      const int uso = area.FieldPos("USO");
      if (uso && area.GetField(uso).AsDouble() > 0)
        area.PutField(uso, Value::Number(area.GetField(uso).AsDouble() - 1));
      area.Unlock(0);
    }
    areas.Current().Close();
  }
  areas.SelectArea(selected);
  s.primero = true;
  return done;
}

void oCursorHand(const Value& controls, bool remove) {
  auto give = [remove](const Value& control) {
    const xb::ObjectRef o = control.Deref().AsObject();
    if (!o) return;
    const xb::Class& cls = o->GetClass();
    if (!cls.IsDerivedFrom("TBTNBMP") && !cls.IsDerivedFrom("TBUTTON")) return;
    xb::Send(control, "_OCURSOR", {remove ? Value() : State().hand});
  };
  const Value& v = controls.Deref();
  if (v.IsArray()) {
    for (const Value& control : v.AsArray()) give(control);
  } else {
    give(v);
  }
}

void MsgDebug(std::string_view text, std::string_view title) { Ui().MsgInfo(text, title); }

void RegisterProgramSettings() {
  TextSetting("CPATHSTART", &ProgramState::path_start);
  TextSetting("CPATHEXE", &ProgramState::path_exe);
  TextSetting("CPATHINFORME", &ProgramState::path_informe);
  TextSetting("CPATHTMP", &ProgramState::path_tmp);
  TextSetting("CPATHDBF", &ProgramState::path_dbf);
  TextSetting("CPATHDBFDELEGACION", &ProgramState::path_dbf_delegacion);
  LogicalSetting("LRISTELO", &ProgramState::ristelo);
  TextSetting("CCODEMP", &ProgramState::cod_emp);
  TextSetting("CCODEMP2", &ProgramState::cod_emp2);
  TextSetting("CDBFCONTA", &ProgramState::dbf_conta);
  TextSetting("CDBFCONTA2", &ProgramState::dbf_conta2);
  LogicalSetting("LNEWCONTA", &ProgramState::new_conta);
  TextSetting("CTITLE", &ProgramState::title);
  LogicalSetting("LNETWORK", &ProgramState::network);
  PreviousTextSetting("CCODEMPRESA", &ProgramState::cod_empresa);
  PreviousTextSetting("CNOMEMPRESA", &ProgramState::nom_empresa);
  xb::RegisterFunction("ASTEMPRESA", [](Args& a) {
    Value previous = State().st_empresa;
    if (!a.IsNil(1)) State().st_empresa = a.Arg(1);
    return previous;
  });
  TextSetting("CEMPCODIGO", &ProgramState::emp_codigo);
  LogicalSetting("QZ_LPRIMERO", &ProgramState::primero);
  xb::RegisterFunction("DSETDATE", [](Args& a) {
    if (a.Arg(1).IsDate()) State().work_date = a.Dat(1);
    return Value::FromDate(State().work_date);
  });
  xb::RegisterFunction("OWND", [](Args&) { return State().main_window; });
  xb::RegisterFunction("OHAND", [](Args&) { return State().hand; });
  xb::RegisterFunction("NHANDLERS", [](Args& a) {
    if (a.Arg(1).IsNumber()) State().handlers = static_cast<int>(a.Int(1));
    return Value::Integer(State().handlers);
  });
  xb::RegisterFunction("NCHGFILES", [](Args& a) { return Value::Integer(nChgFiles(static_cast<int>(a.Int(1)))); });

  xb::RegisterFunction("CFONTNAME", [](Args&) { return Value::String(cFontName()); });
  xb::RegisterFunction("NFONTVSIZE", [](Args&) { return Value::Integer(nFontVSize()); });
  xb::RegisterFunction("NFONTHSIZE", [](Args&) { return Value::Integer(nFontHSize()); });
  xb::RegisterFunction("__PRODUCT", [](Args&) { return Value::String(ProductName()); });
  xb::RegisterFunction("APPMAINEXENAME", [](Args&) { return Value::String(AppMainExeName()); });
  xb::RegisterFunction("GETDLGNAMES", [](Args&) {
    xb::Array names = xb::Array::New();
    for (const auto& [name, id] : GetDlgNames())
      names.Append(Value(xb::Array::Of({Value::String(name), Value::Integer(id)})));
    return Value(names);
  });

  xb::RegisterFunction("ARRANQUE", [](Args& a) { return Value::Logical(Arranque(a.Str(1), a.Log(2))); });
  xb::RegisterFunction("EMPRESET", [](Args& a) {
    std::optional<std::string> code;
    if (a.Arg(1).IsString()) code = std::string(a.Str(1));
    return Value::Logical(EmpReset(code));
  });
  xb::RegisterFunction("OCURSORHAND", [](Args& a) {
    oCursorHand(a.Arg(1), a.Log(2));
    return Value::Logical(true);
  });
  xb::RegisterFunction("MSGDEBUG", [](Args& a) {
    MsgDebug(a.IsNil(1) ? "." : ValueText(a.Arg(1)), a.IsNil(2) ? "." : ValueText(a.Arg(2)));
    return Value();
  });
}

}  // namespace data
