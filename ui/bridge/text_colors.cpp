#include "ui/bridge/text_colors.h"

namespace ui {
namespace {

constexpr int kBlue = 1;
constexpr int kGreen = 2;
constexpr int kRed = 4;
constexpr int kBright = 8;

int SideColour(std::string_view letters) {
  int colour = 0;
  for (char c : letters) {
    switch (c) {
      case 'B': case 'b': colour |= kBlue; break;
      case 'G': case 'g': colour |= kGreen; break;
      case 'R': case 'r': colour |= kRed; break;
      case 'W': case 'w': colour |= kBlue | kGreen | kRed; break;
      default: break;  // N is black; anything else is skipped
    }
  }
  return colour;
}

int PairSide(std::string_view pair, bool foreground) {
  const size_t slash = pair.find('/');
  const std::string_view side = foreground ? pair.substr(0, slash)
                                           : (slash == std::string_view::npos ? std::string_view{}
                                                                              : pair.substr(slash + 1));
  int colour = SideColour(side);
  if (pair.find(foreground ? '+' : '*') != std::string_view::npos) colour |= kBright;
  return colour;
}

}  // namespace

COLORREF TextColorToRGB(int colour) {
  const bool bright = (colour & kBright) != 0;
  const int hue = colour & 7;
  if (hue == 0) return bright ? 0x808080 : 0;
  if (hue == 7) return bright ? 0xFFFFFF : 0xC0C0C0;
  const COLORREF part = bright ? 0xFF : 0x80;
  COLORREF rgb = 0;
  if (hue & kRed) rgb |= part;
  if (hue & kGreen) rgb |= part << 8;
  if (hue & kBlue) rgb |= part << 16;
  return rgb;
}

COLORREF NGetForeRGB(std::string_view pair) { return TextColorToRGB(PairSide(pair, true)); }
COLORREF NGetBackRGB(std::string_view pair) { return TextColorToRGB(PairSide(pair, false)); }

}  // namespace ui
