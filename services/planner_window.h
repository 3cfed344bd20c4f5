// The year planner: an MDI child listing the planners (PLANNWIN), and the planner dialog in
// which a year's days are given their concepts by clicking the calendar.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

#include "runtime/object.h"
#include "services/planner_year.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tget.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tdialog.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmdiframe.h"

namespace svc {

enum class PlannerMode { kAdd, kModify, kView };

// The calendar's geometry in the dialog's off-screen bitmap, in pixels.
inline constexpr int kPlannerCell = 16;
inline constexpr int kPlannerLabels = 34;  // the month names' column
inline constexpr int kPlannerHeader = 16;  // the day numbers' row

// The planner dialog open now (tests), or nullptr.
class PlannerDialog;
PlannerDialog* OpenPlannerDialog();

class PlannerDialog {
 public:
  PlannerDialog(PlannerMode mode, bool may_edit_concepts);
  ~PlannerDialog();
  PlannerDialog(const PlannerDialog&) = delete;
  PlannerDialog& operator=(const PlannerDialog&) = delete;

  // Runs the dialog; true when the planner was saved.
  bool Run();

  // A click on the calendar at a point of the dialog's client area (Shift: a range).
  void Click(int x, int y, bool shift);
  // The dialog's client point at the middle of a day's cell.
  POINT CellCentre(int month, int day) const;
  // The pixel at the middle of a day's cell as drawn in the off-screen bitmap.
  COLORREF CellColour(int month, int day) const;
  // The concept the list has selected.
  char SelectedConcept() const;
  const planner::Months& months() const { return months_; }
  int year() const { return year_; }
  bool range_pending() const { return range_pending_; }
  HWND hwnd() const { return dialog_ ? dialog_->hWnd : nullptr; }

 private:
  void MakeControls();
  void Init();
  bool Save();
  void LoadYear(int year);
  void Draw();
  void DrawCell(HDC dc, int month, int day, bool blink_white) const;
  void Repaint();
  void Paint(HDC dc);
  void Blink();
  void StopRange();
  void EditConcept();
  void ShowKeys();
  COLORREF ColourOf(char key) const;
  bool CellAt(int x, int y, int* month, int* day) const;

  PlannerMode mode_;
  bool may_edit_concepts_;
  ui::DialogRef dialog_;
  xb::Ref<ui::TWBrowse> browse_;
  xb::Ref<ui::TGet> title_get_, year_get_;
  ui::SetGet title_value_, year_value_;
  RECT frame_{};  // the calendar's place in the dialog's client area
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  planner::Months months_;
  int year_ = 0;
  std::uint32_t record_ = 0;
  bool range_pending_ = false;
  int range_month_ = 0, range_day_ = 0;
  bool blink_white_ = false;
  xb::ObjectRef blink_timer_;
  bool saved_ = false;
  std::map<char, COLORREF> colours_;  // the concepts' colours as last drawn
};

// PLANNWIN: the planner window (once per run; the option "PlannWin" must pass LCHKMENU);
// the tables are made first when missing. The window open now, or nullptr.
void PlannWin();
ui::TMdiChild* PlannerWindow();
// Its list of planners (nullptr without the window).
ui::TWBrowse* PlannerBrowse();

// Registers PLANNWIN.
void RegisterPlannerWindowFunctions();

}  // namespace svc
