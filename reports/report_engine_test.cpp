#include "reports/report_engine.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "data/data_test_support.h"
#include "reports/report_test_support.h"
#include "reports/report_text_device.h"
#include "runtime/lib/strings.h"

namespace reports {
namespace {

using testing::Page;
using testing::ReadFile;
using testing::TestFile;
using xb::Value;

// The golden files, compiled in.
const unsigned char kSeventy[] = {
#include "engine_seventy.inc"
};
const unsigned char kPageTotals[] = {
#include "engine_page_totals.inc"
};
const unsigned char kTwoGroups[] = {
#include "engine_two_groups.inc"
};
const unsigned char kSummary[] = {
#include "engine_summary.inc"
};
const unsigned char kHours[] = {
#include "engine_hours.inc"
};
const unsigned char kTwoLineBand[] = {
#include "engine_two_line_band.inc"
};
const unsigned char kDataLines[] = {
#include "engine_data_lines.inc"
};
const unsigned char kGrid[] = {
#include "engine_grid.inc"
};

std::string Golden(const unsigned char* bytes, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(bytes), size);
}

// A run's work table in memory: the engine walks it as it walks a table.
struct Rows {
  std::vector<std::vector<Value>> rows;
  std::size_t at = 0;
  std::function<Value()> Field(std::size_t n) {
    return [this, n] { return at < rows.size() ? rows[at][n] : Value::String(""); };
  }
  void Attach(TQZReport& report) {
    report.bWhile = [this] { return at < rows.size(); };
    report.bSkip = [this] { ++at; };
  }
};

TQZRCol Column(std::string title, std::function<Value()> data, int start, int size, std::string type = "C",
               int pad = 1, std::string picture = "", bool total = false) {
  TQZRCol c;
  c.cTitle = std::move(title);
  c.bData = std::move(data);
  c.nAnchoCol = start;
  c.nSize = size;
  c.cTipoCol = std::move(type);
  c.nPad = pad;
  c.cPicture = c.cTotalPict = std::move(picture);
  c.lTotal = total;
  return c;
}

class ReportEngineTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    path_ = TestFile("vdr_engine_");
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    DataTest::TearDown();
  }
  // The settings a report run gives the engine.
  static void AsARun(TQZReport& report) {
    report.nTitleUpLine = 0;
    report.nTitleDnLine = 1;
    report.nTotalLine = 1;
  }
  std::string Read() const { return ReadFile(path_); }
  // On a mismatch the output is kept beside the golden name, to be looked at.
  void ExpectGolden(const std::string& golden, const std::string& name) {
    const std::string got = Read();
    std::size_t lines = 0;
    for (std::size_t at = got.find("\r\n"); at != std::string::npos; at = got.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines % TQZRFile::kRows, 0u);
    if (got != golden) {
      std::ofstream(std::filesystem::temp_directory_path() / (name + ".golden"), std::ios::binary) << got;
      ADD_FAILURE() << name << " differs; written to " << (std::filesystem::temp_directory_path() / name).string();
    }
  }
  std::string path_;
};

TEST_F(ReportEngineTest, TransHorasShowsHoursAndMinutes) {
  struct Case {
    Value minutes;
    int size;
    std::string text;
  };
  const Case cases[] = {
      {Value::Integer(135), 10, "2 h, 15'"},    {Value::Integer(125), 10, "2 h,  5'"},
      {Value::Integer(-75), 10, "- 1 h, 15'"},  {Value::Integer(135), 7, ""},
      {Value::String("90"), 8, "1 h, 30'"},     {Value::Integer(0), 10, "0 h,  0'"},
      {Value::Integer(6000), 12, "100 h,  0'"},
  };
  for (const Case& c : cases) EXPECT_EQ(TransHoras(c.minutes, c.size), c.text) << c.minutes.AsDouble();
}

