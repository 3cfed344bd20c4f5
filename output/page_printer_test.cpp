// The program's page printer _TPrinter as compiled text reaches it: its measures and
// conversions, the mapping modes on the printer's context, the paper's settings taking a new
// context, a picture's raster operation, an imported metafile; and in its preview, the
// magnifier taken off a zoomed page and the print dialog refusing pages outside the job.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "output/output.h"
#include "output/output_test_support.h"
#include "output/preview.h"
#include "output/qz_printer.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/wmf_format.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tcursor.h"

namespace output {
namespace {

using test::WhilePreviewOpen;
using vdr::test::DialogAnswerer;
using vdr::test::PrinterOutput;
using vdr::test::SeenDialog;
using xb::Value;

constexpr std::uint16_t kSetMapMode = 0x0103;
constexpr std::uint16_t kSetViewportExt = 0x020E;
constexpr std::uint16_t kSetDibToDev = 0x0D33;
constexpr std::uint16_t kEscape = 0x0626;

Value X(const std::string& text) { return xb::EvalMacro(text); }
void Set(std::string_view name, Value v) { xb::SetMemvar(xb::Intern(name), std::move(v)); }

std::vector<ui::wmf::Record> RecordsOf(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto records = ui::wmf::ReadRecords(bytes);
  return records ? *records : std::vector<ui::wmf::Record>{};
}

int CountOf(const std::vector<ui::wmf::Record>& records, std::uint16_t function) {
  int n = 0;
  for (const ui::wmf::Record& r : records) n += r.function == function ? 1 : 0;
  return n;
}

bool HasText(const std::vector<ui::wmf::Record>& records, const std::string& text) {
  for (const ui::wmf::Text& t : ui::wmf::TextsOf(records))
    if (t.text == text) return true;
  return false;
}

class PagePrinterTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(ui::SetResources("VDRE.DLL"), nullptr);
    ui::InitControls();
    InitOutput();
    ui::PrinterInit();
  }
  void TearDown() override {
    if (job_) job_->End();
    SetQzCurrentPrinter(nullptr);
    ui::PrinterInit();
    FrameworkTest::TearDown();
  }
  // A preview job on the test printer, the current one of compiled text as oPrn.
  QzPrinter& Job(const std::string& document = "Página de pruebas") {
    job_ = QzPrintBegin(document, false, true, Value(), false);
    EXPECT_NE(job_->hDC, nullptr);
    Set("oPrn", Value(job_));
    return *job_;
  }
  xb::Ref<QzPrinter> job_;
};

TEST_F(PagePrinterTest, MeasuresAndConversionsFollowThePrintersInchAndTheFontGiven) {
  QzPrinter& p = Job();
  const int per_x = GetDeviceCaps(p.hDC, LOGPIXELSX), per_y = GetDeviceCaps(p.hDC, LOGPIXELSY);
  struct Row {
    const char* call;
    double first, second;
  };
  const Row rows[] = {
      {"oPrn:Pix2Mmtr(600, 300)", 600 * 25.4 / per_x, 300 * 25.4 / per_y},
      {"oPrn:Pix2Mmtr(0, 1200)", 0, 1200 * 25.4 / per_y},
      {"oPrn:Pix2Inch(600, 300)", 600.0 / per_x, 300.0 / per_y},
  };
  for (const Row& r : rows) {
    const Value pair = X(r.call);
    ASSERT_TRUE(pair.IsArray()) << r.call;
    EXPECT_DOUBLE_EQ(pair.AsArray().Get(0).AsDouble(), r.first) << r.call;
    EXPECT_DOUBLE_EQ(pair.AsArray().Get(1).AsDouble(), r.second) << r.call;
  }
  // Centimetres and inches to pixels: the answer, and both arguments passed by reference.
  for (const char* method : {"Cmtr2Pix", "Inch2Pix"}) {
    X("nR := 2.54");
    X("nC := 5.08");
    const Value at = X(std::string("oPrn:") + method + "(@nR, @nC)");
    const POINT expected = std::string(method) == "Cmtr2Pix" ? p.Cmtr2Pix(2.54, 5.08) : p.Inch2Pix(2.54, 5.08);
    ASSERT_TRUE(at.IsArray()) << method;
    EXPECT_EQ(at.AsArray().Get(0).AsInt(), expected.y) << method;
    EXPECT_EQ(at.AsArray().Get(1).AsInt(), expected.x) << method;
    EXPECT_EQ(X("nR").AsInt(), expected.y) << method;
    EXPECT_EQ(X("nC").AsInt(), expected.x) << method;
  }
  // SetFont answers the job's font: the printer's Courier until one is given.
  EXPECT_EQ(X("oPrn:SetFont():cFaceName").AsString(), "COURIER");
  // A font measured with becomes the job's font; its height is its own.
  X("oFont := TFont():New('Arial', 0, -20, .F., .F., 0, 0, 0, .F., .F., .F., 0, 0, 0, 0, oPrn)");
  EXPECT_EQ(X("oPrn:GetTextHeight('Ágil', oFont)").AsInt(), std::abs(X("oFont:nHeight").AsInt()));
  EXPECT_TRUE(X("oPrn:oFont == oFont").AsLogical());
  EXPECT_TRUE(X("oPrn:SetFont() == oFont").AsLogical());
  EXPECT_GT(X("oPrn:GetTextWidth('Ágil')").AsInt(), 0);
}

