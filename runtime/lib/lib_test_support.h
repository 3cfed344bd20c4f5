// Helpers of the library's tests: expressions evaluated through the macro compiler, as
// compiled text calls the functions, and compared in tables of cases.
#pragma once

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

#include "runtime/number.h"
#include "runtime/test_env.h"
#include "runtime/xbeval/result_format.h"

namespace xb::testing {

// The result of an expression: a string's text as it is, a number as its text (LTrim(Str)),
// a date as DTOS, a logical as .T./.F., other values as xbeval writes them, and an error
// as "ERR BASE/1110" (subsystem and subcode).
inline std::string Eval(std::string_view expression) {
  std::string out;
  ErrorBlockScope scope(Value(Block::Native([](Args& a) -> Value { Break(a.Arg(1)); })));
  BeginSequence(
      [&] {
        Value v = EvalMacro(expression);
        if (v.IsString()) out = v.AsString();
        else if (v.IsNumber()) out = NumberToText(v);
        else if (v.IsDate()) out = v.AsDate().Dtos();
        else out = xbeval::FormatValue(v);
      },
      [&](const Value& b) {
        const auto* e = b.IsObject() ? dynamic_cast<const Error*>(b.AsObject().get()) : nullptr;
        out = e ? "ERR " + e->subsystem + "/" + std::to_string(e->subCode) : "BREAK";
      });
  return out;
}

struct Case {
  const char* expression;
  const char* expected;
};

inline void ExpectAll(std::span<const Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(Eval(c.expression), c.expected) << c.expression;
}

}  // namespace xb::testing
