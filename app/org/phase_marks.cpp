#include "app/org/phase_marks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace app {

void MarkPhase(std::string_view phase) {
  static const char* const path = std::getenv("VDR_FASES");
  if (!path || !*path) return;
  const double now =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%.6f %.*s\n", now, static_cast<int>(phase.size()), phase.data());
    std::fclose(f);
  }
}

}  // namespace app
