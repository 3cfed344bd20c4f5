// TPrinter on the test printer: its conversions from the printer's metrics, texts placed and
// aligned as the page metafile records them, jobs read back from the printer's output,
// PRINTBEGIN's choice of printer, and the page files of a preview job.
#include "output/tprinter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "output/output.h"
#include "output/preview.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/wmf_format.h"
#include "ui/controls/controls.h"
#include "ui/controls/tmultiget.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

// The message boxes' own buttons: their first.
vdr::test::DialogAnswerer::Chooser FirstButton() {
  return [](const vdr::test::SeenDialog& d) { return d.buttons.empty() ? 0 : d.buttons.front().id; };
}

using vdr::test::DialogAnswerer;
using vdr::test::PrinterOutput;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }
void Set(std::string_view name, Value v) { xb::SetMemvar(xb::Intern(name), std::move(v)); }

bool Exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<ui::wmf::Text> TextsOfFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto records = ui::wmf::ReadRecords(bytes);
  return records ? ui::wmf::TextsOf(*records) : std::vector<ui::wmf::Text>{};
}

class TPrinterTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ui::InitControls();
    InitOutput();
    ui::PrinterInit();
  }
  void TearDown() override {
    ui::PrinterInit();
    FrameworkTest::TearDown();
  }
};

TEST_F(TPrinterTest, ConvertsWithThePrintersMetrics) {
  xb::Ref<TPrinter> p = TPrinter::New({.document = "Medidas"});
  ASSERT_NE(p->hDC, nullptr);
  HDC dc = p->hDC;
  const int vres = GetDeviceCaps(dc, VERTRES), hres = GetDeviceCaps(dc, HORZRES);
  const int vsize = GetDeviceCaps(dc, VERTSIZE), hsize = GetDeviceCaps(dc, HORZSIZE);
  EXPECT_EQ(p->nVertRes(), vres);
  EXPECT_EQ(p->nHorzSize(), hsize);
  EXPECT_EQ(p->nLogPixelY(), 300);
  EXPECT_EQ(p->nXOffset, GetDeviceCaps(dc, PHYSICALOFFSETX));
  EXPECT_GT(p->nYOffset, 0);
  // 5 cm down, 3 across: from the paper's corner into the printable area.
  const POINT cm = p->Cmtr2Pix(5, 3);
  EXPECT_EQ(cm.y, static_cast<int>(5 * 10.0 * vres / vsize) - p->nYOffset);
  EXPECT_EQ(cm.x, static_cast<int>(3 * 10.0 * hres / hsize) - p->nXOffset);
  EXPECT_NEAR(cm.y, 590 - p->nYOffset, 8);  // 300 dots an inch
  const POINT inch = p->Inch2Pix(1, 2);
  EXPECT_NEAR(inch.y, 300 - p->nYOffset, 4);
  EXPECT_NEAR(inch.x, 600 - p->nXOffset, 4);
  // Inside the unprintable margin: 0, never negative.
  EXPECT_EQ(p->Cmtr2Pix(0.1, 0.1).x, 0);
  const auto [row_mm, col_mm] = p->Pix2Mmtr(cm.y, cm.x);
  EXPECT_NEAR(row_mm, 50, 0.5);
  EXPECT_NEAR(col_mm, 30, 0.5);
  const auto [width, height] = p->GetPhySize();
  EXPECT_NEAR(width, 210, 1);  // A4
  EXPECT_NEAR(height, 297, 1);
  // The same through the runtime's messages.
  Set("oPrn", Value(p));
  EXPECT_EQ(X("oPrn:Cmtr2Pix(5, 3)[1]").AsInt(), cm.y);
  EXPECT_EQ(X("oPrn:nVertRes()").AsInt(), vres);
  EXPECT_GT(X("oPrn:CharWidth()").AsInt(), 40);
  p->End();
}

