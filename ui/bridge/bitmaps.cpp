#include "ui/bridge/bitmaps.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "ui/bridge/dib_format.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/palette_table.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

HPALETTE g_last_palette = nullptr;

// The whole file, or nothing when it cannot be read or is larger than any sound bitmap.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> result;
  LARGE_INTEGER size = {};
  constexpr std::int64_t kMost = dib::kMaxImageBytes + (64 << 10);
  if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMost) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size())
      result = std::move(bytes);
  }
  ::CloseHandle(file);
  return result;
}

// A locked view of a global block, unlocked when it goes.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL block) : block_(block) {
    if (block_ != nullptr) {
      size_ = ::GlobalSize(block_);
      data_ = size_ != 0 ? static_cast<std::uint8_t*>(::GlobalLock(block_)) : nullptr;
    }
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  ~LockedBlock() {
    if (data_ != nullptr) ::GlobalUnlock(block_);
  }
  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return data_ != nullptr ? size_ : 0; }
  std::span<const std::uint8_t> bytes() const { return {data_, size()}; }

 private:
  HGLOBAL block_ = nullptr;
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

HGLOBAL NewBlock(std::span<const std::uint8_t> bytes) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (block == nullptr) return nullptr;
  if (void* p = ::GlobalLock(block)) {
    std::memcpy(p, bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    return block;
  }
  ::GlobalFree(block);
  return nullptr;
}

// A logical palette of the colour table's entries; nullptr without entries.
HPALETTE PaletteOf(const std::uint8_t* packed, const dib::Layout& l) {
  if (l.colour_count == 0) return nullptr;
  std::vector<std::uint8_t> storage(sizeof(LOGPALETTE) + l.colour_count * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(l.colour_count);
  const std::uint8_t* entry = packed + l.colours_offset();
  for (std::uint32_t i = 0; i < l.colour_count; ++i, entry += l.entry_size) {
    palette->palPalEntry[i] = PALETTEENTRY{entry[2], entry[1], entry[0], 0};  // stored blue, green, red
  }
  return ::CreatePalette(palette);
}

// Selects a palette for a draw (foreground or background) and realises it; puts the previous
// one back, in the background, when it goes.
class RealizedPalette {
 public:
  RealizedPalette(HDC dc, HPALETTE palette, bool foreground) : dc_(dc) {
    if (dc_ != nullptr && palette != nullptr) {
      previous_ = ::SelectPalette(dc_, palette, foreground ? FALSE : TRUE);
      ::RealizePalette(dc_);
    }
  }
  RealizedPalette(const RealizedPalette&) = delete;
  RealizedPalette& operator=(const RealizedPalette&) = delete;
  ~RealizedPalette() {
    if (previous_ != nullptr) {
      ::SelectPalette(dc_, previous_, TRUE);
      ::RealizePalette(dc_);
    }
  }

 private:
  HDC dc_ = nullptr;
  HPALETTE previous_ = nullptr;
};

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info = {};
  if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof info, &info) == 0) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

// A one-bit mask of the source area: 1 (white) where it has the transparent colour.
Bitmap MaskOf(HDC source, int x, int y, int width, int height, COLORREF transparent) {
  Bitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
  MemoryDC mask_dc(source);
  SelectionScope select(mask_dc.get(), mask.get());
  const COLORREF old_back = ::SetBkColor(source, transparent);
  ::BitBlt(mask_dc.get(), 0, 0, width, height, source, x, y, SRCCOPY);
  ::SetBkColor(source, old_back);
  return mask;
}

// Ink of the source area over whatever the target holds: mask ANDed, then the copy (with
// its transparent pixels cleared) ORed in.
void BlitThroughMask(HDC dc, int x, int y, int width, int height, HDC source, int source_x, int source_y,
                     HBITMAP mask) {
  MemoryDC mask_dc(dc);
  SelectionScope select_mask(mask_dc.get(), mask);
  Bitmap copy(::CreateCompatibleBitmap(dc, width, height));
  MemoryDC copy_dc(dc);
  SelectionScope select_copy(copy_dc.get(), copy.get());
  ::BitBlt(copy_dc.get(), 0, 0, width, height, source, source_x, source_y, SRCCOPY);
  ::SetBkColor(copy_dc.get(), RGB(255, 255, 255));
  ::SetTextColor(copy_dc.get(), RGB(0, 0, 0));
  ::BitBlt(copy_dc.get(), 0, 0, width, height, mask_dc.get(), 0, 0, 0x220326);  // D AND NOT S

  const COLORREF old_back = ::SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF old_text = ::SetTextColor(dc, RGB(0, 0, 0));
  ::BitBlt(dc, x, y, width, height, mask_dc.get(), 0, 0, SRCAND);
  ::BitBlt(dc, x, y, width, height, copy_dc.get(), 0, 0, SRCPAINT);
  ::SetBkColor(dc, old_back);
  ::SetTextColor(dc, old_text);
}

}  // namespace

