// A user report with a master table, a column two relations away, an expression column, a
// calculated column, a condition, an order, two groups and a designed header (a box, a rule
// and a picture) run to every output: a text file, the printer, HTML pages and the preview,
// with the wait dialog over the run, its cancel button and the euro question; and a report of
// another company with a header datum and a formula over text.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <map>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "output/document_headers.h"
#include "output/output.h"
#include "output/output_test_support.h"
#include "output/preview.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "reports/win/report_output_dialog.h"
#include "reports/win/report_page_device.h"
#include "reports/win/report_run_dialogs.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_support.h"
#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "services/user_session.h"
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
using testing::ReadFile;
using testing::Table;
using testing::X;
using xb::Value;

// A 48 x 32 picture: a blue field with a yellow band.
void WritePicture(const std::string& path) {
  const int w = 48, h = 32, stride = w * 3;
  std::string pixels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels += (y > 10 && y < 20) ? std::string("\x00\xff\xff", 3) : std::string("\xc0\x40\x00", 3);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride * h);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out << pixels;
}

// The wait dialog of the run, watched: its steps, its pages, a screenshot, a cancel.
struct Watch {
  std::vector<int> steps;
  std::vector<int> pages;
  long cancel_at_record = 0;  // 0: never
  int cancel_at_page = 0;
  bool shot = false;
  std::string button;  // the cancel button's text while the pages are made
  std::string shot_name;
  int pictures_changed = 0;  // steps whose pending picture became the done one
};

class WatchedProgress : public RunProgress {
 public:
  WatchedProgress(std::unique_ptr<RunProgress> real, Watch& watch) : real_(std::move(real)), watch_(watch) {}
  void Done(Step step) override {
    watch_.steps.push_back(step);
    // A step shows its pending picture until it ends, then the done one.
    HWND dialog = FindWindowA(nullptr, "Espere por favor...");
    const auto image = [dialog, step] { return SendDlgItemMessageA(dialog, 200 + step, STM_GETIMAGE, IMAGE_BITMAP, 0); };
    const LRESULT pending = image();
    real_->Done(step);
    if (pending != 0 && image() != 0 && image() != pending) ++watch_.pictures_changed;
  }
  void SetTotal(long total) override { real_->SetTotal(total); }
  void SetPos(long pos) override {
    real_->SetPos(pos);
    if (watch_.cancel_at_record > 0 && pos == watch_.cancel_at_record) Cancel();
  }
  void Page(int page) override {
    watch_.pages.push_back(page);
    real_->Page(page);
    if (!watch_.shot && !watch_.shot_name.empty()) {
      HWND dialog = FindWindowA(nullptr, "Espere por favor...");
      EXPECT_NE(dialog, nullptr);
      watch_.shot = vdr::test::SaveWindowBitmap(dialog, vdr::test::ScreenshotFolder() + "\\" + watch_.shot_name);
    }
    if (watch_.cancel_at_page > 0 && page == watch_.cancel_at_page) Cancel();
  }
  bool Cancelled() override { return real_->Cancelled(); }
  void Printing(bool screen) override {
    real_->Printing(screen);
    HWND dialog = FindWindowA(nullptr, "Espere por favor...");
    watch_.button = testing::ItemText(dialog, IDCANCEL);
  }

 private:
  // As the user does: a click on the dialog's button.
  static void Cancel() {
    HWND dialog = FindWindowA(nullptr, "Espere por favor...");
    ASSERT_NE(dialog, nullptr);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  }
  std::unique_ptr<RunProgress> real_;
  Watch& watch_;
};

