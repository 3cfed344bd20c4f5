// The framework's small functions on values, objects, the procedure stack, memory and work
// areas, and the placeholders of features the system does not have (VBX controls).
#include "ui/core/framework_utils.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <typeinfo>

#include "runtime/array.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/object.h"
#include "runtime/proc_stack.h"
#include "runtime/symbol.h"
#include "ui/core/msg_box.h"
#include "ui/core/twindow.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

// The arguments of the procedure `level` calls above the caller of the asking function.
std::span<const Value> ParamsAt(const Args& a) { return xb::ProcArgs(static_cast<int>(a.Int(1)) + 1); }

void RegisterValuesAndObjects() {
  using xb::RegisterFunction;
  RegisterFunction("UVALBLANK", [](Args& a) { return UValBlank(a.Arg(1)); });
  RegisterFunction("READVAR", [](Args&) -> Value {
    for (const WindowRef& w : GetAllWin()) {
      if (w && w->lFocused && w->ClassName() == "TGET") return Value(w);
    }
    return Value();
  });
  RegisterFunction("CHILDLEVEL", [](Args& a) { return Value::Integer(ChildLevel(a.Arg(1), a.Arg(2))); });
  RegisterFunction("OCLONE", [](Args& a) { return OClone(a.Arg(1)); });
  RegisterFunction("OSEND", [](Args& a) {
    const auto raw = a.Raw();
    return OSend(a.Arg(1), a.Str(2), raw.size() > 2 ? raw.subspan(2, std::min<size_t>(raw.size() - 2, 10)) : raw.subspan(0, 0));
  });
  RegisterFunction("ASEND", [](Args& a) -> Value {
    const xb::Array list = a.Arr(1);
    if (!list) return Value();
    const auto raw = a.Raw();
    const auto rest = raw.size() > 2 ? raw.subspan(2, std::min<size_t>(raw.size() - 2, 10)) : raw.subspan(0, 0);
    for (size_t i = 0; i < list.size(); ++i) OSend(list.Get(i), a.Str(2), rest);
    return Value(list);
  });
  RegisterFunction("AODATA", [](Args& a) {
    xb::Array names = xb::Array::New();
    for (const std::string& n : AOData(a.Arg(1))) names.Append(Value::String(n));
    return Value(names);
  });
  RegisterFunction("_GENERROR", [](Args& a) {
    xb::ErrorRef e = xb::MakeError("BASE", xb::EG_NOMETHOD, static_cast<int>(a.Int(1)),
                                   std::string(a.Str(2)) + ":" + std::string(a.Str(3)), "Message not found");
    e->severity = xb::ES_ERROR;
    e->canSubstitute = true;
    return Value(e);
  });
  RegisterFunction("_CLSSETERROR", [](Args& a) -> Value {
    auto* error = dynamic_cast<xb::Error*>(a.Obj(1).get());
    if (error == nullptr) return Value();
    return xb::RaiseSubstitute(xb::ErrorRef(error));
  });
  // The procedure stack: its parameters; locals are not kept.
  RegisterFunction("PARAMCOUNT", [](Args& a) { return Value::Integer(static_cast<std::int64_t>(ParamsAt(a).size())); });
  RegisterFunction("GETPARAM", [](Args& a) -> Value {
    const auto params = ParamsAt(a);
    const std::int64_t n = a.Int(2);
    if (n < 1 || n > static_cast<std::int64_t>(params.size())) return Value();
    return params[static_cast<size_t>(n - 1)].Deref();
  });
  RegisterFunction("LOCALCOUNT", [](Args&) { return Value::Integer(0); });
  RegisterFunction("GETLOCAL", [](Args&) { return Value(); });
}

void RegisterMemoryAndPlaceholders() {
  using xb::RegisterFunction;
  auto memory = [](bool peak) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return Value::Integer(static_cast<std::int64_t>(peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize));
  };
  RegisterFunction("MEMUSED", [memory](Args&) { return memory(false); });
  RegisterFunction("MEMMAX", [memory](Args&) { return memory(true); });
  for (const char* zero : {"NSTATICS", "NINITDSSIZE", "NSYMPSIZE", "NSTACKSIZE", "NHEAPSIZE", "NTXPOS", "LOADVBX"}) {
    RegisterFunction(zero, [](Args&) { return Value::Integer(0); });
  }
  for (const char* nil : {"ULOADOBJECT", "VBXEVENT", "TVBCONTROL", "WINDOWSFIX", "SETMULTIPLE"}) {
    RegisterFunction(nil, [](Args&) { return Value(); });
  }
  RegisterFunction("VBXCLASSNAME", [](Args&) { return Value::String(""); });
  RegisterFunction("LOADLIB32", [](Args& a) {
    return Value::Integer(reinterpret_cast<std::intptr_t>(LoadLibraryA(std::string(a.Str(1)).c_str())));
  });
  RegisterFunction("FREELIB32", [](Args& a) {
    HMODULE module = reinterpret_cast<HMODULE>(static_cast<std::intptr_t>(a.Int(1)));
    return Value::Logical(module != nullptr && FreeLibrary(module));
  });
}

