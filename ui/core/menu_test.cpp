// Menus: building by levels, commands and their actions, When blocks, check marks, the
// image strip, owner-drawn items, pop-up menus, accelerators, resources and the system menu.
#include "ui/core/tmenu.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/block.h"
#include "runtime/macro.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/menu_wrappers.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/resources.h"
#include "ui/core/core_test_support.h"
#include "ui/core/menu_builder.h"
#include "ui/core/menu_draw_item.h"
#include "ui/core/menu_image_strip.h"

namespace ui {
namespace {

using test::Blk;
using test::DuringMenu;
using test::OpenMenuWindow;
using xb::Args;
using xb::Value;

// An item's description, built up field by field.
struct Item : TMenuItem::Spec {
  explicit Item(std::string p = {}) { prompt = std::move(p); }
  Item& Msg(std::string m) { message = std::move(m); return *this; }
  Item& Checked() { checked = true; return *this; }
  Item& Inactive() { active = false; return *this; }
  Item& Resource(std::string name) { resource_name = std::move(name); return *this; }
  Item& Action(Value a) { action = std::move(a); return *this; }
};

class MenuTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  }
  void TearDown() override {
    while (LastMenu()) MenuEnd();  // a failed test must not leave a level open
    FrameworkTest::TearDown();
  }

  // An item whose action counts into `runs[name]`.
  TMenuItem::Spec Counting(const std::string& prompt, std::vector<std::string>* runs) {
    TMenuItem::Spec s;
    s.prompt = prompt;
    s.message = "Mensaje de " + prompt;
    s.action = Blk([runs, prompt](Args&) {
      runs->push_back(prompt);
      return Value();
    });
    return s;
  }

  static UINT State(HMENU menu, int position) {
    return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
  }
  static UINT Type(HMENU menu, int position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    return info.fType;
  }
};


void Screenshot(HWND hwnd, const std::string& name) {
  vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp");
}

// ---- building ----------------------------------------------------------------------------

TEST_F(MenuTest, NestedLevelsBecomeSubmenusAndCommandsReachTheInnerItems) {
  std::vector<std::string> runs;
  auto w = Make(40, 40, 400, 240);
  auto bar = MenuBegin(false, false, w.get());
  MenuAddItem(Counting("&Archivo", &runs));
  MenuBegin();
  auto abrir = MenuAddItem(Counting("&Abrir", &runs));
  MenuAddItem(TMenuItem::Spec{});  // a separator
  MenuAddItem(Counting("&Salir", &runs));
  auto inner = MenuEnd();
  MenuAddItem(Counting("A&yuda", &runs));
  EXPECT_EQ(LastItemPos(), 2);
  EXPECT_EQ(MenuEnd().get(), bar.get());
  EXPECT_FALSE(LastMenu());

  ASSERT_EQ(bar->aItems.size(), 2u);
  EXPECT_EQ(bar->aItems[0]->SubMenu(), inner.get());
  EXPECT_TRUE(inner->lPopup);
  EXPECT_FALSE(bar->lPopup);
  EXPECT_EQ(GetMenu(w->hWnd), bar->hMenu());
  EXPECT_EQ(w->oMenu.get(), bar.get());
  EXPECT_EQ(bar->oWnd.get(), w.get());
  EXPECT_EQ(GetSubMenu(bar->hMenu(), 0), inner->hMenu());
  EXPECT_EQ(GetMenuItemCount(inner->hMenu()), 3);
  // The bar's text items stay text; a popup level draws its items itself.
  EXPECT_EQ(MenuItemText(bar->hMenu(), 1, MF_BYPOSITION), "A&yuda");
  EXPECT_EQ(Type(inner->hMenu(), 0) & MFT_OWNERDRAW, static_cast<UINT>(MFT_OWNERDRAW));
  EXPECT_EQ(Type(inner->hMenu(), 1) & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR));

  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(abrir->nId, 0), 0);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(bar->aItems[1]->nId, 0), 0);
  EXPECT_EQ(runs, (std::vector<std::string>{"&Abrir", "A&yuda"}));
  EXPECT_EQ(TMenu::oLastItem.get(), bar->aItems[1].get());
  // A command for the submenu's own item runs nothing: its action is the menu.
  bar->Command(bar->aItems[0]->nId);
  EXPECT_EQ(runs.size(), 2u);
}

