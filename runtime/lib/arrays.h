// Array functions of the library for C++ callers. Positions are 1-based, as in xBase.
#pragma once

#include <cstddef>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/value.h"

namespace xb {

// ASORT's order without a block: by type first (array, block, string, logical, date,
// number, NIL), then strings by the code page's collation (as `<` compares them),
// numbers, dates and logicals (.F. first) by value.
bool SortsBefore(const Value& a, const Value& b);
// ASORT of `count` elements from `start`; `order` (may be null) answers .T. when its
// first argument goes before its second. The sort is stable and stays within the array
// whatever the block answers or does to the array.
void SortArray(const Array& a, std::size_t start, std::size_t count, const Block& order);
// ASCAN: the first position from `start` (within `count`) whose element equals `what`
// as `=` compares (SET EXACT applies to strings), or for which the block `what`
// answers .T.; 0 when none.
std::size_t ScanArray(const Array& a, const Value& what, std::size_t start, std::size_t count);
// ACLONE: a copy with nested arrays copied too (an array held twice stays shared in the copy).
Array CloneArray(const Array& a);

}  // namespace xb
