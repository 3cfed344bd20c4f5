// The report menu entries run as the program runs them: from the options of its menu table.
#include <gtest/gtest.h>
#include <windows.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "output/output.h"
#include "output/output_test_support.h"
#include "output/preview.h"
#include "reports/dictionary_tables.h"
#include "reports/report_columns.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "reports/win/column_dialogs.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_page_device.h"
#include "reports/win/report_run_dialogs.h"
#include "reports/win/report_window_functions.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "services/menu_table.h"
#include "services/services.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::Add;
using testing::ReadFile;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

// The pieces in this order in `text`.
void InOrder(const std::string& text, const std::vector<std::string>& pieces) {
  std::size_t at = 0;
  for (const std::string& piece : pieces) {
    const std::size_t found = text.find(piece, at);
    EXPECT_NE(found, std::string::npos) << piece << " after " << at << " in:\n" << text;
    if (found != std::string::npos) at = found + piece.size();
  }
}

class ReportMenuEntriesTest : public testing::ReportWindowTest<output::test::TempFolder> {
 protected:
  ReportMenuEntriesTest()
      : ReportWindowTest({.user = "05", .exe_folder = true, .window_functions = true}, "vdrmenuinf") {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    InstallRunDialogs();
    SetPrinterCheck([] { return true; });
    Dictionary();
  }
  void Dictionary() { testing::AddSalesDictionary(folder_.path()); }
};

