#include "runtime/error.h"

#include "runtime/proc_stack.h"

namespace xb {

namespace {

Value& ErrorBlockSlot() {
  static Value* block = new Value;
  return *block;
}
int g_quiet = 0;

}  // namespace

std::string_view GenCodeDescription(int genCode) {
  static const char* const texts[] = {
      "Unknown error", "Argument error", "Bound error", "String overflow", "Numeric overflow",
      "Zero divisor", "Numeric error", "Syntax error", "Operation too complex", "", "",
      "Memory low", "Undefined function", "No exported method", "Variable does not exist",
      "Alias does not exist", "No exported variable", "Illegal characters in alias",
      "Alias already in use", "", "Create error", "Open error", "Close error", "Read error",
      "Write error", "Print error", "", "", "", "", "Operation not supported", "Limit exceeded",
      "Corruption detected", "Data type error", "Data width error", "Workarea not in use",
      "Workarea not indexed", "Exclusive required", "Lock required", "Write not allowed",
      "Append lock failed", "Lock Failure"};
  if (genCode < 0 || genCode >= static_cast<int>(sizeof texts / sizeof texts[0])) return {};
  return texts[genCode];
}

const Class& Error::Cls() {
  static const Class& cls = [] () -> const Class& {
    Class& c = Class::Define("ERROR");
    c.Data("SUBSYSTEM", &Error::subsystem)
        .Data("GENCODE", &Error::genCode)
        .Data("OSCODE", &Error::osCode)
        .Data("SUBCODE", &Error::subCode)
        .Data("DESCRIPTION", &Error::description)
        .Data("OPERATION", &Error::operation)
        .Data("FILENAME", &Error::filename)
        .Data("SEVERITY", &Error::severity)
        .Data("CANRETRY", &Error::canRetry)
        .Data("CANDEFAULT", &Error::canDefault)
        .Data("CANSUBSTITUTE", &Error::canSubstitute)
        .Data("TRIES", &Error::tries)
        .Data("ARGS", &Error::args)
        .Data("CARGO", &Error::cargo);
    return c;
  }();
  return cls;
}

Error::Error() : Object(Cls()) {}

ErrorRef MakeError(std::string_view subsystem, int genCode, int subCode, std::string_view operation,
                   std::string_view description) {
  ErrorRef e = MakeRef<Error>();
  e->subsystem.assign(subsystem);
  e->genCode = genCode;
  e->subCode = subCode;
  e->operation.assign(operation);
  e->description.assign(description.empty() ? GenCodeDescription(genCode) : description);
  return e;
}

ErrorRef MakeBaseError(int genCode, int subCode, std::string_view operation, std::span<const Value> args,
                       std::string_view description) {
  ErrorRef e = MakeError("BASE", genCode, subCode, operation, description);
  e->canSubstitute = true;
  if (!args.empty()) {
    Array a = Array::New(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) a[i] = args[i].Deref();
    e->args = a;
  }
  return e;
}

std::string ErrorText(const Error& e) {
  std::string s = "ERROR: " + e.subsystem + "/" + std::to_string(e.subCode) + " " + e.description;
  if (!e.operation.empty()) s += " " + e.operation;
  if (!e.filename.empty()) s += " " + e.filename;
  return s;
}

UnhandledError::UnhandledError(ErrorRef e) : error_(std::move(e)) { text_ = ErrorText(*error_); }

QuietErrorScope::QuietErrorScope() { ++g_quiet; }
QuietErrorScope::~QuietErrorScope() { --g_quiet; }

namespace {

// Evaluates the error block with the error; throws when there is no block to go to.
Value Launch(const ErrorRef& e) {
  ++e->tries;
  Value block = ErrorBlockSlot();  // a copy: the block may install another one
  if (g_quiet > 0 || !block.IsBlock()) throw UnhandledError(e);
  Value arg = Value(e);
  return block.AsBlock().Call(std::span<const Value>(&arg, 1));
}

}  // namespace

Recovery Raise(const ErrorRef& e) {
  Value r = Launch(e).Deref();
  if (r.IsLogical()) {
    if (r.AsLogical() && e->canRetry) return Recovery::Retry;
    if (!r.AsLogical() && e->canDefault) return Recovery::Default;
  }
  // An error that allows neither answer, or a block that answers something else.
  throw UnhandledError(e);
}

Value RaiseSubstitute(const ErrorRef& e) {
  Value r = Launch(e).Deref();
  if (e->canSubstitute) return r;
  if (r.IsLogical() && !r.AsLogical() && e->canDefault) return Value();
  throw UnhandledError(e);
}

Value RaiseBaseError(int genCode, int subCode, std::string_view operation, std::span<const Value> args,
                     std::string_view description) {
  return RaiseSubstitute(MakeBaseError(genCode, subCode, operation, args, description));
}

Value GetErrorBlock() { return ErrorBlockSlot(); }

Value SetErrorBlock(Value block) {
  Value old = std::move(ErrorBlockSlot());
  ErrorBlockSlot() = std::move(block);
  return old;
}

void Break(Value value) { throw BreakSignal{std::move(value)}; }

}  // namespace xb
