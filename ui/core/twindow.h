// TWindow: the root of the framework's window classes. It owns one Windows window, links
// itself into the table of live window objects, subclasses the window through the table's
// slot so that every message reaches HandleEvent, and turns messages into calls of its
// message methods (the decoder's table), which run the code blocks callers attach.
//
// A window object is held by xb::Ref, like every runtime object; the object table holds it
// while it is linked. It stays alive while one of its own handlers runs, and it leaves the
// table only when the outermost handler returns after WM_NCDESTROY, so a handler may
// destroy its own window.
//
// Messages that text compiled at run time may send (oWnd:End(), oWnd:cTitle := "x", ...)
// are registered with the runtime's class TWINDOW; derived classes register theirs with
// TWINDOW as parent.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "runtime/value.h"
#include "ui/bridge/answer.h"
#include "ui/bridge/message_decoder.h"
#include "ui/bridge/rect.h"
#include "ui/core/tbrush.h"
#include "ui/core/tfont.h"
#include "ui/core/window_parts.h"

namespace ui {

class TWindow;
using WindowRef = xb::Ref<TWindow>;

class TWindow : public xb::Object, public MessageTarget {
 public:
  TWindow();
  explicit TWindow(const xb::Class& cls);  // for derived classes
  ~TWindow() override;
  static const xb::Class& Cls();

  // The cycle collector sees the objects held in C++ members too (parent, controls, ...).
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // ---- construction and life ----------------------------------------------------

  struct NewParams {
    int top = 2;
    int left = 2;
    int bottom = 20;
    int right = 70;
    std::string caption;
    DWORD style = 0;               // 0: composed from the flags below
    xb::ObjectRef menu;            // a WindowMenu
    xb::Ref<TBrush> brush;
    xb::ObjectRef icon;            // a WindowIcon
    WindowRef parent;
    bool vscroll = false;
    bool hscroll = false;
    COLORREF clr_text = 16777215;
    std::optional<COLORREF> clr_pane;  // default: the system window colour
    xb::ObjectRef cursor;          // a WindowCursor
    std::string border = "SINGLE";  // or "NONE"
    bool sys_menu = true;
    bool caption_bar = true;
    bool minimize_box = true;
    bool maximize_box = true;
    bool pixel = false;            // coordinates in pixels, not rows of 16 and columns of 8
    // Made maximised, still hidden: what it holds is placed at its final size and painted
    // once when the window shows maximised; the coordinates are its normal place.
    bool maximized = false;
  };
  // Stores the parameters, registers the class, creates and links the window.
  TWindow& New(const NewParams& params);
  TWindow& New() { return New(NewParams{}); }

  // Registers the Windows class named after the object's class, once per class.
  virtual void Register(UINT class_style = CS_VREDRAW | CS_HREDRAW);
  // Creates the window (class default: the object's class name) and links it. A window that
  // cannot be created raises the framework error 6 through the error block.
  virtual void Create(std::string class_name = {});
  // The framework error 6 for a window of that class that Windows did not create, with the
  // system's last error, through the error block.
  void WndCreateError(const std::string& class_name) const;
  // Takes a slot of the object table (the first free one) and, with `subclass`, gives the
  // window that slot's procedure.
  void Link(bool subclass = true);
  // Leaves the object table and gives the window its procedure back. While the window is
  // being destroyed this waits for the outermost handler after WM_NCDESTROY.
  void UnLink();

  struct ActivateParams {
    std::string show = "NORMAL";   // "ICONIZED", "MAXIMIZED"
    xb::Value r_clicked{};
    xb::Value painted{};
    xb::Value v_up{}, v_down{}, v_page_up{}, v_page_down{};
    xb::Value h_up{}, h_down{}, h_page_up{}, h_page_down{};
    xb::Value valid{};
    xb::Value drop_files{};
  };
  // Shows the window and runs bInit; the first top-level window activated while no loop
  // runs becomes the application window and runs the message loop until it is destroyed.
  virtual void Activate(const ActivateParams& params);
  void Activate() { Activate(ActivateParams{}); }

  // Asks lValid() and, when it holds, posts WM_CLOSE. Returns the valid result.
  virtual bool End();
  // Controls answer their own (a date that does not read, ...).
  virtual bool lValid();
  bool lWhen();

