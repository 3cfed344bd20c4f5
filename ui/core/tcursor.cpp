#include "ui/core/tcursor.h"

#include <array>
#include <string_view>

#include "runtime/symbol.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/resources.h"
#include "ui/core/msg_box.h"

namespace ui {
namespace {

struct Predefined {
  std::string_view name;
  int cursor;
};
constexpr std::array<Predefined, 11> kSystem = {{{"ARROW", 32512},
                                                 {"IBEAM", 32513},
                                                 {"WAIT", 32514},
                                                 {"CROSS", 32515},
                                                 {"UPARROW", 32516},
                                                 {"SIZE", 32640},
                                                 {"ICON", 32641},
                                                 {"SIZENWSE", 32642},
                                                 {"SIZENESW", 32643},
                                                 {"SIZEWE", 32644},
                                                 {"SIZENS", 32645}}};

}  // namespace

TCursor::TCursor() : xb::Object(Cls()) {}

TCursor::~TCursor() {
  if (handle != nullptr && !lPredef) DestroyCursor(handle);
}

int TCursor::SystemCursor(const std::string& predefined) {
  const std::string upper = xb::UpperName(predefined);
  for (const Predefined& p : kSystem) {
    if (p.name == upper) return p.cursor;
  }
  return 0;
}

xb::Ref<TCursor> TCursor::New(const std::string& resource, const std::string& predefined) {
  auto cursor = xb::MakeRef<TCursor>();
  if (predefined.empty()) {
    cursor->handle = LoadCursorA(GetResources(), resource.c_str());
    return cursor;
  }
  cursor->lPredef = true;
  const std::string upper = xb::UpperName(predefined);
  if (const int system = SystemCursor(upper); system != 0) {
    cursor->handle = LoadCursorA(nullptr, MAKEINTRESOURCEA(system));
  } else if (upper == "HAND") {
    cursor->handle = GetCursorHand();
  } else if (upper == "STOP") {
    cursor->handle = GetCursorStop();
  } else if (upper == "DRAG") {
    cursor->handle = GetCursorDrag();
  } else {
    MsgAlert("Wrong predefined cursor type!");
  }
  return cursor;
}

void TCursor::End() {
  if (handle != nullptr && !lPredef) DestroyCursor(handle);
  handle = nullptr;
}

const xb::Class& TCursor::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TCURSOR");
    c.Property("HCURSOR", [](xb::Object& o) {
      return xb::Value::Integer(reinterpret_cast<std::intptr_t>(xb::Class::Cast<TCursor>(o).handle));
    }, nullptr);
    c.Data("LPREDEF", &TCursor::lPredef);
    // New(resource name, predefined name)
    c.Method("NEW", [](xb::Object&, xb::Args& a) {
      return xb::Value(New(std::string(a.Str(1)), std::string(a.Str(2))));
    });
    c.Method("END", [](xb::Object& o, xb::Args&) { xb::Class::Cast<TCursor>(o).End(); return xb::Value(); });
    return c;
  }();
  return cls;
}

}  // namespace ui
