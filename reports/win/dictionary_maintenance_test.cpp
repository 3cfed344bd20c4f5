// The dictionary window's maintenance dialogs as the user drives them: expressions with their
// parameters, the browser in a dialog and in debug mode, the field's pages, the differences
// of a table file, the import of a folder and the header designer's items.
#include <gtest/gtest.h>
#include <windows.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "reports/dictionary_files.h"
#include "reports/dictionary_ui.h"
#include "reports/expression_rows.h"
#include "reports/header_rows.h"
#include "reports/report_functions.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "reports/win/dictionary_window.h"
#include "reports/win/expression_dialogs.h"
#include "reports/win/header_dialogs.h"
#include "reports/win/report_window_functions.h"
#include "reports/win/report_window_test_support.h"
#include "reports/win/tbrwdataqz.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "services/dialog_helpers.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tfolder.h"
#include "ui/core/tfont.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::Choose;
using testing::Click;
using testing::ItemText;
using testing::Ok;
using testing::Shot;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

std::string S(const std::string& text) { return std::string(xb::AllTrim(X(text).AsString())); }

int Yes(const SeenDialog& d) { return d.ButtonId("Sí") != 0 ? d.ButtonId("Sí") : Ok(d); }

ui::TWBrowse* BrowseOf(HWND dialog, int id) {
  return dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(dialog, id)).get());
}

class DictionaryMaintenanceTest : public testing::ReportWindowTest<> {
 protected:
  DictionaryMaintenanceTest() : ReportWindowTest({.user = "05", .window_functions = true, .outputs = false, .dictionary = false}) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    data::nHandlers(255);
  }
  void TearDown() override {
    if (DictionaryFrame() != nullptr) {
      HWND closing = DictionaryFrame()->hWnd;
      X("oDic:End()");
      vdr::test::PumpUntil([closing] { return !IsWindow(closing); });
    }
    ReportWindowTest::TearDown();
  }
  void OpenDictionary() {
    X("(oDic := TDictQZ():New('" + data::cPathInforme() + "'), nil)");
    ASSERT_TRUE(X("oDic:Activate()").AsLogical());
    ASSERT_NE(DictionaryFrame(), nullptr);
  }
  std::string Alias(const char* table) { return TDictQZ::AliasOf(table); }
};

