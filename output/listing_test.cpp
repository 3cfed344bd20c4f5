// The listings: the listing file's numbers, the printer notice after a crashed driver, the
// printer table and the listing printer's roles, the listing driver's walk (events in order,
// page and group breaks, footers, spooler errors, cancel) on the test printer and into text
// files compared with golden files, and a page range chosen in the print dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "output/destination_config.h"
#include "output/document_headers.h"
#include "output/listing_driver.h"
#include "output/listing_file.h"
#include "output/listing_window.h"
#include "output/output_test_support.h"
#include "output/output.h"
#include "output/printer_helpers.h"
#include "output/printer_table.h"
#include "output/tfont2.h"
#include "output/tprinter2.h"
#include "reports/dictionary_tables.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "services/login.h"
#include "services/services.h"
#include "services/table_helpers.h"
#include "services/user_session.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_printer.h"
#include "tests/support/window_text.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/profile.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::PrinterOutput;
using vdr::test::SeenDialog;
using vdr::test::WindowText;
using xb::Args;
using xb::Value;

const unsigned char kFileListing[] = {
#include "listing_file.inc"
};
const unsigned char kFileGroups[] = {
#include "listing_groups.inc"
};
std::string Golden(const unsigned char* bytes, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(bytes), size);
}

Value X(const std::string& text) { return xb::EvalMacro(text); }

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

using test::ReadFile;
using test::TempFolder;

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// The first button of a message box; the listing's progress dialog is left alone.
DialogAnswerer::Chooser FirstButton() {
  return [](const SeenDialog& d) {
    if (d.title == "Listando") return 0;
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  };
}

// The boxes seen, without the listing's progress dialog.
std::vector<SeenDialog> Boxes(const DialogAnswerer& answer) {
  std::vector<SeenDialog> boxes;
  for (const SeenDialog& d : answer.seen())
    if (d.title != "Listando") boxes.push_back(d);
  return boxes;
}

class ListingTest : public ui::test::FrameworkTest {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(vdr::test::RunTestPrinter("install-second"), 0); }
  static void TearDownTestSuite() { vdr::test::RunTestPrinter("remove-second"); }

  void SetUp() override {
    FrameworkTest::SetUp();
    test::StartListingRun(folder_.path(), functions_);
    SetUser("01");
    CActivo("");
    nDestinoListado(0);
  }
  void TearDown() override {
    SetSpoolerFilter({});
    if (Impresora()) Impresora()->End();
    Impresora(nullptr);
    xb::rdd::ResetTables();
    ui::PrinterInit();
    FrameworkTest::TearDown();
    functions_.Restore();
  }

  xb::FunctionTableSnapshot functions_;

  // The printer table with the test printers: main "1", and the secondary "2" when asked.
  void WritePrinters(bool secondary = true, double line_mm = 4.2, int foot_lines = 0) {
    ASSERT_TRUE(CreaImprDbf());
    svc::SelectedAreaScope keep;
    ASSERT_TRUE(svc::OpenTable(GesPrnTable(), "_P", true));
    svc::OpenedArea area(true);
    test::AppendTestPrinter(vdr::test::kTestPrinter, "LPT1:", "1", 1, line_mm, foot_lines);
    if (secondary) test::AppendTestPrinter("Impresora secundaria de pruebas", "LPT2:", "2", 2, line_mm, foot_lines);
  }

  // A table of `n` articles in families of `family` records.
  void WriteArticles(int n, int family = 10) {
    const std::string table = folder_ / "Articulo.dbf";
    ASSERT_TRUE(X("DBCREATE('" + table +
                  "', {{'CODIGO','C',6,0},{'NOMBRE','C',20,0},{'FAMILIA','C',2,0},{'PRECIO','N',10,2},"
                  "{'FECHA','D',8,0},{'ACTIVO','L',1,0}}, 'ADS')")
                    .AsLogical());
    X("DBUSEAREA(.T., 'ADS', '" + table + "', 'ARTICULO', .F., .F.)");
    for (int i = 1; i <= n; ++i) {
      X("DBAPPEND()");
      char code[8];
      std::snprintf(code, sizeof code, "A%05d", i);
      X(std::string("FIELDPUT(1, '") + code + "')");
      X("FIELDPUT(2, 'Artículo número " + std::to_string(i) + "')");
      X("FIELDPUT(3, '" + std::string(1, static_cast<char>('A' + (i - 1) / family)) + "1')");
      X("FIELDPUT(4, " + std::to_string(i * 12.5) + ")");
      X("FIELDPUT(5, STOD('2026" + std::string(i % 2 == 0 ? "0315" : "1201") + "'))");
      X(std::string("FIELDPUT(6, ") + (i % 3 == 0 ? ".F." : ".T.") + ")");
    }
    X("DBGOTOP()");
  }

  // A header table of the dictionary in the reports' folder, with its records.
  void WriteDictTable(const std::string& name, const std::vector<std::vector<std::pair<std::string, Value>>>& rows) {
    const reports::DictTable* table = reports::FindDictTable(name);
    ASSERT_NE(table, nullptr);
    std::vector<svc::FieldDef> fields;
    for (const auto& f : table->fields) fields.push_back({f.name, f.type, f.length, f.decimals});
    const std::string path = data::cPathInforme() + name;
    ASSERT_TRUE(svc::CreateTable(path, fields));
    svc::SelectedAreaScope keep;
    ASSERT_TRUE(svc::OpenTable(path, "_H", true));
    svc::OpenedArea area(true);
    std::vector<svc::TagDef> tags;
    for (const auto& t : table->tags) tags.push_back({std::string(t.name), std::string(t.key)});
    svc::CreateTags(tags);
    for (const auto& row : rows) {
      svc::Area().Append();
      for (const auto& [field, value] : row) svc::PutField(field, value);
      svc::Area().Commit();
    }
  }

  // Model "001": a title, the company, the page, the user, a registered item, a text that
  // wraps, a word wider than its room, a rule and a frame; the body starts at 40 mm.
  void WriteHeaderModel() {
    auto S = [](const char* s) { return Value::String(s); };
    auto N = [](double n) { return Value::Number(n); };
    WriteDictTable("CabeH", {{{"COD", S("001")}, {"DESCRIP", S("Cabecera de pruebas")}, {"POSICION", N(40)},
                              {"ACTIVO", Value::Logical(true)}}});
    auto line = [&](int kind, const char* text, double row, double col, double row2 = 0, double col2 = 0,
                    double max = 0, double spacing = 0, const char* adjust = "I") {
      return std::vector<std::pair<std::string, Value>>{
          {"COD", S("001")},        {"DATO", N(kind)},     {"TEXTO", S(text)},     {"LINEA", N(row)},
          {"COLUMNA", N(col)},      {"LINEA2", N(row2)},   {"COLUMNA2", N(col2)},  {"LONGMAX", N(max)},
          {"INTERLINEA", N(spacing)}, {"AJUSTE", S(adjust)}, {"ACTIVO", Value::Logical(true)},
          {"GROSOR", N(2)},         {"FUENTE", N(kind == 1 ? 1 : 0)}};
    };
    WriteDictTable("CabeD", {line(1, "CABECERA DE PRUEBAS", 8, 20),
                             line(5, "", 14, 20),
                             line(6, "", 14, 190, 0, 0, 0, 0, "D"),
                             line(10, "", 20, 20),
                             line(11, "7", 20, 100),
                             line(1, "Un texto largo que no cabe en su sitio y se parte en varias lineas", 26, 20, 0,
                                  0, 60, 5),
                             line(1, "Anchisimapalabrasinespacios", 30, 120, 0, 0, 5, 5),
                             line(2, "", 38, 10, 38, 200),
                             line(2, "", 4, 8, 50, 202)});
    WriteDictTable("Fonts", {{{"NFONT", N(1)}, {"CFACENAME", S("Arial")}, {"NHEIGHT", N(14)},
                              {"LBOLD", Value::Logical(true)}}});
  }

  TempFolder folder_;
};