TEST_F(PagePrinterTest, MappingModesAndExtentsAreSetOnThePrintersContext) {
  QzPrinter& p = Job();
  p.StartPage();
  struct Row {
    const char* method;
    int mode;
  };
  const Row rows[] = {{"SetTwipsMode", MM_TWIPS},         {"SetLoInchMode", MM_LOENGLISH},
                      {"SetHiInchMode", MM_HIENGLISH},     {"SetLoMetricMode", MM_LOMETRIC},
                      {"SetHiMetricMode", MM_HIMETRIC},    {"SetIsotropicMode", MM_ISOTROPIC},
                      {"SetAnisotropicMode", MM_ANISOTROPIC}, {"SetPixelMode", MM_TEXT}};
  for (const Row& r : rows) {
    X(std::string("oPrn:") + r.method + "()");
    EXPECT_EQ(GetMapMode(p.hDC), r.mode) << r.method;
  }
  X("oPrn:SetAnisotropicMode()");
  X("oPrn:SetWindowExt(1000, 2000)");
  X("oPrn:SetViewPortExt(300, 600)");
  SIZE window = {}, viewport = {};
  GetWindowExtEx(p.hDC, &window);
  GetViewportExtEx(p.hDC, &viewport);
  EXPECT_EQ(window.cx, 1000);
  EXPECT_EQ(window.cy, 2000);
  EXPECT_EQ(viewport.cx, 300);
  EXPECT_EQ(viewport.cy, 600);
  X("oPrn:SetPixelMode()");
  p.EndPage();
  // The page drawn for the preview keeps its own pixels.
  const std::vector<ui::wmf::Record> records = RecordsOf(p.aMeta[0]);
  EXPECT_EQ(CountOf(records, kSetMapMode), 0);
  EXPECT_EQ(CountOf(records, kSetViewportExt), 0);
}

