// The progress dialog organising a demo tree as the user drives it: options, start, the
// messages of a missing table, closing refused while it runs, the companies freed at the end;
// every table packed and indexed as the catalogue says, and the recomputed fields of a
// hand-checked company. Also the error list.
#include "app/program/progress_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/org/error_table.h"
#include "app/org/org_environment.h"
#include "app/org/org_test_support.h"
#include "app/org/organisation_state.h"
#include "app/program/company_search.h"
#include "app/program/company_window.h"
#include "app/program/error_list.h"
#include "app/program/organisation_functions.h"
#include "app/tools/demo_data.h"
#include "data/currency_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "output/printer_table.h"
#include "services/table_helpers.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "tests/support/window_text.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "runtime/memvar.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tget.h"
#include "ui/controls/tsay.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tfont.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace app {
namespace {

using testing::D;
using testing::L;
using testing::N;
using testing::Rec;
using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;

constexpr const char* kProgressTitle = "Organización de ficheros";

void Shot(HWND hwnd, const std::string& name) {
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
}

// Near the right end of a meter given in dialog units, where only a full meter is filled.
COLORREF MeterPixel(HWND dialog, RECT units) {
  MapDialogRect(dialog, &units);
  HDC dc = GetDC(dialog);
  const COLORREF colour = GetPixel(dc, units.left + units.right - 3, units.top + units.bottom / 2);
  ReleaseDC(dialog, dc);
  return colour;
}

std::vector<int> CheckMarks(HWND dialog) {
  std::vector<int> marks;
  for (int id = 301; id <= 305; ++id) marks.push_back(static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0)));
  return marks;
}

class ProgressDialogTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ui::InitControls();
    ASSERT_NE(ui::SetResources("VDRE.DLL"), nullptr);
    xb::rdd::InitTables();
    xb::rdd::ResetTables();
    InitOrganisationEnvironment();
    data::RegisterProgramSettings();
    data::ResetProgramSettings();
    RegisterOrganisationWindowFunctions();
    data::InstallWindowedDataUi();

    demo.records = 300;
    demo.small_records = 100;
    std::string error;
    ASSERT_TRUE(WriteDemoTree(tree.path(), demo, nullptr, &error)) << error;
    data::cPathStart(tree.path() + "DBF\\");
    data::dSetDate(demo.today);
    WriteHandCheckedCompany(Folder("01"));
    data::NetUseOptions exclusive;
    exclusive.exclusive = true;
    exclusive.alias = "Empresa";
    ASSERT_TRUE(data::lNetUse(data::cPathStart() + "Empresa", exclusive));
    ASSERT_TRUE(CreateErrorTable(tree.path() + "TMP\\"));
    ASSERT_TRUE(OpenErrorTable(tree.path() + "TMP\\"));
    ResetSelection(4);
  }
  void TearDown() override {
    xb::rdd::ResetTables();
    data::SetDataUi(nullptr);
    SetParameterMode(false);
    data::ResetProgramSettings();
    data::ResetCurrentCompany();
    ui::FreeResources();
    FrameworkTest::TearDown();
  }

  std::string Folder(std::string_view code) const { return tree.path() + "DBF" + std::string(code) + "\\"; }

  // The stock, risk and statistics of company 01, each line saying what it adds. Documents
  // run in 2026; the working date is 01-12-2026.
  static void WriteHandCheckedCompany(const std::string& f) {
    testing::WriteTable(f, "Articulo",
                        {{{"CREF", S("A1")}, {"NPENDREC", N(555)}, {"NSALACU", N(555)}},
                         {{"CREF", S("A2")}},
                         {{"CREF", S("K1")}, {"LKIT", L(true)}},
                         {{"CREF", S("ANT")}, {"LANTICIPO", L(true)}}});
    testing::WriteTable(f, "Kits",
                        {{{"CREF", S("K1")}, {"CREFCOMP", S("A1")}, {"NCANTIDAD", N(2)}},
                         {{"CREF", S("K1")}, {"CREFCOMP", S("A2")}, {"NCANTIDAD", N(3)}}});
    testing::WriteTable(f, "Clientes", {{{"CCODCLI", S("000001")}, {"NRIESGOALC", N(9)}}, {{"CCODCLI", S("000002")}}});
    testing::WriteTable(f, "Agentes", {{{"CCODAGE", S("01")}}});
    testing::WriteTable(f, "Proveedo", {{{"CCODPRO", S("000001")}}});
    testing::WriteTable(f, "Graph", {{{"CLAVE1", S("CG")}, {"CCOD", S("000009")}, {"VALOR1", N(5)}}});
    testing::WriteTable(f, "Ivas", {{{"CTIPOIVA", S("1")}, {"NPORCIVA", N(21)}, {"NPORCREQ", N(5.2)}}});
    testing::WriteTable(f, "PedProL", {{{"CREF", S("A1")}, {"NCANPED", N(10)}, {"NCANENT", N(4)}}});  // A1 pending 6
    testing::WriteTable(f, "PedCliL",
                        {{{"CREF", S("K1")}, {"NCANPED", N(4)}, {"NCANENT", N(1)}},  // 3 kits: A1 6, A2 9
                         {{"CREF", S("A1")}, {"NCANPED", N(8)}, {"*", L(true)}}});  // deleted: packed away
    testing::WriteTable(f, "AlbProT",
                        {{{"NNUMALB", N(1)}, {"CCODPRO", S("000001")}, {"DFECALB", D(2026, 2, 2)}, {"CCODDIV", S("EUR")},
                          {"NVALEURO", N(1)}}});
    testing::WriteTable(f, "AlbProL",  // A2 in 2; the supplier 27 in February
                        {{{"NNUMALB", N(1)}, {"CREF", S("A2")}, {"NCANENT", N(2)}, {"NPREDIV", N(15)}, {"NDTO", N(10)}}});
    testing::WriteTable(f, "CabProd", {{{"CREF", S("A2")}, {"LCERRADA", L(true)}, {"NCANTIDAD", N(10)}}});  // A2 in 10
    testing::WriteTable(f, "FacProT",
                        {{{"NNUMFAC", N(1)}, {"CSERIE", S("A")}, {"CCODPRO", S("000001")}, {"DFECFAC", D(2026, 2, 20)},
                          {"NTIPOFAC", N(1)}, {"CCODDIV", S("EUR")}, {"NVALEURO", N(1)}}});
    testing::WriteTable(f, "FacProL",  // A1 in 3; the supplier 30 more in February
                        {{{"NNUMFAC", N(1)}, {"CSERIE", S("A")}, {"CREF", S("A1")}, {"NCANENT", N(3)}, {"NPREUNIT", N(10)}}});
    testing::WriteTable(f, "AlbCliT",  // not invoiced: 2 x 10 less 10 %, plus 5 of carriage: risk 23
                        {{{"NNUMALB", N(1)}, {"CCODCLI", S("000001")}, {"CCODDIV", S("EUR")}, {"NVALEURO", N(1)},
                          {"NDTOESP", N(10)}, {"NPORTES", N(5)}}});
    testing::WriteTable(f, "AlbCliL", {{{"NNUMALB", N(1)}, {"CREF", S("A1")}, {"NCANENT", N(2)}, {"NPREUNIT", N(10)}}});
    auto invoice = [](std::string_view serie, std::string_view client, xb::Value date, Rec more) {
      Rec r = {{"CSERIE", S(serie)}, {"NNUMFAC", N(1)},      {"CCODCLI", S(client)}, {"DFECFAC", date},
               {"NTIPOFAC", N(1)},   {"CCODDIV", S("EUR")}, {"NVALEURO", N(1)},     {"NTIPOIVA", N(1)}};
      r.insert(r.end(), more.begin(), more.end());
      return r;
    };
    testing::WriteTable(f, "FacCliT",
                        {invoice("A", "000001", D(2026, 3, 10), {{"CCODAGE", S("01")}}),  // 121 in March
                         invoice("C", "000002", D(2026, 4, 5), {})});                       // -12.10 in April
    testing::WriteTable(f, "FacCliL",
                        {{{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CREF", S("A1")}, {"NCANENT", N(2)}, {"NPREUNIT", N(50)},
                          {"NIVA", N(21)}},  // A1 out 2
                         {{"CSERIE", S("C")}, {"NNUMFAC", N(1)}, {"CREF", S("K1")}, {"NCANENT", N(1)}, {"NPREUNIT", N(10)},
                          {"NIVA", N(21)}}});  // a credit kit: A1 back 2, A2 back 3
    testing::WriteTable(f, "HTicketL", {{{"CREF", S("A2")}, {"NCANT", N(4)}}});  // A2 out 4
    testing::WriteTable(f, "Recibos",
                        {{{"CSERIE", S("A")}, {"CCODCLI", S("000001")}, {"NIMPORTE", N(100)}, {"NESTADO", N(1)},
                          {"CCODDIV", S("EUR")}},  // risk 100
                         {{"CSERIE", S("C")}, {"CCODCLI", S("000001")}, {"NIMPORTE", N(10)}, {"NESTADO", N(1)},
                          {"CCODDIV", S("EUR")}},  // a credit: risk -10
                         {{"CSERIE", S("A")}, {"CCODCLI", S("000002")}, {"NIMPORTE", N(70)}, {"NESTADO", N(2)},
                          {"CCODDIV", S("EUR")}},  // paid
                         {{"CSERIE", S("A")}, {"CCODCLI", S("000002")}, {"NIMPORTE", N(40)}, {"NESTADO", N(3)},
                          {"CCODDIV", S("EUR")}}});  // overdue 40
  }

  xb::rdd::WorkArea& Empresa() { return *areas().Area(areas().AreaOfAlias("Empresa")); }
  xb::rdd::WorkAreas& areas() { return xb::rdd::WorkAreas::Get(); }
  bool Blocked(std::uint32_t record) {
    Empresa().GoTo(record);
    return Empresa().GetField(Empresa().FieldPos("LACTIVA")).AsLogical();
  }
  std::vector<std::string> Tags(const std::string& folder, std::string_view table) {
    std::vector<std::string> out;
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return {"(no abre)"};
    for (int i = 1; i <= t.area().OrderCount(); ++i)
      out.push_back(t.area().OrderAt(i)->Info().name + "=" + t.area().OrderAt(i)->Info().key);
    return out;
  }
  static std::vector<std::string> CatalogueTags(std::string_view table) {
    std::vector<std::string> out;
    for (const CatalogueRow& row : RowsOfTable(table))
      if (!row.after_statistics) out.push_back(UpperText(row.tag) + "=" + std::string(row.key));
    return out;
  }
  std::uint32_t Deleted(const std::string& folder, std::string_view table) {
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return 0;
    std::uint32_t deleted = 0;
    for (std::uint32_t r = 1; r <= t.RecordCount(); ++r) {
      t.area().GoTo(r);
      deleted += t.area().Deleted();
    }
    return deleted;
  }
  std::vector<std::string> Numbers(const std::string& folder, std::string_view table,
                                   const std::vector<std::string>& fields) {
    std::vector<std::string> out;
    for (const Rec& rec : testing::LiveRecords(folder, table, fields)) {
      std::string line;
      for (const auto& [name, value] : rec) {
        char text[64];
        if (value.IsString()) std::snprintf(text, sizeof text, "%s", std::string(TrimRight(value.AsString())).c_str());
        else std::snprintf(text, sizeof text, "%.2f", value.AsDouble());
        line += (line.empty() ? "" : " ") + std::string(text);
      }
      out.push_back(line);
    }
    return out;
  }
  // Graph's rows as "CLAVE1 CCOD CLAVE2" and the months that hold something.
  std::vector<std::string> GraphRows(const std::string& folder) {
    std::vector<std::string> fields = {"CLAVE1", "CCOD", "CLAVE2"};
    for (int m = 1; m <= 12; ++m) {
      fields.push_back("VALOR" + std::to_string(m));
      fields.push_back("VALOR" + std::to_string(m) + "AA");
    }
    std::vector<std::string> out;
    for (const Rec& r : testing::LiveRecords(folder, "Graph", fields)) {
      std::string text;
      for (std::size_t i = 0; i < 3; ++i) text += (i ? "|" : "") + std::string(TrimRight(r[i].second.AsString()));
      for (std::size_t i = 3; i < r.size(); ++i) {
        if (r[i].second.AsDouble() == 0) continue;
        char value[64];
        std::snprintf(value, sizeof value, " %s=%.2f", r[i].first.c_str() + 5, r[i].second.AsDouble());
        text += value;
      }
      out.push_back(text);
    }
    return out;
  }

  testing::TempFolder tree;
  DemoOptions demo;
};

