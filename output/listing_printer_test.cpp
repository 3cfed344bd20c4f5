// The listing printer's drawing straight on its context, the printer driver's own settings
// dialog and what it leaves for the next job, the listing files' functions and dialogs by
// name, and TFont2 from each of its sources.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "output/listing_file.h"
#include "output/listing_state.h"
#include "output/output_test_support.h"
#include "output/printer_helpers.h"
#include "output/printer_table.h"
#include "output/tfont2.h"
#include "output/tprinter2.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/workareas.h"
#include "services/table_helpers.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "tests/support/window_text.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/printer_device.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::PrinterOutput;
using vdr::test::SeenDialog;
using xb::Value;

Value X(const std::string& text) { return xb::EvalMacro(text); }
void Set(std::string_view name, Value v) { xb::SetMemvar(xb::Intern(name), std::move(v)); }

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

class ListingPrinterTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    test::StartListingRun(folder_.path(), functions_);
    SetUser("01");
    ASSERT_TRUE(CreaImprDbf());
    svc::SelectedAreaScope keep;
    ASSERT_TRUE(svc::OpenTable(GesPrnTable(), "_P", true));
    svc::OpenedArea area(true);
    test::AppendTestPrinter(vdr::test::kTestPrinter, "LPT1:", "1", 1);
  }
  void TearDown() override {
    if (!keep_settings_) ForgetPrinterSettings(vdr::test::kTestPrinter);
    ResetDm();
    if (Impresora()) Impresora()->End();
    Impresora(nullptr);
    xb::rdd::ResetTables();
    ui::PrinterInit();
    FrameworkTest::TearDown();
    functions_.Restore();
  }

  xb::FunctionTableSnapshot functions_;
  test::TempFolder folder_;
  bool keep_settings_ = false;  // a later run reads them
};

// ---- drawing straight on the context ----------------------------------------------------------------

TEST_F(ListingPrinterTest, DrawAlignSetPosAndLineGoStraightToThePrinter) {
  PrinterOutput out("listing_draw");
  ASSERT_TRUE(X("PRINT2NEW(.F., 1)").AsLogical());
  ASSERT_GT(X("PRINT2CD('Dibujo directo')").AsInt(), 0);
  X("PRINT2CP()");
  // Draw answers the height DrawText took; the text wraps inside its rectangle.
  const int height = static_cast<int>(X("IMPRESORA():Draw(200, 200, 1200, 900, 'Texto en su recuadro', 16)").AsInt());
  EXPECT_GT(height, 0);
  X("IMPRESORA():Align(2)");  // TA_RIGHT
  EXPECT_EQ(GetTextAlign(Impresora()->hDC), static_cast<UINT>(TA_RIGHT));
  X("IMPRESORA():Align(24)");
  X("IMPRESORA():SetPos(1500, 300)");
  POINT at = {};
  GetCurrentPositionEx(Impresora()->hDC, &at);
  EXPECT_EQ(at.x, 300);
  EXPECT_EQ(at.y, 1500);
  X("IMPRESORA():Line(1500, 2000)");
  GetCurrentPositionEx(Impresora()->hDC, &at);
  EXPECT_EQ(at.x, 2000);
  X("PRINT2FP()");
  X("PRINT2FD()");
  const std::string text = out.Text();
  EXPECT_NE(text.find("Texto en su"), std::string::npos) << text;
  EXPECT_NE(text.find("recuadro"), std::string::npos) << text;
  EXPECT_GE(Count(out.PostScript(), "lineto"), 1);
  // Without a context there is nothing to draw on.
  Impresora()->End();
  EXPECT_EQ(Impresora(), nullptr);
  TPrinter2 none;
  EXPECT_EQ(none.Draw(0, 0, 100, 100, "x", 0), 0);
}

