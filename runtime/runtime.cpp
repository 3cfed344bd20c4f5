// The runtime's own public functions: what the language needs to be usable and testable.
// The standard library (strings, numbers, dates, arrays, files, pictures) registers in
// its own modules, called from InitRuntime.
#include "runtime/runtime.h"

#include "runtime/lib/library.h"
#include "runtime/setkey.h"

namespace xb {

namespace {

Value FnValType(Args& a) { return Value::String(std::string(1, a.Arg(1).ValType())); }

Value FnEval(Args& a) {
  std::span<const Value> raw = a.Raw();
  if (raw.empty()) return EvalValue(Value(), {});
  return EvalValue(raw[0], raw.subspan(1));
}

Value FnLen(Args& a) {
  const Value& v = a.Arg(1);
  if (v.IsString()) return Value::Integer(static_cast<std::int64_t>(v.StringLength()));
  if (v.IsArray()) return Value::Integer(static_cast<std::int64_t>(v.AsArray().size()));
  return ArgumentError("LEN", 1111, a.Raw());
}

Value FnType(Args& a) {
  const Value& v = a.Arg(1);
  if (!v.IsString()) return ArgumentError("TYPE", 1121, a.Raw());
  return Value::String(TypeOf(v.AsString()));
}

// The caller's arguments: frame 0 is PCOUNT itself.
Value FnPCount(Args&) { return Value::Integer(static_cast<std::int64_t>(ProcArgs(1).size())); }

Value FnSet(Args& a) {
  if (!a.Arg(1).IsNumber()) return Value();
  int id = static_cast<int>(a.Int(1));
  if (a.Count() >= 2) return SetValue(id, a.Arg(2));
  return GetSetValue(id);
}

Value FnSetCentury(Args& a) {
  bool old = Century();
  const Value& v = a.Arg(1);
  if (v.IsLogical()) SetCentury(v.AsLogical());
  else if (v.IsString()) {
    std::string s = UpperName(v.AsString());
    if (s == "ON") SetCentury(true);
    else if (s == "OFF") SetCentury(false);
  }
  return Value::Logical(old);
}

Value FnErrorBlock(Args& a) {
  Value old = GetErrorBlock();
  if (a.Arg(1).IsBlock()) SetErrorBlock(a.Arg(1));
  return old;
}

Value FnErrorNew(Args&) { return Value(MakeRef<Error>()); }

Value FnBreak(Args& a) { Break(a.Arg(1)); }

Value FnProcName(Args& a) { return Value::String(ProcName(static_cast<int>(a.Int(1)) + 1)); }
Value FnProcLine(Args& a) { return Value::Integer(ProcLine(static_cast<int>(a.Int(1)) + 1)); }

// PUBLIC / PRIVATE declared by name, as compiled xBase code declares them.
Value FnMvPublic(Args& a) {
  for (int i = 1; i <= a.Count(); ++i)
    if (a.Arg(i).IsString()) DeclarePublic(Intern(a.Arg(i).AsString()));
  return Value();
}
Value FnMvPrivate(Args& a) {
  for (int i = 1; i <= a.Count(); ++i)
    if (a.Arg(i).IsString()) DeclarePrivate(Intern(a.Arg(i).AsString()));
  return Value();
}
Value FnMvGet(Args& a) { return GetMemvar(Intern(a.Str(1))); }
Value FnMvPut(Args& a) {
  Value v = a.Arg(2);
  SetMemvar(Intern(a.Str(1)), v);
  return v;
}
Value FnMvExist(Args& a) { return Value::Logical(a.Arg(1).IsString() && FindMemvar(Intern(a.Str(1)))); }

}  // namespace

void InitRuntime() {
  RegisterFunction("VALTYPE", FnValType);
  RegisterFunction("EVAL", FnEval);
  RegisterFunction("LEN", FnLen);
  RegisterFunction("TYPE", FnType);
  RegisterFunction("PCOUNT", FnPCount);
  RegisterFunction("SET", FnSet);
  RegisterFunction("__SETCENTURY", FnSetCentury);
  RegisterFunction("ERRORBLOCK", FnErrorBlock);
  RegisterFunction("ERRORNEW", FnErrorNew);
  RegisterFunction("BREAK", FnBreak);
  RegisterFunction("PROCNAME", FnProcName);
  RegisterFunction("PROCLINE", FnProcLine);
  RegisterFunction("__MVPUBLIC", FnMvPublic);
  RegisterFunction("__MVPRIVATE", FnMvPrivate);
  RegisterFunction("__MVGET", FnMvGet);
  RegisterFunction("__MVPUT", FnMvPut);
  RegisterFunction("__MVEXIST", FnMvExist);
  RegisterSetKeyFunctions();
  RegisterStandardLibrary();
}

}  // namespace xb