// ---- loading -----------------------------------------------------------------------------------

BitmapAndPalette BitmapFromPacked(HDC dc, const void* packed, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(packed);
  const std::optional<dib::Layout> l = dib::ParsePacked({bytes, size});
  if (!l) return {};
  HDC screen = nullptr;
  if (dc == nullptr) dc = screen = ::GetDC(nullptr);
  BitmapAndPalette result;
  if (l->colour_count > 16) result.palette = PaletteOf(bytes, *l);
  {
    RealizedPalette realized(dc, result.palette, true);
    result.bitmap = ::CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(bytes), CBM_INIT,
                                     bytes + l->bits_offset, reinterpret_cast<const BITMAPINFO*>(bytes),
                                     DIB_RGB_COLORS);
  }
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  if (result.bitmap == nullptr && result.palette != nullptr) {
    ::DeleteObject(result.palette);
    result.palette = nullptr;
  }
  g_last_palette = result.palette;
  return result;
}

HBITMAP ReadBitmap(HDC dc, const std::string& file) {
  const auto bytes = ReadWholeFile(file);
  if (!bytes) return nullptr;
  const auto image = dib::ParseFile(*bytes);
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

HBITMAP LoadBitmapFrom(HINSTANCE module, LPCSTR name) { return ::LoadBitmapA(module, name); }

BitmapAndPalette PalBmpRead(HDC dc, const std::string& file) {
  const auto bytes = ReadWholeFile(file);
  if (!bytes) return {};
  const auto image = dib::ParseFile(*bytes);
  if (!image) return {};
  return BitmapFromPacked(dc, image->packed.data(), image->packed.size());
}

BitmapAndPalette PalBmpLoad(LPCSTR name) {
  HMODULE module = GetResources();
  HRSRC found = ::FindResourceA(module, name, MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (found == nullptr) return {};
  const DWORD size = ::SizeofResource(module, found);
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {};
  return BitmapFromPacked(nullptr, data, size);
}

HPALETTE LastPalette() { return g_last_palette; }

// ---- DIB blocks --------------------------------------------------------------------------------

HGLOBAL DibRead(const std::string& file) {
  const auto bytes = ReadWholeFile(file);
  if (!bytes) return nullptr;
  const auto image = dib::ParseFile(*bytes);
  if (!image) return nullptr;
  return NewBlock(image->packed);
}

bool DibWrite(const std::string& file, HGLOBAL dib) {
  LockedBlock block(dib);
  const std::optional<dib::Layout> l = dib::ParsePacked(block.bytes());
  if (!l || block.size() > 0xFFFFFFF0u) return false;
  const std::vector<std::uint8_t> header = dib::FileHeader(*l, static_cast<std::uint32_t>(block.size()));
  HANDLE out = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(out, header.data(), static_cast<DWORD>(header.size()), &written, nullptr) &&
            written == header.size();
  ok = ok && ::WriteFile(out, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) &&
       written == block.size();
  ::CloseHandle(out);
  return ok;
}

HPALETTE DibPalette(HGLOBAL dib) {
  LockedBlock block(dib);
  const std::optional<dib::Layout> l = dib::ParsePacked(block.bytes());
  if (!l) return nullptr;
  return PaletteOf(block.data(), *l);
}

std::optional<bool> DibDraw(HDC dc, HGLOBAL dib, HPALETTE palette, int row, int col, int width, int height,
                            DWORD rop) {
  if (dc == nullptr || dib == nullptr) return std::nullopt;
  LockedBlock block(dib);
  const std::optional<dib::Layout> l = dib::ParsePacked(block.bytes());
  if (!l) return false;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(block.data());
  const std::uint8_t* bits = block.data() + l->bits_offset;
  const int rows = l->height < 0 ? -l->height : l->height;
  RealizedPalette realized(dc, palette, true);
  int drawn = 0;
  if (width != 0 && height != 0) {
    drawn = ::StretchDIBits(dc, col, row, width, height, 0, 0, l->width, rows, bits, info, DIB_RGB_COLORS,
                            rop != 0 ? rop : SRCCOPY);
  } else if (rop != 0 && rop != SRCCOPY) {
    // Only a stretch takes a raster operation: one to the picture's own size.
    drawn = ::StretchDIBits(dc, col, row, l->width, rows, 0, 0, l->width, rows, bits, info, DIB_RGB_COLORS, rop);
  } else {
    drawn = ::SetDIBitsToDevice(dc, col, row, static_cast<DWORD>(l->width), static_cast<DWORD>(rows), 0, 0, 0,
                                static_cast<UINT>(rows), bits, info, DIB_RGB_COLORS);
  }
  return drawn > 0;
}

HGLOBAL DibFromBitmap(HBITMAP bitmap, HPALETTE palette) {
  BITMAP info = {};
  if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof info, &info) == 0) return nullptr;
  if (palette == nullptr) palette = static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE));
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = info.bmWidth;
  header.biHeight = info.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(info.bmPlanes * info.bmBitsPixel);
  header.biCompression = BI_RGB;

  HDC screen = ::GetDC(nullptr);
  HGLOBAL result = nullptr;
  {
    RealizedPalette realized(screen, palette, false);
    // Room for the largest colour table (or three masks) that GetDIBits may write.
    constexpr std::size_t kTableRoom = 256 * sizeof(RGBQUAD) + 3 * sizeof(DWORD);
    std::vector<std::uint8_t> block(sizeof header + kTableRoom);
    std::memcpy(block.data(), &header, sizeof header);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(block.data());
    if (::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), nullptr, bmi, DIB_RGB_COLORS) != 0) {
      BITMAPINFOHEADER& filled = bmi->bmiHeader;
      if (filled.biSizeImage == 0) {
        filled.biSizeImage = static_cast<DWORD>(
            (static_cast<std::uint64_t>(filled.biBitCount) * static_cast<std::uint32_t>(filled.biWidth) + 31) / 32 * 4 *
            static_cast<std::uint32_t>(filled.biHeight < 0 ? -filled.biHeight : filled.biHeight));
      }
      const std::uint32_t colours = dib::ColourCount(filled.biSize, filled.biBitCount, filled.biClrUsed);
      const std::size_t masks = filled.biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0;
      const std::size_t bits_at = filled.biSize + masks + colours * sizeof(RGBQUAD);
      if (bits_at <= block.size() && filled.biSizeImage <= dib::kMaxImageBytes) {
        block.resize(bits_at + filled.biSizeImage);
        bmi = reinterpret_cast<BITMAPINFO*>(block.data());
        if (::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), block.data() + bits_at, bmi,
                        DIB_RGB_COLORS) != 0 &&
            dib::ParsePacked(block)) {
          result = NewBlock(block);
        }
      }
    }
  }
  ::ReleaseDC(nullptr, screen);
  return result;
}

