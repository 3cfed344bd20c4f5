// CALLDLL against CallProbe.dll: every type as parameter and result, by-reference cells and
// buffers, doubles among integers, 17 parameters, an ordinal, a missing entry and forged
// descriptors.
#include "ui/bridge/dll_calls.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/runtime.h"
#include "runtime/test_env.h"

namespace ui {
namespace {

using xb::Value;

class DllCallsTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterDllCalls();
    probe_ = LoadLibraryA("CallProbe.dll");
    ASSERT_NE(probe_, nullptr);
  }
  void TearDown() override {
    FreeLibrary(probe_);
    RuntimeTest::TearDown();
  }
  // GETPROCADDRESS(hProbe, entry, .T., result, types...).
  std::string Descriptor(const Value& entry, int result, const std::vector<int>& types) {
    std::vector<Value> args = {Value::Integer(reinterpret_cast<std::intptr_t>(probe_)), entry, Value::Logical(true),
                               Value::Integer(result)};
    for (int t : types) args.push_back(Value::Integer(t));
    return std::string(xb::CallFunction(xb::Intern("GETPROCADDRESS"), args).AsString());
  }
  static Value CallDll(const std::string& descriptor, std::vector<Value> args) {
    args.insert(args.begin(), Value::String(descriptor));
    return xb::CallFunction(xb::Intern("CALLDLL"), args);
  }

  HMODULE probe_ = nullptr;
};

Value N(std::int64_t n) { return Value::Integer(n); }
Value D(double d) { return Value::Number(d); }
Value S(std::string_view s) { return Value::String(s); }
Value L(bool b) { return Value::Logical(b); }

struct Case {
  const char* what;
  const char* entry;
  int result;
  std::vector<int> types;
  std::vector<Value> args;
  Value expected;  // NIL: the result must be NIL
};

