// TDialog: the framework's dialog box. Its window is made by the Windows dialog manager from
// a template of the resource module (by name or number) or from one built in memory out of
// the controls defined on it; it runs modal (Activate returns when it closes, with nResult)
// or modeless (Activate returns at once and the dialog joins the message loop's modeless
// table).
//
//   auto dlg = xb::MakeRef<TDialog>();
//   dlg->New({.resource = xb::Value::String("FININ2"), .parent = owner});
//   auto ok = xb::MakeRef<TButton>();  ok->ReDefine({.id = 552, .parent = dlg, .action = ...});
//   dlg->Activate({.centered = true});  // modal: returns with dlg->nResult
//
// Life: New -> controls defined (DefControl by each control's constructor) -> Activate ->
// WM_INITDIALOG -> Initiate (links the dialog into the object table, attaches the controls,
// runs bInit) -> running -> End (modal: EndDialog; modeless: WM_CLOSE, then Close destroys
// the window) -> WM_DESTROY -> Destroy (leaves the object table and the modeless table).
// A modal dialog is not subclassed: its dialog procedure delivers its messages. A modeless
// dialog is subclassed once it is initialised.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"
#include "ui/core/twindow.h"

namespace ui {

class TDialog;
using DialogRef = xb::Ref<TDialog>;

class TDialog : public TWindow {
 public:
  TDialog();
  explicit TDialog(const xb::Class& cls);
  static const xb::Class& Cls();

  static constexpr DWORD kDefaultStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  // The pane of every non-classic dialog: a warm grey, RGB(215, 211, 202).
  static constexpr COLORREF kPaneColour = 13292503;

  struct NewParams {
    int top = 0;
    int left = 0;
    int bottom = 10;
    int right = 40;
    std::optional<std::string> caption{};  // none: the template's own
    xb::Value resource{};                  // a name, a number, or NIL: built in memory
    HMODULE resources = nullptr;           // nullptr: the current resource module
    DWORD style = kDefaultStyle;
    COLORREF clr_text = 0;
    std::optional<COLORREF> clr_pane{};    // classic look only; default the button face
    xb::Ref<TBrush> brush{};
    WindowRef parent{};
    bool pixel = false;                    // pixels, not rows of 15.1 and columns of 7.9
    xb::ObjectRef icon{};                  // a WindowIcon
    xb::Ref<TFont> font{};
    int help_id = 0;
    int width = 0;                         // with a width or height: pixels, and the size
    int height = 0;                        // is width x height
    bool vbx = false;                      // starts VBX support, and the dialog's VBX controls
  };
  TDialog& New(const NewParams& params);
  TDialog& New() { return New(NewParams{}); }

  struct DefineParams {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    std::optional<std::string> caption{};
    DWORD style = kDefaultStyle;
    COLORREF clr_text = 0;
    COLORREF clr_pane = 12632256;
    xb::Ref<TBrush> brush{};
    bool vbx = false;
  };
  // A dialog in pixels without resource.
  TDialog& Define(const DefineParams& params);

  struct ActivateParams {
    xb::Value l_clicked{};
    xb::Value moved{};
    xb::Value painted{};
    bool centered = false;
    xb::Value valid{};
    bool modal = true;
    xb::Value init{};
    xb::Value r_clicked{};
    xb::Value when{};
  };
  // Modal: returns when the dialog has closed, its result in nResult (2 when bWhen refused
  // it). Modeless: returns once the dialog shows.
  void Activate(const ActivateParams& params);
  void Activate() { Activate(ActivateParams{}); }
  void Activate(const TWindow::ActivateParams& params) override;

  // Unless bValid refuses (false: the dialog stays), ends the dialog with `result` (true):
  // a modal one through the dialog manager, a modeless one by posting WM_CLOSE with the
  // result, whose Close then destroys the window without asking again.
  bool End(int result);
  bool End() override { return End(IDCANCEL); }

  // Gives the control an identifier when it has none and appends it to aControls; an
  // identifier already used by a control of the dialog raises the framework error 2.
  void DefControl(WindowRef control);
  // The in-memory template: the header in dialog units relative to the owner's window,
  // then each control's item.
  std::string cToChar(HWND owner);
  // The first enabled child (other than `excluded`) whose text has "&" before the
  // character (any case); a label hands over to the window after it. nullptr when none.
  HWND GetHotPos(int character, HWND excluded) const;
  HWND GetItem(int id) const { return GetDlgItem(hWnd, id); }
  // WM_INITDIALOG: see the life above. False when bInit answered .F. (no default focus).
  bool Initiate(HWND focus, HWND dialog);
  // The control fills the client area.
  void SetControl(WindowRef control);
  // Adds the "?" button of context help (once asked, it stays).
  void Help95();
  // A help request of the "?" button: the control under it shows its topic, else the dialog.
  void Help(const HELPINFO* info);
  // Posts the private message 2064 to the dialog.
  void ChangeFocus();
  // Paints the client area and runs bStart once, after the first paint.
  Answer Display();
  bool IsModal() const { return lModal; }

  // ---- messages -----------------------------------------------------------------------------

  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  Answer Close(WPARAM wparam) override;
  Answer Command(WPARAM wparam, LPARAM lparam) override;
  Answer CtlColor(HWND control, HDC dc) override;
  Answer Destroy() override;
  Answer EraseBkGnd(HDC dc) override;
  Answer GotFocus(HWND losing) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer LostFocus(HWND receiving) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer QueryEndSession() override;
  Answer Paint() override;
  Answer SysCommand(WPARAM wparam, LPARAM lparam) override;
  // The font goes to every direct child window too.
  void SetFont(xb::Ref<TFont> font) override;

  // ---- data -----------------------------------------------------------------------------------

  xb::Value cResName;        // a resource name or number; NIL: built in memory
  std::string cResData;      // a template given ready-made
  HMODULE hResources = nullptr;
  bool lCentered = false;
  bool lModal = true;
  bool lModify = true;
  xb::Value bStart;          // run once after the first paint
  std::optional<bool> lHelpIcon;
  int nLastID = 0;
  xb::Value cOResName;       // the resource name as given, before the product's numbers
  bool lValidEsc = false;    // Escape is ignored
  // Set: the resource's template is read and the dialog made from what this returns (its
  // controls changed before any window exists); bitmaps and icons still come from the
  // resource module.
  std::function<std::string(std::string_view)> edit_template;

  // The dialog activations in progress.
  static int ActivationCount();
  // The framework error 3 for this dialog (its resource, else its title), through the error
  // block.
  void CreateDlgError();

 private:
  HWND OwnerWindow() const;
  void ResolveProductName();
  bool caption_given_ = false;
  bool close_validated_ = false;  // End posted the close: bValid has answered already
};

// Hands the dialog procedures' messages to the dialog objects (done by
// InitWindowFramework).
void InstallDialogDispatch();

}  // namespace ui
