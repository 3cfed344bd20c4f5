// The framework's small functions on values, objects, the procedure stack, memory and work
// areas (UVALBLANK, OSEND, AODATA, PARAMCOUNT, CGETNEWALIAS, DUPRECORD ...).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace ui {

// The empty value of the same type: blanks as long as a text, 0, .F., the empty date; NIL
// for other types.
xb::Value UValBlank(const xb::Value& value);
// 1 when the object's class is the class named (any case) or derives from it, else 0.
int ChildLevel(const xb::Value& object, const xb::Value& ancestor);
// A copy of an object: its class's new object with the original's data, handles of windows
// and GDI objects left out (a copy of a window has no window). NIL for a value that is not an
// object, or an object whose class cannot be made by name.
xb::Value OClone(const xb::Value& object);
// Sends the message named by the text ("()" in it removed).
xb::Value OSend(const xb::Value& object, std::string_view message, std::span<const xb::Value> args);
// The names of the object's data, sorted: its messages without "_" that have an "_" form.
std::vector<std::string> AOData(const xb::Value& object);
// The alias when no work area uses it, else the alias + 002, 003 ... the first that is free.
std::string CGetNewAlias(const std::string& alias);
// Appends a copy of the current record; false, after telling the user, when the new record
// cannot be locked.
bool DupRecord();

void RegisterFrameworkUtils();

}  // namespace ui
