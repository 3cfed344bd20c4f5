// What a window or a dialog's item shows: its title, a field's contents, a label.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

namespace vdr::test {

// The whole text of a window ("" for none).
inline std::string WindowText(HWND window) {
  if (window == nullptr || !IsWindow(window)) return {};
  std::string text(static_cast<std::size_t>(std::max(GetWindowTextLengthA(window), 1023)) + 1, '\0');
  text.resize(static_cast<std::size_t>(std::max(GetWindowTextA(window, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

// The whole text of item `id` of a dialog.
inline std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

}  // namespace vdr::test
