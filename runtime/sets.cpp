#include "runtime/sets.h"

#include <cctype>

#include "runtime/codepage.h"

namespace xb {

namespace {

SetValues& Mutable() {
  static SetValues* s = new SetValues;
  return *s;
}

enum class Kind { Logical, Number, Text };

struct SetInfo {
  int id;
  Kind kind;
  bool SetValues::*l;
  int SetValues::*n;
  std::string SetValues::*t;
};

const SetInfo kSets[] = {
    {SET_EXACT, Kind::Logical, &SetValues::exact, nullptr, nullptr},
    {SET_FIXED, Kind::Logical, &SetValues::fixed, nullptr, nullptr},
    {SET_DECIMALS, Kind::Number, nullptr, &SetValues::decimals, nullptr},
    {SET_DATEFORMAT, Kind::Text, nullptr, nullptr, &SetValues::dateFormat},
    {SET_EPOCH, Kind::Number, nullptr, &SetValues::epoch, nullptr},
    {SET_PATH, Kind::Text, nullptr, nullptr, &SetValues::path},
    {SET_DEFAULT, Kind::Text, nullptr, nullptr, &SetValues::defaultPath},
    {SET_EXCLUSIVE, Kind::Logical, &SetValues::exclusive, nullptr, nullptr},
    {SET_SOFTSEEK, Kind::Logical, &SetValues::softseek, nullptr, nullptr},
    {SET_UNIQUE, Kind::Logical, &SetValues::unique, nullptr, nullptr},
    {SET_DELETED, Kind::Logical, &SetValues::deleted, nullptr, nullptr},
    {SET_CANCEL, Kind::Logical, &SetValues::cancel, nullptr, nullptr},
    {SET_DEBUG, Kind::Logical, &SetValues::debug, nullptr, nullptr},
    {SET_TYPEAHEAD, Kind::Number, nullptr, &SetValues::typeahead, nullptr},
    {SET_COLOR, Kind::Text, nullptr, nullptr, &SetValues::color},
    {SET_CURSOR, Kind::Number, nullptr, &SetValues::cursor, nullptr},
    {SET_CONSOLE, Kind::Logical, &SetValues::console, nullptr, nullptr},
    {SET_ALTERNATE, Kind::Logical, &SetValues::alternate, nullptr, nullptr},
    {SET_ALTFILE, Kind::Text, nullptr, nullptr, &SetValues::altfile},
    {SET_DEVICE, Kind::Text, nullptr, nullptr, &SetValues::device},
    {SET_EXTRA, Kind::Logical, &SetValues::extra, nullptr, nullptr},
    {SET_EXTRAFILE, Kind::Text, nullptr, nullptr, &SetValues::extrafile},
    {SET_PRINTER, Kind::Logical, &SetValues::printer, nullptr, nullptr},
    {SET_PRINTFILE, Kind::Text, nullptr, nullptr, &SetValues::printfile},
    {SET_MARGIN, Kind::Number, nullptr, &SetValues::margin, nullptr},
    {SET_BELL, Kind::Logical, &SetValues::bell, nullptr, nullptr},
    {SET_CONFIRM, Kind::Logical, &SetValues::confirm, nullptr, nullptr},
    {SET_ESCAPE, Kind::Logical, &SetValues::escape, nullptr, nullptr},
    {SET_INSERT, Kind::Logical, &SetValues::insert, nullptr, nullptr},
    {SET_EXIT, Kind::Logical, &SetValues::exitKeys, nullptr, nullptr},
    {SET_INTENSITY, Kind::Logical, &SetValues::intensity, nullptr, nullptr},
    {SET_SCOREBOARD, Kind::Logical, &SetValues::scoreboard, nullptr, nullptr},
    {SET_DELIMITERS, Kind::Logical, &SetValues::delimiters, nullptr, nullptr},
    {SET_DELIMCHARS, Kind::Text, nullptr, nullptr, &SetValues::delimchars},
    {SET_WRAP, Kind::Logical, &SetValues::wrap, nullptr, nullptr},
    {SET_MESSAGE, Kind::Number, nullptr, &SetValues::message, nullptr},
    {SET_MCENTER, Kind::Logical, &SetValues::mcenter, nullptr, nullptr},
    {SET_SCROLLBREAK, Kind::Logical, &SetValues::scrollbreak, nullptr, nullptr},
    {SET_EVENTMASK, Kind::Number, nullptr, &SetValues::eventmask, nullptr},
    {SET_VIDEOMODE, Kind::Number, nullptr, &SetValues::videomode, nullptr},
    {SET_MBLOCKSIZE, Kind::Number, nullptr, &SetValues::mblocksize, nullptr},
    {SET_MFILEEXT, Kind::Text, nullptr, nullptr, &SetValues::mfileext},
    {SET_STRICTREAD, Kind::Logical, &SetValues::strictread, nullptr, nullptr},
    {SET_OPTIMIZE, Kind::Logical, &SetValues::optimize, nullptr, nullptr},
    {SET_AUTOPEN, Kind::Logical, &SetValues::autopen, nullptr, nullptr},
    {SET_AUTORDER, Kind::Number, nullptr, &SetValues::autorder, nullptr},
    {SET_AUTOSHARE, Kind::Number, nullptr, &SetValues::autoshare, nullptr},
    {SET_LANGUAGE, Kind::Text, nullptr, nullptr, &SetValues::language},
    {SET_IDLEREPEAT, Kind::Logical, &SetValues::idlerepeat, nullptr, nullptr},
    {SET_FILECASE, Kind::Number, nullptr, &SetValues::filecase, nullptr},
    {SET_DIRCASE, Kind::Number, nullptr, &SetValues::dircase, nullptr},
    {SET_DIRSEPARATOR, Kind::Text, nullptr, nullptr, &SetValues::dirseparator},
    {SET_EOF, Kind::Logical, &SetValues::eof, nullptr, nullptr},
    {SET_HARDCOMMIT, Kind::Logical, &SetValues::hardcommit, nullptr, nullptr},
    {SET_FORCEOPT, Kind::Logical, &SetValues::forceopt, nullptr, nullptr},
    {SET_DBFLOCKSCHEME, Kind::Number, nullptr, &SetValues::dbflockscheme, nullptr},
    {SET_DEFEXTENSIONS, Kind::Logical, &SetValues::defextensions, nullptr, nullptr},
    {SET_EOL, Kind::Text, nullptr, nullptr, &SetValues::eol},
    {SET_TRIMFILENAME, Kind::Logical, &SetValues::trimfilename, nullptr, nullptr},
    {SET_CODEPAGE, Kind::Text, nullptr, nullptr, &SetValues::codepage},
    {SET_OSCODEPAGE, Kind::Text, nullptr, nullptr, &SetValues::oscodepage},
    {SET_DBCODEPAGE, Kind::Text, nullptr, nullptr, &SetValues::dbcodepage},
};

const SetInfo* Find(int id) {
  for (const SetInfo& s : kSets)
    if (s.id == id) return &s;
  return nullptr;
}

bool IsWord(std::string_view text, const char* word) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  std::string_view t = text.substr(b, e - b);
  std::size_t n = std::char_traits<char>::length(word);
  if (t.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(t[i])) != word[i]) return false;
  return true;
}

}  // namespace

