// Tree view and image list helpers (common controls).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace ui {

HIMAGELIST TVSetImageList(HWND tree, HIMAGELIST list, int type);
HTREEITEM TVGetSelected(HWND tree);
std::string TVGetSelText(HWND tree);
bool TVSelect(HWND tree, HTREEITEM item);
bool TVDeleteItem(HWND tree, HTREEITEM item);
bool TVDeleteAllItems(HWND tree);
// The item under (row, col) when the point is on its icon, label or state icon; else null.
HTREEITEM TVHitTest(HWND tree, int row, int col);

// A masked image list of 0 images, growing by 50.
HIMAGELIST ILCreate(int width, int height);
bool ILDestroy(HIMAGELIST list);
int ILAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask);
int ILAddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask_colour);
COLORREF ILSetBkColor(HIMAGELIST list, COLORREF colour);

}  // namespace ui
