#include "ui/bridge/builtin_images.h"

#include <string>
#include <string_view>

#include "ui/bridge/dib_format.h"

namespace ui {
namespace {

// The standard 16 colours, by the letter the pictures below are drawn with.
struct PaletteColour {
  char letter;
  std::uint8_t r, g, b;
};
constexpr PaletteColour kColours[16] = {
    {'K', 0, 0, 0},       {'r', 128, 0, 0},     {'g', 0, 128, 0},     {'y', 128, 128, 0},
    {'b', 0, 0, 128},     {'m', 128, 0, 128},   {'c', 0, 128, 128},   {'G', 192, 192, 192},
    {'D', 128, 128, 128}, {'R', 255, 0, 0},     {'L', 0, 255, 0},     {'Y', 255, 255, 0},
    {'B', 0, 0, 255},     {'M', 255, 0, 255},   {'C', 0, 255, 255},   {'W', 255, 255, 255},
};

std::uint8_t IndexOf(char letter) {
  for (std::uint8_t i = 0; i < 16; ++i)
    if (kColours[i].letter == letter) return i;
  return 15;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A 4-bit .BMP file image of rows of colour letters, top row first.
std::vector<std::uint8_t> FileOf(const std::vector<std::string>& rows) {
  const auto width = static_cast<std::uint32_t>(rows.front().size());
  const auto height = static_cast<std::uint32_t>(rows.size());
  const std::uint32_t stride = (width * 4 + 31) / 32 * 4;
  const std::uint32_t bits_offset = dib::kFileHeaderSize + dib::kInfoHeaderSize + 16 * 4;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, bits_offset + stride * height);
  Put32(out, 0);
  Put32(out, bits_offset);
  Put32(out, dib::kInfoHeaderSize);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, dib::kRgb);
  Put32(out, stride * height);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 16);
  Put32(out, 0);
  for (const PaletteColour& c : kColours) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (std::uint32_t y = height; y-- > 0;) {  // bottom-up
    std::vector<std::uint8_t> row(stride, 0);
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t index = IndexOf(rows[y][x]);
      row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<std::string> Repeat(std::initializer_list<std::string_view> cycle, int count) {
  std::vector<std::string> rows;
  for (int i = 0; rows.size() < static_cast<std::size_t>(count); ++i)
    rows.emplace_back(*(cycle.begin() + i % cycle.size()));
  return rows;
}

std::vector<std::string> PatternRows(int type) {
  switch (type) {
    case 1: return Repeat({"GGGGGGGG", "GWGWGWGW"}, 8);
    case 2: return {"GDDDGDDD", "WWWWWWWG", "WGGGGGGD", "WGGGGGGD",
                    "GDDDDDDD", "WWWGWWWW", "GGGDWGGG", "GGGDWGGG"};
    case 3: return {"WWWWWWWG", "WGGGGGGD", "WGGGGGGD", "WGGGGGGD",
                    "WGGGGGGD", "WGGGGGGD", "WGGGGGGD", "GDDDDDDD"};
    case 4: return Repeat({"WGWGWGWG", "GWGWGWGW"}, 8);
    default: return {};
  }
}

// A small application window on the button face: frame, blue caption with its buttons and
// a white client area holding a bar chart.
std::vector<std::string> VxBitmapRows() {
  std::vector<std::string> rows(32, std::string(32, 'G'));
  auto fill = [&](int left, int top, int right, int bottom, char c) {
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c;
  };
  fill(2, 3, 29, 28, 'K');    // frame
  fill(3, 4, 28, 27, 'W');    // client
  fill(3, 4, 28, 8, 'b');     // caption
  fill(5, 6, 13, 6, 'W');     // caption text
  fill(24, 5, 27, 7, 'G');    // close box
  fill(25, 6, 26, 6, 'K');
  fill(3, 9, 28, 9, 'D');     // caption's lower edge
  fill(6, 25, 25, 25, 'K');   // chart axis
  fill(6, 12, 6, 25, 'K');
  fill(8, 18, 10, 24, 'R');   // bars
  fill(12, 14, 14, 24, 'g');
  fill(16, 20, 18, 24, 'B');
  fill(20, 12, 22, 24, 'Y');
  fill(20, 12, 22, 12, 'y');
  fill(30, 5, 30, 29, 'D');   // shadow
  fill(4, 29, 30, 29, 'D');
  return rows;
}

// Connectors of 16 x 16 on white (the transparent colour when drawn): dotted grey lines
// through the centre (7, 7) and, for a sub-tree, a 9 x 9 box with "+" or "-".
std::vector<std::string> TreeLineRows(TreeLine line) {
  std::vector<std::string> rows(16, std::string(16, 'W'));
  auto dot = [&](int x, int y, char c) { rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c; };
  const bool last = line == TreeLine::kLastBranch || line == TreeLine::kLastClosed || line == TreeLine::kLastOpen;
  const int bottom = line == TreeLine::kVertical || !last ? 15 : 7;
  for (int y = 0; y <= bottom; y += 2) dot(7, y, 'D');
  if (line != TreeLine::kVertical)
    for (int x = 7; x < 16; x += 2) dot(x, 7, 'D');
  const bool closed = line == TreeLine::kBranchClosed || line == TreeLine::kLastClosed;
  const bool open = line == TreeLine::kBranchOpen || line == TreeLine::kLastOpen;
  if (closed || open) {
    for (int i = 3; i <= 11; ++i) {
      dot(i, 3, 'D');
      dot(i, 11, 'D');
      dot(3, i, 'D');
      dot(11, i, 'D');
    }
    for (int y = 4; y <= 10; ++y)
      for (int x = 4; x <= 10; ++x) dot(x, y, 'W');
    for (int x = 5; x <= 9; ++x) dot(x, 7, 'K');
    if (closed)
      for (int y = 5; y <= 9; ++y) dot(7, y, 'K');
  }
  return rows;
}

HBITMAP DeviceBitmap(HDC dc, const std::vector<std::uint8_t>& file) {
  const auto image = dib::ParseFile(file);
  if (!image) return nullptr;
  HDC screen = nullptr;
  if (dc == nullptr) dc = screen = ::GetDC(nullptr);
  const std::uint8_t* packed = image->packed.data();
  HBITMAP bitmap = ::CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(packed), CBM_INIT,
                                    packed + image->layout.bits_offset,
                                    reinterpret_cast<const BITMAPINFO*>(packed), DIB_RGB_COLORS);
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace

std::vector<std::uint8_t> BrushPatternFile(int type) {
  const std::vector<std::string> rows = PatternRows(type);
  return rows.empty() ? std::vector<std::uint8_t>() : FileOf(rows);
}

std::vector<std::uint8_t> VxBitmapFile() { return FileOf(VxBitmapRows()); }

std::vector<std::uint8_t> TreeLineFile(TreeLine line) { return FileOf(TreeLineRows(line)); }

HBITMAP VxBrushes(int type) {
  if (type < 1 || type > 4) return nullptr;
  return DeviceBitmap(nullptr, BrushPatternFile(type));
}

HBITMAP VxBitmap(HDC dc) { return DeviceBitmap(dc, VxBitmapFile()); }

std::array<HBITMAP, 7> ATreeBmps(HDC dc) {
  std::array<HBITMAP, 7> bitmaps{};
  for (int i = 0; i < 7; ++i) bitmaps[static_cast<std::size_t>(i)] = DeviceBitmap(dc, TreeLineFile(static_cast<TreeLine>(i + 1)));
  return bitmaps;
}

}  // namespace ui
