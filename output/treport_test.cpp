// The framework report over a table: text files compared with golden files (rules and grid,
// groups, totals, the summary, page breaks, Spanish letters), and reports on the test
// printer (a wide report turning to landscape, a cancelled run).
#include "output/treport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "output/browse_report.h"
#include "output/output.h"
#include "output/trfile.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

using vdr::test::PrinterOutput;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }
void Set(std::string_view name, Value v) { xb::SetMemvar(xb::Intern(name), std::move(v)); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The text of a page ghostscript read turned a quarter: each column, read upward, as a line.
std::string Turned(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t from = 0; from <= text.size();) {
    const std::size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  std::size_t width = 0;
  for (const std::string& line : lines) width = std::max(width, line.size());
  std::string turned;
  for (std::size_t column = 0; column < width; ++column) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) turned += column < line->size() ? (*line)[column] : ' ';
    turned += '\n';
  }
  return turned;
}

const unsigned char kGridTotals[] = {
#include "grid_totals.inc"
};
const unsigned char kGroups[] = {
#include "groups.inc"
};
const unsigned char kSummary[] = {
#include "summary.inc"
};
const unsigned char kPages[] = {
#include "pages.inc"
};
std::string Golden(const unsigned char* bytes, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(bytes), size);
}

class TReportTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ui::InitControls();
    InitOutput();
    xb::rdd::InitTables();
    code_page_ = xb::SetCodePage("ESWIN");
    xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp);
    MakeTable();
    ui::PrinterInit();
  }
  void TearDown() override {
    X("DBCLOSEAREA()");
    DeleteFileA((folder_ + "vdr_rpt_ventas.dbf").c_str());
    xb::rdd::ResetTables();
    xb::SetCodePage(code_page_);
    ui::PrinterInit();
    FrameworkTest::TearDown();
  }

  // VENTAS: 12 sales of three zones, in zone order.
  void MakeTable() {
    const std::string path = folder_ + "vdr_rpt_ventas";
    xb::CallFunction("DBCREATE", {Value::String(path), X("{{'ZONA','C',6,0},{'CLIENTE','C',18,0},"
                                                        "{'IMPORTE','N',9,2},{'UNIDADES','N',4,0}}")});
    ASSERT_TRUE(xb::CallFunction("DBUSEAREA", {Value::Logical(true), Value::String("DBFCDX"), Value::String(path),
                                               Value::String("VENTAS"), Value::Logical(false), Value::Logical(false)})
                    .AsLogical());
    struct Row {
      const char* zona;
      const char* cliente;
      double importe;
      int unidades;
    };
    const Row rows[] = {
        {"Norte", "Alimentación Pérez", 120.5, 3}, {"Norte", "Bodegas Ruiz", 80, 1},
        {"Norte", "Cafetería AÑO", 45.25, 2},      {"Norte", "Droguería año", 10, 1},
        {"Sur", "Estanco Gómez", 300, 10},         {"Sur", "Ferretería Sol", 15.75, 2},
        {"Sur", "Granja Luna", 99.99, 4},          {"Este", "Hostal Mar", 250, 5},
        {"Este", "Imprenta Río", 60, 2},           {"Este", "Joyería Oro", 1000, 1},
        {"Este", "Kiosco Plaza", 5.5, 3},          {"Este", "Librería Ñandú", 33.3, 6},
    };
    for (const Row& r : rows) {
      X("DBAPPEND()");
      xb::CallFunction("FIELDPUT", {Value::Integer(1), Value::String(r.zona)});
      xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::String(r.cliente)});
      xb::CallFunction("FIELDPUT", {Value::Integer(3), Value::Double(r.importe, 2)});
      xb::CallFunction("FIELDPUT", {Value::Integer(4), Value::Integer(r.unidades)});
    }
    X("DBGOTOP()");
  }

  std::string File(const std::string& name) const { return folder_ + "vdr_rpt_" + name + ".txt"; }

  // Runs the report definition text (RPTBEGIN .. RPTEND, then Activate) and answers the file.
  std::string Run(const std::string& name, const std::string& activate = "oRpt:Activate()") {
    Set("cFile", Value::String(File(name)));
    X(activate);
    return ReadFile(File(name));
  }

  // Compares with the golden file; a difference leaves the output among the screenshots.
  void ExpectGolden(const std::string& name, const std::string& actual, const std::string& golden) {
    if (actual != golden) {
      std::ofstream(vdr::test::ScreenshotFolder() + "\\" + name + ".txt", std::ios::binary) << actual;
    }
    EXPECT_EQ(actual, golden) << name << ": see " << name << ".txt among the screenshots";
    DeleteFileA(File(name).c_str());
  }

  std::string folder_;
  std::string code_page_;
};

