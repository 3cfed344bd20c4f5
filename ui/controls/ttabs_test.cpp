// The tab strip: clicks and hot keys choosing a tab once, the arrows of a strip too narrow for
// its prompts, deleting down to "No Defined"; its fonts and pattern, prompts assigned from
// compiled text, a strip of a dialog's resource; both looks on screen.
#include "ui/controls/ttabs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "ui/controls/controls_test_support.h"
#include "ui/core/tdialog.h"

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
    functions_ = xb::FunctionTableSnapshot::Take();
    // The default dialog font of the program: width 0, height -12.
    xb::RegisterFunction("CFONTNAME", [](Args&) { return Value::String("MS Sans Serif"); });
    xb::RegisterFunction("NFONTVSIZE", [](Args&) { return Value::Integer(0); });
    xb::RegisterFunction("NFONTHSIZE", [](Args&) { return Value::Integer(-12); });
    window_ = Make(40, 40, 360, 120);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  void TearDown() override {
    functions_.Restore();
    ControlsTest::TearDown();
  }
  static LOGFONTA Look(const xb::Ref<TFont>& font) {
    LOGFONTA look = {};
    if (font && font->hFont != nullptr) GetObjectA(font->hFont, sizeof look, &look);
    return look;
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
  xb::FunctionTableSnapshot functions_;
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

TEST_F(TabsTest, TheStripIsDrawnInTheDialogFontOnTheTabsPattern) {
  auto tabs = Strip({"&Uno", "&Dos", "&Tres"}, 300);
  ASSERT_NE(tabs->hWnd, nullptr);
  // New: the selected tab's font bold, the others' plain; width 0, height -12, not swapped.
  const LOGFONTA bold = Look(tabs->oFont), plain = Look(tabs->oFont2);
  EXPECT_EQ(bold.lfHeight, -12);
  EXPECT_EQ(bold.lfWidth, 0);
  EXPECT_EQ(plain.lfHeight, -12);
  EXPECT_EQ(plain.lfWidth, 0);
  EXPECT_GE(bold.lfWeight, FW_BOLD);
  EXPECT_LT(plain.lfWeight, FW_BOLD);
  // Measured in that font: a prompt is about as wide as its text at that height.
  HDC dc = GetDC(tabs->hWnd);
  HGDIOBJ old = SelectObject(dc, tabs->oFont->hFont);
  SIZE uno = {};
  GetTextExtentPoint32A(dc, "Uno", 3, &uno);
  SelectObject(dc, old);
  ReleaseDC(tabs->hWnd, dc);
  EXPECT_EQ(tabs->aSizes[0], uno.cx + 7 * tabs->nMargen);
  EXPECT_LT(uno.cx, 40) << "a stretched font makes the prompt far wider";

  // The strip's brush is the framework's "TABS" pattern: the empty strip right of the tabs
  // shows more than one colour.
  ASSERT_TRUE(tabs->oBrush);
  EXPECT_EQ(tabs->oBrush->cStyle, "TABS");
  EXPECT_NE(tabs->oBrush->hBitmap, nullptr);
  RedrawWindow(tabs->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC screen = GetDC(tabs->hWnd);
  std::vector<COLORREF> seen;
  for (int x = tabs->nWidth() - 30; x < tabs->nWidth() - 2; ++x)
    for (int y = 2; y < 18; ++y) {
      const COLORREF c = GetPixel(screen, x, y);
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
  ReleaseDC(tabs->hWnd, screen);
  EXPECT_GE(seen.size(), 2u);
  Screenshot(window_->hWnd, "tabs_font_pattern");
}

TEST_F(TabsTest, PromptsAssignedFromCompiledTextAreMeasuredAtOnce) {
  auto tabs = Strip({"&Uno", "&Dos"}, 300);
  xb::SetMemvar(xb::Intern("OTABS"), tabs->Self());
  // More prompts than before: five sizes, and the arrows of a strip too narrow for them.
  xb::EvalMacro("oTabs:aPrompts := {'&Primera pestaña', '&Segunda pestaña', '&Tercera pestaña', "
                "'&Cuarta pestaña', '&Quinta pestaña'}");
  EXPECT_EQ(tabs->aSizes.size(), 5u);
  EXPECT_TRUE(tabs->ArrowsShown());
  RedrawWindow(tabs->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  tabs->ScrollRight();
  tabs->ScrollRight();
  UpdateWindow(tabs->hWnd);
  // Fewer: one size, the arrows gone, the first tab shown again; painting reads no further.
  xb::EvalMacro("oTabs:aPrompts := {'&Sola'}");
  EXPECT_EQ(tabs->aSizes.size(), 1u);
  EXPECT_FALSE(tabs->ArrowsShown());
  EXPECT_EQ(tabs->nFirst, 1);
  RedrawWindow(tabs->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Screenshot(window_->hWnd, "tabs_assigned");
  // The design aid's properties.
  const Value properties = xb::EvalMacro("oTabs:aProperties");
  ASSERT_TRUE(properties.IsArray());
  std::vector<std::string> names;
  for (const Value& n : properties.AsArray()) names.emplace_back(n.AsString());
  EXPECT_EQ(names, (std::vector<std::string>{"aPrompts", "nAlign", "nClrText", "nClrPane", "nOption", "nTop", "nLeft",
                                             "nWidth", "nHeight", "Cargo"}));
}

TEST_F(TabsTest, AStripOfADialogResourceIsBoundAndClicked) {
  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.resource = Value::String("PESTANAS")});
  auto tabs = xb::MakeRef<TTabs>();
  tabs->ReDefine(400, {.prompts = {"&Código", "&Nombre", "&Fecha"},
                       .action = Blk([this](Args& a) {
                         actions.push_back(static_cast<int>(a.Int(1)));
                         return Value();
                       }),
                       .parent = dialog});
  // ReDefine: the plain font first, the bold one second.
  EXPECT_LT(Look(tabs->oFont).lfWeight, FW_BOLD);
  EXPECT_GE(Look(tabs->oFont2).lfWeight, FW_BOLD);
  std::vector<int> options;
  int height = 0;
  std::size_t sizes = 0;
  dialog->bStart = Blk([&, d = dialog.get()](Args&) {
    height = tabs->nHeight();
    sizes = tabs->aSizes.size();
    SetForegroundWindow(d->hWnd);
    // A real click in the middle of the third tab's prompt.
    const int third = 5 + tabs->aSizes[0] + 10 + tabs->aSizes[1] + 10 + tabs->aSizes[2] / 2;
    Click(tabs->hWnd, third, 8, [&] { return tabs->nOption == 3; });
    options.push_back(tabs->nOption);
    Screenshot(d->hWnd, "tabs_dialog");
    d->End();
    return Value();
  });
  dialog->Activate({.centered = true});
  EXPECT_EQ(height, 22);  // the system's style
  EXPECT_EQ(sizes, 3u);
  EXPECT_EQ(options, (std::vector<int>{3}));
  EXPECT_EQ(actions, (std::vector<int>{3}));
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
