// The error object, the error block and raising through it, and BEGIN SEQUENCE / BREAK.
//
// Raising (what the runtime, the table engine and the framework do on a run-time error):
//   auto e = xb::MakeError("BASE", xb::EG_ZERODIV, 1340, "/");   // description from the code
//   e->canSubstitute = true;
//   xb::Value r = xb::RaiseSubstitute(e);          // the error block's value is the result
// or, for an operation that may be retried or defaulted (opens, locks, ...):
//   xb::ErrorRef e;                                 // one error object for all attempts
//   while (!Open(...)) {
//     if (!e) {
//       e = xb::MakeError("DBFCDX", xb::EG_OPEN, 1001, "DBUSEAREA");
//       e->osCode = 32; e->filename = path; e->canRetry = true; e->canDefault = true;
//     }
//     if (xb::Raise(e) == xb::Recovery::Default) return false;   // Retry: loop; e->tries counts
//   }
//
// The error block (ERRORBLOCK()) is evaluated with the error object. It answers .T. to
// retry (only when canRetry), .F. to take the default (only when canDefault), or any value
// as the substitute (only when canSubstitute); it may also BREAK out to the enclosing
// sequence. With no error block installed, or an answer the error does not allow, the
// error is thrown to C++ as xb::UnhandledError (the framework's dispatch catches it).
//
// BEGIN SEQUENCE ... RECOVER USING x ... END in C++:
//   xb::BeginSequence([&] { ...; xb::Break(xb::Value::Integer(1)); ... },
//                     [&](const xb::Value& x) { ... });
// Break() throws xb::BreakSignal; any C++ code between must be exception-safe (RAII). A
// Break with no sequence around it reaches the outermost C++ caller as BreakSignal.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"

namespace xb {

// Generic error codes (Error:genCode), as xBase numbers them.
enum GenCode : int {
  EG_ARG = 1, EG_BOUND = 2, EG_STROVERFLOW = 3, EG_NUMOVERFLOW = 4, EG_ZERODIV = 5,
  EG_NUMERR = 6, EG_SYNTAX = 7, EG_COMPLEXITY = 8, EG_MEM = 11, EG_NOFUNC = 12,
  EG_NOMETHOD = 13, EG_NOVAR = 14, EG_NOALIAS = 15, EG_NOVARMETHOD = 16, EG_BADALIAS = 17,
  EG_DUPALIAS = 18, EG_CREATE = 20, EG_OPEN = 21, EG_CLOSE = 22, EG_READ = 23,
  EG_WRITE = 24, EG_PRINT = 25, EG_UNSUPPORTED = 30, EG_LIMIT = 31, EG_CORRUPTION = 32,
  EG_DATATYPE = 33, EG_DATAWIDTH = 34, EG_NOTABLE = 35, EG_NOORDER = 36, EG_SHARED = 37,
  EG_UNLOCKED = 38, EG_READONLY = 39, EG_APPENDLOCK = 40, EG_LOCK = 41,
};

// Severities (Error:severity).
enum Severity : int { ES_WHOCARES = 0, ES_WARNING = 1, ES_ERROR = 2, ES_CATASTROPHIC = 3 };

// The English description xBase gives a generic code ("Zero divisor", "Open error" ...),
// "" for codes without one.
std::string_view GenCodeDescription(int genCode);

// The error object (class ERROR): its fields are also its messages
// (oErr:genCode, oErr:canRetry := .T. ...).
class Error : public Object {
 public:
  Error();
  static const Class& Cls();

  std::string subsystem;     // "BASE", "DBFCDX", "Vexilo" ...
  int genCode = 0;           // GenCode
  int osCode = 0;            // operating-system error code
  int subCode = 0;           // subsystem-specific code (1340, 1003 ...)
  std::string description;   // "Zero divisor"
  std::string operation;     // "/", a function or variable name ...
  std::string filename;
  int severity = ES_ERROR;
  bool canRetry = false;
  bool canDefault = false;
  bool canSubstitute = false;
  int tries = 0;             // how many times it was raised (Raise counts)
  Value args;                // array of the operation's arguments, or NIL
  Value cargo;
};
using ErrorRef = Ref<Error>;

// A new error object; an empty description takes GenCodeDescription(genCode).
ErrorRef MakeError(std::string_view subsystem, int genCode, int subCode, std::string_view operation,
                   std::string_view description = {});
// The error the runtime raises for its own faults (subsystem "BASE", severity ES_ERROR,
// substitutable), with the operation's arguments.
ErrorRef MakeBaseError(int genCode, int subCode, std::string_view operation, std::span<const Value> args = {},
                       std::string_view description = {});

// "ERROR: BASE/1340 Zero divisor /": the one-line text of an error (tools and logs).
std::string ErrorText(const Error& e);

enum class Recovery { Retry, Default };

// Evaluates the error block with e (tries + 1) and answers Retry or Default.
Recovery Raise(const ErrorRef& e);
// Evaluates the error block with e and returns its value as the substitute.
Value RaiseSubstitute(const ErrorRef& e);
// The runtime's own errors: MakeBaseError + RaiseSubstitute.
Value RaiseBaseError(int genCode, int subCode, std::string_view operation, std::span<const Value> args = {},
                     std::string_view description = {});

// The current error block (NIL when none) and ERRORBLOCK(new): installs and returns the old.
Value GetErrorBlock();
Value SetErrorBlock(Value block);

// Installs an error block for the lifetime of the scope and restores the previous one.
class ErrorBlockScope {
 public:
  explicit ErrorBlockScope(Value block) : old_(SetErrorBlock(std::move(block))) {}
  ~ErrorBlockScope() { SetErrorBlock(std::move(old_)); }
  ErrorBlockScope(const ErrorBlockScope&) = delete;
  ErrorBlockScope& operator=(const ErrorBlockScope&) = delete;

 private:
  Value old_;
};

// While one exists, errors skip the error block and are thrown as UnhandledError at once
// (TYPE() and checks that only want to know whether text evaluates).
class QuietErrorScope {
 public:
  QuietErrorScope();
  ~QuietErrorScope();
  QuietErrorScope(const QuietErrorScope&) = delete;
  QuietErrorScope& operator=(const QuietErrorScope&) = delete;
};

// Thrown when an error has no error block to go to, or the block's answer is not one the
// error allows.
class UnhandledError : public std::exception {
 public:
  explicit UnhandledError(ErrorRef e);
  const char* what() const noexcept override { return text_.c_str(); }
  const ErrorRef& error() const { return error_; }

 private:
  ErrorRef error_;
  std::string text_;
};

// BREAK: leaves the innermost BeginSequence with a value.
struct BreakSignal {
  Value value;
};
[[noreturn]] void Break(Value value = {});

// Runs body; a Break inside it (also from an error block) ends it and runs recover with
// the break value. Returns true when the body ran to its end.
template <class Body, class Recover>
bool BeginSequence(Body&& body, Recover&& recover) {
  try {
    body();
    return true;
  } catch (BreakSignal& b) {
    Value v = std::move(b.value);
    recover(v);
    return false;
  }
}
template <class Body>
bool BeginSequence(Body&& body) {
  return BeginSequence(std::forward<Body>(body), [](const Value&) {});
}

}  // namespace xb
