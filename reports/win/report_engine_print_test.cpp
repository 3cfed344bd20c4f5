// Reports made by compiled text through the banded engine's classes, on the page printer (read
// back from the test printer's PostScript) and in the preview: the pens, the shading brush,
// the text colours, the shaded lines and the preview block.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "output/preview.h"
#include "reports/report_test_support.h"
#include "reports/win/report_window_test_support.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/test_printer.h"

namespace reports {
namespace {

using testing::Table;
using testing::X;

// What a PostScript job draws, as the printer driver writes it: a stroke is "x y moveto",
// "x y lineto", "stroke" after its colour and width; a text is "x y moveto" followed by one
// "/name glyphshow" a character; a fill is a closed path, its colour and "fill".
struct Stroke {
  std::string colour;
  int width, x1, y1, x2, y2;
};
struct TextRun {
  std::string colour, text;  // the text without blanks
  int x, y;
};
struct Fill {
  int left, top, width, height;
};
struct Drawing {
  std::vector<Stroke> strokes;
  std::vector<TextRun> texts;
  std::vector<Fill> fills;

  // The first text that reads `text` (blanks left out); nullptr when none does.
  const TextRun* Text(const std::string& text, std::size_t from = 0) const {
    for (std::size_t i = from; i < texts.size(); ++i)
      if (texts[i].text == text) return &texts[i];
    return nullptr;
  }
  // Whether a fill lies under a text's baseline.
  bool Shaded(const TextRun& t) const {
    for (const Fill& f : fills)
      if (t.x >= f.left && t.x < f.left + f.width && t.y >= f.top && t.y <= f.top + f.height) return true;
    return false;
  }
};

std::string Glyph(const std::string& name) {
  static const std::map<std::string, std::string> named = {
      {"zero", "0"},  {"one", "1"},   {"two", "2"},    {"three", "3"},  {"four", "4"},   {"five", "5"},
      {"six", "6"},   {"seven", "7"}, {"eight", "8"},  {"nine", "9"},   {"comma", ","},  {"period", "."},
      {"colon", ":"}, {"hyphen", "-"}, {"space", ""}, {"uni00A0", ""}, {"oacute", "ó"}, {"iacute", "í"}, {"aacute", "á"}, {"ellipsis", "..."}};
  if (name.size() == 1) return name;
  auto it = named.find(name);
  return it != named.end() ? it->second : "?";
}

Drawing Read(const std::string& ps) {
  Drawing d;
  std::istringstream in(ps);
  std::string colour = "0.00 0.00 0.00", line;
  int width = 0;
  std::vector<std::string> recent;
  TextRun* text = nullptr;
  int mx = 0, my = 0;
  bool moved = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    recent.push_back(line);
    int a = 0, b = 0;
    char name[64] = {};
    if (line.size() > 12 && line.ends_with(" setrgbcolor")) {
      colour = line.substr(0, line.size() - 12);
    } else if (line.ends_with(" setlinewidth 1 setlinejoin 1 setlinecap") && std::sscanf(line.c_str(), "%d", &a) == 1) {
      width = a;
    } else if (line.ends_with(" moveto") && std::sscanf(line.c_str(), "%d %d", &a, &b) == 2) {
      mx = a, my = b, moved = true;
      text = nullptr;
    } else if (line.ends_with(" lineto") && std::sscanf(line.c_str(), "%d %d", &a, &b) == 2 && moved) {
      d.strokes.push_back({colour, width, mx, my, a, b});
    } else if (line == "stroke") {
      moved = false;
    } else if (line.ends_with(" glyphshow") && std::sscanf(line.c_str(), "/%63s", name) == 1) {
      if (text == nullptr && moved) {
        d.texts.push_back({colour, "", mx, my});
        text = &d.texts.back();
        moved = false;
      }
      if (text != nullptr) text->text += Glyph(name);
    } else if (line == "fill" && recent.size() >= 8) {
      // moveto, rlineto, rlineto, rlineto, closepath, gsave, colour, fill
      const std::size_t at = recent.size() - 8;
      Fill f{};
      int ignored = 0;
      if (std::sscanf(recent[at].c_str(), "%d %d moveto", &f.left, &f.top) == 2 &&
          std::sscanf(recent[at + 1].c_str(), "%d %d rlineto", &f.width, &ignored) == 2 &&
          std::sscanf(recent[at + 2].c_str(), "%d %d rlineto", &ignored, &f.height) == 2)
        d.fills.push_back(f);
      if (!d.strokes.empty() && d.strokes.back().x1 == f.left && d.strokes.back().y1 == f.top) d.strokes.pop_back();
      moved = false;
    }
  }
  return d;
}

class EnginePrintTest : public testing::ReportWindowTest<> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    Table(folder_.path(), "Ventas", "{{'ZONA', 'C', 6, 0}, {'CODIGO', 'C', 6, 0}, {'IMPORTE', 'N', 10, 2}}",
          {"FIELDPUT(1, 'NORTE'), FIELDPUT(2, 'A01'), FIELDPUT(3, 1234.5)",
           "FIELDPUT(1, 'NORTE'), FIELDPUT(2, 'B02'), FIELDPUT(3, 10)",
           "FIELDPUT(1, 'SUR'), FIELDPUT(2, 'C03'), FIELDPUT(3, 0.25)"});
    X("DBUSEAREA(.T., 'ADS', '" + folder_.path() + "Ventas.dbf', 'VENTASQZ', .F.)");
  }
  void TearDown() override {
    X("oRep := oCod := oImp := oGrupo := NIL, VENTASQZ->(DBCLOSEAREA())");
    ReportWindowTest::TearDown();
  }
  // The code and amount columns, the amount totalled in font `total_font`.
  static void Columns(int total_font = 1) {
    X("oCod := TQZRCol():New({{|| 'Código'}},, {{|| FIELD->CODIGO}}, 8,,,,, 'LEFT',,,, oRep,,, 'C')");
    X("oImp := TQZRCol():New({{|| 'Importe'}},, {{|| FIELD->IMPORTE}}, 12, {'@E 9,999,999.99'},, .T.,, 'RIGHT',,,,"
      " oRep,, {1, 1, " + std::to_string(total_font) + ", 1}, 'N')");
    X("oRep:AddColumn(oCod), oRep:AddColumn(oImp), DBGOTOP()");
  }
};

