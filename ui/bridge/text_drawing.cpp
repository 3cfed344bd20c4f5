#include "ui/bridge/text_drawing.h"

#include "ui/bridge/gdi_handles.h"

namespace ui {
namespace {

int Length(std::string_view text) { return static_cast<int>(text.size()); }

// A DC to work on: the one given, or one of the window taken for the call.
class BorrowedDC {
 public:
  BorrowedDC(HWND hwnd, HDC dc) : hwnd_(hwnd), dc_(dc) {
    if (dc_ == nullptr) {
      dc_ = ::GetDC(hwnd_);
      taken_ = true;
    }
  }
  BorrowedDC(const BorrowedDC&) = delete;
  BorrowedDC& operator=(const BorrowedDC&) = delete;
  ~BorrowedDC() {
    if (taken_ && dc_ != nullptr) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_ = nullptr;
  HDC dc_ = nullptr;
  bool taken_ = false;
};

// Keeps and restores a DC's whole state.
class SavedState {
 public:
  explicit SavedState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;
  ~SavedState() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

TEXTMETRICA Metrics(HDC dc) {
  TEXTMETRICA metrics = {};
  ::GetTextMetricsA(dc, &metrics);
  return metrics;
}

}  // namespace

bool TextOut(HDC dc, int row, int col, std::string_view text) {
  return ::TextOutA(dc, col, row, text.data(), Length(text)) != FALSE;
}

bool ExtTextOut(HDC dc, int row, int col, const std::optional<Rect>& rect, std::string_view text,
                UINT options) {
  RECT r = rect ? rect->ToRECT() : RECT{};
  return ::ExtTextOutA(dc, col, row, options, rect ? &r : nullptr, text.data(), Length(text),
                       nullptr) != FALSE;
}

int DrawText(HDC dc, std::string_view text, const Rect& rect, UINT format) {
  RECT r = rect.ToRECT();
  return ::DrawTextA(dc, text.data(), Length(text), &r, format);
}

int GetTextWidth(HDC dc, std::string_view text, HFONT font) {
  HWND active = dc == nullptr ? ::GetActiveWindow() : nullptr;
  BorrowedDC target(active, dc);
  SelectionScope select(target.get(), font);
  SIZE size = {};
  ::GetTextExtentPoint32A(target.get(), text.data(), Length(text), &size);
  return size.cx & 0xFFFF;
}

int GetTextHeight(HWND hwnd, HDC dc) {
  BorrowedDC target(dc != nullptr ? nullptr : (hwnd != nullptr ? hwnd : ::GetActiveWindow()), dc);
  return Metrics(target.get()).tmHeight;
}

int NWndChrHeight(HWND hwnd, HFONT font) {
  if (font == nullptr && hwnd != nullptr) {
    font = reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0));
  }
  BorrowedDC target(hwnd, nullptr);
  SelectionScope select(target.get(), font);
  return Metrics(target.get()).tmHeight;
}

FontInfo GetFontInfo(HFONT font) {
  BorrowedDC target(::GetActiveWindow(), nullptr);
  SelectionScope select(target.get(), font);
  const TEXTMETRICA metrics = Metrics(target.get());
  char face[LF_FACESIZE] = {};
  ::GetTextFaceA(target.get(), sizeof face, face);
  return FontInfo{metrics.tmHeight, metrics.tmAveCharWidth, metrics.tmWeight == FW_BOLD, face};
}

CharCell DcCharCell(HDC dc, HFONT font) {
  SelectionScope select(dc, font);
  const TEXTMETRICA metrics = Metrics(dc);
  return CharCell{metrics.tmHeight, metrics.tmAveCharWidth};
}

void WSay(HWND hwnd, HDC dc, int row, int col, std::string_view text, const SayStyle& style) {
  BorrowedDC target(hwnd, dc);
  if (target.get() == nullptr) return;
  SavedState state(target.get());
  if (style.font != nullptr) ::SelectObject(target.get(), style.font);
  int y = row;
  int x = col;
  if (!style.pixels) {
    const CharCell cell = DcCharCell(target.get(), nullptr);
    y = row * cell.height;
    x = col * cell.width;
  }
  ::SetTextColor(target.get(), style.fore);
  ::SetBkColor(target.get(), style.back);
  ::SetBkMode(target.get(), style.transparent ? TRANSPARENT : OPAQUE);
  if (style.align) ::SetTextAlign(target.get(), *style.align);
  ::TextOutA(target.get(), x, y, text.data(), Length(text));
}

void WSayRect(HWND hwnd, HDC dc, int row, int col, std::string_view text, COLORREF fore,
              COLORREF back, int width) {
  BorrowedDC target(hwnd, dc);
  if (target.get() == nullptr) return;
  SavedState state(target.get());
  const CharCell cell = DcCharCell(target.get(), nullptr);
  const int top = row * cell.height;
  const int left = col * cell.width;
  RECT r = {left, top, left + width, top + cell.height};
  ::SetTextColor(target.get(), fore);
  ::SetBkColor(target.get(), back);
  ::ExtTextOutA(target.get(), left, top, ETO_OPAQUE, &r, text.data(), Length(text), nullptr);
}

}  // namespace ui
