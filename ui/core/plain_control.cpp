#include "ui/core/plain_control.h"

namespace ui {

xb::Ref<PlainControl> PlainControl::Place(const Params& p) {
  auto control = xb::MakeRef<PlainControl>();
  control->windows_class_ = p.windows_class;
  control->nTop = p.top;
  control->nLeft = p.left;
  control->nBottom = p.top + p.height - 1;
  control->nRight = p.left + p.width - 1;
  control->nId = p.id;
  control->nStyle = p.style;
  control->cCaption = p.caption;
  control->oWnd = p.parent;
  if (p.parent) {
    control->nClrText = p.parent->nClrText;
    control->nClrPane = p.parent->nClrPane;
  }
  if (control->CreateOrDefine(p.windows_class)) {
    control->GetFont();
    control->Default();
  }
  return control;
}

std::string PlainControl::cToChar(const std::string&) { return TControl::cToChar(windows_class_); }

Answer PlainControl::Click() {
  xb::Ref<PlainControl> keep(this);
  if (on_click) on_click();
  return TControl::Click();
}

Answer PlainControl::GotFocus(HWND losing) {
  const Answer answer = TControl::GotFocus(losing);
  if (on_focus) on_focus();
  return answer;
}

}  // namespace ui