  // ---- dispatch ------------------------------------------------------------------

  // WM_COPYDATA is the management panel's; everything else goes through the decoder.
  virtual Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam);

  // ---- message methods (see MessageTarget) -------------------------------------------

  Answer Destroy() override;
  Answer Moved(WPARAM wparam, int x, int y) override;
  Answer ReSize(int type, int width, int height) override;
  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  Answer BeginPaint() override;
  Answer Paint() override;
  Answer EndPaint() override;
  Answer Close(WPARAM wparam) override { return {}; }
  Answer QueryEndSession() override;
  Answer EraseBkGnd(HDC dc) override;
  Answer GetMinMaxInfo(MINMAXINFO* info) override;
  Answer DrawItem(WPARAM id, DRAWITEMSTRUCT* item) override;
  Answer MeasureItem(WPARAM id, MEASUREITEMSTRUCT* item) override;
  Answer QueryDragIcon() override;
  Answer CommNotify(WPARAM wparam, LPARAM lparam) override;
  Answer Notify(WPARAM id, NMHDR* header) override;
  Answer NcActivate(bool active) override;
  Answer GetDlgCode(WPARAM key) override { return {}; }
  Answer NcMouseMove(WPARAM hit, int row, int col) override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer Command(WPARAM wparam, LPARAM lparam) override;
  Answer SysCommand(WPARAM wparam, LPARAM lparam) override;
  Answer Timer(WPARAM id, LPARAM lparam) override;
  Answer HScroll(WPARAM wparam, LPARAM lparam) override;
  Answer VScroll(WPARAM wparam, LPARAM lparam) override;
  Answer InitMenuPopup(HMENU menu, int position, bool system) override;
  Answer MenuSelect(int item, int flags, HMENU menu) override;
  Answer MenuChar(int character, int flags, HMENU menu) override;
  Answer CtlColor(HWND control, HDC dc) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer LButtonUp(int row, int col, WPARAM keys) override;
  Answer LDblClick(int row, int col, WPARAM keys) override;
  Answer RButtonDown(int row, int col, WPARAM keys) override;
  Answer RButtonUp(int row, int col, WPARAM keys) override;
  Answer MButtonDown(int row, int col, WPARAM keys) override;
  Answer MButtonUp(int row, int col, WPARAM keys) override;
  Answer DropFiles(HDROP drop) override;
  Answer QueryNewPalette() override;
  Answer PaletteChanged(HWND changer) override;
  Answer DdeInitiate(HWND client, ATOM application, ATOM topic) override;
  Answer DdeTerminate(WPARAM wparam) override;
  Answer DdeAck(WPARAM wparam, LPARAM lparam) override;
  Answer DdeExecute(WPARAM wparam, LPARAM lparam) override;
  Answer HelpF1() override;
  Answer DropOver(int low, int high, LPARAM lparam) override;
  Answer AsyncSelect(WPARAM wparam, LPARAM lparam) override;
  Answer TaskBar(WPARAM wparam, LPARAM lparam) override;

  // ---- hooks that derived classes (controls, folders, radio buttons) answer ----------

  // The window that should take the focus when this child gets it back (a folder answers
  // its current page's control).
  virtual HWND FocusTarget() { return hWnd; }
  virtual void SelChanged() {}
  virtual void Changed() {}
  // Refreshes itself when it asks to be kept up to date (Update of its parent).
  virtual void UpdateFromParent() {}
  // A radio button answers its radio menu (the run of buttons counts as one stop) and
  // whether it is the checked one.
  virtual const xb::Object* RadioGroup() const { return nullptr; }
  virtual bool IsCheckedRadio() const { return false; }
  // The brush a control paints its background with (WM_CTLCOLOR*).
  virtual HBRUSH CtlColorBrush() const { return oBrush ? oBrush->hBrush : nullptr; }
  // Empty here; dialogs and controls give them bodies.
  virtual void Help() {}
  virtual void Inspect(const std::string& data) {}
  virtual void NcPaint() {}
  virtual void xRefresh() {}

  // ---- other operations --------------------------------------------------------------

