#include "ui/bridge/dib_format.h"

#include <cstdlib>

namespace ui::dib {
namespace {

std::optional<Layout> Refuse(std::string* why, const char* reason) {
  if (why != nullptr) *why = reason;
  return std::nullopt;
}

bool KnownInfoHeaderSize(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t Layout::stride() const {
  const std::uint64_t bits = static_cast<std::uint64_t>(width) * bit_count;
  return static_cast<std::uint32_t>((bits + 31) / 32 * 4);
}

std::uint32_t ColourCount(std::uint32_t header_size, std::uint16_t bit_count, std::uint32_t clr_used) {
  if (header_size != kCoreHeaderSize && clr_used != 0) return clr_used;
  switch (bit_count) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

std::optional<Layout> ParsePacked(std::span<const std::uint8_t> block, std::string* why) {
  if (block.size() < 4) return Refuse(why, "too short for a header");
  const std::uint8_t* p = block.data();
  Layout l;
  l.header_size = Get32(p);
  std::uint16_t planes = 0;
  std::uint32_t clr_used = 0;
  std::uint32_t size_image = 0;
  if (l.header_size == kCoreHeaderSize) {
    if (block.size() < kCoreHeaderSize) return Refuse(why, "header cut short");
    l.width = Get16(p + 4);
    l.height = Get16(p + 6);
    planes = Get16(p + 8);
    l.bit_count = Get16(p + 10);
    l.entry_size = 3;
    if (l.bit_count != 1 && l.bit_count != 4 && l.bit_count != 8 && l.bit_count != 24)
      return Refuse(why, "bit count");
  } else if (KnownInfoHeaderSize(l.header_size)) {
    if (block.size() < l.header_size) return Refuse(why, "header cut short");
    l.width = static_cast<std::int32_t>(Get32(p + 4));
    l.height = static_cast<std::int32_t>(Get32(p + 8));
    planes = Get16(p + 12);
    l.bit_count = Get16(p + 14);
    l.compression = Get32(p + 16);
    size_image = Get32(p + 20);
    clr_used = Get32(p + 32);
    switch (l.bit_count) {
      case 1: case 4: case 8: case 16: case 24: case 32: break;
      default: return Refuse(why, "bit count");
    }
    switch (l.compression) {
      case kRgb: break;
      case kRle8: if (l.bit_count != 8) return Refuse(why, "compression"); break;
      case kRle4: if (l.bit_count != 4) return Refuse(why, "compression"); break;
      case kBitFields: if (l.bit_count != 16 && l.bit_count != 32) return Refuse(why, "compression"); break;
      default: return Refuse(why, "compression");
    }
    if (l.compression == kBitFields && l.header_size == kInfoHeaderSize) l.masks_size = 12;
  } else {
    return Refuse(why, "header size");
  }
  if (planes != 1) return Refuse(why, "planes");
  // INT32_MIN has no magnitude; anything near it is refused by the limit anyway.
  if (l.width <= 0 || l.height == 0 || l.height < -kMaxDimension || l.width > kMaxDimension ||
      l.height > kMaxDimension)
    return Refuse(why, "size");
  if ((l.compression == kRle8 || l.compression == kRle4) && l.height < 0)
    return Refuse(why, "compressed top-down image");

  l.colour_count = ColourCount(l.header_size, l.bit_count, clr_used);
  // A palette image cannot use more colours than its bits address; others may carry a
  // colour table for display only, of at most 256 entries.
  const std::uint32_t most = l.bit_count <= 8 ? (1u << l.bit_count) : 256u;
  if (l.colour_count > most) return Refuse(why, "colour count");

  const std::uint64_t bits_offset = static_cast<std::uint64_t>(l.header_size) + l.masks_size +
                                    static_cast<std::uint64_t>(l.colour_count) * l.entry_size;
  if (bits_offset > block.size()) return Refuse(why, "colour table past the end");
  l.bits_offset = static_cast<std::uint32_t>(bits_offset);

  std::uint64_t image = 0;
  if (l.compression == kRle8 || l.compression == kRle4) {
    image = size_image;  // the decoder stops at this many bytes
    if (image == 0) return Refuse(why, "compressed image without its size");
  } else {
    image = static_cast<std::uint64_t>(l.stride()) * static_cast<std::uint64_t>(std::abs(l.height));
  }
  if (image > kMaxImageBytes) return Refuse(why, "image too large");
  if (bits_offset + image > block.size()) return Refuse(why, "bits past the end");
  l.image_size = static_cast<std::uint32_t>(image);
  return l;
}

std::optional<FileImage> ParseFile(std::span<const std::uint8_t> file, std::string* why) {
  if (file.size() <= kFileHeaderSize) {
    if (why != nullptr) *why = "too short for a file header";
    return std::nullopt;
  }
  const std::span<const std::uint8_t> block = file.subspan(kFileHeaderSize);
  std::optional<Layout> layout = ParsePacked(block, why);
  if (!layout) return std::nullopt;
  FileImage image;
  image.layout = *layout;

  std::uint32_t bits_at = layout->bits_offset;  // inside the block
  const std::uint32_t file_offset = Get32(file.data() + 10);
  if (file_offset != 0) {
    if (file_offset < kFileHeaderSize + layout->bits_offset ||
        static_cast<std::uint64_t>(file_offset) + layout->image_size > file.size()) {
      if (why != nullptr) *why = "bits offset";
      return std::nullopt;
    }
    bits_at = static_cast<std::uint32_t>(file_offset - kFileHeaderSize);
  }
  image.packed.assign(block.begin(), block.begin() + layout->bits_offset);
  image.packed.insert(image.packed.end(), block.begin() + bits_at, block.begin() + bits_at + layout->image_size);
  return image;
}

std::vector<std::uint8_t> FileHeader(const Layout& layout, std::uint32_t block_size) {
  std::vector<std::uint8_t> h(kFileHeaderSize, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  h[0] = 'B';
  h[1] = 'M';
  put32(2, block_size + static_cast<std::uint32_t>(kFileHeaderSize));
  put32(10, static_cast<std::uint32_t>(kFileHeaderSize) + layout.bits_offset);
  return h;
}

}  // namespace ui::dib
