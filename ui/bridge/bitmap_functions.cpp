// The bitmap, palette, DIB, painter and image-strip functions in the runtime's function
// table. Arguments are taken by position; a missing one counts as 0, "" or .F.; handles
// travel as numbers.
#include "ui/bridge/bitmap_functions.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/builtin_images.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/painters.h"
#include "ui/bridge/palette_table.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

template <typename H = HANDLE>
H Hd(const Args& a, int n) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(a.Int(n)));
}
int I(const Args& a, int n) { return static_cast<int>(a.Int(n)); }
COLORREF Clr(const Args& a, int n) { return static_cast<COLORREF>(a.Int(n)); }
std::string S(const Args& a, int n) { return std::string(a.Str(n)); }
Value Ptr(const void* p) { return Value::Integer(reinterpret_cast<std::intptr_t>(p)); }
Value Pair(const BitmapAndPalette& b) { return Value(xb::Array::Of({Ptr(b.bitmap), Ptr(b.palette)})); }
Value Triple(const std::optional<StripImage>& i) {
  const StripImage s = i.value_or(StripImage{});
  return Value(xb::Array::Of({Value::Integer(s.slot), Value::Integer(s.width), Value::Integer(s.height)}));
}

void Reg(std::string_view name, xb::FunctionBody body) { xb::RegisterFunction(name, std::move(body)); }

void RegisterBitmaps() {
  Reg("READBITMAP", [](Args& a) { return Ptr(ReadBitmap(Hd<HDC>(a, 1), S(a, 2))); });
  Reg("LOADBITMAP", [](Args& a) {
    const std::string name = S(a, 2);
    LPCSTR id = a.Arg(2).IsNumber() ? MAKEINTRESOURCEA(static_cast<WORD>(a.Int(2))) : name.c_str();
    return Ptr(LoadBitmapFrom(Hd<HINSTANCE>(a, 1), id));
  });
  Reg("PALBMPREAD", [](Args& a) { return Pair(PalBmpRead(Hd<HDC>(a, 1), S(a, 2))); });
  Reg("PALBMPLOAD", [](Args& a) {
    const std::string name = S(a, 1);
    LPCSTR id = a.Arg(1).IsNumber() ? MAKEINTRESOURCEA(static_cast<WORD>(a.Int(1))) : name.c_str();
    return Pair(PalBmpLoad(id));
  });
  Reg("PALBMPDRAW", [](Args& a) {
    PalDrawOptions o;
    o.width = I(a, 6);
    o.height = I(a, 7);
    o.rop = static_cast<DWORD>(a.Int(8));
    o.change_colour = a.Log(9);
    o.new_colour = Clr(a, 10);
    PalBmpDraw(Hd<HDC>(a, 1), I(a, 2), I(a, 3), Hd<HBITMAP>(a, 4), Hd<HPALETTE>(a, 5), o);
    return Value();
  });
  Reg("PALBMPNEW", [](Args& a) {
    return Value::Integer(PalBmpNew(Hd<HWND>(a, 1), Hd<HBITMAP>(a, 2), Hd<HPALETTE>(a, 3)));
  });
  Reg("PALBMPFREE", [](Args& a) { return Value::Logical(PalBmpFree(Hd<HBITMAP>(a, 1), Hd<HPALETTE>(a, 2))); });
  Reg("SETFOREBMP", [](Args& a) {
    const auto fore = SetForeBmp(Hd<HBITMAP>(a, 1), Hd<HPALETTE>(a, 2));
    return fore ? Pair(*fore) : Value();
  });
  Reg("QRYNEWPALEVENT", [](Args&) { return Value::Integer(QryNewPalEvent()); });
  Reg("PALCHGEVENT", [](Args& a) { return Value::Integer(PalChgEvent(Hd<HWND>(a, 1))); });

  Reg("DIBREAD", [](Args& a) { return Ptr(DibRead(S(a, 1))); });
  Reg("DIBWRITE", [](Args& a) { return Value::Logical(DibWrite(S(a, 1), Hd<HGLOBAL>(a, 2))); });
  Reg("DIBPALETTE", [](Args& a) { return Ptr(DibPalette(Hd<HGLOBAL>(a, 1))); });
  Reg("DIBDRAW", [](Args& a) {
    const auto drawn = DibDraw(Hd<HDC>(a, 1), Hd<HGLOBAL>(a, 2), Hd<HPALETTE>(a, 3), I(a, 4), I(a, 5), I(a, 6), I(a, 7),
                               static_cast<DWORD>(I(a, 8)));
    return drawn ? Value::Logical(*drawn) : Value();
  });
  Reg("DIBFROMBITMAP", [](Args& a) { return Ptr(DibFromBitmap(Hd<HBITMAP>(a, 1), Hd<HPALETTE>(a, 2))); });
  Reg("DRAWBITMAP", [](Args& a) {
    DrawBitmap(Hd<HDC>(a, 1), Hd<HBITMAP>(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6), static_cast<DWORD>(a.Int(7)));
    return Value();
  });
  Reg("DRAWMASKED", [](Args& a) {
    DrawMasked(Hd<HDC>(a, 1), Hd<HBITMAP>(a, 2), I(a, 3), I(a, 4));
    return Value();
  });
  Reg("DRAWGRAYED", [](Args& a) {
    DrawGrayed(Hd<HDC>(a, 1), Hd<HBITMAP>(a, 2), I(a, 3), I(a, 4));
    return Value();
  });
  Reg("NBMPWIDTH", [](Args& a) { return Value::Integer(NBmpWidth(Hd<HBITMAP>(a, 1))); });
  Reg("NBMPHEIGHT", [](Args& a) { return Value::Integer(NBmpHeight(Hd<HBITMAP>(a, 1))); });
  Reg("VXBRUSHES", [](Args& a) { return Ptr(VxBrushes(I(a, 1))); });
  Reg("VXBITMAP", [](Args& a) { return Ptr(VxBitmap(Hd<HDC>(a, 1))); });
  Reg("ATREEBMPS", [](Args& a) {
    xb::Array list = xb::Array::New();
    for (HBITMAP b : ATreeBmps(Hd<HDC>(a, 1))) list.Append(Ptr(b));
    return Value(list);
  });
}