// ---- drawing -----------------------------------------------------------------------------------

void DrawBitmap(HDC dc, HBITMAP bitmap, int row, int col, int width, int height, DWORD rop) {
  if (dc == nullptr || bitmap == nullptr) return;
  if (rop == 0) rop = SRCCOPY;
  const SIZE size = BitmapSize(bitmap);
  MemoryDC source(dc);
  SelectionScope select(source.get(), bitmap);
  if (width != 0 && height != 0) {
    ::StretchBlt(dc, col, row, width, height, source.get(), 0, 0, size.cx, size.cy, rop);
  } else {
    ::BitBlt(dc, col, row, size.cx, size.cy, source.get(), 0, 0, rop);
  }
}

void DrawTransparent(HDC dc, int x, int y, int width, int height, HDC source, int source_x, int source_y,
                     COLORREF transparent) {
  if (dc == nullptr || source == nullptr || width <= 0 || height <= 0) return;
  Bitmap mask = MaskOf(source, source_x, source_y, width, height, transparent);
  BlitThroughMask(dc, x, y, width, height, source, source_x, source_y, mask.get());
}

void DrawMasked(HDC dc, HBITMAP bitmap, int row, int col) {
  if (dc == nullptr || bitmap == nullptr) return;
  const SIZE size = BitmapSize(bitmap);
  MemoryDC source(dc);
  SelectionScope select(source.get(), bitmap);
  DrawTransparent(dc, col, row, size.cx, size.cy, source.get(), 0, 0, ::GetPixel(source.get(), 0, 0));
}

