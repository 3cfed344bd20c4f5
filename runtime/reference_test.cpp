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
// a memo field's text as the character string a variable holds, inside arrays too.
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
      {"{T_Memo()}", "A\t{C:\"a\\x0D\\x0Ab\" len=4}"},
      {"{1, {T_Memo()}}", "A\t{N:1 STR=\"         1\", A:{C:\"a\\x0D\\x0Ab\" len=4}}"},
  };
  for (const Case& c : cases) EXPECT_EQ(xbeval::EvaluateLine(c.expr), c.result) << c.expr;
}

// Answers of the established runtime beyond the reference file, in its form, line after line
// as xbeval gives them (SET values and variables persist): the date format as it was set and
// as __SETCENTURY writes it, TRANSFORM's overflow in parentheses, @R and @B of texts, and
// the widths of whole numbers by where they come from.
TEST_F(ReferenceTest, FurtherAnswersOfTheEstablishedRuntime) {
  xbeval::UseReferenceSettings();
  struct Case {
    const char* expr;
    const char* result;
  } cases[] = {
      {"Set(4, \"yyyy/mm/dd\")", "C\t\"dd-mm-yyyy\" len=10"},
      {"Set(4)", "C\t\"yyyy/mm/dd\" len=10"},
      {"__SetCentury(\"ON\")", "L\t.T."},
      {"Set(4)", "C\t\"yyyy/mm/dd\" len=10"},
      {"Set(4, \"dd-mm-yyyy\")", "C\t\"yyyy/mm/dd\" len=10"},
      {"__SetCentury(\"OFF\")", "L\t.T."},
      {"Set(4)", "C\t\"DD-MM-YY\" len=8"},
      {"Transform(-123456, \"@( 999,999\")", "C\t\"(**,***)\" len=8"},
      {"Transform(-1234, \"@( 99.9\")", "C\t\"(*.*)\" len=5"},
      {"Transform(-1234, \"@) 999\")", "C\t\"(**)\" len=4"},
      {"Transform(\"12\", \"@R 99-99-99\")", "C\t\"12-  -  \" len=8"},
      {"Transform(\"\", \"@R 99-99\")", "C\t\"  -  \" len=5"},
      {"Transform(\"abc\", \"@R !!-!!\")", "C\t\"AB-C \" len=5"},
      {"Transform(\"123\", \"999-999\")", "C\t\"123\" len=3"},
      {"Transform(\"12345678901\", \"@R 99.999\")", "C\t\"12.345\" len=6"},
      {"Transform(\"  abc  \", \"@B\")", "C\t\"abc    \" len=7"},
      {"Transform(\"  abc\", \"@B!\")", "C\t\"ABC  \" len=5"},
      {"Transform(\" abc\", \"@B XXXXXX\")", "C\t\"abc \" len=4"},
      {"Transform(12, \"@B 9999\")", "C\t\"12  \" len=4"},
      {"2147483647", "N\t2147483647 STR=\"2147483647\""},
      {"-100000 * 10000", "N\t-1000000000 STR=\"         -1000000000\""},
      {"Val(\"9999999999\")", "N\t9999999999 STR=\"9999999999\""},
      {"Val(\"10000000000\")", "N\t10000000000 STR=\"         10000000000\""},
      {"Val(\"-1000000000\")", "N\t-1000000000 STR=\"         -1000000000\""},
      {"Bin2L(Chr(1) + Chr(0) + Chr(0) + Chr(128))", "N\t-2147483647 STR=\"         -2147483647\""},
      {"n := 100000", "N\t100000 STR=\"    100000\""},
      {"n * 10", "N\t1000000 STR=\"   1000000\""},
      {"n * n", "N\t10000000000 STR=\"         10000000000\""},
      {"99999 * 100000", "N\t9999900000 STR=\" 9999900000\""},
      {"2147483647 + 1", "N\t2147483648 STR=\" 2147483648\""},
      {"Int(12345678901.5)", "N\t12345678901 STR=\" 12345678901\""},
  };
  for (const Case& c : cases) EXPECT_EQ(xbeval::EvaluateLine(c.expr), c.result) << c.expr;
}

}  // namespace
}  // namespace xb
