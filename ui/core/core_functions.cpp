#include "ui/core/core_functions.h"

#include <algorithm>
#include <cstdint>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "ui/bridge/bridge_functions.h"
#include "ui/core/framework_error.h"
#include "ui/core/design_dots.h"
#include "ui/core/dialog_look.h"
#include "ui/core/error_handler.h"
#include "ui/core/file_helpers.h"
#include "ui/core/framework_utils.h"
#include "ui/core/help.h"
#include "ui/core/mdi_classes.h"
#include "ui/core/menu_builder.h"
#include "ui/core/msg_box.h"
#include "ui/core/object_inspector.h"
#include "ui/core/object_text.h"
#include "ui/core/tbar.h"
#include "ui/core/screen_waits.h"
#include "ui/core/tbrush.h"
#include "ui/core/tclipboard.h"
#include "ui/core/tcontrol.h"
#include "ui/core/tcursor.h"
#include "ui/core/tdde.h"
#include "ui/core/tdialog.h"
#include "ui/core/tdlgfind.h"
#include "ui/core/tfont.h"
#include "ui/core/tini.h"
#include "ui/core/tmsgbar.h"
#include "ui/core/tpen.h"
#include "ui/core/trect.h"
#include "ui/core/tstruct.h"
#include "ui/core/ttimer.h"
#include "ui/core/value_text.h"
#include "ui/core/twindow.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

Value WindowValue(const WindowRef& w) { return w ? Value(w) : Value(); }

WindowRef WindowArg(const Args& a, int n) {
  if (auto* w = dynamic_cast<TWindow*>(a.Obj(n).get())) return WindowRef(w);
  return nullptr;
}

HWND HandleArg(const Args& a, int n) {
  if (WindowRef w = WindowArg(a, n)) return w->hWnd;
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(n)));
}

}  // namespace

