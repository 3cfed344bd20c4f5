// The button bar with its bitmap buttons, as the organisation window uses them: eight
// buttons 23 x 25 in a top bar, the last one starting a group, tool tips and messages on the
// message bar, When blocks, and the layout saved to its INI sections. Then the bitmap
// button's looks and mouse, and the maker's left bar.
#include "ui/core/tbar.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/macro.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/profile.h"
#include "ui/bridge/resources.h"
#include "ui/controls/btn_image_store.h"
#include "ui/controls/controls.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/core/core_test_support.h"
#include "ui/core/menu_builder.h"
#include "ui/core/tdialog.h"
#include "ui/core/tmsgbar.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

// The organisation window's eight actions: picture, tool tip, message.
struct Action {
  const char* picture;
  const char* tooltip;
  const char* message;
};
const Action kActions[] = {
    {"PBMPMAR1", "Marcar/Desmarcar", "(M)arcar y desmarcar empresa"},
    {"PBMPMGR1", "Todas", "(T)odas las empresas"},
    {"PBMPREM1", "Ninguna", "(N)inguna empresa"},
    {"PBMPSAV1", "Liberar", "(L)iberar empresa"},
    {"PBMPFIN1", "Buscar", "(B)uscar empresa"},
    {"GENERAR", "Generar", "(G)enerar índices"},
    {"PBMPFON1", "Fuentes", "(F)uente, seleccionar fuente de trabajo"},
    {"PBMPEND1", "Cerrar", "(S)alir y cerrar ventana"},
};

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  MemorySurface s(1, 1);
  WindowDC dc(hwnd);
  BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), x, y, SRCCOPY);
  return s.Pixel(0, 0);
}

bool IsGreenish(COLORREF c) { return GetGValue(c) > 100 && GetRValue(c) < 80 && GetBValue(c) < 80; }

class BarTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    InitControls();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
    BtnImageStore::Delete();
  }
  void TearDown() override {
    BtnImageStore::Delete();
    FrameworkTest::TearDown();
  }

  // The organisation window's bar: buttons 23 wide and 25 high, each running `run` with its
  // number; the last starts a group; all enabled while `enabled` holds.
  xb::Ref<TBar> OrganisationBar(TWindow& w, std::vector<int>* runs, const bool* enabled = nullptr) {
    TBar::NewParams p;
    p.btn_width = 23;
    p.btn_height = 25;
    auto bar = TBar::New(w, p);
    for (int i = 0; i < 8; ++i) {
      TBtnBmp::BarParams b;
      b.pictures.resource1 = kActions[i].picture;
      b.tooltip = kActions[i].tooltip;
      b.message = kActions[i].message;
      b.action = Blk([runs, i](Args&) {
        runs->push_back(i + 1);
        return Value();
      });
      b.action_text = "Accion" + std::to_string(i + 1) + "()";
      b.group = i == 7;
      if (enabled != nullptr) b.when = Blk([enabled](Args&) { return Value::Logical(*enabled); });
      TBtnBmp::NewBar(*bar, b);
    }
    return bar;
  }

  static TBtnBmp& Button(TBar& bar, int n) {
    return dynamic_cast<TBtnBmp&>(*bar.aControls[static_cast<size_t>(n) - 1]);
  }
  static void ClickAt(HWND hwnd, int x, int y) {
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
};

