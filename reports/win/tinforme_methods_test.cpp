// The report generator's dialogs reached from compiled text through a TINFORME object.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "reports/report_test_support.h"
#include "reports/tinforme_object.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "ui/controls/tfolder.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::Add;
using testing::Choose;
using testing::ItemText;
using testing::N;
using testing::Ok;
using testing::Post;
using testing::S;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

class TInformeMethodsTest : public testing::ReportWindowTest<> {
 protected:
  TInformeMethodsTest() : ReportWindowTest({.user = "05", .window_functions = true, .outputs = false}) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    Add("Tablas", {{"TABLA", S("ARTICULO")}, {"DESCRIPC", S("Artículos")}, {"VISIBLE", S("S")}});
    Add("Categor", {{"CATEGORIA", S("VEN")}, {"DESCRIPC", S("Ventas")}, {"INFDOC", S("I")}});
    Add("Informes", {{"INFORME", S("R1")}, {"CATEGORIA", S("VEN")}, {"TABLAMAST", S("ARTICULO")},
                     {"DESCRIPC", S("Ventas por artículo")}, {"INFMASTER", S("R1")}, {"ACCESO1", S("052")},
                     {"LINEASR", N(2)}, {"DESGLOSE", Value::Logical(true)}});
    for (int id : {1, 2})
      Add("Columnas", {{"INFORME", S("R1")}, {"IDCOL", N(id)}, {"TIPOCOL", N(1)}, {"CAMPO", S("Colum" + std::to_string(id))},
                       {"CAMPOREL", S(id == 1 ? "CODIGO" : "IMPORTE")}, {"TITULO", S(id == 1 ? "Código" : "Importe")},
                       {"TIPO", S(id == 1 ? "C" : "N")}, {"IMPRIMIR", Value::Logical(true)}, {"ANCHO", N(8)},
                       {"PINICIAL", N(id == 1 ? 1 : 10)}, {"LINEA", N(1)}});
    Add("GrafCat", "CODIGO := 'EST', DESCRIPC := 'Estadísticas'");
    Add("Graficos", "CODIGO := 'G1', CATEGORIA := 'EST', DESCRIPC := 'Ventas', FUNCION := 'TEST_GRAFICO(\"G1\")'");
    xb::RegisterFunction("TEST_GRAFICO", [this](xb::Args& a) {
      drawn_ = std::string(a.Str(1));
      return Value();
    });
    SetPrinterCheck([] { return false; });
    X("oInf := TInforme():New()");
  }
  void TearDown() override {
    X("oInf := NIL");
    ReportWindowTest::TearDown();
  }
  std::string drawn_;
};

// Each method opens its dialog (left by its cancel button) or says why it does not.
TEST_F(TInformeMethodsTest, EachDialogOpensFromCompiledText) {
  struct Case {
    const char* call;
    const char* shown;  // what the first window starts with: its title, ":" and its texts
  };
  const Case cases[] = {
      {"oInf:MngInformes(.T., 'R1')", " Informe: Ventas por artículo"},
      {"oInf:MngInformes(.F.,, 'VEN')", " Constructor de informes"},
      {"oInf:DoInforme(2, 'r1')", " Informe: Ventas por artículo"},
      {"oInf:DoInforme(3, 'R1')", "Atención, confirme:¿ Desea eliminar el informe R1 ?"},
      {"oInf:DuplicateInforme('R1')", " Duplicar informe"},
      {"oInf:RelInforme('R1')", " Atención:Debe seleccionar un informe maestro para relacionar."},
      {"oInf:Columnas('R1')", " Columnas del informe R1"},
      {"oInf:AddColumna('R1')", " Añadir columna"},
      {"oInf:EditColumna('R1', 2)", " Editar Columna"},
      {"oInf:CalcColumna('R1')", " Columna calculada"},
      {"oInf:DoPreview('R1')", "Atención:Imposible previsualizar, el sistema no tiene instalada ninguna impresora"},
      {"oInf:RestauraInf()", " Atención:Esta opción es de uso exclusivo del usuario Supervisor."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> seen;
    {
      DialogAnswerer answerer([&](const SeenDialog& d) {
        seen.push_back(d.title + ":" + d.AllText());
        // The question's "No", any other window's cancel or only button.
        if (const int no = d.ButtonId("No")) return no;
        return GetDlgItem(d.hwnd, IDCANCEL) != nullptr ? IDCANCEL : d.buttons.empty() ? 0 : d.buttons[0].id;
      });
      X(c.call);
    }
    ASSERT_FALSE(seen.empty()) << c.call;
    EXPECT_EQ(seen.front().rfind(c.shown, 0), 0u) << c.call << ": " << seen.front();
  }
  // The edit dialog counts the report's lines per record.
  std::string height;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      height = d.AllText();
      return IDCANCEL;
    });
    EXPECT_FALSE(X("oInf:EditColumna('R1', 1)").AsLogical());
  }
  EXPECT_NE(height.find("Los registros de este informe ocupan 2 líneas"), std::string::npos) << height;
}

