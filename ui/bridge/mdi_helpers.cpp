#include "ui/bridge/mdi_helpers.h"

namespace ui {
namespace {

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefFrameProcA(hwnd, FrameClient(hwnd), message, wparam, lparam);
}

int WindowsPosition(int value) { return value == kDefaultPosition ? CW_USEDEFAULT : value; }

std::string g_class_name;
std::string g_title;

}  // namespace

HWND FrameClient(HWND frame) {
  return frame != nullptr ? FindWindowExA(frame, nullptr, "MDICLIENT", nullptr) : nullptr;
}

WNDPROC GetFrameProc() { return &FrameProc; }

WNDPROC GetMdiChlProc() { return &DefMDIChildProcA; }

std::string CMdiStruct(const std::string& class_name, const std::string& title, int top, int left,
                       int bottom, int right, DWORD style, LPARAM param) {
  g_class_name = class_name;
  g_title = title;
  MDICREATESTRUCTA record = {};
  record.szClass = g_class_name.c_str();
  record.szTitle = g_title.c_str();
  record.hOwner = GetModuleHandleA(nullptr);
  record.x = WindowsPosition(left);
  record.y = WindowsPosition(top);
  if (right == kDefaultPosition) {
    record.cx = WindowsPosition(right);
    record.cy = WindowsPosition(bottom);
  } else {
    record.cx = right - left + 1;
    record.cy = bottom - top + 1;
  }
  record.style = style;
  record.lParam = param;
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

}  // namespace ui
