#include "runtime/object.h"

#include <gtest/gtest.h>

#include "runtime/test_env.h"

namespace xb {
namespace {

using testing::RecordingErrorBlock;

// A C++ class with typed data, a method and a Value slot, and a subclass.
class TShape : public Object {
 public:
  TShape() : Object(Cls()) {}
  explicit TShape(const Class& c) : Object(c) {}
  static const Class& Cls() {
    static const Class& c = Class::Define("TSHAPE")
                                .Data("NWIDTH", &TShape::nWidth)
                                .Data("CNAME", &TShape::cName)
                                .Data("BACTION", &TShape::bAction)
                                .Data("HWND", &TShape::hWnd)
                                .Var("CARGO")
                                .Var("AITEMS", Value(Array::New(0)))
                                .Method("AREA", &TShape::Area)
                                .Method("DESCRIBE", &TShape::Describe);
    return c;
  }
  virtual Value Area(Args&) { return Value::Integer(nWidth * nWidth); }
  Value Describe(Args& a) { return Value::String(cName + ":" + std::string(a.Str(1))); }

  std::int64_t nWidth = 0;
  std::string cName = "shape";
  Block bAction;
  std::int64_t hWnd = 0;
};

class TRect : public TShape {
 public:
  TRect() : TShape(Cls()) {}
  static const Class& Cls() {
    static const Class& c =
        Class::Define("TRECT", &TShape::Cls()).Data("NHEIGHT", &TRect::nHeight).Method("AREA", &TRect::Area);
    return c;
  }
  Value Area(Args&) override { return Value::Integer(nWidth * nHeight); }
  std::int64_t nHeight = 0;
};

class ObjectTest : public testing::RuntimeTest {};

TEST_F(ObjectTest, DataMethodsAndInheritance) {
  Value r = Value(MakeRef<TRect>());
  Send(r, "_nWidth", {Value::Integer(3)});
  Send(r, "_NHEIGHT", {Value::Integer(4)});
  EXPECT_EQ(Send(r, "nWidth").AsInt(), 3);
  EXPECT_EQ(Send(r, "Area").AsInt(), 12);
  EXPECT_EQ(Send(r, "describe", {Value::String("x")}).AsString(), "shape:x");
  EXPECT_EQ(Send(r, "ClassName").AsString(), "TRECT");
  EXPECT_TRUE(Send(r, "IsDerivedFrom", {Value::String("tshape")}).AsLogical());
  EXPECT_FALSE(Send(Value(MakeRef<TShape>()), "IsDerivedFrom", {Value::String("TRECT")}).AsLogical());
  EXPECT_TRUE(TRect::Cls().IsDerivedFrom(TShape::Cls()));
  EXPECT_EQ(Class::Find("trect"), &TRect::Cls());
  EXPECT_TRUE(HasMessage(r, Intern("NHEIGHT")));
  EXPECT_FALSE(HasMessage(Value(MakeRef<TShape>()), Intern("NHEIGHT")));
}

TEST_F(ObjectTest, SlotsAndTypedMembers) {
  auto a = MakeRef<TShape>();
  auto b = MakeRef<TShape>();
  Value va = a, vb = b;
  Send(va, "_Cargo", {Value::String("c")});
  EXPECT_EQ(Send(va, "CARGO").AsString(), "c");
  EXPECT_TRUE(Send(vb, "CARGO").IsNil());
  // Each object gets its own copy of an array given as a slot's initial value.
  EXPECT_FALSE(Send(va, "AITEMS").SameAs(Send(vb, "AITEMS")));
  Send(va, "_hWnd", {Value::Integer(0x7FFF00001234LL)});
  EXPECT_EQ(a->hWnd, 0x7FFF00001234LL);
  Send(va, "_bAction", {Value(Block::Native([](Args&) { return Value::Integer(5); }))});
  EXPECT_EQ(a->bAction.Eval().AsInt(), 5);
  Send(va, "_bAction", {Value()});
  EXPECT_FALSE(a->bAction);
}

TEST_F(ObjectTest, WrongTypeForTypedDataRaisesAndKeepsTheMember) {
  auto a = MakeRef<TShape>();
  a->nWidth = 7;
  RecordingErrorBlock block{Value()};
  Send(Value(a), "_NWIDTH", {Value::String("x")});
  ASSERT_EQ(block.count, 1);
  EXPECT_EQ(block.error()->subCode, 44);
  EXPECT_EQ(a->nWidth, 7);
}

TEST_F(ObjectTest, UnknownMessagesRaise1004And1005) {
  Value s = Value(MakeRef<TShape>());
  struct Case {
    const char* message;
    int subCode;
    const char* operation;
  } cases[] = {{"NOSUCH", 1004, "TSHAPE:NOSUCH"}, {"_NOSUCH", 1005, "TSHAPE:NOSUCH"}};
  for (const Case& c : cases) {
    RecordingErrorBlock block(Value::Integer(1));
    EXPECT_EQ(Send(s, c.message).AsInt(), 1);
    ASSERT_EQ(block.count, 1);
    EXPECT_EQ(block.error()->subCode, c.subCode);
    EXPECT_EQ(block.error()->description, "Message not found");
    EXPECT_EQ(block.error()->operation, c.operation);
  }
  RecordingErrorBlock block{Value()};
  Send(Value::Integer(3), "FOO");
  EXPECT_EQ(block.error()->subCode, 1004);
}

TEST_F(ObjectTest, UnknownMessageHookAnswersForTheClassAndItsChildren) {
  Class& c = Class::Define("TSTRUCTLIKE");
  c.Var("AMEMBERS").OnUnknownMessage([](Object&, const Symbol& m, Args& a) {
    return Value::String(m.Name() + "/" + std::to_string(a.Count()));
  });
  Class& child = Class::Define("TSTRUCTCHILD", &c);
  Value o = child.New();
  EXPECT_EQ(Send(o, "anything").AsString(), "ANYTHING/0");
  EXPECT_EQ(Send(o, "_member", {Value::Integer(1)}).AsString(), "_MEMBER/1");
}

TEST_F(ObjectTest, MessageListIncludesInheritedOnes) {
  auto names = TRect::Cls().Messages();
  auto has = [&](const char* n) {
    for (auto* s : names)
      if (s->Name() == n) return true;
    return false;
  };
  EXPECT_TRUE(has("NHEIGHT"));
  EXPECT_TRUE(has("_NWIDTH"));
  EXPECT_TRUE(has("CARGO"));
}

TEST_F(ObjectTest, ObjectStaysAliveWhileAMethodDropsTheLastOtherReference) {
  static Value holder;
  Class& c = Class::Define("TSELFDROP");
  c.Var("X", Value::Integer(1)).Method("DROP", [](Object& self, Args&) {
    holder = Value();  // the last reference other than the call's own
    return self.Slot(0);
  });
  holder = c.New();
  EXPECT_EQ(Send(holder, "DROP").AsInt(), 1);
}

}  // namespace
}  // namespace xb
