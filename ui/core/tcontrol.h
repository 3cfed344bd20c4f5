// TControl: the parent of every control of the framework. A control is either created as a
// child window of a window or dialog that exists, or defined on a dialog before the dialog
// runs (Redefine over an item of its resource, or an item of its in-memory template) and
// bound to its window when the dialog receives WM_INITDIALOG (Initiate). Either way it is in
// its parent's aControls, subclassed through the object table, and takes part in the
// dialog's focus and validation: when the focus leaves a control its bValid decides whether
// the focus may go (the check runs after Windows has moved the focus, on the private message
// 2057), and the parent's AEvalWhen() then enables or disables every control by its bWhen.
//
// A derived control (TButton, TCheckBox, TGet ...) answers its own reflected messages:
// Click() for a button click (2048), Change() for an edit change (2053), Display() for
// WM_PAINT, Colors() for 2054; every one of them is virtual.
//
//   class TMyCtl : public TControl {
//    public:
//     TMyCtl() : TControl(Cls()) {}
//     static const xb::Class& Cls();   // Define("TMYCTL", &TControl::Cls())
//     Answer Click() override { ...; return TControl::Click(); }
//   };
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/value.h"
#include "ui/core/twindow.h"

namespace ui {

class TControl;
using ControlRef = xb::Ref<TControl>;

class TControl : public TWindow {
 public:
  TControl();
  explicit TControl(const xb::Class& cls);
  static const xb::Class& Cls();

  // Identifiers handed to controls, shared by every control class of the run: 101, 102 ...
  static int GetNewId();
  // The last identifier handed out (class data nInitID, 100 at the start).
  static int& nInitID();

  // ---- binding --------------------------------------------------------------------------

  // Binds the control to the item `id` of the parent dialog's resource; the control joins
  // the dialog's aControls and attaches when the dialog initialises.
  void Redefine(int id, WindowRef parent);
  // On the parent dialog's WM_INITDIALOG, in aControls order: takes the dialog's item of
  // nId, enables it by lActive, links and subclasses it and gives it its font (its own, else
  // the dialog's). An identifier that the dialog does not hold raises the framework error 1
  // ("No: " + the identifier in 6 positions).
  virtual void Initiate(HWND dialog);
  // The control's item of an in-memory dialog template: pixels converted to dialog units,
  // a new identifier when it has none, style WS_CHILD | WS_VISIBLE | WS_TABSTOP unless set,
  // the Windows class (default the object's class name) and the caption.
  virtual std::string cToChar(const std::string& class_name = {});

  // ---- messages ---------------------------------------------------------------------------

  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;

  // 2048: a click reflected by the parent. TControl's re-evaluates the parent's bWhen blocks.
  virtual Answer Click();
  // 2053: an edit change reflected by the parent.
  virtual Answer Change() { return {}; }
  // WM_PAINT; nothing: the control's own procedure paints.
  virtual Answer Display() { return {}; }
  // 2054: sets the DC's colours from the control's and returns its brush.
  virtual HBRUSH Colors(HDC dc);
  // Resets the mouse state after creation.
  virtual void Default();

  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  // WM_KILLFOCUS: decides whether the focus change needs validation (posted as 2057).
  virtual Answer KillFocus(HWND receiving);
  // 2057: the validation after the focus moved: a false lValid() takes the focus back.
  virtual Answer VXLostFocus(HWND receiving);
  // After a valid exit: re-evaluates the bWhen blocks and moves the focus by the last key
  // (or to oJump).
  void ForWhen();

  Answer GetDlgCode(WPARAM key) override;
  // In design mode Delete asks whether to end the control; other keys are TWindow's.
  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer SysCommand(WPARAM wparam, LPARAM lparam) override;
  Answer EraseBkGnd(HDC dc) override;

  // The control when its bWhen allows it, else the next window in the parent.
  void SetFocus() override;
  // Leaves the parent's aControls and closes the window when lValid() holds.
  bool End() override;
  // Posts the private message 2064 (change focus) to the control.
  void ChangeFocus();
  // Refreshes what it shows when it asks to be kept up to date (lUpdate).
  void UpdateFromParent() override;

  // The value behind bSetGet (NIL without a block).
  xb::Value VarGet();
  virtual void VarPut(const xb::Value& value);