TEST_F(BarTest, TheOrganisationBarPlacesItsButtonsWithTheGroupGap) {
  auto w = Make(30, 30, 480, 300);
  std::vector<int> runs;
  auto bar = OrganisationBar(*w, &runs);
  ASSERT_NE(bar->hWnd, nullptr);
  EXPECT_EQ(w->oBar.get(), bar.get());
  EXPECT_EQ(bar->nMode, TBar::kTop);
  EXPECT_EQ(bar->nLineStyle, -1);
  EXPECT_EQ(bar->nClrPane, GetSysColor(COLOR_BTNFACE));
  const Rect client = w->GetCliRect();
  const Rect r = GetCoors(bar->hWnd);
  EXPECT_EQ(r.left, -1);
  EXPECT_EQ(r.top, -1);
  EXPECT_EQ(r.right, client.right + 1);
  EXPECT_EQ(r.bottom - r.top, 25);
  ASSERT_EQ(bar->aControls.size(), 8u);
  EXPECT_EQ(bar->nGroups, 1);
  for (int i = 1; i <= 8; ++i) {
    const Rect b = GetCoors(Button(*bar, i).hWnd);
    EXPECT_EQ(b.left, -1 + (i - 1) * 23 + (i == 8 ? 8 : 0)) << i;
    EXPECT_EQ(b.top, -1) << i;
    EXPECT_EQ(b.Width(), 24) << i;  // neighbours share their border line
    EXPECT_EQ(b.Height(), 26) << i;
    EXPECT_EQ(Button(*bar, i).lBuffer, true);
    EXPECT_EQ(Button(*bar, i).hBmpPal1, i) << "one store slot each";
    EXPECT_EQ(GetWindowLongA(Button(*bar, i).hWnd, GWL_STYLE) & WS_TABSTOP, 0) << "no tab stops in a bar";
  }
  // The next button's place comes after the last.
  EXPECT_EQ(bar->GetBtnLeft(false), -1 + 8 * 23 + 8);
  EXPECT_EQ(bar->GetBtnLeft(true), -1 + 8 * 23 + 16);

  // A resize keeps the bar across the top.
  MoveWindow(w->hWnd, 30, 30, 600, 320, TRUE);
  EXPECT_EQ(GetCoors(bar->hWnd).right, w->GetCliRect().right + 1);
}

TEST_F(BarTest, ButtonsRunTheirActionsOrBeepWhenNotAllowed) {
  auto w = Make(30, 30, 480, 300);
  ShowWindow(w->hWnd, SW_SHOW);
  std::vector<int> runs;
  bool enabled = true;
  auto bar = OrganisationBar(*w, &runs, &enabled);
  ClickAt(Button(*bar, 1).hWnd, 10, 10);
  ClickAt(Button(*bar, 6).hWnd, 10, 10);
  EXPECT_EQ(runs, (std::vector<int>{1, 6}));
  // Released outside the button: nothing runs.
  SendMessageA(Button(*bar, 2).hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageA(Button(*bar, 2).hWnd, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-5), 10));
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_FALSE(Button(*bar, 2).lPressed);
  // Enter or space on a button clicks it.
  SendMessageA(Button(*bar, 3).hWnd, WM_CHAR, VK_RETURN, 0);
  EXPECT_EQ(runs.back(), 3);

  enabled = false;
  ClickAt(Button(*bar, 4).hWnd, 10, 10);
  EXPECT_EQ(runs.size(), 3u) << "a button whose When is false only beeps";
  // After an action the bar's buttons follow their When blocks.
  bar->AEvalWhen();
  EXPECT_FALSE(IsWindowEnabled(Button(*bar, 5).hWnd));
  enabled = true;
  bar->AEvalWhen();
  EXPECT_TRUE(IsWindowEnabled(Button(*bar, 5).hWnd));

  // An action that clicks its own button again does not run twice.
  int depth = 0;
  TBtnBmp& first = Button(*bar, 1);
  first.bAction = Blk([&](Args& a) {
    ++depth;
    xb::Send(a.Arg(1), "CLICK");
    return Value();
  });
  first.Click();
  EXPECT_EQ(depth, 1);
}

TEST_F(BarTest, TheMouseOverAButtonShowsItsMessageAndToolTip) {
  auto w = Make(30, 30, 480, 300);
  ShowWindow(w->hWnd, SW_SHOW);
  SetForegroundWindow(w->hWnd);
  TMsgBar::NewParams mp;
  mp.text = "VENDARO: generación de índices";
  auto msg = TMsgBar::New(*w, mp);
  std::vector<int> runs;
  auto bar = OrganisationBar(*w, &runs);
  TBtnBmp& buscar = Button(*bar, 5);
  SendMessageA(buscar.hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(8, 8));
  EXPECT_EQ(msg->cMsg, "(B)uscar empresa");

  const int delay = TWindow::nToolTip;
  TWindow::nToolTip = 50;
  POINT at = {8, 8};
  ClientToScreen(buscar.hWnd, &at);
  SetCursorPos(at.x, at.y);
  SendMessageA(buscar.hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(8, 8));
  HWND tip = nullptr;
  vdr::test::PumpUntil([&] {
    for (const WindowRef& each : GetAllWin()) {
      if (each && each->nClrPane == 14811135 && IsWindowVisible(each->hWnd)) tip = each->hWnd;
    }
    return tip != nullptr;
  }, 2000);
  TWindow::nToolTip = delay;
  ASSERT_NE(tip, nullptr) << "the tool tip shows";
  RECT r;
  GetWindowRect(tip, &r);
  EXPECT_GT(r.top, at.y);  // below the button
  buscar.DestroyToolTip();
}

