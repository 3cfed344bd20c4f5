// The image strip that every browse shares: pictures shown in browse cells are loaded once,
// drawn into one wide bitmap and referred to by {slot, width, height}, so painting a row
// never loads a bitmap.
//
// Slot n covers x from (n - 1) x 32 to n x 32 - 1; its picture stands at x = (n - 1) x 32 + 1,
// y = 0, over white. A picture wider than 31 pixels takes as many slots as it needs. The strip
// starts with 300 slots, 25 pixels high, and grows (wider, or taller for a taller picture)
// instead of drawing past its end; what it holds keeps its place.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace ui {

struct StripImage {
  int slot = 0;  // 1-based
  int width = 0;
  int height = 0;
  friend bool operator==(const StripImage&, const StripImage&) = default;
};

class ImageStrip {
 public:
  static constexpr int kSlotWidth = 32;
  static constexpr int kInitialSlots = 300;
  static constexpr int kInitialHeight = 25;

  ImageStrip() = default;
  ~ImageStrip();
  ImageStrip(const ImageStrip&) = delete;
  ImageStrip& operator=(const ImageStrip&) = delete;

  // The strip of all browses.
  static ImageStrip& Shared();

  // XLOADBITMAP: a picture by resource name or number from the current resource module, or
  // from a file when the name holds a "."; loaded once per name (case ignored). The picture's
  // top-left colour is transparent, except for "BMPNOCHK", copied as it is. nullopt when the
  // picture cannot be loaded.
  std::optional<StripImage> Load(const std::string& name);
  std::optional<StripImage> Load(int resource_id);
  // Enters a bitmap the caller keeps, under a name; the same name gives the same slot.
  std::optional<StripImage> Add(const std::string& name, HBITMAP bitmap, bool opaque = false);

  // GETBMPBRW: the strip's bitmap, made (white) on first use. It may change when the strip
  // grows: ask again rather than keep it.
  HBITMAP bitmap();
  int slot_capacity() const { return slots_; }
  int height() const { return height_; }
  // Draws the picture centred in the cell and clipped to it, white transparent.
  void DrawCell(HDC dc, const StripImage& image, const RECT& cell);
  // DELBMPBRW: deletes the strip and forgets every picture.
  void Clear();

 private:
  bool Ensure(int slots, int height);
  std::optional<StripImage> Enter(const std::string& key, HBITMAP bitmap, bool opaque);

  HBITMAP strip_ = nullptr;
  int slots_ = 0;
  int height_ = 0;
  int next_slot_ = 1;
  std::map<std::string, StripImage> loaded_;
};

}  // namespace ui
