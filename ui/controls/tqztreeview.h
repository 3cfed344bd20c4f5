// TQZTreeView: the system's wrapper of the common-controls tree view ("SysTreeView32"). Its
// items are TTVItemQZ objects keeping the native item handle, their children and their
// pictures (indexes in a TImageList); a change of the selection runs bChanged.
//
// The tree view speaks ANSI: items are inserted and read with the A messages, texts in the
// code page. An item's text holds at most 199 characters (TVSETTEXT's buffer).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "ui/core/tcontrol.h"

namespace ui {

class TQZTreeView;
class TImageList;

class TTVItemQZ : public xb::Object {
 public:
  TTVItemQZ();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // New(hItem, oTree, cPrompt, nImage, nImage2, nSelImage): the last two default to nImage.
  TTVItemQZ& New(HTREEITEM item, TQZTreeView* tree, const std::string& prompt, int image,
                 std::optional<int> image2 = {}, std::optional<int> selected = {});

  // A child at the end of this item's children.
  xb::Ref<TTVItemQZ> Add(const std::string& prompt, int image = 0, std::optional<int> image2 = {},
                         std::optional<int> selected = {});
  // Deletes every child from the control; an item without children is left as it is.
  void DeleteBranches();
  void Expand();
  // The text in the control and in cPrompt, cut to 199 characters.
  void SetItemText(const std::string& text);
  // This item or one below it with that handle; nullptr when none.
  TTVItemQZ* Find(HTREEITEM item);

  HTREEITEM hItem = nullptr;
  xb::ObjectRef oTree;  // the TQZTreeView
  std::vector<xb::Ref<TTVItemQZ>> aItems;
  std::string cPrompt;
  int nImage = 0;
  int nImage2 = 0;
  int nImageSelected = 0;
  xb::Value Cargo;

  xb::Value Self() { return AsValue(); }

 private:
  HWND TreeWindow() const;
};

class TQZTreeView : public TControl {
 public:
  TQZTreeView();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    int row = 0;  // cells of 15 x 6 pixels unless pixel
    int col = 0;
    WindowRef parent{};                  // none: the default window
    std::optional<COLORREF> clr_text{};  // none: the parent's
    std::optional<COLORREF> clr_pane{};  // none: the window colour
    bool pixel = false;
    bool design = false;
    int width = 200;
    int height = 150;
    std::string message{};
  };
  TQZTreeView& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    WindowRef parent{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    bool update = false;
  };
  TQZTreeView& ReDefine(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  void Default() override;
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar(WC_TREEVIEWA); }

  // A top-level item at the end.
  xb::Ref<TTVItemQZ> Add(const std::string& prompt, int image = 0, std::optional<int> image2 = {},
                         std::optional<int> selected = {});
  TTVItemQZ* GetSelected();
  TTVItemQZ* GetItem(HTREEITEM item);
  // The item under the point (client coordinates), nullptr when none.
  TTVItemQZ* HitTest(int row, int col);
  void Select(const TTVItemQZ& item);
  std::string GetSelText() const;
  void DeleteAll();
  void Expand();  // every top-level item
  void SetImageList(xb::Ref<TImageList> list);

  void SelChanged() override;
  Answer VScroll(WPARAM wparam, LPARAM lparam) override { return {}; }  // the control scrolls itself
  Answer HScroll(WPARAM wparam, LPARAM lparam) override { return {}; }

  std::vector<xb::Ref<TTVItemQZ>> aItems;
  xb::Ref<TImageList> oImageList;
  xb::Value bChanged;
};

// TVSETTEXT: the item's text, cut to 199 characters; the text it now holds.
std::string TvSetText(HWND tree, HTREEITEM item, const std::string& text);
// TVINSERTITEMQZ: a new last child of `parent` (TVI_ROOT for the top) with its text and images.
HTREEITEM TvInsertItemQz(HWND tree, const std::string& prompt, HTREEITEM parent, int image, int selected_image);

// Registers TQZTREEVIEW, TTVITEMQZ, TIMAGELIST, TVSETTEXT and TVINSERTITEMQZ (InitControls does).
void RegisterTreeView();

}  // namespace ui
