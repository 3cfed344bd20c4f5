#include "ui/controls/tbtnbmp.h"

#include <algorithm>
#include <cstdint>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/drawing.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/painters.h"
#include "ui/bridge/palette_table.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/state_drawing.h"
#include "ui/bridge/text_drawing.h"
#include "ui/controls/btn_image_store.h"
#include "ui/core/tdialog.h"
#include "ui/core/tmenu.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kCaptionLeft = 28;      // the caption's column in the system's look
constexpr int kArrowArea = 13;        // the drop-down arrow's area on the right
constexpr int kTextMargin = 32;       // a caption fits in the width less this
constexpr int kDropDownMargin = 12;   // ... and less this more with a drop-down menu
constexpr int kFocusMinWidth = 25;    // narrower buttons show no focus rectangle
constexpr int kToneFrequency = 277;

bool FileExists(const std::string& file) {
  const DWORD attributes = GetFileAttributesA(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

PictureName NameOf(const std::string& text) {
  if (const std::optional<WORD> number = ResourceNumber(text)) return *number;
  return text;
}

// A rectangle's outline with right and bottom included.
void Outline(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  Pen pen(CreatePen(PS_SOLID, 1, colour));
  SelectionScope select_pen(dc, pen.get());
  SelectionScope select_brush(dc, GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, left, top, right + 1, bottom + 1);
}

void VerticalLine(HDC dc, int x, int top, int bottom, COLORREF colour) {
  Pen pen(CreatePen(PS_SOLID, 1, colour));
  SelectionScope select_pen(dc, pen.get());
  ::MoveToEx(dc, x, top, nullptr);
  ::LineTo(dc, x, bottom + 1);
}

// A small black triangle pointing down, centred at (cx, cy).
void DownTriangle(HDC dc, int cx, int cy) {
  SelectionScope select_pen(dc, GetStockObject(BLACK_PEN));
  for (int i = 0; i < 3; ++i) {
    ::MoveToEx(dc, cx - 2 + i, cy - 1 + i, nullptr);
    ::LineTo(dc, cx + 3 - i, cy - 1 + i);
  }
}

}  // namespace

TBtnBmp::TBtnBmp() : TControl(Cls()) {}

TBtnBmp::~TBtnBmp() { FreeBitmaps(); }

void TBtnBmp::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (xb::GcObject* target = bAction.GcTarget()) visitor.Visit(target);
  if (oPopup) visitor.Visit(oPopup.get());
}

void TBtnBmp::ClearValues() {
  TControl::ClearValues();
  bAction = xb::Value();
  oPopup = nullptr;
}

// ---- construction ---------------------------------------------------------------------

xb::Ref<TBtnBmp> TBtnBmp::New(const NewParams& params) {
  auto button = xb::MakeRef<TBtnBmp>();
  button->InitNew(params);
  return button;
}

void TBtnBmp::InitNew(const NewParams& p) {
  nTop = p.top;
  nLeft = p.left;
  nBottom = p.top + p.height - 1;
  nRight = p.left + p.width - 1;
  oWnd = p.parent ? p.parent : GetWndDefault();
  bAction = p.action;
  cMsg = p.message;
  bWhen = p.when;
  lAdjust = p.adjust;
  lUpdate = p.update;
  cCaption = p.caption;
  oFont = p.font;
  lBorder = p.border;
  l97Look = !p.border;
  nLineStyle = p.line_style;
  const bool in_bar = oWnd && oWnd->GetClass().IsDerivedFrom("TBAR");
  nStyle = WS_CHILD | WS_VISIBLE | (p.border ? WS_BORDER : 0) | (in_bar ? 0 : WS_TABSTOP);
  if (!in_bar) nDlgCode = DLGC_WANTALLKEYS;
  SetColor(GetSysColor(COLOR_BTNTEXT), oWnd ? oWnd->nClrPane : GetSysColor(COLOR_BTNFACE));
  Register(CS_VREDRAW | CS_HREDRAW);
  CreateOrDefine({});
  if (oFont && hWnd != nullptr) SetFont(oFont);
  LoadBitmaps(p.pictures, false);
}

xb::Ref<TBtnBmp> TBtnBmp::NewBar(TBar& bar, const BarParams& params) {
  auto button = xb::MakeRef<TBtnBmp>();
  button->InitBar(bar, params);
  return button;
}

