// Shared fonts and brushes: one GDI object per set of attributes, freed by the last user.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/core/core_test_support.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"
#include "ui/core/tbrush.h"
#include "ui/core/tfont.h"
#include "ui/core/tcursor.h"
#include "ui/core/tpen.h"
#include "ui/core/trect.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "tests/support/dialog_answerer.h"

namespace ui {
namespace {

class FontsBrushesTest : public test::FrameworkTest {};

TFont::Spec Arial(int height) {
  TFont::Spec s;
  s.face = "Arial";
  s.height = height;
  return s;
}

TEST_F(FontsBrushesTest, TheSameFontIsSharedAndDeletedWithItsLastUser) {
  auto first = TFont::New(Arial(-14));
  auto second = TFont::New(Arial(-14));
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(first->nCount, 2);
  EXPECT_TRUE(first->lNew == false);
  HFONT handle = first->hFont;
  ASSERT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));
  first->End();
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));  // still in use
  second->End();
  EXPECT_EQ(GetObjectType(handle), 0u);
  EXPECT_EQ(first->hFont, nullptr);
  // Gone from the shared list: the next request makes a new one.
  auto third = TFont::New(Arial(-14));
  EXPECT_TRUE(third->lNew);
  EXPECT_EQ(third->nCount, 1);
  third->End();
}

TEST_F(FontsBrushesTest, FontAttributesAndTheirRules) {
  auto bold = TFont::New([] { auto s = Arial(-14); s.bold = true; return s; }());
  auto plain = TFont::New(Arial(-14));
  EXPECT_NE(bold.get(), plain.get());
  EXPECT_EQ(bold->nWeight, FW_BOLD);
  auto tiny = TFont::New(Arial(-8));  // too small: taken as -12
  EXPECT_EQ(tiny->nInpHeight, -12);
  TFont::Spec tahoma;
  tahoma.face = "systahoma";
  tahoma.height = -13;
  auto t = TFont::New(tahoma);
  EXPECT_EQ(t->cFaceName, "TAHOMA");
  // A stock font is taken, measured and never deleted.
  TFont::Spec stock;
  stock.face = "ANSI_VAR_FONT";
  auto s = TFont::New(stock);
  EXPECT_EQ(s->hFont, GetStockObject(ANSI_VAR_FONT));
  EXPECT_FALSE(s->lDestroy);
  EXPECT_GT(s->nInpHeight, 0);
  HFONT stock_handle = s->hFont;
  s->End();
  EXPECT_EQ(GetObjectType(stock_handle), static_cast<DWORD>(OBJ_FONT));
  for (auto* f : {bold.get(), plain.get(), tiny.get(), t.get()}) f->End();
}

