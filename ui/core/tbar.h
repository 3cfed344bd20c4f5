// TBar: the strip of bitmap buttons docked at an edge of a window (or floating in a tool
// window). Buttons are the bar's controls, in order; a button that starts a group has an
// 8-pixel gap before it. The classic look is a raised bar with grips; a bar on the left
// takes the maker's look: a coloured pane under a header picture, a yellow edge strip and
// scroll arrows when its buttons do not all fit. The bar re-docks on every resize of its
// window; SaveIni writes its layout to the INI sections "ButtonBar".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/object.h"
#include "ui/bridge/rect.h"
#include "ui/core/bar_button.h"
#include "ui/core/tcontrol.h"
#include "ui/core/window_parts.h"

namespace ui {

class TBar : public TControl, public WindowBar {
 public:
  enum Mode { kTop = 1, kLeft = 2, kRight = 3, kBottom = 4, kFloat = 5 };
  static constexpr int kGroupGap = 8;
  // The maker's look of this program: the pane colour and the header picture's resource.
  static constexpr COLORREF kMakerPane = 4418560;
  static constexpr int kMakerHeader = 24004;

  struct NewParams {
    int btn_width = 28;
    int btn_height = 28;
    bool l3d = false;
    std::string position = "TOP";  // "LEFT", "RIGHT", "BOTTOM", "FLOAT"
    xb::ObjectRef cursor;
    std::string header{};          // the header picture: a file (with a dot) or a resource
    int mode = 0;                  // 1-5: overrides the position and the look's choices
  };

  TBar();
  ~TBar() override;
  static const xb::Class& Cls();

  // The bar of the window (its oBar), placed along the edge.
  static xb::Ref<TBar> New(TWindow& window, const NewParams& params);
  void Init(TWindow& window, const NewParams& params);
  // The same at a place of the window's client area (pixels, right and bottom included),
  // not docked: it keeps its place when the window is resized.
  static xb::Ref<TBar> NewAt(TWindow& window, const Rect& place, const NewParams& params);
  void InitAt(TWindow& window, const Rect& place, const NewParams& params);

  // Inserts the button before `position` (1-based; 0 appends) and re-places the buttons.
  void Add(WindowRef button, int position = 0);
  // A group separator before the button at `position`, or none.
  void AddGroup(int position);
  void DelGroup(int position);
  // Ends the button at `position`.
  void Del(int position);
  // Places every button: left to right on a horizontal bar, top to bottom on a vertical one,
  // in two columns when floating.
  void BtnAdjust();
  // Where a new button goes (with `group`, it starts a group); `position` 0 is the end.
  int GetBtnTop(bool group, int position = 0) const;
  int GetBtnLeft(bool group, int position = 0) const;
  std::vector<WindowRef> Buttons() const { return aControls; }

  // WindowBar: docked again after the window's resize.
  void Adjust() override;
  void SetMsg(const std::string& text, bool as_default) override;

  // Scroll a left bar's buttons by one button.
  void Up();
  void Down();
  // Dock at an edge, or float in a tool window.
  void GoTop();
  void GoLeft();
  void GoRight();
  void GoDown();
  void Float();

  // Writes the layout: "ButtonBar" / "1" = name + "," + mode, and one "Button" + n entry per
  // button in the section "ButtonBar." + name (cleared first).
  void SaveIni(const std::string& name, const std::string& file);
  std::string cGenPrg() const;

  Answer Paint() override;
  Answer Display() override;
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer RButtonDown(int row, int col, WPARAM keys) override;
  Answer EraseBkGnd(HDC dc) override;
  Answer Destroy() override;
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  int nGroups = 0;
  int nMode = kTop;
  int nBtnWidth = 28;
  int nBtnHeight = 28;
  bool l3D = false;
  std::string cBmpHeader;
  HBITMAP hBmpHeader = nullptr;
  int nHBmpHeader = 0;
  HPALETTE hPaletteHdr = nullptr;
  int nLineStyle = -1;  // 0: the maker's look (a left bar)
  bool lTop = true;     // every button shows at the top end
  bool lBottom = true;  // ... and at the bottom end
  int nT1 = 0, nL1 = 0, nB1 = 0, nR1 = 0;  // the up arrow
  int nT2 = 0, nL2 = 0, nB2 = 0, nR2 = 0;  // the down arrow

 private:
  bool Vertical() const { return nMode == kLeft || nMode == kRight; }
  bool docked_ = true;
  int ButtonStep() const;
  void PaintQZ(HDC dc);
  void Redock(int mode);
  WindowRef home_;       // the window the bar belongs to while it floats
  WindowRef float_win_;  // the tool window of a floating bar
};

// Registers TBAR by name.
void RegisterBarFunctions();

}  // namespace ui