TEST_F(ReportEngineTest, TextDeviceRowsAndCells) {
  {
    TQZRFile file(path_);
    ASSERT_TRUE(file.Ready());
    file.StartPage();
    file.Say(0, 1, "Código", 1, 0, 1);
    file.Say(0, 10, "abc", 1, 6, 2);       // padded left in its width
    file.Say(0, 4, "XY", 1, 0, 1);         // replaces two characters, the rest follows
    file.Say(2, 0, "col 0 is 1", 1, 0, 1);
    file.Say(3, 5, "centro", 1, 10, 3);    // 5 + 5 - 3
    file.Say(64, 1, "fuera", 1, 0, 1);     // past the page: dropped
    file.Say(-1, 1, "fuera", 1, 0, 1);
    file.Say(4, 1, "cortado", 1, 3, 1);
    file.EndPage();
    file.End();
  }
  const std::string got = Read();
  EXPECT_EQ(got, Page({"CódXYo      abc", "", "col 0 is 1", "      centro", "cor"}));
  // Bytes as stored: "ó" is F3, no OEM conversion.
  EXPECT_EQ(static_cast<unsigned char>(got[1]), 0xF3);
  EXPECT_EQ(TQZRFile("").Ready(), false);
  TQZRFile grid(path_);
  EXPECT_EQ(grid.MmToRow(4.233 * 3), 3);
  EXPECT_EQ(grid.MmToCol(25.4), 10);
  grid.StartPage();
  grid.Say(1, 1, "kept", 1, 0, 1);
  grid.Widen(120);
  EXPECT_EQ(grid.Width(), 120);
  EXPECT_EQ(grid.aRows[1], "kept");
  grid.Widen(40);
  EXPECT_EQ(grid.Width(), 120);
}

TEST_F(ReportEngineTest, TheExampleReportMatchesItsGoldenText) {
  Rows data{{{Value::String("A01"), Value::Double(1234.5, 2)},
             {Value::String("B02"), Value::Integer(10)},
             {Value::String("C03"), Value::Double(0.25, 2)}}};
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.cPageTotal = "";
    report.cGrandTotal = "Total";
    report.AddColumn(Column("Código", data.Field(0), 1, 6));
    report.AddColumn(Column("Importe", data.Field(1), 8, 12, "N", 2, "@E 9,999,999.99", true));
    EXPECT_TRUE(report.Activate());
    EXPECT_EQ(report.nPage, 1);
  }
  EXPECT_EQ(Read(), Page({"Código Importe     ", "------ ------------", "A01        1.234,50",
                          "B02           10,00", "C03            0,25", "------ ------------",
                          "Total      1.244,75"}));
}

Rows Numbered(int count) {
  Rows data;
  for (int i = 1; i <= count; ++i) {
    data.rows.push_back({Value::String("R" + xb::PadL(std::to_string(i), 2, '0')), Value::Double(i * 1.5, 2)});
  }
  return data;
}

TEST_F(ReportEngineTest, SeventyRecordsWithoutTotalsFillTwoPages) {
  Rows data = Numbered(70);
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.AddColumn(Column("Código", data.Field(0), 1, 6));
    report.AddColumn(Column("Importe", data.Field(1), 8, 12, "N", 2, "@E 9,999,999.99"));
    EXPECT_TRUE(report.Activate());
    EXPECT_EQ(report.nPage, 2);
  }
  ExpectGolden(Golden(kSeventy, sizeof kSeventy), "engine_seventy");
}

TEST_F(ReportEngineTest, PageTotalsCarryTheSubtotalTextOnEveryPage) {
  Rows data = Numbered(70);
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.cPageTotal = "Suma y sigue";
    report.cGrandTotal = "Total";
    report.AddColumn(Column("Código", data.Field(0), 1, 6));
    report.AddColumn(Column("Importe", data.Field(1), 20, 12, "N", 2, "@E 9,999,999.99", true));
    EXPECT_TRUE(report.Activate());
    EXPECT_EQ(report.nPage, 2);
  }
  ExpectGolden(Golden(kPageTotals, sizeof kPageTotals), "engine_page_totals");
}

// Zona, familia, importe; sorted by zona and familia as the run's index leaves them.
Rows Sales() {
  Rows data;
  const std::tuple<const char*, const char*, double> rows[] = {
      {"NORTE", "FRUTA", 10}, {"NORTE", "FRUTA", 5.5}, {"NORTE", "PAN", 2}, {"SUR", "FRUTA", 7},
      {"SUR", "PAN", 1.25},   {"SUR", "PAN", 3},
  };
  for (const auto& [zona, familia, importe] : rows)
    data.rows.push_back({Value::String(zona), Value::String(familia), Value::Double(importe, 2)});
  return data;
}

