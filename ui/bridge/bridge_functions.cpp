// The bridge's functions in the runtime's function table, by upper-case name, so that code
// blocks and text compiled at run time can call them. Arguments are taken by position; a
// missing one (or one of another type) counts as 0, "" or .F. unless a default is named.
// Handles and addresses travel as plain numbers, rectangles as {top, left, bottom, right},
// points given as {y, x} and points returned as {x, y}.
#include "ui/bridge/bridge_functions.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/object.h"
#include "ui/bridge/bar_helpers.h"
#include "ui/bridge/bitmap_functions.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/bridge/dialog_boxes.h"
#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/dll_calls.h"
#include "ui/bridge/drawing.h"
#include "ui/bridge/input_wrappers.h"
#include "ui/bridge/mdi_helpers.h"
#include "ui/bridge/menu_wrappers.h"
#include "ui/bridge/message_decoder.h"
#include "ui/bridge/metafiles.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/profile.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/small_helpers.h"
#include "ui/bridge/state_drawing.h"
#include "ui/bridge/system_wrappers.h"
#include "ui/bridge/text_colors.h"
#include "ui/bridge/text_drawing.h"
#include "ui/bridge/tree_view.h"
#include "ui/bridge/window_wrappers.h"
#include "ui/bridge/window_classes.h"
#include "ui/bridge/window_dispatch.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

template <typename H = HANDLE>
H Hd(const Args& a, int n) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(a.Int(n)));
}
int I(const Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }
std::string S(const Args& a, int n) { return std::string(a.Str(n)); }

Value Num(std::int64_t n) { return Value::Integer(n); }
Value Ptr(const void* p) { return Value::Integer(reinterpret_cast<std::intptr_t>(p)); }
template <typename F>
Value Proc(F* f) {
  return Value::Integer(reinterpret_cast<std::intptr_t>(reinterpret_cast<void*>(f)));
}
Value Log(bool b) { return Value::Logical(b); }

Value RectValue(const Rect& r) { return Value(xb::Array::Of({Num(r.top), Num(r.left), Num(r.bottom), Num(r.right)})); }

// A {top, left, bottom, right} argument; nullopt when it is not an array.
std::optional<Rect> RectArg(const Args& a, int n) {
  const xb::Array r = a.Arr(n);
  if (!r) return std::nullopt;
  auto at = [&](size_t i) { return static_cast<int>(r.Get(i).AsInt()); };
  return Rect{at(0), at(1), at(2), at(3)};
}

// A {y, x} point argument.
POINT PointArg(const Args& a, int n) {
  const xb::Array p = a.Arr(n);
  if (!p) return POINT{};
  return POINT{static_cast<LONG>(p.Get(1).AsInt()), static_cast<LONG>(p.Get(0).AsInt())};
}

// A resource given by name or by number.
std::string ResourceName(const Args& a, int n, LPCSTR* out) {
  if (a.Arg(n).IsNumber()) {
    *out = MAKEINTRESOURCEA(static_cast<WORD>(a.Int(n)));
    return {};
  }
  std::string name = S(a, n);
  *out = nullptr;
  return name;
}

void Reg(std::string_view name, xb::FunctionBody body) { xb::RegisterFunction(name, std::move(body)); }

void RegisterDispatch() {
  Reg("XCHANGEPROC", [](Args& a) { return Proc(XChangeProc(Hd<HWND>(a, 1), I(a, 2))); });
  Reg("XFREEPROC", [](Args&) { return Value(); });
  Reg("RESTPROC", [](Args& a) {
    return Proc(RestProc(Hd<HWND>(a, 1), reinterpret_cast<WNDPROC>(static_cast<std::intptr_t>(a.Int(2)))));
  });
  Reg("WNDHANDLEEVENT", [](Args& a) -> Value {
    auto* target = dynamic_cast<MessageTarget*>(a.Obj(1).get());
    if (target == nullptr) return Value();
    const Answer answer = DecodeMessage(*target, static_cast<UINT>(a.Int(2)),
                                        static_cast<WPARAM>(a.Int(3)), static_cast<LPARAM>(a.Int(4)));
    if (answer.is_number()) return Num(answer.number());
    if (answer.is_logical()) return Log(answer.logical());
    return Value();
  });
}

