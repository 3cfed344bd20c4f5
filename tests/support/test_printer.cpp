#include "tests/support/test_printer.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vdr::test {
namespace {

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string UnixPath(const std::string& windows_path) {
  using ToUnix = char* (*)(const WCHAR*);
  auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (to_unix == nullptr) return {};
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide, MAX_PATH);
  char* unix_path = to_unix(wide);
  if (unix_path == nullptr) return {};
  std::string path(unix_path);
  HeapFree(GetProcessHeap(), 0, unix_path);
  return path;
}

// Waits up to ten seconds for `done`, letting the thread's messages run.
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(20);
  }
  return done();
}

}  // namespace

int RunTestPrinter(const std::string& arguments) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command = "\"" + Folder(self) + "testprinter.exe\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

PrinterOutput::PrinterOutput(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  path_ = std::string(temp) + "vdr_" + name + ".ps";
  DeleteFileA(path_.c_str());
  DeleteFileA((path_ + ".txt").c_str());
  RunTestPrinter("port \"" + path_ + "\"");
}

std::string PrinterOutput::PostScript() const {
  std::string ps;
  WaitFor([&] {
    ps = ReadFile(path_);
    return ps.find("%%EOF") != std::string::npos;
  });
  return ps;
}

std::string PrinterOutput::Comment(const std::string& key) const {
  const std::string ps = PostScript();
  std::string value;
  std::istringstream lines(ps);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(key, 0) == 0) {
      value = line.substr(key.size());
      while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    }
  }
  // A text that needs it is written as a PostScript string: "(" ... ")" with escapes.
  if (value.size() < 2 || value.front() != '(' || value.back() != ')') return value;
  std::string text;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[i] != '\\' || i + 2 >= value.size()) {
      text += value[i];
      continue;
    }
    const char next = value[++i];
    if (next >= '0' && next <= '7') {
      int code = 0;
      for (int digits = 0; digits < 3 && i + 1 < value.size() && value[i] >= '0' && value[i] <= '7'; ++digits, ++i)
        code = code * 8 + (value[i] - '0');
      --i;
      text += static_cast<char>(code);
    } else {
      text += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
  }
  return text;
}

int PrinterOutput::Pages() const { return std::atoi(Comment("%%Pages:").c_str()); }

std::string PrinterOutput::Text() const {
  if (PostScript().empty()) return {};
  // Ghostscript is a host program: Wine starts it but cannot wait for it, so its text is
  // written aside and moved into place when complete.
  const std::string text = path_ + ".txt";
  const std::string unix_ps = UnixPath(path_), unix_text = UnixPath(text);
  std::string command = "Z:\\bin\\sh -c \"PATH=/usr/local/bin:/usr/bin:/bin; gs -q -dNOPAUSE -dBATCH -dSAFER "
                        "-sDEVICE=txtwrite -sOutputFile='" + unix_text + ".part' '" + unix_ps +
                        "' && mv '" + unix_text + ".part' '" + unix_text + "'\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return {};
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!WaitFor([&] { return GetFileAttributesA(text.c_str()) != INVALID_FILE_ATTRIBUTES; })) return {};
  // Ghostscript writes UTF-8; the tests compare with text in the ANSI code page.
  const std::string utf8 = ReadFile(text);
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), static_cast<int>(wide.size()))));
  // Its spaces come as no-break spaces at times.
  for (wchar_t& c : wide)
    if (c == 0xA0) c = L' ';
  std::string ansi(wide.size() * 2, '\0');
  ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                           ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr)));
  return ansi;
}

}  // namespace vdr::test
