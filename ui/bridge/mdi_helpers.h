// Helpers that the MDI frame and child windows need.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The frame's own "MDICLIENT" child window, whatever the Z-order of its bars; null when none.
HWND FrameClient(HWND frame);

// The frame procedure: DefFrameProcA with the frame's own MDI client window.
WNDPROC GetFrameProc();
WNDPROC GetMdiChlProc();

// The framework's "default position" marker; passed to Windows as CW_USEDEFAULT.
inline constexpr int kDefaultPosition = 32768;

// An MDICREATESTRUCTA as bytes. Class name and title are kept in buffers of the bridge, so the
// record stays valid until the next call. With `right` at the default-position marker, right
// and bottom are the width and height as given; the marker itself becomes CW_USEDEFAULT.
std::string CMdiStruct(const std::string& class_name, const std::string& title, int top, int left,
                       int bottom, int right, DWORD style, LPARAM param);

}  // namespace ui
