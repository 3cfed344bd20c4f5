#include <gtest/gtest.h>

#include "runtime/test_env.h"

namespace xb {
namespace {

class GcTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    CollectGarbage();
    base_ = LiveContainerCount();
  }
  std::size_t Extra() const { return LiveContainerCount() - base_; }
  std::size_t base_ = 0;
};

TEST_F(GcTest, ArrayCyclesAreFreedOnlyWhenNothingOutsideHoldsThem) {
  {
    Array a = Array::New(1);
    Array b = Array::Of({Value(a)});
    a[0] = b;  // a <-> b
  }
  Value held;
  {
    Array c = Array::New(2);
    c[0] = c;  // c holds itself
    c[1] = Value::String("kept");
    held = c;
  }
  EXPECT_EQ(Extra(), 3u);
  EXPECT_EQ(CollectGarbage(), 2u);
  EXPECT_EQ(Extra(), 1u);
  EXPECT_EQ(held.AsArray()[1].AsString(), "kept");  // the held cycle is untouched
  held = Value();
  CollectGarbage();
  EXPECT_EQ(Extra(), 0u);
}

// A window and its controls pointing at each other, as the framework's objects do.
class TNode : public Object {
 public:
  TNode() : Object(Cls()) { ++alive; }
  ~TNode() override { --alive; }
  static const Class& Cls() {
    static const Class& c = Class::Define("TGCNODE").Data("OWND", &TNode::oWnd).Data("ACONTROLS", &TNode::aControls);
    return c;
  }
  ObjectRef oWnd;
  Array aControls = Array::New();
  static inline int alive = 0;
};

TEST_F(GcTest, ObjectGraphsWithBackPointersAreFreed) {
  {
    auto window = MakeRef<TNode>();
    for (int i = 0; i < 3; ++i) {
      auto control = MakeRef<TNode>();
      control->oWnd = window;
      window->aControls.Append(Value(control));
    }
  }
  EXPECT_EQ(TNode::alive, 4);
  CollectGarbage();
  EXPECT_EQ(TNode::alive, 0);
  EXPECT_EQ(Extra(), 0u);
}

TEST_F(GcTest, VariablesAndNativeClosuresKeepWhatTheyHold) {
  SetMemvar(Intern("aCycle"), Value::Integer(0));
  EvalMacro("aCycle := {1}, aCycle[1] := aCycle");
  Array cyc = Array::New(1);
  cyc[0] = cyc;
  Block keeper = Block::Native([v = Value(cyc)](Args&) { return v; });
  cyc = Array();
  CollectGarbage();
  EXPECT_TRUE(GetMemvar(Intern("aCycle")).AsArray()[0].IsArray());
  EXPECT_TRUE(keeper.Eval().AsArray()[0].IsArray());
  ReleaseAllMemvars();
  keeper = Block();
  CollectGarbage();
  EXPECT_EQ(Extra(), 0u);
}

TEST_F(GcTest, BlocksCapturingThemselvesAreFreed) {
  Value b = EvalMacro("Eval({|x| x := {|| x}, x})");
  ASSERT_TRUE(b.IsBlock());
  EXPECT_TRUE(b.AsBlock().Eval().IsBlock());
  b = Value();
  CollectGarbage();
  EXPECT_EQ(Extra(), 0u);
}

}  // namespace
}  // namespace xb
