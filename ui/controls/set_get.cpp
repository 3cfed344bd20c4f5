#include "ui/controls/set_get.h"

namespace ui {

SetGet SetGet::Of(xb::Value initial) {
  SetGet s;
  s.cell = xb::MakeRef<xb::RefCell>(std::move(initial));
  s.block = xb::Value(xb::Block::Native(
      [cell = s.cell](xb::Args& a) {
        if (a.Count() > 0) cell->value = a.Arg(1);
        return cell->value;
      },
      "{|x| If( PCount() > 0, uVar := x, uVar ) }"));
  return s;
}

}  // namespace ui