// Each setter of the paper takes a new context of the printer (lModified); the page being
// drawn for the preview goes on, and the end puts the orientation found at creation back.
TEST_F(PagePrinterTest, ThePapersSettersTakeANewContextAndThePageGoesOn) {
  QzPrinter& p = Job();
  ASSERT_EQ(ui::PrnGetOrientation(), DMORIENT_PORTRAIT);
  p.StartPage();
  X("oPrn:Say(100, 100, 'antes')");
  // The set-up dialog first: Wine's PostScript driver takes the settings its dialog is given
  // as its own for the rest of the process.
  const char* setters[] = {"Setup()",        "SetLandscape()",      "SetCopies(2)",  "SetPage(9)",    "SetBin(15)",
                           "DraftMode(.T.)", "SetSize(2100, 2970)", "SetPortrait()", "SetLandscape()"};
  for (const char* setter : setters) {
    X("oPrn:lModified := .F.");
    DialogAnswerer cancel(DialogAnswerer::PressId(IDCANCEL));  // the set-up dialog
    X(std::string("oPrn:") + setter);
    EXPECT_TRUE(X("oPrn:lModified").AsLogical()) << setter;
    EXPECT_NE(p.hDC, nullptr) << setter;
    EXPECT_NE(p.hDCOut, nullptr) << setter;  // the page's metafile
  }
  EXPECT_GT(p.nHorzRes(), p.nVertRes());
  X("oPrn:Say(100, 100, 'después')");
  p.EndPage();
  const std::vector<ui::wmf::Record> records = RecordsOf(p.aMeta[0]);
  EXPECT_TRUE(HasText(records, "antes"));
  EXPECT_TRUE(HasText(records, "después"));
  p.End();
  job_ = nullptr;
  EXPECT_EQ(ui::PrnGetOrientation(), DMORIENT_PORTRAIT);
}

// An image object as SayImage reads it: its bitmap and its palette.
struct TestImage : xb::Object {
  TestImage() : xb::Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = [] () -> const xb::Class& {
      xb::Class& k = xb::Class::Define("TPAGETESTIMAGE");
      k.Method("HBITMAP", [](xb::Object& o, xb::Args&) {
        return Value::Integer(reinterpret_cast<std::intptr_t>(static_cast<TestImage&>(o).bitmap));
      });
      k.Method("HPALETTE", [](xb::Object&, xb::Args&) { return Value::Integer(0); });
      return k;
    }();
    return c;
  }
  HBITMAP bitmap = nullptr;
};

TEST_F(PagePrinterTest, APictureTakesItsRasterOperation) {
  QzPrinter& p = Job();
  HDC screen = GetDC(nullptr);
  auto image = xb::MakeRef<TestImage>();
  image->bitmap = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  Set("oImage", Value(xb::ObjectRef(image)));
  p.StartPage();
  struct Row {
    const char* call;
    std::uint16_t function;
    std::uint32_t rop;  // of a stretch
  };
  const Row rows[] = {
      {"oPrn:SayBitmap(10, 10, 'Printer')", kSetDibToDev, 0},
      {"oPrn:SayBitmap(10, 10, 'Printer', 0, 0, 8913094)", ui::wmf::kStretchDib, SRCAND},
      {"oPrn:SayBitmap(10, 10, 'Printer', 60, 40)", ui::wmf::kStretchDib, SRCCOPY},
      {"oPrn:SayBitmap(10, 10, 'Printer', 60, 40, 6684742)", ui::wmf::kStretchDib, SRCINVERT},
      // An image object's bitmap the same way.
      {"oPrn:SayImage(10, 10, oImage)", kSetDibToDev, 0},
      {"oPrn:SayImage(10, 10, oImage, 60, 40)", ui::wmf::kStretchDib, SRCCOPY},
      {"oPrn:SayImage(10, 10, oImage, 60, 40, 8913094)", ui::wmf::kStretchDib, SRCAND},
  };
  for (const Row& r : rows) X(r.call);
  p.EndPage();
  std::vector<ui::wmf::Record> pictures;
  for (const ui::wmf::Record& rec : RecordsOf(p.aMeta[0]))
    if (rec.function == kSetDibToDev || rec.function == ui::wmf::kStretchDib) pictures.push_back(rec);
  ASSERT_EQ(pictures.size(), std::size(rows));
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    SCOPED_TRACE(rows[i].call);
    EXPECT_EQ(pictures[i].function, rows[i].function);
    if (rows[i].function != ui::wmf::kStretchDib) continue;
    const std::uint32_t rop = static_cast<std::uint16_t>(pictures[i].params[0]) |
                              (static_cast<std::uint32_t>(static_cast<std::uint16_t>(pictures[i].params[1])) << 16);
    EXPECT_EQ(rop, rows[i].rop);
  }
  Set("oImage", Value());
  DeleteObject(image->bitmap);
}