TEST_F(MenuTest, IdentifiersContinueAcrossMenusAndSkipMenuHandles) {
  auto first = TMenuItem::New({});
  auto menu = TMenu::New(true);
  auto second = TMenuItem::New({});
  EXPECT_GT(first->nId, 20000);
  EXPECT_GT(second->nId, first->nId);
  for (const auto& item : {first, second}) {
    EXPECT_FALSE(IsMenu(reinterpret_cast<HMENU>(static_cast<std::intptr_t>(item->nId))));
  }
  TMenuItem::nInitId = reinterpret_cast<std::intptr_t>(menu->hMenu()) - 1;
  if (TMenuItem::nInitId < 0x7FFFFFFF) {
    auto third = TMenuItem::New({});
    EXPECT_NE(third->nId, static_cast<int>(reinterpret_cast<std::intptr_t>(menu->hMenu())));
  }
  TMenuItem::nInitId = second->nId + 10;
  menu->End();
}

TEST_F(MenuTest, WhenFalseGraysTheItemAsItsMenuOpensAndStopsItsCommand) {
  std::vector<std::string> runs;
  bool allowed = false;
  auto w = Make();
  auto bar = MenuBegin(false, false, w.get());
  MenuAddItem(Counting("&Datos", &runs));
  auto popup = MenuBegin();
  TMenuItem::Spec spec = Counting("&Generar", &runs);
  spec.when = Blk([&](Args&) { return Value::Logical(allowed); });
  auto generar = MenuAddItem(spec);
  MenuEnd();
  MenuEnd();

  SendMessageA(w->hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup->hMenu()), MAKELPARAM(0, 0));
  EXPECT_FALSE(generar->lActive);
  EXPECT_NE(State(popup->hMenu(), 0) & MF_GRAYED, 0u);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(generar->nId, 0), 0);
  EXPECT_TRUE(runs.empty());

  allowed = true;
  SendMessageA(w->hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup->hMenu()), MAKELPARAM(0, 0));
  EXPECT_TRUE(generar->lActive);
  EXPECT_EQ(State(popup->hMenu(), 0) & MF_GRAYED, 0u);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(generar->nId, 0), 0);
  EXPECT_EQ(runs, std::vector<std::string>{"&Generar"});
}

TEST_F(MenuTest, CheckDisableAndPromptFollowInTheWindowsMenu) {
  auto w = Make();
  auto bar = MenuBegin(false, false, w.get());
  auto marcar = MenuAddItem(Item("&Marcar"));
  MenuAddItem(Item("&Todas"));
  auto sub_item = MenuAddItem(Item("&Más"));
  auto sub = MenuBegin();
  auto inner = MenuAddItem(Item("&Ninguna"));
  MenuEnd();
  MenuEnd();

  marcar->SetCheck(true);
  EXPECT_TRUE(marcar->lChecked);
  EXPECT_NE(State(bar->hMenu(), 0) & MF_CHECKED, 0u);
  marcar->Disable();
  EXPECT_NE(State(bar->hMenu(), 0) & MF_GRAYED, 0u);
  marcar->Enable();
  EXPECT_EQ(State(bar->hMenu(), 0) & MF_GRAYED, 0u);
  marcar->SetPrompt("&Desmarcar");
  EXPECT_EQ(MenuItemText(bar->hMenu(), 0, MF_BYPOSITION), "&Desmarcar");
  EXPECT_EQ(marcar->cCaption(), "&Desmarcar");

  // The submenu item is found by its place, not by an identifier.
  sub_item->Disable();
  EXPECT_NE(State(bar->hMenu(), 2) & MF_GRAYED, 0u);
  inner->SetCheck(true);
  EXPECT_NE(State(sub->hMenu(), 0) & MF_CHECKED, 0u);

  bar->Disable();
  for (int i = 0; i < 3; ++i) EXPECT_NE(State(bar->hMenu(), i) & MF_GRAYED, 0u) << i;
  bar->Enable();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(State(bar->hMenu(), i) & MF_GRAYED, 0u) << i;

  // An inactive item is plain grayed text.
  auto popup = TMenu::New(true);
  popup->Add(TMenuItem::New(Item("&Inactivo").Inactive()));
  EXPECT_NE(State(popup->hMenu(), 0) & MF_GRAYED, 0u);
  EXPECT_EQ(Type(popup->hMenu(), 0) & MFT_OWNERDRAW, 0u);
  popup->End();
}

