// The report dialog (MngInformes, "TI_FOLDER_INFORME"): a report's own row in its pages
// "Datos iniciales", "Datos de impresión", "Presentación", "Establecer filtros" and, in the
// dictionary's debug mode, "Funciones de Filtro" (the initial-value functions); its orders,
// groups and conditions through their builders; saved by GuardaInforme. The dictionary is
// open (TDictQZ::AliasOf).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "reports/win/report_dialog_rows.h"
#include "runtime/value.h"
#include "ui/core/tdialog.h"

namespace reports {

// The values of a report's row the dialog edits.
struct InformeForm {
  std::string informe, categoria, subcat, descripc, tablamast, titulo, productos;
  bool maestro = false, directo = false;
  std::string cabecera, desde, hasta;
  int margen = 0, lineasr = 1;
  std::array<int, 4> fonts = {1, 1, 1, 1};  // FNT_TIT, FNT_LIN, FNT_SUB, FNT_TOT
  bool ljump = false, desglose = true;
};

// The row of report `code`; false when there is none.
bool LoadInforme(const std::string& code, InformeForm* form);

// GuardaInforme: code, category, master table and description required ("Debe rellenar los
// campos de la primera pestaña"), the category known, the subcategory one of the category's
// ("Subcategoria no válida"); an existing row rewritten under its lock, a new one appended
// (its code not taken) naming itself as INFMASTER and giving its creator full access; then
// the builders' changes and the initial-value functions written back. True when saved.
bool GuardaInforme(const InformeForm& form, bool edit, ReportCopies& copies);

// MngInformes: the dialog for a new report (in `category` and `subcat`) or for report `code`
// (empty: the current row of Informes). Without full access to it: "No dispone de acceso
// para modificar este informe.". True when the report was saved (the caller reloads its list
// or tree).
bool MngInformes(bool lEdit, const std::string& code = {}, const std::string& category = {},
                 const std::string& subcat = {});

// The report dialog open now (the innermost): what TINFORME's methods sent while it is open
// work on.
struct OpenInforme {
  ui::DialogRef dialog;
  ReportCopies* copies = nullptr;
  const std::vector<ReportColumn>* columns = nullptr;
  std::function<void()> show_says;       // the four summaries on their pages (FillSay)
  std::function<void()> show_iniciales;  // the initial-value functions' browse, when shown
  // GuardaInforme over what the pages hold, checked as OK checks it; a new report is edited
  // from then on. True when saved.
  std::function<bool()> save;
};
// nullptr when no report dialog is open.
OpenInforme* OpenReportDialog();

// While it lives, the next report dialog opened puts itself in `object`'s oDlg while it is
// open (a TINFORME object sending the message that opens it).
class InformeDialogOwner {
 public:
  explicit InformeDialogOwner(xb::Value object);
  ~InformeDialogOwner();
  InformeDialogOwner(const InformeDialogOwner&) = delete;
  InformeDialogOwner& operator=(const InformeDialogOwner&) = delete;
};

// TI_CNFCOLUMN: after the question, every column of the report gets the fonts in CnfColum.
// True when they were applied.
bool CnfColumn(const std::string& code, const std::array<int, 4>& fonts);

// DuplicateInforme's dialog (" Duplicar informe"): with full access to report `code` ("No
// dispone de acceso para duplicar este informe."), its copy under the new code and category
// typed. True when copied.
bool DuplicateInformeDialog(const std::string& code);

// RelInforme: for master report `code` ("Debe seleccionar un informe maestro para
// relacionar." otherwise), the reports offered (those whose products hold; every one in
// debug mode) and those following it, moved between the two lists (TI_INFREL); on OK the
// following ones name it as their master, the others again themselves (TI_RELINFORMES).
bool RelInforme(const std::string& code);

// Registers TI_CNFCOLUMN and TI_INFREL (aFrom, aTo, nAt: element nAt moved to the end of aTo).
void RegisterReportDialog();
void RegisterRelatedReports();

}  // namespace reports
