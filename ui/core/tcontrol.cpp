#include "ui/core/tcontrol.h"

#include <cstdio>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/message_decoder.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/design_dots.h"
#include "ui/core/framework_error.h"
#include "ui/core/tdialog.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

bool InFolderPage(const TWindow& control) {
  const TWindow* page = control.oWnd.get();
  return page != nullptr && page->oWnd &&
         (page->oWnd->GetClass().IsDerivedFrom("TFOLDER") || page->oWnd->GetClass().IsDerivedFrom("TPAGES"));
}

// Whether a focus change between the two windows is one the parent validates: they share a
// browse, or they lie in the same top-level window (the same dialog).
bool SameForm(HWND a, HWND b) {
  if (a == nullptr || b == nullptr) return false;
  return WndParents(a, b) || GetAncestor(a, GA_ROOT) == GetAncestor(b, GA_ROOT);
}

bool IsCancelButton(const WindowRef& w) {
  if (!w) return false;
  const xb::Class& c = w->GetClass();
  return (c.IsDerivedFrom("TBUTTON") || c.IsDerivedFrom("TBTNBMP")) && w->lCancel;
}

bool IsNavigationKey(int key) { return key == VK_TAB || key == VK_RETURN || key == VK_DOWN || key == VK_UP; }

}  // namespace

std::string PaddedNumber(std::int64_t n, int width) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%*lld", width, static_cast<long long>(n));
  return text;
}

TControl::TControl() : TControl(Cls()) {}

TControl::TControl(const xb::Class& cls) : TWindow(cls) {}

int& TControl::nInitID() {
  static int last = 100;
  return last;
}

int TControl::GetNewId() { return ++nInitID(); }

void TControl::Traverse(xb::GcVisitor& visitor) {
  TWindow::Traverse(visitor);
  if (oJump) visitor.Visit(oJump.get());
}

void TControl::ClearValues() {
  TWindow::ClearValues();
  oJump = nullptr;
}

// ---- binding ------------------------------------------------------------------------------------

void TControl::Redefine(int id, WindowRef parent) {
  nId = id;
  oWnd = std::move(parent);
  lValidating = false;
  Register();
  if (auto* dialog = dynamic_cast<TDialog*>(oWnd.get())) dialog->DefControl(WindowRef(this));
}

void TControl::Initiate(HWND dialog) {
  lCaptured = false;
  lFocused = false;
  hWnd = GetDlgItem(dialog, nId);
  if (hWnd == nullptr) {
    RaiseFrameworkError(static_cast<int>(FrameworkError::kNonDefinedId), "No: " + PaddedNumber(nId, 6));
    return;
  }
  EnableWindow(hWnd, lActive ? TRUE : FALSE);
  Link();
  if (oFont) {
    SetFont(oFont);
  } else {
    GetFont();
  }
}

std::string TControl::cToChar(const std::string& class_name) {
  const LONG base = GetDialogBaseUnits();
  const int x_unit = LOWORD(base) != 0 ? LOWORD(base) : 1;
  const int y_unit = HIWORD(base) != 0 ? HIWORD(base) : 1;
  if (nId == 0) nId = GetNewId();
  const DWORD style = nStyle != 0 ? nStyle : (WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  return CCtrl2Chr(16 * nTop / y_unit, 8 * nLeft / x_unit, 16 * nBottom / y_unit, 8 * nRight / x_unit, nId, style,
                   class_name.empty() ? ClassName() : class_name, cCaption);
}

bool TControl::CreateOrDefine(const std::string& windows_class) {
  if (oWnd && oWnd->hWnd != nullptr) {
    if (nId == 0) nId = GetNewId();
    Create(windows_class);
    if (hWnd == nullptr) return false;
    oWnd->AddControl(WindowRef(this));
    return true;
  }
  if (auto* dialog = dynamic_cast<TDialog*>(oWnd.get())) dialog->DefControl(WindowRef(this));
  return false;
}

// ---- messages -------------------------------------------------------------------------------------

Answer TControl::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kFwClick: return Click();
    case WM_HELP:
      TWindow::HelpTopic();
      return Answer::Number(1);
    case WM_KILLFOCUS: return KillFocus(reinterpret_cast<HWND>(wparam));
    case WM_PAINT: return Display();
    case kFwChange: return Change();
    case kFwColors: return Answer::Number(reinterpret_cast<LRESULT>(Colors(reinterpret_cast<HDC>(wparam))));
    case kFwLostFocusValid: return VXLostFocus(reinterpret_cast<HWND>(wparam));
    case WM_CAPTURECHANGED:
      CaptureLost(reinterpret_cast<HWND>(lparam));
      return TWindow::HandleEvent(message, wparam, lparam);
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      // A drag of the control's data takes the mouse from the control's own handlers.
      if (DragMouse(message, SignedHighWord(lparam), SignedLowWord(lparam), wparam)) return Answer::Number(0);
      return TWindow::HandleEvent(message, wparam, lparam);
    case WM_DESTROY:
      if (lDrag && DesignDotsOwner() == hWnd) HideDots();  // no dots around a control that is gone
      return TWindow::HandleEvent(message, wparam, lparam);
    default: return TWindow::HandleEvent(message, wparam, lparam);
  }
}

