// The mouse moved and pressed through the system's input, as a person does it: the messages
// come from the system's input queue, with its capture and hit testing.
#pragma once

#include <windows.h>

namespace vdr::test {

// Moves the pointer to (x, y) of the screen and dispatches what this thread receives until
// it is there. False when it did not get there in time.
bool MouseTo(POINT screen);
// Moves the pointer to a point of a window's client area.
bool MouseToClient(HWND window, POINT client);
// Presses or releases the left button where the pointer is, and dispatches what follows.
void LeftButton(bool down);

}  // namespace vdr::test
