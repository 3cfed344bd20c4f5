#include "tests/support/screenshot.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vdr::test {

std::string ScreenshotFolder() {
  const char* env = std::getenv("VDR_SCREENSHOTS");
  std::string folder = env && *env ? env : "screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool SaveWindowBitmap(HWND hwnd, const std::string& path) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;

  const bool on_screen = IsWindowVisible(hwnd) && !IsIconic(hwnd);
  if (on_screen)  // paint what is still waiting to be painted, and nothing more
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = dib != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(mem, dib);
    // What the window shows, as the user sees it; a hidden window is asked to print itself.
    if (on_screen) {
      HDC window = GetWindowDC(hwnd);
      BitBlt(mem, 0, 0, width, height, window, 0, 0, SRCCOPY);
      ReleaseDC(hwnd, window);
    } else {
      PrintWindow(hwnd, mem, 0);
    }
    GdiFlush();
    SelectObject(mem, old);

    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD image = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + image;
    FILE* out = std::fopen(path.c_str(), "wb");
    ok = out != nullptr;
    if (ok) {
      ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
           std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
           std::fwrite(bits, 1, image, out) == image;
      ok = std::fclose(out) == 0 && ok;
    }
    DeleteObject(dib);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace vdr::test
