// The dictionary's lists as compiled text and the user reach them: the maintenance methods
// of TDictQZ, the browser's right-button menu and its slot, the environments, the pickers of
// the index and relation dialogs and "Comprobar relaciones" with the window open.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "reports/win/dictionary_window.h"
#include "reports/win/report_window_test_support.h"
#include "reports/win/tbrwdataqz.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/menu_access.h"
#include "services/user_look.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "tests/support/window_text.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::ItemText;
using testing::Ok;
using testing::Post;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

std::string S(const std::string& text) { return std::string(xb::AllTrim(X(text).AsString())); }

ui::TWBrowse* BrowseOf(HWND dialog) {
  return dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(dialog, 110)).get());
}

// The choice dialog's row `row` (from 0) chosen.
int Choose(const SeenDialog& d, int row) {
  HWND browse = GetDlgItem(d.hwnd, 110);
  SendMessageA(browse, WM_KEYDOWN, VK_HOME, 0);
  for (int i = 0; i < row; ++i) SendMessageA(browse, WM_KEYDOWN, VK_DOWN, 0);
  return 550;
}

class DictionaryListsTest : public testing::ReportWindowTest<> {
 protected:
  DictionaryListsTest() : ReportWindowTest({.user = "05", .window_functions = true, .outputs = false, .dictionary = false}) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    data::nHandlers(255);
    X("(oDic := TDictQZ():New('" + data::cPathInforme() + "'), nil)");
    ASSERT_TRUE(X("oDic:Activate()").AsLogical());
    ASSERT_NE(DictionaryFrame(), nullptr);
  }
  void TearDown() override {
    if (DictionaryFrame() != nullptr) {
      HWND closing = DictionaryFrame()->hWnd;
      X("oDic:End()");
      vdr::test::PumpUntil([closing] { return !IsWindow(closing); });
    }
    ReportWindowTest::TearDown();
  }
  std::string Alias(const char* table) { return TDictQZ::AliasOf(table); }
  void Append(const char* table, const std::string& assignments) {
    X(Alias(table) + "->(DBAPPEND(), " + assignments + ", DBCOMMIT(), DBUNLOCK())");
  }
  // Two described tables: ALBARAN, and CLIENTES with its fields and two tags.
  void Describe() {
    Append("Tablas", "TABLA := 'ALBARAN', DESCRIPC := 'Albaranes'");
    Append("Tablas", "TABLA := 'CLIENTES', DESCRIPC := 'Clientes', FICHERO := 'Clientes'");
    Append("Campos", "TABLA := 'CLIENTES', ORDEN := 1, CAMPO := 'CODCLI', TIPO := 'C', LONGITUD := 6");
    Append("Campos", "TABLA := 'CLIENTES', ORDEN := 2, CAMPO := 'NOMBRE', TIPO := 'C', LONGITUD := 40");
    Append("Indices", "TABLA := 'CLIENTES', ORDEN := 1, TAG := 'CodCli', EXPRESION := 'CodCli'");
    Append("Indices", "TABLA := 'CLIENTES', ORDEN := 2, TAG := 'Nombre', EXPRESION := 'Upper(Nombre)', "
                      "DESCRIPC := 'Por nombre'");
  }
};