void TBtnBmp::InitBar(TBar& bar, const BarParams& p) {
  nStyle = WS_CHILD | WS_VISIBLE | (p.border ? WS_BORDER : 0);
  nTop = bar.GetBtnTop(p.group, p.position);
  if (bar.nLineStyle == 0 && bar.hBmpHeader != nullptr) nTop += bar.nHBmpHeader + 2;
  nLeft = bar.GetBtnLeft(p.group, p.position);
  nBottom = nTop + bar.nBtnHeight - (bar.l3D ? 6 : 0);
  nRight = nLeft + bar.nBtnWidth - (bar.l3D ? 2 : 0);
  oWnd = WindowRef(&bar);
  cMsg = p.message;
  bAction = p.action;
  lGroup = p.group;
  lAdjust = p.adjust;
  bWhen = p.when;
  cToolTip = p.tooltip.empty() ? xb::Value() : xb::Value::String(p.tooltip);
  lPressed = lBtnDown = p.pressed;
  bDropOver = p.drop_over;
  cAction = p.action_text;
  cCaption = p.caption;
  oFont = p.font;
  lBorder = p.border;
  l97Look = !p.border;
  oPopup = p.popup;
  nLineStyle = bar.nLineStyle;
  oCursor = bar.oCursor;
  const COLORREF text = nLineStyle == 0 ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNTEXT);
  SetColor(text, bar.nClrPane);
  Register(CS_VREDRAW | CS_HREDRAW);
  nId = GetNewId();
  Create();
  if (hWnd == nullptr) return;
  if (oFont) SetFont(oFont);
  bar.Add(WindowRef(this), p.position);
  LoadBitmaps(p.pictures, false);
}

xb::Ref<TBtnBmp> TBtnBmp::ReDefine(int id, WindowRef parent, const RedefineParams& params) {
  auto button = xb::MakeRef<TBtnBmp>();
  button->InitRedefine(id, std::move(parent), params);
  return button;
}

void TBtnBmp::InitRedefine(int id, WindowRef parent, const RedefineParams& p) {
  const bool direct = id > 40000;
  if (direct) id -= 40000;
  cMsg = p.message;
  bAction = p.action;
  lAdjust = p.adjust;
  bWhen = p.when;
  lUpdate = p.update;
  cToolTip = p.tooltip.empty() ? xb::Value() : xb::Value::String(p.tooltip);
  cCaption = p.caption;
  oFont = p.font;
  lBorder = p.border;
  l97Look = !p.border;
  nLineStyle = 1;
  nDlgCode = DLGC_WANTALLKEYS;
  SetColor(GetSysColor(COLOR_BTNTEXT), parent ? parent->nClrPane : GetSysColor(COLOR_BTNFACE));
  Redefine(id, std::move(parent));
  LoadBitmaps(p.pictures, direct);
}

void TBtnBmp::Initiate(HWND dialog) {
  if (oWnd) SetColor(nClrText, oWnd->nClrPane);
  TControl::Initiate(dialog);
}

// ---- pictures -------------------------------------------------------------------------

namespace {

// A picture of the button's own with its palette: from a file, or a resource by name or
// number.
BitmapAndPalette LoadOwnPicture(const std::string& name) {
  if (name.find('.') != std::string::npos) return PalBmpRead(nullptr, name);
  const PictureName picture = NameOf(name);
  if (const int* number = std::get_if<int>(&picture)) return PalBmpLoad(MAKEINTRESOURCEA(static_cast<WORD>(*number)));
  return PalBmpLoad(name.c_str());
}

// Frees a picture of the button's own (through the palette table when it is there).
void FreeOwnPicture(HBITMAP bitmap, HPALETTE palette) {
  if (bitmap == nullptr) return;
  if (!PalBmpFree(bitmap, palette)) {
    DeleteObject(bitmap);
    if (palette != nullptr) DeleteObject(palette);
  }
}

}  // namespace

