// The report dialog and its builders as the user drives them, and what they save.
#include <gtest/gtest.h>
#include <windows.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/win/windowed_data_ui.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/report_test_support.h"
#include "reports/table_search.h"
#include "reports/tdictqz.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_dialog_builders.h"
#include "reports/win/report_window_functions.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::Add;
using testing::Choose;
using testing::ItemText;
using testing::N;
using testing::Ok;
using testing::Post;
using testing::ReadFile;
using testing::Row;
using testing::S;
using testing::Shot;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

void Type(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

// Typed key by key into a field of the page over what it holds, the focus in it.
void Keys(HWND dialog, int id, const std::string& text) {
  HWND field = GetDlgItem(dialog, id);
  SetFocus(field);
  SendMessageA(field, EM_SETSEL, 0, -1);
  for (char c : text) SendMessageA(field, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 0);
}

ui::TFolder* FolderOf(HWND dialog) { return dynamic_cast<ui::TFolder*>(ui::OWndFromHwnd(GetDlgItem(dialog, 300)).get()); }

HWND Page(HWND dialog, int n) {
  ui::TFolder* folder = FolderOf(dialog);
  return folder != nullptr && folder->Page(n) != nullptr ? folder->Page(n)->hWnd : nullptr;
}

void ShotPage(HWND dialog, int n, const std::string& name) {
  FolderOf(dialog)->SetOption(n);
  UpdateWindow(dialog);
  Shot(dialog, name);
}

class ReportDialogTest : public testing::ReportWindowTest<> {
 protected:
  ReportDialogTest() : ReportWindowTest({.user = "05", .window_functions = true, .outputs = false}) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    Add("Tablas", {{"TABLA", S("ARTICULO")}, {"DESCRIPC", S("Artículos")}, {"VISIBLE", S("S")}});
    Add("Tablas", {{"TABLA", S("OCULTA")}, {"DESCRIPC", S("Oculta")}, {"VISIBLE", S("N")}});
    Add("Categor", {{"CATEGORIA", S("VEN")}, {"DESCRIPC", S("Ventas")}, {"INFDOC", S("I")}});
    Add("SubCat", {{"CATEGORIA", S("VEN")}, {"SUBCAT", S("S1")}, {"DESCRIPC", S("Diarias")}});
    Add("SubCat", {{"CATEGORIA", S("COM")}, {"SUBCAT", S("XX")}, {"DESCRIPC", S("De otra")}});
    Add("Informes", {{"INFORME", S("R1")}, {"CATEGORIA", S("VEN")}, {"TABLAMAST", S("ARTICULO")},
                     {"DESCRIPC", S("Ventas por artículo")}, {"INFMASTER", S("R1")}, {"ACCESO1", S("052")},
                     {"LINEASR", N(1)}, {"DESGLOSE", Value::Logical(true)}, {"FNT_TIT", N(1)}});
    struct Column {
      int id, kind;
      const char *source, *description, *type;
      int width, start, decimals;
    };
    for (const Column& c : {Column{1, 1, "CODIGO", "Código", "C", 6, 1, 0}, Column{2, 1, "IMPORTE", "Importe", "N", 12, 8, 2},
                            Column{3, 1, "ACTIVO", "Activo", "L", 1, 21, 0}, Column{4, 1, "FECHA", "Fecha", "D", 8, 23, 0},
                            Column{5, 7, "ESTADO", "Estado", "C", 8, 32, 0}})
      Add("Columnas", {{"INFORME", S("R1")}, {"IDCOL", N(c.id)}, {"TIPOCOL", N(c.kind)},
                       {"CAMPO", S("Colum" + std::to_string(c.id))}, {"CAMPOREL", S(c.source)},
                       {"DESCRIPC", S(c.description)}, {"TITULO", S(c.description)}, {"TIPO", S(c.type)},
                       {"IMPRIMIR", Value::Logical(true)}, {"ANCHO", N(c.width)}, {"ANCHOMAX", N(c.width)},
                       {"PINICIAL", N(c.start)}, {"LINEA", N(1)}, {"NUMDECIMAL", N(c.decimals)},
                       {"DECIMAL", N(c.decimals)}, {"ALINEACION", S(c.type[0] == 'N' ? "D" : "I")}});
    for (const auto& [stored, shown] : {std::pair{"A", "Abierto"}, std::pair{"C", "Cerrado"}})
      Add("CampoRes", {{"TABLA", S("ARTICULO")}, {"CAMPO", S("ESTADO")}, {"VALOR", S(stored)}, {"RESULTA", S(shown)}});
    Add("Fonts", {{"NFONT", N(1)}, {"CFACENAME", S("Arial")}, {"NHEIGHT", Value::Number(-16)}, {"LBOLD", Value::Logical(true)}});
    // A stop condition the dialog leaves as it is.
    Add("Condicio", {{"INFORME", S("R1")}, {"INFDOC", S("I")}, {"TIPO", S("D")}, {"ORDEN", S("A")}, {"ENLACE", N(1)},
                     {"COLUMNA", S("Colum2")}, {"OPERADOR", N(5)}, {"VALOR", S("100")}, {"FLDTIPO", S("N")}});
  }
  WorkArea& Area(std::string_view table) { return *WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(TDictQZ::AliasOf(table))); }
  static std::string Field(WorkArea& a, const std::string& name) {
    const Value v = a.GetField(a.FieldPos(name));
    if (v.IsNumber()) return std::to_string(static_cast<int>(v.AsDouble()));
    if (v.IsLogical()) return v.AsLogical() ? ".T." : ".F.";
    return std::string(xb::AllTrim(v.AsString()));
  }
  // The live rows of a table whose `key` field is `value`, each as its fields joined by "|".
  std::vector<std::string> Rows(std::string_view table, const std::vector<std::string>& fields, const std::string& code,
                                const std::string& type = {}) {
    WorkArea& a = Area(table);
    const int order = a.controlling_order();
    a.SetControllingOrder(0);
    std::vector<std::string> out;
    for (a.GoTop(); !a.eof(); a.Skip(1)) {
      if (a.Deleted() || Field(a, "INFORME") != code) continue;
      if (!type.empty() && Field(a, "TIPO") != type) continue;
      std::string line;
      for (const std::string& f : fields) line += (line.empty() ? "" : "|") + Field(a, f);
      out.push_back(line);
    }
    a.SetControllingOrder(order);
    std::sort(out.begin(), out.end());
    return out;
  }
  // Temporary tables left in the dictionary's temporary folder.
  int TemporaryFiles() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((TDictQZ::cTempPath() + "*.dbf").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
  }
  std::vector<ReportColumn> Columns() { return ColInforme("R1", "ARTICULO"); }
};

