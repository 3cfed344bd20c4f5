#include "contenda/ansi_text.h"

#include <windows.h>

#include "contenda/com_error.h"

namespace contenda {

namespace {

[[noreturn]] void ThrowLastError() {
  throw ComError(HRESULT_FROM_WIN32(GetLastError()));
}

}  // namespace

std::wstring WideFromAnsi(const char* text) {
  if (!text || !*text) return {};
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) ThrowLastError();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), n) != n) ThrowLastError();
  wide.resize(static_cast<size_t>(n - 1));  // the terminator
  return wide;
}

std::string AnsiFromWide(std::wstring_view text) {
  if (text.empty()) return {};
  int len = static_cast<int>(text.size());
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) ThrowLastError();
  std::string ansi(static_cast<size_t>(n), '\0');
  if (WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), len, ansi.data(), n, nullptr, nullptr) != n)
    ThrowLastError();
  return ansi;
}

}  // namespace contenda
