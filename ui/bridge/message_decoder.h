// The message decoder: turns a Windows message into a call of the matching message method of
// a target, with wParam and lParam decoded into that method's typed arguments. Messages that
// have no method answer nothing. The methods' default bodies answer nothing too, so a class
// overrides only what it handles.
//
// LOWORD and HIWORD are bits 0-15 and 16-31. Mouse positions (client or screen) and the
// drop-over point are signed: a captured mouse left of the window arrives as column -1, not
// 65535. The mouse wheel's delta is signed too; everything else is unsigned.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "ui/bridge/answer.h"

namespace ui {

// Private messages between the framework's windows and controls.
inline constexpr UINT kFwClick = 2048;
inline constexpr UINT kFwScrollUp = 2049;
inline constexpr UINT kFwScrollDown = 2050;
inline constexpr UINT kFwScrollPageUp = 2051;
inline constexpr UINT kFwScrollPageDown = 2052;
inline constexpr UINT kFwChange = 2053;
inline constexpr UINT kFwColors = 2054;
inline constexpr UINT kFwDrawItem = 2056;
inline constexpr UINT kFwLostFocusValid = 2057;
inline constexpr UINT kFwThumbPos = 2058;
inline constexpr UINT kFwHelpF1 = 2061;
inline constexpr UINT kFwThumbTrack = 2062;
inline constexpr UINT kFwDropOver = 2063;
inline constexpr UINT kFwChangeFocus = 2064;
inline constexpr UINT kFwAsyncSelect = 2065;
inline constexpr UINT kFwCommand8 = 2066;
inline constexpr UINT kFwTaskBar = 2067;

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;

