// The painters on memory surfaces: frames, meter, bitmap button face, bars and list items,
// checked at the pixels whose geometry matters.
#include "ui/bridge/painters.h"

#include <gtest/gtest.h>

#include "ui/bridge/bitmaps.h"
#include "ui/bridge/bmp_test_support.h"
#include "ui/bridge/builtin_images.h"
#include "ui/bridge/gdi_handles.h"
#include "tests/support/screenshot.h"

namespace ui {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

COLORREF Shadow() { return GetSysColor(COLOR_BTNSHADOW); }
COLORREF Light() { return GetSysColor(COLOR_BTNHIGHLIGHT); }
COLORREF Face() { return GetSysColor(COLOR_BTNFACE); }

int Count(const MemorySurface& s, COLORREF colour, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) n += s.Pixel(x, y) == colour;
  return n;
}

// A w x h device bitmap: red top-left corner pixel row/column, blue inside.
HBITMAP Glyph(int w, int h) {
  HDC screen = GetDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  MemoryDC dc(nullptr);
  SelectionScope select(dc.get(), b);
  Brush blue(CreateSolidBrush(kBlue));
  Brush red(CreateSolidBrush(kRed));
  RECT all = {0, 0, w, h}, top = {0, 0, w, 1}, left = {0, 0, 1, h};
  FillRect(dc.get(), &all, blue.get());
  FillRect(dc.get(), &top, red.get());
  FillRect(dc.get(), &left, red.get());
  return b;
}

TEST(DrawBoxLines, EachStyleDrawsItsPensOnTheEdges) {
  struct Case {
    FrameStyle style;
    COLORREF first, second;
  } cases[] = {
      {FrameStyle::kSunken, Shadow(), Light()},
      {FrameStyle::kRaised, Light(), Shadow()},
      {FrameStyle::kPressedDark, kBlack, Light()},
      {FrameStyle::kRaisedDark, Light(), kBlack},
  };
  for (const Case& c : cases) {
    MemorySurface s(12, 10);
    s.Clear(kYellow);
    HGDIOBJ pen = GetCurrentObject(s.dc(), OBJ_PEN);
    DrawBoxLines(s.dc(), RECT{1, 1, 8, 6}, c.style);
    const int style = static_cast<int>(c.style);
    EXPECT_EQ(s.Pixel(1, 1), c.first) << style;   // top-left corner
    EXPECT_EQ(s.Pixel(5, 1), c.first) << style;   // top edge
    EXPECT_EQ(s.Pixel(1, 4), c.first) << style;   // left edge
    EXPECT_EQ(s.Pixel(1, 6), c.second) << style;  // bottom-left corner belongs to the second pen
    EXPECT_EQ(s.Pixel(5, 6), c.second) << style;
    EXPECT_EQ(s.Pixel(8, 6), c.second) << style;  // bottom-right
    EXPECT_EQ(s.Pixel(8, 1), c.second) << style;  // top-right
    EXPECT_EQ(s.Pixel(8, 0), kYellow) << style;   // nothing above the top
    EXPECT_EQ(s.Pixel(9, 3), kYellow) << style;
    EXPECT_EQ(s.Pixel(4, 3), kYellow) << style;   // nor inside
    EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PEN), pen);
  }
}

TEST(MeterPaint, CaptionText) {
  struct Case {
    const char* text;
    bool percentage;
    int percent;
    const char* caption;
  } cases[] = {
      {"", true, 5, "  5%"},       {"Tablas", true, 7, "Tablas   7%"}, {"", true, 42, " 42%"},
      {"", true, 100, "100%"},     {"Tablas", false, 50, "Tablas "},   {"", false, 50, ""},
      {"", true, 150, "100%"},     {"", true, -3, "  0%"},
  };
  for (const Case& c : cases) EXPECT_EQ(MeterCaption(c.text, c.percentage, c.percent), c.caption);
}

TEST(MeterPaint, BarAndRestShareTheInsideWithoutAGapAtAnyWidth) {
  MeterPaintParams p;
  p.back = kCyan;
  p.bar = kNavy;
  for (int width : {200, 800}) {
    for (int percent : {0, 1, 50, 99, 100, 250}) {
      MemorySurface s(width, 20);
      s.Clear(kYellow);
      p.percent = percent;
      MeterPaintOn(s.dc(), RECT{0, 0, width, 20}, p);
      const int clamped = std::min(percent, 100);
      const int bar_right = (width - 1) * clamped / 100;
      const int inside = (width - 2) * 18;
      const int bar = Count(s, kNavy, 1, 1, width - 1, 19);
      const int rest = Count(s, kCyan, 1, 1, width - 1, 19);
      EXPECT_EQ(bar + rest, inside) << width << " at " << percent;  // no column left unpainted
      EXPECT_EQ(bar, std::max(0, bar_right - 1) * 18) << width << " at " << percent;
      if (clamped == 100) {
        EXPECT_EQ(rest, 0);
      }
      EXPECT_EQ(s.Pixel(0, 0), Shadow());            // sunken frame
      EXPECT_EQ(s.Pixel(width - 1, 19), Light());
    }
  }
}