void RegisterCoreFunctions() {
  static bool done = false;
  if (done) return;
  done = true;
  xb::RegisterFunction("TWINDOW", [](Args&) { return Value(xb::MakeRef<TWindow>()); });
  xb::RegisterFunction("TDIALOG", [](Args&) { return Value(xb::MakeRef<TDialog>()); });
  // The GDI classes; TFont():New() and TBrush():New() answer the shared object.
  xb::RegisterFunction("TFONT", [](Args&) { return Value(xb::MakeRef<TFont>()); });
  xb::RegisterFunction("TBRUSH", [](Args&) { return Value(xb::MakeRef<TBrush>()); });
  xb::RegisterFunction("TPEN", [](Args&) { return Value(xb::MakeRef<TPen>()); });
  xb::RegisterFunction("TCURSOR", [](Args&) { return Value(xb::MakeRef<TCursor>()); });
  xb::RegisterFunction("TRECT", [](Args&) { return Value(xb::MakeRef<TRect>()); });
  xb::RegisterFunction("NWINDOWS", [](Args&) { return Value::Integer(NWindows()); });
  xb::RegisterFunction("GETALLWIN", [](Args&) {
    xb::Array all = xb::Array::New();
    for (const WindowRef& w : GetAllWin()) all.Append(w ? Value(w) : Value::Integer(0));
    return Value(all);
  });
  xb::RegisterFunction("WNDMAIN", [](Args&) { return WindowValue(WndMain()); });
  xb::RegisterFunction("OWNDFROMHWND", [](Args& a) { return WindowValue(OWndFromHwnd(HandleArg(a, 1))); });
  auto set_default = [](Args& a) {
    SetWndDefault(WindowArg(a, 1));
    return Value();
  };
  xb::RegisterFunction("SETWNDDEFAULT", set_default);
  xb::RegisterFunction("_SETWNDDEFAUL", set_default);
  xb::RegisterFunction("GETWNDDEFAULT", [](Args&) { return WindowValue(GetWndDefault()); });
  xb::RegisterFunction("SETDROPINFO", [](Args& a) {
    SetDropInfo(a.Arg(1));
    return Value();
  });
  xb::RegisterFunction("GETDROPINFO", [](Args&) { return GetDropInfo(); });
  xb::RegisterFunction("WNDPARENTS", [](Args& a) { return Value::Logical(WndParents(HandleArg(a, 1), HandleArg(a, 2))); });
  // _VXH( hWnd, nMsg, nWParam, nLParam, nSlot ): NIL for slot 0; otherwise the one result
  // pair {answer, previous procedure}, refilled only when the slot holds a window.
  xb::RegisterFunction("_VXH", [](Args& a) -> Value {
    static const xb::Array pair = xb::Array::Of({Value::Integer(0), Value::Integer(0)});
    const int slot = static_cast<int>(a.Int(5));
    if (slot == 0) return Value();
    WindowRef w = WindowInSlot(slot);
    if (!w) return Value(pair);
    const Answer answer = DispatchToWindow(*w, static_cast<UINT>(a.Int(2)), static_cast<WPARAM>(a.Int(3)),
                                           static_cast<LPARAM>(a.Int(4)));
    Value result;
    if (answer.is_number()) result = Value::Integer(answer.number());
    if (answer.is_logical()) result = Value::Logical(answer.logical());
    pair[0] = result;
    pair[1] = Value::Integer(reinterpret_cast<std::intptr_t>(reinterpret_cast<void*>(w->nOldProc)));
    return Value(pair);
  });
  // WNDCREATEERROR( oWnd, [cClassName] ) and CREATEDLGERROR( oDlg ): the framework's errors
  // for a window or dialog that Windows did not create.
  xb::RegisterFunction("WNDCREATEERROR", [](Args& a) {
    if (WindowRef w = WindowArg(a, 1)) w->WndCreateError(a.Arg(2).IsString() ? std::string(a.Str(2)) : w->ClassName());
    return Value();
  });
  xb::RegisterFunction("CREATEDLGERROR", [](Args& a) {
    if (auto* d = dynamic_cast<TDialog*>(a.Obj(1).get())) d->CreateDlgError();
    return Value();
  });
  xb::RegisterFunction("_VXGENERROR", [](Args& a) {
    return Value(MakeFrameworkError(static_cast<int>(a.Int(1)), a.Str(2)));
  });

  // CHOOSEFONT( aFont, nRGB ): the font dialog; a colour passed by reference receives the
  // colour chosen.
  xb::RegisterFunction("CHOOSEFONT", [](Args& a) {
    const auto raw = a.Raw();
    return xb::CallFunction(xb::Intern("CHOOSEFONTH"), raw.first(std::min<size_t>(raw.size(), 2)));
  });

  // Help.
  xb::RegisterFunction("SETHELPFILE", [](Args& a) {
    const Value old = Value::String(GetHelpFile());
    if (a.Arg(1).IsString()) SetHelpFile(std::string(a.Str(1)));
    return old;
  });
  xb::RegisterFunction("GETHELPFILE", [](Args&) { return Value::String(GetHelpFile()); });
  xb::RegisterFunction("SETHELPTOPIC", [](Args& a) {
    const Value old = GetHelpTopic();
    SetHelpTopic(a.Arg(1));
    return old;
  });
  // "" while no topic is set.
  xb::RegisterFunction("GETHELPTOPIC", [](Args&) { return GetHelpTopic().IsNil() ? Value::String("") : GetHelpTopic(); });
  xb::RegisterFunction("HELPTOPIC", [](Args& a) { return Value::Logical(HelpTopic(a.Arg(1))); });
  xb::RegisterFunction("HELPINDEX", [](Args&) { return Value::Logical(HelpIndex()); });
  xb::RegisterFunction("HELPSEARCH", [](Args& a) { return Value::Logical(HelpSearch(std::string(a.Str(1)))); });
  xb::RegisterFunction("HELPPOPUP", [](Args& a) { return Value::Logical(HelpPopup(static_cast<int>(a.Int(1)))); });
  // WINHELP( cFile, nCommand, nData | cData ): a text travels as its address.
  xb::RegisterFunction("WINHELP", [](Args& a) {
    const unsigned command = a.IsNil(2) ? 3u : static_cast<unsigned>(a.Int(2));
    const std::string text = a.Arg(3).IsString() ? std::string(a.Str(3)) : std::string();
    const std::uintptr_t data = a.Arg(3).IsString() ? reinterpret_cast<std::uintptr_t>(text.c_str())
                                                    : static_cast<std::uintptr_t>(a.Int(3));
    return Value::Logical(CallWinHelpFile(std::string(a.Str(1)), command, data));
  });
}

void InitWindowFramework() {
  (void)TWindow::Cls();
  (void)TBrush::Cls();
  (void)TFont::Cls();
  (void)TDialog::Cls();
  (void)TControl::Cls();
  (void)TPen::Cls();
  (void)TCursor::Cls();
  (void)TRect::Cls();
  (void)TStruct::Cls();
  (void)TExStruct::Cls();
  RegisterBridgeFunctions();
  RegisterCoreFunctions();
  RegisterValueText();
  RegisterMenuFunctions();
  RegisterTimerFunctions();
  RegisterIniFunctions();
  RegisterMsgBarFunctions();
  RegisterBarFunctions();
  RegisterDesignFunctions();
  RegisterDialogLookFunctions();
  RegisterMessageBoxFunctions();
  RegisterErrorHandlerFunctions();
  RegisterStructFunctions();
  RegisterFileHelpers();
  RegisterFrameworkUtils();
  RegisterScreenAndWaits();
  RegisterObjectText();
  RegisterObjectInspector();
  RegisterMdiClasses();
  RegisterClipboardClass();
  RegisterDdeClass();
  RegisterFindDialogClass();
  InstallWindowDispatch();
  InstallDialogDispatch();
}

}  // namespace ui
