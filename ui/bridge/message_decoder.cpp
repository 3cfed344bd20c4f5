#include "ui/bridge/message_decoder.h"

#include <dde.h>

namespace ui {
namespace {

template <typename T>
T* Record(LPARAM lparam) {
  return reinterpret_cast<T*>(lparam);
}

HWND Window(WPARAM value) { return reinterpret_cast<HWND>(value); }

}  // namespace

Answer DecodeMessage(MessageTarget& t, UINT message, WPARAM w, LPARAM l) {
  // Mouse positions are signed: a captured mouse left of or above the window is negative.
  const int row = SignedHighWord(l);
  const int col = SignedLowWord(l);
  switch (message) {
    case WM_DESTROY: return t.Destroy();
    case WM_MOVE: return t.Moved(w, LowWord(l), HighWord(l));
    case WM_SIZE: return t.ReSize(static_cast<int>(w), LowWord(l), HighWord(l));
    case WM_SETFOCUS: return t.GotFocus(Window(w));
    case WM_KILLFOCUS: return t.LostFocus(Window(w));
    case WM_PAINT:
      t.BeginPaint();
      t.Paint();
      return t.EndPaint();
    case WM_CLOSE: return t.Close(w);
    case WM_QUERYENDSESSION: return t.QueryEndSession();
    case WM_ERASEBKGND: return t.EraseBkGnd(reinterpret_cast<HDC>(w));
    case WM_GETMINMAXINFO: return t.GetMinMaxInfo(Record<MINMAXINFO>(l));
    case WM_DRAWITEM:
    case kFwDrawItem: return t.DrawItem(w, Record<DRAWITEMSTRUCT>(l));
    case WM_MEASUREITEM: return t.MeasureItem(w, Record<MEASUREITEMSTRUCT>(l));
    case WM_QUERYDRAGICON: return t.QueryDragIcon();
    case WM_COMMNOTIFY: return t.CommNotify(w, l);
    case WM_NOTIFY: return t.Notify(w, Record<NMHDR>(l));
    case WM_NCACTIVATE: return t.NcActivate(w != 0);
    case WM_GETDLGCODE: return t.GetDlgCode(w);
    case WM_NCMOUSEMOVE: return t.NcMouseMove(w, row, col);
    case WM_KEYDOWN: return t.KeyDown(static_cast<int>(w), l);
    case WM_CHAR: return t.KeyChar(static_cast<int>(w), l);
    case WM_COMMAND: return t.Command(w, l);
    case WM_SYSCOMMAND: return t.SysCommand(w, l);
    case WM_TIMER: return t.Timer(w, l);
    case WM_HSCROLL: return t.HScroll(w, l);
    case WM_VSCROLL: return t.VScroll(w, l);
    case WM_INITMENUPOPUP:
      return t.InitMenuPopup(reinterpret_cast<HMENU>(w), LowWord(l), HighWord(l) != 0);
    case WM_MENUSELECT:
      return t.MenuSelect(LowWord(w), HighWord(w), reinterpret_cast<HMENU>(l));
    case WM_MENUCHAR:
      return t.MenuChar(LowWord(w), HighWord(w), reinterpret_cast<HMENU>(l));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      return t.CtlColor(reinterpret_cast<HWND>(l), reinterpret_cast<HDC>(w));
    case WM_MOUSEMOVE: return t.MouseMove(row, col, w);
    case WM_LBUTTONDOWN: return t.LButtonDown(row, col, w);
    case WM_LBUTTONUP: return t.LButtonUp(row, col, w);
    case WM_LBUTTONDBLCLK: return t.LDblClick(row, col, w);
    case WM_RBUTTONDOWN: return t.RButtonDown(row, col, w);
    case WM_RBUTTONUP: return t.RButtonUp(row, col, w);
    case WM_MBUTTONDOWN: return t.MButtonDown(row, col, w);
    case WM_MBUTTONUP: return t.MButtonUp(row, col, w);
    case WM_MOUSEWHEEL:
      return t.MouseWheel(LowWord(w), SignedHighWord(w), SignedLowWord(l), SignedHighWord(l));
    case WM_DROPFILES: return t.DropFiles(reinterpret_cast<HDROP>(w));
    case WM_QUERYNEWPALETTE: return t.QueryNewPalette();
    case WM_PALETTECHANGED: return t.PaletteChanged(Window(w));
    case WM_DDE_INITIATE:
      return t.DdeInitiate(Window(w), static_cast<ATOM>(LowWord(l)), static_cast<ATOM>(HighWord(l)));
    case WM_DDE_TERMINATE: return t.DdeTerminate(w);
    case WM_DDE_ACK: return t.DdeAck(w, l);
    case WM_DDE_EXECUTE: return t.DdeExecute(w, l);
    case kFwHelpF1: return t.HelpF1();
    case kFwDropOver: return t.DropOver(SignedLowWord(l), SignedHighWord(l), l);
    case kFwAsyncSelect: return t.AsyncSelect(w, l);
    case kFwTaskBar: return t.TaskBar(w, l);
    default: return {};
  }
}

bool HasMessageMethod(UINT message) {
  switch (message) {
    case WM_DESTROY: case WM_MOVE: case WM_SIZE: case WM_SETFOCUS: case WM_KILLFOCUS:
    case WM_PAINT: case WM_CLOSE: case WM_QUERYENDSESSION: case WM_ERASEBKGND:
    case WM_GETMINMAXINFO: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_QUERYDRAGICON:
    case WM_COMMNOTIFY: case WM_NOTIFY: case WM_NCACTIVATE: case WM_GETDLGCODE:
    case WM_NCMOUSEMOVE: case WM_KEYDOWN: case WM_CHAR: case WM_COMMAND: case WM_SYSCOMMAND:
    case WM_TIMER: case WM_HSCROLL: case WM_VSCROLL: case WM_INITMENUPOPUP: case WM_MENUSELECT:
    case WM_MENUCHAR: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSTATIC:
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_MBUTTONDOWN: case WM_MBUTTONUP:
    case WM_MOUSEWHEEL: case WM_DROPFILES: case WM_QUERYNEWPALETTE: case WM_PALETTECHANGED:
    case WM_DDE_INITIATE: case WM_DDE_TERMINATE: case WM_DDE_ACK: case WM_DDE_EXECUTE:
    case kFwDrawItem: case kFwHelpF1: case kFwDropOver: case kFwAsyncSelect: case kFwTaskBar:
      return true;
    default:
      return false;
  }
}

}  // namespace ui
