// Byte layout of compound (CDX) index files.
//
// A file is a sequence of 512-byte pages. The file header (1024 bytes at offset 0) is itself a
// tag header: the "tag directory" whose keys are tag names (10 bytes) and whose record numbers are
// the offsets of the tags' own headers. Tag headers are 1024 bytes too:
//    0  u32  root page                    4  u32  free page list (0: none)
//    8  u32  change counter (bumped by every writer, so other processes know to re-read)
//   12  u16  key length                  14  u8   options: 0x01 unique, 0x08 FOR, 0x20 compact,
//   15  u8   signature (1)                          0x40 compound, 0x80 structural (directory)
//   16  u16  header size (1024)          18  u16  page size (512)
//   20  4 bytes "RCHB" in the file header only
//  502  u16  1 = descending              504  u16  key expression length, with its NUL
//  506  u16  FOR expression length, with its NUL (1 when none)
//  510  u16  key expression length, with its NUL
//  512  key expression, NUL, FOR expression, NUL
// Pages (all integers little-endian, except the big-endian numbers inside interior entries):
//    0  u16  attributes: 0 interior, 1 root, 2 leaf (3 root leaf)
//    2  u16  number of keys               4  u32  left sibling (0xFFFFFFFF none)
//    8  u32  right sibling (0xFFFFFFFF none)
// interior, from 12: entries of key bytes, u32 BE record number, u32 BE child page; the key of
//   an entry is the last (greatest) key of its child.
// leaf, from 12: u16 free bytes, u32 record-number mask, u8 duplicate mask, u8 trailing mask,
//   u8 record bits, u8 duplicate bits, u8 trailing bits, u8 bytes per entry; from 24 the entries
//   (record number | duplicates << record bits | trailing << (record + duplicate bits)), and the
//   key bytes packed backwards from the end of the page: each key stores only what is neither
//   shared with the previous key of the page (duplicates) nor trailing blanks (trailing).
// Keys: character keys as Windows-1252 bytes padded with blanks, ordered by the code page's
// collation; numeric and date keys as 8-byte big-endian doubles with the sign bit flipped
// (negative: every bit flipped), dates as the Julian day number, padded with NUL; logical keys
// "T"/"F". Equal keys sort by record number; a descending tag is stored ascending and walked
// backwards.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/rdd/order_bag.h"

namespace xb::rdd::cdx {

constexpr std::uint32_t kPageSize = 512;
constexpr std::uint32_t kHeaderSize = 1024;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr int kMaxKeyLength = 240;
constexpr int kTagNameLength = 10;
constexpr int kLeafDataStart = 24;
constexpr int kInteriorDataStart = 12;

enum : std::uint8_t { kOptUnique = 0x01, kOptFor = 0x08, kOptCompact = 0x20, kOptCompound = 0x40,
                      kOptStructural = 0x80 };
enum : std::uint16_t { kAttrInterior = 0, kAttrRoot = 1, kAttrLeaf = 2 };

struct TagHeader {
  std::uint32_t root = 0, free_list = 0, counter = 0;
  std::uint16_t key_length = 0;
  std::uint8_t options = kOptCompact | kOptCompound, signature = 1;
  bool descending = false;
  bool file_header = false;  // the tag directory: writes "RCHB"
  std::string key, condition;
};

// Encodes into 1024 bytes. Expressions too long for the pool are refused.
BagStatus EncodeTagHeader(const TagHeader& h, std::string& out);
BagStatus DecodeTagHeader(const unsigned char* data, TagHeader& h);

// One entry of a page: the full key (key_length bytes), its record number, the child page
// (interior entries only).
struct Entry {
  std::string key;
  std::uint32_t recno = 0;
  std::uint32_t child = 0;
};

struct Page {
  std::uint32_t offset = 0;
  std::uint16_t attr = kAttrLeaf;
  std::uint32_t left = kNone, right = kNone;
  std::vector<Entry> entries;
  bool leaf() const { return attr & kAttrLeaf; }
  bool root() const { return attr & kAttrRoot; }
};

// The compression scheme of a leaf: bit widths of its entries.
struct LeafBits {
  int record_bits = 0, dup_bits = 0, trail_bits = 0, bytes = 0;
};
// Bit widths for keys of `key_length` bytes and record numbers up to `max_recno`.
LeafBits LeafBitsFor(int key_length, std::uint32_t max_recno);

// Interior entries per page.
inline int InteriorCapacity(int key_length) { return (kPageSize - kInteriorDataStart) / (key_length + 8); }

// Trailing fill byte of a key type: blanks for character keys, NUL for the others.
inline char FillByte(KeyType type) { return type == KeyType::kCharacter || type == KeyType::kLogical ? ' ' : '\0'; }

// A key in sorted order as the builder receives it: key_length bytes kept elsewhere.
struct SortedKey {
  const char* key;
  std::uint32_t recno;
};

// Decodes a page; checks every count, width and length against the page bounds.
BagStatus DecodePage(const unsigned char* data, std::uint32_t offset, int key_length, char fill, Page& page);
// Encodes a page into 512 bytes. A leaf that does not fit answers false (nothing written).
bool EncodeLeaf(const Page& page, int key_length, char fill, const LeafBits& bits, std::string& out);
// EncodeLeaf for a leaf of `count` keys in place, into `out` (512 bytes, zero on entry).
bool EncodeLeafKeys(const SortedKey* keys, int count, std::uint16_t attr, std::uint32_t left, std::uint32_t right,
                    int key_length, char fill, const LeafBits& bits, char* out);
void EncodeInterior(const Page& page, int key_length, std::string& out);

// Adds `by` to every page offset held in `size` bytes of whole pages: the siblings of each page
// and the children of interior ones. Pages built for one place of the file go to another.
void MovePages(char* pages, std::size_t size, int key_length, std::uint32_t by);

// Incremental measure of a leaf being filled in key order: bytes used so far.
class LeafPacker {
 public:
  LeafPacker(int key_length, char fill, const LeafBits& bits) : key_length_(key_length), fill_(fill), bits_(bits) {}
  // Bytes the key would take after `previous` (nullptr: first key of the page).
  int Cost(const std::string& key, const std::string* previous) const;
  int Cost(const char* key, const char* previous) const;
  static constexpr int kSpace = kPageSize - kLeafDataStart;
 private:
  int key_length_;
  char fill_;
  LeafBits bits_;
};

// Key encodings.
std::string EncodeDouble(double value);
double DecodeDouble(const unsigned char* data);
// The stored form of a key value for a tag of the given type and length; false when the value's
// type differs from the tag's.
bool EncodeKey(const KeyValue& value, KeyType type, int key_length, std::string& out);
// The value a stored key stands for.
KeyValue DecodeKey(std::string_view key, KeyType type);

}  // namespace xb::rdd::cdx
