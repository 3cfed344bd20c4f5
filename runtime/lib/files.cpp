// File functions: FILE FERASE FRENAME FOPEN FCREATE FREAD FREADSTR FWRITE FSEEK FCLOSE
// FERROR MEMOREAD MEMOWRIT DIRECTORY MAKEDIR DIRREMOVE DIRCHANGE CURDIR DISKNAME
// __COPYFILE. Handles are small numbers of the runtime's own (0-2 are the standard
// streams); every function sets FERROR.
#include "runtime/lib/files.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/library.h"
#include "runtime/lib/os_files.h"
#include "runtime/lib/paths.h"
#include "runtime/lib/strings.h"
#include "runtime/sets.h"

namespace xb {

namespace {

int g_ferror = 0;

int SetError(int code) {
  g_ferror = code;
  return code;
}

// Open files by the handle number xBase code holds.
class HandleTable {
 public:
  static constexpr int kFirst = 5;

  int Add(os::Handle h) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      if (!slots_[i]) {
        slots_[i] = h;
        return static_cast<int>(i) + kFirst;
      }
    }
    slots_.push_back(h);
    return static_cast<int>(slots_.size()) - 1 + kFirst;
  }

  std::optional<os::Handle> Find(std::int64_t n) const {
    if (n >= 0 && n <= 2) return os::StandardHandle(static_cast<int>(n));
    if (n < kFirst || n - kFirst >= static_cast<std::int64_t>(slots_.size())) return std::nullopt;
    return slots_[static_cast<std::size_t>(n - kFirst)];
  }

  void Remove(std::int64_t n) {
    if (n >= kFirst && n - kFirst < static_cast<std::int64_t>(slots_.size())) slots_[static_cast<std::size_t>(n - kFirst)].reset();
  }

 private:
  std::vector<std::optional<os::Handle>> slots_;
};

HandleTable& Handles() {
  static auto* t = new HandleTable;
  return *t;
}

std::optional<os::Handle> HandleArg(const Args& a) {
  if (!a.Arg(1).IsNumber()) return std::nullopt;
  return Handles().Find(a.Int(1));
}

Value FnFOpen(Args& a) {
  if (!a.Arg(1).IsString()) return ArgumentError("FOPEN", 2021, a.Raw());
  os::Handle h;
  int mode = a.Arg(2).IsNumber() ? static_cast<int>(a.Int(2)) : os::kRead;
  if (SetError(os::Open(std::string(a.Str(1)), mode, &h)) != os::kOk) return Value::Integer(-1);
  return Value::Integer(Handles().Add(h));
}

Value FnFCreate(Args& a) {
  if (!a.Arg(1).IsString()) return ArgumentError("FCREATE", 2022, a.Raw());
  os::Handle h;
  if (SetError(os::Create(std::string(a.Str(1)), static_cast<int>(a.Int(2)), &h)) != os::kOk) return Value::Integer(-1);
  return Value::Integer(Handles().Add(h));
}

// FREAD(handle, @buffer, bytes): reads into the caller's string, at most its length.
Value FnFRead(Args& a) {
  std::optional<os::Handle> h = HandleArg(a);
  if (!h || !a.Arg(2).IsString() || !a.IsByRef(2) || !a.Arg(3).IsNumber()) {
    SetError(h ? os::kOk : os::kInvalidHandle);
    return Value::Integer(0);
  }
  std::string buffer(a.Str(2));
  std::int64_t want = a.Int(3);
  std::size_t n = want <= 0 ? 0 : std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(want));
  std::size_t got = 0;
  SetError(os::Read(*h, buffer.data(), n, &got));
  if (got > 0) a.SetRef(2, Value::String(buffer));
  return Value::Integer(static_cast<std::int64_t>(got));
}

// FREADSTR(handle, bytes): the bytes read, up to the first CHR(0).
Value FnFReadStr(Args& a) {
  std::optional<os::Handle> h = HandleArg(a);
  std::int64_t want = a.Int(2);
  if (!h || want <= 0) {
    SetError(h ? os::kOk : os::kInvalidHandle);
    return Value::String("");
  }
  std::string buffer(static_cast<std::size_t>(std::min<std::int64_t>(want, kMaxLibraryString)), '\0');
  std::size_t got = 0;
  SetError(os::Read(*h, buffer.data(), buffer.size(), &got));
  buffer.resize(got);
  std::size_t nul = buffer.find('\0');
  if (nul != std::string::npos) buffer.resize(nul);
  return Value::String(buffer);
}

