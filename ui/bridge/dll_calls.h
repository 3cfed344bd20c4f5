// Calls into libraries by descriptor: GETPROCADDRESS resolves an entry and describes its
// parameters in a binary string, CALLDLL calls the entry through that string.
//
// Descriptor layout (7 + n bytes):
//   0-3  1-based index into the process's table of resolved entries (0: not found);
//        CALLDLL calls only addresses in that table, so a forged string calls nothing
//   4    calling convention (1: callee cleans); x86_64 has one convention, so it is kept
//        only for the layout
//   5    result type
//   6    n, the number of parameters (at most 17)
//   7..  one type byte per parameter
//
// Types, as parameters (one 64-bit slot each) and results:
//   1, 2      16-bit integer (sign-extended)        | signed 16 bits
//   3, 4      the whole 64-bit value                | signed 32 bits
//   5         1 or 0                                | logical
//   6         the whole 64-bit value                | NIL
//   7, 10, 12 the whole 64-bit value; by reference  | 7 signed 32, 12 unsigned 32,
//             an 8-byte cell, stored back as 7:       10 all 64 bits
//             low 32 signed, 12: low 32 unsigned,
//             10: all 64 bits
//   8, 9      a NUL-ended copy of the text; by      | a copy of the returned text ("" for
//             reference a zero-filled buffer of       a null pointer)
//             max(length + 1, 4096) bytes copied
//             back at the variable's length
//   11        a double (XMM0-3 for parameters 1-4)  | the double at the returned address
//                                                     (NIL for a null pointer)
//   others    nothing (later arguments move up)     | NIL
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace ui {

inline constexpr int kMaxCallParams = 17;

// The descriptor of an entry (null: not found); at most 17 parameter types are kept.
std::string MakeCallDescriptor(FARPROC entry, bool callee_cleans, int result_type, std::span<const int> param_types);

// Calls the entry a descriptor names with the arguments (by-reference ones are written
// back); NIL for a malformed descriptor or one naming no resolved entry.
xb::Value CallByDescriptor(std::string_view descriptor, std::span<const xb::Value> args);

// GETPROCADDRESS and CALLDLL by name.
void RegisterDllCalls();

}  // namespace ui
