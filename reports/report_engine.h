// TQZReport: the report generator's banded engine. It walks the records a run has put in
// its work table and prints, on a ReportDevice, the designed page header (through the
// start-page hook), its header and title lines, column titles, one band a record (its
// columns on one or more printed lines, each column with one or more data lines), group
// headings with the group's values, group subtotals, page totals, the grand total and the
// footer lines. Data lines may be shaded every other one, separated by rules and boxed by a
// grid. TQZRCol is one column, TQZRGroup one group, TQZRLine a header, title or footer.
//
//   TQZReport report(device);
//   report.AddColumn(...); report.AddGroup(...);
//   report.bWhile = ...; report.bSkip = ...;   // the walk over the records
//   report.Activate();
//
// Compiled text reaches the same engine through the classes of report_engine_objects.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reports/report_device.h"
#include "runtime/value.h"

namespace reports {

class TQZReport;

// TransHoras: minutes as "2 h, 15'" in a column of nSize characters ("" below 8); a
// character value is read as minutes.
std::string TransHoras(const xb::Value& minutes, int size);
// A value as totals add it: a number, or a text ("1.234,5") read as one.
double TotalNumber(const xb::Value& value);

// A header, title or footer: lines of text, each in a font and aligned in the report's width
// (1 left, 2 right, 3 centred). When its first line reads "" it takes no room and prints
// nothing.
class TQZRLine {
 public:
  struct Line {
    std::function<std::string()> bText;
    int nFont = 1;
    int nPad = 1;
    std::function<int()> bFont;  // the font by a block (none: nFont)
  };
  std::vector<Line> aLine;

  // Set by the layout.
  std::vector<int> aRow, aWidth;
  int nCol = 0, nHeight = 0, nWidth = 0;

  void Add(std::string text, int font = 1, int pad = 1);
  std::string Text(std::size_t line) const;
  int Font(std::size_t line) const;
  // Rows from `top` down, one a line, and the left edge; widths measured.
  void Stabilize(ReportDevice& device, int top, int col = 0);
};

class TQZRCol {
 public:
  struct DataLine {
    std::function<xb::Value()> bData;
    std::string cPicture;
    std::function<xb::Value()> bTotal;  // what the totals add (none: bData's value)
  };
  std::string cTitle;
  std::vector<std::string> aTitle;   // title lines; none: cTitle alone
  std::function<xb::Value()> bData;  // the value of the current record
  std::vector<DataLine> aData;       // data lines; none: bData with cPicture alone
  std::string cPicture;              // data picture; totals use cTotalPict
  std::string cTotalPict;
  std::string cTipoCol = "C";        // "C", "N", "L", "D", "H" (minutes)
  int nAnchoCol = 0;                 // starting position in characters (0: after the previous)
  int nSize = 0;                     // width in characters (0: the widest title or value)
  int nPad = 1;                      // 1 left, 2 right, 3 centred
  int nLinea = 1;                    // printed line within the record band
  int nPen = 1;                      // the report's pen of its grid and underlines
  bool lTotal = false;
  bool lAcumulada = false;           // printed as a running total
  bool lIniGrupo = true;             // group totals restart at each group
  bool lGroupCol = false;            // part of a group key: printed in summaries, not repeated
  bool lShadow = false;
  bool lGrid = false;                // vertical rules at both sides
  bool lSeparator = true;            // its own Separator draws
  bool lUnderline = false, lDobleUnd = false, lTextUnd = false;
  std::function<bool()> bTotalFor;   // the record counts in the totals (none: every one)
  std::array<int, 4> aFonts{1, 1, 1, 1};  // data, title, total, subtotal

  // Set by the layout and the run.
  int nCol = 0;
  int nWidth = 0;
  int nDataHeight = 0, nTitleHeight = 0;
  int nOrder = 0;
  double nTotal = 0;
  std::vector<std::optional<std::string>> aLastValue;  // a group column's last text, per data line

  int TitleLines() const { return aTitle.empty() ? 1 : static_cast<int>(aTitle.size()); }
  int DataLines() const { return aData.empty() ? 1 : static_cast<int>(aData.size()); }
  // Title line `line` (from 1); "" past the last.
  std::string TitleText(int line) const;
  // The value of data line `line` (from 1) on the current record; "" past the last.
  xb::Value DataValue(int line) const;
  const std::string& Picture(int line) const;
  // The value as printed (picture, hours, numbers without blanks), with the picture of data
  // line `line`.
  std::string DataText(const xb::Value& value, int line = 1) const;
  std::string TotalText(double total) const;
};

class TQZRGroup {
 public:
  struct Heading {
    int nLine = 1;
    std::function<std::string()> bText;  // evaluated on the group's first record
    bool lBlank = false;                 // its expression is empty: it opens a line, prints nothing
  };
  std::function<std::string()> bGroup;  // the key of the current record
  std::string cHeader;                  // heading caption
  std::string cFooter = "Total...";     // footing caption
  int nFont = 1;                        // heading and footing font
  int nFootFont = 0;                    // footing font when not nFont (0: nFont)
  bool lEject = false;
  std::vector<Heading> aHeadings;

