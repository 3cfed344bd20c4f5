// The bitmap control under Wine: pictures shared through the registry, scroll ranges that
// reach every pixel and no further, zoom, transparency over a dialog's background, the
// clipboard, and the tree view with its image list.
#include "ui/controls/tbitmap.h"

#include <gtest/gtest.h>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "tests/support/mouse_input.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/controls/bitmap_registry.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/timagelist.h"
#include "ui/controls/tqztreeview.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

// The gradient picture PRUEBA48: red 5 a column, green 5 a row, blue 128.
COLORREF Gradient(int x, int y) { return RGB(x * 5, y * 5, 128); }

COLORREF PixelOf(HWND hwnd, int x, int y) {
  MemorySurface s(1, 1);
  WindowDC dc(hwnd);
  BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), x, y, SRCCOPY);
  return s.Pixel(0, 0);
}

class BitmapTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    window_ = Make(40, 40, 420, 300);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  void TearDown() override {
    TBitmap::SetBackgroundForTests(nullptr);
    ControlsTest::TearDown();
  }
  xb::Ref<TBitmap> Picture(const std::string& resource, int row, int col, std::optional<int> width = {},
                           std::optional<int> height = {}, bool scroll = false) {
    auto b = xb::MakeRef<TBitmap>();
    b->New({.row = row, .col = col, .width = width, .height = height, .resource = resource, .no_border = true,
            .parent = window_, .scroll = scroll, .pixel = true});
    return b;
  }
  static void Repaint(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    vdr::test::PumpPending();
  }
  xb::Ref<TWindow> window_;
};

TEST_F(BitmapTest, PicturesOfOneNameAreShared) {
  auto a = Picture("PRUEBA48", 10, 10);
  auto b = Picture("prueba48 ", 10, 80);  // the name as the registry keeps it
  ASSERT_NE(a->hBitmap, nullptr);
  EXPECT_EQ(a->hBitmap, b->hBitmap);
  EXPECT_EQ(BitmapUsers(a->hBitmap), 2);
  RECT r = {};
  GetClientRect(a->hWnd, &r);
  EXPECT_EQ(r.right, 48);  // the picture's size
  HBITMAP shared = a->hBitmap;
  // Ending one, however often, lets go of one share: the other still shows the picture.
  a->End();
  a->End();
  vdr::test::PumpPending();
  EXPECT_EQ(BitmapUsers(shared), 1);
  Repaint(b->hWnd);
  EXPECT_EQ(PixelOf(b->hWnd, 10, 20), Gradient(10, 20));
  // Reloading another picture lets go of the share through the registry.
  auto c = Picture("PRUEBA48", 10, 150);
  EXPECT_EQ(BitmapUsers(shared), 2);
  EXPECT_TRUE(c->ReLoad("PRUEBA16", {}));
  EXPECT_EQ(BitmapUsers(shared), 1);
  EXPECT_EQ(c->PictureWidth(), 16);
  // A name that does not load is not registered.
  EXPECT_FALSE(c->ReLoad("NOHAY", {}));
  EXPECT_EQ(RegisterBitmap("NOHAY").bitmap, nullptr);
  EXPECT_EQ(RegisterBitmap("").bitmap, nullptr);
  b->End();
  vdr::test::PumpPending();
  EXPECT_EQ(BitmapUsers(shared), 0);
  BITMAP info = {};
  EXPECT_EQ(GetObjectA(shared, sizeof info, &info), 0);  // freed with its last user
  // A file shares by its name too.
  const std::string file = std::string(VDR_TEST_PICTURES) + "prueba48.bmp";
  auto f1 = xb::MakeRef<TBitmap>();
  f1->New({.row = 70, .col = 10, .file = file, .parent = window_, .pixel = true});
  auto f2 = xb::MakeRef<TBitmap>();
  f2->New({.row = 70, .col = 80, .file = file, .parent = window_, .pixel = true});
  EXPECT_EQ(f1->hBitmap, f2->hBitmap);
  EXPECT_TRUE(f1->lFile);
  EXPECT_EQ(f1->PictureHeight(), 48);
}