// A bitmap takes the raster operation given: here on a memory context standing for the
// printer's, where the pixels can be read back.
TEST_F(ListingPrinterTest, ABitmapIsDrawnWithItsRasterOperation) {
  // A white 4 x 4 picture in a .bmp file.
  HDC screen = GetDC(nullptr);
  HBITMAP white = CreateCompatibleBitmap(screen, 4, 4);
  HDC paint = CreateCompatibleDC(screen);
  HGDIOBJ old_paint = SelectObject(paint, white);
  PatBlt(paint, 0, 0, 4, 4, WHITENESS);
  SelectObject(paint, old_paint);
  DeleteDC(paint);
  HGLOBAL dib = ui::DibFromBitmap(white, nullptr);
  const std::string file = (folder_ / "blanco.bmp");
  ASSERT_TRUE(ui::DibWrite(file, dib));
  GlobalFree(dib);
  DeleteObject(white);

  struct Case {
    const char* raster;  // the sixth argument of SayBitMap
    COLORREF ground;     // the context's colour before
    COLORREF expected;   // at the picture's place after
  };
  const Case cases[] = {
      {"NIL", RGB(0, 0, 0), RGB(255, 255, 255)},             // a plain copy
      {"13369376", RGB(0, 0, 0), RGB(255, 255, 255)},        // SRCCOPY
      {"66", RGB(255, 255, 255), RGB(0, 0, 0)},              // BLACKNESS: the picture does not count
      {"5570569", RGB(255, 255, 255), RGB(0, 0, 0)},         // DSTINVERT
      {"8913094", RGB(0, 255, 0), RGB(0, 255, 0)},           // SRCAND: white keeps what is there
  };
  nDestinoListado(kMainPrinter);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raster);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP page = CreateCompatibleBitmap(screen, 40, 40);
    HGDIOBJ old_page = SelectObject(memory, page);
    HBRUSH ground = CreateSolidBrush(c.ground);
    const RECT all{0, 0, 40, 40};
    FillRect(memory, &all, ground);
    DeleteObject(ground);
    auto printer = xb::MakeRef<TPrinter2>();
    printer->hDC = memory;
    Impresora(printer);
    X(std::string("IMPRESORA():SayBitMap(10, 10, '") + file + "', 4, 4, " + c.raster + ", .F., .T.)");
    EXPECT_EQ(GetPixel(memory, 11, 11), c.expected);
    EXPECT_EQ(GetPixel(memory, 2, 2), c.ground);  // outside the picture nothing changes
    printer->hDC = nullptr;
    Impresora(nullptr);
    SelectObject(memory, old_page);
    DeleteObject(page);
    DeleteDC(memory);
  }
  nDestinoListado(0);
  ReleaseDC(nullptr, screen);
}

// ---- the driver's own settings dialog ------------------------------------------------------------------