// Each maintenance method sent to the dictionary opens its list in the dictionary's window.
TEST_F(DictionaryListsTest, TheMaintenanceMethodsOpenTheirListsFromCompiledText) {
  Describe();
  struct Case {
    const char* call;
    const char* list;
    const char* caption;
  };
  for (const Case& c : {Case{"oDic:Tablas()", "Tablas", "Tablas auxiliares"},
                        Case{"oDic:Campos('CLIENTES')", "Campos", "Campos de Clientes"},
                        Case{"oDic:Indices()", "Indices", "Indices"},
                        Case{"oDic:Relaciones()", "Relaciones", "Relaciones"},
                        Case{"oDic:Expresiones()", "Expresiones", "Expresiones"},
                        Case{"oDic:Entornos()", "Entornos", "Entornos para expresiones"},
                        Case{"oDic:Categorias()", "Categorias", "Categorías de informes"},
                        Case{"oDic:SubCat()", "Subcategorias", "Subcategorías de informes"},
                        Case{"oDic:GrafCate()", "GrafCat", "Categorías de gráficos"},
                        Case{"oDic:Graficos()", "Graficos", "Gráficos"}}) {
    X(c.call);
    TBrwDataQZ* list = DictionaryList(c.list);
    ASSERT_NE(list, nullptr) << c.call;
    EXPECT_EQ(vdr::test::WindowText(list->window()->hWnd), c.caption) << c.call;
  }
  EXPECT_EQ(DictionaryList("Campos")->browse()->nLen, 2) << "the fields of CLIENTES";
  // The dialog of the headers and the trees run until closed.
  Append("Categor", "CATEGORIA := 'VEN', DESCRIPC := 'Ventas', INFDOC := 'I'");
  Append("GrafCat", "CODIGO := 'G1', DESCRIPC := 'Gráficos de ventas'");
  std::vector<std::string> titles;
  DialogAnswerer close([&](const SeenDialog& d) {
    titles.push_back(d.title);
    PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
    return 0;
  });
  X("oDic:CabInformes()");
  EXPECT_TRUE(X("oDic:Arbol_Informes()").AsLogical());
  EXPECT_TRUE(X("oDic:Arbol_Graficos()").AsLogical());
  EXPECT_EQ(titles, (std::vector<std::string>{"Ca(B)eceras de informes", "Informes", "Gráficos"}));
}