TEST_F(BarTest, TheLayoutIsSavedToItsIniSections) {
  auto w = Make(30, 30, 480, 300);
  std::vector<int> runs;
  auto bar = OrganisationBar(*w, &runs);
  Button(*bar, 2).lPressed = true;
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string file = std::string(temp) + "vdr_bar_" + std::to_string(GetCurrentProcessId()) + ".ini";
  WritePProString("ButtonBar.Principal", "Button9", "de antes", file);
  bar->SaveIni("Principal", file);
  EXPECT_EQ(GetPvProfString("ButtonBar", "1", "", file), "Principal,1");
  const std::vector<std::string> entries = GetPvProfEntries("ButtonBar.Principal", file);
  ASSERT_EQ(entries.size(), 8u) << "the section is cleared first";
  EXPECT_EQ(GetPvProfString("ButtonBar.Principal", "Button1", "", file),
            "PBMPMAR1,,,,(M)arcar y desmarcar empresa,Accion1(),F,F,Marcar/Desmarcar,F");
  EXPECT_EQ(GetPvProfString("ButtonBar.Principal", "Button2", "", file),
            "PBMPMGR1,,,,(T)odas las empresas,Accion2(),F,F,Todas,T");
  EXPECT_EQ(GetPvProfString("ButtonBar.Principal", "Button8", "", file),
            "PBMPEND1,,,,(S)alir y cerrar ventana,Accion8(),T,F,Cerrar,F");
  DeleteFileA(file.c_str());
}

TEST_F(BarTest, GroupsAndButtonsComeAndGo) {
  auto w = Make(30, 30, 480, 300);
  std::vector<int> runs;
  auto bar = OrganisationBar(*w, &runs);
  bar->AddGroup(3);
  EXPECT_EQ(bar->nGroups, 2);
  EXPECT_EQ(GetCoors(Button(*bar, 3).hWnd).left, -1 + 2 * 23 + 8);
  EXPECT_EQ(GetCoors(Button(*bar, 8).hWnd).left, -1 + 7 * 23 + 16);
  bar->DelGroup(3);
  EXPECT_EQ(bar->nGroups, 1);
  EXPECT_EQ(GetCoors(Button(*bar, 3).hWnd).left, -1 + 2 * 23);
  HWND second = Button(*bar, 2).hWnd;
  bar->Del(2);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(bar->aControls.size(), 7u);
  EXPECT_EQ(GetCoors(Button(*bar, 2).hWnd).left, -1 + 23);
  // A new button at a place of its own.
  TBtnBmp::BarParams b;
  b.pictures.resource1 = "PBMPMGR1";
  b.position = 2;
  auto again = TBtnBmp::NewBar(*bar, b);
  EXPECT_EQ(bar->aControls[1].get(), again.get());
  EXPECT_EQ(GetCoors(again->hWnd).left, -1 + 23);
}

TEST_F(BarTest, ToggleAndFlatButtons) {
  auto w = Make(30, 30, 480, 300);
  ShowWindow(w->hWnd, SW_SHOW);
  TBar::NewParams p;
  auto bar = TBar::New(*w, p);
  TBtnBmp::BarParams toggle;
  toggle.pictures.resource1 = "PBMPMAR1";
  toggle.action = Blk([](Args& a) {
    xb::Send(a.Arg(1), "TOGGLE");
    return Value();
  });
  auto t = TBtnBmp::NewBar(*bar, toggle);
  ClickAt(t->hWnd, 5, 5);
  EXPECT_TRUE(t->lBtnDown);
  EXPECT_TRUE(t->lPressed) << "a toggle that is down stays pressed";
  ClickAt(t->hWnd, 5, 5);
  EXPECT_FALSE(t->lPressed);

  TBtnBmp::BarParams flat;
  flat.pictures.resource1 = "PBMPFIN1";
  flat.border = false;
  auto f = TBtnBmp::NewBar(*bar, flat);
  EXPECT_TRUE(f->l97Look);
  EXPECT_FALSE(f->lBorder);
  EXPECT_EQ(GetWindowLongA(f->hWnd, GWL_STYLE) & WS_BORDER, 0);
  SendMessageA(f->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(f->lBorder) << "the frame shows while the mouse is over it";
  EXPECT_EQ(GetCapture(), f->hWnd);
  SendMessageA(f->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-3), 5));
  EXPECT_FALSE(f->lBorder);
  EXPECT_NE(GetCapture(), f->hWnd);
}

