// Texts of list and combo items: padding, trimming, and the form two items are compared in
// (outer blanks dropped, upper case in the Spanish code page, so "ñu " matches "Ñu").
#pragma once

#include <string>
#include <string_view>

namespace ui {

std::string PadRight(std::string text, int width);
std::string TrimRight(std::string text);
std::string FoldedText(std::string_view text);

}  // namespace ui
