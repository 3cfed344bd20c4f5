// A user report run to the page printer (its text read back from the test printer) and to
// the preview, as the user sees them.
#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <sstream>
#include <windows.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "output/output.h"
#include "output/preview.h"
#include "output/qz_printer.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "reports/win/report_list.h"
#include "reports/win/report_output_dialog.h"
#include "reports/win/report_page_device.h"
#include "reports/win/report_window_test_support.h"
#include "reports/win/tbrwdataqz.h"
#include "reports/win/tdtreport.h"
#include "ui/core/tmdiframe.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"

namespace reports {
namespace {

using testing::Add;
using testing::GreyFills;
using testing::Table;
using testing::X;
using xb::Value;

// Presses "Cancelar" on a dialog the moment it is given `title`, as the progress dialog of a
// report is on its first page: a timer that a busy machine runs late would let more pages
// through first.
class CancelWhenTitled {
 public:
  explicit CancelWhenTitled(std::string title) : title_(std::move(title)) {
    self_ = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, &Proc, nullptr, GetCurrentThreadId());
  }
  ~CancelWhenTitled() {
    UnhookWindowsHookEx(hook_);
    self_ = nullptr;
  }
  const std::vector<vdr::test::SeenDialog>& seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && self_ != nullptr && m->message == WM_SETTEXT && m->lParam != 0 &&
        self_->title_ == reinterpret_cast<const char*>(m->lParam)) {
      const vdr::test::SeenDialog d = vdr::test::ReadDialog(m->hwnd);
      if (d.class_name == "#32770") {
        self_->seen_.push_back(d);
        const int id = d.ButtonId("Cancelar");
        PostMessageA(m->hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(m->hwnd, id)));
      }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  static inline CancelWhenTitled* self_ = nullptr;
  std::string title_;
  HHOOK hook_ = nullptr;
  std::vector<vdr::test::SeenDialog> seen_;
};

class ReportPrintTest : public testing::ReportWindowTest<> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    Example();
  }
  // The example report on its master table.
  void Example() {
    Table(folder_.path(), "Ventas", "{{'CODIGO', 'C', 6, 0}, {'IMPORTE', 'N', 10, 2}}",
          {"FIELDPUT(1, 'A01'), FIELDPUT(2, 1234.5)", "FIELDPUT(1, 'B02'), FIELDPUT(2, 10)",
           "FIELDPUT(1, 'C03'), FIELDPUT(2, 0.25)"});
    Add("Informes",
        "INFORME := 'EJEMPLO', TABLAMAST := 'VENTAS', DESCRIPC := 'Prueba', TITULO := 'Prueba', HASTA := 'Total', "
        "DESGLOSE := .T., LINEASR := 1, INFMASTER := 'EJEMPLO'");
    Add("Columnas",
        "INFORME := 'EJEMPLO', IDCOL := 1, TIPOCOL := 1, CAMPO := 'Colum1', TITULO := 'Código', TIPO := 'C', "
        "ANCHO := 6, ALINEACION := 'I', PINICIAL := 1, LINEA := 1, CAMPOREL := 'CODIGO', ANCHOMAX := 6, "
        "IMPRIMIR := .T., INIGRUPO := .T.");
    Add("Columnas",
        "INFORME := 'EJEMPLO', IDCOL := 2, TIPOCOL := 1, CAMPO := 'Colum2', TITULO := 'Importe', TIPO := 'N', "
        "ANCHO := 12, NUMDECIMAL := 2, DECIMAL := 2, ALINEACION := 'D', PINICIAL := 8, LINEA := 1, TOTAL := .T., "
        "MASCARA := '@E 9,999,999.99', CAMPOREL := 'IMPORTE', ANCHOMAX := 10, IMPRIMIR := .T., INIGRUPO := .T.");
  }
};

TEST_F(ReportPrintTest, TheExampleReportPrintsOnThePrinter) {
  vdr::test::PrinterOutput out("informe_ejemplo");
  TInforme inf;
  inf.oStDestino.nDestino = 1;
  inf.oStDestino.lPreview = false;
  ASSERT_TRUE(inf.RunInforme("EJEMPLO"));
  EXPECT_EQ(out.Pages(), 1);
  EXPECT_EQ(out.Comment("%%Title:"), "Prueba");
  const std::string text = out.Text();
  for (const char* piece : {"Código", "Importe", "A01", "1.234,50", "10,00", "0,25", "Total", "1.244,75"})
    EXPECT_NE(text.find(piece), std::string::npos) << piece << " in:\n" << text;
  EXPECT_FALSE(TInforme::lRunning);
}

