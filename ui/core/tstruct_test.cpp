// Structure images, typed records and the hexadecimal and random helpers.
#include "ui/core/tstruct.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "ui/core/core_test_support.h"

namespace ui {
namespace {

using xb::Value;

class TStructTest : public test::FrameworkTest {};

TEST_F(TStructTest, OffsetsFollowWithoutPadding) {
  struct Row {
    std::vector<std::pair<int, int>> members;  // type, explicit length
    std::vector<int> offsets;
    int size;
  };
  const Row rows[] = {
      {{{7, 0}, {3, 0}, {1, 0}}, {0, 4, 6}, 7},
      {{{8, 10}, {5, 0}, {12, 0}, {2, 0}}, {0, 10, 12, 16}, 17},
      {{{9, 0}, {10, 0}, {99, 3}, {3, 0}}, {0, 4, 8, 11}, 13},
  };
  for (const Row& r : rows) {
    auto s = xb::MakeRef<TStruct>();
    for (size_t i = 0; i < r.members.size(); ++i) {
      s->AddMember("M" + std::to_string(i), r.members[i].first, r.members[i].second);
    }
    EXPECT_EQ(s->SizeOf(), r.size);
    EXPECT_EQ(s->cBuffer, std::string(static_cast<size_t>(r.size), '\0'));
    for (size_t i = 0; i < r.offsets.size(); ++i) EXPECT_EQ(s->aMembers[i].offset, r.offsets[i]);
  }
}

TEST_F(TStructTest, MembersRoundTripByType) {
  auto s = xb::MakeRef<TStruct>();
  s->AddMember("nByte", 1);
  s->AddMember("nShort", 3);
  s->AddMember("lFlag", 5);
  s->AddMember("nLong", 7);
  s->AddMember("cName", 8, 6);
  s->AddMember("nAfter", 12);
  struct Row {
    const char* member;
    Value set;
    Value expected;
  };
  const Row rows[] = {
      {"nByte", Value::Integer(200), Value::Integer(200)},
      {"nByte", Value::Integer(0x1FF), Value::Integer(0xFF)},
      {"nByte", Value::Logical(true), Value::Integer(1)},
      {"nByte", Value::String("A"), Value::Integer(65)},
      {"nShort", Value::Integer(-2), Value::Integer(-2)},
      {"nShort", Value::String("AB"), Value::Integer(0x4241)},
      {"lFlag", Value::String("x"), Value::Logical(true)},
      {"lFlag", Value::String(""), Value::Logical(false)},
      {"lFlag", Value::Integer(5), Value::Logical(true)},
      {"nLong", Value::Integer(-100000), Value::Integer(-100000)},
      {"nLong", Value::Integer(0x80000000LL), Value::Integer(-2147483648LL)},
      {"nLong", Value::Logical(true), Value::Integer(1)},
      {"nLong", Value::String("no"), Value::Integer(0)},
      {"cName", Value::String("Ana"), Value::String("Ana")},
      {"cName", Value::Integer(42), Value::String("42")},
      {"cName", Value::String("Demasiado largo"), Value::String("Demasi")},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.member) + " " + std::string(1, r.set.ValType()));
    s->SetMember(Value::String(r.member), r.set);
    const Value got = s->GetMember(Value::String(r.member));
    ASSERT_EQ(got.ValType(), r.expected.ValType());
    if (got.IsString()) EXPECT_EQ(got.AsString(), r.expected.AsString());
    else if (got.IsLogical()) EXPECT_EQ(got.AsLogical(), r.expected.AsLogical());
    else EXPECT_EQ(got.AsInt(), r.expected.AsInt());
  }
  // A long text never moves what follows: the image keeps its size.
  s->SetMember(Value::String("nAfter"), Value::Integer(77));
  s->SetMember(Value::String("cName"), Value::String(std::string(40, 'x')));
  EXPECT_EQ(s->SizeOf(), 1 + 2 + 2 + 4 + 6 + 4);
  EXPECT_EQ(s->GetMember(Value::String("NAFTER")).AsInt(), 77);
  // Little endian, at the member's offset.
  s->SetMember(Value::Integer(4), Value::Integer(0x01020304));
  EXPECT_EQ(s->cBuffer.substr(5, 4), std::string("\x04\x03\x02\x01", 4));
}

TEST_F(TStructTest, AnIntegerOfEightBytesHoldsAHandleWhole) {
  auto s = xb::MakeRef<TStruct>();
  s->AddMember("hWnd", 7, 8);
  s->AddMember("nAfter", 7);
  ASSERT_EQ(s->SizeOf(), 12);
  const std::int64_t handle = 0x0000123480000010LL;
  s->SetMember(Value::String("hWnd"), Value::Integer(handle));
  s->SetMember(Value::String("nAfter"), Value::Integer(-1));
  EXPECT_EQ(s->GetMember(Value::String("hWnd")).AsInt(), handle);
  EXPECT_EQ(s->cBuffer.substr(0, 8), std::string("\x10\x00\x00\x80\x34\x12\x00\x00", 8));
  EXPECT_EQ(s->GetMember(Value::String("nAfter")).AsInt(), -1);
}

