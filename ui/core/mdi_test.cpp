// MDI frames, clients and children: the window pop-up that lists the children, numbering,
// tiling, cascading, icons, activation from the list and by keys typed through the system's
// input, menus that swap in and out, and closing all until one refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/mdi_helpers.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmdiclient.h"
#include "ui/core/tmdiframe.h"
#include "ui/core/tmenu.h"

namespace ui {
namespace {

using test::Blk;
using test::DuringMenu;
using test::OpenMenuWindow;
using test::PressKeys;
using vdr::test::WindowText;
using xb::Value;

class MdiTest : public test::FrameworkTest {
 protected:
  xb::Ref<TMdiFrame> Frame(xb::ObjectRef menu = nullptr, std::string caption = "Marco") {
    auto frame = xb::MakeRef<TMdiFrame>();
    TMdiFrame::NewParams p;
    p.top = 10;
    p.left = 10;
    p.bottom = 489;
    p.right = 649;
    p.pixel = true;
    p.caption = std::move(caption);
    p.menu = std::move(menu);
    frame->New(p);
    made_.push_back(frame->hWnd);
    ShowWindow(frame->hWnd, SW_SHOW);
    frame->ReSize(SIZE_RESTORED, 0, 0);
    SetForegroundWindow(frame->hWnd);
    vdr::test::PumpPending();
    return frame;
  }
  static xb::Ref<TMdiChild> Child(TMdiFrame& frame, std::optional<std::string> caption = {}) {
    TMdiClient::ChildParams p;
    p.top = 0;
    p.left = 0;
    p.bottom = 11;
    p.right = 35;
    p.caption = std::move(caption);
    auto child = frame.ChildNew(p);
    vdr::test::PumpPending();
    return child;
  }
  // A menu bar of `count` pop-ups, each with one item.
  static xb::Ref<TMenu> Bar(int count) {
    auto bar = TMenu::New(false);
    for (int i = 1; i <= count; ++i) {
      auto popup = TMenu::New(true);
      TMenuItem::Spec item;
      item.prompt = "Opción " + std::to_string(i);
      popup->Add(TMenuItem::New(item));
      TMenuItem::Spec entry;
      entry.prompt = "&Menú " + std::to_string(i);
      entry.action = Value(popup);
      bar->Add(TMenuItem::New(entry), true);
    }
    return bar;
  }
  static std::vector<std::string> Items(HMENU menu) {
    std::vector<std::string> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[128] = {};
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      items.emplace_back(text);
    }
    return items;
  }
  static bool Lists(HMENU popup, const std::string& title) {
    for (const std::string& item : Items(popup)) {
      if (item.find(title) != std::string::npos && item.front() == '&') return true;
    }
    return false;
  }
  static void Screenshot(HWND hwnd, const std::string& name) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    vdr::test::PumpPending();
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
  }
  static HWND Active(const TMdiFrame& frame) {
    return reinterpret_cast<HWND>(SendMessageA(frame.oWndClient->hWnd, WM_MDIGETACTIVE, 0, 0));
  }
  // Focus on the window, as a click would leave it, for keys typed next.
  static void FocusOn(HWND frame, HWND window) {
    SetForegroundWindow(frame);
    SetFocus(window);
    vdr::test::PumpPending();
  }
};

// ---- the window pop-up ---------------------------------------------------------------------

