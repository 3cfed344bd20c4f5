// Fuzz target of the DIB reader: any bytes as a .BMP file image and as a packed DIB. What the
// reader accepts must hold every part it names within the bytes given, so the bitmap
// functions never read past a block.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ui/bridge/dib_format.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

void CheckLayout(const ui::dib::Layout& l, std::size_t available) {
  Check(l.bits_offset == l.colours_offset() + l.colour_count * l.entry_size);
  Check(static_cast<std::uint64_t>(l.bits_offset) + l.image_size <= available);
  Check(l.width > 0 && l.height != 0);
  if (l.compression == ui::dib::kRgb || l.compression == ui::dib::kBitFields) {
    const std::uint64_t rows = static_cast<std::uint64_t>(l.height < 0 ? -static_cast<std::int64_t>(l.height) : l.height);
    Check(static_cast<std::uint64_t>(l.stride()) * rows == l.image_size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (const auto image = ui::dib::ParseFile(bytes)) {
    CheckLayout(image->layout, image->packed.size());
    Check(image->packed.size() == image->layout.packed_size());
    // Every byte the image holds is read, as a drawing would.
    std::uint32_t sum = 0;
    for (std::uint8_t b : image->packed) sum += b;
    const auto header = ui::dib::FileHeader(image->layout, static_cast<std::uint32_t>(image->packed.size()));
    Check(header.size() == ui::dib::kFileHeaderSize);
    Check(ui::dib::Get32(header.data() + 10) == ui::dib::kFileHeaderSize + image->layout.bits_offset);
    (void)sum;
  }
  if (size > ui::dib::kFileHeaderSize) {
    const auto block = bytes.subspan(ui::dib::kFileHeaderSize);
    if (const auto layout = ui::dib::ParsePacked(block)) CheckLayout(*layout, block.size());
  }
  return 0;
}
