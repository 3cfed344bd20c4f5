#include "ui/bridge/wmf_format.h"

namespace ui::wmf {
namespace {

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::int16_t I16(std::span<const std::uint8_t> b, std::size_t at) { return static_cast<std::int16_t>(U16(b, at)); }
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}

// The bytes of `count` characters packed two to a parameter word from `first` on.
std::string PackedText(const std::vector<std::int16_t>& params, std::size_t first, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t word = first + i / 2;
    if (word >= params.size()) break;
    const auto w = static_cast<std::uint16_t>(params[word]);
    text.push_back(static_cast<char>(i % 2 == 0 ? w & 0xFF : w >> 8));
  }
  return text;
}

}  // namespace

std::optional<PlaceableHeader> ReadPlaceableHeader(std::span<const std::uint8_t> b) {
  if (b.size() < kPlaceableHeaderSize) return std::nullopt;
  PlaceableHeader h;
  h.key = U32(b, 0);
  h.left = I16(b, 6);
  h.top = I16(b, 8);
  h.right = I16(b, 10);
  h.bottom = I16(b, 12);
  h.units_per_inch = U16(b, 14);
  return h;
}

std::optional<MetaHeader> ReadMetaHeader(std::span<const std::uint8_t> b) {
  if (b.size() < kMetaHeaderSize) return std::nullopt;
  MetaHeader h;
  h.type = U16(b, 0);
  h.header_words = U16(b, 2);
  h.version = U16(b, 4);
  h.size_words = U32(b, 6);
  h.objects = U16(b, 10);
  h.max_record_words = U32(b, 12);
  return h;
}

std::optional<std::span<const std::uint8_t>> PlaceableMetafileBits(std::span<const std::uint8_t> file) {
  if (file.size() < kPlaceableHeaderSize + kMetaHeaderSize) return std::nullopt;
  const std::span<const std::uint8_t> rest = file.subspan(kPlaceableHeaderSize);
  const std::optional<MetaHeader> header = ReadMetaHeader(rest);
  const std::uint64_t bytes = static_cast<std::uint64_t>(header->size_words) * 2;
  if (bytes < kMetaHeaderSize || bytes > rest.size()) return std::nullopt;
  return rest.first(static_cast<std::size_t>(bytes));
}

std::optional<std::vector<Record>> ReadRecords(std::span<const std::uint8_t> metafile) {
  const std::optional<MetaHeader> header = ReadMetaHeader(metafile);
  if (!header) return std::nullopt;
  const std::uint64_t header_bytes = static_cast<std::uint64_t>(header->header_words) * 2;
  if (header_bytes < kMetaHeaderSize || header_bytes > metafile.size()) return std::nullopt;
  std::vector<Record> records;
  std::size_t at = static_cast<std::size_t>(header_bytes);
  while (at + 6 <= metafile.size()) {
    const std::uint64_t size = static_cast<std::uint64_t>(U32(metafile, at)) * 2;
    if (size < 6 || size > metafile.size() - at) return std::nullopt;
    Record r;
    r.function = U16(metafile, at + 4);
    for (std::size_t p = at + 6; p + 2 <= at + size; p += 2) r.params.push_back(I16(metafile, p));
    const bool end = r.function == kEof;
    records.push_back(std::move(r));
    if (end) break;
    at += static_cast<std::size_t>(size);
  }
  return records;
}

std::vector<Text> TextsOf(const std::vector<Record>& records) {
  constexpr int kClipped = 4, kOpaque = 2;  // ETO_CLIPPED, ETO_OPAQUE: a rectangle follows
  std::vector<Text> texts;
  int align = 0;
  for (const Record& r : records) {
    const auto& p = r.params;
    if (r.function == kSetTextAlign && !p.empty()) {
      align = static_cast<std::uint16_t>(p[0]);
    } else if (r.function == kTextOut && !p.empty()) {
      // count, text (padded to a word), y, x
      const auto count = static_cast<std::uint16_t>(p[0]);
      const std::size_t words = (count + 1u) / 2;
      if (p.size() < 1 + words + 2) continue;
      texts.push_back({p[1 + words + 1], p[1 + words], align, PackedText(p, 1, count)});
    } else if (r.function == kExtTextOut && p.size() >= 4) {
      // y, x, count, options, [rectangle], text, [widths]
      const auto count = static_cast<std::uint16_t>(p[2]);
      const std::size_t first = (p[3] & (kClipped | kOpaque)) != 0 ? 8 : 4;
      texts.push_back({p[1], p[0], align, PackedText(p, first, count)});
    }
  }
  return texts;
}

}  // namespace ui::wmf