// The three columns of the sales, defined with RPTADDCOLUMN's twelve arguments.
constexpr const char* kColumns =
    "RPTADDCOLUMN({{|| 'Zona'}}, 0, {{|| VENTAS->ZONA}}, 6, {''}, {|| 1}, .F., , 'LEFT', .F., .T.),"
    "RPTADDCOLUMN({{|| 'Cliente'}}, 0, {{|| VENTAS->CLIENTE}}, 18, {''}, {|| 1}, .F., , 'LEFT', .F., .T.),"
    "RPTADDCOLUMN({{|| 'Importe'}}, 0, {{|| VENTAS->IMPORTE}}, 10, {'@E 999,999.99'}, {|| 1}, .T., , , .F., .T.)";

TEST_F(TReportTest, ATextReportDrawsRulesGridAndTotals) {
  X(std::string("oRpt := RPTBEGIN({{|| 'Ventas por cliente'}}, {{|| 'Empresa de prueba'}}, {{|| 'Fin'}},"
                ", , .F., , , .F., .F., cFile := '") + File("grid") + "'), " + kColumns + ", RPTEND()");
  X("oRpt:cGrandTotal := 'Total'");
  ExpectGolden("grid", Run("grid"), Golden(kGridTotals, sizeof kGridTotals));
}

TEST_F(TReportTest, GroupsEndBeforeTheNextHeaderWithTheirSubtotals) {
  X(std::string("oRpt := RPTBEGIN({{|| 'Ventas por zona'}}, , , , , .F., , , .F., .F., cFile := '") + File("groups") +
    "'), " + kColumns +
    ", RPTADDGROUP({|| VENTAS->ZONA}, {|| 'Zona: ' + VENTAS->ZONA}, {|| 'Total zona'}, {|| 1}, .F.), RPTEND()");
  X("oRpt:cGrandTotal := 'Total general'");
  ExpectGolden("groups", Run("groups"), Golden(kGroups, sizeof kGroups));
}

TEST_F(TReportTest, ASummaryPrintsOnlyTheGroups) {
  X(std::string("oRpt := RPTBEGIN({{|| 'Resumen por zona'}}, , , , , .T., , , .F., .F., cFile := '") +
    File("summary") + "'), " + kColumns +
    ", RPTADDGROUP({|| VENTAS->ZONA}, {|| 'Zona ' + VENTAS->ZONA}, , {|| 1}, .F.), RPTEND()");
  ExpectGolden("summary", Run("summary"), Golden(kSummary, sizeof kSummary));
}

TEST_F(TReportTest, LongReportsBreakPagesWithPageTotals) {
  // Every sale six times over: 72 lines, two pages of 64 rows.
  X(std::string("oRpt := RPTBEGIN({{|| 'Ventas'}}, , {{|| 'Página ' + LTRIM(STR(oRpt:nPage))}}, , , .F., , , .F., "
                ".F., cFile := '") + File("pages") + "'), " + kColumns + ", RPTEND()");
  X("oRpt:cPageTotal := 'Suma y sigue'");
  X("oRpt:cGrandTotal := 'Total'");
  X("nVuelta := 1");
  X("oRpt:bSkip := {|n| IIF(RECNO() == LASTREC(), (nVuelta++, DBGOTOP()), DBSKIP(n))}");
  const std::string text = Run("pages", "oRpt:Activate(, {|| nVuelta <= 6})");
  ExpectGolden("pages", text, Golden(kPages, sizeof kPages));
}

