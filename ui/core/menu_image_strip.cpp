#include "ui/core/menu_image_strip.h"

#include <algorithm>
#include <memory>

#include "runtime/symbol.h"
#include "ui/bridge/gdi_handles.h"

namespace ui {
namespace {

constexpr int kInitialWidth = 4000;

std::unique_ptr<MenuImageStrip>& Instance() {
  static std::unique_ptr<MenuImageStrip> strip;
  return strip;
}

HBITMAP ScreenBitmap(int width, int height) {
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ::ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace

MenuImageStrip& MenuImageStrip::Get() {
  auto& strip = Instance();
  if (!strip) strip.reset(new MenuImageStrip());
  return *strip;
}

void MenuImageStrip::Delete() { Instance().reset(); }

MenuImageStrip::MenuImageStrip() : width_(kInitialWidth) {
  strip_ = ScreenBitmap(width_, kMenuImageSize);
  MemoryDC dc;
  SelectionScope select(dc.get(), strip_);
  RECT all = {0, 0, width_, kMenuImageSize};
  ::FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
}

MenuImageStrip::~MenuImageStrip() {
  if (strip_ != nullptr) DeleteObject(strip_);
  if (placeholder_ != nullptr) DeleteObject(placeholder_);
}

HBITMAP MenuImageStrip::Placeholder() {
  if (placeholder_ == nullptr) placeholder_ = ScreenBitmap(kMenuImageSize, 1);
  return placeholder_;
}

void MenuImageStrip::Grow(int needed_width) {
  int width = width_;
  while (width < needed_width) width *= 2;
  HBITMAP grown = ScreenBitmap(width, kMenuImageSize);
  if (grown == nullptr) return;
  MemoryDC to;
  MemoryDC from;
  SelectionScope select_to(to.get(), grown);
  SelectionScope select_from(from.get(), strip_);
  RECT all = {0, 0, width, kMenuImageSize};
  ::FillRect(to.get(), &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  BitBlt(to.get(), 0, 0, width_, kMenuImageSize, from.get(), 0, 0, SRCCOPY);
  DeleteObject(strip_);
  strip_ = grown;
  width_ = width;
}

int MenuImageStrip::Take(const std::string& name, HBITMAP picture) {
  const std::string key = xb::UpperName(name);
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].name == key) {
      ++entries_[i].uses;
      return static_cast<int>(i) + 1;
    }
  }
  entries_.push_back({key, 1});
  const int slot = static_cast<int>(entries_.size());
  const int left = CellLeft(slot);
  if (left + kMenuImageSize > width_) Grow(left + kMenuImageSize);
  BITMAP info = {};
  if (picture != nullptr && GetObjectA(picture, sizeof info, &info) != 0) {
    MemoryDC to;
    MemoryDC from;
    SelectionScope select_to(to.get(), strip_);
    SelectionScope select_from(from.get(), picture);
    if (info.bmWidth == kMenuImageSize && info.bmHeight == kMenuImageSize) {
      BitBlt(to.get(), left, 0, kMenuImageSize, kMenuImageSize, from.get(), 0, 0, SRCCOPY);
    } else {
      SetStretchBltMode(to.get(), COLORONCOLOR);
      StretchBlt(to.get(), left, 0, kMenuImageSize, kMenuImageSize, from.get(), 0, 0, info.bmWidth,
                 info.bmHeight, SRCCOPY);
    }
  }
  return slot;
}

void MenuImageStrip::Release(int slot) {
  if (slot < 1 || slot > SlotCount()) return;
  Entry& e = entries_[static_cast<size_t>(slot) - 1];
  if (e.uses > 0) --e.uses;
}

int MenuImageStrip::Uses(int slot) const {
  if (slot < 1 || slot > SlotCount()) return 0;
  return entries_[static_cast<size_t>(slot) - 1].uses;
}

int MenuImageStrip::SlotCount() const { return static_cast<int>(entries_.size()); }

}  // namespace ui
