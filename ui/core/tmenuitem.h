// TMenuItem: one item of a TMenu. Its action is a code block, or a TMenu for an item that
// opens a submenu. Items made by program code are numbered from 20001 for the whole run;
// items taken over from a menu resource keep the resource's identifiers.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/object.h"
#include "runtime/value.h"
#include "ui/core/window_parts.h"

namespace ui {

class TMenu;

class TMenuItem : public xb::Object, public WindowMenuItem {
 public:
  struct Spec {
    std::string prompt;
    std::string message{};
    bool checked = false;
    bool active = true;
    xb::Value action{};          // a block, or a TMenu
    std::string bitmap_file{};   // a picture read from this file...
    std::string resource_name{};  // ...or loaded from the resource module
    int vk_state = 0;            // FSHIFT, FCONTROL, FALT
    int virt_key = 0;            // 0: no shortcut
    bool help = false;           // right-aligned help item
    int help_id = 0;
    xb::Value when{};            // block: enabled while it returns true
    bool menu_break = false;     // starts a new column
  };

  TMenuItem();
  ~TMenuItem() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // A new item with the next identifier (one that is not a menu handle) and its picture.
  static xb::Ref<TMenuItem> New(const Spec& spec);
  // Sets up this object as New does (the runtime's NEW message).
  void Init(const Spec& spec);
  // Takes over the existing item of that identifier in `menu` (searched through its
  // submenus); what the spec sets (prompt, message, action, help identifier) replaces the
  // item's, and its check mark and enabled state are set. nullptr when there is none.
  static xb::Ref<TMenuItem> ReDefine(TMenu& menu, int id, const Spec& spec);

  void SetCheck(bool checked);
  void Enable();
  void Disable();
  void SetPrompt(const std::string& prompt);
  std::string cCaption() const { return cPrompt; }
  // Frees the item's picture and, for a submenu item, destroys the submenu's items.
  void Destroy();
  void End() { Destroy(); }

  // The submenu this item opens; nullptr when its action is not a menu.
  TMenu* SubMenu() const;
  // True while the When block (if any) does not return false.
  bool WhenHolds();
  // Evaluates the action block with the item.
  void Run();
  // The item's place in its menu's Windows menu, -1 when it is not there.
  int Position() const;

  // WindowMenuItem
  std::string Prompt() const override { return cPrompt; }
  bool HasBlockAction() const override { return bAction.IsBlock(); }
  bool IsSubMenu() const override { return SubMenu() != nullptr; }
  HBITMAP Bitmap() const override { return hBitmap; }
  std::string Message() const override { return cMsg; }
  void HelpTopic() override;

  xb::Value Self() { return AsValue(); }

  std::string cPrompt;
  std::string cMsg;
  std::string cVarName;
  int nId = 0;
  int nHelpId = 0;
  xb::Value bAction;
  xb::Value bWhen;
  std::string cWebAction;
  bool lActive = true;
  bool lBreak = false;
  bool lChecked = false;
  bool lHelp = false;
  xb::Ref<TMenu> oMenu;    // the menu that holds it
  HBITMAP hBitmap = nullptr;
  int nVKState = 0;
  int nVirtKey = 0;
  int nBitmap = 0;         // its slot in the menus' image strip, 0 when none
  std::string cBitmap;     // the picture's file or resource name
  xb::Value Cargo;

  // The last identifier handed out (class data); the first item gets 20001.
  static int nInitId;

 private:
  bool own_bitmap_ = false;  // hBitmap was loaded for this item (not the placeholder)
};

}  // namespace ui
