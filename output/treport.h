// TReport: the framework's columnar report over the records of the current work area: a
// header, title and footer, column titles, one or more data lines a record, groups with
// their headers, footers and subtotals, page and grand totals, rules, grid, shadow and
// separators. It draws on a page device: a TPrinter printing, a TPrinter making preview
// pages, or a TRFile text file. A report is defined between RPTBEGIN and RPTEND with
// RPTADDCOLUMN and RPTADDGROUP, then run with Activate, under a progress dialog of the
// preview library that can cancel it.
//
// Rows and columns are device units. Fonts and pens are referred to by number (from 1).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "output/page_device.h"
#include "output/trcolumn.h"
#include "output/trgroup.h"
#include "output/trline.h"
#include "runtime/object.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/core/tfont.h"
#include "ui/core/tpen.h"

namespace output {

class TReport : public xb::Object {
 public:
  TReport();
  explicit TReport(const xb::Class& cls);  // for derived reports
  ~TReport() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    std::vector<xb::Value> title;   // blocks; none: one empty line
    std::vector<xb::Value> header;
    std::vector<xb::Value> footer;
    std::vector<xb::Ref<ui::TFont>> fonts;  // none: "ARIAL" at -10
    std::vector<xb::Ref<ui::TPen>> pens;    // none: style 0, width 1, colour 0
    bool summary = false;
    std::string report_file;
    std::string resource;
    bool to_printer = false;
    bool to_screen = false;         // the preview
    std::string file;               // a text file
    xb::ObjectRef device;           // a page device given
    std::string document;
    std::string title_align = "CENTER";
    std::string header_align = "LEFT";
    std::string footer_align = "LEFT";
  };
  virtual void Init(const NewParams& params);

  struct ActivateParams {
    xb::Value for_block, while_block, init, end, start_page, end_page, start_group, end_group, start_line,
        end_line, change, post_end, post_page, post_group;
  };
  void Activate(const ActivateParams& params);

  // ---- definition ------------------------------------------------------------------------------
  void AddColumn(xb::Ref<TRColumn> column);
  void DelColumn(int n);
  void InsColumn(xb::Ref<TRColumn> column, int n);
  void AddGroup(xb::Ref<TRGroup> group);
  void DelGroup(int n);

  // ---- layout and run --------------------------------------------------------------------------
  virtual void Stabilize();
  virtual void Play();
  virtual void StartPage();
  virtual void EndPage();
  virtual void StartLine(int height, bool separator = false);
  virtual void EndLine(int height);
  virtual void StartGroup(int n);
  virtual void EndGroup(int n);
  virtual void Skip(int n);
  virtual void End();
  bool NeedNewPage() const { return nRow + nStdLineHeight > nBottomRow; }
  void NewLine(int height = 0);
  void BackLine(int height = 0) { nRow -= height != 0 ? height : nStdLineHeight; }

  // ---- drawing ---------------------------------------------------------------------------------
  void ColTitle();
  void TotalLine(int style, int position = 0);
  void PageTotal();
  void Shadow(int height);
  void Grid(int height = 0, std::optional<int> row = {}, std::optional<char> character = {});
  void Separator(int pen = 1, std::optional<int> row = {});
  void Say(int column, const xb::Value& text, int font = 1, int pad = 1, std::optional<int> row = {});
  void SayBitmap(double row, double col, const xb::Value& bitmap, double size_a = 1, double size_b = 1,
                 int unit = 1);
  void Box(double top, double left, double bottom, double right, int pen = 1, int unit = 1);
  void Line(double top, double left, double bottom, double right, int pen = 1, int unit = 1);
  void SetTxtColor(COLORREF colour, int font = 1);
  void SetShdColor(COLORREF colour);
  void SetPenColor(std::optional<COLORREF> colour);
  void Margin(double value = 0.2, int which = 1, int unit = 1);
  void CellView() {}
  int PhyWidth() const { return nWidth; }
  int PhyHeight() const { return nHeight; }

