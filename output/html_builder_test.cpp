// The HTML export as compiled text drives it: the listing device's font classes, the report
// device made by its own New, and the builder's pages written a piece at a time.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "output/html_export.h"
#include "output/output_test_support.h"
#include "output/printer_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/workareas.h"
#include "services/table_helpers.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

using xb::Value;

Value X(const std::string& text) { return xb::EvalMacro(text); }
void Set(std::string_view name, Value v) { xb::SetMemvar(xb::Intern(name), std::move(v)); }
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class HtmlBuilderTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    test::StartListingRun(folder_.path(), functions_);
    ASSERT_TRUE(CreaImprDbf());
    svc::SelectedAreaScope keep;
    ASSERT_TRUE(svc::OpenTable(GesPrnTable(), "_P", true));
    svc::OpenedArea area(true);
    test::AppendTestPrinter(vdr::test::kTestPrinter, "LPT1:", "1", 1);
  }
  void TearDown() override {
    if (xb::FindMemvar(xb::Intern("oDev")) != nullptr && X("oDev").IsObject()) X("oDev:End()");
    xb::rdd::ResetTables();
    ui::PrinterInit();
    FrameworkTest::TearDown();
    functions_.Restore();
  }
  std::string WorkDir() const { return folder_.path() + "~HTML01\\"; }

  xb::FunctionTableSnapshot functions_;
  test::TempFolder folder_{"vdrweb"};
};

TEST_F(HtmlBuilderTest, TheListingDevicesFontsTakeTheListingsClassNames) {
  Set("oDev", X("TQZWebLS():New('Fuentes', .F., 1)"));
  ASSERT_TRUE(X("oDev:Ok()").AsLogical());
  const char* classes[] = {"FNT_NORMAL", "FNT_COMPRI", "FNT_EXPAND", "FNT_NORMAL_B", "FNT_COMPRI_B", "FNT_EXPAND_B"};
  for (int n = 1; n <= 6; ++n) {
    const Value font = X("oDev:oQZWeb:GetFont(" + std::to_string(n) + ")");
    ASSERT_TRUE(font.IsArray());
    ASSERT_EQ(font.AsArray().size(), 8u);
    EXPECT_EQ(font.AsArray().Get(0).AsInt(), n);
    EXPECT_EQ(font.AsArray().Get(7).AsString(), classes[n - 1]);
    EXPECT_EQ(font.AsArray().Get(4).AsLogical(), n > 3) << n;  // the bold three
  }
}

// The listing device's drawing methods of the other destinations answer from compiled text:
// each records its row in the work table.
TEST_F(HtmlBuilderTest, TheListingDevicesDrawingIsRecordedFromCompiledText) {
  Set("oDev", X("TQZWebLS():New('Dibujo', .F., 1)"));
  ASSERT_TRUE(X("oDev:Ok()").AsLogical());
  Set("cRows", X("oDev:oQZWeb:aHTMLDbfs[1]"));
  struct Row {
    const char* call;
    int kind;  // TDATA of the row recorded
  };
  const Row rows[] = {
      {"oDev:QZTextOut(300, 600, 'Hola', .F., 2, 10)", 1},
      {"oDev:QZLine(300, 600, 300, 1200, 255, 2, 0)", 3},
      {"oDev:QZRectangle(300, 600, 900, 1200, 0, 1, 0)", 4},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].call);
    X(rows[i].call);
    EXPECT_EQ(X("(cRows)->(LASTREC())").AsInt(), static_cast<std::int64_t>(i + 1));
    X("(cRows)->(DBGOTO(LASTREC()))");
    EXPECT_EQ(X("(cRows)->TDATA").AsInt(), rows[i].kind);
  }
  X("(cRows)->(DBGOTO(1))");
  EXPECT_EQ(X("ALLTRIM((cRows)->DATA)").AsString(), "Hola");
  EXPECT_EQ(X("(cRows)->ROW").AsInt(), 2);
  EXPECT_EQ(X("(cRows)->COL").AsInt(), 10);
}

// Each page the builder begins puts its listing device back on its first font, not bold,
// whatever font the listing left selected.
TEST_F(HtmlBuilderTest, ANewPageTakesTheListingDeviceBackToItsFirstFont) {
  Set("oDev", X("TQZWebLS():New('Páginas', .F., 1)"));
  ASSERT_TRUE(X("oDev:Ok()").AsLogical());
  for (const char* leave : {"oDev:Comprimida(.T.)", "oDev:Expandida()", "oDev:ActivarFuente(6)", "oDev:PesoNegrita()"}) {
    SCOPED_TRACE(leave);
    X(leave);
    ASSERT_FALSE(X("oDev:nTipoFont == 1 .AND. !oDev:lBold").AsLogical());
    ASSERT_TRUE(X("oDev:oQZWeb:BeginPage(0, 1)").AsLogical());
    EXPECT_EQ(X("oDev:nTipoFont").AsInt(), 1);
    EXPECT_FALSE(X("oDev:lBold").AsLogical());
    const auto dc = reinterpret_cast<HDC>(static_cast<std::intptr_t>(X("oDev:hDC").AsInt()));
    EXPECT_EQ(X("oDev:oQZWeb:GetFont(1)[2]").AsInt(),
              reinterpret_cast<std::intptr_t>(GetCurrentObject(dc, OBJ_FONT)));
    X("oDev:oQZWeb:FinishPage()");
  }
}

