#include "ui/core/tdialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/proc_stack.h"
#include "runtime/string_compare.h"
#include "ui/bridge/dialog_boxes.h"
#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/small_helpers.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/dialog_look.h"
#include "ui/core/framework_error.h"
#include "ui/core/msg_box.h"
#include "ui/core/tcontrol.h"
#include "ui/core/vbx_support.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

int g_activations = 0;

// The width in-memory dialogs take over their template (their controls move and widen
// with them).
constexpr double kMemoryWidening = 1.164609;

std::string WindowsClass(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return xb::UpperName(name);
}

std::string TextOf(const xb::Value& v) {
  if (v.IsString()) return std::string(v.AsString());
  if (v.IsNumber()) return std::to_string(v.AsInt());
  return {};
}

bool IsResourceName(const xb::Value& v) {
  return (v.IsString() && !v.AsString().empty()) || (v.IsNumber() && v.AsInt() != 0);
}

DialogName ToDialogName(const xb::Value& v) {
  DialogName name;
  if (v.IsNumber()) name.number = static_cast<int>(v.AsInt());
  else name.name = std::string(v.AsString());
  return name;
}

class ActivationScope {
 public:
  ActivationScope() { ++g_activations; }
  ~ActivationScope() { --g_activations; }
  ActivationScope(const ActivationScope&) = delete;
  ActivationScope& operator=(const ActivationScope&) = delete;
};

Answer DialogDispatch(xb::Object& object, bool modal, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* dialog = dynamic_cast<TDialog*>(&object);
  if (dialog == nullptr) return {};
  // Once subclassed, a modeless dialog receives its messages through the window dispatch.
  if (!modal && dialog->nOldProc != nullptr) return {};
  return DispatchToWindow(*dialog, message, wparam, lparam);
}

}  // namespace

void InstallDialogDispatch() { SetDialogDispatcher(&DialogDispatch); }

int TDialog::ActivationCount() { return g_activations; }

TDialog::TDialog() : TDialog(Cls()) {}

TDialog::TDialog(const xb::Class& cls) : TWindow(cls) {}

// ---- construction ------------------------------------------------------------------------------

TDialog& TDialog::New(const NewParams& p) {
  aControls.clear();
  cResName = p.resource;
  if (p.caption) {
    cCaption = *p.caption;
    caption_given_ = true;
  }
  hResources = p.resources != nullptr ? p.resources : GetResources();
  lModify = true;
  lVisible = false;
  nResult = xb::Value::Integer(0);
  nStyle = p.style;
  oWnd = p.parent;
  oIcon = p.icon;
  if (p.font) {
    oFont = p.font;
    ++oFont->nCount;  // the dialog holds one use
  }
  nLastKey = 0;
  nHelpId = p.help_id;
  lVbx = p.vbx;
  lClassic = LClassic();
  if (lClassic) {
    SetColor(p.clr_text, p.clr_pane.value_or(GetSysColor(COLOR_BTNFACE)), p.brush);
  } else {
    SetColor(p.clr_text, kPaneColour);
  }
  if (p.width != 0 || p.height != 0) {
    nTop = p.top;
    nLeft = p.left;
    nBottom = p.top + p.height;
    nRight = p.left + p.width;
  } else if (p.pixel) {
    nTop = p.top;
    nLeft = p.left;
    nBottom = p.bottom;
    nRight = p.right;
  } else {
    nTop = static_cast<int>(p.top * 15.1);
    nLeft = static_cast<int>(p.left * 7.9);
    nBottom = static_cast<int>(p.bottom * 15.1);
    nRight = static_cast<int>(p.right * 7.9);
  }
  if (lVbx && !VbxInit(GetInstance())) MsgAlert("VBX support not available");
  Register(CS_VREDRAW | CS_HREDRAW);
  SetWndDefault(WindowRef(this));
  return *this;
}

TDialog& TDialog::Define(const DefineParams& p) {
  hWnd = nullptr;
  nTop = p.top;
  nLeft = p.left;
  nBottom = p.bottom;
  nRight = p.right;
  if (p.caption) {
    cCaption = *p.caption;
    caption_given_ = true;
  }
  nStyle = p.style;
  lVbx = p.vbx;
  lClassic = LClassic();
  if (lClassic) {
    SetColor(p.clr_text, p.clr_pane, p.brush);
  } else {
    SetColor(p.clr_text, kPaneColour);
  }
  return *this;
}

// ---- activation ----------------------------------------------------------------------------------

