// TWindow's message methods: what each decoded message does to the window and its blocks.
#include <windows.h>
#include <dde.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/proc_stack.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/menu_wrappers.h"
#include "ui/bridge/palette_table.h"
#include "ui/bridge/small_helpers.h"
#include "ui/bridge/text_drawing.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/help.h"
#include "ui/core/twindow.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

xb::Value Int(std::int64_t n) { return xb::Value::Integer(n); }
xb::Value Handle(const void* h) { return xb::Value::Integer(reinterpret_cast<std::intptr_t>(h)); }

bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }
bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

std::string GlobalAtomText(ATOM atom) {
  char text[256] = {};
  GlobalGetAtomNameA(atom, text, sizeof text);
  return text;
}

// "&Salir" -> 'S'; 0 when the prompt has no hot key.
int HotKey(const std::string& prompt) {
  const size_t amp = prompt.find('&');
  if (amp == std::string::npos || amp + 1 >= prompt.size()) return 0;
  return static_cast<unsigned char>(prompt[amp + 1]);
}

int FoldCase(int c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

std::string WithoutAmpersand(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
  return text;
}

}  // namespace

bool TWindow::RunKeyHandler(int key, xb::Value* result) {
  if (!xb::IsFunctionRegistered("SETKEY")) return false;
  const xb::Value handler = xb::CallFunction("SETKEY", {Int(key)});
  if (!handler.IsBlock()) return false;
  xb::Value value = handler.AsBlock().Eval({xb::Value::String(xb::ProcName(4)), Int(xb::ProcLine(4)), Self()});
  if (result != nullptr) *result = std::move(value);
  return true;
}

// ---- focus, moves and sizes --------------------------------------------------------------

Answer TWindow::GotFocus(HWND) {
  lFocused = true;
  Eval(bGotFocus, {Self()});
  if (hCtlFocus != nullptr && IsWindow(hCtlFocus)) {
    HWND target = hCtlFocus;
    if (WindowRef control = ControlOf(hCtlFocus)) target = control->FocusTarget();
    ::SetFocus(target);
  } else if (!aControls.empty() && aControls.front() && aControls.front()->hWnd != nullptr) {
    hCtlFocus = aControls.front()->hWnd;
    ::SetFocus(aControls.front()->FocusTarget());
  }
  return Answer::Number(0);
}

Answer TWindow::LostFocus(HWND receiving) {
  lFocused = false;
  DestroyToolTip();
  return AnswerOf(Eval(bLostFocus, {Handle(receiving), Self()}));
}

Answer TWindow::Moved(WPARAM, int x, int y) {
  Eval(bMoved, {Int(y), Int(x), Self()});
  return {};
}

namespace {
HWND WindowOf(const xb::ObjectRef& object) {
  auto* w = dynamic_cast<TWindow*>(object.get());
  return w != nullptr ? w->hWnd : nullptr;
}
HWND WindowOf(const WindowRef& w) { return w ? w->hWnd : nullptr; }
}  // namespace

HWND TWindow::DockTopItem() const { return oTop ? oTop->hWnd : WindowOf(oBar); }
HWND TWindow::DockBottomItem() const { return oBottom ? oBottom->hWnd : WindowOf(oMsgBar); }

void TWindow::DockChildren() {
  if (hWnd == nullptr) return;
  if (oTop) WndAdjTop(oTop->hWnd);
  if (oBottom) WndAdjBottom(oBottom->hWnd);
  if (auto* bar = dynamic_cast<WindowBar*>(oMsgBar.get())) bar->Adjust();
  if (auto* bar = dynamic_cast<WindowBar*>(oBar.get())) bar->Adjust();
  if (oLeft) WndAdjLeft(oLeft->hWnd, DockTopItem(), DockBottomItem());
  if (oRight) WndAdjRight(oRight->hWnd, DockTopItem(), DockBottomItem());
  if (oClient) {
    WndAdjClient(oClient->hWnd, DockTopItem(), DockBottomItem(), WindowOf(oLeft), WindowOf(oRight), false,
                 oClient->ClientBevel());
  }
}