void RegisterWorkAreas() {
  using xb::RegisterFunction;
  RegisterFunction("AGETWORKAREAS", [](Args&) {
    xb::Array aliases = xb::Array::New();
    for (int n = 1; n <= 255; ++n) {
      const Value alias = Call("ALIAS", {Value::Integer(n)});
      if (alias.IsString() && !alias.AsString().empty()) aliases.Append(alias);
    }
    return Value(aliases);
  });
  RegisterFunction("CGETNEWALIAS", [](Args& a) { return Value::String(CGetNewAlias(std::string(a.Str(1)))); });
  RegisterFunction("GETORDNAMES", [](Args&) {
    xb::Array names = xb::Array::New();
    for (int n = 1;; ++n) {
      const std::string name(Call("ORDNAME", {Value::Integer(n)}).AsString());
      if (name.empty()) break;
      std::string shown = xb::UpperName(name.substr(0, 1));
      for (char c : name.substr(1)) shown += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      names.Append(Value::String(shown));
    }
    return Value(names);
  });
  RegisterFunction("DUPRECORD", [](Args&) { return Value::Logical(DupRecord()); });
  RegisterFunction("DBZAP", [](Args&) { return Call("__DBZAP"); });
  RegisterFunction("DBPACK", [](Args&) { return Call("__DBPACK"); });
}

}  // namespace

Value UValBlank(const Value& v) {
  const Value& value = v.Deref();
  if (value.IsString()) return Value::String(std::string(value.AsString().size(), ' '));
  if (value.IsNumber()) return Value::Integer(0);
  if (value.IsLogical()) return Value::Logical(false);
  if (value.IsDate()) return Value::FromDate(xb::Date{});
  return Value();
}

int ChildLevel(const Value& object, const Value& ancestor) {
  const xb::ObjectRef o = object.AsObject();
  if (!o) return 0;
  std::string name(ancestor.IsString() ? ancestor.AsString() : std::string_view());
  if (const xb::ObjectRef other = ancestor.AsObject()) name = other->ClassName();
  return o->GetClass().IsDerivedFrom(xb::UpperName(name)) ? 1 : 0;
}

namespace {

// A handle of a window or a GDI object ("HWND", "HFONT", "HBITMAP1" ...): its owner frees it.
bool IsHandleData(const std::string& name) {
  return name.size() > 1 && name[0] == 'H' && name[1] >= 'A' && name[1] <= 'Z';
}

}  // namespace

Value OClone(const Value& v) {
  const xb::ObjectRef o = v.AsObject();
  if (!o) return Value();
  if (typeid(*o) == typeid(xb::Object)) {
    xb::Ref<xb::Object> copy = o->GetClass().New();
    for (int i = 0; i < o->SlotCount(); ++i) copy->Slot(i) = o->Slot(i);
    return Value(copy);
  }
  // A framework object: a new one of its class, made by the class's function, given the
  // original's data through their messages. Handles are not copied: the windows and GDI
  // objects stay the original's alone (a copy sharing them would free them too), so a copy
  // of a window is a window object without a window.
  const std::string& class_name = o->ClassName();
  if (!xb::IsFunctionRegistered(class_name)) return Value();
  const Value copy = xb::CallFunction(class_name);
  const xb::ObjectRef made = copy.AsObject();
  if (!made || &made->GetClass() != &o->GetClass()) return Value();
  for (const std::string& name : AOData(v)) {
    if (IsHandleData(name)) continue;
    std::string assign = "_" + name;
    if (!xb::HasMessage(copy, xb::Intern(assign))) assign = "_" + name.substr(0, 9);
    const Value value = xb::Send(v, xb::Intern(name));
    xb::Send(copy, xb::Intern(assign), std::span<const Value>(&value, 1));
  }
  for (int i = 0; i < o->SlotCount(); ++i) made->Slot(i) = o->Slot(i);
  return copy;
}

Value OSend(const Value& object, std::string_view message, std::span<const Value> args) {
  std::string name(message);
  for (std::size_t at; (at = name.find("()")) != std::string::npos;) name.erase(at, 2);
  return xb::Send(object, xb::Intern(name), args);
}

std::vector<std::string> AOData(const Value& v) {
  std::vector<std::string> names;
  const xb::ObjectRef o = v.AsObject();
  if (!o) return names;
  const std::vector<const xb::Symbol*> messages = o->GetClass().Messages();
  auto answers = [&](const std::string& wanted) {
    return std::any_of(messages.begin(), messages.end(), [&](const xb::Symbol* s) { return s->Name() == wanted; });
  };
  for (const xb::Symbol* s : messages) {
    const std::string& n = s->Name();
    if (n.empty() || n[0] == '_') continue;
    if (answers("_" + n) || answers("_" + n.substr(0, 9))) names.push_back(n);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::string CGetNewAlias(const std::string& alias) {
  auto used = [](const std::string& name) { return Call("SELECT", {Value::String(name)}).AsInt() != 0; };
  if (!used(alias)) return alias;
  for (int n = 2; n <= 999; ++n) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "%03d", n);
    if (!used(alias + suffix)) return alias + suffix;
  }
  return alias;
}

bool DupRecord() {
  const std::int64_t fields = Call("FCOUNT").AsInt();
  std::vector<Value> values;
  for (std::int64_t n = 1; n <= fields; ++n) values.push_back(Call("FIELDGET", {Value::Integer(n)}));
  Call("DBAPPEND");
  if (Call("NETERR").AsLogical()) {
    MsgAlert(Value::String("Record in use"), "Please, try again");
    return false;
  }
  for (std::int64_t n = 1; n <= fields; ++n) Call("FIELDPUT", {Value::Integer(n), values[static_cast<size_t>(n - 1)]});
  return true;
}

void RegisterFrameworkUtils() {
  RegisterValuesAndObjects();
  RegisterMemoryAndPlaceholders();
  RegisterWorkAreas();
}

}  // namespace ui