// "&Sombreado" in the output dialog shades every other line of the printed report: the
// first and the third of the example's three records, in light grey under their text, cell
// by cell; unchecked, nothing is shaded.
TEST_F(ReportPrintTest, TheShadeCheckBoxShadesEveryOtherLineOnThePrinter) {
  InstallReportWindows();
  for (const bool shade : {false, true}) {
    vdr::test::DialogAnswerer answer([shade](const vdr::test::SeenDialog& d) {
      if (d.title != " Impresión de informes") return 0;
      CheckDlgButton(d.hwnd, 130, BST_UNCHECKED);
      CheckDlgButton(d.hwnd, 131, shade ? BST_CHECKED : BST_UNCHECKED);
      return IDOK;
    });
    vdr::test::PrinterOutput out(shade ? "informe_sombreado" : "informe_sin_sombra");
    TInforme inf;
    ASSERT_TRUE(inf.RunInforme("EJEMPLO")) << shade;
    EXPECT_EQ(inf.oStDestino.lShadow, shade);
    EXPECT_EQ(out.Pages(), 1);
    const std::string text = out.Text();
    for (const char* piece : {"Código", "Importe", "A01", "1.234,50", "B02", "10,00", "C03", "0,25", "Total", "1.244,75"})
      EXPECT_NE(text.find(piece), std::string::npos) << piece << " in:\n" << text;
    const std::vector<std::array<int, 4>> fills = GreyFills(out.PostScript());
    if (!shade) {
      EXPECT_TRUE(fills.empty());
      continue;
    }
    // Two cells (code, amount) on the first record's line and two on the third's.
    ASSERT_EQ(fills.size(), 4u);
    const auto [left, first, code_width, height] = fills[0];
    EXPECT_GT(height, 0);
    EXPECT_EQ(fills[1][1], first);
    EXPECT_GT(fills[1][0], left + code_width) << "the amount's cell lies right of the code's";
    EXPECT_EQ(fills[2][0], left);
    EXPECT_EQ(fills[2][1], first + 2 * height) << "the second record's line is left white";
    EXPECT_EQ(fills[3][1], first + 2 * height);
    for (const auto& f : fills) EXPECT_EQ(f[3], height);
    EXPECT_EQ(fills[2][2], code_width);
    EXPECT_EQ(fills[3][2], fills[1][2]);
  }
}

// A report made by compiled text through the engine's classes prints on the page printer:
// its title line, two-line column titles, records of two data lines, the amount's total,
// and every other data line shaded (the first line of each record).
TEST_F(ReportPrintTest, AReportOfCompiledTextPrintsOnThePrinter) {
  InstallReportWindows();
  X("DBUSEAREA(.T., 'ADS', '" + folder_.path() + "Ventas.dbf', 'VENTASQZ', .F.)");
  vdr::test::PrinterOutput out("informe_clases");
  X("oRep := TQZReport():New({{|| 'Ventas del día'}},,,,,,,, .T.,,,, 'Ventas QZ')");
  EXPECT_TRUE(X("oRep:lCreated .AND. oRep:lPrinter .AND. !oRep:lScreen").AsLogical());
  EXPECT_EQ(X("oRep:oDevice:ClassName()").AsString(), "_TPRINTER");
  X("oRep:lGlobalShadow := .T.");
  X("oCod := TQZRCol():New({{|| 'Código'}, {|| 'y línea'}},, {{|| FIELD->CODIGO}, {|| 'segunda'}}, 10,,,,, 'LEFT',,,,"
    " oRep,,, 'C')");
  X("oImp := TQZRCol():New({{|| 'Importe'}},, {{|| FIELD->IMPORTE}}, 12, {'@E 9,999,999.99'},, .T.,, 'RIGHT',,,, oRep,,,"
    " 'N')");
  X("oRep:AddColumn(oCod), oRep:AddColumn(oImp), DBGOTOP(), oRep:Activate()");
  X("oRep := oCod := oImp := NIL, VENTASQZ->(DBCLOSEAREA())");
  EXPECT_EQ(out.Comment("%%Title:"), "Ventas QZ");
  EXPECT_EQ(out.Pages(), 1);
  const std::string text = out.Text();
  for (const char* piece : {"Ventas del día", "Código", "y línea", "Importe", "A01", "segunda", "C03", "1.244,75"})
    EXPECT_NE(text.find(piece), std::string::npos) << piece << " in:\n" << text;
  // Six data lines: the first, third and fifth shaded, in both columns.
  const std::vector<std::array<int, 4>> fills = GreyFills(out.PostScript());
  ASSERT_EQ(fills.size(), 6u);
  const int height = fills[0][3];
  for (std::size_t i = 0; i < fills.size(); ++i) EXPECT_EQ(fills[i][1], fills[0][1] + static_cast<int>(i / 2) * 2 * height) << i;
}