// The maintenance of one row sent to the dictionary from compiled text works on the current
// row of its table, with the dialogs, questions and refusals of the lists' buttons.
TEST_F(DictionaryListsTest, TheRowMethodsWorkOnTheCurrentRowFromCompiledText) {
  Describe();
  Append("Campos", "TABLA := 'CLIENTES', ORDEN := 3, CAMPO := 'POBLAC', TIPO := 'C', LONGITUD := 20, VISIBLE := 'S'");
  Append("Categor", "CATEGORIA := 'VEN', DESCRIPC := 'Ventas', INFDOC := 'I'");
  Append("Informes", "INFORME := 'R1', CATEGORIA := 'VEN'");
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea& campos = *areas.Area(areas.AreaOfAlias(Alias("Campos")));
  // The row of `field` stood on; false when there is none.
  const auto on_field = [&](const char* field) {
    for (campos.GoTop(); !campos.eof(); campos.Skip(1))
      if (xb::AllTrim(campos.GetField(campos.FieldPos("CAMPO")).AsString()) == field) return true;
    return false;
  };
  struct Case {
    const char* field;    // the Campos row stood on first (none: as it is)
    std::string call;
    const char* dialog;   // the method's own dialog, answered with `button`
    int button;
    std::vector<std::string> said;  // the other boxes' texts, each answered yes / OK
    const char* result;   // the answer as compiled text compares it
    std::vector<std::pair<int, const char*>> typed = {};  // into the method's dialog first
  };
  const std::vector<Case> cases = {
      {"CODCLI", "oDic:CheckInd()", nullptr, 0, {}, ".T."},
      {nullptr, "oDic:CheckInd('CLIENTES', 'POBLAC')", nullptr, 0, {}, ".F."},
      {"CODCLI", "oDic:DelCampo()", nullptr, 0,
       {"No se puede borrar este campo, forma parte de la expresión\r\nde un índice o de una relación"}, ".F."},
      {"POBLAC", "oDic:SelCampo()", nullptr, 0, {}, ".T."},
      {"POBLAC", Alias("Campos") + "->VISIBLE", nullptr, 0, {}, "'N'"},
      {"POBLAC", "oDic:MngCampo(.T.)", "Modificar campo", IDCANCEL, {}, ".F."},
      {nullptr, "oDic:MngCampo(.F.)", "Añadir campo", IDCANCEL, {}, ".F."},
      {nullptr, "oDic:ExpBuilder('CLIENTES', 'CodCli')", " Constructor de expresiones", IDCANCEL, {}, "'CodCli'"},
      {nullptr, "oDic:MngCategorias(1)", " Añadir categoría", IDCANCEL, {}, ".F."},
      {nullptr, "oDic:MngCategorias(3)", " Eliminar categoría", IDOK,
       {"Es imposible borrar la categoría por tener informes asociados"}, ".F."},
      {"POBLAC", "oDic:DelCampo()", nullptr, 0, {"¿ Desea eliminar este campo ?"}, ".T."},
      {nullptr, "oDic:GuardaExpresion(.T., {'VENTAS', 'Ventas', 'CLIENTES', 'VentasMes( cAlias )', '', '', '', .F., ''})",
       nullptr, 0, {}, ".T."},
      {nullptr, Alias("Expresio") + "->(DBGOTOP(), AllTrim(EXPRESION))", nullptr, 0, {}, "'VentasMes'"},
      {nullptr, "oDic:GuardaExpresion(.T., {'VENTAS', 'Otra', 'CLIENTES', '', '', '', '', .F., ''})", nullptr, 0,
       {"Nombre duplicado"}, ".F."},
      {nullptr, "oDic:ExprColumnas(.F.)", " Columnas de la expresión", IDOK, {}, ".T.", {{102, "Unidades"}, {104, "10"}}},
      {nullptr, "oDic:ExprColumnas(.T., 1)", " Columnas de la expresión", IDOK, {}, ".T.", {{102, "Unidades vendidas"}}},
      {nullptr, "oDic:ExprColumnas(.T., 7)", nullptr, 0, {}, ".F."},
      {nullptr, Alias("ExprCol") + "->(DBGOTOP(), Str(PARAMETRO, 2) + AllTrim(DESCRIPC))", nullptr, 0, {},
       "' 1Unidades vendidas'"},
      {nullptr, "oDic:ConstruyeArbol()", nullptr, 0, {}, ".F."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    if (c.field != nullptr) ASSERT_TRUE(on_field(c.field));
    if (c.call.starts_with("oDic:MngCategorias")) X(Alias("Categor") + "->(DBGOTOP())");
    std::vector<std::string> said;
    bool dialog_seen = false;
    Value answer;
    {
      DialogAnswerer answerer([&](const SeenDialog& d) {
        if (!IsWindowEnabled(d.hwnd)) return 0;
        if (c.dialog != nullptr && d.title == c.dialog) {
          dialog_seen = true;
          for (const auto& [id, text] : c.typed) SetDlgItemTextA(d.hwnd, id, text);
          return c.button;
        }
        said.push_back(d.AllText());
        return d.ButtonId("Sí") != 0 ? d.ButtonId("Sí") : Ok(d);
      });
      answer = X("(xAnswer := " + c.call + ", xAnswer == " + c.result + ")");
    }
    EXPECT_TRUE(answer.IsLogical() && answer.AsLogical()) << "answered a " << S("ValType(xAnswer)");
    EXPECT_EQ(dialog_seen, c.dialog != nullptr);
    EXPECT_EQ(said, c.said);
  }
  EXPECT_FALSE(on_field("POBLAC")) << "deleted by the second DELCAMPO";
  // ConstruyeArbol lays the open tree out again.
  Value rebuilt;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      if (d.title == "Informes" && rebuilt.IsNil()) rebuilt = X("oDic:ConstruyeArbol('R1')");
      PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
      return 0;
    });
    X("oDic:Arbol_Informes()");
  }
  EXPECT_TRUE(rebuilt.IsLogical() && rebuilt.AsLogical());
  EXPECT_TRUE(on_field("CODCLI")) << "refused";
  // Without an open dictionary nothing is done.
  HWND closing = DictionaryFrame()->hWnd;
  X("oDic:End()");
  vdr::test::PumpUntil([closing] { return !IsWindow(closing); });
  EXPECT_TRUE(X("oDic:SelCampo()").IsNil());
}