  std::vector<double> aTotal;
  std::string cValue, cOldValue;
  int nCounter = 0;
  int nOrder = 0;
  int nHeaderHeight = 0, nFooterHeight = 0;
  bool lNeedStart = true;
  bool lHeader = false;
  bool lFooter = false;

  // The key now becomes the group's; the totals that restart at a group are zeroed.
  void Reset(const TQZReport& report);
  // The current record's key differs from the group's.
  bool Check();
  int FootFont() const { return nFootFont > 0 ? nFootFont : nFont; }
  // cText followed by the value of cExpr: a trailing piece that applies a function to
  // "(cGrupo)" is called with the group's value, what stands before it is evaluated as an
  // expression.
  std::string ConstruyeTexto(std::string cText, const std::string& cExpr) const;
};

class TQZReport {
 public:
  using Hook = std::function<void(TQZReport&)>;

  explicit TQZReport(ReportDevice* device);
  // The device it prints on, when it was made without one.
  void SetDevice(ReportDevice* device);

  void AddColumn(TQZRCol column) { aColumns.push_back(std::move(column)); }
  void AddGroup(TQZRGroup group) { aGroups.push_back(std::move(group)); }

  // Lays the report out and prints every record; false when nothing could be printed (no
  // device, no columns, a report too wide that the user chose not to print).
  bool Activate();

  // ---- what a run sets -----------------------------------------------------------------------
  std::function<bool()> bWhile;   // records remain
  std::function<bool()> bFor;     // the record prints (none: every one)
  std::function<void()> bSkip;    // to the next record
  Hook bStartPage;                // the designed header
  Hook bEnd;                      // not run after a cancel
  // Runs after the run, with the device; none: a preview device shows its pages.
  Hook bPreview;
  // The other events, each run unless it is running already.
  Hook bInit, bEndPage, bStartGroup, bEndGroup, bStartLine, bEndLine, bChange, bPostEnd, bPostPage, bPostGroup;
  // A report wider than the page: go on? (none: no)
  std::function<bool()> bWideQuestion;
  // The progress window's page field and its cancel.
  std::function<void(int)> bPageShown;
  std::function<void()> bRefresh;  // lets the window system catch up; may set lBreak

  std::vector<TQZRCol> aColumns;
  std::vector<TQZRGroup> aGroups;
  TQZRLine oHeader, oTitle, oFooter;
  std::string cPageTotal, cGrandTotal;
  std::string cCharPattern = "b";
  int nStdFont = 1, nTotalFont = 1, nSubTTFont = 1;
  int nTotalLine = 2, nGroupLine = 1, nTitleUpLine = 2, nTitleDnLine = 2;
  int nLineasReg = 1;              // the lines a record takes at least
  double nAltoCabMM = 0, nMgIzMM = 0, nMgDnMM = 0;
  int nPage = 0;                   // the first page printed is nPage + 1
  std::uint32_t nClrShadow = 12632256;  // RGB 192, 192, 192
  // The colour of each font's texts (0x00BBGGRR); a font without one prints in the device's.
  std::vector<std::uint32_t> aClrText;
  bool lSummary = false;
  bool lPageGroup = true;
  bool lAutoLand = true;
  bool lBreak = false;
  bool lGlobalShadow = false;      // every other data line shaded
  bool lSeparator = false;         // a rule between records
  bool lJoin = false;              // rules run across the gaps between columns
  bool lBoxOnTotal = false;        // totals boxed by rules and the grid

  // What Stabilize applies to the columns and groups by position, as compiled text adds
  // them: a column's printed line and group flag, a group's heading line numbers and texts
  // (expressions).
  std::vector<int> aLineCol;
  std::vector<bool> aColGroup;
  std::vector<std::vector<int>> aLineGroup;
  std::vector<std::vector<std::string>> aHeadGroup;
  void AddLineCol(int line) { aLineCol.push_back(line); }
  void AddColGroup(bool group) { aColGroup.push_back(group); }
  void AddLineGroup(std::vector<int> lines) { aLineGroup.push_back(std::move(lines)); }
  void AddHeadGroup(std::vector<std::string> texts) { aHeadGroup.push_back(std::move(texts)); }

  // ---- state and helpers for the designed header and the tests ---------------------------------
  ReportDevice* Device() const { return device_; }
  int nRow = 0;
  int nAltoCabecera = 0, nMargenIzdo = 0;
  int nTitleRow = 0, nBottomRow = 0, nStdLineHeight = 1, nRptWidth = 0;
  int nSeparator = 0;  // the gap between columns (0: the pattern's width)
  int nLeftMargin = 0, nRightMargin = 0, nTopMargin = 0, nDnMargin = 0, nMargin = 0;
  int nMaxTitle = 1, nMaxData = 1, nTitleHeight = 0, nFirstDRow = 0, nLastDRow = 0, nDataLine = 1, nCounter = 0;
  std::vector<int> aCols, aDataHeight;
  // The colour of the shading brush, once the first shaded line made it.
  std::optional<std::uint32_t> nShdBrush;
  bool lTotal = false, lStable = false, lCreated = false, lFinish = false, lFirstRow = true;
  bool lIsNarrow = false, lGroup = false, lShadow = false, lGrid = false, lThisShadow = false;

