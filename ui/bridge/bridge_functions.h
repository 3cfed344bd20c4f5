// Registers the bridge's functions in the runtime's function table by their upper-case
// names (XCHANGEPROC, SYSREFRESH, SETRESOURCES, TEXTOUT, ...). Safe to call more than once.
#pragma once

namespace ui {

void RegisterBridgeFunctions();

}  // namespace ui
