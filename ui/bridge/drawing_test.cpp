// The drawing wrappers, checked pixel by pixel on memory surfaces.
#include <gtest/gtest.h>

#include <array>

#include "tests/support/pump.h"
#include "ui/bridge/bar_helpers.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/drawing.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/probe_window_test_support.h"
#include "ui/bridge/text_drawing.h"
#include "ui/bridge/tree_view.h"

namespace ui {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Pixels of one colour inside a rectangle [left, right) x [top, bottom).
int CountColour(const MemorySurface& s, COLORREF colour, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) n += s.Pixel(x, y) == colour;
  }
  return n;
}

int CountNot(const MemorySurface& s, COLORREF colour, int left, int top, int right, int bottom) {
  return (right - left) * (bottom - top) - CountColour(s, colour, left, top, right, bottom);
}

TEST(GdiHandles, OwningTypesDeleteAndBorrowingTypesDoNot) {
  HBRUSH raw = nullptr;
  {
    Brush brush(CreateSolidBrush(kRed));
    raw = brush.get();
    BrushRef borrowed = brush;
    EXPECT_EQ(borrowed.get(), raw);
    Brush moved = std::move(brush);
    EXPECT_EQ(brush.get(), nullptr);
    EXPECT_EQ(moved.get(), raw);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(GetObjectType(raw), 0u);  // deleted with its owner
  Pen pen(CreatePen(PS_SOLID, 1, kBlue));
  HPEN kept = pen.release();
  EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_PEN));
  EXPECT_TRUE(DeleteGdiObject(kept));
}

TEST(DeleteGdiObject, OnlyRealGdiObjects) {
  EXPECT_FALSE(DeleteGdiObject(nullptr));
  test::ProbeLog log;
  test::ProbeWindow window(&log);
  EXPECT_FALSE(DeleteGdiObject(reinterpret_cast<HGDIOBJ>(window.get())));
  EXPECT_TRUE(IsWindow(window.get()));
  HBRUSH brush = CreateSolidBrush(kRed);
  EXPECT_TRUE(DeleteGdiObject(brush));
  EXPECT_FALSE(DeleteGdiObject(brush));  // gone
}

TEST(Rectangles, FillInvertAndNothingWithoutABrush) {
  MemorySurface s(40, 30);
  s.Clear(kWhite);
  FillRect(s.dc(), Rect{5, 10, 15, 30}, nullptr);
  EXPECT_EQ(CountColour(s, kWhite, 0, 0, 40, 30), 40 * 30);
  Brush red(CreateSolidBrush(kRed));
  FillRect(s.dc(), Rect{5, 10, 15, 30}, red.get());  // {top, left, bottom, right}
  EXPECT_EQ(CountColour(s, kRed, 10, 5, 30, 15), 20 * 10);
  EXPECT_EQ(CountColour(s, kRed, 0, 0, 40, 30), 20 * 10);
  InvertRect(s.dc(), Rect{0, 0, 30, 40});
  EXPECT_EQ(s.Pixel(0, 0), kBlack);
  EXPECT_EQ(s.Pixel(10, 5), RGB(0, 255, 255));
}

TEST(Rectangles, ClientRectOfNoWindowIsZeros) {
  EXPECT_EQ(GetClientRect(nullptr), Rect{});
  EXPECT_EQ(GetCoors(nullptr), Rect{});
}

TEST(Shapes, RectangleTakesTopLeftBottomRightAndItsPen) {
  MemorySurface s(40, 40);
  s.Clear(kWhite);
  Pen red(CreatePen(PS_SOLID, 1, kRed));
  SelectionScope hollow(s.dc(), GetStockObject(NULL_BRUSH));
  ASSERT_TRUE(Rectangle(s.dc(), 5, 10, 25, 30, red.get()));
  EXPECT_EQ(s.Pixel(10, 5), kRed);   // top-left corner
  EXPECT_EQ(s.Pixel(29, 24), kRed);  // bottom-right corner (Windows excludes right and bottom)
  EXPECT_EQ(s.Pixel(30, 25), kWhite);
  EXPECT_EQ(s.Pixel(20, 15), kWhite);  // hollow inside
  // The pen was selected for the shape only.
  EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
}

