// Scroll bars: a window's own bars and scroll-bar controls, their blocks and their thumb.
#include "ui/controls/tscrollbar.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "ui/controls/controls_test_support.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class TScrollBarTest : public test::ControlsTest {};

TEST_F(TScrollBarTest, WindowsMadeWithScrollBarsGetTheirObjects) {
  TWindow::NewParams p;
  p.vscroll = true;
  p.hscroll = true;
  auto w = Make(40, 40, 300, 200, p);
  auto* v = dynamic_cast<TScrollBar*>(w->oVScroll.get());
  auto* h = dynamic_cast<TScrollBar*>(w->oHScroll.get());
  ASSERT_NE(v, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(v->lIsChild);
  EXPECT_TRUE(v->lVertical);
  EXPECT_FALSE(h->lVertical);
  EXPECT_EQ(v->hWnd, nullptr);
  EXPECT_EQ(v->GetRange(), (std::pair{1, 2}));
  auto plain = Make();
  EXPECT_FALSE(plain->oVScroll);
}

TEST_F(TScrollBarTest, RequestsMoveTheThumbWithinTheRangeAndRunTheirBlocks) {
  TWindow::NewParams p;
  p.vscroll = true;
  auto w = Make(40, 40, 300, 200, p);
  std::vector<std::string> ran;
  auto log = [&ran](const char* what) { return Blk([&ran, what](Args&) { ran.push_back(what); return Value(); }); };
  auto bar = TScrollBar::OverWindow(*w, {.min = 1, .max = 10, .page_step = 3, .vertical = true, .go_up = log("up"),
                                          .go_down = log("down"), .page_up = log("pgup"), .page_down = log("pgdn")});
  bar->bGoTop = log("top");
  bar->bGoBottom = log("bottom");
  EXPECT_EQ(bar->GetPos(), 1);
  bar->GoUp();  // at the minimum: no move, the block all the same
  EXPECT_EQ(bar->GetPos(), 1);
  bar->GoDown();
  EXPECT_EQ(bar->GetPos(), 2);
  bar->PageDown();
  EXPECT_EQ(bar->GetPos(), 5);
  bar->GoBottom();
  EXPECT_EQ(bar->GetPos(), 10);
  bar->GoDown();
  EXPECT_EQ(bar->GetPos(), 10);
  bar->PageUp();
  EXPECT_EQ(bar->GetPos(), 7);
  bar->GoTop();
  EXPECT_EQ(bar->GetPos(), 1);
  EXPECT_EQ(ran, (std::vector<std::string>{"up", "down", "pgdn", "bottom", "down", "pgup", "top"}));

  // SetPage changes nothing, so a browse may call it freely.
  SCROLLINFO before = {};
  before.cbSize = sizeof before;
  before.fMask = SIF_ALL;
  GetScrollInfo(w->hWnd, SB_VERT, &before);
  bar->SetPage(5);
  SCROLLINFO after = before;
  GetScrollInfo(w->hWnd, SB_VERT, &after);
  EXPECT_EQ(after.nPage, before.nPage);

  // The window's own bar reaches the object through WM_VSCROLL.
  w->oVScroll = bar;
  ran.clear();
  SendMessageA(w->hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
  SendMessageA(w->hWnd, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(ran, (std::vector<std::string>{"down", "pgup"}));
}

// Each call that asks for it draws a window's bar again: a value the bar already holds is
// not set again, so the bar keeps what it shows (here a mark on its top arrow).
TEST_F(TScrollBarTest, AWindowsBarIsDrawnAgainOnlyForANewValue) {
  TWindow::NewParams p;
  p.vscroll = true;
  auto w = Make(40, 40, 300, 200, p);
  auto bar = TScrollBar::OverWindow(*w, {.min = 1, .max = 10, .vertical = true});
  ShowWindow(w->hWnd, SW_SHOWNA);
  UpdateWindow(w->hWnd);
  SCROLLBARINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(w->hWnd, OBJID_VSCROLL, &info));
  RECT window;
  GetWindowRect(w->hWnd, &window);
  // The middle of the top arrow, in the window's own coordinates.
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2 - window.left;
  const int y = info.rcScrollBar.top + info.dxyLineButton / 2 - window.top;
  constexpr COLORREF kMark = RGB(1, 2, 3);
  auto drawn_again = [&](const std::function<void()>& set) {
    HDC dc = GetWindowDC(w->hWnd);
    SetPixel(dc, x, y, kMark);
    set();
    const bool drawn = GetPixel(dc, x, y) != kMark;
    ReleaseDC(w->hWnd, dc);
    return drawn;
  };
  ASSERT_FALSE(drawn_again([] {}));  // the mark stays by itself
  const struct {
    const char* what;
    std::function<void()> set;
    bool drawn;
  } cases[] = {
      {"the same range", [&] { bar->SetRange(1, 10); }, false},
      {"the same position", [&] { bar->SetPos(bar->GetPos()); }, false},
      {"another position", [&] { bar->SetPos(5); }, true},
      {"another range", [&] { bar->SetRange(1, 20); }, true},
  };
  for (const auto& c : cases) EXPECT_EQ(drawn_again(c.set), c.drawn) << c.what;
  EXPECT_EQ(bar->GetRange(), (std::pair{1, 20}));
  EXPECT_EQ(bar->GetPos(), 5);
}

TEST_F(TScrollBarTest, ControlsTakeTheFrameworksScrollMessages) {
  auto w = Make();
  std::vector<int> positions;
  auto bar = xb::MakeRef<TScrollBar>();
  bar->New({.row = 10, .col = 10, .min = 0, .max = 100, .page_step = 10, .vertical = false, .parent = w,
            .pos = Blk([&](Args& a) { positions.push_back(static_cast<int>(a.Int(1))); return Value(); }),
            .pixel = true});
  ASSERT_NE(bar->hWnd, nullptr);
  char name[32] = {};
  GetClassNameA(bar->hWnd, name, sizeof name);
  EXPECT_STRCASEEQ(name, "ScrollBar");
  EXPECT_NE(GetWindowLongA(bar->hWnd, GWL_STYLE) & WS_TABSTOP, 0);
  EXPECT_EQ(GetWindowLongA(bar->hWnd, GWL_STYLE) & SBS_VERT, 0);
  RECT r;
  GetWindowRect(bar->hWnd, &r);
  EXPECT_EQ(r.right - r.left, 100);  // a horizontal bar's default size
  EXPECT_EQ(r.bottom - r.top, 17);
  SendMessageA(bar->hWnd, kFwScrollDown, 0, 0);
  SendMessageA(bar->hWnd, kFwScrollPageDown, 0, 0);
  EXPECT_EQ(bar->GetPos(), 11);
  SendMessageA(bar->hWnd, kFwThumbPos, 42, 0);
  EXPECT_EQ(positions, (std::vector<int>{42}));
  // Through the parent, as Windows reports a control's scrolling.
  SendMessageA(w->hWnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 77), reinterpret_cast<LPARAM>(bar->hWnd));
  EXPECT_EQ(positions, (std::vector<int>{42, 77}));

  auto quiet = xb::MakeRef<TQZScrllBar>();
  quiet->New({.row = 40, .col = 10, .parent = w, .pixel = true});
  EXPECT_EQ(GetWindowLongA(quiet->hWnd, GWL_STYLE) & WS_TABSTOP, 0);
  EXPECT_NE(GetWindowLongA(quiet->hWnd, GWL_STYLE) & SBS_VERT, 0);
  EXPECT_EQ(quiet->ClassName(), "TQZSCRLLBAR");
}

TEST_F(TScrollBarTest, ByNameFromRunTimeText) {
  auto w = Make();
  xb::SetMemvar(xb::Intern("OWND"), w->Self());
  const Value bar = xb::EvalMacro("TScrollBar():New(1, 1, 0, 50, 5, .T., oWnd)");
  ASSERT_TRUE(bar.IsObject());
  EXPECT_EQ(xb::Send(bar, "NMAX").AsInt(), 50);
  xb::Send(bar, "SETPOS", {Value::Integer(20)});
  EXPECT_EQ(xb::Send(bar, "GETPOS").AsInt(), 20);
  EXPECT_TRUE(xb::Send(bar, "SETPAGE", {Value::Integer(3)}).IsNil());
  // The sixteenth argument is the background, the seventeenth the text colour.
  struct Case {
    const char* colours;
    COLORREF pane, text;
  } cases[] = {
      {"255, 65280", 255, 65280},
      {", ", GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_SCROLLBAR)},
  };
  for (const Case& c : cases) {
    const Value coloured =
        xb::EvalMacro(std::string("TScrollBar():New(3, 1, 0, 10, 1, .F., oWnd, , , , , , , , .F., ") + c.colours + ")");
    ASSERT_TRUE(coloured.IsObject()) << c.colours;
    EXPECT_EQ(static_cast<COLORREF>(xb::Send(coloured, "NCLRPANE").AsInt()), c.pane) << c.colours;
    EXPECT_EQ(static_cast<COLORREF>(xb::Send(coloured, "NCLRTEXT").AsInt()), c.text) << c.colours;
  }
}