TEST_F(MdiTest, AFrameWithoutMenuListsItsNumberedChildrenInTheWindowPopup) {
  auto frame = Frame();
  ASSERT_NE(frame->hWnd, nullptr);
  EXPECT_EQ(TMdiFrame::Current().get(), frame.get());
  EXPECT_EQ(xb::CallFunction("GETWNDFRAME").AsObject().get(), frame.get());
  EXPECT_EQ(frame->nMenuInfo, 2);
  HMENU bar = GetMenu(frame->hWnd);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Items(bar), (std::vector<std::string>{"&Childs", "&Window", "&Help"}));
  auto* own_bar = dynamic_cast<TMenu*>(frame->oMenu.get());
  ASSERT_NE(own_bar, nullptr);
  std::vector<std::string> prompts;
  for (const auto& item : own_bar->aItems[0]->SubMenu()->aItems) prompts.push_back(item->cPrompt);
  EXPECT_EQ(prompts, (std::vector<std::string>{"New...", "", "E&xit"}));
  // The client is the frame's own, placed in its client area.
  EXPECT_EQ(FrameClient(frame->hWnd), frame->oWndClient->hWnd);
  EXPECT_EQ(GetDlgCtrlID(frame->oWndClient->hWnd), 1);

  auto one = Child(*frame);
  auto two = Child(*frame);
  EXPECT_EQ(WindowText(one->hWnd), "MDI Child 1");
  EXPECT_EQ(WindowText(two->hWnd), "MDI Child 2");
  char name[32] = {};
  GetClassNameA(one->hWnd, name, sizeof name);
  EXPECT_STREQ(name, "TMDICHILD");
  EXPECT_EQ(frame->oWndClient->aWnd.size(), 2u);
  EXPECT_EQ(frame->oWndActive.get(), two.get());
  EXPECT_EQ(frame->oWndClient->GetActive().get(), two.get());
  HMENU window_popup = GetSubMenu(bar, 1);
  EXPECT_TRUE(Lists(window_popup, "MDI Child 1"));
  EXPECT_TRUE(Lists(window_popup, "MDI Child 2"));
  EXPECT_FALSE(Lists(GetSubMenu(bar, 2), "MDI Child"));

  // "New..." makes the third.
  auto* childs = dynamic_cast<TMenu*>(frame->oMenu.get());
  ASSERT_NE(childs, nullptr);
  TMenu* first_popup = childs->aItems[0]->SubMenu();
  SendMessageA(frame->hWnd, WM_COMMAND, static_cast<WPARAM>(first_popup->aItems[0]->nId), 0);
  vdr::test::PumpPending();
  ASSERT_EQ(frame->oWndClient->aWnd.size(), 3u);
  EXPECT_EQ(WindowText(frame->oWndClient->aWnd[2]->hWnd), "MDI Child 3");
  Screenshot(frame->hWnd, "mdi_frame_default_menu");

  // The window pop-up as the user opens it (Alt+W).
  bool listed = false;
  DuringMenu during({[&] {
                       HWND open = OpenMenuWindow();
                       listed = open != nullptr;
                       Screenshot(frame->hWnd, "mdi_window_popup");
                       if (open != nullptr) Screenshot(open, "mdi_window_popup_menu");
                       EndMenu();
                     }},
                    300);
  PostMessageA(frame->hWnd, WM_SYSCOMMAND, SC_KEYMENU, 'w');
  vdr::test::PumpUntil([&] { return during.fired(); }, 3000);
  EXPECT_TRUE(listed);
}

TEST_F(MdiTest, TheChildrenGoToThePopupBeforeTheLastOfTheFramesMenu) {
  struct Case {
    int popups;
    int listing;  // 1-based
  };
  for (const Case& c : {Case{5, 4}, Case{1, 1}}) {
    SCOPED_TRACE(c.popups);
    auto frame = Frame(Bar(c.popups));
    EXPECT_EQ(frame->nMenuInfo, c.listing);
    auto child = Child(*frame, "Documento");
    HMENU bar = GetMenu(frame->hWnd);
    for (int i = 0; i < c.popups; ++i) {
      EXPECT_EQ(Lists(GetSubMenu(bar, i), "Documento"), i == c.listing - 1) << "pop-up " << i + 1;
    }
    if (c.popups == 5) Screenshot(frame->hWnd, "mdi_frame_five_popups");
    DestroyWindow(frame->hWnd);
  }
}

