// TQZReport: the report generator's banded engine. It walks the records a run has put in
// its work table and prints, on a ReportDevice, the designed page header (through the
// start-page hook), column titles, one band a record (its columns on one or more printed
// lines), group headings with the group's values, group subtotals, page totals and the
// grand total. TQZRCol is one column, TQZRGroup one group.
//
//   TQZReport report(device);
//   report.AddColumn(...); report.AddGroup(...);
//   report.bWhile = ...; report.bSkip = ...;   // the walk over the records
//   report.Activate();
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reports/report_device.h"
#include "runtime/value.h"

namespace reports {

class TQZReport;

// TransHoras: minutes as "2 h, 15'" in a column of nSize characters ("" below 8); a
// character value is read as minutes.
std::string TransHoras(const xb::Value& minutes, int size);

class TQZRCol {
 public:
  std::string cTitle;
  std::function<xb::Value()> bData;  // the value of the current record
  std::string cPicture;              // data picture; totals use cTotalPict
  std::string cTotalPict;
  std::string cTipoCol = "C";        // "C", "N", "L", "D", "H" (minutes)
  int nAnchoCol = 0;                 // starting position in characters (0: after the previous)
  int nSize = 0;                     // width in characters (0: from the title and data)
  int nPad = 1;                      // 1 left, 2 right, 3 centred
  int nLinea = 1;                    // printed line within the record band
  bool lTotal = false;
  bool lAcumulada = false;           // printed as a running total
  bool lIniGrupo = true;             // group totals restart at each group
  bool lGroupCol = false;            // part of a group key: printed in summaries, not repeated
  std::function<bool()> bTotalFor;   // the record counts in the totals (none: every one)
  std::array<int, 4> aFonts{1, 1, 1, 1};  // data, title, total, subtotal

  // Set by the layout and the run.
  int nCol = 0;
  int nWidth = 0;
  double nTotal = 0;
  std::string uLastValue;
  bool lLastValue = false;

  // The value as printed (picture, hours, numbers without blanks).
  std::string DataText(const xb::Value& value) const;
  std::string TotalText(double total) const;
};

class TQZRGroup {
 public:
  struct Heading {
    int nLine = 1;
    std::function<std::string()> bText;  // evaluated on the group's first record
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
  bool lNeedStart = true;
  bool lHeader = false;
  bool lFooter = false;

  // The key now becomes the group's; the totals that restart at a group are zeroed.
  void Reset(const TQZReport& report);
  // The current record's key differs from the group's.
  bool Check();
};

class TQZReport {
 public:
  explicit TQZReport(ReportDevice* device);

  void AddColumn(TQZRCol column) { aColumns.push_back(std::move(column)); }
  void AddGroup(TQZRGroup group) { aGroups.push_back(std::move(group)); }

  // Lays the report out and prints every record; false when nothing could be printed (no
  // device, no columns, a report too wide that the user chose not to print).
  bool Activate();

  // ---- what a run sets -----------------------------------------------------------------------
  std::function<bool()> bWhile;   // records remain
  std::function<bool()> bFor;     // the record prints (none: every one)
  std::function<void()> bSkip;    // to the next record
  std::function<void(TQZReport&)> bStartPage;  // the designed header
  std::function<void(TQZReport&)> bEnd;        // not run after a cancel
  // A report wider than the page: go on? (none: no)
  std::function<bool()> bWideQuestion;
  // The progress window's page field and its cancel.
  std::function<void(int)> bPageShown;
  std::function<void()> bRefresh;  // lets the window system catch up; may set lBreak

  std::vector<TQZRCol> aColumns;
  std::vector<TQZRGroup> aGroups;
  std::string cPageTotal, cGrandTotal;
  std::string cCharPattern = "b";
  int nStdFont = 1, nTotalFont = 1, nSubTTFont = 1;
  int nTotalLine = 2, nGroupLine = 1, nTitleUpLine = 2, nTitleDnLine = 2;
  int nLineasReg = 1;              // lines of a record band (at least the highest nLinea)
  double nAltoCabMM = 0, nMgIzMM = 0, nMgDnMM = 0;
  int nPage = 0;                   // the first page printed is nPage + 1
  bool lSummary = false;
  bool lPageGroup = true;
  bool lAutoLand = true;
  bool lBreak = false;

  // ---- state and helpers for the designed header and the tests ---------------------------------
  ReportDevice* Device() const { return device_; }
  int nRow = 0;
  int nAltoCabecera = 0, nMargenIzdo = 0;
  int nTitleRow = 0, nBottomRow = 0, nStdLineHeight = 1, nRptWidth = 0, nSeparator = 1;
  int nLeftMargin = 0, nRightMargin = 0, nTopMargin = 0, nDnMargin = 0, nMargin = 0;
  bool lTotal = false, lStable = false, lCreated = false, lFinish = false, lFirstRow = true;
  bool lIsNarrow = false;

  void Stabilize();
  void Play();
  void StartPage();
  void EndPage();
  void ColTitle();
  void TotalLine(int kind);
  void PageTotal();
  void StartGroup(int n);
  void EndGroup(int n, bool eject);
  void End();
  // The band's height: its highest printed line or the lines per record.
  int BandLines() const;

 private:
  bool While() const { return bWhile ? bWhile() : false; }
  bool For() const { return bFor ? bFor() : true; }
  void Skip();
  // Starts a line of this height, on a new page when it does not fit.
  void StartLine(int height);
  void SayColumn(std::size_t i, int row);
  void AddTotals(std::size_t i, const xb::Value& value);
  void GroupTotal(const TQZRGroup& group, int row);

  ReportDevice* device_;
  bool ended_ = false;
  bool in_start_page_ = false;
  int line_height_ = 1;
};

}  // namespace reports
