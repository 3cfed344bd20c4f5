// The runtime classes TMDIFRAME, TMDICLIENT and TMDICHILD: the messages that menu actions and
// text compiled at run time send (oWnd:Tile(), oWnd:oWndActive:End() ...), with their
// arguments by position as the xBase constructors take them; and GETWNDFRAME().
#include <cstdint>
#include <optional>

#include "runtime/function_table.h"
#include "ui/core/mdi_classes.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmdiclient.h"
#include "ui/core/tmdiframe.h"
#include "ui/core/window_design.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

template <typename T>
T& As(Object& o) {
  return xb::Class::Cast<T>(o);
}

template <typename T>
xb::Ref<T> ObjectArg(const Args& a, int n) {
  auto* p = dynamic_cast<T*>(a.Obj(n).get());
  return p != nullptr ? xb::Ref<T>(p) : nullptr;
}

std::optional<int> Coord(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<int>(a.Int(n));
}

// An icon object, or a name: a file of that name when it exists, else the resource.
xb::ObjectRef IconArg(const Args& a, int n) {
  if (!a.Arg(n).IsString()) return a.Obj(n);
  IconMaker make = GetIconMaker();
  return make != nullptr ? make(std::string(a.Str(n))) : nullptr;
}

std::optional<COLORREF> Colour(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}

template <typename T>
Value RefValue(const xb::Ref<T>& r) {
  return r ? Value(r) : Value();
}

// The request goes on to `target` when it is set and answers it; NIL otherwise.
Value Forward(const xb::ObjectRef& target, const char* message, Args& a) {
  if (!target) return Value();
  const Value receiver(target);
  const xb::Symbol& name = xb::Intern(message);
  if (!xb::HasMessage(receiver, name)) return Value();
  return xb::Send(receiver, name, a.Raw());
}

TMdiClient::ChildParams ChildArgs(const Args& a) {
  TMdiClient::ChildParams p;
  p.top = Coord(a, 1);
  p.left = Coord(a, 2);
  p.bottom = Coord(a, 3);
  p.right = Coord(a, 4);
  if (a.Arg(5).IsString()) p.caption = std::string(a.Str(5));
  p.style = static_cast<DWORD>(a.Int(6));
  return p;
}

const char* const kActiveRequests[] = {"COPY", "CUT",  "DELETE",     "FINDNEXT", "PASTE",   "PRINT",
                                       "REDO", "UNDO", "FIND",       "PROPERTIES", "REPLACE", "SELECTALL"};
const char* const kControlRequests[] = {"COPY", "CUT", "DELETE", "PASTE", "FIND", "FINDNEXT",
                                        "PROPERTIES", "REPLACE", "SELECTALL", "REDO", "UNDO"};

}  // namespace

// ---- TMDIFRAME ---------------------------------------------------------------------------------

