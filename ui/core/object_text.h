// An object's properties stored as text and read back (the design aids Save and Load of
// windows, menus and menu items; ASAVE, AREAD, OREAD).
//
// Record of an object:
//   "O", total length (2 bytes, I2BIN), class-name length (2 bytes), class name,
//   item count (2 bytes), then per item:
//     name length (2 bytes), name, value
// where a value is an array record (ASAVE), an object record (its Save), or a type letter
// ("C", "N", "L", "D"), the text's length (2 bytes) and the text (numbers as written by STR
// without blanks, logicals ".T." / ".F.", dates as DTOS).
//
// The items are the object's properties (APROPERTIES, or PROPERTY(1..PROPCOUNT())) whose
// values differ from a freshly made object's, then its events (AEVENTS) that hold a text.
// Array record: "A", total length (2 bytes), element count (2 bytes), then each value.
// Code blocks and NIL are not stored.
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"

namespace ui {

// The object's record ("" for a value that is not an object).
std::string SaveObject(const xb::Value& object);
// Assigns the items of a record (a whole "O" record, or its body from the item count on)
// to the object through its "_" messages; false when the text is not such a record.
bool LoadObject(const xb::Value& object, std::string_view record);

std::string ASave(const xb::Array& array);
xb::Array ARead(std::string_view record);
// A new object of the record's class (made by the class's function) with its items.
xb::Value ORead(std::string_view record);

void RegisterObjectText();

}  // namespace ui
