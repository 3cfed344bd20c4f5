#include "ui/controls/timagelist.h"

#include "ui/bridge/tree_view.h"
#include "ui/controls/tbitmap.h"

namespace ui {

TImageList::TImageList() : xb::Object(Cls()) {}
TImageList::~TImageList() {
  if (hImageList != nullptr) ILDestroy(hImageList);
}

void TImageList::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  for (const auto& b : aBitmaps)
    if (b) visitor.Visit(b.get());
}

void TImageList::ClearValues() {
  xb::Object::ClearValues();
  aBitmaps.clear();
}

TImageList& TImageList::New(int width, int height) {
  if (hImageList != nullptr) ILDestroy(hImageList);
  hImageList = ILCreate(width > 0 ? width : 16, height > 0 ? height : 16);
  return *this;
}

int TImageList::Add(xb::Ref<TBitmap> bitmap, xb::Ref<TBitmap> mask) {
  if (!bitmap || hImageList == nullptr) return -1;
  aBitmaps.push_back(bitmap);
  if (mask) aBitmaps.push_back(mask);
  return ILAdd(hImageList, bitmap->hBitmap, mask ? mask->hBitmap : nullptr);
}

int TImageList::AddMasked(xb::Ref<TBitmap> bitmap, COLORREF mask_colour) {
  if (!bitmap || hImageList == nullptr) return -1;
  aBitmaps.push_back(bitmap);
  return ILAddMasked(hImageList, bitmap->hBitmap, mask_colour);
}

COLORREF TImageList::SetBkColor(COLORREF colour) {
  return hImageList != nullptr ? ILSetBkColor(hImageList, colour) : CLR_NONE;
}

int TImageList::Count() const { return hImageList != nullptr ? ImageList_GetImageCount(hImageList) : 0; }

void TImageList::End() {
  if (hImageList != nullptr) ILDestroy(hImageList);
  hImageList = nullptr;
  std::vector<xb::Ref<TBitmap>> kept;
  kept.swap(aBitmaps);
  for (const auto& b : kept) b->End();
}

}  // namespace ui
