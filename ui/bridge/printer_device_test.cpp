// The printer layer on the PostScript test printer: the page setters on the current
// printer's DEVMODE, names and page metrics, jobs read back from the printer's output, the
// print dialog cancelled, and the same functions with no printer installed.
#include "ui/bridge/printer_device.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <string>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/test_env.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/bridge_functions.h"

namespace ui {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::PrinterOutput;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }
void Set(std::string_view name, Value v) { xb::SetMemvar(xb::Intern(name), std::move(v)); }
void SetDC(HDC dc) { Set("hDC", Value::Integer(reinterpret_cast<std::intptr_t>(dc))); }

class PrinterDeviceTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
    PrinterInit();
  }
  void TearDown() override {
    PrinterInit();
    RuntimeTest::TearDown();
  }
  static DEVMODEA Mode() {
    const std::optional<DEVMODEA> mode = PrnDevMode();
    EXPECT_TRUE(mode.has_value());
    return mode.value_or(DEVMODEA{});
  }
};

TEST_F(PrinterDeviceTest, ReadsTheDefaultPrinterLazily) {
  EXPECT_EQ(X("PRNGETNAME()").AsString(), vdr::test::kTestPrinter);
  EXPECT_EQ(X("PRNGETPORT()").AsString(), "LPT1:");
  EXPECT_FALSE(X("PRNGETDRIVE()").AsString().empty());
  EXPECT_EQ(X("PRNGETORIENTATION()").AsInt(), 1);
}

TEST_F(PrinterDeviceTest, PageSettersChangeTheCurrentMode) {
  struct Row {
    const char* call;
    const char* result;  // the call's result, as an expression to compare with
    std::function<void(const DEVMODEA& before, const DEVMODEA& after)> check;
  };
  const Row rows[] = {
      {"PRNSETCOPIES(2, 5)", ".T.", [](auto&, auto& m) { EXPECT_EQ(m.dmCopies, 5); }},
      {"PRNSETCOPIES(3)", ".T.", [](auto&, auto& m) { EXPECT_EQ(m.dmCopies, 3); }},
      {"PRNBINSOURCE()", "nBin", [](auto& b, auto& m) { EXPECT_EQ(m.dmDefaultSource, b.dmDefaultSource); }},
      {"PRNBINSOURCE(4)", "nBin", [](auto&, auto& m) { EXPECT_EQ(m.dmDefaultSource, 4); }},
      {"PRNBINSOURCE()", "4", [](auto&, auto& m) { EXPECT_EQ(m.dmDefaultSource, 4); }},
      {"PRNSETPAGE(9)", "NIL",
       [](auto& b, auto& m) {
         EXPECT_EQ(m.dmPaperSize, 9);
         EXPECT_EQ(m.dmFields, b.dmFields);  // the paper code alone adds no field
       }},
      {"PRNSETSIZE(2000, 2500)", "NIL",
       [](auto& b, auto& m) {
         EXPECT_EQ(m.dmFields, b.dmFields | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH);
         EXPECT_EQ(m.dmPaperSize, DMPAPER_USER);
         EXPECT_EQ(m.dmPaperWidth, 2000);
         EXPECT_EQ(m.dmPaperLength, 2500);
       }},
      {"DRAFTMODE(.T.)", "NIL",
       [](auto&, auto& m) {
         EXPECT_TRUE(m.dmFields & DM_PRINTQUALITY);
         EXPECT_EQ(m.dmPrintQuality, DMRES_DRAFT);
       }},
      {"DRAFTMODE(.F.)", "NIL", [](auto&, auto& m) { EXPECT_EQ(m.dmPrintQuality, DMRES_HIGH); }},
      {"PRNLANDSCAPE()", ".T.", [](auto&, auto& m) { EXPECT_EQ(m.dmOrientation, DMORIENT_LANDSCAPE); }},
      {"PRNPORTRAIT()", ".T.", [](auto&, auto& m) { EXPECT_EQ(m.dmOrientation, DMORIENT_PORTRAIT); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.call);
    const DEVMODEA before = Mode();
    Set("nBin", Value::Integer(before.dmDefaultSource));
    EXPECT_TRUE(X(r.result).SameAs(X(r.call)));
    r.check(before, Mode());
  }
}

TEST_F(PrinterDeviceTest, LandscapeTakesEffectOnAnOpenContextAfterResetDc) {
  HDC dc = GetPrintDefault();
  ASSERT_NE(dc, nullptr);
  const int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
  EXPECT_LT(width, height);
  SetDC(dc);
  X("PRNLANDSCAPE()");
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), width);  // nothing before the reset
  EXPECT_TRUE(X("RESETDC(hDC)").AsLogical());
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), height);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), width);
  EXPECT_EQ(X("PRNGETORIENTATION()").AsInt(), 2);
  DeleteDC(dc);
}

