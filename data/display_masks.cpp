#include "data/display_masks.h"

namespace data {

bool MaskDigitsInRange(MaskKind kind, int integers) {
  return kind == MaskKind::kPrice ? integers >= 3 && integers <= 10 : integers >= 5 && integers <= 12;
}

std::string MakeMask(MaskKind kind, int integers, int decimals, bool blank_zero) {
  if (!MaskDigitsInRange(kind, integers)) {
    if (kind == MaskKind::kPrice) return std::string(kDefaultPriceMask);
    return std::string(blank_zero ? kDefaultResultMaskZero : kDefaultResultMask);
  }
  std::string digits;
  for (int i = 1; i <= integers; ++i) {
    digits.insert(digits.begin(), '9');
    if (i % 3 == 0 && i < integers) digits.insert(digits.begin(), ',');
  }
  std::string mask = blank_zero ? "@EZ " : "@E ";
  mask += digits;
  if (decimals > 0) mask += "." + std::string(static_cast<std::size_t>(decimals), '9');
  return mask;
}

std::string cMasEuro(std::string_view picture, bool to_euros) {
  if (to_euros) {
    std::string built;
    int written = 0;
    for (std::size_t i = picture.size(); i > 0; --i) {
      const char c = picture[i - 1];
      if (c == '.' || c == ',') continue;
      if (c != '9') return std::string(picture.substr(0, i)) + built;
      if (written == 2) built.insert(built.begin(), '.');
      else if (written > 2 && (written - 2) % 3 == 0) built.insert(built.begin(), ',');
      built.insert(built.begin(), '9');
      ++written;
    }
    return built;
  }
  std::string mask(picture);
  if (const std::size_t dot = mask.find('.'); dot != std::string::npos) {
    std::size_t end = dot + 1;
    while (end < mask.size() && mask[end] == '9') ++end;
    mask.erase(dot, end - dot);
  }
  for (int i = 0; i < 2; ++i) {
    const std::size_t nine = mask.find('9');
    if (nine == std::string::npos) break;
    const std::size_t comma = mask.find(',');
    mask.insert(nine, comma != std::string::npos && comma == nine + 3 ? "9," : "9");
  }
  return mask;
}

}  // namespace data
