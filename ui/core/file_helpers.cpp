#include "ui/core/file_helpers.h"

#include <windows.h>

#include <cstdio>

#include "runtime/array.h"
#include "runtime/date.h"
#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/proc_stack.h"
#include "runtime/symbol.h"
#include "ui/bridge/dll_calls.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/msg_box.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

std::string Upper(std::string_view s) { return xb::UpperName(s); }

// Where the name part starts: after the last backslash, or after a drive.
std::size_t NameStart(std::string_view name) {
  const std::size_t slash = name.rfind('\\');
  if (slash != std::string_view::npos) return slash + 1;
  return name.size() >= 2 && name[1] == ':' ? 2 : 0;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

std::string NowTime() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return TwoDigits(t.wHour) + ":" + TwoDigits(t.wMinute) + ":" + TwoDigits(t.wSecond);
}

xb::Date Today() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return xb::Date::FromYmd(t.wYear, t.wMonth, t.wDay);
}

bool FindEntry(const std::string& file, WIN32_FIND_DATAA& found) {
  HANDLE h = FindFirstFileA(file.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

SYSTEMTIME LocalWriteTime(const WIN32_FIND_DATAA& found) {
  FILETIME local;
  FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
  SYSTEMTIME t;
  FileTimeToSystemTime(&local, &t);
  return t;
}

void FindFiles(const std::string& name, std::string folder, int depth, xb::Array& list) {
  if (depth > 5) return;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> folders;
  do {
    SysRefresh();
    const std::string entry = found.cFileName;
    if (entry == "." || entry == "..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      folders.push_back(folder + entry);
    } else if (Upper(entry) == Upper(name)) {
      list.Append(Value::String(folder + entry));
    }
  } while (FindNextFileA(h, &found));
  FindClose(h);
  for (const std::string& sub : folders) FindFiles(name, sub, depth + 1, list);
}

// GetDiskFreeSpaceExA called by name through its descriptor, as the program's own code
// calls entries it does not import; the three sizes come back whole in 64-bit cells.
Value DiskFreeSpace(Args& a) {
  HMODULE kernel = LoadLibraryA("Kernel32");
  if (kernel == nullptr) {
    MsgAlert("Error code: " + std::to_string(GetLastError()) + " loading Kernel32");
    return Value::Logical(false);
  }
  const int types[] = {8, 10, 10, 10};
  const std::string descriptor =
      MakeCallDescriptor(GetProcAddress(kernel, "GetDiskFreeSpaceExA"), true, 5, types);
  std::vector<Value> args(a.Raw().begin(), a.Raw().end());
  args.resize(4);
  const Value result = CallByDescriptor(descriptor, args);
  FreeLibrary(kernel);
  return result.IsLogical() ? result : Value::Logical(false);
}

}  // namespace

std::string CFileDisc(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':') return Upper(name.substr(0, 2));
  return {};
}

std::string CFilePath(std::string_view name) {
  const std::size_t slash = name.rfind('\\');
  if (slash != std::string_view::npos) return Upper(name.substr(0, slash + 1));
  return CFileDisc(name) + "\\";
}

std::string CFileName(std::string_view name) { return Upper(name.substr(NameStart(name))); }

std::string CFileMask(std::string_view name) {
  const std::string part = CFileName(name);
  return part.find_first_of("*?") != std::string::npos ? part : std::string();
}

std::string CFileNoExt(std::string_view name) {
  const std::string part = CFileName(name);
  return part.substr(0, part.find('.'));
}

std::string CFileExt(std::string_view name) {
  const std::string part = CFileName(name);
  const std::size_t dot = part.rfind('.');
  return dot == std::string::npos ? std::string() : part.substr(dot + 1);
}