TEST_F(TStructTest, MessagesByNameAndUnknownMembers) {
  xb::SetMemvar(xb::Intern("OS"), xb::EvalMacro("TStruct():New()"));
  xb::EvalMacro("oS:AddMember( 'nCount', 7 )");
  xb::EvalMacro("oS:AddMember( 'cText', 8, 4 )");
  xb::EvalMacro("oS:nCount := 12");
  xb::EvalMacro("oS:cText := 'ab'");
  EXPECT_EQ(xb::EvalMacro("oS:nCount").AsInt(), 12);
  EXPECT_EQ(xb::EvalMacro("oS:cText").AsString(), "ab");
  EXPECT_EQ(xb::EvalMacro("oS:SizeOf()").AsInt(), 8);
  EXPECT_EQ(xb::EvalMacro("Len( oS:cBuffer )").AsInt(), 8);

  xb::testing::RecordingErrorBlock errors;
  const std::string before(xb::EvalMacro("oS:cBuffer").AsString());
  xb::EvalMacro("oS:nMissing := 5");
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->subCode, 1005);
  EXPECT_EQ(errors.error()->operation, "TSTRUCT:NMISSING");
  EXPECT_TRUE(xb::EvalMacro("oS:nMissing").IsNil());
  ASSERT_EQ(errors.count, 2);
  EXPECT_EQ(errors.error()->subCode, 1004);
  EXPECT_EQ(std::string(xb::EvalMacro("oS:cBuffer").AsString()), before);
}

TEST_F(TStructTest, TypedRecordsAndNesting) {
  const Value outer = xb::EvalMacro("STRUCBEGIN( 'Pedido' )");
  xb::EvalMacro("STRUCMEMBER( 'cCliente', 'C', , 5 )");
  xb::EvalMacro("STRUCMEMBER( 'nTotal', 'N' )");
  const Value inner = xb::EvalMacro("STRUCBEGIN( 'Envio' )");
  xb::EvalMacro("STRUCMEMBER( 'dFecha', 'D' )");
  EXPECT_EQ(xb::EvalMacro("STRUCEND()").AsObject().get(), inner.AsObject().get());
  EXPECT_EQ(xb::EvalMacro("STRUCEND()").AsObject().get(), outer.AsObject().get());
  auto& o = static_cast<TExStruct&>(*outer.AsObject());
  ASSERT_EQ(o.aMembers.size(), 3u);
  EXPECT_EQ(o.aMembers[2].name, "ENVIO");
  EXPECT_EQ(o.aMembers[2].type, "OBJECT");
  EXPECT_EQ(o.GetValue(Value::String("ccliente")).AsString(), "     ");
  EXPECT_EQ(o.SetValue(Value::String("cCliente"), Value::String("AB")).AsString(), "AB   ");
  EXPECT_EQ(o.GetValue(Value::String("nTotal")).AsInt(), 0);
  EXPECT_EQ(o.GetMember(Value::String("NTOTAL")), 2);
  EXPECT_EQ(o.MemberList(), "CCLIENTE\r\nNTOTAL\r\nENVIO");
  EXPECT_TRUE(o.GetValue(Value::String("Envio")).IsObject());

  xb::testing::RecordingErrorBlock errors;
  EXPECT_TRUE(o.GetValue(Value::String("nada")).IsNil());
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->subsystem, "TSTRUC");
  EXPECT_EQ(errors.error()->description, "Structure Member does not exist");
  EXPECT_EQ(errors.error()->operation, "nada");
  EXPECT_TRUE(o.SetValue(Value::String("nTotal"), Value::String("diez")).IsNil());
  ASSERT_EQ(errors.count, 2);
  EXPECT_EQ(errors.error()->description, "Data type error NTOTAL (N)");
  EXPECT_EQ(o.GetValue(Value::String("nTotal")).AsInt(), 0);
  o.lGenError = false;
  EXPECT_EQ(o.GetMember(Value::String("nada")), 0);
  EXPECT_EQ(errors.count, 2);
}

TEST_F(TStructTest, HexadecimalAndRandomHelpers) {
  struct Row {
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"DECTOHEX( 0 )", "0"},          {"DECTOHEX( 255 )", "FF"},       {"DECTOHEX( 4096 )", "1000"},
      {"DECTOHEX( -1 )", "FFFFFFFF"},  {"DECTOHEX( -256 )", "FFFFFF00"},
  };
  for (const Row& r : rows) EXPECT_EQ(xb::EvalMacro(r.text).AsString(), r.expected) << r.text;
  struct Hex {
    const char* text;
    double value;
    bool integer;
  };
  const Hex hexes[] = {
      {"ff", 255, true},
      {"1A2b", 0x1A2B, true},
      {"12G4", 0x12, true},
      {"", 0, true},
      {"7FFFFFFFFFFFFFFF", 9223372036854775807.0, true},
      // Past 63 bits the value is kept as a floating-point number of the same size.
      {"8000000000000000", 9223372036854775808.0, false},
      {"FFFFFFFFFFFFFFFFF", 295147905179352825855.0, false},
      {"10000000000000000000000000000000", 21267647932558653966460912964485513216.0, false},
  };
  for (const Hex& h : hexes) {
    const Value v = NHex(h.text);
    EXPECT_EQ(v.IsInteger(), h.integer) << h.text;
    EXPECT_DOUBLE_EQ(v.AsDouble(), h.value) << h.text;
  }
  EXPECT_EQ(NHex("7FFFFFFFFFFFFFFF").AsInt(), std::numeric_limits<std::int64_t>::max());
  // Seeded once: calls within one second differ.
  std::set<std::int64_t> seen;
  for (int i = 0; i < 50; ++i) {
    const std::int64_t n = xb::EvalMacro("NRANDOM( 1000 )").AsInt();
    EXPECT_GE(n, 0);
    EXPECT_LE(n, 1000);
    seen.insert(n);
  }
  EXPECT_GT(seen.size(), 10u);
  EXPECT_LE(xb::EvalMacro("NRANDOM()").AsInt(), 65535);
}

}  // namespace
}  // namespace ui
