#include "ui/bridge/cursors.h"

#include <array>
#include <cstdint>
#include <utility>

#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

constexpr int kSize = 32;
using Art = std::array<const char*, kSize>;

// '.' transparent, 'X' black, 'o' white; rows shorter than 32 are transparent beyond.
constexpr Art kHand = {
    "......XX",
    ".....XooX",
    ".....XooX",
    ".....XooX",
    ".....XooX",
    ".....XooXXX",
    ".....XooXooXXX",
    ".....XooXooXooXX",
    "..XX.XooXooXooXoX",
    ".XooXXooooooooXooX",
    ".XoooXoooooooooooX",
    "..XooXoooooooooooX",
    "...XoXoooooooooooX",
    "...XooooooooooooX",
    "....XoooooooooooX",
    "....XooooooooooX",
    ".....XoooooooooX",
    ".....XoooooooooX",
    ".....XXXXXXXXXXX",
};

constexpr Art kCatch = {
    "", "", "", "", "", "", "", "", "", "",
    "...........XX.XX.XX",
    "..........XooXooXooXX",
    "..........XooXooXooXoX",
    "........XXXoooooooooX",
    ".......XooXoooooooooX",
    ".......XoooooooooooX",
    "........XooooooooooX",
    ".........XoooooooooX",
    "..........XooooooooX",
    "...........XooooooX",
    "...........XXXXXXXX",
};

constexpr Art kStop = {
    "......X",
    "......XX",
    "......XoX",
    "......XooX",
    "......XoooX",
    "......XooooX",
    "......XoooooX",
    "......XooooooX",
    "......XoooooooX",
    "......XooooXXXXX",
    "......XooXooX",
    "......XoX.XooX",
    "......XX..XooX......XXXXX",
    "......X....XooX...XXoooooXX",
    "...........XooX..XoooXXXoooX",
    "............XX..XooXX...XXooX",
    "................XoXooX....XoX",
    "...............XooX.XoX...XooX",
    "...............XoX...XoX...XoX",
    "...............XoX....XoX..XoX",
    "...............XoX.....XoX.XoX",
    "...............XooX.....XooXoX",
    "................XoX......XoXoX",
    "................XooXX...XXooX",
    ".................XoooXXXoooX",
    "..................XXoooooXX",
    "....................XXXXX",
};

constexpr Art kDrag = {
    "......X",
    "......XX",
    "......XoX",
    "......XooX",
    "......XoooX",
    "......XooooX",
    "......XoooooX",
    "......XooooooX",
    "......XoooooooX",
    "......XooooXXXXX",
    "......XooXooX",
    "......XoX.XooX",
    "......XX..XooX",
    "......X....XooX",
    "...........XooX",
    "............XX",
    "..............XXXXXXXXXXXXXX",
    "..............XooooooooooooX",
    "..............XoXXXXXXXXXXoX",
    "..............XoX........XoX",
    "..............XoX........XoX",
    "..............XoX........XoX",
    "..............XoXXXXXXXXXXoX",
    "..............XooooooooooooX",
    "..............XXXXXXXXXXXXXX",
};

HCURSOR MakeCursor(const Art& art, int hot_x, int hot_y) {
  constexpr int kRowBytes = kSize / 8;
  std::array<std::uint8_t, kSize * kRowBytes> and_mask;
  std::array<std::uint8_t, kSize * kRowBytes> xor_mask{};
  and_mask.fill(0xFF);
  for (int y = 0; y < kSize; ++y) {
    const char* row = art[y];
    for (int x = 0; row != nullptr && row[x] != '\0' && x < kSize; ++x) {
      const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
      const int at = y * kRowBytes + x / 8;
      if (row[x] == 'X' || row[x] == 'o') and_mask[at] &= static_cast<std::uint8_t>(~bit);
      if (row[x] == 'o') xor_mask[at] |= bit;
    }
  }
  return ::CreateCursor(GetInstance(), hot_x, hot_y, kSize, kSize, and_mask.data(),
                        xor_mask.data());
}

// A system cursor is shared and lives as long as the process: each is loaded once (a load
// is a round trip to the window system, and the hourglass is set after every step of a
// long task).
HCURSOR Standard(LPCSTR id) {
  static std::array<std::pair<LPCSTR, HCURSOR>, 4> loaded{};
  for (auto& [known, cursor] : loaded) {
    if (known == id) return cursor;
    if (known == nullptr) {
      cursor = ::LoadCursorA(nullptr, id);
      if (cursor != nullptr) known = id;
      return cursor;
    }
  }
  return ::LoadCursorA(nullptr, id);
}

HCURSOR SetStandard(LPCSTR id) { return ::SetCursor(Standard(id)); }

}  // namespace

HCURSOR CursorArrow() { return SetStandard(IDC_ARROW); }
HCURSOR CursorIBeam() { return SetStandard(IDC_IBEAM); }
HCURSOR CursorWE() { return SetStandard(IDC_SIZEWE); }
void CursorWait() { SetStandard(IDC_WAIT); }