// Ending the dictionary clears the check mark of the menu option that opened it.
TEST_F(DictionaryListsTest, EndClearsTheMenuMarkOfItsOption) {
  const auto item = ui::TMenuItem::New({.prompt = "Diccionario"});
  svc::ClearMenuOptions();
  svc::SetMenuOption(1, {item, "Diccionario", '2'});
  item->SetCheck(true);
  X("oDic:nMnu2Option := 1");
  HWND closing = DictionaryFrame()->hWnd;
  X("oDic:End()");
  vdr::test::PumpUntil([closing] { return !IsWindow(closing); });
  EXPECT_FALSE(item->lChecked);
  svc::ClearMenuOptions();
}

// The window's text is the window text's system colour on the user's background of
// disabled fields.
TEST_F(DictionaryListsTest, TheWindowTakesTheUsersDisabledFieldBackground) {
  X("oDic:End()");
  svc::LookSet(svc::Look::kDisable2, Value::Integer(0x00C0E0F0));
  ASSERT_TRUE(X("oDic:Activate()").AsLogical());
  ASSERT_NE(DictionaryFrame(), nullptr);
  EXPECT_EQ(DictionaryFrame()->nClrPane, 0x00C0E0F0u);
  EXPECT_EQ(DictionaryFrame()->nClrText, GetSysColor(COLOR_WINDOWTEXT));
  svc::ResetLook();
}

// OpenTable opens a described table by its name from the company's folder; an unknown one
// is told.
TEST_F(DictionaryListsTest, OpenTableOpensADescribedTableOrSaysItIsNotThere) {
  Describe();
  data::cPathDbf(folder_.path());
  ASSERT_TRUE(X("DBCREATE('" + folder_.path() + "Clientes.dbf', {{'CODCLI', 'C', 6, 0}, {'NOMBRE', 'C', 40, 0}}, 'ADS')")
                  .AsLogical());
  EXPECT_EQ(X("oDic:OpenTable('clientes')").AsString(), "CLIENTES");
  EXPECT_TRUE(X("CLIENTES->(FieldPos('NOMBRE')) == 2").AsLogical());
  X("CLIENTES->(DBCLOSEAREA())");
  EXPECT_EQ(X("oDic:OpenTable('CLIENTES', 'CLI')").AsString(), "CLI");
  X("CLI->(DBCLOSEAREA())");
  DialogAnswerer answer(Ok);
  EXPECT_FALSE(X("oDic:OpenTable('NADA')").AsLogical());
  ASSERT_EQ(answer.seen().size(), 1u);
  EXPECT_EQ(answer.seen()[0].AllText(), "Tabla NADA no encontrada");
  EXPECT_EQ(answer.seen()[0].title, "Atención");
}

// The browser's right button opens the bar's options as a menu; while open the list holds a
// slot of the dictionary's open-browse list, which closing frees.
TEST_F(DictionaryListsTest, TheBrowserHasItsRightButtonMenuAndASlotWhileOpen) {
  Describe();
  const std::vector<std::string> all_free(15, "F");
  const auto slots = [] {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < TDictQZ::alOpen().size(); ++i)
      out.push_back(TDictQZ::alOpen().Get(i).IsLogical() && TDictQZ::alOpen().Get(i).AsLogical() ? "T" : "F");
    return out;
  };
  ASSERT_EQ(slots(), all_free);
  X("oDic:Tablas()");
  X("oDic:Relaciones()");
  TBrwDataQZ* tablas = DictionaryList("Tablas");
  TBrwDataQZ* relaciones = DictionaryList("Relaciones");
  ASSERT_NE(tablas, nullptr);
  ASSERT_NE(relaciones, nullptr);
  EXPECT_EQ(tablas->nOpenBrowse, 1);
  EXPECT_EQ(relaciones->nOpenBrowse, 2);
  EXPECT_EQ(X("oDic:aoBrws[1]").AsObject().get(), tablas->browse());
  EXPECT_TRUE(X("oDic:alOpen[2]").AsLogical());

  static std::function<void()> on_timer;
  std::vector<std::string> prompts;
  on_timer = [&] {
    auto* menu = dynamic_cast<ui::TMenu*>(tablas->browse()->oPopup.get());
    if (menu == nullptr) return;
    for (const auto& item : menu->aItems) prompts.push_back(item->cPrompt);
    EndMenu();
    on_timer = nullptr;
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    if (on_timer) on_timer();
  });
  tablas->browse()->bRClicked.AsBlock().Eval({Value::Integer(10), Value::Integer(10)});
  KillTimer(nullptr, timer);
  on_timer = nullptr;
  EXPECT_EQ(prompts, (std::vector<std::string>{"&Añadir", "&Modificar", "&Eliminar", "&Localizar", "&Imprimir",
                                               "&Fuentes", "", "Campos", "Indices", "Importar", "", "&Salir"}));

  tablas->End();
  vdr::test::PumpPending();
  std::vector<std::string> after = all_free;
  after[1] = "T";
  EXPECT_EQ(slots(), after) << "the relations keep theirs";
  EXPECT_TRUE(X("oDic:aoBrws[1] == NIL").AsLogical());
  X("oDic:Tablas()");
  EXPECT_EQ(DictionaryList("Tablas")->nOpenBrowse, 1) << "the freed slot is taken again";
}

