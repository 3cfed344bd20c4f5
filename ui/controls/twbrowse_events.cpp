// TWBrowse: scrolling, keys and the mouse.
#include <algorithm>

#include "ui/bridge/cursors.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/message_decoder.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tget.h"
#include "ui/controls/tscrollbar.h"
#include "ui/controls/twbrowse.h"

namespace ui {
namespace {

bool CtrlHeld() { return ::GetKeyState(VK_CONTROL) < 0; }

// The wait cursor for a long move, the previous one back after it.
class WaitCursor {
 public:
  WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { ::SetCursor(previous_); }

 private:
  HCURSOR previous_;
};

constexpr int kDragLineWidth = 4;
constexpr int kMinColumnWidth = 5;

}  // namespace

// ---- scrolling ----------------------------------------------------------------------------------------

Answer TWBrowse::VScroll(WPARAM wparam, LPARAM lparam) {
  if (hWnd != nullptr && ::GetFocus() != hWnd) ::SetFocus(hWnd);
  StripesHold();
  const int code = LowWord(wparam);
  const int reported = HighWord(wparam);
  if (lparam != 0 || !oVBar) return {};
  switch (code) {
    case SB_LINEUP: GoUp(); break;
    case SB_LINEDOWN: GoDown(); break;
    case SB_PAGEUP: PageUp(); break;
    case SB_PAGEDOWN: PageDown(); break;
    case SB_TOP: GoTop(); break;
    case SB_BOTTOM: GoBottom(); break;
    case SB_THUMBPOSITION: {
      const int records = LogicLen();
      if (records == 0) return Answer::Number(0);
      const auto [min, max] = oVBar->GetRange();
      const int position = oVBar->ThumbPosition(reported);
      if (position <= 1) {
        lHitTop = false;
        GoTop();
        return Answer::Number(0);
      }
      if (position >= max) {
        lHitBottom = false;
        GoBottom();
        return Answer::Number(0);
      }
      {
        WaitCursor wait;
        if (TableSource* s = Source()) {
          s->GoToPosition(position);  // the n-th record the browse shows
        } else {
          Skip(position - oVBar->GetPos());
        }
      }
      lHitTop = lHitBottom = false;
      oVBar->SetPos(position);
      // Near the top the record chosen is the first row; near the bottom the rows end with
      // the last record.
      const int shown = std::min(nRowCount(), records);
      if (position - min < nRowCount()) {
        nRowPos = 1;
      } else if (max - position < shown) {
        nRowPos = shown - (max - position);
      }
      nRowPos = std::clamp(nRowPos, 1, std::max(nRowCount(), 1));
      Repaint();
      RunChange();
      break;
    }
    default:
      return {};
  }
  return Answer::Number(0);
}

Answer TWBrowse::HScroll(WPARAM wparam, LPARAM lparam) {
  if (lparam != 0) return {};
  // Code and position both come in wParam.
  const int code = LowWord(wparam);
  const int position = HighWord(wparam);
  EndCellEditor();
  StripesHold();
  const int columns = ColumnCount();
  switch (code) {
    case SB_LINEUP: GoLeft(); break;
    case SB_LINEDOWN: GoRight(); break;
    case SB_PAGEUP: {
      const int first = nColPos;
      while (nColPos > 1 && (IsColVisible(first) || nColPos == first)) --nColPos;
      nColAct = nColPos;
      break;
    }
    case SB_PAGEDOWN: {
      int column = nColPos;
      while (column < columns && (IsColVisible(column) || column == nColPos)) ++column;
      nColPos = nColAct = column;
      break;
    }
    case SB_TOP: nColPos = nColAct = 1; break;
    case SB_BOTTOM: nColPos = nColAct = std::max(columns, 1); break;
    case SB_THUMBPOSITION: nColPos = nColAct = std::clamp(position, 1, std::max(columns, 1)); break;
    default: return {};
  }
  if (oHBar) oHBar->SetPos(nColAct);
  Repaint();
  return Answer::Number(0);
}

// ---- keys ------------------------------------------------------------------------------------------------

Answer TWBrowse::KeyDown(int key, LPARAM flags) {
  StripesHold();
  switch (key) {
    case VK_UP: GoUp(); break;
    case VK_DOWN: GoDown(); break;
    case VK_LEFT: GoLeft(); break;
    case VK_RIGHT: GoRight(); break;
    case VK_HOME: GoTop(); break;
    case VK_END: GoBottom(); break;
    case VK_PRIOR:
      if (CtrlHeld()) GoTop();
      else PageUp();
      break;
    case VK_NEXT:
      if (CtrlHeld()) GoBottom();
      else PageDown();
      break;
    default:
      return TControl::KeyDown(key, flags);
  }
  return Answer::Number(0);
}

Answer TWBrowse::KeyChar(int key, LPARAM flags) {
  // Ctrl+R and Ctrl+C page the browse, records and thumb together.
  if (key == 18 || key == 3) StripesHold();
  if (key == 18) {
    PageUp();
    return Answer::Number(0);
  }
  if (key == 3) {
    PageDown();
    return Answer::Number(0);
  }
  // Enter opens and closes a tree's item, before any default button of the dialog.
  if (key == VK_RETURN && lTree && bKeyChar.IsBlock()) return AnswerOf(Eval(bKeyChar, {xb::Value::Integer(key), xb::Value::Integer(flags), Self()}));
  return TControl::KeyChar(key, flags);
}

Answer TWBrowse::GetDlgCode(WPARAM key) {
  if (oWnd && !oWnd->lValidating) {
    const bool kept = key == VK_UP || key == VK_DOWN || key == VK_RETURN || key == VK_TAB;
    oWnd->nLastKey = kept ? static_cast<int>(key) : 0;
  }
  return Answer::Number(hWnd != nullptr && ::IsWindowEnabled(hWnd) ? DLGC_WANTALLKEYS : 0);
}

Answer TWBrowse::MouseWheel(int keys, int delta, int x, int y) {
  POINT at = {x, y};
  ::ScreenToClient(hWnd, &at);
  const bool lowest_fifth = at.y > 0.8 * nHeight();
  if (lowest_fifth) {
    KeyDown(delta > 0 ? VK_LEFT : VK_RIGHT, 0);
  } else {
    KeyDown(delta > 0 ? VK_UP : VK_DOWN, 0);
  }
  return Answer::Number(0);
}

// ---- mouse -----------------------------------------------------------------------------------------------

std::optional<std::pair<int, int>> TWBrowse::BorderAt(int x) const {
  const std::vector<int> widths = GetColSizes();
  int right = -1;
  for (int c = nColPos; c <= static_cast<int>(widths.size()); ++c) {
    right += widths[static_cast<std::size_t>(c) - 1];
    if (right > nWidth()) break;
    if (std::abs(x - right) <= 1) return std::pair{c, right};
  }
  return std::nullopt;
}

void TWBrowse::Beep() { ::MessageBeep(0); }

Answer TWBrowse::LButtonDown(int row, int col, WPARAM keys) {
  if (lDesign) return TControl::LButtonDown(row, col, keys);
  StripesHold();
  if (lIconView) {
    // The icon clicked becomes the selected one; the rows' arithmetic does not hold here.
    if (::GetFocus() != hWnd) ::SetFocus(hWnd);
    const int icon = nAtIcon(row, col);
    if (icon != 0 && icon != nRowPos) {
      DrawIcon(nRowPos, false);
      nRowPos += Skip(icon - nRowPos);
      DrawIcon(nRowPos, true);
      lHitTop = lHitBottom = false;
      RunChange();
    }
    TControl::LButtonDown(row, col, keys);
    return Answer::Number(0);
  }
  const int clicked = NWRow(hWnd, oFont ? oFont->hFont : nullptr, row, lTree ? 0 : nHLine);
  const bool records = LogicLen() > 0;
  if (!records && clicked != 0) return TControl::LButtonDown(row, col, keys);
  if (lMChange) {
    if (const auto border = BorderAt(col)) {
      // A column border: it is dragged until the button is released.
      ::SetCapture(hWnd);
      lCaptured = true;
      VertLine(col, border->first);
      return Answer::Number(0);
    }
  }
  if (::GetFocus() != hWnd) ::SetFocus(hWnd);
  if (clicked == 0) {
    const int column = nAtCol(col);
    const xb::Array actions = aActions.IsArray() ? aActions.AsArray() : xb::Array();
    const xb::Value action = column >= 1 ? actions.Get(static_cast<std::size_t>(column) - 1) : xb::Value();
    if (action.IsBlock()) {
      PaintRow(nullptr, 0, nClrForeHead, nClrBackHead, false);
      action.AsBlock().Eval({Self(), xb::Value::Integer(row), xb::Value::Integer(col)});
      PaintRow(nullptr, 0, nClrForeHead, nClrBackHead, false);
    } else {
      Beep();
    }
  } else if (clicked != nRowPos && clicked <= nRowCount()) {
    if (lCellStyle) {
      nColAct = std::max(nAtCol(col), 1);
      if (oHBar) oHBar->SetPos(nColAct);
    }
    GoToRowAt(row);
  } else if (clicked == nRowPos && lCellStyle) {
    nColAct = std::max(nAtCol(col), 1);
    if (oHBar) oHBar->SetPos(nColAct);
    Repaint();
  }
  TControl::LButtonDown(row, col, keys);
  return Answer::Number(0);
}

bool TWBrowse::GoToRowAt(int pixel_row) {
  const int clicked = NWRow(hWnd, oFont ? oFont->hFont : nullptr, pixel_row, lTree ? 0 : nHLine);
  if (clicked < 1 || clicked > nRowCount() || LogicLen() < 1) return false;
  if (clicked == nRowPos) return true;
  StripesHold();
  DrawLine();
  const int moved = Skip(clicked - nRowPos);
  nRowPos += moved;
  if (oVBar) oVBar->SetPos(oVBar->GetPos() + moved);
  DrawSelect();
  lHitTop = lHitBottom = false;
  RunChange();
  return true;
}

Answer TWBrowse::MouseMove(int row, int col, WPARAM keys) {
  if (lCaptured && drag_column_ != 0) {
    CursorWE();
    // A signed column: a mouse captured left of the window arrives as 65535 and more.
    VertLine(static_cast<short>(col));
    return Answer::Number(0);
  }
  if (lMChange && BorderAt(col)) {
    CursorWE();
    return Answer::Number(0);
  }
  return TControl::MouseMove(row, col, keys);
}

void TWBrowse::VertLine(int x, int column) {
  if (hWnd == nullptr) return;
  if (column != 0) {
    const std::vector<int> widths = GetColSizes();
    if (column < nColPos || column > static_cast<int>(widths.size())) return;
    // The right edge no nearer the column's left edge than a column of the least width.
    int left = -1;
    for (int c = nColPos; c < column; ++c) left += widths[static_cast<std::size_t>(c) - 1];
    drag_column_ = column;
    drag_start_ = x;
    drag_min_ = left + kMinColumnWidth;
    drag_last_ = -1;
  }
  if (drag_column_ == 0) return;
  x = std::max(x, drag_min_);
  HDC dc = ::GetDC(hWnd);
  const int height = nHeight();
  if (drag_last_ >= 0) ::PatBlt(dc, drag_last_, 0, kDragLineWidth, height, DSTINVERT);
  ::PatBlt(dc, x, 0, kDragLineWidth, height, DSTINVERT);
  ::ReleaseDC(hWnd, dc);
  drag_last_ = x;
}

Answer TWBrowse::LButtonUp(int row, int col, WPARAM keys) {
  if (lCaptured && drag_column_ != 0) {
    ::ReleaseCapture();
    lCaptured = false;
    const int end = drag_last_ >= 0 ? drag_last_ : drag_start_;
    if (drag_last_ >= 0) {
      HDC dc = ::GetDC(hWnd);
      ::PatBlt(dc, drag_last_, 0, kDragLineWidth, nHeight(), DSTINVERT);
      ::ReleaseDC(hWnd, dc);
    }
    if (aColSizes.IsArray()) {
      xb::Array sizes = aColSizes.AsArray();
      const std::size_t i = static_cast<std::size_t>(drag_column_) - 1;
      if (i < sizes.size()) sizes[i] = xb::Value::Integer(std::max<std::int64_t>(sizes.Get(i).AsInt() + end - drag_start_, kMinColumnWidth));
    }
    drag_column_ = 0;
    drag_last_ = -1;
    Repaint();
    return Answer::Number(0);
  }
  return TControl::LButtonUp(row, col, keys);
}

Answer TWBrowse::LDblClick(int row, int col, WPARAM keys) {
  if (lIconView) {
    // On the selected icon bLDblClick runs; there are no cells to edit.
    if (LogicLen() > 0 && nAtIcon(row, col) == nRowPos) return TControl::LDblClick(row, col, keys);
    return Answer::Number(0);
  }
  const int clicked = NWRow(hWnd, oFont ? oFont->hFont : nullptr, row, lTree ? 0 : nHLine);
  if (clicked != nRowPos || LogicLen() < 1) return Answer::Number(0);
  if (lAutoEdit) {
    Edit(std::max(nAtCol(col), 1));
    return Answer::Number(0);
  }
  return TControl::LDblClick(row, col, keys);
}

Answer TWBrowse::GotFocus(HWND losing) {
  TControl::GotFocus(losing);
  if (LogicLen() > 0) DrawSelect();
  return Answer::Number(0);
}

Answer TWBrowse::LostFocus(HWND receiving) {
  TControl::LostFocus(receiving);
  if (LogicLen() > 0) DrawSelect();
  return Answer::Number(0);
}

}  // namespace ui
