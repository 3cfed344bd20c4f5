#include "ui/core/tmenuitem.h"

#include <cstdint>

#include "runtime/block.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/resources.h"
#include "ui/core/help.h"
#include "ui/core/menu_image_strip.h"
#include "ui/core/tmenu.h"
#include "ui/core/twindow.h"

namespace ui {

int TMenuItem::nInitId = 20000;

TMenuItem::TMenuItem() : xb::Object(Cls()) {}

TMenuItem::~TMenuItem() {
  if (TWindow::oMItemSelect == this) TWindow::oMItemSelect = nullptr;
  if (own_bitmap_ && hBitmap != nullptr) DeleteObject(hBitmap);
}

void TMenuItem::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  if (oMenu) visitor.Visit(oMenu.get());
  for (const xb::Value* v : {&bAction, &bWhen, &Cargo}) {
    if (xb::GcObject* target = v->GcTarget()) visitor.Visit(target);
  }
}

void TMenuItem::ClearValues() {
  xb::Object::ClearValues();
  oMenu = nullptr;
  bAction = bWhen = Cargo = xb::Value();
}

namespace {

HBITMAP LoadPicture(const std::string& file, const std::string& resource) {
  if (!file.empty()) {
    return ReadBitmap(nullptr, file);
  }
  if (!resource.empty()) return LoadBitmapA(GetResources(), resource.c_str());
  return nullptr;
}

}  // namespace

xb::Ref<TMenuItem> TMenuItem::New(const Spec& spec) {
  auto item = xb::MakeRef<TMenuItem>();
  item->Init(spec);
  return item;
}

void TMenuItem::Init(const Spec& spec) {
  cPrompt = spec.prompt;
  cMsg = spec.message;
  lChecked = spec.checked;
  lActive = spec.active;
  bAction = spec.action;
  nVKState = spec.vk_state;
  nVirtKey = spec.virt_key;
  lHelp = spec.help;
  nHelpId = spec.help_id;
  bWhen = spec.when;
  lBreak = spec.menu_break;
  // A submenu's handle stands for its item in the Windows menu: no identifier may equal one.
  do {
    nId = ++nInitId;
  } while (IsMenu(reinterpret_cast<HMENU>(static_cast<std::intptr_t>(nId))));
  cBitmap = !spec.bitmap_file.empty() ? spec.bitmap_file : spec.resource_name;
  if (own_bitmap_ && hBitmap != nullptr) DeleteObject(hBitmap);
  hBitmap = LoadPicture(spec.bitmap_file, spec.resource_name);
  own_bitmap_ = hBitmap != nullptr;
}

xb::Ref<TMenuItem> TMenuItem::ReDefine(TMenu& menu, int id, const Spec& spec) {
  TMenuItem* found = menu.FindItem(id);
  if (found == nullptr) return nullptr;
  xb::Ref<TMenuItem> item(found);
  item->SetCheck(spec.checked);
  if (spec.active) {
    item->Enable();
  } else {
    item->Disable();
  }
  if (!spec.prompt.empty()) item->SetPrompt(spec.prompt);
  if (!spec.message.empty()) item->cMsg = spec.message;
  if (!spec.action.IsNil()) item->bAction = spec.action;
  if (spec.help_id != 0) item->nHelpId = spec.help_id;
  if (!spec.when.IsNil()) item->bWhen = spec.when;
  return item;
}

TMenu* TMenuItem::SubMenu() const {
  if (!bAction.IsObject()) return nullptr;
  return dynamic_cast<TMenu*>(bAction.AsObject().get());
}

int TMenuItem::Position() const {
  if (!oMenu || oMenu->hMenu() == nullptr) return -1;
  HMENU menu = oMenu->hMenu();
  TMenu* sub = SubMenu();
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (sub != nullptr ? GetSubMenu(menu, i) == sub->hMenu()
                       : GetMenuItemID(menu, i) == static_cast<UINT>(nId)) {
      return i;
    }
  }
  return -1;
}

namespace {

// A menu bar shows a change only when it is drawn again.
void RedrawBar(const TMenu* menu) {
  if (menu != nullptr && !menu->lPopup && menu->oWnd && menu->oWnd->hWnd != nullptr &&
      GetMenu(menu->oWnd->hWnd) == menu->hMenu()) {
    DrawMenuBar(menu->oWnd->hWnd);
  }
}

}  // namespace

void TMenuItem::SetCheck(bool checked) {
  lChecked = checked;
  const int at = Position();
  if (at < 0) return;
  CheckMenuItem(oMenu->hMenu(), static_cast<UINT>(at), MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
  RedrawBar(oMenu.get());
}

void TMenuItem::Enable() {
  lActive = true;
  const int at = Position();
  if (at < 0) return;
  EnableMenuItem(oMenu->hMenu(), static_cast<UINT>(at), MF_BYPOSITION | MF_ENABLED);
  RedrawBar(oMenu.get());
}

void TMenuItem::Disable() {
  lActive = false;
  const int at = Position();
  if (at < 0) return;
  EnableMenuItem(oMenu->hMenu(), static_cast<UINT>(at), MF_BYPOSITION | MF_GRAYED | MF_DISABLED);
  RedrawBar(oMenu.get());
}

void TMenuItem::SetPrompt(const std::string& prompt) {
  cPrompt = prompt;
  const int at = Position();
  if (at < 0) return;
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(oMenu->hMenu(), static_cast<UINT>(at), TRUE, &info);
  // An owner-drawn item paints its prompt itself; a picture item has none to change.
  if ((info.fType & (MFT_OWNERDRAW | MFT_BITMAP | MFT_SEPARATOR)) != 0) return;
  info.fMask = MIIM_STRING;
  info.dwTypeData = cPrompt.data();
  SetMenuItemInfoA(oMenu->hMenu(), static_cast<UINT>(at), TRUE, &info);
  RedrawBar(oMenu.get());
}

void TMenuItem::Destroy() {
  if (nBitmap != 0) {
    MenuImageStrip::Get().Release(nBitmap);
    nBitmap = 0;
  }
  if (own_bitmap_ && hBitmap != nullptr) DeleteObject(hBitmap);
  own_bitmap_ = false;
  hBitmap = nullptr;
  if (TMenu* sub = SubMenu()) sub->Destroy();
  if (TWindow::oMItemSelect == this) TWindow::oMItemSelect = nullptr;
}

bool TMenuItem::WhenHolds() {
  if (!bWhen.IsBlock()) return true;
  const xb::Value result = bWhen.AsBlock().Eval({Self()});
  return !(result.IsLogical() && !result.AsLogical());
}

void TMenuItem::Run() {
  if (bAction.IsBlock()) bAction.AsBlock().Eval({Self()});
}

void TMenuItem::HelpTopic() {
  if (nHelpId != 0) {
    ui::HelpTopic(xb::Value::Integer(nHelpId));
  } else if (oMenu) {
    oMenu->HelpTopic();
  }
}

}  // namespace ui
