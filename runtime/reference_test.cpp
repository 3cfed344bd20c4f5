// The reference file of expressions and their results (as the established xBase runtime
// gives them), run through the same evaluation as xbeval. Lines calling functions that are
// not registered yet (the standard library) wait; everything else must match exactly.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "runtime/object.h"
#include "runtime/test_env.h"
#include "runtime/xbeval/cp1252.h"
#include "runtime/xbeval/result_format.h"

namespace xb {
namespace {

const unsigned char kExpressions[] = {
#include "expressions_tsv.inc"
};

class ReferenceTest : public testing::RuntimeTest {};

TEST_F(ReferenceTest, ExpressionsGiveTheEstablishedResults) {
  xbeval::UseReferenceSettings();
  std::istringstream in(std::string(reinterpret_cast<const char*>(kExpressions), sizeof kExpressions));
  std::string line;
  int total = 0, passed = 0, waiting = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t tab = line.find('\t');
    if (line.empty() || tab == std::string::npos) continue;
    ++total;
    std::string expr = xbeval::Utf8ToCp1252(line.substr(0, tab));
    bool missing = false;
    for (const std::string& f : CalledFunctions(expr)) missing = missing || !IsFunctionRegistered(f);
    if (missing) {
      ++waiting;
      continue;
    }
    std::string got = xbeval::Cp1252ToUtf8(xbeval::EvaluateLine(expr));
    EXPECT_EQ(got, line.substr(tab + 1)) << line.substr(0, tab);
    if (got == line.substr(tab + 1)) ++passed;
  }
  std::printf("reference expressions: %d of %d match, %d wait for library functions\n", passed, total,
              waiting);
  EXPECT_GT(total, 80);
}

// The forms of the reference file beyond its own lines: bytes a terminal would act on, and
// backslashes, escaped inside strings (len still counts bytes); blocks and objects by kind;
// a memo field's text as the character string a variable holds.
TEST_F(ReferenceTest, ValuesAreWrittenInTheReferenceForms) {
  static Class& cls = Class::Define("TREFFORM").Var("CARGO");
  RegisterFunction("T_MEMO", [](Args&) { return Value::Memo("a\r\nb"); });
  RegisterFunction("T_OBJ", [](Args&) { return Value(cls.New()); });
  struct Case {
    const char* expr;
    const char* result;
  } cases[] = {
      {"Chr(0) + Chr(9) + Chr(13) + Chr(10)", "C\t\"\\x00\\x09\\x0D\\x0A\" len=4"},
      {"Chr(27) + Chr(31) + Chr(127) + ' '", "C\t\"\\x1B\\x1F\\x7F \" len=4"},
      {"Chr(129) + Chr(141) + Chr(143) + Chr(144) + Chr(157)", "C\t\"\\x81\\x8D\\x8F\\x90\\x9D\" len=5"},
      {"Chr(128) + Chr(130) + 'ñ'", "C\t\"\x80\x82\xF1\" len=3"},
      {"'a\\b' + Chr(92)", "C\t\"a\\\\b\\\\\" len=4"},
      {"{Chr(10), {|| 1}}", "A\t{C:\"\\x0A\" len=1, B:<codeblock>}"},
      {"{|a| a + 1}", "B\t<codeblock>"},
      {"T_Obj()", "O\t<object TREFFORM>"},
      {"T_Memo()", "C\t\"a\\x0D\\x0Ab\" len=4"},
      {"ValType(T_Memo())", "C\t\"M\" len=1"},
      {"{T_Memo()}", "A\t{M:\"a\\x0D\\x0Ab\" len=4}"},
  };
  for (const Case& c : cases) EXPECT_EQ(xbeval::EvaluateLine(c.expr), c.result) << c.expr;
}

}  // namespace
}  // namespace xb
