// String functions: SUBSTR LEFT RIGHT AT RAT STUFF STRTRAN REPLICATE SPACE PADR PADL PADC
// TRIM RTRIM LTRIM ALLTRIM UPPER LOWER ISALPHA ISDIGIT ISUPPER ISLOWER CHR ASC DESCEND
// TRANSFORM. Argument errors carry the subcodes xBase gives them; functions that xBase
// lets pass quietly (RIGHT, RAT, STUFF, PADR ...) answer "" or 0 instead.
#include "runtime/lib/strings.h"

#include <algorithm>

#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/library.h"
#include "runtime/lib/picture.h"
#include "runtime/number.h"

namespace xb {

namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

Value Overflow(std::string_view fn, const Args& a) { return RaiseBaseError(EG_STROVERFLOW, 1234, fn, a.Raw()); }

Value FnSubStr(Args& a) {
  const Value& s = a.Arg(1);
  if (!s.IsString() || !a.Arg(2).IsNumber() || (a.Count() >= 3 && !a.Arg(3).IsNumber()))
    return ArgumentError("SUBSTR", 1110, a.Raw());
  return Value::String(SubStr(s.AsString(), a.Int(2), a.Count() >= 3 ? a.Int(3) : INT64_MAX));
}

Value FnLeft(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsNumber()) return ArgumentError("LEFT", 1124, a.Raw());
  return Value::String(Left(a.Str(1), a.Int(2)));
}

Value FnRight(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsNumber()) return Value::String("");
  return Value::String(Right(a.Str(1), a.Int(2)));
}

Value FnAt(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsString()) return ArgumentError("AT", 1108, a.Raw());
  return Value::Integer(static_cast<std::int64_t>(
      At(a.Str(1), a.Str(2), a.Int(3, 1), a.Arg(4).IsNumber() ? a.Int(4) : INT64_MAX)));
}

Value FnRAt(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsString()) return Value::Integer(0);
  return Value::Integer(static_cast<std::int64_t>(RAt(a.Str(1), a.Str(2))));
}

Value FnStuff(Args& a) {
  if (!a.Arg(1).IsString()) return Value::String("");
  return Value::String(Stuff(a.Str(1), a.Int(2), a.Int(3), a.Str(4)));
}

Value FnStrTran(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsString()) return ArgumentError("STRTRAN", 1126, a.Raw());
  std::string_view s = a.Str(1), search = a.Str(2), repl = a.Str(3);
  std::int64_t start = a.Arg(4).IsNumber() ? a.Int(4) : 1;
  std::int64_t count = a.Arg(5).IsNumber() ? a.Int(5) : -1;
  if (repl.size() > search.size() && !search.empty() &&
      s.size() / search.size() * (repl.size() - search.size()) > kMaxLibraryString)
    return Overflow("STRTRAN", a);
  return Value::String(StrTran(s, search, repl, start, count));
}

Value FnReplicate(Args& a) {
  if (!a.Arg(1).IsString() || !a.Arg(2).IsNumber()) return ArgumentError("REPLICATE", 1106, a.Raw());
  std::string_view s = a.Str(1);
  std::int64_t n = a.Int(2);
  if (n <= 0 || s.empty()) return Value::String("");
  if (static_cast<std::uint64_t>(n) > kMaxLibraryString / s.size()) return Overflow("REPLICATE", a);
  std::string out;
  out.reserve(s.size() * static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) out.append(s);
  return Value::String(out);
}

Value FnSpace(Args& a) {
  if (!a.Arg(1).IsNumber()) return ArgumentError("SPACE", 1105, a.Raw());
  std::int64_t n = a.Int(1);
  if (n <= 0) return Value::String("");
  if (static_cast<std::uint64_t>(n) > kMaxLibraryString) return Overflow("SPACE", a);
  return Value::String(std::string(static_cast<std::size_t>(n), ' '));
}

using PadFn = std::string (*)(std::string_view, std::int64_t, char);

