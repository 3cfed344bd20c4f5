#include <gtest/gtest.h>

#include "runtime/lib/lib_test_support.h"
#include "runtime/lib/strings.h"

namespace xb {
namespace {

using testing::Case;
using testing::Eval;
using testing::ExpectAll;

class StringFunctionsTest : public testing::RuntimeTest {};

TEST_F(StringFunctionsTest, ExtractAndSearch) {
  const Case cases[] = {
      {"SubStr('abcdef', 2, 3)", "bcd"},
      {"SubStr('abcdef', 0)", "abcdef"},
      {"SubStr('abcdef', -10, 2)", "ab"},
      {"SubStr('abcdef', 3, -1)", ""},
      {"SubStr('abcdef', 5, 100)", "ef"},
      {"SubStr(12, 1)", "ERR BASE/1110"},
      {"SubStr('abc', 2, 'x')", "ERR BASE/1110"},
      {"SubStr('abc', 2, )", "ERR BASE/1110"},
      {"Left('abc', 2)", "ab"},
      {"Left('abc', -1)", ""},
      {"Left('abc', 9)", "abc"},
      {"Left(5, 1)", "ERR BASE/1124"},
      {"Right('abc', 2)", "bc"},
      {"Right('abc', 0)", ""},
      {"Right(5, 1)", ""},
      {"At('b', 'abcb')", "2"},
      {"At('', 'abc')", "0"},
      {"At('z', 'abc')", "0"},
      {"At('b', 'abcb', 3)", "4"},
      {"At('b', 'abcb', 3, 3)", "0"},
      {"At(1, 'abc')", "ERR BASE/1108"},
      {"RAt('', 'abc')", "0"},
      {"RAt('abcd', 'abc')", "0"},
      {"RAt(1, 'abc')", "0"},
      {"'' $ ''", ".F."},
      {"'bc' $ 'abcd'", ".T."},
      {"'BC' $ 'abcd'", ".F."},
  };
  ExpectAll(cases);
}

TEST_F(StringFunctionsTest, BuildAndReplace) {
  const Case cases[] = {
      {"Stuff('abcdef', 2, 3, 'XY')", "aXYef"},
      {"Stuff('abcdef', 2, 0, 'XY')", "aXYbcdef"},
      {"Stuff('abcdef', 0, 0, 'XY')", "XYabcdef"},
      {"Stuff('abcdef', 9, 2, 'XY')", "abcdefXY"},
      {"Stuff('abcdef', 3, 99, '')", "ab"},
      {"Stuff('abcdef', 3, -1, '')", "ab"},
      {"Stuff(5, 1, 1, 'x')", ""},
      {"StrTran('a.b.c', '.')", "abc"},
      {"StrTran('aaaa', 'a', 'b', 2)", "abbb"},
      {"StrTran('aaaa', 'a', 'b', 2, 1)", "abaa"},
      {"StrTran('aaaa', 'a', 'b', 1, 0)", "aaaa"},
      {"StrTran('abc', '', 'x')", "abc"},
      {"StrTran('aaa', 'aa', 'x')", "xa"},
      {"StrTran(1, 'a')", "ERR BASE/1126"},
      {"Replicate('ab', 3)", "ababab"},
      {"Replicate('ab', 0)", ""},
      {"Replicate('ab', -2)", ""},
      {"Replicate(1, 2)", "ERR BASE/1106"},
      {"Replicate('ab', 2000000000)", "ERR BASE/1234"},
      {"Space(3) + '|'", "   |"},
      {"Space(-3)", ""},
      {"Space('3')", "ERR BASE/1105"},
      {"PadL('abc', 5) + '|'", "  abc|"},
      {"PadC('abc', 6, '*')", "*abc**"},
      {"PadC('abc', 2)", "ab"},
      {"PadR(12, 4) + '|'", "12  |"},
      {"PadL(1.5, 5)", "  1.5"},
      {"PadR(CToD('01-02-2024'), 12) + '|'", "01-02-2024  |"},
      {"PadR(.T., 3)", ""},
      {"PadR('abc', 0)", ""},
      {"PadR('abc', 5, '')", "abc  "},
  };
  xbeval::UseReferenceSettings();
  ExpectAll(cases);
}

TEST_F(StringFunctionsTest, TrimCaseAndCharacters) {
  const Case cases[] = {
      {"Trim('  a  ') + '|'", "  a|"},
      {"RTrim('a' + Chr(9) + ' ') + '|'", "a\t|"},
      {"LTrim(Chr(9) + Chr(13) + Chr(10) + ' a ') + '|'", "a |"},
      {"AllTrim('') + '|'", "|"},
      {"Trim(1)", "ERR BASE/1100"},
      {"RTrim(1)", "ERR BASE/1100"},
      {"LTrim(1)", "ERR BASE/1101"},
      {"AllTrim(1)", "ERR BASE/2022"},
      {"Upper(1)", "ERR BASE/1102"},
      {"Lower(1)", "ERR BASE/1103"},
      {"Chr(65) + Chr(321) + Chr(-1)", "AA\xFF"},
      {"Len(Chr(0))", "1"},
      {"Chr('A')", "ERR BASE/1104"},
      {"Asc('ñ')", "241"},
      {"Asc('')", "0"},
      {"Asc(1)", "ERR BASE/1107"},
      {"IsDigit('7a')", ".T."},
      {"IsDigit('a7')", ".F."},
      {"IsAlpha('')", ".F."},
      {"IsAlpha(1)", ".F."},
      {"IsUpper('Ñ')", ".T."},
      {"IsLower('ñ')", ".T."},
      {"IsUpper('ñ')", ".F."},
  };
  xbeval::UseReferenceSettings();
  ExpectAll(cases);
}

// Outside the Spanish code page, ñ and accented letters are not letters and keep their case.
TEST_F(StringFunctionsTest, CaseFollowsTheCodePage) {
  EXPECT_EQ(Eval("Upper('peña')"), "PEñA");
  EXPECT_EQ(Eval("IsAlpha('ñ')"), ".F.");
  EXPECT_EQ(Eval("HB_SetCodePage('ESWIN')"), "EN");
  EXPECT_EQ(Eval("Upper('peña')"), "PEÑA");
  EXPECT_EQ(Eval("Lower('ÁÉÍÓÚÜÑÇ')"), "áéíóúüñç");
  EXPECT_EQ(Eval("IsAlpha('ñ')"), ".T.");
}

TEST_F(StringFunctionsTest, DescendReversesTheOrder) {
  xbeval::UseReferenceSettings();
  const Case cases[] = {
      {"Descend('') == ''", ".T."},
      {"Descend(Chr(0)) == Chr(0)", ".T."},
      {"Descend(Descend('Peña')) == 'Peña'", ".T."},
      {"Descend('ABC') > Descend('ABD')", ".T."},
      {"Descend(.T.)", ".F."},
      {"Descend(CToD(''))", "5231808"},
      {"Descend(NIL)", "NIL"},
      {"Str(Descend(5))", "        -5.00"},
  };
  ExpectAll(cases);
}

TEST(StringApiTest, ClipsPositionsAsXBaseDoes) {
  EXPECT_EQ(SubStr("abcdef", -2), "ef");
  EXPECT_EQ(SubStr("abcdef", 7), "");
  EXPECT_EQ(At("cd", "abcdcd", 4), 5u);
  EXPECT_EQ(RAt("cd", "abcdcd"), 5u);
  EXPECT_EQ(PadR("abc", 2), "ab");
  EXPECT_EQ(AllTrim("\t x \n"), "x \n");
  EXPECT_EQ(StrTran("xax", "x", "yy"), "yyayy");
}

}  // namespace
}  // namespace xb
