// The xBase functions of tables and work areas, registered by their upper-case names.
#include <cstdlib>

#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/sets.h"
#include "runtime/rdd/order_functions.h"
#include "runtime/rdd/workareas.h"

namespace xb::rdd {
namespace {

// Subcodes of the work-area commands (subsystem DBCMD).
constexpr int kCmdNoAlias = 1002;
constexpr int kCmdUseBadParameter = 1005;
constexpr int kCmdBadAlias = 1010;
constexpr int kCmdDupAlias = 1011;
constexpr int kCmdBadParameter = 1014;
constexpr int kCmdNoDriver = 1015;
constexpr int kCmdNoTable = 2001;

WorkAreas& Areas() { return WorkAreas::Get(); }
WorkArea& Current() { return Areas().Current(); }

void CommandError(int gen_code, int sub_code, std::string_view operation, const Args& a,
                  std::string_view detail = {}) {
  std::string description(GenCodeDescription(gen_code));
  if (!detail.empty()) description += ": " + std::string(detail);
  ErrorRef e = MakeError("DBCMD", gen_code, sub_code, operation, description);
  e->canDefault = true;
  e->args = Value(Array::Of(a.Raw()));
  (void)Raise(e);
}

// The current area's table, or the "Workarea not in use" error.
WorkArea* InUse(std::string_view operation, const Args& a) {
  WorkArea& area = Current();
  if (area.used()) return &area;
  CommandError(EG_NOTABLE, kCmdNoTable, operation, a);
  return nullptr;
}

const Driver* DriverArg(const Value& v, std::string_view operation, const Args& a) {
  if (!v.IsString() || v.AsString().find_first_not_of(' ') == std::string_view::npos) return &DefaultDriver();
  const Driver* d = FindDriver(v.AsString());
  if (!d) CommandError(EG_ARG, kCmdNoDriver, operation, a, "controlador desconocido: " + std::string(v.AsString()));
  return d;
}

char Separator() {
#if defined(_WIN32)
  return '\\';
#else
  return '/';
#endif
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '\\' || last == '/' || last == ':' ? folder + name : folder + Separator() + name;
}

// A table name as DBUSEAREA and DBCREATE take it: ".dbf" added when there is no extension,
// and a bare name looked for in SET DEFAULT, then (to open) in the folders of SET PATH.
std::string TablePath(std::string_view given, bool to_open) {
  std::string name(given);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(name.begin());
  if (PathExtension(name).empty()) name += ".dbf";
  if (!PathFolder(name).empty()) return name;
  const std::string in_default = InFolder(Sets().defaultPath, name);
  if (!to_open || Sets().path.empty() || Areas().file_system().Exists(in_default)) return in_default;
  std::string rest = Sets().path;
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of(";,");
    const std::string folder = rest.substr(0, cut);
    if (!folder.empty() && Areas().file_system().Exists(InFolder(folder, name))) return InFolder(folder, name);
    if (cut == std::string::npos) break;
    rest.erase(0, cut + 1);
  }
  return in_default;
}

bool ValidAlias(const std::string& alias) {
  if (alias.empty() || alias.size() > 63) return false;
  for (std::size_t i = 0; i < alias.size(); ++i) {
    const char c = alias[i];
    const bool letter = (c >= 'A' && c <= 'Z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

Value Logical(bool b) { return Value::Logical(b); }
Value Integer(std::int64_t n) { return Value::Integer(n); }

// ---- drivers -------------------------------------------------------------------------------

Value FnRddRegister(Args& a) { return Integer(RegisterDriver(a.Str(1))); }

Value FnRddSetDefault(Args& a) {
  const std::string previous = DefaultDriver().name;
  if (a.Arg(1).IsString() && !a.Str(1).empty() && !SetDefaultDriver(a.Str(1)))
    CommandError(EG_ARG, kCmdNoDriver, "RDDSETDEFAULT", a, "controlador desconocido: " + std::string(a.Str(1)));
  return Value::String(previous);
}

Value FnRddName(Args&) { return Value::String(Current().used() ? Current().driver().name : std::string()); }

Value FnRddList(Args&) {
  Array list = Array::New();
  for (const std::string& name : RegisteredDrivers()) list.Append(Value::String(name));
  return Value(list);
}

Value FnOrdBagExt(Args&) {
  return Value::String(Current().used() ? Current().driver().bag_extension : DefaultDriver().bag_extension);
}

// The Advantage calls the program makes: the engine here is local and always uses CDX
// indexes and FPT memos, so the settings are kept and answered, and there is never an
// Advantage error to report (a failure's cause travels in the error object's OS code).
int g_ads_file_type = 2;
Value FnAdsSetServerType(Args&) { return Integer(0); }
Value FnAdsSetFileType(Args& a) {
  const int previous = g_ads_file_type;
  const std::int64_t type = a.Int(1);
  if (type >= 1 && type <= 3) g_ads_file_type = static_cast<int>(type);
  return Integer(previous);
}
Value FnAdsGetLastError(Args& a) {
  a.SetRef(1, Value::String(""));
  return Integer(0);
}

// ---- work areas ----------------------------------------------------------------------------

// DBUSEAREA(lNewArea, cDriver, cName, cAlias, lShared, lReadOnly)
Value FnDbUseArea(Args& a) {
  WorkAreas& areas = Areas();
  areas.set_net_error(false);
  const Driver* driver = DriverArg(a.Arg(2), "DBUSEAREA", a);
  if (!driver) return Logical(false);
  if (!a.Arg(3).IsString() || a.Str(3).find_first_not_of(' ') == std::string_view::npos) {
    CommandError(EG_ARG, kCmdUseBadParameter, "DBUSEAREA", a);
    return Logical(false);
  }
  WorkArea::OpenRequest request;
  request.driver = driver;
  request.path = TablePath(a.Str(3), true);
  std::string alias = a.Arg(4).IsString() ? UpperName(a.Str(4)) : std::string();
  while (!alias.empty() && alias.back() == ' ') alias.pop_back();
  if (alias.empty()) alias = UpperName(PathWithExtension(PathName(request.path), ""));
  if (a.Log(1)) areas.SelectArea(0);
  else Current().Close();
  if (!ValidAlias(alias)) {
    CommandError(EG_BADALIAS, kCmdBadAlias, "DBUSEAREA", a, alias);
    return Logical(false);
  }
  if (const int other = areas.AreaOfAlias(alias); other && other != areas.CurrentArea()) {
    CommandError(EG_DUPALIAS, kCmdDupAlias, "DBUSEAREA", a, alias);
    return Logical(false);
  }
  request.alias = alias;
  request.shared = a.Arg(5).IsLogical() ? a.Log(5) : !Sets().exclusive;
  request.read_only = a.Log(6);
  const bool opened = Current().Open(areas.file_system(), request);
  if (!opened) areas.set_net_error(true);
  return Logical(opened);
}

Value FnSelect(Args& a) {
  if (a.Arg(1).IsString()) return Integer(Areas().AreaOfAlias(a.Str(1)));
  return Integer(Areas().CurrentArea());
}

Value FnDbSelectArea(Args& a) {
  const Value& v = a.Arg(1);
  if (v.IsNumber()) {
    Areas().SelectArea(static_cast<int>(v.AsInt()));
  } else if (v.IsString()) {
    std::string text(v.AsString());
    const int area = std::atoi(text.c_str()) > 0 ? std::atoi(text.c_str()) : Areas().AreaOfAlias(text);
    if (area) Areas().SelectArea(area);
    else CommandError(EG_NOALIAS, kCmdNoAlias, "DBSELECTAREA", a, text);
  }
  return Value();
}

Value FnAlias(Args& a) {
  WorkArea* area = a.Arg(1).IsNumber() ? Areas().Area(static_cast<int>(a.Int(1))) : &Current();
  return Value::String(area && area->used() ? area->alias() : std::string());
}

Value FnUsed(Args&) { return Logical(Current().used()); }

Value FnDbCloseArea(Args&) {
  Current().Close();
  return Value();
}

Value FnDbCloseAll(Args&) {
  Areas().CloseAll();
  return Value();
}

Value FnNetErr(Args& a) {
  if (a.Arg(1).IsLogical()) Areas().set_net_error(a.Log(1));
  return Logical(Areas().net_error());
}

// DBCREATE(cFile, aStruct, cDriver, lKeepOpen, cAlias): with lKeepOpen .T. the new table is
// opened in a new area, with .F. in the current one, without it not at all.
Value FnDbCreate(Args& a) {
  const Driver* driver = DriverArg(a.Arg(3), "DBCREATE", a);
  if (!driver) return Logical(false);
  const Array structure = a.Arr(2);
  std::vector<dbf::FieldSpec> specs;
  bool ok = a.Arg(1).IsString() && structure && !structure.empty();
  for (std::size_t i = 0; ok && i < structure.size(); ++i) {
    const Array field = structure.Get(i).AsArray();
    ok = field && field.size() >= 4 && field.Get(0).IsString() && field.Get(1).IsString() &&
         !field.Get(1).AsString().empty() && field.Get(2).IsNumber() && field.Get(3).IsNumber();
    if (!ok) break;
    dbf::FieldSpec spec;
    spec.name = std::string(field.Get(0).AsString());
    spec.type = field.Get(1).AsString()[0];
    spec.length = static_cast<int>(field.Get(2).AsInt());
    spec.decimals = static_cast<int>(field.Get(3).AsInt());
    specs.push_back(std::move(spec));
  }
  if (!ok) {
    CommandError(EG_ARG, kCmdBadParameter, "DBCREATE", a, "estructura no válida");
    return Logical(false);
  }
  const std::string path = TablePath(a.Str(1), false);
  for (;;) {
    const Status s = DbfTable::Create(Areas().file_system(), path, specs, driver->memo);
    if (s.ok()) break;
    if (s.code() == StatusCode::kInvalid) {
      CommandError(EG_ARG, kCmdBadParameter, "DBCREATE", a, s.message());
      return Logical(false);
    }
    ErrorSite site;
    site.operation = "DBCREATE";
    site.gen_code = s.code() == StatusCode::kIo ? EG_CREATE : 0;
    site.sub_code = s.file() == path || s.file().empty() ? subcode::kCreateTable : subcode::kCreateMemo;
    site.filename = s.file().empty() ? path : s.file();
    site.can_retry = s.code() == StatusCode::kIo;
    if (!RaiseTableError(s, driver->name, site)) {
      Areas().set_net_error(true);
      return Logical(false);
    }
  }
  if (!a.Arg(4).IsLogical()) return Logical(true);
  const Value args[] = {a.Arg(4), Value::String(driver->name), Value::String(path), a.Arg(5),
                        Value::Logical(!Sets().exclusive), Value::Logical(false)};
  Args open_args{std::span<const Value>(args)};
  return FnDbUseArea(open_args);
}

Value FnDbStruct(Args&) {
  Array out = Array::New();
  WorkArea& area = Current();
  for (int i = 1; i <= area.FieldCount(); ++i) {
    const dbf::Field* f = area.FieldAt(i);
    out.Append(Value(Array::Of({Value::String(f->name), Value::String(std::string(1, f->type)),
                                Value::Integer(f->length), Value::Integer(f->decimals)})));
  }
  return Value(out);
}

Value FnDelDbfMdx(Args& a) {
  if (!a.Arg(1).IsString()) return Logical(false);
  return Logical(ClearStructuralIndexFlag(Areas().file_system(), std::string(a.Str(1))).ok());
}

// ---- fields --------------------------------------------------------------------------------

Value FnFCount(Args&) { return Integer(Current().FieldCount()); }

Value FnFieldName(Args& a) {
  const dbf::Field* f = Current().FieldAt(static_cast<int>(a.Int(1)));
  return Value::String(f ? f->name : std::string());
}

Value FnFieldPos(Args& a) { return Integer(a.Arg(1).IsString() ? Current().FieldPos(a.Str(1)) : 0); }
Value FnFieldGet(Args& a) { return Current().GetField(static_cast<int>(a.Int(1))); }

Value FnFieldPut(Args& a) {
  const Value& v = a.Arg(2);
  return Current().PutField(static_cast<int>(a.Int(1)), v) ? v : Value();
}

Value FnFieldLen(Args& a) {
  const dbf::Field* f = Current().FieldAt(static_cast<int>(a.Int(1)));
  return Integer(f ? f->length : 0);
}
Value FnFieldDec(Args& a) {
  const dbf::Field* f = Current().FieldAt(static_cast<int>(a.Int(1)));
  return Integer(f ? f->decimals : 0);
}
Value FnFieldType(Args& a) {
  const dbf::Field* f = Current().FieldAt(static_cast<int>(a.Int(1)));
  return Value::String(f ? std::string(1, f->type) : std::string());
}

// ---- records -------------------------------------------------------------------------------

Value FnDbAppend(Args& a) {
  Areas().set_net_error(false);
  WorkArea* area = InUse("DBAPPEND", a);
  if (!area) return Value();
  if (!area->Append(a.Arg(1).IsLogical() ? a.Log(1) : true)) Areas().set_net_error(true);
  return Value();
}

Value FnDbDelete(Args& a) {
  if (WorkArea* area = InUse("DBDELETE", a)) area->Delete();
  return Value();
}
Value FnDbRecall(Args& a) {
  if (WorkArea* area = InUse("DBRECALL", a)) area->Recall();
  return Value();
}
Value FnDeleted(Args&) { return Logical(Current().Deleted()); }

Value FnDbGoTo(Args& a) {
  if (WorkArea* area = InUse("DBGOTO", a)) {
    const std::int64_t n = a.Int(1);
    area->GoTo(n > 0 && n <= 0xFFFFFFFFLL ? static_cast<std::uint32_t>(n) : 0);
  }
  return Value();
}
Value FnDbGoTop(Args& a) {
  if (WorkArea* area = InUse("DBGOTOP", a)) area->GoTop();
  return Value();
}
Value FnDbGoBottom(Args& a) {
  if (WorkArea* area = InUse("DBGOBOTTOM", a)) area->GoBottom();
  return Value();
}
Value FnDbSkip(Args& a) {
  if (WorkArea* area = InUse("DBSKIP", a)) area->Skip(a.Arg(1).IsNumber() ? a.Int(1) : 1);
  return Value();
}

Value FnBof(Args&) { return Logical(Current().bof()); }
Value FnEof(Args&) { return Logical(Current().eof()); }
Value FnFound(Args&) { return Logical(Current().found()); }
Value FnRecNo(Args&) { return Integer(Current().recno()); }
Value FnLastRec(Args&) { return Integer(Current().RecordCount()); }

Value FnDbCommit(Args& a) {
  if (WorkArea* area = InUse("DBCOMMIT", a)) area->Commit();
  return Value();
}
Value FnDbPack(Args& a) {
  if (WorkArea* area = InUse("__DBPACK", a)) area->Pack();
  return Value();
}
Value FnDbZap(Args& a) {
  if (WorkArea* area = InUse("__DBZAP", a)) area->Zap();
  return Value();
}

// ---- locks ---------------------------------------------------------------------------------

Value FnRLock(Args& a) {
  WorkArea* area = InUse("RLOCK", a);
  return Logical(area && area->LockRecord(0, false));
}

// DBRLOCK(): releases the others and locks the current record; DBRLOCK(n) adds record n.
Value FnDbRLock(Args& a) {
  WorkArea* area = InUse("DBRLOCK", a);
  if (!area) return Logical(false);
  if (a.Arg(1).IsNumber() && a.Int(1) > 0)
    return Logical(area->LockRecord(static_cast<std::uint32_t>(a.Int(1)), true));
  return Logical(area->LockRecord(0, false));
}

Value FnFLock(Args& a) {
  WorkArea* area = InUse("FLOCK", a);
  return Logical(area && area->LockFile());
}

Value FnDbUnlock(Args&) {
  Current().Unlock(0);
  return Value();
}

Value FnDbRLockList(Args&) {
  Array out = Array::New();
  for (std::uint32_t r : Current().LockList()) out.Append(Integer(r));
  return Value(out);
}

}  // namespace

void InitTables() {
  InitOrderFunctions();
  RegisterFunction("RDDREGISTER", FnRddRegister);
  RegisterFunction("RDDSETDEFAULT", FnRddSetDefault);
  RegisterFunction("RDDNAME", FnRddName);
  RegisterFunction("RDDLIST", FnRddList);
  RegisterFunction("ORDBAGEXT", FnOrdBagExt);
  RegisterFunction("ADSSETSERVERTYPE", FnAdsSetServerType);
  RegisterFunction("ADSSETFILETYPE", FnAdsSetFileType);
  RegisterFunction("ADSGETLASTERROR", FnAdsGetLastError);

  RegisterFunction("DBUSEAREA", FnDbUseArea);
  RegisterFunction("SELECT", FnSelect);
  RegisterFunction("DBSELECTAREA", FnDbSelectArea);
  RegisterFunction("ALIAS", FnAlias);
  RegisterFunction("USED", FnUsed);
  RegisterFunction("DBCLOSEAREA", FnDbCloseArea);
  RegisterFunction("DBCLOSEALL", FnDbCloseAll);
  RegisterFunction("NETERR", FnNetErr);
  RegisterFunction("DBCREATE", FnDbCreate);
  RegisterFunction("DBSTRUCT", FnDbStruct);
  RegisterFunction("DELDBFMDX", FnDelDbfMdx);

  RegisterFunction("FCOUNT", FnFCount);
  RegisterFunction("FIELDNAME", FnFieldName);
  RegisterFunction("FIELD", FnFieldName);
  RegisterFunction("FIELDPOS", FnFieldPos);
  RegisterFunction("FIELDGET", FnFieldGet);
  RegisterFunction("FIELDPUT", FnFieldPut);
  RegisterFunction("FIELDLEN", FnFieldLen);
  RegisterFunction("FIELDDEC", FnFieldDec);
  RegisterFunction("FIELDTYPE", FnFieldType);
  RegisterFunction("HB_FIELDLEN", FnFieldLen);
  RegisterFunction("HB_FIELDDEC", FnFieldDec);
  RegisterFunction("HB_FIELDTYPE", FnFieldType);

  RegisterFunction("DBAPPEND", FnDbAppend);
  RegisterFunction("DBDELETE", FnDbDelete);
  RegisterFunction("DBRECALL", FnDbRecall);
  RegisterFunction("DELETED", FnDeleted);
  RegisterFunction("DBGOTO", FnDbGoTo);
  RegisterFunction("DBGOTOP", FnDbGoTop);
  RegisterFunction("DBGOBOTTOM", FnDbGoBottom);
  RegisterFunction("DBSKIP", FnDbSkip);
  RegisterFunction("BOF", FnBof);
  RegisterFunction("EOF", FnEof);
  RegisterFunction("FOUND", FnFound);
  RegisterFunction("RECNO", FnRecNo);
  RegisterFunction("LASTREC", FnLastRec);
  RegisterFunction("RECCOUNT", FnLastRec);
  RegisterFunction("DBCOMMIT", FnDbCommit);
  RegisterFunction("__DBPACK", FnDbPack);
  RegisterFunction("__DBZAP", FnDbZap);

  RegisterFunction("RLOCK", FnRLock);
  RegisterFunction("DBRLOCK", FnDbRLock);
  RegisterFunction("FLOCK", FnFLock);
  RegisterFunction("DBUNLOCK", FnDbUnlock);
  RegisterFunction("DBRLOCKLIST", FnDbRLockList);

  SetWorkAreaHost(&WorkAreas::Get());
}

}  // namespace xb::rdd
