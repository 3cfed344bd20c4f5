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
#include "ui/controls/tsay.h"
#include "ui/core/design_dots.h"
#include "ui/core/tcontrol.h"

namespace ui {
namespace {

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

// A label lets the mouse through to its window outside design mode; designed, it is pressed,
// takes the dots and moves on the grid with the mouse.
TEST_F(DesignModeTest, ADesignedLabelIsMovedWithTheMouse) {
  auto label = xb::MakeRef<TSay>();
  label->New({.row = 40, .col = 40, .get = Value(xb::Block::Native([](xb::Args&) { return Value::String("Código"); })),
              .pixel = true, .clr_text = RGB(0, 0, 0), .width = 80, .height = 16, .design = true});
  ASSERT_NE(label->hWnd, nullptr);
  ASSERT_TRUE(vdr::test::MouseToClient(label->hWnd, {10, 8}));
  vdr::test::LeftButton(true);
  ASSERT_TRUE(vdr::test::MouseToClient(label->hWnd, {10 + 30, 8 + 3}));
  vdr::test::LeftButton(false);
  EXPECT_EQ(GetFocus(), label->hWnd);
  EXPECT_EQ(GetCoors(label->hWnd), (Rect{40, 72, 56, 152}));
  EXPECT_EQ(DesignDotsOwner(), label->hWnd);
  Screenshot(window_->hWnd, "design_mode_label");
}

}  // namespace
}  // namespace ui