const xb::Class& TMdiFrame::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMDIFRAME", &TWindow::Cls());
    c.Property("OWNDACTIVE", [](Object& o) { return RefValue(As<TMdiFrame>(o).oWndActive); },
               [](Object& o, const Value& v) { As<TMdiFrame>(o).oWndActive = xb::Ref<TMdiChild>(dynamic_cast<TMdiChild*>(v.AsObject().get())); });
    c.Property("OWNDCLIENT", [](Object& o) { return RefValue(As<TMdiFrame>(o).oWndClient); }, nullptr);
    c.Property("OMENUSTART", [](Object& o) { return RefValue(As<TMdiFrame>(o).oMenuStart); }, nullptr);
    c.Data("NMENUINFO", &TMdiFrame::nMenuInfo);
    c.Data("BONOPEN", &TMdiFrame::bOnOpen);
    c.Property("LREGISTERED", [](Object& o) { return Value::Logical(Registered(o.GetClass())); }, nullptr);
    // New(nTop, nLeft, nBottom, nRight, cTitle, nStyle, oMenu, oBrush, oIcon, nClrFore, nClrBack,
    //     lVScroll, lHScroll, nMenuInfo, , oWndOwner, lPixel)
    c.Method("NEW", [](Object& o, Args& a) {
      NewParams p;
      p.top = Coord(a, 1);
      p.left = Coord(a, 2);
      p.bottom = Coord(a, 3);
      p.right = Coord(a, 4);
      p.caption = std::string(a.Str(5));
      p.style = static_cast<DWORD>(a.Int(6));
      p.menu = a.Obj(7);
      p.brush = ObjectArg<TBrush>(a, 8);
      p.icon = IconArg(a, 9);
      p.clr_text = Colour(a, 10).value_or(0);
      p.clr_pane = Colour(a, 11);
      p.vscroll = a.Log(12);
      p.hscroll = a.Log(13);
      p.menu_info = Coord(a, 14);
      p.owner = ObjectArg<TWindow>(a, 16);
      p.pixel = a.Log(17);
      return As<TMdiFrame>(o).New(p).Self();
    });
    c.Method("CHILDNEW", [](Object& o, Args& a) { return RefValue(As<TMdiFrame>(o).ChildNew(ChildArgs(a))); });
    c.Method("CASCADE", [](Object& o, Args&) { As<TMdiFrame>(o).Cascade(); return Value(); });
    c.Method("CLOSEALL", [](Object& o, Args&) { return Value::Logical(As<TMdiFrame>(o).CloseAll()); });
    c.Method("ICONIZEALL", [](Object& o, Args&) { As<TMdiFrame>(o).IconizeAll(); return Value(); });
    c.Method("TILE", [](Object& o, Args& a) { As<TMdiFrame>(o).Tile(a.Log(1)); return Value(); });
    c.Method("ARRANGEICONS", [](Object& o, Args&) { As<TMdiFrame>(o).ArrangeIcons(); return Value(); });
    c.Method("NEXTWINDOW", [](Object& o, Args&) { As<TMdiFrame>(o).NextWindow(); return Value(); });
    c.Method("PREVWINDOW", [](Object& o, Args&) { As<TMdiFrame>(o).PrevWindow(); return Value(); });
    c.Method("SELECT", [](Object& o, Args& a) { As<TMdiFrame>(o).Select(static_cast<int>(a.Int(1))); return Value(); });
    c.Method("OPEN", [](Object& o, Args&) { As<TMdiFrame>(o).Open(); return Value(); });
    c.Method("SETMENU", [](Object& o, Args& a) { As<TMdiFrame>(o).SetMenu(a.Obj(1), Coord(a, 2)); return Value(); });
    for (const char* request : kActiveRequests) {
      c.Method(request, [request](Object& o, Args& a) {
        const auto& active = As<TMdiFrame>(o).oWndActive;
        return Forward(active ? xb::ObjectRef(active) : nullptr, request, a);
      });
    }
    return c;
  }();
  return cls;
}

// ---- TMDICLIENT --------------------------------------------------------------------------------

