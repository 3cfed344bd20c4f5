#include "ui/core/tmsgbar.h"

#include <algorithm>
#include <cstdint>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/menu_wrappers.h"
#include "ui/bridge/painters.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/state_drawing.h"
#include "ui/bridge/text_drawing.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kItemTextMargin = 12;  // a clock's or a key's width beyond its text
constexpr const char* kDateTimeControl = "Control date/time";

xb::Value NativeBlock(std::function<xb::Value(xb::Args&)> fn) { return xb::Value(xb::Block::Native(std::move(fn))); }

TMsgItem* ItemOf(xb::Args& a) { return dynamic_cast<TMsgItem*>(a.Obj(1).get()); }

std::string ClockText() { return std::string(xb::CallFunction("TIME").AsString()); }
std::string DateText() {
  return std::string(xb::CallFunction("DTOC", {xb::CallFunction("DATE")}).AsString());
}

}  // namespace

TMsgBar::TMsgBar() : TWindow(Cls()) {}

TMsgBar::~TMsgBar() {
  for (const auto& item : aItem) item->oMsgBar = nullptr;
}

void TMsgBar::Traverse(xb::GcVisitor& visitor) {
  TWindow::Traverse(visitor);
  for (const auto& item : aItem) visitor.Visit(item.get());
  for (xb::Object* held : {static_cast<xb::Object*>(oTimer.get()), static_cast<xb::Object*>(oKeyNum.get()),
                           static_cast<xb::Object*>(oKeyCaps.get()), static_cast<xb::Object*>(oKeyIns.get()),
                           static_cast<xb::Object*>(oClock.get()), static_cast<xb::Object*>(oDate.get())}) {
    if (held != nullptr) visitor.Visit(held);
  }
}

void TMsgBar::ClearValues() {
  TWindow::ClearValues();
  aItem.clear();
  oTimer = nullptr;
  oKeyNum = oKeyCaps = oKeyIns = oClock = oDate = nullptr;
}

// ---- construction ---------------------------------------------------------------------

xb::Ref<TMsgBar> TMsgBar::New(TWindow& window, const NewParams& params) {
  auto bar = xb::MakeRef<TMsgBar>();
  bar->Init(window, params);
  return bar;
}

void TMsgBar::Init(TWindow& window, const NewParams& p) {
  cMsgDef = p.text;
  cMsg = p.text;
  lCentered = p.centred;
  lInset = p.inset;
  oWnd = WindowRef(&window);
  nStyle = WS_VISIBLE | WS_CHILD | WS_BORDER;
  const Rect client = window.GetCliRect();
  nTop = client.bottom - kHeight;
  nLeft = -1;
  nBottom = client.bottom - 1;
  nRight = client.right;
  SetColor(p.clr_text, p.clr_pane.value_or(GetSysColor(COLOR_BTNFACE)));
  Register();
  Create();
  if (hWnd == nullptr) return;
  window.oMsgBar = xb::ObjectRef(this);
  Default(p.font);
  if (p.keys) KeybOn();
  if (p.date) DateOn();
  if (p.clock) ClockOn();
}

void TMsgBar::Default(xb::Ref<TFont> font) {
  if (!font) {
    TFont::Spec spec;
    spec.face = "Ms Sans Serif";
    spec.height = -8;
    font = TFont::New(spec);
    SetFont(font);
    --font->nCount;  // made for the bar: the bar's use is its only one
  } else {
    SetFont(font);
  }
}

// ---- placing and the message -------------------------------------------------------------

void TMsgBar::Adjust() {
  if (hWnd == nullptr || !oWnd || oWnd->hWnd == nullptr) return;
  const Rect client = oWnd->GetCliRect();
  const Rect place{client.bottom - kHeight, -1, client.bottom, client.right + 1};
  if (GetCoors(hWnd) == place) return;  // already there: what it shows stays right
  MoveWindow(hWnd, place.left, place.top, place.Width(), place.Height(), TRUE);
  CoorsUpdate();
  Refresh();
}