HWND TDialog::OwnerWindow() const {
  if (oWnd) return oWnd->hWnd;
  if (g_activations > 1 || LWRunning()) return GetActiveWindow();
  // The application window once destroyed owns nothing: a dialog owned by it would not open.
  return IsWindow(GetWndApp()) ? GetWndApp() : nullptr;
}

void TDialog::ResolveProductName() {
  if (!cResName.IsString() || cResName.AsString().empty()) return;
  if (!xb::IsFunctionRegistered("__PRODUCT") || !xb::IsFunctionRegistered("GETDLGNAMES")) return;
  const std::string product = xb::UpperName(xb::CallFunction("__PRODUCT").AsString());
  if (product != "VENDARO" && product != "MERLOVA") return;
  const xb::Array names = xb::CallFunction("GETDLGNAMES").AsArray();
  if (!names) return;
  const std::string wanted = xb::UpperName(cResName.AsString());
  xb::Value number;
  for (const xb::Value& entry : names) {
    const xb::Array pair = entry.AsArray();
    if (!pair || pair.size() < 2 || !pair.Get(0).IsString()) continue;
    // The whole name, not a prefix of it.
    if (xb::UpperName(pair.Get(0).AsString()) == wanted) number = pair.Get(1);
  }
  if (number.IsNumber()) cResName = number;
}

void TDialog::Activate(const ActivateParams& p) {
  xb::ProcScope scope("TDIALOG:ACTIVATE");
  DialogRef keep(this);
  if (!IsWindow(hWnd)) hWnd = nullptr;
  nLastKey = 0;
  ActivationScope activation;
  const HWND owner = OwnerWindow();
  lCentered = p.centered;
  lModal = p.modal;
  bLClicked = p.l_clicked;
  bMoved = p.moved;
  bPainted = p.painted;
  bValid = p.valid;
  bInit = p.init;
  bRClicked = p.r_clicked;
  bWhen = p.when;
  nResult = xb::Value();
  lValidating = false;
  lVisible = true;
  cOResName = cResName;
  if (bWhen.IsBlock() && !lWhen()) {
    nResult = xb::Value::Integer(IDCANCEL);
    lVisible = false;
    return;
  }
  AEvalWhen();
  ResolveProductName();
  const bool named = IsResourceName(cResName);
  const HINSTANCE module = hResources != nullptr ? hResources : GetResources();
  const xb::ObjectRef self(this);
  std::string edited;
  if (named && edit_template) {
    const std::string original = ResourceDialogTemplate(module, ToDialogName(cResName));
    if (!original.empty()) edited = edit_template(original);
  }
  if (lModal) {
    int result = 0;
    if (!edited.empty()) {
      result = ModalDialogIndirect(module, edited, owner, self);
    } else if (named) {
      result = ModalDialog(module, ToDialogName(cResName), owner, self);
    } else {
      result = ModalDialogIndirect(GetInstance(), cResData.empty() ? cToChar(owner) : cResData, owner, self);
    }
    nResult = xb::Value::Integer(result);
    lVisible = false;
    if (result == 0xFFFF) CreateDlgError();
    return;
  }
  if (!aControls.empty() && !CanRegDialog()) {
    MsgAlert("Not possible to create more non-modal Dialogs");
    lVisible = false;
    return;
  }
  HWND made = !edited.empty() ? ModelessDialogIndirect(module, edited, owner, self)
             : named          ? ModelessDialog(module, ToDialogName(cResName), owner, self)
                              : ModelessDialogIndirect(GetInstance(), cResData.empty() ? cToChar(owner) : cResData, owner, self);
  if (made == nullptr) {
    lVisible = false;
    CreateDlgError();
    return;
  }
  hWnd = made;
  if (!aControls.empty() && !RegDialog(made)) {
    SendMessageA(made, WM_CLOSE, 0, 0);
    MsgAlert("Not possible to create more non-modal Dialogs");
    return;
  }
  ShowWindow(made, SW_SHOW);
}

void TDialog::Activate(const TWindow::ActivateParams& p) {
  ActivateParams dialog;
  dialog.painted = p.painted;
  dialog.r_clicked = p.r_clicked;
  dialog.valid = p.valid;
  Activate(dialog);
}

void TDialog::CreateDlgError() {
  std::string text = "\r\n";
  text += IsResourceName(cResName) ? "Resource: " + TextOf(cResName) : "Title: " + cCaption;
  RaiseFrameworkError(static_cast<int>(FrameworkError::kCannotCreateDialog), text);
}

