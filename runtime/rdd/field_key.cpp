#include "runtime/rdd/field_key.h"

#include "runtime/args.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/workarea.h"

namespace xb::rdd {
namespace {

// The functions a plan may call: each is one field turned into text, with constant numbers.
bool PlannedFunction(std::string_view upper) { return upper == "UPPER" || upper == "DTOS" || upper == "STR"; }

bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// The few tokens a planned key is written with.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : s_(text) {}

  bool AtEnd() {
    SkipBlanks();
    return p_ == s_.size();
  }
  bool Take(char c) {
    SkipBlanks();
    if (p_ < s_.size() && s_[p_] == c) {
      ++p_;
      return true;
    }
    return false;
  }
  // A name as the macro compiler reads one: a letter or _, then letters, digits and _.
  bool Name(std::string& out) {
    SkipBlanks();
    std::size_t e = p_;
    if (e == s_.size() || !Letter(s_[e])) return false;
    while (e < s_.size() && (Letter(s_[e]) || Digit(s_[e]))) ++e;
    out.assign(s_.substr(p_, e - p_));
    p_ = e;
    return true;
  }
  // A whole number of a few digits, followed by neither a point nor a letter.
  bool Integer(int& out) {
    SkipBlanks();
    std::size_t e = p_;
    out = 0;
    while (e < s_.size() && e - p_ < 4 && Digit(s_[e])) out = out * 10 + (s_[e++] - '0');
    if (e == p_ || (e < s_.size() && (Letter(s_[e]) || Digit(s_[e]) || s_[e] == '.'))) return false;
    p_ = e;
    return true;
  }

 private:
  void SkipBlanks() {
    while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t')) ++p_;
  }
  std::string_view s_;
  std::size_t p_ = 0;
};

}  // namespace

bool KeyOfRecordAlone(std::string_view text) {
  static constexpr std::string_view kOfRecordAlone[] = {
      "ABS",   "ALLTRIM", "ASC",  "AT",    "CDOW",    "CHR",       "CMONTH",  "CTOD",   "DAY",    "DELETED",
      "DESCEND", "DOW",   "DTOC", "DTOS",  "EMPTY",   "INT",       "ISALPHA", "ISDIGIT", "ISLOWER", "ISUPPER",
      "LEFT",  "LEN",     "LOWER", "LTRIM", "MAX",    "MIN",       "MOD",     "MONTH",  "PADC",   "PADL",
      "PADR",  "RAT",     "RECNO", "REPLICATE", "RIGHT", "ROUND",  "RTRIM",   "SPACE",  "STOD",   "STR",
      "STRTRAN", "STRZERO", "STUFF", "SUBSTR", "TRANSFORM", "TRIM", "UPPER",  "VAL",    "VALTYPE", "YEAR"};
  return CallsOnly(text, kOfRecordAlone);
}

std::unique_ptr<FieldKey> FieldKey::Compile(WorkArea& area, std::string_view text) {
  if (!area.used()) return nullptr;
  std::unique_ptr<FieldKey> plan(new FieldKey(area, area.stamp()));
  Scanner scan(text);
  auto field = [&](const std::string& name) {
    const std::string upper = UpperName(name);
    if (upper == "NIL" || upper == "SELF" || upper == "QSELF") return 0;  // the compiler's own words
    return area.FieldPos(Intern(name).Name());
  };
  do {
    Part part;
    std::string name;
    if (!scan.Name(name)) return nullptr;
    if (scan.Take('(')) {
      const std::string upper = UpperName(name);
      if (!PlannedFunction(upper)) return nullptr;
      part.function = &Intern(upper);
      std::string arg;
      if (!scan.Name(arg) || !(part.field = field(arg))) return nullptr;
      part.args.emplace_back();
      while (scan.Take(',')) {
        int n = 0;
        if (!scan.Integer(n)) return nullptr;
        part.args.push_back(Value::Integer(n));
      }
      if (!scan.Take(')')) return nullptr;
      const dbf::Field* f = area.FieldAt(part.field);
      if (f && upper == "DTOS" && f->type == 'D' && part.args.size() == 1) part.copy = Copy::kDtos;
      // STR( n, width ) of a whole number, STR( n, width, decimals ) to the field's decimals.
      if (f && upper == "STR" && f->type == 'N' && part.args.size() >= 2 && part.args.size() <= 3 &&
          (part.args.size() == 3 ? part.args[2].AsInt() : 0) == f->decimals && part.args[1].AsInt() > 0) {
        part.copy = Copy::kStr;
        part.width = static_cast<int>(part.args[1].AsInt());
      }
    } else if (!(part.field = field(name))) {
      return nullptr;
    }
    plan->parts_.push_back(std::move(part));
  } while (scan.Take('+'));
  if (!scan.AtEnd()) return nullptr;
  return plan;
}