Value FnFWrite(Args& a) {
  std::optional<os::Handle> h = HandleArg(a);
  if (!h || !a.Arg(2).IsString()) {
    SetError(h ? os::kOk : os::kInvalidHandle);
    return Value::Integer(0);
  }
  std::string_view s = a.Str(2);
  if (a.Arg(3).IsNumber()) {
    std::int64_t n = a.Int(3);
    s = s.substr(0, n <= 0 ? 0 : std::min<std::size_t>(s.size(), static_cast<std::size_t>(n)));
  }
  std::size_t written = 0;
  SetError(os::Write(*h, s.data(), s.size(), &written));
  return Value::Integer(static_cast<std::int64_t>(written));
}

// FSEEK(handle, offset, origin): the new position; on failure the position stays.
Value FnFSeek(Args& a) {
  std::optional<os::Handle> h = HandleArg(a);
  if (!h || !a.Arg(2).IsNumber()) {
    SetError(h ? os::kInvalidParameter : os::kInvalidHandle);
    return Value::Integer(0);
  }
  int origin = static_cast<int>(a.Int(3));
  std::int64_t pos = 0;
  if (SetError(os::Seek(*h, a.Int(2), origin < 0 || origin > 2 ? 0 : origin, &pos)) != os::kOk) {
    std::int64_t here = 0;
    os::Seek(*h, 0, 1, &here);
    return Value::Integer(here);
  }
  return Value::Integer(pos);
}

Value FnFClose(Args& a) {
  if (!a.Arg(1).IsNumber()) return Value::Logical(SetError(os::kInvalidHandle) == os::kOk);
  std::int64_t n = a.Int(1);
  if (n >= 0 && n <= 2) return Value::Logical(SetError(os::kOk) == os::kOk);
  std::optional<os::Handle> h = Handles().Find(n);
  if (!h) return Value::Logical(SetError(os::kInvalidHandle) == os::kOk);
  Handles().Remove(n);
  return Value::Logical(SetError(os::Close(*h)) == os::kOk);
}

Value FnFError(Args&) { return Value::Integer(g_ferror); }

Value FnFErase(Args& a) {
  if (!a.Arg(1).IsString()) {
    SetError(os::kFileNotFound);
    return Value::Integer(-1);
  }
  return Value::Integer(SetError(os::Remove(std::string(a.Str(1)))) == os::kOk ? 0 : -1);
}

Value FnFRename(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsString()) {
    SetError(os::kFileNotFound);
    return Value::Integer(-1);
  }
  return Value::Integer(SetError(os::Rename(std::string(a.Str(1)), std::string(a.Str(2)))) == os::kOk ? 0 : -1);
}

Value FnFile(Args& a) { return Value::Logical(a.Arg(1).IsString() && FileExists(a.Str(1))); }

Value FnMemoRead(Args& a) {
  if (!a.Arg(1).IsString()) return Value::String("");
  std::optional<std::string> s = ReadWholeFile(a.Str(1));
  return Value::String(s ? *s : std::string());
}

Value FnMemoWrit(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsString()) return Value::Logical(false);
  return Value::Logical(WriteWholeFile(a.Str(1), a.Str(2), a.Log(3, true)));
}

Value FnDirectory(Args& a) { return Value(Directory(a.Str(1), a.Str(2))); }

Value DirFunction(Args& a, int (*op)(const std::string&)) {
  if (!a.Arg(1).IsString()) return Value::Integer(SetError(os::kPathNotFound));
  return Value::Integer(SetError(op(std::string(a.Str(1)))));
}
Value FnMakeDir(Args& a) { return DirFunction(a, os::MakeDir); }
Value FnDirRemove(Args& a) { return DirFunction(a, os::RemoveDir); }
Value FnDirChange(Args& a) { return DirFunction(a, os::ChangeDir); }

// CURDIR(): the current folder without its drive and first backslash ("VDR\BIN").
Value FnCurDir(Args&) {
  std::string d = os::CurrentDir();
  std::size_t skip = d.size() >= 2 && d[1] == ':' ? 2 : 0;
  while (skip < d.size() && IsPathSeparator(d[skip])) ++skip;
  std::string rest = d.substr(skip);
  while (!rest.empty() && IsPathSeparator(rest.back())) rest.pop_back();
  return Value::String(rest);
}

