// TQZBrowse: the system's own column browse. On top of TCBrowse: compact rows (nHLine 0),
// the columns' bWhen asked before a cell is edited, bKeyChar for every key but Enter, the
// cell editor over half the cell with a "Lupa" button for a column's lookup (bChange), the
// Spanish texts, white text in the last frozen column of the selected row, and the row
// editor lEditLine.
#pragma once

#include "ui/controls/tcbrowse.h"

namespace ui {

class TQZBrowse : public TCBrowse {
 public:
  TQZBrowse();
  explicit TQZBrowse(const xb::Class& cls);
  static const xb::Class& Cls();

  TQZBrowse& New(const NewParams& params, bool cell_brw = false);
  TQZBrowse& ReDefine(int id, const RedefineParams& params, bool cell_brw = false);

  void EditCell(int col) override;
  // The row editor: a borderless pop-up over the selected row; make_controls1 and
  // make_controls2 run with (dialog, aGets, browse) and put one control per column into
  // aGets; "&A" accepts when every editable control's valid block and then `valid` pass
  // (else the failing control takes the focus); `end` is the dialog's valid block. Escape
  // cancels. True when accepted.
  bool lEditLine(xb::Array gets, const xb::Value& make_controls1, const xb::Value& make_controls2,
                 const xb::Value& valid, const xb::Value& end);

  // In cell mode the cell never goes left of the first column after the frozen ones; both
  // end with the cell lit, the row drawn and bChange.
  void GoLeft() override;
  void GoRight() override;

  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer LDblClick(int row, int col, WPARAM keys) override;

 protected:
  COLORREF LitFore(int col) const override;
  bool CellClickRunsChange() const override { return true; }

 private:
  bool Editable(int col);
  bool from_enter_ = false;
};

// Registers TQZBROWSE.
void RegisterQZBrowse();

}  // namespace ui