TEST_F(ProgressDialogTest, TheStartButtonOrganisesTheMarkedCompaniesAndFreesThem) {
  MarkCompany(1, true);
  MarkCompany(4, true);
  std::filesystem::remove(Folder("04") + "Rappels.dbf");

  std::vector<int> marks_at_open;
  std::vector<int> enabled_while_running;
  bool stayed_open = false;
  bool hourglass = false;
  std::string group_shown;
  COLORREF first_meter = 0, last_meter = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == kProgressTitle) {
      marks_at_open = CheckMarks(d.hwnd);
      SendDlgItemMessageA(d.hwnd, 305, BM_CLICK, 0, 0);  // the customer risk too
      Shot(d.hwnd, "indexbar_open");
      return 552;
    }
    if (d.title == "Atención") {  // the missing table, while company 04 is organised
      const HWND bar = ProgressDialog::Current()->dialog()->hWnd;
      for (int id : {301, 305, 552, 553}) enabled_while_running.push_back(IsWindowEnabled(GetDlgItem(bar, id)));
      SendMessageA(bar, WM_COMMAND, IDCANCEL, 0);     // Escape
      SendMessageA(bar, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
      stayed_open = IsWindow(bar) && IsWindowVisible(bar);
      SetCursor(LoadCursor(nullptr, IDC_ARROW));
      hourglass = SendMessageA(bar, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(bar, 101)),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE &&
                  GetCursor() == LoadCursor(nullptr, IDC_WAIT);
      group_shown = ItemText(bar, 91);
      UpdateWindow(GetDlgItem(bar, 101));
      first_meter = MeterPixel(bar, {8, 62, 34, 4});
      last_meter = MeterPixel(bar, {320, 72, 70, 4});
      Shot(bar, "indexbar_running");
      return d.ButtonId("Aceptar");
    }
    return 0;
  });
  IndexAll(nullptr);

  // What the user saw.
  EXPECT_EQ(marks_at_open, (std::vector<int>{1, 1, 1, 1, 0}));
  EXPECT_EQ(enabled_while_running, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_TRUE(stayed_open);
  EXPECT_TRUE(hourglass);
  EXPECT_EQ(group_shown, "RAPPELS");
  EXPECT_EQ(first_meter, GetSysColor(COLOR_HIGHLIGHT));  // filled as option 1 starts
  EXPECT_EQ(last_meter, GetSysColor(COLOR_BTNFACE));     // the risk's, not reached yet
  std::vector<std::string> messages;
  for (const SeenDialog& d : answerer.seen())
    if (d.title != kProgressTitle) messages.push_back(d.title + ": " + d.AllText());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("No se ha encontrado el fichero que se intentaba abrir :Rappels.dbf."), std::string::npos)
      << messages[0];
  EXPECT_EQ(ProgressDialog::Current(), nullptr);  // closed at the end

  // Both companies organised and freed; the failure of the second in the error table.
  EXPECT_TRUE(OrganisationDone());
  EXPECT_FALSE(Blocked(1));
  EXPECT_FALSE(Blocked(4));
  EXPECT_TRUE(Blocked(2));  // blocked before, not marked
  EXPECT_EQ(ErrorLines(), (std::vector<std::string>{
                              "Empresa 04: DBF04\\Rappels.dbf no existe",
                              "Empresa 04: No se han actualizado los acumulados: falta algún fichero",
                              "Empresa 04: No se ha actualizado el riesgo: falta algún fichero",
                          }));

  // Every table packed, every tag in creation order with its key.
  for (const CatalogueTable& t : CatalogueTables()) {
    const std::string folder = t.folder == CatalogueFolder::kStart ? data::cPathStart() : Folder("01");
    EXPECT_EQ(Tags(folder, t.table), CatalogueTags(t.table)) << t.table;
    EXPECT_EQ(Deleted(folder, t.table), 0u) << t.table;
  }
  EXPECT_EQ(Tags(Folder("04"), "Zonas"), CatalogueTags("Zonas"));
  EXPECT_EQ(Deleted(Folder("04"), "FacCliL"), 0u);

  // The hand-checked company: pending and accumulated quantities with the kit expanded,
  // customer risk, monthly statistics.
  EXPECT_EQ(Numbers(Folder("01"), "Articulo", {"CREF", "NPENDREC", "NPENDSER", "NENTACU", "NSALACU"}),
            (std::vector<std::string>{"A1 6.00 6.00 3.00 2.00", "A2 0.00 9.00 12.00 1.00", "K1 0.00 0.00 0.00 0.00",
                                      "ANT 0.00 0.00 0.00 0.00"}));
  EXPECT_EQ(Numbers(Folder("01"), "Clientes", {"CCODCLI", "NRIESGOALC", "NMOROSOS"}),
            (std::vector<std::string>{"000001 113.00 0.00", "000002 40.00 40.00"}));
  // Customers 121 in March and a credit of -12.10 in April, the agent's 121, the supplier's
  // 27 + 30 in February; the year's totals of customers and suppliers. The old row is gone.
  EXPECT_EQ(GraphRows(Folder("01")),
            (std::vector<std::string>{"CG|000001|FA 3=121.00", "CG|000002|FA 4=-12.10", "AG|01|FA 3=121.00",
                                      "PG|000001|FA 2=57.00", "AA|AAAAAA|AA 1=108.90", "BB|BBBBBB|BB 1=57.00"}));
}