TEST_F(DictionaryMaintenanceTest, AnExpressionKeepsItsParametersAsTheDialogLeavesThem) {
  OpenDictionary();
  RunDictionaryButton("Expresiones");
  TBrwDataQZ* list = DictionaryList("Expresiones");
  ASSERT_NE(list, nullptr);
  // Added with two parameters: a number (decimals kept) and a date (decimals dropped, width 8).
  bool shown_decimals_enabled_for_date = true;
  {
    int step = 0;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == " Mantenimiento de expresiones") {
        if (step > 0) return 0;  // asked again while a parameter's dialog is open
        step = 1;
        SetDlgItemTextA(d.hwnd, 101, "VENTAS");
        SetDlgItemTextA(d.hwnd, 103, "ALBARAN");
        SetDlgItemTextA(d.hwnd, 104, "VentasMes( cAlias )");
        SetDlgItemTextA(d.hwnd, 108, "Ventas del mes");
        Click(d.hwnd, 121);
        Click(d.hwnd, 121);
        EXPECT_EQ(BrowseOf(d.hwnd, 120)->nLen, 2);
        Shot(d.hwnd, "dict_expression_parameters");
        return IDOK;
      }
      if (d.title == " Columnas de la expresión") {
        const std::string number = ItemText(d.hwnd, 101);
        if (step == 1) {
          EXPECT_EQ(number, "1");
          SetDlgItemTextA(d.hwnd, 102, "Unidades");
          Choose(d.hwnd, 103, 1);  // the parameter's type
          SetDlgItemTextA(d.hwnd, 104, "10");
          SetDlgItemTextA(d.hwnd, 105, "2");
          SetDlgItemTextA(d.hwnd, 106, "@E 999,999.99");
          SetDlgItemTextA(d.hwnd, 107, "unidades");
          Shot(d.hwnd, "dict_expression_parameter");
        } else {
          EXPECT_EQ(number, "2");
          SetDlgItemTextA(d.hwnd, 102, "Desde fecha");
          SetDlgItemTextA(d.hwnd, 105, "3");
          Choose(d.hwnd, 103, 3);
          shown_decimals_enabled_for_date = IsWindowEnabled(GetDlgItem(d.hwnd, 105)) != FALSE;
        }
        ++step;
        return IDOK;
      }
      return Ok(d);
    });
    EXPECT_TRUE(list->BrowseKeys('A'));
  }
  EXPECT_FALSE(shown_decimals_enabled_for_date);
  std::vector<ExprParam> params = ReadExprColumnas(Alias("ExprCol"), "VENTAS");
  ASSERT_EQ(params.size(), 2u);
  EXPECT_EQ(params[0].descripc, "Unidades");
  EXPECT_EQ(params[0].tipo, "N");
  EXPECT_EQ(params[0].longitud, 10);
  EXPECT_EQ(params[0].decimal, 2);
  EXPECT_EQ(params[0].campo, "UNIDADES");
  EXPECT_EQ(params[1].parametro, 2);
  EXPECT_EQ(params[1].tipo, "D");
  EXPECT_EQ(params[1].longitud, 8);
  EXPECT_EQ(params[1].decimal, 0);

  // Changed: the first deleted and the dialog cancelled leaves both; accepted, only the second.
  for (const int close : {IDCANCEL, IDOK}) {
    bool clicked = false;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == " Mantenimiento de expresiones") {
        if (clicked) return 0;
        clicked = true;
        EXPECT_EQ(BrowseOf(d.hwnd, 120)->nLen, 2);
        Click(d.hwnd, 123);
        EXPECT_EQ(BrowseOf(d.hwnd, 120)->nLen, 1);
        return close;
      }
      return Yes(d);
    });
    X(Alias("Expresio") + "->(DBGoTop())");
    EXPECT_TRUE(list->BrowseKeys('M'));
  }
  params = ReadExprColumnas(Alias("ExprCol"), "VENTAS");
  ASSERT_EQ(params.size(), 1u);
  EXPECT_EQ(params[0].parametro, 2) << "its number stays";

  // Duplicated under another code (a code taken is refused, the dialog stays).
  std::vector<std::string> said;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == " Duplicar expresión") {
        SetDlgItemTextA(d.hwnd, 101, "VENTAS");
        Click(d.hwnd, IDOK);
        SetDlgItemTextA(d.hwnd, 101, "VENTAS2");
        return IDOK;
      }
      said.push_back(d.AllText());
      return Ok(d);
    });
    X(Alias("Expresio") + "->(DBGoTop())");
    for (const auto& extra : list->aExtraButtons)
      if (extra.caption == "Duplicar") extra.action();
  }
  EXPECT_EQ(said, std::vector<std::string>{"Nombre duplicado"});
  EXPECT_EQ(ReadExprColumnas(Alias("ExprCol"), "VENTAS2").size(), 1u);

  // Deleting an expression takes its parameters; without parameters it cannot be duplicated.
  {
    DialogAnswerer answer(Yes);
    X(Alias("Expresio") + "->(OrdSetFocus('Codigo'), DBSeek('VENTAS2'))");
    EXPECT_TRUE(list->BrowseKeys('E'));
  }
  EXPECT_TRUE(ReadExprColumnas(Alias("ExprCol"), "VENTAS2").empty());
  EXPECT_EQ(ReadExprColumnas(Alias("ExprCol"), "VENTAS").size(), 1u);
  SaveExprColumnas(Alias("ExprCol"), "VENTAS", {});
  {
    DialogAnswerer answer(Ok);
    X(Alias("Expresio") + "->(DBGoTop())");
    EXPECT_FALSE(DupExpresion());
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].AllText(), "Esta expresión no tiene ninguna columna.\r\nImposible duplicar");
  }
}

