#include "ui/core/tmenu.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "runtime/block.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/resources.h"
#include "ui/core/help.h"
#include "ui/core/menu_draw_item.h"
#include "ui/core/menu_image_strip.h"

namespace ui {
namespace {

// Every menu alive, and the popups among them (a submenu joins the popups when it is
// added to its item's menu).
std::vector<TMenu*>& AllMenus() {
  static std::vector<TMenu*> menus;
  return menus;
}
std::vector<TMenu*>& Popups() {
  static std::vector<TMenu*> popups;
  return popups;
}

void Forget(std::vector<TMenu*>& list, TMenu* menu) { std::erase(list, menu); }

void JoinPopups(TMenu* menu) {
  auto& popups = Popups();
  if (std::find(popups.begin(), popups.end(), menu) == popups.end()) popups.push_back(menu);
}

UINT_PTR HandleId(HMENU menu) { return reinterpret_cast<UINT_PTR>(menu); }

// A copy of a menu (its items and, recursively, its submenus) as a new popup menu.
HMENU MenuClone(HMENU source) {
  HMENU copy = CreatePopupMenu();
  const int count = GetMenuItemCount(source);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP;
    info.dwTypeData = text;
    info.cch = sizeof text - 1;
    if (!GetMenuItemInfoA(source, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.hSubMenu != nullptr) info.hSubMenu = MenuClone(info.hSubMenu);
    info.dwTypeData = text;
    InsertMenuItemA(copy, static_cast<UINT>(i), TRUE, &info);
  }
  return copy;
}

}  // namespace

xb::Ref<TMenuItem> TMenu::oLastItem;

int LiveMenuCount() { return static_cast<int>(AllMenus().size()); }

TMenu::TMenu() : xb::Object(Cls()) { AllMenus().push_back(this); }

TMenu::~TMenu() {
  Forget(AllMenus(), this);
  Forget(Popups(), this);
}

void TMenu::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  for (const auto& item : aItems) {
    if (item) visitor.Visit(item.get());
  }
  for (xb::Object* held : {static_cast<xb::Object*>(oWnd.get()), static_cast<xb::Object*>(oAccTable.get()),
                           static_cast<xb::Object*>(oMenuItemPopup.get())}) {
    if (held != nullptr) visitor.Visit(held);
  }
}

void TMenu::ClearValues() {
  xb::Object::ClearValues();
  aItems.clear();
  oWnd = nullptr;
  oAccTable = nullptr;
  oMenuItemPopup = nullptr;
}

// ---- construction ---------------------------------------------------------------------

xb::Ref<TMenu> TMenu::New(bool popup, TWindow* window) {
  auto menu = xb::MakeRef<TMenu>();
  menu->InitNew(popup, window);
  return menu;
}

void TMenu::InitNew(bool popup, TWindow* window) {
  lPopup = popup;
  hmenu_ = popup ? CreatePopupMenu() : CreateMenu();
  if (popup) JoinPopups(this);
  if (window != nullptr) window->SetMenu(xb::ObjectRef(this));
}

xb::Ref<TMenu> TMenu::ReDefine(const std::string& resource, bool popup) {
  auto menu = xb::MakeRef<TMenu>();
  if (!menu->InitReDefine(resource, popup)) return nullptr;
  return menu;
}

bool TMenu::InitReDefine(const std::string& resource, bool popup) {
  LPCSTR name = resource.c_str();
  if (resource.size() > 1 && resource[0] == '#') {
    name = MAKEINTRESOURCEA(static_cast<WORD>(std::atoi(resource.c_str() + 1)));
  }
  HMENU loaded = LoadMenuA(GetResources(), name);
  if (loaded == nullptr) return false;
  lPopup = popup;
  if (popup) {
    hmenu_ = MenuClone(loaded);
    DestroyMenu(loaded);
    JoinPopups(this);
  } else {
    hmenu_ = loaded;
  }
  RebuildFrom(hmenu_);
  return true;
}

