// Byte layout of NTX index files (one tag per file).
//
// The file is a sequence of 1024-byte pages; the first is the header:
//    0  u16  signature: 6, or 7 when the tag has a FOR condition
//    2  u16  change counter (1 when built; bumped by every writer)
//    4  u32  root page                    8  u32  first free page (0: none)
//   12  u16  item size (key length + 8)  14  u16  key length
//   16  u16  decimals of a numeric key   18  u16  keys per page (max)
//   20  u16  half of max                 22  key expression (256 bytes, NUL-terminated)
//  278  u8   unique                     280  u8   descending
//  282  FOR expression (256 bytes)      538  tag name (12 bytes)
// A page holds u16 count, then max + 1 u16 offsets of its items (in key order), then the items:
// u32 child page (0 in leaves), u32 record number, key bytes. Item `count` carries only the
// rightmost child. Keys live in interior pages too (a B-tree, not a B+ tree).
// Keys: character keys as Windows-1252 bytes ordered by the code page's collation; numeric keys
// as Str(value, length, decimals) with blanks as "0" and, for negative numbers, every digit d
// written as chr(92 - d) (so they sort before the positive ones); dates as DTOS() text; logical
// keys "T"/"F". A descending tag stores its keys in descending order (equal keys still by
// ascending record number).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/rdd/order_bag.h"

namespace xb::rdd::ntx {

constexpr std::uint32_t kPageSize = 1024;
constexpr int kMaxKeyLength = 256;
constexpr std::uint16_t kSignature = 6, kSignatureFor = 7;

struct Header {
  std::uint16_t signature = kSignature, counter = 1;
  std::uint32_t root = 0, free_page = 0;
  std::uint16_t item_size = 0, key_length = 0, decimals = 0, max_items = 0, half = 0;
  std::string key, condition, name;
  bool unique = false, descending = false;
};

// Keys per page for a key length: as many items (plus the rightmost child and their offsets)
// as fit, rounded down to an even number.
inline int MaxItems(int key_length) { return ((1022 / (key_length + 10)) - 1) & ~1; }

void EncodeHeader(const Header& h, std::string& out);
BagStatus DecodeHeader(const unsigned char* data, std::uint64_t file_size, Header& h);

struct Item {
  std::uint32_t child = 0, recno = 0;
  std::string key;
};
// Items in key order; the last one holds only the rightmost child (items.size() == count + 1).
struct Page {
  std::uint32_t offset = 0;
  std::vector<Item> items;
  int count() const { return int(items.size()) - 1; }
  bool leaf() const { return items.empty() || items[0].child == 0; }
};

BagStatus DecodePage(const unsigned char* data, const Header& h, std::uint32_t offset, Page& page);
// A fresh page image: offsets in order, unused items zero.
void EncodePage(const Page& page, const Header& h, std::string& out);

// Stored form of a value; false when the value's type is not the tag's.
bool EncodeKey(const KeyValue& value, KeyType type, int key_length, int decimals, std::string& out);
KeyValue DecodeKey(const std::string& key, KeyType type);
// Str(value, width, decimals) as xBase prints it (rounding half away from zero; "*" when too wide).
std::string StrNumber(double value, int width, int decimals);
std::string DtosFromJulian(std::int32_t julian);

}  // namespace xb::rdd::ntx
