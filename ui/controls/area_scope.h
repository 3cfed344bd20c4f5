// Selects the work area of an alias for a scope and the one selected before when it ends.
// An alias that names no open area (or none at all) selects nothing.
#pragma once

#include <string>

#include "runtime/rdd/workareas.h"

namespace ui {

class AreaScope {
 public:
  explicit AreaScope(const std::string& alias) {
    auto& areas = xb::rdd::WorkAreas::Get();
    number_ = areas.AreaOfAlias(alias);
    if (number_ != 0) previous_ = areas.SelectArea(number_);
  }
  AreaScope(const AreaScope&) = delete;
  AreaScope& operator=(const AreaScope&) = delete;
  ~AreaScope() {
    if (number_ != 0) xb::rdd::WorkAreas::Get().SelectArea(previous_);
  }
  // The alias's area is open.
  bool used() const {
    if (number_ == 0) return false;
    xb::rdd::WorkArea* area = xb::rdd::WorkAreas::Get().Area(number_);
    return area != nullptr && area->used();
  }

 private:
  int number_ = 0;
  int previous_ = 0;
};

}  // namespace ui
