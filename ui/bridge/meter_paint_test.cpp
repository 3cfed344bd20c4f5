// The meter painter and the shared 3-D frame, pixel by pixel.
#include "ui/bridge/meter_paint.h"

#include <gtest/gtest.h>

#include "ui/bridge/frame_lines.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/probe_window_test_support.h"

namespace ui {
namespace {

constexpr COLORREF kBack = RGB(250, 250, 240);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kBar = RGB(0, 0, 255);
constexpr COLORREF kBarText = RGB(255, 255, 0);

TEST(MeterCaption, TextBlankAndPercentage) {
  struct Case {
    std::string text;
    int percent;
    bool percentage;
    const char* want;
  };
  const Case cases[] = {
      {std::string(1, '\0'), 5, true, "  5%"},  // the default text: none
      {"Indices", 7, true, "Indices   7%"},
      {"", 42, true, " 42%"},
      {"", 100, true, "100%"},
      {"", 0, true, "  0%"},
      {"Copia", 50, false, "Copia "},
      {"", 150, true, "100%"},  // clamped
      {"", -3, true, "  0%"},
  };
  for (const Case& c : cases) EXPECT_EQ(MeterCaption(c.text, c.percent, c.percentage), c.want) << c.percent;
}

class MeterPaintTest : public ::testing::Test {
 protected:
  // A child window of exactly width x height client pixels, painted onto a surface.
  void Paint(int width, int height, int percent, const std::string& text = "") {
    window_ = std::make_unique<test::ProbeWindow>(&log_, WS_POPUP);
    SetWindowPos(window_->get(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    surface_ = std::make_unique<MemorySurface>(width, height);
    surface_->Clear(RGB(1, 2, 3));
    MeterPaint(window_->get(), surface_->dc(), percent, text, true, MeterColours{kBack, kText, kBar, kBarText},
               nullptr);
  }
  COLORREF At(int x, int y) const { return surface_->Pixel(x, y); }
  int Count(COLORREF colour, int y) const {
    int n = 0;
    for (int x = 0; x < surface_->width(); ++x) n += At(x, y) == colour;
    return n;
  }
  test::ProbeLog log_;
  std::unique_ptr<test::ProbeWindow> window_;
  std::unique_ptr<MemorySurface> surface_;
};

TEST_F(MeterPaintTest, NoBarAtZeroAndNoRestAtHundred) {
  Paint(300, 20, 0);
  EXPECT_EQ(Count(kBar, 3), 0);
  EXPECT_EQ(At(150, 3), kBack);
  EXPECT_EQ(At(0, 5), GetSysColor(COLOR_BTNSHADOW));    // sunken frame: shadow at the left
  EXPECT_EQ(At(299, 5), GetSysColor(COLOR_BTNHIGHLIGHT)); // highlight at the right
  Paint(300, 20, 100);
  EXPECT_EQ(Count(kBack, 3), 0);
  EXPECT_EQ(At(296, 3), kBar);
  EXPECT_EQ(At(2, 3), kBar);
}

TEST_F(MeterPaintTest, BarFollowsThePercentageWithoutGaps) {
  Paint(300, 20, 50);
  EXPECT_EQ(At(10, 3), kBar);
  EXPECT_EQ(At(147, 3), kBar);
  EXPECT_EQ(At(149, 3), kBack);  // the bar ends at (300 - 1) * 50 / 100
  for (int x = 1; x < 298; ++x) {
    const COLORREF c = At(x, 3);
    EXPECT_TRUE(c == kBar || c == kBack) << x;  // every column painted
  }
}

TEST_F(MeterPaintTest, WideMetersComputeIn32Bits) {
  // (1000 - 1) * 90 overflows 16 bits; the bar still ends at 899.
  Paint(1000, 20, 90);
  EXPECT_EQ(At(897, 3), kBar);
  EXPECT_EQ(At(900, 3), kBack);
  Paint(1000, 20, 250);  // clamped to 100
  EXPECT_EQ(At(990, 3), kBar);
}

TEST_F(MeterPaintTest, CaptionShowsInBothColourPairs) {
  Paint(200, 24, 50, "Progreso");
  int bar_text = 0, plain_text = 0;
  for (int y = 2; y < 22; ++y) {
    for (int x = 1; x < 99; ++x) bar_text += At(x, y) == kBarText;
    for (int x = 100; x < 198; ++x) plain_text += At(x, y) == kText;
  }
  EXPECT_GT(bar_text, 0);
  EXPECT_GT(plain_text, 0);
}

TEST(DrawBoxLines, StylesPutTheirPensOnTheRightEdges) {
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF black = RGB(0, 0, 0);
  struct Case {
    FrameStyle style;
    COLORREF top_left, bottom_right;
  };
  const Case cases[] = {{FrameStyle::kSunken, shadow, light},
                        {FrameStyle::kRaised, light, shadow},
                        {FrameStyle::kPressedDark, black, light},
                        {FrameStyle::kRaisedDark, light, black}};
  for (const Case& c : cases) {
    MemorySurface s(20, 20);
    s.Clear(RGB(9, 9, 9));
    DrawBoxLines(s.dc(), RECT{2, 2, 12, 12}, c.style);
    EXPECT_EQ(s.Pixel(2, 7), c.top_left);      // left edge
    EXPECT_EQ(s.Pixel(7, 2), c.top_left);      // top edge
    EXPECT_EQ(s.Pixel(7, 12), c.bottom_right); // bottom edge, last row drawn
    EXPECT_EQ(s.Pixel(12, 7), c.bottom_right); // right edge, last column drawn
    EXPECT_EQ(s.Pixel(7, 7), RGB(9, 9, 9));    // inside untouched
  }
}

}  // namespace
}  // namespace ui