// Answers the driver's settings sheet: its orientation button (the PostScript driver's 101
// portrait, 102 landscape) clicked, then OK.
DialogAnswerer::Chooser ChooseOrientation(int button, const char* screenshot = nullptr) {
  return [button, screenshot](const SeenDialog& d) {
    std::pair<int, HWND> wanted{button, nullptr};
    EnumChildWindows(
        d.hwnd,
        [](HWND child, LPARAM p) {
          auto* w = reinterpret_cast<std::pair<int, HWND>*>(p);
          if (GetDlgCtrlID(child) == w->first) w->second = child;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    if (wanted.second == nullptr) return 0;
    if (screenshot != nullptr)
      EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\" + screenshot));
    SendMessageA(wanted.second, BM_CLICK, 0, 0);
    return IDOK;
  };
}

// The PostScript driver's own settings put back to portrait: under Wine the driver keeps what
// its dialog was given for the rest of the process, as a program's kept settings would be.
void DriverBackToPortrait() {
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterA(const_cast<char*>(vdr::test::kTestPrinter), &printer, nullptr));
  char* name = const_cast<char*>(vdr::test::kTestPrinter);
  std::vector<char> mode(static_cast<std::size_t>(DocumentPropertiesA(nullptr, printer, name, nullptr, nullptr, 0)));
  auto* dm = reinterpret_cast<DEVMODEA*>(mode.data());
  DocumentPropertiesA(nullptr, printer, name, dm, nullptr, DM_OUT_BUFFER);
  dm->dmOrientation = DMORIENT_PORTRAIT;
  dm->dmFields |= DM_ORIENTATION;
  DocumentPropertiesA(nullptr, printer, name, dm, dm, DM_IN_BUFFER | DM_OUT_BUFFER);
  ClosePrinter(printer);
}

std::string PrinterCall(const char* function) {
  return std::string(function) + "('winspool', '" + vdr::test::kTestPrinter + "', 'LPT1:')";
}

// This test program run again on one test: a run of its own, after the one that set them.
bool RunsInTheNextRun(const std::string& test, int orientation) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string command = std::string("\"") + exe + "\" --gtest_also_run_disabled_tests --gtest_filter=ListingPrinterTest." + test;
  SetEnvironmentVariableA("VDR_NEXT_RUN_ORIENTATION", std::to_string(orientation).c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const bool started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != FALSE;
  SetEnvironmentVariableA("VDR_NEXT_RUN_ORIENTATION", nullptr);
  if (!started) return false;
  DWORD code = 1;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code == 0;
}

// Run by the test below in a process of its own: the printer's settings are those the earlier
// run's user set.
TEST_F(ListingPrinterTest, DISABLED_TheNextRunTakesTheKeptSettings) {
  keep_settings_ = true;
  char wanted[16] = {};
  ASSERT_GT(GetEnvironmentVariableA("VDR_NEXT_RUN_ORIENTATION", wanted, sizeof wanted), 0u);
  const int orientation = std::atoi(wanted);
  X(PrinterCall("GETDM"));
  EXPECT_EQ(X("GETDMFIELD(7)").AsInt(), orientation);
  ASSERT_TRUE(X("PRINT2NEW(.F., 1)").AsLogical());
  EXPECT_EQ(Impresora()->nWidth() > Impresora()->nHeight(), orientation == DMORIENT_LANDSCAPE);
}

TEST_F(ListingPrinterTest, WhatTheUserSetsInTheDriversDialogStaysForTheNextJob) {
  X(PrinterCall("GETDM"));
  ASSERT_EQ(X("GETDMFIELD(7)").AsInt(), DMORIENT_PORTRAIT);
  {
    DialogAnswerer answer(ChooseOrientation(102, "printer_settings.bmp"));
    X(PrinterCall("SETPRNCONF"));
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, "Opciones");
  }
  // The next read of the settings, after the block was forgotten, keeps the choice.
  DriverBackToPortrait();
  X("RESETDM()");
  X(PrinterCall("GETDM"));
  EXPECT_EQ(X("GETDMFIELD(7)").AsInt(), DMORIENT_LANDSCAPE);
  // A listing's job on that printer, its context made without a settings block, prints so.
  DriverBackToPortrait();
  {
    PrinterOutput out("listing_user_settings");
    ASSERT_TRUE(X("PRINT2NEW(.F., 1)").AsLogical());
    EXPECT_GT(Impresora()->nWidth(), Impresora()->nHeight());
    X("PRINT2CD('Apaisado')");
    X("PRINT2CP()");
    Impresora()->Say(2, 2, "Hoja apaisada");
    X("PRINT2FP()");
    X("PRINT2FD()");
    Impresora()->End();
    EXPECT_NE(out.PostScript().find("Landscape"), std::string::npos);
  }
  // And for the program's next run.
  EXPECT_TRUE(RunsInTheNextRun("DISABLED_TheNextRunTakesTheKeptSettings", DMORIENT_LANDSCAPE));
  // A later choice replaces it.
  {
    DialogAnswerer answer(ChooseOrientation(101));
    X(PrinterCall("SETPRNCONF"));
  }
  X(PrinterCall("GETDM"));
  EXPECT_EQ(X("GETDMFIELD(7)").AsInt(), DMORIENT_PORTRAIT);
  ASSERT_TRUE(X("PRINT2NEW(.F., 1)").AsLogical());
  EXPECT_LT(Impresora()->nWidth(), Impresora()->nHeight());
}

// ---- listing files by name -----------------------------------------------------------------------------

