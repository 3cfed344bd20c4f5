// The framework printer's preview window (RPREVIEW): the metafile pages of a TPrinter job one
// or two at a time, moved through first / previous / next / last, zoomed by a factor of 1 to
// 9 and scrolled while zoomed, and printed all, the current page or a range. One preview is
// open at a time; its printer job is ended (its page files erased) when the window closes.
#pragma once

#include <windows.h>

#include <optional>

#include "output/preview_library.h"
#include "output/tmetafile.h"
#include "output/tprinter.h"
#include "runtime/object.h"
#include "ui/core/twindow.h"

namespace output {

// Opens the preview of the job's pages. A modal job hides the main window and waits until
// the preview closes; so does any preview while no message loop runs. With the program's
// face, its texts and pictures come from the current resource module, and a report's dialog
// (its oDlg) is hidden while a modal preview is open.
void RPreview(xb::Ref<TPrinter> printer, PreviewFace face = kFrameworkFace, xb::ObjectRef report = nullptr);

// The open preview's functions, as its bar, menu, keys and mouse call them.
class Preview {
 public:
  // The open preview, null when none.
  static Preview* Open();

  void PaintMeta();
  void NextPage();
  void PrevPage();
  void TopPage();
  void BottomPage();
  void TwoPages(bool repaint_button);
  void Zoom(bool repaint_button);
  void VScroll(int dir, bool page, std::optional<int> pos);
  void HScroll(int dir, bool page, std::optional<int> pos);
  void SetOrg1(int col, int row);
  void SetOrg2(int col, int row);
  void CheckKey(int key);
  // At opening (no factor) the nine factor items are numbered and the current factor used.
  void SetFactor(std::optional<int> factor);
  // Choice 1 all pages, 2 the current one, 3 pages from .. to.
  void PrintPrv(ui::TWindow* dialog, int choice, int from, int to);
  // The print button: a one-page job prints at once, otherwise the "PRINT" dialog chooses.
  void Print();
  // The window closes (its validation).
  void Close();

  ui::WindowRef window() const { return window_; }
  TMetaFile& page1() const { return *page1_; }
  TMetaFile& page2() const { return *page2_; }
  TPrinter& printer() const { return *printer_; }
  int current_page() const { return page_; }
  int factor() const { return factor_; }
  bool two_pages() const { return two_; }
  bool zoomed() const { return zoom_; }
  int page_count() const { return static_cast<int>(printer_->aMeta.size()); }
  std::string PageLabel() const;
  // The bar's zoom-factor combo box (a TComboBox).
  xb::ObjectRef factor_combo() const { return factor_combo_; }
  // The window's scroll bars (TScrollBar objects).
  xb::ObjectRef v_bar() const;
  xb::ObjectRef h_bar() const;

 private:
  friend void RPreview(xb::Ref<TPrinter> printer, PreviewFace face, xb::ObjectRef report);
  friend struct PreviewParts;
  Preview() = default;
  static void SetOpen(Preview* preview);
  void Build();
  void ShowPage(TMetaFile& control, int page);
  void RefreshLabel();
  bool Landscape() const;

  void BuildMenu();
  // The report's dialog hidden during a modal preview, and back after.
  void ShowReportDialog(bool show);
  void BuildBar();

  PreviewFace face_;
  xb::ObjectRef report_;
  ui::WindowRef window_;
  xb::Ref<TMetaFile> page1_, page2_;
  xb::Ref<TPrinter> printer_;
  xb::ObjectRef label_;        // the page label (TSay)
  xb::ObjectRef two_button_, zoom_button_;
  xb::ObjectRef zoom_item_, unzoom_item_, two_item_, one_item_;
  xb::ObjectRef factor_items_[9];
  xb::ObjectRef factor_combo_;
  xb::ObjectRef hand_;
  xb::ObjectRef lupa_;
  xb::ObjectRef font_;
  HWND hidden_main_ = nullptr;
  int page_ = 1;
  int factor_ = 1;
  bool two_ = false;
  bool zoom_ = false;
  bool closed_ = false;
};

// Registers RPREVIEW and TMETAFILE by name.
void RegisterPreviewFunctions();

}  // namespace output
