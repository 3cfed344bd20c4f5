// Bit helpers and small text helpers of the bridge.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace ui {

// Bitwise OR / AND of all the values, left to right (0 / all ones... for none: 0).
std::int64_t NOr(std::span<const std::int64_t> values);
std::int64_t NAnd(std::span<const std::int64_t> values);
inline std::int64_t NOr(std::initializer_list<std::int64_t> values) {
  return NOr(std::span<const std::int64_t>(values.begin(), values.size()));
}
inline std::int64_t NAnd(std::initializer_list<std::int64_t> values) {
  return NAnd(std::span<const std::int64_t>(values.begin(), values.size()));
}
constexpr std::int64_t NNot(std::int64_t value) { return ~value; }
constexpr bool LAnd(std::int64_t a, std::int64_t b) { return (a & b) != 0; }

// The unsigned 16-bit word at an address of this process; 0 when it cannot be read.
int NPtrWord(std::uintptr_t address);

// The low 16 bits as 4 upper-case hexadecimal digits.
std::string I2Hex(std::int64_t value);

// Letters A-Z to lower case, then the second character to upper case when it sorts after "9".
std::string CChr2Data(std::string text);

// CreateDirectoryA; true when made.
bool LMkDir(const std::string& path);
// SetCurrentDirectoryA.
bool LChDir(const std::string& path);

}  // namespace ui
