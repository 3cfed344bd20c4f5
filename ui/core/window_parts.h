// What a window asks of the objects it holds whose classes come later in the framework
// (menus, scroll bars, button and message bars, icons, cursors). Those classes derive from
// xb::Object and implement the interface; TWindow keeps them as objects and reaches them
// through dynamic_cast, so this layer needs none of them.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/value.h"

namespace ui {

class TWindow;

class WindowMenuItem {
 public:
  virtual ~WindowMenuItem() = default;
  virtual std::string Prompt() const = 0;     // with its "&"
  virtual bool HasBlockAction() const = 0;    // the action is a code block
  virtual bool IsSubMenu() const = 0;         // the action is a popup
  virtual HBITMAP Bitmap() const = 0;         // nullptr when none
  virtual std::string Message() const = 0;    // for the message bar
  virtual void HelpTopic() = 0;
};

class WindowMenu {
 public:
  virtual ~WindowMenu() = default;
  virtual HMENU hMenu() const = 0;
  virtual void SetWindow(TWindow* owner) = 0;        // the menu's oWnd
  virtual void ActivateAccelerators() = 0;           // makes its table the current one, if any
  virtual void Command(int id) = 0;                  // runs the item's action
  virtual WindowMenuItem* GetMenuItem(int id) = 0;   // nullptr when it holds none
  // The popup of this menu (or of its submenus) whose handle this is; nullptr when none.
  virtual WindowMenu* GetSubMenu(HMENU menu) = 0;
  virtual int ItemCount() const = 0;
  virtual WindowMenuItem* Item(int index) = 0;       // 0-based, in order
  virtual void Initiate(HMENU popup) = 0;            // before a popup shows
  virtual void Destroy() = 0;
  virtual void End() = 0;
  // Draws an owner-drawn item (the menu painter).
  virtual void DrawItem(WindowMenuItem& item, DRAWITEMSTRUCT* record) = 0;
};

class WindowScrollBar {
 public:
  virtual ~WindowScrollBar() = default;
  virtual void GoUp() = 0;
  virtual void GoDown() = 0;
  virtual void PageUp() = 0;
  virtual void PageDown() = 0;
  // The position as the thumb message carries it (its low 16 bits).
  virtual void ThumbPos(int position) = 0;
  virtual void ThumbTrack(int position) = 0;
  // The window that owns the bar is being destroyed.
  virtual void DestroyBar() = 0;
  // The Activate blocks: go up, go down, page up, page down.
  virtual void SetBlocks(const xb::Value& up, const xb::Value& down, const xb::Value& page_up,
                         const xb::Value& page_down) = 0;
};

// Makes the scroll-bar object over a window's own vertical or horizontal bar (a
// WindowScrollBar); the controls layer installs it. Windows made with scroll bars get theirs
// from it; without one they have none.
using ScrollBarMaker = xb::ObjectRef (*)(TWindow& window, bool vertical);
void SetScrollBarMaker(ScrollBarMaker maker);
ScrollBarMaker GetScrollBarMaker();

// A bar docked along the window (button bar, message bar).
class WindowBar {
 public:
  virtual ~WindowBar() = default;
  virtual void Adjust() = 0;                                // after the window's resize
  virtual void SetMsg(const std::string& text, bool as_default) = 0;
};

class WindowIcon {
 public:
  virtual ~WindowIcon() = default;
  virtual HICON hIcon() const = 0;
  // The window holding it is gone.
  virtual void EndIcon() = 0;
};

// Makes the icon object of a name given to a window (a file when it exists, else a resource);
// the controls layer installs it. Without one a name gives no icon.
using IconMaker = xb::ObjectRef (*)(const std::string& name);
void SetIconMaker(IconMaker maker);
IconMaker GetIconMaker();

class WindowCursor {
 public:
  virtual ~WindowCursor() = default;
  virtual HCURSOR hCursor() const = 0;
  virtual void End() = 0;
};

}  // namespace ui
