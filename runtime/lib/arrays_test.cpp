#include <gtest/gtest.h>

#include "runtime/lib/arrays.h"
#include "runtime/lib/lib_test_support.h"

namespace xb {
namespace {

using testing::Case;
using testing::Eval;
using testing::ExpectAll;

class ArrayFunctionsTest : public testing::RuntimeTest {};

TEST_F(ArrayFunctionsTest, CreateGrowAndShrink) {
  const Case cases[] = {
      {"Array(2, 3)", "{A:{U:NIL, U:NIL, U:NIL}, A:{U:NIL, U:NIL, U:NIL}}"},
      {"Array(0)", "{}"},
      {"Array()", "NIL"},
      {"Array('2')", "NIL"},
      {"Array(-1)", "ERR BASE/1131"},
      {"Array(100000, 100000)", "ERR BASE/1131"},
      {"a := {1}", "{N:1 STR=\"         1\"}"},
      {"AAdd(a, 'x')", "x"},
      {"AAdd(a)", "NIL"},
      {"Len(a)", "3"},
      {"AAdd('a', 1)", "ERR BASE/1123"},
      {"Len(ASize(a, 5))", "5"},
      {"Len(ASize(a, -1))", "0"},
      {"ASize(a, 'x')", "ERR BASE/2023"},
      {"ATail({1, 2, 3})", "3"},
      {"ATail({})", "NIL"},
      {"ATail('x')", "NIL"},
  };
  ExpectAll(cases);
}

TEST_F(ArrayFunctionsTest, InsertDeleteFillCopy) {
  const Case cases[] = {
      {"ADel({1, 2, 3}, 2)", "{N:1 STR=\"         1\", N:3 STR=\"         3\", U:NIL}"},
      {"ADel({1, 2, 3})", "{N:2 STR=\"         2\", N:3 STR=\"         3\", U:NIL}"},
      {"ADel({1, 2}, 5)", "{N:1 STR=\"         1\", N:2 STR=\"         2\"}"},
      {"AIns({1, 2, 3}, 2)", "{N:1 STR=\"         1\", U:NIL, N:2 STR=\"         2\"}"},
      {"AIns({1, 2}, 0)", "{U:NIL, N:1 STR=\"         1\"}"},
      {"AFill(Array(4), 'x', 2, 2)", "{U:NIL, C:\"x\" len=1, C:\"x\" len=1, U:NIL}"},
      {"AFill(Array(3), 0, 0)", "{N:0 STR=\"         0\", N:0 STR=\"         0\", N:0 STR=\"         0\"}"},
      {"AFill(Array(2), 1, 3)", "{U:NIL, U:NIL}"},
      {"AFill(Array(2), 1, 1, -1)", "{U:NIL, U:NIL}"},
      {"AFill('x', 1)", "ERR BASE/6004"},
      {"ACopy({1, 2, 3}, Array(4), 2, 5, 3)", "{U:NIL, U:NIL, N:2 STR=\"         2\", N:3 STR=\"         3\"}"},
      {"ACopy({1, 2, 3}, Array(2))", "{N:1 STR=\"         1\", N:2 STR=\"         2\"}"},
      {"ACopy({1}, 'x')", "NIL"},
  };
  ExpectAll(cases);
}

TEST_F(ArrayFunctionsTest, ScanAndEval) {
  const Case cases[] = {
      {"AScan({'ABC', 'AB'}, 'AB')", "1"},  // SET EXACT off: "ABC" = "AB"
      {"AScan({1, '1', 1}, '1')", "2"},
      {"AScan({1, 2, 1}, 1, 2)", "3"},
      {"AScan({1, 2, 1}, 1, 2, 1)", "0"},
      {"AScan({.F., NIL, .T.}, NIL)", "2"},
      {"AScan({.F., NIL, .T.}, .T.)", "3"},
      {"AScan({SToD('20240101')}, SToD('20240101'))", "1"},
      {"AScan({3, 5, 7}, {|x, i| x > 4 .AND. i > 2})", "3"},
      {"AScan({1}, 1, 0)", "1"},
      {"AScan('x', 1)", "0"},
      {"n := 0", "0"},
      {"AEval({1, 2, 3}, {|x, i| n += x * i})", "{N:1 STR=\"         1\", N:2 STR=\"         2\", N:3 STR=\"         3\"}"},
      {"n", "14"},
      {"AEval({1, 2, 3}, {|x| n += x}, 2, 1)", "{N:1 STR=\"         1\", N:2 STR=\"         2\", N:3 STR=\"         3\"}"},
      {"n", "16"},
      {"AEval({1}, 1)", "ERR BASE/2017"},
      // A block that empties the array ends the walk.
      {"b := {1, 2, 3}", "{N:1 STR=\"         1\", N:2 STR=\"         2\", N:3 STR=\"         3\"}"},
      {"Len(AEval(b, {|| ASize(b, 0)}))", "0"},
  };
  ExpectAll(cases);
  EXPECT_EQ(Eval("Set(1, .T.)"), ".F.");
  EXPECT_EQ(Eval("AScan({'ABC', 'AB '}, 'AB')"), "2");
}

TEST_F(ArrayFunctionsTest, SortWithAndWithoutBlock) {
  const Case cases[] = {
      {"ASort({3, 1, 2})", "{N:1 STR=\"         1\", N:2 STR=\"         2\", N:3 STR=\"         3\"}"},
      {"ASort({3, 1, 2}, , , {|a, b| a > b})", "{N:3 STR=\"         3\", N:2 STR=\"         2\", N:1 STR=\"         1\"}"},
      {"ASort({4, 3, 2, 1}, 2, 2)", "{N:4 STR=\"         4\", N:2 STR=\"         2\", N:3 STR=\"         3\", N:1 STR=\"         1\"}"},
      {"ASort({.T., .F.})", "{L:.F., L:.T.}"},
      {"ASort({SToD('20240102'), SToD('20240101')})", "{D:\"20240101\", D:\"20240102\"}"},
      // Mixed types: arrays, blocks, strings, logicals, dates, numbers, NIL.
      {"ASort({NIL, 1, SToD('20240101'), .T., 'a', {}})",
       "{A:{}, C:\"a\" len=1, L:.T., D:\"20240101\", N:1 STR=\"         1\", U:NIL}"},
      {"ASort('x')", "NIL"},
  };
  ExpectAll(cases);
}

// ASORT orders strings as `<` does: with ESWIN, accented vowels right after the plain one
// and Ñ between N and O.
TEST_F(ArrayFunctionsTest, SortUsesTheCodePagesCollation) {
  const char* words = "{'ola', 'Ñu', 'Oso', 'ñu', 'nube', 'árbol', 'azul', 'Árbol', 'Nube', 'balón', 'balon', 'Abeja', 'ábaco'}";
  EXPECT_EQ(Eval(std::string("x := ASort(") + words + "), x[1] + ' ' + x[2] + ' ' + x[3] + ' ' + x[4]"),
            "Abeja Nube Oso azul");  // EN: byte order
  Eval("HB_SetCodePage('ESWIN')");
  std::string sorted;
  Eval(std::string("x := ASort(") + words + ")");
  for (int i = 1; i <= 13; ++i) sorted += Eval("x[" + std::to_string(i) + "]") + " ";
  EXPECT_EQ(sorted, "Abeja Árbol Nube Ñu Oso azul ábaco árbol balon balón nube ñu ola ");
}

// Whatever the block answers, every element comes back once; equal elements keep their order.
TEST_F(ArrayFunctionsTest, SortSurvivesInconsistentBlocks) {
  EXPECT_EQ(Eval("x := ASort({5, 3, 9, 1, 7, 3, 8}, , , {|| .T.}), Len(x)"), "7");
  Eval("y := {}, AEval(x, {|e| AAdd(y, e)}), ASort(y)");
  EXPECT_EQ(Eval("y[1] + y[2] + y[3] + y[4] + y[5] + y[6] + y[7]"), "36");
  EXPECT_EQ(Eval("x := ASort({{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}}, , , {|p, q| p[1] < q[1]}), "
                 "x[1][2] + x[2][2] + x[3][2] + x[4][2]"),
            "bdac");
  // A block that shrinks the array while it sorts.
  EXPECT_EQ(Eval("z := {3, 2, 1}, Len(ASort(z, , , {|a, b| ASize(z, 1), a < b}))"), "1");
  // An error in the block leaves the sort through the error block.
  EXPECT_EQ(Eval("x := {1, 'x'}, ASort(x, , , {|a, b| a[1] < b})").substr(0, 4), "ERR ");
}

TEST_F(ArrayFunctionsTest, CloneCopiesNestedArrays) {
  EXPECT_EQ(Eval("a := {1, {2, 3}}, b := AClone(a), b[2][1] := 9, a[2][1]"), "2");
  EXPECT_EQ(Eval("AClone(5)"), "NIL");
  Array inner = Array::Of({Value::Integer(1)});
  Array outer = Array::Of({Value(inner), Value(inner)});
  Array copy = CloneArray(outer);
  EXPECT_FALSE(copy[0].AsArray() == inner);
  EXPECT_TRUE(copy[0].AsArray() == copy[1].AsArray());  // shared stays shared
  // An array that holds itself is cloned without recursing forever.
  Array self = Array::New(1);
  self[0] = Value(self);
  Array selfCopy = CloneArray(self);
  EXPECT_TRUE(selfCopy[0].AsArray() == selfCopy);
  selfCopy[0] = Value();
  self[0] = Value();
}

}  // namespace
}  // namespace xb