TEST_F(BitmapTest, ScrollRangesReachEveryPixelAndNoFurther) {
  auto b = Picture("PRUEBA48", 10, 10, 40, 36, true);
  RECT client = {};
  GetClientRect(b->hWnd, &client);
  const int cw = client.right, ch = client.bottom;
  ASSERT_LT(cw, 48);
  ASSERT_LT(ch, 48);
  int low = 0, high = 0;
  GetScrollRange(b->hWnd, SB_VERT, &low, &high);
  EXPECT_EQ(high, 48 - ch);  // the height down the vertical bar
  GetScrollRange(b->hWnd, SB_HORZ, &low, &high);
  EXPECT_EQ(high, 48 - cw);  // the width across the horizontal bar
  EXPECT_EQ(b->nYExtra(), 48 - ch + 1);
  EXPECT_EQ(b->nXExtra(), 48 - cw + 1);
  struct Step {
    UINT message;
    int code;
    int x, y;  // the offsets afterwards
  } steps[] = {
      {WM_VSCROLL, SB_LINEDOWN, 0, -1},
      {WM_VSCROLL, SB_BOTTOM, 0, -(48 - ch)},
      {WM_VSCROLL, SB_LINEDOWN, 0, -(48 - ch)},  // no further
      {WM_HSCROLL, SB_RIGHT, -(48 - cw), -(48 - ch)},
      {WM_HSCROLL, SB_PAGERIGHT, -(48 - cw), -(48 - ch)},
      {WM_VSCROLL, SB_TOP, -(48 - cw), 0},
      {WM_VSCROLL, SB_PAGEDOWN, -(48 - cw), -std::min(ch - 1, 48 - ch)},
      {WM_HSCROLL, SB_LEFT, 0, -std::min(ch - 1, 48 - ch)},
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0, -5},
  };
  for (const Step& s : steps) {
    SendMessageA(b->hWnd, s.message, static_cast<WPARAM>(s.code), 0);
    EXPECT_EQ(b->nX, s.x) << s.message << " " << s.code;
    EXPECT_EQ(b->nY, s.y) << s.message << " " << s.code;
  }
  // At the far corner the last row and column show.
  SendMessageA(b->hWnd, WM_VSCROLL, SB_BOTTOM, 0);
  SendMessageA(b->hWnd, WM_HSCROLL, SB_RIGHT, 0);
  Repaint(b->hWnd);
  EXPECT_EQ(PixelOf(b->hWnd, cw - 1, ch - 1), Gradient(47, 47));
  // Keys step and page.
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_UP);
  EXPECT_EQ(b->nY, -(48 - ch) + 1);
  Key(b->hWnd, VK_PRIOR);  // a page is the visible height less 1
  EXPECT_EQ(b->nY, std::min(0, -(48 - ch) + 1 + (ch - 1)));
  // A picture that fits scrolls nowhere.
  auto small = Picture("PRUEBA16", 10, 100, 40, 36, true);
  GetScrollRange(small->hWnd, SB_VERT, &low, &high);
  EXPECT_EQ(high, 0);
  SendMessageA(small->hWnd, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(small->nY, 0);
  Screenshot(window_->hWnd, "bitmap_scrolled");
}

