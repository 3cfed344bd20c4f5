#include "ui/bridge/window_classes.h"

#include "runtime/function_table.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/wrapper_args.h"

namespace ui {

bool RegisterWindowClass(const WindowClassSpec& spec) {
  WNDCLASSA wc = {};
  wc.style = spec.style;
  wc.cbClsExtra = spec.class_extra;
  wc.cbWndExtra = spec.window_extra;
  wc.hInstance = spec.instance != nullptr ? spec.instance : GetInstance();
  wc.hCursor = spec.cursor;
  wc.hIcon = spec.icon;
  wc.hbrBackground = spec.background != nullptr ? spec.background
                                                : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszMenuName = spec.menu_name.empty() ? nullptr : spec.menu_name.c_str();  // no class menu
  wc.lpszClassName = spec.name.c_str();
  wc.lpfnWndProc = spec.procedure != nullptr ? spec.procedure : DefWindowProcA;
  return RegisterClassA(&wc) != 0;
}

void RegisterWindowClassFunctions() {
  using namespace wrap;
  // REGISTERCLASS(cName, nStyle, nClsExtra, nWndExtra, hInstance, hCursor, hBrush, cMenu,
  //               nWndProc, hIcon)
  xb::RegisterFunction("REGISTERCLASS", [](Args& a) {
    WindowClassSpec spec;
    spec.name = S(a, 1);
    spec.style = U(a, 2);
    spec.class_extra = I(a, 3);
    spec.window_extra = I(a, 4);
    spec.instance = Hd<HINSTANCE>(a, 5);
    spec.cursor = Hd<HCURSOR>(a, 6);
    spec.background = Hd<HBRUSH>(a, 7);
    spec.menu_name = S(a, 8);
    spec.procedure = Hd<WNDPROC>(a, 9);
    spec.icon = Hd<HICON>(a, 10);
    return Log(RegisterWindowClass(spec));
  });
}

}  // namespace ui
