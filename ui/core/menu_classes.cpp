// The messages of TMENU and TMENUITEM that text compiled at run time may send, and the menu
// building functions by name (MENUBEGIN, MENUADDITEM, MENUEND, ...).
#include <cstdint>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/core/menu_builder.h"
#include "ui/core/menu_draw_item.h"
#include "ui/core/menu_image_strip.h"
#include "ui/core/object_text.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TMenu& M(Object& o) { return xb::Class::Cast<TMenu>(o); }
TMenuItem& I(Object& o) { return xb::Class::Cast<TMenuItem>(o); }

Value Int(std::int64_t n) { return Value::Integer(n); }
Value Handle(const void* h) { return Value::Integer(reinterpret_cast<std::intptr_t>(h)); }
template <typename T>
Value ValueOf(const xb::Ref<T>& o) {
  return o ? Value(o) : Value();
}
Value ValueOf(TMenuItem* item) { return item != nullptr ? item->Self() : Value(); }
Value ValueOf(TMenu* menu) { return menu != nullptr ? menu->Self() : Value(); }

TWindow* WindowArg(const Args& a, int n) { return dynamic_cast<TWindow*>(a.Obj(n).get()); }
TMenuItem* ItemArg(const Args& a, int n) { return dynamic_cast<TMenuItem*>(a.Obj(n).get()); }
HMENU MenuHandleArg(const Args& a, int n) {
  return reinterpret_cast<HMENU>(static_cast<std::intptr_t>(a.Int(n)));
}

// The arguments of TMenuItem's New, from `first` on: prompt, message, checked, active,
// action, picture file, resource name, key state, virtual key, help flag, help identifier,
// when block, break flag.
TMenuItem::Spec ItemSpec(const Args& a, int first) {
  TMenuItem::Spec s;
  s.prompt = std::string(a.Str(first));
  s.message = std::string(a.Str(first + 1));
  s.checked = a.Log(first + 2);
  s.active = a.Log(first + 3, true);
  s.action = a.Arg(first + 4);
  s.bitmap_file = std::string(a.Str(first + 5));
  s.resource_name = std::string(a.Str(first + 6));
  s.vk_state = static_cast<int>(a.Int(first + 7));
  s.virt_key = static_cast<int>(a.Int(first + 8));
  s.help = a.Log(first + 9);
  s.help_id = static_cast<int>(a.Int(first + 10));
  s.when = a.Arg(first + 11);
  s.menu_break = a.Log(first + 12);
  return s;
}

Value ItemsValue(const std::vector<xb::Ref<TMenuItem>>& items) {
  xb::Array list = xb::Array::New();
  for (const auto& item : items) list.Append(ValueOf(item));
  return Value(list);
}

Value Strings(std::initializer_list<const char*> texts) {
  xb::Array list = xb::Array::New();
  for (const char* t : texts) list.Append(Value::String(t));
  return Value(list);
}

