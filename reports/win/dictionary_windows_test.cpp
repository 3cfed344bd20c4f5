// The dictionary's dialogs, the listing tree and the access maps as the user sees them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "reports/access_rules.h"
#include "reports/dictionary_check.h"
#include "reports/dictionary_files.h"
#include "reports/dictionary_rows.h"
#include "reports/tdictqz.h"
#include "reports/win/dictionary_window.h"
#include "reports/win/header_dialogs.h"
#include "reports/win/tbrwdataqz.h"
#include "reports/dictionary_ui.h"
#include "reports/report_functions.h"
#include "reports/report_test_support.h"
#include "reports/win/dictionary_dialogs.h"
#include "reports/win/report_window_functions.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/sets.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "services/menu_access.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/tmeter.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/window_table.h"
#include "ui/controls/tbtnbmp.h"

namespace reports {
namespace {

using testing::Click;
using testing::ItemText;
using testing::Ok;
using testing::Shot;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

class DictionaryWindowsTest : public testing::ReportWindowTest<> {
 protected:
  DictionaryWindowsTest() : ReportWindowTest({.user = "05", .window_functions = true, .outputs = false, .dictionary = false}) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    xb::RegisterFunction("LISTADOPRUEBA", [this](xb::Args& a) {
      runs_.push_back(std::string(a.Str(1)));
      return Value();
    });
  }
  // The start folder's listing table: two folders, three listings.
  void MakeListados() {
    const std::string table = folder_ / "Listados.dbf";
    ASSERT_TRUE(X("DBCREATE('" + table + "', {{'CODIGO', 'C', 6, 0}, {'NIVEL1', 'C', 20, 0}, {'NIVEL2', 'C', 20, 0}, "
                  "{'TITULO', 'C', 40, 0}, {'FUNCION', 'C', 60, 0}, {'VISIBLE', 'C', 20, 0}, {'ACCESOS', 'C', 20, 0}}, "
                  "'ADS')").AsLogical());
    ASSERT_TRUE(data::lNetUse(table, {.exclusive = true, .alias = "Listados"}));
    struct Row {
      const char *code, *level1, *level2, *title, *function, *visible, *accesos;
    };
    for (const Row& r : {Row{"L1", "Ventas", "", "Ventas por cliente", "ListadoPrueba('L1')", "", "05"},
                         Row{"L2", "Ventas", "Diarias", "Caja del día", "ListadoPrueba('L2')", "", "0506"},
                         Row{"L3", "Compras", "", "Oculto", "ListadoPrueba('L3')", ".F.", ""},
                         Row{"L4", "Compras", "", "Proveedores", "ListadoPrueba('L4') +", "1 +", "05"}}) {
      X("DBAPPEND()");
      X(std::string("FIELDPUT(1, '") + r.code + "'), FIELDPUT(2, '" + r.level1 + "'), FIELDPUT(3, '" + r.level2 +
        "'), FIELDPUT(4, '" + r.title + "'), FIELDPUT(5, \"" + r.function + "\"), FIELDPUT(6, '" + r.visible +
        "'), FIELDPUT(7, '" + r.accesos + "')");
    }
    X("ORDCREATE(, 'Nivel', 'Nivel1 + Nivel2')");
    X("ORDCREATE(, 'CODIGO', 'Upper(Codigo)')");
    X("DBCLOSEAREA()");
  }
  void MakeUsers(const std::string& code) {
    const std::string table = folder_ / "Usuarios.dbf";
    X("DBCREATE('" + table + "', {{'CCODIGO', 'C', 2, 0}}, 'ADS')");
    ASSERT_TRUE(data::lNetUse(table, {.alias = "Usuarios"}));
    X("DBAPPEND(), FIELDPUT(1, '" + code + "'), DBCOMMIT(), DBUNLOCK()");
  }
  std::vector<std::string> runs_;
};

TEST_F(DictionaryWindowsTest, NewDictionaryShowsTheIndexRunAndEndsItFull) {
  double total = 0;
  DialogAnswerer watch([&](const SeenDialog& d) {
    if (d.title == "Generador de informes") {
      auto* meter = dynamic_cast<ui::TMeter*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, 100)).get());
      if (meter != nullptr) total = meter->nTotal;
      Shot(d.hwnd, "dict_indexbar");
    }
    return 0;
  });
  ASSERT_TRUE(CheckStruct(data::cPathInforme()));
  ASSERT_TRUE(DictReindex(data::cPathInforme(), true));
  EXPECT_EQ(total, 20);
  for (const char* t : {"Tablas", "CabeD", "SubCat"}) {
    EXPECT_EQ(GetFileAttributesA((folder_.path() + "INF\\" + t + ".cdx").c_str()) != INVALID_FILE_ATTRIBUTES, true) << t;
  }
  EXPECT_EQ(GetFileAttributesA((folder_.path() + "INF\\MtrDirec.cdx").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DictionaryWindowsTest, TheConsistencyCheckShowsItsLinesAndClosesByItsButton) {
  ASSERT_TRUE(CheckStruct(data::cPathInforme()));
  ASSERT_TRUE(DictReindex(data::cPathInforme(), true));
  ASSERT_TRUE(data::lNetUse(data::cPathInforme() + "Tablas", {.alias = "T"}));
  X("DBAPPEND(), FIELDPUT(1, 'FALTA'), FIELDPUT(3, 'Falta'), DBCOMMIT(), DBCLOSEAREA()");
  bool button_enabled_during_check = true;
  DialogAnswerer answer([&](const SeenDialog& d) {
    if (d.title == "Atención") {
      HWND check = CheckDialogWindow();
      if (check != nullptr) {
        button_enabled_during_check = IsWindowEnabled(GetDlgItem(check, 400)) != FALSE;
        Shot(check, "dict_check");
      }
      return Ok(d);
    }
    return 0;
  });
  const auto lines = CheckFiles(data::cPathInforme());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Comprobando tabla : FALTA");
  EXPECT_FALSE(button_enabled_during_check);
  HWND check = CheckDialogWindow();
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(ItemText(check, 100), "Comprobando tabla : FALTA\r\nFichero no existe\r\nComprobación NO OK\r\n");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(check, 400)));
  Click(check, 400);
  EXPECT_TRUE(vdr::test::PumpUntil([] { return CheckDialogWindow() == nullptr; }));
  EXPECT_NE(GetFileAttributesA((folder_.path() + "INF\\Chequeo.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Selects the tree item whose text is `text` in the tree view of a dialog.
bool SelectItem(HWND tree, HTREEITEM item, const std::string& text) {
  for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    char buffer[200] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = sizeof buffer;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    if (text == buffer) return TreeView_SelectItem(tree, item) != FALSE;
    if (SelectItem(tree, TreeView_GetChild(tree, item), text)) return true;
  }
  return false;
}

TEST_F(DictionaryWindowsTest, TheListingTreeRunsForAnAllowedUserAndRefusesAnother) {
  MakeListados();
  int items = 0;
  std::vector<std::string> messages;
  DialogAnswerer answer([&](const SeenDialog& d) {
    if (d.title == "Listados") {
      HWND tree = GetDlgItem(d.hwnd, 100);
      items = static_cast<int>(TreeView_GetCount(tree));
      Shot(d.hwnd, "dict_listing_tree");
      EXPECT_TRUE(SelectItem(tree, TreeView_GetRoot(tree), "Caja del día"));
      Click(d.hwnd, 410);
      user_ = "07";
      Click(d.hwnd, 410);
      EXPECT_TRUE(SelectItem(tree, TreeView_GetRoot(tree), "Diarias"));
      Click(d.hwnd, 410);  // a folder does nothing
      return 411;
    }
    messages.push_back(d.title + ": " + d.AllText());
    return Ok(d);
  });
  EXPECT_TRUE(X("ARBOLDELISTADOS()").AsLogical());
  // Ventas, Diarias, two listings; Compras and Proveedores (its VISIBLE does not compile); L3 hidden.
  EXPECT_EQ(items, 6);
  EXPECT_EQ(runs_, std::vector<std::string>{"L2"});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], " Atención: No dispone de permisos para ejecutar este listado.");
}