void TMenu::RebuildFrom(HMENU source) {
  const int count = GetMenuItemCount(source);
  for (int i = 0; i < count; ++i) {
    auto item = xb::MakeRef<TMenuItem>();
    item->oMenu = xb::Ref<TMenu>(this);
    const UINT state = GetMenuState(source, static_cast<UINT>(i), MF_BYPOSITION);
    item->lChecked = (state & MF_CHECKED) != 0;
    item->lActive = (state & (MF_GRAYED | MF_DISABLED)) == 0;
    item->lBreak = (state & MF_MENUBREAK) != 0;
    item->lHelp = (state & MF_HELP) != 0;
    if ((state & MF_SEPARATOR) == 0) {
      char text[256] = {};
      GetMenuStringA(source, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      item->cPrompt = text;
    }
    if (HMENU sub = ::GetSubMenu(source, i)) {
      auto submenu = xb::MakeRef<TMenu>();
      submenu->lPopup = true;
      submenu->hmenu_ = sub;
      JoinPopups(submenu.get());
      submenu->RebuildFrom(sub);
      item->bAction = xb::Value(submenu);
    } else {
      item->nId = static_cast<int>(GetMenuItemID(source, i));
    }
    aItems.push_back(item);
  }
}

xb::Ref<TMenu> TMenu::NewSys(TWindow& window) {
  auto menu = xb::MakeRef<TMenu>();
  menu->InitSys(window);
  return menu;
}

void TMenu::InitSys(TWindow& window) {
  lSysMenu = true;
  hmenu_ = ::GetSystemMenu(window.hWnd, FALSE);
  oWnd = WindowRef(&window);
  window.oSysMenu = xb::ObjectRef(this);
}

// ---- items ----------------------------------------------------------------------------

void TMenu::PutEntry(TMenuItem& item, bool root, int position) {
  UINT flags = 0;
  UINT_PTR id = static_cast<UINT_PTR>(item.nId);
  LPCSTR data = nullptr;
  auto put = [&] {
    if (position < 0) {
      AppendMenuA(hmenu_, flags, id, data);
    } else {
      InsertMenuA(hmenu_, static_cast<UINT>(position), flags | MF_BYPOSITION, id, data);
    }
  };
  const UINT marks = (item.lHelp ? MF_HELP : 0) | (item.lChecked ? MF_CHECKED : 0) |
                     (item.lBreak ? MF_MENUBREAK : 0);
  if (TMenu* sub = item.SubMenu()) {
    flags = MF_POPUP | marks | (item.lActive ? 0 : MF_DISABLED);
    id = HandleId(sub->hMenu());
    if (item.hBitmap != nullptr) {
      flags |= MF_BITMAP;
      data = reinterpret_cast<LPCSTR>(item.hBitmap);
    } else {
      data = item.cPrompt.c_str();
    }
    JoinPopups(sub);
    put();
    return;
  }
  if (!item.cPrompt.empty()) {
    const bool picture = item.hBitmap != nullptr || item.nBitmap != 0;
    if (picture && item.nBitmap == 0) LoadBmp(item);
    if (!item.lActive) {
      flags = MF_STRING | MF_GRAYED | MF_DISABLED;
      data = item.cPrompt.c_str();
    } else if (picture || (!root && !lSysMenu)) {
      flags = MF_OWNERDRAW;
      data = reinterpret_cast<LPCSTR>(static_cast<std::intptr_t>(item.nId));
    } else {
      flags = MF_STRING;
      data = item.cPrompt.c_str();
    }
    flags |= marks;
    put();
    return;
  }
  if (item.hBitmap != nullptr) {
    flags = MF_BITMAP | marks | (item.lActive ? 0 : MF_GRAYED | MF_DISABLED);
    data = reinterpret_cast<LPCSTR>(item.hBitmap);
    put();
    return;
  }
  flags = MF_SEPARATOR;
  id = 0;
  put();
}

void TMenu::Add(xb::Ref<TMenuItem> item, bool root) {
  if (!item) return;
  item->oMenu = xb::Ref<TMenu>(this);
  aItems.push_back(item);
  PutEntry(*item, root, -1);
}

void TMenu::Insert(xb::Ref<TMenuItem> item, int position, bool root) {
  if (!item) return;
  if (position < 1 || position > static_cast<int>(aItems.size())) {
    Add(std::move(item), root);
    return;
  }
  item->oMenu = xb::Ref<TMenu>(this);
  const int at = aItems[static_cast<size_t>(position) - 1]->Position();
  aItems.insert(aItems.begin() + (position - 1), item);
  PutEntry(*item, root, at);
}

void TMenu::DelItem() {
  if (aItems.empty()) return;
  xb::Ref<TMenuItem> last = aItems.back();
  const int at = last->Position();
  if (at >= 0) RemoveMenu(hmenu_, static_cast<UINT>(at), MF_BYPOSITION);
  last->Destroy();
  if (TMenu* sub = last->SubMenu()) sub->End();
  aItems.pop_back();
  last->oMenu = nullptr;
}

int TMenu::LoadBmp(TMenuItem& item) {
  MenuImageStrip& strip = MenuImageStrip::Get();
  const std::string name = !item.cBitmap.empty() ? item.cBitmap : std::to_string(item.nId);
  const int slot = strip.Take(name, item.hBitmap);
  item.Destroy();  // the item's own bitmap goes; the strip holds the picture
  item.hBitmap = strip.Placeholder();
  item.nBitmap = slot;
  return slot;
}

WindowMenuItem* TMenu::Item(int index) {
  if (index < 0 || index >= static_cast<int>(aItems.size())) return nullptr;
  return aItems[static_cast<size_t>(index)].get();
}

TMenuItem* TMenu::FindItem(int id) {
  for (const auto& item : aItems) {
    TMenu* sub = item->SubMenu();
    if (sub == nullptr && item->nId == id) return item.get();
    if (sub != nullptr) {
      if (HandleId(sub->hMenu()) == static_cast<UINT_PTR>(static_cast<UINT>(id))) return item.get();
      if (TMenuItem* inner = sub->FindItem(id)) return inner;
    }
  }
  return nullptr;
}

TMenu* TMenu::FindSubMenu(HMENU menu) {
  for (const auto& item : aItems) {
    if (TMenu* sub = item->SubMenu()) {
      if (sub->hMenu() == menu) return sub;
      if (TMenu* inner = sub->FindSubMenu(menu)) return inner;
    }
  }
  return nullptr;
}

TMenu* TMenu::GetPopup(HMENU menu) {
  for (TMenu* popup : Popups()) {
    if (popup->hMenu() == menu) return popup;
  }
  return nullptr;
}

TMenuItem* TMenu::LastItem() { return aItems.empty() ? nullptr : aItems.back().get(); }

// ---- commands -------------------------------------------------------------------------

void TMenu::Command(int id) {
  TMenuItem* found = FindItem(id);
  if (found == nullptr || !found->bAction.IsBlock()) return;
  xb::Ref<TMenuItem> item(found);
  if (!item->WhenHolds()) return;
  oLastItem = item;
  if (lPopup) oMenuItemPopup = item;
  item->Run();
}

void TMenu::Initiate(HMENU) {
  for (const auto& item : aItems) {
    if (!item->bWhen.IsBlock()) continue;
    if (item->WhenHolds()) {
      item->Enable();
    } else {
      item->Disable();
    }
  }
}

void TMenu::Activate(int row, int col, TWindow& window, bool end_after) {
  if (hmenu_ == nullptr || window.hWnd == nullptr) return;
  xb::Ref<TMenu> keep(this);
  WindowRef owner(&window);
  const POINT at = ClientToScreen(window.hWnd, POINT{col, row});
  if (end_after && window.oPopup && window.oPopup.get() != this) {
    if (auto* previous = dynamic_cast<TMenu*>(window.oPopup.get())) previous->End();
  }
  window.oPopup = xb::ObjectRef(this);
  oMenuItemPopup = nullptr;
  SetForegroundWindow(window.hWnd);  // else the menu stays open after a click elsewhere
  // The chosen identifier comes back here instead of as a posted WM_COMMAND, so the
  // action runs once, while this menu is still the window's popup.
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(hmenu_, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0,
                                                       window.hWnd, nullptr));
  SysRefresh();
  if (chosen != 0) Command(static_cast<int>(chosen));
  if (end_after) {
    End();
    if (owner->oPopup.get() == this) owner->oPopup = nullptr;
  }
}