TEST_F(DictionaryMaintenanceTest, AnExpressionsEnvironmentIsOneOfTheEnvironments) {
  OpenDictionary();
  X(Alias("Entorno") + "->(DBAPPEND(), ENTORNO := 'ENT1', TABLA := 'CLIENTES', ORDEN := 1, INICIAL := 'S', DBCOMMIT(), "
                       "DBUNLOCK())");
  std::vector<std::string> said;
  bool stayed_after_refusal = false;
  {
    int seen = 0;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != " Mantenimiento de expresiones") {
        said.push_back(d.AllText());
        return Ok(d);
      }
      if (seen++ > 0) return 0;
      SetDlgItemTextA(d.hwnd, 101, "EXPENT");
      SetDlgItemTextA(d.hwnd, 102, "NADA");
      SetDlgItemTextA(d.hwnd, 108, "Con entorno");
      Click(d.hwnd, IDOK);
      stayed_after_refusal = IsWindow(d.hwnd) != FALSE;
      SetDlgItemTextA(d.hwnd, 102, "ent1");
      return IDOK;
    });
    EXPECT_TRUE(MngExpresiones(true));
  }
  EXPECT_EQ(said, std::vector<std::string>{"Entorno no válido"});
  EXPECT_TRUE(stayed_after_refusal);
  EXPECT_EQ(S(Alias("Expresio") + "->(DBGoTop(), CODIGO + ENTORNO)"), "EXPENT    ENT1");
  // Edited, its table is not: the environment's tables are the expression's.
  bool table_read_only = false;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      table_read_only = (GetWindowLongA(GetDlgItem(d.hwnd, 103), GWL_STYLE) & ES_READONLY) != 0;
      return IDCANCEL;
    });
    EXPECT_FALSE(MngExpresiones(false));
  }
  EXPECT_TRUE(table_read_only);
}

TEST_F(DictionaryMaintenanceTest, TheBrowserInADialogAndInDebugMode) {
  OpenDictionary();
  X(Alias("Categor") + "->(DBAppend(), FieldPut(1, 'VEN'), FieldPut(2, 'Ventas'), DBCommit(), DBUnlock())");
  X(Alias("Tablas") + "->(DBAppend(), FieldPut(1, 'CLIENTES'), DBCommit(), DBUnlock())");
  // In a dialog: the browse is its control, the buttons its controls; one not allowed is disabled.
  {
    TBrwDataQZ list("Categorias", Alias("Categor"));
    list.nId = 100;
    list.lDel = false;
    int added = 0;
    list.bAdd = [&added] { ++added; };
    const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_BROWSE"), " Categorías");
    list.Activate(dialog);
    bool delete_enabled = true;
    int rows = 0;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != " Categorías") return Ok(d);
      rows = BrowseOf(d.hwnd, 100)->nLen;
      delete_enabled = IsWindowEnabled(GetDlgItem(d.hwnd, 502)) != FALSE;
      Click(d.hwnd, 500);
      Shot(d.hwnd, "dict_browse_dialog");
      Click(d.hwnd, 510);
      return 0;
    });
    svc::RunDialog(dialog);
    EXPECT_TRUE(list.lDialog);
    EXPECT_EQ(rows, 1);
    EXPECT_FALSE(delete_enabled);
    EXPECT_EQ(added, 1);
    EXPECT_FALSE(list.open()) << "Salir closed the dialog";
  }

  // Debug mode: the "Alias" button, and each header click tells the column's width.
  TDictQZ::lDebug() = true;
  RunDictionaryButton("Tablas");
  TDictQZ::lDebug() = false;
  TBrwDataQZ* tablas = DictionaryList("Tablas");
  ASSERT_NE(tablas, nullptr);
  EXPECT_EQ(GetWindow(tablas->bar()->hWnd, GW_CHILD) != nullptr, true);
  int buttons = 0;
  for (HWND c = GetWindow(tablas->bar()->hWnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) ++buttons;
  EXPECT_EQ(buttons, 11) << "six buttons, Alias, three of the table's, exit";
  X(Alias("Tablas") + "->(OrdSetFocus('Fichero'))");
  EXPECT_EQ(tablas->AliasText(), "Alias: " + Alias("Tablas") + "\r\nIndice: Upper( Fichero )");
  {
    DialogAnswerer answer(Ok);
    const Value actions = tablas->browse()->aActions;
    ASSERT_TRUE(actions.IsArray());
    ASSERT_EQ(actions.AsArray().size(), 5u);
    actions.AsArray().Get(0).AsBlock().Eval();
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, "Tabla");
    EXPECT_EQ(answer.seen()[0].AllText(), "Tamaño: 80");
  }
  // Columns sized to a font: as they were for the same font, wider for a wider one.
  const auto first_width = [tablas] { return tablas->browse()->aColSizes.AsArray().Get(0).AsInt(); };
  tablas->RefSizes();
  EXPECT_EQ(first_width(), 80);
  ui::TFont::Spec spec;
  spec.face = "Arial";
  spec.height = 32;
  spec.bold = true;
  tablas->browse()->SetFont(ui::TFont::New(spec));
  tablas->RefSizes();
  EXPECT_GT(first_width(), 120);

  // A list filtered on a value counts at most 20 rows.
  RunDictionaryButton("Campos");
  TBrwDataQZ* all = DictionaryList("Campos");
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(all->browse()->nMaxFilter, 0);
  for (const auto& extra : tablas->aExtraButtons)
    if (extra.caption == "Campos") extra.action();
  TBrwDataQZ* filtered = DictionaryList("Campos");
  ASSERT_NE(filtered, nullptr);
  EXPECT_EQ(filtered->browse()->nMaxFilter, kFilterLimit);
  EXPECT_EQ(kFilterLimit, 20);
  // A row added by a dialog that leaves another order: the filter is set again and counts it.
  EXPECT_EQ(filtered->browse()->nLen, 0);
  const std::string campos = Alias("Campos");
  filtered->bAdd = [campos] {
    X(campos + "->(DBAppend(), FieldPut(FieldPos('TABLA'), 'CLIENTES'), FieldPut(FieldPos('CAMPO'), 'CODIGO'), "
      "DBCommit(), DBUnlock(), OrdSetFocus('Campo'))");
  };
  EXPECT_TRUE(filtered->BrowseKeys('A'));
  EXPECT_EQ(X(campos + "->(IndexOrd())").AsInt(), 1);
  EXPECT_EQ(filtered->browse()->nLen, 1);
  EXPECT_EQ(S(campos + "->CAMPO"), "CODIGO");
}

