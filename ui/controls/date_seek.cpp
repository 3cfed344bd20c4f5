#include "ui/controls/date_seek.h"

#include <algorithm>

#include "runtime/sets.h"

namespace ui {
namespace {

constexpr int kBackspace = 8;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSeparator(char c) { return c != ' ' && !IsDigit(c); }

}  // namespace

std::string EmptyDateText(std::string_view format) {
  std::string text(format);
  for (char& c : text) {
    const char lower = static_cast<char>(c | 0x20);
    if (lower == 'd' || lower == 'm' || lower == 'y') c = ' ';
  }
  return text;
}

std::string EmptyDateText() {
  const xb::Value format = xb::GetSetValue(xb::SET_DATEFORMAT);
  return EmptyDateText(format.IsString() ? format.AsString() : std::string_view("dd-mm-yyyy"));
}

DateSeekStep DateSeek(std::string_view text, int key) {
  DateSeekStep step{std::string(text), false};
  const std::size_t blank = step.text.find(' ');
  if (IsDigit(static_cast<char>(key))) {
    if (blank == std::string::npos) {
      step.beep = true;
    } else {
      step.text[blank] = static_cast<char>(key);
    }
    return step;
  }
  if (key != kBackspace) {
    step.beep = true;
    return step;
  }
  // The character before the first blank (the last one without a blank), over separators.
  std::size_t at = blank == std::string::npos ? step.text.size() : blank;
  while (at > 0 && IsSeparator(step.text[at - 1])) --at;
  if (at > 0) step.text[at - 1] = ' ';
  const std::size_t length = std::max(EmptyDateText().size(), text.size());
  if (step.text.size() < length) step.text.append(length - step.text.size(), ' ');
  return step;
}

bool DateSeekComplete(std::string_view text) { return !text.empty() && text.find(' ') == std::string_view::npos; }

}  // namespace ui
