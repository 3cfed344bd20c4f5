#include "output/listing_file.h"

#include <commdlg.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "data/program_settings.h"
#include "runtime/function_table.h"
#include "ui/bridge/common_dialogs.h"

namespace output {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

constexpr double kHigh = 2147483648.0;

TFileC& F(Object& o) { return xb::Class::Cast<TFileC>(o); }

std::string TitleOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void SplitNumber(double n, std::int32_t parts[3]) {
  parts[0] = static_cast<std::int32_t>(std::trunc(n / kHigh));
  parts[1] = static_cast<std::int32_t>(std::fmod(std::trunc(n), kHigh));
  parts[2] = static_cast<std::int32_t>(std::fmod(std::trunc(n * 1000), 1000.0));
}

double JoinNumber(const std::int32_t parts[3]) { return parts[0] * kHigh + parts[1] + parts[2] / 1000.0; }

void ChDirExe() {
  std::string folder = data::cPathExe();
  if (folder.size() > 1 && folder[1] == ':') folder[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0])));
  if (!folder.empty()) ::SetCurrentDirectoryA(folder.c_str());
}

HANDLE NOpenFile(const std::string& file, int mode, DWORD* error) {
  DWORD access = GENERIC_READ;
  if ((mode & 3) == OF_WRITE) access = GENERIC_WRITE;
  if ((mode & 3) == OF_READWRITE) access = GENERIC_READ | GENERIC_WRITE;
  const DWORD disposition = (mode & OF_CREATE) != 0 ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE h = ::CreateFileA(file.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (error != nullptr) *error = h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  ChDirExe();
  return h;
}

std::string FicheroTemporal(const std::string& prefix) {
  char name[MAX_PATH] = {};
  if (::GetTempFileNameA(".", prefix.c_str(), 0, name) == 0) return {};
  char full[MAX_PATH] = {};
  ::GetFullPathNameA(name, sizeof full, full, nullptr);
  return full;
}

TFileC::TFileC() : xb::Object(Cls()) {}
TFileC::~TFileC() { Close(); }

void TFileC::New(const NewParams& p) {
  params_ = p;
  nFileAcces = p.access;
  cFileName = p.file;
  cFileTitle = TitleOf(p.file);
  switch (p.mode) {
    case 0:
      if (lGetSaveFileName()) lOpen();
      break;
    case 1:
      if (lGetOpenFileName()) lOpen();
      break;
    case 2:
      lOpen();
      break;
    case 3:
      cFileName = FicheroTemporal(p.prefix);
      cFileTitle = TitleOf(cFileName);
      if (!cFileName.empty()) lOpen();
      break;
    default:
      break;
  }
}

bool TFileC::lGetSaveFileName() {
  ui::FileDialogParams d;
  d.mask = params_.filter;
  d.title = params_.title;
  d.save = true;
  d.long_names = true;
  d.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
  std::string chosen = ui::FileDialog(d);
  if (chosen.empty()) return false;
  if (!params_.default_extension.empty() && TitleOf(chosen).find('.') == std::string::npos)
    chosen += "." + params_.default_extension;
  cFileName = chosen;
  cFileTitle = TitleOf(chosen);
  return true;
}

bool TFileC::lGetOpenFileName() {
  ui::FileDialogParams d;
  d.mask = params_.filter;
  d.title = params_.title;
  d.long_names = true;
  const std::string chosen = ui::FileDialog(d);
  if (chosen.empty()) return false;
  cFileName = chosen;
  cFileTitle = TitleOf(chosen);
  return true;
}

bool TFileC::lOpen() {
  Close();
  DWORD error = 0;
  nHFile = NOpenFile(cFileName, nFileAcces, &error);
  return nHFile != INVALID_HANDLE_VALUE;
}

void TFileC::Close() {
  if (nHFile != INVALID_HANDLE_VALUE) ::CloseHandle(nHFile);
  nHFile = INVALID_HANDLE_VALUE;
}

void TFileC::Remove() {
  if (!IsOpen() && !cFileName.empty()) ::DeleteFileA(cFileName.c_str());
}

int TFileC::nWrite(const xb::Value& value) {
  if (!IsOpen()) return -1;
  DWORD written = 0;
  if (value.IsString()) {
    const std::string_view text = value.AsString();
    ::WriteFile(nHFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return static_cast<int>(written);
  }
  if (value.IsLogical()) {
    const char byte = value.AsLogical() ? 1 : 0;
    ::WriteFile(nHFile, &byte, 1, &written, nullptr);
    return static_cast<int>(written);
  }
  if (value.IsNumber()) {
    std::int32_t parts[3];
    SplitNumber(value.AsDouble(), parts);
    for (std::int32_t part : parts) ::WriteFile(nHFile, &part, sizeof part, &written, nullptr);
    return static_cast<int>(written);
  }
  return -1;
}

int TFileC::nRead(xb::Value& value, char type, int length) {
  if (!IsOpen()) return -1;
  DWORD read = 0;
  switch (type) {
    case 'C': {
      std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
      ::ReadFile(nHFile, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
      text.resize(read);
      value = Value::String(text);
      return static_cast<int>(read);
    }
    case 'L': {
      char byte = 0;
      ::ReadFile(nHFile, &byte, 1, &read, nullptr);
      value = Value::Logical(byte != 0);
      return static_cast<int>(read);
    }
    case 'N': {
      std::int32_t parts[3] = {};
      for (std::int32_t& part : parts) ::ReadFile(nHFile, &part, sizeof part, &read, nullptr);
      value = Value::Number(JoinNumber(parts));
      return static_cast<int>(read);
    }
    default:
      return -1;
  }
}

std::int64_t TFileC::nSeek(std::int64_t offset, int origin) {
  if (!IsOpen()) return -1;
  LARGE_INTEGER to{}, at{};
  to.QuadPart = offset;
  if (!::SetFilePointerEx(nHFile, to, &at, static_cast<DWORD>(origin))) return -1;
  return at.QuadPart;
}

const xb::Class& TFileC::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TFILEC");
    c.Property("NHFILE", [](Object& o) {
      return Value::Integer(F(o).IsOpen() ? reinterpret_cast<std::intptr_t>(F(o).nHFile) : -1);
    }, nullptr);
    c.Data("CFILENAME", &TFileC::cFileName);
    c.Data("CFILETITLE", &TFileC::cFileTitle);
    c.Data("NFILEACCES", &TFileC::nFileAcces);
    // New( cFile, nAccess, nMode, cPrefix )
    c.Method("NEW", [](Object& o, Args& a) {
      TFileC::NewParams p;
      p.file = std::string(a.Str(1));
      if (!a.IsNil(2)) p.access = static_cast<int>(a.Int(2));
      if (!a.IsNil(3)) p.mode = static_cast<int>(a.Int(3));
      if (a.Arg(4).IsString()) p.prefix = std::string(a.Str(4));
      F(o).New(p);
      return o.AsValue();
    });
    c.Method("LGETSAVEFILENAME", [](Object& o, Args&) { return Value::Logical(F(o).lGetSaveFileName()); });
    c.Method("LGETOPENFILENAME", [](Object& o, Args&) { return Value::Logical(F(o).lGetOpenFileName()); });
    c.Method("LOPEN", [](Object& o, Args&) { return Value::Logical(F(o).lOpen()); });
    c.Method("CLOSE", [](Object& o, Args&) { F(o).Close(); return Value(); });
    c.Method("REMOVE", [](Object& o, Args&) { F(o).Remove(); return Value(); });
    c.Method("NWRITE", [](Object& o, Args& a) { return Value::Integer(F(o).nWrite(a.Arg(1))); });
    // nRead( @xValue, cType, nLength )
    c.Method("NREAD", [](Object& o, Args& a) {
      Value value;
      const std::string type(a.Str(2));
      const int n = F(o).nRead(value, type.empty() ? ' ' : type[0], a.IsNil(3) ? 0 : static_cast<int>(a.Int(3)));
      if (n >= 0) a.SetRef(1, value);
      return Value::Integer(n);
    });
    c.Method("NSEEK", [](Object& o, Args& a) {
      return Value::Integer(F(o).nSeek(a.IsNil(1) ? 0 : a.Int(1), a.IsNil(2) ? FILE_BEGIN : static_cast<int>(a.Int(2))));
    });
    return c;
  }();
  return cls;
}

void RegisterListingFile() {
  (void)TFileC::Cls();
  using xb::RegisterFunction;
  RegisterFunction("TFILEC", [](Args&) { return Value(xb::MakeRef<TFileC>()); });
  RegisterFunction("CHDIREXE", [](Args&) {
    ChDirExe();
    return Value();
  });
  RegisterFunction("FICHEROTEMPORAL", [](Args& a) {
    return Value::String(FicheroTemporal(a.Arg(1).IsString() ? std::string(a.Str(1)) : "SDE"));
  });
  RegisterFunction("NOPENFILE", [](Args& a) {
    DWORD error = 0;
    HANDLE h = NOpenFile(std::string(a.Str(1)), static_cast<int>(a.Int(2)), &error);
    if (xb::Array info = a.Arr(3)) {
      info.Resize(4);
      info[0] = Value::Integer(sizeof(OFSTRUCT));
      info[1] = Value::Integer(1);
      info[2] = Value::Integer(static_cast<std::int64_t>(error));
      char full[MAX_PATH] = {};
      ::GetFullPathNameA(std::string(a.Str(1)).c_str(), sizeof full, full, nullptr);
      info[3] = Value::String(full);
    }
    return Value::Integer(h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h));
  });
  RegisterFunction("CLOSEFILE", [](Args& a) {
    return Value::Logical(::CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(a.Int(1)))) != 0);
  });
  RegisterFunction("DELETEFILE", [](Args& a) { return Value::Logical(::DeleteFileA(std::string(a.Str(1)).c_str()) != 0); });
}

}  // namespace output
