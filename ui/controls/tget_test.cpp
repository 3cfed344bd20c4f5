// Edit fields under Wine: keys typed into the window through every picture, the caret,
// moving on, the spinner, the clipboard, passwords and read-only fields.
#include "ui/controls/tget.h"

#include <gtest/gtest.h>

#include <memory>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/sets.h"
#include "runtime/test_env.h"
#include "ui/bridge/input_wrappers.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using vdr::test::WindowText;
using xb::Value;

// A variable and its get/set block.
struct Var {
  explicit Var(Value initial) : cell(std::make_shared<Value>(std::move(initial))) {}
  Value Block() const {
    auto c = cell;
    return Value(xb::Block::Native([c](xb::Args& a) {
      if (a.Count() > 0 && !a.IsNil(1)) *c = a.Arg(1);
      return *c;
    }));
  }
  const Value& value() const { return *cell; }
  std::shared_ptr<Value> cell;
};

xb::Date Ymd(int y, int m, int d) { return xb::Date::FromYmd(y, m, d); }

class TGetTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
    code_page_ = xb::SetCodePage("ESWIN");
    window_ = Make(40, 40, 420, 320);
    ShowWindow(window_->hWnd, SW_SHOW);
    SetForegroundWindow(window_->hWnd);
    // Somewhere for the focus to go when a field is left.
    other_ = Field(Value::String("     "), "", 280);
  }
  void TearDown() override {
    xb::SetCodePage(code_page_);
    ControlsTest::TearDown();
  }
  // A field on the window at pixel row `top`.
  xb::Ref<TGet> Field(Value initial, const std::string& picture, int top = 10, TGet::NewParams p = {}) {
    vars_.push_back(std::make_unique<Var>(std::move(initial)));
    p.row = top;
    p.col = 10;
    p.pixel = true;
    if (p.width == 0) p.width = 200;
    if (p.height == 0) p.height = 22;
    p.set_get = vars_.back()->Block();
    p.parent = window_;
    p.picture = picture;
    auto g = xb::MakeRef<TGet>();
    g->New(p);
    return g;
  }
  const Value& LastVar() const { return vars_.back()->value(); }
  static void Focus(HWND hwnd) {
    SetFocus(hwnd);
    vdr::test::PumpPending();
  }

  xb::Ref<TWindow> window_;
  xb::Ref<TGet> other_;
  std::vector<std::unique_ptr<Var>> vars_;
  std::string code_page_;
};

