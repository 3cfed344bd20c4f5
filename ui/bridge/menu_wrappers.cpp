#include "ui/bridge/menu_wrappers.h"

#include <cstdint>
#include <string>

#include "runtime/function_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

template <typename H>
H Hd(const Args& a, int n) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(a.Int(n)));
}
UINT U(const Args& a, int n) { return static_cast<UINT>(a.Int(n)); }
Value Ptr(const void* p) { return Value::Integer(reinterpret_cast<std::intptr_t>(p)); }
Value Num(std::int64_t n) { return Value::Integer(n); }
Value Log(bool b) { return Value::Logical(b); }

// The item argument of APPENDMENU and MODIFYMENU: a text, or a number (a bitmap handle, or
// the item data of an owner-drawn item) passed as it is.
LPCSTR ItemArg(const Args& a, int n, std::string& keep) {
  if (a.Arg(n).IsString()) {
    keep.assign(a.Str(n));
    return keep.c_str();
  }
  return reinterpret_cast<LPCSTR>(static_cast<std::intptr_t>(a.Int(n)));
}

// A resource named by text or by number.
LPCSTR ResourceArg(const Args& a, int n, std::string& keep) {
  if (a.Arg(n).IsNumber()) return MAKEINTRESOURCEA(static_cast<WORD>(a.Int(n)));
  keep.assign(a.Str(n));
  return keep.c_str();
}

}  // namespace

std::string MenuItemText(HMENU menu, UINT item, UINT flags) {
  char text[199] = {};
  const int length = GetMenuStringA(menu, item, text, sizeof text, flags);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

void MenuMeasureItem(MEASUREITEMSTRUCT* record, int width) {
  if (record == nullptr) return;
  record->itemWidth = static_cast<UINT>(width < 0 ? 0 : width);
  record->itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU));
}

bool GetKeyDown(int virtual_key) { return (GetKeyState(virtual_key) & 0x8000) != 0; }

bool GetKeyToggle(int virtual_key) { return GetKeyState(virtual_key) != 0; }

void KeyToggle(int virtual_key) {
  BYTE state[256] = {};
  if (!GetKeyboardState(state)) return;
  state[virtual_key & 0xFF] ^= 1;
  SetKeyboardState(state);
}