const xb::Class& TMdiClient::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMDICLIENT", &TWindow::Cls());
    c.Property("AWND",
               [](Object& o) {
                 xb::Array list = xb::Array::New();
                 for (const auto& child : As<TMdiClient>(o).aWnd) list.Append(RefValue(child));
                 return Value(list);
               },
               nullptr);
    c.Property("LREGISTERED", [](Object& o) { return Value::Logical(Registered(o.GetClass())); }, nullptr);
    // New(oWnd, nMenuInfo, nFirstId, oBrush, lVScroll, lHScroll)
    c.Method("NEW", [](Object& o, Args& a) {
      auto frame = ObjectArg<TMdiFrame>(a, 1);
      if (!frame) return Value();
      As<TMdiClient>(o).New(*frame, static_cast<int>(a.Int(2, 1)), static_cast<int>(a.Int(3, 1)),
                            ObjectArg<TBrush>(a, 4), a.Log(5), a.Log(6));
      return o.AsValue();
    });
    c.Method("TILE", [](Object& o, Args& a) { As<TMdiClient>(o).Tile(a.Log(1)); return Value(); });
    c.Method("CASCADE", [](Object& o, Args&) { As<TMdiClient>(o).Cascade(); return Value(); });
    c.Method("ARRANGEICONS", [](Object& o, Args&) { As<TMdiClient>(o).ArrangeIcons(); return Value(); });
    c.Method("NEXTWINDOW", [](Object& o, Args&) { As<TMdiClient>(o).NextWindow(); return Value(); });
    c.Method("PREVWINDOW", [](Object& o, Args&) { As<TMdiClient>(o).PrevWindow(); return Value(); });
    c.Method("GETACTIVE", [](Object& o, Args&) { return RefValue(As<TMdiClient>(o).GetActive()); });
    c.Method("ADD", [](Object& o, Args& a) { As<TMdiClient>(o).Add(ObjectArg<TMdiChild>(a, 1)); return Value(); });
    c.Method("CHILDNEW", [](Object& o, Args& a) { return RefValue(As<TMdiClient>(o).ChildNew(ChildArgs(a))); });
    auto with_child = [](void (TMdiClient::*fn)(TMdiChild&)) {
      return [fn](Object& o, Args& a) {
        if (auto child = ObjectArg<TMdiChild>(a, 1)) (As<TMdiClient>(o).*fn)(*child);
        return Value();
      };
    };
    c.Method("CHILDACTIVATE", with_child(&TMdiClient::ChildActivate));
    c.Method("CHILDMAXIMIZE", with_child(&TMdiClient::ChildMaximize));
    c.Method("CHILDRESTORE", with_child(&TMdiClient::ChildRestore));
    c.Method("CHILDCLOSE", with_child(&TMdiClient::ChildClose));
    c.Method("CHILDNEXT", [](Object& o, Args& a) {
      if (auto child = ObjectArg<TMdiChild>(a, 1)) As<TMdiClient>(o).ChildNext(*child, a.Log(2));
      return Value();
    });
    c.Method("LCLOSEALL", [](Object& o, Args&) { return Value::Logical(As<TMdiClient>(o).lCloseAll()); });
    c.Method("ICONIZEALL", [](Object& o, Args&) { As<TMdiClient>(o).IconizeAll(); return Value(); });
    c.Method("SELECT", [](Object& o, Args& a) { As<TMdiClient>(o).Select(static_cast<int>(a.Int(1))); return Value(); });
    c.Method("SETMENU", [](Object& o, Args& a) { As<TMdiClient>(o).SetMenu(a.Obj(1), Coord(a, 2)); return Value(); });
    return c;
  }();
  return cls;
}

// ---- TMDICHILD ---------------------------------------------------------------------------------

