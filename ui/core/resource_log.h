// "resources.txt": where a failed release of a GDI object is noted, for the developers.
#pragma once

#include <string_view>

namespace ui {

void LogResourceFailure(std::string_view what, const void* handle, std::string_view detail = {});

}  // namespace ui