TEST_F(TReportTest, SpanishLettersGoToTheOemCodePageAndRulesStayBoxCharacters) {
  X(std::string("oRpt := RPTBEGIN({{|| 'AÑO y año'}}, , , , , .F., , , .F., .F., cFile := '") + File("oem") + "'), " +
    kColumns + ", RPTEND()");
  const std::string text = Run("oem");
  char oem[] = "AÑO año Ñandú";
  CharToOemBuffA(oem, oem, sizeof oem - 1);
  EXPECT_EQ(std::string(oem).substr(0, 3), "A\xA5O");  // code page 850
  EXPECT_NE(text.find(std::string(oem, 3)), std::string::npos);
  EXPECT_NE(text.find("a\xA4o"), std::string::npos);
  EXPECT_NE(text.find("\xA5" "and\xA3"), std::string::npos);
  EXPECT_NE(text.find("\xD5\xCD\xCD"), std::string::npos);  // ╒══ of the rule over the titles
  EXPECT_EQ(text.find("AÑO"), std::string::npos);          // no ANSI letter left
  EXPECT_EQ(text.find("año"), std::string::npos);
  DeleteFileA(File("oem").c_str());
}

// Each data line adds its own value to its column's total and to the groups' subtotals; a
// total expression counts once a record, however many lines the record takes.
TEST_F(TReportTest, TotalsAddEveryDataLine) {
  X(std::string("oRpt := RPTBEGIN({{|| 'Totales'}}, , , , , .F., , , .F., .F., cFile := '") + File("lines") + "'),"
    " RPTADDCOLUMN({{|| 'Dos líneas'}}, 0, {{|| VENTAS->IMPORTE}, {|| VENTAS->UNIDADES}}, 10, {'@E 99,999.99', '9999'},"
    " {|| 1}, .T.),"
    " RPTADDCOLUMN({{|| 'Registros'}}, 0, {{|| VENTAS->IMPORTE}}, 6, {'9999'}, {|| 1}, .T., {|| 1}),"
    " RPTADDCOLUMN({{|| 'Cliente'}}, 0, {{|| VENTAS->CLIENTE}, {|| 'resto'}}, 18, {''}, {|| 1}, .T.),"
    " RPTADDGROUP({|| VENTAS->ZONA}, {|| VENTAS->ZONA}, , {|| 1}, .F.), RPTEND()");
  double sum_zone = 0;
  Set("bGrupo", Value(xb::Block::Native([&](xb::Args&) {
        const TReport& report = dynamic_cast<TReport&>(*X("oRpt").AsObject());
        if (sum_zone == 0) sum_zone = report.aGroups.front()->aTotal.front();
        return Value();
      })));
  const std::string text = Run("lines", "oRpt:Activate(, , , , , , , bGrupo)");
  EXPECT_DOUBLE_EQ(X("oRpt:aColumns[1]:nTotal").AsDouble(), 2020.29 + 40);
  EXPECT_DOUBLE_EQ(X("oRpt:aColumns[2]:nTotal").AsDouble(), 12);
  EXPECT_DOUBLE_EQ(X("oRpt:aColumns[3]:nTotal").AsDouble(), 0);  // texts add nothing
  // Norte's four sales: 255.75 and 7 units.
  EXPECT_DOUBLE_EQ(sum_zone, 255.75 + 7);
  EXPECT_NE(text.find("2.060,29"), std::string::npos) << text;
  DeleteFileA(File("lines").c_str());
}

