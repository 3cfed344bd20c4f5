#include "ui/controls/tscrollbar.h"

#include "runtime/block.h"
#include "ui/bridge/message_decoder.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 14;
constexpr int kColPixels = 8;

}  // namespace

TScrollBar::TScrollBar() : TScrollBar(Cls()) {}

TScrollBar::TScrollBar(const xb::Class& cls) : TControl(cls) {}

void TScrollBar::Traverse(xb::GcVisitor& visitor) { TControl::Traverse(visitor); }

void TScrollBar::ClearValues() {
  TControl::ClearValues();
  bGoUp = bGoDown = bGoTop = bGoBottom = bPageUp = bPageDown = bPos = bTrack = xb::Value();
}

DWORD TScrollBar::ControlStyle(bool vertical, bool design) const {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (vertical) style |= SBS_VERT;
  if (design) style |= WS_CLIPSIBLINGS;
  return style;
}

TScrollBar& TScrollBar::New(const NewParams& p) {
  const int width = p.width != 0 ? p.width : (p.vertical ? 16 : 100);
  const int height = p.height != 0 ? p.height : (p.vertical ? 100 : 17);
  nTop = p.pixel ? p.row : p.row * kRowPixels;
  nLeft = p.pixel ? p.col : p.col * kColPixels;
  nBottom = nTop + height - 1;
  nRight = nLeft + width - 1;
  nMin = p.min;
  nMax = p.max;
  nPgStep = p.page_step;
  lVertical = p.vertical;
  lIsChild = false;
  lReDraw = true;
  bGoUp = p.go_up;
  bGoDown = p.go_down;
  bPageUp = p.page_up;
  bPageDown = p.page_down;
  bPos = p.pos;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  lDesign = p.design;
  nStyle = ControlStyle(p.vertical, p.design);
  oWnd = p.parent ? p.parent : GetWndDefault();
  SetColor(p.fore.value_or(GetSysColor(COLOR_SCROLLBAR)), p.back.value_or(GetSysColor(COLOR_WINDOW)));
  if (CreateOrDefine("SCROLLBAR")) {
    SetRange(nMin, nMax);
    SetPos(nMin);
  }
  if (lDesign) CheckDots();
  return *this;
}

TScrollBar& TScrollBar::WinNew(TWindow& window, const WinParams& p) {
  nMin = p.min;
  nMax = p.max;
  nPgStep = p.page_step;
  lVertical = p.vertical;
  lIsChild = true;
  lReDraw = true;
  hWnd = nullptr;
  oWnd = WindowRef(&window);
  bGoUp = p.go_up;
  bGoDown = p.go_down;
  bPageUp = p.page_up;
  bPageDown = p.page_down;
  bPos = p.pos;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  SetRange(nMin, nMax);
  SetPos(nMin);
  return *this;
}

xb::Ref<TScrollBar> TScrollBar::OverWindow(TWindow& window, const WinParams& params) {
  auto bar = xb::MakeRef<TScrollBar>();
  bar->WinNew(window, params);
  return bar;
}

TScrollBar& TScrollBar::ReDefine(int id, const RedefineParams& p) {
  nMin = p.min;
  nMax = p.max;
  nPgStep = p.page_step;
  lVertical = false;
  lIsChild = false;
  lReDraw = true;
  bGoUp = p.go_up;
  bGoDown = p.go_down;
  bPageUp = p.page_up;
  bPageDown = p.page_down;
  bPos = p.pos;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  oWnd = p.parent ? p.parent : GetWndDefault();
  SetColor(p.fore.value_or(GetSysColor(COLOR_SCROLLBAR)), p.back.value_or(GetSysColor(COLOR_WINDOW)));
  Redefine(id, oWnd);
  return *this;
}

TScrollBar& TScrollBar::ReDefine(int id, WindowRef parent, int min, int max, int page_step) {
  RedefineParams p;
  p.parent = std::move(parent);
  p.min = min;
  p.max = max;
  p.page_step = page_step;
  return ReDefine(id, p);
}

std::string TScrollBar::cToChar(const std::string& class_name) {
  return TControl::cToChar(class_name.empty() ? "SCROLLBAR" : class_name);
}

void TScrollBar::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  SetRange(nMin, nMax);
  SetPos(nMin);
}

// ---- position ----------------------------------------------------------------------------------

HWND TScrollBar::BarWindow() const {
  if (!lIsChild) return hWnd;
  return oWnd ? oWnd->hWnd : nullptr;
}

int TScrollBar::BarKind() const {
  if (!lIsChild) return SB_CTL;
  return lVertical ? SB_VERT : SB_HORZ;
}

int TScrollBar::GetPos() const {
  HWND window = BarWindow();
  return window != nullptr ? ::GetScrollPos(window, BarKind()) : 0;
}