TEST(MeterPaint, TheCaptionShowsInBarColoursOverTheBarAndPlainOverTheRest) {
  MemorySurface s(240, 24);
  MeterPaintParams p{.percent = 50, .text = "Procesando ficheros", .percentage = true, .back = kWhite,
                     .text_colour = kRed, .bar = kNavy, .bar_text = kYellow};
  MeterPaintOn(s.dc(), RECT{0, 0, 240, 24}, p);
  EXPECT_GT(Count(s, kYellow, 0, 0, 119, 24), 10);
  EXPECT_EQ(Count(s, kYellow, 120, 0, 240, 24), 0);
  EXPECT_GT(Count(s, kRed, 120, 0, 240, 24), 10);
  EXPECT_EQ(Count(s, kRed, 0, 0, 119, 24), 0);
}

class BtnPaintTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HBITMAP b : made_) DeleteObject(b);
  }
  HBITMAP Make(int w, int h) {
    made_.push_back(Glyph(w, h));
    return made_.back();
  }
  std::vector<HBITMAP> made_;
};

TEST_F(BtnPaintTest, PromptBelowRaisesTheBitmapAndSitsAboveTheBottom) {
  MemorySurface s(60, 50);
  s.Clear(kWhite);
  SIZE text = {};
  GetTextExtentPoint32A(s.dc(), "Abc", 3, &text);
  BtnPaintParams p{.normal = Make(10, 8), .border = true, .transparent = Face(), .prompt = "Abc",
                   .prompt_pos = PromptPos::kBelow, .text = kBlack};
  PalBtnPaintOn(s.dc(), RECT{0, 0, 60, 50}, true, p);
  const int x = 60 / 2 - 5;
  const int y = (50 - text.cy - 2) / 2 - 4;
  EXPECT_EQ(s.Pixel(x, y), Face());  // the top-left colour took the transparent colour
  EXPECT_EQ(s.Pixel(x + 1, y + 1), kBlue);
  EXPECT_EQ(s.Pixel(x + 9, y + 7), kBlue);
  EXPECT_EQ(s.Pixel(x + 10, y + 8), kWhite);
  const int text_top = 50 - text.cy - 4;
  EXPECT_GT(Count(s, kBlack, 0, text_top, 60, text_top + text.cy), 5);
  EXPECT_EQ(Count(s, kBlack, 1, 1, 59, text_top), 0);
  EXPECT_EQ(s.Pixel(0, 0), Light());  // raised frame
  EXPECT_EQ(s.Pixel(59, 49), Shadow());
}

TEST_F(BtnPaintTest, PressedDisabledArrowAndDarkFrames) {
  struct Case {
    const char* name;
    BtnPaintParams params;
    bool enabled;
    POINT blue;       // a pixel of the bitmap's inside
    POINT not_blue;   // just outside it
    COLORREF corner;  // frame colour at (0, 0)
    COLORREF bottom_right;
  };
  const HBITMAP normal = Make(10, 8);
  const HBITMAP pressed = Make(6, 6);
  const HBITMAP disabled = Make(4, 4);
  const Case cases[] = {
      {"pressed, no pressed bitmap", {.normal = normal, .is_pressed = true, .transparent = Face()}, true,
       {27, 23}, {26, 22}, Shadow(), Light()},
      {"pressed bitmap", {.normal = normal, .pressed = pressed, .is_pressed = true, .transparent = Face()}, true,
       {29, 24}, {34, 29}, Shadow(), Light()},
      {"disabled", {.normal = normal, .disabled = disabled, .border = true, .transparent = Face()}, false,
       {29, 24}, {28, 23}, Light(), Shadow()},
      {"arrow", {.normal = normal, .border = true, .arrow = true, .transparent = Face()}, true,
       {18, 22}, {28, 22}, Light(), Shadow()},
      {"dark raised", {.normal = normal, .border = true, .transparent = Shadow()}, true, {26, 22}, {36, 22},
       Light(), kBlack},
      {"dark pressed", {.normal = normal, .is_pressed = true, .transparent = Shadow()}, true, {27, 23}, {26, 22},
       kBlack, Light()},
  };
  for (const Case& c : cases) {
    MemorySurface s(60, 50);
    s.Clear(kWhite);
    PalBtnPaintOn(s.dc(), RECT{0, 0, 60, 50}, c.enabled, c.params);
    EXPECT_EQ(s.Pixel(c.blue.x, c.blue.y), kBlue) << c.name;
    EXPECT_NE(s.Pixel(c.not_blue.x, c.not_blue.y), kBlue) << c.name;
    EXPECT_EQ(s.Pixel(0, 0), c.corner) << c.name;
    EXPECT_EQ(s.Pixel(59, 49), c.bottom_right) << c.name;
  }
}

