// The message bar: docking at the window's foot, the message and its default, the items on
// the right (keys, date, clock, own items), their clicks and their timer.
#include "ui/core/tmsgbar.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/macro.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/menu_wrappers.h"
#include "ui/bridge/resources.h"
#include "ui/core/core_test_support.h"
#include "ui/core/menu_builder.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class MsgBarTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  }
  static Rect InParent(const TWindow& w) { return GetCoors(w.hWnd); }
  static COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    MemorySurface s(1, 1);
    WindowDC dc(hwnd);
    BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), x, y, SRCCOPY);
    return s.Pixel(0, 0);
  }
};

TEST_F(MsgBarTest, TheBarDocksAtTheFootAndFollowsResizes) {
  auto w = Make(40, 40, 420, 260);
  TMsgBar::NewParams p;
  p.text = "VENDARO: generación de índices";
  auto bar = TMsgBar::New(*w, p);
  ASSERT_NE(bar->hWnd, nullptr);
  EXPECT_EQ(w->oMsgBar.get(), bar.get());
  EXPECT_EQ(bar->oWnd.get(), w.get());
  Rect client = w->GetCliRect();
  Rect r = InParent(*bar);
  EXPECT_EQ(r.left, -1);
  EXPECT_EQ(r.right, client.right + 1);
  EXPECT_EQ(r.bottom, client.bottom);
  EXPECT_EQ(r.bottom - r.top, TMsgBar::kHeight);
  EXPECT_EQ(bar->nClrPane, GetSysColor(COLOR_BTNFACE));
  ASSERT_TRUE(bar->oFont);
  EXPECT_EQ(bar->oFont->cFaceName, "Ms Sans Serif");

  MoveWindow(w->hWnd, 40, 40, 520, 330, TRUE);
  client = w->GetCliRect();
  r = InParent(*bar);
  EXPECT_EQ(r.right, client.right + 1);
  EXPECT_EQ(r.bottom, client.bottom);
  EXPECT_EQ(r.bottom - r.top, TMsgBar::kHeight);

  // Docked again where it already is, it keeps what it shows: nothing to paint again.
  ShowWindow(w->hWnd, SW_SHOWNA);
  UpdateWindow(w->hWnd);
  bar->Adjust();
  EXPECT_FALSE(GetUpdateRect(bar->hWnd, nullptr, FALSE));
  MoveWindow(w->hWnd, 40, 40, 480, 330, TRUE);
  EXPECT_TRUE(GetUpdateRect(bar->hWnd, nullptr, FALSE));  // narrower: its text centred again
  EXPECT_EQ(InParent(*bar).right, w->GetCliRect().right + 1);
}

