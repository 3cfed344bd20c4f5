#include <gtest/gtest.h>

#include "runtime/lib/lib_test_support.h"
#include "runtime/lib/memo_lines.h"

namespace xb {
namespace {

using testing::Eval;

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += "[" + l + "]";
  return s;
}

TEST(MemoLinesTest, BreaksAsTheMemoEditorShowsText) {
  struct LineCase {
    const char* text;
    MemoLayout layout;
    const char* lines;
  } cases[] = {
      {"", {10, 4, true}, ""},
      {"abc", {10, 4, true}, "[abc]"},
      {"abc\r\n", {10, 4, true}, "[abc]"},
      {"abc\r\n\r\n", {10, 4, true}, "[abc][]"},
      {"\r\nabc", {10, 4, true}, "[][abc]"},
      {"ab\ncd", {10, 4, true}, "[ab][cd]"},
      {"ab\rcd", {10, 4, true}, "[abcd]"},
      {"one two three", {7, 4, true}, "[one two][three]"},
      {"one two three", {8, 4, true}, "[one two ][three]"},
      {"abcdefghij", {4, 4, true}, "[abcd][efgh][ij]"},
      {"one  two", {4, 4, true}, "[one ][two]"},
      {"a\tb", {10, 4, true}, "[a   b]"},
      {"a\tb", {10, 20, true}, "[a        b]"},
      {"one two\x8D\nthree", {20, 4, true}, "[one twothree]"},
      {"one two three\r\nfour", {5, 4, false}, "[one t][four]"},
  };
  for (const LineCase& c : cases) EXPECT_EQ(Joined(MemoLines(c.text, c.layout)), c.lines) << c.text;
}

class MemoFunctionsTest : public testing::RuntimeTest {};

TEST_F(MemoFunctionsTest, PadAndCount) {
  EXPECT_EQ(Eval("MemoLine('one two three', 8, 2) + '|'"), "three   |");
  EXPECT_EQ(Eval("MemoLine('one two three', 8, 3)"), "");
  EXPECT_EQ(Eval("Len(MemoLine('abc'))"), "79");
  EXPECT_EQ(Eval("MemoLine('abc', 5, 0) + '|'"), "abc  |");
  EXPECT_EQ(Eval("MLCount('one two three', 8)"), "2");
  EXPECT_EQ(Eval("MLCount('')"), "0");
  EXPECT_EQ(Eval("MLCount(Replicate('x ', 100))"), "3");
  EXPECT_EQ(Eval("MLCount('abc' + Chr(13) + Chr(10) + 'def', 20, 4, .F.)"), "2");
  EXPECT_EQ(Eval("HardCr('a' + Chr(141) + Chr(10) + 'b') == 'a' + Chr(13) + Chr(10) + 'b'"), ".T.");
  EXPECT_EQ(Eval("HardCr(1)"), "");
}

TEST_F(MemoFunctionsTest, BinaryStringsAreLittleEndian) {
  const testing::Case cases[] = {
      {"L2Bin(1) == Chr(1) + Chr(0) + Chr(0) + Chr(0)", ".T."},
      {"Bin2L(L2Bin(-2))", "-2"},
      {"Bin2L(L2Bin(2147483647))", "2147483647"},
      {"Bin2L(L2Bin(2147483648))", "-2147483648"},
      {"Bin2L(Chr(1))", "1"},
      {"Bin2L('')", "0"},
      {"Str(Bin2L(L2Bin(-999999999)))", "-999999999"},  // 10 wide, 20 below -999,999,999
      {"Str(Bin2L(L2Bin(-1000000000)))", "         -1000000000"},
      {"Str(Bin2L(L2Bin(2147483647)))", "2147483647"},
      {"I2Bin(258) == Chr(2) + Chr(1)", ".T."},
      {"Bin2I(I2Bin(-1))", "-1"},
      {"Bin2W(I2Bin(-1))", "65535"},
      {"Bin2W(W2Bin(65535))", "65535"},
      {"Bin2I(Chr(0) + Chr(128))", "-32768"},
  };
  testing::ExpectAll(cases);
}

}  // namespace
}  // namespace xb