// The copies and the draft mode of the output choice are the job's; the printer's own come
// back when it ends.
TEST_F(ReportPrintTest, CopiesAndDraftModeReachThePrinter) {
  struct Case {
    int copies, modo;
  };
  for (const Case& c : {Case{3, 2}, Case{2, 1}, Case{1, 2}}) {
    vdr::test::PrinterOutput out("informe_copias");
    std::optional<DEVMODEA> during;
    ReportRunHook hook = CurrentReportRunHook();
    hook.device = [&during](const StDestino& d, const std::string& document) {
      auto device = MakeReportDevice(d, document);
      during = ui::PrnDevMode();
      return device;
    };
    SetReportRunHook(hook);
    TInforme inf;
    inf.oStDestino.nDestino = 1;
    inf.oStDestino.lPreview = false;
    inf.oStDestino.nCopias = c.copies;
    inf.oStDestino.nModo = c.modo;
    ASSERT_TRUE(inf.RunInforme("EJEMPLO"));
    ASSERT_TRUE(during.has_value());
    EXPECT_EQ(during->dmCopies, c.copies);
    EXPECT_EQ(during->dmPrintQuality == DMRES_DRAFT, c.modo == 2) << c.copies;
    const std::string ps = out.PostScript();
    EXPECT_EQ(ps.find("%cupsJobTicket: copies=" + std::to_string(c.copies)) != std::string::npos, c.copies > 1) << c.copies;
    EXPECT_NE(out.Text().find("1.244,75"), std::string::npos);
    const std::optional<DEVMODEA> after = ui::PrnDevMode();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->dmCopies, 1);
    EXPECT_NE(after->dmPrintQuality, DMRES_DRAFT);
  }
}

// The preview runs its own loop: a timer looks at it and closes it.
bool g_preview_seen = false;
bool g_preview_modal = false;
void CALLBACK ClosePreview(HWND, UINT, UINT_PTR, DWORD) {
  output::Preview* preview = output::Preview::Open();
  if (preview == nullptr || g_preview_seen) return;
  g_preview_seen = true;
  g_preview_modal = preview->printer().lPrvModal;
  EXPECT_EQ(preview->PageLabel(), "Página 1 / 1");
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(preview->window()->hWnd,
                                          vdr::test::ScreenshotFolder() + "\\report_run_preview.bmp"));
  preview->window()->End();
}

TEST_F(ReportPrintTest, TheExampleReportShowsInThePreview) {
  TInforme inf;
  inf.oStDestino.nDestino = 1;
  inf.oStDestino.lPreview = true;
  g_preview_seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &ClosePreview);
  g_preview_modal = false;
  const bool printed = inf.RunInforme("EJEMPLO");
  KillTimer(nullptr, timer);
  EXPECT_TRUE(printed);
  EXPECT_TRUE(g_preview_seen);
  EXPECT_TRUE(g_preview_modal) << "the run waits for its preview";
  EXPECT_FALSE(TInforme::lRunning);
}

