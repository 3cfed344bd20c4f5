// The Get edit buffer: keys through every picture function and template character, dates
// by SET DATEFORMAT, numbers by width and decimals, movement, deletion and stepping.
#include "runtime/lib/get.h"

#include <gtest/gtest.h>

#include "runtime/codepage.h"
#include "runtime/sets.h"
#include "runtime/test_env.h"

namespace xb {
namespace {

// A variable and the get/set block over it.
struct Var {
  explicit Var(Value initial) : cell(std::make_shared<Value>(std::move(initial))) {}
  Value Block() const {
    auto c = cell;
    return Value(xb::Block::Native([c](Args& a) {
      if (a.Count() > 0 && !a.IsNil(1)) *c = a.Arg(1);
      return *c;
    }));
  }
  const Value& value() const { return *cell; }
  std::shared_ptr<Value> cell;
};

Date Ymd(int y, int m, int d) { return Date::FromYmd(y, m, d); }

class GetTest : public testing::RuntimeTest {
 protected:
  // A focused Get over a new variable.
  Ref<Get> Focused(Value initial, std::string_view picture = {}) {
    var_ = std::make_unique<Var>(std::move(initial));
    Ref<Get> g = MakeRef<Get>(var_->Block(), picture);
    g->SetFocus();
    return g;
  }
  const Value& var() const { return var_->value(); }
  std::unique_ptr<Var> var_;
};

// What typing gives, picture by picture: the buffer shown and the value read back.
TEST_F(GetTest, TypingThroughEveryPicture) {
  SetValue(SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  const std::string code_page = SetCodePage("ESWIN");  // as the program runs: Spanish letters
  struct Case {
    const char* name;
    Value initial;
    const char* picture;
    const char* typed;
    const char* buffer;
    Value value;
  } cases[] = {
      {"@K clears on the first key", Value::String("Hola      "), "@K", "Adios", "Adios     ", Value::String("Adios     ")},
      {"without @K the rest stays", Value::String("Hola      "), "", "Ad", "Adla      ", Value::String("Adla      ")},
      {"@! upper case", Value::String("      "), "@!", "añb1", "AÑB1  ", Value::String("AÑB1  ")},
      {"@R literals inserted", Value::String("        "), "@R 99.999.999", "12345678", "12.345.678", Value::String("12345678")},
      {"@R refuses letters in 9", Value::String("        "), "@R 99.999.999", "1a2", "12.   .   ", Value::String("12      ")},
      {"@A letters only", Value::String("     "), "@A", "a1b-c", "abc  ", Value::String("abc  ")},
      {"@E number", Value::Double(1234.5, 2), "@E 9,999.99", "5,25", "    5,25", Value::Double(5.25, 2)},
      {"@Z blank zero", Value::Integer(0), "@Z 999", "7", "7  ", Value::Integer(7)},
      {"9 digits in a string", Value::String("    "), "9999", "1x23", "123 ", Value::String("123 ")},
      {"# digits, blanks and signs", Value::String("    "), "####", "-1 a2", "-1 2", Value::String("-1 2")},
      {"A letters", Value::String("   "), "AAA", "a1bc", "abc", Value::String("abc")},
      {"N letters and digits", Value::String("   "), "NNN", "a-1b", "a1b", Value::String("a1b")},
      {"X anything", Value::String("   "), "XXX", "a-1", "a-1", Value::String("a-1")},
      {"! upper case", Value::String("   "), "!!X", "abc", "ABc", Value::String("ABc")},
      {"separators stand in place", Value::String("          "), "(999) 999", "123456", "(123) 456", Value::String("(123) 456 ")},
      {"L logical", Value::Logical(true), "L", "n", "N", Value::Logical(false)},
      {"Y logical", Value::Logical(false), "Y", "ty", "Y", Value::Logical(true)},
      {"date by SET DATEFORMAT", Value::FromDate(Ymd(2003, 1, 31)), "", "15082004", "15-08-2004",
       Value::FromDate(Ymd(2004, 8, 15))},
      {"number by width and decimals", Value::Double(12.5, 2), "", "7.5", "         7.50", Value::Double(7.5, 2)},
      {"integer of a width", Value::Integer(42, 5), "", "123", "123  ", Value::Integer(123)},
      {"negative number", Value::Double(3, 2), "999.99", "-4.5", " -4.50", Value::Double(-4.5, 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<Get> g = Focused(c.initial, c.picture);
    g->Overstrike(c.typed);
    EXPECT_EQ(g->Buffer(), c.buffer);
    g->Assign();
    EXPECT_EQ(var().ValType(), c.value.ValType());
    if (c.value.IsNumber()) {
      EXPECT_DOUBLE_EQ(var().AsDouble(), c.value.AsDouble());
    } else if (c.value.IsDate()) {
      EXPECT_EQ(var().AsDate(), c.value.AsDate());
    } else if (c.value.IsLogical()) {
      EXPECT_EQ(var().AsLogical(), c.value.AsLogical());
    } else {
      EXPECT_EQ(var().AsString(), c.value.AsString());
    }
  }
  SetCodePage(code_page);
}

TEST_F(GetTest, NumbersClearOnTheFirstKeyAndReformatAtThePoint) {
  Ref<Get> g = Focused(Value::Double(123.45, 2), "999.99");
  EXPECT_EQ(g->Buffer(), "123.45");
  EXPECT_TRUE(g->Clear());
  EXPECT_EQ(g->DecPos(), 4);
  g->Overstrike("8");
  EXPECT_EQ(g->Buffer(), "8  .  ");
  g->Overstrike(",");  // either point goes to the decimals
  EXPECT_EQ(g->Buffer(), "  8.00");
  EXPECT_EQ(g->Pos(), 5);
  g->Overstrike("1");
  EXPECT_EQ(g->Buffer(), "  8.10");
  EXPECT_TRUE(g->Changed());
  EXPECT_DOUBLE_EQ(g->UnTransform().AsDouble(), 8.1);
  // Keys that a number refuses.
  g->Overstrike("x");
  EXPECT_TRUE(g->Rejected());
  EXPECT_EQ(g->Buffer(), "  8.10");
  // A minus typed alone before the point is kept.
  g = Focused(Value::Double(0, 2), "999.99");
  g->Overstrike("-.5");
  EXPECT_EQ(g->Buffer(), " -0.50");
  EXPECT_TRUE(g->Minus());
  EXPECT_DOUBLE_EQ(g->UnTransform().AsDouble(), -0.5);
}

TEST_F(GetTest, InsertAndDeleteMoveOnlyTheirRunOfPositions) {
  Ref<Get> g = Focused(Value::String("ABCDE"));
  g->SetPos(2);
  g->Insert("X");
  EXPECT_EQ(g->Buffer(), "AXBCD");
  EXPECT_EQ(g->Pos(), 3);
  g->Delete();
  EXPECT_EQ(g->Buffer(), "AXCD ");
  g->BackSpace();
  EXPECT_EQ(g->Buffer(), "ACD  ");
  EXPECT_EQ(g->Pos(), 2);
  g->Home();
  g->BackSpace();  // nothing before the first position
  EXPECT_EQ(g->Buffer(), "ACD  ");

  // A literal bounds the run: what falls off its end is lost, the other run stays.
  g = Focused(Value::String("12-34"), "99-99");
  g->Insert("9");
  EXPECT_EQ(g->Buffer(), "91-34");
  g->SetPos(4);
  g->Delete();
  EXPECT_EQ(g->Buffer(), "91-4 ");
  g->DelEnd();
  EXPECT_EQ(g->Buffer(), "91-  ");
}

TEST_F(GetTest, DeletingLeftRightAndByWords) {
  enum Op { kDelLeft, kDelRight, kDelWordLeft, kDelWordRight };
  struct Case {
    const char* name;
    const char* text;
    const char* picture;
    int pos;
    Op op;
    const char* buffer;
    int pos_after;
  } cases[] = {
      {"left of pos", "ABCDE", "", 3, kDelLeft, "ACDE ", 2},
      {"nothing left of the first", "ABCDE", "", 1, kDelLeft, "ABCDE", 1},
      {"right of pos", "ABCDE", "", 2, kDelRight, "ABDE ", 2},
      {"nothing right of the last", "ABCDE", "", 5, kDelRight, "ABCDE", 5},
      {"not across a literal", "12-34", "99-99", 2, kDelRight, "12-34", 2},
      {"the word before", "uno dos tres", "", 7, kDelWordLeft, "uno s tres  ", 5},
      {"from inside the first word", "uno dos tres", "", 3, kDelWordLeft, "o dos tres  ", 1},
      {"the word and its blanks", "uno dos tres", "", 5, kDelWordRight, "uno tres    ", 5},
      {"the last word", "uno dos tres", "", 9, kDelWordRight, "uno dos     ", 9},
      {"within its run", "ab cd-ef gh", "XXXXX-XXXXX", 1, kDelWordRight, "cd   -ef gh", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<Get> g = Focused(Value::String(c.text), c.picture);
    g->SetPos(c.pos);
    switch (c.op) {
      case kDelLeft: g->DelLeft(); break;
      case kDelRight: g->DelRight(); break;
      case kDelWordLeft: g->DelWordLeft(); break;
      case kDelWordRight: g->DelWordRight(); break;
    }
    EXPECT_EQ(g->Buffer(), c.buffer);
    EXPECT_EQ(g->Pos(), c.pos_after);
  }
  // By name, as run-time text sends them.
  Ref<Get> g = Focused(Value::String("uno dos"));
  g->SetPos(5);
  Send(Value(g), "DELWORDRIGHT");
  Send(Value(g), "DELLEFT");
  EXPECT_EQ(g->Buffer(), "uno    ");
}

// A template longer or shorter than what the value shows: keys go only into the buffer, which
// keeps its length.
TEST_F(GetTest, TemplatesThatDoNotFitTheBufferTakeKeysOnlyWithinIt) {
  SetValue(SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  struct Case {
    const char* name;
    Value initial;
    const char* picture;
    const char* typed;
    const char* buffer;
  } cases[] = {
      {"a logical's one character", Value::Logical(true), "Y!Y", "nyn", "N"},
      {"a date cut to its format", Value::FromDate(Ymd(2004, 2, 29)), "99-99-9999-99", "01032005", "01-03-2005"},
      {"a date completed by its format", Value::FromDate(Ymd(2004, 2, 29)), "99-", "010320", "01-03-2004"},
      {"a blank zero date", Value::FromDate(Date{}), "@Z 99999", "", "          "},
      {"a number without a position", Value::Integer(5), "-", "12", "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<Get> g = Focused(c.initial, c.picture);
    const std::size_t length = g->Buffer().size();
    g->Overstrike(c.typed);
    EXPECT_EQ(g->Buffer(), c.buffer);
    EXPECT_GE(g->Pos(), 1);
    EXPECT_LE(g->Pos(), static_cast<int>(length) + 1);
    g->Assign();
    g->UpdateBuffer();
    EXPECT_EQ(g->Buffer().size(), length);
    g->End();
    g->WordRight();
    g->Overstrike("1");
    EXPECT_EQ(g->Buffer().size(), length);
  }
}

TEST_F(GetTest, MovementSkipsLiteralsAndTellsWhenItRunsOut) {
  Ref<Get> g = Focused(Value::String("12345678"), "@R 99.999.999");
  EXPECT_EQ(g->Pos(), 1);
  g->Left();
  EXPECT_TRUE(g->TypeOut());
  EXPECT_EQ(g->Pos(), 1);
  g->Right();
  g->Right();
  EXPECT_EQ(g->Pos(), 4);  // over the "."
  EXPECT_FALSE(g->TypeOut());
  g->End();
  EXPECT_EQ(g->Pos(), 10);
  g->Right();
  EXPECT_TRUE(g->TypeOut());
  g->Home();
  EXPECT_EQ(g->Pos(), 1);

  g = Focused(Value::String("uno dos   tres  "));
  g->WordRight();
  EXPECT_EQ(g->Pos(), 5);
  g->WordRight();
  EXPECT_EQ(g->Pos(), 11);
  g->WordLeft();
  EXPECT_EQ(g->Pos(), 5);
  g->WordLeft();
  EXPECT_EQ(g->Pos(), 1);
  g->End();
  EXPECT_EQ(g->Pos(), 15);  // after the last character
  g->End();
  EXPECT_EQ(g->Pos(), 16);  // again: the last position
}

TEST_F(GetTest, TypingPastTheEndSetsTypeOutAndTypesNothingMore) {
  Ref<Get> g = Focused(Value::String("   "));
  g->Overstrike("ab");
  EXPECT_FALSE(g->TypeOut());
  g->Overstrike("c");
  EXPECT_TRUE(g->TypeOut());
  EXPECT_EQ(g->Pos(), 4);
  g->Overstrike("d");
  EXPECT_EQ(g->Buffer(), "abc");
  EXPECT_TRUE(g->TypeOut());
  g->BackSpace();  // from past the end: the last character goes
  EXPECT_EQ(g->Buffer(), "ab ");
}

TEST_F(GetTest, FocusUndoAndReset) {
  Ref<Get> g = Focused(Value::String("abc"), "@!");
  EXPECT_TRUE(g->HasFocus());
  EXPECT_EQ(g->Buffer(), "ABC");
  EXPECT_EQ(g->Original().AsString(), "abc");
  g->Overstrike("x");
  g->Assign();
  EXPECT_EQ(var().AsString(), "XBC");  // @! writes upper case
  g->Undo();
  EXPECT_EQ(var().AsString(), "abc");
  EXPECT_EQ(g->Buffer(), "ABC");
  EXPECT_FALSE(g->Changed());
  g->KillFocus();
  EXPECT_FALSE(g->HasFocus());
  EXPECT_EQ(g->Pos(), 0);
  g->Overstrike("zz");  // without the focus nothing is typed
  EXPECT_EQ(g->Buffer(), "ABC");
  // @Z shows a zero as blanks out of focus too.
  g = Focused(Value::Integer(0), "@Z 999");
  g->KillFocus();
  EXPECT_EQ(g->Buffer(), "   ");
}

TEST_F(GetTest, BadDatesAndTheDateFormat) {
  SetValue(SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  Ref<Get> g = Focused(Value::FromDate(Date{}));
  EXPECT_EQ(g->Buffer(), "  -  -    ");
  EXPECT_FALSE(g->BadDate());  // empty is not bad
  g->Overstrike("31022004");
  EXPECT_TRUE(g->BadDate());
  g->Home();
  g->Overstrike("29");
  EXPECT_FALSE(g->BadDate());
  EXPECT_EQ(g->UnTransform().AsDate(), Ymd(2004, 2, 29));
  // @E reads day first whatever the format says.
  SetValue(SET_DATEFORMAT, Value::String("mm/dd/yy"));
  g = Focused(Value::FromDate(Ymd(2003, 1, 31)), "@E");
  EXPECT_EQ(g->Buffer(), "31/01/03");
}

TEST_F(GetTest, SteppingNumbersByThePlaceUnderTheCaret) {
  Ref<Get> g = Focused(Value::Double(12.34, 2), "999.99");
  g->SetPos(2);
  EXPECT_DOUBLE_EQ(g->Stepped(1)->AsDouble(), 13.34);
  g->SetPos(5);  // first decimal
  EXPECT_DOUBLE_EQ(g->Stepped(1)->AsDouble(), 12.44);
  g->SetPos(6);  // second decimal
  EXPECT_DOUBLE_EQ(g->Stepped(-1)->AsDouble(), 12.33);
  g = Focused(Value::Integer(7), "999");
  EXPECT_EQ(g->Stepped(-1)->AsInt(), 6);
  g = Focused(Value::String("abc"));
  EXPECT_EQ(g->Stepped(1), std::nullopt);
}

TEST_F(GetTest, SteppingDatesByThePartUnderTheCaretClampsTheDay) {
  SetValue(SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  struct Case {
    Date from;
    int pos;
    int n;
    Date to;
  } cases[] = {
      {Ymd(2003, 1, 31), 1, 1, Ymd(2003, 2, 1)},     // day
      {Ymd(2003, 1, 31), 3, -1, Ymd(2003, 1, 30)},   // on the separator: the day before it
      {Ymd(2003, 1, 31), 4, 1, Ymd(2003, 2, 28)},    // month: no 31 February
      {Ymd(2003, 12, 15), 5, 1, Ymd(2004, 1, 15)},   // month wraps the year
      {Ymd(2003, 1, 15), 4, -1, Ymd(2002, 12, 15)},
      {Ymd(2004, 2, 29), 7, 1, Ymd(2005, 2, 28)},    // year from 29 February
      {Ymd(2004, 2, 29), 10, -1, Ymd(2003, 2, 28)},
      {Ymd(2004, 2, 29), 7, 4, Ymd(2008, 2, 29)},
  };
  for (const Case& c : cases) {
    Ref<Get> g = Focused(Value::FromDate(c.from));
    g->SetPos(c.pos);
    const auto stepped = g->Stepped(c.n);
    ASSERT_TRUE(stepped);
    EXPECT_EQ(stepped->AsDate(), c.to) << c.pos << " by " << c.n;
  }
  EXPECT_EQ(StepDate(Ymd(9999, 12, 31), 'Y', 1), Ymd(9999, 12, 31));  // nowhere to go
  EXPECT_EQ(StepDate(Date{}, 'D', 1), Date{});
}

TEST_F(GetTest, ScrollWidthShowsAWindowThatFollowsThePosition) {
  Ref<Get> g = Focused(Value::String("          "), "@S4");
  EXPECT_EQ(g->DisplayWidth(), 4);
  g->Overstrike("abcdef");
  EXPECT_EQ(g->Buffer(), "abcdef    ");
  EXPECT_EQ(g->Pos(), 7);
  EXPECT_EQ(g->VisibleText(), "def ");  // the caret stays in view
  g->Home();
  EXPECT_EQ(g->VisibleText(), "abcd");
}

TEST_F(GetTest, NumbersTypedWithEitherPoint) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"1.234,5", 1234.5}, {"1,234.5", 1234.5}, {"12,5", 12.5}, {"12.5", 12.5},
      {"1.234.567,89", 1234567.89}, {"  -7,25", -7.25}, {"", 0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadTypedNumber(c.text).AsDouble(), c.value) << c.text;
}

TEST_F(GetTest, TheRuntimeClassAnswersByName) {
  RegisterGetClass();
  Var v(Value::String("abc"));
  const Value block = v.Block();
  const Value get = CallFunction("GETNEW", {Value::Integer(20), Value::Integer(20), block,
                                            Value::String("cVar"), Value::String("@!"), Value()});
  ASSERT_TRUE(get.IsObject());
  EXPECT_EQ(get.AsObject()->ClassName(), "TCLIPGET");
  Send(get, "SETFOCUS");
  Send(get, "OVERSTRIKE", {Value::String("x")});
  EXPECT_EQ(Send(get, "BUFFER").AsString(), "XBC");
  EXPECT_EQ(Send(get, "POS").AsInt(), 2);
  EXPECT_TRUE(Send(get, "CHANGED").AsLogical());
  EXPECT_EQ(Send(get, "NAME").AsString(), "cVar");
  Send(get, "ASSIGN");
  EXPECT_EQ(v.value().AsString(), "XBC");
  EXPECT_TRUE(Send(get, "DISPLAY").IsObject());
  Send(get, "_POS", {Value::Integer(3)});
  Send(get, "DELETE");
  EXPECT_EQ(Send(get, "BUFFER").AsString(), "XB ");
}

}  // namespace
}  // namespace xb
