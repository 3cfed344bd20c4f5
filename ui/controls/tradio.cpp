#include "ui/controls/tradio.h"

#include "ui/controls/tradmenu.h"
#include "ui/core/window_table.h"

namespace ui {

TRadio::TRadio() : TControl(Cls()) {}

TRadMenu* TRadio::Group() const { return dynamic_cast<TRadMenu*>(oRadMenu.get()); }

const xb::Object* TRadio::RadioGroup() const { return oRadMenu.get(); }

TRadio& TRadio::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  cCaption = p.prompt;
  lChecked = p.checked;
  nPos = p.position;
  oRadMenu = xb::ObjectRef(p.radio_menu);
  nHelpId = p.help_id;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  lDesign = p.design;
  nTop = p.pixel ? p.row : p.row * p.height.value_or(13);
  nLeft = p.pixel ? p.col + 4 : p.col * 7 + 4;
  nBottom = nTop + p.height.value_or(12);
  nRight = nLeft + p.width.value_or(static_cast<int>(p.prompt.size()) * 5);
  const COLORREF text = p.clr_text.value_or(oWnd ? oWnd->nClrText : 0);
  const COLORREF pane = p.clr_text ? p.clr_pane.value_or(oWnd ? oWnd->nClrPane : 0) : (oWnd ? oWnd->nClrPane : 0);
  SetColor(text, pane);
  nStyle = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (p.group ? WS_GROUP : 0) | (p.design ? WS_CLIPSIBLINGS : 0);
  Register();
  if (CreateOrDefine("BUTTON")) {
    GetFont();
    Default();
  }
  if (lDesign) CheckDots();
  return *this;
}

TRadio& TRadio::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  lChecked = p.checked;
  nPos = p.position;
  oRadMenu = xb::ObjectRef(p.group);
  nHelpId = p.help_id;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  const COLORREF text = p.clr_text.value_or(oWnd ? oWnd->nClrText : 0);
  // Without a colour of its own the button sits on the parent's background.
  const COLORREF pane = p.clr_text ? p.clr_pane.value_or(oWnd ? oWnd->nClrPane : 0) : (oWnd ? oWnd->nClrPane : 0);
  SetColor(text, pane);
  Redefine(p.id, oWnd);
  return *this;
}

void TRadio::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd != nullptr) SetCheck(lChecked);
}

void TRadio::Default() {
  TControl::Default();
  if (lChecked) SetCheck(true);
}

void TRadio::SetCheck(bool on) {
  lChecked = on;
  if (hWnd != nullptr) SendMessageA(hWnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TRadio::lIsChecked() {
  if (hWnd != nullptr) lChecked = SendMessageA(hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return lChecked;
}

Answer TRadio::Click() {
  xb::Ref<TRadio> keep(this);
  if (TRadMenu* group = Group()) {
    xb::Ref<TRadMenu> hold(group);
    group->Select(*this);
    group->Refresh();
  }
  return TControl::Click();
}

Answer TRadio::KeyDown(int key, LPARAM flags) {
  TRadMenu* group = Group();
  if (group == nullptr) return TControl::KeyDown(key, flags);
  const bool next = key == VK_DOWN || key == VK_RIGHT;
  const bool previous = key == VK_UP || key == VK_LEFT;
  if (!next && !previous) return TControl::KeyDown(key, flags);
  xb::Ref<TRadMenu> hold(group);
  if (next) group->GoNext();
  else group->GoPrev();
  const int option = group->nOption();
  if (option >= 1 && option <= static_cast<int>(group->aItems.size()))
    if (HWND chosen = group->aItems[static_cast<std::size_t>(option - 1)]->hWnd) ::SetFocus(chosen);
  return Answer::Number(0);
}

void TRadio::Refresh(bool) {
  TRadMenu* group = Group();
  if (group == nullptr) return;
  group->KeepNumeric();
  SetCheck(group->nOption() == nPos);
}

Answer TRadio::MouseMove(int row, int col, WPARAM keys) {
  const Answer answer = TControl::MouseMove(row, col, keys);
  return lDesign ? answer : Answer{};
}

void TRadio::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (oRadMenu) visitor.Visit(oRadMenu.get());
}

void TRadio::ClearValues() {
  TControl::ClearValues();
  oRadMenu = nullptr;
}

}  // namespace ui
