#include "output/listing_file.h"

#include <commdlg.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/program_settings.h"
#include "runtime/function_table.h"
#include "ui/bridge/message_loop.h"

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

// Item n (from 1) of a description: its text, or its number.
std::string ItemText(const xb::Array& d, int n) {
  const Value& v = d.Get(static_cast<std::size_t>(n - 1));
  return v.IsString() ? std::string(v.AsString()) : std::string();
}
int ItemNumber(const xb::Array& d, int n) {
  const Value& v = d.Get(static_cast<std::size_t>(n - 1));
  return v.IsNumber() ? static_cast<int>(v.AsInt()) : 0;
}

// A buffer of at least `size` bytes (and MAX_PATH) starting with `text`, NUL-terminated.
std::vector<char> Buffer(const std::string& text, int size) {
  std::vector<char> b(std::max<std::size_t>({static_cast<std::size_t>(std::max(size, 0)), MAX_PATH, text.size() + 1}),
                      '\0');
  std::memcpy(b.data(), text.data(), text.size());
  return b;
}

bool FileDialogOn(const xb::Array& d, HWND owner, const std::string& title, bool save) {
  if (!d) return false;
  if (d.size() < kOpenFnItems) d.Resize(kOpenFnItems);
  // The filter's pairs end each with a NUL, the list with two.
  std::string filter = ItemText(d, kFnFilter);
  if (filter.find('\0') == std::string::npos)
    for (char& c : filter)
      if (c == '|') c = '\0';
  while (filter.size() < 2 || filter[filter.size() - 1] != '\0' || filter[filter.size() - 2] != '\0')
    filter.push_back('\0');
  const std::string custom = ItemText(d, kFnCustomFilter);
  std::vector<char> custom_buffer = Buffer(custom, ItemNumber(d, kFnCustomSize));
  std::vector<char> file = Buffer(ItemText(d, kFnFile), ItemNumber(d, kFnFileSize));
  std::vector<char> file_title = Buffer(ItemText(d, kFnTitle), ItemNumber(d, kFnTitleSize));
  const std::string folder = ItemText(d, kFnInitialDir);
  const std::string dialog_title = title.empty() ? ItemText(d, kFnDialogTitle) : title;
  const std::string extension = ItemText(d, kFnDefaultExtension);

  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = owner != nullptr ? owner : ::GetActiveWindow();
  record.lpstrFilter = filter.size() > 2 ? filter.c_str() : nullptr;
  record.lpstrCustomFilter = custom.empty() ? nullptr : custom_buffer.data();
  record.nMaxCustFilter = custom.empty() ? 0 : static_cast<DWORD>(custom_buffer.size());
  record.nFilterIndex = static_cast<DWORD>(std::max(ItemNumber(d, kFnFilterIndex), 0));
  record.lpstrFile = file.data();
  record.nMaxFile = static_cast<DWORD>(file.size());
  record.lpstrFileTitle = file_title.data();
  record.nMaxFileTitle = static_cast<DWORD>(file_title.size());
  record.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  record.lpstrTitle = dialog_title.empty() ? nullptr : dialog_title.c_str();
  record.Flags = static_cast<DWORD>(ItemNumber(d, kFnFlags));
  record.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  const bool ok = (save ? ::GetSaveFileNameA(&record) : ::GetOpenFileNameA(&record)) != FALSE;
  if (!ok) return false;
  d[kFnFile - 1] = Value::String(file.data());
  d[kFnTitle - 1] = Value::String(file_title.data());
  d[kFnFilterIndex - 1] = Value::Integer(record.nFilterIndex);
  d[kFnFileOffset - 1] = Value::Integer(record.nFileOffset);
  d[kFnExtensionOffset - 1] = Value::Integer(record.nFileExtension);
  if (!custom.empty()) d[kFnCustomFilter - 1] = Value::String(custom_buffer.data());
  return true;
}

}  // namespace

xb::Array OpenFnOf(const std::string& filter, const std::string& default_extension, DWORD flags) {
  xb::Array d = xb::Array::New(kOpenFnItems);
  for (std::size_t i = 0; i < d.size(); ++i) d[i] = Value::String("");
  d[kFnFilter - 1] = Value::String(filter);
  for (int n : {kFnCustomSize, kFnFilterIndex, kFnFileSize, kFnTitleSize, kFnFlags, kFnFileOffset, kFnExtensionOffset})
    d[static_cast<std::size_t>(n - 1)] = Value::Integer(0);
  d[kFnFilterIndex - 1] = Value::Integer(1);
  d[kFnFileSize - 1] = Value::Integer(MAX_PATH);
  d[kFnTitleSize - 1] = Value::Integer(MAX_PATH);
  d[kFnFlags - 1] = Value::Integer(flags);
  d[kFnDefaultExtension - 1] = Value::String(default_extension);
  return d;
}