TEST_F(MdiTest, AChildWithoutBorderOrCaptionHasNoBoxes) {
  auto frame = Frame();
  auto child = xb::MakeRef<TMdiChild>();
  TMdiChild::NewParams p;
  p.top = 2;
  p.left = 2;
  p.bottom = 8;
  p.right = 30;
  p.border = "NONE";
  p.caption_bar = false;
  child->New(p);
  ASSERT_NE(child->hWnd, nullptr);
  const auto style = static_cast<DWORD>(GetWindowLongA(child->hWnd, GWL_STYLE));
  for (DWORD bit : {static_cast<DWORD>(WS_CAPTION), static_cast<DWORD>(WS_THICKFRAME), static_cast<DWORD>(WS_SYSMENU),
                    static_cast<DWORD>(WS_MINIMIZEBOX), static_cast<DWORD>(WS_MAXIMIZEBOX)}) {
    EXPECT_EQ(style & bit, 0u) << std::hex << bit;
  }
  EXPECT_NE(style & WS_CLIPCHILDREN, 0u);
  auto framed = Child(*frame);
  const auto framed_style = static_cast<DWORD>(GetWindowLongA(framed->hWnd, GWL_STYLE));
  EXPECT_EQ(framed_style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_NE(framed_style & WS_THICKFRAME, 0u);
  EXPECT_NE(framed_style & WS_MAXIMIZEBOX, 0u);
}

// ---- arranging and activating -----------------------------------------------------------

TEST_F(MdiTest, ChildrenTileCascadeIconizeAndAreSelectedFromTheList) {
  auto frame = Frame();
  auto one = Child(*frame, "Uno");
  auto two = Child(*frame, "Dos");
  auto three = Child(*frame, "Tres");
  auto rect = [](HWND h) {
    RECT r = {};
    GetWindowRect(h, &r);
    return r;
  };

  frame->Tile();
  vdr::test::PumpPending();
  Screenshot(frame->hWnd, "mdi_tiled");
  RECT client = {};
  GetClientRect(frame->oWndClient->hWnd, &client);
  int covered = 0;
  for (HWND h : {one->hWnd, two->hWnd, three->hWnd}) {
    const RECT r = rect(h);
    covered += (r.right - r.left) * (r.bottom - r.top);
    EXPECT_GT(r.bottom - r.top, client.bottom / 2) << "vertical tiling: side by side, full height";
  }
  EXPECT_GE(covered, client.right * client.bottom * 9 / 10);

  frame->Cascade();
  vdr::test::PumpPending();
  Screenshot(frame->hWnd, "mdi_cascaded");
  const RECT a = rect(one->hWnd), b = rect(two->hWnd), c = rect(three->hWnd);
  EXPECT_TRUE((a.left < b.left && b.left < c.left) || (c.left < b.left && b.left < a.left));
  EXPECT_NE(a.top, b.top);

  xb::Send(frame->Self(), "ICONIZEALL");
  vdr::test::PumpPending();
  for (const auto& child : {one, two, three}) EXPECT_TRUE(IsIconic(child->hWnd)) << WindowText(child->hWnd);
  frame->ArrangeIcons();
  Screenshot(frame->hWnd, "mdi_iconized");
  for (const auto& child : {one, two, three}) xb::Send(child->Self(), "RESTORE");
  vdr::test::PumpPending();
  EXPECT_FALSE(IsIconic(one->hWnd));

  frame->Select(1);
  EXPECT_EQ(Active(*frame), one->hWnd);
  EXPECT_EQ(frame->oWndClient->GetActive().get(), one.get());
  frame->Select(3);
  EXPECT_EQ(Active(*frame), three->hWnd);
  frame->Select(0);  // activates none: the active one stays
  frame->Select(4);
  EXPECT_EQ(Active(*frame), three->hWnd);

  // From the window pop-up: its first entry is the first child.
  SendMessageA(frame->hWnd, WM_COMMAND, 1, 0);
  EXPECT_EQ(Active(*frame), one->hWnd);
  EXPECT_EQ(frame->oWndActive.get(), one.get());

  xb::Send(two->Self(), "MAXIMIZE");
  EXPECT_TRUE(two->IsZoomed());
  Screenshot(frame->hWnd, "mdi_maximized");
  two->Restore();
  EXPECT_FALSE(two->IsZoomed());
}

TEST_F(MdiTest, KeysTypedInAChildAndInTheClientCloseActivateAndRestore) {
  auto frame = Frame();
  auto one = Child(*frame, "Uno");
  auto two = Child(*frame, "Dos");
  auto three = Child(*frame, "Tres");
  ASSERT_EQ(Active(*frame), three->hWnd);

  // Ctrl+F6: the next child.
  FocusOn(frame->hWnd, three->hWnd);
  PressKeys({VK_CONTROL, VK_F6});
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return Active(*frame) != three->hWnd; }, 3000));
  const HWND after_f6 = Active(*frame);
  EXPECT_TRUE(after_f6 == one->hWnd || after_f6 == two->hWnd);

  // Enter in the client: the active child comes back from its icon.
  frame->IconizeAll();
  vdr::test::PumpPending();
  const HWND iconic = Active(*frame);
  ASSERT_NE(iconic, nullptr);
  ASSERT_TRUE(IsIconic(iconic));
  FocusOn(frame->hWnd, frame->oWndClient->hWnd);
  ASSERT_EQ(GetFocus(), frame->oWndClient->hWnd) << WindowText(GetFocus());
  PressKeys({VK_RETURN});
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsIconic(iconic); }, 3000));
  for (const auto& child : {one, two, three}) child->Restore();
  vdr::test::PumpPending();

  // Escape in a child ends it.
  frame->Select(1);
  FocusOn(frame->hWnd, one->hWnd);
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(one->hWnd) && one->hWnd == nullptr; }, 3000));
  EXPECT_EQ(frame->oWndClient->aWnd.size(), 2u);

  // Ctrl+F4 closes the active child.
  frame->Select(1);  // now "Dos"
  ASSERT_EQ(Active(*frame), two->hWnd);
  FocusOn(frame->hWnd, two->hWnd);
  PressKeys({VK_CONTROL, VK_F4});
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return two->hWnd == nullptr; }, 3000));
  ASSERT_EQ(frame->oWndClient->aWnd.size(), 1u);
  EXPECT_EQ(frame->oWndClient->aWnd[0].get(), three.get());
  Screenshot(frame->hWnd, "mdi_after_keys");
}

