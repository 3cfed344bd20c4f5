// Owning and borrowing handle types for GDI objects and device contexts.
//
// An owning type (Font, Brush, Pen, Bitmap, Region, Palette) deletes its object when it goes
// and is move-only; its borrowing twin (FontRef, ...) never deletes. Device contexts come as
// MemoryDC (made and deleted), WindowDC (taken from a window and released) and the borrowed
// HDC. SelectionScope selects an object into a DC and puts the previous one back.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

template <typename Handle>
class GdiRef {
 public:
  constexpr GdiRef() = default;
  constexpr GdiRef(Handle handle) : handle_(handle) {}  // NOLINT: borrowing is implicit
  constexpr Handle get() const { return handle_; }
  constexpr explicit operator bool() const { return handle_ != nullptr; }

 private:
  Handle handle_ = nullptr;
};

template <typename Handle>
class GdiObject {
 public:
  constexpr GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  GdiRef<Handle> ref() const { return GdiRef<Handle>(handle_); }
  operator GdiRef<Handle>() const { return ref(); }  // NOLINT: lending is implicit
  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr && handle_ != handle) ::DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using Font = GdiObject<HFONT>;
using FontRef = GdiRef<HFONT>;
using Brush = GdiObject<HBRUSH>;
using BrushRef = GdiRef<HBRUSH>;
using Pen = GdiObject<HPEN>;
using PenRef = GdiRef<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using BitmapRef = GdiRef<HBITMAP>;
using Region = GdiObject<HRGN>;
using RegionRef = GdiRef<HRGN>;
using Palette = GdiObject<HPALETTE>;
using PaletteRef = GdiRef<HPALETTE>;

// A device context made compatible with another (nullptr: the screen); deleted when it goes.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatible_with = nullptr) : dc_(::CreateCompatibleDC(compatible_with)) {}
  MemoryDC(MemoryDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  MemoryDC& operator=(MemoryDC&& other) noexcept {
    if (this != &other) {
      if (dc_ != nullptr) ::DeleteDC(dc_);
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  ~MemoryDC() {
    if (dc_ != nullptr) ::DeleteDC(dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_ = nullptr;
};

// A window's DC (nullptr: the screen), released when it goes.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_ != nullptr) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_ = nullptr;
  HDC dc_ = nullptr;
};

// Selects an object for a scope; a null object selects nothing.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc) {
    if (dc_ != nullptr && object != nullptr) previous_ = ::SelectObject(dc_, object);
  }
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;
  ~SelectionScope() {
    if (previous_ != nullptr) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// A 24-bit DIB section of the given size selected into its own memory DC: a surface for
// drawing off screen and reading pixels back.
class MemorySurface {
 public:
  MemorySurface(int width, int height);
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;
  ~MemorySurface();

  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return bitmap_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Fills the whole surface with one colour.
  void Clear(COLORREF colour);
  // The colour at (x, y), read from the bits; CLR_INVALID outside.
  COLORREF Pixel(int x, int y) const;

 private:
  MemoryDC dc_;
  Bitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace ui
