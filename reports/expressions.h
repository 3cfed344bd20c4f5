// Expressions of report definitions held as text: compiled into blocks, evaluated a line at a
// time, checked on a table, searched for the columns they use; and paths made relative to
// the program's file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/block.h"
#include "runtime/value.h"

namespace reports {

// TI_GENBLOCK: the block of an expression; an empty one gives ''; one that does not compile
// ("UE") gives the alert "Expression error: " + text and a block giving "".
xb::Block GenBlock(std::string_view expression);
// TI_TXTTOARRAY: each line of a memo text compiled and evaluated; a blank line gives NIL.
std::vector<xb::Value> TxtToArray(std::string_view text);
// TI_LCHECKEXPRESION: each piece of the expression between "/" must have a type on the
// alias's table (neither undefined nor a call TYPE() does not run nor an error); with
// `tell` the user hears the verdict.
bool lCheckExpresion(std::string_view alias, std::string_view expression, bool tell = false);
// TI_LDELETE: false when the column ("Colum" + its digits) is an operand of the formula; a
// column name counts only with its whole run of digits ("Colum1" is not in "Colum12").
bool lDelete(std::string_view formula, std::string_view column);
// The "Colum" operands of a formula ("COLUM" + digits, upper case), in order, each once.
std::vector<std::string> ColumnOperands(std::string_view formula);
// TI_CRUTARELATIVA: `file` relative to the folder of `from` (default the program's file),
// "..\" per level up. Both must be on one drive letter; otherwise a stop box and "".
std::string cRutaRelativa(std::string_view file, std::string_view from = {});

// Registers TI_GENBLOCK, TI_TXTTOARRAY, TI_LCHECKEXPRESION, TI_LDELETE and TI_CRUTARELATIVA.
void RegisterExpressions();

}  // namespace reports