void RegisterMenuWrappers() {
  using xb::RegisterFunction;
  RegisterFunction("CREATEMENU", [](Args&) { return Ptr(CreateMenu()); });
  RegisterFunction("CREATEPOPUPMENU", [](Args&) { return Ptr(CreatePopupMenu()); });
  RegisterFunction("LOADMENU", [](Args& a) {
    std::string keep;
    return Ptr(LoadMenuA(Hd<HINSTANCE>(a, 1), ResourceArg(a, 2, keep)));
  });
  RegisterFunction("DESTROYMENU", [](Args& a) { return Log(DestroyMenu(Hd<HMENU>(a, 1))); });
  RegisterFunction("ISMENU", [](Args& a) { return Log(IsMenu(Hd<HMENU>(a, 1))); });
  RegisterFunction("APPENDMENU", [](Args& a) {
    std::string keep;
    return Log(AppendMenuA(Hd<HMENU>(a, 1), U(a, 2), static_cast<UINT_PTR>(a.Int(3)), ItemArg(a, 4, keep)));
  });
  RegisterFunction("INSERTMENU", [](Args& a) {
    std::string keep;
    return Log(InsertMenuA(Hd<HMENU>(a, 1), U(a, 2), U(a, 3), static_cast<UINT_PTR>(a.Int(4)), ItemArg(a, 5, keep)));
  });
  RegisterFunction("MODIFYMENU", [](Args& a) {
    std::string keep;
    return Log(ModifyMenuA(Hd<HMENU>(a, 1), U(a, 2), U(a, 3), static_cast<UINT_PTR>(a.Int(4)), ItemArg(a, 5, keep)));
  });
  RegisterFunction("REMOVEMENU", [](Args& a) { return Log(RemoveMenu(Hd<HMENU>(a, 1), U(a, 2), U(a, 3))); });
  RegisterFunction("ENABLEMENUITEM", [](Args& a) {
    return Log(EnableMenuItem(Hd<HMENU>(a, 1), U(a, 2), U(a, 3)) != static_cast<BOOL>(-1));
  });
  RegisterFunction("CHECKMENUITEM", [](Args& a) {
    return Log(CheckMenuItem(Hd<HMENU>(a, 1), U(a, 2), U(a, 3)) != static_cast<DWORD>(-1));
  });
  RegisterFunction("HILITEMENUITEM", [](Args& a) {
    return Log(HiliteMenuItem(Hd<HWND>(a, 1), Hd<HMENU>(a, 2), U(a, 3), U(a, 4)));
  });
  RegisterFunction("GETMENUSTATE", [](Args& a) {
    return Num(static_cast<std::int32_t>(GetMenuState(Hd<HMENU>(a, 1), U(a, 2), U(a, 3))));
  });
  RegisterFunction("GETMENUSTRING", [](Args& a) {
    return Value::String(MenuItemText(Hd<HMENU>(a, 1), U(a, 2), U(a, 3)));
  });
  RegisterFunction("GETMITEMCOUNT", [](Args& a) { return Num(GetMenuItemCount(Hd<HMENU>(a, 1))); });
  RegisterFunction("GETMITEMID", [](Args& a) {
    return Num(static_cast<std::int32_t>(GetMenuItemID(Hd<HMENU>(a, 1), static_cast<int>(a.Int(2)))));
  });
  RegisterFunction("GETSUBMENU", [](Args& a) { return Ptr(GetSubMenu(Hd<HMENU>(a, 1), static_cast<int>(a.Int(2)))); });
  RegisterFunction("GETSYSTEMMENU", [](Args& a) { return Ptr(GetSystemMenu(Hd<HWND>(a, 1), a.Log(2))); });
  RegisterFunction("SETMENU", [](Args& a) { return Log(SetMenu(Hd<HWND>(a, 1), Hd<HMENU>(a, 2))); });
  RegisterFunction("DRAWMENUBAR", [](Args& a) { DrawMenuBar(Hd<HWND>(a, 1)); return Value(); });
  RegisterFunction("TRACKPOPUP", [](Args& a) {
    return Log(TrackPopupMenu(Hd<HMENU>(a, 1), U(a, 2), static_cast<int>(a.Int(4)), static_cast<int>(a.Int(3)),
                              static_cast<int>(a.Int(5)), Hd<HWND>(a, 6), nullptr));
  });
  RegisterFunction("MENUMEASUREITEM", [](Args& a) {
    MenuMeasureItem(Hd<MEASUREITEMSTRUCT*>(a, 1), static_cast<int>(a.Int(2)));
    return Value();
  });
  RegisterFunction("GETMEAITEM", [](Args& a) -> Value {
    auto* record = Hd<MEASUREITEMSTRUCT*>(a, 1);
    return record != nullptr ? Num(record->itemID) : Num(0);
  });
  RegisterFunction("GETDRAWITEM", [](Args& a) -> Value {
    auto* record = Hd<DRAWITEMSTRUCT*>(a, 1);
    return record != nullptr ? Num(record->itemID) : Num(0);
  });
  RegisterFunction("GETDRAWMENU", [](Args& a) -> Value {
    auto* record = Hd<DRAWITEMSTRUCT*>(a, 1);
    return record != nullptr ? Ptr(record->hwndItem) : Num(0);
  });

  RegisterFunction("GETKEYSTATE", [](Args& a) { return Log(GetKeyDown(static_cast<int>(a.Int(1)))); });
  RegisterFunction("GETKEYTOGGLE", [](Args& a) { return Log(GetKeyToggle(static_cast<int>(a.Int(1)))); });
  RegisterFunction("KEYTOGGLE", [](Args& a) { KeyToggle(static_cast<int>(a.Int(1))); return Value(); });
}

}  // namespace ui
