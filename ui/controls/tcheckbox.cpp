#include "ui/controls/tcheckbox.h"

#include "runtime/number.h"
#include "ui/controls/set_get.h"
#include "ui/core/window_table.h"

namespace ui {

TCheckBox::TCheckBox() : TControl(Cls()) {}

void TCheckBox::KeepLogical() {
  if (bSetGet.IsBlock() && !VarGet().IsLogical()) VarPut(xb::Value::Logical(false));
}

TCheckBox& TCheckBox::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bSetGet = p.set_get.IsNil() ? SetGet::Of(xb::Value::Logical(false)).block : p.set_get;
  KeepLogical();
  cCaption = p.caption;
  const int width = p.width.value_or(static_cast<int>(p.caption.size()) * 7);
  nTop = p.pixel ? p.row : p.row * 13;
  nLeft = p.pixel ? p.col : p.col * 7;
  nBottom = nTop + p.height;
  nRight = nLeft + width - (p.pixel ? 0 : 24);
  nHelpId = p.help_id;
  bChange = p.change;
  if (p.font) {
    oFont = p.font;
    ++oFont->nCount;
  }
  bValid = p.valid;
  bWhen = p.when;
  cMsg = p.message;
  lUpdate = p.update;
  lDesign = p.design;
  SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), p.clr_pane.value_or(oWnd ? oWnd->nClrPane : 0));
  nStyle = WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP | (p.design ? WS_CLIPSIBLINGS : 0);
  Register();
  if (CreateOrDefine("BUTTON")) Default();
  KeepLogical();
  if (lDesign) CheckDots();
  return *this;
}

TCheckBox& TCheckBox::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bSetGet = p.set_get;
  KeepLogical();
  nHelpId = p.help_id;
  bChange = p.change;
  bValid = p.valid;
  bWhen = p.when;
  cMsg = p.message;
  lUpdate = p.update;
  SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), p.clr_pane.value_or(oWnd ? oWnd->nClrPane : 0));
  Redefine(p.id, oWnd);
  return *this;
}

void TCheckBox::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd != nullptr) Refresh();
}

void TCheckBox::Default() {
  TControl::Default();
  Refresh();
  if (oFont) {
    SetFont(oFont);
  } else {
    GetFont();
  }
}

bool TCheckBox::Checked() const {
  const xb::Value v = bSetGet.IsBlock() ? bSetGet.AsBlock().Eval() : xb::Value();
  return v.AsLogical();
}

void TCheckBox::Refresh(bool) {
  if (hWnd != nullptr) SendMessageA(hWnd, BM_SETCHECK, Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

Answer TCheckBox::Click() {
  xb::Ref<TCheckBox> keep(this);
  if (bSetGet.IsBlock()) {
    VarPut(xb::Value::Logical(!Checked()));
    Refresh();
  }
  if (bChange.IsBlock()) bChange.AsBlock().Eval({xb::Value::Logical(Checked()), Self()});
  return TControl::Click();
}

void TCheckBox::Reset() {
  if (bSetGet.IsBlock()) VarPut(xb::Value::Logical(false));
  Refresh();
}

std::string TCheckBox::cGenPrg() {
  auto trimmed = [](int n) { return std::to_string(n); };
  const std::string caption = cCaption.empty() ? GetText() : cCaption;
  return "\r\n@ " + trimmed(nTop) + ", " + trimmed(nLeft) + " CHECKBOX lVar PROMPT \"" + caption + "\" SIZE " +
         trimmed(nRight - nLeft + 1) + ", " + trimmed(nBottom - nTop + 1) + " PIXEL OF oWnd";
}

}  // namespace ui