class ReportEndToEndTest : public testing::ReportWindowTest<output::test::TempFolder> {
 protected:
  ReportEndToEndTest() : ReportWindowTest({.exe_folder = true}, "vdre2e") {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    svc::cCodUser("01");
    InstallRunDialogs();
    ReportRunHook hook = CurrentReportRunHook();
    hook.wait_dialog = [this] { return std::make_unique<WatchedProgress>(OpenRunProgress(), watch_); };
    SetReportRunHook(hook);
    Tables();
    Definition();
  }
  void Tables() {
    Table(folder_.path(), "Ventas",
          "{{'CODIGO', 'C', 6, 0}, {'ARTICULO', 'C', 4, 0}, {'IMPORTE', 'N', 10, 2}, {'UNIDADES', 'N', 5, 0}}",
          {"FIELDPUT(1, 'V1'), FIELDPUT(2, 'P1'), FIELDPUT(3, 10), FIELDPUT(4, 2)",
           "FIELDPUT(1, 'V2'), FIELDPUT(2, 'M1'), FIELDPUT(3, 5), FIELDPUT(4, 1)",
           "FIELDPUT(1, 'V3'), FIELDPUT(2, 'P2'), FIELDPUT(3, 2), FIELDPUT(4, 3)",
           "FIELDPUT(1, 'V4'), FIELDPUT(2, 'M1'), FIELDPUT(3, 1.5), FIELDPUT(4, 4)",
           "FIELDPUT(1, 'V5'), FIELDPUT(2, 'P1'), FIELDPUT(3, 0.5), FIELDPUT(4, 1)"});
    Table(folder_.path(), "Articulos", "{{'CODIGO', 'C', 4, 0}, {'FAMILIA', 'C', 3, 0}}",
          {"FIELDPUT(1, 'P1'), FIELDPUT(2, 'PAN')", "FIELDPUT(1, 'P2'), FIELDPUT(2, 'PAN')",
           "FIELDPUT(1, 'M1'), FIELDPUT(2, 'MAN')"},
          {.tag = true});
    Table(folder_.path(), "Familias", "{{'CODIGO', 'C', 3, 0}, {'NOMBRE', 'C', 10, 0}}",
          {"FIELDPUT(1, 'PAN'), FIELDPUT(2, 'Panadería')", "FIELDPUT(1, 'MAN'), FIELDPUT(2, 'Mantequera')"},
          {.tag = true});
    // The expression: the amount times the units, in its master's environment.
    Add("Expresio", "CODIGO := 'VALORVEN', DESCRIPC := 'Valor', TABLA := 'VENTAS', EXPRESION := 'TEST_VALOR'");
    xb::RegisterFunction("TEST_VALOR", [](xb::Args& a) {
      const std::string alias(a.Str(1));
      xb::Array r = xb::Array::New();
      r.Append(Value::Number(X(alias + "->IMPORTE").AsDouble() * X(alias + "->UNIDADES").AsDouble()));
      return Value(r);
    });
  }
  void Column(int id, const std::string& assignments) {
    Add("Columnas", "INFORME := 'E2E', IDCOL := " + std::to_string(id) + ", CAMPO := 'Colum" + std::to_string(id) +
                        "', LINEA := 1, IMPRIMIR := .T., INIGRUPO := .T., " + assignments);
  }
  void Definition() {
    Add("Informes",
        "INFORME := 'E2E', TABLAMAST := 'VENTAS', DESCRIPC := 'Ventas', TITULO := 'Ventas por familia', "
        "HASTA := 'Total general', DESGLOSE := .T., LINEASR := 1, INFMASTER := 'E2E', CABECERA := '001'");
    Column(1, "TIPOCOL := 2, TITULO := 'Familia', TIPO := 'C', DATOS := 'ARTICULO', CAMPOREL := 'NOMBRE', "
              "CODEXPR := 'FAMILIAS', ANCHO := 10, ANCHOMAX := 10, ALINEACION := 'I', PINICIAL := 1");
    Column(2, "TIPOCOL := 1, TITULO := 'Art.', TIPO := 'C', CAMPOREL := 'ARTICULO', ANCHO := 4, ANCHOMAX := 4, "
              "ALINEACION := 'I', PINICIAL := 12");
    Column(3, "TIPOCOL := 1, TITULO := 'Código', TIPO := 'C', CAMPOREL := 'CODIGO', ANCHO := 6, ANCHOMAX := 6, "
              "ALINEACION := 'I', PINICIAL := 17");
    Column(4, "TIPOCOL := 1, TITULO := 'Importe', TIPO := 'N', CAMPOREL := 'IMPORTE', ANCHO := 8, ANCHOMAX := 8, "
              "NUMDECIMAL := 2, DECIMAL := 2, ALINEACION := 'D', PINICIAL := 24, TOTAL := .T., MASCARA := '@E 99,999.99'");
    Column(5, "TIPOCOL := 3, TITULO := 'Valor', TIPO := 'N', CODEXPR := 'VALORVEN', DATOS := 'TEST_VALOR', "
              "PARAMETRO := 1, ANCHO := 8, ANCHOMAX := 8, NUMDECIMAL := 2, DECIMAL := 2, ALINEACION := 'D', "
              "PINICIAL := 33, TOTAL := .T., MASCARA := '@E 99,999.99'");
    Column(6, "TIPOCOL := 4, TITULO := 'Uds.', TIPO := 'N', DATOS := 'Colum5 / Colum4', ANCHO := 6, ANCHOMAX := 6, "
              "NUMDECIMAL := 2, DECIMAL := 2, ALINEACION := 'D', PINICIAL := 42, MASCARA := '@E 999.99'");
    int step = 0;
    for (auto [table, expression] : {std::pair{"ARTICULOS", "FAMILIA"}, std::pair{"FAMILIAS", "NOMBRE"}})
      Add("Recol", "INFORME := 'E2E', IDCOL := 1, ORDEN := " + std::to_string(++step) + ", TABBUSCAR := '" + table +
                       "', INDBUSCAR := 'CODIGO', EXPBUSCAR := '" + expression + "', INFDOC := 'I', IDCUERPO := 0");
    // Importe > 1, ordered by code, grouped by family and by article.
    Add("Condicio", "INFORME := 'E2E', TIPO := 'C', ORDEN := 'A', INFDOC := 'I', COLUMNA := 'Colum4', OPERADOR := 5, "
                    "VALOR := '1', FLDTIPO := 'N', ENLACE := 1");
    Add("Condicio", "INFORME := 'E2E', TIPO := 'A', ORDEN := 'A', INFDOC := 'I', COLUMNA := 'Colum3', CAMPO := 'Colum3', "
                    "FLDTIPO := 'C'");
    Add("Condicio", "INFORME := 'E2E', TIPO := 'B', ORDEN := 'A', INFDOC := 'I', CAMPO := 'Colum1', "
                    "TEXTOTIT := 'Familia:', TEXTOPIE := 'Total familia', IMPRIME := 'Colum1', VALOR := '1'");
    Add("Condicio", "INFORME := 'E2E', TIPO := 'B', ORDEN := 'B', INFDOC := 'I', CAMPO := 'Colum2', "
                    "TEXTOPIE := 'Total artículo'");
    // The header: the title, the page number, a box, a rule under it and a picture.
    picture_ = folder_.path() + "logo.bmp";
    WritePicture(picture_);
    Add("CabeH", "COD := '001', DESCRIP := 'Ventas', POSICION := 30, ACTIVO := .T.");
    Add("CabeD", "COD := '001', DATO := 8, LINEA := 6, COLUMNA := 8, ACTIVO := .T.");
    Add("CabeD", "COD := '001', DATO := 6, LINEA := 6, COLUMNA := 110, ACTIVO := .T.");
    Add("CabeD", "COD := '001', DATO := 2, LINEA := 2, COLUMNA := 4, LINEA2 := 20, COLUMNA2 := 150, GROSOR := 2, ACTIVO := .T.");
    Add("CabeD", "COD := '001', DATO := 2, LINEA := 24, COLUMNA := 4, LINEA2 := 24, COLUMNA2 := 150, GROSOR := 1, ACTIVO := .T.");
    Add("CabeD", "COD := '001', DATO := 3, TEXTO := '" + picture_ + "', LINEA := 4, COLUMNA := 124, LINEA2 := 14, "
                 "COLUMNA2 := 22, ACTIVO := .T.");  // 14 mm high, 22 wide
  }
  // The first row of a dictionary table whose field holds a value, changed.
  void Change(std::string_view table, const char* field, const Value& value, const std::map<std::string, Value>& to) {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    xb::rdd::WorkArea& a = *areas.Area(areas.AreaOfAlias(TDictQZ::AliasOf(table)));
    for (a.GoTop(); !a.eof(); a.Skip(1)) {
      const Value v = a.GetField(a.FieldPos(field));
      const bool same = v.IsNumber() ? value.IsNumber() && v.AsDouble() == value.AsDouble()
                                     : v.IsString() && value.IsString() && xb::AllTrim(v.AsString()) == value.AsString();
      if (!same) continue;
      ASSERT_TRUE(a.LockRecord(a.recno(), true));
      for (const auto& [name, put] : to) a.PutField(a.FieldPos(name), put);
      a.Commit();
      a.Unlock(a.recno());
      return;
    }
    FAIL() << table << " has no " << field;
  }