TEST(Shapes, LinesPolygonsAndFloodFill) {
  MemorySurface s(60, 40);
  s.Clear(kWhite);
  Pen blue(CreatePen(PS_SOLID, 1, kBlue));
  ASSERT_TRUE(MoveTo(s.dc(), 0, 2));
  ASSERT_TRUE(LineTo(s.dc(), 50, 2, blue.get()));
  EXPECT_EQ(CountColour(s, kBlue, 0, 2, 60, 3), 50);

  // A closed black box, then fill its inside red.
  WndBox(s.dc(), 10, 10, 30, 40);
  ASSERT_TRUE(FloodFill(s.dc(), 20, 20, kBlack, kRed));
  EXPECT_EQ(s.Pixel(20, 20), kRed);
  EXPECT_EQ(s.Pixel(11, 11), kRed);
  EXPECT_EQ(s.Pixel(50, 20), kWhite);  // outside the box stays

  s.Clear(kWhite);
  Brush red(CreateSolidBrush(kRed));
  SelectionScope fill(s.dc(), red.get());
  SelectionScope nopen(s.dc(), GetStockObject(NULL_PEN));
  ASSERT_TRUE(PolyPolygon(s.dc(), {{{0, 0}, {20, 0}, {0, 20}}, {{40, 0}, {59, 0}, {59, 20}}}));
  EXPECT_EQ(s.Pixel(3, 3), kRed);
  EXPECT_EQ(s.Pixel(56, 3), kRed);
  EXPECT_EQ(s.Pixel(30, 10), kWhite);
  EXPECT_FALSE(PolyPolygon(s.dc(), {}));
}

TEST(Frames, BoxesIncludeTheirRightAndBottomEdges) {
  MemorySurface s(30, 30);
  s.Clear(RGB(1, 2, 3));
  WndBox(s.dc(), 2, 3, 20, 25);
  for (auto [x, y] : {std::pair{3, 2}, {25, 2}, {25, 20}, {3, 20}, {14, 2}, {3, 11}, {25, 11}, {14, 20}}) {
    EXPECT_EQ(s.Pixel(x, y), kBlack) << x << "," << y;
  }
  EXPECT_EQ(s.Pixel(14, 11), RGB(1, 2, 3));
  EXPECT_EQ(s.Pixel(26, 21), RGB(1, 2, 3));

  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  ASSERT_NE(shadow, light);
  s.Clear(RGB(1, 2, 3));
  WndBoxIn(s.dc(), 2, 3, 20, 25);
  EXPECT_EQ(s.Pixel(3, 10), shadow);   // left
  EXPECT_EQ(s.Pixel(10, 2), shadow);   // top
  EXPECT_EQ(s.Pixel(25, 10), light);   // right
  EXPECT_EQ(s.Pixel(10, 20), light);   // bottom
  EXPECT_EQ(s.Pixel(3, 20), light);    // bottom-left corner belongs to the bottom
  s.Clear(RGB(1, 2, 3));
  WndBoxRaised(s.dc(), 2, 3, 20, 25);
  EXPECT_EQ(s.Pixel(3, 10), light);
  EXPECT_EQ(s.Pixel(25, 10), shadow);
  EXPECT_EQ(s.Pixel(10, 20), shadow);
}

TEST(Frames, DottedFrameAlternatesAndIncludesBothFarEdges) {
  MemorySurface s(30, 30);
  s.Clear(RGB(9, 9, 9));
  SetTextColor(s.dc(), kBlack);
  SetBkColor(s.dc(), kWhite);
  FrameDot(s.dc(), 4, 4, 20, 24);
  // Every pixel of the frame is drawn, in two colours that alternate along it.
  int black = 0, white = 0;
  for (int x = 4; x <= 24; ++x) {
    for (int y : {4, 20}) {
      black += s.Pixel(x, y) == kBlack;
      white += s.Pixel(x, y) == kWhite;
    }
  }
  EXPECT_EQ(black + white, 2 * 21);
  EXPECT_GT(black, 15);
  EXPECT_GT(white, 15);
  EXPECT_NE(s.Pixel(24, 12), RGB(9, 9, 9));  // right edge included
  EXPECT_NE(s.Pixel(14, 20), RGB(9, 9, 9));  // bottom edge included
  EXPECT_NE(s.Pixel(10, 10), kBlack);
  EXPECT_EQ(s.Pixel(10, 10), RGB(9, 9, 9));
  EXPECT_EQ(s.Pixel(25, 12), RGB(9, 9, 9));
}

TEST(Text, TextOutTakesRowThenColumn) {
  MemorySurface s(120, 60);
  s.Clear(kWhite);
  SetTextColor(s.dc(), kBlack);
  SetBkMode(s.dc(), TRANSPARENT);
  ASSERT_TRUE(TextOut(s.dc(), 30, 5, "Hola"));  // y 30, x 5
  EXPECT_EQ(CountNot(s, kWhite, 0, 0, 120, 30), 0);
  EXPECT_EQ(CountNot(s, kWhite, 0, 0, 5, 60), 0);
  EXPECT_GT(CountNot(s, kWhite, 5, 30, 120, 60), 10);
}