Value FnDiskName(Args&) {
  std::string d = os::CurrentDir();
  return Value::String(d.size() >= 2 && d[1] == ':' ? d.substr(0, 1) : std::string("C"));
}

// Raises an open or create error that the error block may retry; false when it takes the default.
bool RetryAfter(int genCode, int subCode, const std::string& name, int osCode, ErrorRef& e) {
  if (!e) {
    e = MakeError("BASE", genCode, subCode, name);
    e->filename = name;
    e->canRetry = true;
    e->canDefault = true;
  }
  e->osCode = osCode;
  return Raise(e) == Recovery::Retry;
}

// __COPYFILE(source, target): SET DEFAULT applies to names without a folder.
Value FnCopyFile(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsString()) return RaiseBaseError(EG_ARG, 2010, "__COPYFILE", a.Raw());
  std::string from = WithDefaultFolder(a.Str(1)), to = WithDefaultFolder(a.Str(2));
  os::Handle src, dst;
  ErrorRef openErr, createErr, writeErr;
  for (int rc; (rc = os::Open(from, os::kRead | os::kShareDenyWrite, &src)) != os::kOk;)
    if (!RetryAfter(EG_OPEN, 2012, from, SetError(rc), openErr)) return Value::Logical(false);
  for (int rc; (rc = os::Create(to, os::kAttrNormal, &dst)) != os::kOk;) {
    if (!RetryAfter(EG_CREATE, 2012, to, SetError(rc), createErr)) {
      os::Close(src);
      return Value::Logical(false);
    }
  }
  std::vector<char> buf(64 * 1024);
  bool ok = true;
  for (;;) {
    std::size_t got = 0, written = 0;
    int rc = os::Read(src, buf.data(), buf.size(), &got);
    if (rc != os::kOk) {
      SetError(rc);
      ok = false;
      break;
    }
    if (got == 0) break;
    rc = os::Write(dst, buf.data(), got, &written);
    if (rc != os::kOk || written != got) {
      ErrorRef e = MakeError("BASE", EG_WRITE, 2016, to);
      e->filename = to;
      e->osCode = SetError(rc == os::kOk ? os::kDiskFull : rc);
      e->canDefault = true;
      Raise(e);
      ok = false;
      break;
    }
  }
  os::Close(src);
  os::Close(dst);
  if (ok) SetError(os::kOk);
  return Value::Logical(ok);
}

// The folders FILE() looks in for a name without one.
std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders{Sets().defaultPath};
  const std::string& path = Sets().path;
  std::size_t b = 0;
  while (b <= path.size()) {
    std::size_t e = path.find_first_of(";,", b);
    if (e == std::string::npos) e = path.size();
    std::string_view f = AllTrim(std::string_view(path).substr(b, e - b));
    if (!f.empty()) folders.emplace_back(f);
    b = e + 1;
  }
  return folders;
}

bool AnyFileIn(const std::string& folder, std::string_view pattern) {
  if (!HasWildcards(pattern)) {
    os::DirEntry e;
    return os::Stat(folder + std::string(pattern), &e) == os::kOk && !e.directory;
  }
  std::vector<os::DirEntry> entries;
  if (os::ListDir(folder, &entries) != os::kOk) return false;
  return std::any_of(entries.begin(), entries.end(),
                     [&](const os::DirEntry& e) { return !e.directory && MatchesWildcard(e.name, pattern); });
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && !IsPathSeparator(folder.back()) && folder.back() != ':') folder += '\\';
  return folder;
}

}  // namespace

int FileError() { return g_ferror; }

bool FileExists(std::string_view name) {
  if (name.empty()) return false;
  std::size_t cut = FolderLength(name);
  std::string_view pattern = name.substr(cut);
  if (pattern.empty()) return false;
  if (cut > 0) return AnyFileIn(std::string(name.substr(0, cut)), pattern);
  for (const std::string& folder : SearchFolders())
    if (AnyFileIn(WithSeparator(folder), pattern)) return true;
  return false;
}