TEST_F(MsgBarTest, MessagesShowAndFallBackToTheDefault) {
  auto w = Make(40, 40, 420, 200);
  TMsgBar::NewParams p;
  p.text = "Texto fijo";
  auto bar = TMsgBar::New(*w, p);
  EXPECT_EQ(bar->cMsg, "Texto fijo");
  w->SetMsg("(M)arcar y desmarcar empresa");
  EXPECT_EQ(bar->cMsg, "(M)arcar y desmarcar empresa");
  w->SetMsg("");
  EXPECT_EQ(bar->cMsg, "Texto fijo");
  w->SetMsg("Nuevo fijo", true);
  EXPECT_EQ(bar->cMsgDef, "Nuevo fijo");
  w->SetMsg("");
  EXPECT_EQ(bar->cMsg, "Nuevo fijo");

  // A control's text reaches its parent's bar.
  TWindow::NewParams child;
  child.parent = w;
  child.style = WS_CHILD | WS_VISIBLE;
  auto inner = Make(10, 10, 50, 20, child);
  inner->SetMsg("Desde un hijo");
  EXPECT_EQ(bar->cMsg, "Desde un hijo");
  // The pointer over a control with a message shows it; over the window, whose message is
  // empty, the default comes back.
  inner->cMsg = "(A)yuda del hijo";
  SendMessageA(inner->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(bar->cMsg, "(A)yuda del hijo");
  SendMessageA(w->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(200, 100));
  EXPECT_EQ(bar->cMsg, "Nuevo fijo");

  // A menu item under the pointer puts its message on the bar.
  auto menu = MenuBegin(false, false, w.get());
  TMenuItem::Spec spec;
  spec.prompt = "&Generar";
  spec.message = "(G)enerar índices";
  auto item = MenuAddItem(spec);
  MenuEnd();
  std::vector<Value> selected;
  w->bMenuSelect = Blk([&](Args& a) {
    selected.push_back(a.Arg(1));
    return Value();
  });
  SendMessageA(w->hWnd, WM_MENUSELECT, MAKEWPARAM(item->nId, MF_HILITE), reinterpret_cast<LPARAM>(menu->hMenu()));
  EXPECT_EQ(bar->cMsg, "(G)enerar índices");
  // The block receives the item itself; the menu closing, nothing.
  SendMessageA(w->hWnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  ASSERT_EQ(selected.size(), 2u);
  EXPECT_EQ(selected[0].AsObject().get(), item.get());
  EXPECT_TRUE(selected[1].IsNil());
}

TEST_F(MsgBarTest, ItemsLineUpFromTheRightInTheOrderAdded) {
  auto w = Make(40, 40, 520, 200);
  TMsgBar::NewParams p;
  p.text = "Empresas";
  p.keys = p.date = p.clock = true;
  auto bar = TMsgBar::New(*w, p);
  ASSERT_EQ(bar->aItem.size(), 5u);
  EXPECT_EQ(bar->aItem[0].get(), bar->oKeyNum.get());
  EXPECT_EQ(bar->aItem[1].get(), bar->oKeyCaps.get());
  EXPECT_EQ(bar->aItem[2].get(), bar->oKeyIns.get());
  EXPECT_EQ(bar->aItem[3].get(), bar->oDate.get());
  EXPECT_EQ(bar->aItem[4].get(), bar->oClock.get());
  for (size_t i = 1; i < bar->aItem.size(); ++i) {
    EXPECT_EQ(bar->aItem[i]->nLeft(), bar->aItem[i - 1]->nLeft() + bar->aItem[i - 1]->nWidth + 4) << i;
  }
  const int right = bar->GetCliRect().right;
  EXPECT_EQ(bar->oClock->nLeft() + bar->oClock->nWidth, right - 13 - 2);
  EXPECT_EQ(bar->ItemsLeft(), bar->oKeyNum->nLeft());
  EXPECT_EQ(bar->oClock->cMsg.size(), 8u);  // hh:mm:ss
  EXPECT_TRUE(bar->oTimer);
  EXPECT_TRUE(bar->oTimer->lActive);

  bar->DateOff();
  EXPECT_FALSE(bar->oDate);
  EXPECT_EQ(bar->aItem.size(), 4u);
  bar->KeybOff();
  EXPECT_EQ(bar->aItem.size(), 1u);
  EXPECT_EQ(bar->ItemAt(10, bar->oClock->nLeft() + 2), bar->oClock.get());
  EXPECT_EQ(bar->ItemAt(10, 5), nullptr);
}

TEST_F(MsgBarTest, TheCapsItemTogglesCapsLockAndFollowsItWithinATick) {
  auto w = Make(40, 40, 520, 200);
  ShowWindow(w->hWnd, SW_SHOW);
  TMsgBar::NewParams p;
  p.keys = true;
  auto bar = TMsgBar::New(*w, p);
  TMsgItem& caps = *bar->oKeyCaps;
  const bool before = (GetKeyState(VK_CAPITAL) & 1) != 0;
  EXPECT_EQ(caps.lActive, before);

  const Rect r = caps.GetRect();
  SendMessageA(bar->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 3, r.top + 3));
  EXPECT_EQ((GetKeyState(VK_CAPITAL) & 1) != 0, !before);
  EXPECT_EQ(caps.lActive, !before);

  // Toggled elsewhere: the next tick shows it.
  KeyToggle(VK_CAPITAL);
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return caps.lActive == before; }, 1000));
  // Its text colour shows the state: the disabled grey when off.
  UpdateWindow(bar->hWnd);
  caps.Paint();
  bool found_text = false;
  const COLORREF ink = caps.lActive ? caps.nClrText : caps.nClrDisabled;
  for (int x = r.left + 2; x < r.right - 2 && !found_text; ++x) {
    for (int y = r.top + 2; y < r.bottom - 2 && !found_text; ++y) found_text = ScreenPixel(bar->hWnd, x, y) == ink;
  }
  EXPECT_TRUE(found_text);
}

