// The browse's row painter and geometry, on a memory surface the size of a window's client
// area.
#include "ui/controls/browse_paint.h"

#include <gtest/gtest.h>

#include "runtime/array.h"
#include "ui/bridge/drawing.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/probe_window_test_support.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

using xb::Value;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPane = RGB(237, 239, 234);
constexpr COLORREF kLine = RGB(255, 0, 0);

int Count(const MemorySurface& s, COLORREF colour, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) n += s.Pixel(x, y) == colour;
  return n;
}

class BrowsePaintTest : public ::testing::Test {
 protected:
  BrowsePaintTest() : window_(&log_, WS_POPUP) {
    SetWindowPos(window_.get(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(window_.get(), &client);
    width_ = client.right;
    height_ = client.bottom;
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  void TearDown() override {
    strip_.Clear();
    FreeResources();
  }
  BrowseRow Row(int row) {
    BrowseRow r;
    r.row = row;
    r.values = {Value::String("0001"), Value::Integer(1250), Value::String("Pérez & Hijos")};
    r.widths = {40, 60, 100};
    r.right_aligned = {false, true, false};
    r.font = font_;
    r.pane = kPane;
    r.line_colour = kLine;
    r.extra = 5;
    return r;
  }

  test::ProbeLog log_;
  test::ProbeWindow window_;
  int width_ = 0, height_ = 0;
  HFONT font_ = nullptr;
  ImageStrip strip_;
};

TEST_F(BrowsePaintTest, RowBandCellsAndSolidGrid) {
  MemorySurface s(width_, height_);
  s.Clear(kWhite);
  const int h = BrowseRowHeight(window_.get(), font_, 5);
  PaintBrowseRow(window_.get(), s.dc(), Row(2), strip_);
  // The band fills the row from x 0 to the client's right, and nothing else.
  EXPECT_EQ(s.Pixel(20, 2 * h + h / 2 - 4), kPane);
  EXPECT_EQ(s.Pixel(width_ - 1, 2 * h + 2), kPane);
  EXPECT_EQ(Count(s, kPane, 0, 0, width_, 2 * h - 1) + Count(s, kPane, 0, 3 * h, width_, height_), 0);
  // Grid: lines on the row's last pixel row and above it, right of each cell.
  EXPECT_EQ(s.Pixel(10, 3 * h - 1), kLine);
  EXPECT_EQ(s.Pixel(10, 2 * h - 1), kLine);
  EXPECT_EQ(s.Pixel(39, 2 * h + 3), kLine);   // right of the first cell (0 .. 39)
  EXPECT_EQ(s.Pixel(99, 2 * h + 3), kLine);   // right of the second (40 .. 99)
  EXPECT_EQ(s.Pixel(150, 2 * h + 3), kPane);  // the last cell reaches the window's edge
  // Text: black ink in each cell; the number right-aligned.
  EXPECT_GT(Count(s, RGB(0, 0, 0), 2, 2 * h, 38, 3 * h - 1), 5);
  EXPECT_EQ(Count(s, RGB(0, 0, 0), 41, 2 * h, 60, 3 * h - 1), 0);
  EXPECT_GT(Count(s, RGB(0, 0, 0), 70, 2 * h, 98, 3 * h - 1), 5);
}

TEST_F(BrowsePaintTest, HeaderStylesImagesAndTheActiveCell) {
  const int h = BrowseRowHeight(window_.get(), font_, 5);
  // The header: outline and raised frame.
  MemorySurface s(width_, height_);
  s.Clear(kWhite);
  PaintBrowseRow(window_.get(), s.dc(), Row(0), strip_);
  EXPECT_EQ(s.Pixel(39, 3), kLine);
  EXPECT_EQ(s.Pixel(0, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  // Classic style: no grid.
  s.Clear(kWhite);
  BrowseRow classic = Row(1);
  classic.line_style = kLineClassic;
  PaintBrowseRow(window_.get(), s.dc(), classic, strip_);
  EXPECT_EQ(Count(s, kLine, 0, 0, width_, height_), 0);
  // An image cell from the strip, centred; only the active cell filled.
  ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  const auto green = strip_.Load("BMPVERDE");
  ASSERT_TRUE(green);
  s.Clear(kWhite);
  BrowseRow image = Row(1);
  image.values[0] = Value(xb::Array::Of({Value::Integer(green->slot), Value::Integer(16), Value::Integer(16)}));
  image.active_cell_only = true;
  image.active_column = 2;
  PaintBrowseRow(window_.get(), s.dc(), image, strip_);
  int green_pixels = 0;
  for (int y = h; y < 2 * h; ++y)
    for (int x = 0; x < 40; ++x) green_pixels += GetGValue(s.Pixel(x, y)) > GetRValue(s.Pixel(x, y)) + 60;
  EXPECT_GT(green_pixels, 100);  // the green light
  EXPECT_EQ(s.Pixel(0, h + 1), kWhite);  // around it, the transparent strip shows what was there
  EXPECT_EQ(s.Pixel(45, h + 2), kPane);                       // the active cell
  EXPECT_EQ(s.Pixel(150, h + 2), kWhite);                     // not the others
}

// Blanks over the row's transparent ground: the cells show their grid and nothing else,
// unless the font underlines them.
TEST_F(BrowsePaintTest, BlankCellsShowTheirGridAndAnUnderlinedFontsLine) {
  const int h = BrowseRowHeight(window_.get(), font_, 5);
  BrowseRow blank = Row(1);
  blank.values = {Value::String("   "), Value::String(""), Value::String(" ")};
  MemorySurface s(width_, height_);
  s.Clear(kWhite);
  PaintBrowseRow(window_.get(), s.dc(), blank, strip_);
  EXPECT_EQ(Count(s, kPane, 0, h, width_, 2 * h) + Count(s, kLine, 0, h, width_, 2 * h), width_ * h);
  EXPECT_EQ(s.Pixel(39, h + 3), kLine);
  EXPECT_EQ(s.Pixel(99, h + 3), kLine);
  EXPECT_EQ(s.Pixel(10, 2 * h - 1), kLine);

  LOGFONTA underlined = {};
  GetObjectA(font_, sizeof underlined, &underlined);
  underlined.lfUnderline = TRUE;
  Font line(CreateFontIndirectA(&underlined));
  blank.font = line.get();
  s.Clear(kWhite);
  PaintBrowseRow(window_.get(), s.dc(), blank, strip_);
  EXPECT_GT(Count(s, RGB(0, 0, 0), 2, h, 38, 2 * h - 1), 0);    // "   "
  EXPECT_EQ(Count(s, RGB(0, 0, 0), 41, h, 98, 2 * h - 1), 0);   // ""
  EXPECT_GT(Count(s, RGB(0, 0, 0), 102, h, 200, 2 * h - 1), 0);  // " "
}

// A row paints in its own font whatever font its DC holds, and leaves that one selected.
TEST_F(BrowsePaintTest, ARowPaintsAlikeWhateverFontItsDcHolds) {
  MemorySurface plain(width_, height_), holding(width_, height_);
  HGDIOBJ system = GetStockObject(SYSTEM_FONT);
  const HGDIOBJ fonts[] = {system, font_};
  MemorySurface* surfaces[] = {&plain, &holding};
  for (int i = 0; i < 2; ++i) {
    surfaces[i]->Clear(kWhite);
    SelectionScope held(surfaces[i]->dc(), fonts[i]);
    PaintBrowseRow(window_.get(), surfaces[i]->dc(), Row(1), strip_);
    EXPECT_EQ(GetCurrentObject(surfaces[i]->dc(), OBJ_FONT), fonts[i]);
  }
  int differing = 0;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) differing += plain.Pixel(x, y) != holding.Pixel(x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_GT(Count(plain, RGB(0, 0, 0), 0, 0, width_, height_), 10);
}

TEST_F(BrowsePaintTest, RowsUnderAPixelAndCellRectangles) {
  const int h = BrowseRowHeight(window_.get(), font_, 5);
  EXPECT_EQ(NWRow(window_.get(), font_, 0, 5), 0);
  EXPECT_EQ(NWRow(window_.get(), font_, h, 5), 1);
  EXPECT_EQ(NWRow(window_.get(), font_, 3 * h + h - 1, 5), 3);
  EXPECT_EQ(NWRows(window_.get(), font_, 5), height_ / h);
  const std::vector<int> widths = {40, 60, 100};
  EXPECT_EQ(ABrwPosRect(window_.get(), 1, widths, 1, 0, font_, 5), std::nullopt);
  EXPECT_EQ(ABrwPosRect(window_.get(), 1, widths, 1, 4, font_, 5), std::nullopt);
  RECT w;
  GetWindowRect(window_.get(), &w);
  const auto second = ABrwPosRect(window_.get(), 2, widths, 1, 2, font_, 5);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->left, w.left + 40);
  EXPECT_EQ(second->right, w.left + 100);
  EXPECT_EQ(second->top, w.top + 2 * h);
  EXPECT_EQ(second->bottom, w.top + 3 * h);
  const auto last = ABrwPosRect(window_.get(), 2, widths, 1, 3, font_, 5);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->right, w.right - 18);  // the last column reaches the edge
}

}  // namespace
}  // namespace ui