// A process number comes back after Wine's server restarts: the folder a killed run of that
// number left behind, tables and all, must not reach the next test.
TEST(TempFolderTest, AFolderLeftByAKilledRunOfTheSameNumberStartsEmpty) {
  std::string next;
  {
    TempFolder probe("vdrleft");
    next = probe.path();
  }
  const std::size_t cut = next.rfind('_');
  next = next.substr(0, cut + 1) + std::to_string(std::stoi(next.substr(cut + 1)) + 1) + "\\";
  ASSERT_TRUE(CreateDirectoryA(next.c_str(), nullptr));
  std::ofstream(next + "Informes.dbf") << "left";
  TempFolder folder("vdrleft");
  ASSERT_EQ(folder.path(), next);
  EXPECT_EQ(GetFileAttributesA((folder / "Informes.dbf").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(folder.path().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// ---- the listing file --------------------------------------------------------------------------------

// The fixture gives the function table back as it found it: the data and services' functions
// it registered, and a function its test replaced, do not stay for the next tests.
class ListingFixtureRun : public ListingTest {
 public:
  void TestBody() override {}
  void Run(const std::function<void()>& body) {
    SetUp();
    body();
    TearDown();
  }
};

TEST(ListingFixtureTest, LeavesTheFunctionTableAsItFoundIt) {
  xb::RegisterFunction("T_LISTADO_PREVIA", [](Args&) { return Value::Integer(1); });
  ListingFixtureRun run;
  run.Run([] {
    for (const char* name : {"CACCESOMENU", "CCODUSER", "LNETUSE", "CPATHSTART"})
      EXPECT_TRUE(xb::IsFunctionRegistered(name)) << name;
    xb::RegisterFunction("T_LISTADO_PREVIA", [](Args&) { return Value::Integer(2); });
  });
  for (const char* name : {"CACCESOMENU", "CCODUSER", "LNETUSE", "CPATHSTART"})
    EXPECT_FALSE(xb::IsFunctionRegistered(name)) << name;
  EXPECT_EQ(X("T_LISTADO_PREVIA()").AsInt(), 1);
  EXPECT_TRUE(xb::IsFunctionRegistered("TMETER")) << "the controls' functions, registered once, stay";
}

TEST_F(ListingTest, NumbersKeepThreeDecimalsInTheirThreeIntegers) {
  struct Case {
    double value;
    std::int32_t parts[3];
    double back;
  };
  const Case cases[] = {
      {3.14159, {0, 3, 141}, 3.141},
      {-3.14159, {0, -3, -141}, -3.141},
      {0, {0, 0, 0}, 0},
      {2147483648.0, {1, 0, 0}, 2147483648.0},
      {5000000000.25, {2, 705032704, 250}, 5000000000.25},
      {-5000000000.5, {-2, -705032704, -500}, -5000000000.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    std::int32_t parts[3];
    SplitNumber(c.value, parts);
    EXPECT_EQ(parts[0], c.parts[0]);
    EXPECT_EQ(parts[1], c.parts[1]);
    EXPECT_EQ(parts[2], c.parts[2]);
    EXPECT_DOUBLE_EQ(JoinNumber(parts), c.back);
  }
  // Through the file: a number, a text and a logical, read back in order.
  auto file = xb::MakeRef<TFileC>();
  file->New({.mode = 3, .prefix = "LST"});
  ASSERT_TRUE(file->IsOpen());
  EXPECT_EQ(file->cFileTitle.substr(0, 3), "LST");
  EXPECT_EQ(file->nWrite(Value::Number(3.14159)), 4);
  EXPECT_EQ(file->nWrite(Value::String("año")), 3);
  EXPECT_EQ(file->nWrite(Value::Logical(true)), 1);
  EXPECT_EQ(file->nWrite(Value()), -1);
  EXPECT_EQ(file->nSeek(0), 0);
  Value number, text, logical;
  EXPECT_EQ(file->nRead(number, 'N'), 4);
  EXPECT_EQ(file->nRead(text, 'C', 3), 3);
  EXPECT_EQ(file->nRead(logical, 'L'), 1);
  EXPECT_DOUBLE_EQ(number.AsDouble(), 3.141);
  EXPECT_EQ(text.AsString(), "año");
  EXPECT_TRUE(logical.AsLogical());
  EXPECT_EQ(file->nRead(text, 'D'), -1);
  const std::string name = file->cFileName;
  file->Close();
  EXPECT_EQ(file->nWrite(Value::Number(1)), -1);
  file->Remove();
  EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---- the printer notice --------------------------------------------------------------------------------

TEST_F(ListingTest, AFlagFileLeftByACrashShowsTheNoticeAtTheNextLogIn) {
  struct Case {
    bool flag;
    const char* setting;  // "" : none
    bool tick;
    bool shown;
    const char* after;
  };
  const Case cases[] = {
      {true, "", false, true, "SI"},   {true, "NO", false, true, "SI"}, {true, "NO", true, true, "NO"},
      {false, "SI", false, true, "SI"}, {false, "SI", true, true, "NO"}, {false, "", false, false, ""},
      {false, "NO", false, false, "NO"},
  };
  const std::string ini = InitPrnIni();
  EXPECT_EQ(ini, folder_ / "InitPrn.QZ");
  EXPECT_EQ(FlagFilePath(), folder_ / "~Flag01.flg");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.flag ? "flag " : "no flag ") + c.setting + (c.tick ? " ticked" : ""));
    DeleteFileA(ini.c_str());
    if (*c.setting != '\0') ui::WritePProString("INFO", "SHOW01", c.setting, ini);
    if (c.flag) std::ofstream(FlagFilePath()).close();
    EXPECT_EQ(FlagFile(), c.flag);
    DialogAnswerer answer([&](const SeenDialog& d) {
      if (c.tick) SendMessageA(GetDlgItem(d.hwnd, 200), BM_CLICK, 0, 0);
      if (c.flag && !c.tick) {
        EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\printer_notice.bmp"));
      }
      return 400;
    });
    EXPECT_TRUE(X("INITPRNMSG()").AsLogical());
    ASSERT_EQ(answer.seen().size(), c.shown ? 1u : 0u);
    if (c.shown) {
      EXPECT_NE(answer.seen()[0].AllText().find("El driver de su impresora ha provocado"), std::string::npos);
    }
    EXPECT_FALSE(FlagFile());
    EXPECT_EQ(ui::GetPvProfString("INFO", "SHOW01", "", ini), c.after);
  }
  // A device context made through the layer leaves no flag behind.
  HDC dc = DcImpresora(vdr::test::kTestPrinter, "LPT1:", "winspool");
  ASSERT_NE(dc, nullptr);
  DeleteDC(dc);
  EXPECT_FALSE(FlagFile());
}

TEST_F(ListingTest, AFlagFileLeftByACrashShowsTheNoticeAfterTheLogIn) {
  // The supervisor ("00", no password) logs in; a driver crashed the last run of that user.
  SetUser("00");
  std::ofstream(FlagFilePath()).close();
  SetUser("");
  bool notice = false;
  DialogAnswerer answer([&](const SeenDialog& d) -> int {
    if (d.title == "Aviso de impresora") {
      notice = true;
      return 400;
    }
    if (d.title != " Identificación de usuario" || !IsWindowEnabled(d.hwnd)) return 0;
    PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(550, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, 550)));
    return 0;
  });
  ASSERT_TRUE(svc::lIdentifica({.create = true}));
  EXPECT_EQ(svc::cCodUser(), "00");
  EXPECT_TRUE(notice);
  EXPECT_EQ(FlagFilePath(), folder_ / "~Flag00.flg");
  EXPECT_FALSE(FlagFile());
  EXPECT_EQ(ui::GetPvProfString("INFO", "SHOW00", "", InitPrnIni()), "SI");
}

// ---- the printer table and the listing printer ----------------------------------------------------------

TEST_F(ListingTest, ThePrinterTableGivesTheMainAndSecondaryPrinters) {
  ASSERT_TRUE(X("CREAIMPRDBF()").AsLogical());
  EXPECT_TRUE(svc::FileExists(svc::IndexOf(GesPrnTable())));
  EXPECT_EQ(X("NOMBRESIMPRESORA(1)[1]").AsString(), "No hay impresoras instaladas en la aplicacion");
  WritePrinters(false);
  EXPECT_EQ(X("NOMBRESIMPRESORA(1)[1]").AsString(), vdr::test::kTestPrinter);
  EXPECT_EQ(X("NOMBRESIMPRESORA(1)[2]").AsString(), "LPT1:");
  EXPECT_EQ(X("ANOMIMPRE(1)[3]").AsString(), "LPT1:");
  {
    // Printer 3 is refused; a table without a secondary printer makes it unusable.
    DialogAnswerer answer(FirstButton());
    EXPECT_FALSE(X("LINFOIMPRE(NIL, NIL, NIL, 3)").AsLogical());
    X("PRINT2NEW(.F., 2)");
    EXPECT_FALSE(Impresora()->Ok());
    ASSERT_EQ(answer.seen().size(), 2u);
    EXPECT_EQ(answer.seen()[0].AllText(), "La impresora solicitada debe ser la principal o la secundaria");
    EXPECT_EQ(answer.seen()[1].AllText(), "No se pudo seleccionar la impresora secundaria.");
    EXPECT_EQ(answer.seen()[1].title, "Error de Impresora");
  }
  WritePrinters(true);
  for (int printer : {1, 2}) {
    SCOPED_TRACE(printer);
    ASSERT_TRUE(Print2New(false, printer));
    xb::Ref<TPrinter2> p = Impresora();
    ASSERT_TRUE(p->Ok());
    EXPECT_EQ(nDestinoListado(), kMainPrinter);
    EXPECT_EQ(p->cImpresora, printer == 1 ? std::string(vdr::test::kTestPrinter) : "Impresora secundaria de pruebas");
    // 4.2 mm a line at 300 dots an inch; Courier New of 10 points: 12 characters an inch.
    EXPECT_EQ(p->nAltoLinea, 50);
    EXPECT_NEAR(p->nAnchoChar, 25, 1);
    EXPECT_EQ(p->acFonts[0].points, 10);
    EXPECT_EQ(p->acFonts[3].metrics.tmWeight, FW_BOLD);
    // The six fonts as compiled text reads them: {index, handle, face, points, bold, italic, 0, name}.
    EXPECT_EQ(X("LEN(IMPRESORA():acFonts)").AsInt(), 6);
    EXPECT_EQ(X("IMPRESORA():acFonts[4][1]").AsInt(), 4);
    EXPECT_NE(X("IMPRESORA():acFonts[4][2]").AsInt(), 0);
    EXPECT_EQ(X("IMPRESORA():acFonts[1][4]").AsInt(), 10);
    EXPECT_TRUE(X("IMPRESORA():acFonts[4][5]").AsLogical());
    EXPECT_FALSE(X("IMPRESORA():acFonts[1][5]").AsLogical());
    EXPECT_EQ(X("IMPRESORA():acFonts[4][8]").AsString(), "FNT_NORMAL_B");
    EXPECT_EQ(X("IMPRESORA():acFonts[3][8]").AsString(), "FNT_EXPAND");
    EXPECT_EQ(X("IMPRESORA():MiAveCharW[1]").AsInt(), p->nAnchoChar);
    EXPECT_EQ(X("IMPRESORA():nClrBack").AsInt(), 16777215);
    EXPECT_EQ(X("IMPRESORA():nSavSaltoLinea").AsDouble(), p->nSaltoLinea);
    EXPECT_GT(p->nLineasPagina, 60);
    const int lines = p->nLineasPagina;
    p->lSetLinPie(4);
    EXPECT_EQ(p->nLineasPagina, lines - 4);
    p->Comprimida();
    EXPECT_EQ(p->nTipoFont, 2);
    p->PesoNegrita();
    EXPECT_TRUE(p->lBold);
    p->Normal();
    EXPECT_EQ(p->nTipoFont, 1);
    EXPECT_FALSE(p->lBold);
    p->End();
    nDestinoListado(0);
  }
  EXPECT_FALSE(Impresora());
}

// ---- the driver's walk ------------------------------------------------------------------------------------

// A listing block that records its events and prints a header line, one detail line per
// record and group footers; SAYLISTADO places everything.
struct Recorder {
  std::vector<std::string> events;
  int foot = 0;
  bool header = false;  // the designed header first (IMPCAB)
  double body = 0;      // where IMPCAB said the body starts
  Value Block() {
    return Value(xb::Block::Native([this](Args& a) {
      const int event = static_cast<int>(a.Int(1));
      const int page = static_cast<int>(a.Int(3));
      std::string note = std::to_string(event);
      if (event == kDetail || event == kGroupFooter || event == kGroupHeader)
        note += ":" + std::string(X("ALLTRIM(CODIGO)").AsString());
      events.push_back(note + "@" + std::to_string(page));
      int line = static_cast<int>(a.Int(2));
      auto say = [&](int col, const Value& v, const std::string& picture = {}, bool right = false) {
        test::SayAt(line, col, v, picture, right);
      };
      switch (event) {
        case kPageHeader:
          if (header) {
            a.SetRef(2, Value::Integer(line));
            body = X("IMPCAB(NIL, NPAGINAL(), 'ocho', 'nueve')").AsDouble();
            line = nLineaL();
            // Below the header's 40 mm on paper.
            if (IsPrinterDestination(nDestinoListado())) line = 12;
          }
          say(0, Value::String("LISTADO DE ARTÍCULOS"));
          say(40, Value::String("Página " + std::to_string(page)));
          ++line;
          LinListado(line, 0, line, 47);
          ++line;
          break;
        case kDetail:
          say(0, X("CODIGO"));
          say(8, X("NOMBRE"));
          say(38, X("PRECIO"), "@E 999,999.99", true);
          say(40, X("FECHA"));
          say(52, X("ACTIVO"));
          break;
        case kGroupFooter:
          say(0, Value::String("Fin de familia"));
          say(20, X("{1}"));
          ++line;
          break;
        case kPageFooter:
          ++foot;
          say(0, Value::String("-- pie --"));
          break;
        case kEnd:
          say(0, Value::String("Fin del listado"));
          break;
        default:
          break;
      }
      a.SetRef(2, Value::Integer(line));
      return Value();
    }));
  }
};

ListingParams Params(Recorder& recorder, bool groups, bool page_group = true) {
  ListingParams p;
  p.line = recorder.Block();
  p.title = "Artículos";
  p.alias = "ARTICULO";
  p.page_group = page_group;
  if (groups) p.group = Value(xb::Block::Native([](Args&) { return X("FAMILIA"); }));
  return p;
}

TEST_F(ListingTest, AListingToATextFileIsItsGoldenFile) {
  WriteArticles(14, 5);
  struct Case {
    const char* name;
    bool groups;
    const unsigned char* golden;
    std::size_t size;
  };
  const Case cases[] = {{"listing_file", false, kFileListing, sizeof kFileListing},
                        {"listing_groups", true, kFileGroups, sizeof kFileGroups}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    X("DBGOTOP()");
    Recorder recorder;
    ListingParams p = Params(recorder, c.groups);
    const std::string file = folder_ / (std::string(c.name) + ".txt");
    RunListing(p, {.destination = kTextFile}, 1, file);
    const std::string text = ReadFile(file);
    if (text != Golden(c.golden, c.size))
      std::ofstream(vdr::test::ScreenshotFolder() + "\\" + c.name + ".txt", std::ios::binary) << text;
    EXPECT_EQ(text, Golden(c.golden, c.size)) << "see " << c.name << ".txt among the screenshots";
    EXPECT_EQ(text.find('\f'), std::string::npos);
    EXPECT_EQ(nDestinoListado(), 0);
    // A file listing never breaks pages by length: one page, or one a family.
    EXPECT_EQ(Count(text, "LISTADO DE ART"), c.groups ? 3 : 1);
    EXPECT_EQ(recorder.events.back(), "3@" + std::to_string(c.groups ? 3 : 1));
  }
}

TEST_F(ListingTest, CancellingTheFileDialogEndsTheListingInTheProgramsFolder) {
  WriteArticles(3, 10);
  char elsewhere[MAX_PATH] = {};
  GetTempPathA(sizeof elsewhere, elsewhere);
  SetCurrentDirectoryA(elsewhere);
  Recorder recorder;
  ListingParams p = Params(recorder, false);
  bool ended = false;
  p.end = Value(xb::Block::Native([&](Args&) {
    ended = true;
    return Value();
  }));
  DialogAnswerer answer(DialogAnswerer::PressId(IDCANCEL));
  RunListing(p, {.destination = kTextFile}, 1);
  ASSERT_EQ(answer.seen().size(), 1u);
  EXPECT_EQ(answer.seen()[0].title, " Fichero de listado");
  EXPECT_TRUE(ended);
  EXPECT_TRUE(recorder.events.empty());
  char now[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof now, now);
  EXPECT_EQ(std::string(now) + "\\", folder_.path());
  EXPECT_EQ(nDestinoListado(), 0);
}

TEST_F(ListingTest, AnErrorThatLeavesTheWalkEndsItAsACancelDoes) {
  WritePrinters(false);
  WriteArticles(6, 3);
  auto main = Make();
  ui::SetWndApp(main->hWnd);
  struct Case {
    const char* name;
    int destination;
  };
  for (const Case c : {Case{"file", kTextFile}, Case{"printer", kMainPrinter}}) {
    SCOPED_TRACE(c.name);
    const std::string file = folder_ / (std::string("left_") + c.name + ".txt");
    X("DBGOTOP()");
    Recorder recorder;
    ListingParams p = Params(recorder, false);
    int details = 0;
    const Value inner = p.line;
    p.line = Value(xb::Block::Native([&, inner](Args& a) {
      if (a.Int(1) == kDetail && ++details == 3) X("CODIGO + 1");
      std::vector<Value> args = {a.Arg(1), a.Raw()[1], a.Raw()[2]};
      return xb::EvalValue(inner, args);
    }));
    bool left = false;
    {
      // The error block answers by leaving the sequence, as the program's handler does.
      xb::ErrorBlockScope leave(Value(xb::Block::Native([](Args&) -> Value { xb::Break(); })));
      xb::BeginSequence([&] { RunListing(p, {.destination = c.destination}, 1, file); },
                        [&](Value&) { left = true; });
    }
    ASSERT_TRUE(left);
    EXPECT_EQ(details, 3);
    EXPECT_TRUE(IsWindowEnabled(main->hWnd));
    EXPECT_FALSE(lAbortado());
    if (c.destination == kTextFile) {
      HANDLE h = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      EXPECT_NE(h, INVALID_HANDLE_VALUE) << "the listing's file is still open";
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      EXPECT_TRUE(DeleteFileA(file.c_str()));
    }
    // The next listing runs to its end.
    X("DBGOTOP()");
    Recorder next;
    ListingParams again = Params(next, false);
    RunListing(again, {.destination = c.destination}, 1, file);
    EXPECT_EQ(next.events.back(), "3@1");
    EXPECT_TRUE(IsWindowEnabled(main->hWnd));
    if (c.destination == kTextFile) {
      EXPECT_NE(ReadFile(file).find("Fin del listado"), std::string::npos);
    }
  }
}

TEST_F(ListingTest, TheWalkRunsItsEventsInOrderOnThePrinter) {
  WritePrinters(false, 4.2, 2);
  WriteArticles(6, 3);
  struct Case {
    bool page_group;
    std::vector<std::string> events;
    int pages;
  };
  const Case cases[] = {
      {true,
       {"1@1", "2:A00001@1", "2:A00002@1", "2:A00003@1", "7:A00004@1", "1@2", "2:A00004@2", "2:A00005@2",
        "2:A00006@2", "7:@2", "3@2"},
       2},
      {false,
       {"1@1", "2:A00001@1", "2:A00002@1", "2:A00003@1", "7:A00004@1", "16:A00004@1", "2:A00004@1", "2:A00005@1",
        "2:A00006@1", "7:@1", "3@1"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page_group ? "a page a group" : "groups on one page");
    X("DBGOTOP()");
    Recorder recorder;
    ListingParams p = Params(recorder, true, c.page_group);
    p.foot_lines = 2;
    PrinterOutput out(c.page_group ? "walk_groups" : "walk_one_page");
    RunListing(p, {.destination = kMainPrinter}, 1);
    EXPECT_EQ(recorder.events, c.events);
    // The footer's event only with footer lines, and never on a group break.
    EXPECT_EQ(recorder.foot, 0);
    EXPECT_EQ(out.Pages(), c.pages);
    const std::string text = out.Text();
    EXPECT_NE(text.find("A00006"), std::string::npos);
    EXPECT_NE(text.find("Fin del listado"), std::string::npos);
    EXPECT_EQ(out.Comment("%%Title:"), "Artículos");
  }
}

TEST_F(ListingTest, ALandscapeListingTurnsThePaperAndTakesItsCopies) {
  WritePrinters(false, 4.2, 0);
  WriteArticles(3, 10);
  Recorder recorder;
  ListingParams p = Params(recorder, false);
  p.landscape = true;
  PrinterOutput out("walk_landscape");
  RunListing(p, {.destination = kMainPrinter, .copies = 2}, 1);
  const std::string ps = out.PostScript();
  EXPECT_NE(ps.find("Landscape"), std::string::npos);
  EXPECT_EQ(out.Pages(), 1);
  EXPECT_NE(ps.find("copies=2"), std::string::npos);
  EXPECT_FALSE(HeldDevMode());  // the paper back to the driver's settings
}

TEST_F(ListingTest, ARecordPastThePageBreaksItWithTheFooterAndTheHeader) {
  WritePrinters(false, 25.0, 1);  // a few lines a page
  WriteArticles(30, 100);
  Recorder recorder;
  ListingParams p = Params(recorder, false);
  p.foot_lines = 1;
  PrinterOutput out("walk_pages");
  RunListing(p, {.destination = kMainPrinter}, 1);
  const int pages = out.Pages();
  EXPECT_GT(pages, 2);
  EXPECT_EQ(Count(out.Text(), "LISTADO DE ART"), pages);
  EXPECT_EQ(recorder.foot, pages - 1);  // every page but the last ends with its footer
  EXPECT_NE(out.Text().find("A00030"), std::string::npos);
}

TEST_F(ListingTest, ASpoolerErrorStopsTheWalkAndCancelStopsAtTheNextRecord) {
  WritePrinters(false, 25.0, 0);
  WriteArticles(30, 100);
  {
    // The second page cannot start: "Error General", the document aborted.
    int starts = 0;
    SetSpoolerFilter([&](const char* call, int result) {
      if (std::string(call) == "StartPage" && ++starts == 2) return -1;
      return result;
    });
    Recorder recorder;
    ListingParams p = Params(recorder, false);
    DialogAnswerer answer(FirstButton());
    RunListing(p, {.destination = kMainPrinter}, 1);
    const std::vector<SeenDialog> boxes = Boxes(answer);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "ERROR DE LISTADO");
    EXPECT_EQ(boxes[0].AllText(), "Error General");
    EXPECT_EQ(recorder.events.back().substr(0, 1), "2");  // neither the footer of a group nor the end
    SetSpoolerFilter({});
  }
  {
    X("DBGOTOP()");
    Recorder recorder;
    ListingParams p = Params(recorder, false);
    int details = 0;
    const Value inner = p.line;
    p.line = Value(xb::Block::Native([&, inner](Args& a) {
      if (a.Int(1) == kDetail && ++details == 5) Abortar(true);
      std::vector<Value> args = {a.Arg(1), a.Raw()[1], a.Raw()[2]};
      return xb::EvalValue(inner, args);
    }));
    RunListing(p, {.destination = kMainPrinter}, 1);
    EXPECT_EQ(details, 5);
    EXPECT_NE(recorder.events.back(), "3@1");
    EXPECT_FALSE(lAbortado());
  }
}

TEST_F(ListingTest, APageRangeOfThePrintDialogPrintsExactlyItsPages) {
  WritePrinters(false, 25.0, 0);
  WriteArticles(60, 100);
  // How many pages the whole listing has.
  int all = 0;
  {
    Recorder recorder;
    ListingParams p = Params(recorder, false);
    PrinterOutput out("range_all");
    RunListing(p, {.destination = kMainPrinter}, 1);
    all = out.Pages();
  }
  ASSERT_GE(all, 6);
  X("DBGOTOP()");
  Recorder recorder;
  ListingParams p = Params(recorder, false);
  PrinterOutput out("range_3_5");
  DialogAnswerer answer([](const SeenDialog& d) {
    if (d.title == "Listando") return 0;
    if (d.title != "Imprimir" && d.title != "Print") return d.buttons.empty() ? 0 : d.buttons.front().id;
    CheckRadioButton(d.hwnd, rad1, rad3, rad3);
    SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(rad3, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, rad3)));
    SetDlgItemTextA(d.hwnd, edt1, "3");
    SetDlgItemTextA(d.hwnd, edt2, "5");
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\listing_print_dialog.bmp"));
    return IDOK;
  });
  RunListing(p, {.destination = kDialogPrinter}, 1);
  ASSERT_GE(answer.seen().size(), 1u);
  for (const SeenDialog& d : answer.seen()) EXPECT_EQ(d.AllText().find("Error General"), std::string::npos);
  EXPECT_EQ(out.Pages(), 3);
  const std::string text = out.Text();
  EXPECT_NE(text.find("Página 3"), std::string::npos);
  EXPECT_NE(text.find("Página 5"), std::string::npos);
  EXPECT_EQ(text.find("Página 2"), std::string::npos);
  EXPECT_EQ(text.find("Página 6"), std::string::npos);
  // The walk ran to its end, through the header of the last page.
  EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "1@" + std::to_string(all)), recorder.events.end());
  EXPECT_NE(std::find_if(recorder.events.begin(), recorder.events.end(),
                         [](const std::string& e) { return e.rfind("3@", 0) == 0; }),
            recorder.events.end());
}

