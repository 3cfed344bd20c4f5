// TComboBox: a Windows "COMBOBOX" bound to a value through bSetGet: the chosen item's text,
// or its number when the bound value is numeric. The three combo styles (1 simple, 2 drop-down
// with an edit part, 3 drop-down list), owner-drawn items with a picture before each text (one
// strip of pictures per combo, made on first use), an edit part driven by a TGet for the
// drop-down style, and item maintenance.
//
// Item numbers outside 1..count select nothing; 0 stands for the first item where a value or
// Set gives it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "ui/bridge/image_strip.h"
#include "ui/core/tcontrol.h"

namespace ui {

class TGet;

class TComboBox : public TControl {
 public:
  TComboBox();
  ~TComboBox() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  static constexpr int kSimple = CBS_SIMPLE;          // 1
  static constexpr int kDropDown = CBS_DROPDOWN;      // 2
  static constexpr int kDropDownList = CBS_DROPDOWNLIST;  // 3

  struct NewParams {
    int row = 0;
    int col = 0;
    xb::Value set_get{};                 // NIL: a value of its own
    xb::Value items{};                   // array of texts
    int width = 40;                      // pixels
    int height = 60;                     // the opened list's
    WindowRef parent{};                  // none: the default window
    int help_id = 0;
    xb::Value change{};
    xb::Value valid{};
    std::optional<COLORREF> clr_text{};  // none: the window text colour
    std::optional<COLORREF> clr_pane{};  // none: the window colour
    bool pixel = false;                  // else rows of 14 and columns of 8 pixels
    xb::Ref<TFont> font{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    bool design = false;
    xb::Value pictures{};                // one picture name an item
    xb::Value draw_item{};
    int style = kDropDownList;
    std::string edit_picture{};
    xb::Value edit_change{};
  };
  TComboBox& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    xb::Value set_get{};
    xb::Value items{};
    WindowRef parent{};
    int help_id = 0;
    xb::Value valid{};
    xb::Value change{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value pictures{};
    xb::Value draw_item{};
    int style = kDropDownList;
    std::string edit_picture{};
    xb::Value edit_change{};
  };
  TComboBox& ReDefine(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  // The items into the control and the value's item chosen.
  void Default() override;
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar("COMBOBOX"); }

  // ---- value ------------------------------------------------------------------------------
  // A number selects that item (0: the first); a text the first item equal to it (case and
  // outer blanks aside); a text no item has becomes the value and the window's text.
  void Set(const xb::Value& value);
  // The selected item's text (nAt follows), or the window text without a selection.
  std::string cVarGet();
  void Refresh(bool erase = true) override;
  bool lValid() override;

  // ---- items -----------------------------------------------------------------------------------
  int Count() const { return static_cast<int>(aItems.size()); }
  std::string Item(int n) const;  // 1-based; "" outside
  void Add(const std::string& item, int at = 0);
  void Insert(const std::string& item, int at);
  void Modify(const std::string& item, int at);
  void Del(int at);
  void SetItems(const xb::Array& items);
  void Reset();
  void Select(int n);
  void Open();
  int FindString(const std::string& text, int start = 0) const;
  bool Find(const std::string& text, int start = 0) const { return FindString(text, start) > 0; }
  // The first item equal to the text (case and outer blanks aside); 0 when none.
  int ItemOf(const std::string& text) const;

  // ---- pictures ----------------------------------------------------------------------------------
  // Owner-drawn: item i shows the picture named pictures[i] (a resource number, a file when
  // the name holds ".", else a resource name), each name loaded once into the combo's strip.
  void SetBitmaps(const xb::Array& pictures);
  void FillMeasure();
  HBITMAP hCbxBuff() const;

  // ---- messages ----------------------------------------------------------------------------------
  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  Answer Change() override;
  Answer LostFocus(HWND receiving) override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer Destroy() override;
  void CloseUp();
  // Paints an owner-drawn item: its picture on the left, its text from x = 36.
  bool DrawItem(const DRAWITEMSTRUCT& item);
  // The edit part joins the combo's own controls.
  void DefControl(WindowRef control);

  // ---- data ----------------------------------------------------------------------------------------
  xb::Array aItems;
  std::vector<int> aBitmaps;  // per item, its strip slot (0: none)
  bool lOwnerDraw = false;
  int nAt = 0;
  xb::Value bDrawItem;
  xb::Value bCloseUp;
  std::string cError;
  xb::Ref<TGet> oGet;         // the edit part of a drop-down combo
  std::vector<std::string> aBmpCbx;  // names loaded into the strip
  int nBmpWidth = 0;
  int nBmpHeight = 0;
  int nComboStyle = kDropDownList;
  // Sees Enter and Escape first (a browse's cell editor); true when it took the key.
  std::function<bool(int key)> on_key;
  // Runs once the combo has let the focus go and taken its value.
  std::function<void()> on_lost_focus;

 private:
  void Setup(const xb::Value& items, const xb::Value& pictures, int style);
  void MakeEditPart(const std::string& picture, const xb::Value& change);
  void LinkEditPart();
  void TakeEditText();
  void ShowInEditPart(const std::string& text);
  void FillControl();
  bool IsNumeric();
  void Store(int n);  // the item's number, or its text, into the value
  int Selection() const;  // CB_GETCURSEL + 1; 0 without one

  std::unique_ptr<ImageStrip> strip_;
  std::vector<StripImage> images_;  // by their place in aBmpCbx
  std::string edit_picture_;
  xb::Value edit_change_;
  int edit_width_ = 0;
};

// GETDRAWISR: the owner-draw record behind the address as {control type, control id, item,
// action, state, item window, DC, top, left, bottom, right, item data}.
xb::Array GetDrawIsr(const DRAWITEMSTRUCT& record);

// Registers TCOMBOBOX and GETDRAWISR (InitControls does).
void RegisterComboBox();

}  // namespace ui