TEST_F(TPrinterTest, SayAlignsAsThePageMetafileRecords) {
  xb::Ref<TPrinter> p = TPrinter::New({.document = "Alineación", .preview = true});
  ASSERT_NE(p->hDC, nullptr);
  p->StartPage();
  ui::TFont* font = nullptr;
  const int w = p->GetTextWidth("Importe", font);
  ASSERT_GT(w, 0);
  p->Say(100, 1000, "Importe", font, 0, std::nullopt, kTransparent, Pad::kLeft);
  p->Say(200, 1000, "Importe", font, 0, std::nullopt, kTransparent, Pad::kRight);
  p->Say(300, 1000, "Importe", font, 0, std::nullopt, kTransparent, Pad::kCentre);
  p->Say(400, 10, "Importe", font, 0, std::nullopt, kTransparent, Pad::kRight);  // wider than the column
  p->Say(500, 1000, "Importe", font, 400, std::nullopt, kTransparent, Pad::kRight);
  p->Say(600, 1000, "Importe", font, 400, std::nullopt, kTransparent, Pad::kCentre);
  p->EndPage();
  ASSERT_EQ(p->aMeta.size(), 1u);
  const std::vector<ui::wmf::Text> texts = TextsOfFile(p->aMeta[0]);
  ASSERT_EQ(texts.size(), 6u);
  struct Expected {
    int y, x, align;
  };
  const Expected expected[] = {{100, 1000, TA_LEFT},       {200, 1000 - w, TA_LEFT},   {300, 1000 - w / 2, TA_LEFT},
                               {400, 0, TA_LEFT},          {500, 1400, TA_RIGHT},      {600, 1200, TA_CENTER}};
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(texts[i].text, "Importe");
    EXPECT_EQ(texts[i].y, expected[i].y);
    EXPECT_EQ(texts[i].x, expected[i].x);
    EXPECT_EQ(texts[i].align & (TA_RIGHT | TA_CENTER), expected[i].align);
  }
  p->End();
}

TEST_F(TPrinterTest, APrintedJobReachesThePrinter) {
  PrinterOutput out("tprinter");
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string raw = std::string(temp) + "vdr_tprinter_raw.eps";
  std::ofstream(raw, std::ios::binary) << "%VDR-TPRINTER-RAW-4417\n";
  Set("cRaw", Value::String(raw));
  X("oPrn := PRINTBEGIN('Listado de artículos')");
  X("PAGEBEGIN()");
  X("oPrn:Say(300, 300, 'Primera hoja')");
  X("oPrn:CmSay(5, 2, 'A cinco centímetros')");
  X("oPrn:ImportRAW(cRaw)");
  X("PAGEEND()");
  X("PAGEBEGIN()");
  X("oPrn:Say(300, 300, 'Segunda hoja')");
  X("PAGEEND()");
  X("PRINTEND()");
  EXPECT_TRUE(CurrentPrinter() == nullptr);
  EXPECT_EQ(out.Pages(), 2);
  EXPECT_EQ(out.Comment("%%Title:"), "Listado de artículos");
  const std::string text = out.Text();
  EXPECT_NE(text.find("Primera hoja"), std::string::npos) << text;
  EXPECT_NE(text.find("A cinco centímetros"), std::string::npos) << text;
  EXPECT_NE(text.find("Segunda hoja"), std::string::npos) << text;
  EXPECT_NE(out.PostScript().find("%VDR-TPRINTER-RAW-4417"), std::string::npos);
  DeleteFileA(raw.c_str());
}

TEST_F(TPrinterTest, AMultiLineEditPrintsItsLinesSixtyAPage) {
  PrinterOutput out("notes");
  std::string text;
  for (int i = 1; i <= 61; ++i) text += "Nota número " + std::to_string(i) + (i < 61 ? "\r\n" : "");
  auto edit = xb::MakeRef<ui::TMultiGet>();
  edit->cCaption = text;
  edit->Print();
  EXPECT_EQ(out.Comment("%%Title:"), "Notes");
  EXPECT_EQ(out.Pages(), 2);
  const std::string printed = out.Text();
  EXPECT_NE(printed.find("Nota número 60"), std::string::npos) << printed;
  EXPECT_NE(printed.find("Nota número 61"), std::string::npos) << printed;
  EXPECT_TRUE(CurrentPrinter() == nullptr);
}

