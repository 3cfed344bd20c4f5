#include "services/colour_editor.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <chrono>
#include <thread>

#include "data/program_settings.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/test_support.h"
#include "runtime/lib/strings.h"
#include "services/font_choice.h"
#include "services/menu_access.h"
#include "services/services_test_support.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using testing::N;
using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using xb::Value;

class ColourEditorTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    qzw_CreaUsuarios(true, false);
    AddUser("01", "Ana", "uno");
  }
  // The bytes of a user's `ColorW` record as the file holds them.
  std::string RecordBytes(const std::string& code) {
    const std::string file = memory().Contents(DbfOf(ColorWTable()));
    const auto header = static_cast<unsigned char>(file[8]) | static_cast<unsigned char>(file[9]) << 8;
    const auto length = static_cast<unsigned char>(file[10]) | static_cast<unsigned char>(file[11]) << 8;
    for (std::size_t at = header; at + length <= file.size(); at += length)
      if (file.compare(at + 1, 2, code) == 0) return file.substr(at, length);
    return {};
  }
};

// What the colour dialogs answer goes to the colour of the button that opened them.
TEST_F(ColourEditorTest, EachButtonsColourGoesToItsWorkingValue) {
  struct Case {
    int button;
    std::uint32_t ColorScheme::*field;
  };
  const Case cases[] = {
      {400, &ColorScheme::desktop},     {401, &ColorScheme::enable_text}, {402, &ColorScheme::enable_back},
      {403, &ColorScheme::disable_text}, {404, &ColorScheme::disable_back}, {405, &ColorScheme::say},
      {304, &ColorScheme::grid},        {305, &ColorScheme::header_text}, {306, &ColorScheme::header_back},
      {307, &ColorScheme::text},        {308, &ColorScheme::pane},        {310, &ColorScheme::odd_text},
      {311, &ColorScheme::odd_back},    {312, &ColorScheme::even_text},   {313, &ColorScheme::even_back},
      {316, &ColorScheme::focus_text},  {317, &ColorScheme::focus_back},
  };
  for (const Case& c : cases) {
    ColorScheme scheme;
    SetSchemeColour(scheme, c.button, 0x123456);
    EXPECT_EQ(scheme.*c.field, 0x123456u) << c.button;
    ColorScheme others;
    others.*c.field = 0x123456;
    EXPECT_EQ(std::memcmp(&scheme.desktop, &others.desktop, sizeof(std::uint32_t) * 6), 0) << c.button;
  }
  ColorScheme untouched;
  SetSchemeColour(untouched, 500, 1);
  EXPECT_EQ(untouched.desktop, 0u);
}