void TBtnBmp::SetPicture(int which, std::intptr_t picture, HPALETTE palette, int width, int height) {
  const int i = which - 1;
  std::intptr_t* slot = which == 1 ? &hBmpPal1 : which == 2 ? &hBmpPal2 : &hBmpPal3;
  if (!lBuffer && *slot != 0 && *slot != picture) FreeOwnPicture(reinterpret_cast<HBITMAP>(*slot), palettes_[i]);
  *slot = picture;
  palettes_[i] = palette;
  (which == 1 ? nWBmp1 : which == 2 ? nWBmp2 : nWBmp3) = width;
  (which == 1 ? nHBmp1 : which == 2 ? nHBmp2 : nHBmp3) = height;
}

void TBtnBmp::LoadBitmaps(const Pictures& p, bool direct) {
  if (direct) lBuffer = false;
  auto load = [&](int which, const std::string& name) {
    if (direct) {
      const BitmapAndPalette own = LoadOwnPicture(name);
      SetPicture(which, reinterpret_cast<std::intptr_t>(own.bitmap), own.palette, NBmpWidth(own.bitmap),
                 NBmpHeight(own.bitmap));
      return;
    }
    BtnImageStore& store = BtnImageStore::Get();
    const int slot = store.Load(NameOf(name));
    const BtnImageStore::Entry* e = store.Slot(slot);
    SetPicture(which, slot, nullptr, e != nullptr ? e->width : 0, e != nullptr ? e->height : 0);
  };
  const std::string* resources[] = {&p.resource1, &p.resource2, &p.resource3};
  std::string* names[] = {&cResName1, &cResName2, &cResName3};
  const std::string* files[] = {&p.file1, &p.file2, &p.file3};
  std::string* file_names[] = {&cBmpFile1, &cBmpFile2, &cBmpFile3};
  for (int i = 0; i < 3; ++i) {
    if (resources[i]->empty()) continue;
    load(i + 1, *resources[i]);
    *names[i] = *resources[i];
  }
  for (int i = 0; i < 3; ++i) {
    if (files[i]->empty() || !FileExists(*files[i])) continue;
    load(i + 1, *files[i]);
    *file_names[i] = *files[i];
  }
  if (hBmpPal1 != 0) {
    lBuffer = !direct;
    if (direct) {
      const std::intptr_t pictures[] = {hBmpPal1, hBmpPal2, hBmpPal3};
      for (int i = 0; i < 3; ++i) {
        if (pictures[i] != 0) PalBmpNew(hWnd, reinterpret_cast<HBITMAP>(pictures[i]), palettes_[i]);
      }
    }
  }
}

void TBtnBmp::FreeBitmaps() {
  if (!lBuffer) {
    const std::intptr_t pictures[] = {hBmpPal1, hBmpPal2, hBmpPal3};
    for (int i = 0; i < 3; ++i) FreeOwnPicture(reinterpret_cast<HBITMAP>(pictures[i]), palettes_[i]);
  }
  hBmpPal1 = hBmpPal2 = hBmpPal3 = 0;
  palettes_[0] = palettes_[1] = palettes_[2] = nullptr;
}

void TBtnBmp::SetFile(const std::string& file1, const std::string& file2) {
  const bool direct = !lBuffer;
  FreeBitmaps();
  Pictures p;
  p.file1 = file1;
  p.file2 = file2;
  LoadBitmaps(p, direct);
  Refresh(false);
}

// ---- painting -------------------------------------------------------------------------

HBRUSH TBtnBmp::ParentBrush() const {
  if (oWnd && oWnd->oBrush && oWnd->oBrush->hBrush != nullptr) return oWnd->oBrush->hBrush;
  return GetSysColorBrush(COLOR_BTNFACE);
}

HFONT TBtnBmp::PaintFont() {
  if (oFont) return oFont->hFont;
  if (oWnd && oWnd->oFont) return oWnd->oFont->hFont;
  if (oWnd && oWnd->oWnd && oWnd->oWnd->oFont) return oWnd->oWnd->oFont->hFont;
  return nullptr;
}

std::string TBtnBmp::AdjText(const std::string& text) {
  const int width = GetCliRect().right;
  HFONT font = PaintFont();
  if (GetTextWidth(nullptr, text, font) < width - kTextMargin) return text;
  const int room = width - kTextMargin - (HasDropDown() ? kDropDownMargin : 0);
  std::string cut = text;
  while (!cut.empty() && GetTextWidth(nullptr, cut + "...", font) > room) cut.pop_back();
  return cut + "...";
}