void RegisterLoop() {
  Reg("WINRUN", [](Args& a) { WinRun(Hd<HWND>(a, 1)); return Value(); });
  Reg("SYSREFRESH", [](Args&) { return Log(SysRefresh()); });
  Reg("SETWNDAPP", [](Args& a) { SetWndApp(Hd<HWND>(a, 1)); return Value(); });
  Reg("GETWNDAPP", [](Args&) { return Ptr(GetWndApp()); });
  Reg("SETACCTABLE", [](Args& a) -> Value {
    if (a.Count() == 0) {
      DestroyAccTable();
      return Value();
    }
    const xb::Array list = a.Arr(1);
    if (!list) return Value();
    std::vector<Accelerator> keys;
    for (const Value& entry : list) {
      const xb::Array e = entry.AsArray();
      if (!e) continue;
      keys.push_back({static_cast<int>(e.Get(0).AsInt()), static_cast<int>(e.Get(1).AsInt()),
                      static_cast<int>(e.Get(2).AsInt())});
    }
    return Ptr(SetAccTable(keys));
  });
  Reg("SETTIMER", [](Args& a) {
    return Num(static_cast<std::int64_t>(::SetTimer(Hd<HWND>(a, 1), static_cast<UINT_PTR>(a.Int(2)),
                                                     static_cast<UINT>(a.Int(3)), Hd<TIMERPROC>(a, 4))));
  });
  Reg("KILLTIMER", [](Args& a) { return Log(::KillTimer(Hd<HWND>(a, 1), static_cast<UINT_PTR>(a.Int(2)))); });
  Reg("GETTICKCOUNT", [](Args&) { return Num(::GetTickCount()); });
  Reg("WAITMESSAGE", [](Args&) { ::WaitMessage(); return Value(); });
  Reg("GETFRAMEPROC", [](Args&) { return Proc(GetFrameProc()); });
  Reg("GETMDICHLPROC", [](Args&) { return Proc(GetMdiChlProc()); });
  Reg("CMDISTRUCT", [](Args& a) {
    return Value::String(CMdiStruct(S(a, 1), S(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6),
                                    static_cast<DWORD>(a.Int(7)), static_cast<LPARAM>(a.Int(8))));
  });
  Reg("LWRUNNING", [](Args&) { return Log(LWRunning()); });
  Reg("REGDIALOG", [](Args& a) { return Log(RegDialog(Hd<HWND>(a, 1))); });
  Reg("CANREGDIALOG", [](Args&) { return Log(CanRegDialog()); });
  Reg("DEREGDIALOG", [](Args& a) { return Log(DeregDialog(Hd<HWND>(a, 1))); });
  Reg("POSTQUITMESSAGE", [](Args& a) { ::PostQuitMessage(I(a, 1)); return Value(); });
}

void RegisterResources() {
  Reg("SETRESOURCES", [](Args& a) {
    if (a.Arg(1).IsString()) return Ptr(SetResources(S(a, 1)));
    if (a.Arg(1).IsNumber()) return Ptr(SetResources(Hd<HMODULE>(a, 1)));
    return Ptr(CurrentResources());
  });
  Reg("GETRESOURCES", [](Args&) { return Ptr(GetResources()); });
  Reg("FREERESOURCES", [](Args&) { FreeResources(); return Value(); });
  Reg("FINDRESOURCE", [](Args& a) {
    LPCSTR id = nullptr;
    const std::string name = ResourceName(a, 2, &id);
    return Ptr(::FindResourceA(Hd<HMODULE>(a, 1), id != nullptr ? id : name.c_str(),
                               MAKEINTRESOURCEA(static_cast<WORD>(a.Int(3)))));
  });
  Reg("GETFREESYSTEMRESOURCES", [](Args& a) { return Num(GetFreeSystemResources(I(a, 1))); });
  Reg("LOADLIBRARY", [](Args& a) { return Ptr(::LoadLibraryA(S(a, 1).c_str())); });
  Reg("FREELIBRARY", [](Args& a) {
    if (a.Arg(1).IsString()) {
      FreeCachedLibrary(S(a, 1));
    } else {
      FreeCachedLibrary(Hd<HMODULE>(a, 1));
    }
    return Value();
  });
  Reg("GLOBALALLOC", [](Args& a) {
    return Ptr(::GlobalAlloc(static_cast<UINT>(a.Int(1)), static_cast<SIZE_T>(a.Int(2))));
  });
  Reg("GLOBALFREE", [](Args& a) {
    HGLOBAL block = Hd<HGLOBAL>(a, 1);
    return Log(block != nullptr && ::GlobalFree(block) == nullptr);
  });
  Reg("GLOBALLOCK", [](Args& a) { return Ptr(::GlobalLock(Hd<HGLOBAL>(a, 1))); });
  Reg("GLOBALUNLOCK", [](Args& a) { return Num(::GlobalUnlock(Hd<HGLOBAL>(a, 1))); });
  Reg("NEXTMEM", [](Args&) { return Num(static_cast<std::int64_t>(NextMem())); });
  Reg("RESALLFREE", [](Args&) { return Value(); });
  Reg("GETINSTANCE", [](Args&) { return Ptr(GetInstance()); });
  Reg("GETMODULEHANDLE", [](Args& a) {
    return Ptr(::GetModuleHandleA(a.IsNil(1) ? nullptr : S(a, 1).c_str()));
  });
}

