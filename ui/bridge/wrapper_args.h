// Argument and result conversions shared by the bridge's wrappers: arguments by position,
// a missing one (or one of another type) counting as 0, "" or .F.; handles and addresses as
// plain 64-bit numbers; points returned as {x, y}.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/args.h"
#include "runtime/array.h"
#include "runtime/value.h"

namespace ui::wrap {

using xb::Args;
using xb::Value;

template <typename H = HANDLE>
H Hd(const Args& a, int n) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(a.Int(n)));
}
inline int I(const Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }
inline UINT U(const Args& a, int n) { return static_cast<UINT>(a.Int(n)); }
inline std::string S(const Args& a, int n) { return std::string(a.Str(n)); }
// A logical argument that may also come as a number (non-zero: true).
inline bool B(const Args& a, int n, bool def = false) {
  const Value& v = a.Arg(n);
  if (v.IsNumber()) return v.AsInt() != 0;
  return a.Log(n, def);
}

inline Value Num(std::int64_t n) { return Value::Integer(n); }
inline Value Ptr(const void* p) { return Value::Integer(reinterpret_cast<std::intptr_t>(p)); }
inline Value Log(bool b) { return Value::Logical(b); }
inline Value Str(std::string_view s) { return Value::String(s); }
inline Value XY(int x, int y) { return Value(xb::Array::Of({Num(x), Num(y)})); }

}  // namespace ui::wrap
