// TRect: a rectangle object {nTop, nLeft, nBottom, nRight}, its width and height counting
// both edges.
#pragma once

#include "runtime/object.h"

namespace ui {

class TRect : public xb::Object {
 public:
  TRect();
  static const xb::Class& Cls();
  static xb::Ref<TRect> New(int top, int left, int bottom, int right);

  int nWidth() const { return nRight - nLeft + 1; }
  int nHeight() const { return nBottom - nTop + 1; }

  int nTop = 0;
  int nLeft = 0;
  int nBottom = 0;
  int nRight = 0;
};

}  // namespace ui