  std::string picture_;
  Watch watch_;
};

// The lines every output shows, in order.
const char* const kPieces[] = {"Ventas por familia", "Familia:", "Mantequera", "V2", "5,00", "V4", "1,50", "6,00",
                               "Total artículo", "Total familia", "Panadería", "V1", "20,00", "V3", "Total general",
                               "17,50", "37,00"};

TEST_F(ReportEndToEndTest, TheReportRunsToATextFileThePrinterHtmlAndThePreview) {
  // The text file.
  TInforme inf;
  const std::string file = folder_.path() + "informe.txt";
  inf.oStDestino = {.nDestino = 2, .cFileDst = file};
  watch_.shot_name = "report_run_wait.bmp";
  ASSERT_TRUE(inf.RunInforme("E2E"));
  EXPECT_TRUE(watch_.shot) << "the wait dialog showed";
  EXPECT_EQ(watch_.steps, (std::vector<int>{1, 2, 4, 3, 5}));
  EXPECT_EQ(watch_.pictures_changed, 5);
  EXPECT_EQ(watch_.pages, (std::vector<int>{1}));
  EXPECT_EQ(watch_.button, "&Previsualizar");
  EXPECT_TRUE(NoTemporaryTables());
  // On the text file the header's texts stand at their row LINEA and column COLUMNA.
  std::vector<std::string> lines = {
      "",
      "",
      "",
      "",
      "",
      "",
      "       Ventas por familia" + std::string(84, ' ') + "1",
      "Familia    Art. Código Importe  Valor    Uds.  ",
      "---------- ---- ------ -------- -------- ------",
      "Familia: Mantequera",
      "Mantequera M1   V2         5,00     5,00   1,00",
      "                V4         1,50     6,00   4,00",
      "---------- ---- ------ -------- -------- ------",
      "Total artículo             6,50    11,00",
      "---------- ---- ------ -------- -------- ------",
      "Total familia              6,50    11,00",
      "Familia: Panadería",
      "Panadería  P1   V1        10,00    20,00   2,00",
      "---------- ---- ------ -------- -------- ------",
      "Total artículo            10,00    20,00",
      "           P2   V3         2,00     6,00   3,00",
      "---------- ---- ------ -------- -------- ------",
      "Total artículo             2,00     6,00",
      "---------- ---- ------ -------- -------- ------",
      "Total familia             12,00    26,00",
      "---------- ---- ------ -------- -------- ------",
      "Total general             18,50    37,00"};
  std::string golden;
  for (std::size_t i = 0; i < 64; ++i) golden += (i < lines.size() ? lines[i] : "") + "\r\n";
  // Código, Panadería: cp1252 as stored.
  EXPECT_EQ(ReadFile(file), golden) << ReadFile(file);

  // The printer: its text read back.
  {
    vdr::test::PrinterOutput out("informe_e2e");
    inf.oStDestino = {.nDestino = 1, .lPreview = false};
    ASSERT_TRUE(inf.RunInforme("E2E"));
    EXPECT_EQ(out.Pages(), 1);
    const std::string text = out.Text();
    std::size_t at = 0;
    for (const char* piece : {"Ventas por familia", "Familia:", "Mantequera", "V2", "V4", "Total familia", "Panadería",
                              "V1", "V3", "Total general", "18,50", "37,00"}) {
      const std::size_t found = text.find(piece, at);
      EXPECT_NE(found, std::string::npos) << piece << " in:\n" << text;
      if (found != std::string::npos) at = found;
    }
  }
  EXPECT_TRUE(NoTemporaryTables());

  // HTML pages, in the folder the user names.
  {
    const testing::HtmlDestination html("informe_e2e");
    inf.oStDestino = {.nDestino = 3, .lPreview = true};
    ASSERT_TRUE(inf.RunInforme("E2E"));
    const std::string page = ReadFile(html.Folder() + "P0000001.HTM");
    ASSERT_FALSE(page.empty());
    for (const char* piece : {"Ventas&nbsp;por&nbsp;familia", "Mantequera", "Total&nbsp;familia", "Total&nbsp;general",
                              "37,00", "logo"}) {
      EXPECT_NE(page.find(piece), std::string::npos) << piece;
    }
  }
  EXPECT_TRUE(NoTemporaryTables());

  // The preview, as the user sees it.
  static bool seen = false;
  seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    output::Preview* preview = output::Preview::Open();
    if (preview == nullptr || seen) return;
    seen = true;
    EXPECT_EQ(preview->PageLabel(), "Página 1 / 1");
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(preview->window()->hWnd,
                                            vdr::test::ScreenshotFolder() + "\\report_run_end_to_end.bmp"));
    preview->window()->End();
  });
  inf.oStDestino = {.nDestino = 1, .lPreview = true};
  watch_.button.clear();
  EXPECT_TRUE(inf.RunInforme("E2E"));
  EXPECT_EQ(watch_.button, "&Cancelar");
  KillTimer(nullptr, timer);
  EXPECT_TRUE(seen);
  EXPECT_FALSE(TInforme::lRunning);
  EXPECT_TRUE(NoTemporaryTables());
}

