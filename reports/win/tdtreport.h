// TDTReport: the report generator's simple report, the framework's TReport made on the
// printer, the preview or a text file (never HTML), run under the progress dialog
// "PRINT_PROC" or "PREVIEW_PROC" titled with its document name, with the page number and a
// cancel button; the preview follows a screen run. TBrwDataQZ:BrwReport and the direct
// listings print through it.
#pragma once

#include <string>
#include <vector>

#include "output/treport.h"

namespace reports {

class TDTReport : public output::TReport {
 public:
  TDTReport();
  static const xb::Class& Cls();

  // New: TReport's 16 arguments; the document is "Listado QZ" unless given.
  void Init(const NewParams& params) override;
  void StartPage() override;

  // oDlg: the progress dialog while the report runs.
  xb::ObjectRef oDlg() const { return oRptWnd; }
};

// The rows of a browse printed by a TDTReport: `title`, then "Fecha: " date ", Hora: " time,
// one column a browse column (its width the column's size in characters) and "Página: "
// with the page number below. `file`, when given, is a text file instead of the printer.
// False when the run was cancelled (or could not be made).
bool PrintBrowseRows(const std::string& title, const std::vector<std::string>& titles, const std::vector<int>& widths,
                     const std::vector<std::vector<std::string>>& rows, bool preview, const std::string& file = {});

// Registers TDTREPORT and TI_REPORT (oBrw): every field of the browse's table printed under
// "Report: " + its alias.
void RegisterTDTReport();

}  // namespace reports