TEST_F(DictionaryMaintenanceTest, TheBrowserInADialogGetsItsIndexTabs) {
  OpenDictionary();
  // By code: ALM, COM, VEN; by description: VEN, COM, ALM.
  for (const auto& [code, text] : {std::pair{"ALM", "Zona de almacén"}, {"COM", "Mercado"}, {"VEN", "Almacén de ventas"}})
    X(Alias("Categor") + "->(DBAppend(), FieldPut(1, '" + code + "'), FieldPut(2, '" + text +
      "'), DBCommit(), DBUnlock())");
  TBrwDataQZ list("Categorias", Alias("Categor"));
  list.nId = 100;
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_BROWSE"), " Categorías");
  list.Activate(dialog);
  ASSERT_NE(list.tabs(), nullptr);
  ui::TTabs& tabs = *list.tabs();
  std::vector<std::string> prompts;
  bool shown = false, done = false;
  int option = 0, order = 0;
  std::string first_by_description;
  DialogAnswerer answer([&](const SeenDialog& d) {
    if (d.title != " Categorías" || done) return 0;
    done = true;
    prompts = tabs.aPrompts;
    shown = IsWindowVisible(tabs.hWnd) != FALSE;
    // A real click on the middle of the second tab.
    SetForegroundWindow(d.hwnd);
    POINT at = {5 + tabs.aSizes[0] + 10 + tabs.aSizes[1] / 2, 8};
    EXPECT_TRUE(vdr::test::MouseToClient(tabs.hWnd, at));
    vdr::test::LeftButton(true);
    vdr::test::LeftButton(false);
    vdr::test::PumpUntil([&] { return tabs.nOption == 2; }, 5000);
    option = tabs.nOption;
    order = static_cast<int>(X(Alias("Categor") + "->(IndexOrd())").AsInt());
    SendMessageA(list.browse()->hWnd, WM_KEYDOWN, VK_HOME, 0);
    first_by_description = S(Alias("Categor") + "->Categoria");
    Shot(d.hwnd, "dict_browse_dialog_tabs");
    Click(d.hwnd, 510);
    return 0;
  });
  svc::RunDialog(dialog);
  EXPECT_EQ(prompts, (std::vector<std::string>{"CATEGORIA", "DESCRIP", "INFDOC"}));
  EXPECT_TRUE(shown);
  EXPECT_EQ(option, 2);
  EXPECT_EQ(order, 2);
  EXPECT_EQ(first_by_description, "VEN");
}