void RegisterText() {
  Reg("TEXTOUT", [](Args& a) { return Log(TextOut(Hd<HDC>(a, 1), I(a, 2), I(a, 3), a.Str(4))); });
  Reg("EXTTEXTOUT", [](Args& a) {
    return Log(ExtTextOut(Hd<HDC>(a, 1), I(a, 2), I(a, 3), RectArg(a, 4), a.Str(5),
                          static_cast<UINT>(a.Int(6))));
  });
  Reg("DRAWTEXT", [](Args& a) {
    if (a.Count() < 2) return Num(0);
    return Num(DrawText(Hd<HDC>(a, 1), a.Str(2), RectArg(a, 3).value_or(kDrawTextDefaultRect),
                        a.IsNil(4) ? kDrawTextDefaultFormat : static_cast<UINT>(a.Int(4))));
  });
  Reg("SETTEXTALIGN", [](Args& a) { return Num(::SetTextAlign(Hd<HDC>(a, 1), static_cast<UINT>(a.Int(2)))); });
  Reg("GETTEXTALIGN", [](Args& a) { return Num(::GetTextAlign(Hd<HDC>(a, 1))); });
  Reg("SETTEXTCOLOR", [](Args& a) { return Num(::SetTextColor(Hd<HDC>(a, 1), static_cast<COLORREF>(a.Int(2)))); });
  Reg("SETBKCOLOR", [](Args& a) { return Num(::SetBkColor(Hd<HDC>(a, 1), static_cast<COLORREF>(a.Int(2)))); });
  Reg("GETTEXTCOLOR", [](Args& a) { return Num(::GetTextColor(Hd<HDC>(a, 1))); });
  Reg("GETBKCOLOR", [](Args& a) { return Num(::GetBkColor(Hd<HDC>(a, 1))); });
  Reg("SETBKMODE", [](Args& a) { return Num(::SetBkMode(Hd<HDC>(a, 1), I(a, 2))); });
  Reg("GETSYSCOLOR", [](Args& a) { return Num(::GetSysColor(I(a, 1))); });
  Reg("GETTEXTWIDTH", [](Args& a) { return Num(GetTextWidth(Hd<HDC>(a, 1), a.Str(2), Hd<HFONT>(a, 3))); });
  Reg("GETTEXTHEIGHT", [](Args& a) { return Num(GetTextHeight(Hd<HWND>(a, 1), Hd<HDC>(a, 2))); });
  Reg("NWNDCHRHEIGHT", [](Args& a) { return Num(NWndChrHeight(Hd<HWND>(a, 1), Hd<HFONT>(a, 2))); });
  Reg("GETFONTINFO", [](Args& a) {
    const FontInfo f = GetFontInfo(Hd<HFONT>(a, 1));
    return Value(xb::Array::Of({Num(f.height), Num(f.ave_char_width), Log(f.bold), Value::String(f.face)}));
  });
  Reg("CREATEFONT", [](Args& a) {
    const xb::Array v = a.Arr(1);
    auto n = [&](size_t i) { return static_cast<int>(v.Get(i).AsInt()); };
    LOGFONTA lf = {};
    if (v) {
      lf.lfHeight = n(0);
      lf.lfWidth = n(1);
      lf.lfEscapement = n(2);
      lf.lfOrientation = n(3);
      lf.lfWeight = n(4);
      lf.lfItalic = static_cast<BYTE>(v.Get(5).IsLogical() ? v.Get(5).AsLogical() : n(5));
      lf.lfUnderline = static_cast<BYTE>(v.Get(6).IsLogical() ? v.Get(6).AsLogical() : n(6));
      lf.lfStrikeOut = static_cast<BYTE>(v.Get(7).IsLogical() ? v.Get(7).AsLogical() : n(7));
      lf.lfCharSet = static_cast<BYTE>(n(8));
      lf.lfOutPrecision = static_cast<BYTE>(n(9));
      lf.lfClipPrecision = static_cast<BYTE>(n(10));
      lf.lfQuality = static_cast<BYTE>(n(11));
      lf.lfPitchAndFamily = static_cast<BYTE>(n(12));
      const std::string_view face = v.Get(13).AsString();
      std::memcpy(lf.lfFaceName, face.data(), std::min(face.size(), sizeof lf.lfFaceName - 1));
    }
    return Ptr(::CreateFontIndirectA(&lf));
  });
  Reg("WSAY", [](Args& a) {
    SayStyle style;
    if (!a.IsNil(6)) style.fore = static_cast<COLORREF>(a.Int(6));
    if (!a.IsNil(7)) style.back = static_cast<COLORREF>(a.Int(7));
    style.font = Hd<HFONT>(a, 8);
    style.pixels = a.Log(9);
    style.transparent = a.Log(10);
    if (!a.IsNil(11)) style.align = static_cast<UINT>(a.Int(11));
    WSay(Hd<HWND>(a, 1), Hd<HDC>(a, 2), I(a, 3), I(a, 4), a.Str(5), style);
    return Value();
  });
  Reg("WSAYRECT", [](Args& a) {
    WSayRect(Hd<HWND>(a, 1), Hd<HDC>(a, 2), I(a, 3), I(a, 4), a.Str(5), static_cast<COLORREF>(a.Int(6)),
             a.IsNil(7) ? RGB(255, 255, 255) : static_cast<COLORREF>(a.Int(7)), I(a, 8));
    return Value();
  });
  Reg("NGETFORERGB", [](Args& a) { return Num(NGetForeRGB(a.Str(1))); });
  Reg("NGETBACKRGB", [](Args& a) { return Num(NGetBackRGB(a.Str(1))); });
  Reg("NRGBRED", [](Args& a) { return Num(NRGBRed(static_cast<COLORREF>(a.Int(1)))); });
  Reg("NRGBGREEN", [](Args& a) { return Num(NRGBGreen(static_cast<COLORREF>(a.Int(1)))); });
  Reg("NRGBBLUE", [](Args& a) { return Num(NRGBBlue(static_cast<COLORREF>(a.Int(1)))); });
}

