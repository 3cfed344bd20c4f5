#include "data/win/directory_functions.h"

#include <windows.h>

#include <vector>

#include "data/data_ui.h"
#include "runtime/function_table.h"

namespace data {
namespace {

// Calls a function of Kernel32 looked up by name at the time of the call; a library that
// does not load says so in an alert. `call` receives the function's address (nullptr when
// the library has no such function).
template <class Result, class Call>
Result WithKernelFunction(const char* name, Result failed, Call call) {
  HMODULE library = ::LoadLibraryA("Kernel32");
  if (library == nullptr) {
    Ui().MsgAlert("Error code: " + std::to_string(reinterpret_cast<std::uintptr_t>(library)) + " loading Kernel32",
                  "Información");
    return failed;
  }
  const FARPROC address = ::GetProcAddress(library, name);
  const Result result = address ? call(address) : failed;
  ::FreeLibrary(library);
  return result;
}

}  // namespace

std::uint32_t GetCurrentDir(std::uint32_t length, std::string* folder) {
  using Fn = DWORD(WINAPI*)(DWORD, LPSTR);
  std::vector<char> buffer(length + 1, '\0');
  const DWORD result = WithKernelFunction<DWORD>("GetCurrentDirectoryA", 0, [&](FARPROC f) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(f))(length, buffer.data());
  });
  if (folder && result > 0 && result < length) folder->assign(buffer.data(), result);
  return result;
}

bool SetCurrentDir(std::string_view folder) {
  using Fn = BOOL(WINAPI*)(LPCSTR);
  const std::string path(folder);
  return WithKernelFunction<BOOL>("SetCurrentDirectoryA", FALSE, [&](FARPROC f) {
           return reinterpret_cast<Fn>(reinterpret_cast<void*>(f))(path.c_str());
         }) != FALSE;
}

std::string GetPathShort(std::string_view path) {
  char buffer[260] = {};
  const std::string long_path(path);
  const DWORD n = ::GetShortPathNameA(long_path.c_str(), buffer, sizeof buffer);
  std::string short_path = n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
  while (!short_path.empty() && short_path.back() == ' ') short_path.pop_back();
  return short_path;
}

void RegisterDirectoryFunctions() {
  using xb::Args;
  using xb::Value;
  // GETCURRENTDIRECTORY(nLength, @cBuffer)
  xb::RegisterFunction("GETCURRENTDIRECTORY", [](Args& a) {
    std::string folder;
    const std::int64_t length = a.Int(1);
    const std::uint32_t result =
        GetCurrentDir(length > 0 && length < 0x10000 ? static_cast<std::uint32_t>(length) : 0, &folder);
    if (result > 0 && result < length) a.SetRef(2, Value::String(folder));
    return Value::Integer(result);
  });
  xb::RegisterFunction("SETCURRENTDIRECTORY",
                       [](Args& a) { return Value::Logical(SetCurrentDir(a.Str(1))); });
  xb::RegisterFunction("GETPATHSHORT", [](Args& a) { return Value::String(GetPathShort(a.Str(1))); });
  xb::RegisterFunction("PATHCORTO", [](Args& a) { return Value::String(GetPathShort(a.Str(1))); });
}

}  // namespace data