void DefineItemMessages(xb::Class& c) {
  c.Data("CPROMPT", &TMenuItem::cPrompt);
  c.Data("CMSG", &TMenuItem::cMsg);
  c.Data("CVARNAME", &TMenuItem::cVarName);
  c.Data("NID", &TMenuItem::nId);
  c.Data("NHELPID", &TMenuItem::nHelpId);
  c.Data("BACTION", &TMenuItem::bAction);
  c.Data("BWHEN", &TMenuItem::bWhen);
  c.Data("CWEBACTION", &TMenuItem::cWebAction);
  c.Data("LACTIVE", &TMenuItem::lActive);
  c.Data("LBREAK", &TMenuItem::lBreak);
  c.Data("LCHECKED", &TMenuItem::lChecked);
  c.Data("LHELP", &TMenuItem::lHelp);
  c.Data("NVKSTATE", &TMenuItem::nVKState);
  c.Data("NVIRTKEY", &TMenuItem::nVirtKey);
  c.Data("NBITMAP", &TMenuItem::nBitmap);
  c.Data("CBITMAP", &TMenuItem::cBitmap);
  c.Data("CARGO", &TMenuItem::Cargo);
  c.Property("OMENU", [](Object& o) { return ValueOf(I(o).oMenu); }, nullptr);
  c.Property("HBITMAP", [](Object& o) { return Handle(I(o).hBitmap); }, nullptr);
  c.Property("CCAPTION", [](Object& o) { return Value::String(I(o).cCaption()); },
             [](Object& o, const Value& v) { I(o).SetPrompt(std::string(v.AsString())); });
  c.Property("NINITID", [](Object&) { return Int(TMenuItem::nInitId); },
             [](Object&, const Value& v) { TMenuItem::nInitId = static_cast<int>(v.AsInt()); });
  c.Property("APROPERTIES", [](Object&) {
    return Strings({"cCaption", "cMsg", "cVarName", "lActive", "lBreak", "lChecked", "nId"});
  }, nullptr);
  c.Property("AEVENTS", [](Object&) { return Strings({"OnActivate", "OnClick"}); }, nullptr);

  c.Method("NEW", [](Object& o, Args& a) {
    I(o).Init(ItemSpec(a, 1));
    return o.AsValue();
  });
  // ReDefine(the arguments of New, menu, identifier): takes over the item of that
  // identifier in the menu; NIL when the menu holds none.
  c.Method("REDEFINE", [](Object&, Args& a) -> Value {
    auto* menu = dynamic_cast<TMenu*>(a.Obj(14).get());
    if (menu == nullptr) return Value();
    return ValueOf(TMenuItem::ReDefine(*menu, static_cast<int>(a.Int(15)), ItemSpec(a, 1)));
  });
  c.Method("SAVE", [](Object& o, Args&) { return Value::String(SaveObject(o.AsValue())); });
  c.Method("LOAD", [](Object& o, Args& a) { return Value::Logical(LoadObject(o.AsValue(), a.Str(1))); });
  c.Method("SETCHECK", [](Object& o, Args& a) { I(o).SetCheck(a.Log(1)); return Value(); });
  c.Method("ENABLE", [](Object& o, Args&) { I(o).Enable(); return Value(); });
  c.Method("DISABLE", [](Object& o, Args&) { I(o).Disable(); return Value(); });
  c.Method("SETPROMPT", [](Object& o, Args& a) { I(o).SetPrompt(std::string(a.Str(1))); return Value(); });
  c.Method("HELPTOPIC", [](Object& o, Args&) { I(o).HelpTopic(); return Value(); });
  c.Method("DESTROY", [](Object& o, Args&) { I(o).Destroy(); return Value(); });
  c.Method("END", [](Object& o, Args&) { I(o).End(); return Value(); });
  c.Method("REFRESH", [](Object&, Args&) { return Value(); });
  c.Method("INSPECT", [](Object&, Args&) { return Value(); });
}