void RegisterDeviceContexts() {
  Reg("GETDC", [](Args& a) { return Ptr(::GetDC(Hd<HWND>(a, 1))); });
  Reg("RELEASEDC", [](Args& a) { return Log(::ReleaseDC(Hd<HWND>(a, 1), Hd<HDC>(a, 2)) != 0); });
  Reg("CREATEDC", [](Args& a) { return Ptr(CreateDC(S(a, 1), S(a, 2), S(a, 3), S(a, 4))); });
  Reg("CREATECDC", [](Args& a) { return Ptr(::CreateCompatibleDC(Hd<HDC>(a, 1))); });
  Reg("COMPATDC", [](Args& a) { return Ptr(::CreateCompatibleDC(Hd<HDC>(a, 1))); });
  Reg("COMPATBMP", [](Args& a) { return Ptr(::CreateCompatibleBitmap(Hd<HDC>(a, 1), I(a, 2), I(a, 3))); });
  Reg("DELETEDC", [](Args& a) { return Log(::DeleteDC(Hd<HDC>(a, 1))); });
  Reg("SAVEDC", [](Args& a) { return Num(::SaveDC(Hd<HDC>(a, 1))); });
  Reg("RESTOREDC", [](Args& a) { return Log(::RestoreDC(Hd<HDC>(a, 1), I(a, 2, -1))); });
  Reg("SETMAPMODE", [](Args& a) { return Num(::SetMapMode(Hd<HDC>(a, 1), I(a, 2))); });
  Reg("SETWINDOWEXT", [](Args& a) {
    SIZE old = {};
    ::SetWindowExtEx(Hd<HDC>(a, 1), I(a, 2), I(a, 3), &old);
    return Value(xb::Array::Of({Num(old.cx), Num(old.cy)}));
  });
  Reg("SETVIEWPORTEXT", [](Args& a) {
    SIZE old = {};
    ::SetViewportExtEx(Hd<HDC>(a, 1), I(a, 2), I(a, 3), &old);
    return Value(xb::Array::Of({Num(old.cx), Num(old.cy)}));
  });
  Reg("SETVIEWORG", [](Args& a) {
    POINT old = {};
    ::SetViewportOrgEx(Hd<HDC>(a, 1), I(a, 2), I(a, 3), &old);
    return Value(xb::Array::Of({Num(old.x), Num(old.y)}));
  });
  Reg("SELECTOBJECT", [](Args& a) { return Ptr(::SelectObject(Hd<HDC>(a, 1), Hd<HGDIOBJ>(a, 2))); });
  Reg("BITBLT", [](Args& a) {
    return Log(::BitBlt(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), Hd<HDC>(a, 6), I(a, 7), I(a, 8),
                        static_cast<DWORD>(a.Int(9))));
  });
  Reg("STRETCHBL", [](Args& a) {
    return Log(::StretchBlt(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), Hd<HDC>(a, 6), I(a, 7),
                            I(a, 8), I(a, 9), I(a, 10), static_cast<DWORD>(a.Int(11))));
  });
  Reg("STRETCHBLT", [](Args& a) {
    return Log(::StretchBlt(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), Hd<HDC>(a, 6), I(a, 7),
                            I(a, 8), I(a, 9), I(a, 10), static_cast<DWORD>(a.Int(11))));
  });
  Reg("FILLRECT", [](Args& a) {
    if (auto r = RectArg(a, 2)) FillRect(Hd<HDC>(a, 1), *r, Hd<HBRUSH>(a, 3));
    return Value();
  });
  Reg("INVERTRECT", [](Args& a) {
    if (auto r = RectArg(a, 2)) InvertRect(Hd<HDC>(a, 1), *r);
    return Value();
  });
  Reg("DRAWFOCUSRECT", [](Args& a) {
    DrawFocusRect(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5));
    return Value();
  });
  Reg("FRAMEDOT", [](Args& a) {
    FrameDot(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5));
    return Value();
  });
  Reg("INVALIDATERECT", [](Args& a) {
    const std::optional<Rect> rect = RectArg(a, 2);
    const bool erase = rect ? a.Log(3, true) : a.Log(2, true);
    InvalidateRect(Hd<HWND>(a, 1), rect, erase);
    return Value();
  });
  Reg("GETCLIENTRECT", [](Args& a) { return RectValue(GetClientRect(Hd<HWND>(a, 1))); });
  Reg("GETWNDRECT", [](Args& a) { return RectValue(GetWndRect(Hd<HWND>(a, 1))); });
  Reg("GETCOORS", [](Args& a) { return RectValue(GetCoors(Hd<HWND>(a, 1))); });
  auto convert = [](Args& a, bool to_screen) {
    const POINT p = to_screen ? ClientToScreen(Hd<HWND>(a, 1), PointArg(a, 2))
                              : ScreenToClient(Hd<HWND>(a, 1), PointArg(a, 2));
    if (const xb::Array given = a.Arr(2); given && given.size() >= 2) {
      given[0] = Num(p.y);
      given[1] = Num(p.x);
    }
    return Value(xb::Array::Of({Num(p.y), Num(p.x)}));
  };
  Reg("CLIENTTOSCREEN", [convert](Args& a) { return convert(a, true); });
  Reg("SCREENTOCLIENT", [convert](Args& a) { return convert(a, false); });
  Reg("BEGINPAINT", [](Args& a) {
    std::string ps;
    HDC dc = BeginPaint(Hd<HWND>(a, 1), ps);
    a.SetRef(2, Value::String(ps));
    return Ptr(dc);
  });
  Reg("ENDPAINT", [](Args& a) { EndPaint(Hd<HWND>(a, 1), S(a, 2)); return Value(); });
  Reg("WNDPRINT", [](Args& a) {
    WndPrint(Hd<HWND>(a, 1), Hd<HDC>(a, 2), I(a, 3), I(a, 4), I(a, 5, 1));
    return Value();
  });
}

