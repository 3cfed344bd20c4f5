// The record a column of a column browse is saved as (TCColumn:Save, read back by Load),
// the framework's object record:
//
//   "O"                       1 byte
//   total length              2 bytes, little-endian: the whole record, this header included
//   class-name length, name   2 bytes + the name ("TCCOLUMN")
//   item count                2 bytes
//   per item:
//     name length, name       2 bytes + the property's name ("cHeading")
//     value                   "A" or "O" and a nested record, whose total length follows its
//                             letter; or a type letter ("C", "N", "L", "D"), the text's
//                             length (2 bytes) and the text
//
// Load is given the body: the record from the item count on.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct ColumnItem {
  std::string name;
  char type = 'C';   // 'C', 'N', 'L', 'D'; 'A' and 'O' hold a nested record whole
  std::string text;
};

// Largest text a 2-byte length can carry.
inline constexpr std::size_t kMaxColumnText = 0xFFFF;

// The whole record; nullopt when a name, a text or the record itself is too long for its
// 2-byte length.
std::optional<std::string> EncodeColumnRecord(std::string_view class_name, const std::vector<ColumnItem>& items);

// The items of a body. Every length is checked against what is left of the text: a short or
// malformed body (a length past its end, an unknown type letter, a nested record whose own
// length disagrees, bytes left over) gives nullopt.
std::optional<std::vector<ColumnItem>> DecodeColumnBody(std::string_view body);

// The body of a whole record of that class (after its class name); nullopt when the text is
// not one.
std::optional<std::string_view> ColumnRecordBody(std::string_view record, std::string_view class_name);

}  // namespace ui
