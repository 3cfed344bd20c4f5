// The column list of a report driven by its buttons as the user would, and the preview of
// its layout.
#include "reports/win/column_dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/windowed_data_ui.h"
#include "output/output.h"
#include "output/preview.h"
#include "reports/report_columns.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "reports/win/report_page_device.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::Add;
using testing::ItemText;
using testing::Post;
using testing::ReadFile;
using testing::Shot;
using testing::Table;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

class ColumnDialogsTest : public testing::ReportWindowTest<> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    Table(folder_.path(), "Ventas", "{{'CODIGO', 'C', 6, 0}, {'IMPORTE', 'N', 10, 2}, {'CANTIDAD', 'N', 4, 0}}",
          {"FIELDPUT(1, 'A01'), FIELDPUT(2, 12.5), FIELDPUT(3, 2)",
           "FIELDPUT(1, 'B02'), FIELDPUT(2, 10), FIELDPUT(3, 3)"},
          {.visible = true});
    Add("Campos", "TABLA := 'VENTAS', ORDEN := 1, CAMPO := 'CODIGO', TIPO := 'C', LONGITUD := 6, DESCRIPC := 'Código'");
    Add("Campos", "TABLA := 'VENTAS', ORDEN := 2, CAMPO := 'IMPORTE', TIPO := 'N', LONGITUD := 10, DECIMAL := 2, "
                  "DESCRIPC := 'Importe', MASCARA := '@E 999,999.99'");
    Add("Campos", "TABLA := 'VENTAS', ORDEN := 3, CAMPO := 'CANTIDAD', TIPO := 'N', LONGITUD := 4, DESCRIPC := 'Cantidad'");
    Add("Informes", "INFORME := 'EJEMPLO', TABLAMAST := 'VENTAS', DESCRIPC := 'Prueba', TITULO := 'Ventas del mes', "
                    "DESGLOSE := .T., LINEASR := 1, INFMASTER := 'EJEMPLO'");
    Add("Informes", "INFORME := 'HIJO', TABLAMAST := 'VENTAS', DESCRIPC := 'Hijo', INFMASTER := 'EJEMPLO'");
    ASSERT_EQ(AddColumnaCampo("EJEMPLO", "VENTAS", "CODIGO"), 1);
    ASSERT_EQ(AddColumnaCampo("EJEMPLO", "VENTAS", "IMPORTE"), 2);
  }
  const ColumnaRow* Column(const std::vector<ColumnaRow>& columns, int idcol) {
    for (const ColumnaRow& c : columns)
      if (c.nIdCol == idcol) return &c;
    return nullptr;
  }
};

