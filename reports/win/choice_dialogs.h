// The report generator's choice dialogs, from the resource library:
//   "TI_DbChoice" a row of a table to choose (TI_UDBLFINBIN): browse 110 of the descriptions
//         ("Descripción"), 550 (the default button, or a double click) chooses, 551 cancels;
//   "TD_SELECCION_FUNCION" a function of the expression builder (TI_UFUNCION): browse 110 of
//         "Nombre", "Descripción", "Tipo", 550 chooses, 551 cancels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reports/table_search.h"
#include "runtime/value.h"

namespace reports {

// The "TI_DbChoice" dialog over the rows: the position chosen.
std::optional<std::size_t> ShowChoice(const std::string& title, const std::vector<ChoiceRow>& rows,
                                      const xb::Value& owner = {});

// TI_UFUNCION: the name of the function chosen among those of the result type (all of them
// for an empty type), NIL when none was.
xb::Value uFuncion(std::string_view type);

// Makes ShowChoice the choice of the code searches; registers TI_UFUNCION.
void RegisterChoiceDialogs();

}  // namespace reports
