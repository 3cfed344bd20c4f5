// The bitmaps the bitmap controls share: one entry a name (upper case, blanks trimmed) with
// the bitmap, its palette and its count of users. The last user to let go frees it.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct SharedBitmap {
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
};

// RegBmp: the bitmap of a name, loaded once (a number or a name without "." from the
// resource module, a name with "." from that file) and counted once more for each call. A
// name that is empty or does not load is not registered: {}.
SharedBitmap RegisterBitmap(const std::string& name);
// DelBmp: one user less; the last one frees the bitmap and its palette. A bitmap the registry
// does not hold is left alone.
void ReleaseBitmap(HBITMAP bitmap);
// The users of a bitmap (0 when it is not registered), for tests.
int BitmapUsers(HBITMAP bitmap);

}  // namespace ui