TEST_F(ReportPrintTest, InformesOpensTheListThatRunsTheCurrentReport) {
  auto frame = xb::MakeRef<ui::TMdiFrame>();
  ui::TMdiFrame::NewParams p;
  p.caption = "Vdr";
  frame->New(p);
  ShowWindow(frame->hWnd, SW_SHOWMAXIMIZED);
  InstallReportWindows();
  X("INFORMES()");
  TBrwDataQZ* list = ReportList();
  ASSERT_NE(list, nullptr);
  vdr::test::PumpPending();
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(frame->hWnd, vdr::test::ScreenshotFolder() + "\\report_list.bmp"));
  ASSERT_EQ(list->aExtraButtons.size(), 3u);
  EXPECT_EQ(list->aExtraButtons[0].tooltip, "Columnas de este informe");
  EXPECT_EQ(list->aExtraButtons[1].tooltip, "Ejecutar informe");
  EXPECT_EQ(list->aExtraButtons[2].tooltip, "Duplicar informe");
  // Run from the list: the output dialog, then the preview (closed by the timer). The bar's
  // buttons are disabled while it runs and come back as they were.
  const auto enabled = [list] {
    std::string s;
    for (const ui::WindowRef& b : list->bar()->Buttons()) s += IsWindowEnabled(b->hWnd) ? '1' : '0';
    return s;
  };
  const std::string before = enabled();
  std::string during;
  vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
    if (d.title != " Impresión de informes") return 0;
    during = enabled();
    EXPECT_NE(d.AllText().find("EJEMPLO"), std::string::npos);
    EXPECT_NE(d.AllText().find("Prueba"), std::string::npos);
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\report_output_dialog.bmp"));
    return IDOK;
  });
  g_preview_seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &ClosePreview);
  list->aExtraButtons[1].action();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_preview_seen);
  EXPECT_FALSE(TInforme::lRunning);
  ASSERT_NE(before.find('1'), std::string::npos);
  EXPECT_EQ(during, std::string(before.size(), '0'));
  EXPECT_EQ(enabled(), before);
  ASSERT_FALSE(answer.seen().empty());
  EXPECT_EQ(answer.seen().front().title, " Impresión de informes");
  // Deleting asks first: "No" keeps the report, "Sí" deletes it.
  const std::string informes = TDictQZ::AliasOf("Informes");
  for (const char* press : {"No", "Sí"}) {
    vdr::test::DialogAnswerer confirm([press](const vdr::test::SeenDialog& d) {
      return d.title == "Atención, confirme" ? d.ButtonId(press) : 0;
    });
    X(informes + "->(DBGoTop())");
    EXPECT_TRUE(list->BrowseKeys('e'));
    ASSERT_EQ(confirm.seen().size(), 1u) << press;
    const bool kept = X(informes + "->(DBGoTop(), !Eof())").AsLogical();
    EXPECT_EQ(kept, std::string(press) == "No") << press;
  }
  list->End();
  vdr::test::PumpPending();
  EXPECT_EQ(ReportList(), nullptr);
  frame->End();
  vdr::test::PumpPending();
}

TEST_F(ReportPrintTest, TheOutputDialogSendsTheReportToATextFile) {
  InstallReportWindows();
  const std::string file = folder_ / "salida.txt";
  int seen = 0;
  vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
    if (d.title != " Impresión de informes") return 0;
    ++seen;
    SendDlgItemMessageA(d.hwnd, 111, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd, 140))) << "copies only for the printer";
    SetDlgItemTextA(d.hwnd, 150, file.c_str());
    return IDOK;
  });
  TInforme inf;
  ASSERT_TRUE(inf.RunInforme("EJEMPLO"));
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(inf.oStDestino.nDestino, 2);
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char head[32] = {};
  DWORD read = 0;
  ReadFile(h, head, 21, &read, nullptr);
  CloseHandle(h);
  EXPECT_EQ(std::string(head, read), "C\xF3" "digo Importe     \r\n");
}

// TI_SELDESTINO: the same dialog from compiled text, its choice as the structure oStDestino.
TEST_F(ReportPrintTest, TiSelDestinoAnswersTheChoiceAsAStructure) {
  RegisterSelDestino();
  Add("Categor", "CATEGORIA := 'VEN', DESCRIPC := 'Ventas de mostrador', INFDOC := 'I'");
  const std::string file = folder_ / "elegido.txt";
  std::vector<vdr::test::SeenDialog> seen;
  vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
    seen.push_back(d);
    if (seen.size() > 1) return IDCANCEL;
    SendDlgItemMessageA(d.hwnd, 111, BM_CLICK, 0, 0);
    SetDlgItemTextA(d.hwnd, 150, file.c_str());
    return IDOK;
  });
  X("oSt := TI_SELDESTINO('EJEMPLO', 'VEN', 'Prueba', ' Destino del informe')");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, " Destino del informe");
  for (const char* piece : {"EJEMPLO", "Ventas de mostrador", "Prueba"})
    EXPECT_NE(seen[0].AllText().find(piece), std::string::npos) << piece << " in " << seen[0].AllText();
  EXPECT_TRUE(X("oSt:lOk").AsLogical());
  EXPECT_EQ(X("oSt:nDestino").AsInt(), 2);
  EXPECT_EQ(X("AllTrim(oSt:cFileDst)").AsString(), file);
  EXPECT_FALSE(X("oSt:lPreview").AsLogical()) << "preview only for the printer";
  EXPECT_EQ(X("oSt:nCopias").AsInt(), 1);
  // Cancelled: lOk is false.
  X("oSt := TI_SELDESTINO('EJEMPLO', 'VEN', 'Prueba')");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].title, " Impresión de informes");
  EXPECT_FALSE(X("oSt:lOk").AsLogical());
}

