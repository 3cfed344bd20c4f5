#include "runtime/rdd/cdx_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace xb::rdd::cdx {
namespace {

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint32_t Be32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
void Put16(char* p, std::uint16_t v) { p[0] = char(v); p[1] = char(v >> 8); }
void Put32(char* p, std::uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = char(v >> (8 * i)); }
void PutBe32(char* p, std::uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = char(v >> (24 - 8 * i)); }

int BitsFor(std::uint32_t n) { return n == 0 ? 0 : 32 - std::countl_zero(n); }

BagStatus Corrupt(const char* what) {
  return BagStatus::Error(BagCode::kCorrupt, std::string("Índice CDX dañado: ") + what);
}

int Trailing(const char* key, int length, char fill) {
  int n = 0;
  while (n < length && key[length - 1 - n] == fill) ++n;
  return n;
}

int Shared(const char* a, const char* b, int limit) {
  int n = 0;
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

}  // namespace

BagStatus EncodeTagHeader(const TagHeader& h, std::string& out) {
  out.assign(kHeaderSize, '\0');
  const std::size_t key_len = h.key.size() + 1, for_len = h.condition.size() + 1;
  if (key_len + for_len > kHeaderSize - 512)
    return BagStatus::Error(BagCode::kBadArgument, "Expresión de índice demasiado larga");
  char* p = out.data();
  Put32(p, h.root);
  Put32(p + 4, h.free_list);
  Put32(p + 8, h.counter);
  Put16(p + 12, h.key_length);
  p[14] = char(h.options);
  p[15] = char(h.signature);
  Put16(p + 16, kHeaderSize);
  Put16(p + 18, kPageSize);
  if (h.file_header) std::memcpy(p + 20, "RCHB", 4);
  Put16(p + 502, h.descending ? 1 : 0);
  Put16(p + 504, std::uint16_t(key_len));
  Put16(p + 506, std::uint16_t(for_len));
  Put16(p + 510, std::uint16_t(key_len));
  std::memcpy(p + 512, h.key.data(), h.key.size());
  std::memcpy(p + 512 + key_len, h.condition.data(), h.condition.size());
  return BagStatus::Ok();
}

BagStatus DecodeTagHeader(const unsigned char* p, TagHeader& h) {
  h.root = U32(p);
  h.free_list = U32(p + 4);
  h.counter = U32(p + 8);
  h.key_length = U16(p + 12);
  h.options = p[14];
  h.signature = p[15];
  h.descending = U16(p + 502) != 0;
  h.file_header = std::memcmp(p + 20, "RCHB", 4) == 0;
  if (h.key_length == 0 || h.key_length > kMaxKeyLength) return Corrupt("longitud de clave no válida");
  if (!(h.options & kOptCompact)) return Corrupt("formato de índice no compacto");
  const std::uint16_t page_size = U16(p + 18);
  if (page_size != 0 && page_size != kPageSize) return Corrupt("tamaño de página no admitido");
  const std::size_t key_len = U16(p + 510), for_len = U16(p + 506);
  if (key_len > 512 || for_len > 512 || key_len + for_len > 512) return Corrupt("expresiones fuera de la cabecera");
  auto text = [&](std::size_t at, std::size_t max) {
    std::size_t n = 0;
    while (n < max && p[512 + at + n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p + 512 + at), n);
  };
  h.key = text(0, key_len);
  h.condition = for_len > 1 ? text(key_len, for_len) : std::string();
  return BagStatus::Ok();
}

LeafBits LeafBitsFor(int key_length, std::uint32_t max_recno) {
  LeafBits b;
  b.dup_bits = b.trail_bits = BitsFor(std::uint32_t(key_length));
  const int need = BitsFor(max_recno);
  for (b.bytes = 3; b.bytes < 8; ++b.bytes) {
    if (b.bytes * 8 - 2 * b.dup_bits >= need) break;
  }
  b.record_bits = b.bytes * 8 - 2 * b.dup_bits;
  return b;
}

int LeafPacker::Cost(const std::string& key, const std::string* previous) const {
  return Cost(key.data(), previous ? previous->data() : nullptr);
}

int LeafPacker::Cost(const char* key, const char* previous) const {
  const int trail = Trailing(key, key_length_, fill_);
  const int dup = previous ? Shared(previous, key, key_length_ - trail) : 0;
  return bits_.bytes + key_length_ - trail - dup;
}

BagStatus DecodePage(const unsigned char* p, std::uint32_t offset, int key_length, char fill, Page& page) {
  page.offset = offset;
  page.attr = U16(p);
  const int count = U16(p + 2);
  page.left = U32(p + 4);
  page.right = U32(p + 8);
  page.entries.clear();
  if (page.attr > 3) return Corrupt("tipo de página desconocido");
  if (!page.leaf()) {
    if (count > InteriorCapacity(key_length)) return Corrupt("demasiadas claves en una página");
    page.entries.resize(count);
    const unsigned char* e = p + kInteriorDataStart;
    for (int i = 0; i < count; ++i, e += key_length + 8) {
      Entry& entry = page.entries[i];
      entry.key.assign(reinterpret_cast<const char*>(e), key_length);
      entry.recno = Be32(e + key_length);
      entry.child = Be32(e + key_length + 4);
    }
    return BagStatus::Ok();
  }
  const std::uint32_t rec_mask = U32(p + 14);
  const int dup_mask = p[18], trail_mask = p[19];
  const int rec_bits = p[20], dup_bits = p[21], trail_bits = p[22], bytes = p[23];
  if (bytes < 1 || bytes > 8 || rec_bits + dup_bits + trail_bits > bytes * 8 || rec_bits > 32 ||
      dup_bits > 8 || trail_bits > 8)
    return Corrupt("compresión de hoja no válida");
  if (count * bytes > LeafPacker::kSpace) return Corrupt("demasiadas claves en una hoja");
  page.entries.resize(count);
  int text_end = kPageSize;  // key bytes are packed backwards from the end
  const int entries_end = kLeafDataStart + count * bytes;
  std::string previous(key_length, fill);
  for (int i = 0; i < count; ++i) {
    std::uint64_t v = 0;
    for (int b = bytes - 1; b >= 0; --b) v = v << 8 | p[kLeafDataStart + i * bytes + b];
    const int dup = int(v >> rec_bits) & dup_mask;
    const int trail = int(v >> (rec_bits + dup_bits)) & trail_mask;
    if (dup + trail > key_length || (i == 0 && dup > 0)) return Corrupt("clave comprimida no válida");
    const int stored = key_length - dup - trail;
    text_end -= stored;
    if (text_end < entries_end) return Corrupt("claves solapadas en una hoja");
    Entry& entry = page.entries[i];
    entry.recno = std::uint32_t(v) & rec_mask;
    entry.key.resize(key_length);
    std::memcpy(entry.key.data(), previous.data(), dup);
    std::memcpy(entry.key.data() + dup, p + text_end, stored);
    std::memset(entry.key.data() + dup + stored, fill, trail);
    previous = entry.key;
  }
  return BagStatus::Ok();
}

bool EncodeLeaf(const Page& page, int key_length, char fill, const LeafBits& bits, std::string& out) {
  std::vector<SortedKey> keys;
  keys.reserve(page.entries.size());
  for (const Entry& e : page.entries) keys.push_back({e.key.data(), e.recno});
  std::string buf(kPageSize, '\0');
  if (!EncodeLeafKeys(keys.data(), int(keys.size()), page.attr, page.left, page.right, key_length, fill, bits,
                      buf.data()))
    return false;
  out = std::move(buf);
  return true;
}

bool EncodeLeafKeys(const SortedKey* keys, int count, std::uint16_t attr, std::uint32_t left, std::uint32_t right,
                    int key_length, char fill, const LeafBits& bits, char* p) {
  int text_end = kPageSize;
  if (kLeafDataStart + count * bits.bytes > int(kPageSize)) return false;
  for (int i = 0; i < count; ++i) {
    const char* key = keys[i].key;
    const int trail = Trailing(key, key_length, fill);
    const int dup = i ? Shared(keys[i - 1].key, key, key_length - trail) : 0;
    const int stored = key_length - dup - trail;
    text_end -= stored;
    if (text_end < kLeafDataStart + count * bits.bytes) return false;
    std::memcpy(p + text_end, key + dup, stored);
    const std::uint64_t v = std::uint64_t(keys[i].recno) | std::uint64_t(dup) << bits.record_bits |
                            std::uint64_t(trail) << (bits.record_bits + bits.dup_bits);
    for (int b = 0; b < bits.bytes; ++b) p[kLeafDataStart + i * bits.bytes + b] = char(v >> (8 * b));
  }
  Put16(p, attr);
  Put16(p + 2, std::uint16_t(count));
  Put32(p + 4, left);
  Put32(p + 8, right);
  Put16(p + 12, std::uint16_t(text_end - kLeafDataStart - count * bits.bytes));
  Put32(p + 14, bits.record_bits >= 32 ? 0xFFFFFFFFu : (1u << bits.record_bits) - 1);
  p[18] = char((1 << bits.dup_bits) - 1);
  p[19] = char((1 << bits.trail_bits) - 1);
  p[20] = char(bits.record_bits);
  p[21] = char(bits.dup_bits);
  p[22] = char(bits.trail_bits);
  p[23] = char(bits.bytes);
  return true;
}

void EncodeInterior(const Page& page, int key_length, std::string& out) {
  out.assign(kPageSize, '\0');
  char* p = out.data();
  Put16(p, page.attr);
  Put16(p + 2, std::uint16_t(page.entries.size()));
  Put32(p + 4, page.left);
  Put32(p + 8, page.right);
  char* e = p + kInteriorDataStart;
  for (const Entry& entry : page.entries) {
    std::memcpy(e, entry.key.data(), key_length);
    PutBe32(e + key_length, entry.recno);
    PutBe32(e + key_length + 4, entry.child);
    e += key_length + 8;
  }
}

void MovePages(char* pages, std::size_t size, int key_length, std::uint32_t by) {
  auto move = [by](char* at, bool big_endian) {
    const auto* u = reinterpret_cast<const unsigned char*>(at);
    const std::uint32_t offset = big_endian ? Be32(u) : U32(u);
    if (offset == kNone) return;
    if (big_endian) PutBe32(at, offset + by);
    else Put32(at, offset + by);
  };
  for (char* p = pages; p + kPageSize <= pages + size; p += kPageSize) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    move(p + 4, false);
    move(p + 8, false);
    if (U16(u) & kAttrLeaf) continue;
    const int count = std::min<int>(U16(u + 2), InteriorCapacity(key_length));
    for (int i = 0; i < count; ++i) move(p + kInteriorDataStart + i * (key_length + 8) + key_length + 4, true);
  }
}

