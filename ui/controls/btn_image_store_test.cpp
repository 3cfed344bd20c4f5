// The button image store: one slot per picture name, pages of 20 slots, pictures cut to
// 32 x 32, and the three ways of drawing a slot; the picture fitting of the buttons.
#include "ui/controls/btn_image_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "runtime/runtime.h"
#include "runtime/test_env.h"
#include "ui/bridge/bridge_functions.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"
#include "ui/core/core_test_support.h"

namespace ui {
namespace {

// Writes a 24-bit BMP file; pixel(x, y) gives the colour, y = 0 the top row.
void WriteBmp(const std::string& path, int width, int height, const std::function<COLORREF(int, int)>& pixel) {
  const int stride = (width * 3 + 3) & ~3;
  std::string image(static_cast<size_t>(stride * height), '\0');
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixel(x, y);
      char* p = &image[static_cast<size_t>((height - 1 - y) * stride + x * 3)];
      p[0] = static_cast<char>(GetBValue(c));
      p[1] = static_cast<char>(GetGValue(c));
      p[2] = static_cast<char>(GetRValue(c));
    }
  }
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(image.size());
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + image.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(image.data(), static_cast<std::streamsize>(image.size()));
}

COLORREF PagePixel(HBITMAP page, int x, int y) {
  MemoryDC dc;
  SelectionScope select(dc.get(), page);
  return GetPixel(dc.get(), x, y);
}

class BtnImageStoreTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
    RegisterBtnImageStore();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
    BtnImageStore::Delete();
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "vdr_btnstore_" + std::to_string(GetCurrentProcessId()) + "\\";
    test::FreshFolder(folder_);
  }
  void TearDown() override {
    BtnImageStore::Delete();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    RuntimeTest::TearDown();
  }
  std::string folder_;
};

TEST_F(BtnImageStoreTest, OneSlotPerNameAndANewPageForThe21stPicture) {
  BtnImageStore& store = BtnImageStore::Get();
  const int mark = store.Load(std::string("PBMPMAR1"));
  EXPECT_EQ(mark, 1);
  EXPECT_EQ(store.Load(std::string("pbmpmar1")), mark);
  ASSERT_EQ(store.Pages().size(), 1u);
  ASSERT_EQ(store.Catalogue().size(), 1u);
  EXPECT_EQ(store.Catalogue()[0].name, "PBMPMAR1");
  EXPECT_EQ(store.Catalogue()[0].width, 20);
  EXPECT_EQ(store.Catalogue()[0].height, 20);
  // The picture sits in its cell: the tick's green at the top right of the box.
  const COLORREF tick = PagePixel(store.Pages()[0], BtnImageStore::CellLeft(mark) + 15, 5);
  EXPECT_GT(GetGValue(tick), 100);
  EXPECT_LT(GetRValue(tick), 60);

  for (int i = 2; i <= 20; ++i) store.Load("NOEXISTE" + std::to_string(i));  // empty slots
  EXPECT_EQ(store.Pages().size(), 1u);
  EXPECT_EQ(store.Catalogue()[5].width, 0);
  const int twenty_first = store.Load(std::string("PBMPEND1"));
  EXPECT_EQ(twenty_first, 21);
  ASSERT_EQ(store.Pages().size(), 2u);
  EXPECT_EQ(BtnImageStore::PageOf(21), 1);
  EXPECT_EQ(BtnImageStore::CellLeft(21), 1);
  // The last cell of a page keeps its last column: the page is wide enough.
  EXPECT_EQ(BtnImageStore::CellLeft(20) + BtnImageStore::kCell, BtnImageStore::kPageWidth);
}

TEST_F(BtnImageStoreTest, APictureLargerThan32IsCutToItsTopLeft) {
  const std::string file = folder_ + "grande.bmp";
  WriteBmp(file, 48, 48, [](int x, int y) { return x < 32 && y < 32 ? RGB(0, 0, 255) : RGB(255, 255, 0); });
  BtnImageStore& store = BtnImageStore::Get();
  const int slot = store.Load(file);
  const BtnImageStore::Entry* e = store.Slot(slot);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->width, 32);
  EXPECT_EQ(e->height, 32);
  HBITMAP page = store.Pages()[0];
  EXPECT_EQ(PagePixel(page, BtnImageStore::CellLeft(slot) + 31, 31), RGB(0, 0, 255));
  EXPECT_EQ(PagePixel(page, BtnImageStore::CellLeft(slot) + 32, 0), RGB(255, 0, 0));  // the page's red

  // Direct: the bitmap itself, whole, and not in the store.
  HBITMAP direct = BtnImageStore::LoadDirect(file);
  ASSERT_NE(direct, nullptr);
  BITMAP info = {};
  GetObjectA(direct, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 48);
  DeleteObject(direct);
  EXPECT_EQ(store.Catalogue().size(), 1u);
  EXPECT_EQ(BtnImageStore::LoadDirect(std::string("")), nullptr);
}