// ---- menus of the children --------------------------------------------------------------

TEST_F(MdiTest, AChildsMenuIsOnTheBarWhileItIsActiveAndEndsWithIt) {
  auto frame = Frame();
  const HMENU start = GetMenu(frame->hWnd);
  auto own = Bar(2);
  const HMENU own_handle = own->hMenu();
  auto with_menu = xb::MakeRef<TMdiChild>();
  TMdiChild::NewParams p;
  p.top = 1;
  p.left = 1;
  p.bottom = 10;
  p.right = 30;
  p.caption = "Con menú";
  p.menu = own;
  p.menu_info = 2;
  with_menu->New(p);
  vdr::test::PumpPending();
  EXPECT_EQ(GetMenu(frame->hWnd), own_handle);
  EXPECT_TRUE(Lists(GetSubMenu(own_handle, 1), "Con menú"));
  Screenshot(frame->hWnd, "mdi_child_menu");

  auto plain = Child(*frame, "Sin menú");
  vdr::test::PumpPending();
  EXPECT_EQ(GetMenu(frame->hWnd), start) << "the start menu comes back";
  EXPECT_EQ(frame->oMenu.get(), frame->oMenuStart.get());
  // ... with the children still listed in its own window pop-up.
  EXPECT_TRUE(Lists(GetSubMenu(start, 1), "Sin menú"));
  EXPECT_TRUE(Lists(GetSubMenu(start, 1), "Con menú"));
  EXPECT_FALSE(Lists(GetSubMenu(start, 2), "Sin menú"));

  with_menu->SetFocus();
  vdr::test::PumpPending();
  EXPECT_EQ(GetMenu(frame->hWnd), own_handle);

  // Ending while its menu is on the bar: the start menu first, then its menu goes, once.
  EXPECT_TRUE(with_menu->End());
  vdr::test::PumpPending();
  EXPECT_EQ(GetMenu(frame->hWnd), start);
  EXPECT_FALSE(IsMenu(own_handle));
  EXPECT_EQ(own->hMenu(), nullptr);
  EXPECT_FALSE(with_menu->oMenu);
  Screenshot(frame->hWnd, "mdi_child_menu_ended");

  // A kept menu outlives its child.
  auto kept = Bar(1);
  auto keeper = xb::MakeRef<TMdiChild>();
  p.caption = "Guarda su menú";
  p.menu = kept;
  p.menu_info = 1;
  keeper->New(p);
  keeper->lKeepMenu = true;
  vdr::test::PumpPending();
  EXPECT_EQ(GetMenu(frame->hWnd), kept->hMenu());
  EXPECT_TRUE(keeper->End());
  vdr::test::PumpPending();
  EXPECT_TRUE(IsMenu(kept->hMenu()));
  EXPECT_NE(GetMenu(frame->hWnd), kept->hMenu());
  kept->End();
}

