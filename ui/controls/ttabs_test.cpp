// The tab strip: clicks and hot keys choosing a tab once, the arrows of a strip too narrow for
// its prompts, deleting down to "No Defined"; both looks on screen.
#include "ui/controls/ttabs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "ui/controls/controls_test_support.h"

namespace ui {
namespace {

using test::Blk;
using vdr::test::WindowText;
using xb::Args;
using xb::Value;

class TabsTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    window_ = Make(40, 40, 360, 120);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  xb::Ref<TTabs> Strip(std::vector<std::string> prompts, int width) {
    auto tabs = xb::MakeRef<TTabs>();
    tabs->New({.row = 10, .col = 10, .prompts = std::move(prompts), .action = Blk([this](Args& a) {
                 actions.push_back(static_cast<int>(a.Int(1)));
                 return Value();
               }),
               .parent = window_, .pixel = true, .width = width});
    return tabs;
  }
  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

  xb::Ref<TWindow> window_;
  std::vector<int> actions;
};

TEST_F(TabsTest, ClicksAndHotLettersChooseATabOnce) {
  auto tabs = Strip({"&Uno", "&Dos", "&Tres"}, 300);
  ASSERT_NE(tabs->hWnd, nullptr);
  EXPECT_FALSE(tabs->ArrowsShown());
  const int second = 5 + tabs->aSizes[0] + 10 + 3;  // just inside the second tab
  SendMessageA(tabs->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(second, 8));
  SendMessageA(tabs->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(second, 8));  // again: nothing
  SendMessageA(tabs->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 8));       // left of the first
  SendMessageA(tabs->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(8, 19));      // below the tabs
  SendMessageA(tabs->hWnd, WM_SYSCOMMAND, SC_KEYMENU, 't');
  SendMessageA(tabs->hWnd, WM_SYSCOMMAND, SC_KEYMENU, 'U');  // any case
  EXPECT_EQ(actions, (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(tabs->GetHotPos('x'), 0);
  Screenshot(window_->hWnd, "tabs_qz");
}

TEST_F(TabsTest, ANarrowStripScrollsItsTabsWithTheArrows) {
  for (int style : {0, 1}) {
    SCOPED_TRACE(style);
    auto tabs = Strip({"&Primera pestaña", "&Segunda pestaña", "&Tercera pestaña", "&Cuarta pestaña",
                       "&Quinta pestaña"},
                      300);
    if (style == 1) {
      tabs->nLineStyle = 1;
      tabs->Default();
    }
    EXPECT_TRUE(tabs->ArrowsShown());
    int steps = 0;
    while (!tabs->lBottom && steps < 10) {
      tabs->ScrollRight();
      UpdateWindow(tabs->hWnd);
      ++steps;
    }
    EXPECT_TRUE(tabs->lBottom);
    const int first = tabs->nFirst;
    EXPECT_GT(first, 1);
    tabs->ScrollRight();  // the last tab shows: nothing
    UpdateWindow(tabs->hWnd);
    EXPECT_EQ(tabs->nFirst, first);
    Screenshot(window_->hWnd, style == 0 ? "tabs_qz_scrolled" : "tabs_classic_scrolled");
    tabs->ScrollLeft();
    EXPECT_EQ(tabs->nFirst, first - 1);
    // The arrow control's own left button.
    SendMessageA(tabs->hWnd, WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(tabs->oBtns->hWnd));
    EXPECT_EQ(tabs->nFirst, std::max(first - 2, 1));
    DestroyWindow(tabs->hWnd);
  }
}

TEST_F(TabsTest, DeletingTheOnlyPromptLeavesNoDefined) {
  auto tabs = Strip({"&Uno", "&Dos"}, 300);
  tabs->SetOption(2);
  tabs->DelItem();
  EXPECT_EQ(tabs->aPrompts, (std::vector<std::string>{"&Uno"}));
  EXPECT_EQ(tabs->nOption, 1);
  tabs->DelItem();
  EXPECT_EQ(tabs->aPrompts, (std::vector<std::string>{"No Defined"}));
  tabs->AddItem("&Otra");
  EXPECT_EQ(tabs->PromptCount(), 2);
  EXPECT_EQ(tabs->aSizes.size(), 2u);
}

TEST_F(TabsTest, ThePromptEditorPutsTheTrimmedLinesInPlaceOnlyOnOk) {
  auto tabs = Strip({"&Uno", "&Dos"}, 300);
  auto edit_with = [&](const std::string& text, const char* button) {
    std::string shown;
    test::StepWhile steps([&] {
      HWND box = GetActiveWindow();
      if (box == nullptr || box == window_->hWnd || WindowText(box) != "Edit prompts") return false;
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (_stricmp(cls, "Edit") == 0) {
          shown = WindowText(child);
          SetWindowTextA(child, text.c_str());
        }
      }
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child) == button) PostMessageA(child, BM_CLICK, 0, 0);
      return true;
    });
    tabs->Inspect("aPrompts");
    return shown;
  };
  EXPECT_EQ(edit_with("  &Tres \r\n\r\n&Cuatro\r\n", "&Cancel"), "&Uno\r\n&Dos\r\n");
  EXPECT_EQ(tabs->aPrompts, (std::vector<std::string>{"&Uno", "&Dos"}));
  edit_with("  &Tres \r\n\r\n&Cuatro\r\n", "&Ok");
  EXPECT_EQ(tabs->aPrompts, (std::vector<std::string>{"&Tres", "&Cuatro"}));
  EXPECT_EQ(tabs->nOption, 1);
}

}  // namespace
}  // namespace ui
