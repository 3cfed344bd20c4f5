// What a button bar asks of its buttons, whose class (the bitmap button) lives with the
// controls: whether a button starts a group, and what a saved bar layout records of it.
#pragma once

#include <string>

namespace ui {

struct BarButtonLayout {
  std::string resource1;
  std::string resource2;
  std::string file1;
  std::string file2;
  std::string message;
  std::string action;   // the action as source text
  bool group = false;
  bool adjust = false;
  std::string tooltip;
  bool pressed = false;
};

class BarButton {
 public:
  virtual ~BarButton() = default;
  virtual bool StartsGroup() const = 0;
  virtual void SetGroup(bool group) = 0;
  virtual BarButtonLayout Layout() const = 0;
  // The button's source text (a design aid).
  virtual std::string GenPrg() const = 0;
};

}  // namespace ui
