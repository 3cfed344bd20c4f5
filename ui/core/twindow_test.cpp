// TWindow's life: creation, linking and subclassing, painting, resizing, closing with its
// valid block, destruction and the object table.
#include "ui/core/twindow.h"

#include <gtest/gtest.h>

#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/mdi_helpers.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/slot_procs.h"
#include "ui/bridge/window_dispatch.h"
#include "ui/bridge/window_geometry.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/core/core_test_support.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class TWindowTest : public test::FrameworkTest {};

// Counts its own destruction, to see when the last reference went.
struct CountedWindow : TWindow {
  static int alive;
  CountedWindow() { ++alive; }
  ~CountedWindow() override { --alive; }
};
int CountedWindow::alive = 0;

COLORREF ClientPixel(HWND hwnd, int x, int y) {
  MemorySurface s(1, 1);
  WindowDC dc(hwnd);
  BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), x, y, SRCCOPY);
  return s.Pixel(0, 0);
}

TEST_F(TWindowTest, NewCreatesRegistersLinksAndSubclasses) {
  auto w = Make();
  ASSERT_NE(w->hWnd, nullptr);
  EXPECT_TRUE(IsWindow(w->hWnd));
  char cls[32] = {};
  GetClassNameA(w->hWnd, cls, sizeof cls);
  EXPECT_STREQ(cls, "TWINDOW");
  const int slot = w->Slot();
  ASSERT_GE(slot, 1);
  EXPECT_EQ(WindowInSlot(slot).get(), w.get());
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w->hWnd, GWLP_WNDPROC)), SlotProcedure(slot));
  EXPECT_EQ(w->nOldProc, reinterpret_cast<WNDPROC>(DefWindowProcA));
  EXPECT_EQ(OWndFromHwnd(w->hWnd).get(), w.get());
  EXPECT_EQ(GetWndDefault().get(), w.get());
  EXPECT_GE(NWindows(), slot);
  EXPECT_EQ(w->GetText(), "Prueba");
  EXPECT_TRUE(w->lVisible);
  EXPECT_TRUE(w->oBrush);
  EXPECT_TRUE(w->oFont);
}

TEST_F(TWindowTest, ComposedStyleFollowsBorderAndFlags) {
  struct Case {
    const char* name;
    std::string border;
    bool caption_bar;
    bool vscroll;
    DWORD must;
    DWORD must_not;
  };
  const Case cases[] = {
      {"single", "SINGLE", true, false,
       WS_CLIPCHILDREN | WS_THICKFRAME | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_POPUP},
      {"none: a popup without thick frame", "NONE", true, false, WS_POPUP | WS_CAPTION, WS_THICKFRAME},
      {"no caption bar: no system menu nor boxes", "SINGLE", false, false, WS_THICKFRAME,
       WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
      {"scroll bars", "SINGLE", true, true, WS_VSCROLL, WS_HSCROLL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWindow::NewParams p;
    p.border = c.border;
    p.caption_bar = c.caption_bar;
    p.vscroll = c.vscroll;
    auto w = Make(40, 40, 200, 120, p);
    EXPECT_EQ(w->nStyle & c.must, c.must);
    EXPECT_EQ(w->nStyle & c.must_not, 0u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w->hWnd, GWL_STYLE)) & c.must, c.must);
  }
}

// Made maximised, a window is still hidden with its maximised client, so what it holds can be
// placed for that size; shown maximised it keeps that client, and restored its normal place.
TEST_F(TWindowTest, AWindowMadeMaximisedHasItsFinalClientBeforeItShows) {
  TWindow::NewParams p;
  p.maximized = true;
  auto w = Make(40, 40, 200, 120, p);
  EXPECT_TRUE(IsZoomed(w->hWnd));
  EXPECT_FALSE(IsWindowVisible(w->hWnd));
  const Rect client = w->GetCliRect();
  EXPECT_GT(client.right, 200);
  ShowWindow(w->hWnd, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsWindowVisible(w->hWnd));
  EXPECT_EQ(w->GetCliRect(), client);
  ShowWindow(w->hWnd, SW_RESTORE);
  const Rect normal = w->GetRect();
  EXPECT_EQ(normal.right - normal.left, 200);
  EXPECT_EQ(normal.bottom - normal.top, 120);
}

