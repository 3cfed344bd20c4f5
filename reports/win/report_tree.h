// The report generator's trees: the reports by category and subcategory (ActivateArbol, its
// actions in DoInforme), the graphics by category (ArbolGraficos, DoGrafico) and the
// delivered reports the supervisor restores from (RestauraInf's tree). Each is the dialog
// "TI_ARBOL_TREEVIEW" with a bar of buttons answering their letters and the right button.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace reports {

// The report dialog and the column list belong to other parts of the generator: they plug
// in here when they exist; a missing one makes its button do nothing. A function registered
// by name (MNGINFORMES(lEdit, cInforme), COLUMNAS(cInforme)) stands in for an unset hook.
struct ReportTreeHook {
  // MngInformes: the report dialog over `code` (a new report when !edit); true when saved.
  std::function<bool(bool edit, const std::string& code)> mng_informes;
  // Columnas: the column list of `code`.
  std::function<void(const std::string& code)> columnas;
  // The dialog " Duplicar informe": the new code and category; false when cancelled.
  std::function<bool(const std::string& code, std::string& new_code, std::string& category)> duplicar;
};
void SetReportTreeHook(ReportTreeHook hook);
const ReportTreeHook& CurrentReportTreeHook();

// The tree's actions on a report.
enum class InformeAction { kAdd = 1, kModify, kDelete, kColumns, kRun, kDuplicate };
// What "(A)ñadir" adds: its pop-up's choices.
enum class AddChoice { kInforme = 1, kSubCategoria, kCategoria };

// ActivateArbol: the report tree (the dictionary opened for it when closed); false when it
// could not be shown (no categories: said).
bool ActivateArbol();
// DoInforme: an action on the report `code` ("" for none); adding without a choice asks it
// in a pop-up. True when the definitions changed (the tree reloads).
bool DoInforme(InformeAction action, const std::string& code, AddChoice choice = {});

// ArbolGraficos: the graphics tree; DoGrafico runs the graphic `code` (its FUNCION evaluated
// as an expression); false when there is no such graphic.
bool ArbolGraficos();
bool DoGrafico(const std::string& code);
// TI_LGRAFICOFROMDICT: true while a graphic runs from the graphics tree.
bool lGraficoFromDict();

// RestauraInf with its tree "Restauración" of the delivered reports, each restored by
// "Restaura informe original"; false when refused.
bool RestauraInfTree();

// The buttons of the tree open now (tests): their tool tips and whether each is enabled.
struct TreeButtonState {
  std::string tooltip;
  bool enabled;
};
std::vector<TreeButtonState> OpenTreeButtons();

// Makes INFORMES with lList false open the report tree and INFGRAFICOS the graphics tree;
// registers TI_LGRAFICOFROMDICT.
void InstallReportTree();

}  // namespace reports