// The text device answers the page device's messages in character cells; drawing other than
// text does nothing.
TEST_F(TReportTest, TheTextDeviceAnswersThePageDevicesMessages) {
  Set("oDev", X(std::string("TRFile():New('") + File("device") + "')"));
  X("oDev:StartPage()");
  for (const char* call : {"oDev:Line(1, 1, 5, 20)", "oDev:Box(1, 1, 5, 20)", "oDev:SayBitmap(1, 1, 'Printer', 4, 4)",
                           "oDev:FillRect({1, 1, 5, 20}, NIL)", "oDev:SayImage(1, 1, NIL)"})
    EXPECT_TRUE(X(call).IsNil()) << call;
  struct Row {
    const char* call;
    int row, col;
  };
  const Row rows[] = {{"oDev:Cmtr2Pix(5.08, 25.4)", 2, 10}, {"oDev:Inch2Pix(3, 40)", 3, 40}};
  for (const Row& r : rows) {
    const Value at = X(r.call);
    ASSERT_TRUE(at.IsArray()) << r.call;
    EXPECT_EQ(at.AsArray().Get(0).AsInt(), r.row) << r.call;
    EXPECT_EQ(at.AsArray().Get(1).AsInt(), r.col) << r.call;
  }
  EXPECT_EQ(X("oDev:nLogPixelY()").AsInt(), 1);
  X("oDev:Say(0, 0, 'solo el texto')");
  X("oDev:EndPage()");
  X("oDev:End()");
  const std::string text = ReadFile(File("device"));
  EXPECT_EQ(text.rfind("solo el texto\r\n", 0), 0u);
  DeleteFileA(File("device").c_str());
}

TEST_F(TReportTest, AReportWithoutColumnsPrintsNothing) {
  X(std::string("oRpt := RPTBEGIN({{|| 'Nada'}}, , , , , .F., , , .F., .F., cFile := '") + File("empty") +
    "'), RPTEND()");
  bool ran = false;
  Set("bFin", Value(xb::Block::Native([&](xb::Args&) {
        ran = true;
        return Value();
      })));
  EXPECT_EQ(Run("empty", "oRpt:Activate(, , , bFin)"), "");
  EXPECT_FALSE(ran);
  EXPECT_FALSE(X("oRpt:lCreated").AsLogical());
  DeleteFileA(File("empty").c_str());
}

TEST_F(TReportTest, MarginsInCentimetresKeepWholeInches) {
  X(std::string("oRpt := RPTBEGIN({{|| 'M'}}, , , , , .F., , , .F., .F., cFile := '") + File("margin") + "'), " +
    kColumns + ", RPTEND()");
  TReport& report = dynamic_cast<TReport&>(*X("oRpt").AsObject());
  report.nLogPixX = report.nLogPixY = 300;
  struct Row {
    double value;
    int which, unit;
    int TReport::*member;
    int expected;
  };
  const Row rows[] = {{2, 1, 2, &TReport::nLeftMargin, 0},   {5.08, 2, 2, &TReport::nRightMargin, 600},
                      {0.5, 4, 1, &TReport::nTopMargin, 150}, {1, 5, 1, &TReport::nDnMargin, 300}};
  for (const Row& r : rows) {
    report.lStable = true;
    report.Margin(r.value, r.which, r.unit);
    EXPECT_EQ(report.*r.member, r.expected) << r.value;
    EXPECT_FALSE(report.lStable);
  }
  report.End();
  DeleteFileA(File("margin").c_str());
}

TEST_F(TReportTest, AWideReportOnThePrinterTurnsToLandscape) {
  PrinterOutput out("rpt_wide");
  X("aFonts := {TFont():New('Courier New', 0, -14)}");
  X("nOrient := 0");
  X(std::string("oRpt := RPTBEGIN({{|| 'Informe ancho'}}, , , aFonts, , .F., , , .T., .F.), ") +
    "RPTADDCOLUMN({{|| 'Cliente'}}, 0, {{|| VENTAS->CLIENTE}}, 40), "
    "RPTADDCOLUMN({{|| 'Zona'}}, 0, {{|| VENTAS->ZONA}}, 40), RPTEND()");
  X("oRpt:Activate(, , , , {|o| nOrient := o:oDevice:GetOrientation()})");
  EXPECT_EQ(X("nOrient").AsInt(), 2);
  EXPECT_EQ(out.Comment("%%Orientation:"), "Landscape");
  // Ghostscript reads the turned page across: its lines are the page's columns, bottom up.
  std::string turned = Turned(out.Text());
  std::erase(turned, ' ');  // letters read apart
  EXPECT_NE(turned.find("KioscoPlaza"), std::string::npos) << turned;
  EXPECT_NE(turned.find("HostalMar"), std::string::npos) << turned;
  EXPECT_EQ(ui::PrnGetOrientation(), 1);  // the printer's own orientation comes back
}

