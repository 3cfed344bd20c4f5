// The incremental search text of a date order: a date typed digit by digit into the blanks
// of the date format ("  -  -    " for "dd-mm-yyyy"), stepping over its separators.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// The date format with its digits blanked: SET DATEFORMAT by default.
std::string EmptyDateText(std::string_view format);
std::string EmptyDateText();

struct DateSeekStep {
  std::string text;
  bool beep = false;  // the key changed nothing
};

// DATESEEK: a digit fills the first blank; backspace blanks the last digit typed; any other
// key, or a digit with no blank left, beeps and changes nothing. After a backspace the text
// is as long as the date format.
DateSeekStep DateSeek(std::string_view text, int key);

// True when no blank is left: every digit typed.
bool DateSeekComplete(std::string_view text);

}  // namespace ui
