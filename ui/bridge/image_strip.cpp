#include "ui/bridge/image_strip.h"

#include <algorithm>

#include "ui/bridge/bitmaps.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

std::string KeyOf(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

int SlotsFor(int width) { return (width + 1 + ImageStrip::kSlotWidth - 1) / ImageStrip::kSlotWidth; }

}  // namespace

ImageStrip::~ImageStrip() { Clear(); }

ImageStrip& ImageStrip::Shared() {
  static ImageStrip strip;
  return strip;
}

HBITMAP ImageStrip::bitmap() {
  Ensure(kInitialSlots, kInitialHeight);
  return strip_;
}

bool ImageStrip::Ensure(int slots, int height) {
  slots = std::max(slots, kInitialSlots);
  height = std::max(height, kInitialHeight);
  if (strip_ != nullptr && slots <= slots_ && height <= height_) return true;
  const int new_slots = strip_ == nullptr ? slots : std::max(slots, slots_ * 2);
  const int new_height = std::max(height, height_);
  HDC screen = ::GetDC(nullptr);
  HBITMAP grown = ::CreateCompatibleBitmap(screen, new_slots * kSlotWidth, new_height);
  ::ReleaseDC(nullptr, screen);
  if (grown == nullptr) return false;
  MemoryDC target(nullptr);
  SelectionScope select(target.get(), grown);
  RECT all = {0, 0, new_slots * kSlotWidth, new_height};
  ::FillRect(target.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  if (strip_ != nullptr) {
    MemoryDC source(nullptr);
    SelectionScope select_old(source.get(), strip_);
    ::BitBlt(target.get(), 0, 0, slots_ * kSlotWidth, height_, source.get(), 0, 0, SRCCOPY);
  }
  if (strip_ != nullptr) ::DeleteObject(strip_);
  strip_ = grown;
  slots_ = new_slots;
  height_ = new_height;
  return true;
}

std::optional<StripImage> ImageStrip::Enter(const std::string& key, HBITMAP picture, bool opaque) {
  const int width = NBmpWidth(picture);
  const int height = NBmpHeight(picture);
  if (width <= 0 || height <= 0) return std::nullopt;
  const int slot = next_slot_;
  const int used = SlotsFor(width);
  if (!Ensure(slot - 1 + used, height)) return std::nullopt;
  {
    MemoryDC target(nullptr);
    SelectionScope select(target.get(), strip_);
    const int x = (slot - 1) * kSlotWidth + 1;
    if (opaque) {
      DrawBitmap(target.get(), picture, 0, x);
    } else {
      DrawMasked(target.get(), picture, 0, x);
    }
  }
  next_slot_ = slot + used;
  const StripImage image{slot, width, height};
  loaded_[key] = image;
  return image;
}

std::optional<StripImage> ImageStrip::Load(const std::string& name) {
  const std::string key = KeyOf(name);
  if (auto found = loaded_.find(key); found != loaded_.end()) return found->second;
  HBITMAP picture = name.find('.') != std::string::npos ? ReadBitmap(nullptr, name)
                                                        : ::LoadBitmapA(GetResources(), name.c_str());
  if (picture == nullptr) return std::nullopt;
  std::optional<StripImage> image = Enter(key, picture, key == "BMPNOCHK");
  ::DeleteObject(picture);
  return image;
}

std::optional<StripImage> ImageStrip::Load(int resource_id) {
  const std::string key = "#" + std::to_string(resource_id);
  if (auto found = loaded_.find(key); found != loaded_.end()) return found->second;
  HBITMAP picture = ::LoadBitmapA(GetResources(), MAKEINTRESOURCEA(static_cast<WORD>(resource_id)));
  if (picture == nullptr) return std::nullopt;
  std::optional<StripImage> image = Enter(key, picture, false);
  ::DeleteObject(picture);
  return image;
}

std::optional<StripImage> ImageStrip::Add(const std::string& name, HBITMAP picture, bool opaque) {
  const std::string key = KeyOf(name);
  if (auto found = loaded_.find(key); found != loaded_.end()) return found->second;
  return Enter(key, picture, opaque);
}

void ImageStrip::DrawCell(HDC dc, const StripImage& image, const RECT& cell) {
  if (strip_ == nullptr || image.slot < 1 || image.slot > slots_) return;
  const int width = std::min({image.width, static_cast<int>(cell.right - cell.left),
                              (slots_ - image.slot + 1) * kSlotWidth - 1});
  const int height = std::min({image.height, static_cast<int>(cell.bottom - cell.top), height_});
  if (width <= 0 || height <= 0) return;
  const int x = cell.left + (cell.right - cell.left - width) / 2;
  const int y = cell.top + (cell.bottom - cell.top - height) / 2;
  MemoryDC source(dc);
  SelectionScope select(source.get(), strip_);
  DrawTransparent(dc, x, y, width, height, source.get(), (image.slot - 1) * kSlotWidth + 1, 0, kWhite);
}

void ImageStrip::Clear() {
  if (strip_ != nullptr) ::DeleteObject(strip_);
  strip_ = nullptr;
  slots_ = height_ = 0;
  next_slot_ = 1;
  loaded_.clear();
}

}  // namespace ui