TEST_F(ReportDialogTest, AReportBuiltInTheDialogIsSavedWithItsOrdersGroupsConditionsAndFunctions) {
  TDictQZ::lDebug() = true;
  int step = 0, adds = 0, groups = 0, conditions = 0;
  std::string filters_say, order_say, font_label;
  bool direct_disables = false, direct_restores = false;
  std::vector<std::string> tabs;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;  // a dialog of its own is open
    if (d.title == " Informe: Ventas por artículo") {
      HWND main = d.hwnd;
      switch (step++) {
        case 0: {
          ui::TFolder* folder = FolderOf(main);
          for (int i = 1; i <= folder->PromptCount(); ++i) tabs.push_back(folder->Prompt(i));
          font_label = ItemText(Page(main, 2), 216);
          Type(Page(main, 1), 106, "Ventas del mes");
          Type(Page(main, 2), 203, "Total general");
          // The direct flag disables the totals' texts and the layout and filter pages.
          SendMessageA(GetDlgItem(Page(main, 1), 109), BM_CLICK, 0, 0);
          direct_disables = !folder->TabEnabled(3) && !folder->TabEnabled(4) && !IsWindowEnabled(GetDlgItem(Page(main, 2), 203));
          SendMessageA(GetDlgItem(Page(main, 1), 109), BM_CLICK, 0, 0);
          direct_restores = folder->TabEnabled(3) && folder->TabEnabled(4) && IsWindowEnabled(GetDlgItem(Page(main, 2), 203));
          ShotPage(main, 1, "report_dialog_datos");
          ShotPage(main, 2, "report_dialog_impresion");
          Post(Page(main, 3), 302);  // orders
          return 0;
        }
        case 1: Post(Page(main, 3), 312); return 0;  // groups
        case 2: Post(Page(main, 4), 402); return 0;  // conditions
        case 3: Post(Page(main, 5), 502); return 0;  // an initial-value function
        case 4:
          order_say = ItemText(Page(main, 3), 301);
          filters_say = ItemText(Page(main, 4), 401);
          ShotPage(main, 3, "report_dialog_presentacion");
          ShotPage(main, 4, "report_dialog_filtros");
          ShotPage(main, 5, "report_dialog_funciones");
          Post(main, IDOK);
          return 0;
        default: return 0;
      }
    }
    if (d.title == " Ordenar informe por ...") {
      const bool next_off = !IsWindowEnabled(GetDlgItem(d.hwnd, 102));
      Choose(d.hwnd, 101, 3);
      Choose(d.hwnd, 102, 4);
      Choose(d.hwnd, 103, 1);
      Choose(d.hwnd, 101, 1);  // Código: the later boxes cleared, the next one open
      EXPECT_EQ(SendDlgItemMessageA(d.hwnd, 102, CB_GETCURSEL, 0, 0), 0);
      EXPECT_EQ(SendDlgItemMessageA(d.hwnd, 103, CB_GETCURSEL, 0, 0), 0);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d.hwnd, 102)));
      Choose(d.hwnd, 102, 2);  // then Importe
      Shot(d.hwnd, "report_dialog_orden");
      EXPECT_TRUE(next_off);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d.hwnd, 103)));
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd, 104)));
      return IDOK;
    }
    if (d.title == " Constructor de expresiones") {
      if (adds++ < 2) {
        Post(d.hwnd, 201);
        return 0;
      }
      Shot(d.hwnd, groups > 0 && conditions == 0 ? "report_dialog_grupos_lista" : "report_dialog_condiciones_lista");
      adds = 0;
      Post(d.hwnd, IDOK);
      return 0;
    }
    if (d.title == " Agrupar cuando cambie...") {
      if (groups++ == 0) {
        Choose(d.hwnd, 101, 1);  // Código
        Type(d.hwnd, 111, "Artículo:");
        Type(d.hwnd, 112, "Total artículo");
        Choose(d.hwnd, 121, 1);
        Choose(d.hwnd, 122, 2);
        Type(d.hwnd, 132, "2");
        Shot(d.hwnd, "report_dialog_grupo");
      } else {
        Choose(d.hwnd, 101, 5);  // Estado
      }
      return IDOK;
    }
    if (d.title == " Añadir condición") {
      if (conditions++ == 0) {
        Choose(d.hwnd, 101, 1);  // Importe
        SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 3, 0);  // mayor que
        Type(d.hwnd, 103, "1.000,5");
        Shot(d.hwnd, "report_dialog_condicion");
      } else {
        Choose(d.hwnd, 101, 2);  // Activo: a choice of values
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd, 103)));
        SendDlgItemMessageA(d.hwnd, 104, CB_SETCURSEL, 1, 0);  // Falso
        SendDlgItemMessageA(d.hwnd, 105, CB_SETCURSEL, 2, 0);  // o bien
      }
      return IDOK;
    }
    if (d.title == " Mantenimiento de funciones iniciales") {
      Type(d.hwnd, 102, "IniVentas()");
      Type(d.hwnd, 103, "Ventas iniciales");
      return IDOK;
    }
    return 0;
  });
  Area("Informes").SetControllingOrder(3);  // a list by description
  ASSERT_TRUE(MngInformes(true, "R1"));
  EXPECT_EQ(Area("Informes").controlling_order(), 3);
  EXPECT_EQ(step, 5);
  EXPECT_EQ(tabs, (std::vector<std::string>{"Datos iniciales", "Datos de impresión", "Presentación", "Establecer filtros",
                                            "Funciones de Filtro"}));
  EXPECT_TRUE(direct_disables);
  EXPECT_TRUE(direct_restores);
  EXPECT_EQ(font_label.rfind("Arial, ", 0), 0u) << font_label;
  EXPECT_EQ(order_say, "Ordenar por Código y además Importe");
  EXPECT_EQ(filters_say,
            "El contenido de la columna Importe sea mayor que 1000.5 y además\r\n"
            "El contenido de la columna Activo sea igual a falso o bien");

  EXPECT_EQ(Rows("Informes", {"TITULO", "HASTA", "DIRECTO", "INFMASTER"}, "R1"),
            std::vector<std::string>{"Ventas del mes|Total general|.F.|R1"});
  const std::vector<std::string> fields = {"TIPO", "ORDEN", "ENLACE", "COLUMNA", "CAMPO", "OPERADOR", "VALOR", "FLDTIPO"};
  EXPECT_EQ(Rows("Condicio", fields, "R1", "A"),
            (std::vector<std::string>{"A|A|2|Colum1|CODIGO|0||C", "A|B|1|Colum2|IMPORTE|0||N"}));
  EXPECT_EQ(Rows("Condicio", {"ORDEN", "ENLACE", "CAMPO", "TEXTOTIT", "TEXTOPIE", "IMPRIME", "VALOR"}, "R1", "B"),
            (std::vector<std::string>{"A|2|Colum1|Artículo:|Total artículo|Colum1 + Colum2|1 + 2", "B|1|Colum5||||"}));
  // The last condition's link becomes 1 whatever was chosen.
  EXPECT_EQ(Rows("Condicio", fields, "R1", "C"),
            (std::vector<std::string>{"C|A|2|Colum2|IMPORTE|5|1000.5|N", "C|B|1|Colum3|ACTIVO|2|.F.|L"}));
  EXPECT_EQ(Rows("Condicio", fields, "R1", "D"), std::vector<std::string>{"D|A|1|Colum2||5|100|N"});
  EXPECT_EQ(Rows("Inicial", {"ORDEN", "FUNCION", "DESCRIPC", "INFDOC"}, "R1"),
            std::vector<std::string>{"1|IniVentas()|Ventas iniciales|I"});
  EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(ReportDialogTest, ANewReportIsRefusedUntilComplete_ThenItsCreatorHasFullAccess) {
  int step = 0;
  std::vector<std::string> said, choices;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Constructor de informes") {
      HWND p1 = Page(d.hwnd, 1);
      switch (step++) {
        case 0: break;  // nothing filled in
        case 1:
          Type(p1, 101, "r1");
          Type(p1, 104, "Nuevo informe");
          Type(p1, 103, "XX");  // of another category
          Post(p1, 115);        // the master table from the search
          return 0;
        case 2: break;
        case 3: Post(p1, 113); return 0;  // the subcategory from those of the category
        case 4: break;                    // the code is taken
        case 5:
          Type(p1, 101, "NUEVO");
          Type(Page(d.hwnd, 2), 205, "0");  // no lines per record
          break;
        case 6: Type(Page(d.hwnd, 2), 205, "1"); break;
        default: return 0;
      }
      Post(d.hwnd, IDOK);
      return 0;
    }
    if (d.title == "Atención") {
      said.push_back(d.AllText());
      return Ok(d);
    }
    if (d.title.rfind(" Seleccione", 0) == 0) {
      auto* browse = dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, 110)).get());
      if (browse == nullptr || browse->nLen == 0) return 0;  // not filled yet
      choices.push_back(d.title + ":" + std::to_string(browse->nLen));
      return 550;  // the first, the only one offered
    }
    return 0;
  });
  ASSERT_TRUE(MngInformes(false, {}, "VEN"));
  EXPECT_EQ(choices, (std::vector<std::string>{" Seleccione Búsqueda de tablas maestras:1", " Seleccione Subcategoría:1"}));
  EXPECT_EQ(said, (std::vector<std::string>{"Debe rellenar los campos de la primera pestaña", "Subcategoria no válida",
                                            "Nombre de informe duplicado",
                                            "El número de líneas que ocupará un registro del informe debe ser mayor que 0"}));
  EXPECT_EQ(Rows("Informes", {"CATEGORIA", "SUBCAT", "TABLAMAST", "DESCRIPC", "INFMASTER", "ACCESO1", "ACCESO2", "LINEASR", "DESGLOSE"},
                 "NUEVO"),
            std::vector<std::string>{"VEN|S1|ARTICULO|Nuevo informe|NUEVO|052||1|.T."});
  EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(ReportDialogTest, TheCategoryIsCheckedAsItsFieldIsLeft_TheSubcategorysAndMastersDescriptionsFollowThem) {
  int step = 0;
  std::vector<std::string> said, choices, labels;
  bool focus_kept = false;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Constructor de informes") {
      HWND p1 = Page(d.hwnd, 1);
      switch (step++) {
        case 0:
          Keys(p1, 102, "ven");
          SetFocus(GetDlgItem(p1, 104));  // left: a known category
          return 0;
        case 1:
          labels.push_back(ItemText(p1, 122));
          Keys(p1, 102, "ZZ");
          SetFocus(GetDlgItem(p1, 104));  // left: refused, the focus comes back
          return 0;
        case 2:
          focus_kept = GetFocus() == GetDlgItem(p1, 102);
          SetFocus(GetDlgItem(p1, 112));  // to its search: not checked on the way
          Post(p1, 112);
          return 0;
        case 3:
          labels.push_back(std::string(xb::AllTrim(ItemText(p1, 102))) + "|" + ItemText(p1, 122));
          Type(p1, 101, "NUEVO");
          Type(p1, 104, "Nuevo informe");
          Keys(p1, 103, "xx");      // of another category: no description, not checked yet
          Keys(p1, 105, "oculta");  // not a visible table: no description
          SetFocus(GetDlgItem(p1, 104));
          return 0;
        case 4:
          labels.push_back(ItemText(p1, 123) + "|" + ItemText(p1, 125));
          Keys(p1, 103, "s1");
          Keys(p1, 105, "articulo");
          SetFocus(GetDlgItem(p1, 104));
          return 0;
        case 5:
          labels.push_back(std::string(xb::AllTrim(ItemText(p1, 103))) + "|" + ItemText(p1, 123));
          labels.push_back(std::string(xb::AllTrim(ItemText(p1, 105))) + "|" + ItemText(p1, 125));
          Shot(d.hwnd, "report_dialog_categoria");
          Add("Categor", {{"CATEGORIA", S("COM")}, {"DESCRIPC", S("Compras")}, {"INFDOC", S("I")}});
          Keys(p1, 102, "com");
          SetFocus(GetDlgItem(p1, 104));  // left: S1 is not a subcategory of COM
          return 0;
        case 6:
          labels.push_back(std::string(xb::AllTrim(ItemText(p1, 102))) + "|" + ItemText(p1, 122) + "|" +
                           ItemText(p1, 123));
          Keys(p1, 102, "ven");
          SetFocus(GetDlgItem(p1, 104));  // left: S1 of VEN again
          return 0;
        case 7:
          labels.push_back(std::string(xb::AllTrim(ItemText(p1, 102))) + "|" + ItemText(p1, 122) + "|" +
                           ItemText(p1, 123));
          Post(d.hwnd, IDOK);
          return 0;
        default: return 0;
      }
    }
    if (d.title == "Atención") {
      said.push_back(d.AllText());
      return Ok(d);
    }
    if (d.title.rfind(" Seleccione", 0) == 0) {
      auto* browse = dynamic_cast<ui::TWBrowse*>(ui::OWndFromHwnd(GetDlgItem(d.hwnd, 110)).get());
      if (browse == nullptr || browse->nLen == 0) return 0;
      choices.push_back(d.title + ":" + std::to_string(browse->nLen));
      return 550;
    }
    return 0;
  });
  ASSERT_TRUE(MngInformes(false));
  EXPECT_EQ(said, std::vector<std::string>{"Categoría no válida"});
  EXPECT_TRUE(focus_kept);
  EXPECT_EQ(choices, std::vector<std::string>{" Seleccione Categoría:1"});
  EXPECT_EQ(labels, (std::vector<std::string>{"Ventas", "VEN|Ventas", "|", "S1|Diarias", "ARTICULO|Artículos",
                                               "COM|Compras|", "VEN|Ventas|Diarias"}));
  EXPECT_EQ(Rows("Informes", {"CATEGORIA", "SUBCAT", "TABLAMAST", "DESCRIPC"}, "NUEVO"),
            std::vector<std::string>{"VEN|S1|ARTICULO|Nuevo informe"});
  EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(ReportDialogTest, TheMasterIsChosenFromACopyOfTheVisibleTablesByDescription) {
  Add("Tablas", {{"TABLA", S("CLIENTES")}, {"DESCRIPC", S("Clientes")}, {"VISIBLE", S("S")}});
  Add("Tablas", {{"TABLA", S("ALBARAN")}, {"DESCRIPC", S("Albaranes")}, {"VISIBLE", S("S")}});
  WorkArea& tablas = Area("Tablas");
  tablas.SetControllingOrder(1);
  tablas.GoBottom();
  const std::uint32_t at = tablas.recno();
  ReportCopies copies;
  ASSERT_TRUE(copies.Open("R1"));
  EXPECT_EQ(tablas.controlling_order(), 1);
  EXPECT_EQ(tablas.recno(), at);
  const std::string copy = copies.tablas_alias;
  EXPECT_EQ(xb::AllTrim(X(copy + "->(ORDKEY('Indice4'))").AsString()), "Upper( Tabla )");
  EXPECT_EQ(xb::AllTrim(X(copy + "->(ORDKEY('Descrip'))").AsString()), "Upper( Descripc )");
  std::vector<std::string> offered;
  for (const ChoiceRow& r : ChoiceRows(copies.MasterTables()))
    offered.push_back(std::string(xb::AllTrim(r.code.AsString())) + "|" + std::string(xb::AllTrim(r.description)));
  EXPECT_EQ(offered, (std::vector<std::string>{"ALBARAN|Albaranes", "ARTICULO|Artículos", "CLIENTES|Clientes"}));
  struct Case {
    const char* typed;
    std::optional<std::string> description;
  };
  for (const Case& c : {Case{"articulo", "Artículos"}, Case{" CLIENTES ", "Clientes"}, Case{"OCULTA", std::nullopt},
                        Case{"ART", std::nullopt}, Case{"", std::nullopt}})
    EXPECT_EQ(copies.MasterDescription(c.typed), c.description) << c.typed;
  copies.Close();
  EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(ReportDialogTest, WithoutFullAccessTheReportIsNotOpened) {
  user_ = "07";
  DialogAnswerer answerer([](const SeenDialog& d) { return Ok(d); });
  EXPECT_FALSE(MngInformes(true, "R1"));
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, " Acceso denegado");
  EXPECT_EQ(answerer.seen()[0].AllText(), "No dispone de acceso para modificar este informe.");
}