// TI_NLENMM measures a text in millimetres on the printer; TI_PRNTEXT prints a header text,
// on lines that fit its length, each lower by its spacing.
TEST_F(ReportPrintTest, HeaderTextsAreMeasuredAndWrappedInMillimetres) {
  RegisterHeaderTextFunctions();
  vdr::test::PrinterOutput out("header_texts");
  output::TPrinter::NewParams p;
  p.document = "Cabecera";
  xb::Ref<output::QzPrinter> printer = output::QzPrinter::New(p);
  ASSERT_TRUE(printer && printer->hDC != nullptr);
  ui::TFont::Spec spec;
  spec.face = "Arial";
  spec.height = -12;
  spec.device = printer->hDC;
  xb::Ref<ui::TFont> font = ui::TFont::New(spec);
  const auto length = [&](const char* text) {
    return xb::CallFunction("TI_NLENMM", {printer->AsValue(), Value::String(text), font->AsValue()}).AsDouble();
  };
  EXPECT_EQ(length(""), 0);
  EXPECT_GT(length("MMMMMMMMMM"), length("iiiiiiiiii"));
  EXPECT_NEAR(length("MMMMMMMMMM"), 2 * length("MMMMM"), 0.5);
  EXPECT_GT(length("MMMMMMMMMM"), 20) << "twelve points";
  EXPECT_LT(length("MMMMMMMMMM"), 60);
  printer->StartPage();
  const std::string text = "Listado de ventas del mes actual";
  const double width = length(text.c_str());
  const auto print = [&](double max_mm, double row) {
    return xb::CallFunction("TI_PRNTEXT", {printer->AsValue(), Value::String(text), Value::Number(max_mm), Value::Number(6),
                                           Value::Number(row), Value::Number(15), font->AsValue()})
        .AsDouble();
  };
  EXPECT_DOUBLE_EQ(print(0, 20), 26) << "one line without a length";
  const double below = print(width * 0.45, 60);
  EXPECT_GE(below, 60 + 3 * 6) << "three lines at least in less than half its length";
  printer->EndPage();
  printer->End();
  const std::string printed = out.Text();
  std::size_t whole = 0, lines = 0;
  for (std::size_t at = printed.find("Listado"); at != std::string::npos; at = printed.find("Listado", at + 1)) ++lines;
  whole = printed.find(text);
  EXPECT_NE(whole, std::string::npos) << printed;
  EXPECT_EQ(lines, 2u) << "once whole, once wrapped:\n" << printed;
  EXPECT_NE(printed.find("actual"), std::string::npos);
}

// The dictionary's browser prints its rows through a TDTReport: on the printer under a
// progress dialog titled with the document, and in the preview from "Imprimir".
TEST_F(ReportPrintTest, TheBrowserPrintsItsRows) {
  RegisterTDTReport();
  auto frame = xb::MakeRef<ui::TMdiFrame>();
  ui::TMdiFrame::NewParams p;
  p.caption = "Vdr";
  frame->New(p);
  TBrwDataQZ list("Informes", TDictQZ::AliasOf("Informes"), "Informes del generador");
  list.Activate(*frame);
  vdr::test::PumpPending();
  {
    vdr::test::PrinterOutput out("browse_report");
    list.BrwReport("Lista de informes", false);
    // The four columns are wider than a portrait page: it is printed across.
    EXPECT_EQ(out.Pages(), 1);
    EXPECT_EQ(out.Comment("%%Title:"), "Lista de informes");
    EXPECT_NE(out.PostScript().find("Landscape"), std::string::npos);
  }
  // "Imprimir" (the key "I") shows the preview.
  g_preview_seen = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 300, &ClosePreview);
  EXPECT_TRUE(list.BrowseKeys('i'));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_preview_seen);
  // TI_REPORT prints every field of the browse's table: wider than the page, it asks first.
  g_preview_seen = false;
  vdr::test::DialogAnswerer wide([](const vdr::test::SeenDialog& d) { return d.ButtonId("Sí"); });
  timer = SetTimer(nullptr, 0, 300, &ClosePreview);
  xb::CallFunction("TI_REPORT", {list.browse()->AsValue()});
  KillTimer(nullptr, timer);
  EXPECT_EQ(std::count_if(wide.seen().begin(), wide.seen().end(),
                          [](const vdr::test::SeenDialog& d) { return d.ButtonId("Sí") != 0; }),
            1);
  EXPECT_TRUE(g_preview_seen);
  list.End();
  frame->End();
  vdr::test::PumpPending();
}