// The window's own scroll bars under a person's mouse: the arrow steps, the thumb dragged to
// the end of its bar takes the picture to its last row (the thumb is followed, not snapped
// back), a click on the bar above the thumb pages up.
TEST_F(BitmapTest, TheScrollBarsMoveThePictureUnderARealMouse) {
  auto b = Picture("PRUEBA48", 10, 10, 140, 140, true);
  b->Zoom(8);  // 384 x 384
  RECT client = {};
  GetClientRect(b->hWnd, &client);
  const int scrollable = 384 - client.bottom;
  ASSERT_GT(scrollable, client.bottom);  // more than a page
  SetForegroundWindow(window_->hWnd);
  // The button goes down at the first point, follows the others and comes up at the last.
  // The bar runs a loop of its own while the button is down: the moves and the release are
  // made from a timer that loop lets run, a few ticks apart, so each is seen where it is.
  auto press = [&](std::vector<POINT> path) {
    for (POINT& p : path) ClientToScreen(b->hWnd, &p);
    ASSERT_TRUE(vdr::test::MouseTo(path.front()));
    auto send = [](DWORD flags, POINT at = {}) {
      INPUT i = {};
      i.type = INPUT_MOUSE;
      i.mi.dwFlags = flags;
      i.mi.dx = static_cast<LONG>((at.x * 65536LL + 32768) / GetSystemMetrics(SM_CXSCREEN));
      i.mi.dy = static_cast<LONG>((at.y * 65536LL + 32768) / GetSystemMetrics(SM_CYSCREEN));
      SendInput(1, &i, sizeof i);
    };
    std::size_t next = 1;
    int ticks = 0;
    test::StepWhile steps([&] {
      if (++ticks % 4 != 0) return false;
      if (next < path.size()) {
        send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, path[next++]);
        return false;
      }
      send(MOUSEEVENTF_LEFTUP);
      return true;
    });
    send(MOUSEEVENTF_LEFTDOWN);
    vdr::test::PumpUntil([&] { return next == path.size() && GetAsyncKeyState(VK_LBUTTON) >= 0; }, 3000);
    vdr::test::PumpUntil([] { return false; }, 100);
  };
  const int bar_x = client.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
  const int arrow = GetSystemMetrics(SM_CYVSCROLL);
  press({{bar_x, client.bottom - arrow / 2}});  // the down arrow
  EXPECT_EQ(b->nY, -1);
  SCROLLBARINFO bar = {sizeof bar};
  ASSERT_TRUE(GetScrollBarInfo(b->hWnd, OBJID_VSCROLL, &bar));
  const int thumb = (bar.xyThumbTop + bar.xyThumbBottom) / 2;
  press({{bar_x, thumb}, {bar_x, thumb + 40}, {bar_x, client.bottom - 2}});
  EXPECT_EQ(b->nY, -scrollable);
  EXPECT_EQ(GetScrollPos(b->hWnd, SB_VERT), scrollable);
  Repaint(b->hWnd);
  EXPECT_EQ(PixelOf(b->hWnd, 2, client.bottom - 1), Gradient(0, 47));  // the picture's last row
  press({{bar_x, arrow + 2}});  // the bar above the thumb
  EXPECT_EQ(b->nY, -scrollable + (client.bottom - 1));
  Screenshot(window_->hWnd, "bitmap_scrolled_by_mouse");
}

TEST_F(BitmapTest, ZoomAndStretch) {
  auto b = Picture("PRUEBA48", 10, 10, 96, 96);
  b->Zoom(2);
  EXPECT_EQ(b->PictureWidth(), 96);
  Repaint(b->hWnd);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{10, 5}, std::pair{47, 47}, std::pair{20, 33}})
    EXPECT_EQ(PixelOf(b->hWnd, 2 * x + 1, 2 * y + 1), Gradient(x, y)) << x << "," << y;
  // Zoomed with scroll bars, the ranges cover the zoomed picture.
  auto z = Picture("PRUEBA48", 10, 120, 60, 60, true);
  z->Zoom(2);
  RECT client = {};
  GetClientRect(z->hWnd, &client);
  int low = 0, high = 0;
  GetScrollRange(z->hWnd, SB_VERT, &low, &high);
  EXPECT_EQ(high, 96 - client.bottom);
  // Stretched: the picture fills the control.
  auto s = xb::MakeRef<TBitmap>();
  s->New({.row = 10, .col = 200, .width = 24, .height = 24, .resource = "PRUEBA48", .no_border = true,
          .parent = window_, .stretch = true, .pixel = true});
  Repaint(s->hWnd);
  // The last pixel shows the picture's corner, give or take the one row or column a halving
  // may drop.
  const COLORREF corner = PixelOf(s->hWnd, 23, 23);
  EXPECT_GE(GetRValue(corner), 46 * 5);
  EXPECT_GE(GetGValue(corner), 46 * 5);
  Screenshot(window_->hWnd, "bitmap_zoomed");
}

