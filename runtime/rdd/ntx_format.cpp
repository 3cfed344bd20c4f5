#include "runtime/rdd/ntx_format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace xb::rdd::ntx {
namespace {

std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
void Put16(char* p, std::uint16_t v) { p[0] = char(v); p[1] = char(v >> 8); }
void Put32(char* p, std::uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = char(v >> (8 * i)); }

std::string CString(const unsigned char* p, std::size_t max) {
  std::size_t n = 0;
  while (n < max && p[n]) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

BagStatus Corrupt(const char* what) {
  return BagStatus::Error(BagCode::kCorrupt, std::string("Índice NTX dañado: ") + what);
}

}  // namespace

void EncodeHeader(const Header& h, std::string& out) {
  out.assign(kPageSize, '\0');
  char* p = out.data();
  Put16(p, h.signature);
  Put16(p + 2, h.counter);
  Put32(p + 4, h.root);
  Put32(p + 8, h.free_page);
  Put16(p + 12, h.item_size);
  Put16(p + 14, h.key_length);
  Put16(p + 16, h.decimals);
  Put16(p + 18, h.max_items);
  Put16(p + 20, h.half);
  std::memcpy(p + 22, h.key.data(), std::min<std::size_t>(h.key.size(), 255));
  p[278] = h.unique ? 1 : 0;
  p[280] = h.descending ? 1 : 0;
  std::memcpy(p + 282, h.condition.data(), std::min<std::size_t>(h.condition.size(), 255));
  std::memcpy(p + 538, h.name.data(), std::min<std::size_t>(h.name.size(), 11));
}

BagStatus DecodeHeader(const unsigned char* p, std::uint64_t file_size, Header& h) {
  h.signature = U16(p);
  h.counter = U16(p + 2);
  h.root = U32(p + 4);
  h.free_page = U32(p + 8);
  h.item_size = U16(p + 12);
  h.key_length = U16(p + 14);
  h.decimals = U16(p + 16);
  h.max_items = U16(p + 18);
  h.half = U16(p + 20);
  h.key = CString(p + 22, 256);
  h.unique = p[278] != 0;
  h.descending = p[280] != 0;
  h.condition = CString(p + 282, 256);
  h.name = CString(p + 538, 12);
  if ((h.signature & 0xFF) != kSignature && (h.signature & 0xFF) != kSignatureFor) return Corrupt("firma desconocida");
  if (h.key_length == 0 || h.key_length > kMaxKeyLength || h.item_size != h.key_length + 8)
    return Corrupt("longitud de clave no válida");
  if (h.max_items < 2 || 2 + (h.max_items + 1) * (h.item_size + 2) > int(kPageSize))
    return Corrupt("número de claves por página no válido");
  if (h.root < kPageSize || h.root % kPageSize != 0 || h.root + kPageSize > file_size)
    return Corrupt("página raíz fuera del fichero");
  return BagStatus::Ok();
}

BagStatus DecodePage(const unsigned char* p, const Header& h, std::uint32_t offset, Page& page) {
  page.offset = offset;
  const int count = U16(p);
  if (count > h.max_items) return Corrupt("demasiadas claves en una página");
  page.items.resize(count + 1);
  for (int i = 0; i <= count; ++i) {
    const int at = U16(p + 2 + 2 * i);
    if (at < 2 + 2 * (h.max_items + 1) || at + h.item_size > int(kPageSize)) return Corrupt("desplazamiento de clave no válido");
    Item& item = page.items[i];
    item.child = U32(p + at);
    item.recno = U32(p + at + 4);
    if (i < count) item.key.assign(reinterpret_cast<const char*>(p + at + 8), h.key_length);
    else item.key.clear();
    if (item.child != 0 && (item.child % kPageSize != 0 || item.child < kPageSize)) return Corrupt("puntero de página no válido");
  }
  // Either every item has a child (interior) or none has (leaf).
  for (int i = 1; i <= count; ++i)
    if ((page.items[i].child == 0) != (page.items[0].child == 0)) return Corrupt("página mezcla hojas e interiores");
  return BagStatus::Ok();
}

void EncodePage(const Page& page, const Header& h, std::string& out) {
  out.assign(kPageSize, '\0');
  char* p = out.data();
  const int base = 2 + 2 * (h.max_items + 1);
  Put16(p, std::uint16_t(page.count()));
  for (int i = 0; i <= h.max_items; ++i) Put16(p + 2 + 2 * i, std::uint16_t(base + i * h.item_size));
  for (int i = 0; i <= page.count(); ++i) {
    char* item = p + base + i * h.item_size;
    Put32(item, page.items[i].child);
    if (i < page.count()) {
      Put32(item + 4, page.items[i].recno);
      std::memcpy(item + 8, page.items[i].key.data(), h.key_length);
    }
  }
}

std::string StrNumber(double value, int width, int decimals) {
  const double scale = std::pow(10.0, decimals);
  double rounded = std::round(value * scale) / scale;  // half away from zero, as Str() rounds
  if (rounded == 0) rounded = 0;
  char buf[128];
  std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, rounded);
  std::string s(buf);
  if (int(s.size()) > width) s.assign(width, '*');
  return s;
}