TEST_F(ReportDialogTest, GenLineShowsEachConditionInWords) {
  const std::vector<ReportColumn> columns = Columns();
  struct Case {
    const char* columna;
    int operador;
    const char* valor;
    const char* fldtipo;
    int enlace;
    const char* expected;
  };
  for (const Case& c : {
           Case{"Colum1", 2, "A01", "C", 2, "El contenido de la columna Código sea igual a A01 y además"},
           Case{"Colum2", 7, "12.5", "N", 3, "El contenido de la columna Importe sea mayor o igual que 12.5 o bien"},
           Case{"Colum3", 3, ".T.", "L", 1, "El contenido de la columna Activo sea distinto de cierto"},
           Case{"Colum4", 4, "05-03-2024", "D", 1, "El contenido de la columna Fecha sea menor que 05-03-2024"},
           Case{"Colum5", 2, "2", "V", 1, "El contenido de la columna Estado sea igual a Cerrado"},
           Case{"Colum2", 8, "", "N", 2, "El contenido de la columna Importe esté vacío y además"},
           Case{"Colum1", 10, "ZA", "C", 1, "El contenido de la columna Código sea que contenga ZA"},
           Case{"Colum2", 5, "750", "H", 1, "El contenido de la columna Importe sea mayor que 12:30"},
       }) {
    ConditionRow row;
    row.columna = c.columna;
    row.operador = c.operador;
    row.valor = c.valor;
    row.fldtipo = c.fldtipo;
    row.enlace = c.enlace;
    row.tabla = "ARTICULO";
    row.campo = "ESTADO";
    EXPECT_EQ(GenLine(row, columns), c.expected) << c.columna << " " << c.operador;
  }
}

