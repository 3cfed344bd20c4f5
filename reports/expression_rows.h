// The dictionary's named expressions (Expresio and its parameters in ExprCol): saved with
// their functions checked to compile, checked by running them with errors trapped, and
// duplicated under another code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"

namespace reports {

// The function name of a function text: what comes before its "(", trimmed.
std::string FunctionName(std::string_view text);

// GuardaExpresion: the row of `values` (Expresio's fields in order) added or the current one
// changed. EXPRESION, FUNDATOS and FUNCOLUMNA keep only their function names, and each given
// one must compile as "{ | cAlias, aArray1, aArray2, aParams | " + name + "( cAlias, aArray1,
// aArray2, aParams ) }" (nothing runs): "Expresión incorrecta" otherwise. A code taken is
// "Nombre duplicado".
bool GuardaExpresion(std::string_view alias, bool add, xb::Array values);

enum class ExpressionCheck { kCorrect, kIncorrect, kNotChecked };
// CheckExpresion: the expression's function run over the table open under `table_alias`
// (empty: not checked), errors trapped; the verdict is told unless `quiet`.
ExpressionCheck CheckExpresion(std::string_view table_alias, std::string_view function, bool quiet = false);

// DupExpresiones: the expression `code` (its Expresio row and ExprCol rows) copied under
// `new_code`. An expression without parameters is refused ("Esta expresión no tiene ninguna
// columna.\n\rImposible duplicar"), a code taken too. True when copied.
bool DupExpresiones(std::string_view expresio, std::string_view exprcol, std::string_view code,
                    std::string_view new_code);

// One parameter of an expression: an ExprCol row.
struct ExprParam {
  int parametro = 0;
  std::string tipo = "C";  // C, N, L, D or H
  int longitud = 0;
  int decimal = 0;
  std::string mascara, descripc, campo;
  int anchomax = 0;
  std::string divisa;
  std::string visible = "S";
};

// The parameters of the expression `code`, by number.
std::vector<ExprParam> ReadExprColumnas(std::string_view exprcol, std::string_view code);
// The parameters of `code` replaced by `params` (none: all deleted). False when a row could
// not be locked or added.
bool SaveExprColumnas(std::string_view exprcol, std::string_view code, const std::vector<ExprParam>& params);
// A parameter made consistent with its type: decimals only for numbers, dates 8 wide, logicals 1.
void FitParamToType(ExprParam& param);
// The number for a new parameter: one after the highest.
int NextParametro(const std::vector<ExprParam>& params);

// Registers TI_GUARDAEXPRESION, TI_CHECKEXPRESION and TI_DUPEXPRESION.
void RegisterExpressionRows();

}  // namespace reports