TEST_F(ColumnDialogsTest, TheListAddsEditsMovesCalculatesAndRefusesADeletion) {
  int step = 0, calc_step = 0;
  int rows_shown = 0;
  std::vector<std::string> boxes;  // message boxes: title|text
  std::string formula;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == " Columnas del informe EJEMPLO") {
      if (!IsWindowEnabled(d.hwnd)) return 0;  // a dialog of its own is open
      auto* list = dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, 110)).get());
      if (list == nullptr) return 0;
      const std::vector<ColumnaRow> columns = ReadColumnas("EJEMPLO");
      switch (step++) {
        case 0:
          rows_shown = list->nLen;
          Shot(d.hwnd, "column_list");
          Post(d.hwnd, 401);
          return 0;
        case 1:  // the quantity added at the end of line 1: moved up before the amount
          EXPECT_EQ(columns.size(), 3u);
          EXPECT_EQ(list->nLen, 3);
          SendMessageA(list->hWnd, WM_KEYDOWN, VK_END, 0);
          Post(d.hwnd, 404);
          return 0;
        case 2:
          if (Column(columns, 2) && Column(columns, 3)) {
            EXPECT_EQ(Column(columns, 3)->nPInicial, 8);
            EXPECT_EQ(Column(columns, 2)->nPInicial, 8 + Column(columns, 3)->nAncho + 1);
          }
          EXPECT_EQ(list->nAt, 2) << "the cursor follows the moved column";
          Post(d.hwnd, 402);
          return 0;
        case 3:
          if (const ColumnaRow* c = Column(columns, 3)) {
            EXPECT_EQ(c->cTitulo, "Unidades");
          }
          Post(d.hwnd, 407);
          return 0;
        case 4:
          EXPECT_EQ(columns.size(), 4u);
          if (const ColumnaRow* c = Column(columns, 4)) {
            EXPECT_EQ(c->nTipoCol, 4);
            EXPECT_EQ(c->cDatos, "Colum2 * Colum3");
          }
          // The quantity is an operand of the calculated column: not deleted.
          SendMessageA(list->hWnd, WM_KEYDOWN, VK_HOME, 0);
          SendMessageA(list->hWnd, WM_KEYDOWN, VK_DOWN, 0);
          Post(d.hwnd, 403);
          return 0;
        default:
          Shot(d.hwnd, "column_list_after");
          return IDCANCEL;
      }
    }
    if (d.title == " Añadir columna") {
      HWND items = GetDlgItem(d.hwnd, 102);
      if (SendMessageA(items, LB_GETCOUNT, 0, 0) < 3) return 0;
      SendMessageA(items, LB_SETCURSEL, 2, 0);  // Cantidad
      Shot(d.hwnd, "column_add");
      return IDOK;
    }
    if (d.title == " Editar Columna") {
      EXPECT_NE(d.AllText().find("Columna directa. Campo de la tabla maestra"), std::string::npos) << d.AllText();
      EXPECT_NE(d.AllText().find("Los registros de este informe ocupan 1 líneas"), std::string::npos);
      SetDlgItemTextA(d.hwnd, 103, "Unidades");
      Shot(d.hwnd, "column_edit");
      return IDOK;
    }
    if (d.title == " Columna calculada") {
      if (!IsWindowEnabled(d.hwnd)) return 0;
      switch (calc_step++) {
        case 0:  // Colum2 multiplied by ...
          SendDlgItemMessageA(d.hwnd, 101, CB_SETCURSEL, 0, 0);
          SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 2, 0);
          Post(d.hwnd, 103);
          return 0;
        case 1:  // ... Colum3, and no more
          SendDlgItemMessageA(d.hwnd, 101, CB_SETCURSEL, 1, 0);
          SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 4, 0);
          Post(d.hwnd, 103);
          return 0;
        case 2:
          formula = ItemText(d.hwnd, 106);
          Post(d.hwnd, 107);
          return 0;
        default:
          Shot(d.hwnd, "column_calculated");
          return IDOK;
      }
    }
    boxes.push_back(d.title + "|" + d.AllText());
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  Columnas("EJEMPLO");
  EXPECT_EQ(rows_shown, 2);
  EXPECT_EQ(step, 6);
  EXPECT_EQ(formula, "Colum2 * Colum3");
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "Información|Expresión correcta",
                       "Atención|No puede eliminar una columna que forma parte de una columna calculada o acumulada. "
                       "Antes debe eliminar la columna calculada o acumulada."}));
  // The calculated column runs: its value in the work table, printed.
  const std::string file = folder_ / "salida.txt";
  TInforme inf;
  inf.oStDestino.nDestino = 2;
  inf.oStDestino.cFileDst = file;
  ASSERT_TRUE(inf.RunInforme("EJEMPLO"));
  const std::string text = ReadFile(file);
  EXPECT_NE(text.find("25,00"), std::string::npos) << text;  // 12,50 * 2
  EXPECT_NE(text.find("30,00"), std::string::npos) << text;  // 10 * 3
}

TEST_F(ColumnDialogsTest, RefusalsOfTheListAndOfThePreview) {
  DialogAnswerer answerer(DialogAnswerer::Press("Aceptar"));
  Columnas("HIJO");
  SetPrinterCheck([] { return false; });
  EXPECT_FALSE(PreviewColumnas("EJEMPLO"));
  SetPrinterCheck([] { return true; });
  EXPECT_FALSE(PreviewColumnas("HIJO"));
  std::vector<std::string> texts;
  for (const SeenDialog& d : answerer.seen()) texts.push_back(d.title + "|" + d.AllText());
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Atención|Las columnas de este informe no son configurables",
                       "Atención|Imposible previsualizar, el sistema no tiene instalada ninguna impresora",
                       "Atención|Debe definir alguna columna"}));
}