TEST_F(BarTest, ButtonFacesShowThePictureEmbossedWhenDisabled) {
  auto w = Make(30, 30, 300, 200);
  ShowWindow(w->hWnd, SW_SHOW);
  TBar::NewParams p;
  p.btn_width = 23;
  p.btn_height = 25;
  auto bar = TBar::New(*w, p);
  TBtnBmp::BarParams b;
  b.pictures.resource1 = "PBMPMAR1";  // a check box with a green tick
  auto button = TBtnBmp::NewBar(*bar, b);
  UpdateWindow(button->hWnd);
  button->Paint();
  auto green_pixels = [&] {
    int n = 0;
    for (int x = 0; x < 22; ++x) {
      for (int y = 0; y < 24; ++y) n += IsGreenish(ScreenPixel(button->hWnd, x, y)) ? 1 : 0;
    }
    return n;
  };
  EXPECT_GT(green_pixels(), 10);
  // The raised frame: highlight on the left edge.
  EXPECT_EQ(ScreenPixel(button->hWnd, 0, 10), GetSysColor(COLOR_BTNHIGHLIGHT));
  EnableWindow(button->hWnd, FALSE);
  button->Paint();
  EXPECT_EQ(green_pixels(), 0) << "disabled: embossed, no colour";
  EnableWindow(button->hWnd, TRUE);
  button->lPressed = true;
  button->Paint();
  EXPECT_GT(green_pixels(), 10);
}

TEST_F(BarTest, TheSystemLookPutsThePictureLeftAndTheCaptionRight) {
  auto w = Make(30, 30, 300, 200);
  ShowWindow(w->hWnd, SW_SHOW);
  TBtnBmp::NewParams p;
  p.top = 10;
  p.left = 10;
  p.width = 120;
  p.height = 30;
  p.parent = w;
  p.pictures.resource1 = "GENERAR";
  p.caption = "Generar índices de todas las empresas";
  p.line_style = 0;
  auto button = TBtnBmp::New(p);
  EXPECT_EQ(button->AdjText("Generar"), "Generar");
  const std::string cut = button->AdjText(p.caption);
  EXPECT_LT(cut.size(), p.caption.size());
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_NE(GetWindowLongA(button->hWnd, GWL_STYLE) & WS_TABSTOP, 0);
  EXPECT_EQ(button->nDlgCode.value_or(0), DLGC_WANTALLKEYS);
  UpdateWindow(button->hWnd);
  vdr::test::SaveWindowBitmap(w->hWnd, vdr::test::ScreenshotFolder() + "\\btnbmp_system_look.bmp");
  // The gear is in the square on the left (its blue), not right of column 28.
  int blue_left = 0, blue_right = 0;
  for (int x = 0; x < 118; ++x) {
    for (int y = 0; y < 28; ++y) {
      const COLORREF c = ScreenPixel(button->hWnd, x, y);
      if (GetBValue(c) > 120 && GetRValue(c) < 100) (x < 28 ? blue_left : blue_right)++;
    }
  }
  EXPECT_GT(blue_left, 20);
  EXPECT_EQ(blue_right, 0);
}

