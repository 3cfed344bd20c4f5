// Registers the bitmap, palette, DIB, painter and image-strip functions (READBITMAP, DIBREAD,
// PALBMPDRAW, METERPAINT, PALBTNPAINT, XLOADBITMAP, ...) by their upper-case names.
#pragma once

namespace ui {

void RegisterBitmapFunctions();

}  // namespace ui