TEST(Text, DrawTextDefaultsToOneUnclippedLine) {
  MemorySurface s(200, 40);
  s.Clear(kWhite);
  SetBkMode(s.dc(), TRANSPARENT);
  const int height = DrawText(s.dc(), "Sin recorte");  // rect {0, 0, 14, 0}
  EXPECT_GT(height, 0);
  EXPECT_GT(CountNot(s, kWhite, 0, 0, 200, 40), 10);  // drawn although the rect is 0 wide
  EXPECT_EQ(GetTextWidth(s.dc(), ""), 0);
  const int wide = GetTextWidth(s.dc(), "WWWW");
  EXPECT_GT(wide, GetTextWidth(s.dc(), "iiii"));
  EXPECT_GT(GetTextHeight(nullptr, s.dc()), 0);
}

TEST(Text, WSayAtACellOrPixelInItsColoursLeavingTheDcAsItWas) {
  MemorySurface s(200, 80);
  s.Clear(kWhite);
  SetTextColor(s.dc(), kBlue);
  const CharCell cell = DcCharCell(s.dc(), nullptr);
  ASSERT_GT(cell.height, 0);
  SayStyle red_on_black;
  red_on_black.fore = kRed;
  red_on_black.back = kBlack;
  WSay(nullptr, s.dc(), 2, 3, "X", red_on_black);  // row 2, column 3 in cells
  const int top = 2 * cell.height;
  const int left = 3 * cell.width;
  EXPECT_EQ(CountNot(s, kWhite, 0, 0, 200, top), 0);
  EXPECT_GT(CountColour(s, kRed, left, top, 200, 80), 0);
  EXPECT_GT(CountColour(s, kBlack, left, top, 200, 80), 0);  // opaque background
  EXPECT_EQ(GetTextColor(s.dc()), kBlue);                    // restored

  s.Clear(kWhite);
  SayStyle transparent;
  transparent.fore = kRed;
  transparent.pixels = true;
  transparent.transparent = true;
  WSay(nullptr, s.dc(), 10, 20, "X", transparent);
  EXPECT_EQ(CountNot(s, kWhite, 0, 0, 200, 10), 0);
  EXPECT_EQ(CountNot(s, kWhite, 0, 0, 20, 80), 0);
  EXPECT_GT(CountColour(s, kRed, 20, 10, 200, 80), 0);
  EXPECT_EQ(CountColour(s, kBlack, 0, 0, 200, 80), 0);

  s.Clear(kWhite);
  WSayRect(nullptr, s.dc(), 1, 1, "ab", kBlack, kRed, 50);
  EXPECT_EQ(s.Pixel(cell.width + 49, cell.height), kRed);      // the cell's far end
  EXPECT_EQ(s.Pixel(cell.width + 50, cell.height), kWhite);    // just past it
  EXPECT_EQ(s.Pixel(cell.width, 2 * cell.height), kWhite);     // one row high
}

TEST(Icons, FocusedIconIsTintedBlueOnItsOpaquePixelsOnly) {
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  ASSERT_NE(icon, nullptr);
  MemorySurface plain(64, 64), focused(64, 64);
  plain.Clear(RGB(200, 200, 200));
  focused.Clear(RGB(200, 200, 200));
  DrawIcon(plain.dc(), 20, 10, icon);              // x 20, y 10
  ASSERT_TRUE(DrawIconFocus(focused.dc(), 10, 20, icon));  // row 10, col 20
  int tinted = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const COLORREF a = plain.Pixel(x, y);
      const COLORREF b = focused.Pixel(x, y);
      const bool inside = x >= 20 && x < 52 && y >= 10 && y < 42;
      if (!inside) {
        ASSERT_EQ(b, a) << x << "," << y;
        continue;
      }
      const COLORREF tint = RGB(GetRValue(a) / 2, GetGValue(a) / 2, GetBValue(a) / 2 + 64);
      ASSERT_TRUE(b == a || b == tint) << x << "," << y;
      tinted += b == tint && b != a;
    }
  }
  EXPECT_GT(tinted, 50);
  // The background around the icon's shape stays as it was.
  EXPECT_EQ(focused.Pixel(20, 10), plain.Pixel(20, 10));
}