std::pair<int, int> TScrollBar::GetRange() const {
  int min = 0, max = 0;
  if (HWND window = BarWindow()) ::GetScrollRange(window, BarKind(), &min, &max);
  return {min, max};
}

// A window's own bar is drawn again at every call that asks for it, whether its values
// changed or not (a themed bar is some forty blits, each a round trip to the window system):
// a value it already has is not set again. A scroll-bar control's range is always set, as
// that enables the control.
std::optional<SCROLLINFO> TScrollBar::OwnBarInfo(UINT mask) const {
  HWND window = BarWindow();
  if (!lIsChild || window == nullptr) return std::nullopt;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = mask;
  if (!::GetScrollInfo(window, BarKind(), &info)) return std::nullopt;
  return info;
}

void TScrollBar::SetPos(int position) {
  if (const auto info = OwnBarInfo(SIF_POS); info && info->nPos == position) return;
  if (HWND window = BarWindow()) ::SetScrollPos(window, BarKind(), position, lReDraw ? TRUE : FALSE);
}

void TScrollBar::SetRange(int min, int max) {
  nMin = min;
  nMax = max;
  if (const auto info = OwnBarInfo(SIF_RANGE); info && info->nMin == min && info->nMax == max) return;
  if (HWND window = BarWindow()) ::SetScrollRange(window, BarKind(), min, max, lReDraw ? TRUE : FALSE);
}

int TScrollBar::ThumbPosition(int reported) const {
  HWND window = BarWindow();
  if (window == nullptr) return reported;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  if (!::GetScrollInfo(window, BarKind(), &info)) return reported;
  // The tracking position is valid while the thumb message is handled; the message's own
  // 16 bits must agree with it.
  return (info.nTrackPos & 0xFFFF) == (reported & 0xFFFF) ? info.nTrackPos : reported;
}

// ---- requests ------------------------------------------------------------------------------------

void TScrollBar::Run(const xb::Value& block, std::initializer_list<xb::Value> args) {
  if (block.IsBlock()) block.AsBlock().Eval(args);
}

void TScrollBar::GoUp() {
  const int position = GetPos();
  if (position > GetRange().first) SetPos(position - 1);
  Run(bGoUp);
}

void TScrollBar::GoDown() {
  const int position = GetPos();
  if (position < GetRange().second) SetPos(position + 1);
  Run(bGoDown);
}

void TScrollBar::GoTop() {
  SetPos(GetRange().first);
  Run(bGoTop);
}

void TScrollBar::GoBottom() {
  SetPos(GetRange().second);
  Run(bGoBottom);
}

void TScrollBar::PageUp() {
  Run(bPageUp);
  SetPos(GetPos() - nPgStep);
}

void TScrollBar::PageDown() {
  Run(bPageDown);
  SetPos(GetPos() + nPgStep);
}

void TScrollBar::ThumbPos(int position) { Run(bPos, {xb::Value::Integer(ThumbPosition(position))}); }

void TScrollBar::ThumbTrack(int position) { Run(bTrack, {xb::Value::Integer(ThumbPosition(position))}); }

void TScrollBar::DestroyBar() {
  if (!lIsChild) TControl::Destroy();
}

void TScrollBar::SetBlocks(const xb::Value& up, const xb::Value& down, const xb::Value& page_up,
                           const xb::Value& page_down) {
  bGoUp = up;
  bGoDown = down;
  bPageUp = page_up;
  bPageDown = page_down;
}

Answer TScrollBar::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kFwScrollUp: GoUp(); return Answer::Number(0);
    case kFwScrollDown: GoDown(); return Answer::Number(0);
    case kFwScrollPageUp: PageUp(); return Answer::Number(0);
    case kFwScrollPageDown: PageDown(); return Answer::Number(0);
    case kFwThumbPos: ThumbPos(static_cast<int>(wparam)); return Answer::Number(0);
    case kFwThumbTrack: ThumbTrack(static_cast<int>(wparam)); return Answer::Number(0);
    default: return TControl::HandleEvent(message, wparam, lparam);
  }
}

Answer TScrollBar::MouseMove(int row, int col, WPARAM keys) {
  const Answer answer = TControl::MouseMove(row, col, keys);
  return lDesign ? answer : Answer{};
}

// ---- TQZScrllBar -----------------------------------------------------------------------------------

TQZScrllBar::TQZScrllBar() : TScrollBar(Cls()) {}

DWORD TQZScrllBar::ControlStyle(bool vertical, bool design) const {
  return TScrollBar::ControlStyle(vertical, design) & ~static_cast<DWORD>(WS_TABSTOP);
}

}  // namespace ui