TQZRGroup Group(Rows& data, std::vector<std::size_t> key, std::string header, std::string footer) {
  TQZRGroup g;
  g.bGroup = [&data, key] {
    std::string text;
    for (std::size_t k : key) text += std::string(data.Field(k)().AsString());
    return text;
  };
  g.cHeader = std::move(header);
  g.cFooter = std::move(footer);
  g.lEject = true;
  if (!g.cHeader.empty()) g.aHeadings.push_back({1, [&data, k = key.back()] {
                                                   return std::string(xb::AllTrim(data.Field(k)().AsString()));
                                                 }});
  return g;
}

TEST_F(ReportEngineTest, TwoGroupsEndInnerFirstWithTheirSubtotals) {
  Rows data = Sales();
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.lPageGroup = false;
    report.cGrandTotal = "Total general";
    report.AddColumn(Column("Zona", data.Field(0), 1, 6));
    report.AddColumn(Column("Familia", data.Field(1), 8, 8));
    report.AddColumn(Column("Importe", data.Field(2), 17, 10, "N", 2, "@E 999,999.99", true));
    report.aColumns[0].lGroupCol = report.aColumns[1].lGroupCol = true;
    report.AddGroup(Group(data, {0}, "Zona: ", "Total zona"));
    report.AddGroup(Group(data, {0, 1}, "Familia: ", "Total familia"));
    EXPECT_TRUE(report.Activate());
  }
  ExpectGolden(Golden(kTwoGroups, sizeof kTwoGroups), "engine_two_groups");
}

TEST_F(ReportEngineTest, ASummaryPrintsOneLineAGroup) {
  Rows data = Sales();
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.lSummary = true;
    report.lPageGroup = false;
    report.cGrandTotal = "Total";
    report.AddColumn(Column("Zona", data.Field(0), 1, 6));
    report.AddColumn(Column("Importe", data.Field(2), 8, 10, "N", 2, "@E 999,999.99", true));
    report.aColumns[0].lGroupCol = true;
    report.AddGroup(Group(data, {0}, "", ""));
    EXPECT_TRUE(report.Activate());
  }
  ExpectGolden(Golden(kSummary, sizeof kSummary), "engine_summary");
}

// Records the for-condition refuses print nowhere and count in no group: SUR's 1,25 is left
// out of its zone's total and of the grand total.
TEST_F(ReportEngineTest, RecordsFailingTheForConditionCountInNoGroup) {
  Rows data = Sales();
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.bFor = [&data] { return data.Field(2)().AsDouble() >= 2; };
    report.lPageGroup = false;
    report.cGrandTotal = "Total";
    report.AddColumn(Column("Zona", data.Field(0), 1, 6));
    report.AddColumn(Column("Importe", data.Field(2), 8, 10, "N", 2, "@E 999,999.99", true));
    report.aColumns[0].lGroupCol = true;
    report.AddGroup(Group(data, {0}, "", "Suma"));
    EXPECT_TRUE(report.Activate());
    EXPECT_EQ(report.aGroups[0].nCounter, 0) << "ended";
  }
  EXPECT_EQ(Read(), Page({"Zona   Importe   ", "------ ----------", "NORTE       10,00", "             5,50",
                          "             2,00", "------ ----------", "Suma        17,50", "SUR          7,00",
                          "             3,00", "------ ----------", "Suma        10,00", "------ ----------",
                          "Total       27,50"}));
}

TEST_F(ReportEngineTest, HoursPrintAndTotalAsHoursAndMinutes) {
  Rows data{{{Value::String("Ana"), Value::Integer(135), Value::Integer(60)},
             {Value::String("Luis"), Value::Integer(125), Value::Integer(-75)},
             {Value::String("Eva"), Value::Integer(5), Value::Integer(30)}}};
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.cGrandTotal = "Total";
    report.AddColumn(Column("Nombre", data.Field(0), 1, 6));
    report.AddColumn(Column("Horas", data.Field(1), 8, 10, "H", 2, "", true));
    TQZRCol running = Column("Acumulado", data.Field(2), 19, 12, "H", 2, "");
    running.lAcumulada = true;
    report.AddColumn(running);
    EXPECT_TRUE(report.Activate());
  }
  ExpectGolden(Golden(kHours, sizeof kHours), "engine_hours");
}

