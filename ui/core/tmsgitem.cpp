#include "ui/core/tmsgitem.h"

#include <algorithm>

#include "runtime/block.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/painters.h"
#include "ui/bridge/state_drawing.h"
#include "ui/core/tmsgbar.h"

namespace ui {
namespace {

constexpr int kItemGap = 4;          // between two items
constexpr int kRightMargin = 13;     // room for the window's sizing corner
constexpr int kRightMarginZoomed = 3;
constexpr int kItemTop = 3;          // the item's box within the bar's client area
constexpr int kItemBottomMargin = 2;

BitmapAndPalette LoadPicture(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('.') != std::string::npos) return PalBmpRead(nullptr, name);
  return PalBmpLoad(name.c_str());
}

}  // namespace

TMsgItem::TMsgItem() : xb::Object(Cls()) {}

TMsgItem::~TMsgItem() { FreePictures(); }

void TMsgItem::FreePictures() {
  for (HGDIOBJ* h : {reinterpret_cast<HGDIOBJ*>(&hBitmap1), reinterpret_cast<HGDIOBJ*>(&hPalette1),
                     reinterpret_cast<HGDIOBJ*>(&hBitmap2), reinterpret_cast<HGDIOBJ*>(&hPalette2)}) {
    if (*h != nullptr) DeleteObject(*h);
    *h = nullptr;
  }
}

void TMsgItem::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  for (const xb::Value* v : {&bMsg, &bAction}) {
    if (xb::GcObject* target = v->GcTarget()) visitor.Visit(target);
  }
  if (oFont) visitor.Visit(oFont.get());
}

void TMsgItem::ClearValues() {
  xb::Object::ClearValues();
  bMsg = bAction = xb::Value();
  oFont = nullptr;
}

xb::Ref<TMsgItem> TMsgItem::New(TMsgBar& bar, const Spec& spec) {
  auto item = xb::MakeRef<TMsgItem>();
  item->Init(bar, spec);
  return item;
}

void TMsgItem::Init(TMsgBar& bar, const Spec& spec) {
  oMsgBar = &bar;
  cMsg = spec.text;
  oFont = spec.font;
  nClrText = spec.clr_text.value_or(bar.nClrText);
  nClrPane = spec.clr_pane.value_or(bar.nClrPane);
  nClrDisabled = GetSysColor(COLOR_BTNSHADOW);
  bAction = spec.action;
  cToolTip = spec.tooltip;
  FreePictures();
  const BitmapAndPalette one = LoadPicture(spec.picture1);
  const BitmapAndPalette two = LoadPicture(spec.picture2);
  hBitmap1 = one.bitmap;
  hPalette1 = one.palette;
  hBitmap2 = two.bitmap;
  hPalette2 = two.palette;
  if (spec.width > 0) {
    nWidth = spec.width;
  } else {
    nWidth = hBitmap1 != nullptr ? NBmpWidth(hBitmap1) + 7 : 40;
  }
  if (spec.add) bar.AddItem(xb::Ref<TMsgItem>(this));
}

int TMsgItem::nLeft() const {
  if (oMsgBar == nullptr || oMsgBar->hWnd == nullptr) return 0;
  const bool zoomed = oMsgBar->oWnd && oMsgBar->oWnd->hWnd != nullptr && IsZoomed(oMsgBar->oWnd->hWnd);
  int left = oMsgBar->GetCliRect().right - (zoomed ? kRightMarginZoomed : kRightMargin);
  const auto& items = oMsgBar->aItem;
  auto self = std::find_if(items.begin(), items.end(), [this](const auto& i) { return i.get() == this; });
  if (self == items.end()) return 0;
  for (auto later = self + 1; later != items.end(); ++later) left -= (*later)->nWidth + kItemGap;
  return left - nWidth - 2;
}

Rect TMsgItem::GetRect() const {
  const int left = nLeft();
  const int bottom = oMsgBar != nullptr && oMsgBar->hWnd != nullptr
                         ? oMsgBar->GetCliRect().bottom - kItemBottomMargin
                         : TMsgBar::kHeight - kItemBottomMargin;
  return Rect{kItemTop, left, bottom, left + nWidth};
}

bool TMsgItem::IsOver(int row, int col) const {
  const Rect r = GetRect();
  return row >= r.top && row < r.bottom && col >= r.left && col < r.right;
}

void TMsgItem::Paint() {
  if (oMsgBar == nullptr || oMsgBar->hWnd == nullptr) return;
  const Rect r = GetRect();
  HDC dc = oMsgBar->GetDC();
  HFONT font = oFont ? oFont->hFont : (oMsgBar->oFont ? oMsgBar->oFont->hFont : nullptr);
  const Rect inside{r.top + 1, r.left + 1, r.bottom - 1, r.right - 1};
  // The text sits in the middle of the box.
  Rect text = inside;
  {
    SelectionScope select(dc, font);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    text.top = std::max(inside.top, inside.top + (inside.Height() - static_cast<int>(tm.tmHeight)) / 2);
  }
  DrawMsgItem(dc, "", inside, lActive ? nClrText : nClrDisabled, nClrPane, font);
  DrawMsgItem(dc, cMsg, text, lActive ? nClrText : nClrDisabled, nClrPane, font);
  HBITMAP picture = lActive || hBitmap2 == nullptr ? hBitmap1 : hBitmap2;
  if (picture != nullptr) {
    const int y = inside.top + std::max(0, (inside.Height() - NBmpHeight(picture)) / 2);
    DrawMasked(dc, picture, y, inside.left + 2);
  }
  DrawBoxLines(dc, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, FrameStyle::kSunken);
  oMsgBar->ReleaseDC();
}

void TMsgItem::Refresh() {
  if (bMsg.IsBlock()) {
    const xb::Value text = bMsg.AsBlock().Eval({Self()});
    if (text.IsString()) cMsg = std::string(text.AsString());
  }
  Paint();
  lWasActive = lActive;
}

void TMsgItem::SetText(const std::string& text) {
  cMsg = text;
  Paint();
}

void TMsgItem::SetFont(xb::Ref<TFont> font) {
  oFont = std::move(font);
  Paint();
}

void TMsgItem::Click() {
  xb::Ref<TMsgItem> keep(this);
  if (bAction.IsBlock()) bAction.AsBlock().Eval({Self()});
}

}  // namespace ui
