// Windows and their geometry by name: creation, messages, texts, classes, long values,
// states, relatives, moves and sizes, docking, coordinates, and the word helpers.
#include "ui/bridge/window_wrappers.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "runtime/function_table.h"
#include "ui/bridge/posted_texts.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/window_geometry.h"
#include "ui/bridge/wrapper_args.h"

namespace ui {
namespace {

using namespace wrap;

// -1 stands for every top-level window, as HWND_BROADCAST does.
HWND Target(const Args& a, int n) {
  if (a.Int(n) == -1) return HWND_BROADCAST;
  return Hd<HWND>(a, n);
}

bool CanReceive(HWND hwnd) { return hwnd == HWND_BROADCAST || IsWindow(hwnd); }

Value ClassName(LPCSTR name) {
  if (name == nullptr || IS_INTRESOURCE(name)) return Value();
  return Str(name);
}

void RegisterWindows() {
  using xb::RegisterFunction;
  RegisterFunction("CREATEWINDOW", [](Args& a) {
    const std::string cls = S(a, 1), title = S(a, 2), extra = S(a, 10);
    void* param = a.Arg(10).IsString() ? const_cast<char*>(extra.c_str()) : Hd<void*>(a, 10);
    return Ptr(CreateWindowExA(0, cls.c_str(), title.c_str(), static_cast<DWORD>(a.Int(3)), I(a, 4), I(a, 5),
                               I(a, 6), I(a, 7), Hd<HWND>(a, 8), Hd<HMENU>(a, 9), GetInstance(), param));
  });
  RegisterFunction("DESTROYWINDOW", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    return Log(IsWindow(h) && DestroyWindow(h));
  });
  RegisterFunction("CLOSEWINDOW", [](Args& a) { return Log(CloseWindow(Hd<HWND>(a, 1))); });
  RegisterFunction("UPDATEWINDOW", [](Args& a) { return Log(UpdateWindow(Hd<HWND>(a, 1))); });
  auto message = [](Args& a, bool post) -> Value {
    HWND h = Target(a, 1);
    if (!CanReceive(h)) return Num(0);
    const UINT msg = U(a, 2);
    const auto wparam = static_cast<WPARAM>(a.Int(3));
    if (a.Arg(4).IsString()) {
      if (post) return Num(PostText(h, msg, wparam, a.Str(4)));
      std::string text = S(a, 4);
      return Num(SendMessageA(h, msg, wparam, reinterpret_cast<LPARAM>(text.data())));
    }
    const auto lparam = static_cast<LPARAM>(a.Int(4));
    return Num(post ? PostMessageA(h, msg, wparam, lparam) : SendMessageA(h, msg, wparam, lparam));
  };
  RegisterFunction("POSTMESSAGE", [message](Args& a) { return message(a, true); });
  RegisterFunction("SENDMESSAGE", [message](Args& a) { return message(a, false); });
  RegisterFunction("CALLWINDOWPROC", [](Args& a) {
    return Num(CallWindowProcA(Hd<WNDPROC>(a, 1), Hd<HWND>(a, 2), U(a, 3), static_cast<WPARAM>(a.Int(4)),
                               static_cast<LPARAM>(a.Int(5))));
  });
  RegisterFunction("DEFWINDOWPROC", [](Args& a) {
    return Num(DefWindowProcA(Hd<HWND>(a, 1), U(a, 2), static_cast<WPARAM>(a.Int(3)), static_cast<LPARAM>(a.Int(4))));
  });
  RegisterFunction("SETWINDOWTEXT", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    return Log(IsWindow(h) && SetWindowTextA(h, S(a, 2).c_str()));
  });
  RegisterFunction("GETWINDOWTEXT", [](Args& a) { return Str(GetWindowTextOf(Hd<HWND>(a, 1))); });
  RegisterFunction("GETWINTXTLENGHT", [](Args& a) { return Num(GetWindowTextLengthA(Hd<HWND>(a, 1))); });
  RegisterFunction("GETCLASSNAME", [](Args& a) {
    char name[257] = {};
    const int n = GetClassNameA(Hd<HWND>(a, 1), name, sizeof name);
    return Str(std::string_view(name, n > 0 ? static_cast<size_t>(n) : 0));
  });
  RegisterFunction("GETCLASSINFO", [](Args& a) -> Value {
    const std::string name = S(a, 2);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(Hd<HINSTANCE>(a, 1), name.c_str(), &wc)) return Value();
    return Value(xb::Array::Of({Num(wc.style), Ptr(reinterpret_cast<void*>(wc.lpfnWndProc)), Num(wc.cbClsExtra),
                                Num(wc.cbWndExtra), Ptr(wc.hInstance), Ptr(wc.hIcon), Ptr(wc.hCursor),
                                Ptr(wc.hbrBackground), ClassName(wc.lpszMenuName), Str(name)}));
  });
  RegisterFunction("GETWINDOWLONG", [](Args& a) { return Num(GetWindowLongPtrA(Hd<HWND>(a, 1), I(a, 2))); });
  RegisterFunction("SETWINDOWLONG", [](Args& a) {
    return Num(SetWindowLongPtrA(Hd<HWND>(a, 1), I(a, 2), static_cast<LONG_PTR>(a.Int(3))));
  });
  RegisterFunction("ISCHILD", [](Args& a) { return Log(IsChild(Hd<HWND>(a, 1), Hd<HWND>(a, 2))); });
  RegisterFunction("ISICONIC", [](Args& a) { return Log(IsIconic(Hd<HWND>(a, 1))); });
  RegisterFunction("ISZOOMED", [](Args& a) { return Log(IsZoomed(Hd<HWND>(a, 1))); });
  RegisterFunction("ISWINDOWVISIBLE", [](Args& a) { return Log(IsWindowVisible(Hd<HWND>(a, 1))); });
  RegisterFunction("ISWINDOWENABLED", [](Args& a) { return Log(IsWindowEnabled(Hd<HWND>(a, 1))); });
  RegisterFunction("ENABLEWINDOW", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    return Log(IsWindow(h) && EnableWindow(h, B(a, 2)));
  });
  RegisterFunction("GETACTIVEWINDOW", [](Args&) { return Ptr(GetActiveWindow()); });
  RegisterFunction("SETACTIVEWINDOW", [](Args& a) { return Ptr(SetActiveWindow(Hd<HWND>(a, 1))); });
  RegisterFunction("BRINGWINDOWTOTOP", [](Args& a) { return Log(BringWindowToTop(Hd<HWND>(a, 1))); });
  RegisterFunction("GETPARENT", [](Args& a) { return Ptr(GetParent(Hd<HWND>(a, 1))); });
  RegisterFunction("SETPARENT", [](Args& a) { return Ptr(SetParent(Hd<HWND>(a, 1), Hd<HWND>(a, 2))); });
  RegisterFunction("GETWINDOW", [](Args& a) { return Ptr(GetWindow(Hd<HWND>(a, 1), U(a, 2))); });
  RegisterFunction("GETDESKTOPWINDOW", [](Args&) { return Ptr(GetDesktopWindow()); });
  RegisterFunction("WINDOWFROMPOINT", [](Args& a) { return Ptr(WindowFromPoint(POINT{I(a, 1), I(a, 2)})); });
  RegisterFunction("ISOVERWND", [](Args& a) {
    RECT r = {};
    if (!GetClientRect(Hd<HWND>(a, 1), &r)) return Log(false);
    return Log(PtInRect(&r, POINT{I(a, 3), I(a, 2)}));
  });
  RegisterFunction("WNDHASSCROLLS", [](Args& a) {
    return Log((GetWindowLongPtrA(Hd<HWND>(a, 1), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) != 0);
  });
  RegisterFunction("GETDLGITEM", [](Args& a) { return Ptr(GetDlgItem(Hd<HWND>(a, 1), I(a, 2))); });
  RegisterFunction("NEXTDLGTAB", [](Args& a) {
    return Ptr(GetNextDlgTabItem(Hd<HWND>(a, 1), Hd<HWND>(a, 2), B(a, 3)));
  });
}