TEST_F(TInformeMethodsTest, TheTreesOpenTakeTheirKeysAndEndFromCompiledTextAndAGraphicRuns) {
  std::vector<std::string> seen;
  {
    DialogAnswerer answerer([&](const SeenDialog& d) {
      if (d.title != "Informes" && d.title != "Gráficos") return 0;
      seen.push_back(d.title);
      // Each shown again by Show after it was hidden; the report tree left by its "(S)alir"
      // letter, the graphics tree by End.
      ShowWindow(d.hwnd, SW_HIDE);
      EXPECT_TRUE(X("oInf:Show()").AsLogical());
      EXPECT_TRUE(IsWindowVisible(d.hwnd)) << d.title;
      if (d.title == "Informes") EXPECT_TRUE(X("oInf:NewKeyChar(Asc('s'))").AsLogical());
      else X("oInf:End()");
      return 0;
    });
    X("oInf:ActivateArbol()");
    X("oInf:ArbolGraficos()");
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Informes", "Gráficos"}));
  EXPECT_FALSE(X("oInf:NewKeyChar(Asc('s')) .OR. oInf:New2KeyChar(Asc('e'))").AsLogical());  // nothing open
  EXPECT_TRUE(X("oInf:DoGrafico('G1')").AsLogical());
  EXPECT_EQ(drawn_, "G1");
  EXPECT_FALSE(X("oInf:DoGrafico('G9')").AsLogical());
  // With the dictionary closed, a method opens it for its call.
  dict_->End();
  drawn_.clear();
  EXPECT_TRUE(X("oInf:DoGrafico('G1')").AsLogical());
  EXPECT_EQ(drawn_, "G1");
  EXPECT_TRUE(TDictQZ::AliasOf("Informes").empty());
}

// The operation of the error a call of compiled text raised ("" when none).
std::string ErrorOf(const std::string& call) {
  std::string operation;
  xb::ErrorBlockScope trap(Value(xb::Block::Native([&](xb::Args& a) {
    operation = std::string(xb::Send(a.Arg(1), "OPERATION").AsString());
    return Value();
  })));
  X(call);
  return operation;
}

HWND Page(HWND dialog, int n) {
  auto* folder = dynamic_cast<ui::TFolder*>(ui::OWndFromHwnd(GetDlgItem(dialog, 300)).get());
  return folder != nullptr && folder->Page(n) != nullptr ? folder->Page(n)->hWnd : nullptr;
}

// The report dialog's methods over a report with columns of every kind a condition compares.
class TInformeDialogMethodsTest : public TInformeMethodsTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TInformeMethodsTest::SetUp());
    struct Column {
      int id, kind;
      const char *source, *title, *type;
    };
    for (const Column& c : {Column{3, 1, "ACTIVO", "Activo", "L"}, Column{4, 1, "FECHA", "Fecha", "D"},
                            Column{5, 7, "ESTADO", "Estado", "C"}, Column{6, 1, "HORAS", "Horas", "H"}})
      Add("Columnas", {{"INFORME", S("R1")}, {"IDCOL", N(c.id)}, {"TIPOCOL", N(c.kind)},
                       {"CAMPO", S("Colum" + std::to_string(c.id))}, {"CAMPOREL", S(c.source)}, {"TITULO", S(c.title)},
                       {"TIPO", S(c.type)}, {"IMPRIMIR", Value::Logical(true)}, {"ANCHO", N(8)},
                       {"PINICIAL", N(10 * c.id)}, {"LINEA", N(1)}});
    for (const auto& [stored, shown] : {std::pair{"A", "Abierto"}, std::pair{"C", "Cerrado"}})
      Add("CampoRes", {{"TABLA", S("ARTICULO")}, {"CAMPO", S("ESTADO")}, {"VALOR", S(stored)}, {"RESULTA", S(shown)}});
    TDictQZ::lDebug() = true;  // the page of the initial-value functions
  }
  // The live rows of report R1 in a dictionary table (of one type in Condicio), their fields
  // joined by "|".
  std::vector<std::string> Saved(std::string_view table, const std::vector<std::string>& fields, const std::string& type = {}) {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    xb::rdd::WorkArea& a = *areas.Area(areas.AreaOfAlias(TDictQZ::AliasOf(table)));
    const auto text = [&a](const std::string& name) {
      const Value v = a.GetField(a.FieldPos(name));
      if (v.IsNumber()) return std::to_string(static_cast<int>(v.AsDouble()));
      return std::string(xb::AllTrim(v.AsString()));
    };
    const int order = a.controlling_order();
    a.SetControllingOrder(0);
    std::vector<std::string> out;
    for (a.GoTop(); !a.eof(); a.Skip(1)) {
      if (a.Deleted() || text("INFORME") != "R1" || (!type.empty() && text("TIPO") != type)) continue;
      std::string line;
      for (const std::string& f : fields) line += (line.empty() ? "" : "|") + text(f);
      out.push_back(line);
    }
    a.SetControllingOrder(order);
    std::sort(out.begin(), out.end());
    return out;
  }
};