// BeginDocument answers whether the document was begun, from the builder and from either
// device: .T. and a numbered document; .F., after the message naming the work folder, when
// its folder cannot be made.
TEST_F(HtmlBuilderTest, BeginDocumentAnswersWhetherTheDocumentWasBegun) {
  Set("oDev", X("TQZWebPr():New('Facturas', .T.)"));
  ASSERT_TRUE(X("oDev:Ok()").AsLogical());
  EXPECT_TRUE(X("oDev:BeginDocument('Factura 1', {'uno@a.es'}, {}, {}, 'Texto', 'F1')").AsLogical());
  EXPECT_TRUE(X("oDev:oQZWeb:BeginDocument('Factura 2', {'dos@b.es'})").AsLogical());
  EXPECT_EQ(X("oDev:oQZWeb:CountDocuments()").AsInt(), 2);
  EXPECT_EQ(X("oDev:oQZWeb:nDocument").AsInt(), 2);
  std::ofstream(folder_ / "FICHERO") << "x";
  Set("cMade", X("oDev:oQZWeb:cHTMLDir"));
  Set("cBad", Value::String(folder_ / "FICHERO\\"));
  X("oDev:oQZWeb:cHTMLDir := cBad");
  vdr::test::DialogAnswerer answer(
      [](const vdr::test::SeenDialog& d) { return d.buttons.empty() ? 0 : d.buttons.front().id; });
  EXPECT_FALSE(X("oDev:BeginDocument('Factura 3', {'tres@c.es'})").AsLogical());
  ASSERT_EQ(answer.seen().size(), 1u);
  EXPECT_EQ(answer.seen()[0].AllText(), "No se pudo crear la carpeta de trabajo " + folder_ / "FICHERO\\");
  EXPECT_EQ(X("oDev:oQZWeb:CountDocuments()").AsInt(), 2);
  X("oDev:oQZWeb:cHTMLDir := cMade");
}

// TQZWebPr():New makes the builder with the title and measures on one context of the default
// printer; a second New leaves the device as it is.
TEST_F(HtmlBuilderTest, TheReportDeviceIsMadeByItsOwnNew) {
  Set("oDev", X("TQZWebPr():New('Informe de años', .F.)"));
  ASSERT_TRUE(X("oDev:Ok()").AsLogical());
  EXPECT_EQ(X("oDev:oQZWeb:cTitle").AsString(), "Informe de años");
  EXPECT_EQ(X("oDev:cDocument").AsString(), "Informe de años");
  EXPECT_EQ(X("oDev:oQZWeb:nTipo").AsInt(), 2);
  EXPECT_EQ(X("oDev:hDC").AsInt(), X("oDev:hDCOut").AsInt());
  EXPECT_NE(X("oDev:hDC").AsInt(), 0);
  EXPECT_EQ(X("oDev:nHeight()").AsInt(), X("oDev:nVertRes()").AsInt());
  EXPECT_EQ(X("oDev:nWidth()").AsInt(), X("oDev:nHorzRes()").AsInt());
  const std::string dir = std::string(X("oDev:oQZWeb:cHTMLDir").AsString());
  const std::int64_t dc = X("oDev:hDC").AsInt();
  X("oDev:New('Otro')");
  EXPECT_EQ(X("oDev:oQZWeb:cHTMLDir").AsString(), dir);
  EXPECT_EQ(X("oDev:hDC").AsInt(), dc);
  EXPECT_EQ(X("oDev:oQZWeb:cTitle").AsString(), "Informe de años");
  X("oDev:End()");
  EXPECT_FALSE(Exists(WorkDir()));
}

