// A value as the layer's messages and labels show it.
#pragma once

#include <string>

#include "runtime/value.h"

namespace data {

// Text as is, numbers without leading blanks, dates by SET DATEFORMAT, logicals ".T." and
// ".F."; NIL and anything else give "".
std::string ValueText(const xb::Value& v);

}  // namespace data
