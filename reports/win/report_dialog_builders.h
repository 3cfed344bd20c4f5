// The report dialog's builders: the list of one type's conditions, groups or stop conditions
// (" Constructor de expresiones", "TI_CONDICIONES"), one condition (MngCondicion), the orders
// (" Ordenar informe por ...", "TI_ORDEN"), one group (" Agrupar cuando cambie...",
// "TI_GRUPOS"), and the initial-value functions (" Mantenimiento de funciones iniciales").
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "reports/win/report_dialog_rows.h"
#include "ui/core/tdialog.h"

namespace reports {

// FilterBuilder: the rows of `type` ("B" groups, "C" conditions, "D" stop conditions) with
// add, modify, delete and clear; on OK the type is marked changed, on cancel its rows are put
// back as they were. True when accepted.
bool FilterBuilder(ReportCopies& copies, const std::string& type, const std::vector<ReportColumn>& columns);

// MngCondicion: a condition's column, operator, value by the column's type and link; fills
// `row` (its table, field, type and work field from the column). True when accepted.
bool MngCondicion(ConditionRow& row, const std::vector<ReportColumn>& columns, bool add);

// A condition's value as stored from what was typed for a type: "C" the text, "N" the number,
// "D"/"F" the date "dd-mm-yyyy", "H" "hh:mm" as minutes; false (and said) when it is not one.
bool ConditionValue(const std::string& type, const std::string& typed, std::string* stored);

// OrderBuilder: the order columns in a row of combo boxes; on OK the orders are replaced.
bool OrderBuilder(ReportCopies& copies, const std::vector<ReportColumn>& columns);
// One group: its columns, heading and footing captions, printed columns and their lines.
bool GroupBuilder(ConditionRow& row, const std::vector<ReportColumn>& columns);

// InitOrder: the columns (0-based in `columns`, -1 for none) chosen in each of `boxes` combos
// by the rows. GenOrder: rows of `type` from the choices (up to the first none).
std::vector<int> InitOrder(const std::vector<ConditionRow>& rows, const std::vector<ReportColumn>& columns, int boxes);
std::vector<ConditionRow> GenOrder(const std::string& type, const std::vector<int>& chosen,
                                   const std::vector<ReportColumn>& columns);

// Clearing a type's rows after "¿ Desea borrar todas las condiciones ?" ("agrupaciones ?" for
// groups). True when cleared.
bool ClearCondiciones(ReportCopies& copies, const std::string& type);

// Iniciales: the initial-value functions page (browse and add, modify, delete buttons of
// `page`); answers what shows the copy's functions on it again. MngInicial: one function.
std::function<void()> Iniciales(const ui::DialogRef& page, ReportCopies& copies);
bool MngInicial(InicialRow& row);

}  // namespace reports