TEST_F(ReportEngineTest, ATwoLineBandThatDoesNotFitStartsTheNextPage) {
  // 2 title rows and 1 rule leave 61 rows: 30 bands fit, the 31st goes to page 2.
  Rows data;
  for (int i = 1; i <= 32; ++i)
    data.rows.push_back({Value::String("C" + std::to_string(i)), Value::String("Línea dos " + std::to_string(i))});
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.nLineasReg = 2;
    report.AddColumn(Column("Código", data.Field(0), 1, 6));
    TQZRCol second = Column("Texto", data.Field(1), 3, 14);
    second.nLinea = 2;
    report.AddColumn(second);
    EXPECT_TRUE(report.Activate());
    EXPECT_EQ(report.nPage, 2);
  }
  ExpectGolden(Golden(kTwoLineBand, sizeof kTwoLineBand), "engine_two_line_band");
}

// Titles of two lines, an article's code over its name, a column as wide as its widest value,
// and totals under the amounts.
TEST_F(ReportEngineTest, ColumnsOfSeveralTitleAndDataLines) {
  Rows data{{{Value::String("A01"), Value::String("Pan de molde"), Value::Double(1234.5, 2), Value::Integer(3)},
             {Value::String("B02"), Value::String("Leche"), Value::Integer(10), Value::Integer(12)},
             {Value::String("C03"), Value::String("Aceite de oliva virgen"), Value::Double(0.25, 2), Value::Integer(1)}}};
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.cGrandTotal = "Total";
    TQZRCol article = Column("", nullptr, 1, 0);
    article.aTitle = {"Artículo", "(código y nombre)"};
    article.aData = {{data.Field(0), "", nullptr}, {data.Field(1), "", nullptr}};
    report.AddColumn(article);
    TQZRCol amount = Column("Importe", data.Field(2), 0, 12, "N", 2, "@E 9,999,999.99", true);
    amount.aTitle = {"Importe", "en euros"};
    report.AddColumn(amount);
    report.AddColumn(Column("Uds.", data.Field(3), 0, 0, "N", 2, "", true));
    EXPECT_TRUE(report.Activate());
    EXPECT_EQ(report.nMaxTitle, 2);
    EXPECT_EQ(report.nMaxData, 2);
    // The first record's values measure the columns without a size: its name, its units' title.
    EXPECT_EQ(report.aColumns[0].nWidth, 17);
    EXPECT_EQ(report.aColumns[2].nWidth, 4);
  }
  ExpectGolden(Golden(kDataLines, sizeof kDataLines), "engine_data_lines");
}

// A header, a centred title and a footer on every page; rules between the records, the grid
// around the boxed columns, and the totals boxed.
TEST_F(ReportEngineTest, HeaderTitleFooterSeparatorsAndGrid) {
  Rows data = Numbered(32);
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.oHeader.Add("Comercial Ejemplo, S.L.");
    report.oTitle.Add("Listado de importes", 1, 3);
    report.oTitle.Add("por código", 1, 3);
    report.oFooter.Add("Fin de página", 1, 2);
    report.lSeparator = true;
    report.lBoxOnTotal = true;
    report.cPageTotal = "Suma";
    report.cGrandTotal = "Total";
    TQZRCol code = Column("Código", data.Field(0), 2, 6);
    code.lGrid = true;
    report.AddColumn(code);
    TQZRCol amount = Column("Importe", data.Field(1), 9, 12, "N", 2, "@E 9,999,999.99", true);
    amount.lGrid = true;
    report.AddColumn(amount);
    EXPECT_TRUE(report.Activate());
    EXPECT_EQ(report.nPage, 2);
  }
  ExpectGolden(Golden(kGrid, sizeof kGrid), "engine_grid");
}