void DefineMenuMessages(xb::Class& c) {
  c.Property("HMENU", [](Object& o) { return Handle(M(o).hMenu()); }, nullptr);
  // Assigning a list of items (Load) appends them to a menu, made first when it has none.
  c.Property("AITEMS", [](Object& o) { return ItemsValue(M(o).aItems); },
             [](Object& o, const Value& v) {
               const xb::Array items = v.AsArray();
               if (!items) return;
               if (M(o).hMenu() == nullptr) M(o).InitNew(M(o).lPopup, nullptr);
               for (const Value& item : items) {
                 if (auto* i = dynamic_cast<TMenuItem*>(item.AsObject().get())) M(o).Add(xb::Ref<TMenuItem>(i));
               }
             });
  c.Property("OWND", [](Object& o) { return ValueOf(M(o).oWnd); },
             [](Object& o, const Value& v) { M(o).SetWindow(dynamic_cast<TWindow*>(v.AsObject().get())); });
  c.Data("LSYSMENU", &TMenu::lSysMenu);
  c.Data("LPOPUP", &TMenu::lPopup);
  c.Data("NHELPID", &TMenu::nHelpId);
  c.Data("CVARNAME", &TMenu::cVarName);
  c.Property("OACCTABLE", [](Object& o) { return ValueOf(M(o).oAccTable); }, nullptr);
  c.Property("OMENUITEMPOPUP", [](Object& o) { return ValueOf(M(o).oMenuItemPopup); }, nullptr);
  c.Property("OLASTITEM", [](Object&) { return ValueOf(TMenu::oLastItem); }, nullptr);
  c.Property("APROPERTIES", [](Object&) { return Strings({"aItems", "cVarName"}); }, nullptr);

  c.Method("NEW", [](Object& o, Args& a) {
    M(o).InitNew(a.Log(1), WindowArg(a, 2));
    return o.AsValue();
  });
  c.Method("REDEFINE", [](Object& o, Args& a) {
    const std::string name = a.Arg(1).IsNumber() ? "#" + std::to_string(a.Int(1)) : std::string(a.Str(1));
    return M(o).InitReDefine(name, a.Log(2)) ? o.AsValue() : Value();
  });
  c.Method("NEWSYS", [](Object& o, Args& a) {
    if (TWindow* w = WindowArg(a, 1)) M(o).InitSys(*w);
    return o.AsValue();
  });
  c.Method("ADD", [](Object& o, Args& a) {
    if (TMenuItem* item = ItemArg(a, 1)) M(o).Add(xb::Ref<TMenuItem>(item), a.Log(2));
    return Value();
  });
  c.Method("INSERT", [](Object& o, Args& a) {
    if (TMenuItem* item = ItemArg(a, 1)) M(o).Insert(xb::Ref<TMenuItem>(item), static_cast<int>(a.Int(2)));
    return Value();
  });
  c.Method("SAVE", [](Object& o, Args&) { return Value::String(SaveObject(o.AsValue())); });
  c.Method("LOAD", [](Object& o, Args& a) { return Value::Logical(LoadObject(o.AsValue(), a.Str(1))); });
  c.Method("DELITEM", [](Object& o, Args&) { M(o).DelItem(); return Value(); });
  c.Method("COMMAND", [](Object& o, Args& a) { M(o).Command(static_cast<int>(a.Int(1))); return Value(); });
  c.Method("ACTIVATE", [](Object& o, Args& a) {
    TWindow* w = WindowArg(a, 3);
    if (w == nullptr) w = M(o).oWnd.get();
    if (w != nullptr) M(o).Activate(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), *w, a.Log(4, true));
    return Value();
  });
  c.Method("INITIATE", [](Object& o, Args&) { M(o).Initiate(M(o).hMenu()); return Value(); });
  c.Method("GETMENUITEM", [](Object& o, Args& a) { return ValueOf(M(o).FindItem(static_cast<int>(a.Int(1)))); });
  c.Method("GETPOPUP", [](Object&, Args& a) { return ValueOf(TMenu::GetPopup(MenuHandleArg(a, 1))); });
  c.Method("GETSUBMENU", [](Object& o, Args& a) { return ValueOf(M(o).FindSubMenu(MenuHandleArg(a, 1))); });
  c.Method("END", [](Object& o, Args&) { M(o).End(); return Value(); });
  c.Method("DESTROY", [](Object& o, Args&) { M(o).Destroy(); return Value(); });
  c.Method("REFRESH", [](Object& o, Args&) { M(o).Refresh(); return Value(); });
  c.Method("RESET", [](Object& o, Args&) { M(o).Reset(); return Value(); });
  c.Method("HILITE", [](Object& o, Args& a) { M(o).Hilite(static_cast<int>(a.Int(1))); return Value(); });
  c.Method("UNHILITE", [](Object& o, Args& a) { M(o).UnHilite(static_cast<int>(a.Int(1))); return Value(); });
  c.Method("ENABLE", [](Object& o, Args&) { M(o).Enable(); return Value(); });
  c.Method("DISABLE", [](Object& o, Args&) { M(o).Disable(); return Value(); });
  c.Method("HELPTOPIC", [](Object& o, Args&) { M(o).HelpTopic(); return Value(); });
  c.Method("LASTITEM", [](Object& o, Args&) { return ValueOf(M(o).LastItem()); });
  c.Method("LOADBMP", [](Object& o, Args& a) {
    TMenuItem* item = ItemArg(a, 1);
    return item != nullptr ? Int(M(o).LoadBmp(*item)) : Int(0);
  });
  c.Method("ADDFILE", [](Object& o, Args&) { M(o).AddFile(); return Value(); });
  c.Method("ADDEDIT", [](Object& o, Args&) { M(o).AddEdit(); return Value(); });
  c.Method("ADDHELP", [](Object& o, Args& a) { M(o).AddHelp(std::string(a.Str(1))); return Value(); });
  c.Method("ADDMDI", [](Object& o, Args&) { M(o).AddMdi(); return Value(); });
}

}  // namespace