bool GetSaveFn(xb::Array description, HWND owner, const std::string& title) {
  return FileDialogOn(description, owner, title, true);
}

bool GetOpenFn(xb::Array description, HWND owner, const std::string& title) {
  return FileDialogOn(description, owner, title, false);
}

int NWriteFile(HANDLE h, const Value& value, char type) {
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return -1;
  if (type == 0) type = value.IsString() ? 'C' : (value.IsLogical() ? 'L' : (value.IsNumber() ? 'N' : ' '));
  DWORD written = 0;
  switch (type) {
    case 'C': {
      if (!value.IsString()) return -1;
      const std::string_view text = value.AsString();
      ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      return static_cast<int>(written);
    }
    case 'L': {
      if (!value.IsLogical()) return -1;
      const char byte = value.AsLogical() ? 1 : 0;
      ::WriteFile(h, &byte, 1, &written, nullptr);
      return static_cast<int>(written);
    }
    case 'N': {
      if (!value.IsNumber()) return -1;
      std::int32_t parts[3];
      SplitNumber(value.AsDouble(), parts);
      for (std::int32_t part : parts) ::WriteFile(h, &part, sizeof part, &written, nullptr);
      return static_cast<int>(written);
    }
    default:
      return -1;
  }
}

int NReadFile(HANDLE h, Value& value, char type, int length) {
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return -1;
  DWORD read = 0;
  switch (type) {
    case 'C': {
      std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
      ::ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
      text.resize(read);
      value = Value::String(text);
      return static_cast<int>(read);
    }
    case 'L': {
      char byte = 0;
      ::ReadFile(h, &byte, 1, &read, nullptr);
      value = Value::Logical(byte != 0);
      return static_cast<int>(read);
    }
    case 'N': {
      std::int32_t parts[3] = {};
      for (std::int32_t& part : parts) ::ReadFile(h, &part, sizeof part, &read, nullptr);
      value = Value::Number(JoinNumber(parts));
      return static_cast<int>(read);
    }
    default:
      return -1;
  }
}

std::int64_t NSeekFile(HANDLE h, std::int64_t offset, int origin) {
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return -1;
  LARGE_INTEGER to{}, at{};
  to.QuadPart = offset;
  if (!::SetFilePointerEx(h, to, &at, static_cast<DWORD>(origin))) return -1;
  return at.QuadPart;
}

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

void FillOpenInfo(xb::Array info, const std::string& file, DWORD error) {
  if (!info) return;
  info.Resize(4);
  info[0] = Value::Integer(sizeof(OFSTRUCT));
  info[1] = Value::Integer(1);
  info[2] = Value::Integer(static_cast<std::int64_t>(error));
  char full[MAX_PATH] = {};
  ::GetFullPathNameA(file.c_str(), sizeof full, full, nullptr);
  info[3] = Value::String(full);
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
  aOpenFN = p.open_fn ? p.open_fn
                      : OpenFnOf(p.filter, p.default_extension,
                                 OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES);
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
  if (!aOpenFN) aOpenFN = OpenFnOf(params_.filter, params_.default_extension, 0);
  if (!GetSaveFn(aOpenFN, ui::GetWndApp(), params_.title)) return false;
  cFileName = ItemText(aOpenFN, kFnFile);
  // A name typed without extension takes the default one.
  const std::string extension = ItemText(aOpenFN, kFnDefaultExtension);
  if (!extension.empty() && TitleOf(cFileName).find('.') == std::string::npos) cFileName += "." + extension;
  cFileTitle = TitleOf(cFileName);
  return !cFileName.empty();
}

bool TFileC::lGetOpenFileName() {
  if (!aOpenFN) aOpenFN = OpenFnOf(params_.filter, params_.default_extension, 0);
  if (!GetOpenFn(aOpenFN)) return false;
  cFileName = ItemText(aOpenFN, kFnFile);
  cFileTitle = ItemText(aOpenFN, kFnTitle);
  if (cFileTitle.empty()) cFileTitle = TitleOf(cFileName);
  return !cFileName.empty();
}

bool TFileC::lOpen() {
  Close();
  DWORD error = 0;
  nHFile = NOpenFile(cFileName, nFileAcces, &error);
  if (!aOpenInfo) aOpenInfo = xb::Array::New(4);
  FillOpenInfo(aOpenInfo, cFileName, error);
  return nHFile != INVALID_HANDLE_VALUE;
}

void TFileC::Close() {
  if (nHFile != INVALID_HANDLE_VALUE) ::CloseHandle(nHFile);
  nHFile = INVALID_HANDLE_VALUE;
}

