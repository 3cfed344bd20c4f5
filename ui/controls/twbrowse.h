// TWBrowse: the record browse. A child window showing one line per record of a table (or
// element of an array), one column per value of its line block, with a header row, a
// selected row, grid lines and alternating row colours, scroll bars, column widths dragged
// with the mouse, header-click actions, cell editing and a report of its contents.
//
// Movement goes through four blocks, as xBase code may replace them: bGoTop, bGoBottom,
// bSkip(n) (returns how many it moved) and bLogicLen. SetFilter gives a table browse native
// ones over a TableSource: counts and positions are logical (what SET DELETED lets the
// browse show, within its scope), so the row count, the thumb and GoBottom match the rows
// drawn. SetArray gives an array browse.
//
// The record pointer and the selected row stay in step: the record under the pointer is the
// one drawn at nRowPos. Refresh() takes the data as changed (another program's deletions,
// appends) and repaints; moving a row repaints two rows and scrolls the rest.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "ui/core/tcontrol.h"

namespace xb {
class Args;
}

namespace ui {

class TableSource;
class TLinkList;
class TScrollBar;
class TGet;
class ImageStrip;

class TWBrowse : public TControl {
 public:
  TWBrowse();
  explicit TWBrowse(const xb::Class& cls);
  ~TWBrowse() override;
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    int width = 100;
    int height = 100;
    xb::Value line{};                 // bLine
    xb::Value headers{};              // array of texts
    xb::Value col_sizes{};            // array of pixels, or a block
    WindowRef parent{};               // default: the default window
    std::string field{};              // cField: key expression of a scope
    xb::Value value1{}, value2{};       // the scope
    xb::Value change{}, dbl_click{}, r_clicked{};
    xb::Ref<TFont> font{};            // default: the parent's
    xb::ObjectRef cursor{};
    COLORREF fore = 0;
    COLORREF back = RGB(255, 255, 255);
    std::string message{};
    bool update = false;
    std::optional<std::string> alias{};  // default: the current alias
    bool pixel = false;             // else cells of 14 x 8 pixels
    xb::Value when{};
    bool design = false;
    xb::Value valid{}, l_clicked{};
    xb::Value actions{};
    int h_line = 5;
    COLORREF line_colour = 0;
    bool no_border = false;
    // New's first 25 arguments by position, as compiled text sends them (nRow ... bValid).
    static NewParams FromArgs(const xb::Args& a);
  };
  TWBrowse& New(const NewParams& params);

  struct RedefineParams {
    xb::Value line{};
    WindowRef parent{};
    xb::Value headers{}, col_sizes{};
    std::string field{};
    xb::Value value1{}, value2{};
    xb::Value change{}, dbl_click{}, r_clicked{};
    xb::Ref<TFont> font{};
    xb::ObjectRef cursor{};
    COLORREF fore = 0;
    COLORREF back = RGB(255, 255, 255);
    std::string message{};
    bool update = false;
    std::optional<std::string> alias{};
    xb::Value when{}, valid{}, l_clicked{}, actions{};
    int h_line = 5;
    COLORREF line_colour = 0;
    // ReDefine's arguments 2 to 20 by position (bLine ... bValid; the first is the id).
    static RedefineParams FromArgs(const xb::Args& a);
  };
  TWBrowse& ReDefine(int id, const RedefineParams& params);
  void Initiate(HWND dialog) override;
  // Headers, widths, justification, scroll bars and font once the window exists.
  void Default() override;

  // ---- data sources ----------------------------------------------------------------------
  // A table browse of cAlias, scoped to keys from value1 to value2 (value2 defaults to
  // value1) when value1 is given. Alerts when the key types disagree, as the scope then
  // shows nothing.
  void SetFilter(const std::string& field, const xb::Value& value1, const xb::Value& value2 = {});
  void SetArray(const xb::Array& array);
  // A tree browse of the list's items (TTreeItem): one line per item shown, the current item
  // in Cargo; a double click or Enter opens or closes an item with a sub-tree.
  void SetTree(TLinkList& tree);
  void SetCols(const xb::Array& blocks, const xb::Value& headers = {}, const xb::Value& col_sizes = {});
  // The table source behind a table browse (nullptr for arrays and replaced blocks).
  TableSource* Source() const;

