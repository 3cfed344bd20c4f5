// Bitmaps from files, resources and DIB blocks, drawn on memory surfaces and checked pixel
// by pixel; the palette table; the built-in pictures; the browses' image strip.
#include "ui/bridge/bitmaps.h"

#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "runtime/test_env.h"
#include "ui/bridge/bmp_test_support.h"
#include "ui/bridge/bridge_functions.h"
#include "ui/bridge/builtin_images.h"
#include "ui/bridge/dib_format.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/palette_table.h"
#include "ui/bridge/probe_window_test_support.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

using test::BmpSpec;
using test::MakeBmp;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(192, 192, 192);

std::string TempPath(const std::string& name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "vdr_bmp_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

// A 24-bit picture: red border on a grey field, a blue pixel at (2, 1).
BmpSpec Picture(int width = 6, int height = 5) {
  return BmpSpec{.width = width, .height = height, .bit_count = 24, .pixel = [=](int x, int y) -> std::uint32_t {
                   if (x == 2 && y == 1) return kBlue;
                   if (x == 0 || y == 0 || x == width - 1 || y == height - 1) return kRed;
                   return kGrey;
                 }};
}

class BitmapsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& f : files_) DeleteFileA(f.c_str());
    FreePaletteTable();
    FreeResources();
  }
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = TempPath(name);
    test::WriteFile(path, bytes);
    files_.push_back(path);
    return path;
  }
  std::vector<std::string> files_;
};

// The picture of Picture() drawn at (x, y) on the surface.
void ExpectPicture(const MemorySurface& s, int x, int y, const char* where) {
  EXPECT_EQ(s.Pixel(x, y), kRed) << where;
  EXPECT_EQ(s.Pixel(x + 5, y + 4), kRed) << where;
  EXPECT_EQ(s.Pixel(x + 1, y + 2), kGrey) << where;
  EXPECT_EQ(s.Pixel(x + 2, y + 1), kBlue) << where;
}