TEST_F(PrinterDeviceTest, OffsetAndSizeAreThePhysicalPage) {
  HDC dc = GetPrintDefault();
  ASSERT_NE(dc, nullptr);
  SetDC(dc);
  const xb::Array offset = X("PRNOFFSET(hDC)").AsArray(), size = X("PRNGETSIZE(hDC)").AsArray();
  EXPECT_EQ(offset.Get(0).AsInt(), GetDeviceCaps(dc, PHYSICALOFFSETX));
  EXPECT_EQ(offset.Get(1).AsInt(), GetDeviceCaps(dc, PHYSICALOFFSETY));
  EXPECT_GT(offset.Get(0).AsInt(), 0);
  EXPECT_EQ(size.Get(0).AsInt(), GetDeviceCaps(dc, PHYSICALWIDTH));
  EXPECT_EQ(size.Get(1).AsInt(), GetDeviceCaps(dc, PHYSICALHEIGHT));
  EXPECT_GT(size.Get(1).AsInt(), GetDeviceCaps(dc, VERTRES));
  DeleteDC(dc);
}

TEST_F(PrinterDeviceTest, ALongDocumentNameStartsTheJobUnderItsFirst31Characters) {
  PrinterOutput out("startdoc");
  HDC dc = GetPrintDefault();
  ASSERT_NE(dc, nullptr);
  SetDC(dc);
  const std::string name = "Listado de clientes por provincia";  // 33 characters
  const std::string forty = name + " (2026)";
  ASSERT_EQ(forty.size(), 40u);
  Set("cDoc", Value::String(forty));
  Set("cCopy", Value::String(forty));
  EXPECT_GT(X("STARTDOC(hDC, @cDoc)").AsInt(), 0);
  EXPECT_EQ(X("cDoc").AsString(), forty.substr(0, 31));
  EXPECT_GT(X("STARTPAGE(hDC)").AsInt(), 0);
  TextOutA(dc, 300, 300, "Primera página", 14);
  EXPECT_GT(X("ENDPAGE(hDC)").AsInt(), 0);
  EXPECT_GT(X("ENDDOC(hDC)").AsInt(), 0);
  DeleteDC(dc);
  EXPECT_EQ(out.Comment("%%Title:"), forty.substr(0, 31));
  EXPECT_EQ(out.Pages(), 1);
  EXPECT_NE(out.Text().find("Primera página"), std::string::npos);

  // A name passed by value is cut for the job only.
  PrinterOutput second("startdoc2");
  dc = GetPrintDefault();
  SetDC(dc);
  EXPECT_GT(X("STARTDOC(hDC, cCopy)").AsInt(), 0);
  X("STARTPAGE(hDC)");
  X("ENDPAGE(hDC)");
  X("ENDDOC(hDC)");
  DeleteDC(dc);
  EXPECT_EQ(X("cCopy").AsString(), forty);
  EXPECT_EQ(second.Comment("%%Title:"), forty.substr(0, 31));
}

TEST_F(PrinterDeviceTest, ImportRawFileSendsTheFileInsideThePage) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string raw = std::string(temp) + "vdr_crudo.eps";
  std::ofstream(raw, std::ios::binary) << "%VDR-RAW-7310\n0 0 moveto\n";
  for (const bool with_file : {true, false}) {
    SCOPED_TRACE(with_file);
    PrinterOutput out(with_file ? "raw" : "raw_missing");
    HDC dc = GetPrintDefault();
    ASSERT_NE(dc, nullptr);
    std::string doc = "Crudo";
    ASSERT_GT(StartPrintDoc(dc, doc), 0);
    StartPage(dc);
    SetDC(dc);
    Set("cRaw", Value::String(with_file ? raw : raw + ".no"));
    EXPECT_TRUE(X("IMPORTRAWFILE(hDC, cRaw)").IsNil());
    EndPage(dc);
    EndDoc(dc);
    DeleteDC(dc);
    EXPECT_EQ(out.PostScript().find("%VDR-RAW-7310") != std::string::npos, with_file);
  }
  DeleteFileA(raw.c_str());
}