// The report menu's options as the program builds them from its menu table: each action's
// text compiled, the option chosen.
TEST_F(ReportMenuEntriesTest, TheReportMenuEntriesRunFromTheirMenuActions) {
  // A report of the sales, and a direct report whose function lays out a work table.
  Add("Informes", "INFORME := 'FAMVEN', TABLAMAST := 'VENTAS', DESCRIPC := 'Ventas', TITULO := 'Ventas del menú', "
                  "DESGLOSE := .T., LINEASR := 1, INFMASTER := 'FAMVEN', ACCESO1 := '052'");
  ASSERT_EQ(AddColumnaCampo("FAMVEN", "VENTAS", "CODIGO"), 1);
  ASSERT_EQ(AddColumnaCampo("FAMVEN", "VENTAS", "IMPORTE"), 2);
  Add("Informes", "INFORME := 'DIR', TABLAMAST := 'VENTAS', DESCRIPC := 'Directo', DIRECTO := .T., LINEASR := 1, ACCESO1 := '052', "
                  "INFMASTER := 'DIR'");
  Add("Inicial", "INFORME := 'DIR', ORDEN := 1, FUNCION := 'TEST_DIRECTO( nEntorno )', INFDOC := 'I'");
  const std::string work = folder_.path() + "INF\\TEMP\\Directo.dbf";
  xb::CallFunction("DBCREATE", {Value::String(work), Value(StructureArray(*FindDictTable("MtrDirec"))), Value::String("ADS")});
  ASSERT_TRUE(data::lNetUse(work, {.exclusive = true, .alias = "T"}));
  for (const char* text : {"Primera", "EJECT", "Segunda"})
    X(std::string("DBAPPEND(), FIELDPUT(1, '") + text + "'), FIELDPUT(2, 1), FIELDPUT(3, 4)");
  X("DBCLOSEAREA()");
  int direct_calls = 0;
  xb::RegisterFunction("TEST_DIRECTO", [&](xb::Args&) {
    ++direct_calls;
    EXPECT_TRUE(data::lNetUse(work, {.alias = "DIRECTO"}));
    return Value(xb::Array::Of({Value::Integer(0), Value::String("DIRECTO")}));
  });

  std::vector<std::string> boxes;
  DialogAnswerer answerer([&](const SeenDialog& d) {
    boxes.push_back(d.title + "|" + d.AllText());
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  // The program's services, its user tables and its menu table.
  svc::RegisterServiceFunctions();
  xb::RegisterFunction("CCODUSER", [](xb::Args&) { return Value::String("05"); });
  svc::qzw_CreaUsuarios(true, false);
  const std::string menu = folder_.path() + "MenuVdrE.dbf";
  ASSERT_TRUE(X("DBCREATE('" + menu + "', {{'TIPOMENU', 'N', 1, 0}, {'NAME', 'C', 20, 0}, {'ITEM', 'C', 40, 0}, "
                "{'ACTION', 'C', 100, 0}, {'MSG', 'C', 80, 0}, {'DISK', 'C', 30, 0}, {'ACELERA1', 'N', 3, 0}, "
                "{'ACELERA2', 'N', 3, 0}, {'NHELP', 'N', 9, 0}, {'MARK', 'L', 1, 0}, {'CONTROL', 'L', 1, 0}}, 'ADS')")
                  .AsLogical());
  ASSERT_TRUE(data::lNetUse(menu, {.exclusive = true, .alias = "M"}));
  struct Option {
    int kind;
    const char *name, *item, *action;
  };
  for (const Option& o : {Option{0, "", "&Informes", ""},
                          Option{1, "Informes", "&Informes", "Informes( cPathInforme(), 'famven' )"},
                          Option{1, "InfGraficos", "&Gráficos", "InfGraficos( cPathInforme() )"},
                          Option{1, "InfDirecto", "Informe &directo", "InfDirecto( cPathInforme(), 'DIR' )"},
                          Option{3, "", "", ""}})
    X("DBAPPEND(), FIELDPUT(1, " + std::to_string(o.kind) + "), FIELDPUT(2, '" + o.name + "'), FIELDPUT(3, '" + o.item +
      "'), FIELDPUT(4, \"" + o.action + "\"), FIELDPUT(11, .F.)");
  X("DBCLOSEAREA()");
  // The entries open the dictionary themselves, as from the program's menu.
  dict_->End();

  const std::string file = folder_.path() + "menu.txt";
  int graphics = 0;
  ReportRunHook hook = CurrentReportRunHook();
  hook.sel_destino = [&](StDestino& d, const std::string& code, const std::string&) {
    d.nDestino = 2;
    d.cFileDst = file;
    std::remove(file.c_str());
    return !code.empty();
  };
  hook.show_graphics = [&] { ++graphics; };
  SetReportRunHook(hook);

  xb::Ref<ui::TMenu> bar = svc::oMenuInit({.table = "MenuVdrE"});
  ASSERT_TRUE(bar);
  ASSERT_EQ(bar->aItems.size(), 1u);
  ui::TMenu* options = bar->aItems[0]->SubMenu();
  ASSERT_NE(options, nullptr);
  ASSERT_EQ(options->aItems.size(), 3u);
  for (const auto& item : options->aItems) EXPECT_TRUE(item->lActive) << item->cPrompt;

  options->aItems[0]->Run();
  InOrder(ReadFile(file), {"Código", "Importe", "V1", "10,00", "V5", "0,50"});
  EXPECT_FALSE(TInforme::lRunning);
  options->aItems[1]->Run();
  EXPECT_EQ(graphics, 1);
  options->aItems[2]->Run();
  EXPECT_EQ(direct_calls, 1);
  const std::string direct = ReadFile(file);
  std::string pages;  // EJECT ends the first page
  for (const char* first : {"   Primera", "   Segunda"})
    for (int row = 0; row < 64; ++row) pages += (row == 0 ? first : "") + std::string("\r\n");
  EXPECT_EQ(direct, pages);
  EXPECT_EQ(xb::rdd::WorkAreas::Get().AreaOfAlias("DIRECTO"), 0) << "the work table is closed";
  EXPECT_TRUE(TDictQZ::AliasOf("Informes").empty()) << "the dictionary the entries opened is closed";
  for (const std::string& box : boxes) EXPECT_EQ(box.rfind(" Comprobando estructuras|", 0), 0u) << box;
  bar->End();
  ASSERT_TRUE(dict_->Activate("I", false));
}

}  // namespace
}  // namespace reports
