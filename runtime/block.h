// Block: an xBase code block, shared by reference. A block is either native (a C++
// callable, for actions built by C++ code) or compiled from xBase text by the macro
// compiler (macro.h). Evaluate with any number of arguments; an argument may be a
// by-reference value (Value::NewRef / Value::RefTo) that the block writes through.
//
//   xb::Block b = xb::Block::Native([](xb::Args& a) { return xb::Value::Integer(a.Count()); });
//   xb::Value r = b.Eval({xb::Value::Integer(1), xb::Value::String("x")});
//
// Each evaluation pushes "(b)" on the procedure stack, so PCOUNT() inside a block counts
// the block's arguments.
#pragma once

#include <functional>
#include <initializer_list>
#include <span>
#include <string>

#include "runtime/args.h"
#include "runtime/value.h"

namespace xb {

class BlockImpl : public GcObject {
 public:
  // Evaluates with the arguments as passed (by-reference cells included).
  virtual Value Call(std::span<const Value> args) = 0;
  // Call, giving a character string result by appending it to `out` (true) and any other
  // value in `other` (false, `out` kept as it was). Compiled blocks build the string in `out`.
  virtual bool CallString(std::span<const Value> args, std::string& out, Value& other);
  // The block's source text ("{|a| a + 1}"), or "{|| ... }" for native blocks.
  virtual std::string Source() const { return "{|| ... }"; }
};

class Block {
 public:
  Block() = default;  // a null handle
  explicit Block(Ref<BlockImpl> impl) : impl_(std::move(impl)) {}

  static Block Native(std::function<Value(Args& args)> fn, std::string source = {});

  explicit operator bool() const { return static_cast<bool>(impl_); }

  Value Eval(std::initializer_list<Value> args = {}) const;
  Value Call(std::span<const Value> args) const;
  // Evaluates without arguments: a character string ("C", not a memo) is appended to `out`
  // and the answer is true; any other value is put in `other` and `out` is kept as it was
  // (after an error thrown through, `out` may hold part of the text). A key evaluated per
  // record this way reuses one buffer.
  bool EvalString(std::string& out, Value& other) const;
  std::string Source() const { return impl_ ? impl_->Source() : std::string(); }

  BlockImpl* impl() const { return impl_.get(); }
  friend bool operator==(const Block& a, const Block& b) { return a.impl_ == b.impl_; }

 private:
  Ref<BlockImpl> impl_;
};

// Evaluates a value as xBase EVAL() does: a block is called with the arguments; anything
// else raises BASE/1004 "No exported method" EVAL (substitute returned).
Value EvalValue(const Value& v, std::span<const Value> args);

}  // namespace xb