TEST_F(ReportDialogTest, ConditionValuesAreStoredByTypeAndBadOnesRefused) {
  DialogAnswerer answerer([](const SeenDialog& d) { return Ok(d); });
  struct Case {
    const char* type;
    const char* typed;
    const char* stored;  // nullptr: refused
  };
  for (const Case& c : {Case{"C", " Madrid ", "Madrid"}, Case{"N", "1.234,5", "1234.5"}, Case{"N", "-7", "-7"},
                        Case{"N", "12a", nullptr}, Case{"D", "05/03/2024", "05-03-2024"},
                        Case{"D", "20240229", "29-02-2024"}, Case{"D", "31-02-2024", nullptr}, Case{"F", "hoy", nullptr},
                        Case{"H", "12:30", "750"}, Case{"H", "0945", "585"}, Case{"H", "10:75", nullptr}}) {
    std::string stored = "?";
    const bool ok = ConditionValue(c.type, c.typed, &stored);
    EXPECT_EQ(ok, c.stored != nullptr) << c.type << " " << c.typed;
    if (c.stored != nullptr) {
      EXPECT_EQ(stored, c.stored) << c.type << " " << c.typed;
    }
  }
  std::vector<std::string> said;
  for (const SeenDialog& d : answerer.seen()) said.push_back(d.AllText());
  EXPECT_EQ(said, (std::vector<std::string>{"Número no válido", "Fecha no válida", "Fecha no válida", "Hora no válida"}));
}

