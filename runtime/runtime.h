// The xBase runtime: include this for everything.
//
//   value.h          Value (NIL, logical, number, string, memo, date, array, block,
//                    object, by-reference cell), Date, RefCell
//   array.h          Array, shared by reference
//   args.h           Args: a call's arguments (1-based, PCOUNT, @ references)
//   function_table.h public functions by upper-case name; typed registration xb::Def
//   block.h          Block: native and compiled code blocks
//   object.h         Class, Object, message sends, unknown-message hook
//   error.h          Error object, error block, Raise / RaiseSubstitute, BeginSequence, Break
//   proc_stack.h     procedure-name stack (PROCNAME), ProcScope
//   sets.h           SET values by number
//   setkey.h         key handlers (SETKEY)
//   memvar.h         PRIVATE / PUBLIC variables
//   workarea_host.h  what the table engine implements for fields and aliases
//   macro.h          the macro compiler, TYPE(), syntax check
//   operators.h      xBase operators on values
//   number.h         numeric literals, rounding, STR formatting
//   string_compare.h string comparison (SET EXACT, collation hook)
#pragma once

#include "runtime/args.h"
#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/date.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/number.h"
#include "runtime/object.h"
#include "runtime/operators.h"
#include "runtime/proc_stack.h"
#include "runtime/sets.h"
#include "runtime/setkey.h"
#include "runtime/string_compare.h"
#include "runtime/symbol.h"
#include "runtime/value.h"
#include "runtime/workarea_host.h"

namespace xb {

// Registers the runtime's own functions (VALTYPE, EVAL, LEN, TYPE, PCOUNT, SET,
// ERRORBLOCK, ERRORNEW, BREAK, PROCNAME ...) and the library modules linked in. Safe to
// call more than once.
void InitRuntime();

}  // namespace xb
