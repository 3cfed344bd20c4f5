// Bitmaps from .BMP files, from the resource module and from packed DIBs; DIBs kept in
// movable global blocks for printing and written back to files; plain, stretched,
// transparent, greyed and palette-aware drawing.
//
// A DIB handle is an HGLOBAL holding a packed DIB (header, colour table, bits). Every DIB,
// whether read from a file, a resource or a block handed in, is checked (dib_format.h) before
// use: a bad one gives 0 or false, never a read out of bounds.
//
// Coordinates are (row, col) = (y, x) in the DC's units. Bitmaps and palettes returned
// belong to the caller, who deletes them (DeleteGdiObject); DIB blocks too (GlobalFree).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ui {

struct BitmapAndPalette {
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;  // nullptr when the image needs none (16 colours or fewer)
};

// ---- loading -------------------------------------------------------------------------------

// A device-dependent bitmap made from a .BMP file on `dc` (the screen's when null); no palette.
HBITMAP ReadBitmap(HDC dc, const std::string& file);
// LoadBitmapA from a module.
HBITMAP LoadBitmapFrom(HINSTANCE module, LPCSTR name);
// Bitmap and palette from a .BMP file, or from a bitmap resource of the current resource
// module (by name, or MAKEINTRESOURCE of a number). {} when it cannot be had.
BitmapAndPalette PalBmpRead(HDC dc, const std::string& file);
BitmapAndPalette PalBmpLoad(LPCSTR name);
// The palette made by the latest bitmap creation from a DIB (nullptr when it needed none).
HPALETTE LastPalette();

// ---- DIB blocks ------------------------------------------------------------------------------

// A packed DIB read from a .BMP file into a new block; nullptr when the file cannot be read or
// is not a sound bitmap.
HGLOBAL DibRead(const std::string& file);
// Writes the block as a .BMP file: the file header (size = the block's size + 14) and the
// whole block. False for a block that is not a sound DIB or a file that cannot be written.
bool DibWrite(const std::string& file, HGLOBAL dib);
// A logical palette from the DIB's colour table; nullptr for a DIB without colours.
HPALETTE DibPalette(HGLOBAL dib);
// Draws the DIB at (row, col), stretched to width x height when both are given, with
// `palette` realised in the foreground for the draw and the raster operation `rop` (0:
// SRCCOPY). nullopt when dc or dib is null.
std::optional<bool> DibDraw(HDC dc, HGLOBAL dib, HPALETTE palette, int row, int col, int width = 0,
                            int height = 0, DWORD rop = 0);
// A new block with the bitmap's image (palette: the default palette when null); nullptr on
// failure.
HGLOBAL DibFromBitmap(HBITMAP bitmap, HPALETTE palette);
// A bitmap (and palette, for more than 16 colours) made from a packed DIB on `dc`.
BitmapAndPalette BitmapFromPacked(HDC dc, const void* packed, std::size_t size);

// ---- drawing -------------------------------------------------------------------------------

// Draws at (row, col), stretched to width x height when both are non-zero; rop 0 = SRCCOPY.
void DrawBitmap(HDC dc, HBITMAP bitmap, int row, int col, int width = 0, int height = 0, DWORD rop = 0);
// Draws with the colour of the bitmap's top-left pixel transparent.
void DrawMasked(HDC dc, HBITMAP bitmap, int row, int col);
// Draws a part of a DC's image with one colour transparent.
void DrawTransparent(HDC dc, int x, int y, int width, int height, HDC source, int source_x, int source_y,
                     COLORREF transparent);
// The disabled look: a checkerboard of the button highlight and face colours, with the
// bitmap's non-transparent pixels over it.
void DrawGrayed(HDC dc, HBITMAP bitmap, int row, int col);

struct PalDrawOptions {
  int width = 0;   // with height: stretched when both differ from the bitmap's size
  int height = 0;
  DWORD rop = 0;   // 0: SRCCOPY
  bool change_colour = false;  // recolour the top-left pixel's colour in the bitmap itself
  COLORREF new_colour = 0;
};
// Draws a bitmap with its palette; nothing when dc or bitmap is null.
void PalBmpDraw(HDC dc, int row, int col, HBITMAP bitmap, HPALETTE palette, const PalDrawOptions& options);

// Replaces every pixel of `from` in the bitmap by `to` (the bitmap must not be selected into
// a DC).
void ReplaceColour(HBITMAP bitmap, COLORREF from, COLORREF to);
// A copy of the bitmap in the same format.
HBITMAP CopyBitmap(HBITMAP bitmap);
// The colour of the top-left pixel; CLR_INVALID for no bitmap.
COLORREF TopLeftColour(HBITMAP bitmap);

// Width and height in pixels; 0 for a null handle.
int NBmpWidth(HBITMAP bitmap);
int NBmpHeight(HBITMAP bitmap);

}  // namespace ui
