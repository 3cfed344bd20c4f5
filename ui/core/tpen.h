// TPen: a GDI pen that belongs to the object that made it.
#pragma once

#include <windows.h>

#include "runtime/object.h"

namespace ui {

class TPen : public xb::Object {
 public:
  TPen();
  ~TPen() override;
  static const xb::Class& Cls();

  // Style 0 (solid), width 1 and colour 0 unless given; with a device (a printer) the width
  // is scaled to its vertical pixels per inch / 72.
  static xb::Ref<TPen> New(int style = PS_SOLID, int width = 1, COLORREF colour = 0, HDC device = nullptr);
  // Deletes the pen; the handle becomes 0.
  void End();

  HPEN hPen = nullptr;
  int nStyle = 0;
  int nWidth = 1;
  int nColor = 0;
  xb::Value oDevice;
};

}  // namespace ui
