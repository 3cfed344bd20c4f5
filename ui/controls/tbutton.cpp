#include "ui/controls/tbutton.h"

#include <algorithm>
#include <cstdio>

#include "ui/bridge/message_decoder.h"
#include "ui/core/window_table.h"

namespace ui {

TButton::TButton() : TControl(Cls()) {}

TButton& TButton::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  cCaption = p.caption;
  bAction = p.action;
  const int width = p.width.value_or(std::max(static_cast<int>(p.caption.size()) * 6, 30));
  nTop = p.pixel ? p.row : p.row * 18;
  nLeft = p.pixel ? p.col : p.col * 6;
  nBottom = nTop + p.height;
  nRight = nLeft + width;
  nHelpId = p.help_id;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  lDesign = p.design;
  lDefault = p.is_default;
  lCancel = p.cancel;
  lProcessing = false;
  nStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (p.is_default ? BS_DEFPUSHBUTTON : 0) |
           (p.design ? WS_CLIPSIBLINGS : 0);
  xb::Ref<TFont> font = p.font ? p.font : (oWnd ? oWnd->oFont : nullptr);
  Register();
  if (CreateOrDefine("BUTTON")) {
    if (font) SetFont(font);
  } else if (font) {
    oFont = font;
    ++oFont->nCount;
  }
  if (lDesign) CheckDots();
  return *this;
}

TButton& TButton::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bAction = p.action;
  nHelpId = p.help_id;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  cCaption = p.caption;
  lCancel = p.cancel;
  lProcessing = false;
  Redefine(p.id, oWnd);
  hWnd = nullptr;
  return *this;
}

void TButton::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  lDefault = (GetWindowLongA(hWnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  lProcessing = false;
  if (!cCaption.empty()) SetWindowTextA(hWnd, cCaption.c_str());
}

void TButton::SetLook(bool default_look) {
  if (hWnd != nullptr && IsWindow(hWnd)) {
    SendMessageA(hWnd, BM_SETSTYLE, default_look ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

Answer TButton::Click() {
  if (lProcessing) return {};
  xb::Ref<TButton> keep(this);
  lProcessing = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{lProcessing};
  if (bAction.IsBlock()) bAction.AsBlock().Eval({Self()});
  if (!lCancel && oWnd && oWnd->hWnd != nullptr && IsWindow(oWnd->hWnd)) TControl::Click();
  if (hWnd != nullptr && IsWindow(hWnd)) {
    if (GetFocus() == hWnd) SetLook(true);
    if (!lDefault) SetLook(false);
  }
  return {};
}

Answer TButton::GotFocus(HWND losing) {
  SetLook(true);
  return TControl::GotFocus(losing);
}

Answer TButton::LostFocus(HWND receiving) {
  if (!lDefault) SetLook(false);
  return TControl::LostFocus(receiving);
}

Answer TButton::KeyDown(int key, LPARAM flags) {
  if (oWnd) oWnd->nLastKey = key;
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      if (oWnd) oWnd->GoPrevCtrl(hWnd);
      return Answer::Number(0);
    case VK_DOWN:
    case VK_RIGHT:
      if (oWnd) oWnd->GoNextCtrl(hWnd);
      return Answer::Number(0);
    case VK_RETURN:
      PostMessageA(hWnd, kFwClick, 0, 0);
      return Answer::Number(0);
    default:
      return TControl::KeyDown(key, flags);
  }
}

Answer TButton::MouseMove(int row, int col, WPARAM keys) {
  TControl::MouseMove(row, col, keys);
  return {};
}

std::string TButton::cGenPRG() {
  auto number = [](int n) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "%3d", n);
    return std::string(text);
  };
  return "\r\n@ " + number(nTop) + ", " + number(nLeft) + " BUTTON \"" + cCaption + "\" SIZE " +
         number(nRight - nLeft + 1) + ", " + number(nBottom - nTop + 1) + " PIXEL OF oWnd ;\r\n" +
         "   ACTION MsgInfo( \"Not defined yet!\" )";
}

}  // namespace ui
