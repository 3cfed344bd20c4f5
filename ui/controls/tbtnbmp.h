// TBtnBmp: the framework's owner-painted button with a picture and an optional caption: the
// buttons of every button bar (NewBar), free-standing picture buttons (New) and picture
// buttons of dialog resources (ReDefine). Pictures come from the button image store (slot
// numbers), or, for buttons of a dialog resource asked so, are plain bitmaps of the button's
// own, painted by the palette-button painter.
//
// The flat look shows the frame only while the mouse is over the button. A pressed flag
// makes a toggle button; a drop-down menu opens from the arrow area on the right. Line style
// 0 is the system's own look (picture in a square on the left, caption to its right);
// any other is the classic look (picture centred, raised frame).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/object.h"
#include "ui/core/bar_button.h"
#include "ui/core/tbar.h"
#include "ui/core/tcontrol.h"
#include "ui/core/tfont.h"

namespace ui {

class TBtnBmp : public TControl, public BarButton {
 public:
  struct Pictures {
    std::string resource1{}, resource2{}, resource3{};  // resource names (digits: a number)
    std::string file1{}, file2{}, file3{};              // bitmap files, used when they exist
  };

  struct NewParams {
    int top = 0;  // pixels
    int left = 0;
    int width = 20;
    int height = 20;
    Pictures pictures;
    xb::Value action;
    WindowRef parent;  // none: the default window
    std::string message = " ";
    xb::Value when;
    bool adjust = false;
    bool update = false;
    std::string caption;
    xb::Ref<TFont> font;
    bool border = true;
    int line_style = 1;
  };

  struct BarParams {
    Pictures pictures;
    std::string message;
    xb::Value action;
    bool group = false;
    bool adjust = false;
    xb::Value when;
    std::string tooltip;
    bool pressed = false;  // also the toggle state
    xb::Value drop_over;
    std::string action_text;
    int position = 0;      // 0: at the end
    std::string caption;
    xb::Ref<TFont> font;
    bool border = true;
    xb::ObjectRef popup;   // a drop-down TMenu
  };

  struct RedefineParams {
    Pictures pictures;
    std::string message;
    xb::Value action;
    bool adjust = false;
    xb::Value when;
    bool update = false;
    std::string tooltip;
    std::string caption;
    xb::Ref<TFont> font;
    bool border = true;
  };

  TBtnBmp();
  ~TBtnBmp() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  static xb::Ref<TBtnBmp> New(const NewParams& params);
  void InitNew(const NewParams& params);
  static xb::Ref<TBtnBmp> NewBar(TBar& bar, const BarParams& params);
  void InitBar(TBar& bar, const BarParams& params);
  // An identifier above 40000 means that identifier - 40000, with plain bitmaps.
  static xb::Ref<TBtnBmp> ReDefine(int id, WindowRef parent, const RedefineParams& params);
  void InitRedefine(int id, WindowRef parent, const RedefineParams& params);

  // Each resource name, then each file that exists, fills its picture (store slots, or plain
  // bitmaps with `direct`).
  void LoadBitmaps(const Pictures& pictures, bool direct);
  // Plain bitmaps are freed; store slots stay in the store. All three become 0.
  void FreeBitmaps();
  void SetFile(const std::string& file1, const std::string& file2);

  Answer Paint() override;
  Answer Display() override;
  Answer Click() override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  void Initiate(HWND dialog) override;
  Answer Destroy() override;
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer LButtonUp(int row, int col, WPARAM keys) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;

  void Toggle();
  void GoUp();
  std::string cGenPRG() const;
  // The text as it fits the button: cut and ended with "..." when it is too wide.
  std::string AdjText(const std::string& text);

  // BarButton
  bool StartsGroup() const override { return lGroup; }
  void SetGroup(bool group) override { lGroup = group; }
  BarButtonLayout Layout() const override;
  std::string GenPrg() const override { return cGenPRG(); }

  xb::Value bAction;
  std::string cAction;
  bool lPressed = false;
  bool lAdjust = false;
  bool lGroup = false;
  bool lWorking = false;
  bool lBtnUp = false;
  bool lBtnDown = false;   // the toggle state
  std::intptr_t hBmpPal1 = 0;  // a store slot, or a bitmap handle when not buffered
  std::intptr_t hBmpPal2 = 0;
  std::intptr_t hBmpPal3 = 0;
  std::string cResName1, cResName2, cResName3;
  std::string cBmpFile1, cBmpFile2, cBmpFile3;
  bool lProcessing = false;
  bool lBorder = true;     // the frame shows
  xb::ObjectRef oPopup;    // the drop-down menu
  int nLineStyle = 1;
  int nRow = -1;
  int nCol = -1;
  int nWBmp1 = 16, nHBmp1 = 16, nWBmp2 = 16, nHBmp2 = 16, nWBmp3 = 16, nHBmp3 = 16;
  bool lBuffer = true;     // the pictures are store slots

 private:
  bool Disabled() const { return hWnd != nullptr && !IsWindowEnabled(hWnd); }
  bool HasDropDown() const { return static_cast<bool>(oPopup); }
  bool IsOver(int row, int col) const;
  HFONT PaintFont();
  void PaintQZ(HDC dc);
  void PaintClassic(HDC dc);
  void OpenDropDown();
  void SetPicture(int which, std::intptr_t picture, HPALETTE palette, int width, int height);
  HBRUSH ParentBrush() const;

  HPALETTE palettes_[3] = {};  // the palettes of pictures of the button's own
};

// Registers TBTNBMP and the button image store's functions by name (InitControls does).
void RegisterBtnBmpFunctions();

}  // namespace ui