void TMsgBar::SetMsg(const std::string& text, bool as_default) {
  if (as_default) cMsgDef = text;
  SetMsg(text);
}

void TMsgBar::SetMsg(const std::string& text) {
  const std::string shown = text.empty() ? cMsgDef : text;
  if (shown == cMsg) return;
  cMsg = shown;
  if (hWnd == nullptr) return;
  MsgPaintParams params;
  params.message = cMsg;
  params.default_message = cMsgDef;
  params.look_3d = true;
  params.centred = lCentered;
  params.items_left = ItemsLeft();
  params.text = nClrText;
  params.back = nClrPane;
  params.font = oFont ? oFont->hFont : nullptr;
  params.inner_box = lInset;
  MsgPaint(hWnd, params);
}

int TMsgBar::ItemsLeft() const { return aItem.empty() ? 0 : aItem.front()->nLeft(); }

TMsgItem* TMsgBar::ItemAt(int row, int col) const {
  for (const auto& item : aItem) {
    if (item->IsOver(row, col)) return item.get();
  }
  return nullptr;
}

// ---- items ----------------------------------------------------------------------------

void TMsgBar::AddItem(xb::Ref<TMsgItem> item) {
  if (!item) return;
  item->oMsgBar = this;
  aItem.push_back(std::move(item));
  nSizeItem = 0;
  for (const auto& i : aItem) nSizeItem += i->nWidth;
  Refresh();
}

void TMsgBar::DelItem(TMsgItem* item) {
  std::erase_if(aItem, [item](const auto& i) {
    if (i.get() != item) return false;
    i->oMsgBar = nullptr;
    return true;
  });
  Refresh();
}

void TMsgBar::Remove(xb::Ref<TMsgItem>& item) {
  if (!item) return;
  DelItem(item.get());
  item = nullptr;
}

xb::Ref<TMsgItem> TMsgBar::TimedItem(xb::Value text_block) {
  TMsgItem::Spec spec;
  spec.add = false;
  auto item = TMsgItem::New(*this, spec);
  item->bMsg = std::move(text_block);
  item->lTimer = true;
  return item;
}

xb::Ref<TMsgItem> TMsgBar::KeyItem(const char* label, int virtual_key) {
  auto item = TimedItem(NativeBlock([label, virtual_key](xb::Args& a) {
    if (TMsgItem* self = ItemOf(a)) self->lActive = (GetKeyState(virtual_key) & 1) != 0;
    return xb::Value::String(label);
  }));
  item->bAction = NativeBlock([virtual_key](xb::Args& a) {
    KeyToggle(virtual_key);
    if (TMsgItem* self = ItemOf(a)) self->Refresh();
    return xb::Value();
  });
  item->cMsg = label;
  item->nWidth = GetTextWidth(nullptr, "Caps", oFont ? oFont->hFont : nullptr) + kItemTextMargin;
  item->lActive = (GetKeyState(virtual_key) & 1) != 0;
  AddItem(item);
  CheckTimer();
  return item;
}

void TMsgBar::KeybOn() {
  if (!oKeyNum) oKeyNum = KeyItem("Num", VK_NUMLOCK);
  if (!oKeyCaps) oKeyCaps = KeyItem("Caps", VK_CAPITAL);
  if (!oKeyIns) oKeyIns = KeyItem("Ins", VK_INSERT);
}

void TMsgBar::KeybOff() {
  Remove(oKeyNum);
  Remove(oKeyCaps);
  Remove(oKeyIns);
}

void TMsgBar::DateOn() {
  if (oDate) return;
  oDate = TimedItem(NativeBlock([](xb::Args&) { return xb::Value::String(DateText()); }));
  oDate->cMsg = DateText();
  oDate->nWidth = GetTextWidth(nullptr, oDate->cMsg, oFont ? oFont->hFont : nullptr) + kItemTextMargin;
  oDate->bAction = NativeBlock([](xb::Args&) { return xb::Value::Integer(WinExec(kDateTimeControl)); });
  AddItem(oDate);
  CheckTimer();
}

void TMsgBar::DateOff() { Remove(oDate); }

