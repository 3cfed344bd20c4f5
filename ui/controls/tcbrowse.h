// TCBrowse: the record browse rebuilt around column objects (TCColumn). Each column has its
// heading, footing, data block, picture, colours, alignment, width, edit rules and index tag.
// On top of TWBrowse it has frozen columns (the first nFreeze never scroll sideways), a cell
// cursor (lCellBrw), sorting by a header's double click, an incremental search on the active
// order, columns dragged to another place, footers and one cell edited in place.
//
// It moves through a work area (TWBrowse's table source: logical counts and positions), an
// array (SetArray) or a table object (SetoDBF). Rows are painted cell by cell (TCDRAWCELL),
// all of one height: the font's text height + nHLine + 1.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls/twbrowse.h"

namespace ui {

class TBitmap;
class TCColumn;

class TCBrowse : public TWBrowse {
 public:
  TCBrowse();
  explicit TCBrowse(const xb::Class& cls);
  static const xb::Class& Cls();

  TCBrowse& New(const NewParams& params, bool cell_brw = false);
  TCBrowse& ReDefine(int id, const RedefineParams& params, bool cell_brw = false);
  void Default() override;

  // ---- columns ---------------------------------------------------------------------------
  // One editable column per field of cAlias.
  void LoadFields();
  xb::Value AddColumn(const xb::Value& column);
  xb::Value InsColumn(int pos, const xb::Value& column);
  xb::Value DelColumn(int pos);
  xb::Value GetColumn(int pos = 1) const;
  void SwitchCols(int col1, int col2);
  void Exchange(int col1, int col2);
  TCColumn* Col(int n) const;  // 1-based; nullptr outside
  int Columns() const;

  // One visible column: where it starts and how wide it is painted (-1: to the right edge).
  struct Span {
    int col = 0;
    int x = 0;
    int width = 0;
  };
  // Frozen columns first, then those from nColPos, until the control's width is passed.
  std::vector<Span> Walk();

  // ---- sources ---------------------------------------------------------------------------
  void SetArray(const xb::Array& array);
  // Any object answering RecCount, GoTop, GoBottom, Skipper, Seek and SetOrder.
  void SetoDBF(const xb::Value& dbf);
  // NIL turns the automatic context off.
  void SetContext(const xb::Value& context);
  void Reset();

  // ---- painting ----------------------------------------------------------------------------
  void Paint(HDC dc = nullptr) override;
  void DrawHeaders();
  void DrawLine(int row = 0) override;
  void DrawSelect() override;
  int nRowCount() const override;

  // ---- moving ------------------------------------------------------------------------------
  void GoUp(bool draw = true) override;
  void GoDown(bool draw = true) override;
  void GoTop() override;
  void GoBottom() override;
  void PageUp(int lines = 0) override;
  void PageDown(int lines = 0) override;
  void UpStable() override;
  // The data changed, or the caller moved the area: the browse takes the area's record as
  // its own, then repaints.
  void Refresh(bool erase = true) override;
  Answer VScroll(WPARAM wparam, LPARAM lparam) override;
  void GoLeft() override;
  void GoRight() override;
  // In cell mode: the cell becomes `cell`, or the column under client x `pixel`; true when
  // it changed.
  bool HiliteCell(int cell, std::optional<int> pixel = {});
  int nAtCol(int x) const override;
  // The vertical bar at the current record's logical position, within 1..nLen.
  void ResetBarPos();

  // ---- order and search --------------------------------------------------------------------
  bool SetOrder(int col);
  void Seek(int key);
  void ResetSeek();

  // ---- editing -----------------------------------------------------------------------------
  // The modal cell editor over the cell; true when confirmed (the value in `value`).
  virtual bool lEditCol(int col, xb::Value& value, const std::string& picture = {}, const xb::Value& valid = {},
                        std::optional<COLORREF> fore = {}, std::optional<COLORREF> back = {},
                        const std::string& message = {}, const std::string& error = {});
  // The edit a double click or Enter starts on an editable cell.
  virtual void EditCell(int col);
  bool SelFont();
  // No listing: the browse takes the focus and goes to its first record.
  void Report(const std::string& title = {}, bool preview = true, int language = 1);
  // Design aid: for "aColumns" a block that edits the column list (EditColumns); else NIL.
  xb::Value InspectBlock(const std::string& data);
  // The columns listed by heading, moved up and down or deleted (one is always kept); "&Ok"
  // puts them in that order. True when confirmed.
  bool EditColumns();

