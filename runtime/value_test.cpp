#include "runtime/value.h"

#include <gtest/gtest.h>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/number.h"
#include "runtime/test_env.h"

namespace xb {
namespace {

using testing::RuntimeTest;

class ValueTest : public RuntimeTest {};

TEST_F(ValueTest, KindsReportTheirValType) {
  struct Case {
    Value v;
    char type;
  } cases[] = {
      {Value(), 'U'},
      {Value::Logical(true), 'L'},
      {Value::Integer(5), 'N'},
      {Value::Double(1.5, 1), 'N'},
      {Value::String("abc"), 'C'},
      {Value::Memo("long text"), 'M'},
      {Value::FromDate(Date::FromYmd(2024, 2, 29)), 'D'},
      {Value(Array::New(2)), 'A'},
      {Value(Block::Native([](Args&) { return Value(); })), 'B'},
      {Value::NewRef(Value::String("x")), 'C'},  // a reference reports its target
  };
  for (const Case& c : cases) EXPECT_EQ(c.v.ValType(), c.type);
}

TEST_F(ValueTest, StringsAreBinarySafeAndShared) {
  std::string bytes("a\0b\xF1", 4);
  Value a = Value::String(bytes);
  Value b = a;
  EXPECT_EQ(b.AsString(), bytes);
  EXPECT_EQ(b.StringLength(), 4u);
  a = Value::Integer(1);  // b keeps its own reference to the bytes
  EXPECT_EQ(b.AsString(), bytes);
  EXPECT_TRUE(Value::Memo("x").IsString());
  EXPECT_TRUE(Value::Memo("x").IsMemo());
}

TEST_F(ValueTest, ArraysAreSharedByReference) {
  Array a = Array::Of({Value::Integer(1), Value::String("x")});
  Value v = a;
  Value copy = v;
  copy.AsArray()[0] = Value::Integer(9);
  EXPECT_EQ(a[0].AsInt(), 9);
  EXPECT_TRUE(v.SameAs(copy));
  EXPECT_FALSE(Value(Array::Of({Value::Integer(9)})).SameAs(v));
  a.InsertShift(0);
  EXPECT_TRUE(a[0].IsNil());
  EXPECT_EQ(a[1].AsInt(), 9);
  EXPECT_EQ(a.size(), 2u);
  a.DeleteShift(0);
  EXPECT_EQ(a[0].AsInt(), 9);
  EXPECT_TRUE(a[1].IsNil());
}

TEST_F(ValueTest, IntegersUpTo64BitsAreExact) {
  const std::int64_t handle = 0x7FFF'FFFF'FFFF'FF01;
  Value v = Value::Integer(handle);
  EXPECT_TRUE(v.IsInteger());
  EXPECT_EQ(v.AsInt(), handle);
  EXPECT_EQ(v.Width(), 20);
  EXPECT_EQ(Value::Integer(42).Width(), 10);
  EXPECT_EQ(Value::Integer(-999999999).Width(), 10);
  EXPECT_EQ(Value::Integer(-1000000000).Width(), 20);  // in 32 bits, below -999,999,999
  EXPECT_EQ(Value::Integer(INT32_MIN).Width(), 20);
  EXPECT_EQ(Value::Integer(9999999999).Width(), 10);
  EXPECT_EQ(Value::Integer(10000000000).Width(), 12);
  EXPECT_EQ(Value::Integer(-2147483649).Width(), 11);
  EXPECT_EQ(Value::Double(-2.7, 1).AsInt(), -2);  // truncated towards zero
}

TEST_F(ValueTest, NumericFieldsKeepTheirWidthAndDecimals) {
  Value n = NumberFromField(12.5, 10, 2);
  EXPECT_EQ(n.Decimals(), 2);
  EXPECT_EQ(n.Width(), 7);
  EXPECT_EQ(NumberToStr(n), "     12.50");
  Value i = NumberFromField(7, 4, 0);
  EXPECT_TRUE(i.IsInteger());
  EXPECT_EQ(NumberToStr(i), "   7");
}

TEST_F(ValueTest, NumberTakesSetDecimals) {
  SetValue(SET_DECIMALS, Value::Integer(4));
  EXPECT_EQ(Value::Number(1.0 / 3).Decimals(), 4);
}

TEST_F(ValueTest, ReferenceCellsWriteThrough) {
  Value cell = Value::NewRef(Value::Integer(1));
  Value alias = cell;
  alias.AssignThrough(Value::String("new"));
  EXPECT_EQ(cell.Deref().AsString(), "new");
  EXPECT_TRUE(cell.IsRef());
}

TEST(DateTest, JulianDaysRoundTrip) {
  struct Case {
    int y, m, d;
    std::int32_t julian;
  } cases[] = {{2000, 1, 1, 2451545}, {2024, 1, 1, 2460311}, {1920, 1, 1, 2422325}, {1, 1, 1, 1721426}};
  for (const Case& c : cases) {
    Date d = Date::FromYmd(c.y, c.m, c.d);
    EXPECT_EQ(d.julian, c.julian) << c.y;
    int y, m, day;
    d.ToYmd(y, m, day);
    EXPECT_EQ(y * 10000 + m * 100 + day, c.y * 10000 + c.m * 100 + c.d);
  }
  EXPECT_EQ(Date::FromYmd(2024, 2, 29).Dtos(), "20240229");
  EXPECT_TRUE(Date::FromYmd(2023, 2, 29).IsEmpty());
  EXPECT_TRUE(Date::FromYmd(2024, 13, 1).IsEmpty());
  EXPECT_EQ(Date{}.Dtos(), "        ");
  EXPECT_EQ(Date::FromDtos("20240301"), Date::FromYmd(2024, 3, 1));
  EXPECT_TRUE(Date::FromDtos("2024x301").IsEmpty());
  EXPECT_EQ(Date::FromYmd(2024, 1, 1).DayOfWeek(), 2);  // a Monday; Sunday is 1
  EXPECT_EQ(Date{INT32_MAX}.Dtos(), "        ");  // past the year 9999
}

}  // namespace
}  // namespace xb
