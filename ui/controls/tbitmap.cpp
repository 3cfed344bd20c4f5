#include "ui/controls/tbitmap.h"

#include <algorithm>

#include "runtime/function_table.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/controls/bitmap_registry.h"
#include "ui/core/tclipboard.h"
#include "ui/core/tdialog.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Value;

constexpr const char* kBackgroundPieces = "L1L2L3L4L5L6L7L8L9L10L11L12L13L14L15L16L17L18L19L20L21L22";

HBITMAP g_test_background = nullptr;

bool FileExists(const std::string& file) {
  const DWORD attributes = GetFileAttributesA(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The dialogs' background picture: HFONDO's, or the one a test set.
HBITMAP DialogBackground() {
  if (g_test_background != nullptr) return g_test_background;
  if (!xb::IsFunctionRegistered("HFONDO")) return nullptr;
  return reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(xb::CallFunction("HFONDO").AsInt()));
}

bool ClassicLook() { return xb::IsFunctionRegistered("LCLASSIC") && xb::CallFunction("LCLASSIC").AsLogical(); }

}  // namespace

void TBitmap::SetBackgroundForTests(HBITMAP background) { g_test_background = background; }

TBitmap::TBitmap() : TControl(Cls()) {}
TBitmap::~TBitmap() { ReleasePicture(); }

// ---- construction ------------------------------------------------------------------------------

TBitmap& TBitmap::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  cResName = p.resource;
  cBmpFile = p.file;
  bLClicked = p.l_clicked;
  bRClicked = p.r_clicked;
  lScroll = p.scroll;
  lStretch = p.stretch;
  oCursor = p.cursor;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  lDesign = p.design;
  LoadImage(cResName, cBmpFile);
  // The picture's size, within the parent's client area; 100 x 100 without a picture.
  RECT room = {0, 0, 100, 100};
  if (oWnd && oWnd->hWnd != nullptr) GetClientRect(oWnd->hWnd, &room);
  const int width = p.width.value_or(hBitmap != nullptr ? std::min<int>(NBmpWidth(hBitmap), room.right) : 100);
  const int height = p.height.value_or(hBitmap != nullptr ? std::min<int>(NBmpHeight(hBitmap), room.bottom) : 100);
  nTop = p.pixel ? p.row : p.row * 14;
  nLeft = p.pixel ? p.col : p.col * 8;
  nBottom = nTop + height - 1;
  nRight = nLeft + width - 1;
  nStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_GROUP | (p.no_border ? 0 : WS_BORDER) |
           (p.scroll ? WS_VSCROLL | WS_HSCROLL : 0);
  SetColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
  Register(CS_VREDRAW | CS_HREDRAW);
  if (CreateOrDefine({})) Default();
  if (lDesign) CheckDots();
  return *this;
}

TBitmap& TBitmap::Define(const ReDefineParams& p) {
  oWnd = p.parent;
  nId = p.id;
  cResName = p.resource;
  cBmpFile = p.file;
  bLClicked = p.l_clicked;
  bRClicked = p.r_clicked;
  lScroll = p.scroll;
  lStretch = p.stretch;
  oCursor = p.cursor;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  lTransparent = p.transparent;
  lFondo = p.transparent && !cResName.empty() && std::string(kBackgroundPieces).find(cResName) != std::string::npos;
  if (lTransparent) oBrush = TBrush::New("NULL", 0);
  SetColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE), lTransparent ? oBrush : nullptr);
  LoadImage(cResName, cBmpFile);
  return *this;
}

TBitmap& TBitmap::ReDefine(const ReDefineParams& p) {
  Define(p);
  oWnd = p.parent ? p.parent : GetWndDefault();
  if (lScroll) nDlgCode = DLGC_WANTARROWS;
  Register(CS_VREDRAW | CS_HREDRAW);
  Redefine(p.id, oWnd);
  return *this;
}

void TBitmap::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd != nullptr) Default();
}