TEST_F(DictionaryMaintenanceTest, CabeceraGoesStraightToTheHeaderAsked) {
  OpenDictionary();
  for (const char* code : {"A01", "B02", "C03"}) {
    Header h;
    h.cod = code;
    h.descrip = std::string("Cabecera ") + code;
    ASSERT_TRUE(SaveHeader(Alias("CabeH"), Alias("CabeD"), h, true));
  }
  HWND closing = DictionaryFrame()->hWnd;
  X("oDic:End()");
  vdr::test::PumpUntil([closing] { return !IsWindow(closing); });

  std::string current, option;
  bool window_shown = true;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != "Ca(B)eceras de informes") return Ok(d);
      window_shown = DictionaryFrame() != nullptr;
      current = S(Alias("CabeH") + "->COD");
      if (TBrwDataQZ* list = DictionaryList("Cabeceras")) option = list->cOpcionMenu;
      return 510;
    });
    X("CABECERA(.T., 'b02')");
  }
  EXPECT_FALSE(window_shown) << "straight to the list";
  EXPECT_EQ(current, "B02");
  EXPECT_EQ(option, "Cabecera");
  EXPECT_TRUE(X("SELECT('" + Alias("CabeH") + "') == 0").AsLogical() || Alias("CabeH").empty())
      << "the dictionary closes with the list";
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != "Ca(B)eceras de informes") return Ok(d);
      if (TBrwDataQZ* list = DictionaryList("Cabeceras")) option = list->cOpcionMenu;
      return 510;
    });
    X("CABECERA(.F.)");
  }
  EXPECT_EQ(option, "");
}

TEST_F(DictionaryMaintenanceTest, CabeceraOverTheOpenDictionaryLeavesItsWindowOpen) {
  OpenDictionary();
  Header h;
  h.cod = "A01";
  h.descrip = "Cabecera A01";
  ASSERT_TRUE(SaveHeader(Alias("CabeH"), Alias("CabeD"), h, true));
  const std::string tablas = Alias("Tablas"), cabeh = Alias("CabeH");
  std::string current;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != "Ca(B)eceras de informes") return Ok(d);
      current = S(Alias("CabeH") + "->COD");
      return 510;
    });
    X("CABECERA(.T., 'A01')");
  }
  EXPECT_EQ(current, "A01");
  ASSERT_NE(DictionaryFrame(), nullptr) << "the window stays";
  EXPECT_EQ(Alias("Tablas"), tablas);
  EXPECT_EQ(Alias("CabeH"), cabeh);
  EXPECT_GT(X("SELECT('" + tablas + "')").AsInt(), 0);
  RunDictionaryButton("Tablas");
  EXPECT_NE(DictionaryList("Tablas"), nullptr) << "its lists still open on the dictionary's tables";
}

TEST_F(DictionaryMaintenanceTest, TablesAreImportedFromTheFolderChosenFromC) {
  OpenDictionary();
  std::vector<std::string> seen;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      seen.push_back(d.AllText());
      if (seen.size() == 1) Shot(d.hwnd, "dict_import_folder");
      return d.ButtonId("Aceptar") != 0 ? d.ButtonId("Aceptar") : IDOK;
    });
    EXPECT_EQ(ImportFolder(), 0);
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[0].find("Seleccione directorio"), std::string::npos) << seen[0];
  EXPECT_EQ(seen[1], "No se han encontrado bases de datos en el directorio C:\\") << "the chooser starts at C:\\";
}

