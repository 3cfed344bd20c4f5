#include "data/program_folder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <vector>

namespace data {

std::string ProgramFolder() {
  std::vector<char> buffer(1024);
  for (;;) {
#if defined(_WIN32)
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    const bool cut = n >= buffer.size();
#else
    const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (got <= 0) return {};
    const auto n = static_cast<std::size_t>(got);
    const bool cut = n >= buffer.size();
#endif
    if (cut) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    std::string path(buffer.data(), n);
    const std::size_t sep = path.find_last_of("\\/");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
  }
}

}  // namespace data
