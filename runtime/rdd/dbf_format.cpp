#include "runtime/rdd/dbf_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "runtime/number.h"

namespace xb::rdd::dbf {
namespace {

std::uint16_t Get16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t Get32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(Get16(b, at)) | static_cast<std::uint32_t>(Get16(b, at + 2)) << 16;
}
void Put16(std::string& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

Status Corrupt(const std::string& what) {
  return Status::Error(StatusCode::kCorrupt, "cabecera de tabla dañada: " + what);
}
Status Invalid(const std::string& what) { return Status::Error(StatusCode::kInvalid, what); }

bool NameCharOk(char c, bool first) {
  if ((c >= 'A' && c <= 'Z') || c == '_') return true;
  return !first && c >= '0' && c <= '9';
}

// Length and decimals of a field as its type demands; false when they are not usable.
bool CheckLengths(char type, int length, int decimals) {
  switch (type) {
    case 'C': return length >= 1 && length <= 0xFFFF && decimals == 0;
    case 'N': return length >= 1 && length <= 255 && decimals >= 0 && decimals < length &&
                     (decimals == 0 || decimals <= length - 2);
    case 'D': return length == 8 && decimals == 0;
    case 'L': return length == 1 && decimals == 0;
    case 'M': return length == static_cast<int>(kMemoFieldLength) && decimals == 0;
    default: return false;
  }
}

void PutField(char* record, const Field& field, std::string_view bytes) {
  std::memcpy(record + field.offset, bytes.data(), std::min<std::size_t>(bytes.size(), field.length));
}

}  // namespace

MemoKind Header::memo_kind() const {
  if (version == kVersionFpt) return MemoKind::kFpt;
  if (version == kVersionDbt) return MemoKind::kDbt;
  return MemoKind::kNone;
}

Status DecodeHeader(std::string_view bytes, Header* header) {
  if (bytes.size() < kHeaderSize) return Corrupt("fichero más corto que la cabecera");
  Header h;
  h.version = static_cast<std::uint8_t>(bytes[0]);
  h.year = 1900 + static_cast<unsigned char>(bytes[1]);
  h.month = static_cast<unsigned char>(bytes[2]);
  h.day = static_cast<unsigned char>(bytes[3]);
  h.record_count = Get32(bytes, 4);
  h.header_length = Get16(bytes, 8);
  h.record_length = Get16(bytes, 10);
  h.flags = static_cast<std::uint8_t>(bytes[kFlagsOffset]);
  h.code_page = static_cast<std::uint8_t>(bytes[29]);
  switch (h.version) {
    case kVersionPlain:
    case kVersionDbt:
    case kVersionFpt: break;
    default: return Corrupt("versión de tabla desconocida");
  }
  if (h.header_length < kHeaderSize + kFieldSize + 1) return Corrupt("longitud de cabecera fuera de rango");
  if (h.record_length < 2) return Corrupt("longitud de registro fuera de rango");
  *header = h;
  return Status();
}

Status DecodeFields(std::string_view bytes, const Header& header, std::vector<Field>* fields) {
  if (bytes.size() < header.header_length) return Corrupt("fichero más corto que la cabecera");
  std::vector<Field> out;
  std::size_t offset = 1;
  std::size_t at = kHeaderSize;
  for (; at + kFieldSize <= header.header_length; at += kFieldSize) {
    if (bytes[at] == kHeaderEnd) break;
    Field f;
    std::size_t n = 0;
    while (n < 11 && bytes[at + n] != '\0') ++n;
    f.name.assign(bytes.data() + at, n);
    while (!f.name.empty() && f.name.back() == ' ') f.name.pop_back();
    for (char& c : f.name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (f.name.empty()) return Corrupt("campo sin nombre");
    f.type = bytes[at + 11];
    if (f.type >= 'a' && f.type <= 'z') f.type = static_cast<char>(f.type - 'a' + 'A');
    int length = static_cast<unsigned char>(bytes[at + 16]);
    int decimals = static_cast<unsigned char>(bytes[at + 17]);
    if (f.type == 'C') {  // long character fields keep the high byte of the length here
      length += decimals * 256;
      decimals = 0;
    }
    if (f.type != 'C' && f.type != 'N' && f.type != 'D' && f.type != 'L' && f.type != 'M')
      return Corrupt("tipo de campo desconocido en " + f.name);
    if (!CheckLengths(f.type, length, decimals)) return Corrupt("longitud del campo " + f.name);
    f.length = static_cast<std::uint16_t>(length);
    f.decimals = static_cast<std::uint8_t>(decimals);
    f.offset = static_cast<std::uint16_t>(offset);
    offset += f.length;
    if (offset > header.record_length) return Corrupt("los campos exceden la longitud de registro");
    out.push_back(std::move(f));
  }
  if (out.empty()) return Corrupt("tabla sin campos");
  if (offset != header.record_length) return Corrupt("la longitud de registro no cuadra con los campos");
  *fields = std::move(out);
  return Status();
}

Status Layout(const std::vector<FieldSpec>& specs, MemoKind memo, Header* header,
              std::vector<Field>* fields) {
  if (specs.empty()) return Invalid("la estructura no tiene campos");
  if (specs.size() > kMaxFields) return Invalid("la estructura tiene demasiados campos");
  std::vector<Field> out;
  std::set<std::string> names;
  std::size_t offset = 1;
  bool has_memo = false;
  for (const FieldSpec& spec : specs) {
    Field f;
    std::string name = spec.name;
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    if (name.empty()) return Invalid("nombre de campo vacío");
    for (std::size_t i = 0; i < name.size(); ++i)
      if (!NameCharOk(name[i], i == 0)) return Invalid("nombre de campo no válido: " + name);
    if (!names.insert(name).second) return Invalid("campo repetido: " + name);
    f.name = name;
    f.type = spec.type >= 'a' && spec.type <= 'z' ? static_cast<char>(spec.type - 'a' + 'A') : spec.type;
    int length = spec.length, decimals = spec.decimals;
    switch (f.type) {
      case 'D': length = 8; decimals = 0; break;
      case 'L': length = 1; decimals = 0; break;
      case 'M': length = static_cast<int>(kMemoFieldLength); decimals = 0; has_memo = true; break;
      case 'C': decimals = 0; break;
      case 'N': break;
      default: return Invalid("tipo de campo no válido en " + name);
    }
    if (!CheckLengths(f.type, length, decimals))
      return Invalid("longitud o decimales no válidos en " + name);
    f.length = static_cast<std::uint16_t>(length);
    f.decimals = static_cast<std::uint8_t>(decimals);
    f.offset = static_cast<std::uint16_t>(offset);
    offset += f.length;
    if (offset > 0xFFFF) return Invalid("registro demasiado largo");
    out.push_back(std::move(f));
  }
  Header h;
  h.version = !has_memo ? kVersionPlain : memo == MemoKind::kDbt ? kVersionDbt : kVersionFpt;
  if (has_memo && memo == MemoKind::kNone) return Invalid("la tabla no admite campos memo");
  h.header_length = static_cast<std::uint16_t>(kHeaderSize + kFieldSize * out.size() + 2);
  h.record_length = static_cast<std::uint16_t>(offset);
  *header = h;
  *fields = std::move(out);
  return Status();
}

std::string EncodeHeader(const Header& h) {
  std::string b(kHeaderSize, '\0');
  b[0] = static_cast<char>(h.version);
  b[1] = static_cast<char>(h.year >= 1900 ? h.year - 1900 : 0);
  b[2] = static_cast<char>(h.month);
  b[3] = static_cast<char>(h.day);
  Put32(b, 4, h.record_count);
  Put16(b, 8, h.header_length);
  Put16(b, 10, h.record_length);
  b[kFlagsOffset] = static_cast<char>(h.flags);
  b[29] = static_cast<char>(h.code_page);
  return b;
}

std::string EncodeHeaderArea(const Header& h, const std::vector<Field>& fields) {
  std::string b = EncodeHeader(h);
  b.resize(h.header_length, '\0');
  std::size_t at = kHeaderSize;
  for (const Field& f : fields) {
    std::memcpy(b.data() + at, f.name.data(), std::min<std::size_t>(f.name.size(), 10));
    b[at + 11] = f.type;
    b[at + 16] = static_cast<char>(f.length & 0xFF);
    b[at + 17] = static_cast<char>(f.type == 'C' ? f.length >> 8 : f.decimals);
    at += kFieldSize;
  }
  b[at] = kHeaderEnd;
  return b;
}

std::int32_t DayNumber(int year, int month, int day) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return 0;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return 0;
  // Proleptic Gregorian calendar to Julian day number.
  const int a = (14 - month) / 12;
  const int y = year + 4800 - a;
  const int m = month + 12 * a - 3;
  return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void CivilDate(std::int32_t jd, int* year, int* month, int* day) {
  if (jd <= 0) {
    *year = *month = *day = 0;
    return;
  }
  const long a = jd + 32044;
  const long b = (4 * a + 3) / 146097;
  const long c = a - 146097 * b / 4;
  const long d = (4 * c + 3) / 1461;
  const long e = c - 1461 * d / 4;
  const long m = (5 * e + 2) / 153;
  *day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
  *month = static_cast<int>(m + 3 - 12 * (m / 10));
  *year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

std::string DecodeCharacter(std::string_view record, const Field& field) {
  return std::string(FieldBytes(record, field));
}

double DecodeNumber(std::string_view record, const Field& field) {
  // As the classic runtimes do: blanks, an optional sign, digits and one decimal point;
  // anything else (an overflowed "****" too) ends the number.
  const std::string_view s = FieldBytes(record, field);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  while (i < s.size() && s[i] == ' ') ++i;
  char buf[300];
  std::size_t n = 0, digits = 0, decimals = 0;
  bool dot = false;
  std::uint64_t units = 0;
  for (; i < s.size() && n + 1 < sizeof buf; ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      buf[n++] = c;
      units = units * 10 + static_cast<unsigned>(c - '0');
      ++digits;
      if (dot) ++decimals;
    } else if (c == '.' && !dot) {
      dot = true;
      buf[n++] = c;
    } else {
      break;
    }
  }
  buf[n] = '\0';
  if (digits == 0) return 0.0;
  double v;
  if (digits <= 15 && decimals <= 15) {
    // Both numbers are exact doubles, so the division rounds as strtod would.
    static const double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    v = static_cast<double>(units) / kPowers[decimals];
  } else {
    v = std::strtod(buf, nullptr);
  }
  return negative ? -v : v;
}

std::int32_t DecodeDate(std::string_view record, const Field& field) {
  const std::string_view s = FieldBytes(record, field);
  if (s.size() != 8) return 0;
  int parts[3] = {0, 0, 0};
  const int widths[3] = {4, 2, 2};
  std::size_t at = 0;
  for (int p = 0; p < 3; ++p) {
    for (int k = 0; k < widths[p]; ++k, ++at) {
      if (s[at] < '0' || s[at] > '9') return 0;
      parts[p] = parts[p] * 10 + (s[at] - '0');
    }
  }
  return DayNumber(parts[0], parts[1], parts[2]);
}

bool DecodeLogical(std::string_view record, const Field& field) {
  const char c = FieldBytes(record, field)[0];
  return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

std::uint32_t DecodeMemoBlock(std::string_view record, const Field& field) {
  const std::string_view s = FieldBytes(record, field);
  std::uint64_t block = 0;
  for (char c : s) {
    if (c == ' ') {
      if (block != 0) break;
      continue;
    }
    if (c < '0' || c > '9') return 0;
    block = block * 10 + static_cast<unsigned>(c - '0');
    if (block > 0xFFFFFFFFu) return 0;
  }
  return static_cast<std::uint32_t>(block);
}

void EncodeCharacter(char* record, const Field& field, std::string_view text) {
  std::memset(record + field.offset, ' ', field.length);
  PutField(record, field, text);
}

std::string FormatNumber(double value, int length, int decimals) {
  if (length < 1) return {};
  std::string text(static_cast<std::size_t>(length), ' ');
  if (!FormatNumberField(Value::Double(value, decimals), length, decimals, text.data())) return {};
  return text;
}

Status EncodeNumber(char* record, const Field& field, double value) {
  // Written as STR(value, length, decimals) writes it; asterisks when it does not fit.
  if (!FormatNumberField(Value::Double(value, field.decimals), field.length, field.decimals, record + field.offset))
    return Status::Error(StatusCode::kDataWidth, "el número no cabe en el campo " + field.name);
  return Status();
}

void EncodeDate(char* record, const Field& field, std::int32_t day_number) {
  int y, m, d;
  CivilDate(day_number, &y, &m, &d);
  if (day_number <= 0 || y > 9999) {
    std::memset(record + field.offset, ' ', field.length);
    return;
  }
  char buf[8];
  const int parts[3] = {y, m, d}, widths[3] = {4, 2, 2};
  for (int p = 0, at = 0; p < 3; at += widths[p], ++p)
    for (int k = widths[p] - 1, v = parts[p]; k >= 0; --k, v /= 10) buf[at + k] = static_cast<char>('0' + v % 10);
  PutField(record, field, std::string_view(buf, 8));
}

void EncodeLogical(char* record, const Field& field, bool value) {
  record[field.offset] = value ? 'T' : 'F';
}

void EncodeMemoBlock(char* record, const Field& field, std::uint32_t block) {
  std::memset(record + field.offset, ' ', field.length);
  if (block == 0) return;
  const std::string digits = std::to_string(block);
  std::memcpy(record + field.offset + field.length - digits.size(), digits.data(), digits.size());
}

}  // namespace xb::rdd::dbf