  // ---- navigation -----------------------------------------------------------------------
  virtual void GoUp(bool draw = true);
  virtual void GoDown(bool draw = true);
  virtual void GoLeft();
  virtual void GoRight();
  virtual void GoTop();
  virtual void GoBottom();
  virtual void PageUp(int lines = 0);    // 0: a page
  virtual void PageDown(int lines = 0);
  int Skip(int n);
  // Moves to the data row under client pixel row `pixel_row`, as a click there does (the
  // change block runs when it moves); false above the data rows (the header) or below them.
  bool GoToRowAt(int pixel_row);
  virtual void UpStable();
  void RecAdd();
  bool lCloseArea();
  // The records of the scope from a key (the scope's count when it is the lower value).
  int RecCount(const xb::Value& seek);
  // bLogicLen, into nLen.
  int LogicLen();

  // ---- painting ---------------------------------------------------------------------------
  Answer Display() override;
  virtual void Paint(HDC dc = nullptr);
  virtual void DrawLine(int row = 0);
  virtual void DrawSelect();
  // The data changed (another program, an edit): counts are made again and all is repainted.
  void Refresh(bool erase = true) override;
  virtual int nRowCount() const;
  int nHRow() const;
  void ResetColor();
  void DC();  // one row scrolled up: stripes rotated
  void UC();  // one row scrolled down
  // Background and text colour of screen row `row` (stripes, or the plain colours).
  COLORREF PaneColour(int row) const;
  COLORREF TextColour(int row) const;
  COLORREF nClrLine() const;
  // nClrText and nClrPane as compiled text sees them: the window's colour number, or a block
  // giving one. A plain browse's paint and its moves set blocks giving the stripe colours of
  // row nPRow (GetPColor(NIL, nPRow) and GetPColor(nPRow)); code may set either kind.
  xb::Value TextColourValue() const;
  xb::Value PaneColourValue() const;
  void SetTextColourValue(const xb::Value& colour);
  void SetPaneColourValue(const xb::Value& colour);
  // Those colours now: the block's answer (the number when it answers none), or the number.
  COLORREF TextColourNow() const;
  COLORREF PaneColourNow() const;
  // A number set replaces a colour block.
  void SetColor(COLORREF fore, COLORREF back, xb::Ref<TBrush> brush = nullptr);
  void SetColor(const std::string& pair, xb::Ref<TBrush> brush = nullptr);
  void LoadLook();
  void lWClassic(bool refresh);
  void AdjClient();
  Answer ReSize(int type, int width, int height) override;

  // ---- columns ------------------------------------------------------------------------------
  std::vector<int> GetColSizes() const;
  int ColumnCount() const;
  virtual int nAtCol(int x) const;
  bool IsColVisible(int column) const;
  // The column-border drag line: with a column, a drag of that column's right border starts
  // at x (its edge may not come nearer than 5 pixels to the column's left edge); without,
  // the line moves to x. The line is 4 pixels wide, inverted over the browse's height, the
  // previous one erased. Releasing the button (LButtonUp) sets the width.
  void VertLine(int x, int column = 0);
  void ShowSizes();

  // ---- icon view ------------------------------------------------------------------------------
  // With lIconView the browse shows its records as icons 50 pixels apart from (10, 10), as
  // many as whole 50-pixel cells fit, from the first record shown; under each icon the text
  // of bIconText (default the record number). The icon is the element of aIcons that
  // bIconDraw selects (a number; default 1): an icon handle or an object with hIcon; the
  // system's application icon when there is none. The record pointer goes back after.
  void DrawIcons(HDC dc = nullptr);
  // Redraws the n-th icon shown, with a focus frame round its text or without.
  void DrawIcon(int n, bool focused);
  // The icon under a client point (1-based); 0 outside the icons' 9..41 pixel bands.
  int nAtIcon(int row, int col) const;
  int IconsShown() const { return icons_shown_; }

