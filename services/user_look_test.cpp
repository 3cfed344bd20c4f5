#include "services/user_look.h"

#include <windows.h>

#include <cstring>

#include "data/table_access.h"
#include "runtime/lib/strings.h"
#include "services/font_choice.h"
#include "services/layouts.h"
#include "services/services_test_support.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tfont.h"

namespace svc {
namespace {

using testing::L;
using testing::N;
using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

class UserLookTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    qzw_CreaUsuarios(true, false);
  }
  // Rewrites fields of a user's colour record.
  void SetColours(const std::string& code, const testing::Rec& fields) {
    SelectedAreaScope keep;
    ASSERT_TRUE(OpenTable(ColorWTable(), "_C", false));
    OpenedArea area(true);
    SelectOrder(1);
    if (!Seek(S(code))) SaveColors("_C", true, code, "", false);
    ASSERT_TRUE(Seek(S(code)));
    ASSERT_TRUE(data::lNetRecLock());
    for (const auto& [field, value] : fields) PutField(field, value);
    Area().Commit();
    Area().Unlock();
  }
};

TEST_F(UserLookTest, AccessorsBeforeAnySchemeAnswerTheirDefaults) {
  EXPECT_TRUE(X("NCLRDESKTOP()").IsNil());
  EXPECT_TRUE(X("NFONTTITULO()").IsNil());
  EXPECT_EQ(X("NCLRTITULO()").AsInt(), 0);
  EXPECT_EQ(X("NLINESTYLE()").AsInt(), 5);
  EXPECT_EQ(X("NCLRBHDR()").AsInt(), 13292503);
  EXPECT_EQ(X("NCLRPROW2()").AsInt(), 15396845);
  EXPECT_TRUE(X("LALTERCLR()").AsLogical());
  EXPECT_EQ(X("NHLINE()").AsInt(), 5);
  EXPECT_EQ(X("NCLRBACKFOCUS()").AsInt(), 8750724);
  // The browse background follows the classic look until it is set.
  EXPECT_EQ(X("NCLRPANE()").AsInt(), 15396845);
  X("LCLASSIC(.T.)");
  EXPECT_EQ(X("NCLRPANE()").AsInt(), 12632256);
  X("NCLRPANE(255)");
  EXPECT_EQ(X("NCLRPANE()").AsInt(), 255);
  // LCOLORBRW sets its flag and answers the classic look.
  EXPECT_TRUE(X("LCOLORBRW(.F.)").AsLogical());
  X("LCLASSIC(.F.)");
  EXPECT_FALSE(X("LCOLORBRW()").AsLogical());
  EXPECT_EQ(UserFontDesc().face, "MS Sans Serif");
}

// A user without a record gets the default one; the listing fonts' colours come from the
// report dictionary's fonts.
TEST_F(UserLookTest, LoadingTheSchemeOfAUser) {
  WriteFonts({{{"NFONT", N(1)}, {"CFACENAME", S("Arial")}, {"NCOLOR", N(255)}},
              {{"NFONT", N(2)}, {"CFACENAME", S("Courier New")}, {"NCOLOR", N(65280)}}});
  AddUser("05", "Eva", "x");
  cCodUser("05");
  EXPECT_TRUE(FieldOf(ColorWTable(), "CCODIGO", "05", "CCODIGO").IsNil());
  ASSERT_TRUE(CargaColores());
  EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", "05", "DESKTOP").AsInt(), 12632256);
  EXPECT_EQ(nClrDesktop(), 12632256u);
  EXPECT_EQ(X("NCLRTITULO()").AsInt(), 255);

  SetColours("05", {{"LINESTYLE", N(4)}, {"TITULO", N(2)}, {"TOTAL", N(7)}, {"LALTERCLR", L(false)},
                    {"NCLRPROW1", N(123)}, {"LBOLD", L(true)}, {"CFACENAME", S("Courier New")}});
  ASSERT_TRUE(X("CARGACOLORES()").AsLogical());
  EXPECT_EQ(nLineStyle(), 4);
  EXPECT_EQ(X("NFONTTITULO()").AsInt(), 2);
  EXPECT_EQ(X("NCLRTITULO()").AsInt(), 65280);
  EXPECT_EQ(X("NCLRTOTAL()").AsInt(), 0);  // no font 7
  EXPECT_FALSE(X("LALTERCLR()").AsLogical());
  EXPECT_EQ(X("NCLRPROW1()").AsInt(), 123);
  EXPECT_EQ(UserFontDesc().face, "Courier New");
  EXPECT_TRUE(UserFontDesc().bold);
  const Value font = X("OUSERFONT()");
  auto* f = dynamic_cast<ui::TFont*>(font.AsObject().get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->cFaceName, "Courier New");
  f->End();

  // Saving rewrites the record from the accessors; deleting removes it.
  X("NHLINE(9)");
  {
    SelectedAreaScope keep;
    ASSERT_TRUE(OpenTable(ColorWTable(), "_C", false));
    OpenedArea area(true);
    EXPECT_TRUE(SaveColors("_C", false, "05"));
  }
  EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", "05", "NHLINE").AsInt(), 9);
  EXPECT_EQ(FieldOf(ColorWTable(), "CCODIGO", "05", "LINESTYLE").AsInt(), 4);
  EXPECT_TRUE(DelColores("05"));
  EXPECT_TRUE(FieldOf(ColorWTable(), "CCODIGO", "05", "CCODIGO").IsNil());
}

