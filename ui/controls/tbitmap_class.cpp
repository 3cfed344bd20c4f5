// The runtime class TBITMAP and the module's PBMPWIDTH / PBMPHEIGHT: what compiled text sends
// a bitmap control, the constructors' arguments by position.
#include <cstdint>

#include "runtime/function_table.h"
#include "ui/bridge/bitmaps.h"
#include "ui/controls/bitmap_registry.h"
#include "ui/controls/tbitmap.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TBitmap& B(Object& o) { return xb::Class::Cast<TBitmap>(o); }
std::string Str(const Args& a, int n) { return std::string(a.Str(n)); }
WindowRef Parent(const Args& a, int n) { return WindowRef(dynamic_cast<TWindow*>(a.Obj(n).get())); }
Value Handle(const void* h) { return Value::Integer(reinterpret_cast<std::intptr_t>(h)); }

// Define and ReDefine take the same arguments: nId, cResName, cBmpFile, oWnd, bLClicked,
// bRClicked, lScroll, lStretch, oCursor, cMsg, lUpdate, bWhen, bValid, lTransparent.
TBitmap::ReDefineParams DefineParams(const Args& a) {
  TBitmap::ReDefineParams p;
  p.id = static_cast<int>(a.Int(1));
  p.resource = Str(a, 2);
  p.file = Str(a, 3);
  p.parent = Parent(a, 4);
  p.l_clicked = a.Arg(5);
  p.r_clicked = a.Arg(6);
  p.scroll = a.Log(7);
  p.stretch = a.Log(8);
  p.cursor = a.Obj(9);
  p.message = Str(a, 10);
  p.update = a.Log(11);
  p.when = a.Arg(12);
  p.valid = a.Arg(13);
  p.transparent = a.Log(14);
  return p;
}

}  // namespace

