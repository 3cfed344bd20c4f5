#include "runtime/setkey.h"

#include <map>

#include "runtime/block.h"
#include "runtime/function_table.h"

namespace xb {
namespace {

struct Handler {
  Value action;
  Value condition;
};

std::map<int, Handler>& Handlers() {
  static std::map<int, Handler> handlers;
  return handlers;
}

bool IsEvaluable(const Value& v) { return v.IsBlock(); }

}  // namespace

Value SetKey(int key, Value action, Value condition) {
  auto& handlers = Handlers();
  Value previous;
  if (auto it = handlers.find(key); it != handlers.end()) {
    previous = it->second.action;
    if (!IsEvaluable(action)) handlers.erase(it);
  }
  if (IsEvaluable(action)) {
    handlers[key] = Handler{std::move(action), IsEvaluable(condition) ? std::move(condition) : Value()};
  }
  return previous;
}

Value GetKeyAction(int key) {
  const auto& handlers = Handlers();
  auto it = handlers.find(key);
  if (it == handlers.end()) return Value();
  // Copied: the condition may set or remove handlers of its own.
  const Handler handler = it->second;
  if (handler.condition.IsBlock()) {
    const Value active = handler.condition.AsBlock().Eval({Value::Integer(key)});
    if (active.IsLogical() && !active.AsLogical()) return Value();
  }
  return handler.action;
}

void ClearKeyHandlers() { Handlers().clear(); }

void RegisterSetKeyFunctions() {
  RegisterFunction("SETKEY", [](Args& a) -> Value {
    if (!a.Arg(1).IsNumber()) return Value();
    const int key = static_cast<int>(a.Int(1));
    if (a.Count() == 1) return GetKeyAction(key);
    return SetKey(key, a.Arg(2), a.Arg(3));
  });
}

}  // namespace xb
