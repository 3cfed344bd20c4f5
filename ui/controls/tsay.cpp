#include "ui/controls/tsay.h"

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace ui {

TSay::TSay() : TControl(Cls()) {}

std::string TSay::Format(const xb::Value& value) const {
  if (!cPicture.empty()) {
    return std::string(xb::CallFunction("TRANSFORM", {value, xb::Value::String(cPicture)}).AsString());
  }
  return CValToChar(value);
}

TSay& TSay::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bGet = p.get.IsNil() ? xb::Value(xb::Block::Native([](xb::Args&) { return xb::Value::String(""); })) : p.get;
  cPicture = p.picture;
  if (p.font) {
    oFont = p.font;
    ++oFont->nCount;
  }
  l3D = p.box_black || p.box_grey || p.box_white;
  cCaption = Format(bGet.AsBlock().Eval());
  const bool plain_window = oWnd && oWnd->ClassName() == "TWINDOW";
  const COLORREF pane =
      p.clr_pane.value_or(plain_window ? oWnd->nClrPane : GetSysColor(COLOR_BTNFACE));
  SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), pane);
  const int width = p.width.value_or(6 * static_cast<int>(cCaption.size()) - 4);
  const int height = p.height.value_or(p.font ? std::abs(p.font->nInpHeight) : 15);
  nTop = p.pixel ? p.row : p.row * 15 + 2;
  nLeft = p.pixel ? p.col : p.col * 6;
  nBottom = nTop + height - 1;
  nRight = nLeft + width - 1;
  lUpdate = p.update;
  lDesign = p.design;
  DWORD style = WS_CHILD | WS_VISIBLE;
  if (p.centered) style |= SS_CENTER;
  else if (p.right) style |= SS_RIGHT;
  if (p.border) style |= WS_BORDER;
  if (p.box_black) style |= SS_BLACKRECT;
  else if (p.box_grey) style |= SS_GRAYRECT;
  else if (p.box_white) style |= SS_WHITERECT;
  if (p.design) style |= WS_CLIPSIBLINGS | WS_TABSTOP;
  nStyle = style;
  Register();
  if (CreateOrDefine("STATIC")) {
    Default();
    if (l3D) Set3DLook();
  }
  if (lDesign) CheckDots();
  return *this;
}

TSay& TSay::ReDefine(const ReDefineParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bGet = p.get;
  cPicture = p.picture;
  if (p.font) {
    oFont = p.font;
    ++oFont->nCount;
  }
  SetColor(p.clr_text.value_or(oWnd ? oWnd->nClrText : 0), p.clr_pane.value_or(GetSysColor(COLOR_BTNFACE)));
  lUpdate = p.update;
  if (bGet.IsBlock()) cCaption = Format(bGet.AsBlock().Eval());
  Redefine(p.id, oWnd);
  return *this;
}

void TSay::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  if (bGet.IsBlock()) SetWindowTextA(hWnd, cCaption.c_str());
  cCaption = GetText();
}

void TSay::Default() {
  TControl::Default();
  if (oFont) {
    SetFont(oFont);
  } else {
    GetFont();
  }
}

Answer TSay::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCHITTEST && (lDesign || lWantClick)) {
    // A label in a dialog lets the mouse through; this one takes it.
    return Answer::Number(DefWindowProcA(hWnd, message, wparam, lparam));
  }
  return TControl::HandleEvent(message, wparam, lparam);
}

void TSay::SetText(const xb::Value& value) {
  cCaption = Format(value);
  if (hWnd != nullptr) SetWindowTextA(hWnd, cCaption.c_str());
}

void TSay::Refresh(bool) {
  if (bGet.IsBlock()) SetText(bGet.AsBlock().Eval());
}

void TSay::VarPut(const xb::Value& value) {
  // The block answers the value itself: Refresh formats it once, as it does any other.
  bGet = xb::Value(xb::Block::Native([value](xb::Args&) { return value; }));
}

std::string TSay::cGenPrg() {
  auto number = [](int n) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "%3d", n);
    return std::string(text);
  };
  return "\r\n@ " + number(nTop) + ", " + number(nLeft) + " SAY \"" + cCaption + "\" SIZE " + number(nRight - nLeft) +
         ", " + number(nBottom - nTop) + " PIXEL OF oWnd";
}

}  // namespace ui
