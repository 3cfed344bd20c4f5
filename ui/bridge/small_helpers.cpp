#include "ui/bridge/small_helpers.h"

#include <windows.h>

#include <cstring>

namespace ui {

std::int64_t NOr(std::span<const std::int64_t> values) {
  std::int64_t result = 0;
  for (std::int64_t v : values) result |= v;
  return result;
}

std::int64_t NAnd(std::span<const std::int64_t> values) {
  if (values.empty()) return 0;
  std::int64_t result = values.front();
  for (std::int64_t v : values.subspan(1)) result &= v;
  return result;
}

int NPtrWord(std::uintptr_t address) {
  // Text may pass any number: read only committed, readable memory.
  MEMORY_BASIC_INFORMATION info = {};
  const void* at = reinterpret_cast<const void*>(address);
  if (address == 0 || VirtualQuery(at, &info, sizeof info) == 0) return 0;
  const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                         PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  if (info.State != MEM_COMMIT || (info.Protect & readable) == 0 || (info.Protect & PAGE_GUARD)) {
    return 0;
  }
  const auto end = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
  if (address + sizeof(std::uint16_t) > end) return 0;
  std::uint16_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

std::string I2Hex(std::int64_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  const unsigned v = static_cast<unsigned>(value) & 0xFFFF;
  return {kDigits[(v >> 12) & 15], kDigits[(v >> 8) & 15], kDigits[(v >> 4) & 15], kDigits[v & 15]};
}

std::string CChr2Data(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (text.size() >= 2 && static_cast<unsigned char>(text[1]) > '9' && text[1] >= 'a' &&
      text[1] <= 'z') {
    text[1] = static_cast<char>(text[1] - 'a' + 'A');
  }
  return text;
}

bool LMkDir(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool LChDir(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != FALSE; }

}  // namespace ui
