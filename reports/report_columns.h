// The columns of a report definition as its column list changes them: a master field, a
// field of a related table (with its search chain in Recol) or an expression element
// becomes a new Columnas row; calculated and accumulated columns are formulas over other
// columns; a column is edited, deleted (unless something still uses it) or moved along its
// printed line. The dictionary is open (TDictQZ::AliasOf); refusals are said through the
// data layer's messages, questions go to MSGYESNO and TI_SELECTRELACION.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/report_device.h"
#include "reports/report_run.h"

namespace reports {

// A Columnas row as the list shows and the edit dialog changes it.
struct ColumnaRow : ColumnDef {
  std::string cVisible;
};

// The report's columns in IDCOL order.
std::vector<ColumnaRow> ReadColumnas(std::string_view code);

// Whether the column list may change the report's columns: full access, and a report that
// follows no other master report. A refusal is said.
bool lColumnasEditables(std::string_view code);

// The master table of a report ("" when there is no such report).
std::string MasterOf(std::string_view code);
// The printed lines of one record of the report (LINEASR, at least 1).
int LineasRegistro(std::string_view code);

// lCheckRelacion: `table` is the master or is reached from it through the relations.
bool lCheckRelacion(std::string_view master, std::string_view table);

// A field of the dictionary offered as a column.
struct CampoOfrecido {
  std::string field, description, type;
};
// The fields of a table in their order (not those marked invisible).
std::vector<CampoOfrecido> CamposDe(std::string_view table);
// The visible tables of the dictionary, the master first.
std::vector<std::string> TablasOfrecidas(std::string_view master);

// CargaExpresiones: the expression elements available on a master table (ExprCol rows of
// the expressions of that table), each with its expression code and parameter number.
struct ExpresionOfrecida {
  std::string code, description;
  int parametro = 0;
};
std::vector<ExpresionOfrecida> CargaExpresiones(std::string_view master);

// AddColumna of a field: the new IDCOL, or 0 when refused (said) or when no relation path
// was chosen. A field of another table takes the relation path the user chooses
// (TI_SELECTRELACION when there are several).
int AddColumnaCampo(std::string_view code, std::string_view table, std::string_view field);
// AddColumna of an expression element (kind 3, 6 or 9): the new IDCOL, or 0.
int AddColumnaExpresion(std::string_view code, std::string_view expression, int parametro);

// EditColumna's save: title, width, decimals, alignment, total, mask, line and start.
bool GuardaColumna(std::string_view code, const ColumnaRow& column);
// The kind as EditColumna shows it.
std::string ClaseColumna(int kind);

// DelColumna: refused while a graphic, a calculated or accumulated column, or a condition,
// order or group uses the column; asks first. True when deleted (with its Recol and
// CnfColum rows).
bool DelColumna(std::string_view code, int idcol);

// UpColumn / DownColumn: the column exchanges its start with the previous (next) printed
// column of its line, which then follows it after one blank. False at the line's end.
bool UpColumn(std::string_view code, int idcol);
bool DownColumn(std::string_view code, int idcol);

// CalcColumna's condition: the report has numeric (or hours) or expression columns.
bool lPuedeCalcular(std::string_view code);
// CalcExpresion's check: every "Colum" operand is a column of the report and the formula,
// with numbers for them, compiles to a number.
bool lCheckFormula(std::string_view code, std::string_view formula);
// CalcExpresion: lCheckFormula, its answer told ("Expresión correcta" / "Expresión
// incorrecta").
bool CalcExpresion(std::string_view code, std::string_view formula);
// TI_TIPOHORAS: when an operand is an hours column, asks whether the result prints as
// hours; "H" when yes, else `type`.
std::string TipoHoras(std::string_view formula, const std::vector<ColumnaRow>& columns, std::string_view type);
// A calculated (kind 4) or accumulated (kind 5) column titled " Columna " + its number;
// the new IDCOL, 0 when the formula is wrong (said).
int AddColumnaCalculada(std::string_view code, std::string_view formula, bool acumulada);

// DoPreview: the report's layout on `device`: its title or designed header, its printed
// columns with their titles and no data, its fonts. False without columns (said).
bool DoPreview(std::string_view code, ReportDevice& device);

// Registers TI_TIPOHORAS.
void RegisterReportColumns();

}  // namespace reports
