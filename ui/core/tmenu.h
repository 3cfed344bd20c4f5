// TMenu: a Windows menu (a menu bar, a pull-down or popup menu, or a window's system menu)
// and its items. Items are appended with Add; a submenu is an item whose action is another
// TMenu. Menus are usually built level by level through MenuBegin / MenuAddItem / MenuEnd
// (menu_builder.h). Popup levels draw their items themselves (menu_draw_item.h), with the
// pictures in one shared image strip (menu_image_strip.h).
//
// Commands reach the menu through its window's Command (or SysCommand for the system menu):
// Command finds the item of the identifier in this menu or its submenus and runs its action.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/object.h"
#include "ui/core/tacctable.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/twindow.h"
#include "ui/core/window_parts.h"

namespace ui {

class TMenu : public xb::Object, public WindowMenu {
 public:
  TMenu();
  ~TMenu() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // A popup menu or a menu bar; with a window, the window's menu.
  static xb::Ref<TMenu> New(bool popup, TWindow* window = nullptr);
  // From a menu resource of the resource module (a name, or "#n" for a number). A popup is
  // copied into a new popup menu. The items are rebuilt from the Windows menu, keeping the
  // resource's identifiers. nullptr when the resource cannot be loaded.
  static xb::Ref<TMenu> ReDefine(const std::string& resource, bool popup);
  // The window's system menu (also stored as its oSysMenu).
  static xb::Ref<TMenu> NewSys(TWindow& window);
  // Set up this object as New, ReDefine and NewSys do (the runtime's messages); ReDefine
  // answers false when the resource cannot be loaded.
  void InitNew(bool popup, TWindow* window);
  bool InitReDefine(const std::string& resource, bool popup);
  void InitSys(TWindow& window);

  // Appends the item. `root` is set for the items of a menu bar, which stay plain text
  // unless they have a picture.
  void Add(xb::Ref<TMenuItem> item, bool root = false);
  // The same before the item at `position` (1-based); appends when there is none.
  void Insert(xb::Ref<TMenuItem> item, int position, bool root = false);
  // Destroys the last item and removes it from the menu.
  void DelItem();

  // A popup menu shown at (row, col) of the window's client area until the user chooses
  // or leaves; the chosen item's action runs. With `end_after` the menu ends afterwards.
  void Activate(int row, int col, TWindow& window, bool end_after = true);

  // The popup of that handle among all popups of the run.
  static TMenu* GetPopup(HMENU menu);
  // The item whose identifier is this, or whose submenu has this handle, depth-first.
  TMenuItem* FindItem(int id);
  // The submenu of that handle, depth-first.
  TMenu* FindSubMenu(HMENU menu);
  void Enable();   // every item
  void Disable();  // every item
  void Hilite(int position);
  void UnHilite(int position);
  void Reset();    // clears the highlight of every item of a menu bar
  void Refresh();  // the window's SetMenu again
  void HelpTopic();
  TMenuItem* LastItem();

  // Puts the item's picture into the image strip; returns its slot.
  int LoadBmp(TMenuItem& item);

  // Standard menus in English, each appended as a submenu: File, Edit, Help, Window. With a
  // program name, the help's "&About..." shows the program's file and date under that title.
  void AddFile();
  void AddEdit();
  void AddHelp(const std::string& program = {});
  void AddMdi();

  // WindowMenu
  HMENU hMenu() const override { return hmenu_; }
  void SetWindow(TWindow* owner) override;
  void ActivateAccelerators() override;
  void Command(int id) override;
  WindowMenuItem* GetMenuItem(int id) override { return FindItem(id); }
  WindowMenu* GetSubMenu(HMENU menu) override { return FindSubMenu(menu); }
  int ItemCount() const override { return static_cast<int>(aItems.size()); }
  WindowMenuItem* Item(int index) override;
  void Initiate(HMENU popup) override;
  void Destroy() override;
  void End() override;
  void DrawItem(WindowMenuItem& item, DRAWITEMSTRUCT* record) override;

  xb::Value Self() { return AsValue(); }

  std::vector<xb::Ref<TMenuItem>> aItems;
  WindowRef oWnd;
  bool lSysMenu = false;
  bool lPopup = false;
  int nHelpId = 0;
  std::string cVarName;
  xb::Ref<TAccTable> oAccTable;
  xb::Ref<TMenuItem> oMenuItemPopup;  // the item chosen in a tracked popup

  // The last item whose action ran (class data).
  static xb::Ref<TMenuItem> oLastItem;

 private:
  friend class TMenuItem;
  // Puts the item's entry into the Windows menu before `position` (0-based; -1 appends).
  void PutEntry(TMenuItem& item, bool root, int position);
  void RebuildFrom(HMENU menu);
  // Its Windows menu and those of its submenus are gone.
  void ForgetHandle();

  HMENU hmenu_ = nullptr;
};

// The number of the menus and popups alive (tests).
int LiveMenuCount();

}  // namespace ui
