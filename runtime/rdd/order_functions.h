// The xBase order functions (ORDCREATE, ORDSETFOCUS, DBSEEK, ORDKEYCOUNT, ADSKEYCOUNT ...),
// registered by their upper-case names. They work on the selected work area's order bags.
#pragma once

namespace xb::rdd {

// Registers the order functions; InitTables() calls it. Safe to call again.
void InitOrderFunctions();

}  // namespace xb::rdd
