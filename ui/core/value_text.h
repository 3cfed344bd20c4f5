// CVALTOCHAR: any value as text, the way the framework writes values into INI files and
// logs: text as it is, dates by DTOC, ".t." / ".f.", numbers trimmed, "{|| ... }" for blocks,
// "{ ... }" for arrays, "Object" for objects, "" for NIL.
#pragma once

#include <string>

#include "runtime/value.h"

namespace ui {

std::string CValToChar(const xb::Value& value);

// Registers CVALTOCHAR by name.
void RegisterValueText();

}  // namespace ui