// Nobody watching, the print dialog does not wait: the printer proposed prints every page.
TEST_F(ListingTest, UnattendedThePrintDialogIsNotShownAndAllPagesPrint) {
  WritePrinters(false, 25.0, 0);
  WriteArticles(60, 100);
  Recorder recorder;
  ListingParams p = Params(recorder, false);
  PrinterOutput out("range_unattended");
  DialogAnswerer answer([](const SeenDialog& d) { return d.title == "Listando" ? 0 : IDCANCEL; });
  struct Unwatched {
    Unwatched() { ui::SetUnattended([](std::string_view, std::string_view) {}); }
    ~Unwatched() { ui::SetUnattended({}); }
  } unwatched;
  RunListing(p, {.destination = kDialogPrinter}, 1);
  EXPECT_TRUE(Boxes(answer).empty());
  EXPECT_GE(out.Pages(), 6);
  EXPECT_FALSE(lAbortado());
}

TEST_F(ListingTest, TheDestinationDialogChoosesTheMainPrinterOrCancels) {
  WritePrinters(false, 4.2, 0);
  WriteArticles(3, 10);
  {
    Recorder recorder;
    ListingParams p = Params(recorder, false);
    bool ended = false;
    p.end = Value(xb::Block::Native([&](Args&) {
      ended = true;
      return Value();
    }));
    DialogAnswerer answer([](const SeenDialog& d) {
      EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\listing_destination.bmp"));
      return 400;
    });
    SelListar(p);
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_NE(answer.seen()[0].AllText().find(std::string(vdr::test::kTestPrinter) + " en LPT1:"), std::string::npos);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(recorder.events.empty());
  }
  X("DBGOTOP()");
  Recorder recorder;
  ListingParams p = Params(recorder, false);
  {
    PrinterOutput out("destination_main");
    DialogAnswerer answer([](const SeenDialog& d) { return d.title == "Destino del listado" ? 410 : 0; });
    SelListar(p);
    EXPECT_EQ(out.Pages(), 1);
    EXPECT_NE(out.Text().find("A00003"), std::string::npos);
  }
  // Nothing to list.
  DialogAnswerer stop(FirstButton());
  p.for_ = Value(xb::Block::Native([](Args&) { return Value::Logical(false); }));
  SelListar(p);
  ASSERT_EQ(stop.seen().size(), 1u);
  EXPECT_EQ(stop.seen()[0].AllText(), "No hay datos con las condiciones pedidas");
}

