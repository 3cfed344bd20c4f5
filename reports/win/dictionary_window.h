// The dictionary's maintenance window (TDictQZ's ShowWindow): a maximised MDI frame with its
// message bar and the bar of 18 buttons, each opening a list of the dictionary in a
// TBrwDataQZ child, running a check, or closing; the import of tables and the deletions
// with their cascades and refusals.
#pragma once

#include <string>

#include "reports/tdictqz.h"
#include "ui/core/tmdiframe.h"

namespace reports {

class TBrwDataQZ;

// Installs TDictQZ's window hook and registers CABECERA, TI_SELECTRELACION and TI_EXPBUILDER.
void InstallDictionaryWindow();

// The open window and its lists (tests): nullptr when closed.
ui::TMdiFrame* DictionaryFrame();
TBrwDataQZ* DictionaryList(const std::string& title);
// The bar's buttons, in order: their tool tips.
std::vector<std::string> DictionaryBarTips();

// Runs a bar button by its tool tip (tests and the right-click menu).
void RunDictionaryButton(const std::string& tooltip);

// CabInformes: the document-header list in its dialog "TI_CABECERAS", its access that of
// `menu_option` when given, on the header `code` when there is one.
void CabInformes(const std::string& menu_option = {}, const std::string& code = {});

// The coded values of a field of the open dictionary (CampoRes), added, changed, deleted.
void EditCodedValues(const std::string& table, const std::string& field);

// The differences ActualTabla or ActualIndices found (each "file side | dictionary side") in
// the browse "Diferencias".
void ShowDiferencias(const std::vector<std::string>& lines);

// ImportTables over a folder: its tables listed in "TD_SELECCION_FICHEROS", the marked ones
// imported (DoImport) with a meter; the number imported. None there: its message.
int ImportTables(const std::string& folder);
// ImportTables over the folder the user chooses ("Seleccione directorio", from "C:\").
int ImportFolder();

// The expression builder " Constructor de expresiones" over the fields of `table`: the
// text as edited, or `expression` when cancelled.
std::string ExpBuilder(const std::string& table, const std::string& expression);
// The operators the builder's buttons append: {control, text, tool tip}.
struct BuilderOperator {
  int id;
  const char* text;
  const char* tooltip;
};
const std::vector<BuilderOperator>& BuilderOperators();

// TI_SELECTRELACION: " Seleccione campo de la relación" over the descriptions; the position
// chosen (1-based), 0 when cancelled.
int SelectRelacion(const std::vector<std::string>& descriptions);

}  // namespace reports