TEST_F(BarTest, ADropDownMenuOpensFromTheArrowArea) {
  auto w = Make(30, 30, 300, 200);
  ShowWindow(w->hWnd, SW_SHOW);
  SetForegroundWindow(w->hWnd);
  TBar::NewParams p;
  p.btn_width = 40;
  auto bar = TBar::New(*w, p);
  int chosen = 0, clicked = 0;
  auto menu = MenuBegin(true);
  TMenuItem::Spec item;
  item.prompt = "&Informe";
  item.action = Blk([&](Args&) { ++chosen; return Value(); });
  MenuAddItem(item);
  MenuEnd();
  TBtnBmp::BarParams b;
  b.pictures.resource1 = "PBMPFIN1";
  b.popup = menu;
  b.action = Blk([&](Args&) { ++clicked; return Value(); });
  auto button = TBtnBmp::NewBar(*bar, b);
  // A timer presses Enter in the menu once it is open.
  static HWND opened = nullptr;
  opened = nullptr;
  const UINT_PTR timer = SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    opened = FindWindowA("#32768", nullptr);
    if (opened != nullptr) {
      PostMessageA(opened, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageA(opened, WM_KEYDOWN, VK_RETURN, 0);
    }
  });
  const int width = button->GetCliRect().right;
  ClickAt(button->hWnd, width - 5, 8);
  KillTimer(nullptr, timer);
  EXPECT_NE(opened, nullptr);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(clicked, 0);
  ClickAt(button->hWnd, 5, 8);  // left of the arrow: an ordinary click
  EXPECT_EQ(clicked, 1);
}

TEST_F(BarTest, AMakersLeftBarEndsAtTheMessageBarAndScrolls) {
  auto w = Make(30, 30, 420, 330);
  ShowWindow(w->hWnd, SW_SHOW);
  TMsgBar::NewParams mp;
  mp.text = "Mantenimiento";
  auto msg = TMsgBar::New(*w, mp);
  TBar::NewParams p;
  p.position = "LEFT";
  auto bar = TBar::New(*w, p);
  EXPECT_EQ(bar->nMode, TBar::kLeft);
  EXPECT_EQ(bar->nLineStyle, 0);
  EXPECT_EQ(bar->nClrPane, TBar::kMakerPane);
  ASSERT_NE(bar->hBmpHeader, nullptr) << "header picture 24004 in VDRE.DLL";
  const Rect r = GetCoors(bar->hWnd);
  EXPECT_EQ(r.right - r.left, NBmpWidth(bar->hBmpHeader));
  const Rect m = GetCoors(msg->hWnd);
  EXPECT_EQ(r.bottom, m.top + 1) << "the bar ends where the message bar begins";
  for (int i = 0; i < 8; ++i) {
    TBtnBmp::BarParams b;
    b.pictures.resource1 = kActions[i].picture;
    b.tooltip = kActions[i].tooltip;
    b.message = kActions[i].message;
    TBtnBmp::NewBar(*bar, b);
  }
  EXPECT_EQ(bar->nBtnWidth, NBmpWidth(bar->hBmpHeader) - 5);
  // Eight buttons of 28 do not fit under the header: the last are hidden, an arrow shows.
  EXPECT_TRUE(bar->lTop);
  EXPECT_FALSE(bar->lBottom);
  EXPECT_FALSE(IsWindowVisible(Button(*bar, 8).hWnd));
  EXPECT_TRUE(IsWindowVisible(Button(*bar, 1).hWnd));
  UpdateWindow(w->hWnd);
  vdr::test::SaveWindowBitmap(w->hWnd, vdr::test::ScreenshotFolder() + "\\bar_left_makers_look.bmp");
  const int top_before = GetCoors(Button(*bar, 1).hWnd).top;
  SendMessageA(bar->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, bar->nT2 + 3));
  EXPECT_LT(GetCoors(Button(*bar, 1).hWnd).top, top_before);
  EXPECT_FALSE(bar->lTop);
  SendMessageA(bar->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, bar->nT1 + 3));
  EXPECT_EQ(GetCoors(Button(*bar, 1).hWnd).top, top_before);
}