TEST_F(MdiTest, AFrameClosedWhileAChildsMenuIsOnItsBarEndsThatMenuOnce) {
  auto frame = Frame();
  auto own = Bar(2);
  const HMENU own_handle = own->hMenu();
  const HMENU start = GetMenu(frame->hWnd);
  auto child = xb::MakeRef<TMdiChild>();
  TMdiChild::NewParams p;
  p.caption = "Con menú";
  p.menu = own;
  child->New(p);
  vdr::test::PumpPending();
  ASSERT_EQ(GetMenu(frame->hWnd), own_handle);
  DestroyWindow(frame->hWnd);
  vdr::test::PumpPending();
  EXPECT_EQ(child->hWnd, nullptr);
  EXPECT_FALSE(IsMenu(own_handle));
  EXPECT_FALSE(IsMenu(start)) << "the start menu went with the frame's window";
  EXPECT_EQ(own->hMenu(), nullptr);
}

// ---- closing ------------------------------------------------------------------------------

TEST_F(MdiTest, ClosingAllStopsAtTheChildThatRefusesAndTheFrameStays) {
  auto frame = Frame();
  auto one = Child(*frame, "Uno");
  auto two = Child(*frame, "Dos");
  auto three = Child(*frame, "Tres");
  int asked = 0;
  two->bValid = Blk([&](xb::Args&) {
    ++asked;
    return Value::Logical(false);
  });
  EXPECT_FALSE(frame->End());
  vdr::test::PumpPending();
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(frame->oWndClient->aWnd.size(), 2u);
  EXPECT_EQ(frame->oWndClient->aWnd[0].get(), one.get());
  EXPECT_EQ(frame->oWndClient->aWnd[1].get(), two.get());
  EXPECT_EQ(three->hWnd, nullptr);
  EXPECT_TRUE(IsWindow(frame->hWnd));
  EXPECT_FALSE(xb::Send(frame->Self(), "CLOSEALL").AsLogical());

  two->bValid = Value();
  EXPECT_TRUE(frame->End());
  EXPECT_TRUE(frame->oWndClient->aWnd.empty());
  const HWND gone = frame->hWnd;
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(gone); }, 3000));
  EXPECT_FALSE(TMdiFrame::Current());
}

// The close box, Ctrl+F4 and a close sent from outside all reach WM_CLOSE: the child's bValid
// is asked first, as End asks it.
TEST_F(MdiTest, AChildAsksItsValidBlockWhenClosedByWindows) {
  auto frame = Frame();
  auto one = Child(*frame, "Uno");
  bool allow = false;
  int asked = 0;
  one->bValid = Blk([&](xb::Args&) {
    ++asked;
    return Value::Logical(allow);
  });
  SendMessageA(one->hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  vdr::test::PumpPending();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(IsWindow(one->hWnd));
  allow = true;
  SendMessageA(one->hWnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return one->hWnd == nullptr; }, 3000));
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(frame->oWndClient->aWnd.empty());
}

