// TBrush: a shared GDI brush. Asking for a brush that a live one already is (same style,
// colour, bitmap file and resource) returns that one with its use count raised; End frees
// the GDI objects when the last user ends.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"

namespace ui {

class TBrush : public xb::Object {
 public:
  TBrush();
  ~TBrush() override;
  static const xb::Class& Cls();

  // Style "": solid; "NULL": the stock null brush; "HORIZONTAL", "VERTICAL", "FDIAGONAL",
  // "BDIAGONAL", "CROSS", "DIAGCROSS": hatched in the colour; "BORLAND", "BRICKS", "TILED",
  // "TABS": the framework's pattern pictures; a bitmap file or resource: a pattern brush of
  // that picture.
  static xb::Ref<TBrush> New(std::string_view style, COLORREF colour,
                             std::string_view bitmap_file = {}, std::string_view bitmap_resource = {});
  // Ends one use; the last frees the brush and its bitmap.
  void End();
  // The source text that would define this brush (a design aid).
  std::string cGenPrg() const;

  // The live brushes, in creation order.
  static const std::vector<TBrush*>& Live();

  HBRUSH hBrush = nullptr;
  HBITMAP hBitmap = nullptr;
  int nCount = 0;
  std::string cStyle;
  COLORREF nRGBColor = 0;
  std::string cBmpFile;
  std::string cBmpRes;

 private:
  bool stock_ = false;  // the stock null brush is never deleted
};

}  // namespace ui
