// The tabbed folder over dialog "CARPETA" and its three resource pages: clicks and Alt +
// letter switch pages, a disabled tab is refused, deleting tabs leaves one page shown; the
// tab painter's pixels in both looks; SYSWAIT lets messages run.
#include "ui/controls/tfolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/function_table.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "tests/support/window_text.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/folder_paint.h"
#include "ui/controls/tget.h"
#include "ui/controls/set_get.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class FolderTest : public test::ControlsTest {
 protected:
  // CARPETA with its folder (300) over PAGINA1..3; `during` runs once the dialog shows.
  void Run(const std::function<void(TFolder&, HWND)>& during) {
    auto dialog = xb::MakeRef<TDialog>();
    dialog->New({.resource = Value::String("CARPETA")});
    folder = xb::MakeRef<TFolder>();
    folder->ReDefine(300, {.prompts = {"&General", "&Datos", "&Notas"},
                           .dialogs = {Value::String("PAGINA1"), Value::String("PAGINA2"), Value::String("PAGINA3")},
                           .parent = dialog,
                           .change = Blk([this](Args& a) {
                             changes.emplace_back(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)));
                             return Value();
                           })});
    code = SetGet::Of(Value::String("      "));
    get = xb::MakeRef<TGet>();
    get->ReDefine(101, {.set_get = code.block, .parent = WindowRef(folder->Page(1))});
    dialog->bStart = Blk([&, d = dialog.get()](Args&) {
      during(*folder, d->hWnd);
      d->End();
      return Value();
    });
    dialog->Activate({.centered = true});
  }
  // The numbers of the pages that show.
  std::vector<int> Shown() const {
    std::vector<int> shown;
    for (int n = 1; n <= static_cast<int>(folder->aDialogs.AsArray().size()); ++n)
      if (TDialog* page = folder->Page(n); page != nullptr && IsWindowVisible(page->hWnd)) shown.push_back(n);
    return shown;
  }
  // A click at the middle of tab n's prompt, as the folder measures it.
  void ClickTab(int n) {
    const std::vector<int> widths = folder->TabWidths();
    int x = 0;
    for (int i = 1; i < n; ++i) x += widths[static_cast<std::size_t>(i) - 1];
    x += widths[static_cast<std::size_t>(n) - 1] / 2;
    SendMessageA(folder->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x, 10));
    SendMessageA(folder->hWnd, WM_LBUTTONUP, 0, At(x, 10));
  }

  xb::Ref<TFolder> folder;
  xb::Ref<TGet> get;
  SetGet code;
  std::vector<std::pair<int, int>> changes;
};

TEST_F(FolderTest, ClicksAndHotKeysSwitchPagesAndADisabledTabIsRefused) {
  std::vector<std::vector<int>> shown;
  std::vector<int> options;
  Run([&](TFolder& f, HWND dialog) {
    EXPECT_FALSE(f.lAllWidth);  // ReDefine's default
    shown.push_back(Shown());
    ClickTab(2);
    options.push_back(f.nOption);
    shown.push_back(Shown());
    ClickTab(2);  // the tab already selected: no bChange
    Screenshot(dialog, "folder_second_page");
    ClickTab(1);
    f.aEnable.AsArray()[2] = Value::Logical(false);
    f.Refresh();
    ClickTab(3);  // disabled
    options.push_back(f.nOption);
    EXPECT_EQ(f.GetHotPos('n'), 0);
    Screenshot(dialog, "folder_disabled_tab");
    // Alt + D on the page's field: the folder takes the key first, whatever its case.
    SetFocus(get->hWnd);
    SendMessageA(get->hWnd, WM_SYSCOMMAND, SC_KEYMENU, 'D');
    options.push_back(f.nOption);
    shown.push_back(Shown());
    EXPECT_EQ(f.GetHotPos('g'), 1);
    EXPECT_EQ(f.GetHotPos('G'), 1);
    EXPECT_EQ(f.GetHotPos('d'), 0);  // the selected one
    f.aEnable.AsArray()[2] = Value::Logical(true);
    SendMessageA(f.hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(f.nWidth() - 2, 8));  // beyond the tabs: the last
    options.push_back(f.nOption);
    shown.push_back(Shown());
    SendMessageA(f.hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(5, f.nFdHeight + 20));  // the page area: nothing
    options.push_back(f.nOption);
  });
  EXPECT_EQ(options, (std::vector<int>{2, 1, 2, 3, 3}));
  EXPECT_EQ(shown, (std::vector<std::vector<int>>{{1}, {2}, {2}, {3}}));
  EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{2, 1}, {1, 2}, {2, 1}, {3, 2}}));
}