// 510, 511 and 512 set the values of the editor's defaults, which differ from a new record's
// on purpose (desktop, browse background).
TEST_F(ColourEditorTest, TheDefaultButtons) {
  ColorScheme s;
  s.desktop = s.enable_back = s.pane = s.grid = 1;
  s.font_titulo = 4;
  s.font_total = 7;
  s.line_style = 0;
  s.alternate = false;
  s.classic = true;
  s.row_spacing = 9;
  s.font = {"Courier", 3, 20, true, true};
  DefaultColours(s);
  EXPECT_EQ(s.desktop, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(s.enable_text, GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(s.enable_back, 16777215u);
  EXPECT_EQ(s.disable_text, GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(s.disable_back, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(s.say, GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(s.font_titulo + s.font_linea + s.font_stotal + s.font_total, 4);
  EXPECT_EQ(s.line_style, 5);
  EXPECT_TRUE(s.alternate);
  EXPECT_EQ(s.grid, 6842472u);
  EXPECT_EQ(s.header_text, 0u);
  EXPECT_EQ(s.header_back, 13292503u);
  EXPECT_EQ(s.focus_text, 16777215u);
  EXPECT_EQ(s.focus_back, 8750724u);
  EXPECT_EQ(s.pane, 15396845u);
  EXPECT_EQ(s.odd_back, 16777215u);
  EXPECT_EQ(s.even_back, 15396845u);
  EXPECT_EQ(s.row_spacing, 5);
  EXPECT_FALSE(s.classic);
  EXPECT_EQ(s.font.face, "Courier");  // the working font is 511's
  EXPECT_NE(DefaultScheme().desktop, s.desktop);

  DefaultWorkingFont(s);
  EXPECT_EQ(s.font.face, DefaultScheme().font.face);
  EXPECT_EQ(s.font.height, DefaultScheme().font.height);
  EXPECT_FALSE(s.font.bold);
  EXPECT_FALSE(s.font.italic);

  s.line_style = 4;
  s.grid = 3;
  DefaultBrowseLook(s);
  EXPECT_EQ(s.line_style, 5);
  EXPECT_EQ(s.grid, 6842472u);
}

// 301 switches between no lines (0) and style 5; the classic look disables every colour
// button of the look dialog, no lines the style and grid colour, no alternation its colours.
TEST_F(ColourEditorTest, TheLookDialogsSwitches) {
  ColorScheme s;
  s.line_style = 4;
  SetNoLines(s, true);
  EXPECT_EQ(s.line_style, 0);
  for (int id : {302, 303, 304}) EXPECT_FALSE(LookControlEnabled(s, id)) << id;
  EXPECT_TRUE(LookControlEnabled(s, 305));
  SetNoLines(s, false);
  EXPECT_EQ(s.line_style, 5);
  for (int id : {302, 303, 304}) EXPECT_TRUE(LookControlEnabled(s, id)) << id;

  s.alternate = false;
  for (int id : {310, 311, 312, 313}) EXPECT_FALSE(LookControlEnabled(s, id)) << id;
  s.alternate = true;
  s.classic = true;
  for (int id : {304, 305, 306, 307, 308, 310, 311, 312, 313, 316, 317}) EXPECT_FALSE(LookControlEnabled(s, id)) << id;
  for (int id : {301, 302, 303, 309, 314, 315}) EXPECT_TRUE(LookControlEnabled(s, id)) << id;
}

// A listing font is found by face, colour, bold, italic, width and height, or appended after
// the last number.
TEST_F(ColourEditorTest, AListingFontIsFoundOrAppended) {
  WriteFonts({{{"NFONT", N(3)}, {"CFACENAME", S("Arial")}, {"NWIDTH", N(0)}, {"NHEIGHT", N(16)}, {"NCOLOR", N(255)}}});
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(FontsTable(), "Fonts", false));
  OpenedArea fonts(true);
  EXPECT_EQ(FindOrAddFont({"Arial", 0, 16, false, false}, 255), 3);
  EXPECT_EQ(FindOrAddFont({"Arial", 0, 16, false, false}, 0), 4);      // another colour
  EXPECT_EQ(FindOrAddFont({"Arial", 0, 16, true, false}, 255), 5);     // bold
  EXPECT_EQ(FindOrAddFont({"Arial", 0, 16, true, false}, 255), 5);
  EXPECT_EQ(Area().RecordCount(), 3u);
}

// Two users adding a font at once: the number is taken under the table's lock, so a font
// added while another user holds it comes after the other's.
TEST_F(ColourEditorTest, AFontAddedWhileAnotherUserNumbersOneTakesTheNextNumber) {
  xb::rdd::testing::TempFolder folder;
  areas().set_file_system(nullptr);  // real files, which the other process sees
  data::cPathInforme(folder.path());
  WriteFonts({{{"NFONT", N(4)}, {"CFACENAME", S("Arial")}, {"NWIDTH", N(0)}, {"NHEIGHT", N(16)}}});
  const std::string ready = folder / "ready", release = folder / "release";
  // The other user holds the lock, and adds font 5 when let go.
  xb::rdd::testing::ChildProcess other(
      {"xbase", "DBUSEAREA(.T., 'ADS', '" + DbfOf(FontsTable()) + "', 'F', .T.)", "=FLOCK()", "@ready:" + ready,
       "@wait:" + release, "DBAPPEND()", "FIELDPUT(1, 5)", "FIELDPUT(2, 'Otra')", "DBCOMMIT()", "DBUNLOCK()"});
  ASSERT_TRUE(xb::rdd::testing::WaitForFile(ready));
  std::thread let_go([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xb::rdd::testing::TouchFile(release);
  });
  {
    SelectedAreaScope keep;
    ASSERT_TRUE(OpenTable(FontsTable(), "Fonts", false));
    OpenedArea fonts(true);
    EXPECT_EQ(FindOrAddFont({"Courier New", 0, 16, false, false}, 0), 6);
  }
  let_go.join();
  EXPECT_EQ(other.Wait(), 0);
  std::vector<int> numbers;
  for (const testing::Rec& rec : Records(FontsTable())) numbers.push_back(static_cast<int>(rec[0].second.AsDouble()));
  EXPECT_EQ(numbers, (std::vector<int>{4, 5, 6}));
  xb::rdd::ResetTables();
  areas().set_file_system(&memory());
}

// Without the fonts table no font is chosen: a message, the number given, no table made.
TEST_F(ColourEditorTest, ChoosingAFontWithoutTheFontsTable) {
  int dialogs = 0;
  DialogAnswerer answerer([&](const SeenDialog&) {
    ++dialogs;
    return IDOK;
  });
  EXPECT_EQ(SelectFont(3), 3);
  EXPECT_EQ(dialogs, 0);
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].text, "No existe la tabla de fuentes de los listados:\n" + DbfOf(FontsTable()) +
                                        "\nNo se puede elegir la fuente.");
  EXPECT_FALSE(FileExists(DbfOf(FontsTable())));
}

// Saving rewrites the user's record alone, byte for byte as the scheme gives it, and loads
// the accessors; RESTAURAFONTS brings back the default working font and listing fonts 1.
TEST_F(ColourEditorTest, SavingTheSchemeAndRestoringTheFonts) {
  cCodUser("01");
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(ColorWTable(), "ColorW", false));
  OpenedArea colorw(true);
  SelectOrder(1);
  ASSERT_TRUE(SaveColors("ColorW", true, "01", "", false));
  const std::string supervisor = RecordBytes("00");
  ASSERT_FALSE(supervisor.empty());
  ASSERT_TRUE(Seek(S("01")));
  ColorScheme s = ReadScheme();
  SetSchemeColour(s, 400, 0x00FF00);
  s.font_linea = 3;
  s.font = {"Courier New", 0, 18, true, false};
  s.line_style = 0;
  ASSERT_TRUE(SaveScheme(s, "ColorW", "", "01"));
  colorw.Close();
  EXPECT_EQ(nClrDesktop(), 0x00FF00u);
  EXPECT_EQ(nLineStyle(), 0);
  EXPECT_EQ(UserFontDesc().face, "Courier New");
  EXPECT_EQ(X("NFONTLINEA()").AsInt(), 3);
  EXPECT_EQ(RecordBytes("00"), supervisor);
  const std::string record = RecordBytes("01");
  // cCodigo C2, DeskTop N9, ... (the structure's order): the desktop as 9 digits.
  EXPECT_EQ(record.substr(3, 9), "    65280");
  EXPECT_NE(record.find("Courier New"), std::string::npos);

  RestauraFonts();
  EXPECT_EQ(UserFontDesc().face, DefaultScheme().font.face);
  EXPECT_EQ(X("NFONTLINEA()").AsInt(), 1);
  EXPECT_EQ(X("NCLRLINEA()").AsInt(), 0);
  const std::string restored = RecordBytes("01");
  EXPECT_EQ(restored.find("Courier New"), std::string::npos);
  EXPECT_EQ(restored.substr(3, 9), "    65280");  // the colours stay
  EXPECT_EQ(RecordBytes("00"), supervisor);
}

// The editor under Wine: the desktop colour from the real colour dialog, the working font's
// size and a listing font from the real font dialog, the look dialog's classic switch, the
// defaults, saved; then the accessors hold what was saved.
TEST_F(ColourEditorTest, TheEditorsDialogs) {
  ShowMessages();
  WriteFonts({{{"NFONT", N(1)}, {"CFACENAME", S("Courier New")}, {"NHEIGHT", N(13)}}});
  cCodUser("01");
  cCodUsuario("01");
  SetMenuOption(1, {nullptr, "Colores", '2'});
  int step = 0;
  bool look_seen = false, text_button_on = true, colour_dialog_seen = false, font_dialog_seen = false;
  COLORREF empty_row_pixel = 0;
  std::string titles_label;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;  // a dialog of its own is open over it
    auto press = [&](int id) {
      PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, id)));
    };
    if (GetDlgItem(d.hwnd, 400) != nullptr) {  // the editor
      switch (step++) {
        case 0: press(510); press(411); return 0;  // defaults, then the look
        case 1: press(400); return 0;              // the desktop's colour dialog
        case 2: press(410); return 0;              // the working font's dialog
        case 3: press(406); return 0;              // the column titles' listing font
        default:
          titles_label = ItemText(d.hwnd, 91);
          vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\colours.bmp");
          return 500;
      }
    }
    if (GetDlgItem(d.hwnd, 314) != nullptr) {  // the browse look
      look_seen = d.title == "Aspecto de los browses";
      SendMessageA(GetDlgItem(d.hwnd, 314), BM_CLICK, 0, 0);  // the classic look
      text_button_on = IsWindowEnabled(GetDlgItem(d.hwnd, 307)) != 0;
      // The sample's empty rows take the classic pane (nothing of the earlier look stays).
      HWND sample = GetDlgItem(d.hwnd, 300);
      RedrawWindow(sample, nullptr, nullptr, RDW_UPDATENOW);
      RECT client;
      GetClientRect(sample, &client);
      HDC dc = GetDC(sample);
      empty_row_pixel = GetPixel(dc, client.right / 2 - 7, client.bottom * 2 / 3);
      ReleaseDC(sample, dc);
      vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\browse_look.bmp");
      return 500;
    }
    if (GetDlgItem(d.hwnd, 1138) != nullptr) {  // the font dialog: 20 points
      font_dialog_seen = true;
      SetDlgItemTextA(d.hwnd, 1138, "20");
      return IDOK;
    }
    // The colour dialog: red 10, green 20, blue 30.
    colour_dialog_seen = GetDlgItem(d.hwnd, 706) != nullptr;
    for (const auto& [id, text] : {std::pair{706, "10"}, std::pair{707, "20"}, std::pair{708, "30"}})
      SetDlgItemTextA(d.hwnd, id, text);
    return IDOK;
  });
  Colores();
  EXPECT_EQ(step, 5);
  EXPECT_EQ(X("NFONTTITULO()").AsInt(), 2);  // found after the one there
  EXPECT_EQ(titles_label.substr(0, 21), "Títulos de columnas: ");
  std::string face;
  for (const testing::Rec& rec : Records(FontsTable()))
    if (rec[0].second.AsInt() == 2) face = std::string(xb::AllTrim(rec[1].second.AsString()));
  EXPECT_FALSE(face.empty());
  EXPECT_EQ(titles_label.substr(21, face.size()), face) << titles_label;
  EXPECT_TRUE(font_dialog_seen);
  EXPECT_GE(std::abs(UserFontDesc().height), 26);  // 20 points
  EXPECT_TRUE(look_seen);
  EXPECT_FALSE(text_button_on);
  EXPECT_EQ(empty_row_pixel, GetSysColor(COLOR_BTNFACE));
  EXPECT_TRUE(colour_dialog_seen);
  EXPECT_TRUE(lClassic());
  EXPECT_EQ(nLineStyle(), 5);
  EXPECT_EQ(nClrDesktop(), static_cast<std::uint32_t>(RGB(10, 20, 30)));
  EXPECT_EQ(X("NCLRPROW2()").AsInt(), 15396845);
  EXPECT_EQ(areas().AreaOfAlias("ColorW"), 0);
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace svc
