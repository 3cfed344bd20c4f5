// TImageList: a common-controls image list of pictures of one size. The bitmap objects
// added (TBitmap) are kept and ended with the list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "runtime/object.h"

namespace ui {

class TBitmap;

class TImageList : public xb::Object {
 public:
  TImageList();
  ~TImageList() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  TImageList& New(int width = 16, int height = 16);
  // The picture's index in the list, -1 when it could not be added.
  int Add(xb::Ref<TBitmap> bitmap, xb::Ref<TBitmap> mask = nullptr);
  int AddMasked(xb::Ref<TBitmap> bitmap, COLORREF mask_colour);
  COLORREF SetBkColor(COLORREF colour);
  // Destroys the list and ends every bitmap kept.
  void End();
  int Count() const;

  HIMAGELIST hImageList = nullptr;
  std::vector<xb::Ref<TBitmap>> aBitmaps;

  xb::Value Self() { return AsValue(); }
};

}  // namespace ui