TEST_F(ReportDialogTest, LinksFollowTheRowsAndClearingAsksFirst) {
  ReportCopies copies;
  ASSERT_TRUE(copies.Open("R1"));
  for (const char* column : {"Colum1", "Colum2", "Colum3"}) {
    ConditionRow row;
    row.tipo = "C";
    row.columna = column;
    row.operador = 2;
    row.enlace = 1;
    copies.Save(row);
  }
  std::vector<std::string> links;
  for (const ConditionRow& r : copies.Rows("C")) links.push_back(r.orden + std::to_string(r.enlace));
  EXPECT_EQ(links, (std::vector<std::string>{"A2", "B2", "C1"}));
  // An "or" chosen on the middle row stays; a link on the last row becomes 1 when written.
  ConditionRow middle = copies.Rows("C")[1];
  middle.enlace = 3;
  copies.Save(middle);
  ConditionRow last = copies.Rows("C")[2];
  last.enlace = 2;
  copies.Save(last);
  ASSERT_TRUE(copies.WriteBack("R1"));
  EXPECT_EQ(Rows("Condicio", {"ORDEN", "ENLACE"}, "R1", "C"), (std::vector<std::string>{"A|2", "B|3", "C|1"}));

  // A builder left by cancel puts the rows back as they were.
  {
    DialogAnswerer cancel([](const SeenDialog& d) {
      if (d.title != " Constructor de expresiones") return 0;
      SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(203, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, 203)));  // the first row deleted
      return static_cast<int>(IDCANCEL);
    });
    EXPECT_FALSE(FilterBuilder(copies, "C", Columns()));
  }
  EXPECT_EQ(copies.Rows("C").size(), 3u);

  std::vector<std::string> asked;
  bool answer = false;
  DialogAnswerer question([&](const SeenDialog& d) {
    asked.push_back(d.AllText());
    return d.ButtonId(answer ? "Sí" : "No") != 0 ? d.ButtonId(answer ? "Sí" : "No") : d.ButtonId(answer ? "&Sí" : "&No");
  });
  EXPECT_FALSE(ClearCondiciones(copies, "C"));
  EXPECT_EQ(copies.Rows("C").size(), 3u);
  answer = true;
  EXPECT_TRUE(ClearCondiciones(copies, "C"));
  EXPECT_TRUE(copies.Rows("C").empty());
  ASSERT_TRUE(copies.WriteBack("R1"));
  EXPECT_TRUE(Rows("Condicio", {"ORDEN"}, "R1", "C").empty());
  EXPECT_EQ(Rows("Condicio", {"ORDEN"}, "R1", "D").size(), 1u);  // other types untouched
  ConditionRow group;
  group.tipo = "B";
  group.campo = "Colum1";
  copies.Save(group);
  EXPECT_TRUE(ClearCondiciones(copies, "B"));
  EXPECT_EQ(asked, (std::vector<std::string>{"¿ Desea borrar todas las condiciones ?", "¿ Desea borrar todas las condiciones ?",
                                             "¿ Desea borrar todas las agrupaciones ?"}));
  copies.Close();
  EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(ReportDialogTest, AConditionIsModifiedInItsBuilderKeepingItsPlace) {
  ReportCopies copies;
  ASSERT_TRUE(copies.Open("R1"));
  ConditionRow row;
  row.tipo = "C";
  row.columna = "Colum2";
  row.operador = 5;
  row.valor = "1000.5";
  row.fldtipo = "N";
  copies.Save(row);
  std::string shown_value;
  int shown_operator = -1, shown_column = -1;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Constructor de expresiones") {
      if (shown_column < 0) {
        Post(d.hwnd, 202);
        return 0;
      }
      return IDOK;
    }
    if (d.title == " Modificar condición") {
      shown_column = static_cast<int>(SendDlgItemMessageA(d.hwnd, 101, CB_GETCURSEL, 0, 0));
      shown_operator = static_cast<int>(SendDlgItemMessageA(d.hwnd, 102, CB_GETCURSEL, 0, 0));
      shown_value = ItemText(d.hwnd, 103);
      Type(d.hwnd, 103, "20");
      return IDOK;
    }
    return 0;
  });
  ASSERT_TRUE(FilterBuilder(copies, "C", Columns()));
  EXPECT_EQ(shown_column, 1);
  EXPECT_EQ(shown_operator, 3);  // "mayor que", the fifth of the list without its blank
  EXPECT_EQ(shown_value, "1000.5");
  const std::vector<ConditionRow> rows = copies.Rows("C");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].orden, "A");
  EXPECT_EQ(rows[0].valor, "20");
  EXPECT_TRUE(copies.changed[2]);
}