TEST_F(ListingPrinterTest, TheFileFunctionsWriteReadAndSeekByName) {
  Set("cFile", Value::String(folder_ / "valores.bin"));
  Set("nH", X("NOPENFILE(cFile, 4098, {})"));
  ASSERT_GT(X("nH").AsInt(), 0);
  struct Row {
    const char* write;
    int written;
    const char* read;
    int read_bytes;
    const char* value;  // the value read back, as an expression to compare with
  };
  const Row rows[] = {
      {"NWRITEFILE(nH, 3.14159, 'N')", 4, "NREADFILE(nH, @xV, 'N')", 4, "3.141"},
      {"NWRITEFILE(nH, 'año', 'C')", 3, "NREADFILE(nH, @xV, 'C', 3)", 3, "'año'"},
      {"NWRITEFILE(nH, .T.)", 1, "NREADFILE(nH, @xV, 'L')", 1, ".T."},
      {"NWRITEFILE(nH, -5000000000.5)", 4, "NREADFILE(nH, @xV, 'N')", 4, "-5000000000.5"},
  };
  for (const Row& r : rows) EXPECT_EQ(X(r.write).AsInt(), r.written) << r.write;
  EXPECT_EQ(X("NWRITEFILE(nH, DATE(), 'D')").AsInt(), -1);
  EXPECT_EQ(X("NWRITEFILE(nH, 12, 'C')").AsInt(), -1);  // the type the value is not
  EXPECT_EQ(X("NSEEKFILE(nH, 0, 0)").AsInt(), 0);
  for (const Row& r : rows) {
    Set("xV", Value());
    EXPECT_EQ(X(r.read).AsInt(), r.read_bytes) << r.read;
    EXPECT_TRUE(X(std::string("xV == ") + r.value).AsLogical()) << r.read;
  }
  EXPECT_EQ(X("NSEEKFILE(nH, 0, 2)").AsInt(), 12 + 3 + 1 + 12);
  EXPECT_EQ(X("NREADFILE(nH, @xV, 'X')").AsInt(), -1);
  X("CLOSEFILE(nH)");
  EXPECT_EQ(X("NWRITEFILE(-1, 'x', 'C')").AsInt(), -1);
  EXPECT_EQ(X("NSEEKFILE(-1, 0, 0)").AsInt(), -1);

  // A TFileC keeps its open's information: the full name, and the error of a failed open.
  Set("oF", X("TFileC():New(cFile, 2, 2)"));  // read and write, the file as it is
  EXPECT_GE(X("oF:nHFile").AsInt(), 0);
  EXPECT_EQ(X("LEN(oF:aOpenInfo)").AsInt(), 4);
  EXPECT_EQ(X("oF:aOpenInfo[3]").AsInt(), 0);
  EXPECT_EQ(X("UPPER(oF:aOpenInfo[4])").AsString(), X("UPPER(cFile)").AsString());
  X("oF:Close()");
  Set("oF", X("TFileC():New(cFile + '.no', 2, 2)"));  // no such file
  EXPECT_EQ(X("oF:nHFile").AsInt(), -1);
  EXPECT_EQ(X("oF:aOpenInfo[3]").AsInt(), ERROR_FILE_NOT_FOUND);
}

// The file dialogs take every item of the description they are given and give back the
// chosen name, its title and offsets.
TEST_F(ListingPrinterTest, TheFileDialogsFollowTheirDescription) {
  const std::string folder = folder_.path();
  Set("aFn", X("{'Listados (*.lst)' + CHR(0) + '*.lst' + CHR(0) + 'Todos' + CHR(0) + '*.*' + CHR(0) + CHR(0),"
                         " '', 0, 2, '', 260, '', 260, '" + folder + "', 'Título propio', 0, 0, 0, 'LST'}"));
  struct Seen {
    std::string title, type, folder;
  } seen;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      seen.title = d.title;
      seen.type = ItemText(d.hwnd, 1136);
      SetDlgItemTextA(d.hwnd, 1148, "salida");
      return IDOK;
    });
    // TFileC on the description: its save dialog, titled as the listings' file, opens the
    // chosen file with the default extension.
    X("oF := TFileC():New(NIL, NIL, 0, NIL, aFn)");
    ASSERT_EQ(answer.seen().size(), 1u);
  }
  EXPECT_EQ(seen.title, " Fichero de listado");
  EXPECT_EQ(seen.type, "Todos");  // the filter index of the description
  EXPECT_TRUE(X("oF:nHFile > 0").AsLogical());
  const std::string chosen = folder + "salida.LST";
  EXPECT_EQ(X("oF:cFileName").AsString(), chosen);
  EXPECT_EQ(X("oF:cFileTitle").AsString(), "salida.LST");
  EXPECT_EQ(X("aFn[5]").AsString(), chosen);
  EXPECT_EQ(X("aFn[12]").AsInt(), static_cast<std::int64_t>(folder.size()));
  EXPECT_EQ(X("aFn[13]").AsInt(), static_cast<std::int64_t>(chosen.size() - 3));
  X("oF:Close()");
  EXPECT_NE(GetFileAttributesA(chosen.c_str()), INVALID_FILE_ATTRIBUTES);
  // By name: the open dialog with the description's own title; a cancel leaves it as it was.
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      seen.title = d.title;
      return IDCANCEL;
    });
    X("lOk := .T.");
    X("GETOPENFN(aFn, @lOk)");
    ASSERT_EQ(answer.seen().size(), 1u);
  }
  EXPECT_EQ(seen.title, "Título propio");
  EXPECT_FALSE(X("lOk").AsLogical());
  EXPECT_EQ(X("aFn[5]").AsString(), chosen);
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      seen.title = d.title;
      SetDlgItemTextA(d.hwnd, 1148, "otra");
      return IDOK;
    });
    X("GETSAVEFN(aFn, @lOk, 0, 'Guardar como')");
    ASSERT_EQ(answer.seen().size(), 1u);
  }
  EXPECT_EQ(seen.title, "Guardar como");
  EXPECT_TRUE(X("lOk").AsLogical());
  EXPECT_EQ(X("aFn[7]").AsString(), "otra.LST");
}

