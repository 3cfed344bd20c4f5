#include "ui/bridge/palette_table.h"

#include <vector>

namespace ui {
namespace {

struct Entry {
  HWND window = nullptr;
  HPALETTE palette = nullptr;
  HBITMAP bitmap = nullptr;
};

struct Foreground {
  HWND window = nullptr;
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  int entry = 0;  // 1-based; 0 when there is none
};

class Table {
 public:
  ~Table() { Clear(); }

  std::vector<Entry> entries;
  Foreground foreground;
  bool events = false;

  // 1-based index of the bitmap's entry; 0 when absent.
  int Find(HBITMAP bitmap) const {
    if (bitmap == nullptr) return 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i].bitmap == bitmap) return static_cast<int>(i) + 1;
    return 0;
  }
  void MakeForeground(int index) {
    const Entry& e = entries[static_cast<std::size_t>(index) - 1];
    foreground = Foreground{e.window, e.bitmap, e.palette, index};
  }
  void Clear() {
    for (Entry& e : entries) {
      if (e.palette != nullptr) ::DeleteObject(e.palette);
      if (e.bitmap != nullptr) ::DeleteObject(e.bitmap);
    }
    entries.clear();
    foreground = {};
    events = false;
  }
};

Table& TheTable() {
  static Table table;  // its destructor frees what is left when the program ends
  return table;
}

}  // namespace

int PalBmpNew(HWND window, HBITMAP bitmap, HPALETTE palette) {
  Table& t = TheTable();
  int index = t.Find(bitmap);
  if (index == 0) {
    for (std::size_t i = 0; i < t.entries.size(); ++i) {
      if (t.entries[i].bitmap == nullptr) {
        index = static_cast<int>(i) + 1;
        break;
      }
    }
  }
  if (index == 0) {
    t.entries.push_back({});
    index = static_cast<int>(t.entries.size());
  }
  t.entries[static_cast<std::size_t>(index) - 1] = Entry{window, palette, bitmap};
  if (window != nullptr && palette != nullptr) t.MakeForeground(index);
  return index;
}

bool PalBmpFree(HBITMAP bitmap, HPALETTE) {
  Table& t = TheTable();
  const int index = t.Find(bitmap);
  if (index == 0) return false;
  Entry& e = t.entries[static_cast<std::size_t>(index) - 1];
  e.window = nullptr;
  if (e.palette != nullptr && ::DeleteObject(e.palette)) e.palette = nullptr;
  if (::DeleteObject(e.bitmap)) e.bitmap = nullptr;
  if (t.foreground.entry == index) t.foreground = {};
  return true;
}

std::optional<BitmapAndPalette> SetForeBmp(HBITMAP bitmap, HPALETTE palette) {
  Table& t = TheTable();
  const bool had = t.foreground.entry != 0;
  if (had && t.foreground.bitmap == bitmap && t.foreground.palette == palette)
    return BitmapAndPalette{bitmap, palette};
  if (const int index = t.Find(bitmap)) {
    const Entry& e = t.entries[static_cast<std::size_t>(index) - 1];
    if (e.window != nullptr && e.palette != nullptr) {
      t.MakeForeground(index);
      if (t.events) ::InvalidateRect(e.window, nullptr, FALSE);
    }
  }
  if (!had) return std::nullopt;
  return BitmapAndPalette{t.foreground.bitmap, t.foreground.palette};
}

int QryNewPalEvent() {
  Table& t = TheTable();
  t.events = true;
  const Foreground& f = t.foreground;
  if (f.entry == 0 || f.palette == nullptr || f.window == nullptr) return 0;
  HDC dc = ::GetDC(f.window);
  if (dc == nullptr) return 0;
  HPALETTE old = ::SelectPalette(dc, f.palette, FALSE);
  const UINT realized = ::RealizePalette(dc);
  if (realized != GDI_ERROR) ::InvalidateRect(f.window, nullptr, FALSE);
  ::SelectPalette(dc, old, TRUE);
  ::ReleaseDC(f.window, dc);
  return realized == GDI_ERROR ? 0 : static_cast<int>(realized);
}

int PalChgEvent(HWND window) {
  Table& t = TheTable();
  if (t.events) {
    bool known = false;
    for (const Entry& e : t.entries) known = known || (e.window != nullptr && e.window == window);
    if (!known) t.events = false;
  }
  for (const Entry& e : t.entries) {
    if (e.window != nullptr && e.palette != nullptr && e.palette != t.foreground.palette)
      ::InvalidateRect(e.window, nullptr, FALSE);
  }
  return 0;
}

bool IsForegroundPalette(HPALETTE palette) {
  const Table& t = TheTable();
  return palette != nullptr && t.events && t.foreground.entry != 0 && t.foreground.palette == palette;
}

int PaletteTableCount() {
  int n = 0;
  for (const Entry& e : TheTable().entries) n += e.bitmap != nullptr;
  return n;
}

void FreePaletteTable() { TheTable().Clear(); }

}  // namespace ui
