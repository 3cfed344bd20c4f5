// The public function table: every function that code blocks and run-time compiled text
// may call is registered under its upper-case name. Two ways to register:
//
//   // raw: the function reads its Args itself (PCOUNT, references, any types)
//   xb::RegisterFunction("PCOUNT", [](xb::Args& a) -> xb::Value { ... });
//
//   // typed: parameters and result are converted; a missing or NIL argument takes its
//   // default (the listed one, else "", 0, .F., the empty date or NIL by type); an argument
//   // of the wrong type raises "Argument error" (BASE/<subcode>, operation = the name) and
//   // the error block's substitute value becomes the result.
//   xb::Def("LEFT", [](std::string_view s, std::int64_t n) { return std::string(s.substr(0, n)); });
//   xb::Def("PADR", &PadR, {xb::Value(), xb::Value(), xb::Value::String(" ")}, {.argErrorSubcode = 3012});
//
// Typed parameters: const Value& / Value (anything), std::string_view / std::string /
// const std::string& (string or memo), double, std::int64_t, int, bool, Date, Array, Block,
// ObjectRef, std::optional<T> of those (nullopt when missing or NIL), and a last parameter
// `const Args&` for the raw arguments. Results: Value, std::string / std::string_view /
// const char* (a string), double (SET DECIMALS decimals), integers, bool, Date, Array,
// Block, ObjectRef, or void (NIL).
//
// Every call through the table (from compiled text, Eval or CallFunction) pushes the
// function's name on the procedure stack (proc_stack.h) for the time of the call.
#pragma once

#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <type_traits>
#include <string_view>
#include <vector>

#include "runtime/args.h"
#include "runtime/symbol.h"
#include "runtime/value.h"

namespace xb {

using NativeFn = Value (*)(Args& args);
using FunctionBody = std::function<Value(Args& args)>;

// Optional forms of a function whose result is a character string, for compiled text that
// builds its string in one buffer (index keys such as `Upper(cNomCli) + Str(nImporte, 12, 2)`).
// Each gives exactly the text the function gives, and neither raises an error:
//   append     appends the result for these arguments; returns false, appending nothing, to
//              have the function called instead (a wrong argument, say);
//   transform  for a call with one argument, a character string whose text was appended at
//              out[from...]: turns that text into the result in place.
using StringAppendFn = bool (*)(Args& args, std::string& out);
using StringTransformFn = void (*)(std::string& out, std::size_t from);

struct FunctionEntry {
  const Symbol* name = nullptr;
  NativeFn fn = nullptr;   // fast path; when null, body is called
  FunctionBody body;
  StringAppendFn append = nullptr;
  StringTransformFn transform = nullptr;
};

struct FunctionOptions {
  int argErrorSubcode = 3012;  // subcode of the "Argument error" for a wrong argument type
};

// Registers (or replaces) the public function `name` (any case; stored upper case).
void RegisterFunction(std::string_view name, NativeFn fn);
void RegisterFunction(std::string_view name, FunctionBody body);
// Any callable taking Args&: a capture-less one is stored as a plain function pointer.
template <class F>
  requires std::is_invocable_r_v<Value, F&, Args&>
void RegisterFunction(std::string_view name, F&& f) {
  if constexpr (std::is_convertible_v<F, NativeFn>) RegisterFunction(name, static_cast<NativeFn>(f));
  else RegisterFunction(name, FunctionBody(std::forward<F>(f)));
}

// Gives a registered function its string forms (see StringAppendFn); registering the name
// again drops them.
void RegisterStringForms(std::string_view name, StringAppendFn append, StringTransformFn transform = nullptr);

// The registered function of that name, or nullptr.
const FunctionEntry* FindFunction(std::string_view name);
bool IsFunctionRegistered(std::string_view name);

// The registrations of the table at one moment. Restore puts them back: a function
// registered since is unregistered again (its name is unknown to calls), a replaced one
// gets its former body. For tests that register functions of their own.
class FunctionTableSnapshot {
 public:
  static FunctionTableSnapshot Take();
  void Restore() const;

 private:
  std::vector<FunctionEntry> saved_;
};

// Calls a public function by symbol or name. An unknown name raises
// BASE/1001 "Undefined function" (operation = the name); the substitute value is returned.
Value CallFunction(const Symbol& name, std::span<const Value> args);
Value CallFunction(std::string_view name, std::initializer_list<Value> args = {});
// Calls a registered entry directly (what compiled code does once the name is resolved).
Value CallEntry(const FunctionEntry& f, std::span<const Value> args);

// Raises the "Argument error" of a function (gen. code 1, subsystem BASE, operation = the
// function's name, arguments = args) and returns the substitute value.
Value ArgumentError(std::string_view function, int subcode, std::span<const Value> args);

}  // namespace xb

#include "runtime/function_def.h"  // xb::Def: typed registration