TEST_F(MsgBarTest, OwnItemsShowPicturesAndRunTheirAction) {
  auto w = Make(40, 40, 520, 200);
  ShowWindow(w->hWnd, SW_SHOW);
  TMsgBar::NewParams p;
  p.text = "Empresas";
  auto bar = TMsgBar::New(*w, p);
  int clicks = 0;
  TMsgItem::Spec spec;
  spec.picture1 = "BMPVERDE";
  spec.picture2 = "BMPROJO";
  spec.action = Blk([&](Args&) { ++clicks; return Value(); });
  spec.tooltip = "Estado";
  auto item = TMsgItem::New(*bar, spec);
  ASSERT_NE(item->hBitmap1, nullptr);
  EXPECT_EQ(item->nWidth, 16 + 7);
  EXPECT_EQ(bar->aItem.back().get(), item.get());
  const Rect r = item->GetRect();
  SendMessageA(bar->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 4, r.top + 4));
  EXPECT_EQ(clicks, 1);
  SendMessageA(bar->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 4, r.top + 4));
  EXPECT_EQ(std::string(bar->cToolTip.AsString()), "Estado");
  // Green in the middle when active, red when not.
  item->Paint();
  const int cx = r.left + 1 + 2 + 8;
  const int cy = r.top + (r.bottom - r.top) / 2;
  EXPECT_GT(GetGValue(ScreenPixel(bar->hWnd, cx, cy)), 120);
  item->lActive = false;
  item->Paint();
  EXPECT_GT(GetRValue(ScreenPixel(bar->hWnd, cx, cy)), 150);
}

TEST_F(MsgBarTest, TheTimerEndsWithTheBar) {
  auto w = Make();
  TMsgBar::NewParams p;
  p.clock = true;
  auto bar = TMsgBar::New(*w, p);
  const int timers = TTimer::Count();
  DestroyWindow(w->hWnd);
  EXPECT_EQ(TTimer::Count(), timers - 1);
  EXPECT_FALSE(bar->oTimer);
}

TEST_F(MsgBarTest, TextMakesABarWithItems) {
  auto w = Make(40, 40, 420, 200);
  const Value bar = xb::MacroBlock("{|o| TMsgBar():New( o, 'Fijo', .F., .T. ) }").Eval({w->Self()});
  ASSERT_TRUE(bar.IsObject());
  EXPECT_EQ(xb::MacroBlock("{|b| Len( b:aItem ) }").Eval({bar}).AsInt(), 1);
  xb::MacroBlock("{|b| TMsgItem():New( b, 'Uno', 50,,,, .T. ) }").Eval({bar});
  EXPECT_EQ(xb::MacroBlock("{|b| b:aItem[ 2 ]:cMsg }").Eval({bar}).AsString(), "Uno");
  xb::MacroBlock("{|b| b:SetMsg( 'Otro' ) }").Eval({bar});
  EXPECT_EQ(xb::MacroBlock("{|b| b:cMsg }").Eval({bar}).AsString(), "Otro");
  EXPECT_EQ(xb::MacroBlock("{|b| b:Height() }").Eval({bar}).AsInt(), 23);
}

TEST_F(MsgBarTest, Screenshot) {
  auto w = Make(40, 40, 560, 220);
  w->SetText("VENDARO: generación de índices");
  TMsgBar::NewParams p;
  p.text = "VENDARO  -  Organización de empresas";
  p.keys = p.date = p.clock = true;
  auto bar = TMsgBar::New(*w, p);
  ShowWindow(w->hWnd, SW_SHOW);
  UpdateWindow(w->hWnd);
  w->SetMsg("(G)enerar índices");
  vdr::test::PumpUntil([] { return false; }, 450);
  vdr::test::SaveWindowBitmap(w->hWnd, vdr::test::ScreenshotFolder() + "\\msgbar_window.bmp");
}

}  // namespace
}  // namespace ui