TEST_F(TPrinterTest, PrintBeginChoosesAmongTheProfilesDevices) {
  struct Row {
    const char* call;
    bool dialog;  // the printer dialog opens (after a beep)
  };
  const Row rows[] = {
      {"PRINTBEGIN('Uno', .F., .F., 1)", false},
      {"PRINTBEGIN('Trozo', .F., .F., 'PRUEBAS')", false},
      {"PRINTBEGIN('Cero', .F., .F., 0)", true},
      {"PRINTBEGIN('Lejos', .F., .F., 99)", true},
      {"PRINTBEGIN('Nadie', .F., .F., 'no existe')", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.call);
    DialogAnswerer answer(DialogAnswerer::PressId(IDCANCEL));
    const Value printer = X(r.call);
    auto* p = dynamic_cast<TPrinter*>(printer.AsObject().get());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(answer.seen().size(), r.dialog ? 1u : 0u);
    if (r.dialog) {
      EXPECT_EQ(p->hDC, nullptr);  // cancelled
    } else {
      EXPECT_NE(p->hDC, nullptr);
      EXPECT_EQ(p->GetModel().rfind(std::string(vdr::test::kTestPrinter) + ",", 0), 0u) << p->GetModel();
      EXPECT_EQ(p->GetPort(), "LPT1:");
    }
    X("PRINTEND()");
  }
}

TEST_F(TPrinterTest, APreviewJobErasesItsOwnPagesAndNoOthers) {
  xb::Ref<TPrinter> first = TPrinter::New({.document = "Uno", .preview = true});
  xb::Ref<TPrinter> second = TPrinter::New({.document = "Dos", .preview = true});
  for (TPrinter* p : {first.get(), second.get()}) {
    for (int i = 0; i < 3; ++i) {
      p->StartPage();
      p->Say(100, 100, "Hoja", nullptr, 0, std::nullopt, kTransparent, Pad::kLeft);
      p->EndPage();
    }
  }
  ASSERT_EQ(first->aMeta.size(), 3u);
  EXPECT_NE(first->aMeta[0], second->aMeta[0]);
  EXPECT_NE(first->aMeta[2].find("_0003.wmf"), std::string::npos) << first->aMeta[2];
  EXPECT_EQ(first->aMeta[0].rfind(TempFolder() + "\\tmp", 0), 0u);
  const std::vector<std::string> pages = first->aMeta;
  for (const std::string& f : pages) EXPECT_TRUE(Exists(f));
  first->End();
  for (const std::string& f : pages) EXPECT_FALSE(Exists(f)) << f;
  for (const std::string& f : second->aMeta) EXPECT_TRUE(Exists(f)) << f;
  // Page 10000 has a name of its own.
  EXPECT_NE(second->PageFile(10000).find("_10000.wmf"), std::string::npos);
  const std::vector<std::string> others = second->aMeta;
  second->End();
  for (const std::string& f : others) EXPECT_FALSE(Exists(f));
}

TEST_F(TPrinterTest, APreviewWithNoPageEndsWithoutShowing) {
  X("oPrn := PRINTBEGIN('Vacío', .F., .T.)");
  EXPECT_TRUE(X("oPrn:lMeta").AsLogical());
  X("PRINTEND()");
  EXPECT_EQ(Preview::Open(), nullptr);
  EXPECT_EQ(X("oPrn:hDC").AsInt(), 0);  // ended
}

TEST_F(TPrinterTest, WithoutAPrinterItSaysSoAndDrawsNothing) {
  ASSERT_EQ(vdr::test::RunTestPrinter("remove"), 0);
  struct Reinstall {
    ~Reinstall() {
      vdr::test::RunTestPrinter("install");
      ui::PrinterInit();
    }
  } reinstall;
  ui::PrinterInit();
  DialogAnswerer answer(FirstButton());
  xb::Ref<TPrinter> p = TPrinter::New({.document = "Sin impresora"});
  EXPECT_EQ(p->hDC, nullptr);
  EXPECT_EQ(p->nXOffset, 0);
  ASSERT_EQ(answer.seen().size(), 1u);
  EXPECT_NE(answer.seen()[0].AllText().find("There are not installed printers!"), std::string::npos);
  p->StartPage();
  p->Say(10, 10, "Nada", nullptr, 0, std::nullopt, kTransparent, Pad::kLeft);
  p->EndPage();
  EXPECT_EQ(p->nPage, 0);
  p->End();
}

}  // namespace
}  // namespace output
