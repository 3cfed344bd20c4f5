#include "ui/core/tacctable.h"

#include <algorithm>

#include "runtime/array.h"
#include "ui/bridge/message_loop.h"

namespace ui {

TAccTable::TAccTable() : xb::Object(Cls()) {}

TAccTable::~TAccTable() { DeActivate(); }

void TAccTable::Add(int state, int key, int command) {
  for (Entry& e : aItems) {
    if (e.state == state && e.key == key) {
      e.command = command;
      return;
    }
  }
  aItems.push_back({state, key, command});
}

void TAccTable::Del(int state, int key) {
  std::erase_if(aItems, [&](const Entry& e) { return e.state == state && e.key == key; });
}

void TAccTable::Activate() {
  DeActivate();
  std::vector<Accelerator> keys;
  keys.reserve(aItems.size());
  for (const Entry& e : aItems) keys.push_back({e.key, e.state, e.command});
  nHandle = SetAccTable(keys);
}

void TAccTable::DeActivate() {
  if (nHandle == nullptr) return;
  // The loop must not keep translating through a destroyed table.
  if (CurrentAccTable() == nHandle) {
    DestroyAccTable();
  } else {
    DestroyAcceleratorTable(nHandle);
  }
  nHandle = nullptr;
}

const xb::Class& TAccTable::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    using xb::Args;
    using xb::Object;
    using xb::Value;
    auto self = [](Object& o) -> TAccTable& { return xb::Class::Cast<TAccTable>(o); };
    xb::Class& c = xb::Class::Define("TACCTABLE");
    c.Property("NHANDLE", [self](Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(self(o).nHandle)); },
               nullptr);
    c.Property("AITEMS", [self](Object& o) {
      xb::Array items = xb::Array::New();
      for (const Entry& e : self(o).aItems) {
        items.Append(Value(xb::Array::Of({Value::Integer(e.state), Value::Integer(e.key), Value::Integer(e.command)})));
      }
      return Value(items);
    }, nullptr);
    c.Method("NEW", [](Object& o, Args&) { return o.AsValue(); });
    c.Method("ADD", [self](Object& o, Args& a) {
      self(o).Add(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)));
      return Value();
    });
    c.Method("DEL", [self](Object& o, Args& a) {
      self(o).Del(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)));
      return Value();
    });
    c.Method("ACTIVATE", [self](Object& o, Args&) { self(o).Activate(); return Value(); });
    c.Method("DEACTIVATE", [self](Object& o, Args&) { self(o).DeActivate(); return Value(); });
    c.Method("END", [self](Object& o, Args&) { self(o).End(); return Value(); });
    return c;
  }();
  return cls;
}

}  // namespace ui