// The tree's menu option is checked while it shows and cleared when it closes, the tree
// modal or not; its "Ejecutar" is a button with the picture TI_RunInforme.
TEST_F(DictionaryWindowsTest, TheListingTreeMarksItsMenuOptionWhileOpen) {
  MakeListados();
  const auto item = ui::TMenuItem::New({.prompt = "Listados"});
  svc::ClearMenuOptions();
  svc::SetMenuOption(1, {item, "ArbolDeListados", '2'});
  bool checked_while_open = false;
  DialogAnswerer modal([&](const SeenDialog& d) {
    if (d.title != "Listados") return 0;
    checked_while_open = item->lChecked;
    return 411;
  });
  EXPECT_TRUE(X("ARBOLDELISTADOS()").AsLogical());
  EXPECT_TRUE(checked_while_open);
  EXPECT_FALSE(item->lChecked);
  // Without its own loop the tree stays open after the call.
  EXPECT_TRUE(X("ARBOLDELISTADOS(.T.)").AsLogical());
  HWND dialog = FindWindowA(nullptr, "Listados");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(item->lChecked);
  auto* run = dynamic_cast<ui::TBtnBmp*>(ui::OWndFromHwnd(GetDlgItem(dialog, 410)).get());
  ASSERT_NE(run, nullptr);
  EXPECT_NE(run->hBmpPal1, 0) << "TI_RunInforme";
  Click(dialog, 411);
  vdr::test::PumpPending();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(item->lChecked);
  svc::ClearMenuOptions();
}