TEST_F(BarTest, TheOrganisationWindowWithBarMessageBarAndMenu) {
  auto w = Make(20, 20, 640, 400);
  w->SetText("VENDARO: generación de índices");
  std::vector<int> runs;
  MenuBegin(false, false, w.get());
  const char* prompts[] = {"&Marcar", "&Todas", "&Ninguna", "&Liberar", "&Buscar", "&Generar", "&Fuentes", "&Salir"};
  for (int i = 0; i < 8; ++i) {
    TMenuItem::Spec s;
    s.prompt = prompts[i];
    s.message = kActions[i].message;
    s.action = Blk([&runs, i](Args&) {
      runs.push_back(100 + i + 1);
      return Value();
    });
    MenuAddItem(s);
  }
  MenuEnd();
  TMsgBar::NewParams mp;
  mp.text = "VENDARO  -  Organización de empresas";
  auto msg = TMsgBar::New(*w, mp);
  auto bar = OrganisationBar(*w, &runs);
  // A client area below the bar and above the message bar (the company browse's place).
  HWND list = CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 24, 100, 100, w->hWnd, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  for (const char* line : {"01  Ferretería Ombrisa S.L.", "02  Vendaro Distribuciones", "03  Almacenes del Norte"}) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  const Rect c = w->GetCliRect();
  MoveWindow(list, 0, 24, c.right, c.bottom - 24 - 22, TRUE);
  ShowWindow(w->hWnd, SW_SHOW);
  UpdateWindow(w->hWnd);
  SendMessageA(Button(*bar, 6).hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(msg->cMsg, "(G)enerar índices");
  vdr::test::PumpPending();
  vdr::test::SaveWindowBitmap(w->hWnd, vdr::test::ScreenshotFolder() + "\\organisation_bars.bmp");
  ClickAt(Button(*bar, 8).hWnd, 5, 5);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(dynamic_cast<TMenu*>(w->oMenu.get())->aItems[7]->nId, 0), 0);
  EXPECT_EQ(runs, (std::vector<int>{8, 108}));
}

TEST_F(BarTest, PictureButtonsOfADialogResourceWithStoreSlotsOrOwnBitmaps) {
  auto d = xb::MakeRef<TDialog>();
  TDialog::NewParams dp;
  dp.resource = Value::String("BOTONES");
  d->New(dp);
  int marked = 0, searched = 0;
  TBtnBmp::RedefineParams a;
  a.pictures.resource1 = "PBMPMAR1";
  a.action = Blk([&](Args&) { ++marked; return Value(); });
  auto buffered = TBtnBmp::ReDefine(110, d, a);
  TBtnBmp::RedefineParams b;
  b.pictures.resource1 = "PBMPFIN1";
  b.caption = "Buscar";
  b.action = Blk([&](Args&) { ++searched; return Value(); });
  auto direct = TBtnBmp::ReDefine(40111, d, b);  // above 40000: plain bitmaps of its own
  EXPECT_EQ(direct->nId, 111);
  EXPECT_TRUE(buffered->lBuffer);
  EXPECT_FALSE(direct->lBuffer);
  EXPECT_NE(direct->hBmpPal1, 0);
  COLORREF corner = CLR_INVALID;
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    EXPECT_NE(buffered->hWnd, nullptr);
    EXPECT_NE(direct->hWnd, nullptr);
    ShowWindow(d->hWnd, SW_SHOW);
    UpdateWindow(d->hWnd);
    direct->Paint();
    // The picture's ground takes the dialog's colour: the painter's transparent colour.
    corner = ScreenPixel(direct->hWnd, 4, 4);
    vdr::test::SaveWindowBitmap(d->hWnd, vdr::test::ScreenshotFolder() + "\\btnbmp_dialog.bmp");
    ClickAt(buffered->hWnd, 5, 5);
    ClickAt(direct->hWnd, 5, 5);
    PostMessageA(d->hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(marked, 1);
  EXPECT_EQ(searched, 1);
  EXPECT_EQ(corner, d->nClrPane);
  EXPECT_EQ(direct->hBmpPal1, 0) << "its own bitmaps were freed with it";
}

TEST_F(BarTest, TheBarMovesToAnotherEdgeFloatsAndDocksAgain) {
  auto w = Make(30, 30, 480, 300);
  ShowWindow(w->hWnd, SW_SHOW);
  SetForegroundWindow(w->hWnd);
  std::vector<int> runs;
  auto bar = OrganisationBar(*w, &runs);
  // Without its own right-click block the bar offers the edges in a pop-up menu.
  bar->bRClicked = Value();
  static HWND opened = nullptr;
  opened = nullptr;
  const UINT_PTR timer = SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    opened = FindWindowA("#32768", nullptr);
    if (opened != nullptr) {
      PostMessageA(opened, WM_KEYDOWN, VK_DOWN, 0);  // "&Left", the first offered
      PostMessageA(opened, WM_KEYDOWN, VK_RETURN, 0);
    }
  });
  SendMessageA(bar->hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 5));
  KillTimer(nullptr, timer);
  EXPECT_NE(opened, nullptr);
  EXPECT_EQ(bar->nMode, TBar::kLeft);
  Rect r = GetCoors(bar->hWnd);
  EXPECT_EQ(r.left, -1);
  EXPECT_GT(r.Height(), r.Width());
  EXPECT_EQ(GetCoors(Button(*bar, 2).hWnd).top, GetCoors(Button(*bar, 1).hWnd).top + 26);

  bar->GoDown();
  EXPECT_EQ(bar->nMode, TBar::kBottom);
  r = GetCoors(bar->hWnd);
  EXPECT_EQ(r.bottom, w->GetCliRect().bottom);

  bar->Float();
  EXPECT_EQ(bar->nMode, TBar::kFloat);
  HWND tool = GetParent(bar->hWnd);
  EXPECT_NE(tool, w->hWnd);
  EXPECT_TRUE(IsWindowVisible(tool));
  // Two columns.
  EXPECT_EQ(GetCoors(Button(*bar, 2).hWnd).top, GetCoors(Button(*bar, 1).hWnd).top);
  EXPECT_EQ(GetCoors(Button(*bar, 3).hWnd).left, GetCoors(Button(*bar, 1).hWnd).left);
  ClickAt(Button(*bar, 3).hWnd, 5, 5);
  EXPECT_EQ(runs, std::vector<int>{3});
  bar->GoTop();
  EXPECT_EQ(GetParent(bar->hWnd), w->hWnd);
  EXPECT_FALSE(IsWindow(tool));
  EXPECT_EQ(bar->nMode, TBar::kTop);
  EXPECT_EQ(GetCoors(bar->hWnd).right, w->GetCliRect().right + 1);
}