void RegisterDrawing() {
  Reg("MOVETO", [](Args& a) { return Log(MoveTo(Hd<HDC>(a, 1), I(a, 2), I(a, 3))); });
  Reg("LINETO", [](Args& a) { return Log(LineTo(Hd<HDC>(a, 1), I(a, 2), I(a, 3), Hd<HPEN>(a, 4))); });
  Reg("RECTANGLE", [](Args& a) {
    return Log(Rectangle(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), Hd<HPEN>(a, 6)));
  });
  Reg("ELLIPSE", [](Args& a) { return Log(::Ellipse(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5))); });
  Reg("POLYPOLYGON", [](Args& a) {
    std::vector<std::vector<POINT>> polygons;
    for (int n = 2; n <= a.Count(); ++n) {
      std::vector<POINT> points;
      if (const xb::Array polygon = a.Arr(n)) {
        for (const Value& p : polygon) {
          const xb::Array xy = p.AsArray();
          if (xy) points.push_back(POINT{static_cast<LONG>(xy.Get(0).AsInt()), static_cast<LONG>(xy.Get(1).AsInt())});
        }
      }
      polygons.push_back(std::move(points));
    }
    return Log(PolyPolygon(Hd<HDC>(a, 1), polygons));
  });
  Reg("FLOODFILL", [](Args& a) {
    return Log(FloodFill(Hd<HDC>(a, 1), I(a, 2), I(a, 3), static_cast<COLORREF>(a.Int(4)),
                         static_cast<COLORREF>(a.Int(5))));
  });
  Reg("SETPIXEL", [](Args& a) {
    return Num(::SetPixel(Hd<HDC>(a, 1), I(a, 2), I(a, 3), static_cast<COLORREF>(a.Int(4))));
  });
  Reg("CREATEPEN", [](Args& a) { return Ptr(::CreatePen(I(a, 1), I(a, 2), static_cast<COLORREF>(a.Int(3)))); });
  Reg("CREATESOLIDBRUSH", [](Args& a) { return Ptr(::CreateSolidBrush(static_cast<COLORREF>(a.Int(1)))); });
  Reg("CREATEHATCHBRUSH", [](Args& a) {
    return Ptr(::CreateHatchBrush(I(a, 1), static_cast<COLORREF>(a.Int(2))));
  });
  Reg("GETSTOCKOBJECT", [](Args& a) { return Ptr(::GetStockObject(I(a, 1))); });
  Reg("SETBLACKPEN", [](Args& a) { return Ptr(SetBlackPen(Hd<HDC>(a, 1))); });
  Reg("DELETEOBJECT", [](Args& a) { return Log(DeleteGdiObject(Hd<HGDIOBJ>(a, 1))); });
  Reg("WNDBOX", [](Args& a) { WndBox(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5)); return Value(); });
  Reg("WNDBOXIN", [](Args& a) { WndBoxIn(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5)); return Value(); });
  Reg("WNDBOXRAISED", [](Args& a) {
    WndBoxRaised(Hd<HDC>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5));
    return Value();
  });
}