TEST_F(FontsBrushesTest, BrushesAreSharedAndTheNullBrushIsNeverDeleted) {
  auto a = TBrush::New("", RGB(1, 2, 3));
  auto b = TBrush::New("", RGB(1, 2, 3));
  auto c = TBrush::New("", RGB(3, 2, 1));
  EXPECT_EQ(a.get(), b.get());
  EXPECT_NE(a.get(), c.get());
  EXPECT_EQ(a->nCount, 2);
  HBRUSH handle = a->hBrush;
  a->End();
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
  b->End();
  EXPECT_EQ(GetObjectType(handle), 0u);
  c->End();

  auto none = TBrush::New("null", 0);
  EXPECT_EQ(none->hBrush, GetStockObject(NULL_BRUSH));
  none->End();
  EXPECT_EQ(GetObjectType(GetStockObject(NULL_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));

  auto hatch = TBrush::New("DIAGCROSS", RGB(0, 0, 255));
  LOGBRUSH lb = {};
  GetObjectA(hatch->hBrush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
  hatch->End();

  ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  auto picture = TBrush::New("", 0, {}, "BMPVERDE");  // from the resource module
  EXPECT_NE(picture->hBitmap, nullptr);
  LOGBRUSH pattern = {};
  GetObjectA(picture->hBrush, sizeof pattern, &pattern);
  EXPECT_EQ(pattern.lbStyle, static_cast<UINT>(BS_PATTERN));
  picture->End();
  FreeResources();
}

// An 8 x 8 picture of one colour, as a 24-bit BMP file.
std::string WriteSolidBmp(const std::string& path, BYTE r, BYTE g, BYTE b) {
  std::string file(54 + 8 * 8 * 3, '\0');
  auto put32 = [&](size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 8);
  put32(22, 8);
  file[26] = 1;
  file[28] = 24;
  for (size_t at = 54; at < file.size(); at += 3) {
    file[at] = static_cast<char>(b);
    file[at + 1] = static_cast<char>(g);
    file[at + 2] = static_cast<char>(r);
  }
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
  CloseHandle(h);
  return path;
}

TEST_F(FontsBrushesTest, ABrushOfAPictureFilePaintsThePictureAndTheLiveBrushesAreListed) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string file = WriteSolidBmp(std::string(temp) + "vdr_brush_" + std::to_string(GetCurrentProcessId()) +
                                         ".bmp", 200, 30, 40);
  xb::SetMemvar(xb::Intern("CFILE"), xb::Value::String(file));
  const xb::Value brush = xb::EvalMacro("TBrush():New( , 0, cFile )");
  auto* b = dynamic_cast<TBrush*>(brush.AsObject().get());
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b->hBitmap, nullptr);
  LOGBRUSH lb = {};
  GetObjectA(b->hBrush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_PATTERN));
  MemorySurface s(4, 4);
  RECT all = {0, 0, 4, 4};
  FillRect(s.dc(), &all, b->hBrush);
  EXPECT_EQ(GetPixel(s.dc(), 2, 2), RGB(200, 30, 40));
  // A second request shares it; the class lists each live brush once.
  EXPECT_TRUE(xb::EvalMacro("TBrush():New( , 0, cFile ) == TBrush():New( , 0, cFile )").AsLogical());
  EXPECT_EQ(b->nCount, 3);
  xb::SetMemvar(xb::Intern("OBRUSH"), brush);
  EXPECT_EQ(xb::EvalMacro("AScan( oBrush:aBrushes, oBrush ) > 0").AsLogical(), true);
  const auto listed = [] { return xb::EvalMacro("Len( TBrush():aBrushes )").AsInt(); };
  const std::int64_t before = listed();
  for (int i = 0; i < 3; ++i) b->End();
  EXPECT_EQ(listed(), before - 1);
  DeleteFileA(file.c_str());
}

TEST_F(FontsBrushesTest, AChildTakesItsParentsFontAndCountsItsUse) {
  auto parent = Make();
  ASSERT_TRUE(parent->oFont);
  const int before = parent->oFont->nCount;
  auto child = xb::MakeRef<TWindow>();
  TWindow::NewParams p;
  p.parent = parent;
  p.style = WS_CHILD | WS_VISIBLE;
  p.pixel = true;
  p.top = p.left = 1;
  p.bottom = p.right = 20;
  child->New(p);
  EXPECT_EQ(child->oFont.get(), parent->oFont.get());
  EXPECT_EQ(parent->oFont->nCount, before + 1);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child->hWnd, WM_GETFONT, 0, 0)), nullptr);  // DefWindowProc keeps none
  HFONT handle = parent->oFont->hFont;
  DestroyWindow(child->hWnd);
  EXPECT_EQ(parent->oFont->nCount, before);
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(FontsBrushesTest, AWindowChoosesItsFontInTheFontDialog) {
  auto window = Make();
  ASSERT_TRUE(window->oFont);
  window->SetFont(TFont::New({.face = "Courier New", .height = -15}));
  xb::Ref<TFont> before = window->oFont;
  {
    vdr::test::DialogAnswerer cancel(vdr::test::DialogAnswerer::PressId(IDCANCEL));
    EXPECT_FALSE(window->SelFont());
    EXPECT_FALSE(cancel.seen().empty());
  }
  EXPECT_EQ(window->oFont.get(), before.get());
  vdr::test::DialogAnswerer confirm(vdr::test::DialogAnswerer::PressId(IDOK));
  EXPECT_TRUE(xb::Send(window->Self(), "SELFONT").AsLogical());
  ASSERT_TRUE(window->oFont);
  EXPECT_NE(window->oFont.get(), before.get());
  EXPECT_NE(window->oFont->hFont, nullptr);
  EXPECT_EQ(GetObjectType(window->oFont->hFont), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(FontsBrushesTest, AWindowHoldsOneUseOfItsBrush) {
  auto w = Make();
  xb::Ref<TBrush> own = w->oBrush;
  const int count = own->nCount;
  HBRUSH handle = own->hBrush;
  w->SetColor(RGB(0, 0, 0), RGB(1, 1, 1), own);  // its own brush again: nothing ends
  w->SetBrush(own);
  EXPECT_EQ(w->oBrush.get(), own.get());
  EXPECT_EQ(own->nCount, count);
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));

  auto given = TBrush::New("", RGB(9, 9, 9));
  w->SetBrush(given);
  EXPECT_EQ(given->nCount, 2);
  given->End();  // the caller is done with it; the window is not
  HBRUSH given_handle = given->hBrush;
  EXPECT_EQ(GetObjectType(given_handle), static_cast<DWORD>(OBJ_BRUSH));
  DestroyWindow(w->hWnd);
  EXPECT_EQ(GetObjectType(given_handle), 0u);
}


