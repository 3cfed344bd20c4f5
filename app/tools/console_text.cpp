#include "app/tools/console_text.h"

#include <cstdarg>

#include "runtime/xbeval/cp1252.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif

namespace app {

#if defined(_WIN32)

namespace {

std::wstring Wide(std::string_view text) {
  std::wstring wide(text.size(), L'\0');
  const int n = text.empty() ? 0
                             : MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                                   static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(n));
  return wide;
}

std::string Narrow(const std::wstring& wide, unsigned code_page) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(code_page, 0, wide.data(), size, text.data(), n, nullptr, nullptr);
  return text;
}

}  // namespace

unsigned StreamCodePage() {
  // Wine's own library exports this: the stream is read on the POSIX side.
  static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  if (wine) return kUtf8;
  const unsigned console = GetConsoleOutputCP();
  return console ? console : GetOEMCP();
}

void Put(std::FILE* out, std::string_view text) {
  const std::wstring wide = Wide(text);
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    std::fflush(out);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fputs(Narrow(wide, StreamCodePage()).c_str(), out);
}

#else

unsigned StreamCodePage() { return kUtf8; }

void Put(std::FILE* out, std::string_view text) { std::fputs(xb::xbeval::Cp1252ToUtf8(text).c_str(), out); }

#endif

void Say(std::FILE* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  Put(out, buffer);
}

}  // namespace app