// The first pen given (red, two points) makes the horizontal pen: every rule is drawn with it,
// a double rule's lines lie two of its widths apart; a font's colour colours its texts, here
// the grand total's caption and figure. Once printed, the report has freed its fonts and pens.
TEST_F(EnginePrintTest, TheFirstPenDrawsTheRulesAndEachFontPrintsInItsColour) {
  vdr::test::PrinterOutput out("motor_plumas_colores");
  X("oRep := TQZReport():New({{|| 'Ventas'}},,, {TFont():New('Arial', 0, -10), TFont():New('Arial', 0, -10,, .T.)},"
    " {TPen():New(0, 2, 255)},,,, .T.,,,, 'Plumas')");
  const int width = X("oRep:oPenHorz:nWidth").AsInt();
  EXPECT_EQ(width, MulDiv(2, 300, 72)) << "two points on the 300 dpi test printer";
  EXPECT_EQ(X("oRep:oPenHorz:nColor").AsInt(), 255);
  EXPECT_EQ(X("oRep:aPen[1]:nWidth").AsInt(), width);
  EXPECT_EQ(X("Len(oRep:aFont)").AsInt(), 2);
  EXPECT_EQ(X("oRep:aClrText[1] + oRep:aClrText[2]").AsInt(), 0) << "black until set";
  X("oRep:SetTxtColor(32768, 2), oRep:nTotalFont := 2, oRep:cGrandTotal := 'Total'");
  Columns(2);
  X("oRep:Activate()");
  EXPECT_TRUE(X("oRep:oPenHorz == NIL .AND. Empty(oRep:aFont) .AND. Empty(oRep:aPen)").AsLogical());
  EXPECT_EQ(out.Pages(), 1);

  const Drawing d = Read(out.PostScript());
  // Double rules above and below the titles and above the totals: two lines a column each.
  ASSERT_EQ(d.strokes.size(), 12u);
  for (const Stroke& s : d.strokes) {
    EXPECT_EQ(s.colour, "1.00 0.00 0.00");
    EXPECT_EQ(s.width, width);
    EXPECT_EQ(s.y1, s.y2);
  }
  EXPECT_EQ(d.strokes[2].y1 - d.strokes[0].y1, 2 * width) << "at 0.4 and 0.6 of ten widths";
  std::vector<std::string> green;
  for (const TextRun& t : d.texts) {
    if (t.colour == "0.00 0.50 0.00") green.push_back(t.text);
    else EXPECT_EQ(t.colour, "0.00 0.00 0.00") << t.text;
  }
  EXPECT_EQ(green, (std::vector<std::string>{"Total", "1.244,75"}));
}