// With no report dialog open each of them says so and does nothing; Show finds nothing to show.
TEST_F(TInformeDialogMethodsTest, WithNoReportDialogOpenEachSaysSo) {
  const char* const calls[] = {
      "oInf:GuardaInforme()",     "oInf:FilterBuilder('C')", "oInf:OrderBuilder()", "oInf:MngCondicion('C')",
      "oInf:GuardaCondicion('C',, 'Colum2', 5, 1)", "oInf:GenLine('C', 1)", "oInf:FillSay('A')",
      "oInf:InitOrder()",         "oInf:GenOrder({1})",      "oInf:Iniciales()",   "oInf:MngInicial()"};
  for (const char* call : calls) {
    std::vector<std::string> said;
    Value answer;
    {
      DialogAnswerer answerer([&](const SeenDialog& d) {
        said.push_back(d.title + ":" + d.AllText());
        return Ok(d);
      });
      answer = X(call);
    }
    EXPECT_TRUE(answer.IsNil() || (answer.IsLogical() && !answer.AsLogical())) << call;
    EXPECT_EQ(said, std::vector<std::string>{"Atención:No hay ningún informe abierto en el constructor de informes."})
        << call;
  }
  EXPECT_TRUE(X("oInf:oDlg == NIL .AND. !oInf:Show()").AsLogical());
  EXPECT_EQ(Saved("Condicio", {"TIPO"}), std::vector<std::string>{});
}

