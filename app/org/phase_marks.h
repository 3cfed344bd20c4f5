// Moments of a run for the program's benchmark: with VDR_FASES naming a file, each mark
// appends a line "<seconds since 1970> <phase>" to it. Without it, marks do nothing.
#pragma once

#include <string_view>

namespace app {

void MarkPhase(std::string_view phase);

}  // namespace app