TEST_F(ReportDialogTest, AReportBuiltInTheDialogRunsByItsOrderGroupAndCondition) {
  // The master table's file.
  const std::string dbf = folder_.path() + "DBF\\";
  CreateDirectoryA(dbf.c_str(), nullptr);
  ASSERT_TRUE(X("DBCREATE('" + dbf + "Articulo.dbf', {{'CODIGO', 'C', 6, 0}, {'IMPORTE', 'N', 10, 2}, {'ACTIVO', 'L', 1, 0}, "
                "{'FECHA', 'D', 8, 0}, {'ESTADO', 'C', 1, 0}}, 'ADS')").AsLogical());
  ASSERT_TRUE(X("DBUSEAREA(.T., 'ADS', '" + dbf + "Articulo.dbf', 'ARTFIX', .F.)").AsLogical());
  for (const char* row : {"'A01', 5, .T., 'A'", "'B02', 250, .F., 'C'", "'C03', 12.5, .T., 'A'", "'D04', 1000, .F., 'C'"})
    X(std::string("DBAPPEND(), AEval({") + row + "}, {|x, n| FieldPut(IIf(n == 4, 5, n), x)})");
  X("DBCOMMIT(), DBCLOSEAREA()");
  WorkArea& tablas = Area("Tablas");
  tablas.GoTop();
  ASSERT_TRUE(tablas.LockRecord(tablas.recno(), false));
  tablas.PutField(tablas.FieldPos("RUTA"), S(dbf));
  tablas.PutField(tablas.FieldPos("EXACTA"), Value::Logical(true));  // in its own folder
  tablas.PutField(tablas.FieldPos("FICHERO"), S("Articulo"));
  tablas.Commit();
  tablas.Unlock();
  WorkArea& condicio = Area("Condicio");  // without the fixture's stop condition
  condicio.GoTop();
  ASSERT_TRUE(condicio.LockRecord(condicio.recno(), false));
  condicio.Delete();
  condicio.Commit();
  condicio.Unlock();

  int step = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Informe: Ventas por artículo") {
      switch (step++) {
        case 0: Post(Page(d.hwnd, 3), 302); break;
        case 1: Post(Page(d.hwnd, 3), 312); break;
        case 2: Post(Page(d.hwnd, 4), 402); break;
        case 3: Post(d.hwnd, IDOK); break;
        default: break;
      }
      return 0;
    }
    if (d.title == " Ordenar informe por ...") {
      Choose(d.hwnd, 101, 2);  // Importe
      return IDOK;
    }
    if (d.title == " Constructor de expresiones") {
      if (ItemText(d.hwnd, 120).empty()) {
        Post(d.hwnd, 201);
        return 0;
      }
      return IDOK;
    }
    if (d.title == " Agrupar cuando cambie...") {
      Choose(d.hwnd, 101, 5);  // Estado, shown in the heading
      Type(d.hwnd, 111, "Estado:");
      Choose(d.hwnd, 121, 5);
      return IDOK;
    }
    if (d.title == " Añadir condición") {
      Choose(d.hwnd, 101, 1);                                // Importe
      SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 3, 0);  // mayor que
      Type(d.hwnd, 103, "10");
      return IDOK;
    }
    return 0;
  });
  ASSERT_TRUE(MngInformes(true, "R1"));

  const std::string out = folder_.path() + "informe.txt";
  SetReportRunHook({});
  TInforme inf;
  inf.oStDestino.nDestino = 2;
  inf.oStDestino.cFileDst = out;
  ASSERT_TRUE(inf.RunInforme("R1"));
  const std::string printed = ReadFile(out);
  const std::size_t c03 = printed.find("C03"), b02 = printed.find("B02"), d04 = printed.find("D04");
  EXPECT_EQ(printed.find("A01"), std::string::npos) << printed;  // 5 is not above 10
  ASSERT_NE(c03, std::string::npos) << printed;
  EXPECT_LT(c03, b02);
  EXPECT_LT(b02, d04);
  // Grouped by the substituted value, its heading before its rows.
  const std::size_t open = printed.find("Estado: Abierto"), closed = printed.find("Estado: Cerrado");
  ASSERT_NE(open, std::string::npos) << printed;
  ASSERT_NE(closed, std::string::npos) << printed;
  EXPECT_LT(open, c03);
  EXPECT_LT(c03, closed);
  EXPECT_LT(closed, b02);
}