  // ---- messages ----------------------------------------------------------------------------
  Answer HScroll(WPARAM wparam, LPARAM lparam) override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer LButtonUp(int row, int col, WPARAM keys) override;
  Answer LDblClick(int row, int col, WPARAM keys) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  Answer EraseBkGnd(HDC dc) override;
  // A context object given (SetContext, a multi-table object's) is ended with the browse.
  Answer Destroy() override;
  // While a border is dragged: the band at `x` (the old one taken away); with no argument the
  // drag is applied.
  void VertLine(std::optional<int> x = {});

  // ---- data (the xBase names) ----------------------------------------------------------------
  xb::Value aColumns;
  xb::Value aArray;
  bool lNoHScroll = false, lNoVScroll = false;
  bool lNoLiteBar = false, lNoGrayBar = false;
  bool lLogicDrop = false;
  int nAdjColumn = 0;
  bool lRePaint = false;
  int nFreeze = 0;
  xb::Value oDbf;
  xb::Value oCtx;
  bool lColDrag = false, lLineDrag = false;
  int nDragCol = 0;
  bool lAutoCtx = true;
  std::intptr_t hBmpCursor = 0;
  xb::Value bSeekChange;
  std::string cSeek;
  int nColOrder = 0;
  std::optional<COLORREF> nOClrForeHead, nOClrBackHead;
  std::string cOrderType;
  bool lFooting = false;
  xb::Value aImages, aBitmaps;
  std::optional<COLORREF> nClrFFoot, nClrBFoot;
  COLORREF nEClrFore = 0, nEClrBack = 0;
  int nCell = 1;
  bool lCellBrw = false;
  std::intptr_t hBmpBrw = 0;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 protected:
  // How the cell editor looks: the texts of a logical cell and of a memo's title; with
  // `half`, the get and the combo cover half the cell, on the row's colours, and a column
  // with bChange gets a "Lupa" button that runs it as a lookup.
  struct EditorLook {
    std::string yes = "Yes";
    std::string no = "No";
    std::string memo_title = "Editing: ";
    bool half = false;
  };
  EditorLook editor_look_;
  // The text colour of a lit cell.
  virtual COLORREF LitFore(int col) const { return nClrForeFocus; }
  // Whether a click that only moves the cell (not the row) runs bChange.
  virtual bool CellClickRunsChange() const { return false; }
  // A square "Lupa" button on an editor that runs a column's lookup (its bChange) for the
  // control as the control's '+' key would.
  static xb::Ref<TBitmap> LookupButton(const WindowRef& parent, int size, const xb::Value& change, TControl* control);

  bool IsArray() const { return cAlias == "ARRAY"; }
  bool IsDbfObject() const { return cAlias == "DBFOBJECT"; }
  bool Focused() const;
  HFONT FontHandle() const;
  int FixColPos();  // nColPos at least nFreeze + 1
  // nColPos moved right until the column `cell` (not a frozen one) ends inside the control;
  // true when it moved.
  bool ScrollToFit(int cell);
  // aColSizes made again from the columns' widths when it is not an array with a width for
  // every column (code may have replaced it), so the widths can be indexed by column.
  void SyncColSizes();
  int CellX(int col);  // the left edge of a column as painted
  void PaintCell(int row, const Span& span, const xb::Value& value, int align, COLORREF fore, COLORREF back,
                 int bitmap_mode);
  xb::Value ShownValue(TCColumn& column) const;  // text, or the image of a bitmap column
  void DrawFooters();
  void RunSeekChange();
  void SaveContext();
  void RestoreContext();
  void Tone();
  void MoveAfterEdit(int how);
  std::optional<std::pair<int, int>> BorderOf(int x);  // {column, right edge} under x

  HDC paint_dc_ = nullptr;  // the DC of the paint under way
  int line_start_ = 0, line_last_ = -1, line_col_ = 0, last_drag_x_ = 0;
  struct Context {
    std::uint32_t record = 0;
    std::string order;
  };
  std::optional<Context> context_;
};

// Registers TCBROWSE and the cell painter's functions by name.
void RegisterColumnBrowses();

}  // namespace ui
