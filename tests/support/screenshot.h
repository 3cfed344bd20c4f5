// Saves what a window shows, so a person can look at what the user sees.
#pragma once

#include <windows.h>

#include <string>

namespace vdr::test {

// Writes the window (frame included) as a 24-bit BMP file. Returns false on failure.
bool SaveWindowBitmap(HWND hwnd, const std::string& path);

// The folder where tests leave their screenshots: %VDR_SCREENSHOTS% or ".\screenshots".
std::string ScreenshotFolder();

}  // namespace vdr::test