// TI_REFFILTER sets a filtered list's order and value again and counts it; TI_REFSIZES sizes
// its columns to the letter of its font.
TEST_F(DictionaryListsTest, TiRefFilterAndTiRefSizesByName) {
  Describe();
  X("oDic:Campos('CLIENTES')");
  TBrwDataQZ* campos = DictionaryList("Campos");
  ASSERT_NE(campos, nullptr);
  ui::TWBrowse& browse = *campos->browse();
  EXPECT_EQ(browse.nLen, 2);
  // A field added by hand, leaving another order.
  Append("Campos", "TABLA := 'CLIENTES', ORDEN := 3, CAMPO := 'SALDO', TIPO := 'N', LONGITUD := 12");
  X(Alias("Campos") + "->(OrdSetFocus('Campo'))");
  EXPECT_EQ(xb::CallFunction("TI_REFFILTER", {browse.AsValue()}).AsInt(), 3);
  EXPECT_EQ(X(Alias("Campos") + "->(IndexOrd())").AsInt(), 1);
  EXPECT_EQ(browse.nMaxFilter, kFilterLimit);
  // Sizes made for a letter half as wide come out twice as wide.
  const int letter = LetterWidthOf(browse);
  ASSERT_GT(letter, 1);
  const std::int64_t first = browse.aColSizes.AsArray().Get(0).AsInt();
  const Value sizes = xb::CallFunction("TI_REFSIZES", {browse.AsValue(), Value::Integer(letter)});
  EXPECT_EQ(sizes.AsArray().Get(0).AsInt(), first) << "the same letter: the same sizes";
  if (letter % 2 == 0) {
    xb::CallFunction("TI_REFSIZES", {browse.AsValue(), Value::Integer(letter / 2)});
    EXPECT_EQ(browse.aColSizes.AsArray().Get(0).AsInt(), first * 2);
  }
}

