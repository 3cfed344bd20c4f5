// TMsgBar: the status line at the foot of a window, 23 pixels high: the current message
// (a menu item's or a control's help text, or the default text) on the left and items on
// the right (keys' lock states, the date, the clock, any TMsgItem). Timed items refresh
// every 400 ms from one timer of the bar. The bar re-docks on every resize of its window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "ui/core/tfont.h"
#include "ui/core/tmsgitem.h"
#include "ui/core/ttimer.h"
#include "ui/core/twindow.h"
#include "ui/core/window_parts.h"

namespace ui {

class TMsgBar : public TWindow, public WindowBar {
 public:
  static constexpr int kHeight = 23;
  static constexpr int kTimerInterval = 400;

  struct NewParams {
    std::string text;              // the default text
    bool centred = false;
    bool clock = false;
    bool date = false;
    bool keys = false;             // Num, Caps and Ins
    COLORREF clr_text = 0;
    std::optional<COLORREF> clr_pane{};  // none: the button face
    xb::Ref<TFont> font{};         // none: "Ms Sans Serif" at height -8
    bool inset = true;             // the message in a sunken box
  };

  TMsgBar();
  ~TMsgBar() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // The bar at the bottom of the window's client area; it becomes the window's oMsgBar.
  static xb::Ref<TMsgBar> New(TWindow& window, const NewParams& params);
  void Init(TWindow& window, const NewParams& params);
  // The font and colours the bar starts with.
  void Default(xb::Ref<TFont> font);

  // WindowBar: re-placed at the bottom, 23 high, one pixel beyond each side.
  void Adjust() override;
  // With `as_default` the text becomes the default text too.
  void SetMsg(const std::string& text, bool as_default) override;
  // Empty text shows the default text; a changed text is painted at once.
  void SetMsg(const std::string& text);
  int Height() const { return kHeight; }

  void ClockOn();
  void ClockOff();
  void DateOn();
  void DateOff();
  void KeybOn();
  void KeybOff();
  void AddItem(xb::Ref<TMsgItem> item);
  void DelItem(TMsgItem* item);

  // Starts the bar's timer once.
  void CheckTimer();
  // One tick: every timed item refreshes; with lCheckRes the window's title shows memory
  // figures; a title left in Cargo is written to the window.
  void TimerEval();

  // The left edge of the first item, 0 without items.
  int ItemsLeft() const;
  // The item under a point of the bar, nullptr when none.
  TMsgItem* ItemAt(int row, int col) const;

  Answer Paint() override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer LDblClick(int row, int col, WPARAM keys) override;
  Answer Destroy() override;

  std::string cMsgDef;
  bool lCentered = false;
  bool lInset = true;
  xb::Ref<TTimer> oTimer;
  std::vector<xb::Ref<TMsgItem>> aItem;
  xb::Ref<TMsgItem> oKeyNum, oKeyCaps, oKeyIns, oClock, oDate;
  int nSizeItem = 0;
  bool lCheckRes = false;

 private:
  xb::Ref<TMsgItem> KeyItem(const char* label, int virtual_key);
  xb::Ref<TMsgItem> TimedItem(xb::Value text_block);
  void Remove(xb::Ref<TMsgItem>& item);
};

// Registers TMSGBAR and TMSGITEM by name.
void RegisterMsgBarFunctions();

}  // namespace ui