// The same through the system's input, as a person clicks and types: a click on a tab shows
// its page, Alt + a tab's letter typed in a field of a page selects that tab, a click beyond
// the last tab selects the last, one on the page area changes nothing.
TEST_F(FolderTest, APersonsClicksAndAltKeysSwitchPages) {
  std::vector<int> options;
  std::vector<std::vector<int>> shown;
  Run([&](TFolder& f, HWND dialog) {
    SetForegroundWindow(dialog);
    auto click = [&](int x, int y) {
      ASSERT_TRUE(vdr::test::MouseToClient(f.hWnd, {x, y}));
      vdr::test::LeftButton(true);
      vdr::test::LeftButton(false);
      options.push_back(f.nOption);
      shown.push_back(Shown());
    };
    const std::vector<int> widths = f.TabWidths();
    click(widths[0] + widths[1] / 2, 10);
    click(widths[0] / 2, 10);
    ASSERT_EQ(GetFocus(), get->hWnd);  // the page's field has the focus
    test::PressKeys({VK_MENU, 'D'});
    vdr::test::PumpUntil([&] { return f.nOption == 2; }, 2000);
    options.push_back(f.nOption);
    shown.push_back(Shown());
    click(f.nWidth() - 4, 8);
    click(20, f.nFdHeight + 30);
  });
  EXPECT_EQ(options, (std::vector<int>{2, 1, 2, 3, 3}));
  EXPECT_EQ(shown, (std::vector<std::vector<int>>{{2}, {1}, {2}, {3}, {3}}));
  EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{2, 1}, {1, 2}, {2, 1}, {3, 2}}));
}

TEST_F(FolderTest, DeletingTabsKeepsOnePageShownUntilNoneIsLeft) {
  Run([&](TFolder& f, HWND) {
    f.SetOption(3);
    changes.clear();
    f.DelItem();
    EXPECT_EQ(f.nOption, 2);
    EXPECT_EQ(f.PromptCount(), 2);
    EXPECT_EQ(Shown(), (std::vector<int>{2}));
    EXPECT_TRUE(changes.empty());
    f.AddItem("&Otra");
    EXPECT_EQ(f.PromptCount(), 3);
    EXPECT_EQ(f.aEnable.AsArray().size(), 3u);
    EXPECT_EQ(Shown(), (std::vector<int>{2}));
    f.SetOption(3);
    EXPECT_EQ(Shown(), (std::vector<int>{3}));
    f.DelPages();
    EXPECT_EQ(f.nOption, 0);
    EXPECT_TRUE(f.aPrompts.AsArray().empty());
    EXPECT_TRUE(f.aDialogs.AsArray().empty());
    EXPECT_TRUE(f.aEnable.AsArray().empty());
    f.SetOption(1);  // nothing to select
    EXPECT_EQ(f.nOption, 0);
  });
}