// A page device that logs its rules and fills (and, when asked, its texts with their rows
// and colours): 100 units an inch, characters 10 wide and 10 high unless a font is given
// another height, pens 1 wide.
class DrawingDevice : public testing::PageDeviceStub {
 public:
  DrawingDevice() : PageDeviceStub(100, 4) {}
  void Say(int row, int, std::string_view text, int font, int, int) override {
    if (log_texts) log.push_back("say " + std::to_string(row) + " " + std::string(text) + " f" + std::to_string(font));
  }
  void SayColour(int row, int col, std::string_view text, int font, int width, int pad, std::uint32_t colour) override {
    Say(row, col, text, font, width, pad);
    if (log_texts) log.back() += " c" + std::to_string(colour);
  }
  void PenLine(int top, int left, int bottom, int right, int pen) override {
    log.push_back((top == bottom ? "h " : "v ") + std::to_string(top) + "," + std::to_string(left) + "-" +
                  std::to_string(bottom) + "," + std::to_string(right) + " p" + std::to_string(pen));
  }
  void FillRect(int top, int left, int bottom, int right, std::uint32_t colour) override {
    log.push_back("fill " + std::to_string(top) + "," + std::to_string(left) + "-" + std::to_string(bottom) + "," +
                  std::to_string(right) + " " + std::to_string(colour));
  }
  int TextWidth(std::string_view text, int) override { return static_cast<int>(text.size()) * 10; }
  int TextHeight(int font) override { return heights.contains(font) ? heights[font] : 10; }

  // The row a text was said at (the nth time it was); -1 when it was not.
  int RowOf(const std::string& text, int nth = 0) const {
    for (const std::string& entry : log) {
      std::istringstream in(entry);
      std::string kind, said;
      int row = 0;
      in >> kind >> row;
      std::getline(in >> std::ws, said);
      if (kind == "say" && said.substr(0, said.rfind(" f")) == text && nth-- == 0) return row;
    }
    return -1;
  }
  std::vector<std::string> log;
  std::map<int, int> heights;
  bool log_texts = false;
};

// On a page: the title rule joined across the gap, the gridded column's vertical rules and
// underlines, a separator between records, and every other record shaded in its colour.
TEST_F(ReportEngineTest, RulesGridUnderlinesSeparatorsAndShadingOnAPage) {
  Rows data = Numbered(3);
  DrawingDevice device;
  TQZReport report(&device);
  AsARun(report);
  data.Attach(report);
  report.lJoin = report.lSeparator = report.lGlobalShadow = true;
  report.nClrShadow = 0xC0FFC0;
  report.AddColumn(Column("Cód", data.Field(0), 0, 3));
  TQZRCol amount = Column("Importe", data.Field(1), 0, 4, "N", 2, "", false);
  amount.lGrid = amount.lUnderline = true;
  amount.nPen = 2;
  report.AddColumn(amount);
  ASSERT_TRUE(report.Activate());
  // Columns at 960 (30 wide) and 1000 (40 wide), separated by 10; the grid and the joined
  // rules reach half of that beyond them.
  EXPECT_EQ(device.log, (std::vector<std::string>{
                            // the titles' grid and their rule, joined
                            "v 20,995-30,995 p2", "v 20,1045-30,1045 p2", "v 30,995-40,995 p2", "v 30,1045-40,1045 p2",
                            "h 35,955-35,995 p0", "h 35,995-35,1045 p0",
                            // the first record: shaded, its grid, underlined
                            "fill 40,960-50,990 12648384", "fill 40,1000-50,1040 12648384", "v 40,995-50,995 p2",
                            "v 40,1045-50,1045 p2", "h 50,995-50,1045 p2",
                            // a separator, the second record: not shaded
                            "h 50,960-50,1045 p0", "v 54,995-64,995 p2", "v 54,1045-64,1045 p2", "h 64,995-64,1045 p2",
                            // a separator, the third record: shaded
                            "h 64,960-64,1045 p0", "fill 68,960-78,990 12648384", "fill 68,1000-78,1040 12648384",
                            "v 68,995-78,995 p2", "v 68,1045-78,1045 p2", "h 78,995-78,1045 p2",
                            // the closing rule of a report without totals
                            "v 78,995-83,995 p2", "v 78,1045-83,1045 p2", "h 83,955-83,995 p0", "h 83,995-83,1045 p0"}));
}