TEST_F(TWindowTest, RowsAndColumnsBecomePixels) {
  auto w = xb::MakeRef<TWindow>();
  TWindow::NewParams p;  // top 2, left 2, bottom 20, right 70 in rows of 16 and columns of 8
  w->New(p);
  made_.push_back(w->hWnd);
  RECT r;
  GetWindowRect(w->hWnd, &r);
  EXPECT_EQ(r.left, 16);
  EXPECT_EQ(r.top, 32);
  EXPECT_EQ(r.right - r.left, 70 * 8 - 16 + 1);
  EXPECT_EQ(r.bottom - r.top, 20 * 16 - 32 + 1);
}

TEST_F(TWindowTest, TheDefaultPositionMarkerBecomesCwUseDefault) {
  TWindow::NewParams p;
  p.top = p.left = p.bottom = p.right = kDefaultPosition;
  p.pixel = true;
  auto w = xb::MakeRef<TWindow>();
  w->New(p);
  made_.push_back(w->hWnd);
  ASSERT_NE(w->hWnd, nullptr);
  RECT r;
  GetWindowRect(w->hWnd, &r);
  // Windows chose the place and size: nothing 32768 pixels wide or at 32768.
  EXPECT_LT(r.right - r.left, 10000);
  EXPECT_LT(r.left, 10000);
  EXPECT_GT(r.right - r.left, 0);
}

TEST_F(TWindowTest, AWindowThatCannotBeCreatedRaisesFrameworkErrorSix) {
  xb::testing::RecordingErrorBlock errors(Value::Logical(false));
  auto w = xb::MakeRef<TWindow>();
  w->cCaption = "Nada";
  w->Create("VDR_NO_SUCH_CLASS");
  EXPECT_EQ(w->hWnd, nullptr);
  EXPECT_EQ(w->Slot(), 0);
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->subsystem, "Vexilo");
  EXPECT_EQ(errors.error()->subCode, 6);
  EXPECT_EQ(errors.error()->severity, xb::ES_CATASTROPHIC);
  EXPECT_FALSE(errors.error()->canDefault);
  EXPECT_EQ(errors.error()->description, "Cannot create window or control");
  EXPECT_EQ(errors.error()->operation.rfind("\r\nClass: VDR_NO_SUCH_CLASS\r\nCaption: Nada\r\nSystem Error: ", 0), 0u)
      << errors.error()->operation;
}

TEST_F(TWindowTest, PaintRunsThePaintedBlockBetweenBeginAndEndPaint) {
  auto w = Make();
  HDC seen_dc = nullptr;
  size_t seen_ps = 0;
  int calls = 0;
  w->bPainted = Blk([&](Args& a) {
    ++calls;
    seen_dc = reinterpret_cast<HDC>(a.Int(1));
    seen_ps = a.Str(2).size();
    EXPECT_EQ(a.Obj(3).get(), w.get());
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r = {10, 10, 50, 40};
    FillRect(seen_dc, &r, red);
    DeleteObject(red);
    return Value();
  });
  ShowWindow(w->hWnd, SW_SHOWNOACTIVATE);
  InvalidateRect(w->hWnd, nullptr, TRUE);
  UpdateWindow(w->hWnd);
  EXPECT_GE(calls, 1);
  EXPECT_NE(seen_dc, nullptr);
  EXPECT_EQ(seen_ps, sizeof(PAINTSTRUCT));
  EXPECT_EQ(w->nPaintCount, 0);
  EXPECT_EQ(w->hDC, nullptr);
  EXPECT_EQ(ClientPixel(w->hWnd, 20, 20), RGB(255, 0, 0));
  w->Say(60, 10, "Organización de empresas", TWindow::SayStyle{RGB(0, 0, 128), std::nullopt, nullptr, true, false, std::nullopt});
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(w->hWnd, vdr::test::ScreenshotFolder() + "\\core_window.bmp"));
  // Painting validated the window: no second WM_PAINT waits.
  const int before = calls;
  vdr::test::PumpPending();
  EXPECT_EQ(calls, before);
}