// CmSay and InchSay take Say's font, colour and alignment after the converted position.
TEST_F(PagePrinterTest, CentimetresAndInchesTakeSaysColourAndAlignment) {
  QzPrinter& p = Job();
  p.StartPage();
  struct Row {
    const char* call;
    const char* text;
    POINT at;          // the position converted
    COLORREF colour;
    Pad pad;
  };
  const Row rows[] = {
      {"oPrn:CmSay(2.54, 5.08, 'Uno', NIL, NIL, 255)", "Uno", p.Cmtr2Pix(2.54, 5.08), RGB(255, 0, 0), Pad::kLeft},
      {"oPrn:CmSay(3, 10, 'Dos', NIL, NIL, 65280, NIL, 1)", "Dos", p.Cmtr2Pix(3, 10), RGB(0, 255, 0), Pad::kRight},
      {"oPrn:InchSay(1, 2, 'Tres', NIL, NIL, 16711680, NIL, 2)", "Tres", p.Inch2Pix(1, 2), RGB(0, 0, 255),
       Pad::kCentre},
  };
  for (const Row& r : rows) X(r.call);
  p.EndPage();
  const std::vector<ui::wmf::Record> records = RecordsOf(p.aMeta[0]);
  std::vector<COLORREF> colours;
  for (const ui::wmf::Record& rec : records) {
    if (rec.function == ui::wmf::kSetTextColor && rec.params.size() >= 2)
      colours.push_back(static_cast<std::uint16_t>(rec.params[0]) |
                        (static_cast<COLORREF>(static_cast<std::uint16_t>(rec.params[1])) << 16));
  }
  const std::vector<ui::wmf::Text> texts = ui::wmf::TextsOf(records);
  ASSERT_EQ(texts.size(), std::size(rows));
  ASSERT_EQ(colours.size(), std::size(rows));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Row& r = rows[i];
    SCOPED_TRACE(r.call);
    const int width = p.GetTextWidth(r.text, nullptr);
    const int left = static_cast<int>(r.pad == Pad::kRight ? r.at.x - width : r.at.x - width / 2);
    const int x = r.pad == Pad::kLeft ? static_cast<int>(r.at.x) : std::max(0, left);
    EXPECT_EQ(texts[i].text, r.text);
    EXPECT_EQ(texts[i].x, x);
    EXPECT_EQ(texts[i].y, r.at.y);
    EXPECT_EQ(colours[i], r.colour);
  }
}

// A placeable metafile file with one text at (100, 100).
std::string PlaceableFile(const std::string& path, const std::string& text) {
  HDC recorder = CreateMetaFileA(nullptr);
  TextOutA(recorder, 100, 100, text.c_str(), static_cast<int>(text.size()));
  HMETAFILE metafile = CloseMetaFile(recorder);
  std::vector<std::uint8_t> bits(GetMetaFileBitsEx(metafile, 0, nullptr));
  GetMetaFileBitsEx(metafile, static_cast<UINT>(bits.size()), bits.data());
  DeleteMetaFile(metafile);
  std::uint16_t header[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 1000, 1000, 1440, 0, 0, 0};
  for (int i = 0; i < 10; ++i) header[10] ^= header[i];
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  out.write(reinterpret_cast<const char*>(bits.data()), static_cast<std::streamsize>(bits.size()));
  return path;
}