// Every line started is shaded in turn, group headings and footings as well as records; the
// brush is made once, on the first shaded line, in the shading colour, and freed at the end.
TEST_F(EnginePrintTest, GroupHeadingsAndFootingsTakeTheirTurnInTheShading) {
  vdr::test::PrinterOutput out("motor_sombra_grupos");
  X("oRep := TQZReport():New(,,,,,,,, .T.,,,, 'Sombra'), oRep:lGlobalShadow := .T.");
  Columns();
  X("oGrupo := TQZRGroup():New({|| FIELD->ZONA}, 'Zona: ', 'Total zona',, .F., oRep, 1), oRep:AddGroup(oGrupo)");
  X("oRep:AddHeadGroup({'FIELD->ZONA'}), oRep:AddLineGroup({1})");
  X("cBrocha := '', oRep:bEndLine := {|o| IIf(Empty(cBrocha) .AND. o:oShdBrush != NIL,"
    " cBrocha := o:oShdBrush:ClassName() + Str(o:oShdBrush:nRGBColor, 9), NIL)}");
  X("oRep:Activate()");
  EXPECT_EQ(X("cBrocha").AsString(), "TBRUSH 12632256");
  EXPECT_TRUE(X("oRep:oShdBrush == NIL").AsLogical());
  const Drawing d = Read(out.PostScript());
  // Heading NORTE, A01, B02, footing NORTE (a line for its rule, then its own), heading SUR,
  // C03, footing SUR: the first of every two lines started is shaded, in both columns.
  EXPECT_EQ(d.fills.size(), 10u);
  struct Case {
    std::string text;
    std::size_t nth;  // which one of the texts that read so
    bool shaded;
  };
  const Case cases[] = {{"Zona:NORTE", 0, true}, {"A01", 0, false},       {"B02", 0, true}, {"Totalzona", 0, true},
                        {"Zona:SUR", 0, false},  {"C03", 0, true},        {"Totalzona", 1, true}};
  for (const Case& c : cases) {
    const TextRun* t = d.Text(c.text);
    for (std::size_t n = 0; t != nullptr && n < c.nth; ++n) t = d.Text(c.text, static_cast<std::size_t>(t - d.texts.data()) + 1);
    ASSERT_NE(t, nullptr) << c.text;
    EXPECT_EQ(d.Shaded(*t), c.shaded) << c.text << " " << c.nth;
  }
}

// The preview runs its own loop: a timer looks at it, counts it and closes it.
int g_previews = 0;
std::string g_preview_label;
void CALLBACK ClosePreview(HWND, UINT, UINT_PTR, DWORD) {
  output::Preview* preview = output::Preview::Open();
  if (preview == nullptr) return;
  ++g_previews;
  g_preview_label = preview->PageLabel();
  testing::Shot(preview->window()->hWnd, "engine_preview");
  preview->window()->End();
}

// The preview block shows a preview device's pages once, in the program's preview; a block of
// the report's own replaces it and runs once with the device and the report; on the printer
// nothing is previewed.
TEST_F(EnginePrintTest, ThePreviewBlockShowsThePagesOnce) {
  vdr::test::DialogAnswerer answer([](const vdr::test::SeenDialog&) { return IDOK; });
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &ClosePreview);
  g_previews = 0;
  X("oRep := TQZReport():New({{|| 'Vista'}},,,,,,,, .F., .T.,,, 'Vista')");
  EXPECT_TRUE(X("oRep:lScreen .AND. ValType(oRep:bPreview) == 'B'").AsLogical());
  Columns();
  X("oRep:Activate()");
  vdr::test::PumpUntil([] { return g_previews > 0 && output::Preview::Open() == nullptr; }, 3000);
  EXPECT_EQ(g_previews, 1);
  EXPECT_EQ(g_preview_label, "Página 1 / 1");

  X("oRep := TQZReport():New(,,,,,,,, .F., .T.,,, 'Vista propia'), nVeces := 0");
  X("oRep:bPreview := {|oDev, oR| nVeces++, lMismos := (oDev == oRep:oDevice .AND. oR == oRep), oDev:End()}");
  Columns();
  X("oRep:Activate()");
  EXPECT_EQ(X("nVeces").AsInt(), 1);
  EXPECT_TRUE(X("lMismos").AsLogical());

  vdr::test::PrinterOutput out("motor_sin_vista");
  X("oRep := TQZReport():New(,,,,,,,, .T.,,,, 'Impreso')");
  Columns();
  X("oRep:Activate()");
  EXPECT_EQ(out.Pages(), 1);
  vdr::test::PumpUntil([] { return false; }, 700);
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_previews, 1);
  EXPECT_TRUE(answer.seen().empty()) << answer.seen().front().title;
}

}  // namespace
}  // namespace reports