  void HelpTopic();
  HDC GetDC();
  void ReleaseDC();
  Rect GetCliRect() const;
  Rect GetRect() const;
  int nWidth() const;
  int nHeight() const;
  void SetWidth(int width);
  void SetHeight(int height);
  int nVertRes() const;
  int nHorzRes() const;
  void CoorsUpdate();
  void SetCoors(const Rect& rect);
  virtual void Move(int top, int left, int width = 0, int height = 0, bool repaint = true);
  void SetSize(int width, int height, bool repaint = true);
  void Center(TWindow* over = nullptr);
  void Show();
  void Hide();
  void Maximize();
  void Minimize();
  void Iconize() { Minimize(); }
  void Normal();
  void Restore();
  void GoTop();
  // The windows that bound the docked items: the top item (oTop, else the button bar) and
  // the bottom one (oBottom, else the message bar); null when none.
  HWND DockTopItem() const;
  HWND DockBottomItem() const;
  // The margin a docked client leaves around itself (a control's nClientBevel).
  virtual int ClientBevel() const { return 0; }
  // Whether Create makes a child window of oWnd (an MDI frame is only owned by it).
  virtual bool IsChildWindow() const { return oWnd != nullptr; }

  void Enable();
  void Disable();
  void Capture();
  void SetText(const std::string& text);
  std::string GetText() const;
  std::string cTitle() const { return GetText(); }
  void SetColor(COLORREF fore, COLORREF back, xb::Ref<TBrush> brush = nullptr);
  void SetColor(const std::string& pair, xb::Ref<TBrush> brush = nullptr);
  void SetBrush(xb::Ref<TBrush> brush);
  virtual void SetFont(xb::Ref<TFont> font);
  xb::Ref<TFont> GetFont();
  // The font dialog over the window's font; a choice becomes the window's font.
  bool SelFont();
  // The colour dialog over the text colour (or, `fore` false, the pane colour); a new
  // colour becomes the window's and it repaints.
  void SelColor(bool fore = true);
  void SetMenu(xb::ObjectRef menu);
  // A WindowIcon object; its icon becomes the window's.
  void SetIcon(xb::ObjectRef icon);
  void SetMsg(const std::string& text = {}, bool as_default = false);
  virtual void SetFocus();
  void AddControl(WindowRef control);
  void AEvalWhen();
  void Update();
  // Controls refresh what they show from their value (check boxes, labels).
  virtual void Refresh(bool erase = true);
  LRESULT SendMsg(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
  bool PostMsg(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
  void ToolWindow();
  void ClientEdge();
  // How far the object's class descends from `class_name`; 0 when it does not.
  int ChildLevel(std::string_view class_name) const;
  WindowRef FirstActiveCtrl();
  WindowRef LastActiveCtrl();
  void GoNextCtrl(HWND control);
  void GoPrevCtrl(HWND control);

  struct SayStyle {
    std::optional<COLORREF> fore;
    std::optional<COLORREF> back;
    HFONT font = nullptr;
    bool pixel = false;
    bool transparent = false;
    std::optional<UINT> align;
  };
  void Say(int row, int col, const std::string& text, const SayStyle& style);
  void Say(int row, int col, const std::string& text) { Say(row, col, text, SayStyle{}); }
  void SayRect(int row, int col, const std::string& text, int width);
  void Line(int top, int left, int bottom, int right, HPEN pen = nullptr);
  void Box(int top, int left, int bottom, int right);
  void Circle(int row, int col, int width);
  void SetPixel(int x, int y, COLORREF colour);
  void FloodFill(int row, int col, COLORREF border, COLORREF fill);
  // A picture from a .BMP file, or else from the resource module (a name or an all-digit
  // number), drawn at (row, col); stretched when both sizes are given.
  void SayBitmap(int row, int col, const std::string& bitmap, int width = 0, int height = 0, DWORD rop = 0);

  // Tooltips (one tooltip window for all windows).
  void CheckToolTip();
  void ShowToolTip(std::optional<int> row = {}, std::optional<int> col = {},
                   std::optional<std::string> text = {});
  void DestroyToolTip();

  // Whether the Windows class of `cls` is registered (class data lRegistered).
  static bool IsRegistered(const xb::Class& cls) { return Registered(cls); }

  // The object as a runtime value.
  xb::Value Self() { return AsValue(); }
  // The slot of the object table this window is linked in, 0 when none.
  int Slot() const { return slot_; }
  bool IsIconic() const;

  // ---- data ----------------------------------------------------------------------------

  HWND hWnd = nullptr;
  WNDPROC nOldProc = nullptr;
  HDC hDC = nullptr;
  std::string cPS;  // the PAINTSTRUCT while painting
  int nPaintCount = 0;
  int nId = 0;
  HWND hCtlFocus = nullptr;
  HDROP hDrop = nullptr;
  std::string cCaption;
  std::string cVarName;
  xb::Value Cargo;

  int nTop = 0;
  int nLeft = 0;
  int nBottom = 0;
  int nRight = 0;
  DWORD nStyle = 0;
  int nChrHeight = 0;
  int nChrWidth = 0;
  std::optional<MINMAXINFO> aMinMaxInfo;

  bool lActive = true;
  bool lCancel = false;
  bool lFocused = false;
  bool lVisible = false;
  bool lDesign = false;
  bool lVbx = false;
  bool lValidating = false;
  int nLastKey = 0;
  xb::Value nResult;
  int nHelpId = 0;
  std::string cMsg;
  xb::Value cToolTip;  // text or block

  COLORREF nClrPane = 0;
  COLORREF nClrText = 0;
  xb::Ref<TBrush> oBrush;
  xb::ObjectRef oCursor;
  xb::ObjectRef oDragCursor;
  xb::Ref<TFont> oFont;
  xb::ObjectRef oIcon;
  xb::ObjectRef oMenu;
  xb::ObjectRef oSysMenu;
  xb::ObjectRef oPopup;
  xb::ObjectRef oMsgBar;
  xb::ObjectRef oBar;
  WindowRef oWnd;
  xb::ObjectRef oVScroll;
  xb::ObjectRef oHScroll;
  WindowRef oCtlFocus;
  std::vector<WindowRef> aControls;
  WindowRef oTop, oLeft, oBottom, oRight, oClient;

  xb::Value bInit, bMoved, bLClicked, bLButtonUp, bKeyDown, bPainted, bMButtonDown, bMButtonUp,
      bRClicked, bRButtonUp, bResized, bLDblClick, bWhen, bValid, bKeyChar, bMMoved, bGotFocus,
      bLostFocus, bDropFiles, bDdeInit, bDdeExecute, bCommNotify, bMenuSelect, bZip, bUnZip,
      bDropOver, bCopy, bCut, bFind, bPaste, bPrint, bUnDo, bReDo, bDelete, bSelectAll,
      bFindNext, bReplace, bProperties, bSocket, bTaskBar, bNotify;
  xb::Value OnClick, OnMouseMove, OnKeyDown, OnMove, OnPaint, OnResize;

  bool lFondo = false;
  std::string cBmpFondo;
  bool lBmpFondo = true;
  bool lClassic = false;
  std::string cMsgInfo;

  // The menu item under the cursor (shared by all windows).
  static WindowMenuItem* oMItemSelect;
  static int nToolTip;  // tooltip delay, milliseconds

 protected:
  // Evaluates an event block (NIL: nothing) and turns its value into an answer.
  static xb::Value Eval(const xb::Value& block, std::initializer_list<xb::Value> args);
  static Answer AnswerOf(const xb::Value& value);
  // Runs the key handler set for the key with SETKEY; false when there is none. The
  // handler's value goes to `result` when given.
  bool RunKeyHandler(int key, xb::Value* result = nullptr);
  // The control object of a child window handle, nullptr when none.
  WindowRef ControlOf(HWND child) const;
  // Registered when the Windows class was registered (class data).
  static bool& Registered(const xb::Class& cls);

 private:
  friend Answer DispatchToWindow(TWindow& window, UINT message, WPARAM wparam, LPARAM lparam);
  void FinishUnlink();
  WindowMenu* MenuOf(const xb::ObjectRef& object) const;
  WindowMenuItem* FindMenuItem(int id, WindowMenu** holder);
  void DockChildren();

  int slot_ = 0;
  int dispatch_depth_ = 0;   // handlers of this window running now
  bool destroying_ = false;  // WM_DESTROY came
  bool gone_ = false;        // WM_NCDESTROY came
};

// Sends a message to a window object the way the window procedure does: the object stays
// alive for the call, an error that escapes a handler goes to the error block, and the
// object leaves the table after its outermost handler when its window is gone. Dialog
// procedures deliver their messages through this too.
Answer DispatchToWindow(TWindow& window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace ui