// The rows of a preview page drawn in light grey (RGB 192, 192, 192), as {top, height} bands
// of a copy of the page a quarter of its size: the page's metafile played on white.
std::vector<std::pair<int, int>> GreyBands(const std::string& page, int width, int height) {
  std::vector<std::pair<int, int>> bands;
  const int w = width / 4, h = height / 4;
  HMETAFILE metafile = GetMetaFileA(page.c_str());
  if (metafile == nullptr || w <= 0 || h <= 0) return bands;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, w, h, WHITENESS);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, width, height, nullptr);
  SetViewportExtEx(dc, w, h, nullptr);
  PlayMetaFile(dc, metafile);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  int top = -1;
  for (int y = 0; y <= h; ++y) {
    int grey = 0;
    for (int x = 0; y < h && x < w; ++x) grey += (pixels[y * w + x] & 0xFFFFFF) == 0xC0C0C0 ? 1 : 0;
    if (grey > w / 20 && top < 0) top = y;
    if (grey <= w / 20 && top >= 0) {
      bands.emplace_back(top, y - top);
      top = -1;
    }
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  DeleteMetaFile(metafile);
  return bands;
}

// A report of company 02 over a table described from company 01's folder, with a designed
// header holding a header datum and a picture low on the page, a calculated column over an
// expression that gives text, and "&Sombreado" checked in the output dialog, run to the
// printer, HTML and the preview.
TEST_F(ReportEndToEndTest, ACompanyTwoReportWithItsHeaderDatumPictureAndTextFormulaRunsEverywhere) {
  // The cash table of each company; the dictionary describes it from company 01's folder.
  for (const auto& [company, rows] :
       {std::pair{"EMP01", std::vector<const char*>{"FIELDPUT(1, 'X1'), FIELDPUT(2, '9'), FIELDPUT(3, 99)"}},
        std::pair{"EMP02", std::vector<const char*>{"FIELDPUT(1, 'C1'), FIELDPUT(2, '2,50'), FIELDPUT(3, 4)",
                                                    "FIELDPUT(1, 'C2'), FIELDPUT(2, '3'), FIELDPUT(3, 10)",
                                                    "FIELDPUT(1, 'C3'), FIELDPUT(2, '1,5'), FIELDPUT(3, 2)"}}}) {
    const std::string dir = folder_.path() + company + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    ASSERT_TRUE(X("DBCREATE('" + dir + "Caja.dbf', {{'CODIGO', 'C', 4, 0}, {'CANTIDAD', 'C', 8, 0}, {'PRECIO', 'N', 8, 2}}, "
                  "'ADS')").AsLogical());
    ASSERT_TRUE(data::lNetUse(dir + "Caja.dbf", {.exclusive = true, .alias = "T"}));
    for (const char* row : rows) X(std::string("DBAPPEND(), ") + row);
    X("DBCLOSEAREA()");
  }
  Add("Tablas", "TABLA := 'CAJA', RUTA := '" + folder_.path() + "EMP01\\', FICHERO := 'Caja', EXACTA := .F.");
  data::cPathDbf(folder_.path() + "EMP02\\");  // the company the report runs in
  // The expression gives the quantity as its text.
  Add("Expresio", "CODIGO := 'CANTTXT', DESCRIPC := 'Cantidad', TABLA := 'CAJA', EXPRESION := 'TEST_CANTIDAD'");
  xb::RegisterFunction("TEST_CANTIDAD", [](xb::Args& a) {
    return Value(xb::Array::Of({X(std::string(a.Str(1)) + "->CANTIDAD")}));
  });
  Add("Informes", "INFORME := 'CAJA02', TABLAMAST := 'CAJA', DESCRIPC := 'Caja', TITULO := 'Caja de la empresa', "
                  "HASTA := 'Total caja', DESGLOSE := .T., LINEASR := 1, INFMASTER := 'CAJA02', CABECERA := '002'");
  const auto column = [](int id, const std::string& assignments) {
    Add("Columnas", "INFORME := 'CAJA02', IDCOL := " + std::to_string(id) + ", CAMPO := 'Colum" + std::to_string(id) +
                        "', LINEA := 1, IMPRIMIR := .T., INIGRUPO := .T., " + assignments);
  };
  column(1, "TIPOCOL := 1, TITULO := 'Código', TIPO := 'C', CAMPOREL := 'CODIGO', ANCHO := 6, ANCHOMAX := 4, "
            "ALINEACION := 'I', PINICIAL := 1");
  column(2, "TIPOCOL := 3, TITULO := 'Cantidad', TIPO := 'C', CODEXPR := 'CANTTXT', DATOS := 'TEST_CANTIDAD', "
            "PARAMETRO := 1, ANCHO := 8, ANCHOMAX := 8, ALINEACION := 'D', PINICIAL := 8");
  column(3, "TIPOCOL := 1, TITULO := 'Precio', TIPO := 'N', CAMPOREL := 'PRECIO', ANCHO := 8, ANCHOMAX := 8, "
            "NUMDECIMAL := 2, DECIMAL := 2, ALINEACION := 'D', PINICIAL := 17, MASCARA := '@E 99,999.99'");
  column(4, "TIPOCOL := 4, TITULO := 'Importe', TIPO := 'N', DATOS := 'Colum2 * Colum3', ANCHO := 9, ANCHOMAX := 9, "
            "NUMDECIMAL := 2, DECIMAL := 2, ALINEACION := 'D', PINICIAL := 26, TOTAL := .T., MASCARA := '@E 99,999.99'");
  // The header: the title, the header datum 7 and a picture 15 mm high at 250 mm from the top.
  output::SetDatoCabecera(7, "Delegación", "Sucursal Norte");
  const std::string picture = folder_.path() + "sello.bmp";
  WritePicture(picture);
  Add("CabeH", "COD := '002', DESCRIP := 'Caja', POSICION := 30, PFINAL := 10, ACTIVO := .T.");
  Add("CabeD", "COD := '002', DATO := 8, LINEA := 6, COLUMNA := 8, ACTIVO := .T.");
  Add("CabeD", "COD := '002', DATO := 11, TEXTO := '7', LINEA := 14, COLUMNA := 8, ACTIVO := .T.");
  Add("CabeD", "COD := '002', DATO := 3, TEXTO := '" + picture + "', LINEA := 250, COLUMNA := 150, LINEA2 := 15, "
               "COLUMNA2 := 25, ACTIVO := .T.");
  // The output dialog answered as the user does: the destination, the preview, "&Sombreado".
  ReportRunHook hook = CurrentReportRunHook();
  hook.sel_destino = [](StDestino& d, const std::string& code, const std::string& title) {
    return SelDestino(d, code, title);
  };
  SetReportRunHook(hook);
  const auto output_dialog = [](int destination, bool preview) {
    return [destination, preview](const vdr::test::SeenDialog& d) {
      if (d.title != " Impresión de informes") return 0;
      CheckRadioButton(d.hwnd, 110, 112, destination);
      CheckDlgButton(d.hwnd, 130, preview ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(d.hwnd, 131, BST_CHECKED);
      return IDOK;
    };
  };
  // Company 02's figures: 2,50 x 4, 3 x 10 and 1,5 x 2, 43 in all; none of company 01's.
  const std::vector<std::string> figures = {"Caja de la empresa", "Sucursal Norte", "C1", "2,50", "4,00", "10,00",
                                            "C2", "30,00", "C3", "1,5", "3,00", "Total caja", "43,00"};
  TInforme inf;
  {
    vdr::test::PrinterOutput out("informe_empresa_02");
    vdr::test::DialogAnswerer answer(output_dialog(110, false));
    ASSERT_TRUE(inf.RunInforme("CAJA02"));
    EXPECT_TRUE(inf.oStDestino.lShadow);
    EXPECT_EQ(out.Pages(), 1);
    const std::string text = out.Text();
    std::size_t at = 0;
    for (const std::string& piece : figures) {
      const std::size_t found = text.find(piece, at);
      EXPECT_NE(found, std::string::npos) << piece << " in:\n" << text;
      if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(text.find("X1"), std::string::npos) << "company 01's table is not read";
    const std::string ps = out.PostScript();
    EXPECT_NE(ps.find("image"), std::string::npos) << "the picture is drawn";
    // The first and third records' lines shaded, each of the four cells; the second's white.
    const std::vector<std::array<int, 4>> fills = testing::GreyFills(ps);
    ASSERT_EQ(fills.size(), 8u);
    const int first = fills[0][1], height = fills[0][3];
    EXPECT_GT(height, 0);
    for (std::size_t i = 0; i < fills.size(); ++i) {
      EXPECT_EQ(fills[i][1], i < 4 ? first : first + 2 * height) << i;
      EXPECT_EQ(fills[i][3], height) << i;
      if (i % 4 > 0) {
        EXPECT_GT(fills[i][0], fills[i - 1][0] + fills[i - 1][2]) << "cell " << i << " right of the one before";
      }
    }
  }
  {
    // Shading is the printer's: on HTML pages the check box gives nothing.
    const testing::HtmlDestination html("informe_empresa_02");
    vdr::test::DialogAnswerer answer(output_dialog(112, true));
    ASSERT_TRUE(inf.RunInforme("CAJA02"));
    EXPECT_EQ(inf.oStDestino.nDestino, 3);
    EXPECT_FALSE(inf.oStDestino.lShadow);
    const std::string page = ReadFile(html.Folder() + "P0000001.HTM");
    ASSERT_FALSE(page.empty());
    std::size_t at = 0;
    for (const char* piece : {"Caja&nbsp;de&nbsp;la&nbsp;empresa", "Sucursal&nbsp;Norte", "C1", "10,00", "C2", "30,00",
                              "C3", "3,00", "Total&nbsp;caja", "43,00"}) {
      const std::size_t found = page.find(piece, at);
      EXPECT_NE(found, std::string::npos) << piece;
      if (found != std::string::npos) at = found;
    }
    EXPECT_NE(page.find("sello"), std::string::npos);
    EXPECT_EQ(page.find("X1"), std::string::npos);
  }
  static std::vector<std::pair<int, int>> bands;
  static bool seen = false;
  bands.clear();
  seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    output::Preview* preview = output::Preview::Open();
    if (preview == nullptr || seen) return;
    seen = true;
    EXPECT_EQ(preview->PageLabel(), "Página 1 / 1");
    EXPECT_TRUE(preview->printer().lPrvModal);
    bands = GreyBands(preview->printer().aMeta.front(), preview->printer().nHorzRes(), preview->printer().nVertRes());
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(preview->window()->hWnd,
                                            vdr::test::ScreenshotFolder() + "\\report_run_company_02.bmp"));
    preview->window()->End();
  });
  {
    vdr::test::DialogAnswerer answer(output_dialog(110, true));
    EXPECT_TRUE(inf.RunInforme("CAJA02"));
  }
  KillTimer(nullptr, timer);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(inf.oStDestino.lShadow && inf.oStDestino.lPreview);
  // The preview's page shades the same lines: two bands of one line's height, a line apart.
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_NEAR(bands[1].second, bands[0].second, 1);
  EXPECT_NEAR(bands[1].first - bands[0].first, 2 * bands[0].second, 2);
  EXPECT_TRUE(NoTemporaryTables());
}