void TBitmap::Default() {
  TControl::Default();
  if (lScroll) {
    nDlgCode = DLGC_WANTARROWS;
    ScrollAdjust();
  }
}

// ---- the picture ---------------------------------------------------------------------------------

void TBitmap::ReleasePicture() {
  if (hBitmap == nullptr) return;
  if (shared_) {
    ReleaseBitmap(hBitmap);
  } else {
    DeleteObject(hBitmap);  // the clipboard's copy is ours
    if (hPalette != nullptr) DeleteObject(hPalette);
  }
  hBitmap = nullptr;
  hPalette = nullptr;
  shared_ = false;
}

bool TBitmap::LoadImage(const std::string& resource, const std::string& file) {
  ReleasePicture();
  SharedBitmap picture;
  if (!resource.empty()) {
    picture = RegisterBitmap(resource);
    if (picture.bitmap != nullptr) cResName = resource;
  }
  if (picture.bitmap == nullptr && !file.empty() && FileExists(file)) {
    picture = RegisterBitmap(file);
    if (picture.bitmap != nullptr) {
      cBmpFile = file;
      lFile = true;
    }
  }
  hBitmap = picture.bitmap;
  hPalette = picture.palette;
  shared_ = hBitmap != nullptr;
  return shared_;
}

bool TBitmap::ReLoad(const std::string& resource, const std::string& file) {
  if (!LoadImage(resource, file)) return false;
  if (hWnd != nullptr) {
    nX = nY = 0;
    ScrollAdjust();
    Refresh();
  }
  return true;
}

int TBitmap::PictureWidth() const { return hBitmap != nullptr ? NBmpWidth(hBitmap) * nZoom : 0; }
int TBitmap::PictureHeight() const { return hBitmap != nullptr ? NBmpHeight(hBitmap) * nZoom : 0; }

int TBitmap::ScrollableX() const {
  if (hWnd == nullptr || lStretch) return 0;
  RECT client = {};
  GetClientRect(hWnd, &client);
  return std::max(0, PictureWidth() - static_cast<int>(client.right));
}

int TBitmap::ScrollableY() const {
  if (hWnd == nullptr || lStretch) return 0;
  RECT client = {};
  GetClientRect(hWnd, &client);
  return std::max(0, PictureHeight() - static_cast<int>(client.bottom));
}

int TBitmap::nXExtra() const { return ScrollableX() > 0 ? ScrollableX() + 1 : 0; }
int TBitmap::nYExtra() const { return ScrollableY() > 0 ? ScrollableY() + 1 : 0; }

void TBitmap::Zoom(int zoom) {
  nZoom = std::max(zoom, 1);
  nX = nY = 0;
  ScrollAdjust();
  Refresh();
}

// ---- scrolling -------------------------------------------------------------------------------------

void TBitmap::ScrollAdjust() {
  if (hWnd == nullptr || !lScroll) return;
  // The bars stay (disabled when all shows), so the client area does not change under them.
  auto set = [this](int bar, int scrollable, int step, int offset) {
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
    info.nMax = scrollable > 0 ? scrollable / std::max(step, 1) : 0;
    info.nPos = -offset / std::max(step, 1);
    SetScrollInfo(hWnd, bar, &info, TRUE);
  };
  nX = std::clamp(nX, -ScrollableX(), 0);
  nY = std::clamp(nY, -ScrollableY(), 0);
  set(SB_HORZ, ScrollableX(), nHStep, nX);
  set(SB_VERT, ScrollableY(), nVStep, nY);
}