TEST_F(DictionaryWindowsTest, TheListingMapSavesAndTheAccessReadsItBack) {
  MakeListados();
  MakeUsers("06");
  DialogAnswerer answer([&](const SeenDialog& d) {
    if (d.title == "Accesos a listados") {
      Click(d.hwnd, 402);  // all allowed
      PostMessageA(GetDlgItem(d.hwnd, 110), WM_KEYDOWN, VK_HOME, 0);
      vdr::test::PumpPending();
      Shot(d.hwnd, "dict_listing_map");
      Click(d.hwnd, 510);
      return 520;
    }
    return Ok(d);
  });
  X("USRLISTADOS(NIL, 'Usuarios')");
  ASSERT_TRUE(data::lNetUse(folder_ / "Listados", {.alias = "Listados"}));
  for (const char* code : {"L1", "L2", "L3", "L4"}) {
    EXPECT_TRUE(X(std::string("CACCESOLISTADO('Listados', '") + code + "', .T., .T., '06')").AsLogical()) << code;
  }
  EXPECT_EQ(std::string(xb::AllTrim(X("(DBSEEK('L2'), ACCESOS)").AsString())), "0506") << "already there";
  EXPECT_EQ(std::string(xb::AllTrim(X("(DBSEEK('L1'), ACCESOS)").AsString())), "0506");
}

TEST_F(DictionaryWindowsTest, TheSupervisorIsNotConfigurable) {
  MakeListados();
  MakeUsers("00");
  DialogAnswerer answer([](const SeenDialog& d) { return Ok(d); });
  for (const char* call : {"USRLISTADOS(NIL, 'Usuarios')", "USRINFORMES(NIL, 'Usuarios')", "MAPLISTADOS(NIL, 'Usuarios')",
                           "MAPINFORME(NIL, 'Usuarios')"})
    X(call);
  ASSERT_EQ(answer.seen().size(), 4u);
  for (const SeenDialog& d : answer.seen()) {
    EXPECT_EQ(d.title, " Acceso denegado");
    EXPECT_EQ(d.AllText(), "El Supervisor no es configurable");
  }
}

ui::TWBrowse* BrowseOf(HWND dialog);

TEST_F(DictionaryWindowsTest, TheReportMapGivesLevelsByReportAndByCategory) {
  ASSERT_TRUE(CheckStruct(data::cPathInforme()));
  ASSERT_TRUE(DictReindex(data::cPathInforme(), true));
  MakeUsers("06");
  ASSERT_TRUE(data::lNetUse(data::cPathInforme() + "Categor", {.alias = "C"}));
  X("DBAPPEND(), FIELDPUT(1, 'VEN'), FIELDPUT(2, 'Ventas'), DBAPPEND(), FIELDPUT(1, 'COM'), FIELDPUT(2, 'Compras'), "
    "DBCOMMIT(), DBCLOSEAREA()");
  ASSERT_TRUE(data::lNetUse(data::cPathInforme() + "Informes", {.alias = "I"}));
  // INF3's category and INF4's subcategory have no row: the map lists them all the same.
  X("DBAPPEND(), FIELDPUT(1, 'INF1'), FIELDPUT(2, 'VEN'), FIELDPUT(4, 'Ventas del mes'), "
    "DBAPPEND(), FIELDPUT(1, 'INF2'), FIELDPUT(2, 'COM'), FIELDPUT(4, 'Compras del mes'), FIELDPUT(23, '062'), "
    "DBAPPEND(), FIELDPUT(1, 'INF3'), FIELDPUT(2, 'OTR'), FIELDPUT(4, 'Sin categoría'), "
    "DBAPPEND(), FIELDPUT(1, 'INF4'), FIELDPUT(2, 'VEN'), FIELDPUT(4, 'Sin subcategoría'), FIELDPUT(FIELDPOS('SUBCAT'), 'S9'), "
    "DBCOMMIT(), DBCLOSEAREA()");
  int rows = 0;
  DialogAnswerer answer([&](const SeenDialog& d) {
    if (d.title == "Accesos a informes") {
      rows = BrowseOf(d.hwnd)->nLen;
      Click(d.hwnd, 407);  // every report read only
      Shot(d.hwnd, "dict_report_map");
      Click(d.hwnd, 510);
      return 520;
    }
    return Ok(d);
  });
  X("MAPINFORME(NIL, 'Usuarios')");
  EXPECT_EQ(rows, 6) << "two categories, four reports";
  ASSERT_TRUE(data::lNetUse(data::cPathInforme() + "Informes", {.alias = "Informes"}));
  for (const char* code : {"INF1", "INF2", "INF3", "INF4"})
    EXPECT_EQ(X(std::string("CACCESOINFORME('Informes', '") + code + "', .T., .T., '06')").AsString(), "1") << code;
  EXPECT_EQ(X("CACCESOINFORME('Informes', 'INF2', .T., .T., '07')").AsString(), "0");
}

ui::TWBrowse* BrowseOf(HWND dialog) { return dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(dialog, 110)).get()); }

// Counts the visible child windows of a window.
int Children(HWND parent) {
  int count = 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    count += IsWindowVisible(child) ? 1 : 0;
  return count;
}

// A page of the field dialog's folder.
HWND FieldPage(HWND dialog, int n) {
  auto* folder = dynamic_cast<ui::TFolder*>(ui::OWndFromHwnd(GetDlgItem(dialog, 300)).get());
  return folder != nullptr && folder->Page(n) != nullptr ? folder->Page(n)->hWnd : nullptr;
}