TEST_F(ListingTest, AListingCarriesItsDesignedHeader) {
  WritePrinters(false, 4.2, 0);
  WriteArticles(3, 10);
  {
    // No header tables: nothing printed, the body at 45 mm.
    Recorder recorder;
    recorder.header = true;
    ListingParams p = Params(recorder, false);
    PrinterOutput out("header_none");
    RunListing(p, {.destination = kMainPrinter}, 1);
    EXPECT_EQ(recorder.body, 45);
    EXPECT_EQ(out.Text().find("CABECERA"), std::string::npos);
  }
  WriteHeaderModel();
  xb::CallFunction("SETDATOCABECERA", {Value::Integer(7), Value::String("Obra"), Value::String("Dato registrado")});
  EXPECT_EQ(X("CVALORDATOCAB(7)").AsString(), "Dato registrado");
  EXPECT_EQ(X("CDESCDATOCAB(7)").AsString(), "Obra");
  EXPECT_EQ(X("CORDENDATOCAB(1)").AsString(), "7");
  EXPECT_EQ(X("CORDENDATOCAB(2)").AsString(), "");
  data::cCodEmpresa("01");
  // The dictionary's indexes refreshed first, by name.
  auto reindexed = std::make_shared<std::vector<std::string>>();
  xb::RegisterFunction("DICTREINDEX", [reindexed](Args& a) {
    reindexed->push_back(std::string(a.Str(1)));
    return Value::Logical(true);
  });
  X("DBGOTOP()");
  Recorder recorder;
  recorder.header = true;
  ListingParams p = Params(recorder, false);
  PrinterOutput out("header_model");
  RunListing(p, {.destination = kMainPrinter}, 1);
  EXPECT_EQ(recorder.body, 40);
  ASSERT_FALSE(reindexed->empty());
  EXPECT_EQ(reindexed->front(), data::cPathInforme());
  EXPECT_EQ(CActivo(), "001");  // the last active model became the active one
  const std::string text = out.Text();
  // A word wider than its room is cut at the least line length (4) and printed.
  for (const char* seen : {"CABECERA DE PRUEBAS", "Dato registrado", "Un texto largo", "varias lineas", "Anch",
                           "isim", "LISTADO DE ART", "A00003"}) {
    EXPECT_NE(text.find(seen), std::string::npos) << seen << " in\n" << text;
  }
  // The wrapped text: its lines 5 mm apart, none wider than 60 mm.
  EXPECT_EQ(text.find("Un texto largo que no cabe en su sitio y se parte en varias lineas"), std::string::npos);

  // Into a text file: the header's texts, one a line, from the line its 40 mm fall on in the
  // current printer's lines (the 10th without a printer), then the listing.
  struct FileCase {
    const char* name;
    double line_mm;  // the printer's line feed; 0: no printer
    int start;
  };
  for (const FileCase& c : {FileCase{"sin_impresora", 0, 10}, FileCase{"lineas_de_8_mm", 8, 5}}) {
    SCOPED_TRACE(c.name);
    if (Impresora()) Impresora()->End();  // the printer of the listing before
    if (c.line_mm > 0) {
      ASSERT_TRUE(Print2New(false, 1));
      Impresora()->nAltoLinea = MmPix(2, c.line_mm, Impresora()->hDC);
    }
    X("DBGOTOP()");
    Recorder file_recorder;
    file_recorder.header = true;
    ListingParams fp = Params(file_recorder, false);
    const std::string file = folder_ / (std::string(c.name) + ".txt");
    RunListing(fp, {.destination = kTextFile}, 1, file);
    if (Impresora()) Impresora()->End();
    const std::string written = ReadFile(file);
    std::string blank;
    for (int i = 0; i < c.start; ++i) blank += "\r\n";
    EXPECT_EQ(written.rfind(blank + "CABECERA DE PRUEBAS\r\n", 0), 0u) << written;
    EXPECT_NE(written.find("\r\n1\r\n"), std::string::npos);  // the page
    EXPECT_NE(written.find("Dato registrado\r\n"), std::string::npos);
    EXPECT_NE(written.find("Un texto largo que no cabe en su sitio y se parte en varias lineas\r\nAnchisima"),
              std::string::npos);
    EXPECT_NE(written.find("\r\nLISTADO DE ART"), std::string::npos);
  }
}

