// The report generator's trees: the reports by category and subcategory (ActivateArbol, its
// actions in DoInforme), the graphics by category (ArbolGraficos, DoGrafico) and the
// delivered reports the supervisor restores from (RestauraInf's tree). Each is the dialog
// "TI_ARBOL_TREEVIEW" with a bar of buttons answering their letters and the right button.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui {
class TWindow;
}

namespace reports {

// What the tree's actions open: the report dialog (MngInformes), the column list (Columnas)
// and the duplicate dialog; InstallReportTree sets them, tests may put others instead.
struct ReportTreeHook {
  // The report dialog over `code` (a new one in `category` and `subcat` when !edit); true
  // when saved.
  std::function<bool(bool edit, const std::string& code, const std::string& category, const std::string& subcat)>
      mng_informes;
  std::function<void(const std::string& code)> columnas;
  // " Duplicar informe" (access, new code and category, the copy); true when copied.
  std::function<bool(const std::string& code)> duplicar;
};
void SetReportTreeHook(ReportTreeHook hook);
const ReportTreeHook& CurrentReportTreeHook();

// The tree's actions on a report.
enum class InformeAction { kAdd = 1, kModify, kDelete, kColumns, kRun, kDuplicate };
// What "(A)ñadir" adds: its pop-up's choices.
enum class AddChoice { kInforme = 1, kSubCategoria, kCategoria };

// ActivateArbol: the report tree (the dictionary opened for it when closed); false when it
// could not be shown (no categories: said).
bool ActivateArbol(const std::string& folder = {});
// DoInforme: an action on the report `code` ("" for none); adding without a choice asks it
// in a pop-up. True when the definitions changed (the tree reloads).
bool DoInforme(InformeAction action, const std::string& code, AddChoice choice = {});

// ArbolGraficos: the graphics tree; DoGrafico runs the graphic `code` (its FUNCION evaluated
// as an expression); false when there is no such graphic.
bool ArbolGraficos(const std::string& folder = {});
bool DoGrafico(const std::string& code);
// TI_LGRAFICOFROMDICT: true while a graphic runs from the graphics tree.
bool lGraficoFromDict();

// ConstruyeArbol: the tree open now (the innermost) laid out again from its tables under
// "Construyendo árbol, espere por favor...", the leaf `select` chosen; false when none is open.
bool ConstruyeArbol(const std::string& select = {});

// RestauraInf with its tree "Restauración" of the delivered reports, each restored by
// "Restaura informe original"; false when refused.
bool RestauraInfTree();

// The buttons of the tree open now (tests): their tool tips and whether each is enabled.
struct TreeButtonState {
  std::string tooltip;
  bool enabled;
};
std::vector<TreeButtonState> OpenTreeButtons();
// A character typed to the tree open now, as its key handler takes it: true when a button ran.
bool OpenTreeKey(int key);
// Closes the tree open now (the innermost), as its "(S)alir" does; false when none is open.
bool EndOpenTree();
// The dialog of the tree open now (the innermost); nullptr when none is open.
ui::TWindow* OpenTreeDialog();

// Makes INFORMES with lList false open the report tree and INFGRAFICOS the graphics tree,
// sets the hook to the report dialog, the column list and the duplicate dialog, and
// registers TI_LGRAFICOFROMDICT.
void InstallReportTree();

}  // namespace reports