std::string DtosFromJulian(std::int32_t julian) {
  if (julian <= 0) return std::string(8, ' ');
  // Julian day number to the Gregorian calendar.
  std::int64_t a = julian + 32044, b = (4 * a + 3) / 146097, c = a - 146097 * b / 4;
  std::int64_t d = (4 * c + 3) / 1461, e = c - 1461 * d / 4, m = (5 * e + 2) / 153;
  const int day = int(e - (153 * m + 2) / 5 + 1), month = int(m + 3 - 12 * (m / 10));
  const int year = int(100 * b + d - 4800 + m / 10);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", year % 10000, month % 100, day % 100);
  return buf;
}

bool EncodeKey(const KeyValue& value, KeyType type, int key_length, int decimals, std::string& out) {
  if (value.type != type) return false;
  switch (type) {
    case KeyType::kCharacter:
      out.assign(value.text, 0, std::size_t(key_length));
      out.resize(key_length, ' ');
      return true;
    case KeyType::kNumeric: {
      out = StrNumber(value.number, key_length, decimals);
      const bool negative = out.find('-') != std::string::npos;
      for (char& c : out) {
        if (c == ' ' || c == '-') c = '0';
        if (negative && c >= '0' && c <= '9') c = char(92 - c);
      }
      return true;
    }
    case KeyType::kDate: out = DtosFromJulian(value.julian); out.resize(key_length, ' '); return true;
    case KeyType::kLogical: out = value.logical ? "T" : "F"; out.resize(key_length, ' '); return true;
  }
  return false;
}

KeyValue DecodeKey(const std::string& key, KeyType type) {
  switch (type) {
    case KeyType::kNumeric: {
      std::string s = key;
      const bool negative = !s.empty() && s[0] >= '#' && s[0] <= ',';
      if (negative)
        for (char& c : s)
          if (c >= '#' && c <= ',') c = char(92 - c);
      double v = std::atof(s.c_str());
      return KeyValue::Number(negative ? -v : v);
    }
    case KeyType::kDate: {
      if (key.size() < 8 || key[0] == ' ') return KeyValue::Date(0);
      const int y = std::atoi(key.substr(0, 4).c_str()), m = std::atoi(key.substr(4, 2).c_str()),
                d = std::atoi(key.substr(6, 2).c_str());
      const int a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
      return KeyValue::Date(d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045);
    }
    case KeyType::kLogical: return KeyValue::Logical(!key.empty() && key[0] == 'T');
    case KeyType::kCharacter: break;
  }
  return KeyValue::Text(key);
}

}  // namespace xb::rdd::ntx