// ---- state of the whole menu ----------------------------------------------------------

void TMenu::Enable() {
  for (const auto& item : aItems) item->Enable();
}

void TMenu::Disable() {
  for (const auto& item : aItems) item->Disable();
}

void TMenu::Hilite(int position) {
  if (oWnd && oWnd->hWnd != nullptr) {
    HiliteMenuItem(oWnd->hWnd, hmenu_, static_cast<UINT>(position - 1), MF_BYPOSITION | MF_HILITE);
  }
}

void TMenu::UnHilite(int position) {
  if (oWnd && oWnd->hWnd != nullptr) {
    HiliteMenuItem(oWnd->hWnd, hmenu_, static_cast<UINT>(position - 1), MF_BYPOSITION | MF_UNHILITE);
  }
}

void TMenu::Reset() {
  for (int i = 1; i <= static_cast<int>(aItems.size()); ++i) UnHilite(i);
}

void TMenu::Refresh() {
  if (oWnd) oWnd->SetMenu(xb::ObjectRef(this));
}

void TMenu::HelpTopic() {
  if (nHelpId != 0) {
    ui::HelpTopic(xb::Value::Integer(nHelpId));
  } else if (oWnd) {
    oWnd->HelpTopic();
  } else {
    ui::HelpTopic();
  }
}

