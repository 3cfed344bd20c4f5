// The byte layout of device-independent bitmaps, read and checked before any use.
//
// A .BMP file is a 14-byte file header followed by a packed DIB:
//
//   file header (little endian)
//     0  2  "BM"
//     2  4  file size
//     6  4  two reserved words
//    10  4  offset of the pixel bits from the start of the file
//   packed DIB
//     0  header: BITMAPINFOHEADER (size 40, or 52/56/108/124 for its later forms) or the old
//        BITMAPCOREHEADER (size 12: 16-bit width and height, planes, bit count)
//     +  three 32-bit colour masks after a 40-byte header with BI_BITFIELDS
//     +  colour table: ColourCount entries of 4 bytes (3 for a core header)
//     +  pixel bits: rows padded to 4 bytes, bottom-up unless the height is negative
//
// Every size, count and offset read from a header is checked against the bytes at hand, so
// a damaged or hostile file is refused and never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ui::dib {

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kCoreHeaderSize = 12;
inline constexpr std::uint32_t kInfoHeaderSize = 40;

inline constexpr std::uint32_t kRgb = 0;        // BI_RGB
inline constexpr std::uint32_t kRle8 = 1;       // BI_RLE8
inline constexpr std::uint32_t kRle4 = 2;       // BI_RLE4
inline constexpr std::uint32_t kBitFields = 3;  // BI_BITFIELDS

// Larger images are refused: nothing the framework shows comes near, and the limit keeps
// every size computation far inside 32 bits.
inline constexpr std::int32_t kMaxDimension = 16384;
inline constexpr std::uint32_t kMaxImageBytes = 256u << 20;

// Where the parts of a packed DIB lie, as offsets from its first byte.
struct Layout {
  std::uint32_t header_size = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows top-down
  std::uint16_t bit_count = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colour_count = 0;  // entries of the colour table
  std::uint32_t entry_size = 4;    // bytes of one colour entry
  std::uint32_t masks_size = 0;    // 12 when three masks follow a 40-byte header
  std::uint32_t bits_offset = 0;   // header + masks + colour table
  std::uint32_t image_size = 0;    // bytes of pixel bits

  bool core() const { return header_size == kCoreHeaderSize; }
  std::uint32_t colours_offset() const { return header_size + masks_size; }
  // Header, masks, colour table and bits, with nothing between them.
  std::uint32_t packed_size() const { return bits_offset + image_size; }
  // Bytes of one row of an uncompressed image.
  std::uint32_t stride() const;
};

// The colour count of a header: biClrUsed when it is not 0; otherwise 2, 16 or 256 for 1, 4
// or 8 bits per pixel; otherwise 0. A core header's count follows from its bit count alone.
std::uint32_t ColourCount(std::uint32_t header_size, std::uint16_t bit_count, std::uint32_t clr_used);

// Reads and checks the header of a packed DIB. nullopt (and the reason in `why`) when the
// header is unknown or damaged, or when the colour table or the bits would lie past the end.
std::optional<Layout> ParsePacked(std::span<const std::uint8_t> block, std::string* why = nullptr);

// A packed DIB taken out of a .BMP file image. The bits are found at the file header's bits
// offset when it gives one (it may leave a gap after the colour table), else right after the
// colour table. `packed` is the DIB with nothing between its parts.
struct FileImage {
  Layout layout;
  std::vector<std::uint8_t> packed;
};
std::optional<FileImage> ParseFile(std::span<const std::uint8_t> file, std::string* why = nullptr);

// The 14-byte file header that goes before a packed DIB of `block_size` bytes: size =
// block_size + 14, bits offset = 14 + header + masks + colour entries of the header's size.
std::vector<std::uint8_t> FileHeader(const Layout& layout, std::uint32_t block_size);

// Little-endian reads that the caller has bounds-checked.
std::uint16_t Get16(const std::uint8_t* p);
std::uint32_t Get32(const std::uint8_t* p);

}  // namespace ui::dib