// While the dialog is open, compiled text writes conditions, groups and orders into its working
// copy, reads them back as the pages show them, and saves the report as OK would.
TEST_F(TInformeDialogMethodsTest, ConditionsGroupsAndOrdersGoToTheOpenDialogsCopyAndAreSaved) {
  struct Case {
    const char* args;   // GuardaCondicion's after the type and row
    const char* line;   // GenLine of the row made; "": refused with `said`, none made
    const char* said;   // the message; "": an argument error when `line` is ""
  };
  const Case cases[] = {
      {"'Colum2', 5, 1000.5", "El contenido de la columna Importe sea mayor que 1000.5", ""},
      {"'Colum2', 2, '1.234,5'", "El contenido de la columna Importe sea igual a 1234.5", ""},
      {"'Colum3', 2, .F., 3", "El contenido de la columna Activo sea igual a falso o bien", ""},
      {"'Colum4', 7, STOD('20240131')", "El contenido de la columna Fecha sea mayor o igual que 31-01-2024", ""},
      {"'Colum4', 4, '29-02-2024'", "El contenido de la columna Fecha sea menor que 29-02-2024", ""},
      {"'Colum5', 2, 'cerrado'", "El contenido de la columna Estado sea igual a Cerrado", ""},
      {"'Colum5', 3, 1", "El contenido de la columna Estado sea distinto de Abierto", ""},
      {"'Colum6', 4, '01:30'", "El contenido de la columna Horas sea menor que 1:30", ""},
      {"'Colum6', 5, 45", "El contenido de la columna Horas sea mayor que 0:45", ""},
      {"'Colum1', 8", "El contenido de la columna Código esté vacío", ""},
      {"'colum1', 10, 'AB', 2", "El contenido de la columna Código sea que contenga AB y además", ""},
      {"'Colum2', 5, 'abc'", "", "Número no válido"},
      {"'Colum4', 2, '31-02-2024'", "", "Fecha no válida"},
      {"'Colum4', 2, CTOD('')", "", "Fecha no válida"},
      {"'Colum6', 2, '01:75'", "", "Hora no válida"},
      {"'Colum9', 2, 1", "", ""},
      {"'Colum2', 1, 1", "", ""},
      {"'Colum2', 11, 1", "", ""},
      {"'Colum2', 2, 1, 4", "", ""},
      {"'Colum2', 2, .T.", "", ""},
      {"'Colum3', 2, 'si'", "", ""},
      {"'Colum5', 2, 'Otro'", "", ""},
      {"'Colum5', 2, 3", "", ""},
  };
  bool busy = false, done = false;
  std::vector<std::string> said;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == "Atención") {
      said.push_back(d.AllText());
      return Ok(d);
    }
    if (d.title != " Informe: Ventas por artículo" || busy || done) return 0;
    busy = true;
    EXPECT_EQ(X("oInf:oDlg:hWnd").AsInt(), reinterpret_cast<std::intptr_t>(d.hwnd));
    int made = 0;
    for (const Case& c : cases) {
      said.clear();
      const std::string call = std::string("oInf:GuardaCondicion('C',, ") + c.args + ")";
      if (*c.line != '\0') {
        EXPECT_TRUE(X(call).AsLogical()) << call;
        ++made;
        EXPECT_EQ(X("oInf:GenLine('C', " + std::to_string(made) + ")").AsString(), c.line) << call;
      } else if (*c.said != '\0') {
        EXPECT_FALSE(X(call).AsLogical()) << call;
        EXPECT_EQ(said, std::vector<std::string>{c.said}) << call;
      } else {
        EXPECT_EQ(ErrorOf(call), "GUARDACONDICION") << call;
      }
      const std::string say(X("oInf:FillSay('C')").AsString());
      EXPECT_EQ(say.empty() ? 0 : std::count(say.begin(), say.end(), '\n') + 1, made) << call;
    }
    // A row rewritten keeps its letter; a new row set the link of the one before to "y además".
    EXPECT_TRUE(X("oInf:GuardaCondicion('C', 1, 'Colum2', 4, 10, 1)").AsLogical());
    EXPECT_EQ(X("oInf:GenLine('c', 1)").AsString(), "El contenido de la columna Importe sea menor que 10");
    EXPECT_EQ(X("oInf:GenLine('C', 2)").AsString(), "El contenido de la columna Importe sea igual a 1234.5 y además");
    for (const char* call : {"oInf:GenLine('C', 99)", "oInf:GenLine('B', 1)", "oInf:GuardaCondicion('C', 99, 'Colum2', 2, 1)",
                             "oInf:GuardaCondicion('X',, 'Colum2', 2, 1)", "oInf:FillSay('E')"})
      EXPECT_NE(ErrorOf(call), "") << call;
    // Groups and stop conditions.
    EXPECT_TRUE(X("oInf:GuardaCondicion('B',, 'Colum1 + Colum5', 'Artículo:', 'Total', 'Colum1+Colum2', '1 + 2')").AsLogical());
    EXPECT_TRUE(X("oInf:GuardaCondicion('B',, 'Colum3')").AsLogical());
    EXPECT_EQ(ErrorOf("oInf:GuardaCondicion('B',, 'Colum1 + Colum9')"), "GUARDACONDICION");
    EXPECT_EQ(ErrorOf("oInf:GuardaCondicion('B',, '')"), "GUARDACONDICION");
    EXPECT_EQ(X("oInf:FillSay('B')").AsString(), "Agrupar cuando cambie Código más Estado\r\nAgrupar cuando cambie Activo");
    EXPECT_TRUE(X("oInf:GuardaCondicion('D',, 'Colum2', 5, 100)").AsLogical());
    // Orders: made from positions or work fields up to the first 0, read back for the boxes.
    EXPECT_EQ(X("oInf:GenOrder({'Colum2', 1, 0, 3})").AsInt(), 2);
    EXPECT_EQ(X("oInf:FillSay('A')").AsString(), "Ordenar por Importe y además Código");
    EXPECT_TRUE(X("(a := oInf:InitOrder(), Len(a) == 5 .AND. a[1] == 2 .AND. a[2] == 1 .AND. a[3] == 0)").AsLogical());
    EXPECT_EQ(X("Len(oInf:InitOrder(1))").AsInt(), 1);
    for (const char* call : {"oInf:GenOrder({'Colum9'})", "oInf:GenOrder({7})", "oInf:GenOrder('Colum1')"})
      EXPECT_EQ(ErrorOf(call), "GENORDER") << call;
    // The pages show what the copy holds.
    EXPECT_EQ(ItemText(Page(d.hwnd, 3), 301), "Ordenar por Importe y además Código");
    EXPECT_EQ(ItemText(Page(d.hwnd, 3), 311), X("oInf:FillSay('B')").AsString());
    EXPECT_EQ(ItemText(Page(d.hwnd, 4), 401), X("oInf:FillSay('C')").AsString());
    // Saved as OK saves, the dialog left open; then left by its cancel.
    EXPECT_TRUE(X("oInf:GuardaInforme()").AsLogical());
    EXPECT_TRUE(IsWindow(d.hwnd));
    busy = false;
    done = true;
    Post(d.hwnd, IDCANCEL);
    return 0;
  });
  EXPECT_TRUE(X("oInf:MngInformes(.T., 'R1')").AsLogical());  // saved, so the caller reloads
  EXPECT_TRUE(done);
  EXPECT_TRUE(X("oInf:oDlg == NIL").AsLogical());
  const std::vector<std::string> fields = {"ORDEN", "ENLACE", "COLUMNA", "CAMPO", "OPERADOR", "VALOR", "FLDTIPO"};
  EXPECT_EQ(Saved("Condicio", fields, "C"),
            (std::vector<std::string>{"A|2|Colum2|IMPORTE|4|10|N", "B|2|Colum2|IMPORTE|2|1234.5|N",
                                      "C|3|Colum3|ACTIVO|2|.F.|L", "D|2|Colum4|FECHA|7|31-01-2024|D",
                                      "E|2|Colum4|FECHA|4|29-02-2024|D", "F|2|Colum5|ESTADO|2|2|V",
                                      "G|2|Colum5|ESTADO|3|1|V", "H|2|Colum6|HORAS|4|90|H", "I|2|Colum6|HORAS|5|45|H",
                                      "J|2|Colum1|CODIGO|8||C", "K|1|Colum1|CODIGO|10|AB|C"}));
  EXPECT_EQ(Saved("Condicio", {"ORDEN", "ENLACE", "CAMPO", "COLUMNA", "TEXTOTIT", "TEXTOPIE", "IMPRIME", "VALOR"}, "B"),
            (std::vector<std::string>{"A|2|Colum1 + Colum5|Colum1|Artículo:|Total|Colum1 + Colum2|1 + 2",
                                      "B|1|Colum3|Colum3||||"}));
  EXPECT_EQ(Saved("Condicio", {"ORDEN", "ENLACE", "COLUMNA"}, "A"), (std::vector<std::string>{"A|2|Colum2", "B|1|Colum1"}));
  EXPECT_EQ(Saved("Condicio", {"ORDEN", "ENLACE", "VALOR"}, "D"), std::vector<std::string>{"A|1|100"});
}