void TBitmap::Shift(int dx, int dy) {
  const int x = std::clamp(nX + dx, -ScrollableX(), 0);
  const int y = std::clamp(nY + dy, -ScrollableY(), 0);
  if (x == nX && y == nY) return;
  nOldX = nX;
  nOldY = nY;
  // Controls over the picture move with it.
  for (const WindowRef& control : aControls) {
    if (!control || control->hWnd == nullptr) continue;
    RECT r = {};
    GetWindowRect(control->hWnd, &r);
    POINT at = {r.left, r.top};
    ScreenToClient(hWnd, &at);
    SetWindowPos(control->hWnd, nullptr, at.x + x - nX, at.y + y - nY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  nX = x;
  nY = y;
  if (hWnd != nullptr) {
    SetScrollPos(hWnd, SB_HORZ, -nX / std::max(nHStep, 1), TRUE);
    SetScrollPos(hWnd, SB_VERT, -nY / std::max(nVStep, 1), TRUE);
    InvalidateRect(hWnd, nullptr, FALSE);
  }
}

namespace {
int Visible(HWND hwnd, bool vertical) {
  RECT client = {};
  GetClientRect(hwnd, &client);
  return std::max(1, static_cast<int>(vertical ? client.bottom : client.right) - 1);
}
}  // namespace

void TBitmap::ScrollUp() { Shift(0, nVStep); }
void TBitmap::ScrollDown() { Shift(0, -nVStep); }
void TBitmap::ScrollLeft() { Shift(nHStep, 0); }
void TBitmap::ScrollRight() { Shift(-nHStep, 0); }
void TBitmap::PageUp() { Shift(0, Visible(hWnd, true)); }
void TBitmap::PageDown() { Shift(0, -Visible(hWnd, true)); }
void TBitmap::PageLeft() { Shift(Visible(hWnd, false), 0); }
void TBitmap::PageRight() { Shift(-Visible(hWnd, false), 0); }

void TBitmap::Center() {
  if (hWnd == nullptr || !oWnd || oWnd->hWnd == nullptr) return;
  RECT room = {}, own = {};
  GetClientRect(oWnd->hWnd, &room);
  GetWindowRect(hWnd, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  SetWindowPos(hWnd, nullptr, (room.right - width) / 2, (room.bottom - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  CoorsUpdate();
}

Answer TBitmap::VScroll(WPARAM wparam, LPARAM lparam) {
  if (!lScroll || lparam != 0) return TControl::VScroll(wparam, lparam);
  switch (LOWORD(wparam)) {
    case SB_LINEUP: ScrollUp(); break;
    case SB_LINEDOWN: ScrollDown(); break;
    case SB_PAGEUP: PageUp(); break;
    case SB_PAGEDOWN: PageDown(); break;
    case SB_TOP: Shift(0, -nY); break;
    case SB_BOTTOM: Shift(0, -ScrollableY() - nY); break;
    // The thumb let go where the user dragged it.
    case SB_THUMBPOSITION: Shift(0, -static_cast<int>(HIWORD(wparam)) * nVStep - nY); break;
    default: return Answer::Number(0);
  }
  return Answer::Number(0);
}

Answer TBitmap::HScroll(WPARAM wparam, LPARAM lparam) {
  if (!lScroll || lparam != 0) return TControl::HScroll(wparam, lparam);
  switch (LOWORD(wparam)) {
    case SB_LINELEFT: ScrollLeft(); break;
    case SB_LINERIGHT: ScrollRight(); break;
    case SB_PAGELEFT: PageLeft(); break;
    case SB_PAGERIGHT: PageRight(); break;
    case SB_LEFT: Shift(-nX, 0); break;
    case SB_RIGHT: Shift(-ScrollableX() - nX, 0); break;
    case SB_THUMBPOSITION: Shift(-static_cast<int>(HIWORD(wparam)) * nHStep - nX, 0); break;
    default: return Answer::Number(0);
  }
  return Answer::Number(0);
}

Answer TBitmap::KeyDown(int key, LPARAM flags) {
  if (lScroll) {
    switch (key) {
      case VK_UP: ScrollUp(); return Answer::Number(0);
      case VK_DOWN: ScrollDown(); return Answer::Number(0);
      case VK_PRIOR: PageUp(); return Answer::Number(0);
      case VK_NEXT: PageDown(); return Answer::Number(0);
      default: break;
    }
  }
  return TControl::KeyDown(key, flags);
}

Answer TBitmap::ReSize(int type, int width, int height) {
  const Answer answer = TControl::ReSize(type, width, height);
  ScrollAdjust();
  return answer;
}

// ---- painting ----------------------------------------------------------------------------------------

Answer TBitmap::Display() {
  BeginPaint();
  Paint();
  EndPaint();
  return Answer::Number(0);
}

Answer TBitmap::EraseBkGnd(HDC dc) {
  if (lTransparent) return Answer::Number(1);  // the paint puts back what lies under it
  return TControl::EraseBkGnd(dc);
}

void TBitmap::PaintOn(HDC dc) {
  RECT client = {};
  GetClientRect(hWnd, &client);
  if (lStretch) {
    PalBmpDraw(dc, 0, 0, hBitmap, hPalette, {.width = client.right, .height = client.bottom});
    return;
  }
  if (nZoom > 1) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    PalBmpDraw(dc, nY, nX, hBitmap, hPalette, {.width = PictureWidth(), .height = PictureHeight()});
    return;
  }
  auto* dialog = dynamic_cast<TDialog*>(oWnd.get());
  if (lTransparent && dialog != nullptr) {
    // What lies under it first: the dialog's background picture, else its brush.
    HBITMAP background = DialogBackground();
    if (lFondo && background != nullptr && !ClassicLook()) {
      POINT at = {0, 0};
      MapWindowPoints(hWnd, dialog->hWnd, &at, 1);
      MemoryDC source(dc);
      SelectionScope select(source.get(), background);
      BitBlt(dc, 0, 0, client.right, client.bottom, source.get(), at.x, at.y, SRCCOPY);
    } else {
      HBRUSH brush = dialog->oBrush ? dialog->oBrush->hBrush : GetSysColorBrush(COLOR_BTNFACE);
      FillRect(dc, &client, brush);
    }
    DrawMasked(dc, hBitmap, nY, nX);
    return;
  }
  // The part of the client the picture leaves uncovered gets the face colour.
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  PalBmpDraw(dc, nY, nX, hBitmap, hPalette, {});
}

Answer TBitmap::Paint() {
  if (hBitmap == nullptr && !cBmpFile.empty()) LoadImage({}, cBmpFile);
  HDC dc = hDC;
  if (dc == nullptr || hWnd == nullptr) return Answer::Number(0);
  if (hBitmap != nullptr) PaintOn(dc);
  if (bPainted.IsBlock()) bPainted.AsBlock().Eval({Value::Integer(reinterpret_cast<std::intptr_t>(dc)), Self()});
  return Answer::Number(0);
}

// ---- clipboard ------------------------------------------------------------------------------------------

bool TBitmap::CopyToClipboard() {
  if (hBitmap == nullptr) return false;
  auto clipboard = xb::MakeRef<TClipBoard>();
  clipboard->New(TClipBoard::kBitmap, WindowRef(this));
  if (!clipboard->Open()) return false;
  clipboard->Empty();
  const bool put = clipboard->SetData(Value::Integer(reinterpret_cast<std::intptr_t>(hBitmap)));
  clipboard->Close();
  return put;
}

bool TBitmap::LoadFromClipboard() {
  auto clipboard = xb::MakeRef<TClipBoard>();
  clipboard->New(TClipBoard::kBitmap, WindowRef(this));
  HBITMAP copy = clipboard->GetBitmap();
  if (copy == nullptr) return false;
  ReleasePicture();
  hBitmap = copy;
  shared_ = false;  // the control's own
  nX = nY = 0;
  ScrollAdjust();
  Refresh();
  return true;
}

// ---- life ------------------------------------------------------------------------------------------------

Answer TBitmap::Destroy() {
  ReleasePicture();
  return TControl::Destroy();
}

bool TBitmap::End() {
  if (hWnd == nullptr) {
    ReleasePicture();
    return true;
  }
  return TControl::End();
}

}  // namespace ui