TEST_F(ReportPrintTest, ADirectReportWritesATextFileAndCancelsFromItsProgressDialog) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 1; i <= 2000; ++i) rows.push_back({"Fila " + std::to_string(i), std::to_string(i * 10)});
  const std::string file = folder_ / "listado.txt";
  EXPECT_TRUE(PrintBrowseRows("Listado", {"Texto", "Importe"}, {10, 8}, {rows.begin(), rows.begin() + 3}, false, file));
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[4096] = {};
  DWORD read = 0;
  ReadFile(h, buffer, sizeof buffer - 1, &read, nullptr);
  CloseHandle(h);
  const std::string text(buffer, read);
  for (const char* piece : {"Fecha: ", ", Hora: ", "Listado", "Texto", "Importe", "Fila 1", "Fila 3", "30", "gina:   1"})
    EXPECT_NE(text.find(piece), std::string::npos) << piece << " in:\n" << text;
  EXPECT_EQ(text.find("Fila 4"), std::string::npos);

  // Cancelled on its first page, a long report stops there.
  vdr::test::PrinterOutput out("direct_cancel");
  CancelWhenTitled cancel("Listado QZ");
  EXPECT_FALSE(PrintBrowseRows({}, {"Texto", "Importe"}, {10, 8}, rows, false));
  ASSERT_EQ(cancel.seen().size(), 1u);
  EXPECT_EQ(cancel.seen()[0].title, "Listado QZ") << "the default document name";
  EXPECT_NE(cancel.seen()[0].ButtonId("Cancelar"), 0);
  EXPECT_EQ(out.Pages(), 1);
  EXPECT_EQ(out.Text().find("Fila"), std::string::npos) << "no row after the cancel:\n" << out.Text();
}

// Closes a listing's preview, keeping the number of its pages.
int g_listing_preview_pages = 0;
void CALLBACK CloseListingPreview(HWND, UINT, UINT_PTR, DWORD) {
  output::Preview* preview = output::Preview::Open();
  if (preview == nullptr || g_listing_preview_pages != 0) return;
  const std::string label = preview->PageLabel();  // "Página 1 / n"
  g_listing_preview_pages = std::max(1, std::atoi(label.substr(label.rfind('/') + 1).c_str()));
  preview->window()->End();
}