TEST_F(ReportDialogTest, AGroupShowsWhatItHasWhenModified) {
  ReportCopies copies;
  ASSERT_TRUE(copies.Open("R1"));
  ConditionRow group;
  group.tipo = "B";
  group.campo = "Colum1 + Colum5";
  group.textotit = "Art:";
  group.imprime = "Colum2";
  group.valor = "3";
  copies.Save(group);
  std::vector<int> shown;
  std::string caption, line;
  bool third_open = true;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Constructor de expresiones") {
      if (shown.empty()) {
        Post(d.hwnd, 202);
        return 0;
      }
      return IDOK;
    }
    if (d.title == " Agrupar cuando cambie...") {
      for (int id : {101, 102, 103, 121, 122}) shown.push_back(static_cast<int>(SendDlgItemMessageA(d.hwnd, id, CB_GETCURSEL, 0, 0)));
      third_open = IsWindowEnabled(GetDlgItem(d.hwnd, 103)) != 0;
      caption = ItemText(d.hwnd, 111);
      line = ItemText(d.hwnd, 131);
      Type(d.hwnd, 111, "Artículo:");
      return IDOK;
    }
    return 0;
  });
  ASSERT_TRUE(FilterBuilder(copies, "B", Columns()));
  EXPECT_EQ(shown, (std::vector<int>{1, 5, 0, 2, 0}));
  EXPECT_TRUE(third_open);  // the box after the last choice
  EXPECT_EQ(caption, "Art:");
  EXPECT_EQ(line, "3");
  const std::vector<ConditionRow> rows = copies.Rows("B");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].textotit, "Artículo:");
  EXPECT_EQ(rows[0].campo, "Colum1 + Colum5");
  EXPECT_EQ(rows[0].imprime, "Colum2");
  EXPECT_EQ(rows[0].valor, "3");
}

TEST_F(ReportDialogTest, TheReportsFontsGoToEveryColumnAfterTheQuestion) {
  Add("CnfColum", {{"INFORME", S("R1")}, {"IDCOL", N(2)}, {"FNT_TIT", N(9)}});
  bool yes = false;
  DialogAnswerer answerer([&](const SeenDialog& d) { return d.ButtonId(yes ? "Sí" : "No") + d.ButtonId(yes ? "&Sí" : "&No"); });
  EXPECT_FALSE(CnfColumn("R1", {3, 4, 5, 6}));
  EXPECT_EQ(Rows("CnfColum", {"IDCOL", "FNT_TIT"}, "R1"), std::vector<std::string>{"2|9"});
  yes = true;
  EXPECT_TRUE(X("TI_CNFCOLUMN('R1', 3, 4, 5, 6)").AsLogical());
  EXPECT_EQ(Rows("CnfColum", {"IDCOL", "FNT_TIT", "FNT_LIN", "FNT_SUB", "FNT_TOT"}, "R1"),
            (std::vector<std::string>{"1|3|4|5|6", "2|3|4|5|6", "3|3|4|5|6", "4|3|4|5|6", "5|3|4|5|6"}));
  ASSERT_EQ(answerer.seen().size(), 2u);
  EXPECT_EQ(answerer.seen()[0].title, " Atención");
  EXPECT_EQ(answerer.seen()[0].AllText().rfind("¿Desea aplicar las fuentes seleccionadas a todas las columnas del informe ?", 0), 0u);
}