std::string EncodeDouble(double value) {
  if (value == 0) value = 0;  // -0 sorts as 0
  std::uint64_t bits;
  std::memcpy(&bits, &value, 8);
  bits = (bits >> 63) ? ~bits : bits | (std::uint64_t(1) << 63);
  std::string out(8, '\0');
  for (int i = 0; i < 8; ++i) out[i] = char(bits >> (56 - 8 * i));
  return out;
}

double DecodeDouble(const unsigned char* p) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = bits << 8 | p[i];
  bits = (bits >> 63) ? bits & ~(std::uint64_t(1) << 63) : ~bits;
  double value;
  std::memcpy(&value, &bits, 8);
  return value;
}

bool EncodeKey(const KeyValue& value, KeyType type, int key_length, std::string& out) {
  if (value.type != type) return false;
  switch (type) {
    case KeyType::kCharacter:
      out.assign(value.text, 0, std::size_t(key_length));
      out.resize(key_length, ' ');
      return true;
    case KeyType::kNumeric: out = EncodeDouble(value.number); return true;
    case KeyType::kDate: out = EncodeDouble(value.julian); return true;
    case KeyType::kLogical: out = value.logical ? "T" : "F"; return true;
  }
  return false;
}

KeyValue DecodeKey(std::string_view key, KeyType type) {
  const auto* p = reinterpret_cast<const unsigned char*>(key.data());
  switch (type) {
    case KeyType::kNumeric: return key.size() >= 8 ? KeyValue::Number(DecodeDouble(p)) : KeyValue::Number(0);
    case KeyType::kDate:
      return KeyValue::Date(key.size() >= 8 ? std::int32_t(DecodeDouble(p)) : 0);
    case KeyType::kLogical: return KeyValue::Logical(!key.empty() && key[0] == 'T');
    case KeyType::kCharacter: break;
  }
  return KeyValue::Text(std::string(key));
}

}  // namespace xb::rdd::cdx
