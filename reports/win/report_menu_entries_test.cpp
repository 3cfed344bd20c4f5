// The report menu entries run as the program runs them: from the options of its menu table.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

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
#include "reports/win/report_list.h"
#include "reports/win/tbrwdataqz.h"
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
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tmdiframe.h"
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

  struct Option {
    int kind;
    const char *name, *item, *action;
  };
  // The program's services, its user tables and its menu table of these options; the menu
  // built from it (one pull-down).
  xb::Ref<ui::TMenu> Menu(const std::vector<Option>& list) {
    svc::RegisterServiceFunctions();
    xb::RegisterFunction("CCODUSER", [](xb::Args&) { return Value::String("05"); });
    svc::qzw_CreaUsuarios(true, false);
    const std::string menu = folder_.path() + "MenuVdrE.dbf";
    EXPECT_TRUE(X("DBCREATE('" + menu + "', {{'TIPOMENU', 'N', 1, 0}, {'NAME', 'C', 20, 0}, {'ITEM', 'C', 40, 0}, "
                  "{'ACTION', 'C', 100, 0}, {'MSG', 'C', 80, 0}, {'DISK', 'C', 30, 0}, {'ACELERA1', 'N', 3, 0}, "
                  "{'ACELERA2', 'N', 3, 0}, {'NHELP', 'N', 9, 0}, {'MARK', 'L', 1, 0}, {'CONTROL', 'L', 1, 0}}, 'ADS')")
                    .AsLogical());
    EXPECT_TRUE(data::lNetUse(menu, {.exclusive = true, .alias = "M"}));
    for (const Option& o : list)
      X("DBAPPEND(), FIELDPUT(1, " + std::to_string(o.kind) + "), FIELDPUT(2, '" + o.name + "'), FIELDPUT(3, '" + o.item +
        "'), FIELDPUT(4, \"" + o.action + "\"), FIELDPUT(11, .F.)");
    X("DBCLOSEAREA()");
    return svc::oMenuInit({.table = "MenuVdrE"});
  }
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
  // The program's menu table.
  xb::Ref<ui::TMenu> bar = Menu({{0, "", "&Informes", ""},
                                 {1, "Informes", "&Informes", "Informes( cPathInforme(), 'famven' )"},
                                 {1, "InfGraficos", "&Gráficos", "InfGraficos( cPathInforme() )"},
                                 {1, "InfDirecto", "Informe &directo", "InfDirecto( cPathInforme(), 'DIR' )"},
                                 {3, "", "", ""}});
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
  hook.show_graphics = [&](const std::string&) { ++graphics; };
  SetReportRunHook(hook);

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

// INFORMES and INFGRAFICOS over the dictionary of the folder they are given: their menu
// options show as open while their windows are, and one open is not opened again.
TEST_F(ReportMenuEntriesTest, TheReportWindowsMarkTheirMenuOptionsWhileOpen) {
  // A second dictionary, in OTRO\, with a report and a graphic category of its own.
  dict_->End();
  const std::string other = data::cPathInforme() + "OTRO\\";
  CreateDirectoryA(other.c_str(), nullptr);
  auto second = xb::MakeRef<TDictQZ>();
  second->New(other);
  ASSERT_TRUE(second->Activate("I", false));
  Add("Categor", "CATEGORIA := 'OTR', DESCRIPC := 'De la otra carpeta', INFDOC := 'I'");
  Add("Informes", "INFORME := 'OTRO', CATEGORIA := 'OTR', DESCRIPC := 'Informe de la otra carpeta', ACCESO1 := '052'");
  Add("GrafCat", "CODIGO := 'G', DESCRIPC := 'Gráficos de la otra carpeta'");
  second->End();

  auto frame = xb::MakeRef<ui::TMdiFrame>();
  ui::TMdiFrame::NewParams p;
  p.caption = "Vdr";
  frame->New(p);
  xb::Ref<ui::TMenu> bar = Menu({{0, "", "&Informes", ""},
                                 {1, "Informes", "&Informes", "Informes( cPathInforme() + 'OTRO\\' )"},
                                 {1, "InfArbol", "&Arbol", "Informes( cPathInforme() + 'OTRO\\', , , , , .F. )"},
                                 {1, "InfGraficos", "&Gráficos", "InfGraficos( cPathInforme() + 'OTRO\\' )"},
                                 {3, "", "", ""}});
  ASSERT_TRUE(bar);
  ui::TMenu* options = bar->aItems[0]->SubMenu();
  ASSERT_NE(options, nullptr);
  ASSERT_EQ(options->aItems.size(), 3u);
  ui::TMenuItem& informes = *options->aItems[0];

  // The list: open, its option checked; chosen again, nothing more opens.
  informes.Run();
  TBrwDataQZ* list = ReportList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(informes.lChecked);
  EXPECT_EQ(TDictQZ::cPath(), other);
  EXPECT_EQ(X(TDictQZ::AliasOf("Informes") + "->(DBGOTOP(), AllTrim(INFORME))").AsString(), "OTRO");
  informes.Run();
  EXPECT_EQ(ReportList(), list);
  list->End();
  vdr::test::PumpPending();
  EXPECT_EQ(ReportList(), nullptr);
  EXPECT_FALSE(informes.lChecked);

  // The trees: their option checked while they show, the leaves of the other folder.
  std::vector<std::string> seen;
  DialogAnswerer answer([&](const SeenDialog& d) {
    HWND tree = GetDlgItem(d.hwnd, 100);
    if (tree == nullptr) return d.buttons.empty() ? 0 : d.buttons.front().id;
    std::string line = d.title + (informes.lChecked ? " Informes" : "") +
                       (options->aItems[2]->lChecked ? " InfGraficos" : "") + ":";
    char text[128];
    for (HTREEITEM item = TreeView_GetRoot(tree); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
      TVITEMA tv{};
      tv.mask = TVIF_TEXT;
      tv.hItem = item;
      tv.pszText = text;
      tv.cchTextMax = sizeof text;
      SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
      line += std::string(" ") + text;
    }
    seen.push_back(line);
    PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
    return 0;
  });
  options->aItems[1]->Run();
  options->aItems[2]->Run();
  EXPECT_EQ(seen, (std::vector<std::string>{"Informes Informes: De la otra carpeta",
                                            "Gráficos InfGraficos: Gráficos de la otra carpeta"}));
  EXPECT_FALSE(informes.lChecked);
  EXPECT_FALSE(options->aItems[2]->lChecked);
  bar->End();
  frame->End();
  vdr::test::PumpPending();
  ASSERT_TRUE(dict_->Activate("I", false));
}

}  // namespace
}  // namespace reports