Value Pad(Args& a, std::string_view name, PadFn pad) {
  std::int64_t width = a.Int(2);
  std::string text;
  if (width <= 0 || !PadText(a.Arg(1), text)) return Value::String("");
  if (static_cast<std::uint64_t>(width) > kMaxLibraryString) return Overflow(name, a);
  std::string_view fill = a.Str(3);
  return Value::String(pad(text, width, fill.empty() ? ' ' : fill[0]));
}
Value FnPadR(Args& a) { return Pad(a, "PADR", PadR); }
Value FnPadL(Args& a) { return Pad(a, "PADL", PadL); }
Value FnPadC(Args& a) { return Pad(a, "PADC", PadC); }

// TRIM and RTRIM are one function under two names.
Value TrimRight(Args& a, std::string_view name) {
  if (!a.Arg(1).IsString()) return ArgumentError(name, 1100, a.Raw());
  return Value::String(RTrim(a.Str(1)));
}
Value FnTrim(Args& a) { return TrimRight(a, "TRIM"); }
Value FnRTrim(Args& a) { return TrimRight(a, "RTRIM"); }

Value FnLTrim(Args& a) {
  if (!a.Arg(1).IsString()) return ArgumentError("LTRIM", 1101, a.Raw());
  return Value::String(LTrim(a.Str(1)));
}

Value FnAllTrim(Args& a) {
  if (!a.Arg(1).IsString()) return ArgumentError("ALLTRIM", 2022, a.Raw());
  return Value::String(AllTrim(a.Str(1)));
}

// UPPER and LOWER map every byte through the current code page's table.
Value MapBytes(Args& a, std::string_view name, int subcode, const unsigned char (&table)[256]) {
  if (!a.Arg(1).IsString()) return ArgumentError(name, subcode, a.Raw());
  const std::string_view s = a.Str(1);
  char* out;
  Value r = Value::NewString(s.size(), &out);
  for (char c : s) *out++ = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return r;
}
Value FnUpper(Args& a) { return MapBytes(a, "UPPER", 1102, CurrentCodePage().upper); }
Value FnLower(Args& a) { return MapBytes(a, "LOWER", 1103, CurrentCodePage().lower); }

// The string forms of UPPER, LOWER and the trims, for text built in one buffer.
void MapInPlace(std::string& out, std::size_t from, const unsigned char (&table)[256]) {
  for (std::size_t i = from; i < out.size(); ++i) out[i] = static_cast<char>(table[static_cast<unsigned char>(out[i])]);
}
void UpperInPlace(std::string& out, std::size_t from) { MapInPlace(out, from, CurrentCodePage().upper); }
void LowerInPlace(std::string& out, std::size_t from) { MapInPlace(out, from, CurrentCodePage().lower); }
void KeepInPlace(std::string& out, std::size_t from, std::string_view kept) {
  const std::size_t start = static_cast<std::size_t>(kept.data() - out.data());
  out.erase(start + kept.size());
  out.erase(from, start - from);
}
void RTrimInPlace(std::string& out, std::size_t from) {
  KeepInPlace(out, from, RTrim(std::string_view(out).substr(from)));
}
void LTrimInPlace(std::string& out, std::size_t from) {
  KeepInPlace(out, from, LTrim(std::string_view(out).substr(from)));
}
void AllTrimInPlace(std::string& out, std::size_t from) {
  KeepInPlace(out, from, AllTrim(std::string_view(out).substr(from)));
}

// ISALPHA and friends look at the first character; anything but a non-empty string is .F.
template <bool (*Test)(unsigned char)>
Value FnIs(Args& a) {
  std::string_view s = a.Str(1);
  return Value::Logical(a.Arg(1).IsString() && !s.empty() && Test(static_cast<unsigned char>(s[0])));
}
bool Alpha(unsigned char c) { return IsAlphaChar(CurrentCodePage(), c); }
bool Digit(unsigned char c) { return IsDigitChar(c); }
bool UpperCase(unsigned char c) { return IsUpperChar(CurrentCodePage(), c); }
bool LowerCase(unsigned char c) { return IsLowerChar(CurrentCodePage(), c); }