// Started with a company code: the dialog starts by itself and closes at the end.
TEST_F(ProgressDialogTest, InParameterModeItStartsByItself) {
  SetParameterMode(true);
  MarkCompany(4, true);
  DialogAnswerer answerer([](const SeenDialog&) { return 0; });
  IndexAll(nullptr);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, kProgressTitle);
  EXPECT_TRUE(OrganisationDone());
  EXPECT_FALSE(Blocked(4));
  EXPECT_TRUE(ErrorLines().empty());
  EXPECT_EQ(Tags(Folder("04"), "FacCliT"), CatalogueTags("FacCliT"));
}

TEST_F(ProgressDialogTest, SalirClosesItWithoutOrganising) {
  MarkCompany(1, true);
  DialogAnswerer answerer(DialogAnswerer::Press("Salir"));
  IndexAll(nullptr);
  EXPECT_FALSE(OrganisationDone());
  EXPECT_FALSE(Blocked(1));
  EXPECT_EQ(Deleted(Folder("01"), "PedCliL"), 1u);
}

// INDEXDATA by name packs the table once for its consecutive tags, whatever its old index
// file holds; GENINDICES organises the current company with its settings.
TEST_F(ProgressDialogTest, TheFunctionsByName) {
  const std::string folder = Folder("03");
  {
    OrgTable zonas;
    TableFailure failure;
    ASSERT_TRUE(zonas.Open(folder, "Zonas", &failure));
    zonas.area().GoTo(1);
    ASSERT_TRUE(zonas.area().Delete());
  }
  {
    std::FILE* damaged = std::fopen((folder + "Zonas.cdx").c_str(), "wb");
    ASSERT_NE(damaged, nullptr);
    const std::string junk(1024, 'Z');
    std::fwrite(junk.data(), 1, junk.size(), damaged);
    std::fclose(damaged);
  }
  data::cPathDbf(folder);
  xb::EvalMacro("INDEXDATA('cCodZona', 'Zonas', 'cCodZona', 8)");
  xb::EvalMacro("INDEXDATA('cNomZona', 'Zonas', 'Upper( cNomZona )', 8)");
  xb::EvalMacro("INDEXDATA('cCodProv', 'Provinc', 'cCodProv', 9, , , '" + folder + "')");
  EXPECT_EQ(Tags(folder, "Zonas"), (std::vector<std::string>{"CCODZONA=cCodZona", "CNOMZONA=Upper( cNomZona )"}));
  EXPECT_EQ(Deleted(folder, "Zonas"), 0u);

  data::cPathDbf(Folder("01"));
  data::cCodEmpresa("01");
  data::CompanySettings settings;
  ReportingEvents quiet;
  ASSERT_TRUE(LoadCompanySettings(Folder("01"), &settings, quiet));
  data::CurrentCompany() = settings;
  xb::EvalMacro("GENINDICES()");  // closes what INDEXDATA held
  EXPECT_EQ(Tags(folder, "Provinc"), (std::vector<std::string>{"CCODPROV=cCodProv"}));
  EXPECT_EQ(Tags(Folder("01"), "Recibos"), CatalogueTags("Recibos"));
  EXPECT_EQ(Numbers(Folder("01"), "Articulo", {"CREF", "NPENDREC"}),
            (std::vector<std::string>{"A1 6.00", "A2 0.00", "K1 0.00", "ANT 0.00"}));
  EXPECT_TRUE(ErrorLines().empty());
}