// Data lines stand apart by the tallest value, not by the titles' font; a record's later
// printed line stands below the earlier by the tallest title or value of the columns on it,
// whatever order the columns come in.
TEST_F(ReportEngineTest, PrintedLinesStandApartByTheirFontsHeights) {
  struct Case {
    const char* name;
    int lines[2];        // each column's printed line
    int fonts[2][2];     // each column's data and title font
    int title_gap;       // the second column's title below the first's
    int data_gap;        // the second column's value below the first's
    int record;          // the second record below the first
  };
  // Font 1 is 10 high, font 2 20 and font 3 30.
  const Case cases[] = {
      {"tall titles", {1, 1}, {{1, 2}, {1, 1}}, 0, 0, 10},
      {"tall titles, two lines", {1, 2}, {{1, 2}, {1, 1}}, 20, 20, 30},
      {"tall values, two lines", {1, 2}, {{3, 1}, {1, 1}}, 10, 30, 60},
      {"second line first", {2, 1}, {{1, 1}, {1, 1}}, -10, -10, 20},
  };
  for (const Case& c : cases) {
    Rows data = Numbered(2);
    DrawingDevice device;
    device.heights = {{1, 10}, {2, 20}, {3, 30}};
    device.log_texts = true;
    TQZReport report(&device);
    AsARun(report);
    data.Attach(report);
    for (int i = 0; i < 2; ++i) {
      TQZRCol col = Column(i == 0 ? "Cód" : "Importe", data.Field(static_cast<std::size_t>(i)), 0, 8);
      col.nLinea = c.lines[i];
      col.aFonts = {c.fonts[i][0], c.fonts[i][1], 1, 1};
      report.AddColumn(col);
    }
    ASSERT_TRUE(report.Activate()) << c.name;
    EXPECT_EQ(device.RowOf("Importe") - device.RowOf("Cód"), c.title_gap) << c.name;
    EXPECT_EQ(device.RowOf("1.50") - device.RowOf("R01"), c.data_gap) << c.name;
    EXPECT_EQ(device.RowOf("R02") - device.RowOf("R01"), c.record) << c.name;
  }
}

// Every line started takes its turn in the shading: group headings and footings as well as
// records. In a summary a group's value prints on its footing after the line's shading, which
// would hide it.
TEST_F(ReportEngineTest, GroupHeadingsAndFootingsTakeTheirTurnInTheShading) {
  struct Case {
    bool summary;
    std::vector<std::pair<std::string, bool>> shaded;  // a text and whether it lies on a shaded line
  };
  const Case cases[] = {
      {false,
       {{"Zona: NORTE", true}, {"10,00", false}, {"5,50", true}, {"2,00", false}, {"17,50", true},
        {"Zona: SUR", true}, {"7,00", false}, {"1,25", true}, {"3,00", false}, {"11,25", true}}},
      {true, {{"NORTE", true}, {"17,50", true}, {"SUR", false}, {"11,25", false}}},
  };
  for (const Case& c : cases) {
    Rows data = Sales();
    DrawingDevice device;
    device.log_texts = true;
    TQZReport report(&device);
    AsARun(report);
    data.Attach(report);
    report.lSummary = c.summary;
    report.lGlobalShadow = true;
    report.lPageGroup = false;
    report.AddColumn(Column("Zona", data.Field(0), 0, 6));
    report.AddColumn(Column("Importe", data.Field(2), 0, 10, "N", 2, "@E 999,999.99", true));
    report.aColumns[0].lGroupCol = true;
    TQZRGroup zone = Group(data, {0}, c.summary ? "" : "Zona: ", "Suma");
    zone.lEject = false;
    report.AddGroup(zone);
    ASSERT_TRUE(report.Activate());
    for (const auto& [text, shaded] : c.shaded) {
      const int row = device.RowOf(text);
      ASSERT_GE(row, 0) << text;
      // The fill under the text, drawn before it.
      bool under = false;
      for (const std::string& entry : device.log) {
        int top = 0, bottom = 0;
        if (std::sscanf(entry.c_str(), "fill %d,%*d-%d", &top, &bottom) == 2 && top <= row && row < bottom) under = true;
        if (entry.starts_with("say " + std::to_string(row) + " " + text + " ")) break;
      }
      EXPECT_EQ(under, shaded) << text << (c.summary ? " in a summary" : "");
    }
  }
}