std::string TDialog::cToChar(HWND owner) {
  const LONG base = GetDialogBaseUnits();
  const int x_unit = LOWORD(base) != 0 ? LOWORD(base) : 1;
  const int y_unit = HIWORD(base) != 0 ? HIWORD(base) : 1;
  RECT around = {};
  if (owner != nullptr) GetWindowRect(owner, &around);
  std::string tmpl = CDlg2Chr(static_cast<int>(aControls.size()), 8 * (nTop - around.top) / y_unit,
                              4 * (nLeft - around.left) / x_unit, 8 * (nBottom - around.top) / y_unit,
                              4 * (nRight - around.left) / x_unit, cCaption, nStyle);
  for (const WindowRef& control : aControls) {
    if (auto* c = dynamic_cast<TControl*>(control.get())) tmpl += c->cToChar();
  }
  return tmpl;
}

void TDialog::DefControl(WindowRef control) {
  if (!control) return;
  if (control->nId == 0) control->nId = TControl::GetNewId();
  for (const WindowRef& other : aControls) {
    if (other && other.get() != control.get() && other->nId == control->nId) {
      RaiseFrameworkError(static_cast<int>(FrameworkError::kDuplicatedId), "No: " + PaddedNumber(control->nId, 6));
      return;
    }
  }
  nLastID = control->nId;
  control->hWnd = nullptr;
  if (std::find(aControls.begin(), aControls.end(), control) == aControls.end()) aControls.push_back(control);
}

// ---- initialisation --------------------------------------------------------------------------------