// One row an environment, its initial one; deleting it takes all its tables.
TEST_F(DictionaryListsTest, EnvironmentsListOneRowEachAndDeleteWhole) {
  for (const char* row : {"ENTORNO := 'VENTAS', TABLA := 'ALBARAN', ORDEN := 1, INICIAL := 'S', DESCRIPC := 'Ventas'",
                          "ENTORNO := 'VENTAS', TABLA := 'CLIENTES', ORDEN := 2, DESCRIPC := 'Ventas'",
                          "ENTORNO := 'VENTAS', TABLA := 'ARTICULO', ORDEN := 3, DESCRIPC := 'Ventas'",
                          "ENTORNO := 'COMPRAS', TABLA := 'PEDIDOS', ORDEN := 1, INICIAL := 'S', DESCRIPC := 'Compras'",
                          "ENTORNO := 'COMPRAS', TABLA := 'PROVEED', ORDEN := 2, DESCRIPC := 'Compras'"})
    Append("Entorno", row);
  X("oDic:Entornos()");
  TBrwDataQZ* list = DictionaryList("Entornos");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->browse()->nLen, 2);
  list->browse()->GoTop();
  const std::string first = S(Alias("Entorno") + "->ENTORNO");
  {
    DialogAnswerer yes([](const SeenDialog& d) { return d.ButtonId("Sí") != 0 ? d.ButtonId("Sí") : Ok(d); });
    EXPECT_TRUE(list->BrowseKeys('E'));
  }
  EXPECT_EQ(list->browse()->nLen, 1);
  const std::string rest = first == "VENTAS" ? "COMPRAS" : "VENTAS";
  std::vector<std::string> left;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea& entorno = *areas.Area(areas.AreaOfAlias(Alias("Entorno")));
  entorno.SetControllingOrder(0);
  for (entorno.GoTop(); !entorno.eof(); entorno.Skip(1))
    if (!entorno.Deleted()) left.emplace_back(xb::AllTrim(entorno.GetField(1).AsString()));
  EXPECT_EQ(left, std::vector<std::string>(rest == "VENTAS" ? 3 : 2, rest));
}

// The index dialog picks its table and builds its key; the relation dialog picks its tables
// and the destination's tag.
TEST_F(DictionaryListsTest, TheIndexAndRelationDialogsPickTablesTagsAndKeys) {
  Describe();
  X("oDic:Indices()");
  TBrwDataQZ* indices = DictionaryList("Indices");
  ASSERT_NE(indices, nullptr);
  enum Step { kPickTable, kWaitTable, kBuild, kWaitBuilder, kRead, kDone };
  Step step = kPickTable;
  std::vector<std::string> seen, read;
  const auto answer_index = [&](const SeenDialog& d) {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Seleccione tabla") {
      seen.push_back(d.title);
      step = kBuild;
      return Choose(d, 1);  // Albaranes, Clientes: the second
    }
    if (d.title == " Constructor de expresiones") {
      seen.push_back(d.title);
      SendMessageA(GetDlgItem(d.hwnd, 110), LB_SETCURSEL, 1, 0);
      testing::Click(d.hwnd, 120);
      step = kRead;
      return IDOK;
    }
    if (d.title != "Añadir índice") return Ok(d);
    switch (step) {
      case kPickTable: step = kWaitTable; Post(d.hwnd, 113); return 0;
      case kBuild: step = kWaitBuilder; Post(d.hwnd, 105); return 0;
      case kRead:
        read = {ItemText(d.hwnd, 101), ItemText(d.hwnd, 104)};
        step = kDone;
        return IDCANCEL;
      default: return 0;
    }
  };
  {
    DialogAnswerer answer(answer_index);
    EXPECT_TRUE(indices->BrowseKeys('A'));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{" Seleccione tabla", " Constructor de expresiones"}));
  EXPECT_EQ(read, (std::vector<std::string>{"CLIENTES", "NOMBRE"}));

  X("oDic:Relaciones()");
  TBrwDataQZ* relations = DictionaryList("Relaciones");
  ASSERT_NE(relations, nullptr);
  int picker = 0;
  bool waiting = false;
  seen.clear();
  read.clear();
  const auto answer_relation = [&](const SeenDialog& d) {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title.starts_with(" Seleccione")) {
      seen.push_back(d.title + ":" + std::to_string(BrowseOf(d.hwnd)->nLen));
      waiting = false;
      // Origin: Albaranes; destination: Clientes; tag: "Por nombre".
      return Choose(d, picker == 1 ? 0 : 1);
    }
    if (d.title != " Mantenimiento de relaciones") return Ok(d);
    if (waiting) return 0;
    if (picker < 3) {
      waiting = true;
      Post(d.hwnd, 109 + picker++);
      return 0;
    }
    read = {ItemText(d.hwnd, 101), ItemText(d.hwnd, 102), ItemText(d.hwnd, 103)};
    return IDCANCEL;
  };
  {
    DialogAnswerer answer(answer_relation);
    EXPECT_TRUE(relations->BrowseKeys('A'));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{" Seleccione Tabla Origen:2", " Seleccione Tabla Destino:2",
                                            " Seleccione Indices:2"}));
  EXPECT_EQ(read, (std::vector<std::string>{"ALBARAN", "CLIENTES", "Nombre"}));
}