TEST_F(DictionaryWindowsTest, TheWindowItsListsAndTheirOperations) {
  data::nHandlers(255);
  X("(oDic := TDictQZ():New('" + data::cPathInforme() + "'), nil)");
  ASSERT_TRUE(X("oDic:Activate()").AsLogical());
  ui::TMdiFrame* frame = DictionaryFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(IsZoomed(frame->hWnd));
  EXPECT_EQ(vdr::test::WindowText(frame->hWnd), "Diccionario");
  EXPECT_EQ(DictionaryBarTips().size(), 18u);

  // A table imported: its rows; the same name again is refused with its text.
  const std::string clientes = folder_ / "Clien01.dbf";
  ASSERT_TRUE(X("DBCREATE('" + clientes + "', {{'CODCLI', 'C', 6, 0}, {'NOMBRE', 'C', 40, 0}, {'SALDO', 'N', 12, 2}}, 'ADS')").AsLogical());
  ASSERT_TRUE(data::lNetUse(clientes, {.exclusive = true, .alias = "C"}));
  X("DBAPPEND(), FIELDPUT(1, 'A1'), ORDCREATE(, 'CodCli', 'CodCli'), ORDCREATE(, 'Nombre', 'Upper(Nombre)'), DBCLOSEAREA()");
  DictAliases dict;
  dict.tablas = TDictQZ::AliasOf("Tablas");
  dict.campos = TDictQZ::AliasOf("Campos");
  dict.indices = TDictQZ::AliasOf("Indices");
  dict.relacion = TDictQZ::AliasOf("Relacion");
  dict.reltab = TDictQZ::AliasOf("RelTab");
  ASSERT_TRUE(DoImport(dict, clientes));
  {
    DialogAnswerer answer([](const SeenDialog& d) { return Ok(d); });
    EXPECT_FALSE(DoImport(dict, clientes));
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].AllText(),
              // The box shows the line break as a line of its own.
              "Ya existe una tabla con el nombre CLIEN01.\r\nDeberá eliminar la tabla antes de añadir otra con el mismo "
              "nombre");
  }
  // Importing from a folder: none there is told; of two, the one marked is imported.
  {
    DialogAnswerer answer([](const SeenDialog& d) { return Ok(d); });
    EXPECT_EQ(ImportTables(folder_.path() + "INF\\TEMP"), 0);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].AllText(), "No se han encontrado bases de datos en el directorio " + folder_.path() + "INF\\TEMP\\");
  }
  const std::string lote = folder_.path() + "LOTE";
  CreateDirectoryA(lote.c_str(), nullptr);
  X("DBCREATE('" + lote + "\\Agentes.dbf', {{'CODAGE', 'C', 4, 0}}, 'ADS')");
  X("DBCREATE('" + lote + "\\Zonas.dbf', {{'CODZONA', 'C', 4, 0}}, 'ADS')");
  {
    DialogAnswerer answer([](const SeenDialog& d) {
      SendMessageA(GetDlgItem(d.hwnd, 110), WM_KEYDOWN, VK_DOWN, 0);
      SendMessageA(GetDlgItem(d.hwnd, 110), WM_CHAR, ' ', 0);
      EXPECT_EQ(BrowseOf(d.hwnd)->nAt, 2) << "the cursor stays on the row marked";
      // The marks are the check pictures: the row marked and the other.
      const auto mark = [&] { return BrowseOf(d.hwnd)->bLine.AsBlock().Eval().AsArray().Get(0); };
      EXPECT_EQ(mark().AsArray().Get(0).AsInt(), FlagPicture(true, "TD_CHECKED").AsArray().Get(0).AsInt());
      BrowseOf(d.hwnd)->GoUp();
      EXPECT_EQ(mark().AsArray().Get(0).AsInt(), FlagPicture(false, "TD_UNCHECKED").AsArray().Get(0).AsInt());
      EXPECT_NE(mark().AsArray().Get(0).AsInt(), FlagPicture(true, "TD_CHECKED").AsArray().Get(0).AsInt());
      BrowseOf(d.hwnd)->GoDown();
      Shot(d.hwnd, "dict_import_tables");
      return IDOK;
    });
    EXPECT_EQ(ImportTables(lote), 1);
  }
  EXPECT_EQ(X(TDictQZ::AliasOf("Tablas") + "->(OrdKeyCount())").AsInt(), 2);

  RunDictionaryButton("Tablas");
  TBrwDataQZ* tablas = DictionaryList("Tablas");
  ASSERT_NE(tablas, nullptr);
  EXPECT_EQ(tablas->browse()->nLen, 2);
  ASSERT_NE(tablas->tabs(), nullptr);
  EXPECT_EQ(tablas->tabs()->aPrompts.size(), 4u);
  EXPECT_EQ(Children(tablas->bar()->hWnd), 10) << "six buttons, three of the table's, exit";
  vdr::test::PumpPending();
  Shot(frame->hWnd, "dict_window_tables");

  // Fields: one in an index key cannot be deleted; another is, after the question.
  RunDictionaryButton("Campos");
  TBrwDataQZ* campos = DictionaryList("Campos");
  ASSERT_NE(campos, nullptr);
  EXPECT_EQ(campos->browse()->nLen, 4) << "three of CLIEN01, one of ZONAS";
  {
    // "Selec." shows the field's visibility as a picture.
    campos->browse()->GoTop();
    const Value cell = campos->browse()->bLine.AsBlock().Eval().AsArray().Get(0);
    ASSERT_TRUE(cell.IsArray());
    EXPECT_EQ(cell.AsArray().Get(0).AsInt(), FlagPicture(true, "ACTIVO").AsArray().Get(0).AsInt());
  }
  std::vector<std::string> said;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      said.push_back(d.AllText());
      return d.ButtonId("Sí") != 0 ? d.ButtonId("Sí") : Ok(d);
    });
    campos->browse()->GoTop();
    EXPECT_TRUE(campos->BrowseKeys('e'));  // CODCLI: in the tag CodCli
    campos->browse()->GoDown();
    campos->browse()->GoDown();
    EXPECT_TRUE(campos->BrowseKeys('E'));  // SALDO
  }
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0], "No se puede borrar este campo, forma parte de la expresión\r\nde un índice o de una relación");
  EXPECT_EQ(said[1], "¿ Desea eliminar este campo ?");
  EXPECT_EQ(campos->browse()->nLen, 3);

  // The search seeks the current index softly and puts SET SOFTSEEK back.
  {
    DialogAnswerer answer([](const SeenDialog& d) {
      if (d.title != " Localizar") return Ok(d);
      SetDlgItemTextA(d.hwnd, 101, "NOM");
      return IDOK;
    });
    xb::SetValue(xb::SET_SOFTSEEK, Value::Logical(false));
    campos->browse()->GoTop();
    X(TDictQZ::AliasOf("Campos") + "->(OrdSetFocus('Campo'))");
    campos->SearchRecord();
  }
  EXPECT_EQ(std::string(xb::AllTrim(X(TDictQZ::AliasOf("Campos") + "->CAMPO").AsString())), "NOMBRE");
  EXPECT_FALSE(xb::GetSetValue(xb::SET_SOFTSEEK).AsLogical());

  // A field added by its dialog; the same name in the same table again is refused.
  std::vector<std::string> field_texts;
  {
    int round = 0;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == "Añadir campo") {
        HWND general = FieldPage(d.hwnd, 1);
        SetDlgItemTextA(general, 101, "CLIEN01");
        SetDlgItemTextA(general, 102, round == 0 ? "NUEVO" : "NOMBRE");
        SendMessageA(GetDlgItem(general, 103), CB_SETCURSEL, 1, 0);
        SetDlgItemTextA(general, 104, "5");
        SetDlgItemTextA(general, 112, "4");
        SetDlgItemTextA(general, 106, "Nuevo campo");
        if (round++ == 0) return IDOK;
        Click(d.hwnd, IDOK);
        return IDCANCEL;
      }
      field_texts.push_back(d.AllText());
      return Ok(d);
    });
    EXPECT_TRUE(campos->BrowseKeys('A'));
    EXPECT_TRUE(campos->BrowseKeys('A'));
  }
  EXPECT_EQ(field_texts, std::vector<std::string>{"Nombre duplicado"});
  vdr::test::PumpPending();
  EXPECT_EQ(campos->browse()->nLen, 4);
  EXPECT_EQ(std::string(xb::AllTrim(X(TDictQZ::AliasOf("Campos") + "->(DBGoBottom(), Str(LastRec(), 1), Tipo + Str(Longitud, 3))").AsString())), "N  5");

  // A field's coded values.
  {
    bool listing = false;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == "Valores predefinidos") {
        if (listing) return 0;
        listing = true;
        Click(d.hwnd, 400);
        Shot(d.hwnd, "dict_coded_values");
        return IDCANCEL;
      }
      SetDlgItemTextA(d.hwnd, 101, "A");
      SetDlgItemTextA(d.hwnd, 102, "Alta");
      return IDOK;
    });
    EditCodedValues("CLIEN01", "CODCLI");
  }
  EXPECT_EQ(std::string(xb::AllTrim(X(TDictQZ::AliasOf("CampoRes") + "->(DBGoTop(), AllTrim(Campo) + Valor + Resulta)").AsString())),
            "CODCLIA  Alta");

  // The expression builder appends its operators and the chosen field.
  std::string builder;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title != " Constructor de expresiones") return 0;
      Click(d.hwnd, 150);
      SendMessageA(GetDlgItem(d.hwnd, 110), LB_SETCURSEL, 1, 0);
      Click(d.hwnd, 120);
      Click(d.hwnd, 170);
      Click(d.hwnd, 270);
      Shot(d.hwnd, "dict_expression_builder");
      return IDOK;
    });
    builder = ExpBuilder("CLIEN01", "CODCLI");
  }
  EXPECT_EQ(builder, "CODCLI = NOMBRE .and.  ( ");

  // A relation path is chosen by its description.
  {
    DialogAnswerer answer([](const SeenDialog& d) {
      SendMessageA(GetDlgItem(d.hwnd, 100), CB_SETCURSEL, 1, 0);
      return IDOK;
    });
    EXPECT_EQ(X("TI_SELECTRELACION({'Cliente del albarán', 'Cliente de la factura'})").AsInt(), 2);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, " Seleccione campo de la relación");
  }

  // A document header designed, saved with its item and test-printed by the listing driver.
  std::vector<std::string> printed;
  xb::RegisterFunction("SELLISTAR", [&printed](xb::Args& a) {
    printed.push_back(std::string(a.Str(5)) + " / " + std::string(a.Str(20)));
    return Value();
  });
  // The list is a dialog of its own: a header added from it, the list showing it.
  int header_rows = -1;
  {
    bool listing = false, designing = false;  // the answerer comes back while an inner dialog is open
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == "Ca(B)eceras de informes") {
        if (listing) return 0;
        listing = true;
        TBrwDataQZ* headers = DictionaryList("Cabeceras");
        EXPECT_NE(headers, nullptr);
        if (headers != nullptr) {
          EXPECT_TRUE(headers->BrowseKeys('A'));
        }
        ui::TWBrowse* list = dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, 100)).get());
        header_rows = list != nullptr ? list->nLen : -1;
        Shot(d.hwnd, "dict_header_list");
        return 510;
      }
      if (d.title == " Añadir cabecera") {
        if (designing) return 0;
        designing = true;
        SetDlgItemTextA(d.hwnd, 101, "A01");
        SetDlgItemTextA(d.hwnd, 102, "Albaranes");
        SetDlgItemTextA(d.hwnd, 103, "45,5");
        Click(d.hwnd, 400);
        Click(d.hwnd, 403);
        Shot(d.hwnd, "dict_header");
        return IDOK;
      }
      if (d.title == " Añadir elemento de cabecera") {
        SetDlgItemTextA(d.hwnd, 101, "Mi empresa");
        SetDlgItemTextA(d.hwnd, 102, "12,5");
        SendMessageA(GetDlgItem(d.hwnd, 110), CB_SETCURSEL, 2, 0);
        return IDOK;
      }
      return Ok(d);
    });
    RunDictionaryButton("Ca(B)eceras de informes");
  }
  EXPECT_EQ(DictionaryList("Cabeceras"), nullptr) << "the list closed with its dialog";
  EXPECT_EQ(printed, std::vector<std::string>{"Nombre de listado / A01"});
  Header saved;
  ASSERT_TRUE(LoadHeader(TDictQZ::AliasOf("CabeH"), TDictQZ::AliasOf("CabeD"), "A01", &saved));
  EXPECT_EQ(saved.descrip, "Albaranes");
  EXPECT_DOUBLE_EQ(saved.posicion, 45.5);
  ASSERT_EQ(saved.items.size(), 1u);
  EXPECT_EQ(saved.items[0].texto, "Mi empresa");
  EXPECT_DOUBLE_EQ(saved.items[0].linea, 12.5);
  EXPECT_EQ(saved.items[0].ajuste, "D");
  EXPECT_EQ(header_rows, 1);

  // Categories: added by their dialog, a code taken refused, one in use not deleted.
  RunDictionaryButton("Categorías");
  TBrwDataQZ* categories = DictionaryList("Categorias");
  ASSERT_NE(categories, nullptr);
  std::vector<std::string> category_texts;
  {
    int round = 0;
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == " Añadir categoría") {
        SetDlgItemTextA(d.hwnd, 101, "VEN");
        SetDlgItemTextA(d.hwnd, 102, "Ventas");
        SendMessageA(GetDlgItem(d.hwnd, 103), CB_SETCURSEL, 1, 0);
        if (round++ == 0) {
          Shot(d.hwnd, "dict_category");
          return IDOK;
        }
        Click(d.hwnd, IDOK);  // refused: the dialog stays
        return IDCANCEL;
      }
      category_texts.push_back(d.AllText());
      return Ok(d);
    });
    EXPECT_TRUE(categories->BrowseKeys('a'));
    EXPECT_TRUE(categories->BrowseKeys('+'));  // the same code again
  }
  vdr::test::PumpPending();
  EXPECT_EQ(categories->browse()->nLen, 1);
  EXPECT_EQ(std::string(xb::AllTrim(X(TDictQZ::AliasOf("Categor") + "->(DBGoTop(), AllTrim(CATEGORIA) + INFDOC)").AsString())), "VEND");
  EXPECT_EQ(category_texts, std::vector<std::string>{"Nombre duplicado"});
  X(TDictQZ::AliasOf("SubCat") + "->(DBAppend(), FieldPut(1, 'S1'), FieldPut(3, 'VEN'), DBCommit(), DBUnlock())");
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      category_texts.push_back(d.AllText());
      return Ok(d);
    });
    categories->browse()->GoTop();
    EXPECT_TRUE(categories->BrowseKeys('E'));
  }
  EXPECT_EQ(category_texts.back(), "Es imposible borrar la categoría por tener subcategorías asociadas");

  // A relation by its dialog: its key checked on the destination's tag; an environment.
  RunDictionaryButton("Relaciones");
  TBrwDataQZ* relations = DictionaryList("Relaciones");
  ASSERT_NE(relations, nullptr);
  std::vector<std::string> relation_texts;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == " Mantenimiento de relaciones") {
        SetDlgItemTextA(d.hwnd, 101, "ALBARAN");
        SetDlgItemTextA(d.hwnd, 102, "CLIEN01");
        SetDlgItemTextA(d.hwnd, 103, "Nada");
        SetDlgItemTextA(d.hwnd, 104, "CodCli");
        Click(d.hwnd, IDOK);  // no such tag: refused
        SetDlgItemTextA(d.hwnd, 103, "CodCli");
        CheckDlgButton(d.hwnd, 107, BST_CHECKED);
        return IDOK;
      }
      relation_texts.push_back(d.AllText());
      return Ok(d);
    });
    EXPECT_TRUE(relations->BrowseKeys('A'));
  }
  EXPECT_EQ(relation_texts, std::vector<std::string>{"Expresión incorrecta"});
  EXPECT_EQ(X(TDictQZ::AliasOf("Relacion") + "->(DBGoTop(), Str(IdRel, 1) + AllTrim(TabOrigen) + AllTrim(IndDestino))").AsString(),
            "1ALBARANCodCli");
  // A second relation joins ZONAS to CLIEN01 through ALBARAN; changing it to not direct takes
  // the path away, changing it back puts it again; deleting the first takes it away too.
  X(TDictQZ::AliasOf("Indices") + "->(DBAPPEND(), FIELDPUT(FIELDPOS('TABLA'), 'ALBARAN'), "
    "FIELDPUT(FIELDPOS('TAG'), 'Numero'), DBCOMMIT(), DBUNLOCK())");
  const auto paths = [] {
    std::string out;
    WorkArea* reltab = WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(TDictQZ::AliasOf("RelTab")));
    for (reltab->GoTop(); !reltab->eof(); reltab->Skip(1)) {
      out += std::string(xb::AllTrim(reltab->GetField(reltab->FieldPos("TABORIGEN")).AsString())) + ">" +
             std::string(xb::AllTrim(reltab->GetField(reltab->FieldPos("TABDESTINO")).AsString())) +
             std::to_string(reltab->GetField(reltab->FieldPos("IDREL")).AsInt()) +
             std::to_string(reltab->GetField(reltab->FieldPos("IDDIRECTA")).AsInt()) + ";";
    }
    return out;
  };
  const auto relation_dialog = [](bool direct, const char* description) {
    return [direct, description](const SeenDialog& d) {
      if (d.title != " Mantenimiento de relaciones") return 0;
      SetDlgItemTextA(d.hwnd, 101, "ZONAS");
      SetDlgItemTextA(d.hwnd, 102, "ALBARAN");
      SetDlgItemTextA(d.hwnd, 103, "Numero");
      SetDlgItemTextA(d.hwnd, 104, "CodZona");
      SetDlgItemTextA(d.hwnd, 106, description);
      CheckDlgButton(d.hwnd, 107, direct ? BST_CHECKED : BST_UNCHECKED);
      return IDOK;
    };
  };
  {
    DialogAnswerer answer(relation_dialog(true, "Zona del albarán"));
    EXPECT_TRUE(relations->BrowseKeys('A'));
  }
  EXPECT_EQ(paths(), "ZONAS>CLIEN0121;");
  const auto to_zonas = [] {
    X(TDictQZ::AliasOf("Relacion") + "->(DBGoTop(), DBSkip(1))");
  };
  std::vector<std::string> shown;
  {
    to_zonas();
    DialogAnswerer answer([&](const SeenDialog& d) {
      shown = {ItemText(d.hwnd, 101), IsDlgButtonChecked(d.hwnd, 107) == BST_CHECKED ? "directa" : ""};
      CheckDlgButton(d.hwnd, 107, BST_UNCHECKED);
      return IDOK;
    });
    EXPECT_TRUE(relations->BrowseKeys('M'));
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"ZONAS", "directa"})) << "the dialog shows the relation changed";
  EXPECT_EQ(paths(), "");
  EXPECT_EQ(X(TDictQZ::AliasOf("Relacion") + "->(DBGoTop(), DBSkip(1), Str(IdRel, 1) + AllTrim(TabOrigen))").AsString(),
            "2ZONAS") << "a changed relation keeps its number";
  {
    to_zonas();
    DialogAnswerer answer(relation_dialog(true, "Zona"));
    EXPECT_TRUE(relations->BrowseKeys('M'));
  }
  EXPECT_EQ(paths(), "ZONAS>CLIEN0121;");
  EXPECT_EQ(X(TDictQZ::AliasOf("Relacion") + "->(OrdKeyCount())").AsInt(), 2);
  {
    // The pairs listed by the indirect-relations button.
    std::vector<std::string> pairs;
    DialogAnswerer answer([&](const SeenDialog& d) {
      ui::TWBrowse* list = BrowseOf(d.hwnd);
      if (list != nullptr) pairs.push_back(d.title + ":" + std::to_string(list->nLen));
      Shot(d.hwnd, "dict_indirect_relations");
      return IDOK;
    });
    ASSERT_NE(relations->bar(), nullptr);
    bool pressed = false;
    for (const auto& extra : relations->aExtraButtons)
      if (extra.caption == "Relaciones indirectas") {
        extra.action();
        pressed = true;
      }
    EXPECT_TRUE(pressed);
    EXPECT_EQ(pairs, std::vector<std::string>{" Relaciones indirectas:1"});
  }
  {
    X(TDictQZ::AliasOf("Relacion") + "->(DBGoTop())");
    DialogAnswerer answer([](const SeenDialog& d) { return d.ButtonId("Sí") != 0 ? d.ButtonId("Sí") : Ok(d); });
    EXPECT_TRUE(relations->BrowseKeys('E'));
  }
  EXPECT_EQ(paths(), "");
  EXPECT_EQ(X(TDictQZ::AliasOf("Relacion") + "->(DBGoTop(), Str(IdRel, 1))").AsString(), "2");
  const std::string indices = TDictQZ::AliasOf("Indices");
  const std::string order = std::to_string(X(indices + "->(INDEXORD())").AsInt());
  X(indices + "->(ORDSETFOCUS(0), DBGOBOTTOM(), RLOCK(), DBDELETE(), DBUNLOCK(), ORDSETFOCUS(" + order + "))");

  RunDictionaryButton("Entornos");
  TBrwDataQZ* environments = DictionaryList("Entornos");
  ASSERT_NE(environments, nullptr);
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      SetDlgItemTextA(d.hwnd, 101, "VENTAS");
      SetDlgItemTextA(d.hwnd, 102, "Ventas");
      // The tables by the list's buttons: CLIEN01, then ALBARAN moved up to be the initial one.
      for (const char* t : {"CLIEN01", "ALBARAN", "CLIEN01"}) {
        SetDlgItemTextA(d.hwnd, 104, t);
        Click(d.hwnd, 105);
      }
      SendDlgItemMessageA(d.hwnd, 103, LB_SETCURSEL, 1, 0);
      Click(d.hwnd, 107);
      Shot(d.hwnd, "dict_environment");
      return IDOK;
    });
    EXPECT_TRUE(environments->BrowseKeys('A'));
  }
  EXPECT_EQ(X(TDictQZ::AliasOf("Entorno") + "->(OrdKeyCount())").AsInt(), 2);
  EXPECT_EQ(std::string(xb::AllTrim(X(TDictQZ::AliasOf("Entorno") + "->(OrdSetFocus(1), DBGoTop(), AllTrim(Tabla) + Inicial)").AsString())),
            "ALBARANS") << "the first in the list is the initial one";

  // An expression saved with its function's name and checked over its table.
  xb::RegisterFunction("SALDOCLIENTE", [](xb::Args&) { return Value::Integer(1); });
  data::cPathDbf(folder_.path());  // the company's folder, where the imported table lives
  RunDictionaryButton("Expresiones");
  TBrwDataQZ* expressions = DictionaryList("Expresiones");
  ASSERT_NE(expressions, nullptr);
  std::vector<std::string> expression_texts;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (d.title == " Mantenimiento de expresiones") {
        SetDlgItemTextA(d.hwnd, 101, "SALDO");
        SetDlgItemTextA(d.hwnd, 103, "CLIEN01");
        SetDlgItemTextA(d.hwnd, 104, "SaldoCliente( cAlias )");
        Click(d.hwnd, 110);
        return IDOK;
      }
      expression_texts.push_back(d.AllText());
      return Ok(d);
    });
    EXPECT_TRUE(expressions->BrowseKeys('A'));
  }
  EXPECT_EQ(expression_texts, std::vector<std::string>{"Expresión correcta"});
  EXPECT_EQ(std::string(xb::AllTrim(X(TDictQZ::AliasOf("Expresio") + "->(DBGoTop(), EXPRESION)").AsString())), "SaldoCliente");

  // Deleting the table takes its fields and indexes.
  {
    DialogAnswerer answer([](const SeenDialog& d) { return d.ButtonId("Sí") != 0 ? d.ButtonId("Sí") : Ok(d); });
    tablas->browse()->GoTop();
    EXPECT_TRUE(tablas->BrowseKeys('E'));
  }
  EXPECT_EQ(X(TDictQZ::AliasOf("Indices") + "->(AdsKeyCount())").AsInt(), 0);  // none SET DELETED shows

  HWND closing = frame->hWnd;
  X("oDic:End()");
  EXPECT_EQ(DictionaryFrame(), nullptr);
  EXPECT_TRUE(vdr::test::PumpUntil([closing] { return !IsWindow(closing); }));
  EXPECT_TRUE(X("SELECT('Tablas1') == 0").AsLogical());
}

}  // namespace
}  // namespace reports
