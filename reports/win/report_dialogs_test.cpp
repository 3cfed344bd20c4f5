// The report generator's dialogs as the user sees and answers them.
#include <gtest/gtest.h>
#include <windows.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "reports/report_functions.h"
#include "reports/report_test_support.h"
#include "reports/table_search.h"
#include "reports/win/choice_dialogs.h"
#include "reports/win/inspectors.h"
#include "reports/win/report_window_functions.h"
#include "reports/win/report_window_test_support.h"
#include "reports/win/wait_dialogs.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/object.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tdialog.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

// The browse of a dialog: moved down `rows` rows from the top.
void MoveDown(HWND dialog, int rows) {
  HWND browse = GetDlgItem(dialog, 110);
  SendMessageA(browse, WM_KEYDOWN, VK_HOME, 0);
  for (int i = 0; i < rows; ++i) SendMessageA(browse, WM_KEYDOWN, VK_DOWN, 0);
}

ui::TWBrowse* BrowseOf(HWND dialog, int id = 110) {
  return dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(dialog, id)).get());
}

class ReportDialogsTest : public testing::ReportWindowTest<> {
 protected:
  ReportDialogsTest() : ReportWindowTest({.window_functions = true, .outputs = false, .dictionary = false}) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    const std::string table = folder_ / "Articulo.dbf";
    ASSERT_TRUE(X("DBCREATE('" + table + "', {{'CODIGO', 'C', 2, 0}, {'GRUPO', 'C', 2, 0}, "
                  "{'DESCRIPC', 'C', 20, 0}, {'PRODUCTOS', 'C', 30, 0}}, 'ADS')").AsLogical());
    ASSERT_TRUE(data::lNetUse(table));
    struct Row {
      const char* code;
      const char* group;
      const char* description;
      const char* products;
    };
    for (const Row& r : {Row{"A1", "G1", "Zapatos", ""}, Row{"A2", "G1", "Botas", ".F."},
                         Row{"A3", "G1", "Alpargatas", ""}, Row{"A4", "G2", "Sandalias", ""},
                         Row{"A5", "G1", "Chanclas", "1 +"}}) {
      X("DBAPPEND()");
      X(std::string("FIELDPUT(1, '") + r.code + "'), FIELDPUT(2, '" + r.group + "'), FIELDPUT(3, '" +
        r.description + "'), FIELDPUT(4, '" + r.products + "')");
    }
    X("DBCOMMIT(), DBUNLOCK()");
  }
};

TEST_F(ReportDialogsTest, ACodeIsChosenByItsDescription) {
  std::vector<std::string> titles;
  int shown = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    titles.push_back(d.title);
    ui::TWBrowse* browse = BrowseOf(d.hwnd);
    shown = browse ? browse->nLen : -1;
    MoveDown(d.hwnd, 1);  // Alpargatas, Chanclas hidden, Zapatos: the second is Zapatos
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\db_choice.bmp");
    return 550;
  });
  EXPECT_EQ(X("TI_UDBLFINBIN('CODIGO', 'artículo', 'Articulo', 1, 'GRUPO', 'G1')").AsString(), "A1");
  EXPECT_EQ(titles, std::vector<std::string>{" Seleccione artículo"});
  EXPECT_EQ(shown, 2);  // Botas' products do not hold, Chanclas' do not compile
}

TEST_F(ReportDialogsTest, CancellingChoosesNothing) {
  DialogAnswerer cancel([](const SeenDialog& d) { return d.ButtonId("Cancelar"); });
  EXPECT_TRUE(X("TI_UDBLFINBIN('CODIGO', 'x', 'Articulo') == NIL").AsLogical());
  ASSERT_EQ(cancel.seen().size(), 1u);
  EXPECT_EQ(cancel.seen()[0].title, " Seleccione x");
}

TEST_F(ReportDialogsTest, AFunctionOfTheResultType) {
  // One answerer per dialog: two alive at once would both answer.
  {
    std::vector<std::string> titles;
    int shown = 0;
    DialogAnswerer answerer([&](const SeenDialog& d) -> int {
      titles.push_back(d.title);
      ui::TWBrowse* browse = BrowseOf(d.hwnd);
      shown = browse ? browse->nLen : -1;
      MoveDown(d.hwnd, 0);
      vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\function_choice.bmp");
      return 550;
    });
    EXPECT_EQ(X("TI_UFUNCION('F')").AsString(), "ctod()");  // ctod() and date() are offered
    ASSERT_EQ(titles, std::vector<std::string>{" Seleccione función"});
    EXPECT_EQ(shown, 2);
  }
  {
    DialogAnswerer second([&](const SeenDialog& d) -> int {
      ui::TWBrowse* browse = BrowseOf(d.hwnd);
      if (browse == nullptr || browse->nLen < 2) return 0;  // not filled yet
      MoveDown(d.hwnd, 1);
      return browse->nAt == 2 ? 550 : 0;
    });
    EXPECT_EQ(X("TI_UFUNCION('F')").AsString(), "date()");
  }
  DialogAnswerer cancel([](const SeenDialog& d) { return d.ButtonId("Cancelar"); });
  EXPECT_TRUE(X("TI_UFUNCION('N') == NIL").AsLogical());
}

