// The listing window's own window (TWinOwn): its scroll bars, keys, mouse and closing, and
// the small window functions it uses.
#include <algorithm>
#include <array>
#include <cctype>

#include "output/listing_window.h"
#include "runtime/block.h"

namespace output {

using xb::Value;

TWinOwn::TWinOwn() : ui::TWindow(Cls()) {}

const xb::Class& TWinOwn::Cls() {
  static const xb::Class& cls = xb::Class::Define("TWINOWN", &ui::TWindow::Cls());
  return cls;
}

ui::Answer TWinOwn::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  // While a pass runs the pointer over the window says so.
  if (message == WM_SETCURSOR && list != nullptr && list->Busy() && LOWORD(lparam) == HTCLIENT) {
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    return ui::Answer::Number(TRUE);
  }
  if (message == WM_KEYUP && list != nullptr) {
    KeyUp(static_cast<int>(wparam));
    return ui::Answer::Number(0);
  }
  return ui::TWindow::HandleEvent(message, wparam, lparam);
}

ui::Answer TWinOwn::Paint() {
  if (list == nullptr || hDC == nullptr || IsIconic()) return ui::Answer::Number(0);
  RECT area{};
  ::GetClipBox(hDC, &area);
  list->Paint(hDC, area);
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::ReSize(int type, int width, int height) {
  ui::TWindow::ReSize(type, width, height);
  if (type == SIZE_MINIMIZED || list == nullptr) return {};
  if (list->Busy()) {
    list->LayoutAfterPass();
    return {};
  }
  list->Layout();
  ::InvalidateRect(hWnd, nullptr, TRUE);
  return {};
}

ui::Answer TWinOwn::VScroll(WPARAM wparam, LPARAM lparam) {
  if (lparam != 0 || list == nullptr) return {};
  if (list->Busy()) return ui::Answer::Number(0);  // moves wait for the pass
  // The keys' codes (Up, Down, PgUp, PgDn) move as their scroll codes do.
  switch (LOWORD(wparam)) {
    case SB_LINEUP: case VK_UP: list->LineUp(); break;
    case SB_LINEDOWN: case VK_DOWN: list->LineDown(); break;
    case SB_PAGEUP: case VK_PRIOR: list->PageUp(); break;
    case SB_PAGEDOWN: case VK_NEXT: list->PageDown(); break;
    case SB_TOP: list->Home(); break;
    case SB_BOTTOM: list->EndOfListing(); break;
    case SB_THUMBPOSITION: {
      // The message carries 16 bits of the position; the bar holds all of them.
      std::int64_t position = HIWORD(wparam);
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (::GetScrollInfo(hWnd, SB_VERT, &info) && (info.nTrackPos & 0xFFFF) == position) position = info.nTrackPos;
      list->ThumbTo(position);
      break;
    }
    default: break;
  }
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::HScroll(WPARAM wparam, LPARAM lparam) {
  if (lparam != 0 || list == nullptr) return {};
  if (list->Busy()) return ui::Answer::Number(0);
  const int page = std::max(1, list->nColsVentana);
  switch (LOWORD(wparam)) {
    case SB_LINELEFT: list->CharLeft(1); break;
    case SB_LINERIGHT: list->CharRight(1); break;
    case SB_PAGELEFT: list->CharLeft(page); break;
    case SB_PAGERIGHT: list->CharRight(page); break;
    case SB_THUMBPOSITION: list->CharRight(HIWORD(wparam) - list->HorizontalPosition()); break;
    case SB_LEFT: list->CharLeft(list->HorizontalPosition()); break;
    case SB_RIGHT: list->CharRight(list->WidestLine()); break;
    default: break;
  }
  return ui::Answer::Number(0);
}

ui::TButton* TWinOwn::ButtonOfKey(int key) {
  const char letter = key == VK_ESCAPE ? 'C' : static_cast<char>(std::toupper(key));
  for (auto& [l, button] : buttons)
    if (l == letter && button->hWnd != nullptr && ::IsWindowEnabled(button->hWnd)) return button.get();
  return nullptr;
}

ui::Answer TWinOwn::KeyDown(int key, LPARAM flags) {
  if (list == nullptr) return ui::TWindow::KeyDown(key, flags);
  if (list->Busy()) return ui::Answer::Number(0);
  switch (key) {
    case VK_UP: list->LineUp(); return ui::Answer::Number(0);
    case VK_DOWN: list->LineDown(); return ui::Answer::Number(0);
    case VK_PRIOR: list->PageUp(); return ui::Answer::Number(0);
    case VK_NEXT: list->PageDown(); return ui::Answer::Number(0);
    case VK_LEFT: list->CharLeft(std::max(1, list->nColsVentana)); return ui::Answer::Number(0);
    case VK_RIGHT: list->CharRight(std::max(1, list->nColsVentana)); return ui::Answer::Number(0);
    case VK_HOME: list->Home(); return ui::Answer::Number(0);
    case VK_END: list->EndOfListing(); return ui::Answer::Number(0);
    default: break;
  }
  if (ui::TButton* button = ButtonOfKey(key)) {
    // Shown pressed until the key is released (a held key repeats its down message).
    pressed_ = key == VK_ESCAPE ? 'C' : static_cast<char>(std::toupper(key));
    ::SendMessageA(button->hWnd, BM_SETSTATE, TRUE, 0);
    return ui::Answer::Number(0);
  }
  return ui::TWindow::KeyDown(key, flags);
}

void TWinOwn::KeyUp(int key) {
  ui::TButton* button = ButtonOfKey(key);
  const char letter = key == VK_ESCAPE ? 'C' : static_cast<char>(std::toupper(key));
  if (button == nullptr || pressed_ != letter) return;
  pressed_ = 0;
  xb::Ref<ui::TButton> keep(button);
  ::SendMessageA(button->hWnd, BM_SETSTATE, FALSE, 0);
  button->Click();
}

ui::Answer TWinOwn::LDblClick(int row, int col, WPARAM keys) {
  if (list == nullptr || list->params_.dbl_click.IsNil()) return ui::TWindow::LDblClick(row, col, keys);
  const std::vector<std::int64_t>& drawn = list->DrawnRecords();
  const std::int64_t first = drawn.empty() ? 0 : drawn.front();
  const int line = (row - list->nPixBarra) / std::max(1, list->yChar);
  const Value self = Value(xb::ObjectRef(this));
  if (row < list->nPixBarra) return {};
  if (line < list->nLineasCabecera) {
    xb::EvalValue(list->params_.dbl_click, std::array<Value, 3>{Value::Integer(3), Value::Integer(first), self});
  } else if (line < list->nLineasCabecera + list->nRegDetalle * list->nLineasReg) {
    const std::size_t n = static_cast<std::size_t>((line - list->nLineasCabecera) / list->nLineasReg);
    xb::EvalValue(list->params_.dbl_click,
                  std::array<Value, 3>{Value::Integer(2), Value::Integer(n < drawn.size() ? drawn[n] : 0), self});
  } else {
    xb::EvalValue(list->params_.dbl_click, std::array<Value, 3>{Value::Integer(1), Value::Integer(first), self});
  }
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::GetMinMaxInfo(MINMAXINFO* info) {
  if (list == nullptr || info == nullptr) return {};
  AjustarY(info, list->nPixBarra + list->nPixCabecera + list->nLineasReg * list->yChar + list->nPixPie,
           10 * list->xChar);
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::GotFocus(HWND) { return ui::Answer::Number(0); }

ui::Answer TWinOwn::MouseMove(int row, int col, WPARAM keys) {
  HWND focus = ::GetFocus();
  if (focus != nullptr && focus != hWnd && ::GetParent(focus) == hWnd) ::SetFocus(hWnd);
  return ui::TWindow::MouseMove(row, col, keys);
}

// The close box and Alt+F4 (through the system menu's close) end the listing as [C]errar does.
ui::Answer TWinOwn::Close(WPARAM) {
  if (list == nullptr) return {};
  if (list->Busy()) {  // the pass stops first
    list->CloseAfterPass();
    return ui::Answer::Number(0);
  }
  xb::Ref<TWList> ending(list);
  ending->Close();
  return ui::Answer::Number(0);
}

// A window destroyed from outside (its owner going) ends its listing too.
ui::Answer TWinOwn::Destroy() {
  if (list != nullptr) {
    xb::Ref<TWList> ending(list);
    ending->Close(false);
  }
  return ui::TWindow::Destroy();
}

// ---- window functions --------------------------------------------------------------------------------

void WinScroll(HWND hwnd, int dy, int dx, const RECT& area) { ::ScrollWindow(hwnd, dx, dy, &area, &area); }

void AjustarY(MINMAXINFO* info, int min_height, int min_width) {
  if (info == nullptr) return;
  const int height = min_height + ::GetSystemMetrics(SM_CYCAPTION) + 2 * ::GetSystemMetrics(SM_CYFRAME) +
                     ::GetSystemMetrics(SM_CYHSCROLL);
  const int width = min_width + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXFRAME);
  info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, height);
  info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, width);
}

void RepintaRec(HWND hwnd, const RECT& rect, bool erase) { ::InvalidateRect(hwnd, &rect, erase); }

bool MenuStrItem(HMENU menu, UINT id, const std::string& text) {
  if (menu == nullptr) return false;
  const std::string cut = text.substr(0, 131);
  return ::ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING, id, cut.c_str()) != 0;
}

}  // namespace output