void RegisterCursorsAndFocus() {
  Reg("CURSORARROW", [](Args&) { return Ptr(CursorArrow()); });
  Reg("CURSORIBEAM", [](Args&) { return Ptr(CursorIBeam()); });
  Reg("CURSORWE", [](Args&) { return Ptr(CursorWE()); });
  Reg("CURSORWAIT", [](Args&) { CursorWait(); return Value(); });
  Reg("CURSORHAND", [](Args&) { CursorHand(); return Value(); });
  Reg("GETCURSORHAND", [](Args&) { return Ptr(GetCursorHand()); });
  Reg("CURSORCATCH", [](Args&) { CursorCatch(); return Value(); });
  Reg("GETCURSORSTOP", [](Args&) { return Ptr(GetCursorStop()); });
  Reg("GETCURSORDRAG", [](Args&) { return Ptr(GetCursorDrag()); });
  Reg("LOADCURSOR", [](Args& a) {
    LPCSTR id = nullptr;
    const std::string name = ResourceName(a, 2, &id);
    return Ptr(::LoadCursorA(Hd<HINSTANCE>(a, 1), id != nullptr ? id : name.c_str()));
  });
  Reg("WSETCURSOR", [](Args& a) { return Ptr(::SetCursor(Hd<HCURSOR>(a, 1))); });
  Reg("DESTROYCURSOR", [](Args& a) { return Log(::DestroyCursor(Hd<HCURSOR>(a, 1))); });
  Reg("LOADICON", [](Args& a) {
    LPCSTR id = nullptr;
    const std::string name = ResourceName(a, 2, &id);
    return Ptr(::LoadIconA(Hd<HINSTANCE>(a, 1), id != nullptr ? id : name.c_str()));
  });
  Reg("EXTRACTICON", [](Args& a) {
    return Ptr(::ExtractIconA(GetInstance(), S(a, 1).c_str(), static_cast<UINT>(a.Int(2))));
  });
  Reg("DRAWICON", [](Args& a) { return Log(::DrawIcon(Hd<HDC>(a, 1), I(a, 3), I(a, 2), Hd<HICON>(a, 4))); });
  Reg("DRAWICONFOCUS", [](Args& a) { return Log(DrawIconFocus(Hd<HDC>(a, 1), I(a, 2), I(a, 3), Hd<HICON>(a, 4))); });
  Reg("DESTROYICON", [](Args& a) { return Log(::DestroyIcon(Hd<HICON>(a, 1))); });
  Reg("SETCAPTURE", [](Args& a) { return Ptr(::SetCapture(Hd<HWND>(a, 1))); });
  Reg("GETCAPTURE", [](Args&) { return Ptr(::GetCapture()); });
  Reg("RELEASECAPTURE", [](Args&) { ::ReleaseCapture(); return Value(); });
  Reg("SETFOCUS", [](Args& a) {
    if (::IsWindow(Hd<HWND>(a, 1))) ::SetFocus(Hd<HWND>(a, 1));
    return Value();
  });
  Reg("GETFOCUS", [](Args&) { return Ptr(::GetFocus()); });
  Reg("SHOWWINDOW", [](Args& a) {
    HWND hwnd = Hd<HWND>(a, 1);
    if (!::IsWindow(hwnd)) return Log(false);
    return Log(::ShowWindow(hwnd, I(a, 2, SW_SHOWNORMAL)) != FALSE);
  });
  Reg("MESSAGEBEEP", [](Args& a) { ::MessageBeep(static_cast<UINT>(a.Int(1))); return Value(); });
  Reg("MSGBEEP", [](Args&) { ::MessageBeep(0); return Value(); });
}

