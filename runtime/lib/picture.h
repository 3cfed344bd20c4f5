// The picture engine: how a picture such as "@E 999,999.99", "@R 99.999.999", "@!" or "Y"
// shows a value. TRANSFORM formats with it, and an edit buffer (the edit field's Get)
// takes from EditMask the same rules position by position: which positions the user
// types into, what each accepts, where literals stand, and how a buffer reads back.
//
//   xb::Picture pic("@E 999,999.99");
//   std::string shown = xb::Transform(value, pic);           // "  1.234,50"
//
//   xb::EditMask mask(value, pic);                           // one edit session
//   std::string buffer = mask.Format(value);
//   if (auto c = mask.Accept(pos, typed)) buffer[pos] = *c;  // else the key is refused
//   pos = mask.NextEditable(pos);
//   xb::Value back = mask.Parse(buffer);
//
// A picture is "@" followed by function letters up to the first blank, then the template;
// a picture without "@" is all template. Functions: B C D E K R S<n> X Z ( ) ! A. Template
// characters: 9 # (digits; with numbers also sign), A (letter), N (letter or digit),
// X (anything), L (T/F/Y/N), Y (Y/N), ! (anything, upper case), $ * (digits; leading
// blanks shown as $ or *), "." (the decimal point of numbers), "," (thousands
// separator of numbers, shown only between digits); any other character is a literal.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace xb {

struct PictureFunctions {
  bool leftAlign = false;       // @B  numbers flush left
  bool credit = false;          // @C  " CR" after positive numbers
  bool dateFormat = false;      // @D  dates by SET DATEFORMAT (what dates use anyway)
  bool european = false;        // @E  numbers with "," for decimals and "." for thousands;
                                //     dates day first (SET DATEFORMAT with a leading month
                                //     exchanged for the day)
  bool clearOnKey = false;      // @K  editing: the first key typed clears the buffer
  bool insertLiterals = false;  // @R  template literals are inserted (and left out when read back)
                                //     rather than standing in place of characters of the value
  int scrollWidth = 0;          // @S<n> TRANSFORM keeps n characters; editing: the field
                                //     shows n characters and scrolls
  bool debit = false;           // @X  " DB" after negative numbers (no minus sign)
  bool blankZero = false;       // @Z  zero and the empty date shown as blanks
  bool parens = false;          // @(  negative numbers in parentheses, "(" in the first position
  bool parensTight = false;     // @)  negative numbers in parentheses, "(" before the first digit
  bool upper = false;           // @!  letters in upper case
  bool alphaOnly = false;       // @A  editing: letters only
};

class Picture {
 public:
  Picture() = default;
  explicit Picture(std::string_view text);
  // A picture with the same functions and another template.
  Picture WithTemplate(std::string_view templ) const;

  const PictureFunctions& functions() const { return functions_; }
  // The template; "" when the picture has none.
  const std::string& templ() const { return templ_; }

 private:
  PictureFunctions functions_;
  std::string templ_;
};

// TRANSFORM: the value shown by the picture. Strings and memos, numbers, dates and
// logicals; other types give "". A string shorter than the template gives as many
// characters as it has (an empty one ""); a negative number that does not fit shows with
// @( or @) as "(***)".
std::string Transform(const Value& value, const Picture& picture);

// True for the template characters that hold a digit of a number (9 # $ *).
bool IsNumberDigitSlot(char templateChar);

// The positions of an edit buffer for one value and picture.
class EditMask {
 public:
  // The mask for editing `value` (string, memo, number, date or logical) with `picture`.
  // A picture without template takes the value's own shape: one "X" per character of a
  // string, STR(value) with its digits as "9" for a number, the date format (SET
  // DATEFORMAT, day first with @E) with its letters as "9" for a date, "L" for a logical.
  EditMask(const Value& value, const Picture& picture);

  char type() const { return type_; }  // 'C', 'N', 'D' or 'L'
  const Picture& picture() const { return picture_; }
  // One template character per buffer position.
  const std::string& templ() const { return templ_; }
  std::size_t size() const { return templ_.size(); }

  // Positions are 0-based. Literals, the decimal point and positions past the template
  // are not editable.
  bool IsEditable(std::size_t pos) const;
  // The character stored at pos when `typed` is typed there (upper-cased by "!", @! and
  // for logicals), or nullopt when the position refuses it.
  std::optional<char> Accept(std::size_t pos, char typed) const;
  // Editable positions; npos when there is none.
  std::size_t FirstEditable() const;
  std::size_t LastEditable() const;
  std::size_t NextEditable(std::size_t pos) const;      // the first after pos
  std::size_t PreviousEditable(std::size_t pos) const;  // the last before pos
  // Numbers: the position of the decimal point (shown "," with @E); npos otherwise.
  std::size_t DecimalPos() const { return decimalPos_; }
  // Dates: the format the buffer is written and read in.
  const std::string& dateFormat() const { return dateFormat_; }

  // The buffer that shows `value`: TRANSFORM with this mask's template, but covering the
  // whole template (a short string padded, no @S cut). A number may add ")" or " CR"/" DB"
  // after the template's positions.
  std::string Format(const Value& value) const;
  // The value a buffer holds. Strings: with @R the literals are left out; the text is
  // padded to the length of the value the mask was made for. Numbers: the digits of the
  // editable positions, the decimal point at DecimalPos(), negative with a "-", "(" or
  // " DB". Dates: read in dateFormat() with SET EPOCH. Logicals: .T. when the first
  // editable position holds T or Y.
  Value Parse(std::string_view buffer) const;

 private:
  char type_ = 'C';
  Picture picture_;
  std::string templ_;
  std::size_t decimalPos_ = std::string::npos;
  std::size_t valueLength_ = 0;
  std::string dateFormat_;
};

}  // namespace xb