TEST_F(BitmapTest, TransparentOverTheDialogsBackground) {
  // A green background picture the size of the dialog.
  MemorySurface green(400, 300);
  RECT all = {0, 0, 400, 300};
  Brush brush(CreateSolidBrush(RGB(0, 200, 0)));
  FillRect(green.dc(), &all, brush.get());
  HBITMAP background = CreateCompatibleBitmap(green.dc(), 400, 300);
  {
    MemoryDC dc(green.dc());
    SelectionScope select(dc.get(), background);
    BitBlt(dc.get(), 0, 0, 400, 300, green.dc(), 0, 0, SRCCOPY);
  }
  TBitmap::SetBackgroundForTests(background);
  struct Case {
    const char* resource;
    bool piece;       // a piece of the background ("L1")
    COLORREF corner;  // what shows under the transparent corner
  } cases[] = {{"L1", true, RGB(0, 200, 0)}, {"PRUEBA32", false, TDialog::kPaneColour}};
  for (const Case& c : cases) {
    auto dialog = xb::MakeRef<TDialog>();
    dialog->New({.resource = Value::String("PRUEBABMP")});
    auto b = xb::MakeRef<TBitmap>();
    b->ReDefine({.id = 101, .resource = c.resource, .parent = dialog, .transparent = true});
    EXPECT_EQ(b->lFondo, c.piece) << c.resource;
    COLORREF corner = 0, middle = 0;
    dialog->bStart = Blk([&, d = dialog.get()](Args&) {
      Repaint(b->hWnd);
      corner = PixelOf(b->hWnd, 2, 2);
      middle = PixelOf(b->hWnd, 16, 16);
      Screenshot(d->hWnd, std::string("bitmap_transparent_") + c.resource);
      d->End();
      return Value();
    });
    dialog->Activate({.centered = true});
    EXPECT_EQ(corner, c.corner) << c.resource;
    EXPECT_EQ(middle, RGB(0, 0, 255)) << c.resource;
  }
  DeleteObject(background);
}

TEST_F(BitmapTest, ThroughTheClipboardAndBack) {
  auto from = Picture("PRUEBA48", 10, 10);
  auto to = Picture("PRUEBA16", 10, 100, 48, 48);
  HBITMAP small = to->hBitmap;
  EXPECT_EQ(BitmapUsers(small), 1);
  ASSERT_TRUE(from->CopyToClipboard());
  ASSERT_TRUE(to->LoadFromClipboard());
  EXPECT_EQ(BitmapUsers(small), 0);  // the old picture let go
  EXPECT_NE(to->hBitmap, from->hBitmap);
  EXPECT_EQ(BitmapUsers(to->hBitmap), 0);  // the clipboard's copy is the control's own
  EXPECT_EQ(to->PictureWidth(), 48);
  Repaint(to->hWnd);
  EXPECT_EQ(PixelOf(to->hWnd, 30, 7), Gradient(30, 7));
  HBITMAP own = to->hBitmap;
  to->End();
  vdr::test::PumpPending();
  BITMAP info = {};
  EXPECT_EQ(GetObjectA(own, sizeof info, &info), 0);
  EXPECT_EQ(BitmapUsers(from->hBitmap), 1);
  // The module's functions by name.
  EXPECT_EQ(xb::CallFunction("PBMPWIDTH", {Value::Integer(reinterpret_cast<std::intptr_t>(from->hBitmap))}).AsInt(), 48);
  EXPECT_EQ(xb::CallFunction("PBMPHEIGHT", {Value::Integer(reinterpret_cast<std::intptr_t>(from->hBitmap))}).AsInt(), 48);
}