bool TDialog::Initiate(HWND, HWND dialog) {
  DialogRef keep(this);
  if (dialog != nullptr) hWnd = dialog;
  Link(!lModal);  // a modal dialog's messages come through its dialog procedure
  if (lVbx && !VbxInitDialog(hWnd, hResources != nullptr ? hResources : GetResources(), cResName)) {
    MsgAlert("Error on VBX's initialization");
  }
  if (!oFont) GetFont();
  SetFont(oFont);
  // On a dialog the middle button opens the inspector, Ctrl held or not.
  bMButtonDown = xb::Value(xb::Block::Native([](xb::Args& a) -> xb::Value {
    return xb::IsFunctionRegistered("OINSPECT") ? xb::CallFunction("OINSPECT", {a.Arg(4)}) : xb::Value();
  }));
  if (!lClassic) GetFondo();
  for (size_t i = 0; i < aControls.size(); ++i) {
    const WindowRef control = aControls[i];  // a control may leave the list
    if (auto* c = dynamic_cast<TControl*>(control.get())) c->Initiate(hWnd);
  }
  const bool in_memory = !IsResourceName(cResName);
  if (in_memory) {
    RECT own = {};
    GetWindowRect(hWnd, &own);
    SetWindowPos(hWnd, nullptr, 0, 0, static_cast<int>((own.right - own.left) * kMemoryWidening), own.bottom - own.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND child = GetWindow(hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r = {};
      GetWindowRect(child, &r);
      POINT at = {r.left, r.top};
      ::ScreenToClient(hWnd, &at);
      SetWindowPos(child, nullptr, static_cast<int>(at.x * kMemoryWidening), at.y,
                   static_cast<int>((r.right - r.left) * kMemoryWidening), r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }
  }
  if (lCentered) {
    WndCenter(hWnd, nullptr);
  } else if (in_memory) {
    Move(nTop, nLeft);
  }
  if (caption_given_) SetWindowTextA(hWnd, cCaption.c_str());
  const xb::Value init = Eval(bInit, {Self()});
  Help95();
  if (auto* icon = dynamic_cast<WindowIcon*>(oIcon.get())) {
    SendMessageA(hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon->hIcon()));
  }
  return !(init.IsLogical() && !init.AsLogical());
}

void TDialog::Help95() {
  if (!lHelpIcon) lHelpIcon = true;
  if (*lHelpIcon && hWnd != nullptr) {
    SetWindowLongA(hWnd, GWL_EXSTYLE, GetWindowLongA(hWnd, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  }
}

void TDialog::Help(const HELPINFO* info) {
  lHelpIcon = false;
  if (info != nullptr) {
    if (WindowRef control = OWndFromHwnd(static_cast<HWND>(info->hItemHandle)); control && control.get() != this) {
      control->HelpTopic();
      return;
    }
  }
  HelpTopic();
}

void TDialog::SetControl(WindowRef control) {
  oClient = std::move(control);
  const Rect client = GetCliRect();
  ReSize(SIZE_RESTORED, client.right, client.bottom);
}

void TDialog::ChangeFocus() {
  if (hWnd != nullptr) PostMessageA(hWnd, kFwChangeFocus, 0, 0);
}

HWND TDialog::GetHotPos(int character, HWND excluded) const {
  const int wanted = std::toupper(character & 0xFF);
  for (HWND child = GetWindow(hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == excluded || !IsWindowEnabled(child)) continue;
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    const char* amp = std::strchr(text, '&');
    if (amp == nullptr || amp[1] == '\0' || std::toupper(static_cast<unsigned char>(amp[1])) != wanted) continue;
    // A label names the control that follows it.
    if (WindowsClass(child) == "STATIC") return GetWindow(child, GW_HWNDNEXT);
    return child;
  }
  return nullptr;
}

// ---- ending ----------------------------------------------------------------------------------------

bool TDialog::End(int result) {
  DialogRef keep(this);
  if (!lValid()) return false;
  if (!lModal) {
    // The window keeps its handle until WM_DESTROY; Close destroys it.
    if (hWnd != nullptr) {
      close_validated_ = true;
      PostMessageA(hWnd, WM_CLOSE, static_cast<WPARAM>(result), 0);
    }
    return true;
  }
  nResult = xb::Value::Integer(result);
  if (hWnd != nullptr) EndDialogResult(hWnd, result);
  xb::CollectGarbage();
  return true;
}

Answer TDialog::Close(WPARAM wparam) {
  if (lModal) return {};  // the dialog manager turns it into IDCANCEL
  DialogRef keep(this);
  const bool validated = std::exchange(close_validated_, false);
  if (!validated && !lValid()) return Answer::Logical(true);  // handled: the dialog stays
  nResult = xb::Value::Integer(static_cast<std::int64_t>(wparam));
  lVisible = false;
  if (hWnd != nullptr) DestroyWindow(hWnd);
  return Answer::Logical(true);
}

Answer TDialog::Destroy() {
  TWindow::Destroy();
  return lModal ? Answer{} : Answer::Logical(true);
}

// ---- messages --------------------------------------------------------------------------------------

Answer TDialog::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return Answer::Logical(Initiate(reinterpret_cast<HWND>(wparam), reinterpret_cast<HWND>(lparam)));
    case WM_PAINT: return Display();
    case WM_HELP:
      Help(reinterpret_cast<const HELPINFO*>(lparam));
      return Answer::Logical(true);
    default: return TWindow::HandleEvent(message, wparam, lparam);
  }
}

Answer TDialog::Display() {
  BeginPaint();
  Paint();
  EndPaint();
  if (!bStart.IsNil()) {
    const xb::Value start = bStart;
    bStart = xb::Value();
    Eval(start, {Self()});
  }
  return Answer::Logical(false);
}

Answer TDialog::Paint() {
  if (bPainted.IsBlock()) {
    Eval(bPainted, {xb::Value::Integer(reinterpret_cast<std::intptr_t>(hDC)), xb::Value::String(cPS), Self()});
  }
  return {};
}

Answer TDialog::EraseBkGnd(HDC dc) {
  if (!oBrush || oBrush->hBrush == nullptr) return {};
  RECT r = {};
  ::GetClientRect(hWnd, &r);
  ::FillRect(dc, &r, oBrush->hBrush);
  return Answer::Logical(true);
}

Answer TDialog::Command(WPARAM wparam, LPARAM lparam) {
  const int code = HighWord(wparam);
  const int id = LowWord(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  if (auto* popup = dynamic_cast<WindowMenu*>(oPopup.get())) {
    popup->Command(id);
    return {};
  }
  if (control == nullptr) {
    // The menu's own items; Escape's IDCANCEL still ends a dialog that has a menu.
    if (auto* menu = dynamic_cast<WindowMenu*>(oMenu.get()); menu != nullptr && menu->GetMenuItem(id) != nullptr) {
      menu->Command(id);
      return {};
    }
  }
  if (id == 0) return {};
  DialogRef keep(this);
  if (code == BN_CLICKED) {
    const WindowRef clicked = control != nullptr ? ControlOf(control) : nullptr;
    if (control != nullptr && id != IDCANCEL) {
      // The control whose validation is pending loses the focus first; a click elsewhere is
      // dropped while it is not valid, unless the clicked control cancels.
      if (auto* pending = dynamic_cast<TWindow*>(nResult.AsObject().get())) {
        WindowRef hold(pending);
        if (pending->lFocused) pending->LostFocus(control);
        if (pending->nId != id && !pending->lValid() && !(clicked && clicked->lCancel)) return {};
      }
      if (clicked) {
        SendMessageA(control, kFwClick, wparam, lparam);
      } else if (id == IDOK) {
        End(IDOK);
      }
      return {};
    }
    if (control == nullptr && id == IDOK) {
      GoNextCtrl(::GetFocus());  // Enter moves on
      return {};
    }
    if (clicked) {
      SendMessageA(control, kFwClick, wparam, lparam);
      return {};
    }
    End(IDCANCEL);
    return {};
  }
  if (code == 1 && control != nullptr) SendMessageA(control, kFwChange, wparam, lparam);
  if (code == 8 && control != nullptr) SendMessageA(control, kFwCommand8, wparam, lparam);  // a list closed up
  if (id == 15001) Eval(bZip, {xb::Value::Integer(lparam), Self()});
  if (id == 15000) Eval(bUnZip, {xb::Value::Integer(NPtrWord(static_cast<std::uintptr_t>(lparam))), Self()});
  return {};
}

Answer TDialog::CtlColor(HWND handle, HDC dc) {
  const WindowRef control = ControlOf(handle);
  const std::string kind = WindowsClass(handle);
  const HBRUSH own = oBrush ? oBrush->hBrush : nullptr;
  if (kind == "STATIC" || kind == "BUTTON") {
    if (!control) {
      SetBkMode(dc, TRANSPARENT);
      SetBkColor(dc, nClrPane);
      SetTextColor(dc, nClrText);
      return Answer::Number(reinterpret_cast<LRESULT>(own));
    }
    SetTextColor(dc, control->nClrText);
    if (control->GetClass().IsDerivedFrom("TSAY")) {
      if (kind == "BUTTON") {  // a group frame
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, nClrPane);
        SetTextColor(dc, nClrText);
        RECT r = {};
        ::GetClientRect(handle, &r);
        if (own != nullptr) ::FillRect(dc, &r, own);
        return Answer::Number(reinterpret_cast<LRESULT>(own));
      }
      if (control->nClrPane == 0) {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, 0);
        return Answer::Number(reinterpret_cast<LRESULT>(control->CtlColorBrush()));
      }
    }
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, nClrPane);
    return Answer::Number(reinterpret_cast<LRESULT>(own));
  }
  if (!control) return {};
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, control->nClrPane);
  SetTextColor(dc, control->nClrText);
  return Answer::Number(reinterpret_cast<LRESULT>(control->CtlColorBrush()));
}

