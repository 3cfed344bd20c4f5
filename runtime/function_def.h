// Typed registration of public functions (see function_table.h): xb::Def(name, callable,
// defaults, options). Included by function_table.h.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/object.h"

namespace xb {
namespace detail {

template <class T>
struct ArgConv;  // converts argument n; returns false for a value of the wrong type

template <>
struct ArgConv<Value> {
  static bool Get(const Value& v, const Value*, Value& out) { out = v; return true; }
};
template <>
struct ArgConv<std::string_view> {
  static bool Get(const Value& v, const Value* def, std::string_view& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out = {}; return true; }
    if (!s.IsString()) return false;
    out = s.AsString();
    return true;
  }
};
template <>
struct ArgConv<std::string> {
  static bool Get(const Value& v, const Value* def, std::string& out) {
    std::string_view sv;
    if (!ArgConv<std::string_view>::Get(v, def, sv)) return false;
    out.assign(sv);
    return true;
  }
};
template <class N>
  requires std::is_arithmetic_v<N> && (!std::is_same_v<N, bool>)
struct ArgConv<N> {
  static bool Get(const Value& v, const Value* def, N& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out = 0; return true; }
    if (!s.IsNumber()) return false;
    if constexpr (std::is_floating_point_v<N>) out = static_cast<N>(s.AsDouble());
    else out = static_cast<N>(s.AsInt());
    return true;
  }
};
template <>
struct ArgConv<bool> {
  static bool Get(const Value& v, const Value* def, bool& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out = false; return true; }
    if (!s.IsLogical()) return false;
    out = s.AsLogical();
    return true;
  }
};
template <>
struct ArgConv<Date> {
  static bool Get(const Value& v, const Value* def, Date& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out = Date{}; return true; }
    if (!s.IsDate()) return false;
    out = s.AsDate();
    return true;
  }
};
template <>
struct ArgConv<Array> {
  static bool Get(const Value& v, const Value* def, Array& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out = Array(); return true; }
    if (!s.IsArray()) return false;
    out = s.AsArray();
    return true;
  }
};
template <>
struct ArgConv<Block> {
  static bool Get(const Value& v, const Value* def, Block& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out = Block(); return true; }
    if (!s.IsBlock()) return false;
    out = s.AsBlock();
    return true;
  }
};
template <>
struct ArgConv<ObjectRef> {
  static bool Get(const Value& v, const Value* def, ObjectRef& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out = nullptr; return true; }
    if (!s.IsObject()) return false;
    out = s.AsObject();
    return true;
  }
};
template <class T>
struct ArgConv<std::optional<T>> {
  static bool Get(const Value& v, const Value* def, std::optional<T>& out) {
    const Value& s = v.IsNil() && def ? *def : v;
    if (s.IsNil()) { out.reset(); return true; }
    T t{};
    if (!ArgConv<T>::Get(s, nullptr, t)) return false;
    out = std::move(t);
    return true;
  }
};

inline Value ToResult(Value v) { return v; }
inline Value ToResult(const std::string& s) { return Value::String(s); }
inline Value ToResult(std::string_view s) { return Value::String(s); }
inline Value ToResult(const char* s) { return Value::String(s ? std::string_view(s) : std::string_view()); }
inline Value ToResult(bool b) { return Value::Logical(b); }
inline Value ToResult(double d) { return Value::Number(d); }
inline Value ToResult(Date d) { return Value::FromDate(d); }
inline Value ToResult(const Array& a) { return a ? Value(a) : Value(); }
inline Value ToResult(const Block& b) { return b ? Value(b) : Value(); }
inline Value ToResult(const ObjectRef& o) { return o ? Value(o) : Value(); }
template <class N>
  requires std::is_integral_v<N> && (!std::is_same_v<N, bool>)
Value ToResult(N n) { return Value::Integer(static_cast<std::int64_t>(n)); }

template <class T>
using Plain = std::remove_cvref_t<T>;

template <class F>
struct Signature : Signature<decltype(&F::operator())> {};
template <class R, class... P>
struct Signature<R (*)(P...)> {
  using Result = R;
  using Params = std::tuple<P...>;
};
template <class R, class... P>
struct Signature<R(P...)> : Signature<R (*)(P...)> {};
template <class C, class R, class... P>
struct Signature<R (C::*)(P...) const> : Signature<R (*)(P...)> {};
template <class C, class R, class... P>
struct Signature<R (C::*)(P...)> : Signature<R (*)(P...)> {};

template <class F, class Tuple, std::size_t... I>
Value InvokeTyped(const F& f, std::string_view name, const FunctionOptions& opt, const std::vector<Value>& defaults,
                  Args& args, std::index_sequence<I...>) {
  std::tuple<Plain<std::tuple_element_t<I, Tuple>>...> conv;
  bool ok = true;
  auto one = [&](auto& slot, std::size_t i) {
    using P = Plain<decltype(slot)>;
    if constexpr (std::is_same_v<P, Args>) {
      slot = args;
    } else {
      const Value* def = i < defaults.size() && !defaults[i].IsNil() ? &defaults[i] : nullptr;
      if (ok && !ArgConv<P>::Get(args.Arg(static_cast<int>(i) + 1), def, slot)) ok = false;
    }
  };
  (one(std::get<I>(conv), I), ...);
  if (!ok) return ArgumentError(name, opt.argErrorSubcode, args.Raw());
  using R = typename Signature<F>::Result;
  if constexpr (std::is_void_v<R>) {
    f(std::get<I>(conv)...);
    return Value();
  } else {
    return ToResult(f(std::get<I>(conv)...));
  }
}

}  // namespace detail

// Registers a typed function (see function_table.h).
template <class F>
void Def(std::string_view name, F f, std::initializer_list<Value> defaults = {}, FunctionOptions options = {}) {
  using Sig = detail::Signature<std::remove_pointer_t<std::decay_t<F>>>;
  using Params = typename Sig::Params;
  std::vector<Value> defs(defaults);
  std::string upper = UpperName(name);
  RegisterFunction(name, FunctionBody([f = std::move(f), defs = std::move(defs), options, upper](Args& args) {
    return detail::InvokeTyped<F, Params>(f, upper, options, defs, args,
                                          std::make_index_sequence<std::tuple_size_v<Params>>{});
  }));
}

}  // namespace xb