Value FnChr(Args& a) {
  if (!a.Arg(1).IsNumber()) return ArgumentError("CHR", 1104, a.Raw());
  char c = static_cast<char>(a.Int(1) & 0xFF);
  return Value::String(std::string_view(&c, 1));
}

Value FnAsc(Args& a) {
  if (!a.Arg(1).IsString()) return ArgumentError("ASC", 1107, a.Raw());
  std::string_view s = a.Str(1);
  return Value::Integer(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
}

// DESCEND: a value that sorts in the reverse order of its argument (index keys).
Value FnDescend(Args& a) {
  const Value& v = a.Arg(1);
  if (v.IsString()) return Value::String(Descend(v.AsString()));
  if (v.IsDate()) return Value::Integer(5231808 - static_cast<std::int64_t>(v.AsDate().julian));
  if (v.IsNumber()) return Value::Number(v.AsDouble() == 0.0 ? 0.0 : -v.AsDouble());
  if (v.IsLogical()) return Value::Logical(!v.AsLogical());
  return Value();
}

Value FnTransform(Args& a) {
  const Value& v = a.Arg(1);
  const Value& pic = a.Arg(2);
  bool typeOk = v.IsString() || v.IsNumber() || v.IsDate() || v.IsLogical();
  if (!typeOk || !(pic.IsNil() || pic.IsString())) return ArgumentError("TRANSFORM", 1122, a.Raw());
  return Value::String(Transform(v, Picture(pic.AsString())));
}

}  // namespace

std::string_view SubStr(std::string_view s, std::int64_t start, std::int64_t count) {
  const auto size = static_cast<std::int64_t>(s.size());
  std::int64_t pos;
  if (start < 0) pos = std::max<std::int64_t>(size + start, 0);
  else pos = start > 0 ? start - 1 : 0;
  if (pos >= size || count <= 0) return {};
  std::int64_t n = std::min(count, size - pos);
  return s.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(n));
}

std::string_view Left(std::string_view s, std::int64_t count) {
  if (count <= 0) return {};
  return s.substr(0, static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(s.size()))));
}

std::string_view Right(std::string_view s, std::int64_t count) {
  if (count <= 0) return {};
  std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(s.size())));
  return s.substr(s.size() - n);
}

std::size_t At(std::string_view needle, std::string_view hay, std::int64_t start, std::int64_t end) {
  const auto size = static_cast<std::int64_t>(hay.size());
  if (start < 1) start = 1;
  if (end > size) end = size;
  if (needle.empty() || start > size || end < start) return 0;
  std::string_view part = hay.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start + 1));
  std::size_t p = part.find(needle);
  return p == std::string_view::npos ? 0 : p + static_cast<std::size_t>(start);
}

std::size_t RAt(std::string_view needle, std::string_view hay) {
  if (needle.empty() || needle.size() > hay.size()) return 0;
  std::size_t p = hay.rfind(needle);
  return p == std::string_view::npos ? 0 : p + 1;
}

std::string Stuff(std::string_view s, std::int64_t start, std::int64_t del, std::string_view insert) {
  const auto size = static_cast<std::int64_t>(s.size());
  std::int64_t pos = 0;
  if (start) pos = (start < 1 || start > size) ? size : start - 1;
  if (del && (del < 1 || del > size - pos)) del = size - pos;
  std::string out;
  out.reserve(s.size() + insert.size());
  out.append(s.substr(0, static_cast<std::size_t>(pos)));
  out.append(insert);
  out.append(s.substr(static_cast<std::size_t>(pos + del)));
  return out;
}

