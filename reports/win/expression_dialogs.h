// The dialogs of the dictionary's named expressions: the expression (" Mantenimiento de
// expresiones") with its parameters edited in a working copy that is saved with it, one
// parameter (" Columnas de la expresión"), the copy under another code (" Duplicar
// expresión") and the deletion that takes the parameters with the expression.
#pragma once

#include <string>

#include "reports/expression_rows.h"

namespace reports {

// The expression dialog over the current row of the open dictionary's Expresio (a new
// expression when `add`); true when saved.
bool MngExpresiones(bool add);
// One parameter's dialog over `param`; true when accepted.
bool ExprColumnas(ExprParam& param, bool add);
// The parameter `parametro` of the current expression (a new one, numbered next, when
// `add`) edited in its dialog and saved with the expression's others; true when saved.
bool ExprColumnas(int parametro, bool add);
// The current expression copied under the code the user gives; true when copied.
bool DupExpresion();
// The current expression deleted with its parameters, after the usual question.
void DelExpresion();

// The function of an expression checked over its described table `table`, opened where it
// lives (not checked when it cannot be); the verdict is told.
ExpressionCheck CheckOnTable(const std::string& table, const std::string& function);

// The names the parameter dialog offers for the types C, N, L, D, H.
std::string TypeName(const std::string& code);

}  // namespace reports