TEST_F(DictionaryMaintenanceTest, TheDifferencesOfATableFileShowInABrowse) {
  std::vector<std::string> cells;
  int rows = 0;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != "Diferencias") return Ok(d);
      ui::TWBrowse* list = BrowseOf(d.hwnd, 110);
      rows = list->nLen;
      const Value first = list->bLine.AsBlock().Eval();
      for (std::size_t i = 0; i < first.AsArray().size(); ++i) cells.emplace_back(first.AsArray().Get(i).AsString());
      list->GoDown();
      const Value second = list->bLine.AsBlock().Eval();
      for (std::size_t i = 0; i < second.AsArray().size(); ++i) cells.emplace_back(second.AsArray().Get(i).AsString());
      Shot(d.hwnd, "dict_differences");
      return IDOK;
    });
    ShowDiferencias({"4 ZONA C 4 0 | ", "2 NOMBRE C 50 0 | 2 NOMBRE C 40 0"});
    ASSERT_EQ(answer.seen().size(), 1u);
  }
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(cells, (std::vector<std::string>{"4 ZONA C 4 0", "", "2 NOMBRE C 50 0", "2 NOMBRE C 40 0"}));
}

HWND FieldPage(HWND dialog, int n) {
  auto* folder = dynamic_cast<ui::TFolder*>(ui::OWndFromHwnd(GetDlgItem(dialog, 300)).get());
  return folder != nullptr && folder->Page(n) != nullptr ? folder->Page(n)->hWnd : nullptr;
}

TEST_F(DictionaryMaintenanceTest, AFieldsCodedValuesAreItsSecondPageAndFollowItsName) {
  OpenDictionary();
  const std::string campos = Alias("Campos"), res = Alias("CampoRes");
  X(campos + "->(DBAppend(), FieldPut(FieldPos('TABLA'), 'ALBARAN'), FieldPut(FieldPos('ORDEN'), 1), "
    "FieldPut(FieldPos('CAMPO'), 'ESTADO'), FieldPut(FieldPos('TIPO'), 'C'), FieldPut(FieldPos('LONGITUD'), 1), "
    "FieldPut(FieldPos('DECIMAL'), 2), FieldPut(FieldPos('DESCRIPC'), 'Estado'), DBCommit(), DBUnlock())");
  X(campos + "->(DBAppend(), FieldPut(FieldPos('TABLA'), 'ALBARAN'), FieldPut(FieldPos('ORDEN'), 2), "
    "FieldPut(FieldPos('CAMPO'), 'FECHA'), FieldPut(FieldPos('TIPO'), 'F'), FieldPut(FieldPos('LONGITUD'), 8), "
    "FieldPut(FieldPos('DESCRIPC'), 'Fecha'), DBCommit(), DBUnlock())");
  for (const char* v : {"A", "B"})
    X(res + "->(DBAppend(), FieldPut(1, 'ALBARAN'), FieldPut(2, 'ESTADO'), FieldPut(3, '" + v + "'), FieldPut(4, 'Texto " +
      v + "'), DBCommit(), DBUnlock())");
  X(res + "->(DBAppend(), FieldPut(1, 'OTRA'), FieldPut(2, 'ESTADO'), FieldPut(3, 'Z'), DBCommit(), DBUnlock())");
  const auto coded = [&] {
    std::string out;
    X(res + "->(DBGoTop())");
    for (; !X(res + "->(Eof())").AsLogical(); X(res + "->(DBSkip())"))
      out += S(res + "->(AllTrim(Tabla) + '.' + AllTrim(Campo) + ':' + AllTrim(Valor) + '=' + AllTrim(Resulta))") + ";";
    return out;
  };
  RunDictionaryButton("Campos");
  TBrwDataQZ* list = DictionaryList("Campos");
  ASSERT_NE(list, nullptr);
  const auto edit = [&](int close) {
    bool editing = false;
    int shown = 0;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == "Modificar campo") {
        if (editing) return 0;
        editing = true;
        HWND values = FieldPage(d.hwnd, 2);
        shown = BrowseOf(values, 110)->nLen;
        Click(values, 400);  // "C" added
        Click(values, 402);  // the first, "A", deleted
        SetDlgItemTextA(FieldPage(d.hwnd, 1), 102, "SITUACION");
        auto* folder = dynamic_cast<ui::TFolder*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, 300)).get());
        folder->SetOption(2);
        Shot(d.hwnd, "dict_field_values");
        return close;
      }
      if (d.title == " Añadir") {
        SetDlgItemTextA(d.hwnd, 101, "C");
        SetDlgItemTextA(d.hwnd, 102, "Texto C");
        return IDOK;
      }
      return Yes(d);
    });
    X(campos + "->(OrdSetFocus('Tabla'), DBGoTop())");
    EXPECT_TRUE(list->BrowseKeys('M'));
    return shown;
  };
  EXPECT_EQ(edit(IDCANCEL), 2);
  EXPECT_EQ(coded(), "ALBARAN.ESTADO:A=Texto A;ALBARAN.ESTADO:B=Texto B;OTRA.ESTADO:Z=;") << "cancelled: as they were";
  EXPECT_EQ(edit(IDOK), 2);
  EXPECT_EQ(coded(), "ALBARAN.SITUACION:B=Texto B;ALBARAN.SITUACION:C=Texto C;OTRA.ESTADO:Z=;");
  EXPECT_EQ(S(campos + "->(DBGoTop(), AllTrim(Campo) + Tipo + Str(Decimal, 1))"), "SITUACIONC0") << "decimals only for numbers";

  // A date stored as "F" is shown as a date and stays "F".
  std::string type_shown;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != "Modificar campo") return Ok(d);
      type_shown = ItemText(FieldPage(d.hwnd, 1), 103);
      return IDOK;
    });
    X(campos + "->(OrdSetFocus('Tabla'), DBGoBottom())");
    EXPECT_TRUE(list->BrowseKeys('M'));
  }
  EXPECT_EQ(type_shown, "Fecha");
  EXPECT_EQ(S(campos + "->(DBGoBottom(), Tipo)"), "F");
}

