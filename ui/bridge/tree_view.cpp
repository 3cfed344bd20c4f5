#include "ui/bridge/tree_view.h"

namespace ui {

HIMAGELIST TVSetImageList(HWND tree, HIMAGELIST list, int type) {
  return reinterpret_cast<HIMAGELIST>(
      ::SendMessageA(tree, TVM_SETIMAGELIST, static_cast<WPARAM>(type), reinterpret_cast<LPARAM>(list)));
}

HTREEITEM TVGetSelected(HWND tree) {
  return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

std::string TVGetSelText(HWND tree) {
  HTREEITEM item = TVGetSelected(tree);
  if (item == nullptr) return {};
  char text[1024] = {};
  TVITEMA info = {};
  info.mask = TVIF_TEXT | TVIF_HANDLE;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  if (!::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info))) return {};
  return text;
}

bool TVSelect(HWND tree, HTREEITEM item) {
  return ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

bool TVDeleteItem(HWND tree, HTREEITEM item) {
  if (item == nullptr || item == TVI_ROOT) return false;  // not "delete everything" by accident
  return ::SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0;
}

bool TVDeleteAllItems(HWND tree) {
  return ::SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)) != 0;
}

HTREEITEM TVHitTest(HWND tree, int row, int col) {
  TVHITTESTINFO hit = {};
  hit.pt.x = col;
  hit.pt.y = row;
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & TVHT_ONITEM) != 0 ? item : nullptr;
}

HIMAGELIST ILCreate(int width, int height) {
  return ::ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 0, 50);
}

bool ILDestroy(HIMAGELIST list) { return list != nullptr && ::ImageList_Destroy(list) != FALSE; }

int ILAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask) { return ::ImageList_Add(list, image, mask); }

int ILAddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask_colour) {
  return ::ImageList_AddMasked(list, image, mask_colour);
}

COLORREF ILSetBkColor(HIMAGELIST list, COLORREF colour) { return ::ImageList_SetBkColor(list, colour); }

}  // namespace ui
