// Fuzz target of the metafile readers: any bytes as a placeable file and as a metafile. What
// they accept lies within the bytes given.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ui/bridge/wmf_format.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (const auto bits = ui::wmf::PlaceableMetafileBits(bytes)) {
    Check(bits->data() >= data && bits->data() + bits->size() <= data + size);
    Check(bits->size() >= ui::wmf::kMetaHeaderSize);
  }
  std::size_t texts = 0;
  for (const auto from : {std::size_t{0}, ui::wmf::kPlaceableHeaderSize}) {
    if (from > size) continue;
    if (const auto records = ui::wmf::ReadRecords(bytes.subspan(from))) {
      std::size_t words = 0;
      for (const auto& r : *records) words += 3 + r.params.size();
      Check(words * 2 <= size);
      texts += ui::wmf::TextsOf(*records).size();
    }
  }
  (void)texts;
  return 0;
}