TEST_F(ReportEndToEndTest, TheWaitDialogsCancelEndsTheRunCleanlyAndTheNextOneRuns) {
  TInforme inf;
  const std::string file = folder_.path() + "cancelado.txt";
  inf.oStDestino = {.nDestino = 2, .cFileDst = file};
  // While the records are gathered, and while the pages are made.
  for (const auto& [record, page] : {std::pair{2L, 0}, std::pair{0L, 1}}) {
    watch_ = {};
    watch_.cancel_at_record = record;
    watch_.cancel_at_page = page;
    EXPECT_FALSE(inf.RunGenInforme("E2E"));
    EXPECT_FALSE(TInforme::lRunning);
    EXPECT_TRUE(NoTemporaryTables());
    EXPECT_EQ(FindWindowA(nullptr, "Espere por favor..."), nullptr) << "the wait dialog closed";
  }
  watch_ = {};
  EXPECT_TRUE(inf.RunGenInforme("E2E"));
  EXPECT_NE(ReadFile(file).find("Total general"), std::string::npos);
}

TEST_F(ReportEndToEndTest, TheEuroQuestionGivesTheCurrencyOrStopsTheRun) {
  // Importe in pesetas; in euros the condition keeps what is above 0.
  Change("Columnas", "IDCOL", Value::Integer(4), {{"DIVISA", Value::String("P")}, {"MASCARA", Value::String("@E 999,999")}});
  Change("Condicio", "TIPO", Value::String("C"), {{"VALOR", Value::String("0")}});
  TInforme inf;
  const std::string file = folder_.path() + "euros.txt";
  inf.oStDestino = {.nDestino = 2, .cFileDst = file};
  for (const int button : {400, 401}) {
    vdr::test::DialogAnswerer answer([button](const vdr::test::SeenDialog& d) {
      if (d.title != " Moneda del informe") return 0;
      CheckDlgButton(d.hwnd, 100, BST_CHECKED);
      if (button == 400) {
        EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\report_run_euros.bmp"));
      }
      return button;
    });
    std::remove(file.c_str());
    EXPECT_EQ(inf.RunInforme("E2E"), button == 400);
    ASSERT_EQ(answer.seen().size() >= 1, true);
    EXPECT_EQ(answer.seen().front().title, " Moneda del informe");
    EXPECT_TRUE(NoTemporaryTables());
  }
  // 10 pesetas in euros: 0,06.
  vdr::test::DialogAnswerer answer([](const vdr::test::SeenDialog& d) {
    if (d.title != " Moneda del informe") return 0;
    CheckDlgButton(d.hwnd, 100, BST_CHECKED);
    return 400;
  });
  ASSERT_TRUE(inf.RunInforme("E2E"));
  EXPECT_NE(ReadFile(file).find("V1         0,06"), std::string::npos) << ReadFile(file);
  // By name: the answer goes on, the check box by reference.
  EXPECT_TRUE(X("lEur := .F., PIDEEUROS(@lEur)").AsLogical());
  EXPECT_TRUE(X("lEur").AsLogical());
}

}  // namespace
}  // namespace reports
