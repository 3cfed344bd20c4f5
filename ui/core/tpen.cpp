#include "ui/core/tpen.h"

#include "runtime/function_table.h"

namespace ui {

TPen::TPen() : xb::Object(Cls()) {}

TPen::~TPen() {
  if (hPen != nullptr) DeleteObject(hPen);
}

xb::Ref<TPen> TPen::New(int style, int width, COLORREF colour, HDC device) {
  auto pen = xb::MakeRef<TPen>();
  pen->nStyle = style;
  pen->nWidth = device != nullptr ? MulDiv(width, GetDeviceCaps(device, LOGPIXELSY), 72) : width;
  pen->nColor = static_cast<int>(colour);
  pen->hPen = CreatePen(style, pen->nWidth, colour);
  return pen;
}

void TPen::End() {
  if (hPen != nullptr) DeleteObject(hPen);
  hPen = nullptr;
}

const xb::Class& TPen::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TPEN");
    c.Property("HPEN", [](xb::Object& o) {
      return xb::Value::Integer(reinterpret_cast<std::intptr_t>(xb::Class::Cast<TPen>(o).hPen));
    }, nullptr);
    c.Data("NSTYLE", &TPen::nStyle);
    c.Data("NWIDTH", &TPen::nWidth);
    c.Data("NCOLOR", &TPen::nColor);
    c.Data("ODEVICE", &TPen::oDevice);
    // New(style, width, colour, device)
    c.Method("NEW", [](xb::Object&, xb::Args& a) {
      HDC device = nullptr;
      const xb::Value& d = a.Arg(4);
      if (d.IsNumber()) device = reinterpret_cast<HDC>(static_cast<std::intptr_t>(d.AsInt()));
      if (d.IsObject() && xb::HasMessage(d, xb::Intern("HDC"))) {
        device = reinterpret_cast<HDC>(static_cast<std::intptr_t>(xb::Send(d, "HDC").AsInt()));
      }
      xb::Ref<TPen> pen = New(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2, 1)),
                              static_cast<COLORREF>(a.Int(3)), device);
      pen->oDevice = d;
      return xb::Value(pen);
    });
    c.Method("END", [](xb::Object& o, xb::Args&) { xb::Class::Cast<TPen>(o).End(); return xb::Value(); });
    c.Method("RELEASE", [](xb::Object& o, xb::Args&) { xb::Class::Cast<TPen>(o).End(); return xb::Value(); });
    return c;
  }();
  return cls;
}

}  // namespace ui