TEST_F(TGetTest, KeysThroughEveryPictureReachTheWindowAndTheVariable) {
  struct Case {
    const char* name;
    Value initial;
    const char* picture;
    const char* typed;
    const char* shown;
    Value value;
  } cases[] = {
      {"@K", Value::String("Hola      "), "@K", "Adios", "Adios     ", Value::String("Adios     ")},
      {"@!", Value::String("      "), "@!", "añb1", "AÑB1  ", Value::String("AÑB1  ")},
      {"@R", Value::String("        "), "@R 99.999.999", "1234a5678", "12.345.678", Value::String("12345678")},
      {"@E", Value::Double(1234.5, 2), "@E 9,999.99", "5,25", "    5,25", Value::Double(5.25, 2)},
      {"@Z", Value::Integer(0), "@Z 999", "7", "7  ", Value::Integer(7)},
      {"@A", Value::String("     "), "@A", "a1b-c", "abc  ", Value::String("abc  ")},
      {"@S5", Value::String("          "), "@S5", "abcdefg", "abcdefg   ", Value::String("abcdefg   ")},
      {"9", Value::String("    "), "9999", "1x23", "123 ", Value::String("123 ")},
      {"#", Value::String("    "), "####", "-1 a2", "-1 2", Value::String("-1 2")},
      {"A", Value::String("   "), "AAA", "a1bc", "abc", Value::String("abc")},
      {"N", Value::String("   "), "NNN", "a-1b", "a1b", Value::String("a1b")},
      {"X", Value::String("   "), "XXX", "a-1", "a-1", Value::String("a-1")},
      {"!", Value::String("   "), "!!X", "abc", "ABc", Value::String("ABc")},
      {"literals", Value::String("          "), "(999) 999", "123456", "(123) 456", Value::String("(123) 456 ")},
      {"L", Value::Logical(true), "L", "n", "F", Value::Logical(false)},  // full: shown as left
      {"Y", Value::Logical(false), "Y", "ty", "Y", Value::Logical(true)},
      {"date", Value::FromDate(Ymd(2003, 1, 31)), "", "15082004", "15-08-2004", Value::FromDate(Ymd(2004, 8, 15))},
      {"number", Value::Double(12.5, 2), "", "7.5", "         7.50", Value::Double(7.5, 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto get = Field(c.initial, c.picture);
    Focus(get->hWnd);
    ASSERT_EQ(GetFocus(), get->hWnd);
    Type(get->hWnd, c.typed);
    EXPECT_EQ(WindowText(get->hWnd), c.shown);
    Focus(other_->hWnd);  // leaving the field assigns the variable
    const Value& v = LastVar();
    ASSERT_EQ(v.ValType(), c.value.ValType());
    if (c.value.IsNumber()) {
      EXPECT_DOUBLE_EQ(v.AsDouble(), c.value.AsDouble());
    } else if (c.value.IsDate()) {
      EXPECT_EQ(v.AsDate(), c.value.AsDate());
    } else if (c.value.IsLogical()) {
      EXPECT_EQ(v.AsLogical(), c.value.AsLogical());
    } else {
      EXPECT_EQ(v.AsString(), c.value.AsString());
    }
    get->End();
  }
}

TEST_F(TGetTest, TheCaretFollowsTheGetWithOneMessage) {
  auto get = Field(Value::String("12345678"), "@R 99.999.999");
  Focus(get->hWnd);
  EXPECT_EQ(CaretAt(get->hWnd), 0);
  Key(get->hWnd, VK_LEFT);  // nothing to the left: the caret stays and nothing waits
  EXPECT_EQ(CaretAt(get->hWnd), 0);
  Key(get->hWnd, VK_RIGHT);
  Key(get->hWnd, VK_RIGHT);
  EXPECT_EQ(CaretAt(get->hWnd), 3);  // over the "."
  EXPECT_EQ(get->nPos, 4);
  Key(get->hWnd, VK_END);
  EXPECT_EQ(CaretAt(get->hWnd), 9);
  Key(get->hWnd, VK_HOME);
  EXPECT_EQ(CaretAt(get->hWnd), 0);
  // Delete and backspace keep the picture: only the run of digits moves.
  Key(get->hWnd, VK_DELETE);
  EXPECT_EQ(WindowText(get->hWnd), "2 .345.678");
  Key(get->hWnd, VK_RIGHT);
  Key(get->hWnd, VK_RIGHT);
  Key(get->hWnd, VK_RIGHT);
  Key(get->hWnd, VK_BACK);
  EXPECT_EQ(WindowText(get->hWnd), "2 .45 .678");
}

TEST_F(TGetTest, AFullFieldMovesOnUnlessConfirmIsOn) {
  auto first = Field(Value::String("   "), "", 10);
  auto second = Field(Value::String("   "), "", 40);
  Focus(first->hWnd);
  Type(first->hWnd, "abc");
  vdr::test::PumpPending();
  EXPECT_EQ(GetFocus(), second->hWnd);
  EXPECT_EQ(vars_[vars_.size() - 2]->value().AsString(), "abc");

  xb::SetValue(xb::SET_CONFIRM, Value::Logical(true));
  Focus(first->hWnd);
  Key(first->hWnd, VK_HOME);
  Type(first->hWnd, "xyz");
  vdr::test::PumpPending();
  EXPECT_EQ(GetFocus(), first->hWnd);  // a beep instead
  Type(first->hWnd, "q");               // and nothing past the end
  EXPECT_EQ(WindowText(first->hWnd), "xyz");
}

TEST_F(TGetTest, NumbersGoToTheDecimalsWithEitherPoint) {
  auto get = Field(Value::Double(0, 2), "999.99");
  Focus(get->hWnd);
  Type(get->hWnd, "12,");
  EXPECT_EQ(WindowText(get->hWnd), " 12.00");
  EXPECT_EQ(CaretAt(get->hWnd), 4);
  Type(get->hWnd, "5");
  EXPECT_EQ(WindowText(get->hWnd), " 12.50");
  Focus(other_->hWnd);
  EXPECT_DOUBLE_EQ(LastVar().AsDouble(), 12.5);
}

TEST_F(TGetTest, TheSpinnerStepsThePartUnderTheCaret) {
  auto date = Field(Value::FromDate(Ymd(2003, 1, 31)), "", 10, TGet::NewParams{.spinner = true});
  ASSERT_TRUE(date->oVSpin);
  EXPECT_NE(GetWindowLongA(date->hWnd, GWL_STYLE) & WS_VSCROLL, 0);
  Focus(date->hWnd);
  Key(date->hWnd, VK_RIGHT);
  Key(date->hWnd, VK_RIGHT);
  ASSERT_EQ(date->nPos, 4);  // on the month
  SendMessageA(date->hWnd, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(WindowText(date->hWnd), "28-02-2003");
  EXPECT_EQ(vars_.back()->value().AsDate(), Ymd(2003, 2, 28));

  auto leap = Field(Value::FromDate(Ymd(2004, 2, 29)), "", 40, TGet::NewParams{.spinner = true});
  Focus(leap->hWnd);
  leap->nPos = 7;  // the year
  leap->Inc();
  EXPECT_EQ(WindowText(leap->hWnd), "28-02-2005");

  // Numbers stop at their limits with a beep.
  auto count = Field(Value::Integer(9), "99", 70,
                     TGet::NewParams{.spinner = true, .max = xb::Value(xb::Block::Native([](xb::Args&) { return Value::Integer(10); }))});
  Focus(count->hWnd);
  count->Inc();
  count->Inc();
  EXPECT_EQ(vars_.back()->value().AsInt(), 10);
  count->Dec();
  EXPECT_EQ(vars_.back()->value().AsInt(), 9);
}

TEST_F(TGetTest, PastedNumbersReadTheSameWithEitherPoint) {
  for (const char* text : {"1.234,5", "1,234.5"}) {
    auto get = Field(Value::Double(0, 2), "@E 999,999.99");
    Focus(get->hWnd);
    get->Paste(std::string(text));
    EXPECT_EQ(WindowText(get->hWnd), "  1.234,50") << text;
    Focus(other_->hWnd);
    EXPECT_DOUBLE_EQ(LastVar().AsDouble(), 1234.5) << text;
    get->End();
  }
  // Text goes in through the picture: what a position refuses is left out.
  auto code = Field(Value::String("      "), "@! 999AAA");
  Focus(code->hWnd);
  code->Paste(std::string("12x3ab"));
  EXPECT_EQ(WindowText(code->hWnd), "123AB ");
}

// bChange's calls: its first two arguments, NIL as "NIL".
struct Changes {
  std::vector<std::string> calls;
  Value answer;
  Value Block() {
    return Value(xb::Block::Native([this](xb::Args& a) {
      auto text = [](const Value& v) { return v.IsNil() ? std::string("NIL") : std::to_string(v.AsInt()); };
      calls.push_back(text(a.Arg(1)) + "," + text(a.Arg(2)));
      return answer;
    }));
  }
};

TEST_F(TGetTest, PastingRunsBChangeOnceAndAReadOnlyFieldRunsNothing) {
  ASSERT_TRUE(vdr::test::PumpUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000));
  EmptyClipboard();
  const bool put = SetClipboardText("42");
  CloseClipboard();
  ASSERT_TRUE(put);
  struct Case {
    std::initializer_list<WORD> keys;
    bool read_only;
    std::vector<std::string> calls;
  } cases[] = {
      {{VK_CONTROL, 'V'}, false, {"0,NIL"}},
      {{VK_SHIFT, VK_INSERT}, false, {"0,NIL"}},
      {{VK_CONTROL, 'V'}, true, {}},
      {{VK_CONTROL, 'X'}, true, {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(++n);
    Changes changes;
    auto get = Field(Value::String("     "), "", 10, TGet::NewParams{.change = changes.Block(), .read_only = c.read_only});
    SetForegroundWindow(window_->hWnd);
    Focus(get->hWnd);
    SendMessageA(get->hWnd, EM_SETSEL, 0, -1);
    test::PressKeys(c.keys);
    vdr::test::PumpUntil([&] { return !changes.calls.empty(); }, 500);
    EXPECT_EQ(changes.calls, c.calls);
    EXPECT_EQ(WindowText(get->hWnd), c.read_only ? "     " : "42   ");
    get->End();
  }
}

TEST_F(TGetTest, TabAndEnterMoveOnOnlyWhenBChangeAnswersTrue) {
  struct Case {
    bool with_block;
    Value answer;
    bool moves;
  } cases[] = {
      {false, Value(), true},
      {true, Value::Logical(true), true},
      {true, Value::Logical(false), false},
      {true, Value(), false},
  };
  for (WORD key : {WORD{VK_TAB}, WORD{VK_RETURN}}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(key) + (c.with_block ? " with " + std::string(c.answer.IsNil() ? "NIL" : c.answer.AsLogical() ? ".T." : ".F.") : " without"));
      Changes changes;
      changes.answer = c.answer;
      auto first = Field(Value::String("abc"), "", 10,
                         TGet::NewParams{.change = c.with_block ? changes.Block() : Value()});
      auto second = Field(Value::String("def"), "", 40);
      SetForegroundWindow(window_->hWnd);
      Focus(first->hWnd);
      test::PressKeys({key});
      vdr::test::PumpUntil([&] { return GetFocus() == second->hWnd; }, c.moves ? 2000 : 300);
      EXPECT_EQ(GetFocus() == second->hWnd, c.moves);
      if (c.with_block) EXPECT_EQ(changes.calls.size(), 1u);
      first->End();
      second->End();
    }
  }
}

TEST_F(TGetTest, TheSpinnerStepsTheDecimalBeforeTheCaret) {
  struct Case {
    int caret;  // nPos in " 12.34" (the point at 4)
    int direction;
    double after;
  } cases[] = {
      {2, 1, 13.34},   // before the point: units
      {4, 1, 12.44},   // on the point
      {5, 1, 12.44},   // right after it: the first decimal
      {6, 1, 12.44},   // after the first decimal
      {7, 1, 12.35},   // at the end: the second decimal
      {7, -1, 12.33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caret);
    auto get = Field(Value::Double(12.34, 2), "999.99", 10, TGet::NewParams{.spinner = true});
    Focus(get->hWnd);
    get->nPos = c.caret;
    if (c.direction > 0) get->Inc();
    else get->Dec();
    EXPECT_NEAR(LastVar().AsDouble(), c.after, 1e-9);
    get->End();
  }
}

TEST_F(TGetTest, TheRightButtonMenuOpensSixtyPixelsAboveThePointer) {
  auto get = Field(Value::String("texto"), "", 120);
  SetForegroundWindow(window_->hWnd);
  Focus(get->hWnd);
  RECT menu = {};
  // While the menu is open: where it stands; then it goes. The button comes up while it is
  // open, as a person's click does.
  test::DuringMenu steps({[&] {
                           if (HWND open = test::OpenMenuWindow()) GetWindowRect(open, &menu);
                           EndMenu();
                         }},
                         250);
  Mouse(get->hWnd, 30, 8, MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP, [&] { return steps.fired(); });
  ASSERT_TRUE(steps.fired());
  POINT at = {30, 8 - 60};
  ClientToScreen(get->hWnd, &at);
  EXPECT_EQ(menu.top, at.y);
  EXPECT_EQ(menu.left, at.x);
}

TEST_F(TGetTest, LastDayByName) {
  struct Case {
    Value date;
    Value last;
  } cases[] = {
      {Value::FromDate(Ymd(2003, 2, 15)), Value::FromDate(Ymd(2003, 2, 28))},
      {Value::FromDate(Ymd(2004, 2, 1)), Value::FromDate(Ymd(2004, 2, 29))},
      {Value::FromDate(Ymd(2003, 4, 30)), Value::FromDate(Ymd(2003, 4, 30))},
      {Value::FromDate(Ymd(9999, 12, 3)), Value::FromDate(Ymd(9999, 12, 31))},
      {Value::FromDate(xb::Date{}), Value::FromDate(xb::Date{})},
  };
  for (const Case& c : cases) EXPECT_TRUE(xb::CallFunction("LASTDAY", {c.date}).SameAs(c.last));
  xb::testing::RecordingErrorBlock errors;
  xb::CallFunction("LASTDAY", {Value::String("28-02-2003")});
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->genCode, xb::EG_ARG);
}

TEST_F(TGetTest, PasswordsShowStarsAndReadOnlyFieldsTakeNothing) {
  auto secret = Field(Value::String("      "), "", 10, TGet::NewParams{.password = true});
  Focus(secret->hWnd);
  Type(secret->hWnd, "abc");
  EXPECT_EQ(WindowText(secret->hWnd), "***");
  Focus(other_->hWnd);
  EXPECT_EQ(vars_[1]->value().AsString(), "abc   ");

  auto fixed = Field(Value::String("fijo"), "", 40, TGet::NewParams{.read_only = true});
  EXPECT_NE(GetWindowLongA(fixed->hWnd, GWL_STYLE) & ES_READONLY, 0);
  Focus(fixed->hWnd);
  Type(fixed->hWnd, "xx");
  Key(fixed->hWnd, VK_DELETE);
  EXPECT_EQ(WindowText(fixed->hWnd), "fijo");
}

TEST_F(TGetTest, ABadDateIsNotValid) {
  auto date = Field(Value::FromDate(xb::Date{}), "");
  Focus(date->hWnd);
  Type(date->hWnd, "31022004");
  EXPECT_FALSE(date->lValid());
  Key(date->hWnd, VK_HOME);
  Type(date->hWnd, "29");
  EXPECT_TRUE(date->lValid());
}

TEST_F(TGetTest, AFieldBoundToADialogsEditItem) {
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams d;
  d.resource = Value::String("FININ2");
  dialog->New(d);
  vars_.push_back(std::make_unique<Var>(Value::String("          ")));
  auto get = xb::MakeRef<TGet>();
  get->ReDefine(100, {.set_get = vars_.back()->Block(), .parent = dialog, .picture = "@!"});
  std::string shown;
  TDialog::ActivateParams a;
  a.init = xb::Value(xb::Block::Native([&](xb::Args&) {
    SetFocus(get->hWnd);
    Type(get->hWnd, "pérez");
    shown = WindowText(get->hWnd);
    PostMessageA(dialog->hWnd, WM_COMMAND, IDCANCEL, 0);
    return Value::Logical(false);
  }));
  dialog->Activate(a);
  EXPECT_EQ(shown, "PÉREZ     ");
  EXPECT_EQ(vars_.back()->value().AsString(), "PÉREZ     ");
}

TEST_F(TGetTest, AFormOfFieldsForTheEye) {
  struct Row {
    Value value;
    const char* picture;
  } rows[] = {
      {Value::String("Alimentación Pérez"), "@!"},
      {Value::String("12345678Z"), "@R 99.999.999-!"},
      {Value::Double(1234567.5, 2), "@E 9,999,999.99"},
      {Value::FromDate(Ymd(2004, 2, 29)), ""},
      {Value::Integer(0), "@Z 99999"},
      {Value::Logical(true), "Y"},
  };
  int top = 10;
  for (const Row& r : rows) {
    Field(r.value, r.picture, top, TGet::NewParams{.spinner = r.value.IsDate()});
    top += 30;
  }
  Screenshot(window_->hWnd, "edit_fields");
}

TEST_F(TGetTest, TheFileDialogsNameBecomesTheFieldsValue) {
  static std::vector<std::string> asked;
  static std::string answer;
  xb::RegisterFunction("CGETFILE", [](xb::Args& a) {
    asked = {std::string(a.Str(1)), std::string(a.Str(2))};
    return Value::String(answer);
  });
  struct Case {
    Value initial;
    const char* mask;
    const char* chosen;
    const char* asked_mask;
    Value value;
  } cases[] = {
      {Value::String("          "), "", "C:\\datos\\a.dbf", "*.*", Value::String("C:\\datos\\a.dbf")},
      {Value::String("*.dbf               "), "", "C:\\b.dbf", "*.dbf", Value::String("C:\\b.dbf            ")},
      {Value::String("*.dbf     "), "*.txt", "", "*.txt", Value::String("*.dbf     ")},  // cancelled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    answer = c.chosen;
    auto get = Field(c.initial, "");
    EXPECT_EQ(get->SelFile(c.mask), c.chosen);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], c.asked_mask);
    EXPECT_EQ(asked[1], "Por favor, seleccione un fichero");
    EXPECT_EQ(LastVar().AsString(), c.value.AsString());
    EXPECT_EQ(WindowText(get->hWnd), std::string(c.value.AsString()));
    get->End();
  }
}

}  // namespace
}  // namespace ui