void RegisterGeometry() {
  using xb::RegisterFunction;
  RegisterFunction("MOVEWINDOW", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    if (!IsWindow(h)) return Log(false);
    int width = I(a, 4), height = I(a, 5);
    if (width == 0) {
      const WindowBox b = WindowBoxOf(h);
      width = b.width;
      height = b.height;
    }
    return Log(MoveWindow(h, I(a, 3), I(a, 2), width, height, B(a, 6)));
  });
  RegisterFunction("SETWINDOWPOS", [](Args& a) {
    return Log(SetWindowPos(Hd<HWND>(a, 1), Hd<HWND>(a, 2), I(a, 4), I(a, 3), I(a, 5), I(a, 6), U(a, 7)));
  });
  RegisterFunction("WNDSETSIZE", [](Args& a) { return Log(WndSetSize(Hd<HWND>(a, 1), I(a, 2), I(a, 3), B(a, 4))); });
  RegisterFunction("WNDWIDTH", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    if (!a.IsNil(2)) WndSetSize(h, I(a, 2), WindowBoxOf(h).height, true);
    return Num(WindowBoxOf(h).width);
  });
  RegisterFunction("WNDHEIGHT", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    if (!a.IsNil(2)) WndSetSize(h, WindowBoxOf(h).width, I(a, 2), true);
    return Num(WindowBoxOf(h).height);
  });
  RegisterFunction("WNDTOP", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    if (!a.IsNil(2)) WndSetTop(h, I(a, 2));
    return Num(WindowBoxOf(h).top);
  });
  RegisterFunction("WNDLEFT", [](Args& a) {
    HWND h = Hd<HWND>(a, 1);
    if (!a.IsNil(2)) WndSetLeft(h, I(a, 2));
    return Num(WindowBoxOf(h).left);
  });
  RegisterFunction("WNDCENTER", [](Args& a) {
    WndCenter(Hd<HWND>(a, 1), Hd<HWND>(a, 2));
    return Value();
  });
  RegisterFunction("WNDADJTOP", [](Args& a) {
    WndAdjTop(Hd<HWND>(a, 1));
    return Value();
  });
  RegisterFunction("WNDADJBOTTOM", [](Args& a) {
    WndAdjBottom(Hd<HWND>(a, 1));
    return Value();
  });
  RegisterFunction("WNDADJLEFT", [](Args& a) {
    WndAdjLeft(Hd<HWND>(a, 1), Hd<HWND>(a, 2), Hd<HWND>(a, 3));
    return Value();
  });
  RegisterFunction("WNDADJRIGHT", [](Args& a) {
    WndAdjRight(Hd<HWND>(a, 1), Hd<HWND>(a, 2), Hd<HWND>(a, 3));
    return Value();
  });
  RegisterFunction("WNDADJCLIENT", [](Args& a) {
    WndAdjClient(Hd<HWND>(a, 1), Hd<HWND>(a, 2), Hd<HWND>(a, 3), Hd<HWND>(a, 4), Hd<HWND>(a, 5), B(a, 6), I(a, 7));
    return Value();
  });
  RegisterFunction("SETMINMAX", [](Args& a) {
    auto* info = Hd<MINMAXINFO*>(a, 1);
    const xb::Array v = a.Arr(2);
    if (info != nullptr && v) {
      auto n = [&](size_t i) { return static_cast<LONG>(v.Get(i).AsInt()); };
      info->ptMaxSize = POINT{n(0), n(1)};
      info->ptMaxPosition = POINT{n(2), n(3)};
      info->ptMinTrackSize = POINT{n(4), n(5)};
      info->ptMaxTrackSize = POINT{n(6), n(7)};
    }
    return Num(0);
  });
  RegisterFunction("SETWINDOWORG", [](Args& a) {
    POINT old = {};
    SetWindowOrgEx(Hd<HDC>(a, 1), I(a, 2), I(a, 3), &old);
    return XY(old.x, old.y);
  });
  auto convert = [](Args& a, bool to_logical) {
    const xb::Array p = a.Arr(2);
    if (!p || p.size() < 2) return Log(false);
    POINT pt{static_cast<LONG>(p.Get(1).AsInt()), static_cast<LONG>(p.Get(0).AsInt())};
    const BOOL ok = to_logical ? DPtoLP(Hd<HDC>(a, 1), &pt, 1) : LPtoDP(Hd<HDC>(a, 1), &pt, 1);
    p[0] = Num(pt.y);
    p[1] = Num(pt.x);
    return Log(ok);
  };
  RegisterFunction("DPTOLP", [convert](Args& a) { return convert(a, true); });
  RegisterFunction("LPTODP", [convert](Args& a) { return convert(a, false); });
  RegisterFunction("GETDEVICECAPS", [](Args& a) { return Num(GetDeviceCaps(Hd<HDC>(a, 1), I(a, 2))); });
  RegisterFunction("GETERRMSG", [](Args&) { return Str(SystemMessage(GetLastError())); });
}

