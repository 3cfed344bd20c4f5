#include "runtime/function_table.h"

#include <gtest/gtest.h>

#include "runtime/block.h"
#include "runtime/macro.h"
#include "runtime/test_env.h"

namespace xb {
namespace {

using testing::RecordingErrorBlock;

class FunctionTableTest : public testing::RuntimeTest {};

TEST_F(FunctionTableTest, RawFunctionsSeeCountAndReferences) {
  RegisterFunction("T_BUMP", [](Args& a) -> Value {
    a.SetRef(1, Value::Integer(a.Int(1) + 1));
    return Value::Integer(a.Count() * 100 + (a.IsByRef(1) ? 10 : 0) + (a.IsNil(2) ? 1 : 0));
  });
  Value cell = Value::NewRef(Value::Integer(5));
  Value args[] = {cell, Value(), Value::Integer(3)};
  EXPECT_EQ(CallFunction(Intern("t_bump"), args).AsInt(), 311);
  EXPECT_EQ(cell.Deref().AsInt(), 6);
  // Without @ the caller's value does not change.
  Value plain[] = {Value::Integer(5)};
  EXPECT_EQ(CallFunction(Intern("T_BUMP"), plain).AsInt(), 101);  // argument 2 missing: NIL
  EXPECT_EQ(plain[0].AsInt(), 5);
}

TEST_F(FunctionTableTest, TypedFunctionsConvertAndDefault) {
  Def("T_PAD", [](std::string_view s, std::int64_t n, std::string_view fill) {
    std::string r(s);
    while (static_cast<std::int64_t>(r.size()) < n) r += fill.empty() ? ' ' : fill[0];
    return r;
  }, {Value(), Value::Integer(4), Value::String("*")});
  EXPECT_EQ(CallFunction("T_PAD", {Value::String("ab")}).AsString(), "ab**");
  EXPECT_EQ(CallFunction("T_PAD", {Value::String("ab"), Value::Integer(3), Value::String("-")}).AsString(), "ab-");
  EXPECT_EQ(CallFunction("T_PAD", {Value(), Value()}).AsString(), "****");  // NIL takes the default

  Def("T_TYPES", [](bool l, double d, Date day, Array a, std::optional<std::int64_t> o, const Args& raw) {
    return std::to_string(l) + "/" + std::to_string(static_cast<int>(d)) + "/" + day.Dtos() + "/" +
           std::to_string(a ? a.size() : 99) + "/" + (o ? std::to_string(*o) : "none") + "/" +
           std::to_string(raw.Count());
  });
  EXPECT_EQ(CallFunction("T_TYPES").AsString(), "0/0/        /99/none/0");
  EXPECT_EQ(CallFunction("T_TYPES", {Value::Logical(true), Value::Double(2.5, 1),
                                     Value::FromDate(Date::FromYmd(2024, 1, 2)), Value(Array::New(3)),
                                     Value::Integer(8)})
                .AsString(),
            "1/2/20240102/3/8/5");

  Def("T_VOID", [](std::int64_t) {});
  EXPECT_TRUE(CallFunction("T_VOID", {Value::Integer(1)}).IsNil());
  Def("T_HANDLE", [](std::int64_t h) { return h; });
  EXPECT_EQ(CallFunction("T_HANDLE", {Value::Integer(0x123456789ABCLL)}).AsInt(), 0x123456789ABCLL);
}

TEST_F(FunctionTableTest, WrongArgumentTypeRaisesArgumentError) {
  Def("T_NUM", [](std::int64_t n) { return n * 2; }, {}, {.argErrorSubcode = 1110});
  RecordingErrorBlock block(Value::String("substitute"));
  Value r = CallFunction("T_NUM", {Value::String("x")});
  ASSERT_EQ(block.count, 1);
  EXPECT_EQ(r.AsString(), "substitute");
  EXPECT_EQ(block.error()->genCode, EG_ARG);
  EXPECT_EQ(block.error()->subCode, 1110);
  EXPECT_EQ(block.error()->operation, "T_NUM");
}

TEST_F(FunctionTableTest, UnknownFunctionRaisesUndefinedFunction) {
  RecordingErrorBlock block(Value::Integer(0));
  CallFunction("T_NO_SUCH_FUNCTION", {Value::Integer(1)});
  ASSERT_EQ(block.count, 1);
  EXPECT_EQ(block.error()->subCode, 1001);
  EXPECT_EQ(block.error()->description, "Undefined function");
  EXPECT_EQ(block.error()->operation, "T_NO_SUCH_FUNCTION");
}

TEST_F(FunctionTableTest, ASnapshotPutsTheRegistrationsBack) {
  RegisterFunction("T_KEPT", [](Args&) { return Value::Integer(1); });
  const FunctionTableSnapshot snapshot = FunctionTableSnapshot::Take();
  RegisterFunction("T_KEPT", [](Args&) { return Value::Integer(2); });
  RegisterFunction("T_ADDED", [](Args&) { return Value::Integer(3); });
  const FunctionEntry* kept = FindFunction("T_KEPT");
  EXPECT_EQ(CallFunction("T_KEPT").AsInt(), 2);
  snapshot.Restore();
  // The replaced body comes back in the same entry; the added name is unknown again.
  EXPECT_EQ(FindFunction("T_KEPT"), kept);
  EXPECT_EQ(CallFunction("T_KEPT").AsInt(), 1);
  EXPECT_FALSE(IsFunctionRegistered("T_ADDED"));
  const Value compiled = EvalMacro("{|| T_ADDED() }");
  ASSERT_TRUE(compiled.IsBlock());
  {
    RecordingErrorBlock block(Value::String("none"));
    EXPECT_EQ(compiled.AsBlock().Eval({}).AsString(), "none");
    ASSERT_EQ(block.count, 1);
    EXPECT_EQ(block.error()->subCode, 1001);
  }
  // Registered again, it is callable, also from text compiled before.
  RegisterFunction("T_ADDED", [](Args&) { return Value::Integer(4); });
  EXPECT_EQ(compiled.AsBlock().Eval({}).AsInt(), 4);
  snapshot.Restore();
  EXPECT_FALSE(IsFunctionRegistered("T_ADDED"));
  EXPECT_TRUE(IsFunctionRegistered("T_KEPT"));
}

TEST_F(FunctionTableTest, CallsAppearOnTheProcedureStack) {
  RegisterFunction("T_INNER", [](Args&) -> Value {
    return Value::String(std::string(ProcName(0)) + "<" + std::string(ProcName(1)));
  });
  ProcScope outer("T_OUTER");
  EXPECT_EQ(CallFunction("T_INNER").AsString(), "T_INNER<T_OUTER");
  EXPECT_EQ(ProcName(0), "T_OUTER");
  EXPECT_EQ(ProcName(50), "");
}

TEST_F(FunctionTableTest, RunawayRecursionStopsWithAnError) {
  RegisterFunction("T_FOREVER", [](Args&) -> Value { return CallFunction("T_FOREVER"); });
  try {
    CallFunction("T_FOREVER");
    FAIL() << "no error";
  } catch (const UnhandledError& e) {
    EXPECT_EQ(e.error()->subCode, 1210);
  }
  EXPECT_EQ(ProcDepth(), 0);
}

}  // namespace
}  // namespace xb