// A surface of 8 bits per pixel with the 16 standard colours: the focus is a checkerboard of
// dark blue over the icon's opaque pixels, the rest of the icon as drawn plainly.
TEST(Icons, FocusedIconAtEightBitsIsACheckerboardOfItsOpaquePixels) {
  struct EightBits {
    EightBits() {
      struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
      } info = {};
      info.header.biSize = sizeof info.header;
      info.header.biWidth = 64;
      info.header.biHeight = -64;
      info.header.biPlanes = 1;
      info.header.biBitCount = 8;
      info.header.biClrUsed = 16;
      const COLORREF standard[16] = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                                     RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
                                     RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
                                     RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
      for (int i = 0; i < 16; ++i) {
        info.colours[i] = RGBQUAD{GetBValue(standard[i]), GetGValue(standard[i]), GetRValue(standard[i]), 0};
      }
      void* bits = nullptr;
      bitmap.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
      previous = SelectObject(dc.get(), bitmap.get());
      const RECT all = {0, 0, 64, 64};
      Brush grey(CreateSolidBrush(RGB(192, 192, 192)));
      FillRect(dc.get(), &all, grey.get());
    }
    ~EightBits() { SelectObject(dc.get(), previous); }
    MemoryDC dc;
    Bitmap bitmap;
    HGDIOBJ previous = nullptr;
  };
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  ASSERT_NE(icon, nullptr);
  EightBits plain, focused;
  ASSERT_NE(plain.bitmap.get(), nullptr);
  DrawIcon(plain.dc.get(), 20, 10, icon);
  ASSERT_TRUE(DrawIconFocus(focused.dc.get(), 10, 20, icon));
  int marked = 0;
  int parity = -1;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const COLORREF a = GetPixel(plain.dc.get(), x, y);
      const COLORREF b = GetPixel(focused.dc.get(), x, y);
      const bool inside = x >= 20 && x < 52 && y >= 10 && y < 42;
      if (!inside || b == a) {
        ASSERT_EQ(b, a) << x << "," << y;
        continue;
      }
      ASSERT_EQ(b, RGB(0, 0, 128)) << x << "," << y;
      if (parity < 0) parity = (x + y) % 2;
      ASSERT_EQ((x + y) % 2, parity) << x << "," << y;  // one cell of two, like a checkerboard
      ++marked;
    }
  }
  EXPECT_GT(marked, 50);
  EXPECT_EQ(GetPixel(focused.dc.get(), 20, 10), GetPixel(plain.dc.get(), 20, 10));  // the icon's transparent corner
}

TEST(Cursors, FrameworkCursorsAreMadeOnceAndStandardOnesSet) {
  HCURSOR hand = GetCursorHand();
  EXPECT_NE(hand, nullptr);
  EXPECT_EQ(GetCursorHand(), hand);
  std::array<HCURSOR, 3> own = {GetCursorCatch(), GetCursorStop(), GetCursorDrag()};
  for (HCURSOR c : own) EXPECT_NE(c, nullptr);
  EXPECT_NE(own[0], own[1]);
  EXPECT_NE(own[1], own[2]);
  EXPECT_EQ(GetCursorStop(), own[1]);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(own[0], &info));
  EXPECT_EQ(info.xHotspot, 16u);
  EXPECT_EQ(info.yHotspot, 16u);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  ASSERT_TRUE(GetIconInfo(own[2], &info));
  EXPECT_EQ(info.xHotspot, 6u);
  EXPECT_EQ(info.yHotspot, 0u);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);

  CursorIBeam();
  EXPECT_EQ(CursorArrow(), LoadCursorA(nullptr, IDC_IBEAM));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  CursorCatch();
  EXPECT_EQ(GetCursor(), own[0]);
  // Each standard cursor, the second time as kept from the first.
  const std::pair<void (*)(), LPCSTR> standard[] = {{[] { CursorArrow(); }, IDC_ARROW},
                                                    {[] { CursorIBeam(); }, IDC_IBEAM},
                                                    {[] { CursorWE(); }, IDC_SIZEWE},
                                                    {CursorWait, IDC_WAIT}};
  for (int round = 1; round <= 2; ++round) {
    for (const auto& [set, id] : standard) {
      set();
      EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, id)) << round;
    }
  }
  CursorArrow();
}

