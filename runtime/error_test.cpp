#include "runtime/error.h"

#include <gtest/gtest.h>

#include "runtime/test_env.h"

namespace xb {
namespace {

using testing::RecordingErrorBlock;

class ErrorTest : public testing::RuntimeTest {};

TEST_F(ErrorTest, RetryThenDefault) {
  int attempts = 0;
  ErrorBlockScope scope(Value(Block::Native([&](Args& a) {
    ErrorRef e(static_cast<Error*>(a.Arg(1).AsObject().get()));
    return Value::Logical(e->tries < 3);  // retry twice, then take the default
  })));
  ErrorRef e = MakeError("DBFCDX", EG_OPEN, 1001, "DBUSEAREA");
  e->osCode = 32;
  e->canRetry = true;
  e->canDefault = true;
  for (;;) {
    ++attempts;
    if (Raise(e) == Recovery::Default) break;
  }
  EXPECT_EQ(attempts, 3);
  EXPECT_EQ(e->tries, 3);
}

TEST_F(ErrorTest, AnswersTheErrorDoesNotAllowAreThrown) {
  struct Case {
    Value answer;
    bool canRetry, canDefault;
  } cases[] = {{Value::Logical(true), false, true},
               {Value::Logical(false), true, false},
               {Value::Integer(1), true, true}};
  for (const Case& c : cases) {
    RecordingErrorBlock block(c.answer);
    ErrorRef e = MakeError("BASE", EG_OPEN, 1, "X");
    e->canRetry = c.canRetry;
    e->canDefault = c.canDefault;
    EXPECT_THROW(Raise(e), UnhandledError);
  }
}

TEST_F(ErrorTest, WithoutErrorBlockTheErrorReachesCpp) {
  try {
    RaiseBaseError(EG_ZERODIV, 1340, "/");
    FAIL();
  } catch (const UnhandledError& e) {
    EXPECT_STREQ(e.what(), "ERROR: BASE/1340 Zero divisor /");
  }
}

TEST_F(ErrorTest, ErrorObjectIsAnObjectWithItsFieldsAsMessages) {
  ErrorRef e = MakeError("BASE", EG_ARG, 1081, "+");
  Value v = e;
  EXPECT_EQ(Send(v, "GENCODE").AsInt(), 1);
  EXPECT_EQ(Send(v, "DESCRIPTION").AsString(), "Argument error");
  Send(v, "_CANDEFAULT", {Value::Logical(true)});
  EXPECT_TRUE(e->canDefault);
  EXPECT_EQ(Send(v, "CLASSNAME").AsString(), "ERROR");
  EXPECT_EQ(GenCodeDescription(EG_OPEN), "Open error");
  EXPECT_EQ(GenCodeDescription(EG_APPENDLOCK), "Append lock failed");
}

TEST_F(ErrorTest, BreakLeavesTheSequenceWithItsValue) {
  Value got;
  bool completed = BeginSequence([] { Break(Value::Integer(7)); }, [&](const Value& v) { got = v; });
  EXPECT_FALSE(completed);
  EXPECT_EQ(got.AsInt(), 7);
  EXPECT_TRUE(BeginSequence([] {}));
}

TEST_F(ErrorTest, ErrorBlockThatBreaksEndsTheSequence) {
  // The usual recovery sequence: the error block breaks out with the error object.
  ErrorBlockScope scope(Value(Block::Native([](Args& a) -> Value { Break(a.Arg(1)); })));
  Value got;
  BeginSequence([] { RaiseBaseError(EG_ZERODIV, 1340, "/"); }, [&](const Value& v) { got = v; });
  ASSERT_TRUE(got.IsObject());
  EXPECT_EQ(static_cast<Error*>(got.AsObject().get())->subCode, 1340);
}

TEST_F(ErrorTest, ErrorBlockScopeRestoresThePreviousBlock) {
  Value outer = Value(Block::Native([](Args&) { return Value(); }));
  SetErrorBlock(outer);
  {
    ErrorBlockScope scope(Value(Block::Native([](Args&) { return Value(); })));
    EXPECT_FALSE(GetErrorBlock().SameAs(outer));
  }
  EXPECT_TRUE(GetErrorBlock().SameAs(outer));
}

TEST_F(ErrorTest, QuietScopeSkipsTheErrorBlock) {
  RecordingErrorBlock block(Value::Integer(0));
  {
    QuietErrorScope quiet;
    EXPECT_THROW(RaiseBaseError(EG_ARG, 1, "x"), UnhandledError);
  }
  EXPECT_EQ(block.count, 0);
}

}  // namespace
}  // namespace xb