// ---- the configuration of the destinations ----------------------------------------------------------------

// The roles and codes of the printer table, as `order` lists them (role order).
std::vector<std::string> Roles() {
  std::vector<std::string> roles;
  svc::SelectOrder(1);
  for (X("DBGOTOP()"); !svc::Area().eof(); svc::Area().Skip(1))
    roles.push_back(svc::FieldText("NACTIVA") + ":" + std::to_string(static_cast<int>(svc::FieldNumber("NCODIMPRES"))) +
                    ":" + std::string(X("ALLTRIM(CDESCRI)").AsString()));
  return roles;
}

void GoToDescription(const std::string& description) {
  for (X("DBGOTOP()"); !svc::Area().eof(); svc::Area().Skip(1))
    if (std::string(X("ALLTRIM(CDESCRI)").AsString()) == description) return;
}

TEST_F(ListingTest, ThePrintersRolesAndCodesFollowTheConfiguration) {
  ASSERT_TRUE(CreaImprDbf());
  svc::SelectedAreaScope keep;
  ASSERT_TRUE(svc::OpenTable(GesPrnTable(), kGesPrnAlias, true));
  svc::OpenedArea area(true);
  const std::string second = "Impresora secundaria de pruebas";
  struct Step {
    std::function<void()> act;
    std::vector<std::string> roles;
  };
  const Step steps[] = {
      {[&] { ASSERT_TRUE(AddPrinter(vdr::test::kTestPrinter, "uno")); }, {"1:1:uno"}},
      {[&] { ASSERT_TRUE(AddPrinter(second, "dos")); }, {"1:1:uno", "2:2:dos"}},
      {[&] { ASSERT_TRUE(AddPrinter(vdr::test::kTestPrinter, "tres")); }, {"1:1:uno", "2:2:dos", "3:3:tres"}},
      // The secondary made main: the old main becomes the secondary.
      {[&] { GoToDescription("dos"), MakeRole('1'); }, {"1:2:dos", "2:1:uno", "3:3:tres"}},
      // Another made main: the old main leaves its role.
      {[&] { GoToDescription("tres"), MakeRole('1'); }, {"1:3:tres", "2:1:uno", "3:2:dos"}},
      // The main made secondary: the old secondary becomes the main.
      {[&] { GoToDescription("tres"), MakeRole('2'); }, {"1:1:uno", "2:3:tres", "3:2:dos"}},
      {[&] { GoToDescription("dos"), MakeRole('2'); }, {"1:1:uno", "2:2:dos", "3:3:tres"}},
      // Deleting the main: the next two in role order become main and secondary.
      {[&] { GoToDescription("uno"), DeletePrinter(false); }, {"1:2:dos", "2:3:tres"}},
      // The lowest free code.
      {[&] { ASSERT_TRUE(AddPrinter(second, "cuatro")); }, {"1:2:dos", "2:3:tres", "3:1:cuatro"}},
      // Deleting the secondary: the next one becomes the secondary.
      {[&] { GoToDescription("tres"), DeletePrinter(false); }, {"1:2:dos", "2:1:cuatro"}},
      {[&] { GoToDescription("cuatro"), DeletePrinter(false); }, {"1:2:dos"}},
  };
  int n = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(++n);
    step.act();
    xb::CallFunction("DBSELECTAREA", {Value::String(kGesPrnAlias)});
    EXPECT_EQ(Roles(), step.roles);
  }
  // A new printer's fonts: normal, compressed and expanded at 10, 17 and 5 characters an inch.
  GoToDescription("dos");
  EXPECT_EQ(Trim(svc::FieldText("CPUERTO")), "LPT2:");
  EXPECT_EQ(Trim(svc::FieldText("CDRIVER")) + ",LPT2:", ui::GetProfString("devices", second, ""));
  EXPECT_EQ(svc::FieldNumber("NLINEASPIE"), 4);
  EXPECT_GT(svc::FieldNumber("NSALTOLMM"), 2);
  const double normal = -svc::FieldNumber("NHEIGHT1"), compressed = -svc::FieldNumber("NHEIGHT2"),
               expanded = -svc::FieldNumber("NHEIGHT3");
  EXPECT_GT(normal, compressed);
  EXPECT_GT(expanded, normal);
}