TEST_F(MdiTest, AChildClosedByWindowsLeavesTheList) {
  auto frame = Frame();
  auto one = Child(*frame, "Uno");
  auto two = Child(*frame, "Dos");
  SendMessageA(frame->oWndClient->hWnd, WM_MDIDESTROY, reinterpret_cast<WPARAM>(one->hWnd), 0);
  vdr::test::PumpPending();
  ASSERT_EQ(frame->oWndClient->aWnd.size(), 1u);
  EXPECT_EQ(frame->oWndClient->aWnd[0].get(), two.get());
  EXPECT_TRUE(frame->CloseAll());
}

// ---- run-time messages and requests --------------------------------------------------------

TEST_F(MdiTest, RunTimeTextReachesTheFrameAndEditRequestsNeedAnActiveChild) {
  auto frame = Frame();
  const Value f = frame->Self();
  EXPECT_TRUE(xb::Send(f, "COPY").IsNil()) << "no active child";
  EXPECT_TRUE(xb::Send(f, "OWNDACTIVE").IsNil());
  const Value child = xb::Send(f, "CHILDNEW", {Value::Integer(0), Value::Integer(0), Value::Integer(10),
                                               Value::Integer(30), Value::String("Texto")});
  ASSERT_TRUE(child.IsObject());
  vdr::test::PumpPending();
  EXPECT_EQ(xb::Send(f, "OWNDACTIVE").AsObject().get(), child.AsObject().get());
  EXPECT_TRUE(xb::Send(xb::Send(f, "OWNDCLIENT"), "AWND").AsArray().size() == 1);
  EXPECT_TRUE(xb::Send(child, "PASTE", {Value::String("x")}).IsNil()) << "no control";

  // With a control, the request goes through the child to it.
  auto control = xb::MakeRef<TWindow>();
  TWindow::NewParams cp;
  cp.top = 0;
  cp.left = 0;
  cp.bottom = 40;
  cp.right = 100;
  cp.pixel = true;
  cp.parent = WindowRef(dynamic_cast<TWindow*>(child.AsObject().get()));
  cp.style = WS_CHILD | WS_VISIBLE;
  control->New(cp);
  control->bCopy = Blk([](xb::Args&) { return Value::String("copiado"); });
  xb::Send(child, "SETCONTROL", {Value(control)});
  EXPECT_EQ(xb::Send(f, "COPY").AsString(), "copiado");

  for (const char* message : {"TILE", "CASCADE", "ARRANGEICONS", "NEXTWINDOW", "PREVWINDOW", "ICONIZEALL"}) {
    SCOPED_TRACE(message);
    xb::Send(f, message);
  }
  xb::Send(f, "SELECT", {Value::Integer(1)});
  xb::Send(child, "MAXIMIZE");
  EXPECT_TRUE(IsZoomed(frame->oWndClient->aWnd[0]->hWnd));
  xb::Send(child, "RESTORE");
  EXPECT_FALSE(IsZoomed(frame->oWndClient->aWnd[0]->hWnd));
  EXPECT_TRUE(xb::Send(child, "END").AsLogical());
  EXPECT_TRUE(xb::Send(f, "CLOSEALL").AsLogical());
}

// A printer object as the window image print uses it: only its device context.
struct SurfacePrinter : xb::Object {
  SurfacePrinter() : xb::Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = xb::Class::Define("TMDITESTPRINTER").Method("HDCOUT", [](xb::Object& o, xb::Args&) {
      return Value::Integer(reinterpret_cast<std::intptr_t>(static_cast<SurfacePrinter&>(o).dc));
    });
    return c;
  }
  HDC dc = nullptr;
};