// Categories, subcategories, graphic categories and graphics are deleted from their own
// " Eliminar" dialog, reached by a click on the list's delete button: it shows the row read
// only, "Cancelar" keeps it, "Aceptar" deletes it; a row that others are filed under is kept
// with the reason.
TEST_F(DictionaryListsTest, CategoriesAndGraphicsAreDeletedFromTheirEliminarDialog) {
  struct Case {
    const char* call;
    const char* list;
    const char* table;
    std::string row;
    const char* title;
    std::vector<std::string> shown;  // controls 101 and 102
    const char* user_table;          // a row filed under it (none: nothing is)
    std::string user_row;
    const char* refusal;
  };
  const std::vector<Case> cases = {
      {"oDic:Categorias()", "Categorias", "Categor", "CATEGORIA := 'VEN', DESCRIPC := 'Ventas', INFDOC := 'I'",
       " Eliminar categoría", {"VEN", "Ventas"}, "Informes", "INFORME := 'R1', CATEGORIA := 'VEN'",
       "Es imposible borrar la categoría por tener informes asociados"},
      {"oDic:SubCat()", "Subcategorias", "SubCat", "SUBCAT := 'S1', DESCRIPC := 'Series', CATEGORIA := 'VEN'",
       " Eliminar subcategoría", {"S1", "Series"}, "Informes", "INFORME := 'R2', CATEGORIA := 'VEN', SUBCAT := 'S1'",
       "Es imposible borrar la subcategoría por tener informes asociados"},
      {"oDic:GrafCate()", "GrafCat", "GrafCat", "CODIGO := 'G1', DESCRIPC := 'Gráficos de ventas'",
       " Eliminar categoría de gráfico", {"G1", "Gráficos de ventas"}, "Graficos", "CODIGO := 'GX', CATEGORIA := 'G1'",
       "Es imposible borrar la categoría de gráficos por tener gráficos asociados"},
      {"oDic:Graficos()", "Graficos", "Graficos", "CODIGO := 'GV', CATEGORIA := 'G2', DESCRIPC := 'Ventas del mes'",
       " Eliminar gráfico", {"GV", "G2"}, nullptr, "", nullptr},
  };
  const auto live = [this](const char* table) {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    xb::rdd::WorkArea& a = *areas.Area(areas.AreaOfAlias(Alias(table)));
    const std::uint32_t at = a.recno();
    int n = 0;
    for (a.GoTop(); !a.eof(); a.Skip(1)) n += a.Deleted() ? 0 : 1;
    a.GoTo(at);
    return n;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Append(c.table, c.row);
    X(c.call);
    TBrwDataQZ* list = DictionaryList(c.list);
    ASSERT_NE(list, nullptr);
    list->browse()->GoTop();
    list->Refresh();
    const std::vector<ui::WindowRef> buttons = list->bar()->Buttons();
    ASSERT_GT(buttons.size(), 2u);
    HWND eliminar = buttons[2]->hWnd;
    const auto click = [eliminar] {
      RECT r{};
      GetClientRect(eliminar, &r);
      ASSERT_TRUE(vdr::test::MouseToClient(eliminar, {r.right / 2, r.bottom / 2}));
      vdr::test::LeftButton(true);
      vdr::test::LeftButton(false);
      vdr::test::PumpPending();
    };
    struct Seen {
      std::vector<std::string> titles, texts;
      std::vector<std::string> shown;
      bool read_only = false;
    };
    // The dialog answered with `button`, what shows on it and after it read.
    const auto delete_with = [&](int button) {
      Seen seen;
      DialogAnswerer answer([&](const SeenDialog& d) {
        if (!IsWindowEnabled(d.hwnd)) return 0;
        seen.titles.push_back(d.title);
        if (d.title != c.title) {
          seen.texts.push_back(d.AllText());
          return Ok(d);
        }
        seen.shown = {ItemText(d.hwnd, 101), ItemText(d.hwnd, 102)};
        seen.read_only = (GetWindowLongA(GetDlgItem(d.hwnd, 101), GWL_STYLE) & ES_READONLY) != 0 &&
                         (GetWindowLongA(GetDlgItem(d.hwnd, 102), GWL_STYLE) & ES_READONLY) != 0;
        if (button == IDOK && c.user_table == nullptr) testing::Shot(d.hwnd, "dict_delete_graphic");
        return button;
      });
      click();
      return seen;
    };
    if (c.user_table != nullptr) {
      Append(c.user_table, c.user_row);
      const Seen refused = delete_with(IDOK);
      EXPECT_EQ(refused.titles, (std::vector<std::string>{c.title, "Atención"}));
      EXPECT_EQ(refused.texts, std::vector<std::string>{c.refusal});
      EXPECT_EQ(live(c.table), 1) << "kept";
      X(Alias(c.user_table) + "->(DBGOBOTTOM(), RLOCK(), DBDELETE(), DBUNLOCK())");
    }
    const Seen cancelled = delete_with(IDCANCEL);
    EXPECT_EQ(cancelled.titles, std::vector<std::string>{c.title}) << "no other question";
    EXPECT_EQ(cancelled.shown, c.shown);
    EXPECT_TRUE(cancelled.read_only);
    EXPECT_EQ(live(c.table), 1);
    const Seen accepted = delete_with(IDOK);
    EXPECT_EQ(accepted.titles, std::vector<std::string>{c.title});
    EXPECT_EQ(live(c.table), 0) << "deleted";
  }
}

