// TListBox: a Windows "LISTBOX" bound to a value through bSetGet: the chosen item's text, or
// its number when the bound value is numeric. It may list the files matching a file
// specification, sort its items, show a picture before each item, allow several items
// chosen at once and move items up and down.
//
// A sorted list keeps aItems in the control's own order, so an item's number and its text
// name the same item. Pictures it loaded itself (files, resources) are its own and deleted
// with it; handles passed in stay their caller's.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "ui/core/tcontrol.h"

namespace ui {

class TListBox : public TControl {
 public:
  TListBox();
  ~TListBox() override;
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    xb::Value set_get{};                 // NIL: a value of its own
    xb::Value items{};
    int width = 40;                      // pixels
    int height = 40;
    xb::Value change{};
    WindowRef parent{};                  // none: the default window
    xb::Value valid{};
    std::optional<COLORREF> clr_text{};  // none: the window text colour
    std::optional<COLORREF> clr_pane{};  // none: the window colour
    bool pixel = false;                  // else rows of 14 and columns of 8 pixels
    bool design = false;
    xb::Value dbl_click{};
    xb::Ref<TFont> font{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value pictures{};
    xb::Value draw_item{};
    bool multiple = false;
    bool sorted = false;
  };
  TListBox& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    xb::Value set_get{};
    xb::Value items{};
    xb::Value change{};
    WindowRef parent{};
    int help_id = 0;
    xb::Value pictures{};
    xb::Value valid{};
    std::string file_spec{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    xb::Value dbl_click{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value draw_item{};
  };
  TListBox& ReDefine(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  void Default() override;
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar("LISTBOX"); }

  // ---- value and selection -----------------------------------------------------------------------
  void Set(const std::string& text);
  void Select(int n);
  void GoTop() { Select(1); }
  void GoBottom() { Select(Len()); }
  int GetPos() const;      // the selection's number, 0 when none
  int GetSel() const;      // the item with the caret
  std::string GetSelText() const;
  std::string GetItem(int n) const;  // the control's text of item n
  int Len() const;
  bool IsMultipleSel() const;
  void SetSel(int n, bool on = true);
  int GetSelCount() const;
  std::vector<int> GetSelItems() const;
  void SetSelItems(const std::vector<int>& numbers);
  std::vector<std::string> aSelections() const;
  // The first item equal to the text (case and outer blanks aside); 0 when none.
  int ItemOf(const std::string& text) const;

  // ---- items ---------------------------------------------------------------------------------------
  int Count() const { return static_cast<int>(aItems.size()); }
  void Add(const std::string& item, int after = 0);
  void Insert(const std::string& item, int at = 0);
  void Modify(const std::string& item, int at = 0);
  void Del(int at = 0);
  void SwapUp();
  void SwapDown();
  void SetItems(const xb::Array& items);
  void Reset();

  // ---- pictures --------------------------------------------------------------------------------------
  // Each picture is a bitmap file (when it exists), a resource, or a handle (kept the caller's).
  void SetBitmaps(const xb::Array& pictures);
  void FillMeasure();
  bool DrawItem(const DRAWITEMSTRUCT& item);

  // ---- messages --------------------------------------------------------------------------------------
  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  Answer Change() override;
  Answer LostFocus(HWND receiving) override;
  Answer VScroll(WPARAM wparam, LPARAM lparam) override { return {}; }  // the list scrolls itself
  Answer LButtonUp(int row, int col, WPARAM keys) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer Destroy() override;
  std::string cGenPrg();

  // ---- data ------------------------------------------------------------------------------------------
  xb::Array aItems;
  std::vector<HBITMAP> aBitmaps;
  bool lOwnerDraw = false;
  int nBmpHeight = 0;
  int nBmpWidth = 0;
  std::string cFileSpec;
  xb::Value bDrawItem;

 private:
  void Setup(const xb::Value& items, const xb::Value& pictures);
  void FillControl();
  void ReadBack();  // aItems from the control (a sorted list's order)
  bool IsNumeric();
  void Store(int n);
  void FreeBitmaps();
  void Reselect(int n);  // keeps a valid selection after a change of the items

  std::vector<bool> own_;  // per picture: loaded here
  bool sorted_ = false;
};

// Registers TLISTBOX (InitControls does).
void RegisterListBox();

}  // namespace ui