// A 24-bit bitmap file of the given size.
void WriteBitmap(const std::string& file, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = width;
  ih.biHeight = height;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(stride * height);
  std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
  bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
  bytes.append(static_cast<std::size_t>(stride * height), '\xff');
  HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

TEST_F(DictionaryMaintenanceTest, TheHeaderListsKeysViewAddAndDeleteItems) {
  OpenDictionary();
  Header h;
  h.cod = "A01";
  h.descrip = "Albaranes";
  HeaderItem text;
  text.texto = "Mi empresa";
  h.items.push_back(text);
  ASSERT_TRUE(SaveHeader(Alias("CabeH"), Alias("CabeD"), h, true));
  X(Alias("CabeH") + "->(DBGoTop())");
  std::vector<std::string> titles;
  int rows_after = -1;
  std::string shown_text;
  bool header_seen = false;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == " Modificar cabecera") {
        if (header_seen) return 0;
        header_seen = true;
        HWND list = GetDlgItem(d.hwnd, 110);
        SendMessageA(list, WM_CHAR, 'z', 0);
        shown_text = BrowseOf(d.hwnd, 110)->bLine.AsBlock().Eval().AsArray().Get(4).AsString();
        for (const char key : {'a', 'E'}) SendMessageA(list, WM_CHAR, static_cast<WPARAM>(key), 0);
        rows_after = BrowseOf(d.hwnd, 110)->nLen;
        return IDOK;
      }
      titles.push_back(d.title);
      if (d.title == " Visualizar elemento de cabecera") SetDlgItemTextA(d.hwnd, 101, "Cambiado");
      if (d.title == " Añadir elemento de cabecera") SetDlgItemTextA(d.hwnd, 101, "Nuevo");
      return IDOK;
    });
    EXPECT_TRUE(MngCabLis(Alias("CabeH"), Alias("CabeD"), HeaderMode::kModify));
  }
  EXPECT_EQ(titles, (std::vector<std::string>{" Visualizar elemento de cabecera", " Añadir elemento de cabecera"}));
  EXPECT_EQ(shown_text, "Mi empresa") << "an item only shown stays as it was";
  EXPECT_EQ(rows_after, 1) << "one added, the first deleted";
  Header saved;
  ASSERT_TRUE(LoadHeader(Alias("CabeH"), Alias("CabeD"), "A01", &saved));
  ASSERT_EQ(saved.items.size(), 1u);
  EXPECT_EQ(saved.items[0].texto, "Nuevo");
}