TEST_F(PagePrinterTest, AnImportedMetafileIsPlayedOnThePageWithThePrintersMappingPutBack) {
  test::TempFolder folder("vdrwmf");
  Set("cWmf", Value::String(PlaceableFile(folder / "logo.wmf", "importado")));
  QzPrinter& p = Job();
  p.StartPage();
  X("oPrn:ImportWMF(cWmf)");
  X("oPrn:ImportWMF(cWmf + 'x')");  // a file that is not there
  p.EndPage();
  const std::vector<ui::wmf::Record> records = RecordsOf(p.aMeta[0]);
  EXPECT_TRUE(HasText(records, "importado"));
  EXPECT_EQ(ui::wmf::TextsOf(records).size(), 1u);
  EXPECT_EQ(CountOf(records, kSetMapMode), 0);
  EXPECT_EQ(GetMapMode(p.hDC), MM_TEXT);
  // Printed straight, the same file reaches the paper.
  PrinterOutput out("import_wmf");
  xb::Ref<QzPrinter> direct = QzPrintBegin("Importado", false, false, Value(), false);
  Set("oDirect", Value(direct));
  direct->StartPage();
  X("oDirect:ImportWMF(cWmf)");
  direct->EndPage();
  direct->End();
  EXPECT_NE(out.Text().find("importado"), std::string::npos) << out.Text();
}

// A raw file goes onto the page being drawn: a preview page keeps it (as escape records) and
// the printer receives it when the page is printed from the preview; a file that is not there
// sends nothing.
TEST_F(PagePrinterTest, ARawFileGoesOntoThePreviewPageAndReachesThePrinterWithIt) {
  test::TempFolder folder("vdrraw");
  const std::string raw = folder / "crudo.eps";
  std::ofstream(raw, std::ios::binary) << "%VDR-RAW-5521\n0 0 moveto\n";
  Set("cRaw", Value::String(raw));
  QzPrinter& p = Job("Crudo");
  p.StartPage();
  X("oPrn:ImportRAW(cRaw)");
  X("oPrn:ImportRAW(cRaw + '.no')");
  p.EndPage();
  X("oPrn:ImportRAW(cRaw)");  // between pages: nowhere to go
  std::ifstream in(p.aMeta[0], std::ios::binary);
  const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t copies = 0;
  for (std::size_t at = page.find("%VDR-RAW-5521"); at != std::string::npos; at = page.find("%VDR-RAW-5521", at + 1))
    ++copies;
  EXPECT_EQ(copies, 1u);
  EXPECT_GT(CountOf(RecordsOf(p.aMeta[0]), kEscape), 0);
  // Printed from the preview (one page: at once), the raw data reaches the printer.
  PrinterOutput out("raw_preview");
  WhilePreviewOpen steps({[](Preview& preview) { preview.Print(); }});
  xb::Ref<QzPrinter> job = job_;
  job_ = nullptr;
  QzRPreview(job);
  ASSERT_TRUE(steps.done());
  EXPECT_NE(out.PostScript().find("%VDR-RAW-5521"), std::string::npos);
}

// The printer's names are those the printing layer holds now: a job made on the test printer
// answers its device, driver and port, and follows the layer when another printer is chosen.
TEST_F(PagePrinterTest, ModelDriverAndPortAreThePrintingLayersNames) {
  Job();
  EXPECT_EQ(X("oPrn:GetModel()").AsString(), vdr::test::kTestPrinter);
  EXPECT_EQ(X("oPrn:GetModel()").AsString(), X("PRNGETNAME()").AsString());
  EXPECT_EQ(X("oPrn:GetDriver()").AsString(), X("PRNGETDRIVE()").AsString());
  EXPECT_EQ(X("oPrn:GetPort()").AsString(), "LPT1:");
  EXPECT_NE(X("oPrn:GetModel()").AsString(), job_->cModel);  // not the joined model
  ASSERT_TRUE(ui::SelectPrinter({std::string(X("PRNGETDRIVE()").AsString()), vdr::test::kTestPrinter, "FILE:"}));
  EXPECT_EQ(X("oPrn:GetPort()").AsString(), "FILE:");
}

// ---- the preview ------------------------------------------------------------------------------------

// A preview job of `pages` pages, each with its number.
xb::Ref<QzPrinter> Pages(int pages) {
  xb::Ref<QzPrinter> p = QzPrintBegin("Listado de prueba", false, true, Value(), false);
  for (int i = 1; i <= pages; ++i) {
    p->StartPage();
    p->Say(200, 200, "Hoja " + std::to_string(i), nullptr, 0, std::nullopt, kTransparent, Pad::kLeft);
    p->EndPage();
  }
  return p;
}

