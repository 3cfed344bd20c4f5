#include "services/password.h"

#include <ctime>

#include "runtime/function_table.h"

namespace svc {
namespace {

constexpr int kStep = 87;

unsigned char ClockByte() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return static_cast<unsigned char>(((local.tm_min % 10) * 100 + local.tm_sec) % 256);
}

}  // namespace

std::string cEncripta(std::string_view password, unsigned char extra) {
  std::string text(password.substr(0, kPasswordLength));
  text.resize(kPasswordLength, ' ');
  text.push_back(static_cast<char>(extra));
  for (std::size_t i = kPasswordLength; i-- > 0;) {
    const auto next = static_cast<unsigned char>(text[i + 1]);
    text[i] = static_cast<char>((static_cast<unsigned char>(text[i]) + next % kStep) % 256);
  }
  return text;
}

std::string cEncripta(std::string_view password) { return cEncripta(password, ClockByte()); }

std::string cDesencripta(std::string_view scrambled) {
  std::string text(scrambled.substr(0, kScrambledLength));
  text.resize(kScrambledLength, ' ');
  for (std::size_t i = 0; i < kPasswordLength; ++i) {
    const auto next = static_cast<unsigned char>(text[i + 1]);
    text[i] = static_cast<char>((static_cast<unsigned char>(text[i]) + 256 - next % kStep) % 256);
  }
  text.resize(kPasswordLength);
  return text;
}

void RegisterPasswordFunctions() {
  xb::Def("CENCRIPTA", [](std::string_view password) { return cEncripta(password); });
  xb::Def("CDESENCRIPTA", [](std::string_view scrambled) { return cDesencripta(scrambled); });
}

}  // namespace svc