TEST_F(FolderTest, PagesTakeTheGivenColourElseTheDialogs) {
  const xb::FunctionTableSnapshot functions = xb::FunctionTableSnapshot::Take();
  xb::RegisterFunction("LCLASSIC", [](Args&) { return Value::Logical(true); });  // dialogs keep their colours
  constexpr COLORREF kDialog = RGB(255, 236, 200), kGiven = RGB(200, 230, 255);
  struct Case {
    std::optional<COLORREF> given;
    COLORREF pages;
    const char* shot;
  } cases[] = {{std::nullopt, kDialog, "folder_dialog_colour"}, {kGiven, kGiven, "folder_given_colour"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shot);
    auto dialog = xb::MakeRef<TDialog>();
    dialog->New({.resource = Value::String("CARPETA"), .clr_pane = kDialog});
    folder = xb::MakeRef<TFolder>();
    folder->ReDefine(300, {.prompts = {"&General", "&Datos"},
                           .dialogs = {Value::String("PAGINA1"), Value::String("PAGINA2")},
                           .parent = dialog,
                           .back = c.given});
    std::vector<COLORREF> panes, shown;
    dialog->bStart = Blk([&, d = dialog.get()](Args&) {
      for (int n = 1; n <= 2; ++n) panes.push_back(folder->Page(n)->nClrPane);
      TDialog* page = folder->Page(1);
      RedrawWindow(page->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      RECT area = {};
      GetClientRect(page->hWnd, &area);
      HDC dc = GetDC(page->hWnd);
      shown.push_back(GetPixel(dc, area.right - 4, area.bottom - 4));  // an empty corner of the page
      ReleaseDC(page->hWnd, dc);
      Screenshot(d->hWnd, c.shot);
      d->End();
      return Value();
    });
    dialog->Activate({.centered = true});
    EXPECT_EQ(folder->nClrPane, c.pages);
    EXPECT_EQ(panes, (std::vector<COLORREF>{c.pages, c.pages}));
    EXPECT_EQ(shown, (std::vector<COLORREF>{c.pages}));
  }
  functions.Restore();
}

// Update() of the dialog refreshes the fields of the folder's pages that ask for it.
TEST_F(FolderTest, UpdateOfTheDialogReachesThePagesFields) {
  std::string before, after;
  Run([&](TFolder&, HWND dialog) {
    get->lUpdate = true;
    before = vdr::test::WindowText(get->hWnd);
    code.Put(Value::String("ABC123"));
    OWndFromHwnd(dialog)->Update();
    after = vdr::test::WindowText(get->hWnd);
  });
  EXPECT_EQ(before, "      ");
  EXPECT_EQ(after, "ABC123");
}

TEST_F(FolderTest, NewOnAWindowMakesItsPagesAndSharesTheWidth) {
  auto window = Make(40, 40, 420, 260);
  ShowWindow(window->hWnd, SW_SHOW);
  auto f = xb::MakeRef<TFolder>();
  f->New({.top = 10, .left = 10, .parent = window, .pixel = true, .width = 300, .height = 180});
  EXPECT_TRUE(f->lAllWidth);
  EXPECT_EQ(f->nTabSize, 100);
  ASSERT_EQ(f->aDialogs.AsArray().size(), 3u);
  EXPECT_EQ(f->Page(2)->cVarName, "Page2");
  RECT page = {};
  GetWindowRect(f->Page(1)->hWnd, &page);
  MapWindowPoints(nullptr, f->hWnd, reinterpret_cast<POINT*>(&page), 2);
  EXPECT_EQ(page.left, 3);
  EXPECT_EQ(page.top, f->nFdHeight + 2);
  EXPECT_EQ(page.right - page.left, 300 - 6);
  EXPECT_EQ(page.bottom - page.top, 180 - f->nFdHeight - 5);
  EXPECT_TRUE(IsWindowVisible(f->Page(1)->hWnd));
  EXPECT_FALSE(IsWindowVisible(f->Page(2)->hWnd));
  Screenshot(window->hWnd, "folder_new");
}

// A folder of three tabs, 300 x 120, the first selected, as a window shows it in each look:
// the lines of the tabs and of the page's frame where the painter puts them. The tabs are
// 100 wide in the classic look (the last cut 2 short of the right edge), as wide as their
// prompts + 12 in the Windows 95 look.
TEST_F(FolderTest, EachLookDrawsItsTabsAndThePagesFrame) {
  auto window = Make(40, 40, 420, 260);
  ShowWindow(window->hWnd, SW_SHOW);
  const COLORREF black = RGB(0, 0, 0), light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  for (bool win95 : {false, true}) {
    SCOPED_TRACE(win95 ? "95" : "classic");
    auto f = xb::MakeRef<TFolder>();
    f->New({.top = 10, .left = 10, .prompts = {"&Uno", "&Dos", "&Tres"}, .parent = window, .pixel = true,
            .width = 300, .height = 120});
    f->lWin95Look = win95;
    const COLORREF pane = f->nClrPane;
    RedrawWindow(f->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    vdr::test::PumpPending();
    MemorySurface shown(300, 120);
    {
      WindowDC dc(f->hWnd);
      BitBlt(shown.dc(), 0, 0, 300, 120, dc.get(), 0, 0, SRCCOPY);
    }
    const int F = f->nFdHeight, W = 300, H = 120;
    struct Point {
      int x, y;
      COLORREF colour;
      const char* what;
    };
    std::vector<Point> points = {
        {0, 60, win95 ? light : black, "the page's left edge"},
        {W - 1, 60, black, "the page's right edge"},
        {W - 2, 60, shadow, "the shadow inside it"},
        {150, H - 1, black, "the page's bottom edge"},
        {150, H - 2, shadow, "the shadow above it"},
    };
    if (!win95) {
      const std::vector<Point> classic = {
          {1, 60, light, "the second left line"},
          {2, 60, light, "the third left line"},
          {W - 3, 60, shadow, "the second right shadow"},
          {150, H - 3, shadow, "the second bottom shadow"},
          {0, 10, black, "tab 1: left edge"},
          {2, 2, black, "tab 1: cut corner"},
          {50, 0, black, "tab 1: top edge"},
          {99, 2, black, "tab 1: right cut corner"},
          {1, 10, light, "tab 1: inner left line"},
          {50, 1, light, "tab 1: inner top line"},
          {100, 10, shadow, "tab 1: inner right shadow"},
          {2, 10, light, "tab 1 (selected): second left line"},
          {50, 2, light, "tab 1 (selected): second top line"},
          {99, 10, shadow, "tab 1 (selected): second shadow"},
          {50, F - 1, pane, "tab 1 (selected): open into the page"},
          {150, F - 1, black, "tab 2: base line"},
          {150, F, light, "tab 2: the page's top line under it"},
          {150, F + 1, light, "tab 2: the page's second top line"},
          {W - 1, 10, black, "tab 3, cut: its right edge at the control's"},
          {W - 2, 10, shadow, "tab 3, cut: the shadow inside it"},
      };
      points.insert(points.end(), classic.begin(), classic.end());
    } else {
      const int w1 = PromptExtent(nullptr, "&Uno", f->oFont->hFont) + 12;
      const int x2 = w1 + 1, w2 = PromptExtent(nullptr, "&Dos", f->oFont->hFont) + 12;
      const std::vector<Point> look95 = {
          {w1 / 2, 1, light, "tab 1 (selected): top edge at 1"},
          {w1, 10, black, "tab 1: right edge"},
          {w1 - 1, 10, shadow, "tab 1: shadow inside it"},
          {w1 / 2, F, pane, "tab 1 (selected): no line below it"},
          {x2 + w2 / 2, 3, light, "tab 2: top edge at 3"},
          {x2 + w2 / 2, 1, pane, "tab 2: lower than the selected one"},
          {x2 + w2, 10, black, "tab 2: right edge"},
          {x2 + w2 / 2, F, light, "tab 2: the page's top line under it"},
      };
      points.insert(points.end(), look95.begin(), look95.end());
    }
    for (const Point& p : points) EXPECT_EQ(shown.Pixel(p.x, p.y), p.colour) << p.what << " at " << p.x << ", " << p.y;
    Screenshot(window->hWnd, win95 ? "folder_look_95" : "folder_look_classic");
    DestroyWindow(f->hWnd);
  }
}

// ---- FOLDPAINT ---------------------------------------------------------------------------------

class FoldPaintTest : public test::ControlsTest {
 protected:
  static constexpr int kW = 240, kH = 90;
  void SetUp() override {
    ControlsTest::SetUp();
    window_ = Make(40, 40, 300, 200);
    ShowWindow(window_->hWnd, SW_SHOW);
    strip_ = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, kW, kH, window_->hWnd, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    bold_ = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, kW, kH);
    ReleaseDC(nullptr, screen);
    old_bitmap_ = SelectObject(dc_, bitmap_);
  }
  void TearDown() override {
    SelectObject(dc_, old_bitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    DeleteObject(font_);
    DeleteObject(bold_);
    ControlsTest::TearDown();
  }
  void Paint(FolderLook look) {
    RECT all = {0, 0, kW, kH};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    look.font = font_;
    look.bold = bold_;
    look.pane = RGB(192, 192, 192);
    FoldPaint(strip_, dc_, look);
  }
  // Pixels of that colour in a box.
  int Count(COLORREF colour, int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += GetPixel(dc_, x, y) == colour ? 1 : 0;
    return n;
  }

  xb::Ref<TWindow> window_;
  HWND strip_ = nullptr;
  HFONT font_ = nullptr, bold_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
};

TEST_F(FoldPaintTest, PromptsAreGreyWhenDisabledAndBoldOnlyWhenSelectedInTheClassicLook) {
  struct Case {
    bool win95;
    int option;
    bool second_enabled;
    COLORREF second_colour;  // the colour of the second prompt's text
  } cases[] = {
      {false, 1, true, RGB(0, 0, 0)},
      {false, 1, false, kDisabledTabText},
      {true, 1, true, RGB(0, 0, 0)},
      {true, 1, false, kDisabledTabText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.win95 ? "95" : "classic");
    Paint({.prompts = {"Uno", "Dos", "Tres"}, .enabled = {true, c.second_enabled}, .option = c.option,
           .tab_size = 80, .win95 = c.win95});
    // The second tab's prompt area, inside its outline.
    const std::vector<int> widths = {PromptExtent(dc_, "Uno", font_) + 12, PromptExtent(dc_, "Dos", font_) + 12};
    const int left = c.win95 ? widths[0] + 1 + 4 : 81 + 7;
    const int right = c.win95 ? left + widths[1] - 8 : 81 + 78;
    const COLORREF other = c.second_colour == kDisabledTabText ? RGB(0, 0, 0) : kDisabledTabText;
    EXPECT_GT(Count(c.second_colour, left, 6, right, 19), 5);
    EXPECT_EQ(Count(other, left, 6, right, 19), 0);
  }
  // Bold: the selected prompt darkens more pixels than the same prompt unselected.
  Paint({.prompts = {"Mmmm", "Mmmm"}, .option = 1, .tab_size = 100});
  const int selected = Count(RGB(0, 0, 0), 7, 6, 98, 19);
  const int unselected = Count(RGB(0, 0, 0), 108, 6, 199, 19);
  EXPECT_GT(selected, unselected);
  Paint({.prompts = {"Mmmm", "Mmmm"}, .option = 1, .win95 = true});
  const int w = PromptExtent(dc_, "Mmmm", font_) + 12;
  EXPECT_EQ(Count(RGB(0, 0, 0), 4, 5, w - 2, 19), Count(RGB(0, 0, 0), w + 5, 7, 2 * w - 1, 21));
}

TEST_F(FoldPaintTest, ATabThatDoesNotFitIsCutTwoPixelsShortOfTheRightEdge) {
  Paint({.prompts = {"Una pestaña larga", "Otra pestaña larga", "La tercera pestaña", "Cuarta"}, .option = 1,
         .win95 = true});
  // The cut tab's black right edge at W - 2; the page frame's right line at W - 1 starts at F - 1.
  EXPECT_EQ(GetPixel(dc_, kW - 2, 10), RGB(0, 0, 0));
  EXPECT_NE(GetPixel(dc_, kW - 1, 10), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc_, kW - 1, 40), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc_, 10, kH - 1), RGB(0, 0, 0));  // the page's bottom line
}