// The company browse's columns are never narrower than their headers in its font: neither
// as the window builds it nor after a bigger font is chosen.
TEST_F(ProgressDialogTest, TheCompanyBrowseHeadersAreNotCut) {
  CompanyWindow window(CompanyPictures{}, "");
  ui::TWBrowse& browse = window.browse();
  ASSERT_NE(browse.hWnd, nullptr);
  auto cut_headers = [&browse] {
    std::vector<std::string> cut;
    HDC dc = GetDC(browse.hWnd);
    HGDIOBJ old = SelectObject(dc, browse.oFont ? static_cast<HGDIOBJ>(browse.oFont->hFont) : GetStockObject(DEFAULT_GUI_FONT));
    const xb::Array headers = browse.aHeaders.AsArray();
    const xb::Array sizes = browse.aColSizes.AsArray();
    for (std::size_t i = 0; i < headers.size(); ++i) {
      const std::string text(headers.Get(i).AsString());
      SIZE size = {};
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
      if (sizes.Get(i).AsInt() < size.cx + 4) cut.push_back(text);
    }
    SelectObject(dc, old);
    ReleaseDC(browse.hWnd, dc);
    return cut;
  };
  EXPECT_EQ(cut_headers(), std::vector<std::string>{});
  EXPECT_EQ(browse.aColSizes.AsArray().Get(2).AsInt(), 250);  // a wide one as it was

  ui::TFont::Spec big;
  big.face = "Arial";
  big.height = 40;
  browse.SetFont(ui::TFont::New(big));
  ASSERT_FALSE(cut_headers().empty());  // the font alone would cut them
  WidenColumnsToHeaders(browse);
  EXPECT_EQ(cut_headers(), std::vector<std::string>{});
  window.window().End();
}