TEST_F(MenuTest, InsertPlacesBeforeAndDelItemRemovesTheLast) {
  auto popup = TMenu::New(true);
  popup->Add(TMenuItem::New(Item("uno")), false);
  popup->Add(TMenuItem::New(Item("tres")), false);
  auto dos = TMenuItem::New(Item("dos"));
  popup->Insert(dos, 2);
  ASSERT_EQ(popup->aItems.size(), 3u);
  EXPECT_EQ(popup->aItems[1].get(), dos.get());
  EXPECT_EQ(dos->Position(), 1);
  EXPECT_EQ(GetMenuItemID(popup->hMenu(), 1), static_cast<UINT>(dos->nId));
  popup->Insert(TMenuItem::New(Item("cuatro")), 9);  // no such place: appended
  EXPECT_EQ(popup->aItems.back()->cPrompt, "cuatro");
  popup->DelItem();
  EXPECT_EQ(popup->aItems.size(), 3u);
  EXPECT_EQ(GetMenuItemCount(popup->hMenu()), 3);
  popup->End();
  EXPECT_EQ(popup->hMenu(), nullptr);
}

// ---- the image strip ---------------------------------------------------------------------

TEST_F(MenuTest, ItemsWithThePictureOfOneNameShareOneSlotAndTheStripGrows) {
  MenuImageStrip::Delete();
  auto popup = TMenu::New(true);
  auto a = TMenuItem::New(Item("Verde").Resource("BMPVERDE"));
  auto b = TMenuItem::New(Item("Otra vez").Resource("bmpverde"));
  ASSERT_NE(a->hBitmap, nullptr) << "BMPVERDE in VDRE.DLL";
  popup->Add(a);
  popup->Add(b);
  EXPECT_EQ(a->nBitmap, 1);
  EXPECT_EQ(b->nBitmap, a->nBitmap);
  MenuImageStrip& strip = MenuImageStrip::Get();
  EXPECT_EQ(strip.Uses(a->nBitmap), 2);
  EXPECT_EQ(a->hBitmap, strip.Placeholder());  // its own bitmap went into the strip
  EXPECT_EQ(Type(popup->hMenu(), 0) & MFT_OWNERDRAW, static_cast<UINT>(MFT_OWNERDRAW));

  // The picture is in its cell: the disc's centre is green.
  {
    MemoryDC dc;
    SelectionScope select(dc.get(), strip.bitmap());
    const COLORREF centre = GetPixel(dc.get(), MenuImageStrip::CellLeft(a->nBitmap) + 8, 8);
    EXPECT_GT(GetGValue(centre), 120);
    EXPECT_LT(GetRValue(centre), 120);
  }

  // Past the strip's 4000 pixels the strip grows and keeps what it held.
  const int initial = strip.width();
  HDC screen = ::GetDC(nullptr);
  Bitmap picture(CreateCompatibleBitmap(screen, 16, 16));
  ::ReleaseDC(nullptr, screen);
  int last = 0;
  for (int i = 0; MenuImageStrip::CellLeft(strip.SlotCount() + 1) + 16 <= initial + 32; ++i) {
    last = strip.Take("dibujo" + std::to_string(i), picture.get());
  }
  EXPECT_GT(strip.width(), initial);
  EXPECT_LE(MenuImageStrip::CellLeft(last) + 16, strip.width());
  {
    MemoryDC dc;
    SelectionScope select(dc.get(), strip.bitmap());
    EXPECT_GT(GetGValue(GetPixel(dc.get(), MenuImageStrip::CellLeft(a->nBitmap) + 8, 8)), 120);
  }
  a->Destroy();
  EXPECT_EQ(strip.Uses(1), 1);
  popup->End();
  MenuImageStrip::Delete();
}

// ---- the owner-drawn item -----------------------------------------------------------------