TEST_F(FoldPaintTest, TheDcKeepsItsObjectsAndColoursAndStaysValid) {
  HFONT own = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ old_font = SelectObject(dc_, own);
  HGDIOBJ old_pen = SelectObject(dc_, pen);
  SetTextColor(dc_, RGB(1, 2, 3));
  SetBkColor(dc_, RGB(4, 5, 6));
  for (bool win95 : {false, true}) {
    Paint({.prompts = {"A", "B"}, .option = 2, .win95 = win95});
    EXPECT_EQ(GetCurrentObject(dc_, OBJ_FONT), own);
    EXPECT_EQ(GetCurrentObject(dc_, OBJ_PEN), pen);
    EXPECT_EQ(GetTextColor(dc_), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(dc_), RGB(4, 5, 6));
    EXPECT_EQ(GetObjectType(dc_), static_cast<DWORD>(OBJ_MEMDC));
  }
  // No prompts: nothing drawn.
  Paint({.prompts = {}});
  EXPECT_EQ(Count(RGB(0, 0, 0), 0, 0, kW, kH), 0);
  SelectObject(dc_, old_pen);
  SelectObject(dc_, old_font);
  DeleteObject(pen);
  DeleteObject(own);
}

TEST_F(FoldPaintTest, ByNameFromCompiledText) {
  xb::Array prompts = xb::Array::New();
  prompts.Append(Value::String("Uno"));
  prompts.Append(Value::String("Dos"));
  xb::Array enabled = xb::Array::New();
  enabled.Append(Value::Logical(true));
  RECT all = {0, 0, kW, kH};
  FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  xb::CallFunction("FOLDPAINT",
                   {Value::Integer(reinterpret_cast<std::intptr_t>(strip_)),
                    Value::Integer(reinterpret_cast<std::intptr_t>(dc_)), Value(prompts),
                    Value::Integer(reinterpret_cast<std::intptr_t>(font_)),
                    Value::Integer(reinterpret_cast<std::intptr_t>(bold_)), Value::Integer(RGB(192, 192, 192)),
                    Value::Integer(1), Value(enabled), Value::Integer(0), Value::Logical(false), Value::Integer(22)});
  EXPECT_EQ(GetPixel(dc_, 10, kH - 1), RGB(0, 0, 0));
  EXPECT_GT(Count(RGB(0, 0, 0), kW / 2 + 6, 6, kW - 4, 19), 5);  // an aEnable too short: enabled
}

TEST_F(FolderTest, SysWaitLetsMessagesRunForItsTime) {
  auto window = Make();
  const DWORD start = GetTickCount();
  PostMessageA(window->hWnd, WM_NULL, 0, 0);
  xb::CallFunction("SYSWAIT", {Value::Number(0.2)});
  const DWORD passed = GetTickCount() - start;
  EXPECT_GE(passed, 190u);
  EXPECT_LT(passed, 2000u);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, window->hWnd, WM_NULL, WM_NULL, PM_NOREMOVE));  // it ran
}

}  // namespace
}  // namespace ui