// The company search's key handler and option change by name, with their own arguments, over
// an edit, a label and the company browse; the header lookup's forms of the same names still
// answer theirs.
TEST_F(ProgressDialogTest, TheCompanySearchByName) {
  using xb::Value;
  CompanyWindow window(CompanyPictures{}, "");
  RegisterCompanySearchFunctions();
  const ui::SetGet buffer = ui::SetGet::Of(Value::String(std::string(30, ' ')));
  auto edit = xb::MakeRef<ui::TGet>();
  edit->New({.row = 1, .col = 1, .set_get = buffer.block, .parent = ui::WindowRef(&window.window()), .width = 200,
             .picture = std::string(30, 'X'), .pixel = true});
  auto label = xb::MakeRef<ui::TSay>();
  label->New({.row = 1, .col = 210, .parent = ui::WindowRef(&window.window()), .pixel = true, .width = 80});
  xb::SetMemvar(xb::Intern("OGET"), edit->Self());
  xb::SetMemvar(xb::Intern("OSAY"), label->Self());
  xb::SetMemvar(xb::Intern("OBRW"), window.browse().Self());
  xb::rdd::WorkArea& companies = *xb::rdd::WorkAreas::Get().Area(xb::rdd::WorkAreas::Get().AreaOfAlias("EMPRESA"));
  auto code = [&companies] {
    return std::string(TrimRight(companies.GetField(companies.FieldPos("CODEMP")).AsString()));
  };
  // From 02 in code order and an empty edit: the keys typed one after another, what the last
  // one answers, and where the search is left.
  struct Case {
    int option;
    const char* keys;
    bool last_taken;
    const char* company;
    int order;
    const char* label;
    std::string edit;
  };
  const Case cases[] = {
      {1, "04", true, "04", 1, "CODIGO", "04"},
      {1, "fe", true, "03", 2, "NOMBRE", "fe" + std::string(28, ' ')},
      {1, "0x", false, "01", 1, "CODIGO", "0 "},
      {3, "ca", true, "04", 2, "NOMBRE", "ca" + std::string(28, ' ')},
      {3, "0", false, "02", 1, "CODIGO", "  "},  // the code's picture back
      {2, "p", false, "02", 1, "CODIGO", "  "},
  };
  const Value key_push = xb::EvalMacro(
      "{|k, o, n, r| r := LKEYPUSH(k, 0, oGet, oBrw, 2, 30, 'XX', Replicate('X', 30), oSay, o, 'Empresa', @n), {r, n}}");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    companies.SetControllingOrder(1);
    ASSERT_TRUE(xb::EvalMacro("Empresa->(DBSeek('02'))").AsLogical());
    edit->SetText(Value::String(std::string(30, ' ')));
    if (!edit->oGet->HasFocus()) edit->oGet->SetFocus();  // as while the user types in it
    edit->oGet->SetPos(1);
    label->SetText(Value::String(""));
    Value order = Value::Integer(1);
    bool taken = false;
    for (const char* k = c.keys; *k; ++k) {
      const xb::Array answer = key_push.AsBlock().Eval({Value::Integer(*k), Value::Integer(c.option), order}).AsArray();
      order = answer.Get(1);
      taken = TrimRight(edit->oGet->Buffer()) == std::string(c.keys, static_cast<std::size_t>(k - c.keys + 1));
      EXPECT_FALSE(answer.Get(0).AsLogical());  // a printable key is never inserted by the edit
    }
    EXPECT_EQ(taken, c.last_taken);
    EXPECT_EQ(code(), c.company);
    EXPECT_EQ(order.AsInt(), c.order);
    EXPECT_EQ(companies.controlling_order(), c.order);
    EXPECT_EQ(label->cCaption, c.label);
    EXPECT_EQ(edit->oGet->Buffer(), c.edit);
  }
  // Control keys pass to the edit.
  EXPECT_TRUE(xb::EvalMacro("LKEYPUSH(8, 0, oGet, oBrw, 2, 30, 'XX', Replicate('X', 30), oSay, 1, 'Empresa')").AsLogical());

  // The option change: by code, the edit emptied to the code's length; by name, to the name's.
  for (const auto& [option, order, text, length] :
       {std::tuple{2, 1, "CODIGO", 2}, std::tuple{3, 2, "NOMBRE", 30}, std::tuple{1, 2, "NOMBRE", 30}}) {
    SCOPED_TRACE(option);
    edit->SetText(Value::String("zz"));
    xb::SetMemvar(xb::Intern("NORDEN"), Value::Integer(0));
    EXPECT_TRUE(xb::EvalMacro("CHGGET(" + std::to_string(option) + ", oGet, oSay, oBrw, 'Empresa', 2, 30, @nOrden)").IsNil());
    EXPECT_EQ(xb::EvalMacro("nOrden").AsInt(), order);
    EXPECT_EQ(companies.controlling_order(), order);
    EXPECT_EQ(label->cCaption, text);
    EXPECT_EQ(edit->oGet->Buffer(), std::string(static_cast<std::size_t>(length), ' '));
  }
  // The header lookup's forms: a table name where the browse or the option goes.
  EXPECT_TRUE(xb::EvalMacro("CHGGET('Empresa', 1, oGet, oSay, oBrw)").AsLogical());
  EXPECT_EQ(label->cCaption, "Código");
  window.window().End();
}