const xb::Class& TMenuItem::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMENUITEM");
    DefineItemMessages(c);
    return c;
  }();
  return cls;
}

const xb::Class& TMenu::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMENU");
    DefineMenuMessages(c);
    return c;
  }();
  return cls;
}

void RegisterMenuFunctions() {
  static bool done = false;
  if (done) return;
  done = true;
  (void)TMenu::Cls();
  (void)TMenuItem::Cls();
  (void)TAccTable::Cls();
  xb::RegisterFunction("TMENU", [](Args&) { return Value(xb::MakeRef<TMenu>()); });
  xb::RegisterFunction("TMENUITEM", [](Args&) { return Value(xb::MakeRef<TMenuItem>()); });
  xb::RegisterFunction("TACCTABLE", [](Args&) { return Value(TAccTable::New()); });
  xb::RegisterFunction("MENUBEGIN", [](Args& a) { return ValueOf(MenuBegin(a.Log(1), a.Log(2), WindowArg(a, 3))); });
  // The action is the ninth argument when given, else the fifth; the eighth (a menu) is
  // not used.
  xb::RegisterFunction("MENUADDITEM", [](Args& a) {
    TMenuItem::Spec s;
    s.prompt = std::string(a.Str(1));
    s.message = std::string(a.Str(2));
    s.checked = a.Log(3);
    s.active = a.Log(4, true);
    s.action = a.IsNil(9) ? a.Arg(5) : a.Arg(9);
    s.bitmap_file = std::string(a.Str(6));
    s.resource_name = std::string(a.Str(7));
    s.vk_state = static_cast<int>(a.Int(10));
    s.virt_key = static_cast<int>(a.Int(11));
    s.help = a.Log(12);
    s.help_id = static_cast<int>(a.Int(13));
    s.when = a.Arg(14);
    s.menu_break = a.Log(15);
    return ValueOf(MenuAddItem(s));
  });
  xb::RegisterFunction("MENUEND", [](Args&) { return ValueOf(MenuEnd()); });
  xb::RegisterFunction("LASTMENU", [](Args&) { return ValueOf(LastMenu()); });
  xb::RegisterFunction("LASTITEMPOS", [](Args&) { return Int(LastItemPos()); });
  xb::RegisterFunction("MENUDRAWITEM", [](Args& a) {
    auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(static_cast<std::intptr_t>(a.Int(1)));
    return Value::Logical(MenuDrawItem(record, std::string(a.Str(2)), a.Log(3), static_cast<int>(a.Int(4))));
  });
  xb::RegisterFunction("DELBMPMNU", [](Args&) {
    MenuImageStrip::Delete();
    return Value();
  });
}

}  // namespace ui