TEST_F(PrinterDeviceTest, ACancelledPrintDialogAnswersNoContextAndKeepsTheSettings) {
  X("PRNSETCOPIES(4)");
  {
    DialogAnswerer answer(DialogAnswerer::PressId(IDCANCEL));
    EXPECT_EQ(X("GETPRINTDC(0)").AsInt(), 0);
    EXPECT_EQ(X("COMDLGXERR()").AsInt(), 0);
    ASSERT_FALSE(answer.seen().empty());
  }
  EXPECT_EQ(Mode().dmCopies, 4);
  EXPECT_EQ(X("PRNGETNAME()").AsString(), vdr::test::kTestPrinter);

  // The set-up dialog answers nothing either way.
  DialogAnswerer setup(DialogAnswerer::PressId(IDCANCEL));
  EXPECT_TRUE(X("PRINTERSETUP()").IsNil());
  EXPECT_FALSE(setup.seen().empty());
  EXPECT_EQ(Mode().dmCopies, 4);
}

TEST_F(PrinterDeviceTest, AConfirmedPrintDialogAnswersAContext) {
  DialogAnswerer answer(DialogAnswerer::PressId(IDOK));
  const Value dc = X("GETPRINTDC(0)");
  ASSERT_NE(dc.AsInt(), 0);
  EXPECT_EQ(GetDeviceCaps(reinterpret_cast<HDC>(dc.AsInt()), TECHNOLOGY), DT_RASPRINTER);
  DeleteDC(reinterpret_cast<HDC>(dc.AsInt()));
}

TEST_F(PrinterDeviceTest, ANamedModelTakesTheRecord) {
  const PrinterNames names = PrnGetNames();
  PrnLandscape();
  ASSERT_TRUE(SelectPrinter(names));
  EXPECT_EQ(PrnGetNames().device, names.device);
  EXPECT_EQ(PrnGetNames().port, names.port);
  EXPECT_EQ(PrnGetOrientation(), 1);  // the driver's own mode
  HDC dc = GetPrintDefault();
  EXPECT_NE(dc, nullptr);
  DeleteDC(dc);
  EXPECT_FALSE(SelectPrinter({"wineps.drv", "No existe", "LPT9:"}));
  EXPECT_EQ(PrnGetNames().device, names.device);
}

TEST_F(PrinterDeviceTest, WithoutAPrinterNothingIsReadOrWritten) {
  ASSERT_EQ(vdr::test::RunTestPrinter("remove"), 0);
  struct Reinstall {
    ~Reinstall() {
      vdr::test::RunTestPrinter("install");
      PrinterInit();
    }
  } reinstall;
  PrinterInit();
  EXPECT_EQ(X("GETPRINTDEFAULT()").AsInt(), 0);
  EXPECT_FALSE(PrnDevMode().has_value());
  EXPECT_TRUE(X("PRNLANDSCAPE()").AsLogical());
  EXPECT_EQ(X("PRNGETORIENTATION()").AsInt(), 1);
  EXPECT_TRUE(X("PRNSETCOPIES(2)").AsLogical());
  EXPECT_TRUE(X("PRNSETSIZE(100, 100)").IsNil());
  EXPECT_TRUE(X("DRAFTMODE(.T.)").IsNil());
  EXPECT_EQ(X("PRNBINSOURCE(4)").AsInt(), 0);
  EXPECT_EQ(X("PRNBINSOURCE()").AsInt(), 0);
  EXPECT_EQ(X("PRNGETNAME()").AsString(), "");
  EXPECT_EQ(X("PRNGETPORT()").AsString(), "");
  EXPECT_EQ(X("PRNGETDRIVE()").AsString(), "");
  EXPECT_FALSE(X("RESETDC(0)").AsLogical());
}

}  // namespace
}  // namespace ui