TEST_F(MenuTest, OwnerDrawnItemsPaintTheColumnHighlightAndPicture) {
  MenuImageStrip::Delete();
  HBITMAP verde = LoadBitmapA(GetResources(), "BMPVERDE");
  const int slot = MenuImageStrip::Get().Take("BMPVERDE", verde);
  DeleteObject(verde);
  const COLORREF menu = GetSysColor(COLOR_MENU);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  struct Case {
    const char* name;
    UINT state;
    int slot;
    COLORREF at_30;          // right of the highlight's start
    COLORREF column_top;     // the picture column's top edge
    bool green_picture;
  };
  const Case cases[] = {
      {"plain", 0, slot, menu, menu, true},
      {"selected: highlight from 19, raised column", ODS_SELECTED, slot, highlight,
       GetSysColor(COLOR_BTNHIGHLIGHT), true},
      {"checked: sunken column", ODS_CHECKED, 0, menu, shadow, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySurface s(200, 20);
    s.Clear(RGB(1, 2, 3));
    DRAWITEMSTRUCT record = {};
    record.CtlType = ODT_MENU;
    record.itemAction = ODA_DRAWENTIRE;
    record.itemState = c.state;
    record.hDC = s.dc();
    record.rcItem = {0, 0, 200, 20};
    ASSERT_TRUE(MenuDrawItem(&record, "&Generar\tF5", false, c.slot));
    EXPECT_EQ(s.Pixel(100, 18), c.at_30);
    EXPECT_EQ(s.Pixel(10, 18), menu) << "the column keeps the menu colour";
    EXPECT_EQ(s.Pixel(8, 0), c.column_top);
    const COLORREF centre = s.Pixel(9, 10);
    EXPECT_EQ(GetGValue(centre) > 120 && GetRValue(centre) < 120, c.green_picture);
    // The picture's ground (its top-left colour) is transparent.
    EXPECT_EQ(s.Pixel(2, 3), menu);
  }
  DRAWITEMSTRUCT focus = {};
  focus.itemAction = ODA_FOCUS;
  EXPECT_FALSE(MenuDrawItem(&focus, "x", false, 0));
  MenuImageStrip::Delete();
}

// ---- pop-up menus, the window's menu on screen, accelerators --------------------------------

TEST_F(MenuTest, APopupMenuShowsItsItemsAndRunsTheChosenAction) {
  std::vector<std::string> runs;
  auto w = Make(60, 60, 400, 260);
  ShowWindow(w->hWnd, SW_SHOW);
  SetForegroundWindow(w->hWnd);
  auto popup = MenuBegin(true);
  MenuAddItem(Counting("&Marcar", &runs));
  MenuAddItem(Counting("&Todas", &runs));
  TMenuItem::Spec checked = Counting("&Ninguna", &runs);
  checked.checked = true;
  MenuAddItem(checked);
  MenuAddItem({});
  TMenuItem::Spec grey = Counting("&Liberar", &runs);
  grey.active = false;
  MenuAddItem(grey);
  MenuAddItem(Counting("&Salir", &runs));
  MenuEnd();

  bool shown = false;
  HWND open = nullptr;
  DuringMenu during({[&] {
                       open = OpenMenuWindow();
                       shown = open != nullptr && IsWindowVisible(open);
                       // Down twice from nothing selected: the second item.
                       PostMessageA(open, WM_KEYDOWN, VK_DOWN, 0);
                       PostMessageA(open, WM_KEYDOWN, VK_DOWN, 0);
                     },
                     [&] { Screenshot(open, "menu_popup"); },
                     [&] { PostMessageA(open, WM_KEYDOWN, VK_RETURN, 0); }});
  popup->Activate(20, 30, *w);
  EXPECT_TRUE(during.fired());
  EXPECT_TRUE(shown);
  EXPECT_EQ(runs, std::vector<std::string>{"&Todas"});
  EXPECT_FALSE(w->oPopup);  // ended after use
  EXPECT_EQ(popup->hMenu(), nullptr);
}

TEST_F(MenuTest, TheWindowsMenuBarOpensAndShowsOwnerDrawnItems) {
  auto w = Make(40, 40, 460, 300);
  auto bar = MenuBegin(false, false, w.get());
  MenuAddItem(Item("&Organización").Msg("Organización de empresas"));
  MenuBegin();
  MenuAddItem(Item("&Marcar").Msg("(M)arcar y desmarcar empresa").Resource("BMPVERDE"));
  MenuAddItem(Item("&Todas").Msg("(T)odas las empresas").Checked());
  MenuAddItem(Item("&Liberar").Msg("(L)iberar empresa").Inactive());
  MenuAddItem({});
  MenuAddItem(Item("&Salir - Alt+F4").Msg("(S)alir y cerrar ventana"));
  MenuEnd();
  MenuEnd();
  ShowWindow(w->hWnd, SW_SHOW);
  SetForegroundWindow(w->hWnd);
  vdr::test::PumpPending();

  bool shown = false;
  HWND open = nullptr;
  DuringMenu during({[&] {
                       open = OpenMenuWindow();
                       shown = open != nullptr && IsWindowVisible(open);
                       PostMessageA(open, WM_KEYDOWN, VK_DOWN, 0);
                     },
                     [&] {
                       Screenshot(w->hWnd, "menu_bar_window");
                       Screenshot(open, "menu_bar_popup");
                       EndMenu();
                     }},
                    300);
  // Alt+O: the menu opens as from the keyboard, and its loop runs until EndMenu.
  PostMessageA(w->hWnd, WM_SYSCOMMAND, SC_KEYMENU, 'o');
  vdr::test::PumpUntil([&] { return during.fired(); }, 3000);
  EXPECT_TRUE(shown);
}

TEST_F(MenuTest, AcceleratorsOfTheWholeMenuRunTheirItems) {
  std::vector<std::string> runs;
  auto w = Make();
  auto bar = MenuBegin(false, false, w.get());
  MenuAddItem(Counting("&Empresas", &runs));
  MenuBegin();
  TMenuItem::Spec f5 = Counting("&Generar\tF5", &runs);
  f5.virt_key = VK_F5;
  MenuAddItem(f5);
  TMenuItem::Spec ctrl_m = Counting("&Marcar\tCtrl+M", &runs);
  ctrl_m.vk_state = FCONTROL;
  ctrl_m.virt_key = 'M';
  MenuAddItem(ctrl_m);
  MenuEnd();
  MenuEnd();
  ASSERT_TRUE(bar->oAccTable);
  EXPECT_EQ(bar->oAccTable->aItems.size(), 2u);
  EXPECT_EQ(CurrentAccTable(), bar->oAccTable->nHandle);

  SetWndApp(w->hWnd);
  PostMessageA(w->hWnd, WM_KEYDOWN, VK_F5, 0);
  SysRefresh();
  EXPECT_EQ(runs, std::vector<std::string>{"&Generar\tF5"});

  // Ctrl held (in the thread's keyboard state) with M.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  const BYTE ctrl = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(w->hWnd, WM_KEYDOWN, 'M', 0);
  SysRefresh();
  keys[VK_CONTROL] = ctrl;
  SetKeyboardState(keys);
  EXPECT_EQ(runs.back(), "&Marcar\tCtrl+M");

  // Ending the menu removes its table from the loop.
  bar->End();
  EXPECT_EQ(CurrentAccTable(), nullptr);
  EXPECT_EQ(GetMenu(w->hWnd), nullptr);
  EXPECT_FALSE(w->oMenu);
  PostMessageA(w->hWnd, WM_KEYDOWN, VK_F5, 0);
  SysRefresh();
  EXPECT_EQ(runs.size(), 2u);
}

TEST_F(MenuTest, TheAcceleratorTableReplacesAndDeletesEntries) {
  auto table = TAccTable::New();
  table->Add(FCONTROL, 'N', 20001);
  table->Add(FCONTROL, 'N', 20002);
  table->Add(0, VK_F5, 20003);
  ASSERT_EQ(table->aItems.size(), 2u);
  EXPECT_EQ(table->aItems[0].command, 20002);
  table->Del(FCONTROL, 'N');
  ASSERT_EQ(table->aItems.size(), 1u);
  table->Activate();
  EXPECT_EQ(CurrentAccTable(), table->nHandle);
  table->DeActivate();
  EXPECT_EQ(CurrentAccTable(), nullptr);
}

// ---- resources and the system menu --------------------------------------------------------

TEST_F(MenuTest, AResourceMenuIsRebuiltWithItsIdentifiersAndItemsAreRedefined) {
  auto bar = TMenu::ReDefine("MENUPRUEBA", false);
  ASSERT_TRUE(bar) << "MENUPRUEBA in VDRE.DLL";
  ASSERT_EQ(bar->aItems.size(), 2u);
  TMenu* archivo = bar->aItems[0]->SubMenu();
  ASSERT_NE(archivo, nullptr);
  ASSERT_EQ(archivo->aItems.size(), 3u);
  EXPECT_EQ(archivo->aItems[0]->nId, 301);
  EXPECT_EQ(archivo->aItems[0]->cPrompt, "&Abrir");
  EXPECT_TRUE(archivo->aItems[2]->lChecked);
  EXPECT_FALSE(bar->aItems[1]->lActive);

  int opened = 0;
  auto item = TMenuItem::ReDefine(*bar, 301, Item("&Abrir empresa").Action(Blk([&](Args&) { ++opened; return Value(); })));
  ASSERT_TRUE(item);
  bar->Command(301);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(MenuItemText(archivo->hMenu(), 0, MF_BYPOSITION), "&Abrir empresa");
  EXPECT_FALSE(TMenuItem::ReDefine(*bar, 999, {}));
  EXPECT_FALSE(TMenu::ReDefine("NOEXISTE", false));

  auto popup = TMenu::ReDefine("MENUPRUEBA", true);
  ASSERT_TRUE(popup);
  EXPECT_TRUE(popup->lPopup);
  EXPECT_EQ(TMenu::GetPopup(popup->hMenu()), popup.get());
  EXPECT_EQ(GetMenuItemCount(popup->hMenu()), 2);
  bar->End();
  popup->End();
}

TEST_F(MenuTest, SystemMenuItemsRunThroughSysCommand) {
  int ran = 0;
  auto w = Make();
  auto sys = MenuBegin(false, true, w.get());
  auto item = MenuAddItem(Item("&Acerca de...").Action(Blk([&](Args&) { ++ran; return Value(); })));
  MenuEnd();
  EXPECT_TRUE(sys->lSysMenu);
  EXPECT_EQ(w->oSysMenu.get(), sys.get());
  HMENU system = GetSystemMenu(w->hWnd, FALSE);
  const int count = GetMenuItemCount(system);
  EXPECT_EQ(GetMenuItemID(system, count - 1), static_cast<UINT>(item->nId));
  EXPECT_EQ(Type(system, count - 1) & MFT_OWNERDRAW, 0u);  // the system menu stays text
  SendMessageA(w->hWnd, WM_SYSCOMMAND, static_cast<WPARAM>(item->nId), 0);
  EXPECT_EQ(ran, 1);
}

TEST_F(MenuTest, StandardMenusReachTheActiveWindow) {
  auto w = Make();
  int copied = 0;
  w->bCopy = Blk([&](Args&) { ++copied; return Value(); });
  auto bar = TMenu::New(false, w.get());
  bar->AddFile();
  bar->AddEdit();
  bar->AddHelp();
  bar->AddMdi();
  ASSERT_EQ(bar->aItems.size(), 4u);
  EXPECT_EQ(bar->aItems[1]->cPrompt, "&Edit");
  TMenu* edit = bar->aItems[1]->SubMenu();
  ASSERT_NE(edit, nullptr);
  TMenuItem* copy = nullptr;
  for (const auto& item : edit->aItems) {
    if (item->cPrompt == "&Copy\tCtrl+C") copy = item.get();
  }
  ASSERT_NE(copy, nullptr);
  ShowWindow(w->hWnd, SW_SHOW);
  SetActiveWindow(w->hWnd);
  SendMessageA(w->hWnd, WM_COMMAND, MAKEWPARAM(copy->nId, 0), 0);
  EXPECT_EQ(copied, 1);
  // The window answers no TILE: the item does nothing.
  bar->Command(bar->aItems[3]->SubMenu()->aItems[0]->nId);
}

// ---- from text compiled at run time --------------------------------------------------------

TEST_F(MenuTest, TextBuildsMenusAndReadsTheirItems) {
  auto w = Make();
  xb::MacroBlock(
      "{|o| MenuBegin( .F., .F., o ),"
      "     MenuAddItem( '&Datos', 'Datos de empresa' ),"
      "     MenuBegin( .T. ),"
      "     MenuAddItem( '&Contar', 'Cuenta', .F., .T., {|oItem| oItem:Cargo := 7 } ),"
      "     MenuEnd(),"
      "     MenuEnd() }")
      .Eval({w->Self()});
  auto* bar = dynamic_cast<TMenu*>(w->oMenu.get());
  ASSERT_NE(bar, nullptr);
  const Value menu = bar->Self();
  EXPECT_EQ(xb::MacroBlock("{|m| Len( m:aItems ) }").Eval({menu}).AsInt(), 1);
  EXPECT_EQ(xb::MacroBlock("{|m| m:aItems[ 1 ]:bAction:aItems[ 1 ]:cPrompt }").Eval({menu}).AsString(), "&Contar");
  const auto id = xb::MacroBlock("{|m| m:aItems[ 1 ]:bAction:aItems[ 1 ]:nId }").Eval({menu}).AsInt();
  xb::MacroBlock("{|m, n| m:Command( n ) }").Eval({menu, Value::Integer(id)});
  EXPECT_EQ(xb::MacroBlock("{|m| m:oLastItem:Cargo }").Eval({menu}).AsInt(), 7);
  xb::MacroBlock("{|m| m:aItems[ 1 ]:SetCheck( .T. ) }").Eval({menu});
  EXPECT_TRUE(bar->aItems[0]->lChecked);
}


TEST_F(MenuTest, AMenuIsSavedAsTextAndLoadedBack) {
  auto menu = TMenu::New(true);
  menu->Add(TMenuItem::New(Item("&Abrir").Msg("Abre un fichero")));
  menu->Add(TMenuItem::New(Item("&Cerrar").Checked().Inactive()));
  menu->cVarName = "oMenuFichero";
  const Value record = xb::MacroBlock("{|m| m:Save() }").Eval({menu->Self()});
  ASSERT_TRUE(record.IsString());
  EXPECT_EQ(record.AsString().substr(0, 1), "O");
  EXPECT_NE(record.AsString().find("TMENU"), std::string::npos);

  const Value loaded = xb::MacroBlock("{|c| ORead( c ) }").Eval({record});
  auto* copy = dynamic_cast<TMenu*>(loaded.AsObject().get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->cVarName, "oMenuFichero");
  ASSERT_EQ(copy->aItems.size(), 2u);
  EXPECT_EQ(copy->aItems[0]->cPrompt, "&Abrir");
  EXPECT_EQ(copy->aItems[0]->cMsg, "Abre un fichero");
  EXPECT_EQ(copy->aItems[0]->nId, menu->aItems[0]->nId);
  EXPECT_TRUE(copy->aItems[1]->lChecked);
  EXPECT_FALSE(copy->aItems[1]->lActive);
  ASSERT_NE(copy->hMenu(), nullptr);
  EXPECT_EQ(GetMenuItemCount(copy->hMenu()), 2);
  EXPECT_EQ(static_cast<int>(GetMenuItemID(copy->hMenu(), 0)), menu->aItems[0]->nId);
  // A damaged record loads nothing and says so.
  EXPECT_FALSE(xb::MacroBlock("{|m| m:Load( 'O' + Chr( 200 ) ) }").Eval({copy->Self()}).AsLogical());
  copy->End();
  menu->End();
}

TEST_F(MenuTest, AnItemIsRedefinedAtRunTime) {
  auto menu = TMenu::New(true);
  int runs = 0;
  menu->Add(TMenuItem::New(Item("&Viejo").Msg("antes")));
  const int id = menu->aItems[0]->nId;
  // ReDefine with New's arguments, then the menu and the identifier.
  const Value item = xb::MacroBlock(
                         "{|m, n, b| TMenuItem():ReDefine( '&Nuevo', 'después', .T., .F., b,,,,,, 77,,, m, n ) }")
                         .Eval({menu->Self(), Value::Integer(id), Blk([&](Args&) {
                                  ++runs;
                                  return Value();
                                })});
  ASSERT_EQ(item.AsObject().get(), menu->aItems[0].get());
  EXPECT_EQ(menu->aItems[0]->cPrompt, "&Nuevo");
  EXPECT_EQ(menu->aItems[0]->cMsg, "después");
  EXPECT_EQ(menu->aItems[0]->nHelpId, 77);
  EXPECT_TRUE(menu->aItems[0]->lChecked);
  EXPECT_FALSE(menu->aItems[0]->lActive);
  EXPECT_NE(GetMenuState(menu->hMenu(), static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED, 0u);
  menu->aItems[0]->Run();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(xb::MacroBlock("{|m| TMenuItem():ReDefine( 'x',,,,,,,,,,,,, m, 1 ) }").Eval({menu->Self()}).IsNil());
  menu->End();
}

}  // namespace
}  // namespace ui