// A control of the dialog or of one of its pages, by identifier, once it is shown.
HWND Descendant(HWND dialog, int id) {
  struct Find {
    int id;
    HWND found = nullptr;
  } find{id};
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM data) {
        auto* f = reinterpret_cast<Find*>(data);
        if (GetDlgCtrlID(child) == f->id && IsWindowVisible(child)) {
          f->found = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

// Runs each step when a window of its title is the active dialog and the step's button is
// shown on it (a dialog may be active before its pages are), one timer tick apart: what the
// step checks first, then a click on the button.
class WhileDialogs {
 public:
  struct Step {
    std::string title;
    int button = 0;
    std::function<void(HWND)> check = {};
  };
  explicit WhileDialogs(std::vector<Step> steps) : steps_(std::move(steps)) {}
  bool done() const { return next_ == steps_.size(); }

 private:
  void Tick() {
    if (done()) return;
    HWND active = GetActiveWindow();
    if (steps_[next_].title != WindowText(active)) return;
    HWND button = Descendant(active, steps_[next_].button);
    if (button == nullptr) return;
    const Step& step = steps_[next_++];
    if (step.check) step.check(active);
    PostMessageA(button, BM_CLICK, 0, 0);
  }
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  test::Ticker ticker_{80, [this] { Tick(); }};
};

TEST_F(ListingTest, TheConfigurationDialogAddsAPrinterAndKeepsTheWindowFont) {
  // The user's access map without the option refuses; full access here.
  EXPECT_FALSE(X("CONFDESTINO()").AsLogical());
  xb::RegisterFunction("CACCESOMENU", [](Args&) { return Value::String("2"); });
  const std::string config = "Configuración de destinos";
  WhileDialogs steps({
      {config, 102,  // "Nueva"
       [](HWND d) {
         EXPECT_TRUE(vdr::test::SaveWindowBitmap(d, vdr::test::ScreenshotFolder() + "\\confdestino_empty.bmp"));
       }},
      {"DATOS NUEVA IMPRESORA", 550,
       [](HWND d) {
         HWND list = GetDlgItem(d, 101);
         const int at = static_cast<int>(SendMessageA(list, LB_FINDSTRINGEXACT, -1,
                                                       reinterpret_cast<LPARAM>(vdr::test::kTestPrinter)));
         SendMessageA(list, LB_SETCURSEL, at, 0);
         SendMessageA(d, WM_COMMAND, MAKEWPARAM(101, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
         SetDlgItemTextA(d, 102, "Pruebas");
         EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, 550)));
         EXPECT_TRUE(vdr::test::SaveWindowBitmap(d, vdr::test::ScreenshotFolder() + "\\confdestino_new.bmp"));
       }},
      {config, 104,
       [](HWND d) {
         EXPECT_TRUE(vdr::test::SaveWindowBitmap(d, vdr::test::ScreenshotFolder() + "\\confdestino_printer.bmp"));
       }},
      {"Datos de la impresora", 550,
       [](HWND d) {
         EXPECT_EQ(ItemText(d, 101), std::string(vdr::test::kTestPrinter) + " en LPT1:");
         EXPECT_GT(std::atoi(ItemText(d, 303).c_str()), 20);
         EXPECT_TRUE(vdr::test::SaveWindowBitmap(d, vdr::test::ScreenshotFolder() + "\\confdestino_data.bmp"));
       }},
      {config, 510},
  });
  EXPECT_TRUE(X("CONFDESTINO()").AsLogical());
  EXPECT_TRUE(steps.done());
  EXPECT_EQ(X("NOMBRESIMPRESORA(1)[1]").AsString(), vdr::test::kTestPrinter);
  // The listing window's font table: Courier New at 9 points, then the font given.
  ASSERT_TRUE(svc::FileExists(svc::DbfOf(GesVenTable())));
  svc::SelectedAreaScope keep;
  ASSERT_TRUE(svc::OpenTable(GesVenTable(), kGesVenAlias, true));
  svc::OpenedArea area(true);
  EXPECT_EQ(Trim(svc::FieldText("CFACENAME1")), "Courier New");
  EXPECT_EQ(svc::FieldNumber("NHEIGHT1"), -180);
  LOGFONTA font = {};
  font.lfHeight = -16;  // 12 points on a screen of 96 dots an inch
  font.lfWeight = FW_BOLD;
  lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
  SetWindowFont(font);
  EXPECT_EQ(Trim(svc::FieldText("CFACENAME1")), "Arial");
  EXPECT_EQ(svc::FieldNumber("NHEIGHT1"), -240);
  EXPECT_EQ(svc::FieldNumber("NWEIGHT1"), FW_BOLD);
}

TEST_F(ListingTest, PrinterFontsForceTheirCharactersAnInch) {
  HDC ic = IcImpresora(vdr::test::kTestPrinter, "LPT1:", "winspool");
  ASSERT_NE(ic, nullptr);
  for (double cpi : {10.0, 12.0, 17.0}) {
    SCOPED_TRACE(cpi);
    auto font = xb::MakeRef<TFont2>();
    ASSERT_TRUE(font->Redefine({.face = "Courier New", .cpi = cpi, .point_size = 10}, ic));
    EXPECT_EQ(font->Cpi(ic), static_cast<int>(cpi));
    EXPECT_FALSE(ErrorFonts());
    EXPECT_GT(font->nPointSize, 0);
  }
  // A face that names its pitch is renamed; a face the printer does not have misses, once.
  auto named = xb::MakeRef<TFont2>();
  named->Redefine({.face = "Courier 10cpi", .cpi = 17, .point_size = 10}, ic);
  EXPECT_TRUE(X("ERRORFONTS()").AsLogical());
  EXPECT_FALSE(X("ERRORFONTS()").AsLogical());
  // From the printer table, and the weight changed.
  WritePrinters(false);
  auto table = xb::MakeRef<TFont2>();
  ASSERT_TRUE(table->NewFromTable(1, 1, ic));
  EXPECT_EQ(table->nPointSize, 10);
  table->SetWeight(FW_BOLD, ic);
  EXPECT_EQ(table->nWeight, FW_BOLD);
  // The settings block: a copy count of 0 stores one; the paper list.
  ASSERT_TRUE(GetDm("winspool", vdr::test::kTestPrinter, "LPT1:"));
  SetDmField(12, 0);
  EXPECT_EQ(GetDmField(12), 1);
  EXPECT_EQ(GetDmField(99), 0);
  EXPECT_EQ(GetDmField(8), DMPAPER_A4);
  ResetDm();
  EXPECT_EQ(GetDmField(12), 0);
  const std::vector<int> papers = GetPrnCaps(vdr::test::kTestPrinter, "LPT1:", "winspool", DC_PAPERS);
  const std::vector<int> sizes = GetPrnCaps(vdr::test::kTestPrinter, "LPT1:", "winspool", DC_PAPERSIZE);
  ASSERT_FALSE(papers.empty());
  EXPECT_EQ(sizes.size(), 2 * papers.size());
  EXPECT_NE(std::find(papers.begin(), papers.end(), DMPAPER_A4), papers.end());
  {
    DialogAnswerer answer(FirstButton());
    EXPECT_FALSE(GetDm("winspool", "No existe", ""));
    ASSERT_EQ(answer.seen().size(), 1u);
    EXPECT_EQ(answer.seen()[0].title, "Error de impresión");
    EXPECT_EQ(answer.seen()[0].AllText().rfind("Error driver = ", 0), 0u);
  }
  DeleteDC(ic);
}

// ---- the listing window -------------------------------------------------------------------------------------

// A window listing's block: a header of two lines, a detail line per record with a wide column,
// a footer; every event noted.
struct WindowRecorder {
  std::vector<std::string> events;
  Value Block() {
    return Value(xb::Block::Native([this](Args& a) {
      int event = static_cast<int>(a.Int(1));
      const int line = static_cast<int>(a.Int(2));
      std::string note = std::to_string(event);
      if (event != kWinHeader) note += ":" + std::string(X("ALLTRIM(CODIGO)").AsString());
      if (event != kWinHeader && event != kWinDetail) events.push_back(note);
      // Printed elsewhere the same listing takes the driver's events.
      if (event == kPageHeader) event = kWinHeader;
      if (event == kDetail) event = kWinDetail;
      auto say = [&](int row, int col, const Value& v, bool bold = false) {
        ListingItem item;
        item.row = row;
        item.col = col;
        item.value = v;
        item.bold = bold;
        SayListado(item);
      };
      switch (event) {
        case kWinHeader:
          say(line, 0, Value::String("ARTÍCULOS EN VENTANA"), true);
          LinListado(line + 1, 0, line + 1, 60);
          a.SetRef(2, Value::Integer(line + 2));
          break;
        case kWinDetail:
          say(line, 0, X("CODIGO"));
          say(line, 8, X("NOMBRE"));
          say(line, 30, X("FAMILIA"));
          say(line, 120, Value::String("columna lejana"));
          break;
        case kWinFooter:
        case kWinFooter2:
          say(line, 0, Value::String(event == kWinFooter2 ? "Fin" : "Sigue..."));
          break;
        default:
          break;
      }
      return Value();
    }));
  }
  bool Saw(const std::string& note) const { return std::find(events.begin(), events.end(), note) != events.end(); }
  bool SawEvent(int event) const {
    const std::string prefix = std::to_string(event) + ":";
    return std::any_of(events.begin(), events.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
  }
};

// Runs the steps on the open listing window, one timer tick apart, then closes it.
class WhileWindowOpen {
 public:
  explicit WhileWindowOpen(std::vector<std::function<void(TWList&)>> steps) : steps_(std::move(steps)) {}
  bool done() const { return next_ == steps_.size(); }

 private:
  void Tick() {
    const std::vector<xb::Ref<TWList>> open = WlAwList();
    if (open.empty() || !open.back()->Window()) return;
    TWList& list = *open.back();
    if (GetActiveWindow() != list.Window()->hWnd && next_ > 0 && next_ < steps_.size()) return;
    if (next_ < steps_.size()) steps_[next_++](list);
    else {
      PostMessageA(list.Window()->hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageA(list.Window()->hWnd, WM_KEYUP, VK_ESCAPE, 0);
    }
  }
  std::vector<std::function<void(TWList&)>> steps_;
  std::size_t next_ = 0;
  test::Ticker ticker_{80, [this] { Tick(); }};
};

void Shot(TWList& list, const std::string& name) {
  HWND hwnd = list.Window()->hWnd;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
}

void Update(TWList& list) { UpdateWindow(list.Window()->hWnd); }

// A key pressed and released on the window.
void Press(TWList& list, WPARAM key) {
  HWND hwnd = list.Window()->hWnd;
  SendMessageA(hwnd, WM_KEYDOWN, key, 0);
  if (IsWindow(hwnd)) SendMessageA(hwnd, WM_KEYUP, key, 0);
}

TEST_F(ListingTest, TheListingWindowScrollsMovesByGroupsAndChangesItsFont) {
  WriteArticles(60, 25);
  WindowRecorder recorder;
  ListingParams p;
  p.line = recorder.Block();
  p.title = "Artículos";
  p.alias = "ARTICULO";
  p.foot_lines = 1;
  p.win_foot_lines = 1;
  bool ended = false;
  p.end = Value(xb::Block::Native([&](Args&) {
    ended = true;
    return Value();
  }));
  int per_page = 0;
  WhileWindowOpen steps({
      [&](TWList& w) {
        Update(w);
        Shot(w, "listing_window");
        EXPECT_EQ(nDestinoListado(), kWindow);
        EXPECT_EQ(w.HeaderLines(), 2);
        per_page = w.RecordsPerPage();
        EXPECT_GT(per_page, 5);
        ASSERT_FALSE(w.DrawnRecords().empty());
        EXPECT_EQ(w.DrawnRecords().front(), 1);
        EXPECT_EQ(static_cast<int>(w.DrawnRecords().size()), per_page);
        EXPECT_GT(w.WidestLine(), 130);
      },
      [&](TWList& w) {
        // A record down, by the scroll bar: the first record leaves.
        SendMessageA(w.Window()->hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
        Update(w);
        EXPECT_EQ(w.Position(), 1);
        EXPECT_EQ(w.DrawnRecords().front(), 2);
        EXPECT_TRUE(recorder.Saw("11:A00001"));
        // A page down by the key; up again.
        Press(w, VK_NEXT);
        Update(w);
        EXPECT_EQ(w.Position(), 1 + per_page);
        Press(w, VK_PRIOR);
        Press(w, VK_UP);
        Update(w);
        EXPECT_EQ(w.Position(), 0);
        Press(w, VK_UP);  // at the top: nothing
        EXPECT_EQ(w.Position(), 0);
        // Sideways by a character, then a page.
        SendMessageA(w.Window()->hWnd, WM_HSCROLL, SB_LINERIGHT, 0);
        EXPECT_EQ(w.HorizontalPosition(), 1);
        Press(w, VK_RIGHT);
        EXPECT_GT(w.HorizontalPosition(), 1);
        Update(w);
        Shot(w, "listing_window_sideways");
        SendMessageA(w.Window()->hWnd, WM_HSCROLL, SB_LEFT, 0);
        EXPECT_EQ(w.HorizontalPosition(), 0);
        // To the end of the listing: everything in one range without group moves.
        Press(w, VK_END);
        Update(w);
        EXPECT_EQ(w.DrawnRecords().back(), 60);
      },
      [&](TWList& w) {
        // A font too large leaves no record: refused.
        LOGFONTA huge = {};
        huge.lfHeight = -400;
        lstrcpynA(huge.lfFaceName, "Arial", LF_FACESIZE);
        {
          DialogAnswerer answer(FirstButton());
          EXPECT_FALSE(w.TakeFont(huge));
          ASSERT_EQ(answer.seen().size(), 1u);
          EXPECT_EQ(answer.seen()[0].title, "ERROR EN LA SELECCION DE FUENTE");
        }
        LOGFONTA larger = {};
        larger.lfHeight = -24;
        larger.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        lstrcpynA(larger.lfFaceName, "Courier New", LF_FACESIZE);
        EXPECT_TRUE(w.TakeFont(larger));
        Update(w);
        EXPECT_LT(w.RecordsPerPage(), per_page);
        EXPECT_GE(w.RecordsPerPage(), 1);
        Shot(w, "listing_window_font");
        // The font dialog of "[F]uentes" shows the font's face, pitch and size.
        DialogAnswerer dialog([](const SeenDialog& d) {
          if (d.title != "Fuente del listado") return 0;
          EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\listing_font_dialog.bmp"));
          return 520;
        });
        Press(w, 'F');
        ASSERT_EQ(dialog.seen().size(), 1u);
        const std::string labels = dialog.seen()[0].AllText();
        EXPECT_NE(labels.find("Fijo"), std::string::npos) << labels;
        EXPECT_NE(labels.find("\n18\n"), std::string::npos) << labels;  // 24 pixels on the screen: 18 points
      },
  });
  RunListing(p, {.destination = kWindow}, 1);
  EXPECT_TRUE(steps.done());
  EXPECT_TRUE(WlAwList().empty());
  EXPECT_TRUE(ended);
  EXPECT_EQ(nDestinoListado(), 0);
}

TEST_F(ListingTest, TheListingWindowMovesBetweenGroupsKeepsSubtotalsAndPrintsAgain) {
  WritePrinters(false, 4.2, 0);
  WriteArticles(80, 40);
  WindowRecorder recorder;
  WListParams p;
  p.line = recorder.Block();
  p.alias = "ARTICULO";
  p.title = "Por familias";
  p.group = Value(xb::Block::Native([](Args&) { return X("FAMILIA"); }));
  p.group_navigation = true;
  p.save_subtotals = true;
  p.to_printer = true;
  p.foot_lines = 1;
  std::unique_ptr<PrinterOutput> out;
  WhileWindowOpen steps({
      [&](TWList& w) {
        Update(w);
        EXPECT_EQ(w.Group(), 1);
        Press(w, VK_END);
        Update(w);
        EXPECT_EQ(w.DrawnRecords().back(), 40);  // one family at a time
        Press(w, VK_HOME);
        Press(w, 'S');
        Update(w);
        EXPECT_EQ(w.Group(), 2);
        EXPECT_EQ(w.DrawnRecords().front(), 41);
        EXPECT_TRUE(recorder.SawEvent(kWinSearch));  // the search started
        EXPECT_TRUE(recorder.Saw("10:A00040"));  // the group's records not shown were passed
        EXPECT_TRUE(recorder.Saw("12:A00041"));
        Shot(w, "listing_window_group");
        Press(w, 'A');
        Update(w);
        EXPECT_EQ(w.Group(), 1);
        EXPECT_TRUE(recorder.Saw("13:A00001"));
        // The continuous subtotals: position 0 reads the initial value; a slot written is read back.
        ASSERT_TRUE(w.oFileSTC);
        ASSERT_TRUE(w.oFileSTC->IsOpen()) << w.oFileSTC->cFileName;
        Value none = Value::Number(5);
        w.lLineaUp = true;
        w.SubTotContinuo(none, -1);
        EXPECT_EQ(none.AsDouble(), 0);
        w.SetValIniSTC(Value(xb::Array::Of({Value::Number(100), Value::Number(200)})));
        Value pair = Value(xb::Array::Of({Value::Number(0), Value::Number(0)}));
        w.SubTotContinuo(pair, -1);
        EXPECT_EQ(pair.AsArray().Get(0).AsDouble(), 100);
        EXPECT_EQ(pair.AsArray().Get(1).AsDouble(), 200);
        w.lLineaUp = false;
        w.lPrimeraPagina = true;
        Value saved = Value(xb::Array::Of({Value::Number(1.5), Value::Number(2.25)}));
        w.oFileSTC->nSeek(0);
        w.SubTotContinuo(saved, 0);
        w.lPrimeraPagina = false;
        Press(w, VK_DOWN);
        EXPECT_EQ(w.Position(), 1);
        w.lLineaUp = true;
        w.SubTotContinuo(pair, -1);
        w.lLineaUp = false;
        EXPECT_EQ(pair.AsArray().Get(0).AsDouble(), 1.5);
        EXPECT_EQ(pair.AsArray().Get(1).AsDouble(), 2.25);
      },
      [&](TWList& w) {
        // Printed again on the main printer: the listing starts over and the window closes.
        out = std::make_unique<PrinterOutput>("window_to_printer");
        DialogAnswerer answer([](const SeenDialog& d) { return d.title == "Destino del listado" ? 410 : 0; });
        Press(w, 'I');
      },
  });
  nDestinoListado(kWindow);
  X("DBGOTOP()");
  ASSERT_TRUE(WListNew(p));
  EXPECT_TRUE(steps.done());
  EXPECT_TRUE(recorder.Saw("17:A00001"));
  ASSERT_TRUE(out);
  EXPECT_GE(out->Pages(), 1);
  const std::string text = out->Text();
  EXPECT_NE(text.find("A00080"), std::string::npos) << text.substr(0, 400);
  EXPECT_TRUE(WlAwList().empty());
}

TEST_F(ListingTest, TheWindowFunctionsAnswerTheMinimumSizeAndTheMenuItem) {
  MINMAXINFO info = {};
  info.ptMinTrackSize = {10, 10};
  AjustarY(&info, 200, 100);
  EXPECT_EQ(info.ptMinTrackSize.y, 200 + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) +
                                       GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(info.ptMinTrackSize.x, 100 + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXFRAME));
  info.ptMinTrackSize = {5000, 5000};
  AjustarY(&info, 200, 100);
  EXPECT_EQ(info.ptMinTrackSize.y, 5000);  // a larger minimum stays
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, SC_CLOSE, "Cerrar");
  // The close item by the signed 16-bit number macro text gives it.
  EXPECT_TRUE(X("MENUSTRITEM(" + std::to_string(reinterpret_cast<std::intptr_t>(menu)) + ", -4000, 'Cerrar Esc')").AsLogical());
  char text[64] = {};
  GetMenuStringA(menu, SC_CLOSE, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Cerrar Esc");
  DestroyMenu(menu);
  EXPECT_EQ(X("NCHARSET()").AsInt(), 2);
}

}  // namespace
}  // namespace output
