// The column list of a report ("TI_COLUMNAS") and its dialogs: a new column from the
// master's fields, a related table's fields or the master's expressions
// ("TI_ANADIR_COLUMNA"), a column's edit ("TI_EDITAR_COLUMNA"), a calculated or accumulated
// column ("TI_COLUMNA_CALCULADA"), and the preview of the report's layout.
#pragma once

#include <functional>
#include <string>

namespace reports {

// Columnas: the report's column list (refused without full access, or for a report that
// follows another master). The report list and the report tree open it.
void Columnas(const std::string& cInforme);

// AddColumna: true when a column was added.
bool AddColumna(const std::string& cInforme);
// EditColumna: true when the column was saved.
bool EditColumna(const std::string& cInforme, int nIdCol);
// CalcColumna: true when a calculated or accumulated column was added.
bool CalcColumna(const std::string& cInforme);
// DoPreview on the preview; refused without an installed printer or without columns.
bool PreviewColumnas(const std::string& cInforme);

// Whether a printer is installed (tests may answer instead).
bool HayImpresora();
void SetPrinterCheck(std::function<bool()> check);

}  // namespace reports