  // ---- editing and output -------------------------------------------------------------------
  void Edit(int column = 1);
  // A modal editor over the cell; true when confirmed (the value in `value`). A logical
  // value, or a list of items, is chosen in a combo box (items default {".T.", ".F."}; a
  // logical is true when the first item is chosen); choosing confirms. The editor's colours
  // default to the browse's. With `action`, a small button beside the get sets the value to
  // Eval(action, value) and confirms.
  bool lEditCol(int column, xb::Value& value, const std::string& picture = {}, const xb::Value& valid = {},
                std::optional<COLORREF> fore = {}, std::optional<COLORREF> back = {}, const xb::Value& items = {},
                const xb::Value& action = {});
  // A non-modal editor over the cell, inside the browse. Enter or Escape end it; when it lets
  // the focus go, post_edit runs with (value, last key), or (NIL, 27) after Escape. False.
  bool EditCol(int column, const xb::Value& value, const std::string& picture = {}, const xb::Value& post_edit = {},
               std::optional<COLORREF> fore = {}, std::optional<COLORREF> back = {}, const xb::Value& items = {});
  // The report's lines: a title row of headers, then one row per record, each cell as text;
  // numbers print as numbers, only images are left blank.
  std::vector<std::vector<std::string>> ReportRows();
  // Hands the report to the framework's report engine (SetBrowseReporter); nothing without one.
  void Report(const std::string& title = {}, bool preview = true);
  // The font dialog over the browse's font; a font chosen becomes the browse's. True then.
  bool SelFont();

  // ---- messages -----------------------------------------------------------------------------
  Answer VScroll(WPARAM wparam, LPARAM lparam) override;
  Answer HScroll(WPARAM wparam, LPARAM lparam) override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer GetDlgCode(WPARAM key) override;
  Answer MouseWheel(int keys, int delta, int x, int y) override;
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer LButtonUp(int row, int col, WPARAM keys) override;
  Answer LDblClick(int row, int col, WPARAM keys) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  Answer EraseBkGnd(HDC dc) override;

  // ---- data (the xBase names) -------------------------------------------------------------------
  std::string cAlias;
  std::string cField;
  xb::Value uValue1, uValue2;
  xb::Value bLine, bSkip, bGoTop, bGoBottom, bLogicLen, bAdd;
  int nRowPos = 1;
  int nColPos = 1;
  int nLen = 0;
  int nAt = 1;
  int nColAct = 1;
  int nMaxFilter = 0;  // 0: no limit
  bool lHitTop = false;
  bool lHitBottom = false;
  bool lMChange = true;
  bool lAutoEdit = false;
  bool lAutoSkip = false;
  bool lCellStyle = false;
  xb::Value aHeaders;   // array
  xb::Value aColSizes;  // array or block
  COLORREF nClrBackHead = RGB(215, 211, 202);
  COLORREF nClrForeHead = 0;
  COLORREF nClrBackFocus = RGB(132, 134, 133);
  COLORREF nClrForeFocus = RGB(255, 255, 255);
  xb::Value aJustify;   // array of logicals
  xb::Value aActions;   // array of blocks
  int nLineStyle = 5;
  int nHLine = 5;
  COLORREF nxClrLine = 0;
  COLORREF nXClrPane = RGB(255, 255, 255);
  COLORREF nxClrText = 0;
  COLORREF nClrPRow1 = RGB(255, 255, 255);
  COLORREF nClrPRow2 = RGB(237, 239, 234);
  COLORREF nClrTRow1 = 0;
  COLORREF nClrTRow2 = 0;
  bool lAlterClr = true;
  std::string cColor;
  // The stripe row being painted: a plain browse paints each row in the colours of stripe
  // nPRow, then runs bSkipColor (with the browse), which a paint sets to advance nPRow and
  // a move by key, scroll bar or mouse to leave it (nPRow then the selected row). A column
  // browse sets none: its DrawLine without a row runs the one compiled text gives it.
  int nPRow = 0;
  xb::Value bSkipColor;
  bool lTree = false;
  bool lClassic = false;
  bool lTCB = false;
  bool lDrawingSel = false;
  bool lIconView = false;
  xb::Value aIcons, bIconDraw, bIconText;
  int nIconPos = 0;
  // Declared for the column browses; this class does not use them.
  xb::Value aBmpWidths, aBmpHeight;
  int nTRow = 0;
  // Per-column settings kept for the column browses; each starts as an empty array.
  xb::Value aPictures, aEditables, aMessages, abValids, acErrors, alNoHilite, acOrder, acFooting, abPrevEdit,
      abPostEdit, anEditMove, alFixLite, abChange, abWhen, abPicture;
  xb::Ref<TScrollBar> oVBar, oHBar;
  // The open cell editor of EditCol (oGet: an edit field or a combo box), or nullptr.
  const ControlRef& oGet() const { return cell_editor_; }

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;
  // aPictures ... abPicture, in their declared order.
  std::vector<xb::Value*> ColumnSettings();

