// The menus' image strip: the pictures of owner-drawn menu items, 16 x 16 pixels each,
// side by side in one bitmap on a light grey ground. A picture enters once, by its name,
// and items that name it share its slot; the strip grows when a new slot would pass its end.
//
// Slot n (from 1) lies at x = n * 16 + 1.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

inline constexpr int kMenuImageSize = 16;

class MenuImageStrip {
 public:
  // The strip of the run, made on first use (4000 x 16 pixels).
  static MenuImageStrip& Get();

  // The slot of the picture of that name: a known name's slot, else the next one with
  // `picture` drawn into it (scaled to 16 x 16). Each call counts one use.
  int Take(const std::string& name, HBITMAP picture);
  // One use of the slot less; the slot stays for the name.
  void Release(int slot);
  int Uses(int slot) const;
  int SlotCount() const;

  HBITMAP bitmap() const { return strip_; }
  int width() const { return width_; }
  // The left edge of the slot's cell.
  static int CellLeft(int slot) { return slot * kMenuImageSize + 1; }

  // The 16 x 1 bitmap that items with a strip picture show instead of their own.
  HBITMAP Placeholder();

  // Deletes the strip and the placeholder; the next use starts a new strip.
  static void Delete();

  ~MenuImageStrip();
  MenuImageStrip(const MenuImageStrip&) = delete;
  MenuImageStrip& operator=(const MenuImageStrip&) = delete;

 private:
  MenuImageStrip();
  void Grow(int needed_width);

  struct Entry {
    std::string name;
    int uses = 0;
  };
  HBITMAP strip_ = nullptr;
  HBITMAP placeholder_ = nullptr;
  int width_ = 0;
  std::vector<Entry> entries_;  // slot n is entries_[n - 1]
};

}  // namespace ui
