#include "runtime/lib/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "runtime/codepage.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/numbers.h"
#include "runtime/number.h"
#include "runtime/sets.h"

namespace xb {

namespace {

constexpr std::size_t npos = std::string::npos;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char UpperCp(char c) { return static_cast<char>(UpperChar(CurrentCodePage(), static_cast<unsigned char>(c))); }
bool IsAlphaCp(char c) { return IsAlphaChar(CurrentCodePage(), static_cast<unsigned char>(c)); }

// The template characters that take a character of a string.
bool IsStringSlot(char t) {
  switch (t) {
    case '9': case '#': case 'A': case 'N': case 'X': case 'L': case 'Y': case '!':
      return true;
    default:
      return false;
  }
}

// Dates show in SET DATEFORMAT's form; with @E day first: a format that starts with the
// month has its day and month exchanged ("MM/DD/YY" is "DD/MM/YY").
std::string EditDateFormat(const PictureFunctions& f) {
  std::string format = Sets().dateFormat;
  const std::size_t m = format.find_first_of("Mm"), d = format.find_first_of("Dd");
  if (!f.european || m != 0 || d == npos) return format;
  const std::size_t mEnd = format.find_first_not_of("Mm", m), dEnd = std::min(format.find_first_not_of("Dd", d), format.size());
  return format.substr(d, dEnd - d) + format.substr(mEnd, d - mEnd) + format.substr(m, mEnd - m) + format.substr(dEnd);
}

// ---- numbers ---------------------------------------------------------------------

// The template a number shows in without one of its own: STR(n) with its digits as "9".
std::string NumberTemplate(const Value& n) {
  std::string s = NumberToStr(n);
  if (!s.empty() && s[0] == '*') s = std::string(s.size(), '9');  // the overflowing value's own width
  for (char& c : s)
    if (c != '.') c = '9';
  return s;
}

// A number that does not fit: asterisks in the template's width (its point kept). A negative
// one with @( or @) stands between parentheses, one position wider than the template: its
// first digit position is dropped, the others are asterisks, separators and literals kept.
std::string NumberOverflow(const std::string& templ, std::size_t point, const PictureFunctions& f, bool negative) {
  if (negative && (f.parens || f.parensTight)) {
    std::string out;
    bool dropped = false;
    for (std::size_t i = 0; i < templ.size(); ++i) {
      const char t = templ[i];
      if (IsNumberDigitSlot(t)) {
        if (dropped) out += '*';
        dropped = true;
      } else if (i == point) {
        out += f.european ? ',' : '.';
      } else if (t == ',') {
        out += f.european ? '.' : ',';
      } else {
        out += t;
      }
    }
    return "(" + out + ")";
  }
  std::string out(templ.size(), '*');
  if (point != npos) out[point] = f.european ? ',' : '.';
  return out;
}

// The unsigned value's digits for the template's positions: the integer part right-aligned
// in intSlots characters (blank-padded), the decimals in decSlots. False when the integer
// part does not fit. A template without integer positions shows 0.5 as ".50".
bool Digits(const Value& n, int intSlots, int decSlots, std::string& intPart, std::string& decPart) {
  Value magnitude;
  if (n.IsInteger()) {
    std::int64_t i = n.AsInt();
    magnitude = i == INT64_MIN ? Value::Double(9.2233720368547758e18, 0) : Value::Integer(i < 0 ? -i : i);
  } else {
    magnitude = Value::Double(std::fabs(n.AsDouble()), n.Decimals());
  }
  // STR prints at most 255 characters and 99 decimals; wider templates are padded here.
  const int dec = decSlots < 99 ? decSlots : 99;
  const int width = std::min(intSlots + (dec > 0 ? dec + 1 : 0) + 1, 255);
  std::string s = NumberToStr(magnitude, width, dec);
  if (s.empty() || s[0] == '*') return false;
  std::size_t point = s.find('.');
  std::string_view whole = std::string_view(s).substr(0, point);
  whole.remove_prefix(std::min(whole.find_first_not_of(' '), whole.size()));
  if (intSlots == 0 && whole == "0") whole = {};
  if (whole.size() > static_cast<std::size_t>(intSlots)) return false;
  intPart.assign(static_cast<std::size_t>(intSlots) - whole.size(), ' ');
  intPart.append(whole);
  decPart.assign(point == std::string::npos ? std::string_view() : std::string_view(s).substr(point + 1));
  decPart.resize(static_cast<std::size_t>(decSlots), '0');
  return true;
}

std::string FormatNumber(const Value& n, const PictureFunctions& f, std::string_view templIn) {
  std::string templ = templIn.empty() ? NumberTemplate(n) : std::string(templIn);
  const std::size_t point = templ.find('.');
  int intSlots = 0, decSlots = 0;
  for (std::size_t i = 0; i < templ.size(); ++i)
    if (IsNumberDigitSlot(templ[i])) ++(point == npos || i < point ? intSlots : decSlots);
  if (intSlots + decSlots == 0) return templ;

  const double d = n.AsDouble();
  std::string intPart, decPart;
  if (!Digits(n, intSlots, decSlots, intPart, decPart)) return NumberOverflow(templ, point, f, d < 0);
  // The sign of what is shown: -0.001 in "9.99" is "0.00", neither negative nor positive.
  const bool nonZero = intPart.find_first_of("123456789") != npos || decPart.find_first_of("123456789") != npos;
  const bool negative = d < 0 && nonZero, positive = d > 0 && nonZero;

  std::string out(templ.size(), ' ');
  const std::size_t intEnd = point == npos ? templ.size() : point;
  // Integer digits from the right; a separator shows only with a digit to its left.
  int k = intSlots - 1;
  char fill = ' ';
  for (std::size_t i = intEnd; i-- > 0;) {
    char t = templ[i];
    if (IsNumberDigitSlot(t)) {
      char c = k >= 0 ? intPart[static_cast<std::size_t>(k--)] : ' ';
      fill = (t == '*' || t == '$') ? t : ' ';
      out[i] = c == ' ' ? fill : c;
    } else if (t == ',') {
      bool digitLeft = k >= 0 && IsDigit(intPart[static_cast<std::size_t>(k)]);
      out[i] = digitLeft ? (f.european ? '.' : ',') : ' ';
    } else {
      out[i] = t;
    }
  }
  // A hidden separator takes the fill of the digit position to its left ("$$$,$$9").
  for (std::size_t i = intEnd; i-- > 0;) {
    if (templ[i] != ',' || out[i] != ' ') continue;
    for (std::size_t j = i; j-- > 0;) {
      if (!IsNumberDigitSlot(templ[j])) continue;
      if (out[j] == '*' || out[j] == '$') out[i] = out[j];
      break;
    }
  }
  if (point != npos) {
    out[point] = f.european ? ',' : '.';
    std::size_t m = 0;
    for (std::size_t i = point + 1; i < templ.size(); ++i) {
      char t = templ[i];
      if (IsNumberDigitSlot(t)) out[i] = decPart[m++];
      else if (t == ',') out[i] = f.european ? '.' : ',';
      else out[i] = t;
    }
  }

  if (negative) {
    // The first significant position: a digit, or the decimal point of ".50".
    std::size_t first = 0;
    while (first < intEnd && !IsDigit(out[first])) ++first;
    auto blank = [&](std::size_t p) { return out[p] == ' ' || out[p] == '*' || out[p] == '$'; };
    if (f.parens || f.parensTight) {
      std::size_t open = f.parens ? 0 : (first > 0 ? first - 1 : npos);
      if (open == npos || open >= out.size() || !blank(open)) return NumberOverflow(templ, point, f, true);
      out[open] = '(';
      out += ')';
    } else if (!f.debit) {
      if (first > 0 && blank(first - 1)) {
        out[first - 1] = '-';
      } else if (first + 1 == intEnd && out[first] == '0') {
        out[first] = '-';  // "-.50": the sign takes the place of the leading zero
      } else {
        return NumberOverflow(templ, point, f, true);
      }
    }
  }
  if (f.credit && positive) out += " CR";
  if (f.debit && negative) out += " DB";
  if (f.blankZero && d == 0) return std::string(out.size(), ' ');
  if (f.leftAlign) {
    std::size_t b = out.find_first_not_of(' ');
    if (b != npos && b > 0) out = out.substr(b) + std::string(b, ' ');
  }
  return out;
}

// ---- strings, dates and logicals ----------------------------------------------------

// A string by its template. TRANSFORM without @R stops where the string ends; with @R, and in
// an edit buffer (`whole`), it covers the whole template, blanks standing for the missing
// characters.
std::string FormatString(std::string_view s, const PictureFunctions& f, std::string_view templ, bool whole) {
  std::string out;
  if (templ.empty()) {
    out.assign(s);
    if (f.upper) out = Upper(CurrentCodePage(), out);
    return out;
  }
  out.reserve(templ.size());
  std::size_t si = 0;
  for (char t : templ) {
    if (!whole && si >= s.size()) break;
    if (IsStringSlot(t)) {
      char c = si < s.size() ? s[si] : ' ';
      ++si;
      out += (t == '!' || f.upper) ? UpperCp(c) : c;
    } else {
      out += t;
      if (!f.insertLiterals) ++si;  // the literal stands in place of a character of the value
    }
  }
  return out;
}

std::string FormatDateWith(Date d, const PictureFunctions& f, std::string_view templ) {
  std::string format = EditDateFormat(f);
  std::string out = FormatDate(d, format);
  if (f.insertLiterals && !templ.empty()) {
    // @R with a template: its literals replace the format's separators.
    for (std::size_t i = 0; i < out.size() && i < format.size() && i < templ.size(); ++i) {
      char c = AsciiUpper(format[i]);
      if (c != 'D' && c != 'M' && c != 'Y' && !IsStringSlot(templ[i])) out[i] = templ[i];
    }
  }
  if (f.blankZero && d.IsEmpty()) return std::string(out.size(), ' ');
  return out;
}

std::string FormatLogical(bool b, const PictureFunctions& f, std::string_view templ) {
  if (templ.empty()) return b ? "T" : "F";
  std::string out;
  bool done = false;
  for (char t : templ) {
    char u = AsciiUpper(t);
    if (u == 'Y' || u == 'L' || u == '#') {
      out += done ? ' ' : (u == 'Y' ? (b ? 'Y' : 'N') : (b ? 'T' : 'F'));
      done = true;
    } else {
      out += t;
    }
    // Without @R only the template's first character counts.
    if (!f.insertLiterals) break;
  }
  return out;
}

}  // namespace

bool IsNumberDigitSlot(char t) { return t == '9' || t == '#' || t == '$' || t == '*'; }

Picture::Picture(std::string_view text) {
  if (text.empty() || text[0] != '@') {
    templ_.assign(text);
    return;
  }
  PictureFunctions& f = functions_;
  std::size_t i = 1;
  for (; i < text.size() && text[i] != ' '; ++i) {
    switch (AsciiUpper(text[i])) {
      case 'B': f.leftAlign = true; break;
      case 'C': f.credit = true; break;
      case 'D': f.dateFormat = true; break;
      case 'E': f.european = true; break;
      case 'K': f.clearOnKey = true; break;
      case 'R': f.insertLiterals = true; break;
      case 'X': f.debit = true; break;
      case 'Z': f.blankZero = true; break;
      case '(': f.parens = true; break;
      case ')': f.parensTight = true; break;
      case '!': f.upper = true; break;
      case 'A': f.alphaOnly = true; break;
      case 'S': {
        int n = 0;
        while (i + 1 < text.size() && IsDigit(text[i + 1])) {
          if (n < 100000) n = n * 10 + (text[i + 1] - '0');
          ++i;
        }
        f.scrollWidth = n;
        break;
      }
      default: break;  // unknown letters are ignored, as xBase does
    }
  }
  if (i < text.size()) ++i;  // the blank that ends the functions
  templ_.assign(text.substr(i));
}

Picture Picture::WithTemplate(std::string_view templ) const {
  Picture p = *this;
  p.templ_.assign(templ);
  return p;
}

namespace {

std::string Shown(const Value& v, const Picture& p, bool editBuffer) {
  const PictureFunctions& f = p.functions();
  switch (v.type()) {
    case Type::String:
    case Type::Memo: return FormatString(v.AsString(), f, p.templ(), editBuffer || f.insertLiterals);
    case Type::Number: return FormatNumber(v, f, p.templ());
    case Type::Date: return FormatDateWith(v.AsDate(), f, p.templ());
    case Type::Logical: return FormatLogical(v.AsLogical(), f, p.templ());
    default: return {};
  }
}

}  // namespace

std::string Transform(const Value& in, const Picture& p) {
  const Value& v = in.Deref();
  std::string out = Shown(v, p, false);
  // @B: a text's leading blanks move to its end (numbers are flushed left as they are formatted).
  if (p.functions().leftAlign && v.IsString()) {
    const std::size_t b = std::min(out.find_first_not_of(' '), out.size());
    std::rotate(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(b), out.end());
  }
  // @S<n>: the first n characters (an edit field scrolls through the rest instead).
  const int width = p.functions().scrollWidth;
  if (width > 0 && (v.IsString() || v.IsNumber()) && out.size() > static_cast<std::size_t>(width))
    out.resize(static_cast<std::size_t>(width));
  return out;
}

// ---- edit masks ------------------------------------------------------------------------

EditMask::EditMask(const Value& in, const Picture& picture) : picture_(picture) {
  const Value& v = in.Deref();
  const PictureFunctions& f = picture.functions();
  templ_ = picture.templ();
  if (v.IsNumber()) {
    type_ = 'N';
    if (templ_.empty()) templ_ = NumberTemplate(v);
    decimalPos_ = templ_.find('.');
  } else if (v.IsDate()) {
    type_ = 'D';
    dateFormat_ = EditDateFormat(f);
    std::string digits = dateFormat_;
    for (char& c : digits) {
      char u = AsciiUpper(c);
      if (u == 'D' || u == 'M' || u == 'Y') c = '9';
    }
    // The buffer is the date in its format, so the template covers exactly its positions: a
    // picture's template is cut to it, or completed by the format's digits and separators.
    if (templ_.size() >= digits.size()) {
      templ_.resize(digits.size());
    } else {
      templ_ += digits.substr(templ_.size());
    }
  } else if (v.IsLogical()) {
    type_ = 'L';
    if (templ_.empty()) templ_ = "L";
  } else {
    type_ = 'C';
    valueLength_ = v.StringLength();
    if (templ_.empty()) templ_ = std::string(valueLength_, f.upper ? '!' : 'X');
  }
  picture_ = picture.WithTemplate(templ_);
}

bool EditMask::IsEditable(std::size_t pos) const {
  if (pos >= templ_.size()) return false;
  char t = AsciiUpper(templ_[pos]);
  switch (type_) {
    case 'N': return IsNumberDigitSlot(t);
    case 'D': return t == '9';
    case 'L': return t == 'L' || t == 'Y' || t == '#';
    default: return IsStringSlot(t);
  }
}

std::optional<char> EditMask::Accept(std::size_t pos, char c) const {
  if (!IsEditable(pos)) return std::nullopt;
  const PictureFunctions& f = picture_.functions();
  const char t = AsciiUpper(templ_[pos]);
  if (type_ == 'N') {
    bool ok = IsDigit(c) || c == '-' || (c == '+' && (t == '9' || t == '#')) || (c == ' ' && t == '#');
    return ok ? std::optional<char>(c) : std::nullopt;
  }
  if (type_ == 'D') return IsDigit(c) ? std::optional<char>(c) : std::nullopt;
  if (type_ == 'L' || t == 'L' || t == 'Y') {
    char u = AsciiUpper(c);
    bool ok = t == 'Y' ? (u == 'Y' || u == 'N') : (u == 'Y' || u == 'N' || u == 'T' || u == 'F');
    return ok ? std::optional<char>(u) : std::nullopt;
  }
  switch (t) {
    case 'A': if (!IsAlphaCp(c)) return std::nullopt; break;
    case 'N': if (!IsAlphaCp(c) && !IsDigit(c)) return std::nullopt; break;
    case '9': if (!IsDigit(c)) return std::nullopt; break;
    case '#': if (!IsDigit(c) && c != ' ' && c != '.' && c != '+' && c != '-') return std::nullopt; break;
    default: break;  // X and !
  }
  if (f.alphaOnly && !IsAlphaCp(c)) return std::nullopt;
  if (t == '!' || f.upper) c = UpperCp(c);
  return c;
}

std::size_t EditMask::FirstEditable() const { return NextEditable(npos); }

std::size_t EditMask::LastEditable() const { return PreviousEditable(templ_.size()); }

std::size_t EditMask::NextEditable(std::size_t pos) const {
  for (std::size_t i = pos == npos ? 0 : pos + 1; i < templ_.size(); ++i)
    if (IsEditable(i)) return i;
  return npos;
}

std::size_t EditMask::PreviousEditable(std::size_t pos) const {
  for (std::size_t i = pos > templ_.size() ? templ_.size() : pos; i-- > 0;)
    if (IsEditable(i)) return i;
  return npos;
}

std::string EditMask::Format(const Value& in) const {
  const Value& v = in.Deref();
  if (type_ == 'D') {
    Date d = v.AsDate();
    std::string out = FormatDate(d, dateFormat_);
    // Blank, but as long as a date: the buffer keeps its length whatever the template says.
    if (picture_.functions().blankZero && d.IsEmpty()) return std::string(out.size(), ' ');
    // The template's literals stand where the format has separators.
    for (std::size_t i = 0; i < out.size() && i < templ_.size(); ++i)
      if (!IsEditable(i)) out[i] = templ_[i];
    return out;
  }
  return Shown(v, picture_, true);
}

Value EditMask::Parse(std::string_view buffer) const {
  const PictureFunctions& f = picture_.functions();
  switch (type_) {
    case 'N': {
      std::string text;
      bool negative = false;
      for (std::size_t i = 0; i < buffer.size(); ++i) {
        char c = buffer[i];
        if (i == decimalPos_) {
          text += '.';
        } else if (i >= templ_.size() || IsEditable(i)) {
          if (IsDigit(c)) text += c;
          else if (c == '-' || c == '(') negative = true;
        }
      }
      if (buffer.size() >= 2 && buffer.substr(buffer.size() - 2) == "DB") negative = true;
      int decimals = 0;
      if (decimalPos_ != npos)
        for (std::size_t i = decimalPos_ + 1; i < templ_.size(); ++i) decimals += IsNumberDigitSlot(templ_[i]) ? 1 : 0;
      Value n = Val(text);
      double d = n.AsDouble();
      if (negative) d = -d;
      if (decimals == 0 && std::fabs(d) < 9.0e15) return Value::Integer(static_cast<std::int64_t>(d));
      return Value::Double(d == 0.0 ? 0.0 : d, decimals);
    }
    case 'D': return Value::FromDate(ParseDate(buffer, dateFormat_, Sets().epoch));
    case 'L': {
      std::size_t p = FirstEditable();
      char c = p != npos && p < buffer.size() ? AsciiUpper(buffer[p]) : ' ';
      return Value::Logical(c == 'T' || c == 'Y');
    }
    default: {
      std::string text;
      if (f.insertLiterals) {
        for (std::size_t i = 0; i < buffer.size(); ++i)
          if (i >= templ_.size() || IsEditable(i)) text += buffer[i];
      } else {
        text.assign(buffer);
      }
      if (text.size() < valueLength_) text.append(valueLength_ - text.size(), ' ');
      return Value::String(text);
    }
  }
}

}  // namespace xb