Answer TWindow::ReSize(int type, int width, int height) {
  CoorsUpdate();
  DockChildren();
  Eval(OnResize, {Self()});
  Eval(bResized, {Int(type), Int(width), Int(height), Self()});
  return {};
}

Answer TWindow::QueryEndSession() { return Answer::Number(End() ? 1 : 0); }

Answer TWindow::GetMinMaxInfo(MINMAXINFO* info) {
  if (aMinMaxInfo && info != nullptr) *info = *aMinMaxInfo;
  return {};
}

Answer TWindow::QueryDragIcon() {
  HICON icon = nullptr;
  if (auto* own = dynamic_cast<WindowIcon*>(oIcon.get())) icon = own->hIcon();
  if (icon == nullptr) icon = LoadIconA(nullptr, IDI_APPLICATION);
  return Answer::Number(reinterpret_cast<LRESULT>(icon));
}

// The windows that show bitmaps with palettes realise and repaint them.
Answer TWindow::QueryNewPalette() { return Answer::Number(IsIconic() ? 0 : QryNewPalEvent()); }
Answer TWindow::PaletteChanged(HWND changer) { return Answer::Number(IsIconic() ? 0 : PalChgEvent(changer)); }

Answer TWindow::NcActivate(bool active) {
  if (!active && !bLostFocus.IsNil()) {
    HWND focus = ::GetFocus();
    if (focus != hWnd && !IsChild(hWnd, focus)) Eval(bLostFocus, {Handle(focus), Self()});
  }
  return {};
}

// ---- keys --------------------------------------------------------------------------------

Answer TWindow::KeyDown(int key, LPARAM flags) {
  nLastKey = key;
  if (key == VK_TAB && oWnd) {
    if (ShiftHeld()) {
      oWnd->GoPrevCtrl(hWnd);
    } else {
      oWnd->GoNextCtrl(hWnd);
    }
    return Answer::Number(0);
  }
  if ((key == VK_F4 || key == VK_F6) && CtrlHeld() && oWnd &&
      oWnd->GetClass().IsDerivedFrom("TMDICHILD")) {
    oWnd->KeyDown(key, flags);
    return Answer::Number(0);
  }
  if (RunKeyHandler(key)) return Answer::Number(0);
  if (key == VK_F1) {
    HelpTopic();
    return Answer::Number(0);
  }
  Eval(OnKeyDown, {Self(), Int(key), Int(flags)});
  if (!bKeyDown.IsNil()) return AnswerOf(Eval(bKeyDown, {Int(key), Int(flags), Self()}));
  if (oWnd && (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) && GetParent(hWnd) == oWnd->hWnd) {
    oWnd->KeyDown(key, flags);
  }
  return {};
}

Answer TWindow::KeyChar(int key, LPARAM flags) {
  nLastKey = key;
  xb::Value handled;
  if ((flags & (1 << 24)) != 0 && RunKeyHandler(key, &handled)) return AnswerOf(handled);
  Answer answer;
  if (!bKeyChar.IsNil()) answer = AnswerOf(Eval(bKeyChar, {Int(key), Int(flags), Self()}));
  // Escape goes on to the window this one is a child of, whatever bKeyChar did; an owned
  // pop-up (a dialog over another) keeps it.
  if (key == VK_ESCAPE && oWnd && hWnd != nullptr && (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) &&
      GetParent(hWnd) == oWnd->hWnd) {
    oWnd->KeyChar(key, flags);
  }
  return answer;
}

// ---- commands, menus and scrolling --------------------------------------------------------