// The window is made maximised and still hidden, its browse in the place it keeps once
// shown.
TEST_F(ProgressDialogTest, TheWindowIsBuiltInItsFinalPlace) {
  CompanyWindow window(CompanyPictures{}, "");
  const HWND main = window.window().hWnd;
  EXPECT_TRUE(IsZoomed(main));
  EXPECT_FALSE(IsWindowVisible(main));
  RECT client = {};
  GetClientRect(main, &client);
  const ui::Rect browse = ui::GetCoors(window.browse().hWnd);
  EXPECT_EQ(browse.right, client.right);
  EXPECT_EQ(browse.bottom, client.bottom - 24);  // above the message bar
  DestroyWindow(main);
}

// In parameter mode the buttons do nothing: they are disabled before the window shows.
TEST_F(ProgressDialogTest, InParameterModeTheButtonsAreDisabledFromTheStart) {
  for (const bool parameter_mode : {false, true}) {
    SCOPED_TRACE(parameter_mode ? "parameter mode" : "interactive");
    SetParameterMode(parameter_mode);
    CompanyWindow window(CompanyPictures{}, "");
    std::vector<bool> enabled;
    for (const ui::WindowRef& button : window.bar().aControls) enabled.push_back(IsWindowEnabled(button->hWnd));
    EXPECT_EQ(enabled, std::vector<bool>(8, !parameter_mode));
    DestroyWindow(window.window().hWnd);
  }
}

