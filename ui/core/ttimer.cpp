#include "ui/core/ttimer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "runtime/block.h"
#include "runtime/function_table.h"

namespace ui {
namespace {

struct TimerList {
  std::vector<xb::Ref<TTimer>> timers;
  UINT_PTR last_id = 1;
};

TimerList& Timers() {
  static TimerList list;
  return list;
}

xb::Value DoNothing() {
  return xb::Value(xb::Block::Native([](xb::Args&) { return xb::Value(); }));
}

}  // namespace

TTimer::TTimer() : xb::Object(Cls()) {}

TTimer::~TTimer() {
  if (lActive) KillTimer(hWndOwner, nId);
}

void TTimer::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  for (const xb::Value* v : {&bAction, &Cargo}) {
    if (xb::GcObject* target = v->GcTarget()) visitor.Visit(target);
  }
}

void TTimer::ClearValues() {
  xb::Object::ClearValues();
  bAction = Cargo = xb::Value();
}

xb::Ref<TTimer> TTimer::New(int interval, xb::Value action, TWindow* window) {
  auto timer = xb::MakeRef<TTimer>();
  timer->Init(interval, std::move(action), window != nullptr ? window->hWnd : GetActiveWindow());
  return timer;
}

void TTimer::Init(int interval, xb::Value action, HWND owner) {
  TimerList& list = Timers();
  nInterval = interval;
  bAction = action.IsNil() ? DoNothing() : std::move(action);
  nId = ++list.last_id;
  lActive = false;
  hWndOwner = owner;
  if (std::find(list.timers.begin(), list.timers.end(), xb::Ref<TTimer>(this)) == list.timers.end()) {
    list.timers.push_back(xb::Ref<TTimer>(this));
  }
}

void TTimer::Activate() {
  const UINT_PTR got = SetTimer(hWndOwner, nId, static_cast<UINT>(nInterval), nullptr);
  if (got != 0) nId = got;
  lActive = got != 0;
}

void TTimer::DeActivate() {
  lActive = false;
  KillTimer(hWndOwner, nId);
}

void TTimer::End() {
  xb::Ref<TTimer> keep(this);
  DeActivate();
  std::erase(Timers().timers, keep);
}

int TTimer::TimerEvent(UINT_PTR id) {
  for (const auto& timer : Timers().timers) {
    if (timer->nId != id || !timer->lActive) continue;
    xb::Ref<TTimer> keep = timer;  // the action may end its own timer
    if (keep->bAction.IsBlock()) keep->bAction.AsBlock().Eval({keep->Self()});
    break;
  }
  return 0;
}

int TTimer::Count() { return static_cast<int>(Timers().timers.size()); }

const xb::Class& TTimer::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    using xb::Args;
    using xb::Object;
    using xb::Value;
    auto self = [](Object& o) -> TTimer& { return xb::Class::Cast<TTimer>(o); };
    xb::Class& c = xb::Class::Define("TTIMER");
    c.Data("BACTION", &TTimer::bAction);
    c.Data("LACTIVE", &TTimer::lActive);
    c.Data("NINTERVAL", &TTimer::nInterval);
    c.Data("CARGO", &TTimer::Cargo);
    c.Property("NID", [self](Object& o) { return Value::Integer(static_cast<std::int64_t>(self(o).nId)); },
               [self](Object& o, const Value& v) { self(o).nId = static_cast<UINT_PTR>(v.AsInt()); });
    c.Property("HWNDOWNER", [self](Object& o) {
      return Value::Integer(reinterpret_cast<std::intptr_t>(self(o).hWndOwner));
    }, [self](Object& o, const Value& v) { self(o).hWndOwner = reinterpret_cast<HWND>(static_cast<std::intptr_t>(v.AsInt())); });
    c.Method("NEW", [self](Object& o, Args& a) {
      HWND owner = GetActiveWindow();
      if (auto* w = dynamic_cast<TWindow*>(a.Obj(3).get())) owner = w->hWnd;
      self(o).Init(a.IsNil(1) ? 18 : static_cast<int>(a.Int(1)), a.Arg(2), owner);
      return o.AsValue();
    });
    c.Method("ACTIVATE", [self](Object& o, Args&) { self(o).Activate(); return Value(); });
    c.Method("DEACTIVATE", [self](Object& o, Args&) { self(o).DeActivate(); return Value(); });
    c.Method("END", [self](Object& o, Args&) { self(o).End(); return Value(); });
    return c;
  }();
  return cls;
}

void RegisterTimerFunctions() {
  (void)TTimer::Cls();
  xb::RegisterFunction("TTIMER", [](xb::Args&) { return xb::Value(xb::MakeRef<TTimer>()); });
  xb::RegisterFunction("TIMEREVENT", [](xb::Args& a) {
    return xb::Value::Integer(TTimer::TimerEvent(static_cast<UINT_PTR>(a.Int(1))));
  });
}

}  // namespace ui
