// .BMP file images for the bitmap tests, built byte by byte.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace ui::test {

struct BmpSpec {
  int width = 4;
  int height = 3;         // negative: top-down
  int bit_count = 24;
  bool core = false;      // BITMAPCOREHEADER (12 bytes, 3-byte colours)
  std::uint32_t clr_used = 0;
  int colours = -1;       // entries written; -1: the header's count
  std::uint32_t gap = 0;  // bytes between the colour table and the bits (file offset honours it)
  // Pixel value at (x, y), y = 0 the top row: an RGB number for 24 bits, an index otherwise.
  std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0u; };
  // Colour table entry i as RGB (red in the low byte).
  std::function<std::uint32_t(int i)> colour = [](int i) {
    return static_cast<std::uint32_t>(i * 0x010101) & 0xFFFFFF;
  };
};

inline void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline std::vector<std::uint8_t> MakeBmp(const BmpSpec& s) {
  const int rows = s.height < 0 ? -s.height : s.height;
  const std::uint32_t stride = (static_cast<std::uint32_t>(s.width * s.bit_count) + 31) / 32 * 4;
  int count = s.colours;
  if (count < 0) count = s.clr_used != 0 ? static_cast<int>(s.clr_used) : (s.bit_count <= 8 ? 1 << s.bit_count : 0);
  const std::uint32_t header = s.core ? 12 : 40;
  const std::uint32_t entry = s.core ? 3 : 4;
  const std::uint32_t offset = 14 + header + static_cast<std::uint32_t>(count) * entry + s.gap;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put(out, offset + stride * static_cast<std::uint32_t>(rows), 4);
  Put(out, 0, 4);
  Put(out, offset, 4);
  Put(out, header, 4);
  if (s.core) {
    Put(out, static_cast<std::uint32_t>(s.width), 2);
    Put(out, static_cast<std::uint32_t>(s.height), 2);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(s.bit_count), 2);
  } else {
    Put(out, static_cast<std::uint32_t>(s.width), 4);
    Put(out, static_cast<std::uint32_t>(s.height), 4);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(s.bit_count), 2);
    Put(out, 0, 4);
    Put(out, stride * static_cast<std::uint32_t>(rows), 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, s.clr_used, 4);
    Put(out, 0, 4);
  }
  for (int i = 0; i < count; ++i) {
    const std::uint32_t c = s.colour(i);
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c));
    if (!s.core) out.push_back(0);
  }
  out.insert(out.end(), s.gap, 0xEE);
  for (int r = 0; r < rows; ++r) {
    const int y = s.height < 0 ? r : rows - 1 - r;
    std::vector<std::uint8_t> row(stride, 0);
    for (int x = 0; x < s.width; ++x) {
      const std::uint32_t v = s.pixel(x, y);
      switch (s.bit_count) {
        case 24:
          row[static_cast<std::size_t>(x) * 3] = static_cast<std::uint8_t>(v >> 16);
          row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(v >> 8);
          row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(v);
          break;
        case 8: row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(v); break;
        case 4: row[static_cast<std::size_t>(x) / 2] |= static_cast<std::uint8_t>(x % 2 ? v : v << 4); break;
        case 1: if (v) row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); break;
        default: break;
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace ui::test
