// Controls made in design mode: each control's New with its design flag puts it in design mode
// with the sizing dots made in its parent, and a designed label, which lets the mouse through
// otherwise, takes the dots and moves with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/macro.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "ui/bridge/device_context.h"
#include "ui/controls/controls_test_support.h"
#include "ui/bridge/cursors.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tsay.h"
#include "ui/core/tbar.h"
#include "ui/core/tcursor.h"
#include "ui/core/design_dots.h"
#include "ui/core/tcontrol.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class DesignModeTest : public test::TablesTest {  // a browse asks for the current table
 protected:
  void SetUp() override {
    TablesTest::SetUp();
    window_ = Make(30, 30, 420, 320);
    ShowWindow(window_->hWnd, SW_SHOW);
    SetForegroundWindow(window_->hWnd);
    SetWndDefault(window_);
  }
  void TearDown() override {
    SetWndDefault(nullptr);
    TablesTest::TearDown();
  }
  xb::Ref<TWindow> window_;
};

// "CLASS():New(1, 1, ..., lDesign)" with the design flag at its position and nothing else but
// the row and the column.
std::string NewWithDesign(const std::string& cls, int position, bool design) {
  std::string text = cls + "():New(1, 1";
  for (int arg = 3; arg < position; ++arg) text += ",";
  return text + (design ? ", .T.)" : ", .F.)");
}

TEST_F(DesignModeTest, EveryControlsNewPutsItInDesignMode) {
  struct Case {
    const char* cls;
    int design_arg;
  };
  for (const Case& c : std::vector<Case>{{"TMeter", 17},    {"TCheckBox", 14}, {"TSay", 15},      {"TButton", 12},
                                         {"TGet", 12},      {"TMultiGet", 21}, {"TListBox", 13},  {"TComboBox", 18},
                                         {"TScrollBar", 22}, {"TRadio", 18},   {"TGroup", 10},    {"TBitmap", 19},
                                         {"TQZTreeView", 7}, {"TTabs", 10},    {"TFolder", 10},   {"TWBrowse", 24}}) {
    for (bool design : {true, false}) {
      const std::string text = NewWithDesign(c.cls, c.design_arg, design);
      const Value control = xb::EvalMacro(text);
      auto* made = dynamic_cast<TControl*>(control.AsObject().get());
      ASSERT_NE(made, nullptr) << text;
      ASSERT_NE(made->hWnd, nullptr) << text;
      EXPECT_EQ(made->lDrag, design) << text;
      EXPECT_EQ((GetWindowLongA(made->hWnd, GWL_STYLE) & WS_CLIPSIBLINGS) != 0, design || std::string(c.cls) == "TBitmap")
          << text << ": the control does not paint over the dots";
      if (design) {
        for (HWND dot : DesignDotWindows()) {
          ASSERT_NE(dot, nullptr) << text;
          EXPECT_EQ(GetParent(dot), window_->hWnd) << text;
        }
        // The focus shows the dots around it.
        made->SetFocus();
        vdr::test::PumpPending();
        EXPECT_EQ(DesignDotsOwner(), made->hWnd) << text;
        for (HWND dot : DesignDotWindows()) EXPECT_TRUE(IsWindowVisible(dot)) << text;
      }
      made->HideDots();
      DestroyWindow(made->hWnd);
    }
  }
}

// A control's Property(n) and PropCount read its own class's list, not its parent class's.
TEST_F(DesignModeTest, PropertiesAreTheControlClasssOwn) {
  struct Case {
    const char* text;
    int count;
    const char* first;
    const char* seventh;
  };
  for (const Case& c : std::vector<Case>{
           {"TButton():New(40, 40, 'Uno',,, 80, 24)", 12, "cTitle", "nTop"},
           {"TListBox():New(40, 40, {|x| 1}, {'a', 'b'}, 80, 60)", 12, "aItems", "nAlign"},
       }) {
    const Value control = xb::EvalMacro(c.text);
    ASSERT_TRUE(control.IsObject()) << c.text;
    const xb::Array own = xb::Send(control, "APROPERTIES").AsArray();
    EXPECT_EQ(xb::Send(control, "PROPCOUNT").AsInt(), static_cast<std::int64_t>(own.size())) << c.text;
    EXPECT_EQ(xb::Send(control, "PROPCOUNT").AsInt(), c.count) << c.text;
    EXPECT_EQ(xb::Send(control, "PROPERTY", {Value::Integer(1)}).AsString(), c.first) << c.text;
    EXPECT_EQ(xb::Send(control, "PROPERTY", {Value::Integer(7)}).AsString(), c.seventh) << c.text;
    DestroyWindow(dynamic_cast<TWindow*>(control.AsObject().get())->hWnd);
  }
}