// "Comprobar relaciones" with the window and its lists open rebuilds RelTab from the
// relations; the window's lists read it after.
TEST_F(DictionaryListsTest, ComprobarRelacionesRebuildsRelTabWithTheWindowOpen) {
  Append("Relacion", "TABORIGEN := 'ALBARAN', EXPBUSCAR := 'CodCli', TABDESTINO := 'CLIENTES', INDDESTINO := 'CodCli', "
                     "IDREL := 1, DIRECTA := .T.");
  Append("Relacion", "TABORIGEN := 'LINEAS', EXPBUSCAR := 'Numero', TABDESTINO := 'ALBARAN', INDDESTINO := 'Numero', "
                     "IDREL := 2, DIRECTA := .T.");
  Append("RelTab", "TABORIGEN := 'VIEJA', TABDESTINO := 'NADA', IDREL := 9, IDDIRECTA := 9");
  X("oDic:Relaciones()");
  ASSERT_NE(DictionaryList("Relaciones"), nullptr);
  const std::string alias = Alias("RelTab");
  std::vector<std::string> said;
  {
    DialogAnswerer answer([&](const SeenDialog& d) {
      said.push_back(d.title + ": " + d.AllText());
      return Ok(d);
    });
    RunDictionaryButton("Comprobar relaciones");
  }
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.back(), "Atención: Comprobación finalizada. Vea resultados en el fichero Chequeo.log");
  for (const std::string& s : said) EXPECT_EQ(s.find("exclusivo"), std::string::npos) << s;
  const std::string log = testing::ReadFile(data::cPathInforme() + "Chequeo.log");
  EXPECT_NE(log.find("Relación nº : 00002"), std::string::npos) << log;
  EXPECT_EQ(log.find("No se ha podido"), std::string::npos) << log;
  // The window's handle is back, under its alias, with the rebuilt rows.
  EXPECT_EQ(Alias("RelTab"), alias);
  EXPECT_EQ(X(alias + "->(OrdKeyCount())").AsInt(), 1) << "the path from LINEAS to CLIENTES through ALBARAN";
  X(alias + "->(OrdSetFocus('OrigDes'))");
  EXPECT_FALSE(X(alias + "->(DBSeek('VIEJA'))").AsLogical());
  EXPECT_TRUE(X(alias + "->(DBSeek('LINEAS    CLIENTES'))").AsLogical());
}

}  // namespace
}  // namespace reports
