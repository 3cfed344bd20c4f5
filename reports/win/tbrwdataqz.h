// TBrwDataQZ: the report generator's generic browser of a dictionary table: an MDI child of
// the dictionary's frame with a button bar (add, modify, delete, search, print, fonts, the
// caller's extra buttons, exit), the table's browse with the columns of its kind, tabs by
// index name (or a filter on a field's value), a search by the current index and keys. In a
// dialog (a non-zero nId) the browse is that dialog's control and the buttons are its
// controls 500 to 505 (add, modify, delete, search, print, fonts), 506 to 509 (the caller's)
// and 510 (exit); the tabs are its control 511 (a "TTabs" item) when it has one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/value.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/ttabs.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tbar.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tdialog.h"
#include "ui/core/tmdiframe.h"

namespace reports {

class TBrwDataQZ {
 public:
  struct ExtraButton {
    std::string bitmap;
    std::string tooltip;  // empty: "Tooltip"
    std::string caption;
    std::function<void()> action;  // none: "Acción no definida"
  };

  // New(cTitle, cAlias, cCaption, ...): the kind of list (its title in TB_BrowseStructure),
  // the table's alias (default the current one) and the window's caption (default the title).
  TBrwDataQZ(std::string title, std::string alias, std::string caption = {}, std::string menu_option = {});
  ~TBrwDataQZ();

  // Opens the child in `frame`, `depth` 1 for a list of the frame, 2 for a list opened from one
  // (or lChild).
  void Activate(ui::TMdiFrame& frame, int depth = 1);
  // The browse as the control nId of `dialog`, before the dialog runs; its buttons the
  // dialog's controls 500 to 505 and 510, its tabs the control 511.
  void Activate(const ui::DialogRef& dialog);
  void End();
  void Refresh();
  bool open() const;
  // TI_REFFILTER: a filtered list set again to its order and value and counted (after a row
  // was added or deleted, by dialogs that may leave another order).
  void RefFilter();
  // The browse's font chosen ("Fuentes"), its columns then sized to it (TI_REFSIZES: each
  // column's width in proportion to the width of a letter in the new font).
  void ChooseFont();
  void RefSizes();

  void AddRecord();
  void EditRecord();
  void DelRecord();
  void SearchRecord();
  // The current index sought softly by the upper-cased text; SET SOFTSEEK is put back.
  void Search(const std::string& text);
  // BrwReport: the browse's rows printed by a TDTReport titled `title` (the preview, or
  // the printer).
  void BrwReport(const std::string& title, bool preview = true);
  // A key of the browse ("A" or "+", "M", "E", "L", "I", "F", "S", either case); true when used.
  bool BrowseKeys(int key);
  // BuildPopup: the right button's menu over the browse, the bar's options by their letters
  // (the caller's between "Fuentes" and "Salir"), those that write only with full access.
  void BuildPopup();

  std::string cTitle, cAlias, cCaption, cOpcionMenu, cAcceso = "2";
  bool lAdd = true, lEdit = true, lDel = true, lSearch = true, lPrint = true, lFont = true, lExit = true;
  std::function<void()> bAdd, bEdit, bDel;
  std::string cField;      // a filter: rows whose field holds uValue1
  xb::Value uValue1;
  int nOrdenFiltro = 0;
  std::vector<ExtraButton> aExtraButtons;
  std::function<void()> on_end;
  int nId = 0;           // the browse's control in a dialog
  int nOpenBrowse = 0;   // its slot (from 1) in the dictionary's open-browse list; 0: none
  bool lDialog = false;  // set by Activate in a dialog
  bool lChild = false;   // a child opened from another list

  // Debug mode: "Alias" shows the alias and index key; a header click shows its column's size.
  std::string AliasText() const;

  ui::TMdiChild* window() const { return window_.get(); }
  ui::TWBrowse* browse() const { return browse_.get(); }
  ui::TBar* bar() const { return bar_.get(); }
  ui::TTabs* tabs() const { return tabs_.get(); }

 private:
  bool Writes() const { return cAcceso == "2"; }
  void BuildButtonBar();
  void BuildBrowse();
  void BuildTabs();
  void Fit();
  int LetterWidth() const;
  // The first free slot of TDictQZ's aoBrws / alOpen taken while the list is open.
  void TakeSlot();
  void FreeSlot();

  xb::Ref<ui::TMdiChild> window_;
  xb::Ref<ui::TBar> bar_;
  xb::Ref<ui::TWBrowse> browse_;
  xb::Ref<ui::TTabs> tabs_;
  ui::DialogRef dialog_;
  int base_letter_ = 0;  // the letter's width in the browse's first font
  std::vector<xb::Ref<ui::TButton>> dialog_buttons_;
};

// The filter's browse counts at most this many rows.
constexpr int kFilterLimit = 20;
// The tab strip's control in a dialog.
constexpr int kDialogTabs = 511;

// TB_BrowseStructure's columns of a kind of list: headers and the field (or "?" + field for
// a flag shown as "Sí"/"No", "*" + field for one shown as a picture) of each.
struct BrowseColumn {
  const char* header;
  const char* field;
  int width;
};
const std::vector<BrowseColumn>& BrowseStructure(const std::string& title);

// The width of "B" in the browse's font.
int LetterWidthOf(ui::TWBrowse& browse);

// Registers TI_REFFILTER (oBrw, nOrder): the browse's filter on its field and value set again
// in that order (1 when none), counting at most kFilterLimit rows; its count. TI_REFSIZES
// (oBrw, nLetter): the column sizes, made for a letter `nLetter` wide, resized to the letter of
// the browse's font now; the new sizes.
void RegisterBrowserFunctions();

// A browse cell showing a mark: the picture `bitmap` of the browses' image strip, or
// "Sí"/"No" when it cannot be loaded.
xb::Value FlagPicture(bool on, const std::string& bitmap);

}  // namespace reports