TEST_F(MdiTest, PrintRunsTheBlockOrElsePrintsTheChildsImage) {
  auto frame = Frame();
  auto child = Child(*frame, std::string("Impresión"));
  MemorySurface page(800, 600);
  auto printer = xb::MakeRef<SurfacePrinter>();
  printer->dc = page.dc();
  auto marked = [&] {
    int n = 0;
    for (int y = 0; y < page.height(); y += 3) {
      for (int x = 0; x < page.width(); x += 3) n += page.Pixel(x, y) != RGB(1, 2, 3);
    }
    return n;
  };
  const Value args[] = {Value(printer), Value::Integer(10), Value::Integer(20), Value::Integer(1)};
  // With its own block: the block's answer, nothing printed.
  page.Clear(RGB(1, 2, 3));
  child->bPrint = Blk([](xb::Args&) { return Value::String("a mano"); });
  EXPECT_EQ(xb::Send(child->Self(), xb::Intern("PRINT"), args).AsString(), "a mano");
  EXPECT_EQ(marked(), 0);
  // Without block or control: the child's image on the page, from the position given.
  child->bPrint = Value();
  EXPECT_TRUE(xb::Send(child->Self(), xb::Intern("PRINT"), args).IsNil());
  EXPECT_GT(marked(), 100);
  EXPECT_EQ(page.Pixel(19, 9), RGB(1, 2, 3));
  EXPECT_NE(page.Pixel(20 + 30, 10 + 10), RGB(1, 2, 3));
}

TEST_F(MdiTest, TheDefaultMenusAboutShowsTheProgramFileAndDateUnderItsName) {
  auto frame = Frame();
  auto* bar = dynamic_cast<TMenu*>(frame->oMenu.get());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->aItems.size(), 3u);
  TMenu* help = bar->aItems[2]->SubMenu();
  ASSERT_NE(help, nullptr);
  TMenuItem* about = help->aItems.back().get();
  EXPECT_EQ(about->cPrompt, "&About...");
  vdr::test::DialogAnswerer answerer([](const vdr::test::SeenDialog& d) {
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  SendMessageA(frame->hWnd, WM_COMMAND, static_cast<WPARAM>(about->nId), 0);
  const auto& seen = answerer.seen();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().title, "Vexilo");
  EXPECT_NE(seen.front().AllText().find("core_tests.exe"), std::string::npos) << seen.front().AllText();
}

TEST_F(MdiTest, TheFrameHandsItsPaintedAndClickBlocksToTheClient) {
  auto frame = Frame();
  SetLoopRunning(true);  // no message loop of its own in a test
  TWindow::ActivateParams p;
  p.painted = Blk([](xb::Args&) { return Value(); });
  p.r_clicked = Blk([](xb::Args&) { return Value(); });
  frame->Activate(p);
  EXPECT_TRUE(frame->oWndClient->bPainted.IsBlock());
  EXPECT_TRUE(frame->oWndClient->bRClicked.IsBlock());
  EXPECT_TRUE(frame->bPainted.IsNil());
  EXPECT_TRUE(frame->bRClicked.IsNil());
}

// An icon as a window holds it: its handle, and whether the window ended it.
struct PlainIcon : xb::Object, WindowIcon {
  PlainIcon() : xb::Object(Cls()), handle(CopyIcon(LoadIconA(nullptr, IDI_INFORMATION))) {}
  ~PlainIcon() override { DestroyIcon(handle); }
  static const xb::Class& Cls() {
    static const xb::Class& c = xb::Class::Define("TMDITESTICON");
    return c;
  }
  HICON hIcon() const override { return handle; }
  void EndIcon() override { ++ended; }
  HICON handle;
  int ended = 0;
};

TEST_F(MdiTest, AFramesIconIsItsSmallAndBigIconAndEndsWithIt) {
  auto icon = xb::MakeRef<PlainIcon>();
  auto frame = xb::MakeRef<TMdiFrame>();
  TMdiFrame::NewParams p;
  p.pixel = true;
  p.top = 10;
  p.left = 10;
  p.bottom = 300;
  p.right = 400;
  p.icon = icon;
  frame->New(p);
  ASSERT_NE(frame->hWnd, nullptr);
  made_.push_back(frame->hWnd);
  for (WPARAM size : {ICON_SMALL, ICON_BIG}) {
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(frame->hWnd, WM_GETICON, size, 0)), icon->handle) << size;
  }
  EXPECT_EQ(frame->oIcon.get(), icon.get());
  DestroyWindow(frame->hWnd);
  EXPECT_EQ(icon->ended, 1);
}

}  // namespace
}  // namespace ui