void DrawGrayed(HDC dc, HBITMAP bitmap, int row, int col) {
  if (dc == nullptr || bitmap == nullptr) return;
  const SIZE size = BitmapSize(bitmap);
  MemoryDC source(dc);
  SelectionScope select(source.get(), bitmap);
  Bitmap mask = MaskOf(source.get(), 0, 0, size.cx, size.cy, ::GetPixel(source.get(), 0, 0));

  static const WORD kChecker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  Bitmap pattern(::CreateBitmap(8, 8, 1, 1, kChecker));
  Brush checker(::CreatePatternBrush(pattern.get()));
  // A one-bit pattern paints its 0 bits in the text colour and its 1 bits in the background.
  const COLORREF old_text = ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
  const COLORREF old_back = ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  RECT area = {col, row, col + size.cx, row + size.cy};
  ::FillRect(dc, &area, checker.get());
  ::SetTextColor(dc, old_text);
  ::SetBkColor(dc, old_back);
  BlitThroughMask(dc, col, row, size.cx, size.cy, source.get(), 0, 0, mask.get());
}

void ReplaceColour(HBITMAP bitmap, COLORREF from, COLORREF to) {
  if (bitmap == nullptr) return;
  const SIZE size = BitmapSize(bitmap);
  MemoryDC image(nullptr);
  SelectionScope select(image.get(), bitmap);
  Bitmap mask = MaskOf(image.get(), 0, 0, size.cx, size.cy, from);
  MemoryDC mask_dc(image.get());
  SelectionScope select_mask(mask_dc.get(), mask.get());
  Brush brush(::CreateSolidBrush(to));
  SelectionScope select_brush(image.get(), brush.get());
  ::SetBkColor(image.get(), RGB(255, 255, 255));
  ::SetTextColor(image.get(), RGB(0, 0, 0));
  // The brush where the mask is set, the image elsewhere.
  ::BitBlt(image.get(), 0, 0, size.cx, size.cy, mask_dc.get(), 0, 0, 0xE20746);
}

COLORREF TopLeftColour(HBITMAP bitmap) {
  if (bitmap == nullptr) return CLR_INVALID;
  MemoryDC source(nullptr);
  SelectionScope select(source.get(), bitmap);
  return ::GetPixel(source.get(), 0, 0);
}

void PalBmpDraw(HDC dc, int row, int col, HBITMAP bitmap, HPALETTE palette, const PalDrawOptions& o) {
  if (dc == nullptr || bitmap == nullptr) return;
  const SIZE size = BitmapSize(bitmap);
  const bool foreground = IsForegroundPalette(palette);
  if (o.width != 0 && o.height != 0 && (o.width != size.cx || o.height != size.cy)) {
    RealizedPalette realized(dc, palette, foreground);
    const int old_mode = ::SetStretchBltMode(dc, COLORONCOLOR);
    MemoryDC source(dc);
    SelectionScope select(source.get(), bitmap);
    ::StretchBlt(dc, col, row, o.width, o.height, source.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    ::SetStretchBltMode(dc, old_mode);
    return;
  }
  if (o.change_colour) {
    const COLORREF top_left = TopLeftColour(bitmap);
    if (top_left != CLR_INVALID && top_left != o.new_colour) ReplaceColour(bitmap, top_left, o.new_colour);
  }
  RealizedPalette realized(dc, palette, foreground);
  MemoryDC source(dc);
  SelectionScope select(source.get(), bitmap);
  ::BitBlt(dc, col, row, size.cx, size.cy, source.get(), 0, 0, o.rop != 0 ? o.rop : SRCCOPY);
}

HBITMAP CopyBitmap(HBITMAP bitmap) {
  if (bitmap == nullptr) return nullptr;
  const SIZE size = BitmapSize(bitmap);
  MemoryDC source(nullptr);
  MemoryDC target(nullptr);
  SelectionScope select_source(source.get(), bitmap);
  // Compatible with the DC that holds the source: the copy keeps its format.
  HBITMAP copy = ::CreateCompatibleBitmap(source.get(), size.cx, size.cy);
  if (copy == nullptr) return nullptr;
  SelectionScope select_target(target.get(), copy);
  ::BitBlt(target.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
  return copy;
}

int NBmpWidth(HBITMAP bitmap) { return BitmapSize(bitmap).cx; }
int NBmpHeight(HBITMAP bitmap) { return BitmapSize(bitmap).cy; }

}  // namespace ui