// A report's text colours go with its fonts: a font beyond them takes the first one's; a
// report that gives none prints in the device's own.
TEST_F(ReportEngineTest, TextsPrintInTheirFontsColour) {
  for (const bool coloured : {true, false}) {
    Rows data = Numbered(1);
    DrawingDevice device;
    device.log_texts = true;
    TQZReport report(&device);
    AsARun(report);
    data.Attach(report);
    if (coloured) report.aClrText = {0, 255};
    report.oHeader.Add("Cabecera", 2);
    report.cGrandTotal = "Total";
    report.nTotalFont = 2;
    TQZRCol code = Column("Cód", data.Field(0), 0, 8);
    code.aFonts = {3, 1, 1, 1};
    report.AddColumn(code);
    report.AddColumn(Column("Importe", data.Field(1), 0, 8, "N", 2, "", true));
    ASSERT_TRUE(report.Activate());
    std::vector<std::string> texts;
    for (const std::string& entry : device.log)
      if (entry.starts_with("say ")) texts.push_back(entry.substr(entry.find(' ', 4) + 1));
    if (coloured) {
      EXPECT_EQ(texts, (std::vector<std::string>{"Cabecera f2 c255", "Cód f1 c0", "Importe f1 c0", "R01 f3 c0",
                                                 "2 f1 c0", "Total f2 c255", "2 f1 c0"}));
    } else {
      EXPECT_EQ(texts, (std::vector<std::string>{"Cabecera f2", "Cód f1", "Importe f1", "R01 f3", "2 f1", "Total f2",
                                                 "2 f1"}));
    }
  }
}

// A total of a column on a record's second printed line prints on the second line of the
// group's and of the report's totals.
TEST_F(ReportEngineTest, TotalsStandOnTheirColumnsPrintedLines) {
  Rows data = Sales();
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.lPageGroup = false;
    report.cGrandTotal = "Total";
    report.AddColumn(Column("Zona", data.Field(0), 1, 6));
    TQZRCol amount = Column("Importe", data.Field(2), 8, 10, "N", 2, "@E 999,999.99", true);
    amount.nLinea = 2;
    report.AddColumn(amount);
    report.AddGroup(Group(data, {0}, "", "Suma"));
    EXPECT_TRUE(report.Activate());
  }
  EXPECT_EQ(Read(), Page({"Zona  ", "       Importe   ", "------ ----------", "NORTE ", "            10,00", "NORTE ",
                          "             5,50", "NORTE ", "             2,00", "------ ----------", "Suma",
                          "            17,50", "SUR   ", "             7,00", "SUR   ", "             1,25", "SUR   ",
                          "             3,00", "------ ----------", "Suma", "            11,25", "------ ----------",
                          "Total", "            28,75"}));
}

TEST_F(ReportEngineTest, NoColumnsOrNoFileNothingIsPrinted) {
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    EXPECT_FALSE(report.Activate());
    EXPECT_EQ(report.nPage, 0);
  }
  EXPECT_EQ(Read(), "");
  TQZRFile none("");
  TQZReport report(&none);
  bool ended = false;
  report.bEnd = [&ended](TQZReport&) { ended = true; };
  report.AddColumn(Column("A", [] { return Value::String("x"); }, 1, 1));
  EXPECT_FALSE(report.lCreated);
  EXPECT_FALSE(report.Activate());
  EXPECT_TRUE(ended) << "the end block tidies up after a report that never printed";
}

TEST_F(ReportEngineTest, NoRecordsPrintsTitlesAndAZeroTotal) {
  Rows data;
  bool ended = false;
  {
    TQZRFile file(path_);
    TQZReport report(&file);
    AsARun(report);
    data.Attach(report);
    report.cGrandTotal = "Total";
    report.bEnd = [&ended](TQZReport&) { ended = true; };
    report.AddColumn(Column("Código", data.Field(0), 1, 6));
    report.AddColumn(Column("Importe", data.Field(1), 8, 12, "N", 2, "@E 9,999,999.99", true));
    EXPECT_TRUE(report.Activate());
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(Read(), Page({"Código Importe     ", "------ ------------", "------ ------------",
                          "Total          0,00"}));
}

TEST_F(ReportEngineTest, ACancelStopsAfterTheRecordAndSkipsTheEndBlock) {
  Rows data = Numbered(10);
  bool ended = false;
  TQZRFile file(path_);
  TQZReport report(&file);
  AsARun(report);
  data.Attach(report);
  report.bEnd = [&ended](TQZReport&) { ended = true; };
  report.bRefresh = [&] {
    if (data.at == 3) report.lBreak = true;
  };
  report.AddColumn(Column("Código", data.Field(0), 1, 6));
  report.Activate();
  EXPECT_FALSE(ended);
  EXPECT_EQ(data.at, 3u);
}

}  // namespace
}  // namespace reports