void RegisterWords() {
  using xb::RegisterFunction;
  RegisterFunction("NLOWORD", [](Args& a) { return Num(static_cast<std::int16_t>(a.Int(1) & 0xFFFF)); });
  RegisterFunction("NHIWORD", [](Args& a) { return Num(static_cast<std::int16_t>((a.Int(1) >> 16) & 0xFFFF)); });
  RegisterFunction("NLOBYTE", [](Args& a) { return Num(a.Int(1) & 0xFF); });
  RegisterFunction("NMAKELONG", [](Args& a) {
    const auto low = static_cast<std::uint32_t>(a.Int(1) & 0xFFFF);
    const auto high = static_cast<std::uint32_t>(a.Int(2) & 0xFFFF);
    return Num(static_cast<std::int32_t>(low | high << 16));
  });
  RegisterFunction("GETNMHDRCODE", [](Args& a) {
    const auto* header = Hd<const NMHDR*>(a, 1);
    return Num(header != nullptr ? static_cast<std::int32_t>(header->code) : 0);
  });
  RegisterFunction("GETNMHDRHWNDFROM", [](Args& a) {
    const auto* header = Hd<const NMHDR*>(a, 1);
    return header != nullptr ? Ptr(header->hwndFrom) : Num(0);
  });
}

}  // namespace

std::string GetWindowTextOf(HWND hwnd) {
  if (!IsWindow(hwnd)) return {};
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message(text != nullptr ? text : "", n);
  if (text != nullptr) LocalFree(text);
  return message;
}

void RegisterWindowWrappers() {
  RegisterWindows();
  RegisterGeometry();
  RegisterWords();
}

}  // namespace ui