// The builders and the initial-value functions' dialog open from compiled text over the open
// dialog's copy, which is not saved when the dialog is cancelled; Show brings the dialog back.
TEST_F(TInformeDialogMethodsTest, TheBuildersOpenFromCompiledTextOverTheOpenDialogsCopy) {
  std::vector<std::string> seen;
  bool busy = false, done = false;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == " Añadir condición") {
      seen.push_back(d.title);
      Choose(d.hwnd, 101, 1);                                // Importe
      SendDlgItemMessageA(d.hwnd, 102, CB_SETCURSEL, 3, 0);  // mayor que
      SetDlgItemTextA(d.hwnd, 103, "50");
      return IDOK;
    }
    if (d.title == " Agrupar cuando cambie...") {
      seen.push_back(d.title);
      Choose(d.hwnd, 101, 1);  // Código
      return IDOK;
    }
    if (d.title == " Mantenimiento de funciones iniciales") {
      const std::string was = ItemText(d.hwnd, 102);
      seen.push_back(d.title + ":" + was);
      SetDlgItemTextA(d.hwnd, 102, "IniVentas()");
      SetDlgItemTextA(d.hwnd, 103, was.empty() ? "Ventas" : "Ventas iniciales");
      return IDOK;
    }
    if (d.title == " Modificar condición" || d.title == " Ordenar informe por ...") {
      seen.push_back(d.title);
      return IDCANCEL;
    }
    if (d.title == " Constructor de expresiones") {
      seen.push_back(d.title);
      return IDOK;
    }
    if (d.title != " Informe: Ventas por artículo" || busy || done) return 0;
    busy = true;
    EXPECT_TRUE(X("oInf:MngCondicion('C')").AsLogical());
    EXPECT_FALSE(X("oInf:MngCondicion('C', 1)").AsLogical());
    EXPECT_TRUE(X("oInf:MngCondicion('B')").AsLogical());
    for (const char* call : {"oInf:MngCondicion('A')", "oInf:MngCondicion('C', 2)", "oInf:MngCondicion()"})
      EXPECT_EQ(ErrorOf(call), "MNGCONDICION") << call;
    EXPECT_TRUE(X("oInf:FilterBuilder('C')").AsLogical());
    EXPECT_FALSE(X("oInf:OrderBuilder()").AsLogical());
    EXPECT_EQ(ErrorOf("oInf:FilterBuilder('A')"), "FILTERBUILDER");
    EXPECT_EQ(X("Len(oInf:Iniciales())").AsInt(), 0);
    EXPECT_TRUE(X("oInf:MngInicial()").AsLogical());
    EXPECT_TRUE(X("oInf:MngInicial(1)").AsLogical());
    EXPECT_EQ(ErrorOf("oInf:MngInicial(2)"), "MNGINICIAL");
    EXPECT_TRUE(X("(a := oInf:Iniciales(), Len(a) == 1 .AND. a[1][1] == 1 .AND. a[1][3] == 'Ventas iniciales')").AsLogical());
    EXPECT_EQ(X("oInf:FillSay('C')").AsString(), "El contenido de la columna Importe sea mayor que 50");
    EXPECT_EQ(ItemText(Page(d.hwnd, 4), 401), "El contenido de la columna Importe sea mayor que 50");
    EXPECT_EQ(X("oInf:FillSay('B')").AsString(), "Agrupar cuando cambie Código");
    // Shown again after it was hidden.
    ShowWindow(d.hwnd, SW_HIDE);
    EXPECT_TRUE(X("oInf:Show()").AsLogical());
    EXPECT_TRUE(IsWindowVisible(d.hwnd));
    busy = false;
    done = true;
    Post(d.hwnd, IDCANCEL);
    return 0;
  });
  EXPECT_FALSE(X("oInf:MngInformes(.T., 'R1')").AsLogical());
  EXPECT_EQ(seen, (std::vector<std::string>{" Añadir condición", " Modificar condición", " Agrupar cuando cambie...",
                                            " Constructor de expresiones", " Ordenar informe por ...",
                                            " Mantenimiento de funciones iniciales:",
                                            " Mantenimiento de funciones iniciales:IniVentas()"}));
  EXPECT_EQ(Saved("Condicio", {"TIPO"}), std::vector<std::string>{});
  EXPECT_EQ(Saved("Inicial", {"FUNCION"}), std::vector<std::string>{});
}