void RegisterPainters() {
  Reg("METERPAINT", [](Args& a) {
    MeterPaintParams p;
    p.percent = I(a, 5);
    p.text = S(a, 6);
    p.percentage = a.Log(7);
    p.back = Clr(a, 8);
    p.text_colour = Clr(a, 9);
    p.bar = Clr(a, 10);
    p.bar_text = Clr(a, 11);
    p.font = Hd<HFONT>(a, 12);
    MeterPaint(Hd<HWND>(a, 1), Hd<HDC>(a, 2), p);
    return Value::Integer(0);
  });
  Reg("PALBTNPAINT", [](Args& a) {
    BtnPaintParams p;
    p.normal = Hd<HBITMAP>(a, 2);
    p.normal_palette = Hd<HPALETTE>(a, 3);
    p.pressed = Hd<HBITMAP>(a, 4);
    p.pressed_palette = Hd<HPALETTE>(a, 5);
    p.disabled = Hd<HBITMAP>(a, 6);
    p.disabled_palette = Hd<HPALETTE>(a, 7);
    p.is_pressed = a.Log(8);
    p.adjust = a.Log(9);
    p.border = a.Log(10);
    p.arrow = a.Log(11);
    p.transparent = Clr(a, 12);
    p.prompt = S(a, 13);
    p.prompt_pos = static_cast<PromptPos>(I(a, 14) >= 1 && I(a, 14) <= 4 ? I(a, 14) : 0);
    p.font = Hd<HFONT>(a, 15);
    p.text = Clr(a, 16);
    PalBtnPaint(Hd<HWND>(a, 1), p);
    return Value();
  });
  Reg("BARPAINT", [](Args& a) {
    BarPaint(Hd<HWND>(a, 1), Hd<HDC>(a, 2));
    return Value();
  });
  Reg("MSGPAINT", [](Args& a) {
    MsgPaintParams p;
    p.message = S(a, 2);
    p.default_message = S(a, 3);
    p.look_3d = a.Log(4);
    p.centred = a.Log(5);
    p.items_left = I(a, 6);
    p.text = a.Count() < 7 ? RGB(0, 0, 0) : Clr(a, 7);
    p.back = a.Count() < 8 ? CLR_INVALID : Clr(a, 8);
    p.font = Hd<HFONT>(a, 9);
    p.inner_box = a.Log(10);
    MsgPaint(Hd<HWND>(a, 1), p);
    return Value();
  });
  Reg("LBXDRAWITEM", [](Args& a) {
    const auto* item = Hd<const DRAWITEMSTRUCT*>(a, 1);
    if (item == nullptr) return Value::Logical(false);
    LbxItemParams p;
    if (const xb::Array bitmaps = a.Arr(2)) {
      for (const Value& b : bitmaps) p.bitmaps.push_back(reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(b.AsInt())));
    }
    if (const xb::Array items = a.Arr(3)) {
      for (const Value& t : items) p.items.emplace_back(t.AsString());
    }
    p.bitmap_width = I(a, 4);
    if (const xb::Block choose = a.Blk(5)) {
      p.bitmap_index = [choose](int n) { return static_cast<int>(choose.Eval({Value::Integer(n)}).AsInt()); };
    }
    return Value::Logical(LbxDrawItem(*item, p));
  });
}

void RegisterImageStrip() {
  Reg("XLOADBITMAP", [](Args& a) {
    ImageStrip& strip = ImageStrip::Shared();
    return Triple(a.Arg(2).IsNumber() ? strip.Load(I(a, 2)) : strip.Load(S(a, 2)));
  });
  Reg("GETBMPBRW", [](Args&) { return Ptr(ImageStrip::Shared().bitmap()); });
  Reg("DELBMPBRW", [](Args&) {
    ImageStrip::Shared().Clear();
    return Value();
  });
}

}  // namespace

void RegisterBitmapFunctions() {
  RegisterBitmaps();
  RegisterPainters();
  RegisterImageStrip();
}

}  // namespace ui