  virtual Answer Destroy() { return {}; }                                    // WM_DESTROY
  virtual Answer Moved(WPARAM wparam, int x, int y) { return {}; }           // WM_MOVE
  virtual Answer ReSize(int type, int width, int height) { return {}; }      // WM_SIZE
  virtual Answer GotFocus(HWND losing) { return {}; }                        // WM_SETFOCUS
  virtual Answer LostFocus(HWND receiving) { return {}; }                    // WM_KILLFOCUS
  // WM_PAINT sends the three in order; the answer is EndPaint's.
  virtual Answer BeginPaint() { return {}; }
  virtual Answer Paint() { return {}; }
  virtual Answer EndPaint() { return {}; }
  virtual Answer Close(WPARAM wparam) { return {}; }                         // WM_CLOSE
  virtual Answer QueryEndSession() { return {}; }                            // WM_QUERYENDSESSION
  virtual Answer EraseBkGnd(HDC dc) { return {}; }                           // WM_ERASEBKGND
  virtual Answer GetMinMaxInfo(MINMAXINFO* info) { return {}; }              // WM_GETMINMAXINFO
  // WM_DRAWITEM, and the framework's own 2056 that passes it on to a control.
  virtual Answer DrawItem(WPARAM id, DRAWITEMSTRUCT* item) { return {}; }
  virtual Answer MeasureItem(WPARAM id, MEASUREITEMSTRUCT* item) { return {}; }
  virtual Answer QueryDragIcon() { return {}; }                              // WM_QUERYDRAGICON
  virtual Answer CommNotify(WPARAM wparam, LPARAM lparam) { return {}; }     // WM_COMMNOTIFY
  virtual Answer Notify(WPARAM id, NMHDR* header) { return {}; }             // WM_NOTIFY
  virtual Answer NcActivate(bool active) { return {}; }                      // WM_NCACTIVATE
  virtual Answer GetDlgCode(WPARAM key) { return {}; }                       // WM_GETDLGCODE
  virtual Answer NcMouseMove(WPARAM hit, int row, int col) { return {}; }    // WM_NCMOUSEMOVE
  virtual Answer KeyDown(int key, LPARAM flags) { return {}; }               // WM_KEYDOWN
  virtual Answer KeyChar(int key, LPARAM flags) { return {}; }               // WM_CHAR
  virtual Answer Command(WPARAM wparam, LPARAM lparam) { return {}; }        // WM_COMMAND
  virtual Answer SysCommand(WPARAM wparam, LPARAM lparam) { return {}; }     // WM_SYSCOMMAND
  virtual Answer Timer(WPARAM id, LPARAM lparam) { return {}; }              // WM_TIMER
  virtual Answer HScroll(WPARAM wparam, LPARAM lparam) { return {}; }        // WM_HSCROLL
  virtual Answer VScroll(WPARAM wparam, LPARAM lparam) { return {}; }        // WM_VSCROLL
  virtual Answer InitMenuPopup(HMENU menu, int position, bool system) { return {}; }
  // WM_MENUSELECT and WM_MENUCHAR: the flags are HIWORD(wParam); a closed menu gives 0xFFFF
  // with no menu.
  virtual Answer MenuSelect(int item, int flags, HMENU menu) { return {}; }
  virtual Answer MenuChar(int character, int flags, HMENU menu) { return {}; }
  // WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX and WM_CTLCOLORSTATIC.
  virtual Answer CtlColor(HWND control, HDC dc) { return {}; }
  virtual Answer MouseMove(int row, int col, WPARAM keys) { return {}; }
  virtual Answer LButtonDown(int row, int col, WPARAM keys) { return {}; }
  virtual Answer LButtonUp(int row, int col, WPARAM keys) { return {}; }
  virtual Answer LDblClick(int row, int col, WPARAM keys) { return {}; }
  virtual Answer RButtonDown(int row, int col, WPARAM keys) { return {}; }
  virtual Answer RButtonUp(int row, int col, WPARAM keys) { return {}; }
  virtual Answer MButtonDown(int row, int col, WPARAM keys) { return {}; }
  virtual Answer MButtonUp(int row, int col, WPARAM keys) { return {}; }
  // Delta is negative with the wheel turned towards the user; x and y are screen positions.
  virtual Answer MouseWheel(int keys, int delta, int x, int y) { return {}; }
  virtual Answer DropFiles(HDROP drop) { return {}; }                        // WM_DROPFILES
  virtual Answer QueryNewPalette() { return {}; }                            // WM_QUERYNEWPALETTE
  virtual Answer PaletteChanged(HWND changer) { return {}; }                 // WM_PALETTECHANGED
  virtual Answer DdeInitiate(HWND client, ATOM application, ATOM topic) { return {}; }
  virtual Answer DdeTerminate(WPARAM wparam) { return {}; }
  virtual Answer DdeAck(WPARAM wparam, LPARAM lparam) { return {}; }
  virtual Answer DdeExecute(WPARAM wparam, LPARAM lparam) { return {}; }
  virtual Answer HelpF1() { return {}; }                                     // 2061
  virtual Answer DropOver(int low, int high, LPARAM lparam) { return {}; }   // 2063
  virtual Answer AsyncSelect(WPARAM wparam, LPARAM lparam) { return {}; }    // 2065
  virtual Answer TaskBar(WPARAM wparam, LPARAM lparam) { return {}; }        // 2067
};

// Sends `message` to its method of `target` and returns that method's answer; a message
// without a method answers nothing.
Answer DecodeMessage(MessageTarget& target, UINT message, WPARAM wparam, LPARAM lparam);

// True when DecodeMessage has a method for this message.
bool HasMessageMethod(UINT message);

// The 16-bit halves of a message parameter.
constexpr int LowWord(WPARAM value) { return static_cast<int>(value & 0xFFFF); }
constexpr int HighWord(WPARAM value) { return static_cast<int>((value >> 16) & 0xFFFF); }
constexpr int SignedLowWord(WPARAM value) { return static_cast<short>(value & 0xFFFF); }
constexpr int SignedHighWord(WPARAM value) { return static_cast<short>((value >> 16) & 0xFFFF); }

}  // namespace ui