Answer TWindow::Command(WPARAM wparam, LPARAM lparam) {
  const int code = HighWord(wparam);
  const int id = LowWord(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  if (WindowMenu* popup = MenuOf(oPopup)) {
    popup->Command(id);
    return {};
  }
  if (control == nullptr) {
    if (WindowMenu* menu = MenuOf(oMenu)) menu->Command(id);
    return {};
  }
  // The notification goes back to the control, which handles its own.
  if (code == BN_CLICKED) {
    SendMessageA(control, kFwClick, wparam, lparam);
  } else if (code == 8) {
    SendMessageA(control, kFwCommand8, wparam, lparam);
  } else if (code == 1) {
    SendMessageA(control, kFwChange, wparam, lparam);
  }
  if (wparam == 15000) {
    Eval(bUnZip, {Int(NPtrWord(static_cast<std::uintptr_t>(lparam))), Self()});
  } else if (wparam == 15001) {
    Eval(bZip, {Int(lparam), Self()});
  }
  return {};
}

Answer TWindow::SysCommand(WPARAM wparam, LPARAM lparam) {
  if (wparam == SC_KEYMENU && xb::IsFunctionRegistered("SETKEY") && RunKeyHandler(VK_F10)) {
    return Answer::Number(0);
  }
  if (wparam < 0xF000) {
    if (WindowMenu* menu = MenuOf(oSysMenu)) menu->Command(static_cast<int>(wparam));
    return {};
  }
  if (wparam == SC_CLOSE || wparam == (SC_CLOSE | 3)) return Answer::Logical(End());
  return {};
}

Answer TWindow::Timer(WPARAM id, LPARAM) {
  // Timers are objects of the timer class, which finds its own by identifier.
  if (xb::IsFunctionRegistered("TIMEREVENT")) xb::CallFunction("TIMEREVENT", {Int(static_cast<std::int64_t>(id))});
  return {};
}

namespace {

Answer Scroll(const xb::ObjectRef& own_bar, WPARAM wparam, LPARAM lparam) {
  const int code = LowWord(wparam);
  const int position = HighWord(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  if (control == nullptr) {
    auto* bar = dynamic_cast<WindowScrollBar*>(own_bar.get());
    if (bar == nullptr) return Answer::Number(0);
    switch (code) {
      case SB_LINEUP: bar->GoUp(); break;
      case SB_LINEDOWN: bar->GoDown(); break;
      case SB_PAGEUP: bar->PageUp(); break;
      case SB_PAGEDOWN: bar->PageDown(); break;
      case SB_THUMBPOSITION: bar->ThumbPos(position); break;
      case SB_THUMBTRACK: bar->ThumbTrack(position); break;
      default: break;
    }
    return Answer::Number(0);
  }
  switch (code) {
    case SB_LINEUP: SendMessageA(control, kFwScrollUp, 0, 0); break;
    case SB_LINEDOWN: SendMessageA(control, kFwScrollDown, 0, 0); break;
    case SB_PAGEUP: SendMessageA(control, kFwScrollPageUp, 0, 0); break;
    case SB_PAGEDOWN: SendMessageA(control, kFwScrollPageDown, 0, 0); break;
    case SB_THUMBPOSITION: SendMessageA(control, kFwThumbPos, static_cast<WPARAM>(position), 0); break;
    case SB_THUMBTRACK: SendMessageA(control, kFwThumbTrack, static_cast<WPARAM>(position), 0); break;
    default: break;
  }
  return Answer::Number(0);
}

}  // namespace

Answer TWindow::VScroll(WPARAM wparam, LPARAM lparam) { return Scroll(oVScroll, wparam, lparam); }
Answer TWindow::HScroll(WPARAM wparam, LPARAM lparam) { return Scroll(oHScroll, wparam, lparam); }

WindowMenuItem* TWindow::FindMenuItem(int id, WindowMenu** holder) {
  for (const xb::ObjectRef* source : {&oPopup, &oSysMenu, &oMenu}) {
    if (WindowMenu* menu = MenuOf(*source)) {
      if (WindowMenuItem* item = menu->GetMenuItem(id)) {
        if (holder != nullptr) *holder = menu;
        return item;
      }
    }
  }
  return nullptr;
}

Answer TWindow::MeasureItem(WPARAM id, MEASUREITEMSTRUCT* record) {
  if (record == nullptr) return {};
  if (id == 0) {
    WindowMenuItem* item = FindMenuItem(static_cast<int>(record->itemID), nullptr);
    if (item == nullptr && oPopup) {
      oPopup = nullptr;
      item = FindMenuItem(static_cast<int>(record->itemID), nullptr);
    }
    if (item == nullptr) return {};
    int width = GetTextWidth(nullptr, WithoutAmpersand(item->Prompt()), nullptr) + 20;
    if (item->HasBlockAction()) width += 20;
    MenuMeasureItem(record, width);
    return Answer::Logical(false);
  }
  if (WindowRef control = ControlOf(GetDlgItem(hWnd, static_cast<int>(id)))) {
    return control->MeasureItem(id, record);
  }
  return {};
}

Answer TWindow::DrawItem(WPARAM id, DRAWITEMSTRUCT* record) {
  if (record == nullptr) return {};
  if (id == 0 || record->CtlType == ODT_MENU) {
    WindowMenu* holder = nullptr;
    WindowMenuItem* item = nullptr;
    for (const xb::ObjectRef* source : {&oPopup, &oSysMenu}) {
      if (WindowMenu* menu = MenuOf(*source)) {
        if ((item = menu->GetMenuItem(static_cast<int>(record->itemID))) != nullptr) {
          holder = menu;
          break;
        }
      }
    }
    if (item == nullptr) {
      oPopup = nullptr;
      if (WindowMenu* menu = MenuOf(oMenu)) {
        item = menu->GetMenuItem(static_cast<int>(record->itemID));
        holder = menu;
      }
    }
    if (item != nullptr && holder != nullptr) holder->DrawItem(*item, record);
    return Answer::Number(1);
  }
  if (record->hwndItem != nullptr) {
    return AnswerOf(xb::Value::Integer(SendMessageA(record->hwndItem, kFwDrawItem, id,
                                                    reinterpret_cast<LPARAM>(record))));
  }
  return {};
}

Answer TWindow::MenuChar(int character, int, HMENU handle) {
  WindowMenu* menu = MenuOf(oPopup);
  if (menu == nullptr) menu = MenuOf(oMenu);
  if (menu == nullptr) return {};
  if (WindowMenu* sub = menu->GetSubMenu(handle)) menu = sub;
  for (int i = 0; i < menu->ItemCount(); ++i) {
    WindowMenuItem* item = menu->Item(i);
    if (item != nullptr && FoldCase(HotKey(item->Prompt())) == FoldCase(character)) {
      return Answer::Number(MAKELRESULT(i, MNC_EXECUTE));
    }
  }
  return Answer::Number(0);
}

Answer TWindow::MenuSelect(int id, int flags, HMENU handle) {
  DestroyToolTip();
  WindowMenuItem* item = nullptr;
  if (flags == 0xFFFF && handle == nullptr) {
    oMItemSelect = nullptr;  // the menu closed
  } else {
    item = FindMenuItem(id, nullptr);
    oMItemSelect = item;
    if (item != nullptr) SetMsg(item->Message());
  }
  auto* item_object = dynamic_cast<xb::Object*>(item);
  Eval(bMenuSelect, {item_object != nullptr ? item_object->AsValue() : xb::Value(), Int(flags), Handle(handle), Self()});
  return {};
}

Answer TWindow::InitMenuPopup(HMENU handle, int, bool system) {
  WindowMenu* popup = MenuOf(oPopup);
  if (popup != nullptr && popup->hMenu() == handle) {
    popup->Initiate(handle);
    return {};
  }
  if (system) {
    if (WindowMenu* menu = MenuOf(oSysMenu)) menu->Initiate(handle);
    return {};
  }
  if (WindowMenu* menu = MenuOf(oMenu)) {
    menu->Initiate(menu->hMenu());
    if (WindowMenu* sub = menu->GetSubMenu(handle)) sub->Initiate(handle);
  }
  return {};
}

// ---- colours and notifications -------------------------------------------------------------

Answer TWindow::CtlColor(HWND handle, HDC dc) {
  WindowRef control = ControlOf(handle);
  char name[32] = {};
  GetClassNameA(handle, name, sizeof name);
  const std::string kind = xb::UpperName(name);
  if (kind == "STATIC" || kind == "BUTTON") {
    const TWindow& colours = control ? *control : *this;
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, colours.nClrPane);
    SetTextColor(dc, colours.nClrText);
    return Answer::Number(reinterpret_cast<LRESULT>(CtlColorBrush()));
  }
  if (control) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, control->nClrPane);
    SetTextColor(dc, control->nClrText);
    return Answer::Number(reinterpret_cast<LRESULT>(control->CtlColorBrush()));
  }
  return {};  // Windows' own colours
}