FieldKey::Result FieldKey::Append(std::string& out, Value& other) {
  if (area_.stamp() != stamp_) return Result::kAsked;
  const std::size_t start = out.size();
  auto asked = [&] {
    out.resize(start);
    return Result::kAsked;
  };
  Value value;
  for (Part& part : parts_) {
    if (!part.function) {
      if (area_.AppendField(part.field, out, value)) continue;
      if (parts_.size() > 1) return asked();  // + over something else than text
      other = std::move(value);
      return Result::kValue;
    }
    const FunctionEntry* entry = part.function->Function();
    if (!entry) return asked();
    if (part.copy != Copy::kNone && AppendCopy(part, out)) continue;
    if (entry->transform && part.args.size() == 1) {
      const std::size_t from = out.size();
      if (!area_.AppendField(part.field, out, value)) return asked();
      entry->transform(out, from);
    } else if (entry->append) {
      part.args[0] = area_.GetField(part.field);
      Args args(part.args);
      if (!entry->append(args, out)) return asked();
    } else {
      return asked();
    }
  }
  return Result::kText;
}

// A number written as STR writes it: blanks, then an optional minus, the whole part without
// leading zeros, and the decimals the field keeps; at most 15 digits, so the value read back
// prints the same digits. A date as DTOS writes it: a valid date's digits, or blanks.
bool FieldKey::AppendCopy(const Part& part, std::string& out) const {
  const dbf::Field* f = area_.FieldAt(part.field);
  if (!f) return false;
  const std::string_view record = area_.table().record();
  const std::string_view bytes = dbf::FieldBytes(record, *f);
  if (part.copy == Copy::kDtos) {
    if (bytes.find_first_not_of(' ') != std::string_view::npos && dbf::DecodeDate(record, *f) == 0) return false;
    out.append(bytes);
    return true;
  }
  std::size_t i = 0;
  while (i < bytes.size() && bytes[i] == ' ') ++i;
  const std::string_view text = bytes.substr(i);
  if (text.empty() || text.size() > static_cast<std::size_t>(part.width)) return false;
  std::size_t p = text[0] == '-' ? 1 : 0;
  const std::size_t whole_start = p;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9') ++p;
  const std::size_t whole = p - whole_start;
  if (whole == 0 || (whole > 1 && text[whole_start] == '0')) return false;
  std::size_t decimals = 0;
  if (f->decimals > 0) {
    if (p == text.size() || text[p] != '.') return false;
    ++p;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') ++p, ++decimals;
    if (decimals != static_cast<std::size_t>(f->decimals)) return false;
  }
  if (p != text.size() || whole + decimals > 15) return false;
  // A negative zero prints without its sign.
  if (whole_start == 1 && text.find_first_not_of("0.", 1) == std::string_view::npos) return false;
  out.append(static_cast<std::size_t>(part.width) - text.size(), ' ');
  out.append(text);
  return true;
}

}  // namespace xb::rdd
