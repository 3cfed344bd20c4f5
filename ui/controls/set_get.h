// A bSetGet block over a value of its own, for controls bound to a value that no variable
// of compiled text holds (C++ callers, defaults of the constructors):
//
//   SetGet done = SetGet::Of(xb::Value::Integer(0));
//   meter->ReDefine({.id = 101, .set_get = done.block, ...});
//   ... done.Get() ...
#pragma once

#include "runtime/block.h"
#include "runtime/value.h"

namespace ui {

struct SetGet {
  xb::Value block;               // {|x| IIF(PCOUNT() > 0, value := x, value)}
  xb::Ref<xb::RefCell> cell;     // where the value lives

  static SetGet Of(xb::Value initial);
  xb::Value Get() const { return cell->value; }
  void Put(xb::Value v) const { cell->value = std::move(v); }
};

}  // namespace ui