TEST_F(TWindowTest, TheBackgroundIsErasedWithTheWindowsBrush) {
  TWindow::NewParams p;
  p.clr_pane = RGB(0, 128, 0);
  auto w = Make(40, 40, 200, 120, p);
  EXPECT_EQ(w->nClrPane, RGB(0, 128, 0));
  ShowWindow(w->hWnd, SW_SHOWNOACTIVATE);
  UpdateWindow(w->hWnd);
  EXPECT_EQ(ClientPixel(w->hWnd, 5, 5), RGB(0, 128, 0));
  // Another colour, another brush; the old one is ended.
  xb::Ref<TBrush> old = w->oBrush;
  w->SetColor(RGB(0, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(old->hBrush, nullptr);
  w->Refresh();
  UpdateWindow(w->hWnd);
  EXPECT_EQ(ClientPixel(w->hWnd, 5, 5), RGB(0, 0, 255));
}

TEST_F(TWindowTest, ResizeUpdatesTheCoordinatesDocksAndRunsItsBlocks) {
  auto w = Make(40, 40, 300, 200);
  auto client = xb::MakeRef<TWindow>();
  TWindow::NewParams cp;
  cp.parent = w;
  cp.style = WS_CHILD | WS_VISIBLE;
  cp.pixel = true;
  cp.top = 0;
  cp.left = 0;
  cp.bottom = 9;
  cp.right = 9;
  client->New(cp);
  w->oClient = client;
  std::vector<std::int64_t> resized;
  int on_resize = 0;
  w->bResized = Blk([&](Args& a) {
    resized = {a.Int(1), a.Int(2), a.Int(3)};
    return Value();
  });
  w->OnResize = Blk([&](Args&) {
    ++on_resize;
    return Value();
  });
  MoveWindow(w->hWnd, 60, 70, 400, 300, TRUE);
  const Rect area = w->GetCliRect();
  ASSERT_EQ(resized.size(), 3u);
  EXPECT_EQ(resized[0], SIZE_RESTORED);
  EXPECT_EQ(resized[1], area.right);
  EXPECT_EQ(resized[2], area.bottom);
  EXPECT_GE(on_resize, 1);
  EXPECT_EQ(w->nTop, 70);
  EXPECT_EQ(w->nLeft, 60);
  EXPECT_EQ(w->nRight, 60 + 400 - 1);
  EXPECT_EQ(w->nBottom, 70 + 300 - 1);
  EXPECT_EQ(w->nWidth(), 400);
  // The client covers the area and hides its edges one pixel beyond it (WNDADJCLIENT).
  const WindowBox box = WindowBoxOf(client->hWnd);
  EXPECT_EQ(box.left, -1);
  EXPECT_EQ(box.top, -1);
  EXPECT_EQ(box.width, area.right + 2);
  EXPECT_EQ(box.height, area.bottom + 3);
}

TEST_F(TWindowTest, EndAsksTheValidBlockBeforeClosing) {
  auto w = xb::MakeRef<CountedWindow>();
  {
    TWindow::NewParams p;
    p.pixel = true;
    p.top = 40;
    p.left = 40;
    p.bottom = 200;
    p.right = 300;
    w->New(p);
  }
  HWND hwnd = w->hWnd;
  const int slot = w->Slot();
  xb::Ref<TBrush> brush = w->oBrush;
  bool allow = false;
  int asked = 0;
  w->bValid = Blk([&](Args& a) {
    ++asked;
    EXPECT_EQ(a.Obj(1).get(), w.get());
    return Value::Logical(allow);
  });
  EXPECT_FALSE(w->End());
  vdr::test::PumpPending();
  EXPECT_TRUE(IsWindow(hwnd));
  // The close box asks the same question.
  EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
  vdr::test::PumpPending();
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(asked, 2);

  allow = true;
  EXPECT_TRUE(w->End());
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(hwnd); }, 2000));
  EXPECT_EQ(w->hWnd, nullptr);
  EXPECT_EQ(w->Slot(), 0);
  EXPECT_FALSE(WindowInSlot(slot));
  EXPECT_EQ(brush->hBrush, nullptr);  // ended with the window
  EXPECT_NE(GetWndDefault().get(), w.get());
  EXPECT_EQ(SlotWindow(slot), nullptr);
}

TEST_F(TWindowTest, AFreedSlotIsTakenByTheNextWindow) {
  auto a = Make();
  auto b = Make();
  const int slot_a = a->Slot();
  ASSERT_NE(slot_a, b->Slot());
  DestroyWindow(a->hWnd);
  EXPECT_FALSE(WindowInSlot(slot_a));
  auto c = Make();
  EXPECT_EQ(c->Slot(), slot_a);
  EXPECT_EQ(b->Slot(), WindowInSlot(b->Slot())->Slot());
}

