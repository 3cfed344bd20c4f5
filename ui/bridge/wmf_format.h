// The byte layout of Windows metafiles, read and checked before any use.
//
// A placeable metafile file starts with a 22-byte header before the metafile proper:
//
//   placeable header (little endian)
//     0  4  key 0x9AC6CDD7 (not checked: files in use carry others)
//     4  2  handle (0 in a file)
//     6  8  bounding box left, top, right, bottom (signed 16-bit, in metafile units)
//    14  2  metafile units per inch
//    16  4  reserved
//    20  2  checksum (not checked)
//   standard metafile header (18 bytes, at 0 of a plain file, at 22 of a placeable one)
//     0  2  type (1 memory, 2 disk)
//     2  2  header size in 16-bit words (9)
//     4  2  version
//     6  4  size of the whole metafile in 16-bit words, the header included
//    10  2  number of objects
//    12  4  largest record in words
//    16  2  unused
//   records, each: size in words (4, the size field included), function (2), parameters
//   (16-bit words); the record of function 0 ends the metafile.
//
// Every size read from the file is checked against the bytes at hand, so a damaged or
// hostile file is refused and never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ui::wmf {

inline constexpr std::size_t kPlaceableHeaderSize = 22;
inline constexpr std::size_t kMetaHeaderSize = 18;
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// Record functions the readers of this module know.
inline constexpr std::uint16_t kEof = 0x0000;
inline constexpr std::uint16_t kSetTextAlign = 0x012E;
inline constexpr std::uint16_t kSetBkMode = 0x0102;
inline constexpr std::uint16_t kSetTextColor = 0x0209;
inline constexpr std::uint16_t kTextOut = 0x0521;
inline constexpr std::uint16_t kExtTextOut = 0x0A32;
inline constexpr std::uint16_t kLineTo = 0x0213;
inline constexpr std::uint16_t kMoveTo = 0x0214;
inline constexpr std::uint16_t kRectangle = 0x041B;
inline constexpr std::uint16_t kSelectObject = 0x012D;
inline constexpr std::uint16_t kCreateFontIndirect = 0x02FB;
inline constexpr std::uint16_t kStretchDib = 0x0F43;

struct PlaceableHeader {
  std::uint32_t key = 0;
  std::int16_t left = 0;
  std::int16_t top = 0;
  std::int16_t right = 0;
  std::int16_t bottom = 0;
  std::uint16_t units_per_inch = 0;
};

struct MetaHeader {
  std::uint16_t type = 0;
  std::uint16_t header_words = 0;
  std::uint16_t version = 0;
  std::uint32_t size_words = 0;
  std::uint16_t objects = 0;
  std::uint32_t max_record_words = 0;
};

// The placeable header at the start of `bytes`; nullopt when the bytes are too few.
std::optional<PlaceableHeader> ReadPlaceableHeader(std::span<const std::uint8_t> bytes);
// A standard header at the start of `bytes`; nullopt when the bytes are too few.
std::optional<MetaHeader> ReadMetaHeader(std::span<const std::uint8_t> bytes);

// The metafile proper inside a placeable file: the bytes its header's size field counts,
// starting at byte 22. nullopt when the file is shorter than its two headers or the size
// field runs past its end (or counts less than the header itself).
std::optional<std::span<const std::uint8_t>> PlaceableMetafileBits(std::span<const std::uint8_t> file);

struct Record {
  std::uint16_t function = 0;
  std::vector<std::int16_t> params;
};
// The records of a standard metafile (its header first), up to the end record. nullopt when
// a header or record size is out of bounds.
std::optional<std::vector<Record>> ReadRecords(std::span<const std::uint8_t> metafile);

// A text a metafile draws: where, the text alignment in force, and the text.
struct Text {
  int x = 0;
  int y = 0;
  int align = 0;
  std::string text;
};
std::vector<Text> TextsOf(const std::vector<Record>& records);

}  // namespace ui::wmf