// A direct listing on the printer runs under the progress dialog "Imprimiendo ...", which shows
// the page being made; cancelled there, it prints fewer pages, closes its work table, and the
// next run prints them all.
TEST_F(ReportPrintTest, ADirectListingCancelsFromItsProgressDialog) {
  constexpr int kPages = 40;
  const std::string table = folder_ / "Listado.dbf";
  ASSERT_TRUE(X("DBCREATE('" + table +
                "', {{'TEXTO', 'C', 100, 0}, {'FILA', 'N', 3, 0}, {'COLUMNA', 'N', 3, 0}, {'TFUENTE', 'N', 1, 0}, "
                "{'SUBRAYADO', 'L', 1, 0}, {'ALINEACION', 'C', 1, 0}, {'STARTGRP', 'L', 1, 0}, {'GRUPO', 'N', 3, 0}}, 'ADS')")
                  .AsLogical());
  ASSERT_TRUE(data::lNetUse(table, {.exclusive = true, .alias = "LISTADO"}));
  {
    xb::rdd::WorkArea& a = *xb::rdd::WorkAreas::Get().Area(xb::rdd::WorkAreas::Get().AreaOfAlias("LISTADO"));
    for (int page = 1; page <= kPages; ++page) {
      for (int line = 0; line <= (page < kPages ? 30 : 29); ++line) {
        ASSERT_TRUE(a.Append());
        a.PutField(a.FieldPos("TEXTO"), Value::String(line == 30 ? "EJECT" : "Línea " + std::to_string(line)));
        a.PutField(a.FieldPos("FILA"), Value::Integer(1));
        a.PutField(a.FieldPos("COLUMNA"), Value::Integer(4));
      }
    }
    a.Close();
  }
  Add("Informes", "INFORME := 'DIR', TITULO := 'Listado directo', DESCRIPC := 'Directo', DIRECTO := .T.");
  Add("Inicial", "INFORME := 'DIR', ORDEN := 1, FUNCION := 'TEST_LISTADO( nEntorno )', INFDOC := 'I'");
  xb::RegisterFunction("TEST_LISTADO", [table](xb::Args&) {
    EXPECT_TRUE(data::lNetUse(table, {.exclusive = true, .alias = "LISTADO"}));
    xb::Array r = xb::Array::New();
    r.Append(Value::Integer(0));
    r.Append(Value::String("LISTADO"));
    return Value(r);
  });
  auto page_of = [](const vdr::test::SeenDialog& d) { return d.texts.size() > 2 ? std::atoi(d.texts[2].c_str()) : 0; };
  {
    vdr::test::PrinterOutput out("direct_list_cancel");
    // Cancelled once the dialog shows the second page.
    vdr::test::DialogAnswerer cancel([&](const vdr::test::SeenDialog& d) {
      return d.title == "Imprimiendo ..." && page_of(d) >= 2 ? d.ButtonId("Cancelar") : 0;
    });
    TInforme inf;
    inf.oStDestino.nDestino = 1;
    inf.oStDestino.lPreview = false;
    EXPECT_FALSE(inf.RunGenInforme("DIR")) << "a cancelled listing";
    ASSERT_EQ(cancel.seen().size(), 1u);
    const vdr::test::SeenDialog& seen = cancel.seen()[0];
    EXPECT_EQ(seen.title, "Imprimiendo ...");
    EXPECT_NE(seen.AllText().find("Imprimiendo el informe..."), std::string::npos) << seen.AllText();
    EXPECT_GE(page_of(seen), 2);
    EXPECT_NE(seen.ButtonId("Cancelar"), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(seen.hwnd, IDCANCEL)) || !IsWindow(seen.hwnd));
    EXPECT_GE(out.Pages(), page_of(seen));
    EXPECT_LT(out.Pages(), kPages);
    EXPECT_EQ(xb::rdd::WorkAreas::Get().AreaOfAlias("LISTADO"), 0) << "the work table is closed";
    EXPECT_FALSE(TInforme::lRunning);
  }
  // On the preview the dialog is "PREVIEW_PROC"; cancelled, the pages made so far show.
  {
    vdr::test::DialogAnswerer cancel([&](const vdr::test::SeenDialog& d) {
      return d.title == "Imprimiendo ..." && page_of(d) >= 2 ? d.ButtonId("Cancelar") : 0;
    });
    g_listing_preview_pages = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, &CloseListingPreview);
    TInforme inf;
    inf.oStDestino.nDestino = 1;
    inf.oStDestino.lPreview = true;
    EXPECT_FALSE(inf.RunGenInforme("DIR"));
    KillTimer(nullptr, timer);
    ASSERT_EQ(cancel.seen().size(), 1u);
    EXPECT_NE(cancel.seen()[0].AllText().find("Preparando las páginas..."), std::string::npos) << cancel.seen()[0].AllText();
    EXPECT_GE(g_listing_preview_pages, 2);
    EXPECT_LT(g_listing_preview_pages, kPages);
    EXPECT_FALSE(TInforme::lRunning);
  }
  // The next run starts and, left alone, prints every page under its dialog.
  vdr::test::PrinterOutput out("direct_list_whole");
  vdr::test::DialogAnswerer watch([](const vdr::test::SeenDialog&) { return 0; });
  TInforme inf;
  inf.oStDestino.nDestino = 1;
  inf.oStDestino.lPreview = false;
  EXPECT_TRUE(inf.RunGenInforme("DIR"));
  EXPECT_EQ(inf.nPage, kPages);
  EXPECT_EQ(out.Pages(), kPages);
  ASSERT_FALSE(watch.seen().empty());
  EXPECT_EQ(watch.seen()[0].title, "Imprimiendo ...");
  EXPECT_NE(out.Text().find("Línea 29"), std::string::npos);
  EXPECT_EQ(xb::rdd::WorkAreas::Get().AreaOfAlias("LISTADO"), 0);
}

}  // namespace
}  // namespace reports