std::string StrTran(std::string_view s, std::string_view search, std::string_view repl, std::int64_t start,
                    std::int64_t count) {
  if (search.empty() || search.size() > s.size() || start < 1 || count == 0) return std::string(s);
  std::string out;
  std::int64_t found = 0, replaced = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, search.size(), search) == 0) {
      ++found;
      if (found >= start && (count < 0 || replaced < count)) {
        out.append(repl);
        ++replaced;
      } else {
        out.append(search);
      }
      i += search.size();
    } else {
      out += s[i++];
    }
  }
  return out;
}

std::string PadR(std::string_view s, std::int64_t width, char fill) {
  if (width <= 0) return {};
  auto w = static_cast<std::size_t>(width);
  if (s.size() >= w) return std::string(s.substr(0, w));
  return std::string(s) + std::string(w - s.size(), fill);
}

std::string PadL(std::string_view s, std::int64_t width, char fill) {
  if (width <= 0) return {};
  auto w = static_cast<std::size_t>(width);
  if (s.size() >= w) return std::string(s.substr(0, w));
  return std::string(w - s.size(), fill) + std::string(s);
}

std::string PadC(std::string_view s, std::int64_t width, char fill) {
  if (width <= 0) return {};
  auto w = static_cast<std::size_t>(width);
  if (s.size() >= w) return std::string(s.substr(0, w));
  std::size_t left = (w - s.size()) / 2;
  return std::string(left, fill) + std::string(s) + std::string(w - s.size() - left, fill);
}

std::string_view RTrim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

std::string_view LTrim(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsWhite(s[b])) ++b;
  return s.substr(b);
}

std::string_view AllTrim(std::string_view s) { return RTrim(LTrim(s)); }

std::string Descend(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>((256 - static_cast<unsigned char>(c)) & 0xFF);
  return out;
}

bool PadText(const Value& in, std::string& out) {
  const Value& v = in.Deref();
  if (v.IsString()) out.assign(v.AsString());
  else if (v.IsNumber()) out = NumberToText(v);
  else if (v.IsDate()) out = DToC(v.AsDate());
  else return false;
  return true;
}

void RegisterStringFunctions() {
  RegisterFunction("SUBSTR", FnSubStr);
  RegisterFunction("LEFT", FnLeft);
  RegisterFunction("RIGHT", FnRight);
  RegisterFunction("AT", FnAt);
  RegisterFunction("RAT", FnRAt);
  RegisterFunction("STUFF", FnStuff);
  RegisterFunction("STRTRAN", FnStrTran);
  RegisterFunction("REPLICATE", FnReplicate);
  RegisterFunction("SPACE", FnSpace);
  RegisterFunction("PADR", FnPadR);
  RegisterFunction("PADL", FnPadL);
  RegisterFunction("PADC", FnPadC);
  RegisterFunction("TRIM", FnTrim);
  RegisterFunction("RTRIM", FnRTrim);
  RegisterFunction("LTRIM", FnLTrim);
  RegisterFunction("ALLTRIM", FnAllTrim);
  RegisterFunction("UPPER", FnUpper);
  RegisterFunction("LOWER", FnLower);
  RegisterFunction("ISALPHA", FnIs<Alpha>);
  RegisterFunction("ISDIGIT", FnIs<Digit>);
  RegisterFunction("ISUPPER", FnIs<UpperCase>);
  RegisterFunction("ISLOWER", FnIs<LowerCase>);
  RegisterFunction("CHR", FnChr);
  RegisterFunction("ASC", FnAsc);
  RegisterFunction("DESCEND", FnDescend);
  RegisterFunction("TRANSFORM", FnTransform);
  RegisterStringForms("UPPER", nullptr, UpperInPlace);
  RegisterStringForms("LOWER", nullptr, LowerInPlace);
  RegisterStringForms("TRIM", nullptr, RTrimInPlace);
  RegisterStringForms("RTRIM", nullptr, RTrimInPlace);
  RegisterStringForms("LTRIM", nullptr, LTrimInPlace);
  RegisterStringForms("ALLTRIM", nullptr, AllTrimInPlace);
}

}  // namespace xb