Answer TBtnBmp::Display() {
  BeginPaint();
  Paint();
  EndPaint();
  return Answer::Number(0);
}

Answer TBtnBmp::Paint() {
  if (hWnd == nullptr) return Answer::Number(0);
  const bool own_dc = hDC == nullptr;
  HDC dc = own_dc ? ::GetDC(hWnd) : hDC;
  const Rect client = GetCliRect();
  // Drawn off screen and copied in one go.
  MemoryDC memory(dc);
  Bitmap image(CreateCompatibleBitmap(dc, std::max(client.right, 1), std::max(client.bottom, 1)));
  {
    SelectionScope select(memory.get(), image.get());
    if (nLineStyle == 0) {
      PaintQZ(memory.get());
    } else {
      PaintClassic(memory.get());
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  }
  if (own_dc) ::ReleaseDC(hWnd, dc);
  return Answer::Number(0);
}

void TBtnBmp::PaintQZ(HDC dc) {
  const Rect client = GetCliRect();
  const int width = client.right;
  const int height = client.bottom;
  const int k = lPressed ? 1 : 0;
  std::string caption = cCaption;
  if (caption.empty() && cToolTip.IsString()) caption = std::string(cToolTip.AsString());

  RECT all = client.ToRECT();
  ::FillRect(dc, &all, ParentBrush());
  if (lBorder) {
    Outline(dc, 1 + k, 1 + k, width - 3 + k, height - 3 + k, RGB(255, 255, 255));
    Outline(dc, 0 + k, 0 + k, width - 2 + k, height - 2 + k, RGB(0, 0, 0));
  }
  const BtnImageStore& store = BtnImageStore::Get();
  if (lBuffer && hBmpPal1 != 0) {
    const SIZE fit = FitPicture(height, height, nWBmp1, nHBmp1);
    const int x = (height - fit.cx) / 2 + k;
    const int y = (height - fit.cy) / 2 + k;
    const int slot = static_cast<int>(hBmpPal1);
    if (Disabled()) {
      store.PDisable(dc, slot, y, x, fit.cx, fit.cy, ParentBrush());
    } else {
      store.PaintMask(dc, slot, y, x, fit.cx, fit.cy);
    }
  }
  if (!caption.empty()) {
    const std::string text = AdjText(caption);
    HFONT font = PaintFont();
    SelectionScope select(dc, font);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    const int row = height / 2 - static_cast<int>(tm.tmHeight) / 2 - 2 + k;
    if (Disabled()) {
      const COLORREF old = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      DrawStateString(dc, nullptr, text, kCaptionLeft, row, width - kCaptionLeft, static_cast<int>(tm.tmHeight),
                      DST_PREFIXTEXT | DSS_DISABLED);
      SetTextColor(dc, old);
    } else {
      const int mode = SetBkMode(dc, TRANSPARENT);
      const COLORREF old = SetTextColor(dc, nClrText);
      ::TextOutA(dc, kCaptionLeft + k, row, text.c_str(), static_cast<int>(text.size()));
      SetTextColor(dc, old);
      SetBkMode(dc, mode);
    }
  }
  if (HasDropDown() && lBorder) {
    VerticalLine(dc, width - 12 + k, 2 + k, height - 3 + k, RGB(0, 0, 0));
    VerticalLine(dc, width - 13 + k, 2 + k, height - 3 + k, RGB(255, 255, 255));
    DownTriangle(dc, width - 8 + k, height / 2 + k);
  }
}

void TBtnBmp::PaintClassic(HDC dc) {
  const Rect client = GetCliRect();
  const int width = client.right;
  const int height = client.bottom;
  const int k = lPressed ? 1 : 0;
  RECT all = client.ToRECT();
  ::FillRect(dc, &all, oBrush ? oBrush->hBrush : ParentBrush());
  if (lBuffer) {
    if (hBmpPal1 != 0) {
      const SIZE fit = FitPicture(width, height, nWBmp1, nHBmp1);
      const int x = (width - fit.cx) / 2 + k;
      const int y = (height - fit.cy) / 2 + k;
      const BtnImageStore& store = BtnImageStore::Get();
      const int slot = static_cast<int>(hBmpPal1);
      if (Disabled()) {
        store.PDisable(dc, slot, y, x, fit.cx, fit.cy, ParentBrush());
      } else {
        store.PaintMask(dc, slot, y, x, fit.cx, fit.cy);
      }
    }
    if (lBorder) WndBoxRaised(dc, 0, 0, height - 1, width - 1);
    else if (lPressed) WndBoxIn(dc, 0, 0, height - 1, width - 1);  // a flat button held down
    if (!cCaption.empty()) {
      SelectionScope select(dc, PaintFont());
      const int mode = SetBkMode(dc, TRANSPARENT);
      const COLORREF old = SetTextColor(dc, nClrText);
      RECT text = {k, k, width + k, height + k};
      DrawTextA(dc, cCaption.c_str(), static_cast<int>(cCaption.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SetTextColor(dc, old);
      SetBkMode(dc, mode);
    }
    return;
  }
  // Plain bitmaps of the button's own: the palette-button painter, with the parent's colour
  // as the pictures' transparent one and a prompt only when the button has a caption.
  BtnPaintParams params;
  params.normal = reinterpret_cast<HBITMAP>(hBmpPal1);
  params.normal_palette = palettes_[0];
  params.pressed = reinterpret_cast<HBITMAP>(hBmpPal2);
  params.pressed_palette = palettes_[1];
  params.disabled = reinterpret_cast<HBITMAP>(hBmpPal3);
  params.disabled_palette = palettes_[2];
  params.is_pressed = lPressed;
  params.adjust = lAdjust;
  params.border = lBorder;
  params.arrow = HasDropDown();
  params.transparent = oWnd ? oWnd->nClrPane : GetSysColor(COLOR_BTNFACE);
  params.prompt = cCaption;
  params.prompt_pos = PromptPos::kBelow;  // the picture above its caption
  params.font = PaintFont();
  params.text = nClrText;
  PalBtnPaintOn(dc, all, !Disabled(), params);
  // Without a picture for the disabled state the whole face is greyed out.
  if (Disabled() && params.disabled == nullptr) GrayOutArea(dc, all);
}

// ---- actions and keys -------------------------------------------------------------------

Answer TBtnBmp::Click() {
  if (!lWhen()) {
    xb::CallFunction("TONE", {xb::Value::Integer(kToneFrequency), xb::Value::Integer(1)});
    return Answer::Number(0);
  }
  if (lProcessing) return Answer::Number(0);
  WindowRef keep(this);
  lProcessing = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{lProcessing};
  if (bAction.IsBlock()) bAction.AsBlock().Eval({Self()});
  return TControl::Click();
}

Answer TBtnBmp::KeyChar(int key, LPARAM flags) {
  if (key == VK_RETURN || key == VK_SPACE) {
    Click();
    return Answer::Number(0);
  }
  return TControl::KeyChar(key, flags);
}

void TBtnBmp::Toggle() {
  lBtnDown = !lBtnDown;
  lPressed = lBtnDown;
  Refresh(false);
}

void TBtnBmp::GoUp() {
  lPressed = lBtnDown = false;
  Refresh(false);
}

std::string TBtnBmp::cGenPRG() const {
  return "\r\n\r\n DEFINE BTNBMP OF oBar ACTION MsgInfo( \"Not defined yet\" )";
}

BarButtonLayout TBtnBmp::Layout() const {
  BarButtonLayout l;
  l.resource1 = cResName1;
  l.resource2 = cResName2;
  l.file1 = cBmpFile1;
  l.file2 = cBmpFile2;
  l.message = cMsg;
  l.action = cAction;
  l.group = lGroup;
  l.adjust = lAdjust;
  l.tooltip = cToolTip.IsString() ? std::string(cToolTip.AsString()) : std::string();
  l.pressed = lPressed;
  return l;
}

// ---- focus ----------------------------------------------------------------------------

Answer TBtnBmp::GotFocus(HWND losing) {
  const Answer answer = TControl::GotFocus(losing);
  const Rect client = GetCliRect();
  if ((GetWindowLongA(hWnd, GWL_STYLE) & WS_TABSTOP) != 0 && client.right > kFocusMinWidth) {
    const int inset = dynamic_cast<TDialog*>(oWnd.get()) != nullptr ? 2 : 4;
    WindowDC dc(hWnd);
    DrawFocusRect(dc.get(), 2, 2, client.bottom - inset, client.right - inset);
  }
  return answer;
}

Answer TBtnBmp::LostFocus(HWND receiving) {
  const Rect client = GetCliRect();
  if ((GetWindowLongA(hWnd, GWL_STYLE) & WS_TABSTOP) != 0 && client.right > kFocusMinWidth) {
    const int inset = dynamic_cast<TDialog*>(oWnd.get()) != nullptr ? 2 : 4;
    WindowDC dc(hWnd);
    DrawFocusRect(dc.get(), 2, 2, client.bottom - inset, client.right - inset);
  }
  if (l97Look) {
    if (GetCapture() == hWnd) ReleaseCapture();
    lBorder = false;
    Refresh(false);
  }
  return TControl::LostFocus(receiving);
}

Answer TBtnBmp::Destroy() {
  FreeBitmaps();
  if (auto* menu = dynamic_cast<TMenu*>(oPopup.get())) menu->End();
  TControl::Destroy();
  return Answer::Number(0);
}

// ---- the mouse ------------------------------------------------------------------------

bool TBtnBmp::IsOver(int row, int col) const {
  const Rect client = GetCliRect();
  return row >= 0 && col >= 0 && row < client.bottom && col < client.right;
}

Answer TBtnBmp::LButtonDown(int row, int col, WPARAM keys) {
  if (lDrag || oDragCursor) return TControl::LButtonDown(row, col, keys);
  WindowRef keep(this);
  lWorking = true;
  lBtnUp = false;
  SetFocus();
  SysRefresh();
  if (hWnd != nullptr && ::GetFocus() == hWnd) {
    lCaptured = lPressed = true;
    SetCapture(hWnd);
    Refresh(false);
    UpdateWindow(hWnd);
  }
  lWorking = false;
  if (lBtnUp) LButtonUp(row, col, keys);  // the button came up while the focus moved
  return Answer::Number(0);
}

Answer TBtnBmp::LButtonUp(int row, int col, WPARAM keys) {
  const bool over = IsOver(row, col);
  if (lDrag) return TControl::LButtonUp(row, col, keys);
  WindowRef keep(this);
  if (bLButtonUp.IsBlock()) Eval(bLButtonUp, {xb::Value::Integer(row), xb::Value::Integer(col), Self()});
  lBtnUp = true;
  if (lWorking) return Answer::Number(0);
  if (lCaptured) {
    lCaptured = false;
    if (GetCapture() == hWnd) ReleaseCapture();
  }
  lPressed = lBtnDown;  // a toggle button that is down stays pressed
  Refresh(false);
  if (over) {
    if (HasDropDown() && col >= GetCliRect().right - kArrowArea) {
      OpenDropDown();
      Refresh(false);
    } else {
      Click();
    }
  }
  return Answer::Number(0);
}

void TBtnBmp::OpenDropDown() {
  auto* menu = dynamic_cast<TMenu*>(oPopup.get());
  if (menu == nullptr || !oWnd) return;
  // Under the button, in the bar's (or the dialog's) client area.
  const Rect at = GetCoors(hWnd);
  WindowRef owner = oWnd;
  menu->Activate(at.bottom, at.left, *owner, false);
}

Answer TBtnBmp::MouseMove(int row, int col, WPARAM keys) {
  if (lDrag) return TControl::MouseMove(row, col, keys);
  TControl::MouseMove(row, col, keys);
  nRow = row;
  nCol = col;
  if (IsOver(row, col)) {
    if (l97Look && !lCaptured) {
      if (GetCapture() != hWnd) SetCapture(hWnd);
      if (!lBorder) {
        lBorder = true;
        Refresh(false);
      }
    } else if (lCaptured && !lPressed) {
      lPressed = true;
      Refresh(false);
    }
  } else if (l97Look && !lCaptured) {
    if (GetCapture() == hWnd) ReleaseCapture();
    if (lBorder) {
      lBorder = false;
      Refresh(false);
    }
  } else if (lCaptured && lPressed && !lBtnDown) {
    lPressed = false;
    if (!l97Look) lBorder = true;
    Refresh(false);
  }
  if (oWnd) oWnd->SetMsg(cMsg);
  return Answer::Number(0);
}

}  // namespace ui
