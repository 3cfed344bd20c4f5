// TCursor: a cursor from the resource module, a system cursor or one of the framework's own.
// Predefined cursors are shared and never destroyed; a loaded one is destroyed by End.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/object.h"
#include "ui/core/window_parts.h"

namespace ui {

class TCursor : public xb::Object, public WindowCursor {
 public:
  TCursor();
  ~TCursor() override;
  static const xb::Class& Cls();

  // A predefined name ("ARROW", "IBEAM", "WAIT", "CROSS", "UPARROW", "SIZE", "ICON",
  // "SIZENWSE", "SIZENESW", "SIZEWE", "SIZENS"; "HAND", "STOP", "DRAG" of the framework), or
  // without one the resource of that name. An unknown predefined name alerts and gives a
  // cursor without handle.
  static xb::Ref<TCursor> New(const std::string& resource, const std::string& predefined = {});
  // The system cursor number of a predefined name; 0 for the framework's own and unknown names.
  static int SystemCursor(const std::string& predefined);

  HCURSOR hCursor() const override { return handle; }
  void End() override;

  HCURSOR handle = nullptr;
  bool lPredef = false;
};

}  // namespace ui
