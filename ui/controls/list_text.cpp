#include "ui/controls/list_text.h"

#include "runtime/codepage.h"

namespace ui {

std::string PadRight(std::string text, int width) {
  if (width > 0 && static_cast<int>(text.size()) < width) text.resize(static_cast<std::size_t>(width), ' ');
  return text;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string FoldedText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return xb::Upper(xb::CodePageEsWin(), text);
}

}  // namespace ui