// The cursor the page shows under the mouse.
HCURSOR CursorOver(TMetaFile& page) {
  SendMessageA(page.hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  return GetCursor();
}

TEST_F(PagePrinterTest, AZoomedPageLosesTheMagnifierAndGetsItBack) {
  xb::Ref<QzPrinter> job = Pages(2);
  HCURSOR lupa = nullptr, zoomed = nullptr, unzoomed = nullptr;
  WhilePreviewOpen steps({
      [&](Preview& p) {
        lupa = CursorOver(p.page1());
        p.Zoom(true);
        zoomed = CursorOver(p.page1());
        p.Zoom(true);
        unzoomed = CursorOver(p.page1());
        // The factor turns the zoom on as well.
        p.SetFactor(4);
        EXPECT_EQ(CursorOver(p.page1()), zoomed);
        p.Zoom(true);
      },
  });
  QzRPreview(job);
  ASSERT_TRUE(steps.done());
  ASSERT_NE(lupa, nullptr);
  EXPECT_EQ(zoomed, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_NE(lupa, zoomed);
  EXPECT_EQ(unzoomed, lupa);
}

// The print dialog's page fields: a first page below 1 or after the last, and a last page
// before the first or past the job's end, are refused (the field keeps the focus and the
// dialog does not print); a sound range prints those pages.
TEST_F(PagePrinterTest, ThePrintDialogRefusesPagesOutsideTheJob) {
  xb::Ref<QzPrinter> job = Pages(4);
  auto type = [](HWND field, const std::string& text) {
    for (char c : text) SendMessageA(field, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
  };
  std::vector<std::string> refused;
  int stage = 0;
  PrinterOutput out("qz_dialog_range");
  WhilePreviewOpen steps({
      [&](Preview& p) {
        DialogAnswerer answer([&](const SeenDialog& d) -> int {
          if (d.title != "Imprimir") return 0;
          HWND from = GetDlgItem(d.hwnd, 106), to = GetDlgItem(d.hwnd, 107);
          auto click_print = [&] {
            PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, 101)));
          };
          switch (stage++) {
            case 0:
              SendMessageA(GetDlgItem(d.hwnd, 105), BM_CLICK, 0, 0);  // a range: the fields open
              return 0;
            case 1:
              SetFocus(from);
              type(from, "0");
              SetFocus(to);
              return 0;
            case 2:
              if (GetFocus() == from) refused.push_back("first 0");
              type(from, "5");  // after the last page
              SetFocus(to);
              return 0;
            case 3:
              if (GetFocus() == from) refused.push_back("first 5");
              type(from, "2");
              SetFocus(to);
              return 0;
            case 4:
              if (GetFocus() == to) refused.push_back("none");
              type(to, "9");  // past the job's end: the print button does not print
              click_print();
              return 0;
            case 5:
              if (GetFocus() == to && IsWindowVisible(d.hwnd)) refused.push_back("last 9");
              SetFocus(from);  // refused again, the field takes the focus back
              return 0;
            case 6:
              type(to, "1");  // before the first page
              SetFocus(from);
              return 0;
            case 7:
              if (GetFocus() == to) refused.push_back("last 1");
              type(to, "3");
              click_print();  // prints and closes
              return 0;
            default:
              refused.push_back("still open");
              return 102;
          }
        });
        p.Print();
      },
  });
  QzRPreview(job);
  ASSERT_TRUE(steps.done());
  EXPECT_EQ(refused, (std::vector<std::string>{"first 0", "first 5", "none", "last 9", "last 1"}));
  EXPECT_EQ(out.Pages(), 2);
  const std::string text = out.Text();
  EXPECT_NE(text.find("Hoja 2"), std::string::npos);
  EXPECT_NE(text.find("Hoja 3"), std::string::npos);
  EXPECT_EQ(text.find("Hoja 4"), std::string::npos);
}

}  // namespace
}  // namespace output
