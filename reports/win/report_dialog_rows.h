// What the report dialog edits besides the report's own row: the report's columns as its
// builders offer them, and working copies of its orders, groups, conditions and stop
// conditions (Condicio) and of its initial-value functions (Inicial) in temporary tables,
// written back when the report is saved, beside a copy of the visible tables its master is
// chosen from. The texts the pages show of them (GenLine, FillSay).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/temporary_tables.h"
#include "reports/table_search.h"

namespace reports {

// A column of the report, as the builders offer it.
struct ReportColumn {
  int id = 0;
  int kind = 0;             // TIPOCOL
  std::string field;        // CAMPO, the work field ("Colum" + number)
  std::string source;       // CAMPOREL
  std::string table;        // where the value comes from
  std::string description;
  std::string type;         // TIPO
  int width = 0;
  int decimals = 0;
  bool printed = true;
};

// ColInforme: the columns of report `code` in IDCOL order; `master` is the table of the
// master's and the expressions' columns.
std::vector<ReportColumn> ColInforme(const std::string& code, const std::string& master);
// The column of a work field (nullptr when none).
const ReportColumn* ColumnOf(const std::vector<ReportColumn>& columns, const std::string& field);

// A row of the conditions copy.
struct ConditionRow {
  std::uint32_t recno = 0;  // in the copy; 0 for a new row
  std::string tipo, orden;
  int enlace = 1;
  std::string tabla, campo;
  int operador = 0;
  std::string valor, fldtipo, textotit, textopie, columna, imprime;
};

struct InicialRow {
  std::uint32_t recno = 0;
  int orden = 0;
  std::string funcion, descripc;
};

// The working copies, tagged "Indice1" ("Tipo + Orden"), "Indice2" ("Orden") and "Indice3"
// ("Funcion"); the visible tables' copy "Indice4" ("Upper( Tabla )") and "Descrip". Rows are
// read in the copies' order.
class ReportCopies {
 public:
  ReportCopies() = default;
  ~ReportCopies();
  ReportCopies(const ReportCopies&) = delete;
  ReportCopies& operator=(const ReportCopies&) = delete;

  // The temporary tables made, the rows of report `code` (none for a new report) and the
  // visible tables copied.
  bool Open(const std::string& code);
  // Closed and erased.
  void Close();

  std::vector<ConditionRow> Rows(const std::string& type) const;
  // GuardaCondicion: a new row takes the next letter of its type, document "I", and the
  // type's previous row a link of 2 when its link was below 2; a row with a record is
  // rewritten.
  void Save(ConditionRow row);
  void Delete(std::uint32_t recno);
  void Clear(const std::string& type);
  // The rows of a type replaced by these: with new letters from "A", or as they are.
  void Replace(const std::string& type, std::vector<ConditionRow> rows, bool as_they_are = false);

  // "Búsqueda de tablas maestras": the visible tables by description.
  ChoiceQuery MasterTables() const;
  // The description of a visible table (none for another).
  std::optional<std::string> MasterDescription(const std::string& table) const;

  std::vector<InicialRow> Iniciales() const;
  void SaveInicial(const InicialRow& row);
  void DeleteInicial(std::uint32_t recno);

  // Written back under `code`: each condition type marked changed, and the initial-value
  // functions when changed (TI_ACTDBF). False when a table refused.
  bool WriteBack(const std::string& code);

  // Types "A" to "D" whose builder changed them, and the initial-value functions.
  bool changed[4] = {false, false, false, false};
  bool ini_changed = false;
  std::string cond_alias, ini_alias, tablas_alias;

 private:
  xb::Ref<data::TTemporal> tmp_;
};

// The next order letter after the rows' highest ("A" for none).
std::string NextOrden(const std::vector<ConditionRow>& rows);
// GenLine: "El contenido de la columna " + description + " sea"/" esté" + operator + value +
// link.
std::string GenLine(const ConditionRow& row, const std::vector<ReportColumn>& columns);
// FillSay: the summary of a type's rows: "Ordenar por " ... " y además " ... for orders,
// "Agrupar cuando cambie " ... " más " ... a group, GenLine a condition; one line a row.
std::string FillSay(const std::string& type, const std::vector<ConditionRow>& rows,
                    const std::vector<ReportColumn>& columns);

// Operator names (TI_AOPERA's first list) and link names (TI_ALOGICO's), 1-based.
const std::vector<std::string>& OperatorNames();
const std::vector<std::string>& LinkNames();

}  // namespace reports