TEST_F(ColumnDialogsTest, TheAddDialogOffersRelatedTablesAndExpressions) {
  // Ventas -> Articulos -> Familias; Clientes is not reached.
  for (const char* table : {"ARTICULOS", "FAMILIAS", "CLIENTES"})
    Add("Tablas", std::string("TABLA := '") + table + "', RUTA := '" + folder_.path() + "', FICHERO := '" + table +
                      "', VISIBLE := 'S'");
  Add("Campos", "TABLA := 'FAMILIAS', ORDEN := 1, CAMPO := 'NOMBRE', TIPO := 'C', LONGITUD := 10, DESCRIPC := 'Familia'");
  Add("Campos", "TABLA := 'CLIENTES', ORDEN := 1, CAMPO := 'NOMBRE', TIPO := 'C', LONGITUD := 30, DESCRIPC := 'Cliente'");
  Add("Relacion", "TABORIGEN := 'VENTAS', EXPBUSCAR := 'CODIGO', TABDESTINO := 'ARTICULOS', INDDESTINO := 'CODIGO', "
                  "DESCRIPC := 'Artículo', IDREL := 1, DIRECTA := .T.");
  Add("Relacion", "TABORIGEN := 'ARTICULOS', EXPBUSCAR := 'FAMILIA', TABDESTINO := 'FAMILIAS', INDDESTINO := 'CODIGO', "
                  "DESCRIPC := 'Familia', IDREL := 2, DIRECTA := .T.");
  Add("Expresio", "CODIGO := 'MARGEN', DESCRIPC := 'Margen', TABLA := 'VENTAS', EXPRESION := 'DATOSMARGEN'");
  Add("ExprCol", "CODIGO := 'MARGEN', PARAMETRO := 1, TIPO := 'N', LONGITUD := 8, DECIMAL := 2, DESCRIPC := 'Margen bruto'");
  // Chooses the source `text`, then, once its items are there, the first one.
  const auto choose = [](HWND dialog, const std::string& text, int& step) -> int {
    if (!IsWindowEnabled(dialog)) return 0;
    HWND combo = GetDlgItem(dialog, 101);
    HWND items = GetDlgItem(dialog, 102);
    if (step == 0) {
      const LRESULT at = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
      EXPECT_NE(at, CB_ERR) << text;
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(101, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
      ++step;
      return 0;
    }
    if (SendMessageA(items, LB_GETCOUNT, 0, 0) < 1) return 0;
    SendMessageA(items, LB_SETCURSEL, 0, 0);
    ++step;
    return IDOK;
  };
  std::vector<std::string> boxes, offered;
  int step = 0;
  std::string source = "CLIENTES";
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == " Añadir columna") {
      if (step == 1) {
        HWND items = GetDlgItem(d.hwnd, 102);
        char first[128] = {};
        if (SendMessageA(items, LB_GETCOUNT, 0, 0) > 0) SendMessageA(items, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
        if (first[0] != 0) offered.push_back(first);
      }
      if (step == 2) {  // refused: the dialog stays for another choice
        step = 0;
        source = "FAMILIAS";
      }
      if (step < 2) {
        // Only the press that adds is answered for good; the refused one is pressed by hand.
        const int id = choose(d.hwnd, source, step);
        if (id == IDOK && source == "CLIENTES") {
          PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, IDOK)));
          return 0;
        }
        return id;
      }
      return 0;
    }
    boxes.push_back(d.title + "|" + d.AllText());
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  EXPECT_TRUE(AddColumna("EJEMPLO"));
  step = 0;
  source = "Expresiones de la tabla maestra";
  EXPECT_TRUE(AddColumna("EJEMPLO"));
  EXPECT_EQ(offered, (std::vector<std::string>{"Cliente (NOMBRE)", "Familia (NOMBRE)", "Margen bruto (MARGEN)"}));
  EXPECT_EQ(boxes, (std::vector<std::string>{"Atención|No es posible añadir esta columna.No hay relación establecida "
                                             "entre la tabla maestra y la tabla actual"}));
  const std::vector<ColumnaRow> columns = ReadColumnas("EJEMPLO");
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns[2].nTipoCol, 2);
  EXPECT_EQ(columns[2].cCodExpr, "FAMILIAS");
  EXPECT_EQ(columns[2].cDatos, "CODIGO");
  EXPECT_EQ(columns[3].nTipoCol, 3);
  EXPECT_EQ(columns[3].cTitulo, "Margen bruto");
  EXPECT_EQ(X(TDictQZ::AliasOf("Recol") + "->(LASTREC())").AsInt(), 2);
}

bool g_preview_seen = false;
std::string g_page_label;
void CALLBACK ClosePreview(HWND, UINT, UINT_PTR, DWORD) {
  output::Preview* preview = output::Preview::Open();
  if (preview == nullptr || g_preview_seen) return;
  g_preview_seen = true;
  g_page_label = preview->PageLabel();
  Shot(preview->window()->hWnd, "column_preview");
  preview->window()->End();
}

TEST_F(ColumnDialogsTest, ThePreviewShowsTheLayout) {
  Add("CabeH", "COD := '001', DESCRIP := 'Cabecera', POSICION := 20, PFINAL := 10, ACTIVO := .T.");
  Add("CabeD", "COD := '001', DATO := 8, LINEA := 5, COLUMNA := 10, ACTIVO := .T.");
  Add("CabeD", "COD := '001', DATO := 1, TEXTO := 'Comercial Vendaro', LINEA := 12, COLUMNA := 10, ACTIVO := .T.");
  X(TDictQZ::AliasOf("Informes") + "->(DBGOTOP(), RLOCK(), CABECERA := '001', DBCOMMIT(), DBUNLOCK())");
  ASSERT_TRUE(UpColumn("EJEMPLO", 2));
  g_preview_seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &ClosePreview);
  EXPECT_TRUE(PreviewColumnas("EJEMPLO"));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_preview_seen);
  EXPECT_EQ(g_page_label, "Página 1 / 1");
}

}  // namespace
}  // namespace reports