const SetValues& Sets() { return Mutable(); }

Value GetSetValue(int id) {
  const SetInfo* s = Find(id);
  if (!s) return Value();
  const SetValues& v = Sets();
  switch (s->kind) {
    case Kind::Logical: return Value::Logical(v.*(s->l));
    case Kind::Number: return Value::Integer(v.*(s->n));
    case Kind::Text: return Value::String(v.*(s->t));
  }
  return Value();
}

Value SetValue(int id, const Value& in) {
  Value old = GetSetValue(id);
  const SetInfo* s = Find(id);
  if (!s) return old;
  const Value& v = in.Deref();
  SetValues& m = Mutable();
  switch (s->kind) {
    case Kind::Logical:
      if (v.IsLogical()) m.*(s->l) = v.AsLogical();
      else if (v.IsString() && IsWord(v.AsString(), "ON")) m.*(s->l) = true;
      else if (v.IsString() && IsWord(v.AsString(), "OFF")) m.*(s->l) = false;
      break;
    case Kind::Number:
      if (v.IsNumber()) {
        std::int64_t n = v.AsInt();
        if (id == SET_DECIMALS && (n < 0 || n > 99)) break;
        m.*(s->n) = static_cast<int>(n);
      }
      break;
    case Kind::Text:
      if (!v.IsString()) break;
      if (id == SET_CODEPAGE) {
        // The code page decides case mapping and collation; an unknown one is ignored.
        if (!SetCodePage(v.AsString()).empty()) m.codepage = CurrentCodePage().id;
        break;
      }
      m.*(s->t) = std::string(v.AsString());
      break;
  }
  return old;
}

bool Century() {
  const std::string& f = Sets().dateFormat;
  std::size_t y = 0;
  for (char c : f)
    if (c == 'y' || c == 'Y') ++y;
  return y >= 4;
}

void SetCentury(bool on) {
  std::string& f = Mutable().dateFormat;
  if (on == Century() || f.find_first_of("yY") == std::string::npos) return;
  // The year's digits change: the format is written again, in upper case.
  std::string out;
  for (std::size_t i = 0; i < f.size();) {
    if (f[i] == 'y' || f[i] == 'Y') {
      while (i < f.size() && (f[i] == 'y' || f[i] == 'Y')) ++i;
      out.append(on ? 4 : 2, 'Y');
    } else {
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(f[i++])));
    }
  }
  f = out;
}

void ResetSets() {
  Mutable() = SetValues();
  SetCodePage(Mutable().codepage);
}

}  // namespace xb