  void Stabilize();
  // One column's heights, width and own position; one group's flags, heights and totals.
  void StabilizeColumn(std::size_t i);
  void StabilizeGroup(int n);
  void Play();
  void StartPage();
  void EndPage();
  void ColTitle();
  // A line of `height` starts: a new page first when it does not fit, the separator above it
  // when asked for and not on the page's first row, then its shading and grid.
  void StartLine(int height, bool separator = false);
  // The line ends: the row moves down by `height`.
  void EndLine(int height);
  // A rule of `kind` (0 none, 1 single, 2 double) under every column, at position 0
  // (closing), 1 (opening) or 2 (between) for the grid's reach; the row moves past it.
  void TotalLine(int kind, int pos = 0);
  void PageTotal();
  void StartGroup(int n);
  void EndGroup(int n, bool eject);
  void End();
  // A rule between records across the report, with pen `pen` (0 or a pen the report does not
  // have: the horizontal pen); the row moves past it.
  void Separator(int pen = 0);
  // Every other call, the columns' cells from the row down by `height` shaded.
  void Shadow(int height);
  // The grid's vertical rules of the columns that have one, `height` down from `row`.
  void Grid(int height, int row);
  // Column n (from 1) opens a new printed line: the row moves down by the tallest title of
  // the columns before it on the previous line.
  void nLineaReg(int n);
  // The highest printed line of a column.
  int PrintedLines() const;
  // How far below the band's top printed line `line` stands: in the titles (by the titles'
  // heights) and in the data and totals (by the taller of the titles and the data).
  int TitleOffset(int line) const;
  int LineOffset(int line) const;
  // The height of data line `line` of a record: its printed lines.
  int DataLineHeight(int line) const;
  // Draws a column's title line, data line, total or subtotal at a row (and at a column of
  // its own: -1 the column's).
  void SayTitle(std::size_t column, int row, int line, int col = -1);
  void SayData(std::size_t column, int row, int line, bool group_column, int col = -1);
  // The left edge of the report and its width: its columns', at least its lines'.
  std::pair<int, int> Span() const;
  void SayTotal(std::size_t column, int row, double total, int font);
  // Group n's (from 1) heading text, its footing caption followed by its totals, or its totals
  // alone, at a row.
  void GroupHeader(int n, int row, const std::string& text);
  void GroupFooter(int n, int row);
  void GroupTotal(int n, int row);
  void Underline(std::size_t column, bool text, bool twice, int line, int row);
  void ColumnSeparator(std::size_t column, int row, bool force);
  // A header, title or footer at its rows, `offset` lower.
  void SayLine(const TQZRLine& line, int offset = 0);
  // A text in a font and the font's colour.
  void SayText(int row, int col, std::string_view text, int font, int width, int pad);
  // The colour of a font's texts, when the report gives one.
  std::optional<std::uint32_t> TextColour(int font) const;

 private:
  bool While() const { return bWhile ? bWhile() : false; }
  bool For() const { return bFor ? bFor() : true; }
  void Skip();
  void Run(const Hook& hook, bool& running);
  void AddTotals(std::size_t i, int line, const xb::Value& shown);
  void SayValue(std::size_t i, int row, int col, int line, bool group_column, const xb::Value& value);
  // The text of a value as printed; none for a group column's value that repeats the last.
  std::optional<std::string> CellText(std::size_t i, int line, bool group_column, const xb::Value& value);
  // The text in the column's data font, underlined when the column asks for it.
  void DrawCell(std::size_t i, int row, int col, const std::string& text);
  // The cells waiting for their line, at the row.
  void DrawPending();
  void UnderlineText(std::size_t i, bool text, bool twice, int row, const std::string& shown);
  // The step of a rule: a text line, or ten pen widths.
  int RuleHeight();
  // How far below their first line the totals reach: the printed line of the last column
  // that totals.
  int TotalsDepth() const;
  int SeparatorHeight();
  // A group's footing line: the footing's height, at least the subtotals'.
  int FooterHeight(const TQZRGroup& g);
  void ApplyAdded();

  ReportDevice* device_;
  bool ended_ = false;
  bool in_start_page_ = false, in_end_page_ = false, in_start_group_ = false, in_end_group_ = false,
       in_start_line_ = false, in_end_line_ = false, in_change_ = false, in_init_ = false;
  std::vector<int> title_offset_, line_offset_;
  struct Cell {
    std::size_t column;
    int offset, col;
    std::string text;
  };
  std::vector<Cell> pending_;
};

}  // namespace reports