TEST_F(BtnPaintTest, AdjustStretchesOverTheFaceAndADisabledPromptIsEmbossed) {
  MemorySurface s(40, 30);
  s.Clear(kWhite);
  const COLORREF green = RGB(0, 128, 0);
  BtnPaintParams p{.normal = Make(4, 4), .adjust = true, .transparent = Face(), .prompt = "Xy", .text = green};
  PalBtnPaintOn(s.dc(), RECT{0, 0, 40, 30}, false, p);
  // Stretched to the client size from (1, 1): the picture reaches the far corner.
  EXPECT_EQ(s.Pixel(30, 25), kBlue);
  EXPECT_EQ(s.Pixel(39, 29), kBlue);
  EXPECT_EQ(Count(s, green, 0, 0, 40, 30), 0);  // disabled: not the enabled colour
  EXPECT_GT(Count(s, Shadow(), 2, 2, 38, 28), 3);
}

TEST(BarPaint, FrameAndGripsAlongOrAcrossTheBar) {
  MemorySurface wide(200, 30);
  wide.Clear(kYellow);
  BarPaintOn(wide.dc(), RECT{0, 0, 200, 30}, true);
  EXPECT_EQ(wide.Pixel(50, 0), Shadow());  // the line on top
  EXPECT_EQ(wide.Pixel(0, 10), Light());   // raised frame from y = 1
  EXPECT_EQ(wide.Pixel(199, 10), Shadow());
  EXPECT_EQ(wide.Pixel(50, 29), Shadow());
  EXPECT_EQ(wide.Pixel(4, 10), Light());  // grips at x 4-6 and 7-9
  EXPECT_EQ(wide.Pixel(6, 10), Shadow());
  EXPECT_EQ(wide.Pixel(7, 10), Light());
  EXPECT_EQ(wide.Pixel(9, 10), Shadow());
  EXPECT_EQ(wide.Pixel(15, 10), kYellow);

  MemorySurface tall(30, 200);
  tall.Clear(kYellow);
  BarPaintOn(tall.dc(), RECT{0, 0, 30, 200}, false);
  EXPECT_EQ(tall.Pixel(10, 0), Light());  // no line on top: the frame starts at y = 0
  EXPECT_EQ(tall.Pixel(10, 2), Light());  // grips across the top, y 2-4 and 5-7
  EXPECT_EQ(tall.Pixel(10, 4), Shadow());
  EXPECT_EQ(tall.Pixel(10, 5), Light());
  EXPECT_EQ(tall.Pixel(10, 7), Shadow());
  EXPECT_EQ(tall.Pixel(4, 10), kYellow);  // nothing along the side
}

TEST(MsgPaint, TextAreaFrameAndInnerBox) {
  MemorySurface s(300, 24);
  s.Clear(kYellow);
  MsgPaintParams p{.message = "", .default_message = "Listo", .look_3d = true, .items_left = 200,
                   .text = kRed, .back = kWhite, .inner_box = true};
  MsgPaintOn(s.dc(), RECT{0, 0, 300, 24}, p);
  EXPECT_EQ(s.Pixel(100, 10), kWhite);     // text area, background
  EXPECT_GT(Count(s, kRed, 4, 4, 189, 20), 5);  // the default text
  EXPECT_EQ(s.Pixel(195, 10), kYellow);    // right of nItemsLeft - 11 nothing is painted
  EXPECT_EQ(s.Pixel(0, 0), Light());       // raised frame
  EXPECT_EQ(s.Pixel(299, 23), Shadow());
  EXPECT_EQ(s.Pixel(3, 10), Shadow());     // sunken inner box
  EXPECT_EQ(s.Pixel(191, 10), Light());
}