Answer TControl::Click() {
  if (oWnd) oWnd->AEvalWhen();
  return {};
}

HBRUSH TControl::Colors(HDC dc) {
  if (!oBrush) oBrush = TBrush::New("", nClrPane);
  SetTextColor(dc, nClrText);
  SetBkColor(dc, nClrPane);
  return oBrush ? oBrush->hBrush : nullptr;
}

void TControl::Default() {
  lDrag = lDesign;  // a control made in design mode stays in it
  lCaptured = false;
}

Answer TControl::GotFocus(HWND losing) {
  lFocused = true;
  if (oWnd) {
    oWnd->nResult = Self();  // the control whose validation is pending
    oWnd->oCtlFocus = WindowRef(this);
    oWnd->hCtlFocus = hWnd;
  }
  if (!cMsg.empty()) SetMsg(cMsg);
  if (lDrag) ShowDots();
  if (bGotFocus.IsBlock()) {
    return AnswerOf(Eval(bGotFocus, {Self(), xb::Value::Integer(reinterpret_cast<std::intptr_t>(losing))}));
  }
  return {};
}

Answer TControl::LostFocus(HWND receiving) {
  if (!cMsg.empty()) SetMsg();
  return TWindow::LostFocus(receiving);
}

Answer TControl::KillFocus(HWND receiving) {
  TWindow* parent = oWnd.get();
  if (parent == nullptr) return LostFocus(receiving);
  const WindowRef target = OWndFromHwnd(receiving);
  if (SameForm(hWnd, receiving) && !bValid.IsNil() && IsCancelButton(target) && !IsNavigationKey(parent->nLastKey)) {
    // A cancel button: the other controls' bWhen are re-evaluated, but this one is not validated.
    parent->lValidating = true;
    parent->nLastKey = 0;
    ForWhen();
    parent->lValidating = false;
    return LostFocus(receiving);
  }
  if (target && target->GetClass().IsDerivedFrom("TBTNBMP")) parent->nLastKey = 0;
  if (receiving != nullptr && !parent->lValidating && parent->hWnd != nullptr && IsWindowVisible(parent->hWnd) &&
      SameForm(hWnd, receiving)) {
    // Validated once Windows has finished moving the focus.
    PostMessageA(hWnd, kFwLostFocusValid, reinterpret_cast<WPARAM>(receiving), 0);
  }
  return LostFocus(receiving);
}

Answer TControl::VXLostFocus(HWND receiving) {
  TWindow* parent = oWnd.get();
  if (parent == nullptr || parent->lValidating || hWnd == nullptr) return Answer::Number(0);
  parent->lValidating = true;
  const WindowRef target = OWndFromHwnd(receiving);
  if (target && target->oWnd && target->oWnd.get() != parent) {
    // The focus went to another window's control: that window validates its own.
    parent->lValidating = false;
    return Answer::Number(0);
  }
  WindowRef keep(this);
  if (!lValid()) {
    ::SetFocus(hWnd);
  } else if (!GetClass().IsDerivedFrom("TFOLDER") && !GetClass().IsDerivedFrom("TPAGES")) {
    ForWhen();
  }
  parent->lValidating = false;
  return Answer::Number(0);
}