TEST_F(FontsBrushesTest, ClassesByNameShareAndFreeTheirObjects) {
  // Text asks TFont():New(...): two requests of one font give one object.
  xb::SetMemvar(xb::Intern("OA"), xb::EvalMacro("TFont():New( 'Arial', 0, -12 )"));
  xb::SetMemvar(xb::Intern("OB"), xb::EvalMacro("TFont():New( 'Arial', 0, -12 )"));
  EXPECT_TRUE(xb::EvalMacro("oA == oB").AsLogical());
  EXPECT_EQ(xb::EvalMacro("oA:nCount").AsInt(), 2);
  const auto handle = reinterpret_cast<HFONT>(xb::EvalMacro("oA:hFont").AsInt());
  xb::EvalMacro("oA:End()");
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));
  xb::EvalMacro("oB:End()");
  EXPECT_EQ(GetObjectType(handle), 0u);
  // Bold gives weight 700; a height of -8 is taken as -12.
  xb::SetMemvar(xb::Intern("OC"), xb::EvalMacro("TFont():New( 'Tahoma', 0, -8, .F., .T. )"));
  EXPECT_EQ(xb::EvalMacro("oC:nWeight").AsInt(), 700);
  EXPECT_EQ(xb::EvalMacro("oC:nInpHeight").AsInt(), -12);
  EXPECT_EQ(xb::EvalMacro("oC:nSize").AsInt(), 12);
  xb::EvalMacro("oC:End()");

  // The framework's pattern styles are pattern brushes over its own pictures.
  for (const char* style : {"BORLAND", "BRICKS", "TILED", "TABS"}) {
    auto b = TBrush::New(style, 0);
    LOGBRUSH lb = {};
    GetObjectA(b->hBrush, sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_PATTERN)) << style;
    EXPECT_NE(b->hBitmap, nullptr);
    b->End();
  }
  xb::SetMemvar(xb::Intern("OBR"), xb::EvalMacro("TBrush():New( 'CROSS', 255 )"));
  EXPECT_EQ(std::string(xb::EvalMacro("oBr:cGenPrg()").AsString()), "DEFINE BRUSH oBrush STYLE CROSS COLOR 255");
  xb::EvalMacro("oBr:End()");

  // Pens belong to their object.
  xb::SetMemvar(xb::Intern("OP"), xb::EvalMacro("TPen():New( 0, 3, 255 )"));
  const auto pen = reinterpret_cast<HPEN>(xb::EvalMacro("oP:hPen").AsInt());
  LOGPEN lp = {};
  GetObjectA(pen, sizeof lp, &lp);
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, 255u);
  xb::EvalMacro("oP:End()");
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(xb::EvalMacro("oP:hPen").AsInt(), 0);

  // Rectangles count both edges.
  xb::SetMemvar(xb::Intern("OR"), xb::EvalMacro("TRect():New( 10, 20, 29, 59 )"));
  EXPECT_EQ(xb::EvalMacro("oR:nWidth").AsInt(), 40);
  EXPECT_EQ(xb::EvalMacro("oR:nHeight").AsInt(), 20);
}

TEST_F(FontsBrushesTest, PredefinedCursorsAreNeverDestroyed) {
  auto hand = TCursor::New("", "HAND");
  ASSERT_NE(hand->hCursor(), nullptr);
  HCURSOR h = hand->hCursor();
  hand->End();
  EXPECT_EQ(hand->hCursor(), nullptr);
  EXPECT_EQ(TCursor::New("", "hand")->hCursor(), h);  // still there
  auto wait = TCursor::New("", "WAIT");
  EXPECT_EQ(wait->hCursor(), LoadCursorA(nullptr, IDC_WAIT));
  wait->End();
  EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT) != nullptr, true);

  std::vector<std::string> seen;
  vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
    seen.push_back(d.AllText());
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  auto wrong = TCursor::New("", "NOSUCH");
  EXPECT_EQ(wrong->hCursor(), nullptr);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].find("Wrong predefined cursor type!"), std::string::npos);
}

}  // namespace
}  // namespace ui