TEST_F(ReportDialogsTest, WaitMessagesComeAndGo) {
  bool seen_while_running = false;
  X("lRan := .F.");
  TMsgRun("Calculando", "Informe", Value(xb::Block::Native([&](xb::Args&) {
            seen_while_running = FindWindowA(nullptr, "Informe") != nullptr;
            X("lRan := .T.");
            return Value();
          })));
  EXPECT_TRUE(seen_while_running);
  EXPECT_TRUE(X("lRan").AsLogical());
  EXPECT_EQ(FindWindowA(nullptr, "Informe"), nullptr);

  const Value box = X("TI_OPENDLGWAIT()");
  ASSERT_TRUE(box.IsObject());
  auto* dialog = dynamic_cast<ui::TDialog*>(box.AsObject().get());
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(dialog->hWnd, nullptr);
  HWND hwnd = dialog->hWnd;
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(vdr::test::ReadDialog(hwnd).AllText(), "Realizando proceso, espere por favor ...");
  EXPECT_TRUE(X("TI_OPENDLGWAIT()").AsObject().get() == dialog);  // one at a time
  X("TI_CLOSEDLGWAIT()");
  vdr::test::PumpUntil([hwnd] { return !IsWindow(hwnd); }, 2000);
  EXPECT_FALSE(IsWindow(hwnd));
  X("TI_CLOSEDLGWAIT()");  // none open: nothing
}

TEST_F(ReportDialogsTest, ThePlainBrowseShowsTheSelectedArea) {
  int records = 0;
  std::vector<std::string> buttons;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    for (const auto& b : d.buttons) buttons.push_back(b.text);
    HWND child = FindWindowExA(d.hwnd, nullptr, nullptr, nullptr);
    while (child != nullptr) {
      if (auto* b = dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(child).get())) records = b->nLen;
      child = FindWindowExA(d.hwnd, child, nullptr, nullptr);
    }
    return d.ButtonId("Salir");
  });
  X("TI_BROWSE('Artículos')");
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, "Artículos");
  EXPECT_EQ(buttons, (std::vector<std::string>{"&Imprimir", "&Salir"}));
  EXPECT_EQ(records, 5);
}

// An object whose data the inspector lists; one of them is an object too.
class Inspected : public xb::Object {
 public:
  Inspected() : Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = [] () -> const xb::Class& {
      xb::Class& c = xb::Class::Define("TINSPECTED");
      c.Data("CNOMBRE", &Inspected::name);
      c.Data("NTOTAL", &Inspected::total);
      c.Data("OHIJO", &Inspected::child);
      c.Var("AITEMS", Value(xb::Array::Of({Value::Integer(1), Value::String("dos")})));
      c.Method("CALCULA", [](xb::Object&, xb::Args&) { return Value(); });
      return c;
    }();
    return c;
  }
  std::string name = "Padre";
  std::int64_t total = 7;
  xb::ObjectRef child;
};

TEST_F(ReportDialogsTest, TheInspectorListsTheDataAndOpensTheObjectsAmongThem) {
  auto parent = xb::MakeRef<Inspected>();
  auto child = xb::MakeRef<Inspected>();
  child->name = "Hijo";
  parent->child = child;
  std::string lines;
  for (const InspectedData& l : InspectedLines(Value(parent))) lines += l.name + ":" + l.type + ":" + l.value + " ";
  EXPECT_EQ(lines, "AITEMS:A:Array (2) CNOMBRE:C:Padre NTOTAL:N:7 OHIJO:O:Objeto TINSPECTED ");

  // The first inspector opens the second on its last line (OHIJO); once that one is closed,
  // the first is left too.
  std::vector<std::string> titles;
  HWND first = nullptr, second = nullptr;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (first == nullptr) {
      HWND child_window = FindWindowExA(d.hwnd, nullptr, nullptr, nullptr);
      while (child_window != nullptr && !dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(child_window).get()))
        child_window = FindWindowExA(d.hwnd, child_window, nullptr, nullptr);
      if (child_window == nullptr) return 0;
      first = d.hwnd;
      titles.push_back(d.title);
      SendMessageA(child_window, WM_KEYDOWN, VK_END, 0);
      const int see = d.ButtonId("Ver");
      PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(see, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, see)));
      return 0;
    }
    if (d.hwnd == first) return second != nullptr && !IsWindow(second) ? d.ButtonId("Salir") : 0;
    if (second == nullptr) {
      second = d.hwnd;
      titles.push_back(d.title);
    }
    return d.ButtonId("Salir");
  });
  X("TI_OBJECTINSPECTOR(oObj := NIL)");  // nothing to inspect: no dialog
  EXPECT_TRUE(titles.empty());
  ObjectInspector(Value(parent));
  EXPECT_EQ(titles, (std::vector<std::string>{" Inspector : TINSPECTED", " Inspector : TINSPECTED"}));
}

}  // namespace
}  // namespace reports
