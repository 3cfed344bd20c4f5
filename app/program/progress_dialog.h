// INDEXALL: the modal progress dialog "INDEXBAR" of the organisation. Five check boxes choose
// what is organised (auxiliary tables, master files, documents, accumulators, customer risk),
// 155 meters fill as the catalogue's table groups are done, label 91 names the group under
// way; "Comenzar" (552) runs the loop over the marked companies (LORGEMPR) and closes the
// dialog at its end, "Salir" (553) closes it before.
//
// While the organisation runs the dialog refuses to close, the cursor is the hourglass over
// it, and the check boxes and buttons are disabled. A table that does not open shows its
// message and leaves its line in the error table (ReportingEvents).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/org/company_loop.h"
#include "app/org/index_catalogue.h"
#include "app/org/index_data.h"
#include "app/org/reporting_events.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tcheckbox.h"
#include "ui/controls/tmeter_group.h"
#include "ui/controls/tsay.h"
#include "ui/core/tdialog.h"

namespace app {

class ProgressDialog final : public ReportingEvents, public CompanyLoopView {
 public:
  // `browse`: the company browse, refreshed as companies are blocked and freed (may be null).
  explicit ProgressDialog(ui::WindowRef browse = {});
  ~ProgressDialog() override;
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  // Opens the dialog over the main window and returns when it has closed. `start_at_once`:
  // the organisation starts by itself once the dialog shows (parameter mode), as if the
  // start button had been pressed.
  void Run(bool start_at_once);
  // LORGEMPR: the start button's action. Organises the marked companies, then closes the
  // dialog. Runs once.
  void Start();

  bool running() const { return running_; }
  OrganiseOptions Options() const;
  // A meter's value (1 to 155).
  int MeterValue(int meter) const;
  const ui::DialogRef& dialog() const { return dialog_; }

  // The progress dialog that is open; nullptr when none is.
  static ProgressDialog* Current();

  // ---- OrganiserEvents -------------------------------------------------------------------
  void Title(std::string_view title) override;
  void Meter(int meter, int value) override;
  void Pump() override;
  void TableFailed(const TableFailure& failure) override;
  void Skipped(std::string_view what, std::string_view why) override;
  void Noted(std::string_view text) override;

  // ---- CompanyLoopView -------------------------------------------------------------------
  void CompanyStarting(std::string_view code) override;
  void CompanyFinished(std::string_view code) override;

 private:
  void Build();
  void PumpNow();
  void InvalidateChangedMeters();
  void RefreshBrowse();

  ui::WindowRef browse_;
  ui::DialogRef dialog_;
  std::array<ui::SetGet, 5> options_;
  std::array<ui::SetGet, kMeterCount> values_;
  std::array<bool, kMeterCount> changed_{};  // to be invalidated by the next pump
  bool any_changed_ = false;
  bool meters_held_ = false;                 // back to zero after a company: painted as the next starts
  std::string title_;                        // label 91's text
  xb::Ref<ui::TMeterGroup> meters_;
  std::vector<xb::Ref<ui::TCheckBox>> checks_;
  std::array<xb::Ref<ui::TSay>, 3> labels_;  // 100, 91, 92
  xb::Ref<ui::TButton> start_, close_;
  DWORD last_pump_ = 0;
  bool running_ = false;
  bool started_ = false;
  ProgressDialog* previous_ = nullptr;
};

// INDEXALL on the company browse: the dialog, started by itself in parameter mode.
void IndexAll(const ui::WindowRef& browse);

// INDEXDATA's indexer: the last table indexed stays open for the next tag of the same
// table, until another table's tag, an organisation or CloseIndexDataTable closes it. Its
// failures are told through the progress dialog when one is open.
CatalogueIndexer& IndexDataIndexer();
void CloseIndexDataTable();

// CHECKSDISABLE: disables each control and repaints it.
void ChecksDisable(const std::vector<ui::WindowRef>& controls);

}  // namespace app