// A new report saved from compiled text is refused until complete, then saved once: its code
// is fixed and OK rewrites its row.
TEST_F(TInformeDialogMethodsTest, ANewReportSavedFromCompiledTextIsEditedFromThenOn) {
  std::vector<std::string> said;
  bool busy = false, done = false, fixed = false;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title == "Atención") {
      said.push_back(d.AllText());
      return Ok(d);
    }
    if (d.title != " Constructor de informes" || busy || done) return 0;
    busy = true;
    EXPECT_FALSE(X("oInf:GuardaInforme()").AsLogical());
    HWND p1 = Page(d.hwnd, 1);
    SetDlgItemTextA(p1, 101, "nuevo");
    SetDlgItemTextA(p1, 104, "Nuevo informe");
    SetDlgItemTextA(p1, 105, "ARTICULO");
    EXPECT_TRUE(X("oInf:GuardaInforme()").AsLogical());
    fixed = (GetWindowLongA(GetDlgItem(p1, 101), GWL_STYLE) & ES_READONLY) != 0;
    SetDlgItemTextA(p1, 104, "Nuevo informe de ventas");
    EXPECT_TRUE(X("oInf:GenOrder({}) == 0").AsLogical());  // a new report has no columns yet
    EXPECT_EQ(X("oInf:FillSay('A')").AsString(), "");
    busy = false;
    done = true;
    Post(d.hwnd, IDOK);
    return 0;
  });
  EXPECT_TRUE(X("oInf:MngInformes(.F.,, 'VEN')").AsLogical());
  EXPECT_EQ(said, std::vector<std::string>{"Debe rellenar los campos de la primera pestaña"});
  EXPECT_TRUE(fixed);
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea& inf = *areas.Area(areas.AreaOfAlias(TDictQZ::AliasOf("Informes")));
  std::vector<std::string> rows;
  inf.SetControllingOrder(0);
  for (inf.GoTop(); !inf.eof(); inf.Skip(1))
    if (!inf.Deleted() && xb::AllTrim(inf.GetField(inf.FieldPos("INFORME")).AsString()) == "NUEVO")
      rows.push_back(std::string(xb::AllTrim(inf.GetField(inf.FieldPos("DESCRIPC")).AsString())));
  EXPECT_EQ(rows, std::vector<std::string>{"Nuevo informe de ventas"});
}

}  // namespace
}  // namespace reports
