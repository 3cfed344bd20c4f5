// A get/set block over a value shared with the caller, for the controls of a dialog: given a
// value (not NIL) it keeps it; it answers the value kept.
#pragma once

#include <memory>

#include "runtime/args.h"
#include "runtime/block.h"
#include "runtime/value.h"

namespace output {

inline xb::Value SetGet(std::shared_ptr<xb::Value> cell) {
  return xb::Value(xb::Block::Native([cell](xb::Args& a) {
    if (a.Count() > 0 && !a.IsNil(1)) *cell = a.Arg(1);
    return *cell;
  }));
}

}  // namespace output