void RegisterSystemHelpers() {
  Reg("GETSYSMETRICS", [](Args& a) { return Num(::GetSystemMetrics(I(a, 1))); });
  Reg("LMKDIR", [](Args& a) { return Log(LMkDir(S(a, 1))); });
  Reg("LCHDIR", [](Args& a) { return Log(LChDir(S(a, 1))); });
  Reg("LRMDIR", [](Args&) { return Value(); });
  auto fold = [](Args& a, bool is_or) {
    std::vector<std::int64_t> values;
    for (int n = 1; n <= a.Count(); ++n) values.push_back(a.Int(n));
    return Num(is_or ? NOr(values) : NAnd(values));
  };
  Reg("NOR", [fold](Args& a) { return fold(a, true); });
  Reg("NAND", [fold](Args& a) { return fold(a, false); });
  Reg("NNOT", [](Args& a) { return Num(NNot(a.Int(1))); });
  Reg("LAND", [](Args& a) { return Log(LAnd(a.Int(1), a.Int(2))); });
  Reg("NPTRWORD", [](Args& a) { return Num(NPtrWord(static_cast<std::uintptr_t>(a.Int(1)))); });
  Reg("I2HEX", [](Args& a) { return Value::String(I2Hex(a.Int(1))); });
  Reg("CCHR2DATA", [](Args& a) {
    Value result = Value::String(CChr2Data(S(a, 1)));
    a.SetRef(1, result);  // changed in place when passed by reference
    return result;
  });
  Reg("MOVEGET", [](Args& a) { MoveGet(Hd<HWND>(a, 1)); return Value(); });
  Reg("MGETCREATE", [](Args& a) {
    return Ptr(MGetCreate(S(a, 1), S(a, 2), static_cast<DWORD>(a.Int(3)), I(a, 4), I(a, 5), I(a, 6), I(a, 7),
                          Hd<HWND>(a, 8), I(a, 9), S(a, 10)));
  });
  Reg("BARADJUST", [](Args& a) { BarAdjust(Hd<HWND>(a, 1), I(a, 2), a.Log(3), I(a, 4)); return Value(); });
  Reg("BARINVERT", [](Args& a) { BarInvert(Hd<HWND>(a, 1)); return Value(); });
  Reg("CTRLDRAWFOCUS", [](Args& a) {
    CtrlDrawFocus(Hd<HWND>(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6));
    return Value();
  });
  Reg("DOTSADJUST", [](Args& a) {
    std::array<HWND, 8> dots{};
    for (int i = 0; i < 8; ++i) dots[static_cast<size_t>(i)] = Hd<HWND>(a, i + 2);
    DotsAdjust(Hd<HWND>(a, 1), dots);
    return Value();
  });
  Reg("LBXMEASURE", [](Args& a) { return Log(LbxMeasure(Hd<MEASUREITEMSTRUCT*>(a, 1), I(a, 2))); });
  Reg("TCBRWSCROLL", [](Args& a) {
    TcBrwScroll(Hd<HWND>(a, 1), I(a, 2), Hd<HFONT>(a, 3), I(a, 4));
    return Value();
  });
}