// The user's look reaches the browses made after it loads, and a window painted in the
// desktop colour.
TEST_F(UserLookTest, TheSchemeAppliesToAWindowAndABrowse) {
  SetColours("00", {{"DESKTOP", N(RGB(0, 96, 128))}, {"LINESTYLE", N(4)}, {"NCLRPANE", N(RGB(255, 255, 224))},
                    {"NCLRTEXT", N(RGB(0, 0, 128))}, {"NCLRBACKHD", N(RGB(96, 0, 0))}, {"NCLRFOREHD", N(RGB(255, 255, 255))},
                    {"NCLRPROW2", N(RGB(224, 255, 224))}, {"NCLRPFOCUS", N(RGB(200, 120, 0))}, {"NHLINE", N(8)},
                    {"CFACENAME", S("Courier New")}, {"NHEIGHT", N(-15)}});
  ASSERT_TRUE(CargaColores());
  auto window = Make(20, 20, 480, 260);
  window->SetColor(GetSysColor(COLOR_WINDOWTEXT), *nClrDesktop());
  window->Show();
  ASSERT_TRUE(OpenTable(UsuariosTable(), "Lista", false));
  AddUser("01", "Ana", "x");
  AddUser("02", "Luis", "x");
  auto browse = ConfBrwNew({.row = 10, .col = 10, .width = 440, .height = 180,
               .headers = Value(xb::Array::Of({S("Cód."), S("Nombre")})),
               .col_sizes = Value(xb::Array::Of({N(50), N(250)})),
               .parent = window, .font = oUserFont(), .alias = std::string("Lista"), .pixel = true});
  browse->bLine = Value(xb::Block::Native([](xb::Args&) {
    xb::rdd::WorkArea* a = xb::rdd::WorkAreas::Get().Area(xb::rdd::WorkAreas::Get().AreaOfAlias("Lista"));
    return Value(xb::Array::Of({a->GetField(1), a->GetField(2)}));
  }));
  browse->Refresh();
  EXPECT_EQ(browse->nLineStyle, 4);
  EXPECT_EQ(browse->nXClrPane, RGB(255, 255, 224));
  EXPECT_EQ(browse->nxClrText, RGB(0, 0, 128));
  EXPECT_EQ(browse->nClrBackHead, RGB(96, 0, 0));
  EXPECT_EQ(browse->nClrPRow2, RGB(224, 255, 224));
  EXPECT_EQ(browse->nClrBackFocus, RGB(200, 120, 0));
  EXPECT_EQ(browse->nHLine, 8);
  EXPECT_EQ(browse->oFont->cFaceName, "Courier New");
  EXPECT_EQ(window->nClrPane, RGB(0, 96, 128));
  vdr::test::PumpPending();
  UpdateWindow(window->hWnd);
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(window->hWnd, vdr::test::ScreenshotFolder() + "\\user_look.bmp"));
  // The desktop colour shows where the browse is not.
  HDC dc = GetDC(window->hWnd);
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(0, 96, 128));
  ReleaseDC(window->hWnd, dc);
  CloseArea();
}