TEST_F(BarTest, ABarAtAPlaceStaysThere) {
  auto w = Make(30, 30, 480, 300);
  TBar::NewParams p;
  p.btn_width = 23;
  p.btn_height = 25;
  auto bar = TBar::NewAt(*w, Rect{40, 20, 40 + 26, 20 + 200}, p);
  TBtnBmp::BarParams b;
  b.pictures.resource1 = "PBMPMAR1";
  TBtnBmp::NewBar(*bar, b);
  const Rect placed = GetCoors(bar->hWnd);
  EXPECT_EQ(placed.left, 20);
  EXPECT_EQ(placed.top, 40);
  EXPECT_EQ(placed.Width(), 201);
  MoveWindow(w->hWnd, 30, 30, 600, 350, TRUE);
  EXPECT_EQ(GetCoors(bar->hWnd), placed);
}

TEST_F(BarTest, TextBuildsABarWithButtons) {
  auto w = Make(30, 30, 480, 300);
  const Value bar = xb::MacroBlock("{|o| TBar():New( o, 23, 25 ) }").Eval({w->Self()});
  ASSERT_TRUE(bar.IsObject());
  xb::MacroBlock(
      "{|b| TBtnBmp():NewBar( 'PBMPMAR1',,,, '(M)arcar', {|| Nil }, .F., b,,, 'Marcar/Desmarcar' ),"
      "     TBtnBmp():NewBar( 'PBMPEND1',,,, '(S)alir', {|| Nil }, .T., b,,, 'Cerrar' ) }")
      .Eval({bar});
  EXPECT_EQ(xb::MacroBlock("{|b| Len( b:aControls ) }").Eval({bar}).AsInt(), 2);
  EXPECT_EQ(xb::MacroBlock("{|b| b:aControls[ 2 ]:lGroup }").Eval({bar}).AsLogical(), true);
  EXPECT_EQ(xb::MacroBlock("{|b| b:aControls[ 1 ]:cToolTip }").Eval({bar}).AsString(), "Marcar/Desmarcar");
  EXPECT_EQ(xb::MacroBlock("{|b| b:nGroups }").Eval({bar}).AsInt(), 1);
  EXPECT_EQ(xb::MacroBlock("{|b| b:GetBtnLeft( .F. ) }").Eval({bar}).AsInt(), -1 + 2 * 23 + 8);
}

}  // namespace
}  // namespace ui
