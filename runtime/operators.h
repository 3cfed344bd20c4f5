// xBase operators on values, as compiled code applies them; C++ code that must combine
// values exactly as xBase does (report totals, key building) calls the same functions.
// An operand of the wrong type raises the operator's "Argument error" (BASE/1081 for +,
// 1082 -, 1083 *, 1084 /, 1085 %, 1088 ^, 1080 unary -, 1071 =, 1072 <>, 1073 <,
// 1074 <=, 1075 >, 1076 >=, 1070 ==, 1109 $, 1078 .AND., 1079 .OR., 1077 .NOT.) with both
// operands as arguments; a zero divisor raises BASE/1340 (/) or 1341 (%). The error
// block's substitute value is the result.
//
// Result numbers follow xBase: integer + - * of integers stay integers (double on
// overflow); a double result keeps the larger decimals for + -, the sum for *, and SET
// DECIMALS for / % ^; dates +/- numbers give dates and date - date a number.
#pragma once

#include <cstddef>

#include "runtime/value.h"

namespace xb {

Value OpPlus(const Value& a, const Value& b);
Value OpMinus(const Value& a, const Value& b);
Value OpMult(const Value& a, const Value& b);
Value OpDivide(const Value& a, const Value& b);
Value OpModulus(const Value& a, const Value& b);
Value OpPower(const Value& a, const Value& b);
Value OpNegate(const Value& a);

// Comparisons give a logical value (or the substitute of an error).
Value OpEqual(const Value& a, const Value& b);         // =  (SET EXACT)
Value OpExactEqual(const Value& a, const Value& b);    // ==
Value OpNotEqual(const Value& a, const Value& b);      // != <> #
Value OpLess(const Value& a, const Value& b);
Value OpLessEqual(const Value& a, const Value& b);
Value OpGreater(const Value& a, const Value& b);
Value OpGreaterEqual(const Value& a, const Value& b);
Value OpContains(const Value& a, const Value& b);      // a $ b

// Strings longer than this are refused with BASE/1209 "String overflow" by + and -
// (default 256 MB). Returns the previous limit.
std::size_t SetMaxStringLength(std::size_t bytes);
std::size_t MaxStringLength();

// xBase truth of a condition: a logical's value; anything else raises BASE/<subcode>
// "Argument error" (operation op) and the substitute decides (a non-logical is false).
bool ToCondition(const Value& v, int subcode, const char* op);

}  // namespace xb