Answer TDialog::KeyChar(int key, LPARAM flags) {
  if (key == VK_ESCAPE) {
    if (lValidEsc) return Answer::Number(0);
    if (!oWnd || oWnd->GetClass().IsDerivedFrom("TMDICHILD") || oWnd->GetClass().IsDerivedFrom("TDIALOG") ||
        oWnd->GetClass().IsDerivedFrom("TMDIFRAME")) {
      End();
    }
  }
  // Escape goes on only from a child dialog (a folder's page) to its parent: a dialog owned
  // by another keeps it, so the owner does not end too.
  return TWindow::KeyChar(key, flags);
}

Answer TDialog::GotFocus(HWND) {
  lFocused = true;
  return AnswerOf(Eval(bGotFocus, {Self()}));  // nothing: the dialog manager restores the focus
}

Answer TDialog::LostFocus(HWND receiving) {
  lFocused = false;
  return AnswerOf(Eval(bLostFocus, {xb::Value::Integer(reinterpret_cast<std::intptr_t>(receiving)), Self()}));
}

// WM_QUERYENDSESSION: a dialog that cannot end (bValid refuses) stops the session's end.
Answer TDialog::QueryEndSession() {
  if (End()) return {};  // the default answer lets the session end
  // Handled with 0; a modal dialog's result travels in DWLP_MSGRESULT.
  if (lModal && hWnd != nullptr) SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, 0);
  return Answer::Logical(true);
}

Answer TDialog::MouseMove(int row, int col, WPARAM keys) {
  if (!lHelpIcon.value_or(false)) return TWindow::MouseMove(row, col, keys);
  // The context-help cursor is Windows' own while it is active.
  SetMsg(cMsg);
  CheckToolTip();
  if (!bMMoved.IsNil()) {
    return AnswerOf(Eval(bMMoved, {xb::Value::Integer(row), xb::Value::Integer(col),
                                   xb::Value::Integer(static_cast<std::int64_t>(keys)), Self()}));
  }
  return Answer::Number(0);
}

Answer TDialog::SysCommand(WPARAM wparam, LPARAM lparam) {
  if ((wparam & 0xFFF0) == SC_CONTEXTHELP) {
    lHelpIcon = true;
    return {};  // Windows enters the help mode
  }
  return TWindow::SysCommand(wparam, lparam);
}

void TDialog::SetFont(xb::Ref<TFont> font) {
  if (!font) return;
  TWindow::SetFont(font);
  if (hWnd == nullptr) return;
  for (HWND child = GetWindow(hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(oFont->hFont), TRUE);
  }
}

}  // namespace ui
