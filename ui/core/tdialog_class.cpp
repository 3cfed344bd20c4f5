// The messages of class TDIALOG that text compiled at run time may send, taking their
// arguments by position as the xBase methods do.
#include <cstdint>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/tcontrol.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TDialog& D(Object& o) { return xb::Class::Cast<TDialog>(o); }

template <typename T>
xb::Ref<T> ObjectArg(const Args& a, int n) {
  auto* p = dynamic_cast<T*>(a.Obj(n).get());
  return p != nullptr ? xb::Ref<T>(p) : nullptr;
}

HWND HandleArg(const Args& a, int n) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(n))); }

Value AnswerValue(const Answer& r) {
  if (r.is_number()) return Value::Integer(r.number());
  if (r.is_logical()) return Value::Logical(r.logical());
  return Value();
}

void DefineMessages(xb::Class& c) {
  c.Property("CRESNAME", [](Object& o) { return D(o).cResName; },
             [](Object& o, const Value& v) { D(o).cResName = v; });
  c.Data("CRESDATA", &TDialog::cResData);
  c.Property("HRESOURCES", [](Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(D(o).hResources)); },
             [](Object& o, const Value& v) {
               D(o).hResources = reinterpret_cast<HMODULE>(static_cast<std::intptr_t>(v.AsInt()));
             });
  c.Data("LCENTERED", &TDialog::lCentered);
  c.Data("LMODAL", &TDialog::lModal);
  c.Data("LMODIFY", &TDialog::lModify);
  c.Data("BSTART", &TDialog::bStart);
  c.Property("LHELPICON", [](Object& o) { return D(o).lHelpIcon ? Value::Logical(*D(o).lHelpIcon) : Value(); },
             [](Object& o, const Value& v) {
               if (v.IsLogical()) D(o).lHelpIcon = v.AsLogical();
               else D(o).lHelpIcon.reset();
             });
  c.Data("NLASTID", &TDialog::nLastID);
  c.Property("CORESNAME", [](Object& o) { return D(o).cOResName; },
             [](Object& o, const Value& v) { D(o).cOResName = v; });
  c.Data("LVALIDESC", &TDialog::lValidEsc);

  // New(nTop, nLeft, nBottom, nRight, cCaption, cResName, hResources, lVbx, nStyle, nClrText,
  //     nClrBack, oBrush, oWnd, lPixels, oIcon, oFont, nHelpId, nWidth, nHeight, cBmpFondo)
  c.Method("NEW", [](Object& o, Args& a) {
    TDialog::NewParams p;
    if (!a.IsNil(1)) p.top = static_cast<int>(a.Int(1));
    if (!a.IsNil(2)) p.left = static_cast<int>(a.Int(2));
    if (!a.IsNil(3)) p.bottom = static_cast<int>(a.Int(3));
    if (!a.IsNil(4)) p.right = static_cast<int>(a.Int(4));
    if (a.Arg(5).IsString()) p.caption = std::string(a.Str(5));
    p.resource = a.Arg(6);
    p.resources = reinterpret_cast<HMODULE>(static_cast<std::intptr_t>(a.Int(7)));
    p.vbx = a.Log(8);
    if (!a.IsNil(9)) p.style = static_cast<DWORD>(a.Int(9));
    p.clr_text = static_cast<COLORREF>(a.Int(10));
    if (!a.IsNil(11)) p.clr_pane = static_cast<COLORREF>(a.Int(11));
    p.brush = ObjectArg<TBrush>(a, 12);
    p.parent = ObjectArg<TWindow>(a, 13);
    p.pixel = a.Log(14);
    p.icon = a.Obj(15);
    p.font = ObjectArg<TFont>(a, 16);
    p.help_id = static_cast<int>(a.Int(17));
    p.width = static_cast<int>(a.Int(18));
    p.height = static_cast<int>(a.Int(19));
    D(o).cBmpFondo = std::string(a.Str(20));
    return D(o).New(p).Self();
  });
  // Define(nTop, nLeft, nBottom, nRight, cCaption, nStyle, lVbx, nClrText, nClrBack, oBrush, cBmpFondo)
  c.Method("DEFINE", [](Object& o, Args& a) {
    TDialog::DefineParams p;
    p.top = static_cast<int>(a.Int(1));
    p.left = static_cast<int>(a.Int(2));
    p.bottom = static_cast<int>(a.Int(3));
    p.right = static_cast<int>(a.Int(4));
    if (a.Arg(5).IsString()) p.caption = std::string(a.Str(5));
    if (!a.IsNil(6)) p.style = static_cast<DWORD>(a.Int(6));
    p.vbx = a.Log(7);
    p.clr_text = static_cast<COLORREF>(a.Int(8));
    if (!a.IsNil(9)) p.clr_pane = static_cast<COLORREF>(a.Int(9));
    p.brush = ObjectArg<TBrush>(a, 10);
    D(o).cBmpFondo = std::string(a.Str(11));
    return D(o).Define(p).Self();
  });
  // Activate(bClicked, bMoved, bPainted, lCentered, bValid, lModal, bInit, bRClicked, bWhen)
  c.Method("ACTIVATE", [](Object& o, Args& a) {
    TDialog::ActivateParams p;
    p.l_clicked = a.Arg(1);
    p.moved = a.Arg(2);
    p.painted = a.Arg(3);
    p.centered = a.Log(4);
    p.valid = a.Arg(5);
    p.modal = a.Log(6, true);
    p.init = a.Arg(7);
    p.r_clicked = a.Arg(8);
    p.when = a.Arg(9);
    D(o).Activate(p);
    return Value();
  });
  c.Method("END", [](Object& o, Args& a) {
    return Value::Logical(D(o).End(a.IsNil(1) ? IDCANCEL : static_cast<int>(a.Int(1))));
  });
  c.Method("DEFCONTROL", [](Object& o, Args& a) {
    D(o).DefControl(ObjectArg<TWindow>(a, 1));
    return Value();
  });
  c.Method("CTOCHAR", [](Object& o, Args& a) { return Value::String(D(o).cToChar(HandleArg(a, 1))); });
  c.Method("GETHOTPOS", [](Object& o, Args& a) {
    const int character = a.Arg(1).IsString() && !a.Str(1).empty() ? static_cast<unsigned char>(a.Str(1)[0])
                                                                     : static_cast<int>(a.Int(1));
    return Value::Integer(reinterpret_cast<std::intptr_t>(D(o).GetHotPos(character, HandleArg(a, 2))));
  });
  c.Method("GETITEM", [](Object& o, Args& a) {
    return Value::Integer(reinterpret_cast<std::intptr_t>(D(o).GetItem(static_cast<int>(a.Int(1)))));
  });
  c.Method("INITIATE", [](Object& o, Args& a) {
    return Value::Logical(D(o).Initiate(HandleArg(a, 1), HandleArg(a, 2)));
  });
  c.Method("SETCONTROL", [](Object& o, Args& a) {
    D(o).SetControl(ObjectArg<TWindow>(a, 1));
    return Value();
  });
  c.Method("HELP95", [](Object& o, Args&) { D(o).Help95(); return Value(); });
  c.Method("CHANGEFOCUS", [](Object& o, Args&) { D(o).ChangeFocus(); return Value(); });
  c.Method("ADJTOP", [](Object& o, Args&) { WndAdjTop(D(o).hWnd); return Value(); });
  c.Method("DISPLAY", [](Object& o, Args&) { return AnswerValue(D(o).Display()); });
  c.Method("QUERYENDSESSION", [](Object& o, Args&) { return AnswerValue(D(o).QueryEndSession()); });
}

}  // namespace

const xb::Class& TDialog::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TDIALOG", &TWindow::Cls());
    DefineMessages(c);
    return c;
  }();
  return cls;
}

}  // namespace ui