TEST_F(ReportDialogTest, ADuplicateTakesANewCodeAndCategory) {
  Add("Categor", {{"CATEGORIA", S("COM")}, {"DESCRIPC", S("Compras")}, {"INFDOC", S("I")}});
  int step = 0;
  std::vector<std::string> said;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (!IsWindowEnabled(d.hwnd)) return 0;
    if (d.title == " Duplicar informe") {
      switch (step++) {
        case 0:
          EXPECT_EQ(ItemText(d.hwnd, 102), "VEN");  // the source's category to start with
          Keys(d.hwnd, 101, "ABCDEFGHIJKL");        // no longer than the code's field
          EXPECT_EQ(ItemText(d.hwnd, 101), "ABCDEFGHIJ");
          Type(d.hwnd, 101, "r1");
          break;
        case 1:
          Type(d.hwnd, 101, "R2");
          Type(d.hwnd, 102, "zz");
          break;
        case 2:
          Type(d.hwnd, 102, "com");
          Shot(d.hwnd, "report_dialog_duplicar");
          break;
        default: return 0;
      }
      Post(d.hwnd, IDOK);
      return 0;
    }
    said.push_back(d.title + ":" + d.AllText());
    return Ok(d);
  });
  Area("Informes").SetControllingOrder(3);
  ASSERT_TRUE(DuplicateInformeDialog("R1"));
  EXPECT_EQ(Area("Informes").controlling_order(), 3);
  EXPECT_EQ(said, (std::vector<std::string>{"Atención:Nombre de informe duplicado", "Atención:Categoría no válida"}));
  EXPECT_EQ(Rows("Informes", {"CATEGORIA", "INFMASTER"}, "R2"), std::vector<std::string>{"COM|R2"});
  EXPECT_EQ(Rows("Columnas", {"CAMPO"}, "R2").size(), 5u);
  EXPECT_EQ(Rows("Condicio", {"TIPO"}, "R2"), std::vector<std::string>{"D"});

  user_ = "07";
  said.clear();
  EXPECT_FALSE(DuplicateInformeDialog("R1"));
  EXPECT_EQ(said, std::vector<std::string>{" Acceso denegado:No dispone de acceso para duplicar este informe."});
}

TEST_F(ReportDialogTest, ReportsAreMovedBetweenTheListsAndFollowTheMasterOnOk) {
  Add("Informes", {{"INFORME", S("R2")}, {"DESCRIPC", S("Ofrecido")}, {"INFMASTER", S("R2")}, {"PRODUCTOS", S(".T.")}});
  Add("Informes", {{"INFORME", S("R3")}, {"DESCRIPC", S("Sin productos")}, {"INFMASTER", S("R3")}, {"PRODUCTOS", S(".F.")}});
  Add("Informes", {{"INFORME", S("R4")}, {"DESCRIPC", S("Ya relacionado")}, {"INFMASTER", S("R1")}});
  std::vector<std::string> said;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      said.push_back(d.title + ":" + d.AllText());
      return Ok(d);
    });
    EXPECT_FALSE(RelInforme("R1"));  // not a master report
  }
  EXPECT_EQ(said, std::vector<std::string>{" Atención:Debe seleccionar un informe maestro para relacionar."});
  WorkArea& informes = Area("Informes");
  informes.GoTop();
  ASSERT_TRUE(informes.LockRecord(informes.recno(), false));
  informes.PutField(informes.FieldPos("MAESTRO"), Value::Logical(true));
  informes.Commit();
  informes.Unlock();

  auto items = [](HWND list) {
    std::vector<std::string> out;
    const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char text[128] = {};
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      out.push_back(text);
    }
    return out;
  };
  std::vector<std::string> offered, following, moved;
  int step = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    HWND from = GetDlgItem(d.hwnd, 101), to = GetDlgItem(d.hwnd, 102);
    switch (step++) {
      case 0:
        offered = items(from);
        following = items(to);
        SendMessageA(from, LB_SETCURSEL, 0, 0);
        SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, 103)));
        SendMessageA(to, LB_SETCURSEL, 0, 0);  // R4 back among the offered
        SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(104, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, 104)));
        moved = items(to);
        Shot(d.hwnd, "report_dialog_relacionar");
        return IDOK;
      default: return 0;
    }
  });
  ASSERT_TRUE(RelInforme("R1"));
  EXPECT_EQ(offered, std::vector<std::string>{"R2 - Ofrecido"});  // R3's products do not hold
  EXPECT_EQ(following, std::vector<std::string>{"R4 - Ya relacionado"});
  EXPECT_EQ(moved, std::vector<std::string>{"R2 - Ofrecido"});
  EXPECT_EQ(Rows("Informes", {"INFMASTER"}, "R2"), std::vector<std::string>{"R1"});
  EXPECT_EQ(Rows("Informes", {"INFMASTER"}, "R3"), std::vector<std::string>{"R3"});
  EXPECT_EQ(Rows("Informes", {"INFMASTER"}, "R4"), std::vector<std::string>{"R4"});

  X("aDe := {'A', 'B', 'C'}, aA := {}");
  EXPECT_TRUE(X("TI_INFREL(aDe, aA, 2)").AsLogical());
  EXPECT_FALSE(X("TI_INFREL(aDe, aA, 3)").AsLogical());
  EXPECT_EQ(X("aDe[1] + aDe[2] + '/' + aA[1] + Str(Len(aDe), 1)").AsString(), "AC/B2");
}

TEST_F(ReportDialogTest, OrdersComeFromTheChosenBoxesAndBackToThem) {
  const std::vector<ReportColumn> columns = Columns();
  const std::vector<ConditionRow> rows = GenOrder("A", {1, 4, -1, 0}, columns);
  ASSERT_EQ(rows.size(), 2u);  // up to the first box without a choice
  EXPECT_EQ(rows[0].columna, "Colum2");
  EXPECT_EQ(rows[0].campo, "IMPORTE");
  EXPECT_EQ(rows[1].columna, "Colum5");
  EXPECT_EQ(InitOrder(rows, columns, 5), (std::vector<int>{1, 4, -1, -1, -1}));
  EXPECT_EQ(FillSay("A", rows, columns), "Ordenar por Importe y además Estado");
  ConditionRow group;
  group.campo = "Colum1 + Colum5";
  EXPECT_EQ(FillSay("B", {group, group}, columns),
            "Agrupar cuando cambie Código más Estado\r\nAgrupar cuando cambie Código más Estado");
}

}  // namespace
}  // namespace reports