void TMenu::SetWindow(TWindow* owner) { oWnd = WindowRef(owner); }

void TMenu::ActivateAccelerators() {
  if (oAccTable) oAccTable->Activate();
}

void TMenu::DrawItem(WindowMenuItem& item, DRAWITEMSTRUCT* record) {
  auto* own = dynamic_cast<TMenuItem*>(&item);
  if (own == nullptr) return;
  MenuDrawItem(record, own->cPrompt, own->IsSubMenu(), own->nBitmap);
}

// ---- end ------------------------------------------------------------------------------

void TMenu::ForgetHandle() {
  hmenu_ = nullptr;
  for (const auto& item : aItems) {
    if (TMenu* sub = item->SubMenu()) sub->ForgetHandle();
  }
}

void TMenu::Destroy() {
  xb::Ref<TMenu> keep(this);
  for (const auto& item : aItems) item->Destroy();
  Forget(AllMenus(), this);
  Forget(Popups(), this);
}

void TMenu::End() {
  xb::Ref<TMenu> keep(this);
  if (oWnd && oWnd->hWnd != nullptr) {
    if (oWnd->oMenu.get() == this) {
      ::SetMenu(oWnd->hWnd, nullptr);
      oWnd->oMenu = nullptr;
    }
    if (oWnd->oSysMenu.get() == this) oWnd->oSysMenu = nullptr;
  }
  Destroy();
  if (lSysMenu) {
    if (oWnd && oWnd->hWnd != nullptr) ::GetSystemMenu(oWnd->hWnd, TRUE);  // back to the standard one
  } else if (hmenu_ != nullptr) {
    DestroyMenu(hmenu_);  // its submenus go with it
  }
  ForgetHandle();
  if (oAccTable) oAccTable->End();
  oAccTable = nullptr;
  oWnd = nullptr;
}

}  // namespace ui
