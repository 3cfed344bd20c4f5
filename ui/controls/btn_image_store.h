// The button image store: the pictures of every bitmap button, each loaded once by its name,
// cut to at most 32 x 32 pixels and kept in page bitmaps of 20 slots. A button keeps slot
// numbers, not bitmap handles. Slot n (from 1) lies on page (n - 1) / 20 at
// x = ((n - 1) mod 20) * 32 + 1; a new page comes when a slot needs one.
#pragma once

#include <windows.h>

#include <string>
#include <variant>
#include <vector>

namespace ui {

// A picture's name: a resource number, or a text (a file when it holds a dot, else a
// resource name of the current resource module).
using PictureName = std::variant<int, std::string>;

class BtnImageStore {
 public:
  static constexpr int kCell = 32;
  static constexpr int kSlotsPerPage = 20;
  // One pixel more than 20 cells: the cells start at x = 1.
  static constexpr int kPageWidth = kSlotsPerPage * kCell + 1;

  struct Entry {
    std::string name;  // the name as text
    int width = 0;     // at most 32; 0 when the name loaded nothing
    int height = 0;
  };

  // The store of the run, made on first use.
  static BtnImageStore& Get();
  // DELBMPBTN: deletes every page; the next use starts a new store.
  static void Delete();
  ~BtnImageStore();
  BtnImageStore(const BtnImageStore&) = delete;
  BtnImageStore& operator=(const BtnImageStore&) = delete;

  // CREABMPBTN: one more page, filled with pure red.
  void AddPage();
  // LOADBMP: the slot of a known name, else the picture loaded into a new slot (a name that
  // loads nothing still takes one, empty).
  int Load(const PictureName& name);
  // LOADBMP with lDirect: the loaded bitmap itself, owned by the caller (not in the store).
  static HBITMAP LoadDirect(const PictureName& name);

  // PAINTMASK: the slot's picture stretched to width x height, its top-left colour
  // transparent, at (row, col).
  void PaintMask(HDC dc, int slot, int row, int col, int width, int height) const;
  // PDISABLE: the picture stretched likewise onto white, drawn embossed (disabled) with
  // the brush.
  void PDisable(HDC dc, int slot, int row, int col, int width, int height, HBRUSH brush) const;
  // PINTABMP: the slot's 32 x 32 cell copied opaque to (row, col).
  void PintaBmp(HDC dc, int slot, int row, int col) const;

  const std::vector<HBITMAP>& Pages() const { return pages_; }
  const std::vector<Entry>& Catalogue() const { return entries_; }
  // The slot's entry; nullptr for a slot the store does not have.
  const Entry* Slot(int slot) const;
  static int PageOf(int slot) { return (slot - 1) / kSlotsPerPage; }
  static int CellLeft(int slot) { return ((slot - 1) % kSlotsPerPage) * kCell + 1; }

 private:
  BtnImageStore() = default;

  std::vector<HBITMAP> pages_;
  std::vector<Entry> entries_;
};

// The size a picture of w x h takes in a box of box_w x box_h: its own when it fits inside
// the box less 2 pixels, else scaled to the box less 2 keeping its proportions.
SIZE FitPicture(int box_w, int box_h, int w, int h);

// Registers CREABMPBTN, LOADBMP, PAINTMASK, PDISABLE, PINTABMP, GETHBMPBTN, GETACBTNS and
// DELBMPBTN by name.
void RegisterBtnImageStore();

}  // namespace ui