void TFileC::Remove() {
  if (!IsOpen() && !cFileName.empty()) ::DeleteFileA(cFileName.c_str());
}

int TFileC::nWrite(const xb::Value& value) { return IsOpen() ? NWriteFile(nHFile, value) : -1; }

int TFileC::nRead(xb::Value& value, char type, int length) {
  return IsOpen() ? NReadFile(nHFile, value, type, length) : -1;
}

std::int64_t TFileC::nSeek(std::int64_t offset, int origin) { return IsOpen() ? NSeekFile(nHFile, offset, origin) : -1; }

const xb::Class& TFileC::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TFILEC");
    c.Property("NHFILE", [](Object& o) {
      return Value::Integer(F(o).IsOpen() ? reinterpret_cast<std::intptr_t>(F(o).nHFile) : -1);
    }, nullptr);
    c.Data("CFILENAME", &TFileC::cFileName);
    c.Data("CFILETITLE", &TFileC::cFileTitle);
    c.Data("NFILEACCES", &TFileC::nFileAcces);
    c.Property("AOPENINFO", [](Object& o) { return F(o).aOpenInfo ? Value(F(o).aOpenInfo) : Value(); }, nullptr);
    c.Property("AOPENFN", [](Object& o) { return F(o).aOpenFN ? Value(F(o).aOpenFN) : Value(); },
               [](Object& o, const Value& v) { F(o).aOpenFN = v.IsArray() ? v.AsArray() : xb::Array(); });
    // New( cFile, nAccess, nMode, cPrefix, aOpenFN )
    c.Method("NEW", [](Object& o, Args& a) {
      TFileC::NewParams p;
      p.file = std::string(a.Str(1));
      if (!a.IsNil(2)) p.access = static_cast<int>(a.Int(2));
      if (!a.IsNil(3)) p.mode = static_cast<int>(a.Int(3));
      if (a.Arg(4).IsString()) p.prefix = std::string(a.Str(4));
      if (a.Arg(5).IsArray()) p.open_fn = a.Arr(5);
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
    FillOpenInfo(a.Arr(3), std::string(a.Str(1)), error);
    return Value::Integer(h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h));
  });
  RegisterFunction("CLOSEFILE", [](Args& a) {
    return Value::Logical(::CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(a.Int(1)))) != 0);
  });
  RegisterFunction("DELETEFILE", [](Args& a) { return Value::Logical(::DeleteFileA(std::string(a.Str(1)).c_str()) != 0); });
  // NWRITEFILE( nHandle, xValue, cType ), NREADFILE( nHandle, @xValue, cType, nLength ),
  // NSEEKFILE( nHandle, nOffset, nOrigin )
  auto handle = [](const Args& a) {
    return a.Arg(1).IsNumber() ? reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(a.Int(1))) : INVALID_HANDLE_VALUE;
  };
  auto type = [](const Args& a, int n) {
    const std::string t(a.Arg(n).IsString() ? a.Str(n) : std::string_view());
    return t.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
  };
  RegisterFunction("NWRITEFILE", [handle, type](Args& a) {
    return Value::Integer(NWriteFile(handle(a), a.Arg(2), type(a, 3)));
  });
  RegisterFunction("NREADFILE", [handle, type](Args& a) {
    Value value;
    const int n = NReadFile(handle(a), value, type(a, 3), a.IsNil(4) ? 0 : static_cast<int>(a.Int(4)));
    if (n >= 0) a.SetRef(2, value);
    return Value::Integer(n);
  });
  RegisterFunction("NSEEKFILE", [handle](Args& a) {
    return Value::Integer(
        NSeekFile(handle(a), a.IsNil(2) ? 0 : a.Int(2), a.IsNil(3) ? FILE_BEGIN : static_cast<int>(a.Int(3))));
  });
  // GETSAVEFN( aOpenFN, @lOk, hWndOwner, cTitle ), GETOPENFN( aOpenFN, @lOk ): the description,
  // filled in on OK.
  RegisterFunction("GETSAVEFN", [](Args& a) {
    const xb::Array d = a.Arr(1);
    const bool ok = GetSaveFn(d, reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.IsNil(3) ? 0 : a.Int(3))),
                              a.Arg(4).IsString() ? std::string(a.Str(4)) : std::string());
    a.SetRef(2, Value::Logical(ok));
    return d ? Value(d) : Value();
  });
  RegisterFunction("GETOPENFN", [](Args& a) {
    const xb::Array d = a.Arr(1);
    const bool ok = GetOpenFn(d);
    a.SetRef(2, Value::Logical(ok));
    return d ? Value(d) : Value();
  });
}

}  // namespace output
