#include "ui/bridge/gdi_handles.h"

#include <cstdint>

namespace ui {

MemorySurface::MemorySurface(int width, int height) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
  if (bitmap_) previous_ = SelectObject(dc_.get(), bitmap_.get());
}

MemorySurface::~MemorySurface() {
  if (previous_ != nullptr) SelectObject(dc_.get(), previous_);
}

void MemorySurface::Clear(COLORREF colour) {
  RECT all = {0, 0, width_, height_};
  Brush brush(CreateSolidBrush(colour));
  FillRect(dc_.get(), &all, brush.get());
}

COLORREF MemorySurface::Pixel(int x, int y) const {
  if (bits_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();
  const std::uint32_t bgra = static_cast<const std::uint32_t*>(bits_)[y * width_ + x];
  return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

}  // namespace ui
