#include "runtime/operators.h"

#include <gtest/gtest.h>

#include <limits>

#include "runtime/string_compare.h"
#include "runtime/test_env.h"

namespace xb {
namespace {

using testing::RecordingErrorBlock;

class OperatorsTest : public testing::RuntimeTest {};

Value S(const char* s) { return Value::String(s); }
Value I(std::int64_t n) { return Value::Integer(n); }
Value D(double d, int dec) { return Value::Double(d, dec); }
Value Day(int y, int m, int d) { return Value::FromDate(Date::FromYmd(y, m, d)); }

TEST_F(OperatorsTest, ArithmeticKeepsIntegerAndDecimalsAsXBase) {
  struct Case {
    Value (*op)(const Value&, const Value&);
    Value a, b;
    bool integer;
    double value;
    int decimals;
  } cases[] = {
      {OpPlus, I(2), I(3), true, 5, 0},
      {OpPlus, D(0.1, 1), D(0.25, 2), false, 0.35, 2},
      {OpMinus, I(2), D(0.5, 1), false, 1.5, 1},
      {OpMult, D(1.5, 2), I(2), false, 3, 2},
      {OpMult, D(1.5, 1), D(0.25, 2), false, 0.375, 3},
      {OpDivide, I(10), I(5), false, 2, 2},  // run time: SET DECIMALS
      {OpModulus, I(7), I(3), false, 1, 2},
      {OpModulus, I(-7), I(3), false, -1, 2},
      {OpPower, I(2), I(10), false, 1024, 2},
      {OpPlus, I(INT64_MAX), I(1), false, 9223372036854775808.0, 0},  // overflow goes to double
  };
  for (const Case& c : cases) {
    Value r = c.op(c.a, c.b);
    EXPECT_EQ(r.IsInteger(), c.integer);
    EXPECT_DOUBLE_EQ(r.AsDouble(), c.value);
    EXPECT_EQ(r.Decimals(), c.decimals);
  }
}

TEST_F(OperatorsTest, StringsAndDates) {
  EXPECT_EQ(OpPlus(S("ab"), S("cd")).AsString(), "abcd");
  EXPECT_EQ(OpMinus(S("AB  "), S("CD")).AsString(), "ABCD  ");
  EXPECT_EQ(OpPlus(Day(2024, 2, 29), I(1)).AsDate(), Date::FromYmd(2024, 3, 1));
  EXPECT_EQ(OpPlus(I(1), Day(2024, 2, 29)).AsDate(), Date::FromYmd(2024, 3, 1));
  EXPECT_EQ(OpMinus(Day(2024, 3, 1), I(1)).AsDate(), Date::FromYmd(2024, 2, 29));
  Value diff = OpMinus(Day(2024, 3, 1), Day(2024, 2, 1));
  EXPECT_TRUE(diff.IsInteger());
  EXPECT_EQ(diff.AsInt(), 29);
  EXPECT_EQ(OpNegate(D(2.5, 1)).AsDouble(), -2.5);
  EXPECT_EQ(OpNegate(I(3)).AsInt(), -3);
}

// A date moved past what a date can hold is an argument error, in each operand order, never
// a wrapped day number.
TEST_F(OperatorsTest, DatesMovedOutOfRangeAreArgumentErrors) {
  struct Case {
    Value (*op)(const Value&, const Value&);
    Value a, b;
    int subcode;  // 0: a date
  } cases[] = {
      {OpPlus, Day(9999, 12, 31), D(9999999912310010101.0, 0), 1081},
      {OpPlus, D(9999999912310010101.0, 0), Day(9999, 12, 31), 1081},
      {OpMinus, Day(9999, 12, 31), D(9999999912310010101.0, 0), 1082},
      {OpMinus, Day(9999, 12, 31), D(-9999999912310010101.0, 0), 1082},
      {OpPlus, Day(2024, 1, 1), I(INT64_MAX), 1081},
      {OpMinus, Day(2024, 1, 1), I(INT64_MIN), 1082},
      {OpPlus, Day(2024, 1, 1), I(3000000000), 1081},
      {OpPlus, Day(2024, 1, 1), D(std::numeric_limits<double>::infinity(), 0), 1081},
      {OpPlus, Day(2024, 1, 1), D(std::numeric_limits<double>::quiet_NaN(), 0), 1081},
      {OpPlus, Day(2024, 1, 1), D(1.9, 1), 0},
      {OpMinus, Day(2024, 1, 1), I(-1), 0},
      {OpPlus, Day(9999, 12, 31), I(99999999), 0},
  };
  for (const Case& c : cases) {
    RecordingErrorBlock block{Value()};
    Value r = c.op(c.a, c.b);
    if (c.subcode) {
      EXPECT_EQ(block.count, 1);
      EXPECT_EQ(block.error()->subCode, c.subcode);
    } else {
      EXPECT_EQ(block.count, 0);
      EXPECT_TRUE(r.IsDate());
    }
  }
  EXPECT_EQ(OpPlus(Day(2024, 1, 1), D(1.9, 1)).AsDate(), Date::FromYmd(2024, 1, 2));  // whole days
}

TEST_F(OperatorsTest, StringComparisonFollowsSetExact) {
  struct Case {
    const char* a;
    const char* b;
    bool equalExactOff, equalExactOn;
  } cases[] = {
      {"ABC", "AB", true, false}, {"AB", "ABC", false, false}, {"ABC", "", true, false},
      {"", "ABC", false, false},  {"AB  ", "AB", true, true},  {"AB", "AB  ", false, true},
      {"", "", true, true},
  };
  for (const Case& c : cases) {
    SetValue(SET_EXACT, Value::Logical(false));
    EXPECT_EQ(OpEqual(S(c.a), S(c.b)).AsLogical(), c.equalExactOff) << c.a << "=" << c.b;
    SetValue(SET_EXACT, Value::Logical(true));
    EXPECT_EQ(OpEqual(S(c.a), S(c.b)).AsLogical(), c.equalExactOn) << c.a << "=" << c.b << " exact";
  }
  SetValue(SET_EXACT, Value::Logical(false));
  EXPECT_FALSE(OpExactEqual(S("ABC"), S("AB")).AsLogical());
  EXPECT_FALSE(OpExactEqual(S("AB "), S("AB")).AsLogical());
  EXPECT_TRUE(OpLess(S("ABC"), S("ABCD")).AsLogical());
  EXPECT_FALSE(OpContains(S(""), S("abc")).AsLogical());
  EXPECT_TRUE(OpContains(S("b"), S("abc")).AsLogical());
}

TEST_F(OperatorsTest, StringsOrderByTheCodePage) {
  EXPECT_FALSE(OpLess(S("\xD1"), S("O")).AsLogical());  // "Ñ" after "O" in byte order
  SetValue(SET_CODEPAGE, S("ESWIN"));
  EXPECT_EQ(GetSetValue(SET_CODEPAGE).AsString(), "ESWIN");
  EXPECT_TRUE(OpLess(S("\xD1"), S("O")).AsLogical());
  EXPECT_TRUE(OpGreater(S("\xD1"), S("N")).AsLogical());
  SetValue(SET_CODEPAGE, S("NOSUCH"));  // unknown: kept
  EXPECT_EQ(GetSetValue(SET_CODEPAGE).AsString(), "ESWIN");
}

TEST_F(OperatorsTest, CollationCanBePluggedIn) {
  // A collation that sorts every byte in reverse: proves the comparison goes through it.
  CollationFn old = SetCollation([](std::string_view a, std::string_view b) { return -a.compare(b); });
  EXPECT_TRUE(OpLess(S("b"), S("a")).AsLogical());
  SetCollation(old);
  EXPECT_TRUE(OpLess(S("a"), S("b")).AsLogical());
}

TEST_F(OperatorsTest, MixedKindsCompare) {
  EXPECT_TRUE(OpEqual(Value(), Value()).AsLogical());
  EXPECT_FALSE(OpEqual(Value(), I(0)).AsLogical());
  EXPECT_TRUE(OpNotEqual(Value(), I(0)).AsLogical());
  EXPECT_TRUE(OpLess(Value::Logical(false), Value::Logical(true)).AsLogical());
  EXPECT_TRUE(OpGreaterEqual(Day(2024, 1, 2), Day(2024, 1, 1)).AsLogical());
  EXPECT_TRUE(OpEqual(I(2), D(2.0, 2)).AsLogical());
  Value arr = Array::New(1);
  EXPECT_TRUE(OpExactEqual(arr, arr).AsLogical());
  EXPECT_FALSE(OpExactEqual(arr, Value(Array::New(1))).AsLogical());
}

TEST_F(OperatorsTest, WrongOperandsRaiseTheOperatorsErrorAndTakeTheSubstitute) {
  struct Case {
    Value (*op)(const Value&, const Value&);
    Value a, b;
    int genCode, subCode;
    const char* operation;
  } cases[] = {
      {OpPlus, S("A"), I(1), 1, 1081, "+"},      {OpMinus, I(1), S("A"), 1, 1082, "-"},
      {OpMult, S("A"), I(1), 1, 1083, "*"},      {OpDivide, I(1), I(0), 5, 1340, "/"},
      {OpModulus, I(1), I(0), 5, 1341, "%"},     {OpEqual, S("A"), I(1), 1, 1071, "="},
      {OpExactEqual, S("A"), I(1), 1, 1070, "=="}, {OpLess, Value(), I(1), 1, 1073, "<"},
      {OpContains, I(1), S("A"), 1, 1109, "$"},  {OpPlus, Day(2024, 1, 1), Day(2024, 1, 1), 1, 1081, "+"},
  };
  for (const Case& c : cases) {
    RecordingErrorBlock block(Value::Integer(77));
    Value r = c.op(c.a, c.b);
    ASSERT_EQ(block.count, 1) << c.operation;
    EXPECT_EQ(r.AsInt(), 77);
    Error* e = block.error();
    EXPECT_EQ(e->subsystem, "BASE");
    EXPECT_EQ(e->genCode, c.genCode);
    EXPECT_EQ(e->subCode, c.subCode);
    EXPECT_EQ(e->operation, c.operation);
    EXPECT_TRUE(e->canSubstitute);
    ASSERT_TRUE(e->args.IsArray());
    EXPECT_EQ(e->args.AsArray().size(), 2u);
  }
}

}  // namespace
}  // namespace xb