  // ---- helpers for the columns, groups and lines ---------------------------------------------------
  PageDevice* Device() const { return device_; }
  bool TextDevice() const { return device_ != nullptr && device_->IsText(); }
  ui::TFont* Font(int index) const;
  COLORREF TextColour(int index) const;
  ui::TPen* Pen(int index) const;
  int StdFont() const;
  // Evaluates a block (NIL answers NIL), not re-entering the hook it belongs to.
  static xb::Value Eval(const xb::Value& block, std::initializer_list<xb::Value> args = {});
  // Runs a hook block unless the same hook is running already.
  void Hook(bool& running, const xb::Value& block);
  xb::Value Self() { return AsValue(); }

  // ---- data ----------------------------------------------------------------------------------------
  xb::ObjectRef oDevice;
  xb::Ref<TRLine> oTitle, oHeader, oFooter;
  xb::ObjectRef oRptWnd;
  ui::Brush oShdBrush;
  xb::Ref<ui::TPen> oPenHorz;
  std::vector<xb::Ref<TRGroup>> aGroups;
  std::vector<xb::Ref<TRColumn>> aColumns;
  std::vector<xb::Ref<ui::TFont>> aFont;
  std::vector<int> aCols;
  std::vector<xb::Ref<ui::TPen>> aPen;
  std::vector<int> aDataHeight;
  std::vector<COLORREF> aClrText;
  xb::Value bFor, bWhile, bInit, bEnd, bStartLine, bEndLine, bStartPage, bEndPage, bStartGroup, bEndGroup, bSkip,
      bStdFont, bPreview, bChange, bPostEnd, bPostPage, bPostGroup, bStartRecord;
  std::string cRptFile, cResName, cFile, cName;
  std::string cPageTotal, cGrandTotal;
  std::string cCharPattern = "B";
  int nWidth = 0, nHeight = 0, nMargin = 0, nRow = 0, nPage = 0, nMaxTitle = 0, nMaxData = 0, nSeparator = 0;
  int nLeftMargin = 0, nRightMargin = 0, nTopMargin = 0, nDnMargin = 0;
  int nTitleRow = 0, nBottomRow = 0, nStdLineHeight = 0, nRptWidth = 0, nLogPixX = 0, nLogPixY = 0;
  int nFirstdRow = 0, nLastdRow = 0, nTitleHeight = 0;
  int nDataLine = 1, nCounter = 0;
  int nTotalLine = 2, nGroupLine = 1, nTitleUpLine = 2, nTitleDnLine = 2;
  COLORREF nClrShadow = 12632256;
  HMODULE hOldRes = nullptr;
  bool lSummary = false, lTotal = false, lFinish = false, lStable = false, lGroup = false, lPrinter = false,
       lScreen = false, lFirstRow = true, lCreated = false, lBreak = false, lShadow = false, lGrid = false,
       lJoin = false, lSeparator = false, lAutoLand = true, lIsNarrow = false, lBoxOnTotal = false,
       lNoCancel = false, lPageTotal = true;
  xb::Value Cargo;

 private:
  bool For();
  bool While();
  void FreeDrawing();
  bool ended_ = false;
  bool preview_shown_ = false;
  // Hooks running now (none is re-entered).
  bool in_change_ = false, in_start_page_ = false, in_end_page_ = false, in_start_line_ = false,
       in_end_line_ = false, in_start_group_ = false, in_end_group_ = false;
  PageDevice* device_ = nullptr;
};

// The report being defined between RPTBEGIN and RPTEND.
xb::Ref<TReport> RptBegin(const TReport::NewParams& params);
xb::Ref<TRColumn> RptAddColumn(const TRColumn::NewParams& params);
xb::Ref<TRGroup> RptAddGroup(const TRGroup::NewParams& params);
xb::Ref<TReport> RptEnd();

// Registers TREPORT, TRCOLUMN, TRGROUP, TRLINE, TRFILE and RPTBEGIN, RPTADDCOLUMN,
// RPTADDGROUP, RPTEND.
void RegisterReportFunctions();

}  // namespace output
