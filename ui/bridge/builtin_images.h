// Pictures kept in the program itself: the four 8 x 8 brush patterns, a 32 x 32 picture and
// the seven 16 x 16 tree-line connectors of the browses' trees. Each is a complete .BMP file
// image, 4 bits per pixel with the standard 16 colours, made into a device bitmap on request.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

namespace ui {

// The tree-line pictures, in the order of their line codes 1 to 7.
enum class TreeLine {
  kVertical = 1,       // continuation of an ancestor's branch
  kBranch = 2,         // branch to a following sibling
  kLastBranch = 3,     // branch of the last sibling
  kBranchClosed = 4,   // branch with a closed sub-tree ("+")
  kBranchOpen = 5,     // branch with an open sub-tree ("-")
  kLastClosed = 6,
  kLastOpen = 7,
};

// The .BMP file image of brush pattern 1-4 (brick wall, tile ...); empty for another number.
std::vector<std::uint8_t> BrushPatternFile(int type);
std::vector<std::uint8_t> VxBitmapFile();
std::vector<std::uint8_t> TreeLineFile(TreeLine line);

// Device bitmaps of them, on the screen's DC or `dc`; the caller deletes them.
HBITMAP VxBrushes(int type);  // nullptr outside 1-4
HBITMAP VxBitmap(HDC dc);
std::array<HBITMAP, 7> ATreeBmps(HDC dc);

}  // namespace ui
