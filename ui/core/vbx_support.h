// VBX controls: their support library is loaded by name around each call and freed after it,
// as the dialogs that use VBX controls ask for it. A library that cannot be loaded is told to
// the user ("Error code: ... loading BIVBX30.DLL") and the call fails; this system ships no
// such library, so a dialog asking for VBX support says it is not available.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/value.h"

namespace ui {

inline constexpr const char* kVbxLibrary = "BIVBX30.DLL";

// VbxInit(instance, class prefix ""): starts VBX support; false when it could not be called
// or refused.
bool VbxInit(HINSTANCE instance);
// VbxInitDialog(dialog window, resource module, resource name or number): starts the VBX
// controls of a dialog made from a resource; false when it could not be called or refused.
bool VbxInitDialog(HWND dialog, HINSTANCE resources, const xb::Value& resource);

}  // namespace ui