TEST_F(HtmlBuilderTest, ThePagesAreWrittenAPieceAtATimeFromCompiledText) {
  Set("oDev", X("TQZWebPr():New('Piezas')"));
  ASSERT_TRUE(X("oDev:Ok()").AsLogical());
  X("oWeb := oDev:oQZWeb");
  X("oFont := TFont():New('Arial', 0, -12, .F., .T., 0, 0, 0, .F., .F., .F., 0, 0, 0, 0, oDev)");
  // A font object is added once, its size in points on the device.
  const std::int64_t number = X("oWeb:Select2Font(oFont, 255)").AsInt();
  EXPECT_GT(number, 0);
  EXPECT_EQ(X("oWeb:Select2Font(oFont, 255)").AsInt(), number);
  EXPECT_EQ(X("oWeb:GetFont(" + std::to_string(number) + ")[4]").AsInt(), 12);
  EXPECT_TRUE(X("oWeb:GetFont(" + std::to_string(number) + ")[5]").AsLogical());
  // A font of a table that is not open: Arial of 10 points, numbered after the listing's six.
  EXPECT_EQ(X("oWeb:SelectFont('NOHAY', 4)").AsInt(), 10);
  EXPECT_EQ(X("oWeb:GetFont(10)[3]").AsString(), "Arial");
  // The builder's fonts as a list: each {number, handle, face, points, bold, italic, colour, class}.
  Set("aFonts", X("oWeb:acFonts"));
  EXPECT_EQ(X("LEN(aFonts)").AsInt(), 2);
  EXPECT_EQ(X("aFonts[1][1]").AsInt(), number);
  EXPECT_EQ(X("aFonts[1][7]").AsInt(), 255);
  EXPECT_EQ(X("aFonts[2][1]").AsInt(), 10);
  EXPECT_EQ(X("aFonts[2][8]").AsString(), "FNT_10");
  EXPECT_EQ(X("LEN(oWeb:aImages)").AsInt(), 0);
  // One text of page 1 in the work table.
  X("oDev:StartPage()");
  X("oDev:Say(100, 100, 'Hola mundo', oFont)");
  // The first page written by hand: head, fonts, a paragraph of the table's row, a line.
  EXPECT_TRUE(X("oWeb:BeginPage(0, 1)").AsLogical());
  X("oWeb:BeginHead(1)");
  X("oWeb:WriteFontStyles()");
  X("oWeb:FinishHead()");
  X("oWeb:BeginBody('#FFFFFF')");
  X("nArea := SELECT()");
  X("DBSELECTAREA(oWeb:aHTMLDbfs[1])");
  X("DBGOTOP()");
  X("DBSELECTAREA(nArea)");
  X("oWeb:BeginDato(1)");
  X("oWeb:Estilo('top', '10.00mm')");
  X("oWeb:Estilo('left', '\"x\"')");
  X("oWeb:EndDato(1)");
  X("oWeb:BeginDato(3)");
  X("oWeb:EndDato(3)");
  X("oWeb:WH('<!-- nota -->')");
  X("oWeb:WH('sin salto', .F.)");
  X("oWeb:FinishBody()");
  X("oWeb:FinishPage()");
  const std::string page = test::ReadFile(std::string(X("oWeb:cPage(0, 1, .T.)").AsString()));
  EXPECT_EQ(page.rfind("<HTML>\r\n <HEAD> ", 0), 0u) << page;
  const std::string font_class = ".FNT_" + std::to_string(number) + "\r\n";
  EXPECT_NE(page.find(font_class), std::string::npos);
  EXPECT_NE(page.find("BGCOLOR=\"#FFFFFF\""), std::string::npos);
  EXPECT_NE(page.find("<P CLASS=\"FNT_" + std::to_string(number) +
                      "\" style=\"top:10.00mm;left:&quot;x&quot;;\">Hola&nbsp;mundo</P>\r\n"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<P CLASS=\"DEFAULT\" style=\"\"></P>\r\n"), std::string::npos);
  EXPECT_NE(page.find("<!-- nota -->\r\nsin salto </P>\r\n </BODY>\r\n</HTML>\r\n"), std::string::npos) << page;
  // The placeholder pages and the navigation page of the document, and a line added to it.
  X("oWeb:PreparePages(0)");
  EXPECT_NE(test::ReadFile(std::string(X("oWeb:cPage(0, 1, .T.)").AsString())).find("Generando página..."),
            std::string::npos);
  X("oWeb:Navigation(0)");
  X("oWeb:WH_NAV('<!-- fin -->')");
  const std::string navigation = test::ReadFile(std::string(X("oWeb:cHTMLDir").AsString()) + "Navega00.htm");
  EXPECT_NE(navigation.find("Página 1 de 1"), std::string::npos);
  EXPECT_EQ(navigation.rfind("<!-- fin -->\r\n"), navigation.size() - 14);
  // The rest of the builder's messages answer from compiled text too.
  for (const char* message : {"EXPLORE", "SETUBICATION", "SENDDOCUMENTSVIAEMAIL", "COUNTDOCUMENTS", "ADDIMAGE"})
    EXPECT_TRUE(xb::HasMessage(X("oWeb"), xb::Intern(message))) << message;
  X("oDev:End()");
  EXPECT_FALSE(Exists(WorkDir()));
}

}  // namespace
}  // namespace output