// The error list: its three texts over a browse of the error table; either button closes it.
TEST_F(ProgressDialogTest, TheErrorList) {
  ASSERT_TRUE(AddErrorLine("Empresa 01: DBF01\\Rappels.dbf no existe"));
  ASSERT_TRUE(AddErrorLine("Empresa 01: No se han actualizado los acumulados: falta algún fichero"));
  for (int button : {520, 540}) {
    SCOPED_TRACE(button);
    int rows = -1;
    std::string heading, width, first_row;  // first_row: where the list stands when it shows
    DialogAnswerer answerer([&](const SeenDialog& d) {
      auto* browse = dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, kErrorListBrowse)).get());
      if (!browse) return IDCANCEL;
      rows = browse->LogicLen();
      heading = ui::CValToChar(browse->aHeaders.AsArray().Get(0));
      width = ui::CValToChar(browse->aColSizes.AsArray().Get(0));
      first_row = std::string(TrimRight(ui::CValToChar(browse->bLine.AsBlock().Eval().AsArray().Get(0))));
      if (button == 520) Shot(d.hwnd, "descuadre");
      return button;
    });
    LDspOrg();
    ASSERT_EQ(answerer.seen().size(), 1u);
    const SeenDialog& seen = answerer.seen()[0];
    EXPECT_EQ(seen.title, " Errores de ficheros");
    const std::string texts = seen.AllText();
    for (const char* fixed : {"SE HAN PRODUCIDO ERRORES NO RECUPERABLES",
                              "CON ESTOS ERRORES NO PODRA OBTENER UNA INFORMACION FIABLE, EN LA TABLA INFERIOR PODRA "
                              "VER EL ORIGEN Y CAUSA DEL PROBLEMA",
                              "LA TABLA LE INFORMA SOBRE QUE NO SE ENCUENTRA O NO EXISTE Y EN QUE ZONA"})
      EXPECT_NE(texts.find(fixed), std::string::npos) << fixed;
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(heading, "Descripción del Error");
    EXPECT_EQ(width, "500");
    EXPECT_EQ(first_row, "Empresa 01: DBF01\\Rappels.dbf no existe");
  }
}

// The error list prints on the main printer of the user's printer table (button 505).
TEST_F(ProgressDialogTest, TheErrorListPrints) {
  ASSERT_TRUE(AddErrorLine("Empresa 01: DBF01\\Rappels.dbf no existe"));
  ASSERT_TRUE(AddErrorLine("Empresa 02: No se han actualizado los acumulados"));
  ASSERT_TRUE(output::CreaImprDbf());
  {
    svc::SelectedAreaScope keep;
    ASSERT_TRUE(svc::OpenTable(output::GesPrnTable(), "_P", true));
    svc::OpenedArea area(true);
    svc::Area().Append();
    svc::PutField("CNOMBRE", xb::Value::String(vdr::test::kTestPrinter));
    svc::PutField("CDRIVER", xb::Value::String("winspool"));
    svc::PutField("CPUERTO", xb::Value::String("LPT1:"));
    svc::PutField("NACTIVA", xb::Value::String("1"));
    svc::PutField("CFACENAME1", xb::Value::String("Arial"));
    svc::PutField("NHEIGHT1", xb::Value::Integer(-200));
    svc::PutField("NSALTOLMM", xb::Value::Number(4.2));
    svc::Area().Commit();
  }
  vdr::test::PrinterOutput out("error_list");
  DialogAnswerer answerer([&](const SeenDialog& d) {
    SendMessageA(GetDlgItem(d.hwnd, 505), BM_CLICK, 0, 0);
    return 520;
  });
  LDspOrg();
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(out.Pages(), 1);
  const std::string text = out.Text();
  for (const char* seen : {"Listado de Errores de Empresas", "Rappels.dbf no existe", "Empresa 02"})
    EXPECT_NE(text.find(seen), std::string::npos) << seen << " in\n" << text;
}

}  // namespace
}  // namespace app
