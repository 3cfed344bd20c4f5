#include "ui/controls/tmeter.h"

#include <algorithm>
#include <cmath>

#include "ui/bridge/message_loop.h"
#include "ui/controls/set_get.h"
#include "ui/core/window_table.h"

namespace ui {

TMeter::TMeter() : TControl(Cls()) {}

void TMeter::Setup(const xb::Value& set_get, double total, const WindowRef& parent, bool update,
                   const xb::Ref<TFont>& font, const std::string& text, bool no_percentage,
                   std::optional<COLORREF> pane, std::optional<COLORREF> text_colour, COLORREF bar, COLORREF bar_text) {
  oWnd = parent ? parent : GetWndDefault();
  bSetGet = set_get.IsNil() ? SetGet::Of(xb::Value::Integer(1)).block : set_get;
  nTotal = total;
  lUpdate = update;
  if (font) {
    oFont = font;
    ++oFont->nCount;
  }
  cText = text;
  lPercentage = !no_percentage;
  nClrPane = pane.value_or(oWnd ? oWnd->nClrPane : GetSysColor(COLOR_BTNFACE));
  nClrText = text_colour.value_or(oWnd ? oWnd->nClrText : 0);
  nClrBar = bar;
  nClrBText = bar_text;
  nRefresh = 0;
  Register(CS_VREDRAW | CS_HREDRAW);
}

TMeter& TMeter::New(const NewParams& p) {
  Setup(p.set_get, p.total, p.parent, p.update, p.font, p.text, p.no_percentage, p.clr_pane, p.clr_text, p.clr_bar,
        p.clr_bar_text);
  nTop = p.pixel ? p.row : p.row * 14;
  nLeft = p.pixel ? p.col : p.col * 8;
  nBottom = nTop + p.height;
  nRight = nLeft + p.width;
  lDesign = p.design;
  nStyle = WS_CHILD | WS_VISIBLE | (p.design ? WS_CLIPSIBLINGS | WS_TABSTOP : 0);
  if (CreateOrDefine("")) Default();
  if (lDesign) CheckDots();
  return *this;
}

TMeter& TMeter::ReDefine(const ReDefineParams& p) {
  Setup(p.set_get, p.total, p.parent, p.update, p.font, p.text, p.no_percentage, p.clr_pane, p.clr_text, p.clr_bar,
        p.clr_bar_text);
  Redefine(p.id, oWnd);
  return *this;
}

void TMeter::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd != nullptr) Default();
}

void TMeter::Default() {
  TControl::Default();
  if (VarGet().IsNil()) VarPut(xb::Value::Integer(0));
  if (oFont) {
    SetFont(oFont);
  } else if (oWnd && oWnd->oFont) {
    SetFont(oWnd->oFont);
  }
  SetColor(nClrText, nClrPane);
}

double TMeter::Current() const {
  const xb::Value v = bSetGet.IsBlock() ? bSetGet.AsBlock().Eval() : xb::Value();
  return v.AsDouble();
}

int TMeter::Percent() const {
  const double percent = Current() * 100 / (nTotal == 0 ? 1 : nTotal);
  return static_cast<int>(std::clamp(percent, -1000.0, 1000.0));
}

Answer TMeter::Display() {
  BeginPaint();
  Paint();
  EndPaint();
  return Answer::Number(0);
}

TMeter& TMeter::Define(const ReDefineParams& p) {
  Setup(p.set_get, p.total, p.parent, p.update, p.font, p.text, p.no_percentage, p.clr_pane, p.clr_text, p.clr_bar,
        p.clr_bar_text);
  nId = p.id;
  return *this;
}

MeterPaintParams TMeter::PaintParams() const {
  MeterPaintParams p;
  p.percent = Percent();
  p.text = cText.substr(0, cText.find('\0'));  // a lone NUL is no text
  p.percentage = lPercentage;
  p.back = nClrPane;
  p.text_colour = nClrText;
  p.bar = nClrBar;
  p.bar_text = nClrBText;
  p.font = oFont ? oFont->hFont : nullptr;
  return p;
}

Answer TMeter::Paint() {
  MeterPaint(hWnd, hDC, PaintParams());
  return {};
}

void TMeter::Set(std::optional<double> value) {
  double v = value.value_or(Current());
  v = std::clamp(v, 0.0, std::max(nTotal, 0.0));
  VarPut(v == std::floor(v) ? xb::Value::Integer(static_cast<std::int64_t>(v)) : xb::Value::Number(v));
  if (nTotal == 0) return;
  const double percent = v * 100 / nTotal;
  if (percent < 1) return;  // below 1 % a repaint shows nothing new
  nRefresh += percent;
  WindowRef keep(this);
  Refresh(false);
  SysRefresh();
}

void TMeter::SetTotal(double total) {
  nTotal = total;
  Refresh();
}

}  // namespace ui
