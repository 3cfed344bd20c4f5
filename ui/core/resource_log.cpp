#include "ui/core/resource_log.h"

#include <cstdio>

namespace ui {

void LogResourceFailure(std::string_view what, const void* handle, std::string_view detail) {
  if (std::FILE* f = std::fopen("resources.txt", "ab")) {
    std::fprintf(f, "%.*s %p %.*s\r\n", static_cast<int>(what.size()), what.data(), handle,
                 static_cast<int>(detail.size()), detail.data());
    std::fclose(f);
  }
}

}  // namespace ui