Answer TWindow::Notify(WPARAM id, NMHDR* header) {
  if (!bNotify.IsNil()) {
    return AnswerOf(Eval(bNotify, {Int(static_cast<std::int64_t>(id)), Handle(header), Self()}));
  }
  if (header == nullptr) return {};
  const int code = static_cast<int>(header->code);
  if (code == 103 || code == -402 || code == -451 || code == -759) {
    if (WindowRef control = ControlOf(header->hwndFrom)) {
      if (code == -759) {
        control->Changed();
      } else {
        control->SelChanged();
      }
    }
  }
  return {};
}

// ---- mouse --------------------------------------------------------------------------------

Answer TWindow::MouseMove(int row, int col, WPARAM keys) {
  HCURSOR cursor = nullptr;
  if (auto* own = dynamic_cast<WindowCursor*>(oCursor.get())) cursor = own->hCursor();
  ::SetCursor(cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_ARROW));
  SetMsg(cMsg);  // an empty one brings the bar's default text back
  CheckToolTip();
  Eval(OnMouseMove, {Self(), Int(row), Int(col), Int(static_cast<std::int64_t>(keys))});
  if (!bMMoved.IsNil()) return AnswerOf(Eval(bMMoved, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()}));
  return Answer::Number(0);
}

Answer TWindow::NcMouseMove(WPARAM, int, int) {
  DestroyToolTip();
  return {};
}