TEST(LbxDrawItem, SelectedItemFillsItsRectangleAndShowsItsBitmap) {
  MemorySurface s(120, 20);
  s.Clear(kYellow);
  HBITMAP glyph = Glyph(10, 10);
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_LISTBOX;
  item.itemID = 1;
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = ODS_SELECTED;
  item.hDC = s.dc();
  item.rcItem = RECT{0, 2, 100, 18};
  LbxItemParams p{.bitmaps = {nullptr, glyph}, .items = {"Uno", "Dos"}, .bitmap_width = 12, .bitmap_index = {}};
  EXPECT_TRUE(LbxDrawItem(item, p));
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(s.Pixel(95, 3), highlight);
  EXPECT_EQ(s.Pixel(0, 2), highlight);  // the bitmap's red corner is transparent
  EXPECT_EQ(s.Pixel(3, 5), kBlue);
  EXPECT_EQ(s.Pixel(105, 10), kYellow);
  EXPECT_GT(Count(s, GetSysColor(COLOR_HIGHLIGHTTEXT), 15, 2, 100, 18), 5);
  EXPECT_EQ(GetBkColor(s.dc()), kWhite);  // colours put back

  // A block chooses the bitmap; an item beyond the bitmaps has none.
  s.Clear(kYellow);
  item.itemState = 0;
  p.bitmap_index = [](int) { return 2; };
  item.itemID = 0;
  LbxDrawItem(item, p);
  EXPECT_EQ(s.Pixel(3, 5), kBlue);
  // An empty list draws the focus rectangle only.
  s.Clear(kWhite);
  item.itemID = static_cast<UINT>(-1);
  LbxDrawItem(item, p);
  EXPECT_GT(120 - Count(s, kWhite, 0, 2, 120, 3), 10);  // the dotted top edge
  EXPECT_EQ(s.Pixel(50, 10), kWhite);
  DeleteObject(glyph);
}

TEST(GrayOutArea, InkBecomesShadowWithAHighlightBelowRight) {
  MemorySurface s(20, 20);
  s.Clear(Face());
  Brush black(CreateSolidBrush(kBlack));
  RECT ink = {5, 5, 9, 9};
  FillRect(s.dc(), &ink, black.get());
  GrayOutArea(s.dc(), RECT{0, 0, 20, 20});
  EXPECT_EQ(s.Pixel(5, 5), Shadow());
  EXPECT_EQ(s.Pixel(8, 8), Shadow());
  EXPECT_EQ(s.Pixel(9, 9), Light());
  EXPECT_EQ(s.Pixel(9, 6), Light());
  EXPECT_EQ(s.Pixel(2, 2), Face());
}

// A sheet of every painter, saved for a person to look at (painters.bmp in the screenshots).
TEST(Painters, SheetForTheEye) {
  MemorySurface s(420, 260);
  s.Clear(Face());
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  int top = 10;
  for (int percent : {0, 7, 63, 100}) {
    MeterPaintOn(s.dc(), RECT{10, top, 250, top + 20},
                 MeterPaintParams{.percent = percent, .text = "Clientes", .percentage = true, .back = kWhite,
                                  .text_colour = kBlack, .bar = kNavy, .bar_text = kWhite, .font = font});
    top += 26;
  }
  // Buttons: each on a surface of its own, then copied onto the sheet.
  Bitmap picture(VxBitmap(nullptr));
  int left = 10;
  for (int kind = 0; kind < 4; ++kind) {
    MemorySurface button(64, 60);
    button.Clear(Face());
    BtnPaintParams p{.normal = picture.get(), .is_pressed = kind == 1, .border = true, .transparent = Face(),
                     .prompt = kind == 3 ? "" : "Salir", .prompt_pos = PromptPos::kBelow, .font = font};
    PalBtnPaintOn(button.dc(), RECT{0, 0, 64, 60}, kind != 2, p);
    BitBlt(s.dc(), left, 120, 64, 60, button.dc(), 0, 0, SRCCOPY);
    left += 70;
  }
  {
    MemorySurface bar(400, 28);
    bar.Clear(Face());
    BarPaintOn(bar.dc(), RECT{0, 0, 400, 28}, true);
    BitBlt(s.dc(), 10, 190, 400, 28, bar.dc(), 0, 0, SRCCOPY);
    MemorySurface msg(400, 24);
    msg.Clear(Face());
    MsgPaintOn(msg.dc(), RECT{0, 0, 400, 24},
               MsgPaintParams{.message = "Organización de ficheros", .look_3d = true, .items_left = 300,
                              .font = font, .inner_box = true});
    BitBlt(s.dc(), 10, 226, 400, 24, msg.dc(), 0, 0, SRCCOPY);
  }
  {
    MemorySurface bar(28, 100);
    bar.Clear(Face());
    BarPaintOn(bar.dc(), RECT{0, 0, 28, 100}, false);
    BitBlt(s.dc(), 380, 10, 28, 100, bar.dc(), 0, 0, SRCCOPY);
  }
  HGLOBAL dib = DibFromBitmap(s.bitmap(), nullptr);
  ASSERT_NE(dib, nullptr);
  EXPECT_TRUE(DibWrite(vdr::test::ScreenshotFolder() + "\\painters.bmp", dib));
  GlobalFree(dib);
}

}  // namespace
}  // namespace ui