 protected:
  xb::Array Values();  // bLine's cells of the current record
  void PaintRow(HDC dc, int row, COLORREF text, COLORREF pane, bool selected, const std::function<void()>& after = {});
  // A data row (empty: one blank per column) in the colours of stripe nPRow, bSkipColor after.
  void PaintStripedRow(HDC dc, int row);
  void PaintEmptyRow(HDC dc, int row);
  // bSkipColor made to advance nPRow after each row (a paint) or to leave it (a move, nPRow
  // then the selected row); a column browse's is left as it is.
  void StripesAdvance();
  void StripesHold();
  // nClrText and nClrPane made the blocks of the stripe colours of row nPRow.
  void StripeColourBlocks();
  // The browse's colours for a cell of screen row `row`: {text, pane}.
  std::pair<COLORREF, COLORREF> ColoursOfRow(int row);
  void RunSkipColor();
  void SyncThumb();
  // The horizontal scroll bar taken away (a tree's lines do not scroll sideways).
  void RemoveHBar();
  void ScrollRows(int rows);  // window scroll of the data area, negative: up
  bool HasRecords();
  void RunChange();
  void Repaint() { TWindow::Refresh(false); }
  // What New and ReDefine take alike from their parameters.
  template <typename Params>
  void TakeCommon(const Params& p);
  std::optional<std::pair<int, int>> BorderAt(int x) const;  // {column, its right edge}
  void Beep();
  void EndCellEditor();
  void PaintIcon(HDC dc, int n, bool focused);  // the current record as the n-th icon

  std::unique_ptr<TableSource> source_;
  xb::Value own_skip_;  // the native blocks SetFilter made, to tell them from replaced ones
  int drag_column_ = 0, drag_start_ = 0, drag_min_ = 0, drag_last_ = -1;
  xb::Value text_block_, pane_block_;    // nClrText, nClrPane when they are blocks
  xb::Value stripe_text_, stripe_pane_;  // the stripe blocks, made once
  // The browse while it lives, for the stripe blocks (which compiled text may keep longer).
  std::shared_ptr<TWBrowse*> alive_ = std::make_shared<TWBrowse*>(this);
  ControlRef cell_editor_;
  bool resync_thumb_ = false;  // after a refresh, the thumb follows the next paint
  int icons_shown_ = 0;        // icons the last DrawIcons drew
};

// A browse's contents for the framework's report engine, which prints them: the title, a
// heading line ("Date: ..., Time: ..."), a footer to be followed by the page number as
// STR(page, 3), one column per value (its title and width in characters) and the rows.
struct BrowseReport {
  std::string title;
  std::string heading;
  std::string footer = "Page: ";
  std::vector<std::string> titles;
  std::vector<int> widths;
  std::vector<std::vector<std::string>> rows;
  bool preview = true;
};
// The output layer installs the engine that prints a browse's report.
using BrowseReporter = void (*)(const BrowseReport& report);
void SetBrowseReporter(BrowseReporter reporter);

// The cells of a table browse without a line block: the visible fields as text, "<Memo>" for
// a memo with content and "<memo>" for an empty one.
xb::Array AFields(TWBrowse& browse);

// Registers TWBROWSE, TSCROLLBAR, TQZSCRLLBAR, TGET, their helpers by name (NWROW, NWROWS,
// ABRWPOSRECT, SCROLLWINDOWEX, WNDBOXQZ, _AFIELDS) and the scroll-bar maker of windows.
void RegisterBrowseControls();

}  // namespace ui