// Each control made in design mode at (40, 40) is moved with the mouse: a press at (10, 6)
// of it and a release 30 pixels right and 1 down move it four grid steps of 8 right, 32
// pixels, and the mouse is free again. A label, which lets the mouse through outside design mode, and a field,
// a browse and a folder, which handle the mouse themselves, among them.
TEST_F(DesignModeTest, DesignedControlsAreMovedWithTheMouse) {
  for (const char* text : {
           "TSay():New(40, 40, {|| 'Código'},,,,,,, .T., 0,, 80, 16, .T.)",
           "TButton():New(40, 40, 'Uno',,, 80, 24,,,, .T., .T.)",
           "TCheckBox():New(40, 40, 'Dos',,, 80, 20,,,,,,, .T., .T.)",
           "TGet():New(40, 40, {|x| 'abc'},, 80, 20,,,,,, .T.,, .T.)",
           "TMultiGet():New(40, 40, {|x| 'abc'},, 80, 40,,,,,, .T.,,,,,,,,, .T.)",
           "TListBox():New(40, 40, {|x| 1}, {'a', 'b'}, 80, 60,,,,,, .T., .T.)",
           "TFolder():New(40, 40,,,,,,, .T., .T., 120, 80)",
           "TWBrowse():New(40, 40, 120, 80,,,,,,,,,,,,,,,,,, .T.,, .T.)",
           "TCBrowse():New(40, 40, 120, 80,,,,,,,,,,,,,,,,,, .T.,, .T.)",
       }) {
    const Value control = xb::EvalMacro(text);
    auto* made = dynamic_cast<TControl*>(control.AsObject().get());
    ASSERT_NE(made, nullptr) << text;
    ASSERT_NE(made->hWnd, nullptr) << text;
    const Rect start = GetCoors(made->hWnd);
    ASSERT_EQ(start.left, 40) << text;
    ASSERT_TRUE(vdr::test::MouseToClient(made->hWnd, {10, 6})) << text;
    vdr::test::LeftButton(true);
    ASSERT_TRUE(vdr::test::MouseToClient(made->hWnd, {10 + 30, 6 + 1})) << text;
    vdr::test::LeftButton(false);
    EXPECT_EQ(GetCoors(made->hWnd), (Rect{start.top, 72, start.bottom, start.right + 32})) << text;
    EXPECT_EQ(GetCapture(), nullptr) << text;
    EXPECT_FALSE(made->lCaptured) << text;
    EXPECT_EQ(DesignDotsOwner(), made->hWnd) << text;
    if (std::string(text).starts_with("TSay")) Screenshot(window_->hWnd, "design_mode_label");
    made->HideDots();
    DestroyWindow(made->hWnd);
  }
}

// A bar button with a drag cursor gives its data to the window it is dropped on: the drag
// takes the mouse from the button's own handling, so the button neither runs its action nor
// lets the mouse go when the pointer leaves it.
TEST_F(DesignModeTest, ABarButtonsDataIsDroppedOnAnotherWindow) {
  TBar::NewParams bp;
  bp.btn_width = 23;
  bp.btn_height = 25;
  auto bar = TBar::New(*window_, bp);
  int runs = 0;
  TBtnBmp::BarParams b;
  b.pictures.resource1 = "PBMPFIN1";
  b.action = Blk([&](Args&) {
    ++runs;
    return Value();
  });
  auto button = TBtnBmp::NewBar(*bar, b);
  button->oDragCursor = TCursor::New("", "DRAG");
  button->bDragBegin = Blk([](Args&) {
    xb::EvalMacro("SETDROPINFO('botón 1')");
    return Value();
  });
  auto target = Make(30, 480, 200, 150);
  ShowWindow(target->hWnd, SW_SHOWNOACTIVATE);
  std::vector<Value> dropped;
  target->bDropOver = Blk([&](Args& a) {
    dropped = {a.Arg(1), a.Arg(2), a.Arg(3)};
    return Value();
  });

  ASSERT_TRUE(vdr::test::MouseToClient(button->hWnd, {6, 12}));
  vdr::test::LeftButton(true);
  ASSERT_TRUE(vdr::test::MouseToClient(button->hWnd, {16, 12}));
  EXPECT_EQ(GetCursor(), GetCursorDrag());
  ASSERT_TRUE(vdr::test::MouseToClient(button->hWnd, {60, 40}));  // off the button
  EXPECT_EQ(GetCapture(), button->hWnd);
  ASSERT_TRUE(vdr::test::MouseToClient(target->hWnd, {40, 20}));
  vdr::test::LeftButton(false);
  vdr::test::PumpUntil([&] { return !dropped.empty(); }, 2000);
  ASSERT_EQ(dropped.size(), 3u);
  EXPECT_EQ(dropped[0].AsString(), "botón 1");
  EXPECT_EQ(dropped[1].AsInt(), 20);
  EXPECT_EQ(dropped[2].AsInt(), 40);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace ui