TEST_F(DictionaryMaintenanceTest, AHeaderIsDeletedFromItsEliminarDialog) {
  OpenDictionary();
  Header h;
  h.cod = "B02";
  h.descrip = "Facturas";
  HeaderItem text;
  text.texto = "Mi empresa";
  h.items.push_back(text);
  ASSERT_TRUE(SaveHeader(Alias("CabeH"), Alias("CabeD"), h, true));
  struct Case {
    int button;
    bool deleted;
  };
  for (const Case& c : {Case{IDCANCEL, false}, Case{IDOK, true}}) {
    SCOPED_TRACE(c.button);
    X(Alias("CabeH") + "->(DBGoTop())");
    std::vector<std::string> titles;
    std::string code;
    bool read_only = false, items_locked = false;
    {
      DialogAnswerer answer([&](const SeenDialog& d) {
        titles.push_back(d.title);
        code = ItemText(d.hwnd, 101);
        read_only = (GetWindowLongA(GetDlgItem(d.hwnd, 102), GWL_STYLE) & ES_READONLY) != 0;
        items_locked = !IsWindowEnabled(GetDlgItem(d.hwnd, 400)) && !IsWindowEnabled(GetDlgItem(d.hwnd, 402));
        return c.button;
      });
      EXPECT_EQ(X("oDic:MngCabLis(3)").AsLogical(), c.deleted);
    }
    EXPECT_EQ(titles, std::vector<std::string>{" Eliminar cabecera"}) << "no other question";
    EXPECT_EQ(code, "B02");
    EXPECT_TRUE(read_only);
    EXPECT_TRUE(items_locked);
    Header left;
    EXPECT_EQ(LoadHeader(Alias("CabeH"), Alias("CabeD"), "B02", &left), !c.deleted);
    if (!c.deleted) EXPECT_EQ(left.items.size(), 1u) << "its items kept";
  }
  EXPECT_EQ(X(Alias("CabeD") + "->(DBGoTop(), Eof())").AsLogical(), true) << "the items went with it";
}

TEST_F(DictionaryMaintenanceTest, HeaderItemsNameTheirDataAndSizeTheirImages) {
  xb::RegisterFunction("CDESCDATOCAB", [](xb::Args& a) { return Value::String(a.Int(1) == 7 ? "Obra" : ""); });
  struct Case {
    int dato;
    const char* texto;
    const char* kind;
  };
  for (const Case& c : {Case{4, "", "Código de empresa"}, Case{10, "", "Nombre de usuario"}, Case{11, "7", "Obra"},
                        Case{11, "9", "Dato 9"}}) {
    HeaderItem item;
    item.dato = c.dato;
    item.texto = c.texto;
    EXPECT_EQ(HeaderItemKind(item), c.kind) << c.dato << c.texto;
  }

  // An image left without its size takes a third of its pixels; the labels say height and width.
  const std::string picture = folder_ / "Logo.bmp";
  WriteBitmap(picture, 90, 61);
  std::string height_label;
  HeaderItem image;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      Choose(d.hwnd, 100, 2);
      height_label = ItemText(d.hwnd, 204);
      SetDlgItemTextA(d.hwnd, 101, picture.c_str());
      Shot(d.hwnd, "dict_header_image");
      return IDOK;
    });
    ASSERT_TRUE(MngCabItem(image, true));
  }
  EXPECT_EQ(height_label, "Alto de imagen");
  EXPECT_EQ(image.dato, 3);
  EXPECT_DOUBLE_EQ(image.columna2, 30.0);
  EXPECT_DOUBLE_EQ(image.linea2, 20.3);
  // A size given stays; a datum of the header data keeps its kind when changed.
  HeaderItem datum;
  datum.dato = 11;
  datum.texto = "7";
  image.linea2 = 5;
  {
    DialogAnswerer answer([](const SeenDialog&) { return IDOK; });
    ASSERT_TRUE(MngCabItem(image, false));
    ASSERT_TRUE(MngCabItem(datum, false));
  }
  EXPECT_DOUBLE_EQ(image.linea2, 5.0);
  EXPECT_DOUBLE_EQ(image.columna2, 30.0);
  EXPECT_EQ(datum.dato, 11);
}

}  // namespace
}  // namespace reports