void TControl::ForWhen() {
  TWindow* parent = oWnd.get();
  if (parent == nullptr) return;
  WindowRef keep_parent(parent);
  parent->AEvalWhen();
  lCaptured = false;
  if (oJump) {
    WindowRef jump = std::move(oJump);
    oJump = nullptr;
    jump->SetFocus();
  } else {
    const int key = parent->nLastKey;
    if (key == VK_UP || (key == VK_TAB && ShiftHeld())) {
      parent->GoPrevCtrl(hWnd);
    } else if (key == VK_DOWN || key == VK_TAB || key == VK_RETURN) {
      parent->GoNextCtrl(hWnd);
    }
  }
  if (::GetFocus() == nullptr && hWnd != nullptr) ::SetFocus(hWnd);
  parent->nLastKey = 0;
}

Answer TControl::GetDlgCode(WPARAM key) {
  if (oWnd && !oWnd->lValidating && IsNavigationKey(static_cast<int>(key))) oWnd->nLastKey = static_cast<int>(key);
  if (InFolderPage(*this)) return Answer::Number(DLGC_WANTALLKEYS);
  return nDlgCode ? Answer::Number(*nDlgCode) : Answer{};
}

Answer TControl::KeyChar(int key, LPARAM flags) {
  TWindow* parent = oWnd.get();
  if (parent != nullptr) {
    if (key == VK_TAB) {
      if (ShiftHeld()) {
        parent->GoPrevCtrl(hWnd);
      } else {
        parent->GoNextCtrl(hWnd);
      }
      return Answer::Number(0);
    }
    if (key == VK_ESCAPE) {
      parent->KeyChar(key, flags);
      return Answer::Number(0);
    }
    if (key == VK_RETURN) {
      WindowRef keep(this);
      SysRefresh();
      if (::GetFocus() != hWnd) return Answer::Number(0);
      const LRESULT def = SendMessageA(parent->hWnd, DM_GETDEFID, 0, 0);
      if (HIWORD(def) == DC_HASDEFID) {
        HWND button = GetDlgItem(parent->hWnd, LOWORD(def));
        if (button != nullptr && button != hWnd &&
            (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
          SendMessageA(button, WM_KEYDOWN, VK_RETURN, 0);
          return Answer::Number(0);
        }
      }
      for (const WindowRef& control : parent->aControls) {
        if (control && control->nId == IDOK && control->GetClass().IsDerivedFrom("TBTNBMP")) {
          xb::Send(control->Self(), "CLICK");
          return Answer::Number(0);
        }
      }
    }
  }
  return TWindow::KeyChar(key, flags);
}

Answer TControl::SysCommand(WPARAM wparam, LPARAM lparam) {
  const int character = LowWord(static_cast<WPARAM>(lparam));
  if ((wparam & 0xFFF0) == SC_KEYMENU && character != 0 && oWnd) {
    TWindow* parent = oWnd.get();
    if (parent->oWnd && parent->oWnd->GetClass().IsDerivedFrom("TFOLDER")) {
      // A folder selects the tab of that hot key itself.
      const xb::Value tab = xb::Send(parent->oWnd->Self(), "GETHOTPOS", {xb::Value::Integer(character)});
      if (tab.IsNumber() && tab.AsInt() != 0) {
        xb::Send(parent->oWnd->Self(), "SETOPTION", {tab});
        return Answer::Number(0);
      }
    }
    if (auto* dialog = dynamic_cast<TDialog*>(parent)) {
      HWND hot = dialog->GetHotPos(character, hWnd);
      if (WindowRef target = hot != nullptr ? OWndFromHwnd(hot) : nullptr; target && target->oWnd.get() == parent) {
        WindowRef keep(this);
        target->SetFocus();
        SysRefresh();
        if (::GetFocus() == target->hWnd) SendMessageA(target->hWnd, kFwClick, 0, 0);
        return Answer::Number(0);
      }
    }
  }
  return TWindow::SysCommand(wparam, lparam);
}

Answer TControl::EraseBkGnd(HDC dc) {
  if (!oBrush || oBrush->hBrush == nullptr) return {};
  RECT r = {};
  ::GetClientRect(hWnd, &r);
  ::FillRect(dc, &r, oBrush->hBrush);
  return Answer::Number(1);
}

void TControl::SetFocus() {
  if (hWnd == nullptr) return;
  if (lWhen()) {
    ::SetFocus(hWnd);
    return;
  }
  HWND next = GetWindow(hWnd, GW_HWNDNEXT);
  HWND parent = oWnd ? oWnd->hWnd : GetParent(hWnd);
  if (next == nullptr || GetParent(next) != parent) next = GetWindow(parent, GW_CHILD);
  if (next != nullptr) ::SetFocus(next);
}

bool TControl::End() {
  WindowRef keep(this);
  if (oWnd) {
    std::erase_if(oWnd->aControls, [this](const WindowRef& c) { return c.get() == this || (c && hWnd && c->hWnd == hWnd); });
    if (oWnd->oCtlFocus.get() == this) oWnd->oCtlFocus = nullptr;
  }
  return TWindow::End();
}

void TControl::ChangeFocus() {
  if (hWnd != nullptr) PostMessageA(hWnd, kFwChangeFocus, 0, 0);
}

void TControl::UpdateFromParent() {
  if (lUpdate) Refresh();
}

xb::Value TControl::VarGet() { return bSetGet.IsBlock() ? bSetGet.AsBlock().Eval() : xb::Value(); }

void TControl::VarPut(const xb::Value& value) {
  if (bSetGet.IsBlock()) bSetGet.AsBlock().Eval({value});
}

void TControl::Set3DLook() { l3DLook = true; }

void TControl::AdjTop() {
  WndAdjTop(hWnd);
  FollowDots();
}

void TControl::AdjBottom() {
  WndAdjBottom(hWnd);
  FollowDots();
}

void TControl::AdjLeft() {
  if (oWnd) WndAdjLeft(hWnd, oWnd->DockTopItem(), oWnd->DockBottomItem());
  FollowDots();
}

void TControl::AdjRight() {
  if (oWnd) WndAdjRight(hWnd, oWnd->DockTopItem(), oWnd->DockBottomItem());
  FollowDots();
}

void TControl::AdjClient() {
  if (!oWnd) return;
  auto handle = [](const WindowRef& w) { return w ? w->hWnd : nullptr; };
  WndAdjClient(hWnd, oWnd->DockTopItem(), oWnd->DockBottomItem(), handle(oWnd->oLeft), handle(oWnd->oRight), false,
               nClientBevel);
  FollowDots();
}

// ---- runtime messages -------------------------------------------------------------------------------

const xb::Class& TControl::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TCONTROL", &TWindow::Cls());
    auto self = [](xb::Object& o) -> TControl& { return xb::Class::Cast<TControl>(o); };
    c.Data("BSETGET", &TControl::bSetGet);
    c.Data("BCHANGE", &TControl::bChange);
    c.Data("BDRAGBEGIN", &TControl::bDragBegin);
    c.Data("LCAPTURED", &TControl::lCaptured);
    c.Data("LDRAG", &TControl::lDrag);
    c.Data("LMOUSEDOWN", &TControl::lMouseDown);
    c.Data("LUPDATE", &TControl::lUpdate);
    c.Data("L3DLOOK", &TControl::l3DLook);
    c.Data("NLASTROW", &TControl::nLastRow);
    c.Data("NLASTCOL", &TControl::nLastCol);
    c.Data("NMRESIZE", &TControl::nMResize);
    c.Data("L97LOOK", &TControl::l97Look);
    c.Data("LISACTIVE", &TControl::lIsActive);
    c.Data("NCLIENTBEVEL", &TControl::nClientBevel);
    c.Property("NDLGCODE",
               [self](xb::Object& o) { return self(o).nDlgCode ? xb::Value::Integer(*self(o).nDlgCode) : xb::Value(); },
               [self](xb::Object& o, const xb::Value& v) {
                 if (v.IsNumber()) self(o).nDlgCode = static_cast<int>(v.AsInt());
                 else self(o).nDlgCode.reset();
               });
    c.Property("OJUMP", [self](xb::Object& o) { return self(o).oJump ? xb::Value(self(o).oJump) : xb::Value(); },
               [self](xb::Object& o, const xb::Value& v) {
                 auto* w = dynamic_cast<TWindow*>(v.AsObject().get());
                 self(o).oJump = w != nullptr ? WindowRef(w) : nullptr;
               });
    c.Property("NINITID", [](xb::Object&) { return xb::Value::Integer(nInitID()); },
               [](xb::Object&, const xb::Value& v) { nInitID() = static_cast<int>(v.AsInt()); });
    c.Method("GETNEWID", [](xb::Object&, xb::Args&) { return xb::Value::Integer(GetNewId()); });
    c.Method("REDEFINE", [self](xb::Object& o, xb::Args& a) {
      auto* parent = dynamic_cast<TWindow*>(a.Obj(2).get());
      self(o).Redefine(static_cast<int>(a.Int(1)), parent != nullptr ? WindowRef(parent) : nullptr);
      return o.AsValue();
    });
    c.Method("INITIATE", [self](xb::Object& o, xb::Args& a) {
      self(o).Initiate(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1))));
      return xb::Value();
    });
    c.Method("CTOCHAR", [self](xb::Object& o, xb::Args& a) {
      return xb::Value::String(self(o).cToChar(std::string(a.Str(1))));
    });
    auto answer = [](const Answer& r) {
      if (r.is_number()) return xb::Value::Integer(r.number());
      if (r.is_logical()) return xb::Value::Logical(r.logical());
      return xb::Value();
    };
    c.Method("CLICK", [self, answer](xb::Object& o, xb::Args&) { return answer(self(o).Click()); });
    c.Method("CHANGE", [self, answer](xb::Object& o, xb::Args&) { return answer(self(o).Change()); });
    c.Method("DISPLAY", [self, answer](xb::Object& o, xb::Args&) { return answer(self(o).Display()); });
    c.Method("COLORS", [self](xb::Object& o, xb::Args& a) {
      return xb::Value::Integer(reinterpret_cast<std::intptr_t>(
          self(o).Colors(reinterpret_cast<HDC>(static_cast<std::intptr_t>(a.Int(1))))));
    });
    c.Method("DEFAULT", [self](xb::Object& o, xb::Args&) { self(o).Default(); return xb::Value(); });
    c.Method("FORWHEN", [self](xb::Object& o, xb::Args&) { self(o).ForWhen(); return xb::Value(); });
    c.Method("CHANGEFOCUS", [self](xb::Object& o, xb::Args&) { self(o).ChangeFocus(); return xb::Value(); });
    c.Method("VARGET", [self](xb::Object& o, xb::Args&) { return self(o).VarGet(); });
    c.Method("VARPUT", [self](xb::Object& o, xb::Args& a) { self(o).VarPut(a.Arg(1)); return xb::Value(); });
    c.Method("SET3DLOOK", [self](xb::Object& o, xb::Args&) { self(o).Set3DLook(); return xb::Value(); });
    c.Method("ADJTOP", [self](xb::Object& o, xb::Args&) { self(o).AdjTop(); return xb::Value(); });
    c.Method("ADJBOTTOM", [self](xb::Object& o, xb::Args&) { self(o).AdjBottom(); return xb::Value(); });
    c.Method("ADJLEFT", [self](xb::Object& o, xb::Args&) { self(o).AdjLeft(); return xb::Value(); });
    c.Method("ADJRIGHT", [self](xb::Object& o, xb::Args&) { self(o).AdjRight(); return xb::Value(); });
    c.Method("ADJCLIENT", [self](xb::Object& o, xb::Args&) { self(o).AdjClient(); return xb::Value(); });
    c.Method("KILLFOCUS", [self, answer](xb::Object& o, xb::Args& a) {
      return answer(self(o).KillFocus(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1)))));
    });
    c.Method("VXLOSTFOCUS", [self, answer](xb::Object& o, xb::Args& a) {
      return answer(self(o).VXLostFocus(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1)))));
    });
    DefineControlDesignMessages(c);
    return c;
  }();
  return cls;
}

}  // namespace ui