TEST_F(TReportTest, CancellingStopsAtTheNextRecordWithoutTheEndBlock) {
  PrinterOutput out("rpt_cancel");
  bool end_ran = false;
  Set("bFin", Value(xb::Block::Native([&](xb::Args&) {
        end_ran = true;
        return Value();
      })));
  // After the fifth record the user presses Cancel.
  Set("bCambio", Value(xb::Block::Native([](xb::Args& a) {
        auto* report = dynamic_cast<TReport*>(a.Obj(1).get());
        if (report != nullptr && report->nCounter == 5) {
          auto* dialog = dynamic_cast<ui::TWindow*>(report->oRptWnd.get());
          if (dialog != nullptr) PostMessageA(dialog->hWnd, WM_COMMAND, IDCANCEL, 0);
        }
        return Value();
      })));
  X(std::string("oRpt := RPTBEGIN({{|| 'Cancelado'}}, , , , , .F., , , .T., .F.), ") + kColumns + ", RPTEND()");
  X("oRpt:Activate(, , , bFin, , , , , , , bCambio)");
  EXPECT_FALSE(end_ran);
  EXPECT_TRUE(X("oRpt:lBreak").AsLogical());
  EXPECT_EQ(out.Pages(), 1);
  const std::string text = out.Text();
  EXPECT_NE(text.find("Estanco"), std::string::npos) << text;     // the fifth
  EXPECT_EQ(text.find("Ferretería"), std::string::npos) << text;  // the sixth is not printed
}

TEST_F(TReportTest, ABrowsesRowsPrintWithTheirPageNumber) {
  PrinterOutput out("rpt_browse");
  PrintRows("Clientes", "Date: 01-02-2026, Time: 10:00:00", "Page: ", {"Código", "Importe"}, {8, 10},
            {{"00001", "125.50"}, {"00002", "7.25"}}, false);
  const std::string text = out.Text();
  EXPECT_EQ(out.Pages(), 1);
  EXPECT_NE(text.find("Clientes"), std::string::npos) << text;
  EXPECT_NE(text.find("125.50"), std::string::npos) << text;
  EXPECT_NE(text.find("Page:   1"), std::string::npos) << text;
}

// Every page of a text report ends with its footer and page number, a report shorter than
// its page, one that just fills it and one of several pages alike.
TEST_F(TReportTest, EveryPageOfATextReportEndsWithItsFooter) {
  for (const int n : {2, 57, 58, 59, 120}) {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= n; ++i) rows.push_back({"C" + std::to_string(i), std::to_string(i)});
    TReport::NewParams p;
    p.title = {X("{|| 'Clientes'}")};
    p.header = {X("{|| 'Fecha: 01-02-2026, Hora: 10:00:00'}")};
    p.file = File("footer");
    auto report = xb::MakeRef<TReport>();
    report->Init(p);
    RunRows(*report, "Página: ", {"Código", "Importe"}, {8, 10}, rows);
    const std::string text = ReadFile(File("footer"));
    std::vector<std::string> pages;
    for (std::size_t from = 0; from < text.size();) {
      const std::size_t end = text.find('\f', from);
      pages.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
      if (end == std::string::npos) break;
      from = end + 1;
    }
    if (!pages.empty() && pages.back().empty()) pages.pop_back();
    ASSERT_EQ(static_cast<int>(pages.size()), report->nPage) << n;
    for (std::size_t page = 0; page < pages.size(); ++page) {
      const std::string& all = pages[page];
      ASSERT_EQ(std::count(all.begin(), all.end(), '\n'), TRFile::kRows) << n << " rows, page " << page + 1;
      const std::size_t last = all.rfind('\n', all.size() - 2) + 1;
      char footer[32];
      std::snprintf(footer, sizeof footer, "Página: %3d", static_cast<int>(page) + 1);
      CharToOemBuffA(footer, footer, static_cast<DWORD>(std::strlen(footer)));
      EXPECT_NE(all.find(footer, last), std::string::npos) << n << " rows, page " << page + 1 << ":\n" << all;
    }
  }
  DeleteFileA(File("footer").c_str());
}

}  // namespace
}  // namespace output