HCURSOR GetCursorHand() {
  static const HCURSOR hand = [] {
    HCURSOR system = ::LoadCursorA(nullptr, IDC_HAND);
    return system != nullptr ? system : MakeCursor(kHand, 6, 0);
  }();
  return hand;
}

void CursorHand() { ::SetCursor(GetCursorHand()); }

HCURSOR GetCursorCatch() {
  static const HCURSOR cursor = MakeCursor(kCatch, 16, 16);
  return cursor;
}

void CursorCatch() { ::SetCursor(GetCursorCatch()); }

HCURSOR GetCursorStop() {
  static const HCURSOR cursor = MakeCursor(kStop, 6, 0);
  return cursor;
}

HCURSOR GetCursorDrag() {
  static const HCURSOR cursor = MakeCursor(kDrag, 6, 0);
  return cursor;
}

namespace {

// The colour depth of what a DC draws on: the selected bitmap's for a memory DC.
int SurfaceBitsPerPixel(HDC dc) {
  if (::GetObjectType(dc) == OBJ_MEMDC) {
    BITMAP info = {};
    if (::GetObjectA(::GetCurrentObject(dc, OBJ_BITMAP), sizeof info, &info) != 0) {
      return info.bmBitsPixel * info.bmPlanes;
    }
  }
  return ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
}

// With few colours a tint would fall on the nearest colour of the palette, most often the
// icon's own: every other opaque pixel, by a checkerboard pattern brush, turns dark blue.
void HighlightWithPattern(HDC dc, int row, int col, HICON icon, const MemorySurface& opaque) {
  MemoryDC copy_dc(dc);
  Bitmap copy(::CreateCompatibleBitmap(dc, kSize, kSize));
  SelectionScope select_copy(copy_dc.get(), copy.get());
  ::BitBlt(copy_dc.get(), 0, 0, kSize, kSize, dc, col, row, SRCCOPY);
  ::DrawIcon(copy_dc.get(), 0, 0, icon);

  // Monochrome: the pattern's set cells that fall on opaque pixels.
  static constexpr WORD kChecker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  Bitmap cells(::CreateBitmap(8, 8, 1, 1, kChecker));
  Brush pattern(::CreatePatternBrush(cells.get()));
  MemoryDC marks_dc(nullptr);
  Bitmap marks(::CreateBitmap(kSize, kSize, 1, 1, nullptr));
  SelectionScope select_marks(marks_dc.get(), marks.get());
  const RECT all = {0, 0, kSize, kSize};
  ::FillRect(marks_dc.get(), &all, pattern.get());
  const COLORREF kept_back = ::SetBkColor(opaque.dc(), RGB(0, 0, 0));  // opaque pixels are black there
  ::BitBlt(marks_dc.get(), 0, 0, kSize, kSize, opaque.dc(), 0, 0, SRCAND);
  ::SetBkColor(opaque.dc(), kept_back);

  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (::GetPixel(marks_dc.get(), x, y) != RGB(0, 0, 0)) ::SetPixelV(copy_dc.get(), x, y, RGB(0, 0, 128));
    }
  }
  ::BitBlt(dc, col, row, kSize, kSize, copy_dc.get(), 0, 0, SRCCOPY);
}

}  // namespace

bool DrawIconFocus(HDC dc, int row, int col, HICON icon) {
  // The icon's opaque pixels: those that come out the same on white and on black.
  MemorySurface on_white(kSize, kSize);
  MemorySurface on_black(kSize, kSize);
  on_white.Clear(RGB(255, 255, 255));
  on_black.Clear(RGB(0, 0, 0));
  ::DrawIcon(on_white.dc(), 0, 0, icon);
  ::DrawIcon(on_black.dc(), 0, 0, icon);
  ::BitBlt(on_white.dc(), 0, 0, kSize, kSize, on_black.dc(), 0, 0, SRCINVERT);
  if (SurfaceBitsPerPixel(dc) <= 8) {
    HighlightWithPattern(dc, row, col, icon, on_white);
    return true;
  }

  // The area under the icon, the icon drawn on it, then the tint.
  MemorySurface copy(kSize, kSize);
  ::BitBlt(copy.dc(), 0, 0, kSize, kSize, dc, col, row, SRCCOPY);
  ::DrawIcon(copy.dc(), 0, 0, icon);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (on_white.Pixel(x, y) != RGB(0, 0, 0)) continue;  // transparent there
      const COLORREF c = copy.Pixel(x, y);
      ::SetPixelV(copy.dc(), x, y,
                  RGB(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2 + 64));
    }
  }
  ::BitBlt(dc, col, row, kSize, kSize, copy.dc(), 0, 0, SRCCOPY);
  return true;
}

}  // namespace ui