TEST_F(DllCallsTest, EveryTypeAsParameterAndResult) {
  constexpr std::int64_t k2p40 = std::int64_t{1} << 40;
  const std::vector<Case> cases = {
      {"16-bit parameter and result", "Neg16", 1, {1}, {N(5)}, N(-5)},
      {"16-bit parameter cut", "Neg16", 2, {2}, {N(0x10005)}, N(-5)},
      {"16-bit result cut and sign-extended", "Echo64", 2, {10}, {N(0x18000)}, N(-32768)},
      {"type 3 passes 64 bits", "Echo64", 10, {3}, {N(k2p40 + 1)}, N(k2p40 + 1)},
      {"type 3 result is 32 signed", "Echo64", 3, {3}, {N(0x1FFFFFFFFLL)}, N(-1)},
      {"type 4 both ways", "Echo64", 4, {4}, {N(-7)}, N(-7)},
      {"type 6 passes 64 bits", "Echo64", 10, {6}, {N(k2p40 + 3)}, N(k2p40 + 3)},
      {"type 6 result is NIL", "Echo64", 6, {6}, {N(9)}, Value()},
      {"type 0 result is NIL", "Echo64", 0, {3}, {N(9)}, Value()},
      {"unknown result code is NIL", "Echo64", 13, {3}, {N(9)}, Value()},
      {"type 7 result is 32 signed", "Echo64", 7, {7}, {N(0x100000005LL)}, N(5)},
      {"type 12 result is 32 unsigned", "Echo64", 12, {12}, {N(-1)}, N(4294967295LL)},
      {"type 10 both ways", "Mul64", 10, {10, 10}, {N(3000000000LL), N(3)}, N(9000000000LL)},
      {"type 5 true", "IsSet", 5, {5}, {L(true)}, L(true)},
      {"type 5 false", "IsSet", 5, {5}, {L(false)}, L(false)},
      {"two 32-bit parameters", "Add32", 3, {3, 3}, {N(2), N(-9)}, N(-7)},
      {"type 12 parameter", "Not32", 12, {12}, {N(0)}, N(4294967295LL)},
      {"text parameter and result", "Greet", 8, {9}, {S("Ana")}, S("Hola, Ana")},
      {"type 9 result", "Greet", 9, {8}, {S("Luis")}, S("Hola, Luis")},
      {"null text result", "NoText", 8, {}, {}, S("")},
      {"number as a text pointer", "TextLength", 3, {8}, {N(0)}, N(-1)},
      {"empty text", "TextLength", 3, {8}, {S("")}, N(0)},
      {"doubles at 1, 4 and 6", "Scale", 11, {11, 3, 3, 11, 3, 11},
       {D(1.5), N(2), N(3), D(0.25), N(4), D(0.125)}, D(7.125)},
      {"null double result", "NoNumber", 11, {}, {}, Value()},
      {"17 parameters", "Sum17", 10, std::vector<int>(17, 3),
       {N(1), N(2), N(3), N(4), N(5), N(6), N(7), N(8), N(9), N(10), N(11), N(12), N(13), N(14), N(15), N(16),
        N(17)},
       N(1785)},
      {"a code outside 1-12 passes nothing", "Sum17", 10, {3, 99, 3, 0, 3}, {N(1), N(1000), N(2), N(500), N(3)},
       N(1 + 2 * 2 + 3 * 3)},
      {"an ordinal", nullptr, 3, {}, {}, N(7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string d = Descriptor(c.entry != nullptr ? S(c.entry) : N(42), c.result, c.types);
    ASSERT_EQ(d.size(), 7 + c.types.size());
    const Value got = CallDll(d, c.args);
    if (c.expected.IsNil()) {
      EXPECT_TRUE(got.IsNil());
    } else if (c.expected.IsString()) {
      EXPECT_EQ(got.AsString(), c.expected.AsString());
    } else if (c.expected.IsLogical()) {
      ASSERT_TRUE(got.IsLogical());
      EXPECT_EQ(got.AsLogical(), c.expected.AsLogical());
    } else {
      ASSERT_TRUE(got.IsNumber());
      if (c.result == 11) EXPECT_DOUBLE_EQ(got.AsDouble(), c.expected.AsDouble());
      else EXPECT_EQ(got.AsInt(), c.expected.AsInt());
    }
  }
}

TEST_F(DllCallsTest, ByReferenceNumbersAndTexts) {
  // Cells of types 7, 12 and 10 come back as the callee wrote them.
  const std::string cells = Descriptor(S("SetCells"), 3, {7, 12, 10});
  Value s = Value::NewRef(N(5));
  Value u = Value::NewRef(N(0));
  Value w = Value::NewRef(N(std::int64_t{1} << 30));
  EXPECT_EQ(CallDll(cells, {s, u, w}).AsInt(), 5);
  EXPECT_EQ(s.Deref().AsInt(), -5);
  EXPECT_EQ(u.Deref().AsInt(), 4294967280LL);
  EXPECT_EQ(w.Deref().AsInt(), std::int64_t{1} << 42);

  // A text by reference gets a buffer larger than itself and comes back at its own length.
  const std::string fill = Descriptor(S("FillText"), 3, {8});
  Value text = Value::NewRef(S("hello"));
  EXPECT_EQ(CallDll(fill, {text}).AsInt(), 5);
  EXPECT_EQ(text.Deref().AsString(), "abczz");
  Value empty = Value::NewRef(S(""));
  EXPECT_EQ(CallDll(fill, {empty}).AsInt(), 0);
  EXPECT_EQ(empty.Deref().AsString(), "");

  // Through text compiled at run time, with @.
  xb::SetMemvar(xb::Intern("CDESC"), S(cells));
  xb::SetMemvar(xb::Intern("NS"), N(30));
  xb::SetMemvar(xb::Intern("NU"), N(0));
  xb::SetMemvar(xb::Intern("NW"), N(2));
  EXPECT_EQ(xb::EvalMacro("CALLDLL( cDesc, @nS, @nU, @nW )").AsInt(), 30);
  EXPECT_EQ(xb::EvalMacro("nS").AsInt(), 20);
  EXPECT_EQ(xb::EvalMacro("nW").AsInt(), 8192);
}

TEST_F(DllCallsTest, MissingEntriesAndForgedDescriptorsCallNothing) {
  const std::string missing = Descriptor(S("NoSuchEntry"), 3, {3});
  ASSERT_EQ(missing.size(), 8u);
  EXPECT_EQ(missing.substr(0, 4), std::string(4, '\0'));
  EXPECT_TRUE(CallDll(missing, {N(1)}).IsNil());

  std::string good = Descriptor(S("Add32"), 3, {3, 3});
  EXPECT_EQ(CallDll(good, {N(1), N(2)}).AsInt(), 3);
  std::string forged = good;
  forged[0] = '\x7F';
  forged[1] = '\x7F';
  EXPECT_TRUE(CallDll(forged, {N(1), N(2)}).IsNil());
  EXPECT_TRUE(CallDll(good.substr(0, 6), {}).IsNil());            // shorter than the header
  EXPECT_TRUE(CallDll(good.substr(0, 8), {N(1), N(2)}).IsNil());  // fewer type bytes than n
  std::string too_many = good;
  too_many[6] = 18;
  too_many.append(18, '\3');
  EXPECT_TRUE(CallDll(too_many, {}).IsNil());
  EXPECT_TRUE(xb::CallFunction("CALLDLL", {N(5)}).IsNil());

  // The system's own entries: FindWindowA's descriptor is 9 bytes.
  HMODULE user = LoadLibraryA("User32.dll");
  const Value find = xb::CallFunction("GETPROCADDRESS", {Value::Integer(reinterpret_cast<std::intptr_t>(user)),
                                                          S("FindWindowA"), L(true), N(7), N(9), N(9)});
  EXPECT_EQ(find.AsString().size(), 9u);
  EXPECT_EQ(static_cast<unsigned char>(find.AsString()[4]), 1);
  EXPECT_EQ(xb::CallFunction("CALLDLL", {find, N(0), S("Ventana que no existe")}).AsInt(), 0);
  FreeLibrary(user);
  // At most 17 parameter types are kept.
  std::vector<int> eighteen(18, 3);
  EXPECT_EQ(Descriptor(S("Sum17"), 3, eighteen).size(), 7u + 17u);
}

}  // namespace
}  // namespace ui