void TMsgBar::ClockOn() {
  if (oClock) return;
  oClock = TimedItem(NativeBlock([](xb::Args&) { return xb::Value::String(ClockText()); }));
  oClock->cMsg = ClockText();
  oClock->nWidth = GetTextWidth(nullptr, oClock->cMsg, oFont ? oFont->hFont : nullptr) + kItemTextMargin;
  oClock->bAction = NativeBlock([](xb::Args&) { return xb::Value::Integer(WinExec(kDateTimeControl)); });
  AddItem(oClock);
  CheckTimer();
}

void TMsgBar::ClockOff() { Remove(oClock); }

// ---- the timer ------------------------------------------------------------------------

void TMsgBar::CheckTimer() {
  if (oTimer || hWnd == nullptr) return;
  HWND self = hWnd;
  // The bar is looked up by its window on each tick: the timer never outlives it in use.
  oTimer = TTimer::New(kTimerInterval, NativeBlock([self](xb::Args&) {
                         if (auto* bar = dynamic_cast<TMsgBar*>(OWndFromHwnd(self).get())) bar->TimerEval();
                         return xb::Value();
                       }),
                       this);
  oTimer->Activate();
}

void TMsgBar::TimerEval() {
  xb::Ref<TMsgBar> keep(this);
  for (const auto& item : std::vector<xb::Ref<TMsgItem>>(aItem)) {
    if (item->lTimer) item->Refresh();
  }
  if (!oWnd || oWnd->hWnd == nullptr) return;
  if (lCheckRes) {
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);
    const std::uint64_t used = memory.ullTotalPhys - memory.ullAvailPhys;
    oWnd->SetText("MemUsed: " + std::to_string(used) + " MemMax: " + std::to_string(memory.ullTotalPhys) +
                  " Resources: " + std::to_string(GetFreeSystemResources(0)));
  }
  if (Cargo.IsString()) {
    oWnd->SetText(std::string(Cargo.AsString()));
    Cargo = xb::Value();
  }
}

// ---- messages ---------------------------------------------------------------------------

Answer TMsgBar::Paint() {
  MsgPaintParams params;
  params.message = cMsg;
  params.default_message = cMsgDef;
  params.look_3d = true;
  params.centred = lCentered;
  params.items_left = ItemsLeft();
  params.text = nClrText;
  params.back = nClrPane;
  params.font = oFont ? oFont->hFont : nullptr;
  params.inner_box = lInset;
  MsgPaint(hWnd, params);
  for (const auto& item : aItem) item->Paint();
  return Answer::Number(0);
}

Answer TMsgBar::MouseMove(int row, int col, WPARAM keys) {
  TMsgItem* item = ItemAt(row, col);
  SetCursor(LoadCursorA(nullptr, item != nullptr ? IDC_HAND : IDC_ARROW));
  const std::string tip = item != nullptr ? item->cToolTip : std::string();
  if (!cToolTip.IsString() || cToolTip.AsString() != tip) {
    cToolTip = tip.empty() ? xb::Value() : xb::Value::String(tip);
  }
  CheckToolTip();
  if (!bMMoved.IsNil()) return AnswerOf(Eval(bMMoved, {xb::Value::Integer(row), xb::Value::Integer(col),
                                                       xb::Value::Integer(static_cast<std::int64_t>(keys)), Self()}));
  return Answer::Number(0);
}

Answer TMsgBar::LButtonDown(int row, int col, WPARAM keys) {
  if (TMsgItem* item = ItemAt(row, col)) {
    item->Click();
    return Answer::Number(0);
  }
  return TWindow::LButtonDown(row, col, keys);
}

Answer TMsgBar::LDblClick(int row, int col, WPARAM keys) {
  if (TMsgItem* item = ItemAt(row, col)) {
    item->Click();
    return Answer::Number(0);
  }
  return TWindow::LDblClick(row, col, keys);
}

Answer TMsgBar::Destroy() {
  if (oTimer) {
    oTimer->End();
    oTimer = nullptr;
  }
  return TWindow::Destroy();
}

}  // namespace ui