TEST_F(TWindowTest, DestroyingTheApplicationWindowPostsQuitAndNoOtherDoes) {
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  auto other = Make();
  auto app = Make();
  {
    auto gone = Make();
    SetWndApp(gone->hWnd);
    DestroyWindow(gone->hWnd);  // was the application window: posts quit
    EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
  SetWndApp(app->hWnd);
  ASSERT_EQ(GetWndApp(), app->hWnd);
  DestroyWindow(other->hWnd);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  DestroyWindow(app->hWnd);
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(TWindowTest, AHandlerMayDestroyItsOwnWindow) {
  CountedWindow* raw = nullptr;
  HWND hwnd = nullptr;
  int slot = 0;
  int slot_inside = -1;
  std::string title_inside;
  {
    auto w = xb::MakeRef<CountedWindow>();
    TWindow::NewParams p;
    p.pixel = true;
    p.top = p.left = 40;
    p.bottom = p.right = 200;
    p.caption = "Se cierra sola";
    w->New(p);
    raw = w.get();
    hwnd = w->hWnd;
    slot = w->Slot();
    w->bLClicked = Blk([&](Args&) {
      DestroyWindow(hwnd);
      // Still the object, still in its slot until this handler returns.
      slot_inside = raw->Slot();
      title_inside = raw->cCaption;
      return Value::Integer(0);
    });
    SetWndDefault(nullptr);
  }
  // Only the table holds the object now.
  EXPECT_EQ(CountedWindow::alive, 1);
  EXPECT_EQ(SendMessageA(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5)), 0);
  EXPECT_EQ(slot_inside, slot);
  EXPECT_EQ(title_inside, "Se cierra sola");
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(WindowInSlot(slot));
  EXPECT_EQ(CountedWindow::alive, 0);  // released after the outermost handler
  EXPECT_EQ(SlotWindow(slot), nullptr);
}

TEST_F(TWindowTest, AWindowClosedWhileItsHandlerLetsMessagesRunLeavesAfterThatHandler) {
  auto w = Make();
  HWND hwnd = w->hWnd;
  const int slot = w->Slot();
  bool gone_inside = false;
  int slot_inside = 0;
  int valid_runs = 0;
  w->bValid = Blk([&](Args&) {
    ++valid_runs;
    return Value::Logical(true);
  });
  w->bLClicked = Blk([&](Args&) {
    w->End();      // posts WM_CLOSE
    SysRefresh();  // which destroys the window here, inside this handler
    gone_inside = !IsWindow(hwnd);
    slot_inside = w->Slot();
    return Value();
  });
  SendMessageA(hwnd, WM_LBUTTONDOWN, 0, 0);
  EXPECT_TRUE(gone_inside);
  EXPECT_EQ(slot_inside, slot);  // still linked while the outer handler ran
  EXPECT_EQ(w->Slot(), 0);
  EXPECT_FALSE(WindowInSlot(slot));
  EXPECT_EQ(valid_runs, 1);
}

TEST_F(TWindowTest, UnlinkingALiveWindowGivesItsProcedureBack) {
  auto w = Make();
  int clicks = 0;
  w->bLClicked = Blk([&](Args&) {
    ++clicks;
    return Value();
  });
  SendMessageA(w->hWnd, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(clicks, 1);
  const int slot = w->Slot();
  w->UnLink();
  EXPECT_EQ(w->Slot(), 0);
  EXPECT_FALSE(WindowInSlot(slot));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w->hWnd, GWLP_WNDPROC)),
            reinterpret_cast<WNDPROC>(DefWindowProcA));
  SendMessageA(w->hWnd, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(TWindowTest, ErrorsInHandlersGoToTheErrorBlock) {
  auto w = Make();
  xb::testing::RecordingErrorBlock errors(Value::Integer(0));
  w->bLClicked = Blk([](Args&) -> Value { throw std::runtime_error("falla el manejador"); });
  EXPECT_EQ(SendMessageA(w->hWnd, WM_LBUTTONDOWN, 0, 0), 0);  // nothing crossed the procedure
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->description, "falla el manejador");

  // An xBase error raised in a handler meets the error block where it is raised.
  w->bLClicked = Blk([](Args&) -> Value {
    return xb::RaiseBaseError(xb::EG_ZERODIV, 1340, "/");
  });
  SendMessageA(w->hWnd, WM_LBUTTONDOWN, 0, 0);
  ASSERT_EQ(errors.count, 2);
  EXPECT_EQ(errors.error()->subCode, 1340);
  EXPECT_TRUE(IsWindow(w->hWnd));
}

