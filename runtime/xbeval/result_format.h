// How xbeval writes a result: the ValType, a tab, and the value, in the format of the
// reference file of expressions (shared/reference/README.md), in Windows-1252.
//   strings  "text" len=N         numbers  12.50 STR="12.50"
//   dates    "20240301"           logicals .T.      NIL  NIL
//   arrays   {N:1 STR="         1", C:"a" len=1, A:{L:.T., U:NIL}}
//   blocks   <codeblock>          objects  <object TWINDOW>
//   errors   ERR<TAB>ERROR: BASE/1340 Zero divisor /
// Inside a string a control byte (and 127, 0x81, 0x8D, 0x8F, 0x90, 0x9D) is written \xNN
// and a backslash \\; len counts the bytes. A memo field's text is written with type C,
// inside arrays too.
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"

namespace xb::xbeval {

// The value part of a result.
std::string FormatValue(const Value& v);
// Evaluates one expression (Windows-1252) and gives "TYPE<TAB>VALUE"; errors are caught
// through the error block and reported as ERR.
std::string EvaluateLine(std::string_view expression);
// The settings the reference was made with: date format dd-mm-yyyy, epoch 1920.
void UseReferenceSettings();

}  // namespace xb::xbeval
