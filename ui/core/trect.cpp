#include "ui/core/trect.h"

namespace ui {

TRect::TRect() : xb::Object(Cls()) {}

xb::Ref<TRect> TRect::New(int top, int left, int bottom, int right) {
  auto r = xb::MakeRef<TRect>();
  r->nTop = top;
  r->nLeft = left;
  r->nBottom = bottom;
  r->nRight = right;
  return r;
}

const xb::Class& TRect::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TRECT");
    c.Data("NTOP", &TRect::nTop);
    c.Data("NLEFT", &TRect::nLeft);
    c.Data("NBOTTOM", &TRect::nBottom);
    c.Data("NRIGHT", &TRect::nRight);
    c.Property("NWIDTH", [](xb::Object& o) { return xb::Value::Integer(xb::Class::Cast<TRect>(o).nWidth()); }, nullptr);
    c.Property("NHEIGHT", [](xb::Object& o) { return xb::Value::Integer(xb::Class::Cast<TRect>(o).nHeight()); }, nullptr);
    // New(top, left, bottom, right): fills this object.
    c.Method("NEW", [](xb::Object& o, xb::Args& a) {
      auto& r = xb::Class::Cast<TRect>(o);
      r.nTop = static_cast<int>(a.Int(1));
      r.nLeft = static_cast<int>(a.Int(2));
      r.nBottom = static_cast<int>(a.Int(3));
      r.nRight = static_cast<int>(a.Int(4));
      return o.AsValue();
    });
    return c;
  }();
  return cls;
}

}  // namespace ui
