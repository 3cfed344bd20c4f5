#include "ui/bridge/dialog_templates.h"

#include <windows.h>

namespace ui {
namespace {

void PutWord(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutDword(std::string& out, std::uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

// The text as UTF-16 from the ANSI code page, with its terminating 0. Text from the system
// is Windows-1252, so "Información" and "&Sí" keep their letters.
void PutText(std::string& out, std::string_view text) {
  if (!text.empty()) {
    const int size = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, wide.data(), count);
    for (wchar_t c : wide) {
      if (c == L'\0') break;  // a NUL inside the text ends it, as it would for Windows
      PutWord(out, static_cast<std::uint32_t>(c));
    }
  }
  PutWord(out, 0);
}

void PadToDword(std::string& out) {
  while (out.size() % 4 != 0) out.push_back('\0');
}

std::uint32_t Short(int value) { return static_cast<std::uint16_t>(static_cast<std::int16_t>(value)); }

}  // namespace

std::string CDlg2Chr(int items, int top, int left, int bottom, int right, std::string_view title,
                     std::uint32_t style) {
  std::uint32_t extended = 0;
  if (style == 2) {
    style = 0x80000002;
    extended = 0x20;
  } else if (style == 0x10000000) {
    style = 0xC0000000;
  }
  std::string out;
  out.reserve(24 + 2 * title.size() + 2);
  PutDword(out, style);
  PutDword(out, extended);
  PutWord(out, Short(items));
  PutWord(out, Short(left));
  PutWord(out, Short(top));
  PutWord(out, Short(right - left + 1));
  PutWord(out, Short(bottom - top + 1));
  PutWord(out, 0);  // no menu
  PutWord(out, 0);  // the dialog class
  PutText(out, title);
  PadToDword(out);
  return out;
}

std::string CCtrl2Chr(int top, int left, int bottom, int right, int id, std::uint32_t style,
                      std::string_view class_name, std::string_view caption) {
  std::string out;
  out.reserve(24 + 2 * (class_name.size() + caption.size()));
  PutDword(out, style);
  PutDword(out, 0);
  PutWord(out, Short(left));
  PutWord(out, Short(top));
  PutWord(out, Short(right - left + 1));
  PutWord(out, Short(bottom - top + 1));
  PutWord(out, Short(id));
  PutText(out, class_name);
  PutText(out, caption);
  PutWord(out, 0);  // no creation data
  PadToDword(out);
  return out;
}

}  // namespace ui