TEST_F(BtnImageStoreTest, SlotsDrawMaskedDisabledAndOpaque) {
  const std::string file = folder_ + "cruz.bmp";
  // A dark cross on a magenta ground.
  WriteBmp(file, 16, 16, [](int x, int y) { return x == 8 || y == 8 ? RGB(0, 0, 0) : RGB(255, 0, 255); });
  BtnImageStore& store = BtnImageStore::Get();
  const int slot = store.Load(file);
  const COLORREF ground = RGB(10, 200, 30);

  MemorySurface masked(40, 40);
  masked.Clear(ground);
  store.PaintMask(masked.dc(), slot, 4, 4, 32, 32);  // stretched twice
  EXPECT_EQ(masked.Pixel(4 + 16, 4 + 2), RGB(0, 0, 0));
  EXPECT_EQ(masked.Pixel(4 + 2, 4 + 2), ground);  // the magenta is transparent
  EXPECT_EQ(masked.Pixel(2, 2), ground);

  MemorySurface opaque(40, 40);
  opaque.Clear(ground);
  store.PintaBmp(opaque.dc(), slot, 0, 0);
  EXPECT_EQ(opaque.Pixel(2, 2), RGB(255, 0, 255));
  EXPECT_EQ(opaque.Pixel(8, 2), RGB(0, 0, 0));

  MemorySurface disabled(40, 40);
  disabled.Clear(GetSysColor(COLOR_BTNFACE));
  store.PDisable(disabled.dc(), slot, 0, 0, 16, 16, nullptr);
  // The cross is embossed: shadow-coloured where it was black; its ground stays the face.
  EXPECT_EQ(disabled.Pixel(8, 3), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(disabled.Pixel(3, 3), GetSysColor(COLOR_BTNFACE));
}

TEST(FitPictureTest, PicturesKeepTheirSizeOrScaleIntoTheBox) {
  struct Case {
    int box_w, box_h, w, h, fit_w, fit_h;
  };
  const Case cases[] = {
      {23, 25, 20, 20, 20, 20},  // fits inside the box less 2
      {23, 25, 21, 20, 21, 20},  // 21 is not below 21: scaled to the width, which it is already
      {25, 25, 16, 40, 9, 23},   // only the width fits: to the height
      {25, 25, 40, 16, 23, 9},   // only the height fits: to the width
      {30, 20, 32, 32, 18, 18},  // neither: by the larger ratio (the height's)
      {40, 20, 64, 16, 38, 9},   // neither... the width's
      {28, 28, 32, 32, 26, 26},
  };
  for (const Case& c : cases) {
    const SIZE s = FitPicture(c.box_w, c.box_h, c.w, c.h);
    EXPECT_EQ(s.cx, c.fit_w) << c.box_w << "x" << c.box_h << " " << c.w << "x" << c.h;
    EXPECT_EQ(s.cy, c.fit_h) << c.box_w << "x" << c.box_h << " " << c.w << "x" << c.h;
  }
}

TEST_F(BtnImageStoreTest, TheStoreByName) {
  EXPECT_EQ(xb::EvalMacro("LOADBMP( 'PBMPFIN1' )").AsInt(), 1);
  EXPECT_EQ(xb::EvalMacro("LOADBMP( 'PBMPFIN1' )").AsInt(), 1);
  EXPECT_EQ(xb::EvalMacro("Len( GETHBMPBTN() )").AsInt(), 1);
  EXPECT_EQ(xb::EvalMacro("GETACBTNS()[ 1 ][ 1 ]").AsString(), "PBMPFIN1");
  EXPECT_NE(xb::EvalMacro("LOADBMP( 'PBMPFIN1', .T. )").AsInt(), 0);
  xb::EvalMacro("DELBMPBTN()");
  EXPECT_EQ(xb::EvalMacro("Len( GETACBTNS() )").AsInt(), 0);
}

}  // namespace
}  // namespace ui