  // The optional 3-D control library is not part of this system: only the flag is kept.
  void Set3DLook();

  // nTop and nLeft: from and to the window when it exists (WNDTOP, WNDLEFT), else the data.
  int GetTop() const;
  int GetLeft() const;
  void SetTop(int top);
  void SetLeft(int left);
  // TWindow's Move; in design mode with the focus the dots follow.
  void Move(int top, int left, int width = 0, int height = 0, bool repaint = true) override;

  // The docking slot of the parent that holds the control, as its position in AlignNames():
  // 1 none, 2 top, 3 left, 4 bottom, 5 right, 6 client. Assigning moves the control there and
  // docks the parent's items again; a number outside 1 to 6 changes nothing.
  int nAlign() const;
  void SetAlign(int align);
  // What Inspect offers for "nAlign".
  static const std::vector<std::string>& AlignNames();

  // ---- design mode and dragging ------------------------------------------------------------
  //
  // In design mode (lDrag; the design flag of a control's New, lDesign, turns it on) the mouse
  // moves the control on the design grid, the eight sizing dots around the focused control
  // resize it, and Delete ends it. Outside design mode a press followed by a move of more than
  // 5 pixels runs bDragBegin and drags over other windows: releasing the button posts DROPOVER
  // (2063) to the window under the pointer, with the point in its client area.

  // In design mode: lDrag set and the sizing dots made in the parent (one set for all controls).
  void CheckDots();
  void ShowDots();
  void HideDots();
  // The rectangle, in the parent's client area, that the control takes when dot `dot` (1 to 8)
  // is dragged to (row, col) of its client area: by grid steps from where the button went
  // down (from the dot itself outside a drag), at least a grid step wide and high.
  Rect MResize(int dot, int row, int col);
  // Runs bDragBegin (row, col, flags, Self) and drags: the drag cursor (oDragCursor, else the
  // framework's) shows until the button is released.
  void DragBegin(int row, int col, WPARAM keys);

  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer LButtonUp(int row, int col, WPARAM keys) override;

  // Docking in the parent: over the whole top or bottom edge; along the left or right edge
  // between the parent's top and bottom items; in the rest, leaving nClientBevel around.
  void AdjTop();
  void AdjBottom();
  void AdjLeft();
  void AdjRight();
  void AdjClient();
  int ClientBevel() const override { return nClientBevel; }

  // ---- data -------------------------------------------------------------------------------

  xb::Value bSetGet;
  xb::Value bChange;
  xb::Value bDragBegin;
  bool lCaptured = false;
  bool lDrag = false;
  bool lMouseDown = false;
  bool lUpdate = false;
  bool l3DLook = false;
  int nLastRow = 0;
  int nLastCol = 0;
  int nMResize = 0;
  std::optional<int> nDlgCode;  // the answer to WM_GETDLGCODE; none: the window's own
  WindowRef oJump;              // takes the focus next instead of the tab order
  bool l97Look = false;
  bool lIsActive = false;
  int nClientBevel = 0;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 protected:
  // The design-mode handling of the mouse, and the mouse taken by another window (`taker`).
  Answer DesignButtonDown(int row, int col);
  Answer DesignMouseMove(int row, int col);
  Answer DesignButtonUp();
  // Outside design mode, a press followed by a move of more than 5 pixels begins a drag, and a
  // drag under way takes the moves and the release; true when the message was the drag's.
  bool DragMouse(UINT message, int row, int col, WPARAM keys);
  void CaptureLost(HWND taker);
  // Docks the parent's items that are controls again, in the order the parent docks them.
  void DockSiblings();
  // In design mode with the focus the dots follow the control.
  void FollowDots();

  // For New: with the parent's window present, creates the control's window of that
  // Windows class ("BUTTON", "STATIC"; empty: the object's class) and adds the control to
  // the parent; otherwise the parent dialog takes it for its Initiate (DefControl). True
  // when the window was created now.
  bool CreateOrDefine(const std::string& windows_class);
};

// The messages of TCONTROL for design mode, dragging, docking and placing.
void DefineControlDesignMessages(xb::Class& c);

// A number right-aligned in `width` positions, as STR(n, width) writes it.
std::string PaddedNumber(std::int64_t n, int width);

}  // namespace ui
