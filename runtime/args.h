// Args: the arguments of one call of a public function, a code block or a method, as the
// callee sees them. Positions are 1-based, as xBase numbers parameters: Arg(1) is the
// first. Count() is PCOUNT(): the number of arguments passed, including empty ones
// (`F(1,,3)` passes 3, the second NIL). An argument passed with `@` is by reference:
// IsByRef(n) is true and SetRef(n, v) writes the caller's variable.
//
// The typed getters return the default when the argument is missing, NIL or of another
// type, as the framework's bridge functions want ("default a missing argument to 0, ""
// or false"). Functions that must reject a wrong type check Arg(n) themselves or use the
// typed registration of function_table.h.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "runtime/value.h"

namespace xb {

class Args {
 public:
  Args() = default;
  explicit Args(std::span<const Value> raw) : raw_(raw) {}

  int Count() const { return static_cast<int>(raw_.size()); }

  // Argument n (1-based) through any reference; NIL when not passed.
  const Value& Arg(int n) const {
    return n >= 1 && n <= Count() ? raw_[static_cast<std::size_t>(n - 1)].Deref() : Nil();
  }
  bool IsByRef(int n) const { return n >= 1 && n <= Count() && raw_[n - 1].IsRef(); }
  // Writes the caller's variable of a by-reference argument; does nothing otherwise.
  void SetRef(int n, Value v) const;
  // True when argument n is missing or NIL.
  bool IsNil(int n) const { return Arg(n).IsNil(); }

  std::string_view Str(int n, std::string_view def = {}) const;
  double Num(int n, double def = 0) const;
  std::int64_t Int(int n, std::int64_t def = 0) const;
  bool Log(int n, bool def = false) const;
  Date Dat(int n, Date def = {}) const;
  Array Arr(int n) const;    // null handle when not an array
  Block Blk(int n) const;    // null handle when not a block
  ObjectRef Obj(int n) const;

  // The arguments as passed (references not resolved), for forwarding to another call.
  std::span<const Value> Raw() const { return raw_; }

 private:
  static const Value& Nil();
  std::span<const Value> raw_;
};

}  // namespace xb