// SELECTFONT finds the chosen font among the listing fonts or adds it after the last.
TEST_F(UserLookTest, ChoosingAListingFont) {
  WriteFonts({});
  {
    std::vector<std::string> titles;
    int presses = 0;
    DialogAnswerer answerer([&](const SeenDialog& d) {
      titles.push_back(d.title);
      ++presses;
      return IDOK;
    });
    EXPECT_EQ(SelectFont(1), 1);  // the first of an empty table
    EXPECT_EQ(SelectFont(1), 1);  // the same font: found
    std::vector<testing::Rec> fonts = Records(FontsTable());
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_FALSE(std::string(xb::RTrim(fonts[0][1].second.AsString())).empty());
    EXPECT_EQ(presses, 2);
    // A font not yet there takes the number after the last.
    WriteFonts({{{"NFONT", N(4)}, {"CFACENAME", S("Ninguna")}, {"NCOLOR", N(7)}}});
    EXPECT_EQ(SelectFont(1), 5);
    EXPECT_EQ(Records(FontsTable()).size(), 2u);
  }

  // Cancelled (the answerer that accepts is gone): the number given.
  DialogAnswerer cancel([](const SeenDialog&) { return IDCANCEL; });
  EXPECT_EQ(SelectFont(7), 7);
}

TEST_F(UserLookTest, TheCommonDialogsAnswerWhatTheyWereGivenWhenCancelled) {
  DialogAnswerer cancel([](const SeenDialog&) { return IDCANCEL; });
  EXPECT_EQ(X("CHOOSECOLOR(255)").AsInt(), 255);
  const Value font = X("CHOOSEFONTH({-13, 0, 0, 0, 700, .T., .F., .F., 0, 0, 0, 0, 0, 'Arial'})");
  ASSERT_TRUE(font.IsArray());
  EXPECT_EQ(font.AsArray()[0].AsInt(), -13);
  EXPECT_EQ(font.AsArray()[4].AsInt(), 700);
  EXPECT_TRUE(font.AsArray()[5].AsLogical());
  EXPECT_EQ(font.AsArray()[13].AsString(), "Arial");
  const Value none = X("CHOOSEFONTH()");
  EXPECT_EQ(none.AsArray().size(), 14u);
  EXPECT_EQ(none.AsArray()[13].AsString(), "");
}

TEST_F(UserLookTest, AcceptedTheColourDialogAnswersItsColour) {
  DialogAnswerer accept([](const SeenDialog&) { return IDOK; });
  EXPECT_EQ(ui::ChooseColorDialog(RGB(10, 20, 30)), RGB(10, 20, 30));
  // A face the system has: the dialog starts on it and answers it.
  LOGFONTA system_font{};
  HDC screen = GetDC(nullptr);
  LOGFONTA any{};
  any.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(
      screen, &any,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM out) -> int {
        if (font->lfFaceName[0] == '@' || (type & TRUETYPE_FONTTYPE) == 0) return 1;
        *reinterpret_cast<LOGFONTA*>(out) = *font;
        return 0;
      },
      reinterpret_cast<LPARAM>(&system_font), 0);
  ReleaseDC(nullptr, screen);
  ASSERT_NE(system_font.lfFaceName[0], '\0');
  LOGFONTA start{};
  start.lfHeight = -16;
  start.lfWeight = FW_BOLD;
  std::memcpy(start.lfFaceName, system_font.lfFaceName, LF_FACESIZE);
  const ui::ChosenFont chosen = ui::ChooseFontDialog({.font = start, .colour = RGB(1, 2, 3), .effects = true});
  EXPECT_TRUE(chosen.confirmed);
  EXPECT_STREQ(chosen.font.lfFaceName, system_font.lfFaceName);
  EXPECT_EQ(chosen.font.lfWeight, FW_BOLD);
  EXPECT_EQ(chosen.colour, RGB(1, 2, 3));
}

}  // namespace
}  // namespace svc