Answer TWindow::LButtonDown(int row, int col, WPARAM keys) {
  return AnswerOf(Eval(bLClicked, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()}));
}

Answer TWindow::LButtonUp(int row, int col, WPARAM keys) {
  Eval(OnClick, {Self(), Int(row), Int(col)});
  return AnswerOf(Eval(bLButtonUp, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()}));
}

Answer TWindow::LDblClick(int row, int col, WPARAM keys) {
  return AnswerOf(Eval(bLDblClick, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()}));
}

Answer TWindow::RButtonDown(int row, int col, WPARAM keys) {
  Eval(bRClicked, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()});
  return {};
}

Answer TWindow::RButtonUp(int row, int col, WPARAM keys) {
  Eval(bRButtonUp, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()});
  return {};
}

Answer TWindow::MButtonDown(int row, int col, WPARAM keys) {
  Eval(bMButtonDown, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()});
  return {};
}

Answer TWindow::MButtonUp(int row, int col, WPARAM keys) {
  Eval(bMButtonUp, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()});
  return {};
}

Answer TWindow::DropFiles(HDROP drop) {
  // A drop not taken from before is finished first: each handle is Windows' memory.
  if (hDrop != nullptr && hDrop != drop) DragFinish(hDrop);
  hDrop = drop;
  POINT at = {};
  DragQueryPoint(drop, &at);
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  xb::Array files = xb::Array::New();
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH] = {};
    DragQueryFileA(drop, i, path, sizeof path);
    files.Append(xb::Value::String(path));
  }
  Eval(bDropFiles, {Int(at.y), Int(at.x), xb::Value(files), Self()});
  return {};
}

