// The program's page device _TPrinter and its preview QZ_RPREVIEW: the current job of
// _PRINTBEGIN, texts by character cell as the page metafile records them, the preview over the
// program's own strings (navigation, zoom and factor, two pages) and printing all, the current
// page or a range on the test printer.
#include "output/qz_printer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "output/output.h"
#include "output/output_test_support.h"
#include "output/preview.h"
#include "runtime/block.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/wmf_format.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::PrinterOutput;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }

std::vector<ui::wmf::Text> TextsOfFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto records = ui::wmf::ReadRecords(bytes);
  return records ? ui::wmf::TextsOf(*records) : std::vector<ui::wmf::Text>{};
}

using test::WhilePreviewOpen;

class QzPrinterTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(ui::SetResources("VDRE.DLL"), nullptr);
    ui::InitControls();
    InitOutput();
    ui::PrinterInit();
  }
  void TearDown() override {
    SetQzCurrentPrinter(nullptr);
    ui::PrinterInit();
    FrameworkTest::TearDown();
  }
};

TEST_F(QzPrinterTest, PrintBeginMakesTheCurrentJobAndCharSayStartsAtTheCorner) {
  const Value job = X("_PRINTBEGIN('Celdas', .F., .T.)");
  ASSERT_TRUE(job.IsObject());
  EXPECT_EQ(job.AsObject()->ClassName(), "_TPRINTER");
  EXPECT_EQ(X("_OPRINTER():cDocument").AsString(), "Celdas");
  xb::Ref<QzPrinter> p = QzCurrentPrinter();
  ASSERT_TRUE(p);
  ASSERT_NE(p->hDC, nullptr);
  X("_PAGEBEGIN()");
  X("_OPRINTER():CharSay(0, 0, 'cero')");
  X("_OPRINTER():CharSay(1, 1, 'uno')");
  X("_OPRINTER():CharSay(3, 2, 'tres')");
  // The width is ignored: the text starts at its column.
  X("_OPRINTER():Say(500, 700, 'ancho', NIL, 400, NIL, NIL, 1)");
  X("_PAGEEND()");
  EXPECT_EQ(p->hDCOut, nullptr);  // between pages of a metafile job
  ASSERT_EQ(p->aMeta.size(), 1u);
  const std::vector<ui::wmf::Text> texts = TextsOfFile(p->aMeta[0]);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0].x, 0);
  EXPECT_EQ(texts[0].y, 0);
  EXPECT_EQ(texts[1].x, 0);
  EXPECT_EQ(texts[1].y, 0);
  const int height = p->GetTextHeight("B", nullptr), width = p->GetTextWidth("B", nullptr);
  EXPECT_EQ(texts[2].y, 2 * height);
  EXPECT_EQ(texts[2].x, width);
  EXPECT_EQ(texts[3].x, 700 - p->GetTextWidth("ancho", nullptr));
  const std::string page = p->aMeta[0];
  X("_OPRINTER(NIL, .T.)");
  EXPECT_FALSE(QzCurrentPrinter());
  p->End();
  EXPECT_EQ(GetFileAttributesA(page.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(QzPrinterTest, AnUnknownPrinterTonesAndAsksForOne) {
  for (const char* model : {"0", "99", "'NINGUNA'"}) {
    SCOPED_TRACE(model);
    DialogAnswerer answer(DialogAnswerer::PressId(IDCANCEL));
    const Value job = X(std::string("_PRINTBEGIN('Elegir', .F., .F., ") + model + ")");
    ASSERT_EQ(answer.seen().size(), 1u);  // the print dialog, cancelled
    ASSERT_TRUE(job.IsObject());
    EXPECT_EQ(QzCurrentPrinter()->hDC, nullptr);
    QzCurrentPrinter()->End();
  }
  // By name: the test printer, without a dialog.
  DialogAnswerer none(DialogAnswerer::PressId(IDCANCEL));
  X("_PRINTBEGIN('Elegir', .F., .F., 'pruebas')");
  EXPECT_TRUE(none.seen().empty());
  ASSERT_TRUE(QzCurrentPrinter());
  EXPECT_NE(QzCurrentPrinter()->hDC, nullptr);
  EXPECT_EQ(QzCurrentPrinter()->cModel.substr(0, 20), "Impresora de pruebas");
  QzCurrentPrinter()->End();
}

// A preview job of `pages` pages, each with its number.
xb::Ref<QzPrinter> Job(int pages) {
  xb::Ref<QzPrinter> p = QzPrintBegin("Listado de prueba", false, true, Value(), false);
  auto font = ui::TFont::New({.face = "Arial", .height = -40, .device = p->hDC});
  for (int i = 1; i <= pages; ++i) {
    p->StartPage();
    p->Say(200, 200, "Hoja " + std::to_string(i), font.get(), 0, std::nullopt, kTransparent, Pad::kLeft);
    p->Box(100, 100, p->nVertRes() - 100, p->nHorzRes() - 100, nullptr);
    p->EndPage();
  }
  return p;
}

TEST_F(QzPrinterTest, PreviewsWithTheProgramsTextsAndPrintsAllTheCurrentOrARange) {
  xb::Ref<QzPrinter> job = Job(4);
  const std::vector<std::string> pages = job->aMeta;
  struct Printed {
    int pages = 0;
    std::string text;
  };
  std::vector<Printed> printed;
  auto print = [&](const std::string& name, const std::function<void()>& how) {
    PrinterOutput out(name);
    how();
    printed.push_back({out.Pages(), out.Text()});
  };
  WhilePreviewOpen steps({
      [&](Preview& p) {
        EXPECT_EQ(p.window()->cCaption, "Listado de prueba");
        EXPECT_EQ(p.PageLabel(), "Página 1 / 4");
        HMENU menu = GetMenu(p.window()->hWnd);
        char text[64] = {};
        GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&Fichero");
        GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&Páginas");
        p.NextPage();
        p.NextPage();
        EXPECT_EQ(p.page1().cCaption, pages[2]);
        EXPECT_EQ(p.PageLabel(), "Página 3 / 4");
        p.TwoPages(true);
        EXPECT_TRUE(p.two_pages());
        EXPECT_EQ(p.page2().cCaption, pages[3]);
        p.BottomPage();
        EXPECT_EQ(p.page2().cCaption, "");
        vdr::test::PumpPending();
        EXPECT_TRUE(vdr::test::SaveWindowBitmap(p.window()->hWnd,
                                                vdr::test::ScreenshotFolder() + "\\qz_preview_two_pages.bmp"));
      },
      [&](Preview& p) {
        p.SetFactor(3);
        EXPECT_TRUE(p.zoomed());
        EXPECT_FALSE(p.two_pages());
        EXPECT_EQ(p.factor(), 3);
        vdr::test::PumpPending();
        EXPECT_TRUE(vdr::test::SaveWindowBitmap(p.window()->hWnd, vdr::test::ScreenshotFolder() + "\\qz_preview_zoom.bmp"));
        p.Zoom(true);
        EXPECT_FALSE(p.zoomed());
        p.TopPage();
      },
      [&](Preview& p) { print("qz_all", [&] { p.PrintPrv(nullptr, 1, 0, 0); }); },
      [&](Preview& p) {
        p.NextPage();
        print("qz_current", [&] { p.PrintPrv(nullptr, 2, 0, 0); });
      },
      [&](Preview& p) { print("qz_range", [&] { p.PrintPrv(nullptr, 3, 2, 3); }); },
      [&](Preview& p) {
        DialogAnswerer answer([](const vdr::test::SeenDialog& d) { return d.ButtonId("Imprimir"); });
        print("qz_dialog", [&] { p.Print(); });
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].title, "Imprimir");
      },
  });
  X("_PRINTEND()");
  ASSERT_TRUE(steps.done());
  EXPECT_FALSE(QzCurrentPrinter());
  for (const std::string& page : pages) EXPECT_EQ(GetFileAttributesA(page.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(printed.size(), 4u);
  EXPECT_EQ(printed[0].pages, 4);
  EXPECT_EQ(printed[1].pages, 1);
  EXPECT_NE(printed[1].text.find("Hoja 2"), std::string::npos);
  EXPECT_EQ(printed[2].pages, 2);
  EXPECT_NE(printed[2].text.find("Hoja 3"), std::string::npos);
  EXPECT_EQ(printed[2].text.find("Hoja 4"), std::string::npos);
  EXPECT_EQ(printed[3].pages, 4);
}

TEST_F(QzPrinterTest, OnePreviewAtATime) {
  xb::Ref<QzPrinter> first = Job(2);
  SetQzCurrentPrinter(nullptr);
  xb::Ref<QzPrinter> other = Job(1);
  SetQzCurrentPrinter(nullptr);
  WhilePreviewOpen steps({
      [&](Preview&) {
        DialogAnswerer answer([](const vdr::test::SeenDialog& d) { return d.buttons.empty() ? 0 : d.buttons.front().id; });
        QzRPreview(other);
        ASSERT_EQ(answer.seen().size(), 1u);
        EXPECT_EQ(answer.seen()[0].AllText(), "Ya hay una vista preliminar abierta");
      },
  });
  first->lPrvModal = true;
  QzRPreview(first);
  EXPECT_TRUE(steps.done());
  EXPECT_EQ(Preview::Open(), nullptr);
  other->End();
}

TEST_F(QzPrinterTest, AWindowsHardCopyPrintsItsImageOnThePagePrinter) {
  auto window = Make();
  window->SetText("Copia de la ventana");
  ShowWindow(window->hWnd, SW_SHOW);
  UpdateWindow(window->hWnd);
  PrinterOutput out("hardcopy");
  xb::Send(Value(xb::ObjectRef(window)), "HARDCOPY", {Value::Integer(2)});
  EXPECT_EQ(out.Pages(), 1);
  EXPECT_EQ(out.Comment("%%Title:"), "Copia de la ventana");
  EXPECT_NE(out.PostScript().find("image"), std::string::npos);
  EXPECT_FALSE(QzCurrentPrinter());
  // With a print block the window's Print runs it instead.
  bool printed = false;
  window->bPrint = Value(xb::Block::Native([&](xb::Args&) {
    printed = true;
    return Value();
  }));
  xb::Send(Value(xb::ObjectRef(window)), "PRINT");
  EXPECT_TRUE(printed);
  window->End();
}

}  // namespace
}  // namespace output