void RegisterTreeView() {
  Reg("TVSETIMAGELIST", [](Args& a) { return Ptr(TVSetImageList(Hd<HWND>(a, 1), Hd<HIMAGELIST>(a, 2), I(a, 3))); });
  Reg("TVGETSELECTED", [](Args& a) { return Ptr(TVGetSelected(Hd<HWND>(a, 1))); });
  Reg("TVGETSELTEXT", [](Args& a) { return Value::String(TVGetSelText(Hd<HWND>(a, 1))); });
  Reg("TVSELECT", [](Args& a) { return Log(TVSelect(Hd<HWND>(a, 1), Hd<HTREEITEM>(a, 2))); });
  Reg("TVDELETEITEM", [](Args& a) { return Log(TVDeleteItem(Hd<HWND>(a, 1), Hd<HTREEITEM>(a, 2))); });
  Reg("TVDELETEALLITEMS", [](Args& a) { return Log(TVDeleteAllItems(Hd<HWND>(a, 1))); });
  Reg("TVHITTEST", [](Args& a) { return Ptr(TVHitTest(Hd<HWND>(a, 1), I(a, 2), I(a, 3))); });
  Reg("ILCREATE", [](Args& a) { return Ptr(ILCreate(I(a, 1), I(a, 2))); });
  Reg("ILDESTROY", [](Args& a) { return Log(ILDestroy(Hd<HIMAGELIST>(a, 1))); });
  Reg("ILADD", [](Args& a) { return Num(ILAdd(Hd<HIMAGELIST>(a, 1), Hd<HBITMAP>(a, 2), Hd<HBITMAP>(a, 3))); });
  Reg("ILADDMASKED", [](Args& a) {
    return Num(ILAddMasked(Hd<HIMAGELIST>(a, 1), Hd<HBITMAP>(a, 2), static_cast<COLORREF>(a.Int(3))));
  });
  Reg("ILSETBKCOLOR", [](Args& a) {
    return Num(ILSetBkColor(Hd<HIMAGELIST>(a, 1), static_cast<COLORREF>(a.Int(2))));
  });
}

void RegisterDialogs() {
  // A template of the resource module by name, or by number.
  auto name = [](const Args& a, int n) {
    DialogName d;
    if (a.Arg(n).IsNumber()) d.number = I(a, n);
    else d.name = S(a, n);
    return d;
  };
  Reg("DIALOGBOX", [name](Args& a) {
    return Num(ModalDialog(Hd<HINSTANCE>(a, 1), name(a, 2), Hd<HWND>(a, 3), a.Obj(4)));
  });
  Reg("DIALOGBOXINDIRECT", [](Args& a) {
    return Num(ModalDialogIndirect(Hd<HINSTANCE>(a, 1), a.Str(2), Hd<HWND>(a, 3), a.Obj(4)));
  });
  Reg("CREATEDLG", [name](Args& a) {
    return Ptr(ModelessDialog(Hd<HINSTANCE>(a, 1), name(a, 2), Hd<HWND>(a, 3), a.Obj(4)));
  });
  Reg("CREATEDLGINDIRECT", [](Args& a) {
    return Ptr(ModelessDialogIndirect(Hd<HINSTANCE>(a, 1), a.Str(2), Hd<HWND>(a, 3), a.Obj(4)));
  });
  Reg("ENDDIALOG", [](Args& a) { EndDialogResult(Hd<HWND>(a, 1), I(a, 2)); return Value(); });
  Reg("GETDLGBASEUNITS", [](Args&) { return Num(::GetDialogBaseUnits()); });
  Reg("CDLG2CHR", [](Args& a) {
    return Value::String(CDlg2Chr(I(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), a.Str(6),
                                  static_cast<std::uint32_t>(a.Int(7))));
  });
  Reg("CCTRL2CHR", [](Args& a) {
    return Value::String(CCtrl2Chr(I(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), static_cast<std::uint32_t>(a.Int(6)),
                                   a.Str(7), a.Str(8)));
  });
}

}  // namespace

void RegisterBridgeFunctions() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterDispatch();
  RegisterLoop();
  RegisterResources();
  RegisterText();
  RegisterDeviceContexts();
  RegisterDrawing();
  RegisterCursorsAndFocus();
  RegisterSystemHelpers();
  RegisterTreeView();
  RegisterBitmapFunctions();
  RegisterMenuWrappers();
  RegisterProfileFunctions();
  RegisterStateDrawing();
  RegisterDialogs();
  RegisterCommonDialogs();
  RegisterPrinterFunctions();
  RegisterMetafileFunctions();
  RegisterDllCalls();
  RegisterWindowWrappers();
  RegisterInputWrappers();
  RegisterSystemWrappers();
  RegisterWindowClassFunctions();
}

}  // namespace ui