TEST_F(TScrollBarTest, ReDefineTakesItsColoursMessageAndBlocksFromCompiledText) {
  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.resource = Value::String("BARRAYRADIOS")});
  xb::SetMemvar(xb::Intern("ODLG"), dialog->Self());
  int valid_calls = 0;
  xb::SetMemvar(xb::Intern("BVALID"), Blk([&](Args&) {
    ++valid_calls;
    return Value::Logical(false);
  }));
  const Value bar = xb::EvalMacro(
      "TScrollBar():ReDefine(410, 0, 100, 10, oDlg, , , , , , 255, 65280, 'Desplazamiento', .T., {|| .F.}, bValid)");
  ASSERT_TRUE(bar.IsObject());
  auto* b = dynamic_cast<TScrollBar*>(bar.AsObject().get());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->nClrText, 255u);
  EXPECT_EQ(b->nClrPane, 65280u);
  EXPECT_EQ(b->cMsg, "Desplazamiento");
  EXPECT_TRUE(b->lUpdate);
  EXPECT_EQ(b->nPgStep, 10);
  bool enabled = true, valid = true;
  std::pair<int, int> range;
  dialog->bStart = Blk([&, d = dialog.get()](Args&) {
    enabled = IsWindowEnabled(b->hWnd) != FALSE;  // its bWhen says no
    range = b->GetRange();
    valid = b->lValid();
    d->End();
    return Value();
  });
  dialog->Activate({.centered = true});
  EXPECT_FALSE(enabled);
  EXPECT_EQ(range, (std::pair{0, 100}));
  EXPECT_FALSE(valid);
  EXPECT_GE(valid_calls, 1);
}

}  // namespace
}  // namespace ui