TEST_F(BitmapsTest, FilesOfEveryHeaderKindReadAndDraw) {
  struct Case {
    const char* name;
    BmpSpec spec;
    bool palette;
  } cases[] = {
      {"24 bits", Picture(), false},
      {"top-down", [] { BmpSpec s = Picture(); s.height = -5; return s; }(), false},
      {"16 colours", BmpSpec{.width = 6, .height = 5, .bit_count = 4,
                             .pixel = [](int x, int y) -> std::uint32_t { return x == 2 && y == 1 ? 2 : (x == 0 || y == 0 || x == 5 || y == 4 ? 1 : 3); },
                             .colour = [](int i) -> std::uint32_t { return i == 1 ? kRed : i == 2 ? kBlue : i == 3 ? kGrey : 0; }},
       false},
      {"256 colours", BmpSpec{.width = 6, .height = 5, .bit_count = 8,
                              .pixel = [](int x, int y) -> std::uint32_t { return x == 2 && y == 1 ? 2 : (x == 0 || y == 0 || x == 5 || y == 4 ? 1 : 3); },
                              .colour = [](int i) -> std::uint32_t { return i == 1 ? kRed : i == 2 ? kBlue : i == 3 ? kGrey : 0x010101u * static_cast<std::uint32_t>(i); }},
       true},
      {"core header", BmpSpec{.width = 6, .height = 5, .bit_count = 4, .core = true,
                              .pixel = [](int x, int y) -> std::uint32_t { return x == 2 && y == 1 ? 2 : (x == 0 || y == 0 || x == 5 || y == 4 ? 1 : 3); },
                              .colour = [](int i) -> std::uint32_t { return i == 1 ? kRed : i == 2 ? kBlue : i == 3 ? kGrey : 0; }},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("kinds.bmp", MakeBmp(c.spec));
    MemorySurface s(20, 20);
    s.Clear(kWhite);

    Bitmap plain(ReadBitmap(nullptr, path));
    ASSERT_TRUE(plain);
    EXPECT_EQ(NBmpWidth(plain.get()), 6);
    EXPECT_EQ(NBmpHeight(plain.get()), 5);
    DrawBitmap(s.dc(), plain.get(), 1, 2);
    ExpectPicture(s, 2, 1, "READBITMAP");

    const BitmapAndPalette both = PalBmpRead(nullptr, path);
    Bitmap bitmap(both.bitmap);
    Palette palette(both.palette);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(palette.get() != nullptr, c.palette);
    EXPECT_EQ(LastPalette(), palette.get());
    s.Clear(kWhite);
    PalBmpDraw(s.dc(), 10, 12, bitmap.get(), palette.get(), {});
    ExpectPicture(s, 12, 10, "PALBMPREAD");

    HGLOBAL dib = DibRead(path);
    ASSERT_NE(dib, nullptr);
    s.Clear(kWhite);
    EXPECT_EQ(DibDraw(s.dc(), dib, nullptr, 3, 4), std::optional<bool>(true));
    ExpectPicture(s, 4, 3, "DIBDRAW");
    GlobalFree(dib);
  }
}

TEST_F(BitmapsTest, BadFilesGiveNothingAndMissingFilesToo) {
  auto cut = MakeBmp(Picture());
  cut.resize(cut.size() - 5);
  auto huge_colours = MakeBmp(BmpSpec{.width = 2, .height = 2, .bit_count = 8});
  huge_colours[14 + 32] = 0xFF;
  huge_colours[14 + 35] = 0x7F;
  for (const std::string& path :
       {Write("cut.bmp", cut), Write("colours.bmp", huge_colours), Write("empty.bmp", {}), TempPath("missing.bmp")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadBitmap(nullptr, path), nullptr);
    const BitmapAndPalette both = PalBmpRead(nullptr, path);
    EXPECT_EQ(both.bitmap, nullptr);
    EXPECT_EQ(both.palette, nullptr);
    EXPECT_EQ(DibRead(path), nullptr);
  }
  // A block that is no DIB is not written, drawn or turned into a palette.
  HGLOBAL junk = GlobalAlloc(GMEM_MOVEABLE, 8);
  MemorySurface s(4, 4);
  EXPECT_FALSE(DibWrite(TempPath("junk.bmp"), junk));
  EXPECT_EQ(DibDraw(s.dc(), junk, nullptr, 0, 0), std::optional<bool>(false));
  EXPECT_EQ(DibPalette(junk), nullptr);
  GlobalFree(junk);
  EXPECT_EQ(DibDraw(nullptr, junk, nullptr, 0, 0), std::nullopt);
  EXPECT_EQ(DibDraw(s.dc(), nullptr, nullptr, 0, 0), std::nullopt);
}

TEST_F(BitmapsTest, DibWriteGivesTheFileBackWithItsSizeField) {
  // A gap in the source file is left out of the block; the file written back is packed.
  BmpSpec spec = Picture();
  spec.gap = 10;
  const std::string source = Write("source.bmp", MakeBmp(spec));
  HGLOBAL block = DibRead(source);
  ASSERT_NE(block, nullptr);
  const std::string copy = TempPath("copy.bmp");
  files_.push_back(copy);
  ASSERT_TRUE(DibWrite(copy, block));
  const auto written = test::ReadFile(copy);
  ASSERT_EQ(written.size(), GlobalSize(block) + 14);
  EXPECT_EQ(written[0], 'B');
  EXPECT_EQ(dib::Get32(written.data() + 2), GlobalSize(block) + 14);
  EXPECT_EQ(dib::Get32(written.data() + 10), 14u + 40u);
  GlobalFree(block);
  Bitmap again(ReadBitmap(nullptr, copy));
  MemorySurface s(10, 10);
  DrawBitmap(s.dc(), again.get(), 0, 0);
  ExpectPicture(s, 0, 0, "written back");

  // A core-header DIB: colour entries of 3 bytes in the bits offset.
  const std::string core = Write("core.bmp", MakeBmp(BmpSpec{.width = 3, .height = 2, .bit_count = 4, .core = true}));
  HGLOBAL core_dib = DibRead(core);
  ASSERT_NE(core_dib, nullptr);
  ASSERT_TRUE(DibWrite(copy, core_dib));
  EXPECT_EQ(dib::Get32(test::ReadFile(copy).data() + 10), 14u + 12u + 16u * 3u);
  GlobalFree(core_dib);
  EXPECT_FALSE(DibWrite("Z:\\no\\such\\folder\\x.bmp", core_dib));
}

TEST_F(BitmapsTest, DibPaletteAndDibFromBitmap) {
  HGLOBAL colours = DibRead(Write("c.bmp", MakeBmp(BmpSpec{.width = 2, .height = 2, .bit_count = 4})));
  Palette palette(DibPalette(colours));
  ASSERT_TRUE(palette);
  EXPECT_EQ(GetPaletteEntries(palette.get(), 0, 0, nullptr), 16u);
  GlobalFree(colours);
  HGLOBAL true_colour = DibRead(Write("t.bmp", MakeBmp(Picture())));
  EXPECT_EQ(DibPalette(true_colour), nullptr);
  GlobalFree(true_colour);

  Bitmap source(ReadBitmap(nullptr, Write("p.bmp", MakeBmp(Picture()))));
  HGLOBAL dib = DibFromBitmap(source.get(), nullptr);
  ASSERT_NE(dib, nullptr);
  MemorySurface s(30, 20);
  s.Clear(kWhite);
  EXPECT_EQ(DibDraw(s.dc(), dib, nullptr, 2, 3), std::optional<bool>(true));
  ExpectPicture(s, 3, 2, "DIBFROMBITMAP");
  // Stretched to twice the size.
  s.Clear(kWhite);
  EXPECT_EQ(DibDraw(s.dc(), dib, nullptr, 0, 0, 12, 10), std::optional<bool>(true));
  EXPECT_EQ(s.Pixel(4, 2), kBlue);
  EXPECT_EQ(s.Pixel(5, 3), kBlue);
  EXPECT_EQ(s.Pixel(11, 9), kRed);
  GlobalFree(dib);
  EXPECT_EQ(DibFromBitmap(nullptr, nullptr), nullptr);
}

TEST_F(BitmapsTest, MaskedAndGreyedDrawsKeepTheTopLeftColourOut) {
  Bitmap picture(ReadBitmap(nullptr, Write("m.bmp", MakeBmp(Picture()))));  // top-left red
  MemorySurface s(20, 20);
  s.Clear(kGreen);
  DrawMasked(s.dc(), picture.get(), 2, 3);
  EXPECT_EQ(s.Pixel(3, 2), kGreen);  // the red border is transparent
  EXPECT_EQ(s.Pixel(4, 4), kGrey);
  EXPECT_EQ(s.Pixel(5, 3), kBlue);
  // The DC's colours are left as they were.
  EXPECT_EQ(GetBkColor(s.dc()), kWhite);
  EXPECT_EQ(GetTextColor(s.dc()), kBlack);

  s.Clear(kGreen);
  DrawGrayed(s.dc(), picture.get(), 0, 0);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  // The border shows the checkerboard, the inside its own pixels.
  EXPECT_NE(s.Pixel(0, 0), s.Pixel(1, 0));
  EXPECT_TRUE(s.Pixel(0, 0) == face || s.Pixel(0, 0) == light);
  EXPECT_TRUE(s.Pixel(1, 0) == face || s.Pixel(1, 0) == light);
  EXPECT_EQ(s.Pixel(0, 0), s.Pixel(2, 0));
  EXPECT_EQ(s.Pixel(0, 0), s.Pixel(5, 1));
  EXPECT_EQ(s.Pixel(1, 1), kGrey);  // inside: the picture's own grey
  EXPECT_EQ(s.Pixel(2, 1), kBlue);
  EXPECT_EQ(s.Pixel(7, 0), kGreen);  // outside the picture nothing changes
}

TEST_F(BitmapsTest, PaletteDrawRecoloursOnceStretchesAndHonoursTheRasterOperation) {
  Bitmap picture(ReadBitmap(nullptr, Write("r.bmp", MakeBmp(Picture()))));
  MemorySurface s(30, 30);
  s.Clear(kWhite);
  PalDrawOptions recolour{.change_colour = true, .new_colour = kGreen};
  PalBmpDraw(s.dc(), 0, 0, picture.get(), nullptr, recolour);
  EXPECT_EQ(s.Pixel(0, 0), kGreen);  // the red border became green
  EXPECT_EQ(s.Pixel(2, 1), kBlue);
  EXPECT_EQ(TopLeftColour(picture.get()), kGreen);  // in the bitmap itself
  recolour.new_colour = kGreen;
  PalBmpDraw(s.dc(), 0, 10, picture.get(), nullptr, recolour);  // nothing left to change
  EXPECT_EQ(s.Pixel(10, 0), kGreen);
  EXPECT_EQ(s.Pixel(11, 1), kGrey);

  // Its own size given: not stretched, nRop applied.
  s.Clear(kWhite);
  PalBmpDraw(s.dc(), 0, 0, picture.get(), nullptr, PalDrawOptions{.width = 6, .height = 5, .rop = NOTSRCCOPY});
  EXPECT_EQ(s.Pixel(2, 1), RGB(255, 255, 0));  // NOT blue
  EXPECT_EQ(s.Pixel(6, 0), kWhite);
  // Another size: stretched, always copied.
  s.Clear(kWhite);
  PalBmpDraw(s.dc(), 0, 0, picture.get(), nullptr, PalDrawOptions{.width = 12, .height = 10, .rop = NOTSRCCOPY});
  EXPECT_EQ(s.Pixel(11, 9), kGreen);
  EXPECT_EQ(s.Pixel(5, 3), kBlue);
  // Nothing without a DC or a bitmap.
  PalBmpDraw(nullptr, 0, 0, picture.get(), nullptr, {});
  PalBmpDraw(s.dc(), 0, 0, nullptr, nullptr, {});
  EXPECT_EQ(NBmpWidth(nullptr), 0);
  EXPECT_EQ(NBmpHeight(nullptr), 0);
}

TEST_F(BitmapsTest, StretchedPlainDrawAndCopy) {
  Bitmap picture(ReadBitmap(nullptr, Write("s.bmp", MakeBmp(Picture()))));
  MemorySurface s(30, 30);
  s.Clear(kWhite);
  DrawBitmap(s.dc(), picture.get(), 1, 1, 18, 15, 0);
  EXPECT_EQ(s.Pixel(1, 1), kRed);
  EXPECT_EQ(s.Pixel(18, 15), kRed);
  EXPECT_EQ(s.Pixel(8, 5), kBlue);  // (2, 1) three times larger
  EXPECT_EQ(s.Pixel(19, 16), kWhite);
  Bitmap copy(CopyBitmap(picture.get()));
  s.Clear(kWhite);
  DrawBitmap(s.dc(), copy.get(), 0, 0);
  ExpectPicture(s, 0, 0, "copy");
}

TEST_F(BitmapsTest, ResourcesWithPaletteOrNothing) {
  ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  const BitmapAndPalette green = PalBmpLoad("BMPVERDE");
  Bitmap bitmap(green.bitmap);
  Palette palette(green.palette);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(NBmpWidth(bitmap.get()), 16);
  const BitmapAndPalette none = PalBmpLoad("NOEXISTE");
  EXPECT_EQ(none.bitmap, nullptr);
  EXPECT_EQ(none.palette, nullptr);
  Bitmap loaded(LoadBitmapFrom(GetResources(), "BMPROJO"));
  EXPECT_TRUE(loaded);
}

TEST_F(BitmapsTest, PaletteTableKeepsOneForegroundEntry) {
  test::ProbeLog log;
  test::ProbeWindow window(&log);
  HBITMAP first = CreateBitmap(2, 2, 1, 32, nullptr);
  HBITMAP second = CreateBitmap(2, 2, 1, 32, nullptr);
  LOGPALETTE one = {0x300, 1, {{10, 20, 30, 0}}};
  HPALETTE palette = CreatePalette(&one);
  EXPECT_EQ(SetForeBmp(first, nullptr), std::nullopt);  // no foreground entry yet
  EXPECT_EQ(PalBmpNew(nullptr, first, nullptr), 1);
  EXPECT_EQ(PalBmpNew(window.get(), second, palette), 2);  // window and palette: foreground
  EXPECT_EQ(PalBmpNew(nullptr, first, nullptr), 1);        // same bitmap, same entry
  auto fore = SetForeBmp(second, palette);
  ASSERT_TRUE(fore);
  EXPECT_EQ(fore->bitmap, second);
  EXPECT_FALSE(IsForegroundPalette(palette));  // palette events are off until the query
  EXPECT_GT(QryNewPalEvent(), -1);
  EXPECT_TRUE(IsForegroundPalette(palette));
  EXPECT_EQ(PalChgEvent(window.get()), 0);
  EXPECT_TRUE(IsForegroundPalette(palette));  // a window of the table keeps events on
  EXPECT_EQ(PalChgEvent(nullptr), 0);
  EXPECT_FALSE(IsForegroundPalette(palette));

  EXPECT_TRUE(PalBmpFree(second, palette));
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(GetObjectType(palette), 0u);
  EXPECT_FALSE(PalBmpFree(second, palette));
  EXPECT_EQ(SetForeBmp(first, nullptr), std::nullopt);  // the foreground entry went with it
  EXPECT_EQ(PalBmpNew(nullptr, CreateBitmap(1, 1, 1, 32, nullptr), nullptr), 2);  // the free entry again
  EXPECT_EQ(PaletteTableCount(), 2);
  FreePaletteTable();
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(PaletteTableCount(), 0);
}

TEST_F(BitmapsTest, BuiltInPictures) {
  EXPECT_EQ(VxBrushes(0), nullptr);
  EXPECT_EQ(VxBrushes(5), nullptr);
  const COLORREF g = RGB(192, 192, 192), w = kWhite, d = RGB(128, 128, 128);
  struct Case {
    int type;
    std::vector<std::pair<POINT, COLORREF>> pixels;
  } cases[] = {
      {1, {{{0, 0}, g}, {{0, 1}, g}, {{1, 1}, w}, {{2, 1}, g}, {{1, 0}, g}}},
      {2, {{{0, 0}, g}, {{1, 0}, d}, {{7, 1}, g}, {{0, 2}, w}, {{7, 2}, d}, {{3, 6}, d}, {{4, 6}, w}}},
      {3, {{{0, 0}, w}, {{7, 0}, g}, {{0, 3}, w}, {{7, 3}, d}, {{0, 7}, g}, {{7, 7}, d}}},
      {4, {{{0, 0}, w}, {{1, 0}, g}, {{0, 1}, g}, {{1, 1}, w}}},
  };
  for (const Case& c : cases) {
    Bitmap pattern(VxBrushes(c.type));
    ASSERT_TRUE(pattern);
    EXPECT_EQ(NBmpWidth(pattern.get()), 8);
    EXPECT_EQ(NBmpHeight(pattern.get()), 8);
    MemorySurface s(8, 8);
    DrawBitmap(s.dc(), pattern.get(), 0, 0);
    for (const auto& [p, colour] : c.pixels) EXPECT_EQ(s.Pixel(p.x, p.y), colour) << c.type << " at " << p.x << "," << p.y;
  }
  Bitmap picture(VxBitmap(nullptr));
  EXPECT_EQ(NBmpWidth(picture.get()), 32);
  EXPECT_EQ(NBmpHeight(picture.get()), 32);

  auto lines = ATreeBmps(nullptr);
  MemorySurface s(16 * 7, 16);
  for (int i = 0; i < 7; ++i) {
    ASSERT_EQ(NBmpWidth(lines[i]), 16);
    DrawBitmap(s.dc(), lines[i], 0, 16 * i);
    DeleteObject(lines[i]);
  }
  EXPECT_EQ(s.Pixel(7, 14), d);           // vertical line runs to the bottom
  EXPECT_EQ(s.Pixel(16 + 15, 7), d);      // a branch reaches the right edge
  EXPECT_EQ(s.Pixel(32 + 7, 14), kWhite); // the last branch stops at the middle
  EXPECT_EQ(s.Pixel(48 + 7, 5), kBlack);  // "+" of a closed sub-tree
  EXPECT_EQ(s.Pixel(64 + 7, 5), kWhite);  // "-" of an open one
  EXPECT_EQ(s.Pixel(64 + 5, 7), kBlack);
}

class ImageStripTest : public BitmapsTest {
 protected:
  void TearDown() override {
    strip_.Clear();
    BitmapsTest::TearDown();
  }
  ImageStrip strip_;
};

TEST_F(ImageStripTest, PicturesLoadOncePerNameAndDrawCentredWhiteTransparent) {
  ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  const auto green = strip_.Load("BmpVerde");
  ASSERT_TRUE(green);
  EXPECT_EQ(*green, (StripImage{1, 16, 16}));
  EXPECT_EQ(strip_.Load("BMPVERDE"), green);  // once per name, case ignored
  const auto red = strip_.Load("BMPROJO");
  ASSERT_TRUE(red);
  EXPECT_EQ(red->slot, 2);
  EXPECT_EQ(strip_.Load("NOEXISTE"), std::nullopt);
  const auto file = strip_.Load(Write("wide.bmp", MakeBmp(Picture(40, 5))));
  ASSERT_TRUE(file);
  EXPECT_EQ(*file, (StripImage{3, 40, 5}));
  EXPECT_EQ(strip_.Load("BMPCHECKED")->slot, 5);  // the wide picture took two slots

  MemorySurface s(60, 30);
  s.Clear(kGreen);
  strip_.DrawCell(s.dc(), *file, RECT{0, 0, 60, 30});  // 40 x 5 centred: from (10, 12)
  EXPECT_EQ(s.Pixel(10, 12), kGreen);                  // its red corner went white in the strip
  EXPECT_EQ(s.Pixel(12, 13), kBlue);
  EXPECT_EQ(s.Pixel(11, 13), kGrey);
  EXPECT_EQ(s.Pixel(9, 13), kGreen);
  s.Clear(kGreen);
  strip_.DrawCell(s.dc(), *file, RECT{0, 0, 20, 3});  // clipped to a small cell
  EXPECT_EQ(s.Pixel(25, 1), kGreen);
  EXPECT_EQ(s.Pixel(1, 3), kGreen);
}

TEST_F(ImageStripTest, TheStripGrowsWhenFullAndKeepsWhatItHolds) {
  Bitmap picture(ReadBitmap(nullptr, Write("g.bmp", MakeBmp(Picture()))));
  std::optional<StripImage> first;
  for (int i = 0; i < ImageStrip::kInitialSlots + 5; ++i) {
    const auto image = strip_.Add("P" + std::to_string(i), picture.get());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->slot, i + 1);
    if (i == 0) first = image;
  }
  EXPECT_GE(strip_.slot_capacity(), ImageStrip::kInitialSlots + 5);
  // A taller picture makes the strip taller.
  Bitmap tall(ReadBitmap(nullptr, Write("tall.bmp", MakeBmp(Picture(6, 40)))));
  const auto high = strip_.Add("TALL", tall.get());
  ASSERT_TRUE(high);
  EXPECT_GE(strip_.height(), 40);
  MemorySurface s(40, 60);
  s.Clear(kGreen);
  strip_.DrawCell(s.dc(), *first, RECT{0, 0, 6, 5});
  EXPECT_EQ(s.Pixel(2, 1), kBlue);  // the first picture survived both growths
  s.Clear(kGreen);
  strip_.DrawCell(s.dc(), *high, RECT{0, 0, 6, 40});
  EXPECT_EQ(s.Pixel(2, 1), kBlue);
  EXPECT_EQ(s.Pixel(1, 38), kGrey);
}

class BitmapFunctionsTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
  }
  void TearDown() override {
    ImageStrip::Shared().Clear();
    FreeResources();
    RuntimeTest::TearDown();
  }
};

TEST_F(BitmapFunctionsTest, ByName) {
  EXPECT_EQ(xb::EvalMacro("VXBRUSHES( 0 )").AsInt(), 0);
  EXPECT_EQ(xb::EvalMacro("NBMPWIDTH( VXBRUSHES( 3 ) )").AsInt(), 8);
  EXPECT_EQ(xb::EvalMacro("Len( ATREEBMPS( 0 ) )").AsInt(), 7);
  EXPECT_EQ(xb::EvalMacro("DIBREAD( 'no-such-file.bmp' )").AsInt(), 0);
  EXPECT_TRUE(xb::EvalMacro("DIBDRAW( 0, 0 )").IsNil());
  EXPECT_EQ(xb::EvalMacro("PALBMPREAD( 0, 'no-such-file.bmp' )[ 1 ]").AsInt(), 0);
  SetResources("VDRE.DLL");
  const xb::Value triple = xb::EvalMacro("XLOADBITMAP( 0, 'BMPVERDE' )");
  ASSERT_TRUE(triple.IsArray());
  EXPECT_EQ(triple.AsArray().Get(0).AsInt(), 1);
  EXPECT_EQ(triple.AsArray().Get(1).AsInt(), 16);
  EXPECT_EQ(xb::EvalMacro("XLOADBITMAP( 0, 'bmpverde' )[ 1 ]").AsInt(), 1);
  EXPECT_NE(xb::EvalMacro("GETBMPBRW()").AsInt(), 0);
  EXPECT_EQ(xb::EvalMacro("XLOADBITMAP( 0, 'NOEXISTE' )[ 1 ]").AsInt(), 0);
  EXPECT_EQ(xb::EvalMacro("METERPAINT( 0, 0, 0, 0, 50, 'x', .T. )").AsInt(), 0);
}

}  // namespace
}  // namespace ui