const xb::Class& TMdiChild::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMDICHILD", &TWindow::Cls());
    c.Property("OWNDCLIENT", [](Object& o) { return RefValue(As<TMdiChild>(o).oWndClient); }, nullptr);
    c.Property("OCONTROL", [](Object& o) { return RefValue(As<TMdiChild>(o).oControl); },
               [](Object& o, const Value& v) {
                 auto* w = dynamic_cast<TWindow*>(v.AsObject().get());
                 As<TMdiChild>(o).oControl = w != nullptr ? WindowRef(w) : nullptr;
               });
    c.Data("LKEEPMENU", &TMdiChild::lKeepMenu);
    c.Data("NMENUINFO", &TMdiChild::nMenuInfo);
    c.Property("LREGISTERED", [](Object&) { return Value::Logical(RegisterChildClass()); }, nullptr);
    // New(nTop, nLeft, nBottom, nRight, cTitle, nStyle, oMenu, oWnd, oIcon, lVScroll, nClrFore,
    //     nClrBack, oCursor, oBrush, lPixel, lHScroll, nHelpId, cBorder, lSysMenu, lCaption,
    //     lMin, lMax, nMenuInfo)
    c.Method("NEW", [](Object& o, Args& a) {
      NewParams p;
      p.top = Coord(a, 1);
      p.left = Coord(a, 2);
      p.bottom = Coord(a, 3);
      p.right = Coord(a, 4);
      if (a.Arg(5).IsString()) p.caption = std::string(a.Str(5));
      p.style = static_cast<DWORD>(a.Int(6));
      p.menu = a.Obj(7);
      p.frame = ObjectArg<TMdiFrame>(a, 8);
      p.icon = IconArg(a, 9);
      p.vscroll = a.Log(10);
      p.clr_text = Colour(a, 11);
      p.clr_pane = Colour(a, 12);
      p.cursor = a.Obj(13);
      p.brush = ObjectArg<TBrush>(a, 14);
      p.pixel = a.Log(15);
      p.hscroll = a.Log(16);
      p.help_id = static_cast<int>(a.Int(17));
      if (a.Arg(18).IsString()) p.border = std::string(a.Str(18));
      p.sys_menu = a.Log(19, true);
      p.caption_bar = a.Log(20, true);
      p.minimize_box = a.Log(21, true);
      p.maximize_box = a.Log(22, true);
      p.menu_info = Coord(a, 23);
      return As<TMdiChild>(o).New(p).Self();
    });
    c.Method("MAXIMIZE", [](Object& o, Args&) { As<TMdiChild>(o).Maximize(); return Value(); });
    c.Method("RESTORE", [](Object& o, Args&) { As<TMdiChild>(o).Restore(); return Value(); });
    c.Method("MDIACTIVATE", [](Object& o, Args& a) {
      auto handle = [&](int n) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(n))); };
      As<TMdiChild>(o).MdiActivate(a.Log(1), handle(2), handle(3));
      return Value();
    });
    c.Method("NEXT", [](Object& o, Args&) { As<TMdiChild>(o).Next(); return Value(); });
    c.Method("PREV", [](Object& o, Args&) { As<TMdiChild>(o).Prev(); return Value(); });
    c.Method("CENTER", [](Object& o, Args&) { As<TMdiChild>(o).Center(); return Value(); });
    c.Method("ISZOOMED", [](Object& o, Args&) { return Value::Logical(As<TMdiChild>(o).IsZoomed()); });
    c.Method("ISICONIC", [](Object& o, Args&) { return Value::Logical(As<TMdiChild>(o).IsIconic()); });
    c.Method("SETCONTROL", [](Object& o, Args& a) { As<TMdiChild>(o).SetControl(ObjectArg<TWindow>(a, 1)); return Value(); });
    c.Method("SETMENU", [](Object& o, Args& a) { As<TMdiChild>(o).SetMenu(a.Obj(1), Coord(a, 2)); return Value(); });
    c.Method("PRINT", [](Object& o, Args& a) {
      TMdiChild& child = As<TMdiChild>(o);
      if (child.bPrint.IsBlock()) return child.bPrint.AsBlock().Eval({child.Self()});
      if (child.oControl) return Forward(xb::ObjectRef(child.oControl), "PRINT", a);
      // Without either, the window's own image is printed.
      PrintWindowImage(child, a.Arg(1), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
                       a.IsNil(4) ? 4 : static_cast<int>(a.Int(4)));
      return Value();
    });
    for (const char* request : kControlRequests) {
      c.Method(request, [request](Object& o, Args& a) {
        const auto& control = As<TMdiChild>(o).oControl;
        return Forward(control ? xb::ObjectRef(control) : nullptr, request, a);
      });
    }
    return c;
  }();
  return cls;
}

void RegisterMdiClasses() {
  (void)TMdiFrame::Cls();
  (void)TMdiClient::Cls();
  (void)TMdiChild::Cls();
  xb::RegisterFunction("GETWNDFRAME", [](Args&) { return RefValue(TMdiFrame::Current()); });
  xb::RegisterFunction("TMDIFRAME", [](Args&) { return Value(xb::MakeRef<TMdiFrame>()); });
  xb::RegisterFunction("TMDICLIENT", [](Args&) { return Value(xb::MakeRef<TMdiClient>()); });
  xb::RegisterFunction("TMDICHILD", [](Args&) { return Value(xb::MakeRef<TMdiChild>()); });
}

}  // namespace ui