// ---- tree view --------------------------------------------------------------------------------------

class TreeViewTest : public BitmapTest {};

TEST_F(TreeViewTest, ItemsPicturesSelectionAndHits) {
  auto tree = xb::MakeRef<TQZTreeView>();
  // The test window writes white; the tree's text takes the parent's colour unless given.
  tree->New({.row = 10, .col = 10, .parent = window_, .clr_text = GetSysColor(COLOR_WINDOWTEXT), .pixel = true,
             .width = 300, .height = 220});
  ASSERT_NE(tree->hWnd, nullptr);
  auto images = xb::MakeRef<TImageList>();
  images->New(16, 16);
  for (const char* name : {"PRUEBA16", "BMPVERDE", "BMPROJO"}) {
    auto picture = xb::MakeRef<TBitmap>();
    picture->Define({.resource = name});
    EXPECT_GE(images->AddMasked(picture, RGB(192, 192, 192)), 0);
  }
  EXPECT_EQ(images->Count(), 3);
  tree->SetImageList(images);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(tree->hWnd, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)),
            images->hImageList);
  std::vector<std::string> changes;
  tree->bChanged = Blk([&](Args& a) {
    changes.push_back(dynamic_cast<TQZTreeView*>(a.Obj(1).get())->GetSelText());
    return Value();
  });
  auto empresas = tree->Add("Empresas", 0);
  auto altas = empresas->Add("Altas", 1);
  auto enero = altas->Add("Enero", 2, std::nullopt, 0);
  auto usuarios = tree->Add("Usuarios", 1);
  EXPECT_EQ(enero->nImageSelected, 0);
  EXPECT_EQ(altas->nImage2, 1);  // defaults to the picture
  tree->Expand();
  altas->Expand();
  // The grandchild selected by the control's own message: its object, and the change once.
  SendMessageA(tree->hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(enero->hItem));
  EXPECT_EQ(tree->GetSelected(), enero.get());
  EXPECT_EQ(tree->GetSelText(), "Enero");
  EXPECT_EQ(changes, (std::vector<std::string>{"Enero"}));
  tree->Select(*usuarios);
  EXPECT_EQ(tree->GetSelected(), usuarios.get());
  EXPECT_EQ(changes.size(), 2u);
  // Deleting the branches of a leaf leaves the tree as it was; of a branch, removes them.
  const LRESULT count = SendMessageA(tree->hWnd, TVM_GETCOUNT, 0, 0);
  EXPECT_EQ(count, 4);
  enero->DeleteBranches();
  EXPECT_EQ(SendMessageA(tree->hWnd, TVM_GETCOUNT, 0, 0), count);
  // A long text is cut to 199 characters, in the control and in the item.
  const std::string long_text(250, 'x');
  altas->SetItemText(long_text);
  EXPECT_EQ(altas->cPrompt, std::string(199, 'x'));
  tree->Select(*altas);
  EXPECT_EQ(tree->GetSelText(), std::string(199, 'x'));
  altas->SetItemText("Altas del a\xF1o");
  EXPECT_EQ(tree->GetSelText(), "Altas del a\xF1o");
  // The item under a point of its label; none below the items.
  RECT label = {};
  *reinterpret_cast<HTREEITEM*>(&label) = usuarios->hItem;
  ASSERT_TRUE(SendMessageA(tree->hWnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)));
  EXPECT_EQ(tree->HitTest((label.top + label.bottom) / 2, (label.left + label.right) / 2), usuarios.get());
  EXPECT_EQ(tree->HitTest(200, 20), nullptr);
  EXPECT_EQ(tree->GetItem(enero->hItem), enero.get());
  Repaint(window_->hWnd);
  Screenshot(window_->hWnd, "tree_view");
  empresas->DeleteBranches();
  EXPECT_EQ(SendMessageA(tree->hWnd, TVM_GETCOUNT, 0, 0), 2);
  EXPECT_TRUE(empresas->aItems.empty());
  tree->DeleteAll();
  EXPECT_EQ(SendMessageA(tree->hWnd, TVM_GETCOUNT, 0, 0), 0);
  EXPECT_TRUE(tree->aItems.empty());
  images->End();
  EXPECT_TRUE(images->aBitmaps.empty());
  for (const char* name : {"TQZTREEVIEW", "TTVITEMQZ", "TIMAGELIST", "TVSETTEXT", "TVINSERTITEMQZ", "TBITMAP"})
    EXPECT_TRUE(xb::IsFunctionRegistered(name)) << name;
}

