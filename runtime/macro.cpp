#include "runtime/macro.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/macro_nodes.h"
#include "runtime/macro_parser.h"

namespace xb {

namespace {

using macro::Function;
using macro::Parse;
using macro::ParseResult;

// Texts compiled by `&` at run time, kept so a loop does not compile the same text again.
class MacroCache {
 public:
  ParseResult Get(std::string_view text) {
    auto it = map_.find(std::string(text));
    if (it != map_.end()) return it->second;
    ParseResult r = Parse(text);
    if (map_.size() >= kMaxEntries) map_.clear();
    map_.emplace(std::string(text), r);
    return r;
  }

 private:
  static constexpr std::size_t kMaxEntries = 256;
  std::unordered_map<std::string, ParseResult> map_;
};

MacroCache& Cache() {
  static auto* c = new MacroCache;
  return *c;
}

Value SyntaxErrorSubstitute(std::string_view text) {
  Value arg = Value::String(text);
  return RaiseBaseError(EG_SYNTAX, 1449, "&", std::span<const Value>(&arg, 1));
}

Value RunTop(const Function& fn) { return fn.Run({}, {}); }

Block BlockOf(Ref<Function> fn) { return Block(MakeRef<macro::CompiledBlock>(std::move(fn), std::vector<Value>())); }

Block BlockReturning(Value v) {
  if (v.IsBlock()) return v.AsBlock();
  return Block::Native([v](Args&) { return v; });
}

}  // namespace

namespace macro {

Value EvalMacroText(const Value& textIn) {
  const Value& text = textIn.Deref();
  if (!text.IsString()) {
    Value args[] = {text};
    return RaiseBaseError(EG_ARG, 1065, "&", args);
  }
  ParseResult r = Cache().Get(text.AsString());
  if (!r.fn) return SyntaxErrorSubstitute(text.AsString());
  return RunTop(*r.fn);
}

void AssignMacroText(const Value& textIn, Value v) {
  const Value& text = textIn.Deref();
  if (!text.IsString()) {
    Value args[] = {text};
    RaiseBaseError(EG_ARG, 1065, "&", args);
    return;
  }
  ParseResult r = Cache().Get(text.AsString());
  if (!r.fn || r.fn->body.size() != 1 || !r.fn->body[0]->IsLValue()) {
    SyntaxErrorSubstitute(text.AsString());
    return;
  }
  Frame f{nullptr, 0};
  r.fn->body[0]->Assign(f, std::move(v));
}

}  // namespace macro

Block CompileBlock(std::string_view expression) {
  ParseResult r = Parse(expression);
  if (!r.fn) return BlockReturning(SyntaxErrorSubstitute(expression));
  return BlockOf(r.fn);
}

std::optional<Block> TryCompileBlock(std::string_view expression, SyntaxError* error) {
  ParseResult r = Parse(expression);
  if (!r.fn) {
    if (error) *error = r.error;
    return std::nullopt;
  }
  return BlockOf(r.fn);
}

Block MacroBlock(std::string_view blockText) {
  ParseResult r = Parse(blockText);
  if (!r.fn) return BlockReturning(SyntaxErrorSubstitute(blockText));
  if (r.isBlockLiteral) return RunTop(*r.fn).AsBlock();
  return BlockOf(r.fn);
}

Value EvalMacro(std::string_view text) { return macro::EvalMacroText(Value::String(text)); }

std::optional<SyntaxError> CheckSyntax(std::string_view text) {
  ParseResult r = Parse(text);
  if (r.fn) return std::nullopt;
  return r.error;
}

std::vector<std::string> CalledFunctions(std::string_view text) {
  ParseResult r = Parse(text);
  std::vector<std::string> out;
  for (const Symbol* s : r.calls) out.push_back(s->Name());
  return out;
}

bool CallsOnly(std::string_view text, std::span<const std::string_view> allowed) {
  ParseResult r = Parse(text);
  if (!r.fn || r.actsUnseen) return false;
  return std::all_of(r.calls.begin(), r.calls.end(), [&](const Symbol* s) {
    return std::find(allowed.begin(), allowed.end(), s->Name()) != allowed.end();
  });
}

bool IsBuiltinFunction(std::string_view upperName) {
  static const char* const kBuiltins[] = {
      "AADD",   "ABS",      "ASC",     "AT",       "BOF",     "BREAK",     "CDOW",   "CHR",       "CMONTH",
      "COL",    "CTOD",     "DATE",    "DAY",      "DELETED", "DEVPOS",    "DOW",    "DTOC",      "DTOS",
      "EMPTY",  "EOF",      "EXP",     "FCOUNT",   "FIELDNAME", "FILE",    "FLOCK",  "FOUND",     "INKEY",
      "INT",    "LASTREC",  "LEFT",    "LEN",      "LOCK",    "LOG",       "LOWER",  "LTRIM",     "MAX",
      "MIN",    "MONTH",    "PCOL",    "PCOUNT",   "PROW",    "RECCOUNT",  "RECNO",  "REPLICATE", "RLOCK",
      "ROUND",  "ROW",      "RTRIM",   "SECONDS",  "SELECT",  "SETPOS",    "SETPOSBS", "SPACE",   "SQRT",
      "STR",    "SUBSTR",   "TIME",    "TRANSFORM", "TRIM",   "TYPE",      "UPPER",  "VAL",       "VALTYPE",
      "WORD",   "YEAR"};
  for (const char* b : kBuiltins)
    if (upperName == b) return true;
  return false;
}

std::string TypeOf(std::string_view text) {
  ParseResult r = Parse(text);
  if (!r.fn) return "UE";
  if (r.isBlockLiteral) return "B";
  bool udf = false;
  for (const Symbol* s : r.calls) {
    // EVAL runs only blocks written in the text: those of a variable may do anything.
    if (s->Name() == "EVAL" && !r.evalsValue) continue;
    if (IsBuiltinFunction(s->Name())) continue;
    if (!s->Function()) return "U";
    udf = true;
  }
  if (udf) return "UI";
  try {
    QuietErrorScope quiet;
    Value v = RunTop(*r.fn);
    return std::string(1, v.ValType());
  } catch (UnhandledError& e) {
    int g = e.error()->genCode;
    return g == EG_NOVAR || g == EG_NOALIAS ? "U" : "UE";
  } catch (BreakSignal&) {
    return "UE";
  }
}

}  // namespace xb