const xb::Class& TBitmap::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TBITMAP", &TControl::Cls());
    c.Data("NX", &TBitmap::nX);
    c.Data("NY", &TBitmap::nY);
    c.Data("NOLDX", &TBitmap::nOldX);
    c.Data("NOLDY", &TBitmap::nOldY);
    c.Data("CBMPFILE", &TBitmap::cBmpFile);
    c.Data("CRESNAME", &TBitmap::cResName);
    c.Data("LSCROLL", &TBitmap::lScroll);
    c.Data("LSTRETCH", &TBitmap::lStretch);
    c.Data("AHOTAREAS", &TBitmap::aHotAreas);
    c.Data("NVSTEP", &TBitmap::nVStep);
    c.Data("NHSTEP", &TBitmap::nHStep);
    c.Data("LTRANSPARENT", &TBitmap::lTransparent);
    c.Data("LFONDO", &TBitmap::lFondo);
    c.Data("LFILE", &TBitmap::lFile);
    c.Property("HBITMAP", [](Object& o) { return Handle(B(o).hBitmap); }, nullptr);
    c.Property("HPALETTE", [](Object& o) { return Handle(B(o).hPalette); }, nullptr);
    c.Property("NZOOM", [](Object& o) { return Value::Integer(B(o).nZoom); },
               [](Object& o, const Value& v) { B(o).Zoom(static_cast<int>(v.AsInt())); });
    c.Property("APROPERTIES", [](Object&) {
      xb::Array list = xb::Array::New();
      for (const char* name : {"cBmpFile", "lStretch", "nTop", "nLeft", "nWidth", "nHeight", "nZoom"})
        list.Append(Value::String(name));
      return Value(list);
    }, nullptr);
    // New(nRow, nCol, nWidth, nHeight, cResName, cBmpFile, lNoBorder, oWnd, bLClicked,
    //     bRClicked, lScroll, lStretch, oCursor, cMsg, lUpdate, bWhen, lPixel, bValid, lDesign)
    c.Method("NEW", [](Object& o, Args& a) {
      TBitmap::NewParams p;
      p.row = static_cast<int>(a.Int(1));
      p.col = static_cast<int>(a.Int(2));
      if (a.Arg(3).IsNumber() && a.Int(3) > 0) p.width = static_cast<int>(a.Int(3));
      if (a.Arg(4).IsNumber() && a.Int(4) > 0) p.height = static_cast<int>(a.Int(4));
      p.resource = Str(a, 5);
      p.file = Str(a, 6);
      p.no_border = a.Log(7);
      p.parent = Parent(a, 8);
      p.l_clicked = a.Arg(9);
      p.r_clicked = a.Arg(10);
      p.scroll = a.Log(11);
      p.stretch = a.Log(12);
      p.cursor = a.Obj(13);
      p.message = Str(a, 14);
      p.update = a.Log(15);
      p.when = a.Arg(16);
      p.pixel = a.Log(17);
      p.valid = a.Arg(18);
      p.design = a.Log(19);
      return B(o).New(p).Self();
    });
    c.Method("DEFINE", [](Object& o, Args& a) { return B(o).Define(DefineParams(a)).Self(); });
    c.Method("REDEFINE", [](Object& o, Args& a) { return B(o).ReDefine(DefineParams(a)).Self(); });
    c.Method("LOADIMAGE", [](Object& o, Args& a) { return Value::Logical(B(o).LoadImage(Str(a, 1), Str(a, 2))); });
    c.Method("RELOAD", [](Object& o, Args& a) { return Value::Logical(B(o).ReLoad(Str(a, 1), Str(a, 2))); });
    c.Method("SETBMP", [](Object& o, Args& a) { return Value::Logical(B(o).ReLoad(Str(a, 1), {})); });
    c.Method("LOADBMP", [](Object& o, Args& a) { return Value::Logical(B(o).LoadBmp(Str(a, 1))); });
    c.Method("REGBMP", [](Object&, Args& a) {
      const std::string name = a.Arg(1).IsNumber() ? std::to_string(a.Int(1)) : Str(a, 1);
      return Handle(RegisterBitmap(name).bitmap);
    });
    c.Method("DELBMP", [](Object&, Args& a) {
      ReleaseBitmap(reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(a.Int(1))));
      return Value();
    });
    c.Method("ZOOM", [](Object& o, Args& a) {
      if (a.Arg(1).IsNumber()) B(o).Zoom(static_cast<int>(a.Int(1)));
      return Value::Integer(B(o).nZoom);
    });
    c.Method("NWIDTH", [](Object& o, Args&) { return Value::Integer(B(o).PictureWidth()); });
    c.Method("NHEIGHT", [](Object& o, Args&) { return Value::Integer(B(o).PictureHeight()); });
    c.Method("NXEXTRA", [](Object& o, Args&) { return Value::Integer(B(o).nXExtra()); });
    c.Method("NYEXTRA", [](Object& o, Args&) { return Value::Integer(B(o).nYExtra()); });
    auto command = [&c](const char* name, void (TBitmap::*fn)()) {
      c.Method(name, [fn](Object& o, Args&) {
        (B(o).*fn)();
        return Value();
      });
    };
    command("SCROLLADJUST", &TBitmap::ScrollAdjust);
    command("SCROLLUP", &TBitmap::ScrollUp);
    command("SCROLLDOWN", &TBitmap::ScrollDown);
    command("SCROLLLEFT", &TBitmap::ScrollLeft);
    command("SCROLLRIGHT", &TBitmap::ScrollRight);
    command("PAGEUP", &TBitmap::PageUp);
    command("PAGEDOWN", &TBitmap::PageDown);
    command("PAGELEFT", &TBitmap::PageLeft);
    command("PAGERIGHT", &TBitmap::PageRight);
    command("CENTER", &TBitmap::Center);
    c.Method("COPYTOCLIPBOARD", [](Object& o, Args&) { return Value::Logical(B(o).CopyToClipboard()); });
    c.Method("LOADFROMCLIPBOARD", [](Object& o, Args&) { return Value::Logical(B(o).LoadFromClipboard()); });
    return c;
  }();
  return cls;
}

void RegisterBitmapControl() {
  (void)TBitmap::Cls();
  xb::RegisterFunction("TBITMAP", [](Args&) { return Value(xb::MakeRef<TBitmap>()); });
  xb::RegisterFunction("PBMPWIDTH", [](Args& a) {
    return Value::Integer(NBmpWidth(reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(a.Int(1)))));
  });
  xb::RegisterFunction("PBMPHEIGHT", [](Args& a) {
    return Value::Integer(NBmpHeight(reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(a.Int(1)))));
  });
}

}  // namespace ui