Answer TWindow::DropOver(int low, int high, LPARAM lparam) {
  Eval(bDropOver, {GetDropInfo(), Int(low), Int(high), Int(lparam), Self()});
  return {};
}

// ---- DDE and the rest ---------------------------------------------------------------------

Answer TWindow::DdeInitiate(HWND client, ATOM application, ATOM topic) {
  const xb::Value answer = Eval(bDdeInit, {Handle(client), xb::Value::String(GlobalAtomText(application)),
                                           xb::Value::String(GlobalAtomText(topic)), Self()});
  if (answer.IsLogical() && !answer.AsLogical()) return {};
  if (client != nullptr && !bDdeInit.IsNil()) {
    // The acknowledgement carries atoms of its own, which the client deletes.
    const ATOM own_application = GlobalAddAtomA(GlobalAtomText(application).c_str());
    const ATOM own_topic = GlobalAddAtomA(GlobalAtomText(topic).c_str());
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(own_application, own_topic));
  }
  return {};
}

Answer TWindow::DdeExecute(WPARAM wparam, LPARAM lparam) {
  auto commands = reinterpret_cast<HGLOBAL>(lparam);
  std::string text;
  if (const char* p = commands != nullptr ? static_cast<const char*>(GlobalLock(commands)) : nullptr) {
    text.assign(p, strnlen(p, GlobalSize(commands)));
    GlobalUnlock(commands);
  }
  Eval(bDdeExecute, {xb::Value::String(text), Self()});
  PostMessageA(reinterpret_cast<HWND>(wparam), WM_DDE_ACK, reinterpret_cast<WPARAM>(hWnd),
               PackDDElParam(WM_DDE_ACK, 1, reinterpret_cast<UINT_PTR>(commands)));
  return {};
}

Answer TWindow::DdeAck(WPARAM wparam, LPARAM lparam) {
  if (xb::IsFunctionRegistered("DDEACK")) xb::CallFunction("DDEACK", {Int(static_cast<std::int64_t>(wparam)), Int(lparam)});
  return {};
}

Answer TWindow::DdeTerminate(WPARAM wparam) {
  // The window that ends the conversation.
  if (xb::IsFunctionRegistered("DDETERMINATE")) {
    xb::CallFunction("DDETERMINATE", {Int(static_cast<std::int64_t>(wparam))});
  }
  return {};
}

Answer TWindow::CommNotify(WPARAM wparam, LPARAM lparam) {
  Eval(bCommNotify, {Int(static_cast<std::int64_t>(wparam)), Int(lparam), Self()});
  return {};
}

Answer TWindow::AsyncSelect(WPARAM wparam, LPARAM lparam) {
  Eval(bSocket, {Int(static_cast<std::int64_t>(wparam)), Int(lparam), Self()});
  return {};
}

Answer TWindow::TaskBar(WPARAM wparam, LPARAM lparam) {
  Eval(bTaskBar, {Int(static_cast<std::int64_t>(wparam)), Int(lparam), Self()});
  return {};
}

Answer TWindow::HelpF1() {
  if (oMItemSelect != nullptr) {
    oMItemSelect->HelpTopic();
  } else {
    HelpTopic();
  }
  return {};
}

void TWindow::HelpTopic() {
  if (nHelpId == 0) {
    if (oWnd) {
      oWnd->HelpTopic();
    } else if (GetHelpTopic().IsNil()) {
      HelpIndex();
    } else {
      ui::HelpTopic(GetHelpTopic());
    }
    return;
  }
  ui::HelpTopic(xb::Value::Integer(nHelpId));
}

}  // namespace ui