std::optional<std::string> ReadWholeFile(std::string_view name) {
  os::Handle h;
  if (SetError(os::Open(std::string(name), os::kRead | os::kShareDenyNone, &h)) != os::kOk) return std::nullopt;
  std::int64_t size = 0, start = 0;
  os::Seek(h, 0, 2, &size);
  os::Seek(h, 0, 0, &start);
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxLibraryString) {
    os::Close(h);
    SetError(os::kReadFault);
    return std::nullopt;
  }
  std::string s(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  int rc = os::Read(h, s.data(), s.size(), &got);
  os::Close(h);
  if (SetError(rc) != os::kOk) return std::nullopt;
  s.resize(got);
  if (!s.empty() && s.back() == '\x1A') s.pop_back();
  return s;
}

bool WriteWholeFile(std::string_view name, std::string_view text, bool eofMark) {
  os::Handle h;
  if (SetError(os::Create(std::string(name), os::kAttrNormal, &h)) != os::kOk) return false;
  std::size_t written = 0;
  int rc = os::Write(h, text.data(), text.size(), &written);
  if (eofMark && rc == os::kOk) {
    std::size_t n = 0;
    rc = os::Write(h, "\x1A", 1, &n);
  }
  int closed = os::Close(h);
  return SetError(rc != os::kOk ? rc : closed) == os::kOk;
}

Array Directory(std::string_view maskIn, std::string_view attributes) {
  std::string mask(maskIn.empty() ? std::string_view("*.*") : maskIn);
  if (IsPathSeparator(mask.back()) || mask.back() == ':') mask += "*.*";
  std::size_t cut = FolderLength(mask);
  std::string folder = mask.substr(0, cut), pattern = mask.substr(cut);
  bool wantDirs = false, wantHidden = false, wantSystem = false;
  for (char c : attributes) {
    char u = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    wantDirs |= u == 'D';
    wantHidden |= u == 'H';
    wantSystem |= u == 'S';
  }
  std::vector<os::DirEntry> entries;
  Array out = Array::New();
  if (SetError(os::ListDir(folder, &entries)) != os::kOk) return out;
  std::stable_sort(entries.begin(), entries.end(), [](const os::DirEntry& x, const os::DirEntry& y) {
    bool dotsX = x.name == "." || x.name == "..", dotsY = y.name == "." || y.name == "..";
    if (dotsX != dotsY) return dotsX;
    return NameLess(x.name, y.name);
  });
  for (const os::DirEntry& e : entries) {
    if ((e.directory && !wantDirs) || (e.hidden && !wantHidden) || (e.system && !wantSystem)) continue;
    if (!MatchesWildcard(e.name, pattern)) continue;
    std::string attr;
    if (e.readOnly) attr += 'R';
    if (e.hidden) attr += 'H';
    if (e.system) attr += 'S';
    if (e.directory) attr += 'D';
    if (e.archive) attr += 'A';
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", e.modified.hour % 100, e.modified.minute % 100,
                  e.modified.second % 100);
    out.Append(Value(Array::Of({Value::String(e.name), Value::Integer(static_cast<std::int64_t>(e.size)),
                                Value::FromDate(Date::FromYmd(e.modified.year, e.modified.month, e.modified.day)),
                                Value::String(time), Value::String(attr)})));
  }
  return out;
}

void RegisterFileFunctions() {
  RegisterFunction("FILE", FnFile);
  RegisterFunction("FERASE", FnFErase);
  RegisterFunction("FRENAME", FnFRename);
  RegisterFunction("FOPEN", FnFOpen);
  RegisterFunction("FCREATE", FnFCreate);
  RegisterFunction("FREAD", FnFRead);
  RegisterFunction("FREADSTR", FnFReadStr);
  RegisterFunction("FWRITE", FnFWrite);
  RegisterFunction("FSEEK", FnFSeek);
  RegisterFunction("FCLOSE", FnFClose);
  RegisterFunction("FERROR", FnFError);
  RegisterFunction("MEMOREAD", FnMemoRead);
  RegisterFunction("MEMOWRIT", FnMemoWrit);
  RegisterFunction("DIRECTORY", FnDirectory);
  RegisterFunction("MAKEDIR", FnMakeDir);
  RegisterFunction("DIRREMOVE", FnDirRemove);
  RegisterFunction("DIRCHANGE", FnDirChange);
  RegisterFunction("CURDIR", FnCurDir);
  RegisterFunction("DISKNAME", FnDiskName);
  RegisterFunction("__COPYFILE", FnCopyFile);
}

}  // namespace xb
