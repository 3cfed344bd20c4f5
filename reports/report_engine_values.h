// What the banded engine's classes share to answer compiled text: blocks and their values,
// lists, alignment words and the DATA of a C++ member.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "data/value_text.h"
#include "runtime/block.h"
#include "runtime/lib/strings.h"
#include "runtime/object.h"
#include "runtime/symbol.h"

namespace reports::engine_detail {

using xb::Value;

// A block that answers v.
inline Value Const(Value v) {
  return Value(xb::Block::Native([v](xb::Args&) { return v; }));
}

// A block's value (NIL for anything else), with the arguments given.
inline Value Eval(const Value& block, std::initializer_list<Value> args = {}) {
  return block.IsBlock() ? block.AsBlock().Eval(args) : Value();
}

// A line of text: a block's value or the text itself.
inline std::string LineText(const Value& v) { return data::ValueText(v.IsBlock() ? v.AsBlock().Eval() : v); }

// "LEFT" 1, "RIGHT" 2, "CENTER" or "CENTERED" 3; any other word `other`.
inline int PadOf(const std::string& word, int other) {
  const std::string w = xb::UpperName(xb::AllTrim(word));
  if (w == "LEFT") return 1;
  if (w == "RIGHT") return 2;
  if (w == "CENTER" || w == "CENTERED") return 3;
  return other;
}

// An array's items; another value is one item, NIL none.
inline std::vector<Value> Items(const Value& v) {
  std::vector<Value> items;
  if (v.IsArray()) {
    for (const Value& item : v.AsArray()) items.push_back(item);
  } else if (!v.IsNil()) {
    items.push_back(v);
  }
  return items;
}

inline Value ArrayOf(const std::vector<Value>& v) { return Value(xb::Array::Of(std::span<const Value>(v))); }

inline Value Ints(const std::vector<int>& v) {
  xb::Array a = xb::Array::New();
  for (int n : v) a.Append(Value::Integer(n));
  return Value(a);
}

inline int Int(const Value& v, int def) { return v.IsNumber() ? static_cast<int>(v.AsInt()) : def; }

template <class T>
T* As(const Value& v) {
  return v.IsObject() ? dynamic_cast<T*>(v.AsObject().get()) : nullptr;
}

// Argument n as a whole number, `def` when it is NIL.
inline int I(const xb::Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }

// A DATA of a C++ member reached through the object: the engine's report, column or group.
template <class Owner, class M, class Get>
void Member(xb::Class& c, const char* name, M Owner::*member, Get get) {
  std::string n(name);
  c.Property(
      name, [member, get](xb::Object& o) { return xb::detail::MemberConv<M>::Get(get(o).*member); },
      [member, get, n](xb::Object& o, const Value& v) {
        if (!xb::detail::MemberConv<M>::Set(get(o).*member, v)) xb::detail::RaiseWrongDataType(o, n, v);
      });
}

}  // namespace reports::engine_detail
