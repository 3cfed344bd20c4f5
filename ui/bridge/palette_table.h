// The table of window bitmaps with palettes, so that palette-change messages repaint the
// right windows: entries {window, palette, bitmap} looked up by bitmap, one of them the
// foreground entry, and a flag telling that the system sends palette events. The table
// deletes the palettes and bitmaps still in it when the program ends.
#pragma once

#include <windows.h>

#include <optional>

#include "ui/bridge/bitmaps.h"

namespace ui {

// Enters the triple (reusing the bitmap's own entry, else a free one, else a new one) and
// returns its 1-based entry number. With both a window and a palette the entry becomes the
// foreground entry.
int PalBmpNew(HWND window, HBITMAP bitmap, HPALETTE palette);
// Deletes the entry's palette and bitmap; true when the bitmap was in the table.
bool PalBmpFree(HBITMAP bitmap, HPALETTE palette);
// Makes the bitmap's entry the foreground entry (when it has a window and a palette) and
// answers the foreground bitmap and palette; nullopt when there was no foreground entry
// before the call.
std::optional<BitmapAndPalette> SetForeBmp(HBITMAP bitmap, HPALETTE palette);
// WM_QUERYNEWPALETTE: turns palette events on and realises the foreground palette in its
// window; the number of colours realised, 0 without a foreground entry.
int QryNewPalEvent();
// WM_PALETTECHANGED: repaints, without erasing, every window of the table whose palette is
// not the foreground one. Returns 0.
int PalChgEvent(HWND window);

// True when `palette` is the foreground entry's and palette events are on: it is then
// selected as a foreground palette.
bool IsForegroundPalette(HPALETTE palette);
// Entries in use (bitmap not null), for tests.
int PaletteTableCount();
// Deletes every palette and bitmap left in the table and empties it (program end, tests).
void FreePaletteTable();

}  // namespace ui