// ---- TFont2 ---------------------------------------------------------------------------------------------

TEST_F(ListingPrinterTest, TFont2IsMadeFromEachOfItsSources) {
  HDC dc = DcImpresora(vdr::test::kTestPrinter, "LPT1:", "winspool");
  ASSERT_NE(dc, nullptr);
  Set("hDC", Value::Integer(reinterpret_cast<std::intptr_t>(dc)));
  const int per_inch = GetDeviceCaps(dc, LOGPIXELSY);
  HFONT handle = CreateFontA(-per_inch / 6, 0, 0, 0, FW_BOLD, TRUE, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  Set("hF", Value::Integer(reinterpret_cast<std::intptr_t>(handle)));
  // What each was made from, as its font handle describes it: face, height in pixels,
  // weight, italic.
  struct Row {
    const char* call;
    const char* face;
    int height;
    int weight;
    bool italic;
    int points;
  };
  const int ten_points = -TwPix(2, 200, dc);
  const Row rows[] = {
      // Font groups 1 and 3 of the printer's record: Courier New of 10 and 14 points.
      {"TFont2():New(1, 1, hDC)", "Courier New", ten_points, FW_NORMAL, false, 10},
      {"TFont2():New(3, 1, hDC)", "Courier New", -TwPix(2, 280, dc), FW_NORMAL, false, 14},
      // A font handle, its height already in pixels.
      {"TFont2():New(NIL, NIL, hDC, NIL, .F., .F., hF)", "Times New Roman", -per_inch / 6, FW_BOLD, true, 12},
      // The values, the height in points.
      {"TFont2():New(NIL, NIL, hDC, NIL, .F., .F., NIL, 'Arial', 0, 9, 700, .T.)", "Arial", -TwPix(2, 180, dc),
       FW_BOLD, true, 9},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.call);
    Set("oFont", X(r.call));
    ASSERT_TRUE(X("VALTYPE(oFont) == 'O'").AsLogical());
    LOGFONTA made = {};
    ASSERT_NE(GetObjectA(reinterpret_cast<HFONT>(static_cast<std::intptr_t>(X("oFont:hFont").AsInt())), sizeof made,
                         &made),
              0);
    EXPECT_STREQ(made.lfFaceName, r.face);
    EXPECT_EQ(made.lfHeight, r.height);
    EXPECT_EQ(made.lfWeight, r.weight);
    EXPECT_EQ(made.lfItalic != 0, r.italic);
    EXPECT_EQ(X("oFont:nPointSize").AsInt(), r.points);
    X("oFont:End()");
  }
  // The chooser: confirmed it gives its font, cancelled nothing.
  {
    DialogAnswerer answer(DialogAnswerer::PressId(IDOK));
    Set("oFont", X("TFont2():New(NIL, NIL, hDC, NIL, .T.)"));
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_TRUE(X("VALTYPE(oFont) == 'O'").AsLogical());
  }
  {
    DialogAnswerer answer(DialogAnswerer::PressId(IDCANCEL));
    EXPECT_TRUE(X("TFont2():New(NIL, NIL, hDC, NIL, .T.)").IsNil());
  }
  // FontName: the pitch number of the face, at its place or the first one.
  struct Name {
    const char* face;
    double cpi;
    int pos;
    const char* name;
  };
  const Name names[] = {
      {"Courier 10cpi", 17, 0, "Courier 17cpi"},     {"Courier 10cpi", 16.67, 0, "Courier 16.67cpi"},
      {"Line 2 Pitch 10", 12, 14, "Line 2 Pitch 12"}, {"Courier New", 10, 0, "Courier New 10"},
  };
  for (const Name& n : names) {
    TFont2 font;
    font.cFaceName = n.face;
    EXPECT_EQ(font.FontName(n.cpi, n.pos), n.name) << n.face;
  }
  DeleteObject(handle);
  DeleteDC(dc);
}

}  // namespace
}  // namespace output
