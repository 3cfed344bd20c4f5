// TScrollBar: a Windows scroll bar with a range, a position and an action block for each
// scroll request; it moves its own thumb. Two forms: a scroll-bar control of its own (New,
// ReDefine; class "SCROLLBAR") and the built-in vertical or horizontal bar of another window
// (WinNew: browses, the spinner of edit fields, windows made with scroll bars), which has no
// window of its own (hWnd null, lIsChild). TQZScrllBar is the control form that is not a
// tab stop.
//
// The thumb's position is a 32-bit number: with a range past 65535 the position a thumb
// message carries in 16 bits is completed from the bar's tracking position.
#pragma once

#include <windows.h>

#include <optional>

#include "ui/core/tcontrol.h"
#include "ui/core/window_parts.h"

namespace ui {

class TScrollBar : public TControl, public WindowScrollBar {
 public:
  TScrollBar();
  explicit TScrollBar(const xb::Class& cls);
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    int min = 0;
    int max = 0;
    int page_step = 1;
    bool vertical = true;
    WindowRef parent{};               // default: the default window
    int width = 0;                  // 0: 16 vertical, 100 horizontal
    int height = 0;                 // 0: 100 vertical, 17 horizontal
    xb::Value go_up{}, go_down{}, page_up{}, page_down{}, pos{};
    bool pixel = false;             // else cells of 14 x 8 pixels
    std::optional<COLORREF> back{};   // default: the window colour
    std::optional<COLORREF> fore{};   // default: the scroll-bar colour
    std::string message{};
    bool update = false;
    xb::Value when{}, valid{};
    bool design = false;
  };
  // A scroll-bar control on the parent (made now when the parent has its window).
  TScrollBar& New(const NewParams& params);

  struct WinParams {
    int min = 1;
    int max = 2;
    int page_step = 1;
    bool vertical = true;
    xb::Value go_up{}, go_down{}, page_up{}, page_down{}, pos{};
    bool update = false;
    xb::Value when{}, valid{};
  };
  // Over `window`'s own bar; range and position (the minimum) set on it.
  TScrollBar& WinNew(TWindow& window, const WinParams& params);
  static xb::Ref<TScrollBar> OverWindow(TWindow& window, const WinParams& params);

  struct RedefineParams {
    WindowRef parent{};             // default: the default window
    int min = 0;
    int max = 0;
    int page_step = 1;
    xb::Value go_up{}, go_down{}, page_up{}, page_down{}, pos{};
    std::optional<COLORREF> fore{};   // default: the scroll-bar colour
    std::optional<COLORREF> back{};   // default: the window colour
    std::string message{};
    bool update = false;
    xb::Value when{}, valid{};
  };
  // A scroll-bar item of the parent dialog's resource (horizontal).
  TScrollBar& ReDefine(int id, const RedefineParams& params);
  TScrollBar& ReDefine(int id, WindowRef parent, int min = 0, int max = 0, int page_step = 1);
  void Initiate(HWND dialog) override;
  // Its item of a dialog built in memory: a "SCROLLBAR".
  std::string cToChar(const std::string& class_name = {}) override;

  // ---- position --------------------------------------------------------------------------
  int GetPos() const;
  // {min, max}
  std::pair<int, int> GetRange() const;
  void SetPos(int position);
  void SetRange(int min, int max);
  // Does nothing: the thumb keeps its size.
  void SetPage(int page, bool redraw = true) {}

  // ---- requests (each runs its block) ------------------------------------------------------
  void GoUp() override;        // one less when above the minimum, then bGoUp
  void GoDown() override;      // one more when below the maximum, then bGoDown
  void GoTop();                // the minimum, then bGoTop
  void GoBottom();             // the maximum, then bGoBottom
  void PageUp() override;      // bPageUp, then the page step less
  void PageDown() override;    // bPageDown, then the page step more
  void ThumbPos(int position) override;
  void ThumbTrack(int position) override;
  void DestroyBar() override;
  void SetBlocks(const xb::Value& up, const xb::Value& down, const xb::Value& page_up,
                 const xb::Value& page_down) override;

  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;

  // The full 32-bit position of a thumb message that carried its low 16 bits.
  int ThumbPosition(int reported) const;

  bool lVertical = true;
  bool lReDraw = true;
  bool lIsChild = false;
  int nMin = 0;
  int nMax = 0;
  int nPgStep = 1;
  xb::Value bGoUp, bGoDown, bGoTop, bGoBottom, bPageUp, bPageDown, bPos, bTrack;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 protected:
  // The window whose bar this is and which bar: its own (SB_CTL) or its parent's.
  HWND BarWindow() const;
  int BarKind() const;
  // The values of the window's own bar; none for a control or a window without the bar.
  std::optional<SCROLLINFO> OwnBarInfo(UINT mask) const;
  void Run(const xb::Value& block, std::initializer_list<xb::Value> args = {});
  virtual DWORD ControlStyle(bool vertical, bool design) const;
};

class TQZScrllBar : public TScrollBar {
 public:
  TQZScrllBar();
  static const xb::Class& Cls();

 protected:
  DWORD ControlStyle(bool vertical, bool design) const override;
};

}  // namespace ui