std::string CFileSubDir(std::string_view folder) {
  std::string path = CFilePath(folder);
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool LIsDir(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string CNewFileName(const std::string& prefix, const std::string& extension) {
  for (int n = 1;; ++n) {
    const std::string name = prefix + std::to_string(n) + "." + extension;
    if (!Exists(name)) return name;
  }
}

std::string CTempFile() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  for (long n = t.wHour * 10000L + t.wMinute * 100L + t.wSecond;; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%06ld", n);
    if (!Exists(name)) return name;
  }
}

void LogFile(const std::string& file, const std::vector<Value>& values) {
  std::string line = xb::DToC(Today()) + " " + NowTime() + ": ";
  for (const Value& v : values) line += CValToChar(v) + "\t";
  line += "\r\n";
  if (std::FILE* f = std::fopen(file.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

void LogStack(int skip) {
  std::string text = "\r\nLogStack() called\r\n=================\r\n";
  for (int level = skip; level < xb::ProcDepth(); ++level) {
    text += std::string(xb::ProcName(level)) + "(";
    bool first = true;
    for (const Value& arg : xb::ProcArgs(level)) {
      if (!first) text += ", ";
      text += CValToChar(arg);
      first = false;
    }
    text += ")\r\n";
  }
  if (std::FILE* f = std::fopen("stack.txt", "ab")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

void RegisterFileHelpers() {
  using xb::RegisterFunction;
  auto text = [](std::string (*fn)(std::string_view)) {
    return [fn](Args& a) { return Value::String(fn(a.Str(1))); };
  };
  RegisterFunction("CFILEDISC", text(&CFileDisc));
  RegisterFunction("CFILEPATH", text(&CFilePath));
  RegisterFunction("CFILENOPATH", text(&CFileName));
  RegisterFunction("CFILENAME", text(&CFileName));
  RegisterFunction("CFILEMASK", text(&CFileMask));
  RegisterFunction("CFILENOEXT", text(&CFileNoExt));
  RegisterFunction("CFILEEXT", text(&CFileExt));
  RegisterFunction("CFILESUBDIR", text(&CFileSubDir));
  RegisterFunction("LISDIR", [](Args& a) { return Value::Logical(LIsDir(std::string(a.Str(1)))); });
  RegisterFunction("CNEWFILENAME", [](Args& a) {
    return Value::String(CNewFileName(std::string(a.Str(1)), std::string(a.Str(2))));
  });
  RegisterFunction("CTEMPFILE", [](Args&) { return Value::String(CTempFile()); });
  RegisterFunction("FSIZE", [](Args& a) {
    WIN32_FIND_DATAA found;
    if (!FindEntry(std::string(a.Str(1)), found)) return Value::Integer(0);
    return Value::Integer(static_cast<std::int64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow);
  });
  RegisterFunction("FDATE", [](Args& a) {
    WIN32_FIND_DATAA found;
    if (!FindEntry(std::string(a.Str(1)), found)) return Value::FromDate(xb::Date{});
    const SYSTEMTIME t = LocalWriteTime(found);
    return Value::FromDate(xb::Date::FromYmd(t.wYear, t.wMonth, t.wDay));
  });
  RegisterFunction("FTIME", [](Args& a) {
    WIN32_FIND_DATAA found;
    if (!FindEntry(std::string(a.Str(1)), found)) return Value::String("");
    const SYSTEMTIME t = LocalWriteTime(found);
    return Value::String(TwoDigits(t.wHour) + ":" + TwoDigits(t.wMinute) + ":" + TwoDigits(t.wSecond));
  });
  // AFINDFILE(cName, cFolder, aList): aList (or a new list) with every path found.
  RegisterFunction("AFINDFILE", [](Args& a) {
    xb::Array list = a.Arr(3) ? a.Arr(3) : xb::Array::New();
    FindFiles(std::string(a.Str(1)), std::string(a.Str(2)), 1, list);
    return Value(list);
  });
  RegisterFunction("LOGFILE", [](Args& a) {
    std::vector<Value> values;
    if (const xb::Array given = a.Arr(2)) {
      for (const Value& v : given) values.push_back(v);
    } else {
      for (int n = 2; n <= a.Count(); ++n) values.push_back(a.Arg(n));
    }
    LogFile(std::string(a.Str(1)), values);
    return Value();
  });
  RegisterFunction("LOGSTACK", [](Args&) {
    LogStack(1);  // from the caller of LOGSTACK
    return Value();
  });
  RegisterFunction("GETDISKFREESPACEEX", DiskFreeSpace);
}

}  // namespace ui
