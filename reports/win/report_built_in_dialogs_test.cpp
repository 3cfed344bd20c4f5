// A report made as the user makes it: created in the report dialog, its columns added in the
// column list (master fields, a field two relations away, an expression and a calculated
// column), its order, two groups and a condition set in the builders;
// then run to a text file, the printer, HTML pages and the preview.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "output/output_test_support.h"
#include "output/preview.h"
#include "reports/report_columns.h"
#include "reports/report_test_support.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_run_dialogs.h"
#include "reports/win/report_window_test_support.h"
#include "tests/support/test_printer.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::Add;
using testing::Choose;
using testing::ItemText;
using testing::Ok;
using testing::Post;
using testing::ReadFile;
using testing::Shot;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;


void Type(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

// The combo's item that starts with `text`, chosen; false when there is none.
bool ChooseText(HWND dialog, int id, const std::string& text) {
  const LRESULT at = SendDlgItemMessageA(dialog, id, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (at == CB_ERR) return false;
  Choose(dialog, id, static_cast<int>(at));
  return true;
}

ui::TFolder* Folder(HWND dialog) {
  return dynamic_cast<ui::TFolder*>(ui::OWndFromHwnd(GetDlgItem(dialog, 300)).get());
}

HWND Page(HWND dialog, int n) {
  ui::TFolder* folder = Folder(dialog);
  return folder != nullptr && folder->Page(n) != nullptr ? folder->Page(n)->hWnd : nullptr;
}

// The pieces in this order in `text`.
void InOrder(const std::string& text, const std::vector<std::string>& pieces) {
  std::size_t at = 0;
  for (const std::string& piece : pieces) {
    const std::size_t found = text.find(piece, at);
    EXPECT_NE(found, std::string::npos) << piece << " after " << at << " in:\n" << text;
    if (found != std::string::npos) at = found + piece.size();
  }
}

bool g_preview_seen = false;
std::string g_preview_label, g_preview_shot;
void CALLBACK ClosePreview(HWND, UINT, UINT_PTR, DWORD) {
  output::Preview* preview = output::Preview::Open();
  if (preview == nullptr || g_preview_seen) return;
  g_preview_seen = true;
  g_preview_label = preview->PageLabel();
  Shot(preview->window()->hWnd, g_preview_shot);
  preview->window()->End();
}

class ReportBuiltInDialogsTest : public testing::ReportWindowTest<output::test::TempFolder> {
 protected:
  ReportBuiltInDialogsTest() : ReportWindowTest({.user = "05", .exe_folder = true, .window_functions = true}, "vdrdlgrep") {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    InstallRunDialogs();
    // The runs below name their destination: none is asked.
    ReportRunHook hook = CurrentReportRunHook();
    hook.sel_destino = {};
    SetReportRunHook(hook);
    SetPrinterCheck([] { return true; });
    Dictionary();
  }
  void Dictionary() {
    testing::AddSalesDictionary(folder_.path());
    // A designed header that prints the report's title.
    Add("CabeH", "COD := '001', DESCRIP := 'Con título', POSICION := 10, PFINAL := 10, ACTIVO := .T.");
    Add("CabeD", "COD := '001', DATO := 8, LINEA := 2, COLUMNA := 10, ACTIVO := .T.");
  }
};

TEST_F(ReportBuiltInDialogsTest, AReportMadeInItsDialogsRunsToEveryOutput) {
  // 1. The new report: code, subcategory, description, master table, title, its header and
  // the final total text. A refusal ends the dialog: its message is the failure.
  const std::string title = "Ventas de cada familia y artículo";
  {
    int step = 0;
    std::vector<std::string> boxes;
    DialogAnswerer answerer([&](const SeenDialog& d) -> int {
      if (!IsWindowEnabled(d.hwnd)) return 0;
      if (d.title == " Constructor de informes") {
        if (!boxes.empty()) return IDCANCEL;
        HWND p1 = Page(d.hwnd, 1);
        if (p1 == nullptr || Page(d.hwnd, 2) == nullptr || step++ > 0) return 0;
        Type(p1, 101, "FAMVEN");
        Type(p1, 103, "S1");
        Type(p1, 104, "Ventas por familia");
        Type(p1, 105, "VENTAS");
        Type(p1, 106, title);
        Type(Page(d.hwnd, 2), 201, "001");
        Type(Page(d.hwnd, 2), 203, "Total general");
        Shot(d.hwnd, "report_built_new");
        Post(d.hwnd, IDOK);
        return 0;
      }
      boxes.push_back(d.title + "|" + d.AllText());
      return Ok(d);
    });
    EXPECT_TRUE(MngInformes(false, {}, "VEN"));
    ASSERT_EQ(boxes, std::vector<std::string>{});
  }
  EXPECT_EQ(xb::RTrim(X(TDictQZ::AliasOf("Informes") + "->(DBGOTOP(), TITULO)").AsString()), title);

  // 2. The columns, in the column list: three master fields, the family two relations away,
  // the expression, the value divided by the amount; the amount and the value totalled; then
  // "Previsualizar", whose preview opens over the list and is closed to go back to it.
  struct Added {
    const char* source;
    const char* item;
  };
  const Added adds[] = {{"VENTAS (tabla maestra)", "Código (CODIGO)"}, {"VENTAS (tabla maestra)", "Artículo (ARTICULO)"},
                        {"VENTAS (tabla maestra)", "Importe (IMPORTE)"}, {"FAMILIAS", "Familia (NOMBRE)"},
                        {"Expresiones de la tabla maestra", "Valor (VALORVEN)"}};
  {
    int step = 0, added = 0, calc_step = 0, edits = 0;
    bool preview_asked = false, preview_seen = false;
    int preview_waits = 0;
    std::string preview_label;
    std::vector<std::string> boxes;
    DialogAnswerer answerer([&](const SeenDialog& d) -> int {
      if (!IsWindowEnabled(d.hwnd)) return 0;
      if (d.title == " Columnas del informe FAMVEN") {
        if (!boxes.empty()) return IDCANCEL;
        auto* list = dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, 110)).get());
        if (list == nullptr) return 0;
        if (output::Preview* preview = output::Preview::Open()) {
          if (!preview_seen) {
            preview_seen = true;
            preview_label = preview->PageLabel();
            Shot(preview->window()->hWnd, "report_built_columns_preview");
            preview->window()->End();
          }
          return 0;
        }
        if (preview_asked && !preview_seen && ++preview_waits < 250) return 0;  // not open yet
        const int s = step++;
        if (s < 5) {
          Post(d.hwnd, 401);  // Añadir
        } else if (s == 5) {
          Post(d.hwnd, 407);  // Columna calculada
        } else if (s == 6 || s == 7) {
          // Importe (the third) and Valor (the fifth) totalled.
          SendMessageA(list->hWnd, WM_KEYDOWN, VK_HOME, 0);
          for (int i = 0; i < (s == 6 ? 2 : 4); ++i) SendMessageA(list->hWnd, WM_KEYDOWN, VK_DOWN, 0);
          Post(d.hwnd, 402);
        } else if (s == 8) {
          Shot(d.hwnd, "report_built_columns");
        } else if (s == 9) {
          preview_asked = true;
          Post(d.hwnd, 406);  // Previsualizar
        } else {
          return IDCANCEL;
        }
        return 0;
      }
      if (d.title == " Añadir columna") {
        const Added& a = adds[added];
        if (!ChooseText(d.hwnd, 101, a.source)) return 0;
        const LRESULT at = SendDlgItemMessageA(d.hwnd, 102, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(a.item));
        EXPECT_NE(at, LB_ERR) << a.item;
        SendDlgItemMessageA(d.hwnd, 102, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        ++added;
        return IDOK;
      }
      if (d.title == " Columna calculada") {
        switch (calc_step++) {
          case 0:  // Valor divided by ...
            ChooseText(d.hwnd, 101, "Colum5");
            SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 3, 0);
            Post(d.hwnd, 103);
            return 0;
          case 1:  // ... Importe
            ChooseText(d.hwnd, 101, "Colum3");
            SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 4, 0);
            Post(d.hwnd, 103);
            return 0;
          case 2: return 0;
          default:
            EXPECT_EQ(ItemText(d.hwnd, 106), "Colum5 / Colum3");
            return IDOK;
        }
      }
      if (d.title == " Editar Columna") {
        ++edits;
        CheckDlgButton(d.hwnd, 107, BST_CHECKED);
        if (edits == 1) Shot(d.hwnd, "report_built_edit");
        return IDOK;
      }
      boxes.push_back(d.title + "|" + d.AllText());
      return Ok(d);
    });
    Columnas("FAMVEN");
    EXPECT_EQ(step, 11);
    EXPECT_TRUE(preview_seen);
    EXPECT_EQ(preview_label, "Página 1 / 1");
    EXPECT_EQ(output::Preview::Open(), nullptr);
    EXPECT_EQ(added, 5);
    EXPECT_EQ(edits, 2);
    EXPECT_EQ(boxes, std::vector<std::string>{});
  }
  const std::vector<ColumnaRow> columns = ReadColumnas("FAMVEN");
  ASSERT_EQ(columns.size(), 6u);
  std::vector<std::string> kinds;
  for (const ColumnaRow& c : columns)
    kinds.push_back(c.cCampo + ":" + std::to_string(c.nTipoCol) + ":" + c.cTitulo + (c.lTotal ? ":T" : ""));
  EXPECT_EQ(kinds, (std::vector<std::string>{"Colum1:1:Código", "Colum2:1:Artículo", "Colum3:1:Importe:T",
                                             "Colum4:2:Familia", "Colum5:3:Valor:T", "Colum6:4:Columna 6"}));
  EXPECT_EQ(X(TDictQZ::AliasOf("Recol") + "->(LASTREC())").AsInt(), 2) << "the family's search runs over two tables";

  // 3. Order, two groups and a condition, in the report dialog's builders.
  {
    int step = 0, groups = 0, adds_in_list = 0;
    std::string order_say, groups_say, filters_say;
    std::vector<std::string> boxes;
    DialogAnswerer answerer([&](const SeenDialog& d) -> int {
      if (!IsWindowEnabled(d.hwnd)) return 0;
      if (d.title == " Informe: Ventas por familia") {
        if (!boxes.empty()) return IDCANCEL;
        if (Page(d.hwnd, 3) == nullptr || Page(d.hwnd, 4) == nullptr) return 0;
        switch (step++) {
          case 0: Post(Page(d.hwnd, 3), 302); break;  // order
          case 1: Post(Page(d.hwnd, 3), 312); break;  // groups
          case 2: Post(Page(d.hwnd, 4), 402); break;  // conditions
          case 3: Folder(d.hwnd)->SetOption(3); break;  // the order and the groups, as shown
          case 4:
            Shot(d.hwnd, "report_built_layout");
            Folder(d.hwnd)->SetOption(4);
            break;
          case 5:
            Shot(d.hwnd, "report_built_filters");
            order_say = ItemText(Page(d.hwnd, 3), 301);
            groups_say = ItemText(Page(d.hwnd, 3), 311);
            filters_say = ItemText(Page(d.hwnd, 4), 401);
            Post(d.hwnd, IDOK);
            break;
          default: break;
        }
        return 0;
      }
      if (d.title == " Ordenar informe por ...") {
        Choose(d.hwnd, 101, 1);  // Código
        return IDOK;
      }
      if (d.title == " Constructor de expresiones") {
        // Groups: two added; conditions: one.
        const int wanted = step == 2 ? 2 : 1;
        if (adds_in_list++ < wanted) {
          Post(d.hwnd, 201);
          return 0;
        }
        adds_in_list = 0;
        return IDOK;
      }
      if (d.title == " Agrupar cuando cambie...") {
        if (groups++ == 0) {
          Choose(d.hwnd, 101, 4);  // Familia
          Type(d.hwnd, 111, "Familia:");
          Type(d.hwnd, 112, "Total familia");
          Choose(d.hwnd, 121, 4);
          Shot(d.hwnd, "report_built_group");
        } else {
          Choose(d.hwnd, 101, 2);  // Artículo
          Type(d.hwnd, 112, "Total artículo");
        }
        return IDOK;
      }
      if (d.title == " Añadir condición") {
        Choose(d.hwnd, 101, 2);                                // Importe
        SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 3, 0);  // mayor que
        Type(d.hwnd, 103, "1");
        return IDOK;
      }
      boxes.push_back(d.title + "|" + d.AllText());
      return Ok(d);
    });
    EXPECT_TRUE(MngInformes(true, "FAMVEN"));
    ASSERT_EQ(boxes, std::vector<std::string>{});
    EXPECT_EQ(step, 6);
    EXPECT_EQ(groups, 2);
    EXPECT_EQ(order_say, "Ordenar por Código");
    EXPECT_EQ(groups_say, "Agrupar cuando cambie Familia\r\nAgrupar cuando cambie Artículo");
    EXPECT_EQ(filters_say, "El contenido de la columna Importe sea mayor que 1");
  }
  EXPECT_TRUE(NoTemporaryTables());

  // 4. The run to a text file: V5 (0,50) left out by the condition, grouped by family and article.
  TInforme inf;
  const std::string file = folder_.path() + "informe.txt";
  inf.oStDestino = {.nDestino = 2, .cFileDst = file};
  ASSERT_TRUE(inf.RunInforme("FAMVEN"));
  const std::string text = ReadFile(file);
  EXPECT_EQ(text.find("V5"), std::string::npos) << text;
  InOrder(text, {title, "Código", "Artículo", "Importe", "Familia", "Valor", "Familia: Mantequera", "V2",
                 "5,00", "V4", "1,50", "6,00", "Total artículo", "6,50", "11,00", "Total familia", "6,50", "11,00",
                 "Familia: Panadería", "V1", "10,00", "20,00", "Total artículo", "V3", "P2", "2,00", "6,00",
                 "Total artículo", "Total familia", "12,00", "26,00", "Total general", "18,50", "37,00"});
  EXPECT_TRUE(NoTemporaryTables());

  // 5. The printer: its text read back.
  {
    vdr::test::PrinterOutput out("informe_dialogos");
    inf.oStDestino = {.nDestino = 1, .lPreview = false};
    ASSERT_TRUE(inf.RunInforme("FAMVEN"));
    EXPECT_EQ(out.Pages(), 1);
    InOrder(out.Text(), {title, "Familia:", "Mantequera", "V2", "V4", "Total familia", "Panadería", "V1",
                         "V3", "Total general", "18,50", "37,00"});
  }
  EXPECT_TRUE(NoTemporaryTables());

  // 6. HTML pages, in the folder the user names.
  {
    const testing::HtmlDestination html("informe_dialogos");
    inf.oStDestino = {.nDestino = 3, .lPreview = true};
    ASSERT_TRUE(inf.RunInforme("FAMVEN"));
    const std::string page = ReadFile(html.Folder() + "P0000001.HTM");
    InOrder(page, {"<TITLE>Ventas de cada familia y art", "Ventas&nbsp;de&nbsp;cada&nbsp;familia", "Mantequera",
                   "Total&nbsp;familia", "Panader", "Total&nbsp;general", "37,00"});
  }
  EXPECT_TRUE(NoTemporaryTables());

  // 7. The preview, as the user sees it.
  g_preview_seen = false;
  g_preview_shot = "report_built_preview";
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &ClosePreview);
  inf.oStDestino = {.nDestino = 1, .lPreview = true};
  EXPECT_TRUE(inf.RunInforme("FAMVEN"));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_preview_seen);
  EXPECT_EQ(g_preview_label, "Página 1 / 1");
  EXPECT_FALSE(TInforme::lRunning);
  EXPECT_TRUE(NoTemporaryTables());
}

}  // namespace
}  // namespace reports