// Without an error block the error is shown in a box of its own; a run nobody watches is
// told instead and the handler's message still returns.
TEST_F(TWindowTest, AnErrorWithoutErrorBlockIsToldInARunNobodyWatches) {
  auto w = Make();
  xb::ErrorBlockScope none{Value()};
  std::vector<std::string> told;
  SetUnattended([&](std::string_view title, std::string_view text) {
    told.push_back(std::string(title) + "|" + std::string(text));
  });
  w->bLClicked = Blk([](Args&) -> Value { throw std::runtime_error("falla sin bloque"); });
  EXPECT_EQ(SendMessageA(w->hWnd, WM_LBUTTONDOWN, 0, 0), 0);
  SetUnattended({});
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(told[0].starts_with("Error|")) << told[0];
  EXPECT_NE(told[0].find("falla sin bloque"), std::string::npos) << told[0];
}

TEST_F(TWindowTest, ActivateOfTheFirstTopLevelWindowRunsTheLoopUntilItCloses) {
  auto first = Make();
  auto second = Make();
  TWindow* f = first.get();
  HWND first_hwnd = first->hWnd;
  int first_inits = 0;
  int second_inits = 0;
  bool loop_running_then = false;
  bool second_returned = false;
  second->bInit = Blk([&](Args&) {
    ++second_inits;
    return Value();
  });
  first->bInit = Blk([&](Args& a) {
    ++first_inits;
    EXPECT_EQ(a.Obj(1).get(), f);
    SetTimer(f->hWnd, 99, 10, nullptr);
    return Value();
  });
  xb::RegisterFunction("TIMEREVENT", [&](Args& a) {
    if (a.Int(1) != 99) return Value();
    KillTimer(f->hWnd, 99);
    loop_running_then = LWRunning();
    EXPECT_EQ(GetWndApp(), f->hWnd);
    second->Activate();  // a loop runs: this returns at once
    second_returned = true;
    f->End();
    return Value();
  });
  // Should the window never close, the test must still end.
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
  EXPECT_FALSE(LWRunning());
  first->Activate();  // returns when the window is gone
  KillTimer(nullptr, guard);
  xb::RegisterFunction("TIMEREVENT", [](Args&) { return Value(); });
  EXPECT_EQ(first_inits, 1);
  EXPECT_EQ(second_inits, 1);
  EXPECT_TRUE(loop_running_then);
  EXPECT_TRUE(second_returned);
  EXPECT_FALSE(IsWindow(first_hwnd));
  EXPECT_EQ(first->hWnd, nullptr);
  EXPECT_FALSE(LWRunning());
  EXPECT_FALSE(first->lVisible);
  EXPECT_TRUE(second->lVisible);
  EXPECT_TRUE(IsWindowVisible(second->hWnd));
}

TEST_F(TWindowTest, TheCycleCollectorFreesOrphanParentsAndControlsButNotLiveWindows) {
  auto live = xb::MakeRef<CountedWindow>();
  {
    TWindow::NewParams p;
    p.pixel = true;
    p.top = p.left = 10;
    p.bottom = p.right = 100;
    live->New(p);
    made_.push_back(live->hWnd);
  }
  SetWndDefault(nullptr);
  {
    auto parent = xb::MakeRef<CountedWindow>();
    auto child = xb::MakeRef<CountedWindow>();
    parent->aControls.push_back(child);
    child->oWnd = parent;
    child->bValid = Value(parent);  // through a Data member as well
  }
  EXPECT_EQ(CountedWindow::alive, 3);  // the orphan pair holds itself
  live = nullptr;                      // the table still holds the live window
  xb::CollectGarbage();
  EXPECT_EQ(CountedWindow::alive, 1);
  DestroyWindow(made_.back());
  EXPECT_EQ(CountedWindow::alive, 0);
}

}  // namespace
}  // namespace ui