// A person's clicks: one on an item's label selects it and runs bChanged once; one on the
// button of a closed branch opens it; the item under the pointer is the one hit.
TEST_F(TreeViewTest, ClicksSelectItemsAndOpenBranches) {
  auto tree = xb::MakeRef<TQZTreeView>();
  tree->New({.row = 10, .col = 10, .parent = window_, .clr_text = GetSysColor(COLOR_WINDOWTEXT), .pixel = true,
             .width = 300, .height = 220});
  ASSERT_NE(tree->hWnd, nullptr);
  std::vector<TTVItemQZ*> changes;
  tree->bChanged = Blk([&](Args& a) {
    changes.push_back(dynamic_cast<TQZTreeView*>(a.Obj(1).get())->GetSelected());
    return Value();
  });
  auto empresas = tree->Add("Empresas");
  auto altas = empresas->Add("Altas");
  auto usuarios = tree->Add("Usuarios");
  auto label = [&](const TTVItemQZ& item) {
    RECT r = {};
    *reinterpret_cast<HTREEITEM*>(&r) = item.hItem;
    EXPECT_TRUE(SendMessageA(tree->hWnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    return r;
  };
  auto click = [&](POINT at) {
    ASSERT_TRUE(vdr::test::MouseToClient(tree->hWnd, at));
    vdr::test::LeftButton(true);
    vdr::test::LeftButton(false);
  };
  SetForegroundWindow(window_->hWnd);
  const RECT second = label(*usuarios);
  click({(second.left + second.right) / 2, (second.top + second.bottom) / 2});
  EXPECT_EQ(tree->GetSelected(), usuarios.get());
  EXPECT_EQ(tree->GetSelText(), "Usuarios");
  const std::vector<TTVItemQZ*> once = {usuarios.get()};
  EXPECT_EQ(changes, once);
  click({(second.left + second.right) / 2, (second.top + second.bottom) / 2});  // the same item again
  EXPECT_EQ(changes, once);
  // The branch's button, left of its label: the child shows, nothing else is selected.
  const RECT first = label(*empresas);
  click({first.left - 12, (first.top + first.bottom) / 2});
  auto open = [&] { return (TreeView_GetItemState(tree->hWnd, empresas->hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; };
  vdr::test::PumpUntil(open, 2000);
  EXPECT_TRUE(open());
  EXPECT_EQ(tree->GetSelected(), usuarios.get());
  const RECT child = label(*altas);
  EXPECT_EQ(tree->HitTest((child.top + child.bottom) / 2, child.left + 4), altas.get());
  click({child.left + 4, (child.top + child.bottom) / 2});
  EXPECT_EQ(tree->GetSelected(), altas.get());
  EXPECT_EQ(changes, (std::vector<TTVItemQZ*>{usuarios.get(), altas.get()}));
  Screenshot(window_->hWnd, "tree_view_clicked");
}

}  // namespace
}  // namespace ui