// A painted window for the helpers that work on real windows.
class RedWindow {
 public:
  RedWindow() : window_(&log_, WS_POPUP | WS_VISIBLE) {
    SetWindowPos(window_.get(), HWND_TOP, 0, 0, 100, 60, SWP_SHOWWINDOW);
    SetClassLongPtrA(window_.get(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(red_.get()));
    ::InvalidateRect(window_.get(), nullptr, TRUE);
    UpdateWindow(window_.get());
    vdr::test::PumpUntil([] { return false; }, 100);
  }
  ~RedWindow() {
    SetClassLongPtrA(window_.get(), GCLP_HBRBACKGROUND,
                     reinterpret_cast<LONG_PTR>(GetStockObject(WHITE_BRUSH)));
  }
  HWND get() const { return window_.get(); }

 private:
  test::ProbeLog log_;
  Brush red_{CreateSolidBrush(kRed)};
  test::ProbeWindow window_;
};

TEST(WindowImages, WndPrintCopiesTheClientAreaEnlarged) {
  RedWindow window;
  MemorySurface s(300, 200);
  s.Clear(kWhite);
  WndPrint(window.get(), s.dc(), 10, 5, 2);
  EXPECT_EQ(s.Pixel(10, 5), kRed);
  EXPECT_EQ(s.Pixel(10 + 199, 5 + 119), kRed);
  EXPECT_EQ(s.Pixel(10 + 200, 5), kWhite);
  EXPECT_EQ(s.Pixel(9, 5), kWhite);
}

TEST(Bars, BarAdjustHidesTheBarsBorderBeyondTheParentsEdges) {
  test::ProbeLog log;
  test::ProbeWindow parent(&log, WS_OVERLAPPEDWINDOW);
  RECT pc;
  ::GetClientRect(parent.get(), &pc);
  test::ProbeWindow bar(&log, WS_CHILD | WS_BORDER | WS_VISIBLE, parent.get());
  SetWindowPos(bar.get(), nullptr, 0, 0, 50, 28, SWP_NOZORDER);
  auto where = [&] { return GetCoors(bar.get()); };

  BarAdjust(bar.get(), 1, false, 0);
  EXPECT_EQ(where(), (Rect{-1, -1, 27, pc.right + 1}));
  BarAdjust(bar.get(), 1, false, 0);  // again: the bar keeps its size
  EXPECT_EQ(where(), (Rect{-1, -1, 27, pc.right + 1}));

  BarAdjust(bar.get(), 4, true, 21);  // above a message bar 21 high: m = 20
  EXPECT_EQ(where().top, pc.bottom - 26 - 20 - 2);
  EXPECT_EQ(where().bottom - where().top, 28);

  SetWindowPos(bar.get(), nullptr, 0, 0, 40, 28, SWP_NOZORDER);
  BarAdjust(bar.get(), 3, false, 0);
  EXPECT_EQ(where(), (Rect{-1, pc.right - 38 - 1, pc.bottom, pc.right + 1}));
  const Rect before = where();
  BarAdjust(bar.get(), 9, false, 0);  // not a mode: nothing
  EXPECT_EQ(where(), before);
}

TEST(Lists, MeasureItemSetsTheHeight) {
  MEASUREITEMSTRUCT item = {};
  EXPECT_TRUE(LbxMeasure(&item, 19));
  EXPECT_EQ(item.itemHeight, 19u);
}

TEST(TreeView, SelectionHitTestAndDeletion) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND tree = CreateWindowA(WC_TREEVIEWA, "", WS_POPUP | WS_VISIBLE | TVS_HASLINES, 0, 0, 200, 200,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(tree, nullptr);
  auto add = [&](const char* text) {
    TVINSERTSTRUCTA ins = {};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<char*>(text);
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  };
  HTREEITEM a = add("Empresas");
  HTREEITEM b = add("Artículos");
  EXPECT_EQ(TVGetSelText(tree), "");
  ASSERT_TRUE(TVSelect(tree, b));
  EXPECT_EQ(TVGetSelected(tree), b);
  EXPECT_EQ(TVGetSelText(tree), "Artículos");

  RECT r = {};
  *reinterpret_cast<HTREEITEM*>(&r) = a;
  ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(TVHitTest(tree, (r.top + r.bottom) / 2, r.left + 2), a);
  EXPECT_EQ(TVHitTest(tree, 190, 190), nullptr);

  EXPECT_FALSE(TVDeleteItem(tree, nullptr));  // no item is not "every item"
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 2);
  EXPECT_TRUE(TVDeleteItem(tree, a));
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(TVDeleteAllItems(tree));
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 0);
  DestroyWindow(tree);

  HIMAGELIST list = ILCreate(16, 16);
  ASSERT_NE(list, nullptr);
  Bitmap image(CreateBitmap(16, 16, 1, 32, nullptr));
  EXPECT_EQ(ILAddMasked(list, image.get(), kWhite), 0);
  EXPECT_EQ(ILAdd(list, image.get(), nullptr), 1);
  ILSetBkColor(list, kRed);
  EXPECT_EQ(ILSetBkColor(list, kBlue), kRed);
  EXPECT_TRUE(ILDestroy(list));
  EXPECT_FALSE(ILDestroy(nullptr));
}

}  // namespace
}  // namespace ui
