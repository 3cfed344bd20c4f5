// TMsgItem: one item on the right of a message bar (clock, date, a key's lock state, or any
// text or picture). Items are laid out from the bar's right edge: the first added is the
// leftmost. An item with a timer refreshes its text from bMsg on every tick of the bar.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "runtime/object.h"
#include "runtime/value.h"
#include "ui/bridge/rect.h"
#include "ui/core/tfont.h"

namespace ui {

class TMsgBar;

class TMsgItem : public xb::Object {
 public:
  struct Spec {
    std::string text;
    int width = 0;                        // 0: the picture's width + 7, or 40
    xb::Ref<TFont> font;                  // none: the bar's
    std::optional<COLORREF> clr_text;     // none: the bar's
    std::optional<COLORREF> clr_pane;
    bool add = true;                      // joins the bar at once
    xb::Value action;                     // block evaluated with the item on a click
    std::string picture1;                 // active look: a file (with a dot) or a resource
    std::string picture2;                 // inactive look
    std::string tooltip;
  };

  TMsgItem();
  ~TMsgItem() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  static xb::Ref<TMsgItem> New(TMsgBar& bar, const Spec& spec);
  void Init(TMsgBar& bar, const Spec& spec);

  // Left edge in the bar's client area.
  int nLeft() const;
  // The item's rectangle in the bar's client area.
  Rect GetRect() const;
  bool IsOver(int row, int col) const;
  void Paint();
  // The text from bMsg when it is a block (evaluated with the item), then Paint.
  void Refresh();
  void SetText(const std::string& text);
  void SetFont(xb::Ref<TFont> font);
  void Click();

  xb::Value Self() { return AsValue(); }

  TMsgBar* oMsgBar = nullptr;  // the bar that shows it; cleared when the bar goes
  std::string cMsg;
  int nWidth = 40;
  COLORREF nClrText = 0;
  COLORREF nClrPane = 0;
  COLORREF nClrDisabled = 0;
  xb::Value bMsg;
  xb::Value bAction;
  xb::Ref<TFont> oFont;
  bool lActive = true;
  bool lTimer = false;
  bool lWasActive = true;
  HBITMAP hBitmap1 = nullptr;
  HPALETTE hPalette1 = nullptr;
  HBITMAP hBitmap2 = nullptr;
  HPALETTE hPalette2 = nullptr;
  std::string cToolTip;

 private:
  void FreePictures();
};

}  // namespace ui
